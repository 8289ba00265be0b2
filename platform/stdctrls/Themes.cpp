#include "platform/stdctrls/Themes.h"

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QStyle>
#include <QStyleOption>
#include <algorithm>

#include "platform/graphics/Bitmap.h"
#include "platform/graphics/detail/QtGraphics.h"

namespace ui {
namespace {
bool& Enabled() {
  static bool on = true;
  return on;
}
}  // namespace

bool ThemesAvailable() {
  static const bool available = [] {
    auto* app = qobject_cast<QApplication*>(QCoreApplication::instance());
    return app != nullptr && QApplication::style() != nullptr;
  }();
  return available;
}

bool ThemeActive() { return Enabled() && ThemesAvailable(); }

void SetThemesEnabled(bool On) { Enabled() = On; }

bool DrawThemeSpinPart(TCanvas& Canvas, const TRect& R, TThemeSpinPart Part, TThemeState State, bool IsEnabled) {
  if (!ThemeActive() || R.Width() <= 0 || R.Height() <= 0) return false;
  QStyle* style = QApplication::style();
  // One palette for as long as the style stays: the style keeps the parts it drew in the
  // application's picture cache under a key that holds the palette's identity, and a
  // palette made anew for every part would add new pictures on every paint.
  static QStyle* paletteStyle = nullptr;
  static QPalette palette;
  if (paletteStyle != style) {
    paletteStyle = style;
    palette = style->standardPalette();
  }
  TBitmap part;
  part.SetSize(R.Width(), R.Height());
  QImage& image = gfx::ImageOf(part);
  image.fill(palette.color(QPalette::Button));
  {
    QPainter p(&image);
    QStyleOption opt;
    opt.rect = QRect(0, 0, R.Width(), R.Height());
    opt.palette = palette;
    opt.state = QStyle::State_Raised;
    if (IsEnabled) opt.state |= QStyle::State_Enabled;
    if (State == tstPressed) opt.state = (opt.state & ~QStyle::State_Raised) | QStyle::State_Sunken;
    if (State == tstHot) opt.state |= QStyle::State_MouseOver;
    style->drawPrimitive(QStyle::PE_PanelButtonBevel, &opt, &p);
    QStyleOption arrow = opt;
    const int inset = std::max(1, std::min(R.Width(), R.Height()) / 5);
    arrow.rect = opt.rect.adjusted(inset, inset, -inset, -inset);
    const QStyle::PrimitiveElement pe = Part == tspUp         ? QStyle::PE_IndicatorArrowUp
                                        : Part == tspDown     ? QStyle::PE_IndicatorArrowDown
                                        : Part == tspUpHorz   ? QStyle::PE_IndicatorArrowRight
                                                              : QStyle::PE_IndicatorArrowLeft;
    style->drawPrimitive(pe, &arrow, &p);
  }
  Canvas.Draw(R.Left, R.Top, &part);
  return true;
}

void DrawClassicArrowButton(TCanvas& c, const TRect& R, TArrowDirection Dir, bool Pushed, bool Flat, bool IsEnabled) {
  const int l = R.Left, t = R.Top, r = R.Right, b = R.Bottom;
  c.Brush()->SetStyle(bsSolid);
  c.Brush()->SetColor(clBtnFace);
  c.FillRect(R);
  if (!Flat || Pushed) {
    // Raised: light top-left, dark bottom-right; pushed swaps them.
    const TColor tl = Pushed ? clBtnShadow : clBtnHighlight, br = Pushed ? clBtnHighlight : clBtnShadow;
    c.Pen()->SetWidth(1);
    c.Pen()->SetColor(tl);
    c.MoveTo(l, b - 1);
    c.LineTo(l, t);
    c.LineTo(r - 1, t);
    c.Pen()->SetColor(br);
    c.MoveTo(l, b - 1);
    c.LineTo(r - 1, b - 1);
    c.LineTo(r - 1, t - 1);
  }
  const TColor ink = IsEnabled ? clBtnText : clGrayText;
  c.Brush()->SetColor(ink);
  c.Pen()->SetColor(ink);
  const int shift = Pushed ? 1 : 0;
  const int cx = (l + r) / 2 + shift, cy = (t + b) / 2 + shift;
  const int s = std::max(1, std::min(R.Width(), R.Height()) / 4);
  std::vector<TPoint> tri;
  switch (Dir) {
    case adUp: tri = {{cx - s, cy + s / 2}, {cx + s, cy + s / 2}, {cx, cy - s / 2 - 1}}; break;
    case adDown: tri = {{cx - s, cy - s / 2}, {cx + s, cy - s / 2}, {cx, cy + s / 2 + 1}}; break;
    case adRight: tri = {{cx - s / 2, cy - s}, {cx - s / 2, cy + s}, {cx + s / 2 + 1, cy}}; break;
    case adLeft: tri = {{cx + s / 2, cy - s}, {cx + s / 2, cy + s}, {cx - s / 2 - 1, cy}}; break;
  }
  c.Polygon(tri);
}

}  // namespace ui

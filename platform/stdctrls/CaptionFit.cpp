#include "platform/stdctrls/CaptionFit.h"

#include <QApplication>
#include <QFontMetrics>
#include <QStyle>
#include <QStyleOptionButton>
#include <algorithm>

#include "platform/graphics/Bitmap.h"
#include "platform/graphics/detail/QtGraphics.h"
#include "platform/stdctrls/Buttons.h"
#include "platform/stdctrls/StdCtrls.h"

namespace {

// Text drawn by our own canvas (labels, speed buttons), measured the way it is drawn.
TSize CanvasExtent(TControl* c, const AnsiString& text, unsigned flags, int wrapWidth) {
  TBitmap scratch;
  scratch.SetSize(1, 1);
  TCanvas* canvas = scratch.Canvas();
  canvas->Font()->Assign(c->Font());
  TRect r(0, 0, wrapWidth, 0);
  canvas->DrawText(text, r, flags | DT_CALCRECT);
  return {r.Width(), r.Height()};
}

// A caption of a widget the style draws: the style's room beside the box or inside the
// frame, and the text in the widget's font with its accelerator.
void StyleFit(TControl* c, QStyle::SubElement contents, int glyphWidth, bool defaultButton, TCaptionFit& out) {
  gfx::EnsureGuiApplication();
  const QFont font = gfx::ToQFont(*c->Font());
  const QFontMetrics fm(font);
  QStyleOptionButton opt;
  opt.rect = QRect(0, 0, c->Width(), c->Height());
  opt.fontMetrics = fm;
  opt.text = gfx::ToQString(c->Caption());
  opt.state = QStyle::State_Enabled;
  if (defaultButton) opt.features |= QStyleOptionButton::DefaultButton | QStyleOptionButton::AutoDefaultButton;
  const QRect room = QApplication::style()->subElementRect(contents, &opt, nullptr);
  const QSize text = fm.size(Qt::TextShowMnemonic, opt.text);
  out.Extent = {text.width(), text.height()};
  // Beside a glyph the style keeps 4 pixels between it and the text.
  out.Room = {room.width() - (glyphWidth > 0 ? glyphWidth + 4 : 0), room.height()};
}

}  // namespace

bool CaptionFit(TControl* Control, TCaptionFit& Out) {
  if (Control == nullptr || Control->Caption().empty()) return false;
  if (auto* l = dynamic_cast<TLabel*>(Control)) {
    const unsigned flags = (l->WordWrap() ? DT_WORDBREAK : 0u) | (l->ShowAccelChar() ? 0u : DT_NOPREFIX);
    Out.Extent = CanvasExtent(l, l->Caption(), flags, l->WordWrap() ? l->ClientWidth() : 0);
    Out.Room = {l->ClientWidth(), l->ClientHeight()};
    return true;
  }
  if (auto* s = dynamic_cast<TSpeedButton*>(Control)) {
    // Drawn by itself: a frame of one pixel, the glyph and its spacing beside the text.
    const TRect part = s->Glyph()->Empty() ? TRect() : GlyphPart(*s->Glyph(), s->NumGlyphs(), 0);
    const bool beside = s->Layout() == blGlyphLeft || s->Layout() == blGlyphRight;
    const int gap = part.Width() > 0 ? s->Spacing() : 0;
    Out.Extent = CanvasExtent(s, s->Caption(), DT_SINGLELINE, 0);
    Out.Room = {s->ClientWidth() - 2 - (beside ? part.Width() + gap : 0),
                s->ClientHeight() - 2 - (beside ? 0 : part.Height() + gap)};
    return true;
  }
  if (dynamic_cast<TCheckBox*>(Control) != nullptr) {
    StyleFit(Control, QStyle::SE_CheckBoxContents, 0, false, Out);
    return true;
  }
  if (dynamic_cast<TRadioButton*>(Control) != nullptr) {
    StyleFit(Control, QStyle::SE_RadioButtonContents, 0, false, Out);
    return true;
  }
  if (auto* b = dynamic_cast<TButton*>(Control)) {
    int glyph = 0;
    if (auto* bb = dynamic_cast<TBitBtn*>(b); bb != nullptr && !bb->Glyph()->Empty())
      glyph = GlyphPart(*bb->Glyph(), bb->NumGlyphs(), 0).Width();
    StyleFit(Control, QStyle::SE_PushButtonContents, glyph, b->Default(), Out);
    return true;
  }
  return false;
}

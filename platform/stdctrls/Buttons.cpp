#include "platform/stdctrls/Buttons.h"

#include <QIcon>
#include <QPixmap>
#include <QPushButton>
#include <algorithm>

#include "platform/stdctrls/ExtCtrls.h"
#include "platform/ui/detail/QtControls.h"

TRect GlyphPart(const TBitmap& glyph, int numGlyphs, int index) {
  const int n = std::max(1, numGlyphs);
  const int w = glyph.Width() / n;
  if (index < 0 || index >= n) index = 0;
  return TRect(index * w, 0, (index + 1) * w, glyph.Height());
}

namespace {

// One image of a glyph strip, with its transparent colour (the strip's bottom-left pixel)
// drawn through.
void DrawGlyph(TCanvas* c, TBitmap& glyph, int numGlyphs, int index, int x, int y) {
  if (glyph.Empty()) return;
  const TRect part = GlyphPart(glyph, numGlyphs, index);
  TBitmap one;
  one.SetSize(part.Width(), part.Height());
  one.Canvas()->CopyRect(TRect(0, 0, part.Width(), part.Height()), glyph.Canvas(), part);
  one.SetTransparentColor(glyph.Canvas()->Pixel(0, glyph.Height() - 1));
  one.SetTransparent(true);
  c->Draw(x, y, &one);
}

struct GlyphLayout {
  TPoint glyph;
  TRect text;
};

// Places glyph and caption in `client`: as one centred block when margin is -1, or the
// glyph `margin` pixels from its edge.
GlyphLayout LayOut(TCanvas* c, const TRect& client, TSize glyph, const AnsiString& caption,
                   TButtonLayout layout, int margin, int spacing) {
  TRect tr(0, 0, 0, 0);
  if (!caption.empty()) c->DrawText(caption, tr, DT_CALCRECT | DT_SINGLELINE);
  const TSize text{tr.Width(), tr.Height()};
  const bool horizontal = layout == blGlyphLeft || layout == blGlyphRight;
  const int gap = glyph.cx > 0 && text.cx > 0 ? spacing : 0;
  const int cw = client.Width(), ch = client.Height();
  GlyphLayout out;
  if (horizontal) {
    const int total = glyph.cx + gap + text.cx;
    int start = margin < 0 ? (cw - total) / 2 : margin;
    const int gy = (ch - glyph.cy) / 2, ty = (ch - text.cy) / 2;
    if (layout == blGlyphLeft) {
      out.glyph = {client.Left + start, client.Top + gy};
      out.text = Bounds(client.Left + start + glyph.cx + gap, client.Top + ty, text.cx, text.cy);
    } else {
      start = margin < 0 ? start : cw - margin - total;
      out.text = Bounds(client.Left + start, client.Top + ty, text.cx, text.cy);
      out.glyph = {client.Left + start + text.cx + gap, client.Top + gy};
    }
  } else {
    const int total = glyph.cy + gap + text.cy;
    int start = margin < 0 ? (ch - total) / 2 : margin;
    const int gx = (cw - glyph.cx) / 2, tx = (cw - text.cx) / 2;
    if (layout == blGlyphTop) {
      out.glyph = {client.Left + gx, client.Top + start};
      out.text = Bounds(client.Left + tx, client.Top + start + glyph.cy + gap, text.cx, text.cy);
    } else {
      start = margin < 0 ? start : ch - margin - total;
      out.text = Bounds(client.Left + tx, client.Top + start, text.cx, text.cy);
      out.glyph = {client.Left + gx, client.Top + start + text.cy + gap};
    }
  }
  return out;
}

}  // namespace

// ---- TBitBtn ----

TBitBtn::TBitBtn(TComponent* AOwner) : TButton(AOwner) {
  glyph_.OnChange = [this](TObject*) { GlyphChanged(); };
}

TBitBtn::~TBitBtn() { glyph_.OnChange = nullptr; }

void TBitBtn::SetKind(TBitBtnKind v) {
  struct Stock {
    const char* caption;
    TModalResult result;
  };
  static constexpr Stock kStock[] = {
      {"", mrNone},          {"OK", mrOk},         {"Cancel", mrCancel},   {"&Help", mrNone},
      {"&Yes", mrYes},       {"&No", mrNo},        {"&Close", mrNone},     {"Abort", mrAbort},
      {"&Retry", mrRetry},   {"&Ignore", mrIgnore}, {"&All", mrAll},
  };
  kind_ = v;
  if (v == bkCustom) return;
  const Stock& s = kStock[v];
  SetCaption(s.caption);
  SetModalResult(s.result);
  if (v == bkOK) SetDefault(true);
  if (v == bkCancel) SetCancel(true);
}

void TBitBtn::SetNumGlyphs(int v) {
  num_glyphs_ = std::clamp(v, 1, 4);
  GlyphChanged();
}

void TBitBtn::SetLayout(TButtonLayout v) {
  layout_ = v;
  if (auto* w = qobject_cast<QPushButton*>(ui::detail::WidgetOf(this)))
    w->setLayoutDirection(v == blGlyphRight ? Qt::RightToLeft : Qt::LeftToRight);
}

void TBitBtn::Click() {
  // A close button closes its form unless the form is shown modally, where the result
  // ends the dialog instead.
  if (kind_ == bkClose && Enabled()) {
    TButton::Click();
    if (TForm* f = ParentForm(); f && !f->Modal()) f->Close();
    return;
  }
  TButton::Click();
}

void TBitBtn::CreateHandle() {
  TButton::CreateHandle();
  GlyphChanged();
  SetLayout(layout_);
}

void TBitBtn::GlyphChanged() {
  auto* w = qobject_cast<QPushButton*>(ui::detail::WidgetOf(this));
  if (!w) return;
  if (glyph_.Empty()) {
    w->setIcon(QIcon());
    return;
  }
  const TRect part = GlyphPart(glyph_, num_glyphs_, 0);
  const QImage& img = gfx::ImageOf(glyph_);
  QPixmap pm = QPixmap::fromImage(img.copy(gfx::ToQRect(part)));
  const QColor key = img.pixelColor(0, img.height() - 1);
  pm.setMask(pm.createMaskFromColor(key, Qt::MaskInColor));
  w->setIcon(QIcon(pm));
  w->setIconSize(pm.size());
}

// ---- TSpeedButton ----

TSpeedButton::TSpeedButton(TComponent* AOwner) : TGraphicControl(AOwner) {
  SetBounds(0, 0, 23, 22);
  glyph_.OnChange = [this](TObject*) { Invalidate(); };
}

TSpeedButton::~TSpeedButton() { glyph_.OnChange = nullptr; }

void TSpeedButton::SetNumGlyphs(int v) {
  num_glyphs_ = std::clamp(v, 1, 4);
  Invalidate();
}

template <typename F>
void TSpeedButton::ForGroup(F f) {
  if (group_index_ == 0 || !Parent()) return;
  TWinControl* p = Parent();
  for (int i = 0; i < p->ControlCount(); ++i)
    if (auto* b = dynamic_cast<TSpeedButton*>(p->Controls(i)); b && b != this && b->group_index_ == group_index_)
      f(b);
}

void TSpeedButton::SetGroupIndex(int v) {
  group_index_ = v;
  if (v == 0) {
    down_ = false;
    Invalidate();
    return;
  }
  // Joining a group takes the group's AllowAllUp, and a down button releases the others.
  bool first = true;
  ForGroup([&](TSpeedButton* b) {
    if (first) allow_all_up_ = b->allow_all_up_;
    first = false;
  });
  if (down_) ForGroup([](TSpeedButton* b) { b->down_ = false; b->Invalidate(); });
}

void TSpeedButton::SetDown(bool v) {
  if (group_index_ == 0) v = false;
  if (v == down_) return;
  if (down_ && !allow_all_up_) return;
  down_ = v;
  if (v) ForGroup([](TSpeedButton* b) {
      if (b->down_) {
        b->down_ = false;
        b->Invalidate();
      }
    });
  Invalidate();
}

void TSpeedButton::SetAllowAllUp(bool v) {
  allow_all_up_ = v;
  ForGroup([v](TSpeedButton* b) { b->allow_all_up_ = v; });
}

void TSpeedButton::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (Button == mbLeft && Enabled()) {
    pressed_ = true;
    Invalidate();
  }
  TGraphicControl::MouseDown(Button, Shift, X, Y);
}

void TSpeedButton::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (Button == mbLeft && pressed_) {
    pressed_ = false;
    // The command acts on what the window shows (see TButton::Click).
    TForm* f = ParentForm();
    if (ClientRect().Contains({X, Y}) && (f == nullptr || f->CommitActiveControl())) {
      // A grouped button goes down, or back up when the group allows none down.
      if (group_index_ != 0) SetDown(!down_ || !allow_all_up_);
      Invalidate();
      TGraphicControl::MouseUp(Button, Shift, X, Y);
      Click();
      return;
    }
    Invalidate();
  }
  TGraphicControl::MouseUp(Button, Shift, X, Y);
}

void TSpeedButton::Paint() {
  TCanvas* c = Canvas();
  TRect r = ClientRect();
  const bool sunk = down_ || pressed_;
  c->Brush()->SetStyle(bsSolid);
  c->Brush()->SetColor(down_ && !pressed_ ? clBtnHighlight : Color());
  c->FillRect(r);
  TRect frame = r;
  if (sunk) Frame3D(c, frame, clBtnShadow, clBtnHighlight, 1);
  else if (!flat_) Frame3D(c, frame, clBtnHighlight, clBtnShadow, 1);
  c->Font()->Assign(Font());
  if (!Enabled()) c->Font()->SetColor(clGrayText);
  const TRect part = glyph_.Empty() ? TRect() : GlyphPart(glyph_, num_glyphs_, 0);
  GlyphLayout at = LayOut(c, r, {part.Width(), part.Height()}, Caption(), layout_, margin_, spacing_);
  const int shift = sunk ? 1 : 0;
  // Images of the strip: up, disabled, clicked, stay-down.
  const int index = !Enabled() ? 1 : pressed_ ? 2 : down_ ? 3 : 0;
  DrawGlyph(c, glyph_, num_glyphs_, index < num_glyphs_ ? index : 0, at.glyph.x + shift, at.glyph.y + shift);
  if (!Caption().empty()) {
    c->Brush()->SetStyle(bsClear);
    TRect tr = at.text;
    tr = Bounds(tr.Left + shift, tr.Top + shift, tr.Width(), tr.Height());
    c->DrawText(Caption(), tr, DT_SINGLELINE | DT_NOCLIP);
  }
}

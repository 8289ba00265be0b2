#include "gauges/AbSwitch.h"

#include <algorithm>

TAbSwitch::TAbSwitch(TComponent* AOwner) : TAbBinGControl(AOwner) {
  bevel_.SetWidth(1);
  bevel_.SetSpacing(1);
  bevel_.SetStyle(bsLowered);
  bevel_.SetColor(clBtnShadow);
  bevel_.SetBevelLine(blInner);
  bevel_.OnChange = [this](TObject*) { TextChangedHook(); };
  SetMode(mSwitch);
}

TAbSwitch::~TAbSwitch() { bevel_.OnChange = nullptr; }

void TAbSwitch::SetBtnColorHighlight(TColor v) {
  if (v == highlight_) return;
  highlight_ = v;
  StateChanged();
}

void TAbSwitch::SetBtnColorShadow(TColor v) {
  if (v == shadow_) return;
  shadow_ = v;
  StateChanged();
}

void TAbSwitch::SetBtnColorFace(TColor v) {
  if (v == face_) return;
  face_ = v;
  StateChanged();
}

void TAbSwitch::SetBtnBevelWidth(int v) {
  if (v < 0 || v == bevel_width_) return;
  bevel_width_ = v;
  StateChanged();
}

void TAbSwitch::SetSwapGraphic(bool v) {
  if (v == swap_) return;
  swap_ = v;
  StateChanged();
}

void TAbSwitch::SetOrientation(TBtnOrientation v) {
  if (v == orientation_) return;
  orientation_ = v;
  const int longSide = std::max(Width(), Height()), shortSide = std::min(Width(), Height());
  if (v == boHorizontal)
    SetBounds(Left(), Top(), longSide, shortSide);
  else
    SetBounds(Left(), Top(), shortSide, longSide);
  TextChangedHook();
}

void TAbSwitch::Paint() {
  TCanvas* c = Canvas();
  c->Font()->Assign(Font());
  TRect r = ClientRect();
  bevel_.PaintBevel(c, r);
  switch_rect_ = r;
  if (r.IsEmpty()) return;
  TBitmap face;
  face.SetSize(r.Width(), r.Height());
  face.Canvas()->Font()->Assign(Font());
  DrawSwitch(face.Canvas(), TRect(0, 0, r.Width(), r.Height()), Vertical(), Checked() != swap_);
  c->Draw(r.Left, r.Top, &face);
}

void TAbSwitch::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  const bool state = Checked() != swap_;
  // Only a press on the half away from the lever moves it.
  const bool away = Vertical() ? (state ? Y > Height() / 2 : Y < Height() / 2)
                               : (state ? X > Width() / 2 : X < Width() / 2);
  if (away)
    TAbBinGControl::MouseDown(Button, Shift, X, Y);
  else
    TGraphicControl::MouseDown(Button, Shift, X, Y);
}

TAbToggleSwitch::TAbToggleSwitch(TComponent* AOwner) : TAbSwitch(AOwner) { SetBounds(0, 0, 25, 57); }

void TAbToggleSwitch::SetTextOff(const AnsiString& v) {
  if (v == text_off_) return;
  text_off_ = v;
  TextChangedHook();
}

void TAbToggleSwitch::SetTextOn(const AnsiString& v) {
  if (v == text_on_) return;
  text_on_ = v;
  TextChangedHook();
}

void TAbToggleSwitch::SetColorOn(TColor v) {
  if (v == color_on_) return;
  color_on_ = v;
  TextChangedHook();
}

void TAbToggleSwitch::SetColorOff(TColor v) {
  if (v == color_off_) return;
  color_off_ = v;
  TextChangedHook();
}

void TAbToggleSwitch::DrawSwitch(TCanvas* Canvas, const TRect& R, bool Vertical, bool State) {
  TCanvas* c = Canvas;
  const AnsiString& text = Checked() ? text_on_ : text_off_;
  const TColor colour = Checked() ? color_on_ : color_off_;
  const bool s = State;
  TRect b = R;
  if (Vertical) {
    if (s)
      b.Bottom = R.Top + R.Height() / 2;
    else
      b.Top = R.Top + R.Height() / 2;
  } else {
    if (s)
      b.Right = R.Left + R.Width() / 2;
    else
      b.Left = R.Left + R.Width() / 2;
  }
  c->Pen()->SetWidth(1);
  c->Pen()->SetColor(colour);
  c->Brush()->SetStyle(bsSolid);
  c->Brush()->SetColor(colour);
  c->Rectangle(R);
  c->Brush()->SetColor(BtnColorFace());
  c->Pen()->SetColor(clBlack);
  c->Rectangle(b);
  ShrinkRect(b, 1);
  AbFrame3D(c, b, BtnColorHighlight(), BtnColorShadow(), BtnBevelWidth());
  auto line = [&](TColor col, int x1, int y1, int x2, int y2) {
    c->Pen()->SetColor(col);
    c->MoveTo(x1, y1);
    c->LineTo(x2, y2);
  };
  if (Vertical) {
    for (int y = b.Top + 2; y < b.Bottom - 2; y += 4) {
      line(BtnColorHighlight(), b.Left + 1, y, b.Right - 2, y);
      line(BtnColorShadow(), b.Left + 1, y + 1, b.Right - 2, y + 1);
    }
  } else {
    for (int x = b.Left + 2; x < b.Right - 2; x += 4) {
      line(BtnColorShadow(), x, b.Top + 2, x, b.Bottom - 2);
      line(BtnColorHighlight(), x + 1, b.Top + 2, x + 1, b.Bottom - 2);
    }
  }
  c->Brush()->SetStyle(bsClear);
  c->Font()->Assign(Font());
  int x, y;
  if (Vertical) {
    x = R.Left + R.Width() / 2;
    y = s ? R.Bottom - R.Height() / 4 : R.Top + R.Height() / 4;
  } else {
    x = s ? R.Right - R.Width() / 4 : R.Left + R.Width() / 4;
    y = R.Top + R.Height() / 2;
  }
  MultiLineTextOut(c, x, y, 4, text, 0);
}

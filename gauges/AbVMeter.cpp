#include "gauges/AbVMeter.h"

#include <algorithm>

TAbVMeter::TAbVMeter(TComponent* AOwner) : TAbAnalogGControl(AOwner) {
  bevel_inner_.SetStyle(bsLowered);
  bevel_inner_.SetBevelLine(blInner);
  bevel_outer_.SetBevelLine(blOuter);
  bevel_value_.SetStyle(bsLowered);
  bevel_value_.SetColor(clBlack);
  bevel_value_.SetSpacing(0);
  font_value_.SetName("System");
  font_value_.SetSize(10);
  font_value_.SetColor(clLime);
  options_ = TVMeterOptions::FromBits(511);
  auto changed = [this](TObject*) { ParamChange(); };
  for (TAbPersistent* p : std::initializer_list<TAbPersistent*>{&bevel_inner_, &bevel_outer_, &bevel_value_, &scale_})
    p->OnChange = changed;
  font_value_.OnChange = changed;
  SetBounds(0, 0, 98, 273);
  ParamChange();  // lays out a control made in code; one read from a resource does it when loaded
}

TAbVMeter::~TAbVMeter() {
  for (TAbPersistent* p : std::initializer_list<TAbPersistent*>{&bevel_inner_, &bevel_outer_, &bevel_value_, &scale_})
    p->OnChange = nullptr;
  font_value_.OnChange = nullptr;
  RemoveFlashClient(this);
}

void TAbVMeter::SetAutoSize(bool v) {
  auto_size_ = v;
  ParamChange();
}

void TAbVMeter::SetOptions(TVMeterOptions v) {
  options_ = v;
  ParamChange();
}

void TAbVMeter::SettingsChanged() {
  TAbAnalogGControl::SettingsChanged();
  CalcLayout();
  face_stale_ = true;
  AlertCheck();
  Invalidate();
}

void TAbVMeter::LogScaleChanged() {
  scale_.LogScale = LogScale();
  ParamChange();
}

void TAbVMeter::Resize() {
  TAbAnalogGControl::Resize();
  face_stale_ = true;
  Invalidate();
}

void TAbVMeter::SetEnabled(bool v) {
  if (v == Enabled()) return;
  TAbAnalogGControl::SetEnabled(v);
  face_stale_ = true;
  AlertCheck();
}

void TAbVMeter::ColorChanged() {
  face_stale_ = true;
  TAbAnalogGControl::ColorChanged();
}

TColor TAbVMeter::DisabledInk() const {
  if (Enabled()) return clNone;
  // Light grey on a dark face, mid grey on a light one.
  const auto rgb = static_cast<uint32_t>(ColorToRGB(Color()));
  const int light = (rgb & 0xFF) + (rgb >> 8 & 0xFF) + (rgb >> 16 & 0xFF);
  return light < 3 * 0x90 ? ColorValue(0xC0C0C0) : ColorValue(0x808080);
}

void TAbVMeter::CalcLayout() {
  TSignalSettings* s = SignalSettings();
  MeasureTextSize(Font(), s->Name1(), name1_w_, name1_h_);
  MeasureTextSize(Font(), s->Name2(), name2_w_, name2_h_);
  MeasureTextSize(&font_value_, s->LongestFormat(), value_w_, value_h_);
  MeasureTextSize(&font_value_, s->ValueUnit(), unit_w_, unit_h_);
  if (!Has(TVMeterOption::opUnit)) unit_w_ = 0;
  scale_.LogScale = LogScale();
  scale_.MeasureLinear(GaugeMeasureCanvas(), s->ValueTo(), s->ValueFrom());
  const int bo = Has(TVMeterOption::opBevelOuter) ? 2 * bevel_outer_.TotalWidth() : 0;
  const int bi = Has(TVMeterOption::opBevelInner) ? 2 * bevel_inner_.TotalWidth() : 0;
  const int t = scale_.MainTickLength, bv = 2 * bevel_value_.TotalWidth();
  int h = Has(TVMeterOption::opBevelOuter) ? scale_.TotalLength + bo + t : scale_.TotalLength;
  int w = bo;
  if (Has(TVMeterOption::opName1)) h += name1_h_, w = std::max(w, name1_w_ + bo);
  if (Has(TVMeterOption::opName2)) h += name2_h_, w = std::max(w, name2_w_ + bo);
  if (Has(TVMeterOption::opBevelInner)) h += bi, w = std::max(w, bo + bi);
  w = std::max(w, scale_.TotalWidth + bo + bi + t / 2 + 1);
  if (Has(TVMeterOption::opValue)) {
    h += value_h_ + bv + bevel_inner_.TotalWidth();
    w = std::max(w, value_h_ / 3 + bo + bi + value_w_ + unit_w_ + bv);
  }
  w = std::clamp(w, 0, 32767);
  h = std::clamp(h, 0, 32767);
  if (auto_size_ && (w != Width() || h != Height())) SetBounds(Left(), Top(), w, h);
}

void TAbVMeter::ShowingChanged(bool OnScreen) {
  TAbAnalogGControl::ShowingChanged(OnScreen);
  // A window that is not on the screen keeps no face image: a form shown once and
  // closed again gives the memory back, and the face is drawn anew when it returns.
  if (!OnScreen) {
    face_.SetSize(0, 0);
    face_stale_ = true;
  } else if (Width() > 0 && Height() > 0) {
    PrepareFace();
  }
}

void TAbVMeter::PrepareFace() {
  if (face_stale_ || face_.Width() != Width() || face_.Height() != Height()) RenderFace();
}

void TAbVMeter::RenderFace() {
  face_stale_ = false;
  const int W = std::max(1, Width()), H = std::max(1, Height());
  face_.SetSize(W, H);
  TCanvas* c = face_.Canvas();
  c->Brush()->SetStyle(bsSolid);
  c->Brush()->SetColor(Color());
  c->FillRect(TRect(0, 0, W, H));
  TRect R(0, 0, W, H);
  int d = 0;
  if (Has(TVMeterOption::opBevelOuter)) {
    bevel_outer_.PaintBevel(c, R);
    d = bevel_outer_.Spacing() / 2;
  }
  c->Brush()->SetStyle(bsClear);
  c->Font()->Assign(Font());
  const TColor ink = DisabledInk();
  if (ink != clNone) c->Font()->SetColor(ink);
  const TSignalSettings* s = SignalSettings();
  if (Has(TVMeterOption::opName2)) {
    R.Bottom -= name2_h_;
    c->TextOut(R.Left + (R.Width() - name2_w_) / 2, R.Bottom + d, s->Name2());
  }
  if (Has(TVMeterOption::opName1)) {
    R.Bottom -= name1_h_;
    c->TextOut(R.Left + (R.Width() - name1_w_) / 2, R.Bottom + d, s->Name1());
  }
  c->Font()->Assign(&font_value_);
  value_box_ = TRect();
  if (Has(TVMeterOption::opValue)) {
    const int m = value_h_ / 3, bv = 2 * bevel_value_.TotalWidth(), vh = bv + value_h_;
    const int x = (R.Width() - value_w_ - unit_w_ - m) / 2 + R.Left - m;
    value_box_ = TRect(x, R.Top, x + value_w_ + bv + 2 * m, R.Top + vh);
    if (ink == clNone) {
      bevel_value_.PaintBevel(c, value_box_);
    } else {
      // Disabled: no black box, only its place on the meter's colour.
      c->Brush()->SetStyle(bsSolid);
      c->Brush()->SetColor(Color());
      c->FillRect(value_box_);
      const int w = bevel_value_.TotalWidth();
      value_box_ = TRect(value_box_.Left + w, value_box_.Top + w, value_box_.Right - w, value_box_.Bottom - w);
    }
    c->Font()->SetColor(ink != clNone ? ink : Font()->Color());
    c->Brush()->SetStyle(bsClear);
    if (Has(TVMeterOption::opUnit)) c->TextOut(value_box_.Right + m, value_box_.Top, s->ValueUnit());
    value_box_.Left += m;
    value_box_.Right -= m;
    R.Top += vh + bevel_outer_.Spacing();
  }
  if (Has(TVMeterOption::opBevelInner)) bevel_inner_.PaintBevel(c, R);
  if (ink != clNone) {
    // Disabled: the scale stands on the meter's own colour.
    c->Brush()->SetStyle(bsSolid);
    c->Brush()->SetColor(Color());
    c->FillRect(R);
    c->Brush()->SetStyle(bsClear);
  }
  const int t = scale_.MainTickLength, h2 = t / 2;
  R.Top += h2;
  R.Bottom -= h2 + 1;
  too_small_ = R.Width() < 2 || R.Height() < 2;
  if (too_small_) return;
  const int sw = scale_.TotalWidth, x0 = (Width() - sw - h2) / 2;
  TRect S = R, bars;
  if (scale_.PosLeftTop()) {
    S.Left = x0;
    S.Right = x0 + sw;
    pointer_area_ = TRect(S.Right - h2, S.Top - h2, S.Right - h2 + t, S.Bottom + h2 + 1);
    bars = TRect(S.Right - scale_.SubTickLength + 1, S.Top, S.Right, S.Bottom);
  } else {
    S.Left = x0 + h2;
    S.Right = S.Left + sw;
    pointer_area_ = TRect(S.Left - h2, S.Top - h2, S.Left + h2, S.Bottom + h2);
    bars = TRect(S.Left, S.Top, S.Left + scale_.SubTickLength, S.Bottom);
  }
  if (Has(TVMeterOption::opSector) && ink == clNone) {
    const double f = bars.Height() / 1000.0;
    c->Pen()->SetStyle(psClear);
    c->Brush()->SetStyle(bsSolid);
    for (int k = 1; k <= 4; ++k) {
      const auto& sec = SectorSettings()->At(k);
      if (!(sec.To - sec.From > 0 && sec.To > 0 && sec.From < 1000)) continue;
      c->Brush()->SetColor(sec.Color);
      // Upright: the top edge at To, the bottom edge at From.
      c->FillRect(TRect(bars.Left, bars.Bottom - AbRound(std::min(1000, sec.To) * f), bars.Right,
                        bars.Bottom - AbRound(std::max(0, sec.From) * f)));
    }
    c->Pen()->SetStyle(psSolid);
  }
  scale_.MeasureLinear(c, s->ValueTo(), s->ValueFrom());
  scale_.DrawLinear(c, S, ink);
}

TAbVMeter::Drawn TAbVMeter::DrawnNow() const {
  const double f = (scale_.Ppt0Y - scale_.Ppt1000Y) / 1000.0;
  Drawn d;
  d.pointer = AbRound(PPT() * f);
  d.min = AbRound(MinPPT() * f);
  d.max = AbRound(MaxPPT() * f);
  if (Has(TVMeterOption::opValue)) d.text = ValueText();
  return d;
}

void TAbVMeter::PlacePointer() {
  const int t = scale_.MainTickLength, h2 = t / 2;
  const double f = (scale_.Ppt0Y - scale_.Ppt1000Y) / 1000.0;
  const int y = scale_.Ppt0Y - AbRound(PPT() * f), miny = scale_.Ppt0Y - AbRound(MinPPT() * f),
            maxy = scale_.Ppt0Y - AbRound(MaxPPT() * f);
  if (scale_.PosLeftTop()) {
    const int b = pointer_area_.Right - 1, c = b - t - t + 4;
    pointer_ = {TPoint{b, y + h2}, TPoint{b, y - h2}, TPoint{b - t, y}};
    min_marker_ = {TPoint{c, miny}, TPoint{c, miny + h2}, TPoint{c + t, miny}};
    max_marker_ = {TPoint{c, maxy}, TPoint{c, maxy - h2}, TPoint{c + t, maxy}};
  } else {
    const int b = pointer_area_.Left, c = b + t - 4;
    pointer_ = {TPoint{b, y - h2}, TPoint{b, y + h2}, TPoint{b + t, y}};
    min_marker_ = {TPoint{c, miny}, TPoint{c + t, miny + h2}, TPoint{c + t, miny}};
    max_marker_ = {TPoint{c, maxy}, TPoint{c + t, maxy - h2}, TPoint{c + t, maxy}};
  }
}

void TAbVMeter::Paint() {
  if (UpdateCount() > 0) return;
  PrepareFace();
  TCanvas* c = Canvas();
  c->Draw(0, 0, &face_);
  if (too_small_) return;
  const TColor ink = DisabledInk();
  if (Has(TVMeterOption::opValue) && !value_box_.IsEmpty()) {
    c->Brush()->SetStyle(bsSolid);
    c->Brush()->SetColor(ink != clNone ? Color() : bevel_value_.Color());
    c->FillRect(value_box_);
    c->Font()->Assign(&font_value_);
    if (ink != clNone) c->Font()->SetColor(ink);
    c->Brush()->SetStyle(bsClear);
    const AnsiString text = Designing() ? SignalSettings()->LongestFormat() : ValueText();
    c->TextOut(value_box_.Right - c->TextWidth(text), value_box_.Top, text);
  }
  PlacePointer();
  c->Pen()->SetColor(clBlack);
  c->Pen()->SetWidth(1);
  c->Brush()->SetStyle(bsSolid);
  auto marker = [&](const std::array<TPoint, 3>& m, int ppt, TColor own, bool visible) {
    if (!visible) return;
    const TColor sc = SectorSettings()->SectorColorAt(ppt);
    c->Brush()->SetColor(MinMax()->UseSectorCol() && sc != clNone ? sc : own);
    c->Polygon({m.begin(), m.end()});
  };
  marker(min_marker_, MinPPT(), MinMax()->MinColor(), MinMax()->MinVisible() && ink == clNone);
  marker(max_marker_, MaxPPT(), MinMax()->MaxColor(), MinMax()->MaxVisible() && ink == clNone);
  if (ink != clNone) c->Pen()->SetColor(ink);
  c->Brush()->SetColor(ink != clNone ? ink : blinking_ ? alert_color_ : scale_.PointerColor());
  c->Polygon({pointer_.begin(), pointer_.end()});
  shown_ = DrawnNow();
  painted_ = !Designing();
}

void TAbVMeter::ValueChanged() {
  TAbAnalogGControl::ValueChanged();
  if (!too_small_ && (!painted_ || !(DrawnNow() == shown_))) Invalidate();
}

void TAbVMeter::OverflowChanged(int) { AlertCheck(); }
void TAbVMeter::LimitChanged() { AlertCheck(); }

void TAbVMeter::AlertCheck() {
  const bool passed = (Has(TVMeterOption::opOverflow) && (Overflow() || Underflow())) ||
                      (Has(TVMeterOption::opLimit) && (AboveLimit() || BelowLimit()));
  if (passed && Enabled()) {
    AddFlashClient(this, 4);
    blinking_ = true;
  } else {
    blinking_ = false;
    RemoveFlashClient(this);
  }
  Invalidate();
}

void TAbVMeter::WndProc(TMessage& Message) {
  if (Message.Msg == WM_FLASH) {
    // A passed limit blinks as an overflow does: either option makes the pointer blink.
    if (!too_small_ && Visible() && (Has(TVMeterOption::opOverflow) || Has(TVMeterOption::opLimit))) {
      alert_color_ = Message.LParam != 0 ? BlinkColorOn : BlinkColorOff;
      Invalidate();
    }
    return;
  }
  TAbAnalogGControl::WndProc(Message);
}

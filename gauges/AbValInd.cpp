#include "gauges/AbValInd.h"

#include <algorithm>

namespace {
void ValueFont(TFont& f) {
  f.SetName("System");
  f.SetSize(10);
  f.SetColor(clLime);
}

void ValueBevel(TAbSBevel& b) {
  b.SetStyle(bsLowered);
  b.SetColor(clBlack);
  b.SetSpacing(0);
}

// The value box at the top of R: framed, the unit beside it; returns the box's inside.
TRect PaintValueBox(TCanvas* c, const TRect& R, int m, int valueW, int valueH, int unitW, TAbSBevel& bevel,
                    TColor unitColour, const AnsiString* unit) {
  const int bv = 2 * bevel.TotalWidth();
  const int x = (R.Width() - valueW - unitW - m) / 2 + R.Left - m;
  TRect box(x, R.Top, x + valueW + bv + 2 * m, R.Top + bv + valueH);
  bevel.PaintBevel(c, box);
  c->Font()->SetColor(unitColour);
  c->Brush()->SetStyle(bsClear);
  if (unit != nullptr) c->TextOut(box.Right + m, box.Top, *unit);
  box.Left += m;
  box.Right -= m;
  return box;
}

// The read-out's text size: the longest format section, widened to the widest value the range
// can show, so that "100" in a "##0" box or "-9.9" in a "#0.0" box keeps all its digits.
void MeasureValueText(TFont* font, const TSignalSettings& s, int& w, int& h) {
  MeasureTextSize(font, s.LongestFormat(), w, h);
  for (const double v : {static_cast<double>(s.ValueFrom()), static_cast<double>(s.ValueTo())}) {
    int vw = 0, vh = 0;
    MeasureTextSize(font, FormatFloat(s.ValueFormat(), v), vw, vh);
    w = std::max(w, vw);
  }
}

void PaintValueText(TCanvas* c, const TRect& box, TAbSBevel& bevel, TFont* font, const AnsiString& text) {
  if (box.IsEmpty()) return;
  c->Brush()->SetStyle(bsSolid);
  c->Brush()->SetColor(bevel.Color());
  c->FillRect(box);
  c->Font()->Assign(font);
  c->Brush()->SetStyle(bsClear);
  c->TextOut(box.Right - c->TextWidth(text), box.Top, text);
}
}  // namespace

// --- TAbValueInd ------------------------------------------------------------------------

TAbValueInd::TAbValueInd(TComponent* AOwner) : TAbAnalogGControl(AOwner) {
  ValueFont(font_value_);
  bevel_inner_.SetStyle(bsLowered);
  bevel_inner_.SetBevelLine(blInner);
  bevel_outer_.SetBevelLine(blOuter);
  ValueBevel(bevel_value_);
  options_ = TValueIndOptions{TValueIndOption::opName1, TValueIndOption::opName2, TValueIndOption::opUnit};
  auto changed = [this](TObject*) { ParamChange(); };
  for (TAbPersistent* p : std::initializer_list<TAbPersistent*>{&bevel_inner_, &bevel_outer_, &bevel_value_})
    p->OnChange = changed;
  font_value_.OnChange = changed;
  SetBounds(0, 0, 67, 48);
  ParamChange();  // lays out a control made in code; one read from a resource does it when loaded
}

TAbValueInd::~TAbValueInd() {
  for (TAbPersistent* p : std::initializer_list<TAbPersistent*>{&bevel_inner_, &bevel_outer_, &bevel_value_})
    p->OnChange = nullptr;
  font_value_.OnChange = nullptr;
  RemoveFlashClient(this);
}

void TAbValueInd::SetAutoSize(bool v) {
  auto_size_ = v;
  ParamChange();
}

void TAbValueInd::SetOptions(TValueIndOptions v) {
  options_ = v;
  ParamChange();
}

void TAbValueInd::SettingsChanged() {
  TAbAnalogGControl::SettingsChanged();
  CalcLayout();
  Invalidate();
}

void TAbValueInd::CalcLayout() {
  TSignalSettings* s = SignalSettings();
  MeasureTextSize(Font(), s->Name1(), name1_w_, name1_h_);
  MeasureTextSize(Font(), s->Name2(), name2_w_, name2_h_);
  MeasureValueText(&font_value_, *s, value_w_, value_h_);
  MeasureTextSize(&font_value_, s->ValueUnit(), unit_w_, unit_h_);
  if (!Has(TValueIndOption::opUnit)) unit_w_ = 0;
  const int bo = Has(TValueIndOption::opBevelOuter) ? 2 * bevel_outer_.TotalWidth() : 0;
  const int bi = Has(TValueIndOption::opBevelInner) ? 2 * bevel_inner_.TotalWidth() : 0;
  const int bv = 2 * bevel_value_.TotalWidth();
  int h = bo, w = bo;
  if (Has(TValueIndOption::opName1)) h += name1_h_, w = std::max(w, name1_w_ + bo);
  if (Has(TValueIndOption::opName2)) h += name2_h_, w = std::max(w, name2_w_ + bo);
  if (Has(TValueIndOption::opBevelInner)) h += bi;
  h += value_h_ + bv;
  w = std::max(w, value_w_ + bo + bi + unit_w_ + bv + value_h_);
  w = std::clamp(w, 0, 32767);
  h = std::clamp(h, 0, 32767);
  if (auto_size_) {
    if (w != Width() || h != Height()) SetBounds(Left(), Top(), w, h);
  } else if (w > Width() || h > Height()) {
    SetBounds(Left(), Top(), std::max(w, Width()), std::max(h, Height()));  // grows, never shrinks
  }
}

void TAbValueInd::ValueChanged() {
  TAbAnalogGControl::ValueChanged();
  if (!shown_ || shown_text_ != ValueText()) Invalidate();
}

void TAbValueInd::Paint() {
  if (UpdateCount() > 0) return;
  TCanvas* c = Canvas();
  TRect R = ClientRect();
  int d = 0;
  if (Has(TValueIndOption::opBevelOuter)) {
    bevel_outer_.PaintBevel(c, R);
    d = bevel_outer_.Spacing() / 2;
  }
  c->Brush()->SetStyle(bsClear);
  c->Font()->Assign(Font());
  const TSignalSettings* s = SignalSettings();
  if (Has(TValueIndOption::opName2)) {
    R.Bottom -= name2_h_;
    c->TextOut(R.Left + (R.Width() - name2_w_) / 2, R.Bottom + d, s->Name2());
  }
  if (Has(TValueIndOption::opName1)) {
    R.Bottom -= name1_h_;
    c->TextOut(R.Left + (R.Width() - name1_w_) / 2, R.Bottom + d, s->Name1());
  }
  if (Has(TValueIndOption::opBevelInner)) bevel_inner_.PaintBevel(c, R);
  c->Font()->Assign(&font_value_);
  value_box_ = PaintValueBox(c, R, value_h_ / 3, value_w_, value_h_, unit_w_, bevel_value_, Font()->Color(),
                             Has(TValueIndOption::opUnit) ? &s->ValueUnit() : nullptr);
  PaintValueText(c, value_box_, bevel_value_, &font_value_, Designing() ? s->LongestFormat() : ValueText());
  shown_text_ = ValueText();
  shown_ = !Designing();
}

// --- TAbHBar ----------------------------------------------------------------------------

TAbHBar::TAbHBar(TComponent* AOwner) : TAbAnalogGControl(AOwner) {
  ValueFont(font_value_);
  bevel_inner_.SetStyle(bsLowered);
  bevel_inner_.SetSpacing(0);
  bevel_inner_.SetBevelLine(blInner);
  bevel_outer_.SetBevelLine(blOuter);
  ValueBevel(bevel_value_);
  bar_.SetminWidth(100);
  bar_.SetminHeight(9);
  bar_.Bevel()->SetSpacing(1);
  bar_.Bevel()->SetColor(clBlack);
  bar_.SetBkBrightness(40);
  options_ = THBarOptions::FromBits(124);
  auto changed = [this](TObject*) { ParamChange(); };
  for (TAbPersistent* p : std::initializer_list<TAbPersistent*>{&bevel_inner_, &bevel_outer_, &bevel_value_, &bar_})
    p->OnChange = changed;
  font_value_.OnChange = changed;
  SetBounds(0, 0, 115, 74);
  ParamChange();
}

TAbHBar::~TAbHBar() {
  for (TAbPersistent* p : std::initializer_list<TAbPersistent*>{&bevel_inner_, &bevel_outer_, &bevel_value_, &bar_})
    p->OnChange = nullptr;
  font_value_.OnChange = nullptr;
  RemoveFlashClient(this);
}

void TAbHBar::SetAutoSize(bool v) {
  auto_size_ = v;
  ParamChange();
}

void TAbHBar::SetOptions(THBarOptions v) {
  if (v.Contains(THBarOption::opOverflow) && (Overflow() || Underflow()))
    AddFlashClient(this, 4);
  else if (!v.Contains(THBarOption::opOverflow))
    RemoveFlashClient(this);
  options_ = v;
  ParamChange();
}

void TAbHBar::SettingsChanged() {
  TAbAnalogGControl::SettingsChanged();
  bar_.ZeroPosition = SignalSettings()->ValueToPPT(0);
  CalcLayout();
  Invalidate();
}

void TAbHBar::MinMaxChanged() {
  TAbAnalogGControl::MinMaxChanged();
  if (Designing()) Invalidate();
}

void TAbHBar::CalcLayout() {
  TSignalSettings* s = SignalSettings();
  MeasureTextSize(Font(), s->Name1(), name1_w_, name1_h_);
  MeasureTextSize(Font(), s->Name2(), name2_w_, name2_h_);
  MeasureValueText(&font_value_, *s, value_w_, value_h_);
  MeasureTextSize(&font_value_, s->ValueUnit(), unit_w_, unit_h_);
  if (!Has(THBarOption::opUnit)) unit_w_ = 0;
  bar_.UnitText = s->ValueUnit();
  const int sMark = bar_.minHeight() + 2 * bar_.Bevel()->Spacing();
  const int hb = 2 * bar_.Bevel()->TotalWidth() + bar_.minHeight();
  const bool marker = MinMax()->MinVisible() || MinMax()->MaxVisible();
  const int bo = Has(THBarOption::opBevelOuter) ? 2 * bevel_outer_.TotalWidth() : 0;
  const int bi = Has(THBarOption::opBevelInner) ? 2 * bevel_inner_.TotalWidth() : 0;
  const int bv = 2 * bevel_value_.TotalWidth();
  int h = hb + bo, w0 = bar_.minWidth() + bo, w = w0;
  if (Has(THBarOption::opOverflow))
    w += bar_.minHeight() + 6;
  else if (marker)
    w += sMark;
  const bool names = Has(THBarOption::opName1) || Has(THBarOption::opName2);
  if (Has(THBarOption::opName1)) h += name1_h_, w = std::max(w, name1_w_ + bo + bi);
  if (Has(THBarOption::opName2)) h += name2_h_, w = std::max(w, name2_w_ + bo + bi);
  if (Has(THBarOption::opBevelInner)) {
    h += bi;
    w = std::max(w, (names ? bo + bi : w0) + bi);
  }
  if (Has(THBarOption::opValue)) {
    h += value_h_ - value_h_ / 6 + bv + bevel_inner_.TotalWidth();
    w = std::max(w, value_h_ / 3 + bo + bi + value_w_ + unit_w_ + bv);
  }
  if (marker) h += sMark;
  w = std::clamp(w, 0, 32767);
  h = std::clamp(h, 0, 32767);
  if (auto_size_) {
    if (w != Width() || h != Height()) SetBounds(Left(), Top(), w, h);
  } else if (w > Width() || h > Height()) {
    SetBounds(Left(), Top(), std::max(w, Width()), std::max(h, Height()));
  }
}

TAbHBar::Drawn TAbHBar::DrawnNow() {
  // Pixels along the bar as it was last laid out; a bar of another style than the plain
  // one (LED segments) is compared by its per-mille position.
  const int length = std::max(bar_.BarRect.Width(), bar_.BarRect.Height());
  const auto at = [&](int ppt) { return bar_.Style() == bsBar ? AbRound(ppt * length / 1000.0) : ppt; };
  Drawn d;
  d.text = ValueText();
  d.bar = at(PPT());
  const bool marker = MinMax()->MinVisible() || MinMax()->MaxVisible();
  if (marker) {
    d.min = MinPPT();
    d.max = MaxPPT();
  }
  d.sector = bar_.SectorColor;
  return d;
}

void TAbHBar::ValueChanged() {
  TAbAnalogGControl::ValueChanged();
  bar_.ValueText = ValueText();
  bar_.SectorColor = (InSector(1) || InSector(2) || InSector(3)) ? CurrentSectorColor() : clNone;
  if (!painted_ || !(DrawnNow() == shown_)) Invalidate();
}

void TAbHBar::OverflowChanged(int) {
  if (!Has(THBarOption::opOverflow)) return;
  if (!Overflow() && !Underflow()) {
    RemoveFlashClient(this);
    under_colour_ = over_colour_ = clBtnFace;
    Invalidate();
  } else {
    AddFlashClient(this, 4);
  }
}

void TAbHBar::WndProc(TMessage& Message) {
  if (Message.Msg == WM_FLASH) {
    if (Visible()) {
      const TColor c = Message.LParam != 0 ? BlinkColorOn : BlinkColorOff;
      // The arrow at the end the value went past blinks; the other stays at rest.
      if (Underflow()) {
        under_colour_ = c;
        over_colour_ = clBtnFace;
      } else {
        over_colour_ = c;
        under_colour_ = clBtnFace;
      }
      Invalidate();
    }
    return;
  }
  TAbAnalogGControl::WndProc(Message);
}

void TAbHBar::Paint() {
  if (UpdateCount() > 0) return;
  TCanvas* c = Canvas();
  const TSignalSettings* s = SignalSettings();
  TRect R = ClientRect();
  int d = 0;
  if (Has(THBarOption::opBevelOuter)) {
    bevel_outer_.PaintBevel(c, R);
    d = bevel_outer_.Spacing() / 2;
  }
  c->Brush()->SetStyle(bsClear);
  c->Font()->Assign(Font());
  if (Has(THBarOption::opName2)) {
    R.Bottom -= name2_h_;
    c->TextOut(R.Left + (R.Width() - name2_w_) / 2, R.Bottom + d, s->Name2());
  }
  if (Has(THBarOption::opName1)) {
    R.Bottom -= name1_h_;
    c->TextOut(R.Left + (R.Width() - name1_w_) / 2, R.Bottom + d, s->Name1());
  }
  if (Has(THBarOption::opBevelInner)) bevel_inner_.PaintBevel(c, R);
  c->Font()->Assign(&font_value_);
  value_box_ = TRect();
  if (Has(THBarOption::opValue)) {
    value_box_ = PaintValueBox(c, R, value_h_ / 6, value_w_, value_h_, unit_w_, bevel_value_, Font()->Color(),
                               Has(THBarOption::opUnit) ? &s->ValueUnit() : nullptr);
    R.Top += 2 * bevel_value_.TotalWidth() + value_h_ + bevel_outer_.Spacing();
  }
  const int sMark = bar_.minHeight() + 2 * bar_.Bevel()->Spacing();
  const int hb = 2 * bar_.Bevel()->TotalWidth() + bar_.minHeight();
  const bool marker = MinMax()->MinVisible() || MinMax()->MaxVisible();
  const int freeSpace = R.Height() - hb + (marker ? sMark : 0);
  R.Top += freeSpace / 2;
  R.Bottom = R.Top + hb;
  if (Has(THBarOption::opOverflow)) {
    const int a = (hb - 1 + 6) / 2, k = (hb - 1) / 2;
    R.Left += a;
    R.Right -= a;
    c->Pen()->SetWidth(1);
    c->Pen()->SetColor(clBtnShadow);
    c->Brush()->SetStyle(bsSolid);
    c->Brush()->SetColor(under_colour_);
    c->Polygon({{R.Left - 3, R.Top}, {R.Left - 3, R.Top + hb - 1}, {R.Left - 3 - k, R.Top + k}});
    c->Brush()->SetColor(over_colour_);
    c->Polygon({{R.Right + 2, R.Top}, {R.Right + 2, R.Top + hb - 1}, {R.Right + 2 + k, R.Top + k}});
  } else if (marker) {
    R.Left += sMark / 2;
    R.Right -= sMark / 2;
  }
  bar_.Bevel()->PaintBevel(c, R);
  bar_.BarRect = R;
  bar_.Sectors.Assign(SectorSettings());
  bar_.PaintBar(c, PPT());
  // Min and max marks above the bar.
  const double f = R.Width() / 1000.0;
  const int top = R.Top - sMark - bar_.Bevel()->TotalWidth();
  auto mark = [&](int ppt, bool visible, TColor own, bool isMax) {
    if (!visible) return;
    const int x = AbRound(ppt * f) + R.Left;
    const TColor sc = SectorSettings()->SectorColorAt(ppt);
    c->Pen()->SetColor(clBlack);
    c->Brush()->SetStyle(bsSolid);
    c->Brush()->SetColor(MinMax()->UseSectorCol() && sc != clNone ? sc : own);
    if (isMax)
      c->Polygon({{x, top}, {x + sMark / 2, top}, {x, top + sMark}});
    else
      c->Polygon({{x, top}, {x, top + sMark}, {x - sMark / 2, top}});
  };
  mark(MinPPT(), MinMax()->MinVisible(), MinMax()->MinColor(), false);
  mark(MaxPPT(), MinMax()->MaxVisible(), MinMax()->MaxColor(), true);
  if (Has(THBarOption::opValue))
    PaintValueText(c, value_box_, bevel_value_, &font_value_, Designing() ? s->LongestFormat() : ValueText());
  shown_ = DrawnNow();
  painted_ = !Designing();
}

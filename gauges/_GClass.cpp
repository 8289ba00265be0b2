#include "gauges/_GClass.h"
#include "gauges/AbFlashT.h"

#include <algorithm>
#include <cmath>

#include "platform/rtl/Numbers.h"

void TAbPersistent::Changed() {
  if (OnChange) OnChange(this);
}

void TAbPersistent::ChangedBy(TObject* Sender) {
  if (OnChange) OnChange(Sender);
}

void TAbOffset::Assign(TPersistent* Source) {
  auto* s = dynamic_cast<TAbOffset*>(Source);
  if (s == nullptr) return TAbPersistent::Assign(Source);
  top_ = s->top_;
  left_ = s->left_;
  right_ = s->right_;
  bottom_ = s->bottom_;
  Changed();
}

void TArrowSettings::Assign(TPersistent* Source) {
  auto* s = dynamic_cast<TArrowSettings*>(Source);
  if (s == nullptr) return TAbPersistent::Assign(Source);
  shape_ = s->shape_;
  pen_ = s->pen_;
  brush_ = s->brush_;
  cp1_pen_ = s->cp1_pen_;
  cp1_brush_ = s->cp1_brush_;
  cp2_pen_ = s->cp2_pen_;
  cp2_brush_ = s->cp2_brush_;
  Changed();
}

// --- TLED -------------------------------------------------------------------------------

void TLED::Assign(TPersistent* Source) {
  auto* s = dynamic_cast<TLED*>(Source);
  if (s == nullptr) return TAbPersistent::Assign(Source);
  shape_ = s->shape_;
  on_ = s->on_;
  off_ = s->off_;
  width_ = s->width_;
  height_ = s->height_;
  Changed();
}

void TLED::SetWidth(int v) {
  if (v >= 4 && v <= 80) Store(width_, v);
}

void TLED::SetHeight(int v) {
  if (v >= 4 && v <= 80) Store(height_, v);
}

void TLED::Paint(TCanvas* Canvas, bool On) const {
  PaintLEDShape(Canvas, LampRect, shape_, On ? on_ : off_, clBtnShadow);
}

void TAbGradSettings::Assign(TPersistent* Source) {
  auto* s = dynamic_cast<TAbGradSettings*>(Source);
  if (s == nullptr) return TAbPersistent::Assign(Source);
  SetColorFrom(s->from_);
  SetColorTo(s->to_);
  SetVisible(s->visible_);
  SetStyle(s->style_);
  Changed();
}

// --- TAbSBevel --------------------------------------------------------------------------

TAbSBevel::TAbSBevel() {
  offset_.OnChange = [this](TObject*) { Changed(); };
  grad_.OnChange = [this](TObject*) { Changed(); };
}

void TAbSBevel::Assign(TPersistent* Source) {
  auto* s = dynamic_cast<TAbSBevel*>(Source);
  if (s == nullptr) return TAbPersistent::Assign(Source);
  style_ = s->style_;
  spacing_ = s->spacing_;
  line_ = s->line_;
  width_ = s->width_;
  color_ = s->color_;
  offset_.Assign(&s->offset_);
  shadow_from_ = s->shadow_from_;
  shadow_to_ = s->shadow_to_;
  high_from_ = s->high_from_;
  high_to_ = s->high_to_;
  pen_color_ = s->pen_color_;
  grad_.Assign(&s->grad_);
  Changed();
}

void TAbSBevel::Changed() {
  total_width_ = spacing_ + width_ + (line_ == blOuter || line_ == blInner ? 1 : line_ == blBoth ? 2 : 0);
  TAbPersistent::Changed();
}

void TAbSBevel::PaintBevel(TCanvas* Canvas, TRect& Rect) {
  TCanvas* c = Canvas;
  c->Pen()->SetStyle(psSolid);
  c->Pen()->SetWidth(1);
  c->Pen()->SetColor(color_);
  c->Brush()->SetStyle(bsSolid);
  c->Brush()->SetColor(color_);
  c->FillRect(Rect);
  const TRect outer = Rect;
  TRect inner = Rect;
  if (line_ == blOuter || line_ == blBoth) ShrinkRect(Rect, 1);
  ShrinkRect(inner, total_width_ - spacing_);
  for (int i = 1; i <= width_; ++i) {
    TRect ring = Rect;
    if (style_ == bsRaised)
      AbFrame3D(c, ring, MixColor(high_from_, high_to_, width_, i), MixColor(shadow_from_, shadow_to_, width_, i), 1);
    else
      AbFrame3D(c, ring, MixColor(shadow_to_, shadow_from_, width_, i), MixColor(high_to_, high_from_, width_, i), 1);
    Rect = ring;
  }
  if (grad_.Visible()) PaintGradient(c, inner, grad_.ColorFrom(), grad_.Style(), grad_.ColorTo());
  c->Pen()->SetColor(pen_color_);
  c->Brush()->SetStyle(bsClear);
  if (line_ == blInner || line_ == blBoth) {
    c->Rectangle(Rect);
    ShrinkRect(Rect, 1);
  }
  if (line_ == blOuter || line_ == blBoth) c->Rectangle(outer);
  ShrinkRect(Rect, spacing_);
  offset_.Apply(Rect);
}

// --- TSectorSettings --------------------------------------------------------------------

void TSectorSettings::Assign(TPersistent* Source) {
  auto* s = dynamic_cast<TSectorSettings*>(Source);
  if (s == nullptr) return TAbPersistent::Assign(Source);
  for (int k = 1; k <= 4; ++k) SetSectorColor(k, s->SectorColor(k));
  for (int k = 1; k <= 4; ++k) SetSectorFrom(k, s->SectorFrom(k));
  for (int k = 1; k <= 4; ++k) SetSectorTo(k, s->SectorTo(k));
}

TColor TSectorSettings::SectorColorAt(int Ppt) const {
  for (const Sector& s : sectors_)
    if (s.From <= Ppt && Ppt <= s.To) return s.Color;
  return clNone;
}

// --- TMinMax ----------------------------------------------------------------------------

TMinMax::TMinMax() : max_time_(Now()), min_time_(max_time_) {}

void TMinMax::Assign(TPersistent* Source) {
  auto* s = dynamic_cast<TMinMax*>(Source);
  if (s == nullptr) return TAbPersistent::Assign(Source);
  max_color_ = s->max_color_;
  min_color_ = s->min_color_;
  use_sector_col_ = s->use_sector_col_;
  min_visible_ = s->min_visible_;
  max_visible_ = s->max_visible_;
  Changed();
}

void TMinMax::SetMax(float v) {
  max_ = v;
  max_time_ = Now();
}

void TMinMax::SetMin(float v) {
  min_ = v;
  min_time_ = Now();
}

// --- TSignalSettings --------------------------------------------------------------------

TSignalSettings::TSignalSettings() { Recompute(); }

void TSignalSettings::Assign(TPersistent* Source) {
  auto* s = dynamic_cast<TSignalSettings*>(Source);
  if (s == nullptr) return TAbPersistent::Assign(Source);
  SetDigitalFrom(s->digital_from_);
  SetDigitalTo(s->digital_to_);
  SetValueFormat(s->format_);
  SetValueFrom(s->from_);
  SetValueTo(s->to_);
  SetValueUnit(s->unit_);
  SetName1(s->name1_);
  SetName2(s->name2_);
}

void TSignalSettings::SetValueFrom(float v) {
  if (v == from_ || v == to_) return;
  if (v == 0) v = 1e-6f;
  if (LogScale) {
    int e;
    v = static_cast<float>(DecadeRound(v, e));
  }
  from_ = v;
  Changed();
}

void TSignalSettings::SetValueTo(float v) {
  if (v == from_ || v == to_) return;
  if (LogScale) {
    int e;
    v = static_cast<float>(DecadeRound(v, e));
  }
  to_ = v;
  Changed();
}

void TSignalSettings::Changed() {
  Recompute();
  TAbPersistent::Changed();
}

void TSignalSettings::Recompute() {
  const double f = from_, t = to_;
  if (f < 0 && t < 0)
    value_range_ = static_cast<float>(std::fabs(f) - std::fabs(t));
  else if (f < 0 && t >= 0)
    value_range_ = static_cast<float>(std::fabs(f) + std::fabs(t));
  else if (f >= 0 && t > 0)
    value_range_ = static_cast<float>(std::fabs(t) - std::fabs(f));
  digital_span_ = DigitalSpan(digital_from_, digital_to_);
  if (digital_span_ > 0) units_per_digit_ = value_range_ / digital_span_;
  if (value_range_ > 0) {
    digits_per_unit_ = digital_span_ / value_range_;
    ppt_per_unit_ = 1000.0f / value_range_;
    const size_t p = format_.find(';');
    if (p == AnsiString::npos) {
      longest_format_ = format_;
    } else {
      const AnsiString a = format_.substr(0, p), b = format_.substr(p + 1);
      longest_format_ = a.size() > b.size() ? a : b;
    }
  }
}

int TSignalSettings::ValueToPPT(double v) const { return AbRound((v - from_) * ppt_per_unit_); }

void TChSettings::SetDigit(int v) {
  if (v == digit_) return;
  digit_ = v;
  value_ = static_cast<float>((digit_ - DigitalFrom()) * static_cast<double>(UnitsPerDigit()) + ValueFrom());
  digit_offset_ = digit_ - DigitalFrom();
  if (OnValueChange) OnValueChange(this);
}

void TChSettings::SetValue(float v) {
  if (v == value_) return;
  digit_ = AbRound((v - ValueFrom()) * static_cast<double>(DigitsPerUnit()) + DigitalFrom());
  value_ = v;
  digit_offset_ = digit_ - DigitalFrom();
  if (OnValueChange) OnValueChange(this);
}

// --- TBarSettings -----------------------------------------------------------------------

TBarSettings::TBarSettings() {
  font_.SetColor(clBtnHighlight);
  bevel_.SetStyle(bsLowered);
  bevel_.SetSpacing(0);
  bevel_.SetWidth(1);
  font_.OnChange = [this](TObject* s) { ChangedBy(s); };
  bevel_.OnChange = [this](TObject* s) { ChangedBy(s); };
}

void TBarSettings::Assign(TPersistent* Source) {
  auto* s = dynamic_cast<TBarSettings*>(Source);
  if (s == nullptr) return TAbPersistent::Assign(Source);
  color_ = s->color_;
  bk_color_ = s->bk_color_;
  font_.Assign(&s->font_);
  options_ = s->options_;
  style_ = s->style_;
  bevel_.Assign(&s->bevel_);
  min_width_ = s->min_width_;
  min_height_ = s->min_height_;
  Changed();
}

void TBarSettings::SetFont(TFont* v) {
  font_.Assign(v);
  ChangedBy(&font_);
}

void TBarSettings::SetminWidth(int v) {
  if (v <= 0) return;
  min_width_ = v;
  Changed();
}

void TBarSettings::SetminHeight(int v) {
  if (v <= 0) return;
  min_height_ = v;
  Changed();
}

void TBarSettings::PaintBar(TCanvas* Canvas, int Position) {
  const int w = BarRect.Width(), h = BarRect.Height();
  if (w <= 0 || h <= 0) return;
  const bool horizontal = w > h;
  const int length = horizontal ? w : h;
  Position = std::clamp(Position, 0, 1000);
  // Pixel offset of a PPT along the bar.
  auto at = [&](double ppt, int len) { return AbRound(ppt * len / 1000.0); };
  // A stretch [a, b) of the bar in PPT, as a rectangle of the bitmap.
  auto stretch = [&](int a, int b) {
    if (horizontal) return TRect(a, 0, b, h);
    return TRect(0, h - b, w, h - a);
  };
  TBitmap bmp;
  bmp.SetSize(w, h);
  TCanvas* c = bmp.Canvas();
  c->Pen()->SetStyle(psClear);
  c->Brush()->SetStyle(bsSolid);
  auto fill = [&](TCanvas* cv, TColor col, const TRect& r) {
    cv->Brush()->SetColor(col);
    cv->FillRect(r);
  };
  fill(c, bk_color_, TRect(0, 0, w, h));
  // The sector stripes 1..3 with the gaps between them in the background colour.
  auto stripes = [&](TCanvas* cv, bool dim) {
    auto col = [&](TColor x) { return dim ? Brightness(ColorToRGB(x), bk_brightness_) : x; };
    int pos = 0;
    for (int k = 1; k <= 3; ++k) {
      const auto& s = Sectors.At(k);
      if (s.From > pos) fill(cv, col(bk_color_), stretch(at(pos, length), at(s.From, length)));
      fill(cv, col(s.Color), stretch(at(std::max(0, s.From), length), at(std::min(1000, s.To), length)));
      pos = s.To;
    }
    if (pos < 1000) fill(cv, col(bk_color_), stretch(at(pos, length), length));
  };
  if (bk_auto_ && style_ != bsLED_Bar) stripes(c, true);
  const TColor barColor = options_.Contains(opUseSectorCol) && SectorColor != clNone ? SectorColor : color_;
  switch (style_) {
    case bsBar: {
      int a = 0, b = Position;
      if (options_.Contains(opBidir)) {
        a = std::clamp(ZeroPosition, 0, 1000);
        if (b < a) std::swap(a, b);
      }
      if (b > a) fill(c, barColor, stretch(at(a, length), at(b, length)));
      break;
    }
    case bsPoint: {
      const int p = at(Position, std::max(0, length - 3));
      fill(c, barColor, stretch(p, p + 3));
      break;
    }
    case bsMultiColor: {
      TBitmap full;
      full.SetSize(w, h);
      full.Canvas()->Pen()->SetStyle(psClear);
      stripes(full.Canvas(), false);
      const TRect r = stretch(0, at(Position, length));
      if (!r.IsEmpty()) c->CopyRect(r, full.Canvas(), r);
      break;
    }
    case bsLED_Bar: {
      // At least one segment, and none beyond the bitmap's end.
      const int n = std::max(1, length / 4);
      for (int i = 0; i <= n; ++i) {
        const int first = 4 * i + 1;
        if (first >= length) break;
        const int last = std::min(length, 4 * i + 4);
        const int ppt = AbRound(static_cast<double>(i) / n * 1000);
        TColor col = Sectors.SectorColorAt(ppt);
        if (col == clNone) col = bk_color_;
        if (ppt + 1 > Position) col = bk_auto_ ? Brightness(ColorToRGB(col), bk_brightness_) : bk_color_;
        fill(c, col, stretch(first, last));
      }
      break;
    }
  }
  if (options_.Contains(opValue)) {
    // The text goes on by XOR so that it reads on both the bar and the background.
    TBitmap text;
    text.SetSize(w, h);
    TCanvas* t = text.Canvas();
    fill(t, clBlack, TRect(0, 0, w, h));
    t->Font()->Assign(&font_);
    t->Font()->SetColor(clBtnHighlight);
    t->Brush()->SetStyle(bsClear);
    const bool unit = options_.Contains(opUnit);
    if (horizontal)
      AlignedTextOut(t, w / 2, h / 2, 4, unit ? ValueText + " " + UnitText : ValueText);
    else if (!unit)
      AlignedTextOut(t, w / 2, h / 2, 4, ValueText);
    else {
      AlignedTextOut(t, w / 2, h / 2, 7, ValueText);
      AlignedTextOut(t, w / 2, h / 2, 1, UnitText);
    }
    c->SetCopyMode(cmSrcInvert);
    c->CopyRect(TRect(0, 0, w, h), t, TRect(0, 0, w, h));
    c->SetCopyMode(cmSrcCopy);
  }
  Canvas->Draw(BarRect.Left, BarRect.Top, &bmp);
}

// --- TAbGraphicControl ------------------------------------------------------------------

void TAbGraphicControl::ShowingChanged(bool OnScreen) {
  TGraphicControl::ShowingChanged(OnScreen);
  if (OnScreen) abflash::ClientShown(this);
}

void TAbGraphicControl::EndUpdate() {
  if (update_count_ > 0) --update_count_;
  if (update_count_ == 0) ParamChange();
}

void TAbGraphicControl::ParamChange() {
  // While a form resource is read, the settings are applied once, in Loaded.
  if (update_count_ == 0 && !HasState(csLoading)) SettingsChanged();
}

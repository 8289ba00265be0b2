// The analog value model: value -> digit -> per-mille position, sectors, limits, overflow,
// minimum and maximum, hint.
#include <cmath>

#include "gauges/_GClass.h"
#include "platform/rtl/Numbers.h"

TAbAnalogGControl::TAbAnalogGControl(TComponent* AOwner) : TAbGraphicControl(AOwner) {
  hint_options_ = THintOptions{hoAutoHint, hoValue, hoName1, hoName2, hoMin, hoMax, hoMinMaxDate, hoMinMaxTime};
  SetParentFont(false);
  Font()->SetName("Arial");
  Font()->SetSize(8);
  // Settings read from a form resource are applied once, when the control is loaded.
  auto settings = [this](TObject*) { ParamChange(); };
  Font()->OnChange = settings;
  signal_.OnChange = settings;
  sectors_.OnChange = settings;
  minmax_.OnChange = [this](TObject*) {
    if (!HasState(csLoading)) MinMaxChanged();
  };
  CheckLimits();
  last_pos_ = {Left(), Top()};
}

TAbAnalogGControl::~TAbAnalogGControl() {
  Font()->OnChange = nullptr;
  signal_.OnChange = nullptr;
  sectors_.OnChange = nullptr;
  minmax_.OnChange = nullptr;
}

void TAbAnalogGControl::Loaded() {
  TAbGraphicControl::Loaded();
  minmax_.min_ = TMinMax::kResetMin;
  minmax_.max_ = TMinMax::kResetMax;
  ParamChange();
}

void TAbAnalogGControl::RecomputeDigit() {
  const TSignalSettings& s = signal_;
  if (log_scale_) {
    const double from = s.ValueFrom(), to = s.ValueTo();
    const double decades = (from > 0 && to > 0) ? std::log10(to / from) : 0;
    // Two equal ends leave no decades to divide by: the whole span then counts as one.
    digits_per_decade_ = decades != 0 ? s.DigitalSpanValue() / decades : s.DigitalSpanValue();
    decade_offset_ = from > 0 ? std::log10(1 / from) : 0;
    if (value_ <= 0) value_ = 1.0f;
    digit_ = from > 0 ? AbRound(std::log10(value_ / from) * digits_per_decade_) + s.DigitalFrom() : s.DigitalFrom();
  } else {
    digit_ = AbRound((value_ - static_cast<double>(s.ValueFrom())) * s.DigitsPerUnit() + s.DigitalFrom());
  }
}

void TAbAnalogGControl::SettingsChanged() {
  RecomputeDigit();
  upper_ppt_ = signal_.ValueToPPT(limit_upper_);
  lower_ppt_ = signal_.ValueToPPT(limit_lower_);
  if (OnSettingsChange) OnSettingsChange(this);
}

void TAbAnalogGControl::SetValue(float v) {
  if (v == value_ || std::isnan(v)) return;
  if (log_scale_ && v <= 0) return;
  value_ = v;
  RecomputeDigit();
  if (Designing())
    SettingsChanged();
  else
    ValueChanged();
}

void TAbAnalogGControl::SetDigit(int d) {
  if (d == digit_) return;
  const TSignalSettings& s = signal_;
  if (log_scale_) {
    if (digits_per_decade_ - decade_offset_ != 0 && digits_per_decade_ != 0)
      value_ = static_cast<float>(std::pow(10.0, (d - s.DigitalFrom()) / digits_per_decade_ - decade_offset_));
  } else {
    value_ = static_cast<float>((d - s.DigitalFrom()) * static_cast<double>(s.UnitsPerDigit()) + s.ValueFrom());
  }
  digit_ = d;
  if (Designing())
    SettingsChanged();
  else
    ValueChanged();
}

void TAbAnalogGControl::SetLogScale(bool b) {
  if (b == log_scale_) return;
  log_scale_ = b;
  signal_.LogScale = b;
  sectors_.LogScale = b;
  if (b) {
    if (value_ <= 0) value_ = 0.001f;
    int e;
    const float from = signal_.ValueFrom() <= 0 ? 0.001f : static_cast<float>(DecadeRound(signal_.ValueFrom(), e));
    const float to = static_cast<float>(DecadeRound(signal_.ValueTo(), e));
    // Set the ends so that neither setter refuses a value equal to the other end.
    signal_.OnChange = nullptr;
    signal_.LogScale = false;
    if (to != signal_.ValueTo() && to != signal_.ValueFrom()) signal_.SetValueTo(to);
    if (from != signal_.ValueFrom() && from != signal_.ValueTo()) signal_.SetValueFrom(from);
    signal_.LogScale = true;
    signal_.OnChange = [this](TObject*) { ParamChange(); };
  }
  RecomputeDigit();
  LogScaleChanged();
}

void TAbAnalogGControl::SetLimitUpper(float v) {
  if (v == limit_upper_) return;
  limit_upper_ = v;
  upper_ppt_ = signal_.ValueToPPT(v);
  ValueChanged();
}

void TAbAnalogGControl::SetLimitLower(float v) {
  if (v == limit_lower_) return;
  if (v == 0) v = 0.0001f;
  limit_lower_ = v;
  lower_ppt_ = signal_.ValueToPPT(v);
  ValueChanged();
}

void TAbAnalogGControl::SetHintOptions(THintOptions s) {
  const bool autoOn = s.Contains(hoAutoHint) && !hint_options_.Contains(hoAutoHint);
  hint_options_ = s;
  if (autoOn) ValueChanged();
}

void TAbAnalogGControl::CheckLimits() {
  const bool above = value_ > limit_upper_, below = value_ < limit_lower_;
  if (above == above_ && below == below_) return;
  above_ = above;
  below_ = below;
  LimitChanged();
  if (OnLimit) OnLimit(this, below, above);
}

void TAbAnalogGControl::MinMaxChanged() {
  if (OnMinMaxChange) OnMinMaxChange(this);
  // Inside the value pipeline the caller goes on to draw; no second pass.
  if (!in_pipeline_) ValueChanged();
}

void TAbAnalogGControl::ValueChanged() {
  if (Left() != last_pos_.x || Top() != last_pos_.y) {
    last_pos_ = {Left(), Top()};
    if (OnPositionChange) OnPositionChange(this);
  }
  const TSignalSettings& s = signal_;
  digit_text_ = IntToStr(digit_);
  value_text_ = FormatFloat(s.ValueFormat(), value_);
  // A digital span of 0 leaves the gauge at its minimum.
  const int span = s.DigitalSpanValue();
  int ppt = span != 0 ? AbRound((digit_ - s.DigitalFrom()) * (1000.0 / span)) : 0;
  for (int k = 1; k <= 4; ++k) {
    const bool in = sectors_.SectorFrom(k) <= ppt && ppt <= sectors_.SectorTo(k);
    if (in) sector_color_ = sectors_.SectorColor(k);
    if (in != in_sector_[static_cast<size_t>(k - 1)]) {
      in_sector_[static_cast<size_t>(k - 1)] = in;
      if (OnSectorChange) OnSectorChange(this, k == 1, k == 2, k == 3, k == 4, in);
    }
  }
  CheckLimits();
  if (ppt < 0) {
    if (!underflow_) {
      underflow_ = true;
      overflow_ = false;
      OverflowChanged(ppt);
      if (OnOverflow) OnOverflow(this, ppt);
    }
    ppt = 0;
  } else if (ppt > 1000) {
    if (!overflow_) {
      overflow_ = true;
      underflow_ = false;
      OverflowChanged(ppt);
      if (OnOverflow) OnOverflow(this, ppt);
    }
    ppt = 1000;
  } else if (overflow_ || underflow_) {
    overflow_ = underflow_ = false;
    OverflowChanged(ppt);
    if (OnOverflow) OnOverflow(this, ppt);
  }
  ppt_ = ppt;
  if (Designing()) {
    min_ppt_ = max_ppt_ = ppt;
  } else {
    bool changed = false;
    if (minmax_.min_ > value_) {
      const float previous = minmax_.min_;
      minmax_.min_ = value_;
      minmax_.min_time_ = Now();
      min_ppt_ = ppt;
      if (previous != TMinMax::kResetMin) changed = true;
    }
    if (minmax_.max_ < value_) {
      const float previous = minmax_.max_;
      minmax_.max_ = value_;
      minmax_.max_time_ = Now();
      max_ppt_ = ppt;
      // After a reset the first maximum reports (its previous value is not the minimum's reset value).
      if (previous != TMinMax::kResetMin) changed = true;
    }
    if (changed) {
      in_pipeline_ = true;
      MinMaxChanged();
      in_pipeline_ = false;
    }
  }
  BuildHint();
  if (OnValueChange) OnValueChange(this);
}

void TAbAnalogGControl::BuildHint() {
  if (!hint_options_.Contains(hoAutoHint) || Designing()) return;
  const TSignalSettings& s = signal_;
  AnsiString h;
  auto line = [&](const AnsiString& l) {
    if (!h.empty()) h += "\r";
    h += l;
  };
  auto stamp = [&](TDateTime t) {
    AnsiString r;
    if (hint_options_.Contains(hoMinMaxDate)) r += " " + FormatDateTime("dd/mm/yyyy", t);
    if (hint_options_.Contains(hoMinMaxTime)) r += " " + FormatDateTime("hh:nn:ss", t);
    return r;
  };
  if (hint_options_.Contains(hoValue)) line("Value= " + value_text_ + " " + s.ValueUnit());
  if (hint_options_.Contains(hoMin))
    line("MIN= " + FormatFloat(s.ValueFormat(), minmax_.min_) + " " + s.ValueUnit() + stamp(minmax_.min_time_));
  if (hint_options_.Contains(hoMax))
    line("MAX= " + FormatFloat(s.ValueFormat(), minmax_.max_) + " " + s.ValueUnit() + stamp(minmax_.max_time_));
  if (hint_options_.Contains(hoName1)) line(s.Name1());
  if (hint_options_.Contains(hoName2)) line(s.Name2());
  SetHint(h);
}

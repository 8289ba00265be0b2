// Chart axes: limits, scale, value <-> pixel, increments, labels and their drawing.
#include <algorithm>
#include <cmath>

#include "chart/TeEngine.h"
#include "chart/TeeConst.h"
#include "chart/TeeItems.h"
#include "platform/rtl/Numbers.h"

double MinAxisIncrement = 1e-12;
int AxisClickTolerance = 3;

namespace {
constexpr double kMinAxisRange = 1e-10;
constexpr double kPixelClamp = 67108863.0;

int Rnd(double v) {
  if (!(v == v)) return 0;
  v = std::clamp(v, -2147483647.0, 2147483647.0);
  return static_cast<int>(std::nearbyint(v));
}

// The next value of the 1-2-5 sequence above X.
double NextStep(double x) {
  if (x <= 0) return MinAxisIncrement;
  double scale = 1;
  while (x >= 10) x /= 10, scale *= 10;
  while (x < 1) x *= 10, scale /= 10;
  const double n = x < 2 ? 2 : x < 5 ? 5 : 10;
  return n * scale;
}

int CountLines(const AnsiString& t) {
  if (t.empty()) return 0;
  int n = 1;
  for (size_t i = 0; i < t.size(); ++i)
    if (t[i] == ChartLineSeparator && i + 1 < t.size()) ++n;
  return n;
}

// A label whose text has an exponent part (from its letter E on, after at least one
// character): the exponent is drawn after the rest in a font two thirds the size, its top
// raised by a third of that font's height above the rest's top. The pair together keeps
// the canvas' text alignment.
void TextOutWithExponent(TTeeCanvas3D* c, int X, int Y, int Z, const AnsiString& Text) {
  const size_t e = Text.find('E');
  if (e == AnsiString::npos || e == 0) return c->TextOut3D(X, Y, Z, Text);
  const AnsiString mantissa = Text.substr(0, e), exponent = Text.substr(e);
  const unsigned align = c->GetTextAlign();
  TFont* font = c->Font();
  const int height = font->Height(), F = c->FontHeight(), mantissaWidth = c->TextWidth(mantissa);
  const int small = Rnd(height * 2 / 3.0) != 0 ? Rnd(height * 2 / 3.0) : height;
  font->SetHeight(small);
  const int exponentWidth = c->TextWidth(exponent), smallF = c->FontHeight();
  font->SetHeight(height);
  const int width = mantissaWidth + exponentWidth;
  int left = X;
  if ((align & TA_CENTER) == TA_CENTER)
    left = X - width / 2;
  else if ((align & TA_CENTER) == TA_RIGHT)
    left = X - width;
  const bool bottom = (align & TA_BASELINE) == TA_BOTTOM;
  c->SetTextAlign(TA_LEFT | (align & TA_BASELINE));
  c->TextOut3D(left, Y, Z, mantissa);
  const int top = bottom ? Y - F : Y;
  font->SetHeight(small);
  c->SetTextAlign(TA_LEFT | TA_TOP);
  c->TextOut3D(left + mantissaWidth, top - smallF / 3, Z, exponent);
  font->SetHeight(height);
  c->SetTextAlign(align);
}
}  // namespace

TChartAxisTitle::TChartAxisTitle(TCustomTeePanel* AOwner) : TTeeCustomShape(AOwner) { transparent_ = true; }

void TChartAxisTitle::SetAngle(int v) {
  v %= 360;
  if (v < 0) v += 360;
  Set(angle_, v);
}

void TChartAxisTitle::SetCaption(const AnsiString& v) { Set(caption_, v); }

// ---------------------------------------------------------------------------------------

TChartAxis::TChartAxis(TCustomAxisPanel* Chart)
    : chart_(Chart),
      title_(Chart),
      axis_pen_([this](TObject*) { Changed(); }),
      grid_([this](TObject*) { Changed(); }),
      minor_grid_([this](TObject*) { Changed(); }),
      ticks_([this](TObject*) { Changed(); }),
      ticks_inner_([this](TObject*) { Changed(); }),
      minor_ticks_([this](TObject*) { Changed(); }),
      labels_format_(Chart),
      items_(std::make_unique<TAxisItems>(this, &labels_format_)) {
  labels_format_.SetTransparent(true);
  minor_grid_.Hide();
}

TChartAxis::~TChartAxis() = default;

void TChartAxis::Changed() {
  if (chart_) chart_->Invalidate();
}

void TChartAxis::Assign(TPersistent* Source) {
  auto* s = dynamic_cast<TChartAxis*>(Source);
  if (!s) return TPersistent::Assign(Source);
  automatic_ = s->automatic_;
  auto_max_ = s->auto_max_;
  auto_min_ = s->auto_min_;
  maximum_ = s->maximum_;
  minimum_ = s->minimum_;
  increment_ = s->increment_;
  inverted_ = s->inverted_;
  logarithmic_ = s->logarithmic_;
  log_base_ = s->log_base_;
  labels_separation_ = s->labels_separation_;
  labels_angle_ = s->labels_angle_;
  visible_ = s->visible_;
  label_style_ = s->label_style_;
  z_position_ = s->z_position_;
  AxisValuesFormat = s->AxisValuesFormat;
  DateTimeFormat = s->DateTimeFormat;
  LabelsAlign = s->LabelsAlign;
  LabelsAlternate = s->LabelsAlternate;
  LabelsExponent = s->LabelsExponent;
  title_.Assign(&s->title_);
  title_.SetCaption(s->title_.Caption());
  title_.SetAngle(s->title_.Angle());
  axis_pen_.Assign(&s->axis_pen_);
  grid_.Assign(&s->grid_);
  labels_format_.Assign(&s->labels_format_);
  items_->Assign(*s->items_);
  TickLength = s->TickLength;
  MinorTickCount = s->MinorTickCount;
  Changed();
}

void TChartAxis::SetAutomatic(bool v) {
  automatic_ = v;
  if (!chart_ || !chart_->HasState(csLoading)) auto_max_ = auto_min_ = v;
  Changed();
}

void TChartAxis::SetAutomaticMaximum(bool v) {
  auto_max_ = v;
  if (v && auto_min_) automatic_ = true;
  else if (!v) automatic_ = false;
  Changed();
}

void TChartAxis::SetAutomaticMinimum(bool v) {
  auto_min_ = v;
  if (v && auto_max_) automatic_ = true;
  else if (!v) automatic_ = false;
  Changed();
}

void TChartAxis::SetMaximum(double v) {
  if ((!chart_ || !chart_->HasState(csLoading)) && v < minimum_) throw AxisException(TeeMsg_AxisMaxMin);
  maximum_ = v;
  Changed();
}

void TChartAxis::SetMinimum(double v) {
  if ((!chart_ || !chart_->HasState(csLoading)) && v > maximum_) throw AxisException(TeeMsg_AxisMinMax);
  minimum_ = v;
  Changed();
}

void TChartAxis::SetMinMax(double Min, double Max) {
  automatic_ = auto_min_ = auto_max_ = false;
  if (Min > Max) std::swap(Min, Max);
  if (Max - Min < kMinAxisRange) Max = Min + kMinAxisRange;
  minimum_ = Min;
  maximum_ = Max;
  Changed();
}

void TChartAxis::SetIncrement(double v) {
  if (v < 0) throw AxisException(TeeMsg_AxisIncrementNeg);
  increment_ = v;
  Changed();
}

void TChartAxis::SetInverted(bool v) {
  if (v == inverted_) return;
  inverted_ = v;
  Changed();
}

void TChartAxis::SetLogarithmic(bool v) {
  if (v && !logarithmic_) {
    RefreshDateTime();
    if (IsDateTime) throw AxisException(TeeMsg_AxisLogDateTime);
    logarithmic_ = true;
    if (chart_) {
      ComputeLimits();
      if (IMinimum < 0 || IMaximum < 0) {
        logarithmic_ = false;
        throw AxisException(TeeMsg_AxisLogNotPositive);
      }
    }
  }
  logarithmic_ = v;
  Changed();
}

void TChartAxis::SetLogarithmicBase(double v) {
  if (v == 1 || v <= 0) throw AxisException(TeeMsg_AxisLogBase);
  log_base_ = v;
  Changed();
}

void TChartAxis::SetLabelsSeparation(int v) {
  if (v < 0) throw AxisException(TeeMsg_AxisLabelSep);
  labels_separation_ = v;
  Changed();
}

void TChartAxis::SetLabelsAngle(int v) {
  v %= 360;
  if (v < 0) v += 360;
  labels_angle_ = v;
  Changed();
}

void TChartAxis::SetVisible(bool v) {
  if (v == visible_) return;
  visible_ = v;
  Changed();
}

void TChartAxis::SetLabelStyle(TAxisLabelStyle v) {
  label_style_ = v;
  Changed();
}

void TChartAxis::SetZPosition(double v) {
  z_position_ = v == 0 ? 0.01 : v;
  Changed();
}

// ---- limits and scale ----

void TChartAxis::ComputeLimits() {
  if (automatic_ || auto_max_) maximum_ = chart_ ? chart_->MaxAxisValue(this) : 0;
  if (automatic_ || auto_min_) minimum_ = chart_ ? chart_->MinAxisValue(this) : 0;
  IMaximum = maximum_;
  IMinimum = minimum_;
  CalcScale();
}

void TChartAxis::CalcScale() {
  IRange = IMaximum - IMinimum;
  IRangeIsZero = IRange == 0;
  LinearFactor = IRangeIsZero ? 0 : IAxisSize / IRange;
  if (logarithmic_) {
    ILogMinimum = IMinimum > 0 ? std::log(IMinimum) : 0;
    ILogMaximum = IMaximum > 0 ? std::log(IMaximum) : 0;
    ILogRange = ILogMaximum - ILogMinimum;
    LogFactor = ILogRange != 0 ? IAxisSize / ILogRange : 0;
  }
  if (chart_) AxisDepthPixel = Rnd((IsDepthAxis ? chart_->ChartHeight : chart_->Width3D) * z_position_ * 0.01);
}

void TChartAxis::InternalCalcPositions() {
  if (!chart_) return;
  const TRect& r = chart_->ChartRect;
  if (IsDepthAxis) {
    IStartPos = 0;
    IEndPos = chart_->Width3D;
  } else if (Horizontal) {
    const int w = r.Right - r.Left;
    IStartPos = r.Left + Rnd(w * StartPosition * 0.01);
    IEndPos = r.Left + Rnd(w * EndPosition * 0.01);
  } else {
    const int h = r.Bottom - r.Top;
    IStartPos = r.Top + Rnd(h * StartPosition * 0.01);
    IEndPos = r.Top + Rnd(h * EndPosition * 0.01);
  }
  IAxisSize = IEndPos - IStartPos;
  ICenterPos = (IStartPos + IEndPos) / 2;
  CalcScale();
}

void TChartAxis::ComputeLimitsInRect(const TRect& M) {
  const int lo = Horizontal ? M.Left : M.Top, hi = Horizontal ? M.Right : M.Bottom;
  if (lo == 0 && hi == 0) return;
  const int oldStart = IStartPos, oldEnd = IEndPos;
  IStartPos += lo;
  IEndPos -= hi;
  IAxisSize = IEndPos - IStartPos;
  if (IAxisSize <= 0) {
    IStartPos = oldStart;
    IEndPos = oldEnd;
    IAxisSize = IEndPos - IStartPos;
    return;
  }
  ICenterPos = (IStartPos + IEndPos) / 2;
  CalcScale();
  double a = PixelToValue(oldStart), b = PixelToValue(oldEnd);
  if (b < a) std::swap(a, b);
  // Pixel order of a vertical axis runs opposite to values.
  IMinimum = a;
  IMaximum = b;
  CalcScale();
}

int TChartAxis::ValueToPixel(double V) const {
  const bool clampIt = !(chart_ && chart_->UnclampedValueToPixel);
  auto lin = [&](double p) { return clampIt ? std::clamp(p, -kPixelClamp, kPixelClamp) : p; };
  if (IsDepthAxis) {
    if (IRangeIsZero) return ICenterPos;
    const double p = (V - IMinimum) * LinearFactor;
    return Rnd(lin(inverted_ ? IEndPos - p : IStartPos + p));
  }
  if (logarithmic_) {
    if (ILogRange == 0) return ICenterPos;
    if (V <= 0) {
      if (Horizontal) return inverted_ ? IEndPos : IStartPos;
      return inverted_ ? IStartPos : IEndPos;
    }
    const double lv = std::log(V);
    const int share = Rnd(lin((inverted_ ? ILogMaximum - lv : lv - ILogMinimum) * LogFactor));
    return Horizontal ? IStartPos + share : IEndPos - share;
  }
  if (IRangeIsZero) return ICenterPos;
  const double p = (V - IMinimum) * LinearFactor;
  // One inversion each way: a vertical axis already runs upwards from its end.
  if (Horizontal) return Rnd(lin(inverted_ ? IEndPos - p : IStartPos + p));
  return Rnd(lin(inverted_ ? IStartPos + p : IEndPos - p));
}

int TChartAxis::ValueSpanToPixels(double Value) const {
  if (IRangeIsZero) return ICenterPos;
  return Rnd(Value * LinearFactor);
}

double TChartAxis::PixelToValue(int Pixel) const {
  if (IAxisSize == 0) return IMinimum;
  double share = static_cast<double>(Pixel - IStartPos) / IAxisSize;
  // Vertical axes grow upwards; inverted axes from the other end.
  if (!Horizontal && !IsDepthAxis) share = 1 - share;
  if (inverted_) share = 1 - share;
  if (logarithmic_) {
    if (ILogRange == 0) return IMinimum;
    return std::exp(ILogMinimum + share * ILogRange);
  }
  return IMinimum + share * IRange;
}

void TChartAxis::Scroll(double Offset, bool CheckValues) {
  bool ok = true;
  if (CheckValues && chart_) {
    ok = false;
    for (TChartSeries* s : chart_->SeriesList()) {
      if (!s->Active() || !s->AssociatedToAxis(this)) continue;
      TChartValueList* l = s->ValueListOfAxis(this);
      if (!l || l->Count() == 0) continue;
      if ((Offset > 0 && l->MaxValue() > maximum_) || (Offset < 0 && l->MinValue() < minimum_)) ok = true;
    }
  }
  if (!ok) return;
  automatic_ = auto_min_ = auto_max_ = false;
  minimum_ += Offset;
  maximum_ += Offset;
  Changed();
}

bool TChartAxis::Clicked(int X, int Y) {
  if (!chart_ || !visible_) return false;
  const int across0 = PosAxis, across1 = PosLabels;
  int lo = std::min(across0, across1) - (OtherSide ? 0 : AxisClickTolerance);
  int hi = std::max(across0, across1) + (OtherSide ? AxisClickTolerance : 0);
  const int along = Horizontal ? X : Y, across = Horizontal ? Y : X;
  return along >= IStartPos && along <= IEndPos && across >= lo && across <= hi;
}

void TChartAxis::RefreshDateTime() {
  IsDateTime = false;
  if (!chart_) return;
  for (TChartSeries* s : chart_->SeriesList())
    if (s->Active() && s->AssociatedToAxis(this)) {
      if (TChartValueList* l = s->ValueListOfAxis(this)) IsDateTime = l->DateTime();
      return;
    }
}

AnsiString TChartAxis::LabelValue(double Value) {
  AnsiString t;
  if (IsDateTime) {
    if (Value >= 0) t = FormatDateTime(DateTimeFormat.empty() ? DateTimeDefaultFormat(IRange) : DateTimeFormat, Value);
  } else {
    t = FormatFloat(AxisValuesFormat, Value);
  }
  if (chart_ && chart_->OnGetAxisLabel) chart_->OnGetAxisLabel(this, nullptr, -1, t);
  if (LabelsMultiLine)
    for (char& c : t)
      if (c == ' ') c = ChartLineSeparator;
  return t;
}

TAxisLabelStyle TChartAxis::CalcLabelStyle() {
  if (label_style_ != talAuto) return label_style_;
  if (!chart_) return talValue;
  bool any = false;
  for (TChartSeries* s : chart_->SeriesList()) {
    if (!s->Active() || !s->AssociatedToAxis(this)) continue;
    any = true;
    const bool showsX = Horizontal == s->YMandatory();
    if (showsX && s->HasLabels()) return talText;
  }
  return any ? talValue : talNone;
}

bool TChartAxis::InternalLabelStyleIsAcross() const {
  return Horizontal ? (labels_angle_ == 90 || labels_angle_ == 270) : (labels_angle_ == 0 || labels_angle_ == 180);
}

int TChartAxis::ComputeLabelSize(const AnsiString& Text) {
  if (!chart_) return 0;
  TTeeCanvas3D* c = chart_->ChartCanvas();
  int lines = 0;
  const int w = chart_->MultiLineTextWidth(Text, lines);
  if (InternalLabelStyleIsAcross()) return c->FontHeight() * std::max(lines, 1);
  return w;
}

// The room a label takes across the axis: its width when it stands across the axis (a
// vertical axis with level text), else its height.
bool TChartAxis::RoomIsWidth() const { return InternalLabelStyleIsAcross(); }

int TChartAxis::LabelRoomSize(const AnsiString& Text) {
  if (!chart_) return 0;
  int lines = 0;
  const int w = chart_->MultiLineTextWidth(Text, lines);
  if (RoomIsWidth()) return w;
  return chart_->ChartCanvas()->FontHeight() * std::max(lines, 1);
}

double TChartAxis::IncrementForLabelCount(int MaxCount) {
  if (MaxCount <= 0) return IsDateTime ? DateTimeStep[0] : MinAxisIncrement;
  if (IsDateTime) {
    double step = std::max(increment_, DateTimeStep[0]);
    if (IRange / step >= 1e6) step = IRange / 1e6;
    int guard = 0;
    while (Rnd(IRange / step) > MaxCount && ++guard < 2000) {
      if (step >= DateTimeStep[dtOneYear]) {
        step *= 2;
      } else if (step >= DateTimeStep[dtOneSecond]) {
        step = FindDateTimeStep(step);
      } else {
        step = NextStep(step);
      }
    }
    return std::max(step, DateTimeStep[0]);
  }
  double step;
  if (increment_ == 0) {
    if (IRange == 0) {
      step = 1;
    } else {
      step = std::fabs(IRange) / (MaxCount + 1);
      if (logarithmic_ && step > 0) step = std::pow(log_base_, Rnd(std::log(step) / std::log(log_base_)));
    }
    if (chart_)
      for (TChartSeries* s : chart_->SeriesList())
        if (s->Active() && s->AssociatedToAxis(this) && Horizontal == s->YMandatory() && s->Count() <= MaxCount) {
          step = std::max(step, 1.0);
          break;
        }
  } else {
    step = increment_;
  }
  if (step <= 0) step = MinAxisIncrement;
  int guard = 0;
  while (++guard < 2000) {
    const double q = std::fabs(IRange) / step;
    if (!(Rnd(q) > MaxCount || q >= 2147483647.0)) break;
    const double next = logarithmic_ ? step * log_base_ : NextStep(step);
    if (!std::isfinite(next)) return std::fabs(IRange);
    if (next > std::fabs(IRange) && step >= std::fabs(IRange)) break;
    step = next;
  }
  return std::max(step, MinAxisIncrement);
}

double TChartAxis::CalcIncrement() {
  int size = std::max(ComputeLabelSize(LabelValue(IMinimum)), ComputeLabelSize(LabelValue(IMaximum)));
  if (labels_separation_ > 0) size += Rnd(size * labels_separation_ * 0.01);
  const int count = size < 1 ? 1 : Rnd(static_cast<double>(std::abs(IAxisSize)) / size);
  double inc = IncrementForLabelCount(count);
  if (LabelsAlternate) inc = logarithmic_ ? inc / log_base_ : inc / 2;
  return inc;
}

int TChartAxis::MaxLabelsWidth() {
  if (!chart_) return 0;
  TTeeCanvas3D* c = chart_->ChartCanvas();
  if (items_->Count() > 0) {
    // The widest custom label, each in its own font.
    int w = 0;
    for (int i = 0; i < items_->Count(); ++i) {
      TAxisItem* item = items_->Items(i);
      c->AssignFont(item->Font());
      w = std::max(w, LabelRoomSize(ItemText(item)));
    }
    return w;
  }
  const TAxisLabelStyle st = CalcLabelStyle();
  if (st == talNone) return 0;
  c->AssignFont(LabelsFont());
  if (st == talValue) {
    const double inc = CalcIncrement();
    auto rounded = [&](double v) { return RoundFirstLabel && inc > 0 ? std::floor(v / inc) * inc : v; };
    auto saved = chart_->OnGetAxisLabel;
    chart_->OnGetAxisLabel = nullptr;
    const int w = std::max(LabelRoomSize(LabelValue(rounded(IMinimum))), LabelRoomSize(LabelValue(rounded(IMaximum))));
    chart_->OnGetAxisLabel = saved;
    return w + (RoomIsWidth() ? c->TextWidth(" ") : 0);
  }
  int w = 0;
  for (TChartSeries* s : chart_->SeriesList())
    for (int i = 0; i < s->Count(); ++i)
      w = std::max(w, LabelRoomSize(st == talMark ? s->GetMarkText(i) : s->Labels(i)));
  return w;
}

AnsiString TChartAxis::ItemText(const TAxisItem* Item) {
  return Item->Text().empty() ? LabelValue(Item->Value()) : Item->Text();
}

int TChartAxis::SizeTickAxis() const {
  int r = 0;
  if (axis_pen_.Visible()) r += axis_pen_.Width() + 1;
  if (ticks_.Visible()) r += TickLength;
  return std::max(r, MinorTickLength);
}

void TChartAxis::CalcRect(TRect& R, bool Standard) {
  RefreshDateTime();
  // A depth axis runs into the picture; it takes no room from the chart's sides.
  if (!chart_ || IsDepthAxis) return;
  TTeeCanvas3D* c = chart_->ChartCanvas();
  auto take = [&](int size) {
    if (Horizontal) {
      if (OtherSide) R.Top += size; else R.Bottom -= size;
      return OtherSide ? R.Top : R.Bottom;
    }
    if (OtherSide) R.Right -= size; else R.Left += size;
    return OtherSide ? R.Right : R.Left;
  };
  if (!Standard) {
    const int offset = PositionUnits == muPercent
                           ? Rnd((Horizontal ? chart_->ChartHeight : chart_->ChartWidth) * PositionPercent * 0.01)
                           : Rnd(PositionPercent);
    const int side = Horizontal ? (OtherSide ? chart_->ChartRect.Top - offset : chart_->ChartRect.Bottom + offset)
                                : (OtherSide ? chart_->ChartRect.Right + offset : chart_->ChartRect.Left - offset);
    const int out = (Horizontal ? (OtherSide ? -1 : 1) : (OtherSide ? 1 : -1));
    PosLabels = side + out * SizeTickAxis();
    PosTitle = PosLabels + out * (Labels() ? MaxLabelsWidth() : 0);
    return;
  }
  if (title_.Visible() && !title_.Caption().empty()) {
    int size = TitleSize;
    if (size == 0) {
      c->AssignFont(title_.Font());
      const bool along = Horizontal ? (title_.Angle() == 0 || title_.Angle() == 180) : (title_.Angle() == 90 || title_.Angle() == 270);
      int lines = 0;
      size = along ? c->FontHeight() * std::max(1, CountLines(title_.Caption())) : chart_->MultiLineTextWidth(title_.Caption(), lines);
    }
    PosTitle = take(size);
  }
  if (Labels()) {
    int size = LabelsSize;
    if (size == 0) {
      size = MaxLabelsWidth();
      if (LabelsAlternate) size *= 2;
    }
    labels_size_ = size;
    PosLabels = take(size);
  }
  const int room = chart_->CalcWallSizeOf(this) + SizeTickAxis();
  if (room > 0) take(room);
  const int offset = PositionUnits == muPercent
                         ? Rnd((Horizontal ? chart_->ChartHeight : chart_->ChartWidth) * PositionPercent * 0.01)
                         : Rnd(PositionPercent);
  const int dir = Horizontal ? (OtherSide ? 1 : -1) : (OtherSide ? -1 : 1);
  PosTitle -= dir * offset;
  PosLabels -= dir * offset;
}

double TChartAxis::NextLabelValue(double Value, double Step, bool Forward) const {
  if (ExactDateTime && IsDateTime && Step >= DateTimeStep[dtHalfMonth]) {
    const int idx = DateTimeStepIndex(Step);
    if (idx != dtNone) return NextDateTime(Value, idx, Step, Forward);
  }
  return Forward ? Value + Step : Value - Step;
}

bool TChartAxis::LabelRoomFree(const TRect& b) const {
  const TRect& bounds = chart_->ChartCanvas()->Bounds;
  if (b.Left < bounds.Left || b.Top < bounds.Top || b.Right > bounds.Right || b.Bottom > bounds.Bottom) return false;
  const std::vector<TRect>& drawn = chart_->AxisLabelRects;
  // Side by side, labels closer than a digit's width read as one number ("2345678910"
  // along a foreshortened axis); stacked, a free pixel row keeps them apart.
  const TRect digit = chart_->ChartCanvas()->TextBounds3D(0, 0, 0, "0");  // as drawn, zoomed with the view
  const int across = std::max(1, digit.Right - digit.Left);
  return std::none_of(drawn.begin(), drawn.end(), [&](const TRect& o) {
    return b.Left < o.Right + across && o.Left < b.Right + across && b.Top < o.Bottom + 1 && o.Top < b.Bottom + 1;
  });
}

void TChartAxis::DrawAxisLabel(int X, int Y, int Angle, const AnsiString& Text0, TTeeCustomShape* Format) {
  if (!chart_) return;
  TTeeCanvas3D* c = chart_->ChartCanvas();
  AnsiString Text = Text0;
  const int F = c->FontHeight(), h2 = F / 2;
  const int H = (Angle == 180 || Angle == 270) ? -F : F;
  auto T = [](bool horizontal, bool other) -> unsigned {
    if (horizontal) return other ? (TA_CENTER | TA_BOTTOM) : (TA_CENTER | TA_TOP);
    return other ? TA_LEFT : TA_RIGHT;
  };
  unsigned align = TA_LEFT;
  switch (Angle) {
    case 0:
      align = T(Horizontal, OtherSide);
      if (!Horizontal) Y -= h2;
      if (!Horizontal && LabelsAlign == alOpposite) {
        align = OtherSide ? TA_RIGHT : TA_LEFT;
        X += OtherSide ? labels_size_ : -labels_size_;
      }
      break;
    case 90:
      if (Horizontal) {
        align = T(false, OtherSide);
        X -= h2;
      } else {
        align = T(true, !OtherSide);
      }
      break;
    case 180:
      align = T(Horizontal, !OtherSide);
      if (!Horizontal) Y += h2;
      break;
    case 270:
      if (Horizontal) {
        align = T(false, !OtherSide);
        X += h2;
      } else {
        align = T(true, OtherSide);
      }
      break;
    case 45:
      align = TA_LEFT;
      if (Horizontal && OtherSide) {
        X -= c->TextWidth("Wj");
        Y -= c->TextWidth("Wj");
      } else if (Horizontal) {
        const int w = Rnd(c->TextWidth(Text) * std::sin(M_PI / 4));
        X -= w;
        Y += w;
      }
      break;
    default:
      align = TA_LEFT;
      break;
  }
  int n = CountLines(Text);
  if (Horizontal) {
    if (Angle == 0) Y -= OtherSide ? n * H : H;
    else if (Angle == 180) Y -= OtherSide ? H : n * H;
    else if (Angle == 90 || Angle == 270) X -= Rnd(H * (n + 1) / 2.0);
  } else {
    if (Angle == 0 || Angle == 180) Y -= Rnd(H * (n + 1) / 2.0);
    else if (Angle == 90) X -= OtherSide ? H : n * H;
    else if (Angle == 270) X -= OtherSide ? n * H : H;
  }
  TTeeCustomShape* box = Format ? Format : &labels_format_;
  const int Z = AxisDepthPixel;
  if (!box->Transparent()) {
    int lines = 0;
    const int w = chart_->MultiLineTextWidth(Text, lines);
    TRect b(X, Y + H, X + w, Y + H + F * std::max(lines, 1));
    if (align & TA_BOTTOM) b = TRect(b.Left, b.Top - b.Height(), b.Right, b.Top);
    if ((align & TA_CENTER) == TA_RIGHT) b = TRect(X - w, b.Top, X, b.Bottom);
    else if ((align & TA_CENTER) == TA_CENTER) b = TRect(X - w / 2, b.Top, X - w / 2 + w, b.Bottom);
    const int ww = c->TextWidth("W") / 2;
    b.Left -= ww;
    b.Right += ww;
    if (Z != 0) b = c->CalcRect3D(b, Z);
    box->DrawRectRotated(b, labels_angle_, Z);
    c->Brush()->SetStyle(bsClear);
  }
  c->SetTextAlign(align);
  int x = X, y = Y, z = Z;
  bool draw = true;
  if (OnDrawLabel) {
    OnDrawLabel(this, x, y, z, Text, draw);
    n = CountLines(Text);
  }
  if (draw && sparing_labels_ && c->Is3D) {
    // Turned in 3-D, an axis seen at a slant crowds its labels together: a label that would
    // run into one already drawn, or be cut by the chart's edge, is left out.
    int lx = x, ly = y;
    size_t start = 0;
    for (int i = 0; i < std::max(n, 1) && start <= Text.size() && draw; ++i) {
      size_t end = Text.find(ChartLineSeparator, start);
      const AnsiString line = Text.substr(start, end == AnsiString::npos ? AnsiString::npos : end - start);
      start = end == AnsiString::npos ? Text.size() + 1 : end + 1;
      if (Angle == 0 || Angle == 180) ly += H;
      else if (Angle == 90 || Angle == 270) lx += H;
      const TRect b = c->TextBounds3D(lx, ly, z, line, Angle);
      if (!LabelRoomFree(b)) draw = false;
    }
  }
  if (draw) {
    size_t start = 0;
    for (int i = 0; i < std::max(n, 1) && start <= Text.size(); ++i) {
      size_t end = Text.find(ChartLineSeparator, start);
      const AnsiString line = Text.substr(start, end == AnsiString::npos ? AnsiString::npos : end - start);
      start = end == AnsiString::npos ? Text.size() + 1 : end + 1;
      if (Angle == 0) {
        y += H;
        if (LabelsExponent)
          TextOutWithExponent(c, x, y, z, line);
        else
          c->TextOut3D(x, y, z, line);
      } else {
        if (Angle == 180) y += H;
        else if (Angle == 90 || Angle == 270) x += H;
        c->RotateLabel3D(x, y, z, line, Angle);
      }
      if (sparing_labels_) chart_->AxisLabelRects.push_back(c->TextBounds3D(x, y, z, line, Angle));
    }
  }
  c->SetTextAlign(TA_LEFT);
}

void TChartAxis::DrawGrids() {
  if (chart_ && OnDrawGrids) OnDrawGrids(this);
  if (!chart_ || !grid_.Visible()) return;
  TTeeCanvas3D* c = chart_->ChartCanvas();
  c->AssignVisiblePenColor(&grid_, grid_.Color() == clTeeColor ? clGray : grid_.Color());
  c->Brush()->SetStyle(bsClear);
  c->SetBackMode(TRANSPARENT);
  const TRect& r = chart_->ChartRect;
  const int w3 = chart_->Width3D;
  std::vector<int> pos = ticks_pos_;
  if (GridCentered) {
    std::vector<int> mid;
    for (size_t i = 1; i < pos.size(); ++i) mid.push_back(Rnd((pos[i - 1] + pos[i]) / 2.0));
    pos = mid;
  }
  for (int p : pos) {
    if (Horizontal) {
      if (chart_->View3D()) {
        c->VertLine3D(p, r.Top, r.Bottom, w3);
        c->ZLine3D(p, OtherSide ? r.Top : r.Bottom, 0, w3);
      } else {
        c->DoVertLine(p, r.Top + 1, r.Bottom);
      }
    } else {
      if (chart_->View3D()) {
        c->HorizLine3D(r.Left, r.Right, p, w3);
        c->ZLine3D(OtherSide ? r.Right : r.Left, p, 0, w3);
      } else {
        c->DoHorizLine(r.Left + 1, r.Right, p);
      }
    }
  }
}

void TChartAxis::Draw(bool PlaceAxisLine) {
  if (!chart_) return;
  RefreshDateTime();
  TTeeCanvas3D* c = chart_->ChartCanvas();
  const TRect& r = chart_->ChartRect;
  if (PlaceAxisLine) {
    const int offset = PositionUnits == muPercent
                           ? Rnd((Horizontal ? chart_->ChartHeight : chart_->ChartWidth) * PositionPercent * 0.01)
                           : Rnd(PositionPercent);
    if (Horizontal)
      PosAxis = OtherSide ? r.Top - offset : r.Bottom + offset;
    else
      PosAxis = OtherSide ? r.Right + offset : r.Left - offset;
  }
  if (IsDepthAxis) PosAxis = OtherSide ? r.Right : r.Left;
  const int Z = AxisDepthPixel;
  // Collect the label values and positions.
  struct Label {
    int pos;
    double value;
    AnsiString text;
    TAxisItem* item = nullptr;
  };
  std::vector<Label> labels;
  const bool custom = items_->Count() > 0;
  const TAxisLabelStyle st = custom ? talValue : CalcLabelStyle();
  bool logLimitTicks = false;
  if (custom) {
    // The custom labels replace the computed ones: those whose value lies within the limits.
    for (int i = 0; i < items_->Count(); ++i) {
      TAxisItem* item = items_->Items(i);
      const double v = item->Value();
      if (v >= IMinimum && v <= IMaximum) labels.push_back({ValueToPixel(v), v, ItemText(item), item});
    }
  } else if (st != talNone && IMinimum <= IMaximum) {
    c->AssignFont(LabelsFont());
    double inc = CalcIncrement();
    if (IsDateTime && ExactDateTime && increment_ != 0) {
      for (int t = 0; t <= dtOneYear; ++t)
        if (DateTimeStep[t] >= inc) {
          inc = DateTimeStep[t];
          break;
        }
    }
    if (st == talValue && (inc > 0 || (IsDateTime && inc >= DateTimeStep[dtHalfMonth]))) {
      bool eventDone = false;
      if (chart_->OnGetNextAxisLabel) {
        double v = IMinimum;
        bool stop = true;
        chart_->OnGetNextAxisLabel(this, 0, v, stop);
        if (!stop) {
          eventDone = true;
          for (int i = 0; i < 2000; ++i) {
            if (i > 0) {
              stop = true;
              chart_->OnGetNextAxisLabel(this, i, v, stop);
            }
            if (v < IMinimum - 1e-7 || v > IMaximum + 1e-7) break;
            labels.push_back({ValueToPixel(v), v, LabelValue(v)});
            if (stop) break;
          }
        }
      }
      if (!eventDone && logarithmic_ && increment_ == 0 && IMinimum != IMaximum) {
        double mn = IMinimum;
        if (mn == 0) mn = 0.1;
        if (mn < 0) mn = 1e-10;
        double v = std::pow(log_base_, Rnd(std::log(mn) / std::log(log_base_)));
        for (int guard = 0; v <= IMaximum && guard < 1000; ++guard, v *= log_base_)
          if (v >= IMinimum) labels.push_back({ValueToPixel(v), v, LabelValue(v)});
        // No power of the base inside the limits (2..5 on base 10): labels at a constant
        // step instead, the largest power of the base that the range holds.
        if (labels.empty() && log_base_ > 1 && IMinimum > 0) {
          const double step = std::pow(log_base_, std::floor(std::log(IRange) / std::log(log_base_)));
          if (step > 0 && std::isfinite(step))
            for (double w = std::ceil(IMinimum / step) * step; w <= IMaximum && labels.size() < 1000; w += step)
              labels.push_back({ValueToPixel(w), w, LabelValue(w)});
        }
        logLimitTicks = true;
      } else if (!eventDone && std::fabs(IRange / inc) < 10000) {
        double first;
        const int stepIdx = DateTimeStepIndex(inc);
        if (IsDateTime && ExactDateTime && inc >= 1 && stepIdx != dtNone) {
          first = TruncDateTime(stepIdx, IMaximum);
        } else if (!RoundFirstLabel || LabelValue(IMinimum) == LabelValue(IMaximum)) {
          first = IMaximum;
        } else {
          first = std::trunc(IMaximum / inc) * inc;
        }
        for (int guard = 0; first > IMaximum && guard < 10000; ++guard) first = NextLabelValue(first, inc, false);
        if (IRange == 0 || std::fabs(IMaximum - IMinimum) < 1e-10 || LabelValue(IMinimum) == LabelValue(IMaximum)) {
          labels.push_back({ValueToPixel(first), first, LabelValue(first)});
        } else {
          const double lower = IMinimum < 0 ? IMinimum : (IMinimum - 1e-12) / (1 + 1e-12);
          for (double v = first; v >= lower && labels.size() < 10000; v = NextLabelValue(v, inc, false)) {
            // Values within rounding noise of zero print as zero.
            const double shown = std::fabs(v) < inc * 1e-9 ? 0 : v;
            labels.push_back({ValueToPixel(shown), shown, LabelValue(shown)});
          }
        }
      }
    } else if (st == talMark || st == talText) {
      for (TChartSeries* s : chart_->SeriesList()) {
        if (!s->Active() || !s->AssociatedToAxis(this)) continue;
        s->CalcFirstLastVisibleIndex();
        if (s->FirstValueIndex < 0) continue;
        for (int i = s->FirstValueIndex; i <= s->LastValueIndex; ++i) {
          AnsiString t = st == talMark ? s->GetMarkText(i) : s->Labels(i);
          if (t.empty()) continue;
          if (chart_->OnGetAxisLabel) chart_->OnGetAxisLabel(this, s, i, t);
          const double v = Horizontal ? s->XValue(i) : s->YValue(i);
          if (v < IMinimum || v > IMaximum) continue;
          labels.push_back({ValueToPixel(v), v, t});
        }
        break;
      }
    }
  }
  ticks_pos_.clear();
  for (const Label& l : labels)
    // A custom label gets its tick only when it is drawn, unless every label has one.
    if (!l.item || !TickOnLabelsOnly || (Labels() && l.item->Visible())) ticks_pos_.push_back(l.pos);
  // On a logarithmic axis the limits get ticks of their own beyond the outer labels.
  if (logLimitTicks && axis_pen_.Visible())
    for (const double limit : {IMinimum, IMaximum})
      if (std::none_of(labels.begin(), labels.end(), [limit](const Label& l) { return l.value == limit; }))
        ticks_pos_.push_back(ValueToPixel(limit));

  c->Brush()->SetStyle(bsClear);
  c->SetBackMode(TRANSPARENT);
  // Title.
  if (title_.Visible() && !title_.Caption().empty()) {
    c->AssignFont(title_.Font());
    const bool saved = LabelsExponent;
    LabelsExponent = false;
    if (Horizontal)
      DrawAxisLabel(ICenterPos, PosTitle, title_.Angle(), title_.Caption());
    else
      DrawAxisLabel(PosTitle, ICenterPos, title_.Angle(), title_.Caption());
    LabelsExponent = saved;
  }
  // Grid first so that ticks and line stay on top.
  DrawGrids();
  // Axis line.
  if (axis_pen_.Visible()) {
    c->AssignVisiblePen(&axis_pen_);
    if (Horizontal)
      c->HorizLine3D(IStartPos, IEndPos, PosAxis, Z);
    else
      c->VertLine3D(PosAxis, IStartPos, IEndPos, Z);
  }
  const int out = Horizontal ? (OtherSide ? -1 : 1) : (OtherSide ? 1 : -1);
  auto tick = [&](int p, int from, int len) {
    if (Horizontal)
      c->VertLine3D(p, PosAxis + out * from, PosAxis + out * (from + len), Z);
    else
      c->HorizLine3D(PosAxis + out * from, PosAxis + out * (from + len), p, Z);
  };
  if (ticks_.Visible() && TickLength > 0) {
    c->AssignVisiblePen(&ticks_);
    for (int p : ticks_pos_) tick(p, 0, TickLength);
  }
  if (ticks_inner_.Visible() && TickInnerLength > 0) {
    c->AssignVisiblePen(&ticks_inner_);
    for (int p : ticks_pos_) tick(p, -TickInnerLength, TickInnerLength);
  }
  if (minor_ticks_.Visible() && MinorTickCount > 0 && labels.size() > 1) {
    c->AssignVisiblePen(&minor_ticks_);
    for (size_t i = 1; i < labels.size(); ++i) {
      const double a = labels[i].value, b = labels[i - 1].value;
      for (int k = 1; k <= MinorTickCount; ++k) tick(ValueToPixel(a + (b - a) * k / (MinorTickCount + 1)), 0, MinorTickLength);
    }
  }
  // Labels.
  if (Labels() && !labels.empty()) {
    c->AssignFont(LabelsFont());
    int lastEnd = 0;
    bool first = true;
    for (size_t i = 0; i < labels.size(); ++i) {
      const Label& l = labels[i];
      if (LabelsOnAxis && (l.pos < std::min(IStartPos, IEndPos) - 1 || l.pos > std::max(IStartPos, IEndPos) + 1)) continue;
      if (l.item && !l.item->Visible()) continue;
      c->AssignFont(l.item ? l.item->Font() : LabelsFont());
      if (st != talValue && labels_separation_ > 0) {
        const int size = ComputeLabelSize(l.text);
        const int half = first ? size / 2 : static_cast<int>(size + size * 0.02 * labels_separation_) / 2;
        if (!first && std::abs(l.pos - lastEnd) < half) continue;
        lastEnd = l.pos + (l.pos >= lastEnd ? half : -half);
        first = false;
      }
      int pl = PosLabels;
      if (LabelsAlternate && (i % 2 == 1)) pl += (Horizontal ? c->FontHeight() : labels_size_ / 2) * (Horizontal ? (OtherSide ? -1 : 1) : (OtherSide ? 1 : -1));
      sparing_labels_ = true;
      if (Horizontal)
        DrawAxisLabel(l.pos, pl, labels_angle_, l.text, l.item);
      else
        DrawAxisLabel(pl, l.pos, labels_angle_, l.text, l.item);
      sparing_labels_ = false;
    }
  }
}

TChartDepthAxis::TChartDepthAxis(TCustomAxisPanel* Chart) : TChartAxis(Chart) {
  IsDepthAxis = true;
  visible_ = false;
}

void TChartDepthAxis::SetInverted(bool v) {
  if (v == inverted_) return;
  TChartAxis::SetInverted(v);
  if (chart_) {
    if (this == chart_->DepthAxis()) chart_->DepthTopAxis()->SetInverted(v);
    else if (this == chart_->DepthTopAxis()) chart_->DepthAxis()->SetInverted(v);
  }
}

#pragma once
// The gauge base control with its update lock, and the small settings objects the gauges
// publish as sub-properties (bevels, sectors, signal range, min/max, bar, needle, LED,
// scale). Every settings object tells its owner through OnChange when it changes; the
// owner then recomputes and repaints.
#include <array>
#include <memory>
#include "gauges/_AbProc.h"
#include "platform/rtl/DateUtils.h"
#include "platform/stdctrls/ExtCtrls.h"  // TBevelStyle
#include "platform/ui/Controls.h"

class TAbPersistent : public TPersistent {
 public:
  const char* ClassName() const override { return "TAbPersistent"; }
  TNotifyEvent OnChange;
  // Fires OnChange(this).
  virtual void Changed();
  // Fires OnChange(Sender): sub-objects report through their owner with themselves as sender.
  virtual void ChangedBy(TObject* Sender);

 protected:
  template <class T>
  void Store(T& field, const T& v) {
    if (field == v) return;
    field = v;
    Changed();
  }
};

// Margins that move each edge of a rectangle inwards.
class TAbOffset : public TAbPersistent {
 public:
  const char* ClassName() const override { return "TAbOffset"; }
  void Assign(TPersistent* Source) override;
  int Top() const { return top_; }
  void SetTop(int v) { Store(top_, v); }
  int Left() const { return left_; }
  void SetLeft(int v) { Store(left_, v); }
  int Right() const { return right_; }
  void SetRight(int v) { Store(right_, v); }
  int Bottom() const { return bottom_; }
  void SetBottom(int v) { Store(bottom_, v); }
  void Apply(TRect& R) const { ShrinkRectSides(R, left_, top_, right_, bottom_); }

 private:
  int top_ = 0, left_ = 0, right_ = 0, bottom_ = 0;
};

// Needle shape and colours of the round meters.
class TArrowSettings : public TAbPersistent {
 public:
  const char* ClassName() const override { return "TArrowSettings"; }
  void Assign(TPersistent* Source) override;
  int Shape() const { return shape_; }
  void SetShape(int v) { Store(shape_, v); }
  TColor ColorPen() const { return pen_; }
  void SetColorPen(TColor v) { Store(pen_, v); }
  TColor ColorBrush() const { return brush_; }
  void SetColorBrush(TColor v) { Store(brush_, v); }
  TColor ColorCP1Pen() const { return cp1_pen_; }
  void SetColorCP1Pen(TColor v) { Store(cp1_pen_, v); }
  TColor ColorCP1Brush() const { return cp1_brush_; }
  void SetColorCP1Brush(TColor v) { Store(cp1_brush_, v); }
  TColor ColorCP2Pen() const { return cp2_pen_; }
  void SetColorCP2Pen(TColor v) { Store(cp2_pen_, v); }
  TColor ColorCP2Brush() const { return cp2_brush_; }
  void SetColorCP2Brush(TColor v) { Store(cp2_brush_, v); }

 private:
  int shape_ = 0;
  TColor pen_ = clBlack, brush_ = clLime, cp1_pen_ = clBlack, cp1_brush_ = clBlack, cp2_pen_ = clBlack,
         cp2_brush_ = clBtnFace;
};

// An LED lamp: shape, colours and size; the owning control sets its rectangle.
class TLED : public TAbPersistent {
 public:
  const char* ClassName() const override { return "TLED"; }
  void Assign(TPersistent* Source) override;
  TLEDShape Shape() const { return shape_; }
  void SetShape(TLEDShape v) { Store(shape_, v); }
  TColor ColorOn() const { return on_; }
  void SetColorOn(TColor v) { Store(on_, v); }
  TColor ColorOff() const { return off_; }
  void SetColorOff(TColor v) { Store(off_, v); }
  int Width() const { return width_; }
  // 4..80; other sizes are ignored.
  void SetWidth(int v);
  int Height() const { return height_; }
  void SetHeight(int v);
  TRect LampRect;
  void Paint(TCanvas* Canvas, bool On) const;

 private:
  TLEDShape shape_ = sRound;
  TColor on_ = clLime, off_ = clBtnFace;
  int width_ = 13, height_ = 13;
};

class TAbGradSettings : public TAbPersistent {
 public:
  const char* ClassName() const override { return "TAbGradSettings"; }
  void Assign(TPersistent* Source) override;
  TColor ColorFrom() const { return from_; }
  void SetColorFrom(TColor v) { Store(from_, v); }
  TColor ColorTo() const { return to_; }
  void SetColorTo(TColor v) { Store(to_, v); }
  bool Visible() const { return visible_; }
  void SetVisible(bool v) { Store(visible_, v); }
  TGradientStyle Style() const { return style_; }
  void SetStyle(TGradientStyle v) { Store(style_, v); }

 private:
  TColor from_ = 0xE2E2E2, to_ = 0x8F8F8F;
  bool visible_ = false;
  TGradientStyle style_ = gsHorizontal1;
};

enum TBevelLine { blNone, blOuter, blInner, blBoth };

// A bevel frame with an optional gradient surface.
class TAbSBevel : public TAbPersistent {
 public:
  TAbSBevel();
  const char* ClassName() const override { return "TAbSBevel"; }
  void Assign(TPersistent* Source) override;
  void Changed() override;

  TBevelStyle Style() const { return style_; }
  void SetStyle(TBevelStyle v) { Store(style_, v); }
  int Spacing() const { return spacing_; }
  void SetSpacing(int v) { Store(spacing_, v); }
  TBevelLine BevelLine() const { return line_; }
  void SetBevelLine(TBevelLine v) { Store(line_, v); }
  int Width() const { return width_; }
  void SetWidth(int v) { Store(width_, v); }
  TColor Color() const { return color_; }
  void SetColor(TColor v) { Store(color_, v); }
  TAbOffset* Offset() { return &offset_; }
  TColor ColorShadowFrom() const { return shadow_from_; }
  void SetColorShadowFrom(TColor v) { Store(shadow_from_, v); }
  TColor ColorShadowTo() const { return shadow_to_; }
  void SetColorShadowTo(TColor v) { Store(shadow_to_, v); }
  TColor ColorHighLightFrom() const { return high_from_; }
  void SetColorHighLightFrom(TColor v) { Store(high_from_, v); }
  TColor ColorHighLightTo() const { return high_to_; }
  void SetColorHighLightTo(TColor v) { Store(high_to_, v); }
  TColor PenColor() const { return pen_color_; }
  void SetPenColor(TColor v) { Store(pen_color_, v); }
  TAbGradSettings* SurfaceGrad() { return &grad_; }
  // Spacing + Width + the frame lines.
  int TotalWidth() const { return total_width_; }

  // Paints the bevel into Rect and leaves in Rect the area for the content.
  void PaintBevel(TCanvas* Canvas, TRect& Rect);

 private:
  TBevelStyle style_ = bsRaised;
  int spacing_ = 5;
  TBevelLine line_ = blNone;
  int width_ = 2;
  TColor color_ = clBtnFace;
  TAbOffset offset_;
  TColor shadow_from_ = clBtnShadow, shadow_to_ = clBtnShadow, high_from_ = clBtnHighlight, high_to_ = clBtnHighlight;
  TColor pen_color_ = clBlack;
  TAbGradSettings grad_;
  int total_width_ = 7;
};

// Four coloured ranges in parts per thousand of the span.
class TSectorSettings : public TAbPersistent {
 public:
  const char* ClassName() const override { return "TSectorSettings"; }
  void Assign(TPersistent* Source) override;
  struct Sector {
    TColor Color;
    int From, To;
  };
  // k = 1..4.
  const Sector& At(int k) const { return sectors_.at(static_cast<size_t>(k - 1)); }
  TColor SectorColor(int k) const { return At(k).Color; }
  void SetSectorColor(int k, TColor v) { Store(sectors_.at(static_cast<size_t>(k - 1)).Color, v); }
  int SectorFrom(int k) const { return At(k).From; }
  void SetSectorFrom(int k, int v) { Store(sectors_.at(static_cast<size_t>(k - 1)).From, v); }
  int SectorTo(int k) const { return At(k).To; }
  void SetSectorTo(int k, int v) { Store(sectors_.at(static_cast<size_t>(k - 1)).To, v); }
  int Offset() const { return offset_; }
  void SetOffset(int v) { Store(offset_, v); }
  int WidthOffset() const { return width_offset_; }
  void SetWidthOffset(int v) { Store(width_offset_, v); }
  bool LogScale = false;
  // The colour of the first sector holding Ppt; clNone when none does.
  TColor SectorColorAt(int Ppt) const;

 private:
  std::array<Sector, 4> sectors_{{{clYellow, 0, 250}, {clGreen, 251, 500}, {clRed, 501, 750}, {clBlue, 751, 1000}}};
  int offset_ = 0, width_offset_ = 0;
};

// Running minimum and maximum of an analog gauge, with their time stamps.
class TMinMax : public TAbPersistent {
 public:
  TMinMax();
  const char* ClassName() const override { return "TMinMax"; }
  void Assign(TPersistent* Source) override;
  static constexpr float kResetMin = 9999999.0f, kResetMax = -9999999.0f;
  float Max() const { return max_; }
  // Stores the value and stamps it with the time, without telling the owner.
  void SetMax(float v);
  float Min() const { return min_; }
  void SetMin(float v);
  TDateTime MaxDateTime() const { return max_time_; }
  TDateTime MinDateTime() const { return min_time_; }
  TColor MaxColor() const { return max_color_; }
  void SetMaxColor(TColor v) { Store(max_color_, v); }
  TColor MinColor() const { return min_color_; }
  void SetMinColor(TColor v) { Store(min_color_, v); }
  bool UseSectorCol() const { return use_sector_col_; }
  void SetUseSectorCol(bool v) { Store(use_sector_col_, v); }
  bool MinVisible() const { return min_visible_; }
  void SetMinVisible(bool v) { Store(min_visible_, v); }
  bool MaxVisible() const { return max_visible_; }
  void SetMaxVisible(bool v) { Store(max_visible_, v); }

 private:
  friend class TAbAnalogGControl;  // the value pipeline writes the fields directly
  float max_ = kResetMax, min_ = kResetMin;
  TDateTime max_time_, min_time_;
  TColor max_color_ = clAqua, min_color_ = clAqua;
  bool use_sector_col_ = true, min_visible_ = true, max_visible_ = true;
};

// Value range and digital range of a gauge signal, with the factors derived from them.
class TSignalSettings : public TAbPersistent {
 public:
  TSignalSettings();
  const char* ClassName() const override { return "TSignalSettings"; }
  void Assign(TPersistent* Source) override;
  // Recomputes the derived factors, then tells the owner.
  void Changed() override;

  int DigitalFrom() const { return digital_from_; }
  void SetDigitalFrom(int v) { Store(digital_from_, v); }
  int DigitalTo() const { return digital_to_; }
  void SetDigitalTo(int v) { Store(digital_to_, v); }
  const AnsiString& Name1() const { return name1_; }
  void SetName1(const AnsiString& v) { Store(name1_, v); }
  const AnsiString& Name2() const { return name2_; }
  void SetName2(const AnsiString& v) { Store(name2_, v); }
  const AnsiString& ValueFormat() const { return format_; }
  void SetValueFormat(const AnsiString& v) { Store(format_, v); }
  float ValueFrom() const { return from_; }
  // A value equal to either end is ignored; 0 is kept as 0.000001.
  void SetValueFrom(float v);
  float ValueTo() const { return to_; }
  void SetValueTo(float v);
  const AnsiString& ValueUnit() const { return unit_; }
  void SetValueUnit(const AnsiString& v) { Store(unit_, v); }
  bool LogScale = false;

  float ValueRange() const { return value_range_; }
  int DigitalSpanValue() const { return digital_span_; }
  float UnitsPerDigit() const { return units_per_digit_; }
  float DigitsPerUnit() const { return digits_per_unit_; }
  float PPTPerUnit() const { return ppt_per_unit_; }
  // The longer section of ValueFormat, which the painters measure to size a read-out.
  const AnsiString& LongestFormat() const { return longest_format_; }
  int ValueToPPT(double v) const;

 private:
  void Recompute();
  int digital_from_ = 0, digital_to_ = 1000;
  AnsiString name1_ = "SignalName1", name2_ = "SignalName2", format_ = "##0.0", unit_ = "%";
  float from_ = 0.0f, to_ = 100.0f;
  float value_range_ = 100.0f;
  int digital_span_ = 1000;
  float units_per_digit_ = 0.1f, digits_per_unit_ = 10.0f, ppt_per_unit_ = 10.0f;
  AnsiString longest_format_ = "##0.0";
};

// One channel of a trend display.
class TChSettings : public TSignalSettings {
 public:
  const char* ClassName() const override { return "TChSettings"; }
  int Digit() const { return digit_; }
  void SetDigit(int v);
  float Value() const { return value_; }
  void SetValue(float v);
  TColor Color() const { return color_; }
  void SetColor(TColor v) { Store(color_, v); }
  int PenWidth() const { return pen_width_; }
  void SetPenWidth(int v) { Store(pen_width_, v); }
  bool Visible() const { return visible_; }
  void SetVisible(bool v) { Store(visible_, v); }
  int DigitOffset() const { return digit_offset_; }
  double DigitToValue(int Offset) const { return Offset * UnitsPerDigit() + ValueFrom(); }
  TNotifyEvent OnValueChange;

 private:
  int digit_ = 0, digit_offset_ = 0;
  float value_ = 0;
  TColor color_ = clBlack;
  int pen_width_ = 1;
  bool visible_ = true;
};

enum TBarStyle { bsBar, bsLED_Bar, bsPoint, bsMultiColor };
enum TBarOption { opValue, opUnit, opUseSectorCol, opBidir };
using TBarOptions = SmallSet<TBarOption>;

// A bar read-out: colours, style, bevel and the painter of the bar itself.
class TBarSettings : public TAbPersistent {
 public:
  TBarSettings();
  const char* ClassName() const override { return "TBarSettings"; }
  void Assign(TPersistent* Source) override;

  TColor Color() const { return color_; }
  void SetColor(TColor v) { Store(color_, v); }
  TColor BkColor() const { return bk_color_; }
  void SetBkColor(TColor v) { Store(bk_color_, v); }
  TFont* Font() { return &font_; }
  void SetFont(TFont* v);
  TBarOptions Options() const { return options_; }
  void SetOptions(TBarOptions v) { Store(options_, v); }
  TBarStyle Style() const { return style_; }
  void SetStyle(TBarStyle v) { Store(style_, v); }
  TAbSBevel* Bevel() { return &bevel_; }
  int minWidth() const { return min_width_; }
  void SetminWidth(int v);
  int minHeight() const { return min_height_; }
  void SetminHeight(int v);
  bool BkAuto() const { return bk_auto_; }
  void SetBkAuto(bool v) { Store(bk_auto_, v); }
  float BkBrightness() const { return bk_brightness_; }
  void SetBkBrightness(float v) { Store(bk_brightness_, v); }

  // Set by the owner before painting.
  TRect BarRect;
  AnsiString UnitText, ValueText;
  TColor SectorColor = clNone;
  int ZeroPosition = 0;
  TSectorSettings Sectors;

  // Draws the bar at Position (PPT) into BarRect.
  void PaintBar(TCanvas* Canvas, int Position);

 private:
  TColor color_ = clLime, bk_color_ = clBlack;
  TFont font_;
  TBarOptions options_;
  TBarStyle style_ = bsBar;
  TAbSBevel bevel_;
  int min_width_ = 5, min_height_ = 5;
  bool bk_auto_ = false;
  float bk_brightness_ = 0;
};

// The graduated scale of a meter: measured for a value range, then drawn along an arc or
// a vertical line.
class TScaleSettings : public TAbPersistent {
 public:
  TScaleSettings();
  const char* ClassName() const override { return "TScaleSettings"; }
  void Assign(TPersistent* Source) override;

  TColor Color() const { return color_; }
  void SetColor(TColor v) { Store(color_, v); }
  TColor PointerColor() const { return pointer_color_; }
  void SetPointerColor(TColor v) { Store(pointer_color_, v); }
  TFont* Font() { return &font_; }
  void SetFont(TFont* v);
  int Steps() const { return steps_; }
  // 1..20; other values are ignored.
  void SetSteps(int v);
  int SubSteps() const { return sub_steps_; }
  // 1..10.
  void SetSubSteps(int v);
  bool DrawLine() const { return draw_line_; }
  void SetDrawLine(bool v);
  const AnsiString& ValueFormat() const { return format_; }
  void SetValueFormat(const AnsiString& v) { Store(format_, v); }
  const AnsiString& ValueFormatLog() const { return format_log_; }
  void SetValueFormatLog(const AnsiString& v) { Store(format_log_, v); }
  bool PosLeftTop() const { return pos_left_top_; }
  void SetPosLeftTop(bool v) { Store(pos_left_top_, v); }

  // Largest k from Steps down to 2 that divides Decades; 1 when none does.
  static int LogSteps(int Steps, int Decades);
  void MeasureLinear(TCanvas* Canvas, double Max, double Min);
  void MeasureRound(TCanvas* Canvas, double Max, double Min);
  // Draws the round scale; Rect becomes the square of the dial.
  void DrawRound(TCanvas* Canvas, TRect& Rect, float RangeAngle, float StartAngle);
  // Ink, when given, draws the ticks and labels in that colour instead of the scale's
  // own (a disabled meter).
  void DrawLinear(TCanvas* Canvas, const TRect& Rect, TColor Ink = clNone);

  // Measures, read by the meters.
  bool LogScale = false;
  int LogStepCount = 1;
  int MainTickLength = 14, SubTickLength = 7, PenWidth = 2, SubPenWidth = 1, Gap = 4;
  AnsiString LabelText;
  int LabelWidth = 0, LabelHeight = 0, TotalWidth = 0, TotalLength = 0, HalfPen = 4;
  int FirstDecade = 0, LastDecade = 0;
  std::array<TPoint, 4> Corners{};
  // y of PPT 0 and of PPT 1000 after DrawLinear.
  int Ppt0Y = 0, Ppt1000Y = 0;
  int StepCount() const { return LogScale ? LogStepCount : steps_; }

 private:
  void Measure(TCanvas* Canvas, double Max, double Min, bool Round);
  TColor color_ = clBlack, pointer_color_ = clLime;
  TFont font_;
  int steps_ = 5, sub_steps_ = 2;
  bool draw_line_ = true;
  AnsiString format_ = "##0", format_log_ = "0e-0";
  bool pos_left_top_ = false;
};

// The graphic control every gauge stands on, with an update lock: settings changes made
// between BeginUpdate and EndUpdate are applied once, at the last EndUpdate.
class TAbGraphicControl : public TGraphicControl {
 public:
  explicit TAbGraphicControl(TComponent* AOwner) : TGraphicControl(AOwner) {}
  const char* ClassName() const override { return "TAbGraphicControl"; }
  void BeginUpdate() { ++update_count_; }
  void EndUpdate();
  int UpdateCount() const { return update_count_; }
  // Runs SettingsChanged unless an update is open.
  virtual void ParamChange();
  virtual void SettingsChanged() {}
  bool Designing() const { return HasState(csDesigning); }
  // A gauge brought onto the screen lets a blink it was waiting on run again.
  void ShowingChanged(bool OnScreen) override;

 private:
  int update_count_ = 0;
};

enum THintOption { hoAutoHint, hoValue, hoName1, hoName2, hoMin, hoMax, hoMinMaxDate, hoMinMaxTime };
using THintOptions = SmallSet<THintOption>;
using TLimitEvent = std::function<void(TObject* Sender, bool Lower, bool Upper)>;
using TOverflowEvent = std::function<void(TObject* Sender, int PPT)>;
using TSectorChangeEvent = std::function<void(TObject* Sender, bool S1, bool S2, bool S3, bool S4, bool Enter)>;

// The gauge message the flash timer sends.
constexpr UINT WM_FLASH = WM_USER + 100;

// The common base of every analog gauge: one physical value and what follows from it (a
// digital position, the per-mille position on the span, the sector, limit and overflow
// states, the running minimum and maximum, a hint).
class TAbAnalogGControl : public TAbGraphicControl {
 public:
  explicit TAbAnalogGControl(TComponent* AOwner);
  ~TAbAnalogGControl() override;
  const char* ClassName() const override { return "TAbAnalogGControl"; }
  void Loaded() override;

  TSignalSettings* SignalSettings() { return &signal_; }
  TSectorSettings* SectorSettings() { return &sectors_; }
  TMinMax* MinMax() { return &minmax_; }

  float Value() const { return value_; }
  void SetValue(float v);
  int Digit() const { return digit_; }
  void SetDigit(int d);
  bool LogScale() const { return log_scale_; }
  void SetLogScale(bool b);
  float LimitUpper() const { return limit_upper_; }
  void SetLimitUpper(float v);
  float LimitLower() const { return limit_lower_; }
  void SetLimitLower(float v);
  THintOptions HintOptions() const { return hint_options_; }
  void SetHintOptions(THintOptions s);

  TNotifyEvent OnMinMaxChange, OnSettingsChange, OnValueChange, OnPositionChange;
  TLimitEvent OnLimit;
  TOverflowEvent OnOverflow;
  TSectorChangeEvent OnSectorChange;

  // Derived state, read by the painters.
  int PPT() const { return ppt_; }
  int MinPPT() const { return min_ppt_; }
  int MaxPPT() const { return max_ppt_; }
  int UpperLimitPPT() const { return upper_ppt_; }
  int LowerLimitPPT() const { return lower_ppt_; }
  bool Overflow() const { return overflow_; }
  bool Underflow() const { return underflow_; }
  bool AboveLimit() const { return above_; }
  bool BelowLimit() const { return below_; }
  bool InSector(int k) const { return in_sector_.at(static_cast<size_t>(k - 1)); }
  TColor CurrentSectorColor() const { return sector_color_; }
  const AnsiString& ValueText() const { return value_text_; }
  const AnsiString& DigitText() const { return digit_text_; }
  double DigitsPerDecade() const { return digits_per_decade_; }
  // The two colours a blinking mark alternates between.
  TColor BlinkColorOff = clYellow, BlinkColorOn = clRed;

  void SettingsChanged() override;
  virtual void ValueChanged();
  virtual void OverflowChanged(int /*PPT*/) {}
  virtual void LimitChanged() {}
  virtual void MinMaxChanged();
  virtual void LogScaleChanged() { ParamChange(); }

 protected:
  void CheckLimits();
  void RecomputeDigit();

 private:
  void BuildHint();
  TSignalSettings signal_;
  TSectorSettings sectors_;
  TMinMax minmax_;
  int digit_ = 500;
  THintOptions hint_options_;
  float value_ = 50.0f, limit_upper_ = 90.0f, limit_lower_ = 10.0f;
  bool log_scale_ = false;
  double digits_per_decade_ = 0, decade_offset_ = 0;
  TPoint last_pos_;
  AnsiString value_text_, digit_text_;
  bool overflow_ = false, underflow_ = false, above_ = true, below_ = true;
  int ppt_ = 500, upper_ppt_ = 900, lower_ppt_ = 100, max_ppt_ = 0, min_ppt_ = 0;
  std::array<bool, 4> in_sector_{};
  TColor sector_color_ = clNone;
  bool in_pipeline_ = false;
};

#pragma once
// Analog gauges without a scale: TAbValueInd, a digital read-out (the value right-aligned
// in a framed box, the unit beside it, names below), and TAbHBar, a horizontal bar with a
// value box above it, overflow arrows at both ends and min/max marks above the bar.
#include <array>
#include "gauges/AbFlashT.h"
#include "gauges/_GClass.h"

enum class TValueIndOption { opBevelInner, opBevelOuter, opName1, opName2, opUnit };
using TValueIndOptions = SmallSet<TValueIndOption>;
enum class THBarOption { opBevelInner, opBevelOuter, opValue, opName1, opName2, opOverflow, opUnit };
using THBarOptions = SmallSet<THBarOption>;

class TAbValueInd : public TAbAnalogGControl {
 public:
  explicit TAbValueInd(TComponent* AOwner);
  ~TAbValueInd() override;
  const char* ClassName() const override { return "TAbValueInd"; }
  bool AutoSize() const { return auto_size_; }
  void SetAutoSize(bool v);
  TFont* FontValue() { return &font_value_; }
  TAbSBevel* BevelInner() { return &bevel_inner_; }
  TAbSBevel* BevelOuter() { return &bevel_outer_; }
  TAbSBevel* BevelValue() { return &bevel_value_; }
  TValueIndOptions Options() const { return options_; }
  void SetOptions(TValueIndOptions v);
  TRect ValueBox() const { return value_box_; }

  void SettingsChanged() override;
  void ValueChanged() override;
  void Paint() override;
  // With its outer bevel the gauge fills its whole area, so what lies beneath need not
  // be painted again each time its value is.
  bool PaintsWholeClient() const override { return UpdateCount() == 0 && options_.Contains(TValueIndOption::opBevelOuter); }

 private:
  bool Has(TValueIndOption o) const { return options_.Contains(o); }
  void CalcLayout();
  bool auto_size_ = true;
  TFont font_value_;
  TAbSBevel bevel_inner_, bevel_outer_, bevel_value_;
  TValueIndOptions options_;
  TRect value_box_;
  // The value text the last painting showed: a new value that reads the same draws nothing.
  AnsiString shown_text_;
  bool shown_ = false;
  int name1_w_ = 0, name1_h_ = 0, name2_w_ = 0, name2_h_ = 0, value_w_ = 0, value_h_ = 0, unit_w_ = 0, unit_h_ = 0;
};

class TAbHBar : public TAbAnalogGControl {
 public:
  explicit TAbHBar(TComponent* AOwner);
  ~TAbHBar() override;
  const char* ClassName() const override { return "TAbHBar"; }
  bool AutoSize() const { return auto_size_; }
  void SetAutoSize(bool v);
  TFont* FontValue() { return &font_value_; }
  TBarSettings* BarSettings() { return &bar_; }
  TAbSBevel* BevelInner() { return &bevel_inner_; }
  TAbSBevel* BevelOuter() { return &bevel_outer_; }
  TAbSBevel* BevelValue() { return &bevel_value_; }
  THBarOptions Options() const { return options_; }
  void SetOptions(THBarOptions v);
  // Where the value was last drawn (the inside of its box).
  TRect ValueBox() const { return value_box_; }
  // Fill colours of the two overflow arrows now (clBtnFace at rest).
  TColor UnderflowArrowColor() const { return under_colour_; }
  TColor OverflowArrowColor() const { return over_colour_; }

  void SettingsChanged() override;
  void ValueChanged() override;
  void OverflowChanged(int PPT) override;
  void MinMaxChanged() override;
  void Paint() override;
  // With its outer bevel the gauge fills its whole area, so what lies beneath need not
  // be painted again each time its value is.
  bool PaintsWholeClient() const override { return UpdateCount() == 0 && options_.Contains(THBarOption::opBevelOuter); }
  void WndProc(TMessage& Message) override;

 private:
  // What a painting shows of the value: its text, the bar's end in pixels of the bar last
  // drawn, the min/max marks and the bar's colour. A new value that leaves all of it as it
  // is draws nothing.
  struct Drawn {
    AnsiString text;
    int bar = 0, min = 0, max = 0;
    TColor sector = clNone;
    bool operator==(const Drawn&) const = default;
  };
  Drawn DrawnNow();
  bool Has(THBarOption o) const { return options_.Contains(o); }
  void CalcLayout();
  bool auto_size_ = true;
  Drawn shown_;
  bool painted_ = false;
  TFont font_value_;
  TBarSettings bar_;
  TAbSBevel bevel_inner_, bevel_outer_, bevel_value_;
  THBarOptions options_;
  TRect value_box_;
  TColor under_colour_ = clBtnFace, over_colour_ = clBtnFace;
  int name1_w_ = 0, name1_h_ = 0, name2_w_ = 0, name2_h_ = 0, value_w_ = 0, value_h_ = 0, unit_w_ = 0, unit_h_ = 0;
};

#pragma once
// A plain bar gauge in a lowered bevel: the bar runs from the zero point of its range (or
// the nearer end when the range does not hold 0) to Value. It stands vertically when the
// control is taller than wide. The full gauge family (sectors, scales, value text) comes
// later; the windows need only the value and the range so far.
#include "platform/ui/Controls.h"

class TAbBar : public TGraphicControl {
 public:
  explicit TAbBar(TComponent* AOwner);
  const char* ClassName() const override { return "TAbBar"; }

  double Value() const { return value_; }
  // Values outside the range are kept but drawn at the range's end.
  void SetValue(double v);
  double ValueFrom() const { return from_; }
  void SetValueFrom(double v);
  double ValueTo() const { return to_; }
  void SetValueTo(double v);
  TColor BarColor() const { return bar_color_; }
  void SetBarColor(TColor v);

  // The bar's rectangle inside the bevel at the current value; empty while the range is
  // empty or the value sits on the zero point.
  TRect BarRect() const;
  void Paint() override;

  static constexpr int kBevel = 2;

 private:
  // Offset of v from the start of the track, in pixels along the bar's axis.
  int TrackOffset(double v, int length) const;
  double value_ = 0, from_ = 0, to_ = 255;
  TColor bar_color_ = clLime;
};

// Registers TAbBar for form resources; later calls do nothing.
void RegisterBarClasses();

#pragma once
// The vertical meter: a linear scale with a triangular pointer beside it, coloured
// sector bars, minimum and maximum marks, a boxed digital value with its unit at the top
// and name captions at the bottom. The face is rendered into a cached image when a
// setting or the size changes; a value change repaints the value box and the pointer
// over it. A passed limit (with opLimit) or a value out of range (with opOverflow) makes
// the pointer blink. A disabled meter draws in grey on its own colour: no sectors, no
// marks, no blinking.
#include <array>
#include "gauges/AbFlashT.h"
#include "gauges/_GClass.h"

enum class TVMeterOption { opBevelInner, opBevelOuter, opValue, opName1, opName2, opOverflow, opLimit, opSector, opUnit };
using TVMeterOptions = SmallSet<TVMeterOption>;

class TAbVMeter : public TAbAnalogGControl {
 public:
  explicit TAbVMeter(TComponent* AOwner);
  ~TAbVMeter() override;
  const char* ClassName() const override { return "TAbVMeter"; }

  bool AutoSize() const { return auto_size_; }
  void SetAutoSize(bool v);
  TFont* FontValue() { return &font_value_; }
  TAbSBevel* BevelInner() { return &bevel_inner_; }
  TAbSBevel* BevelOuter() { return &bevel_outer_; }
  TAbSBevel* BevelValue() { return &bevel_value_; }
  TVMeterOptions Options() const { return options_; }
  void SetOptions(TVMeterOptions v);
  TScaleSettings* ScaleSettings() { return &scale_; }

  bool TooSmall() const { return too_small_; }
  bool Blinking() const { return blinking_; }
  TColor AlertColor() const { return alert_color_; }
  // The pointer triangle in control coordinates (its tip is the third point).
  const std::array<TPoint, 3>& PointerOnCanvas() const { return pointer_; }
  TRect ValueBox() const { return value_box_; }
  void PrepareFace();
  // Whether the face image is held now (it is let go while the meter cannot be seen).
  bool FaceCached() const { return !face_.Empty(); }
  void ShowingChanged(bool OnScreen) override;

  void SettingsChanged() override;
  void ValueChanged() override;
  void OverflowChanged(int PPT) override;
  void LimitChanged() override;
  void LogScaleChanged() override;
  void Paint() override;
  // The face fills the whole area with the meter's colour: what lies beneath it need not
  // repaint with the pointer (not while updates are held and Paint draws nothing).
  bool PaintsWholeClient() const override { return UpdateCount() == 0; }
  void WndProc(TMessage& Message) override;
  void Resize() override;
  void SetEnabled(bool v) override;

 protected:
  void ColorChanged() override;

 private:
  // The grey that ticks, texts and the pointer take while the meter is disabled; clNone
  // while it is enabled.
  TColor DisabledInk() const;
  bool Has(TVMeterOption o) const { return options_.Contains(o); }
  void CalcLayout();
  void RenderFace();
  void PlacePointer();
  // The pointer's and the min/max marks' heights on the scale last drawn, and the value's
  // text: a new value that moves none of them by a pixel draws nothing.
  struct Drawn {
    int pointer = 0, min = 0, max = 0;
    AnsiString text;
    bool operator==(const Drawn&) const = default;
  };
  Drawn DrawnNow() const;
  Drawn shown_;
  bool painted_ = false;
  void AlertCheck();
  bool auto_size_ = true;
  TFont font_value_;
  TAbSBevel bevel_inner_, bevel_outer_, bevel_value_;
  TVMeterOptions options_;
  TScaleSettings scale_;
  bool too_small_ = false, blinking_ = false, face_stale_ = true;
  TColor alert_color_ = clRed;
  TBitmap face_;
  TRect value_box_, pointer_area_;
  std::array<TPoint, 3> pointer_{}, min_marker_{}, max_marker_{};
  int name1_w_ = 0, name1_h_ = 0, name2_w_ = 0, name2_h_ = 0, value_w_ = 0, value_h_ = 0, unit_w_ = 0, unit_h_ = 0;
};

#pragma once
// Round dial meters: a needle turning over an arc of a circular scale, with coloured
// sectors on a ring, minimum and maximum marks, a unit caption and name captions.
// TAb270Meter is the 270-degree dial starting at 225 degrees (lower left).
//
// The face (bevels, names, scale, sectors, unit) is rendered once into a cached image
// whenever a setting or the size changes; a value change or a blink only repaints, which
// draws the cached face and the marks and needle over it.
#include <vector>
#include "gauges/AbFlashT.h"
#include "gauges/_GClass.h"

// Scoped: the widgets name their options alike.
enum class TRMeterOption { opBevelInner, opBevelOuter, opName1, opName2, opOverflow, opLimit, opSector, opUnit };
using TRMeterOptions = SmallSet<TRMeterOption>;

class TAbRMeter : public TAbAnalogGControl {
 public:
  explicit TAbRMeter(TComponent* AOwner);
  ~TAbRMeter() override;
  const char* ClassName() const override { return "TAbRMeter"; }
  void Loaded() override;

  bool AutoSize() const { return auto_size_; }
  void SetAutoSize(bool v);
  TArrowSettings* ArrowSettings() { return &arrow_; }
  TFont* FontUnit() { return &font_unit_; }
  TAbSBevel* BevelInner() { return &bevel_inner_; }
  TAbSBevel* BevelOuter() { return &bevel_outer_; }
  TRMeterOptions Options() const { return options_; }
  void SetOptions(TRMeterOptions v);
  TScaleSettings* ScaleSettings() { return &scale_; }

  // Geometry set by the descendants.
  float AspectFactor = 0;
  int StartAngle = 0, AngleRange = 0;
  int DialKind = 0;

  bool TooSmall() const { return too_small_; }
  bool Blinking() const { return blinking_; }
  TColor AlertColor() const { return alert_color_; }
  TRect NeedleRect() const { return needle_rect_; }
  // Degrees clockwise from 12 o'clock at which the needle points now.
  double NeedleAngle() const { return StartAngle + AngleRange * PPT() / 1000.0; }
  // The needle polygon at the zero position (element layout of DrawRotatedPolygon).
  const std::vector<TPoint>& Needle() const { return needle_; }
  // Lays the dial out (sizes itself with AutoSize) and renders the face when it is stale.
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

  // Builds needle shape Shape for a dial square of size Size (coordinates from its top-left).
  static std::vector<TPoint> BuildNeedle(int Shape, int Size);

 private:
  void CalcLayout();
  void RenderFace();
  void DrawSectors(TCanvas* c, const TRect& S);
  void DrawPointer(TCanvas* c);
  void AlertCheck();
  void FaceStale();
  bool auto_size_ = true;
  TArrowSettings arrow_;
  TFont font_unit_;
  TAbSBevel bevel_inner_, bevel_outer_;
  TRMeterOptions options_;
  TScaleSettings scale_;
  bool too_small_ = false, blinking_ = false, face_stale_ = true;
  TColor alert_color_ = clRed;
  TBitmap face_;
  TRect needle_rect_;
  std::vector<TPoint> needle_, work_;
  std::array<TPoint, 3> min_marker_{}, max_marker_{};
  int name1_w_ = 0, name1_h_ = 0, name2_w_ = 0, name2_h_ = 0, unit_w_ = 0, unit_h_ = 0;
};

class TAb270Meter : public TAbRMeter {
 public:
  explicit TAb270Meter(TComponent* AOwner);
  const char* ClassName() const override { return "TAb270Meter"; }
};

#pragma once
// Switches: TAbSwitch frames a switch face (drawn by DrawSwitch) in a bevel and toggles
// only when the half away from the lever is pressed; TAbToggleSwitch is the two-position
// slide switch with a raised button over one half and the state text on a coloured field
// in the other.
#include "gauges/_GBinCtrl.h"
#include "gauges/_GClass.h"

enum TBtnOrientation { boHorizontal, boVertical };

class TAbSwitch : public TAbBinGControl {
 public:
  explicit TAbSwitch(TComponent* AOwner);
  ~TAbSwitch() override;
  const char* ClassName() const override { return "TAbSwitch"; }
  TAbSBevel* BevelOuter() { return &bevel_; }
  TColor BtnColorHighlight() const { return highlight_; }
  void SetBtnColorHighlight(TColor v);
  TColor BtnColorShadow() const { return shadow_; }
  void SetBtnColorShadow(TColor v);
  TColor BtnColorFace() const { return face_; }
  void SetBtnColorFace(TColor v);
  int BtnBevelWidth() const { return bevel_width_; }
  // Negative widths are ignored.
  void SetBtnBevelWidth(int v);
  TBtnOrientation Orientation() const { return orientation_; }
  void SetOrientation(TBtnOrientation v);
  bool SwapGraphic() const { return swap_; }
  void SetSwapGraphic(bool v);
  bool Vertical() const { return orientation_ == boVertical; }
  TRect SwitchRect() const { return switch_rect_; }

  void Paint() override;
  void TextChangedHook() override { Invalidate(); }
  void StateChanged() override { Invalidate(); }
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  virtual void DrawSwitch(TCanvas* /*Canvas*/, const TRect& /*R*/, bool /*Vertical*/, bool /*State*/) {}

 private:
  TAbSBevel bevel_;
  TColor highlight_ = clBtnHighlight, shadow_ = clBtnShadow, face_ = clBtnFace;
  int bevel_width_ = 2;
  TBtnOrientation orientation_ = boVertical;
  bool swap_ = false;
  TRect switch_rect_;
};

class TAbToggleSwitch : public TAbSwitch {
 public:
  explicit TAbToggleSwitch(TComponent* AOwner);
  const char* ClassName() const override { return "TAbToggleSwitch"; }
  const AnsiString& TextOff() const { return text_off_; }
  void SetTextOff(const AnsiString& v);
  const AnsiString& TextOn() const { return text_on_; }
  void SetTextOn(const AnsiString& v);
  TColor ColorOn() const { return color_on_; }
  void SetColorOn(TColor v);
  TColor ColorOff() const { return color_off_; }
  void SetColorOff(TColor v);
  void DrawSwitch(TCanvas* Canvas, const TRect& R, bool Vertical, bool State) override;

 private:
  AnsiString text_off_ = "0", text_on_ = "1";
  TColor color_on_ = clLime, color_off_ = clRed;
};

#pragma once
// TLabelEffect: a label whose caption is drawn with a 3D effect. Copies of the text are
// offset in a shadow and a highlight direction (one or several pixels deep), the face is
// drawn on top, optionally with a colour gradient, and the whole may be turned by an angle.
// Named effect styles and colour schemes set groups of properties at once; a label can
// also act as a push button that sinks while pressed.
#include <array>
#include <cstdint>
#include "platform/stdctrls/StdCtrls.h"

enum TEffectDirection { edNone, edUp, edUpRight, edRight, edDownRight, edDown, edDownLeft, edLeft, edUpLeft };
enum TGraduateOption { goNone, goVertical, goHorizontal };
enum TEffectOption { eoNormal, eoReal, eoExtrude, eoGraduated };
enum TEffectStyle { esNone, esCustom, esRaised, esSunken, esShadow, esFlying };
enum TColourScheme { csCustom, csText, csWindows, csEmbossed, csGold, csSteel };
using TEffectDepth = uint8_t;
using TAngleRange = int16_t;

// Offset of one step in a direction.
struct TEffectOffset {
  int dx, dy;
};
TEffectOffset EffectOffset(TEffectDirection d);

class TLabelEffect : public TLabel {
 public:
  explicit TLabelEffect(TComponent* AOwner);
  const char* ClassName() const override { return "TLabelEffect"; }

  TEffectDepth DepthHighlight() const { return depth_highlight_; }
  void SetDepthHighlight(TEffectDepth v);
  TEffectDepth DepthShadow() const { return depth_shadow_; }
  void SetDepthShadow(TEffectDepth v);
  TEffectDirection DirectionHighlight() const { return dir_highlight_; }
  void SetDirectionHighlight(TEffectDirection v);
  TEffectDirection DirectionShadow() const { return dir_shadow_; }
  void SetDirectionShadow(TEffectDirection v);
  TColor ColourHighlight() const { return colour_highlight_; }
  void SetColourHighlight(TColor v);
  TColor ColourShadow() const { return colour_shadow_; }
  void SetColourShadow(TColor v);
  TGraduateOption GraduateFace() const { return graduate_face_; }
  void SetGraduateFace(TGraduateOption v);
  TColor GraduateFrom() const { return graduate_from_; }
  void SetGraduateFrom(TColor v);
  TEffectOption StyleHighlight() const { return style_highlight_; }
  void SetStyleHighlight(TEffectOption v);
  TEffectOption StyleShadow() const { return style_shadow_; }
  void SetStyleShadow(TEffectOption v);
  TEffectStyle EffectStyle() const { return effect_style_; }
  void SetEffectStyle(TEffectStyle v);
  TColourScheme ColourScheme() const { return colour_scheme_; }
  void SetColourScheme(TColourScheme v);
  bool AsButton() const { return as_button_; }
  void SetAsButton(bool v);
  TAngleRange Angle() const { return angle_; }
  void SetAngle(TAngleRange v);
  bool KeepLettersVertical() const { return keep_letters_vertical_; }
  void SetKeepLettersVertical(bool v);

  void Paint() override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseMove(TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;

 private:
  struct SchemeColours {
    TColor highlight, shadow, face;
  };
  void DrawEffect(TCanvas* Target);

  TEffectDepth depth_highlight_ = 1, depth_shadow_ = 1;
  TEffectDirection dir_highlight_ = edUpLeft, dir_shadow_ = edDownRight;
  TColor colour_highlight_ = clWhite, colour_shadow_ = clBlack;
  TGraduateOption graduate_face_ = goNone;
  TColor graduate_from_ = clGray;
  TEffectOption style_highlight_ = eoNormal, style_shadow_ = eoNormal;
  TEffectStyle effect_style_ = esRaised;
  TColourScheme colour_scheme_ = csWindows;
  bool as_button_ = false;
  TAngleRange angle_ = 0;
  bool keep_letters_vertical_ = false;
  bool style_guard_ = false, scheme_guard_ = false;
  std::array<SchemeColours, 6> schemes_;
  double cos_ = 1, sin_ = 0, cos2_ = 1, sin2_ = 0;
};

// Registers TLabelEffect, TStatusBarPro (with its panels) and TElasticForm for form
// resources, with their published properties; later calls do nothing.
void RegisterLabelStatusElasticClasses();

// Form-resource registration of the effect label, the status bar with its panels and
// the elastic form.
#include <string>
#include "controls/ElastFrm.h"
#include "controls/LblEffct.h"
#include "controls/SBPro.h"
#include "platform/stdctrls/ExtCtrls.h"
#include "platform/stdctrls/Menus.h"
#include "platform/ui/UiStreaming.h"

namespace {

int64_t InRange(int64_t v, int64_t Low, int64_t High, const char* What) {
  if (v < Low || v > High) throw EReadError(AnsiString(What) + " " + std::to_string(v) + " is out of range");
  return v;
}

const std::initializer_list<const char*> kDirections = {"edNone", "edUp",     "edUpRight", "edRight", "edDownRight",
                                                       "edDown", "edDownLeft", "edLeft",   "edUpLeft"};
const std::initializer_list<const char*> kEffectOptions = {"eoNormal", "eoReal", "eoExtrude", "eoGraduated"};
const std::initializer_list<const char*> kAlignments = {"taLeftJustify", "taRightJustify", "taCenter"};
const std::initializer_list<const char*> kBiDiModes = {"bdLeftToRight", "bdRightToLeft", "bdRightToLeftNoAlign",
                                                      "bdRightToLeftReadingOnly"};

void RegisterLabelEffect() {
  using L = TLabelEffect;
  auto depth = [](void (L::*set)(TEffectDepth), const char* what) {
    return [set, what](L* l, int64_t v) { (l->*set)(static_cast<TEffectDepth>(InRange(v, 0, 255, what))); };
  };
  auto p = RegisterClass<L, TGraphicControl>("TLabelEffect");
  // Getters widened to 64 bits, so that the setters see a stored value before it is
  // narrowed and can refuse one out of range.
  p.Int("DepthHighlight", [](L* l) -> int64_t { return l->DepthHighlight(); }, depth(&L::SetDepthHighlight, "DepthHighlight"), 1)
      .Int("DepthShadow", [](L* l) -> int64_t { return l->DepthShadow(); }, depth(&L::SetDepthShadow, "DepthShadow"), 1)
      .Enum("DirectionHighlight", &L::DirectionHighlight, &L::SetDirectionHighlight, kDirections, edUpLeft)
      .Enum("DirectionShadow", &L::DirectionShadow, &L::SetDirectionShadow, kDirections, edDownRight)
      .Int("ColourHighlight", &L::ColourHighlight, &L::SetColourHighlight, clWhite, &ui::ColorIdents())
      .Int("ColourShadow", &L::ColourShadow, &L::SetColourShadow, clBlack, &ui::ColorIdents())
      .Enum("GraduateFace", &L::GraduateFace, &L::SetGraduateFace, {"goNone", "goVertical", "goHorizontal"}, goNone)
      .Int("GraduateFrom", &L::GraduateFrom, &L::SetGraduateFrom, clGray, &ui::ColorIdents())
      .Enum("StyleHighlight", &L::StyleHighlight, &L::SetStyleHighlight, kEffectOptions, eoNormal)
      .Enum("StyleShadow", &L::StyleShadow, &L::SetStyleShadow, kEffectOptions, eoNormal)
      .Enum("EffectStyle", &L::EffectStyle, &L::SetEffectStyle,
            {"esNone", "esCustom", "esRaised", "esSunken", "esShadow", "esFlying"}, esRaised)
      .Enum("ColourScheme", &L::ColourScheme, &L::SetColourScheme,
            {"csCustom", "csText", "csWindows", "csEmbossed", "csGold", "csSteel"}, csWindows)
      .Bool("AsButton", &L::AsButton, &L::SetAsButton, false)
      .Int("Angle", [](L* l) -> int64_t { return l->Angle(); }, [](L* l, int64_t v) { l->SetAngle(static_cast<TAngleRange>(InRange(v, -32768, 32767, "Angle"))); }, 0)
      .Bool("KeepLettersVertical", &L::KeepLettersVertical, &L::SetKeepLettersVertical, false)
      .Enum("Alignment", &L::Alignment, &L::SetAlignment, kAlignments, taLeftJustify)
      .Bool("AutoSize", &L::AutoSize, &L::SetAutoSize, false)
      .Bool("ShowAccelChar", &L::ShowAccelChar, &L::SetShowAccelChar, true)
      .Bool("Transparent", &L::Transparent, &L::SetTransparent, true)
      .Bool("WordWrap", &L::WordWrap, &L::SetWordWrap, false)
      .Component("FocusControl", &L::FocusControl, &L::SetFocusControl);
}

void RegisterStatusBarPro() {
  using P = TStatusPanelPro;
  RegisterClass<P, TPersistent>("TStatusPanelPro")
      .Enum("Alignment", &P::Alignment, &P::SetAlignment, kAlignments, taLeftJustify)
      .Enum("Bevel", &P::Bevel, &P::SetBevel, {"pbNone", "pbLowered", "pbRaised"}, pbLowered)
      // Stored only when the panel has a mode of its own.
      .Enum("BiDiMode", [](P* p) { return p->ParentBiDiMode() ? bdLeftToRight : p->BiDiMode(); }, &P::SetBiDiMode,
            kBiDiModes, bdLeftToRight)
      .String("Hint", &P::Hint, &P::SetHint)
      .Int("ImageIndex", [](P* p) -> int64_t { return p->ImageIndex(); }, [](P* p, int64_t v) { p->SetImageIndex(static_cast<int>(InRange(v, INT32_MIN, INT32_MAX, "ImageIndex"))); }, -1)
      .Bool("ParentBiDiMode", &P::ParentBiDiMode, &P::SetParentBiDiMode, true)
      .Component("PopupMenu", &P::PopupMenu, &P::SetPopupMenu)
      .Enum("Style", &P::Style, &P::SetStyle, {"psText", "psOwnerDraw"}, psText)
      .String("Text", &P::Text, &P::SetText)
      .Int("Width", [](P* p) -> int64_t { return p->Width(); }, [](P* p, int64_t v) { p->SetWidth(static_cast<int>(InRange(v, INT32_MIN, INT32_MAX, "Width"))); }, 50)
      .Int("Color", &P::Color, &P::SetColor, static_cast<int32_t>(clBtnFace), &ui::ColorIdents())
      .Event("OnClick", &P::OnClick)
      .Event("OnDblClick", &P::OnDblClick);

  using S = TStatusBarPro;
  auto bar = RegisterClass<S, TCustomControl>("TStatusBarPro");
  ui::PublishColor(bar.Class(), clBtnFace);
  bar.Collection("Panels", &S::Panels)
      .Bool("SimplePanel", &S::SimplePanel, &S::SetSimplePanel, false)
      .String("SimpleText", &S::SimpleText, &S::SetSimpleText)
      .Bool("SizeGrip", &S::SizeGrip, &S::SetSizeGrip, true)
      .Bool("UseSystemFont", &S::UseSystemFont, &S::SetUseSystemFont, true)
      .Bool("AutoHint", &S::AutoHint, &S::SetAutoHint, false)
      .Enum("BiDiMode", [](S* b) { return b->ParentBiDiMode() ? bdLeftToRight : b->BiDiMode(); }, &S::SetBiDiMode,
            kBiDiModes, bdLeftToRight)
      .Bool("ParentBiDiMode", &S::ParentBiDiMode, &S::SetParentBiDiMode, true)
      .Enum("Align", &TControl::Align, &TControl::SetAlign, {"alNone", "alTop", "alBottom", "alLeft", "alRight", "alClient"},
            alBottom)
      .Bool("ParentFont", &TControl::ParentFont, &TControl::SetParentFont, false)
      .Event("OnDrawPanel", &S::OnDrawPanel)
      .Event("OnHint", &S::OnHint);
}

void RegisterElasticForm() {
  using E = TElasticForm;
  auto i32 = [](void (E::*set)(int), const char* what) {
    return [set, what](E* e, int64_t v) { (e->*set)(static_cast<int>(InRange(v, INT32_MIN, INT32_MAX, what))); };
  };
#define CQ5_ELASTIC_INT(Name, Default) \
  .Int(#Name, [](E* e) -> int64_t { return e->Name(); }, i32(&E::Set##Name, #Name), Default)
  RegisterClass<E, TComponent>("TElasticForm")
      .Bool("ElasticHorizontal", &E::ElasticHorizontal, &E::SetElasticHorizontal, true)
      .Bool("ElasticVertical", &E::ElasticVertical, &E::SetElasticVertical, true)
      .Bool("ElasticFont", &E::ElasticFont, &E::SetElasticFont, true)
      // The design sizes have no default: they are always stored.
      CQ5_ELASTIC_INT(DesignScreenWidth, -1)
      CQ5_ELASTIC_INT(DesignScreenHeight, -1)
      CQ5_ELASTIC_INT(DesignPixelsPerInch, -1)
      CQ5_ELASTIC_INT(MaximizedPosX, 0)
      CQ5_ELASTIC_INT(MaximizedPosY, 0)
      CQ5_ELASTIC_INT(MinimumTrackWidth, 0)
      CQ5_ELASTIC_INT(MinimumTrackHeight, 0)
      CQ5_ELASTIC_INT(MaximumTrackWidth, 0)
      CQ5_ELASTIC_INT(MaximumTrackHeight, 0)
      CQ5_ELASTIC_INT(DesignFormWidth, -1)
      CQ5_ELASTIC_INT(DesignFormHeight, -1)
      CQ5_ELASTIC_INT(DesignFormClientWidth, -1)
      CQ5_ELASTIC_INT(DesignFormClientHeight, -1)
      CQ5_ELASTIC_INT(DesignFormLeft, -1)
      CQ5_ELASTIC_INT(DesignFormTop, -1)
      .Bool("MaintainProportions", &E::MaintainProportions, &E::SetMaintainProportions, false)
      .Object("Font", &E::Font)
      .Component("BkGrndImage", &E::BkGrndImage, &E::SetBkGrndImage)
      .Bool("DBGridSelfResize", &E::DBGridSelfResize, &E::SetDBGridSelfResize, false)
      .String("ElFrmIniFile", &E::ElFrmIniFile, &E::SetElFrmIniFile)
      .Float("Version", &E::Version, &E::SetVersion, 700.0)
      .Bool("GridColumnWidthResize", &E::GridColumnWidthResize, &E::SetGridColumnWidthResize, true)
      .Bool("GridRowHeightResize", &E::GridRowHeightResize, &E::SetGridRowHeightResize, true)
      .Bool("GridFontResize", &E::GridFontResize, &E::SetGridFontResize, true)
      .Bool("FontWarning", &E::FontWarning, &E::SetFontWarning, true)
      .Bool("LookForExtraFonts", &E::LookForExtraFonts, &E::SetLookForExtraFonts, true)
      .Bool("ResolutionIndependence", &E::ResolutionIndependence, &E::SetResolutionIndependence, true)
      .String("EFActiveControl", &E::EFActiveControl, &E::SetEFActiveControl)
      .Event("OnAfterResize", &E::OnAfterResize)
      .Bool("Active", &E::Active, &E::SetActive, true);
#undef CQ5_ELASTIC_INT
}

}  // namespace

void RegisterLabelStatusElasticClasses() {
  static const bool done = [] {
    RegisterUiClasses();
    RegisterLabelEffect();
    RegisterStatusBarPro();
    RegisterElasticForm();
    return true;
  }();
  (void)done;
}

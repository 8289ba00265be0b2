// Form-resource registration of the gauge family: the settings objects, then the gauges.
#include "gauges/GaugeClasses.h"

#include "gauges/AbFlashT.h"
#include "gauges/_GClass.h"
#include "platform/streaming/ClassProps.h"
#include "platform/ui/UiStreaming.h"

void RegisterGaugeControls();  // the widgets (GaugeWidgets.cpp)

namespace {

const TIdentMap* Colors() { return &ui::ColorIdents(); }

void RegisterSettings() {
  RegisterClass<TAbPersistent, TPersistent>("TAbPersistent").Event("OnChange", &TAbPersistent::OnChange);
  RegisterClass<TAbOffset, TAbPersistent>("TAbOffset")
      .Int("Top", &TAbOffset::Top, &TAbOffset::SetTop, 0)
      .Int("Left", &TAbOffset::Left, &TAbOffset::SetLeft, 0)
      .Int("Right", &TAbOffset::Right, &TAbOffset::SetRight, 0)
      .Int("Bottom", &TAbOffset::Bottom, &TAbOffset::SetBottom, 0);
  RegisterClass<TArrowSettings, TAbPersistent>("TArrowSettings")
      .Int("Shape", &TArrowSettings::Shape, &TArrowSettings::SetShape, 0)
      .Int("ColorPen", &TArrowSettings::ColorPen, &TArrowSettings::SetColorPen, clBlack, Colors())
      .Int("ColorBrush", &TArrowSettings::ColorBrush, &TArrowSettings::SetColorBrush, clLime, Colors())
      .Int("ColorCP1Pen", &TArrowSettings::ColorCP1Pen, &TArrowSettings::SetColorCP1Pen, clBlack, Colors())
      .Int("ColorCP1Brush", &TArrowSettings::ColorCP1Brush, &TArrowSettings::SetColorCP1Brush, clBlack, Colors())
      .Int("ColorCP2Pen", &TArrowSettings::ColorCP2Pen, &TArrowSettings::SetColorCP2Pen, clBlack, Colors())
      .Int("ColorCP2Brush", &TArrowSettings::ColorCP2Brush, &TArrowSettings::SetColorCP2Brush, clBtnFace, Colors());
  RegisterClass<TLED, TAbPersistent>("TLED")
      .Enum("Shape", &TLED::Shape, &TLED::SetShape,
            {"sRound", "sArrowLeft", "sArrowRight", "sArrowUp", "sArrowDown", "sRectangle", "sDiamondLeft",
             "sDiamondRight"},
            sRound)
      .Int("ColorOn", &TLED::ColorOn, &TLED::SetColorOn, clLime, Colors())
      .Int("ColorOff", &TLED::ColorOff, &TLED::SetColorOff, clBtnFace, Colors())
      .Int("Width", &TLED::Width, &TLED::SetWidth, 13)
      .Int("Height", &TLED::Height, &TLED::SetHeight, 13);
  RegisterClass<TAbGradSettings, TAbPersistent>("TAbGradSettings")
      .Int("ColorFrom", &TAbGradSettings::ColorFrom, &TAbGradSettings::SetColorFrom, 0xE2E2E2, Colors())
      .Int("ColorTo", &TAbGradSettings::ColorTo, &TAbGradSettings::SetColorTo, 0x8F8F8F, Colors())
      .Bool("Visible", &TAbGradSettings::Visible, &TAbGradSettings::SetVisible, false)
      .Enum("Style", &TAbGradSettings::Style, &TAbGradSettings::SetStyle,
            {"gsHorizontal1", "gsHorizontal2", "gsHorizontal3", "gsVertical1", "gsVertical2", "gsVertical3",
             "gsElliptic1", "gsElliptic2", "gsElliptic3", "gsRectangle", "gsDiamond1", "gsDiamond2", "gsTopLeft",
             "gsTopRight"},
            gsHorizontal1);
  RegisterClass<TAbSBevel, TAbPersistent>("TAbSBevel")
      .Enum("Style", &TAbSBevel::Style, &TAbSBevel::SetStyle, {"bsLowered", "bsRaised"}, bsRaised)
      .Int("Spacing", &TAbSBevel::Spacing, &TAbSBevel::SetSpacing, 5)
      .Enum("BevelLine", &TAbSBevel::BevelLine, &TAbSBevel::SetBevelLine, {"blNone", "blOuter", "blInner", "blBoth"},
            blNone)
      .Int("Width", &TAbSBevel::Width, &TAbSBevel::SetWidth, 2)
      .Int("Color", &TAbSBevel::Color, &TAbSBevel::SetColor, clBtnFace, Colors())
      .Object("Offset", &TAbSBevel::Offset)
      .Int("ColorShadowFrom", &TAbSBevel::ColorShadowFrom, &TAbSBevel::SetColorShadowFrom, clBtnShadow, Colors())
      .Int("ColorShadowTo", &TAbSBevel::ColorShadowTo, &TAbSBevel::SetColorShadowTo, clBtnShadow, Colors())
      .Int("ColorHighLightFrom", &TAbSBevel::ColorHighLightFrom, &TAbSBevel::SetColorHighLightFrom, clBtnHighlight,
           Colors())
      .Int("ColorHighLightTo", &TAbSBevel::ColorHighLightTo, &TAbSBevel::SetColorHighLightTo, clBtnHighlight, Colors())
      .Int("PenColor", &TAbSBevel::PenColor, &TAbSBevel::SetPenColor, clBlack, Colors())
      .Object("SurfaceGrad", &TAbSBevel::SurfaceGrad);
  // The defaults are the values a new control has, so that what is written reads back the same.
  auto sectors = RegisterClass<TSectorSettings, TAbPersistent>("TSectorSettings");
  const TSectorSettings fresh;
  static const char* const kNames[4][3] = {{"Sector1Color", "Sector1From", "Sector1To"},
                                           {"Sector2Color", "Sector2From", "Sector2To"},
                                           {"Sector3Color", "Sector3From", "Sector3To"},
                                           {"Sector4Color", "Sector4From", "Sector4To"}};
  for (int k = 1; k <= 4; ++k) {
    const auto& n = kNames[k - 1];
    sectors
        .Int(n[0], [k](TSectorSettings* s) -> int64_t { return s->SectorColor(k); },
             [k](TSectorSettings* s, int64_t v) { s->SetSectorColor(k, static_cast<TColor>(v)); }, fresh.SectorColor(k),
             Colors())
        .Int(n[1], [k](TSectorSettings* s) -> int64_t { return s->SectorFrom(k); },
             [k](TSectorSettings* s, int64_t v) { s->SetSectorFrom(k, static_cast<int>(v)); }, fresh.SectorFrom(k))
        .Int(n[2], [k](TSectorSettings* s) -> int64_t { return s->SectorTo(k); },
             [k](TSectorSettings* s, int64_t v) { s->SetSectorTo(k, static_cast<int>(v)); }, fresh.SectorTo(k));
  }
  sectors.Int("Offset", &TSectorSettings::Offset, &TSectorSettings::SetOffset, 0)
      .Int("WidthOffset", &TSectorSettings::WidthOffset, &TSectorSettings::SetWidthOffset, 0);
  RegisterClass<TMinMax, TAbPersistent>("TMinMax")
      .Int("MaxColor", &TMinMax::MaxColor, &TMinMax::SetMaxColor, clAqua, Colors())
      .Int("MinColor", &TMinMax::MinColor, &TMinMax::SetMinColor, clAqua, Colors())
      .Bool("UseSectorCol", &TMinMax::UseSectorCol, &TMinMax::SetUseSectorCol, true)
      .Bool("MinVisible", &TMinMax::MinVisible, &TMinMax::SetMinVisible, true)
      .Bool("MaxVisible", &TMinMax::MaxVisible, &TMinMax::SetMaxVisible, true);
  RegisterClass<TSignalSettings, TAbPersistent>("TSignalSettings")
      .Int("DigitalFrom", &TSignalSettings::DigitalFrom, &TSignalSettings::SetDigitalFrom, 0)
      .Int("DigitalTo", &TSignalSettings::DigitalTo, &TSignalSettings::SetDigitalTo, 1000)
      .String("Name1", &TSignalSettings::Name1, &TSignalSettings::SetName1, "SignalName1")
      .String("Name2", &TSignalSettings::Name2, &TSignalSettings::SetName2, "SignalName2")
      .String("ValueFormat", &TSignalSettings::ValueFormat, &TSignalSettings::SetValueFormat, "##0.0")
      .Float("ValueFrom", &TSignalSettings::ValueFrom, &TSignalSettings::SetValueFrom, 0.0)
      .Float("ValueTo", &TSignalSettings::ValueTo, &TSignalSettings::SetValueTo, 100.0)
      .String("ValueUnit", &TSignalSettings::ValueUnit, &TSignalSettings::SetValueUnit, "%");
  RegisterClass<TChSettings, TSignalSettings>("TChSettings")
      .Int("Color", &TChSettings::Color, &TChSettings::SetColor, clBlack, Colors())
      .Int("PenWidth", &TChSettings::PenWidth, &TChSettings::SetPenWidth, 1)
      .Bool("Visible", &TChSettings::Visible, &TChSettings::SetVisible, true)
      .Event("OnValueChange", &TChSettings::OnValueChange);
  RegisterClass<TBarSettings, TAbPersistent>("TBarSettings")
      .Int("Color", &TBarSettings::Color, &TBarSettings::SetColor, clLime, Colors())
      .Int("BkColor", &TBarSettings::BkColor, &TBarSettings::SetBkColor, clBlack, Colors())
      .Object("Font", &TBarSettings::Font)
      .Set("Options", [](TBarSettings* b) { return b->Options().Bits(); },
           [](TBarSettings* b, uint32_t v) { b->SetOptions(TBarOptions::FromBits(v)); },
           {"opValue", "opUnit", "opUseSectorCol", "opBidir"}, 0)
      .Enum("Style", &TBarSettings::Style, &TBarSettings::SetStyle, {"bsBar", "bsLED_Bar", "bsPoint", "bsMultiColor"},
            bsBar)
      .Object("Bevel", &TBarSettings::Bevel)
      .Int("minWidth", &TBarSettings::minWidth, &TBarSettings::SetminWidth, 5)
      .Int("minHeight", &TBarSettings::minHeight, &TBarSettings::SetminHeight, 5)
      .Bool("BkAuto", &TBarSettings::BkAuto, &TBarSettings::SetBkAuto, false)
      .Float("BkBrightness", &TBarSettings::BkBrightness, &TBarSettings::SetBkBrightness, 0);
  RegisterClass<TScaleSettings, TAbPersistent>("TScaleSettings")
      .Int("Color", &TScaleSettings::Color, &TScaleSettings::SetColor, clBlack, Colors())
      .Int("PointerColor", &TScaleSettings::PointerColor, &TScaleSettings::SetPointerColor, clLime, Colors())
      .Object("Font", &TScaleSettings::Font)
      .Int("Steps", &TScaleSettings::Steps, &TScaleSettings::SetSteps, 5)
      .Int("SubSteps", &TScaleSettings::SubSteps, &TScaleSettings::SetSubSteps, 2)
      .Bool("DrawLine", &TScaleSettings::DrawLine, &TScaleSettings::SetDrawLine, true)
      .String("ValueFormat", &TScaleSettings::ValueFormat, &TScaleSettings::SetValueFormat, "##0")
      .String("ValueFormatLog", &TScaleSettings::ValueFormatLog, &TScaleSettings::SetValueFormatLog, "0e-0")
      .Bool("PosLeftTop", &TScaleSettings::PosLeftTop, &TScaleSettings::SetPosLeftTop, false);
}

void RegisterBases() {
  RegisterClass<TAbFlash, TComponent>("TAbFlash")
      .Bool("Enabled", &TAbFlash::Enabled, &TAbFlash::SetEnabled, true)
      .Enum("ThreadPriority", &TAbFlash::ThreadPriority, &TAbFlash::SetThreadPriority,
            {"tpIdle", "tpLowest", "tpLower", "tpNormal", "tpHigher", "tpHighest", "tpTimeCritical"}, tpNormal);
  RegisterClass<TAbFlashTimer, TAbFlash>("TAbFlashTimer");
  RegisterClass<TAbGraphicControl, TGraphicControl>("TAbGraphicControl");
  RegisterClass<TAbAnalogGControl, TAbGraphicControl>("TAbAnalogGControl")
      .Object("SignalSettings", &TAbAnalogGControl::SignalSettings)
      .Object("SectorSettings", &TAbAnalogGControl::SectorSettings)
      .Object("MinMax", &TAbAnalogGControl::MinMax)
      .Set("HintOptions", [](TAbAnalogGControl* c) { return c->HintOptions().Bits(); },
           [](TAbAnalogGControl* c, uint32_t v) { c->SetHintOptions(THintOptions::FromBits(v)); },
           {"hoAutoHint", "hoValue", "hoName1", "hoName2", "hoMin", "hoMax", "hoMinMaxDate", "hoMinMaxTime"}, 0xFF)
      .Float("Value", &TAbAnalogGControl::Value, &TAbAnalogGControl::SetValue, 50.0)
      .Float("LimitUpper", &TAbAnalogGControl::LimitUpper, &TAbAnalogGControl::SetLimitUpper, 90.0)
      .Float("LimitLower", &TAbAnalogGControl::LimitLower, &TAbAnalogGControl::SetLimitLower, 10.0)
      .Event("OnMinMaxChange", &TAbAnalogGControl::OnMinMaxChange)
      .Event("OnLimit", &TAbAnalogGControl::OnLimit)
      .Event("OnOverflow", &TAbAnalogGControl::OnOverflow)
      .Event("OnSettingsChange", &TAbAnalogGControl::OnSettingsChange)
      .Event("OnSectorChange", &TAbAnalogGControl::OnSectorChange)
      .Event("OnValueChange", &TAbAnalogGControl::OnValueChange);
}

}  // namespace

void RegisterGaugeClasses() {
  static const bool done = [] {
    RegisterUiClasses();
    RegisterSettings();
    RegisterBases();
    RegisterGaugeControls();
    return true;
  }();
  (void)done;
}

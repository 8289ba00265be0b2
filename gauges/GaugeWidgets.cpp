// Form-resource registration of the gauge widgets.
#include "gauges/AbBar.h"
#include "gauges/AbLED.h"
#include "gauges/AbNumEdit.h"
#include "gauges/AbRMeter.h"
#include "gauges/AbSwitch.h"
#include "gauges/AbVMeter.h"
#include "gauges/AbValInd.h"
#include "platform/streaming/ClassProps.h"
#include "platform/ui/UiStreaming.h"

namespace {

const TIdentMap* Colors() { return &ui::ColorIdents(); }

void RegisterBinaryControls() {
  RegisterClass<TAbBinGControl, TGraphicControl>("TAbBinGControl")
      .Bool("Checked", &TAbBinGControl::Checked, &TAbBinGControl::SetChecked, false)
      .Bool("Flashing", &TAbBinGControl::Flashing, &TAbBinGControl::SetFlashing, false)
      .Enum("Frequency", &TAbBinGControl::Frequency, &TAbBinGControl::SetFrequency,
            {"ff8Hz", "ff4Hz", "ff2Hz", "ff1Hz", "ff05Hz"}, ff1Hz)
      .Int("StatusInt", &TAbBinGControl::StatusInt, &TAbBinGControl::SetStatusInt, 0)
      .Int("StatusBit", &TAbBinGControl::StatusBit, &TAbBinGControl::SetStatusBit, 0)
      .Int("GroupIndex", &TAbBinGControl::GroupIndex, &TAbBinGControl::SetGroupIndex, 0)
      .Enum("Mode", &TAbBinGControl::Mode, &TAbBinGControl::SetMode,
            {"mButton", "mSwitch", "mIndicator", "mRadioButton"}, mIndicator)
      .Event("OnStatusChanged", &TAbBinGControl::OnStatusChanged)
      .Event("OnStatusIntChanged", &TAbBinGControl::OnStatusIntChanged);
  RegisterClass<TAbLED, TAbBinGControl>("TAbLED")
      .Object("LED", &TAbLED::LED)
      .Enum("LED_Position", &TAbLED::LED_Position, &TAbLED::SetLED_Position, {"lpLeft", "lpRight", "lpTop", "lpBottom"},
            lpLeft)
      .Int("Spacing", &TAbLED::Spacing, &TAbLED::SetSpacing, 5);
  RegisterClass<TAbSwitch, TAbBinGControl>("TAbSwitch")
      .Object("BevelOuter", &TAbSwitch::BevelOuter)
      .Int("BtnColorHighlight", &TAbSwitch::BtnColorHighlight, &TAbSwitch::SetBtnColorHighlight, clBtnHighlight,
           Colors())
      .Int("BtnColorShadow", &TAbSwitch::BtnColorShadow, &TAbSwitch::SetBtnColorShadow, clBtnShadow, Colors())
      .Int("BtnColorFace", &TAbSwitch::BtnColorFace, &TAbSwitch::SetBtnColorFace, clBtnFace, Colors())
      .Int("BtnBevelWidth", &TAbSwitch::BtnBevelWidth, &TAbSwitch::SetBtnBevelWidth, 2)
      .Enum("Mode", &TAbBinGControl::Mode, &TAbBinGControl::SetMode,
            {"mButton", "mSwitch", "mIndicator", "mRadioButton"}, mSwitch);
  RegisterClass<TAbToggleSwitch, TAbSwitch>("TAbToggleSwitch")
      .Enum("Orientation", &TAbSwitch::Orientation, &TAbSwitch::SetOrientation, {"boHorizontal", "boVertical"},
            boVertical)
      .Bool("SwapGraphic", &TAbSwitch::SwapGraphic, &TAbSwitch::SetSwapGraphic, false)
      .String("TextOff", &TAbToggleSwitch::TextOff, &TAbToggleSwitch::SetTextOff, "0")
      .String("TextOn", &TAbToggleSwitch::TextOn, &TAbToggleSwitch::SetTextOn, "1")
      .Int("ColorOn", &TAbToggleSwitch::ColorOn, &TAbToggleSwitch::SetColorOn, clLime, Colors())
      .Int("ColorOff", &TAbToggleSwitch::ColorOff, &TAbToggleSwitch::SetColorOff, clRed, Colors());
}

void RegisterAnalogWidgets() {
  RegisterClass<TAbBar, TAbAnalogGControl>("TAbBar")
      .Bool("LogScale", &TAbAnalogGControl::LogScale, &TAbAnalogGControl::SetLogScale, false)
      .Object("BarSettings", &TAbBar::BarSettings)
      .Object("BevelOuter", &TAbBar::BevelOuter);
  RegisterClass<TAbRMeter, TAbAnalogGControl>("TAbRMeter")
      .Bool("LogScale", &TAbAnalogGControl::LogScale, &TAbAnalogGControl::SetLogScale, false)
      .Bool("AutoSize", &TAbRMeter::AutoSize, &TAbRMeter::SetAutoSize, true)
      .Object("ArrowSettings", &TAbRMeter::ArrowSettings)
      .Object("FontUnit", &TAbRMeter::FontUnit)
      .Object("BevelInner", &TAbRMeter::BevelInner)
      .Object("BevelOuter", &TAbRMeter::BevelOuter)
      .Set("Options", [](TAbRMeter* m) { return m->Options().Bits(); },
           [](TAbRMeter* m, uint32_t v) { m->SetOptions(TRMeterOptions::FromBits(v)); },
           {"opBevelInner", "opBevelOuter", "opName1", "opName2", "opOverflow", "opLimit", "opSector", "opUnit"}, 0xFF)
      .Object("ScaleSettings", &TAbRMeter::ScaleSettings);
  RegisterClass<TAb270Meter, TAbRMeter>("TAb270Meter");
  RegisterClass<TAbVMeter, TAbAnalogGControl>("TAbVMeter")
      .Bool("LogScale", &TAbAnalogGControl::LogScale, &TAbAnalogGControl::SetLogScale, false)
      .Bool("AutoSize", &TAbVMeter::AutoSize, &TAbVMeter::SetAutoSize, true)
      .Object("FontValue", &TAbVMeter::FontValue)
      .Object("BevelInner", &TAbVMeter::BevelInner)
      .Object("BevelOuter", &TAbVMeter::BevelOuter)
      .Object("BevelValue", &TAbVMeter::BevelValue)
      .Set("Options", [](TAbVMeter* m) { return m->Options().Bits(); },
           [](TAbVMeter* m, uint32_t v) { m->SetOptions(TVMeterOptions::FromBits(v)); },
           {"opBevelInner", "opBevelOuter", "opValue", "opName1", "opName2", "opOverflow", "opLimit", "opSector",
            "opUnit"},
           511)
      .Object("ScaleSettings", &TAbVMeter::ScaleSettings);
  RegisterClass<TAbValueInd, TAbAnalogGControl>("TAbValueInd")
      .Bool("AutoSize", &TAbValueInd::AutoSize, &TAbValueInd::SetAutoSize, true)
      .Object("FontValue", &TAbValueInd::FontValue)
      .Object("BevelInner", &TAbValueInd::BevelInner)
      .Object("BevelOuter", &TAbValueInd::BevelOuter)
      .Object("BevelValue", &TAbValueInd::BevelValue)
      .Set("Options", [](TAbValueInd* m) { return m->Options().Bits(); },
           [](TAbValueInd* m, uint32_t v) { m->SetOptions(TValueIndOptions::FromBits(v)); },
           {"opBevelInner", "opBevelOuter", "opName1", "opName2", "opUnit"}, 28);
  RegisterClass<TAbHBar, TAbAnalogGControl>("TAbHBar")
      .Bool("LogScale", &TAbAnalogGControl::LogScale, &TAbAnalogGControl::SetLogScale, false)
      .Bool("AutoSize", &TAbHBar::AutoSize, &TAbHBar::SetAutoSize, true)
      .Object("FontValue", &TAbHBar::FontValue)
      .Object("BarSettings", &TAbHBar::BarSettings)
      .Object("BevelInner", &TAbHBar::BevelInner)
      .Object("BevelOuter", &TAbHBar::BevelOuter)
      .Object("BevelValue", &TAbHBar::BevelValue)
      .Set("Options", [](TAbHBar* m) { return m->Options().Bits(); },
           [](TAbHBar* m, uint32_t v) { m->SetOptions(THBarOptions::FromBits(v)); },
           {"opBevelInner", "opBevelOuter", "opValue", "opName1", "opName2", "opOverflow", "opUnit"}, 124);
}

}  // namespace

void RegisterGaugeControls() {
  RegisterNumEditClasses();
  RegisterBinaryControls();
  RegisterAnalogWidgets();
}

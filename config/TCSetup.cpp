#include "config/TCSetup.h"

#include "controls/Aligrid.h"
#include "gauges/AbBar.h"
#include "gauges/AbLED.h"
#include "gauges/AbNumEdit.h"
#include "gauges/AbRMeter.h"
#include "gauges/AbSwitch.h"
#include "platform/rtl/Numbers.h"
#include "platform/stdctrls/Buttons.h"
#include "platform/stdctrls/ExtCtrls.h"
#include "platform/stdctrls/Menus.h"
#include "platform/stdctrls/StdCtrls.h"
#include "platform/stdctrls/Tabs.h"

TTCSetupForm* TCSetupForm = nullptr;

void TTCSetupForm::Publish(TClassProps<TTCSetupForm>& P) {
  P.Field("MainMenu1", &TTCSetupForm::MainMenu1)
      .Field("Exit1", &TTCSetupForm::Exit1)
      .Field("TCSetupBook", &TTCSetupForm::TCSetupBook)
      .Field("TabSet", &TTCSetupForm::TabSet)
      .Field("LF", &TTCSetupForm::LF)
      .Field("RF", &TTCSetupForm::RF)
      .Field("LR", &TTCSetupForm::LR)
      .Field("RR", &TTCSetupForm::RR)
      .Field("Options", &TTCSetupForm::Options)
      .Field("SensorGroup", &TTCSetupForm::SensorGroup)
      .Field("WssChanLab", &TTCSetupForm::WssChanLab)
      .Field("WssEnabled", &TTCSetupForm::WssEnabled)
      .Field("WssWheelRollLab", &TTCSetupForm::WssWheelRollLab)
      .Field("WssTriggerPointsLab", &TTCSetupForm::WssTriggerPointsLab)
      .Field("WssSignalTypeLab", &TTCSetupForm::WssSignalTypeLab)
      .Field("WssWheelRoll", &TTCSetupForm::WssWheelRoll)
      .Field("WssTriggerPoints", &TTCSetupForm::WssTriggerPoints)
      .Field("WssSignalType", &TTCSetupForm::WssSignalType)
      .Field("TCoptDrivetrainLab", &TTCSetupForm::TCoptDrivetrainLab)
      .Field("TCoptSpeedSourceLab", &TTCSetupForm::TCoptSpeedSourceLab)
      .Field("TCoptDrivetrain", &TTCSetupForm::TCoptDrivetrain)
      .Field("TCoptSpeedSource", &TTCSetupForm::TCoptSpeedSource)
      .Field("TC_speedo", &TTCSetupForm::TC_speedo)
      .Field("SpeedOption", &TTCSetupForm::SpeedOption)
      .Field("LFLED", &TTCSetupForm::LFLED)
      .Field("RFLED", &TTCSetupForm::RFLED)
      .Field("RRLED", &TTCSetupForm::RRLED)
      .Field("LRLED", &TTCSetupForm::LRLED)
      .Field("AbBar1", &TTCSetupForm::AbBar1)
      .Field("AbBar2", &TTCSetupForm::AbBar2)
      .Field("AbToggleSwitch1", &TTCSetupForm::AbToggleSwitch1)
      .Field("AbToggleSwitch2", &TTCSetupForm::AbToggleSwitch2)
      .Field("CheckBox6", &TTCSetupForm::CheckBox6)
      .Field("CtlLabel1", &TTCSetupForm::CtlLabel1)
      .Field("CtlLabel2", &TTCSetupForm::CtlLabel2)
      .Field("CtlLabel3", &TTCSetupForm::CtlLabel3)
      .Field("CtlInput1", &TTCSetupForm::CtlInput1)
      .Field("CtlInput2", &TTCSetupForm::CtlInput2)
      .Field("CtlInput3", &TTCSetupForm::CtlInput3)
      .Field("CtlInvert", &TTCSetupForm::CtlInvert)
      .Field("GearPos_table", &TTCSetupForm::GearPos_table)
      .Field("GPInput", &TTCSetupForm::GPInput)
      .Field("GPErrorAllowed", &TTCSetupForm::GPErrorAllowed)
      .Field("GPTimer", &TTCSetupForm::GPTimer)
      .Field("GPCutType", &TTCSetupForm::GPCutType)
      .Field("GPCutTimer", &TTCSetupForm::GPCutTimer)
      .Handler("FormCreate", &TTCSetupForm::FormCreate)
      .Handler("TabSetClick", &TTCSetupForm::TabSetClick)
      .Handler("LFClick", &TTCSetupForm::LFClick)
      .Handler("RFClick", &TTCSetupForm::RFClick)
      .Handler("LRClick", &TTCSetupForm::LRClick)
      .Handler("RRClick", &TTCSetupForm::RRClick)
      .Handler("OptionsClick", &TTCSetupForm::OptionsClick)
      .Handler("CheckBox6Click", &TTCSetupForm::CheckBox6Click)
      .Handler("Exit1Click", &TTCSetupForm::Exit1Click)
      .Handler("WssEnabledClick", &TTCSetupForm::WssEnabledClick)
      .Handler("WssWheelRollChange", &TTCSetupForm::WssWheelRollChange)
      .Handler("WssTriggerPointsChange", &TTCSetupForm::WssTriggerPointsChange)
      .Handler("WssSignalTypeChange", &TTCSetupForm::WssSignalTypeChange)
      .Handler("TCoptDrivetrainChange", &TTCSetupForm::TCoptDrivetrainChange)
      .Handler("TCoptSpeedSourceChange", &TTCSetupForm::TCoptSpeedSourceChange)
      .Handler("SpeedOptionClick", &TTCSetupForm::SpeedOptionClick)
      .Handler("GearPos_tableKeyDown", &TTCSetupForm::GearPos_tableKeyDown)
      .Handler("GPInputChange", &TTCSetupForm::GPInputChange)
      .Handler("GPErrorAllowedValueChanged", &TTCSetupForm::GPErrorAllowedValueChanged)
      .Handler("GPTimerValueChanged", &TTCSetupForm::GPTimerValueChanged)
      .Handler("GPCutTypeChange", &TTCSetupForm::GPCutTypeChange)
      .Handler("GPCutTimerValueChanged", &TTCSetupForm::GPCutTimerValueChanged);
}

// The tab strip names the notebook pages, in page order.
void TTCSetupForm::FormCreate(TObject*) {
  TabSet->Tabs()->Assign(TCSetupBook->Pages());
  TabSet->SetTabIndex(TCSetupBook->PageIndex());
  // The gear table's headings: one column per gear.
  GearPos_table->SetCells(0, 0, "Gear");
  GearPos_table->SetCells(0, 1, "Ratio");
  GearPos_table->SetCells(0, 2, "mph/1000");
  for (int g = 1; g < GearPos_table->ColCount(); ++g) GearPos_table->SetCells(g, 0, IntToStr(g));
  ChooseWheel(LF, 1);
}

void TTCSetupForm::TabSetClick(TObject*) {
  TCSetupBook->SetPageIndex(TabSet->TabIndex());
  if (TCSetupBook->PageIndex() >= 0) SetCaption("TC settings - " + TCSetupBook->ActivePage());
}

void TTCSetupForm::ShowWheelControls(bool wheel) {
  for (TControl* c : std::initializer_list<TControl*>{WssChanLab, WssEnabled, WssWheelRollLab, WssWheelRoll,
                                                       WssTriggerPointsLab, WssTriggerPoints})
    c->SetVisible(wheel);
  for (TControl* c :
       std::initializer_list<TControl*>{TCoptDrivetrainLab, TCoptDrivetrain, TCoptSpeedSourceLab, TCoptSpeedSource})
    c->SetVisible(!wheel);
  SensorGroup->SetCaption(wheel ? "Sensor settings" : "Options");
}

void TTCSetupForm::ChooseWheel(TSpeedButton* button, int wheel) {
  if (!button->Down()) return;
  LF->Tag = wheel;
  WssChanLab->SetCaption("Wheel " + IntToStr(wheel) + " : " + button->Caption());
  ShowWheelControls(true);
  SensorSettingsUpdate();
}

void TTCSetupForm::LFClick(TObject*) { ChooseWheel(LF, 1); }
void TTCSetupForm::RFClick(TObject*) { ChooseWheel(RF, 2); }
void TTCSetupForm::LRClick(TObject*) { ChooseWheel(LR, 3); }
void TTCSetupForm::RRClick(TObject*) { ChooseWheel(RR, 4); }

void TTCSetupForm::OptionsClick(TObject*) {
  if (!Options->Down()) return;
  LF->Tag = 0;
  ShowWheelControls(false);
}

void TTCSetupForm::CheckBox6Click(TObject*) {
  const bool on = CheckBox6->Checked();
  for (TControl* c : std::initializer_list<TControl*>{CtlLabel1, CtlInput1, CtlLabel2, CtlInput2, CtlLabel3,
                                                       CtlInput3, CtlInvert})
    c->SetEnabled(on);
}

void TTCSetupForm::Exit1Click(TObject*) {
  // Leaves the window as its close button does.
  if (Modal()) SetModalResult(mrCancel);
  else Close();
}

void TTCSetupForm::SensorSettingsUpdate() {}

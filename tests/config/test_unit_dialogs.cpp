// The display-units dialog and what a change of units does to the windows and the logged
// samples; the map choice, the traction-control window, the small dialogs' Escape key,
// the cell entry per caption and the map-file options panel while saving.
#include <gtest/gtest.h>

#include "app/ProgramWindowsFixture.h"

#include <fstream>
#include <sstream>

#include "chart/Chart.h"
#include "config/Additonl.h"
#include "config/DisplayUnits.h"
#include "config/Insert.h"
#include "config/InterpolateBlock.h"
#include "config/SelectMap.h"
#include "config/TCSetup.h"
#include "config/savefiles.h"
#include "config/setup.h"
#include "controls/Aligrid.h"
#include "ecu/Diag.h"
#include "files/LogFiles.h"
#include "gauges/AbBar.h"
#include "gauges/AbLED.h"
#include "gauges/AbNumEdit.h"
#include "gauges/AbRMeter.h"
#include "gauges/AbSwitch.h"
#include "link/LiveData.h"
#include "logger/AbTrend.h"
#include "logger/logger.h"
#include "model/ChannelFunctions.h"
#include "platform/stdctrls/Buttons.h"
#include "platform/stdctrls/Edits.h"
#include "platform/stdctrls/ExtCtrls.h"
#include "platform/stdctrls/Menus.h"
#include "platform/stdctrls/StdCtrls.h"
#include "platform/stdctrls/Tabs.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/Simulate.h"

namespace {

const AnsiString kDegC = "\xB0" "C", kDegF = "\xB0" "F";

TSettingsRecord Units(int temperature, int pressure, int speed) {
  TSettingsRecord s;
  s.TemperatureUnit = temperature;
  s.PressureUnit = pressure;
  s.SpeedUnit = speed;
  return s;
}

// Shown values at the ends of each range, in every unit: temperatures -30..120 degC,
// pressures 0..400 kPa absolute (bar and psi above atmosphere), road counts 0..65535.
TEST(UnitConversion, DisplayValuesAtTheRangeEnds) {
  struct Case {
    int kind, raw, temperature, pressure, speed;
    const char* text;
  } cases[] = {
      {0, -30, 0, 0, 0, "-30"},      {0, 120, 0, 0, 0, "120"},    {0, -30, 1, 0, 0, "-22"},
      {0, 120, 1, 0, 0, "248"},      {0, 1250, 1, 0, 0, "2282"},  {1, 0, 0, 0, 0, "0"},
      {1, 400, 0, 0, 0, "400"},      {1, 0, 0, 1, 0, "-1.00"},    {1, 400, 0, 1, 0, "3.00"},
      {1, 100, 0, 1, 0, "0.00"},     {1, 200, 0, 1, 0, "1.00"},   {1, 0, 0, 2, 0, "-14.50"},
      {1, 400, 0, 2, 0, "43.50"},    {1, 200, 0, 2, 0, "14.50"},  {2, 0, 0, 0, 0, "0.0"},
      {2, 65535, 0, 0, 0, "576.0"},  {2, 65535, 0, 0, 1, "921.6"}, {2, 25600, 0, 0, 0, "225.0"},
  };
  for (const Case& c : cases) {
    const auto u = ecu::ConvertUnitValue(c.kind, c.raw, Units(c.temperature, c.pressure, c.speed));
    ASSERT_TRUE(u);
    EXPECT_EQ(u->text, c.text) << c.kind << " " << c.raw;
  }
}

// A logged sample converted to the other unit and back is the sample it was, at both ends
// of each channel range: temperature (coolant, air, exhaust), pressure, road speed.
TEST(UnitConversion, LoggedSamplesGoBothWays) {
  struct Case {
    const char* what;
    int function;
    int oldUnit, newUnit;  // temperature 0/1, pressure 0/1/2, speed 0/1
    uint16_t stored;       // in the old unit
    uint16_t converted;    // in the new unit
  } cases[] = {
      {"coolant -30 degC is -22 degF", 19, 0, 1, 0, 0},
      {"coolant 120 degC is 248 degF", 19, 0, 1, 150, 270},
      {"air -22 degF is -30 degC", 2, 1, 0, 0, 0},
      {"air 248 degF is 120 degC", 2, 1, 0, 270, 150},
      {"EGT 0 degC is 32 degF", 21, 0, 1, 0, 0},
      {"EGT 1250 degC is 2282 degF", 21, 0, 1, 1250, 2250},
      {"MAP 0 kPa is -14.50 psi", 32, 0, 2, 0, 50},
      {"MAP 400 kPa is 43.50 psi", 32, 0, 2, 400, 5850},
      {"boost 400 kPa is 3.00 bar", 16, 0, 1, 400, 400},
      {"boost 3.00 bar is 43.50 psi", 16, 1, 2, 400, 5850},
      {"road 160 mph is 256 kph", 40, 0, 1, 160, 256},
      {"road 0 mph is 0 kph", 40, 0, 1, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const bool temperature = c.function == 2 || c.function == 19 || c.function == 21;
    const bool speed = c.function == 40;
    auto convert = [&](int from, int to, uint16_t stored) {
      TSettingsRecord s = Units(temperature ? to : 0, temperature || speed ? 1 : to, speed ? to : 0);
      ApplyChannelFunctionUnits(s);
      TLogConversion conv;
      conv.Temperature = temperature;
      conv.TargetTemperature = to;
      conv.Speed = speed;
      conv.SpeedDirection = to;
      conv.Pressure = !temperature && !speed;
      conv.OldPressure = from;
      conv.NewPressure = to;
      std::vector<TTrendRecord> records(1);
      records[0].Values.fill(stored);
      std::array<int32_t, 9> channels{};
      channels.fill(c.function);
      ConvertLogSamples(records, channels, conv, ChannelFunctionFrom);
      return records[0].Values[3];
    };
    EXPECT_EQ(convert(c.oldUnit, c.newUnit, c.stored), c.converted);
    EXPECT_EQ(convert(c.newUnit, c.oldUnit, c.converted), c.stored);
  }
  ApplyChannelFunctionUnits(TSettingsRecord{});
}

class UnitDialogs : public ProgramWindowsTest {
 protected:
  TMenuItem* Item(const char* name) {
    auto* item = dynamic_cast<TMenuItem*>(f_->FindComponent(name));
    EXPECT_NE(item, nullptr) << name;
    return item;
  }
  // One logged record with coolant (channel 1) and the MAP (channel 5) at the given samples.
  void LogOneRecord(uint16_t coolant, uint16_t map) {
    LoggerForm->Chan5Lab->SetItemIndex(32);
    LoggerForm->Chan5LabChange(LoggerForm->Chan5Lab);
    auto& records = LoggerForm->DataPlotter->MutableRecords();
    records.assign(1, TTrendRecord{});
    records[0].Time = 46000.5;
    records[0].Values[0] = coolant;
    records[0].Values[4] = map;
  }
  const TTrendRecord& Logged() { return LoggerForm->DataPlotter->MutableRecords().at(0); }
};

TEST_F(UnitDialogs, OkAppliesTheUnitsToEveryWindowAndTheLog) {
  ui::DialogScript script;
  ShowMainWindow(script, "[Units]\nTemperature=0\nPressure=0\nSpeed=0\n");
  LogOneRecord(100, 200);  // 70 degC, 200 kPa
  script.AnswerForm([](TForm&) {
    EXPECT_EQ(UnitsForm->UnitsTemperature->Items()->Strings(1), "Farenheit (" + kDegF + ")");
    EXPECT_FALSE(UnitsForm->UnitsO2->Enabled());
    EXPECT_FALSE(UnitsForm->UnitsDistance->Enabled());
    UnitsForm->UnitsTemperature->SetItemIndex(1);
    UnitsForm->UnitsPressure->SetItemIndex(2);
    UnitsForm->UnitsSpeed->SetItemIndex(1);
    UnitsForm->BitBtn1->Click();
  });
  Item("Displayunits1")->Click();
  EXPECT_EQ(Settings.TemperatureUnit, 1);
  EXPECT_EQ(Settings.PressureUnit, 2);
  EXPECT_EQ(Settings.SpeedUnit, 1);
  EXPECT_TRUE(f_->TabSet1->Visible());

  // The windows built at start re-label at once.
  EXPECT_EQ(f_->Label5->Caption(), "Temp (" + kDegF + ")");
  EXPECT_EQ(f_->StringAlignGrid1->Cells(0, 0), "-22");
  EXPECT_EQ(AdditionalMaps->EGTwarning->MaxValue(), 2282);
  EXPECT_EQ(AdditionalMaps->MapTable->Cells(0, 0), "Pressure\r(PSI)");
  EXPECT_EQ(AdditionalMaps->IACVPosMap_table->Cells(13, 0), "248");
  EXPECT_EQ(SetupForm->ATSChart->BottomAxis()->Title()->Caption(), "Temperature (" + kDegF + ")");
  EXPECT_EQ(DiagForm->inletUnit->Caption(), "PSI");
  EXPECT_EQ(DiagForm->TCSpeedUnit->Caption(), "KPH");
  EXPECT_EQ(LoggerForm->Chan1Unit->Caption(), kDegF);
  EXPECT_EQ(LoggerForm->Chan5Unit->Caption(), "Psi");
  // The logged samples follow: 70 degC is 158 degF above -22; 200 kPa is 14.50 psi above -15.
  EXPECT_EQ(Logged().Values[0], 180);
  EXPECT_EQ(Logged().Values[4], 2950);

  // OK without a change converts nothing; Cancel and Escape keep the units in force, and
  // the dialog shows them again next time.
  script.AnswerForm([](TForm&) { UnitsForm->BitBtn1->Click(); });
  Item("Displayunits1")->Click();
  EXPECT_EQ(Logged().Values[0], 180);
  script.AnswerForm([](TForm&) {
    UnitsForm->UnitsTemperature->SetItemIndex(0);
    UnitsForm->BitBtn2->Click();
  });
  Item("Displayunits1")->Click();
  script.AnswerForm([](TForm& form) {
    EXPECT_EQ(UnitsForm->UnitsTemperature->ItemIndex(), 1);
    UnitsForm->UnitsPressure->SetItemIndex(1);
    ui::SimulateKey(&form, "Escape");
  });
  EXPECT_EQ(UnitsForm->ShowModal(), mrCancel);
  EXPECT_EQ(Settings.TemperatureUnit, 1);
  EXPECT_EQ(Settings.PressureUnit, 2);
  EXPECT_EQ(Logged().Values[4], 2950);
}

TEST_F(UnitDialogs, TheUnitsChosenAreInTheSettingsFileAfterExit) {
  ui::DialogScript script;
  ShowMainWindow(script);
  EXPECT_EQ(Settings.PressureUnit, 1);  // bar without a settings file
  script.AnswerForm([](TForm&) {
    UnitsForm->UnitsPressure->SetItemIndex(0);
    UnitsForm->UnitsSpeed->SetItemIndex(1);
    UnitsForm->BitBtn1->Click();
  });
  Item("Displayunits1")->Click();
  script.Answer(mrOk);
  ASSERT_TRUE(f_->CloseQuery());
  std::ifstream in(f_->SettingsFileName);
  std::stringstream text;
  text << in.rdbuf();
  EXPECT_NE(text.str().find("[Units]"), std::string::npos);
  EXPECT_NE(text.str().find("Pressure=0"), std::string::npos);
  EXPECT_NE(text.str().find("Speed=1"), std::string::npos);
  EXPECT_NE(text.str().find("Temperature=0"), std::string::npos);
}

TEST_F(UnitDialogs, MapChoiceNamesTheSlotsAndCancelsWithEscape) {
  MapSlots[2].Source = 1;
  MapSlots[2].MapName.Set("Track day");
  ui::DialogScript script;
  script.AnswerForm([](TForm& form) {
    EXPECT_EQ(SelectMapForm->Map1Name->Caption(), "PC Map 1 :  empty");
    EXPECT_EQ(SelectMapForm->Map2Name->Caption(), "PC Map 2 :  Track day");
    EXPECT_EQ(SelectMapForm->Label1->Caption(), "ECU : No connection");
    EXPECT_EQ(SelectMapForm->SelectedMap_panel->Caption(), "PC Map 1");
    SelectMapForm->SelectedMap->SetItemIndex(2);
    SelectMapForm->SelectedMapChange(nullptr);
    EXPECT_EQ(SelectMapForm->SelectedMap_panel->Color(), clYellow);
    ui::SimulateKey(&form, "Escape");
  });
  f_->SelectMAP1Click(nullptr);
  EXPECT_EQ(CurrentMap, 1);
}

TEST_F(UnitDialogs, TractionControlPagesButtonsAndInputs) {
  ui::DialogScript script;
  script.AnswerForm([](TForm& form) {
    TTCSetupForm* tc = TCSetupForm;
    EXPECT_EQ(form.Caption(), "Traction control settings");
    EXPECT_EQ(tc->TabSet->Tabs()->Count(), 7);
    const char* captions[7] = {"Wheel speed sensors", "Control inputs", "Gear position table", "Traction control",
                               "Launch control",      "Flat shift",     "Gear position"};
    for (int p = 0; p < 7; ++p) {
      tc->TabSet->SetTabIndex(p);
      tc->TabSetClick(nullptr);
      EXPECT_EQ(form.Caption(), AnsiString("TC settings - ") + captions[p]);
    }
    // The wheel buttons keep the wheel in LF's tag; Options hides the per-wheel controls.
    auto press = [](TSpeedButton* b) {
      b->SetDown(true);
      b->Click();
    };
    press(tc->RR);
    EXPECT_EQ(tc->LF->Tag, 4);
    press(tc->Options);
    EXPECT_EQ(tc->LF->Tag, 0);
    EXPECT_EQ(tc->SensorGroup->Caption(), "Options");
    EXPECT_FALSE(tc->WssWheelRoll->Visible());
    EXPECT_TRUE(tc->TCoptDrivetrain->Visible());
    press(tc->RF);
    EXPECT_EQ(tc->LF->Tag, 2);
    EXPECT_EQ(tc->SensorGroup->Caption(), "Sensor settings");
    EXPECT_TRUE(tc->WssWheelRoll->Visible());
    // The control-input box switches its seven controls.
    EXPECT_FALSE(tc->CtlInput2->Enabled());
    tc->CheckBox6->SetChecked(true);
    EXPECT_TRUE(tc->CtlInput2->Enabled() && tc->CtlLabel3->Enabled() && tc->CtlInvert->Enabled());
    tc->CheckBox6->SetChecked(false);
    EXPECT_FALSE(tc->CtlInput1->Enabled());
    // The road-speed dial: 0..140 mph in 14 steps, one aqua sector.
    EXPECT_EQ(tc->TC_speedo->SignalSettings()->ValueTo(), 140);
    EXPECT_EQ(tc->TC_speedo->SignalSettings()->ValueUnit(), "mph");
    EXPECT_EQ(tc->TC_speedo->ScaleSettings()->Steps(), 14);
    EXPECT_EQ(tc->TC_speedo->SectorSettings()->SectorColor(3), clAqua);
    tc->Exit1->Click();
  });
  Item("TractionControl1")->Click();
  EXPECT_EQ(script.Count(ui::DialogKind::ModalForm), 1);
}

// The traction-control window's live gauges as its form gives them: nothing feeds them, so
// they rest at their first values.
TEST_F(UnitDialogs, TractionControlGaugesAsTheFormGivesThem) {
  TTCSetupForm* tc = TCSetupForm;
  for (TAbBar* bar : {tc->AbBar1, tc->AbBar2}) {
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(bar->SignalSettings()->ValueFrom(), 0);
    EXPECT_EQ(bar->SignalSettings()->ValueTo(), 100);
    EXPECT_EQ(bar->SignalSettings()->ValueUnit(), "%");
    EXPECT_EQ(bar->Value(), 0);
  }
  // The wheel lamps only show: a press does not light them.
  for (TAbLED* led : {tc->LFLED, tc->RFLED, tc->RRLED, tc->LRLED}) {
    ASSERT_NE(led, nullptr);
    EXPECT_EQ(led->Mode(), mIndicator);
    led->MouseDown(mbLeft, {}, led->Width() / 2, led->Height() / 2);
    led->MouseUp(mbLeft, {}, led->Width() / 2, led->Height() / 2);
    EXPECT_FALSE(led->Checked()) << led->Name();
  }
  struct Switch {
    TAbToggleSwitch* sw;
    const char *off, *on;
  } switches[] = {{tc->AbToggleSwitch1, "Up", "Down"}, {tc->AbToggleSwitch2, "Off", "On"}};
  for (const Switch& s : switches) {
    ASSERT_NE(s.sw, nullptr);
    EXPECT_EQ(s.sw->Orientation(), boHorizontal);
    EXPECT_GT(s.sw->Width(), s.sw->Height());
    EXPECT_TRUE(s.sw->SwapGraphic());
    EXPECT_EQ(s.sw->Mode(), mSwitch);
    EXPECT_EQ(s.sw->TextOff(), s.off);
    EXPECT_EQ(s.sw->TextOn(), s.on);
    EXPECT_EQ(s.sw->ColorOn(), clRed);
    EXPECT_EQ(s.sw->ColorOff(), clLime);
    EXPECT_FALSE(s.sw->Checked());
  }
}

TEST_F(UnitDialogs, CellEntryStoresByCaptionAndEscapeCancels) {
  TMapRecord& map = MapSlots[1];
  struct Case {
    const char* caption;
    const char* typed;
    int pressure;
    TMainTable TMapRecord::*table;
    int stored;
  } cases[] = {{"Insert INJECTION TIMING map data", "359", 1, &TMapRecord::InjTimingTable, 356},
               {"Insert BOOST TARGET map data", "80", 0, &TMapRecord::BoostTargetTable, 0},
               {"Insert BOOST TARGET map data", "1.5", 1, &TMapRecord::BoostTargetTable, 150}};
  ui::DialogScript script;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.caption);
    Settings.PressureUnit = c.pressure;
    (map.*c.table)[5][3] = 7;
    insertdata->SetCaption(c.caption);
    insertdata->speedsite->SetText("4");
    insertdata->loadsite->SetText("2");
    insertdata->newvalue->SetEditBase(ebFloat);
    insertdata->newvalue->SetMinValue(-1000);
    insertdata->newvalue->SetMaxValue(1000);
    // Escape leaves the record as it was, as Cancel does: the first takes the typed number
    // back, the second closes the dialog.
    script.AnswerForm([&](TForm& form) {
      EXPECT_EQ(form.ActiveControl(), insertdata->newvalue);
      const AnsiString shown = insertdata->newvalue->Text();
      insertdata->newvalue->SetText(c.typed);
      ui::SimulateKey(&form, "Escape");
      EXPECT_EQ(form.ModalResult(), mrNone);
      EXPECT_EQ(insertdata->newvalue->Text(), shown);
      ui::SimulateKey(&form, "Escape");
    });
    EXPECT_EQ(insertdata->ShowModal(), mrCancel);
    EXPECT_EQ((map.*c.table)[5][3], 7);
    EXPECT_FALSE(insertdata->LastStore);
    script.AnswerForm([&](TForm& form) {
      insertdata->newvalue->SetText(c.typed);
      ui::SimulateKey(&form, "Return");
    });
    EXPECT_EQ(insertdata->ShowModal(), mrOk);
    EXPECT_EQ((map.*c.table)[5][3], c.stored);
  }
  // Text the edit shows as an error is not taken: Enter leaves the dialog open.
  script.AnswerForm([](TForm& form) {
    insertdata->newvalue->SetText("12x");
    ui::SimulateKey(&form, "Return");
    EXPECT_EQ(form.ModalResult(), mrNone);
    EXPECT_EQ(insertdata->newvalue->State(), esError);
    ui::SimulateKey(&form, "Escape");
    EXPECT_EQ(insertdata->newvalue->State(), esNormal);
    ui::SimulateKey(&form, "Escape");
  });
  EXPECT_EQ(insertdata->ShowModal(), mrCancel);
  EXPECT_EQ(map.BoostTargetTable[5][3], 150);
}

TEST_F(UnitDialogs, InterpolationMethodDialogCancelsWithEscape) {
  ui::DialogScript script;
  script.AnswerForm([](TForm& form) {
    EXPECT_TRUE(InterpBlock->RadioButton1->Checked());
    EXPECT_TRUE(InterpBlock->Image1->Visible());
    InterpBlock->RadioButton3->SetChecked(true);
    EXPECT_EQ(InterpBlock->Tag, 2);
    EXPECT_TRUE(InterpBlock->Image3->Visible() && !InterpBlock->Image1->Visible());
    ui::SimulateKey(&form, "Escape");
  });
  EXPECT_EQ(InterpBlock->ShowModal(), mrCancel);
  script.AnswerForm([](TForm& form) {
    EXPECT_TRUE(InterpBlock->RadioButton3->Checked());
    ui::SimulateKey(&form, "Return");
  });
  EXPECT_EQ(InterpBlock->ShowModal(), mrOk);
  EXPECT_EQ(InterpBlock->Tag, 2);
}

TEST_F(UnitDialogs, SavePanelTicksPresentMapsAndLetsBoxesChangeFreely) {
  MapSlots[1].Source = 1;
  MapSlots[2].Source = 0;
  MapSlots[3].Source = 2;
  CurrentMap = 3;
  Form1->Tag = 1;
  Form1->RadioGroup2->SetVisible(false);
  Form1->RadioGroup1->SetVisible(true);
  Form1->Fill([] {
    for (int k = 1; k <= 3; ++k) Form1->MapBox(k)->SetEnabled(MapSlots.Present(k));
  });
  Form1->RadioGroup1->Buttons(1)->SetChecked(true);  // "Save current map"
  EXPECT_FALSE(Form1->CheckBox1->Checked());
  EXPECT_TRUE(Form1->CheckBox3->Checked());
  Form1->CheckBox1->SetChecked(true);  // saving: no box clears another
  EXPECT_TRUE(Form1->CheckBox3->Checked());
  Form1->CheckBox3->SetChecked(false);
  Form1->CheckBox1->SetChecked(false);  // and the last one may be cleared
  EXPECT_FALSE(Form1->CheckBox1->Checked());
  Form1->RadioGroup1->Buttons(0)->SetChecked(true);  // "Save all maps": the empty slot stays clear
  EXPECT_TRUE(Form1->CheckBox1->Checked());
  EXPECT_FALSE(Form1->CheckBox2->Checked());
  EXPECT_TRUE(Form1->CheckBox3->Checked());
}

}  // namespace

// The additional tables window as a tuner uses it: opened from the main window's menu,
// its controls and table keys change the current map at once, the injection scaling
// re-calculates the time base, and the load-sensor menu opens the site editor.
#include <gtest/gtest.h>

#include "app/ProgramWindowsFixture.h"

#include <cstring>
#include <functional>

#include "app/Block.h"
#include "config/Additonl.h"
#include "config/Insert.h"
#include "config/InterpolateBlock.h"
#include "config/LoadSiteAdjU.h"
#include "controls/AdvEdit.h"
#include "controls/AdvSpin.h"
#include "controls/Aligrid.h"
#include "gauges/AbNumEdit.h"
#include "model/ConfigBlock.h"
#include "platform/stdctrls/Buttons.h"
#include "platform/stdctrls/ExtCtrls.h"
#include "platform/stdctrls/Menus.h"
#include "platform/stdctrls/StdCtrls.h"
#include "platform/stdctrls/Tabs.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/Keys.h"
#include "platform/ui/Simulate.h"

namespace {

class AdditionalMapsWindow : public ProgramWindowsTest {
 protected:
  void SetUp() override {
    ProgramWindowsTest::SetUp();
    TMapRecord& m = MapSlots[1];
    m.Clear();
    SetMapSpeedSiteAndLimitDefaults(m, 500);
    SetMapAdditionalDefaults(m);
    SetMapBoostLoadDefaults(m);
    f_->RefreshMapTables();
    a_ = AdditionalMaps;
  }

  // Opens the window from the main menu on the item's page and runs `work` while it shows.
  void Open(const char* item, const std::function<void()>& work) {
    script_.AnswerForm([&](TForm& form) {
      work();
      form.SetModalResult(mrOk);
    });
    auto* menu = dynamic_cast<TMenuItem*>(f_->FindComponent(item));
    ASSERT_NE(menu, nullptr);
    menu->Click();
  }

  void Select(TStringAlignGrid* g, int left, int top, int right, int bottom) {
    g->SetSelection(TGridRect{left, top, right, bottom});
  }
  void Key(TStringAlignGrid* g, const char* key, bool keypad = false) {
    g->SetFocus();
    ui::SimulateKey(g, key, keypad);
    Application->ProcessMessages();
  }

  TMapRecord& M() { return MapSlots[1]; }
  ui::DialogScript script_;
  TAdditionalMaps* a_ = nullptr;
};

TEST_F(AdditionalMapsWindow, SettingsReachTheMapOnEveryChange) {
  Open("BoostControl1", [&] {
    EXPECT_EQ(a_->AdditionalBook->PageIndex(), 3);
    struct Case {
      TAdvSpinEdit* edit;
      double value;
      std::function<int()> stored;
      int expected;
    };
    const Case cases[] = {
        {a_->AccelEnrich, 55, [&] { return int(M().AccelEnrichment); }, 55},
        {a_->AccelEnrich, 180, [&] { return int(M().AccelEnrichment); }, 100},  // limited
        {a_->BoostControlLimit, 77, [&] { return int(M().BoostControlLimit); }, 77},
        {a_->BoostFreq, 265, [&] { return int(M().BoostFrequency); }, 255},  // one byte
        {a_->Boost_Rate, 0.5, [&] { return int(M().BoostRate); }, 50},
        {a_->BoostMaxTPS, 12, [&] { return int(M().Reserved16965); }, 12},
        {a_->Flat_advance, 10.5, [&] { return int(M().FlatShiftAdvance); }, 141},
        {a_->Flat_delay, 505, [&] { return int(M().FlatShiftDelay); }, 50},
        {a_->CoilOnTimeCrank, 5.0, [&] { return int(M().CoilOnCranking); }, 102},
        {a_->Func1UpperAdj, 50.0, [&] { return int(M().PWMUpperAdjust); }, 128},
        {a_->VVT_mapoffset, 150, [&] { return int(M().VVTOffset); }, 150},
        {a_->CF_edit, 440, [&] { return int(M().InjectorFlow); }, 440},
    };
    for (const Case& c : cases) {
      SCOPED_TRACE(c.edit->Name());
      if (c.edit->SpinType() == sptFloat)
        c.edit->SetFloatValue(c.value);
      else
        c.edit->SetValue(static_cast<int>(c.value));
      EXPECT_EQ(c.stored(), c.expected);
    }
    EXPECT_EQ(LiveCellMax[6], 405);
    a_->BoostMaxCB->SetChecked(true);
    a_->CheckBox4->SetChecked(true);
    a_->DoubleForce->SetChecked(true);
    EXPECT_EQ(M().BoostOptions & 2, 2);
    EXPECT_EQ(M().OptionBits17688 & 1, 1);
    EXPECT_EQ(M().DblInjForced, 1);
    EXPECT_TRUE(a_->BoostMaxTPS->Enabled());
    a_->AbNumSpin5->SetValue(2.5);
    EXPECT_EQ(M().Setting17689, 25);
  });
  // Shown again from the map, the adjustment reads what was entered within one step.
  f_->RefreshMapTables();
  EXPECT_NEAR(a_->Func1UpperAdj->FloatValue(), 50.0, 100.0 / 255);
  EXPECT_EQ(a_->BoostFreq->Value(), 255);
}

TEST_F(AdditionalMapsWindow, BoostPressuresClampInTheDisplayUnit) {
  Settings.PressureUnit = 1;  // bar
  f_->RefreshMapTables();
  Open("BoostControl1", [&] {
    a_->CheckBox1->SetChecked(true);
    a_->BoostCut->SetValue(0.0);
    EXPECT_EQ(M().BoostCutPressure, 100);
    a_->BoostCut->SetValue(10.0);
    EXPECT_EQ(M().BoostCutPressure, 655);
    EXPECT_NEAR(a_->BoostCut->Value(), 5.55, 1e-9);
    // The spin steps one kPa in every unit.
    a_->AbNumEdit1->SetValue(a_->AbNumEdit1->Value() + a_->AbNumEdit1->Increment());
    EXPECT_EQ(M().BoostPressureLimit2, 1);
  });
}

TEST_F(AdditionalMapsWindow, FunctionKeysChoosePages) {
  Open("AccelFuelling1", [&] {
    ui::SimulateKey(a_, "F5");
    Application->ProcessMessages();
    EXPECT_EQ(a_->AdditionalBook->PageIndex(), 4);
    EXPECT_EQ(a_->Caption(), "Coil on-time");
    ui::SimulateKey(a_, "F11");
    Application->ProcessMessages();
    EXPECT_EQ(a_->Caption(), "Injection map scale settings");
  });
  // The accel page's rpm heading row holds the speed sites.
  EXPECT_EQ(a_->AccelRPMScale->Cells(1, 0), IntToStr(M().SpeedSites[1]));
}

TEST_F(AdditionalMapsWindow, FiveRowTableKeys) {
  Open("Coilontime1", [&] {
    M().CoilOnTable[1][1] = 254;
    Select(a_->CoilOnTable, 1, 1, 1, 1);
    Key(a_->CoilOnTable, "+", true);
    Key(a_->CoilOnTable, "+", true);
    EXPECT_EQ(M().CoilOnTable[1][1], 255);
    EXPECT_EQ(a_->CoilOnTable->Cells(1, 1), "12.44");
    // A single cell: the entry dialog, cancelled, leaves the map as it was.
    script_.AnswerForm([](TForm& f) { f.SetModalResult(mrCancel); });
    Key(a_->CoilOnTable, "Return");
    EXPECT_EQ(M().CoilOnTable[1][1], 255);
    // Interpolation: 2 x 2 does nothing, 3 x 2 asks the method and runs.
    M().CoilOnTable[2][1] = 10;
    M().CoilOnTable[4][1] = 0;
    Select(a_->CoilOnTable, 2, 1, 3, 2);
    Key(a_->CoilOnTable, "C");
    EXPECT_EQ(script_.Count(ui::DialogKind::ModalForm), 2);
    Select(a_->CoilOnTable, 2, 1, 4, 1);
    script_.Answer(mrOk);
    Key(a_->CoilOnTable, "C");
    EXPECT_EQ(M().CoilOnTable[3][1], 5);  // 10 .. 0 along the row
  });
  Open("InjectorTiming1", [&] {
    M().InjTimingTable[5][3] = 718;
    Select(a_->InjTimingTable, 5, 3, 5, 3);
    Key(a_->InjTimingTable, "=");
    EXPECT_EQ(M().InjTimingTable[5][3], 720);  // never past 720
    Key(a_->InjTimingTable, "=");
    EXPECT_EQ(M().InjTimingTable[5][3], 720);
    Key(a_->InjTimingTable, "-");
    EXPECT_EQ(M().InjTimingTable[5][3], 716);
  });
  // The user PWM duty is one byte: "+" and a 50 % increase over a block keep 255.
  Open("UserOutput1PWMControl1", [&] {
    M().UserPWMTable[7][2] = 255;
    M().UserPWMTable[8][2] = 200;
    Select(a_->PWMTable, 7, 2, 7, 2);
    Key(a_->PWMTable, "+", true);
    EXPECT_EQ(M().UserPWMTable[7][2], 255);
    EXPECT_EQ(a_->PWMTable->Cells(7, 2), "100.0");
    Select(a_->PWMTable, 7, 2, 8, 2);
    script_.AnswerForm([](TForm& f) {
      map_function->operation->SetItemIndex(static_cast<int>(TBlockOp::Increase));
      map_function->Value->SetValue(50);
      f.SetModalResult(mrOk);
    });
    Key(a_->PWMTable, "Return");
    EXPECT_EQ(M().UserPWMTable[7][2], 255);
    EXPECT_EQ(M().UserPWMTable[8][2], 255);
  });
  Open("BoostControl1", [&] {
    Settings.PressureUnit = 0;
    a_->TabSet2->SetTabIndex(1);
    a_->TabSet2Click(nullptr);
    Select(a_->BoostTargetTable, 1, 1, 2, 1);
    script_.AnswerForm([](TForm& f) {
      map_function->operation->SetItemIndex(0);
      map_function->Value->SetValue(200);
      f.SetModalResult(mrOk);
    });
    Key(a_->BoostTargetTable, "Return");
    EXPECT_EQ(M().BoostTargetTable[2][1], 100);
    EXPECT_EQ(a_->BoostTargetTable->Cells(2, 1), "200");
  });
  // The coil entry stores no more than one byte of the ECU image holds.
  const auto w = StoreInsertData(M(), "Insert Coil on time value", 0, 0, 20.0, 0);
  ASSERT_TRUE(w);
  EXPECT_EQ(w->NewValue, 255);
  EXPECT_EQ(StoreInsertData(M(), "Insert BOOST TARGET map data", 0, 0, 3.0, 1)->NewValue, 255);
}

TEST_F(AdditionalMapsWindow, OneRowAndSmallTableKeys) {
  Open("AccelFuelling1", [&] {
    a_->TabSet1->SetTabIndex(1);
    a_->TabSet1Click(nullptr);
    Select(a_->AppliedAccelRPM_table, 0, 0, 4, 0);
    M().AccelBySpeed[4] = 40;
    Key(a_->AppliedAccelRPM_table, "Up");
    EXPECT_EQ(M().AccelBySpeed[0], 1);
    EXPECT_EQ(M().AccelBySpeed[4], 41);
    script_.Answer(mrOk);
    Key(a_->AppliedAccelRPM_table, "C");
    EXPECT_EQ(M().AccelBySpeed[2], 21);
  });
  Open("BAROcompensation1", [&] {
    const int p = M().BaroCompPressure[1], c = M().BaroCompValue2[1];
    Select(a_->BaroTable, 0, 1, 1, 1);
    a_->BaroTable->SetFocus();
    ui::SimulateKey(a_->BaroTable, "Shift+=");
    Application->ProcessMessages();
    EXPECT_EQ(M().BaroCompPressure[1], std::min(p + 50, 1200));
    EXPECT_EQ(M().BaroCompValue2[1], c + 1);
  });
  Open("MAPcompensation1", [&] {
    M().MAPCompValue4[0] = 50;
    Select(a_->MapTable, 3, 1, 3, 1);
    Key(a_->MapTable, "+", true);
    EXPECT_EQ(M().MAPCompValue4[0], 50);  // the step would leave the range
  });
  Open("Cylindertrims1", [&] {
    M().CylinderTrim(1, 2) = 10;
    M().CylinderTrim(1, 10) = 10;
    Select(a_->CylTrims_table, 1, 2, 1, 2);
    Key(a_->CylTrims_table, "+", true);
    EXPECT_EQ(M().CylinderTrim(1, 2), 10);  // ignition trims stop at 10
    // "view injection trims" moves the selection into the injection half.
    a_->Injectionclick->Click();
    EXPECT_EQ(a_->CylTrims_table->Selection().Top, 10);
    Key(a_->CylTrims_table, "+", true);
    EXPECT_EQ(M().CylinderTrim(1, 10), 11);
    // A block started in the ignition half stops at its last row.
    M().CylinderTrim(1, 8) = 0;
    M().CylinderTrim(1, 9) = 0;
    Select(a_->CylTrims_table, 1, 8, 1, 9);
    Key(a_->CylTrims_table, "-", true);
    EXPECT_EQ(M().CylinderTrim(1, 8), -1);
    EXPECT_EQ(M().CylinderTrim(1, 9), 0);
  });
}

TEST_F(AdditionalMapsWindow, InjectionScalingRefusesATimeBaseBeyondOneByte) {
  ConfigReadCopy.Cylinders = 4;
  M().InjectorFlow = 440;
  M().RatedPressure = 43.5;
  M().FuelPressure = 43.5;
  M().FlowUnit = M().RatedPressureUnit = M().FuelPressureUnit = 0;
  M().MSPB = 61;
  f_->RefreshMapTables();
  Open("InjectionScaling1", [&] {
    EXPECT_EQ(a_->EstimateLab->Caption(), "Max fuel flow for approx 352 bhp");
    a_->calc_FR_Check->SetChecked(true);
    a_->calc_FR_CheckClick(nullptr);
    // 100 cc/min injectors would need 268 us per bit: refused, nothing changes.
    a_->NF_edit->SetValue(100);
    script_.Answer(mrOk).Answer(mrOk);
    a_->calculate->Click();
    EXPECT_EQ(M().MSPB, 61);
    EXPECT_EQ(M().InjectorFlow, 440);
    EXPECT_EQ(script_.Last().Kind, ui::DialogKind::MessageDlg);
    // The same injector given in lb/hr keeps the time base within a unit of it.
    a_->NFlabClick(nullptr);
    a_->NF_edit->SetValue(43);
    script_.Answer(mrOk).Answer(mrOk);
    a_->calculate->Click();
    EXPECT_NEAR(M().MSPB, 61, 1);
    EXPECT_EQ(M().FlowUnit, 1);
    // Re-scaling uses the whole range for the same fuel.
    a_->calc_FR_Check->SetChecked(false);
    M().MSPB = 60;
    for (int s = 1; s <= 32; ++s)
      for (int l = 1; l <= 16; ++l) M().InjectionTable[s][l] = 50;
    M().InjectionTable[1][1] = 100;
    a_->AutoscaleCheck->SetChecked(true);
    a_->MapMaxEdit->SetValue(200);
    script_.Answer(mrOk).Answer(mrOk);
    a_->calculate->Click();
    EXPECT_EQ(M().MSPB, 30);
    EXPECT_EQ(M().InjectionTable[1][1], 200);
    EXPECT_EQ(f_->injectiontable->Cells(2, 1), "200");
  });
}

// The time base reaches the map (byte 16924) when the tuner leaves its edit, rounded half to
// even and held within one byte, or when the window closes while the edit is still in use.
TEST_F(AdditionalMapsWindow, TimeBaseIsTakenWhenItsEditIsLeft) {
  M().MSPB = 61;
  f_->RefreshMapTables();
  auto press = [](TWinControl* c, const char* key) {
    ui::SimulateKey(c, key);
    Application->ProcessMessages();
  };
  Open("InjectionScaling1", [&] {
    TAdvEdit* e = a_->mspbEdit;
    EXPECT_EQ(e->Text(), "61");
    const struct {
      const char* text;
      int stored;
      const char* shown;
    } cases[] = {{"72.6", 73, "73"}, {"72.5", 72, "72"}, {"300", 255, "255"}, {"", 0, "0"}};
    for (const auto& c : cases) {
      SCOPED_TRACE(c.text);
      e->SetFocus();
      e->SetText(c.text);
      EXPECT_EQ(M().Bytes()[16924], 61);
      press(e, "Tab");
      EXPECT_NE(a_->ActiveControl(), e);
      EXPECT_EQ(M().Bytes()[16924], c.stored);
      EXPECT_EQ(e->Text(), c.shown);
      M().MSPB = 61;
    }
    // Typed, and the window closed without leaving the edit.
    e->SetFocus();  // the whole number is selected on entry
    press(e, "9");
    press(e, "0");
    EXPECT_EQ(M().Bytes()[16924], 61);
  });
  EXPECT_EQ(M().Bytes()[16924], 90);
}

TEST_F(AdditionalMapsWindow, LoadSensorMenuAndSiteEditor) {
  Open("Coilontime1", [&] {
    const int cell = M().CoilOnTable[3][3];
    a_->MAP1Click(nullptr);
    EXPECT_EQ(M().LoadOptions & 4, 4);
    EXPECT_EQ(M().CoilOnTable[3][3], cell);  // only the axis shown changes
    EXPECT_EQ(a_->CoilOnLoadLabel->Caption(), "MAP");
    a_->Throttlepot1Click(nullptr);
    EXPECT_EQ(M().LoadOptions & 4, 0);
    EXPECT_EQ(a_->CoilOnLoadLabel->Caption(), "Throttle");
    for (int i = 0; i < 5; ++i) M().AddThrottleSites[axCoilOn][i] = static_cast<int16_t>(25 * i);
    script_.AnswerForm([](TForm& f) {
      LoadSiteAdj->SitePosGrid->SetSelection(TGridRect{2, 4, 2, 4});
      WORD key = VK_SUBTRACT;
      LoadSiteAdj->SitePosGridKeyDown(nullptr, key, {});
      LoadSiteAdj->BitBtn1Click(nullptr);
      f.SetModalResult(mrOk);
    });
    a_->Loadsitepositions1Click(nullptr);
    EXPECT_EQ(LoadSiteAdj->Tag, 0);
    EXPECT_EQ(M().AddThrottleSites[axCoilOn][3], 74);
    EXPECT_EQ(a_->CoilOnTable->Cells(0, 4), "74");
  });
}

// Each table's label names the sensor its option bit chooses, and only that table's label
// follows its bit.
TEST_F(AdditionalMapsWindow, LoadLabelsNameTheSensorOfTheirOwnBit) {
  struct Case {
    int bit;
    TLabel* TAdditionalMaps::*label;
  } cases[] = {{1, &TAdditionalMaps::LoadLabel},
               {2, &TAdditionalMaps::CoilOnLoadLabel},
               {3, &TAdditionalMaps::VVTloadlabel},
               {5, &TAdditionalMaps::InjPosLoadLabel}};
  auto refresh = [&] {
    a_->UpdatePWMLoad();
    a_->UpdateCoilOnLoad();
    a_->UpdateVVTload();
    a_->UpdateInjPosLoad();
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.bit);
    M().LoadOptions = static_cast<int16_t>(1 << c.bit);
    refresh();
    for (const Case& other : cases)
      EXPECT_EQ((a_->*other.label)->Caption(), other.bit == c.bit ? "MAP" : "Throttle");
  }
  // Every bit else set (the main tables' bit 0 too) leaves all four on the throttle.
  M().LoadOptions = static_cast<int16_t>(~0x2E);
  refresh();
  for (const Case& c : cases) EXPECT_EQ((a_->*c.label)->Caption(), "Throttle");
}

// The refresh shows each pressure from its own field: the running pressure (16896, unit
// 16916) in CP_edit, the rated pressure (16904, unit 16920) in CTP_edit; the flat-shift
// type is the byte at 16986 whatever the byte after it holds.
TEST_F(AdditionalMapsWindow, ScalingPressuresAndFlatTypeShowTheirOwnFields) {
  ConfigReadCopy.Cylinders = 4;
  uint8_t* b = M().Bytes();
  const double run = 58.0, rated = 3.0;
  const int32_t flow = 440, psi = 0, bar = 1;
  std::memcpy(b + 16892, &flow, 4);
  std::memcpy(b + 16896, &run, 8);
  std::memcpy(b + 16904, &rated, 8);
  std::memcpy(b + 16912, &psi, 4);
  std::memcpy(b + 16916, &psi, 4);
  std::memcpy(b + 16920, &bar, 4);
  b[16982] = 1;
  b[16986] = 0;
  b[16987] = 0x55;
  f_->RefreshMapTables();
  Open("InjectionScaling1", [&] {
    EXPECT_DOUBLE_EQ(a_->CP_edit->FloatValue(), 58.0);
    EXPECT_EQ(a_->CPlab->Caption(), "psi");
    EXPECT_DOUBLE_EQ(a_->CTP_edit->FloatValue(), 3.0);
    EXPECT_EQ(a_->CTPlab->Caption(), "bar");
    EXPECT_DOUBLE_EQ(a_->NP_edit->FloatValue(), 58.0);
    EXPECT_DOUBLE_EQ(a_->NTP_edit->FloatValue(), 3.0);
    // 440 x sqrt(58 / 43.51) x 4 / 5 = 406.4
    EXPECT_EQ(a_->EstimateLab->Caption(), "Max fuel flow for approx 406 bhp");
    // A new fuel pressure: the time base follows sqrt(58 / 43.5) and only the running
    // pressure and its unit change.
    a_->calc_FP_check->SetChecked(true);
    a_->NP_edit->SetFloatValue(43.5);
    script_.Answer(mrOk).Answer(mrOk);
    M().MSPB = 61;
    a_->calculate->Click();
    EXPECT_EQ(M().MSPB, 70);  // 61 x 1.1547 = 70.4
    EXPECT_DOUBLE_EQ(M().FuelPressure, 43.5);
    EXPECT_DOUBLE_EQ(M().RatedPressure, 3.0);
    EXPECT_EQ(M().RatedPressureUnit, 1);
  });
  EXPECT_EQ(a_->Flat_type->ItemIndex(), 0);
  EXPECT_TRUE(a_->Flat_Table->Enabled());
}

// "Rescale inj map numbers" finds the largest cell in the last speed column too.
TEST_F(AdditionalMapsWindow, RescaleWithTheLargestCellInTheLastSpeedColumn) {
  for (int s = 1; s <= 32; ++s)
    for (int l = 1; l <= 16; ++l) M().InjectionTable[s][l] = 50;
  M().InjectionTable[32][16] = 100;
  M().MSPB = 60;
  f_->RefreshMapTables();
  Open("InjectionScaling1", [&] {
    a_->AutoscaleCheck->SetChecked(true);
    a_->MapMaxEdit->SetValue(200);
    script_.Answer(mrOk).Answer(mrOk);
    a_->calculate->Click();
  });
  EXPECT_EQ(M().MSPB, 30);
  EXPECT_EQ(M().InjectionTable[32][16], 200);
  EXPECT_EQ(M().InjectionTable[1][1], 100);
  EXPECT_EQ(f_->injectiontable->Cells(33, 16), "200");
}

}  // namespace

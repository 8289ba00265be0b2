// The secondary windows: each is read from its form resource with the controls the
// main window's start-up reaches, and the few handlers start-up calls work.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

#include "app/Block.h"
#include "files/CorruptFile.h"
#include "files/HKStreamCol.h"
#include "app/Windows.h"
#include "chart/Chart.h"
#include "app/Graphs.h"
#include "chart/Series.h"
#include "chart/TeeSurfa.h"
#include "config/Additonl.h"
#include "config/Align.h"
#include "model/ConfigBlock.h"
#include "config/ConfigComments.h"
#include "config/DisplayUnits.h"
#include "config/Insert.h"
#include "config/InterpolateBlock.h"
#include "config/LoadSiteAdjU.h"
#include "config/SelectMap.h"
#include "config/SitePos.h"
#include "config/SpeedSiteAdj.h"
#include "config/TCForm.h"
#include "config/TCSetup.h"
#include "config/TempCalculator.h"
#include "config/loadfiles.h"
#include "config/savefiles.h"
#include "config/setup.h"
#include "controls/Aligrid.h"
#include "ecu/CommsStats.h"
#include "ecu/Diag.h"
#include "ecu/FlashUpdate.h"
#include "ecu/IgnAlign.h"
#include "ecu/Immobiliser.h"
#include "ecu/MapLock.h"
#include "ecu/NewComPort.h"
#include "ecu/Progress.h"
#include "ecu/keycode.h"
#include "gauges/AbNumEdit.h"
#include "logger/AbTrend.h"
#include "logger/AuxTable.h"
#include "logger/LoggerExport.h"
#include "logger/logger.h"
#include "platform/stdctrls/ExtCtrls.h"
#include "platform/stdctrls/StdCtrls.h"
#include "platform/stdctrls/Tabs.h"
#include "platform/ui/Application.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/UiStreaming.h"

namespace {

class WindowsTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    Application->Initialize();
    RegisterProgramWindows();
  }
  template <class T>
  std::unique_ptr<T> Make() {
    return std::unique_ptr<T>(ui::CreateForm<T>(nullptr));
  }
  ui::DialogScript script;
};

struct Expected {
  std::string name;
  const char* cls;
};

struct WindowCase {
  const char* form;
  std::function<TForm*()> create;
  std::vector<Expected> controls;
};

template <class T>
std::function<TForm*()> Creator() {
  return [] { return ui::CreateForm<T>(nullptr); };
}

std::vector<Expected> Grids(std::initializer_list<const char*> names) {
  std::vector<Expected> out;
  for (const char* n : names) out.push_back({n, "TStringAlignGrid"});
  return out;
}

TEST_F(WindowsTest, EveryWindowReadsItsResourceWithTheControlsStartUpUses) {
  std::vector<WindowCase> cases = {
      {"insertdata", Creator<Tinsertdata>(), {{"loadsite", "TEdit"}, {"newvalue", "TAbNumSpin"}, {"newinfo", "TLabel"}}},
      {"CommsProgress", Creator<TCommsProgress>(), {{"ComboBox1", "TComboBox"}, {"ok", "TBitBtn"}}},
      {"Alignment", Creator<config::TAlignment>(),
       {{"AutoIdlePotNum", "TCheckBox"}, {"AutoCutPotNum", "TCheckBox"}, {"IdlePotNumOffset", "TAdvSpinEdit"},
        {"CutPotNumOffset", "TAdvSpinEdit"}, {"ComboBox1", "TComboBox"}}},
      {"map_function", Creator<Tmap_function>(), {{"operation", "TComboBox"}, {"Value", "TAbNumSpin"}}},
      {"DiagForm", Creator<TDiagForm>(), {{"Timer1", "TTimer"}, {"TelltaleLock", "TButton"}}},
      {"AdditionalMaps", Creator<TAdditionalMaps>(), {}},
      {"SetupForm", Creator<TSetupForm>(),
       {{"ATS_type", "TRadioGroup"}, {"CTS_type", "TRadioGroup"}, {"XTS_type", "TRadioGroup"}, {"SetupBook", "TNotebook"}}},
      {"IgnAlignForm", Creator<TIgnAlignForm>(), {{"ReferenceAdvance", "TAdvEdit"}, {"LockAdvance", "TAdvEdit"}}},
      {"FlashUpdateForm", Creator<TFlashUpdateForm>(), {{"krup", "THKStreams"}, {"Notes", "TMemo"}}},
      {"LoggerForm", Creator<TLoggerForm>(),
       {{"StartChan", "TComboBox"}, {"StartLogic", "TComboBox"}, {"StartVal", "TAdvSpinEdit"}, {"StopChan", "TComboBox"},
        {"StopLogic", "TComboBox"}, {"StopVal", "TAdvSpinEdit"}, {"StartRecording", "TCheckBox"},
        {"DataPlotter", "TAbTrend"}, {"LoggerBook", "TNotebook"}}},
      {"DlgPw", Creator<TDlgPw>(), {{"code", "TAdvMaskEdit"}}},
      {"LoadSiteAdj", Creator<TLoadSiteAdj>(), Grids({"SitePosGrid"})},
      {"AuxTableForm", Creator<TAuxTableForm>(), {}},
      {"LoggerExportForm", Creator<TLoggerExportForm>(), {{"ExcelSamples", "TAdvSpinEdit"}}},
      {"SitePosFrm", Creator<TSitePosFrm>(), {{"SitePosGrid", "TStringAlignGrid"}, {"Memo1", "TMemo"}, {"ReCalcMaps", "TCheckBox"}}},
      {"Graph", Creator<TGraph>(), {{"Chart1", "TChart"}, {"Series1", "TSurfaceSeries"}, {"GraphSelect", "TComboBox"}}},
      {"InterpBlock", Creator<TInterpBlock>(), {{"RadioButton1", "TRadioButton"}, {"Image3", "TImage"}}},
      {"TC_form", Creator<TTC_form>(), {}},
      {"TCSetupForm", Creator<TTCSetupForm>(), Grids({"GearPos_table"})},
      {"MapLockForm", Creator<TMapLockForm>(), {{"pincode", "TAdvMaskEdit"}, {"maplockstatus", "TLabel"}}},
      {"SpeedSiteForm", Creator<TSpeedSiteForm>(), {{"SitePosGrid", "TStringAlignGrid"}, {"ReCalcMaps", "TCheckBox"}}},
      {"SelectPort", Creator<TSelectPort>(), {{"ComboBox1", "TComboBox"}, {"CheckBox1", "TCheckBox"}}},
      {"TempCalc", Creator<TTempCalc>(), {{"Measure1", "TAdvSpinEdit"}}},
      {"UnitsForm", Creator<TUnitsForm>(),
       {{"UnitsTemperature", "TRadioGroup"}, {"UnitsPressure", "TRadioGroup"}, {"UnitsSpeed", "TRadioGroup"},
        {"UnitsDistance", "TRadioGroup"}, {"UnitsO2", "TRadioGroup"}}},
      {"CommsForm", Creator<TCommsForm>(), {{"Button1", "TButton"}}},
      {"ImmobForm", Creator<TImmobForm>(), {{"ImmobiliserChangeStatus", "TButton"}}},
      {"SelectMapForm", Creator<TSelectMapForm>(), {{"SelectedMap", "TComboBox"}}},
      {"ConfigSaveCommentsForm", Creator<TConfigSaveCommentsForm>(), {{"Memo1", "TMemo"}}},
      {"Form1", Creator<TForm1>(), {{"RadioGroup1", "TRadioGroup"}, {"RadioGroup2", "TRadioGroup"}, {"CheckBox3", "TCheckBox"}}},
      {"Form2", Creator<TForm2>(), {{"Memo1", "TMemo"}}},
  };
  auto& am = cases[5].controls;
  am = Grids({"BoostPWMTable", "BoostTargetTable", "CoilOnTable", "InjTimingTable", "PWMTable", "VVT_table",
              "RpmCorr_table", "VVTcontrol_table", "IACVPosMap_table", "IdleFuelMap_table", "MapTable", "BaroTable",
              "CylTrims_table", "EGT_table", "BattCompTable"});
  am.insert(am.end(), {{"BattCompSeries1", "TFastLineSeries"}, {"BattCompSeries2", "TFastLineSeries"},
                       {"BoostMinDuty", "TAbNumSpin"}, {"BoostMaxDuty", "TAbNumSpin"},
                       {"Func1UpperAdj", "TAdvSpinEdit"}, {"Func1LowerAdj", "TAdvSpinEdit"}, {"AdditionalBook", "TNotebook"}});
  auto& sf = cases[6].controls;
  for (const char* g : {"ATStable", "CTStable", "XTStable", "AFRinput_table"}) sf.push_back({g, "TStringAlignGrid"});
  auto& lf = cases[9].controls;
  for (int i = 1; i <= 8; ++i) lf.push_back({"Chan" + std::to_string(i) + "Lab", "TComboBox"});

  ASSERT_EQ(cases.size(), 30u);
  for (const WindowCase& c : cases) {
    SCOPED_TRACE(c.form);
    std::unique_ptr<TForm> form;
    ASSERT_NO_THROW(form.reset(c.create()));
    ASSERT_NE(form, nullptr);
    EXPECT_EQ(form->Name(), c.form);
    EXPECT_FALSE(form->Caption().empty());
    EXPECT_FALSE(form->Visible());
    for (const Expected& e : c.controls) {
      TComponent* found = form->FindComponent(e.name);
      ASSERT_NE(found, nullptr) << e.name;
      EXPECT_STREQ(found->ClassName(), e.cls) << e.name;
    }
  }
}

TEST_F(WindowsTest, ConfigDefaultFillsTheWorkingBlock) {
  auto setup = Make<TSetupForm>();
  TConfigBlock expected;
  std::memset(&expected, 0xA5, sizeof expected);
  config::ApplyConfigDefaults(expected);
  std::memset(&ConfigBlock, 0xA5, sizeof ConfigBlock);
  setup->ConfigDefault();
  EXPECT_EQ(std::memcmp(&ConfigBlock, &expected, sizeof expected), 0);
  setup->RefreshConfigDisplay();
}

TEST_F(WindowsTest, TabSetsFollowTheirNotebooks) {
  auto setup = Make<TSetupForm>();
  ASSERT_EQ(setup->TabSet->Tabs()->Count(), 20);
  setup->TabSet->SetTabIndex(11);
  setup->TabSetClick(setup->TabSet);
  EXPECT_EQ(setup->Caption(), "AFR/Lambda input calibration");

  auto tc = Make<TTCSetupForm>();
  tc->TabSet->SetTabIndex(2);
  tc->TabSetClick(tc->TabSet);
  EXPECT_EQ(tc->Caption(), "TC settings - Gear position table");
}

TEST_F(WindowsTest, CorruptContainerShowsFileAccessErrorThenRaises) {
  auto flash = Make<TFlashUpdateForm>();
  script.Answer(mrOk);
  char path[] = "/tmp/forms-corrupt-XXXXXX";
  const int fd = mkstemp(path);
  ASSERT_GE(fd, 0);
  const char junk[] = "this is no container file at all";
  ASSERT_EQ(write(fd, junk, sizeof junk), static_cast<ssize_t>(sizeof junk));
  close(fd);
  EXPECT_THROW(flash->krup->LoadFromFile(path), ECorruptFile);
  std::remove(path);
  ASSERT_EQ(script.Shown().size(), 1u);
  EXPECT_EQ(script.Last().Text, "File Access Error.\r\r  1.  This file is corrupt\r\rContact Corvane for advice");
}

TEST_F(WindowsTest, BatteryCurveSeriesBelongToTheirChart) {
  auto am = Make<TAdditionalMaps>();
  TChart* chart = am->BattCompChart;
  ASSERT_EQ(chart->SeriesCount(), 2);
  EXPECT_EQ(am->BattCompSeries1->ParentChart(), chart);
  TChartSeries* s = am->BattCompSeries1;
  s->Clear();
  for (int i = 0; i < 7; ++i) EXPECT_EQ(s->Add(0, "", clTeeColor), i);
  s->YValues()->SetValue(6, 1.5);
  EXPECT_EQ(s->YValues()->Value(6), 1.5);
  EXPECT_EQ(s->XValues()->Value(6), 6);
  EXPECT_TRUE(s->YValues()->Modified());
  EXPECT_THROW(s->YValues()->SetValue(7, 1), EListError);
  chart->LeftAxis()->Title()->SetCaption("mS");
  chart->Repaint();
  // Freeing a series first leaves the chart without it; freeing the chart first leaves
  // the series without a chart.
  delete am->BattCompSeries2;
  EXPECT_EQ(chart->SeriesCount(), 1);
  delete chart;
  EXPECT_EQ(am->BattCompSeries1->ParentChart(), nullptr);
}

TEST_F(WindowsTest, SurfaceAsksForEveryValueOfItsGrid) {
  auto graph = Make<TGraph>();
  TSurfaceSeries* s = graph->Series1;
  EXPECT_EQ(s->NumXValues(), 16);
  EXPECT_EQ(s->NumZValues(), 15);
  s->OnGetYValue = [](TChartSeries*, int x, int z) { return x * 100.0 + z; };
  s->CreateValues(16, 32);
  EXPECT_EQ(s->Count(), 16 * 32);
  EXPECT_EQ(s->YValue(s->GridIndex(3, 20)), 320);
  EXPECT_EQ(s->GridIndex(17, 1), -1);  // outside the grid
  s->CreateValues(-1, 4);
  EXPECT_EQ(s->Count(), 0);
}

TEST_F(WindowsTest, NumericSpinStepsWithinItsLimits) {
  auto am = Make<TAdditionalMaps>();
  TAbNumSpin* spin = am->BoostMaxDuty;
  spin->SetIncrement(100.0 / 255);
  spin->SetFormatStr("0.0");
  spin->SetValue(99.9);
  spin->Up();
  EXPECT_EQ(spin->Value(), 100);
  EXPECT_EQ(spin->Text(), "100.0");
  spin->SetValue(-5);
  EXPECT_EQ(spin->Value(), 0);
  spin->Up();
  EXPECT_FLOAT_EQ(spin->Value(), 100.0f / 255);
}

}  // namespace

// The main window's menu commands open their windows at their pages; the load-axis
// commands switch the main tables between throttle and MAP sites.
#include <gtest/gtest.h>

#include "app/ProgramWindowsFixture.h"

#include "chart/Chart.h"
#include "app/Graphs.h"
#include "chart/TeeSurfa.h"
#include "config/Additonl.h"
#include "config/Align.h"
#include "config/DisplayUnits.h"
#include "controls/AdvEdit.h"
#include "controls/AdvSpin.h"
#include "ecu/CommsStats.h"
#include "ecu/IgnAlign.h"
#include "logger/logger.h"
#include "platform/stdctrls/Edits.h"
#include "platform/stdctrls/ExtCtrls.h"
#include "config/LoadSiteAdjU.h"
#include "config/SelectMap.h"
#include "config/SiteEditing.h"
#include "config/SitePos.h"
#include "config/SpeedSiteAdj.h"
#include "config/setup.h"
#include "ecu/Progress.h"
#include "platform/stdctrls/Menus.h"
#include "controls/Aligrid.h"
#include "platform/stdctrls/StdCtrls.h"
#include "platform/stdctrls/Tabs.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/Simulate.h"
#include "platform/streaming/ClassRegistry.h"

namespace {

class MainMenus : public ProgramWindowsTest {
 protected:
  TMenuItem* Item(const char* name) {
    auto* item = dynamic_cast<TMenuItem*>(f_->FindComponent(name));
    EXPECT_NE(item, nullptr) << name;
    return item;
  }
};

TEST_F(MainMenus, TableAndConfigurationCommandsOpenTheirPages) {
  struct Case {
    const char* item;
    bool additional;
    int page;
  };
  const Case cases[] = {{"AccelFuelling1", true, 0},      {"BoostControl1", true, 3},
                        {"IdleAirControl1", true, 9},     {"VVT1", true, 17},
                        {"ECUversioninfo1", false, 0},    {"ThrottlePositionSensor1", false, 8},
                        {"AFRLambdainput1", false, 11},   {"CANdatalink1", false, 19}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.item);
    TMenuItem* item = Item(c.item);
    if (item == nullptr) continue;
    ui::DialogScript script;
    int page = -1;
    bool tabsHidden = false;
    TForm* shown = nullptr;
    script.AnswerForm([&](TForm& form) {
      shown = &form;
      tabsHidden = !f_->TabSet1->Visible();
      page = c.additional ? AdditionalMaps->AdditionalBook->PageIndex() : SetupForm->SetupBook->PageIndex();
      form.SetModalResult(mrOk);
    });
    item->Click();
    EXPECT_EQ(shown, c.additional ? static_cast<TForm*>(AdditionalMaps) : static_cast<TForm*>(SetupForm));
    EXPECT_EQ(page, c.page);
    EXPECT_TRUE(tabsHidden);
    EXPECT_TRUE(f_->TabSet1->Visible());
  }
}

// Every configuration command opens the editor at its page: the tab strip shows the page's
// short name and the window's caption the page's full title.
TEST_F(MainMenus, ConfigurationCommandsShowTheirPageTabAndTitle) {
  struct Case {
    const char* item;
    const char* tab;
    const char* caption;
  };
  const Case cases[] = {
      {"ECUversioninfo1", "ECU version info", "ECU version information"},
      {"CrankCamDistributorsensors1", "Crank/Cam/Distributor", "Distributor / Crank sensor options"},
      {"Ignitionoutputs1", "Ignition outputs", "Ignition output options"},
      {"Injectoroutputs1", "Injection outputs", "Injection output options"},
      {"AirTemperatureSensor1", "Air Temp", "Air temp sensor calibration"},
      {"CoolantTemperatureSensor1", "Coolant Temp", "Coolant temp sensor calibration"},
      {"AuxTemperatureSensor1", "Aux Temp", "Auxillary temp sensor calibration"},
      {"EGTsensor1", "EGT", "EGT temp sensor options"},
      {"ThrottlePositionSensor1", "TPS", "Throttle position sensor calibration"},
      {"MAPSensor1", "MAP", "MAP sensor calibration"},
      {"BAROSensor1", "BARO", "BARO sensor calibration"},
      {"AFRLambdainput1", "AFR/Lambda", "AFR/Lambda input calibration"},
      {"MapSwitching1", "Map Switch", "Map switching options"},
      {"Boostdashcontrol1", "Boost level", "Boost - dash control"},
      {"Idleaircontrolvalve1", "IACV motor", "Idle Air Control Valve Motor options"},
      {"WheelSpeedSensors1", "Wheel Speed Sensors", "Wheel Speed Sensor Settings"},
      {"Inputchannels1", "Inputs", "Input channel configuration"},
      {"Outputchannels1", "Outputs", "Output channel configuration"},
      {"Gearposition1", "Gear position", "Gear position calculation settings"},
      {"CANdatalink1", "CAN datalink", "CAN datalink settings"},
  };
  ASSERT_EQ(SetupForm->TabSet->Tabs()->Count(), 20);
  for (size_t page = 0; page < std::size(cases); ++page) {
    const Case& c = cases[page];
    SCOPED_TRACE(c.item);
    TMenuItem* item = Item(c.item);
    if (item == nullptr) continue;
    EXPECT_EQ(SetupForm->TabSet->Tabs()->Strings(static_cast<int>(page)), c.tab);
    ui::DialogScript script;
    AnsiString caption, tab;
    int shownPage = -1;
    script.AnswerForm([&](TForm& form) {
      shownPage = SetupForm->SetupBook->PageIndex();
      tab = SetupForm->TabSet->Tabs()->Strings(SetupForm->TabSet->TabIndex());
      caption = form.Caption();
      form.SetModalResult(mrOk);
    });
    item->Click();
    EXPECT_EQ(shownPage, static_cast<int>(page));
    EXPECT_EQ(tab, c.tab);
    EXPECT_EQ(caption, c.caption);
  }
}

// Handlers no menu item of the main window names: a form resource (or another program
// part) binding them by name gets the same window and page as their menu command.
TEST_F(MainMenus, HandlersWithoutMenuItemsActAsTheirCommands) {
  struct Case {
    const char* handler;
    const char* command;
  };
  const Case cases[] = {{"ECUconfiguration1Click", "ECUversioninfo1"},
                        {"OxygenSensor1Click", "AFRLambdainput1"},
                        {"AFRInput1Click", "AFRLambdainput1"},
                        {"RoadSpeed1Click", "WheelSpeedSensors1"},
                        {"IACV1Click", "IdleAirControl1"},
                        {"TractionControl1Click", "TractionControl1"}};
  const TStreamClass* cls = FindClass("TR7Tform1");
  ASSERT_NE(cls, nullptr);
  // The window shown and the pages of the configuration and additional-table notebooks.
  auto run = [&](const std::function<void()>& act) {
    ui::DialogScript script;
    std::string seen = "nothing";
    script.AnswerForm([&](TForm& form) {
      seen = std::string(form.ClassName()) + " " + std::to_string(SetupForm->SetupBook->PageIndex()) + " " +
             std::to_string(AdditionalMaps->AdditionalBook->PageIndex());
      form.SetModalResult(mrOk);
    });
    SetupForm->SetupBook->SetPageIndex(5);
    AdditionalMaps->AdditionalBook->SetPageIndex(2);
    act();
    return seen;
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.handler);
    const THandlerInfo* h = cls->FindHandler(c.handler);
    ASSERT_NE(h, nullptr);
    TNotifyEvent handler;
    ASSERT_EQ(h->FunctionType, std::type_index(typeid(TNotifyEvent)));
    h->Make(f_, &handler);
    const std::string byHandler = run([&] { handler(f_); });
    TMenuItem* item = Item(c.command);
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(byHandler, run([&] { item->Click(); }));
    EXPECT_NE(byHandler, "nothing");
  }
}

TEST_F(MainMenus, LoadAxisSwitchesBetweenThrottleAndMAP) {
  TMapRecord& map = MapSlots[1];
  map.LoadOptions = 0x10;
  for (int i = 0; i < 16; ++i) map.MainThrottleSites[i] = static_cast<int16_t>(i * 6);
  f_->PopUpTPS1->SetChecked(false);
  f_->PopUpTPS1Click(nullptr);
  EXPECT_EQ(map.LoadOptions, 0x10);
  EXPECT_TRUE(f_->PopUpTPS1->Checked());
  EXPECT_EQ(f_->ignitiontable->Cells(0, 0), "TPS%");
  EXPECT_EQ(f_->AFRModeTable->Cells(0, 3), "12");
  f_->PopUpMAP1Click(nullptr);
  EXPECT_EQ(map.LoadOptions, 0x11);
  EXPECT_TRUE(f_->PopUpMAP1->Checked());
  EXPECT_FALSE(f_->PopUpTPS1->Checked());
  EXPECT_EQ(f_->injectiontable->Cells(0, 0), "MAP");
}

TEST_F(MainMenus, MapChoiceIsTheEcusWhileLinked) {
  ui::DialogScript script;
  // Linked, the ECU's bank is shown: the list is locked to the current map.
  ECUConnected = true;
  script.AnswerForm([](TForm& form) {
    EXPECT_FALSE(SelectMapForm->SelectedMap->Enabled());
    SelectMapForm->SelectedMap->SetItemIndex(1);
    form.SetModalResult(mrOk);
  });
  f_->SelectMAP1Click(nullptr);
  EXPECT_EQ(CurrentMap, 1);

  ECUConnected = false;
  script.AnswerForm([](TForm& form) {
    SelectMapForm->SelectedMap->SetItemIndex(1);
    form.SetModalResult(mrOk);
  });
  f_->SelectMAP1Click(nullptr);
  EXPECT_EQ(CurrentMap, 2);
}

TEST_F(MainMenus, LoadSiteEditorOpensOnTheAxisInUse) {
  TMapRecord& map = MapSlots[1];
  map.LoadOptions = 1;
  for (int i = 0; i < 16; ++i) map.MainMAPSites[i] = static_cast<int16_t>(100 + i * 10);
  Settings.PressureUnit = 1;
  Settings.ReCalcPos = false;
  ui::DialogScript script;
  bool tabsHidden = false;
  script.AnswerForm([&](TForm& form) {
    tabsHidden = !f_->TabSet1->Visible();
    form.SetModalResult(mrCancel);
  });
  f_->PopUpLoadsitepositions1Click(nullptr);
  EXPECT_TRUE(tabsHidden);
  EXPECT_EQ(SitePosFrm->Tag, 1);
  EXPECT_FALSE(SitePosFrm->ReCalcMaps->Checked());
  EXPECT_EQ(SitePosFrm->SitePosGrid->Cells(2, 0), "New pos\r(Bar)");
  EXPECT_EQ(SitePosFrm->SitePosGrid->Cells(1, 3), "0.20");
  EXPECT_EQ(SiteEditList[2], 120);
  EXPECT_EQ(map.MainMAPSites[2], 120);
}

TEST_F(MainMenus, MapTransfersAreRefusedWithoutTheLink) {
  ECUConnected = false;
  ui::DialogScript script;
  script.Answer(mrOk);
  f_->ReadECUdata1Click(nullptr);
  script.Answer(mrOk);
  f_->ProgramECU1Click(nullptr);
  ASSERT_EQ(script.Shown().size(), 2u);
  for (const ui::DialogRequest& shown : script.Shown()) EXPECT_EQ(shown.Text, kEcuNotConnected);
  EXPECT_EQ(f_->ReadECUdata1->ShortCut(), TextToShortCut("Ctrl+R"));
}

TEST_F(MainMenus, GraphLoggerAndSensorCommandsPrepareTheirWindows) {
  MapSlots[1].HardRevLimit = 7000;
  Settings.SpeedSiteStep = 1000;
  Item("Plotgraph1")->Click();
  EXPECT_TRUE(Graph->Visible());
  EXPECT_EQ(Graph->Chart1->Title()->Text()->Text(), "Ignition Map\r\n");
  // Load sites run along the bottom axis, speed sites into the depth.
  EXPECT_EQ(Graph->Chart1->BottomAxis()->Title()->Caption(), "Load site");
  EXPECT_EQ(Graph->Chart1->DepthAxis()->Title()->Caption(), "Speed Site");
  EXPECT_EQ(Graph->Chart1->LeftAxis()->Title()->Caption(), "Ignition Advance");
  EXPECT_EQ(Graph->Series1->NumXValues(), 16);
  EXPECT_EQ(Graph->Series1->NumZValues(), 9);  // 7000 div 1000 + 2
  Settings.SpeedSiteStep = 2000;
  Item("Plotgraph1")->Click();
  EXPECT_EQ(Graph->Series1->NumZValues(), 8);  // 5, raised to the smallest surface

  Item("DataLogger1")->Click();
  EXPECT_EQ(LoggerForm->LoggerBook->ActivePage(), "Logger");
  EXPECT_EQ(LoggerForm->TabSet->TabIndex(), LoggerForm->LoggerBook->PageIndex());
  EXPECT_EQ(LoggerForm->Caption(), "Data Logger");

  ui::DialogScript script;
  script.AnswerForm([](TForm& form) {
    form.SetModalResult(mrCancel);
    EXPECT_EQ(Alignment->Caption(), "Throttle position sensor setup");
    EXPECT_EQ(Alignment->sensorbox->Caption(), "Throttle-pot number");
    const AnsiString info = Alignment->alignment_info->Text();
    EXPECT_NE(info.find("Ensure that the throttle has full travel and the pot is operating correctly"),
              AnsiString::npos);
    EXPECT_NE(info.find("Select OK to proceed"), AnsiString::npos);
  });
  Item("ThrottlePositionSensor2")->Click();
  EXPECT_EQ(script.Count(ui::DialogKind::ModalForm), 1);

  // Without a port the poll cannot go out; the fields are disabled before it is sent.
  try {
    Item("Ignitionalignment1")->Click();
  } catch (const Exception&) {
  }
  EXPECT_FALSE(IgnAlignForm->ReferenceAdvance->Enabled());
  EXPECT_FALSE(IgnAlignForm->LockAdvance->Enabled());
}

// Every window of the program shows its caption from the first time it is shown.
TEST_F(MainMenus, EveryWindowCarriesItsCaptionFromTheFirstShow) {
  for (int i = 0; i < Screen->FormCount(); ++i) {
    TForm* form = Screen->Forms(i);
    if (form == f_) continue;  // its first show opens the port
    SCOPED_TRACE(form->ClassName());
    form->Show();
    EXPECT_EQ(ui::WindowTitle(form), form->Caption());
    form->Hide();
  }
}

TEST_F(MainMenus, CommsStatisticsResetZeroesTheCounters) {
  PacketCountsA = {3, 4, 5, 6};
  PacketCountsB = {7, 8, 9, 10};
  CommsForm->FastTotal->SetCaption("12");
  CommsForm->Button1->Click();
  EXPECT_EQ(PacketCountsA, (std::array<int32_t, 4>{}));
  EXPECT_EQ(PacketCountsB, (std::array<int32_t, 4>{}));
  EXPECT_EQ(CommsForm->FastTotal->Caption(), "0");
}

TEST_F(MainMenus, DisplayUnitsAndThrottleSetupShowTheSettingsRead) {
  ui::DialogScript script;
  ShowMainWindow(script,
                 "[Units]\nTemperature=1\nPressure=2\nSpeed=1\n"
                 "[Main]\nAutoIdlePotUpdate=1\nAutoIdlePotNum=12\nAutoCutPotNum=9\nAutoSetMaps=1\n");
  script.AnswerForm([](TForm& form) {
    EXPECT_EQ(UnitsForm->UnitsTemperature->ItemIndex(), 1);
    EXPECT_EQ(UnitsForm->UnitsPressure->ItemIndex(), 2);
    EXPECT_EQ(UnitsForm->UnitsSpeed->ItemIndex(), 1);
    EXPECT_EQ(UnitsForm->UnitsDistance->ItemIndex(), 0);
    form.SetModalResult(mrCancel);
  });
  Item("Displayunits1")->Click();
  EXPECT_TRUE(Alignment->AutoIdlePotNum->Checked());
  EXPECT_TRUE(Alignment->IdlePotNumOffset->Enabled());
  EXPECT_EQ(Alignment->IdlePotNumOffset->Value(), 12);
  EXPECT_FALSE(Alignment->AutoCutPotNum->Checked());
  EXPECT_FALSE(Alignment->CutPotNumOffset->Enabled());
  EXPECT_EQ(Alignment->CutPotNumOffset->Value(), 9);
  EXPECT_EQ(Alignment->ComboBox1->ItemIndex(), 1);
}

}  // namespace

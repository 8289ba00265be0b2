// Start-up of the whole program offscreen: the 32 windows in their order, the main
// window's first activation (settings, default map in all three slots, channel selectors,
// serial port choice), later activations, the link watchdog and the close query.
#include <gtest/gtest.h>

#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/Main.h"
#include "config/Additonl.h"
#include "model/MapRecord.h"
#include "model/Settings.h"
#include "controls/Aligrid.h"
#include "link/LiveData.h"
#include "gauges/AbBar.h"
#include "logger/logger.h"
#include "platform/stdctrls/ExtCtrls.h"
#include "platform/stdctrls/StdCtrls.h"
#include "platform/stdctrls/Tabs.h"
#include "platform/classes/IniFiles.h"
#include "platform/ui/Application.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/Timer.h"

namespace {

int16_t WordAt(int n, size_t offset) {
  int16_t v;
  std::memcpy(&v, MapSlots[n].Bytes() + offset, 2);
  return v;
}

class Startup : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    Application->Initialize();
  }

  void SetUp() override {
    Settings = TSettingsRecord{};
    LoggerSettings = TLoggerSettings{};
    ECUConnected = false;
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    ini_ = (std::filesystem::temp_directory_path() /
            ("mainwin-" + std::to_string(getpid()) + "-" + info->name() + ".ini")).string();
    std::filesystem::remove(ini_);
  }

  void TearDown() override {
    for (int i = Screen->FormCount(); i-- > 0;) delete Screen->Forms(i);
    Application->ProcessMessages();
    std::filesystem::remove(ini_);
    for (const std::string& name : env_) unsetenv(name.c_str());
    if (pty_master_ >= 0) close(pty_master_);
    if (pty_slave_ >= 0) close(pty_slave_);
  }

  void WriteIni(const std::string& text) { std::ofstream(ini_) << text; }

  void CreateForms() {
    CreateProgramForms();
    R7Tform1->SettingsFileName = ini_;
  }

  // Maps COM`n` to `path` for this test.
  void MapPort(int n, const std::string& path) {
    env_.push_back("CORVANEQ5_COM" + std::to_string(n));
    setenv(env_.back().c_str(), path.c_str(), 1);
  }

  // A pseudo-terminal that the port can really open, as COM`n`.
  void MapWorkingPort(int n) {
    char name[128];
    ASSERT_EQ(openpty(&pty_master_, &pty_slave_, name, nullptr, nullptr), 0);
    MapPort(n, name);
  }

  // Scripts the port chooser: `port` chosen (0 = Cancel).
  static void ChoosePort(ui::DialogScript& script, int port) {
    script.AnswerForm([port](TForm& f) {
      if (port) Settings.CommsPort = port;
      f.SetModalResult(port ? mrOk : mrCancel);
    });
  }

  // First activation, the port chooser cancelled.
  void StartWithoutPort() {
    ChoosePort(script, 0);
    script.Answer(mrOk);  // "No port selected, ..."
    R7Tform1->Show();
  }

  // The tuner ticks the logger's "Enabled" box.
  static void EnableLogger(bool on = true) {
    LoggerForm->StartRecording->SetChecked(on);
    LoggerForm->StartRecordingClick(LoggerForm->StartRecording);
  }

  ui::DialogScript script;
  std::string ini_;
  std::vector<std::string> env_;
  int pty_master_ = -1, pty_slave_ = -1;
};

TEST_F(Startup, FormsAreCreatedInStartupOrder) {
  CreateForms();
  const std::vector<std::string> expected = {
      "TR7Tform1",        "Tinsertdata",   "TCommsProgress", "TAlignment",     "Tmap_function",
      "TAboutBox",        "TDiagForm",     "TAdditionalMaps", "TSetupForm",    "TIgnAlignForm",
      "TFlashUpdateForm", "TLoggerForm",   "TDlgPw",         "TLoadSiteAdj",   "TAuxTableForm",
      "TLoggerExportForm", "TSitePosFrm",  "TGraph",         "TInterpBlock",   "TTC_form",
      "TTCSetupForm",     "TMapLockForm",  "TSpeedSiteForm", "TSelectPort",    "TTempCalc",
      "TUnitsForm",       "TCommsForm",    "TImmobForm",     "TSelectMapForm", "TConfigSaveCommentsForm",
      "TForm1",           "TForm2"};
  std::vector<std::string> created;
  for (int i = 0; i < Screen->FormCount(); ++i) created.push_back(Screen->Forms(i)->ClassName());
  EXPECT_EQ(created, expected);
  EXPECT_EQ(Application->MainForm(), R7Tform1);
  EXPECT_FALSE(MainWindowActivated);
  EXPECT_EQ(script.Shown().size(), 0u);  // nothing asked before the first activation
}

TEST_F(Startup, FirstActivationWritesTheDefaultMapIntoAllSlots) {
  CreateForms();
  MapSlots[2].Clear();
  MapSlots[3].Clear();
  StartWithoutPort();
  ASSERT_TRUE(MainWindowActivated);
  // The logger's automatic trigger sleeps until the logger is enabled, and again after.
  EXPECT_FALSE(R7Tform1->Timer2->Enabled());
  EnableLogger();
  EXPECT_TRUE(R7Tform1->Timer2->Enabled());
  EnableLogger(false);
  EXPECT_FALSE(R7Tform1->Timer2->Enabled());

  // One field of each default step (the steps' full contents are covered with the map
  // record): speed sites and boost limits, MSPB, BARO pressures, boost loads, MAP load
  // sites, battery compensation, idle mode and shift type.
  EXPECT_EQ(WordAt(1, 14092), 500);
  EXPECT_EQ(WordAt(1, 7448), 255);
  EXPECT_EQ(MapSlots[1].Bytes()[16924], 61);
  EXPECT_EQ(WordAt(1, 17740), 1000);
  const int16_t loads[5] = {0, 25, 50, 75, 100};
  for (int i = 0; i < 5; ++i) EXPECT_EQ(WordAt(1, 14158 + 2 * i), loads[i]);
  EXPECT_EQ(WordAt(1, 14052), 100);
  EXPECT_EQ(WordAt(1, 16636), 118);  // round(9 x 0.16 / 0.0122079)
  EXPECT_EQ(WordAt(1, 16654), 0);
  EXPECT_EQ(MapSlots[1].Bytes()[16676], 1);
  EXPECT_EQ(WordAt(1, 16836), 2);
  EXPECT_EQ(MapSlots[1].Bytes()[16944], 0);

  EXPECT_EQ(std::memcmp(MapSlots[1].Bytes(), MapSlots[2].Bytes(), kMapRecordSize), 0);
  EXPECT_EQ(std::memcmp(MapSlots[1].Bytes(), MapSlots[3].Bytes(), kMapRecordSize), 0);
  EXPECT_EQ(ECUMSPB, 61);
  EXPECT_EQ(ECUActiveMap, 1);
  EXPECT_EQ(LiveSpeedFraction, 127);
}

TEST_F(Startup, FirstActivationShapesTheMainGridsAndSelectors) {
  CreateForms();
  StartWithoutPort();
  TStringAlignGrid* ign = R7Tform1->ignitiontable;
  EXPECT_EQ(ign->ColCount(), 34);
  EXPECT_EQ(ign->RowCount(), 17);
  EXPECT_EQ(ign->Cells(1, 1), "0");
  EXPECT_EQ(ign->Cells(1, 16), "15");
  EXPECT_EQ(ign->HintCell(2, 1), "Load site 0, Speed site 0");
  EXPECT_EQ(ign->HintCell(33, 16), "Load site 15, Speed site 31");
  EXPECT_EQ(ign->Cells(3, 0), "500");
  EXPECT_EQ(R7Tform1->TabSet1->Tabs()->Count(), 8);
  EXPECT_EQ(R7Tform1->TabSet1->Tabs()->Strings(7), "Live adjustments");
  EXPECT_FALSE(R7Tform1->BoxBar1->Visible());

  EXPECT_EQ(R7Tform1->User1Selection->Items()->Count(), 51);
  EXPECT_EQ(R7Tform1->User2Selection->ItemIndex(), 15);
  EXPECT_EQ(R7Tform1->Panel9->Caption(), "Aux PWM: ");
  EXPECT_EQ(R7Tform1->Panel10->Caption(), "BoostPWM: ");
  EXPECT_EQ(R7Tform1->Panel12->Caption(), "Engine Speed: ");
  EXPECT_EQ(R7Tform1->timepanel->Caption().size(), 5u);

  // The cylinder trims show their channels and all five trim columns without scrolling sideways.
  TStringAlignGrid* trims = AdditionalMaps->CylTrims_table;
  EXPECT_EQ(trims->Cells(0, 1), "Ign 1");
  EXPECT_EQ(trims->Cells(0, 16), "Inj 8");
  int columns = 0;
  for (int c = 0; c < trims->ColCount(); ++c) columns += trims->ColWidths(c) + trims->GridLineWidth();
  EXPECT_GE(trims->ClientWidth(), columns);
}

TEST_F(Startup, SpeedSiteStepComesFromTheSettingsFile) {
  struct Case {
    const char* value;
    int site2, site32;
  };
  // A step of 0 or below would repeat one site and later divide by zero: the default.
  for (const Case& c : {Case{"250", 750, 8250}, Case{"0", 1000, 16000}, Case{"-3", 1000, 16000}}) {
    SCOPED_TRACE(c.value);
    WriteIni(std::string("[Main]\nSpeed Sites=") + c.value + "\n");
    CreateForms();
    StartWithoutPort();
    EXPECT_EQ(WordAt(1, 14090 + 2 * 2), c.site2);
    EXPECT_EQ(WordAt(1, 14090 + 2 * 32), c.site32);
    EXPECT_EQ(SpeedSiteList[32], c.site32);
    for (int i = Screen->FormCount(); i-- > 0;) delete Screen->Forms(i);
  }
}

TEST_F(Startup, AutoOffOffersTheChooserAndLeavesThePortClosed) {
  CreateForms();
  StartWithoutPort();
  EXPECT_EQ(script.Count(ui::DialogKind::ModalForm), 1);
  EXPECT_EQ(script.Last().Text, kNoPortSelected);
  EXPECT_EQ(script.Pending(), 0u);
}

TEST_F(Startup, AutoOnWithAPortThatFailsShowsNoErrorAndIsSavedOff) {
  WriteIni("[Comms]\nAuto=1\nPort=58\n");
  MapPort(58, "/nonexistent/mainwin-port");
  CreateForms();
  StartWithoutPort();
  // Only the chooser and its "no port" note: the failed open showed nothing.
  ASSERT_EQ(script.Shown().size(), 2u);
  EXPECT_EQ(script.Shown()[0].Kind, ui::DialogKind::ModalForm);
  EXPECT_FALSE(Settings.CommsAuto);

  script.Answer(mrOk);  // the exit question
  EXPECT_TRUE(R7Tform1->CloseQuery());
  std::ifstream in(ini_);
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_NE(text.find("Auto=0"), std::string::npos);
}

TEST_F(Startup, AutoOnWithAWorkingPortOpensItWithoutAsking) {
  MapWorkingPort(57);
  WriteIni("[Comms]\nAuto=1\nPort=57\n");
  CreateForms();
  R7Tform1->Show();
  EXPECT_EQ(script.Shown().size(), 0u);
  EXPECT_TRUE(Settings.CommsAuto);
  script.Answer(mrOk);
  EXPECT_TRUE(R7Tform1->CloseQuery());
}

TEST_F(Startup, ChooserOkOpensTheChosenPortOrRefusesAMissingOne) {
  MapWorkingPort(56);
  CreateForms();
  StartWithoutPort();
  ChoosePort(script, 56);
  R7Tform1->SelectComPort();
  EXPECT_EQ(script.Pending(), 0u);  // no "no port" note

  // COM55 names no device: OK is refused like Cancel and the port stays closed.
  ChoosePort(script, 55);
  script.Answer(mrOk);
  R7Tform1->SelectComPort();
  EXPECT_EQ(script.Last().Text, kNoPortSelected);
  EXPECT_EQ(script.Pending(), 0u);
}

TEST_F(Startup, LaterActivationsOnlySwitchTimer2On) {
  CreateForms();
  StartWithoutPort();
  EnableLogger();
  const size_t shown = script.Shown().size();
  MapSlots[1].Bytes()[100] ^= 0x5A;
  const uint8_t changed = MapSlots[1].Bytes()[100];
  Settings.SpeedSiteStep = 321;
  R7Tform1->Timer2->SetEnabled(false);

  Screen->SetActiveForm(nullptr);
  Screen->SetActiveForm(R7Tform1);
  EXPECT_TRUE(R7Tform1->Timer2->Enabled());
  EXPECT_EQ(MapSlots[1].Bytes()[100], changed);
  EXPECT_EQ(Settings.SpeedSiteStep, 321);
  EXPECT_EQ(script.Shown().size(), shown);  // no second port question
}

TEST_F(Startup, CloseQueryCancelChangesNothingAndOkSavesTheSettings) {
  CreateForms();
  StartWithoutPort();
  EnableLogger();
  script.Answer(mrCancel);
  EXPECT_FALSE(R7Tform1->CloseQuery());
  EXPECT_EQ(script.Last().Text, kExitQuestion);
  EXPECT_TRUE(R7Tform1->Timer1->Enabled());
  EXPECT_TRUE(R7Tform1->Timer2->Enabled());
  EXPECT_FALSE(std::filesystem::exists(ini_));

  LoggerSettings.StartValue = 95.5;
  script.Answer(mrOk);
  EXPECT_TRUE(R7Tform1->CloseQuery());
  EXPECT_FALSE(R7Tform1->Timer1->Enabled());
  EXPECT_FALSE(R7Tform1->Timer2->Enabled());
  LoggerSettings = TLoggerSettings{};
  ReadSettingsFile(ini_);
  EXPECT_DOUBLE_EQ(LoggerSettings.StartValue, 95.5);
}

TEST_F(Startup, CloseQueryKeepsTheWindowOpenWhenTheSettingsCannotBeWritten) {
  CreateForms();
  StartWithoutPort();
  EnableLogger();
  R7Tform1->SettingsFileName = "/nonexistent/mainwin-dir/R7TQ5.ini";
  script.Answer(mrOk);  // the exit question
  script.Answer(mrOk);  // the write error
  EXPECT_FALSE(R7Tform1->CloseQuery());
  EXPECT_TRUE(R7Tform1->Timer2->Enabled());
  EXPECT_EQ(script.Pending(), 0u);
}

TEST_F(Startup, OversizedSettingsFileIsReportedUsedAsDefaultsAndKept) {
  const std::string big = "[Main]\nSpeed Sites=250\n" + std::string(kMaxIniFileSize, ';');
  WriteIni(big);
  CreateForms();
  script.Answer(mrOk);  // the settings warning
  StartWithoutPort();
  ASSERT_GE(script.Shown().size(), 1u);
  EXPECT_EQ(script.Shown()[0].Kind, ui::DialogKind::MessageDlg);
  EXPECT_NE(script.Shown()[0].Text.find("larger than 1 MiB"), AnsiString::npos) << script.Shown()[0].Text;
  EXPECT_EQ(Settings.SpeedSiteStep, 500);
  script.Answer(mrOk);  // the exit question
  EXPECT_TRUE(R7Tform1->CloseQuery());  // closes without writing over the file
  std::ifstream in(ini_);
  EXPECT_EQ(std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>()), big);
}

// The real program on the offscreen platform, with no port stored: its first question has
// nobody to answer it, so it says so on standard error and ends, having written nothing.
TEST(ProgramStart, OffscreenWithoutAStoredPortExitsWithItsMessage) {
  char tmpl[] = "/tmp/cq5-start-XXXXXX";
  const std::string home = mkdtemp(tmpl);
  const std::string err = home + "/stderr.txt";
  const std::string command = "env QT_QPA_PLATFORM=offscreen XDG_CONFIG_HOME='" + home + "/config' '" CQ5_PROGRAM
                              "' </dev/null >/dev/null 2>'" + err + "'";
  const int status = std::system(command.c_str());
  ASSERT_TRUE(WIFEXITED(status)) << "the program died of a signal: " << status;
  EXPECT_EQ(WEXITSTATUS(status), 1);
  std::ifstream in(err);
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_NE(text.find("corvaneq5: cannot run without a display that can show its windows: "), std::string::npos)
      << text;
  EXPECT_NE(text.find("Select Port"), std::string::npos) << text;
  EXPECT_FALSE(std::filesystem::exists(home + "/config"));
  std::filesystem::remove_all(home);
}

TEST_F(Startup, WatchdogDropsTheLinkOnlyForItsOwnTrigger) {
  CreateForms();
  StartWithoutPort();
  LinkWatchdogHandle = 7;
  ECUConnected = true;
  ECUMapsLocked = true;
  LiveCellValue[3] = 99;
  LiveCellTrim[4] = 5;
  LiveSpeedSite = 12;

  R7Tform1->commsTriggerTimer(nullptr, 8);  // another trigger of the port
  EXPECT_TRUE(ECUConnected);

  R7Tform1->commsTriggerTimer(nullptr, 7);
  EXPECT_FALSE(ECUConnected);
  EXPECT_FALSE(ECUMapsLocked);
  EXPECT_EQ(LiveCellValue[3], 0);
  EXPECT_EQ(LiveCellTrim[4], 0);
  EXPECT_EQ(LiveSpeedSite, 0);
  EXPECT_EQ(R7Tform1->StatusPanel->Caption(), "Status - No ECU link");
}

}  // namespace

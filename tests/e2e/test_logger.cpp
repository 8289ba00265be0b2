// The data logger against the simulated ECU, as a tuner uses it: the automatic trigger
// logs about a minute of the engine warming up, the log is saved through the logger's
// "Data" menu, the program is closed and started again, and the log loaded back holds
// the same records and channels.
#include <algorithm>
#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "e2e/MainWindowLink.h"
#include "gauges/AbLED.h"
#include "logger/AbTrend.h"
#include "logger/logger.h"
#include "platform/stdctrls/Menus.h"
#include "platform/stdctrls/StdCtrls.h"

namespace e2e {
namespace {

constexpr int kCom = 44;

// Ten times the ECU's cadence: a fast packet every 10 ms, so the 600 fast packets of a
// minute of live data arrive in about six seconds.
ecusim::Timing Quick() {
  ecusim::Timing t;
  t.fastIntervalMs = 10;
  t.slowIntervalMs = 50;
  return t;
}

class LoggerLink : public MainWindowLink {
 protected:
  LoggerLink() : MainWindowLink(kCom, Quick()) {}

  void Prepare(ecusim::Ecu& e) override { e.State().slow.coolantTemp = 20; }

  // The engine warms up at ten times its pace (5 degC a second instead of 0.5) while its
  // speed sweeps 800..3800 rpm every three seconds.
  void RunEngine(std::chrono::steady_clock::time_point start) {
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
    sim.With([&](ecusim::Ecu& e) {
      e.State().slow.coolantTemp = static_cast<int>(std::min<int64_t>(20 + ms / 200, 88));
      e.State().fast.rpm = static_cast<std::uint16_t>(800 + ms % 3000);
    });
  }

  // Channel 1 is the coolant; logging starts above 30 degC and stops above 59 degC: about
  // a minute of the engine warming up is logged.
  std::string IniText() override {
    return MainWindowLink::IniText() +
           "[Logger]\nCh1Lab=19\nCh2Lab=20\nEnabled=1\n"
           "[LoggerStart]\nChan=1\nOption=0\nValue=30\n"
           "[LoggerStop]\nChan=1\nOption=0\nValue=59\n";
  }

  void TearDown() override {
    MainWindowLink::TearDown();
    std::filesystem::remove_all(dir_);
    LoggingActive = false;
    LogNewDataShown = false;
    LoggerCaption = "Data Logger";
    LoggerSettings = TLoggerSettings();
  }

  void Menu(const char* item) { static_cast<TMenuItem*>(LoggerForm->FindComponent(item))->Click(); }

  std::filesystem::path dir_ = std::filesystem::temp_directory_path() / ("e2e-logger-" + std::to_string(getpid()));
};

TEST_F(LoggerLink, TriggeredLogSavedAndLoadedAfterARestart) {
  std::filesystem::create_directories(dir_);
  ASSERT_TRUE(LinkUp());
  const auto start = std::chrono::steady_clock::now();
  ASSERT_TRUE(PumpUntil([&] {
    RunEngine(start);
    return LoggingActive;
  })) << "the start trigger never fired";
  EXPECT_TRUE(f_->TimeLogLED->Checked());
  ASSERT_TRUE(PumpUntil([&] {
    RunEngine(start);
    return !LoggingActive;
  })) << "the stop trigger never fired";
  EXPECT_FALSE(LoggerForm->DataPlotter->StartRecording());
  EXPECT_EQ(LoggerForm->Caption(), "Data Logger ...New Data!");

  const std::vector<TTrendRecord> logged = LoggerForm->DataPlotter->Records();
  // A record per fast packet: about 580 over the minute (fewer when the machine is busy).
  ASSERT_GT(logged.size(), 400u);
  // Coolant stored above -30 degC: from just over 30 degC to 59 degC, never down.
  EXPECT_GE(logged.front().Values[0], 60);
  EXPECT_GE(logged.back().Values[0], 88);
  EXPECT_LE(logged.back().Values[0], 90);
  for (size_t i = 1; i < logged.size(); ++i) {
    EXPECT_GE(logged[i].Values[0], logged[i - 1].Values[0]);
    EXPECT_GE(logged[i].Time, logged[i - 1].Time);
  }
  // Engine speed in rpm.
  EXPECT_GE(logged.back().Values[1], 800);

  const std::string file = (dir_ / "warmup.lg1").string();
  script.AnswerFile(file.c_str());
  Menu("Savetofile1");
  ASSERT_TRUE(std::filesystem::exists(file));
  ASSERT_TRUE(std::filesystem::exists((dir_ / "warmup.lg2").string()));

  // The program closes and starts again, with the settings it wrote at exit.
  script.Answer(mrOk);
  ASSERT_TRUE(f_->CloseQuery());
  DestroyWindows();
  LoggerSettings = TLoggerSettings();
  CreateProgramForms();
  f_ = R7Tform1;
  f_->SettingsFileName = ini_;
  f_->Show();
  ASSERT_TRUE(LinkUp());
  LoggerForm->StartRecording->SetChecked(false);  // no new logging while loading
  EXPECT_EQ(LoggerForm->DataPlotter->RecordCount(), 0);

  script.AnswerFile(file.c_str());
  Menu("LoadLogfile1");
  EXPECT_EQ(LoggerForm->DataPlotter->Records(), logged);
  EXPECT_EQ(LoggerForm->Chan1Lab->ItemIndex(), 19);
  EXPECT_EQ(LoggerForm->Chan2Lab->ItemIndex(), 20);
  EXPECT_EQ(LoggerForm->Caption(), ("Data log - " + (dir_ / "warmup.lg2").string()).c_str());
  EXPECT_EQ(script.Pending(), 0u);
}

}  // namespace
}  // namespace e2e

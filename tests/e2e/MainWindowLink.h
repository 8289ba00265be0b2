#pragma once
// The program's real main window, made by the program's own start-up (all its windows in
// their order), linked to the simulated ECU through the saved port: the settings file says
// "open COM<n> at start", and COM<n> is pointed at the simulator's terminal. Tests drive it
// as a tuner does (menu commands, keys, buttons) and answer its dialogs from a script.
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "app/Main.h"
#include "model/MapRecord.h"
#include "model/Settings.h"
#include "model/ConfigBlock.h"
#include "e2e/EcuLink.h"
#include "link/LiveData.h"
#include "ecu/MapLock.h"
#include "ecu/Progress.h"
#include "ecusim/PtyEcu.h"
#include "platform/ui/Application.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/Forms.h"

namespace e2e {

class MainWindowLink : public ::testing::Test {
 protected:
  // `com` is the saved port, within the settings' COM1..COM64.
  explicit MainWindowLink(int com, const ecusim::Timing& timing = {}) : com_(com), sim(timing) {}

  static void SetUpTestSuite() {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    Application->Initialize();
  }

  void SetUp() override {
    savedSlots_ = std::make_unique<TMapSlots>(MapSlots);
    savedMap_ = CurrentMap;
    savedSettings_ = Settings;
    savedConfig_ = ConfigBlock;
    ecu::ZeroLiveRawValues();
    ECUConnected = ECUImmobilised = ECUMapsLocked = LoggingActive = false;
    FlashState = 0;

    sim.With([this](ecusim::Ecu& e) { Prepare(e); });
    sim.Start();
    sim.ExportAsComPort(com_);

    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    ini_ = (std::filesystem::temp_directory_path() /
            ("e2e-main-" + std::to_string(getpid()) + "-" + info->name() + ".ini")).string();
    std::ofstream(ini_) << IniText();
    CreateProgramForms();
    f_ = R7Tform1;
    f_->SettingsFileName = ini_;
    BeforeShow();
    f_->Show();
  }

  void TearDown() override {
    // The program's own close: the exit question answered OK, the link shut down.
    if (f_ != nullptr) {
      script.Answer(mrOk);
      EXPECT_TRUE(f_->CloseQuery());
    }
    DestroyWindows();
    unsetenv(("CORVANEQ5_COM" + std::to_string(com_)).c_str());
    sim.Stop();
    std::filesystem::remove(ini_);

    MapSlots = *savedSlots_;
    CurrentMap = savedMap_;
    Settings = savedSettings_;
    ConfigBlock = savedConfig_;
    MapBoxItem1 = 1;
    MapBoxItem2 = 2;
    LiveCellTrim.fill(0);
    LiveEditMarks = 0;
    ecu::ZeroLiveRawValues();
    ECUConnected = ECUImmobilised = ECUMapsLocked = false;
    ECUActiveMap = 1;
    MapReadNumber = MapReadRemaining = 0;
    ecu::ClearMapReadCollector();
  }

  // Every window of the run, and the globals other tests of this program reach them by.
  void DestroyWindows() {
    for (int i = Screen->FormCount(); i-- > 0;) delete Screen->Forms(i);
    Application->ProcessMessages();
    R7Tform1 = nullptr;
    CommsProgress = nullptr;
    MapLockForm = nullptr;
    f_ = nullptr;
  }

  // The settings file the program starts with.
  virtual std::string IniText() { return "[Comms]\nAuto=1\nPort=" + std::to_string(com_) + "\n"; }
  // Sets up the simulated ECU before it starts.
  virtual void Prepare(ecusim::Ecu&) {}
  // Runs after the windows exist, before the main window's first show opens the port.
  virtual void BeforeShow() {}

  bool LinkUp() { return PumpUntil([] { return ECUConnected; }); }

  int com_;
  ecusim::PtyEcu sim;
  ui::DialogScript script;
  TR7Tform1* f_ = nullptr;
  std::string ini_;

 private:
  std::unique_ptr<TMapSlots> savedSlots_;
  int32_t savedMap_ = 1;
  TSettingsRecord savedSettings_;
  TConfigBlock savedConfig_;
};

}  // namespace e2e

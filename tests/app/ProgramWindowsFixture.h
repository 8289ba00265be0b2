#pragma once
// A test case with the program's 32 windows created as at start-up (the main window as
// `f_`), the current map set to slot 1, and the map slots, settings and link state put
// back afterwards, so cases running in one process leave nothing behind.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "app/Main.h"
#include "app/MainWindows.h"
#include "model/MapRecord.h"
#include "model/Settings.h"
#include "link/LiveData.h"
#include "platform/ui/Application.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/Forms.h"

class ProgramWindowsTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    Application->Initialize();
  }

  void SetUp() override {
    saved_slots_ = std::make_unique<TMapSlots>(MapSlots);
    saved_settings_ = Settings;
    saved_map_ = CurrentMap;
    CurrentMap = 1;
    BeforeWindows();
    CreateProgramForms();
    f_ = R7Tform1;
  }

  void TearDown() override {
    for (int i = Screen->FormCount(); i-- > 0;) delete Screen->Forms(i);
    Application->ProcessMessages();
    MapSlots = *saved_slots_;
    Settings = saved_settings_;
    CurrentMap = saved_map_;
    ECUConnected = false;
  }

  // Runs after the state is saved and before the windows are made.
  virtual void BeforeWindows() {}

  // Shows the main window as at start-up, reading a settings file that holds `ini`; its
  // first activation asks for a port, and none is chosen. Dialogs after that are
  // answered by `script`.
  void ShowMainWindow(ui::DialogScript& script, const std::string& ini = "") {
    const auto file = std::filesystem::temp_directory_path() / ("main-window-" + std::to_string(getpid()) + ".ini");
    std::filesystem::remove(file);
    if (!ini.empty()) std::ofstream(file) << ini;
    f_->SettingsFileName = file.string();
    script.AnswerForm([](TForm& form) { form.SetModalResult(mrCancel); });
    script.Answer(mrOk);
    f_->Show();
    Application->ProcessMessages();
  }

  TR7Tform1* f_ = nullptr;

 private:
  std::unique_ptr<TMapSlots> saved_slots_;
  TSettingsRecord saved_settings_;
  int32_t saved_map_ = 1;
};

// The same, with a scratch folder of its own for the files a case writes and reads.
class ProgramWindowsInFolderTest : public ProgramWindowsTest {
 protected:
  explicit ProgramWindowsInFolderTest(const char* folder) : folder_(folder) {}
  void SetUp() override {
    ProgramWindowsTest::SetUp();
    dir_ = std::filesystem::temp_directory_path() / (folder_ + "-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir_);
  }
  void TearDown() override {
    ProgramWindowsTest::TearDown();
    std::filesystem::remove_all(dir_);
  }
  std::string File(const char* name) const { return (dir_ / name).string(); }
  std::filesystem::path dir_;

 private:
  std::string folder_;
};

#pragma once
// The main window linked to the simulated ECU, with a scratch folder for configuration files
// and the editor's menu and status at hand: the base of the configuration editor's
// end-to-end tests. The configuration globals are put back after each test.
#include <unistd.h>

#include <filesystem>
#include <string>

#include "config/setup.h"
#include "e2e/MainWindowLink.h"
#include "model/ConfigBlock.h"
#include "platform/stdctrls/Menus.h"

namespace e2e {

class ConfigEditorLink : public MainWindowLink {
 protected:
  ConfigEditorLink(int com, const char* folder) : MainWindowLink(com), folder_(folder) {}

  void SetUp() override {
    MainWindowLink::SetUp();
    dir_ = std::filesystem::temp_directory_path() / (folder_ + std::to_string(getpid()));
    std::filesystem::create_directories(dir_);
  }
  void TearDown() override {
    MainWindowLink::TearDown();
    std::filesystem::remove_all(dir_);
    ConfigReadCopy = ConfigBlock;
    ConfigBlockUnsent = false;
  }
  std::string File(const char* name) const { return (dir_ / name).string(); }
  TMenuItem* Menu(const char* name) { return dynamic_cast<TMenuItem*>(SetupForm->FindComponent(name)); }
  bool StatusIs(const char* text) {
    return PumpUntil([&] { return SetupForm->StatusText() == text; });
  }

  std::filesystem::path dir_;

 private:
  std::string folder_;
};

}  // namespace e2e

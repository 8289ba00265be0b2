// The main window's plain save dialog, as the tuner meets it from the configuration
// editor's "save to disk" and the logger's "Save to file": each command prepares it with its
// own file kind and folder, it shows without the map-file options panel, and the command
// writes the file chosen in it.
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <string>

#include "app/Main.h"
#include "config/ConfigComments.h"
#include "config/setup.h"
#include "e2e/MainWindowLink.h"
#include "logger/logger.h"
#include "model/Settings.h"
#include "platform/stdctrls/Edits.h"
#include "platform/stdctrls/FileDialogs.h"
#include "platform/stdctrls/Menus.h"

namespace e2e {
namespace {

namespace fs = std::filesystem;

class SaveDialog : public MainWindowLink {
 protected:
  SaveDialog() : MainWindowLink(29) {}

  void SetUp() override {
    MainWindowLink::SetUp();
    dir_ = fs::temp_directory_path() / ("e2e-save-" + std::to_string(getpid()));
    fs::create_directories(dir_);
    Settings.MapPath = (dir_.string() + "/").c_str();
    Settings.LogPath = (dir_.string() + "/logs/").c_str();
  }
  void TearDown() override {
    MainWindowLink::TearDown();
    fs::remove_all(dir_);
  }

  fs::path dir_;
};

TEST_F(SaveDialog, ConfigurationAndLogSavesUseThePlainDialog) {
  ASSERT_TRUE(LinkUp());
  const std::string q05 = (dir_ / "track.q05").string(), lg1 = (dir_ / "warmup.lg1").string();
  struct Case {
    const char* what;
    std::function<void()> command;
    std::string file;
    const char *filter, *ext;
    AnsiString folder;
  };
  const Case cases[] = {
      {"configuration",
       [&] {
         script.AnswerForm([&](TForm&) {
           script.AnswerFile(q05.c_str()).AnswerForm([](TForm& form) {
             ConfigSaveCommentsForm->Memo1->SetText("Track");
             form.SetModalResult(mrOk);
           });
           dynamic_cast<TMenuItem*>(SetupForm->FindComponent("Saveconfigurationtodisk1"))->Click();
           dynamic_cast<TMenuItem*>(SetupForm->FindComponent("Exittomappingsoftware1"))->Click();
         });
         dynamic_cast<TMenuItem*>(f_->FindComponent("ECUversioninfo1"))->Click();
       },
       q05, "Q5 ECU config files|*.q05", "q05", Settings.MapPath},
      {"log",
       [&] {
         script.AnswerFile(lg1.c_str());
         dynamic_cast<TMenuItem*>(LoggerForm->FindComponent("Savetofile1"))->Click();
       },
       lg1, "R7T log files|*.lg1", "lg1", Settings.LogPath},
  };
  for (const Case& c : cases) {
    const size_t before = script.Shown().size();
    c.command();
    const ui::DialogRequest* dialog = nullptr;
    for (size_t i = before; i < script.Shown().size(); ++i)
      if (script.Shown()[i].Kind == ui::DialogKind::SaveFile) dialog = &script.Shown()[i];
    ASSERT_NE(dialog, nullptr) << c.what;
    EXPECT_EQ(dialog->Filter, c.filter) << c.what;
    EXPECT_EQ(dialog->DefaultExt, c.ext) << c.what;
    EXPECT_EQ(dialog->InitialDir, c.folder) << c.what;
    EXPECT_EQ(dialog->BottomPanel, nullptr) << c.what << ": no map-file options below";
    EXPECT_FALSE(dialog->ConfirmOverwrite) << c.what << ": the command asks itself";
    // The log's save leaves its channel file's name in the dialog.
    const std::string named = c.file == lg1 ? (dir_ / "warmup.lg2").string() : c.file;
    EXPECT_EQ(f_->SaveDialog1()->FileName, named.c_str()) << c.what;
    EXPECT_TRUE(fs::exists(c.file)) << c.what;
  }
}

}  // namespace
}  // namespace e2e

// The File menu's open and save through the platform's file dialog with the options
// panel: what is saved, what is loaded back, and what a bad file does.
#include <gtest/gtest.h>

#include "app/ProgramWindowsFixture.h"
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "app/MapFiles.h"
#include "config/savefiles.h"
#include "controls/Aligrid.h"
#include "platform/stdctrls/StdCtrls.h"
#include "platform/ui/Dialogs.h"

namespace {

class MainFiles : public ProgramWindowsTest {
 protected:
  void SetUp() override {
    ProgramWindowsTest::SetUp();
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    dir_ = std::filesystem::temp_directory_path() /
           ("editing-files-" + std::to_string(getpid()) + "-" + info->name());
    std::filesystem::create_directories(dir_);
  }
  void TearDown() override {
    ProgramWindowsTest::TearDown();
    std::filesystem::remove_all(dir_);
  }
  AnsiString File(const char* name) const { return (dir_ / name).string(); }

  std::filesystem::path dir_;
};

TEST_F(MainFiles, SavedMapsOpenAgain) {
  for (int n = 1; n <= 3; ++n) MapSlots[n].Source = 0;
  MapSlots[1].Source = 1;
  MapSlots[1].IgnitionTable[3][4] = 17;
  ui::DialogScript script;
  script.AnswerFile(File("one.map"));
  f_->Save1Click(nullptr);
  ASSERT_TRUE(std::filesystem::exists(dir_ / "one.map"));
  EXPECT_TRUE(Form1->CheckBox1->Checked());
  EXPECT_FALSE(Form1->CheckBox2->Enabled());

  MapSlots[1].IgnitionTable[3][4] = 0;
  script.AnswerFile(File("one.map"));
  f_->Open1Click(nullptr);
  EXPECT_EQ(MapSlots[1].IgnitionTable[3][4], 17);
  EXPECT_EQ(f_->ignitiontable->Cells(4, 4), "17");
  EXPECT_EQ(script.Count(ui::DialogKind::MessageBox) + script.Count(ui::DialogKind::MessageDlg), 0);
}

TEST_F(MainFiles, CancelledOrBadFilesChangeNothing) {
  const TMapRecord before = MapSlots[1];
  ui::DialogScript script;
  script.CancelFile();
  f_->Open1Click(nullptr);
  std::ofstream(dir_ / "bad.map") << "not a map file";
  script.AnswerFile(File("bad.map"));
  script.Answer(mrOk);
  f_->Open1Click(nullptr);
  EXPECT_EQ(script.Last().Text, kMapFileCorruptMessage);
  EXPECT_EQ(MapSlots[1].IgnitionTable[3][4], before.IgnitionTable[3][4]);
  EXPECT_EQ(MapSlots[1].Source, before.Source);
}

TEST_F(MainFiles, SavingWithoutMapsAsksFirst) {
  for (int n = 1; n <= 3; ++n) MapSlots[n].Source = 0;
  ui::DialogScript script;
  script.Answer(mrNo);
  f_->Save1Click(nullptr);
  EXPECT_EQ(script.Count(ui::DialogKind::SaveFile), 0);
  EXPECT_FALSE(MapSlots.Present(1));
}

}  // namespace

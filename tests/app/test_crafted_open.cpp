// Crafted files through the open dialog: a map file of a hundred bytes that claims 60 MB is
// refused by File > Open with the map file's message and the maps stay as they were; a
// configuration file that claims 50 MB is not previewed, so its comments are not shown.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "app/ProgramWindowsFixture.h"
#include "config/loadfiles.h"
#include "config/savefiles.h"
#include "controls/ApOpenDlg.h"
#include "files/MapFiles.h"
#include "model/MapRecord.h"
#include "platform/classes/SafeFile.h"
#include "platform/stdctrls/StdCtrls.h"
#include "platform/ui/Dialogs.h"
#include "tests/files/CraftedFiles.h"

namespace {

class CraftedOpen : public ProgramWindowsInFolderTest {
 protected:
  CraftedOpen() : ProgramWindowsInFolderTest("crafted-open") {}
};

TEST_F(CraftedOpen, MapAndConfigurationFilesClaimingSixtyMegabytes) {
  safefile::WriteFile(File("items.map"), crafted::EmptyItemsMapFile());
  safefile::WriteFile(File("huge.q05"), crafted::HugeConfigFileWithComments());
  for (int k = 1; k <= 3; ++k) MapSlots[k].Source = 1;
  MapSlots[2].IgnitionTable[2][3] = 22;

  ui::DialogScript script;
  script.BrowseFiles({}, File("items.map")).Answer(mrOk);
  f_->Open1Click(nullptr);
  EXPECT_EQ(script.Count(ui::DialogKind::MessageDlg) + script.Count(ui::DialogKind::MessageBox), 1);
  EXPECT_NE(script.Last().Text.find(kMapFileCorruptMessage), std::string::npos) << script.Last().Text.c_str();
  EXPECT_EQ(MapSlots[2].IgnitionTable[2][3], 22);
  for (int k = 1; k <= 3; ++k) EXPECT_FALSE(Form1->MapBox(k)->Checked()) << k;

  Form2->Tag = 2;
  Form2->Memo1->SetText("left over");
  TApOpenDialog* dialog = f_->ApOpenDialog1();
  dialog->Filter = "Q5 ECU config files|*.q05";
  dialog->FileName = "*.q05";
  script.BrowseFiles({File("huge.q05")}, "");
  EXPECT_FALSE(dialog->Execute());
  EXPECT_EQ(Form2->Memo1->Text(), "");
  EXPECT_EQ(script.Count(ui::DialogKind::MessageDlg) + script.Count(ui::DialogKind::MessageBox), 1);
}

}  // namespace

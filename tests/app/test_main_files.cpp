// The File menu's open and save through the platform's file dialog with the options
// panel: what is saved, what is loaded back, and what a bad file does.
#include <gtest/gtest.h>

#include "app/ProgramWindowsFixture.h"
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>

#include "LockHolder.h"
#include "controls/ApSaveDlg.h"

#include "files/HKStreamCol.h"
#include "files/MapFiles.h"
#include "config/loadfiles.h"
#include "config/savefiles.h"
#include "platform/classes/Streams.h"
#include "platform/stdctrls/ExtCtrls.h"
#include "controls/Aligrid.h"
#include "platform/stdctrls/StdCtrls.h"
#include "platform/rtl/TextUtils.h"
#include "platform/stdctrls/Edits.h"
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

  // Each slot once shown, so that the display's corrections of stored values (turn
  // positions made rising) are in the records before they are compared.
  void ShowEachSlot() {
    const int32_t current = CurrentMap;
    for (CurrentMap = 1; CurrentMap <= 3; ++CurrentMap) f_->RefreshMapTables();
    CurrentMap = current;
  }

  // Three different maps in the slots, saved together to `name`.
  void SaveThreeMaps(const char* name) {
    for (int k = 1; k <= 3; ++k) {
      MapSlots[k].Source = 1;
      MapSlots[k].IgnitionTable[2][3] = static_cast<int16_t>(10 * k);
      MapSlots[k].Comments.Set("map " + IntToStr(k));
    }
    ShowEachSlot();
    ui::DialogScript script;
    script.AnswerFile(File(name));
    f_->Savefile1Click(nullptr);
  }

  // The streams of a saved map file, by name.
  static AnsiString Stream(const AnsiString& file, const char* name) {
    THKStreams c(nullptr);
    c.LoadFromFile(file);
    TStringStream s;
    c.GetStream(name, &s);
    return s.DataString();
  }
  static AnsiString Bytes(const TMapRecord& m) {
    return AnsiString(reinterpret_cast<const char*>(m.Bytes()), kMapRecordSize);
  }

  std::filesystem::path dir_;
};

TEST_F(MainFiles, SavedMapsOpenAgain) {
  for (int n = 1; n <= 3; ++n) MapSlots[n].Source = 0;
  MapSlots[1].Source = 1;
  MapSlots[1].IgnitionTable[3][4] = 17;
  ui::DialogScript script;
  script.AnswerFile(File("one.map"));
  f_->Savefile1Click(nullptr);
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
  script.Answer(mrOk);  // when it is selected
  script.Answer(mrOk);  // when it is opened
  f_->Open1Click(nullptr);
  EXPECT_EQ(script.Last().Text, kMapFileCorruptMessage);
  EXPECT_EQ(MapSlots[1].IgnitionTable[3][4], before.IgnitionTable[3][4]);
  EXPECT_EQ(MapSlots[1].Source, before.Source);
}

TEST_F(MainFiles, SavingWithoutMapsAsksFirst) {
  for (int n = 1; n <= 3; ++n) MapSlots[n].Source = 0;
  ui::DialogScript script;
  script.Answer(mrNo);
  f_->Savefile1Click(nullptr);
  EXPECT_EQ(script.Count(ui::DialogKind::SaveFile), 0);
  EXPECT_FALSE(MapSlots.Present(1));
}

TEST_F(MainFiles, ImportIntoCurrentSlotTakesTheTickedMapAndLeavesTheOtherSlots) {
  SaveThreeMaps("three.map");
  const AnsiString fileMap3 = Stream(File("three.map"), "Q5map-03");
  ASSERT_EQ(fileMap3.size(), kMapRecordSize);
  for (int k = 1; k <= 3; ++k) MapSlots[k].IgnitionTable[2][3] = static_cast<int16_t>(100 + k);
  const TMapRecord slot1 = MapSlots[1], slot3 = MapSlots[3];
  CurrentMap = 2;
  ui::DialogScript script;
  script.AnswerFile(File("three.map"), [](TForm& panel) {
    ASSERT_EQ(&panel, Form1);
    // Selecting the file ticked the three maps it holds, under "Load all".
    EXPECT_TRUE(Form1->CheckBox1->Checked() && Form1->CheckBox2->Checked() && Form1->CheckBox3->Checked());
    EXPECT_TRUE(Form1->RadioGroup2->Visible());
    EXPECT_FALSE(Form1->RadioGroup1->Visible());
    Form1->RadioGroup2->Buttons(1)->SetChecked(true);  // "Import into current slot"
    EXPECT_FALSE(Form1->CheckBox1->Checked());
    EXPECT_TRUE(Form1->CheckBox2->Checked());
    Form1->CheckBox3->SetChecked(true);  // map 3 instead: the others are cleared
    EXPECT_FALSE(Form1->CheckBox2->Checked());
    Form1->CheckBox3->SetChecked(false);  // the last ticked map stays ticked
    EXPECT_TRUE(Form1->CheckBox3->Checked());
  });
  f_->Open1Click(nullptr);
  const ui::DialogRequest& open = script.Shown().at(0);
  EXPECT_EQ(open.Filter, "R7T map files (*.map)|*.map|Old R7T files (*.fig) |*.fig");
  EXPECT_EQ(open.BottomPanel, Form1);
  EXPECT_EQ(open.RightPanel, Form2);
  EXPECT_EQ(Form2->Memo1->Text(), "map 3");
  // Byte for byte the file's map 3 (a map from a file has source 1) in the current slot.
  EXPECT_TRUE(Bytes(MapSlots[2]) == fileMap3);
  EXPECT_TRUE(Bytes(MapSlots[1]) == Bytes(slot1));
  EXPECT_TRUE(Bytes(MapSlots[3]) == Bytes(slot3));
  EXPECT_EQ(f_->ignitiontable->Cells(3, 3), "30");
  Form1->RadioGroup2->SetItemIndex(0);
}

TEST_F(MainFiles, LoadAllTakesOnlyTheTickedMaps) {
  SaveThreeMaps("three.map");
  for (int k = 1; k <= 3; ++k) MapSlots[k].IgnitionTable[2][3] = static_cast<int16_t>(100 + k);
  ui::DialogScript script;
  script.AnswerFile(File("three.map"), [](TForm&) { Form1->CheckBox2->SetChecked(false); });
  f_->Open1Click(nullptr);
  EXPECT_EQ(MapSlots[1].IgnitionTable[2][3], 10);
  EXPECT_EQ(MapSlots[2].IgnitionTable[2][3], 102);
  EXPECT_EQ(MapSlots[3].IgnitionTable[2][3], 30);
  EXPECT_EQ(TrimRight(MapSlots[1].MapName.Get()), "three.map");
}

TEST_F(MainFiles, SaveCurrentMapWritesOnlyThatMap) {
  for (int k = 1; k <= 3; ++k) MapSlots[k].Source = 1;
  ShowEachSlot();
  CurrentMap = 2;
  ui::DialogScript script;
  script.AnswerFile(File("current.map"), [](TForm&) {
    EXPECT_EQ(Form1->GroupBox1->Caption(), "Maps in memory");
    EXPECT_TRUE(Form1->RadioGroup1->Visible());
    EXPECT_FALSE(Form1->RadioGroup2->Visible());
    Form1->RadioGroup1->Buttons(1)->SetChecked(true);  // "Save current map"
    EXPECT_FALSE(Form1->CheckBox1->Checked());
    EXPECT_TRUE(Form1->CheckBox2->Checked());
    EXPECT_FALSE(Form1->CheckBox3->Checked());
  });
  f_->Savefile1Click(nullptr);
  EXPECT_EQ(script.Last().Filter, "R7T map files|*.fig,*.map");
  const AnsiString file = File("current.map");
  EXPECT_TRUE(Stream(file, "Q5map-02") == Bytes(MapSlots[2]));
  EXPECT_TRUE(Stream(file, "Q5map-01").empty());
  EXPECT_TRUE(Stream(file, "Q5map-03").empty());
  EXPECT_EQ(Stream(file, "Q5mapver"), "1.0");
}

TEST_F(MainFiles, ANameWithoutExtensionIsSavedAsAMapFile) {
  MapSlots[1].Source = 1;
  ui::DialogScript script;
  script.AnswerFile(File("noext"));
  f_->Savefile1Click(nullptr);
  EXPECT_TRUE(std::filesystem::exists(dir_ / "noext.map"));
  EXPECT_FALSE(std::filesystem::exists(dir_ / "noext"));
  EXPECT_EQ(TrimRight(MapSlots[1].MapName.Get()), "noext.map");
}

// A map file another program takes once the save dialog has closed (a whole-file lock, a
// record lock) is kept as it was: the save says why, in the words every save uses, and
// map 1 keeps its name. Let go, the maps are saved.
TEST_F(MainFiles, AMapFileTakenAfterTheDialogClosedIsKept) {
  SaveThreeMaps("held.map");
  const std::string file = File("held.map").c_str();
  auto bytes = [&] {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  };
  const std::string before = bytes();
  ASSERT_FALSE(before.empty());
  MapSlots[1].MapName.Set("tuned");
  MapSlots[1].IgnitionTable[2][3] = 77;
  TApSaveDialog* dialog = f_->ApSaveDialog1();
  using testhelp::LockHolder;
  for (LockHolder::Kind how : {LockHolder::FlockExclusive, LockHolder::FcntlWrite}) {
    SCOPED_TRACE(how);
    std::unique_ptr<LockHolder> holder;
    dialog->OnClose = [&](TObject*) { holder = std::make_unique<LockHolder>(file, how); };
    ui::DialogScript script;
    script.AnswerFile(file.c_str()).Answer(mrOk);
    f_->Savefile1Click(nullptr);
    dialog->OnClose = nullptr;
    ASSERT_TRUE(holder && holder->Locked());
    holder.reset();
    EXPECT_EQ(script.Pending(), 0u);
    EXPECT_EQ(script.Last().Text, "Cannot create file \"" + file + "\". It is in use by another program.");
    EXPECT_EQ(bytes(), before);
    EXPECT_EQ(TrimRight(MapSlots[1].MapName.Get()), "tuned");
  }
  ui::DialogScript script;
  script.AnswerFile(file.c_str());
  f_->Savefile1Click(nullptr);
  EXPECT_EQ(Stream(file, "Q5map-01").size(), kMapRecordSize);
  EXPECT_NE(bytes(), before);
  for (const auto& e : std::filesystem::directory_iterator(dir_))
    EXPECT_EQ(e.path().filename().string().find(".tmp"), std::string::npos) << e.path();
}

TEST_F(MainFiles, LoadingAnotherMapClearsTheEditMarks) {
  SaveThreeMaps("marks.map");
  f_->ignitiontable->FontCell(3, 3)->SetColor(clBlue);
  f_->injectiontable->FontCell(4, 4)->SetColor(clRed);
  f_->ignitiontable->SetSelection(TGridRect{2, 1, 5, 4});
  ui::DialogScript script;
  script.AnswerFile(File("marks.map"));
  f_->Open1Click(nullptr);
  EXPECT_EQ(f_->ignitiontable->CellFont(3, 3)->Color(), f_->ignitiontable->Font()->Color());
  EXPECT_EQ(f_->injectiontable->CellFont(4, 4)->Color(), f_->injectiontable->Font()->Color());
  const TGridRect sel = f_->ignitiontable->Selection();
  EXPECT_TRUE(sel.Left == sel.Right && sel.Top == sel.Bottom);
}

}  // namespace

// The File menu's open and save through the extended dialogs, answered by the dialog
// script: moving through the files previews them in the docked panels, and the chosen
// file is loaded into the slots or written.
#include <gtest/gtest.h>

#include "app/ProgramWindowsFixture.h"
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>

#include <filesystem>
#include <functional>
#include <string>

#include "files/HKStreamCol.h"
#include "files/MapFiles.h"
#include "config/loadfiles.h"
#include "config/savefiles.h"
#include "config/setup.h"
#include "controls/ApOpenDlg.h"
#include "controls/ApSaveDlg.h"
#include "ecu/FlashUpdate.h"
#include "logger/logger.h"
#include "model/Settings.h"
#include "platform/classes/SafeFile.h"
#include "platform/classes/Streams.h"
#include "platform/rtl/FileUtils.h"
#include "platform/rtl/TextUtils.h"
#include "platform/stdctrls/Edits.h"
#include "platform/stdctrls/ExtCtrls.h"
#include "platform/stdctrls/Menus.h"
#include "platform/stdctrls/StdCtrls.h"
#include "platform/ui/Dialogs.h"

namespace {

class MainFilesDialog : public ProgramWindowsInFolderTest {
 protected:
  MainFilesDialog() : ProgramWindowsInFolderTest("files-dialog") {}
};

TEST_F(MainFilesDialog, OpenPreviewsWhileBrowsingAndSaveWritesTheMaps) {
  // Maps 1 and 3 in memory, saved through the save dialog with the options panel below.
  for (int k = 1; k <= 3; ++k) MapSlots[k].Source = k == 2 ? 0 : 1;
  MapSlots[1].IgnitionTable[2][3] = 11;
  MapSlots[3].IgnitionTable[2][3] = 33;
  MapSlots[3].Comments.Set("third map");
  ui::DialogScript script;
  script.BrowseFiles({}, File("two"));
  f_->Savefile1Click(nullptr);
  const ui::DialogRequest& save = script.Last();
  EXPECT_EQ(save.Kind, ui::DialogKind::SaveFile);
  EXPECT_EQ(save.BottomPanel, Form1);
  ASSERT_TRUE(std::filesystem::exists(dir_ / "two.map"));
  {
    THKStreams c(nullptr);
    c.LoadFromFile(File("two.map"));
    TStringStream s;
    c.GetStream("Q5map-03", &s);
    EXPECT_EQ(s.DataString().size(), kMapRecordSize);
  }

  // An old text file and then the map file are selected before the map file is chosen.
  safefile::WriteFile(File("old.fig"), "R7T\r\nDetails:\r\nold comments\r\n");
  bool sawFig = false;
  f_->ApOpenDialog1()->OnSelectionChange = [&](TObject*) {
    if (ExtractFileExt(f_->ApOpenDialog1()->FileName) != ".fig") return;
    sawFig = true;
  };
  for (int k = 1; k <= 3; ++k) MapSlots[k].IgnitionTable[2][3] = 0;
  script.BrowseFiles({File("old.fig")}, File("two.map"));
  f_->Open1Click(nullptr);
  f_->ApOpenDialog1()->OnSelectionChange = nullptr;
  const ui::DialogRequest& open = script.Last();
  EXPECT_EQ(open.Kind, ui::DialogKind::OpenFile);
  EXPECT_EQ(open.RightPanel, Form2);
  EXPECT_EQ(open.BottomPanel, Form1);
  EXPECT_TRUE(sawFig);
  // The map file's preview: maps 1 and 3 ticked, "empty" beside 2, the last map's comments,
  // and the load options back after the old text file hid them.
  EXPECT_TRUE(Form1->CheckBox1->Checked());
  EXPECT_FALSE(Form1->CheckBox2->Enabled());
  EXPECT_EQ(Form1->Label2->Caption(), "empty");
  EXPECT_TRUE(Form1->CheckBox3->Checked());
  EXPECT_TRUE(Form1->RadioGroup2->Visible());
  EXPECT_EQ(Form2->Memo1->Text(), "third map");
  EXPECT_EQ(MapSlots[1].IgnitionTable[2][3], 11);
  EXPECT_EQ(MapSlots[3].IgnitionTable[2][3], 33);
}

TEST_F(MainFilesDialog, ANameWithoutExtensionPreviewsByTheChosenFilter) {
  safefile::WriteFile(File("old.fig"), "R7T\r\nDetails:\r\nfrom the fig\r\n");
  ui::DialogScript script;
  script.BrowseFiles({File("old")}, "", 2);
  f_->Open1Click(nullptr);
  EXPECT_EQ(TrimRight(Form2->Memo1->Text()), "from the fig");
  EXPECT_FALSE(Form1->RadioGroup2->Visible()) << "an old text file is always read into the current slot";
  EXPECT_EQ(Form1->RadioGroup2->ItemIndex(), 1);
}

// Most users type the file's name (or its whole path) and press Enter: the file's maps are
// loaded although it was never selected; a corrupt file clears the preview; a load that
// loads no map says so.
TEST_F(MainFilesDialog, ATypedNameLoadsItsMaps) {
  for (int k = 1; k <= 3; ++k) MapSlots[k].Source = k == 2 ? 0 : 1;
  MapSlots[1].IgnitionTable[2][3] = 11;
  MapSlots[3].IgnitionTable[2][3] = 33;
  MapSlots[3].Comments.Set("third map");
  ui::DialogScript script;
  script.BrowseFiles({}, File("typed"));
  f_->Savefile1Click(nullptr);
  safefile::WriteFile(File("bad.map"), "not a map file");

  for (int k = 1; k <= 3; ++k) MapSlots[k].IgnitionTable[2][3] = 0;
  script.TypeFile(File("typed.map"));
  f_->Open1Click(nullptr);
  EXPECT_EQ(MapSlots[1].IgnitionTable[2][3], 11);
  EXPECT_EQ(MapSlots[3].IgnitionTable[2][3], 33);
  EXPECT_EQ(script.Count(ui::DialogKind::MessageDlg), 0);

  // A corrupt file after a good one: one message, and the good one's maps and comments
  // no longer stand beside it.
  script.BrowseFiles({File("typed.map")}, File("bad.map")).Answer(mrOk);
  f_->Open1Click(nullptr);
  EXPECT_EQ(script.Count(ui::DialogKind::MessageDlg), 1);
  EXPECT_EQ(Form2->Memo1->Text().find("This file cannot be shown."), 0u);
  for (int k = 1; k <= 3; ++k) EXPECT_FALSE(Form1->MapBox(k)->Checked()) << k;

  // Every map unticked: nothing is loaded, and the user is told.
  for (int k = 1; k <= 3; ++k) MapSlots[k].IgnitionTable[2][3] = 0;
  script
      .AnswerFile(File("typed.map"),
                  [](TForm&) {
                    // The panel keeps one box ticked; as when the file holds none of
                    // the maps, every box is cleared past it.
                    Form1->Tag = 1;
                    for (int k = 1; k <= 3; ++k) Form1->MapBox(k)->SetChecked(false);
                    Form1->Tag = 0;
                  })
      .Answer(mrOk);
  f_->Open1Click(nullptr);
  EXPECT_EQ(script.Last().Text.find("No map was loaded from typed.map"), 0u) << script.Last().Text.c_str();
  EXPECT_EQ(MapSlots[1].IgnitionTable[2][3], 0);
  EXPECT_EQ(script.Pending(), 0u);
}

// The preview never raises a window while the user moves through the files or types: a
// file it cannot read (damaged, or far larger than any map file) is told in the notes panel
// with the reason. Choosing such a file refuses it with one message, nothing loaded.
TEST_F(MainFilesDialog, APreviewThatCannotReadAFileSaysSoInItsPanelAndOpenTellsOnce) {
  safefile::WriteFile(File("bad.map"), "not a map file");
  safefile::WriteFile(File("bad.fig"), "");
  for (const char* big : {"big.map", "big.fig"}) {
    std::FILE* f = std::fopen(File(big).c_str(), "w");
    std::fclose(f);
    std::filesystem::resize_file(dir_ / big, (uint64_t{3} << 29));  // 1.5 GiB, sparse
  }
  ui::DialogScript script;
  struct Case { const char* file; int filter; const char* reason; } cases[] = {
      {"bad.map", 1, "Cannot read this file."}, {"big.map", 1, "larger than 1 MiB"},
      {"big", 1, "larger than 1 MiB"},  // typed without extension: the filter's kind
      {"big.fig", 2, "larger than 1 MiB"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    script.BrowseFiles({File(c.file)}, "", c.filter);
    f_->Open1Click(nullptr);
    const AnsiString memo = Form2->Memo1->Text();
    EXPECT_EQ(memo.find("This file cannot be shown."), 0u) << memo.c_str();
    EXPECT_NE(memo.find(c.reason), AnsiString::npos) << memo.c_str();
    EXPECT_EQ(script.Count(ui::DialogKind::MessageDlg) + script.Count(ui::DialogKind::MessageBox), 0);
  }
  MapSlots[1].IgnitionTable[2][3] = 7;
  struct Chosen { const char* file; const char* message; } choices[] = {
      {"bad.map", kMapFileCorruptMessage}, {"big.map", "larger than 1 MiB"}};
  for (const Chosen& c : choices) {
    SCOPED_TRACE(c.file);
    const int before = script.Count(ui::DialogKind::MessageDlg);
    script.BrowseFiles({File(c.file), File(c.file)}, File(c.file)).Answer(mrOk);
    f_->Open1Click(nullptr);
    EXPECT_EQ(script.Count(ui::DialogKind::MessageDlg), before + 1) << "told once";
    EXPECT_NE(script.Last().Text.find(c.message), AnsiString::npos) << script.Last().Text.c_str();
    EXPECT_EQ(script.Pending(), 0u);
  }
  EXPECT_EQ(MapSlots[1].IgnitionTable[2][3], 7) << "nothing loaded";
}

// The change the file-name box makes as the open dialog comes up ("*.map") is not the user's:
// even a file of that very name is not previewed, and both tags are free again afterwards.
// A pipe, socket or device chosen as a map: the panel says why it shows nothing and Open
// says so once, naming it as no regular file. Saving, the dialog refuses such a file first,
// as typed (no default extension is added beside it), and stays open for another name.
TEST_F(MainFilesDialog, PipesSocketsAndDevicesAreNamedAsSuch) {
  ASSERT_EQ(::mkfifo(File("pipe.map").c_str(), 0600), 0);
  ASSERT_EQ(::mkfifo(File("fifo").c_str(), 0600), 0);
  const int sock = ::socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un addr{};
  addr.sun_family = AF_UNIX;
  std::strncpy(addr.sun_path, File("sock").c_str(), sizeof addr.sun_path - 1);
  ASSERT_EQ(::bind(sock, reinterpret_cast<const sockaddr*>(&addr), sizeof addr), 0);
  MapSlots[1].Source = 1;
  MapSlots[1].IgnitionTable[2][3] = 5;
  ui::DialogScript script;
  auto texts = [&](size_t from) {
    std::string all;
    for (size_t i = from; i < script.Shown().size(); ++i)
      if (script.Shown()[i].Kind != ui::DialogKind::OpenFile && script.Shown()[i].Kind != ui::DialogKind::SaveFile)
        all += std::string(script.Shown()[i].Text.c_str()) + "|";
    return all;
  };
  struct Open { std::string file; bool typed; } opens[] = {
      {File("pipe.map"), false}, {File("sock"), true}, {"/dev/null", true}};
  for (const Open& o : opens) {
    SCOPED_TRACE(o.file);
    const size_t before = script.Shown().size();
    if (o.typed) script.TypeFile(o.file.c_str());
    else script.BrowseFiles({o.file.c_str()}, o.file.c_str());
    script.Answer(mrOk);
    f_->Open1Click(nullptr);
    EXPECT_EQ(script.Pending(), 0u);
    const AnsiString memo = Form2->Memo1->Text();
    EXPECT_EQ(memo.find("This file cannot be shown."), 0u) << memo.c_str();
    EXPECT_NE(memo.find("not a regular file"), AnsiString::npos) << memo.c_str();
    const std::string told = texts(before);
    EXPECT_EQ(told.find("not a regular file"), told.rfind("not a regular file")) << "told once: " << told;
    EXPECT_NE(told.find("not a regular file"), std::string::npos) << told;
    EXPECT_EQ(told.find("none of its maps"), std::string::npos) << told;
  }
  EXPECT_EQ(MapSlots[1].IgnitionTable[2][3], 5) << "nothing loaded";

  // Saving: the map dialog (default extension "map") and the logger's (".lg1").
  struct Save { std::function<void()> command; std::string typed; const char* beside; } saves[] = {
      {[&] { f_->Savefile1Click(nullptr); }, File("pipe.map"), "pipe.map.map"},
      {[&] { f_->Savefile1Click(nullptr); }, File("sock"), "sock.map"},
      {[&] { f_->Savefile1Click(nullptr); }, File("fifo"), "fifo.map"},
      {[&] { static_cast<TMenuItem*>(LoggerForm->FindComponent("Savetofile1"))->Click(); }, File("fifo"), "fifo.lg1"}};
  for (const Save& c : saves) {
    SCOPED_TRACE(c.typed);
    const size_t before = script.Shown().size();
    script.TypeFile(c.typed.c_str()).Answer(mrOk).CancelFile();
    c.command();
    EXPECT_EQ(script.Pending(), 0u);
    const std::string told = texts(before);
    EXPECT_NE(told.find("This is not a regular file (a pipe, device or socket)"), std::string::npos) << told;
    EXPECT_FALSE(std::filesystem::exists(dir_ / c.beside));
  }
  struct stat st {};
  EXPECT_TRUE(::stat(File("pipe.map").c_str(), &st) == 0 && S_ISFIFO(st.st_mode));
  EXPECT_TRUE(::stat(File("sock").c_str(), &st) == 0 && S_ISSOCK(st.st_mode));
  ::close(sock);
}

// The configuration dialog's comments panel, by the name the user moves to after a file
// whose comments it showed: a pipe or a device is named as no regular file, as the map
// preview names it; another configuration file shows its own comments; a name of no file
// or of another kind of file shows nothing. Never the comments shown before.
TEST_F(MainFilesDialog, TheConfigurationPreviewNeverShowsTheFileBeforeBesideAnother) {
  auto save = [&](const char* name, const char* comments) {
    THKStreams c(nullptr);
    TStringStream s(comments);
    c.AddStream("Q5-3", &s);
    c.SaveToFile(File(name));
  };
  save("track.q05", "set up for the track\r\n");
  save("road.q05", "road car\r\n");
  save("maps.map", "not a configuration\r\n");
  ASSERT_EQ(::mkfifo(File("pipe.q05").c_str(), 0600), 0);
  ui::DialogScript script;
  TApOpenDialog* dialog = f_->ApOpenDialog1();
  const char* const kNotRegular = "This file cannot be shown.\r\nCannot open file \"";
  struct Case { std::string file; std::string shown; } cases[] = {
      {File("pipe.q05"), kNotRegular + File("pipe.q05")},
      {File("pipe"), kNotRegular + File("pipe.q05")},  // the kind's extension added
      {"/dev/null", kNotRegular + std::string("/dev/null")},
      {File("road.q05"), "road car"},
      {File("missing.q05"), ""},
      {File("maps.map"), ""},
  };
  alarm(30);  // a preview opening the pipe would wait here for a writer
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    Form2->Tag = 2;
    dialog->Filter = "Q5 ECU config files|*.q05";
    dialog->FileName = "*.q05";
    script.BrowseFiles({File("track.q05"), c.file.c_str()}, "");
    EXPECT_FALSE(dialog->Execute());
    const std::string memo = Form2->Memo1->Text().c_str();
    if (c.shown.empty()) EXPECT_EQ(memo, "");
    else EXPECT_EQ(memo.rfind(c.shown, 0), 0u) << memo;
    if (c.shown.rfind(kNotRegular, 0) == 0) {
      EXPECT_NE(memo.find("It is not a regular file (a pipe, device or socket)."), std::string::npos) << memo;
    }
    EXPECT_EQ(memo.find("track"), std::string::npos) << memo;
  }
  alarm(0);
  EXPECT_EQ(script.Count(ui::DialogKind::MessageBox) + script.Count(ui::DialogKind::MessageDlg), 0);
}

TEST_F(MainFilesDialog, OpenSkipsTheChangeTheDialogMakesAsItOpens) {
  for (int k = 1; k <= 3; ++k) MapSlots[k].Source = 1;
  ui::DialogScript script;
  script.BrowseFiles({}, File("*.map"));
  f_->Savefile1Click(nullptr);
  ASSERT_TRUE(std::filesystem::exists(dir_ / "*.map"));
  Settings.MapPath = dir_.string() + "/";
  script.CancelFile();
  f_->Open1Click(nullptr);
  EXPECT_EQ(script.Last().FileName, "*.map");
  EXPECT_FALSE(Form1->CheckBox1->Checked());
  EXPECT_EQ(Form1->Label1->Caption(), "");
  EXPECT_EQ(f_->ApOpenDialog1()->Tag, 0);
  EXPECT_EQ(Form1->Tag, 0);
}

// Every window opens its files through the main window's one open dialog, with the notes
// panel at its right previewing by the kind of file: a configuration file's comments, and
// nothing (an empty panel) for update and log files.
TEST_F(MainFilesDialog, EveryWindowOpensThroughTheOneDialogWithItsPreview) {
  {
    THKStreams c(nullptr);
    TStringStream comments("set up for the track\r\n");
    c.AddStream("Q5-3", &comments);
    c.SaveToFile(File("track.q05"));
  }
  safefile::WriteFile(File("bad.q05"), "not a container");
  ui::DialogScript script;
  TApOpenDialog* dialog = f_->ApOpenDialog1();
  struct Case { const char* file; const char* memo; } configs[] = {
      {"track.q05", "set up for the track"}, {"bad.q05", ""}, {"track", "set up for the track"}};
  for (const Case& c : configs) {
    SCOPED_TRACE(c.file);
    Form2->Tag = 2;
    Form2->Memo1->SetText("left over");
    dialog->Filter = "Q5 ECU config files|*.q05";
    dialog->FileName = "*.q05";
    script.BrowseFiles({File(c.file)}, "");
    EXPECT_FALSE(dialog->Execute());
    EXPECT_EQ(TrimRight(Form2->Memo1->Text()), c.memo);
  }
  EXPECT_EQ(script.Count(ui::DialogKind::MessageBox) + script.Count(ui::DialogKind::MessageDlg), 0)
      << "a configuration file that cannot be read is only not previewed";

  struct Window { std::function<void()> open; int kind; const char* filter; } windows[] = {
      {[] { FlashUpdateForm->SelectUpdateFile1Click(nullptr); }, 3, "R7T update files|*.rom"},
      {[] { LoggerForm->LoadLogfile1Click(nullptr); }, 4, "R7T log files|*.lg1"},
  };
  safefile::WriteFile(File("any.rom"), "S0");
  for (const Window& w : windows) {
    SCOPED_TRACE(w.filter);
    Form2->Memo1->SetText("left over");
    script.BrowseFiles({File("any.rom"), File("any.lg1")}, "");
    w.open();
    const ui::DialogRequest& r = script.Last();
    EXPECT_EQ(r.Kind, ui::DialogKind::OpenFile);
    EXPECT_EQ(r.RightPanel, Form2);
    EXPECT_EQ(r.BottomPanel, nullptr);
    EXPECT_EQ(r.Filter, w.filter);
    EXPECT_EQ(Form2->Tag, w.kind);
    EXPECT_EQ(Form2->Memo1->Text(), w.kind == 3 ? "" : "left over");
  }
}

// A tuner's first run, with no folder in the settings file: every file dialog the menus
// open starts in the home folder, not in the folder the program lives in.
TEST_F(MainFilesDialog, WithoutStoredFoldersTheMenusFileDialogsStartAtHome) {
  const char* oldHome = std::getenv("HOME");
  const std::string savedHome = oldHome != nullptr ? oldHome : "";
  setenv("HOME", dir_.c_str(), 1);
  ui::DialogScript script;
  ShowMainWindow(script);
  for (int k = 1; k <= 3; ++k) MapSlots[k].Source = 1;  // maps in memory: saving asks nothing first
  auto menu = [](TForm* form, const char* item) { dynamic_cast<TMenuItem*>(form->FindComponent(item))->Click(); };
  struct {
    const char* command;
    std::function<void()> choose;
  } commands[] = {
      {"File > Open", [&] { menu(f_, "Open1"); }},
      {"File > Save", [&] { menu(f_, "Save1"); }},
      {"configuration: Load configuration from disk", [&] { menu(SetupForm, "Loadconfigurationfromdisk1"); }},
      {"logger: Load from file", [&] { menu(LoggerForm, "LoadLogfile1"); }},
      {"update: Select update file", [&] { menu(FlashUpdateForm, "SelectUpdateFile1"); }},
  };
  for (const auto& c : commands) {
    const size_t before = script.Count(ui::DialogKind::OpenFile) + script.Count(ui::DialogKind::SaveFile);
    script.CancelFile();
    c.choose();
    ASSERT_EQ(script.Count(ui::DialogKind::OpenFile) + script.Count(ui::DialogKind::SaveFile), before + 1) << c.command;
    EXPECT_EQ(script.Last().InitialDir, dir_.string() + "/") << c.command;
  }
  if (oldHome != nullptr) setenv("HOME", savedHome.c_str(), 1);
  else unsetenv("HOME");
}

}  // namespace

// The extended open dialog under a real window manager, worked with the mouse and the
// keyboard as a user does: its own buttons ask the program first and a refusal keeps the
// dialog where it is; what is typed into the file-name box is reported as it is typed;
// Enter in the box can be refused too.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "app/Main.h"
#include "app/MainWindows.h"
#include "config/loadfiles.h"
#include "controls/ApOpenDlg.h"
#include "controls/ApSaveDlg.h"
#include "model/Settings.h"
#include "platform/stdctrls/StdCtrls.h"
#include "platform/rtl/FileUtils.h"
#include "platform/ui/Application.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/MessageQueue.h"
#include "platform/ui/Simulate.h"
#include "x11/XSession.h"

// A form of the program that stands in the file list's place: 'ViewPanel' finds it.
class TViewPanel : public TForm {
 public:
  using TForm::TForm;
  const char* ClassName() const override { return "TViewPanel"; }
};

namespace {

namespace fs = std::filesystem;
using x11test::OnGui;
using x11test::Output;

void Sleep(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }
void Xdo(const std::string& args) { std::system(("xdotool " + args + " >/dev/null 2>&1").c_str()); }
// Waits up to 30 seconds by the clock: on a machine busy with other builds each xdotool
// call can take long enough that a count of tries runs out before the window shows.
bool WaitActive(const std::string& title) {
  const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (std::chrono::steady_clock::now() < until) {
    if (Output("xdotool getactivewindow getwindowname 2>/dev/null") == title) return true;
    Sleep(20);
  }
  return false;
}
// A case that cannot go on closes the dialog it waits for, so that the case fails instead
// of leaving the program's thread in a dialog nobody closes.
void GiveUp() {
  for (int i = 0; i < 5; ++i) {
    Xdo("key Escape");
    Sleep(300);
  }
  Xdo("key alt+F4");
}
// Called from the driving thread: the program's thread grabs the screen.
void Shot(const std::string& name) {
  const char* dir = std::getenv("CQ5_SCREENSHOT_DIR");
  if (dir == nullptr) return;
  const std::string file = std::string(dir) + "/" + name + ".png";
  std::atomic<bool> done{false};
  ui::RunOnGuiThread([&] {
    ui::GrabScreenToPng(file.c_str());
    done = true;
  });
  for (int i = 0; i < 100 && !done; ++i) Sleep(20);
}

// What the handlers saw, written on the program's thread and read by the driving one.
struct Seen {
  std::mutex m;
  std::string folder;
  std::vector<std::string> texts;
  TRect up, back, newFolder;
  int upAsked = 0, upDone = 0, backDone = 0, folderAsked = 0, enterAsked = 0;
  bool typedFileExists = false;
  std::string Folder() {
    std::lock_guard<std::mutex> l(m);
    return folder;
  }
  TRect Rect(TRect Seen::*r) {
    std::lock_guard<std::mutex> l(m);
    return this->*r;
  }
};

void Click(const TRect& r) {
  Xdo("mousemove " + std::to_string((r.Left + r.Right) / 2) + " " + std::to_string((r.Top + r.Bottom) / 2) +
      " click 1");
  Sleep(300);
}

TEST(FileDialog, ItsCommandsAskFirstAndTypingIsReported) {
  x11test::XSession x;
  std::string missing;
  if (!x.Start(missing)) GTEST_SKIP() << "needs " << missing;
  Application->Initialize();
  char tmpl[] = "/tmp/cq5-filedlg-XXXXXX";
  ASSERT_NE(mkdtemp(tmpl), nullptr);
  const fs::path root = tmpl, sub = root / "sub";
  fs::create_directories(sub);
  { std::FILE* f = std::fopen((root / "probe.map").c_str(), "w"); std::fclose(f); }

  TApOpenDialog dlg(nullptr);
  dlg.SetTitle("Open probe");
  dlg.Filter = "Map files|*.map|All files|*";
  dlg.InitialDir = sub.string();
  Seen seen;
  auto note = [&] {
    std::lock_guard<std::mutex> l(seen.m);
    seen.folder = dlg.GetFolderPath();
  };
  dlg.OnFolderChange = [&](TObject*) { note(); };
  dlg.OnShow = [&](TObject*) { note(); };
  dlg.OnFilenameChange = [&](TObject*) {
    std::lock_guard<std::mutex> l(seen.m);
    seen.texts.push_back(dlg.GetFileNameText());
    seen.typedFileExists = FileExists(dlg.GetFolderPath() + "/" + dlg.GetFileNameText());
  };
  // The first "up" and the first Enter are refused, so is every new folder.
  dlg.OnUpLevelNavigating = [&](TObject*, bool& allow) { allow = ++seen.upAsked > 1; };
  dlg.OnUpLevelNavigate = [&](TObject*) { ++seen.upDone; };
  dlg.OnLastFolderNavigate = [&](TObject*) { ++seen.backDone; };
  dlg.OnFolderCreating = [&](TObject*, bool& allow) {
    ++seen.folderAsked;
    allow = false;
  };
  dlg.OnFilenameEntering = [&](TObject*, bool& allow) { allow = ++seen.enterAsked > 1; };

  std::string afterRefusedUp, afterUp, afterBack, afterRefusedEnter;
  std::atomic<bool> refusedEnterKeptOpen{false};
  std::thread user([&] {
    if (!WaitActive("Open probe")) return GiveUp();
    Sleep(300);
    std::atomic<bool> found{false};
    ui::RunOnGuiThread([&] {
      std::lock_guard<std::mutex> l(seen.m);
      seen.up = ui::FileDialogSession::CommandButtonRect(ui::FileDialogCommand::UpLevel);
      seen.back = ui::FileDialogSession::CommandButtonRect(ui::FileDialogCommand::LastFolder);
      seen.newFolder = ui::FileDialogSession::CommandButtonRect(ui::FileDialogCommand::NewFolder);
      found = true;
    });
    while (!found) Sleep(20);
    Shot("file-dialog-open");
    Click(seen.Rect(&Seen::newFolder));
    Click(seen.Rect(&Seen::up));
    afterRefusedUp = seen.Folder();
    Click(seen.Rect(&Seen::up));
    afterUp = seen.Folder();
    Click(seen.Rect(&Seen::back));
    afterBack = seen.Folder();
    Click(seen.Rect(&Seen::up));
    Xdo("type probe.map");
    Sleep(300);
    Xdo("key Return");
    Sleep(400);
    refusedEnterKeptOpen = Output("xdotool getactivewindow getwindowname 2>/dev/null") == "Open probe";
    Xdo("key Return");
    // A dialog the keys did not close is closed, so that a fault fails the test instead of
    // hanging it.
    for (int i = 0; i < 20 && Output("xdotool getactivewindow getwindowname 2>/dev/null") == "Open probe"; ++i) {
      Sleep(200);
      if (i == 10) Xdo("key Escape");
      if (i == 15) Xdo("key alt+F4");
    }
  });
  const bool chosen = dlg.Execute();
  user.join();

  EXPECT_EQ(afterRefusedUp, sub.string()) << "a refused \"up\" keeps the folder";
  EXPECT_EQ(afterUp, root.string());
  EXPECT_EQ(afterBack, sub.string()) << "back goes to the last folder";
  EXPECT_EQ(seen.upAsked, 3);
  EXPECT_EQ(seen.upDone, 2) << "told only of the ones that ran";
  EXPECT_EQ(seen.backDone, 1);
  EXPECT_EQ(seen.folderAsked, 1);
  EXPECT_FALSE(fs::exists(sub / "New Folder")) << "a refused new folder is not made";
  // Every keystroke in the file-name box is a change, and the typed file is found there.
  ASSERT_GE(seen.texts.size(), 9u);
  EXPECT_EQ(seen.texts[1], "p") << "after the change the dialog makes as it opens";
  EXPECT_EQ(seen.texts.back(), "probe.map");
  EXPECT_TRUE(seen.typedFileExists);
  EXPECT_TRUE(refusedEnterKeptOpen);
  EXPECT_EQ(seen.enterAsked, 2);
  EXPECT_TRUE(chosen);
  EXPECT_EQ(std::string(dlg.FileName.c_str()), (root / "probe.map").string());
  fs::remove_all(root);
}

// The list's view, switched by its buttons, asks first; the title set while the dialog shows
// re-captions it; with deleting and renaming forbidden and no menu on an empty spot, the
// list keeps its files and shows its menu only over a file.
TEST(FileDialog, ItsViewTitleAndListStylesHold) {
  x11test::XSession x;
  std::string missing;
  if (!x.Start(missing)) GTEST_SKIP() << "needs " << missing;
  Application->Initialize();
  char tmpl[] = "/tmp/cq5-filelist-XXXXXX";
  ASSERT_NE(mkdtemp(tmpl), nullptr);
  const fs::path root = tmpl;
  for (const char* n : {"keep.map", "other.map"}) std::fclose(std::fopen((root / n).c_str(), "w"));

  TApOpenDialog dlg(nullptr);
  dlg.SetTitle("Styles probe");
  dlg.Filter = "Map files|*.map";
  dlg.InitialDir = root.string();
  dlg.ListViewStyles.lvEnableDelete = false;
  dlg.ListViewStyles.lvEnableEdit = false;
  dlg.ListViewStyles.lvPopupOnEmpty = false;
  int styleAsked = 0;
  std::vector<TViewStyle> changedTo;
  dlg.OnSelectionStyleChanging = [&](TObject*, TViewStyle, bool& allow) { allow = ++styleAsked > 1; };
  dlg.OnSelectionStyleChange = [&](TObject*, TViewStyle s) { changedTo.push_back(s); };

  const auto onGui = OnGui;
  TViewStyle before = vsIcon, afterRefused = vsIcon, after = vsIcon;
  bool renamed = false, menuOnEmpty = true, menuOnFile = false, keptOpenAfterDelete = false;
  std::thread user([&] {
    if (!WaitActive("Styles probe")) return GiveUp();
    Sleep(300);
    TRect listButton, reportButton;
    onGui([&] {
      before = dlg.SelectionStyle();
      listButton = ui::FileDialogSession::ViewButtonRect(ui::FileListView::List);
      reportButton = ui::FileDialogSession::ViewButtonRect(ui::FileListView::Report);
      dlg.SetTitle("Styles probe renamed");
    });
    renamed = WaitActive("Styles probe renamed");
    const TRect other = before == vsReport ? listButton : reportButton;
    Click(other);
    onGui([&] { afterRefused = dlg.SelectionStyle(); });
    Click(other);
    TRect list;
    onGui([&] {
      after = dlg.SelectionStyle();
      list = ui::FileDialogSession::FileListRect();
    });
    Shot("file-dialog-styles");
    // An empty spot of the list, then the first file.
    Xdo("mousemove " + std::to_string(list.Right - 20) + " " + std::to_string(list.Bottom - 20) + " click 3");
    Sleep(300);
    onGui([&] { menuOnEmpty = ui::FileDialogSession::MenuShowing(); });
    if (menuOnEmpty) Xdo("key Escape");
    Xdo("mousemove " + std::to_string(list.Left + 40) + " " + std::to_string(list.Top + 10) + " click 1");
    Sleep(300);
    Xdo("click 3");
    Sleep(300);
    onGui([&] { menuOnFile = ui::FileDialogSession::MenuShowing(); });
    Shot("file-dialog-menu");
    if (menuOnFile) Xdo("key Escape");
    Sleep(200);
    Xdo("key Delete");
    Sleep(400);
    keptOpenAfterDelete = Output("xdotool getactivewindow getwindowname 2>/dev/null") == "Styles probe renamed";
    // No renaming: F2 does nothing, the letters only search, Enter opens the selected file.
    Xdo("key F2");
    Sleep(200);
    Xdo("type zz");
    Xdo("key Return");
    for (int i = 0; i < 20 && Output("xdotool getactivewindow getwindowname 2>/dev/null") == "Styles probe renamed"; ++i) {
      Sleep(200);
      if (i == 10) Xdo("key Escape");
      if (i == 15) Xdo("key alt+F4");
    }
  });
  const bool chosen = dlg.Execute();
  user.join();

  EXPECT_TRUE(renamed) << "the new title shows at once";
  EXPECT_NE(before, vsIcon);
  EXPECT_EQ(afterRefused, before) << "a refused switch keeps the view";
  EXPECT_EQ(after, before == vsReport ? vsList : vsReport);
  EXPECT_EQ(changedTo, std::vector<TViewStyle>{after});
  EXPECT_FALSE(menuOnEmpty);
  EXPECT_TRUE(menuOnFile);
  EXPECT_TRUE(keptOpenAfterDelete) << "Delete neither deletes nor asks";
  EXPECT_TRUE(fs::exists(root / "keep.map"));
  EXPECT_TRUE(fs::exists(root / "other.map"));
  EXPECT_FALSE(fs::exists(root / "zz"));
  EXPECT_TRUE(chosen);
  EXPECT_EQ(std::string(dlg.FileName.c_str()), (root / "keep.map").string());
  EXPECT_EQ(dlg.SelectionStyle(), vsList) << "no dialog shows";
  fs::remove_all(root);
}

// Every message of the dialog window reaches the program: a key press it drops never reaches
// the file-name box, nor does a dropped close shut the window, and what it lets through is
// told again once handled.
TEST(FileDialog, ItsMessagesAreHookedBeforeAndAfter) {
  x11test::XSession x;
  std::string missing;
  if (!x.Start(missing)) GTEST_SKIP() << "needs " << missing;
  Application->Initialize();
  char tmpl[] = "/tmp/cq5-filehook-XXXXXX";
  ASSERT_NE(mkdtemp(tmpl), nullptr);
  const fs::path root = tmpl;

  TApOpenDialog dlg(nullptr);
  dlg.SetTitle("Hook probe");
  dlg.Filter = "Map files|*.map";
  dlg.InitialDir = root.string();
  // The letters typed and Escape (the window manager's own keys aside).
  auto watched = [](const TMessage& m) {
    return m.Msg == WM_KEYDOWN && ((m.WParam >= 'A' && m.WParam <= 'Z') || m.WParam == VK_ESCAPE);
  };
  std::vector<WPARAM> keysBefore, keysAfter;
  int closesAsked = 0, paintsAfter = 0;
  dlg.OnEventHooking = [&](TObject* sender, TMessage& m, bool& allow) {
    EXPECT_EQ(sender, &dlg);
    if (watched(m)) {
      keysBefore.push_back(m.WParam);
      allow = m.WParam != 'X';
    }
    if (m.Msg == WM_CLOSE) allow = ++closesAsked > 1;
  };
  dlg.OnEventHook = [&](TMessage& m) {
    if (watched(m)) keysAfter.push_back(m.WParam);
    if (m.Msg == WM_PAINT) ++paintsAfter;
  };

  std::string typed;
  bool openAfterDroppedClose = false;
  std::thread user([&] {
    if (!WaitActive("Hook probe")) return GiveUp();
    Sleep(300);
    Xdo("type axb");
    Sleep(300);
    std::atomic<bool> read{false};
    ui::RunOnGuiThread([&] {
      typed = dlg.GetFileNameText();
      read = true;
    });
    while (!read) Sleep(20);
    Shot("file-dialog-hook");
    Xdo("key alt+F4");
    Sleep(500);
    openAfterDroppedClose = Output("xdotool getactivewindow getwindowname 2>/dev/null") == "Hook probe";
    Xdo("key Escape");
    for (int i = 0; i < 20 && Output("xdotool getactivewindow getwindowname 2>/dev/null") == "Hook probe"; ++i) {
      Sleep(200);
      if (i == 10) Xdo("key alt+F4");
    }
  });
  const bool chosen = dlg.Execute();
  user.join();

  EXPECT_EQ(typed, "ab") << "the dropped key never reached the file-name box";
  EXPECT_EQ(keysBefore, (std::vector<WPARAM>{'A', 'X', 'B', VK_ESCAPE}));
  EXPECT_EQ(keysAfter, (std::vector<WPARAM>{'A', 'B', VK_ESCAPE})) << "told after, dropped ones not";
  EXPECT_GT(paintsAfter, 0);
  EXPECT_TRUE(openAfterDroppedClose);
  EXPECT_FALSE(chosen);
  fs::remove_all(root);
}

// Asked for by the options, the dialog shows a Help button and a read-only box under their
// own captions; the box starts ticked as the options say and the user's choice comes back.
TEST(FileDialog, HelpAndReadOnlyShowWhenAskedWithTheirCaptions) {
  x11test::XSession x;
  std::string missing;
  if (!x.Start(missing)) GTEST_SKIP() << "needs " << missing;
  Application->Initialize();
  char tmpl[] = "/tmp/cq5-filero-XXXXXX";
  ASSERT_NE(mkdtemp(tmpl), nullptr);
  const fs::path root = tmpl;
  std::fclose(std::fopen((root / "probe.map").c_str(), "w"));

  TApOpenDialog dlg(nullptr);
  dlg.SetTitle("Read-only probe");
  dlg.Filter = "Map files|*.map";
  dlg.InitialDir = root.string();
  dlg.Options = TOpenOptions{ofReadOnly, ofShowHelp};
  dlg.DlgItemsCaptions()->Help = "Hilfe";
  dlg.DlgItemsCaptions()->ReadOnlyFlag = "Nur &lesen";
  std::thread user([&] {
    if (!WaitActive("Read-only probe")) return GiveUp();
    Sleep(300);
    Shot("file-dialog-readonly");
    Xdo("type probe.map");
    Xdo("key alt+l");
    Sleep(200);
    Xdo("key Return");
    for (int i = 0; i < 20 && Output("xdotool getactivewindow getwindowname 2>/dev/null") == "Read-only probe"; ++i) {
      Sleep(200);
      if (i == 10) Xdo("key Escape");
    }
  });
  const bool chosen = dlg.Execute();
  user.join();

  EXPECT_TRUE(chosen);
  EXPECT_FALSE(dlg.Options.Contains(ofReadOnly)) << "the user unticked the box by its own caption's key";
  EXPECT_TRUE(dlg.Options.Contains(ofShowHelp));
  fs::remove_all(root);
}

// The user shows the list as large icons, small icons, a list and with details by the
// dialog's buttons; each switch is told, and the view reads back as shown.
TEST(FileDialog, TheUserPicksEachOfTheFourViews) {
  x11test::XSession x;
  std::string missing;
  if (!x.Start(missing)) GTEST_SKIP() << "needs " << missing;
  Application->Initialize();
  char tmpl[] = "/tmp/cq5-fileview-XXXXXX";
  ASSERT_NE(mkdtemp(tmpl), nullptr);
  const fs::path root = tmpl;
  for (const char* n : {"alpha.map", "beta.map", "gamma.map", "delta.map"}) std::fclose(std::fopen((root / n).c_str(), "w"));

  TApOpenDialog dlg(nullptr);
  dlg.SetTitle("View probe");
  dlg.Filter = "Map files|*.map";
  dlg.InitialDir = root.string();
  std::vector<TViewStyle> told;
  dlg.OnSelectionStyleChange = [&](TObject*, TViewStyle s) { told.push_back(s); };
  const std::vector<TViewStyle> order{vsIcon, vsSmallIcon, vsReport, vsIcon, vsList};
  std::vector<TViewStyle> shown;
  std::thread user([&] {
    if (!WaitActive("View probe")) return GiveUp();
    Sleep(300);
    for (TViewStyle v : order) {
      std::atomic<bool> got{false};
      TRect button;
      ui::RunOnGuiThread([&] {
        button = ui::FileDialogSession::ViewButtonRect(static_cast<ui::FileListView>(v));
        got = true;
      });
      while (!got) Sleep(20);
      Click(button);
      got = false;
      ui::RunOnGuiThread([&] {
        shown.push_back(dlg.SelectionStyle());
        got = true;
      });
      while (!got) Sleep(20);
      Shot("file-dialog-view-" + std::to_string(static_cast<int>(v)));
    }
    Xdo("key Escape");
    for (int i = 0; i < 20 && Output("xdotool getactivewindow getwindowname 2>/dev/null") == "View probe"; ++i) {
      Sleep(200);
      if (i == 10) Xdo("key alt+F4");
    }
  });
  dlg.Execute();
  user.join();

  EXPECT_EQ(shown, order);
  EXPECT_EQ(told, order);
  fs::remove_all(root);
}

// With the file list left out of the items, or a form of the program in its place, each of
// the dialog's own view buttons leaves it so, open and save: the list stays hidden and the
// form stays where it stands. Changed while the dialog shows, the selection type and the
// items take effect at once.
TEST(FileDialog, TheViewButtonsLeaveTheListAsTheProgramSetIt) {
  x11test::XSession x;
  std::string missing;
  if (!x.Start(missing)) GTEST_SKIP() << "needs " << missing;
  Application->Initialize();
  char tmpl[] = "/tmp/cq5-viewset-XXXXXX";
  ASSERT_NE(mkdtemp(tmpl), nullptr);
  const fs::path root = tmpl;
  for (const char* n : {"alpha.map", "beta.map"}) std::fclose(std::fopen((root / n).c_str(), "w"));
  auto* panel = new TViewPanel(Application);
  panel->SetColor(clTeal);
  const auto onGui = OnGui;
  struct Shown {
    bool list, panel;
  };
  struct Case { bool save, custom; } cases[] = {{false, false}, {false, true}, {true, false}, {true, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.save ? "save" : "open") + (c.custom ? ", form in the list's place" : ", no list"));
    std::unique_ptr<TApCustomOpenDialog> dlg(c.save ? static_cast<TApCustomOpenDialog*>(new TApSaveDialog(nullptr))
                                                    : new TApOpenDialog(nullptr));
    dlg->SetTitle("View buttons probe");
    dlg->Filter = "Map files|*.map";
    dlg->InitialDir = root.string();
    if (c.custom) {
      dlg->CustDlgParams()->SetCustFormName("ViewPanel");
      dlg->SetSelectionType(stCustom);
    } else {
      dlg->SetVisibleControls(kAllOpenDlgControls & ~(1u << dcSelectionCtrl));
    }
    std::vector<Shown> afterClicks;
    Shown atStart{}, afterChange{};
    std::thread user([&] {
      if (!WaitActive("View buttons probe")) return GiveUp();
      Sleep(300);
      onGui([&] { atStart = {ui::FileDialogSession::ItemShowing(ui::FileDialogItem::FileList), ui::FileDialogSession::ListPanelShowing()}; });
      for (ui::FileListView v : {ui::FileListView::Report, ui::FileListView::List, ui::FileListView::Icon,
                                 ui::FileListView::SmallIcon, ui::FileListView::Report, ui::FileListView::List}) {
        TRect button;
        onGui([&] { button = ui::FileDialogSession::ViewButtonRect(v); });
        Click(button);
        onGui([&] {
          afterClicks.push_back({ui::FileDialogSession::ItemShowing(ui::FileDialogItem::FileList), ui::FileDialogSession::ListPanelShowing()});
        });
      }
      Shot(std::string("file-dialog-viewset-") + (c.save ? "save" : "open") + (c.custom ? "-custom" : "-nolist"));
      onGui([&] {
        if (c.custom) dlg->SetSelectionType(stStandard);
        else dlg->SetVisibleControls(kAllOpenDlgControls);
      });
      Sleep(300);
      onGui([&] { afterChange = {ui::FileDialogSession::ItemShowing(ui::FileDialogItem::FileList), ui::FileDialogSession::ListPanelShowing()}; });
      Xdo("key Escape");
      for (int i = 0; i < 20 && Output("xdotool getactivewindow getwindowname 2>/dev/null") == "View buttons probe"; ++i) {
        Sleep(200);
        if (i == 10) Xdo("key alt+F4");
      }
    });
    dlg->Execute();
    user.join();
    EXPECT_FALSE(atStart.list);
    EXPECT_EQ(atStart.panel, c.custom);
    ASSERT_EQ(afterClicks.size(), 6u);
    for (size_t i = 0; i < afterClicks.size(); ++i) {
      EXPECT_FALSE(afterClicks[i].list) << "click " << i << " brought the list back";
      EXPECT_EQ(afterClicks[i].panel, c.custom) << "click " << i;
    }
    EXPECT_TRUE(afterChange.list) << "the list shows once the program lets it";
    EXPECT_FALSE(afterChange.panel);
    EXPECT_FALSE(panel->Showing()) << "the form is given back as the dialog closes";
  }
  delete panel;
  fs::remove_all(root);
}

// A wildcard typed into the file-name box and entered filters the list by it (also with a
// folder before it); no "File not found" comes up, and the file then picked from the
// filtered list is the one chosen.
TEST(FileDialog, AWildcardTypedAndEnteredFiltersTheList) {
  x11test::XSession x;
  std::string missing;
  if (!x.Start(missing)) GTEST_SKIP() << "needs " << missing;
  Application->Initialize();
  char tmpl[] = "/tmp/cq5-wildcard-XXXXXX", tmpl2[] = "/tmp/cq5-wildcard-XXXXXX";
  ASSERT_NE(mkdtemp(tmpl), nullptr);
  ASSERT_NE(mkdtemp(tmpl2), nullptr);
  const fs::path root = tmpl, other = tmpl2;
  for (const fs::path& p : {root / "a.map", root / "b.rom", other / "a.lg1", other / "c.rom"})
    std::fclose(std::fopen(p.c_str(), "w"));

  struct Case { std::string typed; fs::path folder, chosen; } cases[] = {
      {"*.rom", root, root / "b.rom"}, {(other / "*.rom").string(), other, other / "c.rom"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.typed);
    TApOpenDialog dlg(nullptr);
    dlg.SetTitle("Wildcard probe");
    dlg.Filter = "All files|*";
    dlg.InitialDir = root.string();
    bool onlyTheDialog = true;
    std::string folder;
    std::thread user([&] {
      if (!WaitActive("Wildcard probe")) return GiveUp();
      Sleep(300);
      Xdo("type '" + c.typed + "'");
      Sleep(200);
      Xdo("key Return");
      Sleep(500);
      onlyTheDialog = Output("xdotool getactivewindow getwindowname 2>/dev/null") == "Wildcard probe";
      Shot("file-dialog-wildcard");
      TRect list;
      std::atomic<bool> got{false};
      ui::RunOnGuiThread([&] {
        list = ui::FileDialogSession::FileListRect();
        folder = dlg.GetFolderPath();
        got = true;
      });
      while (!got) Sleep(20);
      // The first entry of the list, the only file left in it.
      Xdo("mousemove " + std::to_string(list.Left + 40) + " " + std::to_string(list.Top + 10) + " click 1");
      Sleep(300);
      Xdo("key Return");
      for (int i = 0; i < 20 && Output("xdotool getactivewindow getwindowname 2>/dev/null") != ""; ++i) {
        Sleep(200);
        if (i == 10) Xdo("key Escape");
        if (i == 15) Xdo("key alt+F4");
      }
    });
    const bool chosen = dlg.Execute();
    user.join();
    EXPECT_TRUE(onlyTheDialog) << "no \"File not found\"";
    EXPECT_EQ(folder, c.folder.string());
    EXPECT_TRUE(chosen);
    EXPECT_EQ(std::string(dlg.FileName.c_str()), c.chosen.string());
  }
  fs::remove_all(root);
  fs::remove_all(other);
}

// The items left out of VisibleControls are hidden and the others show. With OK showing, a
// file another program holds locked is refused as the user picks it: the dialog says it is in
// use, stays open, and takes the next file.
TEST(FileDialog, HiddenItemsStayHiddenAndALockedFileKeepsTheDialogOpen) {
  x11test::XSession x;
  std::string missing;
  if (!x.Start(missing)) GTEST_SKIP() << "needs " << missing;
  Application->Initialize();
  char tmpl[] = "/tmp/cq5-items-XXXXXX";
  ASSERT_NE(mkdtemp(tmpl), nullptr);
  const fs::path root = tmpl;
  for (const char* n : {"locked.map", "free.map"}) std::fclose(std::fopen((root / n).c_str(), "w"));
  // Another program holds a write lock on "locked.map" until the test lets go.
  int ready[2], done[2];
  ASSERT_EQ(pipe(ready), 0);
  ASSERT_EQ(pipe(done), 0);
  const pid_t holder = fork();
  if (holder == 0) {
    ::close(ready[0]);
    ::close(done[1]);
    const int fd = ::open((root / "locked.map").c_str(), O_RDWR);
    struct flock l {};
    l.l_type = F_WRLCK;
    l.l_whence = SEEK_SET;
    char c = ::fcntl(fd, F_SETLK, &l) == 0 ? 'y' : 'n';
    (void)!::write(ready[1], &c, 1);
    (void)!::read(done[0], &c, 1);
    _exit(0);
  }
  ::close(ready[1]);
  ::close(done[0]);
  char c = 'n';
  ASSERT_EQ(::read(ready[0], &c, 1), 1);
  ASSERT_EQ(c, 'y');

  const std::vector<TApOpenDlgControl> all{dcFolderCombo, dcFolderLabel, dcSelectionCtrl, dcOkBtn, dcCancelBtn,
                                           dcFileName, dcFileNameLabel, dcFileType, dcFileTypeLabel, dcToolBar};
  const std::vector<TApOpenDlgControl> shownFirst{dcSelectionCtrl, dcOkBtn, dcFileName, dcFileNameLabel, dcFileType};
  for (int run = 0; run < 2; ++run) {
    SCOPED_TRACE(run);
    TApOpenDialog dlg(nullptr);
    dlg.SetTitle("Items probe");
    dlg.Filter = "Map files|*.map";
    dlg.InitialDir = root.string();
    // The second run shows what the first hid.
    TApOpenDlgControls visible = 0;
    for (TApOpenDlgControl i : all)
      if ((std::find(shownFirst.begin(), shownFirst.end(), i) != shownFirst.end()) == (run == 0))
        visible |= 1u << i;
    dlg.SetVisibleControls(visible);
    int violations = 0;
    dlg.OnShareViolation = [&](TObject*, int&, const AnsiString&) { ++violations; };
    std::vector<bool> showing;
    bool warned = false, keptOpen = false;
    std::thread user([&] {
      if (!WaitActive("Items probe")) return GiveUp();
      Sleep(300);
      std::atomic<bool> got{false};
      ui::RunOnGuiThread([&] {
        for (TApOpenDlgControl i : all) showing.push_back(ui::FileDialogSession::ItemShowing(static_cast<ui::FileDialogItem>(i)));
        got = true;
      });
      while (!got) Sleep(20);
      Shot("file-dialog-items-" + std::to_string(run));
      if (run == 0) {
        Xdo("type locked.map");
        Sleep(200);
        Xdo("key Return");
        Sleep(500);
        warned = Output("xdotool getactivewindow getwindowname 2>/dev/null") == "Items probe" &&
                 Output("xdotool search --onlyvisible --name '^Items probe$' 2>/dev/null | wc -l") == "2";
        Shot("file-dialog-locked");
        Xdo("key Return");
        Sleep(400);
        keptOpen = Output("xdotool search --onlyvisible --name '^Items probe$' 2>/dev/null | wc -l") == "1";
        Xdo("key ctrl+a");
        Xdo("type free.map");
        Sleep(200);
        Xdo("key Return");
      } else {
        Xdo("key Escape");
      }
      for (int i = 0; i < 20 && Output("xdotool getactivewindow getwindowname 2>/dev/null") == "Items probe"; ++i) {
        Sleep(200);
        if (i == 10) Xdo("key Escape");
        if (i == 15) Xdo("key alt+F4");
      }
    });
    const bool chosen = dlg.Execute();
    user.join();
    ASSERT_EQ(showing.size(), all.size());
    for (size_t i = 0; i < all.size(); ++i)
      EXPECT_EQ(showing[i], (dlg.VisibleControls() & (1u << all[i])) != 0) << "item " << i;
    if (run == 0) {
      EXPECT_EQ(violations, 1);
      EXPECT_TRUE(warned) << "a message over the dialog said the file is in use";
      EXPECT_TRUE(keptOpen);
      EXPECT_TRUE(chosen);
      EXPECT_EQ(std::string(dlg.FileName.c_str()), (root / "free.map").string());
    } else {
      EXPECT_FALSE(chosen);
    }
  }
  ::close(done[1]);
  ::waitpid(holder, nullptr, 0);
  fs::remove_all(root);
}

// File > Open, typing the name of a map file the preview cannot read (one far larger than
// any map file, one damaged): no window comes up while the name is typed, so every key
// reaches the file-name box; the notes panel says why the file cannot be shown; Open then
// refuses it with one message and the dialog is gone.
TEST(FileDialog, TypingANameThePreviewCannotReadRaisesNoWindowAndOpenTellsOnce) {
  x11test::XSession x;
  std::string missing;
  if (!x.Start(missing)) GTEST_SKIP() << "needs " << missing;
  Application->Initialize();
  Application->SetTitle("Corvane probe");
  CreateProgramForms();
  char tmpl[] = "/tmp/cq5-preview-XXXXXX";
  ASSERT_NE(mkdtemp(tmpl), nullptr);
  const fs::path root = tmpl;
  { std::FILE* f = std::fopen((root / "big.map").c_str(), "w"); std::fclose(f); }
  fs::resize_file(root / "big.map", uint64_t{3} << 29);  // 1.5 GiB, sparse
  { std::FILE* f = std::fopen((root / "bad.map").c_str(), "w"); std::fputs("not a map file", f); std::fclose(f); }
  ASSERT_EQ(::mkfifo((root / "pipe.map").c_str(), 0600), 0);
  Settings.MapPath = root.string() + "/";

  // A pipe and a device are named as no regular file, the device typed without extension.
  for (const char* name : {"big.map", "bad.map", "pipe.map", "/dev/null"}) {
    SCOPED_TRACE(name);
    std::atomic<bool> done{false};
    bool onlyTheDialog = true, oneMessage = false;
    std::string typed, memo, box;
    std::thread user([&] {
      if (!WaitActive("Open")) return GiveUp();
      Sleep(300);
      Xdo("key ctrl+a");
      // Key by key, as a user types, each change previewed on its way.
      for (const char* c = name; *c; ++c) {
        Xdo(std::string("type --delay 0 '") + *c + "'");
        Sleep(60);
        if (Output("xdotool getactivewindow getwindowname 2>/dev/null") != "Open") onlyTheDialog = false;
      }
      Sleep(300);
      std::atomic<bool> read{false};
      ui::RunOnGuiThread([&] {
        typed = R7Tform1->ApOpenDialog1()->GetFileNameText();
        memo = Form2->Memo1->Text();
        read = true;
      });
      while (!read) Sleep(20);
      Shot(std::string("file-dialog-preview-") + (name[0] == '/' ? "device" : name));
      Xdo("key Return");
      for (int i = 0; i < 100 && (box.empty() || box == "Open"); ++i) {
        Sleep(20);
        box = Output("xdotool getactivewindow getwindowname 2>/dev/null");
      }
      Shot(std::string("file-dialog-refused-") + (name[0] == '/' ? "device" : name));
      Xdo("key Return");
      for (int i = 0; i < 100 && !done; ++i) Sleep(20);
      oneMessage = done;
      // Whatever still shows is closed, so that a fault fails the test instead of hanging it.
      for (int i = 0; i < 20 && !done; ++i) {
        Xdo("key Escape");
        Sleep(200);
      }
    });
    ui::RunOnGuiThread([&] {
      R7Tform1->Open1Click(nullptr);
      done = true;
    });
    x11test::PumpUntil([&] { return done.load(); }, 30000);
    user.join();
    EXPECT_TRUE(onlyTheDialog) << "no window came up while the name was typed";
    EXPECT_EQ(typed, name) << "every key reached the file-name box";
    EXPECT_EQ(memo.rfind("This file cannot be shown.", 0), 0u) << memo;
    if (std::string(name).find("pipe") != std::string::npos || name[0] == '/') {
      EXPECT_NE(memo.find("not a regular file"), std::string::npos) << memo;
    }
    EXPECT_EQ(box, "Corvane probe") << "Open told why";
    EXPECT_TRUE(oneMessage) << "told once";
  }
  for (int i = Screen->FormCount(); i-- > 0;) delete Screen->Forms(i);
  Application->ProcessMessages();
  fs::remove_all(root);
}

}  // namespace

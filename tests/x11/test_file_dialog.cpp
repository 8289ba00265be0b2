// The extended open dialog under a real window manager, worked with the mouse and the
// keyboard as a user does: its own buttons ask the program first and a refusal keeps the
// dialog where it is; what is typed into the file-name box is reported as it is typed;
// Enter in the box can be refused too.
#include <gtest/gtest.h>

#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "controls/ApOpenDlg.h"
#include "platform/rtl/FileUtils.h"
#include "platform/ui/Application.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/MessageQueue.h"
#include "x11/XSession.h"

namespace {

namespace fs = std::filesystem;
using x11test::Output;

void Sleep(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }
void Xdo(const std::string& args) { std::system(("xdotool " + args + " >/dev/null 2>&1").c_str()); }
bool WaitActive(const std::string& title) {
  for (int i = 0; i < 500; ++i) {
    if (Output("xdotool getactivewindow getwindowname 2>/dev/null") == title) return true;
    Sleep(20);
  }
  return false;
}
void Shot(const std::string& name) {
  if (const char* dir = std::getenv("CQ5_SCREENSHOT_DIR"))
    std::system(("import -window root '" + std::string(dir) + "/" + name + ".png' 2>/dev/null").c_str());
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
    if (!WaitActive("Open probe")) return;
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

}  // namespace

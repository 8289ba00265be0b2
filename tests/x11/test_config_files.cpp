// Configuration files from the configuration editor's "File" menu under a real window
// manager, worked with the keyboard and the mouse as a tuner does: a file another program
// takes while the comments window is up is not replaced, and the program says why; the
// open dialog's comments panel names a pipe as no regular file and never shows the comments
// of the file looked at before beside another name. With CQ5_SCREENSHOT_DIR set, the
// windows are captured from the screen for a look by eye.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <string>
#include <thread>

#include "LockHolder.h"
#include "app/Main.h"
#include "app/MainWindows.h"
#include "config/ConfigComments.h"
#include "config/loadfiles.h"
#include "config/setup.h"
#include "controls/AdvEdit.h"
#include "files/ConfigFile.h"
#include "files/HKStreamCol.h"
#include "model/ConfigBlock.h"
#include "model/Settings.h"
#include "platform/stdctrls/Buttons.h"
#include "platform/stdctrls/Edits.h"
#include "platform/stdctrls/StdCtrls.h"
#include "platform/ui/Application.h"
#include "platform/ui/MessageQueue.h"
#include "platform/ui/Simulate.h"
#include "x11/XSession.h"

namespace {

namespace fs = std::filesystem;
using x11test::Output;
using x11test::OnGui;

void Sleep(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }
void Xdo(const std::string& args) { std::system(("xdotool " + args + " >/dev/null 2>&1").c_str()); }
std::string ActiveTitle() { return Output("xdotool getactivewindow getwindowname 2>/dev/null"); }
// Waits by the clock: on a busy machine each xdotool call may take long.
bool WaitActive(const std::string& title, int seconds = 30) {
  const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
  while (std::chrono::steady_clock::now() < until) {
    if (ActiveTitle() == title) return true;
    Sleep(20);
  }
  return false;
}

std::string Bytes(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

class ConfigFileWindows : public ::testing::TestWithParam<const char*> {
 protected:
  void SetUp() override {
    std::string missing;
    if (!x_.Start(missing, GetParam())) GTEST_SKIP() << "needs " << missing;
    Application->Initialize();
    Application->SetTitle("Corvane probe");
    CreateProgramForms();
    screen_ = std::string(GetParam()).substr(0, std::string(GetParam()).rfind('x'));
    char tmpl[] = "/tmp/cq5-x11-q05-XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    root_ = tmpl;
    Settings.MapPath = root_.string() + "/";
  }
  void TearDown() override {
    if (root_.empty()) return;
    Application->OnException = nullptr;
    for (int i = Screen->FormCount(); i-- > 0;) delete Screen->Forms(i);
    Application->ProcessMessages();
    fs::remove_all(root_);
  }

  // Shows the editor and lets the user work its menu until done, the program's own loops
  // (and the modal windows' within them) running meanwhile.
  void Run(const std::function<void()>& user) {
    SetupForm->SetLeft(20);
    SetupForm->SetTop(20);
    SetupForm->Show();
    std::atomic<bool> done{false};
    std::thread t([&] {
      if (WaitActive(SetupForm->Caption().c_str())) user();
      else ADD_FAILURE() << "the editor never came up";
      done = true;
    });
    const bool finished = x11test::PumpUntil([&] { return done.load(); }, 150000);
    // A user who gave up leaves nothing open that would keep the program from returning.
    if (!finished) Xdo("key Escape Escape Escape");
    x11test::PumpUntil([&] { return done.load(); }, 20000);
    t.join();
    EXPECT_TRUE(finished);
    SetupForm->Hide();
  }

  // The editor's "File" menu, its n-th command (from 0), by the keyboard.
  static void FileMenu(int n) {
    Xdo("key alt+f");
    Sleep(400);
    for (int i = 0; i < n; ++i) Xdo("key Down");
    Xdo("key Return");
  }

  // The name typed into the focused file-name box, key by key.
  static void TypeName(const std::string& name) {
    Xdo("key ctrl+a");
    for (char c : name) {
      Xdo(std::string("type --delay 0 '") + c + "'");
      Sleep(40);
    }
    Sleep(400);
  }

  void Shot(const std::string& name) {
    const char* dir = std::getenv("CQ5_SCREENSHOT_DIR");
    if (dir == nullptr) return;
    const std::string file = std::string(dir) + "/" + name + "-" + screen_ + ".png";
    OnGui([&] { ui::GrabScreenToPng(file.c_str()); });
  }

  x11test::XSession x_;
  std::string screen_;
  fs::path root_;
};

// The save dialog, the question whether to replace the file, then the comments window:
// while it is up another program takes the file with a whole-file lock. "Save" is refused
// in the words every save uses, and the file keeps its bytes.
TEST_P(ConfigFileWindows, AFileTakenWhileTheCommentsWindowIsUpIsKept) {
  const fs::path file = root_ / "held.q05";
  {
    THKStreams own(nullptr);
    config::SaveConfigFile(file.string(), "Old\r\n", ConfigBlock, own);
  }
  const std::string before = Bytes(file);
  std::vector<std::string> told;
  Application->OnException = [&](TObject*, const Exception& e) {
    told.push_back(e.Message());
    Application->ShowException(e);
  };
  std::unique_ptr<testhelp::LockHolder> holder;
  bool asked = false, commentsShown = false, boxShown = false, backInEditor = false;
  Run([&] {
    FileMenu(1);  // "Save configuration to disk"
    if (!WaitActive("Save As")) return;
    Sleep(300);
    TypeName(file.string());
    Xdo("key Return");
    asked = WaitActive("Warning");
    if (!asked) return;
    Shot("q05-save-overwrite");
    Xdo("key alt+y");
    commentsShown = WaitActive("Save ECU configuration - File comments");
    if (!commentsShown) return;
    holder = std::make_unique<testhelp::LockHolder>(file.string(), testhelp::LockHolder::FlockExclusive);
    Sleep(300);
    Xdo("type --delay 20 'New comments'");
    TPoint save;
    OnGui([&] {
      TControl* b = ConfigSaveCommentsForm->Button1;
      save = b->ClientToScreen({b->Width() / 2, b->Height() / 2});
    });
    Shot("q05-save-comments");
    Xdo("mousemove " + std::to_string(save.x) + " " + std::to_string(save.y) + " click 1");
    boxShown = WaitActive("Corvane probe");
    Shot("q05-save-refused");
    Xdo("key Return");
    backInEditor = WaitActive(SetupForm->Caption().c_str());
  });
  ASSERT_TRUE(holder && holder->Locked());
  holder.reset();
  EXPECT_TRUE(asked) << "the editor asked whether to replace the file";
  EXPECT_TRUE(commentsShown);
  EXPECT_TRUE(boxShown) << "the program said why";
  EXPECT_TRUE(backInEditor);
  ASSERT_EQ(told.size(), 1u);
  EXPECT_EQ(told[0], "Cannot create file \"" + file.string() + "\". It is in use by another program.");
  EXPECT_EQ(Bytes(file), before) << "the file another program holds was replaced";
  EXPECT_EQ(ConfigSaveCommentsForm->Memo1->Lines()->Strings(0), "New comments") << "the comments stay for the next try";
  for (const auto& e : fs::directory_iterator(root_))
    EXPECT_EQ(e.path().filename().string().find(".tmp"), std::string::npos) << e.path();
}

// "Load configuration from disk": the name typed moves from a pipe to a configuration file
// and back. The panel names the pipe as no regular file (the program never waits on it),
// shows the file's comments, and for the pipe again says so instead of keeping them.
TEST_P(ConfigFileWindows, ThePreviewNamesAPipeAndNeverKeepsTheCommentsBefore) {
  {
    THKStreams own(nullptr);
    config::SaveConfigFile((root_ / "track.q05").string(), "Set up for the track\r\n", ConfigBlock, own);
  }
  ASSERT_EQ(::mkfifo((root_ / "pipe.q05").c_str(), 0600), 0);
  std::vector<std::string> memos;
  bool opened = false, cancelled = false;
  Run([&] {
    FileMenu(0);  // "Load configuration from disk"
    opened = WaitActive("Open");
    if (!opened) return;
    Sleep(300);
    for (const char* name : {"pipe.q05", "track.q05", "pipe.q05"}) {
      TypeName(name);
      std::string memo;
      OnGui([&] { memo = Form2->Memo1->Text().c_str(); });
      memos.push_back(memo);
      Shot(std::string("q05-preview-") + std::to_string(memos.size()));
    }
    Xdo("key Escape");
    cancelled = WaitActive(SetupForm->Caption().c_str());
  });
  EXPECT_TRUE(opened);
  EXPECT_TRUE(cancelled);
  ASSERT_EQ(memos.size(), 3u);
  const std::string pipe = (root_ / "pipe.q05").string();
  for (size_t i : {size_t{0}, size_t{2}}) {
    const std::string want = "This file cannot be shown.\r\nCannot open file \"" + pipe +
                             "\". It is not a regular file (a pipe, device or socket).";
    EXPECT_EQ(memos[i].rfind(want, 0), 0u) << i << ": " << memos[i];
    EXPECT_EQ(memos[i].find("track"), std::string::npos) << i << ": " << memos[i];
  }
  EXPECT_EQ(memos[1].rfind("Set up for the track", 0), 0u) << memos[1];
  struct stat st {};
  EXPECT_TRUE(::stat(pipe.c_str(), &st) == 0 && S_ISFIFO(st.st_mode));
}

// Another program on the same display drags 300 characters into the comments window's
// memo, which holds 255: the memo takes 255 (and the focus) and the file keeps what it
// showed.
TEST_P(ConfigFileWindows, ADropFromAnotherProgramKeepsToTheCommentsLimit) {
  const fs::path file = root_ / "dropped.q05";
  const fs::path ready = root_ / "source-ready";
  pid_t source = 0;
  std::string shown;
  bool commentsShown = false, saved = false;
  Run([&] {
    FileMenu(1);  // "Save configuration to disk"
    if (!WaitActive("Save As")) return;
    Sleep(300);
    TypeName(file.string());
    Xdo("key Return");
    commentsShown = WaitActive("Save ECU configuration - File comments");
    if (!commentsShown) return;
    setenv("CQ5_DRAG_TEXT", std::string(300, 'c').c_str(), 1);
    setenv("CQ5_DRAG_READY", ready.c_str(), 1);
    source = x11test::Spawn({"/proc/self/exe", "--gtest_also_run_disabled_tests",
                             "--gtest_filter=DragSource.DISABLED_OffersItsSelection"});
    int x = 0, y = 0;
    for (int i = 0; i < 1000 && !(std::ifstream(ready) >> x >> y); ++i) Sleep(20);
    ASSERT_GT(x, 0) << "the other program never showed its text";
    TPoint memo, save;
    OnGui([&] {
      memo = ConfigSaveCommentsForm->Memo1->ClientToScreen({40, 20});
      TControl* b = ConfigSaveCommentsForm->Button1;
      save = b->ClientToScreen({b->Width() / 2, b->Height() / 2});
    });
    auto to = [](int px, int py) { return "mousemove " + std::to_string(px) + " " + std::to_string(py); };
    Xdo(to(x, y));
    Sleep(200);
    Xdo("mousedown 1");
    Sleep(300);
    Xdo(to(x + 40, y));
    Sleep(500);
    Xdo(to(memo.x, memo.y));
    Sleep(400);
    Xdo(to(memo.x + 2, memo.y));
    Sleep(400);
    Xdo("mouseup 1");
    Sleep(800);
    OnGui([&] { shown = ConfigSaveCommentsForm->Memo1->Text().c_str(); });
    Shot("q05-save-dropped");
    Xdo(to(save.x, save.y) + " click 1");
    saved = WaitActive(SetupForm->Caption().c_str());
  });
  if (source > 0) {
    kill(source, SIGTERM);
    waitpid(source, nullptr, 0);
  }
  unsetenv("CQ5_DRAG_TEXT");
  unsetenv("CQ5_DRAG_READY");
  EXPECT_TRUE(commentsShown);
  EXPECT_EQ(shown, std::string(255, 'c'));
  ASSERT_TRUE(saved);
  THKStreams container(nullptr);
  EXPECT_EQ(config::LoadConfigFile(file.string(), container).Comments.substr(0, 256), AnsiString(255, 'c'));
}

INSTANTIATE_TEST_SUITE_P(Screens, ConfigFileWindows, ::testing::Values("1024x768x24", "1600x1000x24"));

// Not a test of its own: another program on the display, for a test that drags text into
// the program from outside. It shows a typed edit whose selection can be dragged out,
// holding CQ5_DRAG_TEXT selected, writes the screen point of the text to CQ5_DRAG_READY and
// runs until it is ended.
TEST(DragSource, DISABLED_OffersItsSelection) {
  const char* text = std::getenv("CQ5_DRAG_TEXT");
  const char* ready = std::getenv("CQ5_DRAG_READY");
  if (text == nullptr || ready == nullptr) GTEST_SKIP() << "run by a test that drags from it";
  Application->Initialize();
  auto* form = new TForm(nullptr);
  form->SetCaption("Drag source");
  form->SetBounds(20, 600, 360, 80);
  auto* edit = new TAdvEdit(form);
  edit->SetParent(form);
  edit->SetBounds(10, 10, 320, 24);
  edit->SetOleDropSource(true);
  edit->SetText(text);
  form->Show();
  x11test::PumpUntil([&] { return Screen->ActiveForm() == form; }, 10000);
  x11test::PumpFor(300);
  edit->SetFocus();
  edit->SelectAll();
  x11test::PumpFor(100);
  const TPoint p = edit->ClientToScreen({10, 12});
  const std::string partial = std::string(ready) + ".part";
  std::ofstream(partial) << p.x << " " << p.y << "\n";
  fs::rename(partial, ready);
  x11test::PumpFor(60000);
}

}  // namespace

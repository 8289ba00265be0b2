// A file dialog and a message box opened over a modal window, answered from the keyboard
// under a real window manager: their keys stay theirs. Escape closes the file dialog and
// the message box, never the modal window behind them, and that window's own key handler
// sees none of their keys.
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <chrono>
#include <string>
#include <thread>

#include "platform/rtl/FileUtils.h"
#include "platform/stdctrls/StdCtrls.h"
#include "platform/ui/Application.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/Forms.h"
#include "platform/ui/MessageQueue.h"
#include "x11/XSession.h"

namespace {


// Presses keys in the window of that title once the window manager has made it active.
std::thread PressWhenActive(const std::string& title, const std::string& keys, std::atomic<bool>& pressed) {
  return std::thread([title, keys, &pressed] {
    if (!x11test::WaitUntil([&] { return x11test::ActiveTitle() == title; })) return;
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    std::system(("xdotool key " + keys + " >/dev/null 2>&1").c_str());
    pressed = true;
    // A dialog the keys did not close is closed by the window manager, so that a fault
    // fails the test instead of hanging it.
    if (!x11test::WaitUntil([&] { return x11test::ActiveTitle() != title; }, 30000)) {
      pressed = false;
      std::system("xdotool key alt+F4 >/dev/null 2>&1");
    }
  });
}

TEST(DialogKeys, EscapeInADialogOverAModalWindowClosesOnlyTheDialog) {
  x11test::XSession x;
  std::string missing;
  if (!x.Start(missing)) GTEST_SKIP() << "needs " << missing;
  Application->Initialize();

  auto* form = new TForm(nullptr);
  form->SetCaption("Modal owner");
  form->SetBounds(100, 100, 400, 250);
  form->SetKeyPreview(true);
  auto* ok = new TButton(form);
  ok->SetParent(form);
  ok->SetBounds(20, 180, 75, 25);
  ok->SetDefault(true);
  ok->SetModalResult(mrOk);
  int formKeys = 0;
  form->OnKeyDown = [&](TObject*, WORD&, TShiftState) { ++formKeys; };

  bool fileChosen = true;
  int boxAnswer = 0, resultAfterFile = -1, resultAfterBox = -1;
  std::atomic<bool> filePressed{false}, boxPressed{false};
  ui::RunOnGuiThread([&] {
    std::thread keys = PressWhenActive("Pick a file", "Escape", filePressed);
    ui::DialogRequest open;
    open.Kind = ui::DialogKind::OpenFile;
    open.Caption = "Pick a file";
    open.Filter = "All files|*";
    fileChosen = ui::DialogService::ExecuteFileDialog(open);
    keys.join();
    resultAfterFile = form->ModalResult();

    keys = PressWhenActive("Sure?", "Escape", boxPressed);
    boxAnswer = Application->MessageBox("Go on?", "Sure?", MB_OKCANCEL);
    keys.join();
    resultAfterBox = form->ModalResult();
    form->SetModalResult(mrIgnore);
  });
  EXPECT_EQ(form->ShowModal(), mrIgnore);
  EXPECT_TRUE(filePressed);
  EXPECT_FALSE(fileChosen);
  EXPECT_EQ(resultAfterFile, mrNone);
  EXPECT_TRUE(boxPressed);
  EXPECT_EQ(boxAnswer, IDCANCEL);
  EXPECT_EQ(resultAfterBox, mrNone);
  EXPECT_EQ(formKeys, 0);
  delete form;
}

}  // namespace

namespace {

// A name typed without an extension in the open dialog opens the file of the dialog's kind.
TEST(DialogKeys, ANameTypedWithoutExtensionOpensTheFileOfThatKind) {
  x11test::XSession x;
  std::string missing;
  if (!x.Start(missing)) GTEST_SKIP() << "needs " << missing;
  Application->Initialize();
  char folder[] = "/tmp/cq5-typed-XXXXXX";
  ASSERT_NE(mkdtemp(folder), nullptr);
  const std::string file = std::string(folder) + "/probe.map";
  std::fclose(std::fopen(file.c_str(), "w"));

  std::atomic<bool> pressed{false};
  std::thread keys = PressWhenActive("Open a map", "p r o b e Return", pressed);
  ui::DialogRequest open;
  open.Kind = ui::DialogKind::OpenFile;
  open.Caption = "Open a map";
  open.Filter = "Map files|*.map";
  open.DefaultExt = "map";
  open.InitialDir = folder;
  const bool chosen = ui::DialogService::ExecuteFileDialog(open);
  keys.join();
  EXPECT_TRUE(pressed);
  EXPECT_TRUE(chosen);
  EXPECT_EQ(std::string(open.FileName.c_str()), file);
  std::remove(file.c_str());
  rmdir(folder);
}

}  // namespace

namespace {

// A real file dialog given no folder opens in the home folder; closing it writes the
// toolkit's own settings, which under a file-size limit must fail quietly instead of
// ending the program.
TEST(DialogKeys, AFileDialogUnderAFileSizeLimitStartsAtHomeAndClosesSafely) {
  x11test::XSession x;
  std::string missing;
  if (!x.Start(missing)) GTEST_SKIP() << "needs " << missing;
  Application->Initialize();
  rlimit saved{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
  rlimit none = saved;
  none.rlim_cur = 0;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &none), 0);

  std::atomic<bool> pressed{false};
  std::thread keys = PressWhenActive("Pick a map", "Escape", pressed);
  ui::DialogRequest open;
  open.Kind = ui::DialogKind::OpenFile;
  open.Caption = "Pick a map";
  open.Filter = "Map files|*.map";
  open.FileName = "*.map";
  AnsiString folder;
  open.OnShow = [&] { folder = ui::FileDialogSession::Folder(); };
  const bool chosen = ui::DialogService::ExecuteFileDialog(open);
  keys.join();
  setrlimit(RLIMIT_FSIZE, &saved);
  EXPECT_TRUE(pressed);
  EXPECT_FALSE(chosen);
  AnsiString home = HomeFolder();
  home.pop_back();
  EXPECT_EQ(folder, home);
}

}  // namespace

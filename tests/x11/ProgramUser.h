#pragma once
// A keyboard user of the whole program under a real window manager: the program's 32
// windows made as at start-up, the simulated ECU on a port the settings name, and a thread
// that types through xdotool while the program runs its own message loop. What the user
// sees is asked of the program on its own thread.
#include <gtest/gtest.h>

#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "app/Main.h"
#include "controls/Aligrid.h"
#include "ecusim/PtyEcu.h"
#include "platform/graphics/Bitmap.h"
#include "platform/ui/Application.h"
#include "platform/ui/Forms.h"
#include "platform/ui/MessageQueue.h"
#include "platform/ui/Simulate.h"
#include "x11/XSession.h"

namespace x11test {

// Runs fn on the program's thread and hands back its answer.
template <typename T>
T Ask(std::function<T()> fn) {
  auto out = std::make_shared<T>();
  ui::SendToGuiThread([out, fn] { *out = fn(); }, 10000);
  return *out;
}

// Asks until the program answers true or ms have passed.
inline bool WaitFor(const std::function<bool()>& done, int ms = 10000) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  while (!Ask<bool>(done)) {
    if (std::chrono::steady_clock::now() > end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return true;
}

// Waits until the window manager's active window carries the title.
inline bool WaitActive(const std::string& title, int ms = kPatientMs) {
  return WaitUntil([&] { return ActiveTitle() == title; }, ms);
}

// The focused control of a form.
inline TWinControl* Focus(TForm* f) { return f->ActiveControl(); }

// The texts of a grid's selected cells, row by row, each followed by a space (called on the
// program's thread).
inline std::string SelectedCells(TStringAlignGrid* g) {
  const TGridRect r = g->Selection();
  std::string s;
  for (int row = r.Top; row <= r.Bottom; ++row)
    for (int col = r.Left; col <= r.Right; ++col) s += std::string(g->Cells(col, row).c_str()) + " ";
  return s;
}

// Keys as the window system delivers them to the active window.
inline void Press(const std::string& keys) {
  std::system(("xdotool key --delay 80 " + keys + " >/dev/null 2>&1").c_str());
}

// A picture of a control as it shows now.
inline std::shared_ptr<TBitmap> Picture(TControl* c) {
  return Ask<std::shared_ptr<TBitmap>>([c] {
    auto b = std::make_shared<TBitmap>();
    ui::GrabControl(c, *b);
    return b;
  });
}

inline bool SamePicture(const TBitmap& a, const TBitmap& b) {
  if (a.Width() != b.Width() || a.Height() != b.Height()) return false;
  auto& ca = *const_cast<TBitmap&>(a).Canvas();
  auto& cb = *const_cast<TBitmap&>(b).Canvas();
  for (int y = 0; y < a.Height(); ++y)
    for (int x = 0; x < a.Width(); ++x)
      if (ca.Pixel(x, y) != cb.Pixel(x, y)) return false;
  return true;
}

// The program on a screen of the size given as the test parameter ("1024x768x24").
class ProgramUser : public ::testing::TestWithParam<const char*> {
 protected:
  void SetUp() override {
    std::string missing;
    if (!x_.Start(missing, GetParam())) GTEST_SKIP() << "needs " << missing;
    Application->Initialize();
    screen_ = std::string(GetParam()).substr(0, std::string(GetParam()).rfind('x'));
    sim_.Start();
    sim_.ExportAsComPort(5);
    ini_ = (std::filesystem::temp_directory_path() / ("x11-user-" + std::to_string(getpid()) + ".ini")).string();
    std::ofstream(ini_) << IniText();
    CreateProgramForms();
    R7Tform1->SettingsFileName = ini_;
  }

  void TearDown() override {
    if (ini_.empty()) return;
    for (int i = Screen->FormCount(); i-- > 0;) delete Screen->Forms(i);
    Application->ProcessMessages();
    R7Tform1 = nullptr;
    sim_.Stop();
    unsetenv("CORVANEQ5_COM5");
    std::filesystem::remove(ini_);
  }

  // The settings the program starts with: the simulated ECU's port, linked at start-up.
  virtual std::string IniText() { return "[Comms]\nAuto=1\nPort=5\n"; }

  // Shows the main window and lets the user work until done; the program's own message
  // loop (and the modal windows' loops within it) runs meanwhile.
  void Run(const std::function<void()>& user) {
    std::atomic<bool> done{false};
    std::thread t([&] {
      user();
      // A user who gave up (a failed check) leaves no modal window open: its loop would
      // keep the program from ever returning to the test.
      for (int i = 0; i < 50 && Ask<bool>([] {
                        TForm* f = ui::ModalForm();
                        if (f != nullptr) f->SetModalResult(mrCancel);
                        return f != nullptr;
                      });
           ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
      done = true;
    });
    R7Tform1->Show();
    const bool finished = PumpUntil([&] { return done.load(); }, 120000);
    if (!finished) std::system("xdotool key Escape Escape Escape >/dev/null 2>&1");
    PumpUntil([&] { return done.load(); }, 20000);
    t.join();
    EXPECT_TRUE(finished);
  }

  // With CQ5_SCREENSHOT_DIR set, the screen is captured (frames included).
  void Shot(const std::string& name) {
    const char* dir = std::getenv("CQ5_SCREENSHOT_DIR");
    if (dir == nullptr) return;
    const std::string file = std::string(dir) + "/" + name + "-" + screen_ + ".png";
    std::this_thread::sleep_for(std::chrono::milliseconds(150));
    Ask<bool>([file] { return ui::GrabScreenToPng(file.c_str()); });
  }

  XSession x_;
  ecusim::PtyEcu sim_;
  std::string ini_, screen_;
};

}  // namespace x11test

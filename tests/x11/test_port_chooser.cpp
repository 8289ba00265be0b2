// The serial component's own port chooser, answered from the keyboard under a real window
// manager: a port opened without a number and with PromptForPort set asks for one.
#include <gtest/gtest.h>

#include <stdlib.h>

#include <atomic>
#include <iostream>
#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

#include "platform/ui/Application.h"
#include "platform/ui/Forms.h"
#include "platform/ui/MessageQueue.h"
#include "serial/AdExcept.h"
#include "serial/AdPort.h"
#include "serial/Pty.h"
#include "x11/XSession.h"

namespace {

using x11test::Output;

std::string ActiveName() { return Output("xdotool getactivewindow getwindowname 2>/dev/null"); }

// Waits (by the clock, up to 30 seconds) for the chooser to be the active window, takes a
// screenshot when asked for one, and presses the keys. A chooser the keys did not close, or
// that never became active, is cancelled from the program's side, so that a fault fails the
// test instead of hanging it.
std::thread Answer(const std::string& keys, const std::string& shot, std::atomic<bool>& pressed,
                   std::atomic<bool>& done) {
  return std::thread([keys, shot, &pressed, &done] {
    struct Done {
      std::atomic<bool>& flag;
      ~Done() { flag = true; }
    } mark{done};
    auto cancel = [] {
      ui::RunOnGuiThread([] {
        if (TForm* f = ui::ModalForm()) f->SetModalResult(mrCancel);
      });
    };
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (ActiveName() != "Select Port") {
      if (std::chrono::steady_clock::now() > until) {
        std::cout << "the chooser never became the active window (focus: "
                  << Output("xdotool getwindowfocus getwindowname 2>&1") << ")\n";
        return cancel();
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    if (const char* dir = std::getenv("CQ5_SCREENSHOT_DIR"))
      std::system(("import -window root '" + std::string(dir) + "/" + shot + ".png' 2>/dev/null").c_str());
    std::system(("xdotool key --delay 100 " + keys + " >/dev/null 2>&1").c_str());
    pressed = true;
    const auto closed = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (ActiveName() == "Select Port" && std::chrono::steady_clock::now() < closed)
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    if (ActiveName() == "Select Port") {
      pressed = false;
      cancel();
    }
  });
}

struct Ports {
  // Ports 1 and 3 are present, 2 is not.
  Pty com1{1}, com3{3};
  Ports() { setenv("CORVANEQ5_COM2", "/nonexistent/tty", 1); }
  ~Ports() { unsetenv("CORVANEQ5_COM2"); }
};

TEST(PortChooserKeys, ArrowsChooseAndEnterOpensThatPort) {
  x11test::XSession x;
  std::string missing;
  if (!x.Start(missing)) GTEST_SKIP() << "needs " << missing;
  Application->Initialize();
  Ports present;
  TApdComPort port(nullptr);
  std::atomic<bool> pressed{false}, done{false};
  std::thread keys = Answer("Down Up Down Return", "port-chooser-1024", pressed, done);
  port.SetOpen(true);
  // The window goes away only as the program handles its messages.
  x11test::PumpUntil([&] { return done.load(); }, 10000);
  keys.join();
  EXPECT_TRUE(pressed);
  EXPECT_EQ(port.ComNumber(), 3);
  EXPECT_EQ(port.PortState(), 2);
  port.SetOpen(false);
}

TEST(PortChooserKeys, EscapeCancelsAndNoPortIsSelected) {
  x11test::XSession x;
  std::string missing;
  if (!x.Start(missing, "1600x1000x24")) GTEST_SKIP() << "needs " << missing;
  Application->Initialize();
  Ports present;
  TApdComPort port(nullptr);
  std::atomic<bool> pressed{false}, done{false};
  std::thread keys = Answer("Down Escape", "port-chooser-1600", pressed, done);
  EXPECT_THROW(port.SetOpen(true), ENoPortSelected);
  x11test::PumpUntil([&] { return done.load(); }, 10000);
  keys.join();
  EXPECT_TRUE(pressed);
  EXPECT_EQ(port.ComNumber(), 0);
  EXPECT_EQ(port.PortState(), 0);
}

}  // namespace

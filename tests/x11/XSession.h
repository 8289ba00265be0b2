#pragma once
// A private X server (Xvfb, 1024x768) with openbox managing it, for tests that need a
// real window manager. The display is set for this process before the first window.
// Every wait on another process is bounded by the clock and generous: with every core
// busy, starting the server, mapping a window or answering a key can take seconds.
#include <gtest/gtest.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "platform/ui/Application.h"
#include "platform/ui/MessageQueue.h"

extern char** environ;

namespace x11test {

// How long a wait on the X server, the window manager or the program may take under load.
inline constexpr int kPatientMs = 60000;

inline bool OnPath(const char* tool) {
  return std::system((std::string("command -v ") + tool + " >/dev/null 2>&1").c_str()) == 0;
}

inline pid_t Spawn(const std::vector<std::string>& argv) {
  std::vector<char*> args;
  for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  pid_t pid = 0;
  if (posix_spawnp(&pid, args[0], nullptr, nullptr, args.data(), environ) != 0) return 0;
  return pid;
}

// Runs a shell command and returns its standard output.
inline std::string Output(const std::string& cmd) {
  std::string out;
  if (FILE* p = popen(cmd.c_str(), "r")) {
    std::array<char, 256> buf{};
    while (fgets(buf.data(), buf.size(), p)) out += buf.data();
    pclose(p);
  }
  while (!out.empty() && (out.back() == '\n' || out.back() == ' ')) out.pop_back();
  return out;
}

class XSession {
 public:
  // False (with the tool in `missing`) where the tools are not installed: the test then
  // skips itself. With the tools there, a session that does not come up within the bound
  // is a failure of the test, not a reason to skip it: Start records a fatal failure and
  // returns false, and the test stops as failed.
  bool Start(std::string& missing, const std::string& screen = "1024x768x24") {
    for (const char* t : {"Xvfb", "openbox", "xdotool", "xprop"})
      if (!OnPath(t)) {
        missing = t;
        return false;
      }
    if (StartTools(missing, screen)) return true;
    // A fatal failure: a fixture's test body is not run after it.
    [&] { FAIL() << "the X session did not start: no " << missing << " within " << kPatientMs / 1000 << " s"; }();
    return false;
  }
  const std::string& Display() const { return display_; }

 private:
  // Starts the server and the window manager, and starts them afresh while time is left
  // when either ends before the session is up (a server that lost the race for a display
  // number to another session starting at the same moment, say).
  bool StartTools(std::string& missing, const std::string& screen) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(kPatientMs);
    while (std::chrono::steady_clock::now() < until) {
      const int up = StartOnce(missing, screen, until);
      if (up > 0) return true;
      if (up == 0) return false;  // out of time
      // The watcher first, so that it never signals a process id that is no longer ours.
      for (pid_t* p : {&watcher_, &wm_, &xvfb_})
        if (*p > 0) {
          kill(*p, SIGTERM);
          waitpid(*p, nullptr, 0);
          *p = 0;
        }
      std::this_thread::sleep_for(std::chrono::milliseconds(200));
    }
    return false;
  }

  // 1: the session is up; -1: the server or the window manager ended; 0: out of time.
  int StartOnce(std::string& missing, const std::string& screen, std::chrono::steady_clock::time_point until) {
    auto ended = [](pid_t& p) {
      if (p > 0 && waitpid(p, nullptr, WNOHANG) == p) p = 0;  // reaped: not to be signalled again
      return p <= 0;
    };
    int fds[2];
    if (pipe(fds) != 0) {
      missing = "pipe for Xvfb";
      return 0;
    }
    xvfb_ = Spawn({"Xvfb", "-displayfd", std::to_string(fds[1]), "-screen", "0", screen, "-nolisten", "tcp"});
    close(fds[1]);
    // Xvfb writes its display number once it takes connections, and closes the pipe if it
    // gives up.
    std::string number;
    bool complete = false;
    for (;;) {
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(until - std::chrono::steady_clock::now());
      if (left.count() <= 0) break;
      pollfd p{fds[0], POLLIN, 0};
      const int r = poll(&p, 1, static_cast<int>(left.count()));
      if (r < 0 && errno == EINTR) continue;
      if (r <= 0) break;
      char c;
      if (read(fds[0], &c, 1) != 1) break;
      if (c == '\n') {
        complete = true;
        break;
      }
      number += c;
    }
    close(fds[0]);
    missing = "display from Xvfb";
    if (!complete || number.empty()) return std::chrono::steady_clock::now() < until ? -1 : 0;
    display_ = ":" + number;
    setenv("DISPLAY", display_.c_str(), 1);
    setenv("QT_QPA_PLATFORM", "xcb", 1);
    wm_ = Spawn({"openbox", "--sm-disable"});
    // The server outlives every window of this process: a watcher ends it and the window
    // manager once the process is gone (ending them earlier would break the toolkit's
    // connection while it still holds it).
    watcher_ = Spawn({"sh", "-c",
           "while kill -0 " + std::to_string(getpid()) + " 2>/dev/null; do sleep 0.2; done; kill " +
               std::to_string(wm_) + " " + std::to_string(xvfb_)});
    // openbox has taken over once the root window names its check window.
    missing = "running openbox";
    while (std::chrono::steady_clock::now() < until) {
      if (Output("xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null").find("window id") != std::string::npos) {
        // openbox names its check window before it has finished starting; a window mapped
        // in between is adopted as one that was already there and is never given the focus.
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        return 1;
      }
      if (ended(wm_) || ended(xvfb_)) return -1;
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return 0;
  }

  pid_t xvfb_ = 0, wm_ = 0, watcher_ = 0;
  std::string display_;
};

// Handles the program's messages until done() holds or ms milliseconds have passed.
template <typename Pred>
bool PumpUntil(Pred done, int ms = kPatientMs) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  while (!done()) {
    if (std::chrono::steady_clock::now() > end) return false;
    Application->ProcessMessages();
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return true;
}
inline void PumpFor(int ms) { PumpUntil([] { return false; }, ms); }

// Waits, without handling the program's messages (on a driving thread), until done() holds
// or ms milliseconds have passed.
template <typename Pred>
bool WaitUntil(Pred done, int ms = kPatientMs) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  while (!done()) {
    if (std::chrono::steady_clock::now() > end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return true;
}

// The window the window manager holds active, and its title.
inline std::string ActiveWindow() { return Output("xdotool getactivewindow 2>/dev/null"); }
inline std::string ActiveTitle() { return Output("xdotool getactivewindow getwindowname 2>/dev/null"); }

// On the program's thread: has the window manager activate the window (asked again now and
// then, as a request made while the window was still being mapped is dropped) and handles
// the program's messages until the window is mapped, managed and active. Keys meant for the
// window manager go only to such a window.
inline bool ActivateAndWait(const std::string& id, int ms = kPatientMs) {
  auto asked = std::chrono::steady_clock::time_point{};
  return PumpUntil(
      [&] {
        const bool mapped = Output("xprop -id " + id + " WM_STATE 2>/dev/null").find("Normal") != std::string::npos;
        if (mapped && ActiveWindow() == id) return true;
        if (std::chrono::steady_clock::now() - asked > std::chrono::seconds(2)) {
          std::system(("xdotool windowactivate " + id + " >/dev/null 2>&1").c_str());
          asked = std::chrono::steady_clock::now();
        }
        return false;
      },
      ms);
}

// On the program's thread: closes the window with the window manager's close key once it is
// active, and handles the program's messages until closed() holds.
template <typename Pred>
bool CloseWithWindowManager(const std::string& id, Pred closed, int ms = kPatientMs) {
  if (!ActivateAndWait(id, ms)) return false;
  std::system("xdotool key --clearmodifiers alt+F4 >/dev/null 2>&1");
  return PumpUntil(closed, ms);
}

// Runs f on the program's thread and waits for it (called from a driving thread).
inline void OnGui(const std::function<void()>& f) {
  std::atomic<bool> done{false};
  ui::RunOnGuiThread([&] {
    f();
    done = true;
  });
  while (!done) std::this_thread::sleep_for(std::chrono::milliseconds(20));
}

}  // namespace x11test

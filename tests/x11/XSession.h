#pragma once
// A private X server (Xvfb, 1024x768) with openbox managing it, for tests that need a
// real window manager. The display is set for this process before the first window.
#include <spawn.h>
#include <unistd.h>

#include <array>
#include <atomic>
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
  // False (with the reason in `missing`) where the tools are not installed.
  bool Start(std::string& missing, const std::string& screen = "1024x768x24") {
    for (const char* t : {"Xvfb", "openbox", "xdotool", "xprop"})
      if (!OnPath(t)) {
        missing = t;
        return false;
      }
    int fds[2];
    if (pipe(fds) != 0) return false;
    xvfb_ = Spawn({"Xvfb", "-displayfd", std::to_string(fds[1]), "-screen", "0", screen, "-nolisten", "tcp"});
    close(fds[1]);
    std::string number;
    char c;
    while (read(fds[0], &c, 1) == 1 && c != '\n') number += c;
    close(fds[0]);
    if (!xvfb_ || number.empty()) {
      missing = "a display from Xvfb";
      return false;
    }
    display_ = ":" + number;
    setenv("DISPLAY", display_.c_str(), 1);
    setenv("QT_QPA_PLATFORM", "xcb", 1);
    wm_ = Spawn({"openbox", "--sm-disable"});
    // The server outlives every window of this process: a watcher ends it and the window
    // manager once the process is gone (ending them earlier would break the toolkit's
    // connection while it still holds it).
    Spawn({"sh", "-c",
           "while kill -0 " + std::to_string(getpid()) + " 2>/dev/null; do sleep 0.2; done; kill " +
               std::to_string(wm_) + " " + std::to_string(xvfb_)});
    // openbox has taken over once the root window names its check window.
    for (int i = 0; i < 500; ++i) {
      if (Output("xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null").find("window id") != std::string::npos) {
        // openbox names its check window before it has finished starting; a window mapped
        // in between is adopted as one that was already there and is never given the focus.
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        return true;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    missing = "a running openbox";
    return false;
  }
  const std::string& Display() const { return display_; }

 private:
  pid_t xvfb_ = 0, wm_ = 0;
  std::string display_;
};

// Handles the program's messages until done() holds or ms milliseconds have passed.
template <typename Pred>
bool PumpUntil(Pred done, int ms = 5000) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  while (!done()) {
    if (std::chrono::steady_clock::now() > end) return false;
    Application->ProcessMessages();
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return true;
}
inline void PumpFor(int ms) { PumpUntil([] { return false; }, ms); }

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

#pragma once
// A pseudo-terminal standing in for the serial line: the port opens the terminal side
// through a port-number override, the test talks on the master side.
#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <unistd.h>

#include <chrono>
#include <functional>
#include <string>
#include <thread>

#include "serial/AwGui.h"

class Pty {
 public:
  explicit Pty(int comNumber) : com_(comNumber) {
    master_ = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (master_ >= 0 && grantpt(master_) == 0 && unlockpt(master_) == 0) path_ = ptsname(master_);
    setenv(EnvName().c_str(), path_.c_str(), 1);
  }
  ~Pty() {
    unsetenv(EnvName().c_str());
    if (master_ >= 0) close(master_);
  }
  bool Ok() const { return master_ >= 0 && !path_.empty(); }
  // Hangs up the line, as an unplugged adapter does.
  void HangUp() {
    if (master_ >= 0) close(master_);
    master_ = -1;
  }
  int ComNumber() const { return com_; }

  void Write(const std::string& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
      const ssize_t n = write(master_, bytes.data() + done, bytes.size() - done);
      if (n > 0) done += static_cast<size_t>(n);
      else std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
  }
  // Reads until `count` bytes came or `timeoutMs` passed.
  std::string Read(size_t count, int timeoutMs = 10000) {
    std::string out;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (out.size() < count && std::chrono::steady_clock::now() < deadline) {
      pollfd pfd{master_, POLLIN, 0};
      if (poll(&pfd, 1, 20) > 0) {
        char buf[256];
        const ssize_t n = read(master_, buf, sizeof buf);
        if (n > 0) out.append(buf, static_cast<size_t>(n));
      }
    }
    return out;
  }

 private:
  std::string EnvName() const { return "CORVANEQ5_COM" + std::to_string(com_); }
  int com_;
  int master_ = -1;
  std::string path_;
};

// Handles GUI-thread messages until `done` holds or a generous real-time limit passed.
inline bool PumpUntilTrue(const std::function<bool()>& done, int timeoutMs = 10000) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (!done()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    if (!apd::gui::PumpMessages()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return true;
}

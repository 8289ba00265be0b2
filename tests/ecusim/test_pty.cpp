#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <string>
#include <thread>

#include "ecusim/Framing.h"
#include "ecusim/PtyEcu.h"

namespace ecusim {
namespace {

// The program's side of the line: the terminal opened the way a serial port is.
class Line {
 public:
  explicit Line(const std::string& path) : fd_(open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK)) {
    if (fd_ >= 0) {
      termios t{};
      tcgetattr(fd_, &t);
      cfmakeraw(&t);
      tcsetattr(fd_, TCSANOW, &t);
    }
  }
  ~Line() {
    if (fd_ >= 0) close(fd_);
  }
  bool Ok() const { return fd_ >= 0; }
  void Write(const std::string& bytes) { ASSERT_EQ(write(fd_, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size())); }
  // Reads packets until `done` accepts one or a generous time passed.
  bool WaitFor(const std::function<bool(const Packet&)>& done, int timeoutMs = 10000) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (std::chrono::steady_clock::now() < deadline) {
      pollfd pfd{fd_, POLLIN, 0};
      if (poll(&pfd, 1, 20) <= 0) continue;
      if (pfd.revents & (POLLHUP | POLLERR)) return false;
      char buf[1024];
      const ssize_t n = read(fd_, buf, sizeof buf);
      if (n <= 0) continue;
      buffer_.append(buf, static_cast<std::size_t>(n));
      for (const auto& p : DecodePackets(buffer_, &buffer_))
        if (done(p)) return true;
    }
    return false;
  }
  // True when the line reports a hang-up within the time.
  bool HungUp(int timeoutMs = 10000) {
    pollfd pfd{fd_, POLLIN, 0};
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (std::chrono::steady_clock::now() < deadline) {
      if (poll(&pfd, 1, 20) > 0) {
        if (pfd.revents & POLLHUP) return true;
        char buf[1024];
        const ssize_t n = read(fd_, buf, sizeof buf);
        if (n < 0 && errno == EIO) return true;
      }
    }
    return false;
  }

 private:
  int fd_;
  std::string buffer_;
};

TEST(EcusimPty, RoundTripOverAPseudoTerminal) {
  PtyEcu ecu;
  ecu.Start();
  ASSERT_EQ(ecu.SlavePath().rfind("/dev/pts/", 0), 0u) << ecu.SlavePath();
  ecu.With([](Ecu& e) { e.State().fast.rpm = 2500; });
  Line line(ecu.SlavePath());
  ASSERT_TRUE(line.Ok());

  EXPECT_TRUE(line.WaitFor([](const Packet& p) {
    return p.type == kFastLive && p.data.size() == kFastDataSize &&
           static_cast<unsigned char>(p.data[0]) == 2500 >> 8;
  }));
  line.Write("$s");
  EXPECT_TRUE(line.WaitFor([](const Packet& p) { return p.type == kStatus; }));
  EXPECT_EQ(ecu.FramesReceived('s'), 1u);

  line.Write(MemoryWriteFrame(kBankAddress + 2 * kBankSize + 10, "\x42\x43"));
  line.Write("$s");  // answered only after the write before it was taken
  EXPECT_TRUE(line.WaitFor([](const Packet& p) { return p.type == kStatus; }));
  EXPECT_EQ(ecu.BankBytes(3)[10], 0x42);
  EXPECT_EQ(ecu.BankBytes(3)[11], 0x43);

  ecu.Stop();
  EXPECT_TRUE(line.HungUp());
}

TEST(EcusimPty, ExportsThePortOverride) {
  PtyEcu ecu;
  ecu.Start();
  ecu.ExportAsComPort(57);
  const char* value = getenv("CORVANEQ5_COM57");
  ASSERT_NE(value, nullptr);
  EXPECT_EQ(std::string(value), ecu.SlavePath());
  unsetenv("CORVANEQ5_COM57");
}

}  // namespace
}  // namespace ecusim

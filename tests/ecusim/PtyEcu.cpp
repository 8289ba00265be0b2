#include "ecusim/PtyEcu.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

namespace ecusim {

namespace {

constexpr std::size_t kBacklogLimit = 64 * 1024;
constexpr int kPollMs = 5;

std::uint64_t NowMs() {
  return static_cast<std::uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                        std::chrono::steady_clock::now().time_since_epoch())
                                        .count());
}

}  // namespace

PtyEcu::PtyEcu(const Timing& timing) : ecu_(timing) {}

PtyEcu::~PtyEcu() { Stop(); }

void PtyEcu::Start() {
  if (thread_.joinable()) return;
  termios raw{};
  cfmakeraw(&raw);
  raw.c_cflag |= CLOCAL | CREAD;
  cfsetispeed(&raw, B19200);
  cfsetospeed(&raw, B19200);
  char name[256] = {};
  if (openpty(&master_, &slave_, name, &raw, nullptr) != 0)
    throw std::runtime_error(std::string("openpty failed: ") + std::strerror(errno));
  fcntl(master_, F_SETFL, fcntl(master_, F_GETFL) | O_NONBLOCK);
  fcntl(master_, F_SETFD, FD_CLOEXEC);
  fcntl(slave_, F_SETFD, FD_CLOEXEC);
  slavePath_ = name;
  stop_.store(false);
  thread_ = std::thread([this] { Run(); });
}

void PtyEcu::Stop() {
  if (thread_.joinable()) {
    stop_.store(true);
    thread_.join();
  }
  if (slave_ >= 0) close(slave_);
  if (master_ >= 0) close(master_);
  slave_ = master_ = -1;
}

void PtyEcu::ExportAsComPort(int n) const {
  setenv(("CORVANEQ5_COM" + std::to_string(n)).c_str(), slavePath_.c_str(), 1);
}

void PtyEcu::Run() {
  std::string pending;
  char buf[4096];
  while (!stop_.load()) {
    pollfd pfd{master_, static_cast<short>(POLLIN | (pending.empty() ? 0 : POLLOUT)), 0};
    const int ready = poll(&pfd, 1, kPollMs);
    std::string in;
    if (ready > 0 && (pfd.revents & POLLIN)) {
      const ssize_t n = read(master_, buf, sizeof buf);
      if (n > 0) in.assign(buf, static_cast<std::size_t>(n));
    }
    {
      std::lock_guard<std::mutex> guard(mutex_);
      const std::uint64_t now = NowMs();
      if (!in.empty()) ecu_.Receive(in, now);
      ecu_.Tick(now);
      std::string out = ecu_.TakeOutput();
      // Whole outputs only, so a dropped stretch never cuts a packet in half.
      if (pending.size() + out.size() <= kBacklogLimit) pending += out;
      else dropped_.fetch_add(out.size());
    }
    while (!pending.empty()) {
      const ssize_t n = write(master_, pending.data(), pending.size());
      if (n <= 0) break;  // the terminal's buffer is full: try again next round
      pending.erase(0, static_cast<std::size_t>(n));
    }
  }
}

std::vector<std::uint8_t> PtyEcu::BankBytes(int bank) {
  return With([bank](Ecu& e) {
    const auto b = e.Bank(bank);
    return std::vector<std::uint8_t>(b.begin(), b.end());
  });
}

std::vector<std::uint8_t> PtyEcu::ConfigImage() {
  return With([](Ecu& e) {
    const auto c = e.Config();
    return std::vector<std::uint8_t>(c.begin(), c.end());
  });
}

std::uint32_t PtyEcu::FramesReceived(char letter) {
  return With([letter](Ecu& e) { return e.GetCounters().Frames(letter); });
}

Counters PtyEcu::GetCounters() {
  return With([](Ecu& e) { return e.GetCounters(); });
}

void PtyEcu::SetStreaming(bool on) {
  With([on](Ecu& e) { e.SetStreaming(on); });
}

void PtyEcu::SetPowered(bool on) {
  With([on](Ecu& e) { e.SetPowered(on); });
}

}  // namespace ecusim

#include "ecusim/PtyEcu.h"

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
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
  // Paced line: byte allowances that grow with time at the line's rate, capped at a
  // UART's small FIFO so that a pause never turns into a burst.
  constexpr double kFifoBytes = 16;
  double inAllowance = 0, outAllowance = 0;
  auto lastPace = std::chrono::steady_clock::now();
  while (!stop_.load()) {
    const std::uint32_t baud = pacedBaud_.load();
    if (baud != 0) {
      const auto now = std::chrono::steady_clock::now();
      const double bytes = std::chrono::duration<double>(now - lastPace).count() * baud / 10.0;
      lastPace = now;
      inAllowance = std::min(inAllowance + bytes, kFifoBytes);
      outAllowance = std::min(outAllowance + bytes, kFifoBytes);
    }
    auto allowed = [baud](double allowance, std::size_t want) {
      return baud == 0 ? want : std::min(want, static_cast<std::size_t>(allowance));
    };
    const std::size_t readable = allowed(inAllowance, sizeof buf);
    const bool canWrite = !pending.empty() && allowed(outAllowance, pending.size()) > 0;
    pollfd pfd{master_, static_cast<short>((readable > 0 ? POLLIN : 0) | (canWrite ? POLLOUT : 0)), 0};
    const int ready = poll(&pfd, 1, baud != 0 ? 1 : kPollMs);
    std::string in;
    if (ready > 0 && (pfd.revents & POLLIN) && readable > 0) {
      const ssize_t n = read(master_, buf, readable);
      if (n > 0) {
        in.assign(buf, static_cast<std::size_t>(n));
        if (baud != 0) inAllowance -= static_cast<double>(n);
      }
    }
    {
      std::lock_guard<std::mutex> guard(mutex_);
      const std::uint64_t now = NowMs();
      ecu_.LineSent(sent_);
      if (!in.empty()) ecu_.Receive(in, now);
      ecu_.Tick(now);
      std::string out = ecu_.TakeOutput();
      // Whole outputs only, so a dropped stretch never cuts a packet in half.
      if (pending.size() + out.size() <= kBacklogLimit) {
        pending += out;
      } else {
        dropped_.fetch_add(out.size());
        sent_ += out.size();
      }
    }
    // A pace switched on during this round applies from the next one: what the ECU said
    // meanwhile must not leave at the unpaced rate.
    if (pacedBaud_.load() != baud) continue;
    while (!pending.empty()) {
      const std::size_t want = allowed(outAllowance, pending.size());
      if (want == 0) break;
      const ssize_t n = write(master_, pending.data(), want);
      if (n <= 0) break;  // the terminal's buffer is full: try again next round
      pending.erase(0, static_cast<std::size_t>(n));
      sent_ += static_cast<std::uint64_t>(n);
      if (baud != 0) outAllowance -= static_cast<double>(n);
    }
  }
  // What had not left yet never will: the line is dropped.
  sent_ += pending.size();
  std::lock_guard<std::mutex> guard(mutex_);
  ecu_.LineSent(sent_);
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

void PtyEcu::SetPauseWhileProgrammed(bool on) {
  With([on](Ecu& e) { e.SetPauseWhileProgrammed(on); });
}

void PtyEcu::SetPowered(bool on) {
  With([on](Ecu& e) { e.SetPowered(on); });
}

}  // namespace ecusim

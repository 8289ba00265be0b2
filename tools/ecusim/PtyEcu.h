#pragma once
// Runs a simulated ECU on the master side of a pseudo-terminal, in a thread of its own.
// The program opens the terminal side as its serial port through the port-number override
// (CORVANEQ5_COM<n>=<SlavePath()>). All access to the ECU goes through one lock.
#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "ecusim/Ecu.h"

namespace ecusim {

class PtyEcu {
 public:
  explicit PtyEcu(const Timing& timing = {});
  // Stops the thread and closes the terminal; the program's port sees the line hang up.
  ~PtyEcu();
  PtyEcu(const PtyEcu&) = delete;
  PtyEcu& operator=(const PtyEcu&) = delete;

  // Opens the pseudo-terminal (raw, 8 bits) and starts the ECU. Throws std::runtime_error
  // when no terminal can be had. Harmless when already started.
  void Start();
  // Drops the line: the thread stops and the terminal closes, so the program's port sees a
  // hang-up. The ECU keeps its state; Start brings the line back on a fresh terminal (with
  // a path of its own, to be exported again).
  void Stop();
  bool Running() const { return thread_.joinable(); }

  // e.g. "/dev/pts/7"; empty before Start.
  const std::string& SlavePath() const { return slavePath_; }
  // Points CORVANEQ5_COM<n> at this terminal (for tests in the same process).
  void ExportAsComPort(int n) const;

  // Runs `f(Ecu&)` under the lock and returns its result.
  template <class F>
  auto With(F&& f) {
    std::lock_guard<std::mutex> guard(mutex_);
    return f(ecu_);
  }

  // Snapshots and switches, each under the lock.
  std::vector<std::uint8_t> BankBytes(int bank);
  std::vector<std::uint8_t> ConfigImage();
  std::uint32_t FramesReceived(char letter);
  Counters GetCounters();
  void SetStreaming(bool on);
  void SetPowered(bool on);
  void SetPauseWhileProgrammed(bool on);
  // Paces the line at `baud` (8-N-1: ten bits a byte) in both directions, as a real
  // serial line would; 0 (the default) passes bytes as fast as the terminal takes them.
  void SetPacedBaud(std::uint32_t baud) { pacedBaud_.store(baud); }
  // Bytes dropped because the program did not read the line (backlog above 64 KiB).
  std::uint64_t DroppedBytes() const { return dropped_.load(); }

 private:
  void Run();

  Ecu ecu_;
  std::mutex mutex_;
  int master_ = -1;
  int slave_ = -1;  // held open so the master never reads EIO while the program is away
  std::string slavePath_;
  std::thread thread_;
  std::atomic<bool> stop_{false};
  std::atomic<std::uint64_t> dropped_{0};
  std::atomic<std::uint32_t> pacedBaud_{0};
  // Bytes of the ECU's output that have left on the line or were dropped (the line's thread's).
  std::uint64_t sent_ = 0;
};

}  // namespace ecusim

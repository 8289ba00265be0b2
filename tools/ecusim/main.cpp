// ecusim: a simulated ECU on a pseudo-terminal for trying the program by hand, e.g.
//   ecusim > /tmp/ecu.path &  CORVANEQ5_COM1=$(head -1 /tmp/ecu.path) corvaneq5
// It prints the terminal's path on the first line and runs until interrupted. An engine
// model drives the live values (the seed is the optional first argument; "--still" keeps
// the engine idling at fixed values; "--baud 19200" paces the line at that rate, as a real
// serial line carries it; "--interval 100" sends a fast live packet every 100 ms instead of
// the default 50 ms, the full rate of a 19,200 baud line). Commands read from standard
// input, one a line:
//   silent | stream          stop / resume the live packets
//   off | on                 power the ECU off / on (on is a restart)
//   bad-stuffing | truncated | overlong   send one damaged packet
//   delay-config <ms>        answer "$c" that much later
//   cut-upload <ms>          cut the line for that long after the next upload's first frame
//   hangup                   drop the line and come back on a new terminal (path printed)
//   quit
#include <poll.h>
#include <signal.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>

#include "ecusim/PtyEcu.h"

namespace {

// Carries out one command; false for "quit".
bool Command(ecusim::PtyEcu& ecu, const std::string& line) {
  using ecusim::Ecu;
  using ecusim::LineFault;
  if (line == "quit") return false;
  if (line == "silent") ecu.SetStreaming(false);
  else if (line == "stream") ecu.SetStreaming(true);
  else if (line == "off") ecu.SetPowered(false);
  else if (line == "on") ecu.SetPowered(true);
  else if (line == "bad-stuffing") ecu.With([](Ecu& e) { e.InjectFault(LineFault::BadStuffing); });
  else if (line == "truncated") ecu.With([](Ecu& e) { e.InjectFault(LineFault::Truncated); });
  else if (line == "overlong") ecu.With([](Ecu& e) { e.InjectFault(LineFault::OverLong); });
  else if (line.rfind("delay-config ", 0) == 0) {
    const auto ms = static_cast<std::uint32_t>(std::strtoul(line.c_str() + 13, nullptr, 10));
    ecu.With([ms](Ecu& e) { e.SetConfigReplyDelay(ms); });
  } else if (line.rfind("cut-upload ", 0) == 0) {
    const auto ms = static_cast<std::uint32_t>(std::strtoul(line.c_str() + 11, nullptr, 10));
    ecu.With([ms](Ecu& e) { e.CutLineAfterConfigFrame(ms); });
  } else if (line == "hangup") {
    ecu.Stop();
    ecu.Start();
    std::printf("%s\n", ecu.SlavePath().c_str());
  } else if (!line.empty()) {
    std::fprintf(stderr, "ecusim: unknown command \"%s\"\n", line.c_str());
  }
  std::fflush(stdout);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  sigset_t stopSignals;
  sigemptyset(&stopSignals);
  sigaddset(&stopSignals, SIGINT);
  sigaddset(&stopSignals, SIGTERM);
  sigaddset(&stopSignals, SIGHUP);
  // Blocked before the ECU thread starts, so they arrive only through the signal fd below.
  pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
  const int signals = signalfd(-1, &stopSignals, SFD_CLOEXEC);
  bool engine = true;
  std::uint32_t seed = 1;
  std::uint32_t baud = 0;
  ecusim::Timing timing;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--still") {
      engine = false;
    } else if (arg == "--baud" && i + 1 < argc) {
      baud = static_cast<std::uint32_t>(std::strtoul(argv[++i], nullptr, 10));
    } else if (arg == "--interval" && i + 1 < argc) {
      // Past the program's 990 ms link watchdog the link would drop between packets.
      const unsigned long ms = std::strtoul(argv[++i], nullptr, 10);
      if (ms < 1 || ms > 900) {
        std::fprintf(stderr, "ecusim: --interval takes 1 to 900 milliseconds\n");
        return 2;
      }
      timing.fastIntervalMs = static_cast<std::uint32_t>(ms);
    } else {
      seed = static_cast<std::uint32_t>(std::strtoul(argv[i], nullptr, 0));
    }
  }
  try {
    ecusim::PtyEcu ecu(timing);
    ecu.With([&](ecusim::Ecu& e) {
      auto& s = e.State();
      s.fast.rpm = 850;
      s.fast.afr = 147;
      s.slow.statusWord = 0x0004;  // idling
      if (engine) e.RunEngine(seed);
    });
    if (baud != 0) ecu.SetPacedBaud(baud);
    ecu.Start();
    std::printf("%s\n", ecu.SlavePath().c_str());
    std::fflush(stdout);

    bool input = true;  // standard input is read until it ends
    std::string line;
    for (;;) {
      pollfd fds[2] = {{signals, POLLIN, 0}, {STDIN_FILENO, POLLIN, 0}};
      if (poll(fds, input ? 2 : 1, -1) < 0) continue;
      if (fds[0].revents & POLLIN) break;
      if (input && (fds[1].revents & (POLLIN | POLLHUP))) {
        char buf[256];
        const ssize_t n = read(STDIN_FILENO, buf, sizeof buf);
        if (n <= 0) {
          input = false;
          continue;
        }
        bool quit = false;
        for (ssize_t i = 0; i < n && !quit; ++i) {
          if (buf[i] != '\n') {
            line += buf[i];
            continue;
          }
          quit = !Command(ecu, line);
          line.clear();
        }
        if (quit) break;
      }
    }
    ecu.Stop();
  } catch (const std::exception& e) {
    std::fprintf(stderr, "ecusim: %s\n", e.what());
    return 1;
  }
  return 0;
}

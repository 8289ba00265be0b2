// ecusim: a simulated ECU on a pseudo-terminal for trying the program by hand, e.g.
//   ecusim > /tmp/ecu.path &  CORVANEQ5_COM1=$(head -1 /tmp/ecu.path) corvaneq5
// It prints the terminal's path on the first line and runs until interrupted.
#include <signal.h>

#include <cstdio>
#include <exception>

#include "ecusim/PtyEcu.h"

int main() {
  sigset_t stopSignals;
  sigemptyset(&stopSignals);
  sigaddset(&stopSignals, SIGINT);
  sigaddset(&stopSignals, SIGTERM);
  sigaddset(&stopSignals, SIGHUP);
  // Blocked before the ECU thread starts, so only sigwait below sees them.
  pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
  try {
    ecusim::PtyEcu ecu;
    ecu.Start();
    ecu.With([](ecusim::Ecu& e) {
      auto& s = e.State();
      s.fast.rpm = 850;
      s.fast.throttlePercent = 0;
      s.fast.afr = 147;
      s.slow.statusWord = 0x0004;  // idling
    });
    std::printf("%s\n", ecu.SlavePath().c_str());
    std::fflush(stdout);
    int sig = 0;
    sigwait(&stopSignals, &sig);
    ecu.Stop();
  } catch (const std::exception& e) {
    std::fprintf(stderr, "ecusim: %s\n", e.what());
    return 1;
  }
  return 0;
}

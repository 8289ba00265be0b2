// The simulated ECU's firmware download when told to fail.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ecusim/Ecu.h"
#include "ecusim/Framing.h"

namespace ecusim {
namespace {

// Replies and live packets the ECU sends while a two-byte download runs with `fault`.
std::string Download(FirmwareFault fault, std::uint32_t* restarts) {
  Ecu ecu;
  ecu.SetStreaming(true);
  ecu.State().firmwareFault = fault;
  std::uint64_t now = 1000;
  ecu.Tick(now);
  ecu.TakeOutput();
  const std::string length("\0\0\0\2", 4);
  ecu.Receive("$R" + length + static_cast<char>(FirmwareStartChecksum(length)) + "ab", now);
  std::string seen;  // firmware replies by code, a live packet as '.'; one '.' per run of them
  for (int i = 0; i < 150; ++i, now += 10) {
    ecu.Tick(now);
    for (const Packet& p : DecodePackets(ecu.TakeOutput())) {
      if (p.type == kFirmwareReply) seen += static_cast<char>(p.sub);
      else if (seen.empty() || seen.back() != '.') seen += '.';
    }
  }
  *restarts = ecu.State().restarts;
  return seen;
}

TEST(EcusimFirmwareFaults, EachFaultAnswersAsAsked) {
  struct Case { FirmwareFault fault; const char* seen; std::uint32_t restarts; } cases[] = {
      {FirmwareFault::None, "SIV.", 1},
      {FirmwareFault::ErrorAfterCode, "SE.", 0},
      {FirmwareFault::Silent, "", 0},
      {FirmwareFault::ResetBeforeVerify, "SI.", 1},
  };
  for (const Case& c : cases) {
    std::uint32_t restarts = 0;
    EXPECT_EQ(Download(c.fault, &restarts), c.seen) << static_cast<int>(c.fault);
    EXPECT_EQ(restarts, c.restarts) << static_cast<int>(c.fault);
  }
}

}  // namespace
}  // namespace ecusim

#pragma once
// The values the simulated ECU reports in its live and status packets. Tests set the fields;
// the encoders lay them out byte for byte. Words travel high byte first.
#include <array>
#include <cstdint>
#include <string>

namespace ecusim {

constexpr std::size_t kFastDataSize = 28;
constexpr std::size_t kSlowDataSize = 67;
constexpr std::size_t kStatusDataSize = 50;

// Data of the fast live packet (type 0).
struct FastLive {
  std::uint16_t rpm = 0;                   // word 0
  std::uint8_t speedSite = 0;              // byte 2
  std::uint8_t speedFraction = 0;          // byte 3
  std::uint16_t throttleCounts = 0;        // word 4 (bit 15: sensor reads inverted)
  std::uint16_t manifoldPressure = 1000;   // word 6, 0.1 kPa absolute
  std::uint8_t throttlePercent = 0;        // byte 8
  std::int8_t ignitionMapValue = 0;        // byte 9, signed
  std::int8_t advance = 0;                 // byte 10, half degrees
  std::uint8_t injectionMapValue = 0;      // byte 11
  std::uint16_t pulseCount1 = 0;           // word 12
  std::uint8_t loadSite = 0;               // byte 14
  std::uint8_t loadFraction = 0;           // byte 15
  std::uint8_t afr2 = 147;                 // byte 16, ratio x 10
  std::uint8_t afr = 147;                  // byte 17, ratio x 10
  std::array<std::uint8_t, 3> liveCellRows{};  // bytes 18-20
  std::uint8_t gaugeValue = 0;             // byte 21
  std::uint16_t roadSpeed = 0;             // word 22, raw counts
  std::uint16_t pulseCount2 = 0;           // word 24
  std::uint8_t flags = 0;                  // byte 27: bit 0 sign of byte 21, bit 1 clutch down
};

// Data of the slow live packet (type 1). The status word's bank and advance-lock bits, the
// telltale word and the lock byte are the ECU's own state and are filled in by the Ecu.
struct SlowLive {
  int airTemp = 20, coolantTemp = 80, auxTemp = 20;  // bytes 0-2, degrees C (sent + 40)
  std::uint8_t battery = 138;                 // byte 3, volts x 11
  std::int16_t baroOffset = 13;               // word 4, mbar - 1000
  std::int16_t lambdaTrim = 0;                // word 6, % x 163.84
  std::array<std::uint16_t, 10> auxInputs{};  // words 8 .. 26, counts
  std::uint16_t egt = 0;                      // word 28, degrees C
  std::int16_t injectionCorrection = 0;       // word 30
  std::uint8_t ignitionCorrection = 0;        // byte 33, half degrees
  std::uint16_t word34 = 0;                   // word 34
  std::uint16_t camPosition = 0;              // word 36
  std::uint8_t liveCell4 = 0, injectionTiming = 0, liveCell5 = 0;  // bytes 38, 39, 40
  std::uint8_t auxPwm = 0, liveCell6 = 0, vvtTarget = 0, vvtControl = 0;  // 41-44
  std::uint8_t liveCell3 = 0, boostPwm = 0, boostTarget = 0, duty = 0;    // 45-48
  std::uint8_t gearWheel = 0, outputs = 0, coilOnTime = 0;               // 49-51
  std::uint8_t wheelSpeed = 0, wheelSpeedFraction = 0;                   // 52, 53
  std::uint16_t statusWord = 0;  // word 56; bits 7-6 and 4 come from the ECU's state
  std::uint16_t faultWord = 0;   // word 58
  std::uint8_t mspb = 0;         // byte 63
  std::uint8_t idlePosition = 0; // byte 64
  std::uint8_t crankingSite = 0; // byte 65
  std::uint8_t lambdaSensor = 0; // byte 66
};

// Data of the status packet (type 2).
struct Identity {
  std::uint16_t serialNumber = 1234;      // word 1
  std::uint16_t firmwareVersion = 105;    // word 4, version x 100
  std::uint16_t hardwareVersion = 200;    // word 6
  std::uint16_t developmentVersion = 0;   // word 8
  std::uint16_t word10 = 0;
  std::uint16_t protocol = 3;             // word 12; the PC works only with 3
  std::uint32_t programmedDate = 0;       // bytes 14-17, packed date and time, as received
  std::uint16_t word18 = 0;
  std::array<std::uint8_t, 2> versionText{0x01, 0x05};  // bytes 20, 21
  std::uint16_t lockKey = 0x5A3C;         // word 22, key of secured frames
  std::uint32_t engineSeconds = 0;        // bytes 24-27
  std::uint32_t ecuSeconds = 0;           // bytes 28-31
};

std::string EncodeFast(const FastLive& f);
// `statusWord` is complete (the ECU has filled in its own bits), `telltaleWord` goes to word 60
// and `lockBits` to byte 62.
std::string EncodeSlow(const SlowLive& s, std::uint16_t statusWord, std::uint16_t telltaleWord,
                       std::uint8_t lockBits);
std::string EncodeStatus(const Identity& id, std::uint16_t telltaleMaxRpm);

}  // namespace ecusim

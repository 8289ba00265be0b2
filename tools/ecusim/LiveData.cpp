#include "ecusim/LiveData.h"

namespace ecusim {

namespace {
void PutWord(std::string& d, std::size_t at, unsigned v) {
  d[at] = static_cast<char>((v >> 8) & 0xFF);
  d[at + 1] = static_cast<char>(v & 0xFF);
}
void PutLong(std::string& d, std::size_t at, std::uint32_t v) {
  PutWord(d, at, v >> 16);
  PutWord(d, at + 2, v & 0xFFFF);
}
void PutByte(std::string& d, std::size_t at, unsigned v) { d[at] = static_cast<char>(v & 0xFF); }
// Temperatures travel offset by 40 and clipped to a byte.
unsigned TempByte(int c) { return static_cast<unsigned>(c + 40 < 0 ? 0 : c + 40 > 255 ? 255 : c + 40); }
}  // namespace

std::string EncodeFast(const FastLive& f) {
  std::string d(kFastDataSize, '\0');
  PutWord(d, 0, f.rpm);
  PutByte(d, 2, f.speedSite);
  PutByte(d, 3, f.speedFraction);
  PutWord(d, 4, f.throttleCounts);
  PutWord(d, 6, f.manifoldPressure);
  PutByte(d, 8, f.throttlePercent);
  PutByte(d, 9, static_cast<std::uint8_t>(f.ignitionMapValue));
  PutByte(d, 10, static_cast<std::uint8_t>(f.advance));
  PutByte(d, 11, f.injectionMapValue);
  PutWord(d, 12, f.pulseCount1);
  PutByte(d, 14, f.loadSite);
  PutByte(d, 15, f.loadFraction);
  PutByte(d, 16, f.afr2);
  PutByte(d, 17, f.afr);
  for (std::size_t i = 0; i < 3; ++i) PutByte(d, 18 + i, f.liveCellRows[i]);
  PutByte(d, 21, f.gaugeValue);
  PutWord(d, 22, f.roadSpeed);
  PutWord(d, 24, f.pulseCount2);
  PutByte(d, 27, f.flags);
  return d;
}

std::string EncodeSlow(const SlowLive& s, std::uint16_t statusWord, std::uint16_t telltaleWord,
                       std::uint8_t lockBits) {
  std::string d(kSlowDataSize, '\0');
  PutByte(d, 0, TempByte(s.airTemp));
  PutByte(d, 1, TempByte(s.coolantTemp));
  PutByte(d, 2, TempByte(s.auxTemp));
  PutByte(d, 3, s.battery);
  PutWord(d, 4, static_cast<std::uint16_t>(s.baroOffset));
  PutWord(d, 6, static_cast<std::uint16_t>(s.lambdaTrim));
  for (std::size_t i = 0; i < s.auxInputs.size(); ++i) PutWord(d, 8 + 2 * i, s.auxInputs[i]);
  PutWord(d, 28, s.egt);
  PutWord(d, 30, static_cast<std::uint16_t>(s.injectionCorrection));
  PutByte(d, 33, s.ignitionCorrection);
  PutWord(d, 34, s.word34);
  PutWord(d, 36, s.camPosition);
  PutByte(d, 38, s.liveCell4);
  PutByte(d, 39, s.injectionTiming);
  PutByte(d, 40, s.liveCell5);
  PutByte(d, 41, s.auxPwm);
  PutByte(d, 42, s.liveCell6);
  PutByte(d, 43, s.vvtTarget);
  PutByte(d, 44, s.vvtControl);
  PutByte(d, 45, s.liveCell3);
  PutByte(d, 46, s.boostPwm);
  PutByte(d, 47, s.boostTarget);
  PutByte(d, 48, s.duty);
  PutByte(d, 49, s.gearWheel);
  PutByte(d, 50, s.outputs);
  PutByte(d, 51, s.coilOnTime);
  PutByte(d, 52, s.wheelSpeed);
  PutByte(d, 53, s.wheelSpeedFraction);
  PutWord(d, 56, statusWord);
  PutWord(d, 58, s.faultWord);
  PutWord(d, 60, telltaleWord);
  PutByte(d, 62, lockBits);
  PutByte(d, 63, s.mspb);
  PutByte(d, 64, s.idlePosition);
  PutByte(d, 65, s.crankingSite);
  PutByte(d, 66, s.lambdaSensor);
  return d;
}

std::string EncodeStatus(const Identity& id, std::uint16_t telltaleMaxRpm) {
  std::string d(kStatusDataSize, '\0');
  PutWord(d, 1, id.serialNumber);
  PutWord(d, 4, id.firmwareVersion);
  PutWord(d, 6, id.hardwareVersion);
  PutWord(d, 8, id.developmentVersion);
  PutWord(d, 10, id.word10);
  PutWord(d, 12, id.protocol);
  PutLong(d, 14, id.programmedDate);
  PutWord(d, 18, id.word18);
  PutByte(d, 20, id.versionText[0]);
  PutByte(d, 21, id.versionText[1]);
  PutWord(d, 22, id.lockKey);
  PutLong(d, 24, id.engineSeconds);
  PutLong(d, 28, id.ecuSeconds);
  PutWord(d, 48, telltaleMaxRpm);
  return d;
}

}  // namespace ecusim

#include "link/LiveData.h"

#include <algorithm>
#include <cstring>

#include "model/Settings.h"
#include "platform/rtl/Numbers.h"

TFastLiveRaw LiveFast;
TSlowLiveRaw LiveSlow;
TECUIdentity ECUIdentity;
std::array<double, 51> LiveValues{};

int32_t LiveSpeedSite = 0, LiveLoadSite = 0;
int16_t LiveSpeedFraction = 127, LiveLoadFraction = 127;
int32_t LiveRoadSpeed = 0, LiveEGT = 0, ECUMSPB = 61;
int32_t ECUActiveMap = 1;
std::array<int32_t, 7> LiveCellValue{};
std::array<int32_t, 7> LiveCellBar{};
std::array<int32_t, 7> LiveCellRow{};
int32_t TPSLearnMin = 1023, TPSLearnMax = 0;

bool ECUConnected = false;
bool TelltaleOn = false;
bool ECUImmobilised = false;
bool ECUMapsLocked = false;
bool LoggingActive = false;
int32_t FlashState = 0;

std::array<int32_t, 4> PacketCountsA{}, PacketCountsB{};
int32_t DroppedPacketCount = 0;

std::array<TMapReadSlot, kMapReadSlots> MapReadBuffer;
int32_t MapReadChunkCount = 0;
int32_t MapReadByteCount = 0;
int32_t MapReadNumber = 1;
int32_t MapReadRemaining = 0;
bool MapReadActive = false;
int32_t MapChunksReceived = 0;
int32_t MapChunksDropped = 0;

namespace ecu {

void ClearMapReadCollector() {
  MapReadChunkCount = 0;
  MapReadByteCount = 0;
  for (TMapReadSlot& slot : MapReadBuffer) slot.Length = 0;
}

std::optional<MapImage> CollectedMapImage() {
  if (MapReadChunkCount < 0 || MapReadChunkCount > kMapReadSlots) return std::nullopt;
  size_t total = 0;
  for (int i = 0; i < MapReadChunkCount; ++i) total += MapReadBuffer[i].Length;
  if (total != kMapImageSize) return std::nullopt;
  MapImage image{};
  size_t at = 0;
  for (int i = 0; i < MapReadChunkCount; ++i) {
    const TMapReadSlot& slot = MapReadBuffer[i];
    std::memcpy(image.data() + at, slot.Data.data(), slot.Length);
    at += slot.Length;
  }
  return image;
}

void ZeroLiveRawValues() {
  LiveFast = TFastLiveRaw{};
  LiveSlow = TSlowLiveRaw{};
  ECUIdentity.FirmwareVersion = 0;
  ECUIdentity.TelltaleMaxRPM = 0;
  LiveSpeedSite = LiveLoadSite = 0;
  LiveSpeedFraction = LiveLoadFraction = 0;
  LiveRoadSpeed = 0;
  LiveEGT = 0;
  LiveCellValue.fill(0);
  LiveCellBar.fill(0);
  LiveCellRow.fill(0);
  TelltaleOn = false;
}

namespace {
// The number a kind shows in the settings' units; the text is made from it only where
// one is shown, as a packet's values are converted many times a second.
std::optional<double> UnitNumber(int kind, int32_t raw, const TSettingsRecord& units) {
  switch (kind) {
    case 0: return units.TemperatureUnit == 1 ? raw * 9.0 / 5.0 + 32.0 : static_cast<double>(raw);
    case 1:
      if (units.PressureUnit == 0) return static_cast<double>(raw);
      return units.PressureUnit == 2 ? (raw - 100) * 0.145 : (raw - 100) / 100.0;
    case 2: return units.SpeedUnit == 1 ? raw * 3.6 / 256.0 : raw * 2.25 / 256.0;
    default: return std::nullopt;
  }
}
}  // namespace

std::optional<UnitValue> ConvertUnitValue(int kind, int32_t raw, const TSettingsRecord& units) {
  const std::optional<double> number = UnitNumber(kind, raw, units);
  if (!number) return std::nullopt;
  UnitValue u;
  u.value = *number;
  switch (kind) {
    case 0: u.text = units.TemperatureUnit == 1 ? IntToStr(Round(u.value)) : IntToStr(raw); break;
    case 1: u.text = units.PressureUnit == 0 ? IntToStr(raw) : Str(u.value, 2, 2); break;
    default: u.text = Str(u.value, 3, 1); break;
  }
  return u;
}

void SetUnitLiveValues(const TSettingsRecord& units) {
  auto converted = [&](int kind, int32_t raw) { return UnitNumber(kind, raw, units).value_or(0.0); };
  LiveValues[2] = converted(0, LiveSlow.AirTemp) + 0.001;
  LiveValues[12] = converted(0, LiveSlow.AuxTemp);
  LiveValues[16] = converted(1, LiveSlow.BoostTarget + 100);
  LiveValues[19] = converted(0, LiveSlow.CoolantTemp) + 0.001;
  LiveValues[21] = converted(0, LiveEGT);
  LiveValues[32] = converted(1, LiveFast.ManifoldPressure / 10);
  LiveValues[40] = converted(2, LiveRoadSpeed);
}

int AFRBarIndex(int32_t x) {
  int i;
  if (x > 160) i = 0;
  else if (x < 110) i = 29;
  else if (x > 147) i = 15 - static_cast<int>(Round((x - 147) / 13.0 * 15));
  else i = 15 + static_cast<int>(Round((147 - x) / 37.0 * 15));
  return std::clamp(i, 0, 29);
}

int TempPointerPosition(int32_t tempC, int scale, int offset) {
  const int32_t t = std::clamp<int32_t>(tempC, -30, 120);
  // Above 80 the axis points are 20 degrees apart.
  const int32_t onAxis = t <= 80 ? t : 80 + (t - 80) / 2;
  return static_cast<int>(Round((onAxis + 30) / 130.0 * scale + offset));
}

AnsiString EngineStateText(int32_t rpm, int32_t statusWord) {
  if (rpm == 0) return "Stopped";
  if (statusWord & (1 << 1)) return "Cranking";
  if (statusWord & (1 << 2)) return "Idling";
  if (statusWord & (1 << 11)) return "Over boost";
  if (statusWord & (1 << 10)) return "Overrun";
  if (statusWord & (1 << 9)) return "Rev Limit";
  return "Running";
}

AnsiString LambdaModeText(int32_t statusWord, int32_t faultWord) {
  if (faultWord & (1 << 9)) return "ERROR";
  if (statusWord & (1 << 13)) return "Warm up...";
  if (statusWord & (1 << 15)) return "Adaptive";
  if (statusWord & (1 << 14)) return "Closed loop";
  return "Open loop";
}

AnsiString InjectionModeText(int32_t statusWord) {
  if (statusWord & (1 << 3)) return "Double INJ";
  return (statusWord & (1 << 5)) ? "Sequential" : "Grouped";
}

AnsiString TelltaleMaximumText(int32_t maximum) {
  return maximum > 16000 ? AnsiString("16000+") : IntToStr(maximum);
}

int32_t ActiveMapOfStatus(int32_t statusWord) {
  switch ((statusWord >> 6) & 3) {
    case 0: return 1;
    case 1: return 2;
    default: return 3;
  }
}

std::optional<AnsiString> SensorReadingText(std::string_view data, int input, bool resistance) {
  if (input < 0) return std::nullopt;
  const size_t at = static_cast<size_t>(input) * 2;
  if (at + 1 >= data.size()) return std::nullopt;
  const int word = (static_cast<uint8_t>(data[at]) << 8) | static_cast<uint8_t>(data[at + 1]);
  if (!resistance) return Str(word * 5.0 / 1023.0, 0, 2);
  // The sensor pulls a 1 kOhm resistor to 5 V; "volts" is the drop across that resistor.
  const double volts = 5.0 - word * 5.0 / 1023.0;
  if (volts < 0.05) return AnsiString("00000000");
  return Str(5000.0 / volts - 1000.0, 4, 0);
}

AnsiString ProtocolMismatchMessage(int protocol) {
  return "The ECU connected requires the R7T control software version " +
         Str(protocol / 10.0, 3, 1) + "\rCommunications have been disabled";
}

}  // namespace ecu

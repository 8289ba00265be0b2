#pragma once
// What the ECU link knows about the ECU: the decoded live packets, the identity from the
// status packet, the link and task states the windows read, and the collector of a map
// read. The packet handler writes these; windows read them; the link watchdog zeroes the
// live ones when the packets stop.
#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

#include "model/MapImage.h"
#include "platform/rtl/AnsiString.h"

struct TSettingsRecord;

// Fields of the fast live packet (type 0), as decoded. Words are unsigned unless noted.
struct TFastLiveRaw {
  int32_t RPM = 0;
  // The site bytes as sent: site and fraction of speed (bytes 2, 3) and load (14, 15).
  int32_t SpeedSiteByte = 0, SpeedFractionByte = 0, LoadSiteByte = 0, LoadFractionByte = 0;
  int32_t ThrottleSigned = 0;     // throttle counts, negative for a reversed sensor
  int32_t ThrottleCounts = 0;     // its absolute value
  int32_t ManifoldPressure = 0;   // 0.1 kPa absolute
  int32_t ThrottlePercent = 0;
  int32_t IgnitionMapValue = 0;   // degrees: the signed byte halved toward zero
  int32_t Advance = 0;            // half degrees, signed
  int32_t InjectionMapValue = 0;
  int32_t PulseCount1 = 0;
  int32_t PulseCount2 = 0;
  int32_t AFR2 = 0;               // second air-fuel ratio x 10
  int32_t AFR = 0;                // air-fuel ratio x 10
  int32_t GaugeValue = 0;         // signed gauge value of the additional tables
  int32_t Flags = 0;              // bit 0 sign of the gauge value, bit 1 clutch down
  double InjectionTime = 0;       // pulse time from the counts
  int32_t InjectionDuty = 0;      // duty %, rounded; 0 while the engine stands
};

// Fields of the slow live packet (type 1), as decoded.
struct TSlowLiveRaw {
  int32_t AirTemp = 0, CoolantTemp = 0, AuxTemp = 0;  // degC
  int32_t Battery = 0;            // volts x 11
  int32_t BaroMbar = 0;
  int32_t LambdaTrim = 0;         // signed, % x 163.84
  std::array<int32_t, 10> AuxInput{};  // inputs 1..10 at [0..9], counts
  int32_t InjectionCorrection = 0;    // signed
  int32_t IgnitionCorrection = 0;     // half degrees, signed
  int32_t Word34 = 0;
  int32_t CamPosition = 0;        // word, shown halved
  int32_t InjectionTiming = 0;    // x 4 gives degrees
  int32_t AuxPWM = 0;             // 0..255 duty
  int32_t VVTTarget = 0;          // with the map's VVT base added
  int32_t VVTControl = 0;
  int32_t BoostPWM = 0;           // 0..255 duty
  int32_t BoostTarget = 0;        // kPa above 100
  int32_t Duty48 = 0;             // 1..256 (a 0 byte means 256)
  int32_t GearWheel = 0;          // low nibble gear - 1, high nibble wheel
  int32_t Outputs = 0;            // bits 0..4
  int32_t CoilOnTime = 0;         // x 0.0488 ms
  int32_t WheelSpeed = 0;         // 1/256 units
  int32_t StatusWord = 0;
  int32_t FaultWord = 0;
  int32_t TelltaleWord = 0;
  int32_t TelltaleMaximum = 0;    // bits 0..13 of the telltale word
  int32_t LockBits = 0;
  int32_t IdlePosition = 0;
  int32_t CrankingSite = 0;
  int32_t LambdaSensor = 0;       // volts x 51
};

// The ECU's identity from the last status packet (type 2).
struct TECUIdentity {
  uint16_t SerialNumber = 0;
  uint16_t FirmwareVersion = 0;     // version x 100
  uint16_t HardwareVersion = 0;     // x 100
  uint16_t DevelopmentVersion = 0;  // x 100
  uint16_t Word10 = 0;
  uint16_t Protocol = 0;            // the program works with protocol 3 only
  uint32_t ProgrammedDate = 0;      // packed file date: date word high, time word low
  uint16_t Word18 = 0;
  AnsiString VersionText;           // four hexadecimal digits; empty before any packet
  uint16_t MapLockKey = 0;          // key of the secured map-lock frames
  uint32_t EngineSeconds = 0;
  uint32_t ECUSeconds = 0;
  uint16_t TelltaleMaxRPM = 0;
  bool AdvanceLocked = false;       // from the slow packet's status word
};

extern TFastLiveRaw LiveFast;
extern TSlowLiveRaw LiveSlow;
extern TECUIdentity ECUIdentity;

// Channel-function values of the last live packets, indexed like the channel tables.
extern std::array<double, 51> LiveValues;

// The operating point and the live cells of the six live-adjust items (index 1..6).
extern int32_t LiveSpeedSite, LiveLoadSite;
extern int16_t LiveSpeedFraction, LiveLoadFraction;
extern int32_t LiveRoadSpeed, LiveEGT, ECUMSPB;
extern int32_t ECUActiveMap;               // 1..3, the bank the ECU runs
extern std::array<int32_t, 7> LiveCellValue;
extern std::array<int32_t, 7> LiveCellBar;  // bar position of each item's live cell
extern std::array<int32_t, 7> LiveCellRow;  // rows of items 3..6 (1 and 2 use LiveLoadSite)
extern int32_t TPSLearnMin, TPSLearnMax;   // throttle counts seen while learning

// Link and task states.
extern bool ECUConnected;
extern bool TelltaleOn;
extern bool ECUImmobilised;
extern bool ECUMapsLocked;
extern bool LoggingActive;
// Firmware-update step: 0 idle or ECU restarted, 1 start, 2 waiting for "S", 3 ECU ready,
// 4 waiting for "I", 5 code received, 6 waiting for "V", 7 verified, 8 waiting for the
// restart, 9 finished, 10 ECU error.
extern int32_t FlashState;

// Handled packets of the types fast, slow, status and configuration; both sets count
// alike, so one can be reset for a rate while the other keeps the totals.
extern std::array<int32_t, 4> PacketCountsA, PacketCountsB;
// Packets dropped because they were too short or too long for their type.
extern int32_t DroppedPacketCount;

// The collector of one map bank being read: one map data chunk per slot.
struct TMapReadSlot {
  uint8_t Length = 0;
  std::array<uint8_t, 255> Data{};
};
constexpr int kMapReadSlots = 30;
extern std::array<TMapReadSlot, kMapReadSlots> MapReadBuffer;
extern int32_t MapReadChunkCount;  // slots filled
extern int32_t MapReadByteCount;   // bytes of the current bank received
extern int32_t MapReadNumber;      // bank being read, 1..3
extern int32_t MapReadRemaining;   // banks still to read
// A read is waiting for the chunks of bank MapReadNumber: set when its "$D" goes out,
// cleared when the read completes, fails or its window closes. Chunks that come while no
// read waits (the rest of a bank whose read was cancelled) are not collected.
extern bool MapReadActive;
extern int32_t MapChunksReceived;  // map data chunks seen, asked for or not
// Map data chunks not collected: no read waiting, another bank's, or past the bank's size.
extern int32_t MapChunksDropped;

namespace ecu {

// Empties the map-read collector: counts 0 and every slot length 0.
void ClearMapReadCollector();
// The bank image joined from the collector's chunks, when they add up to exactly the
// image size; nothing otherwise.
std::optional<MapImage> CollectedMapImage();

// The live values the link watchdog blanks when the packets stop: every decoded field,
// the operating point, the live cells, the firmware version and TelltaleOn.
void ZeroLiveRawValues();

// A display conversion of a stored value by the settings' units: kind 0 temperature
// (degC), 1 pressure (absolute kPa), 2 road speed (raw counts). Other kinds give nothing.
struct UnitValue {
  double value = 0;
  AnsiString text;
};
std::optional<UnitValue> ConvertUnitValue(int kind, int32_t raw, const TSettingsRecord& units);

// Sets the live values that depend on the display units (temperatures, pressures, road
// speed) from the last decoded packets, in the settings' units. The packet handler calls
// it for each live packet; a change of units calls it so that no live value stays in the
// units it was decoded in.
void SetUnitLiveValues(const TSettingsRecord& units);

// Texts the live displays take from the slow packet.
AnsiString EngineStateText(int32_t rpm, int32_t statusWord);
AnsiString LambdaModeText(int32_t statusWord, int32_t faultWord);
AnsiString InjectionModeText(int32_t statusWord);
AnsiString TelltaleMaximumText(int32_t maximum);
// The last lit segment (0..29) of a 30-segment air-fuel ratio bar for a ratio x 10:
// segment 0 alone above 16.0, segments 0..15 at 14.7, all of them below 11.0. Ratios just
// above 11.0 would reach a 31st segment; they light the whole bar instead.
int AFRBarIndex(int32_t ratioX10);
// Where a temperature (degC) lies on the temperature tables' axis, in pixels from the
// axis origin: -30 to 80 in steps of 10 each a column, then 100 and 120 one column apart.
// `scale` is the distance from the first column's centre to the last's, `offset` the
// first centre. Temperatures beyond the axis stay at its ends.
int TempPointerPosition(int32_t tempC, int scale, int offset);

// The bank the status word says the ECU runs (bits 7-6: 0 -> 1, 1 -> 2, 2 and 3 -> 3).
int32_t ActiveMapOfStatus(int32_t statusWord);

// The temperature calculator's reading of a sensor-count reply: the word of `input` in
// volts (2 decimals) or, in resistance mode, the sensor's ohms against its 1 kOhm
// pull-up. Nothing when the reply does not reach that input's word.
std::optional<AnsiString> SensorReadingText(std::string_view data, int input, bool resistance);

// The warning shown when the ECU speaks another protocol number.
AnsiString ProtocolMismatchMessage(int protocol);

}  // namespace ecu

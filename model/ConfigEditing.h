#pragma once
// The rules the configuration editor applies when a field changes: allowed cylinder
// counts, the ignition output mode and cylinder offsets, the automatic injection output
// assignment, and the unit conversions of the sensor settings. Plain functions on the
// block, so the editor only moves values between its controls and these.
#include <array>
#include <cstdint>

#include "model/ConfigBlock.h"
#include "platform/rtl/AnsiString.h"

namespace config {

constexpr double kVoltsPerCount = 5.0 / 1023.0;   // 10-bit inputs
constexpr double kVoltsPerCount8 = 5.0 / 255.0;   // 8-bit thresholds and the built-in curve
constexpr int kInjOutputs = 8;
constexpr int kOutputFlags = 4;  // per output: injector, second injector, cam reference, spare
enum OutputFlag { ofInjector = 0, ofSecondInjector = 1, ofCamReference = 2, ofSpare = 3 };

// The count the cylinder spin settles on: 7 and 9 to 11 are not engines the ECU drives,
// so the spin steps over them in the direction it was going.
int AllowedCylinders(int entered, int stored);

// Output flag f of output k (1..8), packed into bytes 6 to 9 of the block.
bool OutputFlagSet(const TConfigBlock& b, int output, int flag);
void SetOutputFlag(TConfigBlock& b, int output, int flag, bool on);

// The ignition output mode (item of the output box, 0..3) and the output functions that
// follow it. Returns the two labels of the outputs the mode reassigns.
struct IgnOutputLabels {
  AnsiString Output1;
  AnsiString Output2;
};
IgnOutputLabels SetIgnitionOutputMode(TConfigBlock& b, int item);
// Whether the second output mode (a second ignition driver) suits the cylinder count.
bool SecondIgnitionModeAllowed(int cylinders);
// Without uneven firing, the cylinder offsets of an even-firing engine.
void EvenFiringOffsets(TConfigBlock& b);

// One row of the injection output table.
struct InjOutputRow {
  AnsiString Function;   // "Injector", "2nd Inj", "AuxOut<n>"
  AnsiString Reference;  // "Cam", "Crank", "-"
  AnsiString Angle;      // degrees with one decimal, "-" for auxiliary outputs
};
using InjOutputRows = std::array<InjOutputRow, kInjOutputs>;

struct InjOutputsResult {
  InjOutputRows Rows;
  // The engine cannot take double injectors this way: the editor clears its box (the
  // block's bit is already cleared).
  bool DoubleInjectorsCleared = false;
};
// The automatic assignment of injection outputs from the cylinder count, the double
// injector choice and grouped or sequential injection; writes the output flags and the
// injection angles.
InjOutputsResult AssignInjectionOutputs(TConfigBlock& b);
// The stored assignment as it reads (custom injection).
InjOutputRows StoredInjectionOutputs(const TConfigBlock& b);

// Sensor inputs: volts on screen, counts in the block.
int VoltsToCounts(double volts);
double CountsToVolts(int counts);
// Fail thresholds: the high one is kept as counts - 768 in its byte, the low one as counts.
uint8_t FailHighByte(double volts);
double FailHighVolts(uint8_t byte);
uint8_t FailLowByte(double volts);
double FailLowVolts(uint8_t byte);
// Substitute temperatures (degC + 40 in the byte) in the display unit.
int SubstituteShown(uint8_t byte, bool fahrenheit);
uint8_t SubstituteByte(int shown, bool fahrenheit);
// Tacho multiplier: 1/64 steps, 256 kept as 0.
uint8_t TachoByte(double multiplier);
double TachoMultiplier(uint8_t byte);
// Map-switch thresholds on the 8-bit scale.
uint8_t ThresholdByte(double volts);
// Idle valve PWM frequency: (Hz - 10) / 2.
uint8_t PwmFrequencyByte(int hz);
int PwmFrequencyHz(uint8_t byte);
// Gear ratios: at most 255000; shown as ratio x 3.6 / 16000.
constexpr uint32_t kMaxGearRatio = 255000;
double GearRatioShown(uint32_t ratio);

// The built-in temperature curve, in 8-bit counts at the 14 table temperatures.
extern const std::array<uint8_t, 14> kDefaultSensorCurve;
extern const std::array<int, 14> kSensorTableTemperatures;

// Whether the working block differs from the copy last read.
bool ConfigModified();

}  // namespace config

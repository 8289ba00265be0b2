#include "model/ConfigEditing.h"

#include <algorithm>
#include <cstring>

#include "platform/rtl/Numbers.h"
#include "platform/rtl/SysUtils.h"

namespace config {
namespace {

constexpr uint16_t kIgnModeBits = 0x0007;
constexpr uint16_t kOutputFunctionBits = 0xE000;  // 13, 14, 15
constexpr uint16_t kBit13 = 1 << 13, kBit14 = 1 << 14, kBit15 = 1 << 15;
constexpr uint16_t kUnevenFiring = 1 << 3;
constexpr uint16_t kSequential = 1 << 5;
constexpr uint16_t kDoubleInjectors = 1 << 6;

AnsiString Degrees(int halfDegrees) { return FormatFloat("0.0", halfDegrees / 2.0); }

enum class Role { Injector, Second, Aux };

}  // namespace

const std::array<uint8_t, 14> kDefaultSensorCurve = {250, 245, 228, 215, 198, 178, 150,
                                                     134, 113, 94,  77,  63,  42,  28};
const std::array<int, 14> kSensorTableTemperatures = {-30, -20, -10, 0, 10, 20, 30, 40, 50, 60, 70, 80, 100, 120};

int AllowedCylinders(int entered, int stored) {
  if (entered == 7) return stored == 6 ? 8 : 6;
  if (entered >= 9 && entered <= 11) return stored == 8 ? 12 : 8;
  return entered;
}

bool OutputFlagSet(const TConfigBlock& b, int output, int flag) {
  const int bit = (output - 1) * kOutputFlags + flag;
  return (b.OutputAssignment[bit / 8] >> (bit % 8) & 1) != 0;
}

void SetOutputFlag(TConfigBlock& b, int output, int flag, bool on) {
  const int bit = (output - 1) * kOutputFlags + flag;
  uint8_t& byte = b.OutputAssignment[bit / 8];
  const auto mask = static_cast<uint8_t>(1 << (bit % 8));
  byte = on ? static_cast<uint8_t>(byte | mask) : static_cast<uint8_t>(byte & ~mask);
}

bool SecondIgnitionModeAllowed(int cylinders) { return cylinders != 5 && cylinders != 12; }

IgnOutputLabels SetIgnitionOutputMode(TConfigBlock& b, int item) {
  item = std::clamp(item, 0, 3);
  uint16_t bits = static_cast<uint16_t>((b.OptionBits & ~(kIgnModeBits | kOutputFunctionBits)) | item);
  IgnOutputLabels labels;
  if (item == 0) {
    labels = {"AuxOut5", "Main relay control"};
    bits |= kBit13 | kBit14 | kBit15;
  } else if (item == 1) {
    labels.Output1 = "Ignition driver 2";
    if (b.Cylinders == 3 || b.Cylinders == 6) {
      labels.Output2 = "Ignition driver 3";
      bits |= kBit15;
    } else if (b.Cylinders == 8) {
      labels.Output2 = "Ignition driver 3";
    } else {
      labels.Output2 = "Main relay control";
      bits |= kBit14 | kBit15;
    }
  } else {
    labels = {"Ignition driver 2", "Main relay control"};
    bits |= kBit14 | kBit15;
  }
  b.OptionBits = bits;
  return labels;
}

void EvenFiringOffsets(TConfigBlock& b) {
  if (b.OptionBits & kUnevenFiring) return;
  const int n = std::max<int>(b.Cylinders, 1);
  for (int c = 1; c <= 4; ++c) {
    int offset = 0;
    if (c <= n) {
      offset = (c - 1) * (1440 / n);
      if (offset >= 720) offset -= 720;
    }
    b.CylinderOffset[c - 1] = static_cast<int16_t>(offset);
  }
}

InjOutputsResult AssignInjectionOutputs(TConfigBlock& b) {
  InjOutputsResult result;
  const int n = b.Cylinders;
  const bool sequential = (b.OptionBits & kSequential) != 0;
  if ((n == 6 && sequential) || n == 12) {
    if (b.OptionBits & kDoubleInjectors) result.DoubleInjectorsCleared = true;
    b.OptionBits = static_cast<uint16_t>(b.OptionBits & ~kDoubleInjectors);
  }
  const bool dbl = (b.OptionBits & kDoubleInjectors) != 0;

  // Which outputs are injectors, second injectors or free for auxiliary use.
  std::array<Role, kInjOutputs> roles;
  roles.fill(Role::Aux);
  int injectors = 0;
  int seconds = 0;
  switch (n) {
    case 1: case 2: injectors = 2; seconds = dbl ? 2 : 0; break;
    case 3: injectors = 3; seconds = dbl ? 3 : 0; break;
    case 4: case 8: injectors = 4; seconds = dbl ? 2 : 0; break;
    case 5: injectors = 5; seconds = dbl ? 1 : 0; break;
    case 6: injectors = 6; break;
    case 12: injectors = 6; break;
    default: break;
  }
  for (int k = 0; k < injectors; ++k) roles[static_cast<size_t>(k)] = Role::Injector;
  for (int k = injectors; k < injectors + seconds; ++k) roles[static_cast<size_t>(k)] = Role::Second;

  const int interval = 1440 / (n == 1 ? 2 : std::max(n, 1));
  std::fill(std::begin(b.OutputAssignment), std::end(b.OutputAssignment), 0);

  auto set_angle = [&](int k, int angle) { b.CustomInjAngle[k] = static_cast<int16_t>(angle); };
  int count = 0;  // the firing count the angles follow
  for (int k = 0; k < kInjOutputs; ++k) {
    InjOutputRow& row = result.Rows[static_cast<size_t>(k)];
    const int output = k + 1;
    // Six cylinders, grouped, with double injectors: outputs 4-6 drive the second
    // injectors, their firing count running on after the sixth.
    Role role = roles[static_cast<size_t>(k)];
    int step = count;
    if (n == 6 && dbl && !sequential && k >= 3 && k <= 5) {
      role = Role::Second;
      step = 6 + (k - 3);
    }
    switch (role) {
      case Role::Injector: {
        row.Function = "Injector";
        SetOutputFlag(b, output, ofInjector, true);
        if (n == 5 && !sequential) {
          row.Reference = "Cam";
          SetOutputFlag(b, output, ofCamReference, true);
          row.Angle = "0.0";
        } else if (sequential) {
          row.Reference = "Cam";
          SetOutputFlag(b, output, ofCamReference, true);
          const int angle = interval * step % 1440;
          set_angle(k, angle);
          row.Angle = Degrees(angle);
        } else {
          row.Reference = "Crank";
          const int angle = interval * step % 720;
          set_angle(k, angle);
          row.Angle = Degrees(angle);
        }
        ++count;
        break;
      }
      case Role::Second: {
        row.Function = "2nd Inj";
        SetOutputFlag(b, output, ofInjector, true);
        SetOutputFlag(b, output, ofSecondInjector, true);
        if (n == 5) {
          row.Reference = "Cam";
          SetOutputFlag(b, output, ofCamReference, true);
        } else {
          row.Reference = "Crank";
        }
        const int angle = interval * step % 720;
        set_angle(k, angle);
        row.Angle = Degrees(angle);
        if (!(n == 6 && dbl && !sequential)) ++count;
        break;
      }
      case Role::Aux:
        row = {"AuxOut" + IntToStr(output), "-", "-"};
        break;
    }
  }
  return result;
}

InjOutputRows StoredInjectionOutputs(const TConfigBlock& b) {
  InjOutputRows rows;
  for (int k = 0; k < kInjOutputs; ++k) {
    const int output = k + 1;
    InjOutputRow& row = rows[static_cast<size_t>(k)];
    if (!OutputFlagSet(b, output, ofInjector)) {
      row = {"AuxOut" + IntToStr(output), "-", "-"};
      continue;
    }
    row.Function = OutputFlagSet(b, output, ofSecondInjector) ? "2nd inj" : "Injector";
    row.Reference = OutputFlagSet(b, output, ofCamReference) ? "Cam" : "Crank";
    row.Angle = Degrees(b.CustomInjAngle[k]);
  }
  return rows;
}

int VoltsToCounts(double volts) { return static_cast<int>(Round(volts / kVoltsPerCount)); }
double CountsToVolts(int counts) { return counts * kVoltsPerCount; }

// Below 768 counts the byte would wrap round to a high threshold: kept at 768.
uint8_t FailHighByte(double volts) { return static_cast<uint8_t>(std::clamp(VoltsToCounts(volts), 768, 1023) - 768); }
double FailHighVolts(uint8_t byte) { return (byte + 768) * kVoltsPerCount; }
uint8_t FailLowByte(double volts) { return static_cast<uint8_t>(std::clamp(VoltsToCounts(volts), 0, 255)); }
double FailLowVolts(uint8_t byte) { return byte * kVoltsPerCount; }

int SubstituteShown(uint8_t byte, bool fahrenheit) {
  const int c = byte - 40;
  return fahrenheit ? static_cast<int>(Round(c * 9.0 / 5.0 + 32)) : c;
}

uint8_t SubstituteByte(int shown, bool fahrenheit) {
  const int c = fahrenheit ? static_cast<int>(Round((shown - 32) * 5.0 / 9.0)) : shown;
  return static_cast<uint8_t>(std::clamp(c + 40, 0, 255));
}

uint8_t TachoByte(double multiplier) {
  const int v = std::clamp(static_cast<int>(Round(multiplier * 64)), 1, 256);
  return static_cast<uint8_t>(v % 256);
}
double TachoMultiplier(uint8_t byte) { return (byte == 0 ? 256 : byte) / 64.0; }

uint8_t ThresholdByte(double volts) {
  return static_cast<uint8_t>(std::clamp(static_cast<int>(Round(volts / kVoltsPerCount8)), 0, 255));
}

uint8_t PwmFrequencyByte(int hz) { return static_cast<uint8_t>(std::clamp((hz - 10) / 2, 0, 255)); }
int PwmFrequencyHz(uint8_t byte) { return byte * 2 + 10; }

double GearRatioShown(uint32_t ratio) { return ratio * 3.6 / 16000.0; }

bool ConfigModified() { return std::memcmp(&ConfigBlock, &ConfigReadCopy, sizeof ConfigBlock) != 0; }

}  // namespace config

#include "model/ChannelFunctions.h"

#include "model/Settings.h"

std::array<AnsiString, kChannelFunctionSlots> ChannelFunctionName;
std::array<AnsiString, kChannelFunctionSlots> ChannelFunctionUnit;
std::array<int32_t, kChannelFunctionSlots> ChannelFunctionDecimals{};
std::array<int32_t, kChannelFunctionSlots> ChannelFunctionFrom{};
std::array<int32_t, kChannelFunctionSlots> ChannelFunctionTo{};

namespace {

struct FunctionRow {
  const char* name;
  const char* unit;
  int32_t decimals, from, to;
};

// Units, ranges and decimals marked "set by the units" are written as "" and 0 here and
// filled in by ApplyChannelFunctionUnits.
constexpr FunctionRow kFunctions[kChannelFunctionCount] = {
    {"_Disabled", "", 0, 0, 0},
    {"AFR/Lambda", "AFR", 2, 9, 18},
    {"AirTemp", "", 0, 0, 0},
    {"Aux input 1", "raw", 0, 0, 255},
    {"Aux input 2", "raw", 0, 0, 255},
    {"Aux input 3", "raw", 0, 0, 255},
    {"Aux input 4", "raw", 0, 0, 255},
    {"Aux output 1", "raw", 1, 0, 100},
    {"Aux output 2", "raw", 1, 0, 100},
    {"Aux output 3", "raw", 1, 0, 100},
    {"Aux output 4", "raw", 1, 0, 100},
    {"Aux PWM", "%", 1, 0, 100},
    {"AuxTemp", "", 0, 0, 0},
    {"BARO", "mbar", 0, 600, 1100},
    {"Battery", "volts", 2, 9, 18},
    {"BoostPWM", "%", 1, 0, 100},
    {"BoostTarget", "", 0, 0, 0},
    {"Cam pos/dur", "\xB0" "Adv", 1, 0, 720},
    {"Coil on time", "mS", 2, 0, 12},
    {"CoolantTemp", "", 0, 0, 0},
    {"Engine Speed", "rpm", 0, 0, 10000},
    {"EGT", "", 0, 0, 0},
    {"IAC pos", "%", 0, 0, 100},
    {"Ign Corr", "\xB0" "Adv", 1, -50, 60},
    {"Ign Adv", "\xB0" "Adv", 1, -50, 60},
    {"Inj Corr", "%", 0, -255, 255},
    {"Inj Duration", "%", 1, 0, 120},
    {"Inj PW", "mS", 2, 0, 20},
    {"Inj timing", "\xB0", 0, 0, 720},
    {"Lambda O2", "volts", 2, 0, 1},
    {"Lambda Trim", "%", 2, -10000, 10000},
    {"Load Site", "", 0, 0, 15},
    {"MAP", "KPa", 0, 0, 0},
    {"Speed Site", "", 0, 0, 31},
    {"Status Flags", "", 0, 0, 65535},
    {"TC_var1", "raw", 0, 0, 1023},
    {"TC_var2", "raw", 0, 0, 1023},
    {"TC_var3", "raw", 0, 0, 1023},
    {"TC_var4", "raw", 0, 0, 1023},
    {"TC_gear", "raw", 0, 1, 8},
    {"TC_speed", "", 1, 0, 0},
    {"Throttle Pos", "%", 1, 0, 100},
    {"TPS", "raw", 0, 0, 1023},
    {"VVT_control", "%", 1, 0, 100},
    {"VVT_target", "\xB0" "Adv", 0, 0, 720},
};

void SetRange(int f, const char* unit, int32_t from, int32_t to) {
  ChannelFunctionUnit[f] = unit;
  ChannelFunctionFrom[f] = from;
  ChannelFunctionTo[f] = to;
}

}  // namespace

void FillChannelFunctions(const TSettingsRecord& units) {
  for (int f = 0; f < kChannelFunctionSlots; ++f) {
    if (f < kChannelFunctionCount) {
      const FunctionRow& r = kFunctions[f];
      ChannelFunctionName[f] = r.name;
      ChannelFunctionUnit[f] = r.unit;
      ChannelFunctionDecimals[f] = r.decimals;
      ChannelFunctionFrom[f] = r.from;
      ChannelFunctionTo[f] = r.to;
    } else {
      ChannelFunctionName[f].clear();
      ChannelFunctionUnit[f].clear();
      ChannelFunctionDecimals[f] = ChannelFunctionFrom[f] = ChannelFunctionTo[f] = 0;
    }
  }
  ApplyChannelFunctionUnits(units);
}

void ApplyChannelFunctionUnits(const TSettingsRecord& units) {
  // Unit numbers the settings reader did not bring into range count as the default.
  const bool fahrenheit = units.TemperatureUnit == 1;
  for (int f : {2, 12, 19})
    SetRange(f, fahrenheit ? "\xB0" "F" : "\xB0" "C", fahrenheit ? -22 : -30, fahrenheit ? 248 : 120);
  SetRange(21, fahrenheit ? "\xB0" "F" : "\xB0" "C", fahrenheit ? 32 : 0, fahrenheit ? 2282 : 1250);

  const bool kph = units.SpeedUnit == 1;
  ChannelFunctionUnit[40] = kph ? "kph" : "mph";
  ChannelFunctionTo[40] = kph ? 255 : 160;

  const char* unit = "Bar";
  int32_t from = -1, to = 3, decimals = 2;
  if (units.PressureUnit == 0) {
    unit = "KPa", from = 0, to = 400, decimals = 0;
  } else if (units.PressureUnit == 2) {
    unit = "Psi", from = -15, to = 35;
  }
  for (int f : {16, 32}) {
    SetRange(f, unit, from, to);
    ChannelFunctionDecimals[f] = decimals;
  }
}

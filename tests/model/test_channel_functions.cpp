#include <gtest/gtest.h>

#include "model/ChannelFunctions.h"
#include "model/Settings.h"

namespace {
struct Row {
  int f;
  const char* name;
  const char* unit;
  int decimals, from, to;
};
}  // namespace

TEST(ChannelFunctions, TableInDefaultUnits) {
  TSettingsRecord units;  // degC, bar, mph
  FillChannelFunctions(units);
  const Row rows[] = {
      {0, "_Disabled", "", 0, 0, 0},          {1, "AFR/Lambda", "AFR", 2, 9, 18},
      {2, "AirTemp", "\xB0" "C", 0, -30, 120}, {3, "Aux input 1", "raw", 0, 0, 255},
      {4, "Aux input 2", "raw", 0, 0, 255},   {5, "Aux input 3", "raw", 0, 0, 255},
      {6, "Aux input 4", "raw", 0, 0, 255},   {7, "Aux output 1", "raw", 1, 0, 100},
      {8, "Aux output 2", "raw", 1, 0, 100},  {9, "Aux output 3", "raw", 1, 0, 100},
      {10, "Aux output 4", "raw", 1, 0, 100}, {11, "Aux PWM", "%", 1, 0, 100},
      {12, "AuxTemp", "\xB0" "C", 0, -30, 120}, {13, "BARO", "mbar", 0, 600, 1100},
      {14, "Battery", "volts", 2, 9, 18},     {15, "BoostPWM", "%", 1, 0, 100},
      {16, "BoostTarget", "Bar", 2, -1, 3},   {17, "Cam pos/dur", "\xB0" "Adv", 1, 0, 720},
      {18, "Coil on time", "mS", 2, 0, 12},   {19, "CoolantTemp", "\xB0" "C", 0, -30, 120},
      {20, "Engine Speed", "rpm", 0, 0, 10000}, {21, "EGT", "\xB0" "C", 0, 0, 1250},
      {22, "IAC pos", "%", 0, 0, 100},        {23, "Ign Corr", "\xB0" "Adv", 1, -50, 60},
      {24, "Ign Adv", "\xB0" "Adv", 1, -50, 60}, {25, "Inj Corr", "%", 0, -255, 255},
      {26, "Inj Duration", "%", 1, 0, 120},   {27, "Inj PW", "mS", 2, 0, 20},
      {28, "Inj timing", "\xB0", 0, 0, 720},  {29, "Lambda O2", "volts", 2, 0, 1},
      {30, "Lambda Trim", "%", 2, -10000, 10000}, {31, "Load Site", "", 0, 0, 15},
      {32, "MAP", "Bar", 2, -1, 3},           {33, "Speed Site", "", 0, 0, 31},
      {34, "Status Flags", "", 0, 0, 65535},  {35, "TC_var1", "raw", 0, 0, 1023},
      {36, "TC_var2", "raw", 0, 0, 1023},     {37, "TC_var3", "raw", 0, 0, 1023},
      {38, "TC_var4", "raw", 0, 0, 1023},     {39, "TC_gear", "raw", 0, 1, 8},
      {40, "TC_speed", "mph", 1, 0, 160},     {41, "Throttle Pos", "%", 1, 0, 100},
      {42, "TPS", "raw", 0, 0, 1023},         {43, "VVT_control", "%", 1, 0, 100},
      {44, "VVT_target", "\xB0" "Adv", 0, 0, 720},
  };
  static_assert(std::size(rows) == kChannelFunctionCount);
  for (const Row& r : rows) {
    EXPECT_EQ(ChannelFunctionName[r.f], r.name) << r.f;
    EXPECT_EQ(ChannelFunctionUnit[r.f], r.unit) << r.f;
    EXPECT_EQ(ChannelFunctionDecimals[r.f], r.decimals) << r.f;
    EXPECT_EQ(ChannelFunctionFrom[r.f], r.from) << r.f;
    EXPECT_EQ(ChannelFunctionTo[r.f], r.to) << r.f;
    EXPECT_LE(ChannelFunctionName[r.f].size(), 15u);
    EXPECT_LE(ChannelFunctionUnit[r.f].size(), 6u);
  }
  for (int f = kChannelFunctionCount; f < kChannelFunctionSlots; ++f) {
    EXPECT_TRUE(ChannelFunctionName[f].empty());
    EXPECT_TRUE(ChannelFunctionUnit[f].empty());
  }
  EXPECT_EQ(ChannelFunctionUnit[28], AnsiString(1, static_cast<char>(0xB0)));
}

TEST(ChannelFunctions, UnitDependentEntries) {
  struct Case {
    int temperature, pressure, speed;
    Row temp, egt, pressureRow, speedRow;
  } cases[] = {
      {1, 0, 1, {2, "", "\xB0" "F", 0, -22, 248}, {21, "", "\xB0" "F", 0, 32, 2282},
       {32, "", "KPa", 0, 0, 400}, {40, "", "kph", 1, 0, 255}},
      {0, 2, 0, {19, "", "\xB0" "C", 0, -30, 120}, {21, "", "\xB0" "C", 0, 0, 1250},
       {16, "", "Psi", 2, -15, 35}, {40, "", "mph", 1, 0, 160}},
      {1, 1, 0, {12, "", "\xB0" "F", 0, -22, 248}, {21, "", "\xB0" "F", 0, 32, 2282},
       {32, "", "Bar", 2, -1, 3}, {40, "", "mph", 1, 0, 160}},
  };
  TSettingsRecord units;
  FillChannelFunctions(units);
  for (const Case& c : cases) {
    units.TemperatureUnit = c.temperature;
    units.PressureUnit = c.pressure;
    units.SpeedUnit = c.speed;
    ApplyChannelFunctionUnits(units);
    for (const Row& r : {c.temp, c.egt, c.pressureRow, c.speedRow}) {
      EXPECT_EQ(ChannelFunctionUnit[r.f], r.unit) << r.f;
      EXPECT_EQ(ChannelFunctionDecimals[r.f], r.decimals) << r.f;
      EXPECT_EQ(ChannelFunctionFrom[r.f], r.from) << r.f;
      EXPECT_EQ(ChannelFunctionTo[r.f], r.to) << r.f;
    }
    // Unit-independent entries keep their values.
    EXPECT_EQ(ChannelFunctionUnit[13], "mbar");
    EXPECT_EQ(ChannelFunctionDecimals[2], 0);
  }
}

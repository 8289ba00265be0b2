#include <gtest/gtest.h>

#include <utility>

#include "model/Settings.h"
#include "link/LiveData.h"

using namespace ecu;

TEST(LiveData, UnitConversions) {
  struct Case {
    int kind, raw, temperature, pressure, speed;
    double value;
    const char* text;
  } cases[] = {
      {0, 25, 0, 1, 0, 25, "25"},
      {0, 25, 1, 1, 0, 77, "77"},
      {0, 3, 1, 1, 0, 37.4, "37"},
      {1, 150, 0, 0, 0, 150, "150"},
      {1, 150, 0, 1, 0, 0.5, "0.50"},
      {1, 50, 0, 1, 0, -0.5, "-0.50"},
      {1, 200, 0, 2, 0, 14.5, "14.50"},
      {2, 2560, 0, 1, 0, 22.5, "22.5"},
      {2, 256, 0, 1, 1, 3.6, "3.6"},
  };
  for (const Case& c : cases) {
    TSettingsRecord units;
    units.TemperatureUnit = c.temperature;
    units.PressureUnit = c.pressure;
    units.SpeedUnit = c.speed;
    const auto u = ConvertUnitValue(c.kind, c.raw, units);
    ASSERT_TRUE(u) << c.kind;
    EXPECT_NEAR(u->value, c.value, 1e-9) << c.kind << " " << c.raw;
    EXPECT_EQ(u->text, c.text) << c.kind << " " << c.raw;
  }
  EXPECT_FALSE(ConvertUnitValue(3, 1, TSettingsRecord{}));
}

TEST(LiveData, StatusTexts) {
  struct Case {
    int rpm, status, fault;
    const char* engine;
    const char* lambda;
    const char* injection;
  } cases[] = {
      {0, 0x0002, 0, "Stopped", "Open loop", "Grouped"},
      {200, 0x0006, 0, "Cranking", "Open loop", "Grouped"},
      {900, 0x0C04, 0, "Idling", "Open loop", "Grouped"},
      {900, 0x0E00, 0, "Over boost", "Open loop", "Grouped"},
      {900, 0x0600, 0, "Overrun", "Open loop", "Grouped"},
      {900, 0x0200, 0, "Rev Limit", "Open loop", "Grouped"},
      {900, 0xE028, 1 << 9, "Running", "ERROR", "Double INJ"},
      {900, 0xE020, 0, "Running", "Warm up...", "Sequential"},
      {900, 0xC000, 0, "Running", "Adaptive", "Grouped"},
      {900, 0x4000, 1 << 8, "Running", "Closed loop", "Grouped"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(EngineStateText(c.rpm, c.status), c.engine) << c.status;
    EXPECT_EQ(LambdaModeText(c.status, c.fault), c.lambda) << c.status;
    EXPECT_EQ(InjectionModeText(c.status), c.injection) << c.status;
  }
  EXPECT_EQ(TelltaleMaximumText(16000), "16000");
  EXPECT_EQ(TelltaleMaximumText(16001), "16000+");
  const std::pair<int, int> banks[] = {{0x00, 1}, {0x40, 2}, {0x80, 3}, {0xC0, 3}, {0xFF3F, 1}};
  for (auto [status, bank] : banks) EXPECT_EQ(ActiveMapOfStatus(status), bank) << status;
}

TEST(LiveData, WatchdogBlanksTheLiveValues) {
  LiveFast.RPM = 5000;
  LiveSlow.TelltaleMaximum = 9000;
  LiveLoadFraction = 99;
  LiveCellValue[6] = 40;
  TelltaleOn = true;
  ECUIdentity.FirmwareVersion = 105;
  ECUIdentity.SerialNumber = 1234;
  ECUActiveMap = 2;
  ZeroLiveRawValues();
  EXPECT_EQ(LiveFast.RPM, 0);
  EXPECT_EQ(LiveSlow.TelltaleMaximum, 0);
  EXPECT_EQ(LiveLoadFraction, 0);
  EXPECT_EQ(LiveCellValue[6], 0);
  EXPECT_FALSE(TelltaleOn);
  EXPECT_EQ(ECUIdentity.FirmwareVersion, 0);
  // The identity apart from the version, and the bank the ECU runs, stay.
  EXPECT_EQ(ECUIdentity.SerialNumber, 1234);
  EXPECT_EQ(ECUActiveMap, 2);
}

TEST(LiveData, AirFuelRatioBarLastSegment) {
  // ratio x 10 -> last lit segment; 110 and 111 would index a 31st segment.
  const std::pair<int, int> cases[] = {{0, 29},   {100, 29}, {109, 29}, {110, 29}, {111, 29}, {112, 29},
                                       {146, 15}, {147, 15}, {148, 14}, {160, 0},  {161, 0},  {200, 0}};
  for (const auto& [ratio, last] : cases) EXPECT_EQ(AFRBarIndex(ratio), last) << ratio;
}

TEST(LiveData, TemperaturePointerPosition) {
  // A 13-column axis of 37 pixels a column, starting at 18: -30..80 every 10, then 100, 120.
  const int scale = 13 * 37, origin = 18;
  const std::pair<int, int> cases[] = {{-40, 18}, {-30, 18}, {-20, 55}, {40, 277},
                                       {85, 432}, {100, 462}, {120, 499}, {200, 499}};
  for (const auto& [temp, x] : cases) EXPECT_EQ(TempPointerPosition(temp, scale, origin), x) << temp;
}

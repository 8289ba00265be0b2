#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <vector>

#include "model/Settings.h"
#include "platform/rtl/FileUtils.h"
#include "platform/classes/IniFiles.h"
#include "platform/classes/SafeFile.h"
#include "platform/rtl/SysUtils.h"

namespace {

// Each test has a file of its own: CTest runs the tests of this program side by side.
AnsiString IniName() {
  return AnsiString("settings_") + ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".ini";
}

struct SettingsTest : ::testing::Test {
  void SetUp() override {
    DeleteFile(ConfigFilePath(IniName()));
    Settings = TSettingsRecord();
    LoggerSettings = TLoggerSettings();
  }
  void WriteText(const AnsiString& text) {
    ForceDirectories(ConfigFolder());
    safefile::WriteFile(ConfigFilePath(IniName()), text);
  }
};

TEST_F(SettingsTest, MissingFileGivesDefaults) {
  Settings.CommsAuto = true;
  Settings.SpeedSiteStep = 1;
  LoggerSettings.StartValue = 1;
  ReadSettingsFile(IniName());
  EXPECT_FALSE(Settings.CommsAuto);
  EXPECT_EQ(Settings.CommsPort, 1);
  EXPECT_EQ(Settings.SpeedSiteStep, 500);
  EXPECT_EQ(Settings.LoadSites, 16);
  EXPECT_TRUE(Settings.LambdaDisplay);
  EXPECT_EQ(Settings.PressureUnit, 1);
  EXPECT_EQ(Settings.EGTWarning, 1250);
  EXPECT_EQ(Settings.UserViewVar[4], 20);
  EXPECT_EQ(Settings.MapPath, HomeFolder());
  EXPECT_EQ(Settings.RomPath.back(), '/');
  EXPECT_EQ(LoggerSettings.Channels[1], 19);
  EXPECT_EQ(LoggerSettings.Channels[8], 27);
  EXPECT_EQ(LoggerSettings.StopLogic, 1);
  EXPECT_DOUBLE_EQ(LoggerSettings.StartValue, 95.0);
  EXPECT_EQ(LoggerSettings.ExportSamples, 10);
}

TEST_F(SettingsTest, RoundTripKeepsEveryValueAndWritesEveryKey) {
  ReadSettingsFile(IniName());
  Settings.SpeedSiteStep = 250;
  Settings.LambdaDisplay = false;
  Settings.MapPath = "/home/user/maps/";
  Settings.AutoCutPotNum = 12;
  Settings.AutoSetMaps = 1;
  Settings.CommsAuto = true;
  Settings.CommsPort = 7;
  Settings.O2Unit = 1;
  Settings.PressureUnit = 2;
  Settings.UserViewVar[2] = 44;
  LoggerSettings.Channels[5] = 41;
  LoggerSettings.StartValue = 95.5;
  LoggerSettings.StopValue = -12.25;
  LoggerSettings.Enabled = true;
  LoggerSettings.ExportSamples = 100;
  WriteSettingsFile(IniName());
  const AnsiString written = safefile::ReadFile(ConfigFilePath(IniName()));

  // Read back into fresh records and written again, the file comes out the same.
  Settings = TSettingsRecord();
  LoggerSettings = TLoggerSettings();
  ReadSettingsFile(IniName());
  EXPECT_EQ(Settings.MapPath, "/home/user/maps/");
  EXPECT_EQ(Settings.UserViewVar[2], 44);
  EXPECT_DOUBLE_EQ(LoggerSettings.StopValue, -12.25);
  DeleteFile(ConfigFilePath(IniName()));
  WriteSettingsFile(IniName());
  EXPECT_EQ(safefile::ReadFile(ConfigFilePath(IniName())), written);

  const TIniFile ini(IniName());
  EXPECT_EQ(ini.ReadString("LoggerStart", "Value", ""), "95.5");
  EXPECT_EQ(ini.ReadString("Main", "Lambda Display", ""), "0");
  EXPECT_EQ(ini.ReadString("Comms", "Auto", ""), "1");
  const char* keys[][2] = {
      {"Main", "Load Sites"}, {"Main", "Speed Sites"}, {"Main", "Live map save"}, {"Main", "ECU map save"},
      {"Main", "Rom path"}, {"Main", "AutoIdlePotUpdate"}, {"Main", "AutoIdlePotNum"},
      {"Main", "AutoCutNumUpdate"}, {"Main", "ReCalcPos"}, {"Logger", "Ch8Lab"}, {"Logger", "ExSamples"},
      {"LoggerStart", "Chan"}, {"LoggerStart", "Option"}, {"LoggerStop", "Chan"}, {"LoggerStop", "Option"},
      {"LoggerStop", "Value"}, {"EGTDisplay", "Warning"}, {"Comms", "Port"}, {"Units", "Temperature"},
      {"Units", "Speed"}, {"Units", "Distance"}, {"UserView", "Var1"}, {"UserView", "Var4"}};
  for (auto& k : keys) EXPECT_TRUE(ini.ValueExists(k[0], k[1])) << k[0] << "/" << k[1];
}

TEST_F(SettingsTest, OddValuesFallBackToDefaults) {
  WriteText(
      "[main]\n"
      "load sites=40\n"
      "Speed Sites=0\n"
      "Lambda Display=2\n"
      "AutoIdlePotNum=-1\n"
      "AutoSetMaps=3\n"
      "Map path=/srv/maps\n"
      "Log path=\n"
      "[Comms]\n"
      "Port=99\n"
      "Auto=yes\n"
      "[Units]\n"
      "Temperature=7\n"
      "Pressure=-1\n"
      "O2=1\n"
      "[UserView]\n"
      "Var1=51\n"
      "Var2=$2A\n"
      "[Logger]\n"
      "Ch1Lab=1000\n"
      "ExSamples=0\n"
      "[LoggerStart]\n"
      "Chan=9\n"
      "Option=2\n"
      "Value=abc\n"
      "[LoggerStop]\n"
      "Value=nan\n"
      "[EGTDisplay]\n"
      "Warning=5000\n");
  ReadSettingsFile(IniName());
  EXPECT_EQ(Settings.LoadSites, 16);
  EXPECT_EQ(Settings.SpeedSiteStep, 500);
  EXPECT_TRUE(Settings.LambdaDisplay);  // any non-zero number is true
  EXPECT_EQ(Settings.AutoIdlePotNum, 8);
  EXPECT_EQ(Settings.AutoSetMaps, 0);
  EXPECT_EQ(Settings.MapPath, "/srv/maps/");
  EXPECT_EQ(Settings.LogPath, HomeFolder());
  EXPECT_EQ(Settings.CommsPort, 1);
  EXPECT_FALSE(Settings.CommsAuto);
  EXPECT_EQ(Settings.TemperatureUnit, 0);
  EXPECT_EQ(Settings.PressureUnit, 1);
  EXPECT_EQ(Settings.O2Unit, 1);
  EXPECT_EQ(Settings.UserViewVar[1], 11);
  EXPECT_EQ(Settings.UserViewVar[2], 42);
  EXPECT_EQ(Settings.EGTWarning, 5000);  // above the usual scale, still a number
  EXPECT_EQ(LoggerSettings.Channels[1], 19);
  EXPECT_EQ(LoggerSettings.ExportSamples, 10);
  EXPECT_EQ(LoggerSettings.StartChan, 3);
  EXPECT_EQ(LoggerSettings.StartLogic, 0);
  EXPECT_DOUBLE_EQ(LoggerSettings.StartValue, 95.0);
  EXPECT_DOUBLE_EQ(LoggerSettings.StopValue, 90.0);
}

TEST_F(SettingsTest, FailedWriteRaises) {
  // A folder standing where the file should be cannot be replaced by the file.
  const AnsiString path = ConfigFilePath(IniName());
  ASSERT_TRUE(ForceDirectories(path + "/"));
  EXPECT_THROW(WriteSettingsFile(IniName()), Exception);
  std::filesystem::remove(path);
}

// Every numeric setting at both ends of what it may hold comes back from the file as it
// went in (the doubles also at the ends of what a double holds).
TEST_F(SettingsTest, ExtremesOfEveryNumericSettingSurviveTheFile) {
  struct IntSetting {
    int32_t* field;
    int lo, hi;
  };
  TSettingsRecord& s = Settings;
  TLoggerSettings& g = LoggerSettings;
  std::vector<IntSetting> ints = {
      {&s.LoadSites, 1, 16},         {&s.SpeedSiteStep, 1, 2097},  {&s.AutoIdlePotNum, 0, 1023},
      {&s.AutoCutPotNum, 0, 1023},   {&s.AutoSetMaps, 0, 1},       {&s.EGTWarning, -40, 5000},
      {&s.CommsPort, 1, 64},         {&s.TemperatureUnit, 0, 1},   {&s.PressureUnit, 0, 2},
      {&s.SpeedUnit, 0, 1},          {&s.DistanceUnit, 0, 1},      {&s.O2Unit, 0, 1},
      {&g.StartChan, 0, 8},          {&g.StartLogic, 0, 1},        {&g.StopChan, 0, 8},
      {&g.StopLogic, 0, 1},          {&g.ExportSamples, 5, 100}};
  for (int n = 1; n <= 4; ++n) ints.push_back({&s.UserViewVar[n], 0, 50});
  for (int n = 1; n <= 8; ++n) ints.push_back({&g.Channels[n], 0, 50});
  const double doubles[][2] = {{1.7976931348623157e308, -1.7976931348623157e308},
                               {2.2250738585072014e-308, -4.9406564584124654e-324},
                               {95.5, 1.0 / 3},
                               {0.1, -0.30000000000000004}};
  for (int end = 0; end < 2; ++end) {
    for (const double* pair : doubles) {
      for (const IntSetting& i : ints) *i.field = end == 0 ? i.lo : i.hi;
      g.StartValue = pair[0];
      g.StopValue = pair[1];
      ASSERT_TRUE(WriteSettingsFile(IniName()));
      Settings = TSettingsRecord();
      LoggerSettings = TLoggerSettings();
      ASSERT_EQ(ReadSettingsFile(IniName()), "");
      // The records are read back into the same globals, so each field is where it was.
      for (const IntSetting& i : ints)
        EXPECT_EQ(*i.field, end == 0 ? i.lo : i.hi) << "range " << i.lo << ".." << i.hi;
      EXPECT_EQ(g.StartValue, pair[0]);
      EXPECT_EQ(g.StopValue, pair[1]);
    }
  }
}

TEST_F(SettingsTest, OversizedFileGivesDefaultsAMessageAndIsKept) {
  const std::string big = "[Comms]\r\nAuto=1\r\n[Junk]\r\n" + std::string(kMaxIniFileSize, 'x');
  WriteText(big);
  Settings.CommsAuto = true;
  const AnsiString message = ReadSettingsFile(IniName());
  EXPECT_NE(message.find("larger than 1 MiB"), AnsiString::npos) << message;
  EXPECT_NE(message.find("The default settings are used, and the file is left as it is."), AnsiString::npos);
  EXPECT_FALSE(Settings.CommsAuto);
  EXPECT_FALSE(WriteSettingsFile(IniName()));
  EXPECT_EQ(safefile::ReadFile(ConfigFilePath(IniName())), big);
  // Once the file is readable again it is read and written as usual.
  WriteText("[Comms]\r\nAuto=1\r\n");
  EXPECT_EQ(ReadSettingsFile(IniName()), "");
  EXPECT_TRUE(Settings.CommsAuto);
  EXPECT_TRUE(WriteSettingsFile(IniName()));
}

// Each ranged number one step outside its range, on either side, falls back to its default
// (pressure unit 3 is no unit: the default bar is used).
TEST_F(SettingsTest, OneStepOutsideEveryRangeFallsBack) {
  struct Ranged {
    const char* section;
    const char* key;
    std::function<int32_t()> field;
    int32_t def, lo, hi;
  };
  const TSettingsRecord& s = Settings;
  const TLoggerSettings& g = LoggerSettings;
  const Ranged ranged[] = {
      {"Main", "Load Sites", [&] { return s.LoadSites; }, 16, 1, 16},
      {"Main", "Speed Sites", [&] { return s.SpeedSiteStep; }, 500, 1, 2097},
      {"Main", "AutoIdlePotNum", [&] { return s.AutoIdlePotNum; }, 8, 0, 1023},
      {"Main", "AutoCutPotNum", [&] { return s.AutoCutPotNum; }, 8, 0, 1023},
      {"Main", "AutoSetMaps", [&] { return s.AutoSetMaps; }, 0, 0, 1},
      {"Comms", "Port", [&] { return s.CommsPort; }, 1, 1, 64},
      {"Units", "Temperature", [&] { return s.TemperatureUnit; }, 0, 0, 1},
      {"Units", "Pressure", [&] { return s.PressureUnit; }, 1, 0, 2},
      {"Units", "Speed", [&] { return s.SpeedUnit; }, 0, 0, 1},
      {"Units", "Distance", [&] { return s.DistanceUnit; }, 0, 0, 1},
      {"Units", "O2", [&] { return s.O2Unit; }, 0, 0, 1},
      {"UserView", "Var1", [&] { return s.UserViewVar[1]; }, 11, 0, 50},
      {"UserView", "Var4", [&] { return s.UserViewVar[4]; }, 20, 0, 50},
      {"Logger", "Ch1Lab", [&] { return g.Channels[1]; }, 19, 0, 50},
      {"Logger", "Ch8Lab", [&] { return g.Channels[8]; }, 27, 0, 50},
      {"Logger", "ExSamples", [&] { return g.ExportSamples; }, 10, 5, 100},
      {"LoggerStart", "Chan", [&] { return g.StartChan; }, 3, 0, 8},
      {"LoggerStart", "Option", [&] { return g.StartLogic; }, 0, 0, 1},
      {"LoggerStop", "Chan", [&] { return g.StopChan; }, 3, 0, 8},
      {"LoggerStop", "Option", [&] { return g.StopLogic; }, 1, 0, 1},
  };
  for (const Ranged& r : ranged) {
    for (const int32_t value : {r.lo - 1, r.hi + 1, r.lo, r.hi}) {
      WriteText(AnsiString("[") + r.section + "]\n" + r.key + "=" + IntToStr(value) + "\n");
      Settings = TSettingsRecord();
      LoggerSettings = TLoggerSettings();
      ReadSettingsFile(IniName());
      const bool inside = value >= r.lo && value <= r.hi;
      EXPECT_EQ(r.field(), inside ? value : r.def) << r.section << " / " << r.key << " = " << value;
    }
  }
}

// The log folder travels under its own key of section Main, both ways.
TEST_F(SettingsTest, LogPathIsWrittenAndReadBack) {
  ReadSettingsFile(IniName());
  Settings.MapPath = "/m/";
  Settings.LogPath = "/home/user/logs/";
  Settings.RomPath = "/r/";
  WriteSettingsFile(IniName());
  const TIniFile ini(IniName());
  EXPECT_EQ(ini.ReadString("Main", "Log path", ""), "/home/user/logs/");

  Settings = TSettingsRecord();
  WriteText("[Main]\nMap path=/a/\nLog path=/srv/car logs\nRom path=/c/\n");
  ReadSettingsFile(IniName());
  EXPECT_EQ(Settings.LogPath, "/srv/car logs/");
  EXPECT_EQ(Settings.MapPath, "/a/");
  EXPECT_EQ(Settings.RomPath, "/c/");
}

}  // namespace

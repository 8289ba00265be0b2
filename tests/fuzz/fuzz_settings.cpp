// The settings file from arbitrary INI text: read, written back into the same file (as
// the program does at exit, keeping whatever else the file holds) and read again, every
// value must come back the same and lie within what the program can use. A file over the
// reader's size limit must be refused and left alone, and one the settings would push past
// that limit is not written.
#include <unistd.h>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <utility>

#include "model/Settings.h"
#include "platform/classes/IniFiles.h"

namespace {

[[noreturn]] void Fail(const char* what) {
  std::fprintf(stderr, "settings: %s\n", what);
  std::abort();
}

const std::string& FileName() {
  static const std::string name = [] {
    char tmpl[] = "/tmp/cq5-fuzz-settings-XXXXXX";
    if (mkdtemp(tmpl) == nullptr) std::abort();
    return std::string(tmpl) + "/R7TQ5.ini";
  }();
  return name;
}

void In(int v, int lo, int hi, const char* what) {
  if (v < lo || v > hi) Fail(what);
}

void CheckRanges(const TSettingsRecord& s, const TLoggerSettings& g) {
  In(s.LoadSites, 1, 16, "Load Sites");
  In(s.SpeedSiteStep, 1, 2097, "Speed Sites");
  In(s.AutoIdlePotNum, 0, 1023, "AutoIdlePotNum");
  In(s.AutoCutPotNum, 0, 1023, "AutoCutPotNum");
  In(s.AutoSetMaps, 0, 1, "AutoSetMaps");
  // The EGT warning keeps any number the file holds; only text that is no number falls back.
  In(s.CommsPort, 1, 64, "Port");
  In(s.TemperatureUnit, 0, 1, "Temperature");
  In(s.PressureUnit, 0, 2, "Pressure");
  In(s.SpeedUnit, 0, 1, "Speed");
  In(s.DistanceUnit, 0, 1, "Distance");
  In(s.O2Unit, 0, 1, "O2");
  for (int n = 1; n <= 4; ++n) In(s.UserViewVar[n], 0, 50, "VarN");
  for (int n = 1; n <= 8; ++n) In(g.Channels[n], 0, 50, "ChNLab");
  In(g.StartChan, 0, 8, "LoggerStart Chan");
  In(g.StartLogic, 0, 1, "LoggerStart Option");
  In(g.StopChan, 0, 8, "LoggerStop Chan");
  In(g.StopLogic, 0, 1, "LoggerStop Option");
  In(g.ExportSamples, 5, 100, "ExSamples");
  if (!std::isfinite(g.StartValue) || !std::isfinite(g.StopValue)) Fail("Value not finite");
  for (const AnsiString* path : {&s.MapPath, &s.LogPath, &s.RomPath})
    if (path->empty() || path->back() != '/') Fail("folder without its final /");
}

bool Same(const TSettingsRecord& a, const TSettingsRecord& b) {
  for (int n = 1; n <= 4; ++n)
    if (a.UserViewVar[n] != b.UserViewVar[n]) return false;
  return a.LoadSites == b.LoadSites && a.SpeedSiteStep == b.SpeedSiteStep && a.LambdaDisplay == b.LambdaDisplay &&
         a.LiveMapSave == b.LiveMapSave && a.ECUMapSave == b.ECUMapSave && a.MapPath == b.MapPath &&
         a.LogPath == b.LogPath && a.RomPath == b.RomPath && a.AutoIdlePotUpdate == b.AutoIdlePotUpdate &&
         a.AutoIdlePotNum == b.AutoIdlePotNum && a.AutoCutNumUpdate == b.AutoCutNumUpdate &&
         a.AutoCutPotNum == b.AutoCutPotNum && a.AutoSetMaps == b.AutoSetMaps && a.ReCalcPos == b.ReCalcPos &&
         a.EGTWarning == b.EGTWarning && a.CommsAuto == b.CommsAuto && a.CommsPort == b.CommsPort &&
         a.TemperatureUnit == b.TemperatureUnit && a.PressureUnit == b.PressureUnit && a.SpeedUnit == b.SpeedUnit &&
         a.DistanceUnit == b.DistanceUnit && a.O2Unit == b.O2Unit;
}

bool Same(const TLoggerSettings& a, const TLoggerSettings& b) {
  for (int n = 1; n <= 8; ++n)
    if (a.Channels[n] != b.Channels[n]) return false;
  return a.StartChan == b.StartChan && a.StartLogic == b.StartLogic && a.StartValue == b.StartValue &&
         a.StopChan == b.StopChan && a.StopLogic == b.StopLogic && a.StopValue == b.StopValue &&
         a.Enabled == b.Enabled && a.ExportSamples == b.ExportSamples;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  const std::string& name = FileName();
  std::ofstream(name, std::ios::binary | std::ios::trunc).write(reinterpret_cast<const char*>(Data),
                                                                  static_cast<std::streamsize>(Size));
  // What a missing file gives: every value's default.
  static const std::pair<TSettingsRecord, TLoggerSettings> defaults = [&] {
    if (!ReadSettingsFile(name + ".missing").empty()) Fail("a missing file was refused");
    return std::pair(Settings, LoggerSettings);
  }();
  if (Size > kMaxIniFileSize) {
    // A file this large is refused by design: the reader says so, every value keeps its
    // default, and the file is never written over.
    if (ReadSettingsFile(name).empty()) Fail("a file over the size limit was read");
    if (!Same(Settings, defaults.first) || !Same(LoggerSettings, defaults.second)) Fail("a refused file set values");
    if (WriteSettingsFile(name)) Fail("the refused file was written over");
    if (std::filesystem::file_size(name) != Size) Fail("the refused file changed");
    return 0;
  }
  if (!ReadSettingsFile(name).empty()) Fail("a small file was refused");
  CheckRanges(Settings, LoggerSettings);
  const TSettingsRecord first = Settings;
  const TLoggerSettings firstLogger = LoggerSettings;

  try {
    if (!WriteSettingsFile(name)) Fail("not written");
  } catch (const Exception& e) {
    // Only a file that would outgrow what the reader takes may stay unwritten, as it was.
    if (e.Message().find("larger than 1 MiB") == AnsiString::npos) Fail("not written");
    if (std::filesystem::file_size(name) != Size) Fail("the file kept was changed");
    return 0;
  }
  Settings = TSettingsRecord{};
  LoggerSettings = TLoggerSettings{};
  if (!ReadSettingsFile(name).empty()) Fail("the written file was refused");
  if (!Same(Settings, first)) Fail("settings changed on the way through the file");
  if (!Same(LoggerSettings, firstLogger)) Fail("logger settings changed on the way through the file");
  return 0;
}

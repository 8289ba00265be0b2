#include "model/Settings.h"

#include <cmath>
#include "platform/classes/IniFiles.h"
#include "platform/rtl/FileUtils.h"
#include "platform/rtl/SysUtils.h"

TSettingsRecord Settings;
TLoggerSettings LoggerSettings;

namespace {

// Channel functions have room for 51 entries (0..50) in every table that is indexed
// by them; a larger number from the file would reach past those tables.
constexpr int kLastChannelFunction = 50;

int ReadRange(const TIniFile& ini, const char* section, const char* key, int def, int lo, int hi) {
  const int v = ini.ReadInteger(section, key, def);
  return v < lo || v > hi ? def : v;
}

double ReadFinite(const TIniFile& ini, const char* section, const char* key, double def) {
  const double v = ini.ReadFloat(section, key, def);
  return std::isfinite(v) ? v : def;
}

// Folders are joined with file names by plain concatenation, so they must end in "/".
AnsiString ReadFolder(const TIniFile& ini, const char* key, const AnsiString& def) {
  AnsiString v = ini.ReadString("Main", key, def);
  if (v.empty()) return def;
  if (v.back() != '/') v += '/';
  return v;
}

AnsiString VarKey(const char* prefix, int n, const char* suffix = "") {
  return AnsiString(prefix) + IntToStr(n) + suffix;
}

AnsiString Sentence(AnsiString text) {
  if (!text.empty() && text.back() != '.') text += '.';
  return text;
}

// The settings file that could not be read when the settings were last read; it is not
// written over at exit.
AnsiString g_unreadFile;

}  // namespace

AnsiString ReadSettingsFile(const AnsiString& FileName) {
  const TIniFile ini(FileName);
  TSettingsRecord s;  // defaults
  TLoggerSettings g;
  g_unreadFile = ini.LoadError().empty() ? AnsiString() : ini.FileName();

  s.LoadSites = ReadRange(ini, "Main", "Load Sites", s.LoadSites, 1, 16);
  // Speed sites are unsigned 16-bit words: 500 + 31 steps must stay below 65536, and a
  // step of 0 would stall the sites and divide by zero in the table display.
  s.SpeedSiteStep = ReadRange(ini, "Main", "Speed Sites", s.SpeedSiteStep, 1, 2097);
  s.LambdaDisplay = ini.ReadBool("Main", "Lambda Display", s.LambdaDisplay);
  s.LiveMapSave = ini.ReadBool("Main", "Live map save", s.LiveMapSave);
  s.ECUMapSave = ini.ReadBool("Main", "ECU map save", s.ECUMapSave);
  // Map, log and update files the user has not placed yet start in the home folder: the
  // program's own folder is an installation, not a place for the user's files.
  const AnsiString folder = HomeFolder();
  s.MapPath = ReadFolder(ini, "Map path", folder);
  s.LogPath = ReadFolder(ini, "Log path", folder);
  s.RomPath = ReadFolder(ini, "Rom path", folder);
  s.AutoIdlePotUpdate = ini.ReadBool("Main", "AutoIdlePotUpdate", s.AutoIdlePotUpdate);
  s.AutoIdlePotNum = ReadRange(ini, "Main", "AutoIdlePotNum", s.AutoIdlePotNum, 0, 1023);
  s.AutoCutNumUpdate = ini.ReadBool("Main", "AutoCutNumUpdate", s.AutoCutNumUpdate);
  s.AutoSetMaps = ReadRange(ini, "Main", "AutoSetMaps", s.AutoSetMaps, 0, 1);
  s.AutoCutPotNum = ReadRange(ini, "Main", "AutoCutPotNum", s.AutoCutPotNum, 0, 1023);
  s.ReCalcPos = ini.ReadBool("Main", "ReCalcPos", s.ReCalcPos);

  // Any whole number is kept as stored (the gauge's warning mark); only text that is no
  // number falls back.
  s.EGTWarning = ini.ReadInteger("EGTDisplay", "Warning", s.EGTWarning);
  for (int n = 1; n <= 8; ++n)
    g.Channels[n] = ReadRange(ini, "Logger", VarKey("Ch", n, "Lab").c_str(), g.Channels[n], 0, kLastChannelFunction);
  g.Enabled = ini.ReadBool("Logger", "Enabled", g.Enabled);
  // The export takes every (100 div n)-th record; below 5 % the spin edit cannot show it,
  // and 0 would divide by zero.
  g.ExportSamples = ReadRange(ini, "Logger", "ExSamples", g.ExportSamples, 5, 100);
  g.StartChan = ReadRange(ini, "LoggerStart", "Chan", g.StartChan, 0, 8);
  g.StartLogic = ReadRange(ini, "LoggerStart", "Option", g.StartLogic, 0, 1);
  g.StartValue = ReadFinite(ini, "LoggerStart", "Value", g.StartValue);
  g.StopChan = ReadRange(ini, "LoggerStop", "Chan", g.StopChan, 0, 8);
  g.StopLogic = ReadRange(ini, "LoggerStop", "Option", g.StopLogic, 0, 1);
  g.StopValue = ReadFinite(ini, "LoggerStop", "Value", g.StopValue);
  s.CommsAuto = ini.ReadBool("Comms", "Auto", s.CommsAuto);
  s.CommsPort = ReadRange(ini, "Comms", "Port", s.CommsPort, 1, 64);
  for (int n = 1; n <= 4; ++n)
    s.UserViewVar[n] = ReadRange(ini, "UserView", VarKey("Var", n).c_str(), s.UserViewVar[n], 0, kLastChannelFunction);
  s.TemperatureUnit = ReadRange(ini, "Units", "Temperature", s.TemperatureUnit, 0, 1);
  s.PressureUnit = ReadRange(ini, "Units", "Pressure", s.PressureUnit, 0, 2);
  s.SpeedUnit = ReadRange(ini, "Units", "Speed", s.SpeedUnit, 0, 1);
  s.DistanceUnit = ReadRange(ini, "Units", "Distance", s.DistanceUnit, 0, 1);
  s.O2Unit = ReadRange(ini, "Units", "O2", s.O2Unit, 0, 1);

  Settings = s;
  LoggerSettings = g;
  if (g_unreadFile.empty()) return {};
  return "The settings file \"" + ini.FileName() + "\" could not be read: " + Sentence(ini.LoadError()) +
         "\n\nThe default settings are used, and the file is left as it is.";
}

bool WriteSettingsFile(const AnsiString& FileName) {
  if (!g_unreadFile.empty() && ConfigFilePath(FileName) == g_unreadFile) return false;
  TIniFile ini(FileName);
  const TSettingsRecord& s = Settings;
  const TLoggerSettings& g = LoggerSettings;

  ini.WriteInteger("Main", "Load Sites", s.LoadSites);
  ini.WriteInteger("Main", "Speed Sites", s.SpeedSiteStep);
  ini.WriteBool("Main", "Lambda Display", s.LambdaDisplay);
  ini.WriteBool("Main", "Live map save", s.LiveMapSave);
  ini.WriteBool("Main", "ECU map save", s.ECUMapSave);
  ini.WriteString("Main", "Map path", s.MapPath);
  ini.WriteString("Main", "Log path", s.LogPath);
  ini.WriteString("Main", "Rom path", s.RomPath);
  ini.WriteBool("Main", "AutoIdlePotUpdate", s.AutoIdlePotUpdate);
  ini.WriteInteger("Main", "AutoIdlePotNum", s.AutoIdlePotNum);
  ini.WriteBool("Main", "AutoCutNumUpdate", s.AutoCutNumUpdate);
  ini.WriteInteger("Main", "AutoCutPotNum", s.AutoCutPotNum);
  ini.WriteInteger("Main", "AutoSetMaps", s.AutoSetMaps);
  ini.WriteBool("Main", "ReCalcPos", s.ReCalcPos);

  for (int n = 1; n <= 8; ++n) ini.WriteInteger("Logger", VarKey("Ch", n, "Lab"), g.Channels[n]);
  ini.WriteBool("Logger", "Enabled", g.Enabled);
  ini.WriteInteger("Logger", "ExSamples", g.ExportSamples);
  ini.WriteInteger("LoggerStart", "Chan", g.StartChan);
  ini.WriteInteger("LoggerStart", "Option", g.StartLogic);
  ini.WriteFloat("LoggerStart", "Value", g.StartValue);
  ini.WriteInteger("LoggerStop", "Chan", g.StopChan);
  ini.WriteInteger("LoggerStop", "Option", g.StopLogic);
  ini.WriteFloat("LoggerStop", "Value", g.StopValue);

  ini.WriteInteger("EGTDisplay", "Warning", s.EGTWarning);
  ini.WriteBool("Comms", "Auto", s.CommsAuto);
  ini.WriteInteger("Comms", "Port", s.CommsPort);
  ini.WriteInteger("Units", "Temperature", s.TemperatureUnit);
  ini.WriteInteger("Units", "Pressure", s.PressureUnit);
  ini.WriteInteger("Units", "Speed", s.SpeedUnit);
  ini.WriteInteger("Units", "Distance", s.DistanceUnit);
  ini.WriteInteger("Units", "O2", s.O2Unit);
  for (int n = 1; n <= 4; ++n) ini.WriteInteger("UserView", VarKey("Var", n), s.UserViewVar[n]);

  ini.UpdateFile();
  return true;
}

#pragma once
// The user settings kept in the settings file "R7TQ5.ini": read once when the main
// window first activates, written once when the user confirms closing. Other windows
// read and change the fields in memory; the changes reach the file at exit.
#include <cstdint>
#include "platform/rtl/AnsiString.h"

struct TSettingsRecord {
  int32_t LoadSites = 16;        // load rows read from old text map files, 1..16
  int32_t SpeedSiteStep = 500;   // rpm between speed sites after the first two
  bool LambdaDisplay = true;
  bool LiveMapSave = true;
  bool ECUMapSave = false;
  AnsiString MapPath;  // folders end in "/"; default the user's home folder
  AnsiString LogPath;
  AnsiString RomPath;
  bool AutoIdlePotUpdate = false;
  int32_t AutoIdlePotNum = 8;    // 0..1023
  bool AutoCutNumUpdate = false;
  int32_t AutoCutPotNum = 8;     // 0..1023
  int32_t AutoSetMaps = 0;       // 0 all maps, 1 current map
  bool ReCalcPos = true;
  int32_t EGTWarning = 1250;     // degC
  bool CommsAuto = false;
  int32_t CommsPort = 1;         // COM1..COM64
  int32_t TemperatureUnit = 0;   // 0 degC, 1 degF
  int32_t PressureUnit = 1;      // 0 kPa, 1 bar, 2 psi
  int32_t SpeedUnit = 0;         // 0 MPH, 1 KPH
  int32_t DistanceUnit = 0;      // 0 mm, 1 inches
  int32_t O2Unit = 0;            // 0 AFR, 1 lambda
  int32_t UserViewVar[5] = {0, 11, 15, 38, 20};  // [1..4]: channel functions; [0] unused
};

struct TLoggerSettings {
  int32_t Channels[9] = {0, 19, 39, 2, 18, 22, 26, 25, 27};  // [1..8]: channel functions; [0] unused
  int32_t StartChan = 3;   // 0 no start trigger, 1..8 the channel that starts logging
  int32_t StartLogic = 0;  // 0 above, 1 below
  double StartValue = 95.0;
  int32_t StopChan = 3;
  int32_t StopLogic = 1;
  double StopValue = 90.0;
  bool Enabled = false;
  int32_t ExportSamples = 10;  // percentage of records exported, 5..100
};

extern TSettingsRecord Settings;
extern TLoggerSettings LoggerSettings;

// The settings file's name; without a folder it lives in the configuration folder.
inline constexpr const char* kSettingsFileName = "R7TQ5.ini";


// Fills Settings and LoggerSettings from the file. A missing file or key, a value that
// is not a number and a value outside what the program can use all give the default.
// A file that exists but cannot be read (no regular file, no permission, larger than
// kMaxIniFileSize) gives all defaults too; the result is then the message for the user
// (empty otherwise), and WriteSettingsFile leaves that file alone.
AnsiString ReadSettingsFile(const AnsiString& FileName = kSettingsFileName);
// Writes every key of both records. Raises the file error when the file cannot be
// written; the old file is then left as it was. Writes nothing, and returns false, for
// the file the last ReadSettingsFile could not read: saving the defaults over it would
// lose settings nobody has seen.
bool WriteSettingsFile(const AnsiString& FileName = kSettingsFileName);

#pragma once
// The channel file of a saved log (".lg2", beside the ".lg1" records): the channel
// function of each of the eight channels, the display units in force when it was saved,
// and optionally the user's own ranges of the two auxiliary inputs. Also the conversion
// of stored samples from the units of a log to the units now chosen.
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "files/LogRecords.h"
#include "platform/rtl/AnsiString.h"

// The largest ".lg2" read: its 22 lines and two optional unit rows make a few hundred
// bytes, so a larger file is no channel file and is refused unread.
inline constexpr size_t kMaxLogDescriptionSize = size_t{64} << 10;

// A channel-function row given by the file ("[Unit3]" / "[Unit4]").
struct TLogUnitRow {
  int32_t From = 0, To = 0, Decimals = 0;
  AnsiString Unit;
};

struct TLogDescription {
  // [1..8]: channel function, or -1 when the file does not name the channel.
  std::array<int32_t, 9> Channels{-1, -1, -1, -1, -1, -1, -1, -1, -1};
  // The display units of the "[ValU]" section; absent in older logs.
  bool HasUnits = false;
  int32_t TemperatureUnit = 0, PressureUnit = 0, SpeedUnit = 0, DistanceUnit = 0, O2Unit = 0;
  std::optional<TLogUnitRow> Unit3, Unit4;  // rows of functions 3 and 4
};

// The ".lg2" text: "[chan1]" .. "[chan8]" each followed by its function, then "[ValU]"
// and the five units, every line ending in CR LF.
AnsiString FormatLogDescription(const std::array<int32_t, 9>& Channels, int32_t Temperature, int32_t Pressure,
                                int32_t Speed, int32_t Distance, int32_t O2);

// Reads the ".lg2" text. Sections are found by their bracketed word anywhere in a line,
// in any order; the value is on the next line. A number that is not one, a function
// outside 0..44 or a unit outside its choices makes the whole text refused (nullopt,
// with the reason in Error).
std::optional<TLogDescription> ParseLogDescription(const AnsiString& Text, AnsiString& Error);

// What ConvertLogSamples changes, as the logger's ConvertUnits receives it.
struct TLogConversion {
  bool OldFormat = false;    // a log without units: temperatures stored above -10 degC
  bool Temperature = false;  // convert temperatures
  int32_t TargetTemperature = 0;  // 0 to degC, 1 to degF, 2 an older log to degC
  bool Speed = false;
  int32_t SpeedDirection = 0;  // 0 to mph, 1 to kph
  bool Pressure = false;
  int32_t OldPressure = 0, NewPressure = 0;  // 0 kPa, 1 bar, 2 psi
};

// Rewrites the stored samples of every record (separators too) for the channel
// functions of the eight channels ([1..8]); FromAbs(f) is |From| of function f in the
// units now chosen (the exhaust temperature reads From(f) itself). A result outside 16
// bits is held at 0 or 65535.
void ConvertLogSamples(std::vector<TTrendRecord>& Records, const std::array<int32_t, 9>& Channels,
                       const TLogConversion& Conversion, const std::array<int32_t, 51>& From);

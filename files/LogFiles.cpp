#include "files/LogFiles.h"

#include <algorithm>
#include <cstdlib>

#include "platform/rtl/Numbers.h"

namespace {

constexpr int32_t kLastFunction = 44;

std::vector<AnsiString> SplitLines(const AnsiString& text) {
  std::vector<AnsiString> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == AnsiString::npos) end = text.size();
    AnsiString line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
    start = end + 1;
  }
  return lines;
}

AnsiString Trimmed(const AnsiString& s) {
  size_t a = 0, b = s.size();
  while (a < b && (s[a] == ' ' || s[a] == '\t')) ++a;
  while (b > a && (s[b - 1] == ' ' || s[b - 1] == '\t')) --b;
  return s.substr(a, b - a);
}

// The line after `i` as a number in lo..hi; false with Error set otherwise.
bool NumberAfter(const std::vector<AnsiString>& lines, size_t i, const char* what, int32_t lo, int32_t hi,
                 int32_t& out, AnsiString& Error) {
  int v = 0;
  if (i + 1 >= lines.size() || !TryStrToInt(Trimmed(lines[i + 1]), v) || v < lo || v > hi) {
    Error = AnsiString("The ") + what + " in line " + IntToStr(static_cast<int64_t>(i + 2)) + " is not a number from " +
            IntToStr(lo) + " to " + IntToStr(hi) + ".";
    return false;
  }
  out = v;
  return true;
}

int32_t RoundStored(double v) { return static_cast<int32_t>(std::clamp<int64_t>(Round(v), -100000, 200000)); }

}  // namespace

AnsiString FormatLogDescription(const std::array<int32_t, 9>& Channels, int32_t Temperature, int32_t Pressure,
                                int32_t Speed, int32_t Distance, int32_t O2) {
  AnsiString text;
  for (int n = 1; n <= 8; ++n)
    text += "[chan" + IntToStr(n) + "]\r\n" + IntToStr(Channels[static_cast<size_t>(n)]) + "\r\n";
  text += "[ValU]\r\n";
  for (int32_t u : {Temperature, Pressure, Speed, Distance, O2}) text += IntToStr(u) + "\r\n";
  return text;
}

std::optional<TLogDescription> ParseLogDescription(const AnsiString& Text, AnsiString& Error) {
  const std::vector<AnsiString> lines = SplitLines(Text);
  TLogDescription d;
  for (size_t i = 0; i < lines.size(); ++i) {
    const AnsiString& line = lines[i];
    for (int n = 1; n <= 8; ++n) {
      if (line.find("[chan" + IntToStr(n) + "]") == AnsiString::npos) continue;
      if (!NumberAfter(lines, i, "channel function", 0, kLastFunction, d.Channels[static_cast<size_t>(n)], Error))
        return std::nullopt;
    }
    if (line.find("[ValU]") != AnsiString::npos) {
      d.HasUnits = true;
      int32_t* units[5] = {&d.TemperatureUnit, &d.PressureUnit, &d.SpeedUnit, &d.DistanceUnit, &d.O2Unit};
      static const int32_t kMax[5] = {1, 2, 1, 1, 1};
      const AnsiString next = i + 1 < lines.size() ? Trimmed(lines[i + 1]) : AnsiString();
      if (next.size() >= 2) {
        // One line of digits, one character per unit.
        for (size_t k = 0; k < 5; ++k) {
          const int v = k < next.size() ? next[k] - '0' : 0;
          if (v < 0 || v > kMax[k]) {
            Error = "The units in line " + IntToStr(static_cast<int64_t>(i + 2)) + " are not valid.";
            return std::nullopt;
          }
          *units[k] = v;
        }
      } else {
        for (size_t k = 0; k < 5; ++k)
          if (!NumberAfter(lines, i + k, "unit", 0, kMax[k], *units[k], Error)) return std::nullopt;
      }
    }
    for (int f : {3, 4}) {
      if (line.find("[Unit" + IntToStr(f) + "]") == AnsiString::npos) continue;
      // Only for a function some channel named before.
      if (std::find(d.Channels.begin() + 1, d.Channels.end(), f) == d.Channels.end()) continue;
      TLogUnitRow row;
      if (!NumberAfter(lines, i, "range start", -65535, 65535, row.From, Error) ||
          !NumberAfter(lines, i + 1, "range end", -65535, 65535, row.To, Error) ||
          !NumberAfter(lines, i + 2, "decimals", 0, 2, row.Decimals, Error))
        return std::nullopt;
      row.Unit = i + 4 < lines.size() ? lines[i + 4].substr(0, 6) : AnsiString();
      (f == 3 ? d.Unit3 : d.Unit4) = row;
    }
  }
  return d;
}

void ConvertLogSamples(std::vector<TTrendRecord>& Records, const std::array<int32_t, 9>& Channels,
                       const TLogConversion& c, const std::array<int32_t, 51>& From) {
  for (TTrendRecord& r : Records) {
    for (int n = 1; n <= 8; ++n) {
      const int32_t f = Channels[static_cast<size_t>(n)];
      if (f < 0 || f > 50) continue;
      const int32_t from_abs = std::abs(From[static_cast<size_t>(f)]);
      uint16_t& stored = r.Values[static_cast<size_t>(n - 1)];
      int32_t x = stored;
      if ((f == 2 || f == 12 || f == 19) && c.Temperature) {
        if (c.TargetTemperature == 0) {
          x = RoundStored((x - 54) * 5.0 / 9) + from_abs;
        } else if (c.TargetTemperature == 1) {
          x = RoundStored((x - (c.OldFormat ? 10 : 30)) * 9.0 / 5) + 32 + from_abs;
        } else if (c.TargetTemperature == 2) {
          x += 20;
        }
      }
      // The exhaust temperature is stored above its own range start (0 degC, 32 degF), so
      // a change of unit converts it too; left alone, 1000 degC would read as 1032 degF.
      if (f == 21 && c.Temperature && !c.OldFormat) {
        const int32_t from = From[static_cast<size_t>(f)];
        if (c.TargetTemperature == 0) x = RoundStored(x * 5.0 / 9) - from;
        else if (c.TargetTemperature == 1) x = RoundStored(x * 9.0 / 5) + 32 - from;
      }
      if (f == 40 && c.Speed) x = c.SpeedDirection == 0 ? RoundStored(x / 1.6) : RoundStored(x * 1.6);
      if ((f == 16 || f == 32) && c.Pressure) {
        if (c.OldPressure == 2) x = RoundStored((x - 1500) / 14.5) + 100;
        if (c.NewPressure == 2) x = RoundStored((x - 100) * 14.5) + 1500;
      }
      stored = static_cast<uint16_t>(std::clamp<int32_t>(x, 0, 65535));
    }
  }
}

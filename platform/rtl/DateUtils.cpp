#include "platform/rtl/DateUtils.h"

#include <cmath>
#include <ctime>

#include "platform/rtl/SysUtils.h"

namespace {
constexpr int64_t kMSecsPerDay = 86400000;

// Days from 1970-01-01 of a proleptic Gregorian date (and back); the usual era-based
// conversion, exact for every year the runtime allows (1..9999).
int64_t DaysFromCivil(int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<int64_t>(doe) - 719468;
}

void CivilFromDays(int64_t z, int64_t& y, unsigned& m, unsigned& d) {
  z += 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  y = static_cast<int64_t>(yoe) + era * 400;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  d = doy - (153 * mp + 2) / 5 + 1;
  m = mp < 10 ? mp + 3 : mp - 9;
  y += m <= 2;
}

const int64_t kEpochOffset = DaysFromCivil(1899, 12, 30);  // day 0 of TDateTime

// Splits a TDateTime into its calendar day (days since 1899-12-30) and the milliseconds
// of the day. The time is rounded to the millisecond; rounding up to midnight moves to
// the next day so date and time always agree. Negative values count days backwards but
// their fraction is still the time of that day (-1.25 is 1899-12-29 06:00).
void Split(TDateTime dt, int64_t& day, int64_t& msec) {
  if (!std::isfinite(dt) || std::fabs(dt) > 3.0e6) throw EConvertError("Invalid date/time value");
  day = static_cast<int64_t>(std::trunc(dt));
  msec = std::llround(std::fabs(dt - std::trunc(dt)) * kMSecsPerDay);
  if (msec >= kMSecsPerDay) {
    msec -= kMSecsPerDay;
    ++day;  // day numbers are calendar order for both signs
  }
}

TDateTime FromTimeT(const struct timespec& ts, bool withDate, bool withTime) {
  struct tm lt {};
  time_t secs = ts.tv_sec;
  localtime_r(&secs, &lt);
  TDateTime r = 0;
  if (withDate) r += static_cast<double>(DaysFromCivil(lt.tm_year + 1900, static_cast<unsigned>(lt.tm_mon + 1),
                                                        static_cast<unsigned>(lt.tm_mday)) - kEpochOffset);
  if (withTime)
    r += ((lt.tm_hour * 3600.0 + lt.tm_min * 60.0 + lt.tm_sec) * 1000.0 + static_cast<double>(ts.tv_nsec / 1000000)) /
         kMSecsPerDay;
  return r;
}

struct timespec Clock() {
  struct timespec ts {};
  clock_gettime(CLOCK_REALTIME, &ts);
  return ts;
}
}  // namespace

TDateTime Now() { return FromTimeT(Clock(), true, true); }
TDateTime Date() { return FromTimeT(Clock(), true, false); }
TDateTime Time() { return FromTimeT(Clock(), false, true); }

bool IsLeapYear(Word Year) { return Year % 4 == 0 && (Year % 100 != 0 || Year % 400 == 0); }

Word DaysInMonth(Word Year, Word Month) {
  static constexpr Word kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (Month < 1 || Month > 12) return 0;
  return static_cast<Word>(kDays[Month - 1] + (Month == 2 && IsLeapYear(Year) ? 1 : 0));
}

bool TryEncodeDate(Word Year, Word Month, Word Day, TDateTime& Result) {
  if (Year < 1 || Year > 9999 || Month < 1 || Month > 12 || Day < 1 || Day > DaysInMonth(Year, Month)) return false;
  Result = static_cast<double>(DaysFromCivil(Year, Month, Day) - kEpochOffset);
  return true;
}

bool TryEncodeTime(Word Hour, Word Min, Word Sec, Word MSec, TDateTime& Result) {
  if (Hour > 23 || Min > 59 || Sec > 59 || MSec > 999) return false;
  Result = ((Hour * 3600.0 + Min * 60.0 + Sec) * 1000.0 + MSec) / kMSecsPerDay;
  return true;
}

TDateTime EncodeDate(Word Year, Word Month, Word Day) {
  TDateTime r;
  if (!TryEncodeDate(Year, Month, Day, r)) throw EConvertError("Invalid argument to date encode");
  return r;
}

TDateTime EncodeTime(Word Hour, Word Min, Word Sec, Word MSec) {
  TDateTime r;
  if (!TryEncodeTime(Hour, Min, Sec, MSec, r)) throw EConvertError("Invalid argument to time encode");
  return r;
}

void DecodeDate(TDateTime DateTime, Word& Year, Word& Month, Word& Day) {
  int64_t day, msec;
  Split(DateTime, day, msec);
  int64_t y;
  unsigned m, d;
  CivilFromDays(day + kEpochOffset, y, m, d);
  Year = static_cast<Word>(y);
  Month = static_cast<Word>(m);
  Day = static_cast<Word>(d);
}

void DecodeTime(TDateTime DateTime, Word& Hour, Word& Min, Word& Sec, Word& MSec) {
  int64_t day, msec;
  Split(DateTime, day, msec);
  Hour = static_cast<Word>(msec / 3600000);
  Min = static_cast<Word>(msec / 60000 % 60);
  Sec = static_cast<Word>(msec / 1000 % 60);
  MSec = static_cast<Word>(msec % 1000);
}

namespace {
char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; }

bool StartsWithNoCase(const AnsiString& s, size_t i, const char* word) {
  for (size_t k = 0; word[k] != 0; ++k)
    if (i + k >= s.size() || LowerAscii(s[i + k]) != word[k]) return false;
  return true;
}

AnsiString Pad(int v, int width) {
  AnsiString s = std::to_string(v);
  while (static_cast<int>(s.size()) < width) s.insert(s.begin(), '0');
  return s;
}
}  // namespace

AnsiString FormatDateTime(const AnsiString& Format, TDateTime DateTime) {
  Word y, mo, d, h, mi, s, ms;
  DecodeDate(DateTime, y, mo, d);
  DecodeTime(DateTime, h, mi, s, ms);
  // A 12-hour clock applies to the whole format when it holds an am/pm marker.
  bool twelve = false;
  for (size_t i = 0; i < Format.size(); ++i)
    if (StartsWithNoCase(Format, i, "am/pm") || StartsWithNoCase(Format, i, "a/p")) twelve = true;
  int hour = h;
  if (twelve) {
    hour = h % 12;
    if (hour == 0) hour = 12;
  }

  AnsiString out;
  bool lastWasHour = false;
  size_t i = 0;
  auto run = [&](char c) {  // length of a run of the same letter, any case
    size_t n = 0;
    while (i + n < Format.size() && LowerAscii(Format[i + n]) == c) ++n;
    return n;
  };
  while (i < Format.size()) {
    char c = Format[i];
    char lc = LowerAscii(c);
    if (c == '"' || c == '\'') {
      size_t end = Format.find(c, i + 1);
      if (end == AnsiString::npos) end = Format.size();
      out += Format.substr(i + 1, end - i - 1);
      i = end + 1;
      continue;
    }
    if (StartsWithNoCase(Format, i, "am/pm")) {
      bool upper = c == 'A';
      out += h < 12 ? (upper ? "AM" : "am") : (upper ? "PM" : "pm");
      i += 5;
      continue;
    }
    if (StartsWithNoCase(Format, i, "a/p")) {
      bool upper = c == 'A';
      out += h < 12 ? (upper ? "A" : "a") : (upper ? "P" : "p");
      i += 3;
      continue;
    }
    size_t n;
    switch (lc) {
      case 'y':
        n = run('y');
        out += n <= 2 ? Pad(y % 100, 2) : Pad(y, 4);
        i += n;
        lastWasHour = false;
        break;
      case 'm':
        n = run('m');
        if (lastWasHour) out += Pad(mi, n >= 2 ? 2 : 1);
        else out += Pad(mo, n >= 2 ? 2 : 1);
        i += n;
        lastWasHour = false;
        break;
      case 'd':
        n = run('d');
        out += Pad(d, n >= 2 ? 2 : 1);
        i += n;
        lastWasHour = false;
        break;
      case 'h':
        n = run('h');
        out += Pad(hour, n >= 2 ? 2 : 1);
        i += n;
        lastWasHour = true;
        break;
      case 'n':
        n = run('n');
        out += Pad(mi, n >= 2 ? 2 : 1);
        i += n;
        lastWasHour = false;
        break;
      case 's':
        n = run('s');
        out += Pad(s, n >= 2 ? 2 : 1);
        i += n;
        lastWasHour = false;
        break;
      case 'z':
        n = run('z');
        out += Pad(ms, n >= 3 ? 3 : 1);
        i += n;
        lastWasHour = false;
        break;
      default:
        // Separators and other characters are copied; they do not end an "h...m" pair.
        out += c;
        ++i;
        break;
    }
  }
  return out;
}

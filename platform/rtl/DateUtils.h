#pragma once
// Dates and times as the runtime keeps them: a double counting days since 1899-12-30,
// the fraction being the time of day.
#include <cstdint>
#include "platform/rtl/AnsiString.h"

using TDateTime = double;
using Word = uint16_t;

// Local date and time.
TDateTime Now();
TDateTime Date();
TDateTime Time();

// Raise EConvertError on an invalid date or time.
TDateTime EncodeDate(Word Year, Word Month, Word Day);
TDateTime EncodeTime(Word Hour, Word Min, Word Sec, Word MSec);
bool TryEncodeDate(Word Year, Word Month, Word Day, TDateTime& Result);
bool TryEncodeTime(Word Hour, Word Min, Word Sec, Word MSec, TDateTime& Result);
void DecodeDate(TDateTime DateTime, Word& Year, Word& Month, Word& Day);
void DecodeTime(TDateTime DateTime, Word& Hour, Word& Min, Word& Sec, Word& MSec);
bool IsLeapYear(Word Year);
Word DaysInMonth(Word Year, Word Month);

// Format specifiers (case-insensitive): d dd (day), m mm (month; minutes right after h),
// yy yyyy, h hh, n nn, s ss, z zzz, am/pm and a/p (12-hour clock), "/" and ":" as given,
// '...' and "..." literal text. Month and day names are not supported.
AnsiString FormatDateTime(const AnsiString& Format, TDateTime DateTime);

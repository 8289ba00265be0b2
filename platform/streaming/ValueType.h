#pragma once
// The binary component stream: every value starts with one value-type byte. The codes
// are a stored format (existing form streams depend on them), so they are fixed here once.
#include <cstdint>

enum TValueType : uint8_t {
  vaNull = 0,
  vaList = 1,
  vaInt8 = 2,
  vaInt16 = 3,
  vaInt32 = 4,
  vaExtended = 5,
  vaString = 6,
  vaIdent = 7,
  vaFalse = 8,
  vaTrue = 9,
  vaBinary = 10,
  vaSet = 11,
  vaLString = 12,
  vaNil = 13,
  vaCollection = 14,
  vaSingle = 15,
  vaCurrency = 16,
  vaDate = 17,
  vaWString = 18,
  vaInt64 = 19,
  vaUTF8String = 20,
};
constexpr uint8_t kLastValueType = vaUTF8String;
static_assert(vaNull == 0 && vaBinary == 10 && vaCollection == 14 && vaUTF8String == 20);

// A root component stream starts with these four bytes.
constexpr char kFilerSignature[4] = {'T', 'P', 'F', '0'};

// Sizes of the payloads that follow the value-type byte.
constexpr int kExtendedSize = 10;  // x87 80-bit extended
constexpr int kCurrencySize = 8;   // 64-bit integer, value * 10000
constexpr int kDateSize = 8;       // IEEE double, days since 1899-12-30
constexpr int kSingleSize = 4;     // IEEE single

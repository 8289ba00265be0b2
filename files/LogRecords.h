#pragma once
// The record file of a saved log (".lg1"): the trend recorder's records, 24 bytes each.
#include <array>
#include <cstdint>
#include <vector>

#include "platform/rtl/AnsiString.h"
#include "platform/rtl/DateUtils.h"

// One record: a date-time (0 marks a separator) and the stored value of each channel, the
// digit count above the channel's DigitalFrom.
struct TTrendRecord {
  TDateTime Time = 0;
  std::array<uint16_t, 8> Values{};
  bool operator==(const TTrendRecord&) const = default;
};

// Error codes of the file operations (0 = success), as the file system reports them.
namespace trendio {
constexpr int kFileNotFound = 2;
constexpr int kAccessDenied = 5;
constexpr int kReadError = 100;   // short or damaged file
constexpr int kWriteError = 101;
// Reads a whole record file: a size that is not a whole number of records, or a record
// time that is no date-time, is refused and nothing is returned.
int ReadRecords(const AnsiString& FileName, std::vector<TTrendRecord>& Records);
// Writes every record, 24 little-endian bytes each; the old file stays whole on failure.
int WriteRecords(const AnsiString& FileName, const std::vector<TTrendRecord>& Records);
}  // namespace trendio

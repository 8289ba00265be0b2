#pragma once
// The record file of a saved log (".lg1"): the trend recorder's records, 24 bytes each.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
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
// What a read left out of the file.
struct TReadSummary {
  uint64_t PartialBytes = 0;    // the bytes of a last record cut short
  uint64_t RecordsLeftOut = 0;  // whole records past MaxRecords, never read
};
// Reads the whole records of a record file, at most MaxRecords of them (reading no more of
// the file than those); a last record cut short is left out. A record time that is no
// date-time refuses the file and nothing is returned.
int ReadRecords(const AnsiString& FileName, std::vector<TTrendRecord>& Records, size_t MaxRecords = SIZE_MAX,
                TReadSummary* Summary = nullptr);
// Every record, 24 little-endian bytes each.
std::string EncodeRecords(const std::vector<TTrendRecord>& Records);
// Writes every record as EncodeRecords does; the old file stays whole on failure.
int WriteRecords(const AnsiString& FileName, const std::vector<TTrendRecord>& Records);
}  // namespace trendio

#include "files/LogRecords.h"

#include <array>
#include <cmath>
#include <cstring>

#include "platform/classes/SafeFile.h"
#include "platform/rtl/FileUtils.h"
#include "platform/rtl/SysUtils.h"

namespace {

constexpr size_t kRecordSize = 24;
// Latest date a record may carry: 31 December 9999.
constexpr double kLastDate = 2958465.0;

using RecordBytes = std::array<unsigned char, kRecordSize>;

// Every byte and value goes through a checked index, both ways: a field placed past the
// record's 24 bytes or a value past the eight channels stops the read or the write
// (std::out_of_range) instead of reading or writing beyond them.
RecordBytes PutRecord(const TTrendRecord& r) {
  RecordBytes p{};
  uint64_t bits;
  std::memcpy(&bits, &r.Time, 8);
  for (size_t i = 0; i < 8; ++i) p.at(i) = static_cast<unsigned char>((bits >> (8 * i)) & 0xFF);
  for (size_t k = 0; k < 8; ++k) {
    p.at(8 + 2 * k) = static_cast<unsigned char>(r.Values.at(k) & 0xFF);
    p.at(9 + 2 * k) = static_cast<unsigned char>(r.Values.at(k) >> 8);
  }
  return p;
}

TTrendRecord GetRecordBytes(const RecordBytes& p) {
  TTrendRecord r;
  uint64_t bits = 0;
  for (int i = 7; i >= 0; --i) bits = (bits << 8) | p.at(static_cast<size_t>(i));
  std::memcpy(&r.Time, &bits, 8);
  for (size_t k = 0; k < 8; ++k) r.Values.at(k) = static_cast<uint16_t>(p.at(8 + 2 * k) | (p.at(9 + 2 * k) << 8));
  return r;
}

}  // namespace

namespace trendio {

int ReadRecords(const AnsiString& FileName, std::vector<TTrendRecord>& Records, size_t MaxRecords,
                TReadSummary* Summary) {
  AnsiString bytes;
  uint64_t fileSize = 0;
  const size_t maxBytes = MaxRecords > SIZE_MAX / kRecordSize ? SIZE_MAX : MaxRecords * kRecordSize;
  try {
    bytes = safefile::ReadFileStart(FileName, maxBytes, fileSize);
  } catch (const EFOpenError&) {
    return FileExists(FileName) ? kAccessDenied : kFileNotFound;
  } catch (const Exception&) {
    return kReadError;
  }
  // A file cut short (a crash or a full disk while it was written) keeps its whole records.
  TReadSummary summary;
  summary.PartialBytes = fileSize % kRecordSize;
  summary.RecordsLeftOut = fileSize / kRecordSize - bytes.size() / kRecordSize;
  std::vector<TTrendRecord> out;
  out.reserve(bytes.size() / kRecordSize);
  for (size_t at = 0; at + kRecordSize <= bytes.size(); at += kRecordSize) {
    RecordBytes record;
    std::memcpy(record.data(), bytes.data() + at, kRecordSize);
    const TTrendRecord r = GetRecordBytes(record);
    // A separator, or a date-time between 1899-12-31 and the year 9999.
    if (!std::isfinite(r.Time) || (r.Time != 0 && (r.Time < 1.0 || r.Time > kLastDate))) return kReadError;
    out.push_back(r);
  }
  Records = std::move(out);
  if (Summary != nullptr) *Summary = summary;
  return 0;
}

std::string EncodeRecords(const std::vector<TTrendRecord>& Records) {
  std::string bytes(Records.size() * kRecordSize, '\0');
  for (size_t i = 0; i < Records.size(); ++i) {
    const RecordBytes record = PutRecord(Records[i]);
    std::memcpy(&bytes[i * kRecordSize], record.data(), kRecordSize);
  }
  return bytes;
}

int WriteRecords(const AnsiString& FileName, const std::vector<TTrendRecord>& Records) {
  try {
    safefile::WriteFile(FileName, EncodeRecords(Records));
  } catch (const EFCreateError&) {
    return kAccessDenied;
  } catch (const Exception&) {
    return kWriteError;
  }
  return 0;
}

}  // namespace trendio

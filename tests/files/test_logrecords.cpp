// The ".lg1" record file read and written directly: 24 bytes a record, a little-endian
// double date-time followed by eight little-endian 16-bit channel values.
#include <gtest/gtest.h>

#include <filesystem>

#include <string>
#include <vector>

#include "files/LogRecords.h"
#include "platform/classes/SafeFile.h"
#include "platform/rtl/SysUtils.h"

namespace {

std::string Hex(std::initializer_list<int> bytes) {
  std::string s;
  for (int b : bytes) s.push_back(static_cast<char>(b));
  return s;
}

// 45000.5 (2023-03-15 12:00) and the last date a record may carry, 9999-12-31.
const std::string kTime45000_5 = Hex({0x00, 0x00, 0x00, 0x00, 0x10, 0xF9, 0xE5, 0x40});
const std::string kTimeLast = Hex({0x00, 0x00, 0x00, 0x80, 0x40, 0x92, 0x46, 0x41});
const std::string kTimeSeparator(8, '\0');

std::string Values(int first) {
  std::string s;
  for (int k = 0; k < 8; ++k) {
    const int v = first + 0x0101 * k;
    s.push_back(static_cast<char>(v & 0xFF));
    s.push_back(static_cast<char>(v >> 8));
  }
  return s;
}

// A file in the temporary folder, named after the test, so runs leave nothing in the work folder.
AnsiString FileName(const char* suffix) {
  return (std::filesystem::temp_directory_path() /
          (std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) + suffix + ".lg1"))
      .string();
}

}  // namespace

TEST(LogRecords, EncodedByteByByte) {
  TTrendRecord a;
  a.Time = 45000.5;
  for (int k = 0; k < 8; ++k) a.Values[k] = static_cast<uint16_t>(0x1234 + 0x0101 * k);
  TTrendRecord separator;
  separator.Values.fill(0xFFFF);
  const std::string expected = kTime45000_5 + Values(0x1234) + kTimeSeparator + std::string(16, '\xFF');
  EXPECT_EQ(trendio::EncodeRecords({a, separator}), expected);

  ASSERT_EQ(trendio::WriteRecords(FileName(""), {a, separator}), 0);
  EXPECT_EQ(safefile::ReadFile(FileName("")), expected);
}

TEST(LogRecords, ReadWholeRecordsOnly) {
  struct Case {
    const char* what;
    std::string bytes;
    size_t maxRecords;
    int result;
    size_t records;
    uint64_t partial, leftOut;
  } cases[] = {
      {"two records", kTime45000_5 + Values(1) + kTimeSeparator + Values(0), SIZE_MAX, 0, 2, 0, 0},
      {"a last record cut short", kTime45000_5 + Values(1) + kTimeLast + Values(2).substr(0, 2), SIZE_MAX, 0, 1, 10,
       0},
      {"more records than asked for", kTime45000_5 + Values(1) + kTimeLast + Values(2) + kTimeLast + Values(3), 1, 0,
       1, 0, 2},
      {"empty file", "", SIZE_MAX, 0, 0, 0, 0},
      {"the last date", kTimeLast + Values(5), SIZE_MAX, 0, 1, 0, 0},
      {"past the year 9999", Hex({0, 0, 0, 0xC0, 0x40, 0x92, 0x46, 0x41}) + Values(5), SIZE_MAX,
       trendio::kReadError, 0, 0, 0},
      {"before 1899-12-31", Hex({0, 0, 0, 0, 0, 0, 0xE0, 0x3F}) + Values(5), SIZE_MAX, trendio::kReadError, 0, 0, 0},
      {"not a number", Hex({0, 0, 0, 0, 0, 0, 0xF8, 0x7F}) + Values(5), SIZE_MAX, trendio::kReadError, 0, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    safefile::WriteFile(FileName("read"), c.bytes);
    std::vector<TTrendRecord> records(3);  // a refused file leaves these alone
    trendio::TReadSummary summary;
    EXPECT_EQ(trendio::ReadRecords(FileName("read"), records, c.maxRecords, &summary), c.result);
    if (c.result != 0) {
      EXPECT_EQ(records.size(), 3u);
      continue;
    }
    ASSERT_EQ(records.size(), c.records);
    EXPECT_EQ(summary.PartialBytes, c.partial);
    EXPECT_EQ(summary.RecordsLeftOut, c.leftOut);
  }
}

TEST(LogRecords, ReadValuesAndTimes) {
  safefile::WriteFile(FileName(""), kTime45000_5 + Values(0x0A0B) + kTimeSeparator + Values(0xFEFF));
  std::vector<TTrendRecord> records;
  ASSERT_EQ(trendio::ReadRecords(FileName(""), records), 0);
  ASSERT_EQ(records.size(), 2u);
  EXPECT_EQ(records[0].Time, 45000.5);
  EXPECT_EQ(records[1].Time, 0.0);
  for (int k = 0; k < 8; ++k) {
    EXPECT_EQ(records[0].Values[k], 0x0A0B + 0x0101 * k) << k;
    EXPECT_EQ(records[1].Values[k], (0xFEFF + 0x0101 * k) & 0xFFFF) << k;
  }
  EXPECT_EQ(trendio::ReadRecords("no such file.lg1", records), trendio::kFileNotFound);
  EXPECT_EQ(records.size(), 2u);
}

// A file of one record: all eight channel values from their own two bytes, nothing read
// or written beyond the 24 bytes. The reader checks every index, so a ninth value or a
// byte past the record stops this read in the plain build too, not only under
// AddressSanitizer.
TEST(LogRecords, OneRecordOfEightChannels) {
  const std::string bytes = kTime45000_5 + Hex({0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0x07, 0x08, 0x09, 0x0A, 0x0B,
                                                0x0C, 0x0D, 0x0E, 0x0F, 0x10});
  safefile::WriteFile(FileName(""), bytes);
  std::vector<TTrendRecord> records;
  int result = -1;
  ASSERT_NO_THROW(result = trendio::ReadRecords(FileName(""), records));
  ASSERT_EQ(result, 0);
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0].Values,
            (std::array<uint16_t, 8>{0x0201, 0x0403, 0x0605, 0x0807, 0x0A09, 0x0C0B, 0x0E0D, 0x100F}));
  EXPECT_EQ(trendio::EncodeRecords(records), bytes);
}

// The channel file of a log and the conversion of stored samples to the units now chosen.
#include <gtest/gtest.h>

#include "files/LogFiles.h"

namespace {

TEST(LogDescription, WrittenText) {
  const std::array<int32_t, 9> channels{0, 19, 39, 2, 18, 22, 26, 25, 27};
  EXPECT_EQ(FormatLogDescription(channels, 1, 2, 0, 1, 0),
            "[chan1]\r\n19\r\n[chan2]\r\n39\r\n[chan3]\r\n2\r\n[chan4]\r\n18\r\n"
            "[chan5]\r\n22\r\n[chan6]\r\n26\r\n[chan7]\r\n25\r\n[chan8]\r\n27\r\n"
            "[ValU]\r\n1\r\n2\r\n0\r\n1\r\n0\r\n");
}

TEST(LogDescription, ReadForms) {
  AnsiString why;
  const std::array<int32_t, 9> channels{0, 19, 39, 2, 18, 22, 26, 25, 27};
  auto d = ParseLogDescription(FormatLogDescription(channels, 1, 2, 0, 1, 0), why);
  ASSERT_TRUE(d);
  for (int n = 1; n <= 8; ++n) EXPECT_EQ(d->Channels[n], channels[n]);
  EXPECT_TRUE(d->HasUnits);
  EXPECT_EQ(d->TemperatureUnit, 1);
  EXPECT_EQ(d->PressureUnit, 2);
  EXPECT_EQ(d->DistanceUnit, 1);

  // Units as one line of digits; sections in any order, words anywhere in a line; a
  // "[Unit3]" block only after a channel of function 3.
  d = ParseLogDescription("[Unit4]\n0\n10\n1\nnope\nx [chan2] x\n3\n[ValU]\n10101\n[Unit3]\n-5\n500\n2\nvolts_long\n", why);
  ASSERT_TRUE(d);
  EXPECT_EQ(d->Channels[2], 3);
  EXPECT_EQ(d->Channels[1], -1);
  EXPECT_EQ(d->TemperatureUnit, 1);
  EXPECT_EQ(d->PressureUnit, 0);
  EXPECT_EQ(d->SpeedUnit, 1);
  EXPECT_EQ(d->O2Unit, 1);
  EXPECT_FALSE(d->Unit4);
  ASSERT_TRUE(d->Unit3);
  EXPECT_EQ(d->Unit3->From, -5);
  EXPECT_EQ(d->Unit3->To, 500);
  EXPECT_EQ(d->Unit3->Decimals, 2);
  EXPECT_EQ(d->Unit3->Unit, "volts_");

  // An older log without units.
  d = ParseLogDescription("[chan1]\n20\n", why);
  ASSERT_TRUE(d);
  EXPECT_FALSE(d->HasUnits);

  for (const char* bad : {"[chan1]\nabc\n", "[chan1]\n45\n", "[chan1]\n", "[ValU]\n0\n3\n0\n0\n0\n", "[ValU]\n09000\n"}) {
    EXPECT_FALSE(ParseLogDescription(bad, why)) << bad;
    EXPECT_FALSE(why.empty());
  }
}

// A range takes any whole number of -65535 .. 65535; the message of a refused line names
// the line the number stands on, counted from 1.
TEST(LogDescription, RangeLimitsAndTheLineARefusalNames) {
  AnsiString why;
  auto d = ParseLogDescription("[chan1]\r\n3\r\n[Unit3]\r\n-65535\r\n65535\r\n0\r\nV\r\n", why);
  ASSERT_TRUE(d);
  ASSERT_TRUE(d->Unit3);
  EXPECT_EQ(d->Unit3->From, -65535);
  EXPECT_EQ(d->Unit3->To, 65535);
  struct Case {
    const char* text;
    const char* message;
  } cases[] = {
      {"[chan1]\r\n3\r\n[Unit3]\r\n0\r\n65536\r\n0\r\nV\r\n",
       "The range end in line 5 is not a number from -65535 to 65535."},
      {"[chan1]\r\n3\r\n[Unit3]\r\n-65536\r\n100\r\n0\r\nV\r\n",
       "The range start in line 4 is not a number from -65535 to 65535."},
      {"[chan1]\r\n4\r\n\r\n[Unit4]\r\n0\r\n10\r\n3\r\nV\r\n", "The decimals in line 7 is not a number from 0 to 2."},
      {"[chan1]\r\n1\r\n[chan2]\r\n2\r\n[chan3]\r\nx\r\n",
       "The channel function in line 6 is not a number from 0 to 44."},
      {"[chan1]\r\n1\r\n[ValU]\r\n0\r\n1\r\n2\r\n", "The unit in line 6 is not a number from 0 to 1."},
      {"\r\n[ValU]\r\n03000\r\n", "The units in line 3 are not valid."},
  };
  for (const Case& c : cases) {
    EXPECT_FALSE(ParseLogDescription(c.text, why)) << c.text;
    EXPECT_EQ(why, c.message);
  }
}

struct ConvertCase {
  const char* what;
  int32_t function;
  TLogConversion conversion;
  uint16_t stored, expected;
};

TEST(LogConversion, StoredSamples) {
  std::array<int32_t, 51> from{};
  from[19] = -30;  // coolant in degC
  from[2] = -22;   // air in degF
  from[21] = 0;
  from[32] = -15;
  auto conv = [](auto set) {
    TLogConversion c;
    set(c);
    return c;
  };
  const TLogConversion toC = conv([](TLogConversion& c) { c.Temperature = true; c.TargetTemperature = 0; });
  const TLogConversion toF = conv([](TLogConversion& c) { c.Temperature = true; c.TargetTemperature = 1; });
  const TLogConversion kpaToPsi = conv([](TLogConversion& c) { c.Pressure = true; c.OldPressure = 0; c.NewPressure = 2; });
  const TLogConversion barToKpa = conv([](TLogConversion& c) { c.Pressure = true; c.OldPressure = 1; c.NewPressure = 0; });
  const TLogConversion toKph = conv([](TLogConversion& c) { c.Speed = true; c.SpeedDirection = 1; });
  const ConvertCase cases[] = {
      {"154 degF stored above -22 is 68 degC above -30", 19, toC, 176, 98},
      {"EGT 1832 degF stored above 32 is 1000 degC above 0", 21, toC, 1800, 1000},
      {"68 degC above -30 is 154 degF above -22", 2, toF, 98, 176},
      {"a result below 0 is held at 0", 19, toC, 0, 0},
      {"kPa to psi", 32, kpaToPsi, 200, 2950},
      {"psi beyond 16 bits is held at the top", 32, kpaToPsi, 5000, 65535},
      {"bar is not converted", 32, barToKpa, 150, 150},
      {"mph to kph", 40, toKph, 100, 160},
  };
  for (const ConvertCase& c : cases) {
    std::vector<TTrendRecord> records(1);
    records[0].Values.fill(c.stored);
    std::array<int32_t, 9> channels{};
    channels.fill(c.function);
    ConvertLogSamples(records, channels, c.conversion, from);
    EXPECT_EQ(records[0].Values[0], c.expected) << c.what;
    EXPECT_EQ(records[0].Values[7], c.expected) << c.what;
  }
  // Back to degF, where the exhaust range starts at 32; an older log's EGT stays as it is.
  from[21] = 32;
  std::vector<TTrendRecord> records(1);
  records[0].Values.fill(1000);
  std::array<int32_t, 9> egt{};
  egt.fill(21);
  ConvertLogSamples(records, egt, toF, from);
  EXPECT_EQ(records[0].Values[0], 1800);
  TLogConversion older = toF;
  older.OldFormat = true;
  ConvertLogSamples(records, egt, older, from);
  EXPECT_EQ(records[0].Values[0], 1800);
}

// All eight channels of one record are converted, each from its own value, and nothing
// beside the values changes (run under AddressSanitizer too: the record is the last of its
// vector). Speed to kph: x 1.6, halves to even.
TEST(LogConversion, EveryChannelOfARecord) {
  std::vector<TTrendRecord> records(1);
  records[0].Time = 45000.5;
  records[0].Values = {10, 25, 33, 47, 51, 62, 75, 88};
  const std::array<int32_t, 9> channels{0, 40, 40, 40, 40, 40, 40, 40, 40};
  TLogConversion c;
  c.Speed = true;
  c.SpeedDirection = 1;
  ConvertLogSamples(records, channels, c, std::array<int32_t, 51>{});
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0].Time, 45000.5);
  // 16, 40, 52.8, 75.2, 81.6, 99.2, 120, 140.8
  EXPECT_EQ(records[0].Values, (std::array<uint16_t, 8>{16, 40, 53, 75, 82, 99, 120, 141}));
}

}  // namespace

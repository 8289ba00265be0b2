// The thermistor fit and sensor table of the temperature calculator, and the throttle
// wizard's range check and pot numbers.
#include <gtest/gtest.h>

#include <array>
#include <cmath>

#include "config/Align.h"
#include "config/TempCalibration.h"

namespace {

using config::CalibrationPoint;
using config::VoltsToOhms;

std::array<CalibrationPoint, 3> VoltPoints(double v1, double t1, double v2, double t2, double v3, double t3) {
  return {{{VoltsToOhms(v1), t1}, {VoltsToOhms(v2), t2}, {VoltsToOhms(v3), t3}}};
}

// Three points of a thermistor with the usual beta law R = R25 exp(beta (1/T - 1/298.15)).
std::array<CalibrationPoint, 3> BetaPoints(double r25, double beta) {
  std::array<CalibrationPoint, 3> p;
  const double t[3] = {0, 25, 100};
  for (int i = 0; i < 3; ++i) p[i] = {r25 * std::exp(beta * (1 / (t[i] + 273.15) - 1 / 298.15)), t[i]};
  return p;
}

using Table = std::array<uint16_t, 14>;

// The tables were worked out apart from this code, from the curve through the points and
// the count search.
TEST(TempCalibration, PointsGiveTheKnownTables) {
  struct Case {
    const char* what;
    std::array<CalibrationPoint, 3> points;
    Table expected;
  };
  const Case cases[] = {
      {"the window's default points", VoltPoints(4.26, 0, 3.62, 20, 0.786, 100),
       {976, 952, 917, 871, 812, 740, 658, 570, 482, 398, 323, 258, 160, 98}},
      // A 10 kOhm sensor: the fitted curve turns back only beyond 120 degC, past the lowest
      // counts, which the table never reaches.
      {"a 10 kOhm sensor", VoltPoints(4.9, -20, 4.6, 20, 2.5, 80),
       {1008, 1002, 993, 981, 964, 941, 908, 864, 804, 726, 628, 511, 254, 52}},
      // -27 degC at count 1022: -30 degC extends the top pair of counts rather than reading
      // a count above the ADC's.
      {"a sensor colder than the top count", BetaPoints(30000, 4000),
       {1021, 1019, 1017, 1013, 1006, 996, 982, 962, 935, 900, 857, 805, 684, 552}},
      // 118 degC at count 1: 120 degC extends the bottom pair.
      {"a sensor hotter than the bottom count", BetaPoints(16, 3500),
       {189, 116, 72, 45, 29, 19, 13, 9, 6, 4, 3, 2, 1, 0}},
  };
  for (const Case& c : cases) {
    const config::SensorTableFit fit = config::SensorTableFromPoints(c.points);
    ASSERT_TRUE(fit.table.has_value()) << c.what << ": " << fit.error;
    EXPECT_EQ(*fit.table, c.expected) << c.what;
  }
}

TEST(TempCalibration, PointsWithoutAUsableTableAreRefusedSayingWhy) {
  struct Case {
    const char* what;
    std::array<CalibrationPoint, 3> points;
    const char* says;
  };
  const Case cases[] = {
      {"a signal of 5 V has no resistance", VoltPoints(5.0, 0, 3.62, 20, 0.786, 100), "no sensor resistance"},
      {"a signal of 0 V has no resistance either", VoltPoints(4.26, 0, 3.62, 20, 0.0, 100), "no sensor resistance"},
      {"a negative resistance", {{{-100, 0}, {2000, 20}, {100, 100}}}, "no sensor resistance"},
      {"two equal signals", VoltPoints(3.62, 0, 3.62, 20, 0.786, 100), "no sensor curve"},
      {"the first and last signal equal", VoltPoints(0.786, 0, 3.62, 20, 0.786, 100), "no sensor curve"},
      {"two equal temperatures", VoltPoints(4.26, 20, 3.62, 20, 0.786, 100), "same temperature"},
      // Counts 1023, 1025, 1019, ...: above what the ADC gives, and rising.
      {"7 degC for the first point", VoltPoints(4.26, 7, 3.62, 20, 0.786, 100),
       "count 1025 at -20 \xB0" "C, outside"},
      // Every entry 988.
      {"a sensor that rises with temperature", VoltPoints(0.786, 0, 3.62, 20, 4.26, 100),
       "count 988 at -20 \xB0" "C, not below the 988 at -30"},
      {"a curve that turns back inside the ADC range", VoltPoints(4.26, 0, 4.25, 20, 0.786, 100),
       "count 866 at 60 \xB0" "C, not below the 866 at 50"},
      // Sensors whose ends the ADC cannot tell apart.
      {"a high-resistance sensor", BetaPoints(100000, 4000), "count 1022 at -20 \xB0" "C, not below the 1022 at -30"},
      {"a low-resistance sensor", BetaPoints(10, 3500), "count 2 at 70 \xB0" "C, not below the 2 at 60"},
  };
  for (const Case& c : cases) {
    const config::SensorTableFit fit = config::SensorTableFromPoints(c.points);
    EXPECT_FALSE(fit.table.has_value()) << c.what;
    EXPECT_NE(fit.error.find(c.says), AnsiString::npos) << c.what << ": " << fit.error;
  }
}

TEST(ThrottleLearning, RangeAboveTwoHundredIsAcceptedAndPotNumbersCapped) {
  struct Case {
    int min, max, idleOffset, cutOffset;
    bool accepted;
    int idlePot, cutPot;
  };
  const Case cases[] = {
      {100, 300, 8, 8, false, 108, 108},   // exactly 200 is refused
      {100, 301, 8, 8, true, 108, 108},    // 201 is enough
      {1023, 0, 8, 8, false, 1023, 1023},  // nothing learnt: the link never delivered
  };
  for (const Case& c : cases) {
    const config::ThrottleLearning t = config::LearnThrottle(c.min, c.max, c.idleOffset, c.cutOffset);
    EXPECT_EQ(t.accepted, c.accepted) << c.min << ".." << c.max;
    EXPECT_EQ(t.range, c.max - c.min);
    EXPECT_EQ(t.idlePot, c.idlePot);
    EXPECT_EQ(t.cutPot, c.cutPot);
  }
}

}  // namespace

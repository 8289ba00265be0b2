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

TEST(TempCalibration, DefaultPointsGiveTheKnownTable) {
  const config::SensorTableFit fit = config::SensorTableFromPoints(VoltPoints(4.26, 0, 3.62, 20, 0.786, 100));
  ASSERT_TRUE(fit.table.has_value()) << fit.error;
  const std::array<uint16_t, 14> expected = {976, 952, 917, 871, 812, 740, 658, 570, 482, 398, 323, 258, 160, 98};
  EXPECT_EQ(*fit.table, expected);
}

TEST(TempCalibration, PointsWithoutAUsableCurveAreRefused) {
  struct Case {
    const char* what;
    std::array<CalibrationPoint, 3> points;
  };
  const Case cases[] = {
      {"a signal of 5 V has no resistance", VoltPoints(5.0, 0, 3.62, 20, 0.786, 100)},
      {"a signal of 0 V has no resistance either", VoltPoints(4.26, 0, 3.62, 20, 0.0, 100)},
      {"two equal signals", VoltPoints(3.62, 0, 3.62, 20, 0.786, 100)},
      {"two equal temperatures", VoltPoints(4.26, 20, 3.62, 20, 0.786, 100)},
      {"a sensor that rises with temperature", VoltPoints(0.786, 0, 3.62, 20, 4.26, 100)},
      {"a curve that turns back inside the ADC range", VoltPoints(4.26, 0, 4.25, 20, 0.786, 100)},
      {"a negative resistance", {{{-100, 0}, {2000, 20}, {100, 100}}}},
  };
  for (const Case& c : cases) {
    const config::SensorTableFit fit = config::SensorTableFromPoints(c.points);
    EXPECT_FALSE(fit.table.has_value()) << c.what;
    EXPECT_FALSE(fit.error.empty()) << c.what;
  }
}

// Three points of a thermistor with the usual beta law R = R25 exp(beta (1/T - 1/298.15)).
std::array<CalibrationPoint, 3> BetaPoints(double r25, double beta) {
  std::array<CalibrationPoint, 3> p;
  const double t[3] = {0, 25, 100};
  for (int i = 0; i < 3; ++i) p[i] = {r25 * std::exp(beta * (1 / (t[i] + 273.15) - 1 / 298.15)), t[i]};
  return p;
}

TEST(TempCalibration, TemperaturesBeyondTheAdcRangeStayInsideIt) {
  struct Case {
    const char* what;
    std::array<CalibrationPoint, 3> points;
    int first, last;  // expected end entries
  };
  const Case cases[] = {
      // 2 MOhm at -30 degC: colder than the highest count can show.
      {"a high-resistance sensor", BetaPoints(100000, 4000), 1022, 814},
      // Under 1 Ohm at 120 degC: hotter than the lowest count can show.
      {"a low-resistance sensor", BetaPoints(10, 3500), 127, 0},
  };
  for (const Case& c : cases) {
    const config::SensorTableFit fit = config::SensorTableFromPoints(c.points);
    ASSERT_TRUE(fit.table.has_value()) << c.what << ": " << fit.error;
    EXPECT_EQ(fit.table->front(), c.first) << c.what;
    EXPECT_EQ(fit.table->back(), c.last) << c.what;
    for (size_t i = 1; i < fit.table->size(); ++i) EXPECT_LE((*fit.table)[i], (*fit.table)[i - 1]) << c.what;
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

#include "config/TempCalibration.h"

#include <cmath>

#include "platform/rtl/Numbers.h"

namespace config {

namespace {

constexpr double kPullUpOhms = 1000.0;
constexpr double kSupplyVolts = 5.0;
constexpr double kTableVoltsPerCount = 0.004887585;  // 5 V over 1023 counts
constexpr double kKelvin = 273.15;
constexpr int kTopCount = 1023;

bool Finite(double v) { return std::isfinite(v); }

}  // namespace

double OhmsToVolts(double ohms) { return kSupplyVolts * ohms / (ohms + kPullUpOhms); }

double VoltsToOhms(double volts) { return volts / ((kSupplyVolts - volts) / kPullUpOhms); }

double CountOhms(int count) { return kPullUpOhms * count / (1024.0 - count); }

double SteinhartHart::InverseKelvin(int count) const {
  const double l = std::log(CountOhms(count));
  return B * l + A + C * l * l * l;
}

double SteinhartHart::CountTemperature(int count) const {
  const double y = InverseKelvin(count);
  if (y == 0 || !Finite(y)) return 999;
  return 1.0 / y - kKelvin;
}

std::optional<SteinhartHart> FitSteinhartHart(const std::array<CalibrationPoint, 3>& p) {
  double L[3], M[3], Y[3];
  for (int i = 0; i < 3; ++i) {
    if (!(p[i].ohms > 0) || !Finite(p[i].ohms)) return std::nullopt;
    L[i] = std::log(p[i].ohms);
    M[i] = L[i] * L[i] * L[i];
    Y[i] = 1.0 / (p[i].celsius + kKelvin);
  }
  const double dL31 = L[2] - L[0];
  if (dL31 == 0) return std::nullopt;
  const double q = (L[1] - L[0]) / dL31;
  const double divisor = (M[1] - M[0]) - (M[2] - M[0]) * q;
  if (divisor == 0) return std::nullopt;
  SteinhartHart s;
  s.C = ((Y[1] - Y[0]) - (Y[2] - Y[0]) * q) / divisor;
  s.B = ((Y[2] - Y[0]) - (M[2] - M[0]) * s.C) / dL31;
  s.A = Y[0] - s.B * L[0] - s.C * M[0];
  if (!Finite(s.A) || !Finite(s.B) || !Finite(s.C)) return std::nullopt;
  return s;
}

SensorTableFit SensorTableFromPoints(const std::array<CalibrationPoint, 3>& points) {
  SensorTableFit fit;
  for (const CalibrationPoint& p : points) {
    if (!(p.ohms > 0) || !Finite(p.ohms)) {
      fit.error = "A measured signal of 5 V or more, or of no resistance, has no sensor resistance.";
      return fit;
    }
  }
  // Two resistances at one temperature are no sensor's: the curve would have to turn back.
  for (int i = 0; i < 3; ++i)
    for (int j = i + 1; j < 3; ++j)
      if (points[i].celsius == points[j].celsius) {
        fit.error = "No two points may have the same temperature.";
        return fit;
      }
  const std::optional<SteinhartHart> curve = FitSteinhartHart(points);
  if (!curve) {
    fit.error = "These three points give no sensor curve: no two of them may measure the same.";
    return fit;
  }

  std::array<double, kTopCount + 1> T{};
  for (int n = 1; n <= kTopCount; ++n) T[n] = curve->CountTemperature(n);

  // The search runs from the cold end down and pairs count k with k + 1, so k stays
  // below the top count: a temperature colder than the whole range extends the last pair
  // instead of reading a count the ADC does not have. A curve that turns back somewhere
  // does not matter as long as the table the search finds is a sound one.
  std::array<double, 14> counts{};
  int k = kTopCount - 1;
  for (size_t i = 0; i < counts.size(); ++i) {
    const double t = kSensorTableTemperatures[i];
    while (t > T[k] && k > 1) --k;
    const double r0 = CountOhms(k), r1 = CountOhms(k + 1);
    const double r = r0 - (r0 - r1) * (T[k] - t) / (T[k] - T[k + 1]);
    // + 0.0 turns a truncated -0.x into a plain 0 for the message below.
    counts[i] = std::trunc(r / (r + kPullUpOhms) * kSupplyVolts / kTableVoltsPerCount) + 0.0;
    if (!Finite(counts[i])) {
      fit.error = "These three points give no sensor curve over the measuring range.";
      return fit;
    }
  }

  // The ECU looks a temperature up between neighbouring entries, so every count has to be
  // one the ADC can give, and each lower than the one for the colder temperature before it.
  auto entry = [&](size_t i) {
    return FloatToStr(counts[i]) + " at " + IntToStr(kSensorTableTemperatures[i]) + " \xB0" "C";
  };
  for (size_t i = 0; i < counts.size(); ++i) {
    if (counts[i] < 0 || counts[i] > kTopCount) {
      fit.error = "These three points give the count " + entry(i) + ", outside the ADC's 0 to 1023.";
      return fit;
    }
    if (i > 0 && !(counts[i] < counts[i - 1])) {
      fit.error = "These three points give the count " + entry(i) + ", not below the " + entry(i - 1) +
                  ": the sensor table must fall as the temperature rises.";
      return fit;
    }
  }
  std::array<uint16_t, 14> table{};
  for (size_t i = 0; i < table.size(); ++i) table[i] = static_cast<uint16_t>(counts[i]);
  fit.table = table;
  return fit;
}

}  // namespace config

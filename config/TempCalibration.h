#pragma once
// The thermistor model of the temperature calculator: a sensor resistance to ground under a
// 1 kOhm pull-up to 5 V, a Steinhart-Hart curve through three measured points, and the
// sensor table of 14 ADC counts the ECU looks temperatures up in.
#include <array>
#include <cstdint>
#include <optional>

#include "model/ConfigEditing.h"  // kSensorTableTemperatures, the table's temperatures
#include "platform/rtl/AnsiString.h"

namespace config {

// Signal volts of a sensor resistance, and back. 5 V and above have no resistance: the
// caller checks the result is finite and positive.
double OhmsToVolts(double ohms);
double VoltsToOhms(double volts);
// The resistance an ADC count n (1..1023) stands for.
double CountOhms(int count);


struct CalibrationPoint {
  double ohms = 0;
  double celsius = 0;
};

// The fitted curve 1 / (T + 273.15) = A + B ln R + C (ln R)^3.
struct SteinhartHart {
  double A = 0, B = 0, C = 0;
  // 1 / (T + 273.15) at a count.
  double InverseKelvin(int count) const;
  // The temperature of a count; 999 where the curve gives no temperature.
  double CountTemperature(int count) const;
};

// Either the table or why the points give none.
struct SensorTableFit {
  std::optional<std::array<uint16_t, 14>> table;
  AnsiString error;
};

// The curve through three points, or nothing when they do not determine one.
std::optional<SteinhartHart> FitSteinhartHart(const std::array<CalibrationPoint, 3>& points);

// Fits the curve and looks up the count of every table temperature. Refused, with a
// message for the tuner, when a point has no resistance, two points share a temperature,
// the points give no curve, or the counts found are not a table the ECU can use: each
// within the ADC's 0..1023 and lower than the one before.
SensorTableFit SensorTableFromPoints(const std::array<CalibrationPoint, 3>& points);

}  // namespace config

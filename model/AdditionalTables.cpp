#include "model/AdditionalTables.h"

#include <algorithm>
#include <cmath>

#include "model/TableInfo.h"
#include "platform/rtl/SysUtils.h"
#include "platform/rtl/Numbers.h"

namespace {

constexpr double kDutyPercent = 100.0 / 255.0;  // one duty count in percent
constexpr double kCoilMsPerCount = 0.0488;
constexpr double kCoilCountsPerMs = 20.4918;
constexpr double kPsiPerKpa = 0.145;

constexpr TAddTableInfo kTables[] = {
    {TAddTableId::CoilOn, &TMapRecord::CoilOnTable, "Insert Coil on time value", "mS", 0.0, 255 * kCoilMsPerCount,
     1, 0, 255, 2, axCoilOn},
    {TAddTableId::InjTiming, &TMapRecord::InjTimingTable, "Insert INJECTION TIMING map data", "\xB0", 0.0, 720.0, 4,
     0, 720, 5, axInjTiming},
    {TAddTableId::BoostPWM, &TMapRecord::BoostDutyTable, "Insert BOOST VALVE PWM map data", "%", 0.0, 100.0, 1, 0,
     255, -1, axPWMBoost},
    {TAddTableId::BoostTarget, &TMapRecord::BoostTargetTable, "Insert BOOST TARGET map data", nullptr, 0.0, 255.0, 1,
     0, 255, -1, axPWMBoost},
    {TAddTableId::UserPWM, &TMapRecord::UserPWMTable, "Insert PWM o/p map data", "%", 0.0, 100.0, 1, 0, 255, 1,
     axPWMBoost},
    {TAddTableId::VVT, &TMapRecord::VVTTable, "Insert Cam timing value", "\xB0", 0.0, 255.0, 1, 0, 255, 3, axVVT},
};

int ClampWord(double v) {
  if (!std::isfinite(v)) throw EInvalidOp("Invalid floating point operation");
  return static_cast<int>(std::clamp<int64_t>(Round(std::clamp(v, -1e9, 1e9)), INT16_MIN, INT16_MAX));
}

bool IsPercentOp(TBlockOp op) { return op == TBlockOp::Increase || op == TBlockOp::Decrease; }

}  // namespace

const TAddTableInfo& AddTableInfo(TAddTableId id) { return kTables[static_cast<int>(id)]; }

std::pair<int, int> AddTableLimits(const TMapRecord& map, TAddTableId id) {
  const TAddTableInfo& t = AddTableInfo(id);
  if (id == TAddTableId::VVT) return {map.VVTOffset + t.Min, map.VVTOffset + t.Max};
  return {t.Min, t.Max};
}

std::pair<double, double> AddTableEntryLimits(const TMapRecord& map, TAddTableId id, int pressureUnit) {
  const TAddTableInfo& t = AddTableInfo(id);
  if (id == TAddTableId::VVT) return {map.VVTOffset + t.EntryMin, map.VVTOffset + t.EntryMax};
  if (id == TAddTableId::BoostTarget)
    return {AddTableEntryValue(id, t.Min, pressureUnit), AddTableEntryValue(id, t.Max, pressureUnit)};
  return {t.EntryMin, t.EntryMax};
}

AnsiString PressureText(int kpa, int unit) {
  switch (unit) {
    case 1: return Str((kpa - 100) / 100.0, 2, 2);
    case 2: return Str((kpa - 100) * kPsiPerKpa, 2, 2);
    default: return IntToStr(kpa);
  }
}

AnsiString AddTableText(TAddTableId id, int stored, int pressureUnit) {
  switch (id) {
    case TAddTableId::CoilOn: return Str(stored * kCoilMsPerCount, 3, 2);
    case TAddTableId::BoostPWM:
    case TAddTableId::UserPWM: return Str(stored * kDutyPercent, 3, 1);
    case TAddTableId::BoostTarget: return PressureText(stored + 100, pressureUnit);
    case TAddTableId::InjTiming:
    case TAddTableId::VVT: break;
  }
  return IntToStr(stored);
}

double AddTableEntryValue(TAddTableId id, int stored, int pressureUnit) {
  switch (id) {
    case TAddTableId::CoilOn: return Round(stored * kCoilMsPerCount * 100) / 100.0;
    case TAddTableId::BoostPWM:
    case TAddTableId::UserPWM: return Round(stored * kDutyPercent * 10) / 10.0;
    case TAddTableId::BoostTarget:
      if (pressureUnit == 1) return stored / 100.0;
      if (pressureUnit == 2) return Round(stored * kPsiPerKpa * 100) / 100.0;
      return stored + 100;
    case TAddTableId::InjTiming:
    case TAddTableId::VVT: break;
  }
  return stored;
}

int AddTableBlockValue(TAddTableId id, TBlockOp op, double typed, int pressureUnit) {
  // Increase and Decrease take whole percent in every table: converting a percentage as
  // if it were a cell value would multiply it by the table's scale.
  if (IsPercentOp(op)) return ClampWord(typed);
  switch (id) {
    case TAddTableId::CoilOn: return ClampWord(typed * kCoilCountsPerMs);
    case TAddTableId::BoostPWM:
    case TAddTableId::UserPWM: return ClampWord(typed / kDutyPercent);
    case TAddTableId::BoostTarget:
      if (pressureUnit == 1) return ClampWord(typed * 100);
      if (pressureUnit == 2) return ClampWord(typed / kPsiPerKpa);
      // kPa are typed absolute; Fill stores the pressure above 100 kPa.
      return op == TBlockOp::Fill ? std::max(ClampWord(typed) - 100, 0) : ClampWord(typed);
    case TAddTableId::InjTiming:
    case TAddTableId::VVT: break;
  }
  return ClampWord(typed);
}

namespace {

TRowPositions AxisPositions(const TMapRecord& map, TAddTableId id, bool followOption) {
  const TAddTableInfo& t = AddTableInfo(id);
  TRowPositions p{};
  for (int l = 1; l <= kAdditionalLoadRows; ++l) {
    if (t.OptionBit < 0)
      p[static_cast<size_t>(l)] = map.BoostLoadList[l - 1];
    else if (followOption && (map.LoadOptions >> t.OptionBit & 1) != 0)
      p[static_cast<size_t>(l)] = map.AddMAPSites[t.Axis][l - 1];
    else
      p[static_cast<size_t>(l)] = map.AddThrottleSites[t.Axis][l - 1];
  }
  return p;
}

}  // namespace

TRowPositions AddTableColumnPositions(const TMapRecord& map, TAddTableId id) { return AxisPositions(map, id, true); }
TRowPositions AddTableBlockPositions(const TMapRecord& map, TAddTableId id) { return AxisPositions(map, id, false); }

int BoostCutFromTyped(double typed, int unit) {
  const double kpa = unit == 1 ? typed * 100 + 100 : unit == 2 ? typed / kPsiPerKpa + 100 : typed;
  return std::clamp(ClampWord(kpa), 100, 655);
}

int BoostDifferenceFromTyped(double typed, int unit) {
  const double kpa = unit == 1 ? typed * 100 : unit == 2 ? typed / kPsiPerKpa : typed;
  return std::clamp(ClampWord(kpa), 0, 255);
}

double BoostCutShown(int stored, int unit) {
  return unit == 1 ? (stored - 100) / 100.0 : unit == 2 ? (stored - 100) * kPsiPerKpa : stored;
}

double BoostDifferenceShown(int stored, int unit) {
  return unit == 1 ? stored / 100.0 : unit == 2 ? stored * kPsiPerKpa : stored;
}

std::optional<int> PowerEstimate(const TMapRecord& map, int cylinders) {
  const double flow = map.InjectorFlow, rated = map.RatedPressure, fuel = map.FuelPressure;
  if (flow == 0 || rated == 0 || fuel == 0 || cylinders == 0) return std::nullopt;
  const double p = ToPsi(fuel, map.FuelPressureUnit != 0);
  const double r = ToPsi(rated, map.RatedPressureUnit != 0);
  if (!(p > 0) || !(r > 0)) return std::nullopt;
  const double f = ToCcMin(flow, map.FlowUnit != 0) * std::sqrt(p / r);
  const double power = cylinders * f / 5;
  return static_cast<int>(std::clamp<int64_t>(Round(std::clamp(power, -1e6, 1e6)), 0, 999));
}

AnsiString PowerEstimateText(const TMapRecord& map, int cylinders) {
  const std::optional<int> power = PowerEstimate(map, cylinders);
  if (!power) return "Unable to estimate possible BHP";
  return "Max fuel flow for approx " + IntToStr(*power) + " bhp";
}

double NormalisedFlow(double flow, bool unitLb, double ratedPressure, bool ratedBar) {
  const double rated = ToPsi(ratedPressure, ratedBar);
  if (!(rated > 0)) throw EZeroDivide("Floating point division by zero");
  return std::sqrt(40.0 / rated) * ToCcMin(flow, unitLb);
}

long long MSPBForInjectors(int mspb, double current, double next) {
  if (!(next > 0)) throw EZeroDivide("Floating point division by zero");
  return Round(mspb * current / next);
}

long long MSPBForPressure(int mspb, double currentPsi, double newPsi) {
  if (!(newPsi > 0) || currentPsi < 0) throw EZeroDivide("Floating point division by zero");
  return Round(mspb * std::sqrt(currentPsi / newPsi));
}

std::optional<TRescale> PlanRescale(const TMapRecord& map, int mspb, int target) {
  int largest = 0;
  for (int s = 1; s <= kMainSpeedSites; ++s)
    for (int l = 1; l <= kMainLoadSites; ++l) largest = std::max<int>(largest, map.InjectionTable[s][l]);
  if (largest <= 0 || target <= 0) return std::nullopt;
  const double k = static_cast<double>(target) / largest;
  return TRescale{k, Round(mspb / k), largest};
}

TCellWrites RescaleInjection(TMapRecord& map, double factor) {
  const TTableInfo& t = TableInfo(TableId::Injection);
  TCellWrites writes;
  for (int s = 1; s <= kMainSpeedSites; ++s)
    for (int l = 1; l <= kMainLoadSites; ++l) {
      le::I16& cell = map.InjectionTable[s][l];
      const int old = cell;
      const int v = std::clamp(ClampWord(old * factor), t.Min, t.Max);
      cell = static_cast<int16_t>(v);
      writes.push_back({s, l, old, v});
    }
  return writes;
}

std::vector<int> StepWords(std::span<le::I16> words, std::span<const int> cells, int step, int min, int max,
                           bool skipOutside) {
  std::vector<int> changed;
  for (const int i : cells) {
    if (i < 0 || static_cast<size_t>(i) >= words.size()) continue;
    const int old = words[static_cast<size_t>(i)];
    int v = old + step;
    if (v < min || v > max) {
      if (skipOutside) continue;
      v = std::clamp(v, min, max);
    }
    if (v == old) continue;
    words[static_cast<size_t>(i)] = static_cast<int16_t>(v);
    changed.push_back(i);
  }
  return changed;
}

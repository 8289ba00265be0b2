#pragma once
// The additional tables' arithmetic, apart from the window that shows them: how each of
// the six 32 x 5 tables reads and stores its cells, the pressure entries of the boost
// settings, the injector data of the injection scaling (power estimate, time base
// re-calculation, re-scaling of the injection map) and the steps of the small tables.
#include <optional>
#include <span>
#include <utility>

#include "model/MapEditing.h"
#include "model/MapInterp.h"
#include "model/MapRecord.h"
#include "platform/rtl/AnsiString.h"

// ---- The six 32 x 5 tables (speed site s = record column 1..32, load row l = 1..5).

enum class TAddTableId { CoilOn, InjTiming, BoostPWM, BoostTarget, UserPWM, VVT };

struct TAddTableInfo {
  TAddTableId Id;
  TMainTable TMapRecord::*Field;
  const char* EntryCaption;   // the cell-entry dialog's caption, which names the table
  const char* EntryUnit;      // nullptr: the display pressure unit's name
  double EntryMin, EntryMax;  // typed limits of the cell entry (VVT: from the offset)
  int Step;                   // stored change of one "+" / "-" key
  int Min, Max;               // stored limits (VVT: from the offset)
  int OptionBit;              // bit of the load options choosing the MAP axis; -1 none
  TAdditionalAxis Axis;       // the 5-site axis pair the table uses
};

const TAddTableInfo& AddTableInfo(TAddTableId id);

// What the cell entry accepts, typed in the display unit: within the stored range (the
// boost target as its absolute pressure, the VVT cells from the map offset).
std::pair<double, double> AddTableEntryLimits(const TMapRecord& map, TAddTableId id, int pressureUnit);

// Stored limits of the table in `map`: the VVT cells span offset .. offset + 255.
std::pair<int, int> AddTableLimits(const TMapRecord& map, TAddTableId id);

// A stored cell as the grid shows it. `pressureUnit` is the display unit (0 kPa, 1 bar, 2 psi).
AnsiString AddTableText(TAddTableId id, int stored, int pressureUnit);

// The cell-entry dialog's starting number: the cell in the units it is typed in.
double AddTableEntryValue(TAddTableId id, int stored, int pressureUnit);

// The block dialog's number converted to what the block operation applies: percent
// tables to duty counts, the boost target from the pressure unit (kPa Fill takes the
// absolute pressure, so 100 comes off, never below 0), coil on-time from ms except for
// the percentage operations. Never outside -32768..32767.
int AddTableBlockValue(TAddTableId id, TBlockOp op, double typed, int pressureUnit);

// Load positions of the table's rows: for column interpolation the axis its option bit
// chooses, for block interpolation the throttle axis (the boost tables use the boost
// axis for both). Row 0 and rows past 5 are unused.
TRowPositions AddTableColumnPositions(const TMapRecord& map, TAddTableId id);
TRowPositions AddTableBlockPositions(const TMapRecord& map, TAddTableId id);

// Text of an absolute pressure in the display unit: kPa as is, bar and psi relative to
// 100 kPa with two decimals.
AnsiString PressureText(int kpaAbsolute, int pressureUnit);

// ---- Pressure entries of the boost settings.

// A typed boost-cut pressure as the stored absolute kPa, limited to 100..655.
int BoostCutFromTyped(double typed, int pressureUnit);
// A typed pressure difference as stored kPa, limited to 0..255.
int BoostDifferenceFromTyped(double typed, int pressureUnit);
// The stored values in the display unit (the number the edits show).
double BoostCutShown(int stored, int pressureUnit);
double BoostDifferenceShown(int stored, int pressureUnit);

// ---- Injection scaling.

inline constexpr double kPsiPerBar = 14.5037;
inline constexpr double kCcPerLb = 10.2;  // 1 lb/hr = 10.2 cc/min
inline constexpr int kStandardMSPB = 61;

// A pressure in psi from a number in psi (unitBar false) or bar.
inline double ToPsi(double v, bool unitBar) { return unitBar ? v * kPsiPerBar : v; }
// A flow in cc/min from a number in cc/min (unitLb false) or lb/hr.
inline double ToCcMin(double v, bool unitLb) { return unitLb ? v * kCcPerLb : v; }

// The engine power the map's injectors can feed, capped at 999; nothing when a value it
// needs is zero.
std::optional<int> PowerEstimate(const TMapRecord& map, int cylinders);
AnsiString PowerEstimateText(const TMapRecord& map, int cylinders);

// A flow normalised to 40 psi, in cc/min whatever unit it was given in, so flows given
// in different units compare correctly.
double NormalisedFlow(double flow, bool unitLb, double ratedPressure, bool ratedBar);

// The time base after an injector change (current and new normalised flows) or a fuel
// pressure change (current and new pressures in psi), rounded; not limited.
long long MSPBForInjectors(int mspb, double currentFlow40, double newFlow40);
long long MSPBForPressure(int mspb, double currentPsi, double newPsi);

// Re-scaling of the injection map so that its largest cell becomes `target`.
struct TRescale {
  double Factor;     // target / largest cell
  long long MSPB;    // the time base for the same fuel, rounded, not limited
  int Largest;       // largest cell before
};
// Nothing when the map has no cell above 0 or the target is not above 0.
std::optional<TRescale> PlanRescale(const TMapRecord& map, int mspb, int target);
// Multiplies every injection cell by the factor, rounded and limited to 0..255 (what the
// ECU's injection byte holds). Returns the cells written (record columns 1..32, rows 1..16).
TCellWrites RescaleInjection(TMapRecord& map, double factor);

// ---- Steps of the small tables.

// One step on each word of `cells` (indexes into `words`): with `skipOutside` a step
// that would leave min..max is not made; else the result is clamped. Returns the indexes
// changed.
std::vector<int> StepWords(std::span<le::I16> words, std::span<const int> cells, int step, int min, int max,
                           bool skipOutside);

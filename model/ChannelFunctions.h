#pragma once
// The channel functions: every live quantity the logger records and the user value boxes
// show, with its name, unit, decimals and value range. Entries 0..44 are the functions;
// 45..50 stay empty so that stored channel numbers up to 50 still index the tables.
#include <array>
#include <cstdint>

#include "platform/rtl/AnsiString.h"

struct TSettingsRecord;

constexpr int kChannelFunctionSlots = 51;  // entries 0..50
constexpr int kChannelFunctionCount = 45;  // functions 0..44

// Names hold at most 15 characters, units at most 6 (Windows-1252; "\xB0" is the degree).
extern std::array<AnsiString, kChannelFunctionSlots> ChannelFunctionName;
extern std::array<AnsiString, kChannelFunctionSlots> ChannelFunctionUnit;
extern std::array<int32_t, kChannelFunctionSlots> ChannelFunctionDecimals;
extern std::array<int32_t, kChannelFunctionSlots> ChannelFunctionFrom;
extern std::array<int32_t, kChannelFunctionSlots> ChannelFunctionTo;

// Writes all 51 entries, then the unit-dependent ones for `units`.
void FillChannelFunctions(const TSettingsRecord& units);

// Rewrites the units, ranges and decimals that depend on the display units: the
// temperatures (2, 12, 19, 21), the pressures (16, 32) and the road speed (40). The
// windows that show channels re-apply them afterwards.
void ApplyChannelFunctionUnits(const TSettingsRecord& units);

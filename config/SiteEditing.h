#pragma once
// The work lists and the editing rules the three site editors share: step keys that keep
// the sites rising, and the straight-line spread of a selected run of sites. The rules
// work on plain lists of positions, so they are tested without a window.
#include <array>
#include <cstdint>
#include <span>

#include "platform/rtl/AnsiString.h"

// The site editors' work list: 16 load sites (load-site editor) or 32 speed sites followed
// by the end mark kSpeedSiteEnd as element 32 (speed-site editor).
extern std::array<int32_t, 33> SiteEditList;

// The speed sites stay below this mark; it closes the speed editor's work list.
inline constexpr int32_t kSpeedSiteEnd = 20001;

inline constexpr const char* kNotEnoughRange = "Cannot interpolate, not enough range!";

// The step keys of the editors: numeric-pad plus or "=" up, numeric-pad minus or "-" down.
// Returns +1, -1, or 0 for any other key.
int SiteStepDirection(uint16_t key);

// One step of a load editor on the selected sites first..last (indexes into `sites`): a
// decrease when the first selected site stays above its lower neighbour (site 0: not below
// `firstMin`), an increase when the last selected site stays below its upper neighbour
// (the last site of the list: not above `lastMax`). With the load editors' step of 1 that
// keeps the sites at least one unit apart. Only the end of the block in the direction of
// the move is tested, so the block moves together. Returns whether the sites moved.
bool StepLoadSites(std::span<int32_t> sites, int first, int last, int direction, int32_t lastMax,
                   int32_t step = 1, int32_t firstMin = 0);

// One step of the speed editor on the selected sites first..last of the 33-element list
// (sites 0..31 and the end mark): each site from 1 on is tested by itself and moves by
// `step` when it stays more than one step from the neighbour it approaches and within
// 0 < site < kSpeedSiteEnd. Site 0 never moves. Returns the indexes that moved as a bit
// set (bit i for site i).
uint32_t StepSpeedSites(std::span<int32_t> sites, int first, int last, int direction, int32_t step);

// Spreads the sites strictly between i and j (i < j) evenly between the two ends,
// truncated toward zero. Refused (false, nothing changes) when the ends are fewer units
// apart than sites, so that the spread sites could not all differ.
bool InterpolateSites(std::span<int32_t> sites, int i, int j);

// A site position as a load editor shows it: throttle percent and turns as integers, MAP
// pressure (absolute kPa) in the display pressure unit.
AnsiString SitePositionText(int32_t position, bool pressure);
// The display pressure unit's name on headings: "KPa", "Bar" or "PSI".
AnsiString PressureUnitHeading();

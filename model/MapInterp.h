#pragma once
// Smoothing of map tables by straight lines between the ends of a selected run of cells,
// re-sampling of the main tables when the speed sites move, and folding AFR corrections
// into the injection table. Cells are addressed in record terms (see TableInfo.h); every
// function returns the cells it wrote, and cells outside the run are never touched.
#include <array>
#include <cstdint>
#include <span>

#include "model/MapEditing.h"
#include "model/MapRecord.h"
#include "model/TableInfo.h"

// The position of each record row along the load axis (index = record row).
using TRowPositions = std::array<int, 17>;

// Row positions of a table: main-table row l lies at load site l - 1 of the throttle sites,
// or of the MAP sites when bit 0 of the load options is set; cranking row r at turn r.
TRowPositions RowPositions(const TMapRecord& map, TableId id);

// Cells strictly between `left` and `right` on `row` become the straight line between the
// two end cells, evenly spaced, truncated toward zero; results above `max` become `max`.
TCellWrites MapInterpRow(TMainTable& table, int row, int left, int right, int max);

// Cells strictly between `top` and `bottom` in `col` become the line between the end cells
// weighted by the row positions, truncated toward zero. When both ends lie at the same
// position the cells keep their values. Every cell between is then capped at `max`.
TCellWrites MapInterpCol(TMainTable& table, int col, int top, int bottom, int max,
                         const TRowPositions& positions);

// The block-interpolation choices.
enum class TInterpMode { Corners = 0, Rows = 1, Columns = 2 };

// Corners: the top and bottom rows between the corner cells, then every column between
// them. Rows: every row of the block. Columns: every column of the block.
TCellWrites MapInterpolate(TMainTable& table, const TCellRect& cells, TInterpMode mode, int max,
                           const TRowPositions& positions);

// The three on one of the main window's tables, with its maximum and row positions; the
// run must lie within the table's map cells (ERangeError otherwise).
TCellWrites MapInterpRow(TMapRecord& map, TableId id, int row, int left, int right);
TCellWrites MapInterpCol(TMapRecord& map, TableId id, int col, int top, int bottom);
TCellWrites MapInterpolate(TMapRecord& map, TableId id, const TCellRect& cells,
                           TInterpMode mode);

// One-row tables: cells strictly between `left` and `right` become the line between the
// ends, truncated toward zero, then down to a multiple of `quantum` (toward zero), then
// capped at `max`. Writes report Col = index, Row = 0. A quantum below 1 or ends outside
// the row raise ERangeError.
TCellWrites MapInterpSmall(std::span<le::I16> table, int left, int right, int quantum, int max);

// Re-samples one main table onto new speed sites, each of the 16 load rows separately.
// `oldSites` are the 33 site words the table was made for (the last one closes the axis);
// the value at each new site is the line through the two old sites around it, rounded
// half to even: below the first old site it extends the first interval, beyond old site
// 31 it takes the last value. Where two adjacent old sites are equal there is no slope
// and the value at the site is taken. A new site on an old one takes its value unchanged.
// No table limit applies: only a result beyond the 16-bit word is held at its end.
void RecalcTable16(TMainTable& table, const std::array<int, 33>& oldSites,
                   const std::array<int, 32>& newSites);

// Stores new speed sites 0..31 into the map (the closing word stays) and, with
// `resample`, first re-samples all eleven 34 x 17 tables of the map from the sites it held
// before.
void ChangeSpeedSites(TMapRecord& map, const std::array<int, 32>& newSites, bool resample);

// Re-samples one main table onto new load sites, each of the 32 speed columns separately.
// Rows 1 and 16 (load sites 0 and 15) keep their values. For load sites 1..14 the value at
// a new position is the line through the two old sites around it, rounded half to even:
// old site m is the first of 1..15 at or above the new position, and the line runs from
// site m - 1 to m (below old site 0 it extends that first interval). Beyond old site 15
// the value at site 15 is taken, and where the old sites around a position do not rise
// there is no slope and the value at site m is taken. As with the speed sites, no table
// limit applies and a site that did not move keeps its cell.
void RecalcLoadTable(TMainTable& table, const std::array<int, 16>& oldSites,
                     const std::array<int, 16>& newSites);

// Stores 16 new load sites into the load axis the main tables use (MAP sites when bit 0 of
// the load options is set, else throttle sites) and, with `resample`, first re-samples the
// ignition, injection and AFR target tables from the sites the axis held before. Returns
// the cells of those tables that changed, for the display (empty without `resample`).
struct TLoadSiteChange {
  TCellWrites Ignition, Injection, AFRTarget;
};
TLoadSiteChange ChangeLoadSites(TMapRecord& map, const std::array<int, 16>& newSites,
                                bool resample);

// Looks up a sensor curve of six points: `raw` is a 10-bit converter reading, taken in
// whole hundredths of a volt (raw x 5 / 1023 x 100, truncated). Below the first x point the
// result is the first y, above the last x point the last y; otherwise it lies on the line
// between the first pair of points whose upper x reaches the reading, truncated toward
// zero. Two neighbouring points with the same x give the lower point's y (the line has no
// slope to follow). Results beyond the int range are held at its ends.
int AuxInterp(const std::array<int32_t, 6>& x, int raw, const std::array<int32_t, 6>& y);

// Folds the AFR corrections of `cells` (speed sites by load sites) into the injection
// table: injection += injection x correction / 16384, rounded half to even and limited to
// the injection range. With `clearCorrections` the correction cells become 0. Returns the
// injection cells written.
TCellWrites ApplyCorrections(TMapRecord& map, const TCellRect& cells, bool clearCorrections);

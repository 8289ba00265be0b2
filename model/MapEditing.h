#pragma once
// Edits of the map tables as the main window's keys and dialogs make them: one cell
// entered, a block filled or changed, a step of the "+" / "-" keys, and the one cell the
// live link writes into the running ECU bank. Every function changes the map record only
// and returns the cells it wrote, so the window rewrites (and marks) exactly those.
#include <cstdint>
#include <vector>

#include "model/MapRecord.h"
#include "model/TableInfo.h"
#include "platform/rtl/AnsiString.h"

// A block of cells in record terms, inclusive: columns Left..Right, rows Top..Bottom.
struct TCellRect {
  int Left, Top, Right, Bottom;
};

// One written cell, with the word before and after the write.
struct TCellWrite {
  int Col, Row;
  int OldValue, NewValue;
  bool operator==(const TCellWrite&) const = default;
};
using TCellWrites = std::vector<TCellWrite>;

// The block operations in the order the block dialog lists them.
enum class TBlockOp { Fill = 0, Add = 1, Subtract = 2, Increase = 3, Decrease = 4 };

// Applies `op` with `value` to every cell of `cells` in `table`:
//   Fill      the value limited to min..max
//   Add       x + value, at most max (no lower bound)
//   Subtract  x - value, at least min (no upper bound)
//   Increase  x + x * value / 100 (truncated), limited to min..max
//   Decrease  x - x * value / 100 (truncated), limited to min..max
// Increase and Decrease keep both limits because a percentage of a negative cell moves
// it the other way. No result leaves the 16-bit word. With `zeroLastCrankingRow` an Add
// sets row 4 to 0 instead, as the cranking table's keys do.
// `cells` outside the 34 x 17 words, or reversed, raise ERangeError before any write.
TCellWrites ManipulateBigTable(TMainTable& table, const TCellRect& cells, TBlockOp op,
                               int value, int min, int max, bool zeroLastCrankingRow = false);

// The same on one of the main window's tables with its own limits. `cells` must be map
// cells of the table (ERangeError otherwise).
TCellWrites ApplyBlockOperation(TMapRecord& map, TableId id, const TCellRect& cells,
                                TBlockOp op, int value);

// The stored amount for the block dialog's number: Fill, Add and Subtract take it in the
// table's displayed units (AFR target x 10, AFR correction x 163.84, halves to even);
// Increase and Decrease take it as whole percent.
int BlockOperationValue(TableId id, TBlockOp op, double dialogValue);

// One "+" (up) or "-" key on a block: Add or Subtract of the table's step.
TCellWrites StepCells(TMapRecord& map, TableId id, const TCellRect& cells, bool up);

// One "+" / "-" key on a block of the AFR mode table: each mode byte 0..2 one up or down,
// stopping at the ends. Cells are speed site 1..32 by load site 1..16.
TCellWrites StepAFRModes(TMapRecord& map, const TCellRect& cells, bool up);

// The cell-entry dialog's starting number: the cell exactly as displayed (AFR target 125
// is 12.5, not 12). ERangeError for a table without cell entry or a non-map cell.
double CellEntryValue(const TMapRecord& map, TableId id, int col, int row);
// Stores the entered number into the cell: converted to the stored word (halves to even)
// and limited to the table's range. NaN or infinity raise EInvalidOp and store nothing.
TCellWrite StoreCellEntry(TMapRecord& map, TableId id, int col, int row, double entered);

// The tables the live link trims and writes one cell at a time, numbered as the live
// boxes count them.
enum class TLiveItem { Ignition = 1, Injection = 2, BoostPWM = 3, InjPosition = 4, UserPWM = 5,
                       VVT = 6 };

// The "$i" frame that writes `value` (the live value with its trim, as the live boxes show
// it) into the cell (speed site 0..31, live row) of item's table in ECU bank `bank` (1..3).
// Ignition goes out as value x 2 + 120, VVT without the map's VVT offset; only the low 8
// bits of the byte are sent. A bank, speed site or row outside the table raises
// ERangeError.
AnsiString LiveCellFrame(TLiveItem item, int bank, int speedSite, int row, int value,
                         int vvtOffset);

// Stores the same written value into the PC map cell (speed site + 1, row + 1) of the
// item's table: the injector position table holds value x 4; the VVT table holds the
// value as displayed, with the offset. Row or speed site outside raise ERangeError.
TCellWrite StoreLiveCell(TMapRecord& map, TLiveItem item, int speedSite, int row, int value);

#pragma once
// What the editing and interpolation code needs to know about each map table the main
// window edits: where it lives in the map record, which cells are map cells, how a stored
// word reads as a displayed number, and the limits edits keep it within.
//
// Cells are addressed in record terms: column `Col` and row `Row` index the table's
// [column][row] words directly. For the main tables that is speed site s (1..32) and load
// site l (1..16); for the cranking table temperature column c (1..14) and turn row r (0..4).
// The grid column of a cell is Col + GridColumnOffset.
#include "model/MapRecord.h"

enum class TableId { Ignition, Injection, AFRTarget, AFRCorrection, Cranking };

struct TTableInfo {
  TableId Id;
  const char* GridName;             // the grid that shows the table
  TMainTable TMapRecord::*Field;    // the record words
  int FirstCol, LastCol;            // record columns that are map cells
  int FirstRow, LastRow;            // record rows that are map cells
  int GridColumnOffset;             // grid column = record column + offset
  int Min, Max;                     // stored limits of every edit
  int Step;                         // stored change of one "+" / "-" key
  // displayed = stored x DisplayNum / DisplayDen. Kept as a ratio so that entered
  // values convert back to stored words exactly (12.5 -> 125, 50 % -> 8192).
  int DisplayNum, DisplayDen;
  int Decimals;                     // decimals of the displayed number
  bool Signed;                      // cells may hold negative values
  bool MarkBlue;                    // edited cells get a blue font
  bool Recolour;                    // cells are coloured by value after an edit
  int BlockOperations;              // block dialog offers operations 0..BlockOperations-1
  const char* EntryCaption;         // cell-entry dialog caption; nullptr: no cell entry
  double EntryMin, EntryMax;        // cell-entry range in displayed units
};

// The description of `id`. Every TableId has one.
const TTableInfo& TableInfo(TableId id);

// The table's words in `map`.
TMainTable& TableWords(TMapRecord& map, TableId id);
const TMainTable& TableWords(const TMapRecord& map, TableId id);

// True when (col, row) is one of the table's map cells.
bool IsTableCell(TableId id, int col, int row);

// A stored word as the number the table displays (AFR target 125 -> 12.5).
double DisplayValue(TableId id, int stored);
// A displayed number as the nearest stored word (halves to even), not yet limited.
// NaN or infinity raise EInvalidOp.
int64_t StoredValue(TableId id, double displayed);

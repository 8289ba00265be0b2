#include "model/MapEditing.h"

#include <algorithm>
#include <string>

#include "model/Frames.h"
#include "model/MapImage.h"
#include "platform/rtl/Numbers.h"
#include "platform/rtl/SysUtils.h"

namespace {

constexpr int kTableCols = 34;
constexpr int kTableRows = 17;
constexpr int kCrankingLastRow = 4;

int ToWord(int64_t v) {
  return static_cast<int>(std::clamp<int64_t>(v, INT16_MIN, INT16_MAX));
}

void CheckRect(const TCellRect& r, int firstCol, int lastCol, int firstRow, int lastRow) {
  if (r.Left > r.Right || r.Top > r.Bottom || r.Left < firstCol || r.Right > lastCol ||
      r.Top < firstRow || r.Bottom > lastRow)
    throw ERangeError("Cells " + std::to_string(r.Left) + "," + std::to_string(r.Top) + " .. " +
                      std::to_string(r.Right) + "," + std::to_string(r.Bottom) +
                      " are outside the table");
}

void CheckCell(TableId id, int col, int row) {
  if (!IsTableCell(id, col, row))
    throw ERangeError("Cell " + std::to_string(col) + "," + std::to_string(row) + " is not in " +
                      TableInfo(id).GridName);
}

int64_t Operate(int64_t x, TBlockOp op, int64_t value, int64_t min, int64_t max) {
  switch (op) {
    case TBlockOp::Fill:
      return std::clamp(value, min, max);
    case TBlockOp::Add:
      return std::min(x + value, max);
    case TBlockOp::Subtract:
      return std::max(x - value, min);
    case TBlockOp::Increase:
      // C++ division truncates toward zero, as the percentage must.
      return std::clamp(x + x * value / 100, min, max);
    case TBlockOp::Decrease:
      return std::clamp(x - x * value / 100, min, max);
  }
  throw ERangeError("Unknown block operation");
}

}  // namespace

TCellWrites ManipulateBigTable(TMainTable& table, const TCellRect& cells, TBlockOp op,
                               int value, int min, int max, bool zeroLastCrankingRow) {
  CheckRect(cells, 0, kTableCols - 1, 0, kTableRows - 1);
  if (min > max) throw ERangeError("Block limits " + std::to_string(min) + ".." +
                                   std::to_string(max) + " are reversed");
  TCellWrites writes;
  for (int c = cells.Left; c <= cells.Right; ++c) {
    for (int r = cells.Top; r <= cells.Bottom; ++r) {
      const int old = table[c][r];
      int64_t x = Operate(old, op, value, min, max);
      if (zeroLastCrankingRow && op == TBlockOp::Add && r == kCrankingLastRow) x = 0;
      table[c][r] = static_cast<int16_t>(ToWord(x));
      writes.push_back({c, r, old, table[c][r]});
    }
  }
  return writes;
}

TCellWrites ApplyBlockOperation(TMapRecord& map, TableId id, const TCellRect& cells,
                                TBlockOp op, int value) {
  const TTableInfo& t = TableInfo(id);
  CheckRect(cells, t.FirstCol, t.LastCol, t.FirstRow, t.LastRow);
  return ManipulateBigTable(TableWords(map, id), cells, op, value, t.Min, t.Max,
                            id == TableId::Cranking);
}

int BlockOperationValue(TableId id, TBlockOp op, double dialogValue) {
  if (op == TBlockOp::Increase || op == TBlockOp::Decrease)
    return ToWord(Round(dialogValue));
  return ToWord(StoredValue(id, dialogValue));
}

TCellWrites StepCells(TMapRecord& map, TableId id, const TCellRect& cells, bool up) {
  return ApplyBlockOperation(map, id, cells, up ? TBlockOp::Add : TBlockOp::Subtract,
                             TableInfo(id).Step);
}

TCellWrites StepAFRModes(TMapRecord& map, const TCellRect& cells, bool up) {
  CheckRect(cells, 1, kMainSpeedSites, 1, kMainLoadSites);
  TCellWrites writes;
  for (int c = cells.Left; c <= cells.Right; ++c) {
    for (int r = cells.Top; r <= cells.Bottom; ++r) {
      uint8_t& mode = map.AFRModeTable[c][r];
      const int old = mode;
      if (up && mode < 2) ++mode;
      if (!up && mode > 0) --mode;
      writes.push_back({c, r, old, mode});
    }
  }
  return writes;
}

double CellEntryValue(const TMapRecord& map, TableId id, int col, int row) {
  if (TableInfo(id).EntryCaption == nullptr)
    throw ERangeError(AnsiString(TableInfo(id).GridName) + " has no cell entry");
  CheckCell(id, col, row);
  return DisplayValue(id, TableWords(map, id)[col][row]);
}

TCellWrite StoreCellEntry(TMapRecord& map, TableId id, int col, int row, double entered) {
  const TTableInfo& t = TableInfo(id);
  if (t.EntryCaption == nullptr)
    throw ERangeError(AnsiString(t.GridName) + " has no cell entry");
  CheckCell(id, col, row);
  const int64_t stored = std::clamp<int64_t>(StoredValue(id, entered), t.Min, t.Max);
  le::I16& cell = TableWords(map, id)[col][row];
  const int old = cell;
  cell = static_cast<int16_t>(stored);
  return {col, row, old, cell};
}

namespace {

struct TLiveTable {
  size_t ImageOffset;
  int Rows;
  TMainTable TMapRecord::*Field;
  int PcFactor;  // PC cell = value x factor
};

TLiveTable LiveTable(TLiveItem item) {
  switch (item) {
    case TLiveItem::Ignition:
      return {ecu::kImageIgnition, kMainLoadSites, &TMapRecord::IgnitionTable, 1};
    case TLiveItem::Injection:
      return {ecu::kImageInjection, kMainLoadSites, &TMapRecord::InjectionTable, 1};
    case TLiveItem::BoostPWM:
      return {ecu::kImageBoostPWM, kAdditionalLoadRows, &TMapRecord::BoostDutyTable, 1};
    case TLiveItem::InjPosition:
      return {ecu::kImageInjTiming, kAdditionalLoadRows, &TMapRecord::InjTimingTable, 4};
    case TLiveItem::UserPWM:
      return {ecu::kImageUserPWM, kAdditionalLoadRows, &TMapRecord::UserPWMTable, 1};
    case TLiveItem::VVT:
      return {ecu::kImageVVT, kAdditionalLoadRows, &TMapRecord::VVTTable, 1};
  }
  throw ERangeError("Unknown live item");
}

void CheckLiveCell(const TLiveTable& t, int speedSite, int row) {
  if (speedSite < 0 || speedSite >= kMainSpeedSites || row < 0 || row >= t.Rows)
    throw ERangeError("Live cell " + std::to_string(speedSite) + "," + std::to_string(row) +
                      " is outside the table");
}

}  // namespace

AnsiString LiveCellFrame(TLiveItem item, int bank, int speedSite, int row, int value,
                         int vvtOffset) {
  const TLiveTable t = LiveTable(item);
  CheckLiveCell(t, speedSite, row);
  const uint16_t address = ecu::MapBankAddress(
      bank, t.ImageOffset + static_cast<size_t>(row) * kMainSpeedSites + speedSite);
  int byte = value;
  if (item == TLiveItem::Ignition) byte = value * 2 + 120;  // half degrees from -60
  if (item == TLiveItem::VVT) byte = value - vvtOffset;
  const char data = static_cast<char>(byte & 0xFF);
  return ecu::MemoryWriteFrame(address, std::string_view(&data, 1));
}

TCellWrite StoreLiveCell(TMapRecord& map, TLiveItem item, int speedSite, int row, int value) {
  const TLiveTable t = LiveTable(item);
  CheckLiveCell(t, speedSite, row);
  le::I16& cell = (map.*t.Field)[speedSite + 1][row + 1];
  const int old = cell;
  cell = static_cast<int16_t>(ToWord(static_cast<int64_t>(value) * t.PcFactor));
  return {speedSite + 1, row + 1, old, cell};
}

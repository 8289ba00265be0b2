#include "model/MapInterp.h"

#include <algorithm>
#include <string>

#include "platform/rtl/SysUtils.h"

namespace {

constexpr int kTableCols = 34;
constexpr int kTableRows = 17;

int16_t ToWord(int64_t v) {
  return static_cast<int16_t>(std::clamp<int64_t>(v, INT16_MIN, INT16_MAX));
}

void CheckRun(bool inside, const char* what) {
  if (!inside) throw ERangeError(AnsiString(what) + " is outside the table");
}

// num / den rounded to the nearest integer, halves to even; den is not 0. Done in
// integers so that a result of exactly x.5 is recognised as such.
int64_t RoundDivHalfEven(int64_t num, int64_t den) {
  if (den < 0) {
    num = -num;
    den = -den;
  }
  int64_t q = num / den;
  int64_t r = num % den;  // same sign as num
  if (r < 0) {
    --q;
    r += den;
  }
  // Now num = q * den + r with 0 <= r < den.
  if (2 * r > den || (2 * r == den && (q & 1) != 0)) ++q;
  return q;
}

// Value of the k-th of the cells between ends a and b that lie n steps apart: the line
// a + k (b - a) / n truncated toward zero, computed exactly.
int64_t LinePoint(int64_t a, int64_t b, int64_t k, int64_t n) { return (a * n + k * (b - a)) / n; }

}  // namespace

TRowPositions RowPositions(const TMapRecord& map, TableId id) {
  TRowPositions p{};
  if (id == TableId::Cranking) {
    for (int r = 0; r < kAdditionalLoadRows; ++r) p[r] = map.CrankTurns[r];
    return p;
  }
  const bool mapSites = (map.LoadOptions & 1) != 0;
  for (int l = 1; l <= kMainLoadSites; ++l)
    p[l] = mapSites ? map.MainMAPSites[l - 1] : map.MainThrottleSites[l - 1];
  return p;
}

TCellWrites MapInterpRow(TMainTable& table, int row, int left, int right, int max) {
  CheckRun(row >= 0 && row < kTableRows && left >= 0 && right < kTableCols && left <= right,
           "Row run");
  TCellWrites writes;
  const int a = table[left][row];
  const int b = table[right][row];
  const int n = right - left;
  for (int k = 1; k < n; ++k) {
    const int c = left + k;
    const int old = table[c][row];
    table[c][row] = ToWord(std::min<int64_t>(LinePoint(a, b, k, n), max));
    writes.push_back({c, row, old, table[c][row]});
  }
  return writes;
}

TCellWrites MapInterpCol(TMainTable& table, int col, int top, int bottom, int max,
                         const TRowPositions& positions) {
  CheckRun(col >= 0 && col < kTableCols && top >= 0 && bottom < kTableRows && top <= bottom,
           "Column run");
  TCellWrites writes;
  const int64_t span = static_cast<int64_t>(positions[bottom]) - positions[top];
  const int64_t a = table[col][top];
  const int64_t dv = table[col][bottom] - a;
  for (int r = top + 1; r < bottom; ++r) {
    const int old = table[col][r];
    int64_t v = old;
    if (span != 0) v = (static_cast<int64_t>(positions[r]) - positions[top]) * dv / span + a;
    table[col][r] = ToWord(std::min<int64_t>(v, max));
    writes.push_back({col, r, old, table[col][r]});
  }
  return writes;
}

TCellWrites MapInterpolate(TMainTable& table, const TCellRect& cells, TInterpMode mode, int max,
                           const TRowPositions& positions) {
  // The whole block is checked before the first cell is written, so a block reaching past
  // the table leaves every cell as it was instead of changing the runs that came first.
  CheckRun(cells.Left >= 0 && cells.Top >= 0 && cells.Left <= cells.Right &&
               cells.Top <= cells.Bottom && cells.Right < kTableCols && cells.Bottom < kTableRows,
           "Block");
  TCellWrites writes;
  auto append = [&writes](const TCellWrites& w) {
    writes.insert(writes.end(), w.begin(), w.end());
  };
  switch (mode) {
    case TInterpMode::Corners:
      append(MapInterpRow(table, cells.Top, cells.Left, cells.Right, max));
      if (cells.Bottom != cells.Top)
        append(MapInterpRow(table, cells.Bottom, cells.Left, cells.Right, max));
      for (int c = cells.Left; c <= cells.Right; ++c)
        append(MapInterpCol(table, c, cells.Top, cells.Bottom, max, positions));
      break;
    case TInterpMode::Rows:
      for (int r = cells.Top; r <= cells.Bottom; ++r)
        append(MapInterpRow(table, r, cells.Left, cells.Right, max));
      break;
    case TInterpMode::Columns:
      for (int c = cells.Left; c <= cells.Right; ++c)
        append(MapInterpCol(table, c, cells.Top, cells.Bottom, max, positions));
      break;
  }
  return writes;
}

namespace {

void CheckTableRun(TableId id, int left, int top, int right, int bottom) {
  CheckRun(IsTableCell(id, left, top) && IsTableCell(id, right, bottom), "Run");
}

}  // namespace

TCellWrites MapInterpRow(TMapRecord& map, TableId id, int row, int left, int right) {
  CheckTableRun(id, left, row, right, row);
  return MapInterpRow(TableWords(map, id), row, left, right, TableInfo(id).Max);
}

TCellWrites MapInterpCol(TMapRecord& map, TableId id, int col, int top, int bottom) {
  CheckTableRun(id, col, top, col, bottom);
  return MapInterpCol(TableWords(map, id), col, top, bottom, TableInfo(id).Max,
                      RowPositions(map, id));
}

TCellWrites MapInterpolate(TMapRecord& map, TableId id, const TCellRect& cells,
                           TInterpMode mode) {
  CheckTableRun(id, cells.Left, cells.Top, cells.Right, cells.Bottom);
  return MapInterpolate(TableWords(map, id), cells, mode, TableInfo(id).Max,
                        RowPositions(map, id));
}

TCellWrites MapInterpSmall(std::span<le::I16> table, int left, int right, int quantum, int max) {
  if (quantum < 1) throw ERangeError("Interpolation quantum " + std::to_string(quantum));
  CheckRun(left >= 0 && left <= right && static_cast<size_t>(right) < table.size(), "Row run");
  TCellWrites writes;
  const int a = table[left];
  const int b = table[right];
  const int n = right - left;
  for (int k = 1; k < n; ++k) {
    const int i = left + k;
    const int old = table[i];
    const int64_t v = LinePoint(a, b, k, n) / quantum * quantum;
    table[i] = ToWord(std::min<int64_t>(v, max));
    writes.push_back({i, 0, old, table[i]});
  }
  return writes;
}

void RecalcTable16(TMainTable& table, const std::array<int, 33>& oldSites,
                   const std::array<int, 32>& newSites) {
  for (int l = 1; l <= kMainLoadSites; ++l) {
    // cell(i): the row's value at old site i, which is table column i + 1.
    auto cell = [&table, l](int i) -> int64_t { return table[i + 1][l]; };
    std::array<int64_t, kMainSpeedSites> row{};
    for (int j = 0; j < kMainSpeedSites; ++j) {
      const int64_t n = newSites[j];
      int k = 1;
      while (k < kMainSpeedSites && oldSites[k] < n) ++k;
      if (k == kMainSpeedSites) {
        row[j] = cell(kMainSpeedSites - 1);
        continue;
      }
      const int64_t width = static_cast<int64_t>(oldSites[k]) - oldSites[k - 1];
      // The whole value is rounded, not just the step from cell(k).
      row[j] = width == 0 ? cell(k)
                          : RoundDivHalfEven(cell(k) * width +
                                                 (cell(k) - cell(k - 1)) * (n - oldSites[k]),
                                             width);
    }
    for (int j = 0; j < kMainSpeedSites; ++j)
      table[j + 1][l] = ToWord(row[j]);
  }
}

void ChangeSpeedSites(TMapRecord& map, const std::array<int, 32>& newSites, bool resample) {
  // The old sites are taken before the new ones are stored: re-sampling needs both.
  std::array<int, 33> oldSites{};
  for (int i = 0; i <= kMainSpeedSites; ++i) oldSites[i] = map.SpeedSites[i];
  if (resample) {
    // The values are kept as the lines give them: a map may hold values beyond what the
    // editors allow, and a site that did not move keeps its cell as it was.
    for (TableId id : {TableId::Ignition, TableId::Injection, TableId::AFRTarget,
                       TableId::AFRCorrection})
      RecalcTable16(TableWords(map, id), oldSites, newSites);
    for (TMainTable* table : {&map.BoostDutyTable, &map.BoostTargetTable, &map.UserPWMTable,
                              &map.VVTTable, &map.FifthTable, &map.CoilOnTable,
                              &map.InjTimingTable})
      RecalcTable16(*table, oldSites, newSites);
  }
  for (int i = 0; i < kMainSpeedSites; ++i)
    map.SpeedSites[i] = static_cast<uint16_t>(std::clamp(newSites[i], 0, 65535));
}

void RecalcLoadTable(TMainTable& table, const std::array<int, 16>& oldSites,
                     const std::array<int, 16>& newSites) {
  for (int s = 1; s <= kMainSpeedSites; ++s) {
    // t(i): the column's value at old load site i, which is table row i + 1.
    auto t = [&table, s](int i) -> int64_t { return table[s][i + 1]; };
    std::array<int64_t, kMainLoadSites> column{};
    for (int k = 1; k < kMainLoadSites - 1; ++k) {
      const int64_t n = newSites[static_cast<size_t>(k)];
      int m = 1;
      while (m < kMainLoadSites && oldSites[static_cast<size_t>(m)] < n) ++m;
      if (m == kMainLoadSites) {
        column[static_cast<size_t>(k)] = t(kMainLoadSites - 1);
        continue;
      }
      const int64_t low = oldSites[static_cast<size_t>(m - 1)];
      const int64_t width = oldSites[static_cast<size_t>(m)] - low;
      column[static_cast<size_t>(k)] =
          width <= 0 ? t(m) : RoundDivHalfEven(t(m - 1) * width + (t(m) - t(m - 1)) * (n - low), width);
    }
    for (int k = 1; k < kMainLoadSites - 1; ++k)
      table[s][k + 1] = ToWord(column[static_cast<size_t>(k)]);
  }
}

TLoadSiteChange ChangeLoadSites(TMapRecord& map, const std::array<int, 16>& newSites,
                                bool resample) {
  const bool mapSites = (map.LoadOptions & 1) != 0;
  le::I16* axis = mapSites ? map.MainMAPSites : map.MainThrottleSites;
  TLoadSiteChange change;
  if (resample) {
    // The old sites are taken before the new ones are stored: re-sampling needs both.
    std::array<int, 16> oldSites{};
    for (int i = 0; i < kMainLoadSites; ++i) oldSites[static_cast<size_t>(i)] = axis[i];
    auto resampled = [&](TableId id) {
      TMainTable& table = TableWords(map, id);
      TMainTable before;
      std::copy(&table[0][0], &table[0][0] + 34 * 17, &before[0][0]);
      RecalcLoadTable(table, oldSites, newSites);
      TCellWrites writes;
      for (int s = 1; s <= kMainSpeedSites; ++s)
        for (int l = 2; l < kMainLoadSites; ++l)
          if (before[s][l] != table[s][l]) writes.push_back({s, l, before[s][l], table[s][l]});
      return writes;
    };
    change.Ignition = resampled(TableId::Ignition);
    change.Injection = resampled(TableId::Injection);
    change.AFRTarget = resampled(TableId::AFRTarget);
  }
  for (int i = 0; i < kMainLoadSites; ++i)
    axis[i] = ToWord(newSites[static_cast<size_t>(i)]);
  return change;
}

TCellWrites ApplyCorrections(TMapRecord& map, const TCellRect& cells, bool clearCorrections) {
  CheckTableRun(TableId::AFRCorrection, cells.Left, cells.Top, cells.Right, cells.Bottom);
  CheckRun(cells.Left <= cells.Right && cells.Top <= cells.Bottom, "Block");
  const TTableInfo& inj = TableInfo(TableId::Injection);
  TCellWrites writes;
  for (int c = cells.Left; c <= cells.Right; ++c) {
    for (int r = cells.Top; r <= cells.Bottom; ++r) {
      const int64_t x = map.InjectionTable[c][r];
      const int64_t v = x + RoundDivHalfEven(x * map.AFRCorrectionTable[c][r], 16384);
      map.InjectionTable[c][r] = ToWord(std::clamp<int64_t>(v, inj.Min, inj.Max));
      writes.push_back({c, r, static_cast<int>(x), map.InjectionTable[c][r]});
      if (clearCorrections) map.AFRCorrectionTable[c][r] = 0;
    }
  }
  return writes;
}

int AuxInterp(const std::array<int32_t, 6>& x, int raw, const std::array<int32_t, 6>& y) {
  // Exact integer arithmetic: both truncations of the rational values, with no floating
  // error at a point that falls exactly on a whole number.
  const int64_t v = static_cast<int64_t>(raw) * 500 / 1023;
  if (v < x[0]) return y[0];
  if (v > x[5]) return y[5];
  size_t i = 0;
  while (i < 4 && v > x[i + 1]) ++i;
  const int64_t dx = static_cast<int64_t>(x[i + 1]) - x[i];
  if (dx == 0) return y[i];
  const __int128 dy = static_cast<int64_t>(y[i + 1]) - y[i];
  // trunc((v - x[i]) / dx * dy + y[i]) as one fraction, which C++ division truncates.
  const __int128 value = ((v - x[i]) * dy + static_cast<__int128>(y[i]) * dx) / dx;
  return static_cast<int>(std::clamp<__int128>(value, INT32_MIN, INT32_MAX));
}

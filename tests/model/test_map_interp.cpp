#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "model/MapInterp.h"
#include "platform/rtl/SysUtils.h"

namespace {

std::unique_ptr<TMapRecord> NewMap() {
  auto m = std::make_unique<TMapRecord>();
  m->Clear();
  return m;
}

std::vector<int> RowValues(const TMainTable& t, int row, int from, int to) {
  std::vector<int> v;
  for (int c = from; c <= to; ++c) v.push_back(t[c][row]);
  return v;
}

struct RunCase {
  int A, B, N, Max;
  std::vector<int> Inner;
};

TEST(MapInterp, RowRunsTruncateTowardZero) {
  const RunCase cases[] = {
      {10, 25, 4, 255, {13, 17, 21}},  // step 3.75
      {10, -2, 4, 255, {7, 4, 1}},     // step -3
      {-2, 0, 4, 255, {-1, -1, 0}},    // -1.5, -1, -0.5
      {0, 100, 4, 60, {25, 50, 60}},   // capped, no lower bound
      {5, 9, 1, 255, {}},              // adjacent ends: nothing between
  };
  for (const RunCase& c : cases) {
    auto m = NewMap();
    TMainTable& t = m->IgnitionTable;
    t[3][2] = static_cast<int16_t>(c.A);
    t[3 + c.N][2] = static_cast<int16_t>(c.B);
    t[2][2] = 77;
    t[4 + c.N][2] = 77;
    t[4][1] = 77;
    const TCellWrites w = MapInterpRow(t, 2, 3, 3 + c.N, c.Max);
    SCOPED_TRACE(::testing::Message() << c.A << " .. " << c.B << " over " << c.N);
    EXPECT_EQ(RowValues(t, 2, 4, 2 + c.N), c.Inner);
    EXPECT_EQ(w.size(), c.Inner.size());
    EXPECT_EQ(t[2][2], 77);  // outside the run
    EXPECT_EQ(t[4 + c.N][2], 77);
    EXPECT_EQ(t[4][1], 77);
  }
}

TEST(MapInterp, ColumnsWeightByRowPosition) {
  TRowPositions p{};
  p[1] = 0;
  p[2] = 10;
  p[3] = 40;
  auto m = NewMap();
  TMainTable& t = m->InjectionTable;
  t[5][1] = 0;
  t[5][2] = 99;
  t[5][3] = 90;
  MapInterpCol(t, 5, 1, 3, 255, p);
  EXPECT_EQ(t[5][2], 22);  // 90 x 10 / 40 = 22.5 truncated

  // Equal end positions: the inner cell keeps its value, only the cap applies.
  p[3] = 0;
  t[5][2] = 200;
  MapInterpCol(t, 5, 1, 3, 150, p);
  EXPECT_EQ(t[5][2], 150);
}

TEST(MapInterp, BlockModes) {
  TRowPositions p{};
  for (int r = 0; r < 17; ++r) p[r] = 10 * r;
  auto corners = NewMap();
  TMainTable& t = corners->InjectionTable;
  t[1][1] = 0, t[3][1] = 20, t[1][3] = 40, t[3][3] = 100;
  MapInterpolate(t, {1, 1, 3, 3}, TInterpMode::Corners, 255, p);
  EXPECT_EQ(RowValues(t, 1, 1, 3), (std::vector<int>{0, 10, 20}));
  EXPECT_EQ(RowValues(t, 2, 1, 3), (std::vector<int>{20, 40, 60}));
  EXPECT_EQ(RowValues(t, 3, 1, 3), (std::vector<int>{40, 70, 100}));

  auto rows = NewMap();
  rows->InjectionTable[1][2] = 10, rows->InjectionTable[3][2] = 30;
  rows->InjectionTable[2][1] = 5;
  MapInterpolate(rows->InjectionTable, {1, 1, 3, 2}, TInterpMode::Rows, 255, p);
  EXPECT_EQ(rows->InjectionTable[2][1], 0);
  EXPECT_EQ(rows->InjectionTable[2][2], 20);

  auto cols = NewMap();
  cols->InjectionTable[1][1] = 10, cols->InjectionTable[1][3] = 30;
  MapInterpolate(cols->InjectionTable, {1, 1, 2, 3}, TInterpMode::Columns, 255, p);
  EXPECT_EQ(cols->InjectionTable[1][2], 20);
}

TEST(MapInterp, TableRunsUseTheLoadAxisAndLimits) {
  auto m = NewMap();
  for (int i = 0; i < 16; ++i) {
    m->MainThrottleSites[i] = static_cast<int16_t>(i * 10);
    m->MainMAPSites[i] = static_cast<int16_t>(i == 1 ? 90 : i * 10);
  }
  m->IgnitionTable[1][1] = 0;
  m->IgnitionTable[1][3] = 100;
  MapInterpCol(*m, TableId::Ignition, 1, 1, 3);
  EXPECT_EQ(m->IgnitionTable[1][2], 50);
  m->LoadOptions = 1;  // MAP load sites: row 2 sits at 90 of 0..20
  MapInterpCol(*m, TableId::Ignition, 1, 1, 3);
  EXPECT_EQ(m->IgnitionTable[1][2], 60);  // 450 capped at the ignition maximum
  EXPECT_THROW(MapInterpRow(*m, TableId::Ignition, 17, 1, 4), ERangeError);

  m->CrankTurns[0] = 0, m->CrankTurns[1] = 30, m->CrankTurns[2] = 40;
  m->CrankingTable[1][0] = 0, m->CrankingTable[1][2] = 200;
  MapInterpCol(*m, TableId::Cranking, 1, 0, 2);
  EXPECT_EQ(m->CrankingTable[1][1], 150);
}

TEST(MapInterp, OneRowTablesWithQuantum) {
  le::I16 t[14] = {};
  t[0] = 0;
  t[4] = 23;
  const TCellWrites w = MapInterpSmall(t, 0, 4, 5, 255);
  EXPECT_EQ((std::vector<int>{t[1], t[2], t[3]}), (std::vector<int>{5, 10, 15}));
  EXPECT_EQ(w.front(), (TCellWrite{1, 0, 0, 5}));
  t[5] = -9;
  MapInterpSmall(t, 4, 6, 1, 10);
  EXPECT_EQ(t[5], 10);  // (23 + 0) / 2 = 11.5 -> 11, capped
  EXPECT_THROW(MapInterpSmall(t, 0, 4, 0, 255), ERangeError);
  EXPECT_THROW(MapInterpSmall(t, 0, 14, 1, 255), ERangeError);
}

std::array<int, 33> OldSites(std::initializer_list<int> first) {
  std::array<int, 33> s{};
  int i = 0;
  for (int v : first) s[i++] = v;
  for (; i < 33; ++i) s[i] = s[i - 1] + 1000;
  return s;
}

TEST(MapInterp, ResamplingOntoNewSpeedSites) {
  auto m = NewMap();
  TMainTable& t = m->InjectionTable;
  for (int l = 1; l <= 16; ++l) {
    t[1][l] = 100, t[2][l] = 200, t[3][l] = 201;
    for (int s = 4; s <= 32; ++s) t[s][l] = 250;
  }
  const std::array<int, 33> old = OldSites({1000, 2000, 3000});
  std::array<int, 32> fresh{};
  fresh.fill(40000);  // beyond old site 31: the last value
  fresh[0] = 1500, fresh[1] = 2500, fresh[2] = 500, fresh[3] = 2000;
  fresh[5] = 2999;
  RecalcTable16(t, old, fresh);
  for (int l : {1, 16}) {
    EXPECT_EQ(t[1][l], 150);
    EXPECT_EQ(t[2][l], 200);  // between 200 and 201, 200.5 rounds to even
    EXPECT_EQ(t[3][l], 50);   // extends the first interval
    EXPECT_EQ(t[4][l], 200);
    EXPECT_EQ(t[6][l], 201);  // 200.999 rounds to 201
    EXPECT_EQ(t[32][l], 250);
  }
}

TEST(MapInterp, ResamplingExtrapolatesAndEqualSites) {
  TMainTable t{};
  for (int l = 1; l <= 16; ++l) t[1][l] = 10, t[2][l] = 100;
  std::array<int, 32> fresh{};
  fresh.fill(0);
  RecalcTable16(t, OldSites({1000, 2000}), fresh);
  EXPECT_EQ(t[1][1], -80);  // extrapolated, and kept as the line gives it

  // A cleared map has every site 0: no interval has a width, nothing divides by it.
  TMainTable u{};
  u[2][5] = 7;
  std::array<int, 33> zeros{};
  RecalcTable16(u, zeros, fresh);
  EXPECT_EQ(u[1][5], 7);
}

TEST(MapInterp, ChangingSpeedSitesResamplesFromTheOldSites) {
  auto m = NewMap();
  for (int i = 0; i < 33; ++i) m->SpeedSites[i] = static_cast<uint16_t>(1000 * (i + 1));
  for (int s = 1; s <= 32; ++s) m->IgnitionTable[s][1] = static_cast<int16_t>(s);
  std::array<int, 32> fresh{};
  for (int i = 0; i < 32; ++i) fresh[i] = 1000 * (i + 1) + 500;
  ChangeSpeedSites(*m, fresh, true);
  EXPECT_EQ(m->IgnitionTable[1][1], 2);   // 1.5 to even
  EXPECT_EQ(m->IgnitionTable[2][1], 2);   // 2.5 to even
  EXPECT_EQ(m->IgnitionTable[32][1], 32);
  EXPECT_EQ(m->SpeedSites[0], 1500);
  EXPECT_EQ(m->SpeedSites[32], 33000);  // the closing word stays

  ChangeSpeedSites(*m, fresh, false);
  EXPECT_EQ(m->IgnitionTable[1][1], 2);
}

TEST(MapInterp, CorrectionsFoldIntoInjectionWithinItsRange) {
  auto m = NewMap();
  m->InjectionTable[1][1] = 200, m->AFRCorrectionTable[1][1] = 8192;   // 300 -> 255
  m->InjectionTable[2][1] = 100, m->AFRCorrectionTable[2][1] = 8192;   // 150
  m->InjectionTable[3][1] = 200, m->AFRCorrectionTable[3][1] = -8192;  // 100
  m->InjectionTable[4][1] = 3, m->AFRCorrectionTable[4][1] = 8192;     // 3 + 2 (1.5 to even)
  m->InjectionTable[5][1] = 9, m->AFRCorrectionTable[5][1] = 100;
  const TCellWrites w = ApplyCorrections(*m, {1, 1, 4, 1}, false);
  EXPECT_EQ(RowValues(m->InjectionTable, 1, 1, 4), (std::vector<int>{255, 150, 100, 5}));
  EXPECT_EQ(w.size(), 4u);
  EXPECT_EQ(m->AFRCorrectionTable[1][1], 8192);
  EXPECT_EQ(m->InjectionTable[5][1], 9);

  ApplyCorrections(*m, {2, 1, 2, 1}, true);
  EXPECT_EQ(m->InjectionTable[2][1], 225);
  EXPECT_EQ(m->AFRCorrectionTable[2][1], 0);
  EXPECT_THROW(ApplyCorrections(*m, {0, 1, 2, 1}, true), ERangeError);
}

// Load sites 0, 5, .. 75; site 1 moves to 7 and site 14 (the last inner one) to 73. The
// first and last speed columns follow the line between the old sites around each new
// one; the other sites keep their cells, and so do the first and last load rows.
TEST(MapInterp, LoadResamplingOfTheFirstAndLastSpeedColumns) {
  auto m = NewMap();
  m->LoadOptions = 0;
  for (int l = 0; l < 16; ++l) {
    m->MainThrottleSites[l] = static_cast<int16_t>(5 * l);
    m->InjectionTable[1][l + 1] = static_cast<int16_t>(l * l);
    m->InjectionTable[32][l + 1] = static_cast<int16_t>(2 * l * l);
    m->InjectionTable[33][l + 1] = 777;  // beyond the speed columns
  }
  std::array<int, 16> fresh{};
  for (int l = 0; l < 16; ++l) fresh[static_cast<size_t>(l)] = 5 * l;
  fresh[1] = 7;
  fresh[14] = 73;
  const TLoadSiteChange change = ChangeLoadSites(*m, fresh, true);
  struct Cell {
    int col, row, value;
  } cells[] = {
      {1, 2, 2},      // 1 + (4 - 1) x 2 / 5 = 2.2
      {1, 15, 213},   // 196 + (225 - 196) x 3 / 5 = 213.4
      {32, 2, 4},     // 2 + 6 x 2 / 5 = 4.4
      {32, 15, 427},  // 392 + 58 x 3 / 5 = 426.8
      {1, 1, 0},      {1, 16, 225}, {1, 14, 169}, {32, 1, 0}, {32, 16, 450}, {32, 14, 338},
  };
  for (const Cell& c : cells) EXPECT_EQ(m->InjectionTable[c.col][c.row], c.value) << c.col << "," << c.row;
  for (int l = 1; l <= 16; ++l) EXPECT_EQ(m->InjectionTable[33][l], 777);
  EXPECT_EQ(m->MainThrottleSites[14], 73);
  const auto has = [&](int col, int row, int from, int to) {
    return std::any_of(change.Injection.begin(), change.Injection.end(), [&](const TCellWrite& w) {
      return w.Col == col && w.Row == row && w.OldValue == from && w.NewValue == to;
    });
  };
  EXPECT_TRUE(has(1, 15, 196, 213));
  EXPECT_TRUE(has(32, 15, 392, 427));
  EXPECT_TRUE(has(32, 2, 2, 4));
}

// The cranking table's rows lie at the five turn positions, row 0 at the first of them
// (here 1 turn, not 0), row 4 at the last.
TEST(MapInterp, CrankingRowsLieAtTheirTurnPositions) {
  auto m = NewMap();
  const int turns[5] = {1, 2, 4, 8, 16};
  for (int r = 0; r < 5; ++r) m->CrankTurns[r] = static_cast<int16_t>(turns[r]);
  m->CrankingTable[5][0] = 10;
  m->CrankingTable[5][4] = 160;
  // Span 15 turns, rise 150: 1, 3 and 7 turns past row 0 give 10, 30 and 70 more.
  const TCellWrites w = MapInterpCol(*m, TableId::Cranking, 5, 0, 4);
  EXPECT_EQ(w, (TCellWrites{{5, 1, 0, 20}, {5, 2, 0, 40}, {5, 3, 0, 80}}));
}

// Every way a column run is written (alone, a block by columns, a block by corners) stays
// inside its block: with every word of the table set, only the block's inner rows change,
// also when the block starts at the table's first row.
TEST(MapInterp, ColumnRunsWriteNothingOutsideTheBlock) {
  struct Case {
    TableId id;
    TCellRect block;
    TInterpMode mode;
  } cases[] = {
      {TableId::Cranking, {3, 0, 4, 4}, TInterpMode::Columns},
      {TableId::Cranking, {1, 0, 2, 3}, TInterpMode::Corners},
      {TableId::Ignition, {2, 3, 3, 7}, TInterpMode::Columns},
      {TableId::Injection, {1, 1, 2, 5}, TInterpMode::Corners},
  };
  for (const Case& c : cases) {
    auto m = NewMap();
    for (int r = 0; r < 5; ++r) m->CrankTurns[r] = static_cast<int16_t>(r + 1);
    for (int l = 0; l < 16; ++l) m->MainThrottleSites[l] = static_cast<int16_t>(6 * l);
    TMainTable& t = TableWords(*m, c.id);
    for (int col = 0; col < 34; ++col)
      for (int row = 0; row < 17; ++row) t[col][row] = static_cast<int16_t>(3 * col + 5 * row + 1);
    TMainTable before;
    std::copy(&t[0][0], &t[0][0] + 34 * 17, &before[0][0]);
    // The block's own corners differ from the pattern's straight line, so its inner cells do change.
    t[c.block.Left][c.block.Bottom] = 40;
    t[c.block.Right][c.block.Bottom] = 50;
    before[c.block.Left][c.block.Bottom] = 40;
    before[c.block.Right][c.block.Bottom] = 50;
    const TCellWrites w = MapInterpolate(*m, c.id, c.block, c.mode);
    EXPECT_FALSE(w.empty());
    for (int col = 0; col < 34; ++col)
      for (int row = 0; row < 17; ++row) {
        const bool inner = col >= c.block.Left && col <= c.block.Right && row > c.block.Top && row < c.block.Bottom;
        if (!inner) {
          EXPECT_EQ(t[col][row], before[col][row]) << TableInfo(c.id).GridName << " cell " << col << "," << row;
        }
      }
    for (const TCellWrite& cw : w)
      EXPECT_TRUE(cw.Row > c.block.Top && cw.Row < c.block.Bottom) << cw.Col << "," << cw.Row;
  }
  // The same for a single column run that starts at row 0.
  auto m = NewMap();
  for (int r = 0; r < 5; ++r) m->CrankTurns[r] = static_cast<int16_t>(r + 1);
  for (int col = 0; col < 34; ++col)
    for (int row = 0; row < 17; ++row) m->CrankingTable[col][row] = 9;
  m->CrankingTable[7][0] = 0;
  m->CrankingTable[7][2] = 100;
  EXPECT_EQ(MapInterpCol(*m, TableId::Cranking, 7, 0, 2), (TCellWrites{{7, 1, 9, 50}}));
  for (int col = 0; col < 34; ++col)
    for (int row = 0; row < 17; ++row)
      if (col != 7 || row > 2) {
        EXPECT_EQ(m->CrankingTable[col][row], 9) << col << "," << row;
      }
}

// A new load site below old site 1 lies on the line through old sites 0 and 1, also below
// old site 0 (extended). The first and last load rows keep their cells even when their
// sites move. Halves go to even.
TEST(MapInterp, LoadResamplingBelowTheSecondOldSite) {
  auto m = NewMap();
  m->LoadOptions = 0;
  for (int l = 0; l < 16; ++l) {
    m->MainThrottleSites[l] = static_cast<int16_t>(10 * (l + 1));  // 10, 20 .. 160
    m->InjectionTable[5][l + 1] = static_cast<int16_t>(50 + 10 * l);
  }
  m->InjectionTable[5][1] = 40;  // load site 0
  m->InjectionTable[5][2] = 65;  // load site 1: 2.5 a step between sites 0 and 1
  std::array<int, 16> fresh{};
  for (int l = 0; l < 16; ++l) fresh[static_cast<size_t>(l)] = 10 * (l + 1);
  fresh[0] = 0;    // moved, its row keeps 40
  fresh[1] = 5;    // below old site 0: 40 + 25 x (5 - 10) / 10 = 27.5 -> 28
  fresh[2] = 11;   // between old sites 0 and 1: 40 + 25 x 1 / 10 = 42.5 -> 42
  fresh[15] = 200; // moved, its row keeps 200
  const TLoadSiteChange change = ChangeLoadSites(*m, fresh, true);
  std::vector<int> column;
  for (int row = 1; row <= 16; ++row) column.push_back(m->InjectionTable[5][row]);
  EXPECT_EQ(column, (std::vector<int>{40, 28, 42, 80, 90, 100, 110, 120, 130, 140, 150, 160, 170, 180, 190, 200}));
  EXPECT_EQ(change.Injection, (TCellWrites{{5, 2, 65, 28}, {5, 3, 70, 42}}));
  for (int l = 0; l < 16; ++l) EXPECT_EQ(m->MainThrottleSites[l], fresh[static_cast<size_t>(l)]);
}

}  // namespace

// A temperature sender's curve: x in hundredths of a volt, y in degrees.
TEST(AuxInterp, ReadingsBelowOnAndBetweenThePoints) {
  const std::array<int32_t, 6> x{50, 100, 200, 300, 400, 450};
  const std::array<int32_t, 6> y{-40, -10, 20, 60, 100, 150};
  struct Case {
    int raw, expected;
  } cases[] = {
      {0, -40},    {102, -40},  // 0.49 V: below the first point
      {1022, 150}, {1023, 150}, // 4.99 V and 5.00 V: above the last point
      // On each point (the raw readings that truncate to 50, 100 ... 450 hundredths).
      {103, -40}, {205, -10}, {410, 20}, {614, 60}, {819, 100}, {921, 150},
      // 300 -> 146.6, truncated to 146: -10 + 46 x 30 / 100 = 3.8, truncated to 3.
      {300, 3},
      // 150 -> 73.3, truncated to 73: -40 + 23 x 30 / 50 = -26.2, truncated toward zero.
      {150, -26},
      // 700 -> 342.1, truncated to 342: 60 + 42 x 40 / 100 = 76.8.
      {700, 76},
  };
  for (const Case& c : cases) EXPECT_EQ(AuxInterp(x, c.raw, y), c.expected) << "raw " << c.raw;
}

TEST(AuxInterp, EqualNeighbouringPointsGiveTheLowerPointsValue) {
  const std::array<int32_t, 6> x{100, 100, 200, 300, 300, 450};
  const std::array<int32_t, 6> y{5, 7, 9, 11, 13, 15};
  EXPECT_EQ(AuxInterp(x, 205, y), 5);   // exactly on the doubled first point
  EXPECT_EQ(AuxInterp(x, 614, y), 11);  // on the doubled inner point: the line below it ends there
  // A line across the whole int range (its products pass 2^63) still gives the point on it.
  const std::array<int32_t, 6> wide{INT32_MIN, INT32_MAX, INT32_MAX, INT32_MAX, INT32_MAX, INT32_MAX};
  EXPECT_EQ(AuxInterp(wide, 1023, wide), 500);
  EXPECT_EQ(AuxInterp(wide, 0, wide), 0);
}

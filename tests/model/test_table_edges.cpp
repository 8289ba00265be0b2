// Edges of the table edits: the last column of a block, negative halves, the first and
// last map cell of each table, and the words just past a small table.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <memory>
#include <vector>

#include "model/AdditionalTables.h"
#include "model/MapInterp.h"
#include "platform/rtl/SysUtils.h"

namespace {

std::unique_ptr<TMapRecord> NewMap() {
  auto m = std::make_unique<TMapRecord>();
  m->Clear();
  return m;
}

TRowPositions EvenRows() {
  TRowPositions p{};
  for (int r = 0; r < 17; ++r) p[r] = 10 * r;
  return p;
}

}  // namespace

TEST(TableEdges, EveryColumnOfABlockIsInterpolatedUpToTheLast) {
  for (const TInterpMode mode : {TInterpMode::Columns, TInterpMode::Corners}) {
    auto m = NewMap();
    TMainTable& t = m->InjectionTable;
    // Block columns 4..7, rows 2..4; each column runs from 10 x c to 10 x c + 40.
    for (int c = 4; c <= 7; ++c) {
      t[c][2] = static_cast<int16_t>(10 * c);
      t[c][3] = 1;
      t[c][4] = static_cast<int16_t>(10 * c + 40);
    }
    t[8][3] = 1;  // beside the block
    MapInterpolate(t, {4, 2, 7, 4}, mode, 255, EvenRows());
    for (int c = 4; c <= 7; ++c) EXPECT_EQ(t[c][3], 10 * c + 20) << "column " << c << " mode " << int(mode);
    EXPECT_EQ(t[8][3], 1);
  }
  // Rows mode: the last row of the block too.
  auto m = NewMap();
  TMainTable& t = m->InjectionTable;
  for (int r = 2; r <= 4; ++r) {
    t[4][r] = static_cast<int16_t>(10 * r);
    t[5][r] = 1;
    t[6][r] = static_cast<int16_t>(10 * r + 40);
  }
  MapInterpolate(t, {4, 2, 6, 4}, TInterpMode::Rows, 255, EvenRows());
  for (int r = 2; r <= 4; ++r) EXPECT_EQ(t[5][r], 10 * r + 20) << "row " << r;
}

TEST(TableEdges, NegativeHalvesRoundToEven) {
  // Retard cells re-sampled half way between two speed sites: x.5 goes to the even neighbour.
  struct Case {
    int left, right, newSite, expected;
  } cases[] = {
      {-5, -2, 500, -4},  // -3.5
      {-5, -4, 500, -4},  // -4.5
      {-1, 0, 500, 0},    // -0.5
      {-3, 0, 500, -2},   // -1.5
      {-3, 0, 250, -2},   // -2.25
      {-3, 0, 750, -1},   // -0.75
      {3, 0, 500, 2},     // 1.5
  };
  for (const Case& c : cases) {
    auto m = NewMap();
    for (int i = 0; i <= 32; ++i) m->SpeedSites[i] = static_cast<uint16_t>(1000 * i);
    for (int l = 1; l <= 16; ++l) {
      m->IgnitionTable[1][l] = static_cast<int16_t>(c.left);
      m->IgnitionTable[2][l] = static_cast<int16_t>(c.right);
    }
    std::array<int, 32> sites{};
    for (int i = 0; i < 32; ++i) sites[i] = 1000 * i;
    sites[1] = c.newSite;
    ChangeSpeedSites(*m, sites, true);
    EXPECT_EQ(m->IgnitionTable[2][1], c.expected) << c.left << " .. " << c.right << " at " << c.newSite;
    EXPECT_EQ(m->IgnitionTable[2][16], c.expected);
  }
  // Folding a -50 % correction into the injection: the changes -1.5, -2.5 and -3.5 become
  // -2, -2 and -4.
  const std::pair<int, int> folds[] = {{3, 1}, {5, 3}, {7, 3}};
  for (auto [cell, result] : folds) {
    auto m = NewMap();
    m->InjectionTable[1][1] = static_cast<int16_t>(cell);
    m->AFRCorrectionTable[1][1] = -8192;  // -50 %
    ApplyCorrections(*m, {1, 1, 1, 1}, false);
    EXPECT_EQ(m->InjectionTable[1][1], result) << cell;
  }
}

TEST(TableEdges, TableRunsStayWithinTheTablesMapCells) {
  using Op = std::function<void(TMapRecord&, TableId, int col, int row)>;
  const std::pair<const char*, Op> ops[] = {
      {"row", [](TMapRecord& m, TableId id, int c, int r) { MapInterpRow(m, id, r, c == 1 ? 1 : c - 2, c); }},
      {"row from", [](TMapRecord& m, TableId id, int c, int r) { MapInterpRow(m, id, r, c, c + 2 > 33 ? 33 : c + 2); }},
      {"column", [](TMapRecord& m, TableId id, int c, int r) { MapInterpCol(m, id, c, r, r); }},
      {"block", [](TMapRecord& m, TableId id, int c, int r) { MapInterpolate(m, id, {c, r, c, r}, TInterpMode::Corners); }},
      {"block op", [](TMapRecord& m, TableId id, int c, int r) { ApplyBlockOperation(m, id, {c, r, c, r}, TBlockOp::Add, 0); }},
  };
  struct Bounds {
    TableId id;
    int firstCol, lastCol, firstRow, lastRow;
  } tables[] = {
      {TableId::Ignition, 1, 32, 1, 16},
      {TableId::Injection, 1, 32, 1, 16},
      {TableId::AFRTarget, 1, 32, 1, 16},
      {TableId::AFRCorrection, 1, 32, 1, 16},
      {TableId::Cranking, 1, 14, 0, 4},
  };
  auto m = NewMap();
  for (const auto& [name, op] : ops) {
    for (const Bounds& b : tables) {
      SCOPED_TRACE(::testing::Message() << name << " in table " << int(b.id));
      if (std::string(name) != "row from") {
        EXPECT_NO_THROW(op(*m, b.id, b.lastCol, b.lastRow));
      }
      EXPECT_NO_THROW(op(*m, b.id, b.firstCol, b.firstRow));
      EXPECT_THROW(op(*m, b.id, b.lastCol + 1, b.firstRow), ERangeError);
      EXPECT_THROW(op(*m, b.id, b.firstCol - 1, b.firstRow), ERangeError);
      EXPECT_THROW(op(*m, b.id, b.firstCol, b.lastRow + 1), ERangeError);
      EXPECT_THROW(op(*m, b.id, b.firstCol, b.firstRow - 1), ERangeError);
    }
  }
}

TEST(TableEdges, StepsNeverReachPastASmallTable) {
  // A small table is a span inside the record: an index at or past its end, or below 0,
  // must leave the words around it alone.
  le::I16 words[7];
  for (le::I16& w : words) w = 5;
  const std::span<le::I16> table(words + 2, 3);
  const int cells[] = {-1, 0, 2, 3, 4};
  EXPECT_EQ(StepWords(table, cells, 1, 0, 100, true), std::vector<int>({0, 2}));
  EXPECT_EQ(StepWords(table, cells, 1, 0, 100, false), std::vector<int>({0, 2}));
  const int expected[7] = {5, 5, 7, 5, 7, 5, 5};
  for (int i = 0; i < 7; ++i) EXPECT_EQ(words[i], expected[i]) << i;
}

TEST(TableEdges, EachAdditionalTableTakesTheAxisOfItsOwnOptionBit) {
  struct Axis {
    TAddTableId id;
    int bit, throttle, map;
  } axes[] = {
      {TAddTableId::UserPWM, 1, 13274, 13614},
      {TAddTableId::CoilOn, 2, 13342, 13682},
      {TAddTableId::VVT, 3, 13410, 13750},
      {TAddTableId::InjTiming, 5, 13478, 13818},
  };
  auto setWord = [](TMapRecord& m, int at, int v) {
    m.Bytes()[at] = static_cast<uint8_t>(v & 0xFF);
    m.Bytes()[at + 1] = static_cast<uint8_t>((v >> 8) & 0xFF);
  };
  for (const Axis& a : axes) {
    auto m = NewMap();
    for (int i = 0; i < 5; ++i) {
      setWord(*m, a.throttle + 2 * i, 3 + 7 * i);
      setWord(*m, a.map + 2 * i, 100 + 11 * i);
      setWord(*m, 14158 + 2 * i, 50 + i);  // the boost load list
    }
    for (const bool mapAxis : {false, true}) {
      m->LoadOptions = static_cast<int16_t>(mapAxis ? 1 << a.bit : 0x3F & ~(1 << a.bit));
      const TRowPositions column = AddTableColumnPositions(*m, a.id);
      const TRowPositions block = AddTableBlockPositions(*m, a.id);
      for (int l = 1; l <= 5; ++l) {
        EXPECT_EQ(column[l], mapAxis ? 100 + 11 * (l - 1) : 3 + 7 * (l - 1)) << int(a.id) << " row " << l;
        EXPECT_EQ(block[l], 3 + 7 * (l - 1)) << int(a.id) << " row " << l;
      }
    }
  }
  // The boost tables have one axis whatever the bits say.
  auto m = NewMap();
  for (int i = 0; i < 5; ++i) m->BoostLoadList[i] = static_cast<int16_t>(25 * i);
  m->LoadOptions = 0x3F;
  for (const TAddTableId id : {TAddTableId::BoostPWM, TAddTableId::BoostTarget})
    for (int l = 1; l <= 5; ++l) {
      EXPECT_EQ(AddTableColumnPositions(*m, id)[l], 25 * (l - 1));
      EXPECT_EQ(AddTableBlockPositions(*m, id)[l], 25 * (l - 1));
    }
}

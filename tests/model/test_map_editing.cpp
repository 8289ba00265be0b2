#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>

#include "model/MapEditing.h"
#include "model/MapImage.h"
#include "platform/rtl/SysUtils.h"

namespace {

std::unique_ptr<TMapRecord> NewMap() {
  auto m = std::make_unique<TMapRecord>();
  m->Clear();
  return m;
}

struct BlockCase {
  TableId Table;
  int Start;
  TBlockOp Op;
  int Value;
  int Expected;
};

TEST(MapEditing, BlockOperationsKeepTheTableLimits) {
  const BlockCase cases[] = {
      {TableId::Injection, 200, TBlockOp::Increase, 50, 255},   // 300 capped
      {TableId::Injection, 10, TBlockOp::Decrease, 150, 0},     // -5 raised to the minimum
      {TableId::Ignition, -20, TBlockOp::Increase, 10, -22},    // percent of a negative cell
      {TableId::Ignition, -50, TBlockOp::Increase, 50, -50},    // -75 kept at the minimum
      {TableId::Ignition, 50, TBlockOp::Increase, 50, 60},
      {TableId::AFRCorrection, -16000, TBlockOp::Decrease, 255, 16384},  // 24800 capped
      {TableId::Injection, 7, TBlockOp::Increase, 10, 7},       // 0.7 truncated away
      {TableId::Injection, 250, TBlockOp::Add, 10, 255},
      {TableId::Ignition, -45, TBlockOp::Subtract, 10, -50},
      {TableId::Ignition, 55, TBlockOp::Subtract, -20, 75},     // Subtract has no upper bound
      {TableId::Ignition, -45, TBlockOp::Add, -20, -65},        // Add has no lower bound
      {TableId::AFRCorrection, -16384, TBlockOp::Add, -30000, -32768},  // stays in the word
      {TableId::AFRTarget, 147, TBlockOp::Fill, 200, 180},
      {TableId::AFRTarget, 147, TBlockOp::Fill, 50, 90},
  };
  for (const BlockCase& c : cases) {
    auto m = NewMap();
    TMainTable& t = TableWords(*m, c.Table);
    t[3][4] = static_cast<int16_t>(c.Start);
    const TCellWrites w = ApplyBlockOperation(*m, c.Table, {3, 4, 3, 4}, c.Op, c.Value);
    SCOPED_TRACE(::testing::Message() << TableInfo(c.Table).GridName << " " << c.Start << " op "
                                      << static_cast<int>(c.Op) << " " << c.Value);
    EXPECT_EQ(t[3][4], c.Expected);
    ASSERT_EQ(w.size(), 1u);
    EXPECT_EQ(w[0], (TCellWrite{3, 4, c.Start, c.Expected}));
  }
}

TEST(MapEditing, BlockWritesEveryCellOfTheBlockAndNothingElse) {
  auto m = NewMap();
  const TCellWrites w =
      ApplyBlockOperation(*m, TableId::Injection, {2, 3, 4, 5}, TBlockOp::Fill, 9);
  EXPECT_EQ(w.size(), 9u);
  for (int s = 1; s <= 32; ++s)
    for (int l = 1; l <= 16; ++l)
      EXPECT_EQ(m->InjectionTable[s][l], (s >= 2 && s <= 4 && l >= 3 && l <= 5) ? 9 : 0);
}

TEST(MapEditing, CrankingAddZeroesTheLastTurnRow) {
  auto m = NewMap();
  for (int r = 0; r <= 4; ++r) m->CrankingTable[2][r] = 100;
  StepCells(*m, TableId::Cranking, {2, 3, 2, 4}, true);
  EXPECT_EQ(m->CrankingTable[2][3], 101);
  EXPECT_EQ(m->CrankingTable[2][4], 0);
  StepCells(*m, TableId::Cranking, {2, 0, 2, 0}, false);
  EXPECT_EQ(m->CrankingTable[2][0], 99);
}

// The ECU takes a cranking cell as one byte (the low 8 bits of the word), so every edit
// keeps the cells within 0..255: a larger word would reach the ECU as another number.
TEST(MapEditing, CrankingCellsStayWithinOneByte) {
  struct Case {
    int start;
    TBlockOp op;
    int value;
    int row;
    int expected;
  };
  const Case cases[] = {
      {0, TBlockOp::Fill, 300, 0, 255},   {0, TBlockOp::Fill, 256, 1, 255},   {0, TBlockOp::Fill, 255, 2, 255},
      {9, TBlockOp::Fill, -1, 3, 0},      {250, TBlockOp::Add, 10, 0, 255},   {255, TBlockOp::Add, 1, 3, 255},
      {200, TBlockOp::Increase, 50, 1, 255}, {5, TBlockOp::Subtract, 10, 2, 0}, {250, TBlockOp::Add, 10, 4, 0},
      {100, TBlockOp::Decrease, 200, 0, 0},
  };
  for (const Case& c : cases) {
    auto m = NewMap();
    m->CrankingTable[14][c.row] = static_cast<int16_t>(c.start);
    ApplyBlockOperation(*m, TableId::Cranking, {14, c.row, 14, c.row}, c.op, c.value);
    EXPECT_EQ(m->CrankingTable[14][c.row], c.expected)
        << c.start << " op " << static_cast<int>(c.op) << " " << c.value << " row " << c.row;
  }
  // The "+" key at the top stays there, and the image carries the byte FF.
  auto m = NewMap();
  m->CrankingTable[14][3] = 254;
  StepCells(*m, TableId::Cranking, {14, 3, 14, 3}, true);
  StepCells(*m, TableId::Cranking, {14, 3, 14, 3}, true);
  EXPECT_EQ(m->CrankingTable[14][3], 255);
  ApplyBlockOperation(*m, TableId::Cranking, {1, 0, 1, 0}, TBlockOp::Fill, 1000);
  const ecu::MapImage image = ecu::EncodeMapImage(*m);
  EXPECT_EQ(image[4072 + 3 * 14 + 13], 0xFF);  // column 14, row 3
  EXPECT_EQ(image[4072 + 0 * 14 + 0], 0xFF);   // column 1, row 0
}

TEST(MapEditing, StepsUseEachTablesStep) {
  auto m = NewMap();
  StepCells(*m, TableId::AFRCorrection, {1, 1, 1, 1}, true);
  StepCells(*m, TableId::AFRTarget, {1, 1, 1, 1}, false);
  EXPECT_EQ(m->AFRCorrectionTable[1][1], 32);
  EXPECT_EQ(m->AFRTargetTable[1][1], 90);  // 0 - 1 raised to the minimum
}

TEST(MapEditing, AFRModesStopAtTheirEnds) {
  auto m = NewMap();
  m->AFRModeTable[1][1] = 2;
  m->AFRModeTable[2][1] = 1;
  StepAFRModes(*m, {1, 1, 3, 1}, true);
  EXPECT_EQ(m->AFRModeTable[1][1], 2);
  EXPECT_EQ(m->AFRModeTable[2][1], 2);
  EXPECT_EQ(m->AFRModeTable[3][1], 1);
  m->AFRModeTable[3][1] = 0;
  StepAFRModes(*m, {3, 1, 3, 1}, false);
  EXPECT_EQ(m->AFRModeTable[3][1], 0);
}

// What each main-window table offers: the "+" / "-" step and how many of the block
// dialog's operations (Fill, Add, Subtract, Increase, Decrease) it lists.
TEST(MapEditing, EachTableHasItsStepAndBlockOperations) {
  struct Case {
    TableId id;
    int start, up, down;
    int operations;
  } cases[] = {
      {TableId::Ignition, 10, 11, 9, 3},         // Fill, Add, Subtract
      {TableId::Injection, 100, 101, 99, 5},
      {TableId::AFRTarget, 147, 148, 146, 5},
      {TableId::AFRCorrection, 1000, 1032, 968, 5},
      {TableId::Cranking, 100, 101, 99, 0},      // no block dialog
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(TableInfo(c.id).GridName);
    auto m = NewMap();
    TMainTable& t = TableWords(*m, c.id);
    t[2][2] = static_cast<int16_t>(c.start);
    EXPECT_EQ(StepCells(*m, c.id, {2, 2, 2, 2}, true), (TCellWrites{{2, 2, c.start, c.up}}));
    t[2][2] = static_cast<int16_t>(c.start);
    EXPECT_EQ(StepCells(*m, c.id, {2, 2, 2, 2}, false), (TCellWrites{{2, 2, c.start, c.down}}));
    EXPECT_EQ(TableInfo(c.id).BlockOperations, c.operations);
  }
}

// The mode keys work on the speed sites 1..32 by load sites 1..16 only: a block that
// reaches beyond them, or is reversed, is refused and no mode byte changes.
TEST(MapEditing, AFRModeStepRefusesBlocksOutsideTheTable) {
  auto m = NewMap();
  for (int c = 0; c < 34; ++c)
    for (int r = 0; r < 17; ++r) m->AFRModeTable[c][r] = 1;
  const TMapRecord before = *m;
  const TCellRect bad[] = {{0, 1, 1, 1},   {1, 0, 1, 1},   {32, 16, 33, 16}, {32, 16, 32, 17},
                           {2, 1, 1, 1},   {1, 2, 1, 1},   {33, 1, 33, 1},   {-1, 1, 1, 1}};
  for (const TCellRect& r : bad) {
    for (const bool up : {true, false}) {
      EXPECT_THROW(StepAFRModes(*m, r, up), ERangeError) << r.Left << "," << r.Top << " .. " << r.Right << "," << r.Bottom;
      EXPECT_EQ(std::memcmp(m->Bytes(), before.Bytes(), kMapRecordSize), 0);
    }
  }
  // The whole table is a block it takes: every map cell moves, the rest stays.
  EXPECT_EQ(StepAFRModes(*m, {1, 1, 32, 16}, true).size(), 512u);
  for (int c = 0; c < 34; ++c)
    for (int r = 0; r < 17; ++r)
      EXPECT_EQ(m->AFRModeTable[c][r], (c >= 1 && c <= 32 && r >= 1) ? 2 : 1) << c << "," << r;
}

TEST(MapEditing, BadBlocksAreRefusedBeforeAnyWrite) {
  auto m = NewMap();
  EXPECT_THROW(ApplyBlockOperation(*m, TableId::Injection, {0, 1, 2, 1}, TBlockOp::Fill, 5),
               ERangeError);  // column 0 is not a map cell
  EXPECT_THROW(ApplyBlockOperation(*m, TableId::Injection, {3, 1, 2, 1}, TBlockOp::Fill, 5),
               ERangeError);  // reversed
  EXPECT_THROW(ApplyBlockOperation(*m, TableId::Cranking, {1, 5, 1, 5}, TBlockOp::Add, 5),
               ERangeError);
  EXPECT_EQ(m->InjectionTable[1][1], 0);
  EXPECT_EQ(m->InjectionTable[2][1], 0);
}

TEST(MapEditing, BlockDialogValuesInStoredUnits) {
  EXPECT_EQ(BlockOperationValue(TableId::AFRTarget, TBlockOp::Fill, 12.5), 125);
  EXPECT_EQ(BlockOperationValue(TableId::AFRTarget, TBlockOp::Increase, 12.0), 12);
  EXPECT_EQ(BlockOperationValue(TableId::AFRCorrection, TBlockOp::Add, 50.0), 8192);
  EXPECT_EQ(BlockOperationValue(TableId::AFRCorrection, TBlockOp::Subtract, 1.0), 164);
  EXPECT_EQ(BlockOperationValue(TableId::AFRCorrection, TBlockOp::Decrease, 7.0), 7);
  EXPECT_EQ(BlockOperationValue(TableId::Ignition, TBlockOp::Fill, 12.5), 12);  // half to even
  EXPECT_EQ(BlockOperationValue(TableId::Injection, TBlockOp::Fill, 13.5), 14);
}

TEST(MapEditing, CellEntryOffersAndStoresTheExactValue) {
  auto m = NewMap();
  m->AFRTargetTable[4][2] = 125;
  m->AFRCorrectionTable[4][2] = 8192;
  EXPECT_DOUBLE_EQ(CellEntryValue(*m, TableId::AFRTarget, 4, 2), 12.5);
  EXPECT_DOUBLE_EQ(CellEntryValue(*m, TableId::AFRCorrection, 4, 2), 50.0);

  const double offered = CellEntryValue(*m, TableId::AFRTarget, 4, 2);
  EXPECT_EQ(StoreCellEntry(*m, TableId::AFRTarget, 4, 2, offered), (TCellWrite{4, 2, 125, 125}));
  StoreCellEntry(*m, TableId::AFRTarget, 5, 2, 20.0);
  EXPECT_EQ(m->AFRTargetTable[5][2], 180);
  StoreCellEntry(*m, TableId::AFRCorrection, 5, 2, -100.0);
  EXPECT_EQ(m->AFRCorrectionTable[5][2], -16384);
  StoreCellEntry(*m, TableId::Ignition, 5, 2, -12.0);
  EXPECT_EQ(m->IgnitionTable[5][2], -12);

  EXPECT_THROW(StoreCellEntry(*m, TableId::AFRTarget, 4, 2, std::nan("")), EInvalidOp);
  EXPECT_EQ(m->AFRTargetTable[4][2], 125);
  EXPECT_THROW(StoreCellEntry(*m, TableId::Injection, 33, 1, 5.0), ERangeError);
  EXPECT_THROW(CellEntryValue(*m, TableId::Cranking, 1, 1), ERangeError);
}

AnsiString Bytes(std::initializer_list<int> b) {
  AnsiString s;
  for (int v : b) s.push_back(static_cast<char>(v));
  return s;
}

TEST(MapEditing, LiveCellFrames) {
  // Ignition at speed site 3, load site 5 of bank 2, 10 degrees with a trim of 2.
  EXPECT_EQ(LiveCellFrame(TLiveItem::Ignition, 2, 3, 5, 12, 0),
            Bytes({0x24, 0x69, 0x1D, 0xC3, 0x07, 0x90, 0xFC}));
  // Injection 200 at site 0, load 0 of bank 1: address 1024 + 800.
  EXPECT_EQ(LiveCellFrame(TLiveItem::Injection, 1, 0, 0, 200, 0),
            Bytes({0x24, 0x69, 0x07, 0x20, 0x07, 0xC8, 0x7D}));
  // VVT 150 with the map's offset 100 goes out as 50; bank 3, site 31, row 4.
  const AnsiString vvt = LiveCellFrame(TLiveItem::VVT, 3, 31, 4, 150, 100);
  EXPECT_EQ(vvt.substr(0, 6), Bytes({0x24, 0x69, 0x40, 0x3F, 0x07, 50}));
  // Ignition -60 is byte 0; the frame sums to 0.
  const AnsiString ign = LiveCellFrame(TLiveItem::Ignition, 1, 0, 0, -60, 0);
  EXPECT_EQ(static_cast<uint8_t>(ign[5]), 0);
  int sum = 0;
  for (char ch : ign) sum += static_cast<uint8_t>(ch);
  EXPECT_EQ(sum % 256, 0);

  EXPECT_THROW(LiveCellFrame(TLiveItem::BoostPWM, 1, 0, 5, 1, 0), ERangeError);
  EXPECT_THROW(LiveCellFrame(TLiveItem::Ignition, 1, 32, 0, 1, 0), ERangeError);
  EXPECT_THROW(LiveCellFrame(TLiveItem::Ignition, 4, 0, 0, 1, 0), ERangeError);
}

TEST(MapEditing, LiveCellsStoredIntoThePcMap) {
  auto m = NewMap();
  EXPECT_EQ(StoreLiveCell(*m, TLiveItem::InjPosition, 3, 1, 30), (TCellWrite{4, 2, 0, 120}));
  StoreLiveCell(*m, TLiveItem::VVT, 0, 0, 150);
  StoreLiveCell(*m, TLiveItem::Ignition, 31, 15, -12);
  EXPECT_EQ(m->InjTimingTable[4][2], 120);
  EXPECT_EQ(m->VVTTable[1][1], 150);
  EXPECT_EQ(m->IgnitionTable[32][16], -12);
  EXPECT_THROW(StoreLiveCell(*m, TLiveItem::UserPWM, 0, 5, 1), ERangeError);
}

}  // namespace

#include "model/AdditionalTables.h"

#include <gtest/gtest.h>

#include <cstring>

#include "platform/rtl/SysUtils.h"

#include <cmath>
#include <vector>

namespace {

TMapRecord Blank() {
  TMapRecord m;
  m.Clear();
  return m;
}

TEST(AdditionalTables, BoostPressureEntriesClampAndShowBack) {
  struct Row {
    double typed;
    int unit;
    int stored;
    double shown;
  };
  const Row cut[] = {
      {0.00, 1, 100, 0.00}, {10.0, 1, 655, 5.55}, {1.5, 1, 250, 1.5}, {-3, 1, 100, 0},
      {50, 0, 100, 100},    {700, 0, 655, 655},   {14.5, 2, 200, 14.5},
  };
  for (const Row& r : cut) {
    SCOPED_TRACE(r.typed);
    EXPECT_EQ(BoostCutFromTyped(r.typed, r.unit), r.stored);
    EXPECT_NEAR(BoostCutShown(r.stored, r.unit), r.shown, 1e-9);
  }
  EXPECT_EQ(BoostDifferenceFromTyped(3.0, 1), 255);
  EXPECT_EQ(BoostDifferenceFromTyped(-1, 0), 0);
  EXPECT_EQ(BoostDifferenceFromTyped(0.145, 2), 1);
}

TEST(AdditionalTables, BlockValuesByTableAndUnit) {
  struct Row {
    TAddTableId id;
    TBlockOp op;
    double typed;
    int unit;
    int value;
  };
  const Row rows[] = {
      {TAddTableId::BoostTarget, TBlockOp::Fill, 200, 0, 100},   // kPa absolute
      {TAddTableId::BoostTarget, TBlockOp::Fill, 80, 0, 0},      // never below 0
      {TAddTableId::BoostTarget, TBlockOp::Add, 20, 0, 20},
      {TAddTableId::BoostTarget, TBlockOp::Fill, 1.0, 1, 100},   // bar
      {TAddTableId::BoostTarget, TBlockOp::Add, 1.45, 2, 10},    // psi
      {TAddTableId::BoostTarget, TBlockOp::Increase, 10, 1, 10}, // percent stays percent
      {TAddTableId::BoostPWM, TBlockOp::Fill, 50, 0, 128},
      {TAddTableId::UserPWM, TBlockOp::Decrease, 10, 0, 10},
      {TAddTableId::CoilOn, TBlockOp::Fill, 5.0, 0, 102},
      {TAddTableId::CoilOn, TBlockOp::Increase, 5.0, 0, 5},
      {TAddTableId::InjTiming, TBlockOp::Subtract, 40, 0, 40},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(static_cast<int>(r.id) * 10 + static_cast<int>(r.op));
    EXPECT_EQ(AddTableBlockValue(r.id, r.op, r.typed, r.unit), r.value);
  }
}

TEST(AdditionalTables, TextsAndLimits) {
  TMapRecord m = Blank();
  m.VVTOffset = 200;
  EXPECT_EQ(AddTableLimits(m, TAddTableId::VVT), std::make_pair(200, 455));
  EXPECT_EQ(AddTableLimits(m, TAddTableId::InjTiming), std::make_pair(0, 720));
  EXPECT_EQ(AddTableText(TAddTableId::CoilOn, 255, 0), "12.44");
  EXPECT_EQ(AddTableText(TAddTableId::BoostPWM, 255, 0), "100.0");
  EXPECT_EQ(AddTableText(TAddTableId::BoostTarget, 100, 1), "1.00");
  EXPECT_EQ(AddTableText(TAddTableId::BoostTarget, 100, 0), "200");
  EXPECT_DOUBLE_EQ(AddTableEntryValue(TAddTableId::BoostTarget, 100, 0), 200);
  EXPECT_EQ(AddTableEntryLimits(m, TAddTableId::BoostTarget, 0), std::make_pair(100.0, 355.0));
  EXPECT_EQ(AddTableEntryLimits(m, TAddTableId::BoostTarget, 1), std::make_pair(0.0, 2.55));
  EXPECT_EQ(AddTableEntryLimits(m, TAddTableId::VVT, 0), std::make_pair(200.0, 455.0));
  // The coil entry cannot go past what one byte of the ECU image holds.
  EXPECT_LE(AddTableInfo(TAddTableId::CoilOn).EntryMax * 20.4918, 255.5);
}

TEST(AdditionalTables, AxisPositionsFollowTheOptionBit) {
  TMapRecord m = Blank();
  for (int i = 0; i < 5; ++i) {
    m.AddThrottleSites[axCoilOn][i] = static_cast<int16_t>(10 * i);
    m.AddMAPSites[axCoilOn][i] = static_cast<int16_t>(100 + 50 * i);
    m.BoostLoadList[i] = static_cast<int16_t>(25 * i);
  }
  m.LoadOptions = 4;  // coil on-time on the MAP axis
  EXPECT_EQ(AddTableColumnPositions(m, TAddTableId::CoilOn)[3], 200);
  EXPECT_EQ(AddTableBlockPositions(m, TAddTableId::CoilOn)[3], 20);
  EXPECT_EQ(AddTableColumnPositions(m, TAddTableId::BoostPWM)[5], 100);
}

TEST(InjectionScaling, PowerEstimate) {
  TMapRecord m = Blank();
  EXPECT_EQ(PowerEstimateText(m, 4), "Unable to estimate possible BHP");
  m.InjectorFlow = 440;
  m.RatedPressure = 43.5;
  m.FuelPressure = 43.5;
  EXPECT_EQ(PowerEstimateText(m, 4), "Max fuel flow for approx 352 bhp");
  EXPECT_FALSE(PowerEstimate(m, 0));
  m.InjectorFlow = 990;
  EXPECT_EQ(PowerEstimate(m, 8), 999);
  // 440 cc/min is 43.14 lb/hr; bar and psi give the same estimate.
  m.InjectorFlow = 43;
  m.FlowUnit = 1;
  m.FuelPressure = 3.0;
  m.FuelPressureUnit = 1;
  m.RatedPressure = 3.0;
  m.RatedPressureUnit = 1;
  EXPECT_EQ(PowerEstimate(m, 4), 351);
}

TEST(InjectionScaling, MixedFlowUnitsCompareInOneUnit) {
  // 440 cc/min and 43.14 lb/hr are the same injector: the time base stays.
  const double cc = NormalisedFlow(440, false, 43.5, false);
  const double lb = NormalisedFlow(440 / 10.2, true, 3.0, true);
  EXPECT_NEAR(cc, lb, 0.01 * cc);
  EXPECT_EQ(MSPBForInjectors(61, cc, lb), 61);
  // Twice the flow halves the time base; the result is not limited here.
  EXPECT_EQ(MSPBForInjectors(61, 880, 440), 122);
  EXPECT_EQ(MSPBForInjectors(61, 440 * 4.4, 440), 268);
  EXPECT_EQ(MSPBForPressure(61, 43.5, 43.5 * 4), 30);  // 30.5 to even
  EXPECT_THROW(NormalisedFlow(440, false, 0, false), EZeroDivide);
}

TEST(InjectionScaling, RescaleUsesTheWholeRangeAndClamps) {
  TMapRecord m = Blank();
  EXPECT_FALSE(PlanRescale(m, 61, 200));
  m.InjectionTable[1][1] = 100;
  m.InjectionTable[32][16] = 50;
  const auto plan = PlanRescale(m, 61, 200);
  ASSERT_TRUE(plan);
  EXPECT_DOUBLE_EQ(plan->Factor, 2.0);
  EXPECT_EQ(plan->MSPB, 30);  // 30.5 to even
  const TCellWrites w = RescaleInjection(m, plan->Factor);
  EXPECT_EQ(w.size(), 512u);
  EXPECT_EQ(m.InjectionTable[1][1], 200);
  EXPECT_EQ(m.InjectionTable[32][16], 100);
  // A factor that would push cells past a byte stops them at 255.
  RescaleInjection(m, 2.0);
  EXPECT_EQ(m.InjectionTable[1][1], 255);
}

TEST(AdditionalTables, StepWordsSkipsOrClamps) {
  le::I16 w[4];
  w[0] = 9;
  w[1] = 10;
  w[2] = -10;
  w[3] = 0;
  const std::vector<int> cells = {0, 1, 2};
  EXPECT_EQ(StepWords(w, cells, 1, -10, 10, true), std::vector<int>({0, 2}));
  EXPECT_EQ(w[1], 10);
  EXPECT_EQ(StepWords(w, cells, -50, -10, 10, false), std::vector<int>({0, 1, 2}));
  EXPECT_EQ(w[0], -10);
  EXPECT_EQ(w[3], 0);
}

// The largest cell in the last speed column sets the factor: all 50 but 100 at speed
// site 31, load site 15; a target of 200 doubles every cell and halves the time base.
TEST(InjectionScaling, RescaleFindsTheLargestCellInTheLastSpeedColumn) {
  TMapRecord m = Blank();
  for (int s = 1; s <= 32; ++s)
    for (int l = 1; l <= 16; ++l) m.InjectionTable[s][l] = 50;
  m.InjectionTable[32][16] = 100;
  m.InjectionTable[33][16] = 250;  // not a cell of the map
  const auto plan = PlanRescale(m, 60, 200);
  ASSERT_TRUE(plan);
  EXPECT_EQ(plan->Largest, 100);
  EXPECT_DOUBLE_EQ(plan->Factor, 2.0);
  EXPECT_EQ(plan->MSPB, 30);
  RescaleInjection(m, plan->Factor);
  EXPECT_EQ(m.InjectionTable[32][16], 200);
  EXPECT_EQ(m.InjectionTable[32][1], 100);
  EXPECT_EQ(m.InjectionTable[1][1], 100);
  EXPECT_EQ(m.InjectionTable[33][16], 250);
}

// The pressure the injectors run at is the double at 16896 (unit flag 16916), the one
// their flow is rated at the double at 16904 (unit flag 16920): 440 cc/min rated at
// 43.5 psi and run at 58 psi feeds 4 x 440 x sqrt(58 / 43.5) / 5 = 406.4 bhp.
TEST(InjectionScaling, EstimateReadsEachPressureAtItsOwnOffset) {
  TMapRecord m = Blank();
  uint8_t* b = m.Bytes();
  const double run = 58.0, rated = 43.5;
  const int32_t flow = 440, zero = 0, bar = 1;
  std::memcpy(b + 16892, &flow, 4);
  std::memcpy(b + 16896, &run, 8);
  std::memcpy(b + 16904, &rated, 8);
  for (int at : {16912, 16916, 16920}) std::memcpy(b + at, &zero, 4);
  EXPECT_EQ(PowerEstimate(m, 4), 406);
  // The rated pressure given in bar (3.0 bar = 43.51 psi) changes only its own reading.
  const double ratedBar = 3.0;
  std::memcpy(b + 16904, &ratedBar, 8);
  std::memcpy(b + 16920, &bar, 4);
  EXPECT_EQ(PowerEstimate(m, 4), 406);
  std::memcpy(b + 16916, &bar, 4);  // now 58 bar: far past the cap
  EXPECT_EQ(PowerEstimate(m, 4), 999);
}

}  // namespace

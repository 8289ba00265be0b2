#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "model/MapRecord.h"
#include "platform/rtl/SysUtils.h"

namespace {

int Word(const TMapRecord& m, size_t ofs) {
  return static_cast<int16_t>(m.Bytes()[ofs] | (m.Bytes()[ofs + 1] << 8));
}

std::unique_ptr<TMapRecord> NewMap() {
  auto m = std::make_unique<TMapRecord>();
  m->Clear();
  return m;
}

TEST(MapRecord, FieldsLandOnTheirFileOffsetsLittleEndian) {
  auto m = NewMap();
  m->IgnitionTable[1][1] = 0x1234;
  m->IgnitionTable[32][16] = -2;
  m->AFRModeTable[1][1] = 2;
  m->CylinderTrim(0, 1) = 0x0101;
  m->CylinderTrim(5, 16) = 0x0203;
  m->CrankingTable[14][4] = 77;
  m->SpeedSites[32] = 60000;
  m->InjectorFlow = 0x01020304;
  m->FuelPressure = 3.0;
  m->MAPCompValue4[0] = -5;
  m->BaroCompPressure[20] = 1000;

  const uint8_t* b = m->Bytes();
  EXPECT_EQ(b[548], 0x34);
  EXPECT_EQ(b[549], 0x12);
  EXPECT_EQ(Word(*m, 1632), -2);
  EXPECT_EQ(b[17104], 2);
  EXPECT_EQ(Word(*m, 16432 + 2), 0x0101);
  EXPECT_EQ(Word(*m, 16432 + 32 * 5 + 32), 0x0203);
  EXPECT_EQ(Word(*m, 15132 + 34 * 14 + 8), 77);
  EXPECT_EQ(b[14154], 60000 & 0xFF);
  EXPECT_EQ(b[14155], 60000 >> 8);
  const uint8_t flow[4] = {4, 3, 2, 1};
  EXPECT_EQ(std::memcmp(b + 16892, flow, 4), 0);
  const uint8_t three[8] = {0, 0, 0, 0, 0, 0, 8, 0x40};  // IEEE 3.0
  EXPECT_EQ(std::memcmp(b + 16896, three, 8), 0);
  EXPECT_EQ(b[17666], 0xFB);
  EXPECT_EQ(Word(*m, 17700 + 40), 1000);
  // Reading back goes through the same bytes.
  EXPECT_EQ(m->IgnitionTable[1][1], 0x1234);
  EXPECT_EQ(m->SpeedSites[32], 60000);
  EXPECT_DOUBLE_EQ(m->FuelPressure, 3.0);
}

TEST(MapRecord, ShortStringsCutAndClampTheirLength) {
  auto m = NewMap();
  m->MapName.Set(AnsiString(40, 'x'));
  EXPECT_EQ(m->Bytes()[1], 32);
  EXPECT_EQ(m->MapName.Get().size(), 32u);
  m->Date.Set("01/02/03");
  EXPECT_EQ(m->Bytes()[34], 8);
  EXPECT_EQ(std::memcmp(m->Bytes() + 35, "01/02/03", 8), 0);
  // A length byte from a file larger than the field reads only the field.
  m->Bytes()[34] = 200;
  EXPECT_EQ(m->Date.Get().size(), 10u);
}

TEST(MapRecord, SlotsAreNumberedOneToThree) {
  EXPECT_THROW(MapSlots[0], ERangeError);
  EXPECT_THROW(MapSlots[4], ERangeError);
  MapSlots[1].Clear();
  EXPECT_FALSE(MapSlots.Present(1));
  MapSlots[1].Source = 1;
  EXPECT_TRUE(MapSlots.Present(1));
  MapSlots[1].Clear();
}

TEST(MapRecord, FirstActivationDefaults) {
  auto m = NewMap();
  SetMapSpeedSiteAndLimitDefaults(*m, 250);
  SetMapAdditionalDefaults(*m);
  SetMapBaroDefaults(*m);
  SetMapBoostLoadDefaults(*m);
  SetMapMainDefaults(*m);
  SetMapBattCompDefaults(*m);

  EXPECT_EQ(m->SpeedSites[0], 0);
  EXPECT_EQ(m->SpeedSites[1], 500);
  EXPECT_EQ(m->SpeedSites[2], 750);
  EXPECT_EQ(m->SpeedSites[32], 8250);
  EXPECT_EQ(SpeedSiteList[32], 8250);
  EXPECT_EQ(Word(*m, 16970), 355);
  EXPECT_EQ(m->Bytes()[16964], 255);
  EXPECT_EQ(Word(*m, 14592 + 26), 255);

  EXPECT_EQ(m->AFRTargetTable[1][1], 125);
  EXPECT_EQ(m->AFRTargetTable[32][16], 125);
  EXPECT_EQ(m->AFRTargetTable[0][0], 0);  // not a cell
  EXPECT_EQ(m->InjTimingTable[32][5], 316);
  EXPECT_EQ(m->InjTimingTable[32][6], 0);
  EXPECT_EQ(m->VVTTable[1][1], 200);
  EXPECT_EQ(m->AddMAPSites[axFifth][4], 200);
  EXPECT_EQ(Word(*m, 13614 + 68 * 4 + 8), 200);
  EXPECT_DOUBLE_EQ(m->RatedPressure, 2.7);
  EXPECT_EQ(m->MSPB, 61);

  const int throttle[16] = {0, 3, 6, 12, 19, 25, 31, 38, 44, 50, 57, 65, 72, 79, 86, 94};
  for (int i = 0; i < 16; ++i) {
    EXPECT_EQ(m->MainThrottleSites[i], throttle[i]);
    EXPECT_EQ(m->MainMAPSites[i], Round(30 + 4.667 * i));
  }
  EXPECT_EQ(m->CrankTurns[4], 100);
  EXPECT_EQ(m->VTECOffThrottle, 33);
  EXPECT_EQ(Word(*m, 17700 + 2), 1000);

  const int batt[10] = {118, 105, 92, 79, 66, 52, 39, 26, 13, 0};
  for (int r = 1; r <= 10; ++r) EXPECT_EQ(Word(*m, 16634 + 2 * r), batt[r - 1]) << r;
  EXPECT_EQ(m->BattCompType, 1);
}

TEST(MapRecord, CopyMap1ToMaps2And3IsByteIdentical) {
  MapSlots[1].Clear();
  SetMapAdditionalDefaults(MapSlots[1]);
  MapSlots[1].Unused17826[7901] = 0xAA;
  CopyMap1ToMaps2And3();
  EXPECT_EQ(std::memcmp(MapSlots[1].Bytes(), MapSlots[2].Bytes(), kMapRecordSize), 0);
  EXPECT_EQ(std::memcmp(MapSlots[1].Bytes(), MapSlots[3].Bytes(), kMapRecordSize), 0);
  for (int n = 1; n <= 3; ++n) MapSlots[n].Clear();
}

}  // namespace

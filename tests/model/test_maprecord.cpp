#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

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

// Every field a new map gets a value for, checked by its file offset on a record that held
// other bytes before, so a default of 0 is pinned as firmly as any other.
TEST(MapRecord, NewMapDefaultsByOffset) {
  auto m = std::make_unique<TMapRecord>();
  std::memset(m->Bytes(), 0xA5, kMapRecordSize);
  SetMapSpeedSiteAndLimitDefaults(*m, 250);
  SetMapAdditionalDefaults(*m);
  SetMapBaroDefaults(*m);
  SetMapBoostLoadDefaults(*m);
  SetMapMainDefaults(*m);
  SetMapBattCompDefaults(*m);

  auto rep = [](int n, int v) { return std::vector<int>(static_cast<size_t>(n), v); };
  struct Row {
    const char* field;
    size_t at;
    int width;  // bytes: 1 byte, 2 signed word, 4 integer
    std::vector<int> values;
  };
  const Row rows[] = {
      {"comments length", 254, 1, {0}},
      {"boost limit by gear", 7448, 2, rep(8, 255)},
      {"coil on-time cranking", 12088, 2, {123}},
      {"VVT delay, offset", 13246, 2, {2, 200}},
      {"user PWM flags", 13250, 1, {0, 0}},
      {"user PWM words", 13252, 2, {0, 10, 0, 50, 30, 77, 77, 90, 50, 100, 0}},
      {"speed sites", 14090, 2, {0, 500, 750, 1000}},
      {"last speed site", 14154, 2, {8250}},
      {"boost load list", 14158, 2, {0, 25, 50, 75, 100}},
      {"cranking turns", 14226, 2, {1, 2, 3, 50, 100}},
      {"load options", 14294, 2, {0}},
      {"EGT columns", 14296, 2, [&] {
         auto v = rep(8, 0);
         auto w = rep(8, 255);
         v.insert(v.end(), w.begin(), w.end());
         return v;
       }()},
      {"EGT enabled", 14328, 1, {0}},
      {"air ignition correction", 14456, 2, rep(14, 0)},
      {"air fuel correction", 14524, 2, rep(14, 0)},
      {"boost limit by air temperature", 14592, 2, rep(14, 255)},
      {"boost limit by auxiliary temperature", 14660, 2, rep(14, 255)},
      {"coolant ignition correction", 14728, 2, rep(14, 0)},
      {"coolant fuel correction", 14796, 2, rep(14, 0)},
      {"boost limit by coolant", 14996, 2, rep(14, 255)},
      {"cranking prime", 15064, 2, rep(14, 0)},
      {"VVT control", 16356, 2, rep(14, 0)},
      {"cylinder-trim sites", 16626, 2, {1000, 2000, 3000, 4000, 5000}},
      {"battery axis and values", 16636, 2, {118, 105, 92, 79, 66, 52, 39, 26, 13, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
      {"battery type", 16676, 1, {1}},
      {"injector flow", 16892, 4, {200}},
      {"units", 16912, 4, {0, 1, 1}},
      {"MSPB", 16924, 1, {61}},
      {"shift light", 16938, 2, {0}},
      {"soft and hard limit", 16948, 2, {0, 0}},
      {"boost options", 16959, 1, {0}},
      {"boost rate", 16962, 1, {20}},
      {"boost maximum duty", 16964, 1, {255}},
      {"boost cut pressure", 16970, 2, {355}},
      {"boost cut time", 16972, 1, {255}},
      {"VTEC", 16974, 2, {4000, 34, 3900, 33}},
      {"flat shift enabled", 16982, 1, {0}},
      {"flat shift throttle", 16984, 2, {75}},
      {"flat shift type", 16986, 1, {1}},
      {"flat shift advance", 16988, 2, {120}},
      {"flat shift delay", 16990, 1, {50}},
      {"flat shift speeds", 16998, 2, {5000, 3000}},
      {"flat shift table", 17002, 2, rep(8, 50)},
      {"BARO pressures", 17702, 2, rep(20, 1000)},
  };
  const uint8_t* b = m->Bytes();
  for (const Row& r : rows) {
    for (size_t i = 0; i < r.values.size(); ++i) {
      const size_t at = r.at + i * static_cast<size_t>(r.width);
      int v = b[at];
      if (r.width == 2) v = Word(*m, at);
      if (r.width == 4) v = b[at] | b[at + 1] << 8 | b[at + 2] << 16 | b[at + 3] << 24;
      EXPECT_EQ(v, r.values[i]) << r.field << " [" << i << "] at " << at;
    }
  }
  // The 5-site load axes: throttle 0..100 and MAP 100..200 in steps of 25, 68 bytes apart.
  for (size_t k = 0; k < 5; ++k)
    for (size_t i = 0; i < 5; ++i) {
      EXPECT_EQ(Word(*m, 13274 + 68 * k + 2 * i), static_cast<int>(25 * i)) << k;
      EXPECT_EQ(Word(*m, 13614 + 68 * k + 2 * i), static_cast<int>(100 + 25 * i)) << k;
    }
  const uint8_t three[8] = {0, 0, 0, 0, 0, 0, 8, 0x40};  // IEEE 3.0
  EXPECT_EQ(std::memcmp(b + 16896, three, 8), 0);
  double fuel = 0;
  std::memcpy(&fuel, b + 16904, 8);
  EXPECT_EQ(fuel, 2.7);

  // The tables: every map cell by its offset; the first and last cell of each.
  struct Table {
    const char* name;
    size_t base;
    int rows;
    int value;
  };
  const Table tables[] = {{"ignition", 512, 16, 0},      {"injection", 1668, 16, 0},  {"AFR target", 2824, 16, 125},
                          {"AFR correction", 3980, 16, 0}, {"boost duty", 5136, 5, 0},  {"boost target", 6292, 5, 0},
                          {"user PWM", 7464, 5, 0},       {"VVT", 8620, 5, 200},       {"fifth", 9776, 5, 125},
                          {"coil on-time", 10932, 5, 62}, {"injector timing", 12090, 5, 316}};
  for (const Table& t : tables)
    for (size_t s = 1; s <= 32; ++s)
      for (size_t l = 1; l <= static_cast<size_t>(t.rows); ++l)
        ASSERT_EQ(Word(*m, t.base + 34 * s + 2 * l), t.value) << t.name << " " << s << "," << l;
  for (size_t c = 1; c <= 14; ++c)
    for (size_t r = 0; r <= 4; ++r) ASSERT_EQ(Word(*m, 15132 + 34 * c + 2 * r), 0) << "cranking " << c << "," << r;
  for (size_t c = 0; c <= 5; ++c)
    for (size_t r = 1; r <= 16; ++r) ASSERT_EQ(Word(*m, 16432 + 32 * c + 2 * r), 0) << "trim " << c << "," << r;
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

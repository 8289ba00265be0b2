#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "files/FigFile.h"
#include "model/MapRecord.h"
#include "platform/classes/SafeFile.h"
#include "platform/rtl/SysUtils.h"

namespace {

const AnsiString kData = CQ5_TEST_DATA "/";

struct FigTest : ::testing::Test {
  std::unique_ptr<TMapRecord> map = std::make_unique<TMapRecord>();
  int32_t speedSites[33];

  void SetUp() override {
    map->Clear();
    for (int i = 0; i < 33; ++i) speedSites[i] = i == 0 ? 0 : 500 * i;
  }
  void Read(const AnsiString& text, int loadSites = 16) { ReadFigText(text, "/maps/test.fig", *map, loadSites, speedSites); }
};

TEST_F(FigTest, GoodFileFillsTheMap) {
  const AnsiString text = safefile::ReadFile(kData + "good.fig");
  ReadFigText(text, kData + "good.fig", *map, 16, speedSites);
  TMapRecord& m = *map;

  EXPECT_EQ(m.Source, 1);
  EXPECT_EQ(m.MapName.Get(), "good.fig");
  EXPECT_EQ(m.StartupTiming, 10);
  EXPECT_EQ(m.HardRevLimit, 7000);
  EXPECT_EQ(m.SoftRevLimit, 6800);
  EXPECT_EQ(m.ShiftLightSpeed, 6500);
  EXPECT_EQ(m.SeqShiftEnabled, 1);
  EXPECT_EQ(m.SeqShiftType, 0);
  EXPECT_EQ(m.SeqShiftDown, 40);
  EXPECT_EQ(m.SeqShiftStart, 4000);

  EXPECT_EQ(m.IgnitionTable[1][1], 20);
  EXPECT_EQ(m.IgnitionTable[2][1], -20);
  EXPECT_EQ(m.IgnitionTable[32][16], 16 * 32 + 32);
  EXPECT_EQ(m.InjectionTable[5][3], 3 * 32 + 5);
  EXPECT_EQ(m.InjectionTable[32][16], 16 * 32 + 32);

  // Load options bit 0 sends the main load sites to the MAP list; the throttle list
  // keeps what the slot held.
  EXPECT_EQ(m.LoadOptions, 1);
  EXPECT_EQ(m.MainMAPSites[15], 95);
  EXPECT_EQ(m.MainThrottleSites[15], 0);

  EXPECT_EQ(m.SpeedSites[31], 400 * 31);
  EXPECT_EQ(m.AccelSpeedLimit, 6000);
  EXPECT_EQ(m.AccelBySpeed[14], 100);
  EXPECT_EQ(m.AccelBySpeed[15], 0);  // 6000 rpm is at the limit

  EXPECT_EQ(m.BoostDutyTable[1][1], 128);  // 50 % of 255 = 127.5, to even
  EXPECT_EQ(m.BoostDutyTable[32][5], 128);

  const int air[14] = {1, 1, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 12, 14};
  for (int i = 0; i < 14; ++i) EXPECT_EQ(m.AirIgnCorrection[i], air[i]) << i;
  EXPECT_EQ(m.CrankingTable[1][0], 101);
  EXPECT_EQ(m.CrankingTable[14][0], 114);
  EXPECT_EQ(m.CrankingTable[14][1], 114);
  EXPECT_EQ(m.CrankingTable[14][2], 57);
  EXPECT_EQ(m.CrankingTable[14][3], 0);
  EXPECT_EQ(m.CrankTurns[3], 50);

  EXPECT_EQ(m.MAPCompPressure[1], 600);
  EXPECT_EQ(m.MAPCompValue2[1], -100);
  EXPECT_EQ(m.MAPCompValue3[1], 60);
  EXPECT_EQ(m.MAPCompPressure[20], 200);

  EXPECT_EQ(m.MSPB, 64);  // version 10 carries nine injector numbers
  EXPECT_EQ(m.DblInjForced, 1);
  EXPECT_EQ(m.DblInjRichCrossover, 1);
  EXPECT_EQ(m.VTECOffThrottle, 38);
  EXPECT_EQ(m.Comments.Get(), "Street map\n  for the test car\n");

  // Defaults the file does not override.
  EXPECT_EQ(m.InjTimingTable[32][5], 316);
  EXPECT_EQ(m.AccelByTemp[31], 100);
  EXPECT_EQ(m.BoostCutTime, 99);
  EXPECT_EQ(m.BoostCutPressure, 255);
  EXPECT_EQ(m.BattCompType, 1);
  EXPECT_EQ(m.AccelRate, 40);
  EXPECT_EQ(m.AccelThrottle, 75);
}

TEST_F(FigTest, MalformedFilesLeaveTheMapUntouched) {
  map->MapName.Set("kept");
  map->HardRevLimit = 1234;
  map->IgnitionTable[1][1] = 99;
  const TMapRecord before = *map;
  for (const char* name : {"bad_number.fig", "truncated.fig"}) {
    SCOPED_TRACE(name);
    try {
      ReadFigFile(kData + name, *map);
      ADD_FAILURE() << "no error";
    } catch (const EInOutError& e) {
      EXPECT_NE(e.Message().find(name), AnsiString::npos) << e.Message();
    }
    EXPECT_EQ(std::memcmp(map->Bytes(), before.Bytes(), kMapRecordSize), 0);
  }
  EXPECT_THROW(ReadFigFile(kData + "missing.fig", *map), EStreamError);
}

TEST_F(FigTest, ErrorNamesTheLineAndTheText) {
  try {
    Read("Limits:\r\n1 2\r\n\r\nx3\r\n");
    FAIL();
  } catch (const EInOutError& e) {
    EXPECT_NE(e.Message().find("line 4"), AnsiString::npos) << e.Message();
    EXPECT_NE(e.Message().find("\"x3\""), AnsiString::npos) << e.Message();
  }
  EXPECT_THROW(Read("MapVersion :ab\n"), EInOutError);
}

TEST_F(FigTest, LabelCases) {
  struct Case {
    const char* text;
    int loadSites;
    void (*check)(const TMapRecord&);
  };
  const Case cases[] = {
      // No "MainLoad:": the old throttle load sites.
      {"Startup timing:\n5\n", 16,
       [](const TMapRecord& m) {
         const int sites[16] = {0, 6, 12, 19, 25, 31, 38, 44, 50, 56, 62, 69, 75, 81, 88, 94};
         for (int i = 0; i < 16; ++i) EXPECT_EQ(m.MainThrottleSites[i], sites[i]);
         EXPECT_EQ(m.StartupTiming, 2);
         EXPECT_EQ(m.SpeedSites[31], 500 * 31);
       }},
      // Comments placed first swallow the labels after them.
      {"Details:\nLimits:\n1 2 3\n", 16,
       [](const TMapRecord& m) {
         EXPECT_EQ(m.Comments.Get(), "Limits:\n1 2 3\n");
         EXPECT_EQ(m.HardRevLimit, 0);
       }},
      // Before version 10 the injector data are eight numbers.
      {"MapVersion : 9\nInjector data:\n1 2 3 4 5 6 7 70\nLST:\n0\n", 16,
       [](const TMapRecord& m) { EXPECT_EQ(m.MSPB, 70); }},
      // Numbers run across line ends, and a line may hold two labels.
      {"Air switch: Coolant switch:\n1\n2 3\n4\n", 16,
       [](const TMapRecord& m) {
         EXPECT_EQ(m.Fan2OnTemp, 1);
         EXPECT_EQ(m.Fan2OffTemp, 2);
         EXPECT_EQ(m.Fan1OnTemp, 3);
         EXPECT_EQ(m.Fan1OffTemp, 4);
       }},
      {"Idle Control:\n1 2 5 30 7 8\nIdle up:\n90 12\nIACV control map:\n1 2 150\n", 16,
       [](const TMapRecord& m) {
         EXPECT_EQ(m.IdleFineControl, 1);
         EXPECT_EQ(m.IdleIgnRate, 25);
         EXPECT_EQ(m.IACVRate, 2);
         EXPECT_EQ(m.IdleUpSpeed, 900);
         EXPECT_EQ(m.IACVStartPosition, 100);
       }},
      {"SLSeq:\n0 7 -5 99999\n", 16,
       [](const TMapRecord& m) {
         EXPECT_EQ(m.SeqShiftEnabled, 0);
         EXPECT_EQ(m.SeqShiftType, 1);
         EXPECT_EQ(m.SeqShiftDown, 0);
         EXPECT_EQ(m.SeqShiftStart, 20000);
       }},
      {"PWMFunction:\n1 2 3 4 5 100 6 50 0 8 20 9 10\n", 16,
       [](const TMapRecord& m) {
         EXPECT_EQ(m.PWMEnabled, 1);
         EXPECT_EQ(m.PWMUpperAdjust, 255);
         EXPECT_EQ(m.PWMLowerAdjust, 128);
         EXPECT_EQ(m.PWMFlag2, 0);
         EXPECT_EQ(m.PWMWord10, 51);
         EXPECT_EQ(m.PWMWord11, 26);  // 25.5 to even
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    SetUp();
    Read(c.text, c.loadSites);
    c.check(*map);
  }

  // Rows beyond the 16 of a table are read and dropped.
  SetUp();
  AnsiString rows = "Injection map:\n";
  for (int l = 1; l <= 17; ++l)
    for (int s = 1; s <= 32; ++s) rows += IntToStr(l * 100 + s) + (s == 32 ? "\n" : " ");
  Read(rows + "LST:\n3\n", 17);
  EXPECT_EQ(map->InjectionTable[32][16], 1632);
  EXPECT_EQ(map->LoadOptions, 3);
}

}  // namespace

// The map display: every control shows its record field, the record corrections made while
// showing (turn positions, sequential cut start), unit conversions, cell colours, captions.
#include <gtest/gtest.h>

#include "app/ProgramWindowsFixture.h"

#include <cstdint>
#include <cstring>

#include "chart/Chart.h"
#include "config/Additonl.h"
#include "config/TempCalculator.h"
#include "config/setup.h"
#include "ecu/Diag.h"
#include "controls/AdvSpin.h"
#include "controls/Aligrid.h"
#include "gauges/AbNumEdit.h"
#include "platform/stdctrls/ExtCtrls.h"
#include "platform/stdctrls/StdCtrls.h"
#include "platform/stdctrls/Tabs.h"
#include "platform/ui/Simulate.h"

namespace {

void PutWord(int slot, size_t off, int v) {
  const int16_t w = static_cast<int16_t>(v);
  std::memcpy(MapSlots[slot].Bytes() + off, &w, 2);
}
int GetWord(int slot, size_t off) {
  int16_t w;
  std::memcpy(&w, MapSlots[slot].Bytes() + off, 2);
  return w;
}

class TableDisplay : public ProgramWindowsTest {
 protected:
  void BeforeWindows() override {
    saved_speed_ = LiveRoadSpeed;
    for (int n = 1; n <= 3; ++n) MapSlots[n] = TMapRecord{};
    MapSlots[1].Source = 1;
  }
  void TearDown() override {
    ProgramWindowsTest::TearDown();
    LiveRoadSpeed = saved_speed_;
  }
  int32_t saved_speed_ = 0;
};

TEST_F(TableDisplay, SpeedSiteCommasOnlyInTheMainGrids) {
  PutWord(1, 14090 + 0, 999);
  PutWord(1, 14090 + 2, 1000);
  PutWord(1, 14090 + 4, 12500);
  f_->RefreshMapTables();
  for (TStringAlignGrid* g : {f_->ignitiontable, f_->injectiontable, f_->AFRTargetTable, f_->AFRCorrectionTable,
                              f_->AFRModeTable}) {
    EXPECT_EQ(g->Cells(2, 0), "999");
    EXPECT_EQ(g->Cells(3, 0), "1,000");
    EXPECT_EQ(g->Cells(4, 0), "12,500");
  }
  EXPECT_EQ(AdditionalMaps->InjTimingTable->Cells(2, 0), "1000");
  EXPECT_EQ(AdditionalMaps->RpmCorr_table->Cells(1, 0), "1000");
  EXPECT_EQ(AdditionalMaps->AccelRPMScale->Cells(1, 0), "1000");  // the accel fuelling rpm headings
}

TEST_F(TableDisplay, AfrCellColoursRunFromTheEndsToWhite) {
  struct Case {
    size_t base;
    int value;
    TColor colour;
    const char* text;
  } cases[] = {
      {2824, 147, 0xFFFFFF, "14.7"},    {2824, 110, 0x0000FF, "11.0"},   {2824, 90, 0x0000FF, "9.0"},
      {2824, 160, 0xFF0000, "16.0"},    {2824, 300, 0xFF0000, "30.0"},   {3980, 0, 0xFFFFFF, "0.00"},
      {3980, -16384, 0xFF0000, "-100.00"}, {3980, 16384, 0x0000FF, "100.00"}, {3980, 8192, 0x8080FF, "50.00"},
  };
  for (const Case& c : cases) {
    PutWord(1, c.base + 34 * 5 + 2 * 3, c.value);
    f_->RefreshMapTables();
    TStringAlignGrid* g = c.base == 2824 ? f_->AFRTargetTable : f_->AFRCorrectionTable;
    EXPECT_EQ(g->ColorCell(6, 3), c.colour) << c.value;
    EXPECT_EQ(g->Cells(6, 3), c.text) << c.value;
  }
}

TEST_F(TableDisplay, AfrModeBytesChooseTheBrush) {
  MapSlots[1].Bytes()[17086 + 17 * 1 + 1] = 1;
  MapSlots[1].Bytes()[17086 + 17 * 2 + 1] = 2;
  f_->RefreshMapTables();
  EXPECT_EQ(f_->AFRModeTable->ColorCell(2, 1), TColor(0x008000));
  EXPECT_EQ(f_->AFRModeTable->ColorCell(3, 1), TColor(0x00FF00));
  EXPECT_EQ(f_->AFRModeTable->ColorCell(4, 1), TColor(0xFFFFFF));
}

TEST_F(TableDisplay, TurnPositionsBecomeStrictlyRisingInTheRecord) {
  const int turns[5] = {100, 100, 90, 200, 200}, expected[5] = {100, 101, 102, 200, 201};
  for (int r = 0; r < 5; ++r) PutWord(1, 14226 + 2 * r, turns[r]);
  f_->RefreshMapTables();
  for (int r = 0; r < 5; ++r) {
    EXPECT_EQ(GetWord(1, 14226 + 2 * r), expected[r]);
    EXPECT_EQ(f_->CrankingTable->Cells(0, r), IntToStr(expected[r]));
  }
}

TEST_F(TableDisplay, SequentialCutStartIsCappedByItsType) {
  struct Case {
    int type, stored, shown;
  } cases[] = {{0, 3000, 3000}, {0, 30000, 20000}, {1, 3000, 2550}, {1, 2550, 2550}};
  for (const Case& c : cases) {
    MapSlots[1].Bytes()[16944] = static_cast<uint8_t>(c.type);
    PutWord(1, 16942, c.stored);
    f_->RefreshMapTables();
    EXPECT_EQ(static_cast<uint16_t>(GetWord(1, 16942)), c.shown) << c.type << " " << c.stored;
  }
}

TEST_F(TableDisplay, DegreesFahrenheitForFansAndEgtWarning) {
  Settings.TemperatureUnit = 1;
  Settings.EGTWarning = 1250;
  PutWord(1, 16934, 100);
  PutWord(1, 16930, -30);
  f_->RefreshMapTables();
  EXPECT_DOUBLE_EQ(f_->NSOn->Value(), 212);
  EXPECT_DOUBLE_EQ(f_->NS2On->Value(), -22);
  EXPECT_FLOAT_EQ(f_->NS2On->Increment(), 1.8f);
  EXPECT_DOUBLE_EQ(AdditionalMaps->EGTwarning->Value(), 2282);
  EXPECT_EQ(f_->StringAlignGrid1->Cells(13, 0), "248");
  Settings.TemperatureUnit = 0;
  f_->RefreshMapTables();
  EXPECT_DOUBLE_EQ(f_->NSOn->Value(), 100);
  EXPECT_DOUBLE_EQ(AdditionalMaps->EGTwarning->Value(), 1250);
  EXPECT_EQ(f_->StringAlignGrid1->Cells(13, 0), "120");
}

TEST_F(TableDisplay, ConvertUnitsByKind) {
  struct Case {
    int kind, unit, raw;
    const char* text;
  } cases[] = {{1, 0, 100, "100"}, {1, 1, 100, "0.00"}, {1, 2, 100, "0.00"}, {1, 1, 250, "1.50"},
               {0, 0, -30, "-30"}, {0, 1, -30, "-22"}};
  for (const Case& c : cases) {
    Settings.PressureUnit = c.unit;
    Settings.TemperatureUnit = c.unit == 0 ? 0 : 1;
    AnsiString text;
    EXPECT_EQ(f_->ConvertUnits(c.kind, c.raw, text), c.text);
    EXPECT_EQ(text, c.text);
    EXPECT_EQ(f_->ConvertedText, c.text);
  }
  LiveRoadSpeed = 25600;
  Settings.SpeedUnit = 0;
  AnsiString text;
  EXPECT_EQ(f_->ConvertUnits(2, 7, text), "225.0");
  EXPECT_DOUBLE_EQ(f_->ConvertedValue, 225.0);
  // An unknown kind keeps the last result.
  EXPECT_EQ(f_->ConvertUnits(9, 1, text), "225.0");
}

TEST_F(TableDisplay, PressureFieldsFollowTheUnit) {
  PutWord(1, 16970, 200);
  MapSlots[1].Bytes()[17665] = 100;
  Settings.PressureUnit = 0;
  f_->RefreshMapTables();
  EXPECT_DOUBLE_EQ(AdditionalMaps->BoostCut->Value(), 200);
  EXPECT_DOUBLE_EQ(AdditionalMaps->AbNumEdit1->Value(), 100);
  Settings.PressureUnit = 1;
  f_->RefreshMapTables();
  EXPECT_DOUBLE_EQ(AdditionalMaps->BoostCut->Value(), 1.0);
  EXPECT_DOUBLE_EQ(AdditionalMaps->AbNumEdit1->Value(), 1.0);
}

TEST_F(TableDisplay, CaptionNamesTheCurrentMapOnlyWhenSlotOneHoldsOne) {
  MapSlots[1].MapName.Set("Track   ");
  MapSlots[2].Source = 1;
  MapSlots[2].MapName.Set("Road  ");
  CurrentMap = 2;
  f_->RefreshMapTables();
  EXPECT_EQ(f_->Caption(), "FILE - Track,  Map 2 - Road");
  MapSlots[1].Source = 0;
  f_->RefreshMapTables();
  EXPECT_EQ(f_->Caption(), "Map 2 - empty");
  MapSlots[1].Source = 2;
  MapSlots[2].Source = 0;
  f_->RefreshMapTables();
  EXPECT_EQ(f_->Caption(), "ECU - Track,  Map 2 - empty");
}

TEST_F(TableDisplay, MapCompensationCorrectionsAreSignedBytes) {
  uint8_t* b = MapSlots[1].Bytes();
  b[17666] = 0xF6;
  b[17667] = 0x0C;
  b[17668] = 0;
  f_->RefreshMapTables();
  EXPECT_EQ(AdditionalMaps->MapTable->Cells(3, 1), "-1.0");
  EXPECT_EQ(AdditionalMaps->MapTable->Cells(3, 2), "+ 1.2");
  EXPECT_EQ(AdditionalMaps->MapTable->Cells(3, 3), " 0.0");
}

TEST_F(TableDisplay, ShowMapChoiceSwitchesOnlyToAnotherMap) {
  f_->ShowMapChoice(3, true, false);
  EXPECT_EQ(CurrentMap, 3);
  EXPECT_EQ(f_->ECUmap_panel->Caption(), "ECU Map 3");
  EXPECT_EQ(f_->ECUmap_panel->Color(), TColor(0x00FFFF));
  EXPECT_EQ(f_->PCmap_panel->Caption(), "PC Map 1");
  f_->ShowMapChoice(3, false, true);
  EXPECT_EQ(f_->PCmap_panel->Caption(), "PC Map 1");
}

// Every displayed offset gets its own value; each control must show the value of its own
// offset, which catches swapped offsets and wrong strides.
TEST_F(TableDisplay, RoundTripShowsEachOffsetInItsControl) {
  for (int s = 1; s <= 32; ++s)
    for (int l = 1; l <= 16; ++l) {
      PutWord(1, 512 + 34 * s + 2 * l, s * 100 + l);
      PutWord(1, 1668 + 34 * s + 2 * l, s * 100 + l + 5000);
    }
  for (int i = 0; i < 14; ++i) {
    PutWord(1, 14456 + 2 * i, 1000 + i);
    PutWord(1, 14524 + 2 * i, 2000 + i);
    PutWord(1, 14728 + 2 * i, 3000 + i);
    PutWord(1, 14796 + 2 * i, 4000 + i);
    PutWord(1, 15064 + 2 * i, 5000 + i);
    PutWord(1, 14928 + 2 * i, 60 + i);
  }
  for (int c = 1; c <= 14; ++c)
    for (int r = 0; r <= 4; ++r) PutWord(1, 15132 + 34 * c + 2 * r, c * 10 + r);
  for (int c = 1; c <= 32; ++c)
    for (int r = 1; r <= 5; ++r) PutWord(1, 12090 + 34 * c + 2 * r, c * 10 + r);
  struct Field {
    size_t off;
    int value;
    TAdvSpinEdit* TR7Tform1::*edit;
  } fields[] = {{16948, 6000, &TR7Tform1::soft_limit},     {16950, 7000, &TR7Tform1::hard_limit},
                {16938, 6500, &TR7Tform1::shiftlight},     {510, 12, &TR7Tform1::startup_timing},
                {16838, 21, &TR7Tform1::IACVRateValue},   {16840, 22, &TR7Tform1::IACVoff},
                {16928, 1500, &TR7Tform1::CutOffRpm},      {16926, 40, &TR7Tform1::CutOffPot},
                {16830, 1100, &TR7Tform1::IdleRpmSw},      {16832, 33, &TR7Tform1::IdlePotSw},
                {16844, 5, &TR7Tform1::IdleIgnTrim},       {16846, 6, &TR7Tform1::IdleIgnRate},
                {16946, 80, &TR7Tform1::SeqDown},          {16850, 31, &TR7Tform1::Lam_StartDelay},
                {16852, 32, &TR7Tform1::Lam_Warmupdelay},  {16854, 33, &TR7Tform1::Lam_Coolant},
                {16856, 34, &TR7Tform1::Lam_Decel},        {16858, 35, &TR7Tform1::Lam_accel},
                {16882, 36, &TR7Tform1::Lam_deceldelay},   {16872, 37, &TR7Tform1::Lam_Load},
                {16874, 38, &TR7Tform1::Lam_Speed},        {16880, 39, &TR7Tform1::Lam_Response}};
  for (const Field& f : fields) PutWord(1, f.off, f.value);
  // Battery compensation from the user table: a row per voltage.
  MapSlots[1].Bytes()[16676] = 0;
  for (int r = 1; r <= 10; ++r) {
    PutWord(1, 16634 + 2 * r, 100 * r);
    PutWord(1, 16654 + 2 * r, -r);
  }
  PutWord(1, 16826, 95);
  PutWord(1, 16868, 51);
  MapSlots[1].Date.Set("2026-12-06");
  MapSlots[1].Exhaust.Set("Twin");
  MapSlots[1].Comments.Set("Notes");
  f_->RefreshMapTables();

  for (int s = 1; s <= 32; ++s)
    for (int l = 1; l <= 16; ++l) {
      ASSERT_EQ(f_->ignitiontable->Cells(s + 1, l), IntToStr(s * 100 + l));
      ASSERT_EQ(f_->injectiontable->Cells(s + 1, l), IntToStr(s * 100 + l + 5000));
    }
  for (int i = 0; i < 14; ++i) {
    EXPECT_EQ(f_->airign_table->Cells(i, 0), IntToStr(1000 + i));
    EXPECT_EQ(f_->airinj_table->Cells(i, 0), IntToStr(2000 + i));
    EXPECT_EQ(f_->coolantign_table->Cells(i, 0), IntToStr(3000 + i));
    EXPECT_EQ(f_->coolantinj_table->Cells(i, 0), IntToStr(4000 + i));
    EXPECT_EQ(f_->CrankPrime_table->Cells(i, 0), IntToStr(5000 + i));
    EXPECT_EQ(f_->idlerpm_table->Cells(i, 0), IntToStr((60 + i) * 10));
  }
  for (int c = 1; c <= 14; ++c)
    for (int r = 0; r <= 4; ++r) EXPECT_EQ(f_->CrankingTable->Cells(c, r), IntToStr(c * 10 + r));
  for (int c = 1; c <= 32; ++c)
    for (int r = 1; r <= 5; ++r) EXPECT_EQ(AdditionalMaps->InjTimingTable->Cells(c, r), IntToStr(c * 10 + r));
  for (const Field& f : fields) EXPECT_EQ((f_->*f.edit)->Value(), f.value) << f.off;
  for (int r = 1; r <= 10; ++r) {
    EXPECT_EQ(AdditionalMaps->BattCompTable->Cells(0, r), IntToStr(r + 6));
    EXPECT_EQ(AdditionalMaps->BattCompTable->Cells(1, r), Str(100 * r * 0.0122079, 4, 2));
    EXPECT_EQ(AdditionalMaps->BattCompTable->Cells(2, r), Str(-r * 0.05, 4, 2));
  }
  EXPECT_EQ(f_->Idleuprpm->Value(), 950);
  EXPECT_DOUBLE_EQ(f_->Lam_Pgain->FloatValue(), 51 / 255.0);
  EXPECT_EQ(f_->DetailsDateEdit->Text(), "2026-12-06");
  EXPECT_EQ(f_->DetailsExhaustEdit->Text(), "Twin");
  EXPECT_EQ(f_->details->Text(), "Notes");
  EXPECT_EQ(f_->map_comments->Caption(), "Map comments (19/248 used)");
}

TEST_F(TableDisplay, InjectionTabsShowOneGridAndTheirLegend) {
  f_->TabSet2->SetTabIndex(2);
  f_->TabSet2Click(f_->TabSet2);
  EXPECT_TRUE(f_->AFRCorrectionTable->Visible());
  EXPECT_FALSE(f_->injectiontable->Visible());
  EXPECT_EQ(f_->page4_label->Caption(), "AFR corrections");
  EXPECT_EQ(f_->Label79->Caption(), "+100% correction");
  f_->TabSet2->SetTabIndex(4);
  f_->TabSet2Click(f_->TabSet2);
  EXPECT_TRUE(f_->AFRsettingspanel->Visible());
  EXPECT_FALSE(f_->AFRCorrectionTable->Visible());
  EXPECT_FALSE(f_->Label79->Visible());
}

// Offscreen pictures of every page, for looking at the layout.
TEST_F(TableDisplay, PagesRenderOffscreen) {
  f_->RefreshMapTables();
  // Counts as a later activation: the first one would ask for a serial port.
  const bool activated = MainWindowActivated;
  MainWindowActivated = true;
  f_->Show();
  for (int page = 0; page < 8; ++page) {
    f_->TabSet1->SetTabIndex(page);
    f_->TabSet1Click(f_->TabSet1);
    EXPECT_EQ(f_->Notebook1->PageIndex(), page);
    // The injection page opens on its plain map tab, which has no colour legend.
    if (page == 3) {
      for (const TControl* c : std::initializer_list<const TControl*>{f_->RichBrush, f_->LeanBrush, f_->Label79,
                                                                      f_->Label81, f_->Label16, f_->Shape62})
        EXPECT_FALSE(c->Visible()) << c->Name();
    }
    if (const char* dir = std::getenv("TABLES_SHOTS"))
      ui::GrabToPng(f_, AnsiString(dir) + "/page" + IntToStr(page) + ".png");
  }
  MainWindowActivated = activated;
  if (const char* dir = std::getenv("TABLES_SHOTS"))
    for (int page = 0; page < 18; ++page) {
      AdditionalMaps->AdditionalBook->SetPageIndex(page);
      ui::GrabToPng(AdditionalMaps, AnsiString(dir) + "/additional" + IntToStr(page) + ".png");
    }
}

TEST_F(TableDisplay, WindowKeepsItsMinimumSize) {
  f_->SetBounds(0, 0, 500, 300);
  f_->FormResize(f_);
  EXPECT_EQ(f_->Width(), 640);
  EXPECT_EQ(f_->Height(), 480);
}

// After any resize the 14-site grids share one geometry and the injection page's grids
// lie exactly on top of each other.
TEST_F(TableDisplay, RelayoutAlignsGridsThatBelongTogether) {
  const bool activated = MainWindowActivated;
  MainWindowActivated = true;
  f_->Show();
  for (const auto& [w, h] : {std::pair{1280, 800}, std::pair{640, 480}, std::pair{1000, 700}}) {
    f_->SetBounds(0, 0, w, h);
    Application->ProcessMessages();
    f_->ElasticForm1AfterResize(f_);
    const TStringAlignGrid* ref = f_->StringAlignGrid1;
    EXPECT_EQ(ref->Width(), ref->DefaultColWidth() * 14 + 17);
    for (const TStringAlignGrid* g : {f_->idlerpm_table, f_->StringAlignGrid2, f_->coolantign_table, f_->airign_table,
                                      f_->CoolantTempMarker, f_->coolantinj_table, f_->airinj_table,
                                      f_->CrankPrime_table}) {
      EXPECT_EQ(g->DefaultColWidth(), ref->DefaultColWidth()) << g->Name();
      EXPECT_EQ(g->Width(), ref->Width()) << g->Name();
    }
    for (const TStringAlignGrid* g : {f_->AFRTargetTable, f_->AFRCorrectionTable, f_->AFRModeTable})
      EXPECT_EQ(g->BoundsRect(), f_->injectiontable->BoundsRect()) << g->Name();
    EXPECT_EQ(f_->CrankingTable->Width(), f_->CrankingTable->DefaultColWidth() * 15 + 19);
    if (const char* dir = std::getenv("TABLES_SHOTS"))
      for (int page : {2, 3, 6}) {
        f_->TabSet1->SetTabIndex(page);
        f_->TabSet1Click(f_->TabSet1);
        ui::GrabToPng(f_, AnsiString(dir) + "/size" + IntToStr(w) + "-page" + IntToStr(page) + ".png");
      }
  }
  MainWindowActivated = activated;
}

// Every window's unit texts follow the display units right after a refresh, the chart axes
// included, before any of those windows was shown.
TEST_F(TableDisplay, UnitTextsFollowTheDisplayUnits) {
  const struct {
    int temperature, pressure, speed;
    const char *t, *p, *s, *range, *map200;
  } cases[] = {{0, 0, 0, "\xB0" "C", "KPa", "MPH", "(-30 to 120\xB0" "C)", "200"},
               {1, 1, 1, "\xB0" "F", "Bar", "KPH", "(-22 to 248\xB0" "F)", "1.00"},
               {0, 2, 0, "\xB0" "C", "PSI", "MPH", "(-30 to 120\xB0" "C)", "14.50"}};
  // The coil on-time table's load axis is MAP (bit 2), the injector timing's throttle.
  PutWord(1, 14294, 4);
  PutWord(1, 13682, 200);
  PutWord(1, 13478, 25);
  PutWord(1, 16626, 1500);
  for (const auto& c : cases) {
    Settings.TemperatureUnit = c.temperature;
    Settings.PressureUnit = c.pressure;
    Settings.SpeedUnit = c.speed;
    f_->RefreshMapTables();
    const AnsiString t = c.t, p = c.p;
    EXPECT_EQ(f_->Label54->Caption(), t);
    EXPECT_EQ(f_->Label60->Caption(), "Temp (" + t + ")");
    TAdditionalMaps* a = AdditionalMaps;
    EXPECT_EQ(a->BoostCutUnit->Caption(), p);
    EXPECT_EQ(a->AccelTempLabel->Caption(), "Temp (" + t + ")");
    EXPECT_EQ(a->Func1LowerTempUnit->Caption(), t);
    EXPECT_EQ(a->Func1TempRange->Caption(), c.range);
    EXPECT_EQ(a->MapTable->Cells(0, 0), "Pressure\r(" + p + ")");
    EXPECT_EQ(a->EGT_table->Cells(0, 0), "EGT (" + t + ")");
    EXPECT_EQ(a->CoilOnTable->Cells(0, 0), p);
    EXPECT_EQ(a->CoilOnTable->Cells(0, 1), c.map200);
    EXPECT_EQ(a->InjTimingTable->Cells(0, 0), "%");
    EXPECT_EQ(a->InjTimingTable->Cells(0, 1), "25");
    EXPECT_EQ(a->CylTrims_table->Cells(1, 0), "1,500");
    EXPECT_EQ(SetupForm->CTSTempLabel->Caption(), "Temp (" + t + ")");
    for (TChart* chart : {SetupForm->ATSChart, SetupForm->CTSChart, SetupForm->XTSChart})
      EXPECT_EQ(chart->BottomAxis()->Title()->Caption(), "Temperature (" + t + ")");
    EXPECT_EQ(TempCalc->TempUnit2->Caption(), t + " = ");
    EXPECT_EQ(TempCalc->TempRange->Caption(), c.range);
    EXPECT_EQ(TempCalc->Temp3->MaxValue(), c.temperature == 1 ? 248 : 120);
    EXPECT_EQ(DiagForm->coolanttempUnit->Caption(), t);
    EXPECT_EQ(DiagForm->boosttargetUnit->Caption(), p);
    EXPECT_EQ(DiagForm->TCSpeedUnit->Caption(), c.s);
    a->TabSet->SetTabIndex(3);
    a->TabSetClick(a->TabSet);
    a->TabSet2->SetTabIndex(1);
    a->TabSet2Click(a->TabSet2);
    EXPECT_EQ(a->Caption(), "Boost Control - TARGET BOOST (" + p + ")");
    EXPECT_TRUE(a->BoostPage1->Visible());
    EXPECT_FALSE(a->BoostPage0->Visible());
  }
}

// The air conditioning's engine speed limits are words: 6500 rpm is not cut to a byte.
TEST_F(TableDisplay, AirConEngineSpeedsAreWords) {
  PutWord(1, 17690, 6500);
  PutWord(1, 17692, 1200);
  f_->RefreshMapTables();
  EXPECT_EQ(AdditionalMaps->AbNumSpin2->Value(), 6500);
  EXPECT_EQ(AdditionalMaps->AbNumSpin4->Value(), 1200);
}

}  // namespace

// The live adjustments page: the two live boxes, the target display and logging by hand.
#include <gtest/gtest.h>

#include "app/ProgramWindowsFixture.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cmath>
#include <set>
#include <utility>
#include <string>

#include "controls/Aligrid.h"
#include "gauges/AbBar.h"
#include "gauges/AbLED.h"
#include "logger/AbTrend.h"
#include "logger/logger.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Canvas.h"
#include "link/LiveData.h"
#include "platform/os/Clock.h"
#include "platform/ui/Application.h"
#include "platform/stdctrls/ExtCtrls.h"
#include "platform/stdctrls/StdCtrls.h"
#include "platform/stdctrls/Tabs.h"
#include "platform/ui/Keys.h"

namespace {

class MainLive : public ProgramWindowsTest {
 protected:
  void TearDown() override {
    ProgramWindowsTest::TearDown();
    MapBoxItem1 = 1;
    MapBoxItem2 = 2;
    LiveCellTrim.fill(0);
    LiveCellValue.fill(0);
    LiveCellBar.fill(0);
    LoggingActive = false;
    LogNewDataShown = false;
    LoggerCaption = "Data Logger";
    LiveSpeedFraction = LiveLoadFraction = 127;
  }

  void PressOnLivePage(WORD key) {
    f_->Notebook1->SetPageIndex(7);
    f_->FormKeyDown(f_, key, {});
  }
};

TEST_F(MainLive, FastPacketsShowTheBoxesItemsScaledCutAndWithTheirUnits) {
  struct Case {
    int box, item, value, trim, bar;
    const char *map, *trimmed, *trimText;
  };
  const Case cases[] = {
      {1, 1, 10, 2, -20, "10\xB0", "12\xB0", "2\xB0"},
      {1, 3, 255, -51, 64, "100.0", "80.0", "-20.0"},
      {2, 5, 1, 0, 0, "0.4", "0.4", "0.0"},
      {2, 4, 45, 1, 128, "180\xB0", "184\xB0", "4\xB0"},
      {1, 6, 123456789, 0, 0, "12345678\xB0", "12345678\xB0", "0\xB0"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.map);
    (c.box == 1 ? MapBoxItem1 : MapBoxItem2) = c.item;
    LiveCellValue[static_cast<size_t>(c.item)] = c.value;
    LiveCellTrim[static_cast<size_t>(c.item)] = c.trim;
    LiveCellBar[static_cast<size_t>(c.item)] = c.bar;
    f_->FastLiveReceived({});
    const std::array<TPanel*, 3> panels = c.box == 1
        ? std::array<TPanel*, 3>{f_->map_advance, f_->actual_advance, f_->ignition_trim}
        : std::array<TPanel*, 3>{f_->map_injection, f_->actual_injection, f_->injection_trim};
    EXPECT_EQ(panels[0]->Caption(), c.map);
    EXPECT_EQ(panels[1]->Caption(), c.trimmed);
    EXPECT_EQ(panels[2]->Caption(), c.trimText);
    EXPECT_EQ((c.box == 1 ? f_->BoxBar1 : f_->BoxBar2)->Value(), c.bar);
  }
}

TEST_F(MainLive, CyclingCaptionsTheBoxCentredAndShowsTheBarForItemsThreeToSix) {
  MapBoxItem2 = 3;
  f_->Label22->SetWidth(50);
  struct Step {
    int item;
    const char *title, *map, *trimmed, *trim, *zero;
  };
  const Step steps[] = {
      {2, "Injection ", "Map number", "Trimmed number", "Injection trim", "0"},
      {4, "INJ position ", "Map position", "Trimmed position", "INJ position trim", "0\xB0"},
      {5, "PWM ", "Map %", "Trimmed %", "PWM trim", "0"},
      {6, "VVT position", "Map position", "Trimmed position", "VVT positiontrim", "0\xB0"},
      {1, "Ignition ", "Map advance", "Trimmed advance", "Ignition trim", "0\xB0"},
  };
  for (const Step& s : steps) {
    SCOPED_TRACE(s.item);
    f_->CycleIgnitionBox(true);
    EXPECT_EQ(MapBoxItem1, s.item);
    EXPECT_EQ(f_->ignition_box->Caption(), s.title);
    EXPECT_EQ(f_->Label22->Caption(), s.map);
    EXPECT_EQ(f_->Label23->Caption(), s.trimmed);
    EXPECT_EQ(f_->Label21->Caption(), s.trim);
    EXPECT_EQ(f_->actual_advance->Caption(), s.zero);
    EXPECT_EQ(f_->Label22->Left(), f_->map_advance->Left() + f_->map_advance->Width() / 2 - 25);
    EXPECT_EQ(f_->BoxBar1->Visible(), s.item > 2);
  }
  f_->CycleInjectionBox(true);  // skips item 1 of box 1
  EXPECT_EQ(MapBoxItem2, 4);
  EXPECT_TRUE(f_->BoxBar2->Visible());
  f_->CycleInjectionBox(false);
  EXPECT_EQ(MapBoxItem2, 2);
  EXPECT_EQ(f_->injection_box->Caption(), "Injection");
  EXPECT_EQ(f_->Label26->Caption(), "Map number");
  EXPECT_EQ(f_->Label25->Caption(), "Trimmed number");
  EXPECT_EQ(f_->Label24->Caption(), "Injection trim");
  EXPECT_FALSE(f_->BoxBar2->Visible());
}

TEST_F(MainLive, TargetCrossSitsOnePixelAboveAndLeftOfTheCentreAtHalfFractions) {
  f_->TargetBitmap->SetSize(80, 80);
  LiveSpeedFraction = LiveLoadFraction = 128;
  f_->UpdateTarget();
  TCanvas* c = f_->Image9->Picture()->Bitmap()->Canvas();
  // Arms 10 long, 3 wide, centred on (39, 39); squares inset 13 (red) and 27 (yellow).
  struct Probe {
    int x, y;
    TColor colour;
  } const probes[] = {{39, 39, clBlack}, {45, 38, clBlack}, {45, 41, clYellow}, {38, 45, clBlack},
                      {41, 45, clYellow}, {30, 39, clBlack}, {39, 30, clBlack},  {2, 2, clBlue},
                      {15, 15, clRed},    {60, 60, clRed},   {50, 50, clYellow}};
  for (const Probe& p : probes) EXPECT_EQ(c->Pixel(p.x, p.y), p.colour) << p.x << "," << p.y;
}

// The picture is drawn again only when the cross moves to another pixel (or the display
// changes size); a stray mark on the shown picture tells whether it was.
TEST_F(MainLive, TargetIsRedrawnOnlyWhenTheCrossMovesToAnotherPixel) {
  f_->TargetBitmap->SetSize(80, 80);
  LiveSpeedFraction = LiveLoadFraction = 128;
  f_->UpdateTarget();
  struct Step {
    int speed, load, size;
    bool redrawn;
  } const steps[] = {
      {128, 128, 80, false},  // nothing moved
      {129, 129, 80, false},  // 40.3 rounds to the same pixel as 40
      {130, 128, 80, true},   // 40.6 rounds to 41
      {130, 128, 80, false},
      {130, 128, 96, true},   // a new size
      {0, 255, 96, true},
  };
  for (const Step& s : steps) {
    SCOPED_TRACE(testing::Message() << s.speed << "," << s.load << " " << s.size);
    TCanvas* shown = f_->Image9->Picture()->Bitmap()->Canvas();
    shown->SetPixel(1, 1, clFuchsia);
    LiveSpeedFraction = s.speed;
    LiveLoadFraction = s.load;
    if (f_->TargetBitmap->Width() != s.size) f_->TargetBitmap->SetSize(s.size, s.size);
    f_->UpdateTarget();
    shown = f_->Image9->Picture()->Bitmap()->Canvas();
    EXPECT_EQ(shown->Pixel(1, 1), s.redrawn ? clBlue : clFuchsia);
    const int x = static_cast<int>(std::lround(s.size / 256.0 * s.speed)) - 1;
    const int y = static_cast<int>(std::lround(s.size / 256.0 * s.load)) - 1;
    EXPECT_EQ(shown->Pixel(std::max(x, 0), std::min(y, s.size - 1)), clBlack);
  }
}

// Packets from the line come faster than the dashboard is drawn: one that follows the last
// drawing within the pace waits for the next packet, or, when none comes, for the pacing
// timer; the newest values always land. A packet handed in directly shows at once.
TEST_F(MainLive, PacketsFromTheLineShowPacedAndTheLastOneLands) {
  os::ManualClock clock{100000};
  os::ScopedClock scoped{clock};
  ECUConnected = true;  // no link-start polls
  auto fast = [](int rpm) {
    std::string body(2, '\0');  // type 0, sub-code 0
    std::string data(28, '\0');
    data[0] = static_cast<char>(rpm >> 8);
    data[1] = static_cast<char>(rpm & 0xFF);
    data[16] = data[17] = 147;
    return AnsiString(body + data + '\0');
  };
  struct Step {
    uint64_t advance;
    int rpm;
    const char* shown;
  } const steps[] = {
      {0, 1000, "1000"}, {50, 2000, "1000"}, {100, 3000, "1000"}, {60, 4000, "4000"}, {10, 5000, "4000"},
  };
  for (const Step& s : steps) {
    clock.Advance(s.advance);
    f_->SLIPpktStringPacket(nullptr, fast(s.rpm));
    EXPECT_EQ(f_->engine_speed->Caption(), s.shown) << s.rpm;
  }
  // No packet follows: the timer shows the last one.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (f_->engine_speed->Caption() != "5000" && std::chrono::steady_clock::now() < deadline) {
    Application->ProcessMessages();
    usleep(5000);
  }
  EXPECT_EQ(f_->engine_speed->Caption(), "5000");
  // Not from the line: at once, even right after a drawing.
  LiveFast.RPM = 6000;
  f_->FastLiveReceived({});
  EXPECT_EQ(f_->engine_speed->Caption(), "6000");

  // A drawing still waiting when the link is lost never covers the placeholders.
  clock.Advance(10);
  f_->SLIPpktStringPacket(nullptr, fast(7000));
  EXPECT_EQ(f_->engine_speed->Caption(), "6000");
  f_->commsTriggerTimer(nullptr, LinkWatchdogHandle);
  EXPECT_EQ(f_->engine_speed->Caption(), "XXXX");
  const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(400);
  while (std::chrono::steady_clock::now() < until) {
    Application->ProcessMessages();
    usleep(5000);
  }
  EXPECT_EQ(f_->engine_speed->Caption(), "XXXX");
  EXPECT_FALSE(ECUConnected);
}

// The operating point's mark moves over the map tables with the dashboard: packets that
// move it several cells between two drawings repaint the cell it left and the cell it
// stands on, nothing else of the table; the last point always lands, and a point past the
// last speed site leaves no mark.
TEST_F(MainLive, TheLiveMarkRepaintsOnlyTheCellsItLeavesAndEnters) {
  ui::DialogScript script;
  ShowMainWindow(script);
  f_->TabSet1->SetTabIndex(2);  // "Ignition"
  f_->TabSet1Click(f_->TabSet1);
  os::ManualClock clock{100000};
  os::ScopedClock scoped{clock};
  ECUConnected = true;  // no link-start polls
  LiveSpeedSite = LiveLoadSite = 0;
  auto fast = [](int speed, int speedFraction, int load) {
    std::string data(28, '\0');
    data[2] = static_cast<char>(speed);
    data[3] = static_cast<char>(speedFraction);
    data[14] = static_cast<char>(load);
    data[16] = data[17] = static_cast<char>(147);
    return AnsiString(std::string(2, '\0') + data + '\0');
  };
  auto paint = [] {
    for (int i = 0; i < 5; ++i) Application->ProcessMessages();
  };
  using Cells = std::set<std::pair<int, int>>;
  Cells drawn;
  f_->ignitiontable->OnDrawCell = [&](TObject*, int c, int r, TRect, TGridDrawState) { drawn.insert({c, r}); };
  auto marked = [&](int c, int r) {
    return f_->ignitiontable->ColorCell(c, r) == clSilver && f_->injectiontable->ColorCell(c, r) == clSilver;
  };

  // Speed site 3, load site 4: cell (5, 5).
  f_->SLIPpktStringPacket(nullptr, fast(3, 0, 4));
  paint();
  ASSERT_TRUE(marked(5, 5));
  drawn.clear();
  // Three moves within the pace wait; the fourth, a pace after the last drawing, draws.
  for (const auto& [speed, load] : {std::pair{4, 4}, {5, 4}, {6, 5}}) {
    clock.Advance(50);
    f_->SLIPpktStringPacket(nullptr, fast(speed, 0, load));
  }
  paint();
  EXPECT_EQ(drawn, Cells{});
  EXPECT_TRUE(marked(5, 5));
  clock.Advance(100);
  f_->SLIPpktStringPacket(nullptr, fast(7, 0, 5));
  paint();
  EXPECT_EQ(drawn, (Cells{{5, 5}, {9, 6}}));
  EXPECT_TRUE(marked(9, 6));
  for (const auto& [c, r] : {std::pair{5, 5}, {6, 5}, {7, 5}, {8, 6}})
    EXPECT_NE(f_->ignitiontable->ColorCell(c, r), clSilver) << c << "," << r;

  // No packet follows the last one: the pace's timer draws it.
  drawn.clear();
  clock.Advance(50);
  f_->SLIPpktStringPacket(nullptr, fast(8, 0, 5));
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (!marked(10, 6) && std::chrono::steady_clock::now() < deadline) {
    Application->ProcessMessages();
    usleep(5000);
  }
  paint();
  EXPECT_TRUE(marked(10, 6));
  EXPECT_EQ(drawn, (Cells{{9, 6}, {10, 6}}));

  // Site 31 and a fraction past the half is site 32, past the table: the mark goes.
  drawn.clear();
  clock.Advance(1000);
  f_->SLIPpktStringPacket(nullptr, fast(31, 200, 5));
  paint();
  EXPECT_EQ(f_->ignitiontable->ColorCell(10, 6), clWhite);
  EXPECT_EQ(drawn, (Cells{{10, 6}}));
}

TEST_F(MainLive, SpaceOnTheLivePageTogglesLoggingOnlyWhenAllowed) {
  struct Case {
    bool connected, enabled;
    int startChan;
    bool starts;
  } const cases[] = {
      {true, true, 0, true}, {false, true, 0, false}, {true, false, 0, false}, {true, true, 2, false}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.connected << c.enabled << c.startChan);
    f_->StopLogging();
    ECUConnected = c.connected;
    LoggerForm->StartRecording->SetChecked(c.enabled);
    LoggerForm->StartChan->SetItemIndex(c.startChan);
    PressOnLivePage(VK_SPACE);
    EXPECT_EQ(LoggingActive, c.starts);
    EXPECT_EQ(LoggerForm->DataPlotter->StartRecording(), c.starts);
    EXPECT_EQ(f_->TimeLogLED->Checked(), c.starts);
    EXPECT_EQ(f_->TimeLogLED->Font()->Color(), c.starts ? clBlack : TColor(0x808080));
  }
  // The caption is marked once, however often logging starts.
  EXPECT_EQ(LoggerForm->Caption(), "Data Logger ...New Data!");
  f_->StopLogging();
  LoggerForm->StartChan->SetItemIndex(0);
  PressOnLivePage(VK_SPACE);
  EXPECT_TRUE(LoggingActive);
  EXPECT_EQ(LoggerForm->Caption(), "Data Logger ...New Data!");

  // A stop trigger keeps manual stops out; Space on another page does nothing.
  LoggerForm->StopChan->SetItemIndex(1);
  PressOnLivePage(VK_SPACE);
  EXPECT_TRUE(LoggingActive);
  LoggerForm->StopChan->SetItemIndex(0);
  f_->Notebook1->SetPageIndex(2);
  WORD key = VK_SPACE;
  f_->FormKeyDown(f_, key, {});
  EXPECT_TRUE(LoggingActive);
  PressOnLivePage(VK_SPACE);
  EXPECT_FALSE(LoggingActive);
  EXPECT_FALSE(f_->TimeLogLED->Checked());
}

TEST_F(MainLive, ClearingEnabledWhileLoggingStopsTheRecorderAndTheLamp) {
  ECUConnected = true;
  LoggerForm->StartChan->SetItemIndex(0);
  LoggerForm->StartRecording->SetChecked(true);
  f_->TimeLogLEDClick(f_->TimeLogLED);
  ASSERT_TRUE(LoggingActive);
  LoggerForm->StartRecording->SetChecked(false);
  LoggerForm->StartRecordingClick(LoggerForm->StartRecording);
  EXPECT_FALSE(LoggingActive);
  EXPECT_FALSE(LoggerForm->DataPlotter->StartRecording());
  EXPECT_FALSE(f_->TimeLogLED->Checked());
  EXPECT_FALSE(LoggerSettings.Enabled);
}

}  // namespace

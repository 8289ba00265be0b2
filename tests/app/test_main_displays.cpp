// The main window's live displays: the air-fuel ratio bars, the temperature pointers, the
// once-a-second warning colours and the blanking when the link is lost.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <map>
#include <vector>

#include "app/ProgramWindowsFixture.h"

#include "controls/Aligrid.h"
#include "config/Additonl.h"
#include "gauges/AbFlashT.h"
#include "gauges/AbValInd.h"
#include "gauges/AbVMeter.h"
#include "link/LiveData.h"
#include "platform/graphics/Bitmap.h"
#include "platform/os/Clock.h"
#include "platform/graphics/Canvas.h"
#include "platform/stdctrls/ExtCtrls.h"
#include "platform/stdctrls/StdCtrls.h"
#include "platform/stdctrls/Tabs.h"
#include "platform/ui/Simulate.h"
#include "platform/ui/Timer.h"

namespace {

class MainDisplays : public ProgramWindowsTest {
 protected:
  void TearDown() override {
    ProgramWindowsTest::TearDown();
    ecu::ZeroLiveRawValues();
    ECUMapsLocked = ECUImmobilised = false;
  }

  // Lit segments of a ratio bar, as the string of their states ('#' lit, '.' dark).
  static std::string Segments(TPanel* bar) {
    std::string s;
    for (int k = 0; k < bar->ControlCount(); ++k) {
      const TColor c = dynamic_cast<TShape*>(bar->Controls(k))->Brush()->Color();
      s += c == clRed || c == clYellow || c == clLime ? '#' : '.';
    }
    return s;
  }

  // The x of the pointer's tip (its topmost row) in a strip, or -1.
  static int PointerTip(TImage* image, TColor fill) {
    TBitmap* b = image->Picture()->Bitmap();
    for (int y = 0; y < b->Height(); ++y)
      for (int x = 0; x < b->Width(); ++x)
        if (b->Canvas()->Pixel(x, y) == fill) return x;
    return -1;
  }
};

// A fast live packet as the port hands it over, its gauge byte 21 and flag byte 27 set:
// the additional tables' meter shows the size, negative when bit 0 of the flags is set. Each
// packet comes a second after the last, so the dashboard's pace draws it at once.
TEST_F(MainDisplays, TheAdditionalTablesMeterShowsTheGaugeSizeWithItsSign) {
  os::ManualClock clock{100000};
  os::ScopedClock scoped{clock};
  ECUConnected = true;  // a running link: no requests go out on the port
  for (int size : {0, 127, 128, 200, 255})
    for (int flags : {0, 1}) {
      SCOPED_TRACE(testing::Message() << size << " flags " << flags);
      clock.Advance(1000);
      AnsiString body(2 + 28 + 1, '\0');  // type 0, sub-code 0, 28 data bytes, trailer
      body[2 + 21] = static_cast<char>(size);
      body[2 + 27] = static_cast<char>(flags);
      f_->SLIPpktStringPacket(nullptr, body);
      EXPECT_FLOAT_EQ(AdditionalMaps->AbVMeter1->Value(), flags ? -size : size);
      // No value the ECU can send passes the meter's limits: its pointer never blinks.
      EXPECT_FALSE(AdditionalMaps->AbVMeter1->AboveLimit() || AdditionalMaps->AbVMeter1->BelowLimit());
      EXPECT_FALSE(abflash::IsClient(AdditionalMaps->AbVMeter1));
    }
}

// The clock's once-a-second restart of the meter's peaks while the ECU streams: the next
// drawing still shows the values that came before it, the one after that the new second's
// alone. Without the stream the restart comes at once.
TEST_F(MainDisplays, TheMeterPeaksRestartAfterTheNextLiveValuesWhileTheEcuStreams) {
  os::ManualClock clock{100000};
  os::ScopedClock scoped{clock};
  ECUConnected = true;
  AdditionalMaps->AdditionalBook->SetPageIndex(0);
  AdditionalMaps->Show();
  auto packet = [&](int size, int flags) {
    clock.Advance(1000);
    AnsiString body(2 + 28 + 1, '\0');
    body[2 + 21] = static_cast<char>(size);
    body[2 + 27] = static_cast<char>(flags);
    f_->SLIPpktStringPacket(nullptr, body);
  };
  packet(200, 1);
  packet(100, 0);
  EXPECT_EQ(AdditionalMaps->Label76->Caption(), "-Peak = -200");
  EXPECT_EQ(AdditionalMaps->Label21->Caption(), "+Peak = 100");
  f_->Timer1Timer(nullptr);
  EXPECT_EQ(AdditionalMaps->Label76->Caption(), "-Peak = -200");
  EXPECT_FLOAT_EQ(AdditionalMaps->AbVMeter1->Value(), 100);
  packet(50, 0);
  EXPECT_EQ(AdditionalMaps->Label76->Caption(), "-Peak = -200");
  EXPECT_EQ(AdditionalMaps->Label21->Caption(), "+Peak = 100");
  EXPECT_FLOAT_EQ(AdditionalMaps->AbVMeter1->Value(), 50);
  // 50 came after the restart: it belongs to the new second.
  packet(40, 0);
  EXPECT_EQ(AdditionalMaps->Label76->Caption(), "-Peak = 0");
  EXPECT_EQ(AdditionalMaps->Label21->Caption(), "+Peak = 50");
  EXPECT_FLOAT_EQ(AdditionalMaps->AbVMeter1->Value(), 40);

  ECUConnected = false;
  f_->Timer1Timer(nullptr);
  EXPECT_EQ(AdditionalMaps->Label21->Caption(), "+Peak = 0");
  EXPECT_EQ(AdditionalMaps->Label76->Caption(), "-Peak = 0");
}

// Packets from the line, one every 50 ms, each with a new engine speed and accel value; the
// dashboard draws every fourth. A one-packet extreme of the accel value comes in every phase
// against those drawings, and the clock's once-a-second restart of the meter's peaks from a
// whole drawing before it to a whole drawing after it: each extreme shows in a peak read-out
// in at least one drawing, and the restart drops what came before it, drawn or not. The
// additional tables repaint with every pass of the dashboard, on the newest packet, and in
// no other pass; once the packets stop, the last values land the same way.
TEST_F(MainDisplays, EveryAccelExtremeReachesThePeaksAndTheAdditionalTablesRepaintWithTheDashboard) {
  ui::DialogScript script;
  ShowMainWindow(script);
  f_->TabSet1->SetTabIndex(7);  // the live page, with the dashboard
  f_->TabSet1Click(f_->TabSet1);
  os::ManualClock clock{100150};  // the first packet at 100,200 ms, where a pass's slot starts
  os::ScopedClock scoped{clock};
  ECUConnected = true;
  f_->Timer1->SetEnabled(false);  // the restarts come where the case puts them
  TAdditionalMaps* a = AdditionalMaps;
  a->AdditionalBook->SetPageIndex(0);
  a->Show();
  auto paint = [] {
    for (int i = 0; i < 5; ++i) Application->ProcessMessages();
  };
  int rpm = 1000, gauge = 0;
  auto packet = [&](int value) {
    do ++rpm;
    while ((rpm & 0xFF) == 0xDB);  // the line's escape byte, which the body never holds bare
    gauge = value;
    AnsiString body(2 + 28 + 1, '\0');
    body[2] = static_cast<char>(rpm >> 8);
    body[3] = static_cast<char>(rpm);
    body[2 + 21] = static_cast<char>(std::abs(value));
    body[2 + 27] = static_cast<char>((value < 0 ? 1 : 0) | (rpm % 2 == 0 ? 2 : 0));
    f_->SLIPpktStringPacket(nullptr, body);
  };
  ui::WindowPaintCounter additional(a), main(f_);
  // Whether the additional tables repainted, and only with a pass of the dashboard on the
  // newest packet (its engine speed shown) that repainted the main window too.
  auto repainted = [&](int additionalBefore, int mainBefore) {
    const bool pass = f_->engine_speed->Caption() == IntToStr(rpm);
    const bool drawn = additional.Count() > additionalBefore;
    EXPECT_EQ(drawn, pass) << "packet " << rpm;
    if (drawn) {
      EXPECT_GT(main.Count(), mainBefore) << "packet " << rpm;
      EXPECT_FLOAT_EQ(a->AbVMeter1->Value(), gauge) << "packet " << rpm;
      EXPECT_EQ(a->ClutchText->Caption(), rpm % 2 == 0 ? "DOWN" : "UP") << "packet " << rpm;
    }
    return drawn;
  };

  // Episodes of 32 packets: the extreme at packet 16 + phase (phase 0 is drawn at once, 1 to
  // 3 wait for the pass at packet 20), the restart after packet 16 + phase + shift. The other
  // values stay within -100..99.
  constexpr int kLength = 32, kAt = 16;
  int episode = 0;
  for (int phase = 0; phase < 4; ++phase)
    for (int shift = -4; shift <= 4; ++shift, ++episode) {
      SCOPED_TRACE(testing::Message() << "phase " << phase << ", restart " << shift << " packets after the extreme");
      const int extreme = episode % 2 == 0 ? 150 + episode : -150 - episode;
      const AnsiString shownAs = extreme > 0 ? "+Peak = " + IntToStr(extreme) : "-Peak = " + IntToStr(extreme);
      auto showsExtreme = [&] { return (extreme > 0 ? a->Label21 : a->Label76)->Caption() == shownAs; };
      bool shown = false;
      for (int i = 0; i < kLength; ++i) {
        clock.Advance(50);
        const int additionalBefore = additional.Count(), mainBefore = main.Count();
        packet(i == kAt + phase ? extreme : (rpm * 37) % 200 - 100);
        if (i == kAt + phase + shift) f_->Timer1Timer(nullptr);
        paint();
        if (repainted(additionalBefore, mainBefore) && i >= kAt + phase) shown = shown || showsExtreme();
      }
      EXPECT_TRUE(shown);
      // Come before the restart, the extreme is gone by the end, drawn before it or not;
      // come after it, it belongs to the new peaks.
      EXPECT_EQ(showsExtreme(), shift < 0);
    }

  // The last packet waits for its pass: a pace after it, with one repaint of both windows.
  const int drawn = additional.Count(), mainDrawn = main.Count();
  ASSERT_NE(f_->engine_speed->Caption(), IntToStr(rpm));
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (f_->engine_speed->Caption() != IntToStr(rpm) && std::chrono::steady_clock::now() < deadline) {
    Application->ProcessMessages();
    usleep(5000);
  }
  paint();
  EXPECT_TRUE(repainted(drawn, mainDrawn));
  EXPECT_EQ(additional.Count(), drawn + 1);
}

// Eight seconds of packets every 50 ms, the dashboard drawing every fourth, the restart in
// every phase against the drawings, and extremes of both signs four times a second: a larger
// one on the packet just before each restart, a smaller one of the same sign one or two
// packets after it, and within each second two more. Each shows in a peak read-out in at
// least one drawing, and none in a drawing after the one that first follows its restart.
TEST_F(MainDisplays, EachAccelExtremeShowsOnceAndIsGoneOneDrawingAfterItsRestart) {
  ui::DialogScript script;
  ShowMainWindow(script);
  f_->TabSet1->SetTabIndex(7);
  f_->TabSet1Click(f_->TabSet1);
  os::ManualClock clock{100150};
  os::ScopedClock scoped{clock};
  ECUConnected = true;
  f_->Timer1->SetEnabled(false);
  TAdditionalMaps* a = AdditionalMaps;
  a->AdditionalBook->SetPageIndex(0);
  a->Show();
  ui::WindowPaintCounter additional(a);

  // The restarts come after these packets; extremes as {packet, value}.
  constexpr int kSeconds = 8;
  std::vector<int> restarts;
  std::map<int, int> extremes;
  for (int s = 0, last = -1; s < kSeconds; ++s) {
    const int sign = s % 2 == 0 ? 1 : -1;
    // The smaller one after the restart, one packet after it or two, against each phase.
    extremes[last + (s > 0 && (s - 1) / 4 % 2 == 1 ? 2 : 1)] = sign * (200 + s);
    extremes[last + 6] = -sign * (170 + s);
    extremes[last + 10] = sign * (210 + s);  // not 219, the line's escape byte
    last = 20 * s + 19 + s % 4;
    extremes[last] = -sign * (240 + s);  // the larger one before the restart
    restarts.push_back(last);
  }
  struct Drawing {
    int packet;
    AnsiString low, high;
  };
  std::vector<Drawing> drawings;
  int rpm = 1000;
  for (int i = 0; i <= restarts.back() + 12; ++i) {
    clock.Advance(50);
    do ++rpm;
    while ((rpm & 0xFF) == 0xDB);
    const auto found = extremes.find(i);
    const int value = found != extremes.end() ? found->second : (rpm * 37) % 200 - 100;
    AnsiString body(2 + 28 + 1, '\0');
    body[2] = static_cast<char>(rpm >> 8);
    body[3] = static_cast<char>(rpm);
    body[2 + 21] = static_cast<char>(std::abs(value));
    body[2 + 27] = static_cast<char>(value < 0 ? 1 : 0);
    const int before = additional.Count();
    f_->SLIPpktStringPacket(nullptr, body);
    if (std::find(restarts.begin(), restarts.end(), i) != restarts.end()) f_->Timer1Timer(nullptr);
    for (int k = 0; k < 5; ++k) Application->ProcessMessages();
    if (additional.Count() > before) drawings.push_back({i, a->Label76->Caption(), a->Label21->Caption()});
  }
  ASSERT_GE(drawings.size(), 40u);

  for (const auto& [packet, value] : extremes) {
    SCOPED_TRACE(testing::Message() << "extreme " << value << " at packet " << packet);
    const AnsiString shownAs = value > 0 ? "+Peak = " + IntToStr(value) : "-Peak = " + IntToStr(value);
    auto shows = [&](const Drawing& d) { return (value > 0 ? d.high : d.low) == shownAs; };
    const auto restart = std::lower_bound(restarts.begin(), restarts.end(), packet);
    ASSERT_NE(restart, restarts.end());
    const auto firstAfter = std::find_if(drawings.begin(), drawings.end(),
                                         [&](const Drawing& d) { return d.packet > *restart; });
    ASSERT_NE(firstAfter, drawings.end());
    const auto from = std::find_if(drawings.begin(), drawings.end(), [&](const Drawing& d) { return d.packet >= packet; });
    EXPECT_TRUE(std::any_of(from, firstAfter + 1, shows));
    EXPECT_TRUE(std::none_of(firstAfter + 1, drawings.end(), shows));
  }
}

TEST_F(MainDisplays, RatioBarsLightUpToTheirSegmentAndColourTheReadOut) {
  struct Case {
    int ratio, lit;
    TColor text;
  };
  const Case cases[] = {{100, 30, clLime}, {110, 30, clLime}, {111, 30, clLime}, {147, 16, clYellow},
                        {161, 1, clRed},   {200, 1, clRed}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.ratio);
    LiveFast.AFR = c.ratio;
    LiveFast.AFR2 = 147;
    f_->UpdateAFR();
    ASSERT_EQ(f_->Panel6->ControlCount(), 30);
    EXPECT_EQ(Segments(f_->Panel6), std::string(c.lit, '#') + std::string(30 - c.lit, '.'));
    EXPECT_EQ(Segments(f_->Panel8), std::string(16, '#') + std::string(14, '.'));
    EXPECT_FLOAT_EQ(f_->AbValueInd1->Value(), c.ratio / 10.0f);
    EXPECT_EQ(f_->AbValueInd1->FontValue()->Color(), c.text);
  }
  // The segments keep their own colour family: lean ones red, middle yellow, rich lime.
  LiveFast.AFR = 100;
  f_->UpdateAFR();
  auto colour = [&](int k) { return dynamic_cast<TShape*>(f_->Panel6->Controls(k))->Brush()->Color(); };
  EXPECT_EQ(colour(0), clRed);
  EXPECT_EQ(colour(15), clYellow);
  EXPECT_EQ(colour(29), clLime);

  // A lost link leaves no ratio standing: both bars dark.
  f_->BlankLiveDisplays();
  EXPECT_EQ(Segments(f_->Panel6), std::string(30, '.'));
  EXPECT_EQ(f_->engine_speed->Caption(), "XXXX");
  EXPECT_EQ(f_->air_temp->Caption(), "XXX");
}

TEST_F(MainDisplays, TemperaturePointersSitOnTheTableColumnsInBothUnits) {
  struct Case {
    int unit, coolant, column;
    const char* text;
  };
  // 40 degC is column 7; 100 column 12; 120 the last, 13. The column does not depend on
  // the unit shown; the text does.
  const Case cases[] = {{0, 40, 7, "Coolant: 40 \xB0" "C"},   {1, 40, 7, "Coolant: 104 \xB0" "F"},
                        {0, 100, 12, "Coolant: 100 \xB0" "C"}, {1, 100, 12, "Coolant: 212 \xB0" "F"},
                        {0, -30, 0, "Coolant: <-30 \xB0" "C"}, {1, 150, 13, "Coolant: >302 \xB0" "F"}};
  f_->Notebook1->SetPageIndex(5);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    Settings.TemperatureUnit = c.unit;
    LiveSlow.CoolantTemp = c.coolant;
    LiveSlow.AirTemp = 20;
    f_->SlowLiveDisplays();
    const TRect cell = f_->coolantign_table->CellRect(c.column, 0);
    const int centre = f_->coolantign_table->Left() + (cell.Left + cell.Right) / 2 - f_->Image6->Left();
    EXPECT_NEAR(PointerTip(f_->Image6, clBlue), centre, 1);
    EXPECT_EQ(f_->CoolantTempLive5->Caption(), c.text);
    // 20 degC: column 5 of the air table, in white.
    const TRect air = f_->airign_table->CellRect(5, 0);
    EXPECT_NEAR(PointerTip(f_->Image7, clWhite), f_->airign_table->Left() + (air.Left + air.Right) / 2 - f_->Image7->Left(),
                1);
  }
  // The cranking site on the injection corrections page: row 2 marked silver.
  f_->Notebook1->SetPageIndex(6);
  LiveSlow.CrankingSite = 2 << 5 | 16;
  f_->SlowLiveDisplays();
  EXPECT_EQ(f_->CrankingTable->ColorCell(0, 2), clSilver);
  LiveSlow.CrankingSite = 1 << 5;
  f_->SlowLiveDisplays();
  EXPECT_NE(f_->CrankingTable->ColorCell(0, 2), clSilver);
  EXPECT_EQ(f_->CrankingTable->ColorCell(0, 1), clSilver);
}

TEST_F(MainDisplays, TimerBlinksTheStatusWhileLockedAndTheExhaustWarning) {
  ECUMapsLocked = true;
  f_->Timer1Timer(nullptr);
  const TColor first = f_->StatusPanel->Color();
  f_->Timer1Timer(nullptr);
  EXPECT_NE(f_->StatusPanel->Color(), first);
  EXPECT_TRUE(first == clYellow || f_->StatusPanel->Color() == clYellow);
  ECUMapsLocked = false;
  f_->Timer1Timer(nullptr);
  f_->Timer1Timer(nullptr);
  EXPECT_EQ(f_->StatusPanel->Color(), clBtnFace);

  // Box 2 shows the exhaust gas temperature: green below the warning, blinking red at it.
  Settings.UserViewVar[2] = 21;
  Settings.EGTWarning = 900;
  LiveEGT = 899;
  f_->Timer1Timer(nullptr);
  EXPECT_EQ(f_->User2->Font()->Color(), clGreen);
  LiveEGT = 900;
  f_->Timer1Timer(nullptr);
  const std::pair<TColor, TColor> a{f_->User2->Font()->Color(), f_->User2->Color()};
  f_->Timer1Timer(nullptr);
  const std::pair<TColor, TColor> b{f_->User2->Font()->Color(), f_->User2->Color()};
  EXPECT_NE(a, b);
  for (const auto& [font, back] : {a, b})
    EXPECT_TRUE((font == clRed && back == clBtnFace) || (font == clWhite && back == clRed));
  EXPECT_EQ(f_->User1->Font()->Color(), clGreen);
}

}  // namespace

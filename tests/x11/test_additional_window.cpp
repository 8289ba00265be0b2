// The additional-tables window under a real window manager on a 1024x768 screen: at its
// design size the whole frame is on the screen, its F-keys choose the pages, and a wider
// window keeps the pages centred; the accel meter's peak read-out through its restarts. With CQ5_SCREENSHOT_DIR set, every page is captured
// from the screen (frame included) for a look by eye.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

#include "app/Main.h"
#include "config/Additonl.h"
#include "config/LoadSiteAdjU.h"
#include "controls/Aligrid.h"
#include "link/LiveData.h"
#include "model/MapRecord.h"
#include "model/Settings.h"
#include "platform/graphics/Bitmap.h"
#include "platform/stdctrls/StdCtrls.h"
#include "platform/stdctrls/Tabs.h"
#include "platform/ui/Application.h"
#include "platform/os/Clock.h"
#include "platform/ui/Simulate.h"
#include "platform/ui/Timer.h"
#include "x11/ProgramUser.h"
#include "x11/XSession.h"

namespace {

using x11test::Output;

using x11test::PumpFor;
using x11test::PumpUntil;

class AdditionalWindow : public ::testing::TestWithParam<const char*> {
 protected:
  void SetUp() override {
    std::string missing;
    if (!x_.Start(missing, GetParam())) GTEST_SKIP() << "needs " << missing;
    Application->Initialize();
    CurrentMap = 1;
    TMapRecord& m = MapSlots[1];
    m.Clear();
    SetMapSpeedSiteAndLimitDefaults(m, 500);
    SetMapAdditionalDefaults(m);
    SetMapBaroDefaults(m);
    SetMapBoostLoadDefaults(m);
    SetMapMainDefaults(m);
    SetMapBattCompDefaults(m);
    CreateProgramForms();
    R7Tform1->RefreshMapTables();
  }

  void TearDown() override {
    ecu::ZeroLiveRawValues();
    for (int i = Screen->FormCount(); i-- > 0;) delete Screen->Forms(i);
    Application->ProcessMessages();
  }


  // The window's frame on the screen: x, y, width, height.
  std::array<int, 4> Frame(const std::string& id) {
    const std::string g = Output("xwininfo -id " + id + " -frame 2>/dev/null; xdotool getwindowgeometry --shell " + id);
    std::array<int, 4> out{};
    const char* keys[4] = {"X=", "Y=", "WIDTH=", "HEIGHT="};
    for (int i = 0; i < 4; ++i) {
      const size_t at = g.rfind(keys[i]);
      if (at != std::string::npos) out[i] = std::atoi(g.c_str() + at + std::string(keys[i]).size());
    }
    return out;
  }

  void Shot(const std::string& name) {
    const char* dir = std::getenv("CQ5_SCREENSHOT_DIR");
    if (dir == nullptr) return;
    PumpUntil([] { return false; }, 150);
    const std::string file = std::string(dir) + "/" + name + ".png";
    // The whole screen, frame included, where ImageMagick is at hand; else the window itself.
    if (std::system(("import -window root '" + file + "' 2>/dev/null").c_str()) != 0)
      ui::GrabToPng(AdditionalMaps, file.c_str());
  }

  x11test::XSession x_;
};

TEST_P(AdditionalWindow, FitsTheScreenAndItsKeysChoosePages) {
  TAdditionalMaps* a = AdditionalMaps;
  // Live readings as the ECU link would leave them, so the pages show them filled.
  LiveFast.GaugeValue = -120;
  LiveFast.Flags = 3;
  LiveSlow.Outputs = 0x15;
  a->ShowFastLive();
  a->ShowSlowLive();
  a->SetLeft(40);
  a->SetTop(40);
  a->Show();
  std::string id;
  ASSERT_TRUE(PumpUntil([&] {
    id = Output("xdotool search --onlyvisible --name 'Accel fuelling settings' 2>/dev/null | head -n1");
    return !id.empty();
  }));
  // Frame and all, the window stays on a 1024 x 768 screen.
  const auto f = Frame(id);
  EXPECT_LE(f[0] + f[2], 1024);
  EXPECT_LE(f[1] + f[3] + 30, 768);
  EXPECT_GE(a->Width(), 619);
  const std::string screen = std::string(GetParam()).substr(0, std::string(GetParam()).find('x', 5));
  for (int page = 0; page < 18; ++page) {
    if (page < 12) {
      ui::SimulateKey(a, ("F" + std::to_string(page + 1)).c_str());
    } else {
      a->TabSet->SetTabIndex(page);
      a->TabSetClick(a->TabSet);
    }
    Application->ProcessMessages();
    EXPECT_EQ(a->AdditionalBook->PageIndex(), page);
    Shot(screen + "-page" + (page < 10 ? "0" : "") + std::to_string(page));
    if (page == 0)
      for (int t = 1; t < 3; ++t) {
        a->TabSet1->SetTabIndex(t);
        a->TabSet1Click(a->TabSet1);
        Shot(screen + "-page00-" + std::to_string(t));
      }
    if (page == 3)
      for (int t = 1; t < 5; ++t) {
        a->TabSet2->SetTabIndex(t);
        a->TabSet2Click(a->TabSet2);
        Shot(screen + "-page03-" + std::to_string(t));
      }
  }
  // Wider: the pages stay centred, the accel meter at the right edge.
  a->SetWidth(960);
  Application->ProcessMessages();
  a->TabSet->SetTabIndex(0);
  a->TabSetClick(a->TabSet);
  Shot(screen + "-wide-page00");
  a->TabSet->SetTabIndex(9);
  a->TabSetClick(a->TabSet);
  Shot(screen + "-wide-page09");
  EXPECT_EQ(a->ClientHeight(), 329);
  a->Hide();
  // The site dialog as the cylinder trims' speed sites show in it.
  LoadSiteAdj->Tag = kCylTrimSiteTag;
  LoadSiteUnit = kRpmSiteUnit;
  LoadSiteCurrent = LoadSiteNew = {1000, 2000, 3000, 4000, 12500};
  LoadSiteAdj->Show();
  ASSERT_TRUE(PumpUntil([&] {
    return !Output("xdotool search --onlyvisible --name 'Speed site positions' 2>/dev/null | head -n1").empty();
  }));
  EXPECT_EQ(LoadSiteAdj->SitePosGrid->Cells(2, 5), "12,500");
  Shot(screen + "-cyltrim-sites");
  LoadSiteAdj->Hide();
}

// Each 32 x 5 table's load label, for either sensor and at the design and a wider width:
// whole (as wide as its text), on the page, over the axis column, touched by no other
// control of the page.
TEST_P(AdditionalWindow, LoadLabelsStandWholeOverTheirAxisColumns) {
  TAdditionalMaps* a = AdditionalMaps;
  a->SetLeft(40);
  a->SetTop(40);
  a->Show();
  ASSERT_TRUE(PumpUntil([&] {
    return !Output("xdotool search --onlyvisible --name 'Accel fuelling settings' 2>/dev/null | head -n1").empty();
  }));
  struct Table {
    int page;
    TStringAlignGrid* grid;
    TLabel* label;
  } tables[] = {{4, a->CoilOnTable, a->CoilOnLoadLabel},
                {11, a->InjTimingTable, a->InjPosLoadLabel},
                {15, a->PWMTable, a->LoadLabel},
                {17, a->VVT_table, a->VVTloadlabel}};
  const std::string screen = std::string(GetParam()).substr(0, std::string(GetParam()).find('x', 5));
  for (int width : {a->Width(), 960}) {
    a->SetWidth(width);
    Application->ProcessMessages();
    for (bool map : {false, true}) {
      MapSlots[1].LoadOptions = static_cast<int16_t>(map ? 0x2E : 0);
      R7Tform1->RefreshMapTables();
      for (const Table& t : tables) {
        SCOPED_TRACE(std::to_string(t.page) + (map ? " MAP " : " throttle ") + std::to_string(width));
        a->TabSet->SetTabIndex(t.page);
        a->TabSetClick(a->TabSet);
        Application->ProcessMessages();
        TLabel* l = t.label;
        EXPECT_EQ(l->Caption(), map ? "MAP" : "Throttle");
        EXPECT_TRUE(l->Visible());
        TBitmap b;
        b.SetSize(1, 1);
        b.Canvas()->Font()->Assign(l->Font());
        EXPECT_GE(l->Width(), b.Canvas()->TextWidth(l->Caption()));
        EXPECT_GE(l->Top(), 0);
        EXPECT_GE(l->Left(), t.grid->Left());
        EXPECT_LE(l->Left() + l->Width(), t.grid->Left() + t.grid->ColWidths(0));
        EXPECT_LE(l->Top() + l->Height(), t.grid->Top());
        const TRect r = l->BoundsRect();
        TWinControl* page = l->Parent();
        for (int i = 0; i < page->ControlCount(); ++i) {
          TControl* c = page->Controls(i);
          if (c == l || !c->Visible()) continue;
          const TRect o = c->BoundsRect();
          EXPECT_FALSE(r.Left < o.Right && o.Left < r.Right && r.Top < o.Bottom && o.Top < r.Bottom) << c->Name();
        }
        Shot(screen + "-load-" + std::to_string(t.page) + (map ? "-map-" : "-tps-") + std::to_string(width));
      }
    }
  }
  a->Hide();
}

// The accel meter's peak read-outs on the screen while the ECU streams, each packet drawn:
// an extreme shows, the drawing where the once-a-second restart is due still shows the
// ending second's peak (a larger one just before the restart, a smaller one just after
// it), and the next drawing the new second's alone. The screen over the read-out must come
// to show the read-out as it stands.
TEST_P(AdditionalWindow, TheAccelPeaksOnTheScreenEndTheirSecondOneDrawingAfterTheRestart) {
  TAdditionalMaps* a = AdditionalMaps;
  a->AdditionalBook->SetPageIndex(0);
  a->SetLeft(40);
  a->SetTop(40);
  a->Show();
  ASSERT_TRUE(PumpUntil([&] {
    return !Output("xdotool search --onlyvisible --name 'Accel fuelling settings' 2>/dev/null | head -n1").empty();
  }));
  ECUConnected = false;
  a->ResetMeterPeaks();  // without the stream, at once
  ECUConnected = true;
  R7Tform1->Timer1->SetEnabled(false);  // the restarts come where the case puts them

  os::ManualClock clock{100000};
  os::ScopedClock scoped{clock};
  auto packet = [&](int value) {
    clock.Advance(1000);  // a second on: the packet is drawn at once
    AnsiString body(2 + 28 + 1, '\0');
    body[2 + 21] = static_cast<char>(std::abs(value));
    body[2 + 27] = static_cast<char>(value < 0 ? 1 : 0);
    R7Tform1->SLIPpktStringPacket(nullptr, body);
  };
  TLabel* low = a->Label76;
  auto shows = [&](const char* text) {
    if (low->Caption() != text) return false;
    return PumpUntil([&] {
      TBitmap seen, drawn;
      return ui::GrabScreenOf(low, seen) && (ui::GrabControl(low, drawn), x11test::SamePicture(seen, drawn));
    }, 20000);
  };
  packet(-240);
  EXPECT_TRUE(shows("-Peak = -240"));
  R7Tform1->Timer1Timer(nullptr);
  packet(-201);
  EXPECT_TRUE(shows("-Peak = -240"));
  packet(-20);
  EXPECT_TRUE(shows("-Peak = -201"));
  R7Tform1->Timer1Timer(nullptr);
  packet(-30);
  EXPECT_TRUE(shows("-Peak = -201"));
  packet(-10);
  EXPECT_TRUE(shows("-Peak = -30"));
  ECUConnected = false;
  a->Hide();
}

INSTANTIATE_TEST_SUITE_P(Screens, AdditionalWindow, ::testing::Values("1024x768x24", "1600x1000x24"));

}  // namespace

// The map graph as a tuner uses it: opened from the main window's "Plot graph" command, the
// surface turned by dragging, scrolled with the wheel, the table chosen in the selector, and
// redrawn after a table edit; the values read from the map record's own offsets.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <functional>

#include "app/Graphs.h"
#include "app/ProgramWindowsFixture.h"
#include "chart/Chart.h"
#include "chart/TeeSurfa.h"
#include "chart/TeeTools.h"
#include "config/Additonl.h"
#include "config/setup.h"
#include "controls/Aligrid.h"
#include "platform/stdctrls/Menus.h"
#include "platform/stdctrls/ScrollCtrls.h"
#include "platform/stdctrls/StdCtrls.h"
#include "platform/ui/Simulate.h"

namespace {

void PutWord(TMapRecord& m, size_t off, int v) {
  const int16_t w = static_cast<int16_t>(v);
  std::memcpy(m.Bytes() + off, &w, 2);
}

class GraphWindow : public ProgramWindowsTest {
 protected:
  // A tuner's ignition and injection tables: advance rising with speed and falling with
  // load, fuel rising with both; and distinct correction tables.
  void FillMap() {
    TMapRecord& m = MapSlots[1];
    m.HardRevLimit = 7000;
    for (int z = 1; z <= 32; ++z)
      for (int x = 1; x <= 16; ++x) {
        PutWord(m, 512 + z * 34 + x * 2, static_cast<int>(10 + 25 * std::sin(z / 10.0) - x));
        PutWord(m, 1668 + z * 34 + x * 2, 20 + 4 * x + z);
      }
    for (int z = 0; z < 14; ++z) {
      PutWord(m, 14456 + z * 2, 100 + z);
      PutWord(m, 14728 + z * 2, 200 + z);
      PutWord(m, 14524 + z * 2, 300 + z);
      PutWord(m, 14796 + z * 2, 400 + z);
      PutWord(m, 15064 + z * 2, 500 + z);
    }
    Settings.SpeedSiteStep = 500;
  }

  void Open() {
    FillMap();
    auto* item = dynamic_cast<TMenuItem*>(f_->FindComponent("Plotgraph1"));
    ASSERT_NE(item, nullptr);
    item->Click();
    Application->ProcessMessages();
    ASSERT_TRUE(Graph->Visible());
  }

  // Paints the chart once so that its axes hold their computed limits.
  void Paint() {
    TBitmap b;
    ui::GrabControl(Graph->Chart1, b);
  }

  double ShownValue(int X, int Z) {
    TSurfaceSeries* s = Graph->Series1;
    return s->YValue((Z - 1) * s->NumXValues() + (X - 1));
  }
};

TEST_F(GraphWindow, SpeedSiteCountFollowsTheHardLimit) {
  struct Case {
    int limit, spacing, sites;
  };
  const Case cases[] = {{7000, 500, 16}, {1000, 500, 8}, {20000, 500, 32}, {7000, 1000, 9}, {7000, 0, 16}, {7000, -5, 16}};
  for (const Case& c : cases) EXPECT_EQ(GraphSpeedSiteCount(c.limit, c.spacing), c.sites) << c.limit << "/" << c.spacing;
}

TEST_F(GraphWindow, NoChartOfTheProgramZoomsOrPansByMouse) {
  for (TChart* c : {SetupForm->ATSChart, SetupForm->CTSChart, SetupForm->XTSChart, AdditionalMaps->BattCompChart, Graph->Chart1}) {
    ASSERT_NE(c, nullptr);
    EXPECT_FALSE(c->Zoom()->Allow) << c->Name();
    EXPECT_EQ(c->AllowPanning(), pmNone) << c->Name();
  }
}

TEST_F(GraphWindow, ValuesComeFromTheRecordOffsets) {
  TMapRecord m;
  m.Clear();
  PutWord(m, 512 + 3 * 34 + 5 * 2, -12);
  PutWord(m, 1668 + 32 * 34 + 16 * 2, 777);
  const size_t bases[] = {14456, 14728, 14524, 14796, 15064};
  for (int k = 0; k < 5; ++k) PutWord(m, bases[k] + 13 * 2, 900 + k);
  EXPECT_EQ(GraphTableValue(m, 0, 5, 3), -12);
  EXPECT_EQ(GraphTableValue(m, 1, 16, 32), 777);
  for (int k = 0; k < 5; ++k) EXPECT_EQ(GraphTableValue(m, 2 + k, 1, 13), 900 + k);
  // Outside the tables and for no item: nothing is read.
  EXPECT_EQ(GraphTableValue(m, -1, 1, 1), 0);
  EXPECT_EQ(GraphTableValue(m, 7, 1, 1), 0);
  EXPECT_EQ(GraphTableValue(m, 0, 17, 1), 0);
  EXPECT_EQ(GraphTableValue(m, 2, 1, 14), 0);
}

TEST_F(GraphWindow, PlotGraphShowsTheIgnitionSurface) {
  Open();
  TSurfaceSeries* s = Graph->Series1;
  EXPECT_EQ(Graph->GraphSelect->ItemIndex(), 0);
  EXPECT_EQ(s->NumXValues(), 16);
  EXPECT_EQ(s->NumZValues(), 16);
  EXPECT_EQ(s->Count(), 256);
  EXPECT_EQ(ShownValue(5, 3), GraphTableValue(MapSlots[1], 0, 5, 3));
  EXPECT_EQ(Graph->Chart1->BottomAxis()->Title()->Caption(), "Load site");
  EXPECT_EQ(Graph->Chart1->DepthAxis()->Title()->Caption(), "Speed Site");
  // The depth axis spans the speed sites shown.
  EXPECT_EQ(Graph->Chart1->DepthAxis()->Minimum(), 1);
  EXPECT_EQ(Graph->Chart1->DepthAxis()->Maximum(), 16);
  EXPECT_EQ(ui::WindowTitle(Graph), "Graph");
  // Its mouse drags turn the view: no rubber band and no panning of its own.
  EXPECT_FALSE(Graph->Chart1->Zoom()->Allow);
  EXPECT_EQ(Graph->Chart1->AllowPanning(), pmNone);
  EXPECT_EQ(Graph->Chart1->View3DOptions()->Zoom(), 50);
  EXPECT_EQ(Graph->Series1->Transparency(), 25);
  EXPECT_EQ(Graph->Chart1->Tools()->Count(), 1);
}

TEST_F(GraphWindow, EveryItemShowsItsOwnTableUnderItsOwnTitle) {
  Open();
  struct Case {
    int item;
    const char* title;
    bool bottomVisible, bottomInverted;
    int numX, numZ;
    double value;  // at (1, 13) for the one-row tables, (2, 4) for the main tables
  };
  const TMapRecord& m = MapSlots[1];
  const Case cases[] = {
      {2, "Ignition Vs Air Temperature", false, true, 2, 13, 113},
      {0, "Ignition Map", true, false, 16, 16, GraphTableValue(m, 0, 2, 4)},
      {3, "Ignition Vs Coolant Temperature", false, true, 2, 13, 213},
      {1, "Injection Map", true, true, 16, 16, GraphTableValue(m, 1, 2, 4)},
      {4, "Injection Vs Air Temperature", false, true, 2, 13, 313},
      {5, "Injection Vs Coolant Temperature", false, true, 2, 13, 413},
      {6, "Cranking Prime", false, true, 2, 13, 513},
      {0, "Ignition Map", true, false, 16, 16, GraphTableValue(m, 0, 2, 4)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.title);
    Graph->GraphSelect->UserSelect(c.item);
    EXPECT_EQ(Graph->Chart1->Title()->Text()->Text(), AnsiString(c.title) + "\r\n");
    EXPECT_EQ(Graph->Chart1->BottomAxis()->Visible(), c.bottomVisible);
    EXPECT_EQ(Graph->Chart1->BottomAxis()->Inverted(), c.bottomInverted);
    EXPECT_EQ(Graph->Series1->NumXValues(), c.numX);
    EXPECT_EQ(Graph->Series1->NumZValues(), c.numZ);
    EXPECT_EQ(Graph->Chart1->DepthAxis()->Maximum(), c.numZ);
    if (c.numX == 2) {
      EXPECT_EQ(ShownValue(1, 13), c.value);
      EXPECT_EQ(ShownValue(2, 13), c.value);  // both rows alike
    } else {
      EXPECT_EQ(ShownValue(2, 4), c.value);
    }
  }
  // No item selected changes nothing.
  Graph->GraphSelect->SetItemIndex(-1);
  Graph->GraphSelectChange(Graph->GraphSelect);
  EXPECT_EQ(Graph->Series1->NumXValues(), 16);
}

TEST_F(GraphWindow, ShowingAgainStartsAtIgnitionWithTheLoadAxisShown) {
  Open();
  Graph->GraphSelect->UserSelect(2);
  EXPECT_FALSE(Graph->Chart1->BottomAxis()->Visible());
  Graph->Exitgraph1->Click();
  Application->ProcessMessages();
  EXPECT_FALSE(Graph->Visible());
  CurrentMap = 2;  // the other slot's table shows on the next showing
  MapSlots[2] = MapSlots[1];
  PutWord(MapSlots[2], 512 + 1 * 34 + 1 * 2, 55);
  Graph->Show();
  Application->ProcessMessages();
  EXPECT_EQ(Graph->GraphSelect->ItemIndex(), 0);
  EXPECT_TRUE(Graph->Chart1->BottomAxis()->Visible());
  EXPECT_FALSE(Graph->Chart1->BottomAxis()->Inverted());
  EXPECT_FALSE(Graph->Chart1->DepthAxis()->Inverted());
  EXPECT_EQ(ShownValue(1, 1), 55);
}

TEST_F(GraphWindow, ZoomButtonsKeepAFloorAndResetToHalf) {
  Open();
  TView3DOptions* o = Graph->Chart1->View3DOptions();
  Graph->zoom_plus->Click();
  EXPECT_EQ(o->Zoom(), 51);
  for (int i = 0; i < 80; ++i) Graph->zoom_minus->Click();
  EXPECT_EQ(o->Zoom(), TView3DOptions::MinimumZoom);
  Graph->zoom_reset->Click();
  EXPECT_EQ(o->Zoom(), 50);
}

TEST_F(GraphWindow, BarsDoNotSnapAnAngleOutsideTheirRange) {
  Open();
  TView3DOptions* o = Graph->Chart1->View3DOptions();
  o->SetRotation(10);  // turned past 360 by the rotate tool
  Graph->Close();
  Graph->Show();
  Application->ProcessMessages();
  EXPECT_EQ(o->Rotation(), 10);
  Graph->RotationBar->SetPosition(300);
  EXPECT_EQ(o->Rotation(), 300);
  Graph->ElevationBar->SetPosition(280);
  EXPECT_EQ(o->Elevation(), 280);
}

// A click beside a bar's thumb turns or tilts the surface by a page of 10 degrees, as far
// as the bar's end.
TEST_F(GraphWindow, ClickBesideTheThumbPagesTheAngle) {
  Open();
  TView3DOptions* o = Graph->Chart1->View3DOptions();
  Graph->RotationBar->SetPosition(300);
  Graph->ElevationBar->SetPosition(300);
  const struct {
    TScrollBar* bar;
    std::function<int()> angle;
  } bars[] = {{Graph->RotationBar, [&] { return o->Rotation(); }}, {Graph->ElevationBar, [&] { return o->Elevation(); }}};
  for (const auto& b : bars) {
    SCOPED_TRACE(b.bar->Name().c_str());
    const bool across = b.bar->Kind() == sbHorizontal;
    auto clickAt = [&](int along) {
      ui::SimulateClick(b.bar, across ? along : b.bar->Width() / 2, across ? b.bar->Height() / 2 : along);
    };
    const TRect thumb = b.bar->ThumbRect();
    clickAt((across ? thumb.Right : thumb.Bottom) + 3);
    EXPECT_EQ(b.angle(), 310);
    clickAt((across ? b.bar->ThumbRect().Left : b.bar->ThumbRect().Top) - 3);
    clickAt((across ? b.bar->ThumbRect().Left : b.bar->ThumbRect().Top) - 3);
    EXPECT_EQ(b.angle(), 290);
    for (int i = 0; i < 12; ++i) clickAt(b.bar->ArrowSize() + 1);
    EXPECT_EQ(b.angle(), 270);
  }
}

// The whole use: open from the menu, drag to turn, wheel to scroll, undo by Reset, switch
// tables, edit a cell and see the surface follow.
TEST_F(GraphWindow, TunerTurnsScrollsAndSwitchesTables) {
  Open();
  TChart* chart = Graph->Chart1;
  TView3DOptions* o = chart->View3DOptions();
  Paint();
  const int rotation = o->Rotation(), elevation = o->Elevation();
  const int w = chart->Width(), h = chart->Height();
  ui::SimulateMouseDown(chart, mbLeft, w / 2, h / 2);
  for (int step = 1; step <= 10; ++step) ui::SimulateMouseMove(chart, w / 2 + step * w / 40, h / 2 - step * h / 90, {ssLeft});
  ui::SimulateMouseUp(chart, mbLeft, w / 2 + w / 4, h / 2 - h / 9);
  // Small steps add up: the whole drag turns as far as one long move would.
  // (within the half degree the last step may still hold).
  const double turn = 90.0 * (10 * w / 40) / w, tilt = 90.0 * (10 * h / 90) / h;
  EXPECT_NEAR(o->Rotation(), rotation + turn, 0.5);
  EXPECT_NEAR(o->Elevation(), elevation + tilt, 0.5);
  EXPECT_FALSE(Graph->ChartTool1->Dragging());
  EXPECT_FALSE(chart->Zoom()->Active);  // the drag rotated; it started no zoom

  // One wheel notch toward the user scrolls the value axis by 3 % of its range.
  Paint();
  TChartAxis* left = chart->LeftAxis();
  const double min0 = left->Minimum(), max0 = left->Maximum();
  ui::SimulateMouseWheel(chart, -120, w / 2, h / 2);
  EXPECT_NEAR(left->Minimum(), min0 + (max0 - min0) * 0.03, 1e-9);
  EXPECT_FALSE(left->Automatic());
  Graph->zoom_reset->Click();
  EXPECT_TRUE(left->Automatic());

  Graph->GraphSelect->UserSelect(1);
  EXPECT_EQ(chart->Title()->Text()->Text(), "Injection Map\r\n");
  EXPECT_EQ(chart->LeftAxis()->Title()->Caption(), "Injection number");
  EXPECT_EQ(ShownValue(3, 2), GraphTableValue(MapSlots[1], 1, 3, 2));

  // An edit in the ignition table while the graph is open shows at once.
  Graph->GraphSelect->UserSelect(0);
  TStringAlignGrid* grid = f_->ignitiontable;
  grid->SetSelection(TGridRect{2, 1, 2, 1});
  const double before = ShownValue(1, 1);
  WORD key = VK_ADD;
  f_->ignitiontableKeyDown(grid, key, {});
  EXPECT_NE(ShownValue(1, 1), before);
  EXPECT_EQ(ShownValue(1, 1), GraphTableValue(MapSlots[1], 0, 1, 1));
}

// Turned and tilted by the bars down to nearly edge-on, in the window's own size and a
// large one, no axis label stands over another: the speed sites crowding along a
// foreshortened depth axis show every other one or fewer, and the first speed site gives
// way to the last load site at their shared corner.
TEST_F(GraphWindow, TiltedNearlyEdgeOnTheLabelsStayApart) {
  Open();
  TChart* chart = Graph->Chart1;
  for (const auto& [w, h] : {std::pair{560, 469}, std::pair{1024, 768}})
    for (int rotation : {300, 324, 345, 355, 360})
      for (int elevation : {345, 352, 356, 358, 360}) {
        SCOPED_TRACE(std::to_string(w) + " " + std::to_string(rotation) + "/" + std::to_string(elevation));
        Graph->SetBounds(0, 0, w, h);
        Graph->RotationBar->SetPosition(rotation);
        Graph->ElevationBar->SetPosition(elevation);
        ASSERT_EQ(chart->View3DOptions()->Rotation(), rotation);
        ASSERT_EQ(chart->View3DOptions()->Elevation(), elevation);
        Paint();
        const std::vector<TRect>& r = chart->AxisLabelRects;
        // Some of each axis.
        EXPECT_GE(r.size(), 8u);
        for (size_t a = 0; a < r.size(); ++a)
          for (size_t b = a + 1; b < r.size(); ++b)
            EXPECT_FALSE(r[a].Left < r[b].Right && r[b].Left < r[a].Right && r[a].Top < r[b].Bottom &&
                         r[b].Top < r[a].Bottom)
                << a << " " << b;
      }
}

// Turned nearly edge-on, the load and value axes' titles, whose places beyond their labels
// come out on the screen on top of those labels, stand clear of every label, inside the
// chart; in the usual view they stay where the axes put them.
TEST_F(GraphWindow, TurnedNearlyEdgeOnTheTitlesStandOffTheLabels) {
  Open();
  TChart* chart = Graph->Chart1;
  auto overlap = [](const TRect& a, const TRect& b) {
    return a.Left < b.Right && b.Left < a.Right && a.Top < b.Bottom && b.Top < a.Bottom;
  };
  for (const auto& [w, h] : {std::pair{560, 469}, std::pair{1024, 768}})
    for (int rotation : {270, 272, 275, 280})
      for (int elevation : {300, 345, 358}) {
        SCOPED_TRACE(std::to_string(w) + " " + std::to_string(rotation) + "/" + std::to_string(elevation));
        Graph->SetBounds(0, 0, w, h);
        Graph->RotationBar->SetPosition(rotation);
        Graph->ElevationBar->SetPosition(elevation);
        Paint();
        const std::vector<TRect>& titles = Graph->TitleRects();
        ASSERT_EQ(titles.size(), 2u) << "\"Ignition Advance\" and \"Load site\"";
        EXPECT_FALSE(overlap(titles[0], titles[1]));
        for (const TRect& t : titles) {
          EXPECT_TRUE(t.Left >= 0 && t.Top >= 0 && t.Right <= chart->Width() && t.Bottom <= chart->Height());
          for (const TRect& l : chart->AxisLabelRects) EXPECT_FALSE(overlap(t, l));
        }
      }
}

TEST_F(GraphWindow, Picture) {
  const char* dir = std::getenv("GRAPH_SHOTS");
  if (dir == nullptr) GTEST_SKIP() << "GRAPH_SHOTS not set";
  Open();
  for (const auto& [w, h] : {std::pair{1024, 768}, std::pair{1280, 960}}) {
    Graph->SetBounds(0, 0, w, h);
    Application->ProcessMessages();
    Graph->GraphSelect->UserSelect(0);
    ui::GrabToPng(Graph, AnsiString(dir) + "/graph-ign-" + std::to_string(w) + ".png");
    // Under a real X server with a window manager, the whole screen as the user sees it.
    if (std::getenv("GRAPH_SCREEN") != nullptr) {
      for (int i = 0; i < 20; ++i) Application->ProcessMessages();
      const std::string cmd = "import -window root " + std::string(dir) + "/screen-" + std::to_string(w) + ".png";
      EXPECT_EQ(std::system(cmd.c_str()), 0);
    }
    Graph->GraphSelect->UserSelect(1);
    ui::GrabToPng(Graph, AnsiString(dir) + "/graph-inj-" + std::to_string(w) + ".png");
    Graph->GraphSelect->UserSelect(3);
    ui::GrabToPng(Graph, AnsiString(dir) + "/graph-cts-" + std::to_string(w) + ".png");
  }
  Graph->SetBounds(0, 0, 560, 469);
  Graph->GraphSelect->UserSelect(0);
  Application->ProcessMessages();
  ui::GrabToPng(Graph, AnsiString(dir) + "/graph-560.png");
  // Tilted from above to nearly edge-on.
  Graph->SetBounds(0, 0, 1024, 768);
  for (int rotation : {300, 324, 355, 360})
    for (int elevation : {300, 345, 358, 360}) {
      Graph->Chart1->View3DOptions()->SetElevation(elevation);
      Graph->Chart1->View3DOptions()->SetRotation(rotation);
      Application->ProcessMessages();
      ui::GrabToPng(Graph, AnsiString(dir) + "/graph-tilt-" + std::to_string(rotation) + "-" + std::to_string(elevation) + ".png");
    }
}

// Tilted from above and turned towards edge-on, the sites crowd along the foreshortened
// axes: labels side by side keep at least a digit's width apart, so that neighbours never
// read as one number, and none stands over another.
TEST_F(GraphWindow, TiltedAndTurnedTheLabelsNeverRunTogether) {
  Open();
  TChart* chart = Graph->Chart1;
  for (const auto& [w, h] : {std::pair{560, 469}, std::pair{1024, 768}})
    for (int rotation : {275, 295, 335, 345, 355})
      for (int elevation : {300, 340, 350, 360}) {
        SCOPED_TRACE(std::to_string(w) + " " + std::to_string(rotation) + "/" + std::to_string(elevation));
        Graph->SetBounds(0, 0, w, h);
        Graph->RotationBar->SetPosition(rotation);
        Graph->ElevationBar->SetPosition(elevation);
        Paint();
        const std::vector<TRect>& r = chart->AxisLabelRects;
        EXPECT_GE(r.size(), 8u);
        TBitmap m;
        m.Canvas()->Font()->Assign(chart->DepthAxis()->LabelsFont());
        // The labels' font as the zoomed view draws it is never larger than this.
        const int digit = std::max(2, m.Canvas()->TextWidth("0") / 2);
        for (size_t a = 0; a < r.size(); ++a)
          for (size_t b = a + 1; b < r.size(); ++b) {
            const bool sideBySide = r[a].Top < r[b].Bottom && r[b].Top < r[a].Bottom;
            const int apart = std::max(r[b].Left - r[a].Right, r[a].Left - r[b].Right);
            if (sideBySide) {
              EXPECT_GE(apart, digit) << a << " " << b;
            }
          }
      }
}

// A long depth title (the cranking table's "Coolant temperature site") at the window's own
// size shows whole inside the chart, not cut by the bar beside it: its pixels span as wide
// as in a large window and end inside the chart.
TEST_F(GraphWindow, LongDepthTitleShowsWholeInsideTheChart) {
  Open();
  TChart* chart = Graph->Chart1;
  TChartAxis* depth = chart->DepthAxis();
  auto titleSpan = [&](int w, int h) {
    Graph->SetBounds(0, 0, w, h);
    Graph->GraphSelect->UserSelect(6);
    Application->ProcessMessages();
    TBitmap with, without;
    ui::GrabControl(chart, with);
    const AnsiString caption = depth->Title()->Caption();
    depth->Title()->SetCaption("");
    ui::GrabControl(chart, without);
    depth->Title()->SetCaption(caption);
    int left = with.Width(), right = -1;
    for (int y = 0; y < with.Height(); ++y)
      for (int x = 0; x < with.Width(); ++x)
        if (with.Canvas()->Pixel(x, y) != without.Canvas()->Pixel(x, y)) {
          left = std::min(left, x);
          right = std::max(right, x);
        }
    return std::tuple{left, right, chart->Width()};
  };
  const auto [wideLeft, wideRight, wideChart] = titleSpan(1280, 960);
  ASSERT_GT(wideRight, wideLeft);
  EXPECT_LT(wideRight, wideChart - 1);
  const auto [left, right, width] = titleSpan(560, 469);
  EXPECT_EQ(Graph->Chart1->DepthAxis()->Title()->Caption(), "Coolant temperature site");
  EXPECT_LT(right, width - 1) << "the title ends inside the chart";
  EXPECT_NEAR(right - left, wideRight - wideLeft, 1) << "the whole title shows";
}

}  // namespace

// The chart under the mouse: tools and their lists, the rotate tool's drag, the rubber-band
// zoom and its undo, panning, wheel scrolling and the drag feedback drawn over the chart.
#include <gtest/gtest.h>

#include "chart/Chart.h"
#include "chart/Series.h"
#include "chart/TeeSurfa.h"
#include "chart/TeeItems.h"
#include "chart/TeeTools.h"
#include "platform/ui/Forms.h"
#include "platform/ui/Simulate.h"

namespace {

// A 2-D line chart with fixed-size axes: left 0..100, bottom 0..10.
struct MouseChart {
  TChart chart{nullptr};
  TFastLineSeries s{nullptr};
  TBitmap bmp;
  explicit MouseChart(bool view3d = false) {
    RegisterChartClasses();
    chart.SetBounds(0, 0, 400, 300);
    chart.SetView3D(view3d);
    chart.Legend()->SetVisible(false);
    s.SetParentChart(&chart);
    for (int i = 0; i <= 10; ++i) s.AddXY(i, i * 10);
    bmp.SetSize(400, 300);
    Draw();
  }
  void Draw() {
    chart.ChartCanvas()->Invalidate();
    chart.Draw(bmp.Canvas(), TRect(0, 0, 400, 300));
  }
  void Drag(TMouseButton b, int x0, int y0, int x1, int y1) {
    chart.MouseDown(b, {}, x0, y0);
    chart.MouseMove({}, x1, y1);
    chart.MouseUp(b, {}, x1, y1);
  }
  TRect R() const { return chart.ChartRect; }
};

TEST(ChartTools, ToolBelongsToOneChartAtATime) {
  MouseChart a, b;
  auto* t = new TRotateTool(nullptr);
  t->SetParentChart(&a.chart);
  EXPECT_EQ(a.chart.Tools()->Count(), 1);
  t->SetParentChart(&b.chart);
  EXPECT_EQ(a.chart.Tools()->Count(), 0);
  ASSERT_EQ(b.chart.Tools()->Count(), 1);
  EXPECT_EQ((*b.chart.Tools())[0], t);
  EXPECT_EQ(t->Description(), "Rotate");
  EXPECT_EQ(t->GetEditorClassName(), "TRotateToolEditor");
  b.chart.Tools()->Clear();  // frees the tool
  EXPECT_EQ(b.chart.Tools()->Count(), 0);
}

TEST(ChartTools, AxisToolStoresItsAxisByIndex) {
  MouseChart c;
  TTeeCustomToolAxis t(nullptr);
  t.SetParentChart(&c.chart);
  EXPECT_EQ(t.AxisID(), -1);
  t.SetAxisID(3);
  EXPECT_EQ(t.Axis(), c.chart.Axes()[3]);
  EXPECT_EQ(t.AxisID(), 3);
  t.SetAxisID(99);  // no such axis: unchanged
  EXPECT_EQ(t.AxisID(), 3);
  t.SetParentChart(nullptr);
}

TEST(ChartTools, SeriesToolForgetsAFreedSeries) {
  MouseChart c;
  TTeeCustomToolSeries t(nullptr);
  auto* s = new TFastLineSeries(nullptr);
  t.SetSeries(s);
  EXPECT_EQ(t.GetVertAxis(), nullptr);  // no chart, no series axis yet
  delete s;
  EXPECT_EQ(t.Series(), nullptr);
}

TEST(RotateTool, AnglesTurnRoundAndTiltWithinTheirRange) {
  struct Case {
    int old, change, rotation, elevation;
  };
  const Case cases[] = {{350, 20, 10, 360}, {5, -10, 355, 270}, {280, -30, 250, 270}, {355, 30, 25, 360}, {300, 0, 300, 300}};
  for (const Case& c : cases) {
    EXPECT_EQ(TRotateTool::NextRotation(c.old, c.change), c.rotation) << c.old << c.change;
    EXPECT_EQ(TRotateTool::NextElevation(c.old, c.change), c.elevation) << c.old << c.change;
  }
}

TEST(RotateTool, DragTurnsTheViewAndSlowDragsAddUp) {
  MouseChart c(true);
  TRotateTool t(nullptr);
  t.SetParentChart(&c.chart);
  TView3DOptions* o = c.chart.View3DOptions();
  o->SetRotation(300);
  o->SetElevation(300);
  int rotated = 0;
  t.OnRotate = [&](TObject*) { ++rotated; };
  // A different button neither starts a drag nor consumes the press.
  c.chart.MouseDown(mbRight, {}, 200, 150);
  EXPECT_FALSE(t.Dragging());
  c.chart.MouseUp(mbRight, {}, 200, 150);
  // 2 pixels on a 400-pixel chart are 0.45 degrees; ten such steps turn 4.5 degrees.
  c.chart.MouseDown(mbLeft, {}, 200, 150);
  EXPECT_TRUE(t.Dragging());
  for (int i = 1; i <= 10; ++i) c.chart.MouseMove({ssLeft}, 200 + 2 * i, 150);
  EXPECT_NEAR(o->Rotation(), 304.5, 0.5);
  EXPECT_EQ(o->Elevation(), 300);
  EXPECT_GT(rotated, 0);
  EXPECT_FALSE(c.chart.Zoom()->Active);  // the tool took the press
  c.chart.MouseUp(mbLeft, {}, 220, 150);
  EXPECT_FALSE(t.Dragging());
  EXPECT_TRUE(c.chart.AutoRepaint());  // a hidden pen never touches it

  // Elevation only: a horizontal drag keeps the rotation but still turns the 3-D view on.
  c.chart.SetView3D(false);
  o->SetOrthogonal(true);
  t.Style = rsElevation;
  c.Drag(mbLeft, 100, 150, 300, 150);
  EXPECT_NEAR(o->Rotation(), 304.5, 0.5);
  EXPECT_TRUE(c.chart.View3D());
  EXPECT_FALSE(o->Orthogonal());
  t.Inverted = true;
  t.Style = rsAll;
  c.Drag(mbLeft, 200, 150, 200, 150 - 30);  // up, inverted: tilts down
  EXPECT_EQ(o->Elevation(), 291);
}

// The map graph is about 560 pixels wide: one pixel is 0.16 degrees, less than half of one,
// so a slow drag turns the view only because each step's remainder is carried on.
TEST(RotateTool, ASlowDragOnAWideGraphTurnsAndTiltsAsFarAsAFastOne) {
  for (bool inverted : {false, true}) {
    SCOPED_TRACE(inverted);
    MouseChart c(true);
    c.chart.SetBounds(0, 0, 560, 420);
    TRotateTool t(nullptr);
    t.SetParentChart(&c.chart);
    t.Inverted = inverted;
    TView3DOptions* o = c.chart.View3DOptions();
    o->SetRotation(300);
    o->SetElevation(300);
    c.chart.MouseDown(mbLeft, {}, 100, 300);
    for (int i = 1; i <= 56; ++i) c.chart.MouseMove({ssLeft}, 100 + i, 300);  // 56 / 560 of 90 degrees
    for (int i = 1; i <= 42; ++i) c.chart.MouseMove({ssLeft}, 156, 300 - i);  // 42 / 420 of 90 degrees, upward
    c.chart.MouseUp(mbLeft, {}, 156, 258);
    EXPECT_EQ(o->Rotation(), inverted ? 291 : 309);
    EXPECT_EQ(o->Elevation(), inverted ? 291 : 309);
  }
}

TEST(RotateTool, BoxIsDrawnOverTheChartNotIntoIt) {
  MouseChart c(true);
  TForm form(nullptr);
  form.SetBounds(0, 0, 420, 320);
  c.chart.SetParent(&form);
  form.Show();
  TRotateTool t(nullptr);
  t.SetParentChart(&c.chart);
  t.Pen()->Show();
  t.Pen()->SetMode(pmCopy);
  const TColor boxColor = RGB(1, 254, 3);
  t.Pen()->SetColor(boxColor);
  TBitmap before;
  ui::GrabControl(&c.chart, before);
  c.chart.MouseDown(mbLeft, {}, 200, 150);
  c.chart.MouseMove({ssLeft}, 260, 120);
  EXPECT_FALSE(c.chart.AutoRepaint());  // the chart waits while the box shows
  TBitmap during;
  ui::GrabControl(&c.chart, during);
  int red = 0, redInBuffer = 0;
  for (int y = 0; y < 300; y += 2)
    for (int x = 0; x < 400; x += 2) {
      if (during.Canvas()->Pixel(x, y) == boxColor) ++red;
      if (c.chart.ChartCanvas()->Bitmap()->Canvas()->Pixel(x, y) == boxColor) ++redInBuffer;
    }
  EXPECT_GT(red, 20);
  EXPECT_EQ(redInBuffer, 0);
  c.chart.MouseUp(mbLeft, {}, 260, 120);
  EXPECT_TRUE(c.chart.AutoRepaint());
  TBitmap after;
  ui::GrabControl(&c.chart, after);
  int left = 0;
  for (int y = 0; y < 300; y += 2)
    for (int x = 0; x < 400; x += 2)
      if (after.Canvas()->Pixel(x, y) == boxColor) ++left;
  EXPECT_EQ(left, 0);
  c.chart.SetParent(nullptr);
}

TEST(ChartZoom, RubberBandZoomsPastTheMinimumSize) {
  MouseChart c;
  const TRect r = c.R();
  TChartAxis* bottom = c.chart.BottomAxis();
  TChartAxis* left = c.chart.LeftAxis();
  const double b0 = bottom->Minimum(), b1 = bottom->Maximum(), l0 = left->Minimum(), l1 = left->Maximum();
  int zooms = 0, undos = 0;
  c.chart.OnZoom = [&](TObject*) { ++zooms; };
  c.chart.OnUndoZoom = [&](TObject*) { ++undos; };
  const int x = r.Left + 20, y = r.Top + 20;
  c.Drag(mbLeft, x, y, x + 16, y + 40);  // 16 pixels wide: too small
  EXPECT_FALSE(c.chart.Zoomed);
  EXPECT_TRUE(c.chart.RestoredAxes());
  c.Drag(mbLeft, x, y, x + 17, y + 40);
  EXPECT_TRUE(c.chart.Zoomed);
  EXPECT_EQ(zooms, 1);
  EXPECT_DOUBLE_EQ(bottom->Minimum(), bottom->PixelToValue(x));
  EXPECT_FALSE(bottom->Automatic());
  c.Draw();
  c.Drag(mbLeft, x, y, x + 60, y + 60);  // a second zoom keeps the first saved state
  EXPECT_EQ(zooms, 2);
  // Right to left undoes both.
  c.Drag(mbLeft, x + 60, y, x, y + 60);
  EXPECT_EQ(undos, 1);
  EXPECT_FALSE(c.chart.Zoomed);
  EXPECT_TRUE(bottom->Automatic());
  EXPECT_TRUE(left->Automatic());
  c.Draw();
  EXPECT_EQ(bottom->Minimum(), b0);
  EXPECT_EQ(bottom->Maximum(), b1);
  EXPECT_EQ(left->Minimum(), l0);
  EXPECT_EQ(left->Maximum(), l1);

  // Vertical only: the left axis takes the dragged span, the bottom axis keeps its range.
  c.chart.Zoom()->Direction = tzdVertical;
  const double top = left->PixelToValue(y);
  c.Drag(mbLeft, x, y, x + 5, y + 100);
  EXPECT_DOUBLE_EQ(left->Maximum(), top);
  EXPECT_DOUBLE_EQ(bottom->Minimum(), b0);
  EXPECT_FALSE(bottom->Automatic());
  c.chart.UndoZoom();
}

TEST(ChartZoom, RubberBandIsDrawnOverTheChartNotIntoIt) {
  MouseChart c;
  TForm form(nullptr);
  form.SetBounds(0, 0, 420, 320);
  c.chart.SetParent(&form);
  form.Show();
  const TRect r = c.R();
  c.chart.MouseDown(mbLeft, {}, r.Left + 10, r.Top + 10);
  c.chart.MouseMove({}, r.Left + 100, r.Top + 80);
  TBitmap shown;
  ui::GrabControl(&c.chart, shown);
  TBitmap* buffer = c.chart.ChartCanvas()->Bitmap();
  int differ = 0;
  for (int x = r.Left + 10; x <= r.Left + 100; ++x)
    if (shown.Canvas()->Pixel(x, r.Top + 10) != buffer->Canvas()->Pixel(x, r.Top + 10)) ++differ;
  EXPECT_GT(differ, 50);  // the band's top edge shows on screen only
  c.chart.MouseUp(mbLeft, {}, r.Left + 100, r.Top + 80);
  TBitmap after;
  ui::GrabControl(&c.chart, after);
  differ = 0;
  for (int x = r.Left + 10; x <= r.Left + 100; ++x)
    if (after.Canvas()->Pixel(x, r.Top + 10) != buffer->Canvas()->Pixel(x, r.Top + 10)) ++differ;
  EXPECT_EQ(differ, 0);
  c.chart.SetParent(nullptr);
}

TEST(ChartZoom, PanningFollowsTheMouse) {
  MouseChart a, b;
  const TRect r = a.R();
  const int x = (r.Left + r.Right) / 2, y = (r.Top + r.Bottom) / 2;
  // Ten pixels in two steps of five pan as far as ten in one.
  a.chart.MouseDown(mbRight, {}, x, y);
  a.chart.MouseMove({}, x - 5, y);
  a.chart.MouseMove({}, x - 10, y);
  a.chart.MouseUp(mbRight, {}, x - 10, y);
  b.Drag(mbRight, x, y, x - 10, y);
  EXPECT_DOUBLE_EQ(a.chart.BottomAxis()->Minimum(), b.chart.BottomAxis()->Minimum());
  EXPECT_GT(a.chart.BottomAxis()->Minimum(), 0);  // dragging left shows later values
  EXPECT_FALSE(a.chart.RestoredAxes());
  // Refused scrolling still reports the scroll.
  int scrolls = 0;
  MouseChart c;
  c.chart.OnAllowScroll = [](TChartAxis*, double&, double&, bool& allow) { allow = false; };
  c.chart.OnScroll = [&](TObject*) { ++scrolls; };
  const double min0 = c.chart.BottomAxis()->Minimum();
  c.Drag(mbRight, x, y, x + 20, y + 20);
  EXPECT_EQ(scrolls, 1);
  EXPECT_EQ(c.chart.BottomAxis()->Minimum(), min0);
}

TEST(ChartZoom, OneDirectionZoomKeepsTheOtherAxesRange) {
  struct Case {
    TTeeZoomDirection dir;
    bool horizontalKept;
  };
  for (const Case k : {Case{tzdVertical, true}, Case{tzdHorizontal, false}}) {
    MouseChart c;  // automatic axes: bottom 0..10, left 0..100
    c.chart.Zoom()->Direction = k.dir;
    const TRect r = c.R();
    c.Drag(mbLeft, r.Left + 40, r.Top + 30, r.Left + 200, r.Top + 150);
    TChartAxis* kept = k.horizontalKept ? c.chart.BottomAxis() : c.chart.LeftAxis();
    TChartAxis* zoomed = k.horizontalKept ? c.chart.LeftAxis() : c.chart.BottomAxis();
    EXPECT_DOUBLE_EQ(kept->Minimum(), 0) << k.dir;
    EXPECT_DOUBLE_EQ(kept->Maximum(), k.horizontalKept ? 10 : 100) << k.dir;
    EXPECT_FALSE(kept->Automatic());
    EXPECT_GT(zoomed->Minimum(), 0) << k.dir;
    c.chart.UndoZoom();
    EXPECT_TRUE(kept->Automatic());
  }
}

TEST(ChartZoom, ZoomKeysAndTheScrollButtonChooseTheDrag) {
  MouseChart c;
  c.chart.Zoom()->KeyShift = TShiftState() << ssShift;
  c.chart.ScrollMouseButton = mbMiddle;
  const TRect r = c.R();
  const int x = r.Left + 40, y = r.Top + 30;
  c.chart.MouseDown(mbLeft, {}, x, y);  // without Shift: no zoom
  EXPECT_FALSE(c.chart.Zoom()->Active);
  c.chart.MouseUp(mbLeft, {}, x, y);
  c.chart.MouseDown(mbLeft, TShiftState() << ssShift, x, y);
  EXPECT_TRUE(c.chart.Zoom()->Active);
  c.chart.MouseUp(mbLeft, TShiftState() << ssShift, x, y);
  c.chart.MouseDown(mbRight, {}, x, y);  // the right button no longer pans
  EXPECT_FALSE(c.chart.Panning()->Active);
  c.chart.MouseUp(mbRight, {}, x, y);
  c.chart.MouseDown(mbMiddle, {}, x, y);
  EXPECT_TRUE(c.chart.Panning()->Active);
  c.chart.MouseUp(mbMiddle, {}, x, y);
}

TEST(ChartZoom, LeavingTheChartEndsPanningAndGivesTheCursorBack) {
  MouseChart c;
  TForm form(nullptr);
  form.SetBounds(0, 0, 420, 320);
  c.chart.SetParent(&form);
  form.Show();
  c.Draw();
  const TCursor original = c.chart.Cursor();
  c.s.SetCursor(crHandPoint);
  const int x = c.chart.BottomAxis()->CalcXPosValue(5), y = c.chart.LeftAxis()->CalcYPosValue(50);
  ui::SimulateMouseMove(&c.chart, x, y);
  EXPECT_EQ(c.chart.Cursor(), crHandPoint);  // over the line
  ui::SimulateMouseLeave(&c.chart);
  EXPECT_EQ(c.chart.Cursor(), original);
  // A panning drag ends when the mouse leaves, though the button is let go outside.
  ui::SimulateMouseDown(&c.chart, mbRight, x, y);
  ui::SimulateMouseMove(&c.chart, x - 5, y, TShiftState() << ssRight);
  EXPECT_TRUE(c.chart.Panning()->Active);
  ui::SimulateMouseLeave(&c.chart);
  EXPECT_FALSE(c.chart.Panning()->Active);
  const double min = c.chart.BottomAxis()->Minimum();
  ui::SimulateMouseMove(&c.chart, x - 40, y);  // back in, no button: nothing pans
  EXPECT_EQ(c.chart.BottomAxis()->Minimum(), min);
  c.chart.SetParent(nullptr);
}

TEST(ChartZoom, WheelScrollsValueAxesAndUndoGivesThemBack) {
  MouseChart c;
  c.chart.Zoom()->Allow = false;
  c.chart.SetAllowPanning(pmNone);
  int backgroundClicks = 0;
  c.chart.OnClickBackground = [&](TCustomChart*, TMouseButton, TShiftState, int, int) { ++backgroundClicks; };
  const TRect r = c.R();
  c.chart.MouseDown(mbLeft, {}, (r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2);
  c.chart.MouseUp(mbLeft, {}, (r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2);
  EXPECT_EQ(backgroundClicks, 1);
  EXPECT_FALSE(c.chart.Zoom()->Active);

  TChartAxis* left = c.chart.LeftAxis();
  const double min0 = left->Minimum(), max0 = left->Maximum(), range = max0 - min0;
  c.chart.DoMouseWheel({}, -120, {0, 0});  // one notch toward the user
  EXPECT_DOUBLE_EQ(left->Minimum(), min0 + range * 0.03);
  EXPECT_DOUBLE_EQ(left->Maximum(), max0 + range * 0.03);
  EXPECT_EQ(c.chart.BottomAxis()->Minimum(), 0);  // horizontal axes stay
  c.chart.DoMouseWheel({}, 60, {0, 0});  // half a notch does nothing yet
  EXPECT_DOUBLE_EQ(left->Minimum(), min0 + range * 0.03);
  c.chart.DoMouseWheel({}, 60, {0, 0});
  EXPECT_NEAR(left->Minimum(), min0, 1e-9);  // one notch away from the user scrolls back
  EXPECT_FALSE(left->Automatic());
  c.chart.UndoZoom();
  EXPECT_TRUE(left->Automatic());
  c.Draw();
  EXPECT_EQ(left->Minimum(), min0);
  EXPECT_EQ(left->Maximum(), max0);
}

}  // namespace

namespace {

TEST(ChartItems, SeriesGroupsSwitchTheirSeriesTogether) {
  MouseChart c;
  TFastLineSeries a(nullptr), b(nullptr);
  TSeriesGroups groups;
  TSeriesGroup* g = groups.Add("Pair");
  EXPECT_EQ(g->Active(), gaYes);  // empty
  g->SetSeries({&a, &b});
  b.SetActive(false);
  EXPECT_EQ(g->Active(), gaSome);
  g->SetActive(gaSome);  // ignored
  EXPECT_TRUE(a.Active());
  g->SetActive(gaNo);
  EXPECT_EQ(g->Active(), gaNo);
  EXPECT_FALSE(a.Active());
  g->SetActive(gaYes);
  EXPECT_TRUE(a.Active() && b.Active());
  groups.RemoveSeries(&a);
  EXPECT_EQ(g->Series().size(), 1u);
}

TEST(ChartItems, AxisItemsCopyAndClear) {
  MouseChart c;
  TAxisItems items(c.chart.LeftAxis()), copy(c.chart.LeftAxis());
  items.Add(10);
  items.Add(20, "Twenty");
  EXPECT_TRUE(items[0]->Transparent());
  copy.Assign(items);
  ASSERT_EQ(copy.Count(), 2);
  EXPECT_EQ(copy[1]->Text(), "Twenty");
  EXPECT_EQ(copy[1]->Value(), 20);
  items.Clear();
  EXPECT_EQ(items.Count(), 0);
  TSeriesMarksSymbol symbol(&c.chart);
  EXPECT_FALSE(symbol.ShouldDraw());
  symbol.Show();
  EXPECT_TRUE(symbol.ShouldDraw());
  EXPECT_EQ(symbol.Shadow()->Size(), 1);
}

}  // namespace

namespace {

TEST(ChartClicks, SeriesEventsComeBeforeTheChartsOwn) {
  MouseChart c;
  c.Draw();
  // A point of the line: (5, 50) lies on it.
  const int x = c.chart.BottomAxis()->CalcXPosValue(5), y = c.chart.LeftAxis()->CalcYPosValue(50);
  ASSERT_EQ(c.s.Clicked(x, y) != -1, true);
  int own = 0, dbl = 0, chart = 0;
  c.s.OnClick = [&](TChartSeries*, int, TMouseButton, TShiftState, int, int) { ++own; };
  c.chart.OnClickSeries = [&](TCustomChart*, TChartSeries* s, int, TMouseButton, TShiftState, int, int) {
    EXPECT_EQ(s, &c.s);
    ++chart;
  };
  c.chart.MouseDown(mbLeft, {}, x, y);
  c.chart.MouseUp(mbLeft, {}, x, y);
  EXPECT_EQ(own, 1);
  EXPECT_EQ(chart, 1);
  EXPECT_FALSE(c.chart.Zoom()->Active);  // the chart's event consumed the press
  // A double click on a series without its own double-click event fires no series event.
  c.chart.MouseDown(mbLeft, TShiftState() << ssDouble, x, y);
  c.chart.MouseUp(mbLeft, {}, x, y);
  EXPECT_EQ(own, 1);
  EXPECT_EQ(chart, 2);
  c.s.OnDblClick = [&](TChartSeries*, int, TMouseButton, TShiftState, int, int) { ++dbl; };
  c.chart.MouseDown(mbLeft, TShiftState() << ssDouble, x, y);
  c.chart.MouseUp(mbLeft, {}, x, y);
  EXPECT_EQ(dbl, 1);
  // Enter and leave as the mouse passes over the line.
  int enter = 0, leave = 0;
  c.s.OnMouseEnter = [&](TObject*) { ++enter; };
  c.s.OnMouseLeave = [&](TObject*) { ++leave; };
  c.chart.MouseMove({}, x, y);
  c.chart.MouseMove({}, x, y);
  c.chart.MouseMove({}, c.R().Left + 5, c.R().Top + 5);
  EXPECT_EQ(enter, 1);
  EXPECT_EQ(leave, 1);
}

TEST(ChartTools, ImageToolFillsTheSeriesArea) {
  MouseChart c;
  c.chart.SetColor(clWhite);
  TChartImageTool t(nullptr);
  t.SetParentChart(&c.chart);
  EXPECT_EQ(t.Description(), "Image");
  TBitmap pic;
  pic.SetSize(4, 4);
  pic.Canvas()->Brush()->SetColor(RGB(10, 200, 30));
  pic.Canvas()->FillRect(TRect(0, 0, 4, 4));
  t.Picture()->SetGraphic(&pic);
  t.SetSeries(&c.s);
  c.Draw();
  const int x = c.chart.BottomAxis()->CalcXPosValue(8), y = c.chart.LeftAxis()->CalcYPosValue(20);
  EXPECT_EQ(c.bmp.Canvas()->Pixel(x, y), RGB(10, 200, 30));
  t.SetParentChart(nullptr);
}

}  // namespace

// The chart's interactive tools driven by the mouse on a small chart with known points:
// cursor, nearest point, colour line and band, drawn lines, axis arrows and axis dragging,
// annotation and rectangle boxes, animation, dragging points and the band between series.
#include <gtest/gtest.h>

#include "tests/chart/ChartFormText.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "chart/Chart.h"
#include "chart/Series.h"
#include "chart/TeeToolsExtra.h"
#include "platform/streaming/Filer.h"
#include "platform/streaming/ObjectText.h"
#include "platform/ui/Forms.h"

namespace {

// A 2-D chart 400x300: bottom axis 0..10, left axis 0..100, points (i, 10 i).
struct ToolChart {
  TChart chart{nullptr};
  TFastLineSeries s{nullptr};
  TBitmap bmp;
  ToolChart() {
    RegisterChartClasses();
    chart.SetBounds(0, 0, 400, 300);
    chart.SetView3D(false);
    chart.Legend()->SetVisible(false);
    s.SetParentChart(&chart);
    for (int i = 0; i <= 10; ++i) s.AddXY(i, i * 10);
    chart.BottomAxis()->SetMinMax(0, 10);
    chart.LeftAxis()->SetMinMax(0, 100);
    bmp.SetSize(400, 300);
    Draw();
  }
  void Draw() {
    chart.ChartCanvas()->Invalidate();
    chart.Draw(bmp.Canvas(), TRect(0, 0, 400, 300));
  }
  int X(double v) { return chart.BottomAxis()->CalcPosValue(v); }
  int Y(double v) { return chart.LeftAxis()->CalcPosValue(v); }
  void Drag(int x0, int y0, int x1, int y1, TMouseButton b = mbLeft) {
    chart.MouseDown(b, {}, x0, y0);
    chart.MouseMove({ssLeft}, x1, y1);
    chart.MouseUp(b, {}, x1, y1);
  }
};

TEST(CursorTool, FirstDrawingCentresThenSnapsToTheNearestPoint) {
  ToolChart c;
  TCursorTool t(nullptr);
  int changes = 0, lastIndex = -2;
  t.OnChange = [&](TCursorTool*, int, int, double, double, TChartSeries*, int i) { ++changes, lastIndex = i; };
  t.SetParentChart(&c.chart);
  c.Draw();
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(lastIndex, -1);  // no series: nothing to snap to
  EXPECT_NEAR(t.XValue, 5, 0.05);
  EXPECT_NEAR(t.YValue, 50, 0.5);

  t.SetSeries(&c.s);
  t.Snap = true;
  // Grab the crossing and drag it near point 3 (3, 30): both values snap to it.
  c.chart.MouseDown(mbLeft, {}, t.IXPos, t.IYPos);
  EXPECT_EQ(t.DragMode(), 3);
  c.chart.MouseMove({ssLeft}, c.X(3.2), c.Y(33));
  c.chart.MouseUp(mbLeft, {}, c.X(3.2), c.Y(33));
  EXPECT_DOUBLE_EQ(t.XValue, 3);
  EXPECT_DOUBLE_EQ(t.YValue, 30);
  EXPECT_EQ(lastIndex, 3);
  EXPECT_EQ(t.IXPos, c.X(3));
}

TEST(CursorTool, LinesAreDrawnOverTheChartAndASecondDrawingRemovesThem) {
  ToolChart c;
  TCursorTool t(nullptr);
  t.SetParentChart(&c.chart);
  c.Draw();
  const int x = t.IXPos, y = (c.Y(80) + c.Y(90)) / 2;
  const TColor before = c.bmp.Canvas()->Pixel(x, y);
  c.chart.PaintOverlay(c.bmp.Canvas());
  EXPECT_NE(c.bmp.Canvas()->Pixel(x, y), before);
  c.chart.PaintOverlay(c.bmp.Canvas());
  EXPECT_EQ(c.bmp.Canvas()->Pixel(x, y), before);
}

TEST(CursorTool, HitsLinesWithinTwoPixelsAndOnlyThoseOfItsStyle) {
  ToolChart c;
  TCursorTool t(nullptr);
  t.SetParentChart(&c.chart);
  c.Draw();
  const int x = t.IXPos, y = t.IYPos;
  struct Case {
    TCursorToolStyle style;
    int dx, dy, hit;
  } cases[] = {{cssBoth, 0, 0, 3}, {cssBoth, 40, 2, 1}, {cssBoth, 40, 3, 0}, {cssBoth, -2, 40, 2},
               {cssVertical, 40, 0, 0}, {cssVertical, 1, 40, 2}, {cssHorizontal, 0, 0, 1}};
  for (const Case& k : cases) {
    t.SetStyle(k.style);
    EXPECT_EQ(t.HitTest(x + k.dx, y + k.dy), k.hit) << k.style << " " << k.dx << "," << k.dy;
  }
}

TEST(CursorTool, TiesKeepTheLowerIndexAndFollowingStopsOutsideTheArea) {
  ToolChart c;
  TCursorTool t(nullptr);
  t.SetParentChart(&c.chart);
  t.SetSeries(&c.s);
  t.SetStyle(cssVertical);
  t.XValue = 4.5;  // as near to 4 as to 5
  EXPECT_EQ(t.NearestPoint(), 4);
  c.Draw();
  t.FollowMouse = true;
  c.chart.MouseMove({}, c.X(2), c.Y(50));
  EXPECT_NEAR(t.XValue, 2, 0.05);
  c.chart.MouseMove({}, 2, 2);  // outside the axes: the cursor stays
  EXPECT_NEAR(t.XValue, 2, 0.05);
}

// Counts the mouse moves that reach it.
struct MoveCounter : TTeeCustomTool {
  using TTeeCustomTool::TTeeCustomTool;
  int moves = 0;
  void ChartMouseEvent(int Kind, TMouseButton, TShiftState, int, int) override { moves += Kind == 1; }
};

TEST(CursorTool, FollowingTheMouseLeavesTheMoveToTheRestOfTheChart) {
  ToolChart c;
  TCursorTool t(nullptr);
  t.SetParentChart(&c.chart);
  t.FollowMouse = true;
  MoveCounter later(nullptr);
  later.SetParentChart(&c.chart);
  int entered = 0;
  c.s.OnMouseEnter = [&](TObject*) { ++entered; };
  c.Draw();
  // A later tool and the series under the mouse still hear the move.
  c.chart.MouseMove({}, c.X(3), c.Y(30));
  EXPECT_NEAR(t.XValue, 3, 0.05);
  EXPECT_EQ(later.moves, 1);
  EXPECT_EQ(entered, 1);
  // Panning follows the mouse while the cursor does too.
  c.chart.MouseDown(mbRight, {}, c.X(5), c.Y(50));
  c.chart.MouseMove({}, c.X(4), c.Y(50));
  c.chart.MouseUp(mbRight, {}, c.X(4), c.Y(50));
  EXPECT_NEAR(c.chart.BottomAxis()->Minimum(), 1, 0.05);
  EXPECT_EQ(later.moves, 2);
  c.Draw();
  // The zoom rectangle follows it as well.
  c.chart.MouseDown(mbLeft, {}, c.X(2), c.Y(80));
  c.chart.MouseMove({}, c.X(6), c.Y(20));
  EXPECT_TRUE(c.chart.Zoom()->Active);
  EXPECT_EQ(c.chart.Zoom()->X1, c.X(6));
  c.chart.MouseUp(mbLeft, {}, c.X(6), c.Y(20));
  EXPECT_NEAR(c.chart.BottomAxis()->Minimum(), 2, 0.1);
  later.SetParentChart(nullptr);
  t.SetParentChart(nullptr);
}

TEST(NearestTool, FindsThePointUnderTheMouseAndForgetsItWhenTheMouseLeaves) {
  ToolChart c;
  TNearestTool t(nullptr);
  t.SetParentChart(&c.chart);
  t.SetSeries(&c.s);
  int changed = 0;
  t.OnChange = [&](TObject*) { ++changed; };
  c.chart.MouseMove({}, c.X(6) + 3, c.Y(60) - 2);
  EXPECT_EQ(t.Point, 6);
  EXPECT_EQ(changed, 1);
  // Half way between two points: the lower index stays.
  const int mx = (c.X(6) + c.X(7)) / 2;
  EXPECT_EQ(TNearestTool::GetNearestPoint(&c.s, mx, (c.Y(60) + c.Y(70)) / 2), (c.X(7) - mx == mx - c.X(6)) ? 6 : t.Point);
  // Points scrolled off the axis are never found.
  c.chart.BottomAxis()->SetMinMax(5, 10);
  c.Draw();
  EXPECT_GE(TNearestTool::GetNearestPoint(&c.s, c.chart.ChartRect.Left - 30, c.Y(0)), 5);
  t.ChartEvent(5);
  EXPECT_EQ(t.Point, -1);
}

TEST(NearestTool, WithoutFullRepaintTheDrawnChartStaysAndLeavingClearsThePoint) {
  ToolChart c;
  TNearestTool t(nullptr);
  t.SetParentChart(&c.chart);
  t.SetSeries(&c.s);
  t.FullRepaint = false;
  c.Draw();
  c.chart.MouseMove({}, c.X(3), c.Y(30));
  c.chart.MouseMove({}, c.X(3) + 1, c.Y(30));
  EXPECT_EQ(t.Point, 3);
  EXPECT_FALSE(c.chart.ChartCanvas()->BufferInvalid);  // only the overlay changed
  c.chart.MouseLeft();
  EXPECT_EQ(t.Point, -1);
  t.FullRepaint = true;
  c.chart.MouseMove({}, c.X(3), c.Y(30));
  EXPECT_TRUE(c.chart.ChartCanvas()->BufferInvalid);
}

TEST(ClipSeriesTool, ClipsWhileItsSeriesDrawsAndLetsGoOfARemovedSeries) {
  ToolChart c;
  TClipSeriesTool t(nullptr);
  t.SetParentChart(&c.chart);
  auto* s = new TFastLineSeries(nullptr);
  s->SetParentChart(&c.chart);
  s->AddXY(1, 1000);
  t.SetSeries(s);
  bool clippedWhileDrawing = false;
  const TNotifyEvent after = s->AfterDrawValues;
  s->AfterDrawValues = [&](TObject* o) {
    clippedWhileDrawing = t.Clipped();
    after(o);
  };
  c.Draw();
  EXPECT_TRUE(clippedWhileDrawing);
  EXPECT_FALSE(t.Clipped());
  EXPECT_EQ(c.chart.ChartCanvas()->ClipDepth(), 0);
  delete s;
  EXPECT_EQ(t.Series(), nullptr);
  c.Draw();
}

TEST(ColorLineTool, DraggingMovesTheValueWithinTheAxisAndDrawingDoesNotChangeIt) {
  ToolChart c;
  TColorLineTool t(nullptr);
  t.SetParentChart(&c.chart);
  t.SetAxis(c.chart.BottomAxis());
  t.SetValue(25);  // beyond the axis: drawn at its end, kept as stored
  c.Draw();
  EXPECT_DOUBLE_EQ(t.Value(), 25);
  EXPECT_DOUBLE_EQ(t.LineValue(), 10);
  t.SetValue(4);
  c.Draw();
  int drags = 0, ends = 0;
  t.OnDragLine = [&](TColorLineTool*) { ++drags; };
  t.OnEndDragLine = [&](TColorLineTool*) { ++ends; };
  c.Drag(c.X(4) + 1, c.Y(50), c.X(7), c.Y(50));
  EXPECT_NEAR(t.Value(), 7, 0.05);
  EXPECT_EQ(drags, 1);
  EXPECT_EQ(ends, 1);
  // Dragged beyond the axis end: held at the end.
  c.Draw();
  c.Drag(c.X(7), c.Y(50), c.chart.Width() - 1, c.Y(50));
  EXPECT_NEAR(t.Value(), 10, 1e-9);
  // Setting a value switches a centred line to a custom one.
  t.SetStyle(clCenter);
  EXPECT_DOUBLE_EQ(t.LineValue(), 5);
  t.SetValue(2);
  EXPECT_EQ(t.Style(), clCustom);
  // A centred line dragged without repainting goes where it is dragged, as a custom line.
  t.SetStyle(clCenter);
  c.Draw();
  c.Drag(c.X(5), c.Y(50), c.X(8), c.Y(50));
  EXPECT_EQ(t.Style(), clCustom);
  EXPECT_NEAR(t.LineValue(), 8, 0.05);
}

TEST(ColorBandTool, OrdersItsValuesAndItsDraggedEdgeWritesTheNewValue) {
  ToolChart c;
  TColorBandTool t(nullptr);
  t.SetParentChart(&c.chart);
  t.SetAxis(c.chart.LeftAxis());
  EXPECT_EQ(c.chart.Tools()->Count(), 1);  // the edge lines stay out of the list
  t.SetStartValue(60);
  t.SetEndValue(20);
  c.Draw();
  const TRect r = t.BoundsRect();
  t.SetStartValue(20);
  t.SetEndValue(60);
  EXPECT_EQ(t.BoundsRect(), r);
  EXPECT_TRUE(t.Clicked(c.X(5), c.Y(40)));
  EXPECT_FALSE(t.Clicked(c.X(5), c.Y(80)));
  t.SetResizeEnd(true);
  c.Drag(c.X(5), c.Y(60), c.X(5), c.Y(75));
  EXPECT_NEAR(t.EndValue(), 75, 0.5);
  EXPECT_DOUBLE_EQ(t.StartValue(), 20);
  // Entirely outside the axis: nothing drawn, nothing clicked.
  t.SetStartValue(200);
  t.SetEndValue(300);
  EXPECT_EQ(t.BoundsRect(), TRect{});
  EXPECT_FALSE(t.Clicked(c.X(5), c.Y(50)));
}

TEST(DrawLineTool, DrawsSelectsAndMovesLinesInAxisValues) {
  ToolChart c;
  TDrawLineTool t(nullptr);
  t.SetParentChart(&c.chart);
  int added = 0;
  t.OnNewLine = [&](TObject*) { ++added; };
  c.chart.MouseDown(mbLeft, {}, c.X(1), c.Y(10));
  c.chart.MouseUp(mbLeft, {}, c.X(1), c.Y(10));
  EXPECT_EQ(t.LineCount(), 0);  // a click adds nothing
  c.Drag(c.X(1), c.Y(10), c.X(4), c.Y(80));
  ASSERT_EQ(t.LineCount(), 1);
  EXPECT_EQ(added, 1);
  EXPECT_NEAR(t.Line(0)->X0(), 1, 0.05);
  EXPECT_NEAR(t.Line(0)->Y0(), 10, 0.5);
  EXPECT_NEAR(t.Line(0)->X1(), 4, 0.05);
  EXPECT_NEAR(t.Line(0)->Y1(), 80, 0.5);
  // Select it, then drag only its start handle.
  c.chart.MouseDown(mbLeft, {}, c.X(1), c.Y(10));
  c.chart.MouseUp(mbLeft, {}, c.X(1), c.Y(10));
  EXPECT_EQ(t.Selected(), t.Line(0));
  c.Drag(c.X(1), c.Y(10), c.X(2), c.Y(10));
  EXPECT_NEAR(t.Line(0)->X0(), 2, 0.05);
  EXPECT_NEAR(t.Line(0)->X1(), 4, 0.05);
  // Lines stay on their values when the axis changes.
  c.chart.BottomAxis()->SetMinMax(0, 20);
  c.Draw();
  EXPECT_EQ(t.AxisPoint({2, 10}).x, c.X(2));
  t.DeleteLine(0);
  EXPECT_EQ(t.Selected(), nullptr);
  // Without selection a click on a line starts a new one.
  t.AddLine({1, 10}, {4, 80});
  t.SetEnableSelect(false);
  c.Drag(c.X(1), c.Y(10), c.X(9), c.Y(90));
  EXPECT_EQ(t.LineCount(), 2);
}

TEST(AxisArrowTool, OneClickScrollsByItsPercentageUnlessRefused) {
  ToolChart c;
  c.chart.LeftAxis()->SetMinMax(0, 100);
  TAxisArrowTool t(nullptr);
  t.SetParentChart(&c.chart);
  t.SetAxis(c.chart.BottomAxis());
  c.Draw();
  TChartAxis* a = c.chart.BottomAxis();
  int clicks = 0, scrolls = 0;
  t.OnClick = [&](TAxisArrowTool*, bool) { ++clicks; };
  c.chart.OnScroll = [&](TObject*) { ++scrolls; };
  c.chart.MouseDown(mbLeft, {}, a->IStartPos + 5, a->PosAxis);
  c.chart.MouseUp(mbLeft, {}, a->IStartPos + 5, a->PosAxis);
  EXPECT_DOUBLE_EQ(a->Minimum(), 1);
  EXPECT_DOUBLE_EQ(a->Maximum(), 11);
  c.chart.MouseDown(mbLeft, {}, a->IEndPos - 5, a->PosAxis);
  EXPECT_DOUBLE_EQ(a->Minimum(), 0);
  EXPECT_EQ(clicks, 2);
  EXPECT_EQ(scrolls, 2);
  EXPECT_EQ(t.ClickedArrow(a->IStartPos, a->PosAxis), -1);  // bounds are exclusive
  c.chart.OnAllowScroll = [](TChartAxis*, double&, double&, bool& allow) { allow = false; };
  c.chart.MouseDown(mbLeft, {}, a->IStartPos + 5, a->PosAxis);
  EXPECT_DOUBLE_EQ(a->Minimum(), 0);
  EXPECT_EQ(scrolls, 2);
  EXPECT_EQ(clicks, 3);  // the click is still reported
  t.ScrollPercent = 0;
  c.chart.OnAllowScroll = nullptr;
  c.chart.MouseDown(mbLeft, {}, a->IStartPos + 5, a->PosAxis);
  EXPECT_DOUBLE_EQ(a->Minimum(), 0);
  EXPECT_EQ(clicks, 3);
}

TEST(AxisScrollTool, DraggingAnAxisMovesItsRangeWithTheMouse) {
  ToolChart c;
  TAxisScrollTool t(nullptr);
  t.SetParentChart(&c.chart);
  c.Draw();
  TChartAxis* a = c.chart.BottomAxis();
  const int size = a->IEndPos - a->IStartPos, y = a->PosAxis + 2;
  c.Drag(a->IStartPos + 20, y, a->IStartPos + 20 + size / 10, y);
  EXPECT_NEAR(a->Minimum(), -1, 0.05);
  EXPECT_NEAR(a->Maximum(), 9, 0.05);
  a->SetVisible(false);
  c.Draw();
  c.Drag(a->IStartPos + 20, y, a->IStartPos + 80, y);
  EXPECT_NEAR(a->Minimum(), -1, 0.05);
}

TEST(AnnotationTool, BoxFitsTheTextAndPlacesItByUnitsAndCorner) {
  ToolChart c;
  TAnnotationTool t(nullptr);
  t.SetParentChart(&c.chart);
  TTeeCanvas3D* cv = c.chart.ChartCanvas();
  cv->AssignFont(t.Shape()->Font());
  const int h = cv->FontHeight();
  EXPECT_EQ(t.Bounds().Right - t.Bounds().Left, cv->TextWidth(" ") + 6);  // empty text: one blank wide
  t.SetText(AnsiString("a") + ChartLineSeparator + "bb" + ChartLineSeparator + "c");
  EXPECT_EQ(t.Bounds().Bottom - t.Bounds().Top, 3 * h + 4);
  EXPECT_EQ(t.Bounds().Left, 6);
  t.Shape()->SetLeft(50);
  t.SetPositionUnits(muPercent);
  TPoint o;
  t.Bounds(&o);
  EXPECT_EQ(o.x, 200);
  c.Draw();  // draws without touching the stored bounds
  EXPECT_EQ(t.Shape()->Left(), 50);
}

TEST(RectangleTool, MovesWithTheMouseAndResizesByItsEdges) {
  ToolChart c;
  TRectangleTool t(nullptr);
  t.SetParentChart(&c.chart);
  int dragged = 0, resized = 0;
  t.OnDragging = [&](TObject*) { ++dragged; };
  t.OnResizing = [&](TObject*) { ++resized; };
  // Shape at 10,10 50x50 gives the box (10,10)-(60,60).
  EXPECT_EQ(t.Bounds(), TRect(10, 10, 60, 60));
  c.Drag(30, 30, 130, 80);
  EXPECT_EQ(t.Bounds(), TRect(110, 60, 160, 110));
  EXPECT_EQ(dragged, 1);
  // Right edge dragged 20 pixels wider; left edge past the right one stops 3 pixels short.
  c.Drag(160, 85, 180, 85);
  EXPECT_EQ(t.Bounds(), TRect(110, 60, 180, 110));
  c.Drag(110, 85, 300, 85);
  EXPECT_EQ(t.Bounds().Left, 177);
  EXPECT_EQ(resized, 2);
}

TEST(SeriesAnimationTool, RunsFromTheStartValueAndRestoresTheValues) {
  ToolChart c;
  TSeriesAnimationTool t(nullptr);
  t.SetSeries(&c.s);
  t.SetSteps(1);
  std::vector<std::vector<double>> frames;
  t.OnStep = [&](TSeriesAnimationTool*, int) {
    frames.push_back({c.s.YValue(0), c.s.YValue(5), c.s.YValue(10)});
    t.Execute();  // a second run while running does nothing
  };
  t.SetStartAtMin(false);
  t.SetStartValue(20);
  t.Execute();
  ASSERT_EQ(frames.size(), 2u);  // one step: the start value, then the real values
  EXPECT_EQ(frames[0], (std::vector<double>{20, 20, 20}));
  EXPECT_EQ(frames[1], (std::vector<double>{0, 50, 100}));
  EXPECT_DOUBLE_EQ(c.s.YValue(5), 50);
  EXPECT_FALSE(t.Running());

  // Groups of three on eleven points: four groups of two frames each.
  frames.clear();
  t.SetDrawEvery(3);
  t.Execute();
  EXPECT_EQ(frames.size(), 8u);

  // An exception half way still gives the series its values back.
  t.SetDrawEvery(0);
  t.SetSteps(4);
  t.OnStep = [&](TSeriesAnimationTool*, int step) {
    if (step == 2) throw std::runtime_error("stop");
  };
  EXPECT_THROW(t.Execute(), std::runtime_error);
  for (int i = 0; i <= 10; ++i) EXPECT_DOUBLE_EQ(c.s.YValue(i), i * 10);
  EXPECT_FALSE(t.Running());
}

TEST(DragPointTool, DraggingChangesThePointsValuesEvenOnAnEmptyRange) {
  ToolChart c;
  TDragPointTool t(nullptr);
  t.SetParentChart(&c.chart);
  t.SetSeries(&c.s);
  int dragged = -1;
  t.OnDragPoint = [&](TDragPointTool*, int i) { dragged = i; };
  t.DragStyle = dsY;
  c.Drag(c.X(4), c.Y(40), c.X(5), c.Y(55));
  EXPECT_EQ(dragged, 4);
  EXPECT_NEAR(c.s.YValue(4), 55, 0.5);
  EXPECT_DOUBLE_EQ(c.s.XValue(4), 4);
  c.chart.LeftAxis()->SetMinMax(50, 50);
  c.Draw();
  c.chart.MouseDown(mbLeft, {}, c.X(2), c.s.CalcYPos(2));
  c.chart.MouseMove({ssLeft}, c.X(2), 100);
  EXPECT_TRUE(std::isfinite(c.s.YValue(2)));
}

TEST(SeriesBandTool, PolygonJoinsBothSeriesAndForgetsARemovedOne) {
  ToolChart c;
  auto* s2 = new TFastLineSeries(nullptr);
  s2->SetParentChart(&c.chart);
  for (int i = 0; i < 3; ++i) s2->AddXY(i, 5);
  c.chart.BottomAxis()->SetMinMax(0, 4);
  TSeriesBandTool t(nullptr);
  t.SetParentChart(&c.chart);
  t.SetSeries(&c.s);
  t.SetSeries2(s2);
  c.Draw();
  EXPECT_EQ(t.BandPolygon().size(), 8u);  // 5 visible points and 3
  // A series taken off the chart is forgotten with its drawing events; the band draws nothing.
  c.s.SetParentChart(nullptr);
  EXPECT_EQ(t.Series(), nullptr);
  EXPECT_FALSE(c.s.BeforeDrawValues);
  EXPECT_TRUE(t.BandPolygon().empty());
  c.Draw();
  t.SetSeries(s2);
  delete s2;
  EXPECT_EQ(t.Series2(), nullptr);
  EXPECT_TRUE(t.BandPolygon().empty());
  c.Draw();
}

TEST(SeriesAnimationTool, StartingAtTheMinimumLeavesTheLowestPointStill) {
  ToolChart c;
  TSeriesAnimationTool t(nullptr);
  t.SetSeries(&c.s);
  t.SetSteps(4);
  bool still = true;
  t.OnStep = [&](TSeriesAnimationTool*, int) { still = still && c.s.YValue(0) == 0; };
  t.Execute();
  EXPECT_TRUE(still);
  // Without points a run only repaints.
  c.s.Clear();
  int steps = 0;
  t.OnStep = [&](TSeriesAnimationTool*, int) { ++steps; };
  t.Execute();
  EXPECT_EQ(steps, 0);
}

TEST(AxisTools, AxesSharingASeriesScrollTogether) {
  ToolChart c;
  c.s.SetVertAxis(aBothVertAxis);
  c.chart.RightAxis()->SetMinMax(0, 100);
  c.Draw();
  TAxisScrollTool t(nullptr);
  t.SetParentChart(&c.chart);
  TChartAxis* l = c.chart.LeftAxis();
  const int size = l->IEndPos - l->IStartPos, x = l->PosAxis - 2;
  c.Drag(x, l->IStartPos + 40, x, l->IStartPos + 40 + size / 10);
  EXPECT_NEAR(l->Minimum(), 10, 0.5);
  EXPECT_NEAR(c.chart.RightAxis()->Minimum(), 10, 0.5);

  TAxisArrowTool a(nullptr);
  a.SetParentChart(&c.chart);
  a.SetAxis(l);
  c.Draw();
  const double before = c.chart.RightAxis()->Minimum();
  c.chart.MouseDown(mbLeft, {}, l->PosAxis, l->IStartPos + 5);
  EXPECT_NEAR(c.chart.RightAxis()->Minimum() - before, (l->Maximum() - l->Minimum()) / 10, 1e-9);
}

TEST(ColorBandTool, FillsItsStripeBehindTheSeries) {
  ToolChart c;
  TColorBandTool t(nullptr);
  t.SetParentChart(&c.chart);
  t.SetAxis(c.chart.BottomAxis());
  t.SetColor(clYellow);
  t.SetStartValue(6);
  t.SetEndValue(8);
  c.Draw();
  EXPECT_EQ(c.bmp.Canvas()->Pixel(c.X(7), c.Y(20)), clYellow);
  EXPECT_NE(c.bmp.Canvas()->Pixel(c.X(5), c.Y(20)), clYellow);
  int clicks = 0;
  t.OnClick = [&](TObject*, TMouseButton, TShiftState, int, int) { ++clicks; };
  c.chart.MouseDown(mbLeft, {}, c.X(7), c.Y(20));
  c.chart.MouseUp(mbLeft, {}, c.X(7), c.Y(20));
  EXPECT_EQ(clicks, 1);
}

TEST(DrawLineTool, ARefusedSelectionLeavesTheLineUnselected) {
  ToolChart c;
  TDrawLineTool t(nullptr);
  t.SetParentChart(&c.chart);
  t.AddLine({1, 10}, {4, 80});
  c.Draw();
  t.OnSelecting = [](TDrawLineTool*, TDrawLine*, bool& allow) { allow = false; };
  c.chart.MouseDown(mbLeft, {}, c.X(1), c.Y(10));
  c.chart.MouseUp(mbLeft, {}, c.X(1), c.Y(10));
  EXPECT_EQ(t.Selected(), nullptr);
  EXPECT_EQ(t.LineCount(), 1);
  EXPECT_NEAR(t.Line(0)->X0(), 1, 1e-9);
}

// The lines are a collection in the form: each item its style and two points, only what
// differs from a new line written.
TEST(DrawLineTool, AFormListingTheLinesAsItemsLoadsAndStoresThemBack) {
  RegisterChartClasses();
  const AnsiString text =
      AnsiString(kChartFormHead) +
      "  object Lines: TDrawLineTool\n"
      "    ParentChart = Chart1\n"
      "    Lines = <\n"
      "      item\n"
      "        Style = dlHorizParallel\n"
      "        X0 = 1.5\n"
      "        Y0 = -2.0\n"
      "        X1 = 3.0\n"
      "        Y1 = 40.0\n"
      "      end\n"
      "      item\n"
      "        X1 = 7.0\n"
      "      end>\n"
      "  end\n"
      "end\n";
  TForm form(nullptr);
  const AnsiString bin = ObjectTextToBinary(text);
  TReader r(bin.data(), bin.size());
  ASSERT_NO_THROW(r.ReadRootComponent(&form));
  auto* t = dynamic_cast<TDrawLineTool*>(form.FindComponent("Lines"));
  ASSERT_TRUE(t);
  TDrawLines* lines = t->Lines();
  ASSERT_EQ(lines->Count(), 2);
  EXPECT_EQ((*lines)[0]->Style(), dlHorizParallel);
  EXPECT_EQ((*lines)[0]->StartPos, (TFloatPoint{1.5, -2}));
  EXPECT_EQ((*lines)[0]->EndPos, (TFloatPoint{3, 40}));
  EXPECT_EQ((*lines)[1]->Style(), dlLine);
  EXPECT_EQ((*lines)[1]->StartPos, (TFloatPoint{0, 0}));
  EXPECT_EQ((*lines)[1]->EndPos, (TFloatPoint{7, 0}));
  AnsiString out;
  TWriter w(out);
  w.WriteRootComponent(&form);
  EXPECT_EQ(ObjectBinaryToText(out), text);

  // Another tool takes copies of the lines; a deleted selected line leaves no selection.
  TDrawLineTool copy(nullptr);
  copy.SetLines(lines);
  ASSERT_EQ(copy.LineCount(), 2);
  EXPECT_NE(copy.Line(0), (*lines)[0]);
  EXPECT_EQ(copy.Line(0)->EndPos, (TFloatPoint{3, 40}));
  ToolChart c;
  t->SetParentChart(&c.chart);
  c.Draw();
  TDrawLine* refused = nullptr;
  int asked = 0;
  TDrawLineSelecting selecting = [&](TDrawLineTool*, TDrawLine* line, bool& allow) {
    ++asked;
    allow = line != refused;
  };
  t->OnSelecting = selecting;
  c.chart.MouseDown(mbLeft, {}, c.X(2), c.Y(40));
  c.chart.MouseUp(mbLeft, {}, c.X(2), c.Y(40));
  ASSERT_EQ(t->Selected(), (*lines)[0]);
  lines->Delete(0);
  EXPECT_EQ(t->Selected(), nullptr);
  EXPECT_EQ(lines->Count(), 1);
  EXPECT_THROW(lines->Delete(1), std::out_of_range);
  EXPECT_EQ(lines->Count(), 1);
  refused = (*lines)[0];
  c.chart.MouseDown(mbLeft, {}, c.X(5), c.Y(0));
  c.chart.MouseUp(mbLeft, {}, c.X(5), c.Y(0));
  EXPECT_EQ(t->Selected(), nullptr);
  EXPECT_EQ(asked, 2);
}

TEST(SeriesBandTool, FillsBetweenTheTwoSeries) {
  ToolChart c;
  TFastLineSeries low(nullptr);
  low.SetParentChart(&c.chart);
  for (int i = 0; i <= 10; ++i) low.AddXY(i, 0);
  TSeriesBandTool t(nullptr);
  t.SetParentChart(&c.chart);
  t.Brush()->SetColor(clAqua);
  t.SetSeries(&c.s);
  t.SetSeries2(&low);
  c.Draw();
  EXPECT_EQ(c.bmp.Canvas()->Pixel(c.X(8), c.Y(30)), clAqua);  // under the rising line
  EXPECT_NE(c.bmp.Canvas()->Pixel(c.X(2), c.Y(60)), clAqua);  // above it
}

TEST(ExtraTools, EachToolTypeIsRegisteredAndLoadsFromAFormResource) {
  RegisterChartClasses();
  for (const char* name : {"TCursorTool", "TAxisArrowTool", "TDrawLineTool", "TNearestTool", "TColorBandTool", "TColorLineTool",
                           "TAnnotationTool", "TSeriesAnimationTool", "TAxisScrollTool", "TRectangleTool", "TClipSeriesTool",
                           "TDragPointTool", "TSeriesBandTool"}) {
    EXPECT_NE(std::find(TeeToolTypes().begin(), TeeToolTypes().end(), AnsiString(name)), TeeToolTypes().end()) << name;
  }
  // Tools placed on a form's chart survive a round trip through the form resource.
  auto build = [](TForm& f) {
    f.SetName("F");
    auto* chart = new TChart(&f);
    chart->SetName("Chart1");
    chart->SetParent(&f);
    return chart;
  };
  TForm form(nullptr);
  TChart* chart = build(form);
  auto* d = new TDrawLineTool(&form);
  d->SetName("Lines");
  d->SetParentChart(chart);
  d->AddLine({1, 2}, {3, 4}, dlVertParallel);
  auto* l = new TColorLineTool(&form);
  l->SetName("Line");
  l->SetParentChart(chart);
  l->SetAxis(chart->LeftAxis());
  l->SetValue(42);
  auto* box = new TRectangleTool(&form);
  box->SetName("Box");
  box->SetParentChart(chart);
  box->SetText("Knock");
  box->Shape()->SetLeft(40);
  box->SetWidth(80);
  box->Callout()->SetXPosition(7);
  AnsiString bin;
  TWriter w(bin);
  w.WriteRootComponent(&form);
  EXPECT_NE(ObjectBinaryToText(bin).find("TColorLineTool"), AnsiString::npos);

  TForm again(nullptr);
  TReader r(bin.data(), bin.size());
  r.ReadRootComponent(&again);
  auto* d2 = dynamic_cast<TDrawLineTool*>(again.FindComponent("Lines"));
  auto* l2 = dynamic_cast<TColorLineTool*>(again.FindComponent("Line"));
  ASSERT_TRUE(d2 && l2);
  ASSERT_EQ(d2->LineCount(), 1);
  EXPECT_EQ(d2->Line(0)->Style(), dlVertParallel);
  EXPECT_DOUBLE_EQ(d2->Line(0)->Y1(), 4);
  EXPECT_DOUBLE_EQ(l2->Value(), 42);
  auto* box2 = dynamic_cast<TRectangleTool*>(again.FindComponent("Box"));
  ASSERT_TRUE(box2);
  EXPECT_EQ(box2->Text(), "Knock");
  EXPECT_EQ(box2->Shape()->Left(), 40);
  EXPECT_EQ(box2->Width(), 80);
  EXPECT_EQ(box2->Callout()->XPosition(), 7);
  ASSERT_NE(l2->ParentChart(), nullptr);
  EXPECT_EQ(l2->Axis(), l2->ParentChart()->LeftAxis());
}

}  // namespace

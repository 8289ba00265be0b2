// Grid bands, the surface cell under the mouse, selecting and dragging chart parts,
// dragging marks and mark tips, each driven by the mouse on a small chart.
#include <gtest/gtest.h>

#include "chart/Chart.h"
#include "chart/Series.h"
#include "chart/TeeSurfa.h"
#include "chart/TeeToolsSelect.h"
#include "platform/streaming/Filer.h"
#include "platform/streaming/ObjectText.h"
#include "platform/ui/Application.h"
#include "platform/ui/Forms.h"

namespace {

struct LineChart {
  TChart chart{nullptr};
  TFastLineSeries s{nullptr};
  TBitmap bmp;
  LineChart() {
    RegisterChartClasses();
    chart.SetBounds(0, 0, 400, 300);
    chart.SetView3D(false);
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
};

TEST(GridBandTool, FillsEveryOtherGapAndNothingWithBothBrushesClear) {
  LineChart c;
  TGridBandTool t(nullptr);
  t.SetParentChart(&c.chart);
  t.SetAxis(c.chart.LeftAxis());
  t.Band1()->SetStyle(bsClear);
  t.Band2()->SetStyle(bsClear);
  c.Draw();
  EXPECT_TRUE(t.Filled().empty());
  t.Band2()->SetStyle(bsSolid);
  t.Band2()->SetColor(clYellow);
  c.Draw();
  const size_t ticks = c.chart.LeftAxis()->TickPositions().size();
  ASSERT_GE(ticks, 3u);
  // Every second gap between the grid lines (plus the edge gaps) is filled.
  EXPECT_NEAR(static_cast<double>(t.Filled().size()), ticks / 2.0, 1.0);
  const auto [p0, p1] = t.Filled()[0];
  EXPECT_EQ(c.bmp.Canvas()->Pixel((c.chart.ChartRect.Left + c.chart.ChartRect.Right) / 2, (p0 + p1) / 2), clYellow);
}

TEST(GridBandTool, ANewBandDrawsNothingUntilItsBrushHasAColour) {
  RegisterChartClasses();
  for (const char* band : {"", "    Band2.Color = clYellow\n"}) {
    SCOPED_TRACE(band);
    TForm form(nullptr);
    const AnsiString bin = ObjectTextToBinary(
        AnsiString("object F: TForm\n  object Chart1: TChart\n    Width = 400\n    Height = 300\n    View3D = False\n  end\n"
                   "  object S: TFastLineSeries\n    ParentChart = Chart1\n  end\n"
                   "  object G: TGridBandTool\n    ParentChart = Chart1\n    AxisID = 0\n") + band + "  end\nend\n");
    TReader r(bin.data(), bin.size());
    r.ReadRootComponent(&form);
    auto* chart = dynamic_cast<TChart*>(form.FindComponent("Chart1"));
    auto* s = dynamic_cast<TChartSeries*>(form.FindComponent("S"));
    auto* g = dynamic_cast<TGridBandTool*>(form.FindComponent("G"));
    ASSERT_TRUE(chart && s && g);
    ASSERT_EQ(g->Axis(), chart->LeftAxis());
    for (int i = 0; i <= 10; ++i) s->AddXY(i, i * 10);
    TBitmap bmp;
    bmp.SetSize(400, 300);
    chart->Draw(bmp.Canvas(), TRect(0, 0, 400, 300));
    const size_t ticks = chart->LeftAxis()->TickPositions().size();
    if (*band == 0) {
      EXPECT_TRUE(g->Filled().empty());
    } else {
      EXPECT_NEAR(static_cast<double>(g->Filled().size()), ticks / 2.0, 1.0);
    }
  }
}

TEST(SurfaceNearestTool, ColoursTheCellItsRowAndColumnUntilTheMouseLeaves) {
  RegisterChartClasses();
  TChart chart(nullptr);
  chart.SetBounds(0, 0, 400, 300);
  chart.SetView3D(false);
  chart.Legend()->SetVisible(false);
  TSurfaceSeries s(nullptr);
  s.SetParentChart(&chart);
  s.OnGetYValue = [](TChartSeries*, int, int z) { return z == 1 ? 1.0 : 3.0; };
  s.CreateValues(4, 2);
  TBitmap bmp;
  bmp.SetSize(400, 300);
  chart.Draw(bmp.Canvas(), TRect(0, 0, 400, 300));

  std::vector<TColor> own;
  for (int i = 0; i < s.Count(); ++i) own.push_back(s.GetValueColor(i));
  TSurfaceNearestTool t(nullptr);
  TFastLineSeries line(nullptr);
  t.SetSeries(&line);
  EXPECT_EQ(t.Series(), nullptr);  // only a surface will do
  t.SetParentChart(&chart);
  t.SetSeries(&s);
  int selected = 0;
  t.OnSelectCell = [&](TObject*) { ++selected; };
  const TRect& r = chart.ChartRect;
  const int mx = r.Left + r.Width() / 6, my = (r.Top + r.Bottom) / 2;
  chart.MouseMove({}, mx, my);
  ASSERT_NE(t.SelectedCell, -1);
  int cells = 0, rows = 0, columns = 0;
  for (int i = 0; i < s.Count(); ++i) {
    const TColor col = s.GetValueColor(i);
    cells += col == clRed;
    rows += col == TColor(0xFF0000);
    columns += col == TColor(0x008000);
  }
  EXPECT_EQ(cells, 1);
  EXPECT_EQ(rows, 1);     // the other point with the same X
  EXPECT_EQ(columns, 3);  // the other points with the same Z
  chart.MouseMove({}, mx + 1, my);  // same cell: nothing again
  EXPECT_EQ(selected, 1);
  chart.MouseMove({}, 2, 2);
  EXPECT_EQ(t.SelectedCell, -1);
  EXPECT_EQ(selected, 2);
  for (int i = 0; i < s.Count(); ++i) EXPECT_EQ(s.GetValueColor(i), own[static_cast<size_t>(i)]) << i;
}

TEST(SelectorTool, LegendMovesOnlyAfterThreePixelsAndCornerResizesTheChart) {
  LineChart c;
  c.chart.Legend()->SetVisible(true);
  c.Draw();
  TSelectorTool t(nullptr);
  t.SetParentChart(&c.chart);
  const TRect lb = c.chart.Legend()->ShapeBounds;
  const int x = (lb.Left + lb.Right) / 2, y = (lb.Top + lb.Bottom) / 2;
  c.chart.MouseDown(mbLeft, {}, x, y);
  EXPECT_EQ(t.SelectedShape, c.chart.Legend());
  c.chart.MouseMove({ssLeft}, x + 2, y);
  EXPECT_EQ(c.chart.Legend()->Left(), lb.Left);
  c.chart.MouseMove({ssLeft}, x + 3, y);
  EXPECT_EQ(c.chart.Legend()->Left(), lb.Left + 3);
  c.chart.MouseMove({ssLeft}, x + 4, y);
  EXPECT_EQ(c.chart.Legend()->Left(), lb.Left + 4);
  c.chart.MouseUp(mbLeft, {}, x + 4, y);

  t.AllowResizeChart = true;
  c.chart.MouseDown(mbLeft, {}, 395, 295);
  EXPECT_TRUE(t.ResizingChart());
  EXPECT_EQ(t.SelectedShape, c.chart.Legend());  // the selection stays
  c.chart.MouseMove({ssLeft}, 350, 250);
  c.chart.MouseUp(mbLeft, {}, 350, 250);
  EXPECT_EQ(c.chart.Width(), 350);
  EXPECT_EQ(c.chart.Height(), 250);
}

TEST(DragMarksTool, DraggingMovesTheLabelAndTheArrowEndNotItsStart) {
  LineChart c;
  auto& pos = c.s.Marks()->Positions();
  auto p = std::make_unique<TSeriesMarkPosition>();
  p->ArrowFrom = {100, 100};
  p->ArrowTo = {100, 80};
  p->LeftTop = {90, 60};
  p->Width = 30;
  p->Height = 16;
  pos.push_back(std::move(p));
  TDragMarksTool t(nullptr);
  t.SetParentChart(&c.chart);
  c.chart.MouseDown(mbLeft, {}, 100, 65);
  EXPECT_EQ(t.DragSeries(), &c.s);
  c.chart.MouseMove({ssLeft}, 120, 55);
  c.chart.MouseUp(mbLeft, {}, 120, 55);
  const TSeriesMarkPosition& m = *pos[0];
  EXPECT_TRUE(m.Custom);
  EXPECT_EQ(m.LeftTop, (TPoint{110, 50}));
  EXPECT_EQ(m.ArrowTo, (TPoint{120, 70}));
  EXPECT_EQ(m.ArrowFrom, (TPoint{100, 100}));
  EXPECT_EQ(t.DragPosition(), nullptr);
}

TEST(DragMarksTool, ADrawnMarkDraggedStaysWhereItWasPutAtTheNextDrawing) {
  LineChart c;
  c.s.Marks()->SetVisible(true);
  c.Draw();
  auto& pos = c.s.Marks()->Positions();
  ASSERT_GT(pos.size(), 5u);
  ASSERT_TRUE(pos[5]);
  const TSeriesMarkPosition old = *pos[5];
  TDragMarksTool t(nullptr);
  t.SetParentChart(&c.chart);
  const int x = old.LeftTop.x + old.Width / 2, y = old.LeftTop.y + old.Height / 2;
  c.chart.MouseDown(mbLeft, {}, x, y);
  c.chart.MouseMove({ssLeft}, x + 30, y - 20);
  c.chart.MouseUp(mbLeft, {}, x + 30, y - 20);
  c.Draw();
  EXPECT_EQ(pos[5]->LeftTop, (TPoint{old.LeftTop.x + 30, old.LeftTop.y - 20}));
  EXPECT_EQ(pos[5]->ArrowFrom, old.ArrowFrom);
}

TEST(MarksTipTool, SamePointTwiceShowsTheTipOnceAndTheDelayIsTheApplications) {
  LineChart c;
  c.s.SetLabels(4, "four");
  TMarksTipTool t(nullptr);
  t.SetParentChart(&c.chart);
  const int x = c.chart.BottomAxis()->CalcPosValue(4), y = c.chart.LeftAxis()->CalcPosValue(40);
  c.chart.MouseMove({}, x, y);
  c.chart.MouseMove({}, x + 1, y);
  EXPECT_EQ(c.chart.Hint(), "four");
  EXPECT_EQ(t.Shown, 1);
  c.chart.MouseMove({}, 2, 2);
  EXPECT_EQ(c.chart.Hint(), "");
  if (Application) {
    t.SetMouseDelay(900);
    EXPECT_EQ(Application->HintPause, 900);
    t.SetMouseDelay(500);
  }
}

TEST(MarksTipTool, TheProgramMayChangeTheTipText) {
  LineChart c;
  c.s.SetLabels(4, "four");
  TMarksTipTool t(nullptr);
  t.SetParentChart(&c.chart);
  TMarksTipGetText change = [](TMarksTipTool*, AnsiString& Text) { Text = "rpm " + Text; };
  t.OnGetText = change;
  c.chart.MouseMove({}, c.chart.BottomAxis()->CalcPosValue(4), c.chart.LeftAxis()->CalcPosValue(40));
  EXPECT_EQ(c.chart.Hint(), "rpm four");
}

}  // namespace

// The chart: panel rectangle, axes (limits, increments, value <-> pixel, exceptions),
// paging, legend layout, palettes, the fast line series, and whole charts drawn on
// off-screen images checked by geometry and probe pixels.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "chart/Chart.h"
#include "chart/Series.h"
#include "chart/TeeConst.h"
#include "chart/TeeItems.h"
#include "chart/TeeProCo.h"
#include "platform/classes/Streams.h"
#include "platform/streaming/Filer.h"
#include "platform/streaming/ObjectText.h"
#include "platform/ui/Forms.h"

namespace {

class RectProbe : public TCustomTeePanel {
 public:
  explicit RectProbe(TComponent* Owner) : TCustomTeePanel(Owner) { SetBevelOuter(bvNone); }
  TRect seen;

 protected:
  void InternalDraw(const TRect&) override { seen = ChartRect; }
};

// A 2-D chart without titles, legend or margins, whose axes hold fixed limits.
struct PlainChart {
  TChart chart{nullptr};
  TBitmap bmp;
  explicit PlainChart(int w = 400, int h = 250) {
    RegisterChartClasses();
    chart.SetBounds(0, 0, w, h);
    chart.SetColor(clWhite);
    chart.SetView3D(false);
    chart.SetBevelOuter(bvNone);
    chart.Legend()->SetVisible(false);
    chart.BackWall()->Pen()->Hide();
    bmp.SetSize(w, h);
  }
  void Draw() { chart.Draw(bmp.Canvas(), TRect(0, 0, bmp.Width(), bmp.Height())); }
  TColor Pixel(int x, int y) { return bmp.Canvas()->Pixel(x, y); }
};

}  // namespace

TEST(ChartPanel, ChartRectFollowsMarginsAndFrame) {
  RectProbe p(nullptr);
  TBitmap bmp;
  bmp.SetSize(400, 250);
  p.Draw(bmp.Canvas(), TRect(0, 0, 400, 250));
  EXPECT_EQ(p.seen, TRect(12, 10, 388, 240));
  p.Border()->SetVisible(true);
  p.Border()->SetWidth(4);
  p.Draw(bmp.Canvas(), TRect(0, 0, 400, 250));
  EXPECT_EQ(p.seen, TRect(16, 14, 384, 236));
  p.Border()->SetVisible(false);
  p.SetMarginUnits(muPixels);
  for (auto set : {&TCustomTeePanel::SetMarginLeft, &TCustomTeePanel::SetMarginTop, &TCustomTeePanel::SetMarginRight,
                   &TCustomTeePanel::SetMarginBottom})
    (p.*set)(0);
  p.Draw(bmp.Canvas(), TRect(0, 0, 400, 250));
  EXPECT_EQ(p.seen, TRect(0, 0, 400, 250));
  // Margins larger than the panel never invert the rectangle.
  p.SetMarginLeft(300);
  p.SetMarginRight(300);
  p.Draw(bmp.Canvas(), TRect(0, 0, 400, 250));
  EXPECT_GT(p.seen.Right, p.seen.Left);
}

// The chart's border ends flat and meets itself square at the corners unless told
// otherwise.
TEST(ChartPanel, AWideBorderHasSquareCornersByDefault) {
  PlainChart c;
  EXPECT_EQ(c.chart.Border()->EndStyle(), esFlat);
  c.chart.Border()->SetVisible(true);
  c.chart.Border()->SetWidth(9);
  c.chart.Border()->SetColor(clRed);
  c.Draw();
  EXPECT_EQ(c.Pixel(0, 0), clRed);
  EXPECT_EQ(c.Pixel(0, 200), clRed);
  c.chart.Border()->SetEndStyle(esRound);
  c.Draw();
  EXPECT_NE(c.Pixel(0, 0), clRed);
  EXPECT_EQ(c.Pixel(0, 200), clRed);
}

TEST(ChartPanel, AutoRepaintOffKeepsTheBufferValid) {
  PlainChart c;
  c.Draw();
  EXPECT_FALSE(c.chart.ChartCanvas()->BufferInvalid);
  c.chart.SetAutoRepaint(false);
  c.chart.View3DOptions()->SetRotation(10);
  EXPECT_FALSE(c.chart.ChartCanvas()->BufferInvalid);
  c.chart.SetAutoRepaint(true);
  c.chart.View3DOptions()->SetRotation(20);
  EXPECT_TRUE(c.chart.ChartCanvas()->BufferInvalid);
}

TEST(ChartAxis, IncrementsFitTheLabels) {
  PlainChart c;
  TChartAxis* a = c.chart.BottomAxis();
  a->SetMinMax(0, 100);
  a->ComputeLimits();
  a->IStartPos = 0;
  a->IEndPos = a->IAxisSize = 400;
  a->CalcScale();
  // 30-pixel labels with 10 % separation: 33 pixels, 12 labels fit; 100/13 steps up to 10.
  EXPECT_DOUBLE_EQ(a->IncrementForLabelCount(12), 10);
  // The 1-2-5 sequence: 1/7 steps to 0.2; 2 steps to 5; 10 steps to 20.
  a->SetMinMax(0, 1);
  a->ComputeLimits();
  EXPECT_DOUBLE_EQ(a->IncrementForLabelCount(6), 0.2);
  a->SetMinMax(0, 100);
  a->ComputeLimits();
  EXPECT_DOUBLE_EQ(a->IncrementForLabelCount(25), 5);
  EXPECT_DOUBLE_EQ(a->IncrementForLabelCount(5), 20);
  a->SetIncrement(30);
  EXPECT_DOUBLE_EQ(a->IncrementForLabelCount(12), 30);
}

TEST(ChartAxis, ValuesAndPixelsMapBothWays) {
  PlainChart c;
  struct Case {
    bool horizontal, inverted, log;
    double min, max, value;
    int pixel;
  } cases[] = {
      {true, false, false, 0, 100, 25, 200},  {true, true, false, 0, 100, 25, 400},
      {false, false, false, 0, 100, 25, 400}, {false, true, false, 0, 100, 25, 200},
      {true, false, true, 1, 1000, 10, 233},  {true, true, true, 1, 1000, 10, 367},
      {false, false, true, 1, 1000, 100, 233},
  };
  for (const Case& k : cases) {
    TChartAxis a(&c.chart);
    a.Horizontal = k.horizontal;
    a.SetMinMax(k.min, k.max);
    a.SetInverted(k.inverted);
    if (k.log) a.SetLogarithmic(true);
    a.ComputeLimits();
    a.IStartPos = 100;
    a.IEndPos = 500;
    a.IAxisSize = 400;
    a.ICenterPos = 300;
    a.CalcScale();
    EXPECT_EQ(a.ValueToPixel(k.value), k.pixel) << k.horizontal << k.inverted << k.log;
    EXPECT_NEAR(a.PixelToValue(k.pixel), k.value, k.log ? k.value * 0.01 : 1e-9);
    EXPECT_NEAR(a.PixelToValue(a.ValueToPixel(k.min)), k.min, 1e-9);
    EXPECT_NEAR(a.PixelToValue(a.ValueToPixel(k.max)), k.max, 1e-6);
    if (k.log) {
      // Zero and negative values go to the axis' start (its end when vertical).
      const int start = k.horizontal ? (k.inverted ? 500 : 100) : (k.inverted ? 100 : 500);
      EXPECT_EQ(a.ValueToPixel(0), start);
      EXPECT_EQ(a.ValueToPixel(-5), start);
    }
  }
  // A zero range puts everything at the centre; an axis of no pixels divides by nothing.
  TChartAxis z(&c.chart);
  z.Horizontal = true;
  z.SetMinMax(5, 5);
  EXPECT_DOUBLE_EQ(z.Maximum(), 5 + 1e-10);
  z.IMinimum = z.IMaximum = 5;
  z.IStartPos = z.IEndPos = 100;
  z.IAxisSize = 0;
  z.ICenterPos = 100;
  z.CalcScale();
  EXPECT_EQ(z.ValueToPixel(1e9), 100);
  EXPECT_EQ(z.PixelToValue(250), 5);
  // A logarithmic axis with a non-positive limit maps to its start.
  TChartAxis l(&c.chart);
  l.Horizontal = true;
  l.IMinimum = 0;
  l.IMaximum = 0;
  l.SetLogarithmic(true);
  l.IStartPos = 10;
  l.IEndPos = 110;
  l.IAxisSize = 100;
  l.CalcScale();
  EXPECT_EQ(l.ValueToPixel(5), l.ICenterPos);
  // Far values are clamped, not overflowed.
  TChartAxis f(&c.chart);
  f.Horizontal = true;
  f.SetMinMax(0, 1);
  f.ComputeLimits();
  f.IStartPos = 0;
  f.IEndPos = f.IAxisSize = 100;
  f.CalcScale();
  EXPECT_EQ(f.ValueToPixel(1e300), 67108863);
  EXPECT_EQ(f.ValueToPixel(-1e300), -67108863);
}

// A logarithmic axis whose limits hold no power of its base still gets labels, at a
// constant step; one that holds powers keeps them.
TEST(ChartAxis, LogarithmicAxisWithoutAPowerInsideItsLimitsHasLabels) {
  struct Case { double min, max; std::vector<AnsiString> labels; } cases[] = {
      {2, 5, {"2", "3", "4", "5"}}, {20, 30, {"20", "30"}}, {1, 1000, {"1", "10", "100", "1,000"}}};
  for (const Case& k : cases) {
    PlainChart c;
    auto* s = new TFastLineSeries(&c.chart);  // the chart frees it
    s->SetParentChart(&c.chart);
    s->AddXY(1, k.min);
    s->AddXY(2, k.max);
    TChartAxis* a = c.chart.LeftAxis();
    a->SetMinMax(k.min, k.max);
    a->SetLogarithmic(true);
    std::vector<AnsiString> drawn;
    a->OnDrawLabel = [&](TChartAxis*, int&, int&, int&, AnsiString& text, bool&) { drawn.push_back(text); };
    c.Draw();
    EXPECT_EQ(drawn, k.labels) << k.min << ".." << k.max;
  }
}

TEST(ChartAxis, LimitsRefuseBadValuesWithTheirTexts) {
  PlainChart c;
  TChartAxis* a = c.chart.LeftAxis();
  a->SetMinMax(10, 0);
  EXPECT_EQ(a->Minimum(), 0);
  EXPECT_EQ(a->Maximum(), 10);
  EXPECT_FALSE(a->Automatic());
  struct Case {
    std::function<void()> act;
    AnsiString* text;
  } cases[] = {
      {[&] { a->SetMinimum(11); }, &TeeMsg_AxisMinMax},
      {[&] { a->SetMaximum(-1); }, &TeeMsg_AxisMaxMin},
      {[&] { a->SetIncrement(-1); }, &TeeMsg_AxisIncrementNeg},
      {[&] { a->SetLogarithmicBase(1); }, &TeeMsg_AxisLogBase},
      {[&] { a->SetLogarithmicBase(0); }, &TeeMsg_AxisLogBase},
      {[&] { a->SetLabelsSeparation(-1); }, &TeeMsg_AxisLabelSep},
  };
  for (const Case& k : cases) {
    try {
      k.act();
      ADD_FAILURE() << *k.text;
    } catch (const AxisException& e) {
      EXPECT_EQ(e.Message(), *k.text);
    }
  }
  a->SetLabelsSeparation(0);
  auto* s = new TFastLineSeries(nullptr);
  s->SetParentChart(&c.chart);
  s->AddXY(1, -5);
  a->SetAutomatic(true);
  try {
    a->SetLogarithmic(true);
    ADD_FAILURE();
  } catch (const AxisException& e) {
    EXPECT_EQ(e.Message(), TeeMsg_AxisLogNotPositive);
  }
  EXPECT_FALSE(a->Logarithmic());
  s->XValues()->SetDateTime(true);
  try {
    c.chart.BottomAxis()->SetLogarithmic(true);
    ADD_FAILURE();
  } catch (const AxisException& e) {
    EXPECT_EQ(e.Message(), TeeMsg_AxisLogDateTime);
  }
  delete s;
  EXPECT_THROW(c.chart.SetChart3DPercent(0), Exception);
  EXPECT_THROW(c.chart.SetMaxPointsPerPage(-1), ChartException);
}

TEST(ChartAxis, AutomaticLimitsComeFromTheActiveSeries) {
  PlainChart c;
  TFastLineSeries a(nullptr), b(nullptr);
  a.SetParentChart(&c.chart);
  b.SetParentChart(&c.chart);
  a.AddXY(0, 5);
  a.AddXY(10, 7);
  b.AddXY(-4, 1);
  b.AddXY(2, 20);
  EXPECT_EQ(c.chart.MinAxisValue(c.chart.BottomAxis()), -4);
  EXPECT_EQ(c.chart.MaxAxisValue(c.chart.LeftAxis()), 20);
  b.SetActive(false);
  EXPECT_EQ(c.chart.MaxAxisValue(c.chart.LeftAxis()), 7);
  EXPECT_TRUE(c.chart.IsAxisVisible(c.chart.LeftAxis()));
  EXPECT_FALSE(c.chart.IsAxisVisible(c.chart.RightAxis()));
  a.SetActive(false);
  // Only inactive series: every axis shows, and their points still give the limits.
  EXPECT_TRUE(c.chart.IsAxisVisible(c.chart.RightAxis()));
  EXPECT_EQ(c.chart.MaxAxisValue(c.chart.LeftAxis()), 20);
}

TEST(ChartPaging, PagesOfPointsAndTheLastPageFallback) {
  PlainChart c;
  TFastLineSeries s(nullptr);
  s.SetParentChart(&c.chart);
  for (int i = 0; i < 25; ++i) s.Add(i);
  c.chart.SetMaxPointsPerPage(10);
  EXPECT_EQ(c.chart.PageCount(), 3);
  c.chart.SetPage(7);
  EXPECT_EQ(c.chart.Page(), 3);
  c.chart.SetPage(0);
  EXPECT_EQ(c.chart.Page(), 1);
  int first, last;
  c.chart.SetPage(3);
  c.chart.CalcFirstLastPage(&s, first, last);
  EXPECT_EQ(first, 20);
  EXPECT_EQ(last, 24);
  // Points deleted under the current page: the last page that still holds points.
  s.DeleteRange(15, 10);
  c.chart.CalcFirstLastPage(&s, first, last);
  EXPECT_EQ(first, 10);
  EXPECT_EQ(last, 14);
  // A short last page can be drawn at the scale of a full one.
  for (int i = 15; i < 25; ++i) s.Add(i);
  c.chart.SetPage(3);
  c.chart.ScaleLastPage = false;
  s.DeleteRange(24, 1);  // 24 points: the last page holds 4
  EXPECT_EQ(c.chart.MinAxisValue(c.chart.BottomAxis()), 20);
  EXPECT_EQ(c.chart.MaxAxisValue(c.chart.BottomAxis()), 20 + 3 * 10 / 4.0);
}

TEST(ChartLegend, RightLegendLayoutAndCheckBoxes) {
  PlainChart c;
  c.chart.SetMarginUnits(muPixels);
  c.chart.SetMarginRight(10);
  c.chart.Legend()->SetVisible(true);
  c.chart.Legend()->Frame()->Hide();
  TFastLineSeries a(nullptr), b(nullptr);
  a.SetParentChart(&c.chart);
  b.SetParentChart(&c.chart);
  a.Add(1);
  b.Add(2);
  c.Draw();
  TChartLegend* l = c.chart.Legend();
  EXPECT_EQ(l->ShapeBounds.Right, 389);
  EXPECT_EQ(l->ResolvedStyle(), lsSeries);
  const int width = l->ShapeBounds.Width();
  l->SetCheckBoxes(true);
  c.Draw();
  EXPECT_EQ(l->ShapeBounds.Width(), width + 15);
  EXPECT_EQ(l->SymbolLeft - l->ShapeBounds.Left, 21);
  EXPECT_GE(l->ItemHeight, 17);
  // A click on the second item's row toggles that series.
  const int y = l->ItemsTop + 1 + l->ItemHeight + l->ItemHeight / 2;
  EXPECT_EQ(l->Clicked(l->ShapeBounds.Left + 30, y), 1);
  EXPECT_TRUE(l->DoMouseCheckBox(l->ShapeBounds.Left + 30, y));
  EXPECT_FALSE(b.Active());
  EXPECT_EQ(l->Clicked(l->ShapeBounds.Left + 30, l->ShapeBounds.Bottom + 5), -1);
  EXPECT_THROW(l->SetFirstValue(-1), LegendException);
  // One series lists its points; check boxes switch to series items.
  b.SetParentChart(nullptr);
  l->SetCheckBoxes(false);
  EXPECT_EQ(l->ResolvedStyle(), lsValues);
  l->SetCheckBoxes(true);
  EXPECT_EQ(l->ResolvedStyle(), lsSeries);
}

TEST(ChartPalette, PalettesGiveTheChartItsColours) {
  PlainChart c;
  ApplyChartPalette(&c.chart, 8);
  ASSERT_EQ(c.chart.ColorPalette.size(), 25u);
  EXPECT_EQ(c.chart.ColorPalette[0], 0x000099);
  EXPECT_EQ(c.chart.GetDefaultColor(26), 0x0000C3);
  ApplyChartPalette(&c.chart, 0);
  EXPECT_TRUE(c.chart.ColorPalette.empty());
  ApplyChartPalette(&c.chart, 12);
  EXPECT_TRUE(c.chart.ColorPalette.empty());
  EXPECT_EQ(ColorPalettes().size(), 10u);
  EXPECT_EQ(ColorPalettes()[6], "Web");
  // New series take the first colour no other series has.
  ApplyChartPalette(&c.chart, 6);
  TFastLineSeries a(nullptr), b(nullptr);
  a.SetParentChart(&c.chart);
  b.SetParentChart(&c.chart);
  EXPECT_EQ(a.SeriesColor(), 0x00A5FF);
  EXPECT_EQ(b.SeriesColor(), 0xCE0000);
  EXPECT_EQ(b.Pen()->Color(), 0xCE0000);
}

TEST(ChartRegistry, SeriesTypesAreRegisteredOnce) {
  RegisterChartClasses();
  const size_t n = TeeSeriesTypes().size();
  RegisterChartSeries("TFastLineSeries", &TeeMsg_Normal, &TeeMsg_GalleryExtended, 1);
  EXPECT_EQ(TeeSeriesTypes().size(), n);
  RegisterChartFunction("TTestFunction", &TeeMsg_Normal, &TeeMsg_GalleryExtended, 1);
  RegisterSeriesType("TFastLineSeries", "TTestFunction", &TeeMsg_Normal, &TeeMsg_GalleryExtended, 1);
  EXPECT_EQ(TeeSeriesTypes().size(), n + 2);
  UnregisterSeriesType("TTestFunction", false);
  EXPECT_EQ(TeeSeriesTypes().size(), n);
  RegisterChartFunction("TTestFunction", &TeeMsg_Normal, &TeeMsg_GalleryExtended, 1);
  RegisterSeriesType("TFastLineSeries", "TTestFunction", &TeeMsg_Normal, &TeeMsg_GalleryExtended, 1);
  UnregisterChartFunctions({"TTestFunction", "TNoSuchFunction"});
  EXPECT_EQ(TeeSeriesTypes().size(), n);
  // The 3-D series types of the gallery's "3D" page, the water fall among them.
  int threeD = 0;
  for (const TTeeSeriesType& t : TeeSeriesTypes())
    if (t.GalleryPage == &TeeMsg_Gallery3D) ++threeD;
  EXPECT_EQ(threeD, 6);
  EXPECT_TRUE(std::any_of(TeeSeriesTypes().begin(), TeeSeriesTypes().end(),
                          [](const TTeeSeriesType& t) { return t.SeriesClass && AnsiString(t.SeriesClass) == "TWaterFallSeries"; }));
  RegisterChartTools({"TRotateTool", "TRotateTool"});
  EXPECT_EQ(std::count(TeeToolTypes().begin(), TeeToolTypes().end(), "TRotateTool"), 1);
  UnregisterChartTools({"TRotateTool"});
  EXPECT_EQ(std::count(TeeToolTypes().begin(), TeeToolTypes().end(), "TRotateTool"), 0);
  RegisterChartTools({"TRotateTool"});
}

TEST(FastLine, MarginsGrowWithThePen) {
  const int widths[] = {1, 2, 3, 4, 6}, margins[] = {1, 2, 3, 3, 4};
  for (int i = 0; i < 5; ++i) {
    TFastLineSeries s(nullptr);
    s.Pen()->SetWidth(widths[i]);
    int l = 0, r = 0;
    s.CalcHorizMargins(l, r);
    EXPECT_EQ(l, margins[i]);
    EXPECT_EQ(r, margins[i]);
  }
}

namespace {
// A plain chart whose series points land on known pixels: X 0..100 over pixels 50..350,
// Y 0..100 over pixels 220..20.
struct LineChart : PlainChart {
  TFastLineSeries* s = new TFastLineSeries(nullptr);
  LineChart() {
    chart.SetMarginUnits(muPixels);
    for (auto set : {&TCustomTeePanel::SetMarginLeft, &TCustomTeePanel::SetMarginTop, &TCustomTeePanel::SetMarginRight,
                     &TCustomTeePanel::SetMarginBottom})
      (chart.*set)(0);
    chart.BottomAxis()->SetMinMax(0, 100);
    chart.LeftAxis()->SetMinMax(0, 100);
    chart.AxisVisible = false;
    s->SetParentChart(&chart);
    s->SetSeriesColor(clRed);
  }
  ~LineChart() { delete s; }
  TPoint At(double x, double y) {
    return {chart.BottomAxis()->ValueToPixel(x), chart.LeftAxis()->ValueToPixel(y)};
  }
  // The line's colour at or right next to a point (the rasterised line may pass half a
  // pixel beside the rounded point).
  bool Red(TPoint p) {
    for (int d : {0, -1, 1})
      if (Pixel(p.x, p.y + d) == clRed) return true;
    return false;
  }
};
}  // namespace

TEST(FastLine, DrawsOneLineAndBreaksAtNullPoints) {
  LineChart c;
  c.s->AddXY(0, 0);
  c.s->AddXY(50, 50);
  c.s->AddXY(100, 100);
  c.Draw();
  EXPECT_TRUE(c.Red(c.At(25, 25)));
  EXPECT_TRUE(c.Red(c.At(75, 75)));
  EXPECT_FALSE(c.Red(c.At(75, 25)));
  EXPECT_EQ(c.At(0, 0), TPoint(0, 250));
  // With nulls not ignored, no segment leads into a null point; the line resumes from it.
  c.s->Clear();
  c.s->SetIgnoreNulls(false);
  c.s->AddXY(0, 20);
  c.s->AddNullXY(50, 20);
  c.s->AddXY(100, 20);
  c.Draw();
  const TPoint a = c.At(25, 20), b = c.At(75, 20);
  EXPECT_FALSE(c.Red(a));
  EXPECT_TRUE(c.Red(b));
  c.s->SetIgnoreNulls(true);
  c.s->Clear();
  c.s->SetIgnoreNulls(false);
  c.s->AddNullXY(0, 20);
  c.s->AddNullXY(50, 20);
  c.s->AddXY(100, 20);
  c.Draw();
  EXPECT_FALSE(c.Red(a));
  EXPECT_TRUE(c.Red(b));
  c.s->SetIgnoreNulls(true);
  c.Draw();
  EXPECT_TRUE(c.Red(a));
  EXPECT_TRUE(c.Red(b));
}

TEST(FastLine, StairsGoAcrossThenUpOrUpThenAcross) {
  LineChart c;
  c.s->AddXY(10, 50);
  c.s->AddXY(20, 30);
  c.s->SetStairs(true);
  c.Draw();
  const TPoint p0 = c.At(10, 50), p1 = c.At(20, 30);
  EXPECT_EQ(c.Pixel(p1.x, p0.y), clRed);  // corner at (x1, y0)
  EXPECT_EQ(c.Pixel(p0.x, p1.y), clWhite);
  c.s->SetInvertedStairs(true);
  c.Draw();
  EXPECT_EQ(c.Pixel(p0.x, (p0.y + p1.y) / 2), clRed);  // vertical first
  EXPECT_EQ(c.Pixel(p1.x, p0.y), clWhite);
}

TEST(FastLine, AddedSegmentSurvivesAnExposeWithAutoRepaintOff) {
  LineChart c;
  c.s->AddXY(0, 10);
  c.s->AddXY(40, 10);
  c.s->SetAutoRepaint(false);
  c.Draw();
  EXPECT_FALSE(c.chart.ChartCanvas()->BufferInvalid);
  c.s->AddXY(80, 90);
  // An expose re-blits the back buffer without drawing the chart again.
  TBitmap exposed;
  exposed.SetSize(400, 250);
  c.chart.ChartCanvas()->SetCanvas(exposed.Canvas());
  ASSERT_TRUE(c.chart.ChartCanvas()->ReDrawBitmap());
  const TPoint m = c.At(60, 50);
  bool red = false;
  for (int d : {0, -1, 1}) red |= exposed.Canvas()->Pixel(m.x, m.y + d) == clRed;
  EXPECT_TRUE(red);
}

TEST(ChartDrawing, InvertedVerticalAxisDrawsUpsideDownOnce) {
  LineChart c;
  c.s->AddXY(0, 0);
  c.s->AddXY(100, 100);
  c.chart.LeftAxis()->SetInverted(true);
  c.Draw();
  EXPECT_LT(c.s->CalcYPos(0), c.s->CalcYPos(1));
  EXPECT_TRUE(c.Red(c.At(50, 50)));
  EXPECT_TRUE(c.Red({c.At(90, 90).x, 225}));
}

TEST(ChartDrawing, TitlesAxesAndLegendTakeTheirPlaces) {
  PlainChart c(400, 250);
  c.chart.Title()->Text()->Add("Sensor");
  c.chart.Foot()->Text()->Add("second");
  c.chart.Foot()->Text()->Insert(0, "first");
  c.chart.LeftAxis()->Title()->SetCaption("Volts");
  c.chart.BottomAxis()->Title()->SetCaption("Temperature");
  TFastLineSeries s(nullptr);
  s.SetParentChart(&c.chart);
  for (int i = 0; i <= 10; ++i) s.AddXY(i * 10, i);
  c.Draw();
  const TRect r = c.chart.ChartRect;
  // The title sits above the chart rectangle, the foot below, first line lowest.
  EXPECT_LT(c.chart.Title()->TitleRect.Bottom, r.Top);
  EXPECT_GT(c.chart.Foot()->TitleRect.Top, r.Bottom);
  // The left axis' labels and title take room from the left.
  EXPECT_GT(r.Left, 30);
  // Grid lines at the labels: the bottom axis labels 0..100 every 10 or 20.
  const int x50 = c.chart.BottomAxis()->ValueToPixel(50);
  bool grid = false;
  for (int y = r.Top + 2; y < r.Bottom - 2; ++y) grid |= c.Pixel(x50, y) == clGray;
  EXPECT_TRUE(grid);
}

TEST(ChartStreaming, FormResourcesCarryChartsAndStoredPoints) {
  RegisterChartClasses();
  TFastLineSeries source(nullptr);
  source.AddXY(7, 1.5);
  source.AddXY(8, 2.5, "x");
  TMemoryStream data;
  source.WriteData(data);
  AnsiString hex;
  const auto* b = static_cast<const uint8_t*>(data.Memory());
  for (int64_t i = 0; i < data.Size(); ++i) {
    static const char* digits = "0123456789ABCDEF";
    hex += digits[b[i] >> 4];
    hex += digits[b[i] & 15];
  }
  const AnsiString text =
      "object F: TForm\n"
      "  object Chart1: TChart\n"
      "    Width = 300\n"
      "    Height = 200\n"
      "    Legend.Visible = False\n"
      "    Title.Text.Strings = ('Curve')\n"
      "    BottomAxis.Title.Caption = 'Volts'\n"
      "    LeftAxis.Inverted = True\n"
      "    View3D = False\n"
      "    BorderStyle = bsSingle\n"
      "    ColorPaletteIndex = 6\n"
      "    Title.ShadowSize = 5\n"
      "  end\n"
      "  object S: TFastLineSeries\n"
      "    ParentChart = Chart1\n"
      "    SeriesColor = clRed\n"
      "    Data = {" + hex + "}\n"
      "  end\n"
      "end\n";
  TForm form(nullptr);
  const AnsiString bin = ObjectTextToBinary(text);
  TReader r(bin.data(), bin.size());
  r.ReadRootComponent(&form);
  auto* chart = dynamic_cast<TChart*>(form.FindComponent("Chart1"));
  auto* s = dynamic_cast<TFastLineSeries*>(form.FindComponent("S"));
  ASSERT_TRUE(chart && s);
  EXPECT_EQ(s->ParentChart(), chart);
  EXPECT_EQ(chart->SeriesCount(), 1);
  EXPECT_EQ(s->SeriesColor(), clRed);
  EXPECT_EQ(s->Pen()->Color(), clRed);
  ASSERT_EQ(s->Count(), 2);
  EXPECT_EQ(s->XValue(1), 8);
  EXPECT_EQ(s->Labels(1), "x");
  EXPECT_TRUE(s->DataWasStored());
  EXPECT_FALSE(chart->Legend()->Visible());
  EXPECT_EQ(chart->Title()->Text()->Strings(0), "Curve");
  EXPECT_EQ(chart->BottomAxis()->Title()->Caption(), "Volts");
  EXPECT_TRUE(chart->LeftAxis()->Inverted());
  EXPECT_TRUE(chart->Border()->Visible());
  EXPECT_EQ(chart->ColorPalette.size(), 9u);
  // Written back, the stored points go with the series.
  AnsiString out;
  TWriter w(out);
  w.WriteRootComponent(&form);
  const AnsiString back = ObjectBinaryToText(out);
  EXPECT_NE(back.find("Data = {"), AnsiString::npos);
  EXPECT_NE(back.find("ColorPaletteIndex = 6"), AnsiString::npos);
  EXPECT_EQ(chart->Title()->Shadow()->HorizSize(), 5);
}

TEST(ChartAxis, TheLibrarySettingsBoundIncrementsAndClicks) {
  PlainChart c;
  TChartAxis* a = c.chart.LeftAxis();
  a->SetMinMax(0, 100);
  a->ComputeLimits();
  EXPECT_DOUBLE_EQ(MinAxisIncrement, 1e-12);
  EXPECT_EQ(AxisClickTolerance, 3);
  EXPECT_DOUBLE_EQ(a->IncrementForLabelCount(0), 1e-12);
  MinAxisIncrement = 0.5;
  EXPECT_DOUBLE_EQ(a->IncrementForLabelCount(0), 0.5);
  MinAxisIncrement = 1e-12;

  // A left axis with its line at x 50 and labels out to x 30: clicks hit from 27 to 50.
  a->IStartPos = 10;
  a->IEndPos = 200;
  a->PosAxis = 50;
  a->PosLabels = 30;
  struct Case {
    int tolerance, x;
    bool hit;
  } cases[] = {{3, 27, true}, {3, 26, false}, {3, 50, true}, {3, 51, false}, {6, 24, true}, {6, 23, false}, {0, 30, true}, {0, 29, false}};
  for (const Case& k : cases) {
    AxisClickTolerance = k.tolerance;
    EXPECT_EQ(a->Clicked(k.x, 100), k.hit) << k.tolerance << " " << k.x;
  }
  AxisClickTolerance = 3;
}

// A label's exponent (from its letter E on) is drawn raised and smaller after the rest,
// the pair still ending at the vertical axis' labels edge.
TEST(ChartAxis, ExponentsOfLabelsAreRaisedAndSmaller) {
  struct Column {
    int x, top, bottom;
  };
  // Per inked column of the label (left of the ticks), its first and last inked row.
  auto draw = [](bool exponent) {
    PlainChart c;
    TFastLineSeries s(nullptr);
    s.SetParentChart(&c.chart);
    s.AddXY(0, 0);
    s.AddXY(10, 100);
    TChartAxis* left = c.chart.LeftAxis();
    left->LabelsFont()->SetHeight(-24);
    left->Items()->Add(50, "12E3");
    left->LabelsExponent = exponent;
    c.Draw();
    const int mid = left->CalcPosValue(50);
    std::vector<Column> ink;
    for (int x = 0; x < c.chart.ChartRect.Left - 6; ++x) {
      Column col{x, -1, -1};
      for (int y = mid - 30; y <= mid + 30; ++y)
        if (c.Pixel(x, y) != clWhite) {
          if (col.top < 0) col.top = y;
          col.bottom = y;
        }
      if (col.top >= 0) ink.push_back(col);
    }
    return ink;
  };
  // The tallest column of the label's last quarter: the height of its last glyphs.
  auto tailHeight = [](const std::vector<Column>& ink) {
    const int from = ink.back().x - (ink.back().x - ink.front().x) / 4;
    int h = 0;
    for (const Column& c : ink)
      if (c.x >= from) h = std::max(h, c.bottom - c.top + 1);
    return h;
  };
  const std::vector<Column> plain = draw(false), raised = draw(true);
  ASSERT_FALSE(plain.empty());
  ASSERT_FALSE(raised.empty());
  // Without the setting the text stands on one line: the "1" and the "3" end about one row
  // (the curve of the "3" ends a little higher in its last column).
  EXPECT_NEAR(plain.back().bottom, plain.front().bottom, 3);
  // With it the exponent ends well above the rest and starts above it...
  EXPECT_LE(raised.back().bottom, raised.front().bottom - 8);
  EXPECT_LT(raised.back().top, raised.front().top);
  // ...in a smaller font: its glyphs shorter, the label narrower, its right end in place.
  EXPECT_LT(tailHeight(raised), tailHeight(plain) * 4 / 5);
  EXPECT_LT(raised.back().x - raised.front().x, plain.back().x - plain.front().x);
  EXPECT_NEAR(raised.back().x, plain.back().x, 1);
}

// The series' helpers: B-spline curves and the smoothing function, functions computed
// period by period from a source, point symbols and the marks with their callouts.
#include <gtest/gtest.h>

#include <cmath>

#include "chart/Chart.h"
#include "chart/Series.h"
#include "chart/TeeFunction.h"
#include "chart/TeeItems.h"
#include "chart/TeePointer.h"
#include "chart/TeeSpline.h"
#include "platform/graphics/Bitmap.h"
#include "platform/streaming/ClassProps.h"
#include "platform/streaming/Filer.h"
#include "platform/streaming/ObjectText.h"
#include "platform/ui/Forms.h"

namespace {

// The mean of each period's values; records the periods it was asked for.
class MeanFunction : public TTeeFunction {
 public:
  std::vector<std::pair<int, int>> periods;
  double Compute(TChartSeries* Source, int First, int Last) override {
    if (First < 0) {
      First = 0;
      Last = Source->Count() - 1;
    }
    periods.emplace_back(First, Last);
    double sum = 0;
    for (int i = First; i <= Last; ++i) sum += Source->YValue(i);
    return sum / (Last - First + 1);
  }
};

struct FunctionChart {
  TChart chart{nullptr};
  TFastLineSeries source{nullptr}, result{nullptr};
  MeanFunction* f = new MeanFunction;
  FunctionChart() {
    RegisterChartClasses();
    source.SetParentChart(&chart);
    result.SetParentChart(&chart);
    result.SetFunction(f);
  }
};

}  // namespace

TEST(BSpline, EndsOnItsEndPointsAndPassesThroughInterpolatedPoints) {
  const std::vector<TSplinePoint> pts = {{0, 0}, {1, 3}, {2, -1}, {4, 2}, {5, 5}};
  for (bool interpolated : {false, true}) {
    SCOPED_TRACE(interpolated);
    TBSpline b;
    for (auto p : pts) b.AddPoint(p.X, p.Y);
    b.SetInterpolated(interpolated);
    EXPECT_NEAR(b.Value(0).X, 0, 1e-9);
    EXPECT_NEAR(b.Value(0).Y, 0, 1e-9);
    EXPECT_NEAR(b.Value(1).X, 5, 1e-9);
    EXPECT_NEAR(b.Value(1).Y, 5, 1e-9);
    if (interpolated) {  // point k lies at t = (k - 1) / (N - 1)
      for (int k = 1; k <= 5; ++k) EXPECT_NEAR(b.Value((k - 1) / 4.0).Y, pts[k - 1].Y, 1e-9) << k;
    }
  }
  TBSpline two;
  two.AddPoint(1, 1);
  two.AddPoint(3, 5);
  EXPECT_NEAR(two.Value(0.5).X, 2, 1e-9);
  EXPECT_NEAR(two.Value(0.5).Y, 3, 1e-9);
  TBSpline one;
  EXPECT_EQ(one.Value(0.5).X, 0);
  one.AddPoint(7, 7);
  EXPECT_EQ(one.Value(0.5).Y, 0);
  EXPECT_FALSE(one.Knuckle(1));
  one.SetFragments(800);
  EXPECT_EQ(one.Fragments(), 600);
}

TEST(SmoothingFunction, SamplesFactorTimesPointsUpToTheCapAndEmptyForShortSources) {
  struct Case {
    int points, factor, expect;
  } cases[] = {{2, 4, 9}, {200, 4, 601}, {3, 0, 4}, {1, 4, 0}, {0, 4, 0}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.points);
    RegisterChartClasses();
    TChart chart(nullptr);
    TFastLineSeries src(nullptr), out(nullptr);
    src.SetParentChart(&chart);
    out.SetParentChart(&chart);
    for (int i = 0; i < c.points; ++i) src.AddXY(i, i % 3);
    auto* f = new TSmoothingFunction;
    f->SetFactor(c.factor);
    EXPECT_GE(f->Factor(), 1);
    out.SetFunction(f);
    out.SetDataSource(&src);
    EXPECT_EQ(out.Count(), c.expect);
    if (c.expect > 0) {
      EXPECT_NEAR(out.XValue(out.Count() - 1), c.points - 1, 1e-9);
      EXPECT_NEAR(out.YValue(out.Count() - 1), (c.points - 1) % 3, 1e-9);
    }
  }
  // The curve follows the source as points are added.
  RegisterChartClasses();
  TChart chart(nullptr);
  TFastLineSeries src(nullptr), out(nullptr);
  src.SetParentChart(&chart);
  out.SetParentChart(&chart);
  out.SetFunction(new TSmoothingFunction);
  out.SetDataSource(&src);
  src.AddXY(0, 1);
  src.AddXY(1, 2);
  EXPECT_EQ(out.Count(), 9);
}

TEST(TeeFunction, PeriodsByPointsAndByRangeIncludingFractions) {
  struct Case {
    const char* name;
    TFunctionPeriodStyle style;
    double period;
    std::vector<std::pair<int, int>> periods;
  } cases[] = {
      {"three points over seven", psNumPoints, 3, {{0, 2}, {3, 5}, {6, 8}}},
      {"fraction below one point", psNumPoints, 0.4, {{0, 0}, {1, 1}, {2, 2}, {3, 3}, {4, 4}, {5, 5}, {6, 6}}},
      {"fraction rounds to two", psNumPoints, 2.4, {{0, 1}, {2, 3}, {4, 5}, {6, 7}}},
      {"range of twenty", psRange, 20, {{0, 1}, {2, 3}, {4, 5}, {6, 6}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FunctionChart fc;
    for (int i = 0; i < 7; ++i) fc.source.AddXY(i * 10, i);
    fc.f->SetPeriodStyle(c.style);
    fc.f->SetPeriod(c.period);
    fc.f->SetPeriodAlign(paFirst);
    fc.f->periods.clear();
    fc.result.SetDataSource(&fc.source);
    // Periods that run past the last point add nothing.
    std::vector<std::pair<int, int>> computed;
    for (auto p : c.periods)
      if (p.second < 7) computed.push_back(p);
    EXPECT_EQ(fc.f->periods, computed);
    ASSERT_EQ(fc.result.Count(), static_cast<int>(computed.size()));
    for (size_t k = 0; k < computed.size(); ++k) EXPECT_EQ(fc.result.XValue(static_cast<int>(k)), computed[k].first * 10);
  }
  FunctionChart fc;
  fc.source.AddXY(10, 1);
  fc.source.AddXY(30, 3);
  fc.result.SetDataSource(&fc.source);
  fc.f->SetPeriod(2);
  ASSERT_EQ(fc.result.Count(), 1);
  EXPECT_EQ(fc.result.XValue(0), 20);  // centred
  EXPECT_EQ(fc.result.YValue(0), 2);
  fc.result.SetLabels(0, "");
  EXPECT_FALSE(fc.result.HasLabels());
  EXPECT_THROW(fc.f->SetPeriod(-1), ChartException);
  EXPECT_EQ(fc.f->Period(), 2);
  fc.f->SetPeriod(0);  // the whole source: one point in the middle of its X range
  ASSERT_EQ(fc.result.Count(), 1);
  EXPECT_EQ(fc.result.XValue(0), 20);
}

TEST(SeriesPointer, SizesAboveZeroAndPointColours) {
  RegisterChartClasses();
  TChart chart(nullptr);
  chart.SetBounds(0, 0, 200, 200);
  chart.SetView3D(false);
  TFastLineSeries s(nullptr);
  s.SetParentChart(&chart);
  TSeriesPointer p(&s);
  EXPECT_THROW(p.SetHorizSize(0), ChartException);
  EXPECT_EQ(p.HorizSize(), 4);
  TBitmap bmp;
  bmp.SetSize(200, 200);
  chart.Draw(bmp.Canvas(), TRect(0, 0, 200, 200));
  struct Case {
    TSeriesPointerStyle style;
    TBrushStyle brush;
    int dx, dy;  // a probe beside the centre
    TColor expect;
  } cases[] = {
      {psRectangle, bsSolid, 2, 2, clRed},       {psCircle, bsSolid, 0, 0, clRed},
      {psDiamond, bsSolid, 0, -2, clRed},        {psTriangle, bsSolid, 0, 2, clRed},
      {psCross, bsSolid, 3, 0, clBlue},          {psDiagCross, bsSolid, 2, 2, clBlue},
      {psSmallDot, bsSolid, 0, 0, clRed},        {psNothing, bsSolid, 0, 0, clWhite},
      {psRectangle, bsCross, 0, 1, clBlack},  // hatching of a point-coloured brush is black
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.style);
    TTeeCanvas3D* cv = chart.ChartCanvas();
    cv->SetCanvas(bmp.Canvas());
    bmp.Canvas()->Brush()->SetColor(clWhite);
    bmp.Canvas()->FillRect(TRect(0, 0, 200, 200));
    p.Brush()->SetStyle(c.brush);
    p.Pen()->SetColor(c.style == psCross || c.style == psDiagCross ? clBlue : clTeeColor);
    p.PrepareCanvas(cv, clRed);
    p.Draw(cv, false, 100, 100, 4, 4, clRed, c.style);
    EXPECT_EQ(bmp.Canvas()->Pixel(100 + c.dx, 100 + c.dy), c.expect);
  }
  // The pen of the point colour outlines in the point colour.
  p.Brush()->SetStyle(bsClear);
  p.Pen()->SetColor(clTeeColor);
  p.PrepareCanvas(chart.ChartCanvas(), clGreen);
  p.Draw(chart.ChartCanvas(), false, 50, 50, 4, 4, clGreen, psRectangle);
  EXPECT_EQ(bmp.Canvas()->Pixel(46, 50), clGreen);
}

TEST(SeriesMarks, EveryNthMarkIsDrawnAndHitAndUserPlacedBoxesStay) {
  RegisterChartClasses();
  TChart chart(nullptr);
  chart.SetBounds(0, 0, 400, 300);
  chart.SetView3D(false);
  chart.Legend()->SetVisible(false);
  TFastLineSeries s(nullptr);
  s.SetParentChart(&chart);
  for (int i = 0; i < 8; ++i) s.AddXY(i, 5, "M");
  s.Marks()->SetVisible(true);
  s.Marks()->SetDrawEvery(3);
  TBitmap bmp;
  bmp.SetSize(400, 300);
  chart.Draw(bmp.Canvas(), TRect(0, 0, 400, 300));
  auto& pos = s.Marks()->Positions();
  std::vector<int> drawn;
  for (size_t i = 0; i < pos.size(); ++i)
    if (pos[i]) drawn.push_back(static_cast<int>(i));
  EXPECT_EQ(drawn, (std::vector<int>{0, 3, 6}));
  const TSeriesMarkPosition p3 = *pos[3];
  EXPECT_EQ(p3.LeftTop.y + p3.Height - 1, s.CalcYPos(3) - 8);  // lifted by the arrow length
  EXPECT_EQ(s.Marks()->Clicked(p3.LeftTop.x + 1, p3.LeftTop.y + 1), 3);
  EXPECT_EQ(s.Marks()->Clicked(s.CalcXPos(1), p3.LeftTop.y + 1), -1);

  // A box the user placed stays where it was put; its arrow still starts at the point.
  pos[3]->Custom = true;
  pos[3]->LeftTop = TPoint(20, 20);
  s.SetYValue(3, 2);
  TSeriesMarkPosition computed;
  computed.ArrowFix = true;
  computed.ArrowFrom = TPoint(7, 9);
  s.Marks()->ApplyPosition(3, computed);
  EXPECT_EQ(computed.LeftTop, TPoint(20, 20));
  EXPECT_EQ(computed.ArrowFrom, TPoint(7, 9));

  // A two-line text doubles the height and keeps the wider line's width.
  s.Marks()->SetDrawEvery(1);
  s.SetLabels(1, AnsiString("Wide line") + ChartLineSeparator + "x");
  s.SetLabels(2, "Wide line");
  chart.Draw(bmp.Canvas(), TRect(0, 0, 400, 300));
  EXPECT_EQ(pos[1]->Width, pos[2]->Width);
  EXPECT_EQ(pos[1]->Height - 2, 2 * (pos[2]->Height - 2));  // the frame adds one pixel at each side

  // Freeing the callout and asking for its arrow makes a fresh one.
  s.Marks()->Callout()->SetDistance(5);
  s.Marks()->SetCallout(nullptr);
  EXPECT_EQ(s.Marks()->CalloutIfAny(), nullptr);
  EXPECT_TRUE(s.Marks()->Arrow()->Visible());
  EXPECT_EQ(s.Marks()->Callout()->Distance(), 0);
  EXPECT_EQ(s.Marks()->ArrowLength(), 8);
}

TEST(SeriesMarks, ItemsAndCalloutsTravelThroughTheFormAndBack) {
  RegisterChartClasses();
  TForm form(nullptr);
  form.SetName("F");
  auto* s = new TFastLineSeries(&form);
  s->SetName("S");
  s->Marks()->Item(2)->SetColor(clRed);
  s->Marks()->Item(2)->SetTransparent(true);
  s->Marks()->Callout()->SetArrowHead(ahSolid);
  s->Marks()->SetArrowLength(12);
  s->Marks()->SetAngle(90);
  AnsiString bin;
  TWriter w(bin);
  w.WriteRootComponent(&form);
  const AnsiString text = ObjectBinaryToText(bin);
  for (const char* line : {"Marks.Callout.ArrowHead = ahSolid", "Marks.Callout.Length = 12", "Marks.Angle = 90",
                           "Marks.Items = {"})
    EXPECT_NE(text.find(line), AnsiString::npos) << line << "\n" << text;
  EXPECT_EQ(text.find("Marks.ArrowLength"), AnsiString::npos);

  TForm again(nullptr);
  const AnsiString b2 = ObjectTextToBinary(text);
  TReader r(b2.data(), b2.size());
  r.ReadRootComponent(&again);
  auto* t = dynamic_cast<TFastLineSeries*>(again.FindComponent("S"));
  ASSERT_TRUE(t);
  ASSERT_EQ(t->Marks()->ItemCount(), 3);
  EXPECT_EQ(t->Marks()->ItemIfAny(0), nullptr);
  EXPECT_EQ(t->Marks()->ItemIfAny(2)->Color(), clRed);
  EXPECT_TRUE(t->Marks()->ItemIfAny(2)->Transparent());
  EXPECT_EQ(t->Marks()->ArrowLength(), 12);
  AnsiString bin2;
  TWriter w2(bin2);
  w2.WriteRootComponent(&again);
  EXPECT_EQ(bin2, bin);
  // Older forms hold the length as the marks' own.
  TForm old(nullptr);
  const AnsiString b3 = ObjectTextToBinary("object F: TForm\n  object S: TFastLineSeries\n    Marks.ArrowLength = 5\n  end\nend\n");
  TReader r3(b3.data(), b3.size());
  r3.ReadRootComponent(&old);
  EXPECT_EQ(dynamic_cast<TChartSeries*>(old.FindComponent("S"))->Marks()->ArrowLength(), 5);
}

TEST(TeeFunction, AFunctionTravelsInsideItsSeriesThroughTheForm) {
  RegisterChartClasses();
  TForm form(nullptr);
  form.SetName("F");
  auto* chart = new TChart(&form);
  chart->SetName("Chart1");
  chart->SetParent(&form);
  auto* src = new TFastLineSeries(&form);
  src->SetName("Src");
  src->SetParentChart(chart);
  for (int i = 0; i < 5; ++i) src->AddXY(i, i * i);
  src->ForceSaveData = true;
  auto* out = new TFastLineSeries(&form);
  out->SetName("Out");
  out->SetParentChart(chart);
  auto* f = new TSmoothingFunction(&form);
  f->SetName("Smooth1");
  f->SetFactor(2);
  out->SetFunction(f);
  out->SetDataSource(src);
  EXPECT_EQ(out->Count(), 11);
  AnsiString bin;
  TWriter w(bin);
  w.WriteRootComponent(&form);
  const AnsiString text = ObjectBinaryToText(bin);
  EXPECT_NE(text.find("    object Smooth1: TSmoothingFunction\n      Factor = 2\n    end\n"), AnsiString::npos) << text;

  TForm again(nullptr);
  TReader r(bin.data(), bin.size());
  r.ReadRootComponent(&again);
  auto* out2 = dynamic_cast<TChartSeries*>(again.FindComponent("Out"));
  ASSERT_TRUE(out2);
  ASSERT_TRUE(dynamic_cast<TSmoothingFunction*>(out2->FunctionType()));
  EXPECT_EQ(out2->FunctionType()->ParentSeries(), out2);
  EXPECT_EQ(dynamic_cast<TChartSeries*>(again.FindComponent("Src"))->Count(), 5);
  EXPECT_EQ(out2->DataSource(), again.FindComponent("Src"));
  EXPECT_EQ(out2->Count(), 11);
  AnsiString bin2;
  TWriter w2(bin2);
  w2.WriteRootComponent(&again);
  EXPECT_EQ(ObjectBinaryToText(bin2), text);
}

TEST(SeriesMarks, ASymbolWidensTheBoxAndShowsThePointColour) {
  RegisterChartClasses();
  TChart chart(nullptr);
  chart.SetBounds(0, 0, 400, 300);
  chart.SetView3D(false);
  chart.Legend()->SetVisible(false);
  TFastLineSeries s(nullptr);
  s.SetParentChart(&chart);
  s.SetSeriesColor(clRed);
  s.AddXY(0, 1, "Mark");
  s.AddXY(1, 1, "Mark");
  s.Marks()->SetVisible(true);
  TBitmap bmp;
  bmp.SetSize(400, 300);
  chart.Draw(bmp.Canvas(), TRect(0, 0, 400, 300));
  const int plain = s.Marks()->Positions()[0]->Width;
  EXPECT_EQ(s.Marks()->SymbolIfAny(), nullptr);  // drawing makes no symbol
  s.Marks()->Symbol()->SetVisible(true);
  chart.ChartCanvas()->Invalidate();
  chart.Draw(bmp.Canvas(), TRect(0, 0, 400, 300));
  const TSeriesMarkPosition& p = *s.Marks()->Positions()[0];
  chart.ChartCanvas()->AssignFont(s.Marks()->Font());
  const int fh = chart.ChartCanvas()->FontHeight();
  EXPECT_EQ(p.Width, plain + fh - 4);
  EXPECT_EQ(bmp.Canvas()->Pixel(p.LeftTop.x + 6, p.LeftTop.y + 5), clRed);
}

namespace {

// A series source that loads three points.
class TThreePointSource : public TTeeSeriesSource {
 public:
  using TTeeSeriesSource::TTeeSeriesSource;
  const char* ClassName() const override { return "TThreePointSource"; }
  void Load() override {
    if (Series())
      for (int i = 0; i < 3; ++i) Series()->AddXY(i, 10 * i);
  }
};

TEST(SeriesSource, ASeriesSourceIsTheSeriesDataSourceAndTravelsWithTheForm) {
  RegisterChartClasses();
  static const bool registered = [] {
    RegisterClass<TThreePointSource, TTeeSeriesSource>("TThreePointSource");
    return true;
  }();
  (void)registered;
  TForm form(nullptr);
  form.SetName("F");
  auto* chart = new TChart(&form);
  chart->SetName("Chart1");
  chart->SetParent(&form);
  auto* s = new TFastLineSeries(&form);
  s->SetName("S");
  s->SetParentChart(chart);
  auto* src = new TThreePointSource(&form);
  src->SetName("L");
  src->SetSeries(s);
  EXPECT_EQ(s->DataSource(), src);
  EXPECT_EQ(s->DataSourceSeries(), nullptr);
  src->Open();
  EXPECT_EQ(s->Count(), 3);
  // A component that is neither a series nor a series source is refused.
  TComponent other(&form);
  other.SetName("Other");
  EXPECT_THROW(s->SetDataSource(&other), ChartException);
  EXPECT_EQ(s->DataSource(), src);

  AnsiString bin;
  TWriter w(bin);
  w.WriteRootComponent(&form);
  const AnsiString text = ObjectBinaryToText(bin);
  EXPECT_NE(text.find("DataSources = (\n      'L')"), AnsiString::npos) << text;
  TForm again(nullptr);
  TReader r(bin.data(), bin.size());
  r.ReadRootComponent(&again);
  auto* s2 = dynamic_cast<TChartSeries*>(again.FindComponent("S"));
  auto* src2 = dynamic_cast<TThreePointSource*>(again.FindComponent("L"));
  ASSERT_TRUE(s2 && src2);
  EXPECT_EQ(s2->DataSource(), src2);
  EXPECT_EQ(src2->Series(), s2);
  EXPECT_EQ(s2->Count(), 3);  // the active source loaded once the form was read

  // Another series taking the source: the first one loses it, the source reloads into it.
  auto* t2 = new TFastLineSeries(&again);
  t2->SetParentChart(dynamic_cast<TChart*>(again.FindComponent("Chart1")));
  t2->SetDataSource(src2);
  EXPECT_EQ(s2->DataSource(), nullptr);
  EXPECT_EQ(s2->Count(), 0);
  EXPECT_EQ(t2->Count(), 3);
  // Setting none on the source clears its series' data source.
  src2->SetSeries(nullptr);
  EXPECT_EQ(t2->DataSource(), nullptr);

  // Series kept for internal use are not offered in series lists.
  TStringList names;
  t2->InternalUse = true;
  FillSeriesItems(&names, dynamic_cast<TChart*>(again.FindComponent("Chart1"))->SeriesList());
  EXPECT_EQ(names.Count(), 1);
  EXPECT_EQ(names.Objects(0), s2);
}

}  // namespace

namespace {

TEST(MarksCallout, TheCalloutsOwnPenAndArrowHeadComeFromTheForm) {
  RegisterChartClasses();
  TForm form(nullptr);
  const AnsiString bin = ObjectTextToBinary(
      "object F: TForm\n  object Chart1: TChart\n    Width = 400\n    Height = 300\n    View3D = False\n"
      "    Legend.Visible = False\n  end\n  object S: TFastLineSeries\n    ParentChart = Chart1\n"
      "    Marks.Callout.Arrow.Color = clRed\n    Marks.Callout.Arrow.Width = 3\n    Marks.Callout.ArrowHead = ahSolid\n"
      "    Marks.Callout.ArrowHeadSize = 10\n    Marks.Callout.Length = 30\n    Marks.Visible = True\n  end\nend\n");
  TReader r(bin.data(), bin.size());
  r.ReadRootComponent(&form);
  auto* chart = dynamic_cast<TChart*>(form.FindComponent("Chart1"));
  auto* s = dynamic_cast<TChartSeries*>(form.FindComponent("S"));
  ASSERT_TRUE(chart && s);
  TMarksCallout* c = s->Marks()->Callout();
  EXPECT_EQ(c->Arrow()->Color(), clRed);
  EXPECT_EQ(c->ArrowHead(), ahSolid);
  EXPECT_EQ(c->ArrowHeadSize(), 10);
  s->SetSeriesColor(clBlue);
  s->AddXY(0, 0);
  s->AddXY(1, 10);
  s->AddXY(2, 0);
  TBitmap bmp;
  bmp.SetSize(400, 300);
  chart->Draw(bmp.Canvas(), TRect(0, 0, 400, 300));
  // The arrow from the middle point up to its mark is drawn in the callout's red.
  const int x = s->CalcXPos(1), y = s->CalcYPos(1);
  int red = 0;
  for (int dy = 1; dy < 30; ++dy)
    for (int dx = -3; dx <= 3; ++dx)
      if (bmp.Canvas()->Pixel(x + dx, y - dy) == clRed) ++red;
  EXPECT_GT(red, 20);
}

}  // namespace

TEST(SeriesMarks, TheGradientRunsFromSilverToWhiteAndStoresOnlyWhatDiffers) {
  RegisterChartClasses();
  TForm form(nullptr);
  form.SetName("F");
  auto* s = new TFastLineSeries(&form);
  s->SetName("S");
  TTeeGradient* g = s->Marks()->Gradient();
  EXPECT_EQ(g->Direction(), gdRightLeft);
  EXPECT_EQ(g->StartColor(), TColor(0xC0C0C0));
  EXPECT_EQ(g->EndColor(), TColor(0xFFFFFF));
  g->SetVisible(true);
  AnsiString bin;
  TWriter w(bin);
  w.WriteRootComponent(&form);
  const AnsiString text = ObjectBinaryToText(bin);
  EXPECT_NE(text.find("Marks.Gradient.Visible = True"), AnsiString::npos) << text;
  for (const char* part : {"Marks.Gradient.Direction", "Marks.Gradient.StartColor", "Marks.Gradient.EndColor"})
    EXPECT_EQ(text.find(part), AnsiString::npos) << part;
  TForm again(nullptr);
  const AnsiString b2 = ObjectTextToBinary(text);
  TReader r(b2.data(), b2.size());
  r.ReadRootComponent(&again);
  TTeeGradient* h = dynamic_cast<TChartSeries*>(again.FindComponent("S"))->Marks()->Gradient();
  EXPECT_TRUE(h->Visible());
  EXPECT_EQ(h->Direction(), gdRightLeft);
  EXPECT_EQ(h->StartColor(), TColor(0xC0C0C0));
}

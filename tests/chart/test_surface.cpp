// The 3-D grid series and the surface: filling the grid from the event, the grid index,
// the colour range and palette, the painter's order of the cells, and drawn surfaces
// checked by probe pixels.
#include <gtest/gtest.h>

#include <cmath>

#include "chart/Chart.h"
#include "chart/TeeSurfa.h"
#include "platform/streaming/Filer.h"
#include "platform/streaming/ObjectText.h"
#include "platform/ui/Forms.h"

namespace {

struct SurfaceChart {
  TChart chart{nullptr};
  TSurfaceSeries s{nullptr};
  TBitmap bmp;
  SurfaceChart() {
    RegisterChartClasses();
    chart.SetBounds(0, 0, 400, 300);
    chart.Legend()->SetVisible(false);
    s.SetParentChart(&chart);
    bmp.SetSize(400, 300);
  }
  void Fill(int nx, int nz, std::function<double(int, int)> f) {
    s.OnGetYValue = [f](TChartSeries*, int x, int z) { return f(x, z); };
    s.CreateValues(nx, nz);
  }
  void Draw() {
    chart.ChartCanvas()->Invalidate();
    chart.Draw(bmp.Canvas(), TRect(0, 0, 400, 300));
  }
};

TEST(GridSeries, CreateValuesFillsXFastest) {
  SurfaceChart c;
  c.Fill(16, 8, [](int x, int z) { return x * 100.0 + z; });
  TSurfaceSeries& s = c.s;
  ASSERT_EQ(s.Count(), 128);
  for (int i = 0; i < 16; ++i) EXPECT_EQ(s.ZValues()->Value(i), 1);
  EXPECT_EQ(s.XValue(17), 2);
  EXPECT_EQ(s.ZValues()->Value(17), 2);
  EXPECT_EQ(s.YValue((5 - 1) * 16 + (3 - 1)), 305);
  EXPECT_EQ(s.YValue(s.GridIndex(3, 5)), 305);
  // Without a handler nothing is filled and the old points stay.
  s.OnGetYValue = nullptr;
  s.CreateValues(4, 4);
  EXPECT_EQ(s.Count(), 128);
  EXPECT_EQ(s.GetCellYValue(1, 1), 0);
  // Sample values fill without a handler.
  s.CreateSampleValues(10);
  EXPECT_EQ(s.Count(), 100);
}

TEST(GridSeries, GridIndexIsBoundedAndFollowsThePoints) {
  SurfaceChart c;
  TSurfaceSeries& s = c.s;
  for (int z = 1; z <= 4; ++z)
    for (int x = 3; x <= 7; ++x) s.AddXYZ(x, x + z, z);
  s.FillGridIndex();
  EXPECT_EQ(s.NumXValues(), 5);
  EXPECT_EQ(s.NumZValues(), 4);
  for (int k = 0; k <= 5; ++k) EXPECT_EQ(s.GridIndex(k, 0), -1);
  for (int k = 0; k <= 4; ++k) EXPECT_EQ(s.GridIndex(0, k), -1);
  EXPECT_EQ(s.YValue(s.GridIndex(1, 1)), 4);  // X 3, Z 1
  // Outside the grid, on any side, there is no point: never a read before or past it.
  const int outside[][2] = {{-1, 1}, {1, -1}, {6, 1}, {1, 5}, {-1, -1}, {1000, 1000}};
  for (const auto& p : outside) EXPECT_EQ(s.GridIndex(p[0], p[1]), -1);
  s.DX = s.DZ = 1;
  EXPECT_TRUE(s.CellCorners(4, 3));
  EXPECT_FALSE(s.CellCorners(5, 3));  // its right corners lie outside
  s.DX = s.DZ = -1;
  EXPECT_FALSE(s.CellCorners(1, 1));  // column 0 and row 0 are empty
}

TEST(GridSeries, IrregularGridBeyondItsListsIsNotRebuilt) {
  SurfaceChart c;
  TSurfaceSeries& s = c.s;
  s.SetIrregularGrid(true);
  const double xs[] = {0.5, 2.25, 1.0}, zs[] = {10, 30};
  for (double z : zs)
    for (double x : xs) s.AddXYZ(x, x * z, z);
  s.FillGridIndex();
  EXPECT_EQ(s.NumXValues(), 3);
  EXPECT_EQ(s.NumZValues(), 2);
  EXPECT_EQ(s.XValue(s.GridIndex(2, 1)), 1.0);  // sorted: 0.5, 1.0, 2.25
  EXPECT_EQ(s.ZValues()->Value(s.GridIndex(3, 2)), 30);
  s.Clear();
  for (int i = 0; i < TCustom3DGridSeries::MaxIrregularValues + 5; ++i) s.AddXYZ(i * 0.5, 1, 1);
  s.FillGridIndex();  // too many distinct X values: the grid stays as it was
  EXPECT_EQ(s.GridIndex(1, 1), -1);
}

TEST(PaletteSeries, ColourRangeAndPalette) {
  SurfaceChart c;
  TSurfaceSeries& s = c.s;
  c.Fill(3, 1, [](int x, int) { return 10.0 * x; });  // Y 10, 20, 30
  s.SetStartColor(RGB(200, 0, 0));
  s.SetEndColor(RGB(0, 0, 200));
  EXPECT_EQ(s.ValueColor(10), RGB(0, 0, 200));
  EXPECT_EQ(s.ValueColor(30), RGB(200, 0, 0));
  EXPECT_EQ(s.ValueColor(20), RGB(100, 0, 100));
  EXPECT_EQ(s.ValueColor(99), RGB(200, 0, 0));
  EXPECT_EQ(s.ValueColor(-5), RGB(0, 0, 200));
  s.SetMidColor(RGB(0, 255, 0));
  EXPECT_EQ(s.ValueColor(20), RGB(0, 255, 0));
  EXPECT_EQ(s.GetValueColor(1), RGB(0, 255, 0));
  // All values equal: every point takes the end colour.
  c.Fill(3, 1, [](int, int) { return 7.0; });
  EXPECT_EQ(s.GetValueColor(2), RGB(0, 0, 200));

  s.SetUseColorRange(false);
  s.SetUsePalette(true);
  s.ClearPalette();
  s.AddPalette(10, clRed);
  s.AddPalette(30, clBlue);
  s.AddPalette(20, clGreen);
  EXPECT_EQ(s.AddPalette(20, clYellow), 2);  // after the equal entry
  EXPECT_EQ(s.ValueColor(15), clGreen);
  EXPECT_EQ(s.ValueColor(99), clBlue);
  // No steps, no palette: nothing divides by the step count.
  s.SetPaletteSteps(0);
  EXPECT_TRUE(s.Palette().empty());
  s.SetPaletteSteps(5);
  EXPECT_EQ(s.Palette().size(), 5u);
  s.SetPaletteStyle(psGrayScale);
  s.CreateDefaultPalette(2);
  ASSERT_EQ(s.Palette().size(), 2u);
  EXPECT_EQ(s.Palette()[1].Color, RGB(128, 128, 128));  // Round(127.5), half to even
}

TEST(PaletteSeries, TheLegendListsThePaletteHighestFirstEachInItsColour) {
  RegisterChartClasses();
  TForm form(nullptr);
  const AnsiString bin = ObjectTextToBinary(
      "object F: TForm\n  object Chart1: TChart\n    Width = 400\n    Height = 300\n    View3D = False\n  end\n"
      "  object S: TSurfaceSeries\n    ParentChart = Chart1\n    UseColorRange = False\n    UsePalette = True\n"
      "    PaletteStyle = psRainbow\n    LegendEvery = 4\n  end\nend\n");
  TReader r(bin.data(), bin.size());
  r.ReadRootComponent(&form);
  auto* chart = dynamic_cast<TChart*>(form.FindComponent("Chart1"));
  auto* s = dynamic_cast<TSurfaceSeries*>(form.FindComponent("S"));
  ASSERT_TRUE(chart && s);
  s->OnGetYValue = [](TChartSeries*, int x, int z) { return x * 10.0 + z; };
  s->CreateValues(8, 4);  // Y 11 .. 84, a palette of 32 entries
  TBitmap bmp;
  bmp.SetSize(400, 300);
  chart->Draw(bmp.Canvas(), TRect(0, 0, 400, 300));
  const auto& pal = s->Palette();
  ASSERT_EQ(pal.size(), 32u);
  TChartLegend* l = chart->Legend();
  EXPECT_EQ(l->TotalItems, 9);  // every fourth entry: 32 div 4 + 1
  for (int n = 0; n < 8; ++n) {
    const TTeePaletteEntry& e = pal[static_cast<size_t>(31 - 4 * n)];
    EXPECT_EQ(l->ItemText(n), FormatFloat(s->ValueFormat, e.UpToValue)) << n;
    // The symbol is filled in the entry's own colour.
    const int top = l->ItemsTop + 1 + n * l->ItemHeight;
    EXPECT_EQ(bmp.Canvas()->Pixel(l->SymbolLeft + l->SymbolWidth / 2, top + l->ItemHeight / 2), e.Color) << n;
  }
  EXPECT_NE(pal[31].Color, pal[27].Color);
  EXPECT_EQ(l->ItemText(8), "");  // past the palette
  // Coloured by range, the entries take their range colours.
  s->SetUsePalette(false);
  s->SetUseColorRange(true);
  EXPECT_EQ(s->LegendItemColor(0), s->ValueColor(pal[31].UpToValue));
}

TEST(Surface, PaintersOrderOfTheCells) {
  struct Case {
    int rotation, perspective;
    bool bottomInverted, depthInverted;
    TPoint first, last;
  };
  const Case cases[] = {
      // The map graph's view with its load axis inverted: rows from the last down, columns from the last down.
      {324, 0, true, false, {4, 4}, {1, 2}},
      {324, 0, false, false, {2, 4}, {5, 2}},
      {324, 0, false, true, {2, 1}, {5, 3}},
      {150, 0, false, false, {2, 1}, {5, 3}},  // turned round: rows from the first up
  };
  for (const Case& k : cases) {
    SurfaceChart c;
    c.chart.View3DOptions()->SetRotation(k.rotation);
    c.chart.View3DOptions()->SetPerspective(k.perspective);
    c.chart.BottomAxis()->SetInverted(k.bottomInverted);
    c.chart.DepthAxis()->SetInverted(k.depthInverted);
    c.Fill(5, 4, [](int x, int z) { return x + z; });
    c.Draw();  // the chart works out which way its series run
    const std::vector<TPoint> order = c.s.CellOrder();
    ASSERT_EQ(order.size(), 12u);
    EXPECT_EQ(order.front(), k.first) << k.rotation;
    EXPECT_EQ(order.back(), k.last) << k.rotation;
  }
  // Straight on with perspective: the columns come from both ends, the middle last.
  SurfaceChart c;
  c.chart.View3DOptions()->SetRotation(0);
  c.chart.View3DOptions()->SetPerspective(15);
  c.Fill(6, 2, [](int x, int) { return x; });
  c.Draw();
  std::vector<int> columns;
  for (const TPoint& p : c.s.CellOrder()) columns.push_back(p.x);
  EXPECT_EQ(columns.size(), 5u);
  EXPECT_EQ(std::abs(columns.back() - columns[0]), 2) << "middle column last";
  // Too small grids have no cells.
  c.Fill(1, 5, [](int, int) { return 1.0; });
  EXPECT_TRUE(c.s.CellOrder().empty());
  c.Fill(2, 2, [](int, int) { return 1.0; });
  EXPECT_EQ(c.s.CellOrder().size(), 1u);
}

TEST(Surface, CellsAreFilledWithTheirColourAndSeeThrough) {
  SurfaceChart c;
  c.chart.SetView3D(false);
  c.chart.SetColor(clWhite);
  c.chart.BackWall()->SetTransparent(true);
  c.chart.LeftAxis()->Grid()->Hide();
  c.chart.BottomAxis()->Grid()->Hide();
  c.s.Pen()->Hide();
  c.s.SetStartColor(RGB(0, 0, 200));
  c.s.SetEndColor(RGB(0, 0, 200));
  // A wide flat band, seen from the front: two rows 1 and 2 at heights 1 and 3.
  c.Fill(3, 2, [](int, int z) { return z == 1 ? 1.0 : 3.0; });
  c.Draw();
  const TRect& r = c.chart.ChartRect;
  const int px = (r.Left + r.Right) / 2, py = (r.Top + r.Bottom) / 2;
  EXPECT_EQ(c.bmp.Canvas()->Pixel(px, py), RGB(0, 0, 200));
  c.s.SetTransparency(25);
  c.Draw();
  // A quarter of the white background shows through.
  EXPECT_EQ(c.bmp.Canvas()->Pixel(px, py), RGB(63, 63, 213));
  // Outside the cells nothing changed.
  EXPECT_EQ(c.bmp.Canvas()->Pixel(r.Right + 3, py), clWhite);
}

TEST(Surface, SmoothPaletteColoursByTheMeanOfTheCorners) {
  SurfaceChart c;
  c.chart.SetView3D(false);
  c.chart.SetColor(clWhite);
  c.s.Pen()->Hide();
  c.s.SetStartColor(RGB(0, 0, 240));
  c.s.SetEndColor(RGB(240, 0, 0));
  const double y[2][2] = {{10, 20}, {40, 30}};
  c.Fill(2, 2, [&](int x, int z) { return y[z - 1][x - 1]; });
  c.s.SetSmoothPalette(true);
  c.Draw();
  const TRect& r = c.chart.ChartRect;
  EXPECT_EQ(c.bmp.Canvas()->Pixel((r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2), c.s.ValueColor(25));
}

TEST(Surface, FramesExcludeEachOther) {
  SurfaceChart c;
  c.s.Pen()->Hide();
  c.s.SetWireFrame(true);
  EXPECT_TRUE(c.s.Pen()->Visible());
  c.s.SetDotFrame(true);
  EXPECT_FALSE(c.s.WireFrame());
  c.s.SetWireFrame(true);
  EXPECT_FALSE(c.s.DotFrame());
}

TEST(Surface, DepthAxisFollowsTheZValues) {
  SurfaceChart c;
  c.Fill(3, 7, [](int x, int z) { return x * z; });
  c.Draw();
  EXPECT_EQ(c.chart.DepthAxis()->IMinimum, 1);
  EXPECT_EQ(c.chart.DepthAxis()->IMaximum, 7);
  // The nearest row lies at the front, the last at the back wall.
  EXPECT_EQ(c.chart.DepthAxis()->CalcPosValue(1), 0);
  EXPECT_EQ(c.chart.DepthAxis()->CalcPosValue(7), c.chart.Width3D);
}

}  // namespace

namespace {

TEST(Surface, ClickedFindsTheCellUnderThePixel) {
  SurfaceChart c;
  c.chart.SetView3D(false);
  c.Fill(3, 2, [](int, int z) { return z == 1 ? 1.0 : 3.0; });
  c.Draw();
  const TRect& r = c.chart.ChartRect;
  // Flat on the screen, the left cell covers the left half.
  const int i = c.s.Clicked(r.Left + r.Width() / 4, (r.Top + r.Bottom) / 2);
  ASSERT_GE(i, 0);
  EXPECT_EQ(c.s.XValue(i) <= 2, true);
  EXPECT_EQ(c.s.Clicked(r.Right + 20, r.Bottom + 20), -1);
}

TEST(Surface, SidesReachDownToTheBase) {
  SurfaceChart c;
  c.chart.SetColor(clWhite);
  c.chart.View3DOptions()->SetOrthogonal(false);
  c.chart.View3DOptions()->SetRotation(330);
  c.chart.View3DOptions()->SetElevation(350);
  c.chart.View3DOptions()->SetPerspective(0);
  c.chart.SetChart3DPercent(60);
  c.chart.BackWall()->SetTransparent(true);
  c.chart.BottomWall()->SetTransparent(true);
  c.chart.LeftWall()->SetTransparent(true);
  for (TChartAxis* a : c.chart.Axes()) a->Grid()->Hide();
  // The sides reach from the surface down to its lowest value.
  c.Fill(4, 4, [](int x, int z) { return 5.0 + x + z; });
  auto count = [&](TColor col) {
    int n = 0;
    for (int y = 0; y < 300; y += 2)
      for (int x = 0; x < 400; x += 2)
        if (c.bmp.Canvas()->Pixel(x, y) == col) ++n;
    return n;
  };
  c.Draw();
  EXPECT_EQ(count(RGB(0, 150, 0)), 0);
  c.s.SideBrush()->SetStyle(bsSolid);
  c.s.SideBrush()->SetColor(RGB(0, 150, 0));
  c.Draw();
  EXPECT_GT(count(RGB(0, 150, 0)), 100);
}

}  // namespace

namespace {

TEST(WaterFall, EveryRowIsAProfileDownToTheAxis) {
  RegisterChartClasses();
  TChart chart(nullptr);
  chart.SetBounds(0, 0, 400, 300);
  chart.Legend()->SetVisible(false);
  chart.SetColor(clWhite);
  chart.SetView3D(false);
  TWaterFallSeries w(nullptr);
  w.SetParentChart(&chart);
  w.OnGetYValue = [](TChartSeries*, int x, int z) { return x + z; };
  w.CreateValues(4, 3);
  TBitmap bmp;
  bmp.SetSize(400, 300);
  chart.Draw(bmp.Canvas(), TRect(0, 0, 400, 300));
  // Every row takes part: three rows of three segments.
  EXPECT_EQ(w.CellOrder().size(), 9u);
  // Below the lowest row's profile the fill reaches the axis' bottom.
  const int x = chart.BottomAxis()->CalcXPosValue(2.5);
  const int y = chart.LeftAxis()->IEndPos - 3;
  EXPECT_NE(bmp.Canvas()->Pixel(x, y), clWhite);
  EXPECT_EQ(w.GetEditorClassName(), "TWaterFallEditor");
}

}  // namespace

TEST(PaletteSeries, TheColourSourcePicksThePaletteByItsValues) {
  SurfaceChart c;
  TSurfaceSeries& s = c.s;
  c.Fill(3, 1, [](int x, int) { return 40.0 - 10.0 * x; });  // X 1, 2, 3; Y 30, 20, 10
  s.SetUseColorRange(false);
  s.SetUsePalette(true);
  s.ClearPalette();
  s.AddPalette(1, clRed);
  s.AddPalette(2, clGreen);
  s.AddPalette(3, clBlue);
  s.AddPalette(40, clYellow);
  struct Case {
    const char* source;
    TColor colours[3];
  } cases[] = {
      {"", {clYellow, clYellow, clYellow}},   // by the Y values
      {"X", {clRed, clGreen, clBlue}},        // by the X values
      {"Nothing", {clYellow, clYellow, clYellow}},  // no such list: the Y values
  };
  for (const Case& k : cases) {
    s.SetColorSource(k.source);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(s.GetValueColor(i), k.colours[i]) << k.source << " " << i;
  }
}

// Chart brushes with an image: a black-and-white pattern is drawn in the text colour on
// the back colour (or over what lies beneath without one), a coloured picture as it is,
// on the canvas and in the walls, surfaces and towers that take such a brush.
#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "chart/Chart.h"
#include "chart/TeeEditors.h"
#include "chart/TeeSurfa.h"
#include "chart/TeeTower.h"
#include "platform/graphics/Bitmap.h"

namespace {

// "Fill 40%" of the brush dialog: an 8 x 8 tile whose pixel (x, y) is set when
// (x + 2y) mod 5 < 2, tiled from the surface's origin.
bool Fill40(int x, int y) { return ((x % 8) + 2 * (y % 8)) % 5 < 2; }
constexpr int kFill40 = 10;

void SetImage(TChartBrush& Brush, int Item) {
  TBitmap b;
  TBrushDialog::PatternOfItem(Item, b);
  TPicture p;
  p.SetGraphic(&b);
  Brush.SetImage(&p);
}

// Counts the pixels of r (only those Inside, when given) that are not the pattern in Ink
// on Paper.
int Misses(TCanvas* C, const TRect& r, TColor Ink, TColor Paper, const std::function<bool(TPoint)>& Inside = {}) {
  int n = 0;
  for (int y = r.Top; y < r.Bottom; ++y)
    for (int x = r.Left; x < r.Right; ++x)
      if ((!Inside || Inside({x, y})) && C->Pixel(x, y) != (Fill40(x, y) ? Ink : Paper)) ++n;
  return n;
}

// Pixels two clear of the edges of Face (where neighbouring faces do not reach), counted
// in Count.
std::function<bool(TPoint)> WellInside(const std::vector<TPoint>& Face, int& Count) {
  return [&Face, &Count](TPoint p) {
    for (const TPoint d : {TPoint(-2, -2), TPoint(2, -2), TPoint(2, 2), TPoint(-2, 2)})
      if (!PointInPolygon({p.x + d.x, p.y + d.y}, Face)) return false;
    ++Count;
    return true;
  };
}

// A tall tower of value 10 beside one of value 0 (which sets the base), filled with
// "Fill 40%" and without outline, on a deep 3-D chart.
struct OneTower {
  enum Side { Front, Right, Top };
  TChart chart{nullptr};
  TTowerSeries s{nullptr};
  TBitmap bmp;
  explicit OneTower(TTowerStyle Style) {
    RegisterChartClasses();
    chart.SetBounds(0, 0, 300, 200);
    chart.SetChart3DPercent(60);
    chart.Legend()->SetVisible(false);
    s.SetParentChart(&chart);
    s.SetTowerStyle(Style);
    s.Pen()->Hide();
    SetImage(*s.Brush(), kFill40);
    s.AddXYZ(1, 10, 1);
    s.AddXYZ(2, 0, 1);
    bmp.SetSize(300, 200);
  }
  void Draw() {
    chart.ChartCanvas()->Invalidate();
    chart.Draw(bmp.Canvas(), TRect(0, 0, 300, 200));
  }
  // The corners of one face of the tall tower, on the screen.
  std::vector<TPoint> Face(Side Which) {
    int z0, z1;
    const TRect r = s.TowerBox(0, z0, z1);
    TTeeCanvas3D* c = chart.ChartCanvas();
    auto at = [c](int x, int y, int z) { return c->Calculate3DPosition(x, y, z); };
    switch (Which) {
      case Front: return {at(r.Left, r.Top, z0), at(r.Right, r.Top, z0), at(r.Right, r.Bottom, z0), at(r.Left, r.Bottom, z0)};
      case Right: return {at(r.Right, r.Top, z0), at(r.Right, r.Top, z1), at(r.Right, r.Bottom, z1), at(r.Right, r.Bottom, z0)};
      case Top: break;
    }
    return {at(r.Left, r.Top, z0), at(r.Right, r.Top, z0), at(r.Right, r.Top, z1), at(r.Left, r.Top, z1)};
  }
};

struct Canvas {
  TBitmap bmp;
  TTeeCanvas3D c;
  TView3DOptions o;
  Canvas() {
    bmp.SetSize(64, 64);
    c.SetBufferedDisplay(false);
    c.InitWindow(bmp.Canvas(), &o, clWhite, false, TRect(0, 0, 64, 64));
    c.Projection(10, TRect(0, 0, 64, 64));
  }
};

}  // namespace

TEST(ChartBrushImage, APatternFillsInTextColourOnTheBackColourUntilTheBrushChanges) {
  Canvas f;
  TChartBrush brush;
  SetImage(brush, kFill40);
  f.c.Pen()->SetStyle(psClear);
  f.c.AssignBrushColor(&brush, clRed, clBlue);
  EXPECT_EQ(f.c.GetBackMode(), OPAQUE);
  f.c.FillRect(TRect(0, 0, 24, 24));
  EXPECT_EQ(Misses(f.bmp.Canvas(), TRect(0, 0, 24, 24), clRed, clBlue), 0);
  // Polygons take it too, tiled from the surface's origin, not from the shape's corner.
  f.c.Polygon({{30, 5}, {60, 5}, {60, 35}, {30, 35}});
  EXPECT_EQ(Misses(f.bmp.Canvas(), TRect(33, 8, 57, 32), clRed, clBlue), 0);

  // A later back colour (the darker side of a solid) paints the clear pixels anew.
  f.c.SetBackColor(clGreen);
  f.c.FillRect(TRect(0, 40, 24, 64));
  EXPECT_EQ(Misses(f.bmp.Canvas(), TRect(0, 40, 24, 64), clRed, clGreen), 0);
  // Transparent mode, or no back colour, leaves what lies beneath.
  f.c.SetBackMode(TRANSPARENT);
  f.c.FillRect(TRect(0, 0, 24, 24));
  EXPECT_EQ(Misses(f.bmp.Canvas(), TRect(0, 0, 24, 24), clRed, clBlue), 0);
  f.c.AssignBrushColor(&brush, clYellow, clTeeColor);
  f.c.FillRect(TRect(0, 40, 24, 64));
  EXPECT_EQ(Misses(f.bmp.Canvas(), TRect(0, 40, 24, 64), clYellow, clGreen), 0);

  // A solid cube's darker sides leave the back colour as it was.
  f.c.AssignBrushColor(&brush, clRed, clBlue);
  f.c.Cube(10, 20, 10, 20, 0, 5, true);
  EXPECT_EQ(f.c.GetBackColor(), clBlue);

  // Setting a style, or a brush without an image, ends the pattern.
  f.c.Brush()->SetStyle(bsSolid);
  f.c.Brush()->SetColor(clBlack);
  f.c.FillRect(TRect(0, 0, 8, 8));
  EXPECT_EQ(f.bmp.Canvas()->Pixel(0, 0), clBlack);
  EXPECT_EQ(f.bmp.Canvas()->Pixel(1, 0), clBlack);
  f.c.AssignBrushColor(&brush, clRed, clBlue);
  TChartBrush plain;
  f.c.AssignBrushColor(&plain, clWhite, clBlue);
  f.c.FillRect(TRect(0, 0, 8, 8));
  EXPECT_EQ(f.bmp.Canvas()->Pixel(0, 0), clWhite);
  EXPECT_EQ(f.bmp.Canvas()->Pixel(1, 0), clWhite);
}

TEST(ChartBrushImage, APictureIsItsOwnPattern) {
  Canvas f;
  TChartBrush brush;
  SetImage(brush, 20);  // "Metal", 32 x 32
  TBitmap metal;
  TBrushDialog::PatternOfItem(20, metal);
  f.c.AssignBrushColor(&brush, clRed, clBlue);
  f.c.FillRect(TRect(0, 0, 64, 64));
  for (int y = 0; y < 64; y += 7)
    for (int x = 0; x < 64; x += 5) ASSERT_EQ(f.bmp.Canvas()->Pixel(x, y), metal.Canvas()->Pixel(x % 32, y % 32)) << x << "," << y;
}

TEST(ChartBrushImage, FillFortyOnAWallAndOnASurface) {
  RegisterChartClasses();
  TChart chart(nullptr);
  chart.SetBounds(0, 0, 300, 200);
  chart.SetColor(clWhite);
  chart.SetView3D(false);
  chart.SetBevelOuter(bvNone);
  chart.Legend()->SetVisible(false);
  chart.LeftAxis()->Grid()->Hide();
  chart.BottomAxis()->Grid()->Hide();
  TChartWall* wall = chart.BackWall();
  wall->Pen()->Hide();
  wall->SetTransparent(false);
  wall->SetColor(clYellow);
  SetImage(*wall->Brush(), kFill40);
  wall->Brush()->SetColor(clNavy);
  TBitmap bmp;
  bmp.SetSize(300, 200);
  auto draw = [&] {
    chart.ChartCanvas()->Invalidate();
    chart.Draw(bmp.Canvas(), TRect(0, 0, 300, 200));
  };
  draw();
  TRect in = chart.ChartRect;
  in.Left += 4, in.Top += 4, in.Right -= 4, in.Bottom -= 4;
  ASSERT_GT(in.Width(), 100);
  // The wall's colour on the brush's own colour.
  EXPECT_EQ(Misses(bmp.Canvas(), in, clYellow, clNavy), 0);
  // A brush without a colour of its own lets the panel show between the wall's dots.
  wall->Brush()->SetColor(clTeeColor);
  draw();
  EXPECT_EQ(Misses(bmp.Canvas(), in, clYellow, clWhite), 0);

  // A surface over the whole rectangle: its colour, and the wall beneath between.
  TSurfaceSeries s(nullptr);
  s.SetParentChart(&chart);
  s.Pen()->Hide();
  s.SetSeriesColor(clRed);
  SetImage(*s.Brush(), kFill40);
  s.OnGetYValue = [](TChartSeries*, int, int z) { return z == 1 ? 1.0 : 3.0; };
  s.CreateValues(3, 2);
  wall->Brush()->SetImage(nullptr);
  wall->SetColor(clLime);
  draw();
  in = chart.ChartRect;
  in.Left += 4, in.Top += 4, in.Right -= 4, in.Bottom -= 4;
  EXPECT_EQ(Misses(bmp.Canvas(), in, clRed, clLime), 0);
}

TEST(ChartBrushImage, FillFortyOnTheFrontOfATowerAndOnItsCover) {
  for (const TTowerStyle style : {tsCube, tsCover}) {
    SCOPED_TRACE(style);
    OneTower t(style);
    t.s.Brush()->SetColor(clYellow);
    t.Draw();
    // The face the viewer sees first: the cube's front, the cover's top. The point's value
    // colour (the colour range's start) on the brush's own colour.
    const std::vector<TPoint> face = t.Face(style == tsCube ? OneTower::Front : OneTower::Top);
    int inside = 0;
    EXPECT_EQ(Misses(t.bmp.Canvas(), RectFromPolygon(face.data(), 4), ColorToRGB(t.s.GetValueColor(0)), clYellow,
                     WellInside(face, inside)),
              0);
    EXPECT_GT(inside, 300);
  }
}

TEST(ChartBrushImage, WithoutABackColourATowersDarkerFacesShowWhatLiesBeneath) {
  OneTower t(tsCube);
  ASSERT_TRUE(t.s.Dark3D());
  // What lies beneath: the same chart with a tower that draws nothing.
  t.s.Brush()->SetImage(nullptr);
  t.s.Brush()->SetStyle(bsClear);
  t.Draw();
  TBitmap beneath;
  beneath.Assign(&t.bmp);
  t.s.Brush()->SetStyle(bsSolid);
  SetImage(*t.s.Brush(), kFill40);
  t.Draw();
  const TColor ink = ColorToRGB(t.s.GetValueColor(0));
  for (const OneTower::Side side : {OneTower::Front, OneTower::Right, OneTower::Top}) {
    SCOPED_TRACE(side);
    const std::vector<TPoint> face = t.Face(side);
    const TRect r = RectFromPolygon(face.data(), 4);
    int inside = 0, misses = 0;
    const auto in = WellInside(face, inside);
    for (int y = r.Top; y < r.Bottom; ++y)
      for (int x = r.Left; x < r.Right; ++x)
        if (in({x, y}) && t.bmp.Canvas()->Pixel(x, y) != (Fill40(x, y) ? ink : beneath.Canvas()->Pixel(x, y))) ++misses;
    EXPECT_EQ(misses, 0);
    EXPECT_GT(inside, 300);
  }
}

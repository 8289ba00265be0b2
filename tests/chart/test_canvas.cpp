// The chart canvas: projection and its inverse, gradients, blending, the closed 3-D
// ellipse and far-away coordinates, drawn on off-screen images.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <set>
#include <utility>

#include "chart/TeCanvas.h"

namespace {

struct CanvasFixture {
  TBitmap bmp;
  TTeeCanvas3D c;
  TView3DOptions o;
  CanvasFixture(int w = 400, int h = 300) {
    bmp.SetSize(w, h);
    c.SetBufferedDisplay(false);
  }
  void Init(bool is3D, int depth = 100) {
    c.InitWindow(bmp.Canvas(), &o, clWhite, is3D, TRect(0, 0, bmp.Width(), bmp.Height()));
    c.Projection(depth, TRect(0, 0, bmp.Width(), bmp.Height()));
  }
};

}  // namespace

TEST(ChartProjection, AllAnglesZeroIsAPureShiftForEveryDepth) {
  CanvasFixture f;
  f.o.SetOrthogonal(false);
  f.o.SetRotation(0);
  f.o.SetElevation(0);
  f.o.SetPerspective(0);
  f.o.SetHorizOffset(7);
  f.o.SetVertOffset(-3);
  f.Init(true);
  for (int z : {-50, 0, 30, 400}) EXPECT_EQ(f.c.Calculate3DPosition(40, 60, z), TPoint(47, 57)) << z;
}

TEST(ChartProjection, OrthogonalAnglesShiftPerUnitOfDepth) {
  struct Case {
    int angle, dx, dy;
  } cases[] = {{45, 1, -1}, {135, -1, -1}, {90, 1, -1}};
  for (const Case& k : cases) {
    CanvasFixture f;
    f.o.SetOrthoAngle(k.angle);
    f.Init(true);
    const TPoint a = f.c.Calculate3DPosition(100, 100, 0), b = f.c.Calculate3DPosition(100, 100, 10);
    EXPECT_EQ(b.x - a.x, 10 * k.dx) << k.angle;
    EXPECT_EQ(b.y - a.y, 10 * k.dy) << k.angle;
  }
  CanvasFixture zoomed;
  zoomed.o.SetZoom(200);
  zoomed.Init(true);
  const TPoint a = zoomed.c.Calculate3DPosition(100, 100, 0), b = zoomed.c.Calculate3DPosition(100, 100, 10);
  EXPECT_EQ(b.x - a.x, 20);
}

TEST(ChartProjection, InverseRoundTripsWithinOnePixelOverAGridOfAngles) {
  int checked = 0;
  for (int rotation = 0; rotation < 360; rotation += 15)
    for (int elevation = 0; elevation < 360; elevation += 30)
      for (int tilt : {0, 20})
        for (int perspective : {0, 15}) {
          const double cr = std::cos(rotation * M_PI / 180), ce = std::cos(elevation * M_PI / 180);
          // The screen pixel is rounded; seen at a slant, the inverse spreads that half
          // pixel by 1 / (cos rotation x cos elevation), so the grid keeps to views where
          // that stays within a pixel (edge-on views have no inverse at all).
          if (std::fabs(cr * ce) < 0.75) continue;
          CanvasFixture f;
          f.o.SetOrthogonal(false);
          f.o.SetRotation(rotation);
          f.o.SetElevation(elevation);
          f.o.SetTilt(tilt);
          f.o.SetPerspective(perspective);
          f.Init(true);
          for (int x = 20; x <= 380; x += 60)
            for (int y = 20; y <= 280; y += 65)
              for (int z : {0, 50, 100}) {
                const TPoint p = f.c.Calculate3DPosition(x, y, z);
                int bx = p.x, by = p.y;
                f.c.Calculate2DPosition(bx, by, z);
                ASSERT_NEAR(bx, x, 1) << rotation << "/" << elevation << "/" << tilt << "/" << perspective;
                ASSERT_NEAR(by, y, 1) << rotation << "/" << elevation << "/" << tilt << "/" << perspective;
                ++checked;
              }
        }
  EXPECT_GT(checked, 500);
  // Orthogonal views invert exactly too.
  CanvasFixture f;
  f.o.SetOrthoAngle(135);
  f.Init(true);
  const TPoint p = f.c.Calculate3DPosition(123, 45, 30);
  int x = p.x, y = p.y;
  f.c.Calculate2DPosition(x, y, 30);
  EXPECT_EQ(TPoint(x, y), TPoint(123, 45));
}

TEST(ChartGradient, BandsFollowTheHeightUpTo256) {
  CanvasFixture f(20, 320);
  f.Init(false);
  f.c.GradientFill(TRect(0, 0, 10, 300), clBlack, clWhite, gdTopBottom, 50);
  std::set<TColor> colours;
  for (int y = 0; y < 300; ++y) colours.insert(f.bmp.Canvas()->Pixel(5, y));
  EXPECT_EQ(colours.size(), 256u);
  // The first colour lies at the bottom edge.
  EXPECT_EQ(f.bmp.Canvas()->Pixel(5, 299), clBlack);
  EXPECT_EQ(f.bmp.Canvas()->Pixel(5, 0), clWhite);
  // One pixel high: nothing is painted.
  f.c.GradientFill(TRect(12, 310, 18, 311), clBlack, clRed, gdTopBottom, 50);
  EXPECT_EQ(f.bmp.Canvas()->Pixel(14, 310), clWhite);
}

TEST(ChartGradient, MiddleColourSwitchesOnAndOffAndSitsOnTheDivide) {
  TTeeGradient g;
  EXPECT_EQ(g.MidColor(), clNone);
  g.SetMidColor(clRed);
  EXPECT_TRUE(g.UseMiddleColor());
  EXPECT_EQ(g.MidColor(), clRed);
  g.SetMidColor(clNone);
  EXPECT_FALSE(g.UseMiddleColor());
  g.SetMidColor(clRed);
  g.SetStartColor(clBlack);
  g.SetEndColor(clBlue);
  g.SetVisible(true);
  CanvasFixture f(20, 200);
  f.Init(false);
  g.Draw(&f.c, TRect(0, 0, 10, 200));
  EXPECT_EQ(f.bmp.Canvas()->Pixel(5, 199), clBlack);
  EXPECT_EQ(f.bmp.Canvas()->Pixel(5, 0), clBlue);
  EXPECT_EQ(f.bmp.Canvas()->Pixel(5, 100), clRed);
}

TEST(ChartBlend, NoneKeepsTheNewDrawingAndFullRestoresTheOld) {
  for (int transparency : {0, 100, 50}) {
    CanvasFixture f(40, 40);
    f.Init(false);
    f.c.Brush()->SetColor(clRed);
    f.c.FillRect(TRect(0, 0, 40, 40));
    f.c.Bounds = TRect(0, 0, 40, 40);
    TTeeBlend* b = f.c.BeginBlending(TRect(10, 10, 30, 30), transparency);
    f.c.Brush()->SetColor(clBlue);
    f.c.FillRect(TRect(0, 0, 40, 40));
    f.c.EndBlending(b);
    const TColor inside = f.bmp.Canvas()->Pixel(20, 20);
    const TColor expected = transparency == 0 ? clBlue : transparency == 100 ? clRed : RGB(127, 0, 128);
    EXPECT_EQ(inside, expected) << transparency;
    EXPECT_EQ(f.bmp.Canvas()->Pixel(5, 5), clBlue);  // outside the area
  }
}

TEST(ChartCanvas3D, EllipseWithDepthIsFilledAllRound) {
  CanvasFixture f;
  f.o.SetOrthogonal(false);
  f.o.SetRotation(0);
  f.o.SetElevation(0);
  f.o.SetPerspective(0);
  f.Init(true);
  f.c.Pen()->SetStyle(psClear);
  f.c.Brush()->SetColor(clRed);
  f.c.EllipseWithZ(100, 100, 180, 180, 0);
  // Just above the start point (angle 0) lies the last wedge of the fill.
  for (double deg = 0.5; deg < 360; deg += 1.0) {
    const double a = -deg * M_PI / 180;
    const int x = static_cast<int>(std::lround(140 + 30 * std::cos(a))), y = static_cast<int>(std::lround(140 + 30 * std::sin(a)));
    ASSERT_EQ(f.bmp.Canvas()->Pixel(x, y), clRed) << deg;
  }
}

// An orthogonal view at 45 degrees: each unit of depth moves a point one pixel right and
// one up, so the near face lies as given and the far face up and to the right.
TEST(ChartCanvas3D, TruncatedPyramidStandsOnItsBaseAndNarrowsToItsTop) {
  struct Case {
    TRect rect;
    int halfX, halfZ;
    std::vector<TPoint> filled, empty;
  } cases[] = {
      // Base 100 wide at y 200, top 20 x 20 at y 100: the near side is a trapezoid.
      {TRect(100, 100, 200, 200), 10, 10, {{150, 190}, {105, 197}, {150, 105}, {160, 80}}, {{105, 110}, {230, 110}, {150, 215}}},
      // No top: the sides meet in the point above the centre of the box.
      {TRect(100, 100, 200, 200), 0, 0, {{150, 190}, {170, 90}}, {{160, 82}, {105, 110}}},
      // Upside down: the wide base at y 100, the narrow top at y 200.
      {TRect(100, 200, 200, 100), 10, 10, {{150, 105}, {105, 103}, {165, 180}}, {{105, 190}, {195, 190}, {150, 195}}},
  };
  for (const Case& k : cases) {
    CanvasFixture f;
    f.o.SetOrthoAngle(45);
    f.Init(true);
    f.c.Pen()->SetStyle(psClear);
    f.c.Brush()->SetColor(clRed);
    f.c.TruncatedPyramid(k.rect, 0, 40, k.halfX, k.halfZ);
    for (const TPoint& p : k.filled) EXPECT_EQ(f.bmp.Canvas()->Pixel(p.x, p.y), clRed) << k.halfX << " " << p.x << "," << p.y;
    for (const TPoint& p : k.empty) EXPECT_EQ(f.bmp.Canvas()->Pixel(p.x, p.y), clWhite) << k.halfX << " " << p.x << "," << p.y;
  }
}

TEST(ChartCanvas3D, Pie3DFillsItsSectorDarkensItsSidesAndTakesAGradient) {
  const TColor dark = DarkenColor(clRed, 32);
  struct Case {
    double start, end;
    bool darkSides, gradient;
    TColor top, side, opposite;  // top face at 45 degrees, the curved side beyond it, the point opposite
  } cases[] = {
      {0, M_PI / 2, true, false, clRed, dark, clWhite},
      {0, M_PI / 2, false, false, clRed, clRed, clWhite},
      {M_PI / 2, 0, true, false, clRed, dark, clWhite},  // the angles in either order
      {0, 2 * M_PI, true, false, clRed, dark, clRed},    // a whole disc
  };
  for (const Case& k : cases) {
    CanvasFixture f;
    f.o.SetOrthoAngle(45);
    f.Init(true);
    f.c.Pen()->SetStyle(psClear);
    f.c.Brush()->SetColor(clRed);
    f.c.Pie3D(200, 150, 80, 80, 0, 30, k.start, k.end, k.darkSides);
    EXPECT_EQ(f.bmp.Canvas()->Pixel(240, 110), k.top) << k.start << "-" << k.end;
    EXPECT_EQ(f.bmp.Canvas()->Pixel(265, 85), k.side) << k.start << "-" << k.end;
    EXPECT_EQ(f.bmp.Canvas()->Pixel(150, 200), k.opposite) << k.start << "-" << k.end;
    EXPECT_EQ(f.bmp.Canvas()->Pixel(320, 40), clWhite);  // beyond the far face
    EXPECT_EQ(f.c.Brush()->Color(), clRed);              // the brush is given back
  }
  // A gradient from the top down fills only the sector: its start colour (blue) at the
  // bottom, its end colour (yellow) at the top.
  CanvasFixture f;
  f.o.SetOrthoAngle(45);
  f.Init(true);
  f.c.Pen()->SetStyle(psClear);
  f.c.Brush()->SetColor(clRed);
  TTeeGradient g;
  g.SetVisible(true);
  g.SetDirection(gdTopBottom);
  g.SetStartColor(clBlue);
  g.SetEndColor(clYellow);
  f.c.Pie3D(200, 150, 80, 80, 0, 30, 0, M_PI / 2, true, &g);
  const TColor high = f.bmp.Canvas()->Pixel(203, 75), low = f.bmp.Canvas()->Pixel(270, 147);
  EXPECT_NE(high, low);
  EXPECT_GT(GetBValue(low), GetBValue(high));
  EXPECT_GT(GetRValue(high), GetRValue(low));
  EXPECT_EQ(f.bmp.Canvas()->Pixel(150, 200), clWhite);
  EXPECT_EQ(f.bmp.Canvas()->Pixel(265, 85), dark);
}

// A whole disc turned round: whichever end face the viewer sees covers the disc's inside,
// from the front and from behind, at any tilt, wherever its arc starts.
TEST(ChartCanvas3D, Pie3DShowsTheEndFaceItIsSeenFromOverItsInside) {
  for (int rotation : {0, 20, 160, 200, 340})
    for (int elevation : {345, 320})
      for (int start : {0, 90, 180, 270}) {
        SCOPED_TRACE(::testing::Message() << "rotation " << rotation << " elevation " << elevation << " start " << start);
        CanvasFixture f;
        f.o.SetOrthogonal(false);
        f.o.SetRotation(rotation);
        f.o.SetElevation(elevation);
        f.Init(true);
        f.c.Pen()->SetColor(clBlack);
        f.c.Brush()->SetColor(clRed);
        const double a = start * M_PI / 180;
        f.c.Pie3D(200, 150, 80, 80, 0, 30, a, a + 2 * M_PI, true);
        // Halfway through the disc's depth, on the line from its centre to where the arc
        // starts: the face lies over all of it, and draws no edge along it either.
        const int seen = rotation > 90 && rotation < 270 ? 30 : 0;
        for (int r : {5, 20, 40, 60}) {
          const int x = 200 + static_cast<int>(std::lround(r * std::cos(a))), y = 150 - static_cast<int>(std::lround(r * std::sin(a)));
          EXPECT_EQ(f.c.GetPixel3D(x, y, 15), clRed) << r;
          EXPECT_EQ(f.c.GetPixel3D(x, y, seen), clRed) << r;
        }
      }
  // A gradient fills the face seen from behind as well.
  CanvasFixture f;
  f.o.SetOrthogonal(false);
  f.o.SetRotation(200);
  f.Init(true);
  f.c.Pen()->SetStyle(psClear);
  f.c.Brush()->SetColor(clRed);
  TTeeGradient g;
  g.SetVisible(true);
  g.SetStartColor(clBlue);
  g.SetEndColor(clBlue);
  f.c.Pie3D(200, 150, 80, 80, 0, 30, 0, 2 * M_PI, true, &g);
  EXPECT_EQ(f.c.GetPixel3D(200, 150, 15), clBlue);
}

// This canvas reads its pixels through the projection and leaves surfaces to their series.
TEST(ChartCanvas3D, PixelsAreReadThroughTheProjectionAndSurfacesAreNotDrawnNatively) {
  CanvasFixture f;
  f.o.SetOrthoAngle(45);
  f.Init(true);
  f.c.SetPixel3D(100, 100, 20, clRed);
  EXPECT_EQ(f.bmp.Canvas()->Pixel(120, 80), clRed);  // 20 deep: 20 right and 20 up
  EXPECT_EQ(f.c.GetPixel3D(100, 100, 20), clRed);
  EXPECT_EQ(f.c.GetPixel3D(100, 100, 0), clWhite);
  EXPECT_FALSE(f.c.IsNative3D());
  int asked = 0;
  f.c.Brush()->SetColor(clBlue);
  f.c.Surface3D(0, false, 10, 10, [&](int, int, TPoint&, int&, TColor&, TPoint&, int&, TColor&) { return ++asked > 0; });
  EXPECT_EQ(asked, 0);
  EXPECT_EQ(f.bmp.Canvas()->Pixel(200, 150), clWhite);
}

TEST(ChartCanvas, FarAwayLinesKeepTheirSlope) {
  CanvasFixture f(200, 200);
  f.Init(false);
  f.c.Pen()->SetColor(clRed);
  f.c.Line(10, 50, 2000000000, 50);
  f.c.Line(0, 0, 1500000000, 1500000000);
  f.c.Line(-2000000000, 150, 2000000000, 150);
  EXPECT_EQ(f.bmp.Canvas()->Pixel(150, 50), clRed);
  EXPECT_EQ(f.bmp.Canvas()->Pixel(120, 120), clRed);
  EXPECT_EQ(f.bmp.Canvas()->Pixel(100, 150), clRed);
  EXPECT_EQ(f.bmp.Canvas()->Pixel(120, 121), clWhite);
}

TEST(ChartCanvas, ClipStackRestoresEachLevel) {
  CanvasFixture f(100, 100);
  f.Init(false);
  f.c.ClipRectangle(TRect(0, 0, 50, 100));
  f.c.ClipRectangle(TRect(0, 0, 100, 50));
  f.c.Brush()->SetColor(clRed);
  f.c.FillRect(TRect(0, 0, 100, 100));
  f.c.UnClipRectangle();
  f.c.Brush()->SetColor(clBlue);
  f.c.FillRect(TRect(0, 60, 100, 100));
  f.c.UnClipRectangle();
  EXPECT_EQ(f.bmp.Canvas()->Pixel(10, 10), clRed);
  EXPECT_EQ(f.bmp.Canvas()->Pixel(70, 10), clWhite);
  EXPECT_EQ(f.bmp.Canvas()->Pixel(10, 70), clBlue);
  EXPECT_EQ(f.bmp.Canvas()->Pixel(70, 70), clWhite);
  EXPECT_EQ(f.c.ClipDepth(), 0);
}

TEST(ChartShadow, SmoothShadowLightensOutwardAndTransparencyKeepsTheBackground) {
  CanvasFixture f(100, 100);
  f.Init(false);
  TTeeShadow s({}, clBlack, 4);
  s.Draw(&f.c, TRect(10, 10, 50, 50));
  const TColor inner = f.bmp.Canvas()->Pixel(30, 50), outer = f.bmp.Canvas()->Pixel(33, 53);
  EXPECT_EQ(inner, clBlack);
  EXPECT_GT(GetRValue(outer), GetRValue(inner));
  CanvasFixture g(100, 100);
  g.Init(false);
  g.c.Bounds = TRect(0, 0, 100, 100);
  TTeeShadow t({}, clBlack, 2);
  t.SetTransparency(100);
  t.Draw(&g.c, TRect(10, 10, 50, 50));
  EXPECT_EQ(g.bmp.Canvas()->Pixel(30, 51), clWhite);
}

TEST(ChartFont, ShadowWidensTheTextAndZoomedTextNeverVanishes) {
  CanvasFixture f(100, 100);
  f.Init(false);
  TTeeFont font;
  f.c.AssignFont(&font);
  const int plain = f.c.TextWidth("Volts");
  font.Shadow()->SetHorizSize(-3);
  f.c.AssignFont(&font);
  EXPECT_EQ(f.c.TextWidth("Volts"), plain + 3);
  font.SetInterCharSize(2);
  EXPECT_EQ(f.c.TextWidth("Volts"), plain + 3 + 10);
}

// Wide chart pens end and join as their end style says and keep their dashes; small dots
// draw one pixel wide whatever the pen's width, one pixel on and one off from the start,
// whichever way the line runs.
TEST(ChartPen, WideLinesTakeTheEndStyleAndKeepTheirDashes) {
  struct Case {
    TPenEndStyle style;
    int lastX;         // the last pixel of a line from x 20 to 50
    bool cornerInked;  // its top right corner pixel
  } const cases[] = {{esFlat, 49, true}, {esSquare, 54, true}, {esRound, 53, false}};
  for (const Case& k : cases) {
    CanvasFixture f(80, 40);
    f.Init(false);
    TChartPen pen;
    pen.SetWidth(9);
    pen.SetColor(clRed);
    pen.SetEndStyle(k.style);
    f.c.AssignVisiblePen(&pen);
    f.c.MoveTo(20, 20);
    f.c.LineTo(50, 20);
    TCanvas* b = f.bmp.Canvas();
    EXPECT_EQ(b->Pixel(k.lastX, 20), clRed) << k.style;
    EXPECT_EQ(b->Pixel(k.lastX + 1, 20), clWhite) << k.style;
    EXPECT_EQ(b->Pixel(k.lastX, 16) == clRed, k.cornerInked) << k.style;
    EXPECT_EQ(b->Pixel(k.lastX, 15), clWhite) << k.style;
  }
  for (bool smallDots : {false, true}) {
    CanvasFixture f(80, 20);
    f.Init(false);
    TChartPen pen;
    pen.SetWidth(3);
    pen.SetStyle(psDash);
    pen.SetSmallDots(smallDots);
    f.c.AssignVisiblePen(&pen);
    f.c.MoveTo(5, 10);
    f.c.LineTo(75, 10);
    TCanvas* b = f.bmp.Canvas();
    int gaps = 0, below = 0;
    for (int x = 6; x < 75; ++x) {
      gaps += b->Pixel(x, 10) == clWhite && b->Pixel(x - 1, 10) == clBlack;
      below += b->Pixel(x, 11) == clBlack;
    }
    EXPECT_GE(gaps, smallDots ? 10 : 4) << smallDots;
    EXPECT_EQ(below == 0, smallDots) << smallDots;
  }
  for (const auto& [from, to] : {std::pair{TPoint(5, 10), TPoint(45, 10)}, std::pair{TPoint(44, 10), TPoint(4, 10)},
                                 std::pair{TPoint(10, 35), TPoint(10, 2)}, std::pair{TPoint(5, 3), TPoint(35, 33)}}) {
    CanvasFixture f(50, 40);
    f.Init(false);
    TChartPen pen;
    pen.SetWidth(2);
    pen.SetSmallDots(true);
    f.c.AssignVisiblePen(&pen);
    f.c.MoveTo(from.x, from.y);
    f.c.LineTo(to.x, to.y);
    TCanvas* b = f.bmp.Canvas();
    const int n = std::max(std::abs(to.x - from.x), std::abs(to.y - from.y));
    const int sx = (to.x > from.x) - (to.x < from.x), sy = (to.y > from.y) - (to.y < from.y);
    int inked = 0;
    for (int i = 0; i <= n; ++i) {
      const bool on = b->Pixel(from.x + i * sx, from.y + i * sy) == clBlack;
      EXPECT_EQ(on, i % 2 == 0 && i < n) << from.x << "," << from.y << " step " << i;
      inked += on;
    }
    for (int y = 0; y < 40; ++y)
      for (int x = 0; x < 50; ++x) inked -= b->Pixel(x, y) == clBlack;
    EXPECT_EQ(inked, 0) << "pixels off the line";
  }
}

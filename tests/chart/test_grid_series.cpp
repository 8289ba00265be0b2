// Contour, colour grid, tower and vector series: levels and their lines, images and hit
// tests checked at probe pixels, and each series through a form and back.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>

#include "chart/Chart.h"
#include "chart/Series.h"
#include "chart/TeeColorGrid.h"
#include "chart/TeeContour.h"
#include "chart/TeeSurfa.h"
#include "chart/TeeTower.h"
#include "platform/graphics/Bitmap.h"
#include "platform/streaming/Filer.h"
#include "platform/streaming/ObjectText.h"
#include "platform/ui/Forms.h"

namespace {

template <class S>
struct GridChart {
  TChart chart{nullptr};
  S s{nullptr};
  TBitmap bmp;
  explicit GridChart(bool view3d = false) {
    RegisterChartClasses();
    chart.SetBounds(0, 0, 400, 300);
    chart.SetView3D(view3d);
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
  TColor At(double x, double z) {
    return bmp.Canvas()->Pixel(chart.BottomAxis()->CalcXPosValue(x), chart.LeftAxis()->CalcYPosValue(z));
  }
};

}  // namespace

TEST(ContourSeries, ALevelOfAKnownGridIsOneLineAtItsValue) {
  GridChart<TContourSeries> c;
  c.Fill(3, 3, [](int x, int) { return x; });  // Y rises with X: iso-lines run along Z
  TContourLevel* l = c.s.Levels()->Add();
  EXPECT_FALSE(c.s.AutomaticLevels());
  l->SetUpToValue(2.5);
  l->SetColor(clRed);
  c.Draw();
  ASSERT_EQ(l->Lines().size(), 1u);  // the cells' segments join into one line
  EXPECT_EQ(l->Lines()[0].size(), 5u);
  for (const TContourPoint& p : l->Lines()[0]) EXPECT_DOUBLE_EQ(p.X, 2.5);
  // On a flat chart Z runs up the vertical axis.
  EXPECT_EQ(c.chart.LeftAxis()->Minimum(), 1);
  EXPECT_EQ(c.chart.LeftAxis()->Maximum(), 3);
  EXPECT_EQ(c.At(2.5, 2), clRed);
  EXPECT_EQ(c.At(2.5, 1.5), clRed);
  EXPECT_NE(c.At(1.5, 2), clRed);
  const int px = c.chart.BottomAxis()->CalcXPosValue(2.5), py = c.chart.LeftAxis()->CalcYPosValue(2);
  EXPECT_EQ(c.s.Clicked(px, py), 0);
  EXPECT_EQ(c.s.Clicked(px - 30, py), -1);
  // A level outside the grid's values is never traced; one at a corner value touches it.
  c.s.Levels()->Add()->SetUpToValue(7);
  c.s.Levels()->Add()->SetUpToValue(3);
  c.Draw();
  EXPECT_TRUE(c.s.Levels()->Items(1)->Lines().empty());
  EXPECT_FALSE(c.s.Levels()->Items(2)->Lines().empty());
}

TEST(ContourSeries, AutomaticLevelsSpanTheRangeAndTakeColoursThatExist) {
  GridChart<TContourSeries> c;
  c.Fill(2, 2, [](int x, int z) { return x + 2 * z; });  // 3 .. 6, four points
  c.s.SetNumLevels(6);
  c.Draw();
  ASSERT_EQ(c.s.Levels()->Count(), 6);
  EXPECT_TRUE(c.s.AutomaticLevels());
  for (int i = 0; i < 6; ++i) EXPECT_DOUBLE_EQ(c.s.Levels()->Items(i)->UpToValue(), 3 + i * 0.5);
  // Each point colours its level; levels past the points take their value colour.
  EXPECT_EQ(c.s.Levels()->Items(1)->Color(), clTeeColor);
  EXPECT_EQ(c.s.Levels()->Items(5)->Color(), c.s.ValueColor(5.5));
  EXPECT_EQ(c.s.LegendLevelText(0), "5.5");
  // Changing a level by hand keeps the levels from then on.
  c.s.Levels()->Items(0)->SetUpToValue(3.25);
  EXPECT_FALSE(c.s.AutomaticLevels());
  c.Draw();
  EXPECT_EQ(c.s.Levels()->Items(0)->UpToValue(), 3.25);
  // A flat grid gives levels of one value and lines along every cell border.
  GridChart<TContourSeries> flat;
  flat.Fill(3, 3, [](int, int) { return 1.0; });
  flat.Draw();
  ASSERT_EQ(flat.s.Levels()->Count(), 10);
  EXPECT_FALSE(flat.s.Levels()->Items(9)->Lines().empty());
}

TEST(ColorGridSeries, CellsTakeTheirPointColoursAndClicksFindTheCell) {
  GridChart<TColorGridSeries> c;
  c.Fill(4, 3, [](int x, int z) { return x * 10 + z; });
  c.s.SetXGridEvery(0);
  EXPECT_EQ(c.s.XGridEvery(), 1);  // no step of 0
  c.s.Pen()->SetVisible(false);
  c.Draw();
  EXPECT_EQ(c.chart.BottomAxis()->Maximum(), 5);  // the last column gets a width
  ASSERT_TRUE(c.s.Image());
  EXPECT_EQ(c.s.Image()->Width(), 4);
  EXPECT_EQ(c.s.Image()->Height(), 3);
  for (int x = 1; x <= 4; ++x)
    for (int z = 1; z <= 3; ++z) {
      const int i = c.s.GridIndex(x, z);
      EXPECT_EQ(c.At(x + 0.5, z + 0.5), ColorToRGB(c.s.ValueColor(x * 10 + z))) << x << "," << z;
      const int px = c.chart.BottomAxis()->CalcXPosValue(x + 0.5), py = c.chart.LeftAxis()->CalcYPosValue(z + 0.5);
      EXPECT_EQ(c.s.Clicked(px, py), x < 4 && z < 3 ? i : -1) << x << "," << z;
    }
  // A palette of no steps is empty rather than a division by zero.
  c.s.SetPaletteSteps(0);
  c.s.SetUsePalette(true);
  c.s.CreateDefaultPalette(0);
  EXPECT_TRUE(c.s.Palette().empty());
  c.s.SetUsePalette(false);
  // A missing point leaves its cell to the wall behind.
  c.s.Delete(c.s.GridIndex(2, 2));
  c.Draw();
  EXPECT_NE(c.At(2.5, 2.5), ColorToRGB(c.s.ValueColor(22)));  // the wall shows through
}

TEST(ColorGridSeries, ASmoothImageMixesNeighbouringCells) {
  GridChart<TColorGridSeries> c;
  c.Fill(2, 2, [](int x, int z) { return x * 10 + z; });
  c.s.Pen()->SetVisible(false);
  c.s.SetSmoothBitmap(true);
  c.Draw();
  const TColor mid = c.At(2, 2);
  for (double v : {11, 12, 21, 22}) EXPECT_NE(mid, ColorToRGB(c.s.ValueColor(v))) << v;
  EXPECT_EQ(c.At(1.05, 1.05), ColorToRGB(c.s.ValueColor(11)));  // the corners keep their own colour
}

TEST(ColorGridSeries, AnIrregularGridIsHitInTheOrderItIsStored) {
  GridChart<TColorGridSeries> c;
  c.s.SetIrregularGrid(true);
  const double xs[] = {0, 1, 5}, zs[] = {0, 10};
  for (double z : zs)
    for (double x : xs) c.s.AddXYZ(x, x + z, z);  // X fastest
  c.Draw();
  auto click = [&](double x, double z) {
    return c.s.Clicked(c.chart.BottomAxis()->CalcXPosValue(x), c.chart.LeftAxis()->CalcYPosValue(z));
  };
  EXPECT_EQ(click(0.5, 5), 0);
  EXPECT_EQ(click(3, 5), 1);  // between X 1 and 5: the point at X 1 of the first row
  EXPECT_EQ(click(6, 5), -1);
}

TEST(TowerSeries, EachPointIsAColumnFromTheLowestValue) {
  GridChart<TTowerSeries> c;
  c.Fill(3, 1, [](int x, int) { return x; });
  c.s.SetColorEachPoint(false);
  c.Draw();
  EXPECT_EQ(c.chart.BottomAxis()->Minimum(), 0.5);
  EXPECT_EQ(c.chart.BottomAxis()->Maximum(), 3.5);
  EXPECT_EQ(c.At(3, 2), ColorToRGB(c.s.ValueColor(3)));
  EXPECT_NE(c.At(2, 2.5), ColorToRGB(c.s.ValueColor(2)));  // above the middle tower
  // A cube is not a face one can point at.
  EXPECT_EQ(c.s.Clicked(c.chart.BottomAxis()->CalcXPosValue(3), c.chart.LeftAxis()->CalcYPosValue(2)), -1);
}

TEST(TowerSeries, RoundAndPointedTowersAreShadedSolids) {
  // Each style loaded from a form: one tower of value 10 over a base of 0 (a second point
  // of value 0 sets the base), seen turned and tilted.
  for (const char* style : {"tsCylinder", "tsCone", "tsPyramid", "tsSlantCube"}) {
    SCOPED_TRACE(style);
    RegisterChartClasses();
    TForm form(nullptr);
    const AnsiString bin = ObjectTextToBinary(
        AnsiString("object F: TForm\n  object Chart1: TChart\n    Width = 400\n    Height = 300\n"
                   "    Chart3DPercent = 60\n    View3DOptions.Orthogonal = False\n    View3DOptions.Rotation = 330\n"
                   "    View3DOptions.Elevation = 340\n    View3DOptions.Perspective = 0\n    Legend.Visible = False\n  end\n"
                   "  object S: TTowerSeries\n    ParentChart = Chart1\n    TowerStyle = ") +
        style + "\n  end\nend\n");
    TReader r(bin.data(), bin.size());
    r.ReadRootComponent(&form);
    auto* chart = dynamic_cast<TChart*>(form.FindComponent("Chart1"));
    auto* s = dynamic_cast<TTowerSeries*>(form.FindComponent("S"));
    ASSERT_TRUE(chart && s);
    s->AddXYZ(1, 10, 1);
    s->AddXYZ(2, 0, 1);
    s->SetColorEachPoint(false);
    s->SetUseColorRange(false);
    s->SetSeriesColor(RGB(0, 0, 240));
    TBitmap bmp;
    bmp.SetSize(400, 300);
    chart->Draw(bmp.Canvas(), TRect(0, 0, 400, 300));
    EXPECT_EQ(chart->ChartCanvas()->CylinderSides, 16);  // a slanted cube gives the sides back
    // Across the tower at half its height: its own colour, and darker faces toward one side.
    const int y = chart->LeftAxis()->CalcYPosValue(4);
    std::vector<int> blues;
    for (int x = 0; x < 400; ++x) {
      const TColor c = bmp.Canvas()->Pixel(x, y);
      if (GetRValue(c) == 0 && GetGValue(c) == 0 && GetBValue(c) > 40) blues.push_back(GetBValue(c));
    }
    ASSERT_GT(blues.size(), 10u);
    EXPECT_NE(*std::min_element(blues.begin(), blues.end()), *std::max_element(blues.begin(), blues.end()));
  }
}

namespace {

// Towers of value 5 over an origin of 0, half the height of a deep 3-D chart, without
// outlines, each point in its own colour and drawn only where `shown` says so.
struct Towers {
  GridChart<TTowerSeries> c{true};
  std::vector<TColor> colours = {clRed, clLime, clBlue, clYellow, clFuchsia, clAqua};
  std::vector<bool> shown = std::vector<bool>(6, true);
  Towers(int nx, int nz) {
    c.chart.SetChart3DPercent(100);
    c.chart.LeftAxis()->SetMinMax(0, 10);
    c.s.SetUseOrigin(true);
    c.s.Pen()->Hide();
    c.s.OnGetColor = [this](TChartSeries*, int i, TColor& colour) {
      colour = shown[static_cast<size_t>(i)] ? colours[static_cast<size_t>(i)] : clNone;
    };
    c.Fill(nx, nz, [](int, int) { return 5.0; });
  }
  // The map graph's view.
  void MapView() {
    c.chart.View3DOptions()->SetOrthogonal(false);
    c.chart.View3DOptions()->SetPerspective(0);
    c.chart.View3DOptions()->SetRotation(324);
  }
  std::vector<TColor> Image() {
    c.Draw();
    std::vector<TColor> out;
    for (int y = 0; y < 300; ++y)
      for (int x = 0; x < 400; ++x) out.push_back(c.bmp.Canvas()->Pixel(x, y));
    return out;
  }
  std::vector<TColor> Alone(int i) {
    std::fill(shown.begin(), shown.end(), false);
    if (i >= 0) shown[static_cast<size_t>(i)] = true;
    std::vector<TColor> out = Image();
    std::fill(shown.begin(), shown.end(), true);
    return out;
  }
  // The screen corners of a point's cover face.
  std::vector<TPoint> Face(int i) {
    int z0, z1;
    const TRect r = c.s.TowerBox(i, z0, z1);
    const int y = c.s.CalcYPos(i);
    TTeeCanvas3D* k = c.chart.ChartCanvas();
    return {k->Calculate3DPosition(r.Left, y, z0), k->Calculate3DPosition(r.Right, y, z0),
            k->Calculate3DPosition(r.Right, y, z1), k->Calculate3DPosition(r.Left, y, z1)};
  }
};

TPoint Centre(const std::vector<TPoint>& p) {
  int x = 0, y = 0;
  for (const TPoint& q : p) x += q.x, y += q.y;
  const int n = static_cast<int>(p.size());
  return {x / n, y / n};
}

}  // namespace

TEST(TowerSeries, TheNearerOfTwoNeighboursCoversTheOther) {
  struct Case {
    const char* view;
    std::function<void(Towers&)> set;
    std::vector<std::pair<int, int>> behind;  // (farther, nearer) value indices
  } cases[] = {
      // The map graph with its load axis inverted: the first column is nearest.
      {"map graph", [](Towers& t) { t.MapView(); t.c.chart.BottomAxis()->SetInverted(true); }, {{1, 0}, {2, 1}}},
      // Straight on in perspective: the middle column is nearest.
      {"straight on", [](Towers& t) {
         t.c.chart.View3DOptions()->SetOrthogonal(false);
         t.c.chart.View3DOptions()->SetRotation(0);
         t.c.chart.View3DOptions()->SetElevation(0);
         t.c.chart.View3DOptions()->SetPerspective(60);
       }, {{0, 1}, {2, 1}}},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.view);
    Towers t(3, 1);
    k.set(t);
    const std::vector<TColor> none = t.Alone(-1), all = t.Image();
    std::vector<std::vector<TColor>> alone;
    for (int i = 0; i < 3; ++i) alone.push_back(t.Alone(i));
    for (const auto& [far, nearer] : k.behind) {
      const int other = 3 - far - nearer;
      int overlap = 0, wrong = 0;
      for (size_t p = 0; p < all.size(); ++p) {
        const auto in = [&](int i) { return alone[static_cast<size_t>(i)][p] != none[p]; };
        if (!in(far) || !in(nearer) || in(other)) continue;
        ++overlap;
        if (all[p] != alone[static_cast<size_t>(nearer)][p]) ++wrong;
      }
      EXPECT_GT(overlap, 20) << far << " behind " << nearer;
      EXPECT_EQ(wrong, 0) << far << " behind " << nearer;
    }
  }
}

TEST(TowerSeries, OnlyACoverIsHitAndTheFirstInColumnOrderWins) {
  Towers t(2, 1);
  t.MapView();
  t.c.s.SetTowerStyle(tsCover);
  t.c.Draw();
  const std::vector<TPoint> face = t.Face(0);
  const TPoint mid = Centre(face);
  EXPECT_EQ(t.c.s.Clicked(mid.x, mid.y), 0);
  // Just beyond the face's far edge, and on the front below the cover: nothing.
  const TPoint edge = Centre({face[2], face[3]});
  const double dx = edge.x - mid.x, dy = edge.y - mid.y, len = std::hypot(dx, dy);
  EXPECT_EQ(t.c.s.Clicked(edge.x + static_cast<int>(std::lround(3 * dx / len)),
                          edge.y + static_cast<int>(std::lround(3 * dy / len))),
            -1);
  EXPECT_EQ(t.c.s.Clicked(Centre({face[0], face[1]}).x, Centre({face[0], face[1]}).y + 10), -1);
  t.c.s.SetTowerStyle(tsCube);
  EXPECT_EQ(t.c.s.Clicked(mid.x, mid.y), -1);

  // Wide covers overlapping in the middle of a 2 x 2 grid, the first point not shown: point
  // (1, 2) is found before (2, 1) and (2, 2).
  Towers w(2, 2);
  w.c.s.SetTowerStyle(tsCover);
  w.c.s.SetPercentWidth(300);
  w.c.s.SetPercentDepth(300);
  w.shown[0] = false;
  w.c.Draw();
  const TPoint p = w.c.chart.ChartCanvas()->Calculate3DPosition(
      w.c.chart.BottomAxis()->CalcXPosValue(1.5), w.c.chart.LeftAxis()->CalcYPosValue(5),
      w.c.chart.DepthAxis()->CalcPosValue(1.5));
  EXPECT_EQ(w.c.s.Clicked(p.x, p.y), 2);
}

TEST(TowerSeries, ATransparentTowerIsSeeThroughToItsFarSide) {
  for (const int rotation : {324, 30}) {
    for (const TTowerStyle style : {tsCube, tsCover}) {
      SCOPED_TRACE(testing::Message() << "rotation " << rotation << " style " << style);
      Towers t(2, 1);
      t.MapView();
      t.c.chart.View3DOptions()->SetRotation(rotation);
      t.c.s.SetTowerStyle(style);
      const std::vector<TColor> beneath = t.Alone(-1), solid = t.Alone(0);
      t.c.s.SetTransparency(50);
      const std::vector<TColor> seen = t.Alone(0);
      // Half of each, in the middle of the top, well behind the front face.
      const TPoint p = Centre(t.Face(0));
      const size_t at = static_cast<size_t>(p.y) * 400 + static_cast<size_t>(p.x);
      ASSERT_NE(solid[at], beneath[at]);
      for (int shift : {0, 8, 16}) {
        const int n = static_cast<int>((solid[at] >> shift) & 0xFF);
        const int o = static_cast<int>((beneath[at] >> shift) & 0xFF);
        EXPECT_NEAR(static_cast<int>((seen[at] >> shift) & 0xFF), n + (o - n) / 2, 1) << shift;
      }
      // And nowhere is the tower left as solid as it was.
      int drawn = 0, unblended = 0;
      for (size_t i = 0; i < seen.size(); ++i)
        if (solid[i] != beneath[i]) ++drawn, unblended += seen[i] == solid[i];
      EXPECT_GT(drawn, 1000);
      EXPECT_EQ(unblended, 0);
    }
  }
}

TEST(Vector3DSeries, ArrowsRunFromStartToEnd) {
  GridChart<TVector3DSeries> c;
  c.s.AddVector(0, 0, 0, 10, 10, 0);
  c.s.AddVector(10, 0, 0, 0, 10, 0);
  c.s.SetUseColorRange(false);
  c.s.SetSeriesColor(clBlue);
  c.Draw();
  EXPECT_EQ(c.s.EndXValues()->Value(0), 10);
  EXPECT_EQ(c.At(2, 2), clBlue);
  EXPECT_EQ(c.At(8, 2), clBlue);
  EXPECT_NE(c.At(5, 8.5), clBlue);
}

namespace {

// A vector chart whose axes hold fixed limits, so that vectors can be placed by pixel.
struct VectorChart : GridChart<TVector3DSeries> {
  VectorChart() {
    chart.BottomAxis()->SetMinMax(0, 1000);
    chart.LeftAxis()->SetMinMax(0, 1000);
    s.SetUseColorRange(false);
    s.SetSeriesColor(clBlue);
    Draw();
  }
  void AddOnScreen(TPoint From, TPoint To) {
    TChartAxis* h = chart.BottomAxis();
    TChartAxis* v = chart.LeftAxis();
    s.AddVector(h->CalcPosPoint(From.x), v->CalcPosPoint(From.y), 0, h->CalcPosPoint(To.x), v->CalcPosPoint(To.y), 0);
  }
  TColor Px(TPoint P) { return bmp.Canvas()->Pixel(P.x, P.y); }
};

double SegmentDistance(TPoint P, TPoint A, TPoint B) {
  const double dx = B.x - A.x, dy = B.y - A.y;
  const double t = std::clamp(((P.x - A.x) * dx + (P.y - A.y) * dy) / (dx * dx + dy * dy), 0.0, 1.0);
  return std::hypot(P.x - A.x - t * dx, P.y - A.y - t * dy);
}

}  // namespace

// Each head is two open barbs W back along the vector and H to either side, at the start
// and at the end alike, both pointing from start to end. The barb ends b1 and b2 are worked
// out by hand, with a pixel i1, i2 on each barb's line. In the last case the first barb
// starts at (-5.2, 3.6) rounded. A head is drawn as one thin line from b1 to the tip and
// on to b2, so b1 and the tip are drawn and b2 is left out, whichever way the head points.
TEST(Vector3DSeries, HeadsAreOpenBarbsPointingFromStartToEnd) {
  struct Case {
    TPoint d;
    int w, h;
    TPoint b1, b2, i1, i2;
  } const cases[] = {
      {{60, 0}, 8, 4, {-8, -4}, {-8, 4}, {-6, -3}, {-6, 3}},      // to the right
      {{0, -60}, 8, 4, {-4, 8}, {4, 8}, {-3, 6}, {3, 6}},         // straight up
      {{-60, 0}, 8, 4, {8, 4}, {8, -4}, {6, 3}, {6, -3}},         // to the left
      {{30, -40}, 10, 10, {-14, 2}, {2, 14}, {-7, 1}, {1, 7}},    // up a 3-4-5 slope
      {{30, -40}, 6, 2, {-5, 4}, {-2, 6}, {-5, 4}, {-1, 3}},      // the same, rounded
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(testing::Message() << k.d.x << "," << k.d.y << " W" << k.w << " H" << k.h);
    VectorChart c;
    c.s.SetArrowWidth(k.w);
    c.s.SetArrowHeight(k.h);
    c.s.StartArrow()->SetVisible(true);
    c.s.StartArrow()->SetColor(clLime);
    c.s.EndArrow()->SetColor(clRed);
    c.s.Pen()->SetColor(clYellow);  // the line takes the point's colour instead
    const TPoint from(200, 150), to(from.x + k.d.x, from.y + k.d.y);
    c.AddOnScreen(from, to);
    c.Draw();
    TChartAxis* h = c.chart.BottomAxis();
    TChartAxis* v = c.chart.LeftAxis();
    ASSERT_EQ(TPoint(h->CalcXPosValue(c.s.XValue(0)), v->CalcYPosValue(c.s.YValue(0))), from);
    ASSERT_EQ(TPoint(h->CalcXPosValue(c.s.EndXValues()->Value(0)), v->CalcYPosValue(c.s.EndYValues()->Value(0))), to);
    EXPECT_EQ(c.Px(TPoint((from.x + to.x) / 2, (from.y + to.y) / 2)), clBlue);
    for (auto [tip, color] : {std::pair{from, clLime}, std::pair{to, clRed}}) {
      auto at = [&, tip = tip](TPoint o) { return TPoint(tip.x + o.x, tip.y + o.y); };
      auto near = [&, color = color](TPoint p) {
        int n = 0;
        for (int y = -1; y <= 1; ++y)
          for (int x = -1; x <= 1; ++x) n += c.Px(TPoint(p.x + x, p.y + y)) == color;
        return n > 0;
      };
      EXPECT_EQ(c.Px(tip), color);
      EXPECT_EQ(c.Px(at(k.b1)), color);
      EXPECT_NE(c.Px(at(k.b2)), color);
      EXPECT_TRUE(near(at(k.b2)));
      EXPECT_EQ(c.Px(at(k.i1)), color);
      EXPECT_EQ(c.Px(at(k.i2)), color);
      // Nothing else around the tip: no filled triangle, no head the other way.
      const int r = k.w + k.h + 3;
      for (int y = -r; y <= r; ++y)
        for (int x = -r; x <= r; ++x) {
          const TPoint p = at(TPoint(x, y));
          if (c.Px(p) != color) continue;
          EXPECT_LE(std::min(SegmentDistance(p, tip, at(k.b1)), SegmentDistance(p, tip, at(k.b2))), 1.0) << x << "," << y;
        }
    }
  }
}

// The line is drawn with the series' pen whether the heads show or not; a head coloured
// "use series colour" takes the point's colour.
TEST(Vector3DSeries, TheLineTakesTheSeriesPenAndTheHeadsThePointsColour) {
  VectorChart c;
  c.AddOnScreen({100, 150}, {200, 150});
  c.s.Pen()->SetWidth(3);
  c.Draw();
  EXPECT_EQ(c.Px({150, 151}), clBlue);
  EXPECT_EQ(c.Px({198, 148}), clBlue);  // inside the end head's barb
  c.s.EndArrow()->Hide();
  c.Draw();
  EXPECT_EQ(c.Px({150, 151}), clBlue);
  EXPECT_NE(c.Px({198, 148}), clBlue);
}

TEST(Vector3DSeries, TakesItsPointsOnlyFromAnotherVectorSeries) {
  GridChart<TVector3DSeries> c;
  TVector3DSeries other(nullptr);
  other.AddVector(1, 2, 3, 4, 5, 6);
  c.s.SetDataSource(&other);
  ASSERT_EQ(c.s.Count(), 1);
  EXPECT_EQ(c.s.EndZValues()->Value(0), 6);
  TFastLineSeries line(nullptr);
  line.SetName("Line1");
  line.Add(7);
  try {
    c.s.SetDataSource(&line);
    FAIL();
  } catch (const ChartException& e) {
    EXPECT_EQ(e.Message(), "No valid DataSource: Line1");
  }
  EXPECT_EQ(c.s.DataSource(), &other);
}

// Sample points asked for without a count: the vector series' own 250, the base's 25.
// The series names its own editor, not the one of the grid series it derives from.
TEST(Vector3DSeries, SamplesWithoutACountTakeTheSeriesTypesOwn) {
  GridChart<TVector3DSeries> c;
  EXPECT_EQ(c.s.GetEditorClassName(), "TVectorSeriesEditor");
  c.s.FillSampleValues();
  EXPECT_EQ(c.s.Count(), 250);
  EXPECT_EQ(c.s.EndXValues()->Count(), 250);
  TFastLineSeries line(nullptr);
  line.FillSampleValues();
  EXPECT_EQ(line.Count(), 25);
}

TEST(GridSeriesStream, EachTypeLoadsAndWritesBackByteForByte) {
  struct Case {
    const char* text;
  } cases[] = {
      {"  object S: TContourSeries\n    AutomaticLevels = False\n    NumLevels = 2\n    Levels = <\n      item\n"
       "        Color = clRed\n        UpToValue = 1.5\n      end\n      item\n        Color = clBlue\n"
       "        Pen.Width = 2\n        UpToValue = 3.0\n      end>\n    Smoothing.Active = True\n"
       "    YPosition = 2.0\n  end\n"},
      {"  object S: TContourSeries\n    NumLevels = 4\n    YPositionLevel = True\n  end\n"},
      {"  object S: TColorGridSeries\n    CenteredPoints = True\n    Frame.Visible = True\n    XGridEvery = 3\n  end\n"},
      {"  object S: TTowerSeries\n    Origin = 1.0\n    TowerStyle = tsCone\n    UseOrigin = True\n  end\n"},
      {"  object S: TVector3DSeries\n    ArrowWidth = 7\n    StartArrow.Visible = True\n  end\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    RegisterChartClasses();
    const AnsiString text = AnsiString("object F: TForm\n") + c.text + "end\n";
    TForm form(nullptr);
    const AnsiString bin = ObjectTextToBinary(text);
    TReader r(bin.data(), bin.size());
    r.ReadRootComponent(&form);
    AnsiString out;
    TWriter w(out);
    w.WriteRootComponent(&form);
    const AnsiString back = ObjectBinaryToText(out);
    // Every line of the form is written back (the lists' names join them).
    size_t at = 0;
    for (size_t nl; (nl = text.find('\n', at)) != AnsiString::npos; at = nl + 1) {
      const AnsiString line = text.substr(at, nl - at);
      EXPECT_NE(back.find(line), AnsiString::npos) << line << "\n" << back;
    }
    TForm again(nullptr);
    TReader r2(out.data(), out.size());
    r2.ReadRootComponent(&again);
    AnsiString out2;
    TWriter w2(out2);
    w2.WriteRootComponent(&again);
    EXPECT_EQ(out2, out);
  }
  // A new series of each kind stores nothing but its lists' names.
  for (const char* kind : {"TContourSeries", "TColorGridSeries", "TTowerSeries", "TVector3DSeries"}) {
    SCOPED_TRACE(kind);
    TForm form(nullptr);
    form.SetName("F");
    TComponent* s = CreateComponent(kind, &form);
    s->SetName("S");
    AnsiString out;
    TWriter w(out);
    w.WriteRootComponent(&form);
    const AnsiString text = ObjectBinaryToText(out);
    for (const char* unwanted : {"ColorEachPoint", "Levels", "Frame", "Dark3D", "EndArrow", "Smoothing"})
      EXPECT_EQ(text.find(unwanted), AnsiString::npos) << unwanted << "\n" << text;
  }
}

TEST(GridSeriesGallery, SubGalleryEntriesSetTheirLook) {
  RegisterChartClasses();
  TContourSeries contour(nullptr);
  EXPECT_EQ(contour.CreateSubGallery()[3], "Positions");
  contour.SetSubGallery(3);
  EXPECT_TRUE(contour.YPositionLevel());
  TColorGridSeries grid(nullptr);
  EXPECT_EQ(grid.CreateSubGallery()[2], "No Grid");
  grid.SetSubGallery(2);
  EXPECT_FALSE(grid.Pen()->Visible());
  EXPECT_TRUE(grid.Frame() != nullptr);
  TTowerSeries tower(nullptr);
  EXPECT_EQ(tower.CreateSubGallery()[8], "Circle");
  tower.SetSubGallery(8);
  EXPECT_EQ(tower.TowerStyle(), tsCylinder);
  tower.SetSubGallery(4);
  EXPECT_TRUE(tower.Marks()->Visible());
}

TEST(GridSeriesGallery, PreparedPreviewsAreSmallSampledAndColouredOrGrey) {
  RegisterChartClasses();
  TChart chart(nullptr);
  TFastLineSeries first(nullptr), second(nullptr);
  first.SetParentChart(&chart);
  second.SetParentChart(&chart);
  first.Marks()->Show();
  first.SetColorEachPoint(true);
  first.PrepareForGallery(true);
  EXPECT_EQ(first.Count(), 4);
  EXPECT_FALSE(first.Marks()->Visible());
  EXPECT_EQ(first.Marks()->Font()->Size(), 7);
  EXPECT_EQ(first.Marks()->ArrowLength(), 4);
  EXPECT_EQ(first.Marks()->DrawEvery(), 2);
  EXPECT_FALSE(first.ColorEachPoint());
  EXPECT_EQ(first.SeriesColor(), TColor(0x0000FF));  // the palette's first colour
  second.PrepareForGallery(true);
  EXPECT_EQ(second.SeriesColor(), TColor(0xFF0000));  // the palette's fourth colour
  second.PrepareForGallery(false);
  EXPECT_EQ(second.SeriesColor(), TColor(0xC0C0C0));

  TTowerSeries tower(nullptr);
  tower.SetParentChart(&chart);
  tower.PrepareForGallery(true);
  EXPECT_EQ(tower.Count(), 25);
  EXPECT_EQ(tower.NumXValues(), 5);
  EXPECT_FALSE(tower.UseColorRange());
  EXPECT_TRUE(tower.UsePalette());
  EXPECT_EQ(tower.PaletteStyle(), psRainbow);
  EXPECT_EQ(tower.Pen()->Color(), clBlack);
  tower.PrepareForGallery(false);
  EXPECT_FALSE(tower.UsePalette());
  EXPECT_EQ(tower.Pen()->Color(), TColor(0x808080));
  EXPECT_EQ(tower.SeriesColor(), TColor(0xC0C0C0));

  TContourSeries contour(nullptr);
  contour.SetParentChart(&chart);
  contour.PrepareForGallery(false);
  EXPECT_EQ(contour.Count(), 16);  // the grid series' sample grid of 4 x 4
  EXPECT_EQ(contour.SeriesColor(), TColor(0x808080));
  EXPECT_DOUBLE_EQ(contour.YPosition(), (contour.YValues()->MaxValue() + contour.YValues()->MinValue()) * 0.5);
  EXPECT_NE(contour.YPosition(), 0);
}

TEST(GridSeriesGallery, SurfaceWaterFallAndColourGridPreviewsSampleTheirOwnGrids) {
  RegisterChartClasses();
  for (const bool enabled : {true, false}) {
    SCOPED_TRACE(enabled);
    TChart chart(nullptr);
    chart.ClipPoints = false;
    // The palette preparation, on a sample grid of NumX along X and NumZ along Z.
    auto expectPreview = [&](TCustom3DGridSeries& s, int NumX, int NumZ) {
      EXPECT_EQ(s.Count(), NumX * NumZ);
      EXPECT_EQ(s.NumXValues(), NumX);
      EXPECT_EQ(s.NumZValues(), NumZ);
      EXPECT_FALSE(s.UseColorRange());
      EXPECT_EQ(s.UsePalette(), enabled);
      EXPECT_EQ(s.Pen()->Color(), enabled ? clBlack : TColor(0x808080));
    };

    TSurfaceSeries surface(nullptr);
    surface.SetParentChart(&chart);
    chart.SetView3D(!enabled);
    surface.PrepareForGallery(enabled);
    expectPreview(surface, 10, 10);
    EXPECT_EQ(chart.View3D(), !enabled);  // a surface leaves the chart's view as it is
    EXPECT_FALSE(chart.ClipPoints);

    TWaterFallSeries fall(nullptr);
    fall.SetParentChart(&chart);
    fall.PrepareForGallery(enabled);
    expectPreview(fall, 10, 10);
    EXPECT_EQ(chart.View3D(), enabled);

    TColorGridSeries grid(nullptr);
    grid.SetParentChart(&chart);
    chart.SetView3D(!enabled);
    grid.PrepareForGallery(enabled);
    expectPreview(grid, 8, 4);
    EXPECT_EQ(chart.View3D(), enabled);
    EXPECT_TRUE(chart.ClipPoints);
  }
}

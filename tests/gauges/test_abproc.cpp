// The drawing procedures: their exact results, and a few rendered shapes probed at key pixels.
#include <gtest/gtest.h>

#include "gauges/_AbProc.h"
#include "platform/ui/Application.h"

namespace {

class AbProcTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { Application->Initialize(); }
  TBitmap bmp;
  TCanvas* Fresh(int w, int h) {
    bmp.SetSize(w, h);
    bmp.Canvas()->Brush()->SetColor(clWhite);
    bmp.Canvas()->FillRect(TRect(0, 0, w, h));
    return bmp.Canvas();
  }
  TColor At(int x, int y) { return bmp.Canvas()->Pixel(x, y); }
};

TEST_F(AbProcTest, BinaryTextBothWays) {
  struct {
    uint32_t v;
    int digits;
    const char* text;
  } cases[] = {{5, 0, "101"}, {5, 7, "00000101"}, {0, 0, "0"}, {0xFFFFFFFFu, 40, "11111111111111111111111111111111"},
               {1, -3, "1"}};
  for (auto& c : cases) {
    AnsiString t;
    IntToBinStr(c.v, c.digits, t);
    EXPECT_EQ(t, c.text) << c.v;
    EXPECT_EQ(BinStrToLongWord(t), c.v);
  }
  EXPECT_EQ(BinStrToInt("1x1"), 5);
  EXPECT_EQ(BinStrToInt(""), 0);
}

TEST_F(AbProcTest, DecadesLogLabelsAndLinearLabels) {
  int e = 99;
  EXPECT_DOUBLE_EQ(DecadeRound(0.2, e), 0.1);
  EXPECT_EQ(e, -1);
  EXPECT_DOUBLE_EQ(DecadeRound(350, e), 1000);
  EXPECT_EQ(e, 3);
  EXPECT_DOUBLE_EQ(DecadeRound(-5, e), 1);
  EXPECT_EQ(e, 0);
  AnsiString t;
  ScaleLabelText(5, "##0", t, 100, 0);
  EXPECT_EQ(t, "100;80;60;40;20;0;");
  LogScaleLabelText(-1, 3, 4, t, false, "0.#");
  EXPECT_EQ(t, "0.1;1;10;100;1000;");
  LogScaleLabelText(0, 3, 3, t, true, "0");
  EXPECT_EQ(t, "1000;100;10;1;");
  // A step count above the decade count still moves on (no endless list).
  LogScaleLabelText(0, 2, 7, t, false, "0");
  EXPECT_EQ(t, "1;10;100;");
}

TEST_F(AbProcTest, ColoursRectanglesSpans) {
  EXPECT_EQ(MixColor(clBlack, clWhite, 4, 2), RGB(128, 128, 128));
  EXPECT_EQ(MixColor(clRed, clRed, 4, 2), clRed);
  EXPECT_EQ(MixColor(clBlack, clWhite, 0, 1), clWhite);
  EXPECT_EQ(Brightness(RGB(200, 100, 0), 50), RGB(100, 50, 0));
  EXPECT_EQ(Brightness(RGB(200, 100, 0), 200), RGB(255, 200, 0));
  const TRect r(0, 0, 10, 10);
  EXPECT_TRUE(IsPointInRect(5, 10, r));
  EXPECT_FALSE(IsPointInRect(10, 5, r));
  TRect out;
  EXPECT_FALSE(IntersectRectangles(out, r, TRect(11, 0, 20, 5)));
  EXPECT_EQ(DigitalSpan(10, 0), 0);
  EXPECT_EQ(DigitalSpan(-5, 5), 10);
  EXPECT_EQ(DigitalSpan(-10, -4), 6);
  EXPECT_EQ(DigitalSpan(0, 1000), 1000);
  TPoint q;
  RotatePoint({10, 0}, {10, 10}, true, q, 90);
  EXPECT_EQ(q, TPoint(20, 10));
  RotatePoint({10, 0}, {10, 10}, false, q, 90);
  EXPECT_EQ(q, TPoint(0, 10));
  AnsiString text = "a;b", tok;
  ExtractToken(text, ';', tok);
  EXPECT_EQ(tok, "a");
  EXPECT_EQ(text, "b");
  EXPECT_EQ(MakeShapeHeader(4, 1, 2, 0), TPoint(4 + 256, 2));
}

TEST_F(AbProcTest, GradientRunsFromTopToBottomAndSurvivesEmptyRectangles) {
  TCanvas* c = Fresh(40, 40);
  PaintGradient(c, TRect(0, 0, 40, 40), clBlack, gsHorizontal1, RGB(0, 0, 200));
  EXPECT_EQ(At(20, 0), clBlack);
  EXPECT_GE(GetBValue(At(20, 39)), 190);
  EXPECT_GT(GetBValue(At(20, 20)), 80);
  EXPECT_LT(GetBValue(At(20, 20)), 120);
  for (int s = gsHorizontal1; s <= gsTopRight; ++s) {
    PaintGradient(c, TRect(5, 5, 5, 30), clBlack, static_cast<TGradientStyle>(s), clWhite);
    PaintGradient(c, TRect(5, 5, 6, 6), clBlack, static_cast<TGradientStyle>(s), clWhite);
    PaintGradient(c, TRect(0, 0, 40, 40), clBlack, static_cast<TGradientStyle>(s), clWhite);
  }
  PaintGradient(c, TRect(0, 0, 40, 40), clBlack, gsElliptic1, clWhite);
  EXPECT_EQ(At(0, 0), clWhite);  // the corners take the end colour
  EXPECT_LT(GetRValue(At(20, 20)), 30);
}

TEST_F(AbProcTest, LedShapesPieAndTurnedPolygon) {
  TCanvas* c = Fresh(60, 30);
  PaintLEDShape(c, TRect(0, 0, 20, 20), sArrowRight, clRed, clBlack);
  EXPECT_EQ(At(3, 10), clRed);
  EXPECT_EQ(At(17, 3), clWhite);  // above the arrow's slanted edge
  PaintLEDShape(c, TRect(30, 0, 50, 20), sRound, clLime, clBlack);
  EXPECT_EQ(At(40, 14), clLime);
  EXPECT_EQ(At(30, 0), clWhite);

  c = Fresh(40, 40);
  c->Brush()->SetColor(clBlue);
  c->Pen()->SetColor(clBlue);
  DrawPieSector(c, TRect(0, 0, 40, 40), 90, 0);  // 12 o'clock to 3 o'clock
  EXPECT_EQ(At(28, 10), clBlue);
  EXPECT_EQ(At(10, 10), clWhite);
  EXPECT_EQ(At(28, 30), clWhite);

  c = Fresh(40, 40);
  c->Brush()->SetColor(clRed);
  c->Pen()->SetColor(clRed);
  // A thin bar pointing up from the centre, turned a quarter clockwise: it points right.
  std::vector<TPoint> shape{MakeShapeHeader(5, 0, 0, 0), {20, 20}, {18, 20}, {22, 20}, {22, 2}, {18, 2}}, work;
  DrawRotatedPolygon(c, shape, true, work, 90);
  EXPECT_EQ(At(32, 20), clRed);
  EXPECT_EQ(At(20, 10), clWhite);
  ASSERT_EQ(work.size(), 6u);
  EXPECT_EQ(work[4], TPoint(38, 22));
}

TEST_F(AbProcTest, AnchoredTextPlacesItsBox) {
  TCanvas* c = Fresh(100, 60);
  c->Font()->SetColor(clBlack);
  c->Brush()->SetStyle(bsClear);
  const int w = c->TextWidth("WWW"), h = c->TextHeight("WWW");
  AlignedTextOut(c, 100, 60, 8, "WWW");  // bottom-right anchor: the text ends at the corner
  bool inside = false, outside = false;
  for (int y = 0; y < 60; ++y)
    for (int x = 0; x < 100; ++x)
      if (At(x, y) != clWhite) (x >= 100 - w && y >= 60 - h ? inside : outside) = true;
  EXPECT_TRUE(inside);
  EXPECT_FALSE(outside);
}

}  // namespace

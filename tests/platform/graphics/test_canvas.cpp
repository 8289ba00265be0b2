// Canvas geometry and pixel rules, checked on off-screen bitmaps by probe pixels and the
// bounding boxes of what was drawn.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/graphics/Bitmap.h"

namespace {

struct Offscreen {
  Offscreen() { setenv("QT_QPA_PLATFORM", "offscreen", 0); }
} const offscreen;

struct Surface {
  TBitmap bmp;
  TCanvas* c;
  Surface(int w, int h, TColor back = clWhite) : c(nullptr) {
    bmp.SetSize(w, h);
    c = bmp.Canvas();
    c->Brush()->SetColor(back);
    c->FillRect(Rect(0, 0, w, h));
    c->Pen()->SetColor(clBlack);
    c->Font()->SetName("Liberation Sans");
    c->Font()->SetHeight(-16);
  }
  TColor At(int x, int y) const { return c->Pixel(x, y); }
  // Bounding box of pixels that differ from `back`.
  TRect Ink(TColor back = clWhite) const {
    TRect r(1 << 20, 1 << 20, -1, -1);
    for (int y = 0; y < bmp.Height(); ++y)
      for (int x = 0; x < bmp.Width(); ++x)
        if (c->Pixel(x, y) != back) {
          r.Left = std::min(r.Left, x);
          r.Top = std::min(r.Top, y);
          r.Right = std::max(r.Right, x + 1);
          r.Bottom = std::max(r.Bottom, y + 1);
        }
    return r;
  }
  std::vector<TColor> Snapshot() const {
    std::vector<TColor> v;
    for (int y = 0; y < bmp.Height(); ++y)
      for (int x = 0; x < bmp.Width(); ++x) v.push_back(c->Pixel(x, y));
    return v;
  }
};

TEST(Canvas, FiguresLeaveOutRightAndBottomEdges) {
  struct Row {
    const char* what;
    void (*draw)(TCanvas*);
    TRect ink;
  };
  const Row rows[] = {
      {"Rectangle", [](TCanvas* c) { c->Rectangle(10, 10, 20, 20); }, Rect(10, 10, 20, 20)},
      {"FillRect", [](TCanvas* c) { c->Brush()->SetColor(clRed); c->FillRect(Rect(5, 6, 15, 9)); }, Rect(5, 6, 15, 9)},
      {"FrameRect", [](TCanvas* c) { c->Brush()->SetColor(clRed); c->FrameRect(Rect(5, 6, 15, 9)); }, Rect(5, 6, 15, 9)},
      {"Ellipse", [](TCanvas* c) { c->Ellipse(10, 10, 31, 21); }, Rect(10, 10, 31, 21)},
      {"RoundRect", [](TCanvas* c) { c->RoundRect(2, 3, 30, 20, 6, 6); }, Rect(2, 3, 30, 20)},
      {"Reversed corners", [](TCanvas* c) { c->Rectangle(20, 20, 10, 10); }, Rect(10, 10, 20, 20)},
      {"LineTo", [](TCanvas* c) { c->MoveTo(3, 5); c->LineTo(13, 5); }, Rect(3, 5, 13, 6)},
      {"Vertical LineTo", [](TCanvas* c) { c->MoveTo(4, 2); c->LineTo(4, 12); }, Rect(4, 2, 5, 12)},
      {"Polyline", [](TCanvas* c) { c->Polyline({{2, 2}, {12, 2}, {12, 9}}); }, Rect(2, 2, 13, 9)},
      {"Clear pen rectangle", [](TCanvas* c) {
         c->Pen()->SetStyle(psClear); c->Brush()->SetColor(clBlue); c->Rectangle(10, 10, 20, 20);
       }, Rect(10, 10, 19, 19)},
  };
  for (const auto& row : rows) {
    Surface s(40, 30);
    row.draw(s.c);
    EXPECT_EQ(s.Ink(), row.ink) << row.what;
  }
}

// A one-pixel line draws its start pixel and leaves out its end pixel whichever way it
// runs, one pixel per step along its longer axis; its dashes count from the start.
TEST(Canvas, OnePixelLinesDrawTheirStartAndLeaveOutTheirEnd) {
  const TPoint ends[] = {{12, 0}, {-12, 0}, {0, 12}, {0, -12}, {12, 12}, {-12, -12}, {12, -5}, {-5, 12}, {-12, 7}, {3, -12}};
  for (const TPoint d : ends) {
    Surface s(40, 40);
    s.c->MoveTo(20, 20);
    s.c->LineTo(20 + d.x, 20 + d.y);
    EXPECT_EQ(s.At(20, 20), clBlack) << d.x << "," << d.y;
    EXPECT_EQ(s.At(20 + d.x, 20 + d.y), clWhite) << d.x << "," << d.y;
    int inked = 0;
    for (TColor c : s.Snapshot()) inked += c == clBlack;
    EXPECT_EQ(inked, 12) << d.x << "," << d.y;
    EXPECT_EQ(s.c->PenPos(), TPoint(20 + d.x, 20 + d.y));
  }
  for (TPenStyle style : {psDot, psAlternate}) {
    Surface s(40, 10);
    s.c->Pen()->SetStyle(style);
    s.c->MoveTo(30, 5);
    s.c->LineTo(10, 5);
    const int on = style == psDot ? 3 : 1;
    for (int x = 11; x <= 30; ++x) EXPECT_EQ(s.At(x, 5) == clBlack, (30 - x) / on % 2 == 0) << style << " " << x;
    EXPECT_EQ(s.At(10, 5), clWhite);
  }
  // A closed figure drawn as a chain of lines, in either turning sense, has each corner
  // once: drawn over itself in XOR it leaves nothing, and its outline has no hole.
  for (bool reversed : {false, true}) {
    std::vector<TPoint> chain = {{5, 5}, {30, 9}, {22, 30}, {6, 24}, {5, 5}};
    if (reversed) std::reverse(chain.begin(), chain.end());
    Surface s(40, 40);
    s.c->Pen()->SetMode(pmNot);
    s.c->Polyline(chain);
    for (size_t i = 0; i + 1 < chain.size(); ++i) EXPECT_EQ(s.At(chain[i].x, chain[i].y), clBlack) << reversed << " " << i;
    Surface t(40, 40);
    t.c->Pen()->SetMode(pmNot);
    for (size_t i = 0; i + 1 < chain.size(); ++i) {
      t.c->MoveTo(chain[i].x, chain[i].y);
      t.c->LineTo(chain[i + 1].x, chain[i + 1].y);
    }
    EXPECT_EQ(t.Snapshot(), s.Snapshot()) << reversed;
  }
}

TEST(Canvas, PolygonFillsAlternately) {
  Surface s(60, 60);
  s.c->Brush()->SetColor(clRed);
  s.c->Pen()->SetStyle(psClear);
  // A pentagram: its centre is enclosed twice and stays unfilled.
  s.c->Polygon({{30, 2}, {48, 56}, {2, 22}, {58, 22}, {12, 56}});
  EXPECT_EQ(s.At(30, 33), clWhite);
  EXPECT_EQ(s.At(30, 12), clRed);
}

TEST(Canvas, ArcPieAndChordRunCounterClockwiseFromStartToEndRay) {
  // From the east ray to the north ray counter-clockwise: the upper-right quarter.
  Surface s(101, 101);
  s.c->Arc(0, 0, 101, 101, 100, 50, 50, 0);
  TRect ink = s.Ink();
  EXPECT_GE(ink.Left, 48);
  EXPECT_LE(ink.Bottom, 53);
  EXPECT_GE(ink.Right, 99);
  EXPECT_LE(ink.Top, 1);

  // Swapping the rays takes the other three quarters.
  Surface t(101, 101);
  t.c->Arc(0, 0, 101, 101, 50, 0, 100, 50);
  ink = t.Ink();
  EXPECT_LE(ink.Left, 1);
  EXPECT_GE(ink.Bottom, 99);

  Surface pie(101, 101);
  pie.c->Brush()->SetColor(clRed);
  pie.c->Pie(0, 0, 101, 101, 100, 50, 50, 0);
  EXPECT_EQ(pie.At(70, 30), clRed);    // inside the upper-right slice
  EXPECT_EQ(pie.At(70, 70), clWhite);  // lower right stays empty
  EXPECT_EQ(pie.At(30, 30), clWhite);

  Surface chord(101, 101);
  chord.c->Brush()->SetColor(clRed);
  chord.c->Chord(0, 0, 101, 101, 100, 50, 50, 0);
  EXPECT_EQ(chord.At(85, 15), clRed);    // between the arc and its chord
  EXPECT_EQ(chord.At(60, 40), clWhite);  // beyond the chord, towards the centre

  Surface full(41, 41);
  full.c->Arc(0, 0, 41, 41, 40, 20, 40, 20);  // equal rays: the whole ellipse
  EXPECT_EQ(full.Ink(), Rect(0, 0, 41, 41));
}

TEST(Canvas, XorAndNotDrawingTwiceRestoresThePicture) {
  for (TPenMode mode : {pmXor, pmNot, pmNotXor}) {
    Surface s(50, 40);
    for (int y = 0; y < 40; ++y)
      for (int x = 0; x < 50; ++x) s.c->SetPixel(x, y, RGB(x * 5, y * 6, (x * y) & 0xFF));
    const auto before = s.Snapshot();
    s.c->Pen()->SetMode(mode);
    s.c->Pen()->SetColor(clYellow);
    s.c->Brush()->SetColor(clBlue);
    auto draw = [&] {
      s.c->Rectangle(5, 5, 30, 25);
      s.c->Ellipse(10, 3, 45, 38);
      s.c->MoveTo(0, 39);
      s.c->LineTo(49, 0);
      s.c->Polyline({{1, 1}, {20, 1}, {20, 30}, {3, 30}});
    };
    draw();
    EXPECT_NE(s.Snapshot(), before) << mode;
    draw();
    EXPECT_EQ(s.Snapshot(), before) << mode;
  }
}

TEST(Canvas, XorCombinesWithTheBackground) {
  Surface s(10, 10, RGB(0x0F, 0xF0, 0x55));
  s.c->Pen()->SetMode(pmXor);
  s.c->Pen()->SetColor(RGB(0xFF, 0xFF, 0x00));
  s.c->MoveTo(0, 0);
  s.c->LineTo(5, 0);
  EXPECT_EQ(s.At(2, 0), RGB(0xF0, 0x0F, 0x55));
}

TEST(Canvas, ClipRectanglesAndRegions) {
  Surface s(40, 40);
  s.c->SetClipRect(Rect(10, 10, 20, 20));
  s.c->Brush()->SetColor(clRed);
  s.c->FillRect(Rect(0, 0, 40, 40));
  EXPECT_EQ(s.Ink(), Rect(10, 10, 20, 20));

  // A ring: the ellipse less a centre square, combined by DIFF.
  Surface r(40, 40);
  TRegion ring;
  ring.Combine(TRegion::FromEllipse(Rect(0, 0, 40, 40)), TRegion::FromRect(Rect(15, 15, 25, 25)), RGN_DIFF);
  r.c->SetClipRegion(&ring);
  r.c->Brush()->SetColor(clRed);
  r.c->FillRect(Rect(0, 0, 40, 40));
  EXPECT_EQ(r.At(20, 20), clWhite);  // the hole
  EXPECT_EQ(r.At(0, 0), clWhite);    // outside the ellipse
  EXPECT_EQ(r.At(20, 5), clRed);
  r.c->SetClipRegion(nullptr);
  EXPECT_FALSE(r.c->HasClip());

  TRegion a = TRegion::FromRect(Rect(0, 0, 10, 10)), b = TRegion::FromRect(Rect(5, 5, 15, 15)), x;
  x.Combine(a, b, RGN_AND);
  EXPECT_EQ(x.BoundingBox(), Rect(5, 5, 10, 10));
  x.Combine(a, b, RGN_OR);
  EXPECT_EQ(x.BoundingBox(), Rect(0, 0, 15, 15));
  x.Combine(a, b, RGN_XOR);
  EXPECT_TRUE(x.Contains(Point(1, 1)));
  EXPECT_FALSE(x.Contains(Point(7, 7)));
  TRegion tri = TRegion::FromPolygon({{0, 0}, {20, 0}, {0, 20}});
  EXPECT_TRUE(tri.Contains(Point(2, 2)));
  EXPECT_FALSE(tri.Contains(Point(18, 18)));

  Surface e(40, 40);
  e.c->ExcludeClipRect(Rect(0, 0, 20, 40));
  e.c->Brush()->SetColor(clRed);
  e.c->FillRect(Rect(0, 0, 40, 40));
  EXPECT_EQ(e.Ink(), Rect(20, 0, 40, 40));
}

TEST(Canvas, TextCellOpaqueOrTransparent) {
  Surface s(200, 60);
  s.c->Brush()->SetColor(clYellow);
  const TSize ext = s.c->TextExtent("Hg");
  EXPECT_GT(ext.cx, 0);
  EXPECT_GE(ext.cy, 16);
  s.c->TextOut(10, 10, "Hg");
  // The opaque cell covers exactly the text extent from the reference point.
  EXPECT_EQ(s.At(10, 10), clYellow);
  EXPECT_EQ(s.At(10 + ext.cx - 1, 10 + ext.cy - 1), clYellow);
  EXPECT_EQ(s.At(10 + ext.cx, 10), clWhite);
  EXPECT_EQ(s.At(9, 10), clWhite);

  Surface t(200, 60);
  t.c->Brush()->SetStyle(bsClear);
  t.c->TextOut(10, 10, "Hg");
  const TRect ink = t.Ink();
  EXPECT_GE(ink.Left, 10);
  EXPECT_GE(ink.Top, 10);
  EXPECT_LE(ink.Right, 10 + ext.cx);
  EXPECT_LE(ink.Bottom, 10 + ext.cy);
  EXPECT_EQ(t.At(ink.Left + 1, ink.Top - 1), clWhite);

  // An explicit background mode wins until the brush changes again.
  Surface u(200, 60);
  u.c->Brush()->SetColor(clYellow);
  u.c->SetBkMode(TRANSPARENT);
  u.c->TextOut(10, 10, "Hg");
  EXPECT_EQ(u.At(10, 10), clWhite);
  EXPECT_EQ(u.c->BkMode(), TRANSPARENT);
  u.c->Brush()->SetColor(clAqua);
  EXPECT_EQ(u.c->BkMode(), OPAQUE);
}

TEST(Canvas, TextReferencePointsAndWidth) {
  Surface s(200, 80);
  s.c->Brush()->SetStyle(bsClear);
  EXPECT_EQ(s.c->TextWidth("MMMM"), 4 * s.c->TextWidth("M"));
  s.c->SetTextAlign(TA_RIGHT | TA_BOTTOM);
  s.c->TextOut(100, 50, "Ab");
  const TRect ink = s.Ink();
  EXPECT_LE(ink.Right, 100);
  EXPECT_GE(ink.Right, 100 - 4);
  EXPECT_LE(ink.Bottom, 50);
}

// A text is set out straight onto the surface the first time it is drawn and from a kept
// picture after that: both must give the same pixels, in any colour, opaque or not.
TEST(Canvas, ATextDrawsTheSamePixelsTheFirstTimeAndAfter) {
  const char* const texts[] = {"Qz 12.5 kPa", "AFR 14.7:1", "g-j,p;"};
  for (const char* text : texts) {
    for (TColor colour : {clBlack, clRed}) {
      for (bool opaque : {false, true}) {
        SCOPED_TRACE(testing::Message() << text << " " << colour << " " << opaque);
        std::vector<TColor> shots[3];
        for (auto& shot : shots) {
          Surface s(160, 40);
          s.c->Font()->SetColor(colour);
          s.c->Brush()->SetStyle(opaque ? bsSolid : bsClear);
          s.c->Brush()->SetColor(clYellow);
          s.c->TextOut(7, 9, text);
          shot = s.Snapshot();
        }
        EXPECT_EQ(shots[0], shots[1]);
        EXPECT_EQ(shots[1], shots[2]);
      }
    }
  }
}

// Spaces at the end of a text take their room: a right-aligned "12 " stands clear of the edge.
TEST(Canvas, TrailingSpacesCountInATextsWidth) {
  Surface s(100, 30);
  const int space = s.c->TextWidth(" ");
  ASSERT_GT(space, 0);
  EXPECT_EQ(s.c->TextWidth("12  "), s.c->TextWidth("12") + 2 * space);
  EXPECT_EQ(s.c->TextWidth("  12"), s.c->TextWidth("12") + 2 * space);
}

TEST(Canvas, RotatedTextRunsUpwardFromTheReferencePoint) {
  Surface s(120, 160);
  s.c->Brush()->SetStyle(bsClear);
  const TSize ext = s.c->TextExtent("HHHHHH");
  s.c->Font()->SetOrientation(900);
  s.c->TextOut(40, 140, "HHHHHH");
  const TRect ink = s.Ink();
  // Turned a quarter counter-clockwise, the line runs up and its cell lies to the right.
  EXPECT_GE(ink.Left, 40);
  EXPECT_LE(ink.Right, 40 + ext.cy + 1);
  EXPECT_LE(ink.Bottom, 141);
  EXPECT_GE(ink.Top, 140 - ext.cx - 1);
  EXPECT_GT(ink.Height(), ink.Width());
}

TEST(Canvas, DrawTextAlignsWrapsAndShortens) {
  Surface s(200, 100);
  s.c->Brush()->SetStyle(bsClear);
  const int lh = s.c->TextHeight("X");
  TRect r = Rect(10, 10, 190, 90);
  s.c->DrawText("Right", r, DT_RIGHT | DT_VCENTER | DT_SINGLELINE);
  TRect ink = s.Ink();
  EXPECT_LE(ink.Right, 190);
  EXPECT_GE(ink.Right, 186);
  EXPECT_GE(ink.Top, 10 + (80 - lh) / 2);
  EXPECT_LE(ink.Bottom, 10 + (80 - lh) / 2 + lh);

  TRect calc = Rect(0, 0, 60, 0);
  const int h = s.c->DrawText("one two three four five six", calc, DT_WORDBREAK | DT_CALCRECT);
  EXPECT_GE(h, 3 * lh);
  EXPECT_EQ(calc.Bottom, h);
  EXPECT_LE(calc.Right, 60);

  TRect one = Rect(0, 0, 0, 0);
  s.c->DrawText("&File", one, DT_CALCRECT | DT_SINGLELINE);
  EXPECT_EQ(one.Width(), s.c->TextWidth("File"));

  Surface e(200, 40);
  e.c->Brush()->SetStyle(bsClear);
  TRect narrow = Rect(5, 5, 60, 30);
  e.c->DrawText("A rather long caption that does not fit", narrow, DT_END_ELLIPSIS | DT_SINGLELINE);
  EXPECT_LE(e.Ink().Right, 60);
}

TEST(Canvas, CopyModesAndDrawing) {
  Surface src(10, 10, clRed);
  Surface dst(20, 20, clBlue);
  dst.c->CopyRect(Rect(5, 5, 15, 15), src.c, Rect(0, 0, 10, 10));
  EXPECT_EQ(dst.At(5, 5), clRed);
  EXPECT_EQ(dst.At(14, 14), clRed);
  EXPECT_EQ(dst.At(15, 15), clBlue);
  dst.c->SetCopyMode(cmSrcInvert);
  dst.c->CopyRect(Rect(0, 0, 10, 10), src.c, Rect(0, 0, 10, 10));
  EXPECT_EQ(dst.At(0, 0), clFuchsia);  // red XOR blue
  dst.c->CopyRect(Rect(0, 0, 10, 10), src.c, Rect(0, 0, 10, 10));
  EXPECT_EQ(dst.At(0, 0), clBlue);

  Surface big(40, 40);
  big.c->StretchDraw(Rect(0, 0, 20, 40), &src.bmp);
  EXPECT_EQ(big.Ink(), Rect(0, 0, 20, 40));

  src.bmp.SetTransparent(true);  // the bottom-left colour (red) becomes see-through
  src.c->SetPixel(4, 4, clLime);
  Surface over(10, 10);
  over.c->Draw(0, 0, &src.bmp);
  EXPECT_EQ(over.At(0, 0), clWhite);
  EXPECT_EQ(over.At(4, 4), clLime);
}

TEST(Canvas, PixelsAndDrawingWithoutASurface) {
  Surface s(4, 4);
  s.c->SetPixel(1, 2, RGB(1, 2, 3));
  EXPECT_EQ(s.At(1, 2), RGB(1, 2, 3));
  EXPECT_EQ(s.At(4, 0), CLR_INVALID);
  s.c->SetPixel(-1, 9, clRed);  // dropped, no crash

  TCanvas bare;
  EXPECT_FALSE(bare.HandleAllocated());
  EXPECT_THROW(bare.Rectangle(0, 0, 2, 2), EInvalidOperation);
  EXPECT_EQ(bare.Pixel(0, 0), CLR_INVALID);
}

}  // namespace

// A right-angled corner of a 9-pixel pen is filled out by a miter join, cut across by a
// bevel and rounded by a round join.
TEST(Canvas, WidePensJoinAsTheirPenSays) {
  struct Join {
    TPenJoin join;
    bool corner, diagonal;
  } const joins[] = {{pjMiter, true, true}, {pjBevel, false, false}, {pjRound, false, true}};
  for (const Join& k : joins) {
    Surface s(60, 50);
    s.c->Pen()->SetWidth(9);
    s.c->Pen()->SetEndCap(pecFlat);
    s.c->Pen()->SetJoin(k.join);
    s.c->Polyline({{5, 30}, {40, 30}, {40, 0}});
    EXPECT_EQ(s.At(44, 34) == clBlack, k.corner) << k.join;  // the outer corner
    EXPECT_EQ(s.At(42, 32) == clBlack, k.diagonal) << k.join;
    EXPECT_EQ(s.At(39, 34), clBlack) << k.join;
  }
}

// A wide pen keeps its dashes, with gaps along the line whatever its ends.
TEST(Canvas, WideDashedPensLeaveGapsWhateverTheirEnds) {
  for (TPenEndCap cap : {pecFlat, pecSquare, pecRound})
    for (TPenStyle style : {psDash, psDot, psDashDot, psDashDotDot}) {
      Surface s(80, 10);
      s.c->Pen()->SetWidth(3);
      s.c->Pen()->SetStyle(style);
      s.c->Pen()->SetEndCap(cap);
      s.c->MoveTo(5, 5);
      s.c->LineTo(75, 5);
      int inked = 0, gaps = 0;
      for (int x = 5; x < 75; ++x) {
        const bool on = s.At(x, 5) == clBlack;
        inked += on;
        gaps += !on && s.At(x - 1, 5) == clBlack;
      }
      EXPECT_GE(gaps, 6) << cap << " " << style;
      EXPECT_GE(inked, 20) << cap << " " << style;
      EXPECT_LE(inked, 58) << cap << " " << style;
    }
}

// Owner-drawn combo and list boxes: the rows and the combo's field are drawn by the
// OnDrawItem handler on the control's canvas, seen in an offscreen grab.
#include "StdFixture.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Canvas.h"
#include "platform/stdctrls/StdCtrls.h"
#include "platform/ui/Simulate.h"

namespace {

// The rows of column x of the grab whose pixel is `color`, as [first, last] runs.
std::vector<std::pair<int, int>> Runs(TBitmap& shot, int x, TColor color) {
  std::vector<std::pair<int, int>> runs;
  for (int y = 0; y < shot.Height(); ++y) {
    if (shot.Canvas()->Pixel(x, y) != color) continue;
    if (!runs.empty() && runs.back().second == y - 1) runs.back().second = y;
    else runs.push_back({y, y});
  }
  return runs;
}

struct Drawn {
  int index;
  TRect rect;
  TOwnerDrawState state;
  TColor brush;
};

TEST_F(StdTest, OwnerDrawnListDrawsEachRowThroughItsHandlerAtItsHeight) {
  TForm* f = NewForm(200, 200);
  auto* l = Place<TListBox>(f, 10, 10, 120, 150);
  l->SetStyle(lbOwnerDrawFixed);
  l->SetItemHeight(20);
  for (const char* s : {"one", "two", "three"}) l->Items()->Add(s);
  l->SetItemIndex(2);
  std::vector<Drawn> drawn;
  l->OnDrawItem = [&](TWinControl* c, int i, TRect r, TOwnerDrawState st) {
    EXPECT_EQ(c, l);
    drawn.push_back({i, r, st, l->Canvas()->Brush()->Color()});
    l->Canvas()->FillRect(r);  // the background it was given
    l->Canvas()->Brush()->SetColor(i == 1 ? clBlue : clRed);
    l->Canvas()->FillRect(TRect(r.Left + 2, r.Top + 2, r.Left + 12, r.Bottom - 2));
  };
  f->Show();
  TBitmap shot;
  ui::GrabControl(l, shot);

  ASSERT_GE(drawn.size(), 3u);
  for (const Drawn& d : drawn) {
    EXPECT_EQ(d.rect.Height(), 20) << d.index;
    EXPECT_EQ(d.state.Contains(odSelected), d.index == 2) << d.index;
    EXPECT_EQ(d.brush, d.index == 2 ? clHighlight : clWindow) << d.index;
  }
  // Row 1's sample: 16 rows of blue, 20 rows below row 0's red one.
  const TRect r1 = drawn[1].rect;
  int x = -1;
  for (int cx = 0; cx < shot.Width() && x < 0; ++cx)
    if (shot.Canvas()->Pixel(cx, shot.Height() / 4) == clRed || !Runs(shot, cx, clBlue).empty()) x = cx;
  ASSERT_GE(x, 0);
  const auto blue = Runs(shot, x + 1, clBlue);
  const auto red = Runs(shot, x + 1, clRed);
  ASSERT_EQ(blue.size(), 1u);
  ASSERT_EQ(red.size(), 2u);
  EXPECT_EQ(blue[0].second - blue[0].first + 1, r1.Height() - 4);
  EXPECT_EQ(blue[0].first - red[0].first, 20);
  EXPECT_EQ(red[1].first - blue[0].first, 20);
}

TEST_F(StdTest, OwnerDrawnComboDrawsItsChosenItemInTheField) {
  TForm* f = NewForm(200, 100);
  auto* c = Place<TComboBox>(f, 10, 10, 140, 24);
  c->SetStyle(csOwnerDrawFixed);
  for (const char* s : {"one", "two"}) c->Items()->Add(s);
  std::vector<Drawn> drawn;
  c->OnDrawItem = [&](TWinControl*, int i, TRect r, TOwnerDrawState st) {
    drawn.push_back({i, r, st, c->Canvas()->Brush()->Color()});
    c->Canvas()->FillRect(r);
    c->Canvas()->Brush()->SetColor(i == 1 ? clLime : clRed);
    c->Canvas()->FillRect(TRect(r.Left + 2, r.Top + 2, r.Left + 20, r.Bottom - 2));
  };
  f->Show();
  TBitmap shot;
  ui::GrabControl(c, shot);
  EXPECT_TRUE(drawn.empty());  // nothing chosen: an empty field
  c->SetItemIndex(1);
  ui::GrabControl(c, shot);
  ASSERT_FALSE(drawn.empty());
  EXPECT_EQ(drawn.back().index, 1);
  EXPECT_TRUE(drawn.back().state.Contains(odComboBoxEdit));
  int lime = 0;
  for (int y = 0; y < shot.Height(); ++y)
    for (int x = 0; x < shot.Width(); ++x) lime += shot.Canvas()->Pixel(x, y) == clLime;
  EXPECT_GE(lime, 18 * 6);
}

TEST_F(StdTest, OwnerDrawnListWithoutHandlerStillShowsItsTexts) {
  TForm* f = NewForm(200, 120);
  auto* l = Place<TListBox>(f, 10, 10, 120, 80);
  l->SetStyle(lbOwnerDrawFixed);
  l->Items()->Add("Solid");
  f->Show();
  TBitmap shot;
  ui::GrabControl(l, shot);
  int dark = 0;
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 60; ++x) dark += ColorToRGB(shot.Canvas()->Pixel(x, y)) == ColorToRGB(clWindowText);
  EXPECT_GT(dark, 5);
}

}  // namespace

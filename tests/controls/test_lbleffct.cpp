// The effect label: styles and schemes setting groups of properties, and the drawn
// copies of the caption (offsets, depths, real shadows, turned text).
#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <memory>
#include "controls/LblEffct.h"
#include "platform/ui/Application.h"
#include "platform/ui/Simulate.h"

namespace {

class LabelEffectTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    Application->Initialize();
  }
  void SetUp() override {
    form = std::make_unique<TForm>(nullptr);
    form->SetClientSize(400, 400);
    label = new TLabelEffect(form.get());
    label->SetParent(form.get());
    label->SetBounds(0, 0, 200, 200);
    label->SetCaption("IH");
    label->Font()->SetName("Arial");
    label->Font()->SetSize(40);
    label->Font()->SetStyle(TFontStyles{fsBold});
    label->SetTransparent(false);
    label->SetColor(clRed);
  }
  // Renders the label as the screen would show it.
  void Draw() { ui::GrabControl(label, shot); }
  TColor At(int x, int y) { return shot.Canvas()->Pixel(x, y); }
  // Bounding box of the pixels of exactly one colour (Right/Bottom inclusive), empty if none.
  TRect Box(TColor c) {
    TRect r{INT_MAX, INT_MAX, INT_MIN, INT_MIN};
    TCanvas* cv = shot.Canvas();
    for (int y = 0; y < label->Height(); ++y)
      for (int x = 0; x < label->Width(); ++x)
        if (cv->Pixel(x, y) == c) {
          r.Left = std::min(r.Left, x);
          r.Top = std::min(r.Top, y);
          r.Right = std::max(r.Right, x);
          r.Bottom = std::max(r.Bottom, y);
        }
    return r;
  }
  int Count(TColor c) {
    int n = 0;
    for (int y = 0; y < label->Height(); ++y)
      for (int x = 0; x < label->Width(); ++x) n += At(x, y) == c;
    return n;
  }
  std::unique_ptr<TForm> form;
  TLabelEffect* label = nullptr;
  TBitmap shot;
};

TEST_F(LabelEffectTest, EffectStylesSetTheirRows) {
  struct Row {
    TEffectStyle style;
    TEffectDirection hd, sd;
    int hdepth, sdepth;
  } rows[] = {
      {esNone, edNone, edNone, 0, 0},         {esRaised, edUpLeft, edDownRight, 1, 1},
      {esSunken, edDownRight, edUpLeft, 1, 1}, {esShadow, edNone, edDownRight, 0, 2},
      {esFlying, edDownRight, edDownRight, 1, 5},
  };
  for (const Row& r : rows) {
    TLabelEffect l(nullptr);
    l.SetEffectStyle(esCustom);
    l.SetEffectStyle(r.style);
    EXPECT_EQ(l.EffectStyle(), r.style) << int(r.style);
    EXPECT_EQ(l.DirectionHighlight(), r.hd) << int(r.style);
    EXPECT_EQ(l.DirectionShadow(), r.sd) << int(r.style);
    EXPECT_EQ(l.DepthHighlight(), r.hdepth) << int(r.style);
    EXPECT_EQ(l.DepthShadow(), r.sdepth) << int(r.style);
    EXPECT_EQ(l.ColourScheme(), csWindows) << "styles do not touch the scheme";
  }
  TLabelEffect flying(nullptr);
  flying.SetEffectStyle(esFlying);
  EXPECT_EQ(flying.ColourHighlight(), clBlack) << "the scheme's shadow colour";
}

TEST_F(LabelEffectTest, HandSettingsTurnStyleAndSchemeCustom) {
  TLabelEffect l(nullptr);
  l.SetDepthShadow(3);
  EXPECT_EQ(l.EffectStyle(), esCustom);
  EXPECT_EQ(l.ColourScheme(), csWindows);
  l.SetColourShadow(clBlue);
  EXPECT_EQ(l.ColourScheme(), csCustom);
  EXPECT_EQ(l.ColourShadow(), clBlue);
  // A scheme then custom again brings back the hand-set colours copied from that scheme.
  l.SetColourScheme(csGold);
  EXPECT_EQ(l.ColourHighlight(), clYellow);
  EXPECT_EQ(l.ColourShadow(), clBlack);
  EXPECT_EQ(l.Font()->Color(), clOlive);
  l.SetColourScheme(csCustom);
  EXPECT_EQ(l.ColourHighlight(), clYellow);
  EXPECT_EQ(l.Font()->Color(), clOlive);
}

TEST_F(LabelEffectTest, AsButtonAndAngle) {
  TLabelEffect l(nullptr);
  l.SetEffectStyle(esNone);
  l.SetAsButton(true);
  EXPECT_EQ(l.EffectStyle(), esRaised);
  l.MouseDown(mbLeft, TShiftState{ssLeft}, 5, 5);
  EXPECT_EQ(l.EffectStyle(), esSunken);
  l.MouseMove(TShiftState{ssLeft}, 500, 5);
  EXPECT_EQ(l.EffectStyle(), esRaised);
  l.MouseMove(TShiftState{ssLeft}, 5, 5);
  EXPECT_EQ(l.EffectStyle(), esSunken);
  l.MouseUp(mbLeft, TShiftState{}, 5, 5);
  EXPECT_EQ(l.EffectStyle(), esRaised);
  EXPECT_TRUE(l.AsButton());
  l.SetEffectStyle(esShadow);
  EXPECT_FALSE(l.AsButton());

  l.SetAlignment(taCenter);
  l.SetAngle(90);
  EXPECT_EQ(l.Alignment(), taLeftJustify);
}

TEST_F(LabelEffectTest, FaceOnlyWithBothDirectionsNone) {
  label->SetEffectStyle(esCustom);
  label->SetDirectionHighlight(edNone);
  label->SetDirectionShadow(edNone);
  label->Font()->SetColor(clBlue);
  Draw();
  EXPECT_GT(Count(clBlue), 100);
  EXPECT_EQ(Count(clBlack), 0);
  EXPECT_EQ(Count(clWhite), 0);
}

TEST_F(LabelEffectTest, CopiesSitAtTheirOffsets) {
  label->SetColourScheme(csCustom);
  label->Font()->SetColor(clBlue);
  label->SetColourShadow(clBlack);
  label->SetColourHighlight(clLime);
  struct Row {
    TEffectDirection dir;
    int depth;
  } rows[] = {{edDownRight, 3}, {edDownRight, 5}, {edDown, 4}, {edRight, 3}};
  for (const Row& r : rows) {
    label->SetDirectionShadow(r.dir);
    label->SetDepthShadow(static_cast<TEffectDepth>(r.depth));
    label->SetDirectionHighlight(edUpLeft);
    label->SetDepthHighlight(3);
    Draw();
    const TRect face = Box(clBlue), shadow = Box(clBlack), high = Box(clLime);
    const TEffectOffset d = EffectOffset(r.dir);
    ASSERT_LE(face.Left, face.Right);
    // Face pixels never move with the effect's extent except by -lo (the highlight's 3).
    if (d.dx > 0) {
      EXPECT_EQ(shadow.Right - face.Right, r.depth) << int(r.dir);
    }
    if (d.dy > 0) {
      EXPECT_EQ(shadow.Bottom - face.Bottom, r.depth) << int(r.dir);
    }
    EXPECT_EQ(face.Left - high.Left, 3);
    EXPECT_EQ(face.Top - high.Top, 3);
  }
}

TEST_F(LabelEffectTest, ExtrudeFillsEveryStep) {
  label->SetColourScheme(csCustom);
  label->Font()->SetColor(clBlue);
  label->SetColourShadow(clBlack);
  label->SetDirectionHighlight(edNone);
  label->SetDirectionShadow(edRight);
  label->SetDepthShadow(12);
  Draw();
  const int normal = Count(clBlack);
  label->SetStyleShadow(eoExtrude);
  Draw();
  EXPECT_GT(Count(clBlack), normal) << "steps 1..11 fill the gap to the face";
}

TEST_F(LabelEffectTest, GraduatedDepthOneIsNormal) {
  label->SetDepthShadow(1);
  label->SetDepthHighlight(1);
  Draw();
  std::vector<TColor> normal;
  for (int y = 0; y < 200; ++y)
    for (int x = 0; x < 200; ++x) normal.push_back(At(x, y));
  label->SetStyleShadow(eoGraduated);
  label->SetStyleHighlight(eoGraduated);
  Draw();
  size_t i = 0, differ = 0;
  for (int y = 0; y < 200; ++y)
    for (int x = 0; x < 200; ++x) differ += At(x, y) != normal[i++];
  EXPECT_EQ(differ, 0u);
}

TEST_F(LabelEffectTest, RealShadowHalvesTheBackground) {
  label->SetColourScheme(csCustom);
  label->Font()->SetColor(clBlue);
  label->SetDirectionHighlight(edNone);
  label->SetDirectionShadow(edDownRight);
  label->SetDepthShadow(4);
  label->SetStyleShadow(eoReal);
  Draw();
  EXPECT_GT(Count(0x00007F), 50) << "red background halved under the shadow";
  EXPECT_EQ(Count(clBlack), 0);
  label->SetDirectionShadow(edNone);
  label->SetDirectionHighlight(edUpLeft);
  label->SetDepthHighlight(4);
  label->SetStyleHighlight(eoReal);
  Draw();
  EXPECT_GT(Count(0x7F7FFF), 50) << "red lightened: (c + 255) div 2";
}

TEST_F(LabelEffectTest, TransparentKeepsWhatIsUnderneath) {
  label->SetTransparent(true);
  label->SetEffectStyle(esNone);
  form->SetColor(clYellow);
  ui::GrabControl(form.get(), shot);
  EXPECT_EQ(At(199, 199), clYellow);
}

TEST_F(LabelEffectTest, Angle90WritesUpwards) {
  label->SetEffectStyle(esNone);
  label->Font()->SetColor(clBlue);
  label->SetCaption("MMMM....");
  label->SetAngle(90);
  Draw();
  const TRect b = Box(clBlue);
  ASSERT_LE(b.Left, b.Right);
  EXPECT_GT(b.Bottom - b.Top, b.Right - b.Left) << "the line stands upright";
  // The text starts at the bottom: the heavy letters are in the lower half.
  const int mid = (b.Top + b.Bottom) / 2;
  int lower = 0, upper = 0;
  for (int y = b.Top; y <= b.Bottom; ++y)
    for (int x = b.Left; x <= b.Right; ++x)
      if (At(x, y) == clBlue) (y > mid ? lower : upper)++;
  EXPECT_GT(lower, upper * 2);
}

TEST_F(LabelEffectTest, UprightLettersAndGradientDraw) {
  label->SetEffectStyle(esNone);
  label->Font()->SetColor(clBlue);
  label->SetAngle(45);
  label->SetKeepLettersVertical(true);
  Draw();
  const TRect b = Box(clBlue);
  ASSERT_LE(b.Left, b.Right);
  EXPECT_GT(b.Right - b.Left, 30);
  label->SetAngle(0);
  label->SetGraduateFace(goVertical);
  label->SetGraduateFrom(clWhite);
  Draw();
  EXPECT_LT(Count(clBlue), 20) << "the face runs from white towards blue";
}

}  // namespace

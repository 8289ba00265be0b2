// A window built in code, shown offscreen and grabbed: geometry and probe pixels of
// what its controls painted through their canvases.
#include <filesystem>

#include "UiFixture.h"
#include "platform/ui/Simulate.h"

namespace {

// A control that draws a framed box with a filled disc, as gauges and grids draw.
class Target : public TCustomControl {
 public:
  using TCustomControl::TCustomControl;
  int paints = 0;
  void Paint() override {
    ++paints;
    TCanvas* c = Canvas();
    c->Brush()->SetColor(clWhite);
    c->Pen()->SetColor(clBlack);
    c->Rectangle(0, 0, Width(), Height());
    c->Brush()->SetColor(clRed);
    c->Pen()->SetStyle(psClear);
    c->Ellipse(10, 10, Width() - 10, Height() - 10);
    c->Pen()->SetStyle(psSolid);
  }
};

class Marker : public TGraphicControl {
 public:
  using TGraphicControl::TGraphicControl;
  void Paint() override {
    Canvas()->Brush()->SetColor(clBlue);
    Canvas()->FillRect(Rect(0, 0, 4, 4));  // the rest shows the parent
  }
};

class PaintTest : public UiTest {};

TEST_F(PaintTest, FormGrabShowsControlsWhereTheyWerePlaced) {
  TForm* f = NewForm("Probe");
  f->SetColor(clGreen);
  f->SetBounds(0, 0, 160, 120);
  auto* t = new Target(f);
  t->SetParent(f);
  t->SetBounds(20, 10, 80, 60);
  auto* m = new Marker(f);
  m->SetParent(f);
  m->SetBounds(120, 90, 10, 10);
  f->Show();

  TBitmap shot;
  ui::GrabControl(f, shot);
  ASSERT_EQ(shot.Width(), f->ClientWidth());
  ASSERT_EQ(shot.Height(), f->ClientHeight());
  TCanvas* c = shot.Canvas();
  EXPECT_EQ(c->Pixel(5, 5), clGreen);          // form background
  EXPECT_EQ(c->Pixel(20, 10), clBlack);        // control's frame, top-left
  EXPECT_EQ(c->Pixel(99, 69), clBlack);        // frame's last column and row
  EXPECT_EQ(c->Pixel(100, 70), clGreen);       // right/bottom edge excluded
  EXPECT_EQ(c->Pixel(22, 12), clWhite);        // inside the frame
  EXPECT_EQ(c->Pixel(60, 40), clRed);          // the disc's centre
  EXPECT_EQ(c->Pixel(121, 91), clBlue);        // graphic control's own pixels
  EXPECT_EQ(c->Pixel(127, 97), clGreen);       // and the parent through it
  EXPECT_GE(t->paints, 1);

  const auto png = std::filesystem::temp_directory_path() / "cq5_form_grab.png";
  ui::GrabToPng(f, png.string());
  TPicture pic;
  pic.LoadFromFile(png.string());
  EXPECT_EQ(pic.Width(), shot.Width());
  EXPECT_EQ(pic.Bitmap()->Canvas()->Pixel(60, 40), clRed);
  std::filesystem::remove(png);
}

TEST_F(PaintTest, DrawingOutsidePaintStaysUntilTheNextInvalidate) {
  TForm* f = NewForm();
  f->SetBounds(0, 0, 120, 100);
  auto* t = new Target(f);
  t->SetParent(f);
  t->SetBounds(0, 0, 100, 80);
  f->Show();
  TBitmap shot;
  ui::GrabControl(t, shot);
  const TColor before = shot.Canvas()->Pixel(50, 5);

  // A rubber band drawn in XOR mode between paints, then drawn again to remove it.
  TCanvas* c = t->Canvas();
  c->Pen()->SetMode(pmXor);
  c->Pen()->SetColor(clWhite);
  c->MoveTo(0, 5);
  c->LineTo(100, 5);
  ui::GrabControl(t, shot);
  EXPECT_EQ(shot.Canvas()->Pixel(50, 5), ColorToRGB(before) ^ 0xFFFFFF);
  c->MoveTo(0, 5);
  c->LineTo(100, 5);
  c->Pen()->SetMode(pmCopy);
  ui::GrabControl(t, shot);
  EXPECT_EQ(shot.Canvas()->Pixel(50, 5), before);

  c->Brush()->SetColor(clYellow);
  c->FillRect(Rect(40, 30, 60, 50));
  ui::GrabControl(t, shot);
  EXPECT_EQ(shot.Canvas()->Pixel(50, 40), clYellow);
  t->Invalidate();  // Paint runs again over it
  ui::GrabControl(t, shot);
  EXPECT_EQ(shot.Canvas()->Pixel(50, 40), clRed);
}

// A control that, while it paints, reads what lies under it and draws in XOR mode.
class Reader : public TGraphicControl {
 public:
  using TGraphicControl::TGraphicControl;
  TColor under = CLR_INVALID;
  void Paint() override {
    TCanvas* c = Canvas();
    under = c->Pixel(2, 2);
    c->Pen()->SetMode(pmXor);
    c->Pen()->SetColor(clWhite);
    c->MoveTo(0, 5);
    c->LineTo(Width(), 5);
    c->Pen()->SetMode(pmCopy);
  }
};

TEST_F(PaintTest, PaintReadsAndXorsWhatTheWindowShowsAtTheControlsPlace) {
  // Controls paint straight into their window: pixels read and combined during Paint are
  // the window's own at the control's offset, under it and nowhere else.
  TForm* f = NewForm();
  f->SetColor(clTeal);
  f->SetBounds(0, 0, 160, 120);
  auto* r = new Reader(f);
  r->SetParent(f);
  r->SetBounds(30, 40, 50, 20);
  f->Show();
  TBitmap shot;
  ui::GrabControl(f, shot);
  EXPECT_EQ(r->under, clTeal);
  EXPECT_EQ(shot.Canvas()->Pixel(50, 45), ColorToRGB(clTeal) ^ 0xFFFFFF);  // the line
  EXPECT_EQ(shot.Canvas()->Pixel(50, 44), clTeal);
  EXPECT_EQ(shot.Canvas()->Pixel(20, 45), clTeal);  // left of the control
  EXPECT_EQ(shot.Canvas()->Pixel(85, 45), clTeal);  // right of it: clipped to the control
}

TEST_F(PaintTest, DrawingBetweenPaintsLastsUntilHiddenOrResized) {
  TForm* f = NewForm();
  f->SetBounds(0, 0, 120, 100);
  auto* t = new Target(f);
  t->SetParent(f);
  t->SetBounds(0, 0, 100, 80);
  TCanvas* c = t->Canvas();
  auto mark = [&] {
    c->Brush()->SetColor(clYellow);
    c->FillRect(Rect(40, 30, 60, 50));
  };
  auto centre = [&] {
    TBitmap shot;
    ui::GrabControl(t, shot);
    return shot.Canvas()->Pixel(50, 40);
  };
  // Drawn while nobody sees the control: nothing fails, and its first paint is whole.
  mark();
  f->Show();
  EXPECT_EQ(centre(), clRed);
  const int paints = t->paints;
  mark();
  EXPECT_EQ(centre(), clYellow);
  EXPECT_EQ(centre(), clYellow);  // shown again without running Paint
  EXPECT_EQ(t->paints, paints + 1);  // once, under the drawing
  f->Hide();
  f->Show();
  EXPECT_EQ(centre(), clRed);
  mark();
  t->SetBounds(0, 0, 90, 80);
  EXPECT_EQ(centre(), clRed);
}

}  // namespace

namespace {

// A graphic control that draws its whole area, or only a corner of it.
class Picture : public TGraphicControl {
 public:
  Picture(TComponent* owner, bool whole) : TGraphicControl(owner), whole_(whole) {}
  bool PaintsWholeClient() const override { return whole_; }
  void Paint() override {
    Canvas()->Brush()->SetColor(clBlue);
    Canvas()->FillRect(whole_ ? ClientRect() : Rect(0, 0, 4, 4));
  }

 private:
  bool whole_;
};

// The window beneath a control repaints with it only where the control lets it show: a
// graphic control that draws its whole area repaints alone.
TEST_F(PaintTest, AControlThatDrawsItsWholeAreaRepaintsWithoutTheWindowBeneath) {
  for (const bool whole : {false, true}) {
    TForm* f = NewForm("Beneath");
    f->SetBounds(0, 0, 160, 120);
    auto* ground = new Target(f);
    ground->SetParent(f);
    ground->SetBounds(0, 0, 160, 120);
    auto* picture = new Picture(ground, whole);
    picture->SetParent(ground);
    picture->SetBounds(30, 30, 40, 40);
    f->Show();
    for (int i = 0; i < 5; ++i) Application->ProcessMessages();
    picture->Invalidate();  // its first painting has told the window system what it covers
    for (int i = 0; i < 5; ++i) Application->ProcessMessages();
    const int before = ground->paints;
    picture->Invalidate();
    for (int i = 0; i < 5; ++i) Application->ProcessMessages();
    EXPECT_EQ(ground->paints - before, whole ? 0 : 1) << whole;
    TBitmap shot;
    ui::GrabControl(f, shot);
    EXPECT_EQ(shot.Canvas()->Pixel(50, 50), whole ? clBlue : clRed) << whole;
    f->Hide();
  }
}

}  // namespace

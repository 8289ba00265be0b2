// The elastic form under a real window manager: the size limits hold against the user's
// resizing, the window placement kept in a settings file survives closing the form and
// making it anew, the background picture is painted, and a change of the screen's size
// rescales the window.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <thread>

#include "controls/ElastFrm.h"
#include "platform/graphics/Bitmap.h"
#include "platform/stdctrls/ExtCtrls.h"
#include "platform/stdctrls/StdCtrls.h"
#include "platform/ui/Application.h"
#include "platform/ui/Forms.h"
#include "x11/XSession.h"

namespace {

using x11test::Output;

using x11test::PumpFor;
using x11test::PumpUntil;

class ElasticWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string missing;
    if (!x_.Start(missing)) GTEST_SKIP() << "needs " << missing;
    Application->Initialize();
    char tmpl[] = "/tmp/cq5-elastic-XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    dir_ = tmpl;
  }
  void TearDown() override {
    if (!dir_.empty()) std::filesystem::remove_all(dir_);
  }


  // A form as a program would make it: a named form with a button and an elastic form
  // set up from its design size.
  struct Made {
    TForm* form;
    TElasticForm* elastic;
    TButton* button;
  };
  static Made MakeForm(const std::string& caption, const std::string& ini) {
    Made m{};
    m.form = new TForm(nullptr);
    m.form->SetName("PlacementProbe");
    m.form->SetCaption(caption.c_str());
    m.form->SetBounds(100, 100, 408, 334);
    m.button = new TButton(m.form);
    m.button->SetName("Button1");
    m.button->SetParent(m.form);
    m.button->SetBounds(20, 20, 100, 30);
    m.elastic = new TElasticForm(m.form);
    m.elastic->SetResolutionIndependence(false);
    m.elastic->SetDesignFormLeft(100);
    m.elastic->SetDesignFormTop(100);
    m.elastic->SetDesignFormWidth(408);
    m.elastic->SetDesignFormHeight(334);
    m.elastic->SetDesignFormClientWidth(400);
    m.elastic->SetDesignFormClientHeight(300);
    m.elastic->SetElFrmIniFile(ini.c_str());
    return m;
  }

  std::string WindowOf(const std::string& caption) {
    std::string id;
    PumpUntil([&] {
      id = Output("xdotool search --name '^" + caption + "$' 2>/dev/null | head -n1");
      return !id.empty();
    });
    return id;
  }
  // The outer size the window system reports for a window.
  static std::pair<int, int> XSize(const std::string& id) {
    std::istringstream in(Output("xdotool getwindowgeometry " + id + " 2>/dev/null | sed -n 's/.*Geometry: //p'"));
    int w = 0, h = 0;
    char x = 0;
    in >> w >> x >> h;
    return {w, h};
  }

  x11test::XSession x_;
  std::string dir_;
};

// A minimum track size of 50 % of the screen's width and 300 pixels of height, and a
// maximum of 800 x 600: resizing the window below or above them is refused.
TEST_F(ElasticWindow, SizeLimitsHoldAgainstTheUser) {
  Made m = MakeForm("Limits probe", "");
  m.elastic->SetMinimumTrackWidth(-50);
  m.elastic->SetMinimumTrackHeight(300);
  m.elastic->SetMaximumTrackWidth(800);
  m.elastic->SetMaximumTrackHeight(600);
  m.form->SetBounds(100, 100, 600, 400);
  m.elastic->SetDesignFormWidth(600);
  m.elastic->SetDesignFormHeight(400);
  m.form->Show();
  const std::string id = WindowOf("Limits probe");
  ASSERT_FALSE(id.empty());
  PumpFor(300);
  const TRect lim = m.form->SizeLimits();
  EXPECT_EQ(lim, TRect(512, 300, 800, 600)) << "after the first rescale";

  // Drag the bottom-right corner of the frame up and left, far past the minimum.
  auto drag = [&](int toX, int toY) {
    const TRect b = m.form->BoundsRect();
    const std::string from = std::to_string(b.Right - 2) + " " + std::to_string(b.Bottom - 2);
    std::system(("xdotool mousemove " + from + " sleep 0.2 mousedown 1 sleep 0.2 mousemove " + std::to_string(toX) +
                 " " + std::to_string(toY) + " sleep 0.3 mouseup 1")
                    .c_str());
    PumpFor(600);
  };
  drag(150, 150);
  EXPECT_GE(m.form->Width(), 512);
  EXPECT_GE(m.form->Height(), 300);
  EXPECT_GE(XSize(id).first, 512) << "the window system holds the limit too";
  EXPECT_GE(XSize(id).second, 300);
  drag(1020, 760);
  EXPECT_LE(m.form->Width(), 800);
  EXPECT_LE(m.form->Height(), 600);
  // A resize asked of the window system from outside is held to the limits as well.
  std::system(("xdotool windowsize " + id + " 120 90").c_str());
  PumpFor(600);
  EXPECT_GE(m.form->Width(), 512);
  EXPECT_GE(m.form->Height(), 300);
  delete m.form;
}

// Move and resize the window, close it with the window manager's close key, make the
// form anew: it opens where and as large as it was left. A damaged section leaves the
// design placement.
TEST_F(ElasticWindow, PlacementSurvivesCloseAndReopen) {
  const std::string ini = dir_ + "/placement.ini";
  Made m = MakeForm("Placement probe", ini);
  m.form->Show();
  std::string id = WindowOf("Placement probe");
  ASSERT_FALSE(id.empty());
  PumpFor(300);
  const TRect design = m.form->BoundsRect();
  std::system(("xdotool windowmove " + id + " 230 170 windowsize " + id + " 520 380").c_str());
  ASSERT_TRUE(PumpUntil([&] { return m.form->Left() != design.Left && m.form->Width() != design.Width(); }));
  PumpFor(500);
  const TRect moved = m.form->BoundsRect();
  ASSERT_TRUE(x11test::CloseWithWindowManager(id, [&] { return !m.form->Visible(); })) << "closed by the window manager";
  delete m.form;

  std::ifstream in(ini);
  std::stringstream text;
  text << in.rdbuf();
  for (const char* key : {"[PlacementProbe]", "Total Controls=1", "Window State=0", "Visible 0=1", "wp showCmd=1"})
    EXPECT_NE(text.str().find(key), std::string::npos) << key << "\n" << text.str();

  Made again = MakeForm("Placement probe 2", ini);
  again.form->Show();
  id = WindowOf("Placement probe 2");
  ASSERT_FALSE(id.empty());
  ASSERT_TRUE(PumpUntil([&] { return again.form->BoundsRect() == moved; }, 3000))
      << "reopened at " << again.form->Left() << "," << again.form->Top() << " " << again.form->Width() << "x"
      << again.form->Height() << ", left at " << moved.Left << "," << moved.Top << " " << moved.Width() << "x"
      << moved.Height();
  delete again.form;

  // A damaged entry: the design placement.
  {
    std::string damaged = text.str();
    const auto at = damaged.find("Width=");
    damaged.replace(at, damaged.find('\n', at) - at, "Width=wide");
    std::ofstream(ini) << damaged;
  }
  Made third = MakeForm("Placement probe 3", ini);
  third.form->Show();
  ASSERT_FALSE(WindowOf("Placement probe 3").empty());
  PumpFor(500);
  EXPECT_EQ(third.form->BoundsRect().TopLeft(), design.TopLeft());
  EXPECT_EQ(third.form->ClientWidth(), 400);
  EXPECT_EQ(third.form->ClientHeight(), 300);
  delete third.form;
}

// The colour of one pixel of a window, as the X server shows it.
std::string PixelOf(const std::string& id, int x, int y, const std::string& dir) {
  const std::string png = dir + "/w.png";
  std::system(("import -window " + id + " '" + png + "' 2>/dev/null").c_str());
  return Output("convert '" + png + "' -format '%[pixel:p{" + std::to_string(x) + "," + std::to_string(y) +
                "}]' info: 2>/dev/null");
}

// The form's background picture: tiled from the top left, or stretched over the client
// area when the picture is client-aligned. Its image control itself is not shown.
TEST_F(ElasticWindow, BackgroundPictureTiledOrStretched) {
  if (Output("convert -version 2>/dev/null | head -c 11") != "Version: Im") GTEST_SKIP() << "needs ImageMagick";
  Made m = MakeForm("Background probe", "");
  m.button->SetBounds(300, 250, 60, 24);
  auto* image = new TImage(m.form);
  image->SetName("Image1");
  image->SetParent(m.form);
  image->SetBounds(0, 0, 8, 8);
  // Left half red, right half blue.
  TBitmap* b = image->Picture()->Bitmap();
  b->SetSize(8, 8);
  b->Canvas()->Brush()->SetColor(clRed);
  b->Canvas()->FillRect(TRect(0, 0, 4, 8));
  b->Canvas()->Brush()->SetColor(clBlue);
  b->Canvas()->FillRect(TRect(4, 0, 8, 8));
  m.elastic->SetBkGrndImage(image);
  EXPECT_FALSE(image->Visible());
  m.form->Show();
  const std::string id = WindowOf("Background probe");
  ASSERT_FALSE(id.empty());
  PumpFor(500);
  const struct {
    int x;
    const char* colour;
  } tiled[] = {{1, "srgb(255,0,0)"}, {5, "srgb(0,0,255)"}, {9, "srgb(255,0,0)"}, {13, "srgb(0,0,255)"}, {201, "srgb(255,0,0)"}, {205, "srgb(0,0,255)"}};
  for (const auto& t : tiled) EXPECT_EQ(PixelOf(id, t.x, 50, dir_), t.colour) << "tiled, x " << t.x;

  image->SetAlign(alClient);
  m.form->Invalidate();
  PumpFor(400);
  const int w = m.form->ClientWidth();
  for (const auto& [x, colour] : {std::pair{5, "srgb(255,0,0)"}, std::pair{w / 2 - 5, "srgb(255,0,0)"}, std::pair{w / 2 + 5, "srgb(0,0,255)"},
                                  std::pair{w - 5, "srgb(0,0,255)"}})
    EXPECT_EQ(PixelOf(id, x, 50, dir_), colour) << "stretched, x " << x;
  delete m.form;
}

// The screen's size changes: the window's place and size follow it by the same ratios and
// the controls are rescaled; back to the old size, the window comes back.
TEST_F(ElasticWindow, DisplayChangeRescalesTheWindow) {
  Made m = MakeForm("Display probe", "");
  m.form->Show();
  ASSERT_FALSE(WindowOf("Display probe").empty());
  PumpFor(400);
  const TRect before = m.form->BoundsRect();
  const int buttonW = m.button->Width();
  int rescales = 0;
  m.elastic->OnAfterResize = [&](TObject*) { ++rescales; };
  m.elastic->DisplayChanged(Screen->Width() * 3 / 4, Screen->Height() * 3 / 4);
  PumpFor(600);
  EXPECT_EQ(rescales, 1);
  EXPECT_NEAR(m.form->Left(), before.Left * 3 / 4, 1);
  EXPECT_NEAR(m.form->Top(), before.Top * 3 / 4, 1);
  EXPECT_NEAR(m.form->Width(), before.Width() * 3 / 4, 2);
  EXPECT_NEAR(m.form->Height(), before.Height() * 3 / 4, 2);
  EXPECT_LT(m.button->Width(), buttonW);
  m.elastic->DisplayChanged(Screen->Width(), Screen->Height());
  PumpFor(600);
  EXPECT_EQ(rescales, 2);
  EXPECT_NEAR(m.form->Width(), before.Width(), 2);
  EXPECT_NEAR(m.form->Height(), before.Height(), 2);
  EXPECT_EQ(m.button->Width(), buttonW);
  // The same size again is no change.
  m.elastic->DisplayChanged(Screen->Width(), Screen->Height());
  EXPECT_EQ(rescales, 2);
  delete m.form;
}

}  // namespace

// The round meter: layout, needle angle, sectors, alerts; and pictures of the gauges
// (written when GAUGE_SHOTS names a folder) to look at.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <functional>

#include "gauges/AbBar.h"
#include "gauges/AbLED.h"
#include "gauges/AbNumEdit.h"
#include "gauges/AbRMeter.h"
#include "gauges/AbSwitch.h"
#include "gauges/AbVMeter.h"
#include "gauges/AbValInd.h"
#include "gauges/GaugeClasses.h"
#include "platform/ui/Application.h"
#include "platform/ui/Simulate.h"

namespace {

class MeterTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    Application->Initialize();
    RegisterGaugeClasses();
  }
  void SetUp() override {
    form = std::make_unique<TForm>(nullptr);
    form->SetClientSize(700, 500);
  }
  void TearDown() override { abflash::Reset(); }
  TAb270Meter* Speedo() {
    auto* m = new TAb270Meter(form.get());
    m->SetParent(form.get());
    m->SetLeft(10);
    m->SetTop(10);
    m->SignalSettings()->SetValueTo(140);
    m->SignalSettings()->SetValueUnit("mph");
    m->ScaleSettings()->SetSteps(14);
    m->ArrowSettings()->SetShape(5);
    return m;
  }
  std::unique_ptr<TForm> form;
  TBitmap shot;
};

TEST_F(MeterTest, NeedlePointsAtStartPlusRangeTimesPerMille) {
  TAb270Meter* m = Speedo();
  m->SetOptions(TRMeterOptions{TRMeterOption::opBevelOuter});  // a bare dial: no sectors or unit
  m->MinMax()->SetMinVisible(false);
  m->MinMax()->SetMaxVisible(false);
  EXPECT_NE(m->Width(), 252);  // sized by its layout
  struct {
    float value;
    double angle;
  } cases[] = {{0, 225}, {35, 292.5}, {70, 360}, {140, 495}, {200, 495}};
  for (auto& c : cases) {
    m->SetValue(c.value);
    EXPECT_DOUBLE_EQ(m->NeedleAngle(), c.angle) << c.value;
    ui::GrabControl(m, shot);
    const TPoint pivot = m->Needle()[1];
    const double r = m->NeedleRect().Width() / 2.0, a = c.angle * M_PI / 180;
    auto at = [&](double dist, double turn) {
      return shot.Canvas()->Pixel(pivot.x + AbRound(std::sin(a + turn) * dist),
                                  pivot.y - AbRound(std::cos(a + turn) * dist));
    };
    EXPECT_EQ(at(r * 0.6, 0), clLime) << c.value;
    EXPECT_NE(at(r * 0.6, M_PI / 2), clLime) << c.value;
  }
}

TEST_F(MeterTest, OverflowBlinksTheNeedleAtTheScaleEnd) {
  TAb270Meter* m = Speedo();
  m->SetValue(150);
  EXPECT_TRUE(m->Blinking());
  EXPECT_TRUE(abflash::IsClient(m));
  EXPECT_EQ(m->PPT(), 1000);
  m->Perform(WM_FLASH, 0, 1);
  EXPECT_EQ(m->AlertColor(), clRed);
  m->Perform(WM_FLASH, 0, 0);
  EXPECT_EQ(m->AlertColor(), clYellow);
  m->SetValue(60);  // back in range, and below the upper limit of 90
  m->SetLimitUpper(130);
  EXPECT_FALSE(m->Blinking());
  EXPECT_FALSE(abflash::IsClient(m));
}

TEST_F(MeterTest, SectorRingColoursItsSpanOnly) {
  TAb270Meter* m = Speedo();
  m->SetValue(0);
  m->MinMax()->SetMinVisible(false);  // the marks take sector colours too
  m->MinMax()->SetMaxVisible(false);
  TSectorSettings* s = m->SectorSettings();
  for (int k = 1; k <= 3; ++k) s->SetSectorColor(k, clWhite);
  s->SetSectorFrom(3, 500);
  s->SetSectorTo(3, 1000);
  s->SetSectorColor(3, clAqua);
  s->SetSectorFrom(1, 0);
  s->SetSectorTo(1, 3);  // 4 or less: not drawn
  s->SetSectorColor(1, clFuchsia);
  ui::GrabControl(m, shot);
  int aqua = 0, fuchsia = 0, aquaLeft = 0;
  const int cx = m->Needle()[1].x;
  for (int y = 0; y < m->Height(); ++y)
    for (int x = 0; x < m->Width(); ++x) {
      const TColor p = shot.Canvas()->Pixel(x, y);
      if (p == clAqua) ++aqua, aquaLeft += x < cx - 5;
      if (p == clFuchsia) ++fuchsia;
    }
  EXPECT_GT(aqua, 100);       // the upper half of the range: from 12 o'clock clockwise
  EXPECT_EQ(aquaLeft, 0);
  EXPECT_EQ(fuchsia, 0);
}

TEST_F(MeterTest, NeedleShapesAndTinyDials) {
  for (int shape : {0, 1, 3, 6, 9}) {
    const auto n = TAbRMeter::BuildNeedle(shape, 200);
    const int count = n[0].x & 0xFF;
    EXPECT_EQ(static_cast<int>(n.size()), count + 1) << shape;
    EXPECT_EQ(n[1], TPoint(100, 100));
  }
  EXPECT_EQ(TAbRMeter::BuildNeedle(9, 200), TAbRMeter::BuildNeedle(0, 200));
  TAb270Meter* m = Speedo();
  m->SetAutoSize(false);
  m->SetBounds(10, 10, 40, 40);
  m->SetOptions(TRMeterOptions{TRMeterOption::opBevelOuter, TRMeterOption::opBevelInner, TRMeterOption::opName1,
                               TRMeterOption::opName2});
  ui::GrabControl(m, shot);
  EXPECT_TRUE(m->TooSmall());
  m->SetValue(33);
  m->Perform(WM_FLASH, 0, 1);  // nothing to draw, nothing breaks
}

TEST_F(MeterTest, LinearPointerAtMinMidMaxAndUprightSectorBars) {
  auto* m = new TAbVMeter(form.get());
  m->SetParent(form.get());
  m->SetLeft(10);
  m->SetTop(10);
  m->SignalSettings()->SetValueFrom(-250);
  m->SignalSettings()->SetValueTo(250);
  m->SetLimitUpper(1000);
  m->SetLimitLower(-1000);
  ui::GrabControl(m, shot);
  int y[3];
  const float values[3] = {-250, 0, 250};
  for (int i = 0; i < 3; ++i) {
    m->SetValue(values[i]);
    ui::GrabControl(m, shot);
    y[i] = m->PointerOnCanvas()[2].y;  // the tip
    EXPECT_EQ(shot.Canvas()->Pixel(m->PointerOnCanvas()[0].x + 3, y[i]), clLime) << values[i];
  }
  EXPECT_GT(y[0], y[1]);  // higher values stand higher
  EXPECT_GT(y[1], y[2]);
  EXPECT_LE(std::abs((y[0] + y[2]) / 2 - y[1]), 1);
  // The sector bars stand upright beside the scale: sector 1 (yellow) at the bottom.
  int yellowTop = 9999, redBottom = -1;
  for (int yy = 0; yy < m->Height(); ++yy)
    for (int xx = 0; xx < m->Width(); ++xx) {
      const TColor p = shot.Canvas()->Pixel(xx, yy);
      if (p == clYellow) yellowTop = std::min(yellowTop, yy);
      if (p == clRed) redBottom = std::max(redBottom, yy);
    }
  EXPECT_GT(yellowTop, redBottom);
}

TEST_F(MeterTest, LinearMeterBlinksOnAPassedLimitWithOnlyTheLimitOption) {
  auto* m = new TAbVMeter(form.get());
  m->SetParent(form.get());
  m->SetOptions(TVMeterOptions{TVMeterOption::opBevelInner, TVMeterOption::opBevelOuter, TVMeterOption::opLimit,
                               TVMeterOption::opUnit});
  m->SetValue(40);
  EXPECT_FALSE(m->Blinking());
  m->SetValue(95);  // above the upper limit of 90
  EXPECT_TRUE(m->Blinking());
  EXPECT_TRUE(abflash::IsClient(m));
  ui::GrabControl(m, shot);
  m->Perform(WM_FLASH, 0, 0);
  EXPECT_EQ(m->AlertColor(), clYellow);
  ui::GrabControl(m, shot);
  EXPECT_EQ(shot.Canvas()->Pixel(m->PointerOnCanvas()[0].x + 3, m->PointerOnCanvas()[2].y), clYellow);
  m->SetValue(40);
  EXPECT_FALSE(m->Blinking());
  EXPECT_FALSE(abflash::IsClient(m));
}

// A disabled meter stops blinking and draws its pointer and scale in grey on its own
// colour, without the sector bars; enabled again, it blinks and shows its colours.
TEST_F(MeterTest, DisabledLinearMeterIsGreyAndStill) {
  auto* m = new TAbVMeter(form.get());
  m->SetParent(form.get());
  m->SetLeft(10);
  m->SetTop(10);
  m->SetValue(95);  // above the upper limit of 90
  ASSERT_TRUE(m->Blinking());
  const TColor face = ColorValue(0x808080);
  m->SetColor(face);
  m->SetEnabled(false);
  EXPECT_FALSE(m->Blinking());
  EXPECT_FALSE(abflash::IsClient(m));
  ui::GrabControl(m, shot);
  const auto& p = m->PointerOnCanvas();
  EXPECT_EQ(shot.Canvas()->Pixel(p[0].x + 3, p[2].y), ColorValue(0xC0C0C0));
  for (int yy = 0; yy < m->Height(); ++yy)
    for (int xx = 0; xx < m->Width(); ++xx) {
      const TColor c = shot.Canvas()->Pixel(xx, yy);
      ASSERT_TRUE(c != clYellow && c != clRed && c != clLime) << xx << "," << yy;
    }
  EXPECT_EQ(shot.Canvas()->Pixel(m->Width() / 2, m->Height() / 2), face);

  m->SetColor(clWhite);
  m->SetEnabled(true);
  EXPECT_TRUE(m->Blinking());
  m->SetValue(40);
  ui::GrabControl(m, shot);
  EXPECT_EQ(shot.Canvas()->Pixel(m->PointerOnCanvas()[0].x + 3, m->PointerOnCanvas()[2].y), clLime);
}

TEST_F(MeterTest, ValueIndicatorShowsFormattedTextsAndNeverShrinks) {
  auto* v = new TAbValueInd(form.get());
  v->SetParent(form.get());
  struct {
    const char* format;
    float value;
    const char* text;
  } cases[] = {{"##0.0", 37.24f, "37.2"}, {"0.00", 5, "5.00"}, {"#0", -3.6f, "-4"}, {"0.0;-0.00", -1.5f, "-1.50"}};
  for (auto& c : cases) {
    v->SignalSettings()->SetValueFormat(c.format);
    v->SetValue(c.value);
    EXPECT_EQ(v->ValueText(), c.text) << c.format;
  }
  v->SetAutoSize(false);
  v->SetBounds(0, 0, 200, 100);
  v->SignalSettings()->SetValueFormat("0");
  EXPECT_EQ(v->Width(), 200);
  EXPECT_EQ(v->Height(), 100);
}

TEST_F(MeterTest, HorizontalBarBlinksTheArrowOfTheSidePassed) {
  auto* h = new TAbHBar(form.get());
  h->SetParent(form.get());
  h->SetValue(-20);
  EXPECT_TRUE(h->Underflow());
  EXPECT_TRUE(abflash::IsClient(h));
  h->Perform(WM_FLASH, 0, 1);
  EXPECT_EQ(h->UnderflowArrowColor(), clRed);
  EXPECT_EQ(h->OverflowArrowColor(), clBtnFace);
  h->Perform(WM_FLASH, 0, 0);
  EXPECT_EQ(h->UnderflowArrowColor(), clYellow);
  h->SetValue(50);
  EXPECT_FALSE(abflash::IsClient(h));
  EXPECT_EQ(h->UnderflowArrowColor(), clBtnFace);
}

// A new value repaints a read-out or a bar only when what it shows changes: the text, or
// the bar's end by a pixel; the newest value is always the one drawn.
template <class Gauge>
struct Counted : Gauge {
  using Gauge::Gauge;
  int paints = 0;
  AnsiString drawn;
  void Paint() override {
    ++paints;
    drawn = this->ValueText();
    Gauge::Paint();
  }
};

TEST_F(MeterTest, ReadOutAndBarRepaintOnlyWhenWhatTheyShowChanges) {
  auto* v = new Counted<TAbValueInd>(form.get());
  v->SetParent(form.get());
  v->SignalSettings()->SetValueFormat("##0.0");
  auto* h = new Counted<TAbHBar>(form.get());
  h->SetParent(form.get());
  h->SetTop(100);
  h->SetAutoSize(false);
  h->SetWidth(236);  // a bar of 214 pixels: 0.2 % of the range is less than one
  h->SignalSettings()->SetValueFormat("##0");
  h->MinMax()->SetMinVisible(false);
  h->MinMax()->SetMaxVisible(false);
  form->Show();
  v->SetValue(14.7f);
  h->SetValue(11);
  for (int i = 0; i < 5; ++i) Application->ProcessMessages();
  struct {
    float ratio, duty;
    bool ratioPaints, dutyPaints;
  } cases[] = {
      {14.7f, 11, false, false},     // the same values
      {14.71f, 11.2f, false, false},  // the same texts, the bar's end within its pixel
      {14.8f, 11.2f, true, false},
      {14.8f, 12.2f, false, true},   // a new text and a new end
      {14.8f, 12.3f, false, false},  // "12" again, and back within the same pixel
      {14.8f, 40, false, true},
  };
  for (const auto& c : cases) {
    const int vBefore = v->paints, hBefore = h->paints;
    v->SetValue(c.ratio);
    h->SetValue(c.duty);
    for (int i = 0; i < 5; ++i) Application->ProcessMessages();
    EXPECT_EQ(v->paints > vBefore, c.ratioPaints) << c.ratio;
    EXPECT_EQ(h->paints > hBefore, c.dutyPaints) << c.duty;
    EXPECT_EQ(v->drawn, v->ValueText()) << c.ratio;
    EXPECT_EQ(h->drawn, h->ValueText()) << c.duty;
  }
  // A value that crosses two pixels and back between two paintings draws nothing.
  const int hBefore = h->paints;
  h->SetValue(60);
  h->SetValue(40);
  for (int i = 0; i < 5; ++i) Application->ProcessMessages();
  EXPECT_EQ(h->paints, hBefore + 1);  // the first move asked for a painting; it shows 40
  EXPECT_EQ(h->drawn, "40");

  // The meters draw their whole face: the window beneath need not repaint with them.
  EXPECT_TRUE(TAbVMeter(nullptr).PaintsWholeClient());
  EXPECT_TRUE(Speedo()->PaintsWholeClient());
  EXPECT_FALSE(h->PaintsWholeClient());
  // So do a bar and a read-out with their outer bevel: nothing of the window beneath
  // shows through them.
  {
    form->SetColor(clFuchsia);
    auto* bar = new TAbHBar(form.get());
    bar->SetParent(form.get());
    bar->SetBounds(20, 330, 234, 65);
    bar->SetOptions(THBarOptions{THBarOption::opBevelOuter, THBarOption::opValue, THBarOption::opOverflow,
                                 THBarOption::opUnit});
    bar->SetValue(35);
    auto* readOut = new TAbValueInd(form.get());
    readOut->SetParent(form.get());
    readOut->SetBounds(300, 330, 90, 40);
    readOut->SetOptions(TValueIndOptions{TValueIndOption::opBevelOuter, TValueIndOption::opUnit});
    readOut->SetValue(12.5f);
    for (int i = 0; i < 5; ++i) Application->ProcessMessages();
    TBitmap shot;
    ui::GrabControl(form.get(), shot);
    for (TControl* c : {static_cast<TControl*>(bar), static_cast<TControl*>(readOut)}) {
      EXPECT_TRUE(c->PaintsWholeClient());
      int beneath = 0;
      for (int y = c->Top(); y < c->Top() + c->Height(); ++y)
        for (int x = c->Left(); x < c->Left() + c->Width(); ++x) beneath += shot.Canvas()->Pixel(x, y) == clFuchsia;
      EXPECT_EQ(beneath, 0) << c->ClassName();
    }
    delete bar;
    delete readOut;
    form->SetColor(clBtnFace);
  }

  // The linear meter: its pointer moved by less than a pixel draws nothing.
  auto* m = new Counted<TAbVMeter>(form.get());
  m->SetParent(form.get());
  m->SetLeft(300);
  m->SignalSettings()->SetValueFormat("##0");
  m->SetValue(40);
  for (int i = 0; i < 5; ++i) Application->ProcessMessages();
  EXPECT_GT(m->paints, 0);
  for (const auto& [value, paints] : {std::pair{40.1f, false}, {70.0f, true}, {70.2f, false}, {20.0f, true}}) {
    const int before = m->paints;
    m->SetValue(value);
    for (int i = 0; i < 5; ++i) Application->ProcessMessages();
    EXPECT_EQ(m->paints > before, paints) << value;
    EXPECT_EQ(m->drawn, m->ValueText()) << value;
  }
  form->Hide();
}

// Pictures of the gauges for a look by eye: GAUGE_SHOTS=<folder>.
// The face images of the meters are held only while their window is on the screen:
// hiding the form lets them go, showing it again draws them anew, the same as before.
TEST_F(MeterTest, FaceImagesGoWithTheHiddenWindowAndComeBackWhenShown) {
  TAb270Meter* round = Speedo();
  auto* linear = new TAbVMeter(form.get());
  linear->SetParent(form.get());
  linear->SetLeft(400);
  linear->SetTop(10);
  form->Show();
  Application->ProcessMessages();
  TBitmap before, after;
  ui::GrabControl(round, before);
  EXPECT_TRUE(round->FaceCached());
  EXPECT_TRUE(linear->FaceCached());
  struct Step {
    const char* what;
    std::function<void()> hide, show;
  } steps[] = {
      {"form", [&] { form->Hide(); }, [&] { form->Show(); }},
      {"meter", [&] { round->Hide(); linear->Hide(); }, [&] { round->Show(); linear->Show(); }},
  };
  for (const Step& st : steps) {
    st.hide();
    EXPECT_FALSE(round->FaceCached()) << st.what;
    EXPECT_FALSE(linear->FaceCached()) << st.what;
    st.show();
    EXPECT_TRUE(round->FaceCached()) << st.what << ": rebuilt on showing";
    EXPECT_TRUE(linear->FaceCached()) << st.what;
    ui::GrabControl(round, after);
    ASSERT_EQ(after.Width(), before.Width());
    for (int y = 0; y < before.Height(); y += 3)
      for (int x = 0; x < before.Width(); x += 3)
        ASSERT_EQ(after.Canvas()->Pixel(x, y), before.Canvas()->Pixel(x, y)) << st.what << " " << x << "," << y;
  }
  form->Hide();
}

// A blink only repaints its gauge: one whose window is not on the screen keeps its place
// among the timer's clients but not the timer running, and wakes it when shown again.
TEST_F(MeterTest, HiddenBlinkingGaugesLetTheTimerSleepUntilShown) {
  auto* linear = new TAbVMeter(form.get());
  linear->SetParent(form.get());
  linear->SetValue(1e6f);  // past the scale: the pointer blinks
  auto* led = new TAbLED(form.get());
  led->SetParent(form.get());
  led->SetLeft(200);
  led->SetChecked(true);
  led->SetFlashing(true);
  struct Gauge {
    const char* what;
    TControl* control;
  } gauges[] = {{"linear meter", linear}, {"LED", led}};
  auto running = [] { return abflash::FlashTimer() != nullptr && abflash::FlashTimer()->Running(); };
  for (const Gauge& g : gauges) EXPECT_TRUE(abflash::IsClient(g.control)) << g.what;
  EXPECT_FALSE(running()) << "made on a hidden form";
  form->Show();
  EXPECT_TRUE(running());
  form->Hide();
  abflash::FlashTimerTick();  // the next pass finds nobody to blink for
  EXPECT_FALSE(running());
  for (const Gauge& g : gauges) {
    EXPECT_TRUE(abflash::IsClient(g.control)) << g.what;
    // Only this gauge on the screen: its showing alone wakes the timer.
    for (const Gauge& other : gauges) other.control->SetVisible(&other == &g);
    form->Show();
    EXPECT_TRUE(running()) << g.what;
    g.control->Hide();
    abflash::FlashTimerTick();
    EXPECT_FALSE(running()) << g.what << " hidden on a shown form";
    g.control->Show();
    EXPECT_TRUE(running()) << g.what;
    form->Hide();
    abflash::FlashTimerTick();
  }
  // A client counting time (a spin button's repeat, a recording trend) needs the ticks
  // whether it is seen or not.
  AddFlashClient(linear, 100);
  EXPECT_TRUE(running());
}

TEST_F(MeterTest, Pictures) {
  const char* dir = std::getenv("GAUGE_SHOTS");
  if (dir == nullptr) GTEST_SKIP() << "GAUGE_SHOTS not set";
  TAb270Meter* m = Speedo();
  m->ArrowSettings()->SetShape(3);
  m->SetOptions(TRMeterOptions{TRMeterOption::opSector, TRMeterOption::opUnit});
  TSectorSettings* s = m->SectorSettings();
  for (int k : {1, 2}) s->SetSectorTo(k, 0);
  s->SetSectorFrom(3, 700);
  s->SetSectorTo(3, 1000);
  s->SetSectorColor(3, clAqua);
  m->SetValue(30);
  m->SetValue(80);
  m->SetValue(57);
  auto* full = new TAb270Meter(form.get());
  full->SetParent(form.get());
  full->SetLeft(260);
  full->SetTop(10);
  full->SetValue(95);
  auto* led = new TAbLED(form.get());
  led->SetParent(form.get());
  led->SetBounds(10, 300, 72, 26);
  led->SetCaption("Rec");
  led->LED()->SetColorOn(clRed);
  led->SetChecked(true);
  auto* sw = new TAbToggleSwitch(form.get());
  sw->SetParent(form.get());
  sw->SetBounds(100, 300, 25, 57);
  sw->SetTextOn("On");
  sw->SetTextOff("Off");
  auto* bar = new TAbBar(form.get());
  bar->SetParent(form.get());
  bar->SetBounds(150, 300, 164, 28);
  bar->SetValue(63);
  auto* spin = new TAbNumSpin(form.get());
  spin->SetParent(form.get());
  spin->SetBounds(150, 340, 80, 22);
  spin->SetValue(12.5);
  auto* vm = new TAbVMeter(form.get());
  vm->SetParent(form.get());
  vm->SetLeft(520);
  vm->SetTop(10);
  vm->SignalSettings()->SetValueFrom(-250);
  vm->SignalSettings()->SetValueTo(250);
  vm->SignalSettings()->SetValueUnit("%");
  vm->SetValue(-40);
  vm->SetValue(120);
  vm->SetValue(60);
  auto* vi = new TAbValueInd(form.get());
  vi->SetParent(form.get());
  vi->SetLeft(10);
  vi->SetTop(380);
  vi->SetValue(37.5f);
  auto* hb = new TAbHBar(form.get());
  hb->SetParent(form.get());
  hb->SetLeft(150);
  hb->SetTop(380);
  hb->SetValue(20);
  hb->SetValue(80);
  hb->SetValue(45);
  form->Show();
  ui::GrabToPng(form.get(), AnsiString(dir) + "/gauges.png");
}

}  // namespace

// A read-out's box fits every value of its range, not only its format pattern: "100" in a
// "##0" bar and "-12.5" in a "#0.0" indicator keep all their digits.
TEST(ValueReadout, BoxFitsTheWidestValueOfTheRange) {
  Application->Initialize();
  std::unique_ptr<TForm> form(new TForm(nullptr));
  form->SetBounds(0, 0, 600, 300);
  auto* bar = new TAbHBar(form.get());
  bar->SetParent(form.get());
  bar->SetAutoSize(false);
  bar->SetBounds(0, 0, 400, 60);
  bar->SetOptions(THBarOptions{THBarOption::opValue, THBarOption::opUnit});
  bar->FontValue()->SetName("Arial");
  bar->FontValue()->SetSize(10);
  bar->FontValue()->SetStyle(TFontStyles{fsBold});
  bar->SignalSettings()->SetValueFrom(0);
  bar->SignalSettings()->SetValueTo(100);
  bar->SignalSettings()->SetValueFormat("##0");
  bar->SetValue(100);
  auto* ind = new TAbValueInd(form.get());
  ind->SetParent(form.get());
  ind->SetTop(100);
  ind->FontValue()->SetName("Arial");
  ind->FontValue()->SetSize(12);
  ind->SignalSettings()->SetValueFrom(-12.5f);
  ind->SignalSettings()->SetValueTo(25.5f);
  ind->SignalSettings()->SetValueFormat("#0.0");
  ind->SetValue(-12.5);
  form->Show();
  Application->ProcessMessages();
  TBitmap scratch;
  ui::GrabControl(bar, scratch);
  ui::GrabControl(ind, scratch);
  TBitmap measure;
  measure.Canvas()->Font()->Assign(bar->FontValue());
  EXPECT_GE(bar->ValueBox().Width(), measure.Canvas()->TextWidth("100"));
  measure.Canvas()->Font()->Assign(ind->FontValue());
  EXPECT_GE(ind->ValueBox().Width(), measure.Canvas()->TextWidth("-12.5"));
}

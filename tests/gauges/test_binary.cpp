// On/off gauges (status word, groups, radio mode, blinking), the LED, the toggle switch
// and the bar, drawn and probed at key pixels.
#include <gtest/gtest.h>

#include "gauges/AbBar.h"
#include "gauges/AbLED.h"
#include "gauges/AbSwitch.h"
#include "gauges/GaugeClasses.h"
#include "platform/os/Clock.h"
#include "platform/ui/Application.h"
#include "platform/ui/Simulate.h"

namespace {

class BinaryTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    Application->Initialize();
    RegisterGaugeClasses();
  }
  void SetUp() override {
    form = std::make_unique<TForm>(nullptr);
    form->SetClientSize(300, 300);
  }
  void TearDown() override { abflash::Reset(); }
  template <class T>
  T* Make(int w, int h) {
    auto* c = new T(form.get());
    c->SetParent(form.get());
    c->SetBounds(10, 10, w, h);
    return c;
  }
  TColor At(TControl* c, int x, int y) {
    ui::GrabControl(c, shot);
    return shot.Canvas()->Pixel(x, y);
  }
  std::unique_ptr<TForm> form;
  TBitmap shot;
};

TEST_F(BinaryTest, StatusWordFollowsCheckedAndBitsOutOfRangeAreRefused) {
  auto* led = Make<TAbLED>(73, 33);
  led->SetStatusBit(3);
  for (int bad : {32, -1}) led->SetStatusBit(bad);
  EXPECT_EQ(led->StatusBit(), 3);
  led->SetChecked(true);
  EXPECT_EQ(led->StatusInt(), 8);
  EXPECT_EQ(led->LowestSetBit(), 3);
  led->SetChecked(false);
  EXPECT_EQ(led->StatusInt(), 0);
  led->SetStatusInt(0x18);
  EXPECT_TRUE(led->Checked());
  led->SetMode(mButton);
  EXPECT_EQ(led->StatusInt(), 0);
  EXPECT_FALSE(led->Checked());
}

TEST_F(BinaryTest, RadioGroupKeepsOneCheckedAndTheBitEqualToChecked) {
  TAbLED* r[3];
  for (int i = 0; i < 3; ++i) {
    r[i] = Make<TAbLED>(40, 20);
    r[i]->SetMode(mRadioButton);
    r[i]->SetStatusBit(i);
    r[i]->SetGroupIndex(1);
  }
  r[1]->MouseDown(mbLeft, {}, 2, 2);
  r[1]->MouseUp(mbLeft, {}, 2, 2);
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(r[i]->StatusInt(), 2) << i;
    EXPECT_EQ(r[i]->Checked(), i == 1) << i;
  }
  // Unchecking a radio control clears its bit.
  r[1]->SetChecked(false);
  EXPECT_EQ(r[1]->StatusInt() & 2, 0);
}

TEST_F(BinaryTest, CheckedFlashingLampBlinksUntilUnchecked) {
  os::ManualClock clock(0);
  os::ScopedClock scoped(clock);
  auto* led = Make<TAbLED>(73, 33);
  led->SetFrequency(ff8Hz);
  led->SetFlashing(true);
  EXPECT_FALSE(abflash::IsClient(led));
  led->SetChecked(true);
  EXPECT_TRUE(abflash::IsClient(led));
  std::vector<bool> phases;
  for (int i = 0; i < 40; ++i) {
    clock.Advance(16);
    const bool before = led->LampLit();
    abflash::FlashTimerTick();
    if (led->LampLit() != before) phases.push_back(led->LampLit());
  }
  ASSERT_GE(phases.size(), 4u);
  for (size_t i = 1; i < phases.size(); ++i) EXPECT_NE(phases[i], phases[i - 1]);
  led->SetChecked(false);
  EXPECT_FALSE(abflash::IsClient(led));
  EXPECT_FALSE(led->LampLit());
}

TEST_F(BinaryTest, LampAndCaptionPlaces) {
  auto* led = Make<TAbLED>(73, 33);
  led->LED()->SetHeight(20);
  EXPECT_EQ(led->LampRect(), TRect(0, 6, 20, 26));  // a round lamp is square
  led->LED()->SetColorOn(clRed);
  led->SetChecked(true);
  EXPECT_EQ(At(led, 10, 16), clRed);
  led->SetChecked(false);
  EXPECT_EQ(At(led, 10, 16), ColorToRGB(clBtnFace));
  // A two-line caption stands centred on the lamp's row.
  led->SetCaption("A|B");
  led->Font()->SetColor(clBlack);
  ui::GrabControl(led, shot);
  int top = 99, bottom = -1;
  for (int y = 0; y < 33; ++y)
    for (int x = 25; x < 73; ++x)
      if (shot.Canvas()->Pixel(x, y) == clBlack) top = std::min(top, y), bottom = std::max(bottom, y);
  ASSERT_GE(bottom, 0);
  EXPECT_LE(std::abs((top + bottom) / 2 - 16), 3);
  EXPECT_GT(bottom - top, 12);  // two lines
}

TEST_F(BinaryTest, ToggleSwitchMovesOnlyFromTheFreeHalf) {
  auto* sw = Make<TAbToggleSwitch>(25, 57);
  sw->SetSwapGraphic(true);
  sw->SetTextOff("Off");
  // Unchecked with the graphic swapped: the button covers the upper half, the field the lower.
  EXPECT_EQ(At(sw, 4, 50), clRed);
  EXPECT_NE(At(sw, 4, 6), clRed);
  sw->MouseDown(mbLeft, {}, 12, 12);  // on the button: nothing
  sw->MouseUp(mbLeft, {}, 12, 12);
  EXPECT_FALSE(sw->Checked());
  sw->MouseDown(mbLeft, {}, 12, 45);
  sw->MouseUp(mbLeft, {}, 12, 45);
  EXPECT_TRUE(sw->Checked());
  EXPECT_EQ(At(sw, 4, 6), clLime);
  sw->SetBtnBevelWidth(-1);
  EXPECT_EQ(sw->BtnBevelWidth(), 2);
  auto* h = Make<TAbToggleSwitch>(81, 25);
  h->SetOrientation(boHorizontal);
  h->SetOrientation(boVertical);
  EXPECT_EQ(h->Width(), 25);
  EXPECT_EQ(h->Height(), 81);
}

TEST_F(BinaryTest, BarRunsFromZeroAndGrowsToItsLeastSize) {
  auto* bar = new TAbBar(form.get());
  bar->SetParent(form.get());
  bar->BarSettings()->SetminWidth(4);
  bar->BevelOuter()->SetSpacing(0);
  bar->SetBounds(10, 10, 16, 104);
  bar->BevelOuter()->SetStyle(bsLowered);  // a 2-pixel frame
  bar->BarSettings()->Bevel()->SetWidth(0);
  bar->BarSettings()->SetOptions(TBarOptions{opBidir});
  bar->SignalSettings()->SetValueFrom(-128);
  bar->SignalSettings()->SetValueTo(128);
  bar->SetValue(64);
  ui::GrabControl(bar, shot);
  EXPECT_EQ(bar->BarRect(), TRect(2, 2, 14, 102));
  auto px = [&](int y) { return shot.Canvas()->Pixel(8, y); };
  EXPECT_EQ(px(45), clLime);   // between zero (52) and 64 (27)
  EXPECT_EQ(px(20), clBlack);  // above the value
  EXPECT_EQ(px(60), clBlack);  // below zero
  bar->SetValue(-64);
  ui::GrabControl(bar, shot);
  EXPECT_EQ(px(60), clLime);
  EXPECT_EQ(px(45), clBlack);
  auto* wide = Make<TAbBar>(20, 28);
  wide->BarSettings()->SetminWidth(80);
  EXPECT_EQ(wide->Width(), 80 + 2 * wide->BevelOuter()->TotalWidth());
}

}  // namespace

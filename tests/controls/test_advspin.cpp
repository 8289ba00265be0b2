// The spin edit: value reading and writing per type, clamping, stepping (plain, page,
// caret-dependent), the character filter; and the spin button pair's layout and repeat.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <vector>
#include "platform/rtl/DateUtils.h"
#include "platform/graphics/Bitmap.h"
#include "platform/stdctrls/Beep.h"
#include "platform/stdctrls/Themes.h"
#include "platform/ui/Simulate.h"
#include "controls/AdvEdit.h"
#include "controls/AdvSpin.h"
#include "platform/streaming/ClassRegistry.h"
#include "platform/ui/Application.h"

namespace {

class AdvSpinTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    Application->Initialize();
  }
  void SetUp() override {
    form = std::make_unique<TForm>(nullptr);
    spin = new TAdvSpinEdit(form.get());
    spin->SetParent(form.get());
  }
  void Type(char c) { spin->KeyPress(c); }
  std::unique_ptr<TForm> form;
  TAdvSpinEdit* spin = nullptr;
};

TEST_F(AdvSpinTest, IntegerReadClampAndNoRange) {
  EXPECT_EQ(spin->Text(), "0");
  spin->SetValue(-500);
  EXPECT_EQ(spin->Value(), -500);  // 0..0 is no range
  spin->SetMinValue(-10);
  spin->SetMaxValue(10);
  struct { int in, out; } cases[] = {{-11, -10}, {11, 10}, {3, 3}};
  for (auto& c : cases) {
    spin->SetValue(c.in);
    EXPECT_EQ(spin->Value(), c.out);
  }
  spin->SetText("abc");
  EXPECT_EQ(spin->Value(), -10);  // no integer: the minimum
}

TEST_F(AdvSpinTest, FloatFormatting) {
  spin->SetSpinType(sptFloat);
  struct { int prec; double v; const char* text; } cases[] = {
      {2, 1.005, "1.01"}, {0, 1.005, "1.005"}, {3, 0.5, "0.500"}, {-1, 1234.5678, "1235"}, {0, 0.1 + 0.2, "0.3"}};
  for (auto& c : cases) {
    spin->SetPrecision(c.prec);
    spin->SetFloatValue(c.v);
    EXPECT_EQ(spin->Text(), c.text) << c.prec << " " << c.v;
  }
}

TEST_F(AdvSpinTest, FloatStepsWithSmallIncrements) {
  spin->SetSpinType(sptFloat);
  spin->SetPrecision(6);
  spin->SetIncrementFloat(1.0 / 255);
  spin->SetMinFloatValue(0);
  spin->SetMaxFloatValue(1);
  spin->SetFloatValue(0);
  for (int i = 0; i < 255; ++i) spin->UpClick();
  EXPECT_EQ(spin->Text(), "1.000000");
  spin->UpClick();
  EXPECT_EQ(spin->Text(), "1.000000");  // clamped at the maximum
  WORD page = VK_NEXT;
  spin->KeyDown(page, {});
  EXPECT_EQ(spin->Text(), "0.000000");
}

TEST_F(AdvSpinTest, SmartIncrementFollowsTheCaret) {
  spin->SetSpinType(sptFloat);
  spin->SetPrecision(2);
  spin->SetIncrementSmart(true);
  struct { int caret; const char* after; } cases[] = {{4, "12.44"}, {2, "13.34"}, {1, "22.34"}, {0, "12.44"}};
  for (auto& c : cases) {
    spin->SetText("12.34");
    spin->SetSelStart(c.caret);
    spin->SetSelLength(0);
    spin->UpClick();
    EXPECT_EQ(spin->Text(), c.after) << c.caret;
  }
}

TEST_F(AdvSpinTest, HexReadAndWrite) {
  spin->SetSpinType(sptHex);
  for (const char* t : {"0x1F3", "1F3", "0X1f3"}) {
    spin->SetText(t);
    EXPECT_EQ(spin->HexValue(), 499) << t;
  }
  spin->SetText("0x1F3");
  spin->UpClick();
  EXPECT_EQ(spin->Text(), "0x1F4");
}

TEST_F(AdvSpinTest, CharacterFilter) {
  spin->SetSpinType(sptFloat);
  spin->SetPrecision(2);
  spin->SetText("1.5");
  spin->SetSelStart(3);
  Type('.');
  EXPECT_EQ(spin->Text(), "1.5");
  spin->SetText("15");
  spin->SetSelStart(1);
  Type(',');
  EXPECT_EQ(spin->Text(), "1.5");  // the thousands separator types the decimal one
  Type('x');
  Type('+');
  Type('-');
  EXPECT_EQ(spin->Text(), "1.5");  // unsigned: the minus never changes the text
  spin->SetSigned(true);
  Type('-');
  EXPECT_EQ(spin->Text(), "-1.5");
  spin->SetSpinType(sptNormal);
  spin->SetText("12");
  spin->SetSelStart(2);
  Type('.');
  Type('7');
  EXPECT_EQ(spin->Text(), "127");
}

// A paste (the clipboard keys, a middle click, a drop all come here) is taken only where the
// text it leaves reads as the number the field shows; anything else beeps and changes
// nothing, so a field never shows "7000x" while its value reads as the minimum.
TEST_F(AdvSpinTest, PastesLeaveOnlyNumbersOfTheSpinType) {
  ui::BeepCounter beeps;
  struct Case {
    TAdvSpinType type;
    int precision;
    bool is_signed;
    const char* before;
    int sel_start, sel_length;
    const char* pasted;
    const char* after;
  } cases[] = {
      {sptNormal, 0, false, "6500", 0, 4, "7000x", "6500"},
      {sptNormal, 0, false, "6500", 0, 4, " 7000 \r\nnext", "7000"},  // the first line, trimmed
      {sptNormal, 0, false, "65", 2, 0, "5y", "65"},
      {sptNormal, 0, false, "65", 2, 0, "00", "6500"},
      {sptNormal, 0, false, "65", 0, 0, "-", "65"},   // unsigned
      {sptNormal, 0, true, "65", 0, 0, "-", "-65"},
      {sptNormal, 0, true, "65", 0, 2, "1-2", "65"},  // a minus inside is no number
      {sptNormal, 0, false, "65", 0, 2, "1.5", "65"},
      {sptFloat, 2, false, "1.5", 0, 3, "2,25", "2.25"},  // the thousands separator as typed
      {sptFloat, 2, false, "1.5", 0, 3, "2.255", "1.5"},  // more decimals than the field shows
      {sptFloat, 0, false, "1", 0, 1, "2.5", "1"},
      {sptFloat, 2, false, "1.5", 3, 0, ".2", "1.5"},     // a second decimal point
      {sptFloat, 2, false, "1.5", 0, 3, "1e3", "1.5"},
      {sptHex, 0, false, "0x1F", 4, 0, "a0", "0x1Fa0"},
      {sptHex, 0, false, "0x1F", 4, 0, "g", "0x1F"},
  };
  for (const Case& c : cases) {
    spin->SetSpinType(c.type);
    spin->SetPrecision(c.precision);
    spin->SetSigned(c.is_signed);
    spin->SetText(c.before);
    spin->SetSelStart(c.sel_start);
    spin->SetSelLength(c.sel_length);
    const int beeped = beeps.Count();
    spin->PasteText(c.pasted);
    EXPECT_EQ(spin->Text(), c.after) << c.pasted;
    EXPECT_EQ(beeps.Count() > beeped, std::string(c.after) == c.before) << c.pasted;
  }
  // Read-only, or with its editor off, the field takes no paste at all.
  spin->SetSpinType(sptNormal);
  spin->SetText("65");
  spin->SetSelStart(2);
  spin->SetReadOnly(true);
  spin->PasteText("1");
  spin->SetReadOnly(false);
  spin->SetEditorEnabled(false);
  spin->PasteText("1");
  EXPECT_EQ(spin->Text(), "65");
}

TEST_F(AdvSpinTest, ExitWritesMinimumForEmptyText) {
  spin->SetAllowNullValue(false);
  spin->SetMinValue(5);
  spin->SetMaxValue(9);
  spin->SetText("");
  spin->DoExit();
  EXPECT_EQ(spin->Text(), "5");
  spin->SetText("42");
  spin->DoExit();
  EXPECT_EQ(spin->Text(), "9");
}

TEST_F(AdvSpinTest, EmptyOrHalfTypedFloatKeepsTheLastValue) {
  spin->SetSpinType(sptFloat);
  spin->SetPrecision(1);
  spin->SetMinValue(0);
  spin->SetMinFloatValue(7.5);
  spin->SetMaxFloatValue(20);
  spin->SetFloatValue(12.5);
  std::vector<double> seen;
  spin->OnChange = [&](TObject*) { seen.push_back(spin->FloatValue()); };
  for (const char* t : {"", "-", "1", "", "14"}) spin->SetText(t);
  EXPECT_EQ(seen, (std::vector<double>{12.5, 12.5, 1, 1, 14})) << "never the integer minimum 0";
  // With AllowNullValue an empty float stays empty on leaving; without, the minimum.
  spin->SetText("");
  spin->DoExit();
  EXPECT_EQ(spin->Text(), "");
  spin->SetAllowNullValue(false);
  spin->DoExit();
  EXPECT_EQ(spin->Text(), "7.5");
}

TEST_F(AdvSpinTest, YearStepFromLeapDayGivesTheLastOfFebruary) {
  spin->SetSpinType(sptDate);
  spin->SetDateValue(EncodeDate(2024, 2, 29));
  spin->SetSelStart(static_cast<int>(spin->Text().size()));  // in the year field
  spin->UpClick();
  EXPECT_EQ(spin->Text(), "2/28/2025");
  spin->DownClick();
  EXPECT_EQ(spin->Text(), "2/28/2024");
  spin->SetSelStart(0);  // month field
  spin->UpClick();
  EXPECT_EQ(spin->Text(), "3/28/2024");
}

TEST_F(AdvSpinTest, TimeStepNeverGoesBelowMidnight) {
  spin->SetSpinType(sptTime);
  spin->SetTimeValue(0.5 / 24);  // 0:30:00
  EXPECT_EQ(spin->Text(), "0:30:00");
  spin->SetSelStart(0);
  spin->DownClick();
  EXPECT_EQ(spin->Text(), "0:30:00");
  spin->SetSelStart(3);
  spin->UpClick();
  EXPECT_EQ(spin->Text(), "0:31:00");
}

TEST_F(AdvSpinTest, ButtonPairLayoutAndRepeat) {
  TAdvSpinButton* pair = new TAdvSpinButton(form.get());
  pair->SetParent(form.get());
  int ups = 0;
  pair->OnUpClick = [&](TObject*) { ++ups; };
  pair->UpButton()->MouseDown(mbLeft, {}, 1, 1);
  ASSERT_NE(pair->UpButton()->RepeatTimer(), nullptr);
  EXPECT_EQ(pair->UpButton()->RepeatTimer()->Interval(), 400u);
  pair->UpButton()->RepeatTimer()->Tick();
  EXPECT_EQ(pair->UpButton()->RepeatTimer()->Interval(), 100u);
  pair->UpButton()->RepeatTimer()->Tick();
  EXPECT_EQ(ups, 2);
  pair->UpButton()->MouseUp(mbLeft, {}, 1, 1);
  EXPECT_FALSE(pair->UpButton()->RepeatTimer()->Enabled());
}

TEST_F(AdvSpinTest, ButtonRectanglesBothDirections) {
  TAdvSpinButton* pair = new TAdvSpinButton(form.get());
  pair->SetParent(form.get());
  EXPECT_EQ(pair->BoundsRect(), Bounds(0, 0, 15, 25));
  EXPECT_EQ(pair->UpButton()->BoundsRect(), Bounds(0, 0, 15, 12));
  EXPECT_EQ(pair->DownButton()->BoundsRect(), Bounds(0, 11, 15, 14)) << "the two share one pixel row";
  pair->SetBounds(0, 0, 10, 25);
  EXPECT_EQ(pair->Width(), 15) << "never narrower than 15";
  pair->SetDirection(spHorizontal);
  EXPECT_EQ(pair->Width(), 20);
  EXPECT_EQ(pair->DownButton()->BoundsRect(), Bounds(0, 0, 10, 25));
  EXPECT_EQ(pair->UpButton()->BoundsRect(), Bounds(11, 0, 10, 25));
  EXPECT_EQ(pair->UpButton()->Kind(), TAdvTimerSpeedButton::bkHorUp);
}

TEST_F(AdvSpinTest, GlyphsAndThemedOrClassicDrawing) {
  TAdvSpinButton* pair = new TAdvSpinButton(form.get());
  pair->SetParent(form.get());
  TBitmap picture;
  picture.SetSize(5, 3);
  pair->SetUpGlyph(&picture);
  EXPECT_FALSE(pair->UpButton()->BuiltInGlyph());
  EXPECT_EQ(pair->UpGlyph()->Width(), 5);
  pair->SetUpGlyph(nullptr);
  EXPECT_TRUE(pair->UpButton()->BuiltInGlyph()) << "nil brings the built-in arrow back";
  EXPECT_TRUE(ui::ThemesAvailable());
  // Both looks draw something other than the face colour in the middle (the arrow).
  for (bool themed : {true, false}) {
    ui::SetThemesEnabled(themed);
    EXPECT_EQ(ui::ThemeActive(), themed);
    TBitmap shot;
    ui::GrabControl(pair->DownButton(), shot);
    bool ink = false;
    for (int x = 3; x < 12; ++x)
      for (int y = 4; y < 10; ++y) ink = ink || shot.Canvas()->Pixel(x, y) != shot.Canvas()->Pixel(1, 1);
    EXPECT_TRUE(ink) << (themed ? "themed" : "classic");
  }
  ui::SetThemesEnabled(true);
}

TEST_F(AdvSpinTest, PairKeysAndEditWheel) {
  TAdvSpinButton* pair = new TAdvSpinButton(form.get());
  pair->SetParent(form.get());
  int ups = 0, downs = 0;
  pair->OnUpClick = [&](TObject*) { ++ups; };
  pair->OnDownClick = [&](TObject*) { ++downs; };
  for (WORD k : {WORD(VK_UP), WORD(VK_SPACE), WORD(VK_DOWN), WORD(VK_SPACE)}) pair->KeyDown(k, {});
  EXPECT_EQ(ups, 2);
  EXPECT_EQ(downs, 2);
  spin->SetValue(5);
  spin->DoMouseWheel({}, 120, {0, 0});
  spin->DoMouseWheel({}, 120, {0, 0});
  spin->DoMouseWheel({}, -120, {0, 0});
  EXPECT_EQ(spin->Value(), 6);
}

TEST_F(AdvSpinTest, CaptionLabelPropertiesReachTheLabelThroughTheRegistry) {
  RegisterAdvEditClasses();
  const TStreamClass* cls = FindClass("TAdvSpinEdit");
  ASSERT_NE(cls, nullptr);
  cls->FindProp("LabelCaption")->SetStr(spin, "Gain");
  cls->FindProp("LabelMargin")->SetOrd(spin, 7);
  EXPECT_EQ(spin->EditLabel().Caption(), "Gain");
  EXPECT_EQ(spin->EditLabel().Margin(), 7);
  EXPECT_EQ(cls->FindProp("LabelCaption")->GetStr(spin), "Gain");
}

}  // namespace

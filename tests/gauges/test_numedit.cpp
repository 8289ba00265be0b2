// The numeric edit: bases, prefixes, SI letters, limits, stepping, colour states, and the
// repeating spin buttons under a manual clock.
#include <gtest/gtest.h>

#include "gauges/AbFlashT.h"
#include "gauges/AbNumEdit.h"
#include "platform/os/Clock.h"
#include "platform/stdctrls/Beep.h"
#include "platform/ui/Application.h"
#include "platform/ui/Simulate.h"

namespace {

class NumEditTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    Application->Initialize();
    RegisterGaugeClasses();
  }
  void SetUp() override {
    form = std::make_unique<TForm>(nullptr);
    e = new TAbNumSpin(form.get());
    e->SetParent(form.get());
    e->Loaded();
    e->OnValueChanged = [this](TObject*) { ++changed; };
    e->OnLimit = [this](TObject*) { ++limits; };
  }
  void TearDown() override { abflash::Reset(); }
  // Types a whole text and presses Enter.
  void Enter(const AnsiString& t) {
    e->SetText(t);
    char k = '\r';
    e->KeyPress(k);
  }
  std::unique_ptr<TForm> form;
  TAbNumSpin* e = nullptr;
  int changed = 0, limits = 0;
  ui::BeepCounter beeps;
};

TEST_F(NumEditTest, FloatTextsWithLettersAndPrefixes) {
  struct {
    const char* text;
    double value;
    const char* shown;
  } cases[] = {{"2k", 2000, "2000"},   {"k", 1000, "1000"},  {"1.5E3", 1500, "1500"}, {"E3", 1000, "1000"},
               {"$1F", 31, "31"},      {"-", 0, "0"},        {"2.5m", 0.0025, "0"},   {"&101", 5, "5"},
               {"1,234.5", 1234.5, "1234.5"}, {"%12", 12, "12"}};
  for (auto& c : cases) {
    Enter(c.text);
    EXPECT_FLOAT_EQ(e->Value(), c.value) << c.text;  // the letters' factors are Singles
    EXPECT_EQ(e->Text(), c.shown) << c.text;
    EXPECT_EQ(e->State(), esNormal) << c.text;
  }
}

TEST_F(NumEditTest, BadTextsShowTheErrorStateWithoutThrowing) {
  Enter("7");
  struct {
    TEditBase base;
    const char* text;
    int selStart, selLength;
  } cases[] = {{ebInt, "3m", 1, 1},          {ebFloat, "1.2.3", 3, 1},     {ebInt, "99999999999", 0, 11},
               {ebFloat, "1e", 0, 2},        {ebFloat, ".", 0, 1},         {ebHex, "$1FFFFFFFF", 1, 9},
               {ebFloat, "12x4y", 2, 3},     {ebBin, "102", 2, 1}};
  for (auto& c : cases) {
    e->SetEditBase(ebFloat);
    Enter("7");
    e->SetEditBase(c.base);
    const int before = beeps.Count();
    EXPECT_NO_THROW(Enter(c.text)) << c.text;
    EXPECT_EQ(e->State(), esError) << c.text;
    EXPECT_EQ(e->Color(), clRed) << c.text;
    EXPECT_EQ(e->SelStart(), c.selStart) << c.text;
    EXPECT_EQ(e->SelLength(), c.selLength) << c.text;
    EXPECT_EQ(beeps.Count(), before + 1) << c.text;
    EXPECT_DOUBLE_EQ(e->Value(), 7) << c.text;
  }
  e->SetEditBase(ebInt);
  Enter("3k");
  EXPECT_EQ(e->Value(), 3000);
  // Typing a good but different text shows the editing colour; Escape restores the text.
  e->SetText("12");
  EXPECT_EQ(e->State(), esEditing);
  EXPECT_EQ(e->Color(), clLime);
  WORD esc = VK_ESCAPE;
  e->KeyDown(esc, {});
  EXPECT_EQ(e->Text(), "3000");
  EXPECT_EQ(e->State(), esNormal);
  // That Escape was the edit's; the next, with nothing to take back, is left to the window.
  EXPECT_EQ(esc, 0);
  esc = VK_ESCAPE;
  e->KeyDown(esc, {});
  EXPECT_EQ(esc, VK_ESCAPE);
}

TEST_F(NumEditTest, LimitsClampAndDisableTheButtons) {
  e->SetEditBase(ebInt);
  e->SetOptions(TNumEditOptions{eoLimitMax, eoLimitMin});
  e->SetMaxValue(255);
  e->SetValue(100);
  limits = 0;
  Enter("300");
  EXPECT_EQ(e->Value(), 255);
  EXPECT_EQ(e->Text(), "255");
  EXPECT_EQ(limits, 1);
  EXPECT_FALSE(e->Button()->UpButton()->Enabled());
  EXPECT_TRUE(e->Button()->DownButton()->Enabled());
  const int before = beeps.Count();
  e->Up();
  EXPECT_EQ(beeps.Count(), before + 1);
  EXPECT_EQ(e->Value(), 255);
  e->Down();
  EXPECT_EQ(e->Value(), 254);
  EXPECT_TRUE(e->Button()->UpButton()->Enabled());
}

TEST_F(NumEditTest, ValueChangesReportOnlyNewTexts) {
  e->SetValue(1.04);
  changed = 0;
  e->SetValue(1.04);
  e->SetValue(1.01);  // "#0.#" shows 1 both times
  EXPECT_EQ(changed, 0);
  e->SetValue(2);
  EXPECT_EQ(changed, 1);
  e->SetValue(1e45);
  EXPECT_FLOAT_EQ(e->ValueAsSingle(), 3.4e38f);
  EXPECT_EQ(e->ValueAsInt(), 2147483647);
  e->SetValue(-1e45);
  EXPECT_FLOAT_EQ(e->ValueAsSingle(), -3.4e38f);
  EXPECT_EQ(e->ValueAsInt(), -2147483647);
}

// A value set from code, the same one included, is what the edit shows afterwards; a
// number typed is taken as leaving the edit takes it, and one put away unused is dropped.
TEST_F(NumEditTest, SettingTheValueHeldRewritesTypedTextSilently) {
  e->SetValue(5);
  changed = 0;
  for (const char* typed : {"17", "1x", ""}) {
    SCOPED_TRACE(typed);
    e->SetText(typed);
    EXPECT_TRUE(e->TypingNotTaken());
    e->SetValue(5);
    EXPECT_EQ(e->Text(), "5");
    EXPECT_EQ(e->State(), esNormal);
    EXPECT_EQ(e->Color(), e->ColorDefault());
  }
  e->SetText("5x");
  e->SetValueAsInt(5);
  EXPECT_EQ(e->Text(), "5");
  e->SetText("6");
  e->SetValueAsInt(6);  // the text was typed, not taken: the value is set now
  EXPECT_EQ(e->Value(), 6);
  EXPECT_EQ(changed, 1);

  e->SetText("8");
  EXPECT_TRUE(e->CommitTyping());
  EXPECT_EQ(e->Value(), 8);
  EXPECT_EQ(changed, 2);
  EXPECT_FALSE(e->TypingNotTaken());
  e->SetText("9y");
  EXPECT_FALSE(e->CommitTyping());
  EXPECT_EQ(e->Value(), 8);
  e->PutAway();
  EXPECT_EQ(e->Text(), "8");
  EXPECT_EQ(e->State(), esNormal);
  EXPECT_EQ(changed, 2);
}

TEST_F(NumEditTest, MultiplyingStepsAndHexBinaryForms) {
  e->SetOptions(TNumEditOptions{eoMultiply});
  e->SetIncrement(2);
  e->SetValue(8);
  e->Down();
  EXPECT_EQ(e->Value(), 4);
  e->SetValue(0);
  e->Down();
  EXPECT_EQ(e->Value(), -2);
  e->SetValue(10);
  EXPECT_EQ(e->ValueAsHex(), "A");
  EXPECT_EQ(e->ValueAsBool(), "1010");
  e->SetEditBase(ebHex);
  EXPECT_EQ(e->Text(), "A");
  e->SetValueAsBool("111");
  EXPECT_EQ(e->Value(), 7);
  EXPECT_EQ(e->Text(), "7");
}

TEST_F(NumEditTest, SpinButtonsRepeatAfterTheirStartDelay) {
  os::ManualClock clock(5000);
  os::ScopedClock scoped(clock);
  TAbTimerSpeedBtn* up = e->Button()->UpButton();
  up->SetInterval(20);
  EXPECT_EQ(up->Interval(), 100);
  up->SetInterval(50);
  EXPECT_EQ(up->Interval(), 50);
  up->SetInterval(100);
  e->SetValue(0);
  up->MouseDown(mbLeft, {}, 2, 2);
  auto run = [&](int ms) {
    for (int t = 0; t < ms; t += 10) {
      clock.Advance(10);
      abflash::FlashTimerTick();
    }
  };
  run(490);
  EXPECT_EQ(e->Value(), 0);  // still within the start delay
  run(320);                  // 500, 600, 700, 800
  EXPECT_EQ(e->Value(), 4);
  up->MouseUp(mbLeft, {}, 2, 2);  // the release is a click of its own
  EXPECT_EQ(e->Value(), 5);
  run(500);
  EXPECT_EQ(e->Value(), 5);
  // Released before the delay: only the click.
  up->MouseDown(mbLeft, {}, 2, 2);
  run(300);
  up->MouseUp(mbLeft, {}, 2, 2);
  EXPECT_EQ(e->Value(), 6);
  // Without the timer it is a plain speed button.
  up->SetTimerEnabled(false);
  up->MouseDown(mbLeft, {}, 2, 2);
  run(1000);
  up->MouseUp(mbLeft, {}, 2, 2);
  EXPECT_EQ(e->Value(), 7);
  TAbSpinButton pair(nullptr);
  pair.SetBounds(0, 0, 10, 30);
  EXPECT_EQ(pair.Width(), 15);
  EXPECT_EQ(pair.DownButton()->Top(), 15);
}

// Keys other than Up and Down announce a change before the edit takes them: the handler
// sees the text as it was when the key arrived. Up and Down step (and announce once).
TEST_F(NumEditTest, KeysAnnounceAChangeBeforeTheEditTakesThem) {
  e->SetEditBase(ebInt);
  e->SetValue(12);
  form->Show();
  e->SetFocus();
  std::vector<AnsiString> seen;
  e->OnChange = [&](TObject* s) {
    EXPECT_EQ(s, e);
    seen.push_back(e->Text());
  };
  struct Row {
    const char* key;
    std::vector<AnsiString> want;
    double value;
  } rows[] = {
      {"End", {"12"}, 12},           // moves the caret only
      {"Shift", {"12"}, 12},         // a bare modifier counts too
      {"5", {"12", "125"}, 12},      // before the key, then the text change
      {"Escape", {"12", "12"}, 12},  // the text goes back to the value first
      {"Up", {"13", "13"}, 13},      // the text change and the step, nothing for the key
      {"Down", {"12", "12"}, 12},
  };
  for (const Row& r : rows) {
    seen.clear();
    ui::SimulateKey(e, r.key);
    EXPECT_EQ(seen, r.want) << r.key;
    EXPECT_EQ(e->Value(), r.value) << r.key;
  }
  form->Hide();
}

}  // namespace

// The typed edit and the mask edit: key filtering, value conversions, focus exit, label
// placement and the form-resource registration.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include "controls/AdvEdit.h"
#include "controls/AdvMaskEdit.h"
#include "controls/AdvSpin.h"
#include "platform/rtl/SysUtils.h"
#include "platform/streaming/ClassRegistry.h"
#include "platform/ui/Application.h"

namespace {

class AdvEditTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    Application->Initialize();
  }
  void SetUp() override {
    form = std::make_unique<TForm>(nullptr);
    edit = new TAdvEdit(form.get());
    edit->SetParent(form.get());
  }
  void Type(const char* keys) {
    for (const char* p = keys; *p; ++p) {
      char k = *p;
      edit->KeyPress(k);
    }
  }
  std::unique_ptr<TForm> form;
  TAdvEdit* edit = nullptr;
};

TEST_F(AdvEditTest, ClassifiesText) {
  struct { const char* text; TTextKind kind; } cases[] = {
      {"123", tkInteger}, {"-12", tkInteger}, {"1.5", tkDecimal}, {"1,234.5", tkDecimal}, {",123", tkText},
      {"1,23,456", tkText}, {"1F", tkHex}, {"1.2.3", tkText}, {"--1", tkText}, {"", tkText}, {"abc", tkHex}, {"xyz", tkText}};
  for (auto& c : cases) EXPECT_EQ(ClassifyText(c.text), c.kind) << c.text;
}

TEST_F(AdvEditTest, NumericKeysAndSign) {
  edit->SetEditType(etNumeric);
  edit->SetText("");
  EXPECT_EQ(edit->Text(), "0");
  edit->SetText("12");
  edit->SetSelStart(2);
  Type("a3-");
  EXPECT_EQ(edit->Text(), "123");  // letters and the unsigned minus are discarded
  edit->SetSigned(true);
  edit->SetSelStart(1);
  Type("-");
  EXPECT_EQ(edit->Text(), "-123");
  Type("-");
  EXPECT_EQ(edit->Text(), "123");
}

TEST_F(AdvEditTest, FloatPrecisionAndSeparator) {
  edit->SetEditType(etFloat);
  edit->SetPrecision(1);
  edit->SetText("12.3");
  edit->SetSelStart(4);
  Type("4");
  EXPECT_EQ(edit->Text(), "12.3");
  edit->SetSelStart(3);
  Type("4");
  EXPECT_EQ(edit->Text(), "12.4");  // overwrites the decimal
  Type(".");
  EXPECT_EQ(edit->Text(), "12.4");  // a second separator is refused

  edit->SetPrecision(0);
  edit->SetText("7");
  edit->SetSelStart(1);
  Type(".");
  EXPECT_EQ(edit->Text(), "7");

  edit->SetPrecision(2);
  edit->TCustomEdit::SetText("");
  edit->SetSelStart(0);
  Type(".");
  EXPECT_EQ(edit->Text(), "0.");
  EXPECT_EQ(edit->SelStart(), 2);
}

TEST_F(AdvEditTest, ValueWritesFormatAndSetModified) {
  edit->SetEditType(etFloat);
  edit->SetPrecision(1);
  struct { double v; const char* text; } cases[] = {{1.25, "1.3"}, {0, "0.0"}, {-2.04, "-2.0"}, {1234.56, "1234.6"}};
  for (auto& c : cases) {
    edit->SetModified(false);
    edit->SetFloatValue(c.v);
    EXPECT_EQ(edit->Text(), c.text);
    EXPECT_TRUE(edit->Modified());
  }
  edit->SetIntValue(12);
  EXPECT_EQ(edit->Text(), "12.0");
  edit->SetEditType(etHex);
  edit->SetFloatValue(255);
  EXPECT_EQ(edit->Text(), "FF");
  EXPECT_DOUBLE_EQ(edit->FloatValue(), 255);
  edit->SetPrecision(0);  // ignored by hex and numeric edits
  edit->SetEditType(etFloat);
  edit->SetPrecision(0);
  edit->SetEditType(etNumeric);
  edit->SetFloatValue(1234567);
  EXPECT_EQ(edit->Text(), "1,234,567");
  EXPECT_DOUBLE_EQ(edit->FloatValue(), 1234567);
}

TEST_F(AdvEditTest, ExitFillsEmptyNumericUnlessNullAllowed) {
  edit->SetEditType(etNumeric);
  edit->TCustomEdit::SetText("");
  AnsiString seen = "unset";
  edit->OnValueValidate = [&](TObject*, const AnsiString& v, bool&) { seen = v; };
  edit->DoExit();
  EXPECT_EQ(edit->Text(), "0");
  EXPECT_EQ(seen, "0");
  edit->SetAllowNumericNullValue(true);
  edit->TCustomEdit::SetText("");
  edit->DoExit();
  EXPECT_EQ(edit->Text(), "");
}

TEST_F(AdvEditTest, ControlCharactersAreNeverTyped) {
  for (TAdvEditType t : {etString, etFloat, etMixedCase, etValidChars}) {
    edit->SetEditType(t);
    edit->SetValidChars("\x01\x1A");
    edit->SetText("12");
    edit->SelectAll();
    Type("\x01\x1A");  // Ctrl+A, Ctrl+Z
    EXPECT_EQ(edit->Text(), "12") << t;
  }
}

TEST_F(AdvEditTest, LengthLimitStopsIntegerDigits) {
  edit->SetEditType(etNumeric);
  edit->SetLengthLimit(3);
  edit->SetText("12");
  edit->SetSelStart(2);
  Type("34");
  EXPECT_EQ(edit->Text(), "123");
}

TEST_F(AdvEditTest, MixedCaseAndUrl) {
  struct { const char* in; const char* out; } cases[] = {
      {"hello world", "Hello World"}, {"mcdonald", "McDonald"}, {"o'neil-smith", "O'neil-Smith"}, {"henry ii", "Henry II"}};
  for (auto& c : cases) EXPECT_EQ(MixedCase(c.in), c.out) << c.in;
  struct { const char* text; bool url; } urls[] = {{"a@b.c", true}, {"@b", false}, {"WWW.x", true}, {"http://x", true}, {"x", false}};
  for (auto& u : urls) {
    edit->SetText(u.text);
    EXPECT_EQ(edit->IsURL(), u.url) << u.text;
  }
}

TEST_F(AdvEditTest, PrefixAndSuffixStayOutOfTheValue) {
  edit->SetPrefix("$");
  edit->SetSuffix(" kg");
  edit->SetText("12");
  EXPECT_EQ(edit->Text(), "12");
  EXPECT_EQ(static_cast<const TControl*>(edit)->Text(), "$12 kg");
  // Only a suffix that is there is cut from the value.
  edit->TCustomEdit::SetText("$12 k");
  EXPECT_EQ(edit->Text(), "12 k");
}

TEST_F(AdvEditTest, FullFractionStillTakesBackspaceAndSignKeepsTheFraction) {
  edit->SetEditType(etFloat);
  edit->SetSigned(true);
  edit->SetPrecision(2);
  edit->SetText("1.25");
  edit->SetSelStart(4);
  Type("\b");
  EXPECT_EQ(edit->Text(), "1.2");
  edit->SetText("1.25");
  edit->SetSelStart(2);
  Type("-");
  EXPECT_EQ(edit->Text(), "-1.25");
  edit->SetPrecision(0);
  edit->TCustomEdit::SetText("3.75");
  edit->SetSelStart(0);
  Type("-");
  EXPECT_EQ(edit->Text(), "-3.75") << "the fraction stays with Precision 0";
}

TEST_F(AdvEditTest, SeparatorsAmongThousandsOnlyAtWholeGroups) {
  edit->SetEditType(etFloat);
  edit->SetPrecision(2);
  struct { int caret; char key; const char* after; } cases[] = {
      {5, '.', "1,234."}, {4, '.', "1,234"}, {1, ',', "1,234"}, {5, ',', "1,234,"}};
  for (auto& c : cases) {
    edit->TCustomEdit::SetText("1,234");
    edit->SetSelStart(c.caret);
    char k = c.key;
    edit->KeyPress(k);
    EXPECT_EQ(edit->Text(), c.after) << c.caret << c.key;
  }
}

TEST_F(AdvEditTest, MoneyUsesTheProgramsDecimalSeparator) {
  edit->SetEditType(etMoney);
  edit->SetPrecision(2);
  edit->SetText("1234.5");
  EXPECT_EQ(edit->Text(), "1,234.50");
  edit->SelectAll();
  Type(".");
  EXPECT_EQ(edit->Text(), "0.0");
}

TEST_F(AdvEditTest, PasteKeepsOnlyWhatTheTypeConverts) {
  struct { TAdvEditType type; bool sign; const char* start; const char* paste; const char* after; } cases[] = {
      {etFloat, true, "", "1-2", ""},       {etFloat, true, "", "-1.5", "-1.50"}, {etFloat, false, "", "-1", ""},
      {etNumeric, false, "", "12a", ""},    {etNumeric, false, "7", "12", "712"}, {etHex, false, "", "FF", ""},
      {etUppercase, false, "a", "bc", "ABC"}, {etAlphaNumeric, false, "", "a b", ""}, {etString, false, "x", "y z", "xy z"}};
  for (auto& c : cases) {
    edit->SetEditType(c.type);
    edit->SetSigned(c.sign);
    edit->SetPrecision(2);
    edit->TCustomEdit::SetText(c.start);
    edit->SetSelStart(static_cast<int>(AnsiString(c.start).size()));
    edit->PasteText(c.paste);
    EXPECT_EQ(edit->Text(), c.after) << c.type << " " << c.paste;
    if (c.type == etFloat) {
      EXPECT_NO_THROW(edit->FloatValue());
    }
  }
}

TEST(EditLabel, PlacementTable) {
  // Edit at (100, 50), 80 x 20; label 30 x 13; margin 4.
  struct { TLabelPosition p; int x, y; } cases[] = {
      {lpLeftTop, 66, 50}, {lpLeftCenter, 66, 53}, {lpLeftBottom, 66, 57}, {lpTopLeft, 100, 33},
      {lpBottomLeft, 100, 74}, {lpLeftTopLeft, 96, 50}, {lpLeftCenterLeft, 96, 53}, {lpLeftBottomLeft, 96, 57},
      {lpTopCenter, 125, 33}, {lpBottomCenter, 125, 74}};
  for (auto& c : cases) {
    TPoint pt = EditLabelOrigin(c.p, 100, 50, 80, 20, 30, 13, 4);
    EXPECT_EQ(pt.x, c.x) << c.p;
    EXPECT_EQ(pt.y, c.y) << c.p;
  }
}

TEST_F(AdvEditTest, MaskCompleteEventCanVetoTab) {
  auto* mask = new TAdvMaskEdit(form.get());
  mask->SetParent(form.get());
  mask->SetEditMask("!9999;0;_");
  int fired = 0;
  mask->OnMaskComplete = [&](TObject*, const AnsiString& v, bool& accept) {
    ++fired;
    EXPECT_EQ(v, "1234");
    accept = false;
  };
  mask->SetSelStart(0);
  WORD up = '1';
  for (char c : AnsiString("1234")) {
    char k = c;
    mask->KeyPress(k);
    mask->KeyUp(up, {});
  }
  EXPECT_EQ(fired, 1);
  char enter = 13;
  mask->KeyPress(enter);
  EXPECT_EQ(enter, 0);  // Enter as Tab never reaches the text
}

TEST_F(AdvEditTest, MaskAutoTabMovesOnAndEscapeUndoes) {
  form->SetClientSize(300, 200);
  form->Show();
  struct { bool autoTab; TAlignment align; bool movesOn; } cases[] = {
      {true, taLeftJustify, true}, {false, taLeftJustify, false}, {true, taRightJustify, true}};
  for (auto& c : cases) {
    auto* mask = new TAdvMaskEdit(form.get());
    mask->SetParent(form.get());
    auto* next = new TAdvMaskEdit(form.get());
    next->SetParent(form.get());
    mask->SetEditMask("!9999;0;_");
    mask->SetAutoTab(c.autoTab);
    mask->SetAlignment(c.align);
    mask->SetCanUndo(true);
    mask->SetFocus();
    mask->SetText("");
    mask->SetSelStart(0);
    WORD up = '1';
    for (char ch : AnsiString("4321")) {
      char k = ch;
      mask->KeyPress(k);
      mask->KeyUp(up, {});
    }
    EXPECT_EQ(next->Focused(), c.movesOn) << c.autoTab;
    next->SetFocus();
    mask->SetFocus();
    const AnsiString entry = mask->Text();
    mask->SetText("99");
    WORD esc = VK_ESCAPE;
    mask->KeyDown(esc, {});
    EXPECT_EQ(mask->Text(), entry) << "Escape restores the text of focus entry whatever the alignment";
  }
  form->Hide();
}

TEST_F(AdvEditTest, PinFieldKeepsItsFontColourWithFocusFontColorNone) {
  auto* pin = new TAdvMaskEdit(form.get());
  pin->SetParent(form.get());
  pin->Font()->SetColor(clNavy);
  pin->SetFocusFontColor(clNone);
  pin->DoEnter();
  EXPECT_EQ(pin->Font()->Color(), clNavy);
  auto* field = new TAdvEdit(form.get());
  field->SetFocusFontColor(clNone);
  field->Font()->SetColor(clNavy);
  field->DoEnter();
  EXPECT_EQ(field->Font()->Color(), clNavy);
}

TEST(AdvEditRegistration, ClassesAreRegistered) {
  RegisterAdvEditClasses();
  RegisterAdvEditClasses();  // a second call does nothing
  for (const char* n : {"TAdvEdit", "TAdvMaskEdit", "TAdvSpinEdit", "TEdit", "TMaskEdit"})
    EXPECT_NE(FindClass(n), nullptr) << n;
}

}  // namespace

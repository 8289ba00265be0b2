// The typed edit over the window system: drag and drop of text between and inside edits,
// opening URL texts, the placeholder and flat line as drawn, hover and the long-text hint.
#include <gtest/gtest.h>

#include <unistd.h>

#include <cstdlib>
#include <memory>
#include <vector>
#include "controls/AdvEdit.h"
#include "controls/AdvMaskEdit.h"
#include "controls/AdvSpin.h"
#include "platform/rtl/DateUtils.h"
#include "platform/graphics/Bitmap.h"
#include "platform/ui/Application.h"
#include "platform/ui/Simulate.h"

namespace {

class AdvEditLookTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    Application->Initialize();
  }
  void SetUp() override {
    form = std::make_unique<TForm>(nullptr);
    form->SetClientSize(400, 200);
    a = Make(10);
    b = Make(60);
    form->Show();
  }
  void TearDown() override {
    ui::SetDragDropRunner({});
    ui::SetURLOpener({});
    form->Hide();
  }
  TAdvEdit* Make(int top) {
    auto* e = new TAdvEdit(form.get());
    e->SetParent(form.get());
    e->SetBounds(10, top, 200, 24);
    e->SetOleDropSource(true);
    e->SetOleDropTarget(true);
    return e;
  }
  // A client point on the gap before character `pos` of the window text.
  static TPoint At(TAdvEdit* e, int pos) { return TPoint{ui::EditCharToX(e, pos) + 1, e->Height() / 2}; }
  static ui::TDragData TextData(const char* t) {
    ui::TDragData d;
    d.HasText = true;
    d.Text = t;
    return d;
  }
  // Drags the selection of `from` (pressed on its first selected character) and drops it
  // on `to` at character `pos`.
  int DragTo(TAdvEdit* from, TAdvEdit* to, int pos, bool ctrl) {
    int result = -1;
    ui::SetDragDropRunner([&](TControl* src, const ui::TDragData& d, int allowed) {
      EXPECT_EQ(src, from);
      EXPECT_EQ(allowed, ui::deCopy | ui::deMove);
      to->DragOverAt(d, At(to, pos), ctrl);
      result = to->DropAt(d, At(to, pos), ctrl);
      return static_cast<ui::TDropEffect>(result);
    });
    from->SetFocus();
    const int start = from->SelStart(), len = from->SelLength();
    const TPoint p = At(from, start);
    from->MouseDown(mbLeft, {ssLeft}, p.x + 2, p.y);
    EXPECT_TRUE(from->DragPending());
    EXPECT_EQ(from->SelLength(), len) << "the press keeps the selection";
    from->MouseMove({ssLeft}, p.x + 10, p.y);
    return result;
  }
  std::unique_ptr<TForm> form;
  TAdvEdit *a = nullptr, *b = nullptr;
};

TEST_F(AdvEditLookTest, DropsTakeTheFirstLineAtTheMouse) {
  b->SetText("xy");
  EXPECT_EQ(b->DragOverAt(TextData("abc\r\ndef"), At(b, 1), false), ui::deMove);
  EXPECT_GE(b->DropCaret().x, 0) << "a drop caret follows the mouse";
  EXPECT_EQ(b->DropAt(TextData("abc\r\ndef"), At(b, 1), true), ui::deCopy);
  EXPECT_EQ(b->Text(), "xabcy");
  EXPECT_EQ(b->DropCaret().x, -1);
}

TEST_F(AdvEditLookTest, RefusedDrops) {
  ui::TDragData rich;
  rich.HasRichText = true;
  b->SetText("keep");
  struct { const char* what; std::function<void()> setup; ui::TDragData data; } cases[] = {
      {"rich text alone", [] {}, rich},
      {"read-only", [this] { b->SetReadOnly(true); }, TextData("x")},
      {"no drop target", [this] { b->SetOleDropTarget(false); }, TextData("x")},
      {"numeric takes no letters", [this] { b->SetEditType(etNumeric); b->SetText("12"); }, TextData("ab")},
  };
  for (auto& c : cases) {
    b->SetReadOnly(false);
    b->SetOleDropTarget(true);
    c.setup();
    const AnsiString before = b->Text();
    EXPECT_EQ(b->DragOverAt(c.data, At(b, 1), false) == ui::deNone, c.what != std::string("numeric takes no letters"))
        << c.what;
    EXPECT_EQ(b->DropAt(c.data, At(b, 1), false), ui::deNone) << c.what;
    EXPECT_EQ(b->Text(), before) << c.what;
  }
}

TEST_F(AdvEditLookTest, DragOutMovesOrCopiesWithCtrl) {
  a->SetText("hello world");
  a->SetSelStart(0);
  a->SetSelLength(5);
  b->SetText("");
  EXPECT_EQ(DragTo(a, b, 0, false), ui::deMove);
  EXPECT_EQ(b->Text(), "hello");
  EXPECT_EQ(a->Text(), " world") << "moved out";
  a->SetText("copy me");
  a->SetSelStart(0);
  a->SetSelLength(4);
  EXPECT_EQ(DragTo(a, b, 5, true), ui::deCopy);
  EXPECT_EQ(b->Text(), "hellocopy");
  EXPECT_EQ(a->Text(), "copy me") << "Ctrl copies";
}

TEST_F(AdvEditLookTest, DragInsideTheEdit) {
  a->SetText("hello world");
  a->SetSelStart(0);
  a->SetSelLength(5);
  EXPECT_EQ(DragTo(a, a, 2, false), ui::deNone);
  EXPECT_EQ(a->Text(), "hello world") << "a drop onto its own selection changes nothing";
  a->SetSelStart(0);
  a->SetSelLength(5);
  DragTo(a, a, 11, false);
  EXPECT_EQ(a->Text(), " worldhello") << "a move inside the edit";
  a->SetSelStart(0);
  a->SetSelLength(6);
  DragTo(a, a, 11, true);
  EXPECT_EQ(a->Text(), " worldhello world") << "Ctrl copies";
}

TEST_F(AdvEditLookTest, ReleaseWithoutDragPlacesTheCaret) {
  a->SetText("hello");
  a->SetFocus();
  a->SetSelStart(0);
  a->SetSelLength(5);
  const TPoint p = At(a, 3);
  a->MouseDown(mbLeft, {ssLeft}, p.x, p.y);
  a->MouseUp(mbLeft, {}, p.x, p.y);
  EXPECT_EQ(a->SelLength(), 0);
  EXPECT_EQ(a->SelStart(), 3);
}

TEST(SafeURLTest, OnlyWebAndMailAddressesOpen) {
  struct { const char* text; const char* url; } cases[] = {
      {"http://example.com/x", "http://example.com/x"}, {"HTTPS://a.b", "HTTPS://a.b"},
      {"www.example.com", "http://www.example.com"},    {"mailto:a@b.com", "mailto:a@b.com"},
      {"tuner@example.com", "mailto:tuner@example.com"}, {"file:///usr/bin/xterm", ""},
      {"a@b", ""},                                       {"ftp://x.y", ""},
      {"javascript://x", ""},                            {"http://a b", ""},
      {"www.x://evil", ""},                              {"@b.com", ""}};
  for (auto& c : cases) EXPECT_EQ(SafeURL(c.text), c.url) << c.text;
}

TEST_F(AdvEditLookTest, UrlClickOpensOnlySafeAddresses) {
  std::vector<AnsiString> opened;
  ui::SetURLOpener([&](const AnsiString& u) {
    opened.push_back(u);
    return true;
  });
  a->SetShowURL(true);
  a->SetFocus();
  for (const char* t : {"www.corvane.example", "file://x@y/etc/passwd"}) {
    a->SetText(t);
    a->MouseUp(mbLeft, {}, 5, 5);
  }
  EXPECT_EQ(opened, (std::vector<AnsiString>{"http://www.corvane.example"}));
  a->OnURLClick = [](TObject*, const AnsiString&, bool& show) { show = false; };
  a->SetText("http://x.example");
  a->MouseUp(mbLeft, {}, 5, 5);
  EXPECT_EQ(opened.size(), 1u) << "the event can keep it from opening";
}

TEST_F(AdvEditLookTest, PlaceholderAndFlatLineAreDrawn) {
  b->SetEmptyText("type here");
  b->SetText("");
  b->SetFlat(true);
  b->SetFlatLineColor(clRed);
  TBitmap shot;
  ui::GrabControl(b, shot);
  int grey = 0;
  for (int y = 0; y < shot.Height(); ++y)
    for (int x = 0; x < shot.Width(); ++x)
      if (shot.Canvas()->Pixel(x, y) == static_cast<TColor>(0x808080)) ++grey;
  EXPECT_GT(grey, 10) << "grey placeholder text";
  EXPECT_EQ(shot.Canvas()->Pixel(100, b->Height() - 1), clRed) << "the flat underline";
  b->SetFocus();
  EXPECT_FALSE(b->ShowsEmptyText()) << "focus hides the placeholder";
}

TEST_F(AdvEditLookTest, MaskEditSharesTheLooksAndAutoFocus) {
  auto* code = new TAdvMaskEdit(form.get());
  code->SetParent(form.get());
  code->SetBounds(10, 120, 100, 24);
  code->SetEditMask("!9999;0;_");
  code->SetFlat(true);
  code->SetFlatLineColor(clRed);
  code->SetAutoFocus(true);
  a->SetFocus();
  code->MouseEnter();
  EXPECT_TRUE(code->Focused()) << "pointing at it focuses it";
  EXPECT_TRUE(code->Hovered());
  Application->ProcessMessages();
  TBitmap shot;
  ui::GrabControl(code, shot);
  EXPECT_EQ(shot.Canvas()->Pixel(50, code->Height() - 1), clRed) << "the flat underline";
}

TEST_F(AdvEditLookTest, LongTextHint) {
  a->SetHintShowLargeText(true);
  THintInfo info;
  a->SetText("short");
  info.HintStr = "";
  a->GetHintInfo({1, 1}, info);
  EXPECT_EQ(info.HintStr, "");
  a->SetText(AnsiString(80, 'W'));
  a->GetHintInfo({1, 1}, info);
  EXPECT_EQ(info.HintStr, AnsiString(80, 'W'));
  EXPECT_EQ(info.HintPos, a->ClientToScreen({0, 0}));
}

}  // namespace

namespace {

// With EDITS_SHOTS=<folder>, a window of edits and spin edits in their looks is saved
// as a picture (for a look under a real window system).
TEST(EditDemo, Picture) {
  const char* dir = std::getenv("EDITS_SHOTS");
  if (dir == nullptr) GTEST_SKIP() << "EDITS_SHOTS not set";
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  Application->Initialize();
  TForm form(nullptr);
  form.SetClientSize(560, 330);
  form.SetCaption("Edits");
  int row = 0;
  auto next = [&](TWinControl* e, const char* caption, TLabelPosition pos = lpLeftCenter) {
    e->SetParent(&form);
    e->SetBounds(140, 14 + 34 * row++, 150, 24);
    if (auto* a = dynamic_cast<TAdvEdit*>(e)) {
      a->EditLabel().SetPosition(pos);
      a->EditLabel().SetCaption(caption);
    }
  };
  auto* plain = new TAdvEdit(&form);
  next(plain, "Float, 2 places");
  plain->SetEditType(etFloat);
  plain->SetPrecision(2);
  plain->SetFloatValue(12.345);
  auto* money = new TAdvEdit(&form);
  next(money, "Money");
  money->SetEditType(etMoney);
  money->SetPrecision(2);
  money->SetPrefix("$ ");
  money->SetText("1234567.5");
  auto* flat = new TAdvEdit(&form);
  next(flat, "Flat");
  flat->SetFlat(true);
  flat->SetFlatLineColor(clNavy);
  flat->SetText("underlined");
  auto* empty = new TAdvEdit(&form);
  next(empty, "Placeholder");
  empty->SetEmptyText("type a name");
  empty->SetText("");
  auto* error = new TAdvEdit(&form);
  next(error, "Error marker");
  error->SetText("Corvane Q5 tunr");
  error->SetErrorMarkerPos(11);
  error->SetErrorMarkerLen(4);
  auto* url = new TAdvEdit(&form);
  next(url, "URL");
  url->SetShowURL(true);
  url->SetText("www.example.com");
  auto* border = new TAdvEdit(&form);
  next(border, "Focus border");
  border->SetFocusBorder(true);
  border->SetFocusBorderColor(clRed);
  border->SetText("focused");
  border->SetFocusColor(clInfoBk);
  row = 0;
  auto spin = [&](TAdvSpinType t, const char* caption, TSpinDirection d = spVertical) {
    auto* s = new TAdvSpinEdit(&form);
    s->SetParent(&form);
    s->SetBounds(420, 14 + 34 * row++, 120, 24);
    s->SetSpinType(t);
    s->SetDirection(d);
    s->EditLabel().SetPosition(lpLeftCenter);
    s->EditLabel().SetCaption(caption);
    return s;
  };
  spin(sptNormal, "Integer")->SetValue(6500);
  auto* f = spin(sptFloat, "Float");
  f->SetPrecision(3);
  f->SetFloatValue(0.015625);
  spin(sptDate, "Date")->SetDateValue(EncodeDate(2024, 2, 29));
  spin(sptTime, "Time")->SetTimeValue(EncodeTime(13, 5, 0, 0));
  spin(sptHex, "Hex")->SetHexValue(499);
  spin(sptNormal, "Horizontal", spHorizontal)->SetValue(42);
  auto* mask = new TAdvMaskEdit(&form);
  mask->SetParent(&form);
  mask->SetBounds(420, 14 + 34 * row++, 120, 24);
  mask->SetEditMask("!9999;0;_");
  mask->EditLabel().SetPosition(lpLeftCenter);
  mask->EditLabel().SetCaption("Code");
  for (TAdvEdit* e : {plain, money, flat, empty, error, url, border}) {
    e->SetOleDropSource(true);
    e->SetOleDropTarget(true);
  }
  form.Show();
  border->SetFocus();
  Application->ProcessMessages();
  ui::GrabToPng(&form, AnsiString(dir) + "/edits.png");
  // EDITS_LINGER=<seconds> keeps the window open to try it by hand (or by a script).
  if (const char* linger = std::getenv("EDITS_LINGER")) {
    for (int i = 0; i < std::atoi(linger) * 50; ++i) {
      Application->ProcessMessages();
      usleep(20000);
    }
    ui::GrabToPng(&form, AnsiString(dir) + "/edits-after.png");
  }
  form.Hide();
}

}  // namespace

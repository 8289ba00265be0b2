// Pasting into every kind of text control under a real X server, by the paste keys
// (Ctrl+V, Shift+Insert), a middle click, the context menu and a drop. With nothing on the
// clipboard and no selection the program lives and every control keeps its text; with text
// there, each control takes what its limit and rules let in.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "app/Main.h"
#include "controls/AdvEdit.h"
#include "controls/AdvMaskEdit.h"
#include "controls/AdvSpin.h"
#include "controls/Aligrid.h"
#include "gauges/AbNumEdit.h"
#include "model/MapRecord.h"
#include "platform/ui/Simulate.h"
#include "platform/graphics/Bitmap.h"
#include "platform/stdctrls/Beep.h"
#include "platform/stdctrls/Clipboard.h"
#include "platform/stdctrls/Edits.h"
#include "platform/stdctrls/StdCtrls.h"
#include "platform/stdctrls/Tabs.h"
#include "x11/ProgramUser.h"

namespace {

using namespace x11test;

void Xdo(const std::string& args) { std::system(("xdotool " + args + " >/dev/null 2>&1").c_str()); }

std::string At(TControl* c, int x, int y) {
  const TPoint p = c->ClientToScreen({x, y});
  return "mousemove " + std::to_string(p.x) + " " + std::to_string(p.y);
}

// One control of each kind on a window of its own, each with a limit of its kind.
class PasteProbe : public ::testing::Test {
 protected:
  struct Target {
    const char* name;
    TWinControl* control;
    TCustomEdit* edit;    // the edit whose text is checked (the grid's cell editor for the grid)
    int x, y;             // where it is clicked (client coordinates of `control`)
    AnsiString initial;  // its text before each paste
  };

  void SetUp() override {
    std::string missing;
    if (!x_.Start(missing)) GTEST_SKIP() << "needs " << missing;
    Application->Initialize();
    form_ = new TForm(nullptr);
    form_->SetCaption("Paste probe");
    form_->SetBounds(100, 100, 520, 420);
    auto place = [&](auto* c, int left, int top, int width, int height) {
      c->SetParent(form_);
      c->SetBounds(left, top, width, height);
      return c;
    };
    memo_ = place(new TMemo(form_), 10, 10, 240, 90);
    memo_->SetMaxLength(14);
    edit_ = place(new TEdit(form_), 10, 110, 150, 24);
    edit_->SetMaxLength(5);
    typed_ = place(new TAdvEdit(form_), 10, 140, 150, 24);
    typed_->SetEditType(etNumeric);
    typed_->SetMaxLength(6);
    mask_ = place(new TMaskEdit(form_), 10, 170, 150, 24);
    mask_->SetEditMask("!9999;0;_");
    spin_ = place(new TAdvSpinEdit(form_), 10, 200, 150, 24);
    spin_->SetMaxLength(5);
    num_ = place(new TAbNumSpin(form_), 10, 230, 150, 24);
    num_->SetMaxLength(6);
    num_->Loaded();
    combo_ = place(new TComboBox(form_), 10, 260, 150, 24);
    combo_->SetMaxLength(6);
    grid_ = place(new TStringAlignGrid(form_), 270, 10, 230, 120);
    grid_->SetOptions(grid_->Options() + TGridOptions{goEditing});
    source_ = place(new TEdit(form_), 270, 300, 150, 24);
    source_->SetText("4321");
    form_->Show();
    ASSERT_TRUE(PumpUntil([&] { return Screen->ActiveForm() == form_ && ActiveTitle() == "Paste probe"; }, 10000));
    PumpFor(300);
    grid_->SetCol(1);
    grid_->SetRow(1);
    grid_->SetEditorMode(true);
    PumpFor(100);
    ASSERT_NE(grid_->AlignEditor(), nullptr);
    targets_ = {{"memo", memo_, memo_, 20, 20, ""},
                {"edit", edit_, edit_, 3, 12, ""},
                {"typed edit", typed_, typed_, 3, 12, "0"},
                {"mask edit", mask_, mask_, 3, 12, "____"},
                {"spin edit", spin_, spin_, 3, 12, "0"},
                {"numeric edit", num_, num_, 3, 12, "0"},
                {"grid cell", grid_->AlignEditor(), grid_->AlignEditor(), 3, 8, ""},
                {"combo box", combo_, nullptr, 8, 12, ""}};
  }
  void TearDown() override {
    delete form_;
    Application->ProcessMessages();
  }

  AnsiString TextOf(const Target& t) const { return t.edit != nullptr ? t.edit->Text() : t.control->Text(); }
  void Reset() {
    grid_->SetCells(1, 1, "");  // the editor, once closed, opens with the cell's text
    for (const Target& t : targets_) t.control->SetText(t.initial);
    PumpFor(50);
  }
  // Clicks into the control, then gives it the keys, or middle-clicks it when there are none.
  void PasteInto(const Target& t, const std::string& keys) {
    Xdo(At(t.control, t.x, t.y) + " click 1");
    PumpFor(120);
    if (keys.empty()) Xdo(At(t.control, t.x, t.y) + " click 2");
    else Xdo("key --delay 60 " + keys);
    PumpFor(200);
  }
  void ExpectTexts(const std::vector<AnsiString>& expected, const std::string& how) {
    for (size_t i = 0; i < targets_.size(); ++i)
      EXPECT_EQ(TextOf(targets_[i]), expected[i]) << targets_[i].name << ", " << how;
  }

  XSession x_;
  TForm* form_ = nullptr;
  TMemo* memo_ = nullptr;
  TEdit* edit_ = nullptr;
  TAdvEdit* typed_ = nullptr;
  TMaskEdit* mask_ = nullptr;
  TAdvSpinEdit* spin_ = nullptr;
  TAbNumSpin* num_ = nullptr;
  TComboBox* combo_ = nullptr;
  TStringAlignGrid* grid_ = nullptr;
  TEdit* source_ = nullptr;
  std::vector<Target> targets_;
};

TEST_F(PasteProbe, NothingToPasteLeavesEveryControlAsItWas) {
  // A fresh X server: nobody holds the clipboard or the selection.
  std::vector<AnsiString> initial;
  for (const Target& t : targets_) initial.push_back(t.initial);
  for (const char* how : {"ctrl+v", "shift+Insert", ""}) {
    Reset();
    for (const Target& t : targets_) PasteInto(t, how);
    ExpectTexts(initial, *how ? how : "middle click");
  }
  // Text the program put there and then gave up leaves the clipboard empty again.
  Clipboard()->SetAsText("lost");
  Clipboard()->Clear();
  Reset();
  for (const Target& t : targets_) PasteInto(t, "ctrl+a ctrl+v");
  ExpectTexts(initial, "after the clipboard was cleared");
}

TEST_F(PasteProbe, EachControlTakesWhatItsLimitLetsIn) {
  // Two lines on the clipboard, the whole text selected before the paste: the memo keeps
  // the line break within its 14 characters, the one-line controls take the first line
  // up to their limits, the mask its four digits, and the numeric typed edit nothing.
  Clipboard()->SetAsText("12345678\nabcdefgh");
  const std::vector<AnsiString> pasted = {"12345678\r\nabcd", "12345", "0", "1234", "12345", "123456", "12345678",
                                          "123456"};
  for (const char* keys : {"ctrl+a ctrl+v", "ctrl+a shift+Insert"}) {
    Reset();
    for (const Target& t : targets_) PasteInto(t, keys);
    ExpectTexts(pasted, keys);
  }

  // The selection, made by a double click on a word, goes in where the middle button is
  // clicked: at the start of each text.
  Reset();
  Xdo(At(source_, 20, 12) + " click --repeat 2 --delay 80 1");
  PumpFor(300);
  ASSERT_EQ(source_->SelLength(), 4);
  for (const Target& t : targets_) PasteInto(t, "");
  ExpectTexts({"4321", "4321", "43210", "4321", "43210", "43210", "4321", "4321"}, "middle click");
  EXPECT_TRUE(edit_->Modified());

  // The Paste of the edit's context menu keeps to its limit as well.
  edit_->SetText("");
  Xdo(At(edit_, 3, 12) + " click 3");
  PumpFor(400);
  Xdo("key p");
  PumpFor(300);
  EXPECT_EQ(edit_->Text(), "12345");
}

// Text dragged with the mouse out of a typed edit that lets its selection be dragged, and
// dropped on each kind of control: the toolkit's own drag and drop between the program's
// windows on the X server. A drop is a click where the mouse lets go and a paste there:
// the control takes the focus and what its limit and rules let in, and the source keeps
// its text. The typed edits of the program take no drops, nor do the typed mask and spin
// edits; a read-only control refuses one.
class DropProbe : public PasteProbe {
 protected:
  void SetUp() override {
    PasteProbe::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    drag_ = new TAdvEdit(form_);
    drag_->SetParent(form_);
    drag_->SetBounds(270, 340, 200, 24);
    drag_->SetOleDropSource(true);
  }
  // Drags `text` from the source onto a client point of `target`. The drag runs in the
  // program's own loop, so a shell in the background moves the mouse on and lets go.
  void DragOnto(const AnsiString& text, TControl* target, int x, int y) {
    drag_->SetText(text);
    drag_->SetFocus();
    drag_->SelectAll();
    PumpFor(100);
    const TPoint to = target->ClientToScreen({x, y});
    const std::string there = std::to_string(to.x) + " " + std::to_string(to.y);
    const std::string beside = std::to_string(to.x + 1) + " " + std::to_string(to.y);
    std::system(("(sleep 0.7; xdotool mousemove " + there + "; sleep 0.3; xdotool mousemove " + beside +
                 "; sleep 0.3; xdotool mouseup 1) >/dev/null 2>&1 &")
                    .c_str());
    Xdo(At(drag_, 10, 12) + " mousedown 1");
    PumpFor(100);
    Xdo(At(drag_, 40, 12));
    PumpFor(2000);
    EXPECT_EQ(drag_->Text(), text) << "the source keeps its text";
  }
  TAdvEdit* drag_ = nullptr;
};

TEST_F(DropProbe, EachControlTakesADropAsAPaste) {
  Reset();
  const std::vector<AnsiString> dropped = {"98765432", "98765", "0", "9876", "0", "987650", "98765432", "987654"};
  for (size_t i = 0; i < targets_.size(); ++i) {
    const Target& t = targets_[i];
    DragOnto("98765432", t.control, t.x, t.y);
    EXPECT_EQ(TextOf(t), dropped[i]) << t.name;
    if (dropped[i] != t.initial) {
      EXPECT_TRUE(form_->ActiveControl() == t.control || form_->ActiveControl() == t.edit) << t.name;
    }
    if (t.control == num_) {
      EXPECT_EQ(num_->State(), esEditing) << "typed, not yet taken";
      EXPECT_EQ(num_->Value(), 0);
    }
  }

  // The typed mask edit takes none either.
  auto* typedMask = new TAdvMaskEdit(form_);
  typedMask->SetParent(form_);
  typedMask->SetBounds(270, 370, 150, 24);
  typedMask->SetEditMask("9999;1;_");
  PumpFor(100);
  DragOnto("1234", typedMask, 3, 12);
  EXPECT_EQ(typedMask->Text(), "____");

  // Read-only, every one refuses it.
  Reset();
  for (const Target& t : targets_)
    if (t.edit != nullptr) t.edit->SetReadOnly(true);
  for (const Target& t : targets_) {
    if (t.edit == nullptr) continue;
    DragOnto("98765432", t.control, t.x, t.y);
    EXPECT_EQ(TextOf(t), t.initial) << t.name << ", read-only";
  }
}

// A numeric edit takes a drop as typing: a number beyond its limits goes in, and is held
// within them once the field is left; a bad character turns the field red, keeps the focus
// with the bad part selected and leaves the value as it was. The memo of 255 characters
// (the comments saved with a configuration) takes 255 of a 300-character drop.
TEST_F(DropProbe, ANumericEditAndAMemoKeepTheirRules) {
  Reset();
  memo_->SetMaxLength(255);
  memo_->SetText("");
  DragOnto(AnsiString(300, 'c'), memo_, 20, 20);
  EXPECT_EQ(memo_->Text(), AnsiString(255, 'c'));
  num_->SetMinValue(-30);
  num_->SetMaxValue(120);
  num_->SetOptions(TNumEditOptions{eoLimitMax, eoLimitMin});
  DragOnto("500", num_, 3, 12);
  EXPECT_EQ(num_->Text(), "5000");
  EXPECT_EQ(num_->Value(), 0);
  ASSERT_EQ(form_->ActiveControl(), num_);
  Xdo("key Tab");
  PumpFor(200);
  EXPECT_EQ(num_->Value(), 120);
  EXPECT_EQ(num_->Text(), "120");

  DragOnto("abc", num_, 3, 12);
  EXPECT_EQ(num_->Text(), "abc120");
  EXPECT_EQ(num_->State(), esError);
  EXPECT_EQ(num_->Value(), 120);
  EXPECT_EQ(form_->ActiveControl(), num_);
  EXPECT_EQ(num_->SelText(), "abc");
  TBitmap shot;
  ui::GrabControl(num_, shot);
  int red = 0;
  for (int y = 0; y < shot.Height(); ++y)
    for (int x = 0; x < shot.Width(); ++x) red += shot.Canvas()->Pixel(x, y) == clRed;
  EXPECT_GT(red, shot.Width() * shot.Height() / 4) << "the field shows red";
}

// The main window's details: the "Map comments" memo and the detail edits share 248
// characters.
class DetailsPaste : public ProgramUser {};

TEST_P(DetailsPaste, MapCommentsAndOwnerLiveThroughEmptyPastesAndKeepTheBudget) {
  ui::BeepCounter beeps;
  Run([&] {
    TR7Tform1* m = R7Tform1;
    ASSERT_TRUE(WaitFor([] { return Screen->ActiveForm() == R7Tform1; }, 20000));
    TMemo* memo = Ask<TMemo*>([m] { return m->details; });
    TEdit* owner = Ask<TEdit*>([m] { return m->DetailsOwnerEdit; });
    auto pasteInto = [](TControl* c, const std::string& keys) {
      const std::string at = Ask<std::string>([c] { return At(c, c->Width() - 40, c->Height() - 12); });
      Xdo(at + " click 1");
      std::this_thread::sleep_for(std::chrono::milliseconds(150));
      if (keys.empty()) Xdo(at + " click 2");
      else Press(keys);
      std::this_thread::sleep_for(std::chrono::milliseconds(250));
    };

    // Nothing on the clipboard, no selection.
    for (TControl* c : {static_cast<TControl*>(memo), static_cast<TControl*>(owner)})
      for (const char* keys : {"ctrl+v", "shift+Insert", ""}) pasteInto(c, keys);
    EXPECT_EQ(Ask<AnsiString>([memo] { return memo->Text(); }), "");
    EXPECT_EQ(Ask<AnsiString>([owner] { return owner->Text(); }), "");
    EXPECT_EQ(Ask<AnsiString>([] { return MapSlots[CurrentMap].Comments.Get(); }), "");

    // Six of the 248 characters left: a paste at the end of the comments keeps six of its
    // nine characters, and the owner field then takes nothing more.
    Ask<bool>([m] {
      MapSlots[CurrentMap].Comments.Set(AnsiString(240, 'c'));
      MapSlots[CurrentMap].Owner.Set("ab");
      m->RefreshMapTables();
      Clipboard()->SetAsText("123456789");
      return true;
    });
    pasteInto(memo, "ctrl+End ctrl+v");
    EXPECT_EQ(Ask<AnsiString>([] { return MapSlots[CurrentMap].Comments.Get(); }), AnsiString(240, 'c') + "123456");
    EXPECT_EQ(Ask<AnsiString>([memo] { return memo->Text(); }), AnsiString(240, 'c') + "123456");
    EXPECT_EQ(Ask<AnsiString>([m] { return m->map_comments->Caption(); }), "Map comments (248/248 used)");
    pasteInto(owner, "End shift+Insert");
    EXPECT_EQ(Ask<AnsiString>([owner] { return owner->Text(); }), "ab");
    EXPECT_EQ(Ask<AnsiString>([] { return MapSlots[CurrentMap].Owner.Get(); }), "ab");
  });
  EXPECT_EQ(beeps.Count(), 2);
}

INSTANTIATE_TEST_SUITE_P(Screen, DetailsPaste, ::testing::Values("1024x768x24"));

// Another program on the display (the drag source of the configuration files' tests)
// holding `text`: the mouse drags it out and lets it go at a screen point of the program.
// Run by the user's thread while the program runs.
void DragFromAnotherProgram(const std::string& text, TPoint to) {
  const std::string ready = (std::filesystem::temp_directory_path() /
                             ("cq5-drag-" + std::to_string(getpid()) + "-" + std::to_string(to.x)))
                                .string();
  std::filesystem::remove(ready);
  setenv("CQ5_DRAG_TEXT", text.c_str(), 1);
  setenv("CQ5_DRAG_READY", ready.c_str(), 1);
  const pid_t source =
      Spawn({"/proc/self/exe", "--gtest_also_run_disabled_tests", "--gtest_filter=DragSource.DISABLED_OffersItsSelection"});
  int x = 0, y = 0;
  for (int i = 0; i < 1000 && !(std::ifstream(ready) >> x >> y); ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  auto pause = [](int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); };
  auto move = [](int px, int py) { Xdo("mousemove " + std::to_string(px) + " " + std::to_string(py)); };
  if (x > 0) {
    move(x, y);
    pause(200);
    Xdo("mousedown 1");
    pause(300);
    move(x + 40, y);
    pause(500);
    move(to.x, to.y);
    pause(400);
    move(to.x + 2, to.y);
    pause(400);
    Xdo("mouseup 1");
    pause(800);
  }
  if (x <= 0) ADD_FAILURE() << "the other program never showed its text";
  if (source > 0) {
    kill(source, SIGTERM);
    waitpid(source, nullptr, 0);
  }
  unsetenv("CQ5_DRAG_TEXT");
  unsetenv("CQ5_DRAG_READY");
  std::filesystem::remove(ready);
}

// The main window's "Fan 1 off" (-30..120 °C) on the Events page takes a number dragged in
// from another program as typed: in lime with the focus, then held within its range and
// stored once left; a bad character turns it red, keeps the focus and stores nothing.
class EventsDrop : public ProgramUser {};

TEST_P(EventsDrop, FanOffTakesADropWithinItsRange) {
  Run([&] {
    TR7Tform1* m = R7Tform1;
    ASSERT_TRUE(WaitFor([] { return Screen->ActiveForm() == R7Tform1; }, 20000));
    Ask<bool>([m] {
      m->TabSet1->SetTabIndex(1);
      m->TabSet1Click(m->TabSet1);
      m->NSoff->SetValue(0);
      return true;
    });
    // Let go behind the text, left of the spin buttons.
    const TPoint field = Ask<TPoint>([m] { return m->NSoff->ClientToScreen({m->NSoff->Width() - 26, 12}); });
    DragFromAnotherProgram("500", field);
    EXPECT_EQ(Ask<AnsiString>([m] { return m->NSoff->Text(); }), "0500");
    EXPECT_TRUE(Ask<bool>([m] { return m->ActiveControl() == m->NSoff && m->NSoff->State() == esEditing; }));
    EXPECT_EQ(Ask<int>([] { return static_cast<int>(MapSlots[CurrentMap].Fan1OffTemp); }), 0);
    Press("Tab");
    EXPECT_TRUE(WaitFor([m] { return m->NSoff->Text() == "120"; }));
    EXPECT_EQ(Ask<int>([] { return static_cast<int>(MapSlots[CurrentMap].Fan1OffTemp); }), 120);

    DragFromAnotherProgram("abc", field);
    EXPECT_EQ(Ask<AnsiString>([m] { return m->NSoff->Text(); }), "120abc");
    EXPECT_EQ(Ask<AnsiString>([m] { return m->NSoff->SelText(); }), "abc");
    EXPECT_TRUE(Ask<bool>([m] { return m->ActiveControl() == m->NSoff && m->NSoff->State() == esError; }));
    EXPECT_EQ(Ask<int>([] { return static_cast<int>(MapSlots[CurrentMap].Fan1OffTemp); }), 120);
    Press("Escape");
  });
}

INSTANTIATE_TEST_SUITE_P(Screen, EventsDrop, ::testing::Values("1024x768x24"));

}  // namespace

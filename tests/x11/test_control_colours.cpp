// The colours a control is given reach the screen, read back from the X server: a window
// with a control of every class the program uses, each given a background and a text
// colour, enabled and disabled (the typed edits then on their disabled colour), and controls
// that take both from their parent; the numeric edit's state colours and its selection of a
// bad character as a user types in the temperature calculator; the alignment window's angles
// disabled until the ECU answers; and the configuration editor's values in blue while the
// ECU is linked and in grey once the link is gone, on every page.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/Main.h"
#include "chart/TeeEditCtrls.h"
#include "config/TempCalculator.h"
#include "config/setup.h"
#include "controls/AdvEdit.h"
#include "controls/AdvMaskEdit.h"
#include "controls/AdvSpin.h"
#include "controls/Aligrid.h"
#include "ecu/IgnAlign.h"
#include "gauges/AbNumEdit.h"
#include "platform/stdctrls/Buttons.h"
#include "platform/stdctrls/ExtCtrls.h"
#include "platform/stdctrls/StdCtrls.h"
#include "platform/stdctrls/Tabs.h"
#include "x11/ProgramUser.h"

namespace {

using namespace x11test;

constexpr TColor kField = static_cast<TColor>(0x70C030);
constexpr TColor kText = static_cast<TColor>(0x8020C0);
constexpr TColor kOtherField = static_cast<TColor>(0x30A0E0);
constexpr TColor kOtherText = static_cast<TColor>(0x206010);
constexpr TColor kOfflineGrey = static_cast<TColor>(0x808080);

// What the screen shows over the control, and how many of its pixels have each colour.
struct Seen {
  std::shared_ptr<TBitmap> shot = std::make_shared<TBitmap>();
  int Count(TColor c) const {
    int n = 0;
    for (int y = 0; y < shot->Height(); ++y)
      for (int x = 0; x < shot->Width(); ++x)
        if (shot->Canvas()->Pixel(x, y) == c) ++n;
    return n;
  }
  int Area() const { return shot->Width() * shot->Height(); }
  // Pixels darker than the level in every channel: text that reads on a light grey field.
  int Darker(int level) const {
    int n = 0;
    for (int y = 0; y < shot->Height(); ++y)
      for (int x = 0; x < shot->Width(); ++x) {
        const TColor p = shot->Canvas()->Pixel(x, y);
        n += (p & 0xFF) < level && (p >> 8 & 0xFF) < level && (p >> 16 & 0xFF) < level;
      }
    return n;
  }
};

// Greyed text on the silver of a disabled typed edit is at least this much darker.
constexpr int kReadableOnSilver = 0x90;

Seen OnScreen(TControl* c) {
  // Whatever is still to be drawn goes to the screen first.
  if (TForm* f = c->ParentForm()) f->Repaint();
  Seen s;
  EXPECT_TRUE(ui::GrabScreenOf(c, *s.shot)) << c->ClassName();
  return s;
}

void Settle(int ms = 300) { PumpUntil([] { return false; }, ms); }

// With CQ5_SCREENSHOT_DIR set, the screen is captured for a look by eye.
void Shot(const std::string& name) {
  if (const char* dir = std::getenv("CQ5_SCREENSHOT_DIR"))
    ui::GrabScreenToPng((std::string(dir) + "/" + name + ".png").c_str());
}

class ControlColours : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string missing;
    if (!x_.Start(missing)) GTEST_SKIP() << "needs " << missing;
    Application->Initialize();
    form_ = std::make_unique<TForm>(nullptr);
    form_->SetCaption("Colours");
    form_->SetBounds(10, 10, 900, 700);
  }
  void TearDown() override {
    form_.reset();
    Application->ProcessMessages();
  }
  template <typename T>
  T* Add(int left, int top, int width, int height, TWinControl* parent = nullptr) {
    auto* c = new T(form_.get());
    c->SetParent(parent != nullptr ? parent : form_.get());
    c->SetBounds(left, top, width, height);
    c->Font()->SetHeight(-16);
    c->Font()->SetStyle(TFontStyles{fsBold});
    return c;
  }
  void ShowForm() {
    form_->Show();
    ASSERT_TRUE(PumpUntil([&] {
      return !Output("xdotool search --onlyvisible --name '^Colours$' 2>/dev/null").empty();
    }));
    Settle(500);
  }
  XSession x_;
  std::unique_ptr<TForm> form_;
};

TEST_F(ControlColours, EveryClassShowsItsColoursAndGreysThemWhenDisabled) {
  auto* numEdit = Add<TAbNumEdit>(520, 10, 120, 28);
  auto* numSpin = Add<TAbNumSpin>(650, 10, 120, 28);
  auto* dropDown = Add<TComboBox>(10, 80, 160, 28);
  auto* dropDownList = Add<TComboBox>(180, 80, 160, 28);
  dropDownList->SetStyle(csDropDownList);
  std::vector<TControl*> fields = {
      Add<TEdit>(10, 10, 160, 28),     Add<TMaskEdit>(180, 10, 160, 28),     Add<TMemo>(350, 10, 160, 60),
      numEdit,                         numSpin,                              dropDown,
      dropDownList,                    Add<TComboFlat>(350, 80, 160, 28),    Add<TListBox>(520, 80, 160, 60),
      Add<TAdvEdit>(10, 160, 160, 28), Add<TAdvSpinEdit>(180, 160, 160, 28), Add<TAdvMaskEdit>(350, 160, 160, 28)};
  auto* button = Add<TButton>(10, 220, 120, 30);
  auto* radios = Add<TRadioGroup>(700, 220, 160, 90);
  radios->Items()->Add("8888");
  radios->Items()->Add("8888");
  std::vector<TControl*> captions = {button, Add<TBitBtn>(140, 220, 120, 30), Add<TCheckBox>(270, 220, 120, 30),
                                     Add<TRadioButton>(400, 220, 120, 30), Add<TGroupBox>(530, 220, 160, 60), radios};
  for (TControl* c : fields) {
    c->SetColor(kField);
    if (auto* box = dynamic_cast<TComboBox*>(c)) box->Items()->Add("8888");
    if (auto* list = dynamic_cast<TListBox*>(c)) list->Items()->Add("8888");
    if (auto* num = dynamic_cast<TAbNumEdit*>(c)) num->SetColorDefault(kField);
    c->SetText("8888");
  }
  for (std::vector<TControl*>* group : {&fields, &captions})
    for (TControl* c : *group) {
      c->Font()->SetColor(kText);
      if (c->Text().empty()) c->SetText("8888");
    }
  numEdit->SetValue(8888);
  numSpin->SetValue(8888);

  // The grid's editor takes the colours of the cell it edits.
  auto* grid = Add<TStringAlignGrid>(10, 330, 400, 150);
  grid->SetOptions(grid->Options() + TGridOptions{goEditing});
  grid->SelectEditText = false;
  grid->SetDefaultColWidth(120);
  grid->SetDefaultRowHeight(30);
  grid->SetCells(1, 1, "8888");
  grid->SetColorCell(1, 1, kField);
  grid->FontCell(1, 1)->SetColor(kText);
  grid->FontCell(1, 1)->SetStyle(TFontStyles{fsBold});

  ShowForm();
  // The focus on a button: a focused edit shows its text selected.
  button->SetFocus();
  grid->SetCol(1);
  grid->SetRow(1);
  grid->SetEditorMode(true);
  ASSERT_NE(grid->AlignEditor(), nullptr);
  fields.push_back(grid->AlignEditor());
  Settle();
  Shot("colours-enabled");

  for (TControl* c : fields) {
    const Seen s = OnScreen(c);
    EXPECT_GT(s.Count(kField), s.Area() / 3) << c->ClassName() << " background";
    EXPECT_GT(s.Count(kText), 20) << c->ClassName() << " text";
  }
  for (TControl* c : captions) EXPECT_GT(OnScreen(c).Count(kText), 20) << c->ClassName() << " text";

  // Disabled, each keeps the style's greyed look whatever its colours; the typed edits show
  // their disabled colour (silver) behind the greyed text instead of the style's background.
  grid->SetEditorMode(false);
  for (std::vector<TControl*>* group : {&fields, &captions})
    for (TControl* c : *group) c->SetEnabled(false);
  fields.pop_back();
  Settle();
  Shot("colours-disabled");
  for (TControl* c : fields) {
    const Seen s = OnScreen(c);
    EXPECT_EQ(s.Count(kField), 0) << c->ClassName() << " disabled background";
    EXPECT_EQ(s.Count(kText), 0) << c->ClassName() << " disabled text";
    const bool typed = dynamic_cast<TAdvEdit*>(c) != nullptr || dynamic_cast<TAdvMaskEdit*>(c) != nullptr;
    if (typed) {
      EXPECT_GT(s.Count(clSilver), s.Area() / 3) << c->ClassName() << " disabled colour";
      EXPECT_GT(s.Darker(kReadableOnSilver), 20) << c->ClassName() << " greyed text that reads on silver";
    } else {
      EXPECT_LT(s.Count(clSilver), s.Area() / 10) << c->ClassName() << " the style's disabled background";
    }
  }
  // Enabled again, the typed edits show their own colour once more.
  for (TControl* c : fields) c->SetEnabled(true);
  Settle();
  for (TControl* c : fields)
    if (dynamic_cast<TAdvEdit*>(c) != nullptr || dynamic_cast<TAdvMaskEdit*>(c) != nullptr) {
      const Seen s = OnScreen(c);
      EXPECT_GT(s.Count(kField), s.Area() / 3) << c->ClassName() << " enabled again";
      EXPECT_EQ(s.Count(clSilver), 0) << c->ClassName() << " enabled again";
    }
  for (TControl* c : captions) EXPECT_EQ(OnScreen(c).Count(kText), 0) << c->ClassName() << " disabled text";
}

TEST_F(ControlColours, ControlsTakeTheirParentsColours) {
  auto* panel = Add<TPanel>(10, 10, 500, 200);
  panel->SetColor(kField);
  panel->Font()->SetColor(kText);
  auto* edit = Add<TEdit>(10, 10, 160, 28, panel);
  edit->SetText("WWWW");
  auto* box = Add<TComboBox>(10, 60, 160, 28, panel);
  box->SetStyle(csDropDownList);
  box->Items()->Add("WWWW");
  box->SetItemIndex(0);
  auto* check = Add<TCheckBox>(10, 110, 160, 28, panel);
  check->SetCaption("WWWW");
  // A transparent edit shows what lies beneath it rather than its own colour.
  auto* clear = Add<TAdvEdit>(200, 10, 160, 28, panel);
  clear->SetColor(kOtherField);
  clear->SetTransparent(true);
  for (TControl* c : std::initializer_list<TControl*>{edit, box, check}) {
    c->SetParentColor(true);
    c->SetParentFont(true);
  }
  ShowForm();
  check->SetFocus();
  Settle();
  for (TControl* c : std::initializer_list<TControl*>{edit, box}) {
    const Seen s = OnScreen(c);
    EXPECT_GT(s.Count(kField), s.Area() / 3) << c->ClassName();
    EXPECT_GT(s.Count(kText), 20) << c->ClassName();
  }
  EXPECT_GT(OnScreen(check).Count(kText), 20);
  const Seen beneath = OnScreen(clear);
  EXPECT_GT(beneath.Count(kField), beneath.Area() / 3);
  EXPECT_EQ(beneath.Count(kOtherField), 0);

  // They follow when the parent's colours change.
  panel->SetColor(kOtherField);
  panel->Font()->SetColor(kOtherText);
  Settle();
  for (TControl* c : std::initializer_list<TControl*>{edit, box}) {
    const Seen s = OnScreen(c);
    EXPECT_EQ(s.Count(kField), 0) << c->ClassName();
    EXPECT_GT(s.Count(kOtherField), s.Area() / 3) << c->ClassName();
    EXPECT_GT(s.Count(kOtherText), 20) << c->ClassName();
  }
  EXPECT_GT(OnScreen(check).Count(kOtherText), 20);
}

// The program's own windows, with a user at the keyboard.
class ProgramColours : public ProgramUser {};

// A temperature typed into the calculator shows lime until it is taken, and a bad one
// shows red with the bad character selected, as the user types it.
TEST_P(ProgramColours, TheNumericEditShowsItsStateAsTheUserTypes) {
  TTempCalc* t = TempCalc;
  TAbNumSpin* temp = t->Temp1;
  Run([&] {
    ASSERT_TRUE(WaitFor([] { return Screen->ActiveForm() == R7Tform1; }));
    OnGui([t] { t->Show(); });
    ASSERT_TRUE(WaitActive(t->Caption().c_str()));
    OnGui([temp] { temp->SetFocus(); });
    ASSERT_TRUE(WaitFor([temp] { return ui::ControlWithKeys() == temp; }));
    const TColor highlight = ColorToRGB(clHighlight);
    auto seen = [temp] { return Ask<Seen>([temp] { return OnScreen(temp); }); };

    Press("ctrl+a 3 0 0");
    ASSERT_TRUE(WaitFor([temp] { return temp->Text() == "300"; }));
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    Seen s = seen();
    EXPECT_EQ(Ask<int>([temp] { return temp->State(); }), esEditing);
    EXPECT_GT(s.Count(clLime), s.Area() / 3) << "typed, not yet taken";

    Press("ctrl+a 1 2 0 x");
    ASSERT_TRUE(WaitFor([temp] { return temp->Text() == "120x"; }));
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    s = seen();
    EXPECT_EQ(Ask<int>([temp] { return temp->State(); }), esError);
    EXPECT_GT(s.Count(clRed), s.Area() / 3) << "a bad character";
    EXPECT_GT(s.Count(highlight), 20) << "the bad character shows selected";
    EXPECT_EQ(Ask<int>([temp] { return temp->SelStart(); }), 3);
    EXPECT_EQ(Ask<int>([temp] { return temp->SelLength(); }), 1);

    // Escape puts back the last value, on the edit's own colour.
    Press("Escape");
    ASSERT_TRUE(WaitFor([temp] { return temp->State() == esNormal; }));
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    s = seen();
    EXPECT_EQ(s.Count(clRed), 0);
    EXPECT_EQ(s.Count(clLime), 0);
    OnGui([t] { t->Hide(); });
  });
}

// The alignment window opens from the menu with its two angles disabled until the ECU's
// configuration reply; meanwhile they show their disabled colour (silver) and no blue ink,
// then their own field with the angles in blue.
TEST_P(ProgramColours, TheAlignmentAnglesShowTheirDisabledColourUntilTheEcuAnswers) {
  TIgnAlignForm* w = IgnAlignForm;
  auto look = [](TControl* c) {
    struct Look {
      int silver, area, ink, readable;
      bool enabled;
    };
    return Ask<Look>([c] {
      const Seen s = OnScreen(c);
      int ink = 0;
      for (int y = 0; y < s.shot->Height(); ++y)
        for (int x = 0; x < s.shot->Width(); ++x) {
          const TColor p = s.shot->Canvas()->Pixel(x, y);
          if ((p >> 16 & 0xFF) > 160 && (p & 0xFF) < 90 && (p >> 8 & 0xFF) < 90) ++ink;
        }
      return Look{s.Count(clSilver), s.Area(), ink, s.Darker(kReadableOnSilver), c->Enabled()};
    });
  };
  Run([&] {
    ASSERT_TRUE(WaitFor([] { return Screen->ActiveForm() == R7Tform1 && ECUConnected; }, 20000));
    // The reply is held back long enough to look at the fields even on a busy machine.
    sim_.With([](ecusim::Ecu& e) { e.SetConfigReplyDelay(10000); });
    Press("alt+o");
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    Press("Down Return");  // "Ignition alignment"
    ASSERT_TRUE(WaitActive("Ignition advance alignment"));
    ASSERT_TRUE(WaitFor([w] { return !w->ReferenceAdvance->Enabled(); }));
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    Shot("align-disabled");
    for (TAdvEdit* field : {w->ReferenceAdvance, w->LockAdvance}) {
      const auto seen = look(field);
      ASSERT_FALSE(seen.enabled) << field->Name().c_str() << " was enabled before it was looked at";
      EXPECT_GT(seen.silver, seen.area / 3) << field->Name().c_str() << " disabled: the disabled colour";
      EXPECT_EQ(seen.ink, 0) << field->Name().c_str() << " disabled: greyed text";
      EXPECT_GT(seen.readable, 5) << field->Name().c_str() << " disabled: the angle still reads";
    }
    ASSERT_TRUE(WaitFor([w] { return w->ReferenceAdvance->Enabled() && w->LockAdvance->Enabled(); }, 30000));
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    for (TAdvEdit* field : {w->ReferenceAdvance, w->LockAdvance}) {
      const auto seen = look(field);
      EXPECT_EQ(seen.silver, 0) << field->Name().c_str() << " enabled";
      EXPECT_GE(seen.ink, 6) << field->Name().c_str() << " enabled: the angle in blue";
    }
    OnGui([w] { w->BitBtn1->Click(); });
    ASSERT_TRUE(WaitFor([w] { return !w->Visible(); }));
  });
}

// The value controls of the editor's page that a user can see and read: the edits, the
// choices and ticks that can take the focus, and the tables, whose values show in their
// cells whether the table is locked or not.
std::vector<TWinControl*> ValueControls(TWinControl* parent) {
  std::vector<TWinControl*> out;
  for (int i = 0; i < parent->ControlCount(); ++i) {
    auto* c = dynamic_cast<TWinControl*>(parent->Controls(i));
    if (c == nullptr || !c->Visible()) continue;
    const bool value = dynamic_cast<TAdvSpinEdit*>(c) != nullptr || dynamic_cast<TComboBox*>(c) != nullptr ||
                       dynamic_cast<TAbNumSpin*>(c) != nullptr || dynamic_cast<TRadioGroup*>(c) != nullptr ||
                       dynamic_cast<TCheckBox*>(c) != nullptr;
    if (value && c->CanFocus() && !c->Text().empty()) out.push_back(c);
    if (dynamic_cast<TStringAlignGrid*>(c) != nullptr) out.push_back(c);
    for (TWinControl* inner : ValueControls(c)) out.push_back(inner);
  }
  return out;
}

struct PageColours {
  std::string name;
  int blue = 0, grey = 0;
  int headingBlue = 0, headingGrey = 0;  // a table's fixed cells
};

// The colours of a table's fixed cells (its headings) in a picture of the table.
void CountHeadings(TStringAlignGrid* g, const Seen& shot, PageColours& out) {
  auto* canvas = shot.shot->Canvas();
  for (int r = 0; r < g->RowCount(); ++r)
    for (int c = 0; c < g->ColCount(); ++c) {
      if (r >= g->FixedRows() && c >= g->FixedCols()) continue;
      const TRect cell = g->CellRect(c, r);
      for (int y = cell.Top + 1; y < cell.Bottom - 1 && y < shot.shot->Height(); ++y)
        for (int x = cell.Left + 1; x < cell.Right - 1 && x < shot.shot->Width(); ++x) {
          const TColor p = canvas->Pixel(x, y);
          out.headingBlue += p == clBlue;
          out.headingGrey += p == kOfflineGrey;
        }
    }
}

TEST_P(ProgramColours, TheEditorsValuesShowWhetherTheyAreTheEcus) {
  TSetupForm* s = SetupForm;
  // Every value control of every page, read from the screen; the wheel sensors' page also
  // in its options view, whose choices are hidden in the per-wheel view.
  auto readPage = [s](int page, const std::string& view, std::vector<PageColours>& out) {
    OnGui([s, page] {
      s->TabSet->SetTabIndex(page);
      s->TabSetClick(s->TabSet);
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    const auto seen = Ask<std::vector<PageColours>>([s, page, view] {
      std::vector<PageColours> v;
      for (TWinControl* c : ValueControls(s->SetupBook->Page(page))) {
        const Seen shot = OnScreen(c);
        const std::string name = "page " + std::to_string(page) + view + " " + c->Name().c_str();
        v.push_back({name, shot.Count(clBlue), shot.Count(kOfflineGrey)});
        if (auto* g = dynamic_cast<TStringAlignGrid*>(c)) CountHeadings(g, shot, v.back());
      }
      return v;
    });
    out.insert(out.end(), seen.begin(), seen.end());
  };
  auto readPages = [s, readPage] {
    std::vector<PageColours> out;
    const int pages = Ask<int>([s] { return s->TabSet->Tabs()->Count(); });
    for (int page = 0; page < pages; ++page) readPage(page, "", out);
    const int wheels = Ask<int>([s] {
      for (int page = 0; page < s->SetupBook->Pages()->Count(); ++page)
        for (TControl* c = s->Options; c != nullptr; c = c->Parent())
          if (c == s->SetupBook->Page(page)) return page;
      return -1;
    });
    OnGui([s] { s->Options->Click(); });
    readPage(wheels, " options", out);
    OnGui([s] { s->LF->Click(); });
    return out;
  };
  Run([&] {
    ASSERT_TRUE(WaitFor([] { return Screen->ActiveForm() == R7Tform1 && ECUConnected; }, 20000));
    std::system("xdotool mousemove 0 0 >/dev/null 2>&1");
    OnGui([s] {
      s->SetLeft(10);
      s->SetTop(10);
      s->Show();
    });
    ASSERT_TRUE(WaitActive(s->Caption().c_str()));
    ASSERT_TRUE(WaitFor([s] { return s->StatusText() == "Current ECU settings displayed"; }));
    const std::vector<PageColours> online = readPages();

    sim_.SetPowered(false);
    ASSERT_TRUE(WaitFor([s] { return !ECUConnected && s->StatusText() == "Offline ECU settings displayed"; }));
    const std::vector<PageColours> offline = readPages();

    ASSERT_EQ(online.size(), offline.size());
    // Edits and lists, the 13 choices (three of them in the options view), 8 ticks, 7 tables.
    EXPECT_EQ(online.size(), 64u + 13 + 8 + 7);
    for (size_t i = 0; i < online.size(); ++i) {
      EXPECT_GT(online[i].blue, 10) << online[i].name << " online";
      EXPECT_EQ(offline[i].blue, 0) << offline[i].name << " offline";
      EXPECT_GT(offline[i].grey, online[i].grey) << offline[i].name << " offline";
      // A table's headings name its values and keep their own colour.
      EXPECT_EQ(online[i].headingBlue, 0) << online[i].name << " headings online";
      EXPECT_EQ(offline[i].headingGrey, online[i].headingGrey) << offline[i].name << " headings offline";
    }
    OnGui([s] { s->Hide(); });
  });
}

INSTANTIATE_TEST_SUITE_P(Screen, ProgramColours, ::testing::Values("1024x768x24"));

}  // namespace

// The program's numeric fields worked as a user works them under a real window manager.
// Bad numbers in two or three fields of one window, the second and third pasted by a middle
// click while another program holds the selection: the field the user is in keeps the
// focus, the others keep their bad text and their red, and each is corrected in turn.
// Escape in a field holding a typed number takes the number back and leaves the window
// open; the next Escape closes it. Enter in a spin edit presses the window's default button.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "app/Main.h"
#include "config/Additonl.h"
#include "config/Align.h"
#include "config/Insert.h"
#include "config/TCSetup.h"
#include "config/TempCalculator.h"
#include "config/setup.h"
#include "controls/AdvSpin.h"
#include "controls/Aligrid.h"
#include "gauges/AbNumEdit.h"
#include "platform/stdctrls/StdCtrls.h"
#include "platform/stdctrls/Tabs.h"
#include "platform/ui/Simulate.h"
#include "x11/ProgramUser.h"

namespace {

using namespace x11test;

void Sleep(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

// Clicks a control with a mouse button, at a point of its client area.
void Click(TControl* c, int button, int x = 4, int y = -1) {
  const std::string at = Ask<std::string>([c, x, y] {
    const TPoint p = c->ClientToScreen({x, y < 0 ? c->Height() / 2 : y});
    return "mousemove " + std::to_string(p.x) + " " + std::to_string(p.y);
  });
  std::system(("xdotool " + at + " click " + std::to_string(button) + " >/dev/null 2>&1").c_str());
  Sleep(250);
}

// Another program takes the primary selection with this text (and holds it until the
// selection is taken again).
void SelectElsewhere(const std::string& text) {
  std::system(("printf '%s' '" + text + "' | xclip -selection primary -i >/dev/null 2>&1").c_str());
  Sleep(200);
}

// Shows the page of a paged window that holds the control, as a click on its tab does.
void TurnTo(TTabSet* tabs, TNotebook* book, TControl* c, const std::function<void()>& click) {
  OnGui([=] {
    for (int i = 0; i < book->PageCount(); ++i)
      if (book->Page(i)->ContainsControl(c)) {
        tabs->SetTabIndex(i);
        click();
        return;
      }
  });
  Sleep(300);
}

// How much of a control shows red on the screen, as a share of its pixels.
double RedShare(TControl* c) {
  const auto shot = Picture(c);
  int red = 0;
  for (int y = 0; y < shot->Height(); ++y)
    for (int x = 0; x < shot->Width(); ++x) red += shot->Canvas()->Pixel(x, y) == clRed;
  return shot->Width() * shot->Height() > 0 ? static_cast<double>(red) / (shot->Width() * shot->Height()) : 0;
}

AnsiString TextOf(TAbNumEdit* e) { return Ask<AnsiString>([e] { return e->Text(); }); }
int StateOf(TAbNumEdit* e) { return Ask<int>([e] { return e->State(); }); }

// A window opened by the user, and its numeric fields worked in the test.
struct NumericWindow {
  const char* name;
  std::function<void()> open;  // the user's keys and clicks
  std::function<TForm*()> form;
  std::function<std::vector<TAbNumEdit*>()> fields;
};

void OpenConfigPage(const std::string& keys) {
  Press("alt+c");
  Sleep(300);
  Press(keys);
  ASSERT_TRUE(WaitFor([] { return Screen->ActiveForm() == SetupForm && SetupForm->Visible(); }));
}

void OpenTemperatureCalculator() {
  OpenConfigPage("n a");  // Sensors, Air Temperature Sensor
  auto* button = dynamic_cast<TControl*>(SetupForm->FindComponent("ATS_calculator"));
  ASSERT_NE(button, nullptr);
  Click(button, 1, 20);
  ASSERT_TRUE(WaitFor([] { return Screen->ActiveForm() == TempCalc && TempCalc->Visible(); }));
}

const NumericWindow kTemperatureCalculator{
    "temperature calculator", OpenTemperatureCalculator, [] { return static_cast<TForm*>(TempCalc); },
    [] { return std::vector<TAbNumEdit*>{TempCalc->Temp1, TempCalc->Temp2, TempCalc->Temp3}; }};

const NumericWindow kAdditionalTables{
    "additional tables",
    [] {
      Press("alt+t");
      Sleep(300);
      Press("Up Up Up Return");  // User output 1 - PWM Control, whose fields need no ECU setting
      ASSERT_TRUE(WaitFor([] { return Screen->ActiveForm() == AdditionalMaps && AdditionalMaps->Visible(); }));
    },
    [] { return static_cast<TForm*>(AdditionalMaps); },
    [] {
      // The numeric fields of the page on show, top to bottom.
      return Ask<std::vector<TAbNumEdit*>>([] {
        std::vector<TAbNumEdit*> out;
        TWinControl* page = AdditionalMaps->AdditionalBook->Page(AdditionalMaps->AdditionalBook->PageIndex());
        std::function<void(TWinControl*)> walk = [&](TWinControl* p) {
          for (int i = 0; i < p->ControlCount(); ++i) {
            auto* e = dynamic_cast<TAbNumEdit*>(p->Controls(i));
            if (e != nullptr && e->CanFocus() && !e->ReadOnly()) out.push_back(e);
            if (auto* w = dynamic_cast<TWinControl*>(p->Controls(i)); w && e == nullptr) walk(w);
          }
        };
        walk(page);
        std::sort(out.begin(), out.end(), [](TAbNumEdit* a, TAbNumEdit* b) {
          return a->ClientToScreen({0, 0}).y < b->ClientToScreen({0, 0}).y;
        });
        if (out.size() > 3) out.resize(3);
        return out;
      });
    }};

const NumericWindow kTractionControl{
    "traction-control setup",
    [] {
      Press("alt+c");
      Sleep(300);
      Press("Up Return");  // the menu's last command
      ASSERT_TRUE(WaitFor([] { return Screen->ActiveForm() == TCSetupForm && TCSetupForm->Visible(); }));
      TTCSetupForm* t = TCSetupForm;
      TurnTo(t->TabSet, t->TCSetupBook, t->GPErrorAllowed, [t] { t->TabSetClick(t->TabSet); });
    },
    [] { return static_cast<TForm*>(TCSetupForm); },
    [] {
      return std::vector<TAbNumEdit*>{TCSetupForm->GPErrorAllowed, TCSetupForm->GPTimer, TCSetupForm->GPCutTimer};
    }};

const NumericWindow kMainFans{
    "main window's fan fields",
    [] {
      // The function keys turn the main window's pages.
      const int page = Ask<int>([] {
        for (int i = 0; i < R7Tform1->Notebook1->PageCount(); ++i)
          if (R7Tform1->Notebook1->Page(i)->ContainsControl(R7Tform1->NSOn)) return i;
        return -1;
      });
      ASSERT_GE(page, 0);
      Press("F" + std::to_string(page + 1));
      ASSERT_TRUE(WaitFor([] { return R7Tform1->NSOn->CanFocus(); }));
    },
    [] { return static_cast<TForm*>(R7Tform1); },
    [] { return std::vector<TAbNumEdit*>{R7Tform1->NSOn, R7Tform1->NSoff, R7Tform1->NS2On}; }};

class NumericFields : public ProgramUser {
 protected:
  // Bad numbers in two fields (and a long bad paste in a third): the program lives, the
  // user's field keeps the focus, and every field is then corrected in turn.
  void BadNumbersNeverLoop(const NumericWindow& w, size_t count) {
    if (std::system("command -v xclip >/dev/null 2>&1") != 0) GTEST_SKIP() << "needs xclip";
    Run([&] {
      ASSERT_TRUE(WaitFor([] { return Screen->ActiveForm() == R7Tform1; }, 20000));
      w.open();
      TForm* form = w.form();
      std::vector<TAbNumEdit*> f = w.fields();
      ASSERT_GE(f.size(), count) << w.name;
      f.resize(count);

      Click(f[0], 1);
      Press("ctrl+a 1 x");
      ASSERT_TRUE(WaitFor([&] { return f[0]->State() == esError && Focus(form) == f[0]; })) << w.name;
      SelectElsewhere("5y");
      Click(f[1], 2);
      EXPECT_TRUE(WaitFor([&] { return f[1]->Text().find("5y") != AnsiString::npos; })) << w.name;
      if (count > 2) {
        SelectElsewhere("q" + std::string(399, '4'));
        Click(f[2], 2);
        EXPECT_TRUE(WaitFor([&] { return f[2]->Text().find('q') != AnsiString::npos; })) << w.name;
      }
      Sleep(300);
      EXPECT_EQ(Ask<TWinControl*>([form] { return Focus(form); }), f[0]) << w.name << ": the user's field keeps it";
      EXPECT_TRUE(WaitFor([&] { return ui::ControlWithKeys() == f[0]; })) << w.name << ": and the keys";
      EXPECT_EQ(TextOf(f[0]), "1x") << w.name;
      for (TAbNumEdit* e : f) {
        EXPECT_EQ(StateOf(e), esError) << w.name << " " << e->Name();
        EXPECT_GT(RedShare(e), 0.3) << w.name << " " << e->Name() << " shows red";
      }
      // A click into another bad field leaves the focus where it is.
      Click(f[1], 1);
      EXPECT_EQ(Ask<TWinControl*>([form] { return Focus(form); }), f[0]) << w.name;

      // Corrected, each lets the focus go to the next, which is corrected in its turn.
      for (size_t i = 0; i < count; ++i) {
        if (i > 0) {
          Click(f[i], 1);
          EXPECT_TRUE(WaitFor([&] { return Focus(form) == f[i]; })) << w.name << " field " << i;
          EXPECT_EQ(StateOf(f[i]), esError) << w.name << " field " << i << " kept its bad text until now";
        }
        Press("ctrl+a " + std::to_string(i + 1) + " Return");
        EXPECT_TRUE(WaitFor([&] { return f[i]->State() == esNormal; })) << w.name << " field " << i;
      }
    });
  }
};

TEST_P(NumericFields, BadNumbersInTheTemperatureCalculatorNeverLoop) { BadNumbersNeverLoop(kTemperatureCalculator, 3); }
TEST_P(NumericFields, BadNumbersInTheAdditionalTablesNeverLoop) { BadNumbersNeverLoop(kAdditionalTables, 2); }
TEST_P(NumericFields, BadNumbersInTheTractionControlSetupNeverLoop) { BadNumbersNeverLoop(kTractionControl, 3); }
TEST_P(NumericFields, BadNumbersInTheMainWindowsFanFieldsNeverLoop) { BadNumbersNeverLoop(kMainFans, 2); }

// Escape in a numeric field with a typed or bad number, window by window: the first takes
// the number back (the text of the last value, on the normal colour) and the window stays;
// the second closes the window.
TEST_P(NumericFields, EscapeTakesATypedNumberBackBeforeItClosesTheWindow) {
  struct Row {
    const char* name;
    std::function<void()> open;
    std::function<TForm*()> form;
    std::function<TAbNumEdit*()> field;
    const char* keys;
  };
  const std::vector<Row> rows = {
      {"temperature calculator", OpenTemperatureCalculator, [] { return static_cast<TForm*>(TempCalc); },
       [] { return static_cast<TAbNumEdit*>(TempCalc->Temp1); }, "minus 2 0"},
      {"cell-entry dialog",
       [] {
         TR7Tform1* m = R7Tform1;
         Press("F3");  // the ignition page
         ASSERT_TRUE(WaitFor([m] { return m->ignitiontable->CanFocus(); }));
         const TRect r = Ask<TRect>([m] { return m->ignitiontable->CellRect(3, 3); });
         Click(m->ignitiontable, 1, (r.Left + r.Right) / 2, (r.Top + r.Bottom) / 2);
         Press("Return");
         ASSERT_TRUE(WaitFor([] { return Screen->ActiveForm() == insertdata && insertdata->Visible(); }));
       },
       [] { return static_cast<TForm*>(insertdata); }, [] { return static_cast<TAbNumEdit*>(insertdata->newvalue); },
       "1 x"},
      {"traction-control setup", kTractionControl.open, kTractionControl.form,
       [] { return static_cast<TAbNumEdit*>(TCSetupForm->GPTimer); }, "7"},
      {"additional tables", kAdditionalTables.open, kAdditionalTables.form,
       [] { return kAdditionalTables.fields().front(); }, "9 9"},
      {"configuration editor", [] { OpenConfigPage("Down Down Return"); },  // Ignition outputs
       [] { return static_cast<TForm*>(SetupForm); }, [] { return static_cast<TAbNumEdit*>(SetupForm->IgnRefAdvance); },
       "1 7"},
  };
  Run([&] {
    ASSERT_TRUE(WaitFor([] { return Screen->ActiveForm() == R7Tform1; }, 20000));
    for (const Row& r : rows) {
      r.open();
      TForm* form = r.form();
      TAbNumEdit* e = r.field();
      const AnsiString before = TextOf(e);
      Click(e, 1);
      ASSERT_TRUE(WaitFor([&] { return Focus(form) == e; })) << r.name;
      Press(std::string("ctrl+a ") + r.keys);
      ASSERT_TRUE(WaitFor([&] { return e->State() != esNormal; })) << r.name;
      Press("Escape");
      EXPECT_TRUE(WaitFor([&] { return e->State() == esNormal && e->Text() == before; })) << r.name;
      Sleep(300);
      EXPECT_TRUE(Ask<bool>([form] { return form->Visible() && ui::ModalForm() == form; })) << r.name << " stays open";
      Press("Escape");
      EXPECT_TRUE(WaitFor([form] { return !form->Visible(); })) << r.name << " closes";
      // The calculator came from the editor, which closes in its turn.
      if (form == TempCalc) {
        Press("Escape");
        EXPECT_TRUE(WaitFor([] { return !SetupForm->Visible(); }));
      }
      ASSERT_TRUE(WaitFor([] { return Screen->ActiveForm() == R7Tform1; })) << r.name;
    }
  });
}

// Enter in a spin edit without ReturnIsTab presses the window's default button.
TEST_P(NumericFields, EnterInASpinEditPressesTheDefaultButton) {
  Run([&] {
    ASSERT_TRUE(WaitFor([] { return Screen->ActiveForm() == R7Tform1; }, 20000));
    // The temperature calculator's OK takes the three points and closes it.
    OpenTemperatureCalculator();
    TAdvSpinEdit* measure = TempCalc->Measure1;
    Click(measure, 1);
    ASSERT_TRUE(WaitFor([&] { return Focus(TempCalc) == measure; }));
    Press("Return");
    EXPECT_TRUE(WaitFor([] { return !TempCalc->Visible(); })) << "OK closed the calculator";
    EXPECT_EQ(Ask<int>([] { return TempCalc->ModalResult(); }), mrOk);
    // The editor now holds the calculated table: it asks before it drops it.
    Press("Escape");
    if (WaitActive("Confirm", 3000)) Press("Return");
    ASSERT_TRUE(WaitFor([] { return !SetupForm->Visible(); }));

    // The throttle alignment's OK starts the learning from the offset field.
    Press("alt+o");
    Sleep(300);
    Press("Down Down Return");  // Throttle Position Sensor
    ASSERT_TRUE(WaitFor([] { return Screen->ActiveForm() == Alignment && Alignment->Visible(); }));
    config::TAlignment* a = Alignment;
    if (!Ask<bool>([a] { return a->IdlePotNumOffset->Enabled(); })) Click(a->AutoIdlePotNum, 1);
    ASSERT_TRUE(WaitFor([a] { return a->IdlePotNumOffset->Enabled(); }));
    Click(a->IdlePotNumOffset, 1);
    ASSERT_TRUE(WaitFor([a] { return Focus(a) == a->IdlePotNumOffset; }));
    Press("Return");
    EXPECT_TRUE(WaitFor([a] { return a->Step() == 1; })) << "OK pressed";
    EXPECT_TRUE(Ask<bool>([a] { return a->Visible(); }));
  });
}

// Letters middle-clicked or pasted into an integer spin edit of the main window are
// refused: the field keeps its number, the map its limit, and what the field shows is what
// leaving it stores.
TEST_P(NumericFields, LettersPastedIntoTheSoftLimitAreRefused) {
  if (std::system("command -v xclip >/dev/null 2>&1") != 0) GTEST_SKIP() << "needs xclip";
  Run([&] {
    ASSERT_TRUE(WaitFor([] { return Screen->ActiveForm() == R7Tform1; }, 20000));
    kMainFans.open();
    TAdvSpinEdit* s = R7Tform1->soft_limit;
    ASSERT_TRUE(WaitFor([s] { return s->CanFocus(); }));
    const auto text = [s] { return Ask<AnsiString>([s] { return s->Text(); }); };
    const auto limit = [] { return Ask<int>([] { return static_cast<int>(MapSlots[CurrentMap].SoftRevLimit); }); };
    const AnsiString before = text();
    const int stored = limit();
    Click(s, 1);
    SelectElsewhere("5y");
    Click(s, 2);
    Sleep(300);
    EXPECT_EQ(text(), before) << "middle click";
    std::system("printf '%s' '7000x' | xclip -selection clipboard -i >/dev/null 2>&1");
    Sleep(200);
    Press("ctrl+a ctrl+v");
    Sleep(300);
    EXPECT_EQ(text(), before) << "Ctrl+V";
    Press("Tab");
    Sleep(300);
    EXPECT_EQ(limit(), stored);
    // A number goes in as typed.
    std::system("printf '%s' '6800' | xclip -selection clipboard -i >/dev/null 2>&1");
    Sleep(200);
    Click(s, 1);
    Press("ctrl+a shift+Insert Tab");
    EXPECT_TRUE(WaitFor([&] { return text() == "6800"; }));
    EXPECT_TRUE(WaitFor([&] { return limit() == 6800; }));
  });
}

INSTANTIATE_TEST_SUITE_P(Screen, NumericFields, ::testing::Values("1024x768x24"));

}  // namespace

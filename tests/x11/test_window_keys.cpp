// Windows of the program reached and answered from the keyboard alone under a real window
// manager, the main window open behind them.
#include <gtest/gtest.h>

#include "app/Block.h"
#include "config/Additonl.h"
#include "config/setup.h"
#include "platform/stdctrls/Tabs.h"
#include "controls/Aligrid.h"
#include "ecu/IgnAlign.h"
#include "gauges/AbNumEdit.h"
#include "model/MapRecord.h"
#include "platform/stdctrls/StdCtrls.h"
#include "x11/ProgramUser.h"

namespace {

using namespace x11test;

using WindowKeys = ProgramUser;

// The block dialog over the ignition table: Enter in the operation moves to the value and
// Enter there fills the block: with a typed number, with the value shown when nothing was
// typed, and with 0 from a box emptied by the user, each at the first Enter in the box.
TEST_P(WindowKeys, BlockDialogFillsAtTheFirstEnterInTheValue) {
  Tmap_function* d = map_function;
  Run([&] {
    TR7Tform1* m = R7Tform1;
    TStringAlignGrid* g = m->ignitiontable;
    ASSERT_TRUE(WaitFor([] { return Screen->ActiveForm() == R7Tform1; }, 20000));
    Press("F3");
    ASSERT_TRUE(WaitFor([m, g] { return m->ActiveControl() == g; }));
    // The four cells of the block and what each round leaves in them.
    auto block = [g] { return SelectedCells(g); };
    struct Round {
      const char* typed;  // keys in the value box before Enter
      const char* cells;
    };
    const Round rounds[] = {{"BackSpace 7", "7 7 7 7 "}, {"", "0 0 0 0 "}, {"1 2", "12 12 12 12 "},
                            {"End BackSpace BackSpace BackSpace", "0 0 0 0 "}};
    Press("shift+Right shift+Down");
    for (const Round& r : rounds) {
      SCOPED_TRACE(r.typed);
      Press("Return");
      ASSERT_TRUE(WaitFor([d] { return Screen->ActiveForm() == d && d->ActiveControl() == d->operation; }));
      Press("Return");
      ASSERT_TRUE(WaitFor([d] { return d->ActiveControl() == d->Value; }));
      if (*r.typed != '\0') Press(r.typed);
      if (r.typed[0] == 'E') Shot("block-emptied");
      Press("Return");
      EXPECT_TRUE(WaitFor([d] { return !d->Visible(); }, 3000)) << "the first Enter in the value closes";
      if (Ask<bool>([d] { return d->Visible(); })) Press("Escape");
      EXPECT_TRUE(WaitFor([&] { return block() == r.cells; }, 3000)) << Ask<std::string>(block);
    }
  });
}

// The ignition-alignment window opens on its lock button, the first control that acts (the
// instructions only inform), and marks the focus there; Tab goes round the controls that
// act and never lands on the instructions.
TEST_P(WindowKeys, IgnitionAlignmentStartsOnItsLockButton) {
  TIgnAlignForm* w = IgnAlignForm;
  Run([&] {
    ASSERT_TRUE(WaitFor([] { return Screen->ActiveForm() == R7Tform1; }, 20000));
    Press("alt+o");
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    Press("Down Return");
    ASSERT_TRUE(WaitFor([w] { return Screen->ActiveForm() == w; }));
    EXPECT_TRUE(WaitFor([w] { return w->ActiveControl() == w->UnLockButton; }))
        << Ask<std::string>([w] { return std::string(w->ActiveControl() ? w->ActiveControl()->Name().c_str() : "none"); });
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    const auto focused = Picture(w->UnLockButton);
    Shot("align-start");
    for (int i = 0; i < 6; ++i) {
      Press("Tab");
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
      EXPECT_NE(Ask<TWinControl*>([w] { return w->ActiveControl(); }), w->Memo1);
    }
    ASSERT_TRUE(WaitFor([w] { return w->ActiveControl() != w->UnLockButton; }));
    EXPECT_FALSE(SamePicture(*focused, *Picture(w->UnLockButton))) << "the focused button shows a mark";
    Press("Escape");
    EXPECT_TRUE(WaitFor([w] { return !w->Visible(); }));
  });
}

// Minimising a modal window (the additional tables, the configuration editor) minimises
// the program with it; bringing back either the main window or the modal window brings
// both back, the modal window on top and taking the keys.
TEST_P(WindowKeys, AMinimisedModalWindowTakesTheProgramWithIt) {
  auto hidden = [](const std::string& id) {
    return Output("xprop -id " + id + " _NET_WM_STATE 2>/dev/null").find("_NET_WM_STATE_HIDDEN") != std::string::npos;
  };
  auto waitX = [](const std::function<bool()>& done) {
    for (int i = 0; i < 250 && !done(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(20));
    return done();
  };
  Run([&] {
    TR7Tform1* m = R7Tform1;
    ASSERT_TRUE(WaitFor([] { return Screen->ActiveForm() == R7Tform1; }, 20000));
    // A window of the program by its caption, as the window manager lists it.
    auto windowOf = [](TForm* f) {
      const std::string caption = Ask<std::string>([f] { return std::string(f->Caption().c_str()); });
      return Output("xdotool search --name '^" + caption + "$' 2>/dev/null | head -n1");
    };
    const std::string mainId = windowOf(m);
    ASSERT_FALSE(mainId.empty());
    struct Case {
      const char *menu, *item;
      TForm* form;
      bool backByMain;  // brought back through the main window, else through the modal one
    };
    const Case cases[] = {{"t", "a", AdditionalMaps, true}, {"c", "e", SetupForm, false}};
    for (const Case& c : cases) {
      SCOPED_TRACE(c.form->Name().c_str());
      Press("alt+" + std::string(c.menu));
      std::this_thread::sleep_for(std::chrono::milliseconds(300));
      Press(c.item);
      ASSERT_TRUE(WaitFor([&] { return Screen->ActiveForm() == c.form; }));
      const std::string modalId = windowOf(c.form);
      ASSERT_FALSE(modalId.empty());
      ASSERT_TRUE(waitX([&] { return Output("xdotool getactivewindow 2>/dev/null") == modalId; }));
      std::system(("xdotool windowminimize " + modalId + " >/dev/null 2>&1").c_str());
      EXPECT_TRUE(WaitFor([&] { return c.form->WindowState() == wsMinimized && m->WindowState() == wsMinimized; }));
      EXPECT_TRUE(waitX([&] { return hidden(modalId) && hidden(mainId); })) << "both windows off the screen";
      Shot(std::string("minimised-") + c.form->Name().c_str());

      const std::string back = c.backByMain ? mainId : modalId;
      for (int attempt = 0; attempt < 5 && hidden(mainId); ++attempt) {
        std::system(("xdotool windowactivate " + back + " >/dev/null 2>&1").c_str());
        waitX([&] { return !hidden(mainId) && !hidden(modalId); });
      }
      EXPECT_TRUE(waitX([&] { return !hidden(mainId) && !hidden(modalId); })) << "both windows back";
      EXPECT_TRUE(waitX([&] { return Output("xdotool getactivewindow 2>/dev/null") == modalId; }))
          << "the modal window active";
      EXPECT_TRUE(WaitFor([&] {
        return c.form->WindowState() == wsNormal && m->WindowState() != wsMinimized && Screen->ActiveForm() == c.form;
      }));
      Shot(std::string("restored-") + c.form->Name().c_str());
      // It takes the keys again.
      Press("ctrl+Tab");
      EXPECT_TRUE(WaitFor([&] {
        auto* book = c.form == AdditionalMaps ? AdditionalMaps->AdditionalBook : SetupForm->SetupBook;
        return book->PageIndex() == 1;
      }));
      Press("Escape");
      ASSERT_TRUE(WaitFor([&] { return !c.form->Visible(); }));
      EXPECT_TRUE(WaitFor([] { return Screen->ActiveForm() == R7Tform1; }));
    }
  });
}

INSTANTIATE_TEST_SUITE_P(Screens, WindowKeys, ::testing::Values("1024x768x24", "1600x1000x24"));

}  // namespace

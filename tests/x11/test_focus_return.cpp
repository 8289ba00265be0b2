// Where the keys go once a menu or a dialog over a window closes, under a real window
// manager with the main window and the logger open: back to the control that had them, or
// to the window's first control, in the window system as well as in the form, so that the
// arrows and the page keys work at once and the control shows its focus mark. A menu that
// took the keys for the bar (Alt and a title's letter twice, Escape between) must not keep
// them once its command has run and its dialog is gone.
#include <gtest/gtest.h>

#include <string>

#include "app/About.h"
#include "config/setup.h"
#include "controls/Aligrid.h"
#include "logger/LoggerExport.h"
#include "logger/logger.h"
#include "platform/stdctrls/ExtCtrls.h"
#include "platform/stdctrls/Tabs.h"
#include "x11/ProgramUser.h"

namespace {

using namespace x11test;

void Settle() { std::this_thread::sleep_for(std::chrono::milliseconds(300)); }

// What has the keys, for a failure's message.
std::string Keys(TForm* f) {
  return Ask<std::string>([f] {
    TWinControl* w = ui::ControlWithKeys();
    TWinControl* a = f->ActiveControl();
    return std::string("window system: ") + (w ? w->Name().c_str() : "no control") +
           ", form: " + (a ? a->Name().c_str() : "none") + ", active form: " +
           (Screen->ActiveForm() ? Screen->ActiveForm()->Name().c_str() : "none");
  });
}

// The keys reach `c` of the active form `f`, as far as the window system and the form go.
bool KeysOn(TForm* f, TWinControl* c) {
  return Screen->ActiveForm() == f && c != nullptr && ui::ControlWithKeys() == c && f->ActiveControl() == c;
}

// The keys reach a control of the active form `f`, the one the form holds for them.
bool KeysOnAControlOf(TForm* f) {
  return Screen->ActiveForm() == f && ui::ControlWithKeys() != nullptr && ui::ControlWithKeys() == f->ActiveControl();
}

void Activate(TForm* f) {
  const std::string caption = Ask<std::string>([f] { return std::string(f->Caption().c_str()); });
  const std::string id = Output("xdotool search --name '^" + caption + "$' 2>/dev/null | head -n1");
  std::system(("xdotool windowactivate " + id + " >/dev/null 2>&1").c_str());
}

class KeysBack : public ProgramUser {};

// The configuration editor, modal over the main window with the logger open beside it.
// Its ECU menu's "Read ECU configuration" asks first; once the question is answered the
// editor's keys are where they were: as it opened, and on its tab strip.
TEST_P(KeysBack, AfterTheEditorsMenusAndReadConfiguration) {
  TSetupForm* s = SetupForm;
  Run([&] {
    ASSERT_TRUE(WaitFor([] { return Screen->ActiveForm() == R7Tform1 && ECUConnected; }, 20000));
    Press("F12");
    ASSERT_TRUE(WaitFor([] { return Screen->ActiveForm() == LoggerForm; }));
    Settle();
    Activate(R7Tform1);
    ASSERT_TRUE(WaitFor([] { return Screen->ActiveForm() == R7Tform1; }));
    Settle();
    Press("alt+c");
    Settle();
    Press("e");  // "ECU version info"
    ASSERT_TRUE(WaitFor([s] { return Screen->ActiveForm() == s; }));
    Settle();
    auto page = [s] { return Ask<int>([s] { return s->SetupBook->PageIndex(); }); };

    // First as the editor opened, then with its tab strip holding the keys.
    for (int round = 0; round < 4; ++round) {
      SCOPED_TRACE(round);
      if (round == 1) {
        for (int i = 0; i < 80 && !Ask<bool>([s] { return s->ActiveControl() == s->TabSet; }); ++i) Press("Tab");
        ASSERT_TRUE(WaitFor([s] { return KeysOn(s, s->TabSet); }));
      }
      TWinControl* before = Ask<TWinControl*>([s] { return s->ActiveControl(); });
      const uint32_t asked = sim_.FramesReceived('c');
      Press("alt+e Escape alt+f Escape alt+e");
      Settle();
      Press("Return");  // "Read ECU configuration"
      ASSERT_TRUE(WaitActive("Confirm")) << "the editor asks before it reads";
      Settle();
      Press("Return");
      EXPECT_TRUE(WaitFor([&] { return sim_.FramesReceived('c') > asked; })) << "the ECU was asked";
      EXPECT_TRUE(WaitFor([&] { return before != nullptr ? KeysOn(s, before) : KeysOnAControlOf(s); }, 3000))
          << Keys(s);
      Shot("keys-back-setup-" + std::to_string(round));
      const int p = page();
      if (round > 0) {
        Press("Right");
        EXPECT_TRUE(WaitFor([&] { return s->SetupBook->PageIndex() == p + 1; })) << "the strip's arrows";
      }
      const int q = page();
      Press("ctrl+Tab");
      EXPECT_TRUE(WaitFor([&] { return s->SetupBook->PageIndex() == q + 1; })) << "Ctrl+Tab " << Keys(s);
      Press("ctrl+Next");
      EXPECT_TRUE(WaitFor([&] { return s->SetupBook->PageIndex() == q + 2; })) << "Ctrl+PgDn " << Keys(s);
      EXPECT_TRUE(WaitFor([s] { return KeysOnAControlOf(s); })) << Keys(s);
    }
    Press("Escape");
    ASSERT_TRUE(WaitFor([s] { return !s->Visible(); }));
    // The main window had its keys nowhere in particular: they go to one of its controls.
    EXPECT_TRUE(WaitFor([] { return KeysOnAControlOf(R7Tform1); })) << Keys(R7Tform1);
    Ask<bool>([] {
      LoggerForm->Hide();
      return true;
    });
  });
}

// The main window: a table has the keys, the menus are walked, "About" opens and closes;
// the table has the keys again and takes the arrows, and the page keys turn its pages. The
// logger: its Data menu's export window closes, and the logger's keys turn its pages.
TEST_P(KeysBack, AfterTheMainWindowsAndTheLoggersMenusAndDialogs) {
  Run([&] {
    TR7Tform1* m = R7Tform1;
    ASSERT_TRUE(WaitFor([] { return Screen->ActiveForm() == R7Tform1 && ECUConnected; }, 20000));
    Press("F12");
    ASSERT_TRUE(WaitFor([] { return Screen->ActiveForm() == LoggerForm; }));
    Settle();
    Activate(m);
    ASSERT_TRUE(WaitFor([m] { return Screen->ActiveForm() == m; }));
    Settle();
    Press("F3");
    ASSERT_TRUE(WaitFor([m] { return KeysOn(m, m->ignitiontable); })) << Keys(m);
    auto row = [m] { return Ask<int>([m] { return m->ignitiontable->Row(); }); };
    for (int round = 0; round < 3; ++round) {
      SCOPED_TRACE(round);
      Press("alt+f Escape alt+h Escape alt+h");
      Settle();
      Press("Return");  // "About"
      ASSERT_TRUE(WaitFor([] { return Screen->ActiveForm() == AboutBox; }));
      Settle();
      Press("Return");
      ASSERT_TRUE(WaitFor([m] { return Screen->ActiveForm() == m && !AboutBox->Visible(); }));
      EXPECT_TRUE(WaitFor([m] { return KeysOn(m, m->ignitiontable); }, 3000)) << Keys(m);
      Shot("keys-back-main-" + std::to_string(round));
      const int r = row();
      Press(r < 8 ? "Down" : "Up");
      EXPECT_TRUE(WaitFor([&] { return m->ignitiontable->Row() == (r < 8 ? r + 1 : r - 1); })) << Keys(m);
    }
    Press("ctrl+Next");
    EXPECT_TRUE(WaitFor([m] { return m->Notebook1->PageIndex() == 3 && KeysOn(m, m->injectiontable); })) << Keys(m);

    TLoggerForm* l = LoggerForm;
    Activate(l);
    ASSERT_TRUE(WaitFor([l] { return Screen->ActiveForm() == l; }));
    Settle();
    for (int round = 0; round < 2; ++round) {
      SCOPED_TRACE(round);
      TWinControl* before = Ask<TWinControl*>([l] { return l->ActiveControl(); });
      Press("alt+a Escape alt+d Escape alt+d");
      Settle();
      Press("Down Down Return");  // "Export/Print"
      ASSERT_TRUE(WaitFor([] { return Screen->ActiveForm() == LoggerExportForm; }));
      Settle();
      Press("Escape");
      ASSERT_TRUE(WaitFor([l] { return Screen->ActiveForm() == l && !LoggerExportForm->Visible(); }));
      EXPECT_TRUE(WaitFor([&] { return before != nullptr ? KeysOn(l, before) : KeysOnAControlOf(l); }, 3000))
          << Keys(l);
      Shot("keys-back-logger-" + std::to_string(round));
      const int p = Ask<int>([l] { return l->LoggerBook->PageIndex(); });
      Press("ctrl+Tab");
      EXPECT_TRUE(WaitFor([&] { return l->LoggerBook->PageIndex() != p; })) << "Ctrl+Tab " << Keys(l);
    }
    Ask<bool>([l] {
      l->Hide();
      return true;
    });
  });
}

INSTANTIATE_TEST_SUITE_P(Screens, KeysBack, ::testing::Values("1024x768x24", "1600x1000x24"));

}  // namespace

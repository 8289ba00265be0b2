// The program's dialogs used from the keyboard alone under a real window manager, with the
// main window open behind them: radio groups, the button Enter presses, the memo's Tab and
// Return, the focus marks, and bold digits that read as digits. A keyboard user (a thread
// typing through xdotool) drives them while the program runs its own message loop; what
// the user sees is asked of the program on its own thread. With CQ5_SCREENSHOT_DIR set the
// screen is captured (frames included) at the points worth a look.
#include <gtest/gtest.h>

#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <thread>

#include "app/Main.h"
#include "config/Additonl.h"
#include "controls/Aligrid.h"
#include "config/ConfigComments.h"
#include "config/DisplayUnits.h"
#include "ecu/NewComPort.h"
#include "ecusim/PtyEcu.h"
#include "model/Settings.h"
#include "platform/graphics/Bitmap.h"
#include "platform/stdctrls/Buttons.h"
#include "platform/stdctrls/ExtCtrls.h"
#include "platform/stdctrls/Tabs.h"
#include "platform/ui/Application.h"
#include "platform/ui/MessageQueue.h"
#include "platform/ui/Simulate.h"
#include "x11/ProgramUser.h"
#include "x11/XSession.h"

namespace {

using namespace x11test;

// The shortest horizontal run of ink (pixels of `ink`) in a picture; 0 when there is none.
int ThinnestStroke(TBitmap& shot, TColor ink, TRect within) {
  int thinnest = 0;
  for (int y = within.Top; y < within.Bottom; ++y) {
    int run = 0;
    for (int x = within.Left; x <= within.Right; ++x) {
      const bool on = x < within.Right && shot.Canvas()->Pixel(x, y) == ink;
      if (on) {
        ++run;
      } else if (run > 0) {
        if (thinnest == 0 || run < thinnest) thinnest = run;
        run = 0;
      }
    }
  }
  return thinnest;
}

// The colour of the text in a rectangle of one background colour: the first pixel that
// differs from its top-left one.
TColor InkIn(TBitmap& shot, TRect within) {
  const TColor ground = shot.Canvas()->Pixel(within.Left, within.Top);
  for (int y = within.Top; y < within.Bottom; ++y)
    for (int x = within.Left; x < within.Right; ++x)
      if (shot.Canvas()->Pixel(x, y) != ground) return shot.Canvas()->Pixel(x, y);
  return ground;
}

// The whole program, linked to the simulated ECU, worked from the keyboard.
class KeyboardUser : public x11test::ProgramUser {};

// Display units: the focus enters each group on its checked button, the arrows move the
// choice round the group, Tab goes on to the next group and past the disabled ones, and
// the focused button shows a mark.
TEST_P(KeyboardUser, RadioGroupsAreWorkedWithArrowsAndTab) {
  TUnitsForm* u = UnitsForm;
  Settings.TemperatureUnit = 0;
  Settings.PressureUnit = 1;
  Settings.SpeedUnit = 0;
  Run([&] {
    ASSERT_TRUE(WaitFor([] { return Screen->ActiveForm() == R7Tform1; }));
    Press("alt+o");
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    Press("Down Down Down Return");
    ASSERT_TRUE(WaitActive("Display units"));
    EXPECT_TRUE(WaitFor([u] { return Focus(u) == u->UnitsTemperature->Buttons(0); })) << "on the checked button";
    Press("Down");
    EXPECT_TRUE(WaitFor([u] {
      return u->UnitsTemperature->ItemIndex() == 1 && Focus(u) == u->UnitsTemperature->Buttons(1);
    }));
    Press("Tab");
    EXPECT_TRUE(WaitFor([u] { return Focus(u) == u->UnitsPressure->Buttons(1); })) << "the next group, on Bar";
    Press("Down Down");
    EXPECT_TRUE(WaitFor([u] { return u->UnitsPressure->ItemIndex() == 0; })) << "round past the last";
    Press("Up");
    EXPECT_TRUE(WaitFor([u] { return u->UnitsPressure->ItemIndex() == 2 && Focus(u) == u->UnitsPressure->Buttons(2); }))
        << "and back round past the first";
    Press("Tab");
    EXPECT_TRUE(WaitFor([u] { return Focus(u) == u->UnitsSpeed->Buttons(0); }));
    Press("Right");
    EXPECT_TRUE(WaitFor([u] { return u->UnitsSpeed->ItemIndex() == 1; }));
    Shot("units-speed");
    const auto focused = Picture(u->UnitsSpeed->Buttons(1));
    Press("shift+Tab");
    EXPECT_TRUE(WaitFor([u] { return Focus(u) == u->UnitsPressure->Buttons(2); })) << "back a group";
    const auto unfocused = Picture(u->UnitsSpeed->Buttons(1));
    EXPECT_FALSE(SamePicture(*focused, *unfocused)) << "the focused radio button shows a mark";
    Press("Tab Tab");
    EXPECT_TRUE(WaitFor([u] { return Focus(u) == u->BitBtn1; })) << "past the disabled groups to OK";
    Shot("units-ok");
    Press("Return");
    EXPECT_TRUE(WaitFor([u] { return !u->Visible(); }));
  });
  EXPECT_EQ(Settings.TemperatureUnit, 1);
  EXPECT_EQ(Settings.PressureUnit, 2);
  EXPECT_EQ(Settings.SpeedUnit, 1);
}

class PortChoice : public KeyboardUser {
 protected:
  std::string IniText() override { return "[Comms]\nAuto=0\nPort=5\n"; }
};

// The port dialog that the main window's first activation opens: the focused push button
// is drawn as the one Enter presses, the default button gets that look back when the focus
// leaves the buttons, so Tab to Cancel and Enter cancels as the screen said it would. Every
// control of the dialog marks the focus.
TEST_P(PortChoice, TheFocusedButtonIsDrawnAsTheDefault) {
  TSelectPort* p = SelectPort;
  Run([&] {
    ASSERT_TRUE(WaitActive("Select Port", 20000));
    ASSERT_TRUE(WaitFor([p] { return Focus(p) == p->ComboBox1; }));
    auto defaults = [p] {
      return std::string(p->OKBtn->DrawnAsDefault() ? "ok " : "") + (p->BitBtn1->DrawnAsDefault() ? "refresh " : "") +
             (p->CancelBtn->DrawnAsDefault() ? "cancel " : "");
    };
    EXPECT_EQ(Ask<std::string>(defaults), "ok ");
    const auto comboFocused = Picture(p->ComboBox1);
    Shot("port-combo");
    Press("Tab");
    ASSERT_TRUE(WaitFor([p] { return Focus(p) == p->BitBtn1; }));
    EXPECT_EQ(Ask<std::string>(defaults), "refresh ");
    EXPECT_FALSE(SamePicture(*comboFocused, *Picture(p->ComboBox1))) << "the focused combo box shows a mark";
    const auto refreshFocused = Picture(p->BitBtn1);
    Press("Tab");
    ASSERT_TRUE(WaitFor([p] { return Focus(p) == p->CheckBox1; }));
    EXPECT_EQ(Ask<std::string>(defaults), "ok ") << "off the buttons, OK is the default again";
    EXPECT_FALSE(SamePicture(*refreshFocused, *Picture(p->BitBtn1))) << "the focused push button shows a mark";
    const auto tickFocused = Picture(p->CheckBox1);
    Shot("port-tick");
    Press("Tab");
    ASSERT_TRUE(WaitFor([p] { return Focus(p) == p->OKBtn; }));
    EXPECT_EQ(Ask<std::string>(defaults), "ok ");
    EXPECT_FALSE(SamePicture(*tickFocused, *Picture(p->CheckBox1))) << "the focused tick box shows a mark";
    Press("Tab");
    ASSERT_TRUE(WaitFor([p] { return Focus(p) == p->CancelBtn; }));
    EXPECT_EQ(Ask<std::string>(defaults), "cancel ");
    Shot("port-cancel");
    Press("shift+Tab");
    ASSERT_TRUE(WaitFor([p] { return Focus(p) == p->OKBtn; }));
    EXPECT_EQ(Ask<std::string>(defaults), "ok ");
    Press("Tab Return");
    // Cancel was pressed: the main window says that no port was chosen.
    EXPECT_TRUE(WaitFor([p] { return !p->Visible(); }));
    for (int i = 0; i < 250 && (ActiveTitle() == "Select Port" || ActiveTitle().find("Map ") == 0); ++i)
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    Shot("port-cancelled");
    Press("Return");
    EXPECT_TRUE(WaitFor([] { return Screen->ActiveForm() == R7Tform1 && ActiveTitle().find("Map ") == 0; }));
  });
  EXPECT_EQ(SelectPort->ModalResult(), mrCancel);
  EXPECT_FALSE(ECUConnected);
}

// "Save ECU configuration - File comments": Return types a line in the memo (it wants
// returns), Tab leaves it (it does not want tabs), and Enter then presses Save. A memo that
// wants tabs and not returns types the tab and lets Enter press Save.
TEST_P(KeyboardUser, AMemoTakesTabAndReturnOnlyWhenItWantsThem) {
  TConfigSaveCommentsForm* c = ConfigSaveCommentsForm;
  int results[2] = {-1, -1};
  Run([&] {
    ASSERT_TRUE(WaitFor([] { return Screen->ActiveForm() == R7Tform1; }));
    for (int round = 0; round < 2; ++round) {
      ui::RunOnGuiThread([c, &results, round] {
        c->Memo1->SetText("");
        c->Memo1->SetWantTabs(round == 1);
        c->Memo1->SetWantReturns(round == 0);
        results[round] = c->ShowModal();
      });
      ASSERT_TRUE(WaitActive("Save ECU configuration - File comments"));
      // The form shows again with the focus where it was left, on Save: back to the memo.
      if (round == 1) Press("shift+Tab");
      ASSERT_TRUE(WaitFor([c] { return Focus(c) == c->Memo1; }));
      if (round == 0) {
        Press("a b Return c Tab");
        EXPECT_TRUE(WaitFor([c] { return Focus(c) == c->Button1; })) << "Tab left the memo";
        EXPECT_EQ(Ask<std::string>([c] { return std::string(c->Memo1->Text().c_str()); }), "ab\r\nc");
        Shot("comments");
        Press("Return");
      } else {
        Press("a Tab b Return");
      }
      EXPECT_TRUE(WaitFor([c] { return !c->Visible(); }));
    }
    EXPECT_EQ(Ask<std::string>([c] { return std::string(c->Memo1->Text().c_str()); }), "a\tb");
  });
  EXPECT_EQ(results[0], mrOk);
  EXPECT_EQ(results[1], mrOk);
}

// Bold zeros keep strokes of two pixels or more, so no digit breaks into single pixels
// that read as a line through it: the main window's user value boxes (live values from the
// ECU) and the cylinder-trim cells, reached with the keyboard.
TEST_P(KeyboardUser, BoldDigitsAreNotStruckThrough) {
  Run([&] {
    ASSERT_TRUE(WaitFor([] { return Screen->ActiveForm() == R7Tform1 && ECUConnected; }, 20000));
    for (TPanel* box : {R7Tform1->User1, R7Tform1->User2, R7Tform1->User3, R7Tform1->User4}) {
      Ask<bool>([box] {
        box->SetCaption("000");
        return true;
      });
      auto shot = Picture(box);
      EXPECT_GE(ThinnestStroke(*shot, clGreen, TRect(0, 0, shot->Width(), shot->Height())), 2) << box->Name().c_str();
    }
    Shot("main");
    Press("alt+t");
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    Press("y");
    ASSERT_TRUE(WaitFor([] { return AdditionalMaps->Visible() && AdditionalMaps->AdditionalBook->PageIndex() == 5; }));
    ASSERT_TRUE(WaitActive("Individual Channel / Cylinder trims"));
    Shot("trims");
    TStringAlignGrid* g = AdditionalMaps->CylTrims_table;
    // A cell away from the focused one, whose focus mark is no digit.
    const TRect r = Ask<TRect>([g] { return g->CellRect(2, 2); });
    const TRect cell(r.Left + 2, r.Top + 2, r.Right - 2, r.Bottom - 2);
    auto shot = Picture(g);
    EXPECT_GE(ThinnestStroke(*shot, InkIn(*shot, cell), cell), 2);
    Press("Escape");
    Ask<bool>([] {
      AdditionalMaps->Hide();
      return true;
    });
  });
}

INSTANTIATE_TEST_SUITE_P(Screens, KeyboardUser, ::testing::Values("1024x768x24", "1600x1000x24"));
INSTANTIATE_TEST_SUITE_P(Screens, PortChoice, ::testing::Values("1024x768x24", "1600x1000x24"));

}  // namespace

// The two four-digit code fields worked by a user under a real window manager, with the
// program linked to the simulated ECU. The telltale keycode: the dialog opens on "0000",
// digits typed over it replace it whole, the focus moves on to OK by itself once four are
// in, Enter in the field moves on without typing, Escape cancels, pointing at the field
// focuses it. The map-lock PIN: large digits drawn whole, the focus stays after the fourth,
// Escape closes the window, which keeps the PIN when shown again. What the ECU received is
// read from it. With CQ5_SCREENSHOT_DIR set, both windows are captured.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

#include "app/Main.h"
#include "controls/AdvMaskEdit.h"
#include "ecu/Diag.h"
#include "ecu/MapLock.h"
#include "ecu/keycode.h"
#include "platform/graphics/Bitmap.h"
#include "platform/stdctrls/Buttons.h"
#include "platform/stdctrls/Edits.h"
#include "platform/stdctrls/StdCtrls.h"
#include "x11/ProgramUser.h"

namespace {

using namespace x11test;

class CodeEdits : public ProgramUser {
 protected:
  void Point(TControl* c, bool click) {
    const TPoint p = Ask<TPoint>([c] { return c->ClientToScreen({c->Width() / 2, c->Height() / 2}); });
    std::system(("xdotool mousemove " + std::to_string(p.x) + " " + std::to_string(p.y) + (click ? " click 1" : "") +
                 " >/dev/null 2>&1")
                    .c_str());
  }
  static std::string Text(TCustomEdit* e) {
    return Ask<std::string>([e] { return std::string(e->Text().c_str()); });
  }
  // The keycode the ECU holds at its keycode address, as the four digits typed.
  std::string EcuKeycode() {
    return sim_.With([](ecusim::Ecu& e) {
      char digits[8];
      std::snprintf(digits, sizeof digits, "%02u%02u", e.State().memory[0xF8], e.State().memory[0xF9]);
      return std::string(digits);
    });
  }
};

TEST_P(CodeEdits, TelltaleKeycodeTabsOnWhenCompleteAndGoesToTheEcu) {
  TDlgPw* d = DlgPw;
  Run([&] {
    ASSERT_TRUE(WaitFor([] { return ECUConnected && Screen->ActiveForm() == R7Tform1; }, 20000));
    Press("alt+s");
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    Press("d");
    ASSERT_TRUE(WaitActive("ECU measurements & variables"));
    TButton* lock = DiagForm->TelltaleLock;
    auto open = [&] {
      Point(lock, true);
      ASSERT_TRUE(WaitActive("Telltale memory lock"));
      ASSERT_TRUE(WaitFor([d] { return Focus(d) == d->code; })) << "the dialog opens on the code";
      EXPECT_EQ(Text(d->code), "0000");
    };

    // Four digits: the focus moves on to OK by itself, and Enter sends the code.
    open();
    Shot("keycode");
    Press("1 2 3");
    EXPECT_TRUE(WaitFor([d] { return d->code->Text() == "123_"; })) << "typed over the preset code";
    EXPECT_EQ(Ask<TWinControl*>([d] { return Focus(d); }), d->code) << "not yet complete";
    Press("4");
    EXPECT_TRUE(WaitFor([d] { return Focus(d) == d->OKBtn; })) << "complete: the focus moved on";
    EXPECT_EQ(Text(d->code), "1234");
    Shot("keycode-complete");
    Press("Return");
    ASSERT_TRUE(WaitFor([d] { return !d->Visible(); }));
    EXPECT_TRUE(WaitFor([&] { return sim_.With([](ecusim::Ecu& e) { return e.State().telltale.locked; }); }));
    EXPECT_EQ(EcuKeycode(), "1234");
    ASSERT_TRUE(WaitFor([lock] { return lock->Caption() == "Unlock"; }));

    // Escape cancels: nothing more goes to the ECU.
    const uint32_t writes = sim_.FramesReceived('i');
    open();
    Press("9 9 9 9");
    EXPECT_TRUE(WaitFor([d] { return Focus(d) == d->OKBtn; }));
    Press("Escape");
    ASSERT_TRUE(WaitFor([d] { return !d->Visible(); }));
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_EQ(sim_.FramesReceived('i'), writes);
    EXPECT_EQ(EcuKeycode(), "1234");

    // Enter in the field moves on without typing; two digits are refused at OK and the
    // dialog stays. Pointing at the field takes the focus back there.
    open();
    Press("5 6 Return");
    EXPECT_TRUE(WaitFor([d] { return Focus(d) == d->OKBtn; })) << "Enter moved on";
    EXPECT_EQ(Text(d->code), "56__");
    Press("Return");
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_TRUE(Ask<bool>([d] { return d->Visible(); })) << "an incomplete code is refused";
    EXPECT_EQ(sim_.FramesReceived('i'), writes);
    Point(d->code, false);
    EXPECT_TRUE(WaitFor([d] { return Focus(d) == d->code; })) << "pointing at the field focuses it";
    Ask<bool>([d] {
      d->code->SelectAll();
      return true;
    });
    Press("1 2 3 4");
    EXPECT_TRUE(WaitFor([d] { return Focus(d) == d->OKBtn; }));
    Press("Return");
    ASSERT_TRUE(WaitFor([d] { return !d->Visible(); }));
    EXPECT_TRUE(WaitFor([&] { return !sim_.With([](ecusim::Ecu& e) { return e.State().telltale.locked; }); }))
        << "the right code unlocked the telltale memory";
    Press("alt+F4");
  });
}

TEST_P(CodeEdits, MapLockPinShowsLargeDigitsAndKeepsTheFocus) {
  TMapLockForm* m = MapLockForm;
  Run([&] {
    ASSERT_TRUE(WaitFor([] { return ECUConnected && Screen->ActiveForm() == R7Tform1; }, 20000));
    auto open = [&] {
      Press("alt+s");
      std::this_thread::sleep_for(std::chrono::milliseconds(300));
      Press("l");
      ASSERT_TRUE(WaitActive("ECU map lock"));
      ASSERT_TRUE(WaitFor([m] { return m->maplockstatus->Caption() != "Unknown"; }));
      Point(m->pincode, true);
      ASSERT_TRUE(WaitFor([m] { return Focus(m) == m->pincode; }));
    };
    open();
    // The click left the caret where it fell; Home goes to the first digit.
    Press("Home 4 3 2 1");
    EXPECT_TRUE(WaitFor([m] { return m->pincode->Text() == "4321"; }));
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_EQ(Ask<TWinControl*>([m] { return Focus(m); }), m->pincode) << "no automatic Tab";
    Shot("maplock");

    // The digits are drawn large and whole: their ink is at least 12 rows tall and stays
    // clear of the field's frame.
    const auto pin = Picture(m->pincode);
    const TColor ground = pin->Canvas()->Pixel(pin->Width() - 4, pin->Height() / 2);
    int top = -1, bottom = -1;
    for (int y = 2; y < pin->Height() - 2; ++y)
      for (int x = 3; x < pin->Width() / 2; ++x)
        if (pin->Canvas()->Pixel(x, y) != ground) {
          if (top < 0) top = y;
          bottom = y;
        }
    EXPECT_GE(bottom - top + 1, 12) << top << ".." << bottom;
    EXPECT_GT(top, 2);
    EXPECT_LT(bottom, pin->Height() - 3);

    // Escape closes the window and sends nothing; shown again, it keeps the PIN. Enter
    // moves on to Lock, and Enter there locks.
    const uint32_t secured = sim_.FramesReceived('S');
    Press("Escape");
    ASSERT_TRUE(WaitFor([m] { return !m->Visible(); }));
    open();
    EXPECT_EQ(sim_.FramesReceived('S'), secured);
    EXPECT_EQ(Text(m->pincode), "4321");
    Press("Return");
    EXPECT_TRUE(WaitFor([m] { return Focus(m) == m->lockbutton; }));
    EXPECT_EQ(Text(m->pincode), "4321") << "Enter typed nothing";
    Press("Return");
    EXPECT_TRUE(WaitFor([&] { return sim_.With([](ecusim::Ecu& e) { return e.State().lock.locked; }); }));
    sim_.With([](ecusim::Ecu& e) {
      EXPECT_EQ(e.State().lock.pin1, 43);
      EXPECT_EQ(e.State().lock.pin2, 21);
    });
    EXPECT_TRUE(WaitFor([m] { return m->maplockstatus->Caption() == "Map Locked"; }));
    Point(m->BitBtn1, true);
    ASSERT_TRUE(WaitFor([m] { return !m->Visible(); }));

    // Shown again, the PIN typed over unlocks.
    open();
    Ask<bool>([m] {
      m->pincode->SelectAll();
      return true;
    });
    Press("4 3 2 1 Return Return");
    EXPECT_TRUE(WaitFor([&] { return !sim_.With([](ecusim::Ecu& e) { return e.State().lock.locked; }); }));
    EXPECT_TRUE(WaitFor([m] { return m->maplockstatus->Caption() == "Map UnLocked"; }));
    Shot("maplock-unlocked");
    Point(m->BitBtn1, true);
    ASSERT_TRUE(WaitFor([m] { return !m->Visible(); }));
  });
}

INSTANTIATE_TEST_SUITE_P(Screens, CodeEdits, ::testing::Values("1024x768x24", "1600x1000x24"));

}  // namespace

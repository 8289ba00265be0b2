// What a numeric field shows is what the program holds, sends and stores, driven by a user
// at the keyboard against the simulated ECU: a dialog cancelled and opened again, a window
// closed with Alt+F4 and a page turned while a number is typed, a configuration reply
// arriving while the user types (with and without unsent work), and a map switch.
#include <gtest/gtest.h>

#include "app/Block.h"
#include "config/Additonl.h"
#include "config/TCSetup.h"
#include "config/setup.h"
#include "controls/AdvSpin.h"
#include "controls/Aligrid.h"
#include "gauges/AbNumEdit.h"
#include "link/LiveData.h"
#include "model/ConfigBlock.h"
#include "model/ConfigEditing.h"
#include "model/MapRecord.h"
#include "platform/rtl/Numbers.h"
#include "platform/stdctrls/Tabs.h"
#include "platform/ui/Simulate.h"
#include "x11/ProgramUser.h"

namespace {

using namespace x11test;

using TypedValues = ProgramUser;

// Clicks into a control and selects its whole text, ready for typing over it.
void ClickIn(TControl* c) {
  const TPoint p = Ask<TPoint>([c] { return c->ClientToScreen({8, c->Height() / 2}); });
  std::system(("xdotool mousemove " + std::to_string(p.x) + " " + std::to_string(p.y) + " click 1 >/dev/null 2>&1").c_str());
  WaitFor([c] { return c->ParentForm()->ActiveControl() == c; }, 3000);
  Press("ctrl+a");
}

std::string TextOf(TCustomEdit* e) { return Ask<std::string>([e] { return std::string(e->Text().c_str()); }); }

// A menu command chosen by keys: the menu by its letter, then keys in the menu.
void Command(const std::string& menu, const std::string& keys) {
  Press("alt+" + menu);
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  Press(keys);
}

// A message box has the keys (it is no form's window).
bool BoxShows() {
  return WaitFor([] { return ui::ControlWithKeys() == nullptr; }, 5000);
}

// The edit shows the text of the value it holds, in its normal colour: on the screen no
// pixel of the typing or error colour.
void ShowsItsValue(TAbNumEdit* e, const std::string& text) {
  EXPECT_TRUE(WaitFor([=] { return e->Text() == text.c_str() && e->State() == esNormal; }, 3000))
      << TextOf(e) << " state " << Ask<int>([e] { return static_cast<int>(e->State()); });
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  const auto shown = Picture(e);
  int marked = 0;
  for (int y = 0; y < shown->Height(); ++y)
    for (int x = 0; x < shown->Width(); ++x) {
      const TColor c = shown->Canvas()->Pixel(x, y);
      marked += c == e->ColorEditing() || c == e->ColorError();
    }
  EXPECT_EQ(marked, 0);
}

std::vector<uint8_t> MapBytes(int slot) {
  return Ask<std::vector<uint8_t>>([slot] {
    const TMapRecord& m = MapSlots[slot];
    return std::vector<uint8_t>(m.Bytes(), m.Bytes() + sizeof m);
  });
}

// Cancel in the block dialog changes nothing, and the dialog opened again shows the value
// it is given, not the number typed before the cancel.
TEST_P(TypedValues, BlockDialogOpenedAgainShowsItsPreset) {
  Tmap_function* d = map_function;
  Run([&] {
    TR7Tform1* m = R7Tform1;
    TStringAlignGrid* g = m->ignitiontable;
    ASSERT_TRUE(WaitFor([] { return Screen->ActiveForm() == R7Tform1; }, 20000));
    Press("F3");
    ASSERT_TRUE(WaitFor([m, g] { return m->ActiveControl() == g; }));
    auto block = [g] { return SelectedCells(g); };
    Press("shift+Right shift+Down");
    const std::string cells = Ask<std::string>(block);
    const std::vector<uint8_t> map = MapBytes(Ask<int>([] { return CurrentMap; }));
    Press("Return");
    ASSERT_TRUE(WaitFor([d] { return Screen->ActiveForm() == d && d->ActiveControl() == d->operation; }));
    Press("Return");
    ASSERT_TRUE(WaitFor([d] { return d->ActiveControl() == d->Value; }));
    Press("ctrl+a 4 2");
    ASSERT_TRUE(WaitFor([d] { return d->Value->Text() == "42"; }));
    // Escape until the dialog goes (a first Escape may only take the typed number back).
    for (int i = 0; i < 3 && Ask<bool>([d] { return d->Visible(); }); ++i) {
      Press("Escape");
      WaitFor([d] { return !d->Visible(); }, 1500);
    }
    ASSERT_FALSE(Ask<bool>([d] { return d->Visible(); }));
    EXPECT_EQ(Ask<std::string>(block), cells);
    EXPECT_EQ(MapBytes(Ask<int>([] { return CurrentMap; })), map);

    Press("Return");
    ASSERT_TRUE(WaitFor([d] { return Screen->ActiveForm() == d; }));
    ShowsItsValue(d->Value, Ask<std::string>([d] { return std::string(FormatFloat(d->Value->FormatStr(), 0).c_str()); }));
    Press("Return");
    ASSERT_TRUE(WaitFor([d] { return d->ActiveControl() == d->Value; }));
    Press("Return");
    EXPECT_TRUE(WaitFor([d] { return !d->Visible(); }, 3000));
    EXPECT_TRUE(WaitFor([&] { return block() == "0 0 0 0 "; }, 3000)) << Ask<std::string>(block);
  });
}

// Alt+F4 takes the typed number as leaving the field does; a bad one is dropped and the
// field shows its value when the window comes back.
TEST_P(TypedValues, TractionControlSetupClosedWithAltF4ShowsWhatItHolds) {
  TTCSetupForm* t = TCSetupForm;
  TAbNumSpin* roll = t->WssWheelRoll;
  Run([&] {
    ASSERT_TRUE(WaitFor([] { return Screen->ActiveForm() == R7Tform1; }, 20000));
    struct Round {
      const char* keys;
      TNumEditState typed;
    };
    for (const Round& r : {Round{"2 5 0 0", esEditing}, Round{"1 x", esError}}) {
      SCOPED_TRACE(r.keys);
      Command("c", "Up Return");  // the last item of the Configuration menu
      ASSERT_TRUE(WaitFor([t] { return Screen->ActiveForm() == t && t->Visible(); }));
      std::this_thread::sleep_for(std::chrono::milliseconds(300));
      ClickIn(roll);
      Press(r.keys);
      ASSERT_TRUE(WaitFor([=] { return roll->State() == r.typed; }));
      Press("alt+F4");
      ASSERT_TRUE(WaitFor([t] { return !t->Visible(); }));
      EXPECT_EQ(Ask<double>([roll] { return roll->Value(); }), 2500);
      Command("c", "Up Return");
      ASSERT_TRUE(WaitFor([t] { return Screen->ActiveForm() == t && t->Visible(); }));
      ShowsItsValue(roll, "2500");
      Press("alt+F4");
      ASSERT_TRUE(WaitFor([t] { return !t->Visible(); }));
    }
  });
}

// A page key leaves a bad number behind: the field shows its value when the page is put
// away and when it comes back, and the map keeps what it held.
TEST_P(TypedValues, EventsPageShowsTheFanValueAfterAPageKey) {
  Run([&] {
    TR7Tform1* m = R7Tform1;
    TAbNumSpin* on = m->NSOn;
    ASSERT_TRUE(WaitFor([] { return Screen->ActiveForm() == R7Tform1; }, 20000));
    Press("F2");
    if (!WaitFor([m] { return m->Notebook1->PageIndex() == 1; }, 1500)) {
      Ask<bool>([m] { m->TabSet1->SetFocus(); return true; });
      while (Ask<int>([m] { return m->Notebook1->PageIndex(); }) != 1) Press("ctrl+Tab");
    }
    const std::string shown = TextOf(on);
    const std::vector<uint8_t> map = MapBytes(Ask<int>([] { return CurrentMap; }));
    ClickIn(on);
    Press("1 x");
    ASSERT_TRUE(WaitFor([on] { return on->State() == esError; }));
    Press("ctrl+Tab");
    ASSERT_TRUE(WaitFor([m] { return m->Notebook1->PageIndex() == 2; }));
    ShowsItsValue(on, shown);
    Press("ctrl+shift+Tab");
    ASSERT_TRUE(WaitFor([m] { return m->Notebook1->PageIndex() == 1; }));
    ShowsItsValue(on, shown);
    EXPECT_EQ(MapBytes(Ask<int>([] { return CurrentMap; })), map);
  });
}

class ConfigTyping : public ProgramUser {
 protected:
  // Opens the configuration editor on the page of `c`, once it shows the ECU's settings.
  static void OpenOn(TControl* c) {
    Command("c", "e");
    ASSERT_TRUE(WaitFor([] { return Screen->ActiveForm() == SetupForm && SetupForm->Visible(); }));
    ASSERT_TRUE(WaitFor([] { return SetupForm->StatusText() == "Current ECU settings displayed"; }, 15000));
    const int page = Ask<int>([c] {
      const TControl* p = c;
      while (p->Parent() != nullptr && p->Parent() != SetupForm->SetupBook) p = p->Parent();
      for (int i = 0; i < SetupForm->SetupBook->PageCount(); ++i)
        if (SetupForm->SetupBook->Page(i) == p) return i;
      return -1;
    });
    ASSERT_GE(page, 0);
    Ask<bool>([page] {
      SetupForm->TabSet->SetTabIndex(page);
      SetupForm->TabSetClick(SetupForm->TabSet);
      return true;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
  }
  // A configuration reply comes 1.5 s after the request that the window's activation
  // sends.
  void AskLateReply() {
    sim_.With([](ecusim::Ecu& e) { e.SetConfigReplyDelay(1500); });
    Ask<bool>([] {
      SetupForm->FormActivate(SetupForm);
      return true;
    });
  }
  static int Replies() { return Ask<int>([] { return PacketCountsA[3]; }); }
  std::vector<uint8_t> EcuImage() { return sim_.ConfigImage(); }
  static std::vector<uint8_t> BlockImage() {
    return Ask<std::vector<uint8_t>>([] {
      const config::ConfigImage i = config::EncodeConfigImage(ConfigBlock);
      return std::vector<uint8_t>(i.begin(), i.end());
    });
  }
  static bool Status(const char* text) { return WaitFor([text] { return SetupForm->StatusText() == text; }, 15000); }
  // "Update ECU configuration", its question answered with Enter; done when the ECU's copy
  // read back shows.
  void Upload() {
    Command("e", "Down Return");
    ASSERT_TRUE(BoxShows());
    Press("Return");
    ASSERT_TRUE(WaitFor([] { return ui::ControlWithKeys() != nullptr; }));
    ASSERT_TRUE(Status("Current ECU settings displayed"));
    EXPECT_EQ(EcuImage(), BlockImage());
  }
};

// A reply while the user types leaves the number typed; "Update ECU configuration" sends
// it, and closing asks about a number typed and not sent.
TEST_P(ConfigTyping, ReferenceAdvanceTypedThroughAReplyIsSentAndAskedAbout) {
  TAbNumSpin* ref = SetupForm->IgnRefAdvance;
  Run([&] {
    ASSERT_TRUE(WaitFor([] { return Screen->ActiveForm() == R7Tform1 && ECUConnected; }, 20000));
    OpenOn(ref);
    const uint16_t held = Ask<uint16_t>([] { return static_cast<uint16_t>(ConfigBlock.ReferenceAdvance); });
    const int before = Replies();
    AskLateReply();
    ClickIn(ref);
    Press("1 7");
    ASSERT_TRUE(WaitFor([before] { return Replies() > before; }, 15000));
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_EQ(TextOf(ref), "17");
    EXPECT_EQ(Ask<int>([ref] { return static_cast<int>(ref->State()); }), esEditing);
    EXPECT_EQ(Ask<uint16_t>([] { return static_cast<uint16_t>(ConfigBlock.ReferenceAdvance); }), held);
    sim_.With([](ecusim::Ecu& e) { e.SetConfigReplyDelay(0); });

    Upload();
    EXPECT_EQ(Ask<uint16_t>([] { return static_cast<uint16_t>(ConfigBlock.ReferenceAdvance); }), 34);
    ShowsItsValue(ref, "17.0");

    // Typed and not sent: Alt+F4 asks; No keeps the window and the number, Yes drops it.
    ClickIn(ref);
    Press("2 0");
    Press("alt+F4");
    ASSERT_TRUE(BoxShows()) << "no question";
    EXPECT_EQ(Ask<uint16_t>([] { return static_cast<uint16_t>(ConfigBlock.ReferenceAdvance); }), 40);
    Press("Escape");
    ASSERT_TRUE(WaitFor([] { return ui::ControlWithKeys() != nullptr; }));
    EXPECT_TRUE(Status("User modified settings displayed"));
    ShowsItsValue(ref, "20.0");
    Press("alt+F4");
    ASSERT_TRUE(BoxShows()) << "no question";
    Press("Return");
    ASSERT_TRUE(WaitFor([] { return !SetupForm->Visible(); }));
    EXPECT_EQ(Ask<uint16_t>([] { return static_cast<uint16_t>(ConfigBlock.ReferenceAdvance); }), 34);
    EXPECT_EQ(EcuImage(), BlockImage());
  });
}

// A reply that keeps the user's unsent work leaves the field being typed in as typed: the
// next keys land, and the number typed is what is stored and sent.
TEST_P(ConfigTyping, MapOffsetTypingGoesOnThroughAReplyKeepingUnsentWork) {
  TAdvSpinEdit* offset = SetupForm->MapOffSetEdit;
  Run([&] {
    ASSERT_TRUE(WaitFor([] { return Screen->ActiveForm() == R7Tform1 && ECUConnected; }, 20000));
    OpenOn(offset);
    const std::vector<uint8_t> ecu = EcuImage();
    const int before = Replies();
    AskLateReply();
    ClickIn(offset);
    Press("1 period");
    ASSERT_TRUE(WaitFor([] { return ConfigBlock.MapOffset == config::VoltsToCounts(1.0); }));
    ASSERT_TRUE(WaitFor([before] { return Replies() > before; }, 15000));
    EXPECT_TRUE(Status("User modified settings displayed"));
    EXPECT_EQ(TextOf(offset), "1.");
    Press("2 5");
    EXPECT_EQ(TextOf(offset), "1.25");
    EXPECT_TRUE(WaitFor([] { return ConfigBlock.MapOffset == config::VoltsToCounts(1.25); }));
    EXPECT_EQ(EcuImage(), ecu) << "nothing sent yet";
    sim_.With([](ecusim::Ecu& e) { e.SetConfigReplyDelay(0); });
    Upload();
    EXPECT_EQ(Ask<int>([] { return static_cast<int>(ConfigBlock.MapOffset); }), config::VoltsToCounts(1.25));
    Command("f", "Up Return");
    ASSERT_TRUE(WaitFor([] { return !SetupForm->Visible(); }));
  });
}

// The ECU switches maps while a number is typed in the additional tables: the field shows
// the new map's value, and Enter stores that, not the number typed for the other map.
TEST_P(TypedValues, AdditionalTablesFollowAMapSwitchWhileTyping) {
  TAdditionalMaps* a = AdditionalMaps;
  TAbNumSpin* spin = a->AbNumSpin2;
  Run([&] {
    ASSERT_TRUE(WaitFor([] { return Screen->ActiveForm() == R7Tform1 && ECUConnected && CurrentMap == 1; }, 20000));
    Ask<bool>([] {
      for (int slot : {1, 2}) {
        MapSlots[slot].Setting17690 = 3000;
        MapSlots[slot].OptionBits17688 |= 1;
      }
      R7Tform1->RefreshMapTables();
      return true;
    });
    Command("t", "a");
    ASSERT_TRUE(WaitFor([a] { return Screen->ActiveForm() == a && a->Visible(); }));
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    Press("ctrl+Tab");
    ASSERT_TRUE(WaitFor([spin] { return spin->Showing(); }));
    ClickIn(spin);
    Press("4 5 0 0");
    ASSERT_TRUE(WaitFor([spin] { return spin->Text() == "4500" && spin->State() == esEditing; }));
    sim_.With([](ecusim::Ecu& e) { e.State().activeBank = 2; });
    ASSERT_TRUE(WaitFor([] { return CurrentMap == 2; }, 15000));
    ShowsItsValue(spin, "3000");
    Press("Return");
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_EQ(Ask<int>([] { return static_cast<int>(MapSlots[2].Setting17690); }), 3000);
    EXPECT_EQ(Ask<int>([] { return static_cast<int>(MapSlots[1].Setting17690); }), 3000);
    Press("Escape");
  });
}

INSTANTIATE_TEST_SUITE_P(Screen, TypedValues, ::testing::Values("1024x768x24"));
INSTANTIATE_TEST_SUITE_P(Screen, ConfigTyping, ::testing::Values("1024x768x24"));

}  // namespace

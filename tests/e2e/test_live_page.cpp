// The main window's live adjustments page against the simulated ECU, through the window's
// own port, packet component and packet handler: the live boxes follow the operating point
// the ECU sends, the trim keys trim the running ECU, and Enter writes the trimmed cell into
// the bank the ECU runs.
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "app/Main.h"
#include "model/MapRecord.h"
#include "model/Settings.h"
#include "model/ConfigBlock.h"
#include "config/Additonl.h"
#include "controls/Aligrid.h"
#include "e2e/EcuLink.h"
#include "e2e/MainWindowLink.h"
#include "link/LiveData.h"
#include "ecu/MapLock.h"
#include "ecu/Progress.h"
#include "ecusim/PtyEcu.h"
#include "logger/logger.h"
#include "platform/rtl/Numbers.h"
#include "platform/stdctrls/ExtCtrls.h"
#include "platform/stdctrls/Tabs.h"
#include "platform/ui/Application.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/Keys.h"
#include "platform/ui/Timer.h"
#include "platform/ui/Simulate.h"
#include "serial/AdPort.h"

namespace e2e {
namespace {

using ecusim::Ecu;

// The saved port: within the settings' COM1..COM64, and used by no other test here.
constexpr int kCom = 62;
// The ECU runs bank 2 at speed site 3, load site 5.
constexpr int kBank = 2;
constexpr int kSpeedSite = 3, kLoadSite = 5;
constexpr int kIgnition = 10;  // degrees; the fast packet carries it doubled
constexpr int kInjection = 77;
// The ignition cell of the operating point in the ECU's memory-write space.
constexpr std::size_t kIgnitionCell = (kBank - 1) * ecusim::kBankSize + 1312 + kLoadSite * 32 + kSpeedSite;

class LivePage : public MainWindowLink {
 protected:
  LivePage() : MainWindowLink(kCom) {}

  std::string IniText() override { return MainWindowLink::IniText() + "[Main]\nLive map save=1\n"; }

  void Prepare(Ecu& e) override {
    e.State().activeBank = kBank;
    auto& f = e.State().fast;
    f.rpm = 2500;
    f.speedSite = kSpeedSite;
    f.loadSite = kLoadSite;
    f.ignitionMapValue = 2 * kIgnition;
    f.injectionMapValue = kInjection;
    PrepareMore(e);
  }

  void SetUp() override {
    MainWindowLink::SetUp();
    ASSERT_TRUE(f_->comms->Open());
    ASSERT_TRUE(script.Shown().empty());
  }

  // Waits until the link is up and box 1 shows `ignition` (box 2 the injection value).
  bool BoxesShow(const AnsiString& ignition) {
    return PumpUntil([&] {
      return ECUConnected && f_->map_advance->Caption() == ignition &&
             f_->map_injection->Caption() == IntToStr(kInjection);
    });
  }

  void Press(WORD key) { f_->FormKeyDown(f_, key, {}); }
  // Sets up the simulated ECU further before it starts.
  virtual void PrepareMore(Ecu&) {}
};

TEST_F(LivePage, BoxesFollowTheOperatingPointTheEcuSends) {
  ASSERT_TRUE(BoxesShow("10\xB0"));
  EXPECT_EQ(f_->actual_advance->Caption(), "10\xB0");
  EXPECT_EQ(f_->ignition_trim->Caption(), "0\xB0");
  EXPECT_EQ(f_->actual_injection->Caption(), "77");
  EXPECT_EQ(f_->injection_trim->Caption(), "0");
  EXPECT_EQ(LiveSpeedSite, kSpeedSite);
  EXPECT_EQ(LiveLoadSite, kLoadSite);
  // The operating point's cell is marked in both main tables.
  EXPECT_EQ(f_->ignitiontable->ColorCell(kSpeedSite + 2, kLoadSite + 1), clSilver);
  EXPECT_EQ(f_->injectiontable->ColorCell(kSpeedSite + 2, kLoadSite + 1), clSilver);
  // The window follows the bank the ECU runs.
  ASSERT_TRUE(PumpUntil([] { return ECUActiveMap == kBank && CurrentMap == kBank; }));

  // A new operating point reaches the boxes with the next fast packets (the ignition byte
  // is halved toward zero).
  sim.With([](Ecu& e) {
    e.State().fast.ignitionMapValue = -15;
    e.State().fast.speedSite = kSpeedSite + 1;
  });
  ASSERT_TRUE(BoxesShow("-7\xB0"));
  EXPECT_EQ(f_->actual_advance->Caption(), "-7\xB0");
  ASSERT_TRUE(PumpUntil([&] { return f_->ignitiontable->ColorCell(kSpeedSite + 3, kLoadSite + 1) == clSilver; }));
  EXPECT_EQ(f_->ignitiontable->ColorCell(kSpeedSite + 2, kLoadSite + 1), clWhite);
}

TEST_F(LivePage, TrimKeysTrimTheRunningEcuAndEnterWritesTheCellIntoItsBank) {
  ASSERT_TRUE(BoxesShow("10\xB0"));
  ASSERT_TRUE(PumpUntil([] { return CurrentMap == kBank; }));
  const std::uint8_t before = sim.With([](Ecu& e) { return e.State().memory[kIgnitionCell]; });
  ASSERT_NE(before, (kIgnition + 2) * 2 + 120);
  f_->Notebook1->SetPageIndex(7);

  Press(VK_ADD);
  Press(VK_ADD);
  ASSERT_TRUE(PumpUntil([&] { return sim.With([](Ecu& e) { return e.State().trims[1]; }) == 2; }));
  EXPECT_EQ(sim.FramesReceived('+'), 2u);
  EXPECT_EQ(LiveCellTrim[1], 2);
  // Later fast packets keep showing the ECU's value with the pending trim.
  const auto fastBefore = sim.GetCounters().packets[0];
  ASSERT_TRUE(PumpUntil([&] { return sim.GetCounters().packets[0] > fastBefore + 1; }));
  ASSERT_TRUE(BoxesShow("10\xB0"));
  EXPECT_EQ(f_->actual_advance->Caption(), "12\xB0");
  EXPECT_EQ(f_->ignition_trim->Caption(), "2\xB0");

  Press(VK_RETURN);
  // One cell of the ECU's running bank, value x 2 + 120; the ECU's trim is reset with it.
  ASSERT_TRUE(PumpUntil([&] {
    return sim.With([](Ecu& e) { return e.State().memory[kIgnitionCell] == (kIgnition + 2) * 2 + 120 &&
                                   e.State().trims[1] == 0; });
  }));
  const ecusim::Counters c = sim.GetCounters();
  EXPECT_EQ(c.Frames('i'), 1u);
  EXPECT_EQ(c.checksumErrors + c.rejectedFrames + c.unknownCommands + c.strayBytes, 0u);
  EXPECT_EQ(LiveCellTrim[1], 0);
  EXPECT_EQ(f_->ignition_trim->Caption(), "0\xB0");
  // The PC map of that bank holds the same cell.
  EXPECT_EQ(MapSlots[kBank].IgnitionTable[kSpeedSite + 1][kLoadSite + 1], kIgnition + 2);
  EXPECT_EQ(f_->ignitiontable->Cells(kSpeedSite + 2, kLoadSite + 1), IntToStr(kIgnition + 2));
}

TEST_F(LivePage, KeysOnTheLivePageNeverReachTheTableOfAnotherPage) {
  ASSERT_TRUE(BoxesShow("10\xB0"));
  ASSERT_TRUE(PumpUntil([] { return CurrentMap == kBank; }));
  // A block chosen on the ignition page, whose table keeps the focus when F8 turns the page.
  ui::SimulateKey(f_, "F3");
  f_->ignitiontable->SetFocus();
  f_->ignitiontable->SetSelection(TGridRect{2, 1, 4, 3});
  const TMapRecord before = MapSlots[kBank];
  ui::SimulateKey(f_, "F8");
  ASSERT_EQ(f_->Notebook1->PageIndex(), 7);
  ui::SimulateKey(f_, "=");
  ui::SimulateKey(f_, "+", true);
  ASSERT_TRUE(PumpUntil([&] { return sim.With([](Ecu& e) { return e.State().trims[1]; }) == 2; }));
  ui::SimulateKey(f_, "Return");
  ASSERT_TRUE(PumpUntil([&] { return sim.GetCounters().Frames('i') == 1u; }));
  // No block dialog over the live boxes, and the block keeps its cells and colours.
  EXPECT_TRUE(script.Shown().empty());
  for (int s = 1; s <= 3; ++s)
    for (int l = 1; l <= 3; ++l) {
      EXPECT_EQ(MapSlots[kBank].IgnitionTable[s][l], before.IgnitionTable[s][l]);
      EXPECT_NE(f_->ignitiontable->FontCell(s + 1, l)->Color(), clBlue);
    }
  // Only the written cell of the operating point changed.
  EXPECT_EQ(MapSlots[kBank].IgnitionTable[kSpeedSite + 1][kLoadSite + 1], kIgnition + 2);
}

TEST_F(LivePage, QuickTrimPressesAllCount) {
  ASSERT_TRUE(BoxesShow("10\xB0"));
  ui::SimulateKey(f_, "F8");
  // Three presses 12 ms apart: each arrives while the one before still waits between its
  // frames.
  // (A timer never fires inside its own handler, so each press has its own.)
  std::vector<std::unique_ptr<TTimer>> presses;
  for (unsigned i = 0; i < 3; ++i) {
    TTimer* t = presses.emplace_back(std::make_unique<TTimer>(nullptr)).get();
    t->SetInterval(1 + 12 * i);
    t->OnTimer = [this, t](TObject*) {
      t->SetEnabled(false);
      ui::SimulateKey(f_, "=");
    };
  }
  ASSERT_TRUE(PumpUntil([&] { return sim.With([](Ecu& e) { return e.State().trims[1]; }) == 3; }));
  EXPECT_EQ(LiveCellTrim[1], 3);
  EXPECT_EQ(sim.FramesReceived('+'), 3u);
  const ecusim::Counters c = sim.GetCounters();
  EXPECT_EQ(c.checksumErrors + c.rejectedFrames + c.unknownCommands + c.strayBytes, 0u);
  ASSERT_TRUE(PumpUntil([&] { return f_->ignition_trim->Caption() == "3\xB0"; }));
}

TEST_F(LivePage, KeyboardMenusWorkAndTheOpenMenuTakesThePagesKeys) {
  ASSERT_TRUE(BoxesShow("10\xB0"));
  ui::SimulateKey(f_, "F8");
  ASSERT_EQ(f_->Notebook1->PageIndex(), 7);
  // Alt, the Tables menu, its first item (Accel Fuelling), Enter: the window opens, and
  // the Enter was the menu's, not a cell write of the live page.
  AnsiString opened;
  script.AnswerForm([&](TForm& w) {
    opened = w.Name();
    w.SetModalResult(mrCancel);
  });
  ui::SimulateKey(f_, "Alt");
  ui::SimulateKey(f_, "T");
  ui::SimulateKey(f_, "Return");
  ASSERT_TRUE(PumpUntil([&] { return !opened.empty(); }));
  EXPECT_EQ(opened, AdditionalMaps->Name());
  EXPECT_EQ(AdditionalMaps->AdditionalBook->PageIndex(), 0);
  EXPECT_EQ(f_->Notebook1->PageIndex(), 7);
  EXPECT_EQ(sim.GetCounters().Frames('i'), 0u);
}

TEST_F(LivePage, AltKeysCycleTheBoxesThenActAsThePlainKeys) {
  ASSERT_TRUE(BoxesShow("10\xB0"));
  ui::SimulateKey(f_, "F8");
  // A pending trim of box 2 (the injection item).
  ui::SimulateKey(f_, "3");
  ASSERT_TRUE(PumpUntil([&] { return sim.With([](Ecu& e) { return e.State().trims[2]; }) == 1; }));
  ASSERT_EQ(LiveCellTrim[2], 1);
  // Alt + 1 moves box 1 on and, as "1", resets box 2's trim in the ECU.
  ui::SimulateKey(f_, "Alt+1");
  EXPECT_EQ(MapBoxItem1, 3);
  ASSERT_TRUE(PumpUntil([&] { return sim.With([](Ecu& e) { return e.State().trims[2]; }) == 0; }));
  EXPECT_EQ(LiveCellTrim[2], 0);
  EXPECT_EQ(sim.FramesReceived('z'), 1u);
  // Function keys work with Alt held: Alt + F3 turns the page, Alt + F12 opens the logger.
  ui::SimulateKey(f_, "Alt+F3");
  EXPECT_EQ(f_->TabSet1->TabIndex(), 2);
  ui::SimulateKey(f_, "Alt+F12");
  EXPECT_TRUE(LoggerForm->Visible());
  LoggerForm->Hide();
}

// An ECU that speaks another protocol: the window says so once and closes the link.
class LivePageOtherProtocol : public LivePage {
 protected:
  void PrepareMore(Ecu& e) override { e.State().identity.protocol = 30; }
};

TEST_F(LivePageOtherProtocol, IsReportedAndTheLinkIsClosed) {
  script.Answer(mrOk);
  ASSERT_TRUE(PumpUntil([&] { return !f_->comms->Open(); }));
  ASSERT_EQ(script.Shown().size(), 1u);
  EXPECT_EQ(script.Shown()[0].Text,
            "The ECU connected requires the R7T control software version 3.0\rCommunications have been disabled");
  EXPECT_FALSE(ECUConnected);
  EXPECT_EQ(f_->StatusPanel->Caption(), "Status - COMMS DISABLED");
}

}  // namespace
}  // namespace e2e

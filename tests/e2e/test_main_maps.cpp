// Map transfers through the main window against the simulated ECU: "Read MAP" and
// "Program MAP" from the Comms menu, the transfer window answered as a tuner answers it.
// Reading every bank and programming it straight back must leave the ECU's banks as they
// were, byte for byte, whatever the window shows in between.
#include <chrono>
#include <cstring>
#include <thread>
#include <vector>

#include "app/Main.h"
#include "model/MapRecord.h"
#include "config/SelectMap.h"
#include "config/setup.h"
#include "model/ConfigBlock.h"
#include "controls/AdvSpin.h"
#include "e2e/BankImages.h"
#include "e2e/MainWindowLink.h"
#include "model/MapImage.h"
#include "ecu/Progress.h"
#include "platform/stdctrls/Buttons.h"
#include "platform/stdctrls/ComCtrls.h"
#include "platform/stdctrls/Menus.h"
#include "platform/stdctrls/StdCtrls.h"
#include "platform/ui/Simulate.h"

namespace e2e {
namespace {

using ecusim::Ecu;
using Bytes = std::vector<std::uint8_t>;
using e2etest::Differences;

void PutBE16(Bytes& image, size_t at, int v) {
  image[at] = static_cast<std::uint8_t>((v >> 8) & 0xFF);
  image[at + 1] = static_cast<std::uint8_t>(v & 0xFF);
}

// A bank as a tuner's ECU holds it: a full map, with the idle-up speed and all the load
// axes set, in the throttle or the MAP form by `options` (MAP values travel times 10).
Bytes EcuBank(int bank, int options) {
  TMapRecord m;
  m.Clear();
  SetMapSpeedSiteAndLimitDefaults(m, 500);
  SetMapAdditionalDefaults(m);
  SetMapBaroDefaults(m);
  SetMapBoostLoadDefaults(m);
  SetMapMainDefaults(m);
  SetMapBattCompDefaults(m);
  m.Source = 1;
  m.MapName.Set(("Bank " + std::to_string(bank)).c_str());
  m.IgnitionTable[3 + bank][4] = static_cast<int16_t>(10 + bank);
  const ecu::MapImage encoded = ecu::EncodeMapImage(m);
  Bytes image(encoded.begin(), encoded.end());
  image[3640] = 120;  // idle-up speed 1,200 rpm
  image[3969] = static_cast<std::uint8_t>(options);
  // The main load axis in its form, and the five 5-site axes.
  for (int i = 0; i < 16; ++i) PutBE16(image, 3970 + static_cast<size_t>(i) * 2, (options & 1) ? 10 * (20 + 10 * i) : 6 * i);
  for (size_t axis = 0; axis < 5; ++axis)
    for (int i = 0; i < 5; ++i) {
      const int value = 25 * i + static_cast<int>(axis) + bank;
      PutBE16(image, 4002 + axis * 10 + static_cast<size_t>(i) * 2, (options & 0x3E) != 0 ? 10 * value : value);
    }
  return image;
}

class MainMaps : public MainWindowLink {
 protected:
  MainMaps() : MainWindowLink(51) {}

  void Prepare(Ecu& e) override {
    const int options[3] = {0x00, 0x3F, 0x12};
    for (int b = 1; b <= 3; ++b) {
      banks_[b - 1] = EcuBank(b, options[b - 1]);
      std::copy(banks_[b - 1].begin(), banks_[b - 1].end(), e.Bank(b).begin());
    }
  }

  // Runs the transfer window as a tuner does: all maps (or the current one), OK, wait
  // for the end, OK again to close.
  void AnswerTransfer(bool allMaps) {
    script.AnswerForm([this, allMaps](TForm&) {
      TCommsProgress& w = *CommsProgress;
      if (w.ComboBox1->Enabled()) {
        w.ComboBox1->SetItemIndex(allMaps ? 1 : 0);
        w.ComboBox1Change(w.ComboBox1);
      }
      w.ok->Click();
      finished = PumpUntil([&] { return w.Tag == 0; }, 60000);
      caption = w.Caption();
      w.ok->Click();
    });
  }

  TMenuItem* Menu(const char* name) { return dynamic_cast<TMenuItem*>(f_->FindComponent(name)); }

  Bytes banks_[3];
  bool finished = false;
  AnsiString caption;
};

TEST_F(MainMaps, ReadThenProgramLeavesEveryBankAsItWas) {
  ASSERT_TRUE(LinkUp());
  AnswerTransfer(true);
  ui::SimulateKey(f_, "Ctrl+R");
  Application->ProcessMessages();
  ASSERT_TRUE(finished);
  EXPECT_EQ(caption, kReadComplete);
  for (int b = 1; b <= 3; ++b) {
    EXPECT_EQ(MapSlots[b].IdleUpSpeed, 120) << "bank " << b;
    EXPECT_EQ(MapSlots[b].MapName.Get().substr(0, 6), "Bank " + IntToStr(b));
  }
  // The image's fourth 5-site axis (4032) is the record's third site column.
  EXPECT_EQ(MapSlots[1].AddThrottleSites[2][0], 3 + 1);
  EXPECT_EQ(MapSlots[2].AddMAPSites[2][4], 100 + 3 + 2);
  // The fifth 5-site axis (4042) is the record's fifth site column, in the form its bit 4
  // chooses: throttle for bank 1, MAP for banks 2 and 3.
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(MapSlots[1].AddThrottleSites[4][i], 25 * i + 4 + 1) << i;
    EXPECT_EQ(MapSlots[2].AddMAPSites[4][i], 25 * i + 4 + 2) << i;
    EXPECT_EQ(MapSlots[3].AddMAPSites[4][i], 25 * i + 4 + 3) << i;
  }

  // Showing each map ten times, as switching between them does, changes no record byte.
  // The tuner switches while the ECU is silent; with the link up the ECU's bank is shown.
  const TMapSlots read = MapSlots;
  sim.SetStreaming(false);
  ASSERT_TRUE(PumpUntil([] { return !ECUConnected; }));
  for (int round = 0; round < 10; ++round) {
    for (int n = 1; n <= 3; ++n) {
      script.AnswerForm([n](TForm&) {
        SelectMapForm->SelectedMap->SetItemIndex(n - 1);
        SelectMapForm->OKBtn->Click();
      });
      Menu("SelectMAP1")->Click();
      Application->ProcessMessages();
      ASSERT_EQ(CurrentMap, n);
      f_->RefreshMapTables();
    }
  }
  for (int n = 1; n <= 3; ++n)
    EXPECT_EQ(std::memcmp(MapSlots[n].Bytes(), read[n].Bytes(), sizeof(TMapRecord)), 0) << "map " << n;
  EXPECT_EQ(f_->Idleuprpm->Value(), 1200);
  sim.SetStreaming(true);
  ASSERT_TRUE(LinkUp());

  finished = false;
  AnswerTransfer(true);
  ui::SimulateKey(f_, "Ctrl+P");
  Application->ProcessMessages();
  ASSERT_TRUE(finished);
  EXPECT_EQ(caption, kProgramComplete);
  for (int b = 1; b <= 3; ++b)
    EXPECT_EQ(Differences(sim.BankBytes(b), banks_[b - 1]), std::vector<size_t>{}) << "bank " << b;
}

// The ECU streams on while it is programmed: the same result.
TEST_F(MainMaps, ProgrammingWithTheStreamGoingOnCompletes) {
  sim.SetPauseWhileProgrammed(false);
  ASSERT_TRUE(LinkUp());
  AnswerTransfer(true);
  Menu("ReadECUdata1")->Click();
  Application->ProcessMessages();
  ASSERT_TRUE(finished);
  finished = false;
  AnswerTransfer(false);
  Menu("ProgramECU1")->Click();
  Application->ProcessMessages();
  ASSERT_TRUE(finished);
  EXPECT_EQ(caption, kProgramComplete);
  EXPECT_EQ(Differences(sim.BankBytes(CurrentMap), banks_[CurrentMap - 1]), std::vector<size_t>{});
}

// The line paced at 19,200 baud as a real one: the window says COMPLETE only once every
// bank has reached the ECU, and no sooner than the bytes can pass.
TEST_F(MainMaps, CompleteComesNoEarlierThanTheLineAllows) {
  ASSERT_TRUE(LinkUp());
  AnswerTransfer(true);
  Menu("ReadECUdata1")->Click();
  Application->ProcessMessages();
  ASSERT_TRUE(finished);
  for (int b = 1; b <= 3; ++b) MapSlots[b].IgnitionTable[1][1] = static_cast<int16_t>(20 + b);

  sim.SetPacedBaud(19200);
  finished = false;
  std::vector<Bytes> atComplete;
  const auto start = std::chrono::steady_clock::now();
  script.AnswerForm([&](TForm&) {
    TCommsProgress& w = *CommsProgress;
    w.ComboBox1->SetItemIndex(1);
    w.ComboBox1Change(w.ComboBox1);
    w.ok->Click();  // programs all three banks before it returns
    caption = w.Caption();
    for (int b = 1; b <= 3; ++b) atComplete.push_back(sim.BankBytes(b));
    finished = true;
    w.ok->Click();
  });
  Menu("ProgramECU1")->Click();
  Application->ProcessMessages();
  const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  ASSERT_TRUE(finished);
  EXPECT_EQ(caption, kProgramComplete);
  // Three times the command, the image and the time stamp, ten bits a byte.
  EXPECT_GE(seconds, 3 * (4 + 6144 + 11) * 10 / 19200.0);
  for (int b = 1; b <= 3; ++b) {
    const ecu::MapImage image = ecu::EncodeMapImage(MapSlots[b]);
    EXPECT_EQ(Differences(atComplete[static_cast<size_t>(b - 1)], Bytes(image.begin(), image.end())),
              std::vector<size_t>{})
        << "bank " << b;
  }
}

// The adapter is pulled out while bank 2 goes over: the window reports failure and names
// the maps that were not written; the ECU's banks 2 and 3 are as they were.
TEST_F(MainMaps, HangUpDuringProgrammingNamesTheMapsNotWritten) {
  ASSERT_TRUE(LinkUp());
  AnswerTransfer(true);
  Menu("ReadECUdata1")->Click();
  Application->ProcessMessages();
  ASSERT_TRUE(finished);
  for (int b = 1; b <= 3; ++b) MapSlots[b].IgnitionTable[1][1] = static_cast<int16_t>(30 + b);

  sim.SetPacedBaud(19200);
  std::thread unplug([this] {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (sim.FramesReceived('*') < 2 && std::chrono::steady_clock::now() < deadline)
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    sim.Stop();
  });
  finished = false;
  script.AnswerForm([&](TForm&) {
    TCommsProgress& w = *CommsProgress;
    w.ComboBox1->SetItemIndex(1);
    w.ComboBox1Change(w.ComboBox1);
    w.ok->Click();
    caption = w.Caption();
    finished = true;
    w.ok->Click();
  });
  script.Answer(mrOk);  // the failure message
  Menu("ProgramECU1")->Click();
  Application->ProcessMessages();
  unplug.join();
  ASSERT_TRUE(finished);
  EXPECT_EQ(caption, kProgramFailed);
  EXPECT_EQ(script.Last().Text, AnsiString(kProgramLineLost) + "map 2, map 3\rCheck the connection and program them again.");
  EXPECT_EQ(Differences(sim.BankBytes(2), banks_[1]), std::vector<size_t>{});
  EXPECT_EQ(Differences(sim.BankBytes(3), banks_[2]), std::vector<size_t>{});
  // Bank 1 was written: its first ignition cell (speed and load site 0) holds 31 degrees.
  EXPECT_EQ(sim.BankBytes(1)[288], static_cast<std::uint8_t>(2 * 31 + 120));
}

// The slots as the ECU's banks would make them: each encoded record against the bank, byte
// for byte.
std::vector<size_t> SlotAgainstBank(int slot, const Bytes& bank) {
  const ecu::MapImage image = ecu::EncodeMapImage(MapSlots[slot]);
  return Differences(Bytes(image.begin(), image.end()), bank);
}

// Slots that hold none of the ECU's banks, so that only a read can fill them.
void MarkSlotsStale() {
  for (int b = 1; b <= 3; ++b) {
    MapSlots[b].MapName.Set("stale");
    MapSlots[b].IgnitionTable[0][0] = 99;
  }
}

// "Read MAP" at line pace, Cancel in the middle of a bank, and at once "Read MAP" again:
// the ECU finishes the cancelled bank, none of its rest reaches the new read, and every PC
// slot then holds exactly the ECU's bank.
TEST_F(MainMaps, ReadAgainAfterCancelHoldsExactlyTheEcuBanks) {
  ASSERT_TRUE(LinkUp());
  sim.SetPacedBaud(19200);
  struct Case {
    const char* what;
    int bank;       // cancelled while this bank comes in
    int32_t bytes;  // of it received
  } cases[] = {{"cancelled in bank 1", 1, 3000}, {"cancelled in bank 3", 3, 800}};
  for (const Case& c : cases) {
    MarkSlotsStale();
    const int32_t dropped = MapChunksDropped;
    bool cancelled = false;
    script.AnswerForm([&](TForm&) {
      TCommsProgress& w = *CommsProgress;
      w.ComboBox1->SetItemIndex(1);
      w.ComboBox1Change(w.ComboBox1);
      w.ok->Click();
      cancelled = PumpUntil([&] { return MapReadNumber == c.bank && MapReadByteCount >= c.bytes; }, 30000);
      w.cancel->Click();
    });
    Menu("ReadECUdata1")->Click();
    ASSERT_TRUE(cancelled) << c.what;

    finished = false;
    AnswerTransfer(true);
    Menu("ReadECUdata1")->Click();
    ASSERT_TRUE(finished) << c.what;
    EXPECT_EQ(caption, kReadComplete) << c.what;
    EXPECT_GT(MapChunksDropped, dropped) << c.what << ": the cancelled bank's rest came and was dropped";
    for (int b = 1; b <= 3; ++b) {
      EXPECT_EQ(SlotAgainstBank(b, sim.BankBytes(b)), std::vector<size_t>{}) << c.what << ", map " << b;
      EXPECT_EQ(MapSlots[b].MapName.Get().substr(0, 6), "Bank " + IntToStr(b)) << c.what;
    }
  }
}

// "Read MAP" at line pace for all maps, Cancel a second or so into bank 1, then at once
// "Program MAP" (Ctrl+P), and again with a configuration upload from the editor: the ECU
// finishes the cancelled bank, and no byte of the program or the upload reaches it before
// that bank's last byte has left; the bank and the configuration it then holds are exact.
TEST_F(MainMaps, ProgrammingAndAConfigurationUploadWaitForACancelledBank) {
  ASSERT_TRUE(LinkUp());
  sim.SetPacedBaud(19200);
  CurrentMap = 1;
  ecu::MapImage ecuBank{};
  std::copy(banks_[0].begin(), banks_[0].end(), ecuBank.begin());
  ecu::DecodeMapImage(ecuBank, MapSlots[1]);
  MapSlots[1].IgnitionTable[2][2] = 17;
  const ecu::MapImage encoded = ecu::EncodeMapImage(MapSlots[1]);
  const Bytes programmed(encoded.begin(), encoded.end());
  ASSERT_NE(Differences(programmed, banks_[0]), std::vector<size_t>{});

  // Ctrl+R, all maps, OK, and Cancel once bank 1 is well under way: its rest still comes.
  auto readAndCancel = [&] {
    bool cancelled = false;
    script.AnswerForm([&](TForm&) {
      TCommsProgress& w = *CommsProgress;
      w.ComboBox1->SetItemIndex(1);
      w.ComboBox1Change(w.ComboBox1);
      w.ok->Click();
      cancelled = PumpUntil([&] { return MapReadNumber == 1 && MapReadByteCount >= 2000; }, 30000);
      w.cancel->Click();
    });
    ui::SimulateKey(f_, "Ctrl+R");
    Application->ProcessMessages();
    return cancelled && sim.With([](Ecu& e) { return e.SendingBank(); });
  };
  auto whileBankSent = [&](char letter) {
    return sim.With([letter](Ecu& e) { return e.GetCounters().framesWhileBankSent[static_cast<unsigned char>(letter)]; });
  };

  ASSERT_TRUE(readAndCancel());
  AnswerTransfer(false);
  ui::SimulateKey(f_, "Ctrl+P");
  Application->ProcessMessages();
  ASSERT_TRUE(finished);
  EXPECT_EQ(caption, kProgramComplete);
  EXPECT_EQ(whileBankSent('*'), 0u);
  EXPECT_EQ(whileBankSent('S'), 0u);  // the time stamp
  EXPECT_EQ(sim.With([](Ecu& e) { return e.GetCounters().imageBytesWhileBankSent; }), 0u);
  EXPECT_EQ(Differences(sim.BankBytes(1), programmed), std::vector<size_t>{});

  ASSERT_TRUE(readAndCancel());
  bool uploaded = false;
  script.AnswerForm([&](TForm&) {
    SetupForm->CylindersSpin->SetValue(6);
    script.Answer(mrOk);  // "Change of ECU configuration"
    dynamic_cast<TMenuItem*>(SetupForm->FindComponent("UpdateECUconfiguration1"))->Click();
    uploaded = PumpUntil([] { return SetupForm->StatusText() == "Current ECU settings displayed"; }, 20000);
    dynamic_cast<TMenuItem*>(SetupForm->FindComponent("Exittomappingsoftware1"))->Click();
  });
  Menu("ECUversioninfo1")->Click();
  Application->ProcessMessages();
  EXPECT_TRUE(uploaded);
  EXPECT_EQ(whileBankSent('i'), 0u);
  EXPECT_EQ(sim.ConfigImage()[1], 6);
  const config::ConfigImage sent = config::EncodeConfigImage(ConfigBlock);
  EXPECT_EQ(Differences(sim.ConfigImage(), Bytes(sent.begin(), sent.end())), std::vector<size_t>{});
}

// The line drops while bank 2 comes in: no more chunks, so the read fails after a few
// seconds and says so; bank 1 was whole and is in its slot, maps 2 and 3 are as they were.
TEST_F(MainMaps, ReadThatStopsShortFailsAndLeavesTheSlots) {
  ASSERT_TRUE(LinkUp());
  sim.SetPacedBaud(19200);
  MarkSlotsStale();
  const auto before = std::make_unique<TMapSlots>(MapSlots);
  std::thread unplug([this] {
    // Bank 1's chunks and a few seconds' worth of bank 2's, then the adapter is pulled out.
    // The line shares its 1,920 bytes a second with live data, so a bank takes five seconds
    // or more: two and a half bring some of bank 2 even on a busy machine, never all of it.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (sim.GetCounters().packets[8] <= 25 && std::chrono::steady_clock::now() < deadline)
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    std::this_thread::sleep_for(std::chrono::milliseconds(2500));
    sim.Stop();
  });
  script.AnswerForm([this](TForm&) {
    TCommsProgress& w = *CommsProgress;
    w.ComboBox1->SetItemIndex(1);
    w.ComboBox1Change(w.ComboBox1);
    w.ok->Click();
    finished = PumpUntil([&] { return w.Tag == 0; }, 30000);
    caption = w.Caption();
    w.ok->Click();
  });
  script.Answer(mrOk);  // the failure message
  Menu("ReadECUdata1")->Click();
  unplug.join();
  ASSERT_TRUE(finished);
  EXPECT_EQ(caption, kReadFailed);
  EXPECT_EQ(script.Last().Text, AnsiString(kReadIncomplete) +
                                    "map 2, map 3\rCheck the connection and read the maps again.");
  EXPECT_GT(MapChunksReceived, 25);  // some of bank 2 came
  EXPECT_EQ(SlotAgainstBank(1, banks_[0]), std::vector<size_t>{});
  for (int b = 2; b <= 3; ++b)
    EXPECT_EQ(std::memcmp(MapSlots[b].Bytes(), (*before)[b].Bytes(), sizeof(TMapRecord)), 0) << "map " << b;
}

}  // namespace
}  // namespace e2e

// Map transfers through the program's own serial stack and the map-transfer window,
// against the simulated ECU: reading banks into the PC slots, programming a slot and
// reading it back, and a link lost while programming.
#include <memory>

#include "model/MapRecord.h"
#include "app/Windows.h"
#include "e2e/BankImages.h"
#include "e2e/EcuLink.h"
#include "model/Frames.h"
#include "model/MapImage.h"
#include "ecu/Progress.h"
#include "platform/stdctrls/Buttons.h"
#include "platform/stdctrls/StdCtrls.h"
#include "platform/ui/Application.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/UiStreaming.h"

namespace e2e {
namespace {

using e2etest::Differences;

// The main window's part for the map-transfer window.
class TransferHost : public LinkHost {
 public:
  bool MapTransferShown() override { return CommsProgress->TransferShown(); }
  void MapProgressAdd(int bytes) override { CommsProgress->ProgressAdd(bytes); }
  void ImportMap(int bank, const ecu::MapImage& image) override { CommsProgress->ImportMap(bank, image); }
  void MapReadNext(int bank) override { CommsProgress->ReadNext(bank); }
  void MapReadComplete() override { CommsProgress->ReadComplete(); }
};

// A map with the program's defaults, named and marked by `mark` in one ignition cell.
std::unique_ptr<TMapRecord> MarkedMap(const char* name, int mark) {
  auto m = std::make_unique<TMapRecord>();
  m->Clear();
  SetMapSpeedSiteAndLimitDefaults(*m, 500);
  SetMapAdditionalDefaults(*m);
  SetMapBaroDefaults(*m);
  SetMapBoostLoadDefaults(*m);
  SetMapMainDefaults(*m);
  SetMapBattCompDefaults(*m);
  m->Source = 1;
  m->MapName.Set(name);
  m->IgnitionTable[3][4] = static_cast<int16_t>(10 + mark);
  return m;
}

std::vector<std::uint8_t> ImageOf(const TMapRecord& m) {
  const ecu::MapImage image = ecu::EncodeMapImage(m);
  return {image.begin(), image.end()};
}

class MapTransfer : public EcuLink {
 protected:
  explicit MapTransfer(int com) : EcuLink(com) {}

  static void SetUpTestSuite() {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    Application->Initialize();
    RegisterProgramWindows();
  }

  void SetUp() override {
    saved_ = std::make_unique<TMapSlots>(MapSlots);
    savedCurrent_ = CurrentMap;
    EcuLink::SetUp();
    transfer.comms = comms;
    transfer.watchdog = host.watchdog;
    SLIPpkt->SetOnStringPacket([this](TObject*, const AnsiString& body) { packets.HandlePacket(body); });
    CommsProgress = ui::CreateForm<TCommsProgress>(nullptr);
    ASSERT_TRUE(PumpUntil([] { return ECUConnected; }));
  }

  void TearDown() override {
    EcuLink::TearDown();
    delete CommsProgress;
    CommsProgress = nullptr;
    MapSlots = *saved_;
    CurrentMap = savedCurrent_;
    MapReadNumber = MapReadRemaining = 0;
    ecu::ClearMapReadCollector();
    Application->ProcessMessages();
  }

  // Runs the window as the tuner would: choose, OK, wait for the end, OK again.
  void RunTransfer(bool allMaps) {
    script.AnswerForm([this, allMaps](TForm&) {
      TCommsProgress& w = *CommsProgress;
      if (w.ComboBox1->Enabled()) {
        w.ComboBox1->SetItemIndex(allMaps ? 1 : 0);
        w.ComboBox1Change(nullptr);
      }
      w.okClick(nullptr);
      finished = PumpUntil([&] { return w.Tag == 0; }, 60000);
      caption = w.Caption();
      progressTexts.push_back(w.Label1->Caption());
      w.okClick(nullptr);
    });
  }

  ui::DialogScript script;
  TransferHost transfer;
  ecu::PacketHandler packets{transfer, units};
  bool finished = false;
  AnsiString caption;
  std::vector<AnsiString> progressTexts;

 private:
  std::unique_ptr<TMapSlots> saved_;
  int32_t savedCurrent_ = 1;
};

// Every test its own port number: CTest may run them side by side.
template <int Com>
class MapTransferOn : public MapTransfer {
 protected:
  MapTransferOn() : MapTransfer(Com) {}
};
using MapRead = MapTransferOn<233>;
using MapProgram = MapTransferOn<236>;
using MapProgramLinkLost = MapTransferOn<237>;
using MapReadRefused = MapTransferOn<238>;

TEST_F(MapRead, ReadsAllThreeBanksIntoThePcSlots) {
  std::vector<std::vector<std::uint8_t>> banks;
  for (int bank = 1; bank <= 3; ++bank) {
    banks.push_back(ImageOf(*MarkedMap(("Bank " + std::to_string(bank)).c_str(), bank)));
    sim.With([&](ecusim::Ecu& e) { std::copy(banks.back().begin(), banks.back().end(), e.Bank(bank).begin()); });
    MapSlots[bank].Clear();
  }
  RunTransfer(true);
  ReadMapsFromEcu(transfer, *comms);
  ASSERT_TRUE(finished);
  EXPECT_EQ(caption, kReadComplete);
  EXPECT_EQ(progressTexts.back(), "Progress, map 3 of 3");
  for (int bank = 1; bank <= 3; ++bank) {
    EXPECT_EQ(MapSlots[bank].Source, 2) << bank;
    EXPECT_EQ(Differences(ImageOf(MapSlots[bank]), banks[static_cast<size_t>(bank - 1)]), std::vector<size_t>{}) << bank;
  }
  EXPECT_EQ(sim.FramesReceived('D'), 3u);
  EXPECT_FALSE(CommsProgress->Visible());
}

TEST_F(MapProgram, ProgramsAChangedMapAndReadsItBackIdentical) {
  CurrentMap = 2;
  MapSlots[2] = *MarkedMap("C:\\maps\\changed.map", 33);
  MapSlots[2].Comments.Set(AnsiString(300, 'c'));  // longer than the text block holds
  const std::vector<std::uint8_t> programmed = ImageOf(MapSlots[2]);
  ASSERT_EQ(programmed.size(), ecu::kMapImageSize);

  RunTransfer(false);
  ProgramMapsIntoEcu(transfer, *comms);
  ASSERT_TRUE(finished);
  EXPECT_EQ(caption, kProgramComplete);
  ASSERT_TRUE(PumpUntil([&] { return sim.BankBytes(2) == programmed; }));
  EXPECT_EQ(sim.GetCounters().incompleteFrames, 0u);
  EXPECT_GE(sim.FramesReceived('S'), 1u);  // the time stamp

  MapSlots[2].Clear();
  finished = false;
  RunTransfer(false);
  ReadMapsFromEcu(transfer, *comms);
  ASSERT_TRUE(finished);
  EXPECT_EQ(caption, kReadComplete);
  EXPECT_EQ(progressTexts.back(), "Progress, map 2 of 1");
  EXPECT_EQ(Differences(ImageOf(MapSlots[2]), programmed), std::vector<size_t>{});
  EXPECT_EQ(MapSlots[2].Source, 2);
}

// An ECU that takes the bytes but never speaks again.
TEST_F(MapProgramLinkLost, IsReportedNotCompleted) {
  CurrentMap = 1;
  MapSlots[1] = *MarkedMap("lost", 5);
  script.AnswerForm([this](TForm&) {
    sim.SetPowered(false);  // deaf and mute from now on
    CommsProgress->okClick(nullptr);
    caption = CommsProgress->Caption();
    finished = CommsProgress->Tag == 0;
    CommsProgress->okClick(nullptr);
  });
  script.Answer(mrOk);  // the failure message
  ProgramMapsIntoEcu(transfer, *comms);
  EXPECT_TRUE(finished);
  EXPECT_EQ(caption, kProgramFailed);
  EXPECT_EQ(script.Last().Text, kProgramNoAnswer);
  sim.SetPowered(true);
}

TEST_F(MapReadRefused, WhenTheLinkIsDown) {
  sim.SetStreaming(false);
  ASSERT_TRUE(PumpUntil([] { return !ECUConnected; }));
  script.Answer(mrOk);
  ReadMapsFromEcu(transfer, *comms);
  EXPECT_EQ(script.Last().Text, kEcuNotConnected);
  EXPECT_EQ(script.Count(ui::DialogKind::ModalForm), 0);
}

// The line paced at the real 19,200 baud: a whole bank programmed and read back. How
// long it took is recorded, not asserted (bench_map_transfer measures it).
using PacedMapTransfer = MapTransferOn<234>;

TEST_F(PacedMapTransfer, ProgramsAndReadsABankAtLineSpeed) {
  sim.SetPacedBaud(19200);
  CurrentMap = 3;
  MapSlots[3] = *MarkedMap("paced", 7);
  const std::vector<std::uint8_t> programmed = ImageOf(MapSlots[3]);
  const auto start = std::chrono::steady_clock::now();
  RunTransfer(false);
  ProgramMapsIntoEcu(transfer, *comms);
  ASSERT_TRUE(finished);
  EXPECT_EQ(caption, kProgramComplete);
  const auto programmedAt = std::chrono::steady_clock::now();
  MapSlots[3].Clear();
  finished = false;
  RunTransfer(false);
  ReadMapsFromEcu(transfer, *comms);
  ASSERT_TRUE(finished);
  EXPECT_EQ(Differences(ImageOf(MapSlots[3]), programmed), std::vector<size_t>{});
  const auto ms = [](auto d) { return std::chrono::duration_cast<std::chrono::milliseconds>(d).count(); };
  RecordProperty("program_ms", static_cast<int>(ms(programmedAt - start)));
  RecordProperty("read_ms", static_cast<int>(ms(std::chrono::steady_clock::now() - programmedAt)));
}

}  // namespace
}  // namespace e2e

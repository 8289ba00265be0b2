// The map lock through the program's own serial stack against the simulated ECU: lock
// with a PIN and message, reading refused while locked, a wrong PIN, unlock.
#include "controls/AdvMaskEdit.h"
#include "model/MapRecord.h"
#include "app/Windows.h"
#include "e2e/EcuLink.h"
#include "model/Frames.h"
#include "ecu/MapLock.h"
#include "ecu/Progress.h"
#include "platform/stdctrls/Edits.h"
#include "platform/stdctrls/StdCtrls.h"
#include "platform/ui/Application.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/UiStreaming.h"
#include "serial/AdTickTimer.h"

namespace e2e {
namespace {

// The main window's part for the map-lock window: the slow packet's lock bits, the lock
// message, the lost link.
class LockHost : public LinkHost {
 public:
  void SlowLiveReceived() override {
    LinkHost::SlowLiveReceived();
    MapLockForm->UpdateMapLock(static_cast<uint8_t>(LiveSlow.LockBits));
  }
  void LockMessageReceived(const AnsiString& text) override { MapLockForm->ShowLockMessage(text); }
};

class MapLock : public EcuLink {
 protected:
  MapLock() : EcuLink(235) {}

  static void SetUpTestSuite() {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    Application->Initialize();
    RegisterProgramWindows();
  }

  void SetUp() override {
    savedKey_ = ECUIdentity.MapLockKey;
    ECUIdentity.MapLockKey = 0;
    EcuLink::SetUp();
    lockHost.comms = comms;
    lockHost.watchdog = host.watchdog;
    SLIPpkt->SetOnStringPacket([this](TObject*, const AnsiString& body) { packets.HandlePacket(body); });
    MapLockForm = ui::CreateForm<TMapLockForm>(nullptr);
    CommsProgress = ui::CreateForm<TCommsProgress>(nullptr);
    MapLockForm->Attach(lockHost);
    // Connected, the key word from the status packet, and a first lock status.
    ASSERT_TRUE(PumpUntil([&] { return ECUConnected && lockHost.identities > 0 && lockHost.slow > 0; }));
  }

  void TearDown() override {
    EcuLink::TearDown();
    delete MapLockForm;
    MapLockForm = nullptr;
    delete CommsProgress;
    CommsProgress = nullptr;
    ECUIdentity.MapLockKey = savedKey_;
    Application->ProcessMessages();
  }

  AnsiString Status() const { return MapLockForm->maplockstatus->Caption(); }

  // Types `pin` and presses the lock button.
  void Press(const char* pin) {
    MapLockForm->pincode->SetText(pin);
    MapLockForm->lockbuttonClick(nullptr);
  }

  ui::DialogScript script;
  LockHost lockHost;
  ecu::PacketHandler packets{lockHost, units};

 private:
  uint16_t savedKey_ = 0;
};

TEST_F(MapLock, LockRefuseReadWrongCodeThenUnlock) {
  EXPECT_EQ(ECUIdentity.MapLockKey, 0x5A3C);
  ASSERT_TRUE(PumpUntil([&] { return Status() == "Map UnLocked"; }));

  MapLockForm->LockMessage->SetText("Tuned by the shop");
  Press("1234");
  ASSERT_TRUE(PumpUntil([&] { return ECUMapsLocked && Status() == "Map Locked"; }));
  EXPECT_EQ(MapLockForm->lockbutton->Caption(), "UnLock");
  sim.With([](ecusim::Ecu& e) {
    const auto& lock = e.State().lock;
    EXPECT_TRUE(lock.locked);
    EXPECT_EQ(lock.pin1, 12);
    EXPECT_EQ(lock.pin2, 34);
    EXPECT_EQ(std::string(lock.message.begin(), lock.message.end()), "Tuned by the shop" + std::string(15, ' '));
  });

  // The message comes back on request.
  comms->SendString(ecu::ReplyRequestFrame(ecu::ReplyRequest::LockMessage));
  MapLockForm->LockMessage->SetText("");
  ASSERT_TRUE(PumpUntil([&] { return !MapLockForm->LockMessage->Text().empty(); }));
  EXPECT_EQ(MapLockForm->LockMessage->Text().substr(0, 17), "Tuned by the shop");

  // Reading is refused while locked; no read frame goes out.
  script.Answer(mrOk);
  ReadMapsFromEcu(lockHost, *comms);
  EXPECT_EQ(script.Last().Text, kReadLocked);
  EXPECT_EQ(script.Count(ui::DialogKind::ModalForm), 0);
  EXPECT_EQ(sim.FramesReceived('D'), 0u);

  // A PIN with a blank sends nothing.
  const uint32_t secured = sim.FramesReceived('S');
  Press("12 4");
  WaitTicks(10, true);
  EXPECT_EQ(sim.FramesReceived('S'), secured);

  // A wrong PIN: the ECU reports it and stays locked until it restarts.
  Press("4321");
  ASSERT_TRUE(PumpUntil([&] { return Status() == "Wrong code, reset ECU"; }));
  EXPECT_TRUE(ECUMapsLocked);
  sim.With([](ecusim::Ecu& e) { EXPECT_TRUE(e.State().lock.locked); });

  // The ECU restarts: the wrong-code bit clears, the maps stay locked.
  sim.SetPowered(false);
  ASSERT_TRUE(PumpUntil([] { return !ECUConnected; }));
  MapLockForm->ResetStatus();
  EXPECT_EQ(Status(), "Unknown");
  sim.SetPowered(true);
  ASSERT_TRUE(PumpUntil([&] { return ECUConnected && Status() == "Map Locked"; }));

  Press("1234");
  ASSERT_TRUE(PumpUntil([&] { return !ECUMapsLocked && Status() == "Map UnLocked"; }));
  EXPECT_EQ(MapLockForm->lockbutton->Caption(), "Lock");
  sim.With([](ecusim::Ecu& e) { EXPECT_FALSE(e.State().lock.locked); });
}

}  // namespace
}  // namespace e2e

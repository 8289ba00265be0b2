// The raw byte stream of the serial line: chunks of received bytes and ticks of the
// packet timer go to a packet component shaped as the main window shapes its ECU packet
// (DB C0 ... C0, 40-tick timeout) and wired as the main window wires it: each packet to
// the packet handler, a timeout re-arms the packet, a rejected protocol disarms it until
// the port is chosen again. Every input must end without a crash, with the packet armed
// whenever the link is not disabled, and with the buffer kept between packets only while
// its last byte may begin one.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>

#include "model/ChannelFunctions.h"
#include "model/Settings.h"
#include "link/EcuPacket.h"
#include "link/LiveData.h"
#include "link/PacketHandler.h"
#include "serial/AdPacket.h"

namespace {

[[noreturn]] void Fail(const char* what) {
  std::fprintf(stderr, "serial stream: %s\n", what);
  std::abort();
}

class StreamHost : public ecu::PacketHost {
 public:
  explicit StreamHost(TApdDataPacket& packet) : packet_(packet) {}
  void Send(const AnsiString&) override {}
  void ArmLinkWatchdog() override {}
  bool MapTransferShown() override { return true; }
  void ProtocolRejected(const AnsiString&) override {
    // As the main window shuts the link down.
    packet_.SetEnabled(false);
    packet_.Disable();
    rejected = true;
  }
  bool rejected = false;

 private:
  TApdDataPacket& packet_;
};

const TSettingsRecord& Units() {
  static const TSettingsRecord units = [] {
    TSettingsRecord u;
    FillChannelFunctions(u);
    return u;
  }();
  return units;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  if (Size < 1) return 0;
  // The first byte chooses the link state the stream meets.
  ecu::ZeroLiveRawValues();
  ECUConnected = (Data[0] & 1) != 0;
  LoggingActive = (Data[0] & 2) != 0;
  FlashState = (Data[0] >> 2) % 11;
  ecu::ClearMapReadCollector();
  MapReadNumber = 1 + (Data[0] >> 6) % 3;
  MapReadRemaining = 1;
  MapReadActive = true;
  ++Data;
  --Size;
  const size_t streamSize = Size;

  TApdDataPacketManager manager(nullptr);
  TApdDataPacket packet(nullptr);
  manager.Attach(&packet);
  manager.StartListening();
  ecu::ShapeEcuPacket(packet);
  StreamHost host(packet);
  ecu::PacketHandler handler(host, Units());
  packet.SetOnStringPacket([&](TObject*, const AnsiString& body) {
    if (body.size() > streamSize) Fail("a packet longer than the stream");
    handler.HandlePacket(body);
  });
  packet.SetOnTimeout([&](TObject*) { packet.SetEnabled(true); });

  int ticks = 0;  // ticks since the packet timer was armed
  // The rest: an op byte, then for 0x00..0x7F that many received bytes; 0x80..0xFF pass
  // (op & 0x7F) + 1 timer ticks of 55 ms.
  while (Size > 0) {
    const uint8_t op = *Data++;
    --Size;
    if (host.rejected) {
      // The user chooses the port again.
      handler.Resume();
      packet.SetEnabled(true);
      host.rejected = false;
    }
    if (op & 0x80) {
      for (int t = 0; t <= (op & 0x7F); ++t) {
        if (!manager.TimerArmed()) {
          ticks = 0;
          continue;
        }
        if (++ticks >= manager.TimerTicks()) {
          ticks = 0;
          manager.TimerExpired();
        }
      }
    } else {
      const size_t n = std::min<size_t>(op, Size);
      const bool wasArmed = manager.TimerArmed();
      manager.Receive(Data, static_cast<int>(n));
      if (!wasArmed || !manager.TimerArmed()) ticks = 0;
      Data += n;
      Size -= n;
    }
    if (!host.rejected && !packet.Enabled()) Fail("the packet is left disarmed");
    // Outside a packet the buffer is kept only while it ends in the first start byte.
    if (packet.PacketMode() != dpCollecting && manager.BufferCount() > 0 &&
        manager.BufferData()[manager.BufferCount() - 1] != 0xDB)
      Fail("bytes kept that cannot begin a packet");
    if (MapReadChunkCount < 0 || MapReadChunkCount > kMapReadSlots) Fail("map chunk count out of range");
    if (handler.ConfigReplyBuffer().size() > 1024 + ecu::kMaxPacketBody) Fail("configuration reply overgrown");
  }
  manager.Detach(&packet);
  return 0;
}

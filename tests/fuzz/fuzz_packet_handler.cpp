// The packet handler fed arbitrary packet bodies of every type, in any order, from any
// link state. Each body sits in a heap block of exactly its size, so a read past a packet
// is caught; every input must end without a crash and with the collectors in range.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string_view>

#include "model/ChannelFunctions.h"
#include "model/Settings.h"
#include "model/ConfigBlock.h"
#include "link/EcuPacket.h"
#include "link/LiveData.h"
#include "link/PacketHandler.h"

namespace {

class FuzzHost : public ecu::PacketHost {
 public:
  void Send(const AnsiString&) override {}
  void ArmLinkWatchdog() override {}
  std::optional<ecu::SensorView> SensorViewShown() override { return view; }
  bool MapTransferShown() override { return transferShown; }

  std::optional<ecu::SensorView> view;
  bool transferShown = true;
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
  if (Size < 2) return 0;
  // Two bytes choose the state the packets meet: the link, the firmware step, the map
  // read and the temperature calculator.
  const uint8_t a = Data[0], b = Data[1];
  Data += 2;
  Size -= 2;
  ecu::ZeroLiveRawValues();
  ECUConnected = (a & 1) != 0;
  LoggingActive = (a & 2) != 0;
  FlashState = (a >> 2) % 11;
  ecu::ClearMapReadCollector();
  MapReadNumber = b & 3;
  MapReadRemaining = (b >> 2) & 3;
  MapReadActive = (a & 0x40) != 0;
  FuzzHost host;
  host.transferShown = (b & 0x10) != 0;
  if (b & 0x20) host.view = ecu::SensorView{(b >> 6) * 5 - 1, (a & 0x80) != 0};

  ecu::PacketHandler handler(host, Units());
  // The rest: bodies, each after a two-byte length (0..511, so over-long ones come too).
  while (Size >= 2) {
    const size_t len = std::min<size_t>((Data[0] | Data[1] << 8) & 0x1FF, Size - 2);
    Data += 2;
    Size -= 2;
    const std::unique_ptr<char[]> body(new char[len]);
    std::copy(Data, Data + len, body.get());
    handler.HandlePacket(std::string_view(body.get(), len));
    Data += len;
    Size -= len;
    if (MapReadChunkCount < 0 || MapReadChunkCount > kMapReadSlots) __builtin_trap();
    if (handler.ConfigReplyBuffer().size() > 1024 + ecu::kMaxPacketBody) __builtin_trap();
  }
  return 0;
}

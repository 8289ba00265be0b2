// The map-read path fed arbitrary sequences of map data chunks: the packet handler joins
// them, and the transfer window's import decodes a whole bank into a PC slot. Every chunk
// sits in a heap block of exactly its size, so a read past it is caught; the slot must
// stay untouched unless a whole bank of 6,144 bytes arrived.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "model/ChannelFunctions.h"
#include "model/MapRecord.h"
#include "model/Settings.h"
#include "link/LiveData.h"
#include "model/MapImage.h"
#include "link/PacketHandler.h"

namespace {

class ReadHost : public ecu::PacketHost {
 public:
  void Send(const AnsiString&) override {}
  void ArmLinkWatchdog() override {}
  bool MapTransferShown() override { return true; }
  void MapProgressAdd(int bytes) override { progress += bytes; }
  void ImportMap(int bank, const ecu::MapImage& image) override {
    if (bank < 1 || bank > 3) std::abort();
    ecu::DecodeMapImage(image, slots[bank - 1]);
    ++imports[bank - 1];
  }
  void MapReadNext(int) override { progress = 0; }

  TMapRecord slots[3];
  int imports[3] = {};
  long progress = 0;
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
  // The first byte chooses the bank read first and how many follow.
  MapReadNumber = 1 + Data[0] % 3;
  MapReadRemaining = 1 + (Data[0] >> 2) % 3;
  MapReadActive = true;
  ++Data;
  --Size;
  ecu::ClearMapReadCollector();
  auto host = std::make_unique<ReadHost>();
  for (TMapRecord& slot : host->slots) slot.Clear();
  const auto blank = std::make_unique<TMapRecord>();
  blank->Clear();
  ecu::PacketHandler handler(*host, Units());

  // The rest: chunks, each a length byte then that many bytes of packet body after the
  // type byte (sub-code, stuffed data, trailer).
  while (Size > 0) {
    const size_t length = std::min<size_t>(Data[0], Size - 1);
    ++Data;
    --Size;
    std::vector<char> body(length + 1);
    body[0] = 8;
    std::memcpy(body.data() + 1, Data, length);
    const auto exact = std::make_unique<char[]>(body.size());
    std::memcpy(exact.get(), body.data(), body.size());
    handler.HandlePacket(std::string_view(exact.get(), body.size()));
    Data += length;
    Size -= length;
    if (MapReadChunkCount < 0 || MapReadChunkCount > kMapReadSlots) std::abort();
    if (MapReadByteCount < 0 || MapReadByteCount > kMapReadSlots * 255) std::abort();
  }
  for (int i = 0; i < 3; ++i)
    if (host->imports[i] == 0 && std::memcmp(&host->slots[i], blank.get(), sizeof(TMapRecord)) != 0) std::abort();
  return 0;
}

#include "files/HKStreamRoutines.h"
#include <vector>
#include "files/Lh5Codec.h"

namespace {

// Container bodies are maps, configurations and firmware images of at most a few MiB. A
// damaged count beyond this would otherwise let a few bytes of input claim gigabytes.
constexpr uint32_t kMaxPlainSize = 64u << 20;

std::vector<uint8_t> ReadRest(TStream* Source) {
  int64_t rest = Source->Size() - Source->Position();
  std::vector<uint8_t> bytes(static_cast<size_t>(rest > 0 ? rest : 0));
  if (!bytes.empty()) Source->ReadBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
  return bytes;
}

}  // namespace

void CompressStream(TStream* Source, TStream* Dest) {
  std::vector<uint8_t> plain = ReadRest(Source);
  // A larger body could not be read back.
  if (plain.size() > kMaxPlainSize) throw EWriteError("Stream too large to compress");
  const uint32_t count = static_cast<uint32_t>(plain.size());
  const uint8_t head[4] = {static_cast<uint8_t>(count), static_cast<uint8_t>(count >> 8),
                           static_cast<uint8_t>(count >> 16), static_cast<uint8_t>(count >> 24)};
  std::vector<uint8_t> bits = lh5::Encode(plain.data(), plain.size());
  Dest->WriteBuffer(head, 4);
  if (!bits.empty()) Dest->WriteBuffer(bits.data(), static_cast<int64_t>(bits.size()));
}

void DecompressStream(TStream* Source, TStream* Dest) {
  std::vector<uint8_t> packed = ReadRest(Source);
  if (packed.size() < 4) throw ECorruptFile(lh5::kCorruptMessage);
  const uint32_t count = static_cast<uint32_t>(packed[0]) | static_cast<uint32_t>(packed[1]) << 8 |
                         static_cast<uint32_t>(packed[2]) << 16 | static_cast<uint32_t>(packed[3]) << 24;
  if (count > kMaxPlainSize) throw ECorruptFile(lh5::kCorruptMessage);
  std::vector<uint8_t> plain = lh5::Decode(packed.data() + 4, packed.size() - 4, count);
  if (!plain.empty()) Dest->WriteBuffer(plain.data(), static_cast<int64_t>(plain.size()));
}

#include "files/HKStreamRoutines.h"
#include <algorithm>
#include <vector>
#include "files/Lh5Codec.h"

namespace {

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

std::vector<uint8_t> DecompressBytes(const uint8_t* Data, size_t Size, size_t MaxPlainSize) {
  if (Size < 4) throw ECorruptFile(lh5::kCorruptMessage);
  const uint32_t count = static_cast<uint32_t>(Data[0]) | static_cast<uint32_t>(Data[1]) << 8 |
                         static_cast<uint32_t>(Data[2]) << 16 | static_cast<uint32_t>(Data[3]) << 24;
  // A few bytes of input can declare gigabytes; such a count is refused before decoding.
  if (count > std::min(MaxPlainSize, kMaxPlainSize)) throw ECorruptFile(lh5::kCorruptMessage);
  return lh5::Decode(Data + 4, Size - 4, count);
}

void DecompressStream(TStream* Source, TStream* Dest, size_t MaxPlainSize) {
  const std::vector<uint8_t> packed = ReadRest(Source);
  const std::vector<uint8_t> plain = DecompressBytes(packed.data(), packed.size(), MaxPlainSize);
  if (!plain.empty()) Dest->WriteBuffer(plain.data(), static_cast<int64_t>(plain.size()));
}

// The lh5 bit-stream decoder on any input, and the encoder against it. Input: two bytes
// (little-endian) of the size to decode, then the bit stream. Damage must raise
// ECorruptFile; whatever is encoded must decode to itself. The encoder searches hard
// for short codes and is far slower than the decoder, so only one input in eight is
// also encoded, to leave the decoder most of the time.
#include <cstddef>
#include <cstdint>
#include <vector>
#include "files/CorruptFile.h"
#include "files/Lh5Codec.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  if (Size < 2) return 0;
  const size_t outSize = static_cast<size_t>(Data[0]) | static_cast<size_t>(Data[1]) << 8;
  try {
    const std::vector<uint8_t> out = lh5::Decode(Data + 2, Size - 2, outSize);
    if (out.size() != outSize) __builtin_trap();
  } catch (const ECorruptFile&) {
  }

  if ((Data[0] & 7) != 0) return 0;
  const std::vector<uint8_t> packed = lh5::Encode(Data, Size);
  if (lh5::Decode(packed.data(), packed.size(), Size) != std::vector<uint8_t>(Data, Data + Size)) __builtin_trap();
  return 0;
}

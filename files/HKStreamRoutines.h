#pragma once
// Compression of a container body between two streams: a u32 little-endian count of the
// plain bytes, then their lh5 bit stream.
#include <cstddef>
#include <cstdint>
#include <vector>
#include "files/CorruptFile.h"
#include "platform/classes/Streams.h"

// The largest body compressed or decompressed when the caller names no smaller bound.
inline constexpr size_t kMaxPlainSize = size_t{64} << 20;

// Writes the count of the bytes from Source's position to its end, then those bytes
// compressed. Bodies are limited to 64 MiB (EWriteError above that).
void CompressStream(TStream* Source, TStream* Dest);

// Reads the count at Source's position and decodes the rest of Source until that many
// bytes have been written to Dest. A damaged or cut-short body, or a count above
// MaxPlainSize (checked before anything is decoded), raises ECorruptFile "Compressed file
// is corrupt"; Dest then receives nothing.
void DecompressStream(TStream* Source, TStream* Dest, size_t MaxPlainSize = kMaxPlainSize);

// The same on a compressed body held in memory (count and bit stream): its plain bytes.
std::vector<uint8_t> DecompressBytes(const uint8_t* Data, size_t Size, size_t MaxPlainSize = kMaxPlainSize);

#pragma once
// Compression of a container body between two streams: a u32 little-endian count of the
// plain bytes, then their lh5 bit stream.
#include "files/CorruptFile.h"
#include "platform/classes/Streams.h"

// Writes the count of the bytes from Source's position to its end, then those bytes
// compressed. Bodies are limited to 64 MiB (EWriteError above that).
void CompressStream(TStream* Source, TStream* Dest);

// Reads the count at Source's position and decodes the rest of Source until that many
// bytes have been written to Dest. A damaged or cut-short body, or a count above 64 MiB,
// raises ECorruptFile "Compressed file is corrupt"; Dest then receives nothing.
void DecompressStream(TStream* Source, TStream* Dest);

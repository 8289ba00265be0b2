#pragma once
// The lh5 method of the LHA archive format: LZSS over an 8 KiB dictionary whose literals,
// match lengths and match positions are coded with static Huffman codes sent per block.
// These functions work on the raw bit stream only, without any framing; any lh5 decoder
// reads what Encode writes, and Decode reads what any lh5 encoder writes.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace lh5 {

constexpr int kDictBits = 13;
constexpr int kDictSize = 1 << kDictBits;  // 8,192: distances 1..8192
constexpr int kMaxMatch = 256;
constexpr int kMinMatch = 3;
constexpr int kNC = 256 + kMaxMatch - kMinMatch + 1;  // 510 literal/length codes
constexpr int kNP = kDictBits + 1;                   // 14 position classes
constexpr int kNT = 16 + 3;                          // 19 code-length codes
constexpr int kCBit = 9;
constexpr int kPBit = 4;
constexpr int kTBit = 5;
constexpr int kMaxCodeBits = 16;

// The message of the ECorruptFile raised for a damaged bit stream.
inline constexpr const char* kCorruptMessage = "Compressed file is corrupt";

// What one Encode used besides its input and output.
struct EncoderStats {
  size_t WorkingBytes = 0;  // the encoder's buffers, all of fixed size
};

std::vector<uint8_t> Encode(const uint8_t* Data, size_t Size, EncoderStats* Stats = nullptr);

// Decodes exactly OutSize bytes from Bits. A stream that is damaged (bad code tables, a
// match reaching before the start of the output) or that ends before OutSize bytes are
// produced raises ECorruptFile "Compressed file is corrupt".
std::vector<uint8_t> Decode(const uint8_t* Bits, size_t Size, size_t OutSize);

}  // namespace lh5

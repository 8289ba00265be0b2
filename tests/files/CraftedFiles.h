#pragma once
// Files of a few dozen bytes that claim tens of megabytes: a container whose compressed
// body, once decoded, is a short prefix followed by zero bytes up to a chosen length. The
// bit stream is written here by hand, independently of the program's encoder: one block
// of literals with a four-bit code for each, then blocks of 65,536 longest matches at
// distance 1, which cost no bits at all (a code of a single symbol takes none).
#include <cstdint>
#include <set>
#include <string>
#include <vector>

namespace crafted {

class BitWriter {
 public:
  void Put(uint32_t value, int bits) {
    for (int i = bits - 1; i >= 0; --i) {
      if (count_ % 8 == 0) bytes_.push_back(0);
      if ((value >> i) & 1) bytes_.back() = static_cast<uint8_t>(bytes_.back() | (0x80 >> (count_ % 8)));
      ++count_;
    }
  }
  const std::vector<uint8_t>& Bytes() const { return bytes_; }

 private:
  std::vector<uint8_t> bytes_;
  size_t count_ = 0;
};

// The lengths of the code-length code: symbols 0, 1, 2 and 6 with two bits each (codes
// 00, 01, 10, 11). Symbol 0 is one zero length, 1 a run of 3..18, 2 a run of 20..531,
// 6 the length 4.
inline void PutCodeLengthCode(BitWriter& w) {
  w.Put(7, 5);                       // seven lengths
  for (int i = 0; i < 3; ++i) w.Put(2, 3);
  w.Put(3, 2);                       // then three zero lengths (symbols 3..5)
  w.Put(2, 3);                       // symbol 6
}

inline void PutZeroRun(BitWriter& w, int run) {
  while (run > 0) {
    if (run >= 20) {
      const int n = run > 531 ? 531 : run;
      w.Put(2, 2);
      w.Put(static_cast<uint32_t>(n - 20), 9);
      run -= n;
    } else if (run >= 3) {
      const int n = run > 18 ? 18 : run;
      w.Put(1, 2);
      w.Put(static_cast<uint32_t>(n - 3), 4);
      run -= n;
    } else {
      w.Put(0, 2);
      --run;
    }
  }
}

// The compressed form (u32 count, then the bit stream) of Prefix followed by zero bytes up
// to Total bytes. Prefix may use at most 14 distinct byte values besides 0.
inline std::string CompressedZeros(const std::string& Prefix, uint32_t Total) {
  std::set<int> symbols{0, 509};  // the zero byte, and the longest match (256 bytes)
  for (char c : Prefix) symbols.insert(static_cast<uint8_t>(c));
  // Sixteen four-bit codes fill the code space exactly.
  for (int filler = 1; symbols.size() < 16; ++filler) symbols.insert(filler);

  BitWriter w;
  const uint32_t literals = static_cast<uint32_t>(Prefix.size()) + 1;
  w.Put(literals, 16);
  PutCodeLengthCode(w);
  w.Put(510, 9);
  int next = 0;
  for (int s : symbols) {
    PutZeroRun(w, s - next);
    w.Put(3, 2);  // length 4
    next = s + 1;
  }
  PutZeroRun(w, 510 - next);
  w.Put(0, 4);  // positions: one class, 0 (distance 1)
  w.Put(0, 4);
  auto code = [&](int symbol) {
    int index = 0;
    for (int s : symbols) {
      if (s == symbol) break;
      ++index;
    }
    w.Put(static_cast<uint32_t>(index), 4);
  };
  for (char c : Prefix) code(static_cast<uint8_t>(c));
  code(0);
  // Blocks of 65,536 matches of 256 bytes, each a code that takes no bits.
  for (uint64_t made = literals; made < Total; made += 65536ull * 256) {
    w.Put(0, 16);   // 65,536 codes
    w.Put(0, 5);    // code-length code: none needed
    w.Put(0, 5);
    w.Put(0, 9);    // literal/length code: the one symbol 509
    w.Put(509, 9);
    w.Put(0, 4);    // position code: the one class 0
    w.Put(0, 4);
  }
  std::string out;
  for (int k = 0; k < 4; ++k) out.push_back(static_cast<char>((Total >> (8 * k)) & 0xFF));
  out.append(w.Bytes().begin(), w.Bytes().end());
  return out;
}

inline std::string U16(uint32_t v) { return {static_cast<char>(v & 0xFF), static_cast<char>((v >> 8) & 0xFF)}; }
inline std::string U32(uint32_t v) { return U16(v & 0xFFFF) + U16(v >> 16); }
inline const std::string kMagic("\x01\x02\x03\x04\x05\x06\x07\x08", 8);

// A map file whose body is 60,000,000 bytes of empty items: the count of items, then each
// item a name length 0 and a size 0.
inline std::string EmptyItemsMapFile(uint32_t BodySize = 60'000'000) {
  return "& " + CompressedZeros(kMagic + U32((BodySize - 12) / 6), BodySize);
}

// A configuration file whose "Q5-4" stream holds DataSize zero bytes.
inline std::string HugeConfigFile(uint32_t DataSize = 60'000'000) {
  const std::string head = kMagic + U32(1) + U16(4) + "Q5-4" + U32(DataSize);
  return "& " + CompressedZeros(head, static_cast<uint32_t>(head.size()) + DataSize);
}

// A configuration file with the comments "x" in "Q5-3" and 50,595,078 zero bytes (03 04 05
// 06, digits the prefix already uses) in "Q5-4": read whole, it would show its comments.
inline std::string HugeConfigFileWithComments() {
  const uint32_t size = 0x03040506;
  const std::string head = kMagic + U32(2) + U16(4) + "Q5-3" + U32(1) + "x" + U16(4) + "Q5-4" + U32(size);
  return "& " + CompressedZeros(head, static_cast<uint32_t>(head.size()) + size);
}

}  // namespace crafted

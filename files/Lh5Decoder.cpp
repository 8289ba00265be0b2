// lh5 decoding. Everything read from the stream is checked before it is used as a count,
// a length or an index, so a damaged stream ends in ECorruptFile rather than a crash.
#include <algorithm>
#include <array>
#include <vector>
#include "files/CorruptFile.h"
#include "files/Lh5Codec.h"

namespace lh5 {
namespace {

[[noreturn]] void Corrupt() { throw ECorruptFile(kCorruptMessage); }

// Reads bits most significant first. Look-ahead past the end sees zero bits, which is
// harmless; consuming them means the stream was cut short.
class BitReader {
 public:
  BitReader(const uint8_t* data, size_t size)
      : data_(data), size_(size), total_bits_(static_cast<uint64_t>(size) * 8) {}

  // The next n (1..16) bits, not consumed.
  uint32_t Peek(int n) {
    if (count_ < n) Fill();
    return static_cast<uint32_t>(buf_ >> (64 - n));
  }
  void Skip(int n) {
    if (n == 0) return;
    consumed_ += static_cast<uint64_t>(n);
    if (consumed_ > total_bits_) Corrupt();
    if (count_ < n) Fill();
    buf_ <<= n;
    count_ -= n;
  }
  uint32_t Get(int n) {
    if (n == 0) return 0;
    uint32_t v = Peek(n);
    Skip(n);
    return v;
  }

 private:
  void Fill() {
    while (count_ <= 56) {
      uint64_t byte = pos_ < size_ ? data_[pos_] : 0;
      ++pos_;
      buf_ |= byte << (56 - count_);
      count_ += 8;
    }
  }

  const uint8_t* data_;
  size_t size_;
  size_t pos_ = 0;
  uint64_t buf_ = 0;
  int count_ = 0;
  uint64_t consumed_ = 0;
  uint64_t total_bits_;
};

// A canonical Huffman code: a direct look-up of table_bits for short codes, and a walk
// over the code lengths for the few longer ones.
class HuffmanTable {
 public:
  // A code of a single symbol that takes no bits at all.
  void SetSingle(int symbol) {
    single_ = true;
    single_symbol_ = static_cast<uint16_t>(symbol);
  }

  // Raises ECorruptFile unless the lengths (0..16) fill the code space exactly.
  void Build(const uint8_t* lens, int n, int table_bits) {
    single_ = false;
    table_bits_ = table_bits;
    std::array<uint32_t, kMaxCodeBits + 1> count{};
    for (int s = 0; s < n; ++s) {
      if (lens[s] > kMaxCodeBits) Corrupt();
      if (lens[s]) ++count[lens[s]];
    }
    uint32_t space = 0;
    for (int len = 1; len <= kMaxCodeBits; ++len) space += count[len] << (kMaxCodeBits - len);
    if (space != (1u << kMaxCodeBits)) Corrupt();

    uint32_t code = 0;
    uint32_t offset = 0;
    for (int len = 1; len <= kMaxCodeBits; ++len) {
      first_[len] = code;
      count_[len] = count[len];
      offset_[len] = offset;
      offset += count[len];
      code = (code + count[len]) << 1;
    }
    sorted_.assign(offset, 0);
    entries_.assign(size_t{1} << table_bits, Entry{kLong, 0});
    std::array<uint32_t, kMaxCodeBits + 1> next = first_;
    std::array<uint32_t, kMaxCodeBits + 1> fill = offset_;
    for (int s = 0; s < n; ++s) {
      int len = lens[s];
      if (!len) continue;
      sorted_[fill[len]++] = static_cast<uint16_t>(s);
      uint32_t c = next[len]++;
      if (len <= table_bits) {
        uint32_t from = c << (table_bits - len);
        uint32_t span = 1u << (table_bits - len);
        for (uint32_t k = 0; k < span; ++k)
          entries_[from + k] = Entry{static_cast<uint16_t>(s), static_cast<uint8_t>(len)};
      }
    }
  }

  int Decode(BitReader& in) const {
    if (single_) return single_symbol_;
    const Entry& e = entries_[in.Peek(table_bits_)];
    if (e.symbol != kLong) {
      in.Skip(e.len);
      return e.symbol;
    }
    for (int len = table_bits_ + 1; len <= kMaxCodeBits; ++len) {
      uint32_t c = in.Peek(len);
      if (c >= first_[len] && c - first_[len] < count_[len]) {
        in.Skip(len);
        return sorted_[offset_[len] + (c - first_[len])];
      }
    }
    Corrupt();  // unreachable for a complete code
  }

 private:
  static constexpr uint16_t kLong = 0xFFFF;
  struct Entry {
    uint16_t symbol;
    uint8_t len;
  };
  bool single_ = true;
  uint16_t single_symbol_ = 0;
  int table_bits_ = 8;
  std::vector<Entry> entries_;
  std::array<uint32_t, kMaxCodeBits + 1> first_{};
  std::array<uint32_t, kMaxCodeBits + 1> count_{};
  std::array<uint32_t, kMaxCodeBits + 1> offset_{};
  std::vector<uint16_t> sorted_;
};

class Decoder {
 public:
  Decoder(const uint8_t* bits, size_t size) : in_(bits, size), size_(size) {}

  std::vector<uint8_t> Run(size_t out_size) {
    std::vector<uint8_t> out;
    // A damaged count must not reserve gigabytes up front; the vector grows as needed.
    out.reserve(std::min<size_t>(out_size, size_ * 16 + 4096));
    while (out.size() < out_size) {
      if (block_remaining_ == 0) ReadBlockHeader();
      --block_remaining_;
      int c = c_table_.Decode(in_);
      if (c < 256) {
        out.push_back(static_cast<uint8_t>(c));
        continue;
      }
      size_t length = static_cast<size_t>(c - (256 - kMinMatch));
      size_t distance = ReadPosition() + 1;
      if (distance > out.size()) Corrupt();
      length = std::min(length, out_size - out.size());
      size_t from = out.size() - distance;
      for (size_t k = 0; k < length; ++k) out.push_back(out[from + k]);
    }
    return out;
  }

 private:
  void ReadBlockHeader() {
    // A size of 0 counts as 65,536 codes, as the 16-bit counter of the method wraps.
    block_remaining_ = in_.Get(16);
    if (block_remaining_ == 0) block_remaining_ = 65536;
    ReadPtLengths(kNT, kTBit, 3, t_table_);
    ReadCLengths();
    ReadPtLengths(kNP, kPBit, -1, p_table_);
  }

  // The code-length code (nn = 19) and the position code (nn = 14) share this form:
  // 3-bit lengths, 7 and up written in unary after the first three bits.
  void ReadPtLengths(int nn, int nbit, int special, HuffmanTable& table) {
    std::array<uint8_t, kNT> lens{};
    int n = static_cast<int>(in_.Get(nbit));
    if (n == 0) {
      int c = static_cast<int>(in_.Get(nbit));
      if (c >= nn) Corrupt();
      table.SetSingle(c);
      return;
    }
    if (n > nn) Corrupt();
    int i = 0;
    while (i < n) {
      uint32_t look = in_.Peek(16);
      int len = static_cast<int>(look >> 13);
      if (len == 7) {
        uint32_t mask = 1u << 12;
        while (mask & look) {
          mask >>= 1;
          ++len;
        }
        if (len > kMaxCodeBits) Corrupt();
      }
      in_.Skip(len < 7 ? 3 : len - 3);
      lens[static_cast<size_t>(i++)] = static_cast<uint8_t>(len);
      if (i == special) {
        int zeros = static_cast<int>(in_.Get(2));
        if (i + zeros > nn) Corrupt();
        while (zeros-- > 0) lens[static_cast<size_t>(i++)] = 0;
      }
    }
    table.Build(lens.data(), nn, 8);
  }

  void ReadCLengths() {
    std::array<uint8_t, kNC> lens{};
    int n = static_cast<int>(in_.Get(kCBit));
    if (n == 0) {
      int c = static_cast<int>(in_.Get(kCBit));
      if (c >= kNC) Corrupt();
      c_table_.SetSingle(c);
      return;
    }
    if (n > kNC) Corrupt();
    int i = 0;
    while (i < n) {
      int c = t_table_.Decode(in_);
      if (c <= 2) {
        int zeros = c == 0 ? 1 : c == 1 ? static_cast<int>(in_.Get(4)) + 3
                                        : static_cast<int>(in_.Get(kCBit)) + 20;
        if (i + zeros > kNC) Corrupt();
        while (zeros-- > 0) lens[static_cast<size_t>(i++)] = 0;
      } else {
        lens[static_cast<size_t>(i++)] = static_cast<uint8_t>(c - 2);
      }
    }
    c_table_.Build(lens.data(), kNC, 12);
  }

  size_t ReadPosition() {
    int cls = p_table_.Decode(in_);
    if (cls <= 1) return static_cast<size_t>(cls);
    return (size_t{1} << (cls - 1)) + in_.Get(cls - 1);
  }

  BitReader in_;
  size_t size_;
  uint32_t block_remaining_ = 0;
  HuffmanTable t_table_;
  HuffmanTable c_table_;
  HuffmanTable p_table_;
};

}  // namespace

std::vector<uint8_t> Decode(const uint8_t* Bits, size_t Size, size_t OutSize) {
  if (OutSize == 0) return {};
  return Decoder(Bits, Size).Run(OutSize);
}

}  // namespace lh5

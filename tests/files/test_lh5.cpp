// The lh5 codec against itself, against archives made by an independent LHA archiver
// (data/*.lzh, made once with Debian's jlha: `jlha co5 NAME.lzh FILE`), and against the
// independent extractors lhasa and bsdtar when they are installed.
#include <gtest/gtest.h>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>
#include "files/CorruptFile.h"
#include "files/Lh5Codec.h"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes ReadFileBytes(const std::filesystem::path& p) {
  std::ifstream f(p, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(f), {});
}

// CRC-16 of LHA archives (reflected polynomial 0xA001, start 0).
uint16_t Crc16(const Bytes& d) {
  uint16_t crc = 0;
  for (uint8_t b : d) {
    crc ^= b;
    for (int k = 0; k < 8; ++k) crc = (crc & 1) ? (crc >> 1) ^ 0xA001 : crc >> 1;
  }
  return crc;
}

uint32_t U32(const Bytes& b, size_t at) {
  return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<uint32_t>(b[at + 3]) << 24;
}

// The one member of a level-2 LHA archive: its raw lh5 stream, size and CRC.
struct Member {
  Bytes packed;
  uint32_t original = 0;
  uint16_t crc = 0;
};

Member ReadLevel2Archive(const Bytes& a) {
  Member m;
  size_t header = a[0] | a[1] << 8;
  EXPECT_EQ(std::string(a.begin() + 2, a.begin() + 7), "-lh5-");
  EXPECT_EQ(a[20], 2);
  uint32_t packed = U32(a, 7);
  m.original = U32(a, 11);
  m.crc = static_cast<uint16_t>(a[21] | a[22] << 8);
  m.packed.assign(a.begin() + static_cast<long>(header), a.begin() + static_cast<long>(header + packed));
  return m;
}

// A minimal level-0 archive holding one member stored with our own bit stream.
Bytes MakeLevel0Archive(const std::string& name, const Bytes& original, const Bytes& packed) {
  Bytes h = {0, 0, '-', 'l', 'h', '5', '-'};
  auto put32 = [&](uint32_t v) {
    for (int k = 0; k < 4; ++k) h.push_back(static_cast<uint8_t>(v >> (8 * k)));
  };
  put32(static_cast<uint32_t>(packed.size()));
  put32(static_cast<uint32_t>(original.size()));
  put32(0x00210000);  // 1980-01-01 00:00 as a DOS date and time
  h.push_back(0x20);  // attribute: archive
  h.push_back(0);     // header level
  h.push_back(static_cast<uint8_t>(name.size()));
  h.insert(h.end(), name.begin(), name.end());
  uint16_t crc = Crc16(original);
  h.push_back(static_cast<uint8_t>(crc));
  h.push_back(static_cast<uint8_t>(crc >> 8));
  h[0] = static_cast<uint8_t>(h.size() - 2);
  uint8_t sum = 0;
  for (size_t i = 2; i < h.size(); ++i) sum = static_cast<uint8_t>(sum + h[i]);
  h[1] = sum;
  h.insert(h.end(), packed.begin(), packed.end());
  h.push_back(0);  // end of archive
  return h;
}

// Bodies of the kinds the container holds, plus the shapes that stress the coder.
Bytes MapLike(size_t n) {
  Bytes d(n);
  for (size_t i = 0; i < n; ++i) {
    size_t cell = i / 2, row = cell / 16, col = cell % 16;
    uint32_t v = static_cast<uint32_t>(900 + 37 * row + 11 * col + (i / 512) * 3);
    d[i] = static_cast<uint8_t>(i % 2 ? v >> 8 : v);
    if ((i / 1024) % 5 == 4) d[i] = 0;
  }
  return d;
}

Bytes Noise(size_t n, unsigned seed) {
  std::mt19937 rng(seed);
  Bytes d(n);
  for (auto& b : d) b = static_cast<uint8_t>(rng());
  return d;
}

Bytes Decode(const Bytes& bits, size_t size) { return lh5::Decode(bits.data(), bits.size(), size); }
Bytes Encode(const Bytes& data) { return lh5::Encode(data.data(), data.size()); }

struct Sample {
  const char* name;
  Bytes data;
};

std::vector<Sample> Samples() {
  Bytes all_bytes(256 * 3);
  for (size_t i = 0; i < all_bytes.size(); ++i) all_bytes[i] = static_cast<uint8_t>(i * 7);
  Bytes runs;
  for (int r = 0; r < 400; ++r) runs.insert(runs.end(), static_cast<size_t>(1 + r * 37 % 700), static_cast<uint8_t>(r));
  // A long match that starts two bytes before the encoder's first parse segment ends.
  Bytes edge = Noise(65'533, 2);
  edge.insert(edge.end(), 300, 0);
  const Bytes tail = Noise(1000, 3);
  edge.insert(edge.end(), tail.begin(), tail.end());
  // Two byte values in no order: every position has hundreds of earlier ones that begin the
  // same, none going on for long, so the match search gives up before the chain ends.
  Bytes two_values = Noise(200'000, 4);
  for (auto& b : two_values) b &= 1;
  return {
      {"one_byte", Bytes{0x41}},  // one-symbol literal/length and position codes
      {"two_bytes", Bytes{0x41, 0x41}},
      {"short_repeat", Bytes{'a', 'b', 'c', 'a', 'b', 'c', 'a', 'b', 'c', 'a'}},
      {"all_byte_values", all_bytes},
      {"zeros", Bytes(600'000, 0)},  // matches of one distance: a one-symbol position code
      {"noise", Noise(100'000, 1)},
      {"runs", runs},
      {"map_like", MapLike(25'728 * 3)},
      {"segment_edge", edge},
      {"two_values", two_values},
  };
}

TEST(Lh5Codec, RoundTripsEveryShape) {
  for (const Sample& s : Samples()) {
    Bytes packed = Encode(s.data);
    EXPECT_EQ(Decode(packed, s.data.size()), s.data) << s.name;
  }
  EXPECT_TRUE(Encode({}).empty());
  EXPECT_TRUE(Decode({}, 0).empty());
}

TEST(Lh5Codec, WorkingMemoryStaysTheSameForAnyInputSize) {
  // Long enough for many parse segments, with matches across every segment boundary.
  const Bytes big = MapLike(16u << 20);
  const Bytes small = MapLike(4096);
  lh5::EncoderStats big_stats, small_stats;
  const Bytes packed = lh5::Encode(big.data(), big.size(), &big_stats);
  lh5::Encode(small.data(), small.size(), &small_stats);
  EXPECT_GT(big_stats.WorkingBytes, 0u);
  EXPECT_LT(big_stats.WorkingBytes, 16u << 20);
  EXPECT_EQ(big_stats.WorkingBytes, small_stats.WorkingBytes);
  EXPECT_EQ(Decode(packed, big.size()), big);
}

TEST(Lh5Codec, ReadsArchivesOfAnIndependentEncoderAndCompressesAtLeastAsWell) {
  for (const char* name : {"mapdata.lzh", "text.lzh", "mixed.lzh", "short.lzh"}) {
    Member m = ReadLevel2Archive(ReadFileBytes(std::filesystem::path(CQ5_TEST_DATA) / name));
    Bytes plain = Decode(m.packed, m.original);
    ASSERT_EQ(plain.size(), m.original) << name;
    EXPECT_EQ(Crc16(plain), m.crc) << name;
    Bytes ours = Encode(plain);
    EXPECT_LE(ours.size(), m.packed.size()) << name;
    EXPECT_EQ(Decode(ours, plain.size()), plain) << name;
  }
}

// Runs an extractor on an archive of our stream and returns what it wrote to stdout.
bool Extract(const std::string& command, const std::filesystem::path& archive, Bytes& out) {
  std::filesystem::path result = archive;
  result += ".out";
  std::string line = command + " '" + archive.string() + "' > '" + result.string() + "' 2>/dev/null";
  if (std::system(line.c_str()) != 0) return false;
  out = ReadFileBytes(result);
  return true;
}

TEST(Lh5Codec, IndependentExtractorsReadOurStream) {
  const bool have_lhasa = std::system("command -v lhasa >/dev/null 2>&1") == 0;
  const bool have_bsdtar = std::system("command -v bsdtar >/dev/null 2>&1") == 0;
  if (!have_lhasa && !have_bsdtar) GTEST_SKIP() << "neither lhasa nor bsdtar is installed";
  std::filesystem::path dir = std::filesystem::temp_directory_path() / ("cq5-lh5-" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  for (const Sample& s : Samples()) {
    Bytes archive = MakeLevel0Archive("body.bin", s.data, Encode(s.data));
    std::filesystem::path file = dir / (std::string(s.name) + ".lzh");
    std::ofstream(file, std::ios::binary).write(reinterpret_cast<const char*>(archive.data()),
                                                static_cast<std::streamsize>(archive.size()));
    Bytes out;
    if (have_lhasa) {
      ASSERT_TRUE(Extract("lhasa pq", file, out)) << s.name;
      EXPECT_EQ(out, s.data) << "lhasa " << s.name;
    }
    if (have_bsdtar) {
      ASSERT_TRUE(Extract("bsdtar -xOf", file, out)) << s.name;
      EXPECT_EQ(out, s.data) << "bsdtar " << s.name;
    }
  }
  std::filesystem::remove_all(dir);
}

void ExpectCorrupt(const Bytes& bits, size_t size, const char* what) {
  try {
    Decode(bits, size);
    ADD_FAILURE() << what << ": no error";
  } catch (const ECorruptFile& e) {
    EXPECT_STREQ(e.what(), "Compressed file is corrupt") << what;
  }
}

// Packs (bit count, value) fields most significant bit first, then zero bytes for the
// codes that follow a hand-made block header.
Bytes PackBits(const std::vector<std::pair<int, uint32_t>>& fields) {
  Bytes out;
  uint32_t acc = 0;
  int bits = 0;
  auto put = [&](uint32_t bit) {
    acc = acc << 1 | bit;
    if (++bits == 8) {
      out.push_back(static_cast<uint8_t>(acc));
      acc = 0;
      bits = 0;
    }
  };
  for (auto [n, v] : fields)
    for (int k = n - 1; k >= 0; --k) put((v >> k) & 1);
  for (int pad = 0; pad < 64; ++pad) put(0);
  return out;
}

// One block of one code whose code-length code has two symbols, 3 and 4 (lengths 1 and 2),
// followed by the literal/length lengths given as those symbols.
Bytes BlockWithLiteralLengths(const std::vector<int>& t_symbols) {
  std::vector<std::pair<int, uint32_t>> fields = {{16, 1}, {5, 5}, {3, 0}, {3, 0}, {3, 0}, {2, 0}, {3, 1}, {3, 1},
                                                  {9, static_cast<uint32_t>(t_symbols.size())}};
  for (int s : t_symbols) fields.push_back({1, s == 3 ? 0u : 1u});  // 3 -> code 0, 4 -> code 1
  fields.push_back({4, 0});
  fields.push_back({4, 0});
  return PackBits(fields);
}

TEST(Lh5Codec, DamagedStreamsRaiseCorrupt) {
  // Three literal/length codes of one bit over-fill the code space; one leaves it short.
  ExpectCorrupt(BlockWithLiteralLengths({3, 3, 3}), 1, "over-full code");
  ExpectCorrupt(BlockWithLiteralLengths({3}), 1, "incomplete code");
  Bytes ok = BlockWithLiteralLengths({3, 3});  // literals 0 and 1, one bit each
  EXPECT_EQ(Decode(ok, 1), Bytes{0});

  Bytes text = MapLike(60'000);
  Bytes packed = Encode(text);
  Bytes cut(packed.begin(), packed.begin() + static_cast<long>(packed.size() / 2));
  ExpectCorrupt(cut, text.size(), "cut short");
  ExpectCorrupt({}, 10, "no data at all");
  // A count larger than the stream holds: the stream runs out.
  ExpectCorrupt(packed, text.size() + 100'000, "count too large");
  // Tables of one symbol each: every code is a match of 3 at distance 1, which reaches
  // before the start of the output.
  ExpectCorrupt(PackBits({{16, 1}, {5, 0}, {5, 0}, {9, 0}, {9, 256}, {4, 0}, {4, 0}}), 3, "match before start");
  // Counts and single symbols beyond their alphabets.
  ExpectCorrupt(PackBits({{16, 1}, {5, 20}}), 1, "code-length count above 19");
  ExpectCorrupt(PackBits({{16, 1}, {5, 0}, {5, 19}}), 1, "code-length symbol 19");
  ExpectCorrupt(PackBits({{16, 1}, {5, 0}, {5, 0}, {9, 511}}), 1, "literal/length count above 510");
  ExpectCorrupt(PackBits({{16, 1}, {5, 0}, {5, 0}, {9, 0}, {9, 510}}), 1, "literal/length symbol 510");
  ExpectCorrupt(PackBits({{16, 1}, {5, 0}, {5, 0}, {9, 0}, {9, 65}, {4, 15}}), 1, "position count above 14");
  // A length of 17 (3 ones then ten more and a zero) is longer than any code may be.
  ExpectCorrupt(PackBits({{16, 1}, {5, 1}, {14, 0x3FFE}}), 1, "code length 17");
  // A run of zero lengths past the end of the literal/length alphabet (symbol 2 of a
  // one-symbol code-length code: 20 + 500 zeros).
  ExpectCorrupt(PackBits({{16, 1}, {5, 0}, {5, 2}, {9, 5}, {9, 500}}), 1, "zero run past the alphabet");
}

TEST(Lh5Codec, RandomDamageNeverCrashes) {
  Bytes text = MapLike(30'000);
  Bytes packed = Encode(text);
  std::mt19937 rng(7);
  for (int round = 0; round < 400; ++round) {
    Bytes bad = packed;
    if (round % 4 == 0) {
      bad = Noise(50 + round * 10, static_cast<unsigned>(round));
    } else {
      for (int k = 0; k < 1 + round % 5; ++k) bad[rng() % bad.size()] ^= static_cast<uint8_t>(1u << (rng() % 8));
      if (round % 4 == 3) bad.resize(rng() % bad.size());
    }
    try {
      Bytes out = Decode(bad, text.size());
      EXPECT_EQ(out.size(), text.size());
    } catch (const ECorruptFile&) {
    }
  }
}

// A block header's count of 0 stands for 65,536 codes. Here every table names one symbol,
// so each code takes no bits: the first block gives 65,536 "A", the second (count 1) one "B".
TEST(Lh5Codec, BlockCountZeroMeans65536Codes) {
  const std::vector<std::pair<int, uint32_t>> block = {{5, 0}, {5, 0}, {9, 0}, {9, 'A'}, {4, 0}, {4, 0}};
  std::vector<std::pair<int, uint32_t>> fields = {{16, 0}};
  fields.insert(fields.end(), block.begin(), block.end());
  fields.push_back({16, 1});
  fields.insert(fields.end(), block.begin(), block.end());
  fields[fields.size() - 3].second = 'B';
  const Bytes bits = PackBits(fields);
  Bytes expected(65536, 'A');
  EXPECT_EQ(Decode(bits, 65536), expected);
  expected.push_back('B');
  EXPECT_EQ(Decode(bits, 65537), expected);
}

// Reads the literal/length code lengths of the first block of an lh5 stream, on the
// method's own terms: the code-length code, then the lengths it codes.
std::vector<int> FirstBlockLiteralLengths(const Bytes& bits) {
  size_t pos = 0;
  auto get = [&](int n) {
    uint32_t v = 0;
    for (int k = 0; k < n; ++k, ++pos) v = v << 1 | ((pos / 8 < bits.size() ? bits[pos / 8] >> (7 - pos % 8) : 0) & 1);
    return v;
  };
  get(16);
  std::vector<int> t_len(19, 0);
  const int nt = static_cast<int>(get(5));
  EXPECT_GE(nt, 1);
  for (int i = 0; i < nt;) {
    int len = static_cast<int>(get(3));
    if (len == 7)
      while (get(1)) ++len;
    t_len[static_cast<size_t>(i++)] = len;
    if (i == 3) i += static_cast<int>(get(2));
  }
  // Canonical code of the code-length code, decoded bit by bit.
  auto t_symbol = [&] {
    uint32_t code = 0;
    for (int len = 1; len <= 16; ++len) {
      code = code << 1 | get(1);
      uint32_t first = 0;
      for (int l = 1; l <= len; ++l) {
        int count = 0;
        for (int s = 0; s < 19; ++s) count += t_len[static_cast<size_t>(s)] == l;
        if (l == len) {
          int k = 0;
          for (int s = 0; s < 19; ++s)
            if (t_len[static_cast<size_t>(s)] == len && first + static_cast<uint32_t>(k++) == code) return s;
        }
        first = (first + static_cast<uint32_t>(count)) << 1;
      }
    }
    ADD_FAILURE() << "no code-length symbol";
    return 0;
  };
  std::vector<int> c_len;
  const int nc = static_cast<int>(get(9));
  while (static_cast<int>(c_len.size()) < nc) {
    const int sym = t_symbol();
    if (sym == 0) c_len.push_back(0);
    else if (sym == 1) c_len.insert(c_len.end(), get(4) + 3, 0);
    else if (sym == 2) c_len.insert(c_len.end(), get(9) + 20, 0);
    else c_len.push_back(sym - 2);
  }
  return c_len;
}

// lhasa's reading of `packed` as the one member of an archive, compared with `data`.
void ExtractedByLhasa(const Bytes& data, const Bytes& packed) {
  if (std::system("command -v lhasa >/dev/null 2>&1") != 0) return;
  const std::filesystem::path file =
      std::filesystem::temp_directory_path() / ("cq5-lh5-skew-" + std::to_string(::getpid()) + ".lzh");
  const Bytes archive = MakeLevel0Archive("body.bin", data, packed);
  std::ofstream(file, std::ios::binary)
      .write(reinterpret_cast<const char*>(archive.data()), static_cast<std::streamsize>(archive.size()));
  Bytes out;
  EXPECT_TRUE(Extract("lhasa pq", file, out));
  EXPECT_EQ(out, data);
  std::filesystem::remove(file);
  std::filesystem::remove(file.string() + ".out");
}

// Strongly skewed input without a single match: byte values 0..126 in an order where no
// pair of bytes repeats (each value 127 times), and rare values 127, 128 .. with the
// counts 1, 1, 2, 3, 5 .. put in at random places. The optimal code for those counts, all
// in one block, is 14, 15 or 16 bits deep at its rarest symbols for 8, 9 or 10 rare
// values; the encoder must send exactly that code, complete, and the stream must read
// back (also by the independent extractor where installed).
TEST(Lh5Codec, LongCodesOfSkewedInput) {
  for (const auto& [rare, deepest] : {std::pair{8, 14}, {9, 15}, {10, 16}}) {
    SCOPED_TRACE(rare);
    Bytes data;
    for (int a = 0; a < 127; ++a) {
      data.push_back(static_cast<uint8_t>(a));
      for (int b = a + 1; b < 127; ++b) data.insert(data.end(), {static_cast<uint8_t>(a), static_cast<uint8_t>(b)});
    }
    std::mt19937 rng(1);
    for (int s = 0, f1 = 0, f2 = 1; s < rare; ++s) {
      const int count = s == 0 ? 1 : f1 + f2;
      if (s > 0) f1 = f2, f2 = count;
      for (int k = 0; k < count; ++k)
        data.insert(data.begin() + static_cast<long>(rng() % data.size()), static_cast<uint8_t>(127 + s));
    }
    ASSERT_LE(data.size(), 16384u);  // one block
    const Bytes packed = Encode(data);
    EXPECT_EQ(Decode(packed, data.size()), data);
    const std::vector<int> c_len = FirstBlockLiteralLengths(packed);
    ASSERT_EQ(c_len.size(), static_cast<size_t>(127 + rare));  // literals only, every one used
    EXPECT_EQ(*std::max_element(c_len.begin(), c_len.end()), deepest);
    EXPECT_EQ(c_len[127], deepest);
    uint64_t space = 0;  // the lengths fill the code space exactly
    for (int len : c_len)
      if (len) space += uint64_t{1} << (16 - len);
    EXPECT_EQ(space, uint64_t{1} << 16);
    ExtractedByLhasa(data, packed);
  }
}

}  // namespace
// The coder's parse is priced twice per segment; a worse parse (fewer rounds, a weaker
// match search, a segment priced without the previous segment's parse) shows as a larger
// output on these bodies. The bounds sit four bytes above what the coder makes of them now
// (66,760, 30,526, 1,122 and 303 bytes), so a loss of even ten bytes shows.
TEST(Lh5Codec, CompressesFixedBodiesAtLeastAsWellAsItDoes) {
  const struct {
    const char* name;
    size_t most;
  } bounds[] = {{"segment_edge", 66'764}, {"two_values", 30'530}, {"runs", 1'126}, {"all_byte_values", 307}};
  size_t checked = 0;
  for (const Sample& s : Samples()) {
    for (const auto& b : bounds) {
      if (s.name == std::string(b.name)) {
        EXPECT_LE(Encode(s.data).size(), b.most) << s.name;
        ++checked;
      }
    }
  }
  EXPECT_EQ(checked, std::size(bounds));
}

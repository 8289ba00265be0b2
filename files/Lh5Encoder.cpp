// lh5 encoding: a hash-chain match search, a parse that picks the cheapest sequence of
// literals and matches under estimated code lengths, then blocks of codes sent with
// Huffman codes made from each block's own frequencies.
//
// The input is parsed in segments of a fixed number of positions, so the working memory
// is a set of fixed-size buffers whatever the input's size. The search depth adapts: it
// ends at a match long enough to take whole, searches less once it holds a good one, gives
// up after a run of candidates that find nothing longer (input of few distinct bytes has
// chains full of short matches), and positions inside a long match are only entered into
// the chains, not searched.
#include <algorithm>
#include <array>
#include <bit>
#include <cstring>
#include <queue>
#include <vector>
#include "files/Lh5Codec.h"

namespace lh5 {
namespace {

constexpr int kMaxChain = 256;      // chain candidates tried at one position
constexpr int kMaxStale = 32;       // candidates in a row without a longer match end the search
constexpr int kGoodLength = 16;     // with a match this long, a quarter of the rest are tried
constexpr int kNiceLength = 128;    // a match this long ends the search and is taken whole
constexpr size_t kBlockCodes = 16384;  // codes per block (the block header counts 16 bits)
constexpr int kHashBits = 15;
constexpr int kRingMask = 2 * kDictSize - 1;
constexpr size_t kSegment = 65536;          // positions parsed together
constexpr size_t kMatchPool = 4 * kSegment;  // matches kept for one segment

struct Token {
  uint16_t code;      // < 256 a literal, else 253 + match length
  uint16_t position;  // distance - 1 for a match
};

struct Match {
  uint16_t length = 0;
  uint16_t distance = 0;
};

class BitWriter {
 public:
  void Put(int n, uint32_t value) {
    acc_ = (acc_ << n) | value;
    bits_ += n;
    while (bits_ >= 8) {
      bits_ -= 8;
      out_.push_back(static_cast<uint8_t>(acc_ >> bits_));
    }
  }
  std::vector<uint8_t> Finish() {
    if (bits_ > 0) out_.push_back(static_cast<uint8_t>(acc_ << (8 - bits_)));
    bits_ = 0;
    return std::move(out_);
  }

 private:
  std::vector<uint8_t> out_;
  uint64_t acc_ = 0;
  int bits_ = 0;
};

// Optimal code lengths for the frequencies, none longer than 16 bits. When a tree gets too
// deep the frequencies are flattened and the tree built again. Returns the number of
// symbols in use; with fewer than two no lengths are set (the block then names its one
// symbol instead).
int BuildLengths(const uint32_t* freq, int n, uint8_t* lens) {
  std::fill(lens, lens + n, 0);
  std::vector<uint32_t> f(freq, freq + n);
  int used = static_cast<int>(std::count_if(f.begin(), f.end(), [](uint32_t v) { return v != 0; }));
  if (used < 2) return used;
  for (;;) {
    using Node = std::pair<uint64_t, int>;  // weight, node index
    std::priority_queue<Node, std::vector<Node>, std::greater<Node>> heap;
    std::vector<int> parent(static_cast<size_t>(2 * n), -1);
    for (int s = 0; s < n; ++s)
      if (f[static_cast<size_t>(s)]) heap.push({f[static_cast<size_t>(s)], s});
    int next = n;
    while (heap.size() > 1) {
      Node a = heap.top();
      heap.pop();
      Node b = heap.top();
      heap.pop();
      parent[static_cast<size_t>(a.second)] = next;
      parent[static_cast<size_t>(b.second)] = next;
      heap.push({a.first + b.first, next++});
    }
    // Parents are numbered after their children, so depths resolve from the root down.
    std::vector<int> depth(static_cast<size_t>(next), 0);
    for (int node = next - 2; node >= 0; --node)
      if (parent[static_cast<size_t>(node)] >= 0)
        depth[static_cast<size_t>(node)] = depth[static_cast<size_t>(parent[static_cast<size_t>(node)])] + 1;
    int deepest = 0;
    for (int s = 0; s < n; ++s)
      if (f[static_cast<size_t>(s)]) deepest = std::max(deepest, depth[static_cast<size_t>(s)]);
    if (deepest <= kMaxCodeBits) {
      for (int s = 0; s < n; ++s)
        if (f[static_cast<size_t>(s)]) lens[s] = static_cast<uint8_t>(depth[static_cast<size_t>(s)]);
      return used;
    }
    for (auto& v : f)
      if (v) v = (v + 1) / 2;
  }
}

// Canonical codes: shorter codes first, equal lengths in symbol order.
void MakeCodes(const uint8_t* lens, int n, uint16_t* codes) {
  std::array<uint32_t, kMaxCodeBits + 2> count{};
  for (int s = 0; s < n; ++s) ++count[lens[s]];
  count[0] = 0;
  std::array<uint32_t, kMaxCodeBits + 2> next{};
  uint32_t code = 0;
  for (int len = 1; len <= kMaxCodeBits; ++len) {
    code = (code + count[static_cast<size_t>(len - 1)]) << 1;
    next[static_cast<size_t>(len)] = code;
  }
  for (int s = 0; s < n; ++s)
    codes[s] = lens[s] ? static_cast<uint16_t>(next[lens[s]]++) : 0;
}

// The number of significant bits of p (0 for 0).
int PositionClass(uint32_t p) { return std::bit_width(p); }

// Common prefix of a and b, at most limit bytes.
inline int MatchLength(const uint8_t* a, const uint8_t* b, int limit) {
  int len = 0;
  while (len + 8 <= limit) {
    uint64_t x, y;
    std::memcpy(&x, a + len, 8);
    std::memcpy(&y, b + len, 8);
    if (const uint64_t diff = x ^ y) return len + (__builtin_ctzll(diff) >> 3);
    len += 8;
  }
  while (len < limit && a[len] == b[len]) ++len;
  return len;
}

// Hash chains over the last 8 KiB: the head of each 3-byte hash, and per position (in a
// ring of twice the dictionary) the previous position with the same hash.
class MatchFinder {
 public:
  MatchFinder(const uint8_t* data, size_t size)
      : d_(data), n_(size), head_(size_t{1} << kHashBits, -1), prev_(kRingMask + 1, -1) {}

  size_t Bytes() const { return head_.capacity() * sizeof(int32_t) + prev_.capacity() * sizeof(int32_t); }

  // Stores the matches at pos, each longer than the last, at the nearest distance found
  // for that length; returns how many (at most `room`).
  int FindAll(size_t pos, Match* out, int room) const {
    if (pos + kMinMatch > n_) return 0;
    const int limit = static_cast<int>(std::min<size_t>(kMaxMatch, n_ - pos));
    const int nice = std::min(limit, kNiceLength);
    const uint8_t* here = d_ + pos;
    int best = kMinMatch - 1;
    int found = 0;
    int32_t cand = head_[Hash(pos)];
    int chain = kMaxChain;
    int stale = kMaxStale;
    while (cand >= 0 && pos - static_cast<size_t>(cand) <= static_cast<size_t>(kDictSize) && chain-- > 0 &&
           stale-- > 0) {
      const uint8_t* there = d_ + cand;
      if (there[best] == here[best] && there[0] == here[0]) {
        const int len = MatchLength(there, here, limit);
        if (len > best) {
          const bool wasGood = best >= kGoodLength;
          best = len;
          stale = kMaxStale;
          out[found++] = Match{static_cast<uint16_t>(len), static_cast<uint16_t>(pos - static_cast<size_t>(cand))};
          if (len >= nice || found == room) break;
          if (!wasGood && len >= kGoodLength) chain /= 4;
        }
      }
      cand = prev_[static_cast<size_t>(cand) & kRingMask];
    }
    return found;
  }

  void Insert(size_t pos) {
    if (pos + kMinMatch > n_) return;
    uint32_t h = Hash(pos);
    prev_[pos & kRingMask] = head_[h];
    head_[h] = static_cast<int32_t>(pos);
  }

 private:
  uint32_t Hash(size_t pos) const {
    const uint32_t three = static_cast<uint32_t>(d_[pos]) << 16 | static_cast<uint32_t>(d_[pos + 1]) << 8 | d_[pos + 2];
    return (three * 2654435761u) >> (32 - kHashBits);
  }

  const uint8_t* d_;
  size_t n_;
  std::vector<int32_t> head_;
  std::vector<int32_t> prev_;
};

class Encoder {
 public:
  Encoder(const uint8_t* d, size_t n)
      : d_(d), n_(n), finder_(d, n), first_match_(kSegment + 1), matches_(kMatchPool),
        price_(kSegment + 1), step_(kSegment + 1), parse_(kSegment) {
    tokens_.reserve(kBlockCodes);
  }

  size_t WorkingBytes() const {
    return finder_.Bytes() + first_match_.capacity() * sizeof(uint32_t) + matches_.capacity() * sizeof(Match) +
           price_.capacity() * sizeof(uint32_t) + step_.capacity() * sizeof(Token) +
           parse_.capacity() * sizeof(Token) + tokens_.capacity() * sizeof(Token);
  }

  std::vector<uint8_t> Run() {
    size_t pos = 0;
    while (pos < n_) {
      const size_t end = CollectMatches(pos);
      // Price the choices with code lengths from the previous segment's parse (a plain
      // lazy parse for the first), then again with those of the cheapest parse found; two
      // rounds take nearly all of the gain.
      if (pos == 0) last_count_ = LazyParse(pos, end);
      size_t count = last_count_;
      for (int round = 0; round < 2; ++round) {
        SetPrices(count);
        count = CheapestParse(pos, end);
      }
      last_count_ = count;
      for (size_t i = 0; i < count; ++i) Push(parse_[i]);
      pos = end;
    }
    if (!tokens_.empty()) SendBlock();
    return out_.Finish();
  }

 private:
  // Finds the matches of the positions from `begin` on, each position's longer than the one
  // before it and nearest first. Returns the segment's end: kSegment positions on, or
  // earlier when the match buffer is full. The parses cut matches at the segment's end.
  size_t CollectMatches(size_t begin) {
    const size_t last = std::min(n_, begin + kSegment);
    size_t used = 0;
    size_t pos = begin;
    // Positions inside a long match are not searched; a segment starts searching afresh.
    size_t skip_to = begin;
    for (; pos < last && used + kMaxMatch <= kMatchPool; ++pos) {
      first_match_[pos - begin] = static_cast<uint32_t>(used);
      if (pos >= skip_to) {
        Match* at = &matches_[used];
        const int found = finder_.FindAll(pos, at, kMaxMatch);
        used += static_cast<size_t>(found);
        if (found > 0 && at[found - 1].length >= kNiceLength) skip_to = pos + at[found - 1].length;
      }
      finder_.Insert(pos);
    }
    first_match_[pos - begin] = static_cast<uint32_t>(used);
    return pos;
  }

  // The longest match at pos that ends by `end`.
  Match Longest(size_t begin, size_t pos, size_t end) const {
    const uint32_t from = first_match_[pos - begin], to = first_match_[pos - begin + 1];
    if (from == to) return {};
    Match m = matches_[to - 1];
    if (m.length > end - pos) m.length = static_cast<uint16_t>(end - pos);
    return m;
  }

  // One step of lazy evaluation: a match is dropped for a literal when the next position
  // starts a longer one.
  size_t LazyParse(size_t begin, size_t end) {
    size_t count = 0;
    size_t pos = begin;
    while (pos < end) {
      const Match m = Longest(begin, pos, end);
      if (m.length >= kMinMatch && (pos + 1 >= end || Longest(begin, pos + 1, end).length <= m.length)) {
        parse_[count++] = MatchToken(m.length, m.distance);
        pos += m.length;
      } else {
        parse_[count++] = Token{d_[pos], 0};
        ++pos;
      }
    }
    return count;
  }

  // Bits per code from the frequencies of a parse; every code gets a price, so that the
  // next parse may use codes the last one did not.
  void SetPrices(size_t count) {
    std::array<uint32_t, kNC> c_freq;
    std::array<uint32_t, kNP> p_freq;
    c_freq.fill(1);
    p_freq.fill(1);
    for (size_t i = 0; i < count; ++i) {
      const Token t = parse_[i];
      ++c_freq[t.code];
      if (t.code >= 256) ++p_freq[static_cast<size_t>(PositionClass(t.position))];
    }
    std::array<uint8_t, kNC> c_len{};
    std::array<uint8_t, kNP> p_len{};
    BuildLengths(c_freq.data(), kNC, c_len.data());
    BuildLengths(p_freq.data(), kNP, p_len.data());
    for (size_t s = 0; s < kNC; ++s) c_price_[s] = c_len[s];
    for (size_t s = 0; s < kNP; ++s) p_price_[s] = p_len[s] + (s > 1 ? static_cast<uint32_t>(s - 1) : 0);
  }

  // The parse of least total price (shortest path over the segment's positions), stored in
  // parse_; returns its length in codes.
  size_t CheapestParse(size_t begin, size_t end) {
    constexpr uint32_t kNone = UINT32_MAX;
    const size_t n = end - begin;
    std::fill(price_.begin(), price_.begin() + static_cast<std::ptrdiff_t>(n + 1), kNone);
    price_[0] = 0;
    for (size_t i = 0; i < n; ++i) {
      const uint32_t here = price_[i];
      const uint8_t literal = d_[begin + i];
      if (here + c_price_[literal] < price_[i + 1]) {
        price_[i + 1] = here + c_price_[literal];
        step_[i + 1] = Token{literal, 0};
      }
      const uint32_t from = first_match_[i], to = first_match_[i + 1];
      if (from == to) continue;
      int len = kMinMatch;
      // Within a long match only its full length is worth pricing.
      const bool whole = matches_[to - 1].length >= kNiceLength;
      for (uint32_t k = whole ? to - 1 : from; k < to; ++k) {
        const Match& m = matches_[k];
        const int longest = static_cast<int>(std::min<size_t>(m.length, n - i));
        if (longest < kMinMatch) break;  // cut at the segment's end below the shortest match
        if (whole) len = longest;
        const uint32_t p_cost = p_price_[static_cast<size_t>(PositionClass(static_cast<uint32_t>(m.distance - 1)))];
        for (; len <= longest; ++len) {
          const uint32_t total = here + c_price_[static_cast<size_t>(len + 256 - kMinMatch)] + p_cost;
          const size_t to_pos = i + static_cast<size_t>(len);
          if (total < price_[to_pos]) {
            price_[to_pos] = total;
            step_[to_pos] = MatchToken(len, m.distance);
          }
        }
      }
    }
    // Walk back from the end, then turn the codes round into their order.
    size_t count = 0;
    for (size_t i = n; i > 0;) {
      const Token t = step_[i];
      parse_[count++] = t;
      i -= t.code < 256 ? 1 : static_cast<size_t>(t.code - (256 - kMinMatch));
    }
    std::reverse(parse_.begin(), parse_.begin() + static_cast<std::ptrdiff_t>(count));
    return count;
  }

  static Token MatchToken(int length, int distance) {
    return Token{static_cast<uint16_t>(length + 256 - kMinMatch), static_cast<uint16_t>(distance - 1)};
  }

  void Push(Token t) {
    tokens_.push_back(t);
    if (tokens_.size() == kBlockCodes) SendBlock();
  }

  void SendBlock() {
    std::array<uint32_t, kNC> c_freq{};
    std::array<uint32_t, kNP> p_freq{};
    for (const Token& t : tokens_) {
      ++c_freq[t.code];
      if (t.code >= 256) ++p_freq[static_cast<size_t>(PositionClass(t.position))];
    }
    std::array<uint8_t, kNC> c_len{};
    std::array<uint16_t, kNC> c_code{};
    std::array<uint8_t, kNP> p_len{};
    std::array<uint16_t, kNP> p_code{};

    out_.Put(16, static_cast<uint32_t>(tokens_.size()));
    int c_used = BuildLengths(c_freq.data(), kNC, c_len.data());
    if (c_used >= 2) {
      MakeCodes(c_len.data(), kNC, c_code.data());
      WriteCLengths(c_len);
    } else {
      // The code-length code is not needed here, but see WriteCLengths for why it is
      // still sent as a real code.
      std::array<uint8_t, kNT> t_len{};
      t_len[0] = t_len[2] = 1;
      WritePtLengths(t_len.data(), kNT, kTBit, 3);
      out_.Put(kCBit, 0);
      out_.Put(kCBit, SoleSymbol(c_freq));
    }
    int p_used = BuildLengths(p_freq.data(), kNP, p_len.data());
    if (p_used >= 2) {
      MakeCodes(p_len.data(), kNP, p_code.data());
      WritePtLengths(p_len.data(), kNP, kPBit, -1);
    } else {
      out_.Put(kPBit, 0);
      out_.Put(kPBit, SoleSymbol(p_freq));
    }

    for (const Token& t : tokens_) {
      out_.Put(c_len[t.code], c_code[t.code]);
      if (t.code < 256) continue;
      int cls = PositionClass(t.position);
      out_.Put(p_len[static_cast<size_t>(cls)], p_code[static_cast<size_t>(cls)]);
      if (cls > 1) out_.Put(cls - 1, t.position & ((1u << (cls - 1)) - 1));
    }
    tokens_.clear();
  }

  // The one symbol a code with a single used symbol sends. Read through a checked index,
  // so a search that ran past the table would stop the encoder rather than read beyond it.
  template <size_t N>
  static uint32_t SoleSymbol(const std::array<uint32_t, N>& freq) {
    for (size_t s = 0; s < N; ++s)
      if (freq.at(s)) return static_cast<uint32_t>(s);
    return 0;
  }

  // Visits the literal/length code lengths as the code-length code sends them: a run of
  // zeros as symbols 0..2 (with a count), a length k as symbol k + 2.
  template <typename Sink>
  static void WalkCLengths(const std::array<uint8_t, kNC>& c_len, Sink&& sink) {
    int n = kNC;
    while (n > 0 && c_len[static_cast<size_t>(n - 1)] == 0) --n;
    int i = 0;
    while (i < n) {
      int k = c_len[static_cast<size_t>(i++)];
      if (k != 0) {
        sink(k + 2, 0, 0);
        continue;
      }
      int run = 1;
      while (i < n && c_len[static_cast<size_t>(i)] == 0) {
        ++i;
        ++run;
      }
      if (run <= 2) {
        for (int r = 0; r < run; ++r) sink(0, 0, 0);
      } else if (run <= 18) {
        sink(1, 4, run - 3);
      } else if (run == 19) {
        sink(0, 0, 0);
        sink(1, 4, 15);
      } else {
        sink(2, kCBit, run - 20);
      }
    }
  }

  void WriteCLengths(const std::array<uint8_t, kNC>& c_len) {
    std::array<uint32_t, kNT> t_freq{};
    WalkCLengths(c_len, [&](int sym, int, int) { ++t_freq[static_cast<size_t>(sym)]; });
    // The method allows a code-length code of one symbol, or one that ends before symbol 2,
    // but some widely used decoders (libarchive's) refuse both; a spare symbol avoids them
    // at the price of a bit or two.
    if (std::all_of(t_freq.begin() + 2, t_freq.end(), [](uint32_t f) { return f == 0; })) t_freq[2] = 1;
    if (std::count_if(t_freq.begin(), t_freq.end(), [](uint32_t f) { return f != 0; }) < 2) t_freq[0] = 1;
    std::array<uint8_t, kNT> t_len{};
    std::array<uint16_t, kNT> t_code{};
    BuildLengths(t_freq.data(), kNT, t_len.data());
    MakeCodes(t_len.data(), kNT, t_code.data());
    WritePtLengths(t_len.data(), kNT, kTBit, 3);
    int n = kNC;
    while (n > 0 && c_len[static_cast<size_t>(n - 1)] == 0) --n;
    out_.Put(kCBit, static_cast<uint32_t>(n));
    WalkCLengths(c_len, [&](int sym, int extra_bits, int extra) {
      out_.Put(t_len[static_cast<size_t>(sym)], t_code[static_cast<size_t>(sym)]);
      if (extra_bits) out_.Put(extra_bits, static_cast<uint32_t>(extra));
    });
  }

  void WritePtLengths(const uint8_t* lens, int nn, int nbit, int special) {
    int n = nn;
    while (n > 0 && lens[n - 1] == 0) --n;
    out_.Put(nbit, static_cast<uint32_t>(n));
    int i = 0;
    while (i < n) {
      int k = lens[i++];
      if (k <= 6)
        out_.Put(3, static_cast<uint32_t>(k));
      else
        out_.Put(k - 3, (1u << (k - 3)) - 2);  // 7 is 1110, 8 is 11110, ...
      if (i == special) {
        // The run may not reach past n: libarchive refuses that.
        while (i < 6 && i < n && lens[i] == 0) ++i;
        out_.Put(2, static_cast<uint32_t>((i - 3) & 3));
      }
    }
  }

  const uint8_t* d_;
  size_t n_;
  MatchFinder finder_;
  std::vector<uint32_t> first_match_;  // per segment position: its first match in matches_
  std::vector<Match> matches_;
  std::vector<uint32_t> price_;        // per segment position: least price to reach it
  std::vector<Token> step_;            // and the code that reaches it at that price
  std::vector<Token> parse_;           // the segment's codes
  BitWriter out_;
  std::vector<Token> tokens_;          // the block's codes
  std::array<uint32_t, kNC> c_price_{};
  std::array<uint32_t, kNP> p_price_{};
  size_t last_count_ = 0;             // codes of the last parse, still in parse_
};

}  // namespace

std::vector<uint8_t> Encode(const uint8_t* Data, size_t Size, EncoderStats* Stats) {
  if (Size == 0) {
    if (Stats) Stats->WorkingBytes = 0;
    return {};
  }
  Encoder encoder(Data, Size);
  std::vector<uint8_t> out = encoder.Run();
  if (Stats) Stats->WorkingBytes = encoder.WorkingBytes();
  return out;
}

}  // namespace lh5

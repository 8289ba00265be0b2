// lh5 encoding: a hash-chain match search, a parse that picks the cheapest sequence of
// literals and matches under estimated code lengths, then blocks of codes sent with
// Huffman codes made from each block's own frequencies.
#include <algorithm>
#include <array>
#include <queue>
#include <vector>
#include "app/Lh5Codec.h"

namespace lh5 {
namespace {

// Search depth and block size trade speed against size; these keep the output at least
// as small as the common LHA archivers' while a 64 KiB body still takes milliseconds.
constexpr int kMaxChain = 256;
constexpr int kNiceLength = 128;  // a match this long ends the search and is taken whole
constexpr size_t kBlockCodes = 16384;  // codes per block (the block header counts 16 bits)
constexpr int kHashBits = 15;
constexpr int kRingMask = 2 * kDictSize - 1;

struct Token {
  uint16_t code;      // < 256 a literal, else 253 + match length
  uint16_t position;  // distance - 1 for a match
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

int PositionClass(uint32_t p) {
  int c = 0;
  while (p) {
    p >>= 1;
    ++c;
  }
  return c;
}

class MatchFinder {
 public:
  MatchFinder(const uint8_t* data, size_t size)
      : d_(data), n_(size), head_(size_t{1} << kHashBits, -1), prev_(kRingMask + 1, -1) {}

  struct Match {
    int length = 0;
    int distance = 0;
  };

  // Appends the matches at pos: each longer than the last, at the nearest distance found
  // for that length.
  void FindAll(size_t pos, std::vector<Match>& out) const {
    if (pos + kMinMatch > n_) return;
    const int limit = static_cast<int>(std::min<size_t>(kMaxMatch, n_ - pos));
    const uint8_t* here = d_ + pos;
    int best = kMinMatch - 1;
    int32_t cand = head_[Hash(pos)];
    int chain = kMaxChain;
    while (cand >= 0 && pos - static_cast<size_t>(cand) <= static_cast<size_t>(kDictSize) && chain-- > 0) {
      const uint8_t* there = d_ + cand;
      if (there[best] == here[best] && there[0] == here[0]) {
        int len = 0;
        while (len < limit && there[len] == here[len]) ++len;
        if (len > best) {
          best = len;
          out.push_back(Match{len, static_cast<int>(pos - static_cast<size_t>(cand))});
          if (len >= std::min(limit, kNiceLength)) break;
        }
      }
      cand = prev_[static_cast<size_t>(cand) & kRingMask];
    }
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
  std::vector<uint8_t> Run(const uint8_t* d, size_t n) {
    CollectMatches(d, n);
    // Price the choices with code lengths from a plain lazy parse, then again with those
    // of the cheapest parse found; two rounds take nearly all of the gain.
    std::vector<Token> tokens = LazyParse(d, n);
    for (int round = 0; round < 2; ++round) {
      SetPrices(tokens);
      tokens = CheapestParse(d, n);
    }
    for (const Token& t : tokens) Push(t);
    if (!tokens_.empty()) SendBlock();
    return out_.Finish();
  }

 private:
  // Every position's matches, each longer than the one before it, nearest first.
  void CollectMatches(const uint8_t* d, size_t n) {
    MatchFinder finder(d, n);
    first_match_.assign(n + 1, 0);
    matches_.clear();
    for (size_t pos = 0; pos < n; ++pos) {
      first_match_[pos] = static_cast<uint32_t>(matches_.size());
      finder.FindAll(pos, matches_);
      finder.Insert(pos);
    }
    first_match_[n] = static_cast<uint32_t>(matches_.size());
  }

  MatchFinder::Match Longest(size_t pos) const {
    if (first_match_[pos] == first_match_[pos + 1]) return {};
    return matches_[first_match_[pos + 1] - 1];
  }

  // One step of lazy evaluation: a match is dropped for a literal when the next position
  // starts a longer one.
  std::vector<Token> LazyParse(const uint8_t* d, size_t n) const {
    std::vector<Token> tokens;
    size_t pos = 0;
    while (pos < n) {
      MatchFinder::Match m = Longest(pos);
      if (m.length >= kMinMatch && (pos + 1 >= n || Longest(pos + 1).length <= m.length)) {
        tokens.push_back(MatchToken(m.length, m.distance));
        pos += static_cast<size_t>(m.length);
      } else {
        tokens.push_back(Token{d[pos], 0});
        ++pos;
      }
    }
    return tokens;
  }

  // Bits per code from the frequencies of a parse; every code gets a price, so that the
  // next parse may use codes the last one did not.
  void SetPrices(const std::vector<Token>& tokens) {
    std::array<uint32_t, kNC> c_freq;
    std::array<uint32_t, kNP> p_freq;
    c_freq.fill(1);
    p_freq.fill(1);
    for (const Token& t : tokens) {
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

  // The parse of least total price (shortest path over the positions).
  std::vector<Token> CheapestParse(const uint8_t* d, size_t n) const {
    constexpr uint32_t kNone = UINT32_MAX;
    std::vector<uint32_t> price(n + 1, kNone);
    std::vector<Token> step(n + 1, Token{0, 0});
    price[0] = 0;
    for (size_t pos = 0; pos < n; ++pos) {
      const uint32_t here = price[pos];
      if (here + c_price_[d[pos]] < price[pos + 1]) {
        price[pos + 1] = here + c_price_[d[pos]];
        step[pos + 1] = Token{d[pos], 0};
      }
      int len = kMinMatch;
      MatchFinder::Match longest = Longest(pos);
      for (uint32_t k = first_match_[pos]; k < first_match_[pos + 1]; ++k) {
        const MatchFinder::Match& m = matches_[k];
        // Within a very long match only its full length is worth pricing.
        if (longest.length >= kNiceLength && m.length < longest.length) continue;
        if (longest.length >= kNiceLength) len = m.length;
        const uint32_t p_cost = p_price_[static_cast<size_t>(PositionClass(static_cast<uint32_t>(m.distance - 1)))];
        for (; len <= m.length; ++len) {
          const uint32_t total = here + c_price_[static_cast<size_t>(len + 256 - kMinMatch)] + p_cost;
          const size_t to = pos + static_cast<size_t>(len);
          if (total < price[to]) {
            price[to] = total;
            step[to] = MatchToken(len, m.distance);
          }
        }
      }
    }
    std::vector<Token> tokens;
    for (size_t pos = n; pos > 0;) {
      const Token t = step[pos];
      tokens.push_back(t);
      pos -= t.code < 256 ? 1 : static_cast<size_t>(t.code - (256 - kMinMatch));
    }
    std::reverse(tokens.begin(), tokens.end());
    return tokens;
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
      out_.Put(kCBit, SoleSymbol(c_freq.data(), kNC));
    }
    int p_used = BuildLengths(p_freq.data(), kNP, p_len.data());
    if (p_used >= 2) {
      MakeCodes(p_len.data(), kNP, p_code.data());
      WritePtLengths(p_len.data(), kNP, kPBit, -1);
    } else {
      out_.Put(kPBit, 0);
      out_.Put(kPBit, SoleSymbol(p_freq.data(), kNP));
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

  static uint32_t SoleSymbol(const uint32_t* freq, int n) {
    for (int s = 0; s < n; ++s)
      if (freq[s]) return static_cast<uint32_t>(s);
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

  BitWriter out_;
  std::vector<Token> tokens_;
  std::vector<uint32_t> first_match_;
  std::vector<MatchFinder::Match> matches_;
  std::array<uint32_t, kNC> c_price_{};
  std::array<uint32_t, kNP> p_price_{};
};

}  // namespace

std::vector<uint8_t> Encode(const uint8_t* Data, size_t Size) {
  if (Size == 0) return {};
  return Encoder().Run(Data, Size);
}

}  // namespace lh5

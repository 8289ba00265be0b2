#pragma once
// The Blowfish block cipher (16 rounds, 64-bit blocks as two 32-bit halves), used to
// scramble container files with a key.
#include <array>
#include <cstddef>
#include <cstdint>

namespace blowfish {

extern const uint32_t kInitP[18];
extern const uint32_t kInitS[4][256];

class Cipher {
 public:
  // Sets up the key schedule. Returns false, leaving the cipher unusable, when the key is
  // refused: it is empty, or an S-box ends up holding the same value twice.
  bool SetKey(const uint8_t* Key, size_t Length);
  void Encipher(uint32_t& Left, uint32_t& Right) const;
  void Decipher(uint32_t& Left, uint32_t& Right) const;

 private:
  uint32_t F(uint32_t x) const {
    return ((s_[0][x >> 24] + s_[1][(x >> 16) & 0xFF]) ^ s_[2][(x >> 8) & 0xFF]) + s_[3][x & 0xFF];
  }

  std::array<uint32_t, 18> p_{};
  std::array<std::array<uint32_t, 256>, 4> s_{};
};

}  // namespace blowfish

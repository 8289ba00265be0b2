#include "files/Blowfish.h"
#include <algorithm>

namespace blowfish {

bool Cipher::SetKey(const uint8_t* Key, size_t Length) {
  if (Length == 0) return false;
  std::copy(kInitP, kInitP + 18, p_.begin());
  for (size_t b = 0; b < 4; ++b) std::copy(kInitS[b], kInitS[b] + 256, s_[b].begin());
  size_t k = 0;
  for (uint32_t& entry : p_) {
    uint32_t word = 0;
    for (int i = 0; i < 4; ++i) {
      word = (word << 8) | Key[k];
      k = (k + 1) % Length;
    }
    entry ^= word;
  }
  uint32_t left = 0;
  uint32_t right = 0;
  for (size_t i = 0; i < p_.size(); i += 2) {
    Encipher(left, right);
    p_[i] = left;
    p_[i + 1] = right;
  }
  for (auto& box : s_) {
    for (size_t i = 0; i < box.size(); i += 2) {
      Encipher(left, right);
      box[i] = left;
      box[i + 1] = right;
    }
  }
  // A repeated S-box value weakens the cipher; such keys are refused.
  for (const auto& box : s_) {
    std::array<uint32_t, 256> sorted = box;
    std::sort(sorted.begin(), sorted.end());
    if (std::adjacent_find(sorted.begin(), sorted.end()) != sorted.end()) return false;
  }
  return true;
}

void Cipher::Encipher(uint32_t& Left, uint32_t& Right) const {
  uint32_t l = Left;
  uint32_t r = Right;
  for (size_t i = 0; i < 16; ++i) {
    l ^= p_[i];
    r ^= F(l);
    std::swap(l, r);
  }
  std::swap(l, r);
  r ^= p_[16];
  l ^= p_[17];
  Left = l;
  Right = r;
}

void Cipher::Decipher(uint32_t& Left, uint32_t& Right) const {
  uint32_t l = Left;
  uint32_t r = Right;
  for (size_t i = 17; i > 1; --i) {
    l ^= p_[i];
    r ^= F(l);
    std::swap(l, r);
  }
  std::swap(l, r);
  r ^= p_[1];
  l ^= p_[0];
  Left = l;
  Right = r;
}

}  // namespace blowfish

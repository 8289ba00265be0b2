#pragma once
// A set of the values of a small enumeration (at most 32 members), stored as bits:
// font styles, shift states, anchors and similar flag sets of the class library.
#include <cstdint>
#include <initializer_list>

template <typename E>
class SmallSet {
 public:
  constexpr SmallSet() = default;
  constexpr SmallSet(std::initializer_list<E> items) {
    for (E e : items) bits_ |= Bit(e);
  }
  static constexpr SmallSet FromBits(uint32_t bits) {
    SmallSet s;
    s.bits_ = bits;
    return s;
  }
  constexpr bool Contains(E e) const { return (bits_ & Bit(e)) != 0; }
  constexpr bool Empty() const { return bits_ == 0; }
  constexpr uint32_t Bits() const { return bits_; }
  constexpr SmallSet& operator<<(E e) { bits_ |= Bit(e); return *this; }
  constexpr SmallSet& operator>>(E e) { bits_ &= ~Bit(e); return *this; }
  constexpr SmallSet operator+(SmallSet o) const { return FromBits(bits_ | o.bits_); }
  constexpr SmallSet operator-(SmallSet o) const { return FromBits(bits_ & ~o.bits_); }
  constexpr SmallSet operator*(SmallSet o) const { return FromBits(bits_ & o.bits_); }
  constexpr bool operator==(const SmallSet&) const = default;

 private:
  static constexpr uint32_t Bit(E e) { return 1u << static_cast<unsigned>(e); }
  uint32_t bits_ = 0;
};

#pragma once
// Little-endian numbers kept as raw bytes. Records that go to files or to the ECU are
// built from these, so they have alignment 1, pack without gaps on any host and read the
// same bytes on any byte order.
#include <cstdint>
#include <cstring>
#include <type_traits>

namespace le {

template <typename T>
class Value {
  static_assert(std::is_arithmetic_v<T>);
  using Bits = std::conditional_t<sizeof(T) == 2, uint16_t,
               std::conditional_t<sizeof(T) == 4, uint32_t, uint64_t>>;

 public:
  operator T() const {
    Bits bits = 0;
    for (size_t i = 0; i < sizeof(T); ++i) bits |= static_cast<Bits>(static_cast<Bits>(b_[i]) << (8 * i));
    T v;
    std::memcpy(&v, &bits, sizeof(T));
    return v;
  }
  Value& operator=(T v) {
    Bits bits;
    std::memcpy(&bits, &v, sizeof(T));
    for (size_t i = 0; i < sizeof(T); ++i) b_[i] = static_cast<uint8_t>(bits >> (8 * i));
    return *this;
  }

 private:
  uint8_t b_[sizeof(T)];
};

using I16 = Value<int16_t>;
using U16 = Value<uint16_t>;
using I32 = Value<int32_t>;
using F64 = Value<double>;

static_assert(sizeof(I16) == 2 && alignof(I16) == 1);
static_assert(sizeof(I32) == 4 && alignof(I32) == 1);
static_assert(sizeof(F64) == 8 && alignof(F64) == 1);

}  // namespace le

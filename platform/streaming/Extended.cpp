#include "platform/streaming/Extended.h"

#include <bit>
#include <cmath>
#include <cstring>
#include "platform/rtl/SysUtils.h"

namespace streaming {

namespace {
constexpr int kExtBias = 16383;
constexpr int kDblBias = 1023;
constexpr uint64_t kIntegerBit = uint64_t{1} << 63;

Extended80 Pack(bool negative, int exponent, uint64_t significand) {
  Extended80 out{};
  for (int i = 0; i < 8; ++i) out[i] = static_cast<uint8_t>(significand >> (8 * i));
  uint16_t se = static_cast<uint16_t>((negative ? 0x8000 : 0) | (exponent & 0x7FFF));
  out[8] = static_cast<uint8_t>(se);
  out[9] = static_cast<uint8_t>(se >> 8);
  return out;
}
}  // namespace

Extended80 DoubleToExtended(double Value) {
  uint64_t bits = std::bit_cast<uint64_t>(Value);
  bool negative = (bits >> 63) != 0;
  int exponent = static_cast<int>((bits >> 52) & 0x7FF);
  uint64_t mantissa = bits & ((uint64_t{1} << 52) - 1);
  if (exponent == 0x7FF)  // infinity keeps a bare integer bit; NaN keeps its payload, quiet
    return Pack(negative, 0x7FFF, mantissa == 0 ? kIntegerBit : (kIntegerBit | (uint64_t{1} << 62) | (mantissa << 11)));
  if (exponent == 0) {
    if (mantissa == 0) return Pack(negative, 0, 0);
    // A subnormal double is a normal extended: shift its leading one to the integer bit.
    int msb = 63 - std::countl_zero(mantissa);
    return Pack(negative, kExtBias - 1074 + msb, mantissa << (63 - msb));
  }
  return Pack(negative, exponent - kDblBias + kExtBias, kIntegerBit | (mantissa << 11));
}

double ExtendedToDouble(const Extended80& Bytes) {
  uint64_t significand = 0;
  for (int i = 0; i < 8; ++i) significand |= uint64_t{Bytes[i]} << (8 * i);
  int se = Bytes[8] | (Bytes[9] << 8);
  bool negative = (se & 0x8000) != 0;
  int exponent = se & 0x7FFF;
  if (exponent == 0x7FFF) throw EReadError("Invalid floating point value in component stream");
  if (significand == 0) return negative ? -0.0 : 0.0;

  // value = significand * 2^(lowExp); the double keeps 53 bits from the leading one, or
  // fewer when the result is subnormal.
  int effective = exponent == 0 ? 1 : exponent;
  int lowExp = effective - kExtBias - 63;
  int msb = 63 - std::countl_zero(significand);
  int leadExp = lowExp + msb;
  if (leadExp > 1023) throw EReadError("Floating point value out of range in component stream");
  int keepLow = std::max(leadExp - 52, -1074);
  int shift = keepLow - lowExp;
  uint64_t kept;
  if (shift <= 0) {
    kept = significand << (-shift);
  } else if (shift >= 66) {
    kept = 0;
  } else {
    kept = shift < 64 ? significand >> shift : 0;
    uint64_t rest = shift < 64 ? significand & ((uint64_t{1} << shift) - 1) : significand;
    bool roundUp = false;
    if (shift <= 64) {
      uint64_t half = uint64_t{1} << (shift - 1);
      roundUp = rest > half || (rest == half && (kept & 1) != 0);
    }
    if (roundUp) ++kept;
    if (kept == (uint64_t{1} << 53)) {
      kept >>= 1;
      ++keepLow;
      if (keepLow + 52 > 1023) throw EReadError("Floating point value out of range in component stream");
    }
  }
  double magnitude = std::ldexp(static_cast<double>(kept), keepLow);
  return negative ? -magnitude : magnitude;
}

}  // namespace streaming

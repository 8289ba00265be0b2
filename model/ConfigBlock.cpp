#include "model/ConfigBlock.h"

#include <algorithm>
#include <cstring>
#include <tuple>

#include "model/Frames.h"

TConfigBlock ConfigBlock{};
TConfigBlock ConfigReadCopy{};
bool ConfigBlockUnsent = false;

namespace config {
namespace {

enum class FieldKind { Byte, Word, Gear };

// One run of equal fields that lie contiguously in both the block and the image.
struct ImageField {
  uint16_t blockOffset;
  uint16_t imageOffset;
  FieldKind kind;
  uint8_t count;
};

constexpr size_t BlockSize(FieldKind k) { return k == FieldKind::Byte ? 1 : k == FieldKind::Word ? 2 : 4; }
constexpr size_t ImageSize(FieldKind k) { return k == FieldKind::Byte ? 1 : 2; }

using K = FieldKind;
// The whole block-to-image mapping, in image order. It drives encoding and decoding.
constexpr ImageField kImageFields[] = {
    {0, 0, K::Byte, 4},      {4, 4, K::Word, 1},
    // The output assignment travels in reverse byte order.
    {6, 9, K::Byte, 1},      {7, 8, K::Byte, 1},     {8, 7, K::Byte, 1},    {9, 6, K::Byte, 1},
    {10, 10, K::Word, 3},    {16, 16, K::Word, 8},   {32, 32, K::Word, 4},  {40, 40, K::Word, 8},
    {56, 56, K::Word, 7},    {70, 70, K::Byte, 2},   {72, 72, K::Word, 4},  {80, 80, K::Byte, 4},
    {84, 84, K::Word, 14},   {152, 112, K::Word, 14}, {220, 140, K::Word, 14},
    {288, 168, K::Byte, 10}, {298, 178, K::Word, 6}, {310, 190, K::Byte, 8},
    {318, 198, K::Word, 6},  {330, 210, K::Byte, 42},
    {372, 252, K::Word, 1},  {374, 254, K::Byte, 2}, {376, 256, K::Word, 1},
    {378, 258, K::Byte, 2},  {380, 260, K::Word, 1}, {382, 262, K::Byte, 2},
    {384, 264, K::Word, 1},  {386, 266, K::Byte, 4},
    {392, 270, K::Gear, 8},  {424, 286, K::Byte, 10}, {434, 296, K::Word, 2},
};

constexpr bool CoversImageOnce() {
  int seen[kConfigImageSize] = {};
  for (const ImageField& f : kImageFields) {
    if (f.blockOffset + f.count * BlockSize(f.kind) > sizeof(TConfigBlock)) return false;
    for (size_t i = 0; i < f.count * ImageSize(f.kind); ++i) {
      if (f.imageOffset + i >= kConfigImageSize) return false;
      ++seen[f.imageOffset + i];
    }
  }
  for (int n : seen)
    if (n != 1) return false;
  return true;
}
static_assert(CoversImageOnce(), "every image byte comes from exactly one block field");

// The reply's bytes beyond the image fields that the block keeps without uploading.
constexpr size_t kReplyTailFirst = 295;
constexpr size_t kImageWord234 = 234;

uint8_t* Bytes(TConfigBlock& b) { return reinterpret_cast<uint8_t*>(&b); }
const uint8_t* Bytes(const TConfigBlock& b) { return reinterpret_cast<const uint8_t*>(&b); }

void WriteLE16(uint8_t* p, uint16_t v) {
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
}
uint32_t ReadLE32(const uint8_t* p) {
  return uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
}
void WriteLE32(uint8_t* p, uint32_t v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}

uint16_t RangeDiv10(const TConfigBlock& b) {
  // A maximum below the minimum has no range; the word is unsigned on the ECU.
  return b.TPSMax > b.TPSMin ? static_cast<uint16_t>((b.TPSMax - b.TPSMin) / 10) : 0;
}

}  // namespace

void ApplyConfigDefaults(TConfigBlock& b) {
  b.Reserved0 = 0;
  b.Cylinders = 4;
  b.CrankTrigger = 17;
  b.CamTrigger = 0;
  b.OptionBits = 0;
  std::fill(std::begin(b.OutputAssignment), std::end(b.OutputAssignment), 0);
  b.ReferenceAdvance = 180;
  b.LockAtAdvance = 40;
  b.Reserved14 = 0;
  const int16_t offsets[4] = {0, 360, 0, 360};
  std::copy(std::begin(offsets), std::end(offsets), b.CylinderOffset);
  std::fill(std::begin(b.CustomInjAngle), std::end(b.CustomInjAngle), 0);
  b.TPSMax = 800;
  b.TPSMin = 60;
  b.TPSRangeDiv10 = 74;
  b.MapSensitivity = 0;
  b.MapOffset = 0;
  b.Reserved66[0] = b.Reserved66[1] = 0;
  b.MapSource = b.MapDamp = 0;
  b.BaroSensitivity = 0;
  b.BaroOffset = 0;
  b.Reserved76[0] = b.Reserved76[1] = 0;
  b.BaroSource = b.BaroDamp = b.AuxTempChannel = b.SensorOptions = 0;
  const uint8_t fail[3][3] = {{255, 0, 80}, {255, 0, 120}, {255, 0, 120}};
  std::memcpy(b.SensorFail, fail, sizeof fail);
  b.TachoMultiplier = 64;
  const uint16_t counts[6] = {0, 205, 410, 614, 819, 1023};
  std::copy(std::begin(counts), std::end(counts), b.AFRInputCounts);
  const uint8_t ratios[6] = {110, 120, 130, 140, 150, 160};
  std::copy(std::begin(ratios), std::end(ratios), b.AFRInputRatio);
  b.AFRInputSource = b.AFRDamp = 0;
  std::fill(std::begin(b.Reserved318), std::end(b.Reserved318), 0);
  // 330 to 345 all default to 0.
  std::memset(Bytes(b) + offsetof(TConfigBlock, Reserved330), 0,
              offsetof(TConfigBlock, BoostSetLo) - offsetof(TConfigBlock, Reserved330));
  b.IACVType = 0;
  b.PWMFrequency = 0;
  b.PWMMaxDuration = 100;
  b.PWMMinDuration = 0;
  std::fill(std::begin(b.OutputChannel), std::end(b.OutputChannel), 0);
  b.OutputChannel[kShiftLightChannel] = 6;
  std::fill(std::begin(b.ReplyTail), std::end(b.ReplyTail), 0);
  b.ImageWord234 = 0;
  std::fill(b.PcOnly634, b.PcOnly634 + 4, 0);
}

void SetThrottleMaximum(TConfigBlock& b, uint16_t counts) {
  b.TPSMax = counts;
  b.TPSRangeDiv10 = RangeDiv10(b);
}

void SetThrottleMinimum(TConfigBlock& b, uint16_t counts) {
  b.TPSMin = counts;
  b.TPSRangeDiv10 = RangeDiv10(b);
}

std::pair<uint8_t, uint8_t> EncodeGearRatio(uint32_t ratio) {
  // Ratios go up to 25.5; a larger one in a file or an unrefreshed block goes as 25.5.
  ratio = std::min<uint32_t>(ratio, 255000);
  uint32_t whole = ratio / 10000;
  // (ratio mod 10000) x 256 / 10000 to nearest; an exact half cannot occur.
  uint32_t fraction = ((ratio % 10000) * 256 + 5000) / 10000;
  if (fraction == 256) {  // 9981 and more round up into the next whole number
    ++whole;
    fraction = 0;
  }
  return {static_cast<uint8_t>(whole), static_cast<uint8_t>(fraction)};
}

uint32_t DecodeGearRatio(uint8_t integerPart, uint8_t fraction) {
  return uint32_t{integerPart} * 10000 + uint32_t{fraction} * 10000 / 256;
}

ConfigImage EncodeConfigImage(const TConfigBlock& block) {
  ConfigImage image{};
  const uint8_t* src = Bytes(block);
  for (const ImageField& f : kImageFields) {
    for (size_t i = 0; i < f.count; ++i) {
      const uint8_t* from = src + f.blockOffset + i * BlockSize(f.kind);
      uint8_t* to = image.data() + f.imageOffset + i * ImageSize(f.kind);
      switch (f.kind) {
        case K::Byte: to[0] = from[0]; break;
        case K::Word: to[0] = from[1]; to[1] = from[0]; break;
        case K::Gear: std::tie(to[0], to[1]) = EncodeGearRatio(ReadLE32(from)); break;
      }
    }
  }
  return image;
}

std::array<AnsiString, 2> ConfigUploadFrames(const TConfigBlock& block) {
  const ConfigImage image = EncodeConfigImage(block);
  const std::string_view bytes(reinterpret_cast<const char*>(image.data()), image.size());
  return {ecu::MemoryWriteFrame(0x0100, bytes.substr(0, 140)),
          ecu::MemoryWriteFrame(0x018C, bytes.substr(140))};
}

void DecodeConfigReply(std::string_view reply, TConfigBlock& readCopy, TConfigBlock& block) {
  const auto* in = reinterpret_cast<const uint8_t*>(reply.data());
  const size_t n = reply.size();
  // Which block bytes this reply carries; every other byte is the PC's own (sensor table
  // space, the file-only bytes, what a short reply does not reach) and keeps the working
  // block's value in both copies, so a read neither loses them nor shows them as changes.
  std::array<bool, sizeof(TConfigBlock)> carried{};
  auto carry = [&](size_t from, size_t count) { std::fill_n(carried.begin() + static_cast<std::ptrdiff_t>(from), count, true); };
  if (n >= kImageWord234 + 2) carry(offsetof(TConfigBlock, ImageWord234), 2);
  for (const ImageField& f : kImageFields)
    for (size_t i = 0; i < f.count; ++i)
      if (f.imageOffset + (i + 1) * ImageSize(f.kind) <= n) carry(f.blockOffset + i * BlockSize(f.kind), BlockSize(f.kind));
  for (size_t i = 0; i < sizeof readCopy.ReplyTail && kReplyTailFirst + i < n; ++i)
    carry(offsetof(TConfigBlock, ReplyTail) + i, 1);
  uint8_t* dst = Bytes(readCopy);
  const uint8_t* own = Bytes(block);
  for (size_t i = 0; i < carried.size(); ++i)
    if (!carried[i]) dst[i] = own[i];

  if (n >= kImageWord234 + 2)
    readCopy.ImageWord234 = static_cast<uint16_t>(in[kImageWord234] << 8 | in[kImageWord234 + 1]);
  for (const ImageField& f : kImageFields) {
    for (size_t i = 0; i < f.count; ++i) {
      const size_t at = f.imageOffset + i * ImageSize(f.kind);
      // A field is taken only whole: half a word from a short reply would corrupt it.
      if (at + ImageSize(f.kind) > n) continue;
      uint8_t* to = dst + f.blockOffset + i * BlockSize(f.kind);
      switch (f.kind) {
        case K::Byte: to[0] = in[at]; break;
        case K::Word: WriteLE16(to, static_cast<uint16_t>(in[at] << 8 | in[at + 1])); break;
        case K::Gear: WriteLE32(to, DecodeGearRatio(in[at], in[at + 1])); break;
      }
    }
  }
  for (size_t i = 0; i < sizeof readCopy.ReplyTail && kReplyTailFirst + i < n; ++i)
    readCopy.ReplyTail[i] = in[kReplyTailFirst + i];

  block = BlockFromReadCopy(readCopy);
}

TConfigBlock BlockFromReadCopy(const TConfigBlock& readCopy) {
  TConfigBlock block = readCopy;
  if (block.MapSwSource > 7) block.MapSwSource = 0;
  if (block.AFRInputSource > 5) block.AFRInputSource = 5;
  return block;
}

}  // namespace config

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

#include "model/ConfigBlock.h"

using namespace config;

namespace {

uint8_t* Raw(TConfigBlock& b) { return reinterpret_cast<uint8_t*>(&b); }

TConfigBlock Filled(uint8_t value) {
  TConfigBlock b;
  std::memset(&b, value, sizeof b);
  return b;
}

AnsiString Reply(size_t length, uint32_t seed) {
  std::mt19937 rng(seed);
  AnsiString s(length, '\0');
  for (char& c : s) c = static_cast<char>(rng() & 0xFF);
  return s;
}

uint8_t At(const AnsiString& s, size_t i) { return static_cast<uint8_t>(s[i]); }

}  // namespace

TEST(ConfigBlock, DefaultsByteByByte) {
  // Bytes with a default, little-endian; every other byte must keep its value.
  struct Run {
    size_t offset;
    std::vector<uint8_t> bytes;
  };
  const Run runs[] = {
      {0, {0, 4, 17, 0, 0, 0, 0, 0, 0, 0, 180, 0, 40, 0, 0, 0}},
      {32, {0, 0, 0x68, 0x01, 0, 0, 0x68, 0x01}},
      {40, std::vector<uint8_t>(16, 0)},
      {56, {0x20, 0x03, 60, 0, 74, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
      {72, std::vector<uint8_t>(12, 0)},
      {288, {255, 0, 80, 255, 0, 120, 255, 0, 120, 64}},
      {298, {0, 0, 205, 0, 0x9A, 0x01, 0x66, 0x02, 0x33, 0x03, 0xFF, 0x03}},
      {310, {110, 120, 130, 140, 150, 160, 0, 0}},
      {318, std::vector<uint8_t>(28, 0)},  // 318 .. 345
      {348, {0, 0, 100, 0, 0, 0, 0, 0, 0, 0, 6, 0, 0, 0, 0, 0}},
      {438, std::vector<uint8_t>(200, 0)},  // 438 .. 637
  };
  std::vector<uint8_t> expected(sizeof(TConfigBlock), 0xAA);
  for (const Run& r : runs) std::copy(r.bytes.begin(), r.bytes.end(), expected.begin() + r.offset);

  TConfigBlock b = Filled(0xAA);
  ApplyConfigDefaults(b);
  const uint8_t* got = Raw(b);
  for (size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(got[i], expected[i]) << "offset " << i;
}

TEST(ConfigBlock, ThrottleRangeKeptInStep) {
  TConfigBlock b{};
  SetThrottleMaximum(b, 900);
  SetThrottleMinimum(b, 120);
  EXPECT_EQ(b.TPSRangeDiv10, 78);
  SetThrottleMaximum(b, 100);  // below the minimum: no range rather than a wrapped one
  EXPECT_EQ(b.TPSRangeDiv10, 0);
}

TEST(ConfigImage, FieldsTravelAsTheEcuKeepsThem) {
  TConfigBlock b{};
  b.Cylinders = 6;
  b.OptionBits = 0x1234;
  const uint8_t outputs[4] = {0x11, 0x22, 0x33, 0x44};
  std::memcpy(b.OutputAssignment, outputs, 4);
  b.CylinderOffset[1] = -2;
  b.CoolantTempTable[0] = 0x0102;
  b.AuxTempTable[13] = 0x0304;
  b.SensorFail[2][2] = 120;
  b.OutputChannel[2] = 9;  // block 354, image 234
  b.WssWheelRoll2 = 0xABCD;
  b.Wss4Enabled = 1;
  b.GearRatio[0] = 12345;
  b.GearRatio[7] = 255000;
  b.NumSpin1 = 0x55;
  b.SpinEdit2 = 0x0A0B;
  Raw(b)[500] = 0x77;  // PC only: never in the image

  const ConfigImage img = EncodeConfigImage(b);
  const std::pair<size_t, uint8_t> expected[] = {
      {1, 6},      {4, 0x12},   {5, 0x34},   {6, 0x44},   {7, 0x33},   {8, 0x22},
      {9, 0x11},   {34, 0xFF},  {35, 0xFE},  {112, 0x01}, {113, 0x02}, {166, 0x03},
      {167, 0x04}, {176, 120},  {234, 9},    {256, 0xAB}, {257, 0xCD}, {266, 1},
      {270, 1},    {271, 60},   {284, 25},   {285, 128},  {295, 0x55}, {298, 0x0A},
      {299, 0x0B},
  };
  for (const auto& [at, value] : expected) EXPECT_EQ(img[at], value) << "image byte " << at;
  EXPECT_EQ(std::count(img.begin(), img.end(), 0x77), 0);
}

TEST(ConfigImage, GearRatios) {
  struct Case {
    uint32_t ratio;
    uint8_t whole, fraction;
  } encode[] = {
      {12345, 1, 60}, {255000, 25, 128}, {0, 0, 0}, {10000, 1, 0},
      {99990, 10, 0},          // a fraction rounding to 256 carries into the whole part
      {255001, 25, 128},       // ratios above 25.5 go as 25.5
      {256000, 25, 128},
      {4000000000u, 25, 128},
  };
  for (const Case& c : encode) {
    EXPECT_EQ(EncodeGearRatio(c.ratio), std::make_pair(c.whole, c.fraction)) << c.ratio;
  }
  EXPECT_EQ(DecodeGearRatio(1, 60), 12343u);
  EXPECT_EQ(DecodeGearRatio(0, 8), 312u);
  EXPECT_EQ(DecodeGearRatio(0, 255), 9960u);
}

TEST(ConfigImage, UploadFrames) {
  TConfigBlock b{};
  ApplyConfigDefaults(b);
  const ConfigImage img = EncodeConfigImage(b);
  const auto frames = ConfigUploadFrames(b);
  ASSERT_EQ(frames[0].size(), 146u);
  ASSERT_EQ(frames[1].size(), 166u);
  EXPECT_EQ(frames[0].substr(0, 5), AnsiString("$i\x01\x00\x92", 5));
  EXPECT_EQ(frames[1].substr(0, 5), AnsiString("$i\x01\x8C\xA6", 5));
  EXPECT_EQ(frames[0].substr(5, 140), AnsiString(img.begin(), img.begin() + 140));
  EXPECT_EQ(frames[1].substr(5, 160), AnsiString(img.begin() + 140, img.end()));
  for (const AnsiString& f : frames) {
    unsigned sum = 0;
    for (char c : f) sum += static_cast<uint8_t>(c);
    EXPECT_EQ(sum % 256, 0u);
  }
}

TEST(ConfigReply, ImageRoundTripsThroughTheBlock) {
  for (uint32_t seed = 1; seed <= 20; ++seed) {
    AnsiString reply = Reply(300, seed);
    reply[196] = 3;  // inside the ranges the working block enforces
    reply[218] = 7;
    for (size_t g = 270; g < 286; g += 2) reply[g] = static_cast<char>(static_cast<uint8_t>(reply[g]) % 25);  // ratios up to 25.5
    TConfigBlock readCopy{}, block{};
    DecodeConfigReply(reply, readCopy, block);
    const ConfigImage img = EncodeConfigImage(block);
    EXPECT_EQ(AnsiString(img.begin(), img.end()), reply) << "seed " << seed;
    EXPECT_EQ(std::memcmp(&readCopy, &block, sizeof block), 0);
  }
}

TEST(ConfigReply, BlockRoundTripsThroughTheImage) {
  TConfigBlock b = Filled(0);
  std::mt19937 rng(7);
  for (size_t i = 0; i < sizeof b; ++i) Raw(b)[i] = static_cast<uint8_t>(rng());
  for (auto& g : b.GearRatio) g = DecodeGearRatio(static_cast<uint8_t>(rng() % 25), static_cast<uint8_t>(rng()));
  b.AFRInputSource = 2;
  b.MapSwSource = 5;
  const ConfigImage img = EncodeConfigImage(b);
  TConfigBlock readCopy{}, block = b;
  DecodeConfigReply(AnsiString(img.begin(), img.end()), readCopy, block);
  // 438 .. 442 take reply bytes 295 .. 299; 632 takes image word 234.
  TConfigBlock expected = b;
  std::memcpy(expected.ReplyTail, img.data() + 295, 5);
  expected.ImageWord234 = static_cast<uint16_t>(img[234] << 8 | img[235]);
  EXPECT_EQ(std::memcmp(&block, &expected, sizeof block), 0);
}

// Bytes the reply does not carry are the working block's in both copies afterwards: the
// PC-only bytes of a loaded file survive a read and do not show as changes.
TEST(ConfigReply, UncarriedBytesKeepTheWorkingBlocks) {
  TConfigBlock readCopy = Filled(0x11), block = Filled(0xEE);
  AnsiString reply = Reply(300, 3);
  reply[196] = 2;  // inside the ranges the working block enforces
  reply[218] = 3;
  DecodeConfigReply(reply, readCopy, block);
  for (size_t i = 0; i < 5; ++i) EXPECT_EQ(readCopy.ReplyTail[i], At(reply, 295 + i));
  for (size_t i = 5; i < sizeof readCopy.ReplyTail; ++i) EXPECT_EQ(readCopy.ReplyTail[i], 0xEE);
  EXPECT_EQ(readCopy.ImageWord234, At(reply, 234) << 8 | At(reply, 235));
  for (const TConfigBlock* c : {&readCopy, &block}) {
    EXPECT_EQ(c->PcOnly390[0], 0xEE);
    for (uint8_t v : c->PcOnly112) EXPECT_EQ(v, 0xEE);
    for (uint8_t v : c->PcOnly248) EXPECT_EQ(v, 0xEE);
    for (uint8_t v : c->PcOnly634) EXPECT_EQ(v, 0xEE);
  }
  EXPECT_EQ(std::memcmp(&readCopy, &block, sizeof block), 0);

  // A long reply fills the whole tail and nothing past it.
  TConfigBlock full = Filled(0x11);
  block = Filled(0xEE);
  const AnsiString longReply = Reply(600, 4);
  DecodeConfigReply(longReply, full, block);
  EXPECT_EQ(full.ReplyTail[193], At(longReply, 488));
  EXPECT_EQ(full.ImageWord234, At(longReply, 234) << 8 | At(longReply, 235));
  for (uint8_t v : full.PcOnly634) EXPECT_EQ(v, 0xEE);

  // A short reply leaves whole fields alone rather than half-writing a word.
  TConfigBlock part = Filled(0x11);
  block = Filled(0xEE);
  const AnsiString shortReply = Reply(101, 5);
  DecodeConfigReply(shortReply, part, block);
  EXPECT_EQ(part.AirTempTable[7], At(shortReply, 98) << 8 | At(shortReply, 99));
  EXPECT_EQ(part.AirTempTable[8], 0xEEEE);  // image 100-101: byte 101 missing
  EXPECT_EQ(part.ImageWord234, 0xEEEE);
}

TEST(ConfigReply, WorkingBlockBringsChoicesIntoRange) {
  AnsiString reply(300, '\0');
  reply[196] = 9;
  reply[218] = 8;
  TConfigBlock readCopy{}, block{};
  DecodeConfigReply(reply, readCopy, block);
  EXPECT_EQ(block.AFRInputSource, 5);
  EXPECT_EQ(block.MapSwSource, 0);
  EXPECT_EQ(readCopy.AFRInputSource, 9);
  EXPECT_EQ(readCopy.MapSwSource, 8);
}

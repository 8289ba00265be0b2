#include <gtest/gtest.h>

#include <string>

#include "ecusim/Framing.h"

namespace ecusim {
namespace {

std::string Bytes(std::initializer_list<unsigned> list) {
  std::string s;
  for (const unsigned b : list) s += static_cast<char>(b);
  return s;
}

TEST(EcusimFraming, StuffingRoundTrip) {
  struct Row {
    std::string raw, stuffed;
  } rows[] = {
      {Bytes({0x01, 0xC0, 0x02}), Bytes({0x01, 0xDB, 0xDC, 0x02})},
      {Bytes({0xDB}), Bytes({0xDB, 0xDD})},
      {Bytes({0xDB, 0xC0}), Bytes({0xDB, 0xDD, 0xDB, 0xDC})},
      {"plain", "plain"},
  };
  for (const auto& r : rows) {
    EXPECT_EQ(Stuff(r.raw), r.stuffed);
    EXPECT_EQ(Unstuff(r.stuffed), r.raw);
  }
  // DB followed by anything else yields that byte.
  EXPECT_EQ(Unstuff(Bytes({0xDB, 0x41})), "A");
}

TEST(EcusimFraming, PacketLayoutAndDecoding) {
  const std::string line = EncodePacket(3, 1, Bytes({0xC0, 0x10}), 5);
  EXPECT_EQ(line, Bytes({0xDB, 0xC0, 3, 1, 0xDB, 0xDC, 0x10, 5, 0xC0}));
  std::string rest;
  const auto packets = DecodePackets(line + EncodeShortPacket(10, 'S') + Bytes({0xDB, 0xC0, 0}), &rest);
  ASSERT_EQ(packets.size(), 2u);
  EXPECT_EQ(packets[0].data, Bytes({0xC0, 0x10}));
  EXPECT_EQ(packets[0].trailer, 5);
  EXPECT_EQ(packets[1].type, 10);
  EXPECT_EQ(packets[1].sub, 'S');
  EXPECT_EQ(packets[1].trailer, -1);
  EXPECT_EQ(rest, Bytes({0xDB, 0xC0, 0}));
}

TEST(EcusimFraming, SplitKeepsEveryPacketWithinTheLineLimitAndLongEnough) {
  // Ordinary bytes, bytes that all need escaping, and a length that leaves a short tail.
  const std::string cases[] = {std::string(6144, '\x11'), std::string(600, '\xC0'),
                               std::string(246 * 2 + 3, '\x22')};
  for (const auto& data : cases) {
    std::string joined;
    for (const auto piece : SplitForPackets(data)) {
      EXPECT_LE(EncodePacket(8, 1, piece, 0).size(), kMaxLinePacket);
      EXPECT_GE(piece.size(), kMinPacketData);
      joined += piece;
    }
    EXPECT_EQ(joined, data);
  }
  EXPECT_EQ(SplitForPackets(std::string(6144, '\x11')).size(), 25u);
}

TEST(EcusimFraming, ChecksumRules) {
  // "$A" FF 9C sums to 0x200.
  EXPECT_EQ(Frame('A', "\xFF"), Bytes({0x24, 0x41, 0xFF, 0x9C}));
  EXPECT_EQ(Frame('D', "\x03"), Bytes({0x24, 0x44, 0x03, 0x95}));
  EXPECT_EQ(Frame('*', "\x01"), Bytes({0x24, 0x2A, 0x01, 0xB1}));
  const std::string write = MemoryWriteFrame(0x0AB3, "\x12");
  EXPECT_EQ(write.substr(0, 6), Bytes({0x24, 0x69, 0x0A, 0xB3, 0x07, 0x12}));
  EXPECT_EQ(SumZeroChecksum(write), 0);
  // The firmware start frame's running checksum folds once it passes 255.
  EXPECT_EQ(FirmwareStartChecksum(Bytes({0, 0, 0x7E, 0})), 0x0C);
  EXPECT_EQ(FirmwareStartChecksum(Bytes({0, 0, 0xA0, 0})), 0x16);
}

}  // namespace
}  // namespace ecusim

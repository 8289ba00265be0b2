#include <gtest/gtest.h>

#include "link/EcuPacket.h"

using namespace ecu;

namespace {
AnsiString B(std::initializer_list<int> bytes) {
  AnsiString s;
  for (int b : bytes) s.push_back(static_cast<char>(b));
  return s;
}
}  // namespace

TEST(EcuPacket, Unstuffing) {
  struct Case {
    AnsiString in, out;
  } cases[] = {
      {B({0xDB, 0xDC}), B({0xC0})},
      {B({0xDB, 0xDD}), B({0xDB})},
      {B({0x01, 0xDB, 0x41, 0x02}), B({0x01, 0x41, 0x02})},  // DB before anything else
      {B({0xDB, 0xDB, 0xDD}), B({0xDB, 0xDD})},  // DB then a plain DD
      {B({0x41, 0xDB}), B({0x41})},  // a closing escape stands for nothing
      {B({}), B({})},
      {B({0xC0, 0x00}), B({0xC0, 0x00})},
  };
  for (const Case& c : cases) EXPECT_EQ(UnstuffSlip(c.in), c.out);
}

TEST(EcuPacket, HeaderAndTrailerAreTakenRaw) {
  const auto p = DecodePacketBody(B({0x03, 0xDB, 0xDB, 0xDC, 0x11, 0x22, 0x33, 0x44, 0xDB, 0xDD}));
  ASSERT_TRUE(p);
  EXPECT_EQ(p->type, 3);
  EXPECT_EQ(p->kind, PacketKind::ConfigChunk);
  EXPECT_EQ(p->subCode, 0xDB);
  // The escape before the trailer is dropped; the trailer DD stays the trailer.
  EXPECT_EQ(p->data, B({0xC0, 0x11, 0x22, 0x33, 0x44}));
  EXPECT_EQ(p->trailer, 0xDD);
}

TEST(EcuPacket, LengthRules) {
  auto body = [](int type, size_t length) {
    AnsiString s(length, '\x01');
    if (length) s[0] = static_cast<char>(type);
    return s;
  };
  EXPECT_FALSE(DecodePacketBody(body(0, 9)));
  EXPECT_TRUE(DecodePacketBody(body(0, 10)));
  EXPECT_FALSE(DecodePacketBody(body(10, 1)));
  EXPECT_FALSE(DecodePacketBody(""));
  EXPECT_TRUE(DecodePacketBody(body(0, kMaxPacketBody)));
  EXPECT_FALSE(DecodePacketBody(body(0, kMaxPacketBody + 1)));

  const auto flash = DecodePacketBody(B({10, 'S'}));
  ASSERT_TRUE(flash);
  EXPECT_EQ(flash->kind, PacketKind::FlashReply);
  EXPECT_EQ(flash->subCode, 'S');
  EXPECT_TRUE(flash->data.empty());

  // Ignored types still count as packets (they end a run of configuration chunks).
  const auto other = DecodePacketBody(body(7, 10));
  ASSERT_TRUE(other);
  EXPECT_EQ(other->kind, PacketKind::Ignored);
  EXPECT_EQ(other->data.size(), 7u);
}

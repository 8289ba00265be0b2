#pragma once
// Packets from the ECU: the body the packet component delivers (the bytes between the
// opening DB C0 and the closing C0), taken apart and routed by its type byte.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

#include "platform/rtl/AnsiString.h"

class TApdDataPacket;

namespace ecu {

// The packet component's limit on a body; a longer one cannot be a real packet.
constexpr size_t kMaxPacketBody = 252;

// Reverses the ECU's SLIP stuffing: DB DC is C0, DB DD is DB, DB before any other byte
// gives that byte. A DB with nothing after it is dropped.
AnsiString UnstuffSlip(std::string_view stuffed);

// What the packet handler does with a packet type.
enum class PacketKind {
  FastLive,     // 0
  SlowLive,     // 1
  Status,       // 2
  ConfigChunk,  // 3, trailer 5 when more chunks follow
  Reply,        // 4, by sub-code: 5 lock message, 6 sensor counts
  MapData,      // 8
  FlashReply,   // 10, code in the sub-code byte
  Ignored,      // 5, 6, 7, 9, 11 and above
};

struct PacketRoute {
  PacketKind kind;
  size_t minBodyLength;  // bodies shorter than this are dropped
};

PacketRoute RouteOfType(uint8_t type);

// Trailer value of a configuration chunk that says more chunks follow.
constexpr uint8_t kConfigMoreFollows = 5;
// Sub-codes of type-4 replies.
constexpr uint8_t kReplyLockMessage = 5;
constexpr uint8_t kReplySensorCounts = 6;

struct EcuPacket {
  uint8_t type = 0;
  uint8_t subCode = 0;
  AnsiString data;  // body bytes 2 .. L-2, unstuffed
  uint8_t trailer = 0;
  PacketKind kind = PacketKind::Ignored;
};

// Shapes a packet component to cut the ECU's stream into bodies: "DB C0" <body> "C0",
// case kept, markers left out, at most kMaxPacketBody bytes, a body that does not end
// within 40 ticks dropped; detection is switched on.
void ShapeEcuPacket(TApdDataPacket& packet);

// Splits a delivered body into its parts. Returns nothing for a body the handler must
// drop: shorter than its type's minimum (and never below 2 bytes) or longer than
// kMaxPacketBody. Type, sub-code and trailer are taken raw; only the data is unstuffed.
std::optional<EcuPacket> DecodePacketBody(std::string_view body);

}  // namespace ecu

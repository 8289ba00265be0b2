#include "link/EcuPacket.h"

namespace ecu {

AnsiString UnstuffSlip(std::string_view stuffed) {
  constexpr char kEsc = static_cast<char>(0xDB);
  AnsiString out;
  out.reserve(stuffed.size());
  for (size_t i = 0; i < stuffed.size(); ++i) {
    char c = stuffed[i];
    if (c == kEsc) {
      // A closing escape has nothing to stand for; the trailer is not part of the data.
      if (++i == stuffed.size()) break;
      c = stuffed[i];
      if (c == static_cast<char>(0xDC))
        c = static_cast<char>(0xC0);
      else if (c == static_cast<char>(0xDD))
        c = kEsc;
    }
    out.push_back(c);
  }
  return out;
}

PacketRoute RouteOfType(uint8_t type) {
  switch (type) {
    case 0: return {PacketKind::FastLive, 10};
    case 1: return {PacketKind::SlowLive, 10};
    case 2: return {PacketKind::Status, 10};
    case 3: return {PacketKind::ConfigChunk, 10};
    case 4: return {PacketKind::Reply, 10};
    case 8: return {PacketKind::MapData, 10};
    case 10: return {PacketKind::FlashReply, 2};
    default: return {PacketKind::Ignored, 10};
  }
}

std::optional<EcuPacket> DecodePacketBody(std::string_view body) {
  if (body.size() < 2 || body.size() > kMaxPacketBody) return std::nullopt;
  EcuPacket p;
  p.type = static_cast<uint8_t>(body[0]);
  const PacketRoute route = RouteOfType(p.type);
  if (body.size() < route.minBodyLength) return std::nullopt;
  p.kind = route.kind;
  p.subCode = static_cast<uint8_t>(body[1]);
  p.trailer = static_cast<uint8_t>(body.back());
  // Data are bytes 2 .. L-2; a two-byte body has none (its last byte is the sub-code).
  if (body.size() > 3) p.data = UnstuffSlip(body.substr(2, body.size() - 3));
  return p;
}

}  // namespace ecu

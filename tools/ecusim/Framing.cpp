#include "ecusim/Framing.h"

namespace ecusim {

namespace {
constexpr unsigned char kEnd = 0xC0;
constexpr unsigned char kEsc = 0xDB;
constexpr unsigned char kEscEnd = 0xDC;
constexpr unsigned char kEscEsc = 0xDD;

bool NeedsEscape(unsigned char b) { return b == kEnd || b == kEsc; }
}  // namespace

std::string Stuff(std::string_view data) {
  std::string out;
  out.reserve(data.size() + 8);
  for (const char c : data) {
    const auto b = static_cast<unsigned char>(c);
    if (b == kEnd) {
      out += static_cast<char>(kEsc);
      out += static_cast<char>(kEscEnd);
    } else if (b == kEsc) {
      out += static_cast<char>(kEsc);
      out += static_cast<char>(kEscEsc);
    } else {
      out += c;
    }
  }
  return out;
}

std::string Unstuff(std::string_view data) {
  std::string out;
  out.reserve(data.size());
  for (std::size_t i = 0; i < data.size(); ++i) {
    const auto b = static_cast<unsigned char>(data[i]);
    if (b != kEsc) {
      out += data[i];
      continue;
    }
    if (++i >= data.size()) break;  // a lone DB at the end yields nothing
    const auto next = static_cast<unsigned char>(data[i]);
    out += static_cast<char>(next == kEscEnd ? kEnd : next == kEscEsc ? kEsc : next);
  }
  return out;
}

std::string EncodePacket(std::uint8_t type, std::uint8_t sub, std::string_view data,
                         std::uint8_t trailer) {
  std::string out = "\xDB\xC0";
  out += static_cast<char>(type);
  out += static_cast<char>(sub);
  out += Stuff(data);
  out += static_cast<char>(trailer);
  out += static_cast<char>(kEnd);
  return out;
}

std::string EncodeShortPacket(std::uint8_t type, std::uint8_t sub) {
  std::string out = "\xDB\xC0";
  out += static_cast<char>(type);
  out += static_cast<char>(sub);
  out += static_cast<char>(kEnd);
  return out;
}

std::vector<std::string_view> SplitForPackets(std::string_view data) {
  std::vector<std::string_view> pieces;
  std::size_t start = 0;
  while (start < data.size()) {
    std::size_t stuffed = 0;
    std::size_t end = start;
    while (end < data.size()) {
      const std::size_t cost = NeedsEscape(static_cast<unsigned char>(data[end])) ? 2 : 1;
      if (stuffed + cost > kMaxStuffedData) break;
      stuffed += cost;
      ++end;
    }
    pieces.push_back(data.substr(start, end - start));
    start = end;
  }
  if (pieces.size() >= 2 && pieces.back().size() < kMinPacketData) {
    // Shortening the piece before only lowers its stuffed size; the last one grows by at
    // most kMinPacketData bytes, far below the limit.
    const std::size_t move = kMinPacketData - pieces.back().size();
    std::string_view& prev = pieces[pieces.size() - 2];
    const std::size_t lastStart = static_cast<std::size_t>(prev.data() - data.data()) + prev.size() - move;
    prev = prev.substr(0, prev.size() - move);
    pieces.back() = data.substr(lastStart);
  }
  return pieces;
}

std::vector<Packet> DecodePackets(std::string_view line, std::string* rest) {
  std::vector<Packet> packets;
  std::size_t pos = 0;
  std::size_t consumed = 0;
  while (true) {
    const std::size_t start = line.find("\xDB\xC0", pos);
    if (start == std::string_view::npos) {
      // Keep a trailing DB: it may be the first half of the next start marker.
      consumed = (!line.empty() && static_cast<unsigned char>(line.back()) == kEsc)
                     ? line.size() - 1
                     : line.size();
      break;
    }
    const std::size_t bodyStart = start + 2;
    const std::size_t end = line.find(static_cast<char>(kEnd), bodyStart);
    if (end == std::string_view::npos) {
      consumed = start;
      break;
    }
    const std::string_view body = line.substr(bodyStart, end - bodyStart);
    pos = end + 1;
    consumed = pos;
    if (body.size() < 2) continue;
    Packet p;
    p.type = static_cast<std::uint8_t>(body[0]);
    p.sub = static_cast<std::uint8_t>(body[1]);
    p.bodySize = body.size();
    if (body.size() >= 3) {
      p.trailer = static_cast<unsigned char>(body.back());
      p.data = Unstuff(body.substr(2, body.size() - 3));
    }
    packets.push_back(std::move(p));
  }
  if (rest) *rest = std::string(line.substr(consumed));
  return packets;
}

std::uint8_t SumZeroChecksum(std::string_view frame) {
  unsigned sum = 0;
  for (const char c : frame) sum += static_cast<unsigned char>(c);
  return static_cast<std::uint8_t>(0u - sum);
}

std::string Frame(char letter, std::string_view payload) {
  std::string f = "$";
  f += letter;
  f += payload;
  f += static_cast<char>(SumZeroChecksum(f));
  return f;
}

std::string MemoryWriteFrame(std::uint16_t address, std::string_view data) {
  std::string payload;
  payload += static_cast<char>(address >> 8);
  payload += static_cast<char>(address & 0xFF);
  payload += static_cast<char>(data.size() + 6);
  payload += data;
  return Frame('i', payload);
}

std::string SecureFrame(std::string frame, std::uint16_t key) {
  std::uint16_t k = key;
  for (std::size_t i = 4; i < frame.size(); ++i) {
    frame[i] = static_cast<char>(static_cast<unsigned char>(frame[i]) ^ (k & 0xFF));
    k = RotateKey(k);
  }
  k = key;
  unsigned sum = 0;
  for (const char c : frame) {
    sum += static_cast<unsigned char>(c) ^ (k & 0xFF);
    k = RotateKey(k);
  }
  frame += static_cast<char>(0u - sum);
  return frame;
}

std::uint8_t FirmwareStartChecksum(std::string_view lengthBytes) {
  int s = '$' + 'R';
  for (const char c : lengthBytes) {
    s += static_cast<unsigned char>(c);
    if (s > 255) s = 256 - s;
  }
  return static_cast<std::uint8_t>((256 - s) & 0xFF);
}

}  // namespace ecusim

#pragma once
// Byte formats of the serial line as the simulated ECU sees them: command frames coming in,
// SLIP-stuffed packets going out. Also the decoder and frame builders its tests use to play
// the PC's part.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace ecusim {

// A packet on the line (DB C0, body, C0) never exceeds this; so the stuffed data of one
// packet (body minus type, sub-code and trailer) stays within kMaxStuffedData.
constexpr std::size_t kMaxLinePacket = 252;
constexpr std::size_t kMaxStuffedData = kMaxLinePacket - 3 - 3;

// Packet types the ECU sends (byte 0 of the body).
enum PacketType : std::uint8_t {
  kFastLive = 0,
  kSlowLive = 1,
  kStatus = 2,
  kConfigChunk = 3,
  kReply = 4,  // sub-code 5 lock message, 6 sensor counts
  kMapChunk = 8,
  kFirmwareReply = 10,
};

// Trailer of a configuration chunk that tells the PC more chunks follow.
constexpr std::uint8_t kMoreChunksFollow = 5;

// RFC 1055 stuffing: C0 becomes DB DC, DB becomes DB DD.
std::string Stuff(std::string_view data);
// The reverse; DB followed by any other byte yields that byte.
std::string Unstuff(std::string_view data);

// DB C0, type, sub-code, stuffed data, trailer, C0.
std::string EncodePacket(std::uint8_t type, std::uint8_t sub, std::string_view data,
                         std::uint8_t trailer);
// A two-byte body (type and sub-code only), as the firmware replies are sent.
std::string EncodeShortPacket(std::uint8_t type, std::uint8_t sub);

// The PC drops packets whose body is shorter than 10 bytes, so a piece of data carries at
// least this many bytes.
constexpr std::size_t kMinPacketData = 7;

// Cuts `data` into pieces whose stuffed form fits one packet. Pieces are as long as the
// limit allows, so a 6,144-byte bank of ordinary map bytes takes 25 packets; a last piece
// that would be too short for the PC borrows bytes from the one before.
std::vector<std::string_view> SplitForPackets(std::string_view data);

// One packet taken off the line.
struct Packet {
  std::uint8_t type = 0;
  std::uint8_t sub = 0;
  std::string data;        // unstuffed
  int trailer = -1;        // -1 for a two-byte body
  std::size_t bodySize = 0;  // as received, before unstuffing
};

// Finds every complete DB C0 ... C0 packet in `line`; bytes after the last complete packet
// are left in `rest` (when given) so a caller can join them with the next read.
std::vector<Packet> DecodePackets(std::string_view line, std::string* rest = nullptr);

// The byte that brings the byte sum of `frame` to 0 modulo 256.
std::uint8_t SumZeroChecksum(std::string_view frame);
// "$", the letter, the payload and its sum-0 checksum.
std::string Frame(char letter, std::string_view payload);
// A memory-write frame: "$i", address, total length, data, checksum.
std::string MemoryWriteFrame(std::uint16_t address, std::string_view data);

// Rotates a 16-bit key left by one bit, as the scrambling of secured frames does per byte.
constexpr std::uint16_t RotateKey(std::uint16_t k) {
  return static_cast<std::uint16_t>((k << 1) | (k >> 15));
}
// Secures a "$S" frame the way the PC does: bytes from the fifth on are XORed with the
// rotating key, then the checksum over the key-XORed frame is appended.
std::string SecureFrame(std::string frame, std::uint16_t key);
// The checksum of the "$R" firmware start frame: a running sum that folds back as 256 - s
// whenever it passes 255 (which is not the sum-0 rule once it folds).
std::uint8_t FirmwareStartChecksum(std::string_view lengthBytes);

}  // namespace ecusim

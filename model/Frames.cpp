#include "model/Frames.h"

#include "platform/rtl/SysUtils.h"

namespace ecu {
namespace {

AnsiString Bytes(std::initializer_list<uint8_t> bytes) {
  AnsiString s;
  for (uint8_t b : bytes) s.push_back(static_cast<char>(b));
  return s;
}

AnsiString CommandFrameOf(char letter, uint8_t code) {
  return CommandFrame(letter, Bytes({code}));
}

void AppendWord(AnsiString& s, uint16_t value) {
  s.push_back(static_cast<char>(value >> 8));
  s.push_back(static_cast<char>(value & 0xFF));
}

uint8_t CheckedBank(int bank) {
  if (bank < 1 || bank > 3) throw ERangeError("Map bank " + std::to_string(bank) + " out of range");
  return static_cast<uint8_t>(bank);
}

uint16_t RotateLeft(uint16_t k) { return static_cast<uint16_t>((k << 1) | (k >> 15)); }

// The header of the map lock frames: "$S", sub-code, total frame length, then two bytes
// whose meaning only the ECU knows.
AnsiString LockHeader(uint8_t subCode, uint8_t length, uint8_t b5) {
  return Bytes({'$', 'S', subCode, length, 0x00, b5});
}

}  // namespace

uint8_t FrameChecksum(std::string_view frame) {
  unsigned sum = 0;
  for (char c : frame) sum += static_cast<uint8_t>(c);
  return static_cast<uint8_t>(0u - sum);
}

AnsiString WithChecksum(AnsiString frame) {
  frame.push_back(static_cast<char>(FrameChecksum(frame)));
  return frame;
}

AnsiString CommandFrame(char letter, std::string_view payload) {
  AnsiString frame{'$', letter};
  frame.append(payload);
  return WithChecksum(std::move(frame));
}

AnsiString ConfigRequestFrame() { return "$c"; }
AnsiString StatusRequestFrame() { return "$s"; }

AnsiString MemoryWriteFrame(uint16_t address, std::string_view data) {
  // Header (5 bytes) + data + checksum must fit the length byte.
  constexpr size_t kMaxData = 255 - 6;
  if (data.size() > kMaxData)
    throw ERangeError("Memory write of " + std::to_string(data.size()) + " bytes is too long");
  AnsiString payload;
  AppendWord(payload, address);
  payload.push_back(static_cast<char>(data.size() + 6));
  payload.append(data);
  return CommandFrame('i', payload);
}

AnsiString MemoryWriteWordFrame(uint16_t address, uint16_t value) {
  AnsiString data;
  AppendWord(data, value);
  return MemoryWriteFrame(address, data);
}

AnsiString TelltaleKeycodeFrame(uint8_t codeByte1, uint8_t codeByte2) {
  return MemoryWriteFrame(0x00F8, Bytes({codeByte1, codeByte2}));
}

AnsiString ModelChangeFrame(uint8_t model) { return MemoryWriteFrame(0x0000, Bytes({model})); }

AnsiString AlignmentFrame(AlignmentCommand command) {
  return CommandFrameOf('A', static_cast<uint8_t>(command));
}

AnsiString ReplyRequestFrame(ReplyRequest request) {
  return CommandFrameOf('B', static_cast<uint8_t>(request));
}

AnsiString ImmobiliserFrame(ImmobiliserCommand command) {
  return CommandFrameOf('X', static_cast<uint8_t>(command));
}

AnsiString TelltaleFrame(TelltaleCommand command) {
  return CommandFrameOf('F', static_cast<uint8_t>(command));
}

AnsiString LiveTrimModeFrame(uint8_t mode) { return CommandFrameOf('E', mode); }

AnsiString ReadMapFrame(int bank) { return CommandFrameOf('D', CheckedBank(bank)); }
AnsiString ProgramMapFrame(int bank) { return CommandFrameOf('*', CheckedBank(bank)); }

AnsiString SecureFrame(AnsiString frame, uint16_t keyWord) {
  uint16_t k = keyWord;
  for (size_t i = 4; i < frame.size(); ++i) {
    frame[i] = static_cast<char>(static_cast<uint8_t>(frame[i]) ^ (k & 0xFF));
    k = RotateLeft(k);
  }
  // The checksum runs over the scrambled frame with the key applied once more, from
  // the first byte on.
  k = keyWord;
  unsigned sum = 0;
  for (char c : frame) {
    sum += static_cast<uint8_t>(c) ^ (k & 0xFF);
    k = RotateLeft(k);
  }
  frame.push_back(static_cast<char>(0u - sum));
  return frame;
}

AnsiString MapLockFrame(uint8_t pinByte1, uint8_t pinByte2, std::string_view message,
                        uint16_t keyWord) {
  constexpr size_t kMessageLength = 32;
  AnsiString frame = LockHeader(0x0A, 41, 0xD2);
  frame.push_back(static_cast<char>(pinByte1));
  frame.push_back(static_cast<char>(pinByte2));
  AnsiString text(message.substr(0, kMessageLength));
  text.resize(kMessageLength, ' ');
  frame += text;
  return SecureFrame(std::move(frame), keyWord);
}

AnsiString MapUnlockFrame(uint8_t pinByte1, uint8_t pinByte2, uint16_t keyWord) {
  AnsiString frame = LockHeader(0x80, 9, 0xD0);
  frame.push_back(static_cast<char>(pinByte1));
  frame.push_back(static_cast<char>(pinByte2));
  return SecureFrame(std::move(frame), keyWord);
}

AnsiString ProgramTimeStampFrame(uint16_t dateWord, uint16_t timeWord, uint16_t keyWord) {
  AnsiString frame = LockHeader(0x00, 11, 0x36);
  AppendWord(frame, dateWord);
  AppendWord(frame, timeWord);
  return SecureFrame(std::move(frame), keyWord);
}

AnsiString FlashStartFrame(uint32_t dataLength) {
  const uint32_t announced = dataLength & ~uint32_t{1};
  AnsiString frame = "$R";
  for (int shift = 24; shift >= 0; shift -= 8) frame.push_back(static_cast<char>(announced >> shift));
  // The ECU's loader checks this running sum, which folds back (256 - s) instead of
  // wrapping whenever it passes 255; it matches the plain sum-0 rule only until then.
  int s = '$' + 'R';
  for (size_t i = 2; i < 6; ++i) {
    s += static_cast<uint8_t>(frame[i]);
    if (s > 255) s = 256 - s;
  }
  frame.push_back(static_cast<char>((256 - s) & 0xFF));
  return frame;
}

AnsiString ThrottleRangeFrame(uint16_t maximum, uint16_t minimum) {
  if (maximum < minimum) throw ERangeError("Throttle maximum below minimum");
  const unsigned range = maximum - minimum;
  // range / 10 rounded to nearest, halves to even.
  unsigned tenth = range / 10;
  const unsigned rest = range % 10;
  if (rest > 5 || (rest == 5 && (tenth & 1))) ++tenth;
  AnsiString frame = "$P";
  AppendWord(frame, maximum);
  AppendWord(frame, minimum);
  AppendWord(frame, static_cast<uint16_t>(tenth));
  return frame;
}

}  // namespace ecu

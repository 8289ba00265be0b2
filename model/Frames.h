#pragma once
// Command frames the PC sends to the ECU. Every function returns the frame's bytes; the
// caller hands them to the port (whole, or one byte per write where the window paces a
// fixed frame), so building a frame never touches the serial line.
#include <cstdint>
#include <string_view>

#include "platform/rtl/AnsiString.h"

namespace ecu {

// The byte that makes the byte sum of `frame` plus that byte 0 modulo 256.
uint8_t FrameChecksum(std::string_view frame);
// `frame` with its checksum byte appended.
AnsiString WithChecksum(AnsiString frame);
// "$", the command letter, the payload and the checksum.
AnsiString CommandFrame(char letter, std::string_view payload);

// The two polls carry no checksum.
AnsiString ConfigRequestFrame();  // "$c": configuration packets follow
AnsiString StatusRequestFrame();  // "$s": the status packet follows

// Memory write "$i": address high, address low, total frame length, data, checksum.
// At most 249 data bytes, so that the length fits its byte; more raise ERangeError.
AnsiString MemoryWriteFrame(uint16_t address, std::string_view data);
// A 16-bit value written high byte first, as the ECU keeps it.
AnsiString MemoryWriteWordFrame(uint16_t address, uint16_t value);
// The telltale keycode at 0x00F8: the numbers of the first and last two digits.
AnsiString TelltaleKeycodeFrame(uint8_t codeByte1, uint8_t codeByte2);
// The ECU model number at address 0, written after a firmware update.
AnsiString ModelChangeFrame(uint8_t model);

// "$A": ignition and throttle alignment.
enum class AlignmentCommand : uint8_t {
  ReleaseLock = 0x00,
  SetLock = 0x01,
  LockAtUp = 0x02,
  LockAtDown = 0x03,
  ReferenceUp = 0x04,
  ReferenceDown = 0x05,
  ThrottleInverted = 0x0F,
  FactoryDefaults = 0xFF,
};
AnsiString AlignmentFrame(AlignmentCommand command);

// "$B": asks for a type-4 reply with the given sub-code.
enum class ReplyRequest : uint8_t { LockMessage = 0x05, SensorCounts = 0x06 };
AnsiString ReplyRequestFrame(ReplyRequest request);

// "$X": immobiliser.
enum class ImmobiliserCommand : uint8_t { Activate = 0x01, Deactivate = 0x02, Relearn = 0x03 };
AnsiString ImmobiliserFrame(ImmobiliserCommand command);

// "$F": telltale memory.
enum class TelltaleCommand : uint8_t {
  CaptureOn = 0x01,
  CaptureOff = 0x02,
  Clear = 0x03,
  Lock = 0x06,
  Unlock = 0x07,
  ClearMinMax = 0x08,
};
AnsiString TelltaleFrame(TelltaleCommand command);

// "$E": the live trim keys' mode byte (0x00, 0x01, 0x02, 0x05, 0x06).
AnsiString LiveTrimModeFrame(uint8_t mode);

// "$D" n: read map bank n (1..3); "$*" n: program bank n, the 6,144 image bytes follow
// without framing. A bank outside 1..3 raises ERangeError.
AnsiString ReadMapFrame(int bank);
AnsiString ProgramMapFrame(int bank);

// Map lock frames, already secured with the key word from the status packet.
// The lock message is cut or padded with blanks to exactly 32 characters.
AnsiString MapLockFrame(uint8_t pinByte1, uint8_t pinByte2, std::string_view message,
                        uint16_t keyWord);
AnsiString MapUnlockFrame(uint8_t pinByte1, uint8_t pinByte2, uint16_t keyWord);
// The time stamp sent after each programmed bank: packed date word and time word.
AnsiString ProgramTimeStampFrame(uint16_t dateWord, uint16_t timeWord, uint16_t keyWord);
// Scrambles the bytes from the fifth on with the rotating key and appends the checksum
// the ECU expects of a secured frame.
AnsiString SecureFrame(AnsiString frame, uint16_t keyWord);

// "$R": start of a firmware installation. The announced length is `dataLength` rounded
// down to an even number; the last byte is the ECU's own running checksum.
AnsiString FlashStartFrame(uint32_t dataLength);

// "$P": the learnt throttle range (maximum, minimum, range / 10), no checksum.
// A maximum below the minimum raises ERangeError.
AnsiString ThrottleRangeFrame(uint16_t maximum, uint16_t minimum);

}  // namespace ecu

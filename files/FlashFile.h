#pragma once
// The contents of a firmware update file, apart from the window that shows them: the lines
// of its text streams, the keys of its "INI" text, the version checks and the S-records of
// its "DATA" stream.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/rtl/AnsiString.h"

namespace ecu {

// This program's version x 10 (1.1), which an update file's "FRequires=" must name.
constexpr int32_t PCSoftwareVersion = 11;

// The largest update file read: the firmware of the ECU's 64 KiB address space as
// S-records, with the notes and keys, makes a few hundred kilobytes at most, so a larger
// file is no update file and is refused unread.
constexpr size_t kMaxUpdateFileSize = size_t{4} << 20;

// The lines of a text stream. A line ends at LF (a CR before it is dropped) or at the end
// of the stream; the last line is kept whole whether or not a line end follows it.
std::vector<AnsiString> SplitUpdateLines(std::string_view text);

// What the "INI" stream of an update file asks for.
struct UpdateIni {
  std::vector<AnsiString> info;  // the lines shown under "Update information"
  bool installPending = false;   // "FRomUpdate=" with "True": firmware to install
  bool modelChange = false;      // "EModel=": the ECU's model number is to be written
  int32_t newModel = 0;
  AnsiString version = "0";   // "FVersion="
  AnsiString replaces = "0";  // "FReplaces=": ECU firmware version the file replaces
  AnsiString requires_ = "0";  // "FRequires=": PC program version the file needs
  // "EModel=" without two hexadecimal digits: the file cannot be used.
  bool badModel = false;
};

// Reads the keys of the "INI" text. A line carries at most one key, found anywhere in it;
// its value is the rest of the line after the first "=".
UpdateIni ParseUpdateIni(std::string_view text);

// A decimal number ("1.1", "1.10", " 1.05") as an exact fraction digits / 10^scale, or
// false when the text is no plain decimal number or has more than 9 decimal places.
struct Decimal {
  int64_t digits = 0;
  int scale = 0;
};
bool ParseDecimal(std::string_view text, Decimal& out);

// "FRequires=": "0" asks for no check; otherwise the value must be this program's version
// exactly (1.1 and 1.10 are the same number).
bool RequiresAccepted(std::string_view value);

// "FReplaces=": true when the file's version x 100, rounded half to even, equals the ECU's
// firmware version x 100, or when the value is "0". A value that is no number never matches.
bool ReplacesMatches(std::string_view value, int32_t ecuVersionX100);
// The conflict question shown when ReplacesMatches is false.
AnsiString ReplacesConflictText(std::string_view value, int32_t ecuVersionX100);

// The "DATA" stream checked and read.
struct FirmwareImage {
  bool ok = false;
  int line = 0;        // 1-based number of the first bad line
  AnsiString reason;   // why that line is bad
  // A checksum mismatch: the checksum the line should carry (decimal) and what it carries.
  bool checksumMismatch = false;
  int expectedChecksum = 0;
  AnsiString foundChecksum;
  // The data bytes of the S1 records before the S8 record, in file order; these are what
  // the ECU receives, and their number is the length the start frame announces.
  std::string data;
  // The data bytes of each S1 record sent, one entry per record (the window sends and
  // counts them record by record).
  std::vector<std::string> records;
};

// Checks every line of the "DATA" text: each is an S1 or S8 record of at least 10
// characters whose length is 2 x count + 4, all hexadecimal digits, and an S1 record's
// checksum is 255 minus the byte sum of count, address and data. Records after the S8
// record are checked but not taken.
FirmwareImage ParseFirmwareRecords(std::string_view text);

// The window's update sequence, kept in the shared FlashState word.
namespace flash {
constexpr int32_t kIdle = 0;          // no update, or the ECU restarted
constexpr int32_t kStart = 1;         // start requested
constexpr int32_t kWaitReady = 2;     // "$R" sent, waiting for "S"
constexpr int32_t kReady = 3;         // "S": the ECU takes the code
constexpr int32_t kWaitReceived = 4;  // code sent, waiting for "I"
constexpr int32_t kReceived = 5;      // "I"
constexpr int32_t kWaitVerified = 6;  // waiting for "V"
constexpr int32_t kVerified = 7;      // "V"
constexpr int32_t kWaitRestart = 8;   // waiting for the ECU's restart
constexpr int32_t kFinished = 9;
constexpr int32_t kEcuError = 10;     // "E", or a reply out of its order
}  // namespace flash

// The state after an ECU firmware reply ("S", "I", "V", "E"). A reply counts only where
// the sequence expects it: "S" after the start frame, "I" once the code is being sent, "V"
// after "I". "E", and any of the others out of their order, is an error, so no sequence but
// S, I, V can end in success. Replies while no update runs change nothing; other codes are
// ignored.
int32_t FlashStateAfterReply(int32_t state, uint8_t code);

// The state after a slow live packet, which the ECU sends only while its ordinary firmware
// runs: once the code has been sent (states 4 to 9) that means the ECU has restarted (0).
// A reported error (10) stays until the window has shown it.
int32_t FlashStateAfterRestart(int32_t state);

// What the update window does with the state it finds in a round of its loop.
enum class FlashStep {
  Wait,             // the ECU is busy: poll again
  AskLink,          // state 1: make sure the link is up, then send the start frame
  Install,          // state 3: send the code, then call AfterInstall
  Verifying,        // state 5 -> 6
  WaitReset,        // state 7 -> 8: the restart is now due
  Configuring,      // state 0 after "V": the ECU restarted as it should -> 9
  UnexpectedReset,  // state 0 before "V" -> 9
  EcuError,         // state 10 -> 9
  TimedOut,         // the ECU stayed silent in a waiting state -> 9
  Leave,            // state 9: the sequence is over
};

// The window's half of the sequence: it turns the state into the step to take, moves the
// state on, and times the waits so that a silent ECU never leaves the window waiting.
class FlashSequence {
 public:
  explicit FlashSequence(uint32_t replyTimeoutMs = 10000) : timeoutMs_(replyTimeoutMs) {}

  // Starts a run (state 1) at `nowMs` on any monotonic millisecond scale.
  void Begin(int32_t& state, uint64_t nowMs);
  // One round: reads `state`, moves it on as the step requires and returns the step.
  FlashStep Next(int32_t& state, uint64_t nowMs);
  // After the code was sent: waiting for "I", unless a reply already moved the state on.
  void AfterInstall(int32_t& state, uint64_t nowMs);

  bool ResetExpected() const { return resetExpected_; }
  // Ended in success: verified code and the restart seen.
  bool Succeeded() const { return succeeded_; }
  // Ended in a failure (restart before verification, ECU error, silence).
  bool Failed() const { return failed_; }

 private:
  uint32_t timeoutMs_;
  int32_t lastState_ = -1;
  uint64_t since_ = 0;
  bool resetExpected_ = false;
  bool succeeded_ = false;
  bool failed_ = false;
};

}  // namespace ecu

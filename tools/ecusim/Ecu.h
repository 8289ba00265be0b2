#pragma once
// A simulated Q5/Q7 ECU: the test oracle that end-to-end tests put on the other end of the
// serial line. It knows the command frames and packets only from their byte formats and
// shares no code with the program's own link.
//
// How it behaves where the ECU's inner working is its own choice:
//
// - Memory. One flat memory-write space of 19,456 bytes: the model number at 0x0000, the
//   telltale keycode at 0x00F8 (two bytes), the 300-byte configuration image at
//   0x0100..0x022B, and the three 6,144-byte map banks at 1024 + (b - 1) x 6144. "$i" writes
//   land there directly; a write that would run past the end is refused whole. The memory
//   is non-volatile: a power cycle or restart keeps the configuration and the banks.
// - Frames. A frame must start with "$". The sum-0 checksum is checked on every frame except
//   "$c", "$s", "$P", the live trim frames ("$+", "$-", "$>", "$<", "$0", "$z", "$" code
//   action) and the secured "$S" frames (checked with their own keyed checksum) and "$R"
//   (its own running checksum). A frame with a wrong checksum, an unknown letter, a bad
//   length, a bank outside 1..3 or an unknown sub-code changes nothing and is counted. A
//   frame left unfinished for `Timing::frameTimeoutMs` is dropped, so one stray byte cannot
//   swallow the next command.
// - Answers. "$c": the 300-byte configuration image in type-3 chunks sent back to back (no
//   live packet between them), every chunk but the last with trailer 5, sub-code = chunk
//   index. "$s": one status packet. "$D" n: bank n in type-8 chunks, sub-code n, trailer 0;
//   a bank once started goes out whole, and a "$D" that comes meanwhile is answered after it.
//   "$B" 05: type 4 / 5 with the 32 lock-message bytes; "$B" 06: type 4 / 6 with sixteen
//   words of sensor counts. Chunks are as long as a 252-byte line packet allows (about 246
//   data bytes), so an ordinary bank takes 25 chunks; a bank full of C0/DB bytes would need
//   more than the PC's 30 slots, which real maps do not come near.
// - Map program. "$*" n, then 6,144 raw bytes into a staging buffer; the bank is replaced
//   only when all bytes have come, so a transfer that stops for 5 s leaves the bank as it
//   was.
//   Programming a bank unlocks locked maps (the PC warns that reprogramming unlocks).
//   While the image comes in the live stream pauses (SetPauseWhileProgrammed, on by
//   default), as an ECU busy writing its memory does; it resumes once the bank is written.
//   The time-stamp frame ("$S" 00) sets the programmed date of the status packet.
// - Map lock. Lock ("$S" 0A) stores PIN and message and locks (refused while locked);
//   unlock ("$S" 80) with the right PIN unlocks, with a wrong one sets the wrong-code bit,
//   which refuses all unlocks until the ECU restarts. While locked, "$D" is not answered.
//   Slow byte 62: bit 2 wrong code, bit 3 locked, bit 7 immobiliser active, bit 6
//   immobilised, bit 5 learning.
// - Telltale. "$F" 06 locks the telltale memory with the keycode last written to 0x00F8;
//   "$F" 07 unlocks when the keycode there matches. "$F" 08 / 03 clear the maximum (refused
//   while locked), 02 / 01 switch capture off / on. While capturing, the maximum follows the
//   highest rpm sent in a fast packet.
// - Ignition alignment. "$A" 01 / 00 set / release the advance lock (status bit 4);
//   02 / 03 step the lock-at advance (configuration image bytes 12-13) up / down by one half
//   degree, 04 / 05 the reference advance (bytes 10-11); FF restores 180 and 40; 0F marks
//   the throttle sensor inverted (from then on the fast packet's throttle word carries bit 15
//   over the counts, the ECU's mark of a sensor read the other way round). "$P" stores the
//   throttle range in image bytes 56-61.
// - Immobiliser. "$X" 01 activates (disarmed until a test says immobilised), 02 deactivates,
//   03 starts learning (until the test or the next activation ends it).
// - Streaming. While powered and streaming, a fast live packet every
//   `Timing::fastIntervalMs` (50 ms by default: about 22 packets a second with the slow
//   ones, the full rate a 19,200 baud line sees from an ECU, and well inside the PC's 990 ms
//   watchdog) and a slow one every `Timing::slowIntervalMs` (500 ms). Not streaming: answers commands, sends no live
//   packets. Not powered: deaf and mute, and powering up again is a restart.
// - Firmware. "$R" with a valid running checksum: reply "S" and stop streaming; the next
//   announced-length bytes are the firmware (stored for tests); then "I", after
//   `Timing::verifyDelayMs` "V" (or "E" when `failVerify` is set, streaming resumes), then
//   silence for `Timing::restartDelayMs` and a restart: streaming resumes, the wrong-code
//   bit clears. Bytes sent beyond the announced length are taken as stray bytes. A download
//   that stops for 5 s is answered "E", so the PC's update does not wait for ever.
//   `firmwareFault` makes a download fail on request: "E" in place of "I", a loader that
//   never answers, or a restart after "I" without "V".
// - Engine. With RunEngine(seed) an engine model moves the live values smoothly, stepped
//   once per fast packet; without it the live values stay as tests set them.
// - Line faults. InjectFault sends one damaged packet on the next Tick, between the
//   ordinary ones: a fast packet with bad stuffing, a packet cut off before its end, or a
//   packet longer than the PC's 252-byte limit.
#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "ecusim/EngineModel.h"
#include "ecusim/LiveData.h"

namespace ecusim {

constexpr std::size_t kBankSize = 6144;
constexpr int kBankCount = 3;
constexpr std::size_t kConfigSize = 300;
constexpr std::uint16_t kModelAddress = 0x0000;
constexpr std::uint16_t kKeycodeAddress = 0x00F8;
constexpr std::uint16_t kConfigAddress = 0x0100;
constexpr std::uint16_t kBankAddress = 1024;
constexpr std::size_t kMemorySize = kBankAddress + kBankCount * kBankSize;

struct Timing {
  std::uint32_t fastIntervalMs = 50;
  std::uint32_t slowIntervalMs = 500;
  std::uint32_t frameTimeoutMs = 1000;
  std::uint32_t verifyDelayMs = 200;
  std::uint32_t restartDelayMs = 600;
};

// What tests assert on: frames taken, frames refused and why, packets sent.
struct Counters {
  std::array<std::uint32_t, 256> frames{};  // accepted frames by command byte
  std::uint32_t checksumErrors = 0;
  std::uint32_t unknownCommands = 0;
  std::uint32_t rejectedFrames = 0;    // well formed but unusable: range, length, sub-code, lock
  std::uint32_t incompleteFrames = 0;  // dropped after a pause in mid-frame or mid-image
  std::uint32_t strayBytes = 0;        // bytes between frames that start none
  std::uint32_t bytesLostOnCutLine = 0;  // bytes from the PC while the line was cut
  std::array<std::uint32_t, 16> packets{};  // packets sent by type
  // Taken in while a bank was still going out on the line (see Ecu::LineSent): frames by
  // their command byte, counted from their "$", and raw bytes of a map image.
  std::array<std::uint32_t, 256> framesWhileBankSent{};
  std::uint32_t imageBytesWhileBankSent = 0;
  std::uint32_t Frames(char letter) const { return frames[static_cast<unsigned char>(letter)]; }
};

enum class FirmwareStage { Idle, Receiving, Verifying, Restarting };

// How a firmware download goes wrong on request.
enum class FirmwareFault {
  None,
  ErrorAfterCode,     // "E" in place of "I" once the code is in; the firmware runs on
  Silent,             // "$R" is taken but never answered, and the ECU stays quiet
  ResetBeforeVerify,  // "I", then a restart without "V"
};

// Damage the ECU can put on the line on request.
enum class LineFault {
  // A fast packet whose data holds an escape DB before an ordinary byte and ends in a lone
  // DB: framing intact, stuffing wrong.
  BadStuffing,
  // The first half of a fast packet, DB C0 included, and no end: the next packet's start
  // ends it.
  Truncated,
  // A well-framed packet of type 0 whose body is 303 bytes long.
  OverLong,
};

// The ECU's state. Tests read and change it freely between calls into the Ecu.
struct EcuState {
  std::array<std::uint8_t, kMemorySize> memory{};
  int activeBank = 1;  // 1..3, reported in the slow packet
  Identity identity;
  FastLive fast;
  SlowLive slow;
  bool advanceLocked = false;
  bool throttleInverted = false;
  struct {
    bool locked = false;
    bool wrongCode = false;
    std::uint8_t pin1 = 0, pin2 = 0;
    std::array<std::uint8_t, 32> message{};
  } lock;
  struct {
    bool locked = false;
    bool capture = false;
    std::uint16_t maxRpm = 0;
    std::uint16_t code = 0;
  } telltale;
  struct {
    bool active = false;
    bool immobilised = false;
    bool learning = false;
  } immobiliser;
  std::array<int, 7> trims{};      // live trims of items 1..6 (index 0 unused)
  int lastTrimMode = -1;           // mode byte of the last "$E"
  std::array<std::uint16_t, 16> sensorCounts{};  // answer to "$B" 06
  std::string firmware;            // bytes of the last firmware download
  bool failVerify = false;         // answer "E" instead of "V"
  FirmwareFault firmwareFault = FirmwareFault::None;
  std::uint32_t restarts = 0;
};

class Ecu {
 public:
  explicit Ecu(const Timing& timing = {});

  // Bytes the PC wrote, as they arrived, at `nowMs` on any monotonic millisecond scale.
  void Receive(std::string_view bytes, std::uint64_t nowMs);
  // Advances timers: streaming, firmware sequence, dropping of unfinished frames.
  void Tick(std::uint64_t nowMs);
  // Bytes the ECU wants to send since the last call, whole packets only.
  std::string TakeOutput();
  // How many of the bytes taken by TakeOutput have left on the line so far (sent, or lost
  // for good). Until the last byte of the newest bank has left, what the PC sends is
  // counted as coming while a bank goes out.
  void LineSent(std::uint64_t total) { lineSent_ = total; }
  bool SendingBank() const { return lineSent_ < bankEnd_; }

  void SetStreaming(bool on) { streaming_ = on; }
  // Whether the live stream pauses while a map image is received (default on).
  void SetPauseWhileProgrammed(bool on) { pauseWhileProgrammed_ = on; }
  bool Streaming() const { return streaming_; }
  void SetPowered(bool on);
  bool Powered() const { return powered_; }

  // Lets the engine model drive the live values from now on (a new seed starts it afresh);
  // StopEngine leaves the last values standing.
  void RunEngine(std::uint32_t seed) { engine_.emplace(seed); }
  void StopEngine() { engine_.reset(); }
  // Sends one damaged packet on the next Tick (while powered).
  void InjectFault(LineFault fault) { faults_.push_back(fault); }
  // Answers "$c" `ms` late: the reply holds the configuration as it was when asked, as a
  // reply held up on a slow line does (0: at once).
  void SetConfigReplyDelay(std::uint32_t ms) { configReplyDelayMs_ = ms; }
  // Once: right after the next memory write to the configuration's first address (the
  // first upload frame) the line goes dead both ways for `ms`: bytes from the PC are lost
  // and nothing is sent. The ECU keeps what it took, and its state.
  void CutLineAfterConfigFrame(std::uint32_t ms) { cutAfterConfigFrameMs_ = ms; }
  bool LineCut() const { return nowMs_ < lineDeadUntilMs_; }

  EcuState& State() { return state_; }
  const EcuState& State() const { return state_; }
  const Counters& GetCounters() const { return counters_; }
  FirmwareStage Firmware() const { return firmwareStage_; }

  // Views into the memory-write space; a bank number outside 1..3 is taken as the nearest.
  std::span<std::uint8_t, kBankSize> Bank(int bank);
  std::span<std::uint8_t, kConfigSize> Config();
  std::uint8_t Model() const { return state_.memory[kModelAddress]; }

  // Encoded data of the packets as they would be sent now (for tests and for Tick).
  std::string FastData() const;
  std::string SlowData() const;
  std::string StatusData() const;

 private:
  enum class Mode { Idle, Frame, MapImage, FirmwareData };

  void TakeByte(std::uint8_t b, std::uint64_t nowMs);
  std::size_t ExpectedLength() const;  // 0 while not yet known
  void Dispatch();
  void Refuse() { ++counters_.rejectedFrames; }
  void Accept(std::uint8_t letter) { ++counters_.frames[letter]; }
  bool ChecksumOk() const;

  void OnMemoryWrite();
  void OnAlign(std::uint8_t sub);
  void OnReply(std::uint8_t sub);
  void OnImmobiliser(std::uint8_t sub);
  void OnTelltale(std::uint8_t sub);
  void OnSecure();
  void OnFirmwareStart();
  // All announced firmware bytes are in: "I" and verification, or the fault asked for.
  void FirmwareReceived(std::uint64_t nowMs);
  void OnTrim(std::uint8_t letter, int item, int action);
  void StepConfigWord(std::size_t offset, int delta);
  void SetConfigWord(std::size_t offset, std::uint16_t v);

  void SendPacket(std::uint8_t type, std::uint8_t sub, std::string_view data, std::uint8_t trailer);
  void SendConfig(const std::string& image);
  void SendBank(int bank);
  void SendFast();
  void SendSlow();
  void Restart(std::uint64_t nowMs);
  void SendFault(LineFault fault);

  Timing timing_;
  EcuState state_;
  Counters counters_;
  std::string output_;
  bool streaming_ = true;
  bool pauseWhileProgrammed_ = true;
  bool powered_ = true;

  Mode mode_ = Mode::Idle;
  std::string frame_;
  std::uint64_t lastByteMs_ = 0;
  int imageBank_ = 0;
  std::string image_;
  std::uint32_t firmwareExpected_ = 0;
  FirmwareStage firmwareStage_ = FirmwareStage::Idle;
  std::uint64_t firmwareDueMs_ = 0;
  std::uint64_t nowMs_ = 0;
  bool timersStarted_ = false;
  std::uint64_t nextFastMs_ = 0;
  std::uint64_t nextSlowMs_ = 0;
  std::optional<EngineModel> engine_;
  std::vector<LineFault> faults_;
  struct DelayedReply {
    std::uint64_t dueMs;
    std::string image;
  };
  std::uint32_t configReplyDelayMs_ = 0;
  std::vector<DelayedReply> delayedConfig_;
  std::uint32_t cutAfterConfigFrameMs_ = 0;
  std::uint64_t lineDeadUntilMs_ = 0;
  // Where the newest bank ends: within output_ (0: none there), and among all bytes taken.
  std::size_t bankEndInOutput_ = 0;
  std::uint64_t outputTaken_ = 0, bankEnd_ = 0, lineSent_ = 0;
  bool frameWhileBankSent_ = false;
};

}  // namespace ecusim

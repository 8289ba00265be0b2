#include "ecusim/Ecu.h"
#include "ecusim/Maps.h"

#include <algorithm>
#include <limits>

#include "ecusim/Framing.h"

namespace ecusim {

namespace {

constexpr std::size_t kBadLength = std::numeric_limits<std::size_t>::max();
// Raw map images and firmware bytes may pause longer than a frame (the PC waits for its
// output buffer to drain between sections) before the ECU gives up on them.
constexpr std::uint64_t kTransferTimeoutMs = 5000;

// Live trim codes of items 3..6 (followed by an action byte).
int TrimItemOfCode(std::uint8_t code) {
  switch (code) {
    case 0x90: return 3;
    case 0x80: return 4;
    case 0x98: return 5;
    case 0x88: return 6;
    default: return 0;
  }
}

bool NeedsSumZero(std::uint8_t letter) {
  switch (letter) {
    case 'A': case 'B': case 'X': case 'F': case 'E': case 'D': case '*': case 'i':
      return true;
    default:
      return false;
  }
}

std::uint16_t Word(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] << 8 | p[1]); }

}  // namespace

Ecu::Ecu(const Timing& timing) : timing_(timing) {
  auto& m = state_.memory;
  m[kModelAddress] = 0x05;
  // The configuration image starts out as the PC program's defaults, so a fresh ECU reads
  // back as "Current ECU settings".
  auto cfg = Config();
  cfg[1] = 4;   // cylinders
  cfg[2] = 17;  // crank trigger
  SetConfigWord(10, 180);  // reference advance, half degrees
  SetConfigWord(12, 40);   // lock-at advance
  SetConfigWord(34, 360);  // cylinder offsets 0, 360, 0, 360
  SetConfigWord(38, 360);
  SetConfigWord(56, 800);  // throttle maximum, minimum and range / 10
  SetConfigWord(58, 60);
  SetConfigWord(60, 74);
  const std::uint8_t fail[9] = {255, 0, 80, 255, 0, 120, 255, 0, 120};
  std::copy(std::begin(fail), std::end(fail), cfg.begin() + 168);
  cfg[177] = 64;  // tacho multiplier
  const std::uint16_t lambdaCounts[6] = {0, 205, 410, 614, 819, 1023};
  for (std::size_t i = 0; i < 6; ++i) {
    SetConfigWord(178 + 2 * i, lambdaCounts[i]);
    cfg[190 + i] = static_cast<std::uint8_t>(110 + 10 * i);
  }
  cfg[230] = 100;  // PWM maximum duration
  cfg[238] = 6;    // shift light output

  // Each bank holds a named, plausible calibration, so a fresh ECU reads back as real maps.
  for (int b = 1; b <= kBankCount; ++b) FillPlausibleBank(Bank(b), b);
  state_.lock.message.fill(' ');
}

std::span<std::uint8_t, kBankSize> Ecu::Bank(int bank) {
  const int b = std::clamp(bank, 1, kBankCount);
  return std::span<std::uint8_t, kBankSize>(
      state_.memory.data() + kBankAddress + static_cast<std::size_t>(b - 1) * kBankSize, kBankSize);
}

std::span<std::uint8_t, kConfigSize> Ecu::Config() {
  return std::span<std::uint8_t, kConfigSize>(state_.memory.data() + kConfigAddress, kConfigSize);
}

void Ecu::SetConfigWord(std::size_t offset, std::uint16_t v) {
  auto cfg = Config();
  cfg[offset] = static_cast<std::uint8_t>(v >> 8);
  cfg[offset + 1] = static_cast<std::uint8_t>(v & 0xFF);
}

void Ecu::StepConfigWord(std::size_t offset, int delta) {
  const auto cfg = Config();
  SetConfigWord(offset, static_cast<std::uint16_t>(Word(cfg.data() + offset) + delta));
}

void Ecu::SetPowered(bool on) {
  if (on == powered_) return;
  powered_ = on;
  output_.clear();
  bankEndInOutput_ = 0;
  delayedConfig_.clear();
  lineDeadUntilMs_ = 0;
  if (on) Restart(nowMs_);
}

void Ecu::Restart(std::uint64_t nowMs) {
  ++state_.restarts;
  state_.lock.wrongCode = false;
  firmwareStage_ = FirmwareStage::Idle;
  mode_ = Mode::Idle;
  frame_.clear();
  image_.clear();
  timersStarted_ = false;
  nowMs_ = nowMs;
}

std::string Ecu::TakeOutput() {
  std::string out;
  out.swap(output_);
  if (bankEndInOutput_ != 0) bankEnd_ = outputTaken_ + bankEndInOutput_;
  bankEndInOutput_ = 0;
  outputTaken_ += out.size();
  return out;
}

void Ecu::Receive(std::string_view bytes, std::uint64_t nowMs) {
  if (!powered_) return;
  nowMs_ = nowMs;
  for (const char c : bytes) {
    // A write may cut the line: what follows it is lost.
    if (LineCut()) {
      ++counters_.bytesLostOnCutLine;
      continue;
    }
    TakeByte(static_cast<std::uint8_t>(c), nowMs);
  }
}

void Ecu::TakeByte(std::uint8_t b, std::uint64_t nowMs) {
  lastByteMs_ = nowMs;
  switch (mode_) {
    case Mode::MapImage:
      if (SendingBank()) ++counters_.imageBytesWhileBankSent;
      image_ += static_cast<char>(b);
      if (image_.size() == kBankSize) {
        std::copy(image_.begin(), image_.end(), Bank(imageBank_).begin());
        state_.lock.locked = false;
        state_.lock.wrongCode = false;
        image_.clear();
        mode_ = Mode::Idle;
      }
      return;
    case Mode::FirmwareData:
      state_.firmware += static_cast<char>(b);
      if (state_.firmware.size() >= firmwareExpected_) {
        mode_ = Mode::Idle;
        FirmwareReceived(nowMs);
      }
      return;
    case Mode::Idle:
      if (b == '$') {
        frame_.assign(1, '$');
        mode_ = Mode::Frame;
        frameWhileBankSent_ = SendingBank();
      } else {
        ++counters_.strayBytes;
      }
      return;
    case Mode::Frame:
      break;
  }
  frame_ += static_cast<char>(b);
  const std::size_t expected = ExpectedLength();
  if (expected == kBadLength) {
    mode_ = Mode::Idle;
    if (frame_.size() == 2) {
      ++counters_.unknownCommands;
      // A "$" in place of a command letter may start the frame the PC meant.
      if (b == '$') {
        frame_.assign(1, '$');
        mode_ = Mode::Frame;
        frameWhileBankSent_ = SendingBank();
      }
    } else {
      Refuse();
    }
    return;
  }
  if (expected != 0 && frame_.size() == expected) {
    mode_ = Mode::Idle;
    Dispatch();
  }
}

std::size_t Ecu::ExpectedLength() const {
  const auto letter = static_cast<std::uint8_t>(frame_[1]);
  switch (letter) {
    case 'c': case 's': case '0': case 'z': case '+': case '-': case '>': case '<':
      return 2;
    case 'A': case 'B': case 'X': case 'F': case 'E': case 'D': case '*':
      return 4;
    case 'R':
      return 7;
    case 'P':
      return 8;
    case 'i': {
      if (frame_.size() < 5) return 0;
      const auto len = static_cast<std::uint8_t>(frame_[4]);
      return len < 7 ? kBadLength : len;
    }
    case 'S': {
      if (frame_.size() < 4) return 0;
      const auto len = static_cast<std::uint8_t>(frame_[3]);
      return len < 6 ? kBadLength : len;
    }
    default:
      return TrimItemOfCode(letter) ? 3 : kBadLength;
  }
}

bool Ecu::ChecksumOk() const {
  unsigned sum = 0;
  for (const char c : frame_) sum += static_cast<unsigned char>(c);
  return (sum & 0xFF) == 0;
}

void Ecu::Dispatch() {
  const auto letter = static_cast<std::uint8_t>(frame_[1]);
  if (frameWhileBankSent_) ++counters_.framesWhileBankSent[letter];
  if (NeedsSumZero(letter) && !ChecksumOk()) {
    ++counters_.checksumErrors;
    return;
  }
  const auto arg = frame_.size() > 2 ? static_cast<std::uint8_t>(frame_[2]) : 0;
  switch (letter) {
    case 'c': {
      Accept(letter);
      const auto cfg = Config();
      std::string image(cfg.begin(), cfg.end());
      if (configReplyDelayMs_ == 0) SendConfig(image);
      else delayedConfig_.push_back({nowMs_ + configReplyDelayMs_, std::move(image)});
      return;
    }
    case 's':
      Accept(letter);
      SendPacket(kStatus, 0, StatusData(), 0);
      return;
    case 'i':
      OnMemoryWrite();
      return;
    case 'A':
      OnAlign(arg);
      return;
    case 'B':
      OnReply(arg);
      return;
    case 'X':
      OnImmobiliser(arg);
      return;
    case 'F':
      OnTelltale(arg);
      return;
    case 'E':
      Accept(letter);
      state_.lastTrimMode = arg;
      return;
    case 'D':
      Accept(letter);
      if (arg < 1 || arg > kBankCount || state_.lock.locked) return Refuse();
      SendBank(arg);
      return;
    case '*':
      Accept(letter);
      if (arg < 1 || arg > kBankCount) return Refuse();
      imageBank_ = arg;
      image_.clear();
      mode_ = Mode::MapImage;
      return;
    case 'S':
      OnSecure();
      return;
    case 'P': {
      Accept(letter);
      auto cfg = Config();
      for (std::size_t i = 0; i < 6; ++i) cfg[56 + i] = static_cast<std::uint8_t>(frame_[2 + i]);
      return;
    }
    case 'R':
      OnFirmwareStart();
      return;
    case '+': return OnTrim(letter, 1, 3);
    case '-': return OnTrim(letter, 1, 2);
    case '0': return OnTrim(letter, 1, 1);
    case '>': return OnTrim(letter, 2, 3);
    case '<': return OnTrim(letter, 2, 2);
    case 'z': return OnTrim(letter, 2, 1);
    default:
      return OnTrim(letter, TrimItemOfCode(letter), arg);
  }
}

void Ecu::OnMemoryWrite() {
  Accept('i');
  const auto* f = reinterpret_cast<const std::uint8_t*>(frame_.data());
  const std::size_t address = Word(f + 2);
  const std::size_t count = frame_.size() - 6;
  if (address + count > kMemorySize) return Refuse();
  std::copy(f + 5, f + 5 + count, state_.memory.begin() + static_cast<std::ptrdiff_t>(address));
  if (address == kConfigAddress && cutAfterConfigFrameMs_ != 0) {
    lineDeadUntilMs_ = nowMs_ + cutAfterConfigFrameMs_;
    cutAfterConfigFrameMs_ = 0;
  }
}

void Ecu::OnAlign(std::uint8_t sub) {
  Accept('A');
  switch (sub) {
    case 0x00: state_.advanceLocked = false; break;
    case 0x01: state_.advanceLocked = true; break;
    case 0x02: StepConfigWord(12, +1); break;
    case 0x03: StepConfigWord(12, -1); break;
    case 0x04: StepConfigWord(10, +1); break;
    case 0x05: StepConfigWord(10, -1); break;
    case 0x0F: state_.throttleInverted = true; break;
    case 0xFF:
      SetConfigWord(10, 180);
      SetConfigWord(12, 40);
      break;
    default: Refuse();
  }
}

void Ecu::OnReply(std::uint8_t sub) {
  Accept('B');
  if (sub == 5) {
    const auto& msg = state_.lock.message;
    SendPacket(kReply, 5, std::string(msg.begin(), msg.end()), 0);
  } else if (sub == 6) {
    std::string data;
    for (const std::uint16_t w : state_.sensorCounts) {
      data += static_cast<char>(w >> 8);
      data += static_cast<char>(w & 0xFF);
    }
    SendPacket(kReply, 6, data, 0);
  } else {
    Refuse();
  }
}

void Ecu::OnImmobiliser(std::uint8_t sub) {
  Accept('X');
  auto& im = state_.immobiliser;
  switch (sub) {
    case 1: im = {true, false, false}; break;
    case 2: im = {false, false, false}; break;
    case 3:
      im.learning = true;
      im.immobilised = false;
      break;
    default: Refuse();
  }
}

void Ecu::OnTelltale(std::uint8_t sub) {
  Accept('F');
  auto& t = state_.telltale;
  const std::uint16_t keycode = Word(state_.memory.data() + kKeycodeAddress);
  switch (sub) {
    case 0x08:
    case 0x03:
      if (t.locked) return Refuse();
      t.maxRpm = 0;
      break;
    case 0x02: t.capture = false; break;
    case 0x01: t.capture = true; break;
    case 0x06:
      t.code = keycode;
      t.locked = true;
      break;
    case 0x07:
      if (keycode != t.code) return Refuse();
      t.locked = false;
      break;
    default: Refuse();
  }
}

void Ecu::OnSecure() {
  // Checksum first, over the frame as it came, then unscramble from the fifth byte on.
  std::uint16_t k = state_.identity.lockKey;
  unsigned sum = 0;
  for (std::size_t i = 0; i + 1 < frame_.size(); ++i) {
    sum += static_cast<unsigned char>(frame_[i]) ^ (k & 0xFF);
    k = RotateKey(k);
  }
  if (static_cast<std::uint8_t>(0u - sum) != static_cast<std::uint8_t>(frame_.back())) {
    ++counters_.checksumErrors;
    return;
  }
  Accept('S');
  std::string plain = frame_;
  k = state_.identity.lockKey;
  for (std::size_t i = 4; i + 1 < plain.size(); ++i) {
    plain[i] = static_cast<char>(static_cast<unsigned char>(plain[i]) ^ (k & 0xFF));
    k = RotateKey(k);
  }
  const auto* p = reinterpret_cast<const std::uint8_t*>(plain.data());
  auto& lock = state_.lock;
  switch (p[2]) {
    case 0x0A:  // lock: PIN and 32 message bytes
      if (plain.size() != 41 || lock.locked) return Refuse();
      lock.pin1 = p[6];
      lock.pin2 = p[7];
      std::copy(p + 8, p + 40, lock.message.begin());
      lock.locked = true;
      lock.wrongCode = false;
      return;
    case 0x80:  // unlock with the PIN
      if (plain.size() != 9 || !lock.locked || lock.wrongCode) return Refuse();
      if (p[6] != lock.pin1 || p[7] != lock.pin2) {
        lock.wrongCode = true;
        return Refuse();
      }
      lock.locked = false;
      return;
    case 0x00:  // programming time stamp
      if (plain.size() != 11) return Refuse();
      state_.identity.programmedDate =
          static_cast<std::uint32_t>(Word(p + 6)) << 16 | Word(p + 8);
      return;
    default:
      Refuse();
  }
}

void Ecu::OnFirmwareStart() {
  const std::string_view length(frame_.data() + 2, 4);
  if (FirmwareStartChecksum(length) != static_cast<std::uint8_t>(frame_[6])) {
    ++counters_.checksumErrors;
    return;
  }
  Accept('R');
  if (firmwareStage_ != FirmwareStage::Idle) return Refuse();
  const auto* f = reinterpret_cast<const std::uint8_t*>(frame_.data());
  firmwareExpected_ = static_cast<std::uint32_t>(Word(f + 2)) << 16 | Word(f + 4);
  state_.firmware.clear();
  firmwareStage_ = FirmwareStage::Receiving;
  if (state_.firmwareFault == FirmwareFault::Silent) return;  // a loader that hangs
  SendPacket(kFirmwareReply, 'S', {}, 0);
  if (firmwareExpected_ == 0) {
    FirmwareReceived(nowMs_);
  } else {
    mode_ = Mode::FirmwareData;
  }
}

void Ecu::FirmwareReceived(std::uint64_t nowMs) {
  switch (state_.firmwareFault) {
    case FirmwareFault::ErrorAfterCode:
      SendPacket(kFirmwareReply, 'E', {}, 0);
      firmwareStage_ = FirmwareStage::Idle;
      return;
    case FirmwareFault::ResetBeforeVerify:
      SendPacket(kFirmwareReply, 'I', {}, 0);
      firmwareStage_ = FirmwareStage::Restarting;
      firmwareDueMs_ = nowMs + timing_.verifyDelayMs;
      return;
    default:
      SendPacket(kFirmwareReply, 'I', {}, 0);
      firmwareStage_ = FirmwareStage::Verifying;
      firmwareDueMs_ = nowMs + timing_.verifyDelayMs;
  }
}

void Ecu::OnTrim(std::uint8_t letter, int item, int action) {
  Accept(letter);
  if (item < 1 || item > 6) return Refuse();
  switch (action) {
    case 3: ++state_.trims[item]; break;
    case 2: --state_.trims[item]; break;
    case 1: state_.trims[item] = 0; break;
    default: Refuse();
  }
}

void Ecu::SendPacket(std::uint8_t type, std::uint8_t sub, std::string_view data,
                     std::uint8_t trailer) {
  // Firmware replies are two-byte bodies; every other packet carries data and a trailer.
  output_ += type == kFirmwareReply ? EncodeShortPacket(type, sub)
                                    : EncodePacket(type, sub, data, trailer);
  ++counters_.packets[type & 0x0F];
}

void Ecu::SendConfig(const std::string& image) {
  const auto pieces = SplitForPackets(image);
  for (std::size_t i = 0; i < pieces.size(); ++i) {
    SendPacket(kConfigChunk, static_cast<std::uint8_t>(i), pieces[i],
               i + 1 < pieces.size() ? kMoreChunksFollow : 0);
  }
}

void Ecu::SendBank(int bank) {
  const auto b = Bank(bank);
  const std::string image(b.begin(), b.end());
  for (const auto piece : SplitForPackets(image))
    SendPacket(kMapChunk, static_cast<std::uint8_t>(bank), piece, 0);
  bankEndInOutput_ = output_.size();
}

std::string Ecu::SlowData() const {
  static constexpr std::uint16_t kBankBits[] = {0x0000, 0x0040, 0x0080};
  const int bank = std::clamp(state_.activeBank, 1, kBankCount);
  const std::uint16_t status = static_cast<std::uint16_t>(
      (state_.slow.statusWord & ~0x00D0u) | kBankBits[bank - 1] |
      (state_.advanceLocked ? 0x0010u : 0u));
  const auto& t = state_.telltale;
  const std::uint16_t telltale = static_cast<std::uint16_t>(
      (t.locked ? 0x8000u : 0u) | (t.capture ? 0x4000u : 0u) | std::min<unsigned>(t.maxRpm, 0x3FFF));
  const auto& im = state_.immobiliser;
  const std::uint8_t lockBits = static_cast<std::uint8_t>(
      (state_.lock.wrongCode ? 0x04 : 0) | (state_.lock.locked ? 0x08 : 0) |
      (im.active ? 0x80 : 0) | (im.active && im.immobilised ? 0x40 : 0) |
      (im.active && im.learning ? 0x20 : 0));
  return EncodeSlow(state_.slow, status, telltale, lockBits);
}

std::string Ecu::FastData() const {
  FastLive f = state_.fast;
  if (state_.throttleInverted) f.throttleCounts = static_cast<std::uint16_t>(f.throttleCounts | 0x8000);
  return EncodeFast(f);
}

std::string Ecu::StatusData() const { return EncodeStatus(state_.identity, state_.telltale.maxRpm); }

void Ecu::SendFast() {
  if (engine_) engine_->Step(timing_.fastIntervalMs, state_.fast, state_.slow);
  auto& t = state_.telltale;
  if (t.capture && state_.fast.rpm > t.maxRpm) t.maxRpm = state_.fast.rpm;
  SendPacket(kFastLive, 0, FastData(), 0);
}

void Ecu::SendSlow() { SendPacket(kSlowLive, 0, SlowData(), 0); }

void Ecu::SendFault(LineFault fault) {
  const std::string data = FastData();
  switch (fault) {
    case LineFault::BadStuffing: {
      // An escape DB before the ordinary byte 41 in the middle of the data, and a lone DB
      // where the data ends.
      const std::string_view d(data);
      output_ += std::string("\xDB\xC0", 2) + static_cast<char>(kFastLive) + '\0' + Stuff(d.substr(0, 10)) +
                 "\xDB\x41" + Stuff(d.substr(10)) + "\xDB" + '\0' + "\xC0";
      break;
    }
    case LineFault::Truncated: {
      const std::string good = EncodePacket(kFastLive, 0, data, 0);
      output_ += good.substr(0, good.size() / 2);
      break;
    }
    case LineFault::OverLong:
      output_ += EncodePacket(kFastLive, 0, std::string(300, '\x55'), 0);
      break;
  }
}

void Ecu::Tick(std::uint64_t nowMs) {
  if (!powered_) return;
  nowMs_ = nowMs;
  const std::uint64_t idle = nowMs - std::min(nowMs, lastByteMs_);
  if (mode_ == Mode::Frame && idle >= timing_.frameTimeoutMs) {
    ++counters_.incompleteFrames;
    mode_ = Mode::Idle;
    frame_.clear();
  } else if ((mode_ == Mode::MapImage || mode_ == Mode::FirmwareData) &&
             idle >= std::max<std::uint64_t>(kTransferTimeoutMs, timing_.frameTimeoutMs)) {
    ++counters_.incompleteFrames;
    if (mode_ == Mode::FirmwareData) {
      // An abandoned download must not leave the PC waiting for "I" for ever.
      SendPacket(kFirmwareReply, 'E', {}, 0);
      firmwareStage_ = FirmwareStage::Idle;
    }
    mode_ = Mode::Idle;
    image_.clear();
  }

  if (firmwareStage_ == FirmwareStage::Verifying && nowMs >= firmwareDueMs_) {
    if (state_.failVerify) {
      SendPacket(kFirmwareReply, 'E', {}, 0);
      firmwareStage_ = FirmwareStage::Idle;
    } else {
      SendPacket(kFirmwareReply, 'V', {}, 0);
      firmwareStage_ = FirmwareStage::Restarting;
      firmwareDueMs_ = nowMs + timing_.restartDelayMs;
    }
  } else if (firmwareStage_ == FirmwareStage::Restarting && nowMs >= firmwareDueMs_) {
    Restart(nowMs);
  }

  for (const LineFault f : faults_) SendFault(f);
  faults_.clear();

  while (!delayedConfig_.empty() && nowMs >= delayedConfig_.front().dueMs) {
    SendConfig(delayedConfig_.front().image);
    delayedConfig_.erase(delayedConfig_.begin());
  }
  // A cut line carries nothing; the live stream picks up again at its cadence.
  if (LineCut()) {
    output_.clear();
    bankEndInOutput_ = 0;
    return;
  }

  if (!timersStarted_) {
    timersStarted_ = true;
    nextFastMs_ = nextSlowMs_ = nowMs;
  }
  // The running firmware streams; the loader (any firmware stage) does not, nor (by
  // choice) the firmware while it takes a map image.
  if (!streaming_ || firmwareStage_ != FirmwareStage::Idle) return;
  if (pauseWhileProgrammed_ && mode_ == Mode::MapImage) return;
  if (nowMs >= nextFastMs_) {
    SendFast();
    nextFastMs_ += timing_.fastIntervalMs;
    if (nextFastMs_ <= nowMs) nextFastMs_ = nowMs + timing_.fastIntervalMs;  // no bursts after a stall
  }
  if (nowMs >= nextSlowMs_) {
    SendSlow();
    nextSlowMs_ += timing_.slowIntervalMs;
    if (nextSlowMs_ <= nowMs) nextSlowMs_ = nowMs + timing_.slowIntervalMs;
  }
}

}  // namespace ecusim

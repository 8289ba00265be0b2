#include "files/FlashFile.h"

#include <cstdio>

namespace ecu {

namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// Two hexadecimal digits at `pos`, or -1.
int HexByte(std::string_view s, std::size_t pos) {
  if (pos + 2 > s.size()) return -1;
  const int hi = HexDigit(s[pos]), lo = HexDigit(s[pos + 1]);
  return hi < 0 || lo < 0 ? -1 : hi * 16 + lo;
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

AnsiString ValueAfterEquals(std::string_view line) {
  const auto eq = line.find('=');
  return eq == std::string_view::npos ? AnsiString() : AnsiString(line.substr(eq + 1));
}

// x / 10^scale rounded half to even to a whole number of hundredths.
int64_t Hundredths(const Decimal& d) {
  if (d.scale <= 2) {
    int64_t v = d.digits;
    for (int i = d.scale; i < 2; ++i) v *= 10;
    return v;
  }
  int64_t div = 1;
  for (int i = 2; i < d.scale; ++i) div *= 10;
  int64_t q = d.digits / div;
  const int64_t r = d.digits % div;
  if (2 * r > div || (2 * r == div && q % 2 != 0)) ++q;
  return q;
}

AnsiString TwoDecimals(int64_t hundredths) {
  char buf[32];
  const char* sign = hundredths < 0 ? "-" : "";
  const int64_t a = hundredths < 0 ? -hundredths : hundredths;
  std::snprintf(buf, sizeof buf, "%s%lld.%02lld", sign, static_cast<long long>(a / 100),
                static_cast<long long>(a % 100));
  return buf;
}

}  // namespace

std::vector<AnsiString> SplitUpdateLines(std::string_view text) {
  std::vector<AnsiString> lines;
  while (!text.empty()) {
    const auto lf = text.find('\n');
    std::string_view line = text.substr(0, lf);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    lines.emplace_back(line);
    if (lf == std::string_view::npos) break;
    text.remove_prefix(lf + 1);
  }
  return lines;
}

UpdateIni ParseUpdateIni(std::string_view text) {
  UpdateIni ini;
  for (const AnsiString& line : SplitUpdateLines(text)) {
    const auto has = [&line](const char* key) { return line.find(key) != AnsiString::npos; };
    if (has("FRomUpdate=")) {
      if (has("True")) {
        ini.installPending = true;
        ini.info.push_back("Install new ECU software");
      }
    } else if (has("FReleaseDate=")) {
      ini.info.push_back("Release date " + ValueAfterEquals(line));
    } else if (has("FVersion=")) {
      ini.version = ValueAfterEquals(line);
      ini.info.push_back("Firmware version " + ini.version);
    } else if (has("FReplaces=")) {
      ini.replaces = ValueAfterEquals(line);
      ini.info.push_back("Only updates version " + ini.replaces);
    } else if (has("FRequires=")) {
      ini.requires_ = ValueAfterEquals(line);
      ini.info.push_back("PC software version " + ini.requires_ + " required");
    } else if (has("EModel=")) {
      const AnsiString value = ValueAfterEquals(line);
      const int model = HexByte(value, 0);
      ini.modelChange = true;
      ini.info.push_back("Change of ECU model type");
      if (model < 0) ini.badModel = true;
      else ini.newModel = model;
    }
  }
  return ini;
}

bool ParseDecimal(std::string_view text, Decimal& out) {
  constexpr int kMaxDecimalPlaces = 9;
  text = Trim(text);
  Decimal d;
  bool any = false, point = false;
  for (const char c : text) {
    if (c == '.' && !point) {
      point = true;
    } else if (c >= '0' && c <= '9') {
      if (d.digits > 100000000000LL) return false;
      d.digits = d.digits * 10 + (c - '0');
      // No version has that many places; refusing them keeps 10^scale within 64 bits.
      if (point && ++d.scale > kMaxDecimalPlaces) return false;
      any = true;
    } else {
      return false;
    }
  }
  if (!any) return false;
  // 1.10 and 1.1 are the same number.
  while (d.scale > 0 && d.digits % 10 == 0) {
    d.digits /= 10;
    --d.scale;
  }
  out = d;
  return true;
}

bool RequiresAccepted(std::string_view value) {
  if (Trim(value) == "0") return true;
  Decimal d;
  if (!ParseDecimal(value, d)) return false;
  Decimal mine;
  ParseDecimal(std::to_string(PCSoftwareVersion / 10) + "." + std::to_string(PCSoftwareVersion % 10), mine);
  return d.digits == mine.digits && d.scale == mine.scale;
}

bool ReplacesMatches(std::string_view value, int32_t ecuVersionX100) {
  if (Trim(value) == "0") return true;
  Decimal d;
  return ParseDecimal(value, d) && Hundredths(d) == ecuVersionX100;
}

AnsiString ReplacesConflictText(std::string_view value, int32_t ecuVersionX100) {
  Decimal d;
  const AnsiString file = ParseDecimal(value, d) ? TwoDecimals(Hundredths(d)) : AnsiString(Trim(value));
  return "ECU version conflict.  This file is intended to replace version " + file + " not version " +
         TwoDecimals(ecuVersionX100) + ".\rContinue anyway?";
}

FirmwareImage ParseFirmwareRecords(std::string_view text) {
  FirmwareImage img;
  bool ended = false;
  int number = 0;
  for (const AnsiString& line : SplitUpdateLines(text)) {
    ++number;
    const auto bad = [&](const char* reason) {
      img.line = number;
      img.reason = reason;
      img.data.clear();
      img.records.clear();
      return img;
    };
    const bool s1 = line.compare(0, 2, "S1") == 0, s8 = line.compare(0, 2, "S8") == 0;
    if (!s1 && !s8) return bad("not an S1 or S8 record");
    if (line.size() < 10) return bad("line too short");
    const int count = HexByte(line, 2);
    if (count < 0) return bad("count is not hexadecimal");
    if (line.size() != static_cast<std::size_t>(2 * count + 4)) return bad("count does not match the line length");
    std::string bytes;
    for (std::size_t pos = 4; pos < line.size(); pos += 2) {
      const int b = HexByte(line, pos);
      if (b < 0) return bad("not hexadecimal");
      bytes += static_cast<char>(b);
    }
    if (!s1) {
      ended = true;
      continue;
    }
    if (count < 3) return bad("record too short for its address and checksum");
    unsigned sum = static_cast<unsigned>(count);
    for (std::size_t i = 0; i + 1 < bytes.size(); ++i) sum += static_cast<unsigned char>(bytes[i]);
    const int expected = 255 - static_cast<int>(sum % 256);
    if (expected != static_cast<unsigned char>(bytes.back())) {
      img.checksumMismatch = true;
      img.expectedChecksum = expected;
      img.foundChecksum = line.substr(line.size() - 2);
      return bad("checksum wrong");
    }
    if (ended) continue;  // after the S8 record: checked, never sent
    std::string data = bytes.substr(2, bytes.size() - 3);
    img.data += data;
    img.records.push_back(std::move(data));
  }
  img.ok = true;
  return img;
}

int32_t FlashStateAfterReply(int32_t state, uint8_t code) {
  using namespace flash;
  if (state == kIdle || state == kFinished) return state;
  switch (code) {
    case 'S': return state == kWaitReady ? kReady : kEcuError;
    case 'I': return state == kReady || state == kWaitReceived ? kReceived : kEcuError;
    case 'V': return state == kReceived || state == kWaitVerified ? kVerified : kEcuError;
    case 'E': return kEcuError;
    default: return state;
  }
}

int32_t FlashStateAfterRestart(int32_t state) {
  return state > flash::kReady && state <= flash::kFinished ? flash::kIdle : state;
}

void FlashSequence::Begin(int32_t& state, uint64_t nowMs) {
  state = flash::kStart;
  lastState_ = state;
  since_ = nowMs;
  resetExpected_ = succeeded_ = failed_ = false;
}

FlashStep FlashSequence::Next(int32_t& state, uint64_t nowMs) {
  using namespace flash;
  if (state != lastState_) {
    lastState_ = state;
    since_ = nowMs;
  }
  FlashStep step = FlashStep::Wait;
  switch (state) {
    case kIdle:
      if (resetExpected_) {
        succeeded_ = true;
        step = FlashStep::Configuring;
      } else {
        failed_ = true;
        step = FlashStep::UnexpectedReset;
      }
      state = kFinished;
      break;
    case kStart: step = FlashStep::AskLink; break;
    case kReady: step = FlashStep::Install; break;
    case kReceived:
      state = kWaitVerified;
      step = FlashStep::Verifying;
      break;
    case kVerified:
      resetExpected_ = true;
      state = kWaitRestart;
      step = FlashStep::WaitReset;
      break;
    case kEcuError:
      failed_ = true;
      state = kFinished;
      step = FlashStep::EcuError;
      break;
    case kFinished: step = FlashStep::Leave; break;
    case kWaitReady:
    case kWaitReceived:
    case kWaitVerified:
    case kWaitRestart:
      if (nowMs - since_ >= timeoutMs_) {
        failed_ = true;
        state = kFinished;
        step = FlashStep::TimedOut;
      }
      break;
    default:  // no such state: end the run as a failure rather than wait for ever
      failed_ = true;
      state = kFinished;
      step = FlashStep::EcuError;
      break;
  }
  if (state != lastState_) {
    lastState_ = state;
    since_ = nowMs;
  }
  return step;
}

void FlashSequence::AfterInstall(int32_t& state, uint64_t nowMs) {
  if (state == flash::kReady) state = flash::kWaitReceived;
  lastState_ = state;
  since_ = nowMs;
}

}  // namespace ecu

// Update-file contents, the start frame and the update sequence's reply handling.
#include <gtest/gtest.h>

#include "files/FlashFile.h"
#include "model/Frames.h"

using namespace ecu;

namespace {

std::vector<uint8_t> BytesOf(const AnsiString& s) { return {s.begin(), s.end()}; }

// An S1 record of `data` at `address` with its correct checksum.
std::string S1(uint16_t address, const std::vector<uint8_t>& data) {
  const int count = static_cast<int>(data.size()) + 3;
  unsigned sum = static_cast<unsigned>(count) + (address >> 8) + (address & 0xFF);
  char buf[8];
  std::string line = "S1";
  std::snprintf(buf, sizeof buf, "%02X%04X", count, address);
  line += buf;
  for (uint8_t b : data) {
    std::snprintf(buf, sizeof buf, "%02X", b);
    line += buf;
    sum += b;
  }
  std::snprintf(buf, sizeof buf, "%02X", 255 - sum % 256);
  return line + buf;
}

}  // namespace

TEST(FlashFile, LinesAreReadWholeWithOrWithoutTheirEnd) {
  const std::vector<AnsiString> expected = {"FVersion=1.2", "", "FRomUpdate=True"};
  EXPECT_EQ(SplitUpdateLines("FVersion=1.2\r\n\r\nFRomUpdate=True"), expected);
  EXPECT_EQ(SplitUpdateLines("FVersion=1.2\r\n\r\nFRomUpdate=True\r\n"), expected);
  EXPECT_TRUE(SplitUpdateLines("").empty());
}

TEST(FlashFile, IniKeysFillTheInformation) {
  // The last line has no line end: its value must still be read whole.
  const UpdateIni ini = ParseUpdateIni(
      "[Update]\r\nFReleaseDate=12/03/2004\r\nFVersion=1.06\r\nFReplaces=1.05\r\n"
      "FRequires=1.1\r\nEModel=07\r\nFRomUpdate=True");
  const std::vector<AnsiString> info = {"Release date 12/03/2004", "Firmware version 1.06",
                                        "Only updates version 1.05", "PC software version 1.1 required",
                                        "Change of ECU model type", "Install new ECU software"};
  EXPECT_EQ(ini.info, info);
  EXPECT_TRUE(ini.installPending);
  EXPECT_TRUE(ini.modelChange);
  EXPECT_FALSE(ini.badModel);
  EXPECT_EQ(ini.newModel, 7);
  EXPECT_EQ(ini.replaces, "1.05");
  EXPECT_EQ(ini.requires_, "1.1");

  const UpdateIni model = ParseUpdateIni("EModel=05");
  EXPECT_FALSE(model.installPending);
  EXPECT_EQ(model.newModel, 5);
  EXPECT_EQ(model.version, "0");
  EXPECT_TRUE(ParseUpdateIni("EModel=").badModel);
  EXPECT_TRUE(ParseUpdateIni("EModel=5\r\n").badModel);
  EXPECT_FALSE(ParseUpdateIni("FRomUpdate=False").installPending);
}

TEST(FlashFile, VersionChecks) {
  struct Case { const char* value; bool accepted; } requires_[] = {
      {"0", true}, {"1.1", true}, {"1.10", true}, {" 1.100 ", true}, {"1.2", false},
      {"1.01", false}, {"11", false}, {"abc", false}, {"", false}};
  for (const Case& c : requires_) EXPECT_EQ(RequiresAccepted(c.value), c.accepted) << c.value;

  struct Replace { const char* value; int ecu; bool match; } replaces[] = {
      {"0", 104, true}, {"1.05", 105, true}, {"1.05", 104, false}, {"1.055", 106, true},
      {"1.045", 104, true}, {"x", 0, false}, {"1.050000000", 105, true},
      {"0.000000001", 0, true},
      // Too many places is no version: neither an overflow nor a division by zero.
      {"1.0500000000", 105, false}, {"0.000000000000000000001", 0, false},
      {"0.000000000000000000000000000000000000000000000000000000000000000001", 0, false}};
  for (const Replace& c : replaces) EXPECT_EQ(ReplacesMatches(c.value, c.ecu), c.match) << c.value;
  EXPECT_EQ(ReplacesConflictText("1.05", 104),
            "ECU version conflict.  This file is intended to replace version 1.05 not version 1.04.\r"
            "Continue anyway?");
}

TEST(FlashFile, StartFrames) {
  struct Case { uint32_t length; std::vector<uint8_t> bytes; } cases[] = {
      {32256, {0x24, 'R', 0x00, 0x00, 0x7E, 0x00, 0x0C}},
      {40960, {0x24, 'R', 0x00, 0x00, 0xA0, 0x00, 0x16}},
      {1001, {0x24, 'R', 0x00, 0x00, 0x03, 0xE8, 0x61}},
      {0, {0x24, 'R', 0x00, 0x00, 0x00, 0x00, 0x8A}},
      // 118 + 0x89 folds to 256 - 255 = 1 only once it passes 255: 0x89 gives 255, no fold.
      {0x8900, {0x24, 'R', 0x00, 0x00, 0x89, 0x00, 0x01}},
      {0x010100, {0x24, 'R', 0x00, 0x01, 0x01, 0x00, 0x88}},
  };
  for (const Case& c : cases) EXPECT_EQ(BytesOf(FlashStartFrame(c.length)), c.bytes) << c.length;
  EXPECT_EQ(BytesOf(ModelChangeFrame(5)), (std::vector<uint8_t>{0x24, 0x69, 0x00, 0x00, 0x07, 0x05, 0x67}));
}

TEST(FlashFile, RecordsAreReadUpToTheEndRecord) {
  const std::string text = S1(0x1000, {1, 2, 3}) + "\r\n" + S1(0x1003, {0xC0, 0xDB}) + "\r\nS9030000FC\r\n";
  // S9 is no record of this file.
  EXPECT_FALSE(ParseFirmwareRecords(text).ok);

  const std::string good = S1(0x1000, {1, 2, 3}) + "\r\n" + S1(0x1003, {0xC0, 0xDB}) + "\r\nS804000000FB\r\n" +
                           S1(0x2000, {9, 9, 9}) + "\r\n";
  const FirmwareImage img = ParseFirmwareRecords(good);
  ASSERT_TRUE(img.ok) << img.reason;
  // The record after S8 is checked but neither sent nor counted.
  EXPECT_EQ(img.data, std::string("\x01\x02\x03\xC0\xDB"));
  ASSERT_EQ(img.records.size(), 2u);
  EXPECT_EQ(img.records[1], std::string("\xC0\xDB"));
}

TEST(FlashFile, BadRecordsAreRefused) {
  const std::string ok = S1(0x1000, {0x10, 0x20, 0x30});  // S1061000102030xx
  std::string badSum = ok;
  badSum[badSum.size() - 1] = badSum.back() == '0' ? '1' : '0';
  std::string badCount = ok;
  badCount[3] = '7';
  struct Case { const char* what; std::string line; int badLine; } cases[] = {
      {"S2 record", "S2070010001020308D", 1},
      {"short line", "S1030000", 1},
      {"count wrong", badCount, 1},
      {"length wrong", ok + "00", 1},
      {"checksum wrong", badSum, 1},
      {"not hexadecimal", "S1061000102G30" + ok.substr(ok.size() - 2), 1},
      {"blank line", "\r\n" + ok, 1},
      {"second line", ok + "\r\nS5030000FC", 2},
  };
  for (const Case& c : cases) {
    const FirmwareImage img = ParseFirmwareRecords(c.line);
    EXPECT_FALSE(img.ok) << c.what;
    EXPECT_EQ(img.line, c.badLine) << c.what;
    EXPECT_TRUE(img.data.empty()) << c.what;
  }
  const FirmwareImage sum = ParseFirmwareRecords(badSum);
  EXPECT_TRUE(sum.checksumMismatch);
  EXPECT_EQ(sum.expectedChecksum, 255 - (6 + 0x10 + 0x00 + 0x10 + 0x20 + 0x30));
  EXPECT_EQ(sum.foundChecksum, badSum.substr(badSum.size() - 2));
}

TEST(FlashFile, RepliesCountOnlyInTheirOrder) {
  using namespace flash;
  struct Case { int32_t before; char code; int32_t after; } cases[] = {
      {kWaitReady, 'S', kReady},       {kReady, 'I', kReceived},        {kWaitReceived, 'I', kReceived},
      {kReceived, 'V', kVerified},     {kWaitVerified, 'V', kVerified}, {kReady, 'E', kEcuError},
      {kWaitRestart, 'E', kEcuError},  {kWaitReady, 'V', kEcuError},    {kWaitReady, 'I', kEcuError},
      {kWaitVerified, 'S', kEcuError}, {kWaitRestart, 'V', kEcuError},  {kEcuError, 'V', kEcuError},
      {kIdle, 'E', kIdle},             {kFinished, 'S', kFinished},     {kWaitReady, 'X', kWaitReady},
  };
  for (const Case& c : cases)
    EXPECT_EQ(FlashStateAfterReply(c.before, static_cast<uint8_t>(c.code)), c.after) << c.before << c.code;
  EXPECT_EQ(FlashStateAfterRestart(kReady), kReady);
  EXPECT_EQ(FlashStateAfterRestart(kWaitRestart), kIdle);
  EXPECT_EQ(FlashStateAfterRestart(kEcuError), kEcuError);
}

TEST(FlashFile, SequenceSucceedsOnlyAfterVerifyAndRestart) {
  using namespace flash;
  // Replies arrive while the code is still going out: "I" and "V" before the window looks.
  FlashSequence seq(1000);
  int32_t state = 0;
  seq.Begin(state, 0);
  EXPECT_EQ(seq.Next(state, 0), FlashStep::AskLink);
  state = kWaitReady;
  EXPECT_EQ(seq.Next(state, 10), FlashStep::Wait);
  state = FlashStateAfterReply(state, 'S');
  EXPECT_EQ(seq.Next(state, 20), FlashStep::Install);
  state = FlashStateAfterReply(state, 'I');
  state = FlashStateAfterReply(state, 'V');
  seq.AfterInstall(state, 30);
  EXPECT_EQ(state, kVerified);
  EXPECT_EQ(seq.Next(state, 40), FlashStep::WaitReset);
  EXPECT_TRUE(seq.ResetExpected());
  state = FlashStateAfterRestart(state);
  EXPECT_EQ(seq.Next(state, 50), FlashStep::Configuring);
  EXPECT_EQ(seq.Next(state, 60), FlashStep::Leave);
  EXPECT_TRUE(seq.Succeeded());
  EXPECT_FALSE(seq.Failed());
}

TEST(FlashFile, SequenceFailures) {
  using namespace flash;
  // Upper case: an ECU reply; r a restart (slow packet); i the code sent; t the wait
  // running out; n one round of the window's loop.
  struct Case { const char* what; const char* events; FlashStep last; } cases[] = {
      {"restart before verify", "SniInrn", FlashStep::UnexpectedReset},
      {"error while sending", "SnEin", FlashStep::EcuError},
      {"error instead of V", "SninIEn", FlashStep::EcuError},
      {"silent after start", "ntn", FlashStep::TimedOut},
      {"silent after the code", "Snintn", FlashStep::TimedOut},
      {"silent restart", "SniInVntn", FlashStep::TimedOut},
  };
  for (const Case& c : cases) {
    FlashSequence seq(1000);
    int32_t state = 0;
    uint64_t now = 0;
    seq.Begin(state, now);
    ASSERT_EQ(seq.Next(state, now), FlashStep::AskLink);
    state = kWaitReady;
    FlashStep step = FlashStep::Wait;
    for (const char* e = c.events; *e; ++e) {
      now += 1;
      if (*e == 'i') seq.AfterInstall(state, now);
      else if (*e == 'r') state = FlashStateAfterRestart(state);
      else if (*e == 't') now += 1000;
      else if (*e == 'n') step = seq.Next(state, now);
      else state = FlashStateAfterReply(state, static_cast<uint8_t>(*e));
    }
    EXPECT_EQ(step, c.last) << c.what;
    EXPECT_TRUE(seq.Failed()) << c.what;
    EXPECT_FALSE(seq.Succeeded()) << c.what;
    EXPECT_EQ(state, kFinished) << c.what;
  }
}

// Hexadecimal digits in either case read the same: count 05, address 12 34, data AB CD,
// checksum 255 - (05 + 12 + 34 + AB + CD) mod 256 = 3C; a model number 0a is 10.
TEST(FlashFile, LowerCaseHexDigitsReadAsUpperCase) {
  const char* lines[] = {"S1051234ABCD3C", "S1051234abcd3c", "S1051234aBcD3c", "S1051234abcd3C"};
  for (const char* line : lines) {
    const FirmwareImage img = ParseFirmwareRecords(std::string(line) + "\r\nS804000000FB\r\n");
    ASSERT_TRUE(img.ok) << line << ": " << img.reason;
    EXPECT_EQ(img.data, std::string("\xAB\xCD")) << line;
  }
  // A lower-case checksum that is wrong stays wrong.
  const FirmwareImage bad = ParseFirmwareRecords("S1051234abcd3d");
  EXPECT_FALSE(bad.ok);
  EXPECT_TRUE(bad.checksumMismatch);
  EXPECT_EQ(bad.expectedChecksum, 0x3C);
  struct Model {
    const char* line;
    int32_t model;
  } models[] = {{"EModel=0a", 10}, {"EModel=fF", 255}, {"EModel=A0", 160}};
  for (const Model& m : models) {
    const UpdateIni ini = ParseUpdateIni(m.line);
    EXPECT_FALSE(ini.badModel) << m.line;
    EXPECT_EQ(ini.newModel, m.model) << m.line;
  }
}

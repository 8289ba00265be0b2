#include <gtest/gtest.h>

#include <numeric>
#include <string>
#include <vector>

#include "ecusim/Ecu.h"
#include "ecusim/Framing.h"

namespace ecusim {
namespace {

std::string Bytes(std::initializer_list<unsigned> list) {
  std::string s;
  for (const unsigned b : list) s += static_cast<char>(b);
  return s;
}

// An ECU that only answers, so every packet seen is a reply; tests switch streaming on.
class EcusimEcu : public ::testing::Test {
 protected:
  EcusimEcu() { ecu.SetStreaming(false); }
  std::vector<Packet> Send(const std::string& bytes) {
    ecu.Receive(bytes, now);
    ecu.Tick(now);
    return DecodePackets(ecu.TakeOutput());
  }
  std::vector<Packet> Advance(std::uint64_t ms) {
    std::vector<Packet> all;
    for (std::uint64_t end = now + ms; now < end;) {
      now += 10;
      ecu.Tick(now);
      for (auto& p : DecodePackets(ecu.TakeOutput())) all.push_back(std::move(p));
    }
    return all;
  }
  int Word(const std::string& d, std::size_t at) {
    return static_cast<unsigned char>(d[at]) << 8 | static_cast<unsigned char>(d[at + 1]);
  }
  std::string LockFrame(unsigned pin1, unsigned pin2, const std::string& message) {
    std::string f = Bytes({'$', 'S', 0x0A, 0x29, 0x00, 0xD2, pin1, pin2});
    f += message + std::string(32 - message.size(), ' ');
    return SecureFrame(f, ecu.State().identity.lockKey);
  }
  std::string UnlockFrame(unsigned pin1, unsigned pin2) {
    return SecureFrame(Bytes({'$', 'S', 0x80, 0x09, 0x00, 0xD0, pin1, pin2}),
                       ecu.State().identity.lockKey);
  }
  std::uint8_t LockBits() { return static_cast<std::uint8_t>(ecu.SlowData()[62]); }

  Ecu ecu;
  std::uint64_t now = 1000;
};

TEST_F(EcusimEcu, PollsAnswerStatusAndConfiguration) {
  auto packets = Send("$s");
  ASSERT_EQ(packets.size(), 1u);
  EXPECT_EQ(packets[0].type, kStatus);
  ASSERT_EQ(packets[0].data.size(), kStatusDataSize);
  EXPECT_EQ(Word(packets[0].data, 12), 3);  // protocol
  EXPECT_EQ(Word(packets[0].data, 4), 105);

  packets = Send("$c");
  ASSERT_EQ(packets.size(), 2u);
  EXPECT_EQ(packets[0].trailer, kMoreChunksFollow);
  EXPECT_NE(packets[1].trailer, kMoreChunksFollow);
  const std::string image = packets[0].data + packets[1].data;
  ASSERT_EQ(image.size(), kConfigSize);
  EXPECT_EQ(image[1], 4);            // cylinders
  EXPECT_EQ(Word(image, 10), 180);   // reference advance
  EXPECT_EQ(Word(image, 56), 800);   // throttle maximum
  EXPECT_EQ(ecu.GetCounters().Frames('c'), 1u);
}

TEST_F(EcusimEcu, MemoryWritesLandInBanksAndConfiguration) {
  // A live cell write: bank 2, ignition table (image offset 288), row 3, column 5.
  const std::uint16_t address = 1024 + 6144 + 288 + 3 * 32 + 5;
  EXPECT_TRUE(Send(MemoryWriteFrame(address, "\x64")).empty());
  EXPECT_EQ(ecu.Bank(2)[288 + 3 * 32 + 5], 0x64);

  // The configuration upload: two frames of 140 and 160 bytes.
  std::string image(kConfigSize, '\0');
  std::iota(image.begin(), image.end(), 1);
  const std::string first = MemoryWriteFrame(0x0100, image.substr(0, 140));
  const std::string second = MemoryWriteFrame(0x018C, image.substr(140));
  EXPECT_EQ(first.substr(0, 5), Bytes({'$', 'i', 0x01, 0x00, 0x92}));
  EXPECT_EQ(second.substr(0, 5), Bytes({'$', 'i', 0x01, 0x8C, 0xA6}));
  Send(first + second);
  EXPECT_EQ(std::string(ecu.Config().begin(), ecu.Config().end()), image);
  // The configuration is kept in non-volatile memory: after a power cycle "$c" reads it.
  ecu.SetPowered(false);
  ecu.SetPowered(true);
  std::string read;
  for (const auto& p : Send("$c")) read += p.data;
  EXPECT_EQ(read, image);

  // The model change after a firmware update: 24 69 00 00 07 05 67.
  Send(Bytes({0x24, 0x69, 0x00, 0x00, 0x07, 0x05, 0x67}));
  EXPECT_EQ(ecu.Model(), 5);
  EXPECT_EQ(ecu.GetCounters().Frames('i'), 4u);
  EXPECT_EQ(ecu.GetCounters().rejectedFrames, 0u);
}

TEST_F(EcusimEcu, BadFramesChangeNothingAndAreCounted) {
  const auto before = ecu.State().memory;
  struct Row {
    std::string frame;
    std::uint32_t Counters::*counter;
  } rows[] = {
      {Bytes({'$', 'A', 0x01, 0x00}), &Counters::checksumErrors},
      {Bytes({'$', 'i', 0x04, 0x00, 0x07, 0x12, 0x00}), &Counters::checksumErrors},
      {Bytes({'$', 'Q'}), &Counters::unknownCommands},
      {Bytes({'$', 'i', 0x04, 0x00, 0x03}), &Counters::rejectedFrames},          // length < 7
      {MemoryWriteFrame(0xFFFE, "\x01\x02"), &Counters::rejectedFrames},          // past the end
      {Frame('D', "\x04"), &Counters::rejectedFrames},                             // no bank 4
      {Frame('A', "\x42"), &Counters::rejectedFrames},                             // no such step
      {Bytes({0x11, 0x22}), &Counters::strayBytes},
  };
  for (const auto& r : rows) {
    const std::uint32_t was = ecu.GetCounters().*r.counter;
    EXPECT_TRUE(Send(r.frame).empty());
    EXPECT_GT(ecu.GetCounters().*r.counter, was) << testing::PrintToString(r.frame);
  }
  EXPECT_EQ(ecu.State().memory, before);
  EXPECT_FALSE(ecu.State().advanceLocked);
  // A "$" where the letter belongs starts the next frame; the line is in step again.
  ASSERT_EQ(Send("$$s").size(), 1u);
}

TEST_F(EcusimEcu, UnfinishedFrameIsDroppedAfterAPause) {
  Send(Bytes({'$', 'i', 0x04}));
  Advance(2000);
  EXPECT_EQ(ecu.GetCounters().incompleteFrames, 1u);
  EXPECT_EQ(Send("$s").size(), 1u);
}

TEST_F(EcusimEcu, MapReadSendsTheBankInChunksThePcCanHold) {
  auto bank = ecu.Bank(3);
  for (std::size_t i = 0; i < kBankSize; ++i) bank[i] = static_cast<std::uint8_t>(i * 7);
  std::fill(bank.begin() + 288, bank.begin() + 800, 0xC0);  // an ignition table at 36 degrees
  const auto packets = Send(Frame('D', "\x03"));
  ASSERT_LE(packets.size(), 30u);
  std::string joined;
  for (const auto& p : packets) {
    EXPECT_EQ(p.type, kMapChunk);
    EXPECT_EQ(p.sub, 3);
    EXPECT_GE(p.bodySize, 10u);
    EXPECT_LE(p.bodySize + 3, kMaxLinePacket);
    joined += p.data;
  }
  EXPECT_EQ(joined, std::string(bank.begin(), bank.end()));
}

// A bank once asked for goes out whole: a second "$D" that comes while it is sent (a PC
// that gave up on the first and asks again) is answered after it, never inside it.
TEST_F(EcusimEcu, ABankStartedGoesOutWholeBeforeTheNext) {
  const auto packets = Send(Frame('D', "\x01") + Frame('D', "\x01") + Frame('D', "\x02"));
  std::string joined[3];
  std::size_t bank = 0;
  int last = 0;
  for (const auto& p : packets) {
    ASSERT_EQ(p.type, kMapChunk);
    if (joined[bank].size() == kBankSize) ++bank;
    ASSERT_LT(bank, 3u);
    if (joined[bank].empty()) last = p.sub;
    EXPECT_EQ(p.sub, last) << "a chunk of another bank inside bank " << bank;
    joined[bank] += p.data;
  }
  const auto b1 = ecu.Bank(1), b2 = ecu.Bank(2);
  EXPECT_EQ(joined[0], std::string(b1.begin(), b1.end()));
  EXPECT_EQ(joined[1], std::string(b1.begin(), b1.end()));
  EXPECT_EQ(joined[2], std::string(b2.begin(), b2.end()));
}

// What the PC sends while a bank is still on its way out is counted, up to the bank's last
// byte as the line reports it, and not after; bytes sent before the bank do not count.
TEST_F(EcusimEcu, WhatComesWhileABankGoesOutIsCounted) {
  const std::string before = ecu.TakeOutput();
  ecu.LineSent(before.size());
  ecu.Receive(Frame('D', "\x01"), now);
  const std::size_t bankBytes = ecu.TakeOutput().size();
  ASSERT_GT(bankBytes, kBankSize);
  EXPECT_TRUE(ecu.SendingBank());
  ecu.LineSent(before.size() + bankBytes - 1);
  Send(Frame('*', "\x02") + std::string(10, '\x11'));
  EXPECT_EQ(ecu.GetCounters().framesWhileBankSent['*'], 1u);
  EXPECT_EQ(ecu.GetCounters().imageBytesWhileBankSent, 10u);
  ecu.LineSent(before.size() + bankBytes);
  EXPECT_FALSE(ecu.SendingBank());
  Send(std::string(kBankSize - 10, '\x11') + "$s");
  EXPECT_EQ(ecu.GetCounters().imageBytesWhileBankSent, 10u);
  EXPECT_EQ(ecu.GetCounters().framesWhileBankSent['s'], 0u);
  EXPECT_EQ(ecu.Bank(2)[0], 0x11);
}

TEST_F(EcusimEcu, MapProgramReplacesTheBankOnlyWhenComplete) {
  const std::string image(kBankSize, '\x5A');
  Send(Frame('*', "\x02") + image.substr(0, 1000));
  Advance(6000);  // the line went quiet mid-image
  EXPECT_EQ(ecu.Bank(2)[0], 'E');
  EXPECT_EQ(ecu.GetCounters().incompleteFrames, 1u);

  Send(Frame('*', "\x02") + image);
  EXPECT_EQ(std::string(ecu.Bank(2).begin(), ecu.Bank(2).end()), image);
  // The image is not taken for frames: a "$s" after it is answered.
  EXPECT_EQ(Send("$s").size(), 1u);

  // The time stamp that follows a programmed bank becomes the programmed date.
  Send(SecureFrame(Bytes({'$', 'S', 0x00, 0x0B, 0x00, 0x36, 0x58, 0x21, 0x61, 0x0F}),
                   ecu.State().identity.lockKey));
  EXPECT_EQ(ecu.State().identity.programmedDate, 0x5821610Fu);
}

TEST_F(EcusimEcu, MapLockWithPinAndMessage) {
  Send(LockFrame(12, 34, "hello"));
  EXPECT_TRUE(ecu.State().lock.locked);
  EXPECT_EQ(LockBits() & 0x08, 0x08);
  auto reply = Send(Frame('B', "\x05"));
  ASSERT_EQ(reply.size(), 1u);
  EXPECT_EQ(reply[0].sub, 5);
  EXPECT_EQ(reply[0].data, "hello" + std::string(27, ' '));
  EXPECT_TRUE(Send(Frame('D', "\x01")).empty());  // locked maps are not read out

  Send(UnlockFrame(12, 35));
  EXPECT_EQ(LockBits() & 0x0C, 0x0C);  // wrong code, still locked
  Send(UnlockFrame(12, 34));
  EXPECT_TRUE(ecu.State().lock.locked);  // refused until a restart
  ecu.SetPowered(false);
  ecu.SetPowered(true);
  Send(UnlockFrame(12, 34));
  EXPECT_FALSE(ecu.State().lock.locked);
  EXPECT_EQ(LockBits() & 0x0C, 0);

  // A frame scrambled with another key fails its checksum.
  const std::uint32_t errors = ecu.GetCounters().checksumErrors;
  Send(SecureFrame(Bytes({'$', 'S', 0x0A, 0x29, 0x00, 0xD2, 1, 2}) + std::string(32, ' '), 0x1111));
  EXPECT_EQ(ecu.GetCounters().checksumErrors, errors + 1);
  EXPECT_FALSE(ecu.State().lock.locked);
}

TEST_F(EcusimEcu, ProgrammingUnlocksLockedMaps) {
  Send(LockFrame(1, 2, ""));
  Send(Frame('*', "\x01") + std::string(kBankSize, '\0'));
  EXPECT_FALSE(ecu.State().lock.locked);
}

TEST_F(EcusimEcu, ServiceFramesChangeTheEcuState) {
  Send(Frame('A', "\x01") + Frame('A', "\x02") + Frame('A', "\x02") + Frame('A', "\x05"));
  EXPECT_EQ(Word(ecu.SlowData(), 56) & 0x10, 0x10);
  EXPECT_EQ(Word(std::string(ecu.Config().begin(), ecu.Config().end()), 12), 42);
  EXPECT_EQ(Word(std::string(ecu.Config().begin(), ecu.Config().end()), 10), 179);
  Send(Frame('A', "\xFF") + Frame('A', Bytes({0x00})));
  EXPECT_EQ(Word(std::string(ecu.Config().begin(), ecu.Config().end()), 12), 40);
  EXPECT_EQ(Word(ecu.SlowData(), 56) & 0x10, 0);

  // "$P" 03 84 00 78 00 4E: throttle range 900 / 120 / 78, no checksum.
  Send(Bytes({'$', 'P', 0x03, 0x84, 0x00, 0x78, 0x00, 0x4E}));
  EXPECT_EQ(Word(std::string(ecu.Config().begin(), ecu.Config().end()), 56), 900);

  Send(Frame('X', "\x01"));
  ecu.State().immobiliser.immobilised = true;
  EXPECT_EQ(LockBits() & 0xE0, 0xC0);
  Send(Frame('X', "\x03"));
  EXPECT_EQ(LockBits() & 0xE0, 0xA0);
  Send(Frame('X', "\x02"));
  EXPECT_EQ(LockBits() & 0xE0, 0);

  // Trims: "$+" twice, "$" 90 03, then resets.
  Send(Bytes({'$', '+', '$', '+', '$', 0x90, 0x03, '$', '<'}));
  EXPECT_EQ(ecu.State().trims[1], 2);
  EXPECT_EQ(ecu.State().trims[3], 1);
  EXPECT_EQ(ecu.State().trims[2], -1);
  Send(Bytes({'$', '0', '$', 0x90, 0x01}) + Frame('E', "\x05"));
  EXPECT_EQ(ecu.State().trims[1], 0);
  EXPECT_EQ(ecu.State().trims[3], 0);
  EXPECT_EQ(ecu.State().lastTrimMode, 5);

  ecu.State().sensorCounts[3] = 0x0123;
  const auto reply = Send(Frame('B', "\x06"));
  ASSERT_EQ(reply.size(), 1u);
  EXPECT_EQ(Word(reply[0].data, 6), 0x0123);
}

TEST_F(EcusimEcu, TelltaleLockUsesTheKeycode) {
  ecu.SetStreaming(true);
  Send(Frame('F', "\x01"));
  ecu.State().fast.rpm = 6500;
  Advance(200);
  EXPECT_EQ(ecu.State().telltale.maxRpm, 6500);
  Send(MemoryWriteFrame(kKeycodeAddress, Bytes({12, 34})) + Frame('F', "\x06"));
  EXPECT_EQ(Word(ecu.SlowData(), 60), 0x8000 | 0x4000 | 6500);
  Send(Frame('F', "\x08"));
  EXPECT_EQ(ecu.State().telltale.maxRpm, 6500);  // locked: not cleared
  Send(MemoryWriteFrame(kKeycodeAddress, Bytes({12, 35})) + Frame('F', "\x07"));
  EXPECT_TRUE(ecu.State().telltale.locked);
  Send(MemoryWriteFrame(kKeycodeAddress, Bytes({12, 34})) + Frame('F', "\x07") + Frame('F', "\x08"));
  EXPECT_FALSE(ecu.State().telltale.locked);
  EXPECT_EQ(ecu.State().telltale.maxRpm, 0);
}

TEST_F(EcusimEcu, StreamsFastAndSlowPacketsAndFallsSilentOnRequest) {
  ecu.SetStreaming(true);
  ecu.State().fast.rpm = 3000;
  ecu.State().activeBank = 3;
  auto packets = Advance(1000);
  int fast = 0, slow = 0;
  for (const auto& p : packets) {
    if (p.type == kFastLive) {
      ++fast;
      ASSERT_EQ(p.data.size(), kFastDataSize);
      EXPECT_EQ(Word(p.data, 0), 3000);
    } else if (p.type == kSlowLive) {
      ++slow;
      ASSERT_EQ(p.data.size(), kSlowDataSize);
      EXPECT_EQ(Word(p.data, 56) & 0xC0, 0x80);  // bank 3
    }
  }
  EXPECT_EQ(fast, 20);  // every 50 ms: the line's full rate
  EXPECT_EQ(slow, 2);

  ecu.SetStreaming(false);
  EXPECT_TRUE(Advance(2000).empty());
  EXPECT_EQ(Send("$s").size(), 1u);  // silent, not deaf
  ecu.SetStreaming(true);
  EXPECT_FALSE(Advance(100).empty());

  ecu.SetPowered(false);
  EXPECT_TRUE(Send("$s").empty());
  EXPECT_TRUE(Advance(1000).empty());
}

TEST(EcusimCadence, FastPacketsComeAtTheChosenIntervalSlowOnesEveryHalfSecond) {
  struct Case {
    std::uint32_t fastMs;
    int fast;
  };
  for (const Case c : {Case{50, 20}, Case{100, 10}, Case{30, 34}, Case{900, 2}}) {
    Timing t;
    t.fastIntervalMs = c.fastMs;
    Ecu ecu(t);
    int fast = 0, slow = 0;
    // One second from the first tick; ticks every 10 ms, as the terminal's thread runs them.
    for (std::uint64_t now = 5000; now < 6000; now += 10) {
      ecu.Tick(now);
      for (const auto& p : DecodePackets(ecu.TakeOutput())) (p.type == kFastLive ? fast : slow) += 1;
    }
    EXPECT_EQ(fast, c.fast) << c.fastMs;
    EXPECT_EQ(slow, 2) << c.fastMs;
  }
}

TEST_F(EcusimEcu, FirmwareDownloadVerifyAndRestart) {
  ecu.SetStreaming(true);
  Advance(100);
  std::string length = Bytes({0, 0, 0x03, 0xE8});  // 1,000 announced
  const std::string start = "$R" + length + static_cast<char>(FirmwareStartChecksum(length));

  // A wrong checksum is ignored: no "S".
  auto packets = Send(start.substr(0, 6) + static_cast<char>(start[6] + 1));
  for (const auto& p : packets) EXPECT_NE(p.type, kFirmwareReply);
  EXPECT_EQ(ecu.GetCounters().checksumErrors, 1u);

  packets = Send(start);
  ASSERT_FALSE(packets.empty());
  EXPECT_EQ(packets.back().type, kFirmwareReply);
  EXPECT_EQ(packets.back().sub, 'S');
  EXPECT_EQ(packets.back().bodySize, 2u);

  std::string code(1001, '\0');  // one more than announced, as the PC sends an odd length
  for (std::size_t i = 0; i < code.size(); ++i) code[i] = static_cast<char>(i);
  packets = Send(code.substr(0, 999));
  EXPECT_TRUE(packets.empty());  // the loader streams nothing
  packets = Send(code.substr(999));
  ASSERT_EQ(packets.size(), 1u);
  EXPECT_EQ(packets[0].sub, 'I');
  EXPECT_EQ(ecu.State().firmware, code.substr(0, 1000));
  EXPECT_EQ(ecu.GetCounters().strayBytes, 1u);

  packets = Advance(300);
  ASSERT_EQ(packets.size(), 1u);
  EXPECT_EQ(packets[0].sub, 'V');
  EXPECT_EQ(ecu.State().restarts, 0u);
  packets = Advance(700);
  EXPECT_EQ(ecu.State().restarts, 1u);
  bool slowSeen = false;
  for (const auto& p : packets) slowSeen |= p.type == kSlowLive;
  EXPECT_TRUE(slowSeen);
}

TEST_F(EcusimEcu, FirmwareVerifyFailureAnswersError) {
  ecu.State().failVerify = true;
  const std::string length = Bytes({0, 0, 0, 2});
  Send("$R" + length + static_cast<char>(FirmwareStartChecksum(length)) + "ab");
  const auto packets = Advance(300);
  ASSERT_EQ(packets.size(), 1u);
  EXPECT_EQ(packets[0].sub, 'E');
  EXPECT_EQ(ecu.Firmware(), FirmwareStage::Idle);
}

}  // namespace
}  // namespace ecusim

namespace ecusim {
namespace {

// A fresh ECU holds a real calibration: named banks, speed sites 0, 500, 750 ... 8,000 rpm,
// throttle sites, an advance that rises with speed and falls with load.
TEST(EcusimMaps, FreshBanksHoldAPlausibleCalibration) {
  Ecu ecu;
  auto bank = ecu.Bank(1);
  EXPECT_EQ(std::string(bank.begin(), bank.begin() + 10), "ECU bank 1");
  auto word = [&](std::size_t at) { return bank[at] << 8 | bank[at + 1]; };
  EXPECT_EQ(word(3904), 0);          // speed site 0
  EXPECT_EQ(word(3904 + 2), 500);    // speed site 1
  EXPECT_EQ(word(3904 + 62), 8000);  // speed site 31
  EXPECT_EQ(bank[3969], 0);          // main tables on the throttle sites
  EXPECT_EQ(word(3970 + 30), 94);    // last throttle site
  // Ignition bytes are 2 x degrees + 120: 8 deg at 0 rpm and no load, 36 deg at 4,500 rpm
  // (site 17), 23 deg there at 94 % throttle (row 15).
  EXPECT_EQ(bank[288 + 0], 136);
  EXPECT_EQ(bank[288 + 17], 192);
  EXPECT_EQ(bank[288 + 15 * 32 + 17], 166);
  EXPECT_EQ(bank[3630] << 8 | bank[3631], 7000);  // hard limit
  // No ignition correction by temperature (132 - 2 x 0).
  EXPECT_EQ(bank[3296], 132);
  EXPECT_EQ(bank[3338 + 13], 132);
  // Bank 3 runs 4 degrees less advance than bank 1.
  EXPECT_EQ(ecu.Bank(3)[288 + 17], 184);
}

// A late configuration reply carries the configuration as it was when asked; a line cut
// after the first upload frame loses the second one.
TEST_F(EcusimEcu, LateRepliesAndACutUploadLine) {
  ecu.SetConfigReplyDelay(500);
  EXPECT_TRUE(Send("$c").empty());
  Send(MemoryWriteFrame(kConfigAddress + 56, Bytes({0x03, 0x66})));  // throttle maximum 870
  std::vector<Packet> late = Advance(490);
  EXPECT_TRUE(late.empty());
  late = Advance(20);
  ASSERT_EQ(late.size(), 2u);
  EXPECT_EQ(Word(late[0].data, 56), 800);

  ecu.SetConfigReplyDelay(0);
  ecu.CutLineAfterConfigFrame(1000);
  const std::string first = MemoryWriteFrame(kConfigAddress, std::string(140, '\x11'));
  const std::string second = MemoryWriteFrame(kConfigAddress + 140, std::string(160, '\x22'));
  EXPECT_TRUE(Send(first + second + "$c").empty());
  EXPECT_EQ(ecu.GetCounters().bytesLostOnCutLine, second.size() + 2);
  EXPECT_EQ(ecu.Config()[139], 0x11);
  EXPECT_NE(ecu.Config()[140], 0x22);
  ecu.SetStreaming(true);
  EXPECT_TRUE(Advance(980).empty());
  EXPECT_FALSE(Advance(40).empty());
  EXPECT_EQ(Send("$c").size(), 2u);
}

}  // namespace
}  // namespace ecusim

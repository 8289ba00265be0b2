// Packet matching on a manager fed directly, without a port.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "serial/AdExcept.h"
#include "serial/AdPacket.h"

namespace {

struct Rig {
  TApdDataPacketManager manager{nullptr};
  TApdDataPacket packet{nullptr};
  std::vector<std::string> packets;
  std::vector<int> rawSizes;
  int timeouts = 0;

  Rig() {
    manager.Attach(&packet);
    manager.StartListening();
    packet.SetOnStringPacket([this](TObject*, const AnsiString& s) { packets.push_back(s); });
    packet.SetOnPacket([this](TObject*, const void*, int size) { rawSizes.push_back(size); });
    packet.SetOnTimeout([this](TObject*) { ++timeouts; });
  }
  void Feed(const std::string& bytes) {
    manager.Receive(reinterpret_cast<const uint8_t*>(bytes.data()), static_cast<int>(bytes.size()));
  }
};

// The main window's ECU packet: DB C0 ... C0, data without the framing.
void SlipSettings(TApdDataPacket& p) {
  p.SetStartCond(scString);
  p.SetStartString("\xDB\xC0");
  p.SetEndCond(ecString);
  p.SetEndString("\xC0");
  p.SetIgnoreCase(false);
  p.SetIncludeStrings(false);
  p.SetPacketSize(252);
  p.SetTimeOut(40);
}

struct MatchCase {
  const char* name;
  std::function<void(TApdDataPacket&)> settings;
  std::vector<std::string> chunks;
  std::vector<std::string> expected;
  int left;  // bytes the manager still holds
};

TEST(PacketMatching, Cases) {
  auto anySize4 = [](TApdDataPacket& p) {
    p.SetStartCond(scAnyData);
    p.SetEndCond(ecPacketSize);
    p.SetPacketSize(4);
  };
  auto startAB = [](bool include, TPacketEndSet end, int size = 4) {
    return [include, end, size](TApdDataPacket& p) {
      p.SetStartString("AB");
      p.SetEndString("E");
      p.SetEndCond(end);
      p.SetPacketSize(size);
      p.SetIncludeStrings(include);
    };
  };
  auto startOnly = [](const char* start, bool ignoreCase) {
    return [start, ignoreCase](TApdDataPacket& p) {
      p.SetStartString(start);
      p.SetIgnoreCase(ignoreCase);
    };
  };
  const MatchCase cases[] = {
      {"slip with junk around", SlipSettings, {"\x11\xDB\xC0\x05\x06\xC0\x22"}, {"\x05\x06"}, 0},
      {"slip false start", SlipSettings, {"\xDB\xDB\xC0\x01\xC0"}, {"\x01"}, 0},
      {"slip empty packet", SlipSettings, {std::string("\xDB\xC0\xC0")}, {""}, 0},
      {"slip split over arrivals", SlipSettings, {"\xDB", "\xC0\x01", "\x02\xC0"}, {"\x01\x02"}, 0},
      {"slip start byte waits, noise before it goes", SlipSettings, {"\x11\xDB"}, {}, 1},
      {"slip flood keeps only the last start byte", SlipSettings, {"\xDB\xDB\xDB", "\xDB\xDB"}, {}, 1},
      {"slip longest body", SlipSettings, {"\xDB\xC0" + std::string(252, '\x01') + "\xC0"}, {std::string(252, '\x01')}, 0},
      {"slip overlong body handed over at its limit", SlipSettings,
       {"\xDB\xC0" + std::string(300, '\x01'), "\xC0\xDB\xC0\x07\xC0"}, {std::string(253, '\x01'), "\x07"}, 0},
      {"slip start byte dropped on mismatch", SlipSettings, {"\xDB", "\x05"}, {}, 0},
      {"slip unfinished packet kept", SlipSettings, {"\xDB\xC0\x01\x02"}, {}, 4},
      {"any data by size", anySize4, {"ABCDEFGHIJ"}, {"ABCD", "EFGH"}, 2},
      {"start and size, strings kept", startAB(true, ecPacketSize), {"xxABcdAB"}, {"ABcd"}, 2},
      {"start and size, strings dropped", startAB(false, ecPacketSize), {"xxABcdAB"}, {"cd"}, 2},
      {"start string alone", startAB(true, 0), {"ABxAB"}, {"AB", "AB"}, 0},
      // A size equal to the start string's length: the start string is the whole packet,
      // complete by size at its last byte; the byte after it is not part of it.
      {"size equals start string, strings kept", startAB(true, ecPacketSize, 2), {"xABcA", "B"}, {"AB", "AB"}, 0},
      {"size equals start string, strings dropped", startAB(false, ecPacketSize, 2), {"ABcAB"}, {"", ""}, 0},
      {"size equals start string, end string never reached", startAB(true, ecPacketSize | ecString, 2),
       {"ABEAB"}, {"AB", "AB"}, 0},
      {"start string alone, dropped", startAB(false, 0), {"ABxAB"}, {"", ""}, 0},
      {"escaped question mark", startOnly("\\?", true), {"a?b?"}, {"?", "?"}, 0},
      {"wildcard", startOnly("A?C", false), {"ABCAXCAD"}, {"ABC", "AXC"}, 2},
      {"ignore case", startOnly("ab", true), {"xAbaB"}, {"Ab", "aB"}, 0},
      {"case kept", startOnly("ab", false), {"xAbab"}, {"ab"}, 0},
      {"multi-byte end string",
       [](TApdDataPacket& p) {
         p.SetStartString("S");
         p.SetEndCond(ecString);
         p.SetEndString("END");
       },
       {"SabENxEN", "Dz"},
       {"SabENxEND"},
       0},
      {"end string or size, size first",
       [](TApdDataPacket& p) {
         p.SetStartString("S");
         p.SetEndCond(ecString | ecPacketSize);
         p.SetEndString("E");
         p.SetPacketSize(4);
       },
       {"SabcdE", "SaE"},
       {"Sabc", "SaE"},
       0},
  };
  for (const MatchCase& c : cases) {
    SCOPED_TRACE(c.name);
    Rig rig;
    c.settings(rig.packet);
    rig.packet.SetEnabled(true);
    for (const std::string& chunk : c.chunks) rig.Feed(chunk);
    EXPECT_EQ(rig.packets, c.expected);
    EXPECT_EQ(rig.manager.BufferCount(), c.left);
    ASSERT_EQ(rig.rawSizes.size(), rig.packets.size());
  }
}

// A noisy line sending start bytes without end: the buffer stays small all the while and
// the packet after the flood is delivered.
TEST(PacketMatching, FloodOfStartBytesKeepsTheBufferSmall) {
  Rig rig;
  SlipSettings(rig.packet);
  rig.packet.SetEnabled(true);
  const std::string flood(4096, '\xDB');
  int largest = 0;
  for (int i = 0; i < 64 * 1024 * 1024 / 4096; ++i) {
    rig.Feed(flood);
    largest = std::max(largest, rig.manager.BufferCapacity());
  }
  rig.Feed(std::string(100000, '\xDB'));  // one large arrival grows the buffer once
  rig.Feed("\xC0\x05\x06\xC0");
  EXPECT_EQ(rig.packets, std::vector<std::string>{"\x05\x06"});
  EXPECT_LT(largest, 64 * 1024);
  EXPECT_LT(rig.manager.BufferCapacity(), 64 * 1024);
  EXPECT_EQ(rig.manager.BufferCount(), 0);
}

TEST(PacketMatching, TimeoutDisablesUntilReEnabled) {
  Rig rig;
  SlipSettings(rig.packet);
  rig.packet.SetEnabled(true);
  EXPECT_FALSE(rig.manager.TimerArmed());
  rig.Feed("\xDB\xC0\x05");
  EXPECT_EQ(rig.packet.PacketMode(), dpCollecting);
  EXPECT_TRUE(rig.manager.TimerArmed());
  EXPECT_EQ(rig.manager.TimerTicks(), 40);

  rig.manager.TimerExpired();
  EXPECT_EQ(rig.timeouts, 1);
  EXPECT_FALSE(rig.packet.Enabled());
  EXPECT_EQ(rig.packet.PacketMode(), dpIdle);
  EXPECT_EQ(rig.manager.BufferCount(), 0);
  EXPECT_FALSE(rig.manager.TimerArmed());

  rig.Feed("\xDB\xC0\x01\xC0");
  EXPECT_TRUE(rig.packets.empty());
  rig.packet.SetEnabled(true);
  rig.Feed("\xDB\xC0\x02\xC0");
  EXPECT_EQ(rig.packets, std::vector<std::string>{"\x02"});
  EXPECT_FALSE(rig.manager.TimerArmed());  // delivery disarms it
}

TEST(PacketMatching, AutoEnableOffDeliversOnce) {
  Rig rig;
  SlipSettings(rig.packet);
  rig.packet.SetAutoEnable(false);
  rig.packet.SetEnabled(true);
  rig.Feed("\xDB\xC0\x01\xC0\xDB\xC0\x02\xC0");
  EXPECT_EQ(rig.packets, std::vector<std::string>{"\x01"});
  EXPECT_FALSE(rig.packet.Enabled());
}

TEST(PacketMatching, HandlerMayReEnableAndChangeSettings) {
  Rig rig;
  SlipSettings(rig.packet);
  rig.packet.SetAutoEnable(false);
  rig.packet.SetOnStringPacket([&](TObject*, const AnsiString& s) {
    rig.packets.push_back(s);
    rig.packet.SetEndString("\xC1");
    rig.packet.SetEnabled(true);
  });
  rig.packet.SetEnabled(true);
  rig.Feed("\xDB\xC0\x01\xC0\xDB\xC0\x02\xC0\x03\xC1");
  EXPECT_EQ(rig.packets, (std::vector<std::string>{"\x01", "\x02\xC0\x03"}));
}

TEST(PacketMatching, EnabledWhileNotListeningArmsOnStart) {
  TApdDataPacketManager manager(nullptr);
  TApdDataPacket packet(nullptr);
  SlipSettings(packet);
  manager.Attach(&packet);
  packet.SetEnabled(true);
  EXPECT_EQ(packet.PacketMode(), dpIdle);
  manager.StartListening();
  EXPECT_EQ(packet.PacketMode(), dpWaiting);
  manager.StopListening();
  EXPECT_EQ(packet.PacketMode(), dpIdle);
  EXPECT_TRUE(packet.Enabled());
}

TEST(PacketMatching, InconsistentSettingsRaiseAndLeaveThePacketDisarmed) {
  struct ErrorCase {
    std::function<void(TApdDataPacket&)> settings;
    int code;
    const char* text;
  };
  const ErrorCase cases[] = {
      {[](TApdDataPacket& p) { p.SetEndCond(ecString); p.SetEndString("x"); }, -5501, "Start string is empty"},
      {[](TApdDataPacket& p) { p.SetStartString("\\"); }, -5501, "Start string is empty"},
      {[](TApdDataPacket& p) {
         p.SetStartString("ABC");
         p.SetEndCond(ecPacketSize);
         p.SetPacketSize(2);
       },
       -5502, "Packet size cannot be smaller than start string"},
      {[](TApdDataPacket& p) { p.SetStartCond(scAnyData); }, -5503, "CharCount packets must have an end-condition"},
      {[](TApdDataPacket& p) {
         p.SetStartString("A");
         p.SetEndCond(ecString);
       },
       -5504, "End string is empty"},
      {[](TApdDataPacket& p) {
         p.SetStartCond(scAnyData);
         p.SetEndCond(ecPacketSize);
       },
       -5505, "Packet size cannot be zero"},
  };
  for (const ErrorCase& c : cases) {
    SCOPED_TRACE(c.code);
    Rig rig;
    c.settings(rig.packet);
    try {
      rig.packet.SetEnabled(true);
      ADD_FAILURE() << "no exception";
    } catch (const EInvalidProperty& e) {
      EXPECT_EQ(e.ErrorCode, c.code);
      EXPECT_EQ(e.Message(), c.text);
    }
    EXPECT_FALSE(rig.packet.Enabled());
    EXPECT_EQ(rig.packet.PacketMode(), dpIdle);
  }
}

TEST(PacketMatching, TwoPacketsShareAPortFirstAttachedWins) {
  Rig rig;
  TApdDataPacket second(nullptr);
  std::vector<std::string> got2;
  rig.manager.Attach(&second);
  rig.packet.SetStartString("AB");
  rig.packet.SetEndCond(ecPacketSize);
  rig.packet.SetPacketSize(3);
  second.SetStartString("A");
  second.SetEndCond(ecPacketSize);
  second.SetPacketSize(2);
  second.SetOnStringPacket([&](TObject*, const AnsiString& s) { got2.push_back(s); });
  rig.packet.SetEnabled(true);
  second.SetEnabled(true);
  rig.Feed("ABCAXZ");
  EXPECT_EQ(rig.packets, std::vector<std::string>{"ABC"});
  EXPECT_EQ(got2, std::vector<std::string>{"AX"});
  rig.manager.Detach(&second);
}

// The rig's packet takes "AB".."Z"; `second`, attached beside it, takes "C" and one byte
// more, its packets collected in `got2`.
void StartTwoPackets(Rig& rig, TApdDataPacket& second, std::vector<std::string>& got2) {
  rig.manager.Attach(&second);
  rig.packet.SetStartString("AB");
  rig.packet.SetEndCond(ecString);
  rig.packet.SetEndString("Z");
  second.SetStartString("C");
  second.SetEndCond(ecPacketSize);
  second.SetPacketSize(2);
  second.SetOnStringPacket([&got2](TObject*, const AnsiString& s) { got2.push_back(s); });
  rig.packet.SetEnabled(true);
  second.SetEnabled(true);
}

// Only one packet of a port collects at a time: while one collects, the others neither
// start on its bytes nor keep what they had matched.
TEST(PacketMatching, TwoPacketsShareAPortOneCollectsAtATime) {
  struct Case {
    const char* name;
    std::vector<std::string> chunks;
    std::vector<std::string> first, second;
  } cases[] = {
      {"the second's start inside the first's packet", {"ABCDZ", "CQ"}, {"ABCDZ"}, {"CQ"}},
      {"bytes split across notices", {"AB", "C", "DZC", "Q"}, {"ABCDZ"}, {"CQ"}},
      // The first's partial "A" is part of the second's packet and goes with it.
      {"the second starts first", {"CA", "BZ"}, {}, {"CA"}},
  };
  for (const Case& c : cases) {
    Rig rig;
    TApdDataPacket second(nullptr);
    std::vector<std::string> got2;
    StartTwoPackets(rig, second, got2);
    for (const std::string& chunk : c.chunks) rig.Feed(chunk);
    EXPECT_EQ(rig.packets, c.first) << c.name;
    EXPECT_EQ(got2, c.second) << c.name;
    rig.manager.Detach(&second);
  }
}

// A collecting packet that stops without a packet or a timeout (disabled, its settings
// changed, taken off the port) hands the bytes it held back to the others at once: a reply
// of the second packet that came meanwhile is delivered without waiting for more input.
TEST(PacketMatching, PacketThatStopsCollectingLeavesItsBytesToTheOthers) {
  const std::pair<const char*, std::function<void(Rig&)>> ways[] = {
      {"disabled", [](Rig& rig) { rig.packet.SetEnabled(false); }},
      {"end string changed", [](Rig& rig) { rig.packet.SetEndString("Y"); }},
      {"detached", [](Rig& rig) { rig.manager.Detach(&rig.packet); }},
  };
  for (const auto& [name, stop] : ways) {
    SCOPED_TRACE(name);
    Rig rig;
    TApdDataPacket second(nullptr);
    std::vector<std::string> got2;
    StartTwoPackets(rig, second, got2);
    rig.Feed("ABxCQy");
    ASSERT_EQ(rig.packet.PacketMode(), dpCollecting);
    ASSERT_TRUE(got2.empty());
    stop(rig);
    EXPECT_EQ(got2, std::vector<std::string>{"CQ"});
    EXPECT_TRUE(rig.packets.empty());
    EXPECT_FALSE(rig.manager.TimerArmed());
    EXPECT_EQ(rig.manager.BufferCount(), 0);  // "AB" and "x" before it, "y" after it
    rig.manager.Detach(&second);
  }
}

TEST(PacketMatching, AnyDataPacketWaitsUntilTheCollectingOneIsDone) {
  Rig rig;
  TApdDataPacket second(nullptr);
  std::vector<std::string> got2;
  rig.manager.Attach(&second);
  rig.packet.SetStartString("AB");
  rig.packet.SetEndCond(ecString);
  rig.packet.SetEndString("Z");
  rig.packet.SetEnabled(true);
  rig.Feed("AB");
  EXPECT_EQ(rig.packet.PacketMode(), dpCollecting);
  second.SetStartCond(scAnyData);
  second.SetEndCond(ecPacketSize);
  second.SetPacketSize(2);
  second.SetOnStringPacket([&](TObject*, const AnsiString& s) { got2.push_back(s); });
  second.SetEnabled(true);
  EXPECT_NE(second.PacketMode(), dpCollecting);
  rig.Feed("CZ");
  EXPECT_EQ(rig.packets, std::vector<std::string>{"ABCZ"});
  EXPECT_TRUE(got2.empty());
  rig.Feed("12");
  EXPECT_EQ(got2, std::vector<std::string>{"12"});
  rig.manager.Detach(&second);
}

}  // namespace

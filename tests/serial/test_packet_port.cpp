// The main window's serial wiring on a pseudo-terminal: the port `comms` with its link
// watchdog, and the packet `SLIPpkt` cutting the ECU's stream into packets.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/os/Clock.h"
#include "serial/AdPacket.h"
#include "serial/AdPort.h"
#include "serial/Pty.h"

namespace {

class MainWindowRole : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(pty.Ok());
    comms = new TApdComPort(&form);
    comms->SetPromptForPort(false);
    comms->SetDTR(false);
    comms->SetOnTriggerTimer([this](TObject*, uint16_t h) { timers.push_back(h); });
    SLIPpkt = new TApdDataPacket(&form);
    SLIPpkt->SetComPort(comms);
    SLIPpkt->SetStartCond(scString);
    SLIPpkt->SetStartString("\xDB\xC0");
    SLIPpkt->SetEndCond(ecString);
    SLIPpkt->SetEndString("\xC0");
    SLIPpkt->SetIgnoreCase(false);
    SLIPpkt->SetIncludeStrings(false);
    SLIPpkt->SetPacketSize(252);
    SLIPpkt->SetTimeOut(40);
    SLIPpkt->SetEnabled(true);
    SLIPpkt->SetOnStringPacket([this](TObject*, const AnsiString& data) {
      EXPECT_TRUE(apd::gui::IsGuiThread());
      packets.push_back(data);
    });
    SLIPpkt->SetOnTimeout([this](TObject*) {
      ++timeouts;
      SLIPpkt->SetEnabled(true);  // what the main window's timeout handler does
    });
    comms->SetComNumber(static_cast<uint16_t>(pty.ComNumber()));
    comms->SetOpen(true);
  }

  Pty pty{211};
  os::ManualClock clock{55 * 5000};
  os::ScopedClock scoped{clock};
  TComponent form{nullptr};
  TApdComPort* comms = nullptr;
  TApdDataPacket* SLIPpkt = nullptr;
  std::vector<std::string> packets;
  std::vector<uint16_t> timers;
  int timeouts = 0;
};

TEST_F(MainWindowRole, PacketsReachTheHandlerOnTheGuiThread) {
  ASSERT_EQ(comms->PortState(), 2);
  EXPECT_FALSE(comms->Dispatcher()->DtrState());
  pty.Write("\x11\xDB\xC0\x05\x06\xC0\x22");
  ASSERT_TRUE(PumpUntilTrue([&] { return !packets.empty(); }));
  EXPECT_EQ(packets, std::vector<std::string>{"\x05\x06"});
  pty.Write("\xDB\xC0");
  pty.Write(std::string("\x01\xC0\xDB\xC0\x02\xC0", 6));
  ASSERT_TRUE(PumpUntilTrue([&] { return packets.size() >= 3; }));
  EXPECT_EQ(packets[1], "\x01");
  EXPECT_EQ(packets[2], "\x02");
}

TEST_F(MainWindowRole, WatchdogAndPacketTimeoutShareTheTimerEvent) {
  // The packet manager holds the port's first timer trigger; the watchdog gets the next.
  const uint16_t watchdog = comms->NewTimerTrigger();
  EXPECT_EQ(watchdog, 16);
  comms->ArmTimerTrigger(watchdog, 18, true);

  pty.Write("\xDB\xC0\x07");
  ASSERT_TRUE(PumpUntilTrue([&] { return SLIPpkt->PacketMode() == dpCollecting; }));
  clock.Advance(41 * 55);
  ASSERT_TRUE(PumpUntilTrue([&] { return timeouts == 1 && timers.size() >= 2; }));
  EXPECT_TRUE(SLIPpkt->Enabled());
  EXPECT_EQ(SLIPpkt->Manager()->BufferCount(), 0);
  EXPECT_NE(std::find(timers.begin(), timers.end(), watchdog), timers.end());
  EXPECT_NE(std::find(timers.begin(), timers.end(), SLIPpkt->Manager()->TimerHandle()), timers.end());

  // After the timeout the handler re-enabled the packet: the next one arrives.
  pty.Write("\xDB\xC0\x08\xC0");
  ASSERT_TRUE(PumpUntilTrue([&] { return !packets.empty(); }));
  EXPECT_EQ(packets.back(), "\x08");
}

TEST_F(MainWindowRole, ClosingFromThePacketHandlerAndReopening) {
  SLIPpkt->SetOnStringPacket([this](TObject*, const AnsiString& data) {
    packets.push_back(data);
    comms->SetOpen(false);
  });
  pty.Write("\xDB\xC0\x01\xC0\xDB\xC0\x02\xC0");
  ASSERT_TRUE(PumpUntilTrue([&] { return comms->PortState() == 0; }));
  EXPECT_EQ(packets, std::vector<std::string>{"\x01"});
  EXPECT_TRUE(SLIPpkt->Enabled());
  EXPECT_EQ(SLIPpkt->PacketMode(), dpIdle);

  comms->SetOpen(true);
  EXPECT_EQ(SLIPpkt->PacketMode(), dpWaiting);
  pty.Write("\xDB\xC0\x03\xC0");
  ASSERT_TRUE(PumpUntilTrue([&] { return packets.size() >= 2; }));
  EXPECT_EQ(packets.back(), "\x03");
}

TEST_F(MainWindowRole, FreeingThePortDetachesItsPackets) {
  delete comms;
  comms = nullptr;
  EXPECT_EQ(SLIPpkt->ComPort(), nullptr);
  EXPECT_EQ(SLIPpkt->Manager(), nullptr);
  // A new port on the same form takes the packet that has none.
  auto* again = new TApdComPort(&form);
  EXPECT_EQ(SLIPpkt->ComPort(), again);
}

}  // namespace

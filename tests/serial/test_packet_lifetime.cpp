// A packet freed while its port is open and bytes keep arriving: the dispatch thread may be
// in the middle of a delivery, waiting for the GUI thread, when the packet (and with it the
// port's packet manager) goes.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>

#include "serial/AdPacket.h"
#include "serial/AdPort.h"
#include "serial/Pty.h"

namespace {

class PacketLifetime : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(pty.Ok());
    port = new TApdComPort(&form);
    port->SetPromptForPort(false);
    packet = new TApdDataPacket(&form);
    packet->SetComPort(port);
    packet->SetStartCond(scAnyData);
    packet->SetEndCond(ecPacketSize);
    packet->SetPacketSize(4);
    packet->SetEnabled(true);
    port->SetComNumber(static_cast<uint16_t>(pty.ComNumber()));
    port->SetOpen(true);
    ASSERT_EQ(port->PortState(), 2);
    // Paced, so the line never fills up once nothing reads it any more.
    writer = std::thread([this] {
      while (!stop.load()) {
        pty.Write("abcdefgh");
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
      }
    });
  }
  void TearDown() override {
    stop.store(true);
    if (writer.joinable()) writer.join();
    delete port;
  }

  Pty pty{231};
  TComponent form{nullptr};
  TApdComPort* port = nullptr;
  TApdDataPacket* packet = nullptr;
  std::atomic<bool> stop{false};
  std::thread writer;
  int received = 0;
};

TEST_F(PacketLifetime, FreedBetweenDeliveries) {
  packet->SetOnStringPacket([this](TObject*, const AnsiString&) { ++received; });
  ASSERT_TRUE(PumpUntilTrue([&] { return received >= 3; }));
  delete packet;
  EXPECT_EQ(TApdDataPacketManagerList::Find(port), nullptr);
  // Whatever was on its way to the freed packet is dropped; the port carries on.
  for (int i = 0; i < 20; ++i) apd::gui::PumpMessages();
  const int before = received;
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  for (int i = 0; i < 20; ++i) apd::gui::PumpMessages();
  EXPECT_EQ(received, before);
  EXPECT_EQ(port->PortState(), 2);
}

TEST_F(PacketLifetime, FreedByItsOwnHandler) {
  packet->SetOnStringPacket([this](TObject* sender, const AnsiString&) {
    if (++received == 3) delete sender;
  });
  ASSERT_TRUE(PumpUntilTrue([&] { return received >= 3; }));
  ASSERT_TRUE(PumpUntilTrue([&] { return TApdDataPacketManagerList::Find(port) == nullptr; }));
  for (int i = 0; i < 20; ++i) apd::gui::PumpMessages();
  EXPECT_EQ(received, 3);
}

}  // namespace

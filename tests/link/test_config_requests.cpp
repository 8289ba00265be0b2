// Configuration replies matched with their requests around an upload: replies asked for
// before the upload never replace it, the read-back confirms it or reports it unfinished.
#include <gtest/gtest.h>

#include <functional>

#include "link/ConfigRequests.h"
#include "link/PacketHandler.h"
#include "model/ConfigBlock.h"
#include "model/Settings.h"

using namespace ecu;

namespace {

struct Host : PacketHost {
  int configs = 0, unfinished = 0;
  void Send(const AnsiString&) override {}
  void ArmLinkWatchdog() override {}
  void ConfigurationReceived() override { ++configs; }
  void ConfigUploadUnfinished() override { ++unfinished; }
};

// One complete reply, in two chunks: the image of a block of the defaults with throttle
// maximum `tpsMax` and tacho multiplier `tacho`.
void Give(PacketHandler& h, int tpsMax, int tacho) {
  TConfigBlock b{};
  config::ApplyConfigDefaults(b);
  config::SetThrottleMaximum(b, static_cast<uint16_t>(tpsMax));
  b.TachoMultiplier = static_cast<uint8_t>(tacho);
  const config::ConfigImage image = config::EncodeConfigImage(b);
  for (size_t from : {size_t{0}, size_t{150}}) {
    AnsiString body{3, 0};
    for (size_t i = from; i < from + 150; ++i) {
      const uint8_t c = image[i];
      if (c == 0xC0) body += "\xDB\xDC";
      else if (c == 0xDB) body += "\xDB\xDD";
      else body.push_back(static_cast<char>(c));
    }
    body.push_back(from == 0 ? 5 : 0);
    h.HandlePacket(body);
  }
}

struct Case {
  const char* what;
  // Run with the editor's block at throttle maximum 870, tacho 128 (the ECU held 800, 64).
  std::function<void(PacketHandler&)> run;
  int blockTps, readTps, readTacho;
  bool unsent;
  int configs, unfinished;
};

class ConfigRequestsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ConfigRequests = ConfigRequestLog{};
    ConfigBlock = TConfigBlock{};
    config::ApplyConfigDefaults(ConfigBlock);
    ConfigReadCopy = ConfigBlock;
    config::SetThrottleMaximum(ConfigBlock, 870);
    ConfigBlock.TachoMultiplier = 128;
    ConfigBlockUnsent = true;
  }
  TSettingsRecord units;
};

// The upload as the editor runs it at time `t`: a request still due from the editor's
// activation `since` ms before, the frames, then the read-back request.
void Upload(uint64_t t, uint64_t since = 10) {
  ConfigRequests.Requested(t - since);
  ConfigRequests.UploadStarted(config::EncodeConfigImage(ConfigBlock), t);
  ConfigRequests.UploadWritten();
  ConfigRequests.Requested(t + 5);
}

}  // namespace

TEST_F(ConfigRequestsTest, RepliesAroundAnUpload) {
  const Case cases[] = {
      {"the early reply is dropped, the read-back confirms",
       [](PacketHandler& h) {
         Upload(100000);
         Give(h, 800, 64);
         EXPECT_EQ(ConfigBlock.TPSMax, 870);
         EXPECT_TRUE(ConfigBlockUnsent);
         Give(h, 870, 128);
       },
       870, 870, 128, false, 1, 0},
      {"a read-back of a half-written image reports the upload unfinished",
       [](PacketHandler& h) {
         Upload(100000);
         Give(h, 800, 64);
         Give(h, 870, 64);
       },
       870, 870, 64, true, 1, 1},
      {"an edit made while waiting stays unsent",
       [](PacketHandler& h) {
         Upload(100000);
         config::SetThrottleMaximum(ConfigBlock, 880);
         Give(h, 800, 64);
         Give(h, 870, 128);
       },
       880, 870, 128, true, 1, 0},
      {"a request unanswered for long lost its reply: the next one is the read-back",
       [](PacketHandler& h) {
         Upload(100000, 5100);
         Give(h, 870, 128);
       },
       870, 870, 128, false, 1, 0},
      {"a lost link ends the upload; a later reply equal to the block clears the mark",
       [](PacketHandler& h) {
         Upload(100000);
         ConfigRequests.LinkLost();
         EXPECT_TRUE(ConfigRequests.UploadBroken());
         EXPECT_FALSE(ConfigRequests.UploadBroken());
         ConfigRequests.Requested(103000);
         Give(h, 870, 128);
       },
       870, 870, 128, false, 1, 0},
      {"after a broken upload a reply of the half-written image keeps the work",
       [](PacketHandler& h) {
         Upload(100000);
         ConfigRequests.LinkLost();
         ConfigRequests.UploadBroken();
         ConfigRequests.Requested(103000);
         Give(h, 870, 64);
       },
       870, 870, 64, true, 1, 0},
      {"a second upload in the session is read back and checked like the first",
       [](PacketHandler& h) {
         Upload(100000);
         Give(h, 800, 64);
         Give(h, 870, 128);
         EXPECT_FALSE(ConfigBlockUnsent);
         config::SetThrottleMaximum(ConfigBlock, 880);
         ConfigBlockUnsent = true;
         Upload(200000);
         Give(h, 870, 128);  // asked before the second upload: out of date
         Give(h, 880, 64);   // its read-back: half written
       },
       880, 880, 64, true, 2, 1},
      {"a frame not written whole: a reply asked for before still tells only the past",
       [](PacketHandler& h) {
         ConfigRequests.Requested(99990);
         ConfigRequests.UploadStarted(config::EncodeConfigImage(ConfigBlock), 100000);
         EXPECT_TRUE(ConfigRequests.UploadBroken());
         Give(h, 810, 32);
       },
       870, 800, 64, true, 0, 0},
      {"the read-back never sent: the early reply is dropped, a later one is current",
       [](PacketHandler& h) {
         ConfigRequests.Requested(99990);
         ConfigRequests.UploadStarted(config::EncodeConfigImage(ConfigBlock), 100000);
         ConfigRequests.UploadWritten();
         EXPECT_TRUE(ConfigRequests.UploadBroken());
         Give(h, 810, 32);
         ConfigRequests.Requested(103000);
         Give(h, 870, 64);
       },
       870, 870, 64, true, 1, 0},
      {"a request sent between the frames is out of date too",
       [](PacketHandler& h) {
         ConfigRequests.UploadStarted(config::EncodeConfigImage(ConfigBlock), 100000);
         ConfigRequests.Requested(100010);
         ConfigRequests.UploadWritten();
         ConfigRequests.Requested(100020);
         Give(h, 870, 64);
         Give(h, 870, 128);
       },
       870, 870, 128, false, 1, 0},
  };
  for (const Case& c : cases) {
    SetUp();
    Host host;
    PacketHandler handler(host, units);
    c.run(handler);
    EXPECT_EQ(ConfigBlock.TPSMax, c.blockTps) << c.what;
    EXPECT_EQ(ConfigReadCopy.TPSMax, c.readTps) << c.what;
    EXPECT_EQ(ConfigReadCopy.TachoMultiplier, c.readTacho) << c.what;
    EXPECT_EQ(ConfigBlockUnsent, c.unsent) << c.what;
    EXPECT_EQ(host.configs, c.configs) << c.what;
    EXPECT_EQ(host.unfinished, c.unfinished) << c.what;
    EXPECT_FALSE(ConfigRequests.UploadUnderWay()) << c.what;
  }
  ConfigRequests = ConfigRequestLog{};
  ConfigBlockUnsent = false;
}

// A reply is waited for five seconds. An upload starting when the request before it has
// been unanswered for up to that still waits for that reply (and drops it as out of date);
// only one unanswered for longer is given up, so the first reply after the frames is the
// read-back. The times are written out, so that the limit itself is held.
TEST(ConfigRequestLog, ReplyLimitAtAnUpload) {
  const uint64_t t = 100000;
  const struct {
    uint64_t since;
    bool waited;
  } cases[] = {{4900, true}, {5000, true}, {5001, false}, {5100, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.since);
    ConfigRequestLog log;
    log.Requested(t - c.since);
    log.UploadStarted(config::ConfigImage{}, t);
    EXPECT_EQ(log.RepliesDue(), c.waited ? 1u : 0u);
    log.UploadWritten();
    log.Requested(t + 5);
    if (c.waited) {
      EXPECT_EQ(log.Answered(), ConfigReplyKind::OutOfDate);
    }
    EXPECT_EQ(log.Answered(), ConfigReplyKind::ReadBack);
    EXPECT_FALSE(log.UploadUnderWay());
  }
}

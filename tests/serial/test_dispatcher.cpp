// Buffers, triggers and notices of the dispatcher, driven without a device or threads.
#include <gtest/gtest.h>

#include <vector>

#include "platform/os/Clock.h"
#include "serial/AdExcept.h"
#include "serial/AwUser.h"

namespace {

class FakeDispatcher : public TApdBaseDispatcher {
 public:
  FakeDispatcher() : TApdBaseDispatcher(nullptr) { AllocateBuffers(16); }
  using TApdBaseDispatcher::FireDataTriggers;
  using TApdBaseDispatcher::FireStatusTrigger;
  using TApdBaseDispatcher::FireTimerTrigger;
  using TApdBaseDispatcher::StoreInput;
  using TApdBaseDispatcher::UpdateLineStatus;
  using TApdBaseDispatcher::UpdateModemStatus;

  void Feed(const std::vector<uint8_t>& bytes) { StoreInput(bytes.data(), static_cast<int>(bytes.size())); }

  uint8_t lines = 0;
  uint32_t errors = 0;

 protected:
  int DeviceRead(uint8_t*, int) override { return 0; }
  int DeviceWrite(const uint8_t*, int Size) override { return Size; }
  bool WaitDeviceInput(bool) override { return false; }
  void CancelDeviceWait() override {}
  bool WaitDeviceWritable(const os::Event&, uint32_t) override { return false; }
  void PurgeDevice(bool) override {}
  uint8_t ReadModemLines() override { return lines; }
  uint32_t TakeDeviceLineErrors() override { return std::exchange(errors, 0u); }
  void CloseDevice() override {}
};

struct Notice {
  uint32_t msg, w, l;
};

class DispatcherTest : public ::testing::Test {
 protected:
  void SetUp() override {
    d.RegisterMethodClient([this](uint32_t m, uint32_t w, uint32_t l) { notices.push_back({m, w, l}); }, false);
  }
  os::ManualClock clock{55 * 100};
  os::ScopedClock scoped{clock};
  FakeDispatcher d;
  std::vector<Notice> notices;
};

TEST_F(DispatcherTest, TimerHandlesCountInEightsAndFireOncePerArming) {
  const uint32_t first = d.AddTimerTrigger();
  const uint32_t second = d.AddTimerTrigger();
  EXPECT_EQ(first, 8u);
  EXPECT_EQ(second, 16u);

  ASSERT_EQ(d.SetTimerTrigger(second, 18, true), 0);
  clock.Advance(18 * 55);
  EXPECT_FALSE(d.FireTimerTrigger());
  clock.Advance(55);
  EXPECT_TRUE(d.FireTimerTrigger());
  ASSERT_EQ(notices.size(), 1u);
  EXPECT_EQ(notices[0].msg, APW_TRIGGERTIMER);
  EXPECT_EQ(notices[0].w, second);
  EXPECT_EQ(notices[0].l >> 16, d.Handle());
  clock.Advance(100000);
  EXPECT_FALSE(d.FireTimerTrigger());  // one-shot until re-armed

  // Disarming keeps the interval; arming with 0 ticks reuses it.
  d.SetTimerTrigger(second, 0, false);
  d.SetTimerTrigger(second, 0, true);
  clock.Advance(18 * 55);
  EXPECT_FALSE(d.FireTimerTrigger());
  clock.Advance(55);
  EXPECT_TRUE(d.FireTimerTrigger());

  EXPECT_EQ(d.SetTimerTrigger(12345, 1, true), ecodes::ecBadTriggerHandle);
}

TEST_F(DispatcherTest, ExpiredTimersFireInListOrder) {
  const uint32_t a = d.AddTimerTrigger();
  const uint32_t b = d.AddTimerTrigger();
  d.SetTimerTrigger(b, 1, true);
  d.SetTimerTrigger(a, 2, true);
  clock.Advance(10 * 55);
  while (d.FireTimerTrigger()) {
  }
  ASSERT_EQ(notices.size(), 2u);
  EXPECT_EQ(notices[0].w, a);
  EXPECT_EQ(notices[1].w, b);
}

TEST_F(DispatcherTest, RemovingTriggers) {
  const uint32_t t = d.AddTimerTrigger();
  d.SetAvailLevel(1);
  EXPECT_EQ(d.RemoveTrigger(kAvailTriggerHandle), 0);
  EXPECT_EQ(d.AvailLevel(), 0u);
  EXPECT_EQ(d.RemoveTrigger(0), ecodes::ecBadTriggerHandle);
  EXPECT_EQ(d.RemoveTrigger(t), 0);
  EXPECT_EQ(d.RemoveTrigger(t), ecodes::ecBadTriggerHandle);

  d.AddTimerTrigger();
  d.RemoveAllTriggers();
  EXPECT_EQ(d.AddTimerTrigger(), 8u);
}

TEST_F(DispatcherTest, SavedTriggersComeBackWithTheirHandles) {
  d.AddTimerTrigger();
  const uint32_t watchdog = d.AddTimerTrigger();
  d.SetTimerTrigger(watchdog, 18, true);
  TTriggerSave saved;
  d.SaveTriggers(saved);
  d.RemoveAllTriggers();
  d.RestoreTriggers(saved);
  EXPECT_EQ(d.SetTimerTrigger(watchdog, 0, true), 0);
  // New handles keep clear of the restored ones.
  EXPECT_EQ(d.AddTimerTrigger(), 24u);
}

TEST_F(DispatcherTest, ClientsOfOneNoticeShareTheBytes) {
  // A second client: both read within the same data-available notice.
  std::vector<uint8_t> got3(3), got5(5);
  d.RegisterMethodClient([&](uint32_t m, uint32_t, uint32_t) {
    if (m == APW_TRIGGERAVAIL) {
      EXPECT_EQ(d.GetBlock(got3.data(), 3), 3);
    }
  }, false);
  d.RegisterMethodClient([&](uint32_t m, uint32_t, uint32_t) {
    if (m == APW_TRIGGERAVAIL) {
      EXPECT_EQ(d.GetBlock(got5.data(), 5), 5);
    }
  }, false);
  d.SetAvailLevel(1);
  d.Feed({1, 2, 3, 4, 5, 6, 7, 8, 9});
  EXPECT_FALSE(d.FireDataTriggers());  // not everything announced was taken
  EXPECT_EQ(got3, (std::vector<uint8_t>{1, 2, 3}));
  EXPECT_EQ(got5, (std::vector<uint8_t>{1, 2, 3, 4, 5}));
  EXPECT_EQ(d.InBuffUsed(), 4);
  ASSERT_FALSE(notices.empty());
  EXPECT_EQ(notices.back().msg, APW_TRIGGERAVAIL);
  EXPECT_EQ(notices.back().w, 9u);

  std::vector<uint8_t> rest(5);
  EXPECT_EQ(d.GetBlock(rest.data(), 5), ecodes::ecBufferIsEmpty);
  EXPECT_EQ(d.GetBlock(rest.data(), 4), 4);
  EXPECT_EQ(rest[0], 6);
}

TEST_F(DispatcherTest, InputRingWrapsAndFillsUp) {
  std::vector<uint8_t> chunk(5000, 0xAA);
  d.Feed(chunk);
  std::vector<uint8_t> out(5000);
  ASSERT_EQ(d.GetBlock(out.data(), 5000), 5000);
  std::vector<uint8_t> big(kInBufferSize + 10);
  for (size_t i = 0; i < big.size(); ++i) big[i] = static_cast<uint8_t>(i);
  EXPECT_EQ(d.StoreInput(big.data(), static_cast<int>(big.size())), kInBufferSize);
  EXPECT_EQ(d.InBuffUsed(), kInBufferSize);
  EXPECT_EQ(d.InBuffFree(), 0);
  std::vector<uint8_t> all(kInBufferSize);
  ASSERT_EQ(d.GetBlock(all.data(), kInBufferSize), kInBufferSize);
  EXPECT_EQ(all[4000], static_cast<uint8_t>(4000));
}

TEST_F(DispatcherTest, OutputRingRefusesWhatDoesNotFit) {
  EXPECT_EQ(d.OutBuffFree(), 16);
  EXPECT_EQ(d.PutBlock("0123456789", 10), 10);
  EXPECT_EQ(d.OutBuffUsed(), 10);
  EXPECT_EQ(d.PutBlock("0123456789", 7), ecodes::ecOutputBufferTooSmall);
  EXPECT_EQ(d.PutBlock("012345", 6), 6);
  EXPECT_EQ(d.OutBuffFree(), 0);
  d.PurgeBuffers(false);
  EXPECT_EQ(d.OutBuffUsed(), 0);
}

TEST_F(DispatcherTest, DataTriggersFindOverlappingOccurrences) {
  const int h = d.AddDataTrigger("aba", true);
  ASSERT_GT(h, 0);
  EXPECT_EQ(d.AddDataTrigger(AnsiString(22, 'x'), false), ecodes::ecTriggerTooLong);
  d.Feed({'x', 'A', 'B', 'a', 'b'});
  d.FireDataTriggers();
  d.Feed({'A', 'q'});
  d.FireDataTriggers();
  int matches = 0;
  for (const Notice& n : notices)
    if (n.msg == APW_TRIGGERDATA && n.w == static_cast<uint32_t>(h)) ++matches;
  EXPECT_EQ(matches, 2);
}

TEST_F(DispatcherTest, StatusTriggersFireOnceWhenTheirConditionHolds) {
  const uint32_t modem = d.AddStatusTrigger(stModem);
  const uint32_t line = d.AddStatusTrigger(stLine);
  const uint32_t sent = d.AddStatusTrigger(stOutSent);
  EXPECT_EQ(modem & 7, static_cast<uint32_t>(stModem));
  EXPECT_EQ(line & 7, static_cast<uint32_t>(stLine));
  // Watch CTS, expecting it low.
  d.SetStatusTrigger(modem, static_cast<uint16_t>(0x10 << 8), true);
  d.SetStatusTrigger(line, 0x04, true);
  d.SetStatusTrigger(sent, 0, true);
  d.UpdateModemStatus();
  EXPECT_FALSE(d.FireStatusTrigger());

  d.lines = 0x10;
  d.UpdateModemStatus();
  d.errors = 0x04;
  d.UpdateLineStatus();
  d.PutBlock("x", 1);
  while (d.FireStatusTrigger()) {
  }
  ASSERT_EQ(notices.size(), 3u);
  EXPECT_EQ(notices[0].w, modem);
  EXPECT_EQ(notices[1].w, line);
  EXPECT_EQ(notices[2].w, sent);
  EXPECT_EQ(d.GetModemStatus(), 0x11);  // CTS up, and changed
  EXPECT_EQ(d.GetModemStatus(), 0x10);  // the changed bit was cleared by the read
  EXPECT_EQ(d.GetLineError(), 3);
  EXPECT_EQ(d.GetLineError(), 0);
  EXPECT_EQ(d.SetStatusTrigger(12345, 0, true), ecodes::ecBadTriggerHandle);
}

TEST_F(DispatcherTest, LineErrorsReportTheFirstAndBreakSeparately) {
  d.errors = 0x10 | 0x08 | 0x02;
  d.UpdateLineStatus();
  EXPECT_EQ(d.GetLineError(), 2);
  EXPECT_TRUE(d.CheckLineBreak());
  EXPECT_FALSE(d.CheckLineBreak());
  d.errors = 0x10;
  d.UpdateLineStatus();
  EXPECT_EQ(d.GetLineError(), 9);
  EXPECT_TRUE(d.CheckLineBreak());
}

}  // namespace

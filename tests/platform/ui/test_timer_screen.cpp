// Timers tick on the GUI thread; the screen keeps the form list.
#include <chrono>
#include <thread>

#include "UiFixture.h"
#include "platform/ui/Timer.h"

namespace {

using TimerTest = UiTest;

TEST_F(TimerTest, TicksWhileEnabledAndShowsHandlerExceptions) {
  TTimer timer(nullptr);
  EXPECT_TRUE(timer.Enabled());
  EXPECT_EQ(timer.Interval(), 1000u);
  int ticks = 0;
  timer.OnTimer = [&](TObject*) {
    if (++ticks == 3) throw Exception("Tick failed");
  };
  timer.SetInterval(1);
  script.Answer(IDOK);
  PumpUntil([&] { return ticks >= 3 && script.Shown().size() == 1; });
  EXPECT_GE(ticks, 3);
  ASSERT_EQ(script.Shown().size(), 1u);
  EXPECT_EQ(script.Last().Text, "Tick failed.");

  timer.SetEnabled(false);
  const int stopped = ticks;
  Application->ProcessMessages();
  std::this_thread::sleep_for(std::chrono::milliseconds(5));
  Application->ProcessMessages();
  EXPECT_EQ(ticks, stopped);
  timer.Tick();  // driven by hand
  EXPECT_EQ(ticks, stopped + 1);

  TTimer loading(nullptr);
  loading.SetState(csLoading);
  loading.SetInterval(1);
  int early = 0;
  loading.OnTimer = [&](TObject*) { ++early; };
  std::this_thread::sleep_for(std::chrono::milliseconds(3));
  Application->ProcessMessages();
  EXPECT_EQ(early, 0);  // a timer still being read from a form waits
  loading.ClearState(csLoading);
  loading.Loaded();
  PumpUntil([&] { return early > 0; });
  EXPECT_GT(early, 0);
}

TEST_F(TimerTest, ScreenListsTheForms) {
  const int before = Screen->FormCount();
  TForm* f = NewForm();
  EXPECT_EQ(Screen->FormCount(), before + 1);
  EXPECT_EQ(Screen->Forms(before), f);
  EXPECT_GT(Screen->Width(), 0);
  EXPECT_EQ(Screen->PixelsPerInch(), 96);
}

}  // namespace

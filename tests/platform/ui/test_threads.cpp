// Posting and sending from other threads into the GUI thread.
#include <atomic>
#include <chrono>
#include <thread>

#include "UiFixture.h"
#include "platform/ui/MessageQueue.h"

namespace {

using ThreadTest = UiTest;

TEST_F(ThreadTest, PostedMessagesArriveInOrderOnTheGuiThread) {
  TForm* f = NewForm();
  std::vector<WPARAM> got;
  const std::thread::id gui = std::this_thread::get_id();
  bool wrongThread = false;
  f->SetMessageHandler(WM_USER + 3, [&](TMessage& m) {
    wrongThread |= std::this_thread::get_id() != gui;
    got.push_back(m.WParam);
  });
  std::thread worker([f] {
    for (WPARAM i = 0; i < 500; ++i) PostMessage(f, WM_USER + 3, i, 0);
  });
  worker.join();
  PumpUntil([&] { return got.size() == 500; });
  ASSERT_EQ(got.size(), 500u);
  for (WPARAM i = 0; i < 500; ++i) EXPECT_EQ(got[i], i);
  EXPECT_FALSE(wrongThread);

  std::atomic<int> ran{0};
  std::thread other([&] { ui::RunOnGuiThread([&] { ran = ui::IsGuiThread() ? 1 : -1; }); });
  other.join();
  PumpUntil([&] { return ran != 0; });
  EXPECT_EQ(ran, 1);
}

TEST_F(ThreadTest, SendWaitsForTheAnswer) {
  TForm* f = NewForm();
  f->SetMessageHandler(WM_USER + 4, [](TMessage& m) { m.Result = static_cast<LRESULT>(m.WParam * 2); });
  std::atomic<bool> finished{false};
  LRESULT result = 0;
  bool ok = false;
  std::thread worker([&] {
    ok = SendMessageTimeout(f, WM_USER + 4, 21, 0, 60000, &result);
    finished = true;
  });
  PumpUntil([&] { return finished.load(); });
  worker.join();
  EXPECT_TRUE(ok);
  EXPECT_EQ(result, 42);
}

TEST_F(ThreadTest, AnAbandonedSendIsDroppedSafely) {
  TForm* f = NewForm();
  int handled = 0;
  f->SetMessageHandler(WM_USER + 5, [&](TMessage& m) {
    ++handled;
    m.Result = 1;
  });
  LRESULT result = 77;
  // Nobody pumps messages: the sender gives up.
  std::thread worker([&] { EXPECT_FALSE(SendMessageTimeout(f, WM_USER + 5, 0, 0, 20, &result)); });
  worker.join();
  EXPECT_EQ(result, 77);
  Application->ProcessMessages();  // the abandoned message is not delivered late
  EXPECT_EQ(handled, 0);

  std::atomic<bool> ran{false};
  std::thread late([&] { EXPECT_FALSE(ui::SendToGuiThread([&ran] { ran = true; }, 10)); });
  late.join();
  Application->ProcessMessages();
  EXPECT_FALSE(ran);
}

}  // namespace

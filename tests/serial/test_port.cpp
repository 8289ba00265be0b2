// The com port component on a pseudo-terminal.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <grp.h>
#include <sched.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <atomic>
#include <chrono>
#include <functional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "platform/os/Clock.h"
#include "platform/os/ComPorts.h"
#include "platform/os/Thread.h"
#include "serial/AdExcept.h"
#include "serial/AdPort.h"
#include "serial/Pty.h"
#include "DeniedDevice.h"
#include "WithoutCapability.h"

namespace {

// The message of the E that `f` throws, or a note that it threw none.
template <class E, class F>
AnsiString MessageOf(F f) {
  try {
    f();
  } catch (const E& e) {
    return e.Message();
  }
  return "(nothing thrown)";
}

class PortTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(pty.Ok());
    port.SetComNumber(static_cast<uint16_t>(pty.ComNumber()));
    port.SetPromptForPort(false);
  }
  Pty pty{201};
  TApdComPort port{nullptr};
};

TEST_F(PortTest, OpensAt19200_8N1AndCloses) {
  port.SetOpen(true);
  ASSERT_EQ(port.PortState(), 2);
  const TLineState line = port.Dispatcher()->Line();
  EXPECT_EQ(line.Baud, 19200);
  EXPECT_EQ(line.DataBits, 8);
  EXPECT_EQ(line.Parity, 0);
  EXPECT_EQ(line.StopCode, 0);
  EXPECT_TRUE(port.Dispatcher()->DtrState());
  EXPECT_EQ(port.OutputSpaceFree(), 4096);
  port.SetOpen(false);
  EXPECT_EQ(port.PortState(), 0);
  EXPECT_EQ(port.Dispatcher(), nullptr);
  port.SetOpen(true);
  EXPECT_TRUE(port.Open());
}

// Field `n` (from 1) of a thread's stat line: 19 its nice value, 41 its scheduling policy.
long StatField(const std::filesystem::path& task, int n) {
  std::ifstream in(task / "stat");
  std::string stat((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  // Fields after the command name (which may hold spaces) start at field 3.
  std::istringstream rest(stat.substr(stat.rfind(')') + 2));
  std::string field;
  for (int i = 3; rest >> field; ++i)
    if (i == n) return std::stol(field);
  return -1;
}

std::filesystem::path Task(int tid) { return "/proc/self/task/" + std::to_string(tid); }

// The scheduling policy of each of the process's threads, by thread id.
std::vector<int> ThreadPolicies() {
  std::vector<int> policies;
  for (const auto& task : std::filesystem::directory_iterator("/proc/self/task"))
    policies.push_back(static_cast<int>(StatField(task.path(), 41)));
  return policies;
}

// An open port's event and dispatch threads never cut in on the thread that wakes them;
// the writer and the program's own threads keep the normal policy; closing ends them.
TEST_F(PortTest, TheLinesReadingThreadsYieldOnWake) {
  const auto batch = [] {
    const std::vector<int> p = ThreadPolicies();
    return std::count(p.begin(), p.end(), SCHED_BATCH);
  };
  bool allowed = false;
  std::thread([&] { allowed = os::YieldOnWake(); }).join();
  if (!allowed) GTEST_SKIP() << "this system does not let a thread choose the batch policy";
  EXPECT_EQ(batch(), 0);
  port.SetOpen(true);
  EXPECT_EQ(batch(), 2);
  EXPECT_EQ(sched_getscheduler(0), SCHED_OTHER);
  port.SetOpen(false);
  EXPECT_EQ(batch(), 0);
}

// The nice values of an open port's event, dispatch and writer threads.
std::array<long, 3> Nices(TApdComPort& port) {
  const std::array<int, 3> ids = port.Dispatcher()->ThreadSystemIds();
  return {StatField(Task(ids[0]), 19), StatField(Task(ids[1]), 19), StatField(Task(ids[2]), 19)};
}

// The port's thread boost moves the event and dispatch threads from the priority they
// started with (the opening thread's), 5 nice values a step; the writer keeps it outside
// RS485 mode and runs a step above the others in it; the yield-on-wake policy stays.
TEST_F(PortTest, ThreadBoostSetsTheLinesThreadsNiceValues) {
  const long base = getpriority(PRIO_PROCESS, 0);
  if (base > 4) GTEST_SKIP() << "the tests run at too low a priority to lower it three steps";
  bool batch = false, mayRaise = false;
  std::thread([&] {
    batch = os::YieldOnWake();
    mayRaise = setpriority(PRIO_PROCESS, 0, getpriority(PRIO_PROCESS, 0) - 1) == 0;
  }).join();
  port.SetThreadBoost(-2);  // reaches the threads as the port opens
  port.SetOpen(true);
  EXPECT_EQ(Nices(port), (std::array<long, 3>{base + 10, base + 10, base}));
  port.SetRS485Mode(true);
  EXPECT_EQ(Nices(port), (std::array<long, 3>{base + 10, base + 10, base + 5}));
  port.SetThreadBoost(-15);  // idle; the writer's -14 counts as lowest
  EXPECT_EQ(Nices(port), (std::array<long, 3>{19, 19, base + 10}));
  const std::array<int, 3> ids = port.Dispatcher()->ThreadSystemIds();
  const int batchOrOther = batch ? SCHED_BATCH : SCHED_OTHER;
  EXPECT_EQ(StatField(Task(ids[0]), 41), batchOrOther);
  EXPECT_EQ(StatField(Task(ids[1]), 41), batchOrOther);
  EXPECT_EQ(StatField(Task(ids[2]), 41), SCHED_OTHER);
  EXPECT_EQ(getpriority(PRIO_PROCESS, 0), base);  // the opening thread keeps its own
  if (mayRaise) {
    port.SetThreadBoost(1);
    EXPECT_EQ(Nices(port), (std::array<long, 3>{base - 5, base - 5, base - 10}));
    port.SetRS485Mode(false);
    EXPECT_EQ(Nices(port), (std::array<long, 3>{base - 5, base - 5, base}));
  }
  EXPECT_EQ(port.ThreadBoostRefusal(), "");
}

// Where the system refuses a higher priority (here: as to a process without privileges),
// the threads keep the one they have, the port keeps the first reason, nothing fails, and
// a lower priority is still given.
TEST_F(PortTest, ARefusedRaiseKeepsTheThreadsPriorityAndIsNotedOnce) {
  const long base = getpriority(PRIO_PROCESS, 0);
  if (base > 9) GTEST_SKIP() << "the tests run at too low a priority to lower it two steps";
  testhelp::WithoutCapability ordinaryUser(CAP_SYS_NICE);
  rlimit limit{};
  getrlimit(RLIMIT_NICE, &limit);
  const rlimit none{0, limit.rlim_max};
  setrlimit(RLIMIT_NICE, &none);
  port.SetThreadBoost(-1);
  port.SetOpen(true);
  EXPECT_NO_THROW(port.SetThreadBoost(1));
  EXPECT_EQ(Nices(port), (std::array<long, 3>{base + 5, base + 5, base}));
  const AnsiString refusal =
      "The system refused the line's threads priority 1 (Permission denied); they keep the priority they have";
  EXPECT_EQ(port.ThreadBoostRefusal(), refusal);
  port.SetThreadBoost(2);
  port.SetThreadBoost(-2);
  EXPECT_EQ(Nices(port), (std::array<long, 3>{base + 10, base + 10, base}));
  port.SetOpen(false);
  EXPECT_EQ(port.ThreadBoostRefusal(), refusal);
  setrlimit(RLIMIT_NICE, &limit);
}

TEST(LineSettings, ArgumentsResolveAgainstTheCurrentSettings) {
  TLineState current;
  current.Baud = 19200;
  struct Row {
    int32_t baud;
    int parity, dataBits, stopBits;
    int32_t wantBaud;
    int wantParity, wantDataBits, wantStopCode, error;
  };
  const Row rows[] = {
      {19200, 0, 8, 1, 19200, 0, 8, 0, 0},
      {kKeepBaud, kKeepParity, kKeepDataBits, kKeepStopBits, 19200, 0, 8, 0, 0},
      {9600, 2, 7, 2, 9600, 2, 7, 2, 0},
      {kKeepBaud, kKeepParity, 5, 2, 19200, 0, 5, 1, 0},  // one and a half stop bits
      {kKeepBaud, kKeepParity, kKeepDataBits, 0, 19200, 0, 8, 0, 0},
      {kKeepBaud, kKeepParity, kKeepDataBits, 7, 19200, 0, 8, 2, 0},
      {65279, kKeepParity, kKeepDataBits, kKeepStopBits, 115200, 0, 8, 0, 0},
      {65304, kKeepParity, kKeepDataBits, kKeepStopBits, 19200, 0, 8, 0, 0},
      {kKeepBaud, kKeepParity, 9 + 1, kKeepStopBits, 0, 0, 0, 0, ecodes::ecByteSize},
      {-5, kKeepParity, kKeepDataBits, kKeepStopBits, 0, 0, 0, 0, ecodes::ecBaudRate},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.baud);
    TLineState wanted;
    const int error = ResolveLine(current, r.baud, r.parity, r.dataBits, r.stopBits, wanted);
    EXPECT_EQ(error, r.error);
    if (error != 0) continue;
    EXPECT_EQ(wanted.Baud, r.wantBaud);
    EXPECT_EQ(wanted.Parity, r.wantParity);
    EXPECT_EQ(wanted.DataBits, r.wantDataBits);
    EXPECT_EQ(wanted.StopCode, r.wantStopCode);
  }
  // 18 characters of 10 bits at 19200 baud: about 10 ms.
  EXPECT_EQ(CharTimeMs(19200, 8, 0, 0, 18), 10u);
}

TEST_F(PortTest, LineSettingsFollowTheProperties) {
  port.SetOpen(true);
  port.SetBaud(9600);
  port.SetStopBits(2);
  TLineState line = port.Dispatcher()->Line();
  EXPECT_EQ(line.Baud, 9600);
  EXPECT_EQ(line.StopCode, 2);
  EXPECT_THROW(port.SetDataBits(10), EByteSize);
  EXPECT_EQ(port.DataBits(), 8);
  EXPECT_THROW(port.SetBaud(-1), EBaudRate);
  EXPECT_EQ(port.Baud(), 9600);
}

TEST_F(PortTest, SendsAndReceives) {
  std::string received;
  port.SetOnTriggerAvail([&](TObject*, uint16_t count) {
    EXPECT_TRUE(apd::gui::IsGuiThread());
    std::string chunk(count, '\0');
    port.GetBlock(chunk.data(), count);
    received += chunk;
  });
  port.SetOpen(true);
  port.SendString("$c");
  port.SendString(AnsiString("\x00\xFF$s", 4));
  EXPECT_EQ(pty.Read(6), std::string("$c\x00\xFF$s", 6));
  pty.Write("hello");
  EXPECT_TRUE(PumpUntilTrue([&] { return received.size() >= 5; }));
  EXPECT_EQ(received, "hello");
}

TEST_F(PortTest, ReceivingGoesOnAfterAllTriggersWereRemovedAndThePortReopened) {
  std::string received;
  port.SetOnTriggerAvail([&](TObject*, uint16_t count) {
    std::string chunk(count, '\0');
    port.GetBlock(chunk.data(), count);
    received += chunk;
  });
  port.SetOpen(true);
  port.RemoveAllTriggers();
  port.SetOpen(false);
  port.SetOpen(true);
  pty.Write("again");
  EXPECT_TRUE(PumpUntilTrue([&] { return received.size() >= 5; }));
  EXPECT_EQ(received, "again");
}

// Counts the calls handed to the GUI thread and passes them on to the application's loop.
class CountingBridge final : public apd::gui::GuiBridge {
 public:
  CountingBridge() : inner_(apd::gui::Bridge()) { apd::gui::SetBridge(this); }
  ~CountingBridge() override { apd::gui::SetBridge(nullptr); }
  bool IsGuiThread() const override { return inner_.IsGuiThread(); }
  void Post(std::function<void()> Call) override { inner_.Post(std::move(Call)); }
  bool Send(std::function<void()> Call, int TimeoutMs) override {
    ++sends;
    return inner_.Send(std::move(Call), TimeoutMs);
  }
  bool PumpMessages() override { return inner_.PumpMessages(); }
  bool QuitRequested() const override { return inner_.QuitRequested(); }
  std::atomic<int> sends{0};

 private:
  GuiBridge& inner_;
};

// Received bytes come with a data-available notice; the GUI thread is woken for it only when
// an assigned event takes it, not for a port whose only event is the link watchdog's timer.
TEST_F(PortTest, ReceivedDataWakesTheGuiThreadOnlyForAnEventThatTakesIt) {
  CountingBridge bridge;
  bool handled = false;
  struct {
    const char* events;
    std::function<void()> assign;
    bool gui;
  } cases[] = {
      {"timer only", [&] { port.SetOnTriggerTimer([](TObject*, uint16_t) {}); }, false},
      {"any trigger", [&] { port.SetOnTrigger([&](TObject*, uint16_t, uint16_t, uint16_t) { handled = true; }); },
       true},
      {"data available", [&] { port.SetOnTriggerAvail([&](TObject*, uint16_t) { handled = true; }); }, true},
  };
  port.SetOpen(true);
  std::atomic<int> seen{0};
  // The packet component reads the bytes on the dispatch thread, as this client does.
  port.Dispatcher()->RegisterMethodClient(
      [&](uint32_t msg, uint32_t count, uint32_t) {
        if (msg != APW_TRIGGERAVAIL) return;
        std::string bytes(count, '\0');
        if (port.Dispatcher()->GetBlock(bytes.data(), static_cast<int>(count)) > 0) seen += static_cast<int>(count);
      },
      false);
  for (const auto& c : cases) {
    port.SetOnTrigger(nullptr);
    port.SetOnTriggerAvail(nullptr);
    c.assign();
    handled = false;
    const int before = bridge.sends.load(), had = seen.load();
    pty.Write("abc");
    ASSERT_TRUE(PumpUntilTrue([&] { return seen.load() >= had + 3 && handled == c.gui; })) << c.events;
    EXPECT_EQ(bridge.sends.load() > before, c.gui) << c.events;
  }
}

// Between device events the dispatch thread sleeps until its next timer is due; a timer
// armed meanwhile for an earlier moment wakes it, and fires first.
TEST_F(PortTest, ATimerArmedWhileTheDispatchThreadSleepsFiresInItsTime) {
  std::vector<uint16_t> fired;
  port.SetOnTriggerTimer([&](TObject*, uint16_t h) { fired.push_back(h); });
  port.SetOpen(true);
  const uint16_t watchdog = port.NewTimerTrigger();
  const uint16_t quick = port.NewTimerTrigger();
  port.ArmTimerTrigger(watchdog, 18, true);  // about a second
  // Let the dispatch thread settle into its wait for the watchdog.
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  port.ArmTimerTrigger(quick, 1, true);
  ASSERT_TRUE(PumpUntilTrue([&] { return fired.size() == 2; }));
  EXPECT_EQ(fired, (std::vector<uint16_t>{quick, watchdog}));
}

TEST_F(PortTest, ClosedPortRules) {
  EXPECT_EQ(port.OutputSpaceFree(), 4096);
  EXPECT_EQ(port.OutputBytesPending(), 0);
  port.SetAutoOpen(false);
  EXPECT_EQ(MessageOf<ECommNotOpen>([&] { port.SendString("x"); }), "ie_NOpen - device not open");
  port.SetAutoOpen(true);
  port.SendString("y");  // opens the port first
  EXPECT_EQ(port.PortState(), 2);
  EXPECT_EQ(pty.Read(1), "y");
}

// A port that waits for characters hands each one to DoWaitChar, which fires OnWaitChar
// with the port and the character when the event is assigned.
TEST(WaitChar, FiresTheEventOnlyWhenAssigned) {
  struct WaitingPort : TApdComPort {
    using TApdComPort::TApdComPort;
    using TApdComPort::DoWaitChar;
  } port(nullptr);
  port.DoWaitChar('a');  // nothing assigned: nothing happens
  std::vector<std::pair<TObject*, char>> got;
  port.SetOnWaitChar([&](TObject* cp, char c) { got.emplace_back(cp, c); });
  port.DoWaitChar('\xC0');
  port.DoWaitChar('\0');
  EXPECT_EQ(got, (std::vector<std::pair<TObject*, char>>{{&port, '\xC0'}, {&port, '\0'}}));
  port.SetOnWaitChar(nullptr);
  port.DoWaitChar('b');
  EXPECT_EQ(got.size(), 2u);
}

TEST_F(PortTest, OpenFailuresRaiseTheirClasses) {
  TApdComPort none(nullptr);
  none.SetPromptForPort(false);
  EXPECT_EQ(MessageOf<ENoPortSelected>([&] { none.SetOpen(true); }),
            "The ComNumber property of the TApdComPort has not been set");
  EXPECT_EQ(none.PortState(), 0);

  setenv("CORVANEQ5_COM202", "/nonexistent/tty", 1);
  none.SetComNumber(202);
  EXPECT_THROW(none.SetOpen(true), EBadId);
  EXPECT_EQ(none.Dispatcher(), nullptr);
  unsetenv("CORVANEQ5_COM202");

  port.SetOpen(true);
  TApdComPort second(nullptr);
  second.SetComNumber(static_cast<uint16_t>(pty.ComNumber()));
  EXPECT_EQ(MessageOf<EAlreadyOpen>([&] { second.SetOpen(true); }), "ie_Open - device already open");
  EXPECT_FALSE(second.Open());
}

// A port another program holds is "already open"; a port whose device this user lacks the
// permission for says so, naming the port, its device and the way to the permission, and
// leaves the port closed to open as soon as the permission is there.
TEST_F(PortTest, HeldAndForbiddenPortsAreToldApart) {
  const std::string path = os::ComPortPath(pty.ComNumber());
  {
    // The terminal's exclusive mark, as another program sets it, keeps out all but root.
    testhelp::WithoutCapability ordinaryUser(CAP_SYS_ADMIN);
    const int other = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(other, 0);
    ASSERT_EQ(ioctl(other, TIOCEXCL), 0);
    EXPECT_EQ(MessageOf<EAlreadyOpen>([&] { port.SetOpen(true); }), "ie_Open - device already open");
    ioctl(other, TIOCNXCL);
    close(other);
  }
  EXPECT_EQ(port.PortState(), 0);

  // The device given to a group of users as serial devices are: this process's own group,
  // or for root (whose group is the administrator's) the usual "dialout".
  const group* users = getegid() != 0 ? getgrgid(getegid()) : getgrnam("dialout");
  ASSERT_NE(users, nullptr);
  const std::string usersName = users->gr_name;
  const gid_t usersId = users->gr_gid;
  const AnsiString lead = "Permission denied on COM201 (" + path + "): this user may not open the serial device. ";
  struct Case {
    mode_t mode;
    gid_t group;
    AnsiString text;
  };
  const Case cases[] = {
      {0060, usersId,
       lead + "Add the user to the group \"" + usersName + "\" (sudo usermod -aG " + usersName +
           " $USER), then log out and in again."},
      // Open to nobody, or to the administrator's group only: no group to join.
      {0, usersId, lead + "Ask the system's administrator for read and write access to it."},
      {0060, 0, lead + "Ask the system's administrator for read and write access to it."},
  };
  int tried = 0;
  for (const Case& c : cases) {
    SCOPED_TRACE("mode " + std::to_string(c.mode) + ", group " + std::to_string(c.group));
    testhelp::DeniedDevice denied(path, c.mode, c.group);
    // An ordinary user cannot give the device to the administrator's group.
    if (!denied.Denied()) continue;
    ++tried;
    try {
      port.SetOpen(true);
      ADD_FAILURE() << "opened";
    } catch (const EOpenComm& e) {
      EXPECT_EQ(dynamic_cast<const EAlreadyOpen*>(&e), nullptr);
      EXPECT_EQ(e.ErrorCode, ecodes::ecNoPermission);
      EXPECT_EQ(e.Message(), c.text);
    }
    EXPECT_EQ(port.PortState(), 0);
    EXPECT_EQ(port.Dispatcher(), nullptr);
  }
  port.SetOpen(true);
  EXPECT_EQ(port.PortState(), 2);
  if (tried == 0) GTEST_SKIP() << "the device's permissions do not keep this user out";
}

TEST_F(PortTest, LostLineIsReportedAndTheCloseStillCompletes) {
  port.SetOpen(true);
  pty.HangUp();
  ASSERT_TRUE(PumpUntilTrue([&] { return port.Dispatcher()->LineLost(); }));
  EXPECT_EQ(MessageOf<EPutBlockFail>([&] { port.SendString("$c"); }), "Failed to put entire block");
  port.SetOpen(false);
  EXPECT_EQ(port.PortState(), 0);
}

class PortTimerTest : public PortTest {
 protected:
  os::ManualClock clock{55 * 1000};
  os::ScopedClock scoped{clock};
};

TEST_F(PortTimerTest, TimerTriggerReachesTheGuiThread) {
  std::vector<uint16_t> fired;
  port.SetOpen(true);
  const uint16_t watchdog = port.NewTimerTrigger();
  EXPECT_EQ(watchdog, 8);
  // Assigned after opening: the event still arrives.
  port.SetOnTriggerTimer([&](TObject*, uint16_t h) {
    EXPECT_TRUE(apd::gui::IsGuiThread());
    fired.push_back(h);
  });
  port.ArmTimerTrigger(watchdog, 18, true);
  EXPECT_THROW(port.ArmTimerTrigger(999, 1, true), EBadTriggerHandle);
  clock.Advance(19 * 55);
  ASSERT_TRUE(PumpUntilTrue([&] { return !fired.empty(); }));
  EXPECT_EQ(fired, std::vector<uint16_t>{watchdog});
}

TEST_F(PortTimerTest, TriggersSurviveAChangeOfPortNumber) {
  Pty other(203);
  port.SetOpen(true);
  const uint16_t watchdog = port.NewTimerTrigger();
  port.SetComNumber(203);
  EXPECT_EQ(port.PortState(), 2);
  EXPECT_NO_THROW(port.ArmTimerTrigger(watchdog, 1, true));
  port.SetComNumber(203);  // unchanged: nothing happens
  EXPECT_EQ(port.PortState(), 2);
}

TEST_F(PortTimerTest, CloseFromInsideAnEventCompletesAfterIt) {
  bool fired = false;
  port.SetOnTriggerTimer([&](TObject*, uint16_t) {
    fired = true;
    port.SetOpen(false);
    EXPECT_EQ(port.PortState(), 1);
  });
  port.SetOpen(true);
  port.ArmTimerTrigger(port.NewTimerTrigger(), 1, true);
  clock.Advance(3 * 55);
  ASSERT_TRUE(PumpUntilTrue([&] { return port.PortState() == 0; }));
  EXPECT_TRUE(fired);
  EXPECT_EQ(port.Dispatcher(), nullptr);
}

TEST_F(PortTimerTest, ClosingWhileTheDispatchThreadWaitsForTheGuiCompletes) {
  int fired = 0;
  port.SetOnTriggerTimer([&](TObject*, uint16_t) { ++fired; });
  port.SetOpen(true);
  port.ArmTimerTrigger(port.NewTimerTrigger(), 1, true);
  clock.Advance(3 * 55);
  std::this_thread::sleep_for(std::chrono::milliseconds(300));  // the event is now waiting for us
  port.SetOpen(false);
  EXPECT_EQ(port.PortState(), 0);
}

TEST_F(PortTimerTest, BusyGuiThreadIsGivenUpOnAfterTheHandOverLimitAndTheTimerEventComesLate) {
  std::vector<uint16_t> fired;
  std::atomic<int> laterSeen{0};
  port.SetOnTriggerTimer([&](TObject*, uint16_t h) { fired.push_back(h); });
  port.SetOpen(true);
  const uint16_t first = port.NewTimerTrigger();
  const uint16_t later = port.NewTimerTrigger();
  // Told on the dispatch thread, before the GUI hand-over of each message.
  port.Dispatcher()->RegisterMethodClient(
      [&](uint32_t msg, uint32_t w, uint32_t) {
        if (msg == APW_TRIGGERTIMER && w == later) laterSeen.store(1);
      },
      false);
  port.ArmTimerTrigger(first, 1, true);
  port.ArmTimerTrigger(later, 2, true);
  clock.Advance(10 * 55);
  // The GUI thread stays busy: the first event's hand-over must be given up so that the
  // dispatch thread goes on to the next trigger.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
  while (laterSeen.load() == 0 && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  ASSERT_EQ(laterSeen.load(), 1);
  // Once the window takes messages again, both timer events arrive, the first one late.
  ASSERT_TRUE(PumpUntilTrue([&] { return fired.size() >= 2; }));
  PumpUntilTrue([] { return false; }, 200);
  EXPECT_EQ(std::count(fired.begin(), fired.end(), first), 1);
  EXPECT_EQ(std::count(fired.begin(), fired.end(), later), 1);
  port.SetOpen(false);
}

}  // namespace

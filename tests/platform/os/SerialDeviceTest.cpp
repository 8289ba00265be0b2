#include "platform/os/SerialDevice.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <stdlib.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <string>

#include "platform/os/ComPorts.h"
#include "platform/os/TermiosLine.h"
#include "DeniedDevice.h"
#include "WithoutCapability.h"

namespace {

using os::LineSettings;
using os::Parity;
using os::SerialDevice;
using os::SerialError;
using os::StopBits;

constexpr std::uint32_t kArrives = 5000;  // generous: bytes on a pseudo-terminal arrive at once

// A pseudo-terminal pair: the device under test opens the slave side through the
// CORVANEQ5_COM3 override, the test plays the far end on the master side.
class SerialPty : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(openpty(&master_, &slave_, nullptr, nullptr, nullptr), 0);
    path_ = ttyname(slave_);
    setenv("CORVANEQ5_COM3", path_.c_str(), 1);
  }
  void TearDown() override {
    unsetenv("CORVANEQ5_COM3");
    if (master_ >= 0) close(master_);
    close(slave_);
  }

  std::string ReadMaster(std::size_t count) {
    std::string got;
    while (got.size() < count) {
      pollfd p{master_, POLLIN, 0};
      if (poll(&p, 1, kArrives) != 1) break;
      char buf[256];
      const ssize_t n = read(master_, buf, sizeof buf);
      if (n <= 0) break;
      got.append(buf, static_cast<std::size_t>(n));
    }
    return got;
  }

  std::string ReadDevice(SerialDevice& dev, std::size_t count) {
    std::string got;
    while (got.size() < count && dev.WaitForInput(kArrives)) {
      char buf[256];
      const long n = dev.Read(buf, sizeof buf);
      if (n < 0) break;
      got.append(buf, static_cast<std::size_t>(n));
    }
    return got;
  }

  termios MasterTermios() {
    termios t{};
    tcgetattr(master_, &t);  // a master reports its slave's settings
    return t;
  }

  int master_ = -1;
  int slave_ = -1;
  std::string path_;
};

TEST_F(SerialPty, BytesTravelBothWaysInRawMode) {
  SerialDevice dev;
  ASSERT_EQ(dev.Open(3), SerialError::None);
  EXPECT_EQ(dev.Path(), path_);
  // Every byte value passes unaltered: no newline translation, no control characters.
  std::string all;
  for (int i = 0; i < 256; ++i) all.push_back(static_cast<char>(i));
  EXPECT_EQ(dev.Write(all.data(), all.size()), 256);
  EXPECT_EQ(ReadMaster(256), all);

  ASSERT_EQ(write(master_, all.data(), all.size()), 256);
  EXPECT_EQ(ReadDevice(dev, 256), all);

  char none;
  EXPECT_EQ(dev.Read(&none, 1), 0);  // nothing waiting: 0, not an error
  EXPECT_EQ(dev.LastError(), SerialError::None);
}

TEST(TermiosLine, FlagsForEveryFrame) {
  struct Row {
    LineSettings line;
    tcflag_t size;
    tcflag_t parityFlags;
    bool longStop;
  };
  const Row rows[] = {
      {{0, 8, Parity::None, StopBits::One}, CS8, 0, false},
      {{0, 7, Parity::Even, StopBits::One}, CS7, PARENB, false},
      {{0, 8, Parity::Odd, StopBits::Two}, CS8, PARENB | PARODD, true},
      {{0, 5, Parity::Mark, StopBits::OneAndHalf}, CS5, PARENB | PARODD | CMSPAR, true},
      {{0, 6, Parity::Space, StopBits::Two}, CS6, PARENB | CMSPAR, true},
      // With 5 data bits the long stop bit is one and a half bits on the wire.
      {{0, 5, Parity::None, StopBits::Two}, CS5, 0, true},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.line.dataBits * 100 + static_cast<int>(row.line.parity) * 10 +
                 static_cast<int>(row.line.stopBits));
    termios t{};
    t.c_cflag = CS7 | PARENB | PARODD | CMSPAR | CSTOPB | CREAD;  // leftovers to be replaced
    t.c_iflag = INPCK | ISTRIP | PARMRK;
    os::detail::ApplyLineFlags(t, row.line);
    EXPECT_EQ(t.c_cflag & CSIZE, row.size);
    EXPECT_EQ(t.c_cflag & (PARENB | PARODD | CMSPAR), row.parityFlags);
    EXPECT_EQ((t.c_cflag & CSTOPB) != 0, row.longStop);
    EXPECT_TRUE(t.c_cflag & CREAD);
    EXPECT_EQ(t.c_iflag & (INPCK | ISTRIP | PARMRK), 0u);  // bytes pass unaltered
    LineSettings back;
    back.baud = 0;
    os::detail::ReadLineFlags(t, back);
    LineSettings expected = row.line;
    if (expected.stopBits != StopBits::One)
      expected.stopBits = expected.dataBits == 5 ? StopBits::OneAndHalf : StopBits::Two;
    EXPECT_EQ(back, expected);
  }
}

TEST_F(SerialPty, LineSettingsReachTheDevice) {
  const LineSettings rows[] = {
      {19200, 8, Parity::None, StopBits::One},   {9600, 8, Parity::None, StopBits::Two},
      {110, 8, Parity::None, StopBits::One},     {256000, 8, Parity::None, StopBits::Two},
      {14400, 8, Parity::None, StopBits::One},   {56000, 8, Parity::None, StopBits::One},
      {128000, 8, Parity::None, StopBits::One},  {115200, 8, Parity::None, StopBits::One},
  };
  SerialDevice dev;
  ASSERT_EQ(dev.Open(3), SerialError::None);
  for (const LineSettings& row : rows) {
    SCOPED_TRACE(row.baud);
    ASSERT_EQ(dev.SetLine(row), SerialError::None);
    const termios t = MasterTermios();
    EXPECT_EQ(t.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
    EXPECT_EQ((t.c_cflag & CSTOPB) != 0, row.stopBits != StopBits::One);
    LineSettings back;
    ASSERT_EQ(dev.GetLine(back), SerialError::None);
    EXPECT_EQ(back, row);
  }
  // A pseudo-terminal carries plain bytes: it takes a parity frame but keeps 8-N.
  ASSERT_EQ(dev.SetLine({9600, 7, Parity::Even, StopBits::One}), SerialError::None);
  LineSettings back;
  ASSERT_EQ(dev.GetLine(back), SerialError::None);
  EXPECT_EQ(back.baud, 9600u);

  // A standard rate is stored as its standard code, visible to every termios user.
  ASSERT_EQ(dev.SetLine({19200, 8, Parity::None, StopBits::One}), SerialError::None);
  termios t = MasterTermios();
  EXPECT_EQ(cfgetospeed(&t), static_cast<speed_t>(B19200));

  // Flow control changes keep an arbitrary rate.
  ASSERT_EQ(dev.SetLine({256000, 8, Parity::None, StopBits::One}), SerialError::None);
  ASSERT_EQ(dev.SetHardwareFlow(true), SerialError::None);
  ASSERT_EQ(dev.SetSoftwareFlow(true, true, 0x11, 0x13), SerialError::None);
  t = MasterTermios();
  EXPECT_TRUE(t.c_cflag & CRTSCTS);
  EXPECT_EQ(t.c_iflag & (IXON | IXOFF), static_cast<tcflag_t>(IXON | IXOFF));
  EXPECT_EQ(t.c_cc[VSTART], 0x11);
  EXPECT_EQ(t.c_cc[VSTOP], 0x13);
  ASSERT_EQ(dev.GetLine(back), SerialError::None);
  EXPECT_EQ(back.baud, 256000u);
  ASSERT_EQ(dev.SetHardwareFlow(false), SerialError::None);
  ASSERT_EQ(dev.SetSoftwareFlow(false, false), SerialError::None);
  t = MasterTermios();
  EXPECT_FALSE(t.c_cflag & CRTSCTS);
  EXPECT_EQ(t.c_iflag & (IXON | IXOFF), 0u);
}

TEST_F(SerialPty, RefusesSettingsItCannotApply) {
  SerialDevice dev;
  ASSERT_EQ(dev.Open(3), SerialError::None);
  EXPECT_EQ(dev.SetLine({19200, 9, Parity::None, StopBits::One}), SerialError::BadArgument);
  EXPECT_EQ(dev.SetLine({19200, 4, Parity::None, StopBits::One}), SerialError::BadArgument);
  EXPECT_EQ(dev.SetLine({0, 8, Parity::None, StopBits::One}), SerialError::BadArgument);
  EXPECT_EQ(os::Win32ErrorNumber(dev.LastError()), 87);
}

TEST_F(SerialPty, QueueCountsAndPurge) {
  SerialDevice dev;
  ASSERT_EQ(dev.Open(3), SerialError::None);
  ASSERT_EQ(write(master_, "abcdef", 6), 6);
  os::QueueCounts counts;
  // The bytes reach the device's queue asynchronously; wait for all of them.
  for (int i = 0; i < 500; ++i) {
    ASSERT_EQ(dev.GetQueueCounts(counts), SerialError::None);
    if (counts.input == 6) break;
    usleep(10000);
  }
  EXPECT_EQ(counts.input, 6u);
  ASSERT_EQ(dev.Purge(true, false), SerialError::None);
  ASSERT_EQ(dev.GetQueueCounts(counts), SerialError::None);
  EXPECT_EQ(counts.input, 0u);
  char buf[8];
  EXPECT_EQ(dev.Read(buf, sizeof buf), 0);
  EXPECT_EQ(dev.Purge(false, true), SerialError::None);
  EXPECT_EQ(dev.Purge(true, true), SerialError::None);
}

TEST_F(SerialPty, OutputCountFollowsTheLineRate) {
  // The terminal takes the bytes at once; the count is what a line at 9,600 baud (960
  // bytes a second) would still be sending.
  SerialDevice dev;
  ASSERT_EQ(dev.Open(3), SerialError::None);
  ASSERT_EQ(dev.SetLine({9600, 8, Parity::None, StopBits::One}), SerialError::None);
  const std::string bytes(480, 'x');
  ASSERT_EQ(dev.Write(bytes.data(), bytes.size()), 480);
  os::QueueCounts counts;
  ASSERT_EQ(dev.GetQueueCounts(counts), SerialError::None);
  EXPECT_GT(counts.output, 400u);
  EXPECT_LE(counts.output, 480u);
  usleep(600000);  // more than the half second the bytes take
  ASSERT_EQ(dev.GetQueueCounts(counts), SerialError::None);
  EXPECT_EQ(counts.output, 0u);
  // Purging the output empties the line at once.
  ASSERT_EQ(dev.Write(bytes.data(), bytes.size()), 480);
  ASSERT_EQ(dev.Purge(false, true), SerialError::None);
  ASSERT_EQ(dev.GetQueueCounts(counts), SerialError::None);
  EXPECT_EQ(counts.output, 0u);
}

TEST_F(SerialPty, SecondOpenIsRefusedAsInUse) {
  SerialDevice first, second;
  ASSERT_EQ(first.Open(3), SerialError::None);
  EXPECT_EQ(second.Open(3), SerialError::InUse);
  EXPECT_FALSE(second.IsOpen());
  EXPECT_EQ(os::Win32ErrorNumber(second.LastError()), 5);
  EXPECT_TRUE(os::PortExists(3));  // a port someone holds is still present
  first.Close();
  EXPECT_EQ(second.Open(3), SerialError::None);
}

// Another opener's exclusive mark (EBUSY, which root passes) is the port in use; the
// device's permissions keeping this user out are a refusal of their own, with a Windows
// number apart from the "access denied" of a held port, and the port is still present.
TEST_F(SerialPty, HeldAndForbiddenDevicesAreToldApart) {
  SerialDevice dev;
  {
    testhelp::WithoutCapability ordinaryUser(CAP_SYS_ADMIN);
    ASSERT_EQ(ioctl(slave_, TIOCEXCL), 0);
    EXPECT_EQ(dev.Open(3), SerialError::InUse);
    EXPECT_EQ(os::Win32ErrorNumber(dev.LastError()), 5);
    ioctl(slave_, TIOCNXCL);
  }
  testhelp::DeniedDevice denied(path_, 0);
  if (!denied.Denied()) GTEST_SKIP() << "the device's permissions do not keep this user out";
  EXPECT_EQ(dev.Open(3), SerialError::AccessDenied);
  EXPECT_FALSE(dev.IsOpen());
  EXPECT_EQ(os::Win32ErrorNumber(dev.LastError()), 1314);
  EXPECT_TRUE(os::PortExists(3));
}

// Closing takes the exclusive mark off the terminal, which outlives the close while the
// pseudo-terminal's other side is open: an ordinary user opens it again.
TEST_F(SerialPty, AClosedPortOpensAgainForAnOrdinaryUser) {
  testhelp::WithoutCapability ordinaryUser(CAP_SYS_ADMIN);
  SerialDevice dev;
  ASSERT_EQ(dev.Open(3), SerialError::None);
  dev.Close();
  EXPECT_EQ(dev.Open(3), SerialError::None);
}

TEST_F(SerialPty, ModemLinesOnAPseudoTerminal) {
  SerialDevice dev;
  ASSERT_EQ(dev.Open(3), SerialError::None);
  // Nothing to drive, so setting succeeds quietly; there is nothing to read either.
  EXPECT_EQ(dev.SetDtr(true), SerialError::None);
  EXPECT_EQ(dev.SetRts(false), SerialError::None);
  std::uint8_t lines = 0xFF;
  EXPECT_EQ(dev.GetModemStatus(lines), SerialError::NotSupported);
  EXPECT_EQ(lines, 0);
  EXPECT_EQ(dev.TakeLineErrors(), 0u);
  const SerialError brk = dev.SetBreak(true);
  EXPECT_TRUE(brk == SerialError::None || brk == SerialError::NotSupported);
  dev.SetBreak(false);
}

TEST_F(SerialPty, LostLineIsReportedNotWaitedOn) {
  SerialDevice dev;
  ASSERT_EQ(dev.Open(3), SerialError::None);
  close(master_);
  master_ = -1;
  EXPECT_TRUE(dev.WaitForInput(kArrives));  // wakes at once instead of sleeping on a dead line
  char buf[4];
  EXPECT_EQ(dev.Read(buf, sizeof buf), -1);
  EXPECT_EQ(dev.LastError(), SerialError::LineLost);
  EXPECT_EQ(dev.Write("x", 1), -1);
  EXPECT_EQ(dev.LastError(), SerialError::LineLost);
}

TEST_F(SerialPty, WaitForAnyTellsDeviceFromEvent) {
  SerialDevice dev;
  ASSERT_EQ(dev.Open(3), SerialError::None);
  os::Event stop(os::EventReset::Automatic);
  EXPECT_EQ(os::WaitForAny({&stop, &dev.InputReady()}, 10), os::kWaitTimeout);
  stop.Set();
  EXPECT_EQ(os::WaitForAny({&stop, &dev.InputReady()}, kArrives), 0);
  ASSERT_EQ(write(master_, "z", 1), 1);
  EXPECT_EQ(os::WaitForAny({&stop, &dev.InputReady()}, kArrives), 1);
  EXPECT_EQ(os::WaitForAny({&stop, &dev.OutputReady()}, kArrives), 1);  // room to write
}

TEST(SerialDevice, MissingAndClosedDevices) {
  SerialDevice dev;
  setenv("CORVANEQ5_COM7", "/nonexistent/ttyQ9", 1);
  EXPECT_EQ(dev.Open(7), SerialError::NoSuchPort);
  EXPECT_EQ(os::Win32ErrorNumber(dev.LastError()), 2);
  EXPECT_EQ(dev.Open(0), SerialError::NoSuchPort);
  // A file that is not a terminal is not a serial port.
  setenv("CORVANEQ5_COM7", CQ5_SOURCE_DIR "/CMakeLists.txt", 1);
  EXPECT_EQ(dev.Open(7), SerialError::NoSuchPort);
  unsetenv("CORVANEQ5_COM7");
  EXPECT_FALSE(dev.IsOpen());
  EXPECT_EQ(dev.SetLine({}), SerialError::NotOpen);
  char c;
  EXPECT_EQ(dev.Read(&c, 1), -1);
  EXPECT_EQ(dev.LastError(), SerialError::NotOpen);
}

TEST(ComPorts, DefaultMappingAndOverride) {
  const struct {
    int number;
    const char* path;
  } rows[] = {
      {0, ""},           {1, "/dev/ttyUSB0"},  {16, "/dev/ttyUSB15"}, {17, "/dev/ttyACM0"},
      {32, "/dev/ttyACM15"}, {33, "/dev/ttyS0"}, {64, "/dev/ttyS31"},   {65, ""},
      {-1, ""},
  };
  for (const auto& row : rows) EXPECT_EQ(os::ComPortPath(row.number), row.path) << row.number;
  setenv("CORVANEQ5_COM1", "/dev/pts/42", 1);
  setenv("CORVANEQ5_COM70", "/dev/null", 1);
  EXPECT_EQ(os::ComPortPath(1), "/dev/pts/42");
  EXPECT_EQ(os::ComPortPath(70), "/dev/null");
  EXPECT_FALSE(os::PortExists(1));  // no such pseudo-terminal
  EXPECT_TRUE(os::PortExists(70));  // a character device
  unsetenv("CORVANEQ5_COM1");
  unsetenv("CORVANEQ5_COM70");
  EXPECT_FALSE(os::PortExists(0));
  EXPECT_FALSE(os::PortExists(70));
}

TEST(ComPorts, PlaceholderPortsAreNotPresent) {
  // A fake /sys/class/tty for the character device /dev/null.
  char dir[] = "/tmp/cq5-sysXXXXXX";
  ASSERT_NE(mkdtemp(dir), nullptr);
  const std::string sys = dir;
  const std::string node = sys + "/null";
  EXPECT_FALSE(os::detail::IsPresentSerialDevice("/dev/null", sys));  // not listed
  ASSERT_EQ(mkdir(node.c_str(), 0755), 0);
  EXPECT_FALSE(os::detail::IsPresentSerialDevice("/dev/null", sys));  // no hardware behind it
  ASSERT_EQ(mkdir((node + "/device").c_str(), 0755), 0);
  EXPECT_TRUE(os::detail::IsPresentSerialDevice("/dev/null", sys));   // e.g. a USB adapter
  const std::string type = node + "/type";
  for (const auto& [text, present] : {std::pair{"0\n", false}, std::pair{"4\n", true}}) {
    FILE* f = fopen(type.c_str(), "w");
    fputs(text, f);
    fclose(f);
    EXPECT_EQ(os::detail::IsPresentSerialDevice("/dev/null", sys), present) << text;
  }
  EXPECT_FALSE(os::detail::IsPresentSerialDevice("/nonexistent/ttyS0", sys));
  unlink(type.c_str());
  rmdir((node + "/device").c_str());
  rmdir(node.c_str());
  rmdir(dir);
}

}  // namespace

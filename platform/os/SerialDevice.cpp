#include "platform/os/SerialDevice.h"

#include <fcntl.h>
#include <linux/serial.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>

#include "platform/os/ComPorts.h"
#include "platform/os/SerialSpeed.h"
#include "platform/os/TermiosLine.h"

namespace os {
namespace {

struct StandardRate {
  std::uint32_t baud;
  speed_t code;
};
// The rates termios names directly. Others (14400, 56000, 128000, 256000, ...) go through
// the kernel's arbitrary-rate call.
constexpr StandardRate kStandardRates[] = {
    {50, B50},         {75, B75},           {110, B110},         {134, B134},
    {150, B150},       {200, B200},         {300, B300},         {600, B600},
    {1200, B1200},     {1800, B1800},       {2400, B2400},       {4800, B4800},
    {9600, B9600},     {19200, B19200},     {38400, B38400},     {57600, B57600},
    {115200, B115200}, {230400, B230400},   {460800, B460800},   {500000, B500000},
    {576000, B576000}, {921600, B921600},   {1000000, B1000000}, {1152000, B1152000},
    {1500000, B1500000}, {2000000, B2000000}, {2500000, B2500000}, {3000000, B3000000},
    {3500000, B3500000}, {4000000, B4000000},
};

bool StandardCode(std::uint32_t baud, speed_t& code) {
  for (const StandardRate& r : kStandardRates)
    if (r.baud == baud) {
      code = r.code;
      return true;
    }
  return false;
}

// Errors by which a device shows it has no such function.
bool IsUnsupported(int err) { return err == ENOTTY || err == EINVAL || err == ENOSYS; }
// Errors by which an open device shows it has gone.
bool IsLineLost(int err) { return err == EIO || err == ENODEV || err == ENXIO || err == EPIPE; }

}  // namespace

int Win32ErrorNumber(SerialError error) {
  switch (error) {
    case SerialError::None: return 0;
    case SerialError::NoSuchPort: return 2;      // ERROR_FILE_NOT_FOUND
    case SerialError::InUse: return 5;           // ERROR_ACCESS_DENIED: Windows' "in use"
    case SerialError::AccessDenied: return 1314;  // ERROR_PRIVILEGE_NOT_HELD
    case SerialError::NotOpen: return 6;         // ERROR_INVALID_HANDLE
    case SerialError::IoError: return 31;        // ERROR_GEN_FAILURE
    case SerialError::NotSupported: return 50;   // ERROR_NOT_SUPPORTED
    case SerialError::BadArgument: return 87;    // ERROR_INVALID_PARAMETER
    case SerialError::LineLost: return 1167;     // ERROR_DEVICE_NOT_CONNECTED
  }
  return 31;
}

AnsiString SerialErrorText(SerialError error) {
  switch (error) {
    case SerialError::None: return "No error";
    case SerialError::NoSuchPort: return "Serial port does not exist";
    case SerialError::InUse: return "Serial port is in use";
    case SerialError::AccessDenied: return "Access to the serial port denied";
    case SerialError::BadArgument: return "Setting not supported by the serial port";
    case SerialError::NotOpen: return "Serial port not open";
    case SerialError::NotSupported: return "Function not supported by the serial port";
    case SerialError::LineLost: return "Serial port disconnected";
    case SerialError::IoError: return "Serial port input/output error";
  }
  return "Serial port error";
}

SerialDevice::SerialDevice() : input_(fd_, POLLIN), output_(fd_, POLLOUT) {}

SerialDevice::~SerialDevice() { Close(); }

SerialError SerialDevice::Fail(SerialError error, int err) {
  lastError_.store(error, std::memory_order_relaxed);
  lastErrno_.store(err, std::memory_order_relaxed);
  return error;
}

SerialError SerialDevice::FailFromErrno() {
  const int err = errno;
  if (IsLineLost(err)) return Fail(SerialError::LineLost, err);
  if (err == EINVAL || err == ENOTTY) return Fail(SerialError::BadArgument, err);
  return Fail(SerialError::IoError, err);
}

SerialError SerialDevice::Ok() { return Fail(SerialError::None, 0); }

SerialError SerialDevice::Open(int comNumber) {
  const std::string path = ComPortPath(comNumber);
  if (path.empty()) {
    Close();
    return Fail(SerialError::NoSuchPort, ENOENT);
  }
  return OpenPath(path);
}

SerialError SerialDevice::OpenPath(const std::string& path) {
  Close();
  // O_NONBLOCK: the open must not wait for carrier, and reads and writes never block.
  const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    const int err = errno;
    switch (err) {
      case ENOENT: case ENOTDIR: case ENODEV: case ENXIO: return Fail(SerialError::NoSuchPort, err);
      case EBUSY: return Fail(SerialError::InUse, err);  // TIOCEXCL set by another opener
      // The device's own permissions (or a read-only mount) keep this user out; the
      // device may well be free.
      case EACCES: case EPERM: case EROFS: return Fail(SerialError::AccessDenied, err);
      default: return Fail(SerialError::IoError, err);
    }
  }
  if (!isatty(fd)) {
    ::close(fd);
    return Fail(SerialError::NoSuchPort, ENOTTY);
  }
  // TIOCEXCL keeps ordinary users out, but not root; the lock also keeps out every
  // cooperating program (and a second SerialDevice in this process) whoever runs it.
  if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
    const int err = errno;
    ::close(fd);
    return Fail(err == EWOULDBLOCK ? SerialError::InUse : SerialError::IoError, err);
  }
  ioctl(fd, TIOCEXCL);

  termios tio{};
  if (tcgetattr(fd, &tio) != 0) {
    const int err = errno;
    ::close(fd);
    return Fail(SerialError::IoError, err);
  }
  cfmakeraw(&tio);
  tio.c_cflag |= CLOCAL | CREAD;
  tio.c_iflag &= ~(IXON | IXOFF | IXANY);
  tio.c_cc[VMIN] = 0;
  tio.c_cc[VTIME] = 0;
  if (tcsetattr(fd, TCSANOW, &tio) != 0) {
    const int err = errno;
    ::close(fd);
    return Fail(SerialError::IoError, err);
  }
  fd_ = fd;
  path_ = path;
  // Unix98 pseudo-terminal slaves have majors 136..143.
  struct stat st {};
  pseudoTerminal_ = fstat(fd, &st) == 0 && major(st.st_rdev) >= 136 && major(st.st_rdev) <= 143;
  // Linux raises DTR on open; the port driver decides when it goes up.
  SetModemLine(TIOCM_DTR, false);
  // Start line-error counting from now.
  counters_ = {};
  hasLineCounters_ = true;
  TakeLineErrors();
  return Ok();
}

void SerialDevice::Close() {
  if (fd_ >= 0) {
    // The exclusive mark belongs to the terminal, not to this descriptor: a terminal whose
    // other side stays open (a pseudo-terminal, the simulated ECU's) would keep it after
    // the close and refuse every later open by an ordinary user.
    ioctl(fd_, TIOCNXCL);
    ::close(fd_);  // also releases the lock
    fd_ = -1;
  }
  path_.clear();
}

SerialError SerialDevice::SetLine(const LineSettings& line) {
  if (fd_ < 0) return Fail(SerialError::NotOpen, EBADF);
  if (line.dataBits < 5 || line.dataBits > 8 || line.baud == 0)
    return Fail(SerialError::BadArgument, EINVAL);
  termios tio{};
  if (tcgetattr(fd_, &tio) != 0) return FailFromErrno();
  detail::ApplyLineFlags(tio, line);
  speed_t code = B0;
  const bool standard = StandardCode(line.baud, code);
  if (standard) {
    cfsetispeed(&tio, code);
    cfsetospeed(&tio, code);
  }
  if (tcsetattr(fd_, TCSANOW, &tio) != 0) return FailFromErrno();
  if (!standard && !detail::SetArbitrarySpeed(fd_, line.baud)) return FailFromErrno();
  // tcsetattr succeeds when any part was taken; check the parts that matter did.
  LineSettings applied;
  if (GetLine(applied) != SerialError::None) return lastError_;
  // A pseudo-terminal always carries plain 8-bit bytes and drops size and parity.
  const bool sameStop = (applied.stopBits == StopBits::One) == (line.stopBits == StopBits::One);
  const bool sameFrame =
      pseudoTerminal_ || (applied.dataBits == line.dataBits && applied.parity == line.parity);
  // Drivers store the rate their divisor really gives, which for odd rates can be off by a
  // little; a UART tolerates a few percent.
  const double rateError = std::abs(static_cast<double>(applied.baud) - line.baud) / line.baud;
  if (!sameFrame || !sameStop || rateError > 0.03)
    return Fail(SerialError::BadArgument, EINVAL);
  {
    // A start bit, the data, the parity bit and the stop bits go out for every byte.
    const int bits = 1 + line.dataBits + (line.parity != Parity::None ? 1 : 0) + (line.stopBits == StopBits::One ? 1 : 2);
    std::lock_guard<std::mutex> guard(lineModel_);
    lineBytesPerSecond_ = static_cast<double>(line.baud) / bits;
  }
  return Ok();
}

SerialError SerialDevice::GetLine(LineSettings& line) {
  if (fd_ < 0) return Fail(SerialError::NotOpen, EBADF);
  termios tio{};
  if (tcgetattr(fd_, &tio) != 0) return FailFromErrno();
  std::uint32_t baud = 0;
  if (!detail::GetSpeed(fd_, baud)) return FailFromErrno();
  line.baud = baud;
  detail::ReadLineFlags(tio, line);
  return Ok();
}

SerialError SerialDevice::SetHardwareFlow(bool on) {
  if (fd_ < 0) return Fail(SerialError::NotOpen, EBADF);
  termios tio{};
  if (tcgetattr(fd_, &tio) != 0) return FailFromErrno();
  if (on)
    tio.c_cflag |= CRTSCTS;
  else
    tio.c_cflag &= ~CRTSCTS;
  if (tcsetattr(fd_, TCSANOW, &tio) != 0) return FailFromErrno();
  return Ok();
}

SerialError SerialDevice::SetSoftwareFlow(bool obeyOnOutput, bool sendOnInput,
                                          std::uint8_t xonChar, std::uint8_t xoffChar) {
  if (fd_ < 0) return Fail(SerialError::NotOpen, EBADF);
  termios tio{};
  if (tcgetattr(fd_, &tio) != 0) return FailFromErrno();
  tio.c_iflag &= ~(IXON | IXOFF | IXANY);
  if (obeyOnOutput) tio.c_iflag |= IXON;
  if (sendOnInput) tio.c_iflag |= IXOFF;
  tio.c_cc[VSTART] = static_cast<cc_t>(xonChar);
  tio.c_cc[VSTOP] = static_cast<cc_t>(xoffChar);
  if (tcsetattr(fd_, TCSANOW, &tio) != 0) return FailFromErrno();
  return Ok();
}

SerialError SerialDevice::SetModemLine(int bit, bool on) {
  if (fd_ < 0) return Fail(SerialError::NotOpen, EBADF);
  if (ioctl(fd_, on ? TIOCMBIS : TIOCMBIC, &bit) != 0) {
    if (IsUnsupported(errno)) return Ok();  // no modem lines to drive
    return FailFromErrno();
  }
  return Ok();
}

SerialError SerialDevice::SetDtr(bool on) { return SetModemLine(TIOCM_DTR, on); }
SerialError SerialDevice::SetRts(bool on) { return SetModemLine(TIOCM_RTS, on); }

SerialError SerialDevice::GetModemStatus(std::uint8_t& lines) {
  lines = 0;
  if (fd_ < 0) return Fail(SerialError::NotOpen, EBADF);
  int bits = 0;
  if (ioctl(fd_, TIOCMGET, &bits) != 0) {
    if (IsUnsupported(errno)) return Fail(SerialError::NotSupported, errno);
    return FailFromErrno();
  }
  if (bits & TIOCM_CTS) lines |= kModemCts;
  if (bits & TIOCM_DSR) lines |= kModemDsr;
  if (bits & TIOCM_RI) lines |= kModemRing;
  if (bits & TIOCM_CD) lines |= kModemDcd;
  return Ok();
}

std::uint32_t SerialDevice::TakeLineErrors() {
  if (fd_ < 0 || !hasLineCounters_) return 0;
  serial_icounter_struct ic{};
  if (ioctl(fd_, TIOCGICOUNT, &ic) != 0) {
    // Pseudo-terminals and some USB drivers keep no counters; stop asking.
    if (IsUnsupported(errno)) hasLineCounters_ = false;
    return 0;
  }
  std::uint32_t bits = 0;
  if (ic.buf_overrun != counters_.rxOverflow) bits |= kLineRxOverflow;
  if (ic.overrun != counters_.overrun) bits |= kLineOverrun;
  if (ic.parity != counters_.parity) bits |= kLineParity;
  if (ic.frame != counters_.framing) bits |= kLineFraming;
  if (ic.brk != counters_.brk) bits |= kLineBreak;
  counters_ = {ic.buf_overrun, ic.overrun, ic.parity, ic.frame, ic.brk};
  return bits;
}

SerialError SerialDevice::GetQueueCounts(QueueCounts& counts) {
  counts = {};
  if (fd_ < 0) return Fail(SerialError::NotOpen, EBADF);
  int in = 0, out = 0;
  if (ioctl(fd_, FIONREAD, &in) != 0) return FailFromErrno();
  if (ioctl(fd_, TIOCOUTQ, &out) != 0) return FailFromErrno();
  counts.input = in > 0 ? static_cast<std::size_t>(in) : 0;
  counts.output = out > 0 ? static_cast<std::size_t>(out) : 0;
  if (pseudoTerminal_) {
    std::lock_guard<std::mutex> guard(lineModel_);
    const double left = std::chrono::duration<double>(lineFreeAt_ - std::chrono::steady_clock::now()).count();
    counts.output = left > 0 ? static_cast<std::size_t>(std::ceil(left * lineBytesPerSecond_)) : 0;
  }
  return Ok();
}

SerialError SerialDevice::Purge(bool input, bool output) {
  if (fd_ < 0) return Fail(SerialError::NotOpen, EBADF);
  if (!input && !output) return Ok();
  const int which = input && output ? TCIOFLUSH : input ? TCIFLUSH : TCOFLUSH;
  if (tcflush(fd_, which) != 0) return FailFromErrno();
  if (output) {
    std::lock_guard<std::mutex> guard(lineModel_);
    lineFreeAt_ = std::chrono::steady_clock::now();
  }
  return Ok();
}

SerialError SerialDevice::SetBreak(bool on) {
  if (fd_ < 0) return Fail(SerialError::NotOpen, EBADF);
  if (ioctl(fd_, on ? TIOCSBRK : TIOCCBRK) != 0) {
    if (IsUnsupported(errno)) return Fail(SerialError::NotSupported, errno);
    return FailFromErrno();
  }
  return Ok();
}

long SerialDevice::Read(void* buffer, std::size_t size) {
  if (fd_ < 0) {
    Fail(SerialError::NotOpen, EBADF);
    return -1;
  }
  for (;;) {
    const ssize_t n = ::read(fd_, buffer, size);
    if (n > 0 || (n == 0 && size == 0)) {
      Ok();
      return static_cast<long>(n);
    }
    if (n == 0) {
      // Raw mode reads return 0 when nothing is there, and also forever after a hang-up;
      // only poll tells the two apart.
      pollfd p{fd_, POLLIN, 0};
      if (poll(&p, 1, 0) == 1 && (p.revents & (POLLHUP | POLLERR))) {
        Fail(SerialError::LineLost, EIO);
        return -1;
      }
      Ok();
      return 0;
    }
    if (errno == EINTR) continue;
    if (errno == EAGAIN || errno == EWOULDBLOCK) {
      Ok();
      return 0;
    }
    FailFromErrno();
    return -1;
  }
}

long SerialDevice::Write(const void* data, std::size_t size) {
  if (fd_ < 0) {
    Fail(SerialError::NotOpen, EBADF);
    return -1;
  }
  for (;;) {
    const ssize_t n = ::write(fd_, data, size);
    if (n >= 0) {
      if (pseudoTerminal_ && n > 0) {
        std::lock_guard<std::mutex> guard(lineModel_);
        const auto now = std::chrono::steady_clock::now();
        const auto start = std::max(now, lineFreeAt_);
        lineFreeAt_ = start + std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                                  std::chrono::duration<double>(static_cast<double>(n) / lineBytesPerSecond_));
      }
      Ok();
      return static_cast<long>(n);
    }
    if (errno == EINTR) continue;
    if (errno == EAGAIN || errno == EWOULDBLOCK) {
      Ok();
      return 0;
    }
    FailFromErrno();
    return -1;
  }
}

bool SerialDevice::WaitForInput(std::uint32_t timeoutMs) const {
  if (fd_ < 0) return false;
  return WaitForAny({&input_}, timeoutMs) == 0;
}

}  // namespace os

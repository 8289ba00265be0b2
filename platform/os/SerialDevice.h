#pragma once
// A serial device over POSIX termios, with the operations a serial port driver needs:
// exclusive open, line settings, flow control, DTR/RTS, modem and line status, queue counts,
// purge, break, and non-blocking reads and writes that can be waited for with WaitForAny.
//
// Operations report failure as a SerialError (never by exception), so that a driver can turn
// them into its own result codes; Win32ErrorNumber gives the matching Windows error number.
#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>

#include "platform/os/Event.h"
#include "platform/rtl/AnsiString.h"

namespace os {

enum class SerialError {
  None = 0,
  NoSuchPort,    // no device behind the name, or not a serial device
  InUse,         // another program (or another SerialDevice) has the port open
  AccessDenied,  // this user has no permission to open the device
  BadArgument,   // a setting the device or driver refuses (baud rate, data bits, ...)
  NotOpen,       // the device is not open
  NotSupported,  // the device has no such function (modem status on a pseudo-terminal)
  LineLost,      // the device went away while open (adapter unplugged, terminal hung up)
  IoError,       // any other system failure; LastSystemError() holds errno
};

// The Windows "last error" number for an error, for drivers that report failures as negated
// Windows error numbers: NoSuchPort 2, InUse 5, NotOpen 6, IoError 31, NotSupported 50,
// BadArgument 87, LineLost 1167, AccessDenied 1314, None 0. Windows reports a port another
// program holds as "access denied" (5); a device this user lacks the permission for gets
// "privilege not held" (1314), so that a driver can tell the user which of the two it is.
int Win32ErrorNumber(SerialError error);
// A short English description of the error.
AnsiString SerialErrorText(SerialError error);

enum class Parity { None, Odd, Even, Mark, Space };  // Windows' order, 0..4
enum class StopBits { One, OneAndHalf, Two };

struct LineSettings {
  std::uint32_t baud = 19200;
  int dataBits = 8;  // 5..8
  Parity parity = Parity::None;
  // OneAndHalf and Two both select the UART's long stop bit, which is 1.5 bits with 5 data
  // bits and 2 bits otherwise; GetLine reports OneAndHalf for a 5-bit long stop.
  StopBits stopBits = StopBits::One;
  bool operator==(const LineSettings&) const = default;
};

// Modem status lines, in the high nibble as serial drivers keep them.
inline constexpr std::uint8_t kModemCts = 0x10;
inline constexpr std::uint8_t kModemDsr = 0x20;
inline constexpr std::uint8_t kModemRing = 0x40;
inline constexpr std::uint8_t kModemDcd = 0x80;

// Line error bits, as Windows numbers them.
inline constexpr std::uint32_t kLineRxOverflow = 0x01;  // receive queue overflowed
inline constexpr std::uint32_t kLineOverrun = 0x02;     // character overrun in the UART
inline constexpr std::uint32_t kLineParity = 0x04;
inline constexpr std::uint32_t kLineFraming = 0x08;
inline constexpr std::uint32_t kLineBreak = 0x10;

struct QueueCounts {
  std::size_t input = 0;   // bytes received and not yet read
  std::size_t output = 0;  // bytes written and not yet sent
};

class SerialDevice {
 public:
  SerialDevice();
  ~SerialDevice();
  SerialDevice(const SerialDevice&) = delete;
  SerialDevice& operator=(const SerialDevice&) = delete;

  // Opens port COM`comNumber` (see ComPortPath for the device it names).
  SerialError Open(int comNumber);
  // Opens a device path exclusively (no other process or SerialDevice can open it until
  // Close), switches it to raw binary mode with receiver on and modem control ignored, and
  // clears DTR, which Linux raises on open. Line settings are left to SetLine.
  SerialError OpenPath(const std::string& path);
  void Close();
  bool IsOpen() const { return fd_ >= 0; }
  const std::string& Path() const { return path_; }

  SerialError SetLine(const LineSettings& line);
  SerialError GetLine(LineSettings& line);

  // RTS/CTS handshake (Linux couples both directions in one switch).
  SerialError SetHardwareFlow(bool on);
  // XON/XOFF: `obeyOnOutput` stops sending on XOFF from the other side; `sendOnInput` sends
  // XOFF/XON when our input queue fills and drains.
  SerialError SetSoftwareFlow(bool obeyOnOutput, bool sendOnInput, std::uint8_t xonChar = 17,
                              std::uint8_t xoffChar = 19);

  // Drive DTR and RTS. A device without modem lines (a pseudo-terminal) accepts and ignores it.
  SerialError SetDtr(bool on);
  SerialError SetRts(bool on);
  // Current CTS, DSR, RI and DCD as kModem* bits; NotSupported on a pseudo-terminal.
  SerialError GetModemStatus(std::uint8_t& lines);
  // Line errors (kLine* bits) seen since the last call; 0 on devices that do not count them.
  std::uint32_t TakeLineErrors();

  // On a pseudo-terminal, whose other end takes any amount at once, the output count is
  // what a serial line at the set rate would still be sending of the bytes written, so a
  // wait for an empty queue takes as long as on a real line.
  SerialError GetQueueCounts(QueueCounts& counts);
  // Discards received and/or unsent bytes in the system's queues.
  SerialError Purge(bool input, bool output);
  SerialError SetBreak(bool on);

  // Non-blocking: returns the bytes transferred (0 when none could be), or -1 with
  // LastError() set (LineLost when the device went away).
  long Read(void* buffer, std::size_t size);
  long Write(const void* data, std::size_t size);

  // Sources for WaitForAny: input available, and room in the output queue. Both also fire
  // when the line is lost, so a waiter never sleeps on a dead device.
  const Waitable& InputReady() const { return input_; }
  const Waitable& OutputReady() const { return output_; }
  // Waits up to `timeoutMs` for input; true when there is some (or the line was lost).
  bool WaitForInput(std::uint32_t timeoutMs) const;

  // The result of the last operation; a device used from two threads (a reader and a
  // purging closer) keeps whichever finished last.
  SerialError LastError() const { return lastError_.load(std::memory_order_relaxed); }
  int LastSystemError() const { return lastErrno_.load(std::memory_order_relaxed); }

 private:
  class FdSource final : public Waitable {
   public:
    FdSource(const int& fd, short events) : fd_(fd), events_(events) {}
    int PollFd() const override { return fd_; }
    short PollEvents() const override { return events_; }

   private:
    const int& fd_;
    short events_;
  };

  SerialError Fail(SerialError error, int err);
  SerialError FailFromErrno();
  SerialError Ok();
  SerialError SetModemLine(int bit, bool on);

  int fd_ = -1;
  std::string path_;
  std::atomic<SerialError> lastError_{SerialError::None};
  std::atomic<int> lastErrno_{0};
  bool hasLineCounters_ = true;
  bool pseudoTerminal_ = false;
  // The modelled line of a pseudo-terminal: bits per byte at the set rate, and when the
  // last byte written will have left.
  mutable std::mutex lineModel_;
  double lineBytesPerSecond_ = 1920;
  std::chrono::steady_clock::time_point lineFreeAt_{};
  struct Counters {
    long rxOverflow = 0, overrun = 0, parity = 0, framing = 0, brk = 0;
  } counters_;
  FdSource input_;
  FdSource output_;
};

}  // namespace os

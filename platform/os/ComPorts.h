#pragma once
// Port numbers (COM1, COM2, ...) and the Linux devices behind them.
//
// Default mapping, fixed so that a stored port number keeps naming the same kind of device:
//   COM1..COM16   /dev/ttyUSB0..15   USB serial adapters (the usual way to reach the ECU)
//   COM17..COM32  /dev/ttyACM0..15   USB modem-class adapters
//   COM33..COM64  /dev/ttyS0..31     built-in serial ports
// The environment variable CORVANEQ5_COM<n> (e.g. CORVANEQ5_COM3=/dev/pts/7) points port n
// at any path instead, for n >= 1 including numbers above 64: a stable
// /dev/serial/by-id/... link, or a pseudo-terminal as the tests' simulated ECU uses.
#include <string>

namespace os {

inline constexpr int kMaxComNumber = 64;

// The device path of port `comNumber`; empty when the number names no device.
std::string ComPortPath(int comNumber);

// Whether port `comNumber` names a serial device that is present. A port held by another
// program counts as present. Built-in ports that the kernel lists without hardware behind
// them (/dev/ttyS* of type "unknown") do not count. An overridden path counts when it is a
// character device.
bool PortExists(int comNumber);

// The group whose members may read and write the device at `path` (a serial device is
// usually given to a group such as "dialout" or "uucp"): the device's own group when its
// permissions let that group read and write and it is not the administrator's group 0.
// Empty when there is no such group or it has no name.
std::string DeviceAccessGroup(const std::string& path);

namespace detail {
// PortExists for a default-mapped device: `sysClassTty` is normally "/sys/class/tty".
bool IsPresentSerialDevice(const std::string& devicePath, const std::string& sysClassTty);
}  // namespace detail

}  // namespace os

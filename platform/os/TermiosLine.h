#pragma once
// Data bits, parity and stop bits as termios control flags, apart from the device so the
// mapping can be checked without hardware (a pseudo-terminal keeps only some of them).
#include <termios.h>

#include "platform/os/SerialDevice.h"

namespace os::detail {

// Sets the size, parity and stop flags of `tio` for `line` (data bits must be 5..8); the
// speed is left alone. Input parity is generated but not checked, and no byte is altered.
void ApplyLineFlags(termios& tio, const LineSettings& line);
// Reads the size, parity and stop fields of `line` back from `tio`; the speed is left alone.
void ReadLineFlags(const termios& tio, LineSettings& line);

}  // namespace os::detail

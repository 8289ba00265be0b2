#include "platform/os/TermiosLine.h"

namespace os::detail {

void ApplyLineFlags(termios& tio, const LineSettings& line) {
  static constexpr tcflag_t kSizes[] = {CS5, CS6, CS7, CS8};
  tio.c_cflag &= ~(CSIZE | PARENB | PARODD | CMSPAR | CSTOPB);
  tio.c_cflag |= kSizes[line.dataBits - 5];
  switch (line.parity) {
    case Parity::None: break;
    case Parity::Odd: tio.c_cflag |= PARENB | PARODD; break;
    case Parity::Even: tio.c_cflag |= PARENB; break;
    case Parity::Mark: tio.c_cflag |= PARENB | CMSPAR | PARODD; break;
    case Parity::Space: tio.c_cflag |= PARENB | CMSPAR; break;
  }
  if (line.stopBits != StopBits::One) tio.c_cflag |= CSTOPB;
  tio.c_iflag &= ~(INPCK | PARMRK | ISTRIP);
  tio.c_iflag |= IGNPAR;
}

void ReadLineFlags(const termios& tio, LineSettings& line) {
  switch (tio.c_cflag & CSIZE) {
    case CS5: line.dataBits = 5; break;
    case CS6: line.dataBits = 6; break;
    case CS7: line.dataBits = 7; break;
    default: line.dataBits = 8; break;
  }
  if (!(tio.c_cflag & PARENB))
    line.parity = Parity::None;
  else if (tio.c_cflag & CMSPAR)
    line.parity = (tio.c_cflag & PARODD) ? Parity::Mark : Parity::Space;
  else
    line.parity = (tio.c_cflag & PARODD) ? Parity::Odd : Parity::Even;
  if (!(tio.c_cflag & CSTOPB))
    line.stopBits = StopBits::One;
  else
    line.stopBits = line.dataBits == 5 ? StopBits::OneAndHalf : StopBits::Two;
}

}  // namespace os::detail

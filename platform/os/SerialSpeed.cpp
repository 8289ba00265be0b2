#include "platform/os/SerialSpeed.h"

#include <asm/ioctls.h>
#include <asm/termbits.h>

// <sys/ioctl.h> would pull the C library's termios types back in.
extern "C" int ioctl(int fd, unsigned long request, ...);

namespace os::detail {

bool SetArbitrarySpeed(int fd, std::uint32_t baud) {
  termios2 tio{};
  if (ioctl(fd, TCGETS2, &tio) != 0) return false;
  tio.c_cflag &= ~(CBAUD | (CBAUD << IBSHIFT));
  tio.c_cflag |= BOTHER | (BOTHER << IBSHIFT);
  tio.c_ospeed = baud;
  tio.c_ispeed = baud;
  return ioctl(fd, TCSETS2, &tio) == 0;
}

bool GetSpeed(int fd, std::uint32_t& baud) {
  termios2 tio{};
  if (ioctl(fd, TCGETS2, &tio) != 0) return false;
  baud = tio.c_ospeed;
  return true;
}

}  // namespace os::detail

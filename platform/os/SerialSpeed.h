#pragma once
// Arbitrary baud rates through the kernel's termios2 interface (BOTHER). Kept in a file of
// its own because the kernel's termios declarations clash with the C library's.
#include <cstdint>

namespace os::detail {

// Sets both directions to `baud`; false with errno set when the driver refuses.
bool SetArbitrarySpeed(int fd, std::uint32_t baud);
// The output speed in bits per second, whatever way it was set.
bool GetSpeed(int fd, std::uint32_t& baud);

}  // namespace os::detail

#pragma once
// Test helper: the calling thread without one of root's capabilities, so that a test run
// as root sees what an ordinary user sees. Capabilities belong to each thread; threads the
// calling thread starts meanwhile inherit the lack.
#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace testhelp {

class WithoutCapability {
 public:
  // `capability`: CAP_SYS_NICE, CAP_SYS_ADMIN, ... (below 32). Taken from the effective set
  // only, so that the destructor can give it back.
  explicit WithoutCapability(int capability) {
    syscall(SYS_capget, &header_, caps_);
    __user_cap_data_struct less[2] = {caps_[0], caps_[1]};
    less[0].effective &= ~(1u << capability);
    syscall(SYS_capset, &header_, less);
  }
  ~WithoutCapability() { syscall(SYS_capset, &header_, caps_); }
  WithoutCapability(const WithoutCapability&) = delete;
  WithoutCapability& operator=(const WithoutCapability&) = delete;

 private:
  __user_cap_header_struct header_{_LINUX_CAPABILITY_VERSION_3, 0};
  __user_cap_data_struct caps_[2]{};
};

}  // namespace testhelp

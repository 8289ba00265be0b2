#pragma once
// Test helper: a device the calling thread may not open for reading and writing, as for a
// user outside the device's group. The device's mode is set to `mode` (0060: its group only;
// 0: nobody), its group to `group` when one is given, and the thread gives up the
// capabilities that let root past file permissions; all come back at the end of the scope.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <utility>

#include "WithoutCapability.h"

namespace testhelp {

class DeniedDevice {
 public:
  DeniedDevice(std::string path, mode_t mode, gid_t group = static_cast<gid_t>(-1)) : path_(std::move(path)) {
    struct stat st {};
    if (stat(path_.c_str(), &st) == 0) {
      oldMode_ = st.st_mode & 07777;
      oldGroup_ = st.st_gid;
      changed_ = chmod(path_.c_str(), mode) == 0 && chown(path_.c_str(), static_cast<uid_t>(-1), group) == 0;
    }
  }
  ~DeniedDevice() {
    chown(path_.c_str(), static_cast<uid_t>(-1), oldGroup_);
    chmod(path_.c_str(), oldMode_);
  }
  DeniedDevice(const DeniedDevice&) = delete;
  DeniedDevice& operator=(const DeniedDevice&) = delete;

  // Whether an open for reading and writing is really refused for lack of permission
  // (false where the mode could not be set or the capabilities kept their hold).
  bool Denied() const {
    if (!changed_) return false;
    const int fd = open(path_.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (fd >= 0) {
      close(fd);
      return false;
    }
    return errno == EACCES;
  }

 private:
  std::string path_;
  mode_t oldMode_ = 0;
  gid_t oldGroup_ = static_cast<gid_t>(-1);
  bool changed_ = false;
  WithoutCapability noOverride_{CAP_DAC_OVERRIDE};
  WithoutCapability noReadSearch_{CAP_DAC_READ_SEARCH};
};

}  // namespace testhelp

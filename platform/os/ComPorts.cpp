#include "platform/os/ComPorts.h"

#include <grp.h>
#include <sys/stat.h>

#include <cstdlib>
#include <fstream>
#include <vector>

namespace os {
namespace {

struct Range {
  int first;  // first port number of the range
  int count;
  const char* prefix;
};
constexpr Range kRanges[] = {
    {1, 16, "/dev/ttyUSB"},
    {17, 16, "/dev/ttyACM"},
    {33, 32, "/dev/ttyS"},
};

std::string OverridePath(int comNumber) {
  const std::string name = "CORVANEQ5_COM" + std::to_string(comNumber);
  const char* value = std::getenv(name.c_str());
  return value ? std::string(value) : std::string();
}

bool IsCharDevice(const std::string& path) {
  struct stat st {};
  return stat(path.c_str(), &st) == 0 && S_ISCHR(st.st_mode);
}

}  // namespace

std::string ComPortPath(int comNumber) {
  if (comNumber < 1) return {};
  if (std::string path = OverridePath(comNumber); !path.empty()) return path;
  for (const Range& r : kRanges)
    if (comNumber >= r.first && comNumber < r.first + r.count)
      return r.prefix + std::to_string(comNumber - r.first);
  return {};
}

bool PortExists(int comNumber) {
  if (comNumber < 1) return false;
  if (std::string path = OverridePath(comNumber); !path.empty()) return IsCharDevice(path);
  const std::string path = ComPortPath(comNumber);
  return !path.empty() && detail::IsPresentSerialDevice(path, "/sys/class/tty");
}

std::string DeviceAccessGroup(const std::string& path) {
  struct stat st {};
  if (stat(path.c_str(), &st) != 0 || st.st_gid == 0) return {};
  if ((st.st_mode & (S_IRGRP | S_IWGRP)) != (S_IRGRP | S_IWGRP)) return {};
  std::vector<char> buffer(16384);
  group entry{};
  group* found = nullptr;
  if (getgrgid_r(st.st_gid, &entry, buffer.data(), buffer.size(), &found) != 0 || found == nullptr) return {};
  return found->gr_name;
}

namespace detail {

bool IsPresentSerialDevice(const std::string& devicePath, const std::string& sysClassTty) {
  if (!IsCharDevice(devicePath)) return false;
  const std::string name = devicePath.substr(devicePath.find_last_of('/') + 1);
  const std::string sys = sysClassTty + "/" + name;
  // Virtual terminals and the like have no device behind them.
  struct stat st {};
  if (stat((sys + "/device").c_str(), &st) != 0) return false;
  // The serial core lists every possible built-in port; those without a UART have type 0.
  std::ifstream type(sys + "/type");
  int value = 0;
  if (type && type >> value) return value != 0;
  return true;
}

}  // namespace detail
}  // namespace os

#include "platform/classes/SafeFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <random>

#include "platform/rtl/SysUtils.h"

namespace safefile {
namespace {
AnsiString Reason(int err) { return cp1252::FromUtf8(std::strerror(err)); }

AnsiString Quoted(const AnsiString& name) { return "\"" + name + "\""; }

// Writes all of Bytes, retrying short writes and interrupts. Returns 0 or errno.
int WriteAll(int fd, const char* p, size_t n) {
  while (n > 0) {
    ssize_t w = ::write(fd, p, n);
    if (w < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    p += w;
    n -= static_cast<size_t>(w);
  }
  return 0;
}

std::string TempSuffix() {
  static std::mt19937_64 rng{std::random_device{}()};
  static const char kHex[] = "0123456789abcdef";
  std::string s = ".tmp";
  uint64_t v = rng();
  for (int i = 0; i < 8; ++i, v >>= 4) s += kHex[v & 15];
  return s;
}
}  // namespace

void WriteFile(const AnsiString& FileName, std::string_view Bytes) {
  const std::string target = cp1252::ToUtf8(FileName);
  // The temporary file sits next to the target so the final rename stays on one file
  // system and is atomic. It is hidden and unique so concurrent saves do not collide.
  const size_t slash = target.rfind('/');
  const std::string dir = slash == std::string::npos ? std::string() : target.substr(0, slash + 1);
  const std::string base = slash == std::string::npos ? target : target.substr(slash + 1);
  if (base.empty()) throw EFCreateError("Cannot create file " + Quoted(FileName) + ". No file name");
  std::string temp;
  int fd = -1;
  for (int attempt = 0; attempt < 16 && fd < 0; ++attempt) {
    temp = dir + "." + base + TempSuffix();
    fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0 && errno != EEXIST) break;
  }
  if (fd < 0) throw EFCreateError("Cannot create file " + Quoted(FileName) + ". " + Reason(errno));

  // Keep the permissions of the file being replaced.
  struct stat st {};
  if (::stat(target.c_str(), &st) == 0) (void)::fchmod(fd, st.st_mode & 07777);

  int err = WriteAll(fd, Bytes.data(), Bytes.size());
  if (err == 0 && ::fsync(fd) != 0) err = errno;
  if (::close(fd) != 0 && err == 0) err = errno;
  if (err == 0 && ::rename(temp.c_str(), target.c_str()) != 0) err = errno;
  if (err != 0) {
    ::unlink(temp.c_str());
    throw EWriteError("Cannot write file " + Quoted(FileName) + ". " + Reason(err));
  }
  // Make the rename itself durable; failing here does not lose the data already written.
  int dfd = ::open(dir.empty() ? "." : dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dfd >= 0) {
    (void)::fsync(dfd);
    ::close(dfd);
  }
}

AnsiString ReadFile(const AnsiString& FileName) {
  const std::string path = cp1252::ToUtf8(FileName);
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) throw EFOpenError("Cannot open file " + Quoted(FileName) + ". " + Reason(errno));
  struct stat st {};
  if (::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
    ::close(fd);
    throw EFOpenError("Cannot open file " + Quoted(FileName) + ". " + Reason(EISDIR));
  }
  AnsiString data;
  char buf[65536];
  for (;;) {
    ssize_t r = ::read(fd, buf, sizeof buf);
    if (r < 0) {
      if (errno == EINTR) continue;
      int err = errno;
      ::close(fd);
      throw EReadError("Cannot read file " + Quoted(FileName) + ". " + Reason(err));
    }
    if (r == 0) break;
    data.append(buf, static_cast<size_t>(r));
  }
  ::close(fd);
  return data;
}
}  // namespace safefile

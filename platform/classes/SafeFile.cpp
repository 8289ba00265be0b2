#include "platform/classes/SafeFile.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <random>
#include <string>

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
// The file a name stands for once symbolic links are followed: the name itself when it
// is no link (it need not exist), else the link's target, resolved against the link's
// folder when relative. 0 or errno (ELOOP for a cycle).
int FollowLinks(std::string& path) {
  for (int hops = 0; hops < 40; ++hops) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return 0;
    std::string target(PATH_MAX, '\0');
    const ssize_t n = ::readlink(path.c_str(), target.data(), target.size());
    if (n < 0) return errno;
    target.resize(static_cast<size_t>(n));
    if (target.empty()) return ENOENT;
    if (target[0] != '/') {
      const size_t slash = path.rfind('/');
      if (slash != std::string::npos) target = path.substr(0, slash + 1) + target;
    }
    path = target;
  }
  return ELOOP;
}

// Whether this process may replace the existing file st describes at path: its own
// permission decides, as it would for a direct write. The superuser passes every
// permission check, so for it a file without any write bit is what marks it read-only.
int MayWrite(const std::string& path, const struct stat& st) {
  if (::geteuid() == 0) return (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) != 0 ? 0 : EACCES;
  return ::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) == 0 ? 0 : errno;
}

const char* const kNotRegular = "It is not a regular file (a pipe, device or socket).";
const char* const kFolder = "It is not a regular file but a folder.";
const char* const kInUse = "It is in use by another program.";

// Whether another process holds the existing regular file at path (st describes it) in a
// way that conflicts with reading it (forWriting: with writing it).
bool HeldElsewhere(const std::string& path, const struct stat& st, bool forWriting);
}  // namespace

AnsiString SizeText(uint64_t Bytes) {
  constexpr uint64_t kKiB = 1024, kMiB = kKiB * kKiB;
  if (Bytes >= kMiB && Bytes % kMiB == 0) return IntToStr(static_cast<int64_t>(Bytes / kMiB)) + " MiB";
  if (Bytes >= kKiB && Bytes % kKiB == 0) return IntToStr(static_cast<int64_t>(Bytes / kKiB)) + " KiB";
  return IntToStr(static_cast<int64_t>(Bytes)) + (Bytes == 1 ? " byte" : " bytes");
}

namespace {
// A file written in full beside its target, not yet renamed over it.
struct Prepared {
  AnsiString name;
  std::string temp, target, dir;
};

// A file-size limit would end the process with SIGXFSZ at the first write past it; ignored,
// the write fails with EFBIG instead and the save reports it like any other write error.
void IgnoreFileSizeSignal() {
  static const bool once = [] {
    struct sigaction old {};
    if (::sigaction(SIGXFSZ, nullptr, &old) == 0 && old.sa_handler == SIG_DFL) ::signal(SIGXFSZ, SIG_IGN);
    return true;
  }();
  (void)once;
}

// The file a save replaces, once links are followed, with the checks every save makes
// before it writes anything.
struct Target {
  std::string path, dir, base;
  bool exists = false;
  struct stat st {};
};

Target CheckedTarget(const AnsiString& FileName) {
  Target t;
  t.path = cp1252::ToUtf8(FileName);
  if (int err = FollowLinks(t.path))
    throw EFCreateError("Cannot create file " + Quoted(FileName) + ". " + Reason(err));
  // The temporary file sits next to the target so the final rename stays on one file
  // system and is atomic.
  const size_t slash = t.path.rfind('/');
  t.dir = slash == std::string::npos ? std::string() : t.path.substr(0, slash + 1);
  t.base = slash == std::string::npos ? t.path : t.path.substr(slash + 1);
  if (t.base.empty()) throw EFCreateError("Cannot create file " + Quoted(FileName) + ". No file name");

  // Renaming would replace a file whatever its own permission says, and would put a
  // plain file in place of a pipe, a device or a folder: all are refused before anything
  // is made.
  t.exists = ::stat(t.path.c_str(), &t.st) == 0;
  if (t.exists && S_ISDIR(t.st.st_mode))
    throw EFCreateError("Cannot create file " + Quoted(FileName) + ". " + kFolder);
  if (t.exists && !S_ISREG(t.st.st_mode))
    throw EFCreateError("Cannot create file " + Quoted(FileName) + ". " + kNotRegular);
  if (t.exists)
    if (int err = MayWrite(t.path, t.st))
      throw EFCreateError("Cannot create file " + Quoted(FileName) + ". " + Reason(err));
  // Replacing a file another program is writing or has locked would lose what it writes
  // there (it goes on writing the old file, now unlinked) or break its lock.
  if (t.exists && HeldElsewhere(t.path, t.st, true))
    throw EFCreateError("Cannot create file " + Quoted(FileName) + ". " + kInUse);
  return t;
}

Prepared WriteTemp(const AnsiString& FileName, std::string_view Bytes) {
  IgnoreFileSizeSignal();
  Prepared out;
  out.name = FileName;
  Target t = CheckedTarget(FileName);

  // The temporary file is hidden and unique so concurrent saves do not collide.
  std::string temp;
  int fd = -1;
  for (int attempt = 0; attempt < 16 && fd < 0; ++attempt) {
    temp = t.dir + "." + t.base + TempSuffix();
    fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0 && errno != EEXIST) break;
  }
  if (fd < 0) throw EFCreateError("Cannot create file " + Quoted(FileName) + ". " + Reason(errno));

  // Keep the permissions of the file being replaced.
  if (t.exists) (void)::fchmod(fd, t.st.st_mode & 07777);

  int err = WriteAll(fd, Bytes.data(), Bytes.size());
  if (err == 0 && ::fsync(fd) != 0) err = errno;
  if (::close(fd) != 0 && err == 0) err = errno;
  if (err != 0) {
    ::unlink(temp.c_str());
    throw EWriteError("Cannot write file " + Quoted(FileName) + ". " + Reason(err));
  }
  out.temp = std::move(temp);
  out.target = std::move(t.path);
  out.dir = std::move(t.dir);
  return out;
}

// The target looked at again just before the temporary file is renamed over it: another
// program may have taken it, or a pipe or device been put in its place, while the file was
// being built and written. Throws as CheckedTarget does; the temporary file stays (the
// caller removes it).
void CheckStillReplaceable(const Prepared& p) {
  struct stat st {};
  if (::stat(p.target.c_str(), &st) != 0) return;  // gone or never there: nothing to keep
  if (S_ISDIR(st.st_mode)) throw EFCreateError("Cannot create file " + Quoted(p.name) + ". " + kFolder);
  if (!S_ISREG(st.st_mode)) throw EFCreateError("Cannot create file " + Quoted(p.name) + ". " + kNotRegular);
  if (HeldElsewhere(p.target, st, true)) throw EFCreateError("Cannot create file " + Quoted(p.name) + ". " + kInUse);
}

void Commit(const Prepared& p) {
  if (::rename(p.temp.c_str(), p.target.c_str()) != 0) {
    const int err = errno;
    ::unlink(p.temp.c_str());
    throw EWriteError("Cannot write file " + Quoted(p.name) + ". " + Reason(err));
  }
  // Make the rename itself durable; failing here does not lose the data already written.
  int dfd = ::open(p.dir.empty() ? "." : p.dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (dfd >= 0) {
    (void)::fsync(dfd);
    ::close(dfd);
  }
}
}  // namespace

void WriteFile(const AnsiString& FileName, std::string_view Bytes) {
  const Prepared p = WriteTemp(FileName, Bytes);
  try {
    CheckStillReplaceable(p);
  } catch (...) {
    ::unlink(p.temp.c_str());
    throw;
  }
  Commit(p);
}

void CheckTarget(const AnsiString& FileName) {
  const Target t = CheckedTarget(FileName);
  // The folder must take the temporary file.
  const std::string dir = t.dir.empty() ? std::string(".") : t.dir;
  struct stat st {};
  if (::stat(dir.c_str(), &st) != 0)
    throw EFCreateError("Cannot create file " + Quoted(FileName) + ". " + Reason(errno));
  if (!S_ISDIR(st.st_mode)) throw EFCreateError("Cannot create file " + Quoted(FileName) + ". " + Reason(ENOTDIR));
  if (::geteuid() != 0 && ::faccessat(AT_FDCWD, dir.c_str(), W_OK | X_OK, AT_EACCESS) != 0)
    throw EFCreateError("Cannot create file " + Quoted(FileName) + ". " + Reason(errno));
}

namespace {

// Whether a descriptor of another process refers to the file `st` describes and was opened
// for writing. /proc lists the descriptors of this user's processes only.
bool OpenForWritingElsewhere(const struct stat& st) {
  DIR* proc = ::opendir("/proc");
  if (proc == nullptr) return false;
  const std::string self = std::to_string(::getpid());
  bool found = false;
  while (!found) {
    const dirent* p = ::readdir(proc);
    if (p == nullptr) break;
    const std::string pid = p->d_name;
    if (pid.empty() || pid.find_first_not_of("0123456789") != std::string::npos || pid == self) continue;
    const std::string fds = "/proc/" + pid + "/fd";
    DIR* dir = ::opendir(fds.c_str());
    if (dir == nullptr) continue;  // another user's process, or gone
    while (!found) {
      const dirent* d = ::readdir(dir);
      if (d == nullptr) break;
      if (d->d_name[0] == '.') continue;
      struct stat target {};
      // stat follows the descriptor's link without opening what it names.
      if (::stat((fds + "/" + d->d_name).c_str(), &target) != 0 || target.st_dev != st.st_dev ||
          target.st_ino != st.st_ino)
        continue;
      std::ifstream info("/proc/" + pid + "/fdinfo/" + d->d_name);
      std::string key, value;
      while (info >> key >> value) {
        if (key != "flags:") continue;
        const long flags = std::strtol(value.c_str(), nullptr, 8);
        found = (flags & O_ACCMODE) != O_RDONLY;
        break;
      }
    }
    ::closedir(dir);
  }
  ::closedir(proc);
  return found;
}

bool HeldElsewhere(const std::string& path, const struct stat& st, bool forWriting) {
  // Opened only to ask about locks: read-only and non-blocking, never for writing.
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) return false;
  struct flock lock {};
  lock.l_type = forWriting ? F_WRLCK : F_RDLCK;
  lock.l_whence = SEEK_SET;
  bool held = ::fcntl(fd, F_GETLK, &lock) == 0 && lock.l_type != F_UNLCK;
  // A whole-file lock taken with flock: taking a lock of the same kind fails while another
  // holds one that conflicts. One taken here goes with the descriptor.
  if (!held && ::flock(fd, (forWriting ? LOCK_EX : LOCK_SH) | LOCK_NB) != 0) held = errno == EWOULDBLOCK;
  ::close(fd);
  // Writing over a file another program is writing would mix the two: a file held open for
  // writing counts as in use for a save, even without a lock.
  if (!held && forWriting) held = OpenForWritingElsewhere(st);
  return held;
}

}  // namespace

bool HeldByOther(const AnsiString& FileName, bool ForWriting) {
  const std::string path = cp1252::ToUtf8(FileName);
  struct stat st {};
  if (path.empty() || ::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
  return HeldElsewhere(path, st, ForWriting);
}

void CheckNotSpecial(const AnsiString& FileName) {
  struct stat st {};
  const std::string path = cp1252::ToUtf8(FileName);
  if (path.empty() || ::stat(path.c_str(), &st) != 0 || S_ISREG(st.st_mode) || S_ISDIR(st.st_mode)) return;
  throw EFOpenError("Cannot open file " + Quoted(FileName) + ". " + kNotRegular);
}

void WriteFiles(const std::vector<std::pair<AnsiString, std::string_view>>& Files) {
  // Every target is looked at before the first is written: a refused one leaves all as they were.
  for (const auto& file : Files) CheckTarget(file.first);
  std::vector<Prepared> done;
  try {
    for (const auto& [name, bytes] : Files) done.push_back(WriteTemp(name, bytes));
    // And again, every one of them, before the first is replaced.
    for (const Prepared& p : done) CheckStillReplaceable(p);
  } catch (...) {
    for (const Prepared& p : done) ::unlink(p.temp.c_str());
    throw;
  }
  for (size_t i = 0; i < done.size(); ++i) {
    try {
      Commit(done[i]);
    } catch (...) {
      for (size_t k = i + 1; k < done.size(); ++k) ::unlink(done[k].temp.c_str());
      throw;
    }
  }
}

namespace {

// Opens a regular file for reading; a folder, pipe or device is refused at once.
int OpenRegularForReading(const AnsiString& FileName, struct stat& st) {
  const std::string path = cp1252::ToUtf8(FileName);
  // A pipe, device or socket is refused before it is opened: opening a device may act on it
  // (a serial line drops its modem lines), and a socket cannot be opened at all.
  CheckNotSpecial(FileName);
  // Without O_NONBLOCK, opening a named pipe would wait for a writer.
  int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) throw EFOpenError("Cannot open file " + Quoted(FileName) + ". " + Reason(errno));
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    const bool dir = S_ISDIR(st.st_mode);
    ::close(fd);
    throw EFOpenError("Cannot open file " + Quoted(FileName) + ". " + (dir ? Reason(EISDIR) : AnsiString(kNotRegular)));
  }
  return fd;
}

}  // namespace

AnsiString ReadFileStart(const AnsiString& FileName, size_t MaxBytes, uint64_t& FileSize) {
  struct stat st {};
  int fd = OpenRegularForReading(FileName, st);
  FileSize = static_cast<uint64_t>(st.st_size);
  AnsiString data;
  data.reserve(static_cast<size_t>(std::min<uint64_t>(FileSize, MaxBytes)));
  char buf[65536];
  while (data.size() < MaxBytes) {
    ssize_t r = ::read(fd, buf, std::min(sizeof buf, MaxBytes - data.size()));
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
  FileSize = std::max<uint64_t>(FileSize, data.size());
  return data;
}

AnsiString ReadFile(const AnsiString& FileName, size_t MaxBytes) {
  struct stat st {};
  int fd = OpenRegularForReading(FileName, st);
  auto tooLarge = [&] {
    ::close(fd);
    return EFileTooLarge("Cannot read file " + Quoted(FileName) + ". It is larger than " + SizeText(MaxBytes) + ".");
  };
  if (static_cast<uint64_t>(st.st_size) > MaxBytes) throw tooLarge();
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
    // The file may have grown since it was measured.
    if (static_cast<size_t>(r) > MaxBytes - data.size()) throw tooLarge();
    data.append(buf, static_cast<size_t>(r));
  }
  ::close(fd);
  return data;
}
}  // namespace safefile

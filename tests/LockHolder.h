#pragma once
// Test helper: another process holding a file the way another program would.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

namespace testhelp {

// Another program holding a lock on a file (or, OpenForWriting, only holding it open for
// writing), as long as this object lives.
class LockHolder {
 public:
  enum Kind { FcntlRead, FcntlWrite, FlockShared, FlockExclusive, OpenForWriting };
  LockHolder(const std::string& path, Kind kind) {
    int ready[2], done[2];
    if (pipe(ready) != 0 || pipe(done) != 0) return;
    pid_ = fork();
    if (pid_ == 0) {
      ::close(ready[0]);
      ::close(done[1]);
      // A lock alone, without the file open for writing, except where the lock needs it.
      const int fd = ::open(path.c_str(), kind == OpenForWriting ? O_WRONLY | O_APPEND
                                          : kind == FcntlWrite   ? O_RDWR
                                                                 : O_RDONLY);
      struct flock l {};
      l.l_type = kind == FcntlRead ? F_RDLCK : F_WRLCK;
      l.l_whence = SEEK_SET;
      const bool ok = kind == OpenForWriting                       ? fd >= 0
                      : kind == FcntlRead || kind == FcntlWrite ? ::fcntl(fd, F_SETLK, &l) == 0
                                                                : ::flock(fd, kind == FlockShared ? LOCK_SH : LOCK_EX) == 0;
      char c = ok ? 'y' : 'n';
      (void)!::write(ready[1], &c, 1);
      (void)!::read(done[0], &c, 1);  // until the test lets go
      _exit(0);
    }
    ::close(ready[1]);
    ::close(done[0]);
    char c = 'n';
    locked_ = ::read(ready[0], &c, 1) == 1 && c == 'y';
    ::close(ready[0]);
    release_ = done[1];
  }
  ~LockHolder() {
    if (release_ >= 0) ::close(release_);
    if (pid_ > 0) ::waitpid(pid_, nullptr, 0);
  }
  bool Locked() const { return locked_; }

 private:
  pid_t pid_ = -1;
  int release_ = -1;
  bool locked_ = false;
};

}  // namespace testhelp

#include "platform/classes/Streams.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "platform/classes/SafeFile.h"

namespace {
AnsiString Reason(int err) { return cp1252::FromUtf8(std::strerror(err)); }

// New position for a memory-backed stream; negative results are refused.
int64_t SeekIn(int64_t pos, int64_t size, int64_t offset, TSeekOrigin origin) {
  int64_t base = origin == soFromBeginning ? 0 : (origin == soFromCurrent ? pos : size);
  int64_t np = base + offset;
  if (np < 0) throw EStreamError("Invalid stream position");
  return np;
}
}  // namespace

// --- TStream -----------------------------------------------------------------------

int64_t TStream::Size() {
  int64_t pos = Seek(0, soFromCurrent);
  int64_t size = Seek(0, soFromEnd);
  Seek(pos, soFromBeginning);
  return size;
}

void TStream::ReadBuffer(void* Buffer, int64_t Count) {
  if (Count < 0 || (Count > 0 && Read(Buffer, Count) != Count)) throw EReadError("Stream read error");
}

void TStream::WriteBuffer(const void* Buffer, int64_t Count) {
  if (Count < 0 || (Count > 0 && Write(Buffer, Count) != Count)) throw EWriteError("Stream write error");
}

int64_t TStream::CopyFrom(TStream* Source, int64_t Count) {
  if (Count == 0) {
    Source->SetPosition(0);
    Count = Source->Size();
  }
  int64_t done = 0;
  char buf[65536];
  while (done < Count) {
    int64_t n = std::min<int64_t>(Count - done, static_cast<int64_t>(sizeof buf));
    Source->ReadBuffer(buf, n);
    WriteBuffer(buf, n);
    done += n;
  }
  return done;
}

// --- TMemoryStream -----------------------------------------------------------------

int64_t TMemoryStream::Read(void* Buffer, int64_t Count) {
  int64_t n = std::clamp<int64_t>(Size() - pos_, 0, std::max<int64_t>(Count, 0));
  if (n > 0) std::memcpy(Buffer, data_.data() + pos_, static_cast<size_t>(n));
  pos_ += n;
  return n;
}

int64_t TMemoryStream::Write(const void* Buffer, int64_t Count) {
  if (Count <= 0) return 0;
  if (pos_ + Count > Size()) data_.resize(static_cast<size_t>(pos_ + Count));
  std::memcpy(data_.data() + pos_, Buffer, static_cast<size_t>(Count));
  pos_ += Count;
  return Count;
}

int64_t TMemoryStream::Seek(int64_t Offset, TSeekOrigin Origin) {
  pos_ = SeekIn(pos_, Size(), Offset, Origin);
  return pos_;
}

void TMemoryStream::SetSize(int64_t NewSize) {
  if (NewSize < 0) throw EStreamError("Invalid stream size");
  data_.resize(static_cast<size_t>(NewSize));
  if (pos_ > NewSize) pos_ = NewSize;
}

void TMemoryStream::Clear() {
  data_.clear();
  data_.shrink_to_fit();
  pos_ = 0;
}

void TMemoryStream::LoadFromStream(TStream* Stream) {
  Stream->SetPosition(0);
  int64_t n = Stream->Size();
  std::vector<uint8_t> fresh(static_cast<size_t>(n));
  Stream->ReadBuffer(fresh.data(), n);
  data_.swap(fresh);
  pos_ = 0;
}

void TMemoryStream::SaveToStream(TStream* Stream) { Stream->WriteBuffer(data_.data(), Size()); }

void TMemoryStream::LoadFromFile(const AnsiString& FileName) {
  AnsiString bytes = safefile::ReadFile(FileName);
  data_.assign(bytes.begin(), bytes.end());
  pos_ = 0;
}

void TMemoryStream::SaveToFile(const AnsiString& FileName) {
  safefile::WriteFile(FileName, std::string_view(reinterpret_cast<const char*>(data_.data()), data_.size()));
}

// --- TFileStream -------------------------------------------------------------------

TFileStream::TFileStream(const AnsiString& FileName, uint16_t Mode) : file_name_(FileName) {
  const std::string path = cp1252::ToUtf8(FileName);
  const bool create = (Mode & 0xFF00) == fmCreate;
  // Only regular files are streamed. O_NONBLOCK keeps open() from waiting for the other
  // end of a named pipe; a pipe, device or socket is then refused at once.
  int flags = O_CLOEXEC | O_NONBLOCK | O_NOCTTY;
  if (create) {
    flags |= O_RDWR | O_CREAT;
  } else {
    switch (Mode & 0x0003) {
      case fmOpenWrite: flags |= O_WRONLY; break;
      case fmOpenReadWrite: flags |= O_RDWR; break;
      default: flags |= O_RDONLY; break;
    }
  }
  fd_ = ::open(path.c_str(), flags, 0666);
  int err = errno;
  if (fd_ >= 0) {
    struct stat st {};
    if (::fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode)) {
      err = S_ISDIR(st.st_mode) ? EISDIR : -1;
      ::close(fd_);
      fd_ = -1;
    } else {
      (void)::fcntl(fd_, F_SETFL, ::fcntl(fd_, F_GETFL) & ~O_NONBLOCK);
      if (create && ::ftruncate(fd_, 0) != 0) {
        err = errno;
        ::close(fd_);
        fd_ = -1;
      }
    }
  }
  if (fd_ < 0) {
    const AnsiString reason = err == -1 ? AnsiString("It is not a regular file (a pipe, device or socket).") : Reason(err);
    if (create) throw EFCreateError("Cannot create file \"" + FileName + "\". " + reason);
    throw EFOpenError("Cannot open file \"" + FileName + "\". " + reason);
  }
}

TFileStream::~TFileStream() {
  if (fd_ >= 0) ::close(fd_);
}

int64_t TFileStream::Read(void* Buffer, int64_t Count) {
  int64_t done = 0;
  char* p = static_cast<char*>(Buffer);
  while (done < Count) {
    ssize_t r = ::read(fd_, p + done, static_cast<size_t>(Count - done));
    if (r < 0) {
      if (errno == EINTR) continue;
      throw EReadError("Cannot read file \"" + file_name_ + "\". " + Reason(errno));
    }
    if (r == 0) break;
    done += r;
  }
  return done;
}

int64_t TFileStream::Write(const void* Buffer, int64_t Count) {
  int64_t done = 0;
  const char* p = static_cast<const char*>(Buffer);
  while (done < Count) {
    ssize_t w = ::write(fd_, p + done, static_cast<size_t>(Count - done));
    if (w < 0) {
      if (errno == EINTR) continue;
      throw EWriteError("Cannot write file \"" + file_name_ + "\". " + Reason(errno));
    }
    done += w;
  }
  return done;
}

int64_t TFileStream::Seek(int64_t Offset, TSeekOrigin Origin) {
  int whence = Origin == soFromBeginning ? SEEK_SET : (Origin == soFromCurrent ? SEEK_CUR : SEEK_END);
  off_t r = ::lseek(fd_, static_cast<off_t>(Offset), whence);
  if (r < 0) throw EStreamError("Invalid stream position");
  return r;
}

void TFileStream::SetSize(int64_t NewSize) {
  if (::ftruncate(fd_, static_cast<off_t>(NewSize)) != 0)
    throw EWriteError("Cannot write file \"" + file_name_ + "\". " + Reason(errno));
  if (Position() > NewSize) SetPosition(NewSize);
}

// --- TStringStream -----------------------------------------------------------------

int64_t TStringStream::Read(void* Buffer, int64_t Count) {
  int64_t n = std::clamp<int64_t>(Size() - pos_, 0, std::max<int64_t>(Count, 0));
  if (n > 0) std::memcpy(Buffer, data_.data() + pos_, static_cast<size_t>(n));
  pos_ += n;
  return n;
}

int64_t TStringStream::Write(const void* Buffer, int64_t Count) {
  if (Count <= 0) return 0;
  if (pos_ + Count > Size()) data_.resize(static_cast<size_t>(pos_ + Count));
  std::memcpy(data_.data() + pos_, Buffer, static_cast<size_t>(Count));
  pos_ += Count;
  return Count;
}

int64_t TStringStream::Seek(int64_t Offset, TSeekOrigin Origin) {
  pos_ = SeekIn(pos_, Size(), Offset, Origin);
  return pos_;
}

void TStringStream::SetSize(int64_t NewSize) {
  if (NewSize < 0) throw EStreamError("Invalid stream size");
  data_.resize(static_cast<size_t>(NewSize));
  if (pos_ > NewSize) pos_ = NewSize;
}

AnsiString TStringStream::ReadString(int64_t Count) {
  int64_t n = std::clamp<int64_t>(Size() - pos_, 0, std::max<int64_t>(Count, 0));
  AnsiString r = data_.substr(static_cast<size_t>(pos_), static_cast<size_t>(n));
  pos_ += n;
  return r;
}

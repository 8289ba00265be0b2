#include "platform/os/CompoundDocument.h"

#include <fcntl.h>
#include <gsf/gsf-outfile-msole.h>
#include <gsf/gsf-outfile.h>
#include <gsf/gsf-output-stdio.h>
#include <gsf/gsf-utils.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <mutex>

#include "platform/rtl/SysUtils.h"

namespace os {
namespace {

// Longest name a directory entry holds (32 UTF-16 units including the terminator).
constexpr std::size_t kMaxNameLength = 31;

AnsiString Quoted(const AnsiString& s) { return "\"" + s + "\""; }

char UpperAscii(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

bool SameName(const AnsiString& a, const AnsiString& b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(),
                    [](char x, char y) { return UpperAscii(x) == UpperAscii(y); });
}

// Permission bits for a new file: what the process' umask allows. Read from /proc rather
// than with umask(), which would briefly change it for every thread.
mode_t NewFileMode() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line))
    if (line.rfind("Umask:", 0) == 0) return 0666 & ~static_cast<mode_t>(std::stoul(line.substr(6), nullptr, 8));
  return 0644;
}

std::string GsfErrorText(GsfOutput* output) {
  const GError* err = gsf_output_error(output);
  return err && err->message ? err->message : "write failed";
}

// Writes one storage's children; false (with `error` set) on the first failure.
bool WriteStorage(GsfOutfile* dir, const CompoundStorage& storage, std::string& error) {
  for (const CompoundStorage::Child& child : storage.Children()) {
    const bool isStorage = child.storage != nullptr;
    const AnsiString& name = isStorage ? child.storage->Name() : child.stream->Name();
    GsfOutput* out = gsf_outfile_new_child(dir, cp1252::ToUtf8(name).c_str(), isStorage);
    if (!out) {
      error = "cannot create " + cp1252::ToUtf8(name);
      return false;
    }
    bool ok = true;
    if (isStorage) {
      ok = WriteStorage(GSF_OUTFILE(out), *child.storage, error);
    } else {
      const std::vector<std::uint8_t>& bytes = child.stream->Bytes();
      if (!bytes.empty() && !gsf_output_write(out, bytes.size(), bytes.data())) {
        error = GsfErrorText(out);
        ok = false;
      }
    }
    if (!gsf_output_close(out) && ok) {
      error = GsfErrorText(out);
      ok = false;
    }
    g_object_unref(out);
    if (!ok) return false;
  }
  return true;
}

}  // namespace

// --- CompoundStream ---

std::size_t CompoundStream::Write(const void* data, std::size_t count) {
  if (count == 0) return 0;
  const std::size_t pos = static_cast<std::size_t>(position_);
  if (pos + count > data_.size()) data_.resize(pos + count);
  std::memcpy(data_.data() + pos, data, count);
  position_ += static_cast<std::int64_t>(count);
  return count;
}

std::size_t CompoundStream::Read(void* buffer, std::size_t count) {
  if (position_ >= Size()) return 0;
  const std::size_t pos = static_cast<std::size_t>(position_);
  const std::size_t n = std::min(count, data_.size() - pos);
  std::memcpy(buffer, data_.data() + pos, n);
  position_ += static_cast<std::int64_t>(n);
  return n;
}

std::int64_t CompoundStream::Seek(std::int64_t offset, SeekOrigin origin) {
  const std::int64_t base =
      origin == SeekOrigin::Begin ? 0 : origin == SeekOrigin::Current ? position_ : Size();
  const std::int64_t target = base + offset;
  if (target < 0) throw EStreamError("Seek before the start of stream " + Quoted(name_));
  position_ = target;
  return position_;
}

void CompoundStream::SetSize(std::int64_t size) {
  if (size < 0) throw EStreamError("Invalid size of stream " + Quoted(name_));
  data_.resize(static_cast<std::size_t>(size));
}

// --- CompoundStorage ---

void CompoundStorage::CheckNewName(const AnsiString& name) const {
  bool valid = !name.empty() && name.size() <= kMaxNameLength;
  for (char c : name)
    if (static_cast<unsigned char>(c) < 32 || c == '/' || c == '\\' || c == ':' || c == '!')
      valid = false;
  if (!valid) throw EStreamError("Invalid stream name " + Quoted(name));
  for (const Child& child : children_) {
    const AnsiString& other = child.storage ? child.storage->Name() : child.stream->Name();
    if (SameName(other, name)) throw EStreamError("Duplicate stream name " + Quoted(name));
  }
}

CompoundStream& CompoundStorage::CreateStream(const AnsiString& name) {
  CheckNewName(name);
  children_.push_back(Child{std::make_unique<CompoundStream>(name), nullptr});
  return *children_.back().stream;
}

CompoundStorage& CompoundStorage::CreateStorage(const AnsiString& name) {
  CheckNewName(name);
  children_.push_back(Child{nullptr, std::make_unique<CompoundStorage>(name)});
  return *children_.back().storage;
}

// --- CompoundDocument ---

CompoundDocument::CompoundDocument(const AnsiString& fileName)
    : fileName_(fileName), targetPath_(cp1252::ToUtf8(fileName)) {
  static std::once_flag gsfReady;
  std::call_once(gsfReady, [] { gsf_init(); });
  if (targetPath_.empty()) throw EFCreateError("Cannot create file \"\"");
  MakeTempFile();
}

CompoundDocument::~CompoundDocument() { DiscardTempFile(); }

void CompoundDocument::MakeTempFile() {
  std::string pattern = targetPath_ + ".XXXXXX";
  const int fd = mkostemp(pattern.data(), O_CLOEXEC);
  if (fd < 0)
    throw EFCreateError("Cannot create file " + Quoted(fileName_) + ". " + std::strerror(errno));
  tempFd_ = fd;
  tempPath_ = pattern;
}

void CompoundDocument::DiscardTempFile() {
  if (tempFd_ >= 0) ::close(tempFd_);
  tempFd_ = -1;
  if (!tempPath_.empty()) ::unlink(tempPath_.c_str());
  tempPath_.clear();
}

void CompoundDocument::Commit() {
  if (tempFd_ < 0) MakeTempFile();
  const auto fail = [this](const std::string& why) {
    DiscardTempFile();
    throw EWriteError("Cannot write file " + Quoted(fileName_) + ". " + cp1252::FromUtf8(why));
  };

  FILE* file = fdopen(tempFd_, "wb");
  if (!file) fail(std::strerror(errno));
  tempFd_ = -1;  // the FILE owns the descriptor now
  GsfOutput* sink = gsf_output_stdio_new_FILE(tempPath_.c_str(), file, TRUE);
  std::string error;
  bool ok = sink != nullptr;
  if (ok) {
    GsfOutfile* ole = gsf_outfile_msole_new(sink);
    ok = WriteStorage(ole, root_, error);
    if (!gsf_output_close(GSF_OUTPUT(ole)) && ok) {
      error = GsfErrorText(GSF_OUTPUT(ole));
      ok = false;
    }
    g_object_unref(ole);
    // Closing the document normally closes the sink too.
    if (!gsf_output_is_closed(sink) && !gsf_output_close(sink) && ok) {
      error = GsfErrorText(sink);
      ok = false;
    }
    g_object_unref(sink);
  } else {
    error = "cannot write the temporary file";
  }
  // Make the bytes durable before the rename makes them the file.
  if (std::fflush(file) != 0 || fsync(fileno(file)) != 0) {
    if (ok) error = std::strerror(errno);
    ok = false;
  }
  struct stat st {};
  const mode_t mode = stat(targetPath_.c_str(), &st) == 0 ? (st.st_mode & 07777) : NewFileMode();
  if (ok && fchmod(fileno(file), mode) != 0) {
    error = std::strerror(errno);
    ok = false;
  }
  if (std::fclose(file) != 0 && ok) {
    error = std::strerror(errno);
    ok = false;
  }
  if (!ok) fail(error);
  if (std::rename(tempPath_.c_str(), targetPath_.c_str()) != 0) fail(std::strerror(errno));
  tempPath_.clear();
}

}  // namespace os

#include "platform/os/CompoundDocument.h"

#include <gsf/gsf-outfile-msole.h>
#include <gsf/gsf-outfile.h>
#include <gsf/gsf-output-memory.h>
#include <gsf/gsf-utils.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <mutex>
#include <string_view>

#include "platform/classes/SafeFile.h"
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

CompoundDocument::CompoundDocument(const AnsiString& fileName) : fileName_(fileName) {
  static std::once_flag gsfReady;
  std::call_once(gsfReady, [] { gsf_init(); });
  if (fileName_.empty()) throw EFCreateError("Cannot create file \"\"");
  safefile::CheckTarget(fileName_);
}

CompoundDocument::~CompoundDocument() = default;

void CompoundDocument::Commit() {
  // The whole document is laid out in memory, then saved as any other file is.
  const std::unique_ptr<GsfOutput, decltype(&g_object_unref)> sink(gsf_output_memory_new(), &g_object_unref);
  std::string error;
  bool ok = true;
  {
    const std::unique_ptr<GsfOutfile, decltype(&g_object_unref)> ole(gsf_outfile_msole_new(sink.get()),
                                                                     &g_object_unref);
    ok = WriteStorage(ole.get(), root_, error);
    if (!gsf_output_close(GSF_OUTPUT(ole.get())) && ok) {
      error = GsfErrorText(GSF_OUTPUT(ole.get()));
      ok = false;
    }
  }
  // Closing the document normally closes the sink too.
  if (!gsf_output_is_closed(sink.get()) && !gsf_output_close(sink.get()) && ok) {
    error = GsfErrorText(sink.get());
    ok = false;
  }
  if (!ok) throw EWriteError("Cannot write file " + Quoted(fileName_) + ". " + cp1252::FromUtf8(error));
  const guint8* bytes = gsf_output_memory_get_bytes(GSF_OUTPUT_MEMORY(sink.get()));
  safefile::WriteFile(fileName_, std::string_view(reinterpret_cast<const char*>(bytes),
                                                  static_cast<std::size_t>(gsf_output_size(sink.get()))));
}

}  // namespace os

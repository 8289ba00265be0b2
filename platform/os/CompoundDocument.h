#pragma once
// Compound documents (OLE structured storage): a file holding named streams in a tree of
// storages, as spreadsheet workbooks are stored. A document is built in memory, where its
// streams can be written, read back, sought and resized freely, and Commit writes the
// whole file at once.
//
// Commit writes the file through the safe write every save uses: a temporary file in the
// target's folder renamed over the target only when everything is written, so a failed
// save never leaves a half-written file and never destroys the file that was there; a
// pipe, device, folder or read-only file in the target's place is refused, and a symbolic
// link is written through to its target.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/rtl/AnsiString.h"

namespace os {

enum class SeekOrigin { Begin, Current, End };

class CompoundStream {
 public:
  const AnsiString& Name() const { return name_; }

  // Writes at the current position, overwriting and extending as needed; a gap left by a
  // seek past the end reads as zeros. Returns `count`.
  std::size_t Write(const void* data, std::size_t count);
  // Reads up to `count` bytes from the current position; returns the bytes read.
  std::size_t Read(void* buffer, std::size_t count);
  // Moves the position; returns the new position. Raises EStreamError for a position
  // before the start.
  std::int64_t Seek(std::int64_t offset, SeekOrigin origin);
  std::int64_t Position() const { return position_; }
  std::int64_t Size() const { return static_cast<std::int64_t>(data_.size()); }
  // Cuts or zero-extends the stream; the position is kept.
  void SetSize(std::int64_t size);

  explicit CompoundStream(AnsiString name) : name_(std::move(name)) {}
  const std::vector<std::uint8_t>& Bytes() const { return data_; }

 private:
  AnsiString name_;
  std::vector<std::uint8_t> data_;
  std::int64_t position_ = 0;
};

class CompoundStorage {
 public:
  explicit CompoundStorage(AnsiString name) : name_(std::move(name)) {}
  const AnsiString& Name() const { return name_; }

  // A new empty stream or sub-storage. Names are 1 to 31 characters without '/', '\\',
  // ':', '!' or control characters, unique within the storage regardless of case;
  // EStreamError otherwise. References stay valid for the document's lifetime.
  CompoundStream& CreateStream(const AnsiString& name);
  CompoundStorage& CreateStorage(const AnsiString& name);

  // Children in creation order; exactly one of the two pointers is set.
  struct Child {
    std::unique_ptr<CompoundStream> stream;
    std::unique_ptr<CompoundStorage> storage;
  };
  const std::vector<Child>& Children() const { return children_; }

 private:
  void CheckNewName(const AnsiString& name) const;

  AnsiString name_;
  std::vector<Child> children_;
};

class CompoundDocument {
 public:
  // Prepares a document to be saved as `fileName` (Windows-1252). The target is checked at
  // once, so a target that may not be replaced, or a folder that cannot take the file,
  // raises EFCreateError here rather than at Commit. Nothing is written until Commit.
  explicit CompoundDocument(const AnsiString& fileName);
  // Without a Commit the target stays as it was.
  ~CompoundDocument();
  CompoundDocument(const CompoundDocument&) = delete;
  CompoundDocument& operator=(const CompoundDocument&) = delete;

  CompoundStorage& Root() { return root_; }
  CompoundStream& CreateStream(const AnsiString& name) { return root_.CreateStream(name); }
  CompoundStorage& CreateStorage(const AnsiString& name) { return root_.CreateStorage(name); }

  // Writes the document and replaces the target with it. Raises EWriteError (or
  // EFCreateError, the target being checked again) on failure, leaving the target as it
  // was. May be called again after further changes.
  void Commit();

  const AnsiString& FileName() const { return fileName_; }

 private:
  AnsiString fileName_;
  CompoundStorage root_{"Root Entry"};
};

}  // namespace os

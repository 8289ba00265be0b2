#pragma once
// Whole-file reads and crash-safe whole-file writes. A write goes to a temporary file in
// the target's folder, is flushed to disk, and only then renamed over the target, so a
// failed or interrupted save leaves the old file as it was.
//
// Only regular files are read or replaced: a named pipe, a device or a socket is refused
// at once instead of blocking in open() or being read without end.
#include <cstddef>
#include <cstdint>
#include <limits>
#include <string_view>
#include <utility>
#include <vector>
#include "platform/rtl/AnsiString.h"
#include "platform/rtl/SysUtils.h"

// A file refused by a read bound before any of it was read.
CQ5_DECLARE_EXCEPTION(EFileTooLarge, EReadError)

namespace safefile {
// Raises EFCreateError "Cannot create file "<name>". <reason>" when the target may not be
// written (its own permission forbids it, as a direct write would find; a file without
// any write permission counts as read-only also for the superuser), when it is not a
// regular file, when another process holds it (HeldByOther for writing: "It is in use by
// another program."), or when the temporary file cannot be made; EWriteError "Cannot write
// file "<name>". <reason>" when writing, flushing or renaming fails. The target is looked
// at before anything is written and again, for its kind and holder, just before the
// temporary file is renamed over it, so one taken by another program in between is kept
// as it was. The temporary file is removed on failure. A symbolic link is followed: its
// target is replaced (the temporary file sits beside the target) and the link stays a link.
// A file-size limit (SIGXFSZ) is such a write error, never the end of the process.
void WriteFile(const AnsiString& FileName, std::string_view Bytes);

// The checks WriteFile makes before it writes anything, for writers that build their file
// first and for the questions asked before a save: raises EFCreateError as WriteFile does
// when FileName may not be replaced (a pipe, device, socket or folder in its place, a
// read-only file, a file another process holds, a broken link chain or a folder that does
// not exist). Nothing is created. The write checks again: passing here promises nothing.
void CheckTarget(const AnsiString& FileName);

// Whether another process holds the existing regular file FileName in a way that conflicts
// with reading it (ForWriting: with writing it): an fcntl record lock or a flock lock, and
// for writing also the file held open for writing by another process of this user. The
// file is looked at without blocking; anything but an existing regular file is not held.
bool HeldByOther(const AnsiString& FileName, bool ForWriting);

// Writes several files as one: every target is checked first (CheckTarget), so none is
// touched when any of them is refused; each goes to its own temporary file, every target is
// looked at again, and the targets are replaced only then; on a failure before that none is
// replaced and no temporary file remains. Raises as WriteFile does.
void WriteFiles(const std::vector<std::pair<AnsiString, std::string_view>>& Files);

// Raises EFOpenError "Cannot open file "<name>". It is not a regular file (a pipe, device or
// socket)." when FileName names an existing pipe, device or socket, found without opening it
// (opening a device may act on it). A regular file, a folder or a missing name pass.
void CheckNotSpecial(const AnsiString& FileName);

// Raises EFOpenError "Cannot open file "<name>". <reason>" (also for anything but a
// regular file) or EReadError "Cannot read file "<name>". <reason>"; a file larger than
// MaxBytes raises EFileTooLarge ("It is larger than 1 MiB.") before any of it is read.
AnsiString ReadFile(const AnsiString& FileName, size_t MaxBytes = std::numeric_limits<size_t>::max());

// The first MaxBytes bytes of a file (all of it when shorter), reading no more; FileSize is
// set to its whole size. Raises as ReadFile does, except that a longer file is no error.
AnsiString ReadFileStart(const AnsiString& FileName, size_t MaxBytes, uint64_t& FileSize);

// "1 MiB", "512 KiB", "100 bytes": a size limit as the messages name it.
AnsiString SizeText(uint64_t Bytes);
}  // namespace safefile

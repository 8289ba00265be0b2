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
#include "platform/rtl/AnsiString.h"

namespace safefile {
// Raises EFCreateError "Cannot create file "<name>". <reason>" when the target may not be
// written (its own permission forbids it, as a direct write would find; a file without
// any write permission counts as read-only also for the superuser), when it is not a
// regular file, or when the temporary file cannot be made; EWriteError "Cannot write file
// "<name>". <reason>" when writing, flushing or renaming fails. The temporary file is
// removed on failure. A symbolic link is followed: its target is replaced (the temporary
// file sits beside the target) and the link stays a link.
void WriteFile(const AnsiString& FileName, std::string_view Bytes);

// Raises EFOpenError "Cannot open file "<name>". <reason>" (also for anything but a
// regular file) or EReadError "Cannot read file "<name>". <reason>", among them a file
// larger than MaxBytes ("It is larger than 1 MiB.").
AnsiString ReadFile(const AnsiString& FileName, size_t MaxBytes = std::numeric_limits<size_t>::max());

// "1 MiB", "512 KiB", "100 bytes": a size limit as the messages name it.
AnsiString SizeText(uint64_t Bytes);
}  // namespace safefile

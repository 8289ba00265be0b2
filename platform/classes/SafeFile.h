#pragma once
// Whole-file reads and crash-safe whole-file writes. A write goes to a temporary file in
// the target's folder, is flushed to disk, and only then renamed over the target, so a
// failed or interrupted save leaves the old file as it was.
#include <string_view>
#include "platform/rtl/AnsiString.h"

namespace safefile {
// Raises EFCreateError "Cannot create file "<name>". <reason>" when the temporary file
// cannot be made, EWriteError "Cannot write file "<name>". <reason>" when writing,
// flushing or renaming fails. The temporary file is removed on failure.
void WriteFile(const AnsiString& FileName, std::string_view Bytes);
// Raises EFOpenError "Cannot open file "<name>". <reason>" or EReadError
// "Cannot read file "<name>". <reason>".
AnsiString ReadFile(const AnsiString& FileName);
}  // namespace safefile

#pragma once
// File-name helpers. File names are AnsiString (Windows-1252) like every program string;
// they are converted to UTF-8 only when handed to the operating system. "/" is the
// folder separator.
#include "platform/rtl/AnsiString.h"

// Folder part including the trailing "/" ("" when there is none).
AnsiString ExtractFilePath(const AnsiString& FileName);
AnsiString ExtractFileName(const AnsiString& FileName);
// Extension including the dot ("" when there is none; a dot in a folder name is not one).
AnsiString ExtractFileExt(const AnsiString& FileName);
// Replaces (or adds, or with "" removes) the extension; Extension includes the dot.
AnsiString ChangeFileExt(const AnsiString& FileName, const AnsiString& Extension);
// True for an existing regular file (not a folder).
bool FileExists(const AnsiString& FileName);
bool DirectoryExists(const AnsiString& Dir);
// Creates Dir and any missing parents; false when that fails.
bool ForceDirectories(const AnsiString& Dir);
bool DeleteFile(const AnsiString& FileName);

// The user's home folder ($HOME, else the account's), with a trailing "/"; "/" when there is
// none. Files the user keeps start there.
AnsiString HomeFolder();

// The program's configuration folder: $XDG_CONFIG_HOME/corvaneq5/ (default
// ~/.config/corvaneq5/), with a trailing "/". Not created here.
AnsiString ConfigFolder();
// FileName unchanged when it names a folder, else ConfigFolder() + FileName.
AnsiString ConfigFilePath(const AnsiString& FileName);

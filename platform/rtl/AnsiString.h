#pragma once
// The program's strings: Windows-1252 bytes, as its files and the ECU use them.
// They become Unicode only where the platform hands them to Qt or to the file system.
#include <string>
#include <string_view>

using AnsiString = std::string;

namespace cp1252 {
// Windows-1252 bytes to UTF-8. The five unassigned bytes (0x81, 0x8D, 0x8F, 0x90, 0x9D)
// map to the C1 control code points of the same value, so every byte round-trips.
std::string ToUtf8(std::string_view ansi);
// UTF-8 to Windows-1252; characters outside the code page become '?'.
AnsiString FromUtf8(std::string_view utf8);
}  // namespace cp1252

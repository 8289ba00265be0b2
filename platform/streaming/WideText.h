#pragma once
// UTF-16 text as wide strings of the component stream carry it.
#include <string>

namespace streaming {
// Unpaired surrogates become U+FFFD.
std::string Utf16ToUtf8(const std::u16string& Text);
}  // namespace streaming

#pragma once
// The system clipboard as plain text. Text is Windows-1252 and, as with a plain-text
// clipboard block, ends at its first NUL byte.
#include "platform/rtl/AnsiString.h"

class TClipboard {
 public:
  AnsiString AsText() const;
  void SetAsText(const AnsiString& Value);
  bool HasText() const;
  void Clear();
};

// The one clipboard object of the program.
TClipboard* Clipboard();

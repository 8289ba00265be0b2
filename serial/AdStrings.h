#pragma once
// The family's error and event texts, kept in the program as a table sorted by id (the
// absolute value of an error code). A missing id gives an empty text, or raises when the
// reader is set to.
#include <cstdint>
#include "platform/rtl/AnsiString.h"

class TAdStringResource {
 public:
  explicit TAdStringResource(bool RaiseOnMissing = false) : Raise(RaiseOnMissing) {}
  // The text for Id; empty (or ETpsStringResourceError "String not found: <id>" with
  // Raise set) when the table has none.
  AnsiString GetString(uint32_t Id) const;

  bool Raise;
};

// True when the built-in table is sorted by id, as the lookup needs.
bool ErrorTableIsSorted();

// The reader the family uses for its error texts.
const TAdStringResource& ErrorStrings();

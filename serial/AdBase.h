#pragma once
// Common base of the serial components and the family's small helpers.
#include <cstdint>
#include "platform/classes/Classes.h"

class TApdBaseComponent : public TComponent {
 public:
  using TComponent::TComponent;
  const char* ClassName() const override { return "TApdBaseComponent"; }

  // Shown by the designer; always the family's version, writes are ignored.
  AnsiString Version() const { return "v3.05"; }
  void SetVersion(const AnsiString&) {}
};

// True when any bit of Mask is set in Flags.
inline bool FlagIsSet(uint32_t Flags, uint32_t Mask) { return (Flags & Mask) != 0; }

// True when the file exists.
bool ExistFile(const AnsiString& Name);

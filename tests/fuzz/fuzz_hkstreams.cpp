// The stream container reader with its lh5 decoder and unscrambling. Any input must end
// in a loaded container or an Exception, never a crash or a hang; a container that loads
// must save and load again to the same streams. Bodies are bounded as the program's
// largest container files (update files) bound them.
#include <cstddef>
#include <cstdint>
#include "files/HKStreamCol.h"

namespace {
constexpr size_t kMaxBody = size_t{4} << 20;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  THKStreams container(nullptr);
  container.Key = "0A31";
  TStringStream in(AnsiString(reinterpret_cast<const char*>(Data), Size));
  try {
    container.LoadFromStream(&in, kMaxBody);
  } catch (const Exception&) {
    return 0;
  }
  TStringStream saved;
  container.SaveToStream(&saved);
  THKStreams again(nullptr);
  again.Key = container.Key;
  saved.Seek(0, soBeginning);
  again.LoadFromStream(&saved);
  TStringStream a, b;
  for (const char* name : {"Q5mapver", "Q5map-01", "Q5map-02", "Q5map-03", "Q5-3"}) {
    container.GetStream(name, &a);
    again.GetStream(name, &b);
  }
  if (a.DataString() != b.DataString()) __builtin_trap();
  return 0;
}

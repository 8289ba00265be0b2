// libFuzzer target for the stream container reader and its lh5 decoder. Not part of the
// normal build; for example:
//   clang++ -std=c++20 -g -fsanitize=fuzzer,address -I. tests/fuzz/fuzz_hkstreams.cpp \
//     app/HKStreamCol.cpp app/HKStreamRoutines.cpp app/Lh5*.cpp app/Blowfish*.cpp \
//     platform/rtl/*.cpp platform/classes/*.cpp -o fuzz_hkstreams
// Any input must end in a loaded container or an Exception, never a crash or a hang.
#include <cstddef>
#include <cstdint>
#include "app/HKStreamCol.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  THKStreams container(nullptr);
  container.Key = "0A31";
  TStringStream in(AnsiString(reinterpret_cast<const char*>(Data), Size));
  try {
    container.LoadFromStream(&in);
  } catch (const Exception&) {
  }
  return 0;
}

// The binary component stream reader (as ObjectBinaryToText walks it) and the form text
// parser. Malformed input must raise an Exception, never crash or hang.
#include <cstddef>
#include <cstdint>
#include <string_view>
#include "platform/streaming/ObjectText.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  const std::string_view input(reinterpret_cast<const char*>(Data), Size);
  try {
    ObjectBinaryToText(input);
  } catch (const Exception&) {
  }
  try {
    ObjectTextToBinary(input, "fuzz.form");
  } catch (const Exception&) {
  }
  return 0;
}

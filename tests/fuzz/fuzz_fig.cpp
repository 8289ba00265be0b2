// The old text map reader. Any text must fill the map or raise an Exception; after an
// Exception the map must hold exactly what it held before.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include "files/FigFile.h"
#include "platform/rtl/SysUtils.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  static int32_t speedSites[33];
  static auto before = [] {
    auto m = std::make_unique<TMapRecord>();
    for (size_t i = 0; i < kMapRecordSize; ++i) m->Bytes()[i] = static_cast<uint8_t>(i * 7);
    for (int i = 0; i < 33; ++i) speedSites[i] = 500 * i;
    return m;
  }();
  auto map = std::make_unique<TMapRecord>(*before);
  // The first byte picks the load rows per main table, also beyond the 16 a table has.
  const int loadSites = Size > 0 ? Data[0] % 40 : 16;
  try {
    ReadFigText(AnsiString(reinterpret_cast<const char*>(Data), Size), "fuzz.fig", *map, loadSites, speedSites);
  } catch (const Exception&) {
    if (std::memcmp(map->Bytes(), before->Bytes(), kMapRecordSize) != 0) __builtin_trap();
  }
  return 0;
}

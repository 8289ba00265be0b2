// The channel file of a log. Any text is either refused with a reason or gives channel
// functions, units and auxiliary rows the logger can use as they are.
#include <cstddef>
#include <cstdint>

#include "files/LogFiles.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  AnsiString why;
  const auto d = ParseLogDescription(AnsiString(reinterpret_cast<const char*>(Data), Size), why);
  if (!d) {
    if (why.empty()) __builtin_trap();
    return 0;
  }
  for (int n = 1; n <= 8; ++n)
    if (d->Channels[n] < -1 || d->Channels[n] > 44) __builtin_trap();
  if (d->TemperatureUnit < 0 || d->TemperatureUnit > 1 || d->PressureUnit < 0 || d->PressureUnit > 2 ||
      d->SpeedUnit < 0 || d->SpeedUnit > 1 || d->DistanceUnit < 0 || d->DistanceUnit > 1 || d->O2Unit < 0 ||
      d->O2Unit > 1)
    __builtin_trap();
  for (const auto* row : {&d->Unit3, &d->Unit4})
    if (*row && ((*row)->Decimals < 0 || (*row)->Decimals > 2 || (*row)->Unit.size() > 6)) __builtin_trap();
  return 0;
}

// Packet bodies from the serial line: splitting by type and SLIP unstuffing. Any body
// must be decoded or dropped, never read past its end.
#include <cstddef>
#include <cstdint>
#include <string_view>
#include "link/EcuPacket.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  const std::string_view body(reinterpret_cast<const char*>(Data), Size);
  if (ecu::UnstuffSlip(body).size() > Size) __builtin_trap();
  if (const auto packet = ecu::DecodePacketBody(body)) {
    if (Size < 2 || Size > ecu::kMaxPacketBody || packet->data.size() > Size) __builtin_trap();
  }
  return 0;
}

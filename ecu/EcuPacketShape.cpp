// The packet component set up for the ECU's stream. Apart from the body decoding so that
// the decoding builds without the serial component (the fuzz targets link only that).
#include "link/EcuPacket.h"
#include "serial/AdPacket.h"

namespace ecu {

void ShapeEcuPacket(TApdDataPacket& packet) {
  packet.SetStartCond(scString);
  packet.SetStartString("\xDB\xC0");
  packet.SetEndCond(ecString);
  packet.SetEndString("\xC0");
  packet.SetIgnoreCase(false);
  packet.SetIncludeStrings(false);
  packet.SetPacketSize(static_cast<int>(kMaxPacketBody));
  packet.SetTimeOut(40);
  packet.SetEnabled(true);
}

}  // namespace ecu

#pragma once
// The handler of every packet the ECU sends. It decodes the packet into the live data,
// the identity, the configuration or the map-read collector and tells its host - the main
// window - what the windows have to show and what goes back to the ECU. It never touches
// a window or the port itself, so the whole protocol logic runs without either.
#include <optional>
#include <string_view>

#include "link/LiveData.h"
#include "model/MapImage.h"
#include "platform/rtl/AnsiString.h"

struct TSettingsRecord;

namespace ecu {

// A cell of the two main tables: column = speed site + 2, row = load site + 1.
struct GridCell {
  int column = 0;
  int row = 0;
};

// The operating-point marker of the main tables after a fast packet.
struct GridMarker {
  std::optional<GridCell> unmark;  // paint white: the point moved away from here
  std::optional<GridCell> mark;    // paint silver: the new point
};

// The temperature calculator's choice while it is shown.
struct SensorView {
  int input = 0;            // which sensor's word of the reply it shows
  bool resistance = false;  // ohms instead of volts
};

// What the packet handler needs from, and reports to, the rest of the program. Every
// notification has an empty default so a host implements only what it shows.
class PacketHost {
 public:
  virtual ~PacketHost() = default;

  // Bytes for the ECU, written whole.
  virtual void Send(const AnsiString& bytes) = 0;
  // Restarts the link watchdog for another 18 ticks.
  virtual void ArmLinkWatchdog() = 0;

  // A fast packet is decoded into LiveFast, the operating point, the live cells and
  // LiveValues: refresh the live displays, the table marker and the user value boxes.
  virtual void FastLiveReceived(const GridMarker&) {}
  // While LoggingActive, after each fast packet: the logger's channel update and the
  // trend recorder's record.
  virtual void LogSample() {}
  // A slow packet is decoded into LiveSlow and LiveValues.
  virtual void SlowLiveReceived() {}
  // The ECU runs a bank other than the one shown: show it and refill the tables.
  virtual void ActiveMapDiffers(int32_t /*bank*/) {}

  // A status packet is stored in ECUIdentity.
  virtual void IdentityReceived() {}
  // The ECU speaks another protocol: show `message`, disable the packets and close the
  // port. ECUConnected, ECUImmobilised and ECUMapsLocked are already cleared.
  virtual void ProtocolRejected(const AnsiString& /*message*/) {}

  // A complete configuration reply is in ConfigReadCopy and ConfigBlock.
  virtual void ConfigurationReceived() {}
  // The read-back after an upload shows the ECU holding something other than what was
  // sent: the upload did not finish. The block stays marked unsent.
  virtual void ConfigUploadUnfinished() {}

  // The map-lock message text.
  virtual void LockMessageReceived(const AnsiString& /*text*/) {}
  // The temperature calculator, when it is shown; and its new reading.
  virtual std::optional<SensorView> SensorViewShown() { return std::nullopt; }
  virtual void SensorReadingReceived(const AnsiString& /*text*/) {}

  // The map-transfer window.
  virtual bool MapTransferShown() { return false; }
  virtual void MapProgressAdd(int /*bytes*/) {}
  // A whole bank image has arrived for bank `bank`. The window reports its own decoding
  // faults; an exception escaping here would leave the read half advanced.
  virtual void ImportMap(int /*bank*/, const MapImage& /*image*/) {}
  // Moving on to bank MapReadNumber: window tag, progress 0, progress text.
  virtual void MapReadNext(int /*bank*/) {}
  virtual void MapReadComplete() {}
  // Bank `bank` did not add up to a whole image (a chunk past its size or past the
  // collector's slots): nothing of it was imported and the read has stopped.
  virtual void MapReadFailed(int /*bank*/) {}
};

class PacketHandler {
 public:
  PacketHandler(PacketHost& host, const TSettingsRecord& units);

  // One packet body as the packet component delivers it (without DB C0 and C0).
  void HandlePacket(std::string_view body);

  // Data of the configuration chunks received so far of an unfinished reply.
  const AnsiString& ConfigReplyBuffer() const { return configReply_; }
  // Set once the ECU reported another protocol; every later packet is ignored until
  // Resume (a port chosen again).
  bool CommsDisabled() const { return disabled_; }
  void Resume() {
    disabled_ = false;
    configReply_.clear();
  }

 private:
  void Fast(std::string_view data);
  void Slow(std::string_view data);
  void Status(std::string_view data);
  void ConfigChunk(std::string_view data, uint8_t trailer);
  void Reply(uint8_t subCode, std::string_view data);
  void MapChunk(uint8_t subCode, std::string_view data);
  void FlashReply(uint8_t subCode);
  void Drop();

  PacketHost& host_;
  const TSettingsRecord& units_;
  AnsiString configReply_;
  bool disabled_ = false;
};

}  // namespace ecu

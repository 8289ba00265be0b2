#include "link/PacketHandler.h"

#include <algorithm>
#include <cstdlib>

#include "model/ChannelFunctions.h"
#include "model/MapRecord.h"
#include "model/Settings.h"
#include "model/ConfigBlock.h"
#include "link/ConfigRequests.h"
#include "link/EcuPacket.h"
#include "files/FlashFile.h"
#include "model/Frames.h"
#include "platform/rtl/Numbers.h"

namespace ecu {
namespace {

// Data lengths the decoders read up to; a live or status packet that stops short of its
// last field is dropped rather than half decoded.
constexpr size_t kFastDataSize = 28;
constexpr size_t kSlowDataSize = 67;
constexpr size_t kStatusDataSize = 50;
// A configuration reply is under 500 bytes; chunks that keep announcing more beyond this
// cannot be one, and are thrown away instead of growing without end.
constexpr size_t kMaxConfigReply = 1024;

// Seconds per injection pulse count, times 100 for the time the displays show.
constexpr double kPulseTime = 1.526329178e-06 * 100;

// Reads data bytes and big-endian words; callers have checked the length.
class Bytes {
 public:
  explicit Bytes(std::string_view d) : d_(d) {}
  int32_t B(size_t k) const { return static_cast<uint8_t>(d_[k]); }
  int32_t S(size_t k) const { return static_cast<int8_t>(d_[k]); }
  int32_t W(size_t k) const { return B(k) << 8 | B(k + 1); }
  int32_t SW(size_t k) const { return static_cast<int16_t>(static_cast<uint16_t>(W(k))); }
  uint32_t L(size_t k) const { return static_cast<uint32_t>(W(k)) << 16 | static_cast<uint32_t>(W(k + 2)); }

 private:
  std::string_view d_;
};

// A site byte and its fraction byte: a fraction of 128 and above belongs to the next site.
void SiteAndFraction(int32_t site, int32_t fraction, int32_t& outSite, int16_t& outFraction) {
  if (fraction < 128) {
    outSite = site;
    outFraction = static_cast<int16_t>(fraction + 128);
  } else {
    outSite = site + 1;
    outFraction = static_cast<int16_t>(fraction - 128);
  }
}

// Row and bar position of a live cell from its row and fraction (0..255 of a row).
void RowAndBar(int32_t row, int32_t fraction, int32_t& outRow, int32_t& outBar) {
  if (fraction < 128) {
    outRow = row;
    outBar = -fraction;
  } else {
    outRow = row + 1;
    outBar = 256 - fraction;
  }
}

bool InsideMainTable(int32_t speedSite, int32_t loadSite) {
  return speedSite >= 0 && speedSite < 32 && loadSite >= 0 && loadSite < 16;
}

// The VVT values the ECU reports are relative to the current map's VVT offset.
int32_t CurrentVVTBase() {
  if (CurrentMap < 1 || CurrentMap > 3) return 0;
  return static_cast<int16_t>(MapSlots[CurrentMap].VVTOffset);
}

void CountPacket(int index) {
  ++PacketCountsA[index];
  ++PacketCountsB[index];
}

}  // namespace

PacketHandler::PacketHandler(PacketHost& host, const TSettingsRecord& units) : host_(host), units_(units) {}

void PacketHandler::Drop() { ++DroppedPacketCount; }

void PacketHandler::HandlePacket(std::string_view body) {
  if (disabled_) return;
  const std::optional<EcuPacket> p = DecodePacketBody(body);
  if (!p) return Drop();

  // A configuration reply arrives in consecutive chunks; anything else between them
  // breaks the reply off.
  if (p->kind == PacketKind::ConfigChunk) {
    configReply_ += p->data;
    if (configReply_.size() > kMaxConfigReply) {
      configReply_.clear();
      return Drop();
    }
    if (p->trailer == kConfigMoreFollows) {
      CountPacket(3);
      return;
    }
  } else {
    configReply_.clear();
  }

  switch (p->kind) {
    case PacketKind::FastLive: return Fast(p->data);
    case PacketKind::SlowLive: return Slow(p->data);
    case PacketKind::Status: return Status(p->data);
    case PacketKind::ConfigChunk: return ConfigChunk(p->data, p->trailer);
    case PacketKind::Reply: return Reply(p->subCode, p->data);
    case PacketKind::MapData: return MapChunk(p->subCode, p->data);
    case PacketKind::FlashReply: return FlashReply(p->subCode);
    case PacketKind::Ignored: return;
  }
}

void PacketHandler::Fast(std::string_view data) {
  if (data.size() < kFastDataSize) return Drop();
  const Bytes d(data);
  CountPacket(0);
  // The first fast packet after a lost link asks for the configuration and identity,
  // except while a firmware update runs: the ECU then listens for the new code only.
  if (!ECUConnected && FlashState == 0) {
    host_.Send(ConfigRequestFrame());
    host_.Send(StatusRequestFrame());
  }
  ECUConnected = true;
  host_.ArmLinkWatchdog();

  const int32_t previousSpeedSite = LiveSpeedSite;
  const int32_t previousLoadSite = LiveLoadSite;

  TFastLiveRaw& f = LiveFast;
  f.RPM = d.W(0);
  f.SpeedSiteByte = d.B(2);
  f.SpeedFractionByte = d.B(3);
  f.LoadSiteByte = d.B(14);
  f.LoadFractionByte = d.B(15);
  SiteAndFraction(d.B(2), d.B(3), LiveSpeedSite, LiveSpeedFraction);
  const int32_t throttleWord = d.W(4);
  // Bit 15 marks a sensor that reads reversed; the count is kept as its magnitude.
  f.ThrottleSigned = (throttleWord & 0x8000) ? 32768 - throttleWord : throttleWord;
  f.ThrottleCounts = std::abs(f.ThrottleSigned);
  f.ManifoldPressure = d.W(6);
  f.ThrottlePercent = d.B(8);
  f.IgnitionMapValue = d.S(9) / 2;  // integer division halves toward zero
  f.Advance = d.S(10);
  f.InjectionMapValue = d.B(11);
  f.PulseCount1 = d.W(12);
  SiteAndFraction(d.B(14), d.B(15), LiveLoadSite, LiveLoadFraction);
  f.AFR2 = d.B(16);
  f.AFR = d.B(17);
  // Live cells of items 5, 6 and 4: high 3 bits the row, low 5 bits the fraction / 8.
  const int items[3] = {5, 6, 4};
  for (int i = 0; i < 3; ++i) {
    const int32_t b = d.B(18 + i);
    RowAndBar(b >> 5, (b & 0x1F) * 8, LiveCellRow[items[i]], LiveCellBar[items[i]]);
  }
  f.Flags = d.B(27);
  // Byte 21 is the gauge's size (0..255) and bit 0 of the flag byte its sign: the gauge
  // runs from -255 to 255.
  f.GaugeValue = (f.Flags & 1) ? -d.B(21) : d.B(21);
  f.PulseCount2 = d.W(24);
  LiveRoadSpeed = d.W(22);

  // Injection time and duty; with double injection the second count is a half pulse.
  const bool doubleInjection = (LiveSlow.StatusWord & (1 << 8)) != 0;
  const double c1 = f.PulseCount1, c2 = f.PulseCount2;
  double duty;
  if (c2 != 0 && doubleInjection) {
    f.InjectionTime = (c1 + c2 / 2) * kPulseTime;
    duty = f.RPM * f.InjectionTime / 120;
  } else if (c2 != 0) {
    f.InjectionTime = (c1 + c2) / 2 * kPulseTime;
    duty = f.RPM * f.InjectionTime / 60;
  } else {
    f.InjectionTime = c1 * kPulseTime;
    duty = f.RPM * f.InjectionTime / 60;
    if (doubleInjection) duty /= 2;
  }
  f.InjectionDuty = f.RPM < 1 ? 0 : static_cast<int32_t>(Round(duty));

  // Live cell of item 3 follows the throttle: 25 % per row.
  RowAndBar(f.ThrottlePercent / 25, static_cast<int32_t>(Round((f.ThrottlePercent % 25) * 10.583)),
            LiveCellRow[3], LiveCellBar[3]);
  LiveCellValue[1] = f.IgnitionMapValue;
  LiveCellValue[2] = f.InjectionMapValue;
  LiveCellBar[1] = LiveCellBar[2] = 128 - LiveLoadFraction;

  TPSLearnMax = std::max(TPSLearnMax, f.ThrottleCounts);
  TPSLearnMin = std::min(TPSLearnMin, f.ThrottleCounts);

  const double afr = f.AFR / 10.0;
  LiveValues[1] = std::min<double>(std::max<double>(afr, ChannelFunctionFrom[1]), ChannelFunctionTo[1]);
  LiveValues[20] = f.RPM;
  LiveValues[24] = f.Advance / 2.0;
  LiveValues[26] = f.InjectionDuty;
  LiveValues[27] = f.InjectionTime * 10;
  LiveValues[31] = LiveLoadSite;
  LiveValues[33] = LiveSpeedSite;
  LiveValues[41] = f.ThrottlePercent;
  LiveValues[42] = f.ThrottleCounts;
  SetUnitLiveValues(units_);

  // The marker moves only when the point moved; a site past the table's last column
  // (a fraction rounding up to site 32) has no cell to paint.
  GridMarker marker;
  if ((LiveSpeedSite != previousSpeedSite || LiveLoadSite != previousLoadSite) &&
      InsideMainTable(previousSpeedSite, previousLoadSite)) {
    marker.unmark = GridCell{previousSpeedSite + 2, previousLoadSite + 1};
    if (InsideMainTable(LiveSpeedSite, LiveLoadSite)) marker.mark = GridCell{LiveSpeedSite + 2, LiveLoadSite + 1};
  }
  host_.FastLiveReceived(marker);
  if (LoggingActive) host_.LogSample();
}

void PacketHandler::Slow(std::string_view data) {
  if (data.size() < kSlowDataSize) return Drop();
  const Bytes d(data);
  CountPacket(1);
  // A slow packet during the last steps of an update means the ECU has restarted.
  FlashState = FlashStateAfterRestart(FlashState);

  TSlowLiveRaw& s = LiveSlow;
  s.AirTemp = d.B(0) - 40;
  s.CoolantTemp = d.B(1) - 40;
  s.AuxTemp = d.B(2) - 40;
  s.Battery = d.B(3);
  s.BaroMbar = d.SW(4) + 1000;
  s.LambdaTrim = d.SW(6);
  for (size_t i = 0; i < s.AuxInput.size(); ++i) s.AuxInput[i] = d.W(8 + 2 * i);
  LiveEGT = d.W(28);
  s.InjectionCorrection = d.SW(30);
  // The ECU's ignition correction reaches +66 degrees, so only bytes above 132 are negative.
  s.IgnitionCorrection = d.B(33) > 132 ? d.B(33) - 256 : d.B(33);
  s.Word34 = d.W(34);
  s.CamPosition = d.W(36);
  s.InjectionTiming = d.B(39);
  s.AuxPWM = d.B(41);
  const int32_t vvtBase = CurrentVVTBase();
  s.VVTTarget = d.B(43) + (vvtBase != 0 ? vvtBase : 200);
  s.VVTControl = d.B(44);
  s.BoostPWM = d.B(46);
  s.BoostTarget = d.B(47);
  s.Duty48 = d.B(48) == 0 ? 256 : d.B(48);
  s.GearWheel = d.B(49);
  s.Outputs = d.B(50);
  s.CoilOnTime = d.B(51);
  s.WheelSpeed = d.B(52) << 8 | d.B(53);
  s.StatusWord = d.W(56);
  s.FaultWord = d.W(58);
  s.TelltaleWord = d.W(60);
  s.TelltaleMaximum = s.TelltaleWord & 0x3FFF;
  s.LockBits = d.B(62);
  ECUMSPB = d.B(63);
  s.IdlePosition = d.B(64);
  s.CrankingSite = d.B(65);
  s.LambdaSensor = d.B(66);

  LiveCellValue[4] = d.B(38);
  LiveCellValue[5] = d.B(40);
  LiveCellValue[3] = d.B(45);
  LiveCellValue[6] = d.B(42) + vvtBase;
  ECUActiveMap = ActiveMapOfStatus(s.StatusWord);
  ECUIdentity.AdvanceLocked = (s.StatusWord & (1 << 4)) != 0;
  TelltaleOn = (s.TelltaleWord & (1 << 14)) != 0;

  for (int i = 0; i < 4; ++i) LiveValues[3 + i] = s.AuxInput[i];
  LiveValues[11] = s.AuxPWM * 100.0 / 255.0;
  LiveValues[13] = s.BaroMbar;
  LiveValues[14] = s.Battery / 11.0;
  LiveValues[15] = s.BoostPWM * 100.0 / 255.0;
  LiveValues[17] = s.CamPosition / 2.0;
  LiveValues[18] = s.CoilOnTime * 0.0488;
  LiveValues[22] = s.IdlePosition;
  LiveValues[23] = s.IgnitionCorrection / 2.0 + 0.001;
  LiveValues[25] = s.InjectionCorrection + 0.001;
  LiveValues[28] = s.InjectionTiming * 4;
  LiveValues[29] = s.LambdaSensor * 5.0 / 255.0 / 5.0;
  LiveValues[30] = s.LambdaTrim / 163.84;
  LiveValues[39] = (s.GearWheel & 0x0F) + 1;
  LiveValues[43] = s.VVTControl;
  LiveValues[44] = s.VVTTarget;
  SetUnitLiveValues(units_);

  if (ECUActiveMap != CurrentMap) host_.ActiveMapDiffers(ECUActiveMap);
  host_.SlowLiveReceived();
}

void PacketHandler::Status(std::string_view data) {
  if (data.size() < kStatusDataSize) return Drop();
  const Bytes d(data);
  CountPacket(2);
  TECUIdentity& id = ECUIdentity;
  id.SerialNumber = static_cast<uint16_t>(d.W(1));
  id.FirmwareVersion = static_cast<uint16_t>(d.W(4));
  id.HardwareVersion = static_cast<uint16_t>(d.W(6));
  id.DevelopmentVersion = static_cast<uint16_t>(d.W(8));
  id.Word10 = static_cast<uint16_t>(d.W(10));
  id.Protocol = static_cast<uint16_t>(d.W(12));
  id.ProgrammedDate = d.L(14);
  id.Word18 = static_cast<uint16_t>(d.W(18));
  id.VersionText = IntToHex(d.B(20), 2) + IntToHex(d.B(21), 2);
  id.MapLockKey = static_cast<uint16_t>(d.W(22));
  id.EngineSeconds = d.L(24);
  id.ECUSeconds = d.L(28);
  id.TelltaleMaxRPM = static_cast<uint16_t>(d.W(48));
  host_.IdentityReceived();

  if (id.Protocol != 3) {
    // The packets of another protocol mean something else; listening on would mislead.
    disabled_ = true;
    ECUConnected = false;
    ECUImmobilised = false;
    ECUMapsLocked = false;
    host_.ProtocolRejected(ProtocolMismatchMessage(id.Protocol));
  }
}

void PacketHandler::ConfigChunk(std::string_view, uint8_t) {
  CountPacket(3);
  // The reply is used up whether or not a window shows it, so a later reply never
  // starts behind this one's bytes.
  AnsiString reply;
  reply.swap(configReply_);
  const ConfigReplyKind kind = ConfigRequests.Answered();
  // What the ECU held before an upload: neither copy may go back to it.
  if (kind == ConfigReplyKind::OutOfDate) return;
  TConfigBlock fromEcu = ConfigBlock;
  config::DecodeConfigReply(reply, ConfigReadCopy, fromEcu);
  const bool whole = reply.size() >= config::kConfigImageSize;
  bool unfinished = false;
  if (kind == ConfigReplyKind::Current) {
    // Work the ECU turns out to hold already (an upload whose read-back was lost, a loaded
    // file equal to the ECU's settings) is sent.
    if (ConfigBlockUnsent && whole && !ConfigRequests.UploadUnderWay() &&
        config::EncodeConfigImage(ConfigReadCopy) == config::EncodeConfigImage(ConfigBlock))
      ConfigBlockUnsent = false;
  } else {
    const config::ConfigImage& sent = ConfigRequests.UploadedImage();
    if (!whole || config::EncodeConfigImage(ConfigReadCopy) != sent) {
      // The ECU holds something else than was sent: the work stays unsent.
      ConfigBlockUnsent = true;
      unfinished = true;
    } else if (config::EncodeConfigImage(ConfigBlock) == sent) {
      // The ECU holds the upload and nothing was changed since: the reply replaces the
      // block. Edits made meanwhile stay unsent.
      ConfigBlockUnsent = false;
    }
  }
  if (!ConfigBlockUnsent) ConfigBlock = fromEcu;
  host_.ConfigurationReceived();
  if (unfinished) host_.ConfigUploadUnfinished();
}

void PacketHandler::Reply(uint8_t subCode, std::string_view data) {
  if (subCode == kReplyLockMessage) {
    host_.LockMessageReceived(AnsiString(data));
  } else if (subCode == kReplySensorCounts) {
    const std::optional<SensorView> view = host_.SensorViewShown();
    if (!view) return;
    const std::optional<AnsiString> text = SensorReadingText(data, view->input, view->resistance);
    if (!text) return Drop();
    host_.SensorReadingReceived(*text);
  }
}

void PacketHandler::MapChunk(uint8_t subCode, std::string_view data) {
  ++MapChunksReceived;
  host_.ArmLinkWatchdog();
  // A chunk belongs to the bank asked for, which its sub-code names. The ECU finishes a
  // bank it has started even when the read was cancelled, so the rest of that bank may
  // still come in; it is never added to another read.
  if (!MapReadActive || !host_.MapTransferShown() || subCode != MapReadNumber) {
    ++MapChunksDropped;
    return;
  }
  // More chunks or bytes than one bank holds: the image cannot be whole, and a part of
  // it is never imported.
  if (data.size() > MapReadBuffer[0].Data.size() || MapReadChunkCount < 0 || MapReadChunkCount >= kMapReadSlots ||
      static_cast<size_t>(MapReadByteCount) + data.size() > kMapImageSize) {
    ++MapChunksDropped;
    const int32_t bank = MapReadNumber;
    MapReadActive = false;
    MapReadRemaining = 0;
    ClearMapReadCollector();
    host_.MapReadFailed(bank);
    return;
  }
  TMapReadSlot& slot = MapReadBuffer[MapReadChunkCount];
  slot.Length = static_cast<uint8_t>(data.size());
  std::copy(data.begin(), data.end(), reinterpret_cast<char*>(slot.Data.data()));
  ++MapReadChunkCount;
  MapReadByteCount += static_cast<int32_t>(data.size());
  host_.MapProgressAdd(static_cast<int>(data.size()));

  if (MapReadByteCount != static_cast<int32_t>(kMapImageSize)) return;
  // The bank is whole; nothing more is collected until the next bank is asked for.
  MapReadActive = false;
  if (const std::optional<MapImage> image = CollectedMapImage()) host_.ImportMap(MapReadNumber, *image);
  ClearMapReadCollector();
  --MapReadRemaining;
  if (MapReadRemaining <= 0 || MapReadNumber < 1 || MapReadNumber >= 3) {
    MapReadRemaining = 0;
    host_.MapReadComplete();
    return;
  }
  ++MapReadNumber;
  host_.MapReadNext(MapReadNumber);
  MapReadActive = true;
  host_.Send(ReadMapFrame(MapReadNumber));
}

void PacketHandler::FlashReply(uint8_t subCode) { FlashState = FlashStateAfterReply(FlashState, subCode); }

}  // namespace ecu

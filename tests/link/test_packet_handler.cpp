#include <gtest/gtest.h>

#include <vector>

#include "model/ChannelFunctions.h"
#include "model/MapRecord.h"
#include "model/Settings.h"
#include "model/ConfigBlock.h"
#include "link/PacketHandler.h"

using namespace ecu;

namespace {

AnsiString Bytes(std::initializer_list<int> bytes) {
  AnsiString s;
  for (int b : bytes) s.push_back(static_cast<char>(b));
  return s;
}

// A packet body: type, sub-code, the data SLIP-stuffed, trailer.
AnsiString Body(int type, int sub, const AnsiString& data, int trailer = 0) {
  AnsiString b = Bytes({type, sub});
  for (char c : data) {
    if (c == static_cast<char>(0xC0)) b += Bytes({0xDB, 0xDC});
    else if (c == static_cast<char>(0xDB)) b += Bytes({0xDB, 0xDD});
    else b.push_back(c);
  }
  b.push_back(static_cast<char>(trailer));
  return b;
}

struct Data {
  AnsiString d;
  explicit Data(size_t n) : d(n, '\0') {}
  Data& Byte(size_t k, int v) { d[k] = static_cast<char>(v); return *this; }
  Data& Word(size_t k, int v) { return Byte(k, (v >> 8) & 0xFF).Byte(k + 1, v & 0xFF); }
};

struct RecordingHost : PacketHost {
  std::vector<AnsiString> sent;
  int arms = 0, fast = 0, slow = 0, logs = 0, identities = 0, configs = 0, progress = 0;
  std::vector<int32_t> mapChanges;
  GridMarker marker;
  AnsiString rejected, lockText, sensorText;
  std::optional<SensorView> sensorView;
  bool transferShown = true;
  std::vector<std::pair<int, MapImage>> imports;
  std::vector<int> nextBanks;
  int completes = 0;
  std::vector<int> failed;

  void Send(const AnsiString& bytes) override { sent.push_back(bytes); }
  void ArmLinkWatchdog() override { ++arms; }
  void FastLiveReceived(const GridMarker& m) override { ++fast; marker = m; }
  void LogSample() override { ++logs; }
  void SlowLiveReceived() override { ++slow; }
  void ActiveMapDiffers(int32_t bank) override { mapChanges.push_back(bank); }
  void IdentityReceived() override { ++identities; }
  void ProtocolRejected(const AnsiString& m) override { rejected = m; }
  void ConfigurationReceived() override { ++configs; }
  void LockMessageReceived(const AnsiString& t) override { lockText = t; }
  std::optional<SensorView> SensorViewShown() override { return sensorView; }
  void SensorReadingReceived(const AnsiString& t) override { sensorText = t; }
  bool MapTransferShown() override { return transferShown; }
  void MapProgressAdd(int bytes) override { progress += bytes; }
  void ImportMap(int bank, const MapImage& image) override { imports.emplace_back(bank, image); }
  void MapReadNext(int bank) override { nextBanks.push_back(bank); }
  void MapReadComplete() override { ++completes; }
  void MapReadFailed(int bank) override { failed.push_back(bank); }
};

class PacketHandlerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    units = TSettingsRecord{};
    FillChannelFunctions(units);
    ZeroLiveRawValues();
    LiveValues.fill(0);
    ECUConnected = ECUImmobilised = ECUMapsLocked = LoggingActive = false;
    FlashState = 0;
    PacketCountsA.fill(0);
    PacketCountsB.fill(0);
    DroppedPacketCount = 0;
    ECUActiveMap = 1;
    CurrentMap = 1;
    MapSlots[1].VVTOffset = 0;
    ClearMapReadCollector();
    MapReadNumber = 1;
    MapReadRemaining = 1;
    MapReadActive = true;
    MapChunksReceived = MapChunksDropped = 0;
  }
  void Handle(const AnsiString& body) { handler.HandlePacket(body); }

  TSettingsRecord units;
  RecordingHost host;
  PacketHandler handler{host, units};
};

AnsiString Fast(Data d = Data(28)) { return Body(0, 0, d.d); }
AnsiString Slow(Data d) { return Body(1, 0, d.d); }

}  // namespace

TEST_F(PacketHandlerTest, LengthGuards) {
  struct Case {
    const char* what;
    AnsiString body;
    int fastCount, dropped;
  } cases[] = {
      {"type 0 of 9 bytes", Body(0, 0, AnsiString(6, '\0')), 0, 1},
      {"type 0 too short for its fields", Body(0, 0, AnsiString(27, '\0')), 0, 1},
      {"type 0 complete", Fast(), 1, 0},
      {"body over 252 bytes", Body(0, 0, AnsiString(250, '\0')), 0, 1},
      {"single byte", Bytes({0}), 0, 1},
      {"type 7 ignored", Body(7, 0, AnsiString(28, '\0')), 0, 0},
  };
  for (const Case& c : cases) {
    SetUp();
    host = RecordingHost{};
    Handle(c.body);
    EXPECT_EQ(PacketCountsA[0], c.fastCount) << c.what;
    EXPECT_EQ(DroppedPacketCount, c.dropped) << c.what;
  }
}

TEST_F(PacketHandlerTest, FlashRepliesOfTwoBytes) {
  struct Case { int code, before, after; } cases[] = {
      {'S', 2, 3}, {'I', 4, 5}, {'V', 6, 7}, {'E', 4, 10}, {'X', 4, 4}, {'V', 2, 10}};
  for (const Case& c : cases) {
    FlashState = c.before;
    Handle(Bytes({10, c.code}));
    EXPECT_EQ(FlashState, c.after) << static_cast<char>(c.code);
  }
}

TEST_F(PacketHandlerTest, FastPacketDecodes) {
  Data d(28);
  d.Word(0, 3000)
      .Byte(2, 5).Byte(3, 200)        // fraction >= 128: next site
      .Word(4, 0x8000 + 300)          // reversed sensor
      .Word(6, 1500)                  // 150 kPa
      .Byte(8, 60)
      .Byte(9, 0xFB)                  // -5 halves to -2
      .Byte(10, 0xF6)                 // -10 half degrees
      .Byte(11, 77)
      .Byte(14, 3).Byte(15, 20)
      .Byte(17, 250)                  // 25.0 clamps to 18
      .Byte(18, (2 << 5) | 20)        // item 5: fraction 160 -> row 3, bar 96
      .Byte(19, (1 << 5) | 4)         // item 6: fraction 32 -> row 1, bar -32
      .Byte(20, 0xC0)                 // item 4: data C0 travels stuffed: row 6, bar 0
      .Byte(21, 10).Byte(27, 1)       // gauge negated
      .Word(22, 2560);
  Handle(Fast(d));
  EXPECT_EQ(LiveFast.RPM, 3000);
  EXPECT_EQ(LiveSpeedSite, 6);
  EXPECT_EQ(LiveSpeedFraction, 72);
  EXPECT_EQ(LiveLoadSite, 3);
  EXPECT_EQ(LiveLoadFraction, 148);
  EXPECT_EQ(LiveFast.ThrottleSigned, -300);
  EXPECT_EQ(LiveFast.ThrottleCounts, 300);
  EXPECT_EQ(LiveCellValue[1], -2);
  EXPECT_EQ(LiveCellBar[1], 128 - 148);
  EXPECT_EQ(LiveCellRow[5], 3);
  EXPECT_EQ(LiveCellBar[5], 96);
  EXPECT_EQ(LiveCellRow[6], 1);
  EXPECT_EQ(LiveCellBar[6], -32);
  EXPECT_EQ(LiveCellRow[4], 6);
  EXPECT_EQ(LiveCellBar[4], 0);
  // Item 3 from the throttle: 60 % is row 2, fraction round(10 x 10.583) = 106.
  EXPECT_EQ(LiveCellRow[3], 2);
  EXPECT_EQ(LiveCellBar[3], -106);
  EXPECT_EQ(LiveFast.GaugeValue, -10);
  EXPECT_EQ(LiveRoadSpeed, 2560);
  EXPECT_DOUBLE_EQ(LiveValues[1], 18);
  EXPECT_DOUBLE_EQ(LiveValues[24], -5);
  EXPECT_DOUBLE_EQ(LiveValues[32], 0.5);  // bar by default
  EXPECT_DOUBLE_EQ(LiveValues[40], 22.5);  // 2560 x 2.25 / 256 mph
  EXPECT_DOUBLE_EQ(LiveValues[42], 300);
  EXPECT_EQ(TPSLearnMax, 300);
}

// The ratio channel is byte 17 / 10 within the ratio function's range, 9 .. 18 AFR: a lean
// or missing sensor's 0 shows 9, not 0.
TEST_F(PacketHandlerTest, RatioChannelStaysWithinItsRange) {
  ASSERT_EQ(ChannelFunctionFrom[1], 9);
  ASSERT_EQ(ChannelFunctionTo[1], 18);
  const std::pair<int, double> cases[] = {{0, 9},     {1, 9},      {89, 9},   {90, 9},  {91, 9.1},
                                          {147, 14.7}, {179, 17.9}, {180, 18}, {181, 18}, {255, 18}};
  for (const auto& [byte, shown] : cases) {
    Handle(Fast(Data(28).Byte(17, byte)));
    EXPECT_DOUBLE_EQ(LiveValues[1], shown) << byte;
    EXPECT_EQ(LiveFast.AFR, byte) << "the raw ratio is kept whole";
  }
}

// The additional tables' gauge: byte 21 is the size, bit 0 of byte 27 the sign. Bytes of
// 128 and above are sizes too, never negative by themselves; the other flag bits leave the
// sign alone.
TEST_F(PacketHandlerTest, GaugeValueIsASizeWithItsSignInTheFlagByte) {
  struct Case {
    int size, flags, shown;
  };
  const Case cases[] = {{0, 0, 0},       {0, 1, 0},       {127, 0, 127},   {127, 1, -127},   {128, 0, 128},
                        {128, 1, -128},  {200, 0, 200},   {200, 1, -200},  {200, 2, 200},    {200, 3, -200},
                        {255, 0, 255},   {255, 1, -255},  {255, 0xFE, 255}, {255, 0xFF, -255}};
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.size << " flags " << c.flags);
    Handle(Fast(Data(28).Byte(21, c.size).Byte(27, c.flags)));
    EXPECT_EQ(LiveFast.GaugeValue, c.shown);
    EXPECT_EQ(LiveFast.Flags, c.flags);
  }
}

TEST_F(PacketHandlerTest, LinkStartPollsOnceAndNotDuringAnUpdate) {
  Handle(Fast());
  Handle(Fast());
  ASSERT_EQ(host.sent.size(), 2u);
  EXPECT_EQ(host.sent[0], "$c");
  EXPECT_EQ(host.sent[1], "$s");
  EXPECT_TRUE(ECUConnected);
  EXPECT_EQ(host.arms, 2);
  EXPECT_EQ(host.fast, 2);

  ECUConnected = false;
  FlashState = 2;
  Handle(Fast());
  EXPECT_EQ(host.sent.size(), 2u);
  EXPECT_TRUE(ECUConnected);
}

TEST_F(PacketHandlerTest, LoggingFollowsEveryFastPacket) {
  Handle(Fast());
  LoggingActive = true;
  Handle(Fast());
  EXPECT_EQ(host.logs, 1);
}

TEST_F(PacketHandlerTest, InjectionTimeAndDuty) {
  constexpr double k = 1.526329178e-06 * 100;
  struct Case {
    int rpm, c1, c2;
    bool doubleInjection;
    double t;
    int duty;
  } cases[] = {
      {600, 10000, 0, false, 10000 * k, 15},     // 600 x 1.526 / 60
      {600, 10000, 0, true, 10000 * k, 8},       // halved: 7.63 rounds to 8
      {600, 10000, 4000, false, 7000 * k, 11},   // mean of the two counts
      {600, 10000, 4000, true, 12000 * k, 9},    // 600 x 1.83 / 120
      {0, 10000, 0, false, 10000 * k, 0},         // a standing engine has no duty
  };
  for (const Case& c : cases) {
    LiveSlow.StatusWord = c.doubleInjection ? 1 << 8 : 0;
    Handle(Fast(Data(28).Word(0, c.rpm).Word(12, c.c1).Word(24, c.c2)));
    EXPECT_NEAR(LiveFast.InjectionTime, c.t, 1e-9) << c.rpm << " " << c.c2;
    EXPECT_EQ(LiveFast.InjectionDuty, c.duty) << c.rpm << " " << c.c2;
    EXPECT_DOUBLE_EQ(LiveValues[26], c.duty);
    EXPECT_NEAR(LiveValues[27], c.t * 10, 1e-9);
  }
}

TEST_F(PacketHandlerTest, GridMarkerFollowsTheOperatingPoint) {
  Handle(Fast(Data(28).Byte(2, 4).Byte(3, 0).Byte(14, 2).Byte(15, 0)));
  ASSERT_TRUE(host.marker.unmark && host.marker.mark);
  EXPECT_EQ(host.marker.unmark->column, 2);  // from site (0, 0)
  EXPECT_EQ(host.marker.unmark->row, 1);
  EXPECT_EQ(host.marker.mark->column, 6);
  EXPECT_EQ(host.marker.mark->row, 3);

  Handle(Fast(Data(28).Byte(2, 4).Byte(3, 0).Byte(14, 2).Byte(15, 0)));
  EXPECT_FALSE(host.marker.unmark || host.marker.mark);  // did not move

  // Speed site 31 with a high fraction is site 32: past the table, nothing to paint.
  Handle(Fast(Data(28).Byte(2, 31).Byte(3, 200).Byte(14, 2).Byte(15, 0)));
  EXPECT_EQ(LiveSpeedSite, 32);
  EXPECT_TRUE(host.marker.unmark);
  EXPECT_FALSE(host.marker.mark);
  // Back inside from outside: the old point had no cell, so nothing is painted.
  Handle(Fast(Data(28).Byte(2, 4).Byte(3, 0).Byte(14, 2).Byte(15, 0)));
  EXPECT_FALSE(host.marker.unmark || host.marker.mark);
}

TEST_F(PacketHandlerTest, SlowPacketDecodes) {
  struct Case {
    int baroWord, ignByte, statusWord;
    int mbar;
    double ignDegrees;
    int bank;
  } cases[] = {
      {0xFFFF, 132, 0x00C0, 999, 66, 3},
      {0x0010, 133, 0x0080, 1016, -61.5, 3},
      {0x8000, 0, 0x0040, 1000 - 32768, 0, 2},
      {0x0000, 255, 0x0000, 1000, -0.5, 1},
  };
  for (const Case& c : cases) {
    Handle(Slow(Data(67).Word(4, c.baroWord).Byte(33, c.ignByte).Word(56, c.statusWord)));
    EXPECT_EQ(LiveSlow.BaroMbar, c.mbar);
    EXPECT_DOUBLE_EQ(LiveValues[13], c.mbar);
    EXPECT_NEAR(LiveValues[23], c.ignDegrees + 0.001, 1e-12);
    EXPECT_EQ(ECUActiveMap, c.bank);
  }
  // Current map is 1: each packet naming bank 2 or 3 asks for the switch.
  EXPECT_EQ(host.mapChanges, (std::vector<int32_t>{3, 3, 2}));
  EXPECT_EQ(host.slow, 4);
}

TEST_F(PacketHandlerTest, SlowPacketFieldsAndValues) {
  MapSlots[1].VVTOffset = -20;
  Data d(67);
  d.Byte(0, 60).Byte(2, 0)              // 20, -40 degC
      .Word(6, 0xFF00)                   // lambda trim -256 / 163.84
      .Word(26, 1023)                    // auxiliary input 10
      .Word(30, 0xFFF6)                  // injection correction -10
      .Byte(42, 50).Byte(43, 60).Byte(47, 50).Byte(48, 0).Byte(49, 0x23)
      .Word(56, 1 << 4).Word(60, 0x4000 | 16001).Byte(66, 255);
  Handle(Slow(d));
  EXPECT_EQ(LiveSlow.AuxInput[9], 1023);
  EXPECT_EQ(LiveSlow.Duty48, 256);
  EXPECT_EQ(LiveSlow.TelltaleMaximum, 16001);
  EXPECT_TRUE(TelltaleOn);
  EXPECT_TRUE(ECUIdentity.AdvanceLocked);
  EXPECT_EQ(LiveCellValue[6], 30);  // 50 on the map's VVT offset -20
  const std::pair<int, double> values[] = {{2, 20.001}, {12, -40}, {16, 0.5}, {25, -9.999},
                                           {29, 1}, {30, -256 / 163.84}, {39, 4}, {44, 40}};
  for (auto [f, v] : values) EXPECT_NEAR(LiveValues[f], v, 1e-9) << f;

  // Without a VVT offset the target is taken from 200.
  MapSlots[1].VVTOffset = 0;
  Handle(Slow(d));
  EXPECT_EQ(LiveSlow.VVTTarget, 260);
}

TEST_F(PacketHandlerTest, SlowPacketEndsAnUpdateOnlyAfterTheCodeWasSent) {
  const std::pair<int, int> cases[] = {{0, 0}, {3, 3}, {4, 0}, {8, 0}, {9, 0}, {10, 10}};
  for (auto [before, after] : cases) {
    FlashState = before;
    Handle(Slow(Data(67)));
    EXPECT_EQ(FlashState, after) << before;
  }
}

TEST_F(PacketHandlerTest, StatusPacket) {
  Data d(50);
  d.Word(1, 4321).Word(4, 105).Word(6, 200).Word(8, 3).Word(12, 3)
      .Word(14, 0x5A21).Word(16, 0x6000).Byte(20, 0x01).Byte(21, 0xAB).Word(22, 0x5A3C)
      .Word(24, 0x0001).Word(26, 0x0002).Word(28, 0).Word(30, 7).Word(48, 9000);
  ECUConnected = true;
  Handle(Body(2, 0, d.d));
  EXPECT_EQ(ECUIdentity.SerialNumber, 4321);
  EXPECT_EQ(ECUIdentity.ProgrammedDate, 0x5A216000u);
  EXPECT_EQ(ECUIdentity.VersionText, "01AB");
  EXPECT_EQ(ECUIdentity.MapLockKey, 0x5A3C);
  EXPECT_EQ(ECUIdentity.EngineSeconds, 0x00010002u);
  EXPECT_EQ(ECUIdentity.ECUSeconds, 7u);
  EXPECT_EQ(ECUIdentity.TelltaleMaxRPM, 9000);
  EXPECT_EQ(host.identities, 1);
  EXPECT_TRUE(host.rejected.empty());
  EXPECT_TRUE(ECUConnected);
  EXPECT_FALSE(handler.CommsDisabled());
}

// Each word of the status packet from its own two bytes, high byte first: neighbouring
// bytes all differ, so a field read one byte off shows.
TEST_F(PacketHandlerTest, StatusVersionsFromTheirWords) {
  Data d(50);
  for (size_t k = 0; k < 50; ++k) d.Byte(k, static_cast<int>(0x10 + k));
  d.Word(12, 3);
  Handle(Body(2, 0, d.d));
  EXPECT_EQ(ECUIdentity.SerialNumber, 0x1112);
  EXPECT_EQ(ECUIdentity.FirmwareVersion, 0x1415);
  EXPECT_EQ(ECUIdentity.HardwareVersion, 0x1617);
  EXPECT_EQ(ECUIdentity.DevelopmentVersion, 0x1819);  // word 8
  EXPECT_EQ(ECUIdentity.Word10, 0x1A1B);
  EXPECT_EQ(ECUIdentity.Word18, 0x2223);
  EXPECT_EQ(ECUIdentity.VersionText, "2425");
  EXPECT_EQ(ECUIdentity.MapLockKey, 0x2627);
  EXPECT_EQ(ECUIdentity.TelltaleMaxRPM, 0x4041);
}

TEST_F(PacketHandlerTest, ProtocolMismatchDisablesCommunications) {
  ECUConnected = ECUImmobilised = ECUMapsLocked = true;
  Handle(Body(2, 0, Data(50).Word(12, 30).d));
  EXPECT_EQ(host.rejected,
            "The ECU connected requires the R7T control software version 3.0\r"
            "Communications have been disabled");
  EXPECT_FALSE(ECUConnected || ECUImmobilised || ECUMapsLocked);
  EXPECT_TRUE(handler.CommsDisabled());
  Handle(Fast());
  EXPECT_EQ(host.fast, 0);
  EXPECT_FALSE(ECUConnected);
}

// A configuration image of six cylinders and reference advance 300 (high byte first).
AnsiString ConfigReply() {
  config::ConfigImage image{};
  image[1] = 6;
  image[10] = 0x01, image[11] = 0x2C;
  return AnsiString(reinterpret_cast<const char*>(image.data()), image.size());
}

TEST_F(PacketHandlerTest, ConfigurationReplyIsDecodedOnceWhenComplete) {
  const AnsiString all = ConfigReply();
  ConfigBlock.Cylinders = 0;
  ConfigReadCopy.Cylinders = 0;

  Handle(Body(3, 0, all.substr(0, 150), 5));
  EXPECT_EQ(host.configs, 0);
  EXPECT_EQ(handler.ConfigReplyBuffer().size(), 150u);
  EXPECT_EQ(ConfigBlock.Cylinders, 0);
  Handle(Body(3, 0, all.substr(150), 0));
  EXPECT_EQ(host.configs, 1);
  EXPECT_EQ(ConfigReadCopy.Cylinders, 6);
  EXPECT_EQ(ConfigBlock.Cylinders, 6);
  EXPECT_EQ(static_cast<uint16_t>(ConfigBlock.ReferenceAdvance), 300);
  EXPECT_TRUE(handler.ConfigReplyBuffer().empty());

  // Another packet between the chunks breaks the reply off.
  Handle(Body(3, 0, AnsiString(100, '\x09'), 5));
  Handle(Fast());
  EXPECT_TRUE(handler.ConfigReplyBuffer().empty());
  Handle(Body(3, 0, all.substr(0, 200), 5));
  Handle(Body(3, 0, all.substr(200), 0));
  EXPECT_EQ(host.configs, 2);
  EXPECT_EQ(ConfigBlock.Cylinders, 6);
}

TEST_F(PacketHandlerTest, ConfigurationReplyKeepsUnsentChanges) {
  const AnsiString all = ConfigReply();
  ConfigBlock.Cylinders = 4;
  for (bool unsent : {true, false}) {
    ConfigBlockUnsent = unsent;
    Handle(Body(3, 0, all.substr(0, 150), 5));
    Handle(Body(3, 0, all.substr(150), 0));
    EXPECT_EQ(ConfigReadCopy.Cylinders, 6);
    EXPECT_EQ(ConfigBlock.Cylinders, unsent ? 4 : 6);  // the user's edit survives the automatic read
  }
}

TEST_F(PacketHandlerTest, EndlessConfigurationChunksAreThrownAway) {
  for (int i = 0; i < 10; ++i) Handle(Body(3, 0, AnsiString(200, '\x01'), 5));
  EXPECT_LE(handler.ConfigReplyBuffer().size(), 1024u);
  EXPECT_GT(DroppedPacketCount, 0);
  EXPECT_EQ(host.configs, 0);
}

TEST_F(PacketHandlerTest, Replies) {
  Handle(Body(4, 5, "Locked by the workshop"));
  EXPECT_EQ(host.lockText, "Locked by the workshop");

  const AnsiString counts = Data(8).Word(0, 1023).Word(2, 512).Word(4, 0).d;
  Handle(Body(4, 6, counts));
  EXPECT_TRUE(host.sensorText.empty());  // calculator not shown

  struct Case {
    int input;
    bool resistance;
    const char* text;
  } cases[] = {
      {0, false, "5.00"},
      {1, false, "2.50"},
      {1, true, "1002"},       // 5000 / 2.4976 - 1000
      {0, true, "00000000"},   // no voltage across the pull-up
      {2, true, "   0"},
  };
  for (const Case& c : cases) {
    host.sensorView = SensorView{c.input, c.resistance};
    Handle(Body(4, 6, counts));
    EXPECT_EQ(host.sensorText, c.text) << c.input;
  }
  // A reply of odd length: its last byte is half a word, which is never read; the
  // word before it still is.
  const AnsiString odd = Data(7).Word(0, 100).Word(2, 200).Word(4, 1023).Byte(6, 0x03).d;
  host.sensorView = SensorView{3, false};
  host.sensorText.clear();
  const int dropped = DroppedPacketCount;
  Handle(Body(4, 6, odd, 0xFF));
  EXPECT_TRUE(host.sensorText.empty());
  EXPECT_EQ(DroppedPacketCount, dropped + 1);
  host.sensorView = SensorView{2, false};
  Handle(Body(4, 6, odd, 0xFF));
  EXPECT_EQ(host.sensorText, "5.00");
  // An input past the reply is not read.
  host.sensorText.clear();
  host.sensorView = SensorView{4, false};
  Handle(Body(4, 6, counts));
  EXPECT_TRUE(host.sensorText.empty());
}

namespace {
// Bank image n split into chunks of `size` bytes (the last one shorter), each with the
// bank number as its sub-code, as the ECU sends them.
std::vector<AnsiString> Chunks(int bank, size_t size) {
  AnsiString image(kMapImageSize, '\0');
  for (size_t i = 0; i < image.size(); ++i) image[i] = static_cast<char>((i * 7 + bank) & 0xFF);
  std::vector<AnsiString> out;
  for (size_t at = 0; at < image.size(); at += size) out.push_back(Body(8, bank, image.substr(at, size)));
  return out;
}
}  // namespace

TEST_F(PacketHandlerTest, ReadingAllMaps) {
  MapReadNumber = 1;
  MapReadRemaining = 3;
  for (int bank = 1; bank <= 3; ++bank)
    for (const AnsiString& chunk : Chunks(bank, 240)) Handle(chunk);
  ASSERT_EQ(host.imports.size(), 3u);
  for (int bank = 1; bank <= 3; ++bank) {
    EXPECT_EQ(host.imports[bank - 1].first, bank);
    EXPECT_EQ(host.imports[bank - 1].second[0], bank);
    EXPECT_EQ(host.imports[bank - 1].second[6143], (6143 * 7 + bank) & 0xFF);
  }
  EXPECT_EQ(host.nextBanks, (std::vector<int>{2, 3}));
  ASSERT_EQ(host.sent.size(), 2u);
  EXPECT_EQ(host.sent[0], Bytes({'$', 'D', 2, 150}));
  EXPECT_EQ(host.sent[1], Bytes({'$', 'D', 3, 149}));
  EXPECT_EQ(host.completes, 1);
  EXPECT_EQ(MapReadRemaining, 0);
  EXPECT_EQ(host.arms, 3 * 26);
  EXPECT_EQ(host.progress, 3 * 6144);
}

TEST_F(PacketHandlerTest, MapChunksThatDoNotFit) {
  // Chunks that do not add up to one bank: the read fails at the chunk that overflows, and
  // nothing of the bank is imported.
  struct Case {
    const char* what;
    int chunks;
    size_t size;
    int32_t dropped;
  } cases[] = {
      {"a 31st chunk has no slot", 31, 100, 1},
      {"bytes past the bank's size", 26, 240, 1},
  };
  for (const Case& c : cases) {
    SetUp();
    host = RecordingHost{};
    for (int i = 0; i < c.chunks; ++i) Handle(Body(8, 1, AnsiString(c.size, '\x11')));
    EXPECT_TRUE(host.imports.empty()) << c.what;
    EXPECT_EQ(host.failed, std::vector<int>{1}) << c.what;
    EXPECT_EQ(host.completes, 0) << c.what;
    EXPECT_FALSE(MapReadActive) << c.what;
    EXPECT_EQ(MapReadByteCount, 0) << c.what;
    EXPECT_EQ(MapChunksDropped, c.dropped) << c.what;
  }

  // A bank arriving while the transfer window is closed is not imported.
  SetUp();
  host = RecordingHost{};
  host.transferShown = false;
  for (const AnsiString& chunk : Chunks(1, 240)) Handle(chunk);
  EXPECT_TRUE(host.imports.empty());
  EXPECT_EQ(host.completes, 0);
  EXPECT_EQ(MapReadRemaining, 1);
  EXPECT_EQ(MapChunksDropped, 26);
}

// The ECU finishes a bank whose read was cancelled. Its rest, and chunks of a bank not asked
// for, never reach the read that follows: that read imports exactly its own bank.
TEST_F(PacketHandlerTest, ChunksOfAnotherReadAreDropped) {
  struct Case {
    const char* what;
    int staleBank;     // bank of the stale chunks
    int staleChunks;   // how many arrive before the bank asked for
    bool readWaiting;  // whether the new read has asked yet (stale chunks come before or after)
  } cases[] = {
      {"the cancelled bank's rest after the window closed", 1, 14, false},
      {"another bank's chunks while bank 2 is read", 3, 5, true},
      {"bank 1's rest while bank 2 is read", 1, 20, true},
  };
  for (const Case& c : cases) {
    SetUp();
    host = RecordingHost{};
    MapReadNumber = 2;
    MapReadActive = c.readWaiting;
    const std::vector<AnsiString> stale = Chunks(c.staleBank, 240);
    for (int i = 0; i < c.staleChunks; ++i) Handle(stale[static_cast<size_t>(i)]);
    MapReadActive = true;
    for (const AnsiString& chunk : Chunks(2, 240)) Handle(chunk);
    ASSERT_EQ(host.imports.size(), 1u) << c.what;
    EXPECT_EQ(host.imports[0].first, 2) << c.what;
    EXPECT_EQ(host.imports[0].second[0], 2) << c.what;
    EXPECT_EQ(host.imports[0].second[6143], (6143 * 7 + 2) & 0xFF) << c.what;
    EXPECT_EQ(MapChunksDropped, c.staleChunks) << c.what;
    EXPECT_EQ(MapChunksReceived, c.staleChunks + 26) << c.what;
    EXPECT_EQ(host.completes, 1) << c.what;
    EXPECT_TRUE(host.failed.empty()) << c.what;
    // The link stays alive on every chunk, asked for or not.
    EXPECT_EQ(host.arms, c.staleChunks + 26) << c.what;
  }
}

TEST_F(PacketHandlerTest, PacketCounters) {
  for (int i = 0; i < 2; ++i) Handle(Fast());
  Handle(Slow(Data(67)));
  Handle(Body(2, 0, Data(50).Word(12, 3).d));
  Handle(Body(3, 0, AnsiString(20, '\0'), 5));
  Handle(Body(3, 0, AnsiString(20, '\0'), 0));
  EXPECT_EQ(PacketCountsA, (std::array<int32_t, 4>{2, 1, 1, 2}));
  EXPECT_EQ(PacketCountsB, PacketCountsA);
}

// Every field of the live packets from its own byte: each data byte holds a different
// value, so a field read one byte off shows.
TEST_F(PacketHandlerTest, FastPacketEveryFieldFromItsByte) {
  auto b = [](int k) { return 7 * k + 3; };  // 3, 10, ... 192; below 128 at the fraction bytes
  auto w = [&](int k) { return b(k) << 8 | b(k + 1); };
  Data d(28);
  for (int k = 0; k < 28; ++k) d.Byte(k, b(k));
  units.PressureUnit = 0;  // kPa: the pressure channel is the word / 10 as it is
  Handle(Fast(d));
  const std::pair<const char*, std::pair<double, double>> fields[] = {
      {"rpm", {LiveFast.RPM, w(0)}},
      {"speed site", {LiveSpeedSite, b(2)}},
      {"speed fraction", {LiveSpeedFraction, b(3) + 128}},
      {"throttle counts", {LiveFast.ThrottleSigned, w(4)}},
      {"manifold pressure", {LiveFast.ManifoldPressure, w(6)}},
      {"throttle %", {LiveFast.ThrottlePercent, b(8)}},
      {"ignition map value", {LiveFast.IgnitionMapValue, b(9) / 2}},
      {"advance", {LiveFast.Advance, b(10)}},
      {"injection map value", {LiveFast.InjectionMapValue, b(11)}},
      {"live cell 2", {LiveCellValue[2], b(11)}},
      {"pulse count 1", {LiveFast.PulseCount1, w(12)}},
      {"load site", {LiveLoadSite, b(14)}},
      {"load fraction", {LiveLoadFraction, b(15) + 128}},
      {"second ratio", {LiveFast.AFR2, b(16)}},
      {"ratio", {LiveFast.AFR, b(17)}},
      {"item 5 row", {LiveCellRow[5], b(18) >> 5}},
      {"item 5 bar", {LiveCellBar[5], -(b(18) & 31) * 8}},
      {"item 6 row", {LiveCellRow[6], b(19) >> 5}},
      {"item 6 bar", {LiveCellBar[6], -(b(19) & 31) * 8}},
      {"item 4 row", {LiveCellRow[4], b(20) >> 5}},
      {"item 4 bar", {LiveCellBar[4], -(b(20) & 31) * 8}},
      {"gauge value", {LiveFast.GaugeValue, b(21)}},  // its size; bit 0 of byte 27 (192) clear
      {"road speed", {LiveRoadSpeed, w(22)}},
      {"pulse count 2", {LiveFast.PulseCount2, w(24)}},
      {"flags", {LiveFast.Flags, b(27)}},
      {"channel 20 rpm", {LiveValues[20], w(0)}},
      {"channel 24 advance", {LiveValues[24], b(10) / 2.0}},
      {"channel 31 load site", {LiveValues[31], b(14)}},
      {"channel 32 pressure", {LiveValues[32], w(6) / 10}},
      {"channel 33 speed site", {LiveValues[33], b(2)}},
      {"channel 40 road speed", {LiveValues[40], w(22) * 2.25 / 256}},
      {"channel 41 throttle", {LiveValues[41], b(8)}},
      {"channel 42 throttle counts", {LiveValues[42], w(4)}},
  };
  for (const auto& [name, v] : fields) EXPECT_NEAR(v.first, v.second, 1e-9) << name;
}

TEST_F(PacketHandlerTest, SlowPacketEveryFieldFromItsByte) {
  auto b = [](int k) { return 3 * k + 1; };  // 1, 4, ... 199
  auto w = [&](int k) { return b(k) << 8 | b(k + 1); };
  auto sw = [&](int k) { return w(k) > 32767 ? w(k) - 65536 : w(k); };
  MapSlots[1].VVTOffset = -20;
  Data d(67);
  for (int k = 0; k < 67; ++k) d.Byte(k, b(k));
  Handle(Slow(d));
  const std::pair<const char*, std::pair<double, double>> fields[] = {
      {"air", {LiveSlow.AirTemp, b(0) - 40}},
      {"coolant", {LiveSlow.CoolantTemp, b(1) - 40}},
      {"auxiliary temperature", {LiveSlow.AuxTemp, b(2) - 40}},
      {"battery", {LiveSlow.Battery, b(3)}},
      {"baro", {LiveSlow.BaroMbar, sw(4) + 1000}},
      {"lambda trim", {LiveSlow.LambdaTrim, sw(6)}},
      {"input 1", {LiveSlow.AuxInput[0], w(8)}},
      {"input 4", {LiveSlow.AuxInput[3], w(14)}},
      {"input 5", {LiveSlow.AuxInput[4], w(16)}},
      {"input 10", {LiveSlow.AuxInput[9], w(26)}},
      {"EGT", {LiveEGT, w(28)}},
      {"injection correction", {LiveSlow.InjectionCorrection, sw(30)}},
      {"ignition correction", {LiveSlow.IgnitionCorrection, b(33)}},
      {"word 34", {LiveSlow.Word34, w(34)}},
      {"cam position", {LiveSlow.CamPosition, w(36)}},
      {"live cell 4", {LiveCellValue[4], b(38)}},
      {"injection timing", {LiveSlow.InjectionTiming, b(39)}},
      {"live cell 5", {LiveCellValue[5], b(40)}},
      {"auxiliary PWM", {LiveSlow.AuxPWM, b(41)}},
      {"live cell 6", {LiveCellValue[6], b(42) - 20}},
      {"VVT target", {LiveSlow.VVTTarget, b(43) - 20}},
      {"VVT control", {LiveSlow.VVTControl, b(44)}},
      {"live cell 3", {LiveCellValue[3], b(45)}},
      {"boost PWM", {LiveSlow.BoostPWM, b(46)}},
      {"boost target", {LiveSlow.BoostTarget, b(47)}},
      {"duty 48", {LiveSlow.Duty48, b(48)}},
      {"gear and wheel", {LiveSlow.GearWheel, b(49)}},
      {"outputs", {LiveSlow.Outputs, b(50)}},
      {"coil on-time", {LiveSlow.CoilOnTime, b(51)}},
      {"wheel speed", {LiveSlow.WheelSpeed, w(52)}},
      {"status", {LiveSlow.StatusWord, w(56)}},
      {"fault", {LiveSlow.FaultWord, w(58)}},
      {"telltale", {LiveSlow.TelltaleWord, w(60)}},
      {"lock bits", {LiveSlow.LockBits, b(62)}},
      {"MSPB", {ECUMSPB, b(63)}},
      {"idle position", {LiveSlow.IdlePosition, b(64)}},
      {"cranking site", {LiveSlow.CrankingSite, b(65)}},
      {"lambda sensor", {LiveSlow.LambdaSensor, b(66)}},
      {"channel 3 input 1", {LiveValues[3], w(8)}},
      {"channel 6 input 4", {LiveValues[6], w(14)}},
      {"channel 11 auxiliary PWM", {LiveValues[11], b(41) * 100.0 / 255}},
      {"channel 14 battery", {LiveValues[14], b(3) / 11.0}},
      {"channel 15 boost PWM", {LiveValues[15], b(46) * 100.0 / 255}},
      {"channel 17 cam", {LiveValues[17], w(36) / 2.0}},
      {"channel 18 coil on-time", {LiveValues[18], b(51) * 0.0488}},
      {"channel 21 EGT", {LiveValues[21], w(28)}},
      {"channel 22 idle position", {LiveValues[22], b(64)}},
      {"channel 28 injection timing", {LiveValues[28], b(39) * 4}},
      {"channel 39 gear", {LiveValues[39], (b(49) & 15) + 1}},
      {"channel 43 VVT control", {LiveValues[43], b(44)}},
      {"channel 44 VVT target", {LiveValues[44], b(43) - 20}},
  };
  for (const auto& [name, v] : fields) EXPECT_NEAR(v.first, v.second, 1e-9) << name;
}

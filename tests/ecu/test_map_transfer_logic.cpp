// The map transfer and map lock windows without a line: their checks, texts, frames and
// state, and the bank image as the packet handler collects it from chunks.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <vector>

#include "controls/AdvMaskEdit.h"
#include "app/Main.h"
#include "app/Windows.h"
#include "model/MapRecord.h"
#include "model/Frames.h"
#include "link/LiveData.h"
#include "model/MapImage.h"
#include "ecu/MapLock.h"
#include "link/PacketHandler.h"
#include "ecu/Progress.h"
#include "model/Settings.h"
#include "platform/stdctrls/Beep.h"
#include "platform/stdctrls/Buttons.h"
#include "platform/stdctrls/ComCtrls.h"
#include "platform/stdctrls/Edits.h"
#include "platform/stdctrls/StdCtrls.h"
#include "platform/ui/Application.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/UiStreaming.h"

namespace {

using namespace ecu;

class Recorder : public PacketHost {
 public:
  void Send(const AnsiString& bytes) override { sent.push_back(bytes); }
  void ArmLinkWatchdog() override {}
  bool MapTransferShown() override { return true; }
  void ImportMap(int bank, const MapImage& image) override { imports.emplace_back(bank, image); }
  std::vector<AnsiString> sent;
  std::vector<std::pair<int, MapImage>> imports;
};

// Keeps the globals the windows change, and gives them back.
class TransferWindows : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    Application->Initialize();
    RegisterProgramWindows();
  }
  void SetUp() override {
    saved_ = std::make_unique<TMapSlots>(MapSlots);
    savedCurrent_ = CurrentMap;
    savedKey_ = ECUIdentity.MapLockKey;
    ECUConnected = true;
    ECUMapsLocked = false;
    for (int n = 1; n <= 3; ++n) MapSlots[n].Source = 1;
    CurrentMap = 2;
  }
  void TearDown() override {
    delete progress;
    delete lock;
    MapSlots = *saved_;
    CurrentMap = savedCurrent_;
    ECUIdentity.MapLockKey = savedKey_;
    ECUConnected = ECUMapsLocked = false;
    MapReadNumber = MapReadRemaining = 0;
    ClearMapReadCollector();
    Application->ProcessMessages();
  }
  TCommsProgress* Progress() { return progress = ui::CreateForm<TCommsProgress>(nullptr); }
  TMapLockForm* Lock() { return lock = ui::CreateForm<TMapLockForm>(nullptr); }

  ui::DialogScript script;
  TCommsProgress* progress = nullptr;
  TMapLockForm* lock = nullptr;
  Recorder host;

 private:
  std::unique_ptr<TMapSlots> saved_;
  int32_t savedCurrent_ = 1;
  uint16_t savedKey_ = 0;
};

TEST(MapLockPin, FourDigitsMakeTwoNumbers) {
  struct Case {
    const char* text;
    std::optional<std::array<uint8_t, 2>> bytes;
  } cases[] = {
      {"1234", std::array<uint8_t, 2>{12, 34}}, {"0099", std::array<uint8_t, 2>{0, 99}},
      {"9999", std::array<uint8_t, 2>{99, 99}}, {"12 4", std::nullopt},
      {"123", std::nullopt},                    {"", std::nullopt},
      {"12345", std::nullopt},                  {"12#4", std::nullopt},
  };
  for (const Case& c : cases) EXPECT_EQ(PinBytes(c.text), c.bytes) << c.text;
}

TEST(MapTransferTimeStamp, PacksDateAndTimeWords) {
  std::tm t{};
  t.tm_year = 2026 - 1900, t.tm_mon = 11, t.tm_mday = 6;
  t.tm_hour = 23, t.tm_min = 18, t.tm_sec = 5;
  EXPECT_EQ(PackedDateTime(t), std::make_pair(uint16_t{0x5D86}, uint16_t{0xBA42}));
}

TEST(MapTransferSections, CoverTheImageInBoundedStretches) {
  auto map = std::make_unique<TMapRecord>();
  map->Clear();
  map->MapName.Set("C:\\maps\\race.map");
  map->Comments.Set("A comment");
  const MapImage image = EncodeMapImage(*map);
  for (size_t nameLength : {size_t{0}, MapImageName(*map).size(), size_t{32}}) {
    const std::vector<size_t> ends = ProgramSectionEnds(image, nameLength);
    ASSERT_FALSE(ends.empty());
    EXPECT_EQ(ends.back(), kMapImageSize);
    EXPECT_LE(ends.size(), 59u);
    size_t at = 0;
    for (size_t end : ends) {
      EXPECT_GT(end, at);
      EXPECT_LE(end - at, 1280u);
      at = end;
    }
    if (nameLength > 0 && nameLength < 32) {
      EXPECT_EQ(ends.size(), 59u);
    }
  }
}

TEST(MapImageRanges, IgnitionCorrectionsKeepTheEditorsRangeAndIdleUpStaysInTens) {
  auto map = std::make_unique<TMapRecord>();
  map->Clear();
  map->MAPCompValue3[3] = -50;
  map->BaroCompValue3[4] = -50;
  map->MAPCompValue3[5] = -41;
  map->IdleUpSpeed = 150;  // 1,500 rpm
  const MapImage image = EncodeMapImage(*map);
  EXPECT_EQ(image[3640], 150);
  auto back = std::make_unique<TMapRecord>();
  back->Clear();
  DecodeMapImage(image, *back);
  EXPECT_EQ(back->MAPCompValue3[3], -50);
  EXPECT_EQ(back->BaroCompValue3[4], -50);
  EXPECT_EQ(back->MAPCompValue3[5], -41);
  EXPECT_EQ(back->IdleUpSpeed, 150);
}

// A map data packet body of `data`, C0 and DB stuffed as on the line.
AnsiString ChunkBody(const uint8_t* data, size_t size) {
  AnsiString body("\x08\x01", 2);
  for (size_t i = 0; i < size; ++i) {
    if (data[i] == 0xC0) body += AnsiString("\xDB\xDC", 2);
    else if (data[i] == 0xDB) body += AnsiString("\xDB\xDD", 2);
    else body.push_back(static_cast<char>(data[i]));
  }
  body.push_back('\0');
  return body;
}

// Chunks cut inside 2-byte fields (the idle pot word at 3648, the cut-off pot at 3654)
// join into the same image as the whole bank.
TEST(MapImageChunks, BoundariesInsideWordsJoinIntoTheSameImage) {
  MapImage image{};
  for (size_t i = 0; i < image.size(); ++i) image[i] = static_cast<uint8_t>(i * 7 + i / 256);
  for (size_t split : {size_t{3649}, size_t{3655}}) {
    TSettingsRecord units{};
    Recorder host;
    PacketHandler handler(host, units);
    MapReadNumber = 1;
    MapReadRemaining = 1;
    ClearMapReadCollector();
    MapReadActive = true;  // the window has asked for bank 1
    std::vector<size_t> ends;
    // Chunks of 240 bytes, as long as a line packet allows.
    for (size_t at = 240; at < split; at += 240) ends.push_back(at);
    ends.push_back(split);
    for (size_t at = split + 240; at < kMapImageSize; at += 240) ends.push_back(at);
    ends.push_back(kMapImageSize);
    size_t at = 0;
    for (size_t end : ends) {
      handler.HandlePacket(ChunkBody(image.data() + at, end - at));
      at = end;
    }
    ASSERT_EQ(host.imports.size(), 1u) << split;
    EXPECT_EQ(host.imports[0].second, image) << split;
  }
  MapReadNumber = MapReadRemaining = 0;
  ClearMapReadCollector();
}

TEST_F(TransferWindows, ReadIsRefusedWithoutLinkOrWhileLocked) {
  Progress();
  ECUConnected = false;
  script.Answer(mrOk);
  EXPECT_FALSE(progress->PrepareRead());
  EXPECT_EQ(script.Last().Text, kEcuNotConnected);
  ECUConnected = true;
  ECUMapsLocked = true;
  script.Answer(mrOk);
  EXPECT_FALSE(progress->PrepareRead());
  EXPECT_EQ(script.Last().Text, kReadLocked);
  EXPECT_EQ(script.Count(ui::DialogKind::ModalForm), 0);
}

TEST_F(TransferWindows, ReadCountsThroughTheChosenMaps) {
  Progress();
  progress->Attach(host, nullptr);
  ASSERT_TRUE(progress->PrepareRead());
  EXPECT_EQ(progress->Caption(), "Read map from ECU");
  EXPECT_EQ(progress->Tag, 2);
  progress->okClick(nullptr);
  EXPECT_EQ(progress->Label1->Caption(), "Progress, map 2 of 1");
  ASSERT_EQ(host.sent.size(), 1u);
  EXPECT_EQ(host.sent[0], ReadMapFrame(2));

  host.sent.clear();
  ASSERT_TRUE(progress->PrepareRead());
  progress->ComboBox1->SetItemIndex(1);
  progress->ComboBox1Change(nullptr);
  EXPECT_EQ(progress->Caption(), "Read all maps from ECU");
  progress->Show();
  progress->okClick(nullptr);
  EXPECT_EQ(progress->Label1->Caption(), "Progress, map 1 of 3");
  ASSERT_EQ(host.sent.size(), 1u);
  EXPECT_EQ(host.sent[0], ReadMapFrame(1));
  EXPECT_FALSE(progress->ok->Enabled());
  EXPECT_TRUE(progress->map_gauge->Visible());
  MapReadNumber = 2;  // the packet handler moves on, then tells the window
  progress->ReadNext(2);
  EXPECT_EQ(progress->Label1->Caption(), "Progress, map 2 of 3");
  EXPECT_EQ(progress->Tag, 2);
  progress->ReadComplete();
  EXPECT_EQ(progress->Caption(), kReadComplete);
  EXPECT_TRUE(progress->ok->Enabled());
  EXPECT_FALSE(progress->cancel->Enabled());
  progress->okClick(nullptr);  // a second OK closes
  EXPECT_FALSE(progress->Visible());
  EXPECT_EQ(host.sent.size(), 1u);
}

TEST_F(TransferWindows, ProgramChecksTheSlotsAndTheLock) {
  Progress();
  progress->Attach(host, nullptr);
  MapSlots[2].Source = 0;
  script.Answer(mrOk);
  EXPECT_FALSE(progress->PrepareProgram());
  EXPECT_EQ(script.Last().Text, kCurrentMapEmpty);

  // Locked maps: a warning, then only "All Maps".
  MapSlots[2].Source = 2;
  ECUMapsLocked = true;
  script.Answer(mrOk);
  ASSERT_TRUE(progress->PrepareProgram());
  EXPECT_EQ(script.Last().Text, kProgramLocked);
  EXPECT_EQ(progress->ComboBox1->ItemIndex(), 1);
  EXPECT_FALSE(progress->ComboBox1->Enabled());
  EXPECT_EQ(progress->Caption(), "Program all maps to ECU");
  EXPECT_EQ(MapReadRemaining, 3);
  EXPECT_EQ(progress->map_gauge->Max(), 60);

  // An empty slot among all maps asks first; No leaves the window as it was.
  MapSlots[3].Source = 0;
  script.Answer(mrNo);
  progress->okClick(nullptr);
  EXPECT_EQ(script.Last().Text, kMapsEmpty);
  EXPECT_TRUE(host.sent.empty());
  EXPECT_GT(progress->Tag, 0);
  EXPECT_TRUE(progress->ok->Enabled());
}

TEST_F(TransferWindows, ProgrammingWithoutALineReportsFailureNotCompletion) {
  Progress();
  progress->Attach(host, nullptr);
  ASSERT_TRUE(progress->PrepareProgram());
  script.Answer(mrOk);
  progress->okClick(nullptr);
  EXPECT_EQ(progress->Caption(), kProgramFailed);
  EXPECT_EQ(script.Last().Text.substr(0, std::string(kProgramLineLost).size()), kProgramLineLost);
  EXPECT_EQ(progress->Tag, 0);
  EXPECT_TRUE(progress->ok->Enabled());
}

TEST_F(TransferWindows, LockStatusFollowsTheSlowPacketBits) {
  Lock();
  struct Step {
    uint8_t bits;
    const char* status;
    bool locked;
    const char* button;
  } steps[] = {
      {0x00, "Map UnLocked", false, "Lock"},
      {0x08, "Map Locked", true, "UnLock"},
      {0x08, "Map Locked", true, "UnLock"},
      {0x0C, "Wrong code, reset ECU", true, "UnLock"},
      {0x04, "Wrong code, reset ECU", true, "UnLock"},  // bit 3 does not matter now
      {0x00, "Map UnLocked", false, "Lock"},
  };
  for (const Step& s : steps) {
    lock->UpdateMapLock(s.bits);
    EXPECT_EQ(lock->maplockstatus->Caption(), s.status) << int{s.bits};
    EXPECT_EQ(ECUMapsLocked, s.locked) << int{s.bits};
    EXPECT_EQ(lock->lockbutton->Caption(), s.button) << int{s.bits};
  }
  lock->ResetStatus();
  EXPECT_EQ(lock->maplockstatus->Caption(), "Unknown");
}

TEST_F(TransferWindows, LockButtonSendsTheSecuredFrameOfAFullPin) {
  Lock();
  lock->Attach(host);
  ECUIdentity.MapLockKey = 0;  // no scrambling, so the frame is readable
  ui::BeepCounter beeps;
  lock->pincode->SetText("12 4");
  lock->lockbuttonClick(nullptr);
  EXPECT_EQ(beeps.Count(), 1);
  EXPECT_TRUE(host.sent.empty());

  lock->pincode->SetText("0099");
  lock->LockMessage->SetText("Hello");
  lock->lockbuttonClick(nullptr);
  ASSERT_EQ(host.sent.size(), 1u);
  EXPECT_EQ(host.sent[0], MapLockFrame(0, 99, "Hello", 0));

  ECUMapsLocked = true;
  lock->lockbuttonClick(nullptr);
  ASSERT_EQ(host.sent.size(), 2u);
  EXPECT_EQ(host.sent[1], MapUnlockFrame(0, 99, 0));

  ECUConnected = false;
  lock->lockbuttonClick(nullptr);
  EXPECT_EQ(host.sent.size(), 2u);
}

}  // namespace

#include <gtest/gtest.h>

#include <numeric>
#include <vector>

#include "model/Frames.h"
#include "platform/rtl/SysUtils.h"

using namespace ecu;

namespace {

std::vector<int> BytesOf(const AnsiString& s) {
  std::vector<int> v;
  for (char c : s) v.push_back(static_cast<uint8_t>(c));
  return v;
}

unsigned SumMod256(const AnsiString& s) {
  unsigned sum = 0;
  for (char c : s) sum += static_cast<uint8_t>(c);
  return sum % 256;
}

struct FrameCase {
  const char* name;
  AnsiString frame;
  std::vector<int> expected;
};

}  // namespace

TEST(Frames, FixedFramesMatchTheCommandTable) {
  const FrameCase cases[] = {
      {"$c", ConfigRequestFrame(), {0x24, 'c'}},
      {"$s", StatusRequestFrame(), {0x24, 's'}},
      {"$A 00", AlignmentFrame(AlignmentCommand::ReleaseLock), {0x24, 'A', 0x00, 0x9B}},
      {"$A 01", AlignmentFrame(AlignmentCommand::SetLock), {0x24, 'A', 0x01, 0x9A}},
      {"$A 02", AlignmentFrame(AlignmentCommand::LockAtUp), {0x24, 'A', 0x02, 0x99}},
      {"$A 03", AlignmentFrame(AlignmentCommand::LockAtDown), {0x24, 'A', 0x03, 0x98}},
      {"$A 04", AlignmentFrame(AlignmentCommand::ReferenceUp), {0x24, 'A', 0x04, 0x97}},
      {"$A 05", AlignmentFrame(AlignmentCommand::ReferenceDown), {0x24, 'A', 0x05, 0x96}},
      {"$A FF", AlignmentFrame(AlignmentCommand::FactoryDefaults), {0x24, 'A', 0xFF, 0x9C}},
      {"$A 0F", AlignmentFrame(AlignmentCommand::ThrottleInverted), {0x24, 'A', 0x0F, 0x8C}},
      {"$B 05", ReplyRequestFrame(ReplyRequest::LockMessage), {0x24, 'B', 0x05, 0x95}},
      {"$B 06", ReplyRequestFrame(ReplyRequest::SensorCounts), {0x24, 'B', 0x06, 0x94}},
      {"$X 01", ImmobiliserFrame(ImmobiliserCommand::Activate), {0x24, 'X', 0x01, 0x83}},
      {"$X 02", ImmobiliserFrame(ImmobiliserCommand::Deactivate), {0x24, 'X', 0x02, 0x82}},
      {"$X 03", ImmobiliserFrame(ImmobiliserCommand::Relearn), {0x24, 'X', 0x03, 0x81}},
      {"$F 08", TelltaleFrame(TelltaleCommand::ClearMinMax), {0x24, 'F', 0x08, 0x8E}},
      {"$F 07", TelltaleFrame(TelltaleCommand::Unlock), {0x24, 'F', 0x07, 0x8F}},
      {"$F 06", TelltaleFrame(TelltaleCommand::Lock), {0x24, 'F', 0x06, 0x90}},
      {"$F 03", TelltaleFrame(TelltaleCommand::Clear), {0x24, 'F', 0x03, 0x93}},
      {"$F 02", TelltaleFrame(TelltaleCommand::CaptureOff), {0x24, 'F', 0x02, 0x94}},
      {"$F 01", TelltaleFrame(TelltaleCommand::CaptureOn), {0x24, 'F', 0x01, 0x95}},
      {"$E 00", LiveTrimModeFrame(0x00), {0x24, 'E', 0x00, 0x97}},
      {"$E 05", LiveTrimModeFrame(0x05), {0x24, 'E', 0x05, 0x92}},
      {"$D 1", ReadMapFrame(1), {0x24, 'D', 1, 151}},
      {"$* 1", ProgramMapFrame(1), {0x24, '*', 1, 177}},
      {"$i one byte", MemoryWriteFrame(0x0AB3, "\x12"), {0x24, 0x69, 0x0A, 0xB3, 0x07, 0x12, 0x9D}},
      {"live cell", MemoryWriteFrame(0x1DC3, "\x90"), {0x24, 0x69, 0x1D, 0xC3, 0x07, 0x90, 0xFC}},
      {"pot word", MemoryWriteWordFrame(0x1240, 0x0102), {0x24, 0x69, 0x12, 0x40, 0x08, 0x01, 0x02, 0x16}},
      // (256 - (397 + 12 + 34)) mod 256
      {"keycode", TelltaleKeycodeFrame(12, 34), {0x24, 0x69, 0x00, 0xF8, 0x08, 12, 34, 0x45}},
      {"model", ModelChangeFrame(5), {0x24, 0x69, 0x00, 0x00, 0x07, 0x05, 0x67}},
      {"$R 32256", FlashStartFrame(32256), {0x24, 'R', 0x00, 0x00, 0x7E, 0x00, 0x0C}},
      // 1,001 data bytes are announced as 1,000.
      {"$R 1001", FlashStartFrame(1001), {0x24, 'R', 0x00, 0x00, 0x03, 0xE8, 0x61}},
      {"$P", ThrottleRangeFrame(900, 120), {0x24, 0x50, 0x03, 0x84, 0x00, 0x78, 0x00, 0x4E}},
  };
  for (const FrameCase& c : cases) EXPECT_EQ(BytesOf(c.frame), c.expected) << c.name;
}

TEST(Frames, ChecksummedFramesSumToZero) {
  const AnsiString frames[] = {
      AlignmentFrame(AlignmentCommand::FactoryDefaults),  // 0x200 in all
      ReadMapFrame(2), ProgramMapFrame(3), MemoryWriteFrame(0xFFFF, AnsiString(249, '\xFF')),
      CommandFrame('Q', "\x01\x02\x03"),
  };
  for (const AnsiString& f : frames) EXPECT_EQ(SumMod256(f), 0u) << BytesOf(f).size();
}

TEST(Frames, MemoryWriteCarriesItsTotalLength) {
  const AnsiString data(140, '\x5A');
  const AnsiString f = MemoryWriteFrame(0x0100, data);
  EXPECT_EQ(f.size(), 146u);
  EXPECT_EQ(static_cast<uint8_t>(f[4]), 0x92);
  EXPECT_EQ(f.substr(5, 140), data);
  EXPECT_EQ(MemoryWriteFrame(0, AnsiString(249, 'x')).size(), 255u);
  EXPECT_THROW(MemoryWriteFrame(0, AnsiString(250, 'x')), ERangeError);
}

TEST(Frames, BadArgumentsAreRefused) {
  EXPECT_THROW(ReadMapFrame(0), ERangeError);
  EXPECT_THROW(ReadMapFrame(4), ERangeError);
  EXPECT_THROW(ProgramMapFrame(-1), ERangeError);
  EXPECT_THROW(ThrottleRangeFrame(100, 101), ERangeError);
}

TEST(Frames, ThrottleRangeRoundsHalvesToEven) {
  auto tenth = [](uint16_t max, uint16_t min) {
    const AnsiString f = ThrottleRangeFrame(max, min);
    return static_cast<uint8_t>(f[6]) * 256 + static_cast<uint8_t>(f[7]);
  };
  const int rows[][3] = {{785, 0, 78}, {795, 0, 80}, {796, 0, 80}, {794, 0, 79}, {60, 60, 0}};
  for (auto& r : rows) EXPECT_EQ(tenth(r[0], r[1]), r[2]) << r[0];
}

TEST(Frames, MapLockFramesWithoutKeyAreReadable) {
  const AnsiString lock = MapLockFrame(0, 99, "Hello", 0);
  ASSERT_EQ(lock.size(), 41u);
  EXPECT_EQ(BytesOf(lock.substr(0, 8)), (std::vector<int>{0x24, 'S', 0x0A, 0x29, 0x00, 0xD2, 0, 99}));
  EXPECT_EQ(lock.substr(8, 32), "Hello" + AnsiString(27, ' '));
  EXPECT_EQ(SumMod256(lock), 0u);
  EXPECT_EQ(MapLockFrame(1, 2, AnsiString(40, 'm'), 0).substr(8, 32), AnsiString(32, 'm'));

  EXPECT_EQ(BytesOf(MapUnlockFrame(12, 34, 0)),
            (std::vector<int>{0x24, 'S', 0x80, 0x09, 0x00, 0xD0, 12, 34, 0x02}));
  const AnsiString stamp = ProgramTimeStampFrame(0x5A21, 0x8C40, 0);
  EXPECT_EQ(BytesOf(stamp.substr(0, 10)),
            (std::vector<int>{0x24, 'S', 0x00, 0x0B, 0x00, 0x36, 0x5A, 0x21, 0x8C, 0x40}));
  EXPECT_EQ(stamp.size(), 11u);
}

TEST(Frames, SecuringScramblesFromTheFifthByte) {
  // Worked by hand: key 0x0102 rotates to 0x0204, 0x0408, 0x0810 over bytes 4..7.
  EXPECT_EQ(BytesOf(MapUnlockFrame(12, 34, 0x0102)),
            (std::vector<int>{0x24, 'S', 0x80, 0x09, 0x02, 0xD4, 0x04, 0x32, 0x76}));
  // Key 0x8001: rotation carries bit 16 into bit 0 (0x0003), the checksum rotates alike.
  EXPECT_EQ(BytesOf(MapUnlockFrame(0, 99, 0x8001)),
            (std::vector<int>{0x24, 0x53, 0x80, 0x09, 0x01, 0xD3, 0x06, 0x6F, 0xEF}));
}

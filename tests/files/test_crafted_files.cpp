// Files of a few dozen bytes that unpack to tens of megabytes are refused by the length
// they declare, before anything is decompressed, with the message of their file kind.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <memory>

#include "files/ConfigFile.h"
#include "files/HKStreamCol.h"
#include "files/HKStreamRoutines.h"
#include "files/Lh5Codec.h"
#include "files/MapFiles.h"
#include "model/MapRecord.h"
#include "platform/classes/SafeFile.h"
#include "tests/files/CraftedFiles.h"

namespace {

namespace fs = std::filesystem;

struct CraftedFileTest : ::testing::Test {
  AnsiString dir;
  void SetUp() override {
    const fs::path p = fs::temp_directory_path() / ("cq5_crafted_" + std::to_string(getpid()));
    fs::create_directories(p);
    dir = p.string() + "/";
  }
  void TearDown() override { fs::remove_all(dir.c_str()); }
  AnsiString Write(const char* name, const std::string& bytes) {
    safefile::WriteFile(dir + name, bytes);
    return dir + name;
  }
};

// The crafted bit stream is a real one: its first bytes decode to the prefix and zeros.
TEST_F(CraftedFileTest, CraftedStreamsDecodeToWhatTheyClaim) {
  const std::string map = crafted::EmptyItemsMapFile();
  EXPECT_LT(map.size(), 120u);
  const std::string body = map.substr(2);
  const auto* bits = reinterpret_cast<const uint8_t*>(body.data()) + 4;
  const std::vector<uint8_t> start = lh5::Decode(bits, body.size() - 4, 600);
  ASSERT_EQ(start.size(), 600u);
  const uint8_t head[12] = {1, 2, 3, 4, 5, 6, 7, 8, 0x7E, 0x96, 0x98, 0x00};  // 9,999,998 items
  EXPECT_EQ(std::memcmp(start.data(), head, 12), 0);
  for (size_t i = 12; i < start.size(); ++i) ASSERT_EQ(start[i], 0) << i;

  // The one with comments holds them in front of its 50 MB.
  const std::string withComments = crafted::HugeConfigFileWithComments().substr(2);
  const std::vector<uint8_t> comments =
      lh5::Decode(reinterpret_cast<const uint8_t*>(withComments.data()) + 4, withComments.size() - 4, 40);
  EXPECT_EQ(std::string(comments.begin() + 18, comments.begin() + 23), std::string("\x01\0\0\0x", 5));
  EXPECT_EQ(withComments.substr(0, 4), std::string("\x27\x05\x04\x03", 4));  // 33 + 50,595,078 bytes

  // A small one decodes whole through the program's own reader.
  THKStreams c(nullptr);
  TStringStream in(crafted::HugeConfigFile(1000));
  c.LoadFromStream(&in);
  TStringStream q4;
  c.GetStream("Q5-4", &q4);
  EXPECT_EQ(q4.DataString(), AnsiString(1000, '\0'));
}

TEST_F(CraftedFileTest, MapFileOfSixtyMillionEmptyItemsIsRefusedUnpacked) {
  const AnsiString file = Write("items.map", crafted::EmptyItemsMapFile());
  for (int k = 1; k <= 3; ++k) MapSlots[k].Clear();
  MapSlots[2].Source = 1;
  MapSlots[2].MapName.Set("kept");
  int corruptEvents = 0;
  THKStreams krup(nullptr);
  krup.OnCorrupt = [&](TObject*) { ++corruptEvents; };

  TMapFileOpenOptions all;
  all.Maps[0] = all.Maps[1] = all.Maps[2] = true;
  const TMapOpenResult opened = OpenMapFile(file, all, &krup);
  EXPECT_FALSE(opened.Ok);
  EXPECT_EQ(opened.Message, kMapFileCorruptMessage);
  EXPECT_EQ(corruptEvents, 1);
  EXPECT_EQ(MapSlots[2].MapName.Get(), "kept");

  AnsiString message;
  EXPECT_FALSE(PreviewMapFile(file, &krup, &message).has_value());
  EXPECT_EQ(message, kMapFileCorruptMessage);

  // Any container refuses a body listing more streams than a program file holds, even
  // when the caller allows a body that large.
  THKStreams any(nullptr);
  TStringStream in(crafted::EmptyItemsMapFile());
  try {
    any.LoadFromStream(&in, 64u << 20);
    ADD_FAILURE() << "loaded";
  } catch (const ECorruptFile& e) {
    EXPECT_EQ(e.Message(), "File is corrupt.");
  }
  MapSlots[2].Clear();
}

TEST_F(CraftedFileTest, ConfigurationFileOfSixtyMegabytesIsRefusedUnpacked) {
  const AnsiString file = Write("huge.q05", crafted::HugeConfigFile());
  EXPECT_LT(safefile::ReadFile(file).size(), 200u);
  int corruptEvents = 0;
  THKStreams krup(nullptr);
  krup.OnCorrupt = [&](TObject*) { ++corruptEvents; };
  try {
    config::LoadConfigFile(file, krup);
    ADD_FAILURE() << "loaded";
  } catch (const ECorruptFile& e) {
    EXPECT_EQ(e.Message(), "File is corrupt.");
  }
  EXPECT_EQ(corruptEvents, 1);

  // The open dialog's preview reads with the configuration bound alone.
  THKStreams preview(nullptr);
  EXPECT_THROW(preview.LoadFromFile(file, config::kMaxConfigFileSize), ECorruptFile);
}

// Each bound: a body of exactly the bound loads, one byte more is refused.
TEST_F(CraftedFileTest, BodiesUpToTheBoundLoad) {
  struct Row {
    const char* what;
    size_t bound;
  };
  const Row rows[] = {{"configuration", config::kMaxConfigFileSize}, {"map", kMaxMapBodySize}};
  for (const Row& r : rows) {
    SCOPED_TRACE(r.what);
    const uint32_t head = 12 + 2 + 4 + 4;  // magic, count, name length, "Q5-4", size
    const AnsiString fits = Write("fits", crafted::HugeConfigFile(static_cast<uint32_t>(r.bound) - head));
    const AnsiString over = Write("over", crafted::HugeConfigFile(static_cast<uint32_t>(r.bound) - head + 1));
    THKStreams c(nullptr);
    EXPECT_NO_THROW(c.LoadFromFile(fits, 1 << 20, r.bound));
    EXPECT_THROW(c.LoadFromFile(over, 1 << 20, r.bound), ECorruptFile);
  }
  // A real map file of three maps stays within the map bound.
  EXPECT_GE(kMaxMapBodySize, 12u + (2 + 8 + 4 + 3) + 3 * (2 + 8 + 4 + kMapRecordSize));
}

// The codec alone takes the caller's bound too, before decoding.
TEST_F(CraftedFileTest, DecompressionRefusesADeclaredLengthAboveTheBound) {
  const std::string body = crafted::EmptyItemsMapFile().substr(2);
  const auto* p = reinterpret_cast<const uint8_t*>(body.data());
  try {
    DecompressBytes(p, body.size(), 1 << 20);
    ADD_FAILURE() << "decoded";
  } catch (const ECorruptFile& e) {
    EXPECT_EQ(e.Message(), "Compressed file is corrupt");
  }
  TStringStream in(body), out;
  EXPECT_THROW(DecompressStream(&in, &out, 1 << 20), ECorruptFile);
  EXPECT_EQ(out.Size(), 0);
}

}  // namespace

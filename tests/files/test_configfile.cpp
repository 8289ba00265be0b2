// Configuration files: the four streams byte for byte as an independent reader of the
// container sees them, the format switches set for each save and load, and damaged
// files refused without touching anything.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <random>
#include <string>

#include "files/ConfigFile.h"
#include "files/HKStreamCol.h"
#include "files/HKStreamRoutines.h"

namespace {

namespace fs = std::filesystem;
using namespace config;

std::string ReadFile(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

uint32_t U32(const std::string& s, size_t at) {
  uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = v << 8 | static_cast<uint8_t>(s[at + static_cast<size_t>(i)]);
  return v;
}

// Reads a container file on its own terms: the two flag bytes, the body (decompressed
// when flagged), the magic, the count and each name and data.
struct ReadBack {
  bool compressed = false, scrambled = false;
  std::map<std::string, std::string> streams;
};
ReadBack ReadContainer(const fs::path& p) {
  const std::string file = ReadFile(p);
  ReadBack r;
  EXPECT_GE(file.size(), 2u);
  r.compressed = file[0] == '&';
  r.scrambled = file[1] == '*';
  std::string body = file.substr(2);
  if (r.compressed) {
    TStringStream in(body), out;
    DecompressStream(&in, &out);
    body = out.DataString();
  }
  EXPECT_EQ(body.substr(0, 8), std::string("\x01\x02\x03\x04\x05\x06\x07\x08"));
  const uint32_t count = U32(body, 8);
  size_t pos = 12;
  for (uint32_t i = 0; i < count; ++i) {
    const size_t nameLen = static_cast<uint8_t>(body[pos]) | static_cast<uint8_t>(body[pos + 1]) << 8;
    const std::string name = body.substr(pos + 2, nameLen);
    pos += 2 + nameLen;
    const uint32_t size = U32(body, pos);
    r.streams[name] = body.substr(pos + 4, size);
    pos += 4 + size;
  }
  EXPECT_EQ(pos, body.size());
  return r;
}

TConfigBlock RandomBlock(uint32_t seed) {
  TConfigBlock b{};
  std::mt19937 rng(seed);
  auto* p = reinterpret_cast<uint8_t*>(&b);
  for (size_t i = 0; i < sizeof b; ++i) p[i] = static_cast<uint8_t>(rng());
  return b;
}

class ConfigFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = fs::temp_directory_path() / ("cq5-q05-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    container.OnCorrupt = [this](TObject*) { ++corruptEvents; };
  }
  void TearDown() override { fs::remove_all(dir); }
  std::string File(const char* name) { return (dir / name).string(); }

  fs::path dir;
  THKStreams container{nullptr};
  int corruptEvents = 0;
};

TEST_F(ConfigFileTest, StreamsAsAnIndependentReaderSeesThem) {
  const TConfigBlock b = RandomBlock(1);
  SaveConfigFile(File("a.q05"), "Turbo 2.0\r\nBig injectors\r\n", b, container);
  const ReadBack r = ReadContainer(File("a.q05"));
  EXPECT_TRUE(r.compressed);
  EXPECT_FALSE(r.scrambled);
  ASSERT_EQ(r.streams.size(), 4u);
  EXPECT_EQ(r.streams.at("Q5-1"), "");
  EXPECT_EQ(r.streams.at("Q5-2"), "1.0");
  EXPECT_EQ(r.streams.at("Q5-3"), "Turbo 2.0\r\nBig injectors\r\n");
  ASSERT_EQ(r.streams.at("Q5-4").size(), 652u);
  EXPECT_EQ(std::memcmp(r.streams.at("Q5-4").data(), &b, 652), 0);

  const TConfigFileContents back = LoadConfigFile(File("a.q05"), container);
  EXPECT_EQ(std::memcmp(&back.Block, &b, sizeof b), 0);
  EXPECT_EQ(back.Comments, "Turbo 2.0\r\nBig injectors\r\n");
}

TEST_F(ConfigFileTest, CommentsAreCutTo255Characters) {
  SaveConfigFile(File("c.q05"), AnsiString(300, 'x'), RandomBlock(2), container);
  EXPECT_EQ(ReadContainer(File("c.q05")).streams.at("Q5-3"), std::string(255, 'x'));
}

TEST_F(ConfigFileTest, SavedPlainAfterTheContainerReadAScrambledFile) {
  // The shared container last read an update file: scrambled, uncompressed, with a key.
  container.Encrypted = true;
  container.Compressed = false;
  container.Key = "V2.31";
  TStringStream data("firmware");
  container.AddStream("DATA", &data);
  container.SaveToFile(File("update.rom"));
  container.ClearStreams();
  container.LoadFromFile(File("update.rom"));
  ASSERT_TRUE(container.Encrypted);

  const TConfigBlock b = RandomBlock(3);
  SaveConfigFile(File("after.q05"), "", b, container);
  const ReadBack r = ReadContainer(File("after.q05"));
  EXPECT_FALSE(r.scrambled);
  EXPECT_TRUE(r.compressed);
  EXPECT_EQ(std::memcmp(r.streams.at("Q5-4").data(), &b, 652), 0);
  EXPECT_TRUE(container.Key.empty());

  // And a configuration is read without the old key in the way.
  container.Key = "V2.31";
  container.Compressed = false;
  const TConfigFileContents back = LoadConfigFile(File("after.q05"), container);
  EXPECT_EQ(std::memcmp(&back.Block, &b, sizeof b), 0);
}

// The same after the container read a scrambled configuration file with its key: the key
// and the scrambling stay with that file, the next one saved is plain.
TEST_F(ConfigFileTest, SavedPlainAfterAScrambledConfigurationWasLoaded) {
  const TConfigBlock keyed = RandomBlock(6);
  THKStreams writer(nullptr);
  writer.Encrypted = true;
  writer.Key = "0203";
  TStringStream block(AnsiString(reinterpret_cast<const char*>(&keyed), sizeof keyed));
  writer.AddStream("Q5-4", &block);
  writer.SaveToFile(File("keyed.q05"));
  ASSERT_EQ(ReadFile(File("keyed.q05"))[1], '*');
  const TConfigFileContents loaded = LoadConfigFile(File("keyed.q05"), container, "0203");
  ASSERT_EQ(std::memcmp(&loaded.Block, &keyed, sizeof keyed), 0);

  const TConfigBlock b = RandomBlock(7);
  SaveConfigFile(File("next.q05"), "plain\r\n", b, container);
  const std::string file = ReadFile(File("next.q05"));
  EXPECT_EQ(file.substr(0, 2), "& ");  // compressed, not scrambled
  const ReadBack r = ReadContainer(File("next.q05"));
  ASSERT_EQ(r.streams.size(), 4u);
  EXPECT_EQ(r.streams.at("Q5-3"), "plain\r\n");
  EXPECT_EQ(std::memcmp(r.streams.at("Q5-4").data(), &b, 652), 0);
  EXPECT_FALSE(container.Encrypted);
  EXPECT_TRUE(container.Key.empty());
}

TEST_F(ConfigFileTest, DamagedFilesAreRefused) {
  SaveConfigFile(File("good.q05"), "c", RandomBlock(4), container);
  const std::string good = ReadFile(File("good.q05"));
  // Every kind of damage reaches the container's corrupt event once, damaged compression
  // (which the container leaves to the decompressor) too.
  struct Case {
    const char* name;
    std::string bytes;
    const char* message;
    int events;
  } cases[] = {
      {"cut.q05", good.substr(0, good.size() / 2), "Compressed file is corrupt", 1},
      {"junk.q05", "  not a container at all", "File is corrupt.", 1},
      {"empty.q05", "", "File is corrupt.", 1},
  };
  for (const Case& c : cases) {
    std::ofstream(File(c.name), std::ios::binary) << c.bytes;
    corruptEvents = 0;
    try {
      LoadConfigFile(File(c.name), container);
      ADD_FAILURE() << c.name << " loaded";
    } catch (const ECorruptFile& e) {
      EXPECT_EQ(e.Message(), c.message) << c.name;
    }
    EXPECT_EQ(corruptEvents, c.events) << c.name;
  }

  // A well-formed container whose block stream is short would load half a block.
  container.Compressed = false;
  TStringStream shortBlock(AnsiString(100, 'z'));
  container.AddStream("Q5-4", &shortBlock);
  container.SaveToFile(File("short.q05"));
  container.ClearStreams();
  corruptEvents = 0;
  EXPECT_THROW(LoadConfigFile(File("short.q05"), container), ECorruptFile);
  EXPECT_EQ(corruptEvents, 1);

  EXPECT_THROW(LoadConfigFile(File("missing.q05"), container), Exception);
}

}  // namespace

// A file scrambled with an ECU's version text opens with that text as the key only; with
// no key or another one it is refused as damaged and nothing comes back.
TEST_F(ConfigFileTest, ScrambledFilesOpenWithTheirKeyOnly) {
  const TConfigBlock b = RandomBlock(5);
  THKStreams writer(nullptr);
  writer.Encrypted = true;
  writer.Key = "0105";
  TStringStream block(AnsiString(reinterpret_cast<const char*>(&b), sizeof b)), comments("keyed\r\n");
  writer.AddStream("Q5-3", &comments);
  writer.AddStream("Q5-4", &block);
  writer.SaveToFile(File("keyed.q05"));
  ASSERT_TRUE(ReadFile(File("keyed.q05"))[1] == '*');

  const TConfigFileContents back = LoadConfigFile(File("keyed.q05"), container, "0105");
  EXPECT_EQ(std::memcmp(&back.Block, &b, sizeof b), 0);
  EXPECT_EQ(back.Comments, "keyed\r\n");
  for (const char* key : {"", "0106"}) {
    corruptEvents = 0;
    EXPECT_THROW(LoadConfigFile(File("keyed.q05"), container, key), ECorruptFile) << key;
    EXPECT_EQ(corruptEvents, 1) << key;
  }
}

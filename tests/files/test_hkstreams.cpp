// The stream container: its file layout byte by byte, scrambling, and corrupt files.
#include <gtest/gtest.h>
#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>
#include "files/Blowfish.h"
#include "files/HKStreamCol.h"
#include "files/HKStreamRoutines.h"
#include "platform/classes/SafeFile.h"

namespace {

using Bytes = std::vector<uint8_t>;

AnsiString B(std::initializer_list<int> bytes) {
  AnsiString s;
  for (int b : bytes) s.push_back(static_cast<char>(b));
  return s;
}

AnsiString Save(THKStreams& c) {
  TStringStream out;
  c.SaveToStream(&out);
  return out.DataString();
}

void Load(THKStreams& c, const AnsiString& image) {
  TStringStream in(image);
  c.LoadFromStream(&in);
}

void Add(THKStreams& c, const AnsiString& name, const AnsiString& data) {
  TStringStream s(data);
  c.AddStream(name, &s);
}

// The named stream's data, or "<none>" when GetStream appends nothing.
AnsiString Get(THKStreams& c, const AnsiString& name) {
  TStringStream s;
  c.GetStream(name, &s);
  return s.DataString().empty() ? AnsiString("<none>") : s.DataString();
}

TEST(Blowfish, KnownVectors) {
  struct Row {
    Bytes key;
    uint32_t l, r, el, er;
  };
  const Row rows[] = {
      {Bytes(8, 0x00), 0x00000000, 0x00000000, 0x4EF99745, 0x6198DD78},
      {Bytes(8, 0xFF), 0xFFFFFFFF, 0xFFFFFFFF, 0x51866FD5, 0xB85ECB8A},
      {Bytes{0x30, 0, 0, 0, 0, 0, 0, 0}, 0x10000000, 0x00000001, 0x7D856F9A, 0x613063F2},
      {Bytes{'1', 'A', '2', 'B'}, 0x01020304, 0x05060708, 0x1AA25D71, 0xCFEBF073},  // short key, cycled
  };
  for (const Row& row : rows) {
    blowfish::Cipher cipher;
    ASSERT_TRUE(cipher.SetKey(row.key.data(), row.key.size()));
    uint32_t l = row.l, r = row.r;
    cipher.Encipher(l, r);
    EXPECT_EQ(l, row.el);
    EXPECT_EQ(r, row.er);
    cipher.Decipher(l, r);
    EXPECT_EQ(l, row.l);
    EXPECT_EQ(r, row.r);
  }
  blowfish::Cipher cipher;
  EXPECT_FALSE(cipher.SetKey(nullptr, 0));
}

TEST(HKStreams, EmptyContainerLayouts) {
  THKStreams c(nullptr);
  c.Compressed = false;
  EXPECT_EQ(Save(c), B({0x20, 0x20, 1, 2, 3, 4, 5, 6, 7, 8, 0, 0, 0, 0}));
  // Scrambled with key "1A2B": 12 body bytes, three pad bytes 01 and the pad count 03,
  // as two blocks of little-endian halves enciphered on their own.
  c.Encrypted = true;
  c.Key = "1A2B";
  EXPECT_EQ(Save(c), B({0x20, 0x2A, 0x38, 0x16, 0x62, 0xEA, 0xD7, 0xFE, 0xC6, 0x3D, 0x45, 0xEA, 0x57, 0x97, 0x73,
                        0x40, 0xD1, 0xEA}));
  // No key, no scrambling.
  c.Key = "";
  EXPECT_EQ(Save(c).substr(0, 2), B({0x20, 0x20}));
  // Compressed: "&", then the u32 plain length 12 and the bit stream.
  c.Compressed = true;
  AnsiString packed = Save(c);
  EXPECT_EQ(packed.substr(0, 6), B({0x26, 0x20, 12, 0, 0, 0}));
}

// The count before the bit stream is four bytes, low first: a body of 16 MiB and more
// sets the fourth, and one of exactly 64 MiB (the largest) is 00 00 00 04 and reads back
// whole. One byte more is refused on both sides.
TEST(HKStreams, CountOfLargeBodies) {
  struct Case {
    size_t size;
    AnsiString head;
  } cases[] = {{(size_t{16} << 20) + 3, B({0x03, 0x00, 0x00, 0x01})},
               {size_t{64} << 20, B({0x00, 0x00, 0x00, 0x04})}};
  for (const Case& c : cases) {
    TStringStream plain(AnsiString(c.size, '\x5A')), packed;
    CompressStream(&plain, &packed);
    const AnsiString bits = packed.DataString();
    EXPECT_EQ(bits.substr(0, 4), c.head) << c.size;
    const std::vector<uint8_t> back =
        DecompressBytes(reinterpret_cast<const uint8_t*>(bits.data()), bits.size());
    EXPECT_EQ(back.size(), c.size);
    EXPECT_EQ(std::count(back.begin(), back.end(), 0x5A), static_cast<std::ptrdiff_t>(c.size));
    if (c.size != kMaxPlainSize) continue;
    // The same bit stream declaring one byte more than 64 MiB is refused before decoding.
    AnsiString over = bits;
    over[0] = 0x01;
    EXPECT_THROW(DecompressBytes(reinterpret_cast<const uint8_t*>(over.data()), over.size()), ECorruptFile);
    TStringStream tooLarge(AnsiString(c.size + 1, '\x5A')), nowhere;
    EXPECT_THROW(CompressStream(&tooLarge, &nowhere), EWriteError);
  }
}

// An empty stream compresses to its count, 0, and nothing more; that reads back as no
// bytes, whatever follows the count.
TEST(HKStreams, EmptyStreamCompressesToItsCountAlone) {
  TStringStream empty, packed;
  CompressStream(&empty, &packed);
  EXPECT_EQ(packed.DataString(), B({0, 0, 0, 0}));
  for (const AnsiString& body : {B({0, 0, 0, 0}), B({0, 0, 0, 0, 0xFF, 0x13})}) {
    TStringStream in(body), out("kept");
    out.SetPosition(4);
    DecompressStream(&in, &out);
    EXPECT_EQ(out.DataString(), "kept");
  }
  // A container holding only an empty stream, saved compressed: "&", " ", the plain
  // length 12 + 2 + 4 + 4 = 22, then the bit stream; it reads back as that empty stream.
  THKStreams c(nullptr);
  Add(c, "Q5-1", "");
  const AnsiString saved = Save(c);
  EXPECT_EQ(saved.substr(0, 6), B({0x26, 0x20, 22, 0, 0, 0}));
  THKStreams back(nullptr);
  Load(back, saved);
  back.Compressed = false;
  EXPECT_EQ(Save(back), B({0x20, 0x20, 1, 2, 3, 4, 5, 6, 7, 8, 1, 0, 0, 0, 4, 0}) + "Q5-1" + B({0, 0, 0, 0}));
}

TEST(HKStreams, StreamsAreSortedAndFoundWithoutRegardToCase) {
  THKStreams c(nullptr);
  c.Compressed = false;
  Add(c, "Q5mapver", "1.0");
  Add(c, "Q5map-03", "cc");
  Add(c, "Q5map-01", "a");
  Add(c, "q5MAP-01", "ignored: the name is taken");
  Add(c, "", "ignored: no name");
  c.AddStream("Q5map-02", nullptr);
  EXPECT_EQ(Get(c, "q5MAP-01"), "a");
  EXPECT_EQ(Get(c, "Q5MAPVER"), "1.0");
  EXPECT_EQ(Get(c, "Q5map-02"), "<none>");
  EXPECT_EQ(Save(c), B({0x20, 0x20, 1, 2, 3, 4, 5, 6, 7, 8, 3, 0, 0, 0}) +
                         B({8, 0}) + "Q5map-01" + B({1, 0, 0, 0}) + "a" +
                         B({8, 0}) + "Q5map-03" + B({2, 0, 0, 0}) + "cc" +
                         B({8, 0}) + "Q5mapver" + B({3, 0, 0, 0}) + "1.0");
}

TEST(HKStreams, AddAndGetUseWholeStreamsAndRewind) {
  THKStreams c(nullptr);
  TStringStream src("abcdef");
  src.SetPosition(4);
  c.AddStream("x", &src);  // copied from its start
  TStringStream dest("12345");
  dest.SetPosition(2);
  c.GetStream("X", &dest);
  EXPECT_EQ(dest.DataString(), "12abcdef");
  EXPECT_EQ(dest.Position(), 0);
  dest.SetPosition(3);
  c.GetStream("unknown", &dest);
  EXPECT_EQ(dest.DataString(), "12abcdef");
  EXPECT_EQ(dest.Position(), 0);
  dest.SetPosition(3);
  c.GetStream("", &dest);
  EXPECT_EQ(dest.Position(), 3);
  c.ClearStreams();
  EXPECT_EQ(Get(c, "x"), "<none>");
}

TEST(HKStreams, RoundTripsEveryFormAndTakesTheFormFromTheFile) {
  AnsiString map(25'728, '\0');
  for (size_t i = 0; i < map.size(); ++i) map[i] = static_cast<char>((i / 2) % 97 + (i % 5 == 0 ? 40 : 0));
  struct Form {
    bool compressed, encrypted;
    const char* key;
    char flag0, flag1;
  };
  const Form forms[] = {{false, false, "", ' ', ' '}, {true, false, "", '&', ' '}, {false, true, "0A31", ' ', '*'},
                        {true, true, "0A31", '&', '*'},  {true, true, "", '&', ' '}};
  for (const Form& f : forms) {
    THKStreams writer(nullptr);
    writer.Compressed = f.compressed;
    writer.Encrypted = f.encrypted;
    writer.Key = f.key;
    Add(writer, "Q5map-01", map);
    Add(writer, "Q5map-02", "");
    Add(writer, "Q5mapver", "1.0");
    AnsiString image = Save(writer);
    EXPECT_EQ(image[0], f.flag0);
    EXPECT_EQ(image[1], f.flag1);

    THKStreams reader(nullptr);
    reader.Compressed = !f.compressed;
    reader.Encrypted = !f.encrypted;
    reader.Key = f.key;
    Add(reader, "old", "replaced by the file's streams");
    Load(reader, image);
    EXPECT_EQ(Get(reader, "Q5map-01"), map);
    EXPECT_EQ(Get(reader, "Q5mapver"), "1.0");
    EXPECT_EQ(Get(reader, "old"), "<none>");
    EXPECT_EQ(reader.Compressed, f.compressed);
    EXPECT_EQ(reader.Encrypted, f.flag1 == '*');
    // A stream of size 0 comes back as an empty stream under its name.
    reader.Compressed = false;
    reader.Encrypted = false;
    EXPECT_NE(Save(reader).find(B({8, 0}) + "Q5map-02" + B({0, 0, 0, 0})), AnsiString::npos);
  }
}

TEST(HKStreams, AsksForTheKeyAndKeepsIt) {
  THKStreams writer(nullptr);
  writer.Encrypted = true;
  writer.Key = "1234";
  Add(writer, "cfg", "settings");
  AnsiString image = Save(writer);

  THKStreams reader(nullptr);
  int asked = 0;
  reader.OnAskForKey = [&](TObject* sender, AnsiString& key) {
    EXPECT_EQ(sender, &reader);
    EXPECT_EQ(key, "");
    key = "1234";
    ++asked;
  };
  Load(reader, image);
  EXPECT_EQ(asked, 1);
  EXPECT_EQ(reader.Key, "1234");
  EXPECT_EQ(Get(reader, "cfg"), "settings");
}

// Loads a damaged image into a container holding one stream and reports the message and
// what is left of the stream.
struct Outcome {
  AnsiString message;
  int corrupt_events = 0;
  AnsiString left;
};

Outcome LoadDamaged(const AnsiString& image, const AnsiString& key = "") {
  THKStreams c(nullptr);
  c.Key = key;
  Add(c, "before", "kept");
  Outcome o;
  c.OnCorrupt = [&](TObject*) { ++o.corrupt_events; };
  try {
    Load(c, image);
    o.message = "<loaded>";
  } catch (const ECorruptFile& e) {
    o.message = e.Message();
  }
  o.left = Get(c, "before");
  return o;
}

TEST(HKStreams, CorruptFiles) {
  THKStreams good(nullptr);
  good.Compressed = false;
  Add(good, "a", "1");
  Add(good, "b", "22");
  const AnsiString plain = Save(good);
  good.Compressed = true;
  const AnsiString packed = Save(good);

  struct Row {
    const char* what;
    AnsiString image;
    AnsiString key;
    const char* message;
    int corrupt_events;
    const char* left;
  };
  AnsiString bad_magic = plain;
  bad_magic[2] = 9;
  AnsiString short_body = plain.substr(0, plain.size() - 1);  // the last item's data cut short
  AnsiString big_count = plain;
  big_count[10] = static_cast<char>(0xFF);  // count 255, but only two items follow
  AnsiString damaged = packed;
  for (size_t i = 6; i < damaged.size(); ++i) damaged[i] = static_cast<char>(0xFF);
  // A compressed body that decompresses fine but is not a container body.
  TStringStream wrong_body;
  {
    TStringStream text("not a container body");
    CompressStream(&text, &wrong_body);
  }
  THKStreams scrambler(nullptr);
  scrambler.Compressed = false;
  scrambler.Encrypted = true;
  scrambler.Key = "right";
  Add(scrambler, "a", "1");
  const AnsiString scrambled = Save(scrambler);

  const Row rows[] = {
      {"empty file", "", "", "File is corrupt.", 1, "kept"},
      {"one byte", " ", "", "File is corrupt.", 1, "kept"},
      {"wrong magic", bad_magic, "", "File is corrupt.", 1, "kept"},
      {"other flag bytes read as plain", AnsiString("xy") + plain.substr(2), "", "<loaded>", 0, "<none>"},
      {"body shorter than its sizes", short_body, "", "File is corrupt.", 1, "<none>"},
      {"count above the items", big_count, "", "File is corrupt.", 1, "<none>"},
      {"damaged compression", damaged, "", "Compressed file is corrupt", 0, "kept"},
      {"count beyond any body", "& " + B({0xFF, 0xFF, 0xFF, 0x7F, 0, 0, 0}), "", "Compressed file is corrupt", 0,
       "kept"},
      {"compressed flag on a plain body", "&" + plain.substr(1), "", "Compressed file is corrupt", 0, "kept"},
      {"compressed non-container", "& " + wrong_body.DataString(), "", "File is corrupt.", 1, "<none>"},
      {"wrong key", scrambled, "wrong", "File is corrupt.", 1, "kept"},
      {"no key", scrambled, "", "File is corrupt.", 1, "kept"},
      // The scramble flag on a body that was never scrambled: without a key it is refused
      // before anything changes, compressed or not.
      {"scramble flag, compressed body, no key", "&*" + packed.substr(2), "", "File is corrupt.", 1, "kept"},
      {"scramble flag, plain body, no key", " *" + plain.substr(2), "", "File is corrupt.", 1, "kept"},
      {"scrambled, not whole blocks", scrambled.substr(0, scrambled.size() - 3), "right", "File is corrupt.", 1,
       "kept"},
      {"right key", scrambled, "right", "<loaded>", 0, "<none>"},
  };
  for (const Row& row : rows) {
    Outcome o = LoadDamaged(row.image, row.key);
    EXPECT_EQ(o.message, row.message) << row.what;
    EXPECT_EQ(o.corrupt_events, row.corrupt_events) << row.what;
    EXPECT_EQ(o.left, row.left) << row.what;
  }
}

TEST(HKStreams, FilesAreReplacedOnlyByACompleteSave) {
  namespace fs = std::filesystem;
  fs::path dir = fs::temp_directory_path() / ("cq5-hks-" + std::to_string(::getpid()));
  fs::create_directories(dir);
  const AnsiString file = (dir / "maps.map").string();

  THKStreams c(nullptr);
  Add(c, "Q5map-01", "first");
  c.SaveToFile(file);
  THKStreams reader(nullptr);
  reader.LoadFromFile(file);
  EXPECT_EQ(Get(reader, "Q5map-01"), "first");

  EXPECT_THROW(c.SaveToFile((dir / "missing" / "x.map").string()), Exception);
  EXPECT_THROW(reader.LoadFromFile((dir / "missing.map").string()), Exception);
  EXPECT_EQ(fs::directory_iterator(dir)->path().filename(), "maps.map");  // no temporary file left
  EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);
  fs::remove_all(dir);
}

}  // namespace

// Every field of the bank image against its record place, byte by byte: the rows below
// are the image layout written out independently of the encoder's own table, so a field
// that moves by one record byte or one image byte is caught.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "model/MapImage.h"

using namespace ecu;

namespace {

enum class Elt { Word, Byte };
enum class Place { List, Main, Cranking };

using Conv = int (*)(int);

int Same(int v) { return v; }
int Signed8(int b) { return b >= 128 ? b - 256 : b; }
int Signed16(int w) { return w > 32767 ? w - 65536 : w; }
int Clamp(int v, int lo, int hi) { return v < lo ? lo : v > hi ? hi : v; }

struct Row {
  int image;      // first image byte
  int count;      // elements
  int width;      // image bytes per element (2: high byte first)
  int record;     // record offset of element 0 (or of the table)
  Elt elt;
  Place place;
  Conv write;     // record value -> image value
  Conv read;      // image value -> record value
  int wlo, whi;   // record values the writer case uses
  int rlo, rhi;   // image values the reader case uses
};

constexpr Row L(int image, int count, int width, int record, Elt elt, Conv w, Conv r, int wlo, int whi,
                int rlo, int rhi) {
  return {image, count, width, record, elt, Place::List, w, r, wlo, whi, rlo, rhi};
}
// Byte-wide lists of words or bytes carried as they are.
constexpr Row Plain(int image, int count, int record, Elt elt = Elt::Word) {
  return L(image, count, 1, record, elt, Same, Same, 0, 255, 0, 255);
}
// One word, high byte first, carried as it is.
constexpr Row Word16(int image, int count, int record) {
  return L(image, count, 2, record, Elt::Word, Same, Same, -32768, 32767, 0, 65535);
}
constexpr Row Table(int image, int rows, int record, Conv w, Conv r, int wlo, int whi, int rlo, int rhi) {
  return {image, rows * 32, 1, record, Elt::Word, Place::Main, w, r, wlo, whi, rlo, rhi};
}

int TempIgnW(int v) { return 132 - 2 * v; }
int TempIgnR(int b) { return (132 - b) / 2; }
int IgnW(int v) { return 2 * v + 120; }
int IgnR(int b) { return (b - 120) / 2; }
int FlagW(int v) { return v ? 0xFF : 0x00; }
int Flag01W(int v) { return v ? 0x01 : 0x00; }
int FlagR(int b) { return b ? 1 : 0; }
int Temp40W(int v) { return v + 40 > 255 ? 255 : v + 40; }
int Temp40R(int b) { return (b > 180 ? 180 : b) - 40; }

// The image layout: offset, size, record place and conversions of every field that
// carries record values, in image order. Fields with special rules have tests of their own.
const Row kRows[] = {
    Table(288, 16, 512, IgnW, IgnR, -60, 67, 0, 255),
    Table(800, 16, 1668, Same, Same, 0, 255, 0, 255),
    Table(2336, 5, 12090, [](int v) { return v / 4 > 255 ? 255 : v / 4; },
          [](int b) { return 4 * b > 720 ? 720 : 4 * b; }, 0, 1200, 0, 255),
    Table(2496, 5, 7464, Same, Same, 0, 255, 0, 255),
    Table(2656, 5, 5136, Same, Same, 0, 255, 0, 255),
    Table(2816, 5, 6292, Same, Same, 0, 255, 0, 255),
    Table(3136, 5, 10932, Same, Same, 0, 255, 0, 255),
    L(3296, 14, 1, 14456, Elt::Word, TempIgnW, TempIgnR, -30, 60, 0, 255),
    L(3310, 14, 1, 14524, Elt::Word, Same, Signed8, -128, 127, 0, 255),
    Plain(3324, 14, 14592),
    L(3338, 14, 1, 14728, Elt::Word, TempIgnW, TempIgnR, -30, 60, 0, 255),
    L(3352, 14, 1, 14796, Elt::Word, Same, Signed8, -128, 127, 0, 255),
    Plain(3366, 14, 15064),
    Plain(3380, 14, 14928),
    Plain(3394, 14, 16288),
    Plain(3408, 14, 14996),
    Plain(3422, 14, 16758),
    Plain(3436, 14, 16356),
    Plain(3450, 14, 14660),
    L(3464, 20, 2, 14332, Elt::Word, [](int v) { return 10 * v; }, [](int w) { return Clamp(w, 0, 6000) / 10; },
      0, 600, 0, 65535),
    L(3504, 20, 2, 14374, Elt::Word, Same, [](int w) { return Clamp(Signed16(w), -100, 999); }, -100, 999, 0,
      65535),
    // Image bytes above 193 would read below -30; the reader keeps the editors' -50 there.
    L(3544, 20, 1, 14416, Elt::Word, TempIgnW, [](int b) { return Clamp((132 - b) / 2, -30, 60); }, -30, 60, 0,
      193),
    Plain(3596, 32, 14864),
    Word16(3628, 1, 16948),
    Word16(3630, 1, 16950),
    Word16(3632, 1, 16938),
    L(3634, 1, 1, 16940, Elt::Byte, FlagW, FlagR, 0, 255, 0, 255),
    L(3635, 1, 1, 16944, Elt::Byte, Same, [](int b) { return b > 1 ? 1 : b; }, 0, 255, 0, 255),
    L(3638, 1, 2, 16946, Elt::Word, Same, [](int w) { return w > 20000 ? 20000 : w; }, 0, 32767, 0, 65535),
    // The record keeps the idle-up speed in units of 10 rpm, as the image does.
    Plain(3640, 1, 16826),
    Plain(3641, 1, 16828),
    L(3642, 4, 1, 16930, Elt::Word, Temp40W, Temp40R, -40, 300, 0, 255),
    Word16(3646, 1, 16830),
    Word16(3648, 1, 16832),
    L(3650, 1, 1, 16842, Elt::Byte, FlagW, FlagR, 0, 255, 0, 255),
    L(3651, 1, 1, 16844, Elt::Word, [](int v) { return 2 * v; }, [](int b) { return b / 2; }, 0, 127, 0, 255),
    L(3652, 1, 1, 16846, Elt::Word, Same, [](int b) { return b > 25 ? 25 : b; }, 0, 255, 0, 255),
    L(3653, 1, 1, 16925, Elt::Byte, FlagW, FlagR, 0, 255, 0, 255),
    Word16(3654, 1, 16926),
    Word16(3656, 1, 16928),
    Plain(3658, 1, 16688),
    Plain(3659, 1, 16678),
    Plain(3660, 1, 16680),
    Plain(3661, 1, 16682),
    Plain(3662, 1, 16686),
    Plain(3664, 2, 16952, Elt::Byte),
    L(3666, 1, 1, 16954, Elt::Byte, FlagW, FlagR, 0, 255, 0, 255),
    Plain(3667, 3, 16955, Elt::Byte),
    L(3670, 1, 1, 16958, Elt::Byte, FlagW, FlagR, 0, 255, 0, 255),
    Plain(3672, 2, 16959, Elt::Byte),
    L(3674, 1, 1, 16961, Elt::Byte, [](int v) { return v < 10 ? 0 : v - 10; },
      [](int b) { return b + 10 > 255 ? 255 : b + 10; }, 0, 255, 0, 255),
    Plain(3675, 7, 16962, Elt::Byte),
    Plain(3683, 1, 16972, Elt::Byte),
    L(3684, 1, 2, 16970, Elt::Word, [](int v) { return 10 * v; }, [](int w) { return w / 10; }, 0, 3276, 0,
      65535),
    Plain(3686, 8, 7448),
    Plain(3704, 5, 16424),
    Plain(3709, 1, 16836),
    L(3710, 1, 1, 16838, Elt::Word, [](int v) { return v / 10; }, [](int b) { return 10 * b; }, 0, 2559, 0, 255),
    Plain(3711, 1, 16834),
    Plain(3712, 1, 16840),
    Plain(3714, 3, 16848),
    L(3717, 1, 1, 16854, Elt::Word, Temp40W, Temp40R, -40, 300, 0, 255),
    Plain(3718, 3, 16856),
    L(3721, 1, 1, 16862, Elt::Word, Same, [](int b) { return b ? b - 256 : 0; }, -255, 0, 0, 255),
    Plain(3722, 8, 16868),
    Plain(3730, 1, 16866),
    Plain(3731, 7, 16884, Elt::Byte),
    Plain(3738, 1, 13252),
    L(3739, 1, 1, 13254, Elt::Word, [](int v) { return v < 10 ? 0 : v - 10; }, [](int b) { return b + 10; }, 0,
      265, 0, 255),
    L(3746, 1, 1, 13250, Elt::Byte, Flag01W, FlagR, 0, 255, 0, 255),
    Plain(3747, 1, 13256),
    L(3748, 1, 1, 13258, Elt::Word, Same, Signed8, -128, 127, 0, 255),
    Plain(3749, 1, 13262),
    L(3750, 1, 1, 13260, Elt::Word, Same, Signed8, -128, 127, 0, 255),
    Plain(3751, 1, 13264),
    L(3752, 1, 1, 13251, Elt::Byte, Flag01W, FlagR, 0, 255, 0, 255),
    Plain(3753, 1, 13266),
    Plain(3754, 1, 13270),
    Plain(3755, 1, 13268),
    Plain(3756, 1, 13272),
    Plain(3758, 10, 16636),
    L(3774, 10, 1, 16656, Elt::Word, Same, Signed8, -128, 127, 0, 255),
    Plain(3790, 1, 12088),
    L(3791, 1, 1, 510, Elt::Word, IgnW, IgnR, -60, 67, 0, 255),
    Plain(3824, 8, 14296),
    Plain(3832, 8, 14312),
    L(3840, 1, 1, 14328, Elt::Byte, Flag01W, [](int b) { return b & 1; }, 0, 255, 0, 255),
    Word16(3904, 32, 14090),
    Plain(3968, 1, 16924, Elt::Byte),
    Plain(3969, 1, 14294),
    Word16(4062, 1, 13248),
    Plain(4064, 1, 13246),
    Word16(4066, 1, 16974),
    Word16(4068, 1, 16978),
    Plain(4070, 1, 16976),
    Plain(4071, 1, 16980),
    {4072, 70, 1, 15132, Elt::Word, Place::Cranking, Same, Same, 0, 255, 0, 255},
    Word16(4142, 5, 14226),
    Plain(4152, 32, 16690),
    L(4184, 1, 1, 16982, Elt::Byte, Flag01W, FlagR, 0, 255, 0, 255),
    Plain(4185, 1, 16984),
    Plain(4186, 1, 16986, Elt::Byte),
    Plain(4187, 1, 16988),
    Plain(4188, 1, 16990, Elt::Byte),
    Plain(4189, 7, 16991, Elt::Byte),
    Word16(4196, 1, 16998),
    Word16(4198, 1, 17000),
    Word16(4200, 8, 17002),
    Table(4216, 16, 2824, Same, Same, 0, 255, 0, 255),
    Plain(4728, 2, 17664, Elt::Byte),
    Plain(4730, 20, 17666, Elt::Byte),
    Plain(4750, 4, 17686, Elt::Byte),
    Word16(4754, 1, 17690),
    Word16(4756, 1, 17692),
    Plain(4758, 6, 17694, Elt::Byte),
    L(4764, 20, 2, 17702, Elt::Word, Same, [](int w) { return w > 1200 ? 1200 : w; }, 0, 32767, 0, 65535),
    L(4804, 20, 2, 17744, Elt::Word, Same, [](int w) { return Clamp(Signed16(w), -100, 999); }, -100, 999, 0,
      65535),
    // Signed image bytes of -62 .. -128 (128 .. 194) would read below -30; the reader keeps
    // the editors' -50 there. The reader case takes 195 .. 255 and 0 .. 127.
    L(4844, 20, 1, 17786, Elt::Word, [](int v) { return 2 * v; },
      [](int b) { return Clamp(Signed8(b) / 2, -30, 60); }, -30, 60, 195, 383),
    Plain(4864, 1280, 17826, Elt::Byte),
};

size_t RecordAt(const Row& r, int i) {
  switch (r.place) {
    case Place::Main: return r.record + (i % 32 + 1) * 34 + (i / 32 + 1) * 2;
    case Place::Cranking: return r.record + (i % 14 + 1) * 34 + (i / 14) * 2;
    case Place::List: break;
  }
  return r.record + i * (r.elt == Elt::Word ? 2 : 1);
}

// Element i's sample: spread over lo..hi so that neighbours differ.
int Sample(int i, int salt, int lo, int hi) { return lo + (i * 37 + salt * 11 + 5) % (hi - lo + 1); }

int RecordValue(const TMapRecord& m, const Row& r, int i) {
  const uint8_t* p = m.Bytes() + RecordAt(r, i);
  return r.elt == Elt::Word ? p[0] | p[1] << 8 : p[0];
}
void SetRecordValue(TMapRecord& m, const Row& r, int i, int v) {
  uint8_t* p = m.Bytes() + RecordAt(r, i);
  p[0] = static_cast<uint8_t>(v & 0xFF);
  if (r.elt == Elt::Word) p[1] = static_cast<uint8_t>((v >> 8) & 0xFF);
}

std::unique_ptr<TMapRecord> EmptyMap() {
  auto m = std::make_unique<TMapRecord>();
  m->Clear();
  return m;
}

int ImageValue(const MapImage& img, size_t at, int width) { return width == 1 ? img[at] : img[at] << 8 | img[at + 1]; }
void SetImageValue(MapImage& img, size_t at, int width, int v) {
  if (width == 1) {
    img[at] = static_cast<uint8_t>(v & 0xFF);
  } else {
    img[at] = static_cast<uint8_t>((v >> 8) & 0xFF);
    img[at + 1] = static_cast<uint8_t>(v & 0xFF);
  }
}

}  // namespace

// Element values of a case: round 0 spreads them over lo..hi, rounds 1 and 2 put every
// element at lo and at hi, where the limits of a field apply.
namespace {
int CaseValue(int round, int i, int salt, int lo, int hi) {
  return round == 0 ? Sample(i, salt, lo, hi) : round == 1 ? lo : hi;
}
}  // namespace

namespace {

// The image bytes of the fields with tests of their own, and the reserved and fixed bytes.
struct Span {
  int image, size;
};
const Span kSpecialFields[] = {{0, 32},    {32, 256},  {1312, 1024}, {2976, 160},
                               {3636, 2},  {3773, 1},  {3970, 82}};
const Span kReservedBytes[] = {{3564, 32}, {3663, 1}, {3671, 1}, {3682, 1}, {3694, 10}, {3713, 1},  {3740, 6},
                               {3757, 1},  {3768, 5}, {3784, 6}, {3792, 32}, {3841, 63}, {4052, 10}, {4065, 1}};

// A record place of a special field and the image bytes it may change.
struct SpecialChange {
  const char* field;
  void (*set)(TMapRecord&);
  Span image;
};

}  // namespace

TEST(MapImageFields, RowsTileTheirPartOfTheImage) {
  // The layout written out here: rows, special fields and reserved bytes tile the image.
  std::vector<Span> spans(std::begin(kSpecialFields), std::end(kSpecialFields));
  spans.insert(spans.end(), std::begin(kReservedBytes), std::end(kReservedBytes));
  for (const Row& r : kRows) spans.push_back({r.image, r.count * r.width});
  std::sort(spans.begin(), spans.end(), [](const Span& a, const Span& b) { return a.image < b.image; });
  int next = 0;
  for (const Span& sp : spans) {
    EXPECT_EQ(sp.image, next) << "a gap or an overlap before image byte " << sp.image;
    next = sp.image + sp.size;
  }
  EXPECT_EQ(next, static_cast<int>(kMapImageSize));

  // The program's layout against it: a record value reaches only the image bytes of its
  // own row, so no field of the program spills into its neighbour or a reserved byte.
  // The VVT offset also decides the bytes of the VVT cells it is subtracted from.
  const MapImage empty = EncodeMapImage(*EmptyMap());
  auto check = [&](const char* what, int record, const MapImage& img, Span own) {
    int stray = 0;
    for (int k = 0; k < static_cast<int>(kMapImageSize) && stray < 3; ++k) {
      if (img[k] == empty[k] || (k >= own.image && k < own.image + own.size)) continue;
      if (record == 13248 && k >= 2976 && k < 3136) continue;
      ++stray;
      ADD_FAILURE() << what << " (record " << record << ") changed image byte " << k;
    }
  };
  int salt = 0;
  for (const Row& r : kRows) {
    ++salt;
    for (int round : {0, 2}) {
      auto m = EmptyMap();
      for (int i = 0; i < r.count; ++i) SetRecordValue(*m, r, i, CaseValue(round, i, salt, r.wlo, r.whi));
      check("row", r.record, EncodeMapImage(*m), {r.image, r.count * r.width});
    }
  }
  // And back: an image value of a row reaches only the row's record places; the VVT
  // offset is added to every VVT cell.
  auto emptyRecord = EmptyMap();
  DecodeMapImage(MapImage{}, *emptyRecord);
  salt = 0;
  for (const Row& r : kRows) {
    salt += 5;
    for (int round : {0, 2}) {
      MapImage img{};
      for (int i = 0; i < r.count; ++i)
        SetImageValue(img, r.image + static_cast<size_t>(i) * r.width, r.width, CaseValue(round, i, salt, r.rlo, r.rhi));
      auto m = EmptyMap();
      DecodeMapImage(img, *m);
      int stray = 0;
      for (size_t k = 0; k < kMapRecordSize && stray < 3; ++k) {
        if (m->Bytes()[k] == emptyRecord->Bytes()[k]) continue;
        bool own = r.image == 4062 && k >= 8620 && k < 8620 + 34 * 17 * 2;
        for (int i = 0; i < r.count && !own; ++i) {
          const size_t at = RecordAt(r, i);
          own = k >= at && k < at + (r.elt == Elt::Word ? 2 : 1);
        }
        if (!own) {
          ++stray;
          ADD_FAILURE() << "image " << r.image << " changed record byte " << k;
        }
      }
    }
  }

  const SpecialChange specials[] = {
      {"name", [](TMapRecord& m) { m.MapName.Set("C:\\maps\\race"); }, {0, 32}},
      {"comments", [](TMapRecord& m) { m.Comments.Set(AnsiString(255, 'c')); }, {32, 256}},
      {"owner", [](TMapRecord& m) { m.Owner.Set("owner"); }, {32, 256}},
      {"AFR correction", [](TMapRecord& m) { m.AFRCorrectionTable[32][16] = 1000; }, {1312, 1024}},
      {"AFR mode", [](TMapRecord& m) { m.AFRModeTable[32][16] = 3; }, {1312, 1024}},
      {"VVT cell", [](TMapRecord& m) { m.VVTTable[32][5] = 9; }, {2976, 160}},
      {"shift start", [](TMapRecord& m) { m.SeqShiftStart = 4000; }, {3636, 2}},
      {"battery type", [](TMapRecord& m) { m.BattCompType = 0; }, {3773, 1}},
      {"main throttle sites", [](TMapRecord& m) { m.MainThrottleSites[15] = 99; }, {3970, 32}},
      {"fifth axis", [](TMapRecord& m) { m.AddThrottleSites[4][4] = 99; }, {4042, 10}},
  };
  for (const SpecialChange& c : specials) {
    auto m = EmptyMap();
    m->BattCompType = 1;
    c.set(*m);
    auto base = EmptyMap();
    base->BattCompType = 1;
    const MapImage before = EncodeMapImage(*base), after = EncodeMapImage(*m);
    int changed = 0;
    for (int k = 0; k < static_cast<int>(kMapImageSize); ++k) {
      if (before[k] == after[k]) continue;
      ++changed;
      EXPECT_TRUE(k >= c.image.image && k < c.image.image + c.image.size) << c.field << " changed image byte " << k;
    }
    EXPECT_GT(changed, 0) << c.field;
  }
}

TEST(MapImageFields, WriterPutsEachRecordValueAtItsImageBytes) {
  int salt = 0;
  for (const Row& r : kRows) {
    ++salt;
    for (int round = 0; round < 3; ++round) {
      auto m = EmptyMap();
      for (int i = 0; i < r.count; ++i) SetRecordValue(*m, r, i, CaseValue(round, i, salt, r.wlo, r.whi));
      const MapImage img = EncodeMapImage(*m);
      int wrong = 0;
      for (int i = 0; i < r.count && wrong < 3; ++i) {
        const int v = CaseValue(round, i, salt, r.wlo, r.whi);
        const int expected = r.write(r.elt == Elt::Byte ? v & 0xFF : v) & (r.width == 1 ? 0xFF : 0xFFFF);
        const size_t at = r.image + static_cast<size_t>(i) * r.width;
        if (ImageValue(img, at, r.width) != expected) {
          ++wrong;
          ADD_FAILURE() << "image " << at << " (record " << RecordAt(r, i) << " = " << v << "): "
                        << ImageValue(img, at, r.width) << ", expected " << expected;
        }
      }
    }
  }
}

TEST(MapImageFields, ReaderPutsEachImageValueAtItsRecordPlace) {
  int salt = 0;
  for (const Row& r : kRows) {
    salt += 3;
    for (int round = 0; round < 3; ++round) {
      MapImage img{};
      for (int i = 0; i < r.count; ++i)
        SetImageValue(img, r.image + static_cast<size_t>(i) * r.width, r.width,
                      CaseValue(round, i, salt, r.rlo, r.rhi));
      auto m = EmptyMap();
      DecodeMapImage(img, *m);
      int wrong = 0;
      for (int i = 0; i < r.count && wrong < 3; ++i) {
        const int raw = CaseValue(round, i, salt, r.rlo, r.rhi) & (r.width == 1 ? 0xFF : 0xFFFF);
        const int expected = r.read(raw) & (r.elt == Elt::Word ? 0xFFFF : 0xFF);
        if (RecordValue(*m, r, i) != expected) {
          ++wrong;
          ADD_FAILURE() << "record " << RecordAt(r, i) << " from image " << r.image + i * r.width << " = " << raw
                        << ": " << RecordValue(*m, r, i) << ", expected " << expected;
        }
      }
    }
  }
}

TEST(MapImageFields, ReservedAndFixedBytes) {
  // A record with every byte set still sends the reserved bytes as zeros and the fixed 05.
  auto m = EmptyMap();
  std::memset(m->Bytes(), 0x5A, kMapRecordSize);
  const MapImage img = EncodeMapImage(*m);
  const std::pair<int, int> reserved[] = {{3564, 32}, {3663, 1}, {3671, 1}, {3682, 1}, {3694, 10},
                                          {3713, 1},  {3741, 5}, {3757, 1}, {3768, 5}, {3784, 6},
                                          {3792, 32}, {3841, 63}, {4052, 10}, {4065, 1}};
  for (auto [at, n] : reserved)
    for (int k = 0; k < n; ++k) EXPECT_EQ(img[at + k], 0) << at + k;
  EXPECT_EQ(img[3740], 0x05);
}

TEST(MapImageFields, AfrCorrectionAndModeOfEveryCell) {
  auto m = EmptyMap();
  for (int i = 0; i < 512; ++i) {
    const int s = i % 32, l = i / 32;
    m->AFRCorrectionTable[s + 1][l + 1] = static_cast<int16_t>(Sample(i, 1, -16384, 16383));
    m->AFRModeTable[s + 1][l + 1] = static_cast<uint8_t>(i % 7);
  }
  const MapImage img = EncodeMapImage(*m);
  for (int i = 0; i < 512; ++i) {
    const int v = Sample(i, 1, -16384, 16383);
    const int expected = (((v + 16384) & 0xFFFC) + (i % 7 & 3)) & 0xFFFF;
    ASSERT_EQ(ImageValue(img, 1312 + 2 * i, 2), expected) << i;
  }
  auto back = EmptyMap();
  DecodeMapImage(img, *back);
  for (int i = 0; i < 512; ++i) {
    const int w = ImageValue(img, 1312 + 2 * i, 2);
    ASSERT_EQ(back->AFRCorrectionTable[i % 32 + 1][i / 32 + 1], static_cast<int16_t>((w & 0xFFFC) - 16384)) << i;
    ASSERT_EQ(back->AFRModeTable[i % 32 + 1][i / 32 + 1], w & 3) << i;
  }
}

TEST(MapImageFields, VVTCellsTravelRelativeToTheOffset) {
  auto m = EmptyMap();
  m->VVTOffset = -40;
  for (int i = 0; i < 160; ++i) m->VVTTable[i % 32 + 1][i / 32 + 1] = static_cast<int16_t>(Sample(i, 2, -40, 215));
  const MapImage img = EncodeMapImage(*m);
  for (int i = 0; i < 160; ++i) ASSERT_EQ(img[2976 + i], Sample(i, 2, -40, 215) + 40) << i;

  MapImage in{};
  for (int i = 0; i < 160; ++i) in[2976 + i] = static_cast<uint8_t>(Sample(i, 3, 0, 255));
  in[4062] = 0x01, in[4063] = 0x2C;  // offset 300
  auto back = EmptyMap();
  DecodeMapImage(in, *back);
  EXPECT_EQ(back->VVTOffset, 300);
  for (int i = 0; i < 160; ++i) ASSERT_EQ(back->VVTTable[i % 32 + 1][i / 32 + 1], Sample(i, 3, 0, 255) + 300) << i;
}

TEST(MapImageFields, SequentialShiftStartFollowsItsMode) {
  struct Case {
    int mode, start;
    int image;
  } writes[] = {{1, 4005, 400}, {1, 2550, 255}, {0, 4005, 4005}, {2, 4005, 4005}, {0, 20000, 20000}};
  for (const Case& c : writes) {
    auto m = EmptyMap();
    m->SeqShiftType = static_cast<uint8_t>(c.mode);
    m->SeqShiftStart = static_cast<uint16_t>(c.start);
    const MapImage img = EncodeMapImage(*m);
    EXPECT_EQ(ImageValue(img, 3636, 2), c.image) << c.mode << " " << c.start;
    EXPECT_EQ(img[3635], c.mode);
  }
  // On reading, the mode byte (at most 1) comes first and decides the scale.
  struct Read {
    int modeByte, word;
    int start;
  } reads[] = {{1, 123, 1230}, {1, 300, 2550}, {7, 123, 1230}, {0, 15000, 15000}, {0, 25000, 20000}};
  for (const Read& c : reads) {
    MapImage img{};
    img[3635] = static_cast<uint8_t>(c.modeByte);
    SetImageValue(img, 3636, 2, c.word);
    auto m = EmptyMap();
    DecodeMapImage(img, *m);
    EXPECT_EQ(m->SeqShiftStart, c.start) << c.modeByte << " " << c.word;
  }
}

TEST(MapImageFields, EachLoadAxisFollowsItsOwnOptionBit) {
  struct Axis {
    int image, sites, bit, throttle, map;
  } axes[] = {
      {3970, 16, 0, 13954, 14022}, {4002, 5, 1, 13274, 13614}, {4012, 5, 5, 13478, 13818},
      {4022, 5, 2, 13342, 13682},  {4032, 5, 3, 13410, 13750}, {4042, 5, 4, 13546, 13886},
  };
  auto word = [](const TMapRecord& m, int at) { return static_cast<int16_t>(m.Bytes()[at] | m.Bytes()[at + 1] << 8); };
  auto setWord = [](TMapRecord& m, int at, int v) {
    m.Bytes()[at] = static_cast<uint8_t>(v & 0xFF);
    m.Bytes()[at + 1] = static_cast<uint8_t>((v >> 8) & 0xFF);
  };
  for (const Axis& a : axes) {
    for (const bool mapForm : {false, true}) {
      // Every other bit set the other way, so that only this axis's bit decides.
      const int options = mapForm ? 1 << a.bit : 0x3F & ~(1 << a.bit);
      auto m = EmptyMap();
      m->LoadOptions = static_cast<int16_t>(options);
      for (int i = 0; i < a.sites; ++i) {
        setWord(*m, a.throttle + 2 * i, 3 + 7 * i);
        setWord(*m, a.map + 2 * i, 20 + 11 * i);
      }
      const MapImage img = EncodeMapImage(*m);
      for (int i = 0; i < a.sites; ++i)
        EXPECT_EQ(ImageValue(img, a.image + 2 * i, 2), mapForm ? 10 * (20 + 11 * i) : 3 + 7 * i)
            << a.image << " bit " << a.bit << " site " << i << (mapForm ? " MAP" : " throttle");

      MapImage in{};
      in[3969] = static_cast<uint8_t>(options);
      for (int i = 0; i < a.sites; ++i) SetImageValue(in, a.image + 2 * i, 2, 1000 + 37 * i);
      auto back = EmptyMap();
      for (int i = 0; i < a.sites; ++i) {
        setWord(*back, a.throttle + 2 * i, -1);
        setWord(*back, a.map + 2 * i, -1);
      }
      DecodeMapImage(in, *back);
      for (int i = 0; i < a.sites; ++i) {
        EXPECT_EQ(word(*back, a.throttle + 2 * i), mapForm ? -1 : 1000 + 37 * i) << a.image << " site " << i;
        EXPECT_EQ(word(*back, a.map + 2 * i), mapForm ? (1000 + 37 * i) / 10 : -1) << a.image << " site " << i;
      }
    }
  }
}

// The fifth 5-site axis on a record whose every byte is its offset's low byte, so each
// record word reads as the two bytes of its own place: image bytes 4042-4051 show which
// record words they came from, and a read puts them back into those words only.
TEST(MapImageFields, FifthAxisBytesComeFromAndGoBackToTheirOwnRecordWords) {
  auto patterned = [] {
    auto m = EmptyMap();
    for (size_t k = 0; k < kMapRecordSize; ++k) m->Bytes()[k] = static_cast<uint8_t>(k & 0xFF);
    return m;
  };
  auto fifth = [](const MapImage& img) { return std::vector<int>(img.begin() + 4042, img.begin() + 4052); };

  // Bit 4 of the option word clear: the throttle words at 13546, 13548 ... 13554, high byte
  // first (record bytes 13546 = EA, 13547 = EB give the word EB EA).
  auto m = patterned();
  m->Bytes()[14294] = 0xC6;  // the pattern's D6 with bit 4 cleared
  EXPECT_EQ(fifth(EncodeMapImage(*m)),
            (std::vector<int>{0xEB, 0xEA, 0xED, 0xEC, 0xEF, 0xEE, 0xF1, 0xF0, 0xF3, 0xF2}));

  // Bit 4 set: ten times the MAP words at 13886 ... 13894. The words after them hold other
  // values, so a list that starts one word late shows.
  m = patterned();
  m->Bytes()[14294] = 0x10;
  const int mapWords[] = {7, 11, 22, 33, 44, 55, 66};  // words 13886 ... 13898
  for (int i = 0; i < 7; ++i) {
    m->Bytes()[13886 + 2 * i] = static_cast<uint8_t>(mapWords[i]);
    m->Bytes()[13887 + 2 * i] = 0;
  }
  // 70, 110, 220, 330, 440
  EXPECT_EQ(fifth(EncodeMapImage(*m)),
            (std::vector<int>{0x00, 0x46, 0x00, 0x6E, 0x00, 0xDC, 0x01, 0x4A, 0x01, 0xB8}));

  // Reading: 01 02, 03 04 ... 09 0A. Bit 4 clear: the words 0x0102 ... 0x090A land at 13546
  // ... 13554, low byte first; bit 4 set: a tenth of each (25, 77, 128, 180, 231) at 13886
  // ... 13894. Every other record byte keeps the pattern.
  for (const int options : {0x00, 0x10, 0x2F, 0x3F}) {
    MapImage img{};
    img[3969] = static_cast<uint8_t>(options);
    for (int k = 0; k < 10; ++k) img[4042 + k] = static_cast<uint8_t>(k + 1);
    auto r = patterned();
    DecodeMapImage(img, *r);
    const bool mapForm = (options & 0x10) != 0;
    const size_t at = mapForm ? 13886 : 13546;
    const std::vector<int> words = mapForm ? std::vector<int>{25, 77, 128, 180, 231}
                                           : std::vector<int>{0x0102, 0x0304, 0x0506, 0x0708, 0x090A};
    for (size_t i = 0; i < 5; ++i) {
      EXPECT_EQ(r->Bytes()[at + 2 * i], words[i] & 0xFF) << "options " << options << " site " << i;
      EXPECT_EQ(r->Bytes()[at + 2 * i + 1], words[i] >> 8) << "options " << options << " site " << i;
    }
    for (size_t k : {at - 2, at - 1, at + 10, at + 11, mapForm ? size_t{13546} : size_t{13886}})
      EXPECT_EQ(r->Bytes()[k], k & 0xFF) << "options " << options << " record byte " << k;
  }
}

TEST(MapImageFields, BatteryCompensationType) {
  // Record type 0 is the user table: the image says 01; any other type is the basic 00.
  const std::pair<int, int> writes[] = {{0, 0x01}, {1, 0x00}, {7, 0x00}};
  for (auto [type, byte] : writes) {
    auto m = EmptyMap();
    m->BattCompType = static_cast<uint8_t>(type);
    EXPECT_EQ(EncodeMapImage(*m)[3773], byte) << type;
  }
  const std::pair<int, int> reads[] = {{0x01, 0}, {0x80, 0}, {0x00, 1}};
  for (auto [byte, type] : reads) {
    MapImage img{};
    img[3773] = static_cast<uint8_t>(byte);
    auto m = EmptyMap();
    m->BattCompType = 9;
    DecodeMapImage(img, *m);
    EXPECT_EQ(m->BattCompType, type) << byte;
  }
}

TEST(MapImageFields, ImageReceivedAsBytesIsDecoded) {
  MapImage img{};
  std::memcpy(img.data(), "bank three", 10);
  img[288 + 32 + 1] = 130;       // ignition s 1, l 1: 5 degrees
  img[3904] = 0x1F, img[3905] = 0x40;  // speed site 0: 8000 rpm
  std::string bytes(img.begin(), img.end());
  auto m = EmptyMap();
  DecodeMapImage(std::string_view(bytes), *m);
  EXPECT_EQ(m->MapName.Get().substr(0, 10), "bank three");
  EXPECT_EQ(m->Source, 2);
  EXPECT_EQ(m->IgnitionTable[2][2], 5);
  EXPECT_EQ(m->SpeedSites[0], 8000);
}

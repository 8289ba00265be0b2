#include "model/MapImage.h"

#include <algorithm>

#include "platform/rtl/SysUtils.h"

namespace ecu {
namespace {

// ---- Record access by byte offset: the image layout names record fields by offset.

int GetWord(const TMapRecord& m, size_t at) {
  const uint8_t* p = m.Bytes() + at;
  return static_cast<int16_t>(static_cast<uint16_t>(p[0] | p[1] << 8));
}
void PutWord(TMapRecord& m, size_t at, int v) {
  const auto u = static_cast<uint16_t>(v);
  m.Bytes()[at] = static_cast<uint8_t>(u & 0xFF);
  m.Bytes()[at + 1] = static_cast<uint8_t>(u >> 8);
}

// ---- Value conversions: record value to image value, and raw image value back.

struct Codec {
  int (*toImage)(int v);
  int (*toRecord)(int raw);
};

int Limit(int v, int lo, int hi) { return std::clamp(v, lo, hi); }
int Signed8(int b) { return b >= 128 ? b - 256 : b; }
int Signed16(int w) { return w > 32767 ? w - 65536 : w; }

constexpr Codec kPlain{[](int v) { return v; }, [](int raw) { return raw; }};
constexpr Codec kSignedByte{[](int v) { return v; }, Signed8};
// Ignition degrees travel as half degrees plus 120.
constexpr Codec kIgnition{[](int v) { return 2 * v + 120; }, [](int b) { return (b - 120) / 2; }};
// Temperature ignition corrections travel as 132 minus half degrees.
constexpr Codec kTempIgnition{[](int v) { return 132 - 2 * v; }, [](int b) { return (132 - b) / 2; }};
constexpr Codec kFlag{[](int v) { return v ? 0xFF : 0x00; }, [](int b) { return b ? 1 : 0; }};
constexpr Codec kFlag01{[](int v) { return v ? 0x01 : 0x00; }, [](int b) { return b ? 1 : 0; }};
constexpr Codec kBit0{[](int v) { return v ? 0x01 : 0x00; }, [](int b) { return b & 1; }};
// The injector timing byte counts steps of four.
constexpr Codec kInjTiming{[](int v) { return Limit(v / 4, 0, 255); },
                           [](int b) { return std::min(4 * b, 720); }};
constexpr Codec kMapCompPressure{[](int v) { return 10 * v; },
                                 [](int w) { return std::min(w, 6000) / 10; }};
constexpr Codec kCompSigned{[](int v) { return v; },
                            [](int w) { return Limit(Signed16(w), -100, 999); }};
// The MAP and BARO ignition corrections: the editors allow -50 .. 60 degrees, so the
// reader keeps that whole range.
constexpr Codec kMapComp3{[](int v) { return 132 - 2 * v; },
                          [](int b) { return Limit((132 - b) / 2, -50, 60); }};
constexpr Codec kBaroComp3{[](int v) { return 2 * v; },
                           [](int b) { return Limit(Signed8(b) / 2, -50, 60); }};
constexpr Codec kBaroPressure{[](int v) { return v; }, [](int w) { return std::min(w, 1200); }};
constexpr Codec kAtMost1{[](int v) { return v; }, [](int b) { return std::min(b, 1); }};
constexpr Codec kAtMost25{[](int v) { return v; }, [](int b) { return std::min(b, 25); }};
constexpr Codec kAtMost20000{[](int v) { return v; }, [](int w) { return std::min(w, 20000); }};
// Temperatures in degC travel as degC + 40.
constexpr Codec kTemp40{[](int v) { return Limit(v + 40, 0, 255); },
                        [](int b) { return std::min(b, 180) - 40; }};
constexpr Codec kHalf{[](int v) { return 2 * v; }, [](int b) { return b / 2; }};
constexpr Codec kDiv10{[](int v) { return v / 10; }, [](int b) { return 10 * b; }};
constexpr Codec kTimes10{[](int v) { return 10 * v; }, [](int w) { return std::max(w / 10, 0); }};
constexpr Codec kMinus10{[](int v) { return Limit(v - 10, 0, 255); }, [](int b) { return b + 10; }};
constexpr Codec kMinus10Capped{[](int v) { return Limit(v - 10, 0, 255); },
                               [](int b) { return std::min(b + 10, 255); }};
constexpr Codec kNegativeOrZero{[](int v) { return v; }, [](int b) { return b ? b - 256 : 0; }};

// ---- The layout table.

enum class Kind : uint8_t {
  Values,         // `count` record values through `codec`
  Fixed,          // `count` bytes of `fixed`, skipped on reading
  Name,           // the 32-byte map name
  Texts,          // the 256-byte block of detail texts
  AfrCorrection,  // correction and mode, two bytes per cell
  VVTTable,       // relative to the VVT offset
  SeqShiftStart,  // scaled by the sequential shift mode
  LoadAxis,       // throttle or MAP form by an option bit
  BattCompType,   // inverted type byte
};
enum class Rec : uint8_t { Word, Byte };
// Where element i of a field lies in the record.
enum class Place : uint8_t {
  List,       // record + i x element size
  MainTable,  // load site outer: l = i / 32, s = i % 32
  Cranking,   // l = i / 14, k = i % 14; column k + 1, row l
};

struct MapField {
  uint16_t image;
  uint16_t count;
  uint8_t width;  // image bytes per element
  Kind kind;
  Rec rec;
  Place place;
  uint16_t record;
  Codec codec;
  uint16_t mapRecord = 0;  // LoadAxis: the MAP form
  int8_t optionBit = 0;    // LoadAxis: bit of the option word that selects the MAP form
  uint8_t fixed = 0;       // Fixed
};

constexpr uint16_t kOptionWord = 14294;
constexpr uint16_t kVVTOffset = 13248;
constexpr uint16_t kVVTTable = 8620;
constexpr uint16_t kAfrModeTable = 17086;
constexpr uint16_t kSeqShiftMode = 16944;
constexpr uint16_t kBattCompType = 16676;

constexpr MapField Words(uint16_t image, uint16_t count, uint16_t record, uint8_t width,
                         Codec codec) {
  return {image, count, width, Kind::Values, Rec::Word, Place::List, record, codec};
}
constexpr MapField ByteRecs(uint16_t image, uint16_t count, uint16_t record, Codec codec) {
  return {image, count, 1, Kind::Values, Rec::Byte, Place::List, record, codec};
}
constexpr MapField Table(uint16_t image, uint16_t rows, uint16_t record, Codec codec) {
  return {image, static_cast<uint16_t>(rows * 32), 1, Kind::Values, Rec::Word, Place::MainTable,
          record, codec};
}
constexpr MapField Fixed(uint16_t image, uint16_t count, uint8_t value = 0) {
  MapField f{image, count, 1, Kind::Fixed, Rec::Byte, Place::List, 0, kPlain};
  f.fixed = value;
  return f;
}
constexpr MapField Special(uint16_t image, uint16_t count, uint8_t width, Kind kind) {
  return {image, count, width, kind, Rec::Word, Place::List, 0, kPlain};
}
constexpr MapField Axis(uint16_t image, uint16_t count, int8_t bit, uint16_t throttle,
                        uint16_t map) {
  MapField f{image, count, 2, Kind::LoadAxis, Rec::Word, Place::List, throttle, kPlain};
  f.mapRecord = map;
  f.optionBit = bit;
  return f;
}

// The whole bank image in image order; it drives both the writer and the reader.
constexpr MapField kMapImageFields[] = {
    Special(0, 32, 1, Kind::Name),
    Special(32, 256, 1, Kind::Texts),
    Table(288, 16, 512, kIgnition),
    Table(800, 16, 1668, kPlain),
    Special(1312, 512, 2, Kind::AfrCorrection),
    Table(2336, 5, 12090, kInjTiming),
    Table(2496, 5, 7464, kPlain),
    Table(2656, 5, 5136, kPlain),
    Table(2816, 5, 6292, kPlain),
    Special(2976, 160, 1, Kind::VVTTable),
    Table(3136, 5, 10932, kPlain),
    Words(3296, 14, 14456, 1, kTempIgnition),
    Words(3310, 14, 14524, 1, kSignedByte),
    Words(3324, 14, 14592, 1, kPlain),
    Words(3338, 14, 14728, 1, kTempIgnition),
    Words(3352, 14, 14796, 1, kSignedByte),
    Words(3366, 14, 15064, 1, kPlain),
    Words(3380, 14, 14928, 1, kPlain),
    Words(3394, 14, 16288, 1, kPlain),
    Words(3408, 14, 14996, 1, kPlain),
    Words(3422, 14, 16758, 1, kPlain),
    Words(3436, 14, 16356, 1, kPlain),
    Words(3450, 14, 14660, 1, kPlain),
    Words(3464, 20, 14332, 2, kMapCompPressure),
    Words(3504, 20, 14374, 2, kCompSigned),
    Words(3544, 20, 14416, 1, kMapComp3),
    Fixed(3564, 32),
    Words(3596, 32, 14864, 1, kPlain),
    Words(3628, 1, 16948, 2, kPlain),
    Words(3630, 1, 16950, 2, kPlain),
    Words(3632, 1, 16938, 2, kPlain),
    ByteRecs(3634, 1, 16940, kFlag),
    ByteRecs(3635, 1, kSeqShiftMode, kAtMost1),
    Special(3636, 1, 2, Kind::SeqShiftStart),
    Words(3638, 1, 16946, 2, kAtMost20000),
    // The record keeps the idle-up speed in units of 10 rpm, as the image does.
    Words(3640, 1, 16826, 1, kPlain),
    Words(3641, 1, 16828, 1, kPlain),
    Words(3642, 4, 16930, 1, kTemp40),
    Words(3646, 1, 16830, 2, kPlain),
    Words(3648, 1, 16832, 2, kPlain),
    ByteRecs(3650, 1, 16842, kFlag),
    Words(3651, 1, 16844, 1, kHalf),
    Words(3652, 1, 16846, 1, kAtMost25),
    ByteRecs(3653, 1, 16925, kFlag),
    Words(3654, 1, 16926, 2, kPlain),
    Words(3656, 1, 16928, 2, kPlain),
    Words(3658, 1, 16688, 1, kPlain),
    Words(3659, 1, 16678, 1, kPlain),
    Words(3660, 1, 16680, 1, kPlain),
    Words(3661, 1, 16682, 1, kPlain),
    Words(3662, 1, 16686, 1, kPlain),
    Fixed(3663, 1),
    ByteRecs(3664, 2, 16952, kPlain),
    ByteRecs(3666, 1, 16954, kFlag),
    ByteRecs(3667, 3, 16955, kPlain),
    ByteRecs(3670, 1, 16958, kFlag),
    Fixed(3671, 1),
    ByteRecs(3672, 2, 16959, kPlain),
    ByteRecs(3674, 1, 16961, kMinus10Capped),
    ByteRecs(3675, 7, 16962, kPlain),
    Fixed(3682, 1),
    ByteRecs(3683, 1, 16972, kPlain),
    Words(3684, 1, 16970, 2, kTimes10),
    Words(3686, 8, 7448, 1, kPlain),
    Fixed(3694, 10),
    Words(3704, 5, 16424, 1, kPlain),
    Words(3709, 1, 16836, 1, kPlain),
    Words(3710, 1, 16838, 1, kDiv10),
    Words(3711, 1, 16834, 1, kPlain),
    Words(3712, 1, 16840, 1, kPlain),
    Fixed(3713, 1),
    Words(3714, 3, 16848, 1, kPlain),
    Words(3717, 1, 16854, 1, kTemp40),
    Words(3718, 3, 16856, 1, kPlain),
    Words(3721, 1, 16862, 1, kNegativeOrZero),
    Words(3722, 8, 16868, 1, kPlain),
    Words(3730, 1, 16866, 1, kPlain),
    ByteRecs(3731, 7, 16884, kPlain),
    Words(3738, 1, 13252, 1, kPlain),
    Words(3739, 1, 13254, 1, kMinus10),
    Fixed(3740, 1, 0x05),
    Fixed(3741, 5),
    ByteRecs(3746, 1, 13250, kFlag01),
    Words(3747, 1, 13256, 1, kPlain),
    Words(3748, 1, 13258, 1, kSignedByte),
    Words(3749, 1, 13262, 1, kPlain),
    Words(3750, 1, 13260, 1, kSignedByte),
    Words(3751, 1, 13264, 1, kPlain),
    ByteRecs(3752, 1, 13251, kFlag01),
    Words(3753, 1, 13266, 1, kPlain),
    Words(3754, 1, 13270, 1, kPlain),
    Words(3755, 1, 13268, 1, kPlain),
    Words(3756, 1, 13272, 1, kPlain),
    Fixed(3757, 1),
    Words(3758, 10, 16636, 1, kPlain),
    Fixed(3768, 5),
    Special(3773, 1, 1, Kind::BattCompType),
    Words(3774, 10, 16656, 1, kSignedByte),
    Fixed(3784, 6),
    Words(3790, 1, 12088, 1, kPlain),
    Words(3791, 1, 510, 1, kIgnition),
    Fixed(3792, 32),
    Words(3824, 8, 14296, 1, kPlain),
    Words(3832, 8, 14312, 1, kPlain),
    ByteRecs(3840, 1, 14328, kBit0),
    Fixed(3841, 63),
    Words(3904, 32, 14090, 2, kPlain),
    ByteRecs(3968, 1, 16924, kPlain),
    Words(3969, 1, kOptionWord, 1, kPlain),
    Axis(3970, 16, 0, 13954, 14022),
    Axis(4002, 5, 1, 13274, 13614),
    Axis(4012, 5, 5, 13478, 13818),
    Axis(4022, 5, 2, 13342, 13682),
    Axis(4032, 5, 3, 13410, 13750),
    // The fifth table's axis, from the start of its site columns like the other four and
    // read back into the same words, so a read then a program leaves the bank as it was.
    Axis(4042, 5, 4, 13546, 13886),
    Fixed(4052, 10),
    Words(4062, 1, kVVTOffset, 2, kPlain),
    Words(4064, 1, 13246, 1, kPlain),
    Fixed(4065, 1),
    Words(4066, 1, 16974, 2, kPlain),
    Words(4068, 1, 16978, 2, kPlain),
    Words(4070, 1, 16976, 1, kPlain),
    Words(4071, 1, 16980, 1, kPlain),
    {4072, 70, 1, Kind::Values, Rec::Word, Place::Cranking, 15132, kPlain},
    Words(4142, 5, 14226, 2, kPlain),
    Words(4152, 32, 16690, 1, kPlain),
    ByteRecs(4184, 1, 16982, kFlag01),
    Words(4185, 1, 16984, 1, kPlain),
    ByteRecs(4186, 1, 16986, kPlain),
    Words(4187, 1, 16988, 1, kPlain),
    ByteRecs(4188, 1, 16990, kPlain),
    ByteRecs(4189, 7, 16991, kPlain),
    Words(4196, 1, 16998, 2, kPlain),
    Words(4198, 1, 17000, 2, kPlain),
    Words(4200, 8, 17002, 2, kPlain),
    Table(4216, 16, 2824, kPlain),
    ByteRecs(4728, 2, 17664, kPlain),
    ByteRecs(4730, 20, 17666, kPlain),
    ByteRecs(4750, 4, 17686, kPlain),
    Words(4754, 1, 17690, 2, kPlain),
    Words(4756, 1, 17692, 2, kPlain),
    ByteRecs(4758, 6, 17694, kPlain),
    Words(4764, 20, 17702, 2, kBaroPressure),
    Words(4804, 20, 17744, 2, kCompSigned),
    Words(4844, 20, 17786, 1, kBaroComp3),
    ByteRecs(4864, 1280, 17826, kPlain),
};

constexpr size_t ElementSize(Rec r) { return r == Rec::Word ? 2 : 1; }

constexpr size_t RecordOffset(const MapField& f, size_t i) {
  switch (f.place) {
    case Place::MainTable: return f.record + (i % 32 + 1) * 34 + (i / 32 + 1) * 2;
    case Place::Cranking: return f.record + (i % 14 + 1) * 34 + (i / 14) * 2;
    case Place::List: break;
  }
  return f.record + i * ElementSize(f.rec);
}

constexpr bool LayoutIsSound() {
  size_t next = 0;
  for (const MapField& f : kMapImageFields) {
    if (f.image != next) return false;
    next += size_t{f.count} * f.width;
    if (f.kind == Kind::Values && RecordOffset(f, f.count - 1) + ElementSize(f.rec) > kMapRecordSize)
      return false;
  }
  return next == kMapImageSize;
}
static_assert(LayoutIsSound(), "the fields tile the image and stay inside the record");

// ---- Image bytes.

void PutImage(uint8_t* at, int width, int v) {
  const auto u = static_cast<uint16_t>(v);
  if (width == 1) {
    at[0] = static_cast<uint8_t>(u & 0xFF);
  } else {
    at[0] = static_cast<uint8_t>(u >> 8);
    at[1] = static_cast<uint8_t>(u & 0xFF);
  }
}
int GetImage(const uint8_t* at, int width) { return width == 1 ? at[0] : at[0] << 8 | at[1]; }

int GetValue(const TMapRecord& m, Rec rec, size_t at) {
  return rec == Rec::Word ? GetWord(m, at) : m.Bytes()[at];
}
void PutValue(TMapRecord& m, Rec rec, size_t at, int v) {
  if (rec == Rec::Word)
    PutWord(m, at, v);
  else
    m.Bytes()[at] = static_cast<uint8_t>(v);
}

size_t AfrModeOffset(size_t i) { return kAfrModeTable + (i % 32 + 1) * 17 + (i / 32 + 1); }
size_t MainCellOffset(uint16_t table, size_t i) { return table + (i % 32 + 1) * 34 + (i / 32 + 1) * 2; }
bool OptionBit(const TMapRecord& m, int bit) { return (GetWord(m, kOptionWord) >> bit) & 1; }

template <typename Map, typename F>
void ForEachDetailText(Map& m, F f) {
  f(m.Date);
  f(m.Owner);
  f(m.Engine);
  f(m.Induction);
  f(m.Pressure);
  f(m.Injectors);
  f(m.InjectionType);
  f(m.Exhaust);
}

constexpr size_t kNameSize = 32;
constexpr size_t kTextBlockSize = 256;

void EncodeTexts(const TMapRecord& m, uint8_t* out) {
  AnsiString block;
  ForEachDetailText(m, [&](const auto& text) {
    block += text.Get();
    block.push_back('\0');
  });
  block += m.Comments.Get();
  // Full texts can outgrow the block; the comments, last in it, are cut so that the
  // image keeps its size (the eight short texts need at most 220 bytes).
  block.resize(kTextBlockSize, static_cast<char>(0xFF));
  std::copy(block.begin(), block.end(), out);
}

void DecodeTexts(const uint8_t* in, TMapRecord& m) {
  std::string_view rest(reinterpret_cast<const char*>(in), kTextBlockSize);
  ForEachDetailText(m, [](auto& text) { text.Set(AnsiString()); });
  m.Comments.Set(AnsiString());
  bool terminated = true;
  ForEachDetailText(m, [&](auto& text) {
    const size_t end = terminated ? rest.find('\0') : std::string_view::npos;
    if (end == std::string_view::npos) {
      terminated = false;
      return;
    }
    text.Set(AnsiString(rest.substr(0, end)));
    rest.remove_prefix(end + 1);
  });
  m.Comments.Set(AnsiString(rest.substr(0, rest.find(static_cast<char>(0xFF)))));
}

void EncodeField(const MapField& f, const TMapRecord& m, uint8_t* out) {
  for (size_t i = 0; i < f.count; ++i) {
    uint8_t* at = out + i * f.width;
    switch (f.kind) {
      case Kind::Values:
        PutImage(at, f.width, f.codec.toImage(GetValue(m, f.rec, RecordOffset(f, i))));
        break;
      case Kind::Fixed: *at = f.fixed; break;
      case Kind::AfrCorrection: {
        const int v = GetWord(m, MainCellOffset(3980, i));
        const int mode = m.Bytes()[AfrModeOffset(i)];
        PutImage(at, 2, ((v + 16384) & 0xFFFC) + (mode & 3));
        break;
      }
      case Kind::VVTTable:
        PutImage(at, 1, GetWord(m, MainCellOffset(kVVTTable, i)) - GetWord(m, kVVTOffset));
        break;
      case Kind::SeqShiftStart: {
        const int v = GetWord(m, 16942);
        PutImage(at, 2, m.Bytes()[kSeqShiftMode] == 1 ? v / 10 : v);
        break;
      }
      case Kind::LoadAxis:
        if (OptionBit(m, f.optionBit))
          PutImage(at, 2, 10 * GetWord(m, f.mapRecord + 2 * i));
        else
          PutImage(at, 2, GetWord(m, f.record + 2 * i));
        break;
      case Kind::BattCompType: *at = m.Bytes()[kBattCompType] == 0 ? 0x01 : 0x00; break;
      case Kind::Name: {
        AnsiString name = MapImageName(m);
        name.resize(kNameSize, ' ');
        std::copy(name.begin(), name.end(), out);
        return;
      }
      case Kind::Texts: EncodeTexts(m, out); return;
    }
  }
}

void DecodeField(const MapField& f, const uint8_t* in, TMapRecord& m) {
  for (size_t i = 0; i < f.count; ++i) {
    const uint8_t* at = in + i * f.width;
    switch (f.kind) {
      case Kind::Values:
        PutValue(m, f.rec, RecordOffset(f, i), f.codec.toRecord(GetImage(at, f.width)));
        break;
      case Kind::Fixed: break;
      case Kind::AfrCorrection: {
        const int w = GetImage(at, 2);
        PutWord(m, MainCellOffset(3980, i), (w & 0xFFFC) - 16384);
        m.Bytes()[AfrModeOffset(i)] = static_cast<uint8_t>(w & 3);
        break;
      }
      case Kind::VVTTable: PutWord(m, MainCellOffset(kVVTTable, i), *at); break;
      case Kind::SeqShiftStart: {
        const int w = GetImage(at, 2);
        PutWord(m, 16942, m.Bytes()[kSeqShiftMode] == 1 ? std::min(10 * w, 2550) : std::min(w, 20000));
        break;
      }
      case Kind::LoadAxis:
        if (OptionBit(m, f.optionBit))
          PutWord(m, f.mapRecord + 2 * i, GetImage(at, 2) / 10);
        else
          PutWord(m, f.record + 2 * i, GetImage(at, 2));
        break;
      case Kind::BattCompType: m.Bytes()[kBattCompType] = *at ? 0 : 1; break;
      case Kind::Name:
        m.MapName.Set(AnsiString(reinterpret_cast<const char*>(at), kNameSize));
        m.Source = 2;  // read from the ECU
        return;
      case Kind::Texts: DecodeTexts(in, m); return;
    }
  }
}

}  // namespace

uint16_t MapBankAddress(int bank, size_t imageOffset) {
  if (bank < 1 || bank > 3 || imageOffset >= kMapImageSize)
    throw ERangeError("Map bank address out of range");
  return static_cast<uint16_t>(1024 + (bank - 1) * kMapImageSize + imageOffset);
}

AnsiString MapImageName(const TMapRecord& map) {
  const AnsiString name = map.MapName.Get();
  const size_t cut = name.find_last_of("\\:");
  return cut == AnsiString::npos ? name : name.substr(cut + 1);
}

MapImage EncodeMapImage(const TMapRecord& map) {
  MapImage image{};
  for (const MapField& f : kMapImageFields) EncodeField(f, map, image.data() + f.image);
  return image;
}

void DecodeMapImage(const MapImage& image, TMapRecord& map) {
  for (const MapField& f : kMapImageFields) DecodeField(f, image.data() + f.image, map);
  // The VVT cells travel relative to the offset, which comes later in the image.
  const int offset = GetWord(map, kVVTOffset);
  for (size_t i = 0; i < 160; ++i) {
    const size_t at = MainCellOffset(kVVTTable, i);
    PutWord(map, at, GetWord(map, at) + offset);
  }
}

void DecodeMapImage(std::string_view image, TMapRecord& map) {
  if (image.size() != kMapImageSize)
    throw EConvertError("Map image of " + std::to_string(image.size()) + " bytes, expected " +
                        std::to_string(kMapImageSize));
  MapImage bytes;
  std::copy(image.begin(), image.end(), bytes.begin());
  DecodeMapImage(bytes, map);
}

}  // namespace ecu

#include "files/HKStreamCol.h"
#include <algorithm>
#include <cstring>
#include <vector>
#include "files/Blowfish.h"
#include "files/HKStreamRoutines.h"
#include "platform/classes/SafeFile.h"

namespace {

using Bytes = std::vector<uint8_t>;

// Container file: flag byte 0 ("&" compressed, anything else not), flag byte 1 ("*"
// scrambled, anything else not), then the body, compressed first and scrambled second.
constexpr uint8_t kCompressedFlag = '&';
constexpr uint8_t kScrambledFlag = '*';
constexpr uint8_t kPlainFlag = ' ';
constexpr size_t kFlagBytes = 2;

// Plain body: the magic, a u32 stream count, then per stream a u16 name length, the name,
// a u32 data size and the data; all little-endian.
constexpr uint8_t kMagic[8] = {1, 2, 3, 4, 5, 6, 7, 8};
constexpr size_t kCountOffset = sizeof(kMagic);
constexpr size_t kItemsOffset = kCountOffset + 4;

constexpr const char* kCorruptMessage = "File is corrupt.";

bool HasMagic(const Bytes& body) {
  return body.size() >= sizeof(kMagic) && std::memcmp(body.data(), kMagic, sizeof(kMagic)) == 0;
}

void PutU16(Bytes& out, uint32_t v) {
  out.push_back(static_cast<uint8_t>(v));
  out.push_back(static_cast<uint8_t>(v >> 8));
}
void PutU32(Bytes& out, uint32_t v) {
  PutU16(out, v & 0xFFFF);
  PutU16(out, v >> 16);
}

uint32_t GetU32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
         static_cast<uint32_t>(p[3]) << 24;
}

// Where one item of a plain body lies in it.
struct ItemSpan {
  size_t name_at, name_len, data_at, data_size;
};

// Finds the items of a plain body whose magic has been checked, without copying any of
// them. False when the body is shorter than its count and sizes say, or lists more
// streams than any container of the program holds.
bool ParseItems(const Bytes& body, std::vector<ItemSpan>& items) {
  if (body.size() < kItemsOffset) return false;
  const uint32_t count = GetU32(body.data() + kCountOffset);
  if (count > kMaxContainerStreams) return false;
  size_t pos = kItemsOffset;
  auto take = [&](size_t n, size_t& at) {
    if (body.size() - pos < n) return false;
    at = pos;
    pos += n;
    return true;
  };
  items.reserve(count);
  for (uint32_t i = 0; i < count; ++i) {
    ItemSpan item{};
    size_t at = 0;
    if (!take(2, at)) return false;
    item.name_len = static_cast<size_t>(body[at]) | static_cast<size_t>(body[at + 1]) << 8;
    if (!take(item.name_len, item.name_at)) return false;
    if (!take(4, at)) return false;
    item.data_size = GetU32(body.data() + at);
    if (!take(item.data_size, item.data_at)) return false;
    items.push_back(item);
  }
  return true;
}

bool MakeCipher(const AnsiString& key, blowfish::Cipher& cipher) {
  return cipher.SetKey(reinterpret_cast<const uint8_t*>(key.data()), key.size());
}

// Each 8-byte block holds two little-endian words, the left half first.
template <typename Op>
void ForEachBlock(Bytes& s, Op op) {
  for (size_t i = 0; i + 8 <= s.size(); i += 8) {
    uint32_t left = GetU32(&s[i]);
    uint32_t right = GetU32(&s[i + 4]);
    op(left, right);
    for (int k = 0; k < 4; ++k) {
      s[i + static_cast<size_t>(k)] = static_cast<uint8_t>(left >> (8 * k));
      s[i + 4 + static_cast<size_t>(k)] = static_cast<uint8_t>(right >> (8 * k));
    }
  }
}

// Pads with p bytes 0x01 and one byte p (p is 1..8) to a multiple of 8, then enciphers
// every block on its own.
void Scramble(Bytes& s, const AnsiString& key) {
  blowfish::Cipher cipher;
  if (s.empty() || !MakeCipher(key, cipher)) return;
  size_t rem = (s.size() + 1) % 8;
  size_t pad = rem != 0 ? 8 - rem : 8;
  s.insert(s.end(), pad, 0x01);
  s.push_back(static_cast<uint8_t>(pad));
  ForEachBlock(s, [&](uint32_t& l, uint32_t& r) { cipher.Encipher(l, r); });
}

// The reverse of Scramble. False when the data cannot be a scrambled string: not whole
// blocks, or a pad count that reaches before the start (as with a wrong key).
bool Unscramble(Bytes& s, const AnsiString& key) {
  blowfish::Cipher cipher;
  if (s.empty() || !MakeCipher(key, cipher)) return true;
  if (s.size() % 8 != 0) return false;
  ForEachBlock(s, [&](uint32_t& l, uint32_t& r) { cipher.Decipher(l, r); });
  size_t pad = s.back();
  if (pad + 1 > s.size()) return false;
  s.erase(s.end() - static_cast<std::ptrdiff_t>(pad + 1), s.end());
  return true;
}

Bytes ReadRest(TStream* stream) {
  int64_t rest = stream->Size() - stream->Position();
  Bytes bytes(static_cast<size_t>(rest > 0 ? rest : 0));
  if (!bytes.empty()) stream->ReadBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
  return bytes;
}

void WriteBytes(TStream* stream, const Bytes& b) {
  if (!b.empty()) stream->WriteBuffer(b.data(), static_cast<int64_t>(b.size()));
}

}  // namespace

THKStreams::THKStreams(TComponent* AOwner) : TComponent(AOwner) {
  names_.SetSorted(true);
  names_.SetCaseSensitive(false);
  names_.SetDuplicates(dupIgnore);
  names_.SetOwnsObjects(true);
}

THKStreams::~THKStreams() { ClearStreams(); }

void THKStreams::AddStream(const AnsiString& Name, TStream* Stream) {
  if (Stream == nullptr) return;
  TMemoryStream whole;
  whole.CopyFrom(Stream, 0);
  AddBytes(Name, whole.Memory(), static_cast<size_t>(whole.Size()));
}

void THKStreams::AddBytes(const AnsiString& Name, const void* Data, size_t Size) {
  int index = 0;
  if (Name.empty() || names_.Find(Name, index)) return;
  auto* copy = new TMemoryStream();
  try {
    if (Size > 0) copy->WriteBuffer(Data, static_cast<int64_t>(Size));
    copy->SetPosition(0);
    names_.AddObject(Name, copy);
  } catch (...) {
    delete copy;
    throw;
  }
}

void THKStreams::GetStream(const AnsiString& Name, TStream* Dest) {
  if (Name.empty() || Dest == nullptr) return;
  int index = 0;
  if (names_.Find(Name, index)) {
    auto* data = static_cast<TMemoryStream*>(names_.Objects(index));
    if (data->Size() > 0) Dest->WriteBuffer(data->Memory(), data->Size());
  }
  Dest->SetPosition(0);
}

void THKStreams::ClearStreams() { names_.Clear(); }

void THKStreams::RaiseCorrupt() {
  if (OnCorrupt) OnCorrupt(this);
  throw ECorruptFile(kCorruptMessage);
}

void THKStreams::LoadFromFile(const AnsiString& FileName, size_t MaxFileSize) {
  LoadFromFile(FileName, MaxFileSize, MaxFileSize);
}

void THKStreams::LoadFromFile(const AnsiString& FileName, size_t MaxFileSize, size_t MaxBodySize) {
  Bytes image;
  {
    const AnsiString file = safefile::ReadFile(FileName, MaxFileSize);
    image.assign(file.begin(), file.end());
  }
  LoadBytes(std::move(image), MaxBodySize);
}

void THKStreams::SaveToFile(const AnsiString& FileName) {
  TMemoryStream image;
  SaveToStream(&image);
  safefile::WriteFile(FileName, std::string_view(static_cast<const char*>(image.Memory()),
                                                 static_cast<size_t>(image.Size())));
}

void THKStreams::LoadFromStream(TStream* Stream, size_t MaxBodySize) { LoadBytes(ReadRest(Stream), MaxBodySize); }

void THKStreams::LoadBytes(Bytes body, size_t MaxBodySize) {
  if (body.size() < kFlagBytes) RaiseCorrupt();
  const bool compressed = body[0] == kCompressedFlag;
  const bool scrambled = body[1] == kScrambledFlag;
  body.erase(body.begin(), body.begin() + kFlagBytes);

  AnsiString key = Key;
  if (scrambled) {
    if (OnAskForKey) OnAskForKey(this, key);
    // Without a key nothing can be unscrambled; the scrambled bytes are not a body to read.
    if (key.empty() || !Unscramble(body, key)) RaiseCorrupt();
  }
  // An uncompressed body is checked before anything changes.
  if (!compressed && (!HasMagic(body) || body.size() > MaxBodySize)) RaiseCorrupt();
  if (compressed) {
    // The declared length is checked before a single byte is decoded, so the decoder
    // never produces more than the bound. A length past the codec's own limit is damaged
    // compression, which the codec reports; one within it but larger than a file of this
    // kind holds makes the container corrupt.
    if (body.size() >= 4) {
      const uint32_t declared = GetU32(body.data());
      if (declared <= kMaxPlainSize && declared > MaxBodySize) RaiseCorrupt();
    }
    Bytes plain = DecompressBytes(body.data(), body.size(), MaxBodySize);
    body.swap(plain);
  }
  // From here a failure leaves no streams at all rather than some of the file's.
  std::vector<ItemSpan> items;
  if (!HasMagic(body) || !ParseItems(body, items)) {
    ClearStreams();
    RaiseCorrupt();
  }
  ClearStreams();
  for (const ItemSpan& item : items)
    AddBytes(AnsiString(reinterpret_cast<const char*>(body.data() + item.name_at), item.name_len),
             body.data() + item.data_at, item.data_size);
  Key = key;
  Compressed = compressed;
  Encrypted = scrambled;
}

void THKStreams::SaveToStream(TStream* Stream) {
  Bytes body(kMagic, kMagic + sizeof(kMagic));
  PutU32(body, static_cast<uint32_t>(names_.Count()));
  for (int i = 0; i < names_.Count(); ++i) {
    const AnsiString name = names_.Strings(i);
    auto* data = static_cast<TMemoryStream*>(names_.Objects(i));
    // Lengths that do not fit their fields would make a file that cannot be read back.
    if (name.size() > 0xFFFF || static_cast<uint64_t>(data->Size()) > UINT32_MAX)
      throw EWriteError("Stream write error");
    PutU16(body, static_cast<uint32_t>(name.size()));
    body.insert(body.end(), name.begin(), name.end());
    PutU32(body, static_cast<uint32_t>(data->Size()));
    const uint8_t* p = static_cast<const uint8_t*>(data->Memory());
    body.insert(body.end(), p, p + data->Size());
  }

  const bool scramble = Encrypted && !Key.empty();
  const uint8_t flags[kFlagBytes] = {Compressed ? kCompressedFlag : kPlainFlag,
                                     scramble ? kScrambledFlag : kPlainFlag};
  if (Compressed) {
    TMemoryStream plain;
    WriteBytes(&plain, body);
    plain.SetPosition(0);
    TMemoryStream packed;
    CompressStream(&plain, &packed);
    const uint8_t* p = static_cast<const uint8_t*>(packed.Memory());
    body.assign(p, p + packed.Size());
  }
  if (scramble) Scramble(body, Key);
  Stream->WriteBuffer(flags, kFlagBytes);
  WriteBytes(Stream, body);
}

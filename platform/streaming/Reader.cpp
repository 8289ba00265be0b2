#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>
#include <strings.h>
#include "platform/classes/Lists.h"
#include "platform/streaming/ClassRegistry.h"
#include "platform/streaming/Extended.h"
#include "platform/streaming/Filer.h"
#include "platform/streaming/WideText.h"

namespace {

// Deeper nesting than any real form has; a corrupt stream must not exhaust the stack.
constexpr int kMaxDepth = 200;

bool SameName(const AnsiString& a, const AnsiString& b) { return strcasecmp(a.c_str(), b.c_str()) == 0; }

std::vector<AnsiString> SplitDots(const AnsiString& s) {
  std::vector<AnsiString> out;
  size_t start = 0;
  for (;;) {
    size_t dot = s.find('.', start);
    out.push_back(s.substr(start, dot == AnsiString::npos ? AnsiString::npos : dot - start));
    if (dot == AnsiString::npos) return out;
    start = dot + 1;
  }
}

class UpdateGuard {
 public:
  explicit UpdateGuard(TStrings* s) : s_(s) { s_->BeginUpdate(); }
  ~UpdateGuard() { s_->EndUpdate(); }
  UpdateGuard(const UpdateGuard&) = delete;
  UpdateGuard& operator=(const UpdateGuard&) = delete;

 private:
  TStrings* s_;
};

}  // namespace

const char* ValueTypeName(TValueType Type) {
  static const char* const names[] = {"vaNull",   "vaList",  "vaInt8",     "vaInt16",  "vaInt32",   "vaExtended",
                                      "vaString", "vaIdent", "vaFalse",    "vaTrue",   "vaBinary",  "vaSet",
                                      "vaLString", "vaNil",  "vaCollection", "vaSingle", "vaCurrency", "vaDate",
                                      "vaWString", "vaInt64", "vaUTF8String"};
  static_assert(sizeof(names) / sizeof(names[0]) == kLastValueType + 1);
  return Type <= kLastValueType ? names[Type] : "an unknown value type";
}

TReader::TReader(const void* Data, size_t Size) : data_(static_cast<const uint8_t*>(Data)), size_(Size) {}

TReader::TReader(TStream& Stream) : stream_(&Stream) {
  stream_start_ = Stream.Position();
  int64_t n = Stream.Size() - stream_start_;
  if (n > 0) {
    owned_.resize(static_cast<size_t>(n));
    Stream.ReadBuffer(owned_.data(), n);
  }
  data_ = owned_.data();
  size_ = owned_.size();
}

TReader::~TReader() {
  if (stream_ != nullptr) {
    try {
      stream_->SetPosition(stream_start_ + static_cast<int64_t>(pos_));
    } catch (...) {
      // Only the stream position is lost; nothing was read wrongly.
    }
  }
}

void TReader::SetSource(const AnsiString& ResourceName, const TLineMap* Lines) {
  resource_ = ResourceName;
  lines_ = Lines;
}

const uint8_t* TReader::Need(size_t n) {
  if (n > size_ - pos_) throw EReadError("Unexpected end of component stream");
  const uint8_t* p = data_ + pos_;
  pos_ += n;
  return p;
}

uint32_t TReader::ReadU32() {
  const uint8_t* p = Need(4);
  return uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
}

TValueType TReader::ReadValue() {
  uint8_t b = ReadByte();
  if (b > kLastValueType) throw EReadError("Invalid value type " + std::to_string(b) + " in component stream");
  return static_cast<TValueType>(b);
}

bool TReader::EndOfList() {
  if (pos_ >= size_) throw EReadError("Unexpected end of component stream");
  return data_[pos_] == 0;
}

TValueType TReader::NextValue() {
  TValueType t = ReadValue();
  --pos_;
  return t;
}

void TReader::InvalidValue(const char* expected, TValueType got) {
  throw EReadError(AnsiString("Invalid property value: ") + expected + " expected, found " + ValueTypeName(got));
}

void TReader::ReadListBegin() {
  TValueType t = ReadValue();
  if (t != vaList) InvalidValue("list", t);
}

void TReader::ReadListEnd() {
  TValueType t = ReadValue();
  if (t != vaNull) InvalidValue("end of list", t);
}

void TReader::ReadSignature() {
  const uint8_t* p = Need(4);
  if (std::memcmp(p, kFilerSignature, 4) != 0) throw EReadError("Invalid stream format");
}

int64_t TReader::ReadIntValue(TValueType t) {
  switch (t) {
    case vaInt8:
      return static_cast<int8_t>(ReadByte());
    case vaInt16: {
      const uint8_t* p = Need(2);
      return static_cast<int16_t>(p[0] | p[1] << 8);
    }
    case vaInt32:
      return static_cast<int32_t>(ReadU32());
    case vaInt64: {
      uint64_t lo = ReadU32();
      uint64_t hi = ReadU32();
      return static_cast<int64_t>(lo | hi << 32);
    }
    default:
      InvalidValue("integer", t);
  }
}

int TReader::ReadInteger() {
  int64_t v = ReadIntValue(ReadValue());
  if (v < INT32_MIN || v > INT32_MAX) throw EReadError("Integer value " + std::to_string(v) + " out of range");
  return static_cast<int>(v);
}

int64_t TReader::ReadInt64() { return ReadIntValue(ReadValue()); }

bool TReader::ReadBoolean() {
  TValueType t = ReadValue();
  if (t != vaTrue && t != vaFalse) InvalidValue("boolean", t);
  return t == vaTrue;
}

namespace {
double Finite(double v) {
  if (!std::isfinite(v)) throw EReadError("Invalid floating point value in component stream");
  return v;
}
}  // namespace

double TReader::ReadFloat() {
  TValueType t = ReadValue();
  switch (t) {
    case vaExtended: {
      streaming::Extended80 e;
      std::memcpy(e.data(), Need(kExtendedSize), kExtendedSize);
      return streaming::ExtendedToDouble(e);
    }
    case vaSingle:
      return Finite(std::bit_cast<float>(ReadU32()));
    case vaDate: {
      uint64_t lo = ReadU32();
      uint64_t hi = ReadU32();
      return Finite(std::bit_cast<double>(lo | hi << 32));
    }
    case vaCurrency:
      return static_cast<double>(ReadIntValue(vaInt64)) / 10000.0;
    case vaInt8:
    case vaInt16:
    case vaInt32:
    case vaInt64:
      return static_cast<double>(ReadIntValue(t));
    default:
      InvalidValue("floating point value", t);
  }
}

float TReader::ReadSingle() {
  double v = ReadFloat();
  if (std::fabs(v) > 3.4028234663852886e38) throw EReadError("Single value out of range");
  return static_cast<float>(v);
}

double TReader::ReadDate() { return ReadFloat(); }

int64_t TReader::ReadCurrency() {
  if (NextValue() == vaCurrency) {
    ReadValue();
    return ReadIntValue(vaInt64);
  }
  int64_t v = ReadInt64();
  if (v > INT64_MAX / 10000 || v < INT64_MIN / 10000) throw EReadError("Currency value out of range");
  return v * 10000;
}

AnsiString TReader::ReadString() {
  TValueType t = ReadValue();
  switch (t) {
    case vaString: {
      size_t n = ReadByte();
      return AnsiString(reinterpret_cast<const char*>(Need(n)), n);
    }
    case vaLString: {
      size_t n = ReadU32();
      return AnsiString(reinterpret_cast<const char*>(Need(n)), n);
    }
    case vaUTF8String: {
      size_t n = ReadU32();
      return cp1252::FromUtf8(std::string_view(reinterpret_cast<const char*>(Need(n)), n));
    }
    case vaWString: {
      size_t n = ReadU32();
      const uint8_t* p = Need(n * 2);
      std::u16string w(n, u'\0');
      for (size_t i = 0; i < n; ++i) w[i] = static_cast<char16_t>(p[2 * i] | p[2 * i + 1] << 8);
      return cp1252::FromUtf8(streaming::Utf16ToUtf8(w));
    }
    default:
      InvalidValue("string", t);
  }
}

AnsiString TReader::ReadIdent() {
  TValueType t = ReadValue();
  switch (t) {
    case vaIdent:
      return ReadStr();
    case vaFalse:
      return "False";
    case vaTrue:
      return "True";
    case vaNil:
      return "nil";
    case vaNull:
      return "Null";
    default:
      InvalidValue("identifier", t);
  }
}

std::vector<AnsiString> TReader::ReadSet() {
  TValueType t = ReadValue();
  if (t != vaSet) InvalidValue("set", t);
  std::vector<AnsiString> out;
  for (;;) {
    AnsiString s = ReadStr();
    if (s.empty()) return out;
    out.push_back(std::move(s));
  }
}

AnsiString TReader::ReadBinary() {
  TValueType t = ReadValue();
  if (t != vaBinary) InvalidValue("binary data", t);
  size_t n = ReadU32();
  return AnsiString(reinterpret_cast<const char*>(Need(n)), n);
}

AnsiString TReader::ReadStr() {
  size_t n = ReadByte();
  return AnsiString(reinterpret_cast<const char*>(Need(n)), n);
}

void TReader::SkipValue() {
  if (++depth_ > kMaxDepth) throw EReadError("Component stream nested too deeply");
  TValueType t = NextValue();
  switch (t) {
    case vaList:
      ReadValue();
      while (!EndOfList()) SkipValue();
      ReadListEnd();
      break;
    case vaCollection:
      ReadValue();
      while (!EndOfList()) {
        TValueType n = NextValue();
        if (n == vaInt8 || n == vaInt16 || n == vaInt32) ReadInteger();
        ReadListBegin();
        while (!EndOfList()) {
          ReadStr();
          SkipValue();
        }
        ReadListEnd();
      }
      ReadListEnd();
      break;
    case vaInt8:
    case vaInt16:
    case vaInt32:
    case vaInt64:
      ReadInt64();
      break;
    case vaExtended:
    case vaSingle:
    case vaDate:
    case vaCurrency:
      ReadValue();
      Need(t == vaExtended ? kExtendedSize : t == vaSingle ? kSingleSize : 8);
      break;
    case vaString:
    case vaLString:
    case vaWString:
    case vaUTF8String:
      ReadString();
      break;
    case vaIdent:
    case vaFalse:
    case vaTrue:
    case vaNil:
    case vaNull:
      ReadIdent();
      break;
    case vaSet:
      ReadSet();
      break;
    case vaBinary:
      ReadBinary();
      break;
  }
  --depth_;
}

// --- components --------------------------------------------------------------------------

AnsiString TReader::Where(size_t Offset) const {
  AnsiString s = resource_.empty() ? AnsiString("component stream") : "resource " + resource_;
  if (lines_ != nullptr && !lines_->empty()) {
    auto it = std::upper_bound(lines_->begin(), lines_->end(), std::make_pair(static_cast<uint32_t>(Offset), INT32_MAX));
    if (it != lines_->begin()) s += ", line " + std::to_string(std::prev(it)->second);
  }
  return s;
}

void TReader::Decorate(Exception& E, size_t Offset, const AnsiString& What) {
  if (decorated_) return;
  decorated_ = true;
  E.SetMessage("Error reading " + Where(Offset) + (What.empty() ? AnsiString() : ", " + What) + ": " + E.Message());
}

void TReader::ReadRootComponent(TComponent* Root) {
  root_ = Root;
  root_class_ = ClassOf(Root);
  parent_ = nullptr;
  loaded_.clear();
  fixups_.clear();
  decorated_ = false;
  depth_ = 0;
  size_t at = pos_;
  try {
    if (root_class_ == nullptr) throw EClassNotFound(AnsiString("Class ") + Root->ClassName() + " is not registered");
    ReadSignature();
    at = pos_;
    AnsiString cls = ReadStr();
    AnsiString name = ReadStr();
    if (!SameName(cls, root_class_->Name()) && !SameName(cls, Root->ClassName()))
      throw EReadError("The stream holds a " + cls + ", not a " + root_class_->Name());
    Root->SetState(csLoading | csReading);
    loaded_.push_back(Root);
    if (!name.empty()) Root->SetName(name);
    path_ = name.empty() ? cls : name;
    ReadProperties(Root);
    while (!EndOfList()) ReadComponent(Root, 1);
    ReadListEnd();
    ResolveFixups();
  } catch (Exception& e) {
    Decorate(e, at, AnsiString());
    for (TComponent* c : loaded_) c->ClearState(csReading);
    throw;
  }
  for (TComponent* c : loaded_) c->ClearState(csReading);
  for (TComponent* c : loaded_) c->Loaded();
}

void TReader::ReadComponent(TComponent* ParentComponent, int Depth) {
  size_t at = pos_;
  AnsiString saved_path = path_;
  TComponent* saved_parent = parent_;
  try {
    if (Depth > kMaxDepth) throw EReadError("Components nested too deeply");
    AnsiString cls = ReadStr();
    AnsiString name = ReadStr();
    path_ = name.empty() ? cls : name;
    const TStreamClass& c = GetClass(cls);
    TComponent* comp = c.Create(root_);
    comp->SetState(csLoading | csReading);
    loaded_.push_back(comp);
    if (!name.empty()) {
      comp->SetName(name);
      root_class_->BindField(root_, name, comp);
    }
    c.SetParent(comp, ParentComponent);
    parent_ = ParentComponent;
    ReadProperties(comp);
    while (!EndOfList()) ReadComponent(comp, Depth + 1);
    ReadListEnd();
  } catch (Exception& e) {
    Decorate(e, at, "component " + path_);
    throw;
  }
  parent_ = saved_parent;
  path_ = saved_path;
}

void TReader::ReadProperties(TObject* Instance) {
  if (++depth_ > kMaxDepth) throw EReadError("Component stream nested too deeply");
  while (!EndOfList()) ReadProperty(Instance);
  ReadListEnd();
  --depth_;
}

void TReader::ReadProperty(TObject* Instance) {
  size_t at = pos_;
  AnsiString saved_path = path_;
  try {
    AnsiString full = ReadStr();
    path_ = path_.empty() ? full : path_ + "." + full;
    std::vector<AnsiString> segs = SplitDots(full);
    TObject* obj = Instance;
    for (size_t i = 0; i + 1 < segs.size(); ++i) {
      const TStreamClass* cls = ClassOf(obj);
      if (cls == nullptr) throw EFilerError(AnsiString("Class ") + obj->ClassName() + " is not registered");
      const TPropInfo* p = cls->FindProp(segs[i]);
      if (p != nullptr && p->Kind() == TPropKind::Object) {
        obj = p->GetObject(obj);
        if (obj == nullptr) throw EReadError("Property " + segs[i] + " holds no object");
        continue;
      }
      if (p != nullptr && p->Kind() == TPropKind::Strings && i + 2 == segs.size() && SameName(segs[i + 1], "Strings")) {
        auto* strings = dynamic_cast<TStrings*>(p->GetObject(obj));
        if (strings == nullptr) throw EReadError("Property " + segs[i] + " holds no string list");
        UpdateGuard guard(strings);
        strings->Clear();
        ReadListBegin();
        while (!EndOfList()) strings->Add(ReadString());
        ReadListEnd();
        path_ = saved_path;
        return;
      }
      throw EReadError("Property " + full + " does not exist");
    }
    const TStreamClass* cls = ClassOf(obj);
    if (cls == nullptr) throw EFilerError(AnsiString("Class ") + obj->ClassName() + " is not registered");
    if (const TPropInfo* p = cls->FindProp(segs.back())) {
      ReadPropValue(obj, *p);
    } else {
      AnsiString saved_defining = defining_;
      defining_ = segs.back();
      defined_found_ = false;
      cls->DefineProperties(obj, *this);
      bool found = defined_found_;
      defining_ = saved_defining;
      defined_found_ = false;
      if (!found) throw EReadError("Property " + full + " does not exist");
    }
  } catch (Exception& e) {
    Decorate(e, at, "property " + path_);
    throw;
  }
  path_ = saved_path;
}

void TReader::ReadPropValue(TObject* Instance, const TPropInfo& Prop) {
  switch (Prop.Kind()) {
    case TPropKind::Integer: {
      if (NextValue() == vaIdent) {
        AnsiString ident = ReadIdent();
        if (Prop.Idents() != nullptr)
          for (const TIdentMapEntry& e : *Prop.Idents())
            if (SameName(ident, e.Name)) {
              Prop.SetOrd(Instance, e.Value);
              return;
            }
        throw EReadError("Invalid property value " + ident);
      }
      Prop.SetOrd(Instance, ReadInteger());
      return;
    }
    case TPropKind::Boolean:
      Prop.SetOrd(Instance, ReadBoolean() ? 1 : 0);
      return;
    case TPropKind::Enum: {
      AnsiString ident = ReadIdent();
      const auto& names = Prop.Names();
      for (size_t i = 0; i < names.size(); ++i)
        if (SameName(ident, names[i])) {
          Prop.SetOrd(Instance, static_cast<int64_t>(i));
          return;
        }
      throw EReadError("Invalid property value " + ident);
    }
    case TPropKind::Set: {
      int64_t bits = 0;
      const auto& names = Prop.Names();
      for (const AnsiString& element : ReadSet()) {
        auto it = std::find_if(names.begin(), names.end(), [&](const AnsiString& n) { return SameName(n, element); });
        if (it == names.end()) throw EReadError("Invalid property value " + element);
        bits |= int64_t{1} << (it - names.begin());
      }
      Prop.SetOrd(Instance, bits);
      return;
    }
    case TPropKind::Float:
      Prop.SetFloat(Instance, ReadFloat());
      return;
    case TPropKind::String:
      Prop.SetStr(Instance, ReadString());
      return;
    case TPropKind::Collection:
      ReadCollection(Instance, Prop);
      return;
    case TPropKind::Component: {
      if (NextValue() == vaNil) {
        ReadValue();
        Prop.SetComponent(Instance, nullptr);
        return;
      }
      size_t at = pos_;
      AnsiString target = ReadIdent();
      if (root_ == nullptr) throw EReadError("Component references need a root component");
      fixups_.push_back(Fixup{Instance, &Prop, target, at, path_});
      return;
    }
    case TPropKind::Event: {
      if (NextValue() == vaNil) {
        ReadValue();
        return;
      }
      AnsiString handler = ReadIdent();
      if (root_ == nullptr || root_class_ == nullptr) throw EReadError("Event " + Prop.Name() + " needs a form to bind to");
      const THandlerInfo* h = root_class_->FindHandler(handler);
      if (h == nullptr) throw EReadError("Handler " + handler + " does not exist in " + root_class_->Name());
      Prop.BindHandler(Instance, *h, root_);
      return;
    }
    case TPropKind::Object:
    case TPropKind::Strings:
      throw EReadError("Invalid property value for " + Prop.Name());
  }
}

void TReader::ReadCollection(TObject* Instance, const TPropInfo& Prop) {
  TValueType t = ReadValue();
  if (t != vaCollection) InvalidValue("collection", t);
  Prop.CollectionClear(Instance);
  while (!EndOfList()) {
    TValueType n = NextValue();
    if (n == vaInt8 || n == vaInt16 || n == vaInt32) ReadInteger();  // item order, not used
    ReadListBegin();
    TPersistent* item = Prop.CollectionAdd(Instance);
    ReadProperties(item);
  }
  ReadListEnd();
}

void TReader::ResolveFixups() {
  for (const Fixup& f : fixups_) {
    try {
      TComponent* target = SameName(f.Target, root_->Name()) ? root_ : root_->FindComponent(f.Target);
      if (target == nullptr) throw EReadError("Component " + f.Target + " not found");
      f.Prop->SetComponent(f.Instance, target);
    } catch (Exception& e) {
      Decorate(e, f.Offset, "property " + f.Path);
      throw;
    }
  }
  fixups_.clear();
}

void TReader::DefineProperty(const AnsiString& Name, const TReaderProc& ReadData, const TWriterProc&, bool) {
  if (defined_found_ || !ReadData || !SameName(Name, defining_)) return;
  defined_found_ = true;
  ReadData(*this);
}

void TReader::DefineBinaryProperty(const AnsiString& Name, const TStreamProc& ReadData, const TStreamProc&, bool) {
  if (defined_found_ || !ReadData || !SameName(Name, defining_)) return;
  defined_found_ = true;
  AnsiString bytes = ReadBinary();
  TMemoryStream block;
  block.WriteBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
  block.SetPosition(0);
  ReadData(block);
}

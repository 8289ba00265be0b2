#include <bit>
#include <cmath>
#include <strings.h>
#include "platform/classes/Lists.h"
#include "platform/streaming/ClassRegistry.h"
#include "platform/streaming/Extended.h"
#include "platform/streaming/Filer.h"

namespace {
bool SameName(const AnsiString& a, const AnsiString& b) { return strcasecmp(a.c_str(), b.c_str()) == 0; }
}  // namespace

TWriter::TWriter(TStream& Stream) : stream_(&Stream) {}
TWriter::TWriter(AnsiString& Out) : out_(&Out) {}

void TWriter::Put(const void* Data, size_t Size) {
  if (out_ != nullptr)
    out_->append(static_cast<const char*>(Data), Size);
  else
    stream_->WriteBuffer(Data, static_cast<int64_t>(Size));
}

void TWriter::PutU32(uint32_t V) {
  const uint8_t b[4] = {static_cast<uint8_t>(V), static_cast<uint8_t>(V >> 8), static_cast<uint8_t>(V >> 16),
                        static_cast<uint8_t>(V >> 24)};
  Put(b, 4);
}

void TWriter::WriteValue(TValueType Value) {
  uint8_t b = Value;
  Put(&b, 1);
}

void TWriter::WriteSignature() { Put(kFilerSignature, 4); }

void TWriter::WriteInteger(int64_t Value) {
  if (Value >= INT8_MIN && Value <= INT8_MAX) {
    WriteValue(vaInt8);
    uint8_t b = static_cast<uint8_t>(Value);
    Put(&b, 1);
  } else if (Value >= INT16_MIN && Value <= INT16_MAX) {
    WriteValue(vaInt16);
    const uint8_t b[2] = {static_cast<uint8_t>(Value), static_cast<uint8_t>(Value >> 8)};
    Put(b, 2);
  } else if (Value >= INT32_MIN && Value <= INT32_MAX) {
    WriteValue(vaInt32);
    PutU32(static_cast<uint32_t>(Value));
  } else {
    WriteValue(vaInt64);
    PutU32(static_cast<uint32_t>(Value));
    PutU32(static_cast<uint32_t>(static_cast<uint64_t>(Value) >> 32));
  }
}

namespace {
void CheckFinite(double v) {
  if (!std::isfinite(v)) throw EWriteError("Invalid floating point value");
}
}  // namespace

void TWriter::WriteFloat(double Value) {
  CheckFinite(Value);
  WriteValue(vaExtended);
  streaming::Extended80 e = streaming::DoubleToExtended(Value);
  Put(e.data(), e.size());
}

void TWriter::WriteSingle(float Value) {
  CheckFinite(Value);
  WriteValue(vaSingle);
  PutU32(std::bit_cast<uint32_t>(Value));
}

void TWriter::WriteDate(double Value) {
  CheckFinite(Value);
  WriteValue(vaDate);
  uint64_t bits = std::bit_cast<uint64_t>(Value);
  PutU32(static_cast<uint32_t>(bits));
  PutU32(static_cast<uint32_t>(bits >> 32));
}

void TWriter::WriteCurrency(int64_t Scaled) {
  WriteValue(vaCurrency);
  PutU32(static_cast<uint32_t>(Scaled));
  PutU32(static_cast<uint32_t>(static_cast<uint64_t>(Scaled) >> 32));
}

namespace {
uint32_t Length32(size_t n) {
  if (n > UINT32_MAX) throw EWriteError("Value too long for the component stream");
  return static_cast<uint32_t>(n);
}
}  // namespace

void TWriter::WriteString(const AnsiString& Value) {
  if (Value.size() <= 255) {
    WriteValue(vaString);
    uint8_t n = static_cast<uint8_t>(Value.size());
    Put(&n, 1);
  } else {
    WriteValue(vaLString);
    PutU32(Length32(Value.size()));
  }
  Put(Value.data(), Value.size());
}

void TWriter::WriteWideString(const std::u16string& Value) {
  WriteValue(vaWString);
  PutU32(Length32(Value.size()));
  for (char16_t c : Value) {
    const uint8_t b[2] = {static_cast<uint8_t>(c), static_cast<uint8_t>(c >> 8)};
    Put(b, 2);
  }
}

void TWriter::WriteUTF8String(const std::string& Value) {
  WriteValue(vaUTF8String);
  PutU32(Length32(Value.size()));
  Put(Value.data(), Value.size());
}

void TWriter::WriteIdent(const AnsiString& Ident) {
  if (SameName(Ident, "False"))
    WriteValue(vaFalse);
  else if (SameName(Ident, "True"))
    WriteValue(vaTrue);
  else if (SameName(Ident, "nil"))
    WriteValue(vaNil);
  else if (SameName(Ident, "Null"))
    WriteValue(vaNull);
  else {
    WriteValue(vaIdent);
    WriteStr(Ident);
  }
}

void TWriter::WriteSet(const std::vector<AnsiString>& Names) {
  WriteValue(vaSet);
  for (const AnsiString& n : Names) {
    if (n.empty()) throw EWriteError("Empty set element name");
    WriteStr(n);
  }
  WriteStr(AnsiString());
}

void TWriter::WriteBinary(const void* Data, size_t Size) {
  WriteValue(vaBinary);
  PutU32(Length32(Size));
  Put(Data, Size);
}

void TWriter::WriteStr(const AnsiString& Value) {
  if (Value.size() > 255) throw EWriteError("Name longer than 255 characters: " + Value.substr(0, 32) + "...");
  uint8_t n = static_cast<uint8_t>(Value.size());
  Put(&n, 1);
  Put(Value.data(), Value.size());
}

void TWriter::WritePropName(const AnsiString& Name) { WriteStr(prefix_ + Name); }

void TWriter::WriteRootComponent(TComponent* Root) {
  root_ = Root;
  WriteSignature();
  WriteComponent(Root);
}

void TWriter::WriteComponent(TComponent* Component) {
  if (root_ == nullptr) root_ = Component;
  const TStreamClass* cls = ClassOf(Component);
  if (cls == nullptr) throw EFilerError(AnsiString("Class ") + Component->ClassName() + " is not registered");
  WriteStr(cls->Name());
  WriteStr(Component->Name());
  AnsiString saved = prefix_;
  prefix_.clear();
  WriteProperties(Component);
  WriteListEnd();
  for (TComponent* child : cls->Children(Component, root_)) WriteComponent(child);
  WriteListEnd();
  prefix_ = saved;
}

void TWriter::WriteProperties(TObject* Instance) {
  const TStreamClass* cls = ClassOf(Instance);
  if (cls == nullptr) throw EFilerError(AnsiString("Class ") + Instance->ClassName() + " is not registered");
  for (const TPropInfo* p : cls->AllProps()) WriteProp(Instance, *p);
  cls->DefineProperties(Instance, *this);
}

void TWriter::WriteProp(TObject* Instance, const TPropInfo& Prop) {
  if (Prop.Kind() == TPropKind::Object) {
    // A nested object is written only when its property says so (a control's font
    // only while it is not the parent's).
    // Asked before the object is fetched, so that writing never creates an object made
    // on first read.
    if (!Prop.IsStored(Instance)) return;
    TObject* obj = Prop.GetObject(Instance);
    if (obj == nullptr) return;
    AnsiString saved = prefix_;
    prefix_ += Prop.Name() + ".";
    WriteProperties(obj);
    prefix_ = saved;
    return;
  }
  if (!Prop.IsStored(Instance)) return;
  switch (Prop.Kind()) {
    case TPropKind::Integer: {
      int64_t v = Prop.GetOrd(Instance);
      WritePropName(Prop.Name());
      if (Prop.Idents() != nullptr)
        for (const TIdentMapEntry& e : *Prop.Idents())
          if (e.Value == v) {
            WriteIdent(e.Name);
            return;
          }
      WriteInteger(v);
      return;
    }
    case TPropKind::Boolean:
      WritePropName(Prop.Name());
      WriteBoolean(Prop.GetOrd(Instance) != 0);
      return;
    case TPropKind::Enum: {
      int64_t v = Prop.GetOrd(Instance);
      if (v < 0 || v >= static_cast<int64_t>(Prop.Names().size()))
        throw EWriteError("Property " + Prop.Name() + " has no name for value " + std::to_string(v));
      WritePropName(Prop.Name());
      WriteIdent(Prop.Names()[static_cast<size_t>(v)]);
      return;
    }
    case TPropKind::Set: {
      uint64_t bits = static_cast<uint64_t>(Prop.GetOrd(Instance));
      std::vector<AnsiString> names;
      for (size_t i = 0; i < 64 && bits != 0; ++i, bits >>= 1)
        if (bits & 1) {
          if (i >= Prop.Names().size()) throw EWriteError("Property " + Prop.Name() + " has no name for element " + std::to_string(i));
          names.push_back(Prop.Names()[i]);
        }
      WritePropName(Prop.Name());
      WriteSet(names);
      return;
    }
    case TPropKind::Float:
      WritePropName(Prop.Name());
      WriteFloat(Prop.GetFloat(Instance));
      return;
    case TPropKind::String:
      WritePropName(Prop.Name());
      WriteString(Prop.GetStr(Instance));
      return;
    case TPropKind::Strings: {
      auto* strings = dynamic_cast<TStrings*>(Prop.GetObject(Instance));
      WritePropName(Prop.Name() + ".Strings");
      WriteListBegin();
      for (int i = 0; i < strings->Count(); ++i) WriteString(strings->Strings(i));
      WriteListEnd();
      return;
    }
    case TPropKind::Collection: {
      WritePropName(Prop.Name());
      WriteValue(vaCollection);
      AnsiString saved = prefix_;
      for (int i = 0, n = Prop.CollectionCount(Instance); i < n; ++i) {
        prefix_.clear();
        WriteListBegin();
        WriteProperties(Prop.CollectionItem(Instance, i));
        WriteListEnd();
      }
      prefix_ = saved;
      WriteListEnd();
      return;
    }
    case TPropKind::Component: {
      auto* c = dynamic_cast<TComponent*>(Prop.GetObject(Instance));
      if (c == nullptr) return;
      AnsiString name = c->Name();
      if (c != root_ && c->Owner() != root_ && c->Owner() != nullptr) name = c->Owner()->Name() + "." + name;
      WritePropName(Prop.Name());
      WriteIdent(name);
      return;
    }
    case TPropKind::Event:
      WritePropName(Prop.Name());
      WriteIdent(Prop.HandlerName(Instance));
      return;
    case TPropKind::Object:
      return;
  }
}

void TWriter::DefineProperty(const AnsiString& Name, const TReaderProc&, const TWriterProc& WriteData, bool HasData) {
  if (!HasData || !WriteData) return;
  WritePropName(Name);
  WriteData(*this);
}

void TWriter::DefineBinaryProperty(const AnsiString& Name, const TStreamProc&, const TStreamProc& WriteData, bool HasData) {
  if (!HasData || !WriteData) return;
  TMemoryStream block;
  WriteData(block);
  WritePropName(Name);
  WriteBinary(block.Memory(), static_cast<size_t>(block.Size()));
}

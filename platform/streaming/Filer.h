#pragma once
// Reader and writer of the binary component stream. A value is one value-type byte and
// its payload; integers take the smallest of the 8-, 16- and 32-bit signed forms that
// holds them. Components are their class name and name (short strings), their
// properties (name + value) up to a 0 byte, then their children up to a 0 byte.
#include <cstdint>
#include <functional>
#include <utility>
#include <vector>
#include "platform/classes/Classes.h"
#include "platform/classes/Streams.h"
#include "platform/streaming/ValueType.h"

class TReader;
class TWriter;
class TStreamClass;
class TPropInfo;

using TReaderProc = std::function<void(TReader& Reader)>;
using TWriterProc = std::function<void(TWriter& Writer)>;
using TStreamProc = std::function<void(TStream& Stream)>;

// Binary offsets of properties and objects mapped to the text lines they came from, so
// that reading errors can name the line of the resource.
using TLineMap = std::vector<std::pair<uint32_t, int>>;

class TFiler : public TObject {
 public:
  const char* ClassName() const override { return "TFiler"; }
  // Reading: ReadData is called when the property being read has this name. Writing:
  // the property is written (name, then WriteData's values) only when HasData is true.
  virtual void DefineProperty(const AnsiString& Name, const TReaderProc& ReadData, const TWriterProc& WriteData,
                              bool HasData) = 0;
  // The same for a binary block; ReadData gets the block as a stream positioned at 0.
  virtual void DefineBinaryProperty(const AnsiString& Name, const TStreamProc& ReadData, const TStreamProc& WriteData,
                                    bool HasData) = 0;
  TComponent* Root() const { return root_; }

 protected:
  TComponent* root_ = nullptr;
};

class TReader : public TFiler {
 public:
  // Reads from bytes held by the caller; they must outlive the reader.
  TReader(const void* Data, size_t Size);
  // Reads from Stream's position; the stream is left after the bytes consumed.
  explicit TReader(TStream& Stream);
  ~TReader() override;
  const char* ClassName() const override { return "TReader"; }

  // Names the resource in error messages; Lines maps offsets to its text lines.
  void SetSource(const AnsiString& ResourceName, const TLineMap* Lines);

  size_t Position() const { return pos_; }
  size_t Size() const { return size_; }

  TValueType ReadValue();
  TValueType NextValue();
  // True at the 0 that closes a list. Only that byte is looked at: before a property the
  // next byte is the length of its name, which is not a value type.
  bool EndOfList();
  void ReadListBegin();
  void ReadListEnd();
  void ReadSignature();

  int ReadInteger();
  int64_t ReadInt64();
  bool ReadBoolean();
  double ReadFloat();
  float ReadSingle();
  double ReadDate();
  int64_t ReadCurrency();  // the value times 10000, as stored
  // Any of the string kinds, as Windows-1252 (wide and UTF-8 strings are converted).
  AnsiString ReadString();
  // vaIdent, or the name of vaFalse/vaTrue/vaNil/vaNull.
  AnsiString ReadIdent();
  // vaSet: the element names.
  std::vector<AnsiString> ReadSet();
  // vaBinary: the block's bytes.
  AnsiString ReadBinary();
  // A short string without value type (names of components and properties).
  AnsiString ReadStr();
  void SkipValue();

  // Reads a whole component stream (signature, root header, properties, children) into
  // an existing Root: its children are created with Root as owner, event properties bind
  // to Root's handlers, Root's fields are set, and Loaded runs on every component after
  // all of it is read (Root first, then in reading order).
  void ReadRootComponent(TComponent* Root);
  // Reads the properties of Instance up to the end marker (used by collections, too).
  void ReadProperties(TObject* Instance);

  // The component whose properties are being read, and its container.
  TComponent* Owner() const { return root_; }
  TComponent* Parent() const { return parent_; }

  void DefineProperty(const AnsiString& Name, const TReaderProc& ReadData, const TWriterProc& WriteData,
                      bool HasData) override;
  void DefineBinaryProperty(const AnsiString& Name, const TStreamProc& ReadData, const TStreamProc& WriteData,
                            bool HasData) override;

 private:
  struct Fixup {
    TObject* Instance;
    const TPropInfo* Prop;
    AnsiString Target;
    size_t Offset;
    AnsiString Path;
  };

  const uint8_t* Need(size_t n);
  uint8_t ReadByte() { return *Need(1); }
  uint32_t ReadU32();
  int64_t ReadIntValue(TValueType t);
  [[noreturn]] void InvalidValue(const char* expected, TValueType got);
  void ReadComponent(TComponent* ParentComponent, int Depth);
  void ReadProperty(TObject* Instance);
  void ReadPropValue(TObject* Instance, const TPropInfo& Prop);
  void ReadCollection(TObject* Instance, const TPropInfo& Prop);
  void ResolveFixups();
  AnsiString Where(size_t Offset) const;
  void Decorate(Exception& E, size_t Offset, const AnsiString& What);

  std::vector<uint8_t> owned_;
  const uint8_t* data_ = nullptr;
  size_t size_ = 0;
  size_t pos_ = 0;
  TStream* stream_ = nullptr;
  int64_t stream_start_ = 0;

  AnsiString resource_;
  const TLineMap* lines_ = nullptr;
  bool decorated_ = false;
  int depth_ = 0;

  TComponent* parent_ = nullptr;
  const TStreamClass* root_class_ = nullptr;
  std::vector<TComponent*> loaded_;
  std::vector<Fixup> fixups_;
  AnsiString path_;            // component and dotted property being read, for messages
  AnsiString defining_;        // last segment of the property being read
  bool defined_found_ = false;
};

class TWriter : public TFiler {
 public:
  // Appends to Stream at its position.
  explicit TWriter(TStream& Stream);
  // Appends to a byte string.
  explicit TWriter(AnsiString& Out);
  const char* ClassName() const override { return "TWriter"; }

  void WriteValue(TValueType Value);
  void WriteSignature();
  void WriteListBegin() { WriteValue(vaList); }
  void WriteListEnd() { WriteValue(vaNull); }
  // Compact: vaInt8, vaInt16 or vaInt32, whichever is the smallest that holds Value;
  // vaInt64 beyond 32 bits.
  void WriteInteger(int64_t Value);
  void WriteBoolean(bool Value) { WriteValue(Value ? vaTrue : vaFalse); }
  void WriteFloat(double Value);  // vaExtended
  void WriteSingle(float Value);
  void WriteDate(double Value);
  void WriteCurrency(int64_t Scaled);
  // vaString with a 1-byte length, vaLString with a 32-bit length beyond 255 bytes.
  void WriteString(const AnsiString& Value);
  // vaWString: UTF-16 code units, little-endian.
  void WriteWideString(const std::u16string& Value);
  void WriteUTF8String(const std::string& Value);
  // True, False, nil and Null become their own value types, as readers expect.
  void WriteIdent(const AnsiString& Ident);
  void WriteSet(const std::vector<AnsiString>& Names);
  void WriteBinary(const void* Data, size_t Size);
  // Short string: 1-byte length; raises EWriteError beyond 255 bytes.
  void WriteStr(const AnsiString& Value);
  // Writes the property name with the prefix of the nested object being written.
  void WritePropName(const AnsiString& Name);

  // Signature, then Root with its properties and children.
  void WriteRootComponent(TComponent* Root);
  void WriteComponent(TComponent* Component);
  // Published properties that differ from their defaults, then DefineProperties.
  void WriteProperties(TObject* Instance);

  void DefineProperty(const AnsiString& Name, const TReaderProc& ReadData, const TWriterProc& WriteData,
                      bool HasData) override;
  void DefineBinaryProperty(const AnsiString& Name, const TStreamProc& ReadData, const TStreamProc& WriteData,
                            bool HasData) override;

 private:
  void Put(const void* Data, size_t Size);
  void PutU32(uint32_t V);
  void WriteProp(TObject* Instance, const TPropInfo& Prop);

  TStream* stream_ = nullptr;
  AnsiString* out_ = nullptr;
  AnsiString prefix_;
};

// Name of a value type for messages ("vaInt8", ...).
const char* ValueTypeName(TValueType Type);

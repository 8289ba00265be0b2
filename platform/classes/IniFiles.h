#pragma once
// TIniFile: an INI file with the Windows rules. Sections and keys are case-insensitive,
// blanks around keys and values are trimmed, a value may hold "=", the first of duplicate
// keys wins, ";" starts a comment line. The whole file is read when the object is made;
// changes are written (CR LF lines, original order and comments kept) by UpdateFile or
// by the destructor, through SafeFile.
#include <memory>
#include "platform/classes/Lists.h"

// A larger file is no INI file of ours: it is refused (LoadError says so) rather than
// read whole into memory.
inline constexpr size_t kMaxIniFileSize = 1024 * 1024;

class TIniFile : public TObject {
 public:
  // A name without a folder lives in ConfigFolder(), which is created on write. A missing
  // or unreadable file reads as empty (every Read returns its default); an unreadable one
  // (also one over kMaxIniFileSize, or no regular file) is then never overwritten.
  explicit TIniFile(const AnsiString& FileName);
  // Writes pending changes; a failure here is reported on stderr because a destructor
  // cannot raise. Call UpdateFile to get the exception; after it failed the destructor
  // does not try (and report) again unless something changed since.
  ~TIniFile() override;
  TIniFile(const TIniFile&) = delete;
  TIniFile& operator=(const TIniFile&) = delete;
  const char* ClassName() const override { return "TIniFile"; }

  const AnsiString& FileName() const;
  // Why an existing file could not be read (the file error's message); empty when it was
  // read or did not exist.
  const AnsiString& LoadError() const;

  AnsiString ReadString(const AnsiString& Section, const AnsiString& Ident, const AnsiString& Default) const;
  // Decimal or "$"/"0x" hexadecimal; anything else gives Default.
  int ReadInteger(const AnsiString& Section, const AnsiString& Ident, int Default) const;
  // Any non-zero integer is true; a non-number gives Default.
  bool ReadBool(const AnsiString& Section, const AnsiString& Ident, bool Default) const;
  // "." is the decimal separator; a non-number gives Default.
  double ReadFloat(const AnsiString& Section, const AnsiString& Ident, double Default) const;

  void WriteString(const AnsiString& Section, const AnsiString& Ident, const AnsiString& Value);
  void WriteInteger(const AnsiString& Section, const AnsiString& Ident, int Value);
  // "1" / "0".
  void WriteBool(const AnsiString& Section, const AnsiString& Ident, bool Value);
  // FloatToStr form, so 95.5 is written "95.5"; where 15 digits would not read back as
  // the same value, the shortest text that does (up to 17 digits).
  void WriteFloat(const AnsiString& Section, const AnsiString& Ident, double Value);

  bool SectionExists(const AnsiString& Section) const;
  bool ValueExists(const AnsiString& Section, const AnsiString& Ident) const;
  // Key names of a section / section names, in file order, each once.
  void ReadSection(const AnsiString& Section, TStrings* Strings) const;
  void ReadSections(TStrings* Strings) const;
  // "Key=Value" lines of a section.
  void ReadSectionValues(const AnsiString& Section, TStrings* Strings) const;
  void EraseSection(const AnsiString& Section);
  // Adds an empty section when there is none (the registry stand-in's empty keys).
  void EnsureSection(const AnsiString& Section);
  // Removes every line of that key, so no duplicate comes back.
  void DeleteKey(const AnsiString& Section, const AnsiString& Ident);

  // Writes the file if anything changed. Raises what SafeFile raises.
  void UpdateFile();

 private:
  struct Impl;
  std::unique_ptr<Impl> d_;
};

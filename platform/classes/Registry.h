#pragma once
// A stand-in for the Windows registry: keys live as sections of the INI file
// "registry.ini" in the configuration folder (key path "Software\Maker\Program" is the
// section name, root keys are not told apart). Values are stored as text; changes are
// written when the key is closed or the object destroyed.
#include <cstdint>
#include <memory>
#include "platform/classes/Lists.h"

class TIniFile;

using HKEY = uintptr_t;
constexpr HKEY HKEY_CLASSES_ROOT = 0x80000000u;
constexpr HKEY HKEY_CURRENT_USER = 0x80000001u;
constexpr HKEY HKEY_LOCAL_MACHINE = 0x80000002u;
constexpr HKEY HKEY_USERS = 0x80000003u;

class TRegistry : public TObject {
 public:
  TRegistry();
  ~TRegistry() override;
  TRegistry(const TRegistry&) = delete;
  TRegistry& operator=(const TRegistry&) = delete;
  const char* ClassName() const override { return "TRegistry"; }

  HKEY RootKey() const { return root_; }
  void SetRootKey(HKEY Key) { root_ = Key; }

  // A Key starting with "\" is absolute, otherwise relative to the open key. Returns
  // false when the key does not exist and CanCreate is false.
  bool OpenKey(const AnsiString& Key, bool CanCreate);
  bool OpenKeyReadOnly(const AnsiString& Key);
  // Writes pending changes (raising what SafeFile raises) and closes the key.
  void CloseKey();
  bool KeyExists(const AnsiString& Key) const;
  // Removes the key with all its subkeys and values.
  bool DeleteKey(const AnsiString& Key);
  // Names of the open key's direct subkeys, each once, in file order.
  void GetKeyNames(TStrings* Strings) const;
  bool HasSubKeys() const;
  // The open key path without a leading "\" ("" when none is open).
  const AnsiString& CurrentPath() const { return current_; }

  bool ValueExists(const AnsiString& Name) const;
  bool DeleteValue(const AnsiString& Name);
  void GetValueNames(TStrings* Strings) const;
  // A missing value reads as "".
  AnsiString ReadString(const AnsiString& Name) const;
  void WriteString(const AnsiString& Name, const AnsiString& Value);
  // Raise ERegistryException "Invalid data type for '<Name>'" when the value is missing or
  // not a number.
  int ReadInteger(const AnsiString& Name) const;
  void WriteInteger(const AnsiString& Name, int Value);
  bool ReadBool(const AnsiString& Name) const;
  void WriteBool(const AnsiString& Name, bool Value);
  double ReadFloat(const AnsiString& Name) const;
  void WriteFloat(const AnsiString& Name, double Value);

 private:
  AnsiString Resolve(const AnsiString& Key) const;
  void RequireKey() const;
  TIniFile& Store() const;

  HKEY root_ = HKEY_CURRENT_USER;
  AnsiString current_;
  bool open_ = false;
  bool read_only_ = false;
  mutable std::unique_ptr<TIniFile> store_;
};

// INI-style access below a base key: section = subkey, ident = value name.
class TRegIniFile : public TObject {
 public:
  explicit TRegIniFile(const AnsiString& FileName);
  ~TRegIniFile() override;
  TRegIniFile(const TRegIniFile&) = delete;
  TRegIniFile& operator=(const TRegIniFile&) = delete;
  const char* ClassName() const override { return "TRegIniFile"; }

  const AnsiString& FileName() const { return base_; }
  AnsiString ReadString(const AnsiString& Section, const AnsiString& Ident, const AnsiString& Default) const;
  int ReadInteger(const AnsiString& Section, const AnsiString& Ident, int Default) const;
  bool ReadBool(const AnsiString& Section, const AnsiString& Ident, bool Default) const;
  void WriteString(const AnsiString& Section, const AnsiString& Ident, const AnsiString& Value);
  void WriteInteger(const AnsiString& Section, const AnsiString& Ident, int Value);
  void WriteBool(const AnsiString& Section, const AnsiString& Ident, bool Value);
  void EraseSection(const AnsiString& Section);
  void DeleteKey(const AnsiString& Section, const AnsiString& Ident);
  // Writes pending changes now.
  void UpdateFile();

 private:
  AnsiString SectionName(const AnsiString& Section) const;
  AnsiString base_;
  std::unique_ptr<TIniFile> store_;
};

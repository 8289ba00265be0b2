#include "platform/classes/Registry.h"

#include <cstdio>

#include "platform/classes/IniFiles.h"

namespace {
const char kRegistryFile[] = "registry.ini";

// "\A\\B\" -> "A\B": no leading, trailing or doubled separators.
AnsiString Normalise(const AnsiString& key) {
  AnsiString out;
  for (char c : key) {
    if (c == '\\' && (out.empty() || out.back() == '\\')) continue;
    out += c;
  }
  if (!out.empty() && out.back() == '\\') out.pop_back();
  return out;
}

bool IsBelow(const AnsiString& section, const AnsiString& key) {
  return section.size() > key.size() && section[key.size()] == '\\' && SameText(section.substr(0, key.size()), key);
}
}  // namespace

TRegistry::TRegistry() = default;

TRegistry::~TRegistry() {
  try {
    CloseKey();
  } catch (const std::exception& e) {
    std::fprintf(stderr, "corvaneq5: registry not saved: %s\n", cp1252::ToUtf8(e.what()).c_str());
  }
}

TIniFile& TRegistry::Store() const {
  // Read afresh for every open/close cycle so two registry objects see each other's writes.
  if (!store_) store_ = std::make_unique<TIniFile>(kRegistryFile);
  return *store_;
}

AnsiString TRegistry::Resolve(const AnsiString& Key) const {
  if (!Key.empty() && Key[0] == '\\') return Normalise(Key);
  if (open_ && !current_.empty()) return Normalise(current_ + "\\" + Key);
  return Normalise(Key);
}

void TRegistry::RequireKey() const {
  if (!open_) throw ERegistryException("No registry key is open");
}

bool TRegistry::OpenKey(const AnsiString& Key, bool CanCreate) {
  AnsiString path = Resolve(Key);
  if (!KeyExists("\\" + path)) {
    if (!CanCreate || path.empty()) return false;
    Store().EnsureSection(path);
  }
  current_ = path;
  open_ = true;
  read_only_ = false;
  return true;
}

bool TRegistry::OpenKeyReadOnly(const AnsiString& Key) {
  if (!OpenKey(Key, false)) return false;
  read_only_ = true;
  return true;
}

void TRegistry::CloseKey() {
  if (store_) {
    store_->UpdateFile();
    store_.reset();
  }
  current_.clear();
  open_ = false;
  read_only_ = false;
}

bool TRegistry::KeyExists(const AnsiString& Key) const {
  AnsiString path = Resolve(Key);
  if (path.empty()) return true;  // the root
  TStringList sections;
  Store().ReadSections(&sections);
  for (int i = 0; i < sections.Count(); ++i)
    if (SameText(sections[i], path) || IsBelow(sections[i], path)) return true;
  return false;
}

bool TRegistry::DeleteKey(const AnsiString& Key) {
  AnsiString path = Resolve(Key);
  if (path.empty() || !KeyExists("\\" + path)) return false;
  TStringList sections;
  Store().ReadSections(&sections);
  for (int i = 0; i < sections.Count(); ++i)
    if (SameText(sections[i], path) || IsBelow(sections[i], path)) Store().EraseSection(sections[i]);
  return true;
}

void TRegistry::GetKeyNames(TStrings* Strings) const {
  Strings->BeginUpdate();
  Strings->Clear();
  TStringList sections;
  Store().ReadSections(&sections);
  for (int i = 0; i < sections.Count(); ++i) {
    AnsiString rest;
    if (current_.empty()) rest = sections[i];
    else if (IsBelow(sections[i], current_)) rest = sections[i].substr(current_.size() + 1);
    else continue;
    AnsiString child = rest.substr(0, rest.find('\\'));
    if (!child.empty() && Strings->IndexOf(child) < 0) Strings->Add(child);
  }
  Strings->EndUpdate();
}

bool TRegistry::HasSubKeys() const {
  TStringList names;
  GetKeyNames(&names);
  return names.Count() > 0;
}

bool TRegistry::ValueExists(const AnsiString& Name) const {
  return open_ && Store().ValueExists(current_, Name);
}

bool TRegistry::DeleteValue(const AnsiString& Name) {
  RequireKey();
  if (read_only_ || !Store().ValueExists(current_, Name)) return false;
  Store().DeleteKey(current_, Name);
  return true;
}

void TRegistry::GetValueNames(TStrings* Strings) const {
  if (!open_) {
    Strings->Clear();
    return;
  }
  Store().ReadSection(current_, Strings);
}

AnsiString TRegistry::ReadString(const AnsiString& Name) const {
  RequireKey();
  return Store().ReadString(current_, Name, "");
}

void TRegistry::WriteString(const AnsiString& Name, const AnsiString& Value) {
  RequireKey();
  if (read_only_) throw ERegistryException("Failed to set data for '" + Name + "'");
  Store().WriteString(current_, Name, Value);
}

int TRegistry::ReadInteger(const AnsiString& Name) const {
  RequireKey();
  int v;
  if (!Store().ValueExists(current_, Name) || !TryStrToInt(Store().ReadString(current_, Name, ""), v))
    throw ERegistryException("Invalid data type for '" + Name + "'");
  return v;
}

void TRegistry::WriteInteger(const AnsiString& Name, int Value) { WriteString(Name, IntToStr(Value)); }

bool TRegistry::ReadBool(const AnsiString& Name) const { return ReadInteger(Name) != 0; }

void TRegistry::WriteBool(const AnsiString& Name, bool Value) { WriteInteger(Name, Value ? 1 : 0); }

double TRegistry::ReadFloat(const AnsiString& Name) const {
  RequireKey();
  double v;
  if (!Store().ValueExists(current_, Name) || !TryStrToFloat(Store().ReadString(current_, Name, ""), v))
    throw ERegistryException("Invalid data type for '" + Name + "'");
  return v;
}

void TRegistry::WriteFloat(const AnsiString& Name, double Value) { WriteString(Name, FloatToStr(Value)); }

// --- TRegIniFile -------------------------------------------------------------------

TRegIniFile::TRegIniFile(const AnsiString& FileName)
    : base_(Normalise(FileName)), store_(std::make_unique<TIniFile>(kRegistryFile)) {}

TRegIniFile::~TRegIniFile() = default;  // the INI store writes pending changes itself

AnsiString TRegIniFile::SectionName(const AnsiString& Section) const {
  return Normalise(base_ + "\\" + Section);
}

AnsiString TRegIniFile::ReadString(const AnsiString& Section, const AnsiString& Ident, const AnsiString& Default) const {
  return store_->ReadString(SectionName(Section), Ident, Default);
}

int TRegIniFile::ReadInteger(const AnsiString& Section, const AnsiString& Ident, int Default) const {
  return store_->ReadInteger(SectionName(Section), Ident, Default);
}

bool TRegIniFile::ReadBool(const AnsiString& Section, const AnsiString& Ident, bool Default) const {
  return store_->ReadBool(SectionName(Section), Ident, Default);
}

void TRegIniFile::WriteString(const AnsiString& Section, const AnsiString& Ident, const AnsiString& Value) {
  store_->WriteString(SectionName(Section), Ident, Value);
}

void TRegIniFile::WriteInteger(const AnsiString& Section, const AnsiString& Ident, int Value) {
  store_->WriteInteger(SectionName(Section), Ident, Value);
}

void TRegIniFile::WriteBool(const AnsiString& Section, const AnsiString& Ident, bool Value) {
  store_->WriteBool(SectionName(Section), Ident, Value);
}

void TRegIniFile::EraseSection(const AnsiString& Section) { store_->EraseSection(SectionName(Section)); }

void TRegIniFile::DeleteKey(const AnsiString& Section, const AnsiString& Ident) {
  store_->DeleteKey(SectionName(Section), Ident);
}

void TRegIniFile::UpdateFile() { store_->UpdateFile(); }

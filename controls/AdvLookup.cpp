#include "controls/AdvLookup.h"

#include <algorithm>
#include "platform/classes/IniFiles.h"
#include "platform/classes/Registry.h"
#include "platform/rtl/FileUtils.h"
#include "platform/rtl/Numbers.h"
#include "platform/rtl/TextUtils.h"
#include "platform/ui/Application.h"

TLookupSettings::TLookupSettings() : display_(std::make_unique<TStringList>()), values_(std::make_unique<TStringList>()) {}

TLookupSettings::~TLookupSettings() = default;

void TLookupSettings::Assign(TPersistent* Source) {
  auto* s = dynamic_cast<TLookupSettings*>(Source);
  if (s == nullptr) {
    TPersistent::Assign(Source);
    return;
  }
  case_sensitive_ = s->case_sensitive_;
  color_ = s->color_;
  display_count_ = s->display_count_;
  display_->Assign(s->display_.get());
  enabled_ = s->enabled_;
  history_ = s->history_;
  num_chars_ = s->num_chars_;
  values_->Assign(s->values_.get());
  multi_ = s->multi_;
  separator_ = s->separator_;
}

AnsiString TLookupSettings::TypedPart(const AnsiString& Text, int& Offset) const {
  Offset = 0;
  if (!multi_) return Text;
  const size_t p = Text.rfind(separator_);
  if (p == AnsiString::npos) return Text;
  Offset = static_cast<int>(p) + 1;
  return Text.substr(p + 1);
}

std::vector<int> TLookupSettings::Matches(const AnsiString& Typed) const {
  std::vector<int> r;
  const AnsiString key = case_sensitive_ ? Typed : UpperCase(Typed);
  for (int i = 0; i < display_->Count(); ++i) {
    const AnsiString e = case_sensitive_ ? display_->Strings(i) : UpperCase(display_->Strings(i));
    if (e.compare(0, key.size(), key) == 0) r.push_back(i);
  }
  return r;
}

AnsiString TLookupSettings::ValueFor(int i) const {
  if (i >= 0 && i < values_->Count()) return values_->Strings(i);
  return i >= 0 && i < display_->Count() ? display_->Strings(i) : AnsiString();
}

bool TLookupSettings::AddHistory(const AnsiString& Text) {
  const AnsiString t = Trim(Text);
  if (t.empty()) return false;
  for (int i = 0; i < display_->Count(); ++i)
    if (display_->Strings(i) == t) return false;
  // A value list shorter than the display list is brought up to it first, so each entry
  // keeps its own value.
  while (values_->Count() < display_->Count()) values_->Add(display_->Strings(values_->Count()));
  display_->Add(t);
  if (values_->Count() < display_->Count()) values_->Add(t);
  return true;
}

void TPersistence::Assign(TPersistent* Source) {
  auto* s = dynamic_cast<TPersistence*>(Source);
  if (s == nullptr) {
    TPersistent::Assign(Source);
    return;
  }
  enable_ = s->enable_;
  key_ = s->key_;
  section_ = s->section_;
  location_ = s->location_;
}

namespace {

// One store for both places: an INI file or a registry key with INI-style access.
struct Store {
  std::unique_ptr<TIniFile> ini;
  std::unique_ptr<TRegIniFile> reg;
  AnsiString section;

  Store(const TPersistence& P, const AnsiString& Name) {
    section = P.Section().empty() ? Name : P.Section();
    if (P.Location() == plRegistry) {
      reg = std::make_unique<TRegIniFile>(P.Key());
    } else {
      AnsiString file = P.Key();
      if (file.empty()) file = ChangeFileExt(ExtractFileName(Application->ExeName()), ".INI");
      ini = std::make_unique<TIniFile>(file);
    }
  }
  AnsiString Read(const AnsiString& Ident, const AnsiString& Default) const {
    return ini ? ini->ReadString(section, Ident, Default) : reg->ReadString(section, Ident, Default);
  }
  int ReadInt(const AnsiString& Ident, int Default) const {
    return ini ? ini->ReadInteger(section, Ident, Default) : reg->ReadInteger(section, Ident, Default);
  }
  void Write(const AnsiString& Ident, const AnsiString& Value) {
    if (ini) ini->WriteString(section, Ident, Value);
    else reg->WriteString(section, Ident, Value);
  }
  void WriteInt(const AnsiString& Ident, int Value) {
    if (ini) ini->WriteInteger(section, Ident, Value);
    else reg->WriteInteger(section, Ident, Value);
  }
  void Flush() {
    if (ini) ini->UpdateFile();
    else reg->UpdateFile();
  }
};

}  // namespace

void LoadPersistedEdit(const TPersistence& P, const AnsiString& Name, TLookupSettings* Lists, AnsiString& Text) {
  if (!P.Enable()) return;
  Store s(P, Name);
  if (Lists && Lists->Enabled() && Lists->History()) {
    const int count = std::clamp(s.ReadInt("LOOKUPCOUNT", 0), 0, kMaxLookupEntries);
    for (int i = 1; i <= count; ++i) {
      const AnsiString display = s.Read("LOOKUPDISPL" + IntToStr(i), "");
      if (display.empty()) continue;
      // The pair goes in together, so the two lists stay in step.
      const AnsiString value = s.Read("LOOKUPVAL" + IntToStr(i), "");
      while (Lists->ValueList()->Count() < Lists->DisplayList()->Count())
        Lists->ValueList()->Add(Lists->DisplayList()->Strings(Lists->ValueList()->Count()));
      Lists->DisplayList()->Add(display);
      Lists->ValueList()->Add(value.empty() ? display : value);
    }
  }
  Text = s.Read(Name, Text);
}

void SavePersistedEdit(const TPersistence& P, const AnsiString& Name, const TLookupSettings* Lists, const AnsiString& Text) {
  if (!P.Enable()) return;
  Store s(P, Name);
  if (Lists && Lists->Enabled() && Lists->History()) {
    const int count = std::min(Lists->DisplayList()->Count(), kMaxLookupEntries);
    s.WriteInt("LOOKUPCOUNT", count);
    for (int i = 0; i < count; ++i) {
      s.Write("LOOKUPVAL" + IntToStr(i + 1), Lists->ValueFor(i));
      s.Write("LOOKUPDISPL" + IntToStr(i + 1), Lists->DisplayList()->Strings(i));
    }
  }
  s.Write(Name, Text);
  s.Flush();
}

#pragma once
// The typed edit's two optional services: an auto-complete list (entries beginning with
// what was typed, with a history of entered values) and persistence of the text and the
// lists in an INI file or the registry store.
#include <functional>
#include <memory>
#include <vector>
#include "platform/classes/Classes.h"
#include "platform/classes/Lists.h"
#include "platform/graphics/Colors.h"

class TLookupSettings : public TPersistent {
 public:
  TLookupSettings();
  ~TLookupSettings() override;
  const char* ClassName() const override { return "TLookupSettings"; }
  void Assign(TPersistent* Source) override;

  bool CaseSensitive() const { return case_sensitive_; }
  void SetCaseSensitive(bool v) { case_sensitive_ = v; }
  TColor Color() const { return color_; }
  void SetColor(TColor v) { color_ = v; }
  int DisplayCount() const { return display_count_; }
  void SetDisplayCount(int v) { display_count_ = v < 1 ? 1 : v; }
  TStringList* DisplayList() const { return display_.get(); }
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool v) { enabled_ = v; }
  bool History() const { return history_; }
  void SetHistory(bool v) { history_ = v; }
  int NumChars() const { return num_chars_; }
  // Values of 0 or less are ignored.
  void SetNumChars(int v) {
    if (v > 0) num_chars_ = v;
  }
  TStringList* ValueList() const { return values_.get(); }
  bool Multi() const { return multi_; }
  void SetMulti(bool v) { multi_ = v; }
  char Separator() const { return separator_; }
  void SetSeparator(char v) { separator_ = v; }

  // The part of Text the list matches: all of it, or with Multi what follows the last
  // separator (Offset: the length before it).
  AnsiString TypedPart(const AnsiString& Text, int& Offset) const;
  // Indexes into DisplayList of the entries that begin with Typed.
  std::vector<int> Matches(const AnsiString& Typed) const;
  // The value for DisplayList entry i: ValueList[i] when there is one, else the entry.
  AnsiString ValueFor(int i) const;
  // Adds an entered text to the history (both lists, so they stay in step); false when
  // it is empty or already listed.
  bool AddHistory(const AnsiString& Text);

 private:
  bool case_sensitive_ = false;
  TColor color_ = clWindow;
  int display_count_ = 4;
  std::unique_ptr<TStringList> display_, values_;
  bool enabled_ = false, history_ = false;
  int num_chars_ = 2;
  bool multi_ = false;
  char separator_ = ';';
};

enum TPersistenceLocation { plInifile, plRegistry };

class TPersistence : public TPersistent {
 public:
  const char* ClassName() const override { return "TPersistence"; }
  void Assign(TPersistent* Source) override;
  bool Enable() const { return enable_; }
  void SetEnable(bool v) { enable_ = v; }
  const AnsiString& Key() const { return key_; }
  void SetKey(const AnsiString& v) { key_ = v; }
  const AnsiString& Section() const { return section_; }
  void SetSection(const AnsiString& v) { section_ = v; }
  TPersistenceLocation Location() const { return location_; }
  void SetLocation(TPersistenceLocation v) { location_ = v; }

 private:
  bool enable_ = false;
  AnsiString key_, section_;
  TPersistenceLocation location_ = plInifile;
};

// Most history entries a store is read with: a damaged count cannot make a load run on.
constexpr int kMaxLookupEntries = 1000;

// Reads and writes the edit's text (under Name) and, with History, its lists
// ("LOOKUPCOUNT", "LOOKUPVAL<i>", "LOOKUPDISPL<i>", i from 1) in the store P names:
// an INI file Key (empty: the program's name with ".INI") or the registry key Key;
// Section defaults to Name.
void LoadPersistedEdit(const TPersistence& P, const AnsiString& Name, TLookupSettings* Lists, AnsiString& Text);
void SavePersistedEdit(const TPersistence& P, const AnsiString& Name, const TLookupSettings* Lists, const AnsiString& Text);

#include "platform/classes/Lists.h"

#include <algorithm>

#include "platform/classes/SafeFile.h"

namespace {
[[noreturn]] void ListIndexError(int Index) {
  throw EListError("List index out of bounds (" + std::to_string(Index) + ")");
}
}  // namespace

// --- TList -------------------------------------------------------------------------

void* TList::Items(int Index) const {
  if (Index < 0 || Index >= Count()) ListIndexError(Index);
  return items_[static_cast<size_t>(Index)];
}

void TList::SetItem(int Index, void* Item) {
  if (Index < 0 || Index >= Count()) ListIndexError(Index);
  items_[static_cast<size_t>(Index)] = Item;
}

int TList::Add(void* Item) {
  items_.push_back(Item);
  return Count() - 1;
}

void TList::Insert(int Index, void* Item) {
  if (Index < 0 || Index > Count()) ListIndexError(Index);
  items_.insert(items_.begin() + Index, Item);
}

void TList::Delete(int Index) {
  if (Index < 0 || Index >= Count()) ListIndexError(Index);
  items_.erase(items_.begin() + Index);
}

int TList::Remove(void* Item) {
  int i = IndexOf(Item);
  if (i >= 0) Delete(i);
  return i;
}

int TList::IndexOf(void* Item) const {
  auto it = std::find(items_.begin(), items_.end(), Item);
  return it == items_.end() ? -1 : static_cast<int>(it - items_.begin());
}

void TList::Exchange(int Index1, int Index2) {
  if (Index1 < 0 || Index1 >= Count()) ListIndexError(Index1);
  if (Index2 < 0 || Index2 >= Count()) ListIndexError(Index2);
  std::swap(items_[static_cast<size_t>(Index1)], items_[static_cast<size_t>(Index2)]);
}

void TList::Move(int CurIndex, int NewIndex) {
  if (CurIndex == NewIndex) return;
  if (NewIndex < 0 || NewIndex >= Count()) ListIndexError(NewIndex);
  void* item = Items(CurIndex);
  items_.erase(items_.begin() + CurIndex);
  items_.insert(items_.begin() + NewIndex, item);
}

void TList::Clear() { items_.clear(); }

void TList::Sort(const std::function<int(void*, void*)>& Compare) {
  std::stable_sort(items_.begin(), items_.end(), [&](void* a, void* b) { return Compare(a, b) < 0; });
}

// --- TStrings ----------------------------------------------------------------------

void TStrings::IndexError(int Index) {
  throw EStringListError("List index out of bounds (" + std::to_string(Index) + ")");
}

void TStrings::SetString(int Index, const AnsiString& S) {
  TObject* obj = Objects(Index);
  Delete(Index);
  InsertObject(Index, S, obj);
}

TObject* TStrings::Objects(int Index) const {
  if (Index < 0 || Index >= Count()) IndexError(Index);
  return nullptr;
}

void TStrings::SetObject(int Index, TObject*) {
  if (Index < 0 || Index >= Count()) IndexError(Index);
}

int TStrings::Add(const AnsiString& S) {
  int i = Count();
  Insert(i, S);
  return i;
}

int TStrings::AddObject(const AnsiString& S, TObject* AObject) {
  int i = Add(S);
  SetObject(i, AObject);
  return i;
}

void TStrings::InsertObject(int Index, const AnsiString& S, TObject* AObject) {
  Insert(Index, S);
  SetObject(Index, AObject);
}

void TStrings::AddStrings(const TStrings& Other) {
  BeginUpdate();
  for (int i = 0; i < Other.Count(); ++i) AddObject(Other.Strings(i), Other.Objects(i));
  EndUpdate();
}

void TStrings::Exchange(int Index1, int Index2) {
  AnsiString s1 = Strings(Index1), s2 = Strings(Index2);
  TObject* o1 = Objects(Index1);
  TObject* o2 = Objects(Index2);
  SetString(Index1, s2);
  SetObject(Index1, o2);
  SetString(Index2, s1);
  SetObject(Index2, o1);
}

void TStrings::Move(int CurIndex, int NewIndex) {
  if (CurIndex == NewIndex) return;
  AnsiString s = Strings(CurIndex);
  TObject* o = Objects(CurIndex);
  Delete(CurIndex);
  InsertObject(NewIndex, s, o);
}

int TStrings::IndexOf(const AnsiString& S) const {
  for (int i = 0; i < Count(); ++i)
    if (SameText(Strings(i), S)) return i;
  return -1;
}

int TStrings::IndexOfObject(TObject* AObject) const {
  for (int i = 0; i < Count(); ++i)
    if (Objects(i) == AObject) return i;
  return -1;
}

AnsiString TStrings::Text() const {
  AnsiString r;
  for (int i = 0; i < Count(); ++i) r += Strings(i) + "\r\n";
  return r;
}

void TStrings::SetText(const AnsiString& Value) {
  BeginUpdate();
  Clear();
  size_t start = 0, i = 0;
  while (i < Value.size()) {
    char c = Value[i];
    if (c == '\r' || c == '\n') {
      Add(Value.substr(start, i - start));
      if (c == '\r' && i + 1 < Value.size() && Value[i + 1] == '\n') ++i;
      start = ++i;
    } else {
      ++i;
    }
  }
  if (start < Value.size()) Add(Value.substr(start));
  EndUpdate();
}

AnsiString TStrings::CommaText() const {
  AnsiString r;
  for (int i = 0; i < Count(); ++i) {
    const AnsiString s = Strings(i);
    bool quote = s.empty() && Count() == 1;
    for (char c : s)
      if (static_cast<unsigned char>(c) <= ' ' || c == ',' || c == '"') quote = true;
    if (i > 0) r += ',';
    if (!quote) {
      r += s;
      continue;
    }
    r += '"';
    for (char c : s) {
      if (c == '"') r += '"';
      r += c;
    }
    r += '"';
  }
  return r;
}

void TStrings::SetCommaText(const AnsiString& Value) {
  BeginUpdate();
  Clear();
  size_t i = 0;
  auto skipBlanks = [&] {
    while (i < Value.size() && static_cast<unsigned char>(Value[i]) <= ' ') ++i;
  };
  skipBlanks();
  while (i < Value.size()) {
    AnsiString item;
    if (Value[i] == '"') {
      ++i;
      while (i < Value.size()) {
        if (Value[i] == '"') {
          if (i + 1 < Value.size() && Value[i + 1] == '"') {
            item += '"';
            i += 2;
            continue;
          }
          ++i;
          break;
        }
        item += Value[i++];
      }
      // Anything up to the next separator after the closing quote is kept as well.
      while (i < Value.size() && Value[i] != ',' && static_cast<unsigned char>(Value[i]) > ' ') item += Value[i++];
    } else {
      while (i < Value.size() && Value[i] != ',' && static_cast<unsigned char>(Value[i]) > ' ') item += Value[i++];
    }
    Add(item);
    skipBlanks();
    if (i < Value.size() && Value[i] == ',') {
      ++i;
      skipBlanks();
      if (i >= Value.size()) Add("");  // a trailing comma leaves one empty item
    }
  }
  EndUpdate();
}

AnsiString TStrings::Names(int Index) const {
  AnsiString s = Strings(Index);
  size_t eq = s.find('=');
  return eq == AnsiString::npos ? AnsiString() : s.substr(0, eq);
}

int TStrings::IndexOfName(const AnsiString& Name) const {
  for (int i = 0; i < Count(); ++i) {
    AnsiString s = Strings(i);
    size_t eq = s.find('=');
    if (eq != AnsiString::npos && SameText(s.substr(0, eq), Name)) return i;
  }
  return -1;
}

AnsiString TStrings::Values(const AnsiString& Name) const {
  int i = IndexOfName(Name);
  if (i < 0) return {};
  AnsiString s = Strings(i);
  return s.substr(s.find('=') + 1);
}

void TStrings::SetValue(const AnsiString& Name, const AnsiString& Value) {
  int i = IndexOfName(Name);
  if (Value.empty()) {
    if (i >= 0) Delete(i);
    return;
  }
  if (i < 0) Add(Name + "=" + Value);
  else SetString(i, Name + "=" + Value);
}

void TStrings::LoadFromFile(const AnsiString& FileName) { SetText(safefile::ReadFile(FileName)); }

void TStrings::SaveToFile(const AnsiString& FileName) const { safefile::WriteFile(FileName, Text()); }

void TStrings::BeginUpdate() {
  if (update_count_++ == 0) SetUpdateState(true);
}

void TStrings::EndUpdate() {
  if (update_count_ > 0 && --update_count_ == 0) SetUpdateState(false);
}

void TStrings::Assign(TPersistent* Source) {
  if (auto* src = dynamic_cast<TStrings*>(Source)) {
    if (src == this) return;
    BeginUpdate();
    Clear();
    AddStrings(*src);
    EndUpdate();
    return;
  }
  TPersistent::Assign(Source);
}

// --- TStringList -------------------------------------------------------------------

TStringList::~TStringList() {
  if (owns_objects_)
    for (Item& it : items_) delete it.obj;
}

int TStringList::CompareStrings(const AnsiString& A, const AnsiString& B) const {
  return case_sensitive_ ? CompareStr(A, B) : CompareText(A, B);
}

AnsiString TStringList::Strings(int Index) const {
  if (Index < 0 || Index >= Count()) IndexError(Index);
  return items_[static_cast<size_t>(Index)].s;
}

void TStringList::SetString(int Index, const AnsiString& S) {
  if (sorted_) throw EStringListError("Operation not allowed on sorted list");
  if (Index < 0 || Index >= Count()) IndexError(Index);
  items_[static_cast<size_t>(Index)].s = S;
  Changed();
}

TObject* TStringList::Objects(int Index) const {
  if (Index < 0 || Index >= Count()) IndexError(Index);
  return items_[static_cast<size_t>(Index)].obj;
}

void TStringList::SetObject(int Index, TObject* AObject) {
  if (Index < 0 || Index >= Count()) IndexError(Index);
  items_[static_cast<size_t>(Index)].obj = AObject;
  Changed();
}

int TStringList::Add(const AnsiString& S) {
  int index = Count();
  if (sorted_) {
    if (Find(S, index)) {
      if (duplicates_ == dupIgnore) return index;
      if (duplicates_ == dupError) throw EStringListError("String list does not allow duplicates");
      // dupAccept: after the equal ones, so equal strings keep their adding order.
      while (index < Count() && CompareStrings(items_[static_cast<size_t>(index)].s, S) == 0) ++index;
    }
  }
  InsertItem(index, S, nullptr);
  return index;
}

int TStringList::AddObject(const AnsiString& S, TObject* AObject) {
  int before = Count();
  int index = Add(S);
  if (Count() > before) items_[static_cast<size_t>(index)].obj = AObject;
  return index;
}

void TStringList::Insert(int Index, const AnsiString& S) {
  if (sorted_) throw EStringListError("Operation not allowed on sorted list");
  if (Index < 0 || Index > Count()) IndexError(Index);
  InsertItem(Index, S, nullptr);
}

void TStringList::InsertItem(int Index, const AnsiString& S, TObject* AObject) {
  items_.insert(items_.begin() + Index, Item{S, AObject});
  Changed();
}

void TStringList::Delete(int Index) {
  if (Index < 0 || Index >= Count()) IndexError(Index);
  TObject* obj = items_[static_cast<size_t>(Index)].obj;
  items_.erase(items_.begin() + Index);
  if (owns_objects_) delete obj;
  Changed();
}

void TStringList::Clear() {
  if (items_.empty()) return;
  std::vector<Item> old;
  old.swap(items_);
  if (owns_objects_)
    for (Item& it : old) delete it.obj;
  Changed();
}

int TStringList::IndexOf(const AnsiString& S) const {
  if (sorted_) {
    int i;
    return Find(S, i) ? i : -1;
  }
  for (int i = 0; i < Count(); ++i)
    if (CompareStrings(items_[static_cast<size_t>(i)].s, S) == 0) return i;
  return -1;
}

bool TStringList::Find(const AnsiString& S, int& Index) const {
  // Lower bound: the first equal string when there are several.
  int lo = 0, hi = Count();
  while (lo < hi) {
    int mid = (lo + hi) / 2;
    if (CompareStrings(items_[static_cast<size_t>(mid)].s, S) < 0) lo = mid + 1;
    else hi = mid;
  }
  Index = lo;
  return lo < Count() && CompareStrings(items_[static_cast<size_t>(lo)].s, S) == 0;
}

void TStringList::Sort() {
  std::stable_sort(items_.begin(), items_.end(),
                   [this](const Item& a, const Item& b) { return CompareStrings(a.s, b.s) < 0; });
  Changed();
}

void TStringList::CustomSort(const std::function<int(TStringList*, int, int)>& Compare) {
  // Sort a permutation so the callback can look items up by index in the unchanged list.
  std::vector<int> order(items_.size());
  for (size_t i = 0; i < order.size(); ++i) order[i] = static_cast<int>(i);
  std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return Compare(this, a, b) < 0; });
  std::vector<Item> sorted;
  sorted.reserve(items_.size());
  for (int i : order) sorted.push_back(items_[static_cast<size_t>(i)]);
  items_.swap(sorted);
  Changed();
}

void TStringList::SetSorted(bool Value) {
  if (Value == sorted_) return;
  if (Value) Sort();
  sorted_ = Value;
}

void TStringList::SetCaseSensitive(bool Value) {
  if (Value == case_sensitive_) return;
  case_sensitive_ = Value;
  if (sorted_) Sort();
}

void TStringList::SetUpdateState(bool Updating) {
  if (!Updating) Changed();
}

void TStringList::Changed() {
  if (UpdateCount() == 0 && OnChange) OnChange(this);
}

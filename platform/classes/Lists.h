#pragma once
// TList (a list of pointers) and the string lists TStrings / TStringList.
#include <functional>
#include <vector>
#include "platform/classes/Classes.h"

// A list of untyped pointers (usually TObject*). It never owns what it holds.
class TList : public TObject {
 public:
  const char* ClassName() const override { return "TList"; }
  int Count() const { return static_cast<int>(items_.size()); }
  // Index errors raise EListError "List index out of bounds (<i>)".
  void* Items(int Index) const;
  void* operator[](int Index) const { return Items(Index); }
  void SetItem(int Index, void* Item);
  int Add(void* Item);
  void Insert(int Index, void* Item);
  void Delete(int Index);
  // Removes the first occurrence; returns its former index or -1.
  int Remove(void* Item);
  int IndexOf(void* Item) const;
  void Exchange(int Index1, int Index2);
  void Move(int CurIndex, int NewIndex);
  void Clear();
  void* First() const { return Items(0); }
  void* Last() const { return Items(Count() - 1); }
  // Stable sort; Compare returns <0, 0, >0.
  void Sort(const std::function<int(void*, void*)>& Compare);

 private:
  std::vector<void*> items_;
};

enum TDuplicates { dupIgnore, dupAccept, dupError };

// Abstract list of strings with an object per line. Controls implement it over their own
// storage; TStringList is the stand-alone one.
class TStrings : public TPersistent {
 public:
  const char* ClassName() const override { return "TStrings"; }

  virtual int Count() const = 0;
  // Index errors raise EStringListError "List index out of bounds (<i>)".
  virtual AnsiString Strings(int Index) const = 0;
  virtual void SetString(int Index, const AnsiString& S);
  AnsiString operator[](int Index) const { return Strings(Index); }
  virtual TObject* Objects(int Index) const;
  virtual void SetObject(int Index, TObject* AObject);

  virtual int Add(const AnsiString& S);
  virtual int AddObject(const AnsiString& S, TObject* AObject);
  virtual void Insert(int Index, const AnsiString& S) = 0;
  void InsertObject(int Index, const AnsiString& S, TObject* AObject);
  virtual void Delete(int Index) = 0;
  virtual void Clear() = 0;
  void AddStrings(const TStrings& Other);
  void Exchange(int Index1, int Index2);
  void Move(int CurIndex, int NewIndex);

  // Case-insensitive (ASCII) search; -1 when absent.
  virtual int IndexOf(const AnsiString& S) const;
  int IndexOfObject(TObject* AObject) const;

  // Every line followed by CR LF. Setting splits on CR, LF or CR LF; a final line break
  // does not add an empty line.
  AnsiString Text() const;
  virtual void SetText(const AnsiString& Value);
  // Comma-separated, items holding blanks, commas or quotes are double-quoted.
  AnsiString CommaText() const;
  void SetCommaText(const AnsiString& Value);

  // "Name=Value" lines.
  AnsiString Names(int Index) const;
  AnsiString Values(const AnsiString& Name) const;
  void SetValue(const AnsiString& Name, const AnsiString& Value);
  int IndexOfName(const AnsiString& Name) const;

  // Bytes as they are (Windows-1252). Load raises EFOpenError; save goes through
  // SafeFile so the old file survives a failed write.
  void LoadFromFile(const AnsiString& FileName);
  void SaveToFile(const AnsiString& FileName) const;

  // Nested; controls use them to repaint once after many changes.
  void BeginUpdate();
  void EndUpdate();
  int UpdateCount() const { return update_count_; }

  void Assign(TPersistent* Source) override;

 protected:
  virtual void SetUpdateState(bool /*Updating*/) {}
  [[noreturn]] static void IndexError(int Index);

 private:
  int update_count_ = 0;
};

class TStringList : public TStrings {
 public:
  TStringList() = default;
  ~TStringList() override;
  TStringList(const TStringList&) = delete;
  TStringList& operator=(const TStringList&) = delete;
  const char* ClassName() const override { return "TStringList"; }

  int Count() const override { return static_cast<int>(items_.size()); }
  AnsiString Strings(int Index) const override;
  // Raises EStringListError "Operation not allowed on sorted list" when Sorted.
  void SetString(int Index, const AnsiString& S) override;
  TObject* Objects(int Index) const override;
  void SetObject(int Index, TObject* AObject) override;

  // On a sorted list the string goes to its sorted place and the Duplicates rule applies:
  // dupIgnore returns the existing index, dupError raises EStringListError
  // "String list does not allow duplicates".
  int Add(const AnsiString& S) override;
  // As Add; an ignored duplicate keeps its old object.
  int AddObject(const AnsiString& S, TObject* AObject) override;
  // Raises EStringListError "Operation not allowed on sorted list" when Sorted.
  void Insert(int Index, const AnsiString& S) override;
  void Delete(int Index) override;
  void Clear() override;
  int IndexOf(const AnsiString& S) const override;

  // Binary search on a sorted list: true and the index when found, else false and the
  // index where S would go. On an unsorted list the result is meaningless.
  bool Find(const AnsiString& S, int& Index) const;
  void Sort();
  void CustomSort(const std::function<int(TStringList*, int, int)>& Compare);

  bool Sorted() const { return sorted_; }
  void SetSorted(bool Value);
  TDuplicates Duplicates() const { return duplicates_; }
  void SetDuplicates(TDuplicates Value) { duplicates_ = Value; }
  // Off by default: comparisons ignore ASCII case.
  bool CaseSensitive() const { return case_sensitive_; }
  void SetCaseSensitive(bool Value);
  // When true the list deletes its objects on Delete, Clear and destruction.
  bool OwnsObjects() const { return owns_objects_; }
  void SetOwnsObjects(bool Value) { owns_objects_ = Value; }

  // Called after every change, or once at the end of a BeginUpdate/EndUpdate block.
  TNotifyEvent OnChange;

 protected:
  int CompareStrings(const AnsiString& A, const AnsiString& B) const;
  void SetUpdateState(bool Updating) override;

 private:
  struct Item {
    AnsiString s;
    TObject* obj = nullptr;
  };
  void InsertItem(int Index, const AnsiString& S, TObject* AObject);
  void Changed();

  std::vector<Item> items_;
  bool sorted_ = false;
  bool case_sensitive_ = false;
  bool owns_objects_ = false;
  TDuplicates duplicates_ = dupIgnore;
};

#pragma once
// The class registry of form streaming: classes are created by name, and each class
// describes its published properties, its extra stream properties (DefineProperties),
// and, for forms, the handler methods and component fields bound by name. Properties
// are inherited along the registered base classes.
#include <functional>
#include <map>
#include <memory>
#include <typeindex>
#include <vector>
#include "platform/classes/Classes.h"

class TReader;
class TWriter;
class TFiler;

enum class TPropKind { Integer, Boolean, Float, String, Enum, Set, Object, Strings, Collection, Component, Event };

// Identifier names for some integer values of a property (colour names such as clRed,
// cursor names, ...). The writer uses the name where one exists.
struct TIdentMapEntry {
  int64_t Value;
  const char* Name;
};
using TIdentMap = std::vector<TIdentMapEntry>;

// A handler method of a form class, turned into an event function bound to one form.
struct THandlerInfo {
  AnsiString Name;
  std::type_index FunctionType;  // typeid(std::function<R(Args...)>)
  std::function<void(TObject* Form, void* FunctionOut)> Make;
};

// An object whose owner gives it defaults of its own (a grid pen grey and dotted, a
// title transparent, a foot's font red): a property is stored only when it differs from
// the default kept here, else from the class's registered one.
class TOwnDefaults {
 public:
  virtual ~TOwnDefaults() = default;
  void SetOwnOrdDefault(const AnsiString& Name, int64_t Value) { ord_[Name] = Value; }
  void SetOwnFloatDefault(const AnsiString& Name, double Value) { float_[Name] = Value; }
  void SetOwnStrDefault(const AnsiString& Name, const AnsiString& Value) { str_[Name] = Value; }
  const int64_t* OwnOrdDefault(const AnsiString& Name) const { return Find(ord_, Name); }
  const double* OwnFloatDefault(const AnsiString& Name) const { return Find(float_, Name); }
  const AnsiString* OwnStrDefault(const AnsiString& Name) const { return Find(str_, Name); }

 private:
  template <class M>
  static const typename M::mapped_type* Find(const M& m, const AnsiString& Name) {
    auto it = m.find(Name);
    return it == m.end() ? nullptr : &it->second;
  }
  std::map<AnsiString, int64_t> ord_;
  std::map<AnsiString, double> float_;
  std::map<AnsiString, AnsiString> str_;
};

// One published property. Kind-specific behaviour for reading and writing lives in the
// streaming library; the typed accessors below are implemented by the registration
// templates (ClassProps.h) over the class's own getters and setters.
class TPropInfo {
 public:
  TPropInfo(AnsiString Name, TPropKind Kind) : name_(std::move(Name)), kind_(Kind) {}
  virtual ~TPropInfo() = default;
  TPropInfo(const TPropInfo&) = delete;
  TPropInfo& operator=(const TPropInfo&) = delete;

  const AnsiString& Name() const { return name_; }
  TPropKind Kind() const { return kind_; }
  // Enumeration or set element names (index = ordinal / bit number).
  const std::vector<AnsiString>& Names() const { return names_; }
  const TIdentMap* Idents() const { return idents_; }
  int64_t OrdDefault() const { return ord_default_; }

  virtual int64_t GetOrd(TObject* Instance) const;
  virtual void SetOrd(TObject* Instance, int64_t Value) const;
  virtual double GetFloat(TObject* Instance) const;
  virtual void SetFloat(TObject* Instance, double Value) const;
  virtual AnsiString GetStr(TObject* Instance) const;
  virtual void SetStr(TObject* Instance, const AnsiString& Value) const;
  // Object, Strings (a TStrings) and Component kinds.
  virtual TObject* GetObject(TObject* Instance) const;
  // The nested object without creating it (objects made on first read); nullptr when absent.
  virtual TObject* PeekObject(TObject* Instance) const { return GetObject(Instance); }
  virtual void SetComponent(TObject* Instance, TComponent* Value) const;
  // Collection kind: duck-typed over the collection's Clear/Add/Count/Items.
  virtual void CollectionClear(TObject* Instance) const;
  virtual TPersistent* CollectionAdd(TObject* Instance) const;
  virtual int CollectionCount(TObject* Instance) const;
  virtual TPersistent* CollectionItem(TObject* Instance, int Index) const;
  // Event kind.
  virtual void BindHandler(TObject* Instance, const THandlerInfo& Handler, TObject* Form) const;
  // The name of the form handler the event is bound to; empty when unbound or bound in code.
  virtual AnsiString HandlerName(TObject* Instance) const;

  // Whether the value differs from the default, so that the writer stores it.
  virtual bool IsStored(TObject* Instance) const;

 protected:
  [[noreturn]] void WrongKind(const char* access) const;

  AnsiString name_;
  TPropKind kind_;
  std::vector<AnsiString> names_;
  const TIdentMap* idents_ = nullptr;
  int64_t ord_default_ = 0;
  double float_default_ = 0;
  AnsiString str_default_;
};

// Records the current value of every ordinal, float and string property of Instance and
// of its nested objects (those that exist) as their own defaults, in the objects that keep
// them (TOwnDefaults). Owners call it once their parts are set up.
void MarkOwnDefaults(TObject* Instance);

// Registration record of one class.
class TStreamClass {
 public:
  using TFactory = std::function<TComponent*(TComponent* Owner)>;
  using TDefineHook = std::function<void(TObject* Instance, TFiler& Filer)>;
  using TParentHook = std::function<void(TComponent* Child, TComponent* Parent)>;
  using TChildrenHook = std::function<std::vector<TComponent*>(TComponent* Self, TComponent* Root)>;
  using TFieldBinder = std::function<void(TObject* Form, TComponent* Component)>;

  TStreamClass(AnsiString Name, std::type_index Type, std::type_index Base, bool HasBase)
      : name_(std::move(Name)), type_(Type), base_(Base), has_base_(HasBase) {}

  const AnsiString& Name() const { return name_; }
  std::type_index Type() const { return type_; }
  // Raises EFilerError when the base class was never registered.
  const TStreamClass* Parent() const;
  bool InheritsFrom(const TStreamClass* Other) const;

  // Walks up the registered bases; case-insensitive; nullptr when absent.
  const TPropInfo* FindProp(const AnsiString& Name) const;
  // Base classes' properties first; a property redeclared by a subclass (for another
  // default) takes its base's place.
  std::vector<const TPropInfo*> AllProps() const;
  const THandlerInfo* FindHandler(const AnsiString& Name) const;
  // False when no class in the chain declares a field of that name.
  bool BindField(TObject* Form, const AnsiString& Name, TComponent* Component) const;

  bool CanCreate() const { return static_cast<bool>(factory_); }
  // Raises EFilerError for a class that cannot be created by name.
  TComponent* Create(TComponent* Owner) const;
  // Runs every class's DefineProperties in the chain, base class first.
  void DefineProperties(TObject* Instance, TFiler& Filer) const;
  // The nearest parent hook, if any.
  void SetParent(TComponent* Child, TComponent* Parent) const;
  // The nearest children hook; without one the root writes all the components it owns.
  std::vector<TComponent*> Children(TComponent* Self, TComponent* Root) const;

  // Used by the registration templates.
  void AddProp(std::unique_ptr<TPropInfo> Prop);
  void AddHandler(THandlerInfo Handler);
  void AddField(AnsiString Name, TFieldBinder Binder);
  void SetFactory(TFactory F) { factory_ = std::move(F); }
  void SetDefineHook(TDefineHook H) { define_ = std::move(H); }
  void SetParentHook(TParentHook H) { parent_hook_ = std::move(H); }
  void SetChildrenHook(TChildrenHook H) { children_hook_ = std::move(H); }

 private:
  AnsiString name_;
  std::type_index type_;
  std::type_index base_;
  bool has_base_;
  mutable const TStreamClass* parent_ = nullptr;
  std::vector<std::unique_ptr<TPropInfo>> props_;
  std::vector<THandlerInfo> handlers_;
  std::vector<std::pair<AnsiString, TFieldBinder>> fields_;
  TFactory factory_;
  TDefineHook define_;
  TParentHook parent_hook_;
  TChildrenHook children_hook_;
};

// Registers (or returns the existing registration of) the class of type Type.
// Raises EFilerError when the name is already taken by another type.
TStreamClass& RegisterStreamClass(const AnsiString& Name, std::type_index Type, std::type_index Base, bool HasBase);
// nullptr when no class of that name is registered (case-insensitive).
const TStreamClass* FindClass(const AnsiString& Name);
// Raises EClassNotFound "Class <Name> not found".
const TStreamClass& GetClass(const AnsiString& Name);
// The registration of an object's class: its exact type first, then its ClassName().
const TStreamClass* ClassOf(const TObject* Instance);
const TStreamClass* ClassOfType(std::type_index Type);
// Creates a component by class name; raises EClassNotFound.
TComponent* CreateComponent(const AnsiString& ClassName, TComponent* Owner);

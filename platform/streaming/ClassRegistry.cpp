#include "platform/streaming/ClassRegistry.h"

#include <map>
#include <strings.h>
#include <unordered_map>
#include "platform/streaming/ClassProps.h"

namespace {

struct NoCaseLess {
  bool operator()(const AnsiString& a, const AnsiString& b) const { return strcasecmp(a.c_str(), b.c_str()) < 0; }
};

struct Registry {
  std::map<AnsiString, std::unique_ptr<TStreamClass>, NoCaseLess> by_name;
  std::unordered_map<std::type_index, TStreamClass*> by_type;
};

bool SameName(const AnsiString& a, const AnsiString& b) { return strcasecmp(a.c_str(), b.c_str()) == 0; }

void RegisterBuiltins();

Registry& TheRegistry() {
  // Built on first use, so registrations from static initialisers of any library work.
  static Registry* registry = [] {
    auto* r = new Registry;
    return r;
  }();
  static bool builtins = false;
  if (!builtins) {
    builtins = true;
    RegisterBuiltins();
  }
  return *registry;
}

void RegisterBuiltins() {
  RegisterClass<TObject, void>("TObject");
  RegisterClass<TPersistent, TObject>("TPersistent");
  RegisterClass<TComponent, TPersistent>("TComponent").Int("Tag", &TComponent::Tag, 0);
}

}  // namespace

// --- TPropInfo ---------------------------------------------------------------------------

void TPropInfo::WrongKind(const char* access) const {
  throw EPropertyError("Property " + name_ + " has no " + access + " value");
}
int64_t TPropInfo::GetOrd(TObject*) const { WrongKind("ordinal"); }
void TPropInfo::SetOrd(TObject*, int64_t) const { WrongKind("ordinal"); }
double TPropInfo::GetFloat(TObject*) const { WrongKind("floating point"); }
void TPropInfo::SetFloat(TObject*, double) const { WrongKind("floating point"); }
AnsiString TPropInfo::GetStr(TObject*) const { WrongKind("string"); }
void TPropInfo::SetStr(TObject*, const AnsiString&) const { WrongKind("string"); }
TObject* TPropInfo::GetObject(TObject*) const { WrongKind("object"); }
void TPropInfo::SetComponent(TObject*, TComponent*) const { WrongKind("component"); }
void TPropInfo::CollectionClear(TObject*) const { WrongKind("collection"); }
TPersistent* TPropInfo::CollectionAdd(TObject*) const { WrongKind("collection"); }
int TPropInfo::CollectionCount(TObject*) const { WrongKind("collection"); }
TPersistent* TPropInfo::CollectionItem(TObject*, int) const { WrongKind("collection"); }
void TPropInfo::BindHandler(TObject*, const THandlerInfo&, TObject*) const { WrongKind("event"); }
AnsiString TPropInfo::HandlerName(TObject*) const { WrongKind("event"); }

bool TPropInfo::IsStored(TObject* Instance) const {
  const auto* own = dynamic_cast<const TOwnDefaults*>(Instance);
  switch (kind_) {
    case TPropKind::Integer:
    case TPropKind::Boolean:
    case TPropKind::Enum:
    case TPropKind::Set: {
      const int64_t* d = own ? own->OwnOrdDefault(name_) : nullptr;
      return GetOrd(Instance) != (d ? *d : ord_default_);
    }
    case TPropKind::Float: {
      const double* d = own ? own->OwnFloatDefault(name_) : nullptr;
      return GetFloat(Instance) != (d ? *d : float_default_);
    }
    case TPropKind::String: {
      const AnsiString* d = own ? own->OwnStrDefault(name_) : nullptr;
      return GetStr(Instance) != (d ? *d : str_default_);
    }
    case TPropKind::Object:
      return PeekObject(Instance) != nullptr;
    case TPropKind::Strings: {
      auto* s = dynamic_cast<TStrings*>(GetObject(Instance));
      return s != nullptr && s->Count() > 0;
    }
    case TPropKind::Collection:
      return CollectionCount(Instance) > 0;
    case TPropKind::Component:
      return GetObject(Instance) != nullptr;
    case TPropKind::Event:
      return !HandlerName(Instance).empty();
  }
  return false;
}

void MarkOwnDefaults(TObject* Instance) {
  const TStreamClass* cls = ClassOf(Instance);
  if (cls == nullptr) return;
  auto* own = dynamic_cast<TOwnDefaults*>(Instance);
  for (const TPropInfo* p : cls->AllProps()) switch (p->Kind()) {
      case TPropKind::Integer:
      case TPropKind::Boolean:
      case TPropKind::Enum:
      case TPropKind::Set:
        if (own) own->SetOwnOrdDefault(p->Name(), p->GetOrd(Instance));
        break;
      case TPropKind::Float:
        if (own) own->SetOwnFloatDefault(p->Name(), p->GetFloat(Instance));
        break;
      case TPropKind::String:
        if (own) own->SetOwnStrDefault(p->Name(), p->GetStr(Instance));
        break;
      case TPropKind::Object:
        if (TObject* o = p->PeekObject(Instance)) MarkOwnDefaults(o);
        break;
      default:
        break;
    }
}

// --- TStreamClass ------------------------------------------------------------------------

const TStreamClass* TStreamClass::Parent() const {
  if (!has_base_) return nullptr;
  if (parent_ == nullptr) {
    parent_ = ClassOfType(base_);
    if (parent_ == nullptr) throw EFilerError("The base class of " + name_ + " is not registered");
  }
  return parent_;
}

bool TStreamClass::InheritsFrom(const TStreamClass* Other) const {
  for (const TStreamClass* c = this; c != nullptr; c = c->Parent())
    if (c == Other) return true;
  return false;
}

const TPropInfo* TStreamClass::FindProp(const AnsiString& Name) const {
  for (const TStreamClass* c = this; c != nullptr; c = c->Parent())
    for (const auto& p : c->props_)
      if (SameName(p->Name(), Name)) return p.get();
  return nullptr;
}

std::vector<const TPropInfo*> TStreamClass::AllProps() const {
  std::vector<const TStreamClass*> chain;
  for (const TStreamClass* c = this; c != nullptr; c = c->Parent()) chain.insert(chain.begin(), c);
  std::vector<const TPropInfo*> out;
  for (const TStreamClass* c : chain)
    for (const auto& p : c->props_) {
      bool replaced = false;
      for (auto& existing : out)
        if (SameName(existing->Name(), p->Name())) {
          existing = p.get();
          replaced = true;
        }
      if (!replaced) out.push_back(p.get());
    }
  return out;
}

const THandlerInfo* TStreamClass::FindHandler(const AnsiString& Name) const {
  for (const TStreamClass* c = this; c != nullptr; c = c->Parent())
    for (const auto& h : c->handlers_)
      if (SameName(h.Name, Name)) return &h;
  return nullptr;
}

bool TStreamClass::BindField(TObject* Form, const AnsiString& Name, TComponent* Component) const {
  for (const TStreamClass* c = this; c != nullptr; c = c->Parent())
    for (const auto& [name, binder] : c->fields_)
      if (SameName(name, Name)) {
        binder(Form, Component);
        return true;
      }
  return false;
}

TComponent* TStreamClass::Create(TComponent* Owner) const {
  if (!factory_) throw EFilerError("Class " + name_ + " cannot be created from a form resource");
  return factory_(Owner);
}

void TStreamClass::DefineProperties(TObject* Instance, TFiler& Filer) const {
  if (const TStreamClass* p = Parent()) p->DefineProperties(Instance, Filer);
  if (define_) define_(Instance, Filer);
}

void TStreamClass::SetParent(TComponent* Child, TComponent* ParentComponent) const {
  for (const TStreamClass* c = this; c != nullptr; c = c->Parent())
    if (c->parent_hook_) {
      c->parent_hook_(Child, ParentComponent);
      return;
    }
}

std::vector<TComponent*> TStreamClass::Children(TComponent* Self, TComponent* Root) const {
  for (const TStreamClass* c = this; c != nullptr; c = c->Parent())
    if (c->children_hook_) return c->children_hook_(Self, Root);
  std::vector<TComponent*> out;
  if (Self == Root)
    for (int i = 0; i < Self->ComponentCount(); ++i) out.push_back(Self->Components(i));
  return out;
}

void TStreamClass::AddProp(std::unique_ptr<TPropInfo> Prop) {
  for (auto& p : props_)
    if (SameName(p->Name(), Prop->Name())) {
      p = std::move(Prop);
      return;
    }
  props_.push_back(std::move(Prop));
}

void TStreamClass::AddHandler(THandlerInfo Handler) { handlers_.push_back(std::move(Handler)); }
void TStreamClass::AddField(AnsiString Name, TFieldBinder Binder) { fields_.emplace_back(std::move(Name), std::move(Binder)); }

// --- registry ----------------------------------------------------------------------------

TStreamClass& RegisterStreamClass(const AnsiString& Name, std::type_index Type, std::type_index Base, bool HasBase) {
  Registry& r = TheRegistry();
  auto it = r.by_name.find(Name);
  if (it != r.by_name.end()) {
    if (it->second->Type() != Type) throw EFilerError("A class named " + Name + " is already registered");
    return *it->second;
  }
  auto cls = std::make_unique<TStreamClass>(Name, Type, Base, HasBase);
  TStreamClass* raw = cls.get();
  r.by_name.emplace(Name, std::move(cls));
  r.by_type.emplace(Type, raw);
  return *raw;
}

const TStreamClass* FindClass(const AnsiString& Name) {
  Registry& r = TheRegistry();
  auto it = r.by_name.find(Name);
  return it == r.by_name.end() ? nullptr : it->second.get();
}

const TStreamClass& GetClass(const AnsiString& Name) {
  const TStreamClass* c = FindClass(Name);
  if (c == nullptr) throw EClassNotFound("Class " + Name + " not found");
  return *c;
}

const TStreamClass* ClassOfType(std::type_index Type) {
  Registry& r = TheRegistry();
  auto it = r.by_type.find(Type);
  return it == r.by_type.end() ? nullptr : it->second;
}

const TStreamClass* ClassOf(const TObject* Instance) {
  if (Instance == nullptr) return nullptr;
  if (const TStreamClass* c = ClassOfType(typeid(*Instance))) return c;
  return FindClass(Instance->ClassName());
}

TComponent* CreateComponent(const AnsiString& ClassName, TComponent* Owner) {
  return GetClass(ClassName).Create(Owner);
}

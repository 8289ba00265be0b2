#pragma once
// Registration of a class for form streaming, a few lines per class:
//
//   RegisterClass<TControl, TComponent>("TControl")
//       .Int("Left", &TControl::GetLeft, &TControl::SetLeft, 0)
//       .Int("Color", &TControl::GetColor, &TControl::SetColor, clBtnFace, &ColorIdents)
//       .Enum("Align", &TControl::GetAlign, &TControl::SetAlign, {"alNone", "alTop", ...}, 0)
//       .Object("Font", &TControl::Font)
//       .Event("OnClick", &TControl::OnClick)
//       .ParentHook([](TControl* c, TComponent* p) { c->SetParent(dynamic_cast<TWinControl*>(p)); });
//
//   RegisterClass<TMainForm, TForm>("TMainForm")
//       .Handler("Button1Click", &TMainForm::Button1Click)
//       .Field("Button1", &TMainForm::Button1);
//
// Getters and setters are anything std::invoke takes: member functions, lambdas taking
// the object pointer, or one data-member pointer that serves as both.
#include <concepts>
#include <functional>
#include <initializer_list>
#include <type_traits>
#include "platform/classes/Lists.h"
#include "platform/streaming/ClassRegistry.h"
#include "platform/streaming/Filer.h"


// The event function bound to a form handler carries the handler's name, so that a
// writer can store the binding again. The handler does not run once the form that holds
// it has begun to be destroyed, whatever event reaches it meanwhile: the form's own
// OnDestroy calls `Call` itself.
template <class R, class... Args>
struct TNamedHandler {
  std::function<R(Args...)> Call;
  AnsiString Name;
  const TComponent* Receiver = nullptr;
  R operator()(Args... a) const {
    if (Receiver != nullptr && Receiver->InDestruction()) return R();
    return Call(std::forward<Args>(a)...);
  }
};

namespace streaming::detail {

template <class F>
struct NamedHandlerOf;
template <class R, class... Args>
struct NamedHandlerOf<std::function<R(Args...)>> {
  using type = TNamedHandler<R, Args...>;
};

template <class M>
concept MemberField = std::is_member_object_pointer_v<M>;

// A getter or setter: a member pointer or a callable object (not a default value).
template <class S>
concept Accessor = std::is_member_pointer_v<S> || (std::is_class_v<S> && !std::is_convertible_v<S, AnsiString>);

template <class T>
T* Cast(TObject* Instance) {
  T* t = dynamic_cast<T*>(Instance);
  if (t == nullptr) throw EPropertyError("Property used on an object of another class");
  return t;
}

template <class T, class G>
using ValueOf = std::remove_cvref_t<std::invoke_result_t<const G&, T*>>;

template <class S, class T, class V>
void Assign(const S& set, T* obj, V&& v) {
  if constexpr (MemberField<S>)
    std::invoke(set, obj) = std::forward<V>(v);
  else
    std::invoke(set, obj, std::forward<V>(v));
}

// Integer, Boolean, Enum and Set kinds: stored as a 64-bit ordinal.
template <class T, class G, class S>
class OrdProp final : public TPropInfo {
 public:
  using V = ValueOf<T, G>;
  OrdProp(const char* name, TPropKind kind, G g, S s, int64_t def, const TIdentMap* idents,
          std::vector<AnsiString> names)
      : TPropInfo(name, kind), get_(g), set_(s) {
    ord_default_ = def;
    idents_ = idents;
    names_ = std::move(names);
  }
  int64_t GetOrd(TObject* o) const override { return static_cast<int64_t>(std::invoke(get_, Cast<T>(o))); }
  void SetOrd(TObject* o, int64_t v) const override { Assign(set_, Cast<T>(o), static_cast<V>(v)); }

 private:
  G get_;
  S set_;
};

template <class T, class G, class S>
class FloatProp final : public TPropInfo {
 public:
  using V = ValueOf<T, G>;
  FloatProp(const char* name, G g, S s, double def) : TPropInfo(name, TPropKind::Float), get_(g), set_(s) {
    float_default_ = def;
  }
  double GetFloat(TObject* o) const override { return static_cast<double>(std::invoke(get_, Cast<T>(o))); }
  void SetFloat(TObject* o, double v) const override { Assign(set_, Cast<T>(o), static_cast<V>(v)); }

 private:
  G get_;
  S set_;
};

template <class T, class G, class S>
class StrProp final : public TPropInfo {
 public:
  StrProp(const char* name, G g, S s, AnsiString def) : TPropInfo(name, TPropKind::String), get_(g), set_(s) {
    str_default_ = std::move(def);
  }
  AnsiString GetStr(TObject* o) const override { return AnsiString(std::invoke(get_, Cast<T>(o))); }
  void SetStr(TObject* o, const AnsiString& v) const override { Assign(set_, Cast<T>(o), v); }

 private:
  G get_;
  S set_;
};

// Object (a nested persistent such as a font) and Strings (a TStrings) kinds.
template <class T, class G>
class ObjectProp final : public TPropInfo {
 public:
  ObjectProp(const char* name, TPropKind kind, G g) : TPropInfo(name, kind), get_(g) {}
  TObject* GetObject(TObject* o) const override {
    auto&& r = std::invoke(get_, Cast<T>(o));
    if constexpr (std::is_pointer_v<std::remove_cvref_t<decltype(r)>>)
      return r;
    else
      return &r;
  }

 private:
  G get_;
};

// A nested object made on first read: Get creates it, Peek returns it or nullptr.
template <class T, class G, class P>
class LazyObjectProp final : public TPropInfo {
 public:
  LazyObjectProp(const char* name, G g, P p) : TPropInfo(name, TPropKind::Object), get_(g), peek_(p) {}
  TObject* GetObject(TObject* o) const override { return std::invoke(get_, Cast<T>(o)); }
  TObject* PeekObject(TObject* o) const override {
    return const_cast<std::remove_const_t<std::remove_pointer_t<ValueOf<T, P>>>*>(std::invoke(peek_, Cast<T>(o)));
  }

 private:
  G get_;
  P peek_;
};

template <class T, class G>
class CollectionProp final : public TPropInfo {
 public:
  CollectionProp(const char* name, G g) : TPropInfo(name, TPropKind::Collection), get_(g) {}
  void CollectionClear(TObject* o) const override { Coll(o).Clear(); }
  TPersistent* CollectionAdd(TObject* o) const override { return Coll(o).Add(); }
  int CollectionCount(TObject* o) const override { return static_cast<int>(Coll(o).Count()); }
  TPersistent* CollectionItem(TObject* o, int i) const override { return Coll(o).Items(i); }

 private:
  auto& Coll(TObject* o) const {
    auto&& r = std::invoke(get_, Cast<T>(o));
    if constexpr (std::is_pointer_v<std::remove_cvref_t<decltype(r)>>)
      return *r;
    else
      return r;
  }
  G get_;
};

// A reference to another component of the form, resolved after the whole form is read.
template <class T, class G, class S>
class ComponentProp final : public TPropInfo {
 public:
  using V = ValueOf<T, G>;  // pointer to some TComponent class
  static_assert(std::is_pointer_v<V>, "a component property's getter returns a pointer");
  ComponentProp(const char* name, G g, S s) : TPropInfo(name, TPropKind::Component), get_(g), set_(s) {}
  TObject* GetObject(TObject* o) const override {
    return const_cast<std::remove_const_t<std::remove_pointer_t<V>>*>(std::invoke(get_, Cast<T>(o)));
  }
  void SetComponent(TObject* o, TComponent* c) const override {
    V typed = nullptr;
    if (c != nullptr) {
      typed = dynamic_cast<V>(c);
      if (typed == nullptr) throw EReadError("Component " + c->Name() + " is of class " + c->ClassName() + ", which property " + name_ + " does not accept");
    }
    Assign(set_, Cast<T>(o), typed);
  }

 private:
  G get_;
  S set_;
};

template <class T, class G, class S>
class EventProp final : public TPropInfo {
 public:
  using Fn = ValueOf<T, G>;  // std::function<R(Args...)>
  using Named = typename NamedHandlerOf<Fn>::type;
  EventProp(const char* name, G g, S s) : TPropInfo(name, TPropKind::Event), get_(g), set_(s) {}
  void BindHandler(TObject* o, const THandlerInfo& h, TObject* form) const override {
    if (h.FunctionType != std::type_index(typeid(Fn)))
      throw EReadError("Handler " + h.Name + " has parameters that do not match event " + name_);
    Fn fn;
    h.Make(form, &fn);
    Assign(set_, Cast<T>(o), std::move(fn));
  }
  AnsiString HandlerName(TObject* o) const override {
    Fn fn = std::invoke(get_, Cast<T>(o));
    const Named* named = fn.template target<Named>();
    return named != nullptr ? named->Name : AnsiString();
  }

 private:
  G get_;
  S set_;
};

}  // namespace streaming::detail

template <class T>
class TClassProps {
 public:
  explicit TClassProps(TStreamClass& Class) : class_(Class) {}
  TStreamClass& Class() const { return class_; }

  // Integers; Idents names some values (colours, cursors), written as their names.
  template <streaming::detail::Accessor G, streaming::detail::Accessor S>
  TClassProps& Int(const char* Name, G Get, S Set, int64_t Default = 0, const TIdentMap* Idents = nullptr) {
    return Ord(Name, TPropKind::Integer, Get, Set, Default, Idents, {});
  }
  template <streaming::detail::MemberField M>
  TClassProps& Int(const char* Name, M Field, int64_t Default = 0, const TIdentMap* Idents = nullptr) {
    return Int(Name, Field, Field, Default, Idents);
  }
  template <streaming::detail::Accessor G, streaming::detail::Accessor S>
  TClassProps& Bool(const char* Name, G Get, S Set, bool Default = false) {
    return Ord(Name, TPropKind::Boolean, Get, Set, Default ? 1 : 0, nullptr, {});
  }
  template <streaming::detail::MemberField M>
  TClassProps& Bool(const char* Name, M Field, bool Default = false) {
    return Bool(Name, Field, Field, Default);
  }
  // Enumerations: Names[i] is the identifier of ordinal i.
  template <streaming::detail::Accessor G, streaming::detail::Accessor S>
  TClassProps& Enum(const char* Name, G Get, S Set, std::initializer_list<const char*> Names, int64_t Default = 0) {
    return Ord(Name, TPropKind::Enum, Get, Set, Default, nullptr, ToNames(Names));
  }
  template <streaming::detail::MemberField M>
  TClassProps& Enum(const char* Name, M Field, std::initializer_list<const char*> Names, int64_t Default = 0) {
    return Enum(Name, Field, Field, Names, Default);
  }
  // Sets as bit masks: bit i is element Names[i].
  template <streaming::detail::Accessor G, streaming::detail::Accessor S>
  TClassProps& Set(const char* Name, G Get, S Set, std::initializer_list<const char*> Names, int64_t Default = 0) {
    return Ord(Name, TPropKind::Set, Get, Set, Default, nullptr, ToNames(Names));
  }
  template <streaming::detail::MemberField M>
  TClassProps& Set(const char* Name, M Field, std::initializer_list<const char*> Names, int64_t Default = 0) {
    return this->Set(Name, Field, Field, Names, Default);
  }
  template <streaming::detail::Accessor G, streaming::detail::Accessor S>
  TClassProps& Float(const char* Name, G Get, S Set, double Default = 0) {
    return Add(std::make_unique<streaming::detail::FloatProp<T, G, S>>(Name, Get, Set, Default));
  }
  template <streaming::detail::MemberField M>
  TClassProps& Float(const char* Name, M Field, double Default = 0) {
    return Float(Name, Field, Field, Default);
  }
  template <streaming::detail::Accessor G, streaming::detail::Accessor S>
  TClassProps& String(const char* Name, G Get, S Set, const AnsiString& Default = AnsiString()) {
    return Add(std::make_unique<streaming::detail::StrProp<T, G, S>>(Name, Get, Set, Default));
  }
  template <streaming::detail::MemberField M>
  TClassProps& String(const char* Name, M Field, const AnsiString& Default = AnsiString()) {
    return String(Name, Field, Field, Default);
  }
  // A nested persistent object (pointer or reference), stored as "Name.Property".
  template <class G>
  TClassProps& Object(const char* Name, G Get) {
    return Add(std::make_unique<streaming::detail::ObjectProp<T, G>>(Name, TPropKind::Object, Get));
  }
  // A nested object created on first read (Get); Peek gives it without creating it, so
  // that writing a form never creates it.
  template <class G, class P>
  TClassProps& LazyObject(const char* Name, G Get, P Peek) {
    return Add(std::make_unique<streaming::detail::LazyObjectProp<T, G, P>>(Name, Get, Peek));
  }
  // A TStrings, stored as "Name.Strings = ('a' 'b')" when not empty.
  template <class G>
  TClassProps& Strings(const char* Name, G Get) {
    return Add(std::make_unique<streaming::detail::ObjectProp<T, G>>(Name, TPropKind::Strings, Get));
  }
  // A collection (anything with Clear(), Add() returning the new item, Count(),
  // Items(i)), stored as "Name = <item ... end>" when not empty.
  template <class G>
  TClassProps& Collection(const char* Name, G Get) {
    return Add(std::make_unique<streaming::detail::CollectionProp<T, G>>(Name, Get));
  }
  // A reference to a component of the same form, by name.
  template <streaming::detail::Accessor G, streaming::detail::Accessor S>
  TClassProps& Component(const char* Name, G Get, S Set) {
    return Add(std::make_unique<streaming::detail::ComponentProp<T, G, S>>(Name, Get, Set));
  }
  template <streaming::detail::MemberField M>
  TClassProps& Component(const char* Name, M Field) {
    return Component(Name, Field, Field);
  }
  // An event (any std::function type), bound to a form handler by name.
  template <streaming::detail::Accessor G, streaming::detail::Accessor S>
  TClassProps& Event(const char* Name, G Get, S Set) {
    return Add(std::make_unique<streaming::detail::EventProp<T, G, S>>(Name, Get, Set));
  }
  template <streaming::detail::MemberField M>
  TClassProps& Event(const char* Name, M Field) {
    return Event(Name, Field, Field);
  }

  // Form classes: a handler method that event properties name in the resource.
  template <class C, class R, class... Args>
    requires std::derived_from<T, C>
  TClassProps& Handler(const char* Name, R (C::*Method)(Args...)) {
    using Fn = std::function<R(Args...)>;
    AnsiString name = Name;
    class_.AddHandler(THandlerInfo{name, std::type_index(typeid(Fn)), [Method, name](TObject* form, void* out) {
                                     T* t = streaming::detail::Cast<T>(form);
                                     C* f = t;
                                     const TComponent* receiver = nullptr;
                                     if constexpr (std::derived_from<T, TComponent>) receiver = t;
                                     *static_cast<Fn*>(out) = TNamedHandler<R, Args...>{
                                         [f, Method](Args... a) -> R { return (f->*Method)(std::forward<Args>(a)...); }, name,
                                         receiver};
                                   }});
    return *this;
  }
  // Form classes: a component field set to the component of that name when it is read.
  template <class C, class F>
    requires std::derived_from<T, F>
  TClassProps& Field(const char* Name, C* F::*Member) {
    AnsiString name = Name;
    class_.AddField(name, [Member, name](TObject* form, TComponent* c) {
      C* typed = dynamic_cast<C*>(c);
      if (typed == nullptr)
        throw EReadError("Component " + name + " is of class " + c->ClassName() + ", which its field does not hold");
      streaming::detail::Cast<T>(form)->*Member = typed;
    });
    return *this;
  }

  // Extra stream properties: Hook(T*, TFiler&) calls Filer.DefineProperty / DefineBinaryProperty.
  // Each class registers only its own; base classes' hooks run first.
  template <class H>
  TClassProps& DefineProperties(H Hook) {
    class_.SetDefineHook([Hook](TObject* o, TFiler& f) { std::invoke(Hook, streaming::detail::Cast<T>(o), f); });
    return *this;
  }
  // Gives a component read from a resource its container (controls live in another library).
  template <class H>
  TClassProps& ParentHook(H Hook) {
    class_.SetParentHook([Hook](TComponent* c, TComponent* p) { std::invoke(Hook, streaming::detail::Cast<T>(c), p); });
    return *this;
  }
  // The components written as children of Self (Root is the component being written).
  template <class H>
  TClassProps& ChildrenHook(H Hook) {
    class_.SetChildrenHook([Hook](TComponent* c, TComponent* root) { return std::invoke(Hook, streaming::detail::Cast<T>(c), root); });
    return *this;
  }

 private:
  template <streaming::detail::Accessor G, streaming::detail::Accessor S>
  TClassProps& Ord(const char* Name, TPropKind Kind, G Get, S Set, int64_t Default, const TIdentMap* Idents,
                   std::vector<AnsiString> Names) {
    return Add(std::make_unique<streaming::detail::OrdProp<T, G, S>>(Name, Kind, Get, Set, Default, Idents, std::move(Names)));
  }
  static std::vector<AnsiString> ToNames(std::initializer_list<const char*> Names) {
    return std::vector<AnsiString>(Names.begin(), Names.end());
  }
  TClassProps& Add(std::unique_ptr<TPropInfo> P) {
    class_.AddProp(std::move(P));
    return *this;
  }

  TStreamClass& class_;
};

// Registers T (derived from Base) under Name; components get a factory taking the owner.
// Calling it again for the same class returns the same registration, to add to it.
template <class T, class Base = TComponent>
TClassProps<T> RegisterClass(const AnsiString& Name) {
  static_assert(std::is_base_of_v<TObject, T>);
  static_assert(std::is_same_v<Base, void> || std::is_base_of_v<Base, T>);
  TStreamClass& c = std::is_same_v<Base, void>
                        ? RegisterStreamClass(Name, typeid(T), typeid(T), false)
                        : RegisterStreamClass(Name, typeid(T), typeid(std::conditional_t<std::is_same_v<Base, void>, T, Base>), true);
  if constexpr (std::is_base_of_v<TComponent, T> && std::is_constructible_v<T, TComponent*> && !std::is_abstract_v<T>)
    c.SetFactory([](TComponent* Owner) -> TComponent* { return new T(Owner); });
  return TClassProps<T>(c);
}

#pragma once
// Forms laid out by text form resources. RegisterUiClasses publishes the properties and
// events of the controls, forms and timers; a form class names its fields and handlers
// in a static Publish, and is created through Application->CreateForm or ui::CreateForm,
// which read the resource named after the class before OnCreate fires:
//
//   class TMainForm : public TForm {
//    public:
//     using TForm::TForm;
//     const char* ClassName() const override { return "TMainForm"; }
//     static void Publish(TClassProps<TMainForm>& P) {
//       P.Field("Button1", &TMainForm::Button1).Handler("Button1Click", &TMainForm::Button1Click);
//     }
//     TButton* Button1 = nullptr;
//     void Button1Click(TObject* Sender);
//   };
//   TMainForm* MainForm;                  // app/Main.cpp; the resource is app/Main.form
//   Application->CreateForm(MainForm);
#include <concepts>
#include "platform/streaming/ClassProps.h"
#include "platform/ui/Forms.h"

// Registers the control, form and timer classes for form streaming; later calls do nothing.
void RegisterUiClasses();

namespace ui {

// Colour identifiers (clBtnFace, clRed, ...) and cursor identifiers (crHourGlass, ...)
// for integer properties of other control libraries.
const TIdentMap& ColorIdents();
const TIdentMap& CursorIdents();

// Publishes Color on a control class with another default. Like TControl's, it is
// stored only while ParentColor is off.
void PublishColor(TStreamClass& Class, TColor Default);

// The PopupMenu reference of every control. The menus library calls it once from its
// registration, where the popup menu class is complete.
template <class TPopup = TPopupMenu>
void PublishPopupMenuReference() {
  RegisterClass<TControl, TComponent>("TControl")
      .Component("PopupMenu", [](TControl* c) -> TPopup* { return c->PopupMenu(); },
                 [](TControl* c, TPopup* m) { c->SetPopupMenu(m); });
}

template <class T>
concept PublishesStreaming = requires(TClassProps<T>& P) { T::Publish(P); };

namespace detail {
// Whether a resource's root object is of Form's class.
bool HasOwnResource(const TForm* Form);
// Reads the resource of Form's class; Required raises EResNotFound when there is none.
void ReadOwnResource(TForm* Form, bool Required);
// Frees a form whose resource could not be read, without its OnDestroy.
void DiscardForm(TForm* Form) noexcept;
}  // namespace detail

// Registers the form class T (once) under its ClassName, with the fields and handlers
// of T::Publish.
template <class T>
  requires(std::derived_from<T, TForm> && !std::same_as<T, TForm>)
void RegisterFormClass(const T* Form) {
  static const bool done = [Form] {
    RegisterUiClasses();
    auto props = RegisterClass<T, TForm>(Form->ClassName());
    if constexpr (PublishesStreaming<T>) T::Publish(props);
    return true;
  }();
  (void)done;
}

// Reads the form resource of T into a just-constructed form. A class that publishes
// fields or handlers must have a resource; other forms may be built in code.
template <class T>
void LoadFormResource(T* Form) {
  static_assert(std::derived_from<T, TForm>);
  RegisterUiClasses();
  if constexpr (!std::same_as<T, TForm>) {
    if (PublishesStreaming<T> || detail::HasOwnResource(Form)) {
      RegisterFormClass(Form);
      detail::ReadOwnResource(Form, true);
    }
  }
}

// Creates a form on demand: constructs it, reads its resource, fires OnCreate. A form
// whose resource fails to read is freed again and the error passes on.
template <class T>
T* CreateForm(TComponent* Owner) {
  T* form = new T(Owner);
  try {
    LoadFormResource(form);
  } catch (...) {
    detail::DiscardForm(form);
    throw;
  }
  form->AfterConstruction();
  return form;
}

}  // namespace ui

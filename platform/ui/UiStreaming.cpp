#include "platform/ui/UiStreaming.h"

#include <algorithm>
#include <climits>
#include <limits>

#include "platform/rtl/TextUtils.h"
#include "platform/streaming/FormResources.h"
#include "platform/ui/Timer.h"

namespace {

using streaming::detail::Cast;

// Left, Top, Width and Height are written whatever their value, as form files always
// carry them: no value equals this default.
constexpr int64_t kNoDefault = std::numeric_limits<int64_t>::min();

// An ordinal property with its own condition for being written (Color only while
// ParentColor is off; ClientWidth never, since Width says the same).
template <class T>
class CondOrdProp final : public TPropInfo {
 public:
  CondOrdProp(const char* Name, TPropKind Kind, std::function<int64_t(T*)> Get, std::function<void(T*, int64_t)> Set,
              int64_t Default, const TIdentMap* Idents, std::function<bool(T*)> Stored)
      : TPropInfo(Name, Kind), get_(std::move(Get)), set_(std::move(Set)), stored_(std::move(Stored)) {
    ord_default_ = Default;
    idents_ = Idents;
  }
  int64_t GetOrd(TObject* o) const override { return get_(Cast<T>(o)); }
  void SetOrd(TObject* o, int64_t v) const override { set_(Cast<T>(o), v); }
  bool IsStored(TObject* o) const override { return stored_(Cast<T>(o)) && TPropInfo::IsStored(o); }

 private:
  std::function<int64_t(T*)> get_;
  std::function<void(T*, int64_t)> set_;
  std::function<bool(T*)> stored_;
};

// A control's font, written only when the control does not take its parent's.
class FontProp final : public TPropInfo {
 public:
  FontProp() : TPropInfo("Font", TPropKind::Object) {}
  TObject* GetObject(TObject* o) const override { return Cast<TControl>(o)->Font(); }
  bool IsStored(TObject* o) const override { return !Cast<TControl>(o)->ParentFont(); }
};

std::unique_ptr<TPropInfo> ColorProp(TColor Default) {
  return std::make_unique<CondOrdProp<TControl>>(
      "Color", TPropKind::Integer, [](TControl* c) -> int64_t { return c->Color(); },
      [](TControl* c, int64_t v) { c->SetColor(static_cast<TColor>(v)); }, Default, &ui::ColorIdents(),
      [](TControl* c) { return !c->ParentColor(); });
}

// Properties the stream accepts for compatibility but that mean nothing here (the
// designer's screen density, the old creation order); they are never written back.
template <class T>
void Ignored(TClassProps<T>& P, const char* Name, int64_t Value) {
  P.Int(Name, [Value](T*) { return Value; }, [](T*, int64_t) {}, Value);
}
template <class T>
void IgnoredBool(TClassProps<T>& P, const char* Name, bool Value) {
  P.Bool(Name, [Value](T*) { return Value; }, [](T*, bool) {}, Value);
}

int CheckedInt(int64_t v, int64_t Low, int64_t High, const char* What) {
  if (v < Low || v > High) throw EReadError(AnsiString(What) + " " + std::to_string(v) + " is out of range");
  return static_cast<int>(v);
}

const TIdentMap& CharsetIdents() {
  static const TIdentMap map = {
      {0, "ANSI_CHARSET"},        {1, "DEFAULT_CHARSET"},    {2, "SYMBOL_CHARSET"},   {77, "MAC_CHARSET"},
      {128, "SHIFTJIS_CHARSET"},  {129, "HANGEUL_CHARSET"},  {130, "JOHAB_CHARSET"},  {134, "GB2312_CHARSET"},
      {136, "CHINESEBIG5_CHARSET"}, {161, "GREEK_CHARSET"},  {162, "TURKISH_CHARSET"}, {163, "VIETNAMESE_CHARSET"},
      {177, "HEBREW_CHARSET"},    {178, "ARABIC_CHARSET"},   {186, "BALTIC_CHARSET"}, {204, "RUSSIAN_CHARSET"},
      {222, "THAI_CHARSET"},      {238, "EASTEUROPE_CHARSET"}, {255, "OEM_CHARSET"}};
  return map;
}

void RegisterFont() {
  auto font = RegisterClass<TFont, TPersistent>("TFont");
  font.Int("Charset", [](TFont* f) -> int64_t { return f->Charset(); }, [](TFont* f, int64_t v) { f->SetCharset(static_cast<TFontCharset>(CheckedInt(v, 0, 255, "Charset"))); },
           DEFAULT_CHARSET, &CharsetIdents())
      .Int("Color", &TFont::Color, &TFont::SetColor, clWindowText, &ui::ColorIdents())
      .Int("Height", &TFont::Height, &TFont::SetHeight, -11)
      .String("Name", &TFont::Name, &TFont::SetName, "MS Sans Serif")
      .Enum("Pitch", &TFont::Pitch, &TFont::SetPitch, {"fpDefault", "fpVariable", "fpFixed"}, fpDefault)
      .Set("Style", [](TFont* f) { return f->Style().Bits(); },
           [](TFont* f, uint32_t v) { f->SetStyle(TFontStyles::FromBits(v)); },
           {"fsBold", "fsItalic", "fsUnderline", "fsStrikeOut"}, 0);
  // Size is Height in points: read, never written (Height carries it).
  font.Class().AddProp(std::make_unique<CondOrdProp<TFont>>(
      "Size", TPropKind::Integer, [](TFont* f) -> int64_t { return f->Size(); },
      [](TFont* f, int64_t v) { f->SetSize(CheckedInt(v, -32768, 32767, "Font size")); }, 0, nullptr,
      [](TFont*) { return false; }));
}

void RegisterControl() {
  auto control = RegisterClass<TControl, TComponent>("TControl");
  auto bound = [](const char* name, int (TControl::*get)() const, void (TControl::*set)(int)) {
    return std::make_unique<CondOrdProp<TControl>>(
        name, TPropKind::Integer, [get](TControl* c) -> int64_t { return (c->*get)(); },
        [set, name](TControl* c, int64_t v) { (c->*set)(CheckedInt(v, INT_MIN, INT_MAX, name)); }, kNoDefault, nullptr,
        [](TControl*) { return true; });
  };
  control.Class().AddProp(bound("Left", &TControl::Left, &TControl::SetLeft));
  control.Class().AddProp(bound("Top", &TControl::Top, &TControl::SetTop));
  control.Class().AddProp(bound("Width", &TControl::Width, &TControl::SetWidth));
  control.Class().AddProp(bound("Height", &TControl::Height, &TControl::SetHeight));
  control.Enum("Align", &TControl::Align, &TControl::SetAlign, {"alNone", "alTop", "alBottom", "alLeft", "alRight", "alClient"}, alNone)
      .Set("Anchors", [](TControl* c) { return c->Anchors().Bits(); },
           [](TControl* c, uint32_t v) { c->SetAnchors(TAnchors::FromBits(v)); },
           {"akLeft", "akTop", "akRight", "akBottom"}, TAnchors{akLeft, akTop}.Bits());
  control.Class().AddProp(ColorProp(clBtnFace));
  control.Class().AddProp(std::make_unique<FontProp>());
  control.Bool("ParentColor", &TControl::ParentColor, &TControl::SetParentColor, false)
      .Bool("ParentFont", &TControl::ParentFont, &TControl::SetParentFont, true)
      .String("Hint", &TControl::Hint, &TControl::SetHint)
      .Bool("ShowHint", &TControl::ShowHint, &TControl::SetShowHint, false)
      .Int("Cursor", &TControl::Cursor, &TControl::SetCursor, crDefault, &ui::CursorIdents())
      .Bool("Visible", &TControl::Visible, &TControl::SetVisible, true)
      .Bool("Enabled", &TControl::Enabled, &TControl::SetEnabled, true)
      .Event("OnClick", &TControl::OnClick)
      .Event("OnDblClick", &TControl::OnDblClick)
      .Event("OnMouseDown", &TControl::OnMouseDown)
      .Event("OnMouseMove", &TControl::OnMouseMove)
      .Event("OnMouseUp", &TControl::OnMouseUp)
      .Event("OnResize", &TControl::OnResize)
      .ParentHook([](TControl* c, TComponent* p) {
        auto* container = dynamic_cast<TWinControl*>(p);
        if (p != nullptr && container == nullptr)
          throw EReadError("Control " + c->Name() + " cannot be placed on " + p->Name() + ", which holds no controls");
        c->SetParent(container);
      })
      .ChildrenHook([](TControl*, TComponent*) { return std::vector<TComponent*>(); });
}

std::vector<TComponent*> OwnedControls(TWinControl* w, TComponent* root) {
  std::vector<TComponent*> out;
  for (int i = 0; i < w->ControlCount(); ++i)
    if (w->Controls(i)->Owner() == root) out.push_back(w->Controls(i));
  return out;
}

void RegisterWinControls() {
  RegisterClass<TWinControl, TControl>("TWinControl")
      .Bool("TabStop", &TWinControl::TabStop, &TWinControl::SetTabStop, false)
      .Int("TabOrder", &TWinControl::TabOrder, [](TWinControl* c, int64_t v) { c->SetTabOrder(CheckedInt(v, -1, 32767, "TabOrder")); }, -1)
      .Event("OnEnter", &TWinControl::OnEnter)
      .Event("OnExit", &TWinControl::OnExit)
      .Event("OnKeyDown", &TWinControl::OnKeyDown)
      .Event("OnKeyPress", &TWinControl::OnKeyPress)
      .Event("OnKeyUp", &TWinControl::OnKeyUp)
      .ChildrenHook(&OwnedControls);
  // Graphic controls show their parent's colour unless given their own.
  RegisterClass<TGraphicControl, TControl>("TGraphicControl")
      .Bool("ParentColor", &TControl::ParentColor, &TControl::SetParentColor, true)
      .String("Caption", &TControl::Caption, &TControl::SetCaption);
  RegisterClass<TCustomControl, TWinControl>("TCustomControl").String("Caption", &TControl::Caption, &TControl::SetCaption);
}

void RegisterForm() {
  auto form = RegisterClass<TForm, TWinControl>("TForm");
  form.Bool("Visible", &TControl::Visible, &TControl::SetVisible, false)
      .String("Caption", &TControl::Caption, &TControl::SetCaption)
      .Enum("BorderStyle", &TForm::BorderStyle, &TForm::SetBorderStyle,
            {"bsNone", "bsSingle", "bsSizeable", "bsDialog", "bsToolWindow", "bsSizeToolWin"}, bsSizeable)
      .Set("BorderIcons", [](TForm* f) { return f->BorderIcons().Bits(); },
           [](TForm* f, uint32_t v) { f->SetBorderIcons(TBorderIcons::FromBits(v)); },
           {"biSystemMenu", "biMinimize", "biMaximize", "biHelp"}, TBorderIcons{biSystemMenu, biMinimize, biMaximize}.Bits())
      .Enum("Position", &TForm::Position, &TForm::SetPosition,
            {"poDesigned", "poDefault", "poDefaultPosOnly", "poDefaultSizeOnly", "poScreenCenter", "poDesktopCenter",
             "poMainFormCenter", "poOwnerFormCenter"},
            poDesigned)
      .Bool("KeyPreview", &TForm::KeyPreview, &TForm::SetKeyPreview, false)
      .Component("ActiveControl", &TForm::ActiveControl, &TForm::SetActiveControl)
      .Enum("WindowState", &TForm::WindowState, &TForm::SetWindowState, {"wsNormal", "wsMinimized", "wsMaximized"}, wsNormal)
      .Enum("FormStyle", [](TForm*) { return 0; }, [](TForm*, int) {}, {"fsNormal", "fsMDIChild", "fsMDIForm", "fsStayOnTop"}, 0)
      .Event("OnCreate", &TForm::OnCreate)
      .Event("OnShow", &TForm::OnShow)
      .Event("OnHide", &TForm::OnHide)
      .Event("OnActivate", &TForm::OnActivate)
      .Event("OnDeactivate", &TForm::OnDeactivate)
      .Event("OnCloseQuery", &TForm::OnCloseQuery)
      .Event("OnClose", &TForm::OnClose)
      .Event("OnDestroy", &TForm::OnDestroy)
      .Event("OnPaint", &TForm::OnPaint)
      .ChildrenHook([](TForm* f, TComponent* root) {
        std::vector<TComponent*> out = OwnedControls(f, root);
        if (f != root) return out;
        // Components without a place among the controls (timers, menus) follow, except
        // those another component writes as its own children (menu items).
        std::vector<TComponent*> loose, claimed;
        for (int i = 0; i < f->ComponentCount(); ++i) {
          TComponent* c = f->Components(i);
          if (dynamic_cast<TControl*>(c) != nullptr) continue;
          loose.push_back(c);
          if (const TStreamClass* cls = ClassOf(c))
            for (TComponent* child : cls->Children(c, root)) claimed.push_back(child);
        }
        for (TComponent* c : loose)
          if (std::find(claimed.begin(), claimed.end(), c) == claimed.end()) out.push_back(c);
        return out;
      });
  // A form's client size says what Width and Height say; it is read, not written.
  auto client = [](const char* name, bool width) {
    return std::make_unique<CondOrdProp<TForm>>(
        name, TPropKind::Integer, [width](TForm* f) -> int64_t { return width ? f->ClientWidth() : f->ClientHeight(); },
        [width, name](TForm* f, int64_t v) {
          const int n = CheckedInt(v, 0, INT_MAX, name);
          if (width) f->SetClientWidth(n);
          else f->SetClientHeight(n);
        },
        0, nullptr, [](TForm*) { return false; });
  };
  form.Class().AddProp(client("ClientWidth", true));
  form.Class().AddProp(client("ClientHeight", false));
  // A form has no parent to take a font from.
  form.Class().AddProp(std::make_unique<CondOrdProp<TForm>>(
      "ParentFont", TPropKind::Boolean, [](TForm* f) -> int64_t { return f->ParentFont(); },
      [](TForm* f, int64_t v) { f->SetParentFont(v != 0); }, 1, nullptr, [](TForm*) { return false; }));
  Ignored(form, "PixelsPerInch", 96);
  Ignored(form, "TextHeight", 13);
  IgnoredBool(form, "Scaled", true);
  IgnoredBool(form, "OldCreateOrder", false);
}

void RegisterTimer() {
  RegisterClass<TTimer, TComponent>("TTimer")
      .Bool("Enabled", &TTimer::Enabled, &TTimer::SetEnabled, true)
      .Int("Interval", [](TTimer* t) -> int64_t { return t->Interval(); },
           [](TTimer* t, int64_t v) { t->SetInterval(static_cast<unsigned>(CheckedInt(v, 0, INT_MAX, "Interval"))); }, 1000)
      .Event("OnTimer", &TTimer::OnTimer);
}

}  // namespace

void RegisterUiClasses() {
  static const bool done = [] {
    RegisterFont();
    RegisterControl();
    RegisterWinControls();
    RegisterForm();
    RegisterTimer();
    return true;
  }();
  (void)done;
}

namespace ui {

const TIdentMap& ColorIdents() {
  // Built from the colour table of the graphics library, in its order, so that the
  // writer picks the same name for a value as ColorToString does.
  static const TIdentMap map = [] {
    static std::vector<AnsiString> names;
    std::vector<TColor> values = {clBlack, clMaroon, clGreen, clOlive, clNavy, clPurple, clTeal, clGray,
                                  clSilver, clRed, clLime, clYellow, clBlue, clFuchsia, clAqua, clWhite,
                                  clMoneyGreen, clSkyBlue, clCream, clMedGray, clNone, clDefault};
    for (int i = 0; i <= COLOR_ENDCOLORS; ++i) values.push_back(SystemColor(i));
    names.reserve(values.size());
    TIdentMap m;
    for (TColor v : values) {
      AnsiString name;
      if (ColorToIdent(v, name)) {
        names.push_back(name);
        m.push_back({v, names.back().c_str()});
      }
    }
    return m;
  }();
  return map;
}

const TIdentMap& CursorIdents() {
  static const TIdentMap map = {
      {crDefault, "crDefault"},   {crNone, "crNone"},         {crArrow, "crArrow"},         {crCross, "crCross"},
      {crIBeam, "crIBeam"},       {crSizeNESW, "crSizeNESW"}, {crSizeNS, "crSizeNS"},       {crSizeNWSE, "crSizeNWSE"},
      {crSizeWE, "crSizeWE"},     {crUpArrow, "crUpArrow"},   {crHourGlass, "crHourGlass"}, {crDrag, "crDrag"},
      {crNoDrop, "crNoDrop"},     {crHSplit, "crHSplit"},     {crVSplit, "crVSplit"},       {crMultiDrag, "crMultiDrag"},
      {crSQLWait, "crSQLWait"},   {crNo, "crNo"},             {crAppStart, "crAppStart"},   {crHelp, "crHelp"},
      {crHandPoint, "crHandPoint"}, {crSizeAll, "crSizeAll"}};
  return map;
}

void PublishColor(TStreamClass& Class, TColor Default) { Class.AddProp(ColorProp(Default)); }

namespace detail {

bool HasOwnResource(const TForm* Form) {
  const TFormResource* r = FindFormResource(Form->ClassName());
  return r != nullptr && SameText(r->ClassName, Form->ClassName());
}

void ReadOwnResource(TForm* Form, bool Required) {
  if (!Required && !HasOwnResource(Form)) return;
  ReadFormResource(Form);
}

void DiscardForm(TForm* Form) noexcept {
  // The form never got its OnCreate, so it gets no OnDestroy either.
  Form->OnDestroy = nullptr;
  delete Form;
}

}  // namespace detail
}  // namespace ui

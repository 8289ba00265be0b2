// Publishes the typed edit, the mask edit and the spin edit for form resources.
#include "controls/AdvEdit.h"
#include "controls/AdvMaskEdit.h"
#include "controls/AdvSpin.h"
#include "platform/ui/UiStreaming.h"

namespace {
#define LABEL_POSITIONS \
  { "lpLeftTop", "lpLeftCenter", "lpLeftBottom", "lpTopLeft", "lpBottomLeft", "lpLeftTopLeft", \
    "lpLeftCenterLeft", "lpLeftBottomLeft", "lpTopCenter", "lpBottomCenter" }
#define EDIT_ALIGNS { "eaLeft", "eaRight", "eaDefault", "eaCenter" }

// The plain edit classes, unless their own library registered them already.
void RegisterBaseEdits() {
  if (!FindClass("TCustomEdit"))
    RegisterClass<TCustomEdit, TWinControl>("TCustomEdit")
        .Bool("AutoSelect", &TCustomEdit::AutoSelect, &TCustomEdit::SetAutoSelect, true)
        .Int("MaxLength", &TCustomEdit::MaxLength, &TCustomEdit::SetMaxLength, 0)
        .Bool("ReadOnly", &TCustomEdit::ReadOnly, &TCustomEdit::SetReadOnly, false)
        .Int("PasswordChar", [](TCustomEdit* e) { return static_cast<int>(static_cast<unsigned char>(e->PasswordChar())); },
             [](TCustomEdit* e, int v) { e->SetPasswordChar(static_cast<char>(v)); }, 0)
        .Enum("CharCase", &TCustomEdit::CharCase, &TCustomEdit::SetCharCase, {"ecNormal", "ecUpperCase", "ecLowerCase"}, 0)
        .Enum("BorderStyle", &TCustomEdit::BorderStyle, &TCustomEdit::SetBorderStyle, {"bsNone", "bsSingle"}, bsSingleBorder)
        .String("Text", [](TCustomEdit* e) { return e->Text(); }, [](TCustomEdit* e, const AnsiString& v) { e->SetText(v); })
        .Event("OnChange", &TCustomEdit::OnChange);
  if (!FindClass("TEdit")) RegisterClass<TEdit, TCustomEdit>("TEdit");
  if (!FindClass("TMaskEdit"))
    RegisterClass<TMaskEdit, TCustomEdit>("TMaskEdit")
        .String("EditMask", &TMaskEdit::EditMask, &TMaskEdit::SetEditMask);
}

template <class T>
void PublishLabel(TClassProps<T>& P) {
  // The caption label's properties, stored flat on the edit.
  P.String("LabelCaption", [](T* e) { return e->EditLabel().Caption(); },
           [](T* e, const AnsiString& v) { e->EditLabel().SetCaption(v); })
      .Enum("LabelPosition", [](T* e) { return e->EditLabel().Position(); },
            [](T* e, TLabelPosition v) { e->EditLabel().SetPosition(v); }, LABEL_POSITIONS, lpLeftTop)
      .Int("LabelMargin", [](T* e) { return e->EditLabel().Margin(); },
           [](T* e, int v) { e->EditLabel().SetMargin(v); }, 4)
      .Bool("LabelTransparent", [](T* e) { return e->EditLabel().Transparent(); },
            [](T* e, bool v) { e->EditLabel().SetTransparent(v); }, false)
      .Bool("LabelAlwaysEnabled", [](T* e) { return e->EditLabel().AlwaysEnabled(); },
            [](T* e, bool v) { e->EditLabel().SetAlwaysEnabled(v); }, false)
      .Object("LabelFont", [](T* e) { return e->EditLabel().Font(); })
      .String("Version", &T::Version, &T::SetVersion);
}

const TIdentMap* Colors() { return &ui::ColorIdents(); }
}  // namespace

void RegisterAdvEditClasses() {
  static bool done = false;
  if (done) return;
  done = true;
  RegisterUiClasses();
  RegisterBaseEdits();

  RegisterClass<TLookupSettings, TPersistent>("TLookupSettings")
      .Bool("CaseSensitive", &TLookupSettings::CaseSensitive, &TLookupSettings::SetCaseSensitive, false)
      .Int("Color", &TLookupSettings::Color, &TLookupSettings::SetColor, clWindow, Colors())
      .Int("DisplayCount", &TLookupSettings::DisplayCount, &TLookupSettings::SetDisplayCount, 4)
      .Strings("DisplayList", [](TLookupSettings* l) -> TStrings* { return l->DisplayList(); })
      .Bool("Enabled", &TLookupSettings::Enabled, &TLookupSettings::SetEnabled, false)
      .Bool("History", &TLookupSettings::History, &TLookupSettings::SetHistory, false)
      .Int("NumChars", &TLookupSettings::NumChars, &TLookupSettings::SetNumChars, 2)
      .Strings("ValueList", [](TLookupSettings* l) -> TStrings* { return l->ValueList(); })
      .Bool("Multi", &TLookupSettings::Multi, &TLookupSettings::SetMulti, false)
      .Int("Separator", [](TLookupSettings* l) { return static_cast<int>(static_cast<unsigned char>(l->Separator())); },
           [](TLookupSettings* l, int v) { l->SetSeparator(static_cast<char>(v)); }, ';');
  RegisterClass<TPersistence, TPersistent>("TPersistence")
      .Bool("Enable", &TPersistence::Enable, &TPersistence::SetEnable, false)
      .String("Key", &TPersistence::Key, &TPersistence::SetKey)
      .String("Section", &TPersistence::Section, &TPersistence::SetSection)
      .Enum("Location", &TPersistence::Location, &TPersistence::SetLocation, {"plInifile", "plRegistry"}, plInifile);

  auto edit = RegisterClass<TAdvEdit, TCustomEdit>("TAdvEdit");
  ui::PublishColor(edit.Class(), clWindow);
  edit.Enum("EditType", &TAdvEdit::EditType, &TAdvEdit::SetEditType,
            {"etString", "etNumeric", "etFloat", "etUppercase", "etMixedCase", "etLowerCase", "etPassword", "etMoney",
             "etRange", "etHex", "etAlphaNumeric", "etValidChars"}, etString)
      .Int("Precision", &TAdvEdit::Precision, &TAdvEdit::SetPrecision, 0)
      .Bool("Signed", &TAdvEdit::Signed, &TAdvEdit::SetSigned, false)
      .Bool("ExcelStyleDecimalSeparator", &TAdvEdit::ExcelStyleDecimalSeparator, &TAdvEdit::SetExcelStyleDecimalSeparator, false)
      .Bool("AllowNumericNullValue", &TAdvEdit::AllowNumericNullValue, &TAdvEdit::SetAllowNumericNullValue, false)
      .Bool("AutoThousandSeparator", &TAdvEdit::AutoThousandSeparator, &TAdvEdit::SetAutoThousandSeparator, true)
      .Int("LengthLimit", &TAdvEdit::LengthLimit, &TAdvEdit::SetLengthLimit, 0)
      .Bool("TabOnFullLength", &TAdvEdit::TabOnFullLength, &TAdvEdit::SetTabOnFullLength, false)
      .String("ValidChars", &TAdvEdit::ValidChars, &TAdvEdit::SetValidChars)
      .String("Prefix", &TAdvEdit::Prefix, &TAdvEdit::SetPrefix)
      .String("Suffix", &TAdvEdit::Suffix, &TAdvEdit::SetSuffix)
      .Enum("EditAlign", &TAdvEdit::EditAlign, &TAdvEdit::SetEditAlign, EDIT_ALIGNS, eaLeft)
      .Enum("FocusAlign", &TAdvEdit::FocusAlign, &TAdvEdit::SetFocusAlign, EDIT_ALIGNS, eaDefault)
      .Int("FocusColor", &TAdvEdit::FocusColor, &TAdvEdit::SetFocusColor, clNone, Colors())
      .Int("FocusFontColor", &TAdvEdit::FocusFontColor, &TAdvEdit::SetFocusFontColor, clWindowText, Colors())
      .Bool("FocusBorder", &TAdvEdit::FocusBorder, &TAdvEdit::SetFocusBorder, false)
      .Int("FocusBorderColor", &TAdvEdit::FocusBorderColor, &TAdvEdit::SetFocusBorderColor, clNone, Colors())
      .Bool("FocusLabel", &TAdvEdit::FocusLabel, &TAdvEdit::SetFocusLabel, false)
      .Int("FocusWidthInc", &TAdvEdit::FocusWidthInc, &TAdvEdit::SetFocusWidthInc, 0)
      .Int("ModifiedColor", &TAdvEdit::ModifiedColor, &TAdvEdit::SetModifiedColor, clHighlight, Colors())
      .Bool("ShowModified", &TAdvEdit::ShowModified, &TAdvEdit::SetShowModified, false)
      .Int("ErrorColor", &TAdvEdit::ErrorColor, &TAdvEdit::SetErrorColor, clRed, Colors())
      .Int("ErrorFontColor", &TAdvEdit::ErrorFontColor, &TAdvEdit::SetErrorFontColor, clWhite, Colors())
      .Bool("ShowError", &TAdvEdit::ShowError, &TAdvEdit::SetShowError, false)
      .Int("ErrorMarkerPos", &TAdvEdit::ErrorMarkerPos, &TAdvEdit::SetErrorMarkerPos, 0)
      .Int("ErrorMarkerLen", &TAdvEdit::ErrorMarkerLen, &TAdvEdit::SetErrorMarkerLen, 0)
      .Int("DisabledColor", &TAdvEdit::DisabledColor, &TAdvEdit::SetDisabledColor, clSilver, Colors())
      .Bool("DisabledBorder", &TAdvEdit::DisabledBorder, &TAdvEdit::SetDisabledBorder, true)
      .Bool("Flat", &TAdvEdit::Flat, &TAdvEdit::SetFlat, false)
      .Int("FlatLineColor", &TAdvEdit::FlatLineColor, &TAdvEdit::SetFlatLineColor, clBlack, Colors())
      .Bool("FlatParentColor", &TAdvEdit::FlatParentColor, &TAdvEdit::SetFlatParentColor, true)
      .Bool("SoftBorder", &TAdvEdit::SoftBorder, &TAdvEdit::SetSoftBorder, false)
      .Bool("Transparent", &TAdvEdit::Transparent, &TAdvEdit::SetTransparent, false)
      .String("EmptyText", &TAdvEdit::EmptyText, &TAdvEdit::SetEmptyText)
      .Bool("ShowURL", &TAdvEdit::ShowURL, &TAdvEdit::SetShowURL, false)
      .Int("URLColor", &TAdvEdit::URLColor, &TAdvEdit::SetURLColor, clBlue, Colors())
      .Bool("ReturnIsTab", &TAdvEdit::ReturnIsTab, &TAdvEdit::SetReturnIsTab, false)
      .Bool("AutoFocus", &TAdvEdit::AutoFocus, &TAdvEdit::SetAutoFocus, false)
      .Bool("CanUndo", &TAdvEdit::CanUndo, &TAdvEdit::SetCanUndo, true)
      .Bool("HintShowLargeText", &TAdvEdit::HintShowLargeText, &TAdvEdit::SetHintShowLargeText, false)
      .Bool("OleDropSource", &TAdvEdit::OleDropSource, &TAdvEdit::SetOleDropSource, false)
      .Bool("OleDropTarget", &TAdvEdit::OleDropTarget, &TAdvEdit::SetOleDropTarget, false)
      .String("Text", [](TAdvEdit* e) { return e->Text(); }, [](TAdvEdit* e, const AnsiString& v) { e->SetText(v); })
      .Event("OnValueValidate", &TAdvEdit::OnValueValidate)
      .Event("OnClipboardCopy", &TAdvEdit::OnClipboardCopy)
      .Event("OnClipboardCut", &TAdvEdit::OnClipboardCut)
      .Event("OnClipboardPaste", &TAdvEdit::OnClipboardPaste)
      .Event("OnURLClick", &TAdvEdit::OnURLClick)
      .Event("OnLookupSelect", &TAdvEdit::OnLookupSelect)
      .Event("OnLookupIndexSelect", &TAdvEdit::OnLookupIndexSelect)
      .Event("OnLabelClick", [](TAdvEdit* e) { return e->EditLabel().OnLabelClick; },
             [](TAdvEdit* e, const TNotifyEvent& v) { e->EditLabel().OnLabelClick = v; })
      .Event("OnLabelDblClick", [](TAdvEdit* e) { return e->EditLabel().OnLabelDblClick; },
             [](TAdvEdit* e, const TNotifyEvent& v) { e->EditLabel().OnLabelDblClick = v; })
      .Object("Lookup", [](TAdvEdit* e) -> TPersistent* { return e->Lookup(); })
      .Object("Persistence", [](TAdvEdit* e) -> TPersistent* { return e->Persistence(); })
      .Event("OnMouseEnter", &TAdvEdit::OnMouseEnter)
      .Event("OnMouseLeave", &TAdvEdit::OnMouseLeave);
  PublishLabel(edit);

  auto mask = RegisterClass<TAdvMaskEdit, TMaskEdit>("TAdvMaskEdit");
  ui::PublishColor(mask.Class(), clWindow);
  mask.Bool("AutoFocus", &TAdvMaskEdit::AutoFocus, &TAdvMaskEdit::SetAutoFocus, false)
      .Bool("AutoTab", &TAdvMaskEdit::AutoTab, &TAdvMaskEdit::SetAutoTab, true)
      .Bool("ReturnIsTab", &TAdvMaskEdit::ReturnIsTab, &TAdvMaskEdit::SetReturnIsTab, true)
      .Bool("CanUndo", &TAdvMaskEdit::CanUndo, &TAdvMaskEdit::SetCanUndo, false)
      .Enum("Alignment", &TAdvMaskEdit::Alignment, &TAdvMaskEdit::SetAlignment, {"taLeftJustify", "taRightJustify", "taCenter"}, taLeftJustify)
      .Int("FocusColor", &TAdvMaskEdit::FocusColor, &TAdvMaskEdit::SetFocusColor, clWindow, Colors())
      .Int("FocusFontColor", &TAdvMaskEdit::FocusFontColor, &TAdvMaskEdit::SetFocusFontColor, clBlack, Colors())
      .Bool("FocusBorder", &TAdvMaskEdit::FocusBorder, &TAdvMaskEdit::SetFocusBorder, false)
      .Int("FocusBorderColor", &TAdvMaskEdit::FocusBorderColor, &TAdvMaskEdit::SetFocusBorderColor, clNone, Colors())
      .Int("ModifiedColor", &TAdvMaskEdit::ModifiedColor, &TAdvMaskEdit::SetModifiedColor, clRed, Colors())
      .Bool("ShowModified", &TAdvMaskEdit::ShowModified, &TAdvMaskEdit::SetShowModified, false)
      .Int("DisabledColor", &TAdvMaskEdit::DisabledColor, &TAdvMaskEdit::SetDisabledColor, clSilver, Colors())
      .Bool("DisabledBorder", &TAdvMaskEdit::DisabledBorder, &TAdvMaskEdit::SetDisabledBorder, true)
      .Bool("Flat", &TAdvMaskEdit::Flat, &TAdvMaskEdit::SetFlat, false)
      .Int("FlatLineColor", &TAdvMaskEdit::FlatLineColor, &TAdvMaskEdit::SetFlatLineColor, clBlack, Colors())
      .Bool("FlatParentColor", &TAdvMaskEdit::FlatParentColor, &TAdvMaskEdit::SetFlatParentColor, true)
      .Bool("SoftBorder", &TAdvMaskEdit::SoftBorder, &TAdvMaskEdit::SetSoftBorder, false)
      .Bool("SelectFirstChar", &TAdvMaskEdit::SelectFirstChar, &TAdvMaskEdit::SetSelectFirstChar, false)
      .Event("OnMaskComplete", &TAdvMaskEdit::OnMaskComplete)
      .Event("OnMouseEnter", &TAdvMaskEdit::OnMouseEnter)
      .Event("OnMouseLeave", &TAdvMaskEdit::OnMouseLeave);
  PublishLabel(mask);

  auto spin = RegisterClass<TAdvSpinEdit, TMaskEdit>("TAdvSpinEdit");
  ui::PublishColor(spin.Class(), clWindow);
  spin.Enum("SpinType", &TAdvSpinEdit::SpinType, &TAdvSpinEdit::SetSpinType, {"sptNormal", "sptFloat", "sptDate", "sptTime", "sptHex"}, sptNormal)
      .Int("Value", &TAdvSpinEdit::Value, &TAdvSpinEdit::SetValue, 0)
      .Float("FloatValue", &TAdvSpinEdit::FloatValue, &TAdvSpinEdit::SetFloatValue, 0)
      .Int("HexValue", &TAdvSpinEdit::HexValue, &TAdvSpinEdit::SetHexValue, 0)
      .Int("MinValue", &TAdvSpinEdit::MinValue, &TAdvSpinEdit::SetMinValue, 0)
      .Int("MaxValue", &TAdvSpinEdit::MaxValue, &TAdvSpinEdit::SetMaxValue, 0)
      .Float("MinFloatValue", &TAdvSpinEdit::MinFloatValue, &TAdvSpinEdit::SetMinFloatValue, 0)
      .Float("MaxFloatValue", &TAdvSpinEdit::MaxFloatValue, &TAdvSpinEdit::SetMaxFloatValue, 0)
      .Float("MinDateValue", &TAdvSpinEdit::MinDateValue, &TAdvSpinEdit::SetMinDateValue, 0)
      .Float("MaxDateValue", &TAdvSpinEdit::MaxDateValue, &TAdvSpinEdit::SetMaxDateValue, 0)
      .Int("Increment", &TAdvSpinEdit::Increment, &TAdvSpinEdit::SetIncrement, 1)
      .Int("IncrementPage", &TAdvSpinEdit::IncrementPage, &TAdvSpinEdit::SetIncrementPage, 10)
      .Float("IncrementFloat", &TAdvSpinEdit::IncrementFloat, &TAdvSpinEdit::SetIncrementFloat, 0.1)
      .Float("IncrementFloatPage", &TAdvSpinEdit::IncrementFloatPage, &TAdvSpinEdit::SetIncrementFloatPage, 1.0)
      .Bool("IncrementSmart", &TAdvSpinEdit::IncrementSmart, &TAdvSpinEdit::SetIncrementSmart, false)
      .Int("IncrementHours", &TAdvSpinEdit::IncrementHours, &TAdvSpinEdit::SetIncrementHours, 1)
      .Int("IncrementMinutes", &TAdvSpinEdit::IncrementMinutes, &TAdvSpinEdit::SetIncrementMinutes, 1)
      .Int("Precision", &TAdvSpinEdit::Precision, &TAdvSpinEdit::SetPrecision, 0)
      .Bool("ShowSeconds", &TAdvSpinEdit::ShowSeconds, &TAdvSpinEdit::SetShowSeconds, true)
      .Bool("Signed", &TAdvSpinEdit::Signed, &TAdvSpinEdit::SetSigned, false)
      .Bool("EditorEnabled", &TAdvSpinEdit::EditorEnabled, &TAdvSpinEdit::SetEditorEnabled, true)
      .Bool("AllowNullValue", &TAdvSpinEdit::AllowNullValue, &TAdvSpinEdit::SetAllowNullValue, true)
      .Bool("ReturnIsTab", &TAdvSpinEdit::ReturnIsTab, &TAdvSpinEdit::SetReturnIsTab, false)
      .Bool("AutoFocus", &TAdvSpinEdit::AutoFocus, &TAdvSpinEdit::SetAutoFocus, false)
      .Enum("Direction", &TAdvSpinEdit::Direction, &TAdvSpinEdit::SetDirection, {"spVertical", "spHorizontal"}, spVertical)
      .Enum("EditAlign", &TAdvSpinEdit::EditAlign, &TAdvSpinEdit::SetEditAlign, EDIT_ALIGNS, eaLeft)
      .Bool("Flat", &TAdvSpinEdit::Flat, &TAdvSpinEdit::SetFlat, false)
      .Int("FlatLineColor", &TAdvSpinEdit::FlatLineColor, &TAdvSpinEdit::SetFlatLineColor, clBlack, Colors())
      .Bool("SpinFlat", &TAdvSpinEdit::SpinFlat, &TAdvSpinEdit::SetSpinFlat, false)
      .Bool("SpinTransparent", &TAdvSpinEdit::SpinTransparent, &TAdvSpinEdit::SetSpinTransparent, false)
      .Bool("Transparent", &TAdvSpinEdit::Transparent, &TAdvSpinEdit::SetTransparent, false)
      .Int("FocusColor", &TAdvSpinEdit::FocusColor, &TAdvSpinEdit::SetFocusColor, clWindow, Colors())
      .Int("FocusBorderColor", &TAdvSpinEdit::FocusBorderColor, &TAdvSpinEdit::SetFocusBorderColor, clNone, Colors())
      .Event("OnUpClick", &TAdvSpinEdit::OnUpClick)
      .Event("OnDownClick", &TAdvSpinEdit::OnDownClick);
  PublishLabel(spin);
}

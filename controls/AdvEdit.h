#pragma once
// TAdvEdit: a one-line edit whose accepted input depends on EditType (text, integers,
// fixed-point decimals, money, hex, ranges, letter case, ...), with a prefix and suffix
// kept out of the value, focus/modified/error colours, a flat look and an attached
// label. RegisterAdvEditClasses publishes it, the mask edit and the spin edit for form
// resources.
#include <functional>
#include "controls/AdvFlatEdit.h"
#include "controls/AdvLookup.h"
#include "platform/stdctrls/WidgetHooks.h"
#include "platform/stdctrls/Edits.h"

enum TAdvEditType {
  etString, etNumeric, etFloat, etUppercase, etMixedCase, etLowerCase, etPassword,
  etMoney, etRange, etHex, etAlphaNumeric, etValidChars
};
enum TEditAlign { eaLeft, eaRight, eaDefault, eaCenter };

using TValueValidateEvent = std::function<void(TObject* Sender, const AnsiString& Value, bool& IsValid)>;
using TClipboardEvent = std::function<void(TObject* Sender, const AnsiString& Value, bool& Allow)>;
using TURLClickEvent = std::function<void(TObject* Sender, const AnsiString& URL, bool& Show)>;
using TLookupSelectEvent = std::function<void(TObject* Sender, AnsiString& Value)>;
using TLookupIndexSelectEvent = std::function<void(TObject* Sender, int Index, AnsiString& Value)>;

class TListBox;

// Text classification used by the value setters.
enum TTextKind { tkInteger = 0, tkDecimal = 1, tkText = 2, tkHex = 5 };
TTextKind ClassifyText(const AnsiString& s);
// Mixed case: the first letter of each word upper case, the rest lower case.
AnsiString MixedCase(const AnsiString& s);

// Registers TAdvEdit, TAdvMaskEdit and TAdvSpinEdit (and the edit classes they build
// on, when nobody registered those yet); later calls do nothing.
void RegisterAdvEditClasses();

class TAdvEdit : public TFlatEdit<TCustomEdit> {
 public:
  explicit TAdvEdit(TComponent* AOwner);
  ~TAdvEdit() override;
  const char* ClassName() const override { return "TAdvEdit"; }

  // The value: the window text without Prefix and Suffix.
  AnsiString Text() const;
  void SetText(const AnsiString& v) override;
  // Raises EConvertError for a text that is no number (etNumeric/etFloat/etMoney).
  double FloatValue() const;
  void SetFloatValue(double v);
  int IntValue() const;
  void SetIntValue(int v);

  TAdvEditType EditType() const { return edit_type_; }
  void SetEditType(TAdvEditType v);
  int Precision() const { return precision_; }
  void SetPrecision(int v);
  bool Signed() const { return signed_; }
  void SetSigned(bool v) { signed_ = v; }
  bool ExcelStyleDecimalSeparator() const { return excel_decimal_; }
  void SetExcelStyleDecimalSeparator(bool v) { excel_decimal_ = v; }
  bool AllowNumericNullValue() const { return allow_null_; }
  void SetAllowNumericNullValue(bool v) { allow_null_ = v; }
  bool AutoThousandSeparator() const { return auto_thousand_; }
  void SetAutoThousandSeparator(bool v);
  int LengthLimit() const { return length_limit_; }
  void SetLengthLimit(int v) { length_limit_ = v; }
  bool TabOnFullLength() const { return tab_on_full_; }
  void SetTabOnFullLength(bool v) { tab_on_full_ = v; }
  AnsiString ValidChars() const { return valid_chars_; }
  void SetValidChars(const AnsiString& v) { valid_chars_ = v; }
  AnsiString Prefix() const { return prefix_; }
  void SetPrefix(const AnsiString& v);
  AnsiString Suffix() const { return suffix_; }
  void SetSuffix(const AnsiString& v);
  TEditAlign EditAlign() const { return edit_align_; }
  void SetEditAlign(TEditAlign v);
  TEditAlign FocusAlign() const { return focus_align_; }
  void SetFocusAlign(TEditAlign v) { focus_align_ = v; }

  TColor FocusColor() const { return focus_color_; }
  void SetFocusColor(TColor v) { focus_color_ = v; }
  TColor FocusFontColor() const { return focus_font_color_; }
  void SetFocusFontColor(TColor v) { focus_font_color_ = v; }
  bool FocusBorder() const { return focus_border_; }
  void SetFocusBorder(bool v) { focus_border_ = v; }
  TColor FocusBorderColor() const { return focus_border_color_; }
  void SetFocusBorderColor(TColor v) { focus_border_color_ = v; }
  bool FocusLabel() const { return focus_label_; }
  void SetFocusLabel(bool v) { focus_label_ = v; }
  int FocusWidthInc() const { return focus_width_inc_; }
  void SetFocusWidthInc(int v) { focus_width_inc_ = v; }
  TColor ModifiedColor() const { return modified_color_; }
  void SetModifiedColor(TColor v) { modified_color_ = v; }
  bool ShowModified() const { return show_modified_; }
  void SetShowModified(bool v) { show_modified_ = v; }
  TColor ErrorColor() const { return error_color_; }
  void SetErrorColor(TColor v) { error_color_ = v; }
  TColor ErrorFontColor() const { return error_font_color_; }
  void SetErrorFontColor(TColor v) { error_font_color_ = v; }
  bool ShowError() const { return show_error_; }
  void SetShowError(bool v);
  bool IsError() const { return error_; }
  int ErrorMarkerPos() const { return error_marker_pos_; }
  void SetErrorMarkerPos(int v) { error_marker_pos_ = v; }
  int ErrorMarkerLen() const { return error_marker_len_; }
  void SetErrorMarkerLen(int v) { error_marker_len_ = v; }
  bool Transparent() const { return transparent_; }
  void SetTransparent(bool v) {
    transparent_ = v;
    ColorChanged();
  }
  AnsiString EmptyText() const { return empty_text_; }
  void SetEmptyText(const AnsiString& v) { empty_text_ = v; }
  // Whether the grey placeholder shows now: empty value, no focus.
  bool ShowsEmptyText() const;
  bool ShowURL() const { return show_url_; }
  void SetShowURL(bool v);
  TColor URLColor() const { return url_color_; }
  void SetURLColor(TColor v) { url_color_ = v; }
  bool ReturnIsTab() const { return return_is_tab_; }
  void SetReturnIsTab(bool v) { return_is_tab_ = v; }
  bool CanUndo() const { return can_undo_; }
  void SetCanUndo(bool v) { can_undo_ = v; }
  bool HintShowLargeText() const { return hint_large_; }
  void SetHintShowLargeText(bool v) { hint_large_ = v; }
  // Drag and drop of text: the selection can be dragged out (moved, or copied with
  // Ctrl), text dragged from anywhere dropped in at the mouse.
  bool OleDropSource() const { return ole_source_; }
  void SetOleDropSource(bool v) { ole_source_ = v; }
  bool OleDropTarget() const { return ole_target_; }
  void SetOleDropTarget(bool v);
  AnsiString Version() const { return "2.7.3.4"; }
  void SetVersion(const AnsiString&) {}

  // The auto-complete list and the persistence of the text and lists.
  TLookupSettings* Lookup() const { return lookup_.get(); }
  TPersistence* Persistence() const { return persistence_.get(); }
  virtual void LoadPersist();
  virtual void SavePersist();
  // The list as shown: DisplayList indexes of the rows, the selected row (-1 hidden).
  bool LookupShowing() const;
  const std::vector<int>& LookupRows() const { return lookup_rows_; }
  int LookupRow() const { return lookup_row_; }
  TListBox* LookupList() const { return lookup_list_; }
  // Puts the value of the selected row into the edit and closes the list.
  void PickLookup();
  void HideLookup();


  // Whether the value looks like a URL ("://", "@" after the first character, "www.").
  bool IsURL() const;
  // Fires OnValueValidate (IsValid starts True); guarded against re-entry.
  virtual bool DoValidate(const AnsiString& Value);
  virtual void ValueValidate(const AnsiString& Value, bool& IsValid);
  // Sets the modified state and, with ShowModified, the modified font colour.
  void SetModified(bool v);

  // Clipboard with veto events. Paste takes the text to paste (the clipboard's text, or
  // the selection's for a middle click).
  void CutToClipboard();
  void CopyToClipboard();
  void PasteText(const AnsiString& Pasted) override;
  void PasteFromClipboard();

  TValueValidateEvent OnValueValidate;
  TClipboardEvent OnClipboardCopy;
  TClipboardEvent OnClipboardCut;
  TClipboardEvent OnClipboardPaste;
  TURLClickEvent OnURLClick;
  TLookupSelectEvent OnLookupSelect;
  TLookupIndexSelectEvent OnLookupIndexSelect;

  void KeyDown(WORD& Key, TShiftState Shift) override;
  void KeyPress(char& Key) override;
  void DoEnter() override;
  void DoExit() override;
  void Loaded() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseMove(TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  bool GetHintInfo(TPoint Pos, THintInfo& Info) override;

  // Drop target side, as the window system calls it (client coordinates). DragOverAt
  // answers the effect (deNone refuses); DropAt inserts the first line of the text.
  int DragOverAt(const ui::TDragData& Data, TPoint At, bool Ctrl);
  int DropAt(const ui::TDragData& Data, TPoint At, bool Ctrl);
  void DragLeft();
  // The drop caret (-1, -1 when none), in client coordinates.
  TPoint DropCaret() const { return drop_caret_; }
  bool DragPending() const { return drag_pending_; }

  // Draws the flat line, the focus border, the drop caret, the placeholder and the error
  // marker over what the window system drew.
  void PaintDecoration(TCanvas& Canvas);

 protected:
  void Change() override;
  void CreateHandle() override;
  // A transparent edit lets its parent show through behind the text.
  TColor FieldColor() const override { return transparent_ ? clNone : Color(); }
  // Focus takes the parent's colour too, so a flat edit never lights up.
  void TookParentColor(TColor c) override { focus_color_ = c; }

 private:
  AnsiString WindowText() const { return TCustomEdit::Text(); }
  void SetWindowText(const AnsiString& value);
  void ReplaceSel(const AnsiString& with);
  // Inserts a character (or deletes backwards for #8) at the selection, as the window does.
  void TypeChar(char Key);
  void MoneyFormat();
  int IntegerPartLength(const AnsiString& value) const;
  void ToggleSign(bool keepPrecision);
  bool FloatKey(char& Key);
  bool RangeKeyAllowed(char Key) const;
  void AfterKey();
  void ApplyURLLook();
  void SetErrorState(bool v);
  void FocusNext();
  void InstallHooks();
  bool InsertChecked(const AnsiString& Pasted);
  void KeepCaretInValue();
  void ClickURL();
  void UpdateLookup();
  bool LookupKey(WORD Key);

  TAdvEditType edit_type_ = etString;
  int precision_ = 0;
  bool signed_ = false, excel_decimal_ = false, allow_null_ = false, auto_thousand_ = true;
  int length_limit_ = 0;
  bool tab_on_full_ = false;
  AnsiString valid_chars_, prefix_, suffix_, empty_text_;
  TEditAlign edit_align_ = eaLeft, focus_align_ = eaDefault, saved_align_ = eaLeft;
  TColor focus_color_ = clNone, focus_font_color_ = clWindowText, focus_border_color_ = clNone;
  bool focus_border_ = false, focus_label_ = false;
  int focus_width_inc_ = 0;
  TColor modified_color_ = clHighlight, error_color_ = clRed, error_font_color_ = clWhite;
  bool show_modified_ = false, show_error_ = false, error_ = false;
  int error_marker_pos_ = 0, error_marker_len_ = 0;
  bool transparent_ = false;
  bool show_url_ = false, url_look_ = false;
  TColor url_color_ = clBlue;
  bool return_is_tab_ = false, can_undo_ = true, hint_large_ = false;
  bool ole_source_ = false, ole_target_ = false;
  AnsiString undo_text_;
  bool own_modified_ = false;
  bool validating_ = false;
  bool swallow_change_ = false;
  bool keypad_decimal_ = false;
  bool focused_ = false;
  bool drag_pending_ = false, self_drag_ = false, self_dropped_ = false;
  TPoint drop_caret_{-1, -1};
  std::unique_ptr<TLookupSettings> lookup_;
  std::unique_ptr<TPersistence> persistence_;
  TListBox* lookup_list_ = nullptr;
  std::vector<int> lookup_rows_;
  int lookup_row_ = -1, lookup_offset_ = 0;
};

// The address a URL text may be opened as: http, https and mailto addresses as they are,
// "www." names as http, a bare e-mail address as mailto; empty for anything else (files,
// programs, other schemes), which is never handed to the desktop.
AnsiString SafeURL(const AnsiString& Text);

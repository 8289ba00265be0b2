#pragma once
// TAdvMaskEdit: the mask edit with focus and modified colours, a flat look, an
// attached label, Enter as Tab and an automatic Tab once the mask is filled.
#include <functional>
#include "controls/AdvEditLabel.h"
#include "platform/stdctrls/Edits.h"

using TMaskCompleteEvent = std::function<void(TObject* Sender, const AnsiString& Value, bool& Accept)>;

class TAdvMaskEdit : public TLabelledEdit<TMaskEdit> {
 public:
  explicit TAdvMaskEdit(TComponent* AOwner);
  ~TAdvMaskEdit() override;
  const char* ClassName() const override { return "TAdvMaskEdit"; }

  bool AutoFocus() const { return auto_focus_; }
  void SetAutoFocus(bool v) { auto_focus_ = v; }
  bool AutoTab() const { return auto_tab_; }
  void SetAutoTab(bool v) { auto_tab_ = v; }
  bool ReturnIsTab() const { return return_is_tab_; }
  void SetReturnIsTab(bool v) { return_is_tab_ = v; }
  bool CanUndo() const { return can_undo_; }
  void SetCanUndo(bool v) { can_undo_ = v; }
  TColor FocusColor() const { return focus_color_; }
  void SetFocusColor(TColor v) { focus_color_ = v; }
  TColor FocusFontColor() const { return focus_font_color_; }
  void SetFocusFontColor(TColor v) { focus_font_color_ = v; }
  bool FocusBorder() const { return focus_border_; }
  void SetFocusBorder(bool v) { focus_border_ = v; }
  TColor FocusBorderColor() const { return focus_border_color_; }
  void SetFocusBorderColor(TColor v) { focus_border_color_ = v; }
  TColor ModifiedColor() const { return modified_color_; }
  void SetModifiedColor(TColor v) { modified_color_ = v; }
  bool ShowModified() const { return show_modified_; }
  void SetShowModified(bool v) { show_modified_ = v; }
  TColor DisabledColor() const { return disabled_color_; }
  void SetDisabledColor(TColor v);
  bool DisabledBorder() const { return disabled_border_; }
  void SetDisabledBorder(bool v) { disabled_border_ = v; }
  bool Flat() const { return flat_; }
  void SetFlat(bool v);
  TColor FlatLineColor() const { return flat_line_color_; }
  void SetFlatLineColor(TColor v) { flat_line_color_ = v; }
  bool FlatParentColor() const { return flat_parent_color_; }
  void SetFlatParentColor(bool v) { flat_parent_color_ = v; }
  bool SoftBorder() const { return soft_border_; }
  void SetSoftBorder(bool v) { soft_border_ = v; }
  bool SelectFirstChar() const { return select_first_char_; }
  void SetSelectFirstChar(bool v) { select_first_char_ = v; }
  AnsiString Version() const { return "2.7.3.4"; }
  void SetVersion(const AnsiString&) {}

  // The mask holds no blank and the caret stands at the end.
  bool MaskFilled() const;

  TMaskCompleteEvent OnMaskComplete;
  TNotifyEvent OnMouseEnter;
  TNotifyEvent OnMouseLeave;

  void KeyDown(WORD& Key, TShiftState Shift) override;
  void KeyPress(char& Key) override;
  void KeyUp(WORD& Key, TShiftState Shift) override;
  void DoEnter() override;
  void DoExit() override;
  void Loaded() override;
  void SetEnabled(bool v) override;
  void MouseEnter();
  void MouseLeave();

 private:
  bool auto_focus_ = false, auto_tab_ = true, return_is_tab_ = true, can_undo_ = false;
  TColor focus_color_ = clWindow, focus_font_color_ = clBlack, focus_border_color_ = clNone;
  bool focus_border_ = false;
  TColor modified_color_ = clRed;
  bool show_modified_ = false;
  TColor disabled_color_ = clSilver, normal_color_ = clWindow, normal_font_color_ = clWindowText;
  bool disabled_border_ = true;
  bool flat_ = false, flat_parent_color_ = true, soft_border_ = false, select_first_char_ = false;
  TColor flat_line_color_ = clBlack;
  TBorderStyle flat_saved_border_ = bsSingleBorder;
  AnsiString undo_text_;
  bool hovered_ = false;
};

#pragma once
// TAdvMaskEdit: the mask edit with focus and modified colours, a flat look, an
// attached label, Enter as Tab and an automatic Tab once the mask is filled.
#include <functional>
#include "controls/AdvFlatEdit.h"
#include "platform/stdctrls/Edits.h"

using TMaskCompleteEvent = std::function<void(TObject* Sender, const AnsiString& Value, bool& Accept)>;

class TAdvMaskEdit : public TFlatEdit<TMaskEdit> {
 public:
  explicit TAdvMaskEdit(TComponent* AOwner);
  ~TAdvMaskEdit() override;
  const char* ClassName() const override { return "TAdvMaskEdit"; }

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
  bool SelectFirstChar() const { return select_first_char_; }
  void SetSelectFirstChar(bool v) { select_first_char_ = v; }
  AnsiString Version() const { return "2.7.3.4"; }
  void SetVersion(const AnsiString&) {}

  // The mask holds no blank and the caret stands at the end.
  bool MaskFilled() const;

  TMaskCompleteEvent OnMaskComplete;

  void KeyDown(WORD& Key, TShiftState Shift) override;
  void KeyPress(char& Key) override;
  void KeyUp(WORD& Key, TShiftState Shift) override;
  void DoEnter() override;
  void DoExit() override;

 protected:
  void CreateHandle() override;

 private:
  bool focused_ = false;
  bool auto_tab_ = true, return_is_tab_ = true, can_undo_ = false;
  TColor focus_color_ = clWindow, focus_font_color_ = clBlack, focus_border_color_ = clNone;
  bool focus_border_ = false;
  TColor modified_color_ = clRed;
  bool show_modified_ = false;
  bool select_first_char_ = false;
  AnsiString undo_text_;
};

#pragma once
// The standard controls: label, button, check box, radio button, group box, combo box
// and list box. State lives in the control, so it can be set and read before any window
// exists; the wrapped widget mirrors it once created.
#include <memory>
#include "platform/classes/Lists.h"
#include "platform/graphics/SmallSet.h"
#include "platform/stdctrls/Edits.h"
#include "platform/ui/Forms.h"

enum TTextLayout { tlTop, tlCenter, tlBottom };

// Text drawn on its parent; "&" marks an accelerator unless ShowAccelChar is off.
class TLabel : public TGraphicControl {
 public:
  explicit TLabel(TComponent* AOwner);
  const char* ClassName() const override { return "TLabel"; }
  TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment v);
  TTextLayout Layout() const { return layout_; }
  void SetLayout(TTextLayout v);
  bool AutoSize() const { return auto_size_; }
  void SetAutoSize(bool v);
  bool WordWrap() const { return word_wrap_; }
  void SetWordWrap(bool v);
  bool Transparent() const { return transparent_; }
  void SetTransparent(bool v);
  bool ShowAccelChar() const { return show_accel_; }
  void SetShowAccelChar(bool v);
  TWinControl* FocusControl() const { return focus_control_; }
  void SetFocusControl(TWinControl* c) { focus_control_ = c; }
  void Paint() override;
  // An auto-size label takes the size of its caption (the width it has when it wraps),
  // keeping its left edge, its right edge when right-justified, or its centre. Done when
  // the label is read, when its caption, font or wrapping changes, and by whoever sets its
  // bounds to sizes of their own.
  void AdjustBounds();

 protected:
  void Loaded() override;
  void TextChanged() override;
  void FontChanged() override;

 private:
  TAlignment alignment_ = taLeftJustify;
  TTextLayout layout_ = tlTop;
  bool auto_size_ = true, word_wrap_ = false, transparent_ = false, show_accel_ = true;
  TWinControl* focus_control_ = nullptr;
};

class TButton : public TWinControl {
 public:
  explicit TButton(TComponent* AOwner);
  const char* ClassName() const override { return "TButton"; }
  // A click sets the parent form's ModalResult to this (when not mrNone).
  TModalResult ModalResult() const { return modal_result_; }
  void SetModalResult(TModalResult v) { modal_result_ = v; }
  bool Default() const { return default_; }
  void SetDefault(bool v);
  bool Cancel() const { return cancel_; }
  void SetCancel(bool v) { cancel_ = v; }
  void Click() override;
  // Enter clicks the focused button, or else the default one; Escape the cancel button.
  bool DialogKey(WORD Key, TShiftState Shift) override;
  bool ClicksOnMouseUp() const override { return false; }
  // The button Enter presses is drawn as the default: the focused button while it has
  // the focus, otherwise the form's default button.
  bool DrawnAsDefault() const;
  void DoEnter() override;
  void DoExit() override;

 protected:
  void CreateHandle() override;
  void TextChanged() override;

 private:
  // Draws every button of the form as the one Enter presses or not; `focused` is the
  // button that has the focus, nullptr when the focus is on none.
  static void ShowDefaultLooks(TForm* form, const TButton* focused);
  TModalResult modal_result_ = mrNone;
  bool default_ = false, cancel_ = false;
};

enum TCheckBoxState { cbUnchecked, cbChecked, cbGrayed };

class TCheckBox : public TWinControl {
 public:
  explicit TCheckBox(TComponent* AOwner);
  const char* ClassName() const override { return "TCheckBox"; }
  bool Checked() const { return state_ == cbChecked; }
  // Changing the state fires OnClick, as a user's click does.
  void SetChecked(bool v) { SetState(v ? cbChecked : cbUnchecked); }
  TCheckBoxState State() const { return state_; }
  void SetState(TCheckBoxState v);
  bool AllowGrayed() const { return allow_grayed_; }
  void SetAllowGrayed(bool v) { allow_grayed_ = v; }
  TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment v) { alignment_ = v; }
  // A user's click: the next state, then OnClick.
  void Toggle();
  bool ClicksOnMouseUp() const override { return false; }

 protected:
  void CreateHandle() override;
  void TextChanged() override;

 private:
  void Push();
  TCheckBoxState state_ = cbUnchecked;
  bool allow_grayed_ = false;
  TAlignment alignment_ = taRightJustify;
};

// Checking one radio button clears the others with the same parent. The checked one is
// the group's tab stop; the arrow keys move the focus and the choice to the next or
// previous button of the group (round at the ends), and Space checks the focused one.
class TRadioButton : public TWinControl {
 public:
  explicit TRadioButton(TComponent* AOwner);
  const char* ClassName() const override { return "TRadioButton"; }
  bool Checked() const { return checked_; }
  void SetChecked(bool v);
  bool ClicksOnMouseUp() const override { return false; }
  void KeyDown(WORD& Key, TShiftState Shift) override;

 protected:
  void CreateHandle() override;
  void TextChanged() override;

 private:
  void Push();
  bool checked_ = false;
};

class TGroupBox : public TWinControl {
 public:
  explicit TGroupBox(TComponent* AOwner);
  const char* ClassName() const override { return "TGroupBox"; }
  // Where the inside of the frame starts, below the caption.
  int FrameTop();

 protected:
  void CreateHandle() override;
  void TextChanged() override;
};

enum TComboBoxStyle { csDropDown, csSimple, csDropDownList, csOwnerDrawFixed, csOwnerDrawVariable };
enum TListBoxStyle { lbStandard, lbOwnerDrawFixed, lbOwnerDrawVariable };

// The state of an item being drawn by its owner; odComboBoxEdit marks the combo's own
// field (the chosen item shown in the closed box) as against a row of its drop-down.
enum TOwnerDrawStateFlag { odSelected, odGrayed, odDisabled, odChecked, odFocused, odDefault, odComboBoxEdit };
using TOwnerDrawState = SmallSet<TOwnerDrawStateFlag>;
// Draws item Index of an owner-drawn list in Rect on the control's Canvas. The canvas
// comes with the control's font and the item's background colour (the selection
// colours for a selected item); the handler fills the rectangle itself.
using TDrawItemEvent = std::function<void(TWinControl* Control, int Index, TRect Rect, TOwnerDrawState State)>;

// Items is a string list; setting its Text with CR-separated names fills it at once.
class TComboBox : public TWinControl {
 public:
  explicit TComboBox(TComponent* AOwner);
  ~TComboBox() override;
  const char* ClassName() const override { return "TComboBox"; }
  TStrings* Items() { return items_.get(); }
  TComboBoxStyle Style() const { return style_; }
  void SetStyle(TComboBoxStyle v);
  // -1: nothing chosen. Setting it shows that item's text; out of range gives -1.
  int ItemIndex() const { return item_index_; }
  void SetItemIndex(int v);
  bool DroppedDown() const { return dropped_down_; }
  void SetDroppedDown(bool v);
  int DropDownCount() const { return drop_down_count_; }
  void SetDropDownCount(int v) { drop_down_count_ = v; }
  bool Sorted() const;
  void SetSorted(bool v);
  int MaxLength() const { return max_length_; }
  void SetMaxLength(int v) { max_length_ = v; }
  void SetText(const AnsiString& v) override;
  // Height of each row in an owner-drawn list.
  int ItemHeight() const { return item_height_; }
  void SetItemHeight(int v);
  // The surface of owner drawing: set up only while an item is being drawn.
  TCanvas* Canvas() { return canvas_.get(); }
  // Draws item Index through OnDrawItem (the text alone without a handler).
  virtual void DrawItem(int Index, TRect Rect, TOwnerDrawState State);
  TDrawItemEvent OnDrawItem;

  // A user's choice from the list: ItemIndex, text, then OnChange and OnClick.
  void UserSelect(int index);
  TNotifyEvent OnChange;
  TNotifyEvent OnDropDown;
  TNotifyEvent OnCloseUp;
  bool ClicksOnMouseUp() const override { return false; }

 protected:
  void CreateHandle() override;
  void InitWidget() override;
  void TextChanged() override;

 private:
  void ItemsChanged();
  void ApplyOwnerDraw();
  std::unique_ptr<TStringList> items_;
  std::unique_ptr<TCanvas> canvas_;
  TComboBoxStyle style_ = csDropDown;
  int item_height_ = 16;
  int item_index_ = -1;
  bool dropped_down_ = false;
  int drop_down_count_ = 8;
  int max_length_ = 0;
  bool pushing_ = false;
};

class TListBox : public TWinControl {
 public:
  explicit TListBox(TComponent* AOwner);
  ~TListBox() override;
  const char* ClassName() const override { return "TListBox"; }
  TStrings* Items() { return items_.get(); }
  int ItemIndex() const { return item_index_; }
  void SetItemIndex(int v);
  bool Sorted() const;
  void SetSorted(bool v);
  int TopIndex() const { return top_index_; }
  void SetTopIndex(int v);
  int ItemHeight() const { return item_height_; }
  void SetItemHeight(int v);
  TListBoxStyle Style() const { return style_; }
  void SetStyle(TListBoxStyle v);
  // The surface of owner drawing: set up only while an item is being drawn.
  TCanvas* Canvas() { return canvas_.get(); }
  // Draws item Index through OnDrawItem (the text alone without a handler).
  virtual void DrawItem(int Index, TRect Rect, TOwnerDrawState State);
  TDrawItemEvent OnDrawItem;
  // Kept for form resources; selection stays single.
  bool MultiSelect() const { return multi_select_; }
  void SetMultiSelect(bool v) { multi_select_ = v; }
  void Clear() { items_->Clear(); }
  // A user's choice: ItemIndex, then OnClick.
  void UserSelect(int index);
  bool ClicksOnMouseUp() const override { return false; }

 protected:
  void CreateHandle() override;
  void InitWidget() override;

 private:
  void ItemsChanged();
  void ApplyOwnerDraw();
  std::unique_ptr<TStringList> items_;
  std::unique_ptr<TCanvas> canvas_;
  TListBoxStyle style_ = lbStandard;
  int item_index_ = -1;
  int top_index_ = 0;
  int item_height_ = 13;
  bool pushing_ = false;
  bool multi_select_ = false;
};

#pragma once
// Text entry controls: the one-line edit (TCustomEdit/TEdit, and the base of the mask
// edit) and the multi-line memo. Their state lives here, so it can be set and read
// before any window exists; the window-system widget mirrors it once created.
#include <memory>
#include "platform/classes/Lists.h"
#include "platform/ui/Controls.h"

enum TAlignment { taLeftJustify, taRightJustify, taCenter };
enum TEditCharCase { ecNormal, ecUpperCase, ecLowerCase };
enum TBorderStyle { bsNoBorder, bsSingleBorder };

// What an edit takes of a pasted text: up to a NUL; a one-line edit takes the first line
// only, a multi-line one has every line break as CR LF. With MaxLength above 0, no more
// goes in than the room Kept characters (the text beside the selection) leave; a line
// break is not split.
AnsiString FitPastedText(const AnsiString& Pasted, bool MultiLine, int MaxLength = 0, size_t Kept = 0);

class TCustomEdit : public TWinControl {
 public:
  explicit TCustomEdit(TComponent* AOwner);
  ~TCustomEdit() override;
  const char* ClassName() const override { return "TCustomEdit"; }

  int SelStart() const;
  void SetSelStart(int v);
  int SelLength() const;
  void SetSelLength(int v);
  AnsiString SelText() const;
  // Replaces the selection (or inserts at the caret) and leaves the caret after it.
  void SetSelText(const AnsiString& v);
  void SelectAll();
  void ClearSelection() { SetSelText(""); }
  void Clear() { SetText(""); }

  // 0: no limit. A shorter limit leaves the current text alone, as typing is what it stops.
  int MaxLength() const { return max_length_; }
  void SetMaxLength(int v);
  bool ReadOnly() const { return read_only_; }
  void SetReadOnly(bool v);
  // 0: the text shows as it is; otherwise each character shows as this one.
  char PasswordChar() const { return password_char_; }
  void SetPasswordChar(char v);
  bool AutoSelect() const { return auto_select_; }
  void SetAutoSelect(bool v) { auto_select_ = v; }
  bool Modified() const { return modified_; }
  void SetModified(bool v) { modified_ = v; }
  TEditCharCase CharCase() const { return char_case_; }
  void SetCharCase(TEditCharCase v);
  TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment v);
  TBorderStyle BorderStyle() const { return border_style_; }
  void SetBorderStyle(TBorderStyle v);
  // Space between the border and the text, in pixels.
  int LeftMargin() const { return left_margin_; }
  int RightMargin() const { return right_margin_; }
  void SetMargins(int left, int right);

  TNotifyEvent OnChange;

  void SetText(const AnsiString& v) override;
  void DoEnter() override;
  // Typing stops at MaxLength and on a read-only edit.
  void KeyPress(char& Key) override;

  // The widget layer reports typing through here: the new text and caret.
  void UserEdited(const AnsiString& text, int caret);
  void UserSelectionChanged(int start, int length);
  // A paste (the clipboard's text, or the selection's for a middle click): what fits of
  // it within MaxLength replaces the selection, the caret goes after it and the edit is
  // modified. A read-only edit takes nothing, and nothing to paste changes nothing.
  virtual void PasteText(const AnsiString& Pasted);

 protected:
  virtual void Change();
  void CreateHandle() override;
  void InitWidget() override;
  void TextChanged() override;
  void PushSelection();
  // Whether the text may hold line breaks (a memo); a paste into a one-line edit takes
  // its first line only.
  virtual bool MultiLine() const { return false; }

 private:
  void PushOptions();

  int sel_start_ = 0;
  int sel_length_ = 0;
  int max_length_ = 0;
  bool read_only_ = false;
  char password_char_ = 0;
  bool auto_select_ = true;
  bool modified_ = false;
  TEditCharCase char_case_ = ecNormal;
  TAlignment alignment_ = taLeftJustify;
  TBorderStyle border_style_ = bsSingleBorder;
  int left_margin_ = 0, right_margin_ = 0;
  bool pushing_ = false;
  // Set while a new window takes over the text: the text itself has not changed.
  bool making_window_ = false;
};

// Keeps what the user is typing while a window's fields are filled again from data that
// still holds the user's unsent edits: after Restore the focused edit shows the text,
// selection and state it had, whatever the refill wrote into it. A refill that replaces
// the data (keep false) rewrites that field like any other.
class TypingKept {
 public:
  TypingKept(TWinControl* Focused, bool Keep);
  void Restore();

 private:
  TCustomEdit* edit_ = nullptr;
  AnsiString text_;
  int sel_start_ = 0, sel_length_ = 0;
};

class TEdit : public TCustomEdit {
 public:
  explicit TEdit(TComponent* AOwner) : TCustomEdit(AOwner) {}
  const char* ClassName() const override { return "TEdit"; }
};

// The base of masked entry: an edit with an edit mask whose literal characters the user
// cannot type over. Mask layout: "<pattern>;<save literals 0/1>;<blank char>"; pattern
// characters 0 9 # (digits), L l (letters), A a (letters or digits), C c (any), others
// are literals, "\" takes the next character literally.
class TMaskEdit : public TCustomEdit {
 public:
  explicit TMaskEdit(TComponent* AOwner) : TCustomEdit(AOwner) {}
  const char* ClassName() const override { return "TMaskEdit"; }
  const AnsiString& EditMask() const { return edit_mask_; }
  void SetEditMask(const AnsiString& v);
  // The text without the mask's literals when the mask says they are not saved.
  AnsiString EditText() const { return Text(); }
  AnsiString UnmaskedText() const;
  // Whether `c` may stand at position `pos` of the displayed text.
  bool CharAllowed(int pos, char c) const;
  // True when every required position holds a character.
  bool IsComplete() const;
  void KeyPress(char& Key) override;
  // A paste is typed into the mask: each character goes where typing it would, one that
  // its position does not take is dropped, and one matching a literal steps over it.
  void PasteText(const AnsiString& Pasted) override;

 private:
  // The first position at or after `pos` that takes input (past the literals).
  int NextInput(int pos) const;
  struct MaskChar {
    char kind;  // 0 literal, else pattern letter
    char literal;
  };
  std::vector<MaskChar> mask_;
  bool save_literals_ = true;
  char blank_ = '_';
  AnsiString edit_mask_;
};

enum TScrollStyleMemo { ssMemoNone, ssMemoHorizontal, ssMemoVertical, ssMemoBoth };

// Multi-line text: Lines is the text split at line breaks; Text joins them with CR LF.
class TMemo : public TCustomEdit {
 public:
  explicit TMemo(TComponent* AOwner);
  ~TMemo() override;
  const char* ClassName() const override { return "TMemo"; }
  TStrings* Lines() { return lines_.get(); }
  bool WordWrap() const { return word_wrap_; }
  void SetWordWrap(bool v);
  // 0 none, 1 horizontal, 2 vertical, 3 both (as TScrollStyle of the grids).
  int ScrollBars() const { return scroll_bars_; }
  void SetScrollBars(int v);
  // Return types a line break only when the memo wants returns; otherwise it is the
  // form's (its default button). Tab types a tab only when it wants tabs; otherwise it
  // moves the focus on, as in any other control.
  bool WantReturns() const { return want_returns_; }
  void SetWantReturns(bool v) { want_returns_ = v; }
  bool WantsDialogKey(WORD Key) const override { return Key == VK_RETURN && want_returns_; }
  bool WantTabs() const { return want_tabs_; }
  void SetWantTabs(bool v);
  void SetText(const AnsiString& v) override;
  void KeyPress(char& Key) override;

 protected:
  void CreateHandle() override;
  void InitWidget() override;
  void TextChanged() override;
  bool MultiLine() const override { return true; }

 private:
  std::unique_ptr<TStringList> lines_;
  bool word_wrap_ = true;
  int scroll_bars_ = 0;
  bool want_returns_ = true;
  bool want_tabs_ = false;
  bool syncing_ = false;
};

#pragma once
// Menus: items with "&" accelerators, shortcuts, check marks and radio groups, the
// form's menu bar and pop-up menus. The item tree is plain data; window-system menus
// are built from it when shown.
#include <memory>
#include <vector>
#include "platform/ui/Controls.h"

// A key with modifiers, as menus store shortcuts.
using TShortCut = WORD;
constexpr TShortCut scShift = 0x2000, scCtrl = 0x4000, scAlt = 0x8000, scNone = 0;

TShortCut ShortCut(WORD Key, TShiftState Shift);
void ShortCutToKey(TShortCut ShortCut, WORD& Key, TShiftState& Shift);
// "Ctrl+S", "Shift+Del", "F5", "Alt+BkSp"; "" for none.
AnsiString ShortCutToText(TShortCut ShortCut);
// The reverse; 0 for text that names no key.
TShortCut TextToShortCut(const AnsiString& Text);
// A caption without its accelerator marks ("&&" stays as one "&").
AnsiString StripHotkey(const AnsiString& Text);
// The accelerator character (upper case) of a caption, or 0.
char GetHotkey(const AnsiString& Text);
// Whether `Key` (a character) is the accelerator of `Text`.
bool IsAccel(char Key, const AnsiString& Text);

class TMenu;

class TMenuItem : public TComponent {
 public:
  explicit TMenuItem(TComponent* AOwner);
  ~TMenuItem() override;
  const char* ClassName() const override { return "TMenuItem"; }

  // "-" makes a separator.
  const AnsiString& Caption() const { return caption_; }
  void SetCaption(const AnsiString& v);
  TShortCut ShortCut() const { return shortcut_; }
  void SetShortCut(TShortCut v);
  bool Checked() const { return checked_; }
  // Checking a radio item clears the other radio items of its group.
  void SetChecked(bool v);
  bool RadioItem() const { return radio_item_; }
  void SetRadioItem(bool v);
  int GroupIndex() const { return group_index_; }
  void SetGroupIndex(int v);
  bool AutoCheck() const { return auto_check_; }
  void SetAutoCheck(bool v) { auto_check_ = v; }
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool v);
  bool Visible() const { return visible_; }
  void SetVisible(bool v);
  bool Default() const { return default_; }
  void SetDefault(bool v);
  const AnsiString& Hint() const { return hint_; }
  void SetHint(const AnsiString& v) { hint_ = v; }
  bool IsLine() const { return caption_ == "-"; }

  int Count() const { return static_cast<int>(items_.size()); }
  TMenuItem* Items(int i) const { return items_.at(static_cast<size_t>(i)); }
  TMenuItem* Parent() const { return parent_; }
  int MenuIndex() const;
  void Add(TMenuItem* Item);
  void Insert(int Index, TMenuItem* Item);
  // Takes the item out without freeing it.
  void Remove(TMenuItem* Item);
  // Frees the child at Index.
  void Delete(int Index);
  void Clear();
  // The child whose caption (without accelerators) matches, or nullptr.
  TMenuItem* Find(const AnsiString& ACaption) const;

  TNotifyEvent OnClick;
  // Runs the item as a user choosing it does: auto-check, then OnClick.
  virtual void Click();

  // Tells the menu that shows this item to rebuild.
  void Changed();
  TMenu* Menu() const;

 private:
  friend class TMenu;
  AnsiString caption_;
  TShortCut shortcut_ = scNone;
  bool checked_ = false, radio_item_ = false, auto_check_ = false;
  bool enabled_ = true, visible_ = true, default_ = false;
  int group_index_ = 0;
  AnsiString hint_;
  std::vector<TMenuItem*> items_;
  TMenuItem* parent_ = nullptr;
  TMenu* menu_ = nullptr;  // set on the root item
};

class TMenu : public TComponent {
 public:
  explicit TMenu(TComponent* AOwner);
  ~TMenu() override;
  const char* ClassName() const override { return "TMenu"; }
  TMenuItem* Items() const { return items_.get(); }
  // Finds an enabled, visible item with this shortcut and clicks it; true when one ran.
  bool IsShortCut(WORD Key, TShiftState Shift);
  // Finds the top-level item whose accelerator is `Key` (a character).
  TMenuItem* FindAccel(char Key) const;
  TMenuItem* FindItemByShortCut(TShortCut sc) const;

  struct Impl;
  Impl& impl() const { return *impl_; }
  virtual void MenuChanged();

 protected:
  std::unique_ptr<TMenuItem> items_;
  std::unique_ptr<Impl> impl_;
};

// The menu bar of the form that owns it. It shows at the top of the form's window once
// the form has one; its shortcuts work while the form is active.
class TMainMenu : public TMenu {
 public:
  explicit TMainMenu(TComponent* AOwner);
  ~TMainMenu() override;
  const char* ClassName() const override { return "TMainMenu"; }
  // Puts the bar on the owning form's window (called when the form is shown or loaded).
  void AttachToForm();
  // Takes the bar off the form (it is no longer the form's Menu).
  void HideBar();
  // Height of the bar when shown, 0 otherwise.
  int BarHeight() const;
  // Width of the bar on its form (0 while it is not shown); it follows the form's width.
  int BarWidth() const;
  void MenuChanged() override;
  void Loaded() override;
};

enum TPopupAlignment { paLeft, paRight, paCenter };

class TPopupMenu : public TMenu {
 public:
  explicit TPopupMenu(TComponent* AOwner);
  ~TPopupMenu() override;
  const char* ClassName() const override { return "TPopupMenu"; }
  // Shows the menu with its top-left at screen point (X, Y); fires OnPopup first. Does
  // not wait: a chosen item's OnClick runs later from the message loop.
  virtual void Popup(int X, int Y);
  // Where the last Popup showed the menu (screen coordinates).
  TPoint PopupPoint() const { return popup_point_; }
  TComponent* PopupComponent() const { return popup_component_; }
  void SetPopupComponent(TComponent* c) { popup_component_ = c; }
  TPopupAlignment Alignment() const { return alignment_; }
  void SetAlignment(TPopupAlignment v) { alignment_ = v; }
  bool AutoPopup() const { return auto_popup_; }
  void SetAutoPopup(bool v) { auto_popup_ = v; }
  // Closes the shown menu.
  void CloseMenu();
  bool IsShown() const;
  TNotifyEvent OnPopup;

 private:
  TPoint popup_point_;
  TComponent* popup_component_ = nullptr;
  TPopupAlignment alignment_ = paLeft;
  bool auto_popup_ = true;
};

#pragma once
// A tab strip (TTabSet) and a notebook of pages (TNotebook) that shows one page at a
// time; the program pairs them so that choosing a tab turns the page.
#include <memory>
#include <vector>
#include "platform/classes/Lists.h"
#include "platform/ui/Controls.h"
#include "platform/ui/FocusOrder.h"

using TTabChangeEvent = std::function<void(TObject* Sender, int NewTab, bool& AllowChange)>;

// The strip is a tab stop: with the focus, it marks the chosen tab and the arrow keys (Home
// and End too) choose the tab; Ctrl+Tab and Ctrl+PgDn step it from anywhere on its form.
class TTabSet : public TCustomControl, public ui::TPageStepper {
 public:
  explicit TTabSet(TComponent* AOwner);
  ~TTabSet() override;
  const char* ClassName() const override { return "TTabSet"; }
  TStrings* Tabs() { return tabs_.get(); }
  int TabIndex() const { return tab_index_; }
  // Asks OnChange first; out of range gives -1. A change runs OnClick.
  void SetTabIndex(int v);
  // The tab under a client point, or -1.
  int ItemAtPos(TPoint p);
  // A tab's place; empty for tabs scrolled off to the left.
  TRect ItemRect(int i);
  // The first tab shown. When the tabs do not fit, two arrow buttons at the right end
  // scroll them; choosing a tab brings it into view.
  int FirstIndex() const { return first_index_; }
  void SetFirstIndex(int v);
  // The tabs do not all fit and the arrow buttons are shown.
  bool Scrolling();
  TColor SelectedColor() const { return selected_color_; }
  void SetSelectedColor(TColor v) { selected_color_ = v; Invalidate(); }
  TColor UnselectedColor() const { return unselected_color_; }
  void SetUnselectedColor(TColor v) { unselected_color_ = v; Invalidate(); }
  TTabChangeEvent OnChange;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void KeyDown(WORD& Key, TShiftState Shift) override;
  void DoEnter() override;
  void DoExit() override;
  void StepPage(bool Forward) override;
  void Paint() override;
  // OnClick runs when the tab index changes (SetTabIndex), not on every mouse release.
  bool ClicksOnMouseUp() const override { return false; }

 private:
  int TabWidth(int i);
  // The left edge of the arrow buttons (the width when there are none).
  int TabsRight();
  void ShowTab(int i);
  std::unique_ptr<TStringList> tabs_;
  int tab_index_ = -1, first_index_ = 0;
  TColor selected_color_ = clBtnFace, unselected_color_ = clWindow;
};

class TNotebook;

// One page of a notebook; visible only while it is the active page.
class TPage : public TCustomControl {
 public:
  explicit TPage(TComponent* AOwner);
  const char* ClassName() const override { return "TPage"; }
  void Paint() override;
};

class TNotebook : public TCustomControl {
 public:
  explicit TNotebook(TComponent* AOwner);
  ~TNotebook() override;
  const char* ClassName() const override { return "TNotebook"; }
  // Page names; adding a name adds a page, deleting one frees it.
  TStrings* Pages() { return names_.get(); }
  int PageCount() const { return static_cast<int>(pages_.size()); }
  TPage* Page(int i) const { return pages_.at(static_cast<size_t>(i)); }
  int PageIndex() const { return page_index_; }
  void SetPageIndex(int v);
  // The name of the active page; setting selects the page with that name (any case).
  AnsiString ActivePage() const;
  void SetActivePage(const AnsiString& name);
  TNotifyEvent OnPageChanged;
  void Paint() override;
  // Form resources store the pages as children: a page read into the notebook joins it,
  // the first one replacing the pages the notebook made for itself.
  void AdoptPage(TPage* Page);
  int IndexOfPage(const TPage* Page) const;
  // Renames a page (its entry in Pages).
  void SetPageName(const TPage* Page, const AnsiString& Name);
  // A resource names the page before the pages themselves: it is chosen once loaded.
  void SetStreamedPage(int Index) { streamed_index_ = Index; }
  void SetStreamedPage(const AnsiString& Name) { streamed_name_ = Name; }
  void Loaded() override;

 private:
  void NamesChanged();
  std::unique_ptr<TStringList> names_;
  std::vector<TPage*> pages_;
  int page_index_ = -1;
  bool syncing_ = false;
  // The page chosen by a resource, turned to once the pages are read too.
  int streamed_index_ = -1;
  AnsiString streamed_name_;
};

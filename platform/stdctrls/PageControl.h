#pragma once
// A page control: a row of tabs over a stack of tab sheets, one shown at a time. A sheet
// joins the control by being given it as parent (as a form resource does) or through
// SetPageControl.
#include <functional>
#include <vector>
#include "platform/ui/Controls.h"
#include "platform/ui/FocusOrder.h"

class TPageControl;

using TTabChangingEvent = std::function<void(TObject* Sender, bool& AllowChange)>;

class TTabSheet : public TCustomControl {
 public:
  explicit TTabSheet(TComponent* AOwner);
  ~TTabSheet() override;
  const char* ClassName() const override { return "TTabSheet"; }
  TPageControl* PageControl() const { return page_control_; }
  void SetPageControl(TPageControl* pc);
  void SetParent(TWinControl* AParent) override;
  // Position among the control's pages (-1 without one); setting it moves the page.
  int PageIndex() const;
  void SetPageIndex(int v);
  // A sheet without a tab stays a page but cannot be chosen by a tab.
  bool TabVisible() const { return tab_visible_; }
  void SetTabVisible(bool v);
  // Index among the visible tabs, -1 when its tab is hidden.
  int TabIndex() const;
  int ImageIndex() const { return image_index_; }
  void SetImageIndex(int v) { image_index_ = v; }
  void Paint() override;

 protected:
  void TextChanged() override;

 private:
  friend class TPageControl;
  TPageControl* page_control_ = nullptr;
  bool tab_visible_ = true;
  int image_index_ = -1;
};

// With the focus, the chosen tab shows a mark and Left/Right choose the page; Ctrl+Tab and
// Ctrl+PgDn turn its pages from any control on them.
class TPageControl : public TCustomControl, public ui::TPageStepper {
 public:
  explicit TPageControl(TComponent* AOwner);
  ~TPageControl() override;
  const char* ClassName() const override { return "TPageControl"; }
  int PageCount() const { return static_cast<int>(pages_.size()); }
  TTabSheet* Pages(int i) const { return pages_.at(static_cast<size_t>(i)); }
  TTabSheet* ActivePage() const { return active_; }
  // Shows that page (nullptr: none). Code choosing a page fires no events, as in the
  // user's tab clicks only those do.
  void SetActivePage(TTabSheet* page);
  int ActivePageIndex() const;
  // Out of range shows no page.
  void SetActivePageIndex(int v);
  // The active page's index among the visible tabs (-1 when none).
  int TabIndex() const { return active_ ? active_->TabIndex() : -1; }
  // The page whose visible tab has index i, or nullptr.
  TTabSheet* PageOfTab(int tabIndex) const;
  int TabHeight() const { return tab_height_; }
  void SetTabHeight(int v);
  // The tab under a client point (index among visible tabs), or -1.
  int IndexOfTabAt(int X, int Y);
  TRect TabRect(int tabIndex);
  // The area the pages fill.
  TRect DisplayRect() const;
  // A user's choice of a tab: OnChanging may veto, then the page turns and OnChange fires.
  // Returns whether the page changed.
  bool SelectTab(int tabIndex);
  // Ctrl+Tab: the next (or previous) page with a visible tab, wrapping round.
  void SelectNextPage(bool GoForward);
  void StepPage(bool Forward) override { SelectNextPage(Forward); }
  bool HoldsItsPages() const override { return true; }
  void KeyDown(WORD& Key, TShiftState Shift) override;
  void DoEnter() override;
  void DoExit() override;

  TNotifyEvent OnChange;
  TTabChangingEvent OnChanging;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void Paint() override;
  void Resize() override;

 private:
  friend class TTabSheet;
  void InsertPage(TTabSheet* page);
  void RemovePage(TTabSheet* page);
  void MovePage(TTabSheet* page, int index);
  void PlacePages();
  std::vector<TTabSheet*> pages_;
  TTabSheet* active_ = nullptr;
  int tab_height_ = 0;
};

#include "platform/stdctrls/Tabs.h"

#include <algorithm>

#include "platform/rtl/SysUtils.h"
#include "platform/ui/Forms.h"

// ---- TTabSet ----

TTabSet::TTabSet(TComponent* AOwner) : TCustomControl(AOwner), tabs_(std::make_unique<TStringList>()) {
  SetBounds(0, 0, 185, 21);
  SetTabStop(true);
  tabs_->OnChange = [this](TObject*) {
    if (tab_index_ >= tabs_->Count()) tab_index_ = tabs_->Count() - 1;
    if (tab_index_ < 0 && tabs_->Count() > 0) tab_index_ = 0;
    first_index_ = std::clamp(first_index_, 0, std::max(0, tabs_->Count() - 1));
    Invalidate();
  };
}

TTabSet::~TTabSet() { tabs_->OnChange = nullptr; }

void TTabSet::SetTabIndex(int v) {
  if (v < -1 || v >= tabs_->Count()) v = -1;
  if (v == tab_index_) {
    ShowTab(v);
    return;
  }
  bool allow = true;
  if (OnChange && !HasState(csLoading)) OnChange(this, v, allow);
  if (!allow) return;
  tab_index_ = v;
  ShowTab(v);
  Invalidate();
  // A new tab, chosen by the mouse or set from code, runs the same click handler.
  if (!HasState(csLoading)) Click();
}

namespace {
constexpr int kArrowWidth = 16;  // each of the two scroll buttons
}

int TTabSet::TabWidth(int i) {
  TCanvas* c = Canvas();
  c->Font()->Assign(Font());
  return c->TextWidth(tabs_->Strings(i)) + 12;
}

bool TTabSet::Scrolling() {
  int x = 4;
  for (int k = 0; k < tabs_->Count(); ++k) x += TabWidth(k);
  return x > Width();
}

int TTabSet::TabsRight() { return Scrolling() ? Width() - 2 * kArrowWidth : Width(); }

void TTabSet::SetFirstIndex(int v) {
  v = std::clamp(v, 0, std::max(0, tabs_->Count() - 1));
  if (v == first_index_) return;
  first_index_ = v;
  Invalidate();
}

// Scrolls so that tab i lies whole between the left end and the arrow buttons.
void TTabSet::ShowTab(int i) {
  if (i < 0 || i >= tabs_->Count()) return;
  if (i < first_index_) {
    SetFirstIndex(i);
    return;
  }
  while (first_index_ < i && ItemRect(i).Right > TabsRight()) SetFirstIndex(first_index_ + 1);
}

TRect TTabSet::ItemRect(int i) {
  if (i < first_index_ || i >= tabs_->Count()) return TRect();
  int x = 4;
  for (int k = first_index_; k < i; ++k) x += TabWidth(k);
  return TRect(x, 0, x + TabWidth(i), Height());
}

int TTabSet::ItemAtPos(TPoint p) {
  if (p.x >= TabsRight()) return -1;
  for (int i = first_index_; i < tabs_->Count(); ++i)
    if (ItemRect(i).Contains(p)) return i;
  return -1;
}

void TTabSet::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (Button == mbLeft) {
    const int arrows = TabsRight();
    if (X >= arrows && Scrolling()) {
      if (X < arrows + kArrowWidth) {
        SetFirstIndex(first_index_ - 1);
      } else if (ItemRect(tabs_->Count() - 1).Right > arrows) {
        // Further right only while the last tab is still cut off.
        SetFirstIndex(first_index_ + 1);
      }
    } else {
      int i = ItemAtPos({X, Y});
      if (i >= 0) SetTabIndex(i);
    }
  }
  TCustomControl::MouseDown(Button, Shift, X, Y);
}

void TTabSet::KeyDown(WORD& Key, TShiftState Shift) {
  TCustomControl::KeyDown(Key, Shift);
  const int count = tabs_->Count();
  if (Key == 0 || count == 0 || Shift.Contains(ssCtrl) || Shift.Contains(ssAlt)) return;
  const int cur = tab_index_;
  int next;
  switch (Key) {
    case VK_LEFT: next = std::max(0, cur - 1); break;
    case VK_RIGHT: next = cur < 0 ? 0 : std::min(count - 1, cur + 1); break;
    case VK_HOME: next = 0; break;
    case VK_END: next = count - 1; break;
    default: return;
  }
  Key = 0;
  if (next != cur) SetTabIndex(next);
}

void TTabSet::StepPage(bool Forward) {
  const int count = tabs_->Count();
  if (count == 0) return;
  const int cur = tab_index_;
  SetTabIndex(cur < 0 ? 0 : (cur + (Forward ? 1 : count - 1)) % count);
}

void TTabSet::DoEnter() {
  Invalidate();
  TCustomControl::DoEnter();
}

void TTabSet::DoExit() {
  Invalidate();
  TCustomControl::DoExit();
}

void TTabSet::Paint() {
  TCanvas* c = Canvas();
  c->Brush()->SetStyle(bsSolid);
  c->Brush()->SetColor(Color());
  c->FillRect(ClientRect());
  c->Font()->Assign(Font());
  // Tabs hang from a line at the top, the chosen one joined to the page above.
  c->Pen()->SetColor(clBlack);
  c->MoveTo(0, 0);
  c->LineTo(Width(), 0);
  const int right = TabsRight();
  for (int i = first_index_; i < tabs_->Count(); ++i) {
    TRect r = ItemRect(i);
    if (r.Left >= right) break;
    r.Right = std::min(r.Right, right);
    c->Brush()->SetColor(i == tab_index_ ? selected_color_ : unselected_color_);
    c->Rectangle(r.Left, i == tab_index_ ? -1 : 0, r.Right, r.Bottom - 1);
    c->Brush()->SetStyle(bsClear);
    c->TextOut(r.Left + 6, 3, tabs_->Strings(i));
    c->Brush()->SetStyle(bsSolid);
    if (i == tab_index_ && Focused()) {
      // The focus mark: a dotted frame just inside the chosen tab, round its caption.
      c->Pen()->SetStyle(psDot);
      c->Brush()->SetStyle(bsClear);
      c->Rectangle(r.Left + 2, 2, r.Right - 2, r.Bottom - 4);
      c->Brush()->SetStyle(bsSolid);
      c->Pen()->SetStyle(psSolid);
    }
  }
  if (right == Width()) return;
  // The two scroll buttons: a left and a right pointing triangle.
  for (int b = 0; b < 2; ++b) {
    const int l = right + b * kArrowWidth;
    c->Brush()->SetColor(clBtnFace);
    c->Pen()->SetColor(clBlack);
    c->Rectangle(l, 1, l + kArrowWidth, std::min(Height(), 18));
    const int cx = l + kArrowWidth / 2, cy = std::min(Height(), 18) / 2;
    c->Brush()->SetColor(clBlack);
    if (b == 0) c->Polygon({{cx + 2, cy - 4}, {cx + 2, cy + 4}, {cx - 2, cy}});
    else c->Polygon({{cx - 2, cy - 4}, {cx - 2, cy + 4}, {cx + 2, cy}});
  }
}

// ---- TPage / TNotebook ----

TPage::TPage(TComponent* AOwner) : TCustomControl(AOwner) { SetAlign(alClient); }

void TPage::Paint() {
  Canvas()->Brush()->SetColor(Color());
  Canvas()->FillRect(ClientRect());
}

TNotebook::TNotebook(TComponent* AOwner) : TCustomControl(AOwner), names_(std::make_unique<TStringList>()) {
  SetBounds(0, 0, 150, 150);
  names_->OnChange = [this](TObject*) { NamesChanged(); };
  names_->Add("Default");
}

TNotebook::~TNotebook() { names_->OnChange = nullptr; }

void TNotebook::NamesChanged() {
  if (syncing_) return;
  // Pages follow the names by position; extra pages are freed, missing ones made.
  while (static_cast<int>(pages_.size()) > names_->Count()) {
    delete pages_.back();
    pages_.pop_back();
  }
  while (static_cast<int>(pages_.size()) < names_->Count()) {
    auto* p = new TPage(this);
    p->SetParent(this);
    p->SetVisible(false);
    pages_.push_back(p);
  }
  for (int i = 0; i < names_->Count(); ++i) pages_[static_cast<size_t>(i)]->SetCaption(names_->Strings(i));
  int want = page_index_ < 0 ? 0 : std::min(page_index_, names_->Count() - 1);
  page_index_ = -2;  // forces the pages' visibility to be set again
  SetPageIndex(want);
}

void TNotebook::SetPageIndex(int v) {
  if (v < 0 || v >= PageCount()) {
    if (page_index_ != -2) return;  // an unknown page leaves the notebook as it is
    v = -1;
  }
  if (v == page_index_) return;
  // The focus never stays on a page that is put away: the notebook holds it while the pages
  // change, so no hidden control goes on taking keys, and then hands it to the first control
  // of the page shown (or, with none there, to the tab strip that turns the window's pages,
  // so the next Ctrl+Tab turns the same pages, else to the next control of the form).
  TForm* form = ParentForm();
  const bool focusOnPage = form && !HasState(csLoading) && form->ActiveControl() != nullptr &&
                           form->ActiveControl() != this && ContainsControl(form->ActiveControl());
  if (focusOnPage) {
    if (form->Visible() && CanFocus()) form->SetActiveControl(this);
    else form->SetFocusedControl(this);
  }
  page_index_ = v;
  for (int i = 0; i < PageCount(); ++i) pages_[static_cast<size_t>(i)]->SetVisible(i == v);
  if (focusOnPage && form->ActiveControl() == this && !(v >= 0 && ui::FocusTurnedPage(Page(v))) &&
      form->Visible() && CanFocus() && !ui::FocusPageStrip(form))
    ui::FocusNextControl(this);
  if (OnPageChanged && !HasState(csLoading)) OnPageChanged(this);
}

AnsiString TNotebook::ActivePage() const {
  return page_index_ >= 0 && page_index_ < names_->Count() ? names_->Strings(page_index_) : AnsiString();
}

void TNotebook::SetActivePage(const AnsiString& name) {
  int i = names_->IndexOf(name);
  if (i >= 0) SetPageIndex(i);
}

void TNotebook::Paint() {
  Canvas()->Brush()->SetColor(Color());
  Canvas()->FillRect(ClientRect());
}

void TNotebook::AdoptPage(TPage* Page) {
  if (Page == nullptr || IndexOfPage(Page) >= 0) return;
  syncing_ = true;
  if (HasState(csReading)) {
    // Pages the notebook made itself (the "Default" one) give way to the stored ones.
    for (size_t i = pages_.size(); i-- > 0;)
      if (pages_[i]->Owner() == this) {
        delete pages_[i];
        pages_.erase(pages_.begin() + static_cast<std::ptrdiff_t>(i));
        names_->Delete(static_cast<int>(i));
      }
  }
  if (Page->Parent() != this) Page->SetParent(this);
  Page->SetVisible(false);
  pages_.push_back(Page);
  names_->Add(Page->Caption());
  syncing_ = false;
  const int want = page_index_ < 0 ? 0 : std::min(page_index_, PageCount() - 1);
  page_index_ = -2;
  SetPageIndex(want);
}

int TNotebook::IndexOfPage(const TPage* Page) const {
  for (size_t i = 0; i < pages_.size(); ++i)
    if (pages_[i] == Page) return static_cast<int>(i);
  return -1;
}

void TNotebook::SetPageName(const TPage* Page, const AnsiString& Name) {
  const int i = IndexOfPage(Page);
  if (i >= 0) names_->SetString(i, Name);
}

void TNotebook::Loaded() {
  TCustomControl::Loaded();
  if (streamed_index_ >= 0) SetPageIndex(streamed_index_);
  if (!streamed_name_.empty()) SetActivePage(streamed_name_);
  streamed_index_ = -1;
  streamed_name_.clear();
}

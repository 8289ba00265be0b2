#include "platform/stdctrls/Tabs.h"

#include <algorithm>

#include "platform/rtl/SysUtils.h"

// ---- TTabSet ----

TTabSet::TTabSet(TComponent* AOwner) : TCustomControl(AOwner), tabs_(std::make_unique<TStringList>()) {
  SetBounds(0, 0, 185, 21);
  tabs_->OnChange = [this](TObject*) {
    if (tab_index_ >= tabs_->Count()) tab_index_ = tabs_->Count() - 1;
    if (tab_index_ < 0 && tabs_->Count() > 0) tab_index_ = 0;
    Invalidate();
  };
}

TTabSet::~TTabSet() { tabs_->OnChange = nullptr; }

void TTabSet::SetTabIndex(int v) {
  if (v < -1 || v >= tabs_->Count()) v = -1;
  if (v == tab_index_) return;
  bool allow = true;
  if (OnChange && !HasState(csLoading)) OnChange(this, v, allow);
  if (!allow) return;
  tab_index_ = v;
  Invalidate();
}

TRect TTabSet::ItemRect(int i) {
  if (i < 0 || i >= tabs_->Count()) return TRect();
  TCanvas* c = Canvas();
  c->Font()->Assign(Font());
  int x = 4;
  for (int k = 0; k < i; ++k) x += c->TextWidth(tabs_->Strings(k)) + 12;
  return TRect(x, 0, x + c->TextWidth(tabs_->Strings(i)) + 12, Height());
}

int TTabSet::ItemAtPos(TPoint p) {
  for (int i = 0; i < tabs_->Count(); ++i)
    if (ItemRect(i).Contains(p)) return i;
  return -1;
}

void TTabSet::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (Button == mbLeft) {
    int i = ItemAtPos({X, Y});
    if (i >= 0) SetTabIndex(i);
  }
  TCustomControl::MouseDown(Button, Shift, X, Y);
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
  for (int i = 0; i < tabs_->Count(); ++i) {
    TRect r = ItemRect(i);
    c->Brush()->SetColor(i == tab_index_ ? selected_color_ : unselected_color_);
    c->Rectangle(r.Left, i == tab_index_ ? -1 : 0, r.Right, r.Bottom - 1);
    c->Brush()->SetStyle(bsClear);
    c->TextOut(r.Left + 6, 3, tabs_->Strings(i));
    c->Brush()->SetStyle(bsSolid);
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
  page_index_ = v;
  for (int i = 0; i < PageCount(); ++i) pages_[static_cast<size_t>(i)]->SetVisible(i == v);
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

#include "platform/stdctrls/PageControl.h"

#include <algorithm>

#include "platform/stdctrls/ExtCtrls.h"
#include "platform/ui/Forms.h"

// ---- TTabSheet ----

TTabSheet::TTabSheet(TComponent* AOwner) : TCustomControl(AOwner) {
  SetVisibleField(false);  // shown when it becomes the active page
}

TTabSheet::~TTabSheet() {
  if (page_control_) page_control_->RemovePage(this);
}

void TTabSheet::SetPageControl(TPageControl* pc) { SetParent(pc); }

void TTabSheet::SetParent(TWinControl* AParent) {
  auto* pc = dynamic_cast<TPageControl*>(AParent);
  if (page_control_ && page_control_ != pc) page_control_->RemovePage(this);
  TCustomControl::SetParent(AParent);
  if (pc && page_control_ != pc) pc->InsertPage(this);
}

int TTabSheet::PageIndex() const {
  if (!page_control_) return -1;
  const auto& v = page_control_->pages_;
  return static_cast<int>(std::find(v.begin(), v.end(), this) - v.begin());
}

void TTabSheet::SetPageIndex(int v) {
  if (page_control_) page_control_->MovePage(this, v);
}

int TTabSheet::TabIndex() const {
  if (!page_control_ || !tab_visible_) return -1;
  int n = 0;
  for (TTabSheet* p : page_control_->pages_) {
    if (p == this) return n;
    if (p->tab_visible_) ++n;
  }
  return -1;
}

void TTabSheet::SetTabVisible(bool v) {
  if (v == tab_visible_) return;
  tab_visible_ = v;
  if (page_control_) page_control_->PlacePages();
}

void TTabSheet::TextChanged() {
  TCustomControl::TextChanged();
  if (page_control_) page_control_->Invalidate();
}

void TTabSheet::Paint() {
  Canvas()->Brush()->SetStyle(bsSolid);
  Canvas()->Brush()->SetColor(Color());
  Canvas()->FillRect(ClientRect());
}

// ---- TPageControl ----

TPageControl::TPageControl(TComponent* AOwner) : TCustomControl(AOwner) {
  SetTabStop(true);
  SetBounds(0, 0, 289, 193);
}

TPageControl::~TPageControl() {
  for (TTabSheet* p : pages_) p->page_control_ = nullptr;
  pages_.clear();
}

void TPageControl::InsertPage(TTabSheet* page) {
  page->page_control_ = this;
  pages_.push_back(page);
  page->SetVisible(false);
  // The first page becomes the active one, as a new control shows its first sheet.
  if (!active_ && page->tab_visible_) SetActivePage(page);
  PlacePages();
}

void TPageControl::RemovePage(TTabSheet* page) {
  auto it = std::find(pages_.begin(), pages_.end(), page);
  if (it == pages_.end()) return;
  const int index = static_cast<int>(it - pages_.begin());
  pages_.erase(it);
  page->page_control_ = nullptr;
  if (active_ == page) {
    active_ = nullptr;
    // The neighbour with a visible tab takes over, the later one first.
    TTabSheet* next = nullptr;
    for (int i = index; i < PageCount() && !next; ++i)
      if (pages_[static_cast<size_t>(i)]->tab_visible_) next = pages_[static_cast<size_t>(i)];
    for (int i = index - 1; i >= 0 && !next; --i)
      if (pages_[static_cast<size_t>(i)]->tab_visible_) next = pages_[static_cast<size_t>(i)];
    SetActivePage(next);
  }
  Invalidate();
}

void TPageControl::MovePage(TTabSheet* page, int index) {
  auto it = std::find(pages_.begin(), pages_.end(), page);
  if (it == pages_.end()) return;
  pages_.erase(it);
  index = std::clamp(index, 0, PageCount());
  pages_.insert(pages_.begin() + index, page);
  Invalidate();
}

void TPageControl::SetActivePage(TTabSheet* page) {
  if (page && page->page_control_ != this) return;
  if (page == active_) return;
  TTabSheet* old = active_;
  // A control of the page put away that has the focus hands it over: the page control (the
  // tab strip) holds it while the pages change, then the first control of the new page takes
  // it; with none there the strip keeps it.
  TForm* form = ParentForm();
  const bool focusOnPage = old && form && !HasState(csLoading) && form->ActiveControl() != nullptr &&
                           old->ContainsControl(form->ActiveControl());
  if (focusOnPage) {
    if (form->Visible() && CanFocus()) SetFocus();
    else form->SetFocusedControl(this);
  }
  active_ = page;
  if (page) {
    page->SetBounds(DisplayRect().Left, DisplayRect().Top, DisplayRect().Width(), DisplayRect().Height());
    page->SetVisible(true);
    page->BringToFront();
  }
  if (old) old->SetVisible(false);
  if (focusOnPage && page && form->ActiveControl() == this) ui::FocusTurnedPage(page);
  Invalidate();
}

int TPageControl::ActivePageIndex() const { return active_ ? active_->PageIndex() : -1; }

void TPageControl::SetActivePageIndex(int v) {
  SetActivePage(v >= 0 && v < PageCount() ? pages_[static_cast<size_t>(v)] : nullptr);
}

TTabSheet* TPageControl::PageOfTab(int tabIndex) const {
  int n = 0;
  for (TTabSheet* p : pages_)
    if (p->tab_visible_ && n++ == tabIndex) return p;
  return nullptr;
}

void TPageControl::SetTabHeight(int v) {
  tab_height_ = std::max(0, v);
  PlacePages();
}

TRect TPageControl::TabRect(int tabIndex) {
  if (!PageOfTab(tabIndex)) return TRect();
  TCanvas* c = Canvas();
  c->Font()->Assign(Font());
  const int h = tab_height_ > 0 ? tab_height_ : c->TextHeight("Ag") + 6;
  int x = 2, n = 0;
  for (TTabSheet* p : pages_) {
    if (!p->tab_visible_) continue;
    const int w = c->TextWidth(p->Caption()) + 12;
    if (n++ == tabIndex) return TRect(x, 2, x + w, 2 + h);
    x += w;
  }
  return TRect();
}

TRect TPageControl::DisplayRect() const {
  // Tabs take a row at the top whose height follows the font, unless TabHeight is set.
  TBitmap probe;
  probe.SetSize(1, 1);
  probe.Canvas()->Font()->Assign(const_cast<TPageControl*>(this)->Font());
  const int h = tab_height_ > 0 ? tab_height_ : probe.Canvas()->TextHeight("Ag") + 6;
  const int top = PageOfTab(0) ? h + 4 : 2;
  return TRect(4, top, std::max(4, Width() - 4), std::max(top, Height() - 4));
}

int TPageControl::IndexOfTabAt(int X, int Y) {
  for (int i = 0; PageOfTab(i); ++i)
    if (TabRect(i).Contains({X, Y})) return i;
  return -1;
}

bool TPageControl::SelectTab(int tabIndex) {
  TTabSheet* page = PageOfTab(tabIndex);
  if (!page || page == active_) return false;
  bool allow = true;
  if (OnChanging) OnChanging(this, allow);
  if (!allow) return false;
  SetActivePage(page);
  if (OnChange) OnChange(this);
  return true;
}

void TPageControl::SelectNextPage(bool GoForward) {
  const int tabs = [this] {
    int n = 0;
    for (TTabSheet* p : pages_) n += p->tab_visible_ ? 1 : 0;
    return n;
  }();
  if (tabs == 0) return;
  const int cur = TabIndex();
  const int next = cur < 0 ? 0 : (cur + (GoForward ? 1 : tabs - 1)) % tabs;
  SelectTab(next);
}

void TPageControl::KeyDown(WORD& Key, TShiftState Shift) {
  TCustomControl::KeyDown(Key, Shift);
  if (Key != VK_LEFT && Key != VK_RIGHT) return;
  if (Shift.Contains(ssCtrl) || Shift.Contains(ssAlt)) return;
  const int cur = TabIndex();
  if (PageOfTab(Key == VK_LEFT ? cur - 1 : cur + 1) != nullptr) SelectTab(Key == VK_LEFT ? cur - 1 : cur + 1);
  Key = 0;
}

void TPageControl::DoEnter() {
  Invalidate();
  TCustomControl::DoEnter();
}

void TPageControl::DoExit() {
  Invalidate();
  TCustomControl::DoExit();
}

void TPageControl::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (Button == mbLeft) {
    const int i = IndexOfTabAt(X, Y);
    if (i >= 0) SelectTab(i);
  }
  TCustomControl::MouseDown(Button, Shift, X, Y);
}

void TPageControl::PlacePages() {
  // Hiding the active page's tab does not turn the page; only its tab disappears.
  const TRect d = DisplayRect();
  for (TTabSheet* p : pages_) p->SetBounds(d.Left, d.Top, d.Width(), d.Height());
  Invalidate();
}

void TPageControl::Resize() {
  PlacePages();
  TCustomControl::Resize();
}

void TPageControl::Paint() {
  TCanvas* c = Canvas();
  c->Brush()->SetStyle(bsSolid);
  c->Brush()->SetColor(Color());
  c->FillRect(ClientRect());
  c->Font()->Assign(Font());
  TRect frame = DisplayRect();
  frame = TRect(frame.Left - 2, frame.Top - 2, frame.Right + 2, frame.Bottom + 2);
  Frame3D(c, frame, clBtnHighlight, clBtnShadow, 1);
  for (int i = 0; TTabSheet* p = PageOfTab(i); ++i) {
    TRect r = TabRect(i);
    // The chosen tab stands two pixels taller and joins the page below it.
    if (p == active_) r = TRect(r.Left - 2, r.Top - 2, r.Right + 2, r.Bottom + 1);
    c->Brush()->SetColor(Color());
    c->FillRect(r);
    c->Pen()->SetColor(clBtnHighlight);
    c->MoveTo(r.Left, r.Bottom - 1);
    c->LineTo(r.Left, r.Top);
    c->LineTo(r.Right - 1, r.Top);
    c->Pen()->SetColor(clBtnShadow);
    c->LineTo(r.Right - 1, r.Bottom);
    c->Brush()->SetStyle(bsClear);
    TRect tr = r;
    c->DrawText(p->Caption(), tr, DT_SINGLELINE | DT_CENTER | DT_VCENTER);
    if (p == active_ && Focused()) {
      c->Pen()->SetColor(clWindowText);
      c->Pen()->SetStyle(psDot);
      c->Rectangle(r.Left + 3, r.Top + 3, r.Right - 3, r.Bottom - 2);
      c->Pen()->SetStyle(psSolid);
    }
    c->Brush()->SetStyle(bsSolid);
  }
}

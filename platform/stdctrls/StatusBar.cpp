#include "platform/stdctrls/StatusBar.h"

#include <algorithm>

#include "platform/rtl/SysUtils.h"
#include "platform/stdctrls/ExtCtrls.h"

// ---- TStatusPanel ----

void TStatusPanel::SetText(const AnsiString& v) { text_ = v; Changed(); }
void TStatusPanel::SetWidth(int v) { width_ = std::max(0, v); Changed(); }
void TStatusPanel::SetAlignment(TAlignment v) { alignment_ = v; Changed(); }
void TStatusPanel::SetBevel(TStatusPanelBevel v) { bevel_ = v; Changed(); }
int TStatusPanel::Index() const { return owner_->IndexOf(this); }

void TStatusPanel::Changed() {
  if (owner_ && owner_->Bar()) owner_->Bar()->PanelsChanged();
}

// ---- TStatusPanels ----

TStatusPanel* TStatusPanels::Items(int i) const {
  if (i < 0 || i >= Count()) throw EListError("List index out of bounds (" + IntToStr(i) + ")");
  return items_[static_cast<size_t>(i)].get();
}

TStatusPanel* TStatusPanels::Add() {
  items_.push_back(std::make_unique<TStatusPanel>(this));
  bar_->PanelsChanged();
  return items_.back().get();
}

void TStatusPanels::Delete(int i) {
  Items(i);  // range check
  items_.erase(items_.begin() + i);
  bar_->PanelsChanged();
}

void TStatusPanels::Clear() {
  items_.clear();
  bar_->PanelsChanged();
}

int TStatusPanels::IndexOf(const TStatusPanel* p) const {
  for (size_t i = 0; i < items_.size(); ++i)
    if (items_[i].get() == p) return static_cast<int>(i);
  return -1;
}

// ---- TStatusBar ----

TStatusBar::TStatusBar(TComponent* AOwner) : TCustomControl(AOwner), panels_(this) {
  SetBounds(0, 0, 200, 19);
  SetAlign(alBottom);
}

TStatusBar::~TStatusBar() = default;

TRect TStatusBar::PanelRect(int i) const {
  if (simple_panel_ || i < 0 || i >= panels_.Count()) return TRect();
  int x = 0;
  for (int k = 0; k < i; ++k) x += panels_.Items(k)->Width();
  const int right = i == panels_.Count() - 1 ? std::max(x, Width()) : x + panels_.Items(i)->Width();
  return TRect(x, 2, right, Height());
}

int TStatusBar::PanelAtPos(int X) const {
  if (simple_panel_) return -1;
  for (int i = 0; i < panels_.Count(); ++i) {
    const TRect r = PanelRect(i);
    if (X >= r.Left && X < r.Right) return i;
  }
  return -1;
}

void TStatusBar::Paint() {
  TCanvas* c = Canvas();
  c->Brush()->SetStyle(bsSolid);
  c->Brush()->SetColor(Color());
  c->FillRect(ClientRect());
  c->Font()->Assign(Font());
  auto drawPanel = [&](TRect r, const AnsiString& text, TAlignment align, TStatusPanelBevel bevel) {
    // Panels sit two pixels apart, each framed by its bevel.
    r.Right -= 2;
    if (r.IsEmpty()) return;
    if (bevel == pbLowered) Frame3D(c, r, clBtnShadow, clBtnHighlight, 1);
    else if (bevel == pbRaised) Frame3D(c, r, clBtnHighlight, clBtnShadow, 1);
    else r = TRect(r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1);
    r.Left += 2;
    r.Right -= 2;
    c->Brush()->SetStyle(bsClear);
    const unsigned h = align == taRightJustify ? DT_RIGHT : align == taCenter ? DT_CENTER : DT_LEFT;
    c->DrawText(text, r, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | h);
    c->Brush()->SetStyle(bsSolid);
  };
  if (simple_panel_) {
    drawPanel(TRect(0, 2, Width(), Height()), simple_text_, taLeftJustify, pbNone);
    return;
  }
  for (int i = 0; i < panels_.Count(); ++i) {
    const TStatusPanel* p = panels_.Items(i);
    drawPanel(PanelRect(i), p->Text(), p->Alignment(), p->Bevel());
  }
}

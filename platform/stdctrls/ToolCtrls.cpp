#include "platform/stdctrls/ToolCtrls.h"

#include <algorithm>

#include "platform/stdctrls/ExtCtrls.h"
#include "platform/ui/Forms.h"

// ---- TToolButton ----

TToolButton::TToolButton(TComponent* AOwner) : TGraphicControl(AOwner) { SetBounds(0, 0, 23, 22); }

TToolButton::~TToolButton() {
  if (TToolBar* bar = ToolBar()) bar->RemoveButton(this);
}

TToolBar* TToolButton::ToolBar() const { return dynamic_cast<TToolBar*>(Parent()); }

void TToolButton::SetParent(TWinControl* AParent) {
  if (AParent == Parent()) return;
  if (TToolBar* old = ToolBar()) old->RemoveButton(this);
  TGraphicControl::SetParent(AParent);
  if (TToolBar* bar = ToolBar()) bar->AddButton(this);
}

void TToolButton::SetStyle(TToolButtonStyle v) {
  if (v == style_) return;
  style_ = v;
  if ((v == tbsSeparator || v == tbsDivider) && !HasState(csLoading)) SetBounds(Left(), Top(), 8, Height());
  if (!IsCheck()) down_ = false;
  if (TToolBar* bar = ToolBar()) bar->ArrangeButtons();
  Invalidate();
}

std::vector<TToolButton*> TToolButton::Group() {
  std::vector<TToolButton*> out;
  TToolBar* bar = ToolBar();
  if (bar == nullptr || !grouped_ || !IsCheck()) return {this};
  const auto& all = bar->buttons_;
  const auto at = std::find(all.begin(), all.end(), this);
  auto first = at, last = at;
  auto member = [](const TToolButton* b) { return b->grouped_ && b->IsCheck(); };
  while (first != all.begin() && member(*(first - 1))) --first;
  while (last + 1 != all.end() && member(*(last + 1))) ++last;
  out.assign(first, last + 1);
  return out;
}

void TToolButton::SetDown(bool v) {
  if (v == down_) return;
  if (!v && IsCheck() && grouped_ && !allow_all_up_) {
    // The group's down button stays down until another one goes down.
    std::vector<TToolButton*> group = Group();
    if (group.size() > 1) return;
  }
  down_ = v;
  if (v)
    for (TToolButton* b : Group())
      if (b != this && b->down_) {
        b->down_ = false;
        b->Invalidate();
      }
  Invalidate();
}

void TToolButton::Click() {
  // The command acts on what the window shows (see TButton::Click).
  if (TForm* f = ParentForm(); f && !f->CommitActiveControl()) return;
  if (IsCheck() && Enabled()) {
    if (down_ && (!grouped_ || allow_all_up_)) SetDown(false);
    else SetDown(true);
  }
  TGraphicControl::Click();
}

void TToolButton::Paint() {
  TCanvas* c = Canvas();
  TRect r = ClientRect();
  if (style_ == tbsSeparator) return;
  if (style_ == tbsDivider) {
    const int x = Width() / 2 - 1;
    c->Pen()->SetColor(clBtnShadow);
    c->MoveTo(x, 2);
    c->LineTo(x, Height() - 2);
    c->Pen()->SetColor(clBtnHighlight);
    c->MoveTo(x + 1, 2);
    c->LineTo(x + 1, Height() - 2);
    return;
  }
  TToolBar* bar = ToolBar();
  if (!bar || !bar->Flat() || down_) Frame3D(c, r, down_ ? clBtnShadow : clBtnHighlight, down_ ? clBtnHighlight : clBtnShadow, 1);
  if (!bar || bar->ShowCaptions() || image_index_ < 0) {
    c->Brush()->SetStyle(bsClear);
    c->Font()->Assign(Font());
    if (!Enabled()) c->Font()->SetColor(clGrayText);
    const int tw = c->TextWidth(Caption()), th = c->TextHeight(Caption());
    c->TextOut((Width() - tw) / 2 + (down_ ? 1 : 0), (Height() - th) / 2 + (down_ ? 1 : 0), Caption());
  }
}

// ---- TToolBar ----

TToolBar::TToolBar(TComponent* AOwner) : TCustomControl(AOwner) {
  SetBounds(0, 0, 150, 29);
  SetAlign(alTop);
}

TToolBar::~TToolBar() = default;

void TToolBar::AddButton(TToolButton* b) {
  buttons_.push_back(b);
  ArrangeButtons();
}

void TToolBar::RemoveButton(TToolButton* b) {
  buttons_.erase(std::remove(buttons_.begin(), buttons_.end(), b), buttons_.end());
  ArrangeButtons();
}

void TToolBar::SetButtonWidth(int v) {
  button_width_ = std::max(1, v);
  ArrangeButtons();
}

void TToolBar::SetButtonHeight(int v) {
  button_height_ = std::max(1, v);
  ArrangeButtons();
}

void TToolBar::SetIndent(int v) {
  indent_ = std::max(0, v);
  ArrangeButtons();
}

void TToolBar::SetWrapable(bool v) {
  wrapable_ = v;
  ArrangeButtons();
}

void TToolBar::ArrangeButtons() {
  // While a resource is read the buttons arrive with their stored places; they are put
  // in order of those places once all are there (Loaded).
  if (arranging_ || HasState(csLoading)) return;
  arranging_ = true;
  int x = indent_, y = 0;
  for (TToolButton* b : buttons_) {
    if (!b->Visible()) continue;
    const bool gap = b->Style() == tbsSeparator || b->Style() == tbsDivider;
    const int w = gap ? b->Width() : button_width_;
    if (wrapable_ && x > indent_ && x + w > ClientWidth()) {
      x = indent_;
      y += button_height_;
    }
    b->SetBounds(x, y, w, button_height_);
    x += w;
  }
  arranging_ = false;
  Invalidate();
}

void TToolBar::Loaded() {
  TCustomControl::Loaded();
  std::stable_sort(buttons_.begin(), buttons_.end(), [](const TToolButton* a, const TToolButton* b) {
    return a->Top() != b->Top() ? a->Top() < b->Top() : a->Left() < b->Left();
  });
  ArrangeButtons();
}

void TToolBar::Resize() {
  TCustomControl::Resize();
  ArrangeButtons();
}

void TToolBar::Paint() {
  TCanvas* c = Canvas();
  c->Brush()->SetColor(Color());
  c->FillRect(ClientRect());
}

// ---- TSplitter ----

TSplitter::TSplitter(TComponent* AOwner) : TGraphicControl(AOwner) {
  SetBounds(0, 0, 3, 100);
  SetAlign(alLeft);
  SetCursor(crHSplit);
}

TControl* TSplitter::FindControl() const {
  TWinControl* p = Parent();
  if (p == nullptr || Align() == alNone || Align() == alClient) return nullptr;
  for (int i = 0; i < p->ControlCount(); ++i) {
    TControl* c = p->Controls(i);
    if (c == this || !c->Visible() || c->Align() != Align()) continue;
    bool touches = false;
    switch (Align()) {
      case alLeft: touches = c->Left() + c->Width() == Left(); break;
      case alRight: touches = c->Left() == Left() + Width(); break;
      case alTop: touches = c->Top() + c->Height() == Top(); break;
      case alBottom: touches = c->Top() == Top() + Height(); break;
      default: break;
    }
    if (touches) return c;
  }
  return nullptr;
}

int TSplitter::MaxSize() const {
  // What the other controls aligned across the same axis leave over, less the room the
  // remaining (client) area keeps.
  TWinControl* p = Parent();
  const bool h = Horizontal();
  int taken = 0;
  for (int i = 0; i < p->ControlCount(); ++i) {
    const TControl* c = p->Controls(i);
    if (c == control_ || !c->Visible()) continue;
    const TAlign a = c->Align();
    if (h && (a == alTop || a == alBottom)) taken += c->Height();
    if (!h && (a == alLeft || a == alRight)) taken += c->Width();
  }
  return std::max(min_size_, (h ? p->ClientHeight() : p->ClientWidth()) - taken - min_size_);
}

void TSplitter::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TGraphicControl::MouseDown(Button, Shift, X, Y);
  if (Button != mbLeft || !Enabled()) return;
  control_ = FindControl();
  if (control_ == nullptr) return;
  down_at_ = ParentAlong(X, Y);
  start_size_ = Horizontal() ? control_->Height() : control_->Width();
  max_size_ = MaxSize();
}

void TSplitter::MouseMove(TShiftState Shift, int X, int Y) {
  TGraphicControl::MouseMove(Shift, X, Y);
  if (control_ == nullptr) return;
  int delta = ParentAlong(X, Y) - down_at_;
  if (Align() == alRight || Align() == alBottom) delta = -delta;
  int size = std::clamp(start_size_ + delta, min_size_, std::max(min_size_, max_size_));
  bool accept = true;
  if (OnCanResize) OnCanResize(this, size, accept);
  if (!accept) return;
  size = std::max(0, size);
  if (size == (Horizontal() ? control_->Height() : control_->Width())) return;
  if (Horizontal()) control_->SetHeight(size);
  else control_->SetWidth(size);
  if (Parent()) Parent()->Realign();
}

void TSplitter::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TGraphicControl::MouseUp(Button, Shift, X, Y);
  if (control_ != nullptr && Button == mbLeft) {
    control_ = nullptr;
    if (OnMoved) OnMoved(this);
  }
}

void TSplitter::Paint() {
  TCanvas* c = Canvas();
  TRect r = ClientRect();
  c->Brush()->SetColor(Color());
  c->FillRect(r);
  if (beveled_) Frame3D(c, r, clBtnHighlight, clBtnShadow, 1);
}

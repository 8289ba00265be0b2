#include "platform/stdctrls/ScrollCtrls.h"

#include <algorithm>

#include "platform/stdctrls/ExtCtrls.h"
#include "platform/ui/Keys.h"

namespace {
constexpr int kBarThickness = 16;
constexpr int kMinThumb = 8;
}  // namespace

// ---- TScrollBar ----

TScrollBar::TScrollBar(TComponent* AOwner) : TCustomControl(AOwner) {
  SetBounds(0, 0, 121, kBarThickness);
  SetTabStop(true);
}

void TScrollBar::SetKind(TScrollBarKind v) {
  if (v == kind_) return;
  kind_ = v;
  if (!HasState(csLoading)) SetBounds(Left(), Top(), Height(), Width());
  Invalidate();
}

int TScrollBar::MaxPosition() const { return std::max(min_, page_size_ > 0 ? max_ - page_size_ + 1 : max_); }

void TScrollBar::SetParams(int APosition, int AMin, int AMax) {
  min_ = AMin;
  max_ = std::max(AMin, AMax);
  const int pos = std::clamp(APosition, min_, MaxPosition());
  const bool changed = pos != position_;
  position_ = pos;
  Invalidate();
  if (changed && OnChange) OnChange(this);
}

void TScrollBar::SetPageSize(int v) {
  page_size_ = std::clamp(v, 0, max_ - min_ + 1);
  SetParams(position_, min_, max_);
}

void TScrollBar::Scroll(TScrollCode Code) {
  int pos = position_;
  switch (Code) {
    case scLineUp: pos -= small_change_; break;
    case scLineDown: pos += small_change_; break;
    case scPageUp: pos -= large_change_; break;
    case scPageDown: pos += large_change_; break;
    case scTop: pos = min_; break;
    case scBottom: pos = MaxPosition(); break;
    default: break;
  }
  pos = std::clamp(pos, min_, MaxPosition());
  if (OnScroll) OnScroll(this, Code, pos);
  SetPosition(pos);
}

int TScrollBar::ArrowSize() const {
  const int across = kind_ == sbHorizontal ? Height() : Width();
  return std::min(across, Length() / 2);
}

int TScrollBar::ThumbLength() const {
  const int track = Length() - 2 * ArrowSize();
  if (track <= 0) return 0;
  if (page_size_ <= 0) return std::min(track, std::max(kMinThumb, kind_ == sbHorizontal ? Height() : Width()));
  const int64_t span = static_cast<int64_t>(max_) - min_ + 1;
  return std::clamp(static_cast<int>(static_cast<int64_t>(track) * page_size_ / span), std::min(kMinThumb, track), track);
}

int TScrollBar::ThumbStart() const {
  const int track = Length() - 2 * ArrowSize();
  const int free = track - ThumbLength();
  const int64_t steps = static_cast<int64_t>(MaxPosition()) - min_;
  if (free <= 0 || steps <= 0) return ArrowSize();
  return ArrowSize() + static_cast<int>(static_cast<int64_t>(free) * (position_ - min_) / steps);
}

int TScrollBar::PositionAtThumb(int start) const {
  const int free = Length() - 2 * ArrowSize() - ThumbLength();
  const int64_t steps = static_cast<int64_t>(MaxPosition()) - min_;
  if (free <= 0 || steps <= 0) return min_;
  const int at = std::clamp(start - ArrowSize(), 0, free);
  return min_ + static_cast<int>((static_cast<int64_t>(at) * steps + free / 2) / free);
}

TRect TScrollBar::ThumbRect() const {
  const int s = ThumbStart(), l = ThumbLength();
  return kind_ == sbHorizontal ? Rect(s, 0, s + l, Height()) : Rect(0, s, Width(), s + l);
}

void TScrollBar::KeyDown(WORD& Key, TShiftState Shift) {
  TCustomControl::KeyDown(Key, Shift);
  switch (Key) {
    case VK_LEFT: case VK_UP: Scroll(scLineUp); break;
    case VK_RIGHT: case VK_DOWN: Scroll(scLineDown); break;
    case VK_PRIOR: Scroll(scPageUp); break;
    case VK_NEXT: Scroll(scPageDown); break;
    case VK_HOME: Scroll(scTop); break;
    case VK_END: Scroll(scBottom); break;
    default: return;
  }
  Key = 0;
}

void TScrollBar::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (Button == mbLeft && Enabled()) {
    const int at = Along(X, Y);
    const int thumb = ThumbStart();
    if (at < ArrowSize()) Scroll(scLineUp);
    else if (at >= Length() - ArrowSize()) Scroll(scLineDown);
    else if (at < thumb) Scroll(scPageUp);
    else if (at >= thumb + ThumbLength()) Scroll(scPageDown);
    else {
      dragging_ = true;
      drag_offset_ = at - thumb;
    }
  }
  TCustomControl::MouseDown(Button, Shift, X, Y);
}

void TScrollBar::MouseMove(TShiftState Shift, int X, int Y) {
  if (dragging_) {
    int pos = PositionAtThumb(Along(X, Y) - drag_offset_);
    if (OnScroll) OnScroll(this, scTrack, pos);
    SetPosition(pos);
  }
  TCustomControl::MouseMove(Shift, X, Y);
}

void TScrollBar::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (dragging_ && Button == mbLeft) {
    dragging_ = false;
    int pos = position_;
    if (OnScroll) OnScroll(this, scPosition, pos);
    SetPosition(pos);
    if (OnScroll) OnScroll(this, scEndScroll, pos);
  }
  TCustomControl::MouseUp(Button, Shift, X, Y);
}

void TScrollBar::Paint() {
  TCanvas* c = Canvas();
  c->Brush()->SetColor(clScrollBar);
  c->FillRect(ClientRect());
  const int a = ArrowSize();
  auto box = [&](TRect r) {
    c->Brush()->SetColor(clBtnFace);
    c->FillRect(r);
    Frame3D(c, r, clBtnHighlight, clBtnShadow, 1);
  };
  if (kind_ == sbHorizontal) {
    box(Rect(0, 0, a, Height()));
    box(Rect(Width() - a, 0, Width(), Height()));
  } else {
    box(Rect(0, 0, Width(), a));
    box(Rect(0, Height() - a, Width(), Height()));
  }
  const bool thumb = Enabled() && ThumbLength() > 0;
  if (thumb) box(ThumbRect());
  if (!Focused()) return;
  TRect mark = thumb ? ThumbRect() : ClientRect();
  if (!thumb) {
    if (kind_ == sbHorizontal) mark = Rect(a, 0, Width() - a, Height());
    else mark = Rect(0, a, Width(), Height() - a);
  }
  mark = Rect(mark.Left + 2, mark.Top + 2, mark.Right - 2, mark.Bottom - 2);
  if (mark.Width() < 2 || mark.Height() < 2) return;
  c->Pen()->SetColor(clWindowText);
  c->Pen()->SetStyle(psDot);
  c->Brush()->SetStyle(bsClear);
  c->Rectangle(mark);
  c->Brush()->SetStyle(bsSolid);
  c->Pen()->SetStyle(psSolid);
}

void TScrollBar::DoEnter() {
  Invalidate();
  TCustomControl::DoEnter();
}

void TScrollBar::DoExit() {
  Invalidate();
  TCustomControl::DoExit();
}

// ---- TControlScrollBar ----

int TControlScrollBar::Range() const {
  return box_->AutoScroll() ? std::max(range_, box_->ContentExtent(kind_)) : range_;
}

void TControlScrollBar::SetRange(int v) {
  range_ = std::max(0, v);
  box_->UpdateScrollBars();
}

void TControlScrollBar::SetPosition(int v) {
  const int view = kind_ == sbHorizontal ? box_->ClientWidth() : box_->ClientHeight();
  const int pos = std::clamp(v, 0, std::max(0, Range() - view));
  if (pos == position_) return;
  const int old = position_;
  position_ = pos;
  box_->PositionChanged(*this, old);
}

void TControlScrollBar::SetVisible(bool v) {
  visible_ = v;
  box_->UpdateScrollBars();
}

bool TControlScrollBar::IsScrollBarVisible() const {
  if (!visible_) return false;
  const int view = kind_ == sbHorizontal ? box_->TControl::ClientWidth() : box_->TControl::ClientHeight();
  return Range() > view;
}

// ---- TScrollBox ----

TScrollBox::TScrollBox(TComponent* AOwner) : TCustomControl(AOwner) {
  // The bars are parts of the box: owned by it, so form resources do not store them.
  for (TScrollBarKind k : {sbHorizontal, sbVertical}) {
    auto* bar = new TScrollBar(this);
    bar->SetKind(k);
    bar->SetTabStop(false);
    bar->SetVisible(false);
    bar->SetParent(this);
    bar->OnChange = [this, k](TObject*) {
      if (updating_) return;
      TControlScrollBar& b = k == sbHorizontal ? horz_ : vert_;
      b.SetPosition(Bar(k)->Position());
    };
    (k == sbHorizontal ? hbar_ : vbar_) = bar;
  }
  SetBounds(0, 0, 185, 41);
}

TScrollBox::~TScrollBox() {
  hbar_->OnChange = nullptr;
  vbar_->OnChange = nullptr;
}

void TScrollBox::SetAutoScroll(bool v) {
  auto_scroll_ = v;
  UpdateScrollBars();
}

int TScrollBox::ClientWidth() const {
  return std::max(0, TControl::ClientWidth() - (vert_.IsScrollBarVisible() ? kBarThickness : 0));
}

int TScrollBox::ClientHeight() const {
  return std::max(0, TControl::ClientHeight() - (horz_.IsScrollBarVisible() ? kBarThickness : 0));
}

int TScrollBox::ContentExtent(TScrollBarKind Kind) const {
  int extent = 0;
  for (int i = 0; i < ControlCount(); ++i) {
    const TControl* c = Controls(i);
    if (c == hbar_ || c == vbar_ || !c->Visible()) continue;
    extent = std::max(extent, Kind == sbHorizontal ? c->Left() + c->Width() + horz_.position_
                                                   : c->Top() + c->Height() + vert_.position_);
  }
  return extent;
}

void TScrollBox::ScrollBy(int DeltaX, int DeltaY) {
  if (DeltaX == 0 && DeltaY == 0) return;
  for (int i = 0; i < ControlCount(); ++i) {
    TControl* c = Controls(i);
    if (c == hbar_ || c == vbar_) continue;
    c->SetBounds(c->Left() + DeltaX, c->Top() + DeltaY, c->Width(), c->Height());
  }
  Invalidate();
}

void TScrollBox::PositionChanged(TControlScrollBar& Bar, int OldPosition) {
  const int delta = OldPosition - Bar.position_;
  if (Bar.kind_ == sbHorizontal) ScrollBy(delta, 0);
  else ScrollBy(0, delta);
  UpdateScrollBars();
}

void TScrollBox::ScrollInView(TControl* AControl) {
  if (AControl == nullptr || AControl->Parent() != this) return;
  auto bring = [](TControlScrollBar& bar, int start, int size, int view) {
    if (start < 0) bar.SetPosition(bar.Position() + start);
    else if (start + size > view) bar.SetPosition(bar.Position() + std::min(start, start + size - view));
  };
  bring(horz_, AControl->Left(), AControl->Width(), ClientWidth());
  bring(vert_, AControl->Top(), AControl->Height(), ClientHeight());
}

void TScrollBox::UpdateScrollBars() {
  if (updating_ || hbar_ == nullptr || vbar_ == nullptr) return;
  updating_ = true;
  const bool h = horz_.IsScrollBarVisible(), v = vert_.IsScrollBarVisible();
  const int w = TControl::ClientWidth(), ht = TControl::ClientHeight();
  hbar_->SetBounds(0, ht - kBarThickness, std::max(0, w - (v ? kBarThickness : 0)), kBarThickness);
  vbar_->SetBounds(w - kBarThickness, 0, kBarThickness, std::max(0, ht - (h ? kBarThickness : 0)));
  hbar_->SetVisible(h);
  vbar_->SetVisible(v);
  for (TControlScrollBar* b : {&horz_, &vert_}) {
    TScrollBar* bar = Bar(b->kind_);
    const int view = b->kind_ == sbHorizontal ? ClientWidth() : ClientHeight();
    bar->SetParams(0, 0, std::max(0, b->Range() - 1));
    bar->SetPageSize(std::max(1, view));
    bar->SetSmallChange(b->increment_);
    bar->SetLargeChange(std::max(1, view - b->increment_));
    bar->SetPosition(b->position_);
    bar->BringToFront();
  }
  updating_ = false;
  // A larger view may leave the content scrolled past its end: pull it back.
  horz_.SetPosition(horz_.position_);
  vert_.SetPosition(vert_.position_);
}

bool TScrollBox::DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos) {
  if (TCustomControl::DoMouseWheel(Shift, WheelDelta, MousePos)) return true;
  TControlScrollBar& bar = Shift.Contains(ssShift) ? horz_ : vert_;
  if (!bar.IsScrollBarVisible()) return false;
  const int old = bar.Position();
  bar.SetPosition(old - WheelDelta * 3 * bar.Increment() / WHEEL_DELTA);
  return bar.Position() != old;
}

void TScrollBox::Resize() {
  TCustomControl::Resize();
  UpdateScrollBars();
}

void TScrollBox::Loaded() {
  TCustomControl::Loaded();
  UpdateScrollBars();
}

void TScrollBox::Paint() {
  TCanvas* c = Canvas();
  c->Brush()->SetColor(Color());
  c->FillRect(ClientRect());
  if (border_style_ == bsSingleBorder) {
    TRect r = Rect(0, 0, Width(), Height());
    Frame3D(c, r, clBtnShadow, clBtnHighlight, 1);
  }
}

#include "platform/stdctrls/ComCtrls.h"

#include <algorithm>

#include "platform/rtl/Numbers.h"
#include "platform/stdctrls/ExtCtrls.h"

namespace {

void ArrowBox(TCanvas* c, TRect r, bool pointsUp, bool vertical, bool enabled) {
  TRect f = r;
  Frame3D(c, f, clBtnHighlight, clBtnShadow, 1);
  c->Brush()->SetColor(enabled ? clBtnText : clGrayText);
  c->Pen()->SetColor(enabled ? clBtnText : clGrayText);
  const int cx = (r.Left + r.Right) / 2, cy = (r.Top + r.Bottom) / 2;
  if (vertical) {
    c->Polygon(pointsUp ? std::vector<TPoint>{{cx - 3, cy + 1}, {cx + 3, cy + 1}, {cx, cy - 2}}
                        : std::vector<TPoint>{{cx - 3, cy - 1}, {cx + 3, cy - 1}, {cx, cy + 2}});
  } else {
    c->Polygon(pointsUp ? std::vector<TPoint>{{cx - 1, cy - 3}, {cx - 1, cy + 3}, {cx + 2, cy}}
                        : std::vector<TPoint>{{cx + 1, cy - 3}, {cx + 1, cy + 3}, {cx - 2, cy}});
  }
}

}  // namespace

// ---- TUpDown ----

TUpDown::TUpDown(TComponent* AOwner) : TCustomControl(AOwner) { SetBounds(0, 0, 16, 24); }

TUpDown::~TUpDown() {
  if (associate_) associate_->RemoveFreeNotification(this);
}

void TUpDown::SetMin(int v) {
  min_ = v;
  SetPosition(position_);
}

void TUpDown::SetMax(int v) {
  max_ = v;
  SetPosition(position_);
}

void TUpDown::SetPosition(int v) {
  // Min may exceed Max (a reversed range); the position stays between them either way.
  position_ = std::clamp(v, std::min(min_, max_), std::max(min_, max_));
  UpdateAssociate();
}

void TUpDown::SetAssociate(TWinControl* c) {
  if (c == this) c = nullptr;
  if (associate_) associate_->RemoveFreeNotification(this);
  associate_ = c;
  if (!c) return;
  c->FreeNotification(this);
  PlaceBesideAssociate();
  UpdateAssociate();
}

void TUpDown::SetAlignButton(TUDAlignButton v) {
  align_button_ = v;
  PlaceBesideAssociate();
}

void TUpDown::PlaceBesideAssociate() {
  if (!associate_ || HasState(csLoading)) return;
  if (Parent() != associate_->Parent()) SetParent(associate_->Parent());
  const int l = align_button_ == udRight ? associate_->Left() + associate_->Width() : associate_->Left() - Width();
  SetBounds(l, associate_->Top(), Width(), associate_->Height());
}

void TUpDown::UpdateAssociate() {
  if (associate_) associate_->SetText(IntToStr(position_));
}

void TUpDown::Notification(TComponent* AComponent, TOperation Operation) {
  TCustomControl::Notification(AComponent, Operation);
  if (Operation == TOperation::opRemove && AComponent == associate_) associate_ = nullptr;
}

void TUpDown::ButtonClick(TUDBtnType button) {
  if (!Enabled()) return;
  // The user may have typed a number in the edit: stepping starts from it.
  int from = position_;
  if (associate_) from = StrToIntDef(associate_->Text(), position_);
  const int lo = std::min(min_, max_), hi = std::max(min_, max_);
  // Next moves towards Max (which may be below Min).
  const int dir = (button == btNext) == (max_ >= min_) ? 1 : -1;
  long long next = static_cast<long long>(std::clamp(from, lo, hi)) + static_cast<long long>(dir) * increment_;
  if (next > hi) next = wrap_ ? lo : hi;
  if (next < lo) next = wrap_ ? hi : lo;
  bool allow = true;
  if (OnChanging) OnChanging(this, allow);
  if (!allow) return;
  SetPosition(static_cast<int>(next));
  if (OnClick) OnClick(this, button);
}

void TUpDown::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (Button == mbLeft) {
    // Vertical: the upper half is Next; horizontal: the right half is.
    const bool next = orientation_ == udVertical ? Y < Height() / 2 : X >= Width() / 2;
    ButtonClick(next ? btNext : btPrev);
  }
  TCustomControl::MouseDown(Button, Shift, X, Y);
}

void TUpDown::Paint() {
  TCanvas* c = Canvas();
  c->Brush()->SetStyle(bsSolid);
  c->Brush()->SetColor(Color());
  c->FillRect(ClientRect());
  if (orientation_ == udVertical) {
    ArrowBox(c, TRect(0, 0, Width(), Height() / 2), true, true, Enabled());
    ArrowBox(c, TRect(0, Height() / 2, Width(), Height()), false, true, Enabled());
  } else {
    ArrowBox(c, TRect(0, 0, Width() / 2, Height()), false, false, Enabled());
    ArrowBox(c, TRect(Width() / 2, 0, Width(), Height()), true, false, Enabled());
  }
}

// ---- TTrackBar ----

TTrackBar::TTrackBar(TComponent* AOwner) : TCustomControl(AOwner) {
  SetTabStop(true);
  SetBounds(0, 0, 150, 45);
}

void TTrackBar::SetMin(int v) {
  min_ = v;
  if (max_ < min_) max_ = min_;
  SetPosition(position_);
  Invalidate();
}

void TTrackBar::SetMax(int v) {
  max_ = v;
  if (min_ > max_) min_ = max_;
  SetPosition(position_);
  Invalidate();
}

void TTrackBar::SetPosition(int v) {
  v = std::clamp(v, min_, max_);
  if (v == position_) return;
  position_ = v;
  Invalidate();
  if (OnChange && !HasState(csLoading)) OnChange(this);
}

void TTrackBar::SetOrientation(TTrackBarOrientation v) {
  if (v == orientation_) return;
  orientation_ = v;
  // Turning the bar swaps its width and height, as the control stands the other way.
  if (!HasState(csLoading)) SetBounds(Left(), Top(), Height(), Width());
  Invalidate();
}

int TTrackBar::ChannelEnd() const {
  return std::max(ChannelStart() + 1, (orientation_ == trHorizontal ? Width() : Height()) - 12);
}

int TTrackBar::PixelOf(int position) const {
  if (max_ == min_) return ChannelStart();
  return ChannelStart() +
         static_cast<int>(static_cast<long long>(position - min_) * (ChannelEnd() - ChannelStart()) / (max_ - min_));
}

int TTrackBar::PositionAt(int X, int Y) const {
  const int along = orientation_ == trHorizontal ? X : Y;
  const int span = ChannelEnd() - ChannelStart();
  const long long range = static_cast<long long>(max_) - min_;
  const long long off = std::clamp(along - ChannelStart(), 0, span);
  // Rounded to the nearest position.
  return static_cast<int>(min_ + (off * range + span / 2) / span);
}

void TTrackBar::KeyDown(WORD& Key, TShiftState Shift) {
  TCustomControl::KeyDown(Key, Shift);
  // Up and Left step towards Min, as a vertical bar has Min at the top.
  switch (Key) {
    case VK_LEFT: case VK_UP: SetPosition(position_ - line_size_); break;
    case VK_RIGHT: case VK_DOWN: SetPosition(position_ + line_size_); break;
    case VK_PRIOR: SetPosition(position_ - page_size_); break;
    case VK_NEXT: SetPosition(position_ + page_size_); break;
    case VK_HOME: SetPosition(min_); break;
    case VK_END: SetPosition(max_); break;
    default: return;
  }
  Key = 0;
}

void TTrackBar::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (Button == mbLeft && Enabled()) {
    dragging_ = true;
    SetPosition(PositionAt(X, Y));
  }
  TCustomControl::MouseDown(Button, Shift, X, Y);
}

void TTrackBar::MouseMove(TShiftState Shift, int X, int Y) {
  if (dragging_) SetPosition(PositionAt(X, Y));
  TCustomControl::MouseMove(Shift, X, Y);
}

void TTrackBar::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (Button == mbLeft) dragging_ = false;
  TCustomControl::MouseUp(Button, Shift, X, Y);
}

void TTrackBar::Paint() {
  TCanvas* c = Canvas();
  c->Brush()->SetStyle(bsSolid);
  c->Brush()->SetColor(Color());
  c->FillRect(ClientRect());
  const bool h = orientation_ == trHorizontal;
  const int across = (h ? Height() : Width()) / 2 - 4;
  TRect ch = h ? TRect(ChannelStart() - 2, across - 2, ChannelEnd() + 2, across + 2)
               : TRect(across - 2, ChannelStart() - 2, across + 2, ChannelEnd() + 2);
  Frame3D(c, ch, clBtnShadow, clBtnHighlight, 1);
  c->Pen()->SetColor(clBtnText);
  if (tick_style_ == tsAuto && max_ > min_) {
    for (long long p = min_; p <= max_; p += frequency_) {
      const int at = PixelOf(static_cast<int>(p));
      const int base = across + 10;
      if (tick_marks_ != tmTopLeft) {
        if (h) { c->MoveTo(at, base); c->LineTo(at, base + 3); }
        else { c->MoveTo(base, at); c->LineTo(base + 3, at); }
      }
      if (tick_marks_ != tmBottomRight) {
        if (h) { c->MoveTo(at, across - 10); c->LineTo(at, across - 13); }
        else { c->MoveTo(across - 10, at); c->LineTo(across - 13, at); }
      }
    }
  }
  const int t = PixelOf(position_);
  TRect thumb = h ? TRect(t - 5, across - 8, t + 6, across + 9) : TRect(across - 8, t - 5, across + 9, t + 6);
  c->Brush()->SetColor(Color());
  c->FillRect(thumb);
  Frame3D(c, thumb, clBtnHighlight, clBtnShadow, 1);
}

// ---- TProgressBar ----

TProgressBar::TProgressBar(TComponent* AOwner) : TGraphicControl(AOwner) { SetBounds(0, 0, 150, 16); }

void TProgressBar::SetMin(int v) {
  min_ = v;
  if (max_ < min_) max_ = min_;
  SetPosition(position_);
}

void TProgressBar::SetMax(int v) {
  max_ = v;
  if (min_ > max_) min_ = max_;
  SetPosition(position_);
}

void TProgressBar::SetPosition(int v) {
  position_ = std::clamp(v, min_, max_);
  Invalidate();
}

void TProgressBar::StepIt() {
  long long next = static_cast<long long>(position_) + step_;
  const long long range = static_cast<long long>(max_) - min_;
  if (range <= 0) return;
  if (next > max_) next = min_ + (next - min_) % range;
  if (next < min_) next = max_ - (max_ - next) % range;
  SetPosition(static_cast<int>(next));
}

int TProgressBar::FilledLength() const {
  const int length = (orientation_ == pbHorizontal ? Width() : Height()) - 2;
  if (max_ <= min_ || length <= 0) return 0;
  return static_cast<int>(static_cast<long long>(position_ - min_) * length / (static_cast<long long>(max_) - min_));
}

void TProgressBar::Paint() {
  TCanvas* c = Canvas();
  TRect r = ClientRect();
  Frame3D(c, r, clBtnShadow, clBtnHighlight, 1);
  c->Brush()->SetStyle(bsSolid);
  c->Brush()->SetColor(Color());
  c->FillRect(r);
  const int n = FilledLength();
  c->Brush()->SetColor(clHighlight);
  TRect fill = orientation_ == pbHorizontal ? TRect(r.Left, r.Top, r.Left + n, r.Bottom)
                                            : TRect(r.Left, r.Bottom - n, r.Right, r.Bottom);
  if (smooth_) {
    c->FillRect(fill);
    return;
  }
  // Blocks with a gap between them, the last one cut at the filled length.
  const int block = std::max(2, (orientation_ == pbHorizontal ? r.Height() : r.Width()) * 2 / 3);
  for (int at = 0; at < n; at += block + 2) {
    const int e = std::min(n, at + block);
    c->FillRect(orientation_ == pbHorizontal ? TRect(r.Left + at, r.Top, r.Left + e, r.Bottom)
                                             : TRect(r.Left, r.Bottom - e, r.Right, r.Bottom - at));
  }
}

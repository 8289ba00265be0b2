#include "gauges/AbSpin.h"

#include <algorithm>

#include "gauges/AbFlashT.h"
#include "platform/os/Clock.h"

namespace {
// The built-in arrow glyphs: two images side by side, normal and disabled.
void ArrowGlyph(TBitmap& b, bool up) {
  b.SetSize(18, 5);
  TCanvas* c = b.Canvas();
  c->Brush()->SetColor(clFuchsia);  // the transparent colour (bottom-left pixel)
  c->FillRect(TRect(0, 0, 18, 5));
  for (int img = 0; img < 2; ++img) {
    const TColor col = img == 0 ? clBlack : clGray;
    for (int row = 0; row < 4; ++row) {
      const int half = up ? row : 3 - row;
      for (int x = 4 - half; x <= 4 + half; ++x) c->SetPixel(img * 9 + x, row, col);
    }
  }
  b.SetTransparent(true);
}
}  // namespace

TAbTimerSpeedBtn::TAbTimerSpeedBtn(TComponent* AOwner) : TSpeedButton(AOwner) {}

TAbTimerSpeedBtn::~TAbTimerSpeedBtn() { RemoveFlashClient(this); }

void TAbTimerSpeedBtn::SetInterval(int v) {
  if (v >= 50) interval_ = v;
}

void TAbTimerSpeedBtn::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TSpeedButton::MouseDown(Button, Shift, X, Y);
  if (timer_enabled_ && Button == mbLeft && Enabled()) {
    repeat_start_ = os::MonotonicMilliseconds() + start_delay_;
    AddFlashClient(this, interval_);
  }
}

void TAbTimerSpeedBtn::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  RemoveFlashClient(this);
  TSpeedButton::MouseUp(Button, Shift, X, Y);
}

void TAbTimerSpeedBtn::WndProc(TMessage& Message) {
  if (Message.Msg == WM_FLASH) {
    if (os::MonotonicMilliseconds() >= repeat_start_) Click();
    return;
  }
  TSpeedButton::WndProc(Message);
}

TAbSpinButton::TAbSpinButton(TComponent* AOwner) : TWinControl(AOwner) {
  up_ = new TAbTimerSpeedBtn(this);
  down_ = new TAbTimerSpeedBtn(this);
  for (TAbTimerSpeedBtn* b : {up_, down_}) {
    b->SetParent(this);
    b->OnClick = [this, b](TObject*) {
      const TNotifyEvent& e = b == up_ ? OnUpClick : OnDownClick;
      if (e) e(this);
    };
    b->OnMouseDown = [this](TObject*, TMouseButton Button, TShiftState, int, int) { FocusOnPress(Button); };
  }
  SetUpGlyph(nullptr);
  SetDownGlyph(nullptr);
  SetBounds(0, 0, 15, 24);
}

void TAbSpinButton::SetUpGlyph(TBitmap* v) {
  if (v != nullptr) {
    up_->Glyph()->Assign(v);
    return;
  }
  ArrowGlyph(*up_->Glyph(), true);
  up_->SetNumGlyphs(2);
}

void TAbSpinButton::SetDownGlyph(TBitmap* v) {
  if (v != nullptr) {
    down_->Glyph()->Assign(v);
    return;
  }
  ArrowGlyph(*down_->Glyph(), false);
  down_->SetNumGlyphs(2);
}

void TAbSpinButton::SetStartDelay(uint32_t v) {
  up_->SetStartDelay(v);
  down_->SetStartDelay(v);
}

void TAbSpinButton::SetInterval(int v) {
  up_->SetInterval(v);
  down_->SetInterval(v);
}

void TAbSpinButton::SetFocusControl(TWinControl* v) {
  focus_control_ = v;
  if (v != nullptr) v->FreeNotification(this);
}

void TAbSpinButton::Notification(TComponent* AComponent, TOperation Operation) {
  TWinControl::Notification(AComponent, Operation);
  if (Operation == TOperation::opRemove && AComponent == focus_control_) focus_control_ = nullptr;
}

void TAbSpinButton::FocusOnPress(TMouseButton Button) {
  if (Button != mbLeft) return;
  if (focus_control_ != nullptr && focus_control_->TabStop() && focus_control_->CanFocus() && !focus_control_->Focused())
    focus_control_->SetFocus();
  else if (focus_control_ == nullptr && TabStop() && CanFocus() && !Focused())
    SetFocus();
}

void TAbSpinButton::SetEnabled(bool v) {
  TWinControl::SetEnabled(v);
  up_->SetEnabled(v);
  down_->SetEnabled(v);
}

void TAbSpinButton::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  const int w = HasState(csLoading) ? AWidth : std::max(AWidth, 15);
  TWinControl::SetBounds(ALeft, ATop, w, AHeight);
  if (!HasState(csLoading)) Layout();
}

void TAbSpinButton::Loaded() {
  TWinControl::Loaded();
  SetBounds(Left(), Top(), Width(), Height());
}

void TAbSpinButton::Layout() {
  const int w = Width(), h = Height();
  up_->SetBounds(0, 0, w, h / 2);
  down_->SetBounds(0, h / 2, w, h - h / 2);
}

void TAbSpinButton::KeyDown(WORD& Key, TShiftState Shift) {
  if (Key == VK_UP) {
    up_->Click();
    Key = 0;
  } else if (Key == VK_DOWN) {
    down_->Click();
    Key = 0;
  }
  TWinControl::KeyDown(Key, Shift);
}

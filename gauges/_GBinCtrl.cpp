#include "gauges/_GBinCtrl.h"

namespace {
// Set while a group is brought into step, so that members do not pass it on again.
bool g_group_busy = false;
}

TAbBinGControl::TAbBinGControl(TComponent* AOwner) : TGraphicControl(AOwner) {}

TAbBinGControl::~TAbBinGControl() { RemoveFlashClient(this); }

void TAbBinGControl::TextChanged() {
  TGraphicControl::TextChanged();
  TextChangedHook();
}

void TAbBinGControl::ShowingChanged(bool OnScreen) {
  TGraphicControl::ShowingChanged(OnScreen);
  if (OnScreen) abflash::ClientShown(this);
}

void TAbBinGControl::UpdateFlashing() {
  if (checked_ && flashing_)
    AddFlashClient(this, static_cast<int64_t>(frequency_) + 2);
  else
    RemoveFlashClient(this);
}

void TAbBinGControl::SetChecked(bool b) {
  if (b == checked_) return;
  checked_ = b;
  UpdateFlashing();
  const int32_t bit = static_cast<int32_t>(1u << status_bit_);
  // The status word follows: its bit always equals Checked (in radio mode the word holds
  // only this control's bit while it is checked).
  int32_t w = status_int_;
  if (checked_)
    w = mode_ == mRadioButton ? bit : (w | bit);
  else
    w &= ~bit;
  if (w != status_int_) {
    status_int_ = w;
    lowest_bit_ = 32;
    for (int i = 0; i < 32; ++i)
      if (static_cast<uint32_t>(w) & (1u << i)) {
        lowest_bit_ = i;
        break;
      }
  }
  StateChanged();
  if (OnStatusChanged) OnStatusChanged(this);
}

void TAbBinGControl::SetStatusInt(int32_t w) {
  if (w == status_int_) return;
  status_int_ = w;
  lowest_bit_ = 32;
  for (int i = 0; i < 32; ++i)
    if (static_cast<uint32_t>(w) & (1u << i)) {
      lowest_bit_ = i;
      break;
    }
  SetChecked((static_cast<uint32_t>(w) >> status_bit_) & 1u);
  StatusIntChanged();
  if (OnStatusIntChanged) OnStatusIntChanged(this);
  if (group_index_ != 0 && !g_group_busy && Owner() != nullptr) {
    g_group_busy = true;
    try {
      for (int i = 0; i < Owner()->ComponentCount(); ++i) {
        auto* other = dynamic_cast<TAbBinGControl*>(Owner()->Components(i));
        if (other != nullptr && other != this && other->group_index_ == group_index_) other->SetStatusInt(status_int_);
      }
    } catch (...) {
      g_group_busy = false;
      throw;
    }
    g_group_busy = false;
  }
}

void TAbBinGControl::SetStatusBit(int n) {
  if (n == status_bit_ || n < 0 || n >= 32) return;
  status_bit_ = n;
  SetChecked((static_cast<uint32_t>(status_int_) >> n) & 1u);
}

void TAbBinGControl::SetMode(TMode m) {
  mode_ = m;
  if (m == mButton) SetStatusInt(0);
  if (m == mRadioButton) SetStatusInt(1);
}

void TAbBinGControl::SetGroupIndex(int g) {
  if (g == group_index_ || g < 0) return;
  group_index_ = g;
  if (Owner() != nullptr)
    for (int i = 0; i < Owner()->ComponentCount(); ++i) {
      auto* other = dynamic_cast<TAbBinGControl*>(Owner()->Components(i));
      if (other != nullptr && other->group_index_ == g) {
        if (other != this) {
          const bool busy = g_group_busy;
          g_group_busy = true;  // taking the group's word passes nothing on
          SetStatusInt(other->status_int_);
          g_group_busy = busy;
        }
        break;
      }
    }
  GroupIndexChanged();
}

void TAbBinGControl::SetFlashing(bool b) {
  if (b == flashing_) return;
  flashing_ = b;
  UpdateFlashing();
  StateChanged();
  if (OnStatusChanged) OnStatusChanged(this);
}

void TAbBinGControl::SetFrequency(TFlashFreq f) {
  frequency_ = f;
  if (checked_ && flashing_) AddFlashClient(this, static_cast<int64_t>(f) + 2);
}

void TAbBinGControl::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (Button == mbLeft) {
    pressed_ = true;
    switch (mode_) {
      case mButton: SetChecked(true); break;
      case mSwitch: SetChecked(!checked_); break;
      case mRadioButton: SetStatusInt(static_cast<int32_t>(1u << status_bit_)); break;
      case mIndicator: break;
    }
  }
  TGraphicControl::MouseDown(Button, Shift, X, Y);
}

void TAbBinGControl::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TGraphicControl::MouseUp(Button, Shift, X, Y);
  if (Button == mbLeft && mode_ != mIndicator) {
    pressed_ = false;
    if (mode_ == mButton) SetChecked(false);
    StateChanged();
  }
}

void TAbBinGControl::WndProc(TMessage& Message) {
  if (Message.Msg == WM_FLASH) {
    BlinkPhase(Message.LParam != 0);
    return;
  }
  TGraphicControl::WndProc(Message);
}

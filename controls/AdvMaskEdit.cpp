#include "controls/AdvMaskEdit.h"
#include "platform/ui/FocusOrder.h"
#include <algorithm>
#include <functional>
#include "platform/stdctrls/WidgetHooks.h"
#include "platform/ui/Forms.h"

TAdvMaskEdit::TAdvMaskEdit(TComponent* AOwner) : TFlatEdit(AOwner) {
  SetColor(clWindow);
  label_.SetCentresLabel(false);
}

TAdvMaskEdit::~TAdvMaskEdit() = default;

bool TAdvMaskEdit::MaskFilled() const {
  if (EditMask().empty()) return false;
  AnsiString t = Text();
  AnsiString m = EditMask();
  char blank = m.size() >= 2 && m[m.size() - 2] == ';' ? m.back() : '_';
  return t.find(blank) == AnsiString::npos && SelStart() >= static_cast<int>(t.size());
}

void TAdvMaskEdit::KeyDown(WORD& Key, TShiftState Shift) {
  if (Key == VK_RETURN && return_is_tab_) {
    ui::FocusNextControl(this);
    Key = 0;
    return;
  }
  if (Key == VK_ESCAPE && can_undo_ && !ReadOnly()) {
    SetText(undo_text_);
    SelectAll();
  }
  TMaskEdit::KeyDown(Key, Shift);
}

void TAdvMaskEdit::KeyPress(char& Key) {
  if (Key == 13 && return_is_tab_) {
    Key = 0;
    return;
  }
  TMaskEdit::KeyPress(Key);
  if (show_modified_ && Modified()) Font()->SetColor(modified_color_);
}

void TAdvMaskEdit::KeyUp(WORD& Key, TShiftState Shift) {
  TMaskEdit::KeyUp(Key, Shift);
  if (!MaskFilled()) return;
  bool accept = true;
  if (OnMaskComplete) OnMaskComplete(this, Text(), accept);
  if (auto_tab_ && accept) ui::FocusNextControl(this);
}

void TAdvMaskEdit::CreateHandle() {
  TFlatEdit::CreateHandle();
  ui::TWidgetHooks h;
  h.PaintOver = [this](TCanvas& c) { PaintFlatLook(c, focused_, focus_border_, focus_border_color_); };
  // Pointing at the edit focuses it with AutoFocus (the keycode fields).
  h.MouseEnter = [this] {
    MouseEnter();
    if (focus_border_) Invalidate();
  };
  h.MouseLeave = [this] {
    MouseLeave();
    if (focus_border_) Invalidate();
  };
  ui::InstallWidgetHooks(this, std::move(h));
}

void TAdvMaskEdit::DoEnter() {
  focused_ = true;
  TMaskEdit::DoEnter();
  if (ComponentState() & csLoading) return;
  normal_color_ = Color();
  normal_font_color_ = Font()->Color();
  // clNone keeps the colour the edit has (the PIN field keeps its font colour).
  if (focus_color_ != clNone) SetColor(focus_color_);
  undo_text_ = Text();
  if (focus_font_color_ != clNone) Font()->SetColor(focus_font_color_);
  if (AutoSelect()) SelectAll();
  if (focus_border_ || focus_border_color_ != clNone) Invalidate();
  if (!EditMask().empty() && select_first_char_) {
    SetSelStart(0);
    SetSelLength(1);
  }
}

void TAdvMaskEdit::DoExit() {
  focused_ = false;
  TMaskEdit::DoExit();
  if (ComponentState() & csLoading) return;
  SetColor(normal_color_);
  Font()->SetColor(normal_font_color_);
  if (focus_border_ || focus_border_color_ != clNone) Invalidate();
}

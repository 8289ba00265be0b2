#include "controls/AdvMaskEdit.h"
#include <algorithm>
#include <functional>
#include "platform/ui/Forms.h"

namespace {
// The next focusable control after From in its form's tab order.
void FocusNextAfter(TWinControl* From) {
  TForm* form = From->ParentForm();
  if (!form) return;
  std::vector<TWinControl*> order;
  std::function<void(TWinControl*)> walk = [&](TWinControl* w) {
    std::vector<TWinControl*> kids;
    for (int i = 0; i < w->ControlCount(); ++i)
      if (auto* c = dynamic_cast<TWinControl*>(w->Controls(i))) kids.push_back(c);
    std::stable_sort(kids.begin(), kids.end(), [](TWinControl* a, TWinControl* b) { return a->TabOrder() < b->TabOrder(); });
    for (TWinControl* c : kids) {
      order.push_back(c);
      walk(c);
    }
  };
  walk(form);
  auto self = std::find(order.begin(), order.end(), From);
  if (self == order.end()) return;
  for (size_t n = 1; n < order.size(); ++n) {
    TWinControl* c = order[(static_cast<size_t>(self - order.begin()) + n) % order.size()];
    if (c->TabStop() && c->CanFocus()) {
      c->SetFocus();
      return;
    }
  }
}
}  // namespace

TAdvMaskEdit::TAdvMaskEdit(TComponent* AOwner) : TMaskEdit(AOwner), label_(this) {
  SetColor(clWindow);
  label_.SetCentresLabel(false);
}

TAdvMaskEdit::~TAdvMaskEdit() = default;

void TAdvMaskEdit::SetDisabledColor(TColor v) {
  disabled_color_ = v;
  if (!Enabled()) SetColor(v);
}

void TAdvMaskEdit::SetFlat(bool v) {
  if (v == flat_) return;
  flat_ = v;
  if (ComponentState() & csLoading) return;
  if (v) {
    normal_color_ = Color();
    if (flat_parent_color_ && Parent()) SetColor(Parent()->Color());
    flat_saved_border_ = BorderStyle();
    SetBorderStyle(bsNoBorder);
    SetMargins(LeftMargin() + 2, RightMargin() + 2);
  } else {
    SetColor(normal_color_);
    SetBorderStyle(flat_saved_border_);
    SetMargins(std::max(0, LeftMargin() - 2), std::max(0, RightMargin() - 2));
  }
}

bool TAdvMaskEdit::MaskFilled() const {
  if (EditMask().empty()) return false;
  AnsiString t = Text();
  AnsiString m = EditMask();
  char blank = m.size() >= 2 && m[m.size() - 2] == ';' ? m.back() : '_';
  return t.find(blank) == AnsiString::npos && SelStart() >= static_cast<int>(t.size());
}

void TAdvMaskEdit::KeyDown(WORD& Key, TShiftState Shift) {
  if (Key == VK_RETURN && return_is_tab_) {
    FocusNextAfter(this);
    Key = 0;
    return;
  }
  if (Key == VK_ESCAPE && can_undo_ && Alignment() != taLeftJustify) {
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
  if (auto_tab_ && accept) FocusNextAfter(this);
}

void TAdvMaskEdit::DoEnter() {
  TMaskEdit::DoEnter();
  if (ComponentState() & csLoading) return;
  normal_color_ = Color();
  normal_font_color_ = Font()->Color();
  SetColor(focus_color_);
  undo_text_ = Text();
  Font()->SetColor(focus_font_color_);
  if (AutoSelect()) SelectAll();
  if (!EditMask().empty() && select_first_char_) {
    SetSelStart(0);
    SetSelLength(1);
  }
}

void TAdvMaskEdit::DoExit() {
  TMaskEdit::DoExit();
  if (ComponentState() & csLoading) return;
  SetColor(normal_color_);
  Font()->SetColor(normal_font_color_);
}

void TAdvMaskEdit::Loaded() {
  TMaskEdit::Loaded();
  normal_color_ = Color();
  normal_font_color_ = Font()->Color();
  if (flat_) {
    flat_ = false;
    SetFlat(true);
  }
  if (!Enabled()) SetColor(disabled_color_);
  label_.ParentChanged();
  label_.EnabledChanged();
}

void TAdvMaskEdit::SetParent(TWinControl* AParent) {
  TMaskEdit::SetParent(AParent);
  label_.ParentChanged();
}

void TAdvMaskEdit::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  TMaskEdit::SetBounds(ALeft, ATop, AWidth, AHeight);
  label_.Place();
}

void TAdvMaskEdit::SetVisible(bool v) {
  TMaskEdit::SetVisible(v);
  label_.VisibleChanged();
}

void TAdvMaskEdit::SetEnabled(bool v) {
  if (v != Enabled() && !(ComponentState() & csLoading)) {
    if (!v) {
      normal_color_ = Color();
      SetColor(disabled_color_);
    } else {
      SetColor(normal_color_);
    }
  }
  TMaskEdit::SetEnabled(v);
  label_.EnabledChanged();
}

void TAdvMaskEdit::Notification(TComponent* AComponent, TOperation Operation) {
  TMaskEdit::Notification(AComponent, Operation);
  if (Operation == TOperation::opRemove) label_.Forget(AComponent);
}

void TAdvMaskEdit::MouseEnter() {
  hovered_ = true;
  if (auto_focus_ && CanFocus()) SetFocus();
  if (OnMouseEnter) OnMouseEnter(this);
}

void TAdvMaskEdit::MouseLeave() {
  hovered_ = false;
  if (OnMouseLeave) OnMouseLeave(this);
}

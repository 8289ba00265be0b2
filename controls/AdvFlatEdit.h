#pragma once
// What the typed edit and the mask edit share beyond their caption label: the disabled
// colour, the flat look (no border, the parent's colour), and the mouse entering and
// leaving (with focus on entering when asked).
#include <algorithm>
#include "controls/AdvEditLabel.h"

template <class Base>
class TFlatEdit : public TLabelledEdit<Base> {
 public:
  using TLabelledEdit<Base>::TLabelledEdit;

  TColor DisabledColor() const { return disabled_color_; }
  void SetDisabledColor(TColor v) {
    disabled_color_ = v;
    if (!this->Enabled()) this->SetColor(v);
  }
  bool DisabledBorder() const { return disabled_border_; }
  void SetDisabledBorder(bool v) { disabled_border_ = v; }
  bool Flat() const { return flat_; }
  void SetFlat(bool v) {
    if (v == flat_) return;
    flat_ = v;
    if (this->ComponentState() & csLoading) return;
    if (v) {
      normal_color_ = this->Color();
      if (flat_parent_color_ && this->Parent()) {
        this->SetColor(this->Parent()->Color());
        TookParentColor(this->Parent()->Color());
      }
      flat_saved_border_ = this->BorderStyle();
      this->SetBorderStyle(bsNoBorder);
      this->SetMargins(this->LeftMargin() + 2, this->RightMargin() + 2);
    } else {
      this->SetColor(normal_color_);
      this->SetBorderStyle(flat_saved_border_);
      this->SetMargins(std::max(0, this->LeftMargin() - 2), std::max(0, this->RightMargin() - 2));
    }
  }
  TColor FlatLineColor() const { return flat_line_color_; }
  void SetFlatLineColor(TColor v) { flat_line_color_ = v; }
  bool FlatParentColor() const { return flat_parent_color_; }
  void SetFlatParentColor(bool v) { flat_parent_color_ = v; }
  bool SoftBorder() const { return soft_border_; }
  void SetSoftBorder(bool v) { soft_border_ = v; }
  bool AutoFocus() const { return auto_focus_; }
  void SetAutoFocus(bool v) { auto_focus_ = v; }

  TNotifyEvent OnMouseEnter;
  TNotifyEvent OnMouseLeave;

  void Loaded() override {
    TLabelledEdit<Base>::Loaded();
    normal_color_ = this->Color();
    normal_font_color_ = this->Font()->Color();
    if (flat_) {
      flat_ = false;
      SetFlat(true);
    }
    if (!this->Enabled()) this->SetColor(disabled_color_);
    this->label_.ParentChanged();
    this->label_.EnabledChanged();
  }
  void SetEnabled(bool v) override {
    if (v != this->Enabled() && !(this->ComponentState() & csLoading)) {
      if (!v) {
        normal_color_ = this->Color();
        this->SetColor(disabled_color_);
      } else {
        this->SetColor(normal_color_);
      }
    }
    TLabelledEdit<Base>::SetEnabled(v);
    this->label_.EnabledChanged();
  }
  void MouseEnter() {
    hovered_ = true;
    if (auto_focus_ && this->CanFocus()) this->SetFocus();
    if (OnMouseEnter) OnMouseEnter(this);
  }
  void MouseLeave() {
    hovered_ = false;
    if (OnMouseLeave) OnMouseLeave(this);
  }

 protected:
  // The flat look took the parent's colour (the typed edit focuses in it too).
  virtual void TookParentColor(TColor) {}

  TColor disabled_color_ = clSilver, normal_color_ = clWindow, normal_font_color_ = clWindowText;
  bool disabled_border_ = true;
  bool flat_ = false, flat_parent_color_ = true, soft_border_ = false;
  TColor flat_line_color_ = clBlack;
  TBorderStyle flat_saved_border_ = bsSingleBorder;
  bool auto_focus_ = false, hovered_ = false;
};

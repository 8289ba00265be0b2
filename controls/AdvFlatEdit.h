#pragma once
// What the typed edit and the mask edit share beyond their caption label: the disabled
// colour, the flat look (no border, the parent's colour), and the mouse entering and
// leaving (with focus on entering when asked).
#include <algorithm>
#include "controls/AdvEditLabel.h"
#include "platform/graphics/Canvas.h"

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
  bool Hovered() const { return hovered_; }

  // The flat underline (or soft border) and the focus border, drawn over the edit.
  void PaintFlatLook(TCanvas& c, bool Focused, bool FocusBorder, TColor FocusBorderColor) {
    const int w = this->Width(), h = this->Height();
    const int left = this->LeftMargin(), right = this->RightMargin();
    if (flat_ && !FocusBorder) {
      c.Pen()->SetColor(this->Enabled() ? flat_line_color_ : clGray);
      c.Pen()->SetWidth(1);
      if (soft_border_) {
        c.Brush()->SetStyle(bsClear);
        c.Rectangle(std::max(0, left - 2), h - 4, w, h);
      } else {
        c.MoveTo(std::max(0, left - 2), h - 1);
        c.LineTo(w - right, h - 1);
      }
    }
    if (!FocusBorder) return;
    const TRect r(0, 0, w, h);
    c.Brush()->SetStyle(bsSolid);
    if (!this->Enabled()) {
      if (disabled_border_) {
        c.Brush()->SetColor(clSilver);
        c.FrameRect(r);
      }
    } else if (Focused && FocusBorderColor != clNone) {
      c.Brush()->SetColor(FocusBorderColor);
      c.FrameRect(r);
    } else if (Focused || hovered_) {
      // A sunken edge inside a button-face frame.
      c.Brush()->SetColor(clBtnFace);
      c.FrameRect(r);
      c.Pen()->SetColor(clBtnShadow);
      c.MoveTo(1, h - 2);
      c.LineTo(1, 1);
      c.LineTo(w - 1, 1);
      c.Pen()->SetColor(clBtnHighlight);
      c.MoveTo(1, h - 2);
      c.LineTo(w - 2, h - 2);
      c.LineTo(w - 2, 0);
    } else {
      c.Brush()->SetColor(this->Parent() ? this->Parent()->Color() : clBtnFace);
      c.FrameRect(r);
      c.FrameRect(TRect(1, 1, w - 1, h - 1));
    }
  }

 protected:
  // Disabled, the field shows the disabled colour (Color holds it then) behind the
  // style's greyed text.
  bool FieldColorWhenDisabled() const override { return true; }
  // The flat look took the parent's colour (the typed edit focuses in it too).
  virtual void TookParentColor(TColor) {}

  TColor disabled_color_ = clSilver, normal_color_ = clWindow, normal_font_color_ = clWindowText;
  bool disabled_border_ = true;
  bool flat_ = false, flat_parent_color_ = true, soft_border_ = false;
  TColor flat_line_color_ = clBlack;
  TBorderStyle flat_saved_border_ = bsSingleBorder;
  bool auto_focus_ = false, hovered_ = false;
};

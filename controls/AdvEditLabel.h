#pragma once
// The caption label attached to an edit (typed edit, mask edit, spin edit): a plain
// label on the edit's parent, owned by the edit, whose place follows the edit.
#include <memory>
#include "platform/stdctrls/StdCtrls.h"

enum TLabelPosition {
  lpLeftTop, lpLeftCenter, lpLeftBottom, lpTopLeft, lpBottomLeft,
  lpLeftTopLeft, lpLeftCenterLeft, lpLeftBottomLeft, lpTopCenter, lpBottomCenter
};

// Top-left corner of a label of size LabelW x LabelH for an edit at (L, T, W, H).
// Halves round toward zero.
TPoint EditLabelOrigin(TLabelPosition Pos, int L, int T, int W, int H, int LabelW, int LabelH, int Margin);

// Keeps the label of one edit: created on the first caption, placed on every move of
// the edit, its visibility and enabled state following the edit's.
class TEditLabelLink {
 public:
  explicit TEditLabelLink(TWinControl* Edit);
  ~TEditLabelLink();
  TEditLabelLink(const TEditLabelLink&) = delete;
  TEditLabelLink& operator=(const TEditLabelLink&) = delete;

  // nullptr until a caption is given.
  TLabel* Label() const { return label_; }
  AnsiString Caption() const;
  void SetCaption(const AnsiString& v);
  TLabelPosition Position() const { return position_; }
  void SetPosition(TLabelPosition v);
  int Margin() const { return margin_; }
  void SetMargin(int v);
  bool Transparent() const { return transparent_; }
  void SetTransparent(bool v);
  bool AlwaysEnabled() const { return always_enabled_; }
  void SetAlwaysEnabled(bool v);
  // Copied into the label whenever it changes.
  TFont* Font() { return &font_; }
  void SetBold(bool v);
  // Positions from lpTopCenter on are left alone when this is off (the mask edit).
  void SetCentresLabel(bool v) { centres_ = v; }

  // Calls from the edit.
  void Place();
  void ParentChanged();
  void VisibleChanged();
  void EnabledChanged();
  // The label was freed by someone else (its parent went first).
  void Forget(TComponent* c);

  TNotifyEvent OnLabelClick;
  TNotifyEvent OnLabelDblClick;

 private:
  void ApplyFont();
  TWinControl* edit_;
  TLabel* label_ = nullptr;
  TFont font_;
  TLabelPosition position_ = lpLeftTop;
  int margin_ = 4;
  bool transparent_ = false, always_enabled_ = false, centres_ = true, bold_ = false;
};

// An edit class with its caption label: the label follows the edit's parent, place and
// visibility, and is forgotten when something else frees it. The edits add what else
// their loading and enabling need.
template <class Base>
class TLabelledEdit : public Base {
 public:
  explicit TLabelledEdit(TComponent* AOwner) : Base(AOwner), label_(this) {}

  TEditLabelLink& EditLabel() { return label_; }

  void SetParent(TWinControl* AParent) override {
    Base::SetParent(AParent);
    label_.ParentChanged();
  }
  void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override {
    Base::SetBounds(ALeft, ATop, AWidth, AHeight);
    label_.Place();
  }
  void SetVisible(bool v) override {
    Base::SetVisible(v);
    label_.VisibleChanged();
  }
  void Notification(TComponent* AComponent, TOperation Operation) override {
    Base::Notification(AComponent, Operation);
    if (Operation == TOperation::opRemove) label_.Forget(AComponent);
  }

 protected:
  TEditLabelLink label_;
};

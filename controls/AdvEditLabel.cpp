#include "controls/AdvEditLabel.h"

TPoint EditLabelOrigin(TLabelPosition Pos, int L, int T, int W, int H, int LabelW, int LabelH, int M) {
  const int centred = W - LabelW >= 1 ? L + (W - LabelW) / 2 : L - (LabelW - W) / 2;
  switch (Pos) {
    case lpLeftTop: return TPoint(L - LabelW - M, T);
    case lpLeftCenter: return TPoint(L - LabelW - M, T + (H - LabelH) / 2);
    case lpLeftBottom: return TPoint(L - LabelW - M, T + H - LabelH);
    case lpTopLeft: return TPoint(L, T - LabelH - M);
    case lpBottomLeft: return TPoint(L, T + H + M);
    case lpLeftTopLeft: return TPoint(L - M, T);
    case lpLeftCenterLeft: return TPoint(L - M, T + (H - LabelH) / 2);
    case lpLeftBottomLeft: return TPoint(L - M, T + H - LabelH);
    case lpTopCenter: return TPoint(centred, T - LabelH - M);
    case lpBottomCenter: return TPoint(centred, T + H + M);
  }
  return TPoint(L, T);
}

TEditLabelLink::TEditLabelLink(TWinControl* Edit) : edit_(Edit) {}

TEditLabelLink::~TEditLabelLink() = default;  // the edit owns the label and frees it

AnsiString TEditLabelLink::Caption() const { return label_ ? label_->Caption() : AnsiString(); }

void TEditLabelLink::SetCaption(const AnsiString& v) {
  if (!label_) {
    label_ = new TLabel(edit_);
    label_->FreeNotification(edit_);
    label_->SetFocusControl(edit_);
    label_->OnClick = [this](TObject*) { if (OnLabelClick) OnLabelClick(edit_); };
    label_->OnDblClick = [this](TObject*) { if (OnLabelDblClick) OnLabelDblClick(edit_); };
    ApplyFont();
    label_->SetTransparent(transparent_);
    label_->SetParent(edit_->Parent());
    label_->SetVisible(edit_->Visible());
    label_->SetEnabled(edit_->Enabled() || always_enabled_);
  }
  label_->SetCaption(v);
  Place();
}

void TEditLabelLink::SetPosition(TLabelPosition v) { position_ = v; Place(); }
void TEditLabelLink::SetMargin(int v) { margin_ = v; Place(); }

void TEditLabelLink::SetTransparent(bool v) {
  transparent_ = v;
  if (label_) label_->SetTransparent(v);
}

void TEditLabelLink::SetAlwaysEnabled(bool v) { always_enabled_ = v; EnabledChanged(); }

void TEditLabelLink::SetBold(bool v) { bold_ = v; ApplyFont(); Place(); }

void TEditLabelLink::ApplyFont() {
  if (!label_) return;
  label_->Font()->Assign(&font_);
  TFontStyles s = font_.Style();
  if (bold_) s << fsBold;
  label_->Font()->SetStyle(s);
}

void TEditLabelLink::Place() {
  if (!label_) return;
  ApplyFont();
  if (!centres_ && (position_ == lpTopCenter || position_ == lpBottomCenter)) return;
  TPoint p = EditLabelOrigin(position_, edit_->Left(), edit_->Top(), edit_->Width(), edit_->Height(),
                             label_->Width(), label_->Height(), margin_);
  label_->SetBounds(p.x, p.y, label_->Width(), label_->Height());
  label_->SetTransparent(transparent_);
}

void TEditLabelLink::ParentChanged() {
  if (label_) label_->SetParent(edit_->Parent());
  Place();
}

void TEditLabelLink::VisibleChanged() {
  if (label_) label_->SetVisible(edit_->Visible());
}

void TEditLabelLink::EnabledChanged() {
  if (label_) label_->SetEnabled(edit_->Enabled() || always_enabled_);
}

void TEditLabelLink::Forget(TComponent* c) {
  if (c == label_) label_ = nullptr;
}

#include "platform/stdctrls/ExtCtrls.h"

#include <QWidget>
#include <algorithm>

#include "platform/ui/detail/QtControls.h"

void Frame3D(TCanvas* c, TRect& r, TColor topLeft, TColor bottomRight, int width) {
  for (int i = 0; i < width && !r.IsEmpty(); ++i) {
    c->Brush()->SetStyle(bsSolid);
    c->Brush()->SetColor(topLeft);
    c->FillRect(TRect(r.Left, r.Top, r.Right, r.Top + 1));
    c->FillRect(TRect(r.Left, r.Top, r.Left + 1, r.Bottom));
    c->Brush()->SetColor(bottomRight);
    c->FillRect(TRect(r.Left, r.Bottom - 1, r.Right, r.Bottom));
    c->FillRect(TRect(r.Right - 1, r.Top, r.Right, r.Bottom));
    r = TRect(r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1);
  }
}

// ---- TPanel ----

TPanel::TPanel(TComponent* AOwner) : TCustomControl(AOwner) { SetBounds(0, 0, 185, 41); }

void TPanel::Paint() {
  TCanvas* c = Canvas();
  TRect r = ClientRect();
  c->Brush()->SetStyle(bsSolid);
  c->Brush()->SetColor(Color());
  c->FillRect(r);
  auto bevel = [&](TPanelBevel b) {
    if (b == bvLowered) Frame3D(c, r, clBtnShadow, clBtnHighlight, bevel_width_);
    if (b == bvRaised) Frame3D(c, r, clBtnHighlight, clBtnShadow, bevel_width_);
    if (b == bvSpace) r = TRect(r.Left + bevel_width_, r.Top + bevel_width_, r.Right - bevel_width_, r.Bottom - bevel_width_);
  };
  bevel(bevel_outer_);
  r = TRect(r.Left + border_width_, r.Top + border_width_, r.Right - border_width_, r.Bottom - border_width_);
  bevel(bevel_inner_);
  if (Caption().empty()) return;
  c->Brush()->SetStyle(bsClear);
  c->Font()->Assign(Font());
  unsigned flags = DT_SINGLELINE | DT_VCENTER |
                   (alignment_ == taLeftJustify ? DT_LEFT : alignment_ == taRightJustify ? DT_RIGHT : DT_CENTER);
  c->DrawText(Caption(), r, flags);
}

// ---- TBevel ----

TBevel::TBevel(TComponent* AOwner) : TGraphicControl(AOwner) { SetBounds(0, 0, 50, 50); }

void TBevel::Paint() {
  TCanvas* c = Canvas();
  TColor a = style_ == bsLowered ? clBtnShadow : clBtnHighlight;
  TColor b = style_ == bsLowered ? clBtnHighlight : clBtnShadow;
  TRect r = ClientRect();
  c->Brush()->SetStyle(bsSolid);
  auto line = [&](TRect l, TColor col) {
    c->Brush()->SetColor(col);
    c->FillRect(l);
  };
  switch (shape_) {
    case bsBox: Frame3D(c, r, a, b, 1); break;
    case bsFrame: {
      TRect o = r;
      Frame3D(c, o, a, b, 1);
      TRect i = TRect(r.Left + 1, r.Top + 1, r.Right, r.Bottom);
      Frame3D(c, i, b, a, 1);
      break;
    }
    case bsTopLine: line(TRect(0, 0, r.Right, 1), a); line(TRect(0, 1, r.Right, 2), b); break;
    case bsBottomLine: line(TRect(0, r.Bottom - 2, r.Right, r.Bottom - 1), a); line(TRect(0, r.Bottom - 1, r.Right, r.Bottom), b); break;
    case bsLeftLine: line(TRect(0, 0, 1, r.Bottom), a); line(TRect(1, 0, 2, r.Bottom), b); break;
    case bsRightLine: line(TRect(r.Right - 2, 0, r.Right - 1, r.Bottom), a); line(TRect(r.Right - 1, 0, r.Right, r.Bottom), b); break;
    case bsSpacer: break;
  }
}

// ---- TShape ----

TShape::TShape(TComponent* AOwner) : TGraphicControl(AOwner) {
  SetBounds(0, 0, 65, 65);
  pen_.OnChange = [this](TObject*) { Invalidate(); };
  brush_.OnChange = [this](TObject*) { Invalidate(); };
}

void TShape::Paint() {
  TCanvas* c = Canvas();
  c->Pen()->Assign(&pen_);
  c->Brush()->Assign(&brush_);
  int pw = pen_.Width();
  int x = pw / 2, y = pw / 2;
  int w = Width() - pw + 1, h = Height() - pw + 1;
  if (pw == 0) { --w; --h; }
  if (shape_ == stSquare || shape_ == stRoundSquare || shape_ == stCircle) {
    int s = std::min(w, h);
    x += (w - s) / 2;
    y += (h - s) / 2;
    w = h = s;
  }
  switch (shape_) {
    case stRectangle: case stSquare: c->Rectangle(x, y, x + w, y + h); break;
    case stRoundRect: case stRoundSquare: c->RoundRect(x, y, x + w, y + h, std::min(w, h) / 4, std::min(w, h) / 4); break;
    case stEllipse: case stCircle: c->Ellipse(x, y, x + w, y + h); break;
  }
}

// ---- TImage ----

TImage::TImage(TComponent* AOwner) : TGraphicControl(AOwner) {
  SetBounds(0, 0, 105, 105);
  picture_.OnChange = [this](TObject*) { PictureChanged(); };
}

TImage::~TImage() { picture_.OnChange = nullptr; }

TCanvas* TImage::Canvas() {
  auto* bmp = dynamic_cast<TBitmap*>(picture_.Graphic());
  if (!bmp) {
    TBitmap fresh;
    fresh.SetSize(std::max(1, Width()), std::max(1, Height()));
    fresh.Canvas()->Brush()->SetColor(clWhite);
    fresh.Canvas()->FillRect(TRect(0, 0, fresh.Width(), fresh.Height()));
    picture_.SetGraphic(&fresh);
    bmp = dynamic_cast<TBitmap*>(picture_.Graphic());
  }
  // Drawing on the bitmap shows on the next paint.
  bmp->Canvas()->OnChange = [this](TObject*) { Invalidate(); };
  return bmp->Canvas();
}

void TImage::SetAutoSize(bool v) {
  auto_size_ = v;
  PictureChanged();
}

void TImage::PictureChanged() {
  if (auto_size_ && picture_.Width() > 0 && picture_.Height() > 0)
    SetBounds(Left(), Top(), picture_.Width(), picture_.Height());
  Invalidate();
}

void TImage::Paint() {
  TCanvas* c = TGraphicControl::Canvas();
  TGraphic* g = picture_.Graphic();
  if (!g || g->Width() == 0) return;
  TRect r;
  if (stretch_) {
    r = ClientRect();
  } else if (center_) {
    int x = (Width() - g->Width()) / 2, y = (Height() - g->Height()) / 2;
    r = Bounds(x, y, g->Width(), g->Height());
  } else {
    r = Bounds(0, 0, g->Width(), g->Height());
  }
  g->SetTransparent(transparent_);
  c->StretchDraw(r, g);
}

// ---- TPaintBox ----

TPaintBox::TPaintBox(TComponent* AOwner) : TGraphicControl(AOwner) { SetBounds(0, 0, 105, 105); }

void TPaintBox::Paint() {
  if (OnPaint) OnPaint(this);
}

// ---- TRadioGroup ----

TRadioGroup::TRadioGroup(TComponent* AOwner) : TGroupBox(AOwner), items_(std::make_unique<TStringList>()) {
  SetTabStop(true);
  items_->OnChange = [this](TObject*) { ItemsChanged(); };
}

TRadioGroup::~TRadioGroup() {
  items_->OnChange = nullptr;
  // The buttons have no owner: the group frees them.
  for (TRadioButton* b : buttons_) delete b;
  buttons_.clear();
}

void TRadioGroup::ItemsChanged() {
  // One button per item; buttons are children owned by the group.
  while (static_cast<int>(buttons_.size()) > items_->Count()) {
    delete buttons_.back();
    buttons_.pop_back();
  }
  while (static_cast<int>(buttons_.size()) < items_->Count()) {
    auto* b = new TRadioButton(nullptr);
    int index = static_cast<int>(buttons_.size());
    b->OnClick = [this, index](TObject*) {
      if (updating_) return;
      if (item_index_ != index) {
        item_index_ = index;
        UpdateButtonTabStops();
        Click();
      }
    };
    b->SetParent(this);
    buttons_.push_back(b);
  }
  updating_ = true;
  for (int i = 0; i < items_->Count(); ++i) {
    buttons_[static_cast<size_t>(i)]->SetCaption(items_->Strings(i));
    buttons_[static_cast<size_t>(i)]->SetChecked(i == item_index_);
  }
  updating_ = false;
  if (item_index_ >= items_->Count()) item_index_ = -1;
  UpdateButtonTabStops();
  ArrangeButtons();
}

void TRadioGroup::UpdateButtonTabStops() {
  // The checked button is the group's stop (it made itself one); with none checked the
  // first button is, so that the keyboard can still reach the group.
  if (item_index_ < 0 && !buttons_.empty()) buttons_.front()->SetTabStop(true);
  for (size_t i = item_index_ < 0 ? 1 : 0; i < buttons_.size(); ++i)
    buttons_[i]->SetTabStop(static_cast<int>(i) == item_index_);
}

void TRadioGroup::SetFocus() {
  for (TRadioButton* b : buttons_)
    if (b->TabStop() && b->CanFocus()) {
      b->SetFocus();
      return;
    }
  TGroupBox::SetFocus();
}

void TRadioGroup::ApplyTabStop() {
  // The frame itself never holds the focus; its buttons do.
  TGroupBox::ApplyTabStop();
  if (QWidget* w = ui::detail::WidgetOf(this)) w->setFocusPolicy(Qt::NoFocus);
}

void TRadioGroup::SetItemIndex(int v) {
  if (v < -1 || v >= items_->Count()) v = -1;
  item_index_ = v;
  updating_ = true;
  for (size_t i = 0; i < buttons_.size(); ++i) buttons_[i]->SetChecked(static_cast<int>(i) == v);
  updating_ = false;
  UpdateButtonTabStops();
}

void TRadioGroup::SetColumns(int v) {
  columns_ = std::clamp(v, 1, 16);
  ArrangeButtons();
}

void TRadioGroup::Resize() {
  TGroupBox::Resize();
  ArrangeButtons();
}

void TRadioGroup::InitWidget() {
  TGroupBox::InitWidget();
  ArrangeButtons();
}

void TRadioGroup::ArrangeButtons() {
  const int n = static_cast<int>(buttons_.size());
  if (n == 0) return;
  // Items fill the columns top to bottom, as many rows as the longest column needs.
  const int rows = (n + columns_ - 1) / columns_;
  const int top = std::max(14, FrameTop() + 2), bottom = 4, side = 8;
  const int colWidth = std::max(1, (Width() - side) / columns_);
  const int rowHeight = std::max(1, (Height() - top - bottom) / rows);
  for (int i = 0; i < n; ++i) {
    int col = i / rows, row = i % rows;
    buttons_[static_cast<size_t>(i)]->SetBounds(side + col * colWidth, top + row * rowHeight,
                                                colWidth - side, std::min(rowHeight, 17));
  }
}

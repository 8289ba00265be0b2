#include "controls/SBPro.h"

#include <algorithm>
#include "platform/rtl/SysUtils.h"
#include "platform/stdctrls/ExtCtrls.h"
#include "platform/stdctrls/Menus.h"
#include "platform/ui/Application.h"

namespace {

// Right-to-left alignment swaps the sense of left and right.
TAlignment EffectiveAlignment(const TStatusPanelPro* p) {
  const TAlignment a = p->Alignment();
  if (!TStatusBarPro::UseRightToLeftAlignment(p)) return a;
  return a == taLeftJustify ? taRightJustify : a == taRightJustify ? taLeftJustify : a;
}

}  // namespace

// ---- TStatusPanelPro ----

void TStatusPanelPro::Assign(TPersistent* Source) {
  auto* p = dynamic_cast<TStatusPanelPro*>(Source);
  if (p == nullptr) {
    TPersistent::Assign(Source);
    return;
  }
  alignment_ = p->alignment_;
  bevel_ = p->bevel_;
  bidi_mode_ = p->bidi_mode_;
  parent_bidi_ = p->parent_bidi_;
  hint_ = p->hint_;
  image_index_ = p->image_index_;
  popup_menu_ = p->popup_menu_;
  style_ = p->style_;
  text_ = p->text_;
  width_ = p->width_;
  color_ = p->color_;
  OnClick = p->OnClick;
  OnDblClick = p->OnDblClick;
  Changed(true);
}

void TStatusPanelPro::SetAlignment(TAlignment v) {
  if (v == alignment_) return;
  alignment_ = v;
  Changed(false);
}

void TStatusPanelPro::SetBevel(TStatusPanelBevel v) {
  if (v == bevel_) return;
  bevel_ = v;
  Changed(false);
}

TBiDiMode TStatusPanelPro::BiDiMode() const {
  if (parent_bidi_ && owner_ && owner_->Bar()) return owner_->Bar()->BiDiMode();
  return bidi_mode_;
}

void TStatusPanelPro::SetBiDiMode(TBiDiMode v) {
  bidi_mode_ = v;
  parent_bidi_ = false;
  Changed(false);
}

void TStatusPanelPro::SetParentBiDiMode(bool v) {
  if (v == parent_bidi_) return;
  parent_bidi_ = v;
  Changed(false);
}

void TStatusPanelPro::SetImageIndex(int v) {
  if (v == image_index_) return;
  image_index_ = v;
  Changed(false);
}

void TStatusPanelPro::SetStyle(TStatusPanelStyle v) {
  if (v == style_) return;
  style_ = v;
  Changed(false);
}

void TStatusPanelPro::SetText(const AnsiString& v) {
  if (v == text_) return;
  text_ = v;
  Changed(false);
}

void TStatusPanelPro::SetWidth(int v) {
  if (v == width_) return;
  width_ = v;
  Changed(true);
}

void TStatusPanelPro::SetColor(TColor v) {
  if (v == color_) return;
  color_ = v;
  Changed(false);
}

void TStatusPanelPro::SetPopupMenu(TPopupMenu* v) {
  popup_menu_ = v;
  if (v != nullptr && owner_ && owner_->Bar()) owner_->Bar()->FreeNotification(v);
}

int TStatusPanelPro::Index() const { return owner_ ? owner_->IndexOf(this) : -1; }

void TStatusPanelPro::Changed(bool Relayout) {
  if (owner_ && owner_->Bar()) owner_->Bar()->PanelChanged(this, Relayout);
}

// ---- TStatusPanelsPro ----

TStatusPanelPro* TStatusPanelsPro::Items(int i) const {
  if (i < 0 || i >= Count()) throw EListError("List index out of bounds (" + IntToStr(i) + ")");
  return items_[static_cast<size_t>(i)].get();
}

TStatusPanelPro* TStatusPanelsPro::Add() {
  items_.push_back(std::make_unique<TStatusPanelPro>(this));
  bar_->PanelChanged(nullptr, true);
  return items_.back().get();
}

void TStatusPanelsPro::Delete(int i) {
  TStatusPanelPro* p = Items(i);
  if (bar_->current_ == p) bar_->current_ = nullptr;
  items_.erase(items_.begin() + i);
  bar_->PanelChanged(nullptr, true);
}

void TStatusPanelsPro::Clear() {
  bar_->current_ = nullptr;
  items_.clear();
  bar_->PanelChanged(nullptr, true);
}

int TStatusPanelsPro::IndexOf(const TStatusPanelPro* p) const {
  for (size_t i = 0; i < items_.size(); ++i)
    if (items_[i].get() == p) return static_cast<int>(i);
  return -1;
}

// ---- TStatusBarPro ----

TStatusBarPro::TStatusBarPro(TComponent* AOwner) : TCustomControl(AOwner), panels_(this) {
  SetColor(clBtnFace);
  SetBounds(0, 0, 200, 19);
  SetAlign(alBottom);
  SetParentFont(false);
  ApplySystemFont();
  UpdatePanels();
}

TStatusBarPro::~TStatusBarPro() { SetImages(nullptr); }

void TStatusBarPro::SetImages(TImageList* v) {
  if (v == images_) return;
  if (images_ != nullptr) {
    images_->UnRegisterChanges(images_link_);
    images_->RemoveFreeNotification(this);
  }
  images_ = v;
  if (images_ != nullptr) {
    images_link_ = images_->RegisterChanges([this] { Invalidate(); });
    images_->FreeNotification(this);
  }
  Invalidate();
}

void TStatusBarPro::Notification(TComponent* AComponent, TOperation Operation) {
  TCustomControl::Notification(AComponent, Operation);
  if (Operation != TOperation::opRemove) return;
  if (AComponent == images_) {
    images_ = nullptr;
    Invalidate();
  }
  for (int i = 0; i < panels_.Count(); ++i)
    if (panels_.Items(i)->popup_menu_ == AComponent) panels_.Items(i)->popup_menu_ = nullptr;
}

TPopupMenu* TStatusBarPro::ContextMenu() const {
  if (current_ != nullptr && current_->PopupMenu() != nullptr) return current_->PopupMenu();
  return PopupMenu();
}

void TStatusBarPro::SetSimplePanel(bool v) {
  if (v == simple_panel_) return;
  simple_panel_ = v;
  Invalidate();
}

void TStatusBarPro::SetSimpleText(const AnsiString& v) {
  simple_text_ = v;
  Invalidate();
}

void TStatusBarPro::SetSizeGrip(bool v) {
  if (v == size_grip_) return;
  size_grip_ = v;
  Invalidate();
}

void TStatusBarPro::SetUseSystemFont(bool v) {
  if (v == use_system_font_) return;
  use_system_font_ = v;
  if (v) {
    SetParentFont(false);
    ApplySystemFont();
  }
}

TBiDiMode TStatusBarPro::BiDiMode() const {
  if (parent_bidi_) return Application->RightToLeftLayout() ? bdRightToLeft : bdLeftToRight;
  return bidi_mode_;
}

void TStatusBarPro::SetBiDiMode(TBiDiMode v) {
  if (v == bidi_mode_ && !parent_bidi_) return;
  bidi_mode_ = v;
  parent_bidi_ = false;
  UpdatePanels();
}

void TStatusBarPro::SetParentBiDiMode(bool v) {
  if (v == parent_bidi_) return;
  parent_bidi_ = v;
  UpdatePanels();
}

bool TStatusBarPro::UseRightToLeftAlignment(const TStatusPanelPro* Panel) {
  return Panel->BiDiMode() == bdRightToLeft && Application->RightToLeftLayout();
}

bool TStatusBarPro::UseRightToLeftReading(const TStatusPanelPro* Panel) {
  return Panel->BiDiMode() != bdLeftToRight && Application->RightToLeftLayout();
}

void TStatusBarPro::ApplySystemFont() {
  // The status font of the desktop the forms were laid out for.
  TFont f;
  f.SetName("Tahoma");
  f.SetHeight(-11);
  f.SetColor(Font()->Color());
  Font()->Assign(&f);
}

void TStatusBarPro::ParentFontChanged() {
  if (ParentFont() && use_system_font_) use_system_font_ = false;
  TCustomControl::ParentFontChanged();
}

void TStatusBarPro::UpdatePanels() {
  parts_.clear();
  const int n = std::min(panels_.Count(), MaxParts);
  int edge = 0;
  for (int i = 0; i < n; ++i) {
    edge += panels_.Items(i)->Width();
    parts_.push_back(i == n - 1 ? -1 : edge);
  }
  if (parts_.empty()) parts_.push_back(-1);
  for (int i = 0; i < panels_.Count(); ++i) SendPanel(panels_.Items(i));
  last_invalid_ = TRect();
  Invalidate();
}

void TStatusBarPro::SendPanel(TStatusPanelPro* Panel) { Panel->needs_sending_ = false; }

void TStatusBarPro::PanelChanged(TStatusPanelPro* Panel, bool Relayout) {
  if (Relayout || Panel == nullptr) {
    UpdatePanels();
    return;
  }
  Panel->needs_sending_ = true;
  last_invalid_ = PanelRect(Panel->Index());
  Invalidate();
}

void TStatusBarPro::Loaded() {
  TCustomControl::Loaded();
  UpdatePanels();
}

TRect TStatusBarPro::PanelRect(int i) const {
  if (i < 0 || i >= static_cast<int>(parts_.size()) || i >= panels_.Count()) return TRect();
  const int left = i == 0 ? 0 : parts_[static_cast<size_t>(i - 1)];
  const int edge = parts_[static_cast<size_t>(i)];
  const int right = edge < 0 ? std::max(left, Width()) : edge;
  return TRect(left, 2, right, Height());
}

int TStatusBarPro::PanelAtPos(int X, int Y) const {
  if (simple_panel_) return -1;
  for (int i = 0; i < std::min(panels_.Count(), MaxParts); ++i) {
    const TRect r = PanelRect(i);
    if (X >= r.Left && X < r.Right && Y >= 0 && Y < Height()) return i;
  }
  return -1;
}

AnsiString TStatusBarPro::PanelSendText(int i) const {
  const TStatusPanelPro* p = panels_.Items(i);
  const TAlignment a = EffectiveAlignment(p);
  const char* prefix = a == taRightJustify ? "\t\t" : a == taCenter ? "\t" : "";
  return prefix + p->Text();
}

unsigned TStatusBarPro::PanelSendFlags(int i) const {
  const TStatusPanelPro* p = panels_.Items(i);
  unsigned flags = SBT_OWNERDRAW;
  if (p->Bevel() == pbNone) flags |= SBT_NOBORDERS;
  else if (p->Bevel() == pbRaised) flags |= SBT_POPOUT;
  if (UseRightToLeftReading(p)) flags |= SBT_RTLREADING;
  return flags;
}

AnsiString TStatusBarPro::CurrentHint() const {
  if (current_ != nullptr && !current_->Hint().empty()) return current_->Hint();
  return Hint();
}

bool TStatusBarPro::DoHint() {
  if (!OnHint) return false;
  OnHint(this);
  return true;
}

void TStatusBarPro::ShowApplicationHint(const AnsiString& HintText) {
  if (!auto_hint_ || DoHint()) return;
  if (panels_.Count() > 0 && !simple_panel_) panels_.Items(0)->SetText(HintText);
  else SetSimpleText(HintText);
}

void TStatusBarPro::FlipChildren() {
  const int n = panels_.Count();
  if (n < 2) return;
  std::reverse(panels_.items_.begin(), panels_.items_.end());
  int others = 0;
  for (int i = 0; i < n - 1; ++i) others += panels_.Items(i)->Width();
  panels_.Items(n - 1)->width_ = std::max(0, ClientWidth() - others);
  UpdatePanels();
}

void TStatusBarPro::DrawPanel(TStatusPanelPro* Panel, const TRect& R) {
  TCanvas* c = Canvas();
  if (Panel->Style() == psOwnerDraw && OnDrawPanel) {
    OnDrawPanel(this, Panel, R);
    return;
  }
  const bool rtl = UseRightToLeftAlignment(Panel);
  const TAlignment a = EffectiveAlignment(Panel);
  const bool image = images_ != nullptr && Panel->ImageIndex() >= 0 && Panel->ImageIndex() < images_->Count();
  const int imageWidth = image ? images_->Width() : 0;
  // The image and its 2-pixel gap belong to the block, so right-aligned text stays inside
  // the panel.
  const int gap = image ? 2 : 0;
  const int tw = c->TextWidth(Panel->Text());
  const int block = imageWidth + gap + tw;
  int x = a == taLeftJustify    ? R.Left + 1
          : a == taRightJustify ? R.Right - 1 - block
                                : R.Left + (R.Width() - tw - imageWidth) / 2;
  c->Brush()->SetStyle(bsSolid);
  c->Brush()->SetColor(Panel->Color());
  c->FillRect(R);
  // Left to right the image comes first; right to left it follows the text.
  int textX = x + imageWidth + gap, imageX = x;
  if (rtl) {
    textX = x;
    imageX = x + tw + gap;
  }
  if (image) images_->Draw(c, imageX, R.Top + (R.Height() - images_->Height()) / 2, Panel->ImageIndex());
  const int y = R.Top + (R.Height() - c->TextHeight(Panel->Text())) / 2;
  c->Brush()->SetStyle(bsClear);
  const unsigned flags = c->TextFlags();
  if (UseRightToLeftReading(Panel)) c->SetTextFlags(flags | ETO_RTLREADING);
  c->TextOut(textX, y, Panel->Text());
  c->SetTextFlags(flags);
}

void TStatusBarPro::Paint() {
  for (int i = 0; i < panels_.Count(); ++i)
    if (panels_.Items(i)->needs_sending_) SendPanel(panels_.Items(i));
  TCanvas* c = Canvas();
  c->Brush()->SetStyle(bsSolid);
  c->Brush()->SetColor(Color());
  c->FillRect(ClientRect());
  c->Font()->Assign(Font());
  if (simple_panel_) {
    c->Brush()->SetStyle(bsClear);
    TRect r(2, 2, Width() - 2, Height());
    c->DrawText(simple_text_, r, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    return;
  }
  for (int i = 0; i < std::min(panels_.Count(), MaxParts); ++i) {
    TStatusPanelPro* p = panels_.Items(i);
    TRect r = PanelRect(i);
    r.Right -= 2;  // panels sit two pixels apart
    if (r.IsEmpty()) continue;
    if (p->Bevel() == pbLowered) Frame3D(c, r, clBtnShadow, clBtnHighlight, 1);
    else if (p->Bevel() == pbRaised) Frame3D(c, r, clBtnHighlight, clBtnShadow, 1);
    else r = TRect(r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1);
    c->Brush()->SetColor(Color());
    DrawPanel(p, r);
  }
}

void TStatusBarPro::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  if (Button == mbLeft || Button == mbRight) {
    const int i = PanelAtPos(X, Y);
    current_ = i >= 0 ? panels_.Items(i) : nullptr;
  }
  TCustomControl::MouseDown(Button, Shift, X, Y);
  if (Button == mbRight) {
    if (TPopupMenu* m = ContextMenu()) {
      m->SetPopupComponent(this);
      const TPoint p = ClientToScreen(TPoint(X, Y));
      m->Popup(p.x, p.y);
    }
  }
}

void TStatusBarPro::MouseMove(TShiftState Shift, int X, int Y) {
  const int i = PanelAtPos(X, Y);
  if (i != hint_panel_) {
    // Each panel has its own hint: the shown one goes when the mouse reaches another panel.
    if (hint_panel_ != -1 && ShowHint()) ui::CancelHint();
    hint_panel_ = i;
  }
  TCustomControl::MouseMove(Shift, X, Y);
}

bool TStatusBarPro::GetHintInfo(TPoint Pos, THintInfo& Info) {
  const int i = PanelAtPos(Pos.x, Pos.y);
  const TStatusPanelPro* p = i >= 0 ? panels_.Items(i) : nullptr;
  Info.HintStr = p != nullptr && !p->Hint().empty() ? p->Hint() : Hint();
  if (p != nullptr) Info.CursorRect = PanelRect(i);
  return !Info.HintStr.empty();
}

void TStatusBarPro::Click() {
  if (current_ != nullptr && current_->OnClick) current_->OnClick(current_);
  else TCustomControl::Click();
}

void TStatusBarPro::DblClick() {
  if (current_ != nullptr && current_->OnDblClick) current_->OnDblClick(current_);
  else TCustomControl::DblClick();
}

void TStatusBarPro::Resize() {
  TCustomControl::Resize();
  Invalidate();
}

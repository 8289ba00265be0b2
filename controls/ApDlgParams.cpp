#include "controls/ApDlgParams.h"

#include "platform/rtl/TextUtils.h"
#include "platform/ui/Application.h"

// ---- TApPosParams / TApDlgCaptions ----

void TApPosParams::Assign(TPersistent* Source) {
  auto* p = dynamic_cast<TApPosParams*>(Source);
  if (p == nullptr) return TPersistent::Assign(Source);
  ShiftX = p->ShiftX;
  ShiftY = p->ShiftY;
  form_name_ = p->form_name_;
  form_ = p->form_;
  FitToScreen = p->FitToScreen;
}

void TApPosParams::SetFormName(const AnsiString& v) {
  form_name_ = v;
  form_ = nullptr;
}

TForm* TApPosParams::Form() {
  if (form_ == nullptr) form_ = FindFormByName(form_name_);
  return form_;
}

void TApDlgCaptions::Assign(TPersistent* Source) {
  auto* c = dynamic_cast<TApDlgCaptions*>(Source);
  if (c == nullptr) return TPersistent::Assign(Source);
  OK = c->OK;
  Cancel = c->Cancel;
  Help = c->Help;
}

// ---- placing ----

TForm* FindFormByName(const AnsiString& Name) {
  if (Name.empty() || Application == nullptr) return nullptr;
  const AnsiString wanted = UpperCase("T" + Name);
  for (int i = 0; i < Application->ComponentCount(); ++i) {
    auto* f = dynamic_cast<TForm*>(Application->Components(i));
    if (f != nullptr && UpperCase(f->ClassName()) == wanted) return f;
  }
  return nullptr;
}

TRect FitRectToScreen(TRect D, TRect Screen) {
  const int w = D.Width(), h = D.Height();
  if (D.Right > Screen.Right) D.Left = Screen.Right - w;
  if (D.Left < Screen.Left) D.Left = Screen.Left;
  if (D.Bottom > Screen.Bottom) D.Top = Screen.Bottom - h;
  if (D.Top < Screen.Top) D.Top = Screen.Top;
  return TRect(D.Left, D.Top, D.Left + w, D.Top + h);
}

TRect PositionDialogRect(TRect D, TApDlgPosition Mode, const TRect* Ref, TRect Screen, int ShiftX, int ShiftY,
                         bool FitToScreen) {
  const int w = D.Width(), h = D.Height();
  auto moveTo = [&](int l, int t) { D = TRect(l, t, l + w, t + h); };
  if (Mode != dpDefault) {
    if (Ref == nullptr) {
      moveTo(Screen.Left + (Screen.Width() - w) / 2, Screen.Top + (Screen.Height() - h) / 2);
      D = FitRectToScreen(D, Screen);
    } else {
      // Moved by the difference of the two centres.
      const int dx = (D.Left + w / 2) - (Ref->Left + Ref->Width() / 2);
      const int dy = (D.Top + h / 2) - (Ref->Top + Ref->Height() / 2);
      moveTo(D.Left - dx, D.Top - dy);
    }
  }
  moveTo(D.Left + ShiftX, D.Top + ShiftY);
  if (FitToScreen) D = FitRectToScreen(D, Screen);
  return D;
}

// ---- TApCustDlgParams ----

void TApCustDlgParams::Assign(TPersistent* Source) {
  auto* p = dynamic_cast<TApCustDlgParams*>(Source);
  if (p == nullptr) return TPersistent::Assign(Source);
  for (int i = 0; i < kCount; ++i) {
    names_[i] = p->names_[i];
    forms_[i] = p->forms_[i];
  }
  Position = p->Position;
  CallerPlacesForms = p->CallerPlacesForms;
  pos_params_.Assign(&p->pos_params_);
}

void TApCustDlgParams::SetName(int i, const AnsiString& v) {
  names_[i] = v;
  forms_[i] = nullptr;
}

TForm* TApCustDlgParams::Resolve(int i) {
  if (forms_[i] == nullptr) forms_[i] = FindFormByName(names_[i]);
  return forms_[i];
}

TApDockLayout TApCustDlgParams::ResizeLayout(int W, int H) {
  TForm* l = LeftForm();
  TForm* t = TopForm();
  TForm* r = RightForm();
  TForm* b = BottomForm();
  const int lw = l ? l->Width() : 0, th = t ? t->Height() : 0, rw = r ? r->Width() : 0, bh = b ? b->Height() : 0;
  TApDockLayout d;
  if (l) d.Left = TRect(0, 0, lw, H - bh);
  if (t) d.Top = TRect(lw, 0, W - rw, th);
  if (r) d.Right = TRect(W - rw, 0, W, H - bh);
  if (b) d.Bottom = TRect(0, H - bh, W, H);
  d.ChildShiftX = l ? lw + kDlgFrameWidth : 0;
  d.ChildShiftY = t ? th + kDlgFrameHeight : 0;
  d.ExtraWidth = lw + rw;
  d.ExtraHeight = th + bh;
  return d;
}

TApDockLayout TApCustDlgParams::AttachLayout(int Cw, int Ch) {
  TApDockLayout d = ResizeLayout(0, 0);
  return ResizeLayout(Cw + d.ExtraWidth, Ch + d.ExtraHeight);
}

TApDockLayout TApCustDlgParams::Attach(int Cw, int Ch) {
  for (TForm* f : {LeftForm(), TopForm(), RightForm(), BottomForm(), CustForm()})
    if (f != nullptr) f->SetBorderStyle(bsNone);
  pos_params_.Form();
  const TApDockLayout d = AttachLayout(Cw, Ch);
  if (!CallerPlacesForms) {
    auto place = [](TForm* f, const TRect& r) {
      if (f != nullptr) f->SetBounds(r.Left, r.Top, r.Width(), r.Height());
    };
    place(LeftForm(), d.Left);
    place(TopForm(), d.Top);
    place(RightForm(), d.Right);
    place(BottomForm(), d.Bottom);
  }
  extra_w_ = d.ExtraWidth;
  extra_h_ = d.ExtraHeight;
  last_w_ = Cw + extra_w_;
  last_h_ = Ch + extra_h_;
  change_ = TPoint(0, 0);
  return d;
}

void TApCustDlgParams::Resize(int W, int H) {
  const TApDockLayout d = ResizeLayout(W, H);
  auto place = [](TForm* f, const TRect& r) {
    if (f != nullptr) f->SetBounds(r.Left, r.Top, r.Width(), r.Height());
  };
  place(LeftForm(), d.Left);
  place(TopForm(), d.Top);
  place(RightForm(), d.Right);
  place(BottomForm(), d.Bottom);
  change_ = TPoint(change_.x + W - last_w_, change_.y + H - last_h_);
  last_w_ = W;
  last_h_ = H;
}

TPoint TApCustDlgParams::Detach() {
  for (TForm* f : {BottomForm(), TopForm(), LeftForm(), RightForm(), CustForm()})
    if (f != nullptr) f->SetVisible(false);
  const TPoint shrink(extra_w_, extra_h_);
  extra_w_ = extra_h_ = 0;
  return shrink;
}

TRect TApCustDlgParams::PositionRect(TRect D, TRect Screen) {
  TRect ref;
  const TRect* refp = nullptr;
  auto use = [&](TControl* c) {
    if (c == nullptr) return false;
    ref = c->BoundsRect();
    refp = &ref;
    return true;
  };
  switch (Position) {
    case dpFormCenter:
      if (use(pos_params_.Form())) break;
      [[fallthrough]];
    case dpOwnerCenter:
      if (Position == dpOwnerCenter && dialog_ != nullptr && use(dynamic_cast<TForm*>(dialog_->Owner()))) break;
      [[fallthrough]];
    case dpMainFormCenter:
      use(Application ? Application->MainForm() : nullptr);
      break;
    default:
      break;
  }
  return PositionDialogRect(D, Position, refp, Screen, pos_params_.ShiftX, pos_params_.ShiftY, pos_params_.FitToScreen);
}

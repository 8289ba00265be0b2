#include "platform/ui/Forms.h"

#include <algorithm>
#include <vector>

#include <QApplication>
#include <QGuiApplication>
#include <QMenuBar>
#include <QScreen>
#include <QWidget>

#include "platform/ui/Application.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/FocusOrder.h"
#include "platform/ui/MessageQueue.h"
#include "platform/streaming/ClassProps.h"
#include "platform/ui/detail/QtControls.h"

using ui::detail::WidgetOf;

namespace {
// Forms shown modally, the innermost last.
std::vector<TForm*> g_modals;
// Windows minimised because the modal form was, with their serials (a window freed
// meanwhile is left alone).
std::vector<std::pair<TForm*, uint64_t>> g_minimisedWithModal;
bool g_restoring = false;

bool Minimised(TForm* f) {
  QWidget* w = WidgetOf(f);
  return w != nullptr && (w->windowState() & Qt::WindowMinimized);
}

// The modal form was minimised: the whole program goes with it, as one application does.
void MinimiseProgramWith(TForm* modal) {
  for (int i = 0; i < Screen->FormCount(); ++i) {
    TForm* f = Screen->Forms(i);
    QWidget* w = WidgetOf(f);
    if (f == modal || !f->Visible() || w == nullptr || !w->isWindow() || Minimised(f)) continue;
    g_minimisedWithModal.emplace_back(f, f->impl().serial);
    w->setWindowState(w->windowState() | Qt::WindowMinimized);
  }
}
}  // namespace

TForm* ui::ModalForm() { return g_modals.empty() ? nullptr : g_modals.back(); }

void ui::ProgramShownAgain() {
  TForm* modal = ModalForm();
  if (modal == nullptr || g_restoring || (!Minimised(modal) && g_minimisedWithModal.empty())) return;
  g_restoring = true;
  // The windows minimised with it come back in the state they had (maximised or normal),
  // then the modal form, last, so it lies on top of them.
  const auto others = std::move(g_minimisedWithModal);
  g_minimisedWithModal.clear();
  for (const auto& [f, serial] : others) {
    if (!ui::detail::ControlAlive(f, serial) || !f->Visible()) continue;
    if (QWidget* w = WidgetOf(f); w && (w->windowState() & Qt::WindowMinimized))
      w->setWindowState(w->windowState() & ~Qt::WindowMinimized);
  }
  QWidget* w = WidgetOf(modal);
  w->setWindowState((w->windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
  w->show();
  w->raise();
  w->activateWindow();
  g_restoring = false;
}

TForm::TForm(TComponent* AOwner) : TWinControl(AOwner), canvas_(std::make_unique<TCanvas>()) {
  SetVisibleField(false);
  SetBoundsFields(0, 0, 320, 240);
  canvas_->OnChange = [this](TObject*) {
    if (!impl().inPaint)
      if (QWidget* w = impl().widget) w->update();
  };
  Screen->AddForm(this);
}

TForm::~TForm() {
  std::erase(g_modals, this);
  if (ForgetReference) ForgetReference();
  BeforeDestruction();
  Screen->RemoveForm(this);
  Application->UnregisterForm(this);
}

void TForm::AfterConstruction() {
  if (created_) return;
  created_ = true;
  if (OnCreate) OnCreate(this);
  if (show_after_create_) {
    show_after_create_ = false;
    Show();
  }
}

void TForm::BeforeDestruction() {
  TWinControl::BeforeDestruction();
  if (destroyed_event_) return;
  destroyed_event_ = true;
  // A handler the form resource bound is closed now the form is destroying: OnDestroy
  // goes past that guard.
  if (const auto* bound = OnDestroy.target<TNamedHandler<void, TObject*>>()) bound->Call(this);
  else if (OnDestroy) OnDestroy(this);
}

void TForm::CreateHandle() {
  auto* w = new ui::detail::ControlWidget(this, nullptr);
  w->setAttribute(Qt::WA_DeleteOnClose, false);
  ui::detail::InstallWidget(this, w);
}

namespace {
void AttachMenuBar(TForm* form, TMainMenu* menu);
}  // namespace

void TForm::InitWidget() {
  ApplyWindowFlags();
  TWinControl::InitWidget();
  if (menu_) AttachMenuBar(this, menu_);
  // The caption may have been set (by the form resource or in code) before the window
  // existed: the window carries it from its first show.
  if (QWidget* w = impl().widget) w->setWindowTitle(gfx::ToQString(Caption()));
}

bool TForm::DialogKey(WORD Key, TShiftState Shift) {
  if (TWinControl::DialogKey(Key, Shift)) return true;
  if (Key == VK_ESCAPE && Modal()) {
    SetModalResult(mrCancel);
    return true;
  }
  return false;
}

void TForm::ApplyWindowFlags() {
  QWidget* w = impl().widget;
  if (!w) return;
  Qt::WindowFlags flags = Qt::Window;
  switch (border_style_) {
    case bsNone: flags |= Qt::FramelessWindowHint; break;
    case bsDialog: flags = Qt::Dialog; break;
    case bsToolWindow:
    case bsSizeToolWin: flags = Qt::Tool; break;
    default: break;
  }
  if (border_style_ != bsNone) {
    flags |= Qt::CustomizeWindowHint | Qt::WindowTitleHint;
    if (border_icons_.Contains(biSystemMenu)) flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
    if (border_icons_.Contains(biMinimize) && border_style_ != bsDialog) flags |= Qt::WindowMinimizeButtonHint;
    if (border_icons_.Contains(biMaximize) && (border_style_ == bsSizeable)) flags |= Qt::WindowMaximizeButtonHint;
  }
  const bool wasVisible = w->isVisible();
  w->setWindowFlags(flags);
  ApplyBounds();
  if (wasVisible) w->show();
}

void TForm::ApplyBounds() {
  QWidget* w = impl().widget;
  if (!w) return;
  // A form docked inside another window by the window system's layout (a file dialog's
  // side forms) is sized by that layout: no window limits of its own to apply.
  if (!w->isWindow() && Parent() == nullptr) return TControl::ApplyBounds();
  const QSize frame = w->frameGeometry().size() - w->geometry().size();
  const QSize client(std::max(0, Width() - frame.width()), std::max(0, Height() - frame.height()));
  impl().applyingBounds = true;
  w->move(Left(), Top());
  // Fixed borders keep the window from being resized by the user.
  if (border_style_ == bsSingle || border_style_ == bsDialog || border_style_ == bsToolWindow)
    w->setFixedSize(client);
  else {
    // The limits are outer sizes; the window system applies them to the client area.
    auto inner = [](int outer, int frame, int none) { return outer > 0 ? std::max(0, outer - frame) : none; };
    w->setMinimumSize(inner(min_w_, frame.width(), 0), inner(min_h_, frame.height(), 0));
    w->setMaximumSize(inner(max_w_, frame.width(), QWIDGETSIZE_MAX), inner(max_h_, frame.height(), QWIDGETSIZE_MAX));
    w->resize(client);
  }
  impl().applyingBounds = false;
}

int TForm::ClientWidth() const {
  QWidget* w = impl().widget;
  if (w && w->isWindow()) return w->isVisible() ? w->width() : Width() - (w->frameGeometry().width() - w->width());
  return Width();
}

int TForm::ClientHeight() const {
  QWidget* w = impl().widget;
  int h = Height();
  if (w && w->isWindow()) h = w->isVisible() ? w->height() : Height() - (w->frameGeometry().height() - w->height());
  return std::max(0, h - menu_bar_height_);
}

namespace {
ui::TMainMenuHook g_menu_hook = nullptr;
}  // namespace

void ui::SetMainMenuHook(TMainMenuHook Hook) { g_menu_hook = Hook; }

namespace {
// The menu's bar is made with the form's window: the hook, given the form's own menu as
// both old and new, attaches it.
void AttachMenuBar(TForm* form, TMainMenu* menu) {
  if (g_menu_hook != nullptr) g_menu_hook(form, menu, menu);
}
}  // namespace

void TForm::SetMenu(TMainMenu* m) {
  if (m == menu_) return;
  if (g_menu_hook == nullptr) throw EInvalidOperation("No menus are available to show on a form");
  TMainMenu* old = menu_;
  menu_ = m;
  try {
    menu_component_ = g_menu_hook(this, old, m);
  } catch (...) {
    menu_ = old;
    throw;
  }
  if (m == nullptr) SetMenuBarHeight(0);
}

void TForm::SetMenuBarHeight(int h) {
  h = std::max(0, h);
  if (h == menu_bar_height_) return;
  const int grow = h - menu_bar_height_;
  menu_bar_height_ = h;
  // A window given its client size before it first goes on the screen keeps that size:
  // the bar takes its room above it and the window grows. Otherwise (a window already on
  // the screen, or one given its outer size) the bar takes room from the client area, as
  // the window system does.
  if (!placed_ && client_size_set_) SetBounds(Left(), Top(), Width(), Height() + grow);
  ApplyChildBounds();
  Realign();
}

void TForm::Notification(TComponent* AComponent, TOperation Operation) {
  TWinControl::Notification(AComponent, Operation);
  if (Operation == TOperation::opRemove && AComponent != nullptr && AComponent == menu_component_) {
    menu_ = nullptr;
    menu_component_ = nullptr;
    SetMenuBarHeight(0);
  }
}

void TForm::SetClientSize(int cw, int ch) {
  const int fw = Width() - ClientWidth(), fh = Height() - ClientHeight();
  SetBounds(Left(), Top(), cw + fw, ch + fh);
  if (!placed_) client_size_set_ = true;
}

void TForm::SetBorderStyle(TFormBorderStyle v) {
  border_style_ = v;
  ApplyWindowFlags();
}

void TForm::SetBorderIcons(TBorderIcons v) {
  border_icons_ = v;
  ApplyWindowFlags();
}

void TForm::SetText(const AnsiString& v) {
  TWinControl::SetText(v);
  if (QWidget* w = impl().widget) w->setWindowTitle(gfx::ToQString(v));
}

void TForm::SetWindowState(TWindowState v) {
  const bool changed = v != window_state_;
  window_state_ = v;
  QWidget* w = impl().widget;
  if (w && Visible()) {
    switch (v) {
      case wsNormal: w->showNormal(); break;
      case wsMinimized: w->showMinimized(); break;
      case wsMaximized: w->showMaximized(); break;
    }
    if (v == wsMinimized && changed && modal_ && ui::ModalForm() == this) MinimiseProgramWith(this);
  }
  if (changed) NotifyObservers(TNotice::StateChanged);
}

void TForm::WindowStateChangedBySystem(TWindowState v) {
  if (v == window_state_) return;
  window_state_ = v;
  // A minimised modal form would leave windows on the screen that take no input.
  if (v == wsMinimized && modal_ && ui::ModalForm() == this) MinimiseProgramWith(this);
  NotifyObservers(TNotice::StateChanged);
}

void TForm::SetSizeLimits(int MinWidth, int MinHeight, int MaxWidth, int MaxHeight) {
  min_w_ = std::max(0, MinWidth);
  min_h_ = std::max(0, MinHeight);
  max_w_ = std::max(0, MaxWidth);
  max_h_ = std::max(0, MaxHeight);
  // A window outside the new limits is brought inside them.
  const int w = Width(), h = Height();
  SetBounds(Left(), Top(), w, h);
  if (w == Width() && h == Height()) ApplyBounds();
}

void TForm::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
  if (border_style_ == bsSizeable || border_style_ == bsSizeToolWin || border_style_ == bsNone) {
    if (min_w_ > 0) AWidth = std::max(AWidth, min_w_);
    if (min_h_ > 0) AHeight = std::max(AHeight, min_h_);
    if (max_w_ > 0) AWidth = std::min(AWidth, max_w_);
    if (max_h_ > 0) AHeight = std::min(AHeight, max_h_);
  }
  TWinControl::SetBounds(ALeft, ATop, AWidth, AHeight);
}

void TForm::SetPlacement(int ALeft, int ATop, int AWidth, int AHeight) {
  placement_ = Bounds(ALeft, ATop, AWidth, AHeight);
  placement_pending_ = true;
  SetBounds(ALeft, ATop, AWidth, AHeight);
  FrameKnown();
}

void TForm::FrameKnown() {
  if (!placement_pending_) return;
  QWidget* w = impl().widget;
  if (!w || !w->isVisible()) return;
  const QSize frame = w->frameGeometry().size() - w->geometry().size();
  if (frame.isEmpty() && border_style_ != bsNone) return;  // not told yet
  placement_pending_ = false;
  // The bounds read back from the window include the frame now: set the outer size again.
  SetBoundsFields(placement_.Left, placement_.Top, 0, 0);
  SetBounds(placement_.Left, placement_.Top, placement_.Width(), placement_.Height());
}

bool TForm::Active() const { return Screen->ActiveForm() == this; }

void TForm::SetActiveControl(TWinControl* c) {
  if (c && !ContainsControl(c)) throw EInvalidOperation("Invalid parameter: control is not on the form");
  if (c && Visible() && c->CanFocus()) {
    c->SetFocus();
    return;
  }
  active_control_ = c;
}

void TForm::SetFocusedControl(TWinControl* c) {
  if (focus_moving_) {
    // An exit or enter handler asks for the focus while it moves. The first such request
    // is taken once that handler returns; one made by the handlers of that second move is
    // refused, so that two controls that each want the focus back (two fields holding bad
    // numbers) cannot pass it to and fro for ever.
    if (focus_redirected_) focus_refused_ = true;
    else focus_asked_for_ = c, focus_asked_ = true;
    return;
  }
  if (c == active_control_) return;
  focus_redirected_ = focus_refused_ = false;
  {
    // Reset however the round ends: a handler's exception goes on to the exception box.
    struct Moving {
      bool& flag;
      explicit Moving(bool& f) : flag(f) { flag = true; }
      ~Moving() { flag = false; }
    } moving(focus_moving_);
    MoveFocus(active_control_, c);
  }
  // A refused request may have moved the window system's focus already: it goes back to
  // the control the form holds as focused.
  if (focus_refused_ && active_control_ != nullptr && Visible() && active_control_->CanFocus()) {
    QWidget* w = WidgetOf(active_control_);
    QWidget* win = impl().widget;
    QWidget* now = win != nullptr ? win->focusWidget() : nullptr;
    if (w != nullptr && now != w && (now == nullptr || !w->isAncestorOf(now))) w->setFocus(Qt::OtherFocusReason);
  }
}

void TForm::MoveFocus(TWinControl* old, TWinControl* c) {
  // The focus leaves the old control and every container of it that does not hold the new
  // one (a grid learns that the focus left its cell editor), innermost first; it enters the
  // containers of the new control that did not hold the old one, outermost first, then the
  // control. A handler that asks for the focus ends this round; the focus then goes where
  // it asked from where it stands: back to the old control when the new one was not
  // entered yet (a field that keeps the focus for its bad number), else on from the new.
  const auto holds = [](const TWinControl* p, const TWinControl* x) {
    return x != nullptr && (p == x || p->ContainsControl(x));
  };
  std::vector<TWinControl*> exited;
  const auto wasExited = [&](TWinControl* p) { return std::find(exited.begin(), exited.end(), p) != exited.end(); };
  for (;;) {
    active_control_ = c;
    focus_asked_ = false;
    bool entering = false;
    for (TWinControl* p = old; p && p != this && !holds(p, c) && !focus_asked_; p = p->Parent()) {
      if (wasExited(p)) continue;
      exited.push_back(p);
      p->DoExit();
    }
    if (!focus_asked_ && c != nullptr) {
      entering = true;
      std::vector<TWinControl*> entered;
      for (TWinControl* p = c; p && p != this && (!holds(p, old) || wasExited(p)); p = p->Parent()) entered.push_back(p);
      for (auto it = entered.rbegin(); it != entered.rend() && !focus_asked_; ++it) (*it)->DoEnter();
    }
    if (!focus_asked_ || focus_redirected_) return;
    focus_redirected_ = true;
    if (entering) {
      old = c;
      exited.clear();
    }
    c = focus_asked_for_;
    if (c == old) {
      active_control_ = c;
      return;
    }
  }
}

void TForm::ForgetControl(TWinControl* c) {
  if (active_control_ == c || (active_control_ && c->ContainsControl(active_control_))) active_control_ = nullptr;
  if (focus_asked_ && (focus_asked_for_ == c || (focus_asked_for_ && c->ContainsControl(focus_asked_for_))))
    focus_asked_for_ = nullptr;
}

void TForm::SetWindowFocus() {
  TWinControl* c = active_control_;
  if (c == nullptr || !c->CanFocus()) c = ui::FirstTabStop(this);
  if (c != nullptr) c->SetFocus();
}

namespace {
bool g_keysCheckPosted = false;

// Whether the keys of a window reach none of its controls: the window system's focus is
// nowhere in it, on the window itself, or on its menu bar while no title of the bar is
// walked (a bar that took the focus for its menu and kept it once the menu closed).
bool KeysLostIn(QWidget* window) {
  QWidget* focus = window->focusWidget();
  if (focus == nullptr || focus == window) return true;
  if (auto* bar = qobject_cast<QMenuBar*>(focus)) return bar->activeAction() == nullptr;
  return false;
}
}  // namespace

void ui::detail::CheckWindowKeys() {
  if (g_keysCheckPosted) return;
  g_keysCheckPosted = true;
  // Once the window system has done with the event that ended the menu or dialog (it gives
  // the focus back to the window's last focus widget as it activates the window).
  ui::RunOnGuiThread([] {
    g_keysCheckPosted = false;
    if (QApplication::activePopupWidget() != nullptr) return;  // an open menu has the keys
    TForm* f = Screen->ActiveForm();
    QWidget* w = f != nullptr && f->Visible() ? WidgetOf(f) : nullptr;
    if (w == nullptr || !w->isWindow() || !w->isVisible() || !KeysLostIn(w)) return;
    f->SetWindowFocus();
  });
}

void TForm::PlaceOnScreen() {
  if (placed_) return;
  placed_ = true;
  TForm* relative = nullptr;
  switch (position_) {
    case poMainFormCenter: relative = Application->MainForm(); break;
    case poOwnerFormCenter: relative = dynamic_cast<TForm*>(Owner()); if (!relative) relative = Application->MainForm(); break;
    case poScreenCenter:
    case poDesktopCenter: break;
    default: return;
  }
  if (relative == this || (relative && !relative->Visible())) relative = nullptr;
  int l, t;
  if (relative) {
    l = relative->Left() + (relative->Width() - Width()) / 2;
    t = relative->Top() + (relative->Height() - Height()) / 2;
  } else {
    l = (Screen->Width() - Width()) / 2;
    t = (Screen->Height() - Height()) / 2;
  }
  SetBounds(std::max(0, l), std::max(0, t), Width(), Height());
}

void TForm::SetVisible(bool v) {
  // A form being read shows once it is complete and has had its OnCreate.
  if (HasState(csReading)) {
    show_after_create_ = v;
    return;
  }
  if (v == Visible()) return;
  if (v) {
    AfterConstruction();
    if (Visible()) return;  // shown by AfterConstruction (Visible = True in its resource)
    HandleNeeded();
    PlaceOnScreen();
    SetVisibleField(true);
    DoShow();
    if (!Visible()) return;  // OnShow hid it again
    QWidget* w = impl().widget;
    switch (window_state_) {
      case wsMinimized: w->showMinimized(); break;
      case wsMaximized: w->showMaximized(); break;
      default: w->show(); break;
    }
    // Only now the window system knows the frame: the outer bounds grow by it and the
    // client area keeps the size the form was laid out with.
    const QRect fg = w->frameGeometry();
    SetBoundsFields(fg.x(), fg.y(), fg.width(), fg.height());
    // Limits are outer sizes: with the frame known they are set on the client again.
    if (min_w_ || min_h_ || max_w_ || max_h_) ApplyBounds();
    FrameKnown();
    BringToFront();
    Screen->SetActiveForm(this);
    if (!active_control_) {
      for (int i = 0; i < ControlCount(); ++i) {
        auto* wc = dynamic_cast<TWinControl*>(Controls(i));
        if (wc && wc->TabStop() && wc->CanFocus()) {
          active_control_ = nullptr;
          wc->SetFocus();
          break;
        }
      }
    } else if (active_control_->CanFocus()) {
      TWinControl* c = active_control_;
      active_control_ = nullptr;  // focusing it again fires its OnEnter
      c->SetFocus();
    }
  } else {
    DoHide();
    SetVisibleField(false);
    if (QWidget* w = impl().widget) w->hide();
    if (!modal_) Screen->ActivateNextAfter(this);
  }
}

void TForm::Show() {
  SetVisible(true);
  BringToFront();
  if (Screen->ActiveForm() != this && Visible()) Screen->SetActiveForm(this);
}

void TForm::DoShow() {
  NotifyObservers(TNotice::Shown);
  if (OnShow) OnShow(this);
}

void TForm::DoHide() {
  if (OnHide) OnHide(this);
}

void TForm::Activate() {
  if (OnActivate) OnActivate(this);
}

void TForm::Deactivate() {
  if (OnDeactivate) OnDeactivate(this);
}

void TForm::Paint() {
  NotifyObservers(TNotice::Painting);
  if (OnPaint) OnPaint(this);
}

int TForm::ShowModal() {
  if (Visible() || !Enabled() || modal_) throw EInvalidOperation("Cannot make a visible window modal");
  return ui::DialogService::ShowModalForm(*this);
}

void TForm::BeginModal() {
  AfterConstruction();
  modal_previous_ = Screen->ActiveForm();
  modal_ = true;
  modal_result_ = mrNone;
  g_modals.push_back(this);
  HandleNeeded();
  impl().widget->setWindowModality(Qt::ApplicationModal);
  Show();
}

bool TForm::EndModalIfDone() {
  if (modal_result_ == mrNone) return false;
  TCloseAction action = caNone;
  try {
    if (CloseQuery()) {
      action = caHide;
      if (OnClose) OnClose(this, action);
    }
  } catch (...) {
    modal_result_ = mrNone;
    Application->HandleException(this, std::current_exception());
    return false;
  }
  if (action == caNone) {
    modal_result_ = mrNone;
    return false;
  }
  if (action == caFree) Release();
  return true;
}

void TForm::FinishModal() {
  TForm* previous = modal_previous_;
  modal_previous_ = nullptr;
  std::erase(g_modals, this);
  // Windows minimised with it stay as the user left them once it is gone.
  if (g_modals.empty()) g_minimisedWithModal.clear();
  SetVisible(false);
  modal_ = false;
  if (QWidget* w = impl().widget) w->setWindowModality(Qt::NonModal);
  // The window that was active before takes activation back and hears OnActivate again.
  bool previousShown = false;
  for (int i = 0; i < Screen->FormCount(); ++i)
    if (Screen->Forms(i) == previous && previous->Visible()) previousShown = true;
  if (previousShown) Screen->SetActiveForm(previous);
  else Screen->ActivateNextAfter(this);
}

bool TForm::CommitActiveControl() {
  TWinControl* c = ActiveControl();
  return c == nullptr || c == this || c->CommitTyping();
}

bool TForm::CloseQuery() {
  CommitActiveControl();
  bool can = true;
  if (OnCloseQuery) OnCloseQuery(this, can);
  return can;
}

void TForm::Close() {
  if (modal_) {
    modal_result_ = mrCancel;
    return;
  }
  if (!CloseQuery()) return;
  TCloseAction action = caHide;
  if (OnClose) OnClose(this, action);
  if (action == caNone) return;
  NotifyObservers(TNotice::Closing);
  if (Application->MainForm() == this) {
    Application->Terminate();
  } else if (action == caHide) {
    Hide();
  } else if (action == caMinimize) {
    SetWindowState(wsMinimized);
  } else {
    Release();
  }
}

void TForm::Release() {
  // Freed from the message queue, after the handler that asked for it has returned.
  const uint64_t serial = impl().serial;
  ui::RunOnGuiThread([this, serial] {
    if (!ui::detail::ControlAlive(this, serial)) return;
    BeforeDestruction();
    delete this;
  });
}

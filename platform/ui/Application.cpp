#include "platform/ui/Application.h"

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QProxyStyle>
#include <QStyleOption>
#include <QWheelEvent>
#include <QScreen>
#include <QToolTip>
#include <QWidget>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "platform/ui/Dialogs.h"
#include "platform/ui/FocusOrder.h"
#include "platform/ui/MessageQueue.h"
#include "platform/ui/detail/QtControls.h"

namespace ui::detail {
void CreateDispatcher();
// Marks a key press the controls have had while Qt offers it to the shortcuts.
struct KeyPassedOn {
  KeyPassedOn();
  ~KeyPassedOn();
};
}

namespace {

using ui::detail::WidgetOf;

// The application object: every event passes notify, where input is routed to the
// controls and exceptions from handlers end in the exception box instead of
// unwinding through the window system.
class CQ5Application : public QApplication {
 public:
  CQ5Application(int& argc, char** argv) : QApplication(argc, argv) {}

  bool notify(QObject* receiver, QEvent* event) override {
    try {
      if (ui::detail::RouteInput(receiver, event)) return true;
      if (event->type() == QEvent::KeyPress) {
        // The controls have had this key; Qt may now offer it to the shortcuts.
        ui::detail::KeyPassedOn passed;
        return QApplication::notify(receiver, event);
      }
      return QApplication::notify(receiver, event);
    } catch (const EUnscriptedDialog&) {
      ui::DialogService::RecordFailure(std::current_exception());
    } catch (...) {
      try {
        Application->HandleException(nullptr, std::current_exception());
      } catch (...) {
        ui::DialogService::RecordFailure(std::current_exception());
      }
    }
    return true;
  }
};

const bool kFactoryInstalled = [] {
  gfx::SetGuiApplicationFactory(&ui::detail::CreateApplication);
  return true;
}();

bool IsModifierKey(int key) {
  return key == Qt::Key_Shift || key == Qt::Key_Control || key == Qt::Key_Alt || key == Qt::Key_AltGr;
}

TShiftState KeyShift(const QKeyEvent& e, bool press) {
  TShiftState s = ui::detail::ShiftFromQt(e.modifiers(), QGuiApplication::mouseButtons());
  // A modifier key's own press counts as held; its release as let go.
  const TShiftStateFlag own = e.key() == Qt::Key_Shift ? ssShift : e.key() == Qt::Key_Control ? ssCtrl : ssAlt;
  if (IsModifierKey(e.key())) {
    if (press) s << own;
    else s >> own;
  }
  return s;
}

bool g_resending = false;

// An Alt key the window system offers to the menu bar's mnemonics first. A form that
// previews keys sees it before the menu does (the main window's Alt+M opens the map
// choice rather than the "Maps" menu): when its handler takes the key, the menu stays
// shut and the press that follows is dropped; otherwise the press that follows skips
// the form's handler, which already ran.
struct PreviewedKey {
  bool valid = false;
  bool taken = false;
  int key = 0;
  Qt::KeyboardModifiers mods;
} g_previewed;
int g_keyPassedOn = 0;

bool RouteShortcutOverride(QWidget* receiver, QKeyEvent* e) {
  g_previewed.valid = false;
  // A press the controls already had is offered to the shortcuts by Qt itself.
  if (g_keyPassedOn > 0 || !(e->modifiers() & Qt::AltModifier)) return false;
  TWinControl* target = ui::detail::WinControlFromWidget(receiver);
  if (!target || !target->Enabled()) return false;
  TForm* form = target->ParentForm();
  if (!form || !form->KeyPreview()) return false;
  WORD key = ui::detail::VirtualKeyFromQt(e->key(), e->modifiers());
  if (key == 0) return false;
  form->KeyDown(key, KeyShift(*e, true));
  g_previewed = PreviewedKey{true, key == 0, e->key(), e->modifiers()};
  if (key != 0) return false;
  e->accept();
  return true;
}

}  // namespace

ui::detail::KeyPassedOn::KeyPassedOn() { ++g_keyPassedOn; }
ui::detail::KeyPassedOn::~KeyPassedOn() { --g_keyPassedOn; }

namespace {

// The key (as the window system names it) that last turned a page: its release is the
// page turn's too, and reaches no control (a release of PgDn on the page turned to is no
// key of that page).
int g_pageKey = 0;

// A menu bar that holds the keys with no menu open (a menu was closed with Escape) walks its
// titles with the arrows, Enter and the letters. A key it has no use for, one with Ctrl
// held or a function key, is meant for the window: the bar lets the keys go, as a second
// Escape would, and the key goes to the control that had them before (Ctrl+Tab turns the
// page, F3 shows a table).
bool LeaveMenuBarFor(QWidget* bar, QKeyEvent* e) {
  if (e->type() != QEvent::KeyPress || !bar->hasFocus() || QApplication::activePopupWidget() != nullptr)
    return false;
  const Qt::KeyboardModifiers mods = e->modifiers() & ~Qt::KeypadModifier;
  const bool withCtrl = (mods & Qt::ControlModifier) && !(mods & Qt::AltModifier);
  const bool function = e->key() >= Qt::Key_F1 && e->key() <= Qt::Key_F35 && e->key() != Qt::Key_F10;
  if (!withCtrl && !function) return false;
  QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
  QCoreApplication::sendEvent(bar, &escape);
  QWidget* back = QApplication::focusWidget();
  if (back == nullptr || back == bar) return true;
  QKeyEvent again(e->type(), e->key(), e->modifiers(), e->text(), e->isAutoRepeat(), static_cast<ushort>(e->count()));
  QCoreApplication::sendEvent(back, &again);
  return true;
}

bool RouteKey(QWidget* receiver, QKeyEvent* e) {
  if (g_resending) return false;
  if (receiver->inherits("QMenuBar") && LeaveMenuBarFor(receiver, e)) return true;
  // An open menu, or a menu bar walked with the keyboard, takes its keys itself: no form or
  // control sees them (Enter must choose the item, not reach the page behind it).
  if (QApplication::activePopupWidget() != nullptr || receiver->inherits("QMenuBar") || receiver->inherits("QMenu"))
    return false;
  TWinControl* target = ui::detail::WinControlFromWidget(receiver);
  if (!target || !target->Enabled()) return false;
  TForm* form = target->ParentForm();
  const bool press = e->type() == QEvent::KeyPress;
  bool formHadIt = false;
  if (press && g_previewed.valid) {
    g_previewed.valid = false;
    if (g_previewed.key == e->key() && g_previewed.mods == e->modifiers()) {
      if (g_previewed.taken) return true;
      formHadIt = true;
    }
  }
  const bool preview = form && form != static_cast<TControl*>(target) && form->KeyPreview() && !formHadIt;
  const uint64_t targetSerial = target->impl().serial;
  auto alive = [&] { return ui::detail::ControlAlive(target, targetSerial); };
  WORD key = ui::detail::VirtualKeyFromQt(e->key(), e->modifiers());
  const TShiftState shift = KeyShift(*e, press);
  if (!press && g_pageKey != 0 && e->key() == g_pageKey) {
    if (!e->isAutoRepeat()) g_pageKey = 0;
    return true;
  }
  if (press && key != 0 && form != nullptr && ui::StepPagesByKey(form, target, key, shift)) {
    g_pageKey = e->key();
    return true;
  }
  if (!press) {
    if (e->isAutoRepeat() || key == 0) return false;
    if (preview) form->KeyUp(key, shift);
    if (key != 0 && alive()) target->KeyUp(key, shift);
    return key == 0;
  }
  if (key != 0) {
    if (preview) form->KeyDown(key, shift);
    const bool targetHadIt = formHadIt && form == static_cast<TControl*>(target);
    if (key != 0 && alive() && !targetHadIt) target->KeyDown(key, shift);
    if (key == 0 || !alive()) return true;
    // Enter and Escape left over go to the form's default and cancel buttons.
    if ((key == VK_RETURN || key == VK_ESCAPE) && form != nullptr && !shift.Contains(ssCtrl) &&
        !shift.Contains(ssAlt) && !target->WantsDialogKey(key) && form->DialogKey(key, shift))
      return true;
  }
  const char typed = ui::detail::KeyCharFromEvent(*e);
  if (typed == 0) return false;
  char ch = typed;
  if (preview) form->KeyPress(ch);
  if (ch != 0 && alive()) target->KeyPress(ch);
  if (ch == 0 || !alive()) return true;
  if (ch != typed) {
    // A handler replaced the character: the widget gets the replacement instead.
    QKeyEvent replaced(e->type(), e->key(), e->modifiers(), gfx::ToQString(AnsiString(1, ch)),
                       e->isAutoRepeat(), static_cast<ushort>(e->count()));
    g_resending = true;
    QCoreApplication::sendEvent(receiver, &replaced);
    g_resending = false;
    return true;
  }
  return false;
}

// The hint about to show over a control: the control answers text, place and the
// rectangle it holds for; the tooltip goes down when the mouse leaves that rectangle.
bool RouteHint(QWidget* receiver, QHelpEvent* e) {
  TControl* c = ui::detail::ControlFromWidget(receiver);
  if (!c) return false;
  QWidget* cw = WidgetOf(c);
  if (!cw) return false;
  const QPoint p = receiver == cw ? e->pos() : receiver->mapTo(cw, e->pos());
  THintInfo info;
  if (!ui::HintInfoAt(c, TPoint{p.x(), p.y()}, info)) {
    QToolTip::hideText();
    e->ignore();
    return true;
  }
  const TRect& r = info.CursorRect;
  // The tooltip puts itself below and right of the point it is given (by 2, 16 here);
  // the hint's top-left corner is to be at HintPos.
  const QPoint at(info.HintPos.x - 2, info.HintPos.y - 16);
  QToolTip::showText(at, gfx::ToQString(info.HintStr), cw,
                     QRect(r.Left, r.Top, r.Right - r.Left, r.Bottom - r.Top));
  return true;
}

TMouseButton ButtonOf(Qt::MouseButton b) {
  return b == Qt::RightButton ? mbRight : b == Qt::MiddleButton ? mbMiddle : mbLeft;
}

bool RouteMouse(QWidget* receiver, QMouseEvent* e) {
  TControl* c = ui::detail::ControlFromWidget(receiver);
  if (!c || !c->Enabled()) return false;
  QWidget* cw = WidgetOf(c);
  const QPoint p = receiver == cw ? e->position().toPoint() : receiver->mapTo(cw, e->position().toPoint());
  TShiftState shift = ui::detail::ShiftFromQt(e->modifiers(), e->buttons());
  const uint64_t serial = c->impl().serial;
  switch (e->type()) {
    case QEvent::MouseButtonPress: {
      if (e->button() == Qt::LeftButton) shift << ssLeft;
      // A click on another form activates it.
      if (TForm* f = c->ParentForm(); f && Screen->ActiveForm() != f && f->Visible()) {
        if (!Screen->ActiveForm() || !Screen->ActiveForm()->Modal()) Screen->NoteActiveForm(f);
      }
      if (!ui::detail::ControlAlive(c, serial)) return true;
      c->impl().pressed = e->button() == Qt::LeftButton;
      c->MouseDown(ButtonOf(e->button()), shift, p.x(), p.y());
      break;
    }
    case QEvent::MouseButtonDblClick:
      c->DblClick();
      if (!ui::detail::ControlAlive(c, serial)) return true;
      c->MouseDown(ButtonOf(e->button()), shift + TShiftState{ssDouble}, p.x(), p.y());
      break;
    case QEvent::MouseButtonRelease: {
      const bool clicked = c->impl().pressed && e->button() == Qt::LeftButton;
      c->impl().pressed = false;
      if (clicked && c->ClicksOnMouseUp() && c->ClientRect().Contains({p.x(), p.y()})) {
        c->Click();
        if (!ui::detail::ControlAlive(c, serial)) return true;
      }
      c->MouseUp(ButtonOf(e->button()), shift, p.x(), p.y());
      break;
    }
    case QEvent::MouseMove:
      c->MouseMove(shift, p.x(), p.y());
      break;
    default: break;
  }
  return false;
}

// The wheel turned over a widget. Qt hands the event to the deepest widget under the
// mouse once; the control there and then its parents are offered it until one uses it.
// A control with a ready-made widget that does not use it leaves it to that widget
// (a memo scrolls its text).
bool RouteWheel(QWidget* receiver, QWheelEvent* e) {
  TControl* c = ui::detail::ControlFromWidget(receiver);
  if (!c) return false;
  const QPoint angle = e->angleDelta();
  const int delta = angle.y() != 0 ? angle.y() : angle.x();
  if (delta == 0) return false;
  const TShiftState shift = ui::detail::ShiftFromQt(e->modifiers(), e->buttons());
  const QPoint g = e->globalPosition().toPoint();
  const TPoint pos{g.x(), g.y()};
  const bool native = dynamic_cast<ui::detail::ControlWidget*>(WidgetOf(c)) == nullptr;
  for (TControl* t = c; t; t = t->Parent()) {
    if (!t->Enabled()) continue;
    if (t->DoMouseWheel(shift, delta, pos)) return true;
    if (t == c && native) return false;
  }
  return false;
}

// The window system moved or resized a control's widget (the user dragged a window
// edge): take the new bounds over and tell the control.
void SyncGeometry(QWidget* w) {
  TControl* it = ui::detail::ControlFromWidget(w);
  if (!it || WidgetOf(it) != w || it->impl().applyingBounds) return;
  if (auto* f = dynamic_cast<TForm*>(it)) {
    // A window's frame is only known once it shows; a form docked inside another window
    // (a file dialog's side forms) takes the size its layout gives it even before that.
    if (!w->isVisible() && w->isWindow()) return;
    const QRect fg = w->frameGeometry();
    if (fg.x() == f->Left() && fg.y() == f->Top() && fg.width() == f->Width() && fg.height() == f->Height())
      return;
    f->SetBounds(fg.x(), fg.y(), fg.width(), fg.height());
    return;
  }
  QRect g = w->geometry();
  if (it->Parent()) {
    const TPoint offset = it->Parent()->ClientOffset();
    g.translate(-offset.x, -offset.y);
  }
  if (g.x() != it->Left() || g.y() != it->Top() || g.width() != it->Width() || g.height() != it->Height())
    it->SetBounds(g.x(), g.y(), g.width(), g.height());
}

}  // namespace

namespace {
// While the application object is made, a fatal message means that no window system
// could be reached (no display, or none the platform can use). That is said plainly and
// the program ends with exit code 1, rather than aborting; nothing has been written yet.
QtMessageHandler g_outerHandler = nullptr;

void StartupMessageHandler(QtMsgType type, const QMessageLogContext& context, const QString& message) {
  if (type == QtFatalMsg) {
    std::fprintf(stderr, "%s: cannot start: no display to show its windows on.\n%s\n",
                 QCoreApplication::applicationName().isEmpty() ? "corvaneq5"
                                                                 : qPrintable(QCoreApplication::applicationName()),
                 qPrintable(message));
    std::fflush(stderr);
    std::_Exit(1);
  }
  if (g_outerHandler != nullptr) g_outerHandler(type, context, message);
  else std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, message)));
}
// The platform's widget style with focus marks a keyboard user can see: the control that
// has the focus always shows it (the style would show it only once the Tab key had been
// used in the window, so the arrow keys, a click or the program moving the focus left it
// unmarked), and the mark is the dotted rectangle of the classic desktop in the text
// colour, rather than a faint tint of the highlight colour.
class FocusMarkStyle : public QProxyStyle {
 public:
  void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override {
    if (element == PE_FrameFocusRect) {
      DrawFocusMark(option, painter);
      return;
    }
    Marked marked(option);
    QProxyStyle::drawPrimitive(element, option, painter, widget);
  }
  void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                   const QWidget* widget) const override {
    Marked marked(option);
    // A menu bar walked by the keyboard (a menu closed with Escape leaves it holding the
    // keys) shows the title that has them highlighted, as with its menu open: the style
    // would highlight a title only while its menu is open, so the user could not see that
    // the keys go to the bar.
    const auto* title = element == CE_MenuBarItem ? qstyleoption_cast<const QStyleOptionMenuItem*>(option) : nullptr;
    if (title != nullptr && (title->state & State_Selected) && widget != nullptr && widget->hasFocus()) {
      QStyleOptionMenuItem held(*title);
      held.state |= State_Sunken;
      QProxyStyle::drawControl(element, &held, painter, widget);
      return;
    }
    QProxyStyle::drawControl(element, option, painter, widget);
    // The style tints a focused push button only; it gets the mark inside its frame too.
    if (element == CE_PushButton && option != nullptr && (option->state & State_HasFocus)) {
      QStyleOption inside(*option);
      inside.rect = subElementRect(SE_PushButtonFocusRect, option, widget).adjusted(2, 2, -2, -2);
      DrawFocusMark(&inside, painter);
    }
  }
  void drawComplexControl(ComplexControl control, const QStyleOptionComplex* option, QPainter* painter,
                          const QWidget* widget) const override {
    Marked marked(option);
    QProxyStyle::drawComplexControl(control, option, painter, widget);
    // A drop-down list marks the focus around the item it shows; where text is typed the
    // caret marks it.
    if (control == CC_ComboBox && option != nullptr && (option->state & State_HasFocus)) {
      const auto* combo = qstyleoption_cast<const QStyleOptionComboBox*>(option);
      if (combo != nullptr && !combo->editable) {
        QStyleOption inside(*option);
        inside.rect = subControlRect(CC_ComboBox, combo, SC_ComboBoxEditField, widget).adjusted(0, 1, 0, -1);
        DrawFocusMark(&inside, painter);
      }
    }
  }

 private:
  // A focused control's option says that the focus came by keyboard while it is drawn.
  class Marked {
   public:
    explicit Marked(const QStyleOption* option) : option_(const_cast<QStyleOption*>(option)) {
      if (option_ != nullptr) {
        saved_ = option_->state;
        if (saved_ & State_HasFocus) option_->state |= State_KeyboardFocusChange;
      }
    }
    ~Marked() {
      if (option_ != nullptr) option_->state = saved_;
    }
    Marked(const Marked&) = delete;
    Marked& operator=(const Marked&) = delete;

   private:
    QStyleOption* option_;
    State saved_{};
  };

  static void DrawFocusMark(const QStyleOption* option, QPainter* painter) {
    const QRect r = option->rect.adjusted(0, 0, -1, -1);
    if (r.width() < 2 || r.height() < 2) return;
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing, false);
    painter->setBrush(Qt::NoBrush);
    QPen pen(option->palette.color(QPalette::WindowText), 1, Qt::DotLine);
    painter->setPen(pen);
    painter->drawRect(r);
    painter->restore();
  }
};

}  // namespace

namespace ui::detail {

void CreateApplication() {
  static int argc = 1;
  static char arg0[] = "corvaneq5";
  static char* argv[] = {arg0, nullptr};
  g_outerHandler = qInstallMessageHandler(StartupMessageHandler);
  auto* app = new CQ5Application(argc, argv);
  qInstallMessageHandler(g_outerHandler);
  app->setQuitOnLastWindowClosed(false);
  QApplication::setStyle(new FocusMarkStyle);
  CreateDispatcher();
}

namespace {
bool TakesInput(QEvent::Type type) {
  switch (type) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::Wheel:
    case QEvent::ToolTip: return true;
    default: return false;
  }
}

// A window whose form has begun to be destroyed (its destruction may pump messages) gets
// no more input, focus, activation or geometry routed to its controls: their handlers are
// closed and the form may be only partly there. Its input is swallowed.
bool GoingControl(QWidget* w, QEvent::Type type) {
  switch (type) {
    case QEvent::FocusIn:
    case QEvent::WindowActivate:
    case QEvent::Resize:
    case QEvent::Move:
    case QEvent::WindowStateChange:
    case QEvent::LayoutDirectionChange: break;
    default:
      if (!TakesInput(type)) return false;
  }
  const TControl* c = ControlFromWidget(w);
  return c != nullptr && c->InDestruction();
}
}  // namespace

bool RouteInput(QObject* receiver, QEvent* event) {
  if (!receiver->isWidgetType()) return false;
  auto* w = static_cast<QWidget*>(receiver);
  if (GoingControl(w, event->type())) return TakesInput(event->type());
  switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
      // A key may end the bar's walk (a second Escape) and leave the focus on the bar.
      if (event->type() == QEvent::KeyPress && w->inherits("QMenuBar")) CheckWindowKeys();
      return RouteKey(w, static_cast<QKeyEvent*>(event));
    case QEvent::ShortcutOverride:
      return RouteShortcutOverride(w, static_cast<QKeyEvent*>(event));
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
      return RouteMouse(w, static_cast<QMouseEvent*>(event));
    case QEvent::Wheel:
      return RouteWheel(w, static_cast<QWheelEvent*>(event));
    case QEvent::ToolTip:
      return RouteHint(w, static_cast<QHelpEvent*>(event));
    case QEvent::FocusIn: {
      // The window system hands the focus back to the menu bar when its window comes back,
      // if the bar had it last (it takes the focus while a menu is open).
      if (w->inherits("QMenuBar")) CheckWindowKeys();
      TWinControl* c = WinControlFromWidget(w);
      if (TForm* f = c ? c->ParentForm() : nullptr; f && f != static_cast<TControl*>(c)) f->SetFocusedControl(c);
      return false;
    }
    case QEvent::Hide: {
      // A menu closed: by its command, by Escape or by a click elsewhere.
      if (w->inherits("QMenu")) CheckWindowKeys();
      // The program hid a control, a parent of it or its window; the window system hides
      // a minimised window's controls spontaneously, and those stay as they are.
      TControl* c = event->spontaneous() ? nullptr : ControlFromWidget(w);
      if (c != nullptr && WidgetOf(c) == w && !c->InDestruction())
        if (TForm* f = c->ParentForm(); f == nullptr || !f->InDestruction()) c->PutAway();
      return false;
    }
    case QEvent::WindowActivate: {
      auto* f = dynamic_cast<TForm*>(ControlFromWidget(w));
      // The window came back (a dialog over it closed): its keys go to one of its controls.
      if (f && WidgetOf(f) == w) CheckWindowKeys();
      // The user brought back a window of the program while its modal form is minimised.
      if (f && WidgetOf(f) == w && f != ui::ModalForm()) ui::ProgramShownAgain();
      TForm* active = Screen->ActiveForm();
      // While a modal form runs, only it may become active.
      if (f && f->Visible() && WidgetOf(f) == w && (!active || !active->Modal() || active == f))
        Screen->NoteActiveForm(f);
      return false;
    }
    case QEvent::Resize:
    case QEvent::Move:
      SyncGeometry(w);  // the widget's geometry is already the new one
      if (auto* f = dynamic_cast<TForm*>(ControlFromWidget(w)); f && WidgetOf(f) == w) f->FrameKnown();
      return false;
    case QEvent::WindowStateChange: {
      auto* f = dynamic_cast<TForm*>(ControlFromWidget(w));
      if (f && WidgetOf(f) == w && f->Visible()) {
        const Qt::WindowStates st = w->windowState();
        f->WindowStateChangedBySystem(st & Qt::WindowMinimized   ? wsMinimized
                                      : st & Qt::WindowMaximized ? wsMaximized
                                                                 : wsNormal);
        if (!(st & Qt::WindowMinimized)) ui::ProgramShownAgain();
      }
      return false;
    }
    case QEvent::LayoutDirectionChange:
      // Controls that draw right to left under a right-to-left desktop draw anew.
      if (TControl* c = ControlFromWidget(w); c && WidgetOf(c) == w) c->Invalidate();
      return false;
    default: return false;
  }
}

}  // namespace ui::detail

// ---------------------------------------------------------------------------------------

TApplication* Application = new TApplication(nullptr);
TScreen* Screen = new TScreen(nullptr);

TApplication::TApplication(TComponent* AOwner) : TComponent(AOwner) {
  // Made as the process starts: from then on a file-size limit makes a write fail with EFBIG
  // (which every writer reports) instead of ending the process with SIGXFSZ, whoever writes,
  // the toolkit's own settings included. A handler someone installed is left alone.
  struct sigaction old {};
  if (::sigaction(SIGXFSZ, nullptr, &old) == 0 && old.sa_handler == SIG_DFL) ::signal(SIGXFSZ, SIG_IGN);
  const AnsiString exe = ExeName();
  title_ = std::filesystem::path(exe).stem().string();
}

TApplication::~TApplication() {
  for (int i = ComponentCount() - 1; i >= 0; --i)
    if (auto* f = dynamic_cast<TForm*>(Components(i))) f->BeforeDestruction();
}

AnsiString TApplication::ExeName() const {
  std::error_code ec;
  const auto p = std::filesystem::read_symlink("/proc/self/exe", ec);
  return ec ? AnsiString("corvaneq5") : cp1252::FromUtf8(p.string());
}

void TApplication::Initialize() {
  gfx::EnsureGuiApplication();
  RegisterUiClasses();
}

bool TApplication::RightToLeftLayout() const {
  return QGuiApplication::instance() != nullptr && QGuiApplication::layoutDirection() == Qt::RightToLeft;
}

void TApplication::SetRightToLeftLayout(bool v) {
  Initialize();
  QGuiApplication::setLayoutDirection(v ? Qt::RightToLeft : Qt::LeftToRight);
}

void TApplication::RegisterForm(TForm* f) {
  if (!main_form_) main_form_ = f;
}

void TApplication::UnregisterForm(TForm* f) {
  if (main_form_ == f) main_form_ = nullptr;
}

void TApplication::SetShowHint(bool v) { show_hint_ = v; }

void TApplication::Run() {
  Initialize();
  if (!main_form_) return;
  if (ShowMainForm) main_form_->Show();
  while (!terminated_) HandleMessage();
}

void TApplication::HandleMessage() {
  Initialize();
  ui::DeliverPosted();
  if (terminated_) return;
  QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
  ui::DeliverPosted();
}

void TApplication::ProcessMessages() {
  Initialize();
  QCoreApplication::processEvents(QEventLoop::AllEvents);
  ui::DeliverPosted();
  ui::DialogService::RethrowFailure();
}

void TApplication::Terminate() {
  terminated_ = true;
  if (auto* d = QAbstractEventDispatcher::instance()) d->wakeUp();
}

namespace {
// A sentence that ends in a letter, digit or the like gets its full stop; one that ends
// in ".", "!", ")" or other punctuation below "." already has its end.
AnsiString WithFullStop(AnsiString msg) {
  if (!msg.empty() && static_cast<unsigned char>(msg.back()) > '.') msg += '.';
  return msg;
}
}  // namespace

int TApplication::RunProgram(const std::function<void()>& body) {
  try {
    body();
    return 0;
  } catch (...) {
    AnsiString cls = "Exception", msg;
    try {
      throw;
    } catch (const Exception& e) {
      cls = e.ClassName();
      msg = e.Message();
    } catch (const std::exception& e) {
      msg = e.what();
    } catch (...) {
    }
    const AnsiString module = std::filesystem::path(ExeName()).filename().string();
    const bool scripted = ui::DialogService::Scripted();
    if (cls == "EUnscriptedDialog" && !scripted) {
      // A window asked for an answer where nobody can see it (for example on the offscreen
      // platform): the program cannot be used, and nothing has been saved.
      std::fprintf(stderr, "%s: cannot run without a display that can show its windows: %s\n",
                   cp1252::ToUtf8(module).c_str(), cp1252::ToUtf8(WithFullStop(msg)).c_str());
      return 1;
    }
    char address[32];
    std::snprintf(address, sizeof address, "%08X",
                  static_cast<unsigned>(reinterpret_cast<uintptr_t>(&body) & 0xFFFFFFFFu));
    const AnsiString text = "Exception " + cls + " in module " + module + " at " + address + ".\n" + WithFullStop(msg);
    std::fprintf(stderr, "%s\n", cp1252::ToUtf8(text).c_str());
    // Without a user to read the box, standard error is where the message went.
    if (!scripted && !ui::DialogService::Interactive()) return 1;
    try {
      MessageBox(text, "Application Error", MB_OK | MB_ICONSTOP);
    } catch (const EUnscriptedDialog&) {
      throw;
    } catch (...) {
    }
    return 1;
  }
}

void TApplication::HandleException(TObject* Sender, std::exception_ptr e) {
  if (!e) return;
  try {
    std::rethrow_exception(e);
  } catch (const EAbort&) {
  } catch (const EUnscriptedDialog&) {
    throw;
  } catch (const Exception& ex) {
    if (OnException) OnException(Sender, ex);
    else ShowException(ex);
  } catch (const std::exception& ex) {
    const Exception wrapped(ex.what());
    if (OnException) OnException(Sender, wrapped);
    else ShowException(wrapped);
  } catch (...) {
    const Exception wrapped("Unknown exception");
    if (OnException) OnException(Sender, wrapped);
    else ShowException(wrapped);
  }
}

void TApplication::ShowException(const Exception& E) {
  MessageBox(WithFullStop(E.Message()), title_, MB_OK | MB_ICONSTOP);
}

int TApplication::MessageBox(const AnsiString& Text, const AnsiString& Caption, int Flags) {
  ui::DialogRequest r;
  r.Kind = ui::DialogKind::MessageBox;
  r.Text = Text;
  r.Caption = Caption;
  r.Icon = Flags & MB_ICONMASK;
  switch (Flags & MB_TYPEMASK) {
    case MB_OKCANCEL: r.Buttons = {IDOK, IDCANCEL}; break;
    case MB_ABORTRETRYIGNORE: r.Buttons = {IDABORT, IDRETRY, IDIGNORE}; break;
    case MB_YESNOCANCEL: r.Buttons = {IDYES, IDNO, IDCANCEL}; break;
    case MB_YESNO: r.Buttons = {IDYES, IDNO}; break;
    case MB_RETRYCANCEL: r.Buttons = {IDRETRY, IDCANCEL}; break;
    default: r.Buttons = {IDOK}; break;
  }
  return ui::DialogService::ShowMessageBox(std::move(r));
}

// ---------------------------------------------------------------------------------------

TScreen::TScreen(TComponent* AOwner) : TComponent(AOwner) {}
TScreen::~TScreen() = default;

int TScreen::Width() const {
  gfx::EnsureGuiApplication();
  QScreen* s = QGuiApplication::primaryScreen();
  return s ? s->geometry().width() : 1024;
}

int TScreen::Height() const {
  gfx::EnsureGuiApplication();
  QScreen* s = QGuiApplication::primaryScreen();
  return s ? s->geometry().height() : 768;
}

void TScreen::AddDisplayObserver(const void* Key, std::function<void()> Fn) {
  RemoveDisplayObserver(Key);
  display_observers_.emplace_back(Key, std::move(Fn));
  if (display_watched_) return;
  display_watched_ = true;
  gfx::EnsureGuiApplication();
  // The primary screen's size, and a new primary screen, are changes of the display.
  auto watch = [this](QScreen* s) {
    if (s) QObject::connect(s, &QScreen::geometryChanged, qApp, [this](const QRect&) { DisplayChanged(); });
  };
  watch(QGuiApplication::primaryScreen());
  QObject::connect(qApp, &QGuiApplication::primaryScreenChanged, qApp, [this, watch](QScreen* s) {
    watch(s);
    DisplayChanged();
  });
}

void TScreen::RemoveDisplayObserver(const void* Key) {
  std::erase_if(display_observers_, [Key](const auto& o) { return o.first == Key; });
}

void TScreen::DisplayChanged() {
  // A copy: an observer may remove itself while being told.
  const auto observers = display_observers_;
  for (const auto& o : observers) o.second();
}

TWinControl* TScreen::ActiveControl() const { return active_form_ ? active_form_->ActiveControl() : nullptr; }

void TScreen::SetActiveForm(TForm* f) {
  NoteActiveForm(f);
  if (!f || active_form_ != f) return;  // an OnActivate handler moved activation on
  if (QWidget* w = WidgetOf(f); w && w->isVisible() && !w->isActiveWindow()) w->activateWindow();
}

void TScreen::NoteActiveForm(TForm* f) {
  if (f == active_form_) return;
  TForm* old = active_form_;
  active_form_ = f;
  if (old) old->Deactivate();
  if (f && active_form_ == f) {
    Raise(f);
    f->Activate();
  }
}

void TScreen::ActivateNextAfter(TForm* f) {
  if (active_form_ != f) return;
  for (auto it = z_order_.rbegin(); it != z_order_.rend(); ++it) {
    if (*it != f && (*it)->Visible()) {
      SetActiveForm(*it);
      return;
    }
  }
  SetActiveForm(nullptr);
}

void TScreen::SetCursor(TCursor c) {
  if (c == cursor_) return;
  gfx::EnsureGuiApplication();
  if (cursor_ != crDefault) QApplication::restoreOverrideCursor();
  cursor_ = c;
  if (c != crDefault) QApplication::setOverrideCursor(QCursor(ui::detail::CursorShapeOf(c)));
}

void TScreen::AddForm(TForm* f) {
  forms_.push_back(f);
  z_order_.push_back(f);
}

void TScreen::RemoveForm(TForm* f) {
  forms_.erase(std::remove(forms_.begin(), forms_.end(), f), forms_.end());
  z_order_.erase(std::remove(z_order_.begin(), z_order_.end(), f), z_order_.end());
  if (active_form_ == f) active_form_ = nullptr;
}

void TScreen::Raise(TForm* f) {
  z_order_.erase(std::remove(z_order_.begin(), z_order_.end(), f), z_order_.end());
  z_order_.push_back(f);
}

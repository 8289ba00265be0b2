#include "platform/ui/Simulate.h"

#include <QApplication>
#include <QKeyEvent>
#include <QKeySequence>
#include <QMouseEvent>
#include <QWheelEvent>
#include <QPixmap>
#include <QPointer>
#include <QWindow>
#include <QScreen>

#include "platform/ui/Application.h"
#include "platform/ui/Dialogs.h"
#include "platform/ui/Forms.h"
#include "platform/ui/detail/QtControls.h"

// QtGui's own entry for offering a key to the shortcuts before the key press, as the
// window system integration does (QtTest declares it the same way).
Q_GUI_EXPORT bool qt_sendShortcutOverrideEvent(QObject* o, ulong timestamp, int k, Qt::KeyboardModifiers mods,
                                               const QString& text, bool autorep, ushort count);

namespace ui {

namespace {

QWidget* ReadyWidget(TControl* c) {
  c->HandleNeeded();
  return detail::WidgetOf(c);
}

// The text a key types on a US keyboard, as the window system would report it.
QString TypedText(int key, Qt::KeyboardModifiers mods) {
  if (key >= Qt::Key_A && key <= Qt::Key_Z) {
    if (mods & Qt::ControlModifier) return QString(QChar(key - Qt::Key_A + 1));
    return QString(QChar(mods & Qt::ShiftModifier ? key : key - Qt::Key_A + 'a'));
  }
  switch (key) {
    case Qt::Key_Return:
    case Qt::Key_Enter: return QStringLiteral("\r");
    case Qt::Key_Escape: return QStringLiteral("\x1b");
    case Qt::Key_Backspace: return QStringLiteral("\b");
    case Qt::Key_Tab: return QStringLiteral("\t");
    case Qt::Key_Delete: return QStringLiteral("\x7f");
    default: break;
  }
  if (key >= 0x20 && key < 0x7F && !(mods & Qt::ControlModifier)) return QString(QChar(key));
  return {};
}

void SendMouse(TControl* target, QEvent::Type type, Qt::MouseButton button, Qt::MouseButtons buttons, int x,
               int y, TShiftState shift) {
  QWidget* w = ReadyWidget(target);
  Qt::KeyboardModifiers mods;
  if (shift.Contains(ssShift)) mods |= Qt::ShiftModifier;
  if (shift.Contains(ssCtrl)) mods |= Qt::ControlModifier;
  if (shift.Contains(ssAlt)) mods |= Qt::AltModifier;
  const QPointF local(x, y);
  QMouseEvent e(type, local, w->mapToGlobal(local), button, buttons, mods);
  QApplication::sendEvent(w, &e);
  DialogService::RethrowFailure();
}

Qt::MouseButton QtButton(TMouseButton b) {
  return b == mbRight ? Qt::RightButton : b == mbMiddle ? Qt::MiddleButton : Qt::LeftButton;
}

}  // namespace

namespace {

struct KeyStroke {
  int code = 0;
  Qt::KeyboardModifiers mods;
};

KeyStroke ParseKey(const char* key) {
  KeyStroke k;
  const QString name = QString::fromLatin1(key);
  if (name == QLatin1String("Shift")) k.code = Qt::Key_Shift;
  else if (name == QLatin1String("Ctrl")) k.code = Qt::Key_Control;
  else if (name == QLatin1String("Alt")) k.code = Qt::Key_Alt;
  else if (name == QLatin1String("+")) k.code = Qt::Key_Plus;  // "+" alone is not a sequence
  else {
    const QKeySequence seq = QKeySequence::fromString(name, QKeySequence::PortableText);
    if (seq.isEmpty() || seq[0].key() == Qt::Key_unknown) throw EInvalidOperation("Unknown key name: " + AnsiString(key));
    k.code = seq[0].key();
    k.mods = seq[0].keyboardModifiers();
  }
  return k;
}

}  // namespace

void SimulateSystemKey(TWinControl* target, const char* key) {
  const KeyStroke k = ParseKey(key);
  TWinControl* receiver = target;
  if (auto* f = dynamic_cast<TForm*>(target); f && f->ActiveControl()) receiver = f->ActiveControl();
  QWidget* w = ReadyWidget(receiver);
  const QString text = TypedText(k.code, k.mods);
  const bool shortcut = qt_sendShortcutOverrideEvent(w, 0, k.code, k.mods, text, false, 1);
  DialogService::RethrowFailure();
  if (shortcut || !detail::ControlFromWidget(w)) return;
  QKeyEvent press(QEvent::KeyPress, k.code, k.mods, text);
  QApplication::sendEvent(w, &press);
  DialogService::RethrowFailure();
  if (!detail::ControlFromWidget(w)) return;
  QKeyEvent release(QEvent::KeyRelease, k.code, k.mods, text);
  QApplication::sendEvent(w, &release);
  DialogService::RethrowFailure();
}

void SimulateKey(TWinControl* target, const char* key, bool keypad) {
  const KeyStroke k = ParseKey(key);
  const int code = k.code;
  Qt::KeyboardModifiers mods = k.mods;
  if (keypad) mods |= Qt::KeypadModifier;
  // A form hands keys to its active control, as keyboard focus would.
  TWinControl* receiver = target;
  if (auto* f = dynamic_cast<TForm*>(target); f && f->ActiveControl()) receiver = f->ActiveControl();
  QWidget* w = ReadyWidget(receiver);
  // An open menu, or the window's menu bar walked with the keyboard, has the keys as the
  // window system would give them to it.
  if (QWidget* popup = QApplication::activePopupWidget()) w = popup;
  else if (QWidget* focus = QApplication::focusWidget(); focus && focus->inherits("QMenuBar") && focus->window() == w->window())
    w = focus;
  const QPointer<QWidget> alive(w);
  const QString text = TypedText(code, mods & ~Qt::KeypadModifier);
  // A modifier key's own press reports it held, its release no longer, as keyboards do.
  Qt::KeyboardModifiers own;
  if (code == Qt::Key_Shift) own = Qt::ShiftModifier;
  else if (code == Qt::Key_Control) own = Qt::ControlModifier;
  else if (code == Qt::Key_Alt) own = Qt::AltModifier;
  QKeyEvent press(QEvent::KeyPress, code, mods | own, text);
  QApplication::sendEvent(w, &press);
  DialogService::RethrowFailure();
  // The key may have closed the window (or the menu's window) it went to.
  if (!alive || (!w->inherits("QMenu") && !w->inherits("QMenuBar") && !detail::ControlFromWidget(w))) return;
  QKeyEvent release(QEvent::KeyRelease, code, mods, text);
  QApplication::sendEvent(w, &release);
  DialogService::RethrowFailure();
}

void SimulateMouseDown(TControl* target, TMouseButton button, int x, int y, TShiftState shift) {
  SendMouse(target, QEvent::MouseButtonPress, QtButton(button), QtButton(button), x, y, shift);
}

void SimulateMouseUp(TControl* target, TMouseButton button, int x, int y, TShiftState shift) {
  SendMouse(target, QEvent::MouseButtonRelease, QtButton(button), Qt::NoButton, x, y, shift);
}

void SimulateMouseMove(TControl* target, int x, int y, TShiftState shift) {
  Qt::MouseButtons held;
  if (shift.Contains(ssLeft)) held |= Qt::LeftButton;
  if (shift.Contains(ssRight)) held |= Qt::RightButton;
  SendMouse(target, QEvent::MouseMove, Qt::NoButton, held, x, y, shift);
}

void SimulateMouseLeave(TControl* target) {
  QWidget* w = ReadyWidget(target);
  QEvent e(QEvent::Leave);
  QApplication::sendEvent(w, &e);
  DialogService::RethrowFailure();
}

void SimulateClick(TControl* target, int x, int y) {
  SimulateMouseDown(target, mbLeft, x, y);
  SimulateMouseUp(target, mbLeft, x, y);
}

void SimulateDblClick(TControl* target, int x, int y) {
  SimulateClick(target, x, y);
  SendMouse(target, QEvent::MouseButtonDblClick, Qt::LeftButton, Qt::LeftButton, x, y, {});
  SimulateMouseUp(target, mbLeft, x, y);
}

void SimulateMouseWheel(TControl* target, int delta, int x, int y, TShiftState shift) {
  QWidget* w = ReadyWidget(target);
  Qt::KeyboardModifiers mods;
  if (shift.Contains(ssShift)) mods |= Qt::ShiftModifier;
  if (shift.Contains(ssCtrl)) mods |= Qt::ControlModifier;
  if (shift.Contains(ssAlt)) mods |= Qt::AltModifier;
  const QPointF local(x, y);
  QWheelEvent e(local, w->mapToGlobal(local), QPoint(), QPoint(0, delta), Qt::NoButton, mods, Qt::NoScrollPhase, false);
  QApplication::sendEvent(w, &e);
  DialogService::RethrowFailure();
}

namespace {
void CopyPicture(const QPixmap& shot, TBitmap& into) {
  const QImage img = shot.toImage().convertToFormat(QImage::Format_RGB32);
  into.SetPixelFormat(pfDevice);
  into.SetSize(img.width(), img.height());
  QPainter p(&gfx::ImageOf(into));
  p.setCompositionMode(QPainter::CompositionMode_Source);
  p.drawImage(0, 0, img);
}
}  // namespace

void GrabControl(TControl* target, TBitmap& into) { CopyPicture(ReadyWidget(target)->grab(), into); }

TWinControl* ControlWithKeys() {
  QWidget* w = QApplication::focusWidget();
  TWinControl* c = w != nullptr ? detail::WinControlFromWidget(w) : nullptr;
  return dynamic_cast<TForm*>(c) != nullptr ? nullptr : c;
}

AnsiString WindowTitle(TControl* form) {
  QWidget* w = form != nullptr ? detail::WidgetOf(form) : nullptr;
  return w != nullptr ? gfx::FromQString(w->windowTitle()) : AnsiString();
}

void GrabToPng(TControl* target, const AnsiString& fileName) {
  TBitmap b;
  GrabControl(target, b);
  b.SaveToFile(fileName);
}

bool GrabScreenToPng(const AnsiString& fileName) {
  QScreen* screen = QGuiApplication::primaryScreen();
  if (screen == nullptr) return false;
  const QPixmap shot = screen->grabWindow(0);
  return !shot.isNull() && shot.save(gfx::ToQString(fileName), "PNG");
}

bool GrabScreenOf(TControl* target, TBitmap& into) {
  QWidget* w = ReadyWidget(target);
  QScreen* screen = w != nullptr ? w->screen() : nullptr;
  if (screen == nullptr) return false;
  const QPoint at = w->mapToGlobal(QPoint(0, 0)) - screen->geometry().topLeft();
  const QPixmap shot = screen->grabWindow(0, at.x(), at.y(), w->width(), w->height());
  if (shot.isNull()) return false;
  CopyPicture(shot, into);
  return true;
}

// A pass starts with the window's request to update (or its exposure); the first paint of
// any of its widgets after that counts it.
struct WindowPaintCounter::Impl : QObject {
  QPointer<QWidget> window;
  bool passStarted = false;
  int count = 0;

  bool eventFilter(QObject* o, QEvent* e) override {
    if (window == nullptr) return false;
    if ((o == window.data() && e->type() == QEvent::UpdateRequest) ||
        (o == window->windowHandle() && e->type() == QEvent::Expose)) {
      passStarted = true;
    } else if (e->type() == QEvent::Paint && passStarted && o->isWidgetType() &&
               static_cast<QWidget*>(o)->window() == window.data()) {
      passStarted = false;
      ++count;
    }
    return false;
  }
};

WindowPaintCounter::WindowPaintCounter(TControl* form) : impl_(std::make_unique<Impl>()) {
  impl_->window = ReadyWidget(form)->window();
  QCoreApplication::instance()->installEventFilter(impl_.get());
}

WindowPaintCounter::~WindowPaintCounter() {
  if (QCoreApplication* app = QCoreApplication::instance()) app->removeEventFilter(impl_.get());
}

int WindowPaintCounter::Count() const { return impl_->count; }

}  // namespace ui

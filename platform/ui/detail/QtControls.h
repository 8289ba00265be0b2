#pragma once
// Private to the platform's .cpp files: the Qt side of the controls.
//
// Adding a control that wraps a ready-made Qt widget:
//   class TEdit : public TWinControl { ... protected: void CreateHandle() override; };
//   void TEdit::CreateHandle() {
//     auto* w = new QLineEdit(ui::detail::ParentWidget(this));
//     ui::detail::InstallWidget(this, w);   // maps events, applies bounds, font, colour...
//     QObject::connect(w, &QLineEdit::textEdited, ...);
//   }
// Keys and mouse reach the control's events through the application's event hook, so the
// wrapped widget needs no subclass; return false from ClicksOnMouseUp when the widget
// reports clicks itself, and override TextChanged/FontChanged to push values into it.
#include <QImage>
#include <QPointer>
#include <QWidget>

#include "platform/graphics/detail/QtGraphics.h"
#include "platform/ui/Controls.h"

class QKeyEvent;

struct TControl::Impl {
  QPointer<QWidget> widget;
  bool creating = false;
  // Our own geometry change is under way: the window system's intermediate move and
  // resize reports are not new bounds.
  bool applyingBounds = false;
  // Painted controls paint straight into their window's backing store. A control that
  // draws on its canvas between paints gets an image of its own for that, which its
  // widget then shows; it lasts until the control is hidden or resized.
  QImage buffer;
  // Where drawing between paints goes while the control cannot be seen.
  QImage sink;
  bool inPaint = false;
  // Paint must run before the own image is shown again (Invalidate). Drawing on the
  // canvas outside Paint only asks for the image to be shown.
  bool needsPaint = true;
  // Mouse state for Click: a left press on the control that has not been released.
  bool pressed = false;
  uint64_t serial = 0;
};

namespace ui::detail {

// The widget that hosts `c`'s children (its parent's widget), created when needed.
QWidget* ParentWidget(TControl* c);
// Takes `w` as the widget of `c`: registers it for event routing and applies every
// stored property. Deletes a widget `c` had before.
void InstallWidget(TControl* c, QWidget* w);
QWidget* WidgetOf(const TControl* c);
// The control a widget belongs to, looking up through parent widgets within its window
// (a window that is no control's own, such as a message box over a form, has none).
TControl* ControlFromWidget(QWidget* w);
TWinControl* WinControlFromWidget(QWidget* w);
// Whether a control (by address and serial) still exists; used by queued messages.
bool ControlAlive(const TControl* c, uint64_t serial);
// The serial of a live control, 0 when there is none at that address (any thread).
uint64_t SerialOf(const TControl* c);

// A plain widget that shows a control's paint buffer (or its colour).
class ControlWidget : public QWidget {
 public:
  ControlWidget(TControl* owner, QWidget* parent);
  TControl* owner() const { return owner_; }
  void detach() { owner_ = nullptr; }

 protected:
  void paintEvent(QPaintEvent* e) override;
  void closeEvent(QCloseEvent* e) override;
  void hideEvent(QHideEvent* e) override;
  void showEvent(QShowEvent* e) override;

 private:
  TControl* owner_;
};

Qt::CursorShape CursorShapeOf(TCursor c);

// Runs the control's Paint into `p` (its widget's painter), or shows its own image,
// painted first when needed.
void PaintControl(TControl* c, QPainter& p);
// Lets the control's canvas ask for an image of its own when drawn on between paints.
void InstallSurfaceProvider(TControl* c);
// Frees the control's own image (it is hidden or changes size).
void ReleaseOwnImage(TControl* c);

// Translation of window-system input into the controls' vocabulary.
WORD VirtualKeyFromQt(int qtKey, Qt::KeyboardModifiers mods);
TShiftState ShiftFromQt(Qt::KeyboardModifiers mods, Qt::MouseButtons buttons);
// Characters a key produces for OnKeyPress (0 when none).
char KeyCharFromEvent(const QKeyEvent& e);

// A menu or dialog of the active form may have closed, or its window came back: once the
// window system is done, the keys go back to a control of the form when they reach none.
void CheckWindowKeys();

// The application's event hook: routes keys (with KeyPreview) and mouse to controls;
// returns true when the event was used up.
bool RouteInput(QObject* receiver, QEvent* event);
void CreateApplication();

}  // namespace ui::detail

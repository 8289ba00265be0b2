#pragma once
// Driving controls as a user would, through the window system's own events: what tests
// and automation use to press keys, click and look at the screen.
#include <memory>

#include "platform/graphics/Bitmap.h"
#include "platform/ui/Controls.h"

namespace ui {

// Presses and releases a key in the focused control of `target`'s window (or `target`
// itself when nothing there has focus). `key` is a key name as keyboards label it:
// "A", "F1", "Return", "Escape", "Left", "=", "-", "+", "Ctrl+C", "Shift+Tab", and the
// bare modifiers "Shift", "Ctrl", "Alt". `keypad` marks keys of the numeric keypad.
void SimulateKey(TWinControl* target, const char* key, bool keypad = false);
// The same key as the window system delivers it: first offered to the shortcuts (menu
// bar mnemonics, menu items' shortcut keys) with a shortcut override, then pressed unless
// a shortcut took it.
void SimulateSystemKey(TWinControl* target, const char* key);
// The control the window system gives the keys to now: the one whose window has its
// keyboard focus. nullptr when they reach no control: a menu bar or a window itself has
// the focus, a window that is no form's (a message box), or nothing.
TWinControl* ControlWithKeys();
// Mouse actions at client coordinates of `target`.
void SimulateMouseDown(TControl* target, TMouseButton button, int x, int y, TShiftState shift = {});
void SimulateMouseUp(TControl* target, TMouseButton button, int x, int y, TShiftState shift = {});
void SimulateMouseMove(TControl* target, int x, int y, TShiftState shift = {});
// The mouse leaves the control.
void SimulateMouseLeave(TControl* target);
void SimulateClick(TControl* target, int x, int y);
void SimulateDblClick(TControl* target, int x, int y);
// Turns the wheel over client point (x, y) by delta (120 per notch, positive away from the user).
void SimulateMouseWheel(TControl* target, int delta, int x, int y, TShiftState shift = {});
// The title the window system shows on the form's window (empty before it has one).
AnsiString WindowTitle(TControl* form);
// Renders the control (with its children) into a bitmap of its size.
void GrabControl(TControl* target, TBitmap& into);
// Renders the control and writes it to a PNG file.
void GrabToPng(TControl* target, const AnsiString& fileName);
// Writes what the screen shows now (every window with its frame) to a PNG file; false
// when there is no screen to read.
bool GrabScreenToPng(const AnsiString& fileName);
// Reads what the screen shows now where the control's window lies (whatever covers it
// included); false when there is no screen to read.
bool GrabScreenOf(TControl* target, TBitmap& into);

// Counts the times the window of a form is painted while the counter lives: one for each
// pass in which the toolkit redraws any part of it, however many of its controls that pass
// redraws. Every such pass is a picture sent to the window system.
class WindowPaintCounter {
 public:
  explicit WindowPaintCounter(TControl* form);
  ~WindowPaintCounter();
  WindowPaintCounter(const WindowPaintCounter&) = delete;
  WindowPaintCounter& operator=(const WindowPaintCounter&) = delete;
  int Count() const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace ui

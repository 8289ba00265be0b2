#pragma once
// Moving the focus along a form's tab order, as the Tab key does, and turning a window's
// pages from the keyboard.
#include "platform/ui/Keys.h"

class TWinControl;
class TForm;

namespace ui {
// Gives the focus to the next control after From (depth first through the containers, each
// level in TabOrder) that is a tab stop and can take the focus, wrapping round at the end.
// Does nothing when From is not on a form or no other control qualifies.
void FocusNextControl(TWinControl* From);

// The first control of Within, in tab order (depth first through the containers), that is a
// tab stop and can take the focus; nullptr when there is none.
TWinControl* FirstTabStop(TWinControl* Within);

// A page turn hid the control that had the focus (it is kept on the container that turned
// the page meanwhile): the focus goes to the first control of Page, in tab order, that is a
// tab stop and can take it, so the keys go on working on the page now shown. On a form not
// on the screen the form only records it. False, changing nothing, when Page has none.
bool FocusTurnedPage(TWinControl* Page);

// Gives the focus to the tab strip that Ctrl+Tab turns from a control on no page (the
// form's outermost showing one), for a page turn that found nothing to focus on the new
// page: the keys stay with the pages and the strip marks the focus. False when there is none.
bool FocusPageStrip(TForm* Form);

// A control that turns a window's pages: a tab strip or a page control.
class TPageStepper {
 public:
  virtual ~TPageStepper() = default;
  // Turns to the next (or previous) page, wrapping round at the ends.
  virtual void StepPage(bool Forward) = 0;
  // Whether this one encloses the pages itself (a page control) rather than sitting beside
  // them (a tab strip).
  virtual bool HoldsItsPages() const { return false; }
};

// Ctrl+Tab and Ctrl+PgDn turn to the next page, Ctrl+Shift+Tab and Ctrl+PgUp to the
// previous one, whichever control of the form has the focus. The pages turned are those of
// the focused control when it is a tab strip, else of the innermost page control holding
// it, else of the form's outermost showing tab strip (the one of the window's own pages,
// not of a page's sub-pages). True when the key turned a page.
bool StepPagesByKey(TForm* Form, TWinControl* Focused, WORD Key, TShiftState Shift);
}  // namespace ui

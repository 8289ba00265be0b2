#pragma once
// Private to the platform's .cpp files: pastes into a wrapped line edit go through its
// control, which keeps them within its limits.
#include <functional>

#include "platform/rtl/AnsiString.h"

class QLineEdit;
class QWidget;
class TWinControl;

namespace ui::detail {

// From now on the paste keys (on `edit`, or on `keys` when another widget takes the keys
// for it), a middle click (the selection, put in where the click is), the context menu's
// Paste and a drop hand the text to `paste` instead of the widget inserting it itself. A
// drop first gives `control` the focus and puts the caret where the mouse let go; it is
// refused when the control does not get the focus or the text does not change.
void RoutePastes(QLineEdit* edit, TWinControl* control, std::function<void(const AnsiString& Text)> paste,
                 QWidget* keys = nullptr);

}  // namespace ui::detail

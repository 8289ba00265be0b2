#pragma once
// Private to the platform's .cpp files: pastes into a wrapped line edit go through its
// control, which keeps them within its limits.
#include <functional>

#include "platform/rtl/AnsiString.h"

class QLineEdit;
class QWidget;

namespace ui::detail {

// From now on the paste keys (on `edit`, or on `keys` when another widget takes the keys
// for it), a middle click (the selection, put in where the click is) and the context
// menu's Paste hand the text to `paste` instead of the widget inserting it itself.
void RoutePastes(QLineEdit* edit, std::function<void(const AnsiString& Text)> paste, QWidget* keys = nullptr);

}  // namespace ui::detail

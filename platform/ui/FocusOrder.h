#pragma once
// Moving the focus along a form's tab order, as the Tab key does.
class TWinControl;

namespace ui {
// Gives the focus to the next control after From (depth first through the containers, each
// level in TabOrder) that is a tab stop and can take the focus, wrapping round at the end.
// Does nothing when From is not on a form or no other control qualifies.
void FocusNextControl(TWinControl* From);
}  // namespace ui

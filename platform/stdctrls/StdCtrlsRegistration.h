#pragma once
// Form resources for the standard controls: RegisterStdCtrlsClasses publishes the
// properties and events of every control of this library (labels, edits, buttons, lists,
// panels, pictures, tabs, pages, status bar, range controls, menus, grids, scroll and
// tool controls). Later calls do nothing.

void RegisterStdCtrlsClasses();

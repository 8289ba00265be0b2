#pragma once
// Services for controls that wrap a ready-made widget (the edits): drawing over what the
// widget drew, the mouse entering and leaving, text drag and drop in both
// directions, and opening an address with the desktop's handler.
#include <functional>
#include <vector>
#include "platform/graphics/Canvas.h"
#include "platform/ui/Controls.h"

class TCustomEdit;

namespace ui {

enum TDropEffect { deNone = 0, deCopy = 1, deMove = 2 };

// What a drag offers.
struct TDragData {
  bool HasText = false;
  AnsiString Text;
  bool HasRichText = false;
  bool HasFiles = false;
  std::vector<AnsiString> Files;
};

struct TWidgetHooks {
  // Draws after the widget painted itself (client coordinates).
  std::function<void(TCanvas& Canvas)> PaintOver;
  std::function<void()> MouseEnter;
  std::function<void()> MouseLeave;
  // True while the control handles the mouse itself (the widget does not see the
  // press, moves and release then).
  std::function<bool()> KeepsMouse;
  // Drop target: the effect for a drag at a client point (deNone refuses it); called on
  // entering and on every move. When unset, the widget takes no drops at all.
  std::function<TDropEffect(const TDragData& Data, TPoint At, bool Ctrl)> DragOver;
  std::function<void()> DragLeave;
  std::function<TDropEffect(const TDragData& Data, TPoint At, bool Ctrl)> Drop;
};

// Installs the hooks on the control's widget (call again after the widget is re-created).
void InstallWidgetHooks(TControl* Control, TWidgetHooks Hooks);

// Drags Data out of Source with the effects in Allowed (deCopy | deMove); returns how the
// drag ended (deNone when it was cancelled or refused). Runs until the drop is done.
TDropEffect DoDragDrop(TControl* Source, const TDragData& Data, int Allowed);
// Tests replace the window system's drag with their own; an empty runner restores it.
using TDragDropRunner = std::function<TDropEffect(TControl* Source, const TDragData& Data, int Allowed)>;
void SetDragDropRunner(TDragDropRunner Runner);

// Opens an address with the desktop's handler; false when nothing took it.
bool OpenURL(const AnsiString& Url);
// Tests replace the opener; an empty one restores the desktop's.
using TURLOpener = std::function<bool(const AnsiString& Url)>;
void SetURLOpener(TURLOpener Opener);

// The character position of an edit nearest to a client point, and the client x of the
// gap before a position (both computed from the text as the edit lays it out).
int EditCharFromPoint(TCustomEdit* Edit, TPoint At);
int EditCharToX(TCustomEdit* Edit, int Pos);

}  // namespace ui

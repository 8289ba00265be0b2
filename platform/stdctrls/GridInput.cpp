// Keyboard and mouse on the grid: moving the cursor, selecting blocks, opening the
// editor, sizing lines with the mouse.
#include <algorithm>

#include "platform/stdctrls/Grids.h"

namespace {
constexpr int kSizingZone = 3;  // pixels either side of a line that grab it for sizing
}

void TCustomGrid::KeyDown(WORD& Key, TShiftState Shift) {
  TCustomControl::KeyDown(Key, Shift);
  if (Key == 0) return;
  const bool ctrl = Shift.Contains(ssCtrl);
  const bool extend = Shift.Contains(ssShift) && options_.Contains(goRangeSelect) && Key != VK_TAB;
  const bool rowSelect = options_.Contains(goRowSelect);
  int col = cur_.X, row = cur_.Y;
  const int page = std::max(1, VisibleRowCount());
  switch (Key) {
    case VK_UP: --row; break;
    case VK_DOWN: ++row; break;
    case VK_LEFT:
      if (rowSelect) {
        SetLeftCol(LeftCol() - 1);
        Key = 0;
        return;
      }
      --col;
      break;
    case VK_RIGHT:
      if (rowSelect) {
        SetLeftCol(LeftCol() + 1);
        Key = 0;
        return;
      }
      ++col;
      break;
    case VK_PRIOR:
      row -= page;
      SetTopRow(TopRow() - page);
      break;
    case VK_NEXT:
      row += page;
      SetTopRow(TopRow() + page);
      break;
    case VK_HOME:
      if (ctrl || rowSelect) row = rows_.fixed;
      if (!rowSelect) col = cols_.fixed;
      break;
    case VK_END:
      if (ctrl || rowSelect) row = rows_.count - 1;
      if (!rowSelect) col = cols_.count - 1;
      break;
    case VK_TAB:
      if (!options_.Contains(goTabs) || Shift.Contains(ssAlt)) return;
      if (Shift.Contains(ssShift)) {
        if (col > cols_.fixed) {
          --col;
        } else if (row > rows_.fixed) {
          --row;
          col = cols_.count - 1;
        }
      } else {
        if (col < cols_.count - 1) {
          ++col;
        } else if (row < rows_.count - 1) {
          ++row;
          col = cols_.fixed;
        }
      }
      break;
    case VK_F2:
      if (options_.Contains(goEditing) && !rowSelect) {
        ShowEditor();
        if (editor_ && editor_->Visible()) editor_->SetSelStart(static_cast<int>(editor_->Text().size()));
        Key = 0;
      }
      return;
    default:
      return;
  }
  FocusCell(col, row, !extend);
  Key = 0;
}

void TCustomGrid::KeyPress(char& Key) {
  TCustomControl::KeyPress(Key);
  if (Key == 0) return;
  if (!options_.Contains(goEditing) || options_.Contains(goRowSelect)) return;
  if (Key == '\r') {
    if (editor_mode_)
      EditorFinished();
    else
      ShowEditor();
    Key = 0;
    return;
  }
  unsigned char u = static_cast<unsigned char>(Key);
  if ((u < 32 && Key != '\b') || u == 127 || !CanEditAcceptKey(Key)) return;
  // A typed character opens the editor and replaces the cell's text.
  ShowEditor();
  if (editor_ && editor_mode_ && editor_cell_ == cur_ && CanEditModify()) {
    editor_->SetText(Key == '\b' ? AnsiString() : AnsiString(1, Key));
    editor_->SetSelStart(static_cast<int>(editor_->Text().size()));
    editor_->SetModified(true);
  }
  Key = 0;
}

void TCustomGrid::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  mouse_state_ = 0;
  click_on_current_ = false;
  if (Button == mbLeft) {
    if (CanFocus() && !Focused() && !(editor_ && editor_->Focused())) SetFocus();
    // Near a line of the heading area with sizing on: size that line.
    const bool inFixedRows = Y < rows_.FixedExtent();
    const bool inFixedCols = X < cols_.FixedExtent();
    if (options_.Contains(goColSizing) && inFixedRows) {
      for (int i = 0; i < cols_.count; ++i) {
        int s = cols_.Start(i);
        if (s < 0) continue;
        int edge = s + cols_.Size(i);
        if (edge > ClientWidth()) break;
        if (X >= edge - kSizingZone && X <= edge + kSizingZone) {
          mouse_state_ = 2;
          size_index_ = i;
          size_origin_ = s;
        }
      }
    }
    if (!mouse_state_ && options_.Contains(goRowSizing) && inFixedCols) {
      for (int i = 0; i < rows_.count; ++i) {
        int s = rows_.Start(i);
        if (s < 0) continue;
        int edge = s + rows_.Size(i);
        if (edge > ClientHeight()) break;
        if (Y >= edge - kSizingZone && Y <= edge + kSizingZone) {
          mouse_state_ = 3;
          size_index_ = i;
          size_origin_ = s;
        }
      }
    }
    if (!mouse_state_) {
      TGridCoord cell = MouseCoord(X, Y);
      if (cell.X >= cols_.fixed && cell.Y >= rows_.fixed) {
        click_on_current_ = cell == cur_ && options_.Contains(goEditing) && !Shift.Contains(ssDouble);
        if (click_on_current_ && editor_mode_) click_on_current_ = false;
        FocusCell(cell.X, cell.Y, !(Shift.Contains(ssShift) && options_.Contains(goRangeSelect)));
        if (options_.Contains(goRangeSelect)) mouse_state_ = 1;
      }
    }
  }
  TCustomControl::MouseDown(Button, Shift, X, Y);
}

void TCustomGrid::MouseMove(TShiftState Shift, int X, int Y) {
  switch (mouse_state_) {
    case 1: {
      int col = cols_.LineAt(std::clamp(X, 0, std::max(0, ClientWidth() - 1)));
      int row = rows_.LineAt(std::clamp(Y, 0, std::max(0, ClientHeight() - 1)));
      if (col < 0) col = cols_.count - 1;
      if (row < 0) row = rows_.count - 1;
      col = std::max(col, cols_.fixed);
      row = std::max(row, rows_.fixed);
      if (TGridCoord{col, row} != cur_) FocusCell(col, row, false);
      break;
    }
    case 2: SetColWidths(size_index_, std::max(0, X - size_origin_)); break;
    case 3: SetRowHeights(size_index_, std::max(0, Y - size_origin_)); break;
    default: break;
  }
  TCustomControl::MouseMove(Shift, X, Y);
}

void TCustomGrid::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  const bool reopen = click_on_current_ && Button == mbLeft && MouseCoord(X, Y) == cur_;
  mouse_state_ = 0;
  click_on_current_ = false;
  if (reopen) ShowEditor();
  TCustomControl::MouseUp(Button, Shift, X, Y);
}

void TCustomGrid::DoExit() {
  TCustomControl::DoExit();
  Invalidate();  // the focus mark goes
}

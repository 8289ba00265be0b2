// In-place editing on the aligned grid: its editor, the begin/validate/after/cancel
// messages, the next-cell walk for Enter and Tab, and the grid's keys and mouse.
#include <algorithm>
#include "platform/ui/FocusOrder.h"

#include "controls/Aligrid.h"
#include "platform/ui/Forms.h"
#include "platform/ui/MessageQueue.h"

// ---- the next-cell walk ----

TGridCoord NextCellStep(T_nextcell Dir, TGridCoord P, int FC, int FR, int CC, int RC) {
  int c = P.X, r = P.Y;
  const TGridCoord end{-1, -1};
  switch (Dir) {
    case nc_rightdown:
      if (++c == CC) { c = FC; ++r; }
      return r == RC ? end : TGridCoord{c, r};
    case nc_downright:
      if (++r == RC) { r = FR; ++c; }
      return c == CC ? end : TGridCoord{c, r};
    case nc_leftdown:
      if (--c < FC) { c = CC - 1; ++r; }
      return r == RC ? end : TGridCoord{c, r};
    case nc_downleft:
      if (++r == RC) { r = FR; --c; }
      return c < FC ? end : TGridCoord{c, r};
    case nc_leftup:
      if (--c < FC) { c = CC - 1; --r; }
      return r < FR ? end : TGridCoord{c, r};
    case nc_upleft:
      if (--r < FR) { r = RC - 1; --c; }
      return c < FC ? end : TGridCoord{c, r};
    case nc_rightup:
      if (++c == CC) { c = FC; --r; }
      return r < FR ? end : TGridCoord{c, r};
    case nc_upright:
      if (--r < FR) { r = RC - 1; ++c; }
      return c == CC ? end : TGridCoord{c, r};
  }
  return end;
}

T_nextcell ReverseDirection(T_nextcell Dir) {
  switch (Dir) {
    case nc_rightdown: return nc_leftup;
    case nc_leftup: return nc_rightdown;
    case nc_downright: return nc_upleft;
    case nc_upleft: return nc_downright;
    case nc_leftdown: return nc_rightup;
    case nc_rightup: return nc_leftdown;
    case nc_downleft: return nc_upright;
    case nc_upright: return nc_downleft;
  }
  return Dir;
}

TGridCoord TStringAlignGrid::NextCell(TGridCoord From, T_nextcell Dir, T_lastcell AfterLast) {
  const int FC = FixedCols(), FR = FixedRows();
  TGridCoord p = NextCellStep(Dir, From, FC, FR, ColCount(), RowCount());
  if (p.X >= 0) return p;
  switch (AfterLast) {
    case lc_newcolrow:
      switch (Dir) {
        case nc_rightdown: InsertRow(RowCount()); return {FC, RowCount() - 1};
        case nc_leftdown: InsertRow(RowCount()); return {ColCount() - 1, RowCount() - 1};
        case nc_downright: InsertColumn(ColCount()); return {ColCount() - 1, FR};
        case nc_upright: InsertColumn(ColCount()); return {ColCount() - 1, RowCount() - 1};
        case nc_downleft: InsertColumn(FC); return {FC, FR};
        case nc_upleft: InsertColumn(FC); return {FC, RowCount() - 1};
        case nc_leftup: InsertRow(FR); return {ColCount() - 1, FR};
        case nc_rightup: InsertRow(FR); return {FC, FR};
      }
      break;
    case lc_first:
      switch (Dir) {
        case nc_rightdown: case nc_downright: return {FC, FR};
        case nc_leftdown: case nc_downleft: return {ColCount() - 1, FR};
        case nc_leftup: case nc_upleft: return {ColCount() - 1, RowCount() - 1};
        case nc_rightup: case nc_upright: return {FC, RowCount() - 1};
      }
      break;
    case lc_exit: ui::FocusNextControl(this); break;
    case lc_stop: break;
  }
  return {-1, -1};
}

TGridCoord TStringAlignGrid::NextEditCell(TGridCoord From) {
  const int cols = ColCount(), rows = RowCount();
  TGridCoord p = From;
  // Every cell once at most, plus the step that may append a line.
  for (long n = static_cast<long>(cols) * rows + 1; n > 0; --n) {
    p = NextCell(p, NextCellEdit, AfterLastCellEdit);
    if (ColCount() != cols || RowCount() != rows) return p;
    if (p.X < 0 || p == From) return {-1, -1};
    if (CellEditable(p.X, p.Y) || AllCellsEditable) return p;
  }
  return {-1, -1};
}

bool TStringAlignGrid::TabToNextCell(bool Backwards) {
  // Without any tab-stop column the walk could only append lines for ever.
  bool anyStop = false;
  for (int c = FixedCols(); c < ColCount() && !anyStop; ++c) anyStop = TabStops(c);
  if (!anyStop) return false;
  const T_nextcell dir = Backwards ? ReverseDirection(NextCellTab) : NextCellTab;
  const TGridCoord start{Col(), Row()};
  TGridCoord p = start;
  int inserted = 0;
  for (long n = static_cast<long>(ColCount()) * RowCount() + 2; n > 0; --n) {
    const int cols = ColCount(), rows = RowCount();
    p = NextCell(p, dir, AfterLastCellTab);
    if (ColCount() != cols || RowCount() != rows) ++inserted;
    if (p.X < 0 || p == start || inserted > 1) return false;
    if (TabStops(p.X)) {
      FocusCell(p.X, p.Y, true);
      return true;
    }
    n += inserted ? ColCount() + RowCount() : 0;  // the new line's cells
  }
  return false;
}

// ---- the editor ----

TNewInplaceEdit::TNewInplaceEdit(TStringAlignGrid* AGrid) : TInplaceEdit(AGrid), align_grid_(AGrid) {
  SetAlignment(TMyAlign::alLeft);
}

void TNewInplaceEdit::SetAlignment(TMyAlign v) {
  align_ = v;
  TCustomEdit::SetAlignment(v == TMyAlign::alRight ? taRightJustify : v == TMyAlign::alCenter ? taCenter : taLeftJustify);
}

void TNewInplaceEdit::KeyDown(WORD& Key, TShiftState Shift) {
  if (Col < 0 || Row < 0) {
    Key = 0;
    return;
  }
  switch (Key) {
    case VK_RETURN:
      if (!Multiline) {
        PostMessage(align_grid_, WM_ALIGRID_ENTER, static_cast<WPARAM>(Col), Row);
        TInplaceEdit::KeyDown(Key, Shift);
      } else if (align_grid_->CanEditModify()) {
        SetSelText("\r\n");  // a new line inside the cell
        Key = 0;
      } else {
        Key = 0;
      }
      return;
    case VK_ESCAPE:
      if (Multiline) {
        TCustomEdit::KeyDown(Key, Shift);
        return;
      }
      SetText(StartText());
      PostMessage(align_grid_, WM_ALIGRID_CANCEL, static_cast<WPARAM>(Col), Row);
      Key = VK_RETURN;
      TInplaceEdit::KeyDown(Key, Shift);
      Key = 0;
      return;
    case VK_PRIOR: case VK_NEXT: case VK_END: case VK_HOME:
    case VK_LEFT: case VK_RIGHT: case VK_UP: case VK_DOWN:
      if (Multiline) {
        TCustomEdit::KeyDown(Key, Shift);
        return;
      }
      break;
    default: break;
  }
  TInplaceEdit::KeyDown(Key, Shift);
}

void TNewInplaceEdit::KeyPress(char& Key) {
  if (Col < 0 || Row < 0 || Key == '\t') {
    Key = 0;
    return;
  }
  TInplaceEdit::KeyPress(Key);
}

void TNewInplaceEdit::PasteText(const AnsiString& Pasted) {
  if (Col < 0 || Row < 0) return;
  TInplaceEdit::PasteText(Pasted);
}

TInplaceEdit* TStringAlignGrid::CreateEditor() { return new TNewInplaceEdit(this); }

TNewInplaceEdit* TStringAlignGrid::AlignEditor() const { return dynamic_cast<TNewInplaceEdit*>(InplaceEditor()); }

bool TStringAlignGrid::CanEditShow() {
  bool result = TStringGrid::CanEditShow();
  TNewInplaceEdit* ed = AlignEditor();
  const int c = Col(), r = Row();
  if (ed && (ed->Col != c || ed->Row != r) && IsRealCell(ed->Col, ed->Row)) {
    // The editor moved on: the edit of the cell it remembers ends.
    PostMessage(this, WM_ALIGRID_LEAVE, static_cast<WPARAM>(ed->Col), ed->Row);
    ed->Started = false;
  }
  if (!HasState(csDesigning)) result = result && (CellEditable(c, r) || AllCellsEditable);
  if (!ed) return result;
  if (result) {
    ed->SetAlignment(CellAlignment(c, r));
    ed->Font()->Assign(const_cast<TFont*>(CellFont(c, r)));
    ed->SetColor(ColorCell(c, r));
    ed->Col = c;
    ed->Row = r;
    ed->Multiline = EditMultiline;
    if (!ed->Started) {
      ed->Started = true;
      Perform(WM_ALIGRID_BEGIN, static_cast<WPARAM>(c), r);
      ed->SetStartText(Cells(c, r));
    }
    PostMessage(this, WM_ALIGRID_NOP, static_cast<WPARAM>(c), r);
  } else {
    ed->Col = -1;
    ed->Row = -1;
    if (EditorMode()) HideEditor();
  }
  return result;
}

void TStringAlignGrid::EndEdit(UINT Msg, int ACol, int ARow) {
  EditorActive = false;
  TNewInplaceEdit* ed = AlignEditor();
  if (ed) {
    ed->Started = false;
    // The edit is over; a later editor elsewhere must not end it a second time.
    if (!ed->Visible() && ed->Col == ACol && ed->Row == ARow) ed->Col = ed->Row = -1;
  }
  if (!IsRealCell(ACol, ARow)) return;
  bool reopened = false;
  if (Msg == WM_ALIGRID_CANCEL) {
    if (OnCancelEdit) OnCancelEdit(this, ACol, ARow);
    return;
  }
  bool ok = true;
  if (OnValidateEdit) OnValidateEdit(this, ACol, ARow, ok);
  if (!ok) {
    FocusCell(ACol, ARow, true);
    ShowEditor();
    EditorActive = true;
    reopened = true;
  } else if (OnAfterEdit) {
    OnAfterEdit(this, ACol, ARow);
  }
  if (Msg == WM_ALIGRID_ENTER && AutoEditNextCell && !reopened) {
    const TGridCoord next = NextEditCell({Col(), Row()});
    if (next.X >= 0) {
      if (ed) ed->Col = ed->Row = -1;
      FocusCell(next.X, next.Y, true);
      ShowEditor();
      EditorActive = true;
    }
  }
}

void TStringAlignGrid::WndProc(TMessage& M) {
  const int c = static_cast<int>(M.WParam), r = static_cast<int>(M.LParam);
  switch (M.Msg) {
    case WM_ALIGRID_BEGIN:
      if (IsRealCell(c, r) && OnBeforeEdit) OnBeforeEdit(this, c, r);
      EditorActive = true;
      return;
    case WM_ALIGRID_ENTER:
    case WM_ALIGRID_LEAVE:
    case WM_ALIGRID_CANCEL:
      EndEdit(M.Msg, c, r);
      return;
    case WM_ALIGRID_RESTORE:
      ShowEditor();
      if (TNewInplaceEdit* ed = AlignEditor(); ed && ed->Visible()) {
        if (SavedSelLength < 0) {
          ed->SelectAll();
        } else {
          ed->SetSelStart(SavedSelStart);
          ed->SetSelLength(SavedSelLength);
        }
      }
      return;
    case WM_ALIGRID_NOP:
      // Runs after the editor took the cell's text: without SelectEditText the caret
      // goes to the end with nothing selected.
      if (TNewInplaceEdit* ed = AlignEditor(); ed && !SelectEditText && ed->Col == c && ed->Row == r)
        ed->SetSelStart(static_cast<int>(ed->Text().size()));
      return;
    case WM_COPY:
    case WM_CUT:
    case WM_PASTE:
      if (ClipboardEnabled) {
        if (M.Msg == WM_COPY) CopyToClipboard();
        if (M.Msg == WM_CUT) CutToClipboard();
        if (M.Msg == WM_PASTE) PasteFromClipboard();
        return;
      }
      break;
    default: break;
  }
  TStringGrid::WndProc(M);
}

// ---- keys, mouse, focus ----

void TStringAlignGrid::KeyDown(WORD& Key, TShiftState Shift) {
  // A grid that is not on the screen (its page put away) may still hold the focus; it
  // never acts on keys the user meant for what is shown.
  if (!Showing()) {
    Key = 0;
    return;
  }
  const bool shift = Shift.Contains(ssShift), ctrl = Shift.Contains(ssCtrl);
  if (Key == VK_INSERT && shift) Perform(WM_PASTE);
  if (Key == VK_INSERT && ctrl) Perform(WM_COPY);
  if (Key == VK_DELETE && shift) Perform(WM_CUT);
  // Tab walks the cells only in a grid that asks for it; elsewhere it moves the focus on.
  if (Key == VK_TAB && !Shift.Contains(ssAlt) && Options().Contains(goTabs)) {
    TabToNextCell(shift);
    Key = 0;
    return;
  }
  TStringGrid::KeyDown(Key, Shift);
}

void TStringAlignGrid::KeyPress(char& Key) {
  if (!Showing() || (Key == '\r' && EditMultiline)) {
    Key = 0;
    return;
  }
  TStringGrid::KeyPress(Key);
}

void TStringAlignGrid::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
  const TGridCoord cell = MouseCoord(X, Y);
  if (cell.X >= 0 && cell.Y >= 0) {
    const bool fixedCol = cell.X < FixedCols(), fixedRow = cell.Y < FixedRows();
    if (fixedCol && !fixedRow && OnFixedRowClick) OnFixedRowClick(this, cell.Y);
    if (fixedRow && !fixedCol && OnFixedColClick) OnFixedColClick(this, cell.X);
  }
  TStringGrid::MouseDown(Button, Shift, X, Y);
}

void TStringAlignGrid::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
  TStringGrid::MouseUp(Button, Shift, X, Y);
  AdjustLastCol();
}

void TStringAlignGrid::DoEnter() {
  TStringGrid::DoEnter();
  if (RestoreEditor && Options().Contains(goAlwaysShowEditor)) PostMessage(this, WM_ALIGRID_RESTORE, 0, 0);
}

void TStringAlignGrid::DoExit() {
  TNewInplaceEdit* ed = AlignEditor();
  TForm* form = ParentForm();
  const bool toEditor = ed && form && form->ActiveControl() == ed;
  if (!toEditor && ed && ed->Visible() && EditorMode()) {
    RestoreEditor = true;
    SavedSelStart = ed->SelStart();
    SavedSelLength = ed->SelLength();
    const int c = ed->Col, r = ed->Row;
    HideEditor();
    EndEdit(WM_ALIGRID_LEAVE, c, r);
    if (EditorActive) {  // validation reopened the editor
      if (CanFocus()) SetFocus();
      return;
    }
  }
  TStringGrid::DoExit();
}

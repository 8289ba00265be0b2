#pragma once
// TCustomGrid: a custom-drawn grid of cells with fixed (heading) lines at the top and
// left, scrolling, a current cell with a selection block, keyboard and mouse
// navigation, and an in-place editor over the current cell. What a cell shows comes
// from DrawCell and the edit-text hooks, which derived grids override.
#include <memory>
#include "platform/stdctrls/Edits.h"
#include "platform/stdctrls/GridAxis.h"
#include "platform/stdctrls/GridTypes.h"

class TCustomGrid;

// The editor the grid places over its current cell. The grid owns it and creates it
// through CreateEditor; derived grids return their own subclass.
class TInplaceEdit : public TCustomEdit {
 public:
  explicit TInplaceEdit(TCustomGrid* AGrid);
  const char* ClassName() const override { return "TInplaceEdit"; }
  TCustomGrid* Grid() const { return grid_; }

  // Navigation keys (arrows at the text's ends, Up, Down, Page keys, Tab, Enter, Esc,
  // F2) go to the grid; the rest edit the text.
  void KeyDown(WORD& Key, TShiftState Shift) override;
  void KeyPress(char& Key) override;
  // Nothing is pasted into a cell the grid does not let change.
  void PasteText(const AnsiString& Pasted) override;

  // Moves the editor over `r` (grid client coordinates) and shows it; Hide() takes it away.
  void ShowAt(const TRect& r);
  // The text the cell had when the edit began (Esc goes back to it).
  const AnsiString& StartText() const { return start_text_; }
  void SetStartText(const AnsiString& v) { start_text_ = v; }

 protected:
  void Change() override;
  // Hands a key to the grid's own key handling.
  void SendToGrid(WORD& Key, TShiftState Shift);

 private:
  friend class TCustomGrid;
  TCustomGrid* grid_;
  AnsiString start_text_;
  bool loading_ = false;
};

class TCustomGrid : public TCustomControl {
 public:
  explicit TCustomGrid(TComponent* AOwner);
  ~TCustomGrid() override;
  const char* ClassName() const override { return "TCustomGrid"; }

  int ColCount() const { return cols_.count; }
  void SetColCount(int v);
  int RowCount() const { return rows_.count; }
  void SetRowCount(int v);
  int FixedCols() const { return cols_.fixed; }
  void SetFixedCols(int v);
  int FixedRows() const { return rows_.fixed; }
  void SetFixedRows(int v);
  int DefaultColWidth() const { return cols_.defaultSize; }
  void SetDefaultColWidth(int v);
  int DefaultRowHeight() const { return rows_.defaultSize; }
  void SetDefaultRowHeight(int v);
  int ColWidths(int i) const { return cols_.Size(i); }
  void SetColWidths(int i, int v);
  int RowHeights(int i) const { return rows_.Size(i); }
  void SetRowHeights(int i, int v);
  int GridLineWidth() const { return line_width_; }
  // Virtual so that grids which size lines from the line width (a last column that
  // fills the client area) follow a change.
  virtual void SetGridLineWidth(int v);
  TGridOptions Options() const { return options_; }
  virtual void SetOptions(TGridOptions v);
  TColor FixedColor() const { return fixed_color_; }
  // Virtual so that grids keeping their own heading brush follow a change.
  virtual void SetFixedColor(TColor v);
  bool DefaultDrawing() const { return default_drawing_; }
  void SetDefaultDrawing(bool v);
  TScrollStyle ScrollBars() const { return scroll_bars_; }
  void SetScrollBars(TScrollStyle v);

  // The current cell. Setting moves the cursor there (and the selection with it).
  int Col() const { return cur_.X; }
  void SetCol(int v) { FocusCell(v, cur_.Y, true); }
  int Row() const { return cur_.Y; }
  void SetRow(int v) { FocusCell(cur_.X, v, true); }
  TGridRect Selection() const;
  void SetSelection(const TGridRect& r);
  int TopRow() const { return rows_.first; }
  void SetTopRow(int v);
  int LeftCol() const { return cols_.first; }
  void SetLeftCol(int v);
  // Scrolled cells shown whole in the client area.
  int VisibleColCount() const;
  int VisibleRowCount() const;

  // The cell's rectangle in client coordinates, cut to the client area; empty when the
  // cell is not in view.
  TRect CellRect(int ACol, int ARow) const;
  // The cell under a client point; -1 parts where there is none.
  void MouseToCell(int X, int Y, int& ACol, int& ARow) const;
  TGridCoord MouseCoord(int X, int Y) const;

  bool EditorMode() const { return editor_mode_; }
  void SetEditorMode(bool v);
  TInplaceEdit* InplaceEditor() const { return editor_; }

  // Moves a column or row with its size to a new index; ColumnMoved/RowMoved move the
  // contents.
  void MoveColumn(int FromIndex, int ToIndex);
  void MoveRow(int FromIndex, int ToIndex);

  void InvalidateCell(int ACol, int ARow);
  void InvalidateCol(int ACol);
  void InvalidateRow(int ARow);
  void InvalidateGrid() { Invalidate(); }

  int ClientWidth() const override;
  int ClientHeight() const override;

  TDrawCellEvent OnDrawCell;
  TSelectCellEvent OnSelectCell;
  TNotifyEvent OnTopLeftChanged;
  TGetEditEvent OnGetEditText;
  TSetEditEvent OnSetEditText;
  TMovedEvent OnColumnMoved;
  TMovedEvent OnRowMoved;

  // Input, as the widget layer delivers it.
  void KeyDown(WORD& Key, TShiftState Shift) override;
  void KeyPress(char& Key) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseMove(TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void DoExit() override;
  // Three rows per notch of the wheel; the grid keeps the turn even at its ends.
  bool DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos) override;
  void Paint() override;

  // The state a cell is drawn in, as Paint works it out.
  TGridDrawState CellDrawState(int ACol, int ARow) const;

 protected:
  // Draws one cell into `ARect` of Canvas; the canvas arrives with the cell's font and
  // brush and (with DefaultDrawing) the rectangle filled. The base fires OnDrawCell.
  virtual void DrawCell(int ACol, int ARow, TRect ARect, TGridDrawState AState);
  // True when DrawCell sets the cell's font and brush and fills it itself, so that Paint
  // leaves the canvas as it is instead of filling every cell twice.
  virtual bool DrawsCellBackground() const { return false; }
  virtual TInplaceEdit* CreateEditor();
  virtual bool CanEditShow();
  virtual bool CanEditModify();
  virtual bool CanEditAcceptKey(char Key);
  virtual AnsiString GetEditText(int ACol, int ARow);
  virtual void SetEditText(int ACol, int ARow, const AnsiString& Value);
  virtual bool SelectCell(int ACol, int ARow);
  virtual void ColumnMoved(int FromIndex, int ToIndex);
  virtual void RowMoved(int FromIndex, int ToIndex);
  virtual void ColWidthsChanged();
  virtual void RowHeightsChanged();
  virtual void SizeChanged(int OldColCount, int OldRowCount);
  virtual void TopLeftChanged();

  // Opens and closes the editor on the current cell.
  void ShowEditor();
  void HideEditor();
  // Writes the editor's text to the cell (SetEditText) when it is open.
  void UpdateText();
  // Reloads the editor from the cell and places it again.
  void InvalidateEditor();
  // Moves the cursor to a cell: asks SelectCell, scrolls it into view, moves the
  // selection (`MoveAnchor`: the selection collapses to the cell; otherwise it spans
  // from the anchor) and re-places the editor.
  void FocusCell(int ACol, int ARow, bool MoveAnchor);
  // The cell in view, scrolling as little as possible.
  void ScrollToCell(int ACol, int ARow);
  // Whether the grid (or its editor) has the keyboard focus or is its form's active control.
  bool IsActiveControl() const;

  void CreateHandle() override;
  void Resize() override;

 private:
  friend class TInplaceEdit;
  void SyncLineWidths();
  void ClampCursor();
  void ClampTopLeft();
  void SetTopLeft(int col, int row);
  void UpdateScrollBars();
  void PlaceEditor();
  void EditorTextChanged();
  void EditorFinished();
  void DrawLines(TCanvas* c, int lastCol, int lastRow, int w, int h);
  void Changed();

  grid::Axis cols_, rows_;
  int line_width_ = 1;
  TGridOptions options_{goFixedVertLine, goFixedHorzLine, goVertLine, goHorzLine, goRangeSelect};
  TColor fixed_color_ = clBtnFace;
  bool default_drawing_ = true;
  TScrollStyle scroll_bars_ = ssBoth;
  TGridCoord cur_{1, 1};
  TGridCoord anchor_{1, 1};
  bool editor_mode_ = false;
  int wheel_rest_ = 0;  // a part of a notch from fine-grained wheels
  TInplaceEdit* editor_ = nullptr;
  TGridCoord editor_cell_{-1, -1};
  // Mouse: 0 idle, 1 selecting, 2 sizing a column, 3 sizing a row.
  int mouse_state_ = 0;
  int size_index_ = -1;
  int size_origin_ = 0;
  bool click_on_current_ = false;
  struct Bars;
  std::unique_ptr<Bars> bars_;
  bool updating_bars_ = false;
};

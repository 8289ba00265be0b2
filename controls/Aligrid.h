#pragma once
// TStringAlignGrid: the string grid every map and table editor stands on. Each cell
// takes its alignment, word wrap, editability, brush, font and selection colours from
// the first of its own record, its column's record and its row's record that sets
// them (header cells use the fixed-line records), else from the grid-wide values.
// Records and hints follow lines that are inserted, moved, swapped and sorted, and are
// kept in form resources through the grid's own stream properties.
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "platform/stdctrls/StringGrid.h"
#include "platform/ui/Messages.h"

class TReader;
class TWriter;
class TFiler;
class TStringAlignGrid;

// Scoped: the control library's TAlign already names alLeft and alRight.
enum class TMyAlign : uint8_t { alRight, alLeft, alCenter, alDefault };
enum T_Wordwrap : uint8_t { ww_none, ww_wordwrap, ww_ellipsis, ww_default };
enum T_nextcell : uint8_t { nc_rightdown, nc_downright, nc_leftdown, nc_downleft, nc_leftup, nc_upleft, nc_rightup, nc_upright };
enum T_lastcell : uint8_t { lc_newcolrow, lc_stop, lc_first, lc_exit };

class TMyFont : public TFont {
 public:
  const char* ClassName() const override { return "TMyFont"; }
};

class TMyBrush : public TBrush {
 public:
  const char* ClassName() const override { return "TMyBrush"; }
};

// One property record of a cell, a line or a fixed line. Fields left at their "not set"
// values let the next record in the chain decide.
class TCellProperties {
 public:
  explicit TCellProperties(TStringAlignGrid* AGrid) : Grid(AGrid) {}
  virtual ~TCellProperties() = default;
  TCellProperties(const TCellProperties&) = delete;
  TCellProperties& operator=(const TCellProperties&) = delete;

  // The tagged record: only the fields that are set, in tag order, then tag 0.
  virtual void WriteData(TWriter& Writer) const;
  // One item whose tag was just read; a tag above 7 carries no values.
  virtual void ReadItem(TReader& Reader, int Tag);
  // nullptr resets every field.
  virtual void Assign(const TCellProperties* Source);
  virtual bool IsEmpty() const;
  virtual std::unique_ptr<TCellProperties> Clone() const;

  // Reads tags until 0.
  void ReadData(TReader& Reader);
  // Copies into the record's own object, creating it when needed.
  TMyBrush* SetBrush(const TBrush* Source);
  TMyBrush* SetSelectedBrush(const TBrush* Source);
  TMyFont* SetFont(const TFont* Source);
  TMyFont* SetSelectedFont(const TFont* Source);

  TStringAlignGrid* Grid;  // not owned; told of every change
  std::unique_ptr<TMyBrush> Brush;
  std::unique_ptr<TMyBrush> SelectedBrush;
  std::unique_ptr<TMyFont> Font;
  std::unique_ptr<TMyFont> SelectedFont;
  TMyAlign Alignment = TMyAlign::alDefault;
  T_Wordwrap Wordwrap = ww_default;
  uint8_t EditFlag = 0;  // 0 not set, 1 not editable, 2 editable

 private:
  template <class T, class S>
  T* Copy(std::unique_ptr<T>& Slot, const S* Source);
};

// The grid's in-place editor: aligned like its cell, optionally multi-line, and
// remembering the cell it edits so that the grid can end that edit when it moves on.
class TNewInplaceEdit : public TInplaceEdit {
 public:
  explicit TNewInplaceEdit(TStringAlignGrid* AGrid);
  const char* ClassName() const override { return "TNewInplaceEdit"; }

  TMyAlign Alignment() const { return align_; }
  void SetAlignment(TMyAlign v);
  bool Multiline = false;
  int Col = -1;  // the remembered cell
  int Row = -1;
  bool Started = false;

  void KeyDown(WORD& Key, TShiftState Shift) override;
  void KeyPress(char& Key) override;
  // Dropped, as keys are, while no cell is remembered.
  void PasteText(const AnsiString& Pasted) override;

 protected:
  // A multi-line cell takes a pasted text with its line breaks.
  bool MultiLine() const override { return Multiline; }

 private:
  TStringAlignGrid* align_grid_;
  TMyAlign align_ = TMyAlign::alLeft;
};

using TCellEvent = std::function<void(TObject* Sender, int ACol, int ARow)>;
using TCellEventBool = std::function<void(TObject* Sender, int ACol, int ARow, bool& Result)>;
using TColEvent = std::function<void(TObject* Sender, int ACol)>;
using TRowEvent = std::function<void(TObject* Sender, int ARow)>;
// 0: compare1 sorts before compare2, 1: equal, 2: after.
using TCompareFunction = std::function<int(TObject* Sender, int ColRow, int Compare1, int Compare2)>;
using TShowHintCellProc =
    std::function<void(TObject* Sender, int ACol, int ARow, AnsiString& HintStr, bool& CanShow, THintInfo& HintInfo)>;
using TSortLinesProc = std::function<void(TStringAlignGrid* Grid, int KeyLine, int First, int Last, bool Ascending, bool ByColumn)>;

// The grid's private messages (wParam = col, lParam = row).
constexpr UINT WM_ALIGRID_CANCEL = 3024;
constexpr UINT WM_ALIGRID_ENTER = 3025;
constexpr UINT WM_ALIGRID_LEAVE = 3026;
constexpr UINT WM_ALIGRID_BEGIN = 3027;
constexpr UINT WM_ALIGRID_RESTORE = 3028;
constexpr UINT WM_ALIGRID_NOP = 3029;
// The grid's clipboard commands.
constexpr UINT WM_CUT = 0x0300;
constexpr UINT WM_COPY = 0x0301;
constexpr UINT WM_PASTE = 0x0302;

// One step of the next-cell walk from (c, r); (-1, -1) past the last cell.
TGridCoord NextCellStep(T_nextcell Dir, TGridCoord From, int FixedCols, int FixedRows, int ColCount, int RowCount);
// The direction Shift+Tab walks in.
T_nextcell ReverseDirection(T_nextcell Dir);
// The tab-separated text of a block of cells, one line per row ending in Tab, CR, LF.
AnsiString CellsToClipboardText(const std::vector<std::vector<AnsiString>>& Rows);
// Clipboard text as rows of cells: up to the first NUL, split at CR LF, LF or a lone CR,
// and at Tab. Linear in the length of the text.
std::vector<std::vector<AnsiString>> ClipboardTextToCells(const AnsiString& Text);

class TStringAlignGrid : public TStringGrid {
 public:
  explicit TStringAlignGrid(TComponent* AOwner);
  ~TStringAlignGrid() override;
  const char* ClassName() const override { return "TStringAlignGrid"; }

  // ---- grid-wide values ----
  TMyAlign Alignment() const { return alignment_; }
  void SetAlignment(TMyAlign v);
  T_Wordwrap Wordwrap() const { return wordwrap_; }
  void SetWordwrap(T_Wordwrap v);
  bool Editable = true;
  TColor FixedColor() const { return TCustomGrid::FixedColor(); }
  void SetFixedColor(TColor v) override;
  void SetGridLineWidth(int v) override;
  TColor SelectedCellColor() const { return selected_cell_color_; }
  void SetSelectedCellColor(TColor v);
  TColor SelectedFontColor() const { return selected_font_color_; }
  void SetSelectedFontColor(TColor v);
  bool DrawSelection() const { return draw_selection_; }
  void SetDrawSelection(bool v);
  bool AutoAdjustLastCol() const { return auto_adjust_last_col_; }
  void SetAutoAdjustLastCol(bool v);
  bool ShowCellHints = true;
  bool SelectEditText = true;
  bool EditMultiline = false;
  bool AutoEditNextCell = false;
  T_nextcell NextCellEdit = nc_rightdown;
  T_lastcell AfterLastCellEdit = lc_newcolrow;
  T_nextcell NextCellTab = nc_rightdown;
  T_lastcell AfterLastCellTab = lc_first;
  bool RedrawWhileScroll = false;
  // Defaults of fixed cells.
  TBrush* FixedCellBrush() { return &fixed_brush_; }
  TFont* FixedCellFont() { return &fixed_font_; }
  // The control's own background brush (colour Color).
  const TBrush& GridBrush() const;

  // ---- effective values (never create anything) ----
  TMyAlign CellAlignment(int ACol, int ARow) const;
  T_Wordwrap CellWordwrap(int ACol, int ARow) const;
  bool CellEditable(int ACol, int ARow) const;
  const TFont* CellFont(int ACol, int ARow) const;
  const TBrush* CellBrush(int ACol, int ARow) const;
  TColor ColorCell(int ACol, int ARow) const;
  TColor CellSelectedColor(int ACol, int ARow) const;
  TColor CellSelectedFontColor(int ACol, int ARow) const;
  bool IsFixedCell(int ACol, int ARow) const { return ACol < FixedCols() || ARow < FixedRows(); }

  // ---- accessors that create the record and object they return ----
  TFont* FontCell(int ACol, int ARow);
  TFont* FontCol(int ACol);
  TFont* FontFixedCol(int ACol);
  TFont* FontRow(int ARow);
  TFont* FontFixedRow(int ARow);
  void SetFontFixedRow(int ARow, const TFont* Value);
  TBrush* BrushCell(int ACol, int ARow);
  TBrush* BrushCol(int ACol);
  TBrush* BrushFixedCol(int ACol);
  TBrush* BrushRow(int ARow);
  TBrush* BrushFixedRow(int ARow);
  void SetColorCell(int ACol, int ARow, TColor Value);
  void SetSelectedColorCell(int ACol, int ARow, TColor Value);
  void SetSelectedColorCol(int ACol, TColor Value);
  void SetSelectedColorRow(int ARow, TColor Value);
  void SetAlignCell(int ACol, int ARow, TMyAlign Value);
  void SetAlignCol(int ACol, TMyAlign Value);
  void SetFixedAlignCol(int ACol, TMyAlign Value);
  void SetAlignRow(int ARow, TMyAlign Value);
  void SetFixedAlignRow(int ARow, TMyAlign Value);
  void SetEditCell(int ACol, int ARow, bool Value);
  void SetEditCol(int ACol, bool Value);
  void SetEditRow(int ARow, bool Value);
  AnsiString HintCell(int ACol, int ARow) const;
  void SetHintCell(int ACol, int ARow, const AnsiString& Value);
  bool HasHints() const { return has_hints_; }

  // The stored records (nullptr where none), for the stream and for inspection.
  const TCellProperties* PropCell(int ACol, int ARow) const;
  const TCellProperties* PropCol(int ACol) const;
  const TCellProperties* PropRow(int ARow) const;
  const TCellProperties* PropFixedCol(int ACol) const;
  const TCellProperties* PropFixedRow(int ARow) const;

  // ---- lines ----
  void InsertColumn(int Index);
  void InsertRow(int Index);
  void SwapRows(int A, int B);
  void SwapColumns(int A, int B);
  // Sorts rows First..Last by the texts of column KeyLine (ByColumn), or columns by a row.
  void SortLines(int KeyLine, int First, int Last, bool Ascending, bool ByColumn);
  TSortLinesProc SortProc;  // replaceable; DefaultSortLines unless set
  static void DefaultSortLines(TStringAlignGrid* Grid, int KeyLine, int First, int Last, bool Ascending, bool ByColumn);
  // Columns the Tab key stops at (all by default).
  bool TabStops(int ACol) const;
  void SetTabStops(int ACol, bool Value);

  int TotalWidth() const;
  int TotalHeight() const;
  bool VertScrollBarVisible() const;

  // ---- editing and navigation ----
  // One walk step with the after-last rule applied (may insert a line, or hand the
  // focus on for lc_exit); (-1, -1) when the walk ends.
  TGridCoord NextCell(TGridCoord From, T_nextcell Dir, T_lastcell AfterLast);
  // The next editable cell along NextCellEdit/AfterLastCellEdit; (-1, -1) when none.
  TGridCoord NextEditCell(TGridCoord From);
  // Tab: moves to the next tab-stop cell; false when the cursor stays.
  bool TabToNextCell(bool Backwards);
  TNewInplaceEdit* AlignEditor() const;
  bool EditorActive = false;
  bool RestoreEditor = false;
  int SavedSelStart = 0;
  int SavedSelLength = 0;
  bool ClipboardEnabled = true;
  bool PasteProtect = false;
  bool AllCellsEditable = false;

  // ---- clipboard ----
  void CopyToClipboard();
  void CutToClipboard();
  void PasteFromClipboard();
  // The copy text of the current selection, and pasting a text at the selection.
  AnsiString SelectionText() const;
  void PasteText(const AnsiString& Text);

  // ---- hints ----
  // The hint for the cell under a client point: false when there is none to show.
  bool CellHintAt(int X, int Y, AnsiString& HintStr, THintInfo& Info);
  // With ShowCellHints, the hint is that of the cell under Pos and holds while the mouse
  // stays in that cell.
  bool GetHintInfo(TPoint Pos, THintInfo& Info) override;
  TGridCoord HintCellPos{-1, -1};

  // ---- events ----
  TCellEvent OnBeforeEdit;
  TCellEvent OnAfterEdit;
  TCellEvent OnCancelEdit;
  TCellEventBool OnValidateEdit;
  TCompareFunction OnCompareCol;
  TCompareFunction OnCompareRow;
  TNotifyEvent OnColWidthsChanged;
  TNotifyEvent OnRowHeightsChanged;
  TColEvent OnFixedColClick;
  TRowEvent OnFixedRowClick;
  TShowHintCellProc OnShowHintCell;

  // ---- form resources ----
  void DefineProperties(TFiler& Filer);
  void Loaded() override;

  // ---- input and messages ----
  void WndProc(TMessage& Message) override;
  void KeyDown(WORD& Key, TShiftState Shift) override;
  void KeyPress(char& Key) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseMove(TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void DoEnter() override;
  void DoExit() override;

  // Repaint after a record's brush or font changed (a change made through a cell's own
  // accessor repaints only that cell).
  void PropertiesChanged() {
    if (quiet_changes_ == 0) Invalidate();
  }

 protected:
  virtual void InitGrid();
  virtual void PrepareCellCanvas(int ACol, int ARow, TGridDrawState AState, TRect& ARect);
  virtual void DrawCellText(int ACol, int ARow, const TRect& ARect);
  void DrawCell(int ACol, int ARow, TRect ARect, TGridDrawState AState) override;
  bool DrawsCellBackground() const override { return true; }
  TInplaceEdit* CreateEditor() override;
  bool CanEditShow() override;
  void ColumnMoved(int FromIndex, int ToIndex) override;
  void RowMoved(int FromIndex, int ToIndex) override;
  void ColWidthsChanged() override;
  void RowHeightsChanged() override;
  void Resize() override;

 private:
  friend class TNewInplaceEdit;
  using Record = std::unique_ptr<TCellProperties>;
  using RecordLine = std::vector<Record>;
  using TextLine = std::vector<std::optional<AnsiString>>;

  TCellProperties& Ensure(RecordLine& Line, int Index);
  TCellProperties& EnsureCell(int ACol, int ARow);
  template <class Pred>
  const TCellProperties* Find(int ACol, int ARow, Pred P, bool UseFixed) const;
  void SwapLines(int A, int B, bool Rows);
  void MoveLine(int From, int To, bool Rows);
  void EndEdit(UINT Msg, int ACol, int ARow);
  void AdjustLastCol();
  bool IsRealCell(int ACol, int ARow) const { return ACol >= 0 && ARow >= 0 && ACol < ColCount() && ARow < RowCount(); }
  void ReadRecords(TReader& R, RecordLine& Line);
  void WriteRecords(TWriter& W, const RecordLine& Line, int Count) const;

  TMyAlign alignment_ = TMyAlign::alLeft;
  T_Wordwrap wordwrap_ = ww_none;
  TColor selected_cell_color_ = clActiveCaption;
  TColor selected_font_color_ = clWhite;
  bool draw_selection_ = true;
  bool auto_adjust_last_col_ = false;
  TBrush fixed_brush_;
  TFont fixed_font_;
  mutable TBrush grid_brush_;

  std::vector<RecordLine> cell_props_;  // [col][row]
  RecordLine col_props_, row_props_, fixed_col_props_, fixed_row_props_;
  std::vector<TextLine> hints_;  // [col][row]
  bool has_hints_ = false;
  std::unique_ptr<std::vector<TextLine>> loaded_cells_;  // between reading "Cells" and Loaded
  bool cells_stored_ = false;
  std::vector<bool> tab_stops_;
  int quiet_changes_ = 0;  // while above 0, record changes repaint nothing by themselves
};

// Registers TStringAlignGrid (and, when nobody has yet, the string grid's own
// properties) for form streaming; later calls do nothing.
void RegisterAligridClasses();

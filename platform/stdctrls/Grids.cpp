// The grid's model: sizes, the cursor and selection, scrolling, the in-place editor and
// moving lines. Painting is in GridPaint.cpp, keyboard and mouse in GridInput.cpp.
#include "platform/stdctrls/Grids.h"

#include <QApplication>
#include <QScrollBar>
#include <QStyle>
#include <algorithm>

#include "platform/rtl/SysUtils.h"
#include "platform/stdctrls/GridPrivate.h"
#include "platform/ui/Forms.h"
#include "platform/ui/detail/QtControls.h"

namespace {
[[noreturn]] void GridIndexError() { throw EInvalidOperation("Grid index out of range"); }
}  // namespace

// ---- TInplaceEdit ----

TInplaceEdit::TInplaceEdit(TCustomGrid* AGrid) : TCustomEdit(AGrid), grid_(AGrid) {
  SetVisible(false);
  SetBorderStyle(bsNoBorder);
  SetAutoSelect(false);
  SetTabStop(false);
}

void TInplaceEdit::Change() {
  TCustomEdit::Change();
  if (!loading_ && grid_) grid_->EditorTextChanged();
}

void TInplaceEdit::ShowAt(const TRect& r) {
  SetBounds(r.Left, r.Top, r.Width(), r.Height());
  SetVisible(true);
}

void TInplaceEdit::SendToGrid(WORD& Key, TShiftState Shift) {
  if (grid_) grid_->KeyDown(Key, Shift);
}

void TInplaceEdit::KeyDown(WORD& Key, TShiftState Shift) {
  TCustomEdit::KeyDown(Key, Shift);
  if (Key == 0 || !grid_) return;
  const int len = static_cast<int>(Text().size());
  const bool ctrl = Shift.Contains(ssCtrl);
  switch (Key) {
    case VK_UP: case VK_DOWN: case VK_PRIOR: case VK_NEXT:
      SendToGrid(Key, Shift);
      Key = 0;
      break;
    case VK_LEFT:
      if (ctrl || (SelStart() == 0 && SelLength() == 0)) {
        SendToGrid(Key, Shift);
        Key = 0;
      }
      break;
    case VK_RIGHT:
      if (ctrl || (SelStart() >= len && SelLength() == 0)) {
        SendToGrid(Key, Shift);
        Key = 0;
      }
      break;
    case VK_HOME: case VK_END:
      if (ctrl) {
        SendToGrid(Key, Shift);
        Key = 0;
      }
      break;
    case VK_TAB:
      SendToGrid(Key, Shift);
      Key = 0;
      break;
    case VK_RETURN:
      grid_->EditorFinished();
      Key = 0;
      break;
    case VK_ESCAPE:
      // Back to the text the cell had when the edit began, then end the edit.
      if (grid_->CanEditModify()) SetText(start_text_);
      grid_->EditorFinished();
      Key = 0;
      break;
    default:
      break;
  }
}

void TInplaceEdit::KeyPress(char& Key) {
  if (Key == '\r' || Key == '\x1b' || Key == '\t') {
    Key = 0;  // handled as key-downs
    return;
  }
  if (grid_ && !grid_->CanEditAcceptKey(Key)) {
    Key = 0;
    return;
  }
  TCustomEdit::KeyPress(Key);
}

void TInplaceEdit::PasteText(const AnsiString& Pasted) {
  if (grid_ && !grid_->CanEditModify()) return;
  TCustomEdit::PasteText(Pasted);
}

// ---- TCustomGrid: sizes ----

TCustomGrid::TCustomGrid(TComponent* AOwner) : TCustomControl(AOwner) {
  cols_ = {5, 1, 64, 1, 1, {}};
  rows_ = {5, 1, 24, 1, 1, {}};
  SetTabStop(true);
  SetColor(clWindow);
  SetBounds(0, 0, 320, 120);
}

TCustomGrid::~TCustomGrid() = default;

void TCustomGrid::SyncLineWidths() {
  cols_.lineWidth = line_width_;
  rows_.lineWidth = line_width_;
}

void TCustomGrid::Changed() {
  ClampTopLeft();
  UpdateScrollBars();
  PlaceEditor();
  Invalidate();
}

static void ResizeSizes(grid::Axis& a, int count) {
  if (!a.sizes.empty()) a.sizes.resize(static_cast<size_t>(count), a.defaultSize);
  a.count = count;
}

void TCustomGrid::SetColCount(int v) {
  v = std::max(1, v);
  if (v == cols_.count) return;
  int oldCols = cols_.count;
  if (cols_.fixed >= v) cols_.fixed = v - 1;
  ResizeSizes(cols_, v);
  ClampCursor();
  SizeChanged(oldCols, rows_.count);
  Changed();
}

void TCustomGrid::SetRowCount(int v) {
  v = std::max(1, v);
  if (v == rows_.count) return;
  int oldRows = rows_.count;
  if (rows_.fixed >= v) rows_.fixed = v - 1;
  ResizeSizes(rows_, v);
  ClampCursor();
  SizeChanged(cols_.count, oldRows);
  Changed();
}

void TCustomGrid::SetFixedCols(int v) {
  if (v < 0) throw EInvalidOperation("Fixed column count must not be negative");
  if (v >= cols_.count) throw EInvalidOperation("Fixed column count must be less than column count");
  cols_.fixed = v;
  ClampCursor();
  Changed();
}

void TCustomGrid::SetFixedRows(int v) {
  if (v < 0) throw EInvalidOperation("Fixed row count must not be negative");
  if (v >= rows_.count) throw EInvalidOperation("Fixed row count must be less than row count");
  rows_.fixed = v;
  ClampCursor();
  Changed();
}

void TCustomGrid::SetDefaultColWidth(int v) {
  cols_.defaultSize = std::max(0, v);
  cols_.sizes.clear();
  ColWidthsChanged();
}

void TCustomGrid::SetDefaultRowHeight(int v) {
  rows_.defaultSize = std::max(0, v);
  rows_.sizes.clear();
  RowHeightsChanged();
}

void TCustomGrid::SetColWidths(int i, int v) {
  if (i < 0 || i >= cols_.count) GridIndexError();
  v = std::max(0, v);
  if (cols_.Size(i) == v) return;
  if (cols_.sizes.empty()) cols_.sizes.assign(static_cast<size_t>(cols_.count), cols_.defaultSize);
  cols_.sizes[static_cast<size_t>(i)] = v;
  ColWidthsChanged();
}

void TCustomGrid::SetRowHeights(int i, int v) {
  if (i < 0 || i >= rows_.count) GridIndexError();
  v = std::max(0, v);
  if (rows_.Size(i) == v) return;
  if (rows_.sizes.empty()) rows_.sizes.assign(static_cast<size_t>(rows_.count), rows_.defaultSize);
  rows_.sizes[static_cast<size_t>(i)] = v;
  RowHeightsChanged();
}

void TCustomGrid::SetGridLineWidth(int v) {
  line_width_ = std::max(0, v);
  SyncLineWidths();
  Changed();
}

void TCustomGrid::SetOptions(TGridOptions v) {
  if (v == options_) return;
  bool editingOff = !v.Contains(goEditing) || v.Contains(goRowSelect);
  options_ = v;
  if (editingOff && editor_mode_) HideEditor();
  if (options_.Contains(goRowSelect)) anchor_ = cur_;
  Changed();
}

void TCustomGrid::SetFixedColor(TColor v) {
  fixed_color_ = v;
  Invalidate();
}

void TCustomGrid::SetDefaultDrawing(bool v) {
  default_drawing_ = v;
  Invalidate();
}

void TCustomGrid::SetScrollBars(TScrollStyle v) {
  scroll_bars_ = v;
  Changed();
}

void TCustomGrid::ColWidthsChanged() { Changed(); }
void TCustomGrid::RowHeightsChanged() { Changed(); }
void TCustomGrid::SizeChanged(int, int) {}

// ---- cursor, selection, scrolling ----

void TCustomGrid::ClampCursor() {
  auto clampTo = [](int v, const grid::Axis& a) { return std::clamp(v, std::min(a.fixed, a.count - 1), a.count - 1); };
  cur_ = {clampTo(cur_.X, cols_), clampTo(cur_.Y, rows_)};
  anchor_ = {clampTo(anchor_.X, cols_), clampTo(anchor_.Y, rows_)};
  cols_.first = std::max(cols_.first, cols_.fixed);
  rows_.first = std::max(rows_.first, rows_.fixed);
}

TGridRect TCustomGrid::Selection() const {
  TGridRect r{std::min(anchor_.X, cur_.X), std::min(anchor_.Y, cur_.Y), std::max(anchor_.X, cur_.X),
              std::max(anchor_.Y, cur_.Y)};
  if (options_.Contains(goRowSelect)) {
    r.Left = cols_.fixed;
    r.Right = cols_.count - 1;
  }
  return r;
}

void TCustomGrid::SetSelection(const TGridRect& r) {
  auto cx = [this](int v) { return std::clamp(v, cols_.fixed, cols_.count - 1); };
  auto cy = [this](int v) { return std::clamp(v, rows_.fixed, rows_.count - 1); };
  TGridCoord tl{cx(std::min(r.Left, r.Right)), cy(std::min(r.Top, r.Bottom))};
  TGridCoord br{cx(std::max(r.Left, r.Right)), cy(std::max(r.Top, r.Bottom))};
  FocusCell(tl.X, tl.Y, true);
  if (cur_ == tl && options_.Contains(goRangeSelect)) {
    anchor_ = br;
    Invalidate();
  }
}

int TCustomGrid::VisibleColCount() const { return cols_.PageCount(ClientWidth()); }
int TCustomGrid::VisibleRowCount() const { return rows_.PageCount(ClientHeight()); }

void TCustomGrid::ClampTopLeft() {
  int maxLeft = cols_.MaxFirst(ClientWidth());
  int maxTop = rows_.MaxFirst(ClientHeight());
  int left = std::clamp(cols_.first, cols_.fixed, std::max(cols_.fixed, maxLeft));
  int top = std::clamp(rows_.first, rows_.fixed, std::max(rows_.fixed, maxTop));
  if (left != cols_.first || top != rows_.first) SetTopLeft(left, top);
}

void TCustomGrid::SetTopLeft(int col, int row) {
  col = std::clamp(col, cols_.fixed, std::max(cols_.fixed, cols_.MaxFirst(ClientWidth())));
  row = std::clamp(row, rows_.fixed, std::max(rows_.fixed, rows_.MaxFirst(ClientHeight())));
  if (col == cols_.first && row == rows_.first) return;
  cols_.first = col;
  rows_.first = row;
  TopLeftChanged();
}

void TCustomGrid::SetTopRow(int v) { SetTopLeft(cols_.first, v); }

bool TCustomGrid::DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos) {
  if (TCustomControl::DoMouseWheel(Shift, WheelDelta, MousePos)) return true;
  wheel_rest_ += WheelDelta;
  const int notches = wheel_rest_ / WHEEL_DELTA;
  wheel_rest_ %= WHEEL_DELTA;
  if (notches != 0) SetTopRow(rows_.first - notches * 3);
  return true;
}
void TCustomGrid::SetLeftCol(int v) { SetTopLeft(v, rows_.first); }

void TCustomGrid::TopLeftChanged() {
  UpdateScrollBars();
  PlaceEditor();
  Invalidate();
  if (OnTopLeftChanged) OnTopLeftChanged(this);
}

void TCustomGrid::ScrollToCell(int ACol, int ARow) {
  auto scrollAxis = [](const grid::Axis& a, int extent, int i) {
    int first = a.first;
    if (i < a.fixed) return first;
    if (i < first) return i;
    if (i <= a.LastFullyVisible(extent)) return first;
    // Advance the first line until line i fits whole (or is the first shown).
    grid::Axis t = a;
    while (t.first < i) {
      ++t.first;
      if (i <= t.LastFullyVisible(extent)) break;
    }
    return t.first;
  };
  SetTopLeft(scrollAxis(cols_, ClientWidth(), ACol), scrollAxis(rows_, ClientHeight(), ARow));
}

bool TCustomGrid::SelectCell(int ACol, int ARow) {
  bool can = true;
  if (OnSelectCell) OnSelectCell(this, ACol, ARow, can);
  return can;
}

void TCustomGrid::FocusCell(int ACol, int ARow, bool MoveAnchor) {
  ACol = std::clamp(ACol, std::min(cols_.fixed, cols_.count - 1), cols_.count - 1);
  ARow = std::clamp(ARow, std::min(rows_.fixed, rows_.count - 1), rows_.count - 1);
  TGridCoord target{ACol, ARow};
  if (!options_.Contains(goRangeSelect)) MoveAnchor = true;
  if (target == cur_) {
    if (MoveAnchor && anchor_ != cur_) {
      anchor_ = cur_;
      Invalidate();
    }
    return;
  }
  if (!SelectCell(ACol, ARow)) return;
  UpdateText();
  cur_ = target;
  if (MoveAnchor) anchor_ = cur_;
  ScrollToCell(ACol, ARow);
  Invalidate();
  PlaceEditor();
}

bool TCustomGrid::IsActiveControl() const {
  if (Focused() || (editor_ && editor_->Focused())) return true;
  TForm* f = ParentForm();
  return f && f->ActiveControl() &&
         (f->ActiveControl() == static_cast<const TWinControl*>(this) ||
          f->ActiveControl() == static_cast<const TWinControl*>(editor_));
}

// ---- geometry ----

TRect TCustomGrid::CellRect(int ACol, int ARow) const {
  int x = cols_.Start(ACol), y = rows_.Start(ARow);
  int w = ClientWidth(), h = ClientHeight();
  if (x < 0 || y < 0 || x >= w || y >= h) return TRect();
  return TRect(x, y, std::min(w, x + cols_.Size(ACol)), std::min(h, y + rows_.Size(ARow)));
}

void TCustomGrid::MouseToCell(int X, int Y, int& ACol, int& ARow) const {
  TGridCoord c = MouseCoord(X, Y);
  ACol = c.X;
  ARow = c.Y;
}

TGridCoord TCustomGrid::MouseCoord(int X, int Y) const {
  if (X >= ClientWidth() || Y >= ClientHeight()) return {-1, -1};
  int c = cols_.LineAt(X), r = rows_.LineAt(Y);
  if (c < 0 || r < 0) return {-1, -1};
  return {c, r};
}

void TCustomGrid::InvalidateCell(int ACol, int ARow) {
  // A cell out of view is drawn as it is once it comes into view.
  const TRect r = CellRect(ACol, ARow);
  if (r.IsEmpty()) return;
  impl().needsPaint = true;
  // With its grid line, which a cell whose line is off draws over.
  if (QWidget* w = ui::detail::WidgetOf(this))
    w->update(QRect(r.Left, r.Top, r.Width() + line_width_, r.Height() + line_width_));
}
void TCustomGrid::InvalidateCol(int) { Invalidate(); }
void TCustomGrid::InvalidateRow(int) { Invalidate(); }

// ---- moving lines ----

static void MoveEntry(grid::Axis& a, int from, int to) {
  if (a.sizes.empty()) return;  // all lines have the default size
  int v = a.sizes[static_cast<size_t>(from)];
  a.sizes.erase(a.sizes.begin() + from);
  a.sizes.insert(a.sizes.begin() + to, v);
}

void TCustomGrid::MoveColumn(int FromIndex, int ToIndex) {
  if (FromIndex < 0 || FromIndex >= cols_.count || ToIndex < 0 || ToIndex >= cols_.count) GridIndexError();
  if (FromIndex == ToIndex) return;
  UpdateText();
  MoveEntry(cols_, FromIndex, ToIndex);
  ColumnMoved(FromIndex, ToIndex);
  editor_cell_ = {-1, -1};
  Changed();
}

void TCustomGrid::MoveRow(int FromIndex, int ToIndex) {
  if (FromIndex < 0 || FromIndex >= rows_.count || ToIndex < 0 || ToIndex >= rows_.count) GridIndexError();
  if (FromIndex == ToIndex) return;
  UpdateText();
  MoveEntry(rows_, FromIndex, ToIndex);
  RowMoved(FromIndex, ToIndex);
  editor_cell_ = {-1, -1};
  Changed();
}

void TCustomGrid::ColumnMoved(int FromIndex, int ToIndex) {
  if (OnColumnMoved) OnColumnMoved(this, FromIndex, ToIndex);
}

void TCustomGrid::RowMoved(int FromIndex, int ToIndex) {
  if (OnRowMoved) OnRowMoved(this, FromIndex, ToIndex);
}

// ---- the in-place editor ----

TInplaceEdit* TCustomGrid::CreateEditor() { return new TInplaceEdit(this); }

bool TCustomGrid::CanEditShow() {
  return options_.Contains(goEditing) && !options_.Contains(goRowSelect) && editor_mode_ &&
         !HasState(csDesigning) && cur_.X >= cols_.fixed && cur_.Y >= rows_.fixed;
}

bool TCustomGrid::CanEditModify() { return options_.Contains(goEditing); }

bool TCustomGrid::CanEditAcceptKey(char) { return true; }

AnsiString TCustomGrid::GetEditText(int ACol, int ARow) {
  AnsiString v;
  if (OnGetEditText) OnGetEditText(this, ACol, ARow, v);
  return v;
}

void TCustomGrid::SetEditText(int ACol, int ARow, const AnsiString& Value) {
  if (OnSetEditText) OnSetEditText(this, ACol, ARow, Value);
}

void TCustomGrid::SetEditorMode(bool v) {
  if (v)
    ShowEditor();
  else
    HideEditor();
}

void TCustomGrid::ShowEditor() {
  if (!options_.Contains(goEditing) || options_.Contains(goRowSelect)) return;
  editor_mode_ = true;
  PlaceEditor();
}

void TCustomGrid::HideEditor() {
  UpdateText();
  bool hadFocus = editor_ && editor_->Focused();
  editor_mode_ = false;
  editor_cell_ = {-1, -1};
  if (editor_) editor_->SetVisible(false);
  if (hadFocus && CanFocus()) SetFocus();
  Invalidate();
}

void TCustomGrid::UpdateText() {
  if (!editor_mode_ || !editor_ || editor_cell_.X < 0 || editor_cell_.Y < 0) return;
  if (editor_cell_.X >= cols_.count || editor_cell_.Y >= rows_.count) return;
  if (CanEditModify()) SetEditText(editor_cell_.X, editor_cell_.Y, editor_->Text());
}

void TCustomGrid::InvalidateEditor() {
  editor_cell_ = {-1, -1};
  PlaceEditor();
}

void TCustomGrid::EditorTextChanged() {
  if (!editor_mode_ || editor_cell_.X < 0 || editor_cell_.Y < 0) return;
  if (CanEditModify()) SetEditText(editor_cell_.X, editor_cell_.Y, editor_->Text());
}

// Enter (or Esc after restoring) in the editor: the edit ends; an always-shown editor
// stays open with its text selected.
void TCustomGrid::EditorFinished() {
  if (options_.Contains(goAlwaysShowEditor)) {
    UpdateText();
    if (editor_) editor_->SelectAll();
    return;
  }
  HideEditor();
}

void TCustomGrid::PlaceEditor() {
  if (options_.Contains(goAlwaysShowEditor) && options_.Contains(goEditing) &&
      !options_.Contains(goRowSelect))
    editor_mode_ = true;
  if (!editor_mode_) {
    if (editor_ && editor_->Visible()) editor_->SetVisible(false);
    return;
  }
  if (!editor_) {
    editor_ = CreateEditor();
    editor_->SetParent(this);
  }
  // The grid's font first: CanEditShow may give the editor the look of its cell.
  editor_->Font()->Assign(Font());
  if (!CanEditShow()) {
    if (editor_ && editor_->Visible()) editor_->SetVisible(false);
    return;
  }
  if (!editor_ || !editor_mode_) return;  // CanEditShow may have ended the edit
  if (editor_cell_ != cur_) {
    editor_->loading_ = true;
    AnsiString text = GetEditText(cur_.X, cur_.Y);
    editor_->SetText(text);
    editor_->SetStartText(text);
    editor_->SelectAll();
    editor_->SetModified(false);
    editor_->loading_ = false;
    editor_cell_ = cur_;
  }
  editor_->SetReadOnly(!CanEditModify());
  TRect r = CellRect(cur_.X, cur_.Y);
  if (r.IsEmpty()) {
    editor_->SetVisible(false);
    return;
  }
  editor_->ShowAt(r);
  if (IsActiveControl() && editor_->CanFocus()) editor_->SetFocus();
}

// ---- scroll bars ----

int TCustomGrid::ClientWidth() const {
  int w = Width();
  if (bars_ && bars_->v && bars_->v->isVisible()) w -= bars_->v->width();
  return std::max(0, w);
}

int TCustomGrid::ClientHeight() const {
  int h = Height();
  if (bars_ && bars_->h && bars_->h->isVisible()) h -= bars_->h->height();
  return std::max(0, h);
}

void TCustomGrid::CreateHandle() {
  TCustomControl::CreateHandle();
  QWidget* w = ui::detail::WidgetOf(this);
  if (!w) return;
  bars_ = std::make_unique<Bars>();
  bars_->h = new QScrollBar(Qt::Horizontal, w);
  bars_->v = new QScrollBar(Qt::Vertical, w);
  bars_->h->hide();
  bars_->v->hide();
  bars_->h->setFocusPolicy(Qt::NoFocus);
  bars_->v->setFocusPolicy(Qt::NoFocus);
  QObject::connect(bars_->h, &QScrollBar::valueChanged, w, [this](int v) {
    if (!updating_bars_) SetLeftCol(v);
  });
  QObject::connect(bars_->v, &QScrollBar::valueChanged, w, [this](int v) {
    if (!updating_bars_) SetTopRow(v);
  });
  UpdateScrollBars();
}

void TCustomGrid::Resize() {
  TCustomControl::Resize();
  UpdateScrollBars();
  ClampTopLeft();
  PlaceEditor();
}

void TCustomGrid::UpdateScrollBars() {
  if (!bars_ || !bars_->h || updating_bars_) return;
  updating_bars_ = true;
  QScrollBar* h = bars_->h;
  QScrollBar* v = bars_->v;
  const int extent = QApplication::style()->pixelMetric(QStyle::PM_ScrollBarExtent);
  bool wantH = false, wantV = false;
  // Two passes: one bar taking room can make the other necessary.
  for (int pass = 0; pass < 2; ++pass) {
    int cw = Width() - (wantV ? extent : 0);
    int ch = Height() - (wantH ? extent : 0);
    wantH = (scroll_bars_ == ssHorizontal || scroll_bars_ == ssBoth) && cols_.MaxFirst(cw) > cols_.fixed;
    wantV = (scroll_bars_ == ssVertical || scroll_bars_ == ssBoth) && rows_.MaxFirst(ch) > rows_.fixed;
  }
  h->setVisible(wantH);
  v->setVisible(wantV);
  int cw = Width() - (wantV ? extent : 0);
  int ch = Height() - (wantH ? extent : 0);
  h->setGeometry(0, ch, std::max(0, cw), extent);
  v->setGeometry(cw, 0, extent, std::max(0, ch));
  h->setRange(cols_.fixed, std::max(cols_.fixed, cols_.MaxFirst(cw)));
  h->setPageStep(std::max(1, cols_.PageCount(cw)));
  h->setValue(cols_.first);
  v->setRange(rows_.fixed, std::max(rows_.fixed, rows_.MaxFirst(ch)));
  v->setPageStep(std::max(1, rows_.PageCount(ch)));
  v->setValue(rows_.first);
  updating_bars_ = false;
}

// The aligned grid's property model: the record stores, the precedence walk, the
// accessors that create records, and records and hints following line operations.
#include "controls/Aligrid.h"

#include <algorithm>
#include <utility>

// ---- TCellProperties ----

template <class T, class S>
T* TCellProperties::Copy(std::unique_ptr<T>& Slot, const S* Source) {
  if (!Slot) {
    Slot = std::make_unique<T>();
    TStringAlignGrid* g = Grid;
    Slot->OnChange = [g](TObject*) {
      if (g) g->PropertiesChanged();
    };
  }
  if (Source) Slot->Assign(const_cast<S*>(Source));
  return Slot.get();
}

TMyBrush* TCellProperties::SetBrush(const TBrush* Source) { return Copy(Brush, Source); }
TMyBrush* TCellProperties::SetSelectedBrush(const TBrush* Source) { return Copy(SelectedBrush, Source); }
TMyFont* TCellProperties::SetFont(const TFont* Source) { return Copy(Font, Source); }
TMyFont* TCellProperties::SetSelectedFont(const TFont* Source) { return Copy(SelectedFont, Source); }

void TCellProperties::Assign(const TCellProperties* Source) {
  if (Source == this) return;
  Brush.reset();
  SelectedBrush.reset();
  Font.reset();
  SelectedFont.reset();
  Alignment = TMyAlign::alDefault;
  Wordwrap = ww_default;
  EditFlag = 0;
  if (!Source) return;
  if (Source->Brush) SetBrush(Source->Brush.get());
  if (Source->SelectedBrush) SetSelectedBrush(Source->SelectedBrush.get());
  if (Source->Font) SetFont(Source->Font.get());
  if (Source->SelectedFont) SetSelectedFont(Source->SelectedFont.get());
  Alignment = Source->Alignment;
  Wordwrap = Source->Wordwrap;
  EditFlag = Source->EditFlag;
}

bool TCellProperties::IsEmpty() const {
  return !Brush && !SelectedBrush && !Font && !SelectedFont && Alignment == TMyAlign::alDefault &&
         Wordwrap == ww_default && EditFlag == 0;
}

std::unique_ptr<TCellProperties> TCellProperties::Clone() const {
  auto r = std::make_unique<TCellProperties>(Grid);
  r->Assign(this);
  return r;
}

// ---- TStringAlignGrid: construction and grid-wide values ----

TStringAlignGrid::TStringAlignGrid(TComponent* AOwner) : TStringGrid(AOwner) { InitGrid(); }

TStringAlignGrid::~TStringAlignGrid() = default;

void TStringAlignGrid::InitGrid() {
  auto repaint = [this](TObject*) { Invalidate(); };
  fixed_brush_.SetColor(TCustomGrid::FixedColor());
  fixed_brush_.OnChange = repaint;
  fixed_font_.Assign(TControl::Font());
  fixed_font_.OnChange = repaint;
  SortProc = &TStringAlignGrid::DefaultSortLines;
}

void TStringAlignGrid::SetAlignment(TMyAlign v) {
  if (v == alignment_) return;
  alignment_ = v;
  Invalidate();
}

void TStringAlignGrid::SetWordwrap(T_Wordwrap v) {
  if (v == wordwrap_) return;
  wordwrap_ = v;
  Invalidate();
}

void TStringAlignGrid::SetFixedColor(TColor v) {
  TCustomGrid::SetFixedColor(v);
  fixed_brush_.SetColor(v);
}

void TStringAlignGrid::SetGridLineWidth(int v) {
  TStringGrid::SetGridLineWidth(v);
  AdjustLastCol();
}

void TStringAlignGrid::SetSelectedCellColor(TColor v) {
  selected_cell_color_ = v;
  Invalidate();
}

void TStringAlignGrid::SetSelectedFontColor(TColor v) {
  selected_font_color_ = v;
  Invalidate();
}

void TStringAlignGrid::SetDrawSelection(bool v) {
  draw_selection_ = v;
  Invalidate();
}

const TBrush& TStringAlignGrid::GridBrush() const {
  // The control keeps its background as a colour; the brush mirrors it.
  if (grid_brush_.Color() != const_cast<TStringAlignGrid*>(this)->Color()) grid_brush_.SetColor(Color());
  return grid_brush_;
}

// ---- stores ----

namespace {
template <class Line>
auto* EntryAt(const Line& line, int i) {
  return i >= 0 && i < static_cast<int>(line.size()) ? &line[static_cast<size_t>(i)] : nullptr;
}
}  // namespace

TCellProperties& TStringAlignGrid::Ensure(RecordLine& Line, int Index) {
  if (Index >= static_cast<int>(Line.size())) Line.resize(static_cast<size_t>(Index) + 1);
  Record& r = Line[static_cast<size_t>(Index)];
  if (!r) r = std::make_unique<TCellProperties>(this);
  return *r;
}

TCellProperties& TStringAlignGrid::EnsureCell(int ACol, int ARow) {
  if (ACol >= static_cast<int>(cell_props_.size())) cell_props_.resize(static_cast<size_t>(ACol) + 1);
  return Ensure(cell_props_[static_cast<size_t>(ACol)], ARow);
}

const TCellProperties* TStringAlignGrid::PropCell(int ACol, int ARow) const {
  const RecordLine* col = EntryAt(cell_props_, ACol);
  if (!col) return nullptr;
  const Record* r = EntryAt(*col, ARow);
  return r ? r->get() : nullptr;
}

const TCellProperties* TStringAlignGrid::PropCol(int ACol) const {
  const Record* r = EntryAt(col_props_, ACol);
  return r ? r->get() : nullptr;
}
const TCellProperties* TStringAlignGrid::PropRow(int ARow) const {
  const Record* r = EntryAt(row_props_, ARow);
  return r ? r->get() : nullptr;
}
const TCellProperties* TStringAlignGrid::PropFixedCol(int ACol) const {
  const Record* r = EntryAt(fixed_col_props_, ACol);
  return r ? r->get() : nullptr;
}
const TCellProperties* TStringAlignGrid::PropFixedRow(int ARow) const {
  const Record* r = EntryAt(fixed_row_props_, ARow);
  return r ? r->get() : nullptr;
}

// The precedence walk: the cell's record, its column's, its row's. UseFixed picks the
// fixed-line stores for fixed cells; the selection colours never use them.
template <class Pred>
const TCellProperties* TStringAlignGrid::Find(int ACol, int ARow, Pred P, bool UseFixed) const {
  const bool fixed = UseFixed && IsFixedCell(ACol, ARow);
  const TCellProperties* chain[] = {PropCell(ACol, ARow), fixed ? PropFixedCol(ACol) : PropCol(ACol),
                                    fixed ? PropFixedRow(ARow) : PropRow(ARow)};
  for (const TCellProperties* p : chain)
    if (p && P(*p)) return p;
  return nullptr;
}

TMyAlign TStringAlignGrid::CellAlignment(int ACol, int ARow) const {
  auto* p = Find(ACol, ARow, [](const TCellProperties& r) { return r.Alignment != TMyAlign::alDefault; }, true);
  if (p) return p->Alignment;
  return alignment_ == TMyAlign::alDefault ? TMyAlign::alLeft : alignment_;
}

T_Wordwrap TStringAlignGrid::CellWordwrap(int ACol, int ARow) const {
  auto* p = Find(ACol, ARow, [](const TCellProperties& r) { return r.Wordwrap != ww_default; }, true);
  if (p) return p->Wordwrap;
  return wordwrap_ == ww_default ? ww_none : wordwrap_;
}

bool TStringAlignGrid::CellEditable(int ACol, int ARow) const {
  auto* p = Find(ACol, ARow, [](const TCellProperties& r) { return r.EditFlag != 0; }, true);
  return p ? p->EditFlag == 2 : Editable;
}

const TFont* TStringAlignGrid::CellFont(int ACol, int ARow) const {
  auto* p = Find(ACol, ARow, [](const TCellProperties& r) { return r.Font != nullptr; }, true);
  if (p) return p->Font.get();
  if (IsFixedCell(ACol, ARow)) return &fixed_font_;
  return const_cast<TStringAlignGrid*>(this)->TControl::Font();
}

const TBrush* TStringAlignGrid::CellBrush(int ACol, int ARow) const {
  auto* p = Find(ACol, ARow, [](const TCellProperties& r) { return r.Brush != nullptr; }, true);
  if (p) return p->Brush.get();
  if (IsFixedCell(ACol, ARow)) return &fixed_brush_;
  return &GridBrush();
}

TColor TStringAlignGrid::ColorCell(int ACol, int ARow) const { return CellBrush(ACol, ARow)->Color(); }

TColor TStringAlignGrid::CellSelectedColor(int ACol, int ARow) const {
  auto* p = Find(ACol, ARow, [](const TCellProperties& r) { return r.SelectedBrush != nullptr; }, false);
  return p ? p->SelectedBrush->Color() : selected_cell_color_;
}

TColor TStringAlignGrid::CellSelectedFontColor(int ACol, int ARow) const {
  auto* p = Find(ACol, ARow, [](const TCellProperties& r) { return r.SelectedFont != nullptr; }, false);
  return p ? p->SelectedFont->Color() : selected_font_color_;
}

// ---- accessors ----

// New fonts copy the grid's Font and new brushes the grid's own brush, for fixed lines too.
TFont* TStringAlignGrid::FontCell(int ACol, int ARow) {
  TCellProperties& r = EnsureCell(ACol, ARow);
  return r.Font ? r.Font.get() : r.SetFont(TControl::Font());
}
TFont* TStringAlignGrid::FontCol(int ACol) {
  TCellProperties& r = Ensure(col_props_, ACol);
  return r.Font ? r.Font.get() : r.SetFont(TControl::Font());
}
TFont* TStringAlignGrid::FontFixedCol(int ACol) {
  TCellProperties& r = Ensure(fixed_col_props_, ACol);
  return r.Font ? r.Font.get() : r.SetFont(TControl::Font());
}
TFont* TStringAlignGrid::FontRow(int ARow) {
  TCellProperties& r = Ensure(row_props_, ARow);
  return r.Font ? r.Font.get() : r.SetFont(TControl::Font());
}
TFont* TStringAlignGrid::FontFixedRow(int ARow) {
  TCellProperties& r = Ensure(fixed_row_props_, ARow);
  return r.Font ? r.Font.get() : r.SetFont(TControl::Font());
}
void TStringAlignGrid::SetFontFixedRow(int ARow, const TFont* Value) {
  FontFixedRow(ARow)->Assign(const_cast<TFont*>(Value));
  Invalidate();
}

TBrush* TStringAlignGrid::BrushCell(int ACol, int ARow) {
  TCellProperties& r = EnsureCell(ACol, ARow);
  return r.Brush ? r.Brush.get() : r.SetBrush(&GridBrush());
}
TBrush* TStringAlignGrid::BrushCol(int ACol) {
  TCellProperties& r = Ensure(col_props_, ACol);
  return r.Brush ? r.Brush.get() : r.SetBrush(&GridBrush());
}
TBrush* TStringAlignGrid::BrushFixedCol(int ACol) {
  TCellProperties& r = Ensure(fixed_col_props_, ACol);
  return r.Brush ? r.Brush.get() : r.SetBrush(&GridBrush());
}
TBrush* TStringAlignGrid::BrushRow(int ARow) {
  TCellProperties& r = Ensure(row_props_, ARow);
  return r.Brush ? r.Brush.get() : r.SetBrush(&GridBrush());
}
TBrush* TStringAlignGrid::BrushFixedRow(int ARow) {
  TCellProperties& r = Ensure(fixed_row_props_, ARow);
  return r.Brush ? r.Brush.get() : r.SetBrush(&GridBrush());
}

void TStringAlignGrid::SetColorCell(int ACol, int ARow, TColor Value) {
  const TCellProperties* had = PropCell(ACol, ARow);
  if (had != nullptr && had->Brush != nullptr && had->Brush->Color() == Value && had->Brush->Style() == bsSolid)
    return;
  // Only this cell changes look: it alone is drawn again (a live mark moving over a
  // table costs the two cells it leaves and enters).
  ++quiet_changes_;
  try {
    BrushCell(ACol, ARow)->SetColor(Value);
  } catch (...) {
    --quiet_changes_;
    throw;
  }
  --quiet_changes_;
  InvalidateCell(ACol, ARow);
}

namespace {
void SetSelected(TCellProperties& r, TColor Value) {
  TBrush b;
  b.SetColor(Value);
  r.SetSelectedBrush(&b);
}
}  // namespace

void TStringAlignGrid::SetSelectedColorCell(int ACol, int ARow, TColor Value) {
  SetSelected(EnsureCell(ACol, ARow), Value);
  Invalidate();
}
void TStringAlignGrid::SetSelectedColorCol(int ACol, TColor Value) {
  SetSelected(Ensure(col_props_, ACol), Value);
  Invalidate();
}
void TStringAlignGrid::SetSelectedColorRow(int ARow, TColor Value) {
  SetSelected(Ensure(row_props_, ARow), Value);
  Invalidate();
}

void TStringAlignGrid::SetAlignCell(int ACol, int ARow, TMyAlign Value) {
  EnsureCell(ACol, ARow).Alignment = Value;
  Invalidate();
}
void TStringAlignGrid::SetAlignCol(int ACol, TMyAlign Value) {
  Ensure(col_props_, ACol).Alignment = Value;
  Invalidate();
}
void TStringAlignGrid::SetFixedAlignCol(int ACol, TMyAlign Value) {
  Ensure(fixed_col_props_, ACol).Alignment = Value;
  Invalidate();
}
void TStringAlignGrid::SetAlignRow(int ARow, TMyAlign Value) {
  Ensure(row_props_, ARow).Alignment = Value;
  Invalidate();
}
void TStringAlignGrid::SetFixedAlignRow(int ARow, TMyAlign Value) {
  Ensure(fixed_row_props_, ARow).Alignment = Value;
  Invalidate();
}

void TStringAlignGrid::SetEditCell(int ACol, int ARow, bool Value) { EnsureCell(ACol, ARow).EditFlag = Value ? 2 : 1; }
void TStringAlignGrid::SetEditCol(int ACol, bool Value) { Ensure(col_props_, ACol).EditFlag = Value ? 2 : 1; }
void TStringAlignGrid::SetEditRow(int ARow, bool Value) { Ensure(row_props_, ARow).EditFlag = Value ? 2 : 1; }

AnsiString TStringAlignGrid::HintCell(int ACol, int ARow) const {
  const TextLine* col = EntryAt(hints_, ACol);
  if (!col) return AnsiString();
  const std::optional<AnsiString>* h = EntryAt(*col, ARow);
  return h && *h ? **h : AnsiString();
}

void TStringAlignGrid::SetHintCell(int ACol, int ARow, const AnsiString& Value) {
  if (ACol < 0 || ARow < 0) return;
  if (ACol >= static_cast<int>(hints_.size())) hints_.resize(static_cast<size_t>(ACol) + 1);
  TextLine& col = hints_[static_cast<size_t>(ACol)];
  if (ARow >= static_cast<int>(col.size())) col.resize(static_cast<size_t>(ARow) + 1);
  col[static_cast<size_t>(ARow)] = Value;
  has_hints_ = true;
}

bool TStringAlignGrid::TabStops(int ACol) const {
  const auto i = static_cast<size_t>(ACol);
  return ACol >= 0 && (i >= tab_stops_.size() || tab_stops_[i]);
}

void TStringAlignGrid::SetTabStops(int ACol, bool Value) {
  if (ACol < 0) return;
  if (static_cast<size_t>(ACol) >= tab_stops_.size()) tab_stops_.resize(static_cast<size_t>(ACol) + 1, true);
  tab_stops_[static_cast<size_t>(ACol)] = Value;
}

// The grids keep the single border and the 3-D look they are made with: one pixel each
// beyond their lines.
constexpr int kBorderAnd3D = 2;

int TStringAlignGrid::TotalWidth() const {
  int w = 0;
  for (int i = 0; i < ColCount(); ++i) w += ColWidths(i);
  return w + kBorderAnd3D;
}

int TStringAlignGrid::TotalHeight() const {
  int h = 0;
  for (int i = 0; i < RowCount(); ++i) h += RowHeights(i);
  return h + kBorderAnd3D;
}

bool TStringAlignGrid::VertScrollBarVisible() const {
  // A grid without a vertical bar never shows one, whatever its rows.
  if (ScrollBars() != ssVertical && ScrollBars() != ssBoth) return false;
  // The bar has a range when the rows do not fit the client height.
  grid::Axis a;
  a.count = RowCount();
  a.fixed = FixedRows();
  a.defaultSize = DefaultRowHeight();
  a.lineWidth = GridLineWidth();
  for (int i = 0; i < RowCount(); ++i) a.sizes.push_back(RowHeights(i));
  return a.MaxFirst(ClientHeight()) > a.fixed;
}

// ---- line operations ----

namespace {
template <class T>
void InsertAt(std::vector<T>& line, int i) {
  if (i <= static_cast<int>(line.size())) line.insert(line.begin() + i, T());
}

template <class T>
void MoveAt(std::vector<T>& line, int from, int to) {
  const int need = std::max(from, to) + 1;
  if (static_cast<int>(line.size()) < need) line.resize(static_cast<size_t>(need));
  T v = std::move(line[static_cast<size_t>(from)]);
  line.erase(line.begin() + from);
  line.insert(line.begin() + to, std::move(v));
}

template <class T>
void SwapAt(std::vector<T>& line, int a, int b) {
  const int need = std::max(a, b) + 1;
  if (static_cast<int>(line.size()) < need) line.resize(static_cast<size_t>(need));
  std::swap(line[static_cast<size_t>(a)], line[static_cast<size_t>(b)]);
}

// Where a line at `pos` ends up when the line at `from` moves to `to`.
int FollowMove(int pos, int from, int to) {
  if (pos == from) return to;
  if (from < to && pos > from && pos <= to) return pos - 1;
  if (to < from && pos >= to && pos < from) return pos + 1;
  return pos;
}
}  // namespace

void TStringAlignGrid::InsertColumn(int Index) {
  Index = std::max(Index, FixedCols());
  TNewInplaceEdit* ed = AlignEditor();
  const bool reshow = EditorMode() && ed && ed->Visible() && Col() >= Index;
  if (reshow) HideEditor();
  SetColCount(ColCount() + 1);
  InsertAt(col_props_, Index);
  InsertAt(cell_props_, Index);
  InsertAt(hints_, Index);
  const int last = ColCount() - 1;
  for (int r = 0; r < RowCount(); ++r) SetCells(last, r, AnsiString());
  for (int c = last; c > Index; --c)
    for (int r = 0; r < RowCount(); ++r) {
      SetCells(c, r, Cells(c - 1, r));
      SetObjects(c, r, Objects(c - 1, r));
    }
  for (int r = 0; r < RowCount() && Index < ColCount(); ++r) {
    SetCells(Index, r, AnsiString());
    SetObjects(Index, r, nullptr);
  }
  if (Col() >= Index && Col() + 1 < ColCount()) SetCol(Col() + 1);
  if (reshow) ShowEditor();
  Invalidate();
}

void TStringAlignGrid::InsertRow(int Index) {
  Index = std::max(Index, FixedRows());
  TNewInplaceEdit* ed = AlignEditor();
  const bool reshow = EditorMode() && ed && ed->Visible() && Row() >= Index;
  if (reshow) HideEditor();
  SetRowCount(RowCount() + 1);
  InsertAt(row_props_, Index);
  for (auto& col : cell_props_) InsertAt(col, Index);
  for (auto& col : hints_) InsertAt(col, Index);
  const int last = RowCount() - 1;
  for (int c = 0; c < ColCount(); ++c) {
    for (int r = last; r > Index; --r) {
      SetCells(c, r, Cells(c, r - 1));
      SetObjects(c, r, Objects(c, r - 1));
    }
    if (Index < RowCount()) {
      SetCells(c, Index, AnsiString());
      SetObjects(c, Index, nullptr);
    }
  }
  if (Row() >= Index && Row() + 1 < RowCount()) SetRow(Row() + 1);
  if (reshow) ShowEditor();
  Invalidate();
}

void TStringAlignGrid::MoveLine(int From, int To, bool Rows) {
  if (From == To) return;
  if (Rows) {
    MoveAt(row_props_, From, To);
    for (auto& col : cell_props_) MoveAt(col, From, To);
    for (auto& col : hints_) MoveAt(col, From, To);
  } else {
    MoveAt(col_props_, From, To);
    MoveAt(cell_props_, From, To);
    MoveAt(hints_, From, To);
  }
  // The editor stays on the line it was editing, wherever that line went.
  if (TNewInplaceEdit* ed = AlignEditor()) {
    if (Rows && ed->Row >= 0) ed->Row = FollowMove(ed->Row, From, To);
    if (!Rows && ed->Col >= 0) ed->Col = FollowMove(ed->Col, From, To);
  }
}

void TStringAlignGrid::RowMoved(int FromIndex, int ToIndex) {
  MoveLine(FromIndex, ToIndex, true);
  TStringGrid::RowMoved(FromIndex, ToIndex);
}

void TStringAlignGrid::ColumnMoved(int FromIndex, int ToIndex) {
  MoveLine(FromIndex, ToIndex, false);
  TStringGrid::ColumnMoved(FromIndex, ToIndex);
}

void TStringAlignGrid::SwapLines(int A, int B, bool Rows) {
  if (A == B) return;
  TNewInplaceEdit* ed = AlignEditor();
  const int cur = Rows ? Row() : Col();
  const bool reshow = EditorMode() && ed && ed->Visible() && (cur == A || cur == B);
  if (reshow) HideEditor();
  if (Rows) {
    SwapAt(row_props_, A, B);
    for (int c = 0; c < std::max<int>(ColCount(), static_cast<int>(cell_props_.size())); ++c) {
      if (c >= static_cast<int>(cell_props_.size())) cell_props_.resize(static_cast<size_t>(c) + 1);
      SwapAt(cell_props_[static_cast<size_t>(c)], A, B);
    }
    for (int c = 0; c < std::max<int>(ColCount(), static_cast<int>(hints_.size())); ++c) {
      if (c >= static_cast<int>(hints_.size())) hints_.resize(static_cast<size_t>(c) + 1);
      SwapAt(hints_[static_cast<size_t>(c)], A, B);
    }
    for (int c = 0; c < ColCount(); ++c) {
      AnsiString t = Cells(c, A);
      TObject* o = Objects(c, A);
      SetCells(c, A, Cells(c, B));
      SetObjects(c, A, Objects(c, B));
      SetCells(c, B, t);
      SetObjects(c, B, o);
    }
    if (cur == A || cur == B) SetRow(cur == A ? B : A);
  } else {
    SwapAt(col_props_, A, B);
    SwapAt(cell_props_, A, B);
    SwapAt(hints_, A, B);
    for (int r = 0; r < RowCount(); ++r) {
      AnsiString t = Cells(A, r);
      TObject* o = Objects(A, r);
      SetCells(A, r, Cells(B, r));
      SetObjects(A, r, Objects(B, r));
      SetCells(B, r, t);
      SetObjects(B, r, o);
    }
    if (cur == A || cur == B) SetCol(cur == A ? B : A);
  }
  if (reshow) ShowEditor();
  Invalidate();
}

void TStringAlignGrid::SwapRows(int A, int B) {
  if (!IsRealCell(0, A) || !IsRealCell(0, B)) return;
  SwapLines(A, B, true);
}

void TStringAlignGrid::SwapColumns(int A, int B) {
  if (!IsRealCell(A, 0) || !IsRealCell(B, 0)) return;
  SwapLines(A, B, false);
}

void TStringAlignGrid::SortLines(int KeyLine, int First, int Last, bool Ascending, bool ByColumn) {
  if (SortProc)
    SortProc(this, KeyLine, First, Last, Ascending, ByColumn);
  else
    DefaultSortLines(this, KeyLine, First, Last, Ascending, ByColumn);
}

namespace {
int CompareTexts(const AnsiString& a, const AnsiString& b) {
  const int c = a.compare(b);  // by character code
  return c < 0 ? 0 : c == 0 ? 1 : 2;
}
}  // namespace

void TStringAlignGrid::DefaultSortLines(TStringAlignGrid* G, int KeyLine, int First, int Last, bool Ascending,
                                        bool ByColumn) {
  const int count = ByColumn ? G->RowCount() : G->ColCount();
  First = std::max(First, 0);
  Last = std::min(Last, count - 1);
  if (First >= Last) return;
  const int target = Ascending ? 2 : 0;
  auto compare = [&](int a, int b) {
    const TCompareFunction& ev = ByColumn ? G->OnCompareCol : G->OnCompareRow;
    if (ev) return ev(G, KeyLine, a, b);
    return ByColumn ? CompareTexts(G->Cells(KeyLine, a), G->Cells(KeyLine, b))
                    : CompareTexts(G->Cells(a, KeyLine), G->Cells(b, KeyLine));
  };
  auto swap = [&](int a, int b) {
    if (ByColumn)
      G->SwapRows(a, b);
    else
      G->SwapColumns(a, b);
  };
  // Quick sort with the last line as pivot. Both indexes stay inside the range, so a
  // comparison that never answers "equal" cannot run them past its end.
  auto sort = [&](auto& self, int lo, int hi) -> void {
    if (lo >= hi) return;
    const int pivot = hi;
    int i = lo, j = hi - 1;
    for (;;) {
      while (i < pivot && compare(pivot, i) == target) ++i;
      while (j > lo && compare(j, pivot) == target) --j;
      if (j <= i) break;
      swap(i, j);
      ++i;
      --j;
    }
    if (i != pivot) swap(i, pivot);
    self(self, lo, i - 1);
    self(self, i + 1, hi);
  };
  sort(sort, First, Last);
}

#include "platform/stdctrls/StringGrid.h"

#include "platform/rtl/SysUtils.h"

TStringGrid::TStringGrid(TComponent* AOwner) : TCustomGrid(AOwner) { SizeChanged(0, 0); }

TStringGrid::~TStringGrid() = default;

void TStringGrid::SizeChanged(int OldColCount, int OldRowCount) {
  data_.resize(static_cast<size_t>(ColCount()));
  for (auto& col : data_) col.resize(static_cast<size_t>(RowCount()));
  TCustomGrid::SizeChanged(OldColCount, OldRowCount);
}

const TStringGrid::Cell* TStringGrid::Find(int ACol, int ARow) const {
  if (ACol < 0 || ARow < 0 || ACol >= static_cast<int>(data_.size())) return nullptr;
  const auto& col = data_[static_cast<size_t>(ACol)];
  if (ARow >= static_cast<int>(col.size())) return nullptr;
  return &col[static_cast<size_t>(ARow)];
}

TStringGrid::Cell& TStringGrid::At(int ACol, int ARow) {
  if (!Find(ACol, ARow)) throw EInvalidOperation("Grid index out of range");
  return data_[static_cast<size_t>(ACol)][static_cast<size_t>(ARow)];
}

AnsiString TStringGrid::Cells(int ACol, int ARow) const {
  const Cell* c = Find(ACol, ARow);
  return c ? c->text : AnsiString();
}

void TStringGrid::SetCells(int ACol, int ARow, const AnsiString& Value) {
  Cell& c = At(ACol, ARow);
  if (c.text == Value) return;
  c.text = Value;
  InvalidateCell(ACol, ARow);
}

TObject* TStringGrid::Objects(int ACol, int ARow) const {
  const Cell* c = Find(ACol, ARow);
  return c ? c->object : nullptr;
}

void TStringGrid::SetObjects(int ACol, int ARow, TObject* Value) { At(ACol, ARow).object = Value; }

std::vector<AnsiString> TStringGrid::Cols(int ACol) const {
  std::vector<AnsiString> r;
  for (int i = 0; i < RowCount(); ++i) r.push_back(Cells(ACol, i));
  return r;
}

std::vector<AnsiString> TStringGrid::Rows(int ARow) const {
  std::vector<AnsiString> r;
  for (int i = 0; i < ColCount(); ++i) r.push_back(Cells(i, ARow));
  return r;
}

void TStringGrid::SetRows(int ARow, const std::vector<AnsiString>& Values) {
  for (int i = 0; i < ColCount(); ++i)
    SetCells(i, ARow, i < static_cast<int>(Values.size()) ? Values[static_cast<size_t>(i)] : AnsiString());
}

void TStringGrid::SetCols(int ACol, const std::vector<AnsiString>& Values) {
  for (int i = 0; i < RowCount(); ++i)
    SetCells(ACol, i, i < static_cast<int>(Values.size()) ? Values[static_cast<size_t>(i)] : AnsiString());
}

void TStringGrid::DrawCell(int ACol, int ARow, TRect ARect, TGridDrawState AState) {
  if (DefaultDrawing()) {
    const Cell* c = Find(ACol, ARow);
    if (c && !c->text.empty()) {
      TCanvas* cv = Canvas();
      cv->SetBkMode(TRANSPARENT);
      cv->TextRect(ARect, ARect.Left + 2, ARect.Top + 2, c->text);
    }
  }
  TCustomGrid::DrawCell(ACol, ARow, ARect, AState);
}

AnsiString TStringGrid::GetEditText(int ACol, int ARow) {
  AnsiString v = Cells(ACol, ARow);
  if (OnGetEditText) OnGetEditText(this, ACol, ARow, v);
  return v;
}

void TStringGrid::SetEditText(int ACol, int ARow, const AnsiString& Value) {
  if (Find(ACol, ARow)) SetCells(ACol, ARow, Value);
  TCustomGrid::SetEditText(ACol, ARow, Value);
}

void TStringGrid::ColumnMoved(int FromIndex, int ToIndex) {
  auto col = std::move(data_[static_cast<size_t>(FromIndex)]);
  data_.erase(data_.begin() + FromIndex);
  data_.insert(data_.begin() + ToIndex, std::move(col));
  TCustomGrid::ColumnMoved(FromIndex, ToIndex);
}

void TStringGrid::RowMoved(int FromIndex, int ToIndex) {
  for (auto& col : data_) {
    Cell c = std::move(col[static_cast<size_t>(FromIndex)]);
    col.erase(col.begin() + FromIndex);
    col.insert(col.begin() + ToIndex, std::move(c));
  }
  TCustomGrid::RowMoved(FromIndex, ToIndex);
}

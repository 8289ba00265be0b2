#pragma once
// TStringGrid: the grid holding a text and an object pointer per cell. Cells follow
// their lines when columns or rows are moved, and survive size changes where they
// still fit.
#include <vector>
#include "platform/stdctrls/Grids.h"

class TStringGrid : public TCustomGrid {
 public:
  explicit TStringGrid(TComponent* AOwner);
  ~TStringGrid() override;
  const char* ClassName() const override { return "TStringGrid"; }

  // Reading outside the grid gives "" and nullptr; writing there raises
  // EInvalidOperation "Grid index out of range".
  AnsiString Cells(int ACol, int ARow) const;
  void SetCells(int ACol, int ARow, const AnsiString& Value);
  TObject* Objects(int ACol, int ARow) const;
  void SetObjects(int ACol, int ARow, TObject* Value);

  // A whole column or row as lines of text (as comma text would split them).
  std::vector<AnsiString> Cols(int ACol) const;
  std::vector<AnsiString> Rows(int ARow) const;
  void SetRows(int ARow, const std::vector<AnsiString>& Values);
  void SetCols(int ACol, const std::vector<AnsiString>& Values);

 protected:
  void DrawCell(int ACol, int ARow, TRect ARect, TGridDrawState AState) override;
  AnsiString GetEditText(int ACol, int ARow) override;
  void SetEditText(int ACol, int ARow, const AnsiString& Value) override;
  void ColumnMoved(int FromIndex, int ToIndex) override;
  void RowMoved(int FromIndex, int ToIndex) override;
  void SizeChanged(int OldColCount, int OldRowCount) override;

 private:
  struct Cell {
    AnsiString text;
    TObject* object = nullptr;
  };
  // Column-major: data_[col][row].
  std::vector<std::vector<Cell>> data_;
  const Cell* Find(int ACol, int ARow) const;
  Cell& At(int ACol, int ARow);
};

// The property model: which record decides a cell's look, what the creating accessors
// copy, and records, hints and texts following inserted, moved, swapped and sorted lines.
#include "AligridFixture.h"

using A = TMyAlign;

TEST_F(AligridTest, PrecedenceCellThenColumnThenRowThenGrid) {
  auto g = MakeGrid(5, 5);  // one fixed column and row
  g->SetAlignment(A::alDefault);
  g->SetAlignCell(2, 3, A::alLeft);
  g->SetAlignCol(2, A::alCenter);
  g->SetAlignRow(3, A::alRight);
  g->SetFixedAlignCol(2, A::alRight);
  g->SetFixedAlignRow(3, A::alCenter);
  g->SetAlignRow(0, A::alCenter);  // a row record does not reach header cells
  struct Row { int col, row; A expect; } rows[] = {
      {2, 3, A::alLeft},    // own record
      {2, 2, A::alCenter},  // column
      {3, 3, A::alRight},   // row
      {3, 2, A::alLeft},    // grid alDefault reads as left
      {2, 0, A::alRight},   // header: fixed-column store
      {0, 3, A::alCenter},  // header: fixed-row store, not the row store
      {3, 0, A::alLeft},
  };
  for (const Row& r : rows) EXPECT_EQ(g->CellAlignment(r.col, r.row), r.expect) << r.col << "," << r.row;
  g->SetWordwrap(ww_default);
  EXPECT_EQ(g->CellWordwrap(3, 3), ww_none);
}

TEST_F(AligridTest, EditabilityBrushesAndSelectionColours) {
  auto g = MakeGrid(5, 5);
  g->SetEditCell(1, 1, false);
  g->SetEditCol(1, true);
  g->SetEditRow(2, false);
  EXPECT_FALSE(g->CellEditable(1, 1));  // the cell's own flag beats the column
  EXPECT_TRUE(g->CellEditable(1, 2));   // column before row
  EXPECT_FALSE(g->CellEditable(3, 2));
  EXPECT_TRUE(g->CellEditable(3, 3));
  g->Editable = false;
  EXPECT_FALSE(g->CellEditable(3, 3));

  g->BrushCol(2)->SetColor(clRed);
  EXPECT_EQ(g->ColorCell(2, 2), clRed);
  EXPECT_EQ(g->ColorCell(2, 0), g->FixedColor());  // header ignores the column store
  g->BrushFixedCol(2)->SetColor(clBlue);
  EXPECT_EQ(g->ColorCell(2, 0), clBlue);
  EXPECT_EQ(g->ColorCell(3, 3), g->Color());
  g->SetColorCell(3, 3, clLime);
  EXPECT_EQ(g->ColorCell(3, 3), clLime);
  g->SetFixedColor(clYellow);
  EXPECT_EQ(g->ColorCell(0, 0), clYellow);

  g->SetSelectedColorRow(3, clAqua);
  EXPECT_EQ(g->CellSelectedColor(4, 3), clAqua);
}

TEST_F(AligridTest, FontCellOfHeaderCopiesTheGridFontNotTheFixedFont) {
  auto g = MakeGrid();
  g->FixedCellFont()->SetHeight(-20);
  EXPECT_EQ(g->CellFont(0, 1)->Height(), -20);
  TFont* f = g->FontCell(0, 1);
  EXPECT_EQ(f->Height(), g->Font()->Height());
  EXPECT_EQ(g->CellFont(0, 1), f);
  EXPECT_EQ(g->FontCell(0, 1), f);  // created once
  EXPECT_EQ(g->PropCell(3, 3), nullptr);  // queries created nothing
  TCellProperties copy(g.get());
  copy.Assign(g->PropCell(0, 1));
  EXPECT_FALSE(copy.IsEmpty());
  copy.Assign(nullptr);
  EXPECT_TRUE(copy.IsEmpty());
}

TEST_F(AligridTest, InsertRowBelowFixedRowsShiftsRecordsHintsAndTexts) {
  auto g = MakeGrid(3, 4);
  g->SetCells(1, 1, "one");
  g->SetAlignRow(1, A::alRight);
  g->SetFixedAlignRow(1, A::alCenter);
  g->SetHintCell(1, 1, "h");
  g->InsertRow(0);  // below the fixed row: at 1
  EXPECT_EQ(g->RowCount(), 5);
  EXPECT_EQ(g->Cells(1, 1), "");
  EXPECT_EQ(g->Cells(1, 2), "one");
  EXPECT_EQ(g->PropRow(2)->Alignment, A::alRight);
  EXPECT_EQ(g->PropRow(1), nullptr);
  EXPECT_EQ(g->PropFixedRow(1)->Alignment, A::alCenter);  // fixed store stays
  EXPECT_EQ(g->HintCell(1, 2), "h");

  g->SetAlignCol(2, A::alCenter);
  g->InsertColumn(1);
  EXPECT_EQ(g->Cells(2, 2), "one");
  EXPECT_EQ(g->PropCol(3)->Alignment, A::alCenter);
  EXPECT_EQ(g->HintCell(2, 2), "h");
}

TEST_F(AligridTest, MovedRowsTakeRecordsHintsAndTheEditorAlong) {
  auto g = MakeGrid(3, 6);
  for (int r = 0; r < 6; ++r) g->SetCells(1, r, AnsiString(1, static_cast<char>('a' + r)));
  g->SetAlignCell(1, 2, A::alRight);
  g->SetHintCell(2, 2, "two");
  g->SetOptions(g->Options() + TGridOptions{goEditing});
  g->SetEditorMode(true);
  g->SetEditorMode(false);
  TNewInplaceEdit* ed = g->AlignEditor();
  ASSERT_NE(ed, nullptr);

  struct Move { int from, to, editorBefore, editorAfter; } moves[] = {
      {2, 4, 3, 2},  // a row between moves up with the line removed above it
      {4, 2, 3, 4},
      {1, 3, 1, 3},  // the edited row itself
      {3, 3, 3, 3},
  };
  for (const Move& m : moves) {
    ed->Col = 1;
    ed->Row = m.editorBefore;
    g->MoveRow(m.from, m.to);
    EXPECT_EQ(ed->Row, m.editorAfter) << m.from << "->" << m.to;
  }
  // After 2->4, 4->2, 1->3: "c" went to 4 and back to 2, then row 1 moved below it.
  EXPECT_EQ(g->Cells(1, 1), "c");
  EXPECT_EQ(g->PropCell(1, 1)->Alignment, A::alRight);
  EXPECT_EQ(g->HintCell(2, 1), "two");

  g->SetAlignCol(1, A::alCenter);
  g->MoveColumn(1, 2);
  EXPECT_EQ(g->PropCol(2)->Alignment, A::alCenter);
  EXPECT_EQ(g->PropCell(2, 1)->Alignment, A::alRight);
  EXPECT_EQ(g->HintCell(1, 1), "two");
}

TEST_F(AligridTest, SwapRowsExchangesTextsObjectsRecordsAndHints) {
  auto g = MakeGrid(3, 4);
  TObject marker;
  g->SetCells(1, 1, "x");
  g->SetObjects(1, 1, &marker);
  g->SetColorCell(1, 1, clRed);
  g->SetHintCell(2, 3, "y");
  g->SetAlignRow(3, A::alCenter);
  g->SwapRows(1, 3);
  EXPECT_EQ(g->Cells(1, 3), "x");
  EXPECT_EQ(g->Objects(1, 3), &marker);
  EXPECT_EQ(g->Objects(1, 1), nullptr);
  EXPECT_EQ(g->ColorCell(1, 3), clRed);
  EXPECT_EQ(g->HintCell(2, 1), "y");
  EXPECT_EQ(g->PropRow(1)->Alignment, A::alCenter);
  EXPECT_EQ(g->PropRow(3), nullptr);
  g->SwapColumns(1, 2);
  EXPECT_EQ(g->Cells(2, 3), "x");
  EXPECT_EQ(g->HintCell(1, 1), "y");
}

TEST_F(AligridTest, SortKeepsRowsWholeAndStaysInRangeWithAComparisonWithoutEqual) {
  const char* words[] = {"pear", "apple", "fig", "apple", "kiwi", "date"};
  for (int variant = 0; variant < 3; ++variant) {
    auto g = MakeGrid(3, 7);
    for (int i = 0; i < 6; ++i) {
      g->SetCells(1, i + 1, words[i]);
      g->SetCells(2, i + 1, AnsiString(1, static_cast<char>('0' + i)));
      g->SetHintCell(2, i + 1, words[i]);
    }
    if (variant == 2)  // never answers "equal": equal texts count as "after"
      g->OnCompareCol = [&](TObject*, int col, int a, int b) { return g->Cells(col, a) < g->Cells(col, b) ? 0 : 2; };
    const bool ascending = variant != 1;
    g->SortLines(1, 1, 6, ascending, true);
    for (int r = 1; r < 6; ++r) {
      if (ascending)
        EXPECT_LE(g->Cells(1, r), g->Cells(1, r + 1)) << variant;
      else
        EXPECT_GE(g->Cells(1, r), g->Cells(1, r + 1)) << variant;
    }
    for (int r = 1; r <= 6; ++r) {
      const int original = g->Cells(2, r)[0] - '0';
      EXPECT_EQ(g->Cells(1, r), words[original]);  // rows moved whole
      EXPECT_EQ(g->HintCell(2, r), words[original]);
    }
    EXPECT_EQ(g->RowCount(), 7);
  }
}

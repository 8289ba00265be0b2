// The string grid: geometry with fixed lines and scrolling, the keyboard walk and
// selection, the in-place editor's life cycle, moving lines and the drawn states.
#include <memory>

#include "StdFixture.h"
#include "platform/stdctrls/StringGrid.h"
#include "platform/ui/Simulate.h"

namespace {

// Grids without a window: ClientWidth/Height are the plain size.
std::unique_ptr<TStringGrid> MakeGrid(int cols = 5, int rows = 5) {
  auto g = std::make_unique<TStringGrid>(nullptr);
  g->SetScrollBars(ssNone);
  g->SetColCount(cols);
  g->SetRowCount(rows);
  g->SetBounds(0, 0, 200, 100);
  return g;
}

// A grid that opens the protected hooks to the tests.
class ProbeGrid : public TStringGrid {
 public:
  using TStringGrid::TStringGrid;
  using TCustomGrid::CanEditShow;
  std::vector<std::pair<int, int>> moved;
  std::vector<TGridDrawState> states;
  void ColumnMoved(int f, int t) override {
    moved.emplace_back(f, t);
    TStringGrid::ColumnMoved(f, t);
  }
};

}  // namespace

TEST(GridAxis, PositionsAndHitsAcrossFixedAndScrolledLines) {
  grid::Axis a{6, 1, 10, 1, 1, {}};
  a.sizes = {20, 10, 10, 30, 10, 10};
  EXPECT_EQ(a.FixedExtent(), 21);
  struct Row { int first, line, start; } rows[] = {
      {1, 0, 0}, {1, 1, 21}, {1, 3, 43}, {3, 3, 21}, {3, 1, -1}, {3, 5, 63}};
  for (const Row& r : rows) {
    a.first = r.first;
    EXPECT_EQ(a.Start(r.line), r.start) << "first " << r.first << " line " << r.line;
  }
  a.first = 1;
  EXPECT_EQ(a.LineAt(0), 0);
  EXPECT_EQ(a.LineAt(20), 0);   // the fixed line's grid line
  EXPECT_EQ(a.LineAt(21), 1);
  EXPECT_EQ(a.LineAt(200), -1);
  EXPECT_EQ(a.LastFullyVisible(60), 2);  // 21 + 11 + 11 = 43; line 3 needs 30 more
  EXPECT_EQ(a.LastVisible(60), 3);
  EXPECT_EQ(a.MaxFirst(60), 4);  // lines 4 and 5 fill 21 + 22
  EXPECT_EQ(a.MaxFirst(1000), 1);
}

TEST(Grid, CellRectWithFixedLinesAndScrolling) {
  auto g = MakeGrid(5, 8);
  EXPECT_EQ(g->CellRect(0, 0), TRect(0, 0, 64, 24));
  EXPECT_EQ(g->CellRect(1, 1), TRect(65, 25, 129, 49));
  EXPECT_EQ(g->CellRect(3, 1), TRect(195, 25, 200, 49));  // cut at the client edge
  EXPECT_TRUE(g->CellRect(4, 1).IsEmpty());
  g->SetTopRow(3);
  EXPECT_EQ(g->TopRow(), 3);
  EXPECT_TRUE(g->CellRect(1, 1).IsEmpty());        // scrolled away
  EXPECT_EQ(g->CellRect(1, 3), TRect(65, 25, 129, 49));
  EXPECT_EQ(g->CellRect(0, 0), TRect(0, 0, 64, 24));  // fixed lines stay
  int c = 0, r = 0;
  g->MouseToCell(70, 30, c, r);
  EXPECT_EQ(c, 1);
  EXPECT_EQ(r, 3);
  g->MouseToCell(300, 30, c, r);
  EXPECT_EQ(c, -1);
  // TopRow cannot pass the point where the last row is fully shown.
  g->SetTopRow(100);
  EXPECT_EQ(g->TopRow(), 5);
  g->SetColWidths(1, 10);
  g->SetGridLineWidth(3);
  EXPECT_EQ(g->CellRect(2, 0), TRect(64 + 3 + 10 + 3, 0, 64 + 3 + 10 + 3 + 64, 24));
}

TEST(Grid, KeyboardWalkAndSelection) {
  auto g = MakeGrid(6, 10);
  struct Step { WORD key; TShiftState shift; int col, row; } steps[] = {
      {VK_RIGHT, {}, 2, 1},      {VK_DOWN, {}, 2, 2},        {VK_LEFT, {}, 1, 2},
      {VK_LEFT, {}, 1, 2},       {VK_UP, {}, 1, 1},          {VK_UP, {}, 1, 1},
      {VK_END, {}, 5, 1},        {VK_HOME, {}, 1, 1},        {VK_END, {ssCtrl}, 5, 9},
      {VK_HOME, {ssCtrl}, 1, 1}, {VK_NEXT, {}, 1, 4},        {VK_PRIOR, {}, 1, 1},
      {VK_TAB, {}, 1, 1},  // without goTabs Tab does not move
  };
  auto press = [&](WORD key, TShiftState shift) { g->KeyDown(key, shift); };
  for (const Step& s : steps) {
    press(s.key, s.shift);
    EXPECT_EQ(g->Col(), s.col) << "key " << s.key;
    EXPECT_EQ(g->Row(), s.row) << "key " << s.key;
  }
  // Shift extends the selection from the anchor.
  press(VK_RIGHT, {ssShift});
  press(VK_DOWN, {ssShift});
  EXPECT_EQ(g->Selection(), (TGridRect{1, 1, 2, 2}));
  press(VK_DOWN, {});
  EXPECT_EQ(g->Selection(), (TGridRect{2, 3, 2, 3}));
  // Tabs wrap into the next row and back.
  g->SetOptions(g->Options() + TGridOptions{goTabs});
  g->SetCol(5);
  press(VK_TAB, {});
  EXPECT_EQ(g->Col(), 1);
  EXPECT_EQ(g->Row(), 4);
  press(VK_TAB, {ssShift});
  EXPECT_EQ(g->Col(), 5);
  EXPECT_EQ(g->Row(), 3);
  // Row select spans the scrolled columns.
  g->SetOptions(g->Options() + TGridOptions{goRowSelect});
  EXPECT_EQ(g->Selection(), (TGridRect{1, 3, 5, 3}));
  // OnSelectCell can refuse the move.
  g->OnSelectCell = [](TObject*, int, int r, bool& can) { can = r != 4; };
  press(VK_DOWN, {});
  EXPECT_EQ(g->Row(), 3);
}

TEST(Grid, MovingOffScreenScrollsTheCellIntoView) {
  auto g = MakeGrid(10, 20);
  g->SetRow(10);
  EXPECT_EQ(g->TopRow(), 8);  // rows 8..10 fill the 75 pixels below the fixed row
  g->SetRow(2);
  EXPECT_EQ(g->TopRow(), 2);
  g->SetCol(7);
  EXPECT_EQ(g->LeftCol(), 6);  // columns 6 and 7 fit after the fixed one
}

TEST(Grid, InplaceEditorLifeCycle) {
  auto g = std::make_unique<ProbeGrid>(nullptr);
  g->SetScrollBars(ssNone);
  g->SetBounds(0, 0, 300, 150);
  g->SetCells(1, 1, "old");
  g->SetCells(1, 2, "below");
  EXPECT_FALSE(g->CanEditShow());  // not an editing grid
  g->SetEditorMode(true);
  EXPECT_FALSE(g->EditorMode());

  g->SetOptions(g->Options() + TGridOptions{goEditing});
  char ch = 'x';
  g->KeyPress(ch);  // typing opens the editor with the character
  ASSERT_TRUE(g->EditorMode());
  TInplaceEdit* ed = g->InplaceEditor();
  ASSERT_NE(ed, nullptr);
  EXPECT_TRUE(ed->Visible());
  EXPECT_EQ(ed->Text(), "x");
  EXPECT_EQ(g->Cells(1, 1), "x");  // the cell follows the editor
  EXPECT_EQ(ed->BoundsRect(), g->CellRect(1, 1));
  auto press = [](TWinControl* c, WORD key) { c->KeyDown(key, {}); };

  press(ed, VK_ESCAPE);  // back to the text the edit began with
  EXPECT_FALSE(g->EditorMode());
  EXPECT_FALSE(ed->Visible());
  EXPECT_EQ(g->Cells(1, 1), "old");

  press(g.get(), VK_F2);
  ASSERT_TRUE(g->EditorMode());
  EXPECT_EQ(ed->Text(), "old");
  ed->SetSelText("er");
  EXPECT_EQ(g->Cells(1, 1), "older");
  press(ed, VK_DOWN);  // moves the editor to the next cell with that cell's text
  EXPECT_EQ(g->Row(), 2);
  EXPECT_TRUE(g->EditorMode());
  EXPECT_EQ(ed->Text(), "below");
  EXPECT_EQ(ed->StartText(), "below");
  press(ed, VK_RETURN);
  EXPECT_FALSE(g->EditorMode());
  EXPECT_EQ(g->Cells(1, 1), "older");

  // Always-show: the editor follows the cursor and Enter keeps it open.
  g->SetOptions(g->Options() + TGridOptions{goAlwaysShowEditor});
  EXPECT_TRUE(g->EditorMode());
  g->SetCol(2);
  EXPECT_TRUE(ed->Visible());
  EXPECT_EQ(ed->BoundsRect(), g->CellRect(2, 2));
  press(ed, VK_RETURN);
  EXPECT_TRUE(g->EditorMode());
  // Switching editing off closes it.
  g->SetOptions(TGridOptions{goVertLine});
  EXPECT_FALSE(g->EditorMode());
  EXPECT_FALSE(ed->Visible());
}

TEST(Grid, MovingColumnsAndRowsCarriesCellsAndSizes) {
  auto g = std::make_unique<ProbeGrid>(nullptr);
  g->SetColCount(4);
  g->SetRowCount(3);
  for (int c = 0; c < 4; ++c)
    for (int r = 0; r < 3; ++r) g->SetCells(c, r, AnsiString(1, static_cast<char>('a' + c)) + std::to_string(r));
  g->SetColWidths(1, 11);
  g->MoveColumn(1, 3);
  EXPECT_EQ(g->Rows(0), (std::vector<AnsiString>{"a0", "c0", "d0", "b0"}));
  EXPECT_EQ(g->ColWidths(3), 11);
  EXPECT_EQ(g->ColWidths(1), 64);
  ASSERT_EQ(g->moved.size(), 1u);
  g->MoveRow(0, 2);
  EXPECT_EQ(g->Cols(0), (std::vector<AnsiString>{"a1", "a2", "a0"}));
  EXPECT_THROW(g->MoveColumn(0, 4), EInvalidOperation);
  // Shrinking and growing keeps what still fits.
  g->SetColCount(2);
  g->SetColCount(4);
  EXPECT_EQ(g->Cells(1, 0), "c1");
  EXPECT_EQ(g->Cells(3, 0), "");
  EXPECT_EQ(g->Cells(9, 9), "");
  EXPECT_THROW(g->SetCells(9, 9, "x"), EInvalidOperation);
}

class GridPaintTest : public StdTest {};

TEST_F(GridPaintTest, DrawStatesAndColours) {
  TForm* f = NewForm();
  auto* g = Place<TStringGrid>(f, 0, 0, 300, 150);
  g->SetScrollBars(ssNone);
  g->SetCells(1, 1, "");
  g->SetCells(2, 1, "Wide text");
  std::vector<std::pair<TGridCoord, TGridDrawState>> seen;
  g->OnDrawCell = [&](TObject*, int c, int r, TRect, TGridDrawState s) { seen.push_back({{c, r}, s}); };
  g->SetSelection(TGridRect{1, 1, 2, 2});
  f->Show();
  TBitmap shot;
  ui::GrabControl(g, shot);
  TCanvas* c = shot.Canvas();
  auto at = [&](int col, int row) {
    TRect r = g->CellRect(col, row);
    return c->Pixel(r.Left + r.Width() / 2, r.Bottom - 2);
  };
  EXPECT_EQ(at(0, 0), ColorToRGB(clBtnFace));     // fixed
  EXPECT_EQ(at(3, 3), ColorToRGB(clWindow));      // plain
  EXPECT_EQ(at(2, 2), ColorToRGB(clHighlight));   // selected
  TRect r = g->CellRect(1, 1);
  EXPECT_EQ(c->Pixel(r.Right, r.Top + 5), ColorToRGB(clSilver));   // cell grid line
  EXPECT_EQ(c->Pixel(g->CellRect(0, 0).Right, 5), ColorToRGB(clBlack));  // fixed grid line
  // Every cell in view was drawn once, with its state.
  auto stateOf = [&](int col, int row) {
    for (auto& [cell, s] : seen)
      if (cell == TGridCoord{col, row}) return s;
    return TGridDrawState{gdFocused, gdFixed, gdSelected};
  };
  EXPECT_EQ(stateOf(0, 3), TGridDrawState{gdFixed});
  EXPECT_EQ(stateOf(2, 1), TGridDrawState{gdSelected});
  EXPECT_EQ(stateOf(3, 3), TGridDrawState{});
  g->SetFocus();
  EXPECT_TRUE(g->CellDrawState(1, 1).Contains(gdFocused));
  // Switching the cell lines off leaves their strip in the cell colour.
  g->SetOptions(TGridOptions{goFixedVertLine, goFixedHorzLine});
  ui::GrabControl(g, shot);
  EXPECT_EQ(shot.Canvas()->Pixel(g->CellRect(3, 3).Right, g->CellRect(3, 3).Top + 5), ColorToRGB(clWindow));
}

TEST_F(GridPaintTest, OwnerDrawingReadsPixelsDrawsBitmapsAndXorsDuringPaint) {
  // The grid keeps one painter open while it paints; drawing that needs the image
  // itself must still work from OnDrawCell.
  TForm* f = NewForm();
  auto* g = Place<TStringGrid>(f, 0, 0, 300, 150);
  g->SetScrollBars(ssNone);
  TBitmap stamp;
  stamp.SetSize(4, 4);
  stamp.Canvas()->Brush()->SetColor(clRed);
  stamp.Canvas()->FillRect(TRect(0, 0, 4, 4));
  TColor underText = CLR_INVALID;
  g->OnDrawCell = [&](TObject*, int c, int r, TRect rc, TGridDrawState) {
    TCanvas* cv = g->Canvas();
    if (c == 1 && r == 1) underText = cv->Pixel(rc.Left + 1, rc.Top + 1);
    if (c == 2 && r == 1) cv->Draw(rc.Left, rc.Top, &stamp);
    if (c == 3 && r == 1) {
      cv->Pen()->SetMode(pmXor);
      cv->Pen()->SetColor(clWhite);
      cv->MoveTo(rc.Left, rc.Top + 2);
      cv->LineTo(rc.Right, rc.Top + 2);
      cv->Pen()->SetMode(pmCopy);
    }
    cv->TextOut(rc.Left + 2, rc.Top + 2, "");  // drawing goes on after each of them
  };
  f->Show();
  TBitmap shot;
  ui::GrabControl(g, shot);
  EXPECT_EQ(underText, ColorToRGB(clWindow));
  const TRect a = g->CellRect(2, 1), b = g->CellRect(3, 1);
  EXPECT_EQ(shot.Canvas()->Pixel(a.Left + 1, a.Top + 1), clRed);
  EXPECT_EQ(shot.Canvas()->Pixel(a.Left + 5, a.Top + 5), ColorToRGB(clWindow));
  const TColor window = ColorToRGB(clWindow);
  EXPECT_EQ(shot.Canvas()->Pixel(b.Left + 3, b.Top + 2), window ^ 0xFFFFFF);
}

TEST_F(GridPaintTest, ScrollBarsAppearWhenCellsDoNotFit) {
  TForm* f = NewForm();
  auto* g = Place<TStringGrid>(f, 0, 0, 200, 100);
  g->SetRowCount(30);
  f->Show();
  EXPECT_LT(g->ClientWidth(), 200);   // vertical bar
  EXPECT_LT(g->ClientHeight(), 100);  // columns do not fit either
  g->SetRow(29);
  EXPECT_GT(g->TopRow(), 1);
  EXPECT_FALSE(g->CellRect(1, 29).IsEmpty());
  EXPECT_LE(g->CellRect(1, 29).Bottom, g->ClientHeight());
}

TEST_F(GridPaintTest, MouseSelectsDragsAndSizesColumns) {
  TForm* f = NewForm();
  auto* g = Place<TStringGrid>(f, 0, 0, 300, 150);
  g->SetScrollBars(ssNone);
  g->SetOptions(g->Options() + TGridOptions{goColSizing, goEditing});
  f->Show();
  auto centre = [&](int c, int r) {
    TRect x = g->CellRect(c, r);
    return TPoint(x.Left + 5, x.Top + 5);
  };
  TPoint a = centre(1, 1), b = centre(3, 2);
  ui::SimulateMouseDown(g, mbLeft, a.x, a.y);
  ui::SimulateMouseMove(g, b.x, b.y, {ssLeft});
  ui::SimulateMouseUp(g, mbLeft, b.x, b.y);
  EXPECT_EQ(g->Selection(), (TGridRect{1, 1, 3, 2}));
  EXPECT_EQ(g->Col(), 3);
  // Shift+click extends from the anchor; a fixed cell is never selected.
  TPoint c2 = centre(2, 3);
  ui::SimulateMouseDown(g, mbLeft, c2.x, c2.y, {ssShift});
  ui::SimulateMouseUp(g, mbLeft, c2.x, c2.y, {ssShift});
  EXPECT_EQ(g->Selection(), (TGridRect{1, 1, 2, 3}));
  ui::SimulateClick(g, 5, 5);
  EXPECT_EQ(g->Selection(), (TGridRect{1, 1, 2, 3}));
  // A second click on the current cell of an editing grid opens the editor.
  TPoint cur = centre(2, 3);
  ui::SimulateClick(g, cur.x, cur.y);
  ui::SimulateClick(g, cur.x, cur.y);
  EXPECT_TRUE(g->EditorMode());
  // Dragging a heading line sizes the column and tells ColWidthsChanged.
  int edge = g->CellRect(1, 0).Right;
  ui::SimulateMouseDown(g, mbLeft, edge, 5);
  ui::SimulateMouseMove(g, edge + 20, 5, {ssLeft});
  ui::SimulateMouseUp(g, mbLeft, edge + 20, 5);
  EXPECT_EQ(g->ColWidths(1), 84);
}

// The next-cell walk, Tab, in-place editing with its events, the clipboard text and
// cell drawing.
#include "AligridFixture.h"
#include "platform/graphics/Bitmap.h"
#include "platform/stdctrls/Edits.h"
#include "platform/ui/Forms.h"
#include "platform/ui/MessageQueue.h"
#include "platform/ui/Simulate.h"

namespace {
constexpr TGridCoord kEnd{-1, -1};
}

TEST_F(AligridTest, NextCellStepOverEveryDirection) {
  // 4 columns x 3 rows with one fixed line each: cells (1..3, 1..2).
  struct Row { T_nextcell dir; TGridCoord from, to; } rows[] = {
      {nc_rightdown, {1, 1}, {2, 1}}, {nc_rightdown, {3, 1}, {1, 2}}, {nc_rightdown, {3, 2}, kEnd},
      {nc_downright, {1, 1}, {1, 2}}, {nc_downright, {1, 2}, {2, 1}}, {nc_downright, {3, 2}, kEnd},
      {nc_leftdown, {2, 1}, {1, 1}},  {nc_leftdown, {1, 1}, {3, 2}},  {nc_leftdown, {1, 2}, kEnd},
      {nc_downleft, {3, 1}, {3, 2}},  {nc_downleft, {3, 2}, {2, 1}},  {nc_downleft, {1, 2}, kEnd},
      {nc_leftup, {2, 2}, {1, 2}},    {nc_leftup, {1, 2}, {3, 1}},    {nc_leftup, {1, 1}, kEnd},
      {nc_upleft, {3, 2}, {3, 1}},    {nc_upleft, {3, 1}, {2, 2}},    {nc_upleft, {1, 1}, kEnd},
      {nc_rightup, {1, 2}, {2, 2}},   {nc_rightup, {3, 2}, {1, 1}},   {nc_rightup, {3, 1}, kEnd},
      {nc_upright, {1, 2}, {1, 1}},   {nc_upright, {1, 1}, {2, 2}},   {nc_upright, {3, 1}, kEnd},
  };
  for (const Row& r : rows) {
    const TGridCoord got = NextCellStep(r.dir, r.from, 1, 1, 4, 3);
    EXPECT_EQ(got, r.to) << int(r.dir) << " from " << r.from.X << "," << r.from.Y;
    EXPECT_EQ(ReverseDirection(ReverseDirection(r.dir)), r.dir);
  }
  EXPECT_EQ(ReverseDirection(nc_rightdown), nc_leftup);
  EXPECT_EQ(ReverseDirection(nc_downleft), nc_upright);
}

TEST_F(AligridTest, AfterLastCellRules) {
  struct Row { T_nextcell dir; TGridCoord last, first, added; int cols, rows; } rows[] = {
      {nc_rightdown, {3, 2}, {1, 1}, {1, 3}, 4, 4}, {nc_downright, {3, 2}, {1, 1}, {4, 1}, 5, 3},
      {nc_leftdown, {1, 2}, {3, 1}, {3, 3}, 4, 4},  {nc_downleft, {1, 2}, {3, 1}, {1, 1}, 5, 3},
      {nc_leftup, {1, 1}, {3, 2}, {3, 1}, 4, 4},    {nc_upleft, {1, 1}, {3, 2}, {1, 2}, 5, 3},
      {nc_rightup, {3, 1}, {1, 2}, {1, 1}, 4, 4},   {nc_upright, {3, 1}, {1, 2}, {4, 2}, 5, 3},
  };
  for (const Row& r : rows) {
    auto g = MakeGrid(4, 3);
    EXPECT_EQ(g->NextCell(r.last, r.dir, lc_stop), kEnd);
    EXPECT_EQ(g->NextCell(r.last, r.dir, lc_first), r.first) << int(r.dir);
    EXPECT_EQ(g->NextCell(r.last, r.dir, lc_newcolrow), r.added) << int(r.dir);
    EXPECT_EQ(g->ColCount(), r.cols) << int(r.dir);
    EXPECT_EQ(g->RowCount(), r.rows) << int(r.dir);
  }
}

TEST_F(AligridTest, TabWalksToTabStopsAndNeverAppendsWithoutOne) {
  auto g = MakeGrid(4, 3);
  g->SetCol(3);
  g->SetRow(2);
  EXPECT_TRUE(g->TabToNextCell(false));  // lc_first
  EXPECT_EQ((TGridCoord{g->Col(), g->Row()}), (TGridCoord{1, 1}));
  EXPECT_TRUE(g->TabToNextCell(true));   // Shift+Tab goes back round
  EXPECT_EQ((TGridCoord{g->Col(), g->Row()}), (TGridCoord{3, 2}));

  g->SetTabStops(1, false);
  g->SetTabStops(3, false);
  g->SetCol(2);
  g->SetRow(1);
  EXPECT_TRUE(g->TabToNextCell(false));  // skips column 3 and 1
  EXPECT_EQ((TGridCoord{g->Col(), g->Row()}), (TGridCoord{2, 2}));

  g->SetTabStops(2, false);
  g->AfterLastCellTab = lc_newcolrow;
  EXPECT_FALSE(g->TabToNextCell(false));
  EXPECT_EQ(g->RowCount(), 3);
  EXPECT_EQ((TGridCoord{g->Col(), g->Row()}), (TGridCoord{2, 2}));
}

class AligridEditTest : public AligridTest {
 protected:
  void SetUp() override {
    g = MakeGrid(3, 3);
    g->SetOptions(g->Options() + TGridOptions{goEditing});
    g->OnBeforeEdit = [this](TObject*, int c, int r) { log += "before " + Cell(c, r) + ";"; };
    g->OnAfterEdit = [this](TObject*, int c, int r) { log += "after " + Cell(c, r) + ";"; };
    g->OnCancelEdit = [this](TObject*, int c, int r) { log += "cancel " + Cell(c, r) + ";"; };
  }
  static AnsiString Cell(int c, int r) { return std::to_string(c) + "," + std::to_string(r); }
  void Open(int c, int r) {
    g->SetCol(c);
    g->SetRow(r);
    g->SetEditorMode(true);
    ASSERT_NE(g->AlignEditor(), nullptr);
  }
  void Key(WORD k) {
    g->AlignEditor()->KeyDown(k, TShiftState());
    ui::DeliverPosted();
  }
  std::unique_ptr<TStringAlignGrid> g;
  AnsiString log;
};

TEST_F(AligridEditTest, EnterWithFailedValidationKeepsTheEditorOnTheCell) {
  int asked = 0;
  g->OnValidateEdit = [&](TObject*, int, int, bool& ok) { ok = ++asked > 1; };
  Open(2, 1);
  g->AlignEditor()->SetText("7");
  Key(VK_RETURN);
  EXPECT_EQ(asked, 1);
  EXPECT_TRUE(g->EditorMode());
  EXPECT_EQ((TGridCoord{g->Col(), g->Row()}), (TGridCoord{2, 1}));
  EXPECT_EQ(g->Cells(2, 1), "7");
  Key(VK_RETURN);
  EXPECT_EQ(asked, 2);
  EXPECT_EQ(log, "before 2,1;before 2,1;after 2,1;");
}

TEST_F(AligridEditTest, EscapeRestoresTheStartingTextAndCancels) {
  g->SetCells(1, 2, "old");
  Open(1, 2);
  g->AlignEditor()->SetText("new");
  EXPECT_EQ(g->Cells(1, 2), "new");
  Key(VK_ESCAPE);
  EXPECT_EQ(g->Cells(1, 2), "old");
  EXPECT_EQ(log, "before 1,2;cancel 1,2;");
}

TEST_F(AligridEditTest, AutoEditNextCellAppendsARowAfterTheLastCell) {
  g->AutoEditNextCell = true;
  g->SetEditCell(1, 1, false);
  Open(2, 2);
  Key(VK_RETURN);
  EXPECT_EQ(g->RowCount(), 4);
  EXPECT_EQ((TGridCoord{g->Col(), g->Row()}), (TGridCoord{1, 3}));
  EXPECT_TRUE(g->EditorMode());
  EXPECT_TRUE(g->EditorActive);
  // From the top, the read-only cell is passed over.
  g->SetCol(2);
  g->SetRow(2);
  g->AfterLastCellEdit = lc_first;
  g->SetRowCount(3);
  EXPECT_EQ(g->NextEditCell({2, 2}), (TGridCoord{2, 1}));
  g->SetEditCol(2, false);
  g->SetEditCell(1, 2, false);
  EXPECT_EQ(g->NextEditCell({2, 2}), kEnd);  // round to the start without an editable cell
}

TEST_F(AligridEditTest, ReadOnlyCellsKeepTheEditorClosed) {
  g->SetEditCell(2, 2, false);
  Open(2, 2);
  EXPECT_FALSE(g->EditorMode());
  g->AllCellsEditable = true;
  g->SetEditorMode(true);
  EXPECT_TRUE(g->EditorMode());
}

TEST_F(AligridTest, ClipboardTextIsTabSeparatedWithTabAfterEveryCell) {
  EXPECT_EQ(CellsToClipboardText({{"a", "b"}}), "a\tb\t\r\n");
  struct Row { AnsiString text; std::vector<std::vector<AnsiString>> cells; } rows[] = {
      {"a\tb\t\r\n", {{"a", "b"}}},
      {"1\t2\r\n3\t4", {{"1", "2"}, {"3", "4"}}},
      {"\tx\n", {{"", "x"}}},
      {"a\rb\rc", {{"a"}, {"b"}, {"c"}}},             // lone CR ends a line, as older programs write
      {"1\t\t\r\r\n2", {{"1", ""}, {}, {"2"}}},      // CR, then CR LF: an empty line between
      {AnsiString("z\t\r\n\0\0garbage", 14), {{"z"}}},  // stops at the terminator
      {"", {}},
  };
  for (const Row& r : rows) EXPECT_EQ(ClipboardTextToCells(r.text), r.cells) << r.text;
}

TEST_F(AligridTest, CopyCutAndPasteBlocks) {
  auto g = MakeGrid(5, 5);
  g->SetCells(1, 1, "a");
  g->SetCells(2, 1, "b");
  g->SetSelection(TGridRect{1, 1, 2, 1});
  EXPECT_EQ(g->SelectionText(), "a\tb\t\r\n");

  g->SetSelection(TGridRect{2, 2, 2, 2});
  g->PasteText("1\t2\r\n3\t4\r\n");
  EXPECT_EQ(g->Cells(2, 2), "1");
  EXPECT_EQ(g->Cells(3, 3), "4");
  EXPECT_EQ(g->Selection(), (TGridRect{2, 2, 3, 3}));

  // A single-cell paste near the edge: nothing beyond the grid, selection inside it.
  g->SetSelection(TGridRect{4, 4, 4, 4});
  g->PasteText("p\tq\tr\r\ns\r\nt\r\n");
  EXPECT_EQ(g->Cells(4, 4), "p");
  EXPECT_EQ(g->Selection(), (TGridRect{4, 4, 4, 4}));

  // A block selection bounds the paste.
  g->SetSelection(TGridRect{1, 1, 1, 2});
  g->PasteText("x\ty\r\nz\tw\r\nv\r\n");
  EXPECT_EQ(g->Cells(1, 1), "x");
  EXPECT_EQ(g->Cells(2, 1), "b");
  EXPECT_EQ(g->Cells(1, 2), "z");
  EXPECT_EQ(g->Cells(1, 3), "");

  g->PasteProtect = true;
  g->SetEditCell(1, 2, false);
  g->CutToClipboard();
  EXPECT_EQ(g->Cells(1, 1), "");
  EXPECT_EQ(g->Cells(1, 2), "z");
}

TEST_F(AligridTest, CellsAreDrawnWithTheirBrushAndSelectionColours) {
  TForm form(nullptr);
  form.SetBounds(0, 0, 400, 200);
  auto* g = new TStringAlignGrid(&form);
  g->SetParent(&form);
  g->SetScrollBars(ssNone);
  g->SetBounds(0, 0, 330, 130);
  g->SetColorCell(2, 2, clRed);
  g->SetColorCell(3, 2, clLime);
  g->BrushFixedCol(1)->SetColor(clBlue);
  g->SetSelection(TGridRect{2, 2, 3, 2});
  form.Show();
  auto centre = [&](int c, int r) {
    TBitmap shot;
    ui::GrabControl(g, shot);
    const TRect rc = g->CellRect(c, r);
    return shot.Canvas()->Pixel(rc.Left + 3, rc.Bottom - 3);
  };
  EXPECT_EQ(centre(1, 0), clBlue);
  EXPECT_EQ(centre(3, 2), ColorToRGB(clActiveCaption));  // selected, not focused
  g->SetDrawSelection(false);
  EXPECT_EQ(centre(3, 2), clLime);
  EXPECT_EQ(centre(2, 2), clRed);
  EXPECT_EQ(centre(4, 4), ColorToRGB(g->Color()));  // empty cell: its background only
}

// A grid on a form beside an edit, driven through the window system's own keys and focus.
class AligridFocusTest : public AligridEditTest {
 protected:
  void SetUp() override {
    AligridEditTest::SetUp();
    form = std::make_unique<TForm>(nullptr);
    form->SetBounds(0, 0, 500, 300);
    grid = g.get();
    grid->SetParent(form.get());
    other = new TEdit(form.get());
    other->SetParent(form.get());
    other->SetBounds(0, 220, 100, 21);
    form->Show();
    Application->ProcessMessages();
    grid->SetFocus();
  }
  void TearDown() override {
    g.reset();  // the grid goes before the form it stands on
    form.reset();
  }
  std::unique_ptr<TForm> form;
  TStringAlignGrid* grid = nullptr;
  TEdit* other = nullptr;
};

TEST_F(AligridFocusTest, TabWalksTheCellsOnlyWithGoTabs) {
  grid->SetCol(1);
  grid->SetRow(1);
  ui::SimulateKey(grid, "Tab");
  EXPECT_TRUE(other->Focused()) << "without goTabs Tab leaves the grid";
  EXPECT_EQ(TGridCoord(grid->Col(), grid->Row()), TGridCoord(1, 1));

  grid->SetOptions(grid->Options() + TGridOptions{goTabs});
  grid->SetFocus();
  ui::SimulateKey(grid, "Tab");
  EXPECT_TRUE(grid->Focused());
  EXPECT_EQ(TGridCoord(grid->Col(), grid->Row()), TGridCoord(2, 1));
  ui::SimulateKey(grid, "Shift+Tab");
  EXPECT_EQ(TGridCoord(grid->Col(), grid->Row()), TGridCoord(1, 1));
}

TEST_F(AligridFocusTest, LeavingTheGridFromItsEditorEndsTheEdit) {
  struct Case { bool valid; const char* log; bool backInGrid; } cases[] = {
      {true, "before 2,1;validate 2,1;after 2,1;", false},
      {false, "before 2,1;validate 2,1;before 2,1;", true},
  };
  for (const Case& c : cases) {
    log.clear();
    grid->OnValidateEdit = [&](TObject*, int col, int row, bool& ok) {
      log += "validate " + Cell(col, row) + ";";
      ok = c.valid;
    };
    grid->SetFocus();
    grid->SetCol(2);
    grid->SetRow(1);
    grid->SetEditorMode(true);
    ui::DeliverPosted();
    ASSERT_TRUE(grid->AlignEditor()->Focused());
    grid->AlignEditor()->SetText("42");
    other->SetFocus();  // the focus goes from the cell editor straight to another control
    ui::DeliverPosted();
    EXPECT_EQ(log, c.log) << c.valid;
    EXPECT_EQ(grid->Cells(2, 1), "42");
    EXPECT_EQ(grid->EditorMode(), c.backInGrid) << c.valid;
    EXPECT_EQ(other->Focused(), !c.backInGrid) << c.valid;
    EXPECT_TRUE(grid->RestoreEditor);
    grid->OnValidateEdit = nullptr;
    grid->SetEditorMode(false);
  }
}

TEST_F(AligridFocusTest, SizesCountBorderAnd3DAndTheBarFollowsScrollBars) {
  grid->SetDefaultColWidth(30);
  grid->SetDefaultRowHeight(20);
  EXPECT_EQ(grid->TotalWidth(), 3 * 30 + 2);
  EXPECT_EQ(grid->TotalHeight(), 3 * 20 + 2);
  grid->SetRowCount(40);
  for (TScrollStyle s : {ssNone, ssHorizontal, ssVertical, ssBoth})
    EXPECT_EQ((grid->SetScrollBars(s), grid->VertScrollBarVisible()), s == ssVertical || s == ssBoth) << s;
}

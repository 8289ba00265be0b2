// Cell hints as the application asks for them, the editor taking its cell's look, the
// last column following the line width, and cell backgrounds.
#include "AligridFixture.h"

#include <functional>
#include <set>
#include <utility>

#include "platform/graphics/Bitmap.h"
#include "platform/ui/Forms.h"
#include "platform/ui/Simulate.h"

namespace {

class AligridOnFormTest : public AligridTest {
 protected:
  void SetUp() override {
    form = std::make_unique<TForm>(nullptr);
    form->SetBounds(10, 20, 500, 300);
    g = new TStringAlignGrid(form.get());
    g->SetParent(form.get());
    g->SetScrollBars(ssNone);
    g->SetBounds(0, 0, 400, 200);
  }
  std::unique_ptr<TForm> form;
  TStringAlignGrid* g = nullptr;
};

}  // namespace

TEST_F(AligridOnFormTest, HintIsTheCellsOwnAndHoldsWhileTheMouseStaysInTheCell) {
  g->SetShowHint(true);
  g->SetHint("grid hint|long part");
  g->SetHintCell(2, 1, "Load site 0, Speed site 0");
  const TRect cell = g->CellRect(2, 1);
  const TPoint mouse{cell.Left + 4, cell.Top + 3};

  THintInfo info;
  ASSERT_TRUE(ui::HintInfoAt(g, mouse, info));
  EXPECT_EQ(info.HintStr, "Load site 0, Speed site 0");
  EXPECT_EQ(info.HintControl, g);
  EXPECT_EQ(info.CursorRect, cell);
  EXPECT_EQ(info.HintPos, g->ClientToScreen(TPoint{cell.Left, cell.Bottom + 6}));
  EXPECT_EQ(g->HintCellPos, (TGridCoord{2, 1}));

  // Leaving the cell forgets the remembered one; a cell without a hint shows none.
  const TRect next = g->CellRect(3, 1);
  g->MouseMove(TShiftState(), next.Left + 2, next.Top + 2);
  EXPECT_EQ(g->HintCellPos, (TGridCoord{-1, -1}));
  THintInfo other;
  EXPECT_FALSE(ui::HintInfoAt(g, TPoint{next.Left + 2, next.Top + 2}, other));

  // Without cell hints the control's own short hint stands.
  g->ShowCellHints = false;
  THintInfo own;
  ASSERT_TRUE(ui::HintInfoAt(g, mouse, own));
  EXPECT_EQ(own.HintStr, "grid hint");
}

TEST_F(AligridOnFormTest, ShowHintCellEventRewritesOrSuppressesTheHint) {
  g->SetShowHint(true);
  g->SetHintCell(1, 2, "x");
  const TRect cell = g->CellRect(1, 2);
  bool allow = true;
  g->OnShowHintCell = [&](TObject*, int c, int r, AnsiString& text, bool& canShow, THintInfo& hi) {
    text = "cell " + std::to_string(c) + "," + std::to_string(r) + ": " + text;
    hi.HintPos = TPoint{1, 2};
    canShow = allow;
  };
  THintInfo info;
  ASSERT_TRUE(ui::HintInfoAt(g, TPoint{cell.Left + 1, cell.Top + 1}, info));
  EXPECT_EQ(info.HintStr, "cell 1,2: x");
  EXPECT_EQ(info.HintPos, (TPoint{1, 2}));
  allow = false;
  EXPECT_FALSE(ui::HintInfoAt(g, TPoint{cell.Left + 1, cell.Top + 1}, info));
  // Hints switched off for the control show nothing at all.
  allow = true;
  g->SetShowHint(false);
  EXPECT_FALSE(ui::HintInfoAt(g, TPoint{cell.Left + 1, cell.Top + 1}, info));
}

TEST_F(AligridOnFormTest, EditorTakesTheFontAlignmentAndColourOfItsCell) {
  g->SetOptions(g->Options() + TGridOptions{goEditing});
  TFont* f = g->FontCell(2, 1);
  f->SetName("Courier New");
  f->SetStyle(TFontStyles{fsBold});
  f->SetColor(clRed);
  g->SetColorCell(2, 1, clYellow);
  g->SetAlignCell(2, 1, TMyAlign::alRight);
  form->Show();

  g->SetCol(2);
  g->SetRow(1);
  g->SetEditorMode(true);
  TNewInplaceEdit* ed = g->AlignEditor();
  ASSERT_NE(ed, nullptr);
  EXPECT_TRUE(ed->Font()->SameAs(*f));
  EXPECT_EQ(ed->Font()->Color(), clRed);
  EXPECT_EQ(ed->Color(), clYellow);
  EXPECT_EQ(ed->Alignment(), TMyAlign::alRight);

  // The next cell has no font of its own: the editor goes back to the grid's.
  g->SetCol(1);
  EXPECT_TRUE(ed->Font()->SameAs(*g->Font()));
  EXPECT_EQ(ed->Alignment(), TMyAlign::alLeft);
}

TEST_F(AligridOnFormTest, LastColumnFollowsTheLineWidthAndHeadingsTheFixedColour) {
  g->SetColCount(4);
  g->SetAutoAdjustLastCol(true);
  auto expected = [&] {
    int others = 0;
    for (int i = 0; i < 3; ++i) others += g->ColWidths(i);
    return g->ClientWidth() - others - 4 * g->GridLineWidth();
  };
  EXPECT_EQ(g->ColWidths(3), expected());
  // Through the base class, as the form reader and the string grid's callers set it.
  TCustomGrid* base = g;
  base->SetGridLineWidth(4);
  EXPECT_EQ(g->ColWidths(3), expected());
  base->SetFixedColor(clRed);
  EXPECT_EQ(g->FixedCellBrush()->Color(), clRed);
  EXPECT_EQ(g->CellBrush(0, 1)->Color(), clRed);
}

TEST_F(AligridOnFormTest, HatchedAndClearCellBrushesShowTheGridBackgroundUnderneath) {
  g->BrushCell(2, 2)->SetStyle(bsClear);
  g->BrushCell(3, 2)->SetColor(clBlue);
  g->BrushCell(3, 2)->SetStyle(bsHorizontal);
  g->SetColor(clLime);
  form->Show();
  TBitmap shot;
  ui::GrabControl(g, shot);
  const TRect a = g->CellRect(2, 2), b = g->CellRect(3, 2);
  EXPECT_EQ(shot.Canvas()->Pixel(a.Left + 3, a.Bottom - 3), clLime);
  // Between the hatch lines the grid's colour shows, on them the brush's.
  bool sawLime = false, sawBlue = false;
  for (int y = b.Top; y < b.Bottom; ++y) {
    const TColor p = shot.Canvas()->Pixel(b.Left + 3, y);
    sawLime |= p == clLime;
    sawBlue |= p == clBlue;
  }
  EXPECT_TRUE(sawLime);
  EXPECT_TRUE(sawBlue);
}

TEST_F(AligridOnFormTest, RepaintsDrawTheSameTextPixels) {
  // The second paint draws from the kept text runs; it must match the first exactly.
  g->SetAlignment(TMyAlign::alCenter);
  for (int c = 0; c < g->ColCount(); ++c)
    for (int r = 0; r < g->RowCount(); ++r) g->SetCells(c, r, "V" + std::to_string(c * 10 + r) + ".25");
  g->FontFixedRow(0)->SetStyle(TFontStyles{fsBold, fsUnderline});
  g->SetWordwrap(ww_ellipsis);
  g->SetColWidths(1, 12);
  form->Show();
  TBitmap first, second;
  ui::GrabControl(g, first);
  g->Invalidate();
  ui::GrabControl(g, second);
  ASSERT_EQ(first.Width(), second.Width());
  int differing = 0;
  for (int y = 0; y < first.Height(); ++y)
    for (int x = 0; x < first.Width(); ++x)
      differing += first.Canvas()->Pixel(x, y) != second.Canvas()->Pixel(x, y);
  EXPECT_EQ(differing, 0);
  // Text was drawn at all: the centre cell holds more than its background.
  const TRect rc = g->CellRect(2, 2);
  int ink = 0;
  for (int y = rc.Top; y < rc.Bottom; ++y)
    for (int x = rc.Left; x < rc.Right; ++x) ink += second.Canvas()->Pixel(x, y) != ColorToRGB(g->Color());
  EXPECT_GT(ink, 5);
}

namespace {

// The cells a grid draws from now on, as its paints draw them.
struct DrawnCells {
  explicit DrawnCells(TStringAlignGrid* grid) {
    grid->OnDrawCell = [this](TObject*, int c, int r, TRect, TGridDrawState) { cells.insert({c, r}); };
  }
  std::set<std::pair<int, int>> cells;
};

void PaintPending() {
  for (int i = 0; i < 5; ++i) Application->ProcessMessages();
}

}  // namespace

// A cell's new colour or text repaints that cell alone, not its neighbours or the headings;
// a value it already has repaints nothing; the whole grid still repaints when asked.
TEST_F(AligridOnFormTest, ACellsColourOrTextRepaintsOnlyThatCell) {
  g->SetColCount(6);
  g->SetRowCount(5);
  g->SetFixedCols(1);
  g->SetFixedRows(1);
  form->Show();
  PaintPending();
  DrawnCells drawn(g);
  using Cells = std::set<std::pair<int, int>>;
  struct Step {
    const char* what;
    std::function<void()> change;
    Cells expected;
  } const steps[] = {
      {"colour", [&] { g->SetColorCell(3, 2, clSilver); }, {{3, 2}}},
      {"same colour", [&] { g->SetColorCell(3, 2, clSilver); }, {}},
      {"mark moves", [&] { g->SetColorCell(3, 2, clWhite); g->SetColorCell(4, 3, clSilver); }, {{3, 2}, {4, 3}}},
      {"text", [&] { g->SetCells(1, 4, "12"); }, {{1, 4}}},
      {"same text", [&] { g->SetCells(1, 4, "12"); }, {}},
      {"corner cell", [&] { g->SetColorCell(5, 4, clRed); }, {{5, 4}}},
      {"heading", [&] { g->SetCells(2, 0, "1,500"); }, {{2, 0}}},
  };
  for (const Step& s : steps) {
    SCOPED_TRACE(s.what);
    drawn.cells.clear();
    s.change();
    PaintPending();
    EXPECT_EQ(drawn.cells, s.expected);
  }
  EXPECT_EQ(g->ColorCell(4, 3), clSilver);
  drawn.cells.clear();
  g->Invalidate();
  PaintPending();
  EXPECT_EQ(drawn.cells.size(), 30u);
}

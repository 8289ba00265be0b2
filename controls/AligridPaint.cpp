// Drawing the aligned grid's cells with their effective properties, per-cell hints, and
// keeping the last column filling the client width.
#include <algorithm>

#include "controls/Aligrid.h"

void TStringAlignGrid::DrawCell(int ACol, int ARow, TRect ARect, TGridDrawState AState) {
  PrepareCellCanvas(ACol, ARow, AState, ARect);
  DrawCellText(ACol, ARow, ARect);
  // Past the string grid's own text drawing: straight to the OnDrawCell event.
  TCustomGrid::DrawCell(ACol, ARow, ARect, AState);
}

void TStringAlignGrid::PrepareCellCanvas(int ACol, int ARow, TGridDrawState AState, TRect& ARect) {
  TCanvas* c = Canvas();
  const TFont* font = CellFont(ACol, ARow);
  if (!c->Font()->SameAs(*font)) c->Font()->Assign(const_cast<TFont*>(font));
  const TBrush* brush = CellBrush(ACol, ARow);
  if (c->Brush()->Color() != brush->Color()) c->Brush()->SetColor(brush->Color());
  if (c->Brush()->Style() != brush->Style()) c->Brush()->SetStyle(brush->Style());
  if (draw_selection_ && AState.Contains(gdSelected)) {
    const bool focusKeepsColours = AState.Contains(gdFocused) && !Options().Contains(goRowSelect) &&
                                   !Options().Contains(goDrawFocusSelected);
    if (!focusKeepsColours) {
      c->Brush()->SetColor(CellSelectedColor(ACol, ARow));
      c->Font()->SetColor(CellSelectedFontColor(ACol, ARow));
    }
  }
  if (!DefaultDrawing()) return;
  if (c->Brush()->Style() != bsSolid) {
    // A hatched or clear cell brush shows the grid's own background under it.
    const TGridOptions o = Options();
    const bool focusSelected = o.Contains(goDrawFocusSelected) || o.Contains(goRowSelect);
    TColor back = Color();
    if (IsFixedCell(ACol, ARow))
      back = FixedColor();
    else if (AState.Contains(gdSelected) && (!AState.Contains(gdFocused) || focusSelected))
      back = clHighlight;
    TBrush* b = c->Brush();
    const TColor color = b->Color();
    const TBrushStyle style = b->Style();
    b->SetColor(back);
    b->SetStyle(bsSolid);
    c->FillRect(ARect);
    b->SetColor(color);
    b->SetStyle(style);
  }
  c->FillRect(ARect);
  // Where grid lines are off, the cell takes over the line's strip towards them.
  const TGridOptions o = Options();
  const bool fixed = IsFixedCell(ACol, ARow);
  if (!(fixed ? o.Contains(goFixedVertLine) : o.Contains(goVertLine))) ARect.Right += GridLineWidth();
  if (!(fixed ? o.Contains(goFixedHorzLine) : o.Contains(goHorzLine))) ARect.Bottom += GridLineWidth();
  c->SetBkMode(TRANSPARENT);
}

void TStringAlignGrid::DrawCellText(int ACol, int ARow, const TRect& ARect) {
  if (!DefaultDrawing()) return;
  const AnsiString text = Cells(ACol, ARow);
  if (text.empty()) return;
  unsigned flags = DT_NOPREFIX | DT_TOP;
  switch (CellAlignment(ACol, ARow)) {
    case TMyAlign::alRight: flags |= DT_RIGHT; break;
    case TMyAlign::alCenter: flags |= DT_CENTER; break;
    default: flags |= DT_LEFT; break;
  }
  switch (CellWordwrap(ACol, ARow)) {
    case ww_wordwrap: flags |= DT_WORDBREAK; break;
    case ww_ellipsis: flags |= DT_END_ELLIPSIS; break;
    default: break;
  }
  TRect r(ARect.Left + 2, ARect.Top + 2, ARect.Right - 2, ARect.Bottom - 2);
  Canvas()->DrawText(text, r, flags);
}

// ---- hints ----

bool TStringAlignGrid::CellHintAt(int X, int Y, AnsiString& HintStr, THintInfo& Info) {
  if (!ShowCellHints) return true;  // the control's own hint stands
  const TGridCoord cell = MouseCoord(X, Y);
  HintCellPos = cell;
  if (cell.X < 0 || cell.Y < 0) return false;
  const TRect rc = CellRect(cell.X, cell.Y);
  Info.CursorRect = rc;
  Info.HintPos = ClientToScreen(TPoint{rc.Left, rc.Bottom + 6});
  HintStr = HintCell(cell.X, cell.Y);
  bool canShow = true;
  if (OnShowHintCell) OnShowHintCell(this, cell.X, cell.Y, HintStr, canShow, Info);
  return canShow;
}

bool TStringAlignGrid::GetHintInfo(TPoint Pos, THintInfo& Info) {
  return CellHintAt(Pos.x, Pos.y, Info.HintStr, Info);
}

void TStringAlignGrid::MouseMove(TShiftState Shift, int X, int Y) {
  if (HintCellPos.X >= 0 && MouseCoord(X, Y) != HintCellPos) {
    // The hint spoke of the cell just left; the next one belongs to the new cell.
    ui::CancelHint();
    HintCellPos = {-1, -1};
  }
  TStringGrid::MouseMove(Shift, X, Y);
}

// ---- last column ----

void TStringAlignGrid::SetAutoAdjustLastCol(bool v) {
  auto_adjust_last_col_ = v;
  AdjustLastCol();
}

void TStringAlignGrid::AdjustLastCol() {
  if (!auto_adjust_last_col_ || ColCount() < 1) return;
  const int last = ColCount() - 1;
  int others = 0;
  for (int i = 0; i < last; ++i) others += ColWidths(i);
  const TGridOptions o = Options();
  if (o.Contains(goVertLine) || o.Contains(goFixedVertLine)) others += ColCount() * GridLineWidth();
  const int w = ClientWidth() - others;
  if (w > 0 && w != ColWidths(last)) SetColWidths(last, w);
}

void TStringAlignGrid::ColWidthsChanged() {
  TStringGrid::ColWidthsChanged();
  if (OnColWidthsChanged) OnColWidthsChanged(this);
}

void TStringAlignGrid::RowHeightsChanged() {
  TStringGrid::RowHeightsChanged();
  if (OnRowHeightsChanged) OnRowHeightsChanged(this);
}

void TStringAlignGrid::Resize() {
  TStringGrid::Resize();
  AdjustLastCol();
}

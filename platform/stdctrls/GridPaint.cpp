// Painting the grid: every cell in view through DrawCell, then the grid lines, then
// the area past the last line.
#include <algorithm>

#include "platform/graphics/detail/QtGraphics.h"
#include "platform/stdctrls/Grids.h"

TGridDrawState TCustomGrid::CellDrawState(int ACol, int ARow) const {
  TGridDrawState s;
  if (ACol < cols_.fixed || ARow < rows_.fixed) {
    s << gdFixed;
    return s;
  }
  if (Selection().Contains(ACol, ARow)) s << gdSelected;
  if (ACol == cur_.X && ARow == cur_.Y && IsActiveControl()) s << gdFocused;
  return s;
}

void TCustomGrid::DrawCell(int ACol, int ARow, TRect ARect, TGridDrawState AState) {
  if (OnDrawCell) OnDrawCell(this, ACol, ARow, ARect, AState);
}

namespace {

// The visible lines of an axis in drawing order: fixed ones, then the scrolled ones
// from `first` while they start inside the extent.
template <typename F>
void ForVisible(const grid::Axis& a, int extent, F&& fn) {
  int x = 0;
  for (int i = 0; i < std::min(a.fixed, a.count) && x < extent; ++i) {
    fn(i, x);
    x += a.Size(i) + a.lineWidth;
  }
  for (int i = std::max(a.first, a.fixed); i < a.count && x < extent; ++i) {
    fn(i, x);
    x += a.Size(i) + a.lineWidth;
  }
}

void SetBrushColor(TCanvas* c, TColor color) {
  if (c->Brush()->Color() != color) c->Brush()->SetColor(color);
  if (c->Brush()->Style() != bsSolid) c->Brush()->SetStyle(bsSolid);
}

}  // namespace

void TCustomGrid::Paint() {
  TCanvas* c = Canvas();
  if (!c) return;
  // One painter for the whole paint: hundreds of cells would otherwise each open and
  // close their own.
  TCanvasPainterHold held(c);
  const bool ownBackground = DrawsCellBackground();
  const int w = ClientWidth(), h = ClientHeight();
  const bool editorShown = editor_ && editor_->Visible() && editor_mode_;
  const bool focusSelected = options_.Contains(goDrawFocusSelected) || options_.Contains(goRowSelect);
  const TGridRect sel = Selection();
  const bool active = IsActiveControl();
  // Only cells that reach into the area asked for are drawn: a changed cell repaints
  // itself, not the hundreds around it.
  const QRegion area = gfx::PaintRegion(*c);
  int right = 0, bottom = 0;

  ForVisible(rows_, h, [&](int row, int y) {
    const int rh = rows_.Size(row);
    bottom = std::min(h, y + rh + line_width_);
    ForVisible(cols_, w, [&](int col, int x) {
      const int cw = cols_.Size(col);
      right = std::min(w, x + cw + line_width_);
      if (cw <= 0 || rh <= 0) return;
      if (editorShown && col == cur_.X && row == cur_.Y) return;  // the editor covers it
      // With its grid line: a cell whose line is off draws over that strip.
      if (!area.intersects(QRect(x, y, cw + line_width_, rh + line_width_))) return;
      TRect r(x, y, std::min(w, x + cw), std::min(h, y + rh));
      TGridDrawState state;
      const bool fixed = col < cols_.fixed || row < rows_.fixed;
      if (fixed) {
        state << gdFixed;
      } else {
        if (sel.Contains(col, row)) state << gdSelected;
        if (active && col == cur_.X && row == cur_.Y) state << gdFocused;
      }
      if (default_drawing_ && !ownBackground) {
        if (!c->Font()->SameAs(*Font())) c->Font()->Assign(Font());
        TColor back = Color();
        if (fixed) {
          back = fixed_color_;
        } else if (state.Contains(gdSelected) && (!state.Contains(gdFocused) || focusSelected)) {
          back = clHighlight;
          if (c->Font()->Color() != clHighlightText) c->Font()->SetColor(clHighlightText);
        }
        SetBrushColor(c, back);
        c->FillRect(r);
      }
      DrawCell(col, row, r, state);
      if (default_drawing_ && fixed) {
        // A raised edge sets the headings apart.
        SetBrushColor(c, clBtnHighlight);
        c->FillRect(TRect(r.Left, r.Top, r.Right, r.Top + 1));
        c->FillRect(TRect(r.Left, r.Top, r.Left + 1, r.Bottom));
        SetBrushColor(c, clBtnShadow);
        c->FillRect(TRect(r.Left, r.Bottom - 1, r.Right, r.Bottom));
        c->FillRect(TRect(r.Right - 1, r.Top, r.Right, r.Bottom));
      }
      if (default_drawing_ && state.Contains(gdFocused) && !options_.Contains(goRowSelect) &&
          !(options_.Contains(goEditing) && options_.Contains(goAlwaysShowEditor))) {
        c->Pen()->SetColor(clWindowFrame);
        c->Pen()->SetStyle(psDot);
        c->Pen()->SetWidth(1);
        auto oldStyle = c->Brush()->Style();
        c->Brush()->SetStyle(bsClear);
        c->Rectangle(r);
        c->Brush()->SetStyle(oldStyle);
        c->Pen()->SetStyle(psSolid);
      }
    });
  });

  DrawLines(c, right, bottom, w, h);
  // Past the last column and row: the control's colour.
  SetBrushColor(c, Color());
  if (right < w) c->FillRect(TRect(right, 0, w, h));
  if (bottom < h) c->FillRect(TRect(0, bottom, std::min(right, w), h));
}

void TCustomGrid::DrawLines(TCanvas* c, int right, int bottom, int w, int h) {
  if (line_width_ <= 0) return;
  (void)w;
  const int fixedW = cols_.FixedExtent(), fixedH = rows_.FixedExtent();
  const TColor fixedLine = clBlack, cellLine = clSilver;
  // Vertical lines after each visible column.
  ForVisible(cols_, w, [&](int col, int x) {
    int lx = x + cols_.Size(col);
    if (lx >= w) return;
    TRect full(lx, 0, std::min(w, lx + line_width_), bottom);
    bool fixedCol = col < cols_.fixed;
    // The part beside fixed rows uses the fixed style, the rest the style of the column;
    // a line that is switched off leaves its strip in the cell colour.
    int split = fixedCol ? bottom : std::min(fixedH, bottom);
    SetBrushColor(c, options_.Contains(goFixedVertLine) ? fixedLine : fixed_color_);
    c->FillRect(TRect(full.Left, 0, full.Right, split));
    if (split < bottom) {
      SetBrushColor(c, options_.Contains(goVertLine) ? cellLine : Color());
      c->FillRect(TRect(full.Left, split, full.Right, bottom));
    }
  });
  ForVisible(rows_, h, [&](int row, int y) {
    int ly = y + rows_.Size(row);
    if (ly >= h) return;
    bool fixedRow = row < rows_.fixed;
    int bottomEdge = std::min(h, ly + line_width_);
    int split = fixedRow ? right : std::min(fixedW, right);
    SetBrushColor(c, options_.Contains(goFixedHorzLine) ? fixedLine : fixed_color_);
    c->FillRect(TRect(0, ly, split, bottomEdge));
    if (split < right) {
      SetBrushColor(c, options_.Contains(goHorzLine) ? cellLine : Color());
      c->FillRect(TRect(split, ly, right, bottomEdge));
    }
  });
}

// Full repaint of a 34 x 17 grid (the size of the main map tables) with text in every
// cell, for the plain string grid and for the aligned grid with a brush of its own in
// every cell (as the AFR tables use it): each must fit well inside one 16 ms frame.
#include <benchmark/benchmark.h>

#include <cstdlib>

#include "controls/Aligrid.h"
#include "platform/graphics/Bitmap.h"
#include "platform/rtl/SysUtils.h"
#include "platform/stdctrls/StringGrid.h"
#include "platform/ui/Application.h"
#include "platform/ui/Forms.h"
#include "platform/ui/Simulate.h"

namespace {

AnsiString CellText(int c, int r) { return FloatToStrF((c * 17 + r) * 0.25, ffFixed, 7, 2); }

// Fills a map-sized grid, lets `dress` add what the grid kind shows beyond its text,
// then times whole repaints.
template <typename Grid, typename Dress>
void FullRepaint(benchmark::State& state, Dress dress) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  Application->Initialize();
  TForm form(nullptr);
  form.SetBounds(0, 0, 1400, 500);
  Grid grid(&form);
  grid.SetParent(&form);
  grid.SetScrollBars(ssNone);
  grid.SetColCount(34);
  grid.SetRowCount(17);
  grid.SetDefaultColWidth(38);
  grid.SetDefaultRowHeight(18);
  grid.SetBounds(0, 0, 34 * 39 + 2, 17 * 19 + 2);
  for (int c = 0; c < 34; ++c)
    for (int r = 0; r < 17; ++r) grid.SetCells(c, r, CellText(c, r));
  dress(grid);
  grid.SetSelection(TGridRect{3, 3, 8, 6});
  form.Show();
  TBitmap shot;
  for (auto _ : state) {
    grid.Invalidate();
    ui::GrabControl(&grid, shot);  // runs Paint over every cell and copies the result
    benchmark::DoNotOptimize(shot.Width());
  }
}

void BM_GridFullRepaint(benchmark::State& state) {
  FullRepaint<TStringGrid>(state, [](TStringGrid&) {});
}
BENCHMARK(BM_GridFullRepaint)->Unit(benchmark::kMillisecond);

void BM_AligridFullRepaint(benchmark::State& state) {
  FullRepaint<TStringAlignGrid>(state, [](TStringAlignGrid& grid) {
    grid.SetAlignment(TMyAlign::alCenter);
    for (int c = 1; c < 34; ++c)
      for (int r = 1; r < 17; ++r) grid.SetColorCell(c, r, static_cast<TColor>(0x004080 + c * 0x0600 + r * 0x0C));
    grid.FontFixedRow(0)->SetStyle(TFontStyles{fsBold});
  });
}
BENCHMARK(BM_AligridFullRepaint)->Unit(benchmark::kMillisecond);

}  // namespace

// Full repaint of a 34 x 17 string grid (the size of the main map tables) with text in
// every cell: it must fit well inside one 16 ms frame.
#include <benchmark/benchmark.h>

#include <cstdlib>

#include "platform/rtl/SysUtils.h"
#include "platform/stdctrls/StringGrid.h"
#include "platform/ui/Application.h"
#include "platform/ui/Simulate.h"

namespace {

void BM_GridFullRepaint(benchmark::State& state) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  Application->Initialize();
  TForm form(nullptr);
  form.SetBounds(0, 0, 1400, 500);
  TStringGrid grid(&form);
  grid.SetParent(&form);
  grid.SetScrollBars(ssNone);
  grid.SetColCount(34);
  grid.SetRowCount(17);
  grid.SetDefaultColWidth(38);
  grid.SetDefaultRowHeight(18);
  grid.SetBounds(0, 0, 34 * 39 + 2, 17 * 19 + 2);
  for (int c = 0; c < 34; ++c)
    for (int r = 0; r < 17; ++r) grid.SetCells(c, r, FloatToStrF((c * 17 + r) * 0.25, ffFixed, 7, 2));
  grid.SetSelection(TGridRect{3, 3, 8, 6});
  form.Show();
  TBitmap shot;
  for (auto _ : state) {
    grid.Invalidate();
    ui::GrabControl(&grid, shot);  // runs Paint over every cell and copies the result
    benchmark::DoNotOptimize(shot.Width());
  }
}
BENCHMARK(BM_GridFullRepaint)->Unit(benchmark::kMillisecond);

}  // namespace

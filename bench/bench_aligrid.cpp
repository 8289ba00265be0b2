// Full repaint of a 34 x 17 aligned grid (the size of the AFR tables) with a brush of
// its own and a value in every cell: it must fit well inside one 16 ms frame.
#include <benchmark/benchmark.h>

#include <cstdlib>

#include "controls/Aligrid.h"
#include "platform/graphics/Bitmap.h"
#include "platform/rtl/SysUtils.h"
#include "platform/ui/Application.h"
#include "platform/ui/Forms.h"
#include "platform/ui/Simulate.h"

namespace {

void BM_AligridFullRepaint(benchmark::State& state) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  Application->Initialize();
  TForm form(nullptr);
  form.SetBounds(0, 0, 1400, 500);
  TStringAlignGrid grid(&form);
  grid.SetParent(&form);
  grid.SetScrollBars(ssNone);
  grid.SetColCount(34);
  grid.SetRowCount(17);
  grid.SetDefaultColWidth(38);
  grid.SetDefaultRowHeight(18);
  grid.SetBounds(0, 0, 34 * 39 + 2, 17 * 19 + 2);
  grid.SetAlignment(TMyAlign::alCenter);
  for (int c = 0; c < 34; ++c)
    for (int r = 0; r < 17; ++r) {
      grid.SetCells(c, r, FloatToStrF((c * 17 + r) * 0.25, ffFixed, 7, 2));
      if (c > 0 && r > 0) grid.SetColorCell(c, r, static_cast<TColor>(0x004080 + c * 0x0600 + r * 0x0C));
    }
  grid.FontFixedRow(0)->SetStyle(TFontStyles{fsBold});
  grid.SetSelection(TGridRect{3, 3, 8, 6});
  form.Show();
  TBitmap shot;
  for (auto _ : state) {
    grid.Invalidate();
    ui::GrabControl(&grid, shot);  // runs Paint over every cell and copies the result
    benchmark::DoNotOptimize(shot.Width());
  }
}
BENCHMARK(BM_AligridFullRepaint)->Unit(benchmark::kMillisecond);

}  // namespace

// Pasting tab-separated text into the aligned grid: the cost must grow in step with the
// length of the text (the reported complexity stays linear), whether the text is one long
// line of cells or many short lines.
#include <benchmark/benchmark.h>

#include <cstdlib>

#include "controls/Aligrid.h"
#include "platform/ui/Application.h"
#include "platform/ui/Forms.h"

namespace {

AnsiString OneLine(int64_t cells) {
  AnsiString text;
  for (int64_t i = 0; i < cells; ++i) text += "12.5\t";
  return text;
}

AnsiString ManyLines(int64_t cells) {
  AnsiString text;
  for (int64_t i = 0; i < cells; ++i) text += (i % 32 == 31) ? "7\r" : "7\t";
  return text;
}

template <AnsiString (*Make)(int64_t)>
void BM_GridPaste(benchmark::State& state) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  Application->Initialize();
  TForm form(nullptr);
  TStringAlignGrid grid(&form);
  grid.SetParent(&form);
  grid.SetColCount(34);
  grid.SetRowCount(17);
  grid.SetSelection(TGridRect{2, 1, 2, 1});
  const AnsiString text = Make(state.range(0));
  for (auto _ : state) {
    grid.PasteText(text);
    benchmark::DoNotOptimize(grid.Cells(2, 1));
  }
  state.SetComplexityN(state.range(0));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(text.size()));
}

// 400,000 cells is the size at which a paste that moved the rest of the text for every
// cell took over a second.
BENCHMARK_TEMPLATE(BM_GridPaste, OneLine)->RangeMultiplier(2)->Range(50000, 400000)->Complexity(benchmark::oN)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_TEMPLATE(BM_GridPaste, ManyLines)->RangeMultiplier(2)->Range(50000, 400000)->Complexity(benchmark::oN)
    ->Unit(benchmark::kMillisecond);

}  // namespace

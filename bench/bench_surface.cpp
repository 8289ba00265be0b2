// The map graph's frame: the surface series over a whole 34 x 17 table, drawn into the back
// buffer at the graph's default view (rotation 324, elevation 345, zoom 50, depth 100 %,
// 25 % transparency), axes, walls and all. Goal: under 8 ms.
#include <benchmark/benchmark.h>

#include <cmath>

#include "chart/Chart.h"
#include "chart/TeeSurfa.h"

static void SetUpGraphChart(TChart& chart, TSurfaceSeries& s, int transparency) {
  RegisterChartClasses();
  chart.SetBounds(0, 0, 552, 400);
  chart.Legend()->SetVisible(false);
  chart.BackWall()->SetAutoHide(true);
  chart.SetChart3DPercent(100);
  TView3DOptions* o = chart.View3DOptions();
  o->SetOrthogonal(false);
  o->SetPerspective(0);
  o->SetRotation(324);
  o->SetZoom(50);
  chart.DepthAxis()->SetVisible(true);
  s.SetParentChart(&chart);
  s.SetStartColor(0x404080);
  s.SetTimesZOrder(8);
  s.SetTransparency(transparency);
  s.OnGetYValue = [](TChartSeries*, int x, int z) { return 10 + 25 * std::sin(z / 10.0) - x; };
  s.CreateValues(17, 34);
  chart.DepthAxis()->SetMinMax(1, 34);
}

static void BM_SurfaceFrame34x17(benchmark::State& state) {
  TChart chart(nullptr);
  TSurfaceSeries s(nullptr);
  SetUpGraphChart(chart, s, static_cast<int>(state.range(0)));
  TBitmap window;
  window.SetSize(552, 400);
  for (auto _ : state) {
    chart.ChartCanvas()->Invalidate();
    chart.Draw(window.Canvas(), TRect(0, 0, 552, 400));
  }
  state.SetItemsProcessed(state.iterations() * 16 * 33);
}
BENCHMARK(BM_SurfaceFrame34x17)->Arg(25)->Arg(0)->Unit(benchmark::kMillisecond);

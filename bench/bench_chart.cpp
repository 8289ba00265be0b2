// Chart drawing: a 34 x 17 grid of projected 3-D quads drawn into the back buffer (the map
// graph's surface; compare with a 60 Hz frame, 16.7 ms), and a full repaint of the
// configuration editor's sensor chart (target: well under 16 ms).
#include <benchmark/benchmark.h>

#include <cmath>

#include "chart/Chart.h"
#include "chart/Series.h"

static void BM_ProjectAndDrawGridOfQuads(benchmark::State& state) {
  TBitmap buffer;
  buffer.SetSize(552, 400);
  TTeeCanvas3D c;
  c.SetBufferedDisplay(false);
  TView3DOptions o;
  o.SetOrthogonal(false);
  o.SetRotation(330);
  o.SetElevation(340);
  o.SetPerspective(15);
  const TRect r(40, 40, 500, 360);
  for (auto _ : state) {
    c.InitWindow(buffer.Canvas(), &o, clWhite, true, TRect(0, 0, 552, 400));
    c.Projection(200, r);
    TCanvasPainterHold hold(buffer.Canvas());
    c.Pen()->SetColor(clBlack);
    for (int z = 0; z < 16; ++z)
      for (int x = 0; x < 33; ++x) {
        const int x0 = r.Left + x * 14, x1 = x0 + 14;
        const int y0 = 200 - static_cast<int>(40 * std::sin((x + z) * 0.3)), y1 = 200 - static_cast<int>(40 * std::sin((x + z + 1) * 0.3));
        c.Brush()->SetColor(RGB(x * 7, 255 - z * 15, 128));
        const TPoint q[4] = {{x0, y0}, {x1, y1}, {x1, y1}, {x0, y0}};
        c.PlaneFour3D(q, z * 12, z * 12 + 12);
      }
  }
  state.SetItemsProcessed(state.iterations() * 33 * 16);
}
BENCHMARK(BM_ProjectAndDrawGridOfQuads)->Unit(benchmark::kMillisecond);

static void BM_SensorChartFullRepaint(benchmark::State& state) {
  RegisterChartClasses();
  TChart chart(nullptr);
  chart.SetBounds(8, 126, 556, 166);
  chart.SetView3D(false);
  chart.Legend()->SetVisible(false);
  ApplyChartPalette(&chart, 6);
  chart.BottomAxis()->Title()->SetCaption("Temperature (\xB0""C)");
  chart.LeftAxis()->Title()->SetCaption("Volts");
  TFastLineSeries s(nullptr);
  s.SetParentChart(&chart);
  for (int i = 0; i < 14; ++i) s.AddXY(-30 + i * 10, 4.6 * std::exp(-i / 5.0));
  TBitmap window;
  window.SetSize(556, 166);
  for (auto _ : state) {
    chart.ChartCanvas()->Invalidate();
    chart.Draw(window.Canvas(), TRect(0, 0, 556, 166));
  }
}
BENCHMARK(BM_SensorChartFullRepaint)->Unit(benchmark::kMillisecond);

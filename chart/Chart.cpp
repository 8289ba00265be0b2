#include "chart/Chart.h"

#include <algorithm>
#include <cmath>

#include "chart/Series.h"
#include "chart/TeeSurfa.h"
#include "platform/graphics/Canvas.h"
#include "platform/stdctrls/StdCtrlsRegistration.h"
#include "platform/streaming/ClassProps.h"
#include "platform/ui/UiStreaming.h"

TChart::TChart(TComponent* AOwner) : TCustomControl(AOwner) {
  SetBounds(0, 0, 400, 250);
  SetColor(clWhite);
}

TChart::~TChart() {
  // The series outlive the chart when the form frees the chart first.
  for (TChartSeries* s : series_) s->chart_ = nullptr;
}

void TChart::AddSeries(TChartSeries* s) {
  if (std::find(series_.begin(), series_.end(), s) == series_.end()) series_.push_back(s);
  Invalidate();
}

void TChart::RemoveSeries(TChartSeries* s) {
  series_.erase(std::remove(series_.begin(), series_.end(), s), series_.end());
  Invalidate();
}

void TChart::Paint() {
  TCanvas* c = Canvas();
  c->Brush()->SetColor(Color());
  c->Pen()->SetColor(clBlack);
  c->Rectangle(0, 0, Width(), Height());
  const AnsiString title = title_.Text()->Count() > 0 ? title_.Text()->Strings(0) : AnsiString();
  const int th = c->TextHeight("Wg");
  if (!title.empty()) c->TextOut((Width() - c->TextWidth(title)) / 2, 4, title);

  // Plot area inside margins that leave room for the title and the axis titles.
  const TRect plot = Rect(th + 12, th + 12, Width() - 8, Height() - th - 12);
  if (plot.Right - plot.Left < 4 || plot.Bottom - plot.Top < 4) return;
  c->Rectangle(plot.Left, plot.Top, plot.Right, plot.Bottom);
  if (!bottom_.Title()->Caption().empty())
    c->TextOut((plot.Left + plot.Right - c->TextWidth(bottom_.Title()->Caption())) / 2, plot.Bottom + 4,
               bottom_.Title()->Caption());
  if (!left_.Title()->Caption().empty()) c->TextOut(4, plot.Top - th - 4, left_.Title()->Caption());

  // One scale for all series, so that they can be compared.
  double xmin = 0, xmax = 0, ymin = 0, ymax = 0;
  bool any = false;
  for (TChartSeries* s : series_) {
    if (s->Count() == 0) continue;
    xmin = any ? std::min(xmin, s->XValues()->MinValue()) : s->XValues()->MinValue();
    xmax = any ? std::max(xmax, s->XValues()->MaxValue()) : s->XValues()->MaxValue();
    ymin = any ? std::min(ymin, s->YValues()->MinValue()) : s->YValues()->MinValue();
    ymax = any ? std::max(ymax, s->YValues()->MaxValue()) : s->YValues()->MaxValue();
    any = true;
  }
  if (!any) return;
  if (xmax <= xmin) xmax = xmin + 1;
  if (ymax <= ymin) ymax = ymin + 1;
  const double w = plot.Right - plot.Left - 1, h = plot.Bottom - plot.Top - 1;
  auto px = [&](double x) {
    double f = (x - xmin) / (xmax - xmin);
    if (bottom_.Inverted()) f = 1 - f;
    return plot.Left + static_cast<int>(std::lround(f * w));
  };
  auto py = [&](double y) {
    double f = (y - ymin) / (ymax - ymin);
    if (left_.Inverted()) f = 1 - f;
    return plot.Bottom - 1 - static_cast<int>(std::lround(f * h));
  };
  for (TChartSeries* s : series_) {
    c->Pen()->SetColor(s->SeriesColor());
    for (int i = 0; i < s->Count(); ++i) {
      const int x = px(s->XValues()->Value(i)), y = py(s->YValues()->Value(i));
      // A surface draws each row of its grid as its own line.
      const auto* surface = dynamic_cast<TSurfaceSeries*>(s);
      const bool rowStart = surface != nullptr && surface->NumXValues() > 0 && i % surface->NumXValues() == 0;
      if (i == 0 || rowStart)
        c->MoveTo(x, y);
      else
        c->LineTo(x, y);
    }
  }
}

void RegisterChartClasses() {
  static const bool done = [] {
    RegisterUiClasses();
    RegisterStdCtrlsClasses();
    RegisterClass<TChartAxisTitle, TPersistent>("TChartAxisTitle")
        .String("Caption", &TChartAxisTitle::Caption, &TChartAxisTitle::SetCaption);
    RegisterClass<TChartAxis, TPersistent>("TChartAxis")
        .Object("Title", &TChartAxis::Title)
        .Bool("Inverted", &TChartAxis::Inverted, &TChartAxis::SetInverted, false);
    RegisterClass<TChartTitle, TPersistent>("TChartTitle").Strings("Text", &TChartTitle::Text);
    RegisterClass<TChart, TCustomControl>("TChart")
        .Object("Title", &TChart::Title)
        .Object("LeftAxis", &TChart::LeftAxis)
        .Object("BottomAxis", &TChart::BottomAxis)
        .Object("DepthAxis", &TChart::DepthAxis);
    RegisterClass<TChartSeries, TComponent>("TChartSeries")
        .Component("ParentChart", &TChartSeries::ParentChart, &TChartSeries::SetParentChart)
        .Int("SeriesColor", &TChartSeries::SeriesColor, &TChartSeries::SetSeriesColor, clRed, &ui::ColorIdents())
        .String("Title", &TChartSeries::Title, &TChartSeries::SetTitle);
    RegisterClass<TFastLineSeries, TChartSeries>("TFastLineSeries");
    RegisterClass<TSurfaceSeries, TChartSeries>("TSurfaceSeries")
        .Int("NumXValues", &TSurfaceSeries::NumXValues, &TSurfaceSeries::SetNumXValues, 10)
        .Int("NumZValues", &TSurfaceSeries::NumZValues, &TSurfaceSeries::SetNumZValues, 10)
        .Event("OnGetYValue", &TSurfaceSeries::OnGetYValue);
    return true;
  }();
  (void)done;
}

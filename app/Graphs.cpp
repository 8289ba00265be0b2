#include "app/Graphs.h"

#include "chart/Chart.h"
#include "chart/TeeSurfa.h"
#include "platform/stdctrls/StdCtrls.h"

TGraph* Graph = nullptr;

void TGraph::Publish(TClassProps<TGraph>& P) {
  P.Field("Chart1", &TGraph::Chart1)
      .Field("GroupBox1", &TGraph::GroupBox1)
      .Field("GraphSelect", &TGraph::GraphSelect)
      .Field("Series1", &TGraph::Series1)
      .Handler("GraphSelectChange", &TGraph::GraphSelectChange)
      .Handler("Series1GetYValue", &TGraph::Series1GetYValue);
}

// Rebuilds the surface, which asks Series1GetYValue for every value.
void TGraph::GraphSelectChange(TObject*) {
  Series1->CreateValues(Series1->NumXValues(), Series1->NumZValues());
}

double TGraph::Series1GetYValue(TChartSeries*, int, int) {
  return 0;
}

#include "chart/TeeSurfa.h"
#include "chart/Chart.h"

#include <algorithm>

TSurfaceSeries::TSurfaceSeries(TComponent* AOwner) : TChartSeries(AOwner) {
  owned_lists_.push_back(std::make_unique<TChartValueList>(this, "Z"));
  z_ = owned_lists_.back().get();
  x_values_->SetOrder(loNone);
  MarkChartDefaults(this);
}

void TSurfaceSeries::SetNumXValues(int v) { num_x_ = std::max(v, 0); }
void TSurfaceSeries::SetNumZValues(int v) { num_z_ = std::max(v, 0); }

void TSurfaceSeries::CreateValues(int NumX, int NumZ) {
  BeginUpdate();
  Clear();
  num_x_ = std::max(NumX, 0);
  num_z_ = std::max(NumZ, 0);
  for (int z = 1; z <= num_z_; ++z)
    for (int x = 1; x <= num_x_; ++x) {
      z_->TempValue = z;
      AddXY(x, OnGetYValue ? OnGetYValue(this, x, z) : 0);
    }
  EndUpdate();
}

double TSurfaceSeries::GetYValue(int X, int Z) const {
  if (X < 1 || X > num_x_ || Z < 1 || Z > num_z_) return 0;
  const int i = (Z - 1) * num_x_ + (X - 1);
  return i < Count() ? YValues()->Value(i) : 0;
}

void TSurfaceSeries::DrawAllValues() {
  if (!parent_ || FirstValueIndex < 0) return;
  TTeeCanvas3D* c = parent_->ChartCanvas();
  c->AssignVisiblePenColor(Pen(), SeriesColor());
  for (int i = FirstValueIndex; i <= LastValueIndex; ++i) {
    const int x = CalcXPos(i), y = CalcYPos(i);
    if (i == FirstValueIndex || (num_x_ > 0 && i % num_x_ == 0))
      c->MoveTo(x, y);
    else
      c->LineTo(x, y);
  }
}

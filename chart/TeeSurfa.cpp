#include "chart/TeeSurfa.h"

#include <algorithm>

void TSurfaceSeries::SetNumXValues(int v) { num_x_ = std::max(v, 0); }
void TSurfaceSeries::SetNumZValues(int v) { num_z_ = std::max(v, 0); }

void TSurfaceSeries::Clear() {
  z_.values_.clear();
  TChartSeries::Clear();
}

void TSurfaceSeries::CreateValues(int NumX, int NumZ) {
  Clear();
  num_x_ = std::max(NumX, 0);
  num_z_ = std::max(NumZ, 0);
  for (int z = 1; z <= num_z_; ++z)
    for (int x = 1; x <= num_x_; ++x) {
      const double y = OnGetYValue ? OnGetYValue(this, x, z) : 0;
      AddXY(x, y);
      z_.values_.push_back(z);
    }
}

double TSurfaceSeries::GetYValue(int X, int Z) const {
  if (X < 1 || X > num_x_ || Z < 1 || Z > num_z_) return 0;
  const int i = (Z - 1) * num_x_ + (X - 1);
  return i < Count() ? YValues()->Value(i) : 0;
}

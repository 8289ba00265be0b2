#pragma once
// A surface series: a NumX x NumZ grid of Y values. CreateValues rebuilds the grid and
// asks OnGetYValue for each value; the chart draws each row of the grid as a line.
#include "chart/TeEngine.h"

using TGetYValueEvent = std::function<double(TChartSeries* Sender, int X, int Z)>;

class TSurfaceSeries : public TChartSeries {
 public:
  explicit TSurfaceSeries(TComponent* AOwner);
  const char* ClassName() const override { return "TSurfaceSeries"; }

  int NumXValues() const { return num_x_; }
  void SetNumXValues(int v);
  int NumZValues() const { return num_z_; }
  void SetNumZValues(int v);
  TChartValueList* ZValues() { return z_; }

  // Clears the series and adds NumX x NumZ points, X = 1..NumX and Z = 1..NumZ, each Y
  // from OnGetYValue (0 without a handler). Negative sizes count as 0.
  void CreateValues(int NumX, int NumZ);
  // The Y value at grid position (X, Z), 1-based; 0 outside the grid.
  double GetYValue(int X, int Z) const;
  void DrawAllValues() override;

  TGetYValueEvent OnGetYValue;

 private:
  int num_x_ = 10, num_z_ = 10;
  TChartValueList* z_;
};

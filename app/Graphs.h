#pragma once
// The map graph: one table of the current PC map as a 3D surface.
#include "platform/streaming/ClassProps.h"
#include "platform/ui/Forms.h"

class TChart;
class TChartSeries;
class TComboBox;
class TGroupBox;
class TSurfaceSeries;

class TGraph : public TForm {
 public:
  using TForm::TForm;
  const char* ClassName() const override { return "TGraph"; }
  static void Publish(TClassProps<TGraph>& P);

  TChart* Chart1 = nullptr;
  TGroupBox* GroupBox1 = nullptr;
  TComboBox* GraphSelect = nullptr;
  TSurfaceSeries* Series1 = nullptr;

  void GraphSelectChange(TObject* Sender);
  double Series1GetYValue(TChartSeries* Sender, int X, int Z);
};

extern TGraph* Graph;

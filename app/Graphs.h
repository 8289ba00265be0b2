#pragma once
// The map graph: one table of the current PC map as a 3-D surface that the user turns,
// tilts and zooms. It reads the map and writes nothing back.
#include "platform/streaming/ClassProps.h"
#include "platform/ui/Forms.h"

class TButton;
class TChart;
class TChartSeries;
class TComboBox;
class TGroupBox;
class TMainMenu;
class TMenuItem;
class TPanel;
class TRotateTool;
class TScrollBar;
class TSurfaceSeries;
struct TMapRecord;

// The number of speed sites the graph shows for a hard rev limit and a speed-site spacing
// (rpm): limit / spacing + 2, within 8..32; a spacing of 0 or less counts as the default 500.
int GraphSpeedSiteCount(int HardLimit, int SpeedSiteSpacing);
// The value of grid point (X, Z) of the table selector item Item in a map record, 0 for an
// item or point outside the tables.
double GraphTableValue(const TMapRecord& Map, int Item, int X, int Z);

class TGraph : public TForm {
 public:
  using TForm::TForm;
  const char* ClassName() const override { return "TGraph"; }
  static void Publish(TClassProps<TGraph>& P);

  TChart* Chart1 = nullptr;
  TScrollBar* RotationBar = nullptr;
  TScrollBar* ElevationBar = nullptr;
  TPanel* Panel1 = nullptr;
  TGroupBox* GroupBox1 = nullptr;
  TGroupBox* GroupBox2 = nullptr;
  TComboBox* GraphSelect = nullptr;
  TButton* zoom_minus = nullptr;
  TButton* zoom_plus = nullptr;
  TButton* zoom_reset = nullptr;
  TSurfaceSeries* Series1 = nullptr;
  TRotateTool* ChartTool1 = nullptr;
  TMainMenu* MainMenu1 = nullptr;
  TMenuItem* Exit1 = nullptr;
  TMenuItem* Exitgraph1 = nullptr;
  TMenuItem* Print1 = nullptr;
  TMenuItem* Printgraph1 = nullptr;

  void FormShow(TObject* Sender);
  void FormResize(TObject* Sender);
  void GraphSelectChange(TObject* Sender);
  double Series1GetYValue(TChartSeries* Sender, int X, int Z);
  void Series1GetColor(TChartSeries* Sender, int ValueIndex, TColor& Color);
  void RotationBarChange(TObject* Sender);
  void ElevationBarChange(TObject* Sender);
  void zoom_minusClick(TObject* Sender);
  void zoom_plusClick(TObject* Sender);
  void zoom_resetClick(TObject* Sender);
  void Exitgraph1Click(TObject* Sender);

  // Reads the shown table again (after an edit), keeping titles and axes.
  void RefreshSurface();
  // The speed sites shown for the current map and settings.
  int SpeedSiteCount() const;

 private:
  // Fills the surface with Columns grid rows and fits the depth axis to them.
  void FillSurface(int NumX, int NumZ);
  bool setting_bars_ = false;
};

extern TGraph* Graph;

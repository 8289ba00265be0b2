#pragma once
// The map graph: one table of the current PC map as a 3-D surface that the user turns,
// tilts and zooms. It reads the map and writes nothing back.
#include <vector>

#include "platform/streaming/ClassProps.h"
#include "platform/ui/Forms.h"

class TButton;
class TChart;
class TChartAxis;
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
  // Where the last drawing of the chart put the axis titles, on the screen.
  const std::vector<TRect>& TitleRects() const { return title_rects_; }

  void Loaded() override;

 private:
  // An axis title as the axis would draw it: its text, turn, alignment, screen reference
  // point and the rectangle it covers there.
  struct TPendingTitle {
    TChartAxis* Axis;
    AnsiString Text;
    int Angle;
    unsigned Align;
    TPoint At;
    TRect Box;
  };
  void AxisDrawLabel(TChartAxis* Sender, int& X, int& Y, int& Z, AnsiString& Text, bool& DrawLabel);
  void DrawTitles();
  std::vector<TPendingTitle> titles_;
  std::vector<TRect> label_rects_, title_rects_;
  // Fills the surface with Columns grid rows and fits the depth axis to them.
  void FillSurface(int NumX, int NumZ);
  bool setting_bars_ = false;
};

extern TGraph* Graph;

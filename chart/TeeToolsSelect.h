#pragma once
// More chart tools: alternating bands between an axis' grid lines, the surface cell under
// the mouse, selecting and dragging the chart's parts, dragging point marks, and mark
// texts shown as hints.
#include "chart/TeeToolsExtra.h"

class TSurfaceSeries;

// A brush of a grid band: its colour over the back colour (the back wall's when clNone).
class TGridBandBrush : public TChartBrush {
 public:
  explicit TGridBandBrush(TNotifyEvent OnChange = {}) : TChartBrush(std::move(OnChange)) {}
  const char* ClassName() const override { return "TGridBandBrush"; }
  TColor BackColor() const { return back_color_; }
  void SetBackColor(TColor v);
  TTeeTransparency Transparency() const { return transparency_; }
  void SetTransparency(TTeeTransparency v);

 private:
  TColor back_color_ = clNone;
  int transparency_ = 0;
};

class TGridBandTool : public TTeeCustomToolAxis {
 public:
  explicit TGridBandTool(TComponent* AOwner);
  ~TGridBandTool() override;
  const char* ClassName() const override { return "TGridBandTool"; }
  AnsiString Description() const override;
  AnsiString GetEditorClassName() const override { return "TGridBandToolEdit"; }
  TGridBandBrush* Band1() { return &band1_; }
  TGridBandBrush* Band2() { return &band2_; }
  void SetAxis(TChartAxis* A) override;
  // The filled stripes of the last drawing, in pixels along the axis.
  const std::vector<std::pair<int, int>>& Filled() const { return filled_; }

 private:
  void DrawBands(TChartAxis* Axis);
  TGridBandBrush band1_, band2_;
  std::vector<std::pair<int, int>> filled_;
};

class TSurfaceNearestTool : public TTeeCustomToolSeries {
 public:
  explicit TSurfaceNearestTool(TComponent* AOwner);
  const char* ClassName() const override { return "TSurfaceNearestTool"; }
  AnsiString Description() const override;
  AnsiString GetEditorClassName() const override { return "TSurfaceNearest"; }
  TColor CellColor() const { return cell_; }
  void SetCellColor(TColor v) { SetColorProperty(cell_, v); }
  TColor ColumnColor() const { return column_; }
  void SetColumnColor(TColor v) { SetColorProperty(column_, v); }
  TColor RowColor() const { return row_; }
  void SetRowColor(TColor v) { SetColorProperty(row_, v); }
  // Only a surface series: any other leaves the tool without one.
  void SetSeries(TChartSeries* S) override;
  TNotifyEvent OnSelectCell;
  int SelectedCell = -1;
  void ChartMouseEvent(int Kind, TMouseButton Button, TShiftState Shift, int X, int Y) override;

 private:
  TColor cell_ = clRed, column_ = 0x008000, row_ = 0xFF0000;
};

class TAnnotationTool;

class TSelectorTool : public TTeeCustomTool {
 public:
  explicit TSelectorTool(TComponent* AOwner);
  const char* ClassName() const override { return "TSelectorTool"; }
  AnsiString Description() const override { return "Selector"; }
  AnsiString GetEditorClassName() const override { return "TSelectorToolEditor"; }

  bool AllowDrag = true, AllowResizeChart = false;
  bool GetAllowDrag() const { return AllowDrag; }
  void SetAllowDrag(bool v) { AllowDrag = v; }
  bool GetAllowResizeChart() const { return AllowResizeChart; }
  void SetAllowResizeChart(bool v) { AllowResizeChart = v; }
  int HandleSize() const { return handle_size_; }
  void SetHandleSize(int v) { SetIntegerProperty(handle_size_, v); }
  TNotifyEvent OnDragged, OnDragging, OnResized, OnResizing, OnSelected;

  TAnnotationTool* SelectedAnnotation = nullptr;
  bool ShowHandles = true;
  TTeeCustomShapePosition* SelectedShape = nullptr;
  TCustomChartWall* SelectedWall = nullptr;
  TChartClickedPart Part;
  bool ResizingChart() const { return resizing_; }
  bool DraggingShape() const { return dragging_; }

  void ChartEvent(int Code) override;
  void ChartMouseEvent(int Kind, TMouseButton Button, TShiftState Shift, int X, int Y) override;

 protected:
  virtual void SelectionChanged();

 private:
  void Handle(int X, int Y);
  void BoxHandles(const TRect& R);
  void ClearSelection();
  int handle_size_ = 3;
  bool dragging_ = false, moved_ = false, resizing_ = false, resized_ = false;
  int drag_dx_ = 0, drag_dy_ = 0;
};

class TDragMarksTool : public TTeeCustomToolSeries {
 public:
  using TTeeCustomToolSeries::TTeeCustomToolSeries;
  const char* ClassName() const override { return "TDragMarksTool"; }
  AnsiString Description() const override;
  AnsiString GetEditorClassName() const override { return "TDragMarksToolEditor"; }
  TSeriesMarkPosition* DragPosition() const { return drag_position_; }
  TChartSeries* DragSeries() const { return drag_series_; }
  // The index of the mark of S under (X, Y), -1 none.
  static int MarkAt(TChartSeries* S, int X, int Y);
  void ChartMouseEvent(int Kind, TMouseButton Button, TShiftState Shift, int X, int Y) override;

 private:
  TChartSeries* Find(int X, int Y, bool Hovering, int& Index);
  int old_x_ = 0, old_y_ = 0;
  TSeriesMarkPosition* drag_position_ = nullptr;
  TChartSeries* drag_series_ = nullptr;
};

enum TMarkToolMouseAction { mtmMove, mtmClick };
class TMarksTipTool;
// Lets the program change the tip's text before it goes up.
using TMarksTipGetText = std::function<void(TMarksTipTool* Sender, AnsiString& Text)>;

class TMarksTipTool : public TTeeCustomToolSeries {
 public:
  explicit TMarksTipTool(TComponent* AOwner);
  const char* ClassName() const override { return "TMarksTipTool"; }
  AnsiString Description() const override;
  AnsiString GetEditorClassName() const override { return "TMarksTipToolEdit"; }
  void SetActive(bool v) override;
  TMarkToolMouseAction MouseAction() const { return mouse_action_; }
  void SetMouseAction(TMarkToolMouseAction v);
  // The application's hint pause: it acts on every hint of the application.
  int MouseDelay() const;
  void SetMouseDelay(int v);
  TSeriesMarksStyle Style = smsLabel;
  TSeriesMarksStyle GetStyle() const { return Style; }
  void SetStyle(TSeriesMarksStyle v) { Style = v; }
  TMarksTipGetText OnGetText;
  // How often a new tip text went up (the same point twice in a row counts once).
  int Shown = 0;
  void ChartMouseEvent(int Kind, TMouseButton Button, TShiftState Shift, int X, int Y) override;

 private:
  TCustomAxisPanel* Chart() const;
  TMarkToolMouseAction mouse_action_ = mtmMove;
};

void RegisterSelectToolClasses();

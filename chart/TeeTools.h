#pragma once
// Chart tools: the base every tool derives from (drawing and mouse hooks), the bases bound
// to a series or an axis, the chart's tool list, and the rotate tool that turns and tilts
// a 3-D chart by mouse drag.
#include <memory>
#include <vector>
#include "chart/TeEngine.h"

class TTeeCustomTool;

// The tools of one chart, in the order they receive events. The tools belong to their
// form; the list only refers to them, except that Clear frees them.
class TChartTools {
 public:
  explicit TChartTools(TCustomAxisPanel* Owner) : owner_(Owner) {}
  ~TChartTools();
  TChartTools(const TChartTools&) = delete;
  TChartTools& operator=(const TChartTools&) = delete;

  int Count() const { return static_cast<int>(items_.size()); }
  TTeeCustomTool* operator[](int Index) const { return items_.at(static_cast<size_t>(Index)); }
  const std::vector<TTeeCustomTool*>& Items() const { return items_; }
  TCustomAxisPanel* Owner() const { return owner_; }
  void Add(TTeeCustomTool* Tool);
  void Remove(TTeeCustomTool* Tool);
  // Frees every tool.
  void Clear();

  // Drawing event Code to every active tool, in list order.
  void BroadcastDraw(int Code);
  // Mouse event to the active tools in list order until one sets the chart's CancelMouse.
  void BroadcastMouse(int Kind, TMouseButton Button, TShiftState Shift, int X, int Y);
  // The tools' own drawings over the finished chart (drag feedback), on the screen canvas.
  void DrawOverlays(TCanvas* Canvas);

 private:
  TCustomAxisPanel* owner_;
  std::vector<TTeeCustomTool*> items_;
};

class TTeeCustomTool : public TCustomChartElement {
 public:
  explicit TTeeCustomTool(TComponent* AOwner);
  ~TTeeCustomTool() override;
  const char* ClassName() const override { return "TTeeCustomTool"; }

  // Leaves the old chart's tool list and joins the new one's.
  void SetParentChart(TCustomAxisPanel* p) override;
  // Drawing hook: 0 after drawing, 1 before the series, 2 before the chart, 3 before the
  // axes, 4 after the series, 5 the mouse left the chart.
  virtual void ChartEvent(int Code) { (void)Code; }
  // Mouse hook: Kind 0 button down, 1 move, 2 button up; X, Y in chart pixels.
  virtual void ChartMouseEvent(int Kind, TMouseButton Button, TShiftState Shift, int X, int Y) {
    (void)Kind, (void)Button, (void)Shift, (void)X, (void)Y;
  }
  // What the tool draws over the chart on screen between repaints; nothing here.
  virtual void DrawOverlay(TCanvas* Canvas) { (void)Canvas; }
  virtual AnsiString Description() const { return AnsiString(); }
  virtual AnsiString GetEditorClassName() const { return AnsiString(); }

 private:
  friend class TChartTools;
};

class TTeeCustomToolSeries : public TTeeCustomTool {
 public:
  using TTeeCustomTool::TTeeCustomTool;
  ~TTeeCustomToolSeries() override;
  const char* ClassName() const override { return "TTeeCustomToolSeries"; }
  AnsiString GetEditorClassName() const override { return "TSeriesToolEditor"; }
  TChartSeries* Series() const { return series_; }
  virtual void SetSeries(TChartSeries* S);
  TChartAxis* GetHorizAxis() const;
  TChartAxis* GetVertAxis() const;
  void Notification(TComponent* AComponent, TOperation Operation) override;

 protected:
  TChartSeries* series_ = nullptr;
};

class TTeeCustomToolAxis : public TTeeCustomTool {
 public:
  using TTeeCustomTool::TTeeCustomTool;
  const char* ClassName() const override { return "TTeeCustomToolAxis"; }
  AnsiString GetEditorClassName() const override { return "TAxisToolEditor"; }
  TChartAxis* Axis() const { return axis_; }
  virtual void SetAxis(TChartAxis* A);
  // The stored form of the axis: its index in the chart's axes list, -1 for none.
  int AxisID() const;
  // Without a chart yet (a form still loading) the index waits until the tool gets one.
  void SetAxisID(int Index);
  void SetParentChart(TCustomAxisPanel* p) override;

 protected:
  TChartAxis* axis_ = nullptr;
  int pending_axis_ = -1;
};

enum TRotateToolStyles { rsAll, rsRotation, rsElevation };

class TRotateTool : public TTeeCustomTool {
 public:
  explicit TRotateTool(TComponent* AOwner);
  const char* ClassName() const override { return "TRotateTool"; }
  AnsiString Description() const override;
  AnsiString GetEditorClassName() const override { return "TRotateToolEditor"; }

  TMouseButton Button = mbLeft;
  bool Inverted = false;
  TRotateToolStyles Style = rsAll;
  TNotifyEvent OnRotate;

  TMouseButton GetButton() const { return Button; }
  void SetButton(TMouseButton v) { Button = v; }
  bool GetInverted() const { return Inverted; }
  void SetInverted(bool v) { Inverted = v; }
  TRotateToolStyles GetStyle() const { return Style; }
  void SetStyle(TRotateToolStyles v) { Style = v; }

  void ChartMouseEvent(int Kind, TMouseButton MouseButton, TShiftState Shift, int X, int Y) override;
  void DrawOverlay(TCanvas* Canvas) override;
  bool Dragging() const { return dragging_; }

  // The new angles of one drag step on a canvas that projects by itself: rotation turns all
  // the way round (kept within 0..359), elevation stays within 270..360.
  static int NextRotation(int Old, int Change);
  static int NextElevation(int Old, int Change);

 private:
  void DragStep(int X, int Y);
  void ComputeBox();
  int old_x_ = 0, old_y_ = 0;
  // Mouse movement not yet turned into whole degrees, so slow drags still rotate.
  double rest_rotation_ = 0, rest_elevation_ = 0;
  bool dragging_ = false, first_step_ = true, old_auto_repaint_ = true;
  std::vector<TPoint> box_;  // projected wire-frame box: 12 edges as point pairs
};

// Draws a picture stretched over the area of a series (or of the axes' whole range) before
// the series are drawn.
class TChartImageTool : public TTeeCustomToolSeries {
 public:
  explicit TChartImageTool(TComponent* AOwner);
  ~TChartImageTool() override;
  const char* ClassName() const override { return "TChartImageTool"; }
  AnsiString Description() const override;
  AnsiString GetEditorClassName() const override { return "TChartImageToolEditor"; }
  TPicture* Picture() { return picture_.get(); }
  void SetPicture(TPicture* p) { picture_->Assign(p); }
  void SetSeries(TChartSeries* S) override;
  void ChartEvent(int Code) override;

 private:
  std::unique_ptr<TPicture> picture_;
};

// Registers the tool classes for form resources and the tool gallery.
void RegisterToolClasses();

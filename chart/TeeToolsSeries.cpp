// Tools bound to a series: the series animation, clipping a series to its axes, dragging
// a point with the mouse, and the band filled between two series.
#include "chart/TeeToolsExtra.h"

#include "chart/TeeToolsCommon.h"
#include "platform/ui/Application.h"

using namespace teetools;

// =======================================================================================
// TSeriesAnimationTool

TSeriesAnimationTool::TSeriesAnimationTool(TComponent* AOwner) : TTeeCustomToolSeries(AOwner) { MarkChartDefaults(this); }

TSeriesAnimationTool::~TSeriesAnimationTool() { stopped_ = true; }

AnsiString TSeriesAnimationTool::Description() const { return Msg(kMsgSeriesAnimation); }

void TSeriesAnimationTool::Frame() {
  if (TCustomAxisPanel* c = series_ ? series_->ParentChart() : nullptr) {
    c->Invalidate();
    c->Update();
  }
  if (Application) Application->ProcessMessages();
}

void TSeriesAnimationTool::RestoreValues() {
  TChartValueList* list = series_ ? series_->MandatoryValueList() : nullptr;
  if (!list) return;
  const int n = std::min(list->Count(), static_cast<int>(backup_.size()));
  for (int i = 0; i < n; ++i) list->SetValue(i, backup_[static_cast<size_t>(i)]);
}

void TSeriesAnimationTool::Execute() {
  if (!series_ || !stopped_) return;
  TChartValueList* list = series_->MandatoryValueList();
  backup_.clear();
  for (int i = 0; i < list->Count(); ++i) backup_.push_back(list->Value(i));
  TChartSeries* s = series_;
  s->BeginUpdate();
  stopped_ = false;
  try {
    if (Loop == salNo) {
      Animate(true);
    } else {
      bool forward = true;
      while (!stopped_ && series_) {
        Animate(forward);
        forward = !forward;
      }
    }
  } catch (...) {
    // The series gets its real values back before the copy goes.
    RestoreValues();
    stopped_ = true;
    s->EndUpdate();
    backup_.clear();
    throw;
  }
  stopped_ = true;
  s->EndUpdate();
  backup_.clear();
}

void TSeriesAnimationTool::Animate(bool Forward) {
  TChartValueList* list = series_->MandatoryValueList();
  const int count = list->Count();
  const double start = StartAtMin ? (count > 0 ? list->MinValue() : 0) : StartValue;
  for (int i = 0; i < count; ++i) list->SetValue(i, start);
  Frame();
  const int groups = DrawEvery == 0 ? (count > 0 ? 1 : 0) : (count + DrawEvery - 1) / DrawEvery;
  const double inv = 1.0 / steps_;
  for (int g = 0; g < groups; ++g) {
    const int from = DrawEvery == 0 ? 0 : DrawEvery * g;
    const int to = DrawEvery == 0 ? count - 1 : std::min(count - 1, DrawEvery * g + DrawEvery - 1);
    for (int step = 0; step <= steps_; ++step) {
      double factor = step * inv, offset = start - start * factor;
      if (Loop == salCircular && !Forward) {
        offset = 0;
        factor = (steps_ - step) * inv;
      }
      for (int i = from; i <= to; ++i) list->SetValue(i, backup_[static_cast<size_t>(i)] * factor + offset);
      if (OnStep) OnStep(this, step);
      Frame();
      if (stopped_ || !series_) {
        RestoreValues();
        Frame();
        return;
      }
    }
  }
  RestoreValues();
  Frame();
}

// =======================================================================================
// TClipSeriesTool

AnsiString TClipSeriesTool::Description() const { return Msg(kMsgClipSeries); }

TClipSeriesTool::~TClipSeriesTool() { Release(series_); }

void TClipSeriesTool::Release(TChartSeries* S) {
  if (!S) return;
  S->BeforeDrawValues = nullptr;
  S->AfterDrawValues = nullptr;
}

void TClipSeriesTool::SetSeries(TChartSeries* S) {
  if (S != series_) Release(series_);
  TTeeCustomToolSeries::SetSeries(S);
  if (!series_) return;
  series_->BeforeDrawValues = [this](TObject*) {
    TCustomAxisPanel* c = series_ ? series_->ParentChart() : nullptr;
    if (!c || !c->CanClip() || !series_->GetHorizAxis() || !series_->GetVertAxis()) return;
    TChartAxis* h = series_->GetHorizAxis();
    TChartAxis* v = series_->GetVertAxis();
    c->ChartCanvas()->ClipRectangle(TRect(h->IStartPos, v->IStartPos, h->IEndPos, v->IEndPos));
    clipped_ = true;
  };
  series_->AfterDrawValues = [this](TObject*) {
    if (!clipped_) return;
    clipped_ = false;
    if (TCustomAxisPanel* c = series_ ? series_->ParentChart() : nullptr) c->ChartCanvas()->UnClipRectangle();
  };
}

void TClipSeriesTool::Notification(TComponent* AComponent, TOperation Operation) {
  // A series being freed has lost its events already; it is only forgotten.
  if (Operation == TOperation::opRemove && AComponent == series_) clipped_ = false;
  TTeeCustomToolSeries::Notification(AComponent, Operation);
}

// =======================================================================================
// TDragPointTool

AnsiString TDragPointTool::Description() const { return Msg(kMsgDragPoint); }

void TDragPointTool::ChartMouseEvent(int Kind, TMouseButton Button, TShiftState Shift, int X, int Y) {
  TTeeCustomToolSeries::ChartMouseEvent(Kind, Button, Shift, X, Y);
  if (!series_) return;
  TCustomAxisPanel* chart = series_->ParentChart();
  switch (Kind) {
    case 0:
      Point = series_->Clicked(X, Y);
      if (Point != -1 && chart) chart->CancelMouse = true;
      break;
    case 1: {
      if (Point == -1 || Point >= series_->Count()) break;
      // An axis without a range gets a tiny one, so a pixel still has a value.
      auto valueAt = [](TChartAxis* a, int Pixel) {
        if (a->Maximum() == a->Minimum()) {
          a->SetAutomaticMaximum(false);
          a->SetMaximum(a->Maximum() + 0.1 * 1e-12);
        }
        return a->CalcPosPoint(Pixel);
      };
      series_->BeginUpdate();
      if (DragStyle != dsY && series_->GetHorizAxis()) series_->SetXValue(Point, valueAt(series_->GetHorizAxis(), X));
      if (DragStyle != dsX && series_->GetVertAxis()) series_->SetYValue(Point, valueAt(series_->GetVertAxis(), Y));
      series_->EndUpdate();
      if (chart) chart->CancelMouse = true;
      if (OnDragPoint) OnDragPoint(this, Point);
      break;
    }
    case 2:
      Point = -1;
      break;
    default:
      break;
  }
}

// =======================================================================================
// TSeriesBandTool

TSeriesBandTool::TSeriesBandTool(TComponent* AOwner)
    : TTeeCustomToolSeries(AOwner), gradient_([this](TObject*) { Repaint(); }) {
  brush_.SetColor(clWhite);
  pen_->SetVisible(false);
  MarkChartDefaults(this);
}

TSeriesBandTool::~TSeriesBandTool() {
  Listen(parent_, false);
  Unhook(series_);
  Unhook(series2_);
  if (series2_) series2_->RemoveFreeNotification(this);
}

AnsiString TSeriesBandTool::Description() const { return Msg(kMsgSeriesBand); }

void TSeriesBandTool::Hook(TChartSeries* S) {
  if (!S) return;
  S->BeforeDrawValues = [this, S](TObject*) { SeriesDrawing(S, true); };
  S->AfterDrawValues = [this, S](TObject*) { SeriesDrawing(S, false); };
}

void TSeriesBandTool::Unhook(TChartSeries* S) {
  if (!S) return;
  S->BeforeDrawValues = nullptr;
  S->AfterDrawValues = nullptr;
}

void TSeriesBandTool::SetSeries(TChartSeries* S) {
  if (S == series_) return;
  if (series_ != series2_) Unhook(series_);
  TTeeCustomToolSeries::SetSeries(S);
  Hook(series_);
  Repaint();
}

void TSeriesBandTool::SetSeries2(TChartSeries* S) {
  if (S == series2_) return;
  if (series2_) {
    if (series2_ != series_) Unhook(series2_);
    series2_->RemoveFreeNotification(this);
  }
  series2_ = S;
  if (series2_) {
    series2_->FreeNotification(this);
    Hook(series2_);
  }
  Repaint();
}

void TSeriesBandTool::Listen(TCustomAxisPanel* Chart, bool On) {
  if (!Chart) return;
  auto& l = Chart->Listeners();
  l.erase(std::remove(l.begin(), l.end(), static_cast<ITeeEventListener*>(this)), l.end());
  if (On) l.push_back(this);
}

void TSeriesBandTool::SetParentChart(TCustomAxisPanel* p) {
  if (p == parent_) return;
  Listen(parent_, false);
  TTeeCustomToolSeries::SetParentChart(p);
  Listen(parent_, true);
}

void TSeriesBandTool::HandleEvent(TTeeEvent& Event) {
  auto* e = dynamic_cast<TTeeSeriesEvent*>(&Event);
  if (!e || e->Event != seRemove || !e->Series) return;
  if (e->Series == series2_) SetSeries2(nullptr);
  if (e->Series == series_) SetSeries(nullptr);
}

void TSeriesBandTool::Notification(TComponent* AComponent, TOperation Operation) {
  // A series being freed has lost its events already; it is only forgotten.
  if (Operation == TOperation::opRemove && AComponent == series2_) series2_ = nullptr;
  TTeeCustomToolSeries::Notification(AComponent, Operation);
}

void TSeriesBandTool::ChartEvent(int Code) {
  TTeeCustomToolSeries::ChartEvent(Code);
  if (Code == 1) series_drawn_ = series2_drawn_ = false;
}

void TSeriesBandTool::SeriesDrawing(TChartSeries* S, bool Before) {
  if (Before != draw_behind_) return;
  if (S == series_) series_drawn_ = true;
  if (S == series2_) series2_drawn_ = true;
  if (Before ? series_drawn_ != series2_drawn_ : series_drawn_ && series2_drawn_) DrawBand();
}

std::vector<TPoint> TSeriesBandTool::BandPolygon() {
  std::vector<TPoint> p;
  if (!series_ || !series2_) return p;
  series_->CalcFirstLastVisibleIndex();
  series2_->CalcFirstLastVisibleIndex();
  if (series_->FirstValueIndex < 0 || series2_->FirstValueIndex < 0) return p;
  for (int i = series_->FirstValueIndex; i <= series_->LastValueIndex; ++i) p.push_back({series_->CalcXPos(i), series_->CalcYPos(i)});
  for (int i = series2_->LastValueIndex; i >= series2_->FirstValueIndex; --i) p.push_back({series2_->CalcXPos(i), series2_->CalcYPos(i)});
  return p;
}

void TSeriesBandTool::DrawBand() {
  if (!active_ || !parent_ || !series_ || !series2_) return;
  const std::vector<TPoint> poly = BandPolygon();
  if (poly.size() < 3) return;
  TTeeCanvas3D* c = parent_->ChartCanvas();
  const int z = std::max(series_->StartZ, series2_->StartZ);
  const bool is3D = parent_->View3D();
  TTeeBlend* blend = nullptr;
  if (transparency_) {
    TRect b(poly[0].x, poly[0].y, poly[0].x, poly[0].y);
    for (const TPoint& q : poly) b = TRect(std::min(b.Left, q.x), std::min(b.Top, q.y), std::max(b.Right, q.x), std::max(b.Bottom, q.y));
    blend = c->BeginBlending(c->CalcRect3D(b, z), transparency_);
  }
  if (gradient_.Visible() && parent_->CanClip()) {
    gradient_.DrawPolygon(c, poly, z, is3D);
  } else {
    c->ClipRectangle(c->CalcRect3D(parent_->ChartRect, z));
    c->AssignBrushColor(&brush_, brush_.Color(), clBlack);
    c->AssignVisiblePen(pen_.get());
    if (is3D) c->PolygonWithZ(poly, z);
    else c->Polygon(poly);
    c->UnClipRectangle();
  }
  if (blend) c->EndBlending(blend);
}

// The cursor tool (cross-hair lines the user drags or that follow the mouse, snapping to
// a series' points) and the nearest-point tool (highlights the point under the mouse).
#include "chart/TeeToolsExtra.h"

#include "chart/TeeToolsCommon.h"

using namespace teetools;

// =======================================================================================
// TCursorTool

TCursorTool::TCursorTool(TComponent* AOwner) : TTeeCustomToolSeries(AOwner) { MarkChartDefaults(this); }

AnsiString TCursorTool::Description() const { return Msg(kMsgCursor); }

void TCursorTool::SetStyle(TCursorToolStyle v) {
  if (style_ == v) return;
  style_ = v;
  SnapToPoint();
  Repaint();
}

void TCursorTool::SetUseSeriesZ(bool v) { SetBooleanProperty(use_series_z_, v); }

void TCursorTool::SetSeries(TChartSeries* S) {
  TTeeCustomToolSeries::SetSeries(S);
  if (series_ && !HasState(csLoading)) {
    SnapToPoint();
    Repaint();
  }
}

int TCursorTool::Depth() const { return use_series_z_ && series_ ? series_->MiddleZ : 0; }

TRect TCursorTool::AreaRect() {
  TRect r{};
  if (!parent_) return r;
  if (UseChartRect) return parent_->ChartRect;
  TChartAxis* h = GetHorizAxis();
  TChartAxis* v = GetVertAxis();
  if (h) r.Left = h->IStartPos, r.Right = h->IEndPos;
  if (v) r.Top = v->IStartPos, r.Bottom = v->IEndPos;
  if (OnGetAxisRect) OnGetAxisRect(this, r);
  return r;
}

bool TCursorTool::InArea(int X, int Y) {
  if (use_series_z_ && parent_) parent_->ChartCanvas()->Calculate2DPosition(X, Y, Depth());
  return PointInRect(AreaRect(), X, Y);
}

void TCursorTool::CalcValues(int X, int Y) {
  if (use_series_z_ && parent_) parent_->ChartCanvas()->Calculate2DPosition(X, Y, Depth());
  TChartAxis* h = GetHorizAxis();
  TChartAxis* v = GetVertAxis();
  if (drag_mode_ != 2 && v) YValue = v->CalcPosPoint(Y);
  if (drag_mode_ != 1 && h) XValue = h->CalcPosPoint(X);
}

int TCursorTool::NearestPoint() const {
  int first, last;
  if (!VisibleRange(series_, first, last)) return -1;
  int best = -1;
  double bestDist = 0;
  for (int i = first; i <= last; ++i) {
    const double dx = XValue - series_->XValue(i), dy = YValue - series_->YValue(i);
    const double d = style_ == cssHorizontal ? std::abs(dy) : style_ == cssVertical ? std::abs(dx) : std::sqrt(dx * dx + dy * dy);
    if (best < 0 || d < bestDist) best = i, bestDist = d;
  }
  return best;
}

int TCursorTool::SnapToPoint() {
  if (!series_ || !Snap) return -1;
  const int i = NearestPoint();
  if (i < 0) return -1;
  if (style_ != cssVertical) YValue = series_->YValue(i);
  if (style_ != cssHorizontal) XValue = series_->XValue(i);
  return i;
}

void TCursorTool::CalcScreenPositions() {
  TChartAxis* h = GetHorizAxis();
  TChartAxis* v = GetVertAxis();
  if (!h || !v) return;
  if (IXPos != -1 && IYPos != -1) {
    IXPos = h->CalcPosValue(XValue);
    IYPos = v->CalcPosValue(YValue);
    return;
  }
  // First drawing: the middle of both axes.
  IXPos = (h->IStartPos + h->IEndPos) / 2;
  IYPos = (v->IStartPos + v->IEndPos) / 2;
  const int saved = drag_mode_;
  drag_mode_ = 0;
  CalcValues(IXPos, IYPos);
  drag_mode_ = saved;
  const int i = SnapToPoint();
  IXPos = h->CalcPosValue(XValue);
  IYPos = v->CalcPosValue(YValue);
  DoChange(i);
}

int TCursorTool::HitTest(int X, int Y) {
  if (!InArea(X, Y)) return 0;
  if (use_series_z_ && parent_) parent_->ChartCanvas()->Calculate2DPosition(X, Y, Depth());
  const bool onH = std::abs(Y - IYPos) < 3, onV = std::abs(X - IXPos) < 3;
  if (style_ == cssBoth && onH && onV) return 3;
  if (style_ != cssVertical && onH) return 1;
  if (style_ != cssHorizontal && onV) return 2;
  return 0;
}

void TCursorTool::DoChange(int ValueIndex) {
  if (OnChange) OnChange(this, IXPos, IYPos, XValue, YValue, series_, ValueIndex);
}

void TCursorTool::ChartEvent(int Code) {
  TTeeCustomToolSeries::ChartEvent(Code);
  if (Code != 0 || !parent_) return;
  area_ = AreaRect();
  CalcScreenPositions();
}

void TCursorTool::DrawOverlay(TCanvas* C) {
  if (!parent_ || IXPos == -1 || IYPos == -1) return;
  C->SetClipRegion(nullptr);
  SelectPen(C, pen_.get(), ColorToRGB(pen_->Color()) ^ BackgroundOf(parent_), pmXor);
  const TRect& r = area_;
  const int z = Depth();
  if (style_ != cssVertical) OverlayLine(C, parent_, r.Left, IYPos, r.Right, IYPos, z);
  if (style_ != cssHorizontal) OverlayLine(C, parent_, IXPos, r.Top, IXPos, r.Bottom, z);
  C->Pen()->SetMode(pmCopy);
}

void TCursorTool::ChartMouseEvent(int Kind, TMouseButton Button, TShiftState Shift, int X, int Y) {
  TTeeCustomToolSeries::ChartMouseEvent(Kind, Button, Shift, X, Y);
  if (!parent_) return;
  switch (Kind) {
    case 0:
      if (!FollowMouse) {
        drag_mode_ = HitTest(X, Y);
        if (drag_mode_ != 0) parent_->CancelMouse = true;
      }
      break;
    case 1:
      if (drag_mode_ != 0 || FollowMouse) {
        if (!InArea(X, Y)) break;
        CalcValues(X, Y);
        const int i = SnapToPoint();
        CalcScreenPositions();
        RepaintOverlayOf(parent_);
        DoChange(i);
        if (OnSnapChange && i != last_index_) OnSnapChange(this, IXPos, IYPos, XValue, YValue, series_, i);
        last_index_ = i;
        // The move is not consumed: panning, the zoom rectangle, later tools and the
        // series under the mouse still see it.
      } else {
        const int hit = HitTest(X, Y);
        if (hit == 1) SetChartCursor(parent_, crVSplit);
        else if (hit == 2) SetChartCursor(parent_, crHSplit);
        else if (hit == 3) SetChartCursor(parent_, crSizeAll);
        parent_->CancelMouse = hit != 0;
      }
      break;
    case 2:
      drag_mode_ = 0;
      break;
    default:
      break;
  }
}

// =======================================================================================
// TNearestTool

TNearestTool::TNearestTool(TComponent* AOwner)
    : TTeeCustomToolSeries(AOwner), line_pen_(std::make_unique<TChartPen>([this](TObject*) { Repaint(); })) {
  brush_.SetStyle(bsClear);
  pen_->SetStyle(psDot);
  pen_->SetColor(clWhite);
  MarkChartDefaults(this);
}

AnsiString TNearestTool::Description() const { return Msg(kMsgNearest); }

void TNearestTool::SetStyle(TNearestToolStyle v) {
  if (style_ == v) return;
  style_ = v;
  Repaint();
}

int TNearestTool::GetNearestPoint(TChartSeries* S, int X, int Y, bool IncludeNulls) {
  int first, last;
  if (!VisibleRange(S, first, last)) return -1;
  TCustomAxisPanel* chart = S->ParentChart();
  TChartValueList* zList = S->ValueListByName("Z");
  int best = -1, bestDist = 10000;
  for (int i = first; i <= last; ++i) {
    if (!IncludeNulls && S->ValueColor(i) == clNone) continue;
    int px = S->CalcXPos(i), py = S->CalcYPos(i);
    if (zList && chart) {
      const TPoint p = chart->ChartCanvas()->Calculate3DPosition(px, py, chart->DepthAxis()->CalcPosValue(zList->Value(i)));
      px = p.x, py = p.y;
    }
    if (chart && !PointInRect(chart->ChartRect, px, py)) continue;
    const double dx = X - px, dy = Y - py;
    const int d = static_cast<int>(std::nearbyint(std::sqrt(dx * dx + dy * dy)));
    if (d < bestDist) best = i, bestDist = d;
  }
  return best;
}

void TNearestTool::DrawHighlight(TCanvas3D* C) {
  if (!series_ || Point < 0 || Point >= series_->Count() || !parent_) return;
  const int x = series_->CalcXPos(Point), y = series_->CalcYPos(Point);
  TChartValueList* zList = series_->ValueListByName("Z");
  const int z = zList ? parent_->DepthAxis()->CalcPosValue(zList->Value(Point)) : series_->MiddleZ;
  const bool is3D = parent_->View3D();
  const int s = size_;
  if (style_ != hsNone) {
    C->AssignVisiblePen(pen_.get());
    C->AssignBrush(&brush_, brush_.Color());
    switch (style_) {
      case hsCircle:
        if (is3D) C->EllipseWithZ(x - s, y - s, x + s, y + s, z);
        else C->Ellipse(x - s, y - s, x + s, y + s);
        break;
      case hsRectangle:
        if (is3D) C->RectangleWithZ(TRect(x - s, y - s, x + s, y + s), z);
        else C->Rectangle(x - s, y - s, x + s, y + s);
        break;
      default:
        C->PolygonWithZ({{x, y - s}, {x + s, y}, {x, y + s}, {x - s, y}}, z);
        break;
    }
  }
  if (DrawLine()) {
    C->AssignVisiblePen(line_pen_.get());
    if (is3D) {
      C->MoveTo3D(MouseX, MouseY, z);
      C->LineTo3D(x, y, z);
    } else {
      C->MoveTo(MouseX, MouseY);
      C->LineTo(x, y);
    }
  }
}

void TNearestTool::ChartEvent(int Code) {
  TTeeCustomToolSeries::ChartEvent(Code);
  if (Code == 0 && FullRepaint && parent_) DrawHighlight(parent_->ChartCanvas());
  if (Code == 5) {
    Point = -1;
    if (FullRepaint) Repaint();
    else RepaintOverlayOf(parent_);
  }
}

void TNearestTool::DrawOverlay(TCanvas* C) {
  if (FullRepaint || !series_ || Point < 0 || Point >= series_->Count() || !parent_) return;
  // An inverting highlight over the drawn chart: the shape and the line, in pixels.
  C->SetClipRegion(nullptr);
  TChartValueList* zList = series_->ValueListByName("Z");
  const int z = zList ? parent_->DepthAxis()->CalcPosValue(zList->Value(Point)) : series_->MiddleZ;
  const TPoint at = Projected(parent_, series_->CalcXPos(Point), series_->CalcYPos(Point), z);
  const int x = at.x, y = at.y, s = size_;
  SelectPen(C, pen_.get(), pen_->Color(), pmNotXor);
  if (style_ == hsCircle) C->Ellipse(x - s, y - s, x + s, y + s);
  if (style_ == hsRectangle) C->Rectangle(x - s, y - s, x + s, y + s);
  if (style_ == hsDiamond) C->Polygon({{x, y - s}, {x + s, y}, {x, y + s}, {x - s, y}});
  if (DrawLine()) {
    SelectPen(C, line_pen_.get(), line_pen_->Color(), pmNotXor);
    C->MoveTo(MouseX, MouseY);
    C->LineTo(x, y);
  }
  C->Pen()->SetMode(pmCopy);
}

void TNearestTool::ChartMouseEvent(int Kind, TMouseButton Button, TShiftState Shift, int X, int Y) {
  TTeeCustomToolSeries::ChartMouseEvent(Kind, Button, Shift, X, Y);
  if (Kind != 1 || !series_) return;
  Point = GetNearestPoint(series_, X, Y);
  MouseX = X;
  MouseY = Y;
  if (OnChange) OnChange(this);
  if (FullRepaint) Repaint();
  else RepaintOverlayOf(parent_);
}

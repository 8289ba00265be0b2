#include "chart/Series.h"
#include "chart/Chart.h"

#include "chart/TeeConst.h"

TFastLineSeries::TFastLineSeries(TComponent* AOwner) : TCustomLineSeries(AOwner) { MarkChartDefaults(this); }

void TFastLineSeries::Assign(TPersistent* Source) {
  if (auto* s = dynamic_cast<TFastLineSeries*>(Source)) {
    auto_repaint_ = s->auto_repaint_;
    draw_all_points_ = s->draw_all_points_;
    ignore_nulls_ = s->ignore_nulls_;
    inverted_stairs_ = s->inverted_stairs_;
    stairs_ = s->stairs_;
  }
  TCustomLineSeries::Assign(Source);
}

void TFastLineSeries::SetPen(TChartPen* p) {
  TCustomLineSeries::SetPen(p);
  SetSeriesColor(Pen()->Color());
}

void TFastLineSeries::SetSeriesColor(TColor C) {
  TCustomLineSeries::SetSeriesColor(C);
  Pen()->SetColor(C);
}

// The colour the chart hands out becomes the line's colour while the series has none of its own.
void TFastLineSeries::SetDefaultColor(TColor C) {
  TCustomLineSeries::SetDefaultColor(C);
  if (OwnColor() == clTeeColor) Pen()->SetColor(C);
}

void TFastLineSeries::CalcHorizMargins(int& LeftMargin, int& RightMargin) {
  TCustomLineSeries::CalcHorizMargins(LeftMargin, RightMargin);
  const int m = PenMargin(Pen()->Width());
  LeftMargin += m;
  RightMargin += m;
}

void TFastLineSeries::CalcVerticalMargins(int& TopMargin, int& BottomMargin) {
  TCustomLineSeries::CalcVerticalMargins(TopMargin, BottomMargin);
  const int m = PenMargin(Pen()->Width());
  TopMargin += m;
  BottomMargin += m;
}

std::vector<AnsiString> TFastLineSeries::CreateSubGallery() const { return {TeeMsg_Normal, TeeMsg_Marks, TeeMsg_Dotted, TeeMsg_Stairs}; }

void TFastLineSeries::SetSubGallery(int Index) {
  switch (Index) {
    case 1: Marks()->SetVisible(true); break;
    case 2: Pen()->SetSmallDots(true); break;
    case 3: SetStairs(true); break;
    default: break;
  }
}

bool TFastLineSeries::Is3D() const { return parent_ && parent_->View3D(); }

void TFastLineSeries::PrepareCanvas() {
  TTeeCanvas3D* c = parent_->ChartCanvas();
  TColor color = Pen()->Color();
  if (color == clTeeColor) color = SeriesColor();
  c->AssignVisiblePenColor(Pen(), color);
  c->Brush()->SetStyle(bsClear);
  c->SetBackMode(TRANSPARENT);
}

void TFastLineSeries::MoveTo(int X, int Y) {
  TTeeCanvas3D* c = parent_->ChartCanvas();
  if (Is3D())
    c->MoveTo3D(X, Y, MiddleZ);
  else
    c->MoveTo(X, Y);
}

void TFastLineSeries::LineTo(int X, int Y) {
  TTeeCanvas3D* c = parent_->ChartCanvas();
  if (Is3D())
    c->LineTo3D(X, Y, MiddleZ);
  else
    c->LineTo(X, Y);
}

void TFastLineSeries::DrawAllValues() {
  if (!parent_ || FirstValueIndex < 0) return;
  PrepareCanvas();
  const int f = FirstValueIndex;
  const int start = f >= 1 ? f - 1 : f;
  last_x_ = CalcXPos(start);
  last_y_ = CalcYPos(start);
  MoveTo(last_x_, last_y_);
  if (f > 0) DrawValue(f);
  for (int i = f + 1; i <= LastValueIndex; ++i) DrawValue(i);
}

void TFastLineSeries::DrawValue(int ValueIndex) {
  const int x = CalcXPos(ValueIndex), y = CalcYPos(ValueIndex);
  if (x == last_x_ && (!draw_all_points_ || y == last_y_)) return;
  // A null point (with nulls not ignored) breaks the line: the pen moves to it without a
  // segment, and the line resumes from it to the next point.
  if (!ignore_nulls_ && IsNull(ValueIndex)) {
    MoveTo(x, y);
    last_x_ = x;
    last_y_ = y;
    return;
  }
  if (stairs_) {
    if (inverted_stairs_)
      LineTo(last_x_, y);
    else
      LineTo(x, last_y_);
  }
  LineTo(x, y);
  last_x_ = x;
  last_y_ = y;
}

void TFastLineSeries::DrawLegendShape(int, const TRect& Rect) {
  const int y = (Rect.Top + Rect.Bottom) / 2;
  parent_->ChartCanvas()->DoHorizLine(Rect.Left, Rect.Right, y);
}

void TFastLineSeries::PrepareLegendCanvas(int, TColor&, TBrushStyle& BrushStyle) {
  PrepareCanvas();
  BrushStyle = bsClear;
}

void TFastLineSeries::NotifyNewValue(TChartSeries* Sender, int ValueIndex) {
  if (auto_repaint_ || !parent_) return TCustomLineSeries::NotifyNewValue(Sender, ValueIndex);
  if (OnAfterAdd) OnAfterAdd(Sender, ValueIndex);
  NotifyValue(veAdd, ValueIndex);
  // The new segment goes straight into the chart's back buffer (when it holds the chart)
  // and the window is asked to show it, so that the next expose keeps it.
  TTeeCanvas3D* c = parent_->ChartCanvas();
  TBitmap* buffer = c->GetBufferedDisplay() && !c->BufferInvalid ? c->Bitmap() : nullptr;
  TCanvas* saved = c->Canvas();
  if (buffer) c->SetCanvas(buffer->Canvas());
  const int prev = ValueIndex > 0 ? ValueIndex - 1 : 0;
  last_x_ = CalcXPos(prev);
  last_y_ = CalcYPos(prev);
  PrepareCanvas();
  MoveTo(last_x_, last_y_);
  DrawValue(ValueIndex);
  if (buffer) c->SetCanvas(saved);
  parent_->TControl::Invalidate();
}

int TFastLineSeries::Clicked(int X, int Y) {
  if (!parent_) return -1;
  CalcFirstLastVisibleIndex();
  if (FirstValueIndex < 0) return -1;
  if (Is3D()) parent_->ChartCanvas()->Calculate2DPosition(X, Y, MiddleZ);
  const TPoint p{X, Y};
  TPoint prev;
  for (int i = FirstValueIndex; i <= LastValueIndex; ++i) {
    const TPoint q{CalcXPos(i), CalcYPos(i)};
    if (q == p) return i;
    if (i > FirstValueIndex && PointInLine(p, prev, q)) return i - 1;
    prev = q;
  }
  return -1;
}

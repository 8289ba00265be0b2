// Point symbols and callout arrows.
#include "chart/TeePointer.h"

#include "chart/TeeConst.h"
#include "platform/streaming/ClassProps.h"

TSeriesPointer::TSeriesPointer(TChartSeries* Series)
    : TTeeCustomShapeBrushPen(Series ? Series->ParentChart() : nullptr), series_(Series) {}

TSeriesPointer::~TSeriesPointer() = default;

void TSeriesPointer::Repaint() {
  if (series_)
    series_->Repaint();
  else
    TTeeCustomShapeBrushPen::Repaint();
}

TTeeGradient* TSeriesPointer::Gradient() {
  if (!gradient_) gradient_ = std::make_unique<TTeeGradient>([this](TObject*) { Repaint(); });
  return gradient_.get();
}

void TSeriesPointer::Assign(TPersistent* Source) {
  if (auto* p = dynamic_cast<TSeriesPointer*>(Source)) {
    dark3d_ = p->dark3d_;
    draw3d_ = p->draw3d_;
    if (p->gradient_)
      Gradient()->Assign(p->gradient_.get());
    else
      gradient_.reset();
    horiz_size_ = p->horiz_size_;
    inflate_margins_ = p->inflate_margins_;
    style_ = p->style_;
    transparency_ = p->transparency_;
    vert_size_ = p->vert_size_;
  }
  TTeeCustomShapeBrushPen::Assign(Source);
}

void TSeriesPointer::SetHorizSize(int v) {
  if (v < 1) throw ChartException(TeeMsg_CheckPointerSize);
  Set(horiz_size_, v);
}

void TSeriesPointer::SetVertSize(int v) {
  if (v < 1) throw ChartException(TeeMsg_CheckPointerSize);
  Set(vert_size_, v);
}

void TSeriesPointer::PrepareCanvas(TTeeCanvas3D* Canvas, TColor Color) {
  if (!pen_->Visible())
    Canvas->Pen()->SetStyle(psClear);
  else if (pen_->Color() == clTeeColor)
    Canvas->AssignVisiblePenColor(pen_.get(), Color);
  else
    Canvas->AssignVisiblePen(pen_.get());
  TColor b = brush_->Color();
  if (b == clTeeColor) b = brush_->Style() == bsSolid ? Color : clBlack;
  Canvas->AssignBrushColor(brush_.get(), b, Color);
}

void TSeriesPointer::Draw(int X, int Y, TColor Color) {
  if (!series_ || !series_->ParentChart()) return;
  TTeeCanvas3D* c = series_->ParentChart()->ChartCanvas();
  PrepareCanvas(c, Color);
  Draw(c, series_->ParentChart()->View3D(), X, Y, horiz_size_, vert_size_, Color, style_);
}

void TSeriesPointer::Draw(TTeeCanvas3D* Canvas, bool Is3D, int X, int Y, int H, int V, TColor Color,
                          TSeriesPointerStyle Style) {
  const int l = X - H, r = X + H, t = Y - V, b = Y + V;
  const int z0 = StartZ(), z1 = EndZ(), zm = MiddleZ();
  const bool solid = Is3D && draw3d_;
  TTeeBlend* blend = nullptr;
  if (transparency_ > 0) {
    TRect rr(l, t, r + 1, b);
    if (solid) rr = TRect(l, t - (z1 - z0), r + 1 + (z1 - z0), b);
    blend = Canvas->BeginBlending(Canvas->RectFromRectZ(rr, z0), transparency_);
  }
  std::vector<TPoint> shape;  // the symbol's outline, for the gradient
  auto polygon = [&](std::vector<TPoint> p) {
    shape = p;
    if (Is3D)
      Canvas->PolygonWithZ(p, z0);
    else
      Canvas->Polygon(p);
  };
  auto line = [&](int x0, int y0, int x1, int y1) {
    if (Is3D)
      Canvas->LineWithZ(x0, y0, x1, y1, z0);
    else
      Canvas->Line(x0, y0, x1, y1);
  };
  auto triangle = [&](std::vector<TPoint> p) {
    if (solid) {
      // A solid: the far face first, then the sides, the near face last.
      Canvas->PolygonWithZ(p, z1);
      for (size_t i = 0; i < p.size(); ++i) {
        const TPoint a = p[i], c = p[(i + 1) % p.size()];
        if (dark3d_) Canvas->SetDarkBrushColor(Color, 32);
        const TPoint side[4] = {a, c, c, a};
        Canvas->PlaneFour3D(side, z0, z1);
      }
      PrepareCanvas(Canvas, Color);
      shape = p;
      Canvas->PolygonWithZ(p, z0);
    } else {
      polygon(p);
    }
  };
  switch (Style) {
    case psRectangle:
      shape = {{l, t}, {r, t}, {r, b}, {l, b}};
      if (solid)
        Canvas->Cube(l, r, t, b, z0, z1, dark3d_);
      else if (Is3D)
        Canvas->RectangleWithZ(TRect(l, t, r + 1, b + 1), z0);
      else
        Canvas->Rectangle(l, t, r + 1, b + 1);
      break;
    case psCircle:
      if (!Is3D)
        Canvas->Ellipse(l, t, r + 1, b + 1);
      else if (!draw3d_ || !Canvas->IsNative3D())
        Canvas->EllipseWithZ(l, t, r + 1, b + 1, z0);
      else
        Canvas->EllipseWithZ(X - H, Y - H, X + H + 1, Y + H + 1, zm);
      break;
    case psTriangle: triangle({{l, b}, {X, t}, {r, b}}); break;
    case psDownTriangle: triangle({{l, t}, {X, b}, {r, t}}); break;
    case psLeftTriangle: polygon({{r, t}, {l, Y}, {r, b}}); break;
    case psRightTriangle: polygon({{l, t}, {r, Y}, {l, b}}); break;
    case psCross:
      line(l, Y, r + 1, Y);
      line(X, t, X, b + 1);
      break;
    case psDiagCross:
      line(l, t, r + 1, b + 1);
      line(l, b, r + 1, t - 1);
      break;
    case psStar:
      line(l, Y, r + 1, Y);
      line(X, t, X, b + 1);
      line(l, t, r + 1, b + 1);
      line(l, b, r + 1, t - 1);
      break;
    case psDiamond: polygon({{X, t}, {r, Y}, {X, b}, {l, Y}}); break;
    case psSmallDot:
      if (Is3D)
        Canvas->SetPixel3D(X, Y, zm, Color);
      else
        Canvas->SetPixel(X, Y, Color);
      break;
    case psNothing: break;
  }
  if (gradient_ && gradient_->Visible() && !shape.empty()) gradient_->DrawPolygon(Canvas, shape, z0, Is3D);
  if (blend) Canvas->EndBlending(blend);
}

// ---------------------------------------------------------------------------------------

TCallout::TCallout(TChartSeries* Series) : TSeriesPointer(Series), arrow_([this](TObject*) { Repaint(); }) {}

void TCallout::Assign(TPersistent* Source) {
  if (auto* c = dynamic_cast<TCallout*>(Source)) {
    arrow_.Assign(&c->arrow_);
    arrow_head_ = c->arrow_head_;
    arrow_head_size_ = c->arrow_head_size_;
    distance_ = c->distance_;
  }
  TSeriesPointer::Assign(Source);
}

void TCallout::Draw(TColor Color, TPoint From, int Z, TPoint To) {
  if (!series_ || !series_->ParentChart()) return;
  TTeeCanvas3D* c = series_->ParentChart()->ChartCanvas();
  const bool is3d = series_->ParentChart()->View3D();
  if (arrow_.Visible()) {
    c->Brush()->SetStyle(bsClear);
    c->AssignVisiblePen(&arrow_);
    if (arrow_head_ == ahNone) {
      if (is3d)
        c->LineWithZ(From.x, From.y, To.x, To.y, Z);
      else
        c->Line(From.x, From.y, To.x, To.y);
    } else {
      if (arrow_head_ == ahSolid) {
        c->Brush()->SetStyle(bsSolid);
        c->Brush()->SetColor(arrow_.Color());
      }
      c->Arrow(arrow_head_ == ahSolid, From, To, arrow_head_size_, arrow_head_size_, is3d ? Z : 0);
    }
  }
  if (arrow_head_ == ahNone && Visible()) {
    TPoint p = To;
    if (is3d) p = c->Calculate3DPosition(To.x, To.y, Z);
    PrepareCanvas(c, Color);
    TSeriesPointer::Draw(c, false, p.x, p.y, horiz_size_, vert_size_, Color, style_);
  }
}

TMarksCallout::TMarksCallout(TChartSeries* Series) : TCallout(Series) {
  visible_ = false;
  arrow_.SetColor(clWhite);
}

void TMarksCallout::Assign(TPersistent* Source) {
  if (auto* c = dynamic_cast<TMarksCallout*>(Source)) length_ = c->length_;
  TCallout::Assign(Source);
}

void RegisterPointerClasses() {
  RegisterClass<TSeriesPointer, TPersistent>("TSeriesPointer")
      .Object("Brush", &TSeriesPointer::Brush)
      .Bool("Dark3D", &TSeriesPointer::Dark3D, &TSeriesPointer::SetDark3D, true)
      .Bool("Draw3D", &TSeriesPointer::Draw3D, &TSeriesPointer::SetDraw3D, true)
      .LazyObject("Gradient", &TSeriesPointer::Gradient, &TSeriesPointer::GradientIfAny)
      .Int("HorizSize", &TSeriesPointer::HorizSize, &TSeriesPointer::SetHorizSize, 4)
      .Bool("InflateMargins", &TSeriesPointer::InflateMargins, &TSeriesPointer::SetInflateMargins, true)
      .Object("Pen", &TSeriesPointer::Pen)
      .Enum("Style", &TSeriesPointer::Style, &TSeriesPointer::SetStyle,
            {"psRectangle", "psCircle", "psTriangle", "psDownTriangle", "psCross", "psDiagCross", "psStar",
             "psDiamond", "psSmallDot", "psNothing", "psLeftTriangle", "psRightTriangle"},
            psRectangle)
      .Int("Transparency", &TSeriesPointer::Transparency, &TSeriesPointer::SetTransparency, 0)
      .Int("VertSize", &TSeriesPointer::VertSize, &TSeriesPointer::SetVertSize, 4)
      .Bool("Visible", &TSeriesPointer::Visible, &TSeriesPointer::SetVisible, true);
  RegisterClass<TCallout, TSeriesPointer>("TCallout")
      .Object("Arrow", &TCallout::Arrow)
      .Enum("ArrowHead", &TCallout::ArrowHead, &TCallout::SetArrowHead, {"ahNone", "ahLine", "ahSolid"}, ahNone)
      .Int("ArrowHeadSize", &TCallout::ArrowHeadSize, &TCallout::SetArrowHeadSize, 8)
      .Int("Distance", &TCallout::Distance, &TCallout::SetDistance, 0);
  RegisterClass<TMarksCallout, TCallout>("TMarksCallout")
      .Bool("Visible", &TSeriesPointer::Visible, &TSeriesPointer::SetVisible, false)
      .Int("Length", &TMarksCallout::Length, &TMarksCallout::SetLength, 8);
}

// Tower and vector series.
#include "chart/TeeTower.h"

#include <cmath>

#include "chart/Chart.h"
#include "chart/TeCanvasRound.h"
#include "chart/TeeConst.h"
#include "chart/TeeProCo.h"
#include "chart/TeeProcs.h"
#include "platform/streaming/ClassProps.h"
#include "platform/ui/UiStreaming.h"

TTowerSeries::TTowerSeries(TComponent* AOwner) : TCustom3DGridSeries(AOwner) { MarkChartDefaults(this); }

void TTowerSeries::PrepareForGallery(bool Enabled) {
  TCustom3DGridSeries::PrepareForGallery(Enabled);
  CreateSampleValues(5);
}

void TTowerSeries::Assign(TPersistent* Source) {
  if (auto* s = dynamic_cast<TTowerSeries*>(Source)) {
    dark3d_ = s->dark3d_;
    origin_ = s->origin_;
    percent_depth_ = s->percent_depth_;
    percent_width_ = s->percent_width_;
    tower_style_ = s->tower_style_;
    transparency_ = s->transparency_;
    use_origin_ = s->use_origin_;
  }
  TCustom3DGridSeries::Assign(Source);
}

void TTowerSeries::SetTowerStyle(TTowerStyle v) {
  if (v == tower_style_) return;
  tower_style_ = v;
  Repaint();
}

TRect TTowerSeries::TowerBox(int Index, int& ZNear, int& ZFar) {
  TChartAxis* h = GetHorizAxis();
  TChartAxis* v = GetVertAxis();
  TChartAxis* d = parent_->DepthAxis();
  const double ws = percent_width_ * 0.005, ds = percent_depth_ * 0.005;
  TRect r(h->CalcXPosValue(XValue(Index) - ws), CalcYPos(Index), h->CalcXPosValue(XValue(Index) + ws),
          v->CalcYPosValue(use_origin_ ? origin_ : y_values_->MinValue()));
  if (r.Bottom < r.Top) std::swap(r.Top, r.Bottom);
  if (r.Right < r.Left) std::swap(r.Left, r.Right);
  ZNear = d->CalcPosValue(z_values_->Value(Index) - ds);
  ZFar = d->CalcPosValue(z_values_->Value(Index) + ds);
  if (ZFar < ZNear) std::swap(ZNear, ZFar);
  return r;
}

std::vector<TPoint> TTowerSeries::CoverFace(int Index, const TRect& Box, int ZNear, int ZFar) {
  TTeeCanvas3D* c = parent_->ChartCanvas();
  const int y = CalcYPos(Index);
  return {c->Calculate3DPosition(Box.Left, y, ZNear), c->Calculate3DPosition(Box.Right, y, ZNear),
          c->Calculate3DPosition(Box.Right, y, ZFar), c->Calculate3DPosition(Box.Left, y, ZFar)};
}

void TTowerSeries::DrawTower(int Index) {
  TTeeCanvas3D* c = parent_->ChartCanvas();
  const TColor color = GetValueColor(Index);
  if (color == clNone) return;
  int z0, z1;
  const TRect r = TowerBox(Index, z0, z1);
  // The brush's own colour stays the back colour, so a pattern shows on every face.
  c->AssignBrush(&brush_, color);
  c->AssignVisiblePen(pen_.get());
  TTeeBlend* blend = nullptr;
  if (transparency_ > 0 && !c->IsNative3D()) {
    // What lies under the whole tower is kept and mixed back: a cover's face, or every
    // corner of the box from its near to its far side.
    std::vector<TPoint> bounds;
    if (tower_style_ == tsCover) {
      bounds = CoverFace(Index, r, z0, z1);
    } else {
      bounds = c->FourPointsFromRect(r, z0);
      const std::vector<TPoint> far = c->FourPointsFromRect(r, z1);
      bounds.insert(bounds.end(), far.begin(), far.end());
    }
    blend = c->BeginBlending(RectFromPolygon(bounds.data(), static_cast<int>(bounds.size())), transparency_);
  }
  const int cx = (r.Left + r.Right) / 2, zm = (z0 + z1) / 2;
  switch (tower_style_) {
    case tsRectangle: c->RectangleWithZ(r, zm); break;
    case tsCover: c->RectangleY(r.Left, CalcYPos(Index), r.Right, z0, z1); break;
    case tsArrow: c->Arrow(true, {cx, r.Bottom}, {cx, r.Top}, r.Right - r.Left, std::max(1, (r.Right - r.Left) / 2), zm); break;
    case tsCone:
    case tsPyramid: {
      // The point stands at the value, the base at the base value (a value below its base
      // points down).
      TChartAxis* v = GetVertAxis();
      const int top = CalcYPos(Index), base = v->CalcYPosValue(use_origin_ ? origin_ : y_values_->MinValue());
      if (tower_style_ == tsCone)
        c->Cone(true, r.Left, top, r.Right, base, z0, z1, dark3d_, 0);
      else
        c->Pyramid(true, r.Left, top, r.Right, base, z0, z1, dark3d_);
      break;
    }
    case tsCylinder: c->Cylinder(true, r.Left, r.Top, r.Right, r.Bottom, z0, z1, dark3d_); break;
    case tsSlantCube: {
      const int sides = c->CylinderSides;
      c->CylinderSides = 4;
      c->Cylinder(true, r.Left, r.Top, r.Right, r.Bottom, z0, z1, dark3d_);
      c->CylinderSides = sides;
      break;
    }
    case tsCube: c->Cube(r.Left, r.Right, r.Top, r.Bottom, z0, z1, dark3d_); break;
  }
  if (blend) c->EndBlending(blend);
}

void TTowerSeries::DrawAllValues() {
  if (Count() == 0 || num_x_ < 1 || num_z_ < 1 || !parent_ || !GetHorizAxis() || !GetVertAxis()) return;
  // Farthest first, as the surface paints its cells.
  const bool up = IsZReversed(), forward = DrawValuesForward();
  for (const TPoint& p : PaintersOrder(forward ? 1 : num_x_, forward ? num_x_ : 1, up ? 1 : num_z_, up ? num_z_ : 1)) {
    const int i = GridIndex(p.x, p.y);
    if (i >= 0) DrawTower(i);
  }
}

void TTowerSeries::DrawMark(int ValueIndex, const AnsiString& Text, TSeriesMarkPosition& Position) {
  marks_->ApplyArrowLength(Position);
  marks_->DrawItem(ValueIndex, GetValueColor(ValueIndex), Position, Text);
}

int TTowerSeries::Clicked(int X, int Y) {
  // Only a cover is a face one can point at; the solids are not hit.
  if (tower_style_ != tsCover || !parent_ || !GetHorizAxis() || !GetVertAxis()) return -1;
  for (int x = 1; x <= num_x_; ++x)
    for (int z = 1; z <= num_z_; ++z) {
      const int i = GridIndex(x, z);
      if (i < 0 || GetValueColor(i) == clNone) continue;
      int z0, z1;
      const TRect r = TowerBox(i, z0, z1);
      if (PointInPolygon({X, Y}, CoverFace(i, r, z0, z1))) return i;
    }
  return -1;
}

std::vector<AnsiString> TTowerSeries::CreateSubGallery() const {
  return {TeeMsg_Normal, TeeMsg_ColorRange, TeeMsg_NoBorder, TeeMsg_SingleColor, TeeMsg_Marks, TeeMsg_Hollow,
          TeeMsg_Rectangle, TeeMsg_Cover, TeeMsg_Circle, TeeMsg_Arrow, TeeMsg_Cone, TeeMsg_Pyramid};
}

void TTowerSeries::SetSubGallery(int Index) {
  static const TTowerStyle shapes[] = {tsRectangle, tsCover, tsCylinder, tsArrow, tsCone, tsPyramid};
  switch (Index) {
    case 1:
      SetUseColorRange(true);
      SetUsePalette(false);
      break;
    case 2: pen_->SetVisible(false); break;
    case 3: SetUsePalette(false); break;
    case 4: marks_->SetVisible(true); break;
    case 5: brush_.SetStyle(bsClear); break;
    default:
      if (Index >= 6 && Index <= 11) SetTowerStyle(shapes[Index - 6]);
      break;
  }
}

// ---------------------------------------------------------------------------------------

TVector3DSeries::TVector3DSeries(TComponent* AOwner)
    : TCustom3DPaletteSeries(AOwner),
      start_arrow_([this](TObject*) { Repaint(); }),
      end_arrow_([this](TObject*) { Repaint(); }) {
  owned_lists_.push_back(std::make_unique<TChartValueList>(this, "EndX"));
  end_x_ = owned_lists_.back().get();
  owned_lists_.push_back(std::make_unique<TChartValueList>(this, "EndY"));
  end_y_ = owned_lists_.back().get();
  owned_lists_.push_back(std::make_unique<TChartValueList>(this, "EndZ"));
  end_z_ = owned_lists_.back().get();
  start_arrow_.SetColor(clUseSeriesColor);
  end_arrow_.SetColor(clUseSeriesColor);
  MarkChartDefaults(this);
}

void TVector3DSeries::Assign(TPersistent* Source) {
  if (auto* s = dynamic_cast<TVector3DSeries*>(Source)) {
    arrow_width_ = s->arrow_width_;
    arrow_height_ = s->arrow_height_;
    start_arrow_.Assign(&s->start_arrow_);
    end_arrow_.Assign(&s->end_arrow_);
  }
  TCustom3DPaletteSeries::Assign(Source);
}

int TVector3DSeries::AddVector(double X, double Y, double Z, double EndX, double EndY, double EndZ,
                               const AnsiString& Label, TColor Color) {
  end_x_->TempValue = EndX;
  end_y_->TempValue = EndY;
  end_z_->TempValue = EndZ;
  return AddXYZ(X, Y, Z, Label, Color);
}

void TVector3DSeries::DrawAllValues() {
  if (!parent_ || !GetHorizAxis() || !GetVertAxis()) return;
  for (int i = 0; i < Count(); ++i) DrawValue(i);
}

bool TVector3DSeries::IsValidSeriesSource(const TChartSeries* Source) const {
  return Source != this && dynamic_cast<const TVector3DSeries*>(Source) != nullptr;
}

// An open head at tip T for the direction Angle (radians, counter-clockwise on the
// screen): two barbs ArrowWidth back along the vector and ArrowHeight to either side.
void TVector3DSeries::DrawHead(TChartPen* ArrowPen, TColor PointColor, TPoint T, double Angle) {
  TTeeCanvas3D* c = parent_->ChartCanvas();
  c->AssignVisiblePenColor(ArrowPen, ArrowPen->Color() == clUseSeriesColor ? PointColor : ArrowPen->Color());
  const double w = arrow_width_, h = arrow_height_, cs = std::cos(Angle), sn = std::sin(Angle);
  c->MoveTo(T.x + tecanvas::Rnd(-w * cs - h * sn), T.y + tecanvas::Rnd(w * sn - h * cs));
  c->LineTo(T.x, T.y);
  c->LineTo(T.x + tecanvas::Rnd(-w * cs + h * sn), T.y + tecanvas::Rnd(w * sn + h * cs));
}

void TVector3DSeries::DrawValue(int ValueIndex) {
  TTeeCanvas3D* c = parent_->ChartCanvas();
  TChartAxis* h = GetHorizAxis();
  TChartAxis* v = GetVertAxis();
  TChartAxis* d = parent_->DepthAxis();
  const TColor color = GetValueColor(ValueIndex);
  if (color == clNone) return;
  const TPoint from(h->CalcXPosValue(XValue(ValueIndex)), v->CalcYPosValue(YValue(ValueIndex)));
  const TPoint to(h->CalcXPosValue(end_x_->Value(ValueIndex)), v->CalcYPosValue(end_y_->Value(ValueIndex)));
  const int zf = d->CalcPosValue(z_values_->Value(ValueIndex)), zt = d->CalcPosValue(end_z_->Value(ValueIndex));
  c->SetBackMode(TRANSPARENT);
  c->AssignVisiblePenColor(pen_.get(), color);
  c->MoveTo3D(from.x, from.y, zf);
  c->LineTo3D(to.x, to.y, zt);
  if (!start_arrow_.Visible() && !end_arrow_.Visible()) return;
  // Both heads point the way the vector runs on the screen, from its start to its end.
  const TPoint s = c->Calculate3DPosition(from.x, from.y, zf), e = c->Calculate3DPosition(to.x, to.y, zt);
  const double angle = std::atan2(static_cast<double>(s.y - e.y), static_cast<double>(e.x - s.x));
  if (start_arrow_.Visible()) DrawHead(&start_arrow_, color, s, angle);
  if (end_arrow_.Visible()) DrawHead(&end_arrow_, color, e, angle);
}

void RegisterTowerClasses() {
  RegisterClass<TTowerSeries, TCustom3DGridSeries>("TTowerSeries")
      .Bool("Dark3D", &TTowerSeries::Dark3D, &TTowerSeries::SetDark3D, true)
      .Float("Origin", &TTowerSeries::Origin, &TTowerSeries::SetOrigin, 0)
      .Int("PercentDepth", &TTowerSeries::PercentDepth, &TTowerSeries::SetPercentDepth, 100)
      .Int("PercentWidth", &TTowerSeries::PercentWidth, &TTowerSeries::SetPercentWidth, 100)
      .Enum("TowerStyle", &TTowerSeries::TowerStyle, &TTowerSeries::SetTowerStyle,
            {"tsCube", "tsRectangle", "tsCover", "tsCylinder", "tsArrow", "tsCone", "tsPyramid", "tsSlantCube"}, tsCube)
      .Int("Transparency", &TTowerSeries::Transparency, &TTowerSeries::SetTransparency, 0)
      .Bool("UseOrigin", &TTowerSeries::UseOrigin, &TTowerSeries::SetUseOrigin, false);
  RegisterClass<TVector3DSeries, TCustom3DPaletteSeries>("TVector3DSeries")
      .Int("ArrowHeight", &TVector3DSeries::ArrowHeight, &TVector3DSeries::SetArrowHeight, 4)
      .Int("ArrowWidth", &TVector3DSeries::ArrowWidth, &TVector3DSeries::SetArrowWidth, 4)
      .Object("EndArrow", &TVector3DSeries::EndArrow)
      .Object("EndXValues", &TVector3DSeries::EndXValues)
      .Object("EndYValues", &TVector3DSeries::EndYValues)
      .Object("EndZValues", &TVector3DSeries::EndZValues)
      .Object("StartArrow", &TVector3DSeries::StartArrow);
}

// Contour series: automatic and fixed levels, line extraction over each grid cell split
// into four triangles around its centre, drawing and hit testing of the lines.
#include "chart/TeeContour.h"

#include <algorithm>
#include <cmath>

#include "chart/Chart.h"
#include "chart/TeeConst.h"
#include "chart/TeeProCo.h"
#include "chart/TeeSpline.h"
#include "platform/rtl/Numbers.h"
#include "platform/streaming/ClassProps.h"
#include "platform/ui/UiStreaming.h"

TContourLevel::TContourLevel(TContourSeries* Series) : series_(Series) {
  if (series_ && !series_->building_) series_->SetAutomaticLevels(false);
}

TContourLevel::~TContourLevel() = default;

void TContourLevel::Changed(bool SwitchesManual) {
  if (!series_) return;
  if (SwitchesManual && !series_->building_) series_->SetAutomaticLevels(false);
  series_->Repaint();
}

void TContourLevel::Assign(TPersistent* Source) {
  auto* l = dynamic_cast<TContourLevel*>(Source);
  if (!l) return TPersistent::Assign(Source);
  color_ = l->color_;
  up_to_value_ = l->up_to_value_;
  SetPen(l->pen_.get());
}

void TContourLevel::SetColor(TColor v) {
  if (v == color_) return;
  color_ = v;
  if (pen_) pen_->SetColor(v);
  Changed(true);
}

void TContourLevel::SetUpToValue(double v) {
  if (v == up_to_value_) return;
  up_to_value_ = v;
  Changed(true);
}

TChartPen* TContourLevel::Pen() {
  if (!pen_) {
    pen_ = std::make_unique<TChartPen>([this](TObject*) { Changed(false); });
    pen_->SetColor(color_);
    MarkChartDefaults(pen_.get());
  }
  return pen_.get();
}

void TContourLevel::SetPen(TChartPen* P) {
  if (!P)
    pen_.reset();
  else
    Pen()->Assign(P);
  Changed(false);
}

void TContourLevel::AddSegment(TContourPoint A, TContourPoint B) {
  constexpr double kTouch = 0.001;
  auto dist = [](TContourPoint p, TContourPoint q) { return std::fabs(p.X - q.X) + std::fabs(p.Z - q.Z); };
  // The closest end of any line to either end of the segment.
  int best = -1;
  bool atFront = false, segFirst = false;
  double bestDist = kTouch;
  for (size_t i = 0; i < lines_.size(); ++i) {
    const TContourLine& l = lines_[i];
    const std::pair<double, std::pair<bool, bool>> d[4] = {{dist(A, l.front()), {true, true}},
                                                          {dist(A, l.back()), {false, true}},
                                                          {dist(B, l.front()), {true, false}},
                                                          {dist(B, l.back()), {false, false}}};
    for (const auto& e : d)
      if (e.first < bestDist) {
        bestDist = e.first;
        best = static_cast<int>(i);
        atFront = e.second.first;
        segFirst = e.second.second;
      }
  }
  if (best < 0) {
    lines_.push_back({A, B});
    return;
  }
  TContourLine& l = lines_[static_cast<size_t>(best)];
  const TContourPoint other = segFirst ? B : A;
  if (atFront)
    l.insert(l.begin(), other);
  else
    l.push_back(other);
  // The changed end may now meet another line: join the two into one.
  const TContourPoint end = atFront ? l.front() : l.back();
  for (size_t j = 0; j < lines_.size(); ++j) {
    if (static_cast<int>(j) == best) continue;
    TContourLine& m = lines_[j];
    auto near = [&](TContourPoint p) { return std::fabs(p.X - end.X) < kTouch && std::fabs(p.Z - end.Z) < kTouch; };
    const bool mFront = near(m.front()), mBack = !mFront && near(m.back());
    if (!mFront && !mBack) continue;
    TContourLine joined;
    if (atFront) {
      // m then l: m must end where l starts.
      if (mFront) std::reverse(m.begin(), m.end());
      joined = m;
      joined.insert(joined.end(), l.begin() + 1, l.end());
    } else {
      // l then m: m must start where l ends.
      if (mBack) std::reverse(m.begin(), m.end());
      joined = l;
      joined.insert(joined.end(), m.begin() + 1, m.end());
    }
    l = std::move(joined);
    lines_.erase(lines_.begin() + static_cast<long>(j));
    break;
  }
}

// ---------------------------------------------------------------------------------------

void TContourLevels::Clear() {
  items_.clear();
  if (series_) series_->Repaint();
}

TContourLevel* TContourLevels::Add() {
  items_.push_back(std::make_unique<TContourLevel>(series_));
  if (series_) series_->Repaint();
  return items_.back().get();
}

void TContourLevels::Delete(int Index) {
  items_.erase(items_.begin() + Index);
  if (series_ && !series_->BuildingLevels()) {
    series_->SetAutomaticLevels(false);
    series_->Repaint();
  }
}

void TSmoothPoints::Assign(TPersistent* Source) {
  auto* s = dynamic_cast<TSmoothPoints*>(Source);
  if (!s) return TPersistent::Assign(Source);
  active_ = s->active_;
  interpolate_ = s->interpolate_;
  factor_ = s->factor_;
}

void TSmoothPoints::SetActive(bool v) {
  active_ = v;
  if (series_) series_->Repaint();
}

void TSmoothPoints::SetInterpolate(bool v) {
  interpolate_ = v;
  if (series_) series_->Repaint();
}

// ---------------------------------------------------------------------------------------

TContourSeries::TContourSeries(TComponent* AOwner) : TCustom3DGridSeries(AOwner) {
  color_each_point_ = true;
  MarkChartDefaults(this);
}

TContourSeries::~TContourSeries() {
  building_ = true;  // levels going away must not switch the automatic levels off
  levels_.items_.clear();
}

void TContourSeries::Assign(TPersistent* Source) {
  if (auto* s = dynamic_cast<TContourSeries*>(Source)) {
    building_ = true;
    levels_.items_.clear();
    for (const auto& l : s->levels_.items_) levels_.Add()->Assign(l.get());
    building_ = false;
    automatic_ = s->automatic_;
    num_levels_ = s->num_levels_;
    y_position_ = s->y_position_;
    y_position_level_ = s->y_position_level_;
  }
  TCustom3DGridSeries::Assign(Source);
}

void TContourSeries::SetAutomaticLevels(bool v) { SetBooleanProperty(automatic_, v); }

int TContourSeries::NumLevels() const { return automatic_ ? num_levels_ : levels_.Count(); }

void TContourSeries::SetNumLevels(int v) {
  num_levels_ = v;
  if (automatic_) {
    building_ = true;
    levels_.items_.clear();
    building_ = false;
    automatic_ = true;
  }
  Repaint();
}

void TContourSeries::CreateAutoLevels() {
  if (!automatic_ || num_levels_ < 1) return;
  building_ = true;
  levels_.items_.clear();
  const double mn = Count() > 0 ? y_values_->MinValue() : 0, mx = Count() > 0 ? y_values_->MaxValue() : 0;
  const double step = (mx - mn) / num_levels_;
  for (int i = 0; i < num_levels_; ++i) {
    double value = mn + i * step;
    TColor color;
    if (!color_each_point_) {
      color = ValueColor(value);
    } else if (i < Count()) {
      color = i < static_cast<int>(colors_.size()) ? colors_[static_cast<size_t>(i)] : clTeeColor;
    } else {
      // More levels than points: the level's value colour stands in for a point colour.
      color = ValueColor(value);
    }
    if (OnGetLevel) OnGetLevel(this, i, value, color);
    TContourLevel* l = levels_.Add();
    l->color_ = color;
    l->up_to_value_ = value;
  }
  building_ = false;
}

void TContourSeries::BeforeDrawChart() {
  TCustom3DGridSeries::BeforeDrawChart();
  CreateAutoLevels();
}

double TContourSeries::MaxYValue() {
  if (parent_ && parent_->View3D()) return TCustom3DGridSeries::MaxYValue();
  return z_values_->MaxValue();
}

double TContourSeries::MinYValue() {
  if (parent_ && parent_->View3D()) return TCustom3DGridSeries::MinYValue();
  return z_values_->MinValue();
}

namespace {

// Triangle cases by the signs of (corner m, centre, corner m + 1), each -1, 0, +1 -> 0, 1, 2.
constexpr int kCase[3][3][3] = {{{0, 0, 8}, {0, 2, 5}, {7, 6, 9}},
                                {{0, 3, 4}, {1, 3, 1}, {4, 3, 0}},
                                {{9, 6, 7}, {5, 2, 0}, {8, 0, 0}}};

}  // namespace

void TContourSeries::TraceCell(int LevelIndex, double Level, const double X[5], const double Z[5], const double Y[5]) {
  double h[5];
  int s[5];
  for (int k = 0; k < 5; ++k) {
    h[k] = Y[k] - Level;
    s[k] = h[k] > 0 ? 1 : h[k] < 0 ? -1 : 0;
  }
  TContourLevel* level = levels_.Items(LevelIndex);
  auto vertex = [&](int v) { return TContourPoint{X[v], Z[v]}; };
  auto cross = [&](int a, int b) {
    return TContourPoint{(h[b] * X[a] - h[a] * X[b]) / (h[b] - h[a]), (h[b] * Z[a] - h[a] * Z[b]) / (h[b] - h[a])};
  };
  // Vertex 0 is the centre, 1..4 the corners.
  for (int m = 1; m <= 4; ++m) {
    const int a = m, c = 0, b = m == 4 ? 1 : m + 1;
    TContourPoint p, q;
    switch (kCase[s[a] + 1][s[c] + 1][s[b] + 1]) {
      case 0: continue;
      case 1: p = vertex(a), q = vertex(c); break;
      case 2: p = vertex(c), q = vertex(b); break;
      case 3: p = vertex(b), q = vertex(a); break;
      case 4: p = vertex(a), q = cross(c, b); break;
      case 5: p = vertex(c), q = cross(b, a); break;
      case 6: p = vertex(b), q = cross(a, c); break;
      case 7: p = cross(a, c), q = cross(c, b); break;
      case 8: p = cross(c, b), q = cross(b, a); break;
      case 9: p = cross(b, a), q = cross(a, c); break;
    }
    level->AddSegment(p, q);
  }
}

void TContourSeries::ExtractLines() {
  for (auto& l : levels_.items_) l->Lines().clear();
  const int n = levels_.Count();
  if (Count() == 0 || n == 0) return;
  DX = DZ = 1;
  const double first = levels_.Items(0)->UpToValue(), last = levels_.Items(n - 1)->UpToValue();
  for (int x = 1; x <= num_x_ - 1; ++x)
    for (int z = 1; z <= num_z_ - 1; ++z) {
      if (!CellCorners(x, z)) continue;
      double X[5], Z[5], Y[5];
      X[0] = Z[0] = Y[0] = 0;
      for (int k = 0; k < 4; ++k) {
        X[k + 1] = XValue(Corner[k]);
        Z[k + 1] = z_values_->Value(Corner[k]);
        Y[k + 1] = YValue(Corner[k]);
        X[0] += X[k + 1];
        Z[0] += Z[k + 1];
        Y[0] += Y[k + 1];
      }
      X[0] *= 0.25, Z[0] *= 0.25, Y[0] *= 0.25;
      const double mn = std::min({Y[1], Y[2], Y[3], Y[4]}), mx = std::max({Y[1], Y[2], Y[3], Y[4]});
      if (mn > last || mx < first) continue;
      for (int i = 0; i < n; ++i) {
        const double v = levels_.Items(i)->UpToValue();
        if (v >= mn && v <= mx) TraceCell(i, v, X, Z, Y);
      }
    }
}

void TContourSeries::DrawAllValues() {
  if (Count() == 0 || !parent_) return;
  ExtractLines();
  TTeeCanvas3D* c = parent_->ChartCanvas();
  TChartAxis* h = GetHorizAxis();
  TChartAxis* v = GetVertAxis();
  TChartAxis* d = parent_->DepthAxis();
  if (!h || !v) return;
  const bool is3d = parent_->View3D();
  c->Brush()->SetStyle(bsClear);
  c->SetBackMode(TRANSPARENT);
  for (int i = 0; i < levels_.Count(); ++i) {
    TContourLevel* l = levels_.Items(i);
    TColor color = l->Color();
    if (color == clTeeColor) color = parent_->GetDefaultColor(i);
    c->AssignVisiblePenColor(l->PenIfAny() ? l->PenIfAny() : pen_.get(), color);
    const int y3 = v->CalcYPosValue(y_position_level_ ? l->UpToValue() : y_position_);
    for (const TContourLine& line : l->Lines()) {
      if (line.size() < 2) continue;
      if (is3d) {
        c->MoveTo3D(h->CalcXPosValue(line[0].X), y3, d->CalcPosValue(line[0].Z));
        for (size_t k = 1; k < line.size(); ++k) c->LineTo3D(h->CalcXPosValue(line[k].X), y3, d->CalcPosValue(line[k].Z));
        continue;
      }
      std::vector<TPoint> pts;
      pts.reserve(line.size());
      for (const TContourPoint& p : line) pts.push_back({h->CalcXPosValue(p.X), v->CalcYPosValue(p.Z)});
      if (smoothing_.Active()) {
        TBSpline b;
        for (const TPoint& p : pts) b.AddPoint(p.x, p.y);
        b.SetInterpolated(smoothing_.Interpolate());
        b.SetFragments(static_cast<int>(std::min<size_t>(pts.size() * static_cast<size_t>(smoothing_.Factor()), TBSpline::MaxFragments)));
        const int f = b.Fragments();
        pts.clear();
        for (int j = 0; j <= f; ++j) {
          const TSplinePoint sp = b.Value(f == 0 ? 0.0 : static_cast<double>(j) / f);
          pts.push_back({static_cast<int>(std::nearbyint(sp.X)), static_cast<int>(std::nearbyint(sp.Y))});
        }
      }
      c->Polyline(pts);
    }
  }
}

TColor TContourSeries::LegendLevelColor(int LegendIndex) {
  const int i = NumLevels() - LegendIndex - 1;
  if (i < 0 || i >= levels_.Count()) return clNone;
  const TColor c = levels_.Items(i)->Color();
  return c == clTeeColor ? GetValueColor(i) : c;
}

AnsiString TContourSeries::LegendLevelText(int LegendIndex) {
  const int i = NumLevels() - LegendIndex - 1;
  if (i < 0 || i >= levels_.Count()) return AnsiString();
  return FormatFloat(ValueFormat, levels_.Items(i)->UpToValue());
}

int TContourSeries::Clicked(int X, int Y) {
  if (!parent_) return -1;
  parent_->ChartCanvas()->Calculate2DPosition(X, Y, MiddleZ);
  TChartAxis* h = GetHorizAxis();
  TChartAxis* zAxis = parent_->View3D() ? parent_->DepthAxis() : GetVertAxis();
  if (!h || !zAxis) return -1;
  const TPoint p(X, Y);
  for (int i = 0; i < levels_.Count(); ++i)
    for (const TContourLine& line : levels_.Items(i)->Lines())
      for (size_t j = 0; j + 1 < line.size(); ++j) {
        const TPoint a(h->CalcXPosValue(line[j].X), zAxis->CalcPosValue(line[j].Z));
        const TPoint b(h->CalcXPosValue(line[j + 1].X), zAxis->CalcPosValue(line[j + 1].Z));
        if (PointInLine(p, a, b, 0)) return i;
      }
  return -1;
}

std::vector<AnsiString> TContourSeries::CreateSubGallery() const {
  return {TeeMsg_Normal, TeeMsg_ColorRange, TeeMsg_Colors, TeeMsg_Positions};
}

void TContourSeries::PrepareForGallery(bool Enabled) {
  TCustom3DGridSeries::PrepareForGallery(Enabled);
  if (!Enabled) SetSeriesColor(clGray);
}

void TContourSeries::AddSampleValues(int NumValues) {
  TCustom3DGridSeries::AddSampleValues(NumValues);
  SetYPosition((y_values_->MaxValue() + y_values_->MinValue()) * 0.5);
}

void TContourSeries::SetSubGallery(int Index) {
  switch (Index) {
    case 1:
      SetUseColorRange(true);
      SetUsePalette(false);
      break;
    case 2: SetColorEachPoint(true); break;
    case 3: SetYPositionLevel(true); break;
    default: break;
  }
}

TContourLevels* TContourSeries::StoredLevels() {
  // A form being read may list levels before (or without) switching the automatic ones off.
  return automatic_ && !HasState(csLoading) ? &no_levels_ : &levels_;
}

void RegisterContourClasses() {
  const TIdentMap* colors = &ui::ColorIdents();
  RegisterClass<TContourLevel, TPersistent>("TContourLevel")
      .Int("Color", &TContourLevel::Color, &TContourLevel::SetColor, clTeeColor, colors)
      .LazyObject("Pen", &TContourLevel::Pen, &TContourLevel::PenIfAny)
      .Float("UpToValue", &TContourLevel::UpToValue, &TContourLevel::SetUpToValue, 0);
  RegisterClass<TSmoothPoints, TPersistent>("TSmoothPoints")
      .Bool("Active", &TSmoothPoints::Active, &TSmoothPoints::SetActive, false)
      .Bool("Interpolate", &TSmoothPoints::Interpolate, &TSmoothPoints::SetInterpolate, false);
  RegisterClass<TContourSeries, TCustom3DGridSeries>("TContourSeries")
      .Bool("ColorEachPoint", &TChartSeries::ColorEachPoint, &TChartSeries::SetColorEachPoint, true)
      .Bool("AutomaticLevels", &TContourSeries::AutomaticLevels, &TContourSeries::SetAutomaticLevels, true)
      .Int("NumLevels", &TContourSeries::NumLevels, &TContourSeries::SetNumLevels, 10)
      .Collection("Levels", &TContourSeries::StoredLevels)
      .Object("Smoothing", &TContourSeries::Smoothing)
      .Float("YPosition", &TContourSeries::YPosition, &TContourSeries::SetYPosition, 0)
      .Bool("YPositionLevel", &TContourSeries::YPositionLevel, &TContourSeries::SetYPositionLevel, false)
      .Event("OnGetLevel", &TContourSeries::OnGetLevel);
}

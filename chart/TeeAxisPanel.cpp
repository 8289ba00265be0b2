// The axis panel: series, axes, paging, automatic limits, 3-D depth and the fixed order
// in which a chart is drawn.
#include <algorithm>
#include <cmath>

#include "chart/TeEngine.h"
#include "chart/TeeFunction.h"
#include "chart/TeeConst.h"

namespace {
int Rnd(double v) { return static_cast<int>(std::nearbyint(std::clamp(v, -2147483647.0, 2147483647.0))); }
}  // namespace

TCustomAxisPanel::TCustomAxisPanel(TComponent* AOwner) : TCustomTeePanelExtended(AOwner) {
  top_ = std::make_unique<TChartAxis>(this);
  top_->Horizontal = true;
  top_->OtherSide = true;
  top_->SetZPosition(100);
  top_->Grid()->ZPosition = 100;
  bottom_ = std::make_unique<TChartAxis>(this);
  bottom_->Horizontal = true;
  left_ = std::make_unique<TChartAxis>(this);
  left_->Title()->SetAngle(90);
  left_->Title()->DefaultAngle = 90;
  right_ = std::make_unique<TChartAxis>(this);
  right_->Title()->SetAngle(270);
  right_->Title()->DefaultAngle = 270;
  right_->OtherSide = true;
  right_->SetZPosition(100);
  right_->Grid()->ZPosition = 100;
  depth_ = std::make_unique<TChartDepthAxis>(this);
  depth_->OtherSide = true;
  depth_top_ = std::make_unique<TChartDepthAxis>(this);
  axes_ = {left_.get(), top_.get(), right_.get(), bottom_.get(), depth_.get(), depth_top_.get()};
}

TCustomAxisPanel::~TCustomAxisPanel() {
  destroying_ = true;
  SetState(csDestroying);
  // The series belong to the form; they only lose their chart.
  for (TChartSeries* s : series_) {
    s->parent_ = nullptr;
    s->RecalcGetAxis();
  }
  series_.clear();
}

void TCustomAxisPanel::Assign(TPersistent* Source) {
  if (auto* s = dynamic_cast<TCustomAxisPanel*>(Source)) {
    chart3d_percent_ = s->chart3d_percent_;
    AxisBehind = s->AxisBehind;
    AxisVisible = s->AxisVisible;
    ClipPoints = s->ClipPoints;
    ColorPalette = s->ColorPalette;
    max_points_per_page_ = s->max_points_per_page_;
    page_ = s->page_;
    ScaleLastPage = s->ScaleLastPage;
    View3DWalls = s->View3DWalls;
    for (size_t i = 0; i < axes_.size() && i < s->axes_.size(); ++i) axes_[i]->Assign(s->axes_[i]);
  }
  TCustomTeePanelExtended::Assign(Source);
}

int TCustomAxisPanel::ActiveSeriesCount() const {
  return static_cast<int>(std::count_if(series_.begin(), series_.end(), [](TChartSeries* s) { return s->Active(); }));
}

void TCustomAxisPanel::AddSeries(TChartSeries* S) {
  if (std::find(series_.begin(), series_.end(), S) != series_.end()) return;
  series_.push_back(S);
  S->parent_ = this;
  S->RecalcGetAxis();
  if (S->OwnColor() == clTeeColor && (S->DefaultColor() == clTeeColor || HasState(csLoading)))
    S->SetDefaultColor(FreeSeriesColor(true, S));
  SeriesChanged(seAdd, S);
  Invalidate();
}

void TCustomAxisPanel::RemoveSeries(TChartSeries* S) {
  auto it = std::find(series_.begin(), series_.end(), S);
  if (it == series_.end()) return;
  SeriesChanged(seRemove, S);
  series_.erase(it);
  S->parent_ = nullptr;
  S->RecalcGetAxis();
  Invalidate();
}

void TCustomAxisPanel::SeriesChanged(TChartSeriesEventKind Kind, TChartSeries* Series) {
  if (Listeners().empty()) return;
  TTeeSeriesEvent e;
  e.Event = Kind;
  e.Series = Series;
  BroadcastEvent(e);
}

TChartSeries* TCustomAxisPanel::LegendSeries(int Index, bool OnlyActive) {
  int n = 0;
  for (TChartSeries* s : series_)
    if (s->ShowInLegend() && (!OnlyActive || s->Active())) {
      if (n == Index) return s;
      ++n;
    }
  return nullptr;
}

int TCustomAxisPanel::SeriesLegendCount(bool OnlyActive) const {
  int n = 0;
  for (TChartSeries* s : series_)
    if (s->ShowInLegend() && (!OnlyActive || s->Active())) ++n;
  return n;
}

void TCustomAxisPanel::CheckDataSource(TChartSeries* Series) {
  if (HasState(csLoading)) return;
  if (TChartSeries* src = Series->DataSourceSeries()) {
    Series->AddValues(src);
  } else if (auto* loader = dynamic_cast<TTeeSeriesSource*>(Series->DataSource()); loader && loader->Active()) {
    // A series source is refreshed: closed (the points go) and opened (loaded) again.
    loader->Close();
    loader->Open();
  }
}

TChartAxis* TCustomAxisPanel::AddCustomAxis() {
  custom_axes_.push_back(std::make_unique<TChartAxis>(this));
  custom_axes_.back()->IsStandard = false;
  axes_.push_back(custom_axes_.back().get());
  return custom_axes_.back().get();
}

void TCustomAxisPanel::RemoveCustomAxis(TChartAxis* Axis) {
  for (TChartSeries* s : series_) {
    if (s->CustomHorizAxis() == Axis) s->SetCustomHorizAxis(nullptr);
    if (s->CustomVertAxis() == Axis) s->SetCustomVertAxis(nullptr);
  }
  axes_.erase(std::remove(axes_.begin(), axes_.end(), Axis), axes_.end());
  custom_axes_.erase(std::remove_if(custom_axes_.begin(), custom_axes_.end(), [Axis](auto& p) { return p.get() == Axis; }),
                     custom_axes_.end());
  Invalidate();
}

void TCustomAxisPanel::SetChart3DPercent(int v) {
  if (v < 1 || v > 100) throw Exception(TeeFormat(TeeMsg_3dPercent, {1, 100}));
  SetIntegerProperty(chart3d_percent_, v);
}

void TCustomAxisPanel::SetMaxPointsPerPage(int v) {
  if (v < 0) throw ChartException(TeeMsg_MaxPointsPerPage);
  max_points_per_page_ = v;
  if (PageCount() < page_) page_ = PageCount();
  TChartChangePage e;
  BroadcastEvent(e);
  Invalidate();
}

void TCustomAxisPanel::SetPage(int v) {
  v = std::clamp(v, 1, std::max(1, PageCount()));
  if (v == page_) return;
  page_ = v;
  TChartChangePage e;
  BroadcastEvent(e);
  if (OnPageChange) OnPageChange(this);
  Invalidate();
}

int TCustomAxisPanel::PageCount() {
  if (max_points_per_page_ < 1 || series_.empty()) return 1;
  auto axisPages = [this](TChartAxis* a) {
    int n = 0;
    for (TChartSeries* s : series_)
      if (s->Active() && s->AssociatedToAxis(a)) n = std::max(n, s->Count());
    if (n < 1) return 1;
    return n / max_points_per_page_ + (n % max_points_per_page_ ? 1 : 0);
  };
  if (series_[0]->YMandatory()) return std::max(axisPages(top_.get()), axisPages(bottom_.get()));
  return std::max(axisPages(left_.get()), axisPages(right_.get()));
}

void TCustomAxisPanel::CalcFirstLastPage(TChartSeries* S, int& First, int& Last) {
  const int n = S->Count();
  if (n == 0) {
    First = Last = -1;
    return;
  }
  if (max_points_per_page_ < 1) {
    First = 0;
    Last = n - 1;
    return;
  }
  const int m = max_points_per_page_;
  First = (page_ - 1) * m;
  // Past the end, the last page that holds points.
  if (n <= First) First = std::max(0, (n + m - 1) / m - 1) * m;
  Last = First + m - 1;
  if (n <= Last) Last = n - 1;
}

namespace {
bool PagedAxis(TCustomAxisPanel* c, const TChartAxis* a) {
  if (c->MaxPointsPerPage() <= 0 || c->SeriesCount() == 0) return false;
  const bool y = c->Series(0)->YMandatory();
  return y ? a->Horizontal : !a->Horizontal;
}
}  // namespace

// The smallest (or largest) value the series on Axis hold; while any of them is active,
// only the active ones count. 0 when none holds a point.
double TCustomAxisPanel::SeriesExtreme(const TChartAxis* Axis, bool Largest) const {
  bool anyActive = false;
  for (TChartSeries* s : series_)
    if (s->Active() && s->AssociatedToAxis(Axis)) anyActive = true;
  bool found = false;
  double r = 0;
  for (TChartSeries* s : series_) {
    if ((anyActive && !s->Active()) || !s->AssociatedToAxis(Axis) || s->Count() == 0) continue;
    const double v = Axis->IsDepthAxis ? (Largest ? s->MaxZValue() : s->MinZValue())
                     : Largest   ? (Axis->Horizontal ? s->MaxXValue() : s->MaxYValue())
                                 : (Axis->Horizontal ? s->MinXValue() : s->MinYValue());
    r = !found ? v : Largest ? std::max(r, v) : std::min(r, v);
    found = true;
  }
  return r;
}

namespace {
// A depth axis follows the Z values of the 3-D series on it; without them it spans the
// series' depth slots.
bool DepthAxisHasSeries(const TCustomAxisPanel* Chart, const TChartAxis* Axis) {
  for (TChartSeries* s : const_cast<TCustomAxisPanel*>(Chart)->SeriesList())
    if (s->Active() && s->Count() > 0 && s->AssociatedToAxis(Axis)) return true;
  return false;
}
}  // namespace

double TCustomAxisPanel::MinAxisValue(const TChartAxis* Axis) {
  if (Axis->IsDepthAxis) return DepthAxisHasSeries(this, Axis) ? SeriesExtreme(Axis, false) : -0.5;
  if (PagedAxis(this, Axis)) {
    for (TChartSeries* s : series_)
      if (s->Active() && s->AssociatedToAxis(Axis) && s->Count() > 0) {
        int f, l;
        CalcFirstLastPage(s, f, l);
        return s->ValueListOfAxis(Axis)->Value(f);
      }
  }
  return SeriesExtreme(Axis, false);
}

double TCustomAxisPanel::MaxAxisValue(const TChartAxis* Axis) {
  if (Axis->IsDepthAxis) return DepthAxisHasSeries(this, Axis) ? SeriesExtreme(Axis, true) : MaxZOrder + 0.5;
  if (PagedAxis(this, Axis)) {
    for (TChartSeries* s : series_)
      if (s->Active() && s->AssociatedToAxis(Axis) && s->Count() > 0) {
        int f, l;
        CalcFirstLastPage(s, f, l);
        TChartValueList* list = s->ValueListOfAxis(Axis);
        const double mn = list->Value(f);
        double mx = list->Value(l);
        const int onPage = l - f + 1;
        if (!ScaleLastPage && onPage < max_points_per_page_ && onPage > 0)
          mx = mn + (mx - mn) * max_points_per_page_ / onPage;
        return mx;
      }
  }
  return SeriesExtreme(Axis, true);
}

bool TCustomAxisPanel::IsAxisVisible(TChartAxis* Axis) {
  if (!AxisVisible || !Axis->Visible()) return false;
  if (Axis->IsDepthAxis) return View3D();
  bool anyActive = false;
  for (TChartSeries* s : series_) {
    if (!s->Active()) continue;
    anyActive = true;
    if (!s->UseAxis()) return false;
    if (s->AssociatedToAxis(Axis)) return true;
  }
  return !anyActive;
}

TColor TCustomAxisPanel::GetDefaultColor(int Index) const {
  if (!ColorPalette.empty()) return ColorPalette[static_cast<size_t>(std::abs(Index)) % ColorPalette.size()];
  return ::GetDefaultColor(Index);
}

TColor TCustomAxisPanel::FreeSeriesColor(bool CheckAll, TChartSeries* Series) {
  const int n = ColorPalette.empty() ? static_cast<int>(DefaultColorPalette().size()) : static_cast<int>(ColorPalette.size());
  TColor c = GetDefaultColor(0);
  for (int i = 0; i < n; ++i) {
    c = GetDefaultColor(i);
    if (IsFreeSeriesColor(c, CheckAll, Series)) return c;
  }
  return c;
}

bool TCustomAxisPanel::IsFreeSeriesColor(TColor Color, bool CheckBackground, TChartSeries* Series) {
  for (TChartSeries* s : series_)
    if (s != Series && s->SeriesColor() == Color) return false;
  return !(CheckBackground && Color == this->Color());
}

int TCustomAxisPanel::MultiLineTextWidth(const AnsiString& Text, int& Lines) {
  Lines = 0;
  int w = 0;
  size_t start = 0;
  while (start <= Text.size()) {
    const size_t end = Text.find(ChartLineSeparator, start);
    const AnsiString part = Text.substr(start, end == AnsiString::npos ? AnsiString::npos : end - start);
    w = std::max(w, ChartCanvas()->TextWidth(part));
    ++Lines;
    if (end == AnsiString::npos) break;
    start = end + 1;
  }
  return w;
}

bool TCustomAxisPanel::ChartRectMirrored(int Z) {
  TTeeCanvas3D* c = ChartCanvas();
  const TPoint p0 = c->Calculate3DPosition(ChartRect.Left, ChartRect.Top, Z);
  const TPoint p1 = c->Calculate3DPosition(ChartRect.Right, ChartRect.Top, Z);
  const TPoint p2 = c->Calculate3DPosition(ChartRect.Right, ChartRect.Bottom, Z);
  const long long v = static_cast<long long>(p0.x - p1.x) * (p2.y - p1.y) - static_cast<long long>(p2.x - p1.x) * (p0.y - p1.y);
  return v >= 0 && !(p0.x == p1.x && p0.y == p1.y);
}

bool TCustomAxisPanel::AllActiveSeriesUseAxes() const {
  bool any = false;
  for (TChartSeries* s : series_)
    if (s->Active()) {
      any = true;
      if (s->UseAxis()) return true;
    }
  return !any;
}

void TCustomAxisPanel::CalcZOrders() {
  if (View3D() && PerSeriesDepth) {
    MaxZOrder = -1;
    for (TChartSeries* s : series_)
      if (s->Active()) s->CalcZOrder();
  } else {
    MaxZOrder = 0;
  }
  for (TChartSeries* s : series_) {
    if (!s->Active()) continue;
    if (!View3D() || !PerSeriesDepth)
      s->SetZOrder(0);
    else if (!depth_->Inverted())
      s->SetZOrder(MaxZOrder - s->ZOrder());
  }
}

void TCustomAxisPanel::Calc3DSize() {
  if (!View3D()) {
    SeriesWidth3D = SeriesHeight3D = Width3D = Height3D = 0;
    return;
  }
  double d = ChartWidth * chart3d_percent_ * 0.001;
  if (!View3DOptions()->Orthogonal()) d *= 2;
  int depth = Rnd(d);
  const double R = View3DOptions()->CalcOrthoRatio();
  if (R > 1) depth = Rnd(depth / R);
  int height = Rnd(depth * R);
  if (PerSeriesDepth) {
    const int k = std::max(1, MaxZOrder + 1);
    SeriesWidth3D = depth;
    SeriesHeight3D = height;
    depth *= k;
    height *= k;
  } else {
    SeriesWidth3D = depth;
    SeriesHeight3D = height;
  }
  Width3D = depth;
  Height3D = height;
}

void TCustomAxisPanel::CalcWallsRect() {
  Calc3DSize();
  // The projected back of the 3-D space must stay inside the panel: an oblique view
  // shifts it up and sideways by the depth.
  if (View3D() && View3DOptions()->Orthogonal()) {
    ChartRect.Top += Height3D;
    if (View3DOptions()->OrthoAngle() > 90)
      ChartRect.Left += Width3D;
    else
      ChartRect.Right -= Width3D;
    RecalcWidthHeight();
  }
}

void TCustomAxisPanel::CalcAxisRect() {
  std::vector<bool> shown(axes_.size());
  for (size_t i = 0; i < axes_.size(); ++i) {
    shown[i] = IsAxisVisible(axes_[i]);
    axes_[i]->ComputeLimits();
  }
  for (TChartAxis* a : axes_) a->InternalCalcPositions();
  TRect R = ChartRect;
  for (size_t i = 0; i < axes_.size(); ++i) {
    if (!shown[i]) continue;
    TRect copy = R;
    axes_[i]->CalcRect(copy, i < 5 && axes_[i]->IsStandard);
    if (RectsIntersect(copy, R)) R = copy;
  }
  ChartRect = R;
  RecalcWidthHeight();
  for (TChartAxis* a : axes_) a->InternalCalcPositions();
}

void TCustomAxisPanel::CalcSeriesRect() {
  for (TChartAxis* a : axes_) {
    if (a->IsDepthAxis) continue;
    int lo = 0, hi = 0;
    bool any = false;
    for (TChartSeries* s : series_) {
      if (!s->Active() || !s->AssociatedToAxis(a) || s->Count() == 0) continue;
      any = true;
      int m0 = 0, m1 = 0;
      if (a->Horizontal) {
        s->CalcHorizMargins(m0, m1);
        if (a->AutomaticMinimum()) lo = std::max(lo, m0);
        if (a->AutomaticMaximum()) hi = std::max(hi, m1);
      } else {
        s->CalcVerticalMargins(m0, m1);
        // Top margin belongs to the maximum, bottom to the minimum.
        if (a->AutomaticMaximum()) hi = std::max(hi, m0);
        if (a->AutomaticMinimum()) lo = std::max(lo, m1);
      }
    }
    (void)any;
    lo += a->MinimumOffset;
    hi += a->MaximumOffset;
    if (a->Inverted()) std::swap(lo, hi);
    // Margins by pixel position: start side and end side of the axis span.
    TRect m;
    if (a->Horizontal)
      m = TRect(lo, 0, hi, 0);
    else
      m = TRect(0, hi, 0, lo);
    a->ComputeLimitsInRect(m);
  }
}

void TCustomAxisPanel::DrawAxes() {
  AxisLabelRects.clear();
  if (!AxisVisible) return;
  if (OnBeforeDrawAxes) OnBeforeDrawAxes(this);
  const bool mirrored = ChartRectMirrored(0);
  for (TChartAxis* a : axes_) {
    if (!IsAxisVisible(a)) continue;
    if (a == bottom_.get() && mirrored) continue;
    a->Draw(true);
  }
}

void TCustomAxisPanel::DrawOneSeries(TChartSeries* s) {
  TTeeCanvas3D* c = ChartCanvas();
  s->CalcFirstLastVisibleIndex();
  if (s->FirstValueIndex == -1) return;
  s->DoBeforeDrawValues();
  const bool clip = s->UseAxis() && ClipPoints && CanClip();
  if (clip) {
    if (View3D())
      c->ClipCube(ChartRect, 0, Width3D);
    else
      c->ClipRectangle(ChartRect);
  }
  s->DrawAllValues();
  if (clip) c->UnClipRectangle();
  if (s->Count() > 0 && s->Marks()->Visible()) {
    const bool mclip = s->Marks()->Clip() && CanClip();
    if (mclip) c->ClipRectangle(ChartRect);
    s->DrawMarks();
    if (mclip) c->UnClipRectangle();
  }
  s->DoAfterDrawValues();
}

void TCustomAxisPanel::DrawAllSeries() {
  bool backwards = depth_->Inverted();
  if (ChartRectMirrored(Width3D)) backwards = !backwards;
  std::vector<TChartSeries*> order = series_;
  if (backwards) std::reverse(order.begin(), order.end());
  for (TChartSeries* s : order)
    if (s->Active()) DrawOneSeries(s);
}

void TCustomAxisPanel::InternalDraw(const TRect& UserRect) {
  const bool savedAuto = AutoRepaint();
  SetAutoRepaint(false);
  TTeeCanvas3D* c = ChartCanvas();
  try {
    ReverseSeries = false;
    if (View3D()) {
      const auto* o = View3DOptions();
      ReverseSeries = o->Orthogonal() ? o->OrthoAngle() > 90 : o->Rotation() < 180;
    }
    ChartRect = UserRect;
    if (!c->IsNative3D()) PaintBackground(UserRect);
    // The chart rectangle again inside border and margins, as the panel computed it.
    {
      int w = BorderWidth();
      if (BevelInner() != bvNone) w += BevelWidth();
      if (BevelOuter() != bvNone) w += BevelWidth();
      if (Border()->Visible()) w += Border()->Width();
      int ml = MarginLeft(), mt = MarginTop(), mr = MarginRight(), mb = MarginBottom();
      if (MarginUnits() == muPercent) {
        ml = ml * ChartBounds.Width() / 100;
        mr = mr * ChartBounds.Width() / 100;
        mt = mt * ChartBounds.Height() / 100;
        mb = mb * ChartBounds.Height() / 100;
      }
      ChartRect = TRect(UserRect.Left + w + ml, UserRect.Top + w + mt, UserRect.Right - w - mr, UserRect.Bottom - w - mb);
      RecalcWidthHeight();
    }
    if (OnToolsEvent) OnToolsEvent(2);
    if (OnBeforeDrawChart) OnBeforeDrawChart(this);
    for (TChartSeries* s : series_)
      if (s->Active()) s->BeforeDrawChart();
    if (!c->IsNative3D()) DrawTitlesAndLegend(true);
    CalcZOrders();
    CalcWallsRect();
    CalcAxisRect();
    for (TChartSeries* s : series_)
      if (s->Active()) s->CalcDepthPositions();
    CalcSeriesRect();
    c->Projection(Width3D, ChartRect);
    DrawWalls();
    if (AxisBehind) {
      if (OnToolsEvent) OnToolsEvent(3);
      DrawAxes();
    }
    if (OnToolsEvent) OnToolsEvent(1);
    if (OnBeforeDrawSeries) OnBeforeDrawSeries(this);
    DrawAllSeries();
    if (OnToolsEvent) OnToolsEvent(4);
    if (!AxisBehind) {
      if (OnToolsEvent) OnToolsEvent(3);
      DrawAxes();
    }
    DrawTitlesAndLegend(false);
    if (OnToolsEvent) OnToolsEvent(0);
    c->ResetState();
    if (OnAfterDraw) OnAfterDraw(this);
  } catch (...) {
    while (c->ClipDepth() > 0) c->UnClipRectangle();
    SetAutoRepaint(savedAuto);
    throw;
  }
  while (c->ClipDepth() > 0) c->UnClipRectangle();
  SetAutoRepaint(savedAuto);
}

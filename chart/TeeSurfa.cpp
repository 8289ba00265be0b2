#include "chart/TeeSurfa.h"
#include "chart/Chart.h"

#include <algorithm>
#include <cmath>

#include "chart/Chart.h"
#include "chart/TeeConst.h"
#include "platform/rtl/Numbers.h"

namespace {

constexpr double kPi = 3.14159265358979323846;

int RoundHalfEven(double v) { return static_cast<int>(std::nearbyint(v)); }

void SplitRgb(TColor c, int out[3]) {
  const TColor rgb = ColorToRGB(c);
  out[0] = GetRValue(rgb);
  out[1] = GetGValue(rgb);
  out[2] = GetBValue(rgb);
}

// A see-through cell on the chart's own back buffer: the pixels under the cell's bounds are
// kept row by row and mixed back after the cell is filled, straight in the image memory
// (the per-pixel canvas calls of the general blender cost more than the cell itself).
class CellBlend {
 public:
  CellBlend(TTeeCanvas3D* c, const TRect& bounds, int transparency) : c_(c), t_(transparency) {
    TBitmap* b = c->Bitmap();
    direct_ = b && c->Canvas() == b->Canvas() && b->PixelFormat() != pf24bit && !c->Metafiling;
    if (!direct_) {
      blend_ = c->BeginBlending(bounds, transparency);
      return;
    }
    r_ = NormalizeRect(bounds);
    r_.Left = std::max(r_.Left, 0);
    r_.Top = std::max(r_.Top, 0);
    r_.Right = std::min(r_.Right, b->Width());
    r_.Bottom = std::min(r_.Bottom, b->Height());
    if (r_.Right <= r_.Left || r_.Bottom <= r_.Top) return;
    const size_t w = static_cast<size_t>(r_.Right - r_.Left);
    saved_.resize(w * static_cast<size_t>(r_.Bottom - r_.Top));
    for (int y = r_.Top; y < r_.Bottom; ++y) {
      const auto* row = reinterpret_cast<const uint32_t*>(b->ScanLine(y)) + r_.Left;
      std::copy(row, row + w, saved_.begin() + static_cast<ptrdiff_t>(w * static_cast<size_t>(y - r_.Top)));
    }
  }
  ~CellBlend() {
    if (!direct_) {
      c_->EndBlending(blend_);
      return;
    }
    if (saved_.empty()) return;
    TBitmap* b = c_->Bitmap();
    const size_t w = static_cast<size_t>(r_.Right - r_.Left);
    const uint32_t* old = saved_.data();
    for (int y = r_.Top; y < r_.Bottom; ++y) {
      auto* row = reinterpret_cast<uint32_t*>(b->ScanLine(y)) + r_.Left;
      for (size_t x = 0; x < w; ++x, ++old) {
        const uint32_t n = row[x], o = *old;
        if (n == o) continue;
        auto mix = [this](uint32_t nv, uint32_t ov) { return static_cast<uint32_t>(static_cast<int>(nv) + (static_cast<int>(ov) - static_cast<int>(nv)) * t_ / 100); };
        row[x] = 0xFF000000u | mix((n >> 16) & 0xFF, (o >> 16) & 0xFF) << 16 | mix((n >> 8) & 0xFF, (o >> 8) & 0xFF) << 8 |
                 mix(n & 0xFF, o & 0xFF);
      }
    }
  }
  CellBlend(const CellBlend&) = delete;
  CellBlend& operator=(const CellBlend&) = delete;

 private:
  TTeeCanvas3D* c_;
  int t_;
  bool direct_ = false;
  TTeeBlend* blend_ = nullptr;
  TRect r_;
  std::vector<uint32_t> saved_;
};

// Restores the value lists' growth step when a fill ends, also by an exception.
struct CapacityStepScope {
  int saved = ValueListCapacityStep;
  explicit CapacityStepScope(int step) { ValueListCapacityStep = std::max(saved, step); }
  ~CapacityStepScope() { ValueListCapacityStep = saved; }
};

}  // namespace

// =======================================================================================
// TCustom3DSeries

TCustom3DSeries::TCustom3DSeries(TComponent* AOwner) : TChartSeries(AOwner) {
  owned_lists_.push_back(std::make_unique<TChartValueList>(this, "Z"));
  z_values_ = owned_lists_.back().get();
  x_values_->SetOrder(loNone);
  MarkChartDefaults(this);
}

void TCustom3DSeries::Assign(TPersistent* Source) {
  if (auto* s = dynamic_cast<TCustom3DSeries*>(Source)) {
    z_values_->Assign(s->z_values_);
    times_z_order_ = s->times_z_order_;
  }
  TChartSeries::Assign(Source);
}

int TCustom3DSeries::AddXYZ(double X, double Y, double Z, const AnsiString& Label, TColor Color) {
  z_values_->TempValue = Z;
  return AddXY(X, Y, Label, Color);
}

void TCustom3DSeries::PrepareLegendCanvas(int ValueIndex, TColor& BackColor, TBrushStyle& BrushStyle) {
  TChartSeries::PrepareLegendCanvas(ValueIndex, BackColor, BrushStyle);
  auto* chart = dynamic_cast<TCustomChart*>(parent_);
  if (chart && chart->Legend()->Symbol()->Continuous()) chart->ChartCanvas()->Pen()->SetStyle(psClear);
}

void TCustom3DSeries::CalcZOrder() {
  TChartSeries::CalcZOrder();
  if (parent_) parent_->MaxZOrder = times_z_order_;
}

bool TCustom3DSeries::AssociatedToAxis(const TChartAxis* Axis) const {
  if (Axis && Axis->IsDepthAxis) return true;
  return TChartSeries::AssociatedToAxis(Axis);
}

TChartValueList* TCustom3DSeries::ValueListOfAxis(const TChartAxis* Axis) const {
  if (Axis && Axis->IsDepthAxis) return z_values_;
  return TChartSeries::ValueListOfAxis(Axis);
}

bool TCustom3DSeries::IsZReversed() const {
  if (!parent_) return false;
  bool r = parent_->DepthAxis()->Inverted();
  const int rot = parent_->View3DOptions()->Rotation();
  if (rot > 90 && rot < 270) r = !r;
  return r;
}

// =======================================================================================
// TCustom3DPaletteSeries

TCustom3DPaletteSeries::TCustom3DPaletteSeries(TComponent* AOwner) : TCustom3DSeries(AOwner) { RecalcColors(); }

void TCustom3DPaletteSeries::RecalcColors() {
  SplitRgb(end_color_, end_rgb_);
  SplitRgb(start_color_, start_rgb_);
  if (mid_color_ != clNone) SplitRgb(mid_color_, mid_rgb_);
}

void TCustom3DPaletteSeries::RecalcRange() {
  if (Count() == 0) {
    y_min_ = y_max_ = range_recip_ = 0;
    return;
  }
  y_min_ = y_values_->MinValue();
  y_max_ = y_values_->MaxValue();
  range_recip_ = y_max_ > y_min_ ? 1.0 / (y_max_ - y_min_) : 0;
}

void TCustom3DPaletteSeries::SetStartColor(TColor v) {
  SetColorProperty(start_color_, v);
  RecalcColors();
}
void TCustom3DPaletteSeries::SetMidColor(TColor v) {
  SetColorProperty(mid_color_, v);
  RecalcColors();
}
void TCustom3DPaletteSeries::SetEndColor(TColor v) {
  SetColorProperty(end_color_, v);
  RecalcColors();
}

void TCustom3DPaletteSeries::SetUseColorRange(bool v) {
  SetBooleanProperty(use_color_range_, v);
  if (v) SetColorEachPoint(false);
}

void TCustom3DPaletteSeries::PrepareForGallery(bool Enabled) {
  TCustom3DSeries::PrepareForGallery(Enabled);
  SetUseColorRange(false);
  pen_->SetColor(Enabled ? clBlack : clGray);
  SetUsePalette(Enabled);
  SetPaletteStyle(psRainbow);
}

void TCustom3DPaletteSeries::SetUsePalette(bool v) {
  SetBooleanProperty(use_palette_, v);
  if (!v) return;
  SetColorEachPoint(false);
  if (palette_.empty() && Count() > 0) CreateDefaultPalette(palette_steps_);
}

void TCustom3DPaletteSeries::SetPaletteSteps(int v) {
  palette_steps_ = v;
  CreateDefaultPalette(palette_steps_);
}
void TCustom3DPaletteSeries::SetPaletteStyle(TTeePaletteStyle v) {
  if (v == palette_style_) return;
  palette_style_ = v;
  ClearPalette();
  Repaint();
}
void TCustom3DPaletteSeries::SetPaletteMin(double v) {
  palette_min_ = v;
  CreateDefaultPalette(palette_steps_);
}
void TCustom3DPaletteSeries::SetPaletteStep(double v) {
  palette_step_ = v;
  CreateDefaultPalette(palette_steps_);
}
void TCustom3DPaletteSeries::SetUsePaletteMin(bool v) {
  use_palette_min_ = v;
  CreateDefaultPalette(palette_steps_);
}
void TCustom3DPaletteSeries::SetLegendEvery(int v) { SetIntegerProperty(legend_every_, v); }

int TCustom3DPaletteSeries::AddPalette(double Value, TColor Color) {
  auto it = std::upper_bound(palette_.begin(), palette_.end(), Value,
                             [](double v, const TTeePaletteEntry& e) { return v < e.UpToValue; });
  const auto pos = it - palette_.begin();
  palette_.insert(it, {Value, Color});
  return static_cast<int>(pos);
}

void TCustom3DPaletteSeries::CreateDefaultPalette(int Steps) {
  ClearPalette();
  RecalcRange();
  // No steps, no palette: the scale of every style divides by the step count.
  if (Steps > 0) {
    const double step = palette_step_ != 0 ? palette_step_ : (y_max_ - y_min_) / std::max(1, Steps - 1);
    const double start = use_palette_min_ ? palette_min_ : y_min_;
    if (palette_style_ == psRainbow) {
      const std::vector<TColor>& rainbow = RainbowPalette();
      for (int k = 0; k < Steps; ++k)
        AddPalette(start + k * step, rainbow.empty() ? clBlack : rainbow[static_cast<size_t>(k) % rainbow.size()]);
    } else {
      const double scale = palette_style_ == psPale     ? kPi / Steps
                           : palette_style_ == psStrong ? 2 * kPi / Steps
                                                        : 255.0 / Steps;
      for (int k = 0; k < Steps; ++k) {
        const double t = k * scale;
        TColor c;
        if (palette_style_ == psGrayScale || palette_style_ == psInvGray) {
          int g = std::clamp(RoundHalfEven(t), 0, 255);
          if (palette_style_ == psInvGray) g = 255 - g;
          c = RGB(g, g, g);
        } else {
          c = RGB(static_cast<int>((std::sin(t / 2.0) + 1) * 127), static_cast<int>((std::sin(t / 1.0) + 1) * 127),
                  static_cast<int>((std::cos(t / 1.0) + 1) * 127));
        }
        AddPalette(start + k * step, c);
      }
    }
  }
  Repaint();
}

TColor TCustom3DPaletteSeries::RangeColor(double s) const {
  int out[3];
  for (int c = 0; c < 3; ++c) {
    int v;
    if (mid_color_ == clNone) {
      v = end_rgb_[c] + RoundHalfEven(s * (start_rgb_[c] - end_rgb_[c]));
    } else if (s >= 0.5) {
      v = mid_rgb_[c] + RoundHalfEven((s - 0.5) * 2 * (start_rgb_[c] - mid_rgb_[c]));
    } else {
      v = end_rgb_[c] + RoundHalfEven(2 * s * (mid_rgb_[c] - end_rgb_[c]));
    }
    out[c] = v & 0xFF;
  }
  return RGB(out[0], out[1], out[2]);
}

TColor TCustom3DPaletteSeries::ValueColor(double Y) {
  if (use_color_range_) {
    if (Count() == 0) return end_color_;
    const double mn = y_values_->MinValue(), mx = y_values_->MaxValue();
    if (mx == mn) return end_color_;
    const double t = Y - mn;
    if (t < 0) return end_color_;
    if (Y > mx) return start_color_;
    return RangeColor(t / (mx - mn));
  }
  if (use_palette_ && !palette_.empty()) {
    for (const TTeePaletteEntry& e : palette_)
      if (e.UpToValue >= Y) return e.Color;
    return palette_.back().Color;
  }
  return SeriesColor();
}

TColor TCustom3DPaletteSeries::GetValueColor(int Index) const {
  auto* self = const_cast<TCustom3DPaletteSeries*>(this);
  TColor c = clUseSeriesColor;
  if (Index >= 0 && Index < static_cast<int>(colors_.size())) c = colors_[static_cast<size_t>(Index)];
  if (c == clUseSeriesColor) {
    if (!color_each_point_ && (use_color_range_ || use_palette_) && Index >= 0 && Index < Count()) {
      // The values of the list named by ColorSource pick the colour (the Y values when
      // there is no such list).
      const TChartValueList* source = y_values_;
      for (const TChartValueList* l : value_lists_)
        if (!color_source_.empty() && UpperCase(l->Name()) == UpperCase(color_source_)) source = l;
      c = self->ValueColor(Index < source->Count() ? source->Value(Index) : YValue(Index));
    }
    else
      c = TChartSeries::GetValueColor(Index);
  }
  if (OnGetColor) OnGetColor(self, Index, c);
  return c;
}

void TCustom3DPaletteSeries::BeforeDrawChart() {
  TCustom3DSeries::BeforeDrawChart();
  if (palette_.empty() && Count() > 0) CreateDefaultPalette(palette_steps_);
  RecalcRange();
}

void TCustom3DPaletteSeries::Clear() {
  TCustom3DSeries::Clear();
  if (use_palette_) ClearPalette();
}

int TCustom3DPaletteSeries::CountLegendItems() {
  if (!use_color_range_ && !use_palette_) return TCustom3DSeries::CountLegendItems();
  const int n = static_cast<int>(palette_.size());
  return legend_every_ < 2 ? n : n / legend_every_ + 1;
}

TColor TCustom3DPaletteSeries::LegendPaletteColor(int LegendIndex) {
  const int i = static_cast<int>(palette_.size()) - std::max(1, legend_every_) * LegendIndex - 1;
  // Past the palette (the count runs one beyond it) there is no entry and no symbol.
  if (i < 0 || i >= static_cast<int>(palette_.size())) return clNone;
  return use_color_range_ ? ValueColor(palette_[static_cast<size_t>(i)].UpToValue) : palette_[static_cast<size_t>(i)].Color;
}

AnsiString TCustom3DPaletteSeries::LegendPaletteText(int LegendIndex) {
  const int i = static_cast<int>(palette_.size()) - std::max(1, legend_every_) * LegendIndex - 1;
  if (i < 0 || i >= static_cast<int>(palette_.size())) return AnsiString();
  return FormatFloat(ValueFormat, palette_[static_cast<size_t>(i)].UpToValue);
}

AnsiString TCustom3DPaletteSeries::LegendString(int LegendIndex, TLegendTextStyle Style) {
  if (!use_color_range_ && !use_palette_) return TCustom3DSeries::LegendString(LegendIndex, Style);
  return LegendPaletteText(LegendIndex);
}

TColor TCustom3DPaletteSeries::LegendItemColor(int Index) {
  if (!use_color_range_ && !use_palette_) return TCustom3DSeries::LegendItemColor(Index);
  return LegendPaletteColor(Index);
}

void TCustom3DPaletteSeries::DrawLegendShape(int ValueIndex, const TRect& Rect) {
  if (!use_color_range_ || ValueIndex != -1 || !parent_) return TCustom3DSeries::DrawLegendShape(ValueIndex, Rect);
  TTeeCanvas3D* c = parent_->ChartCanvas();
  c->Brush()->SetStyle(bsClear);
  TTeeGradient g;
  g.SetStartColor(end_color_);
  g.SetMidColor(mid_color_);
  g.SetEndColor(start_color_);
  g.Draw(c, TRect(Rect.Left + 1, Rect.Top + 1, Rect.Right - 1, Rect.Bottom - 1));
}

void TCustom3DPaletteSeries::Assign(TPersistent* Source) {
  if (auto* s = dynamic_cast<TCustom3DPaletteSeries*>(Source)) {
    start_color_ = s->start_color_;
    mid_color_ = s->mid_color_;
    end_color_ = s->end_color_;
    use_color_range_ = s->use_color_range_;
    use_palette_ = s->use_palette_;
    palette_ = s->palette_;
    palette_steps_ = s->palette_steps_;
    legend_every_ = s->legend_every_;
    palette_min_ = s->palette_min_;
    palette_step_ = s->palette_step_;
    use_palette_min_ = s->use_palette_min_;
    palette_style_ = s->palette_style_;
    RecalcColors();
  }
  TCustom3DSeries::Assign(Source);
}

// =======================================================================================
// TCustom3DGridSeries

TCustom3DGridSeries::TCustom3DGridSeries(TComponent* AOwner) : TCustom3DPaletteSeries(AOwner) { ResetGrid(); }

void TCustom3DGridSeries::ResetGrid() {
  grid_nx_ = std::max(num_x_, 0);
  grid_nz_ = std::max(num_z_, 0);
  grid_.assign(static_cast<size_t>(grid_nx_ + 1) * static_cast<size_t>(grid_nz_ + 1), -1);
}

int TCustom3DGridSeries::GridIndex(int X, int Z) const {
  if (X < 0 || Z < 0 || X > grid_nx_ || Z > grid_nz_) return -1;
  return grid_[static_cast<size_t>(X) * static_cast<size_t>(grid_nz_ + 1) + static_cast<size_t>(Z)];
}

void TCustom3DGridSeries::SetNumXValues(int v) {
  if (v == num_x_) return;
  num_x_ = v;
  Clear();
  CreateValues(num_x_, num_z_);
}

void TCustom3DGridSeries::SetNumZValues(int v) {
  if (v == num_z_) return;
  num_z_ = v;
  Clear();
  CreateValues(num_x_, num_z_);
}

void TCustom3DGridSeries::SetIrregularGrid(bool v) { SetBooleanProperty(irregular_, v); }

double TCustom3DGridSeries::GetCellYValue(int X, int Z) {
  if (OnGetYValue) return OnGetYValue(this, X, Z);
  if (HasState(csDesigning) || sample_) {
    // A sample hill and valley; at least one column and row so that the scale never divides by 0.
    const double cx = std::cos(X / (std::max(1, num_x_) * 0.2)), cz = std::cos(Z / (std::max(1, num_z_) * 0.2));
    return 0.5 * cx * cx + cz * cz - std::cos(Z / (std::max(1, num_z_) * 0.5));
  }
  return 0;
}

void TCustom3DGridSeries::CreateValues(int NumX, int NumZ) {
  if (!OnGetYValue && !HasState(csDesigning) && !sample_) return;
  num_x_ = std::max(NumX, 0);
  num_z_ = std::max(NumZ, 0);
  {
    CapacityStepScope step(num_x_ * num_z_);
    Clear();
    BeginUpdate();
    try {
      for (int z = 1; z <= num_z_; ++z)
        for (int x = 1; x <= num_x_; ++x) AddXYZ(x, GetCellYValue(x, z), z);
    } catch (...) {
      EndUpdate();
      throw;
    }
    EndUpdate();
  }
  FillGridIndex(0);
  CreateDefaultPalette(palette_steps_);
}

void TCustom3DGridSeries::AddSampleValues(int NumValues) { CreateSampleValues(NumValues); }

void TCustom3DGridSeries::CreateSampleValues(int NumX, int NumZ) {
  if (NumX <= 0 || NumZ <= 0) return;
  const bool saved = sample_;
  sample_ = true;
  try {
    CreateValues(NumX, NumZ);
  } catch (...) {
    sample_ = saved;
    throw;
  }
  sample_ = saved;
}

void TCustom3DGridSeries::Clear() {
  TCustom3DPaletteSeries::Clear();
  ResetGrid();
}

void TCustom3DGridSeries::AddValues(TChartSeries* Source) {
  if (auto* g = dynamic_cast<TCustom3DGridSeries*>(Source)) {
    num_x_ = g->num_x_;
    num_z_ = g->num_z_;
  }
  TCustom3DPaletteSeries::AddValues(Source);
  FillGridIndex(0);
  Repaint();
}

void TCustom3DGridSeries::BeforeDrawChart() {
  TCustom3DPaletteSeries::BeforeDrawChart();
  if (Count() > 0) FillGridIndex(0);
}

void TCustom3DGridSeries::FillGridIndex(int First) {
  (void)First;  // the index is always rebuilt whole: points may have moved anywhere
  const int n = Count();
  if (n == 0) {
    ResetGrid();
    return;
  }
  const double* xs = x_values_->Data();
  const double* zs = z_values_->Data();
  if (!irregular_) {
    const int x0 = RoundHalfEven(x_values_->MinValue()) - 1, z0 = RoundHalfEven(z_values_->MinValue()) - 1;
    const int nx = RoundHalfEven(x_values_->MaxValue()) - x0, nz = RoundHalfEven(z_values_->MaxValue()) - z0;
    num_x_ = nx;
    num_z_ = nz;
    ResetGrid();
    for (int i = 0; i < n; ++i) {
      const int gx = RoundHalfEven(xs[i]) - x0, gz = RoundHalfEven(zs[i]) - z0;
      if (gx >= 0 && gz >= 0 && gx <= grid_nx_ && gz <= grid_nz_)
        grid_[static_cast<size_t>(gx) * static_cast<size_t>(grid_nz_ + 1) + static_cast<size_t>(gz)] = i;
    }
    return;
  }
  // Irregular grid: the distinct X and Z values, each list sorted, point i at the positions
  // of its values. Beyond the lists' capacity the grid is not rebuilt at all.
  auto distinct = [n](const double* v, double first, std::vector<double>& out) {
    out.assign(1, first);
    for (int i = 0; i < n; ++i) {
      if (std::find(out.begin(), out.end(), v[i]) != out.end()) continue;
      if (static_cast<int>(out.size()) >= MaxIrregularValues) return false;
      out.push_back(v[i]);
    }
    std::sort(out.begin() + 1, out.end());
    return true;
  };
  std::vector<double> xl, zl;
  if (!distinct(xs, x_values_->MinValue(), xl) || !distinct(zs, z_values_->MinValue(), zl)) return;
  num_x_ = static_cast<int>(xl.size());
  num_z_ = static_cast<int>(zl.size());
  ResetGrid();
  for (int i = 0; i < n; ++i) {
    const auto ix = std::find(xl.begin(), xl.end(), xs[i]), iz = std::find(zl.begin(), zl.end(), zs[i]);
    if (ix == xl.end() || iz == zl.end()) continue;
    const size_t gx = static_cast<size_t>(ix - xl.begin()) + 1, gz = static_cast<size_t>(iz - zl.begin()) + 1;
    grid_[gx * static_cast<size_t>(grid_nz_ + 1) + gz] = i;
  }
}

std::vector<TPoint> TCustom3DGridSeries::PaintersOrder(int XFrom, int XTo, int ZFrom, int ZTo) const {
  auto run = [](int From, int To) {
    std::vector<int> v;
    const int step = To >= From ? 1 : -1;
    for (int i = From;; i += step) {
      v.push_back(i);
      if (i == To) break;
    }
    return v;
  };
  const std::vector<int> xs = run(XFrom, XTo), zs = run(ZFrom, ZTo);
  const TView3DOptions* o = parent_ ? parent_->View3DOptions() : nullptr;
  const int turn = o ? ((o->Rotation() % 360) + 360) % 360 : -1;
  const bool straightOn =
      o && !parent_->ChartCanvas()->IsNative3D() && o->Perspective() > 0 && (turn == 0 || turn == 180);
  std::vector<TPoint> order;
  order.reserve(xs.size() * zs.size());
  size_t lo = 0, hi = xs.size();
  bool fromStart = true;
  while (lo < hi) {
    const int x = !straightOn || fromStart ? xs[lo++] : xs[--hi];
    for (int z : zs) order.push_back({x, z});
    if (straightOn) fromStart = !fromStart;
  }
  return order;
}

bool TCustom3DGridSeries::CellCorners(int X, int Z) {
  const int pos[4][2] = {{X, Z}, {X + DX, Z}, {X + DX, Z + DZ}, {X, Z + DZ}};
  for (int k = 0; k < 4; ++k) {
    Corner[k] = GridIndex(pos[k][0], pos[k][1]);
    if (Corner[k] < 0) return false;
  }
  return true;
}

void TCustom3DGridSeries::Assign(TPersistent* Source) {
  if (auto* s = dynamic_cast<TCustom3DGridSeries*>(Source)) {
    num_x_ = s->num_x_;
    num_z_ = s->num_z_;
    irregular_ = s->irregular_;
  }
  TCustom3DPaletteSeries::Assign(Source);
}

// =======================================================================================
// TSurfaceSeries

TSurfaceSeries::TSurfaceSeries(TComponent* AOwner)
    : TCustom3DGridSeries(AOwner),
      side_brush_([this](TObject*) { Repaint(); }),
      side_lines_([this](TObject*) { Repaint(); }) {
  side_brush_.SetStyle(bsClear);
  water_lines_.OnChange = [this](TObject*) { Repaint(); };
  MarkChartDefaults(this);
}

TSurfaceSeries::~TSurfaceSeries() = default;

void TSurfaceSeries::PrepareForGallery(bool Enabled) {
  TCustom3DGridSeries::PrepareForGallery(Enabled);
  CreateSampleValues(10);
}

void TSurfaceSeries::SetWireFrame(bool v) {
  if (v) {
    pen_->SetVisible(true);
    dot_frame_ = false;
  }
  SetBooleanProperty(wire_frame_, v);
}

void TSurfaceSeries::SetDotFrame(bool v) {
  if (v) {
    pen_->SetVisible(true);
    wire_frame_ = false;
  }
  SetBooleanProperty(dot_frame_, v);
}

// The platform offers no stock device-context brush, so cells always fill through the
// canvas brush and the flag is not kept.
void TSurfaceSeries::SetFastBrush(bool) {}

void TSurfaceSeries::SetTransparency(TTeeTransparency v) { SetIntegerProperty(transparency_, std::clamp(v, 0, 100)); }

void TSurfaceSeries::Assign(TPersistent* Source) {
  if (auto* s = dynamic_cast<TSurfaceSeries*>(Source)) {
    dot_frame_ = s->dot_frame_;
    side_brush_.Assign(&s->side_brush_);
    side_lines_.Assign(&s->side_lines_);
    smooth_palette_ = s->smooth_palette_;
    transparency_ = s->transparency_;
    wire_frame_ = s->wire_frame_;
    water_fall_ = s->water_fall_;
    water_lines_.Assign(&s->water_lines_);
  }
  TCustom3DGridSeries::Assign(Source);
}

void TSurfaceSeries::PrepareCanvas() {
  TTeeCanvas3D* c = parent_->ChartCanvas();
  if (!pen_->Visible() && !wire_frame_ && !dot_frame_)
    c->Pen()->SetStyle(psClear);
  else
    c->AssignVisiblePen(pen_.get());
  c->AssignBrush(&brush_, SeriesColor());
  keep_brush_ = (!use_color_range_ && !use_palette_) || brush_.HasImage();
  if (wire_frame_ || dot_frame_) c->Brush()->SetStyle(bsClear);
  c->SetBackMode(TRANSPARENT);
}

void TSurfaceSeries::CacheAxes() {
  haxis_ = GetHorizAxis();
  vaxis_ = GetVertAxis();
  daxis_ = parent_->DepthAxis();
}

TPoint TSurfaceSeries::CornerPixel(int Index) const {
  return {haxis_->CalcXPosValue(XValue(Index)), vaxis_->CalcYPosValue(YValue(Index))};
}

std::vector<TPoint> TSurfaceSeries::CellOrder() {
  const int nx = num_x_, nz = num_z_;
  // A water fall draws every row on its own; a surface needs two rows for a cell.
  const int rows = water_fall_ ? 0 : 1;
  if (nx < 2 || nz < 1 + rows) return {};
  const bool up = IsZReversed(), forward = DrawValuesForward();
  DZ = up ? 1 : -1;
  DX = forward ? -1 : 1;
  return PaintersOrder(forward ? 2 : nx - 1, forward ? nx : 1, up ? 1 : nz, up ? nz - rows : 1 + rows);
}

void TSurfaceSeries::DrawAllValues() {
  if (Count() == 0 || !parent_) return;
  if (static_cast<int>(grid_.size()) != (grid_nx_ + 1) * (grid_nz_ + 1) || grid_nx_ != num_x_) FillGridIndex(0);
  PrepareCanvas();
  CacheAxes();
  if (!haxis_ || !vaxis_) return;
  const bool sides = !(side_brush_.Style() == bsClear && !side_lines_.Visible());
  if (sides) DrawSides(false);
  for (const TPoint& cell : CellOrder()) DrawCell(cell.x, cell.y);
  if (sides) DrawSides(true);
}

TColor TSurfaceSeries::CellColor() {
  // The cell takes the colour of its corner at the lower X and the upper Z.
  const int ci = DX == 1 ? (DZ == 1 ? 3 : 0) : (DZ == 1 ? 2 : 1);
  TColor color = GetValueColor(Corner[ci]);
  if (color != clNone && !keep_brush_ && smooth_palette_)
    color = ValueColor((YValue(Corner[0]) + YValue(Corner[1]) + YValue(Corner[2]) + YValue(Corner[3])) * 0.25);
  return color;
}

void TSurfaceSeries::ApplyCellColor(TColor Color) {
  if (keep_brush_) return;
  TTeeCanvas3D* c = parent_->ChartCanvas();
  if (wire_frame_)
    c->Pen()->SetColor(Color);
  else if (c->Brush()->Style() != bsClear)
    c->Brush()->SetColor(Color);
}

void TSurfaceSeries::DrawCell(int X, int Z) {
  if (water_fall_) return DrawWaterFallCell(X, Z);
  if (!CellCorners(X, Z)) return;
  TTeeCanvas3D* c = parent_->ChartCanvas();
  TPoint p[4];
  for (int k = 0; k < 4; ++k) p[k] = CornerPixel(Corner[k]);
  const int z0 = daxis_->CalcPosValue(ZValues()->Value(Corner[0]));
  const int z1 = daxis_->CalcPosValue(ZValues()->Value(Corner[2]));
  const TColor color = CellColor();
  if (color == clNone) return;
  ApplyCellColor(color);
  if (dot_frame_) {
    for (int k = 0; k < 4; ++k) c->SetPixel3D(p[k].x, p[k].y, k < 2 ? z0 : z1, GetValueColor(Corner[k]));
    return;
  }
  if (transparency_ == 0) {
    c->PlaneFour3D(p, z0, z1);
    return;
  }
  // See-through cell: the pixels under the cell's own bounds are kept and mixed back after filling.
  std::vector<TPoint> screen(4);
  for (int k = 0; k < 4; ++k) screen[static_cast<size_t>(k)] = c->Calculate3DPosition(p[k].x, p[k].y, k < 2 ? z0 : z1);
  CellBlend blend(c, RectFromPolygon(screen.data(), 4), transparency_);
  c->Polygon(screen);
}

void TSurfaceSeries::DrawWaterFallCell(int X, int Z) {
  const int a = GridIndex(X, Z), b = GridIndex(X + DX, Z);
  if (a < 0 || b < 0) return;
  TTeeCanvas3D* c = parent_->ChartCanvas();
  const int lower = DX == 1 ? a : b;
  TColor color = GetValueColor(lower);
  if (color == clNone) return;
  // A row segment has two points; its smooth colour is their mean.
  if (!keep_brush_ && smooth_palette_) color = ValueColor((YValue(a) + YValue(b)) * 0.5);
  ApplyCellColor(color);
  const TPoint pa = CornerPixel(a), pb = CornerPixel(b);
  const int z = daxis_->CalcPosValue(ZValues()->Value(a));
  const int bottom = vaxis_->IEndPos;
  if (!wire_frame_) {
    const TPenStyle saved = c->Pen()->Style();
    c->Pen()->SetStyle(psClear);
    if (transparency_ == 0) {
      c->PlaneWithZ(pa, pb, {pb.x, bottom}, {pa.x, bottom}, z);
    } else {
      const std::vector<TPoint> screen = {c->Calculate3DPosition(pa.x, pa.y, z), c->Calculate3DPosition(pb.x, pb.y, z),
                                          c->Calculate3DPosition(pb.x, bottom, z), c->Calculate3DPosition(pa.x, bottom, z)};
      CellBlend blend(c, RectFromPolygon(screen.data(), 4), transparency_);
      c->Polygon(screen);
    }
    c->Pen()->SetStyle(saved);
  }
  if (pen_->Visible()) {
    c->AssignVisiblePen(pen_.get());
    if (wire_frame_ && !keep_brush_) c->Pen()->SetColor(color);
    c->LineWithZ(pa.x, pa.y, pb.x, pb.y, z);
  }
  if (water_lines_.Visible()) {
    c->AssignVisiblePen(&water_lines_);
    c->VertLine3D(pa.x, pa.y, bottom, z);
    c->VertLine3D(pb.x, pb.y, bottom, z);
  }
}

void TSurfaceSeries::DrawSides(bool Front) {
  auto* chart = dynamic_cast<TCustomChart*>(parent_);
  TTeeCanvas3D* c = parent_->ChartCanvas();
  const int base = vaxis_->CalcYPosValue(vaxis_->Inverted() ? y_values_->MaxValue() : y_values_->MinValue());
  c->AssignBrush(&side_brush_, side_brush_.Color());
  if (side_lines_.Visible())
    c->AssignVisiblePen(&side_lines_);
  else
    c->Pen()->SetStyle(psClear);
  auto depth = [&](int i) { return daxis_->CalcPosValue(ZValues()->Value(i)); };
  auto zside = [&](int column) {
    for (int z = num_z_; z >= 2; --z) {
      const int a = GridIndex(column, z), b = GridIndex(column, z - 1);
      if (a < 0 || b < 0) continue;
      const TPoint pa = CornerPixel(a), pb = CornerPixel(b);
      const int za = depth(a), zb = depth(b);
      std::vector<TPoint> poly = {c->Calculate3DPosition(pa.x, pa.y, za), c->Calculate3DPosition(pb.x, pb.y, zb),
                                  c->Calculate3DPosition(pb.x, base, zb), c->Calculate3DPosition(pa.x, base, za)};
      c->Polygon(poly);
    }
  };
  const bool hinv = haxis_->Inverted();
  const int leftCol = hinv ? num_x_ : 1, rightCol = hinv ? 1 : num_x_;
  const bool leftFront = chart ? chart->WallFacesViewer(true) : false;
  const bool rightFront = chart ? chart->WallFacesViewer(false) : false;
  if (leftFront == Front) zside(leftCol);
  if (rightFront == Front) zside(rightCol);
  // The edge row along X faces the viewer when the chart box's front does.
  const int row = daxis_->Inverted() ? num_z_ : 1;
  const TPoint a = c->Calculate3DPosition(parent_->ChartRect.Left, parent_->ChartRect.Top, 0);
  const TPoint b = c->Calculate3DPosition(parent_->ChartRect.Right, parent_->ChartRect.Top, 0);
  const TPoint d = c->Calculate3DPosition(parent_->ChartRect.Right, parent_->ChartRect.Bottom, 0);
  const bool frontFaces = !IsNegativeOrientation(a, b, d);
  if (frontFaces != Front) return;
  int last = -1;
  for (int x = 2; x <= num_x_; ++x) {
    const int i = GridIndex(x, row), j = GridIndex(x - 1, row);
    if (i < 0 || j < 0) continue;
    const TPoint pi = CornerPixel(i), pj = CornerPixel(j);
    const int zi = depth(i), zj = depth(j);
    c->Polygon({c->Calculate3DPosition(pi.x, pi.y, zi), c->Calculate3DPosition(pj.x, pj.y, zj),
                c->Calculate3DPosition(pj.x, base, zj), c->Calculate3DPosition(pi.x, base, zi)});
    last = i;
  }
  if (last >= 0) {
    const TPoint p = CornerPixel(last);
    c->Pen()->SetStyle(psSolid);
    c->VertLine3D(p.x, p.y, base, depth(last));
  }
}

int TSurfaceSeries::Clicked(int X, int Y) {
  if (Count() == 0 || !parent_) return -1;
  CacheAxes();
  if (!haxis_ || !vaxis_) return -1;
  std::vector<TPoint> order = CellOrder();
  std::reverse(order.begin(), order.end());  // nearest cells first
  TTeeCanvas3D* c = parent_->ChartCanvas();
  for (const TPoint& cell : order) {
    if (!CellCorners(cell.x, cell.y)) continue;
    const int z0 = daxis_->CalcPosValue(ZValues()->Value(Corner[0]));
    const int z1 = daxis_->CalcPosValue(ZValues()->Value(Corner[2]));
    std::vector<TPoint> poly(4);
    for (int k = 0; k < 4; ++k) {
      const TPoint p = CornerPixel(Corner[k]);
      poly[static_cast<size_t>(k)] = c->Calculate3DPosition(p.x, p.y, k < 2 ? z0 : z1);
    }
    if (PointInPolygon({X, Y}, poly)) return Corner[0];
  }
  return -1;
}

TWaterFallSeries::TWaterFallSeries(TComponent* AOwner) : TSurfaceSeries(AOwner) {
  water_fall_ = true;
  MarkChartDefaults(this);
}

void TWaterFallSeries::PrepareForGallery(bool Enabled) {
  TSurfaceSeries::PrepareForGallery(Enabled);
  if (parent_) parent_->SetView3D(Enabled);
}

// =======================================================================================
// Form resources

#include "platform/streaming/ClassProps.h"
#include "platform/ui/UiStreaming.h"

void RegisterSurfaceClasses() {
  const TIdentMap* colors = &ui::ColorIdents();
  RegisterClass<TCustom3DSeries, TChartSeries>("TCustom3DSeries")
      .Int("TimesZOrder", &TCustom3DSeries::TimesZOrder, &TCustom3DSeries::SetTimesZOrder, 3)
      .Object("ZValues", &TCustom3DSeries::ZValues);
  RegisterClass<TCustom3DPaletteSeries, TCustom3DSeries>("TCustom3DPaletteSeries")
      .Int("StartColor", &TCustom3DPaletteSeries::StartColor, &TCustom3DPaletteSeries::SetStartColor, 0x800000, colors)
      .Int("MidColor", &TCustom3DPaletteSeries::MidColor, &TCustom3DPaletteSeries::SetMidColor, clNone, colors)
      .Int("EndColor", &TCustom3DPaletteSeries::EndColor, &TCustom3DPaletteSeries::SetEndColor, 0xFFFFFF, colors)
      .Bool("UseColorRange", &TCustom3DPaletteSeries::UseColorRange, &TCustom3DPaletteSeries::SetUseColorRange, true)
      .Bool("UsePalette", &TCustom3DPaletteSeries::UsePalette, &TCustom3DPaletteSeries::SetUsePalette, false)
      .Int("PaletteSteps", &TCustom3DPaletteSeries::PaletteSteps, &TCustom3DPaletteSeries::SetPaletteSteps, 32)
      .Enum("PaletteStyle", &TCustom3DPaletteSeries::PaletteStyle, &TCustom3DPaletteSeries::SetPaletteStyle,
            {"psPale", "psStrong", "psGrayScale", "psInvGray", "psRainbow"}, psPale)
      .Float("PaletteMin", &TCustom3DPaletteSeries::PaletteMin, &TCustom3DPaletteSeries::SetPaletteMin, 0)
      .Float("PaletteStep", &TCustom3DPaletteSeries::PaletteStep, &TCustom3DPaletteSeries::SetPaletteStep, 0)
      .Bool("UsePaletteMin", &TCustom3DPaletteSeries::UsePaletteMin, &TCustom3DPaletteSeries::SetUsePaletteMin, false)
      .Int("LegendEvery", &TCustom3DPaletteSeries::LegendEvery, &TCustom3DPaletteSeries::SetLegendEvery, 1)
      .Event("OnGetColor", &TCustom3DPaletteSeries::OnGetColor);
  RegisterClass<TCustom3DGridSeries, TCustom3DPaletteSeries>("TCustom3DGridSeries")
      .Int("NumXValues", &TCustom3DGridSeries::NumXValues, &TCustom3DGridSeries::SetNumXValues, 10)
      .Int("NumZValues", &TCustom3DGridSeries::NumZValues, &TCustom3DGridSeries::SetNumZValues, 10)
      .Bool("IrregularGrid", &TCustom3DGridSeries::IrregularGrid, &TCustom3DGridSeries::SetIrregularGrid, false)
      .Event("OnGetYValue", &TCustom3DGridSeries::OnGetYValue);
  RegisterClass<TSurfaceSeries, TCustom3DGridSeries>("TSurfaceSeries")
      .Bool("DotFrame", &TSurfaceSeries::DotFrame, &TSurfaceSeries::SetDotFrame, false)
      .Bool("WireFrame", &TSurfaceSeries::WireFrame, &TSurfaceSeries::SetWireFrame, false)
      .Bool("FastBrush", &TSurfaceSeries::FastBrush, &TSurfaceSeries::SetFastBrush, false)
      .Object("SideBrush", &TSurfaceSeries::SideBrush)
      .Object("SideLines", &TSurfaceSeries::SideLines)
      .Bool("SmoothPalette", &TSurfaceSeries::SmoothPalette, &TSurfaceSeries::SetSmoothPalette, false)
      .Int("Transparency", &TSurfaceSeries::Transparency, &TSurfaceSeries::SetTransparency, 0);
  RegisterClass<TWaterFallSeries, TSurfaceSeries>("TWaterFallSeries")
      .Bool("WaterFall", &TWaterFallSeries::WaterFall, &TWaterFallSeries::SetWaterFall, true)
      .Object("WaterLines", &TWaterFallSeries::WaterLines);
}

// Colour grid series: the grid's value colours as an image over the axes.
#include "chart/TeeColorGrid.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "chart/Chart.h"
#include "chart/TeeConst.h"
#include "chart/TeeProCo.h"
#include "platform/graphics/Bitmap.h"
#include "platform/streaming/ClassProps.h"

TColorGridSeries::TColorGridSeries(TComponent* AOwner)
    : TCustom3DGridSeries(AOwner), frame_([this](TObject*) { Repaint(); }) {
  MarkChartDefaults(this);
}

TColorGridSeries::~TColorGridSeries() = default;

void TColorGridSeries::Assign(TPersistent* Source) {
  if (auto* s = dynamic_cast<TColorGridSeries*>(Source)) {
    centered_ = s->centered_;
    smooth_ = s->smooth_;
    frame_.Assign(&s->frame_);
  }
  TCustom3DGridSeries::Assign(Source);
}

double TColorGridSeries::MinXValue() { return x_values_->MinValue() - (centered_ ? 0.5 : 0); }
double TColorGridSeries::MaxXValue() { return x_values_->MaxValue() + (centered_ ? 0.5 : irregular_ ? 0 : 1); }
double TColorGridSeries::MinZValue() { return z_values_->MinValue() - (centered_ ? 0.5 : 0); }
double TColorGridSeries::MaxZValue() { return z_values_->MaxValue() + (centered_ ? 0.5 : irregular_ ? 0 : 1); }

double TColorGridSeries::ColumnValue(int X) const {
  for (int z = 1; z <= num_z_; ++z)
    if (const int i = GridIndex(X, z); i >= 0) return XValue(i);
  return std::nearbyint(x_values_->Count() ? x_values_->Value(0) : 0) + X - 1;
}

double TColorGridSeries::RowValue(int Z) const {
  for (int x = 1; x <= num_x_; ++x)
    if (const int i = GridIndex(x, Z); i >= 0) return z_values_->Value(i);
  return Z;
}

namespace {

// The image scaled to Width x Height, each pixel mixed from the four source pixels around it.
std::unique_ptr<TBitmap> SmoothStretch(TBitmap& Source, int Width, int Height) {
  auto out = std::make_unique<TBitmap>();
  out->SetPixelFormat(pf24bit);
  out->SetSize(Width, Height);
  const int sw = Source.Width(), sh = Source.Height();
  std::vector<TColor> src(static_cast<size_t>(sw) * static_cast<size_t>(sh));
  for (int y = 0; y < sh; ++y)
    for (int x = 0; x < sw; ++x) src[static_cast<size_t>(y) * static_cast<size_t>(sw) + static_cast<size_t>(x)] = Source.Canvas()->Pixel(x, y);
  auto at = [&](int x, int y) { return src[static_cast<size_t>(y) * static_cast<size_t>(sw) + static_cast<size_t>(x)]; };
  TCanvas* oc = out->Canvas();
  for (int y = 0; y < Height; ++y) {
    const double fy = std::clamp((y + 0.5) * sh / Height - 0.5, 0.0, sh - 1.0);
    const int y0 = static_cast<int>(fy), y1 = std::min(y0 + 1, sh - 1);
    const double ty = fy - y0;
    for (int x = 0; x < Width; ++x) {
      const double fx = std::clamp((x + 0.5) * sw / Width - 0.5, 0.0, sw - 1.0);
      const int x0 = static_cast<int>(fx), x1 = std::min(x0 + 1, sw - 1);
      const double tx = fx - x0;
      int rgb[3];
      for (int k = 0; k < 3; ++k) {
        auto comp = [&](TColor c) { return static_cast<double>((c >> (8 * k)) & 0xFF); };
        const double top = comp(at(x0, y0)) * (1 - tx) + comp(at(x1, y0)) * tx;
        const double bottom = comp(at(x0, y1)) * (1 - tx) + comp(at(x1, y1)) * tx;
        rgb[k] = static_cast<int>(std::lround(top * (1 - ty) + bottom * ty));
      }
      oc->SetPixel(x, y, static_cast<TColor>(rgb[0] | rgb[1] << 8 | rgb[2] << 16));
    }
  }
  return out;
}

}  // namespace

void TColorGridSeries::DrawAllValues() {
  if (Count() == 0 || !parent_) return;
  TChartAxis* h = GetHorizAxis();
  TChartAxis* v = GetVertAxis();
  if (!h || !v || num_x_ < 1 || num_z_ < 1) return;
  TTeeCanvas3D* c = parent_->ChartCanvas();
  const int d = irregular_ && !centered_ ? 1 : 0;
  // A cell's extent along one axis from the grid values of its column (or row).
  auto low = [&](double value) { return centered_ ? value - 0.5 : value; };
  auto high = [&](double value, double next) { return centered_ ? value + 0.5 : irregular_ ? next : value + 1; };
  // The visible columns and rows: those whose cells reach into the axes' ranges.
  auto visible = [&](int n, auto valueOf, TChartAxis* axis, int& first, int& last) {
    const double amin = std::min(axis->Minimum(), axis->Maximum()), amax = std::max(axis->Minimum(), axis->Maximum());
    first = 1;
    last = n;
    if (!axis->Automatic()) {
      while (first < n - d && high(valueOf(first), valueOf(first + 1)) <= amin) ++first;
      while (last > first + d && low(valueOf(last - d)) >= amax) --last;
    }
  };
  int x0, x1, z0, z1;
  visible(num_x_, [&](int x) { return ColumnValue(x); }, h, x0, x1);
  visible(num_z_, [&](int z) { return RowValue(z); }, v, z0, z1);
  const int cols = x1 - x0 + 1 - d, rows = z1 - z0 + 1 - d;
  if (cols < 1 || rows < 1) return;
  const double xlo = std::max(MinXValue(), low(ColumnValue(x0)));
  const double xhi = std::min(MaxXValue(), high(ColumnValue(x1 - d), ColumnValue(x1)));
  const double zlo = std::max(MinZValue(), low(RowValue(z0)));
  const double zhi = std::min(MaxZValue(), high(RowValue(z1 - d), RowValue(z1)));
  const int pl = h->CalcXPosValue(xlo), pr = h->CalcXPosValue(xhi);
  const int pb = v->CalcYPosValue(zlo), pt = v->CalcYPosValue(zhi);
  const bool flipX = pl > pr, flipZ = pt > pb;

  image_ = std::make_unique<TBitmap>();
  image_->SetPixelFormat(pf24bit);
  image_->SetSize(cols, rows);
  bool transparent = false;
  TCanvas* ic = image_->Canvas();
  for (int j = 0; j < rows; ++j) {
    const int z = flipZ ? z0 + j : z0 + rows - 1 - j;
    for (int i = 0; i < cols; ++i) {
      const int x = flipX ? x0 + cols - 1 - i : x0 + i;
      const int p = GridIndex(x, z);
      TColor color = p >= 0 ? GetValueColor(p) : clNone;
      if (color == clNone) {
        color = clWhite;
        transparent = true;
      }
      ic->SetPixel(i, j, ColorToRGB(color));
    }
  }
  if (transparent) {
    image_->SetTransparentColor(clWhite);
    image_->SetTransparent(true);
  }
  image_rect_ = TRect(std::min(pl, pr), std::min(pt, pb), std::max(pl, pr), std::max(pt, pb));
  TBitmap* shown = image_.get();
  std::unique_ptr<TBitmap> smooth;
  const int tw = image_rect_.Right - image_rect_.Left, th = image_rect_.Bottom - image_rect_.Top;
  if (smooth_ && cols > 1 && rows > 1 && tw > 0 && th > 0 && static_cast<long long>(tw) * th <= 1LL << 24) {
    smooth = SmoothStretch(*image_, tw, th);
    if (transparent) {
      smooth->SetTransparentColor(clWhite);
      smooth->SetTransparent(true);
    }
    shown = smooth.get();
  }
  if (parent_->View3D())
    c->StretchDraw3D(image_rect_, shown, StartZ);
  else
    c->StretchDraw(image_rect_, shown);

  const double half = centered_ ? 0.5 : 0;
  if (pen_->Visible()) {
    c->SetBackMode(TRANSPARENT);
    c->AssignVisiblePen(pen_.get());
    for (int k = 1; k <= (num_z_ - d - 1) / z_every_; ++k) {
      const int y = v->CalcYPosValue(RowValue(z_every_ * k + 1) - half);
      if (parent_->View3D())
        c->HorizLine3D(image_rect_.Left, image_rect_.Right, y, StartZ);
      else
        c->DoHorizLine(image_rect_.Left, image_rect_.Right, y);
    }
    for (int k = 1; k <= (num_x_ - d - 1) / x_every_; ++k) {
      const int x = h->CalcXPosValue(ColumnValue(x_every_ * k + 1) - half);
      if (parent_->View3D())
        c->VertLine3D(x, image_rect_.Top, image_rect_.Bottom, StartZ);
      else
        c->DoVertLine(x, image_rect_.Top, image_rect_.Bottom);
    }
  }
  if (frame_.Visible()) {
    c->SetBackMode(TRANSPARENT);
    c->AssignVisiblePen(&frame_);
    c->Brush()->SetStyle(bsClear);
    c->RectangleWithZ(image_rect_, StartZ);
  }
}

void TColorGridSeries::DrawMark(int ValueIndex, const AnsiString& Text, TSeriesMarkPosition& P) {
  const double half = !irregular_ && !centered_ ? 0.5 : 0;
  if (TChartAxis* h = GetHorizAxis()) P.LeftTop.x = h->CalcXPosValue(XValue(ValueIndex) + half) - P.Width / 2;
  if (TChartAxis* v = GetVertAxis()) P.LeftTop.y = v->CalcYPosValue(z_values_->Value(ValueIndex) + half) - P.Height / 2;
  marks_->DrawItem(ValueIndex, GetValueColor(ValueIndex), P, Text);
}

int TColorGridSeries::Clicked(int X, int Y) {
  TChartAxis* h = GetHorizAxis();
  TChartAxis* v = GetVertAxis();
  if (!h || !v || Count() == 0) return -1;
  const double xv = h->PixelToValue(X), zv = v->PixelToValue(Y);
  int x = -1, z = -1;
  if (!irregular_) {
    const double dz = zv - z_values_->MinValue(), dx = xv - x_values_->MinValue();
    z = dz < 0 ? -1 : static_cast<int>(dz);
    x = dx < 0 ? -1 : static_cast<int>(dx);
    if (z >= num_z_ - 1) z = -1;
    if (x >= num_x_ - 1) x = -1;
  } else {
    // The grid's columns and rows in ascending order, as the grid index holds them.
    for (int i = 0; i + 1 < num_z_ && z < 0; ++i)
      if (RowValue(i + 1) <= zv && zv < RowValue(i + 2)) z = i;
    for (int j = 0; j + 1 < num_x_ && x < 0; ++j)
      if (ColumnValue(j + 1) <= xv && xv < ColumnValue(j + 2)) x = j;
  }
  if (x < 0 || z < 0) return -1;
  return GridIndex(x + 1, z + 1);
}

std::vector<AnsiString> TColorGridSeries::CreateSubGallery() const { return {TeeMsg_Normal, TeeMsg_ColorRange, TeeMsg_NoGrid}; }

void TColorGridSeries::SetSubGallery(int Index) {
  if (Index == 1) {
    SetUseColorRange(true);
    SetUsePalette(false);
  } else if (Index == 2) {
    pen_->SetVisible(false);
  }
}

void TColorGridSeries::PrepareForGallery(bool Enabled) {
  TCustom3DGridSeries::PrepareForGallery(Enabled);
  CreateSampleValues(8, 4);
  if (!parent_) return;
  parent_->SetView3D(Enabled);
  parent_->ClipPoints = true;
}

void RegisterColorGridClasses() {
  RegisterClass<TColorGridSeries, TCustom3DGridSeries>("TColorGridSeries")
      .Bool("CenteredPoints", &TColorGridSeries::CenteredPoints, &TColorGridSeries::SetCenteredPoints, false)
      .Object("Frame", &TColorGridSeries::Frame)
      .Bool("SmoothBitmap", &TColorGridSeries::SmoothBitmap, &TColorGridSeries::SetSmoothBitmap, false)
      .Int("XGridEvery", &TColorGridSeries::XGridEvery, &TColorGridSeries::SetXGridEvery, 1)
      .Int("ZGridEvery", &TColorGridSeries::ZGridEvery, &TColorGridSeries::SetZGridEvery, 1);
}

#include "chart/TeCanvas.h"
#include "chart/TeCanvasRound.h"

#include <cmath>
#include <cstdint>

#include "chart/TeeConst.h"
#include "chart/TeeProcs.h"
#include "platform/rtl/Numbers.h"
#include "platform/rtl/SysUtils.h"

int TeeDarkerSides = 128;
int TeeDarkerTopBottom = 64;

namespace {

using tecanvas::kPi;
using tecanvas::Rnd;

int Clamp(int v) { return std::clamp(v, -TeeMaxPixelCoordinate, TeeMaxPixelCoordinate); }
TPoint Clamp(TPoint p) { return {Clamp(p.x), Clamp(p.y)}; }

// Clips the segment a-b to the coordinate limits (Liang-Barsky), so that a line to a
// far-away point keeps its slope instead of bending at the clamp.
bool ClipSegment(TPoint& a, TPoint& b) {
  const double lim = TeeMaxPixelCoordinate;
  double x0 = a.x, y0 = a.y, x1 = b.x, y1 = b.y;
  if (std::fabs(x0) <= lim && std::fabs(y0) <= lim && std::fabs(x1) <= lim && std::fabs(y1) <= lim) return true;
  double t0 = 0, t1 = 1;
  const double dx = x1 - x0, dy = y1 - y0;
  const double p[4] = {-dx, dx, -dy, dy}, q[4] = {x0 + lim, lim - x0, y0 + lim, lim - y0};
  for (int i = 0; i < 4; ++i) {
    if (p[i] == 0) {
      if (q[i] < 0) return false;
    } else {
      const double r = q[i] / p[i];
      if (p[i] < 0) {
        if (r > t1) return false;
        t0 = std::max(t0, r);
      } else {
        if (r < t0) return false;
        t1 = std::min(t1, r);
      }
    }
  }
  a = {Rnd(x0 + t0 * dx), Rnd(y0 + t0 * dy)};
  b = {Rnd(x0 + t1 * dx), Rnd(y0 + t1 * dy)};
  return true;
}

std::vector<TPoint> Clamped(const std::vector<TPoint>& pts) {
  std::vector<TPoint> r;
  r.reserve(pts.size());
  for (const TPoint& p : pts) r.push_back(Clamp(p));
  return r;
}

}  // namespace

// ---------------------------------------------------------------------------------------
// TView3DOptions

void TView3DOptions::Assign(TPersistent* Source) {
  auto* s = dynamic_cast<TView3DOptions*>(Source);
  if (!s) return TPersistent::Assign(Source);
  elevation_ = s->elevation_;
  font_zoom_ = s->font_zoom_;
  horiz_offset_ = s->horiz_offset_;
  orthogonal_ = s->orthogonal_;
  ortho_angle_ = s->ortho_angle_;
  perspective_ = s->perspective_;
  rotation_ = s->rotation_;
  tilt_ = s->tilt_;
  vert_offset_ = s->vert_offset_;
  zoom_ = s->zoom_;
  zoom_text_ = s->zoom_text_;
  if (OnRepaint) OnRepaint();
}

void TView3DOptions::SetHorizOffset(int v) {
  if (v == horiz_offset_) return;
  Set(horiz_offset_, v);
  if (OnScroll) OnScroll(true);
}

void TView3DOptions::SetVertOffset(int v) {
  if (v == vert_offset_) return;
  Set(vert_offset_, v);
  if (OnScroll) OnScroll(false);
}

void TView3DOptions::SetZoom(int v) {
  // Below 1 % the projection collapses to a point, and negative zooms mirror the chart.
  v = std::max(v, MinimumZoom);
  if (v == zoom_) return;
  if (OnZoom) OnZoom(v);
  Set(zoom_, v);
}

double TView3DOptions::CalcOrthoRatio() const {
  if (!orthogonal_) return 1;
  int a = ortho_angle_;
  if (a > 90) a = 180 - a;
  return std::tan(a * kPi / 180);
}

// ---------------------------------------------------------------------------------------
// Pens and brushes

void TChartPen::Fire() {
  if (OnChange) OnChange(this);
}

void TChartPen::Assign(TPersistent* Source) {
  if (auto* s = dynamic_cast<TChartPen*>(Source)) {
    visible_ = s->visible_;
    small_dots_ = s->small_dots_;
    end_style_ = s->end_style_;
  }
  TPen::Assign(Source);
}

void TChartPen::SetVisible(bool v) {
  if (v == visible_) return;
  visible_ = v;
  Fire();
}

void TChartPen::SetSmallDots(bool v) {
  if (v == small_dots_) return;
  small_dots_ = v;
  Fire();
}

void TChartPen::SetEndStyle(TPenEndStyle v) {
  if (v == end_style_) return;
  end_style_ = v;
  Fire();
}

TChartHiddenPen::TChartHiddenPen(TNotifyEvent OnChange) {
  visible_ = default_visible_ = false;
  this->OnChange = std::move(OnChange);
}

TDottedGrayPen::TDottedGrayPen(TNotifyEvent OnChange) {
  SetColor(clGray);
  SetStyle(psDot);
  this->OnChange = std::move(OnChange);
}

TDarkGrayPen::TDarkGrayPen(TNotifyEvent OnChange) {
  SetColor(clGray);
  this->OnChange = std::move(OnChange);
}

TWhitePen::TWhitePen(TNotifyEvent OnChange) {
  SetColor(clWhite);
  this->OnChange = std::move(OnChange);
}

TChartBrush::TChartBrush(TNotifyEvent OnChange) {
  SetColor(clTeeColor);
  this->OnChange = std::move(OnChange);
}

TChartBrush::~TChartBrush() = default;

TPicture* TChartBrush::Image() {
  if (!image_) {
    image_ = std::make_unique<TPicture>();
    image_->OnChange = [this](TObject*) {
      if (OnChange) OnChange(this);
    };
  }
  return image_.get();
}

void TChartBrush::SetImage(TPicture* Picture) {
  if (!Picture) {
    image_.reset();
  } else {
    // One notification for the whole write, not a second one from the picture itself.
    TPicture* image = Image();
    TNotifyEvent forward = std::move(image->OnChange);
    image->Assign(Picture);
    image->OnChange = std::move(forward);
  }
  if (OnChange) OnChange(this);
}

void TChartBrush::Assign(TPersistent* Source) {
  if (auto* s = dynamic_cast<TChartBrush*>(Source)) {
    if (s->image_)
      Image()->Assign(s->image_.get());
    else
      image_.reset();
  }
  TBrush::Assign(Source);
}

// ---------------------------------------------------------------------------------------
// Gradients

void TCustomTeeGradient::Assign(TPersistent* Source) {
  auto* s = dynamic_cast<TCustomTeeGradient*>(Source);
  if (!s) return TPersistent::Assign(Source);
  balance_ = s->balance_;
  direction_ = s->direction_;
  end_color_ = s->end_color_;
  mid_color_ = s->mid_color_;
  use_middle_ = s->use_middle_;
  radial_x_ = s->radial_x_;
  radial_y_ = s->radial_y_;
  start_color_ = s->start_color_;
  visible_ = s->visible_;
  if (OnChange) OnChange(this);
}

void TTeeFontGradient::Assign(TPersistent* Source) {
  if (auto* s = dynamic_cast<TTeeFontGradient*>(Source)) outline_ = s->outline_;
  TCustomTeeGradient::Assign(Source);
}

void TCustomTeeGradient::SetMidColor(TColor v) {
  if (v == clNone) {
    if (!use_middle_) return;
    use_middle_ = false;
  } else {
    if (use_middle_ && mid_color_ == v) return;
    use_middle_ = true;
    mid_color_ = v;
  }
  if (OnChange) OnChange(this);
}

void TCustomTeeGradient::Draw(TTeeCanvas* Canvas, const TRect& Rect, int RoundRectSize) {
  const TColor start = ColorToRGB(start_color_), end = ColorToRGB(end_color_);
  if (RoundRectSize > 0) Canvas->ClipRoundRectangle(Rect, RoundRectSize);
  if (direction_ == gdRadial) {
    DrawRadial(Canvas, Rect);
  } else if (use_middle_ && direction_ != gdDiagonalUp && direction_ != gdDiagonalDown) {
    const TColor mid = ColorToRGB(mid_color_);
    const TRect r = NormalizeRect(Rect);
    switch (direction_) {
      case gdTopBottom:
      case gdBottomTop: {
        // The plain fill puts the start colour at the bottom for top-to-bottom.
        const int m = (r.Top + r.Bottom) / 2;
        const TColor bottom = direction_ == gdTopBottom ? start : end, top = direction_ == gdTopBottom ? end : start;
        Canvas->GradientFill(TRect(r.Left, r.Top, r.Right, m), mid, top, gdTopBottom, 50);
        Canvas->GradientFill(TRect(r.Left, m, r.Right, r.Bottom), bottom, mid, gdTopBottom, 50);
        break;
      }
      case gdLeftRight:
      case gdRightLeft: {
        const int m = (r.Left + r.Right) / 2;
        const TColor right = direction_ == gdLeftRight ? start : end, left = direction_ == gdLeftRight ? end : start;
        Canvas->GradientFill(TRect(r.Left, r.Top, m, r.Bottom), mid, left, gdLeftRight, 50);
        Canvas->GradientFill(TRect(m, r.Top, r.Right, r.Bottom), right, mid, gdLeftRight, 50);
        break;
      }
      default:
        Canvas->GradientFill(Rect, start, end, direction_, 50);
        break;
    }
  } else {
    Canvas->GradientFill(Rect, start, end, direction_, balance_);
  }
  if (RoundRectSize > 0) Canvas->UnClipRectangle();
}

namespace {
TColor StepColor(TColor a, TColor b, int i, int n, int balance) {
  const int ar = GetRValue(a), ag = GetGValue(a), ab = GetBValue(a);
  const int dr = GetRValue(b) - ar, dg = GetGValue(b) - ag, db = GetBValue(b) - ab;
  if (n <= 0) return a;
  if (balance == 50) return RGB(ar + dr * i / n, ag + dg * i / n, ab + db * i / n);
  const double f = std::pow((1.0 + i) / (1.0 + n), balance * 0.015 + 0.5);
  return RGB(ar + Rnd(dr * f), ag + Rnd(dg * f), ab + Rnd(db * f));
}
}  // namespace

void TCustomTeeGradient::DrawRadial(TTeeCanvas* Canvas, TRect Rect) {
  Rect = NormalizeRect(Rect);
  const int w = Rect.Width(), h = Rect.Height();
  if (w <= 0 || h <= 0) return;
  Canvas->ClipRectangle(Rect);
  int n = std::min(255, std::max(w, h));
  if (w % 2 == 1 || h % 2 == 1) --n;
  const double cx = radial_x_ + 1 + (Rect.Left + Rect.Right) / 2.0, cy = radial_y_ + 1 + (Rect.Top + Rect.Bottom) / 2.0;
  const double sx = n > 0 ? w / 2.0 / n : 0, sy = n > 0 ? h / 2.0 / n : 0;
  const TColor start = ColorToRGB(start_color_), end = ColorToRGB(end_color_);
  const TPenStyle savedPen = Canvas->Pen()->Style();
  const TColor savedBrush = Canvas->Brush()->Color();
  const TBrushStyle savedStyle = Canvas->Brush()->Style();
  Canvas->Pen()->SetStyle(psClear);
  Canvas->Brush()->SetStyle(bsSolid);
  Canvas->Brush()->SetColor(end);
  Canvas->FillRect(Rect);
  for (int i = n; i >= 0; --i) {
    Canvas->Brush()->SetColor(StepColor(start, end, i, n, balance_));
    const int rx = Rnd(i * sx), ry = Rnd(i * sy);
    Canvas->Ellipse(Rnd(cx - rx), Rnd(cy - ry), Rnd(cx + rx) + 1, Rnd(cy + ry) + 1);
  }
  Canvas->Pen()->SetStyle(savedPen);
  Canvas->Brush()->SetColor(savedBrush);
  Canvas->Brush()->SetStyle(savedStyle);
  Canvas->UnClipRectangle();
}

void TCustomTeeGradient::DrawPolygon(TCanvas3D* Canvas, const std::vector<TPoint>& Points, int Z, bool Is3D) {
  std::vector<TPoint> p = Points;
  if (Is3D)
    for (TPoint& q : p) q = Canvas->Calculate3DPosition(q.x, q.y, Z);
  Canvas->ClipPolygon(p);
  Draw(Canvas, PolygonBounds(p));
  Canvas->UnClipRectangle();
}

// ---------------------------------------------------------------------------------------
// Shadow

TTeeShadow::TTeeShadow(TNotifyEvent OnChange, TColor DefaultColor, int DefaultSize)
    : OnChange(std::move(OnChange)),
      color_(DefaultColor),
      default_color_(DefaultColor),
      horiz_(DefaultSize),
      vert_(DefaultSize),
      default_size_(DefaultSize) {
  SetOwnOrdDefault("Color", DefaultColor);
  SetOwnOrdDefault("HorizSize", DefaultSize);
  SetOwnOrdDefault("VertSize", DefaultSize);
}

void TTeeShadow::Assign(TPersistent* Source) {
  auto* s = dynamic_cast<TTeeShadow*>(Source);
  if (!s) return TPersistent::Assign(Source);
  color_ = s->color_;
  horiz_ = s->horiz_;
  vert_ = s->vert_;
  smooth_ = s->smooth_;
  transparency_ = s->transparency_;
  if (OnChange) OnChange(this);
}

void TTeeShadow::SetSize(int v) {
  if (horiz_ == v && vert_ == v) return;
  horiz_ = vert_ = v;
  if (OnChange) OnChange(this);
}

void TTeeShadow::Draw(TCanvas3D* Canvas, const TRect& Rect, int Z) {
  if (color_ == clNone || (horiz_ == 0 && vert_ == 0)) return;
  auto* c3 = dynamic_cast<TTeeCanvas3D*>(Canvas);
  const bool rotated = c3 && c3->Is3D;
  Canvas->Brush()->SetStyle(bsSolid);
  Canvas->Brush()->SetColor(color_);
  Canvas->Pen()->SetStyle(psClear);
  const TRect shifted(Rect.Left + horiz_, Rect.Top + vert_, Rect.Right + horiz_, Rect.Bottom + vert_);
  TTeeBlend* blend = nullptr;
  if (transparency_ > 0) blend = Canvas->BeginBlending(Canvas->RectFromRectZ(shifted, Z), transparency_);
  if (smooth_ && Size() > 2) {
    const TColor rgb = ColorToRGB(color_);
    const int step = Rnd((255 - (GetRValue(rgb) + GetGValue(rgb) + GetBValue(rgb)) / 3.0) / Size());
    TColor pen = rgb;
    Canvas->Pen()->SetStyle(psSolid);
    Canvas->Pen()->SetWidth(1);
    auto line = [&](int x0, int y0, int x1, int y1) {
      Canvas->Pen()->SetColor(pen);
      if (rotated) {
        Canvas->MoveTo3D(x0, y0, Z);
        Canvas->LineTo3D(x1, y1, Z);
      } else {
        Canvas->Line(x0, y0, x1, y1);
      }
      pen = LightenColor(pen, step);
    };
    for (int i = 1; i <= vert_; ++i)
      line(Rect.Left + horiz_ + i - 1, Rect.Bottom + i - 1, Rect.Right + i - 1 + 1, Rect.Bottom + i - 1);
    pen = rgb;
    for (int i = 1; i <= horiz_; ++i) {
      const int x = Rect.Right + i - 1, y0 = Rect.Top + vert_ + i - 1, y1 = Rect.Bottom + vert_ - 1;
      line(x, y0, x, y1);
      Canvas->SetPixel(x, y1, pen);
    }
  } else if (rotated) {
    Canvas->RectangleWithZ(shifted, Z);
  } else {
    Canvas->Rectangle(shifted.Left, shifted.Top, shifted.Right, shifted.Bottom);
  }
  if (blend) Canvas->EndBlending(blend);
}

// ---------------------------------------------------------------------------------------
// Font

AnsiString TeeDefaultFontName() { return TeeMsg_DefaultFontName.empty() ? AnsiString("Arial") : TeeMsg_DefaultFontName; }

int TeeDefaultFontSize() {
  const int s = StrToIntDef(TeeMsg_DefaultFontSize, 8);
  return s > 0 ? s : 8;
}

TTeeFont::TTeeFont(TNotifyEvent OnChange) {
  SetColor(clBlack);
  SetName(TeeDefaultFontName());
  SetSize(TeeDefaultFontSize());
  this->OnChange = std::move(OnChange);
}

TTeeFont::~TTeeFont() = default;

void TTeeFont::Fire() {
  if (OnChange) OnChange(this);
}

void TTeeFont::Assign(TPersistent* Source) {
  if (auto* s = dynamic_cast<TTeeFont*>(Source)) {
    inter_char_size_ = s->inter_char_size_;
    if (s->gradient_) Gradient()->Assign(s->gradient_.get()); else gradient_.reset();
    if (s->outline_) OutLine()->Assign(s->outline_.get()); else outline_.reset();
    if (s->shadow_) Shadow()->Assign(s->shadow_.get()); else shadow_.reset();
  }
  TFont::Assign(Source);
}

void TTeeFont::SetInterCharSize(int v) {
  if (v == inter_char_size_) return;
  inter_char_size_ = v;
  Fire();
}

TTeeFontGradient* TTeeFont::Gradient() {
  if (!gradient_) {
    gradient_ = std::make_unique<TTeeFontGradient>([this](TObject*) { Fire(); });
    MarkOwnDefaults(gradient_.get());
  }
  return gradient_.get();
}

TChartHiddenPen* TTeeFont::OutLine() {
  if (!outline_) {
    outline_ = std::make_unique<TChartHiddenPen>([this](TObject*) { Fire(); });
    MarkOwnDefaults(outline_.get());
  }
  return outline_.get();
}

TTeeShadow* TTeeFont::Shadow() {
  if (!shadow_) {
    shadow_ = std::make_unique<TTeeShadow>([this](TObject*) { Fire(); });
    MarkOwnDefaults(shadow_.get());
  }
  return shadow_.get();
}

void TTeeFont::SetGradient(TTeeFontGradient* g) {
  if (!g) gradient_.reset(); else Gradient()->Assign(g);
  Fire();
}

void TTeeFont::SetOutLine(TChartHiddenPen* p) {
  if (!p) outline_.reset(); else OutLine()->Assign(p);
  Fire();
}

void TTeeFont::SetShadow(TTeeShadow* s) {
  if (!s) shadow_.reset(); else Shadow()->Assign(s);
  Fire();
}

TColor DarkenColor(TColor Color, int Quantity) {
  const TColor c = ColorToRGB(Color);
  auto d = [Quantity](int v) { return Quantity >= v ? 0 : v - Quantity; };
  return RGB(d(GetRValue(c)), d(GetGValue(c)), d(GetBValue(c)));
}

TColor LightenColor(TColor Color, int Quantity) {
  const TColor c = ColorToRGB(Color);
  auto l = [Quantity](int v) { return std::min(255, v + Quantity); };
  return RGB(l(GetRValue(c)), l(GetGValue(c)), l(GetBValue(c)));
}

// ---------------------------------------------------------------------------------------
// Blend

TTeeBlend::TTeeBlend(TTeeCanvas* Canvas, const TRect& Rect) : canvas_(Canvas) { SetRectangle(Rect); }
TTeeBlend::~TTeeBlend() = default;

void TTeeBlend::SetRectangle(const TRect& Rect) {
  TRect r = NormalizeRect(Rect);
  r.Left = std::max(r.Left, 0);
  r.Top = std::max(r.Top, 0);
  if (r.Right - r.Left < 1) r.Right = r.Left + 1;
  if (r.Bottom - r.Top < 1) r.Bottom = r.Top + 1;
  const TRect& b = canvas_->Bounds;
  const int bw = b.Right - b.Left, bh = b.Bottom - b.Top;
  if (bw > 0) r.Right = std::min(r.Right, bw);
  if (bh > 0) r.Bottom = std::min(r.Bottom, bh);
  const TSize surface = canvas_->Canvas() ? canvas_->Canvas()->SurfaceSize() : TSize();
  r.Right = std::min(r.Right, surface.cx);
  r.Bottom = std::min(r.Bottom, surface.cy);
  rect_ = r;
  valid_ = r.Right > r.Left && r.Bottom > r.Top;
  saved_.clear();
  if (!valid_) return;
  saved_.reserve(static_cast<size_t>(r.Width()) * r.Height());
  for (int y = r.Top; y < r.Bottom; ++y)
    for (int x = r.Left; x < r.Right; ++x) saved_.push_back(static_cast<uint32_t>(canvas_->Canvas()->Pixel(x, y)));
}

void TTeeBlend::DoBlend(int Transparency) {
  if (canvas_->Metafiling || !valid_) return;
  TCanvas* c = canvas_->Canvas();
  size_t k = 0;
  for (int y = rect_.Top; y < rect_.Bottom; ++y)
    for (int x = rect_.Left; x < rect_.Right; ++x, ++k) {
      TColor cur = c->Pixel(x, y);
      if (cur == CLR_INVALID) continue;
      if ((cur & 0xFFFFFF) == 0xFFFFFF) cur = (cur & ~0xFF) | 254;
      const TColor old = static_cast<TColor>(saved_[k]);
      auto mix = [Transparency](int n, int o) { return n + (o - n) * Transparency / 100; };
      const TColor out = RGB(mix(GetRValue(cur), GetRValue(old)), mix(GetGValue(cur), GetGValue(old)),
                             mix(GetBValue(cur), GetBValue(old)));
      if (out != cur) c->SetPixel(x, y, out);
    }
}

// ---------------------------------------------------------------------------------------
// TTeeCanvas

void TTeeCanvas::SetCanvas(TCanvas* Canvas) { canvas_ = Canvas; }

void TTeeCanvas::ResetState() {
  Pen()->SetColor(clBlack);
  Pen()->SetWidth(1);
  Pen()->SetStyle(psSolid);
  Pen()->SetMode(pmCopy);
  Brush()->SetColor(clWhite);
  Brush()->SetStyle(bsSolid);
  Font()->SetColor(clBlack);
  Font()->SetStyle(TFontStyles());
  Font()->SetCharset(DEFAULT_CHARSET);
  Font()->SetName(TeeDefaultFontName());
  Font()->SetSize(TeeDefaultFontSize());
  Font()->SetOrientation(0);
  BlendTransparency = 0;
  ChartFont = nullptr;
  SetBackColor(clWhite);
  SetBackMode(TRANSPARENT);
  SetTextAlign(TA_LEFT | TA_TOP);
}

void TTeeCanvas::AssignBrush(TChartBrush* Brush, TColor Color) { AssignBrushColor(Brush, Color, Brush->Color()); }

void TTeeCanvas::AssignBrushColor(TChartBrush* Brush, TColor Color, TColor BackColor) {
  if (GetMonochrome()) Color = clWhite;
  if (Brush->HasImage()) {
    this->Brush()->SetStyle(bsClear);
    SetBrushPattern(Brush->Image()->Graphic(), Color);
    SetBackMode(OPAQUE);
    SetBackColor(BackColor);
    return;
  }
  if (this->Brush()->Bitmap()) this->Brush()->SetBitmap(nullptr);
  if (this->Brush()->Color() != Color) this->Brush()->SetColor(Color);
  if (this->Brush()->Style() != Brush->Style()) this->Brush()->SetStyle(Brush->Style());
  if (BackColor == clNone) {
    SetBackMode(TRANSPARENT);
  } else {
    SetBackMode(OPAQUE);
    SetBackColor(BackColor);
  }
}

void TTeeCanvas::SetBrushPattern(TGraphic* Image, TColor TextColor) {
  if (!pattern_) pattern_ = std::make_shared<TBitmap>();
  TBitmap& p = *pattern_;
  if (auto* b = dynamic_cast<TBitmap*>(Image)) {
    p.Assign(b);
  } else {
    p.SetSize(Image->Width(), Image->Height());
    Image->Draw(p.Canvas(), TRect(0, 0, Image->Width(), Image->Height()));
  }
  // A pattern brush fills with every pixel of its bitmap: the image's own transparency
  // does not apply.
  p.SetTransparent(false);
  p.SetPixelFormat(pf32bit);
  const int w = p.Width(), h = p.Height();
  ink_.assign(static_cast<size_t>(w) * h, 0);
  two_colour_ = true;
  for (int y = 0; y < h && two_colour_; ++y) {
    const uint8_t* line = p.ScanLine(y);
    for (int x = 0; x < w; ++x) {
      const uint8_t* px = line + 4 * x;
      const bool black = px[0] == 0 && px[1] == 0 && px[2] == 0;
      const bool white = px[0] == 0xFF && px[1] == 0xFF && px[2] == 0xFF;
      if (!black && !white) {
        two_colour_ = false;
        break;
      }
      ink_[static_cast<size_t>(y) * w + x] = black;
    }
  }
  if (!two_colour_) ink_.clear();
  text_color_ = TextColor;
  Brush()->SetBitmap(pattern_);
}

void TTeeCanvas::RecolorPattern() {
  if (!pattern_ || !two_colour_ || Brush()->Bitmap() != pattern_.get()) return;
  const TColor back = GetBackColor();
  // Without a back colour (none, or the brush's "no colour of its own") or in
  // transparent mode the clear pixels leave what lies beneath, as a hatch does.
  const bool seeThrough = GetBackMode() == TRANSPARENT || back == clNone || back == clTeeColor;
  const TColor ink = ColorToRGB(text_color_);
  const TColor paper = seeThrough ? (ink ^ 0x000001) : ColorToRGB(back);
  TBitmap& p = *pattern_;
  const int w = p.Width(), h = p.Height();
  for (int y = 0; y < h; ++y) {
    uint8_t* line = p.ScanLine(y);
    for (int x = 0; x < w; ++x) {
      const TColor c = ink_[static_cast<size_t>(y) * w + x] ? ink : paper;
      line[4 * x] = GetBValue(c);
      line[4 * x + 1] = GetGValue(c);
      line[4 * x + 2] = GetRValue(c);
    }
  }
  p.SetTransparent(seeThrough);
  if (seeThrough) p.SetTransparentColor(paper);
}

void TTeeCanvas::AssignVisiblePenColor(TPen* Pen, TColor Color) {
  if (GetMonochrome()) Color = clBlack;
  if (auto* cp = dynamic_cast<TChartPen*>(Pen)) {
    if (!cp->Visible()) {
      this->Pen()->SetStyle(psClear);
      return;
    }
    this->Pen()->Assign(Pen);
    // Small dots: every other pixel of a one-pixel line.
    if (cp->SmallDots()) {
      this->Pen()->SetWidth(1);
      this->Pen()->SetStyle(psAlternate);
    }
    // The end style shapes the ends and corners of wide lines; one-pixel lines ignore it.
    static constexpr TPenEndCap caps[] = {pecRound, pecSquare, pecFlat};
    static constexpr TPenJoin joins[] = {pjRound, pjBevel, pjMiter};
    this->Pen()->SetEndCap(caps[cp->EndStyle()]);
    this->Pen()->SetJoin(joins[cp->EndStyle()]);
    this->Pen()->SetColor(Color);
    return;
  }
  this->Pen()->Assign(Pen);
  this->Pen()->SetColor(Color);
}

void TTeeCanvas::AssignFont(TTeeFont* F) {
  const int ppi = F->PixelsPerInch();
  Font()->Assign(F);
  Font()->SetPixelsPerInch(ppi);
  if (FontZoom != 100) Font()->SetSize(Rnd(F->Size() * FontZoom * 0.01));
  if (GetMonochrome()) Font()->SetColor(clBlack);
  ChartFont = F;
  F->LastCanvas = this;
}

void TTeeCanvas::SetDarkBrushColor(TColor Color, int Quantity) {
  // No colour (a pattern whose gaps show what lies beneath) has nothing to darken: the darker
  // faces stay see-through as well instead of turning black.
  if (Color == clNone || Color == clTeeColor) return;
  RestoreBrushColor(DarkenColor(Color, Quantity));
}

void TTeeCanvas::RestoreBrushColor(TColor Color) {
  if (Brush()->Style() == bsSolid) {
    if (Brush()->Color() != Color) Brush()->SetColor(Color);
  } else {
    SetBackColor(Color);
  }
}

TTeeBlend* TTeeCanvas::BeginBlending(const TRect& R, int Transparency) {
  BlendTransparency = Transparency;
  return new TTeeBlend(this, R);
}

void TTeeCanvas::EndBlending(TTeeBlend* Blend) {
  if (!Blend) return;
  Blend->DoBlend(BlendTransparency);
  delete Blend;
}

void TTeeCanvas::Frame3D(TRect& Rect, TColor TopColor, TColor BottomColor, int Width) {
  Pen()->SetWidth(1);
  Pen()->SetStyle(psSolid);
  for (int i = 0; i < Width; ++i) {
    Pen()->SetColor(TopColor);
    Polyline({{Rect.Left, Rect.Bottom - 1}, {Rect.Left, Rect.Top}, {Rect.Right - 1, Rect.Top}});
    Pen()->SetColor(BottomColor);
    Polyline({{Rect.Right - 1, Rect.Top}, {Rect.Right - 1, Rect.Bottom - 1}, {Rect.Left - 1, Rect.Bottom - 1}});
    Rect = TRect(Rect.Left + 1, Rect.Top + 1, Rect.Right - 1, Rect.Bottom - 1);
  }
}

int TTeeCanvas::TextWidth(const AnsiString& Text) {
  int w = canvas_->TextWidth(Text);
  if (ChartFont) {
    w += ChartFont->InterCharSize() * static_cast<int>(Text.size());
    if (ChartFont->HasShadow()) w += std::abs(ChartFont->ShadowIfAny()->HorizSize());
  }
  return w;
}

int TTeeCanvas::TextHeight(const AnsiString& Text) {
  int h = canvas_->TextHeight(Text);
  if (ChartFont && ChartFont->HasShadow()) h += std::abs(ChartFont->ShadowIfAny()->VertSize());
  return h;
}

void TTeeCanvas::ClipRoundRectangle(const TRect& Rect, int RoundSize) {
  // A rounded rectangle: the rectangle less its four corners, plus the corner circles.
  const TRect r = NormalizeRect(Rect);
  const int s = std::min({RoundSize, r.Width(), r.Height()});
  if (s <= 1) return ClipRectangle(r);
  TRegion a = TRegion::FromRect(TRect(r.Left + s / 2, r.Top, r.Right - s / 2, r.Bottom));
  TRegion b = TRegion::FromRect(TRect(r.Left, r.Top + s / 2, r.Right, r.Bottom - s / 2));
  TRegion region;
  region.Combine(a, b, RGN_OR);
  for (const TRect& e : {TRect(r.Left, r.Top, r.Left + s, r.Top + s), TRect(r.Right - s, r.Top, r.Right, r.Top + s),
                         TRect(r.Left, r.Bottom - s, r.Left + s, r.Bottom), TRect(r.Right - s, r.Bottom - s, r.Right, r.Bottom)}) {
    TRegion c = region;
    region.Combine(c, TRegion::FromEllipse(e), RGN_OR);
  }
  PushClip(region, false);
}

void TTeeCanvas::ClipEllipse(const TRect& Rect, bool Inverted) { PushClip(TRegion::FromEllipse(NormalizeRect(Rect)), Inverted); }

void TTeeCanvas::ClipPolygon(std::vector<TPoint> Points) { PushClip(TRegion::FromPolygon(Clamped(Points), ALTERNATE), false); }

// ---------------------------------------------------------------------------------------
// TCanvas3D

void TCanvas3D::DisableRotationCounted() {
  if (RotationCounter == 0) DisableRotation();
  ++RotationCounter;
}

void TCanvas3D::EnableRotationCounted() {
  if (RotationCounter > 0 && --RotationCounter == 0) EnableRotation();
}

void TCanvas3D::CircleWithZ(int XCenter, int YCenter, int Radius, int Z) {
  EllipseWithZ(XCenter - Radius, YCenter - Radius, XCenter + Radius, YCenter + Radius, Z);
}

TRect TCanvas3D::CalcRect3D(const TRect& R, int Z) {
  const TPoint a = Calculate3DPosition(R.Left, R.Top, Z), b = Calculate3DPosition(R.Right, R.Bottom, Z);
  return {a.x, a.y, b.x, b.y};
}

std::vector<TPoint> TCanvas3D::FourPointsFromRect(const TRect& R, int Z) {
  return {Calculate3DPosition(R.Left, R.Top, Z), Calculate3DPosition(R.Right, R.Top, Z),
          Calculate3DPosition(R.Right, R.Bottom, Z), Calculate3DPosition(R.Left, R.Bottom, Z)};
}

TRect TCanvas3D::RectFromRectZ(const TRect& R, int Z) {
  const std::vector<TPoint> p = FourPointsFromRect(R, Z);
  return RectFromPolygon(p.data(), 4);
}

void TCanvas3D::StretchDraw3D(const TRect& Rect, TGraphic* Graphic, int Z) {
  if (!Graphic || Graphic->Empty()) return;
  TBitmap bmp;
  auto* source = dynamic_cast<TBitmap*>(Graphic);
  if (source) {
    bmp.Assign(source);
  } else {
    bmp.SetSize(Graphic->Width(), Graphic->Height());
    bmp.Canvas()->StretchDraw(TRect(0, 0, Graphic->Width(), Graphic->Height()), Graphic);
  }
  // A transparent bitmap's pixels of its transparent colour are left out.
  const bool keyed = source && source->Transparent();
  const TColor key = keyed ? ColorToRGB(source->TransparentColor()) : clNone;
  bmp.SetTransparent(false);
  const int w = bmp.Width(), h = bmp.Height();
  const double sx = static_cast<double>(Rect.Width()) / w, sy = static_cast<double>(Rect.Height()) / h;
  Pen()->SetStyle(psClear);
  Brush()->SetStyle(bsSolid);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const TColor c = bmp.Canvas()->Pixel(x, y);
      if (keyed && c == key) continue;
      Brush()->SetColor(c);
      const TRect cell(Rect.Left + Rnd(x * sx), Rect.Top + Rnd(y * sy), Rect.Left + Rnd((x + 1) * sx),
                       Rect.Top + Rnd((y + 1) * sy));
      RectangleWithZ(cell, Z);
    }
}

// ---------------------------------------------------------------------------------------
// TTeeCanvas3D

TTeeCanvas3D::TTeeCanvas3D() = default;
TTeeCanvas3D::~TTeeCanvas3D() = default;

void TTeeCanvas3D::SetBufferedDisplay(bool Value) {
  if (Value == buffered_) return;
  buffered_ = Value;
  if (!Value && bitmap_) {
    FreeBuffer();
    BufferInvalid = true;
  }
}

int TTeeCanvas3D::GetBackMode() const { return canvas_->BkMode(); }
void TTeeCanvas3D::SetBackMode(int Mode) {
  canvas_->SetBkMode(Mode);
  RecolorPattern();
}
unsigned TTeeCanvas3D::GetTextAlign() const { return canvas_->TextAlign(); }
void TTeeCanvas3D::SetTextAlign(unsigned Align) { canvas_->SetTextAlign(Align); }

void TTeeCanvas3D::SetMonochrome(bool Value) {
  if (Value == monochrome_) return;
  monochrome_ = Value;
  BufferInvalid = true;
  if (OnRepaintOwner) OnRepaintOwner();
}

TColor TTeeCanvas3D::GetPixel(int X, int Y) { return canvas_->Pixel(X, Y); }
void TTeeCanvas3D::SetPixel(int X, int Y, TColor Color) { canvas_->SetPixel(X, Y, ColorToRGB(Color)); }

void TTeeCanvas3D::Arc(int X1, int Y1, int X2, int Y2, int X3, int Y3, int X4, int Y4) {
  canvas_->Arc(Clamp(X1), Clamp(Y1), Clamp(X2), Clamp(Y2), Clamp(X3), Clamp(Y3), Clamp(X4), Clamp(Y4));
}

void TTeeCanvas3D::Pie(int X1, int Y1, int X2, int Y2, int X3, int Y3, int X4, int Y4) {
  canvas_->Pie(Clamp(X1), Clamp(Y1), Clamp(X2), Clamp(Y2), Clamp(X3), Clamp(Y3), Clamp(X4), Clamp(Y4));
}

void TTeeCanvas3D::Draw(int X, int Y, TGraphic* Graphic) {
  if (Graphic && !Graphic->Empty()) canvas_->Draw(X, Y, Graphic);
}

void TTeeCanvas3D::StretchDraw(const TRect& Rect, TGraphic* Graphic) {
  if (Graphic && !Graphic->Empty()) canvas_->StretchDraw(Rect, Graphic);
}

void TTeeCanvas3D::Ellipse(int X1, int Y1, int X2, int Y2) { canvas_->Ellipse(Clamp(X1), Clamp(Y1), Clamp(X2), Clamp(Y2)); }

void TTeeCanvas3D::FillRect(const TRect& Rect) {
  canvas_->FillRect(TRect(Clamp(Rect.Left), Clamp(Rect.Top), Clamp(Rect.Right), Clamp(Rect.Bottom)));
}

void TTeeCanvas3D::MoveTo(int X, int Y) { canvas_->MoveTo(X, Y); }

void TTeeCanvas3D::LineTo(int X, int Y) {
  TPoint a = canvas_->PenPos(), b{X, Y};
  if (ClipSegment(a, b)) {
    canvas_->MoveTo(a.x, a.y);
    canvas_->LineTo(b.x, b.y);
  }
  canvas_->MoveTo(X, Y);
}

void TTeeCanvas3D::Line(int X0, int Y0, int X1, int Y1) {
  MoveTo(X0, Y0);
  LineTo(X1, Y1);
}

void TTeeCanvas3D::Polyline(const std::vector<TPoint>& Points) {
  bool far = false;
  for (const TPoint& p : Points)
    if (std::abs(p.x) > TeeMaxPixelCoordinate || std::abs(p.y) > TeeMaxPixelCoordinate) far = true;
  if (!far) return canvas_->Polyline(Points);
  for (size_t i = 1; i < Points.size(); ++i) Line(Points[i - 1].x, Points[i - 1].y, Points[i].x, Points[i].y);
}

void TTeeCanvas3D::Polygon(const std::vector<TPoint>& Points) { canvas_->Polygon(Clamped(Points)); }

void TTeeCanvas3D::Rectangle(int X0, int Y0, int X1, int Y1) { canvas_->Rectangle(Clamp(X0), Clamp(Y0), Clamp(X1), Clamp(Y1)); }

void TTeeCanvas3D::RoundRect(int X1, int Y1, int X2, int Y2, int X3, int Y3) {
  canvas_->RoundRect(Clamp(X1), Clamp(Y1), Clamp(X2), Clamp(Y2), X3, Y3);
}

void TTeeCanvas3D::TextOut(int X, int Y, const AnsiString& Text) {
  const unsigned align = canvas_->TextAlign();
  if (ChartFont && ChartFont->HasShadow()) {
    const TTeeShadow* s = ChartFont->ShadowIfAny();
    int sx = X, sy = Y;
    // The text moves away from its shadow by the shadow's size.
    if (s->HorizSize() < 0) X -= s->HorizSize(); else sx += s->HorizSize();
    if (s->VertSize() < 0) Y -= s->VertSize(); else sy += s->VertSize();
    TTeeBlend* blend = nullptr;
    if (s->Transparency() > 0) {
      const int w = TextWidth(Text), h = TextHeight(Text);
      int left = sx;
      if ((align & TA_CENTER) == TA_CENTER)
        left = sx - w / 2;
      else if ((align & TA_CENTER) == TA_RIGHT)
        left = sx - w;
      blend = BeginBlending(TRect(left, sy, left + w, sy + h), s->Transparency());
    }
    const TColor saved = Font()->Color();
    Font()->SetColor(s->Color());
    canvas_->TextOut(sx, sy, Text);
    Font()->SetColor(saved);
    if (blend) EndBlending(blend);
  }
  if (ChartFont && (ChartFont->HasOutLine() || ChartFont->HasGradient())) {
    // Outline: the text traced in the outline pen's colour around its body.
    const TColor body = Font()->Color();
    if (ChartFont->HasOutLine()) {
      Font()->SetColor(ChartFont->OutLine()->Color());
      const int w = std::max(1, ChartFont->OutLine()->Width());
      for (int dy = -w; dy <= w; dy += w)
        for (int dx = -w; dx <= w; dx += w)
          if (dx || dy) canvas_->TextOut(X + dx, Y + dy, Text);
    }
    Font()->SetColor(ChartFont->HasGradient() ? ChartFont->Gradient()->StartColor() : body);
    if (body != clNone || ChartFont->HasGradient()) canvas_->TextOut(X, Y, Text);
    Font()->SetColor(body);
    return;
  }
  canvas_->TextOut(X, Y, Text);
}

void TTeeCanvas3D::PushClip(const TRegion& Region, bool Xor) {
  clips_.push_back(clip_);
  TRegion next;
  if (clip_) {
    next.Combine(*clip_, Region, Xor ? RGN_XOR : RGN_AND);
  } else if (Xor) {
    const TSize s = canvas_->SurfaceSize();
    next.Combine(TRegion::FromRect(TRect(0, 0, s.cx, s.cy)), Region, RGN_XOR);
  } else {
    next = Region;
  }
  clip_ = next;
  canvas_->SetClipRegion(&*clip_);
}

void TTeeCanvas3D::ClipRectangle(const TRect& Rect) {
  const TRect r = NormalizeRect(Rect);
  PushClip(TRegion::FromRect(TRect(Clamp(r.Left), Clamp(r.Top), Clamp(r.Right), Clamp(r.Bottom))), false);
}

void TTeeCanvas3D::UnClipRectangle() {
  if (clips_.empty()) {
    clip_.reset();
  } else {
    clip_ = clips_.back();
    clips_.pop_back();
  }
  canvas_->SetClipRegion(clip_ ? &*clip_ : nullptr);
}

void TTeeCanvas3D::GradientFill(const TRect& R0, TColor StartColor, TColor EndColor, TGradientDirection Direction,
                                int Balance) {
  const TRect r = NormalizeRect(R0);
  if (Direction == gdRadial) {
    TCustomTeeGradient g;
    g.SetDirection(gdRadial);
    g.SetStartColor(StartColor);
    g.SetEndColor(EndColor);
    g.SetBalance(Balance);
    g.Draw(this, r);
    return;
  }
  if (Direction == gdBottomTop || Direction == gdRightLeft || Direction == gdFromCenter || Direction == gdFromTopLeft ||
      Direction == gdFromBottomLeft)
    std::swap(StartColor, EndColor);
  const TColor a = ColorToRGB(StartColor), b = ColorToRGB(EndColor);
  const int w = r.Width(), h = r.Height();
  const TBrushStyle savedStyle = Brush()->Style();
  const TColor savedColor = Brush()->Color();
  Brush()->SetStyle(bsSolid);
  TColor last = -1;
  auto fill = [&](const TRect& band, TColor c) {
    if (c != last) {
      Brush()->SetColor(c);
      last = c;
    }
    FillRect(band);
  };
  switch (Direction) {
    case gdTopBottom:
    case gdBottomTop: {
      const int n = std::min(h, 256) - 1;
      if (n <= 0) break;
      for (int i = 0; i <= n; ++i)
        fill(TRect(r.Left, r.Bottom - (i + 1) * h / (n + 1), r.Right, r.Bottom - i * h / (n + 1)), StepColor(a, b, i, n, Balance));
      break;
    }
    case gdLeftRight:
    case gdRightLeft: {
      const int n = std::min(w, 256) - 1;
      if (n <= 0) break;
      for (int i = 0; i <= n; ++i)
        fill(TRect(r.Right - (i + 1) * w / (n + 1), r.Top, r.Right - i * w / (n + 1), r.Bottom), StepColor(a, b, i, n, Balance));
      break;
    }
    case gdFromCenter: {
      const int n = w / 2 + h / 2;
      if (n <= 0) break;
      int x = 0, y = 0;
      while (x < (w + 1) / 2 || y < (h + 1) / 2) {
        const TColor c = StepColor(a, b, std::min(x + y, n), n, Balance);
        const TRect in(r.Left + x, r.Top + y, r.Right - x, r.Bottom - y);
        if (in.IsEmpty()) break;
        fill(TRect(in.Left, in.Top, in.Right, in.Top + 1), c);
        fill(TRect(in.Left, in.Bottom - 1, in.Right, in.Bottom), c);
        fill(TRect(in.Left, in.Top, in.Left + 1, in.Bottom), c);
        fill(TRect(in.Right - 1, in.Top, in.Right, in.Bottom), c);
        if (x < w / 2) ++x;
        if (y < h / 2) ++y;
        if (x >= w / 2 && y >= h / 2) {
          fill(TRect(r.Left + x, r.Top + y, r.Right - x, r.Bottom - y), c);
          break;
        }
      }
      break;
    }
    case gdFromTopLeft:
    case gdFromBottomLeft: {
      const int n = w + h;
      if (n <= 0) break;
      const bool top = Direction == gdFromTopLeft;
      for (int k = std::max(w, h); k >= 0; --k) {
        // L-shaped bands nearest the corner last, so that each step keeps its colour.
        const int x = std::min(k, w), y = std::min(k, h);
        const TColor c = StepColor(a, b, std::min(x + y, n), n, Balance);
        if (top)
          fill(TRect(r.Left, r.Top, r.Left + x, r.Top + y), c);
        else
          fill(TRect(r.Left, r.Bottom - y, r.Left + x, r.Bottom), c);
      }
      break;
    }
    case gdDiagonalUp:
    case gdDiagonalDown: {
      const int total = w + h;
      if (total <= 1) break;
      const int n = std::min(255, total - 1);
      const TColor savedPen = Pen()->Color();
      const int savedWidth = Pen()->Width();
      const TPenStyle savedPenStyle = Pen()->Style();
      Pen()->SetWidth(1);
      Pen()->SetStyle(psSolid);
      ClipRectangle(r);
      for (int i = 0; i < total; ++i) {
        Pen()->SetColor(StepColor(a, b, n * i / total, n, Balance));
        if (Direction == gdDiagonalUp)
          Line(r.Left + i - h, r.Bottom, r.Left + i + 1, r.Bottom - h - 1);
        else
          Line(r.Left + i - h, r.Top - 1, r.Left + i + 1, r.Top + h);
      }
      UnClipRectangle();
      Pen()->SetColor(savedPen);
      Pen()->SetWidth(savedWidth);
      Pen()->SetStyle(savedPenStyle);
      break;
    }
    default:
      break;
  }
  Brush()->SetColor(savedColor);
  Brush()->SetStyle(savedStyle);
}

void TTeeCanvas3D::RotateLabel(int X, int Y, const AnsiString& Text, double Angle) {
  while (Angle >= 360) Angle -= 360;
  Brush()->SetStyle(bsClear);
  const int saved = Font()->Orientation();
  Font()->SetOrientation(Rnd(Angle * 10));
  WithZoomedFont([&] { TextOut(X, Y, Text); });
  Font()->SetOrientation(saved);
}

void TTeeCanvas3D::WithZoomedFont(const std::function<void()>& Draw) {
  if (!ZoomText || ZoomFactor == 1) return Draw();
  const int size = Font()->Size();
  const int zoomed = std::max(Rnd(size * ZoomFactor), 1);
  if (zoomed == size) return Draw();
  const int height = Font()->Height();
  Font()->SetSize(zoomed);
  Draw();
  Font()->SetHeight(height);
}

// ---- projection ----

TRect TTeeCanvas3D::InitWindow(TCanvas* DestCanvas, TView3DOptions* Options, TColor, bool Is3DArg, const TRect& UserRect) {
  Bounds = UserRect;
  View3DOptions = Options;
  if (Options) FontZoom = Options->FontZoom();
  Is3D = Is3DArg;
  IsOrthogonal = false;
  ZoomFactor = 1.0;
  if (Is3D && Options) {
    IsOrthogonal = Options->Orthogonal();
    if (IsOrthogonal) {
      int a = Options->OrthoAngle();
      if (a <= 90) {
        OrthoDeltaX = 1.0;
      } else {
        OrthoDeltaX = -1.0;
        a = 180 - a;
      }
      const double c = std::cos(a * kPi / 180), s = std::sin(a * kPi / 180);
      OrthoDeltaY = c >= 0.01 ? s / c : 1.0;
    }
    ZoomFactor = Options->Zoom() * 0.01;
    ZoomText = Options->ZoomText();
  }
  if (Is3D) CalcTrigValues();
  clips_.clear();
  clip_.reset();
  if (buffered_) {
    const int w = std::max(0, UserRect.Width()), h = std::max(0, UserRect.Height());
    if (!bitmap_) bitmap_ = std::make_unique<TBitmap>();
    if (bitmap_->Width() != w || bitmap_->Height() != h) bitmap_->SetSize(w, h);
    SetCanvas(bitmap_->Canvas());
    canvas_->SetClipRegion(nullptr);
    return TRect(0, 0, w, h);
  }
  SetCanvas(DestCanvas);
  canvas_->SetClipRegion(nullptr);
  return UserRect;
}

void TTeeCanvas3D::CalcTrigValues() {
  double e = 0, r = 0, t = 0;
  if (View3DOptions) {
    e = -View3DOptions->Elevation();
    r = -View3DOptions->Rotation();
    t = View3DOptions->Tilt();
  }
  e *= kPi / 180;
  r *= kPi / 180;
  t *= kPi / 180;
  SinElevation = std::sin(e);
  CosElevation = std::cos(e);
  SinRotation = std::sin(r);
  CosRotation = std::cos(r);
  SinTilt = std::sin(t);
  CosTilt = std::cos(t);
  HasTilt = t != 0;
  HasPerspective = false;
  PerspectiveFactor = 0;
}

void TTeeCanvas3D::CalcPerspective(const TRect& Rect) {
  if (!View3DOptions) return;
  HasPerspective = View3DOptions->Perspective() > 0;
  if (HasPerspective) {
    const int w = Rect.Right - Rect.Left;
    PerspectiveFactor = w != 0 ? View3DOptions->Perspective() * ZoomFactor * (1.0 / 150) / w : 0;
    if (PerspectiveFactor == 0) HasPerspective = false;
  }
}

void TTeeCanvas3D::Projection(int MaxDepth, const TRect& Rect) {
  Origin.XCenter = (Rect.Left + Rect.Right) / 2 + Rnd(RotationCenter.X);
  Origin.YCenter = (Rect.Top + Rect.Bottom) / 2 + Rnd(RotationCenter.Y);
  Origin.ZCenter = Rnd(MaxDepth * 0.5 + RotationCenter.Z);
  ScreenCenter = {Origin.XCenter, Origin.YCenter};
  if (View3DOptions) {
    ScreenCenter.x += View3DOptions->HorizOffset();
    ScreenCenter.y += View3DOptions->VertOffset();
    CalcPerspective(Rect);
  }
}

void TTeeCanvas3D::Calculate3DPositionF(double X, double Y, double Z, double& OutX, double& OutY) {
  if (IsOrthogonal) {
    OutX = ((X - Origin.XCenter) + Z * OrthoDeltaX) * ZoomFactor + ScreenCenter.x;
    OutY = ((Y - Origin.YCenter) - Z * OrthoDeltaY) * ZoomFactor + ScreenCenter.y;
    return;
  }
  if (!Is3D) {
    OutX = X;
    OutY = Y;
    return;
  }
  const double x = X - Origin.XCenter, y = Y - Origin.YCenter, z = Z - Origin.ZCenter;
  const double q = z * CosRotation - x * SinRotation;
  const double h = x * CosRotation + z * SinRotation;
  const double v = y * CosElevation - SinElevation * q;
  double f = ZoomFactor;
  if (HasPerspective) f = ZoomFactor / ((CosElevation * q + y * SinElevation) * PerspectiveFactor + 1);
  if (HasTilt) {
    OutX = (CosTilt * h - SinTilt * v) * f + ScreenCenter.x;
    OutY = (CosTilt * v + SinTilt * h) * f + ScreenCenter.y;
  } else {
    OutX = h * f + ScreenCenter.x;
    OutY = v * f + ScreenCenter.y;
  }
}

TPoint TTeeCanvas3D::Calculate3DPosition(int X, int Y, int Z) {
  if (IsOrthogonal)
    return {Rnd(((X - Origin.XCenter) + Z * OrthoDeltaX) * ZoomFactor) + ScreenCenter.x,
            Rnd(((Y - Origin.YCenter) - Z * OrthoDeltaY) * ZoomFactor) + ScreenCenter.y};
  if (!Is3D) return {X, Y};
  const double x = X - Origin.XCenter, y = Y - Origin.YCenter, z = Z - Origin.ZCenter;
  const double q = z * CosRotation - x * SinRotation;
  const double h = x * CosRotation + z * SinRotation;
  const double v = y * CosElevation - SinElevation * q;
  double f = ZoomFactor;
  if (HasPerspective) f = ZoomFactor / ((CosElevation * q + y * SinElevation) * PerspectiveFactor + 1);
  if (HasTilt) return {Rnd((CosTilt * h - SinTilt * v) * f) + ScreenCenter.x, Rnd((CosTilt * v + SinTilt * h) * f) + ScreenCenter.y};
  return {Rnd(h * f) + ScreenCenter.x, Rnd(v * f) + ScreenCenter.y};
}

void TTeeCanvas3D::Calculate2DPosition(int& X, int& Y, int Z) {
  if (ZoomFactor == 0) return;
  const double k = 1.0 / ZoomFactor;
  if (IsOrthogonal) {
    const int x = Rnd((X - ScreenCenter.x) * k - Z * OrthoDeltaX) + Origin.XCenter;
    const int y = Rnd((Y - ScreenCenter.y) * k + Z * OrthoDeltaY) + Origin.YCenter;
    X = x;
    Y = y;
    return;
  }
  if (!Is3D) return;
  // The exact inverse of the rotation (and perspective) for the given depth: the screen
  // point is linear in the two unknowns once the perspective divisor is multiplied out.
  const double sE = SinElevation, cE = CosElevation, sR = SinRotation, cR = CosRotation;
  const double sT = HasTilt ? SinTilt : 0, cT = HasTilt ? CosTilt : 1;
  const double z = Z - Origin.ZCenter;
  // h = cR x + sR z; v = sE sR x + cE y - sE cR z.
  // X/f = cT h - sT v; Y/f = cT v + sT h.
  const double a1 = cT * cR - sT * sE * sR, b1 = -sT * cE, c1 = cT * sR + sT * sE * cR;
  const double a2 = cT * sE * sR + sT * cR, b2 = cT * cE, c2 = -cT * sE * cR + sT * sR;
  const double u = (X - ScreenCenter.x) * k, w = (Y - ScreenCenter.y) * k;
  // Perspective divisor D = 1 + P (cE (z cR - x sR) + y sE) = 1 + P cE cR z - P cE sR x + P sE y.
  const double P = HasPerspective ? PerspectiveFactor : 0;
  const double dx = -P * cE * sR, dy = P * sE, d0 = 1 + P * cE * cR * z;
  // u D = a1 x + b1 y + c1 z  ->  (a1 - u dx) x + (b1 - u dy) y = u d0 - c1 z
  const double m11 = a1 - u * dx, m12 = b1 - u * dy, r1 = u * d0 - c1 * z;
  const double m21 = a2 - w * dx, m22 = b2 - w * dy, r2 = w * d0 - c2 * z;
  const double det = m11 * m22 - m12 * m21;
  if (std::fabs(det) < 1e-12) return;
  const double x = (r1 * m22 - m12 * r2) / det, y = (m11 * r2 - r1 * m21) / det;
  X = Rnd(x) + Origin.XCenter;
  Y = Rnd(y) + Origin.YCenter;
}

void TTeeCanvas3D::ShowImage(TCanvas* DestCanvas, TCanvas* DefaultCanvas, const TRect& UserRect) {
  if (buffered_ && bitmap_) {
    BlitBuffer(UserRect.Left, UserRect.Top, DestCanvas);
    BufferInvalid = false;
  }
  SetCanvas(DefaultCanvas);
}

bool TTeeCanvas3D::ReDrawBitmap() {
  if (BufferInvalid || !bitmap_ || !buffered_) return false;
  BlitBuffer(0, 0, canvas_);
  return true;
}

void TTeeCanvas3D::BlitBuffer(int X, int Y, TCanvas* DestCanvas) {
  if (!bitmap_ || !DestCanvas || DestCanvas == bitmap_->Canvas() || bitmap_->Empty()) return;
  const int w = bitmap_->Width(), h = bitmap_->Height();
  DestCanvas->SetClipRegion(nullptr);
  DestCanvas->CopyRect(TRect(X, Y, X + w, Y + h), bitmap_->Canvas(), TRect(0, 0, w, h));
}

void TTeeCanvas3D::DisableRotation() {
  saved_is_3d_ = Is3D;
  Is3D = false;
}

void TTeeCanvas3D::EnableRotation() { Is3D = saved_is_3d_; }

// ---- 3-D primitives ----

void TTeeCanvas3D::PolygonFour() { Polygon({four_points_[0], four_points_[1], four_points_[2], four_points_[3]}); }

void TTeeCanvas3D::Arrow(bool Filled, TPoint From, TPoint To, int ArrowWidth, int ArrowHeight, int Z) {
  const double dx = To.x - From.x, dy = To.y - From.y;
  const double L = std::sqrt(dx * dx + dy * dy);
  if (L == 0) return;
  const double ux = dx / L, uy = dy / L, nx = -uy, ny = ux;
  const double head = std::min<double>(ArrowHeight, Rnd(L));
  auto at = [&](double along, double across) {
    double ox, oy;
    Calculate3DPositionF(From.x + ux * along + nx * across, From.y + uy * along + ny * across, Z, ox, oy);
    return TPoint{Rnd(ox), Rnd(oy)};
  };
  if (Filled) {
    const double s = ArrowWidth / 4.0, hw = ArrowWidth / 2.0, base = L - head;
    Polygon({at(0, -s), at(base, -s), at(base, -hw), at(L, 0), at(base, hw), at(base, s), at(0, s)});
  } else {
    const TPoint a = at(0, 0), b = at(L, 0), l = at(L - head, -ArrowWidth / 2.0), r = at(L - head, ArrowWidth / 2.0);
    Line(a.x, a.y, b.x, b.y);
    Line(l.x, l.y, b.x, b.y);
    Line(r.x, r.y, b.x, b.y);
  }
}

void TTeeCanvas3D::ClipCube(const TRect& Rect, int MinZ, int MaxZ) {
  if (!Is3D) return ClipRectangle(TRect(Rect.Left + 1, Rect.Top + 1, Rect.Right, Rect.Bottom - 1));
  std::vector<TPoint> p;
  for (int z : {MinZ, MaxZ})
    for (int y : {Rect.Top, Rect.Bottom})
      for (int x : {Rect.Left, Rect.Right}) p.push_back(Calculate3DPosition(x, y, z));
  // Convex hull: lowest point as pivot, the others by angle, concave turns removed.
  std::sort(p.begin(), p.end(), [](TPoint a, TPoint b) { return a.y != b.y ? a.y > b.y : a.x < b.x; });
  const TPoint pivot = p[0];
  std::sort(p.begin() + 1, p.end(), [pivot](TPoint a, TPoint b) {
    const double aa = std::atan2(-(a.y - pivot.y), a.x - pivot.x), ab = std::atan2(-(b.y - pivot.y), b.x - pivot.x);
    return aa < ab;
  });
  std::vector<TPoint> hull;
  for (const TPoint& q : p) {
    while (hull.size() >= 2) {
      const TPoint a = hull[hull.size() - 2], b = hull.back();
      const long long cross = static_cast<long long>(b.x - a.x) * (-(q.y - a.y)) - static_cast<long long>(-(b.y - a.y)) * (q.x - a.x);
      if (cross > 0) break;
      hull.pop_back();
    }
    hull.push_back(q);
  }
  ClipPolygon(hull);
}

void TTeeCanvas3D::EllipseWithZ(int X1, int Y1, int X2, int Y2, int Z) {
  if (IsOrthogonal) {
    const TPoint a = Calculate3DPosition(X1, Y1, Z), b = Calculate3DPosition(X2, Y2, Z);
    return Ellipse(a.x, a.y, b.x, b.y);
  }
  if (!Is3D) return Ellipse(X1, Y1, X2 + 1, Y2 + 1);
  const double cx = (X1 + X2) / 2.0, cy = (Y1 + Y2) / 2.0, rx = (X2 - X1) / 2.0, ry = (Y2 - Y1) / 2.0;
  std::vector<TPoint> pts(64);
  for (int i = 0; i < 64; ++i) {
    const double a = i * 2 * kPi / 63;
    double ox, oy;
    Calculate3DPositionF(cx + rx * std::cos(a), cy + ry * std::sin(a), Z, ox, oy);
    pts[static_cast<size_t>(i)] = {Rnd(ox), Rnd(oy)};
  }
  if (BrushFills()) {
    double ox, oy;
    Calculate3DPositionF(cx, cy, Z, ox, oy);
    const TPoint c{Rnd(ox), Rnd(oy)};
    const TPenStyle saved = Pen()->Style();
    Pen()->SetStyle(psClear);
    // Every neighbouring pair, the last one included, so that the fill is closed.
    for (size_t i = 0; i + 1 < pts.size(); ++i) Polygon({c, pts[i], pts[i + 1]});
    Pen()->SetStyle(saved);
  }
  if (Pen()->Style() != psClear) Polyline(pts);
}

void TTeeCanvas3D::HorizLine3D(int Left, int Right, int Y, int Z) {
  MoveTo3D(Left, Y, Z);
  LineTo3D(Right, Y, Z);
}

void TTeeCanvas3D::VertLine3D(int X, int Top, int Bottom, int Z) {
  MoveTo3D(X, Top, Z);
  LineTo3D(X, Bottom, Z);
}

void TTeeCanvas3D::ZLine3D(int X, int Y, int Z0, int Z1) {
  MoveTo3D(X, Y, Z0);
  LineTo3D(X, Y, Z1);
}

void TTeeCanvas3D::LineWithZ(int X0, int Y0, int X1, int Y1, int Z) {
  MoveTo3D(X0, Y0, Z);
  LineTo3D(X1, Y1, Z);
}

void TTeeCanvas3D::MoveTo3D(int X, int Y, int Z) {
  const TPoint p = Calculate3DPosition(X, Y, Z);
  MoveTo(p.x, p.y);
}

void TTeeCanvas3D::LineTo3D(int X, int Y, int Z) {
  const TPoint p = Calculate3DPosition(X, Y, Z);
  LineTo(p.x, p.y);
}

void TTeeCanvas3D::Plane3D(TPoint P1, TPoint P2, int Z0, int Z1) {
  four_points_[0] = Calculate3DPosition(P1.x, P1.y, Z0);
  four_points_[1] = Calculate3DPosition(P2.x, P2.y, Z0);
  four_points_[2] = Calculate3DPosition(P2.x, P2.y, Z1);
  four_points_[3] = Calculate3DPosition(P1.x, P1.y, Z1);
  PolygonFour();
}

void TTeeCanvas3D::PlaneWithZ(TPoint P1, TPoint P2, TPoint P3, TPoint P4, int Z) {
  four_points_[0] = Calculate3DPosition(P1.x, P1.y, Z);
  four_points_[1] = Calculate3DPosition(P2.x, P2.y, Z);
  four_points_[2] = Calculate3DPosition(P3.x, P3.y, Z);
  four_points_[3] = Calculate3DPosition(P4.x, P4.y, Z);
  PolygonFour();
}

void TTeeCanvas3D::PlaneFour3D(const TPoint Points[4], int Z0, int Z1) {
  for (int i = 0; i < 4; ++i) {
    double ox, oy;
    Calculate3DPositionF(Points[i].x, Points[i].y, i < 2 ? Z0 : Z1, ox, oy);
    four_points_[i] = {Rnd(ox), Rnd(oy)};
  }
  PolygonFour();
}

void TTeeCanvas3D::PolygonWithZ(const std::vector<TPoint>& Points, int Z) {
  std::vector<TPoint> p;
  p.reserve(Points.size());
  for (const TPoint& q : Points) p.push_back(Calculate3DPosition(q.x, q.y, Z));
  Polygon(p);
}

void TTeeCanvas3D::PolylineWithZ(const std::vector<TPoint>& Points, int Z) {
  std::vector<TPoint> p;
  p.reserve(Points.size());
  for (const TPoint& q : Points) p.push_back(Calculate3DPosition(q.x, q.y, Z));
  Polyline(p);
}

void TTeeCanvas3D::RectangleWithZ(const TRect& R, int Z) {
  PlaneWithZ({R.Left, R.Top}, {R.Right, R.Top}, {R.Right, R.Bottom}, {R.Left, R.Bottom}, Z);
}

void TTeeCanvas3D::RectangleY(int Left, int Top, int Right, int Z0, int Z1) {
  four_points_[0] = Calculate3DPosition(Left, Top, Z0);
  four_points_[1] = Calculate3DPosition(Right, Top, Z0);
  four_points_[2] = Calculate3DPosition(Right, Top, Z1);
  four_points_[3] = Calculate3DPosition(Left, Top, Z1);
  PolygonFour();
}

void TTeeCanvas3D::RectangleZ(int Left, int Top, int Bottom, int Z0, int Z1) {
  four_points_[0] = Calculate3DPosition(Left, Top, Z0);
  four_points_[1] = Calculate3DPosition(Left, Top, Z1);
  four_points_[2] = Calculate3DPosition(Left, Bottom, Z1);
  four_points_[3] = Calculate3DPosition(Left, Bottom, Z0);
  PolygonFour();
}

void TTeeCanvas3D::RotateLabel3D(int X, int Y, int Z, const AnsiString& Text, double Angle) {
  const TPoint p = Calculate3DPosition(X, Y, Z);
  RotateLabel(p.x, p.y, Text, Angle);
}

void TTeeCanvas3D::TextOut3D(int X, int Y, int Z, const AnsiString& Text) {
  const TPoint p = Calculate3DPosition(X, Y, Z);
  WithZoomedFont([&] { TextOut(p.x, p.y, Text); });
}

TRect TTeeCanvas3D::TextBounds3D(int X, int Y, int Z, const AnsiString& Text, double Angle) {
  const TPoint p = Calculate3DPosition(X, Y, Z);
  int w = 0, h = 0;
  WithZoomedFont([&] {
    w = TextWidth(Text);
    h = TextHeight(Text);
  });
  // The text's box in its own frame, from the reference point the alignment names.
  const unsigned align = GetTextAlign();
  const double left = (align & TA_CENTER) == TA_CENTER ? -w / 2.0 : (align & TA_CENTER) == TA_RIGHT ? -w : 0;
  const double top = (align & TA_BASELINE) == TA_BASELINE ? -h * 0.8 : (align & TA_BOTTOM) == TA_BOTTOM ? -h : 0;
  // Turned counter-clockwise by Angle on the screen.
  const double a = Angle * kPi / 180, c = std::cos(a), s = std::sin(a);
  double x0 = 1e300, y0 = 1e300, x1 = -1e300, y1 = -1e300;
  for (const double u : {left, left + w})
    for (const double v : {top, top + h}) {
      const double x = u * c + v * s, y = -u * s + v * c;
      x0 = std::min(x0, x), x1 = std::max(x1, x), y0 = std::min(y0, y), y1 = std::max(y1, y);
    }
  return TRect(p.x + Rnd(x0), p.y + Rnd(y0), p.x + Rnd(x1), p.y + Rnd(y1));
}

void TTeeCanvas3D::TriangleWithZ(TPoint P1, TPoint P2, TPoint P3, int Z) {
  Polygon({Calculate3DPosition(P1.x, P1.y, Z), Calculate3DPosition(P2.x, P2.y, Z), Calculate3DPosition(P3.x, P3.y, Z)});
}

void TTeeCanvas3D::Triangle3D(const TPoint Points[3], const int Z[3], const TColor Colors[3]) {
  if (Brush()->Style() != bsClear) Brush()->SetColor(Colors[0]);
  Polygon({Calculate3DPosition(Points[0].x, Points[0].y, Z[0]), Calculate3DPosition(Points[1].x, Points[1].y, Z[1]),
           Calculate3DPosition(Points[2].x, Points[2].y, Z[2])});
}

void TTeeCanvas3D::SetPixel3D(int X, int Y, int Z, TColor Color) {
  const TPoint p = Calculate3DPosition(X, Y, Z);
  if (Pen()->Width() != 1) {
    Pen()->SetColor(Color);
    MoveTo(p.x, p.y);
    canvas_->LineTo(p.x, p.y);
  } else {
    SetPixel(p.x, p.y, Color);
  }
}

TColor TTeeCanvas3D::GetPixel3D(int X, int Y, int Z) {
  const TPoint p = Calculate3DPosition(X, Y, Z);
  return GetPixel(p.x, p.y);
}

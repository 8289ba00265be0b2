#include "gauges/_AbProc.h"

#include <algorithm>
#include <climits>
#include <cmath>

#include "platform/rtl/Numbers.h"

namespace {
constexpr double kDegToRad = 0.017453292519943295;

struct Rgb {
  int r, g, b;
};
Rgb Split(TColor c) {
  const TColor v = ColorToRGB(c);
  return {GetRValue(v), GetGValue(v), GetBValue(v)};
}
int Channel(double v) { return std::clamp(AbRound(v), 0, 255); }
}  // namespace

int AbRound(double x) {
  if (std::isnan(x)) return 0;
  if (x >= static_cast<double>(INT_MAX)) return INT_MAX;
  if (x <= static_cast<double>(INT_MIN)) return INT_MIN;
  return static_cast<int>(std::nearbyint(x));
}

void IntToBinStr(uint32_t Value, int Digits, AnsiString& Text) {
  Text.clear();
  uint64_t sofar = 0;
  for (int bit = 0; bit < 32; ++bit) {
    const bool set = (Value >> bit) & 1u;
    Text.insert(Text.begin(), set ? '1' : '0');
    if (set) sofar |= uint64_t{1} << bit;
    if (Digits <= 0) {
      if (sofar == Value) break;
    } else if (bit >= Digits) {
      break;
    }
  }
}

uint32_t BinStrToLongWord(const AnsiString& Text) {
  uint32_t v = 0, weight = 1;
  for (auto it = Text.rbegin(); it != Text.rend() && weight != 0; ++it, weight <<= 1)
    if (*it == '1') v |= weight;
  return v;
}

int32_t BinStrToInt(const AnsiString& Text) { return static_cast<int32_t>(BinStrToLongWord(Text)); }

void RemoveChar(const AnsiString& Text, char C, AnsiString& Result) {
  Result.clear();
  for (char ch : Text)
    if (ch != C) Result += ch;
}

double Log10(double x) { return std::log10(x); }

double Power(double Exponent, double Base) { return std::exp(std::log(Base) * Exponent); }

void LogScaleLabelText(int First, int Last, int Steps, AnsiString& Text, bool Descending, const AnsiString& Format) {
  Text.clear();
  const int inc = std::max(1, (Last - First) / std::max(Steps, 1));
  auto add = [&](int e) { Text += FormatFloat(Format, std::pow(10.0, e)) + ";"; };
  if (Last < First) return;
  if (Descending)
    for (int e = Last; e >= First; e -= inc) add(e);
  else
    for (int e = First; e <= Last; e += inc) add(e);
}

double DecadeRound(double x, int& Exponent) {
  if (!(x > 0) || !std::isfinite(x)) x = 1;
  Exponent = AbRound(std::log10(x));
  return std::pow(10.0, Exponent);
}

TColor Brightness(TColor Color, float Percent) {
  const double f = Percent / 100.0;
  return RGB(Channel(GetRValue(Color) * f), Channel(GetGValue(Color) * f), Channel(GetBValue(Color) * f));
}

TColor MixColor(TColor C1, TColor C2, int N, int I) {
  const TColor a = ColorToRGB(C1), b = ColorToRGB(C2);
  if (a == b) return C1;
  if (N == 0) N = 1;
  auto mix = [&](int c1, int c2) { return Channel(c1 + AbRound(static_cast<double>(c2 - c1) / N * I)); };
  return RGB(mix(GetRValue(a), GetRValue(b)), mix(GetGValue(a), GetGValue(b)), mix(GetBValue(a), GetBValue(b)));
}

void TextSizeAndHalf(TCanvas* Canvas, int& W, int& H, const AnsiString& Text, TPoint& Half) {
  W = Canvas->TextWidth(Text);
  H = Canvas->TextHeight(Text);
  Half = {W / 2, H / 2};
}

void MeasureTextLinesSep(TCanvas* Canvas, int& W, int& H, char Sep, const AnsiString& Text) {
  W = 0;
  AnsiString rest = Text, piece;
  while (!rest.empty()) {
    ExtractToken(rest, Sep, piece);
    W = std::max(W, Canvas->TextWidth(piece));
  }
  H = Canvas->TextHeight("X");
}

TCanvas* GaugeMeasureCanvas() {
  static TBitmap* b = [] {
    auto* bmp = new TBitmap;
    bmp->SetSize(1, 1);
    return bmp;
  }();
  return b->Canvas();
}

void MeasureTextSize(TFont* Font, const AnsiString& Text, int& W, int& H) {
  TCanvas* c = GaugeMeasureCanvas();
  c->Font()->Assign(Font);
  W = c->TextWidth(Text);
  H = c->TextHeight(Text.empty() ? AnsiString("X") : Text);
}

void MeasureTextLines(TCanvas* Canvas, int& W, int& H, const AnsiString& Text) {
  MeasureTextLinesSep(Canvas, W, H, ';', Text);
}

int CountChar(const AnsiString& Text, char C) { return static_cast<int>(std::count(Text.begin(), Text.end(), C)); }

void AlignedTextOut(TCanvas* Canvas, int X, int Y, int Anchor, const AnsiString& Text) {
  const int w = Canvas->TextWidth(Text), h = Canvas->TextHeight(Text);
  const int col = std::clamp(Anchor, 0, 8) % 3, row = std::clamp(Anchor, 0, 8) / 3;
  const int dx = col == 0 ? 0 : col == 1 ? w / 2 : w;
  const int dy = row == 0 ? 0 : row == 1 ? h / 2 : h;
  const unsigned align = Canvas->TextAlign();
  Canvas->SetTextAlign(TA_LEFT | TA_TOP);
  Canvas->TextOut(X - dx, Y - dy, Text);
  Canvas->SetTextAlign(align);
}

void MultiLineTextOut(TCanvas* Canvas, int X, int Y, int Anchor, const AnsiString& Text, int Spacing) {
  const int k = CountChar(Text, '|');
  const int pitch = Canvas->TextHeight("X") + Spacing;
  const int row = std::clamp(Anchor, 0, 8) / 3;
  int y = row == 0 ? Y : row == 1 ? Y - (pitch * k) / 2 : Y - pitch * k;
  AnsiString rest = Text, line;
  for (int i = 0; i <= k; ++i) {
    ExtractToken(rest, '|', line);
    AlignedTextOut(Canvas, X, y, Anchor, line);
    y += pitch;
  }
}

void ExtractToken(AnsiString& Text, char Sep, AnsiString& Token) {
  const size_t p = Text.find(Sep);
  if (p == AnsiString::npos) {
    Token = Text;
    Text.clear();
  } else {
    Token = Text.substr(0, p);
    Text.erase(0, p + 1);
  }
}

void ScaleLabelText(int Steps, const AnsiString& Format, AnsiString& Text, double Max, double Min) {
  Text.clear();
  if (Steps < 1) Steps = 1;
  const double step = (Max - Min) / Steps;
  for (int i = 0; i <= Steps; ++i) Text += FormatFloat(Format, Max - step * i) + ";";
}

void GrabBackground(TCanvas* Canvas, TBitmap& Bitmap, const TRect& R) {
  if (R.IsEmpty()) return;
  Bitmap.SetSize(R.Width(), R.Height());
  const TSize s = Canvas->SurfaceSize();
  TRect within;
  if (!IntersectRectangles(within, R, Canvas->ClipRect())) return;
  if (!IntersectRectangles(within, within, TRect(0, 0, s.cx, s.cy)) || within.IsEmpty()) return;
  const TRect dest(within.Left - R.Left, within.Top - R.Top, within.Right - R.Left, within.Bottom - R.Top);
  Bitmap.Canvas()->CopyRect(dest, Canvas, within);
}

int MinInteger(int a, int b) { return a < b ? a : b; }
int MaxInteger(int a, int b) { return a > b ? a : b; }
int LimitInteger(int Value, int Min, int Max) { return Value < Min ? Min : Value > Max ? Max : Value; }

bool IntersectRectangles(TRect& R, const TRect& A, const TRect& B) {
  R = TRect(std::max(A.Left, B.Left), std::max(A.Top, B.Top), std::min(A.Right, B.Right), std::min(A.Bottom, B.Bottom));
  return !(R.Left > R.Right || R.Top > R.Bottom);
}

bool IsPointInRect(int X, int Y, const TRect& R) { return R.Left <= X && X < R.Right && R.Top <= Y && Y <= R.Bottom; }

void ShrinkRect(TRect& R, int N) { ShrinkRectSides(R, N, N, N, N); }

void ShrinkRectSides(TRect& R, int Left, int Top, int Right, int Bottom) {
  R.Left += Left;
  R.Top += Top;
  R.Right -= Right;
  R.Bottom -= Bottom;
}

TPoint MakeShapeHeader(uint8_t a, uint8_t b, uint8_t c, uint8_t d) { return {a | (b << 8), c | (d << 8)}; }

void RectCentre(const TRect& R, TPoint& P) { P = {R.Left + R.Width() / 2, R.Top + R.Height() / 2}; }

void RotatePoint(TPoint P, TPoint C, bool Clockwise, TPoint& Q, float Angle) {
  const double a = Angle * kDegToRad, s = std::sin(a), c = std::cos(a);
  const double dx = P.x - C.x, dy = P.y - C.y;
  if (Clockwise)
    Q = {AbRound(c * dx - s * dy) + C.x, AbRound(s * dx + c * dy) + C.y};
  else
    Q = {AbRound(s * dy + c * dx) + C.x, AbRound(c * dy - s * dx) + C.y};
}

namespace {
// Paints the gradient bands into a canvas whose surface is w x h.
void GradientBands(TCanvas* c, int w, int h, Rgb from, Rgb to, TGradientStyle style) {
  const int dR = to.r - from.r, dG = to.g - from.g, dB = to.b - from.b;
  const int colourSteps = std::max({1, std::abs(dR), std::abs(dG), std::abs(dB)});
  auto colour = [&](double n, double i) {
    return RGB(Channel(from.r + dR / n * i), Channel(from.g + dG / n * i), Channel(from.b + dB / n * i));
  };
  auto fill = [&](TColor col, int x1, int y1, int x2, int y2) {
    c->Brush()->SetColor(col);
    c->FillRect(TRect(x1, y1, x2, y2));
  };
  auto line = [&](TColor col, int x1, int y1, int x2, int y2) {
    c->Pen()->SetColor(col);
    c->MoveTo(x1, y1);
    c->LineTo(x2, y2);
  };
  c->Pen()->SetWidth(1);
  c->Pen()->SetStyle(psSolid);
  c->Brush()->SetStyle(bsSolid);
  const bool vertical = style == gsVertical1 || style == gsVertical2 || style == gsVertical3;
  switch (style) {
    case gsHorizontal1:
    case gsVertical1: {
      const int extent = vertical ? w : h;
      int n = std::min(colourSteps, extent);
      const int band = std::max(1, extent / std::max(1, n));
      n = std::max(1, extent / band);
      for (int i = 0; i <= n; ++i) {
        const TColor col = colour(n, i);
        if (vertical)
          fill(col, i * band, 0, (i + 1) * band, h);
        else
          fill(col, 0, i * band, w, (i + 1) * band);
      }
      // The rounding rest at the far edge takes the end colour.
      if (vertical && (n + 1) * band < w) fill(colour(n, n), (n + 1) * band, 0, w, h);
      if (!vertical && (n + 1) * band < h) fill(colour(n, n), 0, (n + 1) * band, w, h);
      break;
    }
    case gsHorizontal2:
    case gsVertical2:
    case gsHorizontal3:
    case gsVertical3: {
      const int extent = vertical ? w : h;
      const bool third = style == gsHorizontal3 || style == gsVertical3;
      const int mid = third ? extent / 3 : extent / 2;
      const int n = std::max(1, third ? AbRound(extent * 0.67) : extent / 2);
      for (int k = 0; k <= std::max(mid, extent - mid); ++k) {
        const TColor col = colour(n, std::min(k, n));
        for (int pos : {mid - k, mid + k}) {
          if (pos < 0 || pos >= extent) continue;
          if (vertical)
            line(col, pos, 0, pos, h);
          else
            line(col, 0, pos, w, pos);
        }
      }
      break;
    }
    case gsElliptic1:
    case gsElliptic2:
    case gsElliptic3: {
      const double f = style == gsElliptic1 ? 0.5 : style == gsElliptic2 ? 0.695 : 0.82;
      const int n = std::min(colourSteps, std::max(1, std::max(w, h) / 2));
      fill(colour(n, n), 0, 0, w, h);
      int cx = w / 2, cy = h / 2;
      if (style == gsElliptic3) {
        cx -= w / 4 - 1;
        cy -= h / 4 - 1;
      }
      for (int k = n; k >= 1; --k) {
        const int rx = AbRound(k * static_cast<double>(w) / n * f), ry = AbRound(k * static_cast<double>(h) / n * f);
        const TColor col = colour(n, k);
        c->Pen()->SetColor(col);
        c->Brush()->SetColor(col);
        c->Ellipse(cx - rx, cy - ry, cx + rx, cy + ry);
      }
      break;
    }
    case gsRectangle: {
      const int n = std::min(colourSteps, std::max(1, std::max(w, h) / 2));
      for (int k = n; k >= 0; --k) {
        const int hw = AbRound(k * static_cast<double>(w) / n / 2), hh = AbRound(k * static_cast<double>(h) / n / 2);
        fill(colour(n, k), w / 2 - hw, h / 2 - hh, w / 2 + hw + (k == n ? 1 : 0), h / 2 + hh + (k == n ? 1 : 0));
      }
      break;
    }
    case gsDiamond1:
    case gsDiamond2: {
      const int side = std::max(w, h);
      const int n = std::max(colourSteps, style == gsDiamond1 ? side / 2 : side);
      fill(colour(n, n), 0, 0, w, h);
      const double half = style == gsDiamond1 ? 0.5 : 1.0;
      const int cx = w / 2, cy = h / 2;
      for (int k = n; k >= 1; --k) {
        const int dx = AbRound(k * static_cast<double>(w) / n * half), dy = AbRound(k * static_cast<double>(h) / n * half);
        const TColor col = colour(n, k);
        c->Pen()->SetColor(col);
        c->Brush()->SetColor(col);
        c->Polygon({{cx, cy - dy}, {cx + dx, cy}, {cx, cy + dy}, {cx - dx, cy}});
      }
      c->SetPixel(cx, cy, colour(n, 0));
      break;
    }
    case gsTopLeft:
    case gsTopRight: {
      const int n = std::max(1, std::max(w, h));
      const bool left = style == gsTopLeft;
      c->Pen()->SetWidth(2);
      for (int k = 0; k <= n; ++k) {
        const int x = AbRound(k * static_cast<double>(w) / n), y = AbRound(k * static_cast<double>(h) / n);
        const TColor near = colour(n, k / 2.0), far = colour(n, n - k / 2.0);
        if (left) {
          line(near, x, 0, 0, y);
          line(far, w - x, h, w, h - y);
        } else {
          line(near, w - x, 0, w, y);
          line(far, x, h, 0, h - y);
        }
      }
      break;
    }
  }
}
}  // namespace

void PaintGradient(TCanvas* Canvas, const TRect& R, TColor From, TGradientStyle Style, TColor To) {
  // A rectangle with no area has nothing to fill (and no extent to divide).
  if (R.Width() <= 0 || R.Height() <= 0) return;
  const Rgb from = Split(From), to = Split(To);
  Canvas->Brush()->SetStyle(bsSolid);
  if (from.r == to.r && from.g == to.g && from.b == to.b) {
    Canvas->Brush()->SetColor(ColorToRGB(From));
    Canvas->FillRect(R);
    return;
  }
  TBitmap bmp;
  bmp.SetSize(R.Width(), R.Height());
  GradientBands(bmp.Canvas(), R.Width(), R.Height(), from, to, Style);
  Canvas->Draw(R.Left, R.Top, &bmp);
}

void PaintLEDShape(TCanvas* Canvas, const TRect& R, TLEDShape Shape, TColor Fill, TColor Pen) {
  TCanvas* c = Canvas;
  c->Pen()->SetWidth(1);
  c->Pen()->SetStyle(psSolid);
  c->Pen()->SetColor(Pen);
  c->Brush()->SetStyle(bsSolid);
  c->Brush()->SetColor(Fill);
  const int w = R.Width(), h = R.Height(), mx = R.Left + w / 2, my = R.Top + h / 2;
  switch (Shape) {
    case sArrowLeft: c->Polygon({{R.Left, my}, {R.Right - 1, R.Top}, {R.Right - 1, R.Bottom - 1}}); break;
    case sArrowRight: c->Polygon({{R.Left, R.Top}, {R.Right - 1, my}, {R.Left, R.Bottom - 1}}); break;
    case sArrowUp: c->Polygon({{mx, R.Top}, {R.Right - 1, R.Bottom - 1}, {R.Left, R.Bottom - 1}}); break;
    case sArrowDown: c->Polygon({{R.Left, R.Top}, {R.Right - 1, R.Top}, {mx, R.Bottom - 1}}); break;
    case sRectangle: c->RoundRect(R.Left, R.Top, R.Right, R.Bottom, 1, 1); break;
    case sDiamondLeft: c->Polygon({{R.Left, R.Top}, {mx, R.Top}, {R.Right, R.Bottom}, {mx, R.Bottom}}); break;
    case sDiamondRight: c->Polygon({{mx, R.Top}, {R.Right, R.Top}, {mx, R.Bottom}, {R.Left, R.Bottom}}); break;
    case sRound:
    default: {
      c->Ellipse(R);
      // The highlight: the upper-left quarter of a smaller ring.
      const int pw = w / 8;
      if (pw > 0) {
        TRect a = R;
        ShrinkRect(a, w / 5);
        c->Pen()->SetColor(clBtnHighlight);
        c->Pen()->SetWidth(pw);
        c->Arc(a.Left, a.Top, a.Right, a.Bottom, a.Left + a.Width() / 2, a.Top, a.Left, a.Top + a.Height() / 2);
        c->Pen()->SetWidth(1);
      }
      break;
    }
  }
}

void DrawPieSector(TCanvas* Canvas, const TRect& R, float Sweep, float StartAngle) {
  TPoint c, top{R.Left + R.Width() / 2, R.Top}, start, end;
  RectCentre(R, c);
  RotatePoint(top, c, true, start, StartAngle);
  RotatePoint(start, c, true, end, Sweep);
  if (start == end) return;
  // The canvas runs pies counter-clockwise; the sector runs clockwise from start to end.
  Canvas->Pie(R.Left, R.Top, R.Right, R.Bottom, end.x, end.y, start.x, start.y);
}

int32_t DigitalSpan(int32_t From, int32_t To) {
  const int64_t f = From, t = To;
  int64_t r = 0;
  if (f < 0 && t < 0)
    r = -f - -t;
  else if (f < 0 && t >= 0)
    r = -f + t;
  else if (f >= 0 && t > 0)
    r = t - f;
  return static_cast<int32_t>(std::clamp<int64_t>(r, INT32_MIN, INT32_MAX));
}

void DrawRotatedPolygon(TCanvas* Canvas, const std::vector<TPoint>& Points, bool Clockwise, std::vector<TPoint>& Work,
                        float Angle) {
  if (Points.size() < 2) return;
  const size_t n = std::min<size_t>(Points[0].x & 0xFF, Points.size() - 1);
  Work.assign(Points.begin(), Points.begin() + 2);
  std::vector<TPoint> poly;
  for (size_t i = 2; i <= n; ++i) {
    TPoint q;
    RotatePoint(Points[i], Points[1], Clockwise, q, Angle);
    Work.push_back(q);
    poly.push_back(q);
  }
  if (poly.size() >= 2) Canvas->Polygon(poly);
}

void AbFrame3D(TCanvas* Canvas, TRect& R, TColor TopLeft, TColor BottomRight, int Width) {
  Canvas->Pen()->SetWidth(1);
  Canvas->Pen()->SetStyle(psSolid);
  for (int i = 0; i < Width; ++i) {
    const int l = R.Left, t = R.Top, r = R.Right - 1, b = R.Bottom - 1;
    Canvas->Pen()->SetColor(TopLeft);
    Canvas->MoveTo(l, b);
    Canvas->LineTo(l, t);
    Canvas->LineTo(r, t);
    Canvas->Pen()->SetColor(BottomRight);
    Canvas->LineTo(r, b);
    Canvas->LineTo(l - 1, b);
    ShrinkRect(R, 1);
  }
}

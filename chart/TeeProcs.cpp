#include "chart/TeeProcs.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Canvas.h"

bool PointInRect(const TRect& R, int X, int Y) { return X >= R.Left && X <= R.Right && Y >= R.Top && Y <= R.Bottom; }

TRect NormalizeRect(const TRect& R) {
  TRect r = R;
  if (r.Left > r.Right) std::swap(r.Left, r.Right);
  if (r.Top > r.Bottom) std::swap(r.Top, r.Bottom);
  return r;
}

void RectSize(const TRect& R, int& Width, int& Height) {
  Width = R.Right - R.Left;
  Height = R.Bottom - R.Top;
}

void RectCenter(const TRect& R, int& X, int& Y) {
  X = (R.Left + R.Right) / 2;
  Y = (R.Top + R.Bottom) / 2;
}

TRect PolygonBounds(const std::vector<TPoint>& Points) {
  if (Points.empty()) return {};
  TRect r{Points[0].x, Points[0].y, Points[0].x, Points[0].y};
  for (const TPoint& p : Points) {
    r.Left = std::min(r.Left, p.x);
    r.Right = std::max(r.Right, p.x);
    r.Top = std::min(r.Top, p.y);
    r.Bottom = std::max(r.Bottom, p.y);
  }
  return r;
}

TRect RectFromPolygon(const TPoint* Points, int Count) {
  if (Count < 1) return {};
  TRect r{Points[0].x, Points[0].y, Points[0].x, Points[0].y};
  for (int i = 1; i < Count; ++i) {
    r.Left = std::min(r.Left, Points[i].x);
    r.Right = std::max(r.Right, Points[i].x);
    r.Top = std::min(r.Top, Points[i].y);
    r.Bottom = std::max(r.Bottom, Points[i].y);
  }
  ++r.Right;
  ++r.Bottom;
  return r;
}

bool IsNegativeOrientation(TPoint P0, TPoint P1, TPoint P2) {
  // 32-bit wrapping arithmetic, as the orientation test of the walls expects.
  const uint32_t a = static_cast<uint32_t>(P0.x - P1.x) * static_cast<uint32_t>(P2.y - P1.y);
  const uint32_t b = static_cast<uint32_t>(P2.x - P1.x) * static_cast<uint32_t>(P0.y - P1.y);
  return static_cast<int32_t>(a - b) < 0;
}

void SwapInteger(int& A, int& B) { std::swap(A, B); }
void SwapDouble(double& A, double& B) { std::swap(A, B); }
double Hypotenuse(double A, double B) { return std::sqrt(A * A + B * B); }

TPoint PointAtDistanceFromEnd(TPoint P0, TPoint P1, int Distance) {
  if (P1.x == P0.x) return {P1.x, P1.y > P0.y ? P1.y - Distance : P1.y + Distance};
  const double a = std::atan2(static_cast<double>(P1.y - P0.y), static_cast<double>(P1.x - P0.x));
  return {static_cast<int>(std::lround(P1.x - Distance * std::cos(a))),
          static_cast<int>(std::lround(P1.y - Distance * std::sin(a)))};
}

bool PointInLineXY(TPoint P, int X0, int Y0, int X1, int Y1, int Tolerance) {
  const double dx = static_cast<double>(X1) - X0, dy = static_cast<double>(Y1) - Y0;
  if (!(std::fabs(dy * (P.x - X0) - (P.y - Y0) * dx) < std::max(std::fabs(dx), std::fabs(dy)))) return false;
  auto beyond = [Tolerance](int b, int a) { return b > a + Tolerance; };
  auto off = [&](int e, int other, int p) { return (beyond(e, other) && beyond(p, e)) || (beyond(other, e) && beyond(e, p)); };
  return !(off(X0, X1, P.x) || off(Y0, Y1, P.y) || off(X1, X0, P.x) || off(Y1, Y0, P.y));
}

bool PointInLine(TPoint P, TPoint P0, TPoint P1, int Tolerance) {
  return PointInLineXY(P, P0.x, P0.y, P1.x, P1.y, Tolerance);
}

bool PointInPolygon(TPoint P, const std::vector<TPoint>& Points) {
  bool inside = false;
  const size_t n = Points.size();
  for (size_t i = 0, j = n - 1; i < n; j = i++) {
    const TPoint a = Points[i], b = Points[j];
    if ((a.y <= P.y) != (b.y <= P.y)) {
      const double x = a.x + static_cast<double>(P.y - a.y) * (b.x - a.x) / static_cast<double>(b.y - a.y);
      if (P.x < x) inside = !inside;
    }
  }
  return inside;
}

bool RectsIntersect(const TRect& A, const TRect& B) {
  return std::max(A.Left, B.Left) < std::min(A.Right, B.Right) && std::max(A.Top, B.Top) < std::min(A.Bottom, B.Bottom);
}

AnsiString IntToText(int Value) { return std::to_string(Value); }

AnsiString TeeFieldsSeparator = ";";

AnsiString ExtractField(const AnsiString& Text, int Index) {
  if (Index < 1 || Text.empty()) return {};
  size_t start = 0;
  for (int i = 1;; ++i) {
    const size_t at = TeeFieldsSeparator.empty() ? AnsiString::npos : Text.find(TeeFieldsSeparator, start);
    if (at == AnsiString::npos) return Text.substr(start);
    if (i == Index) return Text.substr(start, at - start);
    start = at + TeeFieldsSeparator.size();
  }
}

AnsiString ExtractFieldBy(const AnsiString& Text, int Index, const AnsiString& Separator) {
  const AnsiString saved = TeeFieldsSeparator;
  TeeFieldsSeparator = Separator;
  AnsiString r = ExtractField(Text, Index);
  TeeFieldsSeparator = saved;
  return r;
}

AnsiString ReplaceChar(const AnsiString& Text, char Old, char New) {
  AnsiString r;
  r.reserve(Text.size());
  for (char c : Text) {
    if (c != Old)
      r += c;
    else if (New != '\0')
      r += New;
  }
  return r;
}

namespace {
void QuickSort(int l, int r, const std::function<int(int, int)>& Compare, const std::function<void(int, int)>& Swap) {
  while (l < r) {
    int i = l, j = r, pivot = (l + r) / 2;
    while (i <= j) {
      while (Compare(i, pivot) < 0) ++i;
      while (Compare(pivot, j) < 0) --j;
      if (i <= j) {
        if (i != j) {
          Swap(i, j);
          // The pivot moves with its element.
          if (pivot == i)
            pivot = j;
          else if (pivot == j)
            pivot = i;
        }
        ++i;
        --j;
      }
    }
    if (j - l < r - i) {
      QuickSort(l, j, Compare, Swap);
      l = i;
    } else {
      QuickSort(i, r, Compare, Swap);
      r = j;
    }
  }
}
}  // namespace

void SortByCallbacks(int Start, int End, const std::function<int(int, int)>& Compare,
                     const std::function<void(int, int)>& Swap) {
  if (Start < End) QuickSort(Start, End, Compare, Swap);
}

// ---- date-time steps ----

namespace {
constexpr double kSec = 1.0 / 86400.0;
}

const double DateTimeStep[27] = {kSec / 1000000.0, kSec / 1000.0, kSec, 5 * kSec, 10 * kSec, 15 * kSec, 30 * kSec,
                                 60 * kSec, 300 * kSec, 600 * kSec, 900 * kSec, 1800 * kSec, 1.0 / 24, 2.0 / 24,
                                 6.0 / 24, 12.0 / 24, 1, 2, 3, 7, 15, 30, 60, 90, 120, 182, 365};

AnsiString TeeShortDateFormat = "dd/mm/yyyy";
AnsiString TeeShortTimeFormat = "hh:nn";

AnsiString DateTimeDefaultFormat(double Step) { return Step < 1 ? TeeShortTimeFormat : TeeShortDateFormat; }

double FindDateTimeStep(double Value) {
  for (int t = dtSixMonths; t >= 0; --t)
    if (DateTimeStep[t] <= Value) return DateTimeStep[t + 1];
  return DateTimeStep[dtOneYear];
}

int DateTimeStepIndex(double Value) {
  for (int t = 0; t <= dtOneYear; ++t)
    if (std::fabs(DateTimeStep[t] - Value) < 1.1574074074074074e-11) return t;
  return dtNone;
}

TDateTime TruncDateTime(int Step, TDateTime Date) {
  if (Step < dtHalfMonth || Step > dtOneYear) return Date;
  Word y, m, d;
  DecodeDate(Date, y, m, d);
  if (Step == dtHalfMonth) return EncodeDate(y, m, d >= 15 ? 15 : 1);
  if (Step == dtOneYear) return EncodeDate(y, 1, 1);
  return EncodeDate(y, m, 1);
}

TDateTime NextDateTime(TDateTime Date, int Step, double Increment, bool Forward) {
  if (Step < dtHalfMonth || Step > dtOneYear) return Forward ? Date + Increment : Date - Increment;
  Word y, m, d;
  DecodeDate(Date, y, m, d);
  const double time = Date - std::floor(Date);
  int year = y, month = m, day = d;
  if (Step == dtHalfMonth) {
    if (Forward) {
      if (day >= 15) {
        day = 1;
        if (++month > 12) month = 1, ++year;
      } else {
        day = 15;
      }
    } else {
      if (day <= 1) {
        day = 15;
        if (--month < 1) month = 12, --year;
      } else {
        day = day > 15 ? 15 : 1;
      }
    }
  } else if (Step == dtOneYear) {
    year += Forward ? 1 : -1;
  } else {
    const int months = Step == dtOneMonth ? 1 : Step == dtTwoMonths ? 2 : Step == dtThreeMonths ? 3 : Step == dtFourMonths ? 4 : 6;
    int total = year * 12 + (month - 1) + (Forward ? months : -months);
    year = total / 12;
    month = total % 12 + 1;
  }
  if (year < 1) year = 1;
  if (year > 9999) year = 9999;
  day = std::min<int>(day, DaysInMonth(static_cast<Word>(year), static_cast<Word>(month)));
  return EncodeDate(static_cast<Word>(year), static_cast<Word>(month), static_cast<Word>(day)) + time;
}

// ---- colours ----

namespace {
const std::vector<TColor> kDefaultPalette = {0x0000FF, 0x008000, 0x00FFFF, 0xFF0000, 0xFFFFFF, 0x808080, 0xFF00FF,
                                             0x808000, 0x800000, 0x000080, 0x00FF00, 0x008080, 0x800080, 0xC0C0C0,
                                             0xFFFF00, 0x000000, 0xC0DCC0, 0xF0CAA6, 0xF0FBFF};
std::vector<TColor>& Palette() {
  static std::vector<TColor> p = kDefaultPalette;
  return p;
}
}  // namespace

TColor GetDefaultColor(int Index) {
  const auto& p = Palette();
  return p[static_cast<size_t>(std::abs(Index)) % p.size()];
}

void SetDefaultColorPalette(const std::vector<TColor>& Colors) { Palette() = Colors.empty() ? kDefaultPalette : Colors; }

const std::vector<TColor>& DefaultColorPalette() { return Palette(); }

// ---- drawing helpers ----

void EnableControls(bool Enable, const std::vector<TControl*>& Controls) {
  for (TControl* c : Controls)
    if (c) c->SetEnabled(Enable);
}

TTeeTranslateHook TeeTranslateHook;

void TranslateForm(TForm* Form) {
  if (TeeTranslateHook) TeeTranslateHook(Form);
}

void DrawCheckBox(int X, int Y, TCanvas* Canvas, bool IsCheckBox, bool Checked) {
  TPen saved;
  saved.Assign(Canvas->Pen());
  TBrush savedBrush;
  savedBrush.Assign(Canvas->Brush());
  Canvas->Pen()->SetStyle(psSolid);
  Canvas->Pen()->SetWidth(1);
  Canvas->Pen()->SetColor(clBtnShadow);
  Canvas->Brush()->SetStyle(bsSolid);
  Canvas->Brush()->SetColor(clWindow);
  if (IsCheckBox) {
    Canvas->Rectangle(X, Y, X + 13, Y + 13);
    if (Checked) {
      Canvas->Pen()->SetColor(clWindowText);
      for (int k = 0; k < 3; ++k) {
        Canvas->MoveTo(X + 3, Y + 5 + k);
        Canvas->LineTo(X + 5, Y + 7 + k);
        Canvas->LineTo(X + 10, Y + 2 + k);
      }
    }
  } else {
    Canvas->Ellipse(X, Y, X + 13, Y + 13);
    if (Checked) {
      Canvas->Brush()->SetColor(clWindowText);
      Canvas->Pen()->SetColor(clWindowText);
      Canvas->Ellipse(X + 4, Y + 4, X + 9, Y + 9);
    }
  }
  Canvas->Pen()->Assign(&saved);
  Canvas->Brush()->Assign(&savedBrush);
}

namespace {
double Filter(int kind, double x) {
  x = std::fabs(x);
  if (kind == 1) return x < 1 ? 1 - x : 0;
  if (x == 0) return 1;
  if (x >= 3) return 0;
  const double a = M_PI * x, b = a / 3;
  return (std::sin(a) / a) * (std::sin(b) / b);
}

struct Contribution {
  int pixel;
  int weight;
};

// Per destination index, the source pixels that contribute and their weights. Source
// indexes outside the image reflect at its edges and are clamped, so a source of any
// size (also below the filter's support) is never read outside.
std::vector<std::vector<Contribution>> Contributions(int dst, int src, int kind) {
  std::vector<std::vector<Contribution>> list(static_cast<size_t>(std::max(dst, 0)));
  if (dst <= 0 || src <= 0) return list;
  const double support = kind == 1 ? 1.0 : 3.0;
  const double scale = static_cast<double>(dst) / src;
  const bool reduce = scale < 1;
  const double width = reduce ? support / scale : support;
  for (int i = 0; i < dst; ++i) {
    const double center = (i + 0.5) / scale - 0.5;
    const int left = static_cast<int>(std::floor(center - width)), right = static_cast<int>(std::ceil(center + width));
    for (int j = left; j <= right; ++j) {
      const double d = reduce ? (center - j) * scale : center - j;
      const int w = static_cast<int>(std::lround(Filter(kind, d) * 1000.0 * (reduce ? scale : 1.0)));
      if (w == 0) continue;
      int n = j;
      if (n < 0) n = -n;
      if (n >= src) n = 2 * src - 1 - n;
      n = std::clamp(n, 0, src - 1);
      list[static_cast<size_t>(i)].push_back({n, w});
    }
  }
  return list;
}

uint8_t Clamp255(long v) { return static_cast<uint8_t>(std::clamp<long>(v, 0, 255)); }
}  // namespace

void SmoothStretch(TBitmap* Source, TBitmap* Dest, int Filter) {
  if (!Source || !Dest) return;
  Source->SetPixelFormat(pf24bit);
  Dest->SetPixelFormat(pf24bit);
  const int sw = Source->Width(), sh = Source->Height(), dw = Dest->Width(), dh = Dest->Height();
  if (sw <= 0 || sh <= 0 || dw <= 0 || dh <= 0) return;
  // Horizontal pass into an intermediate image of destination width and source height.
  std::vector<uint8_t> mid(static_cast<size_t>(dw) * sh * 3);
  const auto hc = Contributions(dw, sw, Filter);
  for (int y = 0; y < sh; ++y) {
    const uint8_t* row = Source->ScanLine(y);
    for (int x = 0; x < dw; ++x) {
      long r = 0, g = 0, b = 0, total = 0;
      for (const Contribution& c : hc[static_cast<size_t>(x)]) {
        const uint8_t* p = row + c.pixel * 3;
        b += p[0] * c.weight;
        g += p[1] * c.weight;
        r += p[2] * c.weight;
        total += c.weight;
      }
      uint8_t* o = &mid[(static_cast<size_t>(y) * dw + x) * 3];
      if (total == 0) total = 1;
      o[0] = Clamp255(b / total);
      o[1] = Clamp255(g / total);
      o[2] = Clamp255(r / total);
    }
  }
  const auto vc = Contributions(dh, sh, Filter);
  for (int y = 0; y < dh; ++y) {
    uint8_t* out = Dest->ScanLine(y);
    for (int x = 0; x < dw; ++x) {
      long r = 0, g = 0, b = 0, total = 0;
      for (const Contribution& c : vc[static_cast<size_t>(y)]) {
        const uint8_t* p = &mid[(static_cast<size_t>(c.pixel) * dw + x) * 3];
        b += p[0] * c.weight;
        g += p[1] * c.weight;
        r += p[2] * c.weight;
        total += c.weight;
      }
      if (total == 0) total = 1;
      out[x * 3] = Clamp255(b / total);
      out[x * 3 + 1] = Clamp255(g / total);
      out[x * 3 + 2] = Clamp255(r / total);
    }
  }
}

#include "chart/Chart.h"

#include <algorithm>
#include <cmath>
#include <random>

#include "chart/Series.h"
#include "chart/TeeConst.h"
#include "chart/TeeProCo.h"
#include "chart/TeeSurfa.h"
#include "platform/stdctrls/StdCtrlsRegistration.h"
#include "platform/streaming/ClassProps.h"
#include "platform/streaming/Filer.h"
#include "platform/ui/UiStreaming.h"

namespace {
constexpr int kTitleFootGap = 5;
}  // namespace

// ---------------------------------------------------------------------------------------
// Titles

void TTeeCustomShapePosition::SetLeft(int v) {
  const int w = Width();
  ShapeBounds.Left = v;
  ShapeBounds.Right = v + w;
  custom_position_ = true;
  Repaint();
}

void TTeeCustomShapePosition::SetTop(int v) {
  const int h = Height();
  ShapeBounds.Top = v;
  ShapeBounds.Bottom = v + h;
  custom_position_ = true;
  Repaint();
}

TChartTitle::TChartTitle(TCustomChart* AOwner, bool Foot) : TTeeCustomShapePosition(AOwner), foot_(Foot) {
  transparent_ = default_transparent_ = true;
  font_->SetColor(Foot ? clRed : clBlue);
  if (Foot) font_->SetStyle(TFontStyles{fsItalic});
  text_.OnChange = [this](TObject*) { Repaint(); };
}

void TChartTitle::Assign(TPersistent* Source) {
  if (auto* s = dynamic_cast<TChartTitle*>(Source)) {
    adjust_frame_ = s->adjust_frame_;
    alignment_ = s->alignment_;
    text_.Assign(&s->text_);
  }
  TTeeCustomShapePosition::Assign(Source);
}

bool TChartTitle::Clicked(int X, int Y) const { return visible_ && PointInRect(TitleRect, X, Y); }

void TChartTitle::DrawTitle() {
  auto* chart = dynamic_cast<TCustomChart*>(parent_);
  if (!chart || !visible_ || text_.Count() == 0) return;
  TTeeCanvas3D* c = chart->ChartCanvas();
  int f = pen_->Visible() && pen_->Color() != clTeeColor ? pen_->Width() : 0;
  if (bevel_ != bvNone) f = bevel_width_;
  TRect r = ShapeBounds;
  if (!custom_position_) {
    r = chart->ChartRect;
    if (!foot_) r.Top += f;
  }
  c->AssignFont(font_.get());
  const int h = c->FontHeight();
  const int lines = text_.Count();
  if (!foot_ || custom_position_)
    r.Bottom = r.Top + lines * h;
  else
    r.Top = r.Bottom - lines * h;
  if (!custom_position_) r = TRect(r.Left - f, r.Top - f, r.Right + f, r.Bottom + f);
  const int w = c->TextWidth("W");
  if (adjust_frame_) {
    int widest = 0;
    for (int i = 0; i < lines; ++i) widest = std::max(widest, c->TextWidth(text_.Strings(i)));
    const int width = widest + w + f;
    if (alignment_ == taLeftJustify)
      r.Right = r.Left + width;
    else if (alignment_ == taRightJustify)
      r.Left = r.Right - width;
    else {
      const int mid = (r.Left + r.Right) / 2;
      r.Left = mid - width / 2;
      r.Right = r.Left + width;
    }
  }
  ShapeBounds = r;
  TitleRect = r;
  DrawRectRotated(r, 0, 0);
  c->AssignFont(font_.get());
  c->SetBackMode(TRANSPARENT);
  c->SetTextAlign(TA_LEFT | TA_TOP);
  for (int i = 0; i < lines; ++i) {
    const AnsiString t = text_.Strings(i);
    const int y = foot_ ? r.Bottom - h - (i * h + f) : r.Top + f + i * h;
    int x;
    if (alignment_ == taLeftJustify)
      x = r.Left + w / 2;
    else if (alignment_ == taRightJustify)
      x = r.Right - c->TextWidth(t) - w / 2;
    else
      x = (r.Left + r.Right) / 2 - c->TextWidth(t) / 2;
    c->TextOut(x, y, t);
  }
  if (!custom_position_) {
    int gap = kTitleFootGap + f;
    if (!transparent_ && shadow_) gap += shadow_->Size();
    if (foot_)
      chart->ChartRect.Bottom = r.Top - gap;
    else
      chart->ChartRect.Top = r.Bottom + gap;
  }
}

// ---------------------------------------------------------------------------------------
// Walls

TCustomChartWall::TCustomChartWall(TCustomChart* AOwner, TColor DefaultColor)
    : TTeeCustomShape(AOwner), default_color_(DefaultColor) {
  color_ = DefaultColor;
}

void TCustomChartWall::Assign(TPersistent* Source) {
  if (auto* s = dynamic_cast<TCustomChartWall*>(Source)) {
    auto_hide_ = s->auto_hide_;
    dark3d_ = s->dark3d_;
    size_ = s->size_;
  }
  TTeeCustomShape::Assign(Source);
}

TChartBackWall::TChartBackWall(TCustomChart* AOwner) : TChartWall(AOwner, clSilver) {
  transparent_ = default_transparent_ = true;
}

TChartRightWall::TChartRightWall(TCustomChart* AOwner) : TChartWall(AOwner, clSilver) { visible_ = false; }

// ---------------------------------------------------------------------------------------
// TCustomChart

TCustomChart::TCustomChart(TComponent* AOwner) : TCustomAxisPanel(AOwner) {
  OnToolsEvent = [this](int Code) { tools_.BroadcastDraw(Code); };
  title_ = std::make_unique<TChartTitle>(this);
  sub_title_ = std::make_unique<TChartTitle>(this);
  foot_ = std::make_unique<TChartTitle>(this, true);
  sub_foot_ = std::make_unique<TChartTitle>(this, true);
  back_wall_ = std::make_unique<TChartBackWall>(this);
  bottom_wall_ = std::make_unique<TChartWall>(this, clWhite);
  left_wall_ = std::make_unique<TChartWall>(this, 0x80FFFF);
  right_wall_ = std::make_unique<TChartRightWall>(this);
  legend_ = std::make_unique<TChartLegend>(this);
  MarkChartDefaults(this);
}

TCustomChart::~TCustomChart() = default;

void TCustomChart::Assign(TPersistent* Source) {
  if (auto* s = dynamic_cast<TCustomChart*>(Source)) {
    title_->Assign(s->title_.get());
    sub_title_->Assign(s->sub_title_.get());
    foot_->Assign(s->foot_.get());
    sub_foot_->Assign(s->sub_foot_.get());
    back_wall_->Assign(s->back_wall_.get());
    bottom_wall_->Assign(s->bottom_wall_.get());
    left_wall_->Assign(s->left_wall_.get());
    right_wall_->Assign(s->right_wall_.get());
    legend_->Assign(s->legend_.get());
    ScrollMouseButton = s->ScrollMouseButton;
  }
  TCustomAxisPanel::Assign(Source);
}

void TCustomChart::SetBackColor(TColor Color) {
  back_wall_->SetColor(Color);
  if (Parent() && !HasState(csLoading)) back_wall_->Brush()->SetStyle(bsSolid);
}

TColor TCustomChart::GetBackColor() { return back_wall_->Transparent() ? Color() : back_wall_->Color(); }

bool TCustomChart::IsFreeSeriesColor(TColor C, bool CheckBackground, TChartSeries* Series) {
  for (TChartSeries* s : SeriesList())
    if (s != Series && s->SeriesColor() == C) return false;
  return !(CheckBackground && (C == Color() || C == back_wall_->Color()));
}

AnsiString TCustomChart::LegendTextOfValue(TChartSeries* Series, int Index) {
  if (!Series) return {};
  return legend_->FormattedValue(Series, Index);
}

bool TCustomChart::SeriesUseAxes() const {
  bool any = false;
  for (TChartSeries* s : const_cast<TCustomChart*>(this)->SeriesList())
    if (s->Active()) {
      any = true;
      if (s->UseAxis()) return true;
    }
  return !any;
}

int TCustomChart::CalcWallSize(TChartAxis* Axis) {
  if (!View3D() || !View3DWalls) return 0;
  TCustomChartWall* w = back_wall_.get();
  if (Axis == LeftAxis()) w = left_wall_.get();
  else if (Axis == BottomAxis()) w = bottom_wall_.get();
  else if (Axis == RightAxis()) w = right_wall_.get();
  return w->Visible() ? w->Size() : 0;
}

void TCustomChart::CalcWallsRect() {
  TCustomAxisPanel::CalcWallsRect();
  if (!View3D() || !View3DOptions()->Orthogonal()) return;
  const int b = SeriesUseAxes() ? back_wall_->Size() : 0;
  const int d = std::abs(View3DOptions()->HorizOffset()) + b;
  if (View3DOptions()->OrthoAngle() < 91) {
    ChartRect.Right -= d;
    if (right_wall_->Visible()) ChartRect.Right -= right_wall_->Size() + 1;
  } else {
    ChartRect.Left += d;
    if (left_wall_->Visible()) ChartRect.Left += left_wall_->Size() + 1;
  }
  ChartRect.Top += b + std::abs(View3DOptions()->VertOffset());
  RecalcWidthHeight();
}

bool TCustomChart::WallFacesViewer(bool Left) {
  TTeeCanvas3D* c = ChartCanvas();
  const int x = Left ? ChartRect.Left : ChartRect.Right;
  const int yb = ChartRect.Bottom + CalcWallSize(BottomAxis());
  const TPoint p0 = c->Calculate3DPosition(x, ChartRect.Top, 0);
  const TPoint p1 = c->Calculate3DPosition(x, yb, 0);
  const TPoint p2 = c->Calculate3DPosition(x, yb, back_wall_->Size() + Width3D);
  const bool neg = IsNegativeOrientation(p0, p1, p2);
  return Left ? neg : !neg;
}

void TCustomChart::DrawTitlesAndLegend(bool BeforeSeries) {
  TTeeCanvas3D* c = ChartCanvas();
  c->DisableRotationCounted();
  TChartTitle* titles[] = {title_.get(), sub_title_.get(), foot_.get(), sub_foot_.get()};
  if (BeforeSeries) {
    auto drawTitles = [&] {
      for (TChartTitle* t : titles)
        if (!t->CustomPosition()) t->DrawTitle();
    };
    if (!legend_->CustomPosition() && legend_->ShouldDraw()) {
      if (legend_->Vertical()) {
        legend_->Draw();
        drawTitles();
      } else {
        drawTitles();
        legend_->Draw();
      }
    } else {
      drawTitles();
    }
  } else {
    if (legend_->CustomPosition() && legend_->ShouldDraw()) legend_->Draw();
    for (TChartTitle* t : titles)
      if (t->CustomPosition()) t->DrawTitle();
  }
  c->EnableRotationCounted();
  if (!BeforeSeries && SeriesUseAxes() && View3D() && View3DWalls) {
    if (right_wall_->Visible() && !right_wall_->AutoHide() && WallFacesViewer(false)) {
      DrawRightWall();
      if (IsAxisVisible(RightAxis())) RightAxis()->Draw(false);
    }
    if (left_wall_->Visible() && !left_wall_->AutoHide() && WallFacesViewer(true)) {
      DrawLeftWall();
      if (IsAxisVisible(LeftAxis())) LeftAxis()->Draw(false);
    }
    if (ChartRectMirrored(Width3D)) {
      if (IsAxisVisible(TopAxis())) TopAxis()->DrawGrids();
      if (IsAxisVisible(BottomAxis())) BottomAxis()->DrawGrids();
      if (back_wall_->Visible() && !back_wall_->AutoHide()) DrawBackWall();
    }
  }
}

void TCustomChart::PrepareWall(TCustomChartWall* W) {
  TTeeCanvas3D* c = ChartCanvas();
  c->AssignVisiblePen(W->Pen());
  if (W->Transparent())
    c->Brush()->SetStyle(bsClear);
  else
    c->AssignBrush(W->Brush(), W->Color());
}

namespace {
bool DarkSides(TCustomChartWall* W) { return W->Brush()->Style() != bsClear && !W->Brush()->HasImage() && W->Dark3D(); }
}  // namespace

void TCustomChart::FillWallPlane(TCustomChartWall* W, const std::vector<TPoint>& Plane, TTeeBlend*& Blend) {
  if (W->Transparent()) return;
  TTeeCanvas3D* c = ChartCanvas();
  std::vector<TPoint> projected;
  for (const TPoint& p : Plane) projected.push_back(p);
  if (W->Transparency() > 0) Blend = c->BeginBlending(RectFromPolygon(projected.data(), static_cast<int>(projected.size())), W->Transparency());
  if (W->HasGradient()) {
    W->Gradient()->DrawPolygon(c, projected, 0, false);
    c->Brush()->SetStyle(bsClear);
  }
}

void TCustomChart::DrawLeftWall() {
  TTeeCanvas3D* c = ChartCanvas();
  const TRect& r = ChartRect;
  const int W = Width3D, S = left_wall_->Size(), B = r.Bottom + CalcWallSize(BottomAxis());
  PrepareWall(left_wall_.get());
  TTeeBlend* blend = nullptr;
  FillWallPlane(left_wall_.get(),
                {c->Calculate3DPosition(r.Left, r.Top, 0), c->Calculate3DPosition(r.Left, r.Top, W),
                 c->Calculate3DPosition(r.Left, B, W), c->Calculate3DPosition(r.Left, B, 0)},
                blend);
  if (S >= 1)
    c->Cube(r.Left - S, r.Left, r.Top, B, 0, W, DarkSides(left_wall_.get()));
  else
    c->RectangleZ(r.Left, r.Top, B, 0, W);
  if (blend) c->EndBlending(blend);
}

void TCustomChart::DrawRightWall() {
  TTeeCanvas3D* c = ChartCanvas();
  const TRect& r = ChartRect;
  const int W = Width3D, S = right_wall_->Size(), B = r.Bottom + CalcWallSize(BottomAxis());
  PrepareWall(right_wall_.get());
  TTeeBlend* blend = nullptr;
  FillWallPlane(right_wall_.get(),
                {c->Calculate3DPosition(r.Right, r.Top, 0), c->Calculate3DPosition(r.Right, r.Top, W),
                 c->Calculate3DPosition(r.Right, B, W), c->Calculate3DPosition(r.Right, B, 0)},
                blend);
  if (S >= 1)
    c->Cube(r.Right, r.Right + S, r.Top, B, 0, W + (back_wall_->Visible() ? back_wall_->Size() : 0), DarkSides(right_wall_.get()));
  else
    c->RectangleZ(r.Right, r.Top, B, 0, W + 1);
  if (blend) c->EndBlending(blend);
}

void TCustomChart::DrawBottomWall() {
  TTeeCanvas3D* c = ChartCanvas();
  const TRect& r = ChartRect;
  const int W = Width3D, S = bottom_wall_->Size();
  const int Y = r.Bottom + (c->IsNative3D() ? 1 : 0);
  int X0 = r.Left;
  if (left_wall_->Visible() && (!left_wall_->AutoHide() || WallFacesViewer(true))) X0 -= CalcWallSize(LeftAxis());
  PrepareWall(bottom_wall_.get());
  TTeeBlend* blend = nullptr;
  FillWallPlane(bottom_wall_.get(),
                {c->Calculate3DPosition(X0, Y, 0), c->Calculate3DPosition(X0, Y, W), c->Calculate3DPosition(r.Right, Y, W),
                 c->Calculate3DPosition(r.Right, Y, 0)},
                blend);
  if (S >= 1)
    c->Cube(X0, r.Right, Y, Y + S, 0, W, DarkSides(bottom_wall_.get()));
  else
    c->RectangleY(X0, Y, r.Right, 0, W);
  if (blend) c->EndBlending(blend);
}

void TCustomChart::DrawBackWall() {
  TTeeCanvas3D* c = ChartCanvas();
  const TRect& r = ChartRect;
  PrepareWall(back_wall_.get());
  const int W = Width3D, S = back_wall_->Size();
  TTeeBlend* blend = nullptr;
  if (View3D() && View3DWalls) {
    const int s = W < 0 ? -S : S;
    const TRect RB = S > 0 ? TRect(r.Left - CalcWallSize(LeftAxis()), r.Top, r.Right, r.Bottom + CalcWallSize(BottomAxis())) : r;
    if (back_wall_->Transparency() > 0) blend = c->BeginBlending(c->RectFromRectZ(RB, W), back_wall_->Transparency());
    if (!back_wall_->Transparent() && back_wall_->HasGradient()) {
      if (View3DOptions()->Orthogonal())
        back_wall_->Gradient()->Draw(c, c->CalcRect3D(RB, W), 0);
      else
        back_wall_->Gradient()->DrawPolygon(c, c->FourPointsFromRect(RB, W), 0, false);
      c->Brush()->SetStyle(bsClear);
    }
    if (S > 0)
      c->CubeRect(RB, W, W + s, DarkSides(back_wall_.get()));
    else
      c->RectangleWithZ(RB, W);
  } else {
    const TRect RB(r.Left, r.Top, r.Right + 1, r.Bottom + 1);
    if (back_wall_->Transparency() > 0) blend = c->BeginBlending(RB, back_wall_->Transparency());
    if (back_wall_->HasGradient() && !back_wall_->Transparent()) {
      back_wall_->Gradient()->Draw(c, RB, 0);
      c->Brush()->SetStyle(bsClear);
    }
    c->Rectangle(RB.Left, RB.Top, RB.Right, RB.Bottom);
  }
  if (HasBackImage() && BackImage()->Inside()) {
    TRect in = r;
    if (back_wall_->Pen()->Visible()) ++in.Left, ++in.Top;
    DrawBackImage(in, W);
  }
  if (blend) c->EndBlending(blend);
}

void TCustomChart::DrawWalls() {
  if (!SeriesUseAxes()) return;
  const bool walls3d = View3D() && View3DWalls;
  if (walls3d && right_wall_->Visible() && !WallFacesViewer(false)) DrawRightWall();
  if (View3DWalls && back_wall_->Visible() && !ChartRectMirrored(Width3D)) DrawBackWall();
  if (walls3d) {
    if (left_wall_->Visible() && !WallFacesViewer(true)) DrawLeftWall();
    if (bottom_wall_->Visible()) DrawBottomWall();
    if (ChartRectMirrored(0)) {
      if (IsAxisVisible(TopAxis())) TopAxis()->Draw(true);
      if (IsAxisVisible(BottomAxis())) BottomAxis()->Draw(true);
    }
  }
}

TChartClickedPart TCustomChart::CalcClickedPart(int X, int Y, bool OnlySeriesWithClick) {
  (void)OnlySeriesWithClick;
  TChartClickedPart r;
  if (legend_->Visible() && legend_->CustomPosition()) {
    const int i = legend_->Clicked(X, Y);
    if (i != -1) {
      r.Part = cpLegend;
      r.PointIndex = i;
      return r;
    }
  }
  auto& list = SeriesList();
  for (auto it = list.rbegin(); it != list.rend(); ++it) {
    TChartSeries* s = *it;
    if (!s->Active()) continue;
    const int i = s->Clicked(X, Y);
    if (i != -1) {
      r.Part = cpSeries;
      r.PointIndex = i;
      r.ASeries = s;
      return r;
    }
  }
  for (TChartAxis* a : Axes())
    if (IsAxisVisible(a) && a->Clicked(X, Y)) {
      r.Part = cpAxis;
      r.AAxis = a;
      return r;
    }
  if (legend_->Visible() && !legend_->CustomPosition() && PointInRect(legend_->ShapeBounds, X, Y)) {
    r.Part = cpLegend;
    r.PointIndex = legend_->Clicked(X, Y);
    return r;
  }
  const std::pair<TChartTitle*, TChartClickedPartStyle> titles[] = {
      {title_.get(), cpTitle}, {sub_title_.get(), cpSubTitle}, {foot_.get(), cpFoot}, {sub_foot_.get(), cpSubFoot}};
  for (const auto& [t, part] : titles)
    if (t->Clicked(X, Y)) {
      r.Part = part;
      return r;
    }
  if (PointInRect(ChartRect, X, Y) && SeriesLegendCount(false) > 0) r.Part = cpChartRect;
  return r;
}

void TCustomChart::DefineChartProperties(TFiler& Filer) {
  Filer.DefineProperty(
      "ColorPaletteIndex",
      [this](TReader& R) {
        const int i = R.ReadInteger();
        ColorPaletteIndex = i;
        if (i >= 1) ApplyChartPalette(this, i);
      },
      [this](TWriter& W) { W.WriteInteger(ColorPaletteIndex); }, ColorPaletteIndex >= 1);
  Filer.DefineProperty(
      "BackColor",
      [this](TReader& R) {
        TColor c = clSilver;
        if (R.NextValue() == vaIdent) {
          if (!IdentToColor(R.ReadIdent(), c)) c = clSilver;
        } else {
          c = R.ReadInteger();
        }
        SetBackColor(c);
      },
      [](TWriter&) {}, false);
}

// ---------------------------------------------------------------------------------------
// Registries and palettes

std::vector<TTeeSeriesType>& TeeSeriesTypes() {
  static std::vector<TTeeSeriesType> v;
  return v;
}

std::vector<AnsiString>& TeeToolTypes() {
  static std::vector<AnsiString> v;
  return v;
}

namespace {
bool SameName(const char* a, const char* b) { return (a == nullptr && b == nullptr) || (a && b && AnsiString(a) == b); }
}  // namespace

void RegisterSeriesType(const char* SeriesClass, const char* FunctionClass, AnsiString* Description,
                        AnsiString* GalleryPage, int NumGallerySeries) {
  auto& v = TeeSeriesTypes();
  for (const TTeeSeriesType& t : v)
    if (SameName(t.SeriesClass, SeriesClass) && SameName(t.FunctionClass, FunctionClass)) return;
  v.push_back({SeriesClass, FunctionClass, Description, GalleryPage, NumGallerySeries});
}

void RegisterChartSeries(const char* SeriesClass, AnsiString* Description, AnsiString* GalleryPage, int NumGallerySeries) {
  RegisterSeriesType(SeriesClass, nullptr, Description, GalleryPage, NumGallerySeries);
}

void RegisterChartFunction(const char* FunctionClass, AnsiString* Description, AnsiString* GalleryPage, int NumGallerySeries) {
  RegisterSeriesType(nullptr, FunctionClass, Description, GalleryPage, NumGallerySeries);
}

void UnregisterSeriesType(const char* Class, bool BySeries) {
  auto& v = TeeSeriesTypes();
  v.erase(std::remove_if(v.begin(), v.end(),
                         [&](const TTeeSeriesType& t) { return SameName(BySeries ? t.SeriesClass : t.FunctionClass, Class); }),
          v.end());
}

void UnregisterChartFunctions(std::initializer_list<const char*> Functions) {
  for (const char* f : Functions) UnregisterSeriesType(f, false);
}

void RegisterChartTools(std::initializer_list<const char*> Tools) {
  auto& v = TeeToolTypes();
  for (const char* t : Tools)
    if (std::find(v.begin(), v.end(), t) == v.end()) v.push_back(t);
}

void UnregisterChartTools(std::initializer_list<const char*> Tools) {
  auto& v = TeeToolTypes();
  for (const char* t : Tools) v.erase(std::remove(v.begin(), v.end(), AnsiString(t)), v.end());
}

namespace {
std::vector<TColor> Swap(std::initializer_list<uint32_t> rgb) {
  // The table lists colours as 0xBBGGRR values already.
  std::vector<TColor> v;
  for (uint32_t c : rgb) v.push_back(static_cast<TColor>(c));
  return v;
}
const std::vector<std::vector<TColor>>& Palettes() {
  static const std::vector<std::vector<TColor>> p = {
      {},
      Swap({0xFF9999, 0x663399, 0xCCFFFF, 0xFFFFCC, 0x660066, 0x8080FF, 0xCC6600, 0xFFCCCC, 0x800000, 0xFF00FF, 0x00FFFF,
            0xFFFF00, 0x800080, 0x000080, 0x808000, 0xFF0000, 0xFFCC00, 0xFFFFCC, 0xCCFFCC, 0x00FFFF, 0xFFCC99, 0xCC99FF}),
      Swap({0xA1A55D, 0x3153C4, 0x0996E7, 0x4AE8F6, 0xA7A2B1, 0x84A7C9, 0x51798C, 0xB7CDD8, 0x536508, 0x7BD8F7, 0x846401}),
      Swap({0xFFFFCC, 0xCCFFFF, 0xFFCCCC, 0xCCCC00, 0xCCCCCC, 0x999900, 0x999999, 0xCCCCFF, 0x66CCFF, 0xFFCCCC, 0x9999FF,
            0x99FFFF, 0xFFCC99, 0xCCFFCC}),
      Swap({0xFF0000, 0x0000FF, 0x00FF00, 0x00CCFF, 0x404040, 0x00FFFF, 0xC000FF, 0xFFFFFF}),
      Swap({0xFF0000, 0x00FF00, 0xFFFF00, 0x0000FF, 0xFF00FF, 0x00FFFF, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080,
            0x008080}),
      Swap({0x00A5FF, 0xCE0000, 0x00CE00, 0x40FFFF, 0xFFFF40, 0xFF40FF, 0x0040FF, 0xA58080, 0x408080}),
      Swap({0x6699FF, 0x6666FF, 0xFFCC99, 0x669966, 0x99CCCC, 0xCC6699, 0x6666CC, 0x99CCFF, 0xFF6699, 0xCCCCCC, 0xCCFF66,
            0xFF9966, 0x996699, 0xFFCCCC}),
      Swap({0x000099, 0x0000C3, 0x0000EE, 0x001AFF, 0x0046FF, 0x0073FF, 0x009FFF, 0x00CBFF, 0x00F7FF, 0x08F4E3, 0x11E7C3,
            0x1BDAA3, 0x25CD83, 0x2EC063, 0x38B342, 0x42A622, 0x4B9A02, 0x6A870C, 0x8A751A, 0xAA6328, 0xCB5036, 0xEB3E44,
            0xFF2A61, 0xFF1596, 0xFF00CC}),
      Swap({0xFE9B82, 0x24D1FC, 0x0DBC7C, 0x2F85FD, 0xFCFEFD, 0x214EE2, 0xD63829, 0x0094B7, 0x00865A, 0x0046D2, 0xFAE5D3,
            0xD8D8D8, 0x7B715F}),
  };
  return p;
}
}  // namespace

const std::vector<AnsiString>& ColorPalettes() {
  static const std::vector<AnsiString> names = {"Default", "Excel", "Victorian", "Pastels", "Solid",
                                                "Classic", "Web",   "Modern",    "Rainbow", "Win. XP"};
  return names;
}

const std::vector<TColor>& PaletteColors(int Index) {
  const auto& p = Palettes();
  return p[Index >= 0 && Index < static_cast<int>(p.size()) ? static_cast<size_t>(Index) : 0];
}

const std::vector<TColor>& RainbowPalette() { return Palettes()[8]; }

void ApplyChartPalette(TCustomAxisPanel* Chart, int Index) {
  if (Index >= 1 && Index <= 9)
    Chart->ColorPalette = PaletteColors(Index);
  else
    Chart->ColorPalette.clear();
  Chart->ColorPaletteIndex = Index;
  // Series without their own colour take theirs from the new palette.
  for (int i = 0; i < Chart->SeriesCount(); ++i) {
    TChartSeries* s = Chart->Series(i);
    if (s->OwnColor() == clTeeColor) s->SetDefaultColor(Chart->GetDefaultColor(i));
  }
  Chart->Invalidate();
}

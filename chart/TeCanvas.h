#pragma once
// The chart canvas and the small option objects every chart element carries.
//
// TTeeCanvas3D draws 2-D and projected 3-D primitives on a platform canvas, keeps an
// off-screen back buffer from which the panel is repainted without drawing again, clips
// with a stack of regions, and writes plain and rotated text with shadow and outline.
// TView3DOptions holds the view angles the projection reads. Pens, brushes, fonts,
// gradients, shadows and the transparency blender fire a change notification that
// repaints their owner, and know how to apply themselves to the chart canvas.
#include <algorithm>
#include <functional>
#include <memory>
#include <optional>
#include <vector>
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Canvas.h"
#include "platform/graphics/Region.h"
#include "platform/streaming/ClassRegistry.h"

// The colour of a point or element that has none of its own: the owner's colour applies.
constexpr TColor clTeeColor = 0x20000000;
// The same for a series' points and pens: the series' (or the point's) colour applies.
constexpr TColor clUseSeriesColor = clTeeColor;

enum TGradientDirection {
  gdTopBottom, gdBottomTop, gdLeftRight, gdRightLeft, gdFromCenter, gdFromTopLeft, gdFromBottomLeft, gdRadial,
  gdDiagonalUp, gdDiagonalDown
};
enum TPenEndStyle { esRound, esSquare, esFlat };

// How much of what lies beneath shows through a drawing: 0 (opaque) .. 100 percent.
using TTeeTransparency = int;

class TTeeCanvas;
class TTeeCanvas3D;
class TCanvas3D;

// Coordinates beyond this are clamped before they reach the painter, whose raster engine
// overflows near 2^25.
constexpr int TeeMaxPixelCoordinate = 1 << 24;

// ---------------------------------------------------------------------------------------
// 3-D view options

class TView3DOptions : public TPersistent {
 public:
  TView3DOptions() = default;
  const char* ClassName() const override { return "TView3DOptions"; }
  void Assign(TPersistent* Source) override;

  int Elevation() const { return elevation_; }
  void SetElevation(int v) { Set(elevation_, v); }
  int FontZoom() const { return font_zoom_; }
  void SetFontZoom(int v) { Set(font_zoom_, v); }
  int HorizOffset() const { return horiz_offset_; }
  void SetHorizOffset(int v);
  bool Orthogonal() const { return orthogonal_; }
  void SetOrthogonal(bool v) { Set(orthogonal_, v); }
  int OrthoAngle() const { return ortho_angle_; }
  void SetOrthoAngle(int v) { Set(ortho_angle_, v); }
  int Perspective() const { return perspective_; }
  void SetPerspective(int v) { Set(perspective_, v); }
  int Rotation() const { return rotation_; }
  void SetRotation(int v) { Set(rotation_, v); }
  int Tilt() const { return tilt_; }
  void SetTilt(int v) { Set(tilt_, v); }
  int VertOffset() const { return vert_offset_; }
  void SetVertOffset(int v);
  static constexpr int MinimumZoom = 1;
  int Zoom() const { return zoom_; }
  void SetZoom(int v);
  bool ZoomText() const { return zoom_text_; }
  void SetZoomText(bool v) { Set(zoom_text_, v); }
  // The tangent of OrthoAngle (above 90 taken as 180 - angle) when orthogonal, else 1.
  double CalcOrthoRatio() const;

  // The owner's repaint, called after every change.
  std::function<void()> OnRepaint;
  // Called with True after HorizOffset changed, False after VertOffset changed.
  std::function<void(bool Horizontal)> OnScroll;
  // Called with the new Zoom before it is stored.
  std::function<void(int NewZoom)> OnZoom;

 private:
  template <class T>
  void Set(T& field, T v) {
    if (field == v) return;
    field = v;
    if (OnRepaint) OnRepaint();
  }
  int elevation_ = 345, font_zoom_ = 100, horiz_offset_ = 0;
  bool orthogonal_ = true;
  int ortho_angle_ = 45, perspective_ = 15, rotation_ = 345, tilt_ = 0, vert_offset_ = 0, zoom_ = 100;
  bool zoom_text_ = true;
};

// ---------------------------------------------------------------------------------------
// Pens, brushes, fonts

class TChartPen : public TPen, public TOwnDefaults {
 public:
  TChartPen() = default;
  explicit TChartPen(TNotifyEvent OnChange) { this->OnChange = std::move(OnChange); }
  const char* ClassName() const override { return "TChartPen"; }
  void Assign(TPersistent* Source) override;

  bool Visible() const { return visible_; }
  void SetVisible(bool v);
  bool SmallDots() const { return small_dots_; }
  void SetSmallDots(bool v);
  TPenEndStyle EndStyle() const { return end_style_; }
  void SetEndStyle(TPenEndStyle v);
  void Hide() { SetVisible(false); }
  void Show() { SetVisible(true); }
  bool DefaultVisible() const { return default_visible_; }
  TPenEndStyle DefaultEndStyle() const { return default_end_style_; }

 protected:
  void Fire();
  bool visible_ = true, default_visible_ = true, small_dots_ = false;
  TPenEndStyle end_style_ = esRound, default_end_style_ = esRound;
};

class TChartHiddenPen : public TChartPen {
 public:
  explicit TChartHiddenPen(TNotifyEvent OnChange = {});
  const char* ClassName() const override { return "TChartHiddenPen"; }
};
class TDottedGrayPen : public TChartPen {
 public:
  explicit TDottedGrayPen(TNotifyEvent OnChange = {});
  const char* ClassName() const override { return "TDottedGrayPen"; }
};
class TDarkGrayPen : public TChartPen {
 public:
  explicit TDarkGrayPen(TNotifyEvent OnChange = {});
  const char* ClassName() const override { return "TDarkGrayPen"; }
};
class TWhitePen : public TChartPen {
 public:
  explicit TWhitePen(TNotifyEvent OnChange = {});
  const char* ClassName() const override { return "TWhitePen"; }
};

class TChartBrush : public TBrush, public TOwnDefaults {
 public:
  explicit TChartBrush(TNotifyEvent OnChange = {});
  ~TChartBrush() override;
  const char* ClassName() const override { return "TChartBrush"; }
  void Assign(TPersistent* Source) override;
  // Created on first read; nil frees it.
  TPicture* Image();
  TPicture* ImageIfAny() const { return image_.get(); }
  bool HasImage() const { return image_ && image_->Graphic() && !image_->Graphic()->Empty(); }
  void SetImage(TPicture* Picture);

 private:
  std::unique_ptr<TPicture> image_;
};

class TCustomTeeGradient : public TPersistent, public TOwnDefaults {
 public:
  explicit TCustomTeeGradient(TNotifyEvent OnChange = {}) : OnChange(std::move(OnChange)) {}
  const char* ClassName() const override { return "TCustomTeeGradient"; }
  void Assign(TPersistent* Source) override;

  int Balance() const { return balance_; }
  void SetBalance(int v) { Set(balance_, v); }
  TGradientDirection Direction() const { return direction_; }
  void SetDirection(TGradientDirection v) { Set(direction_, v); }
  TColor EndColor() const { return end_color_; }
  void SetEndColor(TColor v) { Set(end_color_, v); }
  // clNone while no middle colour is in use; writing clNone switches it off.
  TColor MidColor() const { return use_middle_ ? mid_color_ : clNone; }
  void SetMidColor(TColor v);
  int RadialX() const { return radial_x_; }
  void SetRadialX(int v) { Set(radial_x_, v); }
  int RadialY() const { return radial_y_; }
  void SetRadialY(int v) { Set(radial_y_, v); }
  TColor StartColor() const { return start_color_; }
  void SetStartColor(TColor v) { Set(start_color_, v); }
  bool Visible() const { return visible_; }
  void SetVisible(bool v) { Set(visible_, v); }
  bool UseMiddleColor() const { return use_middle_; }

  void Draw(TTeeCanvas* Canvas, const TRect& Rect, int RoundRectSize = 0);
  // Fills the bounding rectangle of the polygon, clipped to it (projected at Z first).
  void DrawPolygon(TCanvas3D* Canvas, const std::vector<TPoint>& Points, int Z, bool Is3D);

  TNotifyEvent OnChange;

 protected:
  template <class T>
  void Set(T& field, T v) {
    if (field == v) return;
    field = v;
    if (OnChange) OnChange(this);
  }
  void DrawRadial(TTeeCanvas* Canvas, TRect Rect);

  int balance_ = 50;
  TGradientDirection direction_ = gdTopBottom;
  TColor end_color_ = 0x00FFFF, mid_color_ = clNone;
  int radial_x_ = 0, radial_y_ = 0;
  TColor start_color_ = 0xFFFFFF;
  bool visible_ = false, use_middle_ = false;
};

class TTeeGradient : public TCustomTeeGradient {
 public:
  using TCustomTeeGradient::TCustomTeeGradient;
  const char* ClassName() const override { return "TTeeGradient"; }
};

class TTeeFontGradient : public TTeeGradient {
 public:
  using TTeeGradient::TTeeGradient;
  const char* ClassName() const override { return "TTeeFontGradient"; }
  void Assign(TPersistent* Source) override;
  bool Outline() const { return outline_; }
  void SetOutline(bool v) { Set(outline_, v); }

 private:
  bool outline_ = false;
};

class TTeeShadow : public TPersistent, public TOwnDefaults {
 public:
  explicit TTeeShadow(TNotifyEvent OnChange = {}, TColor DefaultColor = clSilver, int DefaultSize = 0);
  const char* ClassName() const override { return "TTeeShadow"; }
  void Assign(TPersistent* Source) override;

  TColor Color() const { return color_; }
  void SetColor(TColor v) { Set(color_, v); }
  int HorizSize() const { return horiz_; }
  void SetHorizSize(int v) { Set(horiz_, v); }
  int VertSize() const { return vert_; }
  void SetVertSize(int v) { Set(vert_, v); }
  bool Smooth() const { return smooth_; }
  void SetSmooth(bool v) { Set(smooth_, v); }
  TTeeTransparency Transparency() const { return transparency_; }
  void SetTransparency(TTeeTransparency v) { Set(transparency_, std::clamp(v, 0, 100)); }
  int Size() const { return std::max(horiz_, vert_); }
  void SetSize(int v);
  TColor DefaultColor() const { return default_color_; }
  int DefaultSize() const { return default_size_; }

  void Draw(TCanvas3D* Canvas, const TRect& Rect, int Z = 0);

  TNotifyEvent OnChange;

 private:
  template <class T>
  void Set(T& field, T v) {
    if (field == v) return;
    field = v;
    if (OnChange) OnChange(this);
  }
  TColor color_, default_color_;
  int horiz_, vert_, default_size_;
  bool smooth_ = true;
  int transparency_ = 0;
};

class TTeeFont : public TFont, public TOwnDefaults {
 public:
  explicit TTeeFont(TNotifyEvent OnChange = {});
  ~TTeeFont() override;
  const char* ClassName() const override { return "TTeeFont"; }
  void Assign(TPersistent* Source) override;

  int InterCharSize() const { return inter_char_size_; }
  void SetInterCharSize(int v);
  // Each created on first read; nil frees it.
  TTeeFontGradient* Gradient();
  TChartHiddenPen* OutLine();
  TTeeShadow* Shadow();
  const TTeeFontGradient* GradientIfAny() const { return gradient_.get(); }
  const TChartHiddenPen* OutLineIfAny() const { return outline_.get(); }
  bool HasGradient() const { return gradient_ && gradient_->Visible(); }
  bool HasOutLine() const { return outline_ && outline_->Visible(); }
  bool HasShadow() const { return shadow_ && (shadow_->HorizSize() != 0 || shadow_->VertSize() != 0); }
  const TTeeShadow* ShadowIfAny() const { return shadow_.get(); }
  void SetGradient(TTeeFontGradient* g);
  void SetOutLine(TChartHiddenPen* p);
  void SetShadow(TTeeShadow* s);

  TTeeCanvas* LastCanvas = nullptr;

 private:
  void Fire();
  int inter_char_size_ = 0;
  std::unique_ptr<TTeeFontGradient> gradient_;
  std::unique_ptr<TChartHiddenPen> outline_;
  std::unique_ptr<TTeeShadow> shadow_;
};

// The default chart font: name and size from the message texts.
AnsiString TeeDefaultFontName();
int TeeDefaultFontSize();

TColor DarkenColor(TColor Color, int Quantity);
TColor LightenColor(TColor Color, int Quantity);

// ---------------------------------------------------------------------------------------
// Transparency blender

class TTeeBlend {
 public:
  TTeeBlend(TTeeCanvas* Canvas, const TRect& Rect);
  ~TTeeBlend();
  void SetRectangle(const TRect& Rect);
  // Mixes what was drawn since with the saved picture: 0 keeps the new drawing, 100
  // restores the old picture.
  void DoBlend(int Transparency);
  const TRect& Area() const { return rect_; }

 private:
  TTeeCanvas* canvas_;
  TRect rect_;
  std::vector<uint32_t> saved_;  // 0x00RRGGBB per pixel, row by row
  bool valid_ = false;
};

// ---------------------------------------------------------------------------------------
// Canvas

// The drawing interface every chart element draws through.
class TTeeCanvas {
 public:
  virtual ~TTeeCanvas() = default;

  TCanvas* Canvas() const { return canvas_; }
  TFont* Font() const { return canvas_->Font(); }
  TPen* Pen() const { return canvas_->Pen(); }
  TBrush* Brush() const { return canvas_->Brush(); }
  // False for a clear brush without a pattern: shapes are only outlined.
  bool BrushFills() const { return Brush()->Style() != bsClear || Brush()->Bitmap(); }
  void SetCanvas(TCanvas* Canvas);
  void ResetState();

  bool Metafiling = false;
  int BlendTransparency = 0;
  TRect Bounds;
  TTeeFont* ChartFont = nullptr;
  double FontZoom = 100.0;

  void AssignBrush(TChartBrush* Brush, TColor Color);
  void AssignBrushColor(TChartBrush* Brush, TColor Color, TColor BackColor);
  void AssignVisiblePen(TPen* Pen) { AssignVisiblePenColor(Pen, Pen->Color()); }
  virtual void AssignVisiblePenColor(TPen* Pen, TColor Color);
  void AssignFont(TTeeFont* Font);
  void SetDarkBrushColor(TColor Color, int Quantity);
  // Undoes SetDarkBrushColor: the colour (solid brush) or back colour (any other) it had.
  void RestoreBrushColor(TColor Color);
  void RectangleRect(const TRect& R) { Rectangle(R.Left, R.Top, R.Right, R.Bottom); }
  int FontHeight() { return TextHeight("W"); }

  virtual TTeeBlend* BeginBlending(const TRect& R, int Transparency);
  virtual void EndBlending(TTeeBlend* Blend);
  virtual void Frame3D(TRect& Rect, TColor TopColor, TColor BottomColor, int Width);
  virtual int TextWidth(const AnsiString& Text);
  virtual int TextHeight(const AnsiString& Text);

  virtual TColor GetBackColor() const = 0;
  virtual void SetBackColor(TColor Color) = 0;
  virtual int GetBackMode() const = 0;
  virtual void SetBackMode(int Mode) = 0;
  virtual unsigned GetTextAlign() const = 0;
  virtual void SetTextAlign(unsigned Align) = 0;
  virtual bool GetMonochrome() const = 0;
  virtual void SetMonochrome(bool Value) = 0;
  virtual TColor GetPixel(int X, int Y) = 0;
  virtual void SetPixel(int X, int Y, TColor Color) = 0;
  virtual bool IsNative3D() const { return false; }
  virtual bool Supports3DText() const { return false; }

  virtual void Arc(int X1, int Y1, int X2, int Y2, int X3, int Y3, int X4, int Y4) = 0;
  virtual void Draw(int X, int Y, TGraphic* Graphic) = 0;
  virtual void Ellipse(int X1, int Y1, int X2, int Y2) = 0;
  virtual void FillRect(const TRect& Rect) = 0;
  virtual void LineTo(int X, int Y) = 0;
  virtual void MoveTo(int X, int Y) = 0;
  virtual void Pie(int X1, int Y1, int X2, int Y2, int X3, int Y3, int X4, int Y4) = 0;
  virtual void Rectangle(int X0, int Y0, int X1, int Y1) = 0;
  virtual void RoundRect(int X1, int Y1, int X2, int Y2, int X3, int Y3) = 0;
  virtual void StretchDraw(const TRect& Rect, TGraphic* Graphic) = 0;
  virtual void TextOut(int X, int Y, const AnsiString& Text) = 0;
  virtual void ClipRectangle(const TRect& Rect) = 0;
  virtual void ClipRoundRectangle(const TRect& Rect, int RoundSize);
  virtual void ClipEllipse(const TRect& Rect, bool Inverted = false);
  virtual void ClipPolygon(std::vector<TPoint> Points);
  virtual void UnClipRectangle() = 0;
  virtual void DoHorizLine(int X0, int X1, int Y) = 0;
  virtual void DoVertLine(int X, int Y0, int Y1) = 0;
  virtual void EraseBackground(const TRect& Rect) { FillRect(Rect); }
  virtual void GradientFill(const TRect& Rect, TColor StartColor, TColor EndColor, TGradientDirection Direction,
                            int Balance = 50) = 0;
  virtual void Invalidate() = 0;
  virtual void Line(int X0, int Y0, int X1, int Y1) = 0;
  virtual void Polyline(const std::vector<TPoint>& Points) = 0;
  virtual void Polygon(const std::vector<TPoint>& Points) = 0;
  virtual void RotateLabel(int X, int Y, const AnsiString& Text, double Angle) = 0;

 protected:
  // Adds a region to the clip (intersected, or exclusive-or'ed); pushes the previous clip.
  virtual void PushClip(const TRegion& Region, bool Xor) = 0;
  // Paints the brush pattern of a two-colour image again in the text colour on the
  // current back colour, after the back colour or mode changed.
  void RecolorPattern();
  TCanvas* canvas_ = nullptr;

 private:
  void SetBrushPattern(TGraphic* Image, TColor TextColor);
  // The brush pattern made from a chart brush's image. A two-colour (black and white)
  // image keeps its black pixels in ink_ and is painted in the text colour on the back
  // colour; any other picture is its own pattern.
  std::shared_ptr<TBitmap> pattern_;
  std::vector<uint8_t> ink_;
  bool two_colour_ = false;
  TColor text_color_ = clBlack;
};

class TCanvas3D : public TTeeCanvas {
 public:
  TView3DOptions* View3DOptions = nullptr;
  int RotationCounter = 0;
  bool IsOrthogonal = false;
  struct {
    double X = 0, Y = 0, Z = 0;
  } RotationCenter;

  virtual void Assign(TCanvas3D* Source) { SetMonochrome(Source->GetMonochrome()); }
  virtual TPoint Calculate3DPosition(int X, int Y, int Z) = 0;
  virtual void Calculate2DPosition(int& X, int& Y, int Z) = 0;
  virtual TRect InitWindow(TCanvas* DestCanvas, TView3DOptions* Options, TColor BackColor, bool Is3D,
                           const TRect& UserRect) = 0;
  virtual void Projection(int MaxDepth, const TRect& Rect) = 0;
  virtual void ShowImage(TCanvas* DestCanvas, TCanvas* DefaultCanvas, const TRect& UserRect) = 0;
  virtual bool ReDrawBitmap() = 0;
  virtual void DisableRotation() {}
  virtual void EnableRotation() {}
  void DisableRotationCounted();
  void EnableRotationCounted();

  virtual void Arrow(bool Filled, TPoint From, TPoint To, int ArrowWidth, int ArrowHeight, int Z) = 0;
  virtual void ClipCube(const TRect& Rect, int MinZ, int MaxZ) = 0;
  virtual void Cube(int Left, int Right, int Top, int Bottom, int Z0, int Z1, bool DarkSides) = 0;
  // A round solid standing in the box from Bottom (its base) to Top: the far end is
  // ConePercent of the base (0 a point, 100 a cylinder); its round section has
  // CylinderSides sides, each darkened a little more round the solid when DarkCover.
  virtual void Cone(bool Vertical, int Left, int Top, int Right, int Bottom, int Z0, int Z1, bool DarkCover,
                    int ConePercent) = 0;
  void Cylinder(bool Vertical, int Left, int Top, int Right, int Bottom, int Z0, int Z1, bool DarkCover) {
    Cone(Vertical, Left, Top, Right, Bottom, Z0, Z1, DarkCover, 100);
  }
  // A pyramid on the box's base face (at Bottom) with its apex at the centre of the face at Top.
  virtual void Pyramid(bool Vertical, int Left, int Top, int Right, int Bottom, int Z0, int Z1, bool DarkSides) = 0;
  // A pyramid cut to a flat top: the base is the face of Rect at Bottom between Z0 and Z1,
  // the top the face at Top centred on the box, TopHalfX across X and TopHalfZ across Z
  // from its centre (no top face when either is 0: then the sides meet in a point or an
  // edge).
  virtual void TruncatedPyramid(const TRect& Rect, int Z0, int Z1, int TopHalfX, int TopHalfZ) = 0;
  // A pie slice with depth: the face at Z0 (its top) is the sector of the ellipse about
  // (XCenter, YCenter) from StartAngle to EndAngle (radians, counter-clockwise from
  // three o'clock as seen on the screen), the face at Z1 its copy, the sides join them.
  // The curved side is sampled as polygon points; with DarkSides the sides are drawn
  // darkened by 32; a visible Gradient fills the end face the viewer sees (the top face
  // unless the slice is seen from behind) in place of the brush.
  virtual void Pie3D(int XCenter, int YCenter, int XRadius, int YRadius, int Z0, int Z1, double StartAngle,
                     double EndAngle, bool DarkSides, const TCustomTeeGradient* Gradient = nullptr) = 0;
  int CylinderSides = 16;
  virtual void EllipseWithZ(int X1, int Y1, int X2, int Y2, int Z) = 0;
  virtual void HorizLine3D(int Left, int Right, int Y, int Z) = 0;
  virtual void VertLine3D(int X, int Top, int Bottom, int Z) = 0;
  virtual void ZLine3D(int X, int Y, int Z0, int Z1) = 0;
  virtual void LineWithZ(int X0, int Y0, int X1, int Y1, int Z) = 0;
  virtual void MoveTo3D(int X, int Y, int Z) = 0;
  virtual void LineTo3D(int X, int Y, int Z) = 0;
  virtual void Plane3D(TPoint P1, TPoint P2, int Z0, int Z1) = 0;
  virtual void PlaneWithZ(TPoint P1, TPoint P2, TPoint P3, TPoint P4, int Z) = 0;
  virtual void PolygonWithZ(const std::vector<TPoint>& Points, int Z) = 0;
  virtual void PolylineWithZ(const std::vector<TPoint>& Points, int Z) = 0;
  virtual void RectangleWithZ(const TRect& Rect, int Z) = 0;
  virtual void RectangleY(int Left, int Top, int Right, int Z0, int Z1) = 0;
  virtual void RectangleZ(int Left, int Top, int Bottom, int Z0, int Z1) = 0;
  virtual void RotateLabel3D(int X, int Y, int Z, const AnsiString& Text, double Angle) = 0;
  virtual void TextOut3D(int X, int Y, int Z, const AnsiString& Text) = 0;
  virtual void TriangleWithZ(TPoint P1, TPoint P2, TPoint P3, int Z) = 0;
  virtual void SetPixel3D(int X, int Y, int Z, TColor Color) = 0;
  // The colour of the pixel (X, Y, Z) is drawn at.
  virtual TColor GetPixel3D(int X, int Y, int Z) = 0;
  // A whole surface grid at once, for a canvas that draws surfaces itself (IsNative3D):
  // Style 1 wire frame, 2 dot frame, else filled; SameBrush keeps the brush colour for
  // every cell; Points gives, for grid column X and row Z, the screen points, depths and
  // colours of the grid points [X - 1][Z] and [X][Z] (false where either is missing).
  using TSurfacePoints = std::function<bool(int X, int Z, TPoint& P0, int& Z0, TColor& Color0, TPoint& P1, int& Z1,
                                            TColor& Color1)>;
  virtual void Surface3D(int Style, bool SameBrush, int NumXValues, int NumZValues, const TSurfacePoints& Points) = 0;
  void CircleWithZ(int XCenter, int YCenter, int Radius, int Z);

  // Thin wrappers.
  void Calc3DTPoint(TPoint& P, int Z) { P = Calculate3DPosition(P.x, P.y, Z); }
  TRect CalcRect3D(const TRect& R, int Z);
  void CubeRect(const TRect& R, int Z0, int Z1, bool DarkSides) { Cube(R.Left, R.Right, R.Top, R.Bottom, Z0, Z1, DarkSides); }
  std::vector<TPoint> FourPointsFromRect(const TRect& R, int Z);
  // The bounding box of the four projected corners.
  TRect RectFromRectZ(const TRect& R, int Z);
  void LineWithZPoints(TPoint P0, TPoint P1, int Z) { LineWithZ(P0.x, P0.y, P1.x, P1.y, Z); }
  // Each pixel of the graphic fills its projected cell of Rect at depth Z.
  void StretchDraw3D(const TRect& Rect, TGraphic* Graphic, int Z);
};

// Process-wide settings of the canvas.
extern int TeeDarkerSides;      // 128: darkening of a cube's left and right faces
extern int TeeDarkerTopBottom;  // 64: darkening of its top and bottom faces

class TTeeCanvas3D : public TCanvas3D {
 public:
  TTeeCanvas3D();
  ~TTeeCanvas3D() override;

  // State of the projection (public for the tools that change angles between paints).
  struct {
    int XCenter = 0, YCenter = 0, ZCenter = 0;
  } Origin;
  TPoint ScreenCenter;
  double SinElevation = 0, SinRotation = 0, SinTilt = 0, CosElevation = 1, CosRotation = 1, CosTilt = 1;
  bool HasPerspective = false, HasTilt = false;
  double OrthoDeltaX = 1, OrthoDeltaY = 1, PerspectiveFactor = 0, ZoomFactor = 1;
  bool ZoomText = true;
  bool Is3D = false;
  bool BufferInvalid = true;

  TBitmap* Bitmap() const { return bitmap_.get(); }
  bool GetBufferedDisplay() const { return buffered_; }
  void SetBufferedDisplay(bool Value);
  // Repaints the owner when the monochrome flag changes.
  std::function<void()> OnRepaintOwner;

  void CalcTrigValues();
  void CalcPerspective(const TRect& Rect);
  // The real-valued projection.
  void Calculate3DPositionF(double X, double Y, double Z, double& OutX, double& OutY);

  // TTeeCanvas
  TColor GetBackColor() const override { return back_color_; }
  void SetBackColor(TColor Color) override {
    back_color_ = Color;
    RecolorPattern();
  }
  int GetBackMode() const override;
  void SetBackMode(int Mode) override;
  unsigned GetTextAlign() const override;
  void SetTextAlign(unsigned Align) override;
  bool GetMonochrome() const override { return monochrome_; }
  void SetMonochrome(bool Value) override;
  TColor GetPixel(int X, int Y) override;
  void SetPixel(int X, int Y, TColor Color) override;
  void Arc(int X1, int Y1, int X2, int Y2, int X3, int Y3, int X4, int Y4) override;
  void Draw(int X, int Y, TGraphic* Graphic) override;
  void Ellipse(int X1, int Y1, int X2, int Y2) override;
  void FillRect(const TRect& Rect) override;
  void LineTo(int X, int Y) override;
  void MoveTo(int X, int Y) override;
  void Pie(int X1, int Y1, int X2, int Y2, int X3, int Y3, int X4, int Y4) override;
  void Rectangle(int X0, int Y0, int X1, int Y1) override;
  void RoundRect(int X1, int Y1, int X2, int Y2, int X3, int Y3) override;
  void StretchDraw(const TRect& Rect, TGraphic* Graphic) override;
  void TextOut(int X, int Y, const AnsiString& Text) override;
  void ClipRectangle(const TRect& Rect) override;
  void UnClipRectangle() override;
  void DoHorizLine(int X0, int X1, int Y) override { Line(X0, Y, X1, Y); }
  void DoVertLine(int X, int Y0, int Y1) override { Line(X, Y0, X, Y1); }
  void GradientFill(const TRect& Rect, TColor StartColor, TColor EndColor, TGradientDirection Direction,
                    int Balance = 50) override;
  void Invalidate() override { BufferInvalid = true; }
  void Line(int X0, int Y0, int X1, int Y1) override;
  void Polyline(const std::vector<TPoint>& Points) override;
  void Polygon(const std::vector<TPoint>& Points) override;
  void RotateLabel(int X, int Y, const AnsiString& Text, double Angle) override;
  // Depth of the clip stack.
  int ClipDepth() const { return static_cast<int>(clips_.size()); }

  // TCanvas3D
  TPoint Calculate3DPosition(int X, int Y, int Z) override;
  void Calculate2DPosition(int& X, int& Y, int Z) override;
  TRect InitWindow(TCanvas* DestCanvas, TView3DOptions* Options, TColor BackColor, bool Is3D,
                   const TRect& UserRect) override;
  void Projection(int MaxDepth, const TRect& Rect) override;
  void ShowImage(TCanvas* DestCanvas, TCanvas* DefaultCanvas, const TRect& UserRect) override;
  bool ReDrawBitmap() override;
  void DisableRotation() override;
  void EnableRotation() override;
  void Arrow(bool Filled, TPoint From, TPoint To, int ArrowWidth, int ArrowHeight, int Z) override;
  void ClipCube(const TRect& Rect, int MinZ, int MaxZ) override;
  void Cube(int Left, int Right, int Top, int Bottom, int Z0, int Z1, bool DarkSides) override;
  void Cone(bool Vertical, int Left, int Top, int Right, int Bottom, int Z0, int Z1, bool DarkCover,
            int ConePercent) override;
  void Pyramid(bool Vertical, int Left, int Top, int Right, int Bottom, int Z0, int Z1, bool DarkSides) override;
  void TruncatedPyramid(const TRect& Rect, int Z0, int Z1, int TopHalfX, int TopHalfZ) override;
  void Pie3D(int XCenter, int YCenter, int XRadius, int YRadius, int Z0, int Z1, double StartAngle, double EndAngle,
             bool DarkSides, const TCustomTeeGradient* Gradient = nullptr) override;
  void EllipseWithZ(int X1, int Y1, int X2, int Y2, int Z) override;
  void HorizLine3D(int Left, int Right, int Y, int Z) override;
  void VertLine3D(int X, int Top, int Bottom, int Z) override;
  void ZLine3D(int X, int Y, int Z0, int Z1) override;
  void LineWithZ(int X0, int Y0, int X1, int Y1, int Z) override;
  void MoveTo3D(int X, int Y, int Z) override;
  void LineTo3D(int X, int Y, int Z) override;
  void Plane3D(TPoint P1, TPoint P2, int Z0, int Z1) override;
  void PlaneWithZ(TPoint P1, TPoint P2, TPoint P3, TPoint P4, int Z) override;
  void PlaneFour3D(const TPoint Points[4], int Z0, int Z1);
  void PolygonWithZ(const std::vector<TPoint>& Points, int Z) override;
  void PolylineWithZ(const std::vector<TPoint>& Points, int Z) override;
  void RectangleWithZ(const TRect& Rect, int Z) override;
  void RectangleY(int Left, int Top, int Right, int Z0, int Z1) override;
  void RectangleZ(int Left, int Top, int Bottom, int Z0, int Z1) override;
  void RotateLabel3D(int X, int Y, int Z, const AnsiString& Text, double Angle) override;
  void TextOut3D(int X, int Y, int Z, const AnsiString& Text) override;
  // The screen rectangle that TextOut3D (Angle 0) or RotateLabel3D would cover with the
  // current font and text alignment.
  TRect TextBounds3D(int X, int Y, int Z, const AnsiString& Text, double Angle = 0);
  void TriangleWithZ(TPoint P1, TPoint P2, TPoint P3, int Z) override;
  void SetPixel3D(int X, int Y, int Z, TColor Color) override;
  TColor GetPixel3D(int X, int Y, int Z) override;
  // Draws nothing: this canvas is not native 3-D, so surfaces are drawn cell by cell by
  // their series.
  void Surface3D(int, bool, int, int, const TSurfacePoints&) override {}
  void Triangle3D(const TPoint Points[3], const int Z[3], const TColor Colors[3]);

  void BlitBuffer(int X, int Y, TCanvas* DestCanvas);
  void FreeBuffer() { bitmap_.reset(); }

 protected:
  void PushClip(const TRegion& Region, bool Xor) override;

 private:
  void PolygonFour();
  // Draws with a zoomed font when ZoomText applies; restores the font after.
  void WithZoomedFont(const std::function<void()>& Draw);

  std::unique_ptr<TBitmap> bitmap_;
  bool buffered_ = true, monochrome_ = false, saved_is_3d_ = false;
  TColor back_color_ = clWhite;
  TPoint four_points_[4];
  std::vector<std::optional<TRegion>> clips_;  // the clip before each push (none: unclipped)
  std::optional<TRegion> clip_;                // the clip in force
};

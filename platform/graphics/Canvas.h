#pragma once
// A drawing surface with the classic device-context rules: a current pen position,
// right and bottom edges excluded from filled shapes, arcs running counter-clockwise
// between radial end points, text placed by its reference point, raster-operation pen
// modes, and clipping by rectangle or region. It draws on a raster image (bitmaps and
// control buffers) or into a painter that someone else holds open (printing).
#include <memory>
#include <vector>
#include "platform/classes/Classes.h"
#include "platform/graphics/GraphicsObjects.h"
#include "platform/graphics/GraphicsTypes.h"
#include "platform/graphics/Region.h"

class TGraphic;

constexpr TColor CLR_INVALID = -1;

// Background mode for text and hatch brushes.
enum : int { TRANSPARENT = 1, OPAQUE = 2 };

// Text reference point (SetTextAlign).
enum : unsigned {
  TA_LEFT = 0, TA_RIGHT = 2, TA_CENTER = 6, TA_TOP = 0, TA_BOTTOM = 8, TA_BASELINE = 24
};

// DrawText flags.
enum : unsigned {
  DT_TOP = 0x0, DT_LEFT = 0x0, DT_CENTER = 0x1, DT_RIGHT = 0x2, DT_VCENTER = 0x4,
  DT_BOTTOM = 0x8, DT_WORDBREAK = 0x10, DT_SINGLELINE = 0x20, DT_EXPANDTABS = 0x40,
  DT_NOCLIP = 0x100, DT_CALCRECT = 0x400, DT_NOPREFIX = 0x800, DT_END_ELLIPSIS = 0x8000
};

// Text output flags (SetTextFlags): ETO_RTLREADING lays text out in right-to-left
// reading order (mixed runs and neutral characters ordered for a right-to-left line);
// the text still starts at its reference point.
enum : unsigned { ETO_RTLREADING = 0x80 };

// Copy modes of CopyRect (raster operation codes).
using TCopyMode = unsigned;
constexpr TCopyMode cmBlackness = 0x00000042, cmDstInvert = 0x00550009, cmMergeCopy = 0x00C000CA,
                    cmMergePaint = 0x00BB0226, cmNotSrcCopy = 0x00330008, cmNotSrcErase = 0x001100A6,
                    cmPatCopy = 0x00F00021, cmPatInvert = 0x005A0049, cmPatPaint = 0x00FB0A09,
                    cmSrcAnd = 0x008800C6, cmSrcCopy = 0x00CC0020, cmSrcErase = 0x00440328,
                    cmSrcInvert = 0x00660046, cmSrcPaint = 0x00EE0086, cmWhiteness = 0x00FF0062;

class TCanvas : public TPersistent {
 public:
  TCanvas();
  ~TCanvas() override;
  const char* ClassName() const override { return "TCanvas"; }

  TFont* Font() { return &font_; }
  TPen* Pen() { return &pen_; }
  TBrush* Brush() { return &brush_; }
  TPoint PenPos() const { return pen_pos_; }
  void SetPenPos(TPoint p) { pen_pos_ = p; }
  TCopyMode CopyMode() const { return copy_mode_; }
  void SetCopyMode(TCopyMode m) { copy_mode_ = m; }
  // True when the canvas has something to draw on.
  bool HandleAllocated() const;
  // Size of the drawing surface (0 x 0 without one).
  TSize SurfaceSize() const;

  // Lines: LineTo leaves out the end pixel and moves the pen position there.
  void MoveTo(int x, int y);
  void LineTo(int x, int y);
  void Polyline(const std::vector<TPoint>& points);

  // Shapes: outlined with the pen, filled with the brush, right and bottom excluded.
  void Rectangle(int x1, int y1, int x2, int y2);
  void Rectangle(const TRect& r) { Rectangle(r.Left, r.Top, r.Right, r.Bottom); }
  void FillRect(const TRect& r);
  void FrameRect(const TRect& r);
  void RoundRect(int x1, int y1, int x2, int y2, int w, int h);
  void Ellipse(int x1, int y1, int x2, int y2);
  void Ellipse(const TRect& r) { Ellipse(r.Left, r.Top, r.Right, r.Bottom); }
  void Polygon(const std::vector<TPoint>& points);  // alternate fill
  void FillRgn(const TRegion& region);                // with the brush
  // Arc, pie and chord of the ellipse in (x1,y1)-(x2,y2), counter-clockwise from the
  // ray through (x3,y3) to the ray through (x4,y4); equal rays make the whole ellipse.
  void Arc(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4);
  void Pie(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4);
  void Chord(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4);

  // Text, at the reference point chosen by SetTextAlign (top-left by default), rotated
  // by Font.Orientation. The background is the brush colour unless transparent.
  void TextOut(int x, int y, const AnsiString& text);
  void TextRect(const TRect& r, int x, int y, const AnsiString& text);
  int TextWidth(const AnsiString& text);
  int TextHeight(const AnsiString& text);
  TSize TextExtent(const AnsiString& text);
  // Lays text out in r by DT_ flags; returns the text height. With DT_CALCRECT it only
  // measures and adjusts r (its right edge for single lines, its bottom edge always).
  int DrawText(const AnsiString& text, TRect& r, unsigned flags);
  void SetTextAlign(unsigned align) { text_align_ = align; }
  unsigned TextAlign() const { return text_align_; }
  // ETO_ flags for TextOut and TextRect.
  void SetTextFlags(unsigned flags) { text_flags_ = flags; }
  unsigned TextFlags() const { return text_flags_; }
  // Follows the brush (solid: opaque, otherwise transparent) until set explicitly; the
  // next brush change returns it to following the brush.
  void SetBkMode(int mode);
  int BkMode() const;

  // Single pixels (CLR_INVALID outside the surface; writes outside the clip are dropped).
  TColor Pixel(int x, int y) const;
  void SetPixel(int x, int y, TColor color);

  // Images.
  void Draw(int x, int y, TGraphic* graphic);
  void StretchDraw(const TRect& r, TGraphic* graphic);
  void CopyRect(const TRect& dest, TCanvas* source, const TRect& src);

  // Clipping (in surface coordinates).
  void SetClipRect(const TRect& r);
  void SetClipRegion(const TRegion* region);  // nullptr: no clipping
  void IntersectClipRect(const TRect& r);
  void ExcludeClipRect(const TRect& r);
  bool HasClip() const;
  TRect ClipRect() const;  // the clip's bounding box, or the whole surface

  // Keeps one painter open on the canvas's image from HoldPainter to the matching
  // ReleasePainter (calls nest), instead of opening one per drawing call: a repaint
  // of hundreds of cells is mostly painter set-up otherwise. Drawing that needs the
  // image to itself (drawing a graphic, attaching another surface) closes it, and the
  // next call opens it again.
  void HoldPainter();
  void ReleasePainter();

  // Tells the owner that something was drawn (control buffers schedule a repaint).
  TNotifyEvent OnChange;

  struct Impl;
  Impl& impl() const { return *impl_; }

 private:
  friend struct CanvasHold;
  friend struct CanvasState;
  struct Held;
  void Changed();
  void BrushChanged();

  TFont font_;
  TPen pen_;
  TBrush brush_;
  TPoint pen_pos_;
  TCopyMode copy_mode_ = cmSrcCopy;
  unsigned text_align_ = TA_LEFT | TA_TOP;
  unsigned text_flags_ = 0;
  int bk_mode_override_ = 0;
  std::unique_ptr<Impl> impl_;
  std::unique_ptr<Held> held_;
};

// Holds the canvas's painter open for a scope (a whole Paint).
class TCanvasPainterHold {
 public:
  explicit TCanvasPainterHold(TCanvas* c) : c_(c) {
    if (c_) c_->HoldPainter();
  }
  ~TCanvasPainterHold() {
    if (c_) c_->ReleasePainter();
  }
  TCanvasPainterHold(const TCanvasPainterHold&) = delete;
  TCanvasPainterHold& operator=(const TCanvasPainterHold&) = delete;

 private:
  TCanvas* c_;
};

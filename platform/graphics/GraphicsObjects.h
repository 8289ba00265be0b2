#pragma once
// Font, pen and brush: the drawing attributes a canvas and a control hold. Each tells
// its owner through OnChange when one of its values changes.
#include <memory>
#include "platform/classes/Classes.h"
#include "platform/graphics/Colors.h"
#include "platform/graphics/SmallSet.h"

class TBitmap;

class TGraphicsObject : public TPersistent {
 public:
  const char* ClassName() const override { return "TGraphicsObject"; }
  TNotifyEvent OnChange;

 protected:
  // Fires OnChange unless a BeginUpdate is open; the last EndUpdate fires it once.
  void Changed();

 public:
  void BeginUpdate() { ++updating_; }
  void EndUpdate();

 private:
  int updating_ = 0;
  bool pending_ = false;
};

enum TFontStyle { fsBold, fsItalic, fsUnderline, fsStrikeOut };
using TFontStyles = SmallSet<TFontStyle>;
enum TFontPitch { fpDefault, fpVariable, fpFixed };
using TFontCharset = uint8_t;
constexpr TFontCharset ANSI_CHARSET = 0, DEFAULT_CHARSET = 1, SYMBOL_CHARSET = 2, OEM_CHARSET = 255;

class TFont : public TGraphicsObject {
 public:
  TFont() = default;
  const char* ClassName() const override { return "TFont"; }
  void Assign(TPersistent* Source) override;

  const AnsiString& Name() const { return name_; }
  void SetName(const AnsiString& v);
  // Negative: character height in pixels; positive: cell height (character plus
  // internal leading) in pixels.
  int Height() const { return height_; }
  void SetHeight(int v);
  // Points at the font's pixels per inch; stored as the equivalent negative Height.
  int Size() const;
  void SetSize(int points);
  int PixelsPerInch() const { return pixels_per_inch_; }
  void SetPixelsPerInch(int v) { pixels_per_inch_ = v > 0 ? v : 96; }
  TFontPitch Pitch() const { return pitch_; }
  void SetPitch(TFontPitch v);
  TFontStyles Style() const { return style_; }
  void SetStyle(TFontStyles v);
  TColor Color() const { return color_; }
  void SetColor(TColor v);
  TFontCharset Charset() const { return charset_; }
  void SetCharset(TFontCharset v);
  // Angle of the text line in tenths of a degree, counter-clockwise.
  int Orientation() const { return orientation_; }
  void SetOrientation(int v);

  bool SameAs(const TFont& o) const;

 private:
  AnsiString name_ = "MS Sans Serif";
  int height_ = -11;
  int pixels_per_inch_ = 96;
  TFontPitch pitch_ = fpDefault;
  TFontStyles style_;
  TColor color_ = clWindowText;
  TFontCharset charset_ = DEFAULT_CHARSET;
  int orientation_ = 0;
};

// psAlternate lights every other pixel of a one-pixel line.
enum TPenStyle { psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame, psAlternate };
// Raster operations of pen and brush drawing against what is already there.
enum TPenMode {
  pmBlack, pmWhite, pmNop, pmNot, pmCopy, pmNotCopy, pmMergePenNot, pmMaskPenNot,
  pmMergeNotPen, pmMaskNotPen, pmMerge, pmNotMerge, pmMask, pmNotMask, pmXor, pmNotXor
};
// How a pen of two pixels or more ends its lines and meets itself at the corners of a
// polyline. One-pixel lines always end flat, without their last pixel.
enum TPenEndCap { pecRound, pecSquare, pecFlat };
enum TPenJoin { pjRound, pjBevel, pjMiter };

class TPen : public TGraphicsObject {
 public:
  const char* ClassName() const override { return "TPen"; }
  void Assign(TPersistent* Source) override;

  TColor Color() const { return color_; }
  void SetColor(TColor v);
  int Width() const { return width_; }
  void SetWidth(int v);
  TPenStyle Style() const { return style_; }
  void SetStyle(TPenStyle v);
  TPenMode Mode() const { return mode_; }
  void SetMode(TPenMode v);
  TPenEndCap EndCap() const { return end_cap_; }
  void SetEndCap(TPenEndCap v);
  TPenJoin Join() const { return join_; }
  void SetJoin(TPenJoin v);

 private:
  TColor color_ = clBlack;
  int width_ = 1;
  TPenStyle style_ = psSolid;
  TPenMode mode_ = pmCopy;
  TPenEndCap end_cap_ = pecRound;
  TPenJoin join_ = pjRound;
};

enum TBrushStyle { bsSolid, bsClear, bsHorizontal, bsVertical, bsFDiagonal, bsBDiagonal, bsCross, bsDiagCross };

class TBrush : public TGraphicsObject {
 public:
  const char* ClassName() const override { return "TBrush"; }
  void Assign(TPersistent* Source) override;

  TColor Color() const { return color_; }
  void SetColor(TColor v);
  TBrushStyle Style() const { return style_; }
  void SetStyle(TBrushStyle v);
  // A pattern: while set, fills tile the bitmap from the surface's origin in the
  // bitmap's own colours (its transparent colour, when it is transparent, leaves the
  // surface as it was), whatever the brush's colour and style. The brush shares the
  // bitmap with whoever made it, so changes to its pixels show in the next fill.
  // Setting the colour or the style, even to the value it has, ends the pattern.
  TBitmap* Bitmap() const { return bitmap_.get(); }
  void SetBitmap(std::shared_ptr<TBitmap> v);

 private:
  TColor color_ = clWhite;
  TBrushStyle style_ = bsSolid;
  std::shared_ptr<TBitmap> bitmap_;
};

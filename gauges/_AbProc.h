#pragma once
// Free procedures every gauge draws and computes with: binary text, logarithms and
// decades, colour arithmetic, measured and anchored text, scale labels, rectangle and
// point helpers, and the painters for gradients, LED shapes, pie sectors and turned
// polygons. They keep no state.
#include <cstdint>
#include <vector>
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Canvas.h"

// Shapes of an LED lamp.
enum TLEDShape { sRound, sArrowLeft, sArrowRight, sArrowUp, sArrowDown, sRectangle, sDiamondLeft, sDiamondRight };
// Gradient fills.
enum TGradientStyle {
  gsHorizontal1, gsHorizontal2, gsHorizontal3, gsVertical1, gsVertical2, gsVertical3,
  gsElliptic1, gsElliptic2, gsElliptic3, gsRectangle, gsDiamond1, gsDiamond2, gsTopLeft, gsTopRight
};

// Whole-number rounding used throughout the gauges: half to even; NaN gives 0 and values
// beyond the 32-bit range stop at its ends, so that no input can make a gauge throw.
int AbRound(double x);

// Binary digits of Value, most significant first. Digits <= 0: as many as the value needs
// ("0" for 0); Digits > 0: Digits + 1 characters. Never more than 32.
void IntToBinStr(uint32_t Value, int Digits, AnsiString& Text);
// Reads binary digits from the right; any character other than "1" counts as 0.
int32_t BinStrToInt(const AnsiString& Text);
uint32_t BinStrToLongWord(const AnsiString& Text);
void RemoveChar(const AnsiString& Text, char C, AnsiString& Result);
double Log10(double x);
// Base ^ Exponent for Base > 0.
double Power(double Exponent, double Base);
// Labels "1e<exponent>" formatted by Format, each followed by ";", from the first exponent
// up (or, Descending, from the last down) in steps of (Last - First) div max(Steps, 1).
void LogScaleLabelText(int First, int Last, int Steps, AnsiString& Text, bool Descending, const AnsiString& Format);
// 10 ^ Round(log10(x)) with x <= 0 taken as 1; Exponent receives the rounded logarithm.
double DecadeRound(double x, int& Exponent);
// Each channel scaled by Percent / 100 and rounded (kept within 0..255).
TColor Brightness(TColor Color, float Percent);
// Step I of N from C1 towards C2 (system colours resolved first).
TColor MixColor(TColor C1, TColor C2, int N, int I);

void TextSizeAndHalf(TCanvas* Canvas, int& W, int& H, const AnsiString& Text, TPoint& Half);
// Width of the widest ";"-separated piece and the height of one line.
void MeasureTextLines(TCanvas* Canvas, int& W, int& H, const AnsiString& Text);
// A canvas of its own for measuring text, so that a gauge lays itself out without painting.
TCanvas* GaugeMeasureCanvas();
// Width and height of Text in Font; an empty text is as high as one line.
void MeasureTextSize(TFont* Font, const AnsiString& Text, int& W, int& H);
void MeasureTextLinesSep(TCanvas* Canvas, int& W, int& H, char Sep, const AnsiString& Text);
int CountChar(const AnsiString& Text, char C);
// Writes Text so that its anchor point lies at (X, Y): 0 top-left, 1 top-centre,
// 2 top-right, 3 middle-left, 4 centre, 5 middle-right, 6..8 the bottom row.
void AlignedTextOut(TCanvas* Canvas, int X, int Y, int Anchor, const AnsiString& Text);
// Lines separated by "|", one below the other, the block placed by the anchor's row.
void MultiLineTextOut(TCanvas* Canvas, int X, int Y, int Anchor, const AnsiString& Text, int Spacing);
// Token := the text before the first Sep, removed from Text with the separator.
void ExtractToken(AnsiString& Text, char Sep, AnsiString& Token);
// Steps + 1 labels from Max down to Min, each followed by ";".
void ScaleLabelText(int Steps, const AnsiString& Format, AnsiString& Text, double Max, double Min);
// Copies what the canvas shows under R into Bitmap (resized to R).
void GrabBackground(TCanvas* Canvas, TBitmap& Bitmap, const TRect& R);

int MinInteger(int a, int b);
int MaxInteger(int a, int b);
int LimitInteger(int Value, int Min, int Max);
bool IntersectRectangles(TRect& R, const TRect& A, const TRect& B);
// The bottom edge belongs to the rectangle, the right edge does not.
bool IsPointInRect(int X, int Y, const TRect& R);
void ShrinkRect(TRect& R, int N);
void ShrinkRectSides(TRect& R, int Left, int Top, int Right, int Bottom);
// Header element of a shape array: a, b in the low bytes of X, c, d in those of Y.
TPoint MakeShapeHeader(uint8_t a, uint8_t b, uint8_t c, uint8_t d);
void RectCentre(const TRect& R, TPoint& P);
// Turns P about C by Angle degrees (clockwise on the screen, or the other way).
void RotatePoint(TPoint P, TPoint C, bool Clockwise, TPoint& Q, float Angle);
void PaintGradient(TCanvas* Canvas, const TRect& R, TColor From, TGradientStyle Style, TColor To);
void PaintLEDShape(TCanvas* Canvas, const TRect& R, TLEDShape Shape, TColor Fill, TColor Pen);
// Pie of the ellipse in R from the top centre turned clockwise by StartAngle, Sweep degrees on.
void DrawPieSector(TCanvas* Canvas, const TRect& R, float Sweep, float StartAngle);
// Span between two digital ends, 0 when From >= 0 and To <= 0.
int32_t DigitalSpan(int32_t From, int32_t To);
// Points: [0] header (count n in the low byte of X), [1] centre, [2..n] corners. Work
// receives the turned copy; the polygon of its corners is filled.
void DrawRotatedPolygon(TCanvas* Canvas, const std::vector<TPoint>& Points, bool Clockwise, std::vector<TPoint>& Work,
                        float Angle);
// A 3D frame: top and left in TopLeft, bottom and right in BottomRight, Width rings; R
// shrinks to the inside.
void AbFrame3D(TCanvas* Canvas, TRect& R, TColor TopLeft, TColor BottomRight, int Width);

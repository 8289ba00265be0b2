#pragma once
// Private to the platform's .cpp files: the Qt side of the drawing classes. Controls
// and printing reach the canvas's surface and the bitmaps' images through here.
#include <QColor>
#include <QFont>
#include <QImage>
#include <QPainter>
#include <QRect>
#include <QRegion>
#include <QString>
#include <functional>

#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Canvas.h"
#include "platform/graphics/Region.h"

struct TRegion::Impl {
  QRegion region;
};

struct TCanvas::Impl {
  QImage* image = nullptr;      // drawing on a raster image
  QPainter* external = nullptr; // drawing into a painter someone else holds open
  QSize externalSize;           // the part of the painter's device that is the surface
  // A drawing call left the external painter clipped by more than the surface.
  bool externalClipped = false;
  bool hasClip = false;
  QRegion clip;
  // Called when something is to be drawn or read while the canvas has no surface; the
  // owner may attach one (a control attaches an image of its own between paints).
  std::function<void()> needSurface;
};

struct TBitmap::Impl {
  QImage image;
};

namespace gfx {

// Creates the GUI application object when none exists yet (fonts and pixmaps need it).
// The controls library installs its own factory so that its application class is used.
using AppFactory = void (*)();
void SetGuiApplicationFactory(AppFactory factory);
void EnsureGuiApplication();

inline QString ToQString(const AnsiString& s) { return QString::fromStdString(cp1252::ToUtf8(s)); }
inline AnsiString FromQString(const QString& s) { return cp1252::FromUtf8(s.toStdString()); }

inline QRect ToQRect(const TRect& r) { return QRect(r.Left, r.Top, r.Width(), r.Height()); }
inline TRect FromQRect(const QRect& r) { return TRect(r.left(), r.top(), r.left() + r.width(), r.top() + r.height()); }

QColor ToQColor(TColor c);
TColor FromQColor(const QColor& c);
// The font a TFont names, mapped onto the fonts the system ships.
QFont ToQFont(const TFont& f);
AnsiString MapFontFamily(const AnsiString& name);

// Points a canvas at a surface; passing nullptr detaches it.
void AttachImage(TCanvas& canvas, QImage* image);
// With a size, only that much of the painter's device (from its origin) is the surface.
void AttachPainter(TCanvas& canvas, QPainter* painter, QSize size = QSize());
inline QImage& ImageOf(TBitmap& bitmap) { return bitmap.impl().image; }
// The bitmap's image as it is drawn: when the bitmap is transparent, its transparent
// colour's pixels are fully transparent.
QImage DrawnImage(const TBitmap& bitmap);
// Readies an external painter for one drawing call: no transform, plain composition,
// no smoothing, clipped to the surface and the canvas's clip. The painter is not saved
// and restored around each call (that is most of the cost of a cell's text); the calls
// that change its clip set externalClipped.
void PrepareExternal(TCanvas& canvas);
// What a paint must draw, in canvas coordinates: the canvas's clip, cut to the part of the
// window the window system asked to be painted while a control paints into it. Drawing
// outside it is thrown away, so a control may skip whatever lies wholly outside.
QRegion PaintRegion(const TCanvas& canvas);
// Asks the canvas's owner for a surface when it has none (see TCanvas::Impl::needSurface).
void EnsureSurface(TCanvas& canvas);
// Runs fn with the canvas's drawing state (pen, brush, font, pen position, modes, clip)
// put back afterwards, so that a paint run in the middle of someone's drawing leaves
// their settings as they were.
void PreservingState(TCanvas& canvas, const std::function<void()>& fn);

}  // namespace gfx

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

#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Canvas.h"
#include "platform/graphics/Region.h"

struct TRegion::Impl {
  QRegion region;
};

struct TCanvas::Impl {
  QImage* image = nullptr;      // drawing on a raster image
  QPainter* external = nullptr; // drawing into a painter someone else holds open
  bool hasClip = false;
  QRegion clip;
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
void AttachPainter(TCanvas& canvas, QPainter* painter);
inline QImage& ImageOf(TBitmap& bitmap) { return bitmap.impl().image; }

}  // namespace gfx

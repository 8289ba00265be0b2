#include "platform/graphics/Canvas.h"

#include <QApplication>
#include <QFontMetrics>
#include <QGlyphRun>
#include <QPaintEngine>
#include <QHash>
#include <QRawFont>
#include <QTextLayout>
#include <QThreadPool>
#include <QPainterPath>
#include <QPolygon>
#include <fontconfig/fontconfig.h>
#include <algorithm>
#include <cmath>
#include <memory>
#include <optional>

#include "platform/graphics/Bitmap.h"
#include "platform/graphics/detail/QtGraphics.h"

// ---------------------------------------------------------------------------------------
// The painter a canvas keeps open between HoldPainter and ReleasePainter.

struct TCanvas::Held {
  QPainter painter;
  QImage* on = nullptr;  // the image the painter is open on
  int depth = 0;
};

struct CanvasHold {
  // The held painter on the canvas's image, opened on first use; nullptr when the
  // canvas is not held or has no image of its own.
  static QPainter* Get(TCanvas& c) {
    TCanvas::Held* h = c.held_.get();
    if (!h || h->depth == 0) return nullptr;
    QImage* img = c.impl_->image;
    if (!img || img->isNull() || c.impl_->external) {
      Drop(c);
      return nullptr;
    }
    if (h->painter.isActive() && h->on == img) return &h->painter;
    Drop(c);
    if (!h->painter.begin(img)) return nullptr;
    h->on = img;
    h->painter.setRenderHint(QPainter::Antialiasing, false);
    h->painter.setRenderHint(QPainter::TextAntialiasing, false);
    return &h->painter;
  }
  // Closes the held painter, so that someone else may paint on the image; the next
  // drawing call opens it again.
  static void Drop(TCanvas& c) {
    TCanvas::Held* h = c.held_.get();
    if (!h) return;
    if (h->painter.isActive()) h->painter.end();
    h->on = nullptr;
  }
};

struct CanvasState {
  static void Preserving(TCanvas& c, const std::function<void()>& fn) {
    TFont font;
    TPen pen;
    TBrush brush;
    font.Assign(&c.font_);
    pen.Assign(&c.pen_);
    brush.Assign(&c.brush_);
    const TPoint penPos = c.pen_pos_;
    const TCopyMode copyMode = c.copy_mode_;
    const unsigned textAlign = c.text_align_;
    const int bkMode = c.bk_mode_override_;
    const bool hasClip = c.impl_->hasClip;
    const QRegion clip = c.impl_->clip;
    auto restore = [&] {
      c.font_.Assign(&font);
      c.pen_.Assign(&pen);
      c.brush_.Assign(&brush);
      c.pen_pos_ = penPos;
      c.copy_mode_ = copyMode;
      c.text_align_ = textAlign;
      c.bk_mode_override_ = bkMode;
      c.impl_->hasClip = hasClip;
      c.impl_->clip = clip;
    };
    // The run starts from a fresh canvas, as a paint does.
    TPen freshPen;
    TBrush freshBrush;
    c.pen_.Assign(&freshPen);
    c.brush_.Assign(&freshBrush);
    c.pen_pos_ = {};
    c.copy_mode_ = cmSrcCopy;
    c.text_align_ = TA_LEFT | TA_TOP;
    c.bk_mode_override_ = 0;
    c.impl_->hasClip = false;
    c.impl_->clip = QRegion();
    try {
      fn();
    } catch (...) {
      restore();
      throw;
    }
    restore();
  }
};

void TCanvas::HoldPainter() {
  if (!held_) held_ = std::make_unique<Held>();
  ++held_->depth;
}

void TCanvas::ReleasePainter() {
  if (!held_ || held_->depth == 0) return;
  if (--held_->depth == 0) CanvasHold::Drop(*this);
}

// ---------------------------------------------------------------------------------------
// Qt glue shared by the drawing classes.

namespace gfx {
namespace {
AppFactory g_factory = nullptr;
}

void SetGuiApplicationFactory(AppFactory factory) { g_factory = factory; }

void EnsureGuiApplication() {
  if (QCoreApplication::instance()) return;
  if (g_factory) {
    g_factory();
    return;
  }
  static int argc = 1;
  static char arg0[] = "corvaneq5";
  static char* argv[] = {arg0, nullptr};
  new QApplication(argc, argv);
}

QColor ToQColor(TColor c) {
  const TColor rgb = ColorToRGB(c);
  return QColor(GetRValue(rgb), GetGValue(rgb), GetBValue(rgb));
}

TColor FromQColor(const QColor& c) { return RGB(c.red(), c.green(), c.blue()); }

AnsiString MapFontFamily(const AnsiString& name) {
  struct Entry {
    const char* from;
    const char* to;
  };
  // The faces the forms were laid out with, mapped to metric-compatible or close faces
  // that the system ships.
  static constexpr Entry kMap[] = {
      {"MS Sans Serif", "Liberation Sans"}, {"Microsoft Sans Serif", "Liberation Sans"},
      {"Arial", "Liberation Sans"},         {"Helvetica", "Liberation Sans"},
      {"Tahoma", "Liberation Sans"},        {"Verdana", "DejaVu Sans"},
      {"System", "Liberation Sans"},        {"Small Fonts", "Liberation Sans"},
      {"MS Shell Dlg", "Liberation Sans"},  {"MS Shell Dlg 2", "Liberation Sans"},
      {"Courier New", "Liberation Mono"},   {"Courier", "Liberation Mono"},
      {"Fixedsys", "Liberation Mono"},      {"Terminal", "Liberation Mono"},
      {"Lucida Console", "Liberation Mono"}, {"Times New Roman", "Liberation Serif"},
      {"Times", "Liberation Serif"},        {"MS Serif", "Liberation Serif"},
  };
  const QString q = ToQString(name);
  for (const auto& e : kMap)
    if (q.compare(QLatin1String(e.from), Qt::CaseInsensitive) == 0) return e.to;
  return name;
}

namespace {
// Text is drawn in single pixels (below). The faces the system ships carry hints made for
// smoothed text; their bold faces, drawn in single pixels at the forms' small sizes,
// break up: the stems thin to one pixel and a digit's curves leave stray pixels at
// mid-height that read as a line struck through it ("3000" as 3-0-0-0). FreeType's own
// hinter, which fits outlines to whole pixels for any rendering, hints the bold faces
// instead. Regular faces keep their own hints, and so their widths.
void HintBoldForSinglePixels() {
  static const bool done = [] {
    static constexpr char kRule[] =
        "<?xml version=\"1.0\"?><!DOCTYPE fontconfig SYSTEM \"fonts.dtd\"><fontconfig>"
        "<match target=\"font\"><test name=\"weight\" compare=\"more_eq\"><const>bold</const></test>"
        "<edit name=\"autohint\" mode=\"assign\"><bool>true</bool></edit></match>"
        "</fontconfig>";
    if (FcConfig* config = FcConfigGetCurrent())
      FcConfigParseAndLoadFromMemory(config, reinterpret_cast<const FcChar8*>(kRule), FcFalse);
    return true;
  }();
  (void)done;
}
}  // namespace

QFont ToQFont(const TFont& f) {
  EnsureGuiApplication();
  HintBoldForSinglePixels();
  QFont q(ToQString(MapFontFamily(f.Name())));
  // Text is drawn without smoothing or kerning, as the program's screens always were;
  // it also keeps probe pixels and XOR drawing exact.
  q.setStyleStrategy(QFont::NoAntialias);
  q.setHintingPreference(QFont::PreferFullHinting);
  q.setKerning(false);
  q.setBold(f.Style().Contains(fsBold));
  q.setItalic(f.Style().Contains(fsItalic));
  q.setUnderline(f.Style().Contains(fsUnderline));
  q.setStrikeOut(f.Style().Contains(fsStrikeOut));
  if (f.Pitch() == fpFixed) {
    q.setFixedPitch(true);
    q.setStyleHint(QFont::TypeWriter);
  }
  int h = f.Height();
  if (h < 0) {
    q.setPixelSize(-h);
  } else if (h > 0) {
    // A positive height is the whole cell; find the character height that fills it.
    q.setPixelSize(h);
    const int cell = QFontMetrics(q).height();
    if (cell > 0 && cell != h) q.setPixelSize(std::max(1, h * h / cell));
  } else {
    q.setPixelSize(11);
  }
  return q;
}

void AttachImage(TCanvas& canvas, QImage* image) {
  CanvasHold::Drop(canvas);
  canvas.impl().image = image;
  canvas.impl().external = nullptr;
}

namespace {
// The raster engine splits a large fill or blend (a style's gradient along a tall scroll
// bar, a big area under a clip of several rectangles) over the application's thread pool,
// which would start a thread per core, each then waking with every such repaint while the
// painting thread only waits for them. Painting here is light and happens at the
// displays' pace: the pool gets one thread, which ends as soon as it has nothing to do.
void KeepPaintingOnFewThreads() {
  static const bool done = [] {
    if (QCoreApplication::instance() == nullptr) return false;
    QThreadPool* pool = QThreadPool::globalInstance();
    pool->setMaxThreadCount(1);
    pool->setExpiryTimeout(100);
    return true;
  }();
  (void)done;
}
}  // namespace

void AttachPainter(TCanvas& canvas, QPainter* painter, QSize size) {
  if (painter != nullptr) KeepPaintingOnFewThreads();
  CanvasHold::Drop(canvas);
  TCanvas::Impl& d = canvas.impl();
  d.external = painter;
  d.externalSize = painter ? size : QSize();
  d.externalClipped = painter != nullptr;  // the first call sets the clip
  d.image = nullptr;
}

void PrepareExternal(TCanvas& canvas) {
  TCanvas::Impl& d = canvas.impl();
  QPainter* p = d.external;
  if (!p) return;
  if (!p->worldTransform().isIdentity()) p->resetTransform();
  if (p->compositionMode() != QPainter::CompositionMode_SourceOver)
    p->setCompositionMode(QPainter::CompositionMode_SourceOver);
  if (p->renderHints() & (QPainter::Antialiasing | QPainter::TextAntialiasing))
    p->setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing, false);
  if (d.hasClip || d.externalClipped) {
    if (d.externalSize.isValid())
      p->setClipRect(QRect(QPoint(0, 0), d.externalSize));
    else
      p->setClipping(false);
    if (d.hasClip) p->setClipRegion(d.clip, Qt::IntersectClip);
    d.externalClipped = d.hasClip;
  }
}

void EnsureSurface(TCanvas& canvas) {
  TCanvas::Impl& d = canvas.impl();
  if (d.external || (d.image && !d.image->isNull()) || !d.needSurface) return;
  d.needSurface();
}

void PreservingState(TCanvas& canvas, const std::function<void()>& fn) { CanvasState::Preserving(canvas, fn); }

}  // namespace gfx

// ---------------------------------------------------------------------------------------

namespace {

using gfx::ToQColor;
using gfx::ToQString;

uint32_t Rop2(TPenMode mode, uint32_t p, uint32_t d) {
  switch (mode) {
    case pmBlack: return 0;
    case pmWhite: return 0xFFFFFF;
    case pmNop: return d;
    case pmNot: return ~d;
    case pmCopy: return p;
    case pmNotCopy: return ~p;
    case pmMergePenNot: return p | ~d;
    case pmMaskPenNot: return p & ~d;
    case pmMergeNotPen: return ~p | d;
    case pmMaskNotPen: return ~p & d;
    case pmMerge: return p | d;
    case pmNotMerge: return ~(p | d);
    case pmMask: return p & d;
    case pmNotMask: return ~(p & d);
    case pmXor: return p ^ d;
    case pmNotXor: return ~(p ^ d);
  }
  return p;
}

uint32_t Rop3(TCopyMode mode, uint32_t s, uint32_t d, uint32_t pat) {
  switch (mode) {
    case cmBlackness: return 0;
    case cmWhiteness: return 0xFFFFFF;
    case cmDstInvert: return ~d;
    case cmNotSrcCopy: return ~s;
    case cmNotSrcErase: return ~(s | d);
    case cmSrcAnd: return s & d;
    case cmSrcErase: return s & ~d;
    case cmSrcInvert: return s ^ d;
    case cmSrcPaint: return s | d;
    case cmMergePaint: return ~s | d;
    case cmMergeCopy: return s & pat;
    case cmPatCopy: return pat;
    case cmPatInvert: return pat ^ d;
    case cmPatPaint: return pat | ~s | d;
    default: return s;
  }
}

bool Is32Bit(const QImage& img) {
  const auto f = img.format();
  return f == QImage::Format_RGB32 || f == QImage::Format_ARGB32 ||
         f == QImage::Format_ARGB32_Premultiplied;
}

uint32_t ReadRgb(const QImage& img, int x, int y) {
  if (Is32Bit(img)) return reinterpret_cast<const uint32_t*>(img.constScanLine(y))[x] & 0xFFFFFF;
  return img.pixel(x, y) & 0xFFFFFF;
}

void WriteRgb(QImage& img, int x, int y, uint32_t rgb) {
  if (Is32Bit(img))
    reinterpret_cast<uint32_t*>(img.scanLine(y))[x] = 0xFF000000u | (rgb & 0xFFFFFF);
  else
    img.setPixel(x, y, 0xFF000000u | (rgb & 0xFFFFFF));
}

uint32_t QRgbOf(TColor c) {
  const TColor rgb = ColorToRGB(c);
  return static_cast<uint32_t>((GetRValue(rgb) << 16) | (GetGValue(rgb) << 8) | GetBValue(rgb));
}

// The raster image under an external painter (a window's backing store while a control
// paints straight into it), and where the canvas's origin lies in it. Empty when the
// painter draws on something else (a printer) or through more than a translation.
struct RasterTarget {
  QImage* image = nullptr;
  QPoint origin;
  explicit operator bool() const { return image && !image->isNull(); }
};

RasterTarget RasterOf(const TCanvas::Impl& d) {
  QPainter* p = d.external;
  if (!p || !p->isActive()) return {};
  if (!p->worldTransform().isIdentity()) p->resetTransform();
  QPaintEngine* engine = p->paintEngine();
  QPaintDevice* device = engine ? engine->paintDevice() : nullptr;
  if (!device || device->devType() != QInternal::Image) return {};
  const QTransform t = p->deviceTransform();
  if (t.type() > QTransform::TxTranslate) return {};
  return {static_cast<QImage*>(device), QPoint(qRound(t.dx()), qRound(t.dy()))};
}

// The canvas's own pixels in r (canvas coordinates) as an RGB32 image; pixels off the
// surface read as black.
QImage ReadSurface(TCanvas& c, const QRect& r) {
  TCanvas::Impl& d = c.impl();
  const QSize size(c.SurfaceSize().cx, c.SurfaceSize().cy);
  QImage out(r.size(), QImage::Format_RGB32);
  out.fill(Qt::black);
  const QRect inside = r.intersected(QRect(QPoint(0, 0), size));
  if (inside.isEmpty()) return out;
  const QImage* from = d.image;
  QPoint origin;
  if (!from) {
    const RasterTarget t = RasterOf(d);
    if (!t) return out;
    from = t.image;
    origin = t.origin;
  }
  QPainter p(&out);
  p.setCompositionMode(QPainter::CompositionMode_Source);
  p.drawImage(inside.topLeft() - r.topLeft(), *from, inside.translated(origin));
  return out;
}

// Opens a painter on the canvas's surface for the length of one drawing call, or takes
// the one the canvas holds open.
class Painter {
 public:
  explicit Painter(TCanvas& c) {
    gfx::EnsureSurface(c);
    TCanvas::Impl& d = c.impl();
    if (d.external) {
      gfx::PrepareExternal(c);
      p_ = d.external;
      return;
    } else if (QPainter* held = CanvasHold::Get(c)) {
      // A fresh frame for this call, whatever the previous one left behind.
      // (Its render hints were set when it was opened.)
      p_ = held;
      if (!p_->worldTransform().isIdentity()) p_->resetTransform();
      if (p_->compositionMode() != QPainter::CompositionMode_SourceOver)
        p_->setCompositionMode(QPainter::CompositionMode_SourceOver);
      if (p_->hasClipping()) p_->setClipping(false);
      if (d.hasClip) p_->setClipRegion(d.clip);
      return;
    } else if (d.image && !d.image->isNull()) {
      own_.emplace(d.image);
      p_ = &*own_;
    } else {
      throw EInvalidOperation("Canvas does not allow drawing");
    }
    p_->setRenderHint(QPainter::Antialiasing, false);
    p_->setRenderHint(QPainter::TextAntialiasing, false);
    if (d.hasClip) p_->setClipRegion(d.clip);
  }
  ~Painter() = default;
  Painter(const Painter&) = delete;
  Painter& operator=(const Painter&) = delete;
  QPainter& operator*() { return *p_; }
  QPainter* operator->() { return p_; }

 private:
  QPainter* p_ = nullptr;
  std::optional<QPainter> own_;
};

QPen MakePen(TPen& pen) {
  if (pen.Style() == psClear) return QPen(Qt::NoPen);
  QPen q(ToQColor(pen.Color()));
  const int w = std::max(1, pen.Width());
  q.setWidth(w);
  if (w <= 1) {
    // A one-pixel line leaves out its end pixel; its dashes are counted in pixels.
    q.setCapStyle(Qt::FlatCap);
    q.setJoinStyle(Qt::MiterJoin);
    switch (pen.Style()) {
      case psDash: q.setDashPattern({18, 6}); break;
      case psDot: q.setDashPattern({3, 3}); break;
      case psDashDot: q.setDashPattern({9, 6, 3, 6}); break;
      case psDashDotDot: q.setDashPattern({9, 3, 3, 3, 3, 3}); break;
      case psAlternate: q.setDashPattern({1, 1}); break;
      default: break;
    }
    return q;
  }
  switch (pen.EndCap()) {
    case pecRound: q.setCapStyle(Qt::RoundCap); break;
    case pecSquare: q.setCapStyle(Qt::SquareCap); break;
    case pecFlat: q.setCapStyle(Qt::FlatCap); break;
  }
  switch (pen.Join()) {
    case pjRound: q.setJoinStyle(Qt::RoundJoin); break;
    case pjBevel: q.setJoinStyle(Qt::BevelJoin); break;
    case pjMiter: q.setJoinStyle(Qt::MiterJoin); break;
  }
  // A wide pen's dashes are counted in pen widths: a dash three widths long, a dot one,
  // the gaps one. Round and square caps reach half a width past each end of a dash, so
  // the dashes are given one width less and the gaps one more: every cap keeps the look.
  // A dot keeps a sliver of length, as a dash of none is not drawn at all.
  QList<qreal> marks;
  switch (pen.Style()) {
    case psDash: marks = {3, 1}; break;
    case psDot: marks = {1, 1}; break;
    case psDashDot: marks = {3, 1, 1, 1}; break;
    case psDashDotDot: marks = {3, 1, 1, 1, 1, 1}; break;
    case psAlternate: marks = {1, 1}; break;
    default: break;
  }
  if (!marks.isEmpty()) {
    if (pen.EndCap() != pecFlat)
      for (qsizetype i = 0; i < marks.size(); ++i) marks[i] = i % 2 ? marks[i] + 1 : std::max(marks[i] - 1, 0.01);
    q.setDashPattern(marks);
  }
  return q;
}

QBrush MakeBrush(TBrush& brush) {
  // A pattern tiles from the surface's origin (the painter's brush origin stays 0, 0).
  if (const TBitmap* pattern = brush.Bitmap(); pattern && !pattern->Empty()) return QBrush(gfx::DrawnImage(*pattern));
  const QColor c = ToQColor(brush.Color());
  switch (brush.Style()) {
    case bsSolid: return QBrush(c);
    case bsClear: return QBrush(Qt::NoBrush);
    case bsHorizontal: return QBrush(c, Qt::HorPattern);
    case bsVertical: return QBrush(c, Qt::VerPattern);
    case bsFDiagonal: return QBrush(c, Qt::FDiagPattern);
    case bsBDiagonal: return QBrush(c, Qt::BDiagPattern);
    case bsCross: return QBrush(c, Qt::CrossPattern);
    case bsDiagCross: return QBrush(c, Qt::DiagCrossPattern);
  }
  return QBrush(c);
}

QRect Normalized(int x1, int y1, int x2, int y2) {
  if (x1 > x2) std::swap(x1, x2);
  if (y1 > y2) std::swap(y1, y2);
  return QRect(x1, y1, x2 - x1, y2 - y1);
}

// The parametric angle (degrees, counter-clockwise from 3 o'clock) at which the ray
// from the ellipse centre through (x, y) meets the ellipse in r.
double RayAngle(const QRectF& r, int x, int y) {
  const double a = std::max(r.width() / 2.0, 0.5), b = std::max(r.height() / 2.0, 0.5);
  const double dx = x - r.center().x(), dy = r.center().y() - y;
  if (dx == 0 && dy == 0) return 0;
  return std::atan2(dy / b, dx / a) * 180.0 / M_PI;
}

QString StripPrefix(const QString& s) {
  QString out;
  out.reserve(s.size());
  for (int i = 0; i < s.size(); ++i) {
    if (s[i] == QLatin1Char('&')) {
      if (i + 1 < s.size() && s[i + 1] == QLatin1Char('&')) {
        out += QLatin1Char('&');
        ++i;
      }
      continue;
    }
    out += s[i];
  }
  return out;
}

}  // namespace

TCanvas::TCanvas() : impl_(std::make_unique<Impl>()) {
  gfx::EnsureGuiApplication();
  brush_.OnChange = [this](TObject*) { BrushChanged(); };
}

TCanvas::~TCanvas() = default;

void TCanvas::Changed() {
  if (OnChange) OnChange(this);
}

void TCanvas::BrushChanged() { bk_mode_override_ = 0; }

bool TCanvas::HandleAllocated() const {
  return impl_->external || (impl_->image && !impl_->image->isNull());
}

TSize TCanvas::SurfaceSize() const {
  if (impl_->image) return {impl_->image->width(), impl_->image->height()};
  if (impl_->external && impl_->externalSize.isValid())
    return {impl_->externalSize.width(), impl_->externalSize.height()};
  if (impl_->external && impl_->external->device())
    return {impl_->external->device()->width(), impl_->external->device()->height()};
  return {};
}

void TCanvas::SetBkMode(int mode) { bk_mode_override_ = mode == TRANSPARENT ? TRANSPARENT : OPAQUE; }

int TCanvas::BkMode() const {
  if (bk_mode_override_) return bk_mode_override_;
  return const_cast<TBrush&>(brush_).Style() == bsSolid ? OPAQUE : TRANSPARENT;
}

// Draws a pen-and-brush figure. Copy mode paints straight onto the surface; the other
// raster modes paint the figure on a transparent layer first and then combine each of
// its pixels once with the surface, so outline and fill never meet twice and XOR
// drawing undoes itself exactly.
template <typename Fn>
static void DrawFigure(TCanvas& c, TPen& pen, TBrush& brush, QRect bounds, bool usePen,
                       bool useBrush, Fn&& fn) {
  TCanvas::Impl& d = c.impl();
  const TPenMode mode = pen.Mode();
  if (mode == pmNop) return;
  const QPen qpen = usePen ? MakePen(pen) : QPen(Qt::NoPen);
  const QBrush qbrush = useBrush ? MakeBrush(brush) : QBrush(Qt::NoBrush);
  if (mode != pmCopy) gfx::EnsureSurface(c);
  // Straight into a window's backing store the figure is combined with what the
  // surface shows there and the result painted back in one piece.
  const bool readBack = mode != pmCopy && !d.image && RasterOf(d);
  if (mode == pmCopy || (!d.image && !readBack)) {
    Painter p(c);
    p->setPen(qpen);
    p->setBrush(qbrush);
    fn(*p);
    return;
  }
  const int grow = std::max(2, pen.Width() + 2);
  const TSize surface = c.SurfaceSize();
  bounds = bounds.adjusted(-grow, -grow, grow, grow).intersected(QRect(0, 0, surface.cx, surface.cy));
  if (d.hasClip) bounds = bounds.intersected(d.clip.boundingRect());
  if (bounds.isEmpty()) return;
  QImage layer(bounds.size(), QImage::Format_ARGB32_Premultiplied);
  layer.fill(0);
  {
    QPainter lp(&layer);
    lp.setRenderHint(QPainter::Antialiasing, false);
    lp.translate(-bounds.topLeft());
    if (d.hasClip) lp.setClipRegion(d.clip);
    lp.setPen(qpen);
    lp.setBrush(qbrush);
    fn(lp);
  }
  if (readBack) {
    const QImage under = ReadSurface(c, bounds);
    for (int y = 0; y < layer.height(); ++y) {
      auto* px = reinterpret_cast<uint32_t*>(layer.scanLine(y));
      const auto* dst = reinterpret_cast<const uint32_t*>(under.constScanLine(y));
      for (int x = 0; x < layer.width(); ++x)
        if ((px[x] >> 24) != 0) px[x] = 0xFF000000u | (Rop2(mode, px[x] & 0xFFFFFF, dst[x] & 0xFFFFFF) & 0xFFFFFF);
    }
    Painter p(c);
    p->setCompositionMode(QPainter::CompositionMode_SourceOver);
    p->drawImage(bounds.topLeft(), layer);
    return;
  }
  for (int y = 0; y < layer.height(); ++y) {
    const auto* src = reinterpret_cast<const uint32_t*>(layer.constScanLine(y));
    for (int x = 0; x < layer.width(); ++x) {
      if ((src[x] >> 24) == 0) continue;
      const int dx = bounds.x() + x, dy = bounds.y() + y;
      const uint32_t argb = src[x] & 0xFFFFFF;
      WriteRgb(*d.image, dx, dy, Rop2(mode, argb, ReadRgb(*d.image, dx, dy)));
    }
  }
}

void TCanvas::MoveTo(int x, int y) { pen_pos_ = {x, y}; }

namespace {

// A one-pixel line is stepped out pixel by pixel here rather than left to the painter,
// whose thin lines leave out whichever end lies further right or down: a line that runs
// left or up would lose its start and draw its end. Every line here draws its start
// pixel and leaves out its end pixel, in whatever direction it runs, so that a figure
// drawn as a chain of lines meets itself exactly at each corner.
class ThinLine {
 public:
  ThinLine(TPenStyle style, TSize surface) : bounds_(-1, -1, surface.cx + 2, surface.cy + 2) {
    switch (style) {
      case psDash: marks_ = {18, 6}; break;
      case psDot: marks_ = {3, 3}; break;
      case psDashDot: marks_ = {9, 6, 3, 6}; break;
      case psDashDotDot: marks_ = {9, 3, 3, 3, 3, 3}; break;
      case psAlternate: marks_ = {1, 1}; break;
      default: break;
    }
    for (int m : marks_) period_ += m;
    if (surface.cx <= 0 || surface.cy <= 0) bounds_ = QRect();
  }

  // Adds the pixels from a up to, not including, b as runs along the longer axis. The
  // other coordinate is the exact line's, rounded; a point halfway between two pixels
  // takes the lower coordinate. Dashes count pixels along the longer axis and carry on
  // from one line to the next.
  void Add(QPoint a, QPoint b) {
    const long long dx = b.x() - a.x(), dy = b.y() - a.y();
    const bool xMajor = std::llabs(dx) >= std::llabs(dy);
    const long long n = xMajor ? std::llabs(dx) : std::llabs(dy);
    if (n == 0) return;
    const int step = (xMajor ? dx : dy) > 0 ? 1 : -1;
    const long long minorDelta = xMajor ? dy : dx;
    const int major0 = xMajor ? a.x() : a.y(), minor0 = xMajor ? a.y() : a.x();
    // Only the steps that can land on the surface are visited, however long the line.
    long long first = 0, last = n - 1;
    if (bounds_.isValid()) {
      const int lo = xMajor ? bounds_.left() : bounds_.top(), hi = xMajor ? bounds_.right() : bounds_.bottom();
      const long long from = step > 0 ? lo - major0 : major0 - hi, to = step > 0 ? hi - major0 : major0 - lo;
      first = std::max(first, from);
      last = std::min(last, to);
    }
    for (long long i = first; i <= last; ++i) {
      if (!On(phase_ + i)) continue;
      const long long num = 2 * i * minorDelta + n - 1, den = 2 * n;
      const long long q = num >= 0 ? num / den : -((-num + den - 1) / den);
      const int major = major0 + static_cast<int>(step * i), minor = minor0 + static_cast<int>(q);
      const QPoint px = xMajor ? QPoint(major, minor) : QPoint(minor, major);
      // Neighbouring pixels along the longer axis on the same row or column form one run.
      if (!runs_.isEmpty()) {
        QRect& r = runs_.last();
        if (xMajor && r.height() == 1 && px.y() == r.top() && (px.x() == r.right() + 1 || px.x() == r.left() - 1)) {
          r = r.united(QRect(px, QSize(1, 1)));
          continue;
        }
        if (!xMajor && r.width() == 1 && px.x() == r.left() && (px.y() == r.bottom() + 1 || px.y() == r.top() - 1)) {
          r = r.united(QRect(px, QSize(1, 1)));
          continue;
        }
      }
      runs_ << QRect(px, QSize(1, 1));
    }
    if (period_) phase_ = (phase_ + n) % period_;
  }

  QRect Bounds() const {
    QRect box;
    for (const QRect& r : runs_) box |= r;
    return box;
  }

  void Draw(QPainter& p) const {
    const QColor color = p.pen().color();
    for (const QRect& r : runs_) p.fillRect(r, color);
  }

 private:
  bool On(long long at) const {
    if (!period_) return true;
    long long pos = at % period_;
    for (size_t k = 0; k < marks_.size(); ++k) {
      if (pos < marks_[k]) return k % 2 == 0;
      pos -= marks_[k];
    }
    return false;
  }

  std::vector<int> marks_;
  long long period_ = 0, phase_ = 0;
  QRect bounds_;
  QList<QRect> runs_;
};

bool IsThin(TPen& pen) { return pen.Width() <= 1 && pen.Style() != psClear; }

}  // namespace

void TCanvas::LineTo(int x, int y) {
  const QPoint a(pen_pos_.x, pen_pos_.y), b(x, y);
  if (IsThin(pen_)) {
    ThinLine line(pen_.Style(), SurfaceSize());
    line.Add(a, b);
    DrawFigure(*this, pen_, brush_, line.Bounds(), true, false, [&](QPainter& p) { line.Draw(p); });
  } else {
    DrawFigure(*this, pen_, brush_, QRect(a, b).normalized(), true, false,
               [&](QPainter& p) { p.drawLine(a, b); });
  }
  pen_pos_ = {x, y};
  Changed();
}

void TCanvas::Polyline(const std::vector<TPoint>& points) {
  if (points.size() < 2) return;
  if (IsThin(pen_)) {
    ThinLine line(pen_.Style(), SurfaceSize());
    for (size_t i = 1; i < points.size(); ++i)
      line.Add(QPoint(points[i - 1].x, points[i - 1].y), QPoint(points[i].x, points[i].y));
    DrawFigure(*this, pen_, brush_, line.Bounds(), true, false, [&](QPainter& p) { line.Draw(p); });
    Changed();
    return;
  }
  QPolygon poly;
  for (const auto& pt : points) poly << QPoint(pt.x, pt.y);
  DrawFigure(*this, pen_, brush_, poly.boundingRect(), true, false,
             [&](QPainter& p) { p.drawPolyline(poly); });
  Changed();
}

void TCanvas::Rectangle(int x1, int y1, int x2, int y2) {
  const QRect r = Normalized(x1, y1, x2, y2);
  if (r.width() <= 0 || r.height() <= 0) return;
  const bool pen = pen_.Style() != psClear;
  QRect shape(r.x(), r.y(), r.width() - 1, r.height() - 1);
  if (pen && pen_.Style() == psInsideFrame && pen_.Width() > 1) {
    const int in = pen_.Width() / 2;
    shape.adjust(in, in, -in, -in);
  }
  DrawFigure(*this, pen_, brush_, r, pen, true, [&](QPainter& p) {
    if (pen)
      p.drawRect(shape);
    else
      p.fillRect(shape, p.brush());  // without a pen the figure is one pixel smaller
  });
  Changed();
}

void TCanvas::FillRect(const TRect& r) {
  if (r.IsEmpty() || (brush_.Style() == bsClear && !brush_.Bitmap())) return;
  Painter p(*this);
  p->fillRect(gfx::ToQRect(r), MakeBrush(brush_));
  Changed();
}

void TCanvas::FrameRect(const TRect& r) {
  if (r.IsEmpty() || (brush_.Style() == bsClear && !brush_.Bitmap())) return;
  Painter p(*this);
  const QBrush b = MakeBrush(brush_);
  const QRect q = gfx::ToQRect(r);
  p->fillRect(QRect(q.left(), q.top(), q.width(), 1), b);
  p->fillRect(QRect(q.left(), q.bottom(), q.width(), 1), b);
  p->fillRect(QRect(q.left(), q.top(), 1, q.height()), b);
  p->fillRect(QRect(q.right(), q.top(), 1, q.height()), b);
  Changed();
}

void TCanvas::RoundRect(int x1, int y1, int x2, int y2, int w, int h) {
  const QRect r = Normalized(x1, y1, x2, y2);
  if (r.width() <= 0 || r.height() <= 0) return;
  DrawFigure(*this, pen_, brush_, r, true, true, [&](QPainter& p) {
    p.drawRoundedRect(QRectF(r.x(), r.y(), r.width() - 1, r.height() - 1), w / 2.0, h / 2.0);
  });
  Changed();
}

void TCanvas::Ellipse(int x1, int y1, int x2, int y2) {
  const QRect r = Normalized(x1, y1, x2, y2);
  if (r.width() <= 0 || r.height() <= 0) return;
  DrawFigure(*this, pen_, brush_, r, true, true,
             [&](QPainter& p) { p.drawEllipse(QRect(r.x(), r.y(), r.width() - 1, r.height() - 1)); });
  Changed();
}

void TCanvas::Polygon(const std::vector<TPoint>& points) {
  if (points.size() < 2) return;
  QPolygon poly;
  for (const auto& pt : points) poly << QPoint(pt.x, pt.y);
  DrawFigure(*this, pen_, brush_, poly.boundingRect(), true, true,
             [&](QPainter& p) { p.drawPolygon(poly, Qt::OddEvenFill); });
  Changed();
}

void TCanvas::FillRgn(const TRegion& region) {
  if ((brush_.Style() == bsClear && !brush_.Bitmap()) || region.IsEmpty()) return;
  Painter p(*this);
  QPainterPath path;
  path.addRegion(region.impl().region);
  p->fillPath(path, MakeBrush(brush_));
  Changed();
}

namespace {
enum class ArcKind { Arc, Pie, Chord };
}

static void DrawArcFigure(TCanvas& c, TPen& pen, TBrush& brush, ArcKind kind, int x1, int y1, int x2,
                          int y2, int x3, int y3, int x4, int y4) {
  const QRect r = Normalized(x1, y1, x2, y2);
  if (r.width() <= 0 || r.height() <= 0) return;
  const QRectF shape(r.x(), r.y(), r.width() - 1, r.height() - 1);
  const double start = RayAngle(shape, x3, y3);
  double span = RayAngle(shape, x4, y4) - start;
  while (span <= 0) span += 360.0;  // counter-clockwise; equal rays: the whole ellipse
  QPainterPath path;
  if (kind == ArcKind::Pie) {
    path.moveTo(shape.center());
    path.arcTo(shape, start, span);
    path.closeSubpath();
  } else {
    path.arcMoveTo(shape, start);
    path.arcTo(shape, start, span);
    if (kind == ArcKind::Chord) path.closeSubpath();
  }
  DrawFigure(c, pen, brush, r, true, kind != ArcKind::Arc, [&](QPainter& p) {
    if (kind == ArcKind::Arc) p.setBrush(Qt::NoBrush);
    p.drawPath(path);
  });
}

void TCanvas::Arc(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4) {
  DrawArcFigure(*this, pen_, brush_, ArcKind::Arc, x1, y1, x2, y2, x3, y3, x4, y4);
  Changed();
}

void TCanvas::Pie(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4) {
  DrawArcFigure(*this, pen_, brush_, ArcKind::Pie, x1, y1, x2, y2, x3, y3, x4, y4);
  Changed();
}

void TCanvas::Chord(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4) {
  DrawArcFigure(*this, pen_, brush_, ArcKind::Chord, x1, y1, x2, y2, x3, y3, x4, y4);
  Changed();
}

// --- text ----------------------------------------------------------------------------

namespace {

// Building a QFont and its metrics is far dearer than drawing a short run of text, and a
// grid repaint draws hundreds of runs in one or two fonts. The last few fonts are kept,
// keyed by everything in a TFont that shapes the glyphs (colour and orientation do
// not), so a changed font simply misses and a font set back hits again.
struct FontKey {
  AnsiString name;
  int height = 0;
  TFontPitch pitch = fpDefault;
  TFontStyles style;
  bool operator==(const FontKey& o) const {
    return height == o.height && pitch == o.pitch && style == o.style && name == o.name;
  }
};

// A shaped run of text: shaping is the dearest part of drawing a short text, and a
// grid repaints the same few hundred texts again and again.
struct TextRun {
  QList<QGlyphRun> glyphs;
  int width = 0;
  bool shaped = false;  // false: drawn through the painter's own text call
  QRect ink;            // around every glyph pixel, relative to the baseline origin
  // The run drawn once in one colour on a transparent image: copying that is cheaper
  // than setting out each glyph again, and the pixels are the same, as the glyphs
  // are drawn unsmoothed at whole-pixel positions either way.
  mutable QImage image;
  mutable QRgb imageColor = 0;
  // A text drawn once (a live value that changes) is set out straight onto the surface;
  // the picture is made when the same text is drawn again.
  mutable bool drawnOnce = false;
};

struct CachedFont {
  FontKey key;
  QFont font;
  QFontMetrics fm;
  mutable QHash<QString, TextRun> runs;
};

// Glyph runs are kept only for plain one-line texts: decorations and control
// characters take the painter's own text call, which draws them as it always did.
bool Shapeable(const QFont& f, const QString& s) {
  if (f.underline() || f.strikeOut() || s.isEmpty()) return false;
  for (const QChar ch : s)
    if (ch.unicode() < 0x20 || ch.unicode() == 0x7F) return false;
  return true;
}

const TextRun& RunOf(const CachedFont& f, const QString& s) {
  auto it = f.runs.constFind(s);
  if (it != f.runs.cend()) return *it;
  constexpr qsizetype kMaxRuns = 2048;  // a few screens of cells; then start afresh
  if (f.runs.size() >= kMaxRuns) f.runs.clear();
  TextRun r;
  if (!Shapeable(f.font, s)) {
    r.width = f.fm.horizontalAdvance(s);
  } else {
    // One shaping gives both the glyphs and the width (the font metrics' width would
    // shape the text a second time).
    QTextLayout layout(s, f.font);
    QTextOption opt;
    opt.setWrapMode(QTextOption::NoWrap);
    opt.setFlags(QTextOption::IncludeTrailingSpaces);
    layout.setTextOption(opt);
    layout.beginLayout();
    QTextLine line = layout.createLine();
    if (line.isValid()) {
      line.setLineWidth(1e6);
      line.setPosition(QPointF(0, 0));
    }
    layout.endLayout();
    r.width = line.isValid() ? qRound(line.horizontalAdvance()) : f.fm.horizontalAdvance(s);
    if (line.isValid()) {
      // Glyph positions relative to the baseline, as the painter's text call places them.
      const qreal base = line.ascent();
      for (QGlyphRun g : layout.glyphRuns()) {
        QList<QPointF> pos = g.positions();
        for (QPointF& pt : pos) pt.ry() -= base;
        g.setPositions(pos);
        r.glyphs << g;
      }
      r.shaped = true;
      // Room for the whole line box and every glyph's ink, with a margin for hinting.
      QRectF box(0, -f.fm.ascent(), r.width, f.fm.height());
      for (const QGlyphRun& g : r.glyphs) {
        const QRawFont raw = g.rawFont();
        const QList<quint32> idx = g.glyphIndexes();
        const QList<QPointF> pos = g.positions();
        for (qsizetype i = 0; i < idx.size() && i < pos.size(); ++i)
          box |= raw.boundingRect(idx[i]).translated(pos[i]);
      }
      r.ink = box.toAlignedRect().adjusted(-2, -2, 2, 2);
    }
  }
  return *f.runs.insert(s, std::move(r));
}

const CachedFont& LookupFont(const TFont& f) {
  constexpr size_t kSlots = 32;
  // One cache per thread: QFont is not shared across threads (printing may run apart
  // from the screen).
  thread_local std::vector<std::unique_ptr<CachedFont>> cache;
  FontKey key{f.Name(), f.Height(), f.Pitch(), f.Style()};
  for (size_t i = 0; i < cache.size(); ++i) {
    if (cache[i]->key == key) {
      // Move to the front so that the fonts in use stay and old ones fall off the end.
      if (i > 0) std::rotate(cache.begin(), cache.begin() + static_cast<std::ptrdiff_t>(i),
                             cache.begin() + static_cast<std::ptrdiff_t>(i) + 1);
      return *cache.front();
    }
  }
  QFont q = gfx::ToQFont(f);
  auto entry = std::make_unique<CachedFont>(CachedFont{std::move(key), q, QFontMetrics(q), {}});
  if (cache.size() >= kSlots) cache.pop_back();
  cache.insert(cache.begin(), std::move(entry));
  return *cache.front();
}

struct TextLayout {
  const CachedFont& cached;
  const QFont& font;
  const QFontMetrics& fm;
  explicit TextLayout(const CachedFont& c) : cached(c), font(c.font), fm(c.fm) {}
  explicit TextLayout(TFont& f) : TextLayout(LookupFont(f)) {}
  int Width(const QString& s) const { return RunOf(cached, s).width; }
};

// Text to lay out, in right-to-left reading order when asked: a leading right-to-left
// mark makes the line's base direction right to left and takes no room.
constexpr char16_t kRightToLeftMark = 0x200F;
QString DirectedText(const AnsiString& text, unsigned flags) {
  QString s = ToQString(text);
  if ((flags & ETO_RTLREADING) != 0 && !s.isEmpty()) s.prepend(QChar(kRightToLeftMark));
  return s;
}

// Draws one run of text whose cell's top-left corner is at (x, y) in the painter's
// current (possibly rotated) frame.
void DrawRun(QPainter& p, const TextLayout& t, int x, int y, const QString& s, bool opaque,
             const QColor& back, const QColor& fore) {
  const TextRun& run = RunOf(t.cached, s);
  if (opaque) p.fillRect(QRect(x, y, run.width, t.fm.height()), back);
  p.setPen(fore);
  // Rotated text keeps the painter's text call, which renders turned glyphs its own way.
  // So does text on anything but a pixel surface (a printer, a PDF document): there it
  // must stay text, not become a picture of itself.
  const bool pixels = p.paintEngine() != nullptr && p.paintEngine()->type() == QPaintEngine::Raster;
  if (run.shaped && pixels && p.worldTransform().type() <= QTransform::TxTranslate) {
    if (run.image.isNull() && !run.drawnOnce) {
      run.drawnOnce = true;
      const bool smooth = p.testRenderHint(QPainter::TextAntialiasing);
      if (smooth) p.setRenderHint(QPainter::TextAntialiasing, false);
      for (const QGlyphRun& g : run.glyphs) p.drawGlyphRun(QPointF(x, y + t.fm.ascent()), g);
      if (smooth) p.setRenderHint(QPainter::TextAntialiasing, true);
      return;
    }
    if (run.image.isNull() || run.imageColor != fore.rgba()) {
      run.image = QImage(run.ink.size(), QImage::Format_ARGB32_Premultiplied);
      run.image.fill(0);
      QPainter ip(&run.image);
      ip.setRenderHint(QPainter::TextAntialiasing, false);
      ip.setPen(fore);
      for (const QGlyphRun& g : run.glyphs) ip.drawGlyphRun(QPointF(-run.ink.left(), -run.ink.top()), g);
      run.imageColor = fore.rgba();
    }
    p.drawImage(QPoint(x + run.ink.left(), y + t.fm.ascent() + run.ink.top()), run.image);
  } else {
    if (p.font() != t.font) p.setFont(t.font);
    // The painter's own call takes the base direction from the painter, not the text.
    const Qt::LayoutDirection was = p.layoutDirection();
    p.setLayoutDirection(!s.isEmpty() && s.front() == QChar(kRightToLeftMark) ? Qt::RightToLeft : Qt::LeftToRight);
    p.drawText(QPoint(x, y + t.fm.ascent()), s);
    p.setLayoutDirection(was);
  }
}

// True when everything DrawRun paints for s at (x, y) lies inside r, so that clipping
// to r changes nothing.
bool RunInside(const TextLayout& t, const QString& s, int x, int y, bool opaque, const QRect& r) {
  const TextRun& run = RunOf(t.cached, s);
  if (!run.shaped) return false;
  if (opaque && !r.contains(QRect(x, y, run.width, t.fm.height()))) return false;
  return r.contains(run.ink.translated(x, y + t.fm.ascent()));
}

QString Ellipsize(const QFontMetrics& fm, const QString& s, int width) {
  if (fm.horizontalAdvance(s) <= width) return s;
  const QString dots = QStringLiteral("...");
  QString head = s;
  while (!head.isEmpty() && fm.horizontalAdvance(head + dots) > width) head.chop(1);
  return head + dots;
}

QStringList WrapWords(const QFontMetrics& fm, const QString& para, int width) {
  QStringList out;
  QString line;
  int i = 0;
  while (i < para.size()) {
    int j = i;
    while (j < para.size() && para[j] == QLatin1Char(' ')) ++j;
    int k = j;
    while (k < para.size() && para[k] != QLatin1Char(' ')) ++k;
    const QString candidate = line + para.mid(i, k - i);
    if (!line.isEmpty() && fm.horizontalAdvance(candidate) > width) {
      out << line;
      line = para.mid(j, k - j);  // a wrapped line drops the spaces it broke at
    } else {
      line = candidate;
    }
    i = k;
  }
  out << line;
  return out;
}

}  // namespace

void TCanvas::TextOut(int x, int y, const AnsiString& text) {
  TextLayout t(font_);
  const QString s = DirectedText(text, text_flags_);
  Painter p(*this);
  const int w = t.Width(s);
  int dx = 0, dy = 0;
  if ((text_align_ & TA_CENTER) == TA_CENTER) dx = -w / 2;
  else if (text_align_ & TA_RIGHT) dx = -w;
  if ((text_align_ & TA_BASELINE) == TA_BASELINE) dy = -t.fm.ascent();
  else if (text_align_ & TA_BOTTOM) dy = -t.fm.height();
  p->translate(x, y);
  if (font_.Orientation() != 0) p->rotate(-font_.Orientation() / 10.0);
  DrawRun(*p, t, dx, dy, s, BkMode() == OPAQUE, ToQColor(brush_.Color()), ToQColor(font_.Color()));
  Changed();
}

void TCanvas::TextRect(const TRect& r, int x, int y, const AnsiString& text) {
  TextLayout t(font_);
  Painter p(*this);
  p->setClipRect(gfx::ToQRect(r), impl_->hasClip || impl_->external ? Qt::IntersectClip : Qt::ReplaceClip);
  if (impl_->external) impl_->externalClipped = true;
  const bool opaque = BkMode() == OPAQUE;
  if (opaque) p->fillRect(gfx::ToQRect(r), ToQColor(brush_.Color()));
  DrawRun(*p, t, x, y, DirectedText(text, text_flags_), false, QColor(), ToQColor(font_.Color()));
  Changed();
}

TSize TCanvas::TextExtent(const AnsiString& text) {
  TextLayout t(font_);
  return {t.Width(ToQString(text)), t.fm.height()};
}

int TCanvas::TextWidth(const AnsiString& text) { return TextExtent(text).cx; }
int TCanvas::TextHeight(const AnsiString& text) { return TextExtent(text).cy; }

int TCanvas::DrawText(const AnsiString& text, TRect& r, unsigned flags) {
  TextLayout t(font_);
  QString s = ToQString(text);
  if (!(flags & DT_NOPREFIX) && s.contains(QLatin1Char('&'))) s = StripPrefix(s);
  const int width = r.Width();
  QStringList lines;
  const bool breaks = s.contains(QLatin1Char('\r')) || s.contains(QLatin1Char('\n'));
  if (!breaks && !(flags & DT_WORDBREAK)) {
    lines << s;  // the common case of a cell's value: one line as it is
  } else if (flags & DT_SINGLELINE) {
    s.remove(QLatin1Char('\r'));
    s.remove(QLatin1Char('\n'));
    lines << s;
  } else {
    s.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n'));
    for (const QString& para : s.split(QLatin1Char('\n'))) {
      if (flags & DT_WORDBREAK) lines << WrapWords(t.fm, para, width);
      else lines << para;
    }
  }
  if (flags & DT_END_ELLIPSIS)
    for (QString& l : lines) l = Ellipsize(t.fm, l, width);
  const int lh = t.fm.height();
  const int total = lh * static_cast<int>(lines.size());
  if (flags & DT_CALCRECT) {
    int maxw = 0;
    for (const QString& l : lines) maxw = std::max(maxw, t.fm.horizontalAdvance(l));
    r.Right = r.Left + maxw;
    r.Bottom = r.Top + total;
    return total;
  }
  int y = r.Top;
  if (flags & DT_SINGLELINE) {
    if (flags & DT_VCENTER) y = r.Top + (r.Height() - lh) / 2;
    else if (flags & DT_BOTTOM) y = r.Bottom - lh;
  }
  const bool opaque = BkMode() == OPAQUE;
  const QColor back = opaque ? ToQColor(brush_.Color()) : QColor(), fore = ToQColor(font_.Color());
  const int top = y;
  const QRect qr = gfx::ToQRect(r);
  std::vector<int> xs;
  xs.reserve(static_cast<size_t>(lines.size()));
  // Text that stays inside the rectangle needs no clip (the usual cell value that fits).
  bool clip = false;
  for (const QString& l : lines) {
    const int lw = t.Width(l);
    int x = r.Left;
    if (flags & DT_CENTER) x = r.Left + (width - lw) / 2;
    else if (flags & DT_RIGHT) x = r.Right - lw;
    const int ly = y + lh * static_cast<int>(xs.size());
    xs.push_back(x);
    if (!(flags & DT_NOCLIP) && !clip) clip = !RunInside(t, l, x, ly, opaque, qr);
  }
  Painter p(*this);
  if (clip) {
    p->setClipRect(qr, impl_->hasClip || impl_->external ? Qt::IntersectClip : Qt::ReplaceClip);
    if (impl_->external) impl_->externalClipped = true;
  }
  for (qsizetype i = 0; i < lines.size(); ++i) {
    DrawRun(*p, t, xs[static_cast<size_t>(i)], y, lines[i], opaque, back, fore);
    y += lh;
  }
  Changed();
  // With vertical centring or bottom alignment the result reaches from the rectangle's
  // top to the bottom of the drawn text.
  if (flags & (DT_VCENTER | DT_BOTTOM) && (flags & DT_SINGLELINE)) return top - r.Top + total;
  return total;
}

// --- pixels and images -------------------------------------------------------------------

TColor TCanvas::Pixel(int x, int y) const {
  auto& self = const_cast<TCanvas&>(*this);
  gfx::EnsureSurface(self);
  const QImage* img = impl_->image;
  uint32_t v = 0;
  if (img) {
    if (!img->valid(x, y)) return CLR_INVALID;
    v = ReadRgb(*img, x, y);
  } else {
    const TSize size = SurfaceSize();
    const RasterTarget t = RasterOf(*impl_);
    if (!t || x < 0 || y < 0 || x >= size.cx || y >= size.cy || !t.image->valid(t.origin + QPoint(x, y)))
      return CLR_INVALID;
    v = ReadRgb(*t.image, t.origin.x() + x, t.origin.y() + y);
  }
  return RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
}

void TCanvas::SetPixel(int x, int y, TColor color) {
  gfx::EnsureSurface(*this);
  QImage* img = impl_->image;
  if (img && img->valid(x, y)) {
    if (impl_->hasClip && !impl_->clip.contains(QPoint(x, y))) return;
    WriteRgb(*img, x, y, QRgbOf(color));
  } else if (impl_->external) {
    Painter p(*this);
    p->fillRect(QRect(x, y, 1, 1), ToQColor(color));
  } else {
    return;
  }
  Changed();
}

void TCanvas::Draw(int x, int y, TGraphic* graphic) {
  if (!graphic || graphic->Empty()) return;
  CanvasHold::Drop(*this);  // the graphic paints on the image itself
  graphic->Draw(this, Bounds(x, y, graphic->Width(), graphic->Height()));
}

void TCanvas::StretchDraw(const TRect& r, TGraphic* graphic) {
  if (!graphic || graphic->Empty()) return;
  CanvasHold::Drop(*this);
  graphic->Draw(this, r);
}

void TCanvas::CopyRect(const TRect& dest, TCanvas* source, const TRect& src) {
  if (!source || dest.IsEmpty() || src.IsEmpty()) return;
  gfx::EnsureSurface(*source);
  QImage part;
  if (const QImage* simg = source->impl_->image)
    part = simg->copy(gfx::ToQRect(src)).convertToFormat(QImage::Format_RGB32);
  else if (RasterOf(*source->impl_))
    part = ReadSurface(*source, gfx::ToQRect(src));
  else
    throw EInvalidOperation("Canvas does not allow drawing");
  if (part.size() != QSize(dest.Width(), dest.Height()))
    part = part.scaled(dest.Width(), dest.Height(), Qt::IgnoreAspectRatio, Qt::FastTransformation);
  gfx::EnsureSurface(*this);
  QImage* dimg = impl_->image;
  if (copy_mode_ != cmSrcCopy && !dimg && RasterOf(*impl_)) {
    // Straight into a window's backing store: combined with what it shows there.
    const QRect target = gfx::ToQRect(dest);
    const QImage under = ReadSurface(*this, target);
    const uint32_t pat = QRgbOf(brush_.Color());
    for (int y = 0; y < part.height(); ++y) {
      auto* px = reinterpret_cast<uint32_t*>(part.scanLine(y));
      const auto* dst = reinterpret_cast<const uint32_t*>(under.constScanLine(y));
      for (int x = 0; x < part.width(); ++x)
        px[x] = 0xFF000000u | (Rop3(copy_mode_, px[x] & 0xFFFFFF, dst[x] & 0xFFFFFF, pat) & 0xFFFFFF);
    }
    dimg = nullptr;
  }
  if (copy_mode_ == cmSrcCopy || !dimg) {
    Painter p(*this);
    p->setCompositionMode(QPainter::CompositionMode_Source);
    p->drawImage(QPoint(dest.Left, dest.Top), part);
    Changed();
    return;
  }
  const uint32_t pat = QRgbOf(brush_.Color());
  for (int y = 0; y < part.height(); ++y) {
    const int dy = dest.Top + y;
    if (dy < 0 || dy >= dimg->height()) continue;
    for (int x = 0; x < part.width(); ++x) {
      const int dx = dest.Left + x;
      if (dx < 0 || dx >= dimg->width()) continue;
      if (impl_->hasClip && !impl_->clip.contains(QPoint(dx, dy))) continue;
      const uint32_t s = ReadRgb(part, x, y);
      WriteRgb(*dimg, dx, dy, Rop3(copy_mode_, s, ReadRgb(*dimg, dx, dy), pat));
    }
  }
  Changed();
}

// --- clipping ---------------------------------------------------------------------------

void TCanvas::SetClipRect(const TRect& r) {
  impl_->clip = QRegion(gfx::ToQRect(r));
  impl_->hasClip = true;
}

void TCanvas::SetClipRegion(const TRegion* region) {
  impl_->hasClip = region != nullptr;
  impl_->clip = region ? region->impl().region : QRegion();
}

void TCanvas::IntersectClipRect(const TRect& r) {
  const QRegion base = impl_->hasClip ? impl_->clip : QRegion(gfx::ToQRect(ClipRect()));
  impl_->clip = base.intersected(gfx::ToQRect(r));
  impl_->hasClip = true;
}

void TCanvas::ExcludeClipRect(const TRect& r) {
  const QRegion base = impl_->hasClip ? impl_->clip : QRegion(gfx::ToQRect(ClipRect()));
  impl_->clip = base.subtracted(gfx::ToQRect(r));
  impl_->hasClip = true;
}

bool TCanvas::HasClip() const { return impl_->hasClip; }

QRegion gfx::PaintRegion(const TCanvas& canvas) {
  const TCanvas::Impl& d = canvas.impl();
  const QRegion clip = d.hasClip ? d.clip : QRegion(gfx::ToQRect(canvas.ClipRect()));
  QPainter* p = d.external;
  if (!p || !p->isActive()) return clip;
  const QPaintEngine* engine = p->paintEngine();
  const QRegion area = engine ? engine->systemClip() : QRegion();
  // The window system's area is in device pixels: from there to the canvas is the
  // painter's offset in its device, whatever world transform a drawing call left set.
  const QTransform t = p->worldTransform().inverted() * p->deviceTransform();
  // With a scaled device the whole clip is painted.
  if (area.isEmpty() || t.type() > QTransform::TxTranslate) return clip;
  return clip & area.translated(-qRound(t.dx()), -qRound(t.dy()));
}

TRect TCanvas::ClipRect() const {
  if (impl_->hasClip) return gfx::FromQRect(impl_->clip.boundingRect());
  const TSize s = SurfaceSize();
  return {0, 0, s.cx, s.cy};
}

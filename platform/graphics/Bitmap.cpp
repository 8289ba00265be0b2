#include "platform/graphics/Bitmap.h"

#include <QFileInfo>
#include <QImageReader>
#include <optional>

#include "platform/graphics/detail/QtGraphics.h"

namespace {
QImage::Format QtFormat(TPixelFormat f) {
  return f == pf24bit ? QImage::Format_BGR888 : QImage::Format_RGB32;
}
}  // namespace

void TGraphic::SetTransparent(bool v) {
  if (transparent_ == v) return;
  transparent_ = v;
  Changed();
}

void TGraphic::Changed() {
  if (OnChange) OnChange(this);
}

TBitmap::TBitmap() : impl_(std::make_unique<Impl>()), canvas_(std::make_unique<TCanvas>()) {
  Reattach();
}

TBitmap::~TBitmap() = default;

void TBitmap::Reattach() {
  gfx::AttachImage(*canvas_, impl_->image.isNull() ? nullptr : &impl_->image);
}

int TBitmap::Width() const { return impl_->image.width(); }
int TBitmap::Height() const { return impl_->image.height(); }
void TBitmap::SetWidth(int w) { SetSize(w, Height()); }
void TBitmap::SetHeight(int h) { SetSize(Width(), h); }

void TBitmap::SetSize(int w, int h) {
  w = std::max(0, w);
  h = std::max(0, h);
  if (w == Width() && h == Height()) return;
  QImage next;
  if (w > 0 && h > 0) {
    next = QImage(w, h, QtFormat(format_));
    if (next.isNull()) throw EOutOfResources("Out of system resources");
    next.fill(Qt::white);
    if (!impl_->image.isNull()) {
      QPainter p(&next);
      p.setCompositionMode(QPainter::CompositionMode_Source);
      p.drawImage(0, 0, impl_->image);
    }
  }
  impl_->image = std::move(next);
  Reattach();
  Changed();
}

void TBitmap::SetPixelFormat(TPixelFormat f) {
  if (f == format_) return;
  format_ = f;
  if (!impl_->image.isNull()) impl_->image = impl_->image.convertToFormat(QtFormat(f));
  Reattach();
  Changed();
}

uint8_t* TBitmap::ScanLine(int row) {
  if (row < 0 || row >= Height()) throw EInvalidOperation("Scan line index out of range");
  return impl_->image.scanLine(row);
}

TColor TBitmap::TransparentColor() const {
  if (transparent_mode_ == tmFixed && transparent_color_ != clDefault) return transparent_color_;
  if (impl_->image.isNull()) return clDefault;
  return gfx::FromQColor(impl_->image.pixelColor(0, Height() - 1));
}

void TBitmap::SetTransparentColor(TColor c) {
  transparent_color_ = c;
  transparent_mode_ = c == clDefault ? tmAuto : tmFixed;
  Changed();
}

void TBitmap::Assign(TPersistent* Source) {
  if (auto* b = dynamic_cast<TBitmap*>(Source)) {
    impl_->image = b->impl_->image.copy();
    format_ = b->format_;
    transparent_color_ = b->transparent_color_;
    transparent_mode_ = b->transparent_mode_;
    SetTransparent(b->Transparent());
    Reattach();
    Changed();
    return;
  }
  TGraphic::Assign(Source);
}

void TBitmap::LoadFromFile(const AnsiString& fileName) {
  gfx::EnsureGuiApplication();
  QImageReader reader(gfx::ToQString(fileName));
  QImage img = reader.read();
  if (img.isNull()) throw EInvalidOperation("Bitmap image is not valid: " + fileName);
  impl_->image = img.convertToFormat(QtFormat(format_));
  Reattach();
  Changed();
}

void TBitmap::SaveToFile(const AnsiString& fileName) {
  const QString name = gfx::ToQString(fileName);
  QByteArray fmt = QFileInfo(name).suffix().toLower().toLatin1();
  if (fmt != "png" && fmt != "jpg" && fmt != "jpeg") fmt = "BMP";
  if (impl_->image.isNull() || !impl_->image.save(name, fmt.constData()))
    throw EFCreateError("Cannot create file \"" + fileName + "\"");
}

QImage gfx::DrawnImage(const TBitmap& bitmap) {
  QImage src = bitmap.impl().image;
  if (src.isNull() || !bitmap.Transparent()) return src;
  // Pixels of the transparent colour let the destination show through.
  const TColor tc = ColorToRGB(bitmap.TransparentColor());
  src = src.convertToFormat(QImage::Format_ARGB32);
  const QRgb key = qRgb(GetRValue(tc), GetGValue(tc), GetBValue(tc));
  for (int y = 0; y < src.height(); ++y) {
    auto* line = reinterpret_cast<QRgb*>(src.scanLine(y));
    for (int x = 0; x < src.width(); ++x)
      if ((line[x] | 0xFF000000u) == (key | 0xFF000000u)) line[x] = 0;
  }
  return src;
}

void TBitmap::Draw(TCanvas* canvas, const TRect& r) {
  if (!canvas || impl_->image.isNull()) return;
  const QImage src = gfx::DrawnImage(*this);
  gfx::EnsureSurface(*canvas);
  TCanvas::Impl& d = canvas->impl();
  std::optional<QPainter> own;
  QPainter* p = d.external;
  if (p) {
    gfx::PrepareExternal(*canvas);
  } else if (d.image) {
    own.emplace(d.image);
    p = &*own;
    if (d.hasClip) p->setClipRegion(d.clip);
  } else {
    throw EInvalidOperation("Canvas does not allow drawing");
  }
  p->drawImage(gfx::ToQRect(r), src);
  if (canvas->OnChange) canvas->OnChange(canvas);
}

TPicture::TPicture() = default;
TPicture::~TPicture() = default;

void TPicture::Changed() {
  if (OnChange) OnChange(this);
}

void TPicture::SetGraphic(TGraphic* g) {
  if (!g) {
    graphic_.reset();
  } else {
    auto copy = std::make_unique<TBitmap>();
    copy->Assign(g);
    copy->OnChange = [this](TObject*) { Changed(); };
    graphic_ = std::move(copy);
  }
  Changed();
}

TBitmap* TPicture::Bitmap() {
  auto* b = dynamic_cast<TBitmap*>(graphic_.get());
  if (!b) {
    graphic_ = std::make_unique<TBitmap>();
    b = static_cast<TBitmap*>(graphic_.get());
    b->OnChange = [this](TObject*) { Changed(); };
  }
  return b;
}

void TPicture::Assign(TPersistent* Source) {
  if (!Source) {
    SetGraphic(nullptr);
    return;
  }
  if (auto* p = dynamic_cast<TPicture*>(Source)) {
    SetGraphic(p->Graphic());
    return;
  }
  if (auto* g = dynamic_cast<TGraphic*>(Source)) {
    SetGraphic(g);
    return;
  }
  TPersistent::Assign(Source);
}

void TPicture::LoadFromFile(const AnsiString& fileName) {
  auto b = std::make_unique<TBitmap>();
  b->LoadFromFile(fileName);
  b->OnChange = [this](TObject*) { Changed(); };
  graphic_ = std::move(b);
  Changed();
}

void TPicture::SaveToFile(const AnsiString& fileName) {
  if (graphic_) graphic_->SaveToFile(fileName);
}

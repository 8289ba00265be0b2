#include "platform/graphics/Region.h"

#include <QPolygon>
#include <QRegion>

#include "platform/graphics/detail/QtGraphics.h"

TRegion::TRegion() : impl_(std::make_unique<Impl>()) {}
TRegion::~TRegion() = default;
TRegion::TRegion(const TRegion& o) : impl_(std::make_unique<Impl>(*o.impl_)) {}
TRegion& TRegion::operator=(const TRegion& o) {
  *impl_ = *o.impl_;
  return *this;
}

TRegion TRegion::FromRect(const TRect& r) {
  TRegion g;
  if (!r.IsEmpty()) g.impl_->region = QRegion(gfx::ToQRect(r));
  return g;
}

TRegion TRegion::FromEllipse(const TRect& b) {
  TRegion g;
  if (!b.IsEmpty()) g.impl_->region = QRegion(gfx::ToQRect(b), QRegion::Ellipse);
  return g;
}

TRegion TRegion::FromPolygon(const std::vector<TPoint>& points, TPolyFillMode mode) {
  TRegion g;
  QPolygon poly;
  for (const auto& p : points) poly << QPoint(p.x, p.y);
  if (poly.size() >= 3)
    g.impl_->region = QRegion(poly, mode == WINDING ? Qt::WindingFill : Qt::OddEvenFill);
  return g;
}

void TRegion::Combine(const TRegion& a, const TRegion& b, TRegionCombine op) {
  const QRegion& x = a.impl_->region;
  const QRegion& y = b.impl_->region;
  switch (op) {
    case RGN_AND: impl_->region = x.intersected(y); break;
    case RGN_OR: impl_->region = x.united(y); break;
    case RGN_XOR: impl_->region = x.xored(y); break;
    case RGN_DIFF: impl_->region = x.subtracted(y); break;
    case RGN_COPY: impl_->region = x; break;
  }
}

void TRegion::Offset(int dx, int dy) { impl_->region.translate(dx, dy); }
bool TRegion::Contains(TPoint p) const { return impl_->region.contains(QPoint(p.x, p.y)); }
bool TRegion::IsEmpty() const { return impl_->region.isEmpty(); }
TRect TRegion::BoundingBox() const { return gfx::FromQRect(impl_->region.boundingRect()); }
bool TRegion::operator==(const TRegion& o) const { return impl_->region == o.impl_->region; }

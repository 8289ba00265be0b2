#pragma once
// A clip region: an area made of rectangles, ellipses and polygons, combined by
// AND / OR / XOR / DIFF. Rectangles exclude their right and bottom edges.
#include <memory>
#include <vector>
#include "platform/graphics/GraphicsTypes.h"

enum TPolyFillMode { ALTERNATE = 1, WINDING = 2 };
enum TRegionCombine { RGN_AND = 1, RGN_OR = 2, RGN_XOR = 3, RGN_DIFF = 4, RGN_COPY = 5 };

class TRegion {
 public:
  TRegion();  // empty
  ~TRegion();
  TRegion(const TRegion& o);
  TRegion& operator=(const TRegion& o);

  static TRegion FromRect(const TRect& r);
  static TRegion FromEllipse(const TRect& bounds);
  static TRegion FromPolygon(const std::vector<TPoint>& points, TPolyFillMode mode = ALTERNATE);

  // this := a <op> b (RGN_COPY takes a).
  void Combine(const TRegion& a, const TRegion& b, TRegionCombine op);
  void Offset(int dx, int dy);
  bool Contains(TPoint p) const;
  bool IsEmpty() const;
  TRect BoundingBox() const;
  bool operator==(const TRegion& o) const;

  struct Impl;
  Impl& impl() const { return *impl_; }

 private:
  std::unique_ptr<Impl> impl_;
};

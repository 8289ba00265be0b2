// The canvas' 3-D solids: cubes, cones and cylinders, pyramids (whole and truncated) and
// pie slices with depth. Each draws only the faces that turn toward the viewer, nearer
// ones last.
#include "chart/TeCanvas.h"
#include "chart/TeCanvasRound.h"

#include <algorithm>
#include <cmath>

#include "chart/TeeProcs.h"

using tecanvas::kPi;
using tecanvas::Rnd;

namespace {
long long Orientation(TPoint a, TPoint b, TPoint c) {
  return static_cast<long long>(b.x - a.x) * (c.y - a.y) - static_cast<long long>(c.x - a.x) * (b.y - a.y);
}
}  // namespace

void TTeeCanvas3D::Cube(int Left, int Right, int Top, int Bottom, int Z0, int Z1, bool DarkSides) {
  const bool clear = !BrushFills();
  const TColor color = Brush()->Style() == bsSolid ? Brush()->Color() : GetBackColor();
  auto P = [this](int x, int y, int z) { return Calculate3DPosition(x, y, z); };
  auto face = [&](TPoint a, TPoint b, TPoint c, TPoint d) {
    four_points_[0] = a;
    four_points_[1] = b;
    four_points_[2] = c;
    four_points_[3] = d;
    return Orientation(a, b, c);
  };
  // Front or back.
  if (face(P(Left, Top, Z0), P(Right, Top, Z0), P(Right, Bottom, Z0), P(Left, Bottom, Z0)) > 0 || clear) {
    PolygonFour();
  } else {
    face(P(Left, Top, Z1), P(Right, Top, Z1), P(Right, Bottom, Z1), P(Left, Bottom, Z1));
    PolygonFour();
  }
  if (DarkSides) SetDarkBrushColor(color, TeeDarkerSides);
  if (face(P(Right, Top, Z0), P(Right, Top, Z1), P(Right, Bottom, Z1), P(Right, Bottom, Z0)) > 0 || clear) PolygonFour();
  if (face(P(Left, Top, Z1), P(Left, Top, Z0), P(Left, Bottom, Z0), P(Left, Bottom, Z1)) > 0 || clear) PolygonFour();
  if (DarkSides) SetDarkBrushColor(color, TeeDarkerTopBottom);
  if (face(P(Left, Top, Z0), P(Left, Top, Z1), P(Right, Top, Z1), P(Right, Top, Z0)) > 0 || clear) PolygonFour();
  if (face(P(Left, Bottom, Z0), P(Left, Bottom, Z1), P(Right, Bottom, Z1), P(Right, Bottom, Z0)) < 0 || clear) PolygonFour();
  if (DarkSides) RestoreBrushColor(color);
}

namespace {

// The faces of a solid whose round (or square) section is the ring B at its base and T at
// its other end: a side between ring points i and i + 1 faces the viewer when its corners
// turn the way of an outer face seen from outside (the other way when the solid stands
// upside down); the end faces by the same test on their rings.
struct RingSolid {
  std::vector<TPoint> base, top;  // projected, in ring order
  bool upsideDown;                // the base is above the other end on the screen
};

}  // namespace

static void DrawRingSolid(TTeeCanvas3D* C, const RingSolid& S, bool Dark, int DarkStep, bool HasTop) {
  const bool clear = !C->BrushFills();
  const TColor color = C->Brush()->Style() == bsSolid ? C->Brush()->Color() : C->GetBackColor();
  const size_t n = S.base.size();
  auto faces = [&](long long o) { return clear || (S.upsideDown ? o > 0 : o < 0); };
  for (size_t i = 0; i < n; ++i) {
    const size_t j = (i + 1) % n;
    if (!faces(Orientation(S.base[i], S.base[j], S.top[j] == S.top[i] ? S.top[i] : S.top[j]))) continue;
    if (Dark) C->SetDarkBrushColor(color, static_cast<int>(i) * DarkStep);
    if (S.top[i] == S.top[j])
      C->Polygon({S.base[i], S.base[j], S.top[i]});
    else
      C->Polygon({S.base[i], S.base[j], S.top[j], S.top[i]});
  }
  if (Dark) C->RestoreBrushColor(color);
  // The end faces: the upper one seen from above, the lower one from below.
  auto end = [&](const std::vector<TPoint>& ring, bool upper) {
    const long long o = Orientation(ring[0], ring[n / 4], ring[n / 2]);
    if (clear || (upper ? o < 0 : o > 0)) C->Polygon(ring);
  };
  end(S.base, S.upsideDown);
  if (HasTop) end(S.top, !S.upsideDown);
}

void TTeeCanvas3D::Cone(bool Vertical, int Left, int Top, int Right, int Bottom, int Z0, int Z1, bool DarkCover,
                        int ConePercent) {
  const int sides = std::max(3, CylinderSides);
  const double share = std::clamp(ConePercent, 0, 100) * 0.01;
  RingSolid s;
  const double cx = (Left + Right) / 2.0, cz = (Z0 + Z1) / 2.0, rx = (Right - Left) / 2.0, rz = (Z1 - Z0) / 2.0;
  const double cy = (Top + Bottom) / 2.0, ry = (Bottom - Top) / 2.0;
  for (int i = 0; i < sides; ++i) {
    // From the left round through the front, so that the shading runs across the near side.
    const double a = kPi + (i + 0.5) * 2 * kPi / sides - (sides == 4 ? 0.5 * 2 * kPi / sides : 0);
    const double u = std::cos(a), w = std::sin(a);
    double ox, oy;
    if (Vertical) {
      Calculate3DPositionF(cx + rx * u, Bottom, cz + rz * w, ox, oy);
      s.base.push_back({Rnd(ox), Rnd(oy)});
      Calculate3DPositionF(cx + rx * u * share, Top, cz + rz * w * share, ox, oy);
      s.top.push_back({Rnd(ox), Rnd(oy)});
    } else {
      // Lying along X: the base at Left, the other end at Right.
      Calculate3DPositionF(Left, cy + ry * u, cz + rz * w, ox, oy);
      s.base.push_back({Rnd(ox), Rnd(oy)});
      Calculate3DPositionF(Right, cy + ry * u * share, cz + rz * w * share, ox, oy);
      s.top.push_back({Rnd(ox), Rnd(oy)});
    }
  }
  s.upsideDown = Vertical ? Top > Bottom : Left > Right;
  DrawRingSolid(this, s, DarkCover, 256 / (2 * sides), share > 0);
}

void TTeeCanvas3D::Pyramid(bool Vertical, int Left, int Top, int Right, int Bottom, int Z0, int Z1, bool DarkSides) {
  const int saved = CylinderSides;
  CylinderSides = 4;
  RingSolid s;
  const int cx = (Left + Right) / 2, cy = (Top + Bottom) / 2, cz = (Z0 + Z1) / 2;
  const TPoint apex = Vertical ? Calculate3DPosition(cx, Top, cz) : Calculate3DPosition(Right, cy, cz);
  // The base's corners in the order of the round solids' ring: left-near, right-near,
  // right-far, left-far.
  if (Vertical) {
    for (const auto& [x, z] : {std::pair{Left, Z0}, {Right, Z0}, {Right, Z1}, {Left, Z1}})
      s.base.push_back(Calculate3DPosition(x, Bottom, z));
  } else {
    for (const auto& [y, z] : {std::pair{Bottom, Z0}, {Top, Z0}, {Top, Z1}, {Bottom, Z1}})
      s.base.push_back(Calculate3DPosition(Left, y, z));
  }
  s.top.assign(4, apex);
  s.upsideDown = Vertical ? Top > Bottom : Left > Right;
  DrawRingSolid(this, s, DarkSides, 32, false);
  CylinderSides = saved;
}

namespace {
// Twice the signed area of a projected polygon: negative when its points turn
// counter-clockwise on the screen.
long long SignedArea2(const std::vector<TPoint>& P) {
  long long a = 0;
  for (size_t i = 0; i < P.size(); ++i) {
    const TPoint& p = P[i];
    const TPoint& q = P[(i + 1) % P.size()];
    a += static_cast<long long>(p.x) * q.y - static_cast<long long>(q.x) * p.y;
  }
  return a;
}
}  // namespace

void TTeeCanvas3D::TruncatedPyramid(const TRect& Rect, int Z0, int Z1, int TopHalfX, int TopHalfZ) {
  const bool clear = !BrushFills();
  const int cx = (Rect.Left + Rect.Right) / 2, cz = (Z0 + Z1) / 2;
  const bool hasTop = TopHalfX != 0 && TopHalfZ != 0;
  // Corners in ring order (left-near, right-near, right-far, left-far), the base at
  // Bottom and the top at Top.
  const int bx[4] = {Rect.Left, Rect.Right, Rect.Right, Rect.Left}, bz[4] = {Z0, Z0, Z1, Z1};
  const int tx[4] = {cx - TopHalfX, cx + TopHalfX, cx + TopHalfX, cx - TopHalfX};
  const int tz[4] = {cz - TopHalfZ, cz - TopHalfZ, cz + TopHalfZ, cz + TopHalfZ};
  TPoint base[4], top[4];
  for (int i = 0; i < 4; ++i) {
    base[i] = Calculate3DPosition(bx[i], Rect.Bottom, bz[i]);
    top[i] = Calculate3DPosition(tx[i], Rect.Top, tz[i]);
  }
  // A side is drawn when it faces the viewer: its corners base i, base j, top j, top i
  // turn the way of an outer face (the other way when the solid stands upside down).
  const bool upsideDown = Rect.Bottom <= Rect.Top;
  auto sides = [&] {
    for (int i = 0; i < 4; ++i) {
      const int j = (i + 1) % 4;
      std::vector<TPoint> face{base[i], base[j]};
      if (top[j] != top[i]) face.push_back(top[j]);
      face.push_back(top[i]);
      const long long a = SignedArea2(face);
      if (clear || (upsideDown ? a > 0 : a < 0)) Polygon(face);
    }
  };
  auto baseFace = [&] { RectangleY(Rect.Left, Rect.Bottom, Rect.Right, Z0, Z1); };
  auto topFace = [&] {
    if (hasTop) RectangleY(cx - TopHalfX, Rect.Top, cx + TopHalfX, cz - TopHalfZ, cz + TopHalfZ);
  };
  if (upsideDown) {
    topFace();
    sides();
    baseFace();
  } else {
    baseFace();
    sides();
    topFace();
  }
}

void TTeeCanvas3D::Pie3D(int XCenter, int YCenter, int XRadius, int YRadius, int Z0, int Z1, double StartAngle,
                         double EndAngle, bool DarkSides, const TCustomTeeGradient* Gradient) {
  if (EndAngle < StartAngle) std::swap(StartAngle, EndAngle);
  const double sweep = std::min(EndAngle - StartAngle, 2 * kPi);
  // One point every 2 degrees of the arc, at least two.
  const int steps = std::max(1, static_cast<int>(std::ceil(sweep / (2 * kPi / 180))));
  std::vector<TPoint> front, back;  // centre, then the arc from the start angle to the end
  auto at = [&](double x, double y, int z) {
    double ox, oy;
    Calculate3DPositionF(x, y, z, ox, oy);
    return TPoint{Rnd(ox), Rnd(oy)};
  };
  front.push_back(at(XCenter, YCenter, Z0));
  back.push_back(at(XCenter, YCenter, Z1));
  for (int i = 0; i <= steps; ++i) {
    const double a = StartAngle + sweep * i / steps;
    const double x = XCenter + XRadius * std::cos(a), y = YCenter - YRadius * std::sin(a);
    front.push_back(at(x, y, Z0));
    back.push_back(at(x, y, Z1));
  }
  const size_t n = front.size();
  const bool clear = !BrushFills();
  const TColor color = Brush()->Style() == bsSolid ? Brush()->Color() : GetBackColor();
  // Every face lists its corners so that each shared edge runs one way in one face and
  // the other way in the next: a face is seen from outside (and drawn) when its corners
  // turn counter-clockwise on the screen, as the top face's do in an unturned view.
  auto draw = [&](const std::vector<TPoint>& face) {
    if (clear || SignedArea2(face) < 0) Polygon(face);
  };
  if (DarkSides) SetDarkBrushColor(color, 32);
  // The two straight sides first, then the curved side, so that near parts come last. A
  // whole disc has no straight sides: its two would meet inside it.
  if (sweep < 2 * kPi) {
    draw({front[1], front[0], back[0], back[1]});
    draw({front[0], front[n - 1], back[n - 1], back[0]});
  }
  for (size_t i = 1; i + 1 < n; ++i) draw({front[i + 1], front[i], back[i], back[i + 1]});
  if (DarkSides) RestoreBrushColor(color);
  // Last the end face that turns toward the viewer (the one at Z1 when the slice is seen
  // from behind): no part of the slice lies in front of it. A clear brush outlines both.
  // A whole disc's face is its rim alone, with no edge out from the centre.
  if (sweep >= 2 * kPi) {
    front.erase(front.begin());
    back.erase(back.begin());
  }
  const std::vector<TPoint> reversed(back.rbegin(), back.rend());
  const std::vector<TPoint>* ends[] = {&reversed, &front};
  for (const std::vector<TPoint>* face : ends) {
    const bool seen = SignedArea2(*face) < 0;
    if (!seen && !clear) continue;
    if (seen && Gradient && Gradient->Visible()) {
      ClipPolygon(*face);
      const TRect r = PolygonBounds(*face);
      GradientFill(TRect(r.Left, r.Top, r.Right + 1, r.Bottom + 1), Gradient->StartColor(), Gradient->EndColor(),
                   Gradient->Direction(), Gradient->Balance());
      UnClipRectangle();
      if (Pen()->Style() != psClear) {
        std::vector<TPoint> outline = *face;
        outline.push_back(outline.front());
        Polyline(outline);
      }
    } else {
      Polygon(*face);
    }
  }
}

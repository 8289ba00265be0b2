#pragma once
// Rows of a band of a picture that hold ink, for tests that check that two drawn texts
// stand clear of each other.
#include <map>
#include <tuple>
#include <utility>
#include <vector>

#include "platform/graphics/Bitmap.h"

// The rows of the band [left, right) x [top, bottom) that hold ink (any colour but the
// band's most common one), grouped into runs of adjacent rows: {first, last} each.
inline std::vector<std::pair<int, int>> InkRuns(TBitmap& shot, int left, int right, int top, int bottom) {
  std::map<TColor, int> seen;
  for (int y = top; y < bottom; ++y)
    for (int x = left; x < right; ++x) ++seen[shot.Canvas()->Pixel(x, y)];
  TColor ground = clNone;
  int most = 0;
  for (auto [colour, n] : seen)
    if (n > most) std::tie(ground, most) = std::pair(colour, n);
  std::vector<std::pair<int, int>> runs;
  for (int y = top; y < bottom; ++y) {
    bool ink = false;
    for (int x = left; x < right && !ink; ++x) ink = shot.Canvas()->Pixel(x, y) != ground;
    if (!ink) continue;
    if (!runs.empty() && runs.back().second == y - 1) runs.back().second = y;
    else runs.push_back({y, y});
  }
  return runs;
}

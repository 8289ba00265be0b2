#include "platform/stdctrls/GridAxis.h"

#include <algorithm>

namespace grid {

int Axis::FixedExtent() const {
  int x = 0;
  for (int i = 0; i < std::min(fixed, count); ++i) x += Size(i) + lineWidth;
  return x;
}

int Axis::Start(int i) const {
  if (i < 0 || i >= count) return -1;
  if (i < fixed) {
    int x = 0;
    for (int k = 0; k < i; ++k) x += Size(k) + lineWidth;
    return x;
  }
  if (i < first) return -1;
  int x = FixedExtent();
  for (int k = first; k < i; ++k) x += Size(k) + lineWidth;
  return x;
}

int Axis::LineAt(int p) const {
  if (p < 0) return -1;
  int x = 0;
  for (int i = 0; i < std::min(fixed, count); ++i) {
    x += Size(i) + lineWidth;
    if (p < x) return i;
  }
  for (int i = std::max(first, fixed); i < count; ++i) {
    x += Size(i) + lineWidth;
    if (p < x) return i;
  }
  return -1;
}

int Axis::LastVisible(int extent) const {
  int last = -1;
  int x = 0;
  for (int i = 0; i < std::min(fixed, count) && x < extent; ++i) {
    last = i;
    x += Size(i) + lineWidth;
  }
  for (int i = std::max(first, fixed); i < count && x < extent; ++i) {
    last = i;
    x += Size(i) + lineWidth;
  }
  return last;
}

int Axis::LastFullyVisible(int extent) const {
  int x = FixedExtent();
  int last = std::max(first, fixed) - 1;
  for (int i = std::max(first, fixed); i < count; ++i) {
    x += Size(i);
    if (x > extent) break;
    last = i;
    x += lineWidth;
  }
  return last;
}

int Axis::MaxFirst(int extent) const {
  int room = extent - FixedExtent();
  int result = count - 1;
  int used = 0;
  for (int i = count - 1; i >= fixed; --i) {
    used += Size(i);
    if (used > room) break;
    result = i;
    used += lineWidth;
  }
  return std::max(fixed, result);
}

int Axis::PageCount(int extent) const {
  int n = LastFullyVisible(extent) - std::max(first, fixed) + 1;
  return count > fixed ? std::max(1, n) : 0;
}

int Axis::TotalExtent() const {
  int x = 0;
  for (int i = 0; i < count; ++i) x += Size(i) + lineWidth;
  return x;
}

}  // namespace grid

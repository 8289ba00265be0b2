#pragma once
// The geometry of one grid axis (columns across or rows down): line sizes, the fixed
// lines at the start, the first scrolled line shown after them, and the grid lines
// between. A line's cell is followed by its grid line; positions are client pixels.
#include <cstddef>
#include <vector>

namespace grid {

struct Axis {
  int count = 0;
  int fixed = 0;
  int defaultSize = 0;
  int lineWidth = 0;  // the grid line after each cell (0 when lines are off)
  int first = 0;      // first scrolled line shown (TopRow / LeftCol)
  std::vector<int> sizes;  // explicit sizes; lines past the end use defaultSize

  int Size(int i) const {
    return i >= 0 && i < static_cast<int>(sizes.size()) ? sizes[static_cast<std::size_t>(i)] : defaultSize;
  }
  // Pixels taken by the fixed lines and their grid lines.
  int FixedExtent() const;
  // Client position of line i's cell, or -1 when it is scrolled out of view before `first`.
  // Lines past the visible extent still get their (off-screen) position.
  int Start(int i) const;
  // The line whose cell or grid line covers pixel p, or -1 (p before 0 or past the last line).
  int LineAt(int p) const;
  // The last line that starts before `extent`, and the last whose cell fits entirely.
  int LastVisible(int extent) const;
  int LastFullyVisible(int extent) const;
  // The largest `first` that still fills `extent` up to the last line.
  int MaxFirst(int extent) const;
  // Number of scrolled lines fully shown from `first` (at least 1 when any exist).
  int PageCount(int extent) const;
  // Total pixels of every line with its grid line.
  int TotalExtent() const;
};

}  // namespace grid

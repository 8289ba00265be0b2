#pragma once
// Comparing map bank images as the ECU holds them with what the program sent or read.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "model/MapRecord.h"

namespace e2etest {

// The offsets where two images differ (empty when equal; the longer size when the sizes
// differ), shorter to read than the bytes.
inline std::vector<size_t> Differences(const std::vector<std::uint8_t>& a, const std::vector<std::uint8_t>& b) {
  if (a.size() != b.size()) return {std::max(a.size(), b.size())};
  std::vector<size_t> out;
  for (size_t i = 0; i < a.size(); ++i)
    if (a[i] != b[i]) out.push_back(i);
  return out;
}

}  // namespace e2etest

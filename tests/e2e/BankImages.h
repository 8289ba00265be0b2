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

// The fifth 5-site load axis (image bytes 4042-4051) goes to the ECU from the PC map but
// never comes back from it.
inline constexpr size_t kFifthAxis = 4042;
inline constexpr size_t kFifthAxisSize = 10;

// The same in every byte a read carries.
inline std::vector<size_t> DifferencesAReadCarries(const std::vector<std::uint8_t>& a,
                                                   const std::vector<std::uint8_t>& b) {
  std::vector<size_t> out = Differences(a, b);
  std::erase_if(out, [](size_t at) { return at >= kFifthAxis && at < kFifthAxis + kFifthAxisSize; });
  return out;
}

// The record words behind the fifth axis: five throttle words from 13548, five MAP words
// from 13888.
inline std::vector<std::uint8_t> FifthAxisWords(const TMapRecord& m) {
  std::vector<std::uint8_t> out;
  for (size_t at : {size_t{13548}, size_t{13888}})
    for (size_t k = 0; k < 10; ++k) out.push_back(m.Bytes()[at + k]);
  return out;
}

}  // namespace e2etest

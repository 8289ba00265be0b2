#include "config/SiteEditing.h"

#include <algorithm>
#include <cmath>

#include "model/Settings.h"
#include "link/LiveData.h"
#include "platform/rtl/Numbers.h"
#include "platform/ui/Keys.h"

std::array<int32_t, 33> SiteEditList{};

namespace {

constexpr uint16_t kKeyEquals = 187;  // "=" on the main keyboard
constexpr uint16_t kKeyMinus = 189;   // "-" on the main keyboard

bool ValidRun(std::span<int32_t> sites, int first, int last) {
  return first >= 0 && first <= last && static_cast<size_t>(last) < sites.size();
}

}  // namespace

int SiteStepDirection(uint16_t key) {
  if (key == VK_ADD || key == kKeyEquals) return 1;
  if (key == VK_SUBTRACT || key == kKeyMinus) return -1;
  return 0;
}

bool StepLoadSites(std::span<int32_t> sites, int first, int last, int direction, int32_t lastMax,
                   int32_t step, int32_t firstMin) {
  if (direction == 0 || step <= 0 || !ValidRun(sites, first, last)) return false;
  const auto i = static_cast<size_t>(first), j = static_cast<size_t>(last);
  if (direction < 0) {
    const int64_t moved = static_cast<int64_t>(sites[i]) - step;
    const bool room = i == 0 ? moved >= firstMin : moved > sites[i - 1];
    if (!room) return false;
  } else {
    const int64_t moved = static_cast<int64_t>(sites[j]) + step;
    const bool room = j + 1 == sites.size() ? moved <= lastMax : moved < sites[j + 1];
    if (!room) return false;
  }
  for (size_t k = i; k <= j; ++k) sites[k] += direction * step;
  return true;
}

uint32_t StepSpeedSites(std::span<int32_t> sites, int first, int last, int direction, int32_t step) {
  uint32_t moved = 0;
  if (direction == 0 || step <= 0 || !ValidRun(sites, first, last)) return moved;
  // The last element is the end mark: it bounds the last site and never moves itself.
  const int lastSite = std::min(last, static_cast<int>(sites.size()) - 2);
  for (int c = std::max(first, 1); c <= lastSite; ++c) {
    const auto k = static_cast<size_t>(c);
    int32_t& site = sites[k];
    if (direction < 0 && sites[k - 1] + step < site && site - step > 0) {
      site -= step;
      moved |= 1u << c;
    } else if (direction > 0 && sites[k + 1] - step > site && site + step < kSpeedSiteEnd) {
      site += step;
      moved |= 1u << c;
    }
  }
  return moved;
}

bool InterpolateSites(std::span<int32_t> sites, int i, int j) {
  if (!ValidRun(sites, i, j) || i == j) return false;
  const auto a = static_cast<size_t>(i), b = static_cast<size_t>(j);
  const int64_t range = static_cast<int64_t>(sites[b]) - sites[a];
  if (j - i > range) return false;
  for (size_t k = a + 1; k < b; ++k)
    sites[k] = static_cast<int32_t>(
        std::trunc(sites[a] + static_cast<double>(k - a) * static_cast<double>(range) / (j - i)));
  return true;
}

AnsiString SitePositionText(int32_t position, bool pressure) {
  if (pressure) {
    if (auto u = ecu::ConvertUnitValue(1, position, Settings)) return u->text;
  }
  return IntToStr(position);
}

AnsiString PressureUnitHeading() {
  static const char* const kNames[3] = {"KPa", "Bar", "PSI"};
  return kNames[std::clamp(Settings.PressureUnit, 0, 2)];
}

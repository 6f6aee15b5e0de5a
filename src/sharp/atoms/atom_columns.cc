#include "sharp/atoms/atom_columns.h"

#include <algorithm>
#include <bit>
#include <cmath>

namespace unionbound::sharp {

double CountCost(int32_t count, AtomSense sense, const CountTarget& target) {
  if (sense == AtomSense::kEpsilon || !Counts(target, count)) return 0.0;
  return sense == AtomSense::kUpper ? -1.0 : 1.0;
}

double AtomCost(AtomMask atom, AtomSense sense, const CountTarget& target) {
  return CountCost(std::popcount(atom), sense, target);
}

double DataRowScale(const std::vector<double>& rhs) {
  double largest = 0.0;
  for (size_t r = 1; r < rhs.size(); ++r) {
    largest = std::max(largest, std::fabs(rhs[r]));
  }
  if (!(largest > 0) || !std::isfinite(largest) || largest >= 0.125) {
    return 1.0;
  }
  // Subnormal numbers are scaled as 2^-1000 would be: 1 / scale stays
  // finite.
  return std::ldexp(1.0, std::max(-1000, std::ilogb(largest)));
}

SubsetIndex::SubsetIndex(const std::vector<AtomMask>& masks) : masks_(masks) {
  index_.reserve(masks.size());
  for (size_t u = 0; u < masks.size(); ++u) {
    index_.emplace(masks[u], static_cast<int32_t>(u));
    maxSize_ = std::max(maxSize_, std::popcount(masks[u]));
  }
}

bool SubsetIndex::ScanIsCheaper(int32_t atomSize) const {
  double count = 0.0;
  double binomial = 1.0;
  for (int32_t j = 1; j <= std::min(atomSize, maxSize_); ++j) {
    binomial = binomial * (atomSize - j + 1) / j;
    count += binomial;
  }
  return 4 * count > static_cast<double>(masks_.size());
}

double SecondsSince(AtomClock::time_point start) {
  return std::chrono::duration<double>(AtomClock::now() - start).count();
}

double SecondsLeft(double limit, AtomClock::time_point start, double floor) {
  if (limit <= 0) return 0.0;
  return std::max(floor, limit - SecondsSince(start));
}

}  // namespace unionbound::sharp

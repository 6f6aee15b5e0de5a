#include "sharp/analysis/work_estimate.h"

#include <algorithm>
#include <cmath>

namespace unionbound::sharp {
namespace {

// Seconds of one bivariate program of n events on one core, per n^kPower:
// the exact simplex prices a grid of about n points per pivot and pivots a
// number of times that grows slowly with n. Fitted per m on runs with two
// threads.
constexpr double kPower = 1.3;
constexpr double kSecondsPerProgram[] = {0.0, 2.5e-6, 2.2e-6, 5.0e-6};

}  // namespace

double EstimatedSeconds(int32_t n, int32_t m, int32_t lFrom, int32_t lTo,
                        int32_t threads) {
  if (m < 1 || m > 3 || kSecondsPerProgram[m] <= 0.0 || lTo < lFrom) {
    return 0.0;
  }
  const double programs = static_cast<double>(lTo - lFrom + 1);
  const double each = kSecondsPerProgram[m] * std::pow(n, kPower);
  return programs * each / std::max(1, threads);
}

std::string RoughDuration(double seconds) {
  // Two significant digits at most: the model is no better.
  const auto rough = [](double value) {
    const double step = value >= 100 ? 10 : (value >= 10 ? 5 : 1);
    return std::to_string(static_cast<long long>(
        std::max(step, std::round(value / step) * step)));
  };
  if (seconds < 120) return "about " + rough(seconds) + " s";
  if (seconds < 7200) return "about " + rough(seconds / 60) + " min";
  return "about " + rough(seconds / 3600) + " h";
}

}  // namespace unionbound::sharp

// The public library interface of include/unionbound/unionbound.h, on top of
// the pass computation and the reader that unionbound itself uses.
#include <unionbound/unionbound.h>

#include "bounds/pass.h"
#include "cli/version.h"
#include "input/probability_input.h"
#include "numeric/subset_order.h"
#include "problem/binomial_moments.h"
#include "problem/power_moments.h"

namespace unionbound::api {

const char* Version() { return kVersion; }

std::string SizeProblem(int32_t n, int32_t m) {
  if (m < 1 || m > kMaxIntersectionOrder || m % 2 == 0) {
    return "m must be odd and between 1 and " +
           std::to_string(kMaxIntersectionOrder);
  }
  if (n < 2 || n > kMaxEvents) {
    return "n must be between 2 and " + std::to_string(kMaxEvents);
  }
  if (n < 2 * m) return "n must be at least 2m for any subsequence length";
  if (!ProbabilityCountFits(n, m)) {
    return "n and m need more numbers than 32-bit counts hold";
  }
  return "";
}

int64_t ProbabilityCount(int32_t n, int32_t m) {
  return unionbound::ProbabilityCount(n, m);
}

Probabilities ReadProbabilityFile(const std::string& path, int32_t n,
                                  int32_t m) {
  Probabilities result;
  const std::string sizeProblem = SizeProblem(n, m);
  if (!sizeProblem.empty()) {
    result.error = sizeProblem;
    return result;
  }
  const int32_t count = unionbound::ProbabilityCount(n, m);
  const ProbabilityRead read = unionbound::ReadProbabilityFile(path, count);
  result.values = read.p;
  result.values.resize(static_cast<size_t>(count), 0.0);
  result.read = read.read;
  if (!read.opened) {
    result.error = path + ": cannot be opened";
  } else if (read.read != count) {
    result.error = path + ": expected " + std::to_string(count) +
                   " numbers, read " + std::to_string(read.read);
  }
  return result;
}

std::vector<PassBounds> ComputePasses(const std::vector<double>& values,
                                      int32_t n, int32_t m) {
  std::vector<PassBounds> passes;
  if (!SizeProblem(n, m).empty() ||
      static_cast<int64_t>(values.size()) != ProbabilityCount(n, m)) {
    return passes;
  }
  const RealVector p(values.begin(), values.end());
  MomentBatch moments;
  const int32_t lastL = n - m;
  for (int32_t l = m; l <= lastL; ++l) {
    const Pass pass = ComputePass(p, n, m, l, lastL, &moments);
    passes.push_back(
        PassBounds{l, Bound{-pass.lower.result.value, pass.lower.seconds},
                   Bound{-pass.upper.result.value, pass.upper.seconds}});
  }
  return passes;
}

BestBounds BestOf(const std::vector<PassBounds>& passes) {
  BestBounds best;
  for (const PassBounds& pass : passes) {
    // The procedures minimise and maximise the negated bound; a later l
    // replaces the best only on strict improvement.
    if (!best.any || -pass.lower.value < -best.lower) {
      best.lower = pass.lower.value;
      best.lowerL = pass.l;
    }
    if (!best.any || -pass.upper.value > -best.upper) {
      best.upper = pass.upper.value;
      best.upperL = pass.l;
    }
    best.any = true;
  }
  return best;
}

}  // namespace unionbound::api

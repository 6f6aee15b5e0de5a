#include "sharp/moments/distribution.h"

#include <algorithm>
#include <chrono>
#include <system_error>
#include <thread>
#include <utility>

#include "sharp/exact/cancellation.h"

namespace unionbound::sharp {
namespace {

double SecondsSince(std::chrono::steady_clock::time_point start) {
  const std::chrono::duration<double> spent =
      std::chrono::steady_clock::now() - start;
  return spent.count();
}

// Every r of split l, the first from `warm` (left with r = 1's bases for
// the next split).
SharpDistribution SolveEveryR(const ProgramData& data, int32_t l, bool exactly,
                              WarmStart* warm) {
  const auto start = std::chrono::steady_clock::now();
  SharpDistribution out;
  out.l = l;
  out.exactly = exactly;
  out.bounds.reserve(static_cast<size_t>(std::max(data.n, 0)));
  WarmStart next;
  for (int32_t r = 1; r <= data.n; ++r) {
    WarmStart* state = r == 1 ? warm : &next;
    const CountTarget target{r, exactly};
    const SharpBound* previous = r > 1 ? &out.bounds.back().lower : nullptr;
    if (!exactly && previous != nullptr && IsUsable(*previous) &&
        sgn(previous->exact) == 0) {
      // P(X >= r) can only drop as r grows and is never below 0: a lower
      // optimum of exactly 0 stays 0 for every larger r.
      const auto start = std::chrono::steady_clock::now();
      SharpInterval in;
      in.lower = *previous;
      in.lower.pivots = 0;
      in.upper =
          ComputeSharpBound(data, l, Sense::kMaximise, target, &next.upper);
      in.seconds = SecondsSince(start);
      out.bounds.push_back(in);
      continue;
    }
    out.bounds.push_back(ComputeSharpInterval(data, l, state, target));
    if (r == 1) {
      // Only the costs change from r to r + 1: the same constraints are
      // infeasible for every r.
      if (out.bounds[0].lower.status == SharpStatus::kInfeasible) {
        out.bounds.resize(static_cast<size_t>(data.n), out.bounds[0]);
        break;
      }
      next = *warm;
    }
  }
  out.seconds = SecondsSince(start);
  return out;
}

void SolveSplitRange(const ProgramData& data, int32_t first, int32_t last,
                     bool exactly, SharpDistribution* out) {
  WarmStart warm;
  for (int32_t l = first; l <= last; ++l) {
    out[l - first] = SolveEveryR(data, l, exactly, &warm);
  }
}

// Whether a is a better bound than b in the given direction.
bool Better(const SharpBound& a, const BestCountBound& b, bool lower) {
  if (!IsUsable(a)) return false;
  if (b.l == -2) return true;
  return lower ? a.bound > b.bound.bound : a.bound < b.bound.bound;
}

template <typename Get>
std::vector<int32_t> Rises(size_t count, const Get& get) {
  std::vector<int32_t> out;
  for (size_t k = 0; k + 1 < count; ++k) {
    const auto [lowerR, upperR] = get(k);
    const auto [lowerNext, upperNext] = get(k + 1);
    const bool lowerRises = IsUsable(*lowerR) && IsUsable(*lowerNext) &&
                            lowerNext->bound > lowerR->bound;
    const bool upperRises = IsUsable(*upperR) && IsUsable(*upperNext) &&
                            upperNext->bound > upperR->bound;
    if (lowerRises || upperRises) out.push_back(static_cast<int32_t>(k + 1));
  }
  return out;
}

}  // namespace

SharpDistribution ComputeSharpDistribution(const ProgramData& data, int32_t l,
                                           bool exactly) {
  WarmStart warm;
  return SolveEveryR(data, l, exactly, &warm);
}

std::vector<SharpDistribution> ComputeSplitDistributions(
    const ProgramData& data, int32_t from, int32_t to, int32_t threads,
    bool exactly) {
  const int32_t count = to >= from ? to - from + 1 : 0;
  std::vector<SharpDistribution> results(static_cast<size_t>(count));
  if (count == 0) return results;
  SolveRangesCancellable(from, count, threads,
                         [&](int32_t first, int32_t last) {
                           SolveSplitRange(data, first, last, exactly,
                                           results.data() + (first - from));
                         });
  return results;
}

std::vector<BestCountRow> BestOverPrograms(
    const std::vector<SharpDistribution>& distributions) {
  size_t count = 0;
  for (const SharpDistribution& d : distributions) {
    count = std::max(count, d.bounds.size());
  }
  std::vector<BestCountRow> rows(count);
  for (size_t k = 0; k < count; ++k) {
    BestCountRow& row = rows[k];
    row.r = static_cast<int32_t>(k + 1);
    for (const SharpDistribution& d : distributions) {
      if (k >= d.bounds.size()) continue;
      const SharpInterval& in = d.bounds[k];
      if (Better(in.lower, row.lower, true)) row.lower = {in.lower, d.l};
      if (Better(in.upper, row.upper, false)) row.upper = {in.upper, d.l};
    }
  }
  return rows;
}

std::vector<int32_t> NonMonotoneRs(const std::vector<SharpInterval>& bounds) {
  return Rises(bounds.size(), [&](size_t k) {
    return std::pair{&bounds[k].lower, &bounds[k].upper};
  });
}

std::vector<int32_t> NonMonotoneRs(const std::vector<BestCountRow>& rows) {
  return Rises(rows.size(), [&](size_t k) {
    return std::pair{&rows[k].lower.bound, &rows[k].upper.bound};
  });
}

}  // namespace unionbound::sharp

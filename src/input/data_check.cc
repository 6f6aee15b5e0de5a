#include "input/data_check.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "numeric/subset_order.h"

namespace unionbound {

namespace {

// The checks, written without branches so that the loops over a run of
// numbers vectorise. A comparison with a NaN is false, so a NaN fails only
// the value check.
inline bool NotAProbability(double v) {
  const double size = std::fabs(v);
  const bool finite = size <= DBL_MAX;
  const double above = v - 1.0;
  const double larger = size > 1.0 ? size : 1.0;
  const bool tooLarge =
      (above > kRelativeTolerance * larger) & (above > kAbsoluteTolerance);
  const bool negative =
      (-v > kRelativeTolerance * size) & (-v > kAbsoluteTolerance);
  return !finite | tooLarge | negative;
}

// Whether a exceeds b by more than rounding explains.
inline bool Exceeds(double a, double b) {
  const double excess = a - b;
  const double sizeA = std::fabs(a);
  const double sizeB = std::fabs(b);
  const double larger = sizeA > sizeB ? sizeA : sizeB;
  return (excess > kRelativeTolerance * larger) & (excess > kAbsoluteTolerance);
}

// P(A) + P(B) - 1, the least P(A and B) can be.
inline double PairFloor(double a, double b) { return a + b - 1.0; }

// Whether P(A and B) = ab falls short of the floor by more than rounding of
// the three values explains.
inline bool BelowPairFloor(double ab, double a, double b) {
  const double deficit = PairFloor(a, b) - ab;
  const double sizeA = std::fabs(a);
  const double sizeB = std::fabs(b);
  const double sizeAB = std::fabs(ab);
  double larger = sizeA > sizeB ? sizeA : sizeB;
  larger = larger > sizeAB ? larger : sizeAB;
  return (deficit > kRelativeTolerance * larger) &
         (deficit > kAbsoluteTolerance);
}

int64_t CountNotProbabilities(const double* a, int64_t length) {
  int64_t count = 0;
  for (int64_t t = 0; t < length; ++t) count += NotAProbability(a[t]);
  return count;
}

int64_t CountExceedingOne(const double* a, double b, int64_t length) {
  int64_t count = 0;
  for (int64_t t = 0; t < length; ++t) count += Exceeds(a[t], b);
  return count;
}

int64_t CountExceedingEach(const double* a, const double* b, int64_t length) {
  int64_t count = 0;
  for (int64_t t = 0; t < length; ++t) count += Exceeds(a[t], b[t]);
  return count;
}

int64_t CountBelowPairFloor(const double* ab, double a, const double* b,
                            int64_t length) {
  int64_t count = 0;
  for (int64_t t = 0; t < length; ++t) count += BelowPairFloor(ab[t], a, b[t]);
  return count;
}

// The quick test: whether any number of a run lies outside [0, 1] or is
// NaN, exceeds the run's prefix or one of its other sub-intersections, or,
// for pairs, lies below the pair floor. It ignores the tolerances, so it
// never misses a problem; a run it flags is counted exactly. Two numbers at
// a time with SSE2 where the compiler has it.
constexpr int32_t kMaxStreams = 32;  // sizes beyond 32 never fit the count

inline bool MaySeeProblemOne(double x, double whole,
                             const double* const* streams, int32_t streamCount,
                             bool pairs, int64_t t) {
  bool any = !(x >= 0.0 && x <= 1.0);
  any |= x > whole;
  for (int32_t i = 0; i < streamCount; ++i) any |= x > streams[i][t];
  if (pairs) any |= (whole + streams[0][t]) - 1.0 > x;
  return any;
}

inline bool MaySeeProblem(const double* a, int64_t length, double whole,
                          const double* const* streams, int32_t streamCount,
                          bool pairs) {
  int64_t t = 0;
  bool any = false;
#if defined(__SSE2__)
  const __m128d zero = _mm_setzero_pd();
  const __m128d one = _mm_set1_pd(1.0);
  const __m128d wholeLanes = _mm_set1_pd(whole);
  __m128d flagged = _mm_setzero_pd();
  for (; t + 2 <= length; t += 2) {
    const __m128d x = _mm_loadu_pd(a + t);
    // Not (x >= 0 and x <= 1): NaN compares false and is flagged.
    flagged = _mm_or_pd(flagged, _mm_cmpnge_pd(x, zero));
    flagged = _mm_or_pd(flagged, _mm_cmpnle_pd(x, one));
    flagged = _mm_or_pd(flagged, _mm_cmpgt_pd(x, wholeLanes));
    for (int32_t i = 0; i < streamCount; ++i) {
      flagged =
          _mm_or_pd(flagged, _mm_cmpgt_pd(x, _mm_loadu_pd(streams[i] + t)));
    }
    if (pairs) {
      const __m128d floor =
          _mm_sub_pd(_mm_add_pd(wholeLanes, _mm_loadu_pd(streams[0] + t)), one);
      flagged = _mm_or_pd(flagged, _mm_cmpgt_pd(floor, x));
    }
  }
  any = _mm_movemask_pd(flagged) != 0;
#endif
  for (; t < length; ++t) {
    any |= MaySeeProblemOne(a[t], whole, streams, streamCount, pairs, t);
  }
  return any;
}

// Positions in the order of the probability file, from a table of binomial
// coefficients C(d, r), d <= n, r <= the largest size.
class Positions {
 public:
  Positions(int32_t n, int32_t largestSize)
      : n_(n), width_(largestSize + 1), binomials_(), firstOfSize_() {
    binomials_.assign(static_cast<size_t>(n + 1) * width_, 0);
    for (int32_t d = 0; d <= n; ++d) {
      for (int32_t r = 0; r <= largestSize && r <= d; ++r) {
        Set(d, r, r == 0 || r == d ? 1 : Get(d - 1, r - 1) + Get(d - 1, r));
      }
    }
    firstOfSize_.assign(static_cast<size_t>(largestSize + 2), 0);
    for (int32_t k = 1; k <= largestSize; ++k) {
      firstOfSize_[static_cast<size_t>(k + 1)] =
          firstOfSize_[static_cast<size_t>(k)] + Get(n, k);
    }
  }

  // The position of the first subset of size k.
  int64_t First(int32_t k) const {
    return firstOfSize_[static_cast<size_t>(k)];
  }
  int64_t Count(int32_t k) const { return Get(n_, k); }

  // The position of the increasing subset s[0..k): the lexicographic rank
  // is C(n,k) - 1 - sum over j of C(n - s[j], k - j).
  int64_t Of(const int32_t* s, int32_t k) const {
    int64_t rank = Get(n_, k) - 1;
    for (int32_t j = 0; j < k; ++j) rank -= Get(n_ - s[j], k - j);
    return First(k) + rank;
  }

 private:
  int64_t Get(int32_t d, int32_t r) const {
    return binomials_[static_cast<size_t>(d) * width_ + r];
  }
  void Set(int32_t d, int32_t r, int64_t value) {
    binomials_[static_cast<size_t>(d) * width_ + r] = value;
  }

  int32_t n_;
  size_t width_;
  std::vector<int64_t> binomials_;
  std::vector<int64_t> firstOfSize_;
};

// The numbers of one run: the subsets of size k that share the first k - 1
// events `prefix` and whose last event runs over consecutive values from
// prefix.back() + 1 on. Each of their sub-intersections one size down also
// lies at consecutive positions: dropping the last event leaves the prefix
// itself, dropping event i leaves a subset whose last event runs along.
struct Run {
  int32_t k;
  const IndexVector* prefix;
  int64_t start;   // position of the first subset of the run
  int64_t length;  // how many of its numbers are checked
  int64_t prefixPosition;
  // dropStart[i]: the position, for the first subset of the run, of its
  // sub-intersection without prefix event i.
  const std::vector<int64_t>* dropStart;
};

class Checker {
 public:
  Checker(const RealVector& p, int32_t n, int32_t m, size_t keep)
      : p_(p),
        n_(n),
        keep_(keep),
        positions_(n, std::min(n, m)),
        dropStart_(static_cast<size_t>(std::min(n, m)), 0) {}

  DataCheck Check(int32_t m, int64_t total) {
    CheckSingles(std::min<int64_t>(n_, total));
    for (int32_t k = 2; k <= m && k <= n_; ++k) {
      if (positions_.First(k) >= total) break;
      CheckSize(k, total);
    }
    return result_;
  }

 private:
  void CheckSingles(int64_t length) {
    const int64_t found = CountNotProbabilities(p_.data(), length);
    result_.problems += found;
    if (found == 0 || result_.first.size() >= keep_) return;
    for (int64_t t = 0; t < length && result_.first.size() < keep_; ++t) {
      if (NotAProbability(p_[static_cast<size_t>(t)])) {
        Keep({DataProblemKind::kNotAProbability,
              t,
              {static_cast<int32_t>(t + 1)},
              p_[static_cast<size_t>(t)],
              -1,
              {},
              0.0});
      }
    }
  }

  void CheckSize(int32_t k, int64_t total) {
    IndexVector prefix = FirstSubset(k - 1);
    int64_t prefixPosition = positions_.First(k - 1);
    int64_t start = positions_.First(k);
    IndexVector dropped(static_cast<size_t>(k - 1));
    bool stepped = false;  // only the prefix's last event grew by one
    do {
      const int32_t last = prefix.back();
      // A prefix ending in event n has an empty run: nothing to place.
      if (!stepped && last < n_) PlaceDroppedRuns(prefix, &dropped);
      const int64_t length = std::min<int64_t>(n_ - last, total - start);
      if (length > 0) {
        CheckRun(Run{k, &prefix, start, length, prefixPosition, &dropStart_});
        start += length;
        if (start >= total) return;
      }
      // The next prefix differs in its last event alone exactly when that
      // event can still grow; its run and the runs of its sub-intersections
      // then follow the present ones directly.
      stepped = last < n_;
      if (stepped) {
        for (int32_t i = 0; i + 2 < k; ++i) {
          dropStart_[static_cast<size_t>(i)] += n_ - last;
        }
        dropStart_[static_cast<size_t>(k - 2)] += 1;
      }
      ++prefixPosition;
    } while (NextSubset(&prefix, n_));
  }

  // dropStart_[i] for the run of prefix: the position of the prefix without
  // its event i, followed by the run's first last event.
  void PlaceDroppedRuns(const IndexVector& prefix, IndexVector* dropped) {
    const int32_t k = static_cast<int32_t>(prefix.size()) + 1;
    for (int32_t i = 0; i + 1 < k; ++i) {
      int32_t w = 0;
      for (int32_t j = 0; j + 1 < k; ++j) {
        if (j != i)
          (*dropped)[static_cast<size_t>(w++)] = prefix[static_cast<size_t>(j)];
      }
      (*dropped)[static_cast<size_t>(w)] = prefix.back() + 1;
      dropStart_[static_cast<size_t>(i)] =
          positions_.Of(dropped->data(), k - 1);
    }
  }

  void CheckRun(const Run& run) {
    const double* a = p_.data() + run.start;
    const double whole = p_[static_cast<size_t>(run.prefixPosition)];
    const double* streams[kMaxStreams];
    const int32_t streamCount = run.k - 1;
    for (int32_t i = 0; i < streamCount; ++i) {
      streams[i] = p_.data() + (*run.dropStart)[static_cast<size_t>(i)];
    }
    // Genuine data pass the quick test; only a run that fails it is
    // counted exactly.
    if (!MaySeeProblem(a, run.length, whole, streams, streamCount,
                       run.k == 2)) {
      return;
    }
    int64_t found = CountNotProbabilities(a, run.length);
    found += CountExceedingOne(a, whole, run.length);
    for (int32_t i = 0; i < streamCount; ++i) {
      found += CountExceedingEach(a, streams[i], run.length);
    }
    if (run.k == 2) {
      found += CountBelowPairFloor(a, whole, streams[0], run.length);
    }
    result_.problems += found;
    if (found > 0 && result_.first.size() < keep_) KeepFirstOfRun(run);
  }

  // The problems of a run in file order, and for one number in the order of
  // the checks: its value, then the sub-intersections by the event
  // dropped, then the pair floor.
  void KeepFirstOfRun(const Run& run) {
    const IndexVector& prefix = *run.prefix;
    for (int64_t t = 0; t < run.length && result_.first.size() < keep_; ++t) {
      const int64_t position = run.start + t;
      const double value = p_[static_cast<size_t>(position)];
      IndexVector events = prefix;
      events.push_back(prefix.back() + 1 + static_cast<int32_t>(t));
      if (NotAProbability(value)) {
        Keep({DataProblemKind::kNotAProbability,
              position,
              events,
              value,
              -1,
              {},
              0.0});
      }
      for (int32_t i = 0; i < run.k; ++i) {
        const int64_t other = i + 1 < run.k
                                  ? (*run.dropStart)[static_cast<size_t>(i)] + t
                                  : run.prefixPosition;
        const double bound = p_[static_cast<size_t>(other)];
        if (Exceeds(value, bound)) {
          IndexVector sub = events;
          sub.erase(sub.begin() + i);
          Keep({DataProblemKind::kExceedsSubIntersection, position, events,
                value, other, sub, bound});
        }
      }
      if (run.k == 2) {
        const double a = p_[static_cast<size_t>(events[0] - 1)];
        const double b = p_[static_cast<size_t>(events[1] - 1)];
        if (BelowPairFloor(value, a, b)) {
          Keep({DataProblemKind::kBelowPairFloor,
                position,
                events,
                value,
                -1,
                {},
                PairFloor(a, b)});
        }
      }
    }
  }

  void Keep(DataProblem problem) {
    if (result_.first.size() < keep_)
      result_.first.push_back(std::move(problem));
  }

  const RealVector& p_;
  const int32_t n_;
  const size_t keep_;
  const Positions positions_;
  std::vector<int64_t> dropStart_;
  DataCheck result_;
};

}  // namespace

NonProbabilities FindNonProbabilities(const RealVector& p) {
  NonProbabilities found;
  const int64_t size = static_cast<int64_t>(p.size());
  found.count = CountNotProbabilities(p.data(), size);
  if (found.count == 0) return found;
  bool percentRange = true;
  for (int64_t t = 0; t < size; ++t) {
    const double v = p[static_cast<size_t>(t)];
    if (found.first < 0 && NotAProbability(v)) found.first = t;
    percentRange = percentRange && v >= 0.0 && v <= 100.0;
  }
  found.percentages = percentRange;
  return found;
}

DataCheck CheckProbabilities(const RealVector& p, int32_t n, int32_t m,
                             size_t keep) {
  // Beyond the 32-bit count the positions would not be exact.
  const int32_t count = ProbabilityCount(n, m);
  if (n < 1 || m < 1 || count <= 0 || p.empty()) return DataCheck();
  Checker checker(p, n, m, keep);
  return checker.Check(
      m, std::min<int64_t>(count, static_cast<int64_t>(p.size())));
}

}  // namespace unionbound

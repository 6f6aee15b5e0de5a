#include "problem/binomial_moments.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <functional>
#include <limits>
#include <system_error>
#include <thread>
#include <utility>

#include "numeric/labels.h"
#include "numeric/subset_order.h"

namespace unionbound {

namespace {

// A subset of k events of which c lie in 1 .. l is in class (k, c). For the
// labels of a run, whether a subset adds to a label depends on its class
// alone; then the sums can follow runs of consecutive subsets.
class ClassTable {
 public:
  ClassTable(const LabelList& labels, int32_t largest)
      : largest_(largest),
        label_(static_cast<size_t>(largest + 1) * (largest + 1), kNone) {
    for (size_t t = 1; t < labels.size() && usable_; ++t) {
      AddLabel(labels[t], static_cast<int32_t>(t));
    }
  }

  // Every label is decided by the class of a subset, and no class adds to
  // two labels.
  bool usable() const { return usable_; }

  // The label that the subsets of class (k, c) add to, or kNone.
  int32_t LabelOf(int32_t k, int32_t c) const {
    return label_[static_cast<size_t>(k) * (largest_ + 1) +
                  static_cast<size_t>(c)];
  }

  static constexpr int32_t kNone = -1;

 private:
  void AddLabel(const Label& label, int32_t t) {
    const LabelParts parts = PartsOf(label);
    if (parts.shape == LabelShape::kSingle) {
      if (parts.d1 == 1) return Assign(parts.e1, parts.e1, t);  // all in 1 .. l
      if (parts.d1 == 2) return Assign(parts.e1, 0, t);         // all after l
    } else if (parts.shape == LabelShape::kPair && parts.d1 == 1) {
      const int64_t e1 = parts.e1;
      const int64_t e2 = parts.e2;
      if (parts.d2 == 2) return Assign(e1 + e2, e1, t);
      // Both counts look at 1 .. l.
      if (parts.d2 == 1) return e1 == e2 ? Assign(e1 + e2, e1, t) : void();
    } else if (parts.shape == LabelShape::kOther) {
      return;  // a shape that no subset matches
    }
    usable_ = false;  // a block that counts are not enough for
  }

  void Assign(int64_t k, int64_t c, int32_t t) {
    if (k < 1 || k > largest_ || c < 0 || c > k) return;  // no such subset
    int32_t& slot = label_[static_cast<size_t>(k) * (largest_ + 1) +
                           static_cast<size_t>(c)];
    if (slot != kNone) usable_ = false;
    slot = t;
  }

  int32_t largest_;
  IndexVector label_;
  bool usable_ = true;
};

// Sums of all lengths in one walk.
//
// The subsets of size k come in runs that share their first k - 1 events
// (the prefix P) and take every last event a .. n, a = max(P) + 1. For a
// length l a subset of the run is in class (k, c + 1) when its last event is
// at most l and in class (k, c) otherwise, c being the number of prefix
// events up to l. So, for each l, the run adds its first l - a + 1
// probabilities (none when l < a) to the accumulator "hi" = (k, c + 1) and
// the rest to "lo" = (k, c), in order.
//
// The accumulators of one class sit in a row, one per length, so that
// consecutive lengths are side by side: a tile of kTile lengths is held in
// vector registers and every probability of a run is added to all of them at
// once. Each lane is one length's own chain of additions, in subset order;
// a lane switches from hi to lo at the step where the run passes its length.
// Outside the kTile steps where lanes of the tile switch, every lane of the
// tile receives the same probability, so the additions are plain vector
// additions. Inside them the run is read from a copy padded with +0.0, and
// lanes that have switched before the run starts or switch after it ends
// take those zeros: x + 0.0 is x for every x but -0.0, and a sum that starts
// at +0.0 is never -0.0.
//
// Two threads split the lengths, each walking all the probabilities for its
// own tiles; no accumulator is touched by two threads.

// Four consecutive lengths side by side. The baseline build adds them as
// two pairs, the AVX build in one instruction; the sums are the same.
using Lanes = double __attribute__((vector_size(32)));
constexpr int kLanes = 4;
// A tile is kVectors vectors: eight for long runs, where eight independent
// chains keep the adder busy, four for short ones, where the kTile steps
// of the band (mostly zeros then) cost more than they save.
template <int kVectors>
constexpr int kTileOf = kLanes* kVectors;
constexpr int kTile = kTileOf<8>;  // the tiles lengths are counted in
constexpr ptrdiff_t kLongRun = 2 * kTile;

// Below this many additions a second thread costs more than it saves.
constexpr double kWorkForTwoThreads = 4e6;

[[gnu::always_inline]] inline void LoadLanes(const double* x, Lanes* v) {
  std::memcpy(v, x, sizeof *v);
}

[[gnu::always_inline]] inline void StoreLanes(double* x, const Lanes& v) {
  std::memcpy(x, &v, sizeof v);
}

// The row of class (k, c): the rows of size 1, then those of size 2, ...
inline size_t ClassRow(int32_t k, int32_t c) {
  return static_cast<size_t>(k) * (k + 1) / 2 - 1 + static_cast<size_t>(c);
}

inline size_t ClassRowCount(int32_t largest) {
  return largest < 1 ? 0 : ClassRow(largest, largest) + 1;
}

struct Walk {
  int32_t n;
  int32_t lFirst;   // the length of lane 0
  int32_t largest;  // the largest subset size
  double* acc;      // row r, lane i at acc[r * stride + i]
  size_t stride;    // a multiple of kTile
};

// cur[j] = cur[j] + q[t] for t = begin .. end - 1, in order.
template <int kVectors>
[[gnu::always_inline]] inline void AddToAll(Lanes* cur, const double* q,
                                            ptrdiff_t begin, ptrdiff_t end) {
  for (ptrdiff_t t = begin; t < end; ++t) {
    const double x = q[t];
#pragma GCC unroll 8
    for (int j = 0; j < kVectors; ++j) cur[j] = cur[j] + x;
  }
}

// Lane kLane of *a replaced by that of b.
template <int kLane>
[[gnu::always_inline]] inline void TakeLane(Lanes* a, const Lanes& b) {
  static_assert(kLanes == 4);
  *a = __builtin_shufflevector(*a, b, kLane == 0 ? 4 : 0, kLane == 1 ? 5 : 1,
                               kLane == 2 ? 6 : 2, kLane == 3 ? 7 : 3);
}

// Step S of the band: lane S % kLanes of vector S / kLanes leaves hi for lo,
// then x is added to every lane.
template <int kVectors, size_t kStep>
[[gnu::always_inline]] inline void SwitchThenAdd(Lanes* cur, Lanes* hiOut,
                                                 const Lanes* loIn, double x) {
  constexpr int j = static_cast<int>(kStep / kLanes);
  constexpr int i = static_cast<int>(kStep % kLanes);
  TakeLane<i>(&hiOut[j], cur[j]);
  TakeLane<i>(&cur[j], loIn[j]);
#pragma GCC unroll 8
  for (int jj = 0; jj < kVectors; ++jj) cur[jj] = cur[jj] + x;
}

template <int kVectors, size_t... kSteps>
[[gnu::always_inline]] inline void Band(Lanes* cur, Lanes* hiOut,
                                        const Lanes* loIn, const double* x,
                                        std::index_sequence<kSteps...>) {
  (SwitchThenAdd<kVectors, kSteps>(cur, hiOut, loIn, x[kSteps]), ...);
}

// The run q[0 .. len) of size-k subsets with prefix `prefix` and first last
// event a, added to the tile of lanes i0 .. i0 + kTile - 1. padded[t] is
// q[t] for 0 <= t < len and +0.0 for -kTile <= t < 0 and len <= t < len +
// kTile, wherever a lane of the tile switches within the run.
template <int kVectors>
[[gnu::always_inline]] inline void AddRunToTile(const Walk& w, int32_t k,
                                                const int32_t* prefix,
                                                int32_t a, const double* q,
                                                const double* padded,
                                                ptrdiff_t len, size_t i0) {
  const int64_t l0 = int64_t{w.lFirst} + static_cast<int64_t>(i0);
  // The step at which lane 0 of the tile switches from hi to lo.
  const int64_t tb = l0 + 1 - a;
  double* rowK0 = w.acc + ClassRow(k, 0) * w.stride + i0;
  double* lo[kVectors];
  double* hi[kVectors];
  double gathered[kVectors][2][kLanes];
  bool mixed[kVectors];
  int32_t below = 0;  // prefix events <= l, for increasing l
  for (int j = 0; j < kVectors; ++j) {
    const int64_t first = l0 + j * kLanes;
    while (below < k - 1 && prefix[below] <= first) ++below;
    const size_t lane = static_cast<size_t>(j * kLanes);
    mixed[j] = below < k - 1 && prefix[below] <= first + kLanes - 1;
    if (!mixed[j]) {
      lo[j] = rowK0 + static_cast<size_t>(below) * w.stride + lane;
      hi[j] = lo[j] + w.stride;
      continue;
    }
    // Lanes of different classes: worked on in a copy.
    int32_t c = below;
    for (int i = 0; i < kLanes; ++i) {
      while (c < k - 1 && prefix[c] <= first + i) ++c;
      double* own = rowK0 + static_cast<size_t>(c) * w.stride + lane +
                    static_cast<size_t>(i);
      gathered[j][0][i] = own[0];
      gathered[j][1][i] = own[w.stride];
    }
    lo[j] = gathered[j][0];
    hi[j] = gathered[j][1];
  }

  Lanes cur[kVectors];
  if (tb + kTileOf<kVectors> <= 0) {
    // Every lane has switched before the run: all of it goes to lo.
    for (int j = 0; j < kVectors; ++j) LoadLanes(lo[j], &cur[j]);
    AddToAll<kVectors>(cur, q, 0, len);
    for (int j = 0; j < kVectors; ++j) StoreLanes(lo[j], cur[j]);
  } else if (tb >= len) {
    // No lane switches within the run: all of it goes to hi.
    for (int j = 0; j < kVectors; ++j) LoadLanes(hi[j], &cur[j]);
    AddToAll<kVectors>(cur, q, 0, len);
    for (int j = 0; j < kVectors; ++j) StoreLanes(hi[j], cur[j]);
  } else {
    Lanes hiOut[kVectors];
    Lanes loIn[kVectors];
    for (int j = 0; j < kVectors; ++j) {
      LoadLanes(hi[j], &cur[j]);
      hiOut[j] = cur[j];
      LoadLanes(lo[j], &loIn[j]);
    }
    const ptrdiff_t band = static_cast<ptrdiff_t>(tb);
    AddToAll<kVectors>(cur, q, 0, band);
    Band<kVectors>(cur, hiOut, loIn, padded + band,
                   std::make_index_sequence<kTileOf<kVectors>>());
    AddToAll<kVectors>(cur, q, band + kTileOf<kVectors>, len);
    for (int j = 0; j < kVectors; ++j) {
      StoreLanes(hi[j], hiOut[j]);
      StoreLanes(lo[j], cur[j]);
    }
  }

  for (int j = 0; j < kVectors; ++j) {
    if (!mixed[j]) continue;
    const int64_t first = l0 + j * kLanes;
    int32_t c = 0;
    for (int i = 0; i < kLanes; ++i) {
      while (c < k - 1 && prefix[c] <= first + i) ++c;
      double* own = rowK0 + static_cast<size_t>(c) * w.stride +
                    static_cast<size_t>(j * kLanes + i);
      own[0] = gathered[j][0][i];
      own[w.stride] = gathered[j][1][i];
    }
  }
}

// Adds p[share->position.u .. end) to the tiles of the share (multiples of
// kTile), run by run; a run cut by `end` is taken up where it stopped on the
// next call. Compiled for the x86-64 baseline and for AVX; the loader picks
// the version the processor has.
[[gnu::target_clones("avx", "default")]] void AdvanceShare(const Walk& w,
                                                           const double* p,
                                                           size_t end,
                                                           MomentShare* share) {
  const int32_t n = w.n;
  WalkPosition& at = share->position;
  double* padded = share->padding.data() + kTile;
  while (!at.finished && at.u < end) {
    // The run of prefix at.prefix: last events a .. n.
    const int32_t a = at.k == 1 ? 1 : at.prefix.back() + 1;
    const size_t runEnd = at.runStart + static_cast<size_t>(n - a + 1);
    const size_t partEnd = std::min(end, runEnd);
    // A part of a run from its step t0 on is the run of the lanes' view
    // that starts with last event a + t0.
    const int32_t from = a + static_cast<int32_t>(at.u - at.runStart);
    const ptrdiff_t len = static_cast<ptrdiff_t>(partEnd - at.u);
    const double* q = p + at.u;
    // Lanes switch within the part only for lengths from - 1 .. from + len
    // - 1.
    const int64_t lanesFirst =
        int64_t{w.lFirst} + static_cast<int64_t>(share->tileBegin);
    const int64_t lanesEnd =
        int64_t{w.lFirst} + static_cast<int64_t>(share->tileEnd);
    if (lanesFirst < from + len && lanesEnd > from - 1 - kTile) {
      std::memcpy(padded, q, static_cast<size_t>(len) * sizeof(double));
      std::fill(padded + len, padded + len + kTile, 0.0);
    }
    for (size_t i0 = share->tileBegin; i0 < share->tileEnd; i0 += kTile) {
      AddRunToTile<8>(w, at.k, at.prefix.data(), from, q, padded, len, i0);
    }
    at.u = partEnd;
    if (at.u < runEnd) break;
    at.runStart = runEnd;
    // Prefixes of k - 1 events out of 1 .. n - 1, in lexicographic order.
    if (!NextSubset(&at.prefix, n - 1)) {
      ++at.k;
      at.finished = at.k > w.largest;
      at.prefix = FirstSubset(at.k - 1);
    }
  }
}

}  // namespace

MomentSums::MomentSums(int32_t n, int32_t lFirst, int32_t lCount, int32_t m,
                       const IndexMatrix& pairs, const IndexVector& maxOrders,
                       int32_t shares)
    : n_(n),
      lFirst_(lFirst),
      lengths_(static_cast<size_t>(std::max(lCount, 0))),
      largest_(std::max(0, std::min(m, n))),
      labels_(VariableIndexList(m, pairs, maxOrders)),
      stride_((lengths_ + kTile - 1) / kTile * kTile),
      sums_(ClassRowCount(largest_) * stride_, 0.0) {
  const size_t tiles = stride_ / kTile;
  const size_t count =
      std::min(tiles, static_cast<size_t>(std::clamp(shares, 1, 2)));
  const size_t padding = static_cast<size_t>(std::max(n, 0)) + 2 * kTile;
  for (size_t s = 0; s < count; ++s) {
    MomentShare share;
    share.tileBegin = tiles * s / count * kTile;
    share.tileEnd = tiles * (s + 1) / count * kTile;
    share.padding.assign(padding, 0.0);
    share.position.prefix = FirstSubset(0);
    share.position.finished = largest_ < 1;
    shares_.push_back(std::move(share));
  }
}

int32_t MomentSums::shares() const {
  return static_cast<int32_t>(shares_.size());
}

void MomentSums::Advance(int32_t share, const double* p, size_t available) {
  const Walk walk{n_, lFirst_, largest_, sums_.data(), stride_};
  AdvanceShare(walk, p, available, &shares_[static_cast<size_t>(share)]);
}

RealMatrix MomentSums::Moments() const {
  RealMatrix moments(lengths_, RealVector(labels_.size(), 0.0));
  for (RealVector& b : moments) b[0] = 1.0;
  const ClassTable table(labels_, largest_);
  if (!table.usable()) {
    for (RealVector& b : moments) {
      std::fill(b.begin() + 1, b.end(),
                std::numeric_limits<double>::quiet_NaN());
    }
    return moments;
  }
  for (int32_t k = 1; k <= largest_; ++k) {
    for (int32_t c = 0; c <= k; ++c) {
      const int32_t label = table.LabelOf(k, c);
      if (label == ClassTable::kNone) continue;
      const double* row = sums_.data() + ClassRow(k, c) * stride_;
      for (size_t i = 0; i < lengths_; ++i) {
        moments[i][static_cast<size_t>(label)] = row[i];
      }
    }
  }
  return moments;
}

bool TwoShares(size_t probabilities, int32_t lCount) {
  const double work =
      static_cast<double>(probabilities) * static_cast<double>(lCount);
  return work >= kWorkForTwoThreads && std::thread::hardware_concurrency() >= 2;
}

RealMatrix BinomialMomentsOfLengths(const RealVector& p, int32_t n,
                                    int32_t lFirst, int32_t lCount, int32_t m,
                                    const IndexMatrix& pairs,
                                    const IndexVector& maxOrders,
                                    int32_t threads) {
  const bool two = threads == 0 ? TwoShares(p.size(), lCount) : threads >= 2;
  MomentSums sums(n, lFirst, lCount, m, pairs, maxOrders, two ? 2 : 1);
  int32_t first = 0;
  if (sums.shares() == 2) {
    try {
      std::thread other([&sums, &p] { sums.Advance(1, p.data(), p.size()); });
      sums.Advance(0, p.data(), p.size());
      other.join();
      first = 2;
    } catch (const std::system_error&) {
      // No second thread: this one does all the work.
    }
  }
  for (int32_t s = first; s < sums.shares(); ++s) {
    sums.Advance(s, p.data(), p.size());
  }
  return sums.Moments();
}

RealVector BinomialMoments(const RealVector& p, int32_t n, int32_t l, int32_t m,
                           const IndexMatrix& pairs,
                           const IndexVector& maxOrders) {
  return BinomialMomentsOfLengths(p, n, l, 1, m, pairs, maxOrders)[0];
}

int32_t LengthsPerBatch(int32_t m) {
  const int64_t order = std::clamp<int64_t>(m, 0, 1 << 12);
  // Accumulator rows, moments per label and a vector's own bookkeeping.
  const int64_t rows = order * (order + 3) / 2;
  const int64_t labels = 1 + 2 * order + order * (order - 1) / 2;
  const int64_t bytes = (rows + labels + 6) * int64_t{sizeof(double)};
  const int64_t lengths = static_cast<int64_t>(kMomentBatchBytes) / bytes;
  return static_cast<int32_t>(std::clamp<int64_t>(lengths, 1, 1 << 30));
}

const RealVector& BatchedBinomialMoments(const RealVector& p, int32_t n,
                                         int32_t l, int32_t lastL, int32_t m,
                                         const IndexMatrix& pairs,
                                         const IndexVector& maxOrders,
                                         MomentBatch* batch) {
  const int64_t held = static_cast<int64_t>(batch->moments.size());
  if (batch->moments.empty() || l < batch->first ||
      int64_t{l} - batch->first >= held) {
    const int64_t last = std::min<int64_t>(
        lastL, int64_t{l} +
                   (batch->lengths > 0 ? batch->lengths : LengthsPerBatch(m)) -
                   1);
    const int32_t count =
        static_cast<int32_t>(std::max<int64_t>(last - l + 1, 1));
    batch->first = l;
    batch->moments =
        BinomialMomentsOfLengths(p, n, l, count, m, pairs, maxOrders);
  }
  return batch->moments[static_cast<size_t>(l - batch->first)];
}

}  // namespace unionbound

#include "problem/binomial_moments.h"

#include <algorithm>
#include <cstddef>
#include <limits>

#include "numeric/label_parts.h"
#include "numeric/subset_order.h"
#include "problem/labels.h"

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

// sum = sum + p[u] for u = begin .. end - 1, in order.
double AddRun(double sum, const double* p, size_t begin, size_t end) {
  for (size_t u = begin; u < end; ++u) sum = sum + p[u];
  return sum;
}

// The class sums of all lengths in one walk. The subsets of size k come in
// runs that share their first k - 1 events (the prefix) and take every
// possible last event a .. n. For a length l the run splits into the events
// up to l and those after it: two classes, each a stretch of consecutive
// probabilities, added in order. The runs of different lengths are
// independent chains of additions, which the processor overlaps. sums holds
// one row of labels + 1 accumulators per length, the last one taking what
// adds to no label.
void SumByClass(const RealVector& p, int32_t n, int32_t lFirst, int32_t lCount,
                int32_t largest, const ClassTable& table, size_t rowLength,
                RealVector* sums) {
  const size_t end = p.size();
  const size_t sink = rowLength - 1;
  auto slot = [&](double* row, int32_t k, int32_t c) -> double& {
    const int32_t label = table.LabelOf(k, c);
    return row[label == ClassTable::kNone ? sink : static_cast<size_t>(label)];
  };
  size_t u = 0;
  for (int32_t k = 1; k <= largest && u < end; ++k) {
    // Prefixes of k - 1 events out of 1 .. n - 1, in lexicographic order.
    IndexVector prefix = FirstSubset(k - 1);
    do {
      const int32_t a = k == 1 ? 1 : prefix.back() + 1;
      const size_t runLength = static_cast<size_t>(n - a + 1);
      const size_t runEnd = std::min(end, u + runLength);
      size_t below = 0;  // prefix events <= l, for increasing l
      for (int32_t i = 0; i < lCount; ++i) {
        const int32_t l = lFirst + i;
        while (below < prefix.size() && prefix[below] <= l) ++below;
        const int32_t c = static_cast<int32_t>(below);
        double* row = sums->data() + static_cast<size_t>(i) * rowLength;
        // Events a .. l of the run are in block 1: class (k, c + 1).
        const int64_t upTo = std::clamp<int64_t>(
            int64_t{l} - a + 1, 0, static_cast<int64_t>(runLength));
        const size_t split = std::min(runEnd, u + static_cast<size_t>(upTo));
        if (split > u) {
          double& high = slot(row, k, c + 1);
          high = AddRun(high, p.data(), u, split);
        }
        if (runEnd > split) {
          double& low = slot(row, k, c);
          low = AddRun(low, p.data(), split, runEnd);
        }
      }
      u = runEnd;
    } while (u < end && NextSubset(&prefix, n - 1));
  }
}

}  // namespace

RealMatrix BinomialMomentsOfLengths(const RealVector& p, int32_t n,
                                    int32_t lFirst, int32_t lCount, int32_t m,
                                    const IndexMatrix& pairs,
                                    const IndexVector& maxOrders) {
  const LabelList labels = VariableIndexList(m, pairs, maxOrders);
  const int32_t count = std::max(lCount, 0);
  // Subsets exist for the sizes 1 .. min(m, n).
  const int32_t largest = std::max(0, std::min(m, n));
  const size_t rowLength = labels.size() + 1;
  RealVector sums(static_cast<size_t>(count) * rowLength, 0.0);
  const ClassTable table(labels, largest);
  if (table.usable()) {
    SumByClass(p, n, lFirst, count, largest, table, rowLength, &sums);
  } else {
    std::fill(sums.begin(), sums.end(),
              std::numeric_limits<double>::quiet_NaN());
  }

  RealMatrix moments;
  for (int32_t i = 0; i < count; ++i) {
    const double* row = sums.data() + static_cast<size_t>(i) * rowLength;
    RealVector b(row, row + labels.size());
    b[0] = 1.0;
    moments.push_back(b);
  }
  return moments;
}

RealVector BinomialMoments(const RealVector& p, int32_t n, int32_t l, int32_t m,
                           const IndexMatrix& pairs,
                           const IndexVector& maxOrders) {
  return BinomialMomentsOfLengths(p, n, l, 1, m, pairs, maxOrders)[0];
}

const RealVector& BatchedBinomialMoments(const RealVector& p, int32_t n,
                                         int32_t l, int32_t lastL, int32_t m,
                                         const IndexMatrix& pairs,
                                         const IndexVector& maxOrders,
                                         MomentBatch* batch) {
  const int64_t held = static_cast<int64_t>(batch->moments.size());
  if (batch->moments.empty() || l < batch->first ||
      int64_t{l} - batch->first >= held) {
    const int64_t last =
        std::min<int64_t>(lastL, int64_t{l} + kLengthsPerBatch - 1);
    const int32_t count =
        static_cast<int32_t>(std::max<int64_t>(last - l + 1, 1));
    batch->first = l;
    batch->moments =
        BinomialMomentsOfLengths(p, n, l, count, m, pairs, maxOrders);
  }
  return batch->moments[static_cast<size_t>(l - batch->first)];
}

}  // namespace unionbound

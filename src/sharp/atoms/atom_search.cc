#include "sharp/atoms/atom_search.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <functional>
#include <numeric>
#include <queue>

namespace unionbound::sharp {
namespace {

using Clock = std::chrono::steady_clock;

template <typename T>
class Search {
 public:
  Search(const std::vector<AtomMask>& masks, const std::vector<T>& values,
         int32_t n, T floor, const AtomSearchOptions& options)
      : values_(values),
        n_(n),
        floor_(floor),
        keep_(std::max<size_t>(1, options.keep)),
        seconds_(options.seconds),
        start_(Clock::now()) {
    Order(masks);
    const size_t terms = masks.size();
    last_.resize(terms);
    size_.resize(terms);
    in_.assign(terms, 0);
    out_.assign(terms, 0);
    termsOf_.resize(n);
    group_.assign(n + 1, T(0));
    for (size_t u = 0; u < terms; ++u) {
      int32_t last = -1;
      for (int32_t i = 0; i < n; ++i) {
        if (masks[u] >> i & 1) {
          last = std::max(last, position_[i]);
          termsOf_[position_[i]].push_back(static_cast<int32_t>(u));
          ++size_[u];
        }
      }
      last_[u] = last;
      // Terms without events (none in the data) count for every atom.
      if (last < 0) {
        fixed_ += values[u];
      } else if (values[u] > 0 || size_[u] == 1) {
        group_[last] += values[u];
      }
    }
  }

  AtomSearchResult<T> Run() {
    open_ = floor_;
    Visit(0);
    AtomSearchResult<T> result;
    result.complete = !stopped_;
    result.nodes = nodes_;
    while (!best_.empty()) {
      result.best.push_back(best_.top());
      best_.pop();
    }
    std::reverse(result.best.begin(), result.best.end());
    result.bound = std::max(open_, Threshold());
    if (!result.best.empty()) {
      result.bound = std::max(result.bound, result.best.front().first);
    }
    return result;
  }

 private:
  using Entry = std::pair<T, AtomMask>;

  // Events by the total weight of their terms, heaviest first: deciding
  // them early settles most of F.
  void Order(const std::vector<AtomMask>& masks) {
    std::vector<double> weight(n_, 0.0);
    for (size_t u = 0; u < masks.size(); ++u) {
      for (int32_t i = 0; i < n_; ++i) {
        if (masks[u] >> i & 1) {
          weight[i] += std::fabs(static_cast<double>(values_[u]));
        }
      }
    }
    event_.resize(n_);
    std::iota(event_.begin(), event_.end(), 0);
    std::stable_sort(event_.begin(), event_.end(), [&](int32_t a, int32_t b) {
      return weight[a] > weight[b];
    });
    position_.resize(n_);
    for (int32_t p = 0; p < n_; ++p) position_[event_[p]] = p;
  }

  // Only atoms above this are of interest.
  T Threshold() const {
    if (best_.size() < keep_) return floor_;
    return std::max(floor_, best_.top().first);
  }

  T Bound(int32_t depth) const {
    T bound = fixed_;
    for (int32_t p = depth; p < n_; ++p) bound += std::max(T(0), group_[p]);
    return bound;
  }

  bool OutOfTime() {
    if (seconds_ <= 0 || stopped_) return stopped_;
    if ((nodes_ & 1023) == 0 &&
        std::chrono::duration<double>(Clock::now() - start_).count() >
            seconds_) {
      stopped_ = true;
    }
    return stopped_;
  }

  void Visit(int32_t depth) {
    ++nodes_;
    if (depth == n_) {
      if (atom_ != 0 && fixed_ > Threshold()) {
        best_.push({fixed_, atom_});
        if (best_.size() > keep_) best_.pop();
      }
      return;
    }
    const T bound = Bound(depth);
    if (bound <= Threshold()) return;
    if (OutOfTime()) {
      open_ = std::max(open_, bound);
      return;
    }
    const bool inFirst = group_[depth] > 0;
    for (bool in : {inFirst, !inFirst}) {
      if (in) {
        Include(depth);
        Visit(depth + 1);
        Uninclude(depth);
      } else {
        Exclude(depth);
        Visit(depth + 1);
        Unexclude(depth);
      }
    }
  }

  // The event at position p occurs: its group's terms are complete, and a
  // negative term whose other events all occur is certain to count once
  // the last of them occurs.
  void Include(int32_t p) {
    fixed_ += group_[p];
    atom_ |= AtomMask{1} << event_[p];
    for (int32_t u : termsOf_[p]) {
      ++in_[u];
      if (last_[u] != p && out_[u] == 0 && in_[u] == size_[u] - 1 &&
          values_[u] < 0) {
        group_[last_[u]] += values_[u];
      }
    }
  }

  void Uninclude(int32_t p) {
    for (int32_t u : termsOf_[p]) {
      if (last_[u] != p && out_[u] == 0 && in_[u] == size_[u] - 1 &&
          values_[u] < 0) {
        group_[last_[u]] -= values_[u];
      }
      --in_[u];
    }
    atom_ &= ~(AtomMask{1} << event_[p]);
    fixed_ -= group_[p];
  }

  // The event at position p does not occur: its terms can no longer count.
  void Exclude(int32_t p) {
    for (int32_t u : termsOf_[p]) {
      if (last_[u] == p) continue;
      if (out_[u]++ == 0 && values_[u] > 0) group_[last_[u]] -= values_[u];
    }
  }

  void Unexclude(int32_t p) {
    for (int32_t u : termsOf_[p]) {
      if (last_[u] == p) continue;
      if (--out_[u] == 0 && values_[u] > 0) group_[last_[u]] += values_[u];
    }
  }

  const std::vector<T>& values_;
  const int32_t n_;
  const T floor_;
  const size_t keep_;
  const double seconds_;
  const Clock::time_point start_;
  std::vector<int32_t> event_;     // position -> event
  std::vector<int32_t> position_;  // event -> position
  std::vector<int32_t> last_;      // term -> position of its last event
  std::vector<int32_t> size_;
  std::vector<int32_t> in_;                    // events of the term decided in
  std::vector<int32_t> out_;                   // events of the term decided out
  std::vector<std::vector<int32_t>> termsOf_;  // position -> terms
  std::vector<T> group_;  // position -> most its undecided terms can add
  T fixed_ = T(0);        // complete terms
  AtomMask atom_ = 0;
  T open_;  // largest bound of a node left open at the time limit
  std::priority_queue<Entry, std::vector<Entry>, std::greater<Entry>> best_;
  int64_t nodes_ = 0;
  bool stopped_ = false;
};

}  // namespace

template <typename T>
AtomSearchResult<T> MaximiseOverAtoms(const std::vector<AtomMask>& masks,
                                      const std::vector<T>& values, int32_t n,
                                      T floor,
                                      const AtomSearchOptions& options) {
  return Search<T>(masks, values, n, floor, options).Run();
}

template AtomSearchResult<int64_t> MaximiseOverAtoms(
    const std::vector<AtomMask>&, const std::vector<int64_t>&, int32_t, int64_t,
    const AtomSearchOptions&);
template AtomSearchResult<double> MaximiseOverAtoms(
    const std::vector<AtomMask>&, const std::vector<double>&, int32_t, double,
    const AtomSearchOptions&);

}  // namespace unionbound::sharp

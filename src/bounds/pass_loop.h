// The passes of a run, l = m .. n - m in order, and the best lower and upper
// bound over them. unionbound, the library and unionbound-sharp all walk
// their passes with PassLoop, so they choose the same best bounds and the
// same l for them.
#ifndef UNIONBOUND_BOUNDS_PASS_LOOP_H_
#define UNIONBOUND_BOUNDS_PASS_LOOP_H_

#include <cstdint>

#include "bounds/pass.h"
#include "numeric/vectors.h"
#include "problem/binomial_moments.h"

namespace unionbound {

// A best bound over the passes, held as a procedure value (the negated bound).
struct BestBound {
  double value;
  double seconds;
  int32_t l;
};

struct BestBounds {
  bool anyPass = false;
  BestBound lower{0.0, 0.0, 0};  // the smallest procedure value
  BestBound upper{0.0, 0.0, 0};  // the largest procedure value
};

// The first pass sets both best bounds; a later pass replaces one only when
// it improves on it strictly, so the earlier l wins ties.
void KeepBestBounds(const Pass& pass, BestBounds* best);

// Walks the passes of p (subset order, n events, intersections up to size m)
// one at a time:
//
//   for (PassLoop loop(p, n, m, &moments); !loop.Done();) {
//     const Pass& pass = loop.Next();
//     ...
//   }
//   loop.best() ...
//
// Requires p to outlive the loop. moments may hold binomial moments already
// worked out (as the reader does while it reads a file); nullptr gives the
// loop a batch of its own. Not thread safe; one loop per thread.
class PassLoop {
 public:
  PassLoop(const RealVector& p, int32_t n, int32_t m, MomentBatch* moments);
  PassLoop(const PassLoop&) = delete;
  PassLoop& operator=(const PassLoop&) = delete;

  // Whether every pass has been made (at once when n < 2m).
  bool Done() const { return l_ > lastL_; }
  // The number of passes, n - 2m + 1, or 0.
  int32_t Count() const { return lastL_ >= m_ ? lastL_ - m_ + 1 : 0; }
  // Requires !Done(). Makes the pass of the next l, keeps its bounds in
  // best() and returns it; the reference holds until the next call.
  const Pass& Next();
  // The best bounds of the passes made so far.
  const BestBounds& best() const { return best_; }

 private:
  const RealVector& p_;
  int32_t n_;
  int32_t m_;
  int32_t lastL_;
  int32_t l_;
  MomentBatch ownMoments_;
  MomentBatch* moments_;
  Pass pass_;
  BestBounds best_;
};

}  // namespace unionbound

#endif  // UNIONBOUND_BOUNDS_PASS_LOOP_H_

#include "bounds/pass_loop.h"

#include "optim/sense.h"

namespace unionbound {

namespace {

void KeepIfBetter(Sense sense, const Pass& pass, bool first, BestBound* best) {
  const PassBound& bound = BoundOfSense(pass, sense);
  if (first || Improves(sense, bound.result.value, best->value)) {
    *best = BestBound{bound.result.value, bound.seconds, pass.l};
  }
}

}  // namespace

void KeepBestBounds(const Pass& pass, BestBounds* best) {
  const bool first = !best->anyPass;
  KeepIfBetter(Sense::kMinimise, pass, first, &best->lower);
  KeepIfBetter(Sense::kMaximise, pass, first, &best->upper);
  best->anyPass = true;
}

PassLoop::PassLoop(const RealVector& p, int32_t n, int32_t m,
                   MomentBatch* moments)
    : p_(p),
      n_(n),
      m_(m),
      lastL_(n - m),
      l_(m),
      moments_(moments != nullptr ? moments : &ownMoments_) {}

const Pass& PassLoop::Next() {
  pass_ = ComputePass(p_, n_, m_, l_, lastL_, moments_);
  KeepBestBounds(pass_, &best_);
  ++l_;
  return pass_;
}

}  // namespace unionbound

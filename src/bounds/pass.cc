#include "bounds/pass.h"

#include <cmath>
#include <cstddef>
#include <ctime>

#include "optim/threshold_penalty.h"
#include "problem/power_moments.h"
#include "problem/support_rows.h"

namespace unionbound {

namespace {

// The processor clock in whole milliseconds, as a 32-bit count.
int32_t ClockMilliseconds() {
  return static_cast<int32_t>(std::clock() / (CLOCKS_PER_SEC / 1000));
}

double SecondsSince(int32_t start) {
  const int32_t elapsed = ClockMilliseconds() - start;
  return elapsed * 0.001;
}

// Events count as rare, and their bounds are checked against an evaluation
// in extended precision, when their mean probability is below this (about
// 1e-3). For more likely events the double evaluation is kept as it is,
// whatever the order m.
constexpr double kRareProbability = 0x1p-10;

// Where rescaling puts the first-order moments (see RescalingExponent).
constexpr int32_t kScaledExponent = 60;

// Scales beyond this leave nothing of a finite optimum after the way back.
constexpr int32_t kVanishingScale = 2200;

// The exponent k that brings the first-order binomial moments of both
// subsequences (the sum of all P(A_i)) to [2^kScaledExponent,
// 2^(kScaledExponent + 1)), far above the constant 1 of the moments;
// kVanishingScale when they are all 0 and so are the other moments, then every
// optimum is its constant exactly. 0 when the n events are not rare (their
// mean probability is kRareProbability or more) or the data are no
// probabilities.
int32_t RescalingExponent(const RealVector& b, int32_t n, int32_t m) {
  const std::size_t second = static_cast<std::size_t>(m) + 1;
  if (b.size() <= second) return 0;
  for (double x : b) {
    if (!(x >= 0.0) || !std::isfinite(x)) return 0;
  }
  const double size = b[1] + b[second];
  if (!(size < kRareProbability * n)) return 0;
  if (size == 0.0) {
    for (std::size_t t = 1; t < b.size(); ++t) {
      if (b[t] != 0.0) return 0;
    }
    return kVanishingScale;
  }
  const int32_t k = kScaledExponent - std::ilogb(size);
  return k > 0 ? k : 0;
}

// Whether x is within tolerance of the reference, relative to it.
bool Agree(double x, double reference, double tolerance) {
  return std::fabs(x - reference) <= tolerance * std::fabs(reference);
}

// How far the rescaled double values of the candidates may be from their
// exact ones, relative, for the best of them to be the method's bound to
// well within 1e-9.
constexpr double kChoiceTolerance = 1e-10;

}  // namespace

PassBound CheckedPassBound(Sense sense, const RealMatrix& supports,
                           const RealVector& b, const RealVector& mu,
                           const IndexVector& maxOrders,
                           const IndexMatrix& variablePairs, int32_t m) {
  PassBound bound{};
  int32_t n = 0;
  for (const RealVector& row : supports) {
    n += static_cast<int32_t>(row.size()) - 1;
  }
  const int32_t k = RescalingExponent(b, n, m);
  if (k == 0) {
    bound.result = BoundProcedure(sense, ThresholdPenaltyScoring(), supports,
                                  mu, maxOrders, variablePairs, m);
    return bound;
  }
  const CheckedBound plain = CheckedBoundProcedure(
      sense, supports, mu, b, maxOrders, variablePairs, m, 0);
  bound.result = plain.result;
  // Without a precise value (no candidate, a singular system) there is
  // nothing to measure against; the procedure's value stands as it is.
  if (!std::isfinite(plain.precise) ||
      Agree(plain.result.value, plain.precise, kBoundTolerance)) {
    return bound;
  }

  // Exact: a power of 2 changes only the exponent, also of a subnormal.
  RealVector scaled = b;
  for (std::size_t t = 1; t < scaled.size(); ++t) {
    scaled[t] = std::ldexp(scaled[t], k);
  }
  const RealVector scaledMu = MatrixVectorProduct(
      PowerMomentMatrix(m, variablePairs, maxOrders), scaled);
  const CheckedBound careful = CheckedBoundProcedure(
      sense, supports, scaledMu, scaled, maxOrders, variablePairs, m, k);
  if (!std::isfinite(careful.precise)) {
    bound.accurate = false;
    return bound;
  }
  bound.result = careful.result;
  bound.result.value = careful.precise;
  bound.rescaled = true;
  // The candidates were compared by their rescaled double values: as close
  // to their exact ones as the best one's is to its precise value.
  bound.accurate =
      Agree(careful.result.value, careful.precise, kChoiceTolerance);
  return bound;
}

Pass ComputePass(const RealVector& p, int32_t n, int32_t m, int32_t l,
                 int32_t lastL, MomentBatch* moments) {
  Pass pass;
  const int32_t t0 = ClockMilliseconds();
  pass.l = l;
  pass.m = m;
  const RealMatrix supports = SupportRows(n, l);
  pass.variablePairs = {{1, 2}};
  pass.maxOrders = {m, m};
  pass.b = BatchedBinomialMoments(p, n, l, lastL, m, pass.variablePairs,
                                  pass.maxOrders, moments);
  pass.mu = MatrixVectorProduct(
      PowerMomentMatrix(m, pass.variablePairs, pass.maxOrders), pass.b);
  pass.lower = CheckedPassBound(Sense::kMinimise, supports, pass.b, pass.mu,
                                pass.maxOrders, pass.variablePairs, m);
  pass.lower.seconds = SecondsSince(t0);
  const int32_t t1 = ClockMilliseconds();
  pass.upper = CheckedPassBound(Sense::kMaximise, supports, pass.b, pass.mu,
                                pass.maxOrders, pass.variablePairs, m);
  pass.upper.seconds = SecondsSince(t1);
  return pass;
}

const PassBound& BoundOfSense(const Pass& pass, Sense sense) {
  return sense == Sense::kMinimise ? pass.lower : pass.upper;
}

}  // namespace unionbound

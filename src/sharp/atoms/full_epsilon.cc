#include "sharp/atoms/full_epsilon.h"

#include <algorithm>
#include <cmath>

#include "sharp/atoms/certificate.h"
#include "sharp/atoms/full_program.h"
#include "sharp/atoms/master.h"

namespace unionbound::sharp {

Rational LargestDeviation(const ExactData& data,
                          const std::vector<AtomMask>& masks,
                          const std::vector<AtomMask>& atoms,
                          const RealVector& probabilities) {
  // Each probability exactly as the double it is (rare events need every
  // bit of their exponent); the distribution is normalised exactly.
  std::vector<Rational> rows(masks.size(), Rational(0));
  Rational total = 0;
  const SubsetIndex index(masks);
  for (size_t i = 0; i < atoms.size(); ++i) {
    const double p = probabilities[i];
    if (!(p > 0) || !std::isfinite(p) || p > 2.0) continue;
    const Rational weight = ExactValue(p);
    total += weight;
    index.ForEachInside(atoms[i], [&](size_t u) { rows[u] += weight; });
  }
  if (total == 0) return Rational(-1);
  // |rows[u] / total - scaled[u] / scale|.
  Rational largest = 0;
  for (size_t u = 0; u < masks.size(); ++u) {
    Rational value(data.scaled[u], data.scale);
    value.canonicalize();
    const Rational difference = abs(rows[u] / total - value);
    if (difference > largest) largest = difference;
  }
  return largest;
}

FullEpsilon SolveFullEpsilon(
    const ExactData& data, const SubsetList& subsets, int32_t n, double seconds,
    const std::function<void(int32_t, int32_t)>& progress) {
  const auto start = AtomClock::now();
  FullEpsilon epsilon;
  if (n < 1 || n > kFullMaxEvents) return epsilon;
  const std::vector<AtomMask> masks = SubsetMasks(subsets);
  const RealVector rhs = MasterRhs(data, masks.size());
  const SubsetIndex index(masks);
  AtomMaster master(index, rhs, AtomSense::kEpsilon, 0.0);
  master.AddStartingAtoms(n);
  ColumnGenerationOptions generation;
  generation.sense = AtomSense::kEpsilon;
  generation.seconds = ColumnGenerationSeconds(seconds, n);
  generation.progress = progress;
  const ColumnGenerationResult columns =
      GenerateColumns(&master, index, rhs, n, generation, {}, -HUGE_VAL);
  epsilon.rounds = columns.rounds;
  epsilon.atLeast = 0;
  for (const RealVector* y : {&columns.y, &columns.bestY}) {
    if (y->empty() || (y == &columns.bestY && *y == columns.y)) continue;
    const ExactLagrangian lagrangian =
        CertifyDuals(data, masks, n, AtomSense::kEpsilon, *y,
                     SecondsLeft(seconds, start, 1.0) / 2);
    if (lagrangian.norm > 0) {
      epsilon.atLeast =
          std::max(epsilon.atLeast, Rational(lagrangian.sum / lagrangian.norm));
    }
  }
  epsilon.suffices = LargestDeviation(data, masks, master.Support(),
                                      master.SupportProbabilities());
  epsilon.sufficesFound = epsilon.suffices >= 0;
  epsilon.computed = true;
  epsilon.seconds = SecondsSince(start);
  return epsilon;
}

}  // namespace unionbound::sharp

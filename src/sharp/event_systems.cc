#include "sharp/event_systems.h"

#include <cmath>
#include <cstddef>
#include <random>

#include "sharp/exact_arithmetic.h"

namespace unionbound {
namespace {

// Uniform on [a, b) from 53 random bits, the same on every platform.
double Uniform(std::mt19937_64& rng, double a, double b) {
  const double unit = static_cast<double>(rng() >> 11) * 0x1.0p-53;
  return a + (b - a) * unit;
}

MixtureModel Independent(int32_t n, std::mt19937_64& rng) {
  MixtureModel model{{1.0}, {RealVector()}};
  for (int32_t i = 0; i < n; ++i) {
    model.occurrence[0].push_back(Uniform(rng, 0.3, 1.5) / n);
  }
  return model;
}

MixtureModel CommonShock(int32_t n, std::mt19937_64& rng) {
  const double shock = Uniform(rng, 0.05, 0.2);
  MixtureModel model{{shock, 1.0 - shock}, {RealVector(), RealVector()}};
  for (int32_t i = 0; i < n; ++i) {
    model.occurrence[0].push_back(Uniform(rng, 0.3, 0.9));
    model.occurrence[1].push_back(Uniform(rng, 0.1, 0.8) / n);
  }
  return model;
}

// Z_i = sqrt(rho) W + sqrt(1 - rho) E_i with W on 31 grid points in
// [-4, 4], weighted by the normal density.
MixtureModel GaussianThreshold(int32_t n, std::mt19937_64& rng) {
  const double rho = Uniform(rng, 0.2, 0.6);
  RealVector thresholds;
  for (int32_t i = 0; i < n; ++i) thresholds.push_back(Uniform(rng, 1.2, 2.2));
  MixtureModel model;
  const int32_t nodes = 31;
  for (int32_t k = 0; k < nodes; ++k) {
    const double w = -4.0 + 8.0 * k / (nodes - 1);
    model.weights.push_back(std::exp(-0.5 * w * w));
    RealVector row;
    for (double t : thresholds) {
      const double z = (t - std::sqrt(rho) * w) / std::sqrt(1.0 - rho);
      row.push_back(0.5 * std::erfc(z / std::sqrt(2.0)));
    }
    model.occurrence.push_back(row);
  }
  return model;
}

MixtureModel RareEvents(int32_t n, std::mt19937_64& rng) {
  const double cluster = Uniform(rng, 0.01, 0.03);
  MixtureModel model{{cluster, 1.0 - cluster}, {RealVector(), RealVector()}};
  for (int32_t i = 0; i < n; ++i) {
    model.occurrence[0].push_back(Uniform(rng, 0.05, 0.3));
    model.occurrence[1].push_back(Uniform(rng, 0.0005, 0.006));
  }
  return model;
}

// n atoms, each a random set of events (about three of them), plus the
// empty atom with the rest of the probability.
MixtureModel RandomAtoms(int32_t n, std::mt19937_64& rng) {
  MixtureModel model{{Uniform(rng, 0.3, 0.6) * n}, {RealVector(n, 0.0)}};
  const double include = n > 3 ? 3.0 / n : 1.0;
  for (int32_t a = 0; a < n; ++a) {
    RealVector atom;
    for (int32_t i = 0; i < n; ++i) {
      atom.push_back(Uniform(rng, 0.0, 1.0) < include ? 1.0 : 0.0);
    }
    model.weights.push_back(Uniform(rng, 0.0, 1.0));
    model.occurrence.push_back(atom);
  }
  return model;
}

Rational TotalWeight(const MixtureModel& model) {
  Rational total = 0;
  for (double w : model.weights) total += ExactValue(w);
  return total;
}

}  // namespace

bool ParseEventFamily(const std::string& name, EventFamily* family) {
  const EventFamily all[] = {
      EventFamily::kIndependent, EventFamily::kCommonShock,
      EventFamily::kGaussianThreshold, EventFamily::kRareEvents,
      EventFamily::kRandomAtoms};
  for (EventFamily f : all) {
    if (name == EventFamilyName(f)) {
      *family = f;
      return true;
    }
  }
  return false;
}

const char* EventFamilyName(EventFamily family) {
  switch (family) {
    case EventFamily::kIndependent:
      return "independent";
    case EventFamily::kCommonShock:
      return "shock";
    case EventFamily::kGaussianThreshold:
      return "gaussian";
    case EventFamily::kRareEvents:
      return "rare";
    case EventFamily::kRandomAtoms:
      return "atoms";
  }
  return "";
}

MixtureModel MakeEventSystem(EventFamily family, int32_t n, uint64_t seed) {
  std::mt19937_64 rng(seed);
  switch (family) {
    case EventFamily::kIndependent:
      return Independent(n, rng);
    case EventFamily::kCommonShock:
      return CommonShock(n, rng);
    case EventFamily::kGaussianThreshold:
      return GaussianThreshold(n, rng);
    case EventFamily::kRareEvents:
      return RareEvents(n, rng);
    case EventFamily::kRandomAtoms:
      return RandomAtoms(n, rng);
  }
  return Independent(n, rng);
}

RealVector IntersectionProbabilities(const MixtureModel& model,
                                     const IndexMatrix& subsets) {
  const Rational total = TotalWeight(model);
  std::vector<RationalVector> occurrence;
  for (const RealVector& row : model.occurrence) {
    occurrence.push_back(ExactValues(row));
  }
  RealVector p;
  for (const IndexVector& subset : subsets) {
    Rational sum = 0;
    for (size_t c = 0; c < model.weights.size(); ++c) {
      Rational term = ExactValue(model.weights[c]);
      for (int32_t event : subset) term *= occurrence[c][event - 1];
      sum += term;
    }
    p.push_back(RoundNearest(sum / total));
  }
  return p;
}

double UnionProbability(const MixtureModel& model) {
  Rational none = 0;
  for (size_t c = 0; c < model.weights.size(); ++c) {
    Rational term = ExactValue(model.weights[c]);
    for (double q : model.occurrence[c]) term *= 1 - ExactValue(q);
    none += term;
  }
  return RoundNearest(1 - none / TotalWeight(model));
}

}  // namespace unionbound

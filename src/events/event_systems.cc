#include "events/event_systems.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <random>

#include "events/dyadic.h"

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

// Component 0 is the rare shock that makes every event likely; the other
// three are ordinary independent systems.
MixtureModel FourComponents(int32_t n, std::mt19937_64& rng) {
  MixtureModel model;
  for (int32_t c = 0; c < 4; ++c) {
    const double scale = c == 0 ? 6.0 : 1.0;
    model.weights.push_back(c == 0 ? 0.02 * Uniform(rng, 1.0, 6.0)
                                   : Uniform(rng, 0.2, 1.2));
    RealVector row;
    for (int32_t i = 0; i < n; ++i) {
      row.push_back(std::min(0.9, scale * Uniform(rng, 0.2, 1.5) / n));
    }
    model.occurrence.push_back(row);
  }
  return model;
}

// The first n primes; the multiples of their products among 1 .. 1000 are
// the outcomes of the intersections.
RealVector FirstPrimes(int32_t n) {
  RealVector primes;
  for (int32_t candidate = 2; static_cast<int32_t>(primes.size()) < n;
       ++candidate) {
    bool prime = true;
    for (double p : primes)
      prime = prime && candidate % static_cast<int32_t>(p) != 0;
    if (prime) primes.push_back(candidate);
  }
  return primes;
}

// 1000 equally likely outcomes x, each a component in which event i occurs
// (probability 1) exactly when the i-th prime divides x.
MixtureModel Divisible(int32_t n) {
  const RealVector primes = FirstPrimes(n);
  MixtureModel model;
  for (int32_t x = 1; x <= 1000; ++x) {
    model.weights.push_back(1.0);
    RealVector row;
    for (double p : primes) {
      row.push_back(x % static_cast<int32_t>(p) == 0 ? 1.0 : 0.0);
    }
    model.occurrence.push_back(row);
  }
  return model;
}

Dyadic TotalWeight(const MixtureModel& model) {
  Dyadic total;
  for (double w : model.weights) total = Add(total, ExactDyadic(w));
  return total;
}

}  // namespace

bool ParseEventFamily(const std::string& name, EventFamily* family) {
  const EventFamily all[] = {
      EventFamily::kIndependent,       EventFamily::kCommonShock,
      EventFamily::kGaussianThreshold, EventFamily::kRareEvents,
      EventFamily::kRandomAtoms,       EventFamily::kMixture,
      EventFamily::kDivisible};
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
    case EventFamily::kMixture:
      return "mixture";
    case EventFamily::kDivisible:
      return "divisible";
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
    case EventFamily::kMixture:
      return FourComponents(n, rng);
    case EventFamily::kDivisible:
      return Divisible(n);
  }
  return Independent(n, rng);
}

ExactModel MakeExactModel(const MixtureModel& model) {
  ExactModel exact;
  for (double w : model.weights) exact.weights.push_back(ExactDyadic(w));
  for (const RealVector& row : model.occurrence) {
    exact.occurrence.emplace_back();
    for (double q : row) exact.occurrence.back().push_back(ExactDyadic(q));
  }
  exact.totalWeight = TotalWeight(model);
  return exact;
}

double IntersectionProbability(const ExactModel& model,
                               const IndexVector& subset) {
  Dyadic sum;
  for (size_t c = 0; c < model.weights.size(); ++c) {
    Dyadic term = model.weights[c];
    for (int32_t event : subset) {
      const Dyadic& q = model.occurrence[c][static_cast<size_t>(event - 1)];
      if (q.limbs.empty()) {
        term = Dyadic();
        break;
      }
      term = Multiply(term, q);
    }
    sum = Add(sum, term);
  }
  return NearestRatio(sum, model.totalWeight);
}

RealVector IntersectionProbabilities(const MixtureModel& model,
                                     const IndexMatrix& subsets) {
  const ExactModel exact = MakeExactModel(model);
  RealVector p;
  for (const IndexVector& subset : subsets) {
    p.push_back(IntersectionProbability(exact, subset));
  }
  return p;
}

double UnionProbability(const MixtureModel& model) {
  const Dyadic one = ExactDyadic(1.0);
  Dyadic none;
  for (size_t c = 0; c < model.weights.size(); ++c) {
    Dyadic term = ExactDyadic(model.weights[c]);
    for (double q : model.occurrence[c]) {
      term = Multiply(term, Subtract(one, ExactDyadic(q)));
    }
    none = Add(none, term);
  }
  const Dyadic total = TotalWeight(model);
  return NearestRatio(Subtract(total, none), total);
}

}  // namespace unionbound

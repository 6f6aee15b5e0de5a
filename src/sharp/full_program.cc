#include "sharp/full_program.h"

#include <ClpSimplex.hpp>
#include <algorithm>
#include <bit>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <unordered_map>
#include <vector>

#include "sharp/atom_search.h"
#include "sharp/full_sharpness.h"

namespace unionbound {
namespace {

using Mask = uint64_t;
using Clock = std::chrono::steady_clock;

constexpr double kArtificialCost = 1e4;  // keeps every master feasible
constexpr double kPricingTolerance = 1e-9;
constexpr size_t kColumnsPerRound = 40;
constexpr int32_t kFloatEnumerationLimit = 20;
// The proof of optimality stops after this long without a time limit.
constexpr double kProofSeconds = 30.0;

// Cost of an atom for the sense: P(union) counts every atom but the empty
// one; the upper bound minimises its negative.
double AtomCost(Mask atom, bool upper) {
  if (atom == 0) return 0.0;
  return upper ? -1.0 : 1.0;
}

// Finds the data subsets inside an atom: by enumerating the atom's own
// subsets up to the largest data size and looking them up, where the atom
// has fewer of those than the data have subsets, else by scanning.
class SubsetIndex {
 public:
  explicit SubsetIndex(const std::vector<Mask>& masks) : masks_(masks) {
    index_.reserve(masks.size());
    for (size_t u = 0; u < masks.size(); ++u) {
      index_.emplace(masks[u], static_cast<int32_t>(u));
      maxSize_ = std::max(maxSize_, std::popcount(masks[u]));
    }
  }

  const std::vector<Mask>& Masks() const { return masks_; }

  // Calls visit(u) for every data subset u inside atom.
  template <typename Visit>
  void ForEachInside(Mask atom, const Visit& visit) const {
    const int32_t k = std::popcount(atom);
    double count = 0.0;
    double binomial = 1.0;
    for (int32_t j = 1; j <= std::min(k, maxSize_); ++j) {
      binomial = binomial * (k - j + 1) / j;
      count += binomial;
    }
    if (4 * count > static_cast<double>(masks_.size())) {
      for (size_t u = 0; u < masks_.size(); ++u) {
        if ((masks_[u] & ~atom) == 0) visit(u);
      }
      return;
    }
    Mask bits[64];
    for (int32_t i = 0, j = 0; i < 64; ++i) {
      if (atom >> i & 1) bits[j++] = Mask{1} << i;
    }
    Enumerate(bits, k, 0, 0, 0, visit);
  }

 private:
  template <typename Visit>
  void Enumerate(const Mask* bits, int32_t k, int32_t from, int32_t size,
                 Mask subset, const Visit& visit) const {
    if (size > 0) {
      const auto it = index_.find(subset);
      if (it != index_.end()) visit(static_cast<size_t>(it->second));
    }
    if (size == maxSize_) return;
    for (int32_t i = from; i < k; ++i) {
      Enumerate(bits, k, i + 1, size + 1, subset | bits[i], visit);
    }
  }

  const std::vector<Mask>& masks_;
  std::unordered_map<Mask, int32_t> index_;
  int32_t maxSize_ = 0;
};

// The restricted master: one row for the total and one per data subset,
// two artificial columns per row, then the atoms.
class Master {
 public:
  Master(const SubsetIndex& subsets, const RealVector& rhs, bool upper)
      : subsets_(subsets), upper_(upper) {
    const int32_t rows = static_cast<int32_t>(rhs.size());
    artificials_ = 2 * rows;
    model_.setLogLevel(0);
    // Tight tolerances: the certificate is valid whatever they are, but the
    // closer the duals are to optimal, the closer the certified bound.
    model_.setPrimalTolerance(1e-10);
    model_.setDualTolerance(1e-10);
    model_.resize(rows, 0);
    for (int32_t r = 0; r < rows; ++r) {
      model_.setRowBounds(r, rhs[r], rhs[r]);
    }
    for (int32_t r = 0; r < rows; ++r) {
      for (double sign : {1.0, -1.0}) {
        model_.addColumn(1, &r, &sign, 0.0, COIN_DBL_MAX, kArtificialCost);
      }
    }
  }

  // Adds the atoms not in the master yet, all in one step (CLP copies its
  // matrix on every addition).
  void AddAtoms(const std::vector<Mask>& candidates) {
    std::vector<CoinBigIndex> starts{0};
    std::vector<int32_t> rows;
    std::vector<double> costs;
    for (Mask atom : candidates) {
      if (!present_.insert_if_new(atom)) continue;
      rows.push_back(0);
      const size_t first = rows.size();
      subsets_.ForEachInside(atom, [&rows](size_t u) {
        rows.push_back(static_cast<int32_t>(u + 1));
      });
      std::sort(rows.begin() + first, rows.end());
      starts.push_back(static_cast<CoinBigIndex>(rows.size()));
      costs.push_back(AtomCost(atom, upper_));
      atoms_.push_back(atom);
    }
    const int32_t added = static_cast<int32_t>(costs.size());
    if (added == 0) return;
    const std::vector<double> ones(rows.size(), 1.0);
    const std::vector<double> lower(added, 0.0);
    const std::vector<double> upper(added, COIN_DBL_MAX);
    model_.addColumns(added, lower.data(), upper.data(), costs.data(),
                      starts.data(), rows.data(), ones.data());
  }

  // From the previous basis, which new columns leave primal feasible: the
  // primal simplex method. The dual one could stall for minutes after
  // columns from full pricing were added. The rows never change, so the
  // factorization and work areas of the last solve are kept for the next
  // (factoring the dense-ish basis afresh was the largest part of a solve).
  // `seconds` (0: none) caps a solve.
  void Solve(double seconds) {
    if (seconds > 0) model_.setMaximumWallSeconds(seconds);
    constexpr int kKeepWorkAreas = 1;
    constexpr int kReuseFactorization = 2;
    model_.primal(
        1, solved_ ? kKeepWorkAreas | kReuseFactorization : kKeepWorkAreas);
    solved_ = true;
  }

  double Objective() const { return model_.objectiveValue(); }
  RealVector Duals() const {
    const double* y = model_.dualRowSolution();
    return RealVector(y, y + model_.numberRows());
  }
  int32_t AtomCount() const { return static_cast<int32_t>(atoms_.size()); }
  const std::vector<Mask>& Atoms() const { return atoms_; }

  // The atoms of positive probability in the last solution.
  std::vector<Mask> Support() const {
    const double* x = model_.primalColumnSolution() + artificials_;
    std::vector<Mask> support;
    for (size_t i = 0; i < atoms_.size(); ++i) {
      if (x[i] > 1e-12) support.push_back(atoms_[i]);
    }
    return support;
  }

 private:
  // A small open-addressing set would do; a sorted vector keeps it simple.
  struct AtomSet {
    std::vector<Mask> sorted;
    bool insert_if_new(Mask a) {
      auto it = std::lower_bound(sorted.begin(), sorted.end(), a);
      if (it != sorted.end() && *it == a) return false;
      sorted.insert(it, a);
      return true;
    }
  };
  const SubsetIndex& subsets_;
  const bool upper_;
  int32_t artificials_ = 0;  // the first columns
  ClpSimplex model_;
  bool solved_ = false;
  AtomSet present_;
  std::vector<Mask> atoms_;
};

// y . (column of atom) for the data subsets inside it, with the total.
double DualSum(const SubsetIndex& subsets, const RealVector& y, Mask atom) {
  double sum = y[0];
  subsets.ForEachInside(atom, [&](size_t u) { sum += y[u + 1]; });
  return sum;
}

double ReducedCost(const SubsetIndex& subsets, const RealVector& y, Mask atom,
                   bool upper) {
  return AtomCost(atom, upper) - DualSum(subsets, y, atom);
}

// Atoms of the most negative reduced cost, every atom priced.
// *least is the least reduced cost found.
std::vector<Mask> PriceAllAtoms(const std::vector<Mask>& masks,
                                const RealVector& y, int32_t n, bool upper,
                                double* least) {
  const std::vector<double> f =
      SumsOverAtoms(masks, RealVector(y.begin() + 1, y.end()), n);
  std::vector<std::pair<double, Mask>> negative;
  for (Mask a = 0; a < f.size(); ++a) {
    const double rc = AtomCost(a, upper) - y[0] - f[a];
    *least = a == 0 ? rc : std::min(*least, rc);
    if (rc < -kPricingTolerance) negative.push_back({rc, a});
  }
  if (negative.size() > kColumnsPerRound) {
    std::nth_element(negative.begin(), negative.begin() + kColumnsPerRound,
                     negative.end());
    negative.resize(kColumnsPerRound);
  }
  std::vector<Mask> found;
  for (const auto& [rc, a] : negative) found.push_back(a);
  return found;
}

// Atoms of the most negative reduced cost by branch and bound, for n too
// large to enumerate. *least is the least reduced cost when *complete.
std::vector<Mask> PriceBySearch(const std::vector<Mask>& masks,
                                const RealVector& y, int32_t n, bool upper,
                                double seconds, double* least, bool* complete) {
  const double cost = AtomCost(1, upper);
  AtomSearchOptions options;
  options.seconds = seconds;
  options.keep = kColumnsPerRound;
  const AtomSearchResult<double> result =
      MaximiseOverAtoms(masks, RealVector(y.begin() + 1, y.end()), n,
                        cost - y[0] + kPricingTolerance, options);
  *complete = result.complete;
  *least = std::min(-y[0], cost - y[0] - result.bound);
  std::vector<Mask> found;
  for (const auto& [value, atom] : result.best) found.push_back(atom);
  return found;
}

// Local search: from each start, flip the bit that lowers the reduced cost
// most until none does.
std::vector<Mask> PriceByLocalSearch(const SubsetIndex& masks,
                                     const RealVector& y, int32_t n, bool upper,
                                     const std::vector<Mask>& starts) {
  std::vector<Mask> found;
  for (Mask atom : starts) {
    double rc = ReducedCost(masks, y, atom, upper);
    for (int32_t steps = 0; steps < 4 * n; ++steps) {
      Mask best = atom;
      double bestRc = rc;
      for (int32_t i = 0; i < n; ++i) {
        const Mask next = atom ^ (Mask{1} << i);
        const double nextRc = ReducedCost(masks, y, next, upper);
        if (nextRc < bestRc) {
          best = next;
          bestRc = nextRc;
        }
      }
      if (best == atom) break;
      atom = best;
      rc = bestRc;
    }
    if (rc < -kPricingTolerance) found.push_back(atom);
    if (found.size() >= kColumnsPerRound) break;
  }
  std::sort(found.begin(), found.end());
  found.erase(std::unique(found.begin(), found.end()), found.end());
  return found;
}

// Where local search starts: the atoms added last and the data's own
// subsets, a bounded number of them.
std::vector<Mask> Starts(const Master& master, const std::vector<Mask>& masks) {
  constexpr size_t kStarts = 64;
  const std::vector<Mask>& atoms = master.Atoms();
  std::vector<Mask> starts(atoms.end() - std::min(atoms.size(), kStarts / 2),
                           atoms.end());
  const size_t step = std::max<size_t>(1, masks.size() / (kStarts / 2));
  for (size_t u = 0; u < masks.size(); u += step) starts.push_back(masks[u]);
  return starts;
}

// Duals of the univariate moment program (rows S_0 .. S_m, one column per
// number of events), lifted to the full program: every data subset of size
// k gets the dual of S_k. An atom with c events then prices exactly as the
// column c of the univariate program, so lifted optimal duals are feasible
// and worth the univariate bound: a start no worse than the moments.
// Empty when the floating-point solve fails. Sets *value to b . y.
RealVector LiftedUnivariateDuals(const std::vector<Mask>& masks,
                                 const RealVector& rhs, int32_t n, bool upper,
                                 double* value) {
  int32_t m = 0;
  for (Mask a : masks) m = std::max(m, std::popcount(a));
  RealVector moments(m + 1, 0.0);
  moments[0] = rhs[0];
  for (size_t u = 0; u < masks.size(); ++u) {
    moments[std::popcount(masks[u])] += rhs[u + 1];
  }
  ClpSimplex model;
  model.setLogLevel(0);
  model.resize(m + 1, 0);
  for (int32_t k = 0; k <= m; ++k) {
    model.setRowBounds(k, moments[k], moments[k]);
  }
  for (int32_t c = 0; c <= n; ++c) {
    std::vector<int32_t> rows;
    std::vector<double> binomials;
    double binomial = 1.0;
    for (int32_t k = 0; k <= std::min(c, m); ++k) {
      rows.push_back(k);
      binomials.push_back(binomial);
      binomial = binomial * (c - k) / (k + 1);
    }
    model.addColumn(static_cast<int32_t>(rows.size()), rows.data(),
                    binomials.data(), 0.0, COIN_DBL_MAX,
                    AtomCost(c == 0 ? 0 : 1, upper));
  }
  model.dual();
  if (!model.isProvenOptimal()) return {};
  const double* z = model.dualRowSolution();
  RealVector y(rhs.size());
  y[0] = z[0];
  for (size_t u = 0; u < masks.size(); ++u) {
    y[u + 1] = z[std::popcount(masks[u])];
  }
  *value = model.objectiveValue();
  return y;
}

double SecondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

// What is left of a limit of `limit` seconds (0: none) at least `floor`.
double SecondsLeft(double limit, Clock::time_point start, double floor) {
  if (limit <= 0) return 0.0;
  return std::max(floor, limit - SecondsSince(start));
}

FullBound SolveOneSide(const ExactData& data, const SubsetList& subsets,
                       const std::vector<Mask>& masks, int32_t n, bool upper,
                       double timeLimit, const FullOptions& options) {
  const auto start = Clock::now();
  // The certificate beyond enumeration searches too; it keeps a quarter
  // of the limit.
  const double pricingLimit =
      n > kFullExactPricingLimit ? timeLimit * 0.75 : timeLimit;
  RealVector rhs{1.0};
  for (size_t u = 0; u < masks.size(); ++u) {
    rhs.push_back(RoundNearest(ValueOf(data, u)));
  }
  const SubsetIndex index(masks);
  Master master(index, rhs, upper);
  std::vector<Mask> initial{0, (Mask{1} << n) - 1};
  initial.insert(initial.end(), masks.begin(), masks.end());
  master.AddAtoms(initial);
  FullBound bound;
  RealVector y;
  // The duals whose Lagrangian bound b . y + least reduced cost was best in
  // floating point, from the lifted univariate ones on: where the time limit
  // stops the pricing early, they usually certify more than the last ones,
  // and never less than the univariate program.
  double bestValue = -HUGE_VAL;
  RealVector bestY = LiftedUnivariateDuals(masks, rhs, n, upper, &bestValue);
  if (bestY.empty()) bestValue = -HUGE_VAL;
  for (bound.rounds = 1; bound.rounds <= options.maxRounds; ++bound.rounds) {
    master.Solve(SecondsLeft(pricingLimit, start, 1e-3));
    y = master.Duals();
    if (options.progress) {
      options.progress(upper ? "upper" : "lower", bound.rounds,
                       master.AtomCount());
    }
    // Local search finds varied atoms cheaply where n is small; beyond
    // enumeration it found one atom a round where the search finds many.
    std::vector<Mask> found;
    if (n <= kFloatEnumerationLimit) {
      found = PriceByLocalSearch(index, y, n, upper, Starts(master, masks));
    }
    if (found.empty()) {
      double least = 0.0;
      bool complete = true;
      if (n <= kFloatEnumerationLimit) {
        found = PriceAllAtoms(masks, y, n, upper, &least);
      } else {
        found = PriceBySearch(masks, y, n, upper,
                              SecondsLeft(pricingLimit, start, 1e-3), &least,
                              &complete);
      }
      if (complete) {
        double value = least;
        for (size_t r = 0; r < rhs.size(); ++r) value += rhs[r] * y[r];
        if (value > bestValue) {
          bestValue = value;
          bestY = y;
        }
      }
      if (found.empty()) {
        bound.converged = complete;
        break;
      }
    }
    master.AddAtoms(found);
    if (pricingLimit > 0 && SecondsSince(start) > pricingLimit) break;
  }
  bound.atoms = master.AtomCount();
  const bool second = !bound.converged && !bestY.empty() && bestY != y;
  Rational certified =
      CertifiedFullBound(data, subsets, n, upper, y, &bound.allAtomsPriced,
                         SecondsLeft(timeLimit, start, 1.0) / (second ? 2 : 1));
  if (second) {
    bool exact = false;
    const Rational best =
        CertifiedFullBound(data, subsets, n, upper, bestY, &exact,
                           SecondsLeft(timeLimit, start, 1.0));
    if (upper ? best < certified : best > certified) {
      certified = best;
      bound.allAtomsPriced = exact;
    }
  }
  bound.exact = certified;
  bound.support = master.Support();
  bound.duals = y;
  if (bound.converged && bound.allAtomsPriced) {
    const FullOptimumProof proof = ProveFullOptimum(
        data, masks, n, upper, bound.support, y,
        timeLimit > 0 ? SecondsLeft(timeLimit, start, 1.0) : kProofSeconds);
    if (proof.proven) {
      bound.sharp = true;
      bound.exact = proof.value;
    }
  }
  const double masterValue = upper ? -master.Objective() : master.Objective();
  bound.masterGap = std::fabs(masterValue - certified.get_d());
  bound.computed = true;
  return bound;
}

// The largest bits such that every sum of rounded duals fits in int64.
int32_t DualBits(const RealVector& y) {
  double total = 1.0;
  for (double v : y) total += std::fabs(v);
  const int32_t magnitude = static_cast<int32_t>(std::ceil(std::log2(total)));
  return std::max(0, std::min(50, 60 - magnitude));
}

}  // namespace

std::vector<AtomMask> SubsetMasks(const SubsetList& subsets) {
  std::vector<AtomMask> masks(SubsetCount(subsets));
  for (size_t u = 0; u < masks.size(); ++u) {
    const int32_t* e = SubsetMembers(subsets, u);
    for (size_t k = 0; k < SubsetSize(subsets, u); ++k) {
      masks[u] |= AtomMask{1} << (e[k] - 1);
    }
  }
  return masks;
}

Rational CertifiedFullBound(const ExactData& data, const SubsetList& subsets,
                            int32_t n, bool upper, const RealVector& y,
                            bool* exactAtoms, double seconds) {
  const std::vector<Mask> masks = SubsetMasks(subsets);
  // Any duals give a valid bound; ones that are not finite or too large for
  // 64-bit sums are replaced by 0 (the bounds 0 and 1).
  RealVector usable = y;
  double total = 0.0;
  for (double v : usable) total += std::fabs(v);
  if (!std::isfinite(total) || total > 0x1p59) {
    usable.assign(y.size(), 0.0);
  }
  const int32_t bits = DualBits(usable);
  const double unit = std::ldexp(1.0, bits);
  // Y = y rounded to multiples of 2^-bits, as integers.
  std::vector<int64_t> rounded(y.size());
  for (size_t r = 0; r < y.size(); ++r) {
    rounded[r] = static_cast<int64_t>(std::llround(usable[r] * unit));
  }
  const int64_t one = int64_t{1} << bits;
  // The least reduced cost (in units of 2^-bits) over all atoms: exact by
  // enumeration or by a complete search, else a lower bound from the nodes
  // the search left open.
  int64_t least = 0;
  const int64_t cost = upper ? -one : one;
  const std::vector<int64_t> values(rounded.begin() + 1, rounded.end());
  if (n <= kFullExactPricingLimit) {
    *exactAtoms = true;
    const std::vector<int64_t> f = SumsOverAtoms(masks, values, n);
    least = -rounded[0] - f[0];
    for (Mask a = 1; a < f.size(); ++a) {
      least = std::min(least, cost - rounded[0] - f[a]);
    }
  } else {
    // The empty atom costs -Y0, any other cost - Y0 - F; searching for F
    // above cost gives both.
    AtomSearchOptions options;
    options.seconds = seconds;
    const AtomSearchResult<int64_t> result =
        MaximiseOverAtoms(masks, values, n, cost, options);
    *exactAtoms = result.complete;
    least = cost - rounded[0] - result.bound;
  }
  // b . Y + least, exactly, with the data as typed.
  mpz_class dot = 0;
  for (size_t u = 0; u < masks.size(); ++u) {
    dot += data.scaled[u] * mpz_class(static_cast<long>(rounded[u + 1]));
  }
  Rational value(dot, data.scale * (mpz_class(1) << bits));
  value.canonicalize();
  value += Rational(static_cast<long>(rounded[0]) + least) /
           Rational(mpz_class(1) << bits);
  return upper ? Rational(-value) : value;
}

FullResult SolveFullProgram(const ExactData& data, const SubsetList& subsets,
                            int32_t n, int32_t m, const FullOptions& options) {
  (void)m;
  const auto start = Clock::now();
  FullResult result;
  if (n < 1 || n > kFullMaxEvents) return result;
  const std::vector<Mask> masks = SubsetMasks(subsets);
  // Beyond enumeration the search may take exponential time, so it gets a
  // limit of its own.
  const double limit = options.timeLimit > 0 || n <= kFullExactPricingLimit
                           ? options.timeLimit
                           : kFullDefaultLimitBeyondEnumeration;
  const double half = limit / 2;
  result.lower = SolveOneSide(data, subsets, masks, n, false, half, options);
  const double left =
      limit > 0 ? std::max(1e-3, limit - SecondsSince(start)) : 0.0;
  result.upper = SolveOneSide(data, subsets, masks, n, true, left, options);
  result.computed = true;
  result.seconds = SecondsSince(start);
  return result;
}

}  // namespace unionbound

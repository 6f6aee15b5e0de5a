// Branch and bound over the atoms of n <= 60 events for the largest value
// of a pseudo-Boolean polynomial F(a) = sum of values[u] over the terms u
// whose event set masks[u] lies inside the atom a (bit i: event i + 1
// occurs). The reduced cost of an atom in the full program is a constant
// minus such an F, so this prices atoms where there are too many to
// enumerate.
//
// The search fixes events one at a time, heaviest terms first. A term
// belongs to the event of it decided last; a node's bound is the value of
// the terms already complete plus, per undecided event, the most its terms
// can still add: the positive ones not yet excluded and the negative ones
// certain to count once that event occurs (never below 0, the event may
// stay out). With integer values the search is exact; when it stops at the
// time limit the largest bound of the nodes left open still bounds F from
// above, so its result stays rigorous. Requires the sum of |values| to fit
// the value type.
#ifndef UNIONBOUND_SHARP_ATOMS_ATOM_SEARCH_H_
#define UNIONBOUND_SHARP_ATOMS_ATOM_SEARCH_H_

#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

namespace unionbound::sharp {

using AtomMask = uint64_t;

struct AtomSearchOptions {
  double seconds = 0.0;  // stop after this long; 0: never
  size_t keep = 1;       // how many of the best atoms to return
};

template <typename T>
struct AtomSearchResult {
  // No nonempty atom has F above max(floor, bound); with `complete` it is
  // max(floor, largest F) exactly.
  T bound;
  bool complete = true;
  // Up to `keep` nonempty atoms of the largest F above floor, largest first.
  std::vector<std::pair<T, AtomMask>> best;
  int64_t nodes = 0;
};

// F(a) for every atom a of n events at once, by a subset-sum transform
// (n 2^n additions): the pricing of every atom where 2^n is small. T is a
// number type with += (double, int64_t, mpz_class).
template <typename T>
std::vector<T> SumsOverAtoms(const std::vector<AtomMask>& masks,
                             const std::vector<T>& values, int32_t n) {
  std::vector<T> f(size_t{1} << n, T(0));
  for (size_t u = 0; u < masks.size(); ++u) f[masks[u]] += values[u];
  for (int32_t i = 0; i < n; ++i) {
    const AtomMask bit = AtomMask{1} << i;
    for (AtomMask a = 0; a < (AtomMask{1} << n); ++a) {
      if (a & bit) f[a] += f[a ^ bit];
    }
  }
  return f;
}

// Searches the nonempty atoms for F above floor. Instantiated for int64_t
// (exact) and double (pricing heuristics, not rigorous).
template <typename T>
AtomSearchResult<T> MaximiseOverAtoms(const std::vector<AtomMask>& masks,
                                      const std::vector<T>& values, int32_t n,
                                      T floor,
                                      const AtomSearchOptions& options);

}  // namespace unionbound::sharp

#endif  // UNIONBOUND_SHARP_ATOMS_ATOM_SEARCH_H_

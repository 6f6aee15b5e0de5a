// What the full program's column generation and its certificate share:
// which atom costs what in each sense, the data subsets inside an atom, and
// the clock of their time limits.
//
// Rows: the total (row 0) and one per data subset (row 1 + u). An atom's
// column has a 1 in the total and in every data subset inside it.
#ifndef UNIONBOUND_SHARP_ATOMS_ATOM_COLUMNS_H_
#define UNIONBOUND_SHARP_ATOMS_ATOM_COLUMNS_H_

#include <bit>
#include <chrono>
#include <cstdint>
#include <unordered_map>
#include <vector>

#include "sharp/atoms/atom_search.h"
#include "sharp/moments/grid_program.h"

namespace unionbound::sharp {

// What the master minimises. kLower: the probability of the target (the
// union, or that at least or exactly r events occur); kUpper: minus it;
// kEpsilon: the largest deviation T of any data row from its number, over
// distributions (every atom costs nothing).
enum class AtomSense { kLower, kUpper, kEpsilon };

// The cost of an atom in which `count` events occur, and of an atom: 1
// (kLower) or -1 (kUpper) where the target happens, else 0.
double CountCost(int32_t count, AtomSense sense, const CountTarget& target);
double AtomCost(AtomMask atom, AtomSense sense, const CountTarget& target = {});

inline bool IsUnion(const CountTarget& target) {
  return target.r == 1 && !target.exactly;
}

// The factor the floating-point programs divide the data rows by: 1 where
// the largest |rhs[r]| (r >= 1; rhs[0] is the total) is at least 1/8, zero
// or not finite, else the power of two at or below it. Scaling by a power
// of two is exact, and the duals of the scaled rows are the duals of the
// unscaled program.
double DataRowScale(const std::vector<double>& rhs);

// Finds the data subsets inside an atom: by enumerating the atom's own
// subsets up to the largest data size and looking them up, where the atom
// has fewer of those than the data have subsets, else by scanning.
class SubsetIndex {
 public:
  explicit SubsetIndex(const std::vector<AtomMask>& masks);

  const std::vector<AtomMask>& Masks() const { return masks_; }

  // Calls visit(u) for every data subset u inside atom.
  template <typename Visit>
  void ForEachInside(AtomMask atom, const Visit& visit) const {
    const int32_t k = std::popcount(atom);
    if (ScanIsCheaper(k)) {
      for (size_t u = 0; u < masks_.size(); ++u) {
        if ((masks_[u] & ~atom) == 0) visit(u);
      }
      return;
    }
    AtomMask bits[64];
    for (int32_t i = 0, j = 0; i < 64; ++i) {
      if (atom >> i & 1) bits[j++] = AtomMask{1} << i;
    }
    Enumerate(bits, k, 0, 0, 0, visit);
  }

 private:
  bool ScanIsCheaper(int32_t atomSize) const;

  template <typename Visit>
  void Enumerate(const AtomMask* bits, int32_t k, int32_t from, int32_t size,
                 AtomMask subset, const Visit& visit) const {
    if (size > 0) {
      const auto it = index_.find(subset);
      if (it != index_.end()) visit(static_cast<size_t>(it->second));
    }
    if (size == maxSize_) return;
    for (int32_t i = from; i < k; ++i) {
      Enumerate(bits, k, i + 1, size + 1, subset | bits[i], visit);
    }
  }

  const std::vector<AtomMask>& masks_;
  std::unordered_map<AtomMask, int32_t> index_;
  int32_t maxSize_ = 0;
};

// The largest n whose atoms the certificate prices by enumeration; beyond
// it a search does, which shares the time limit with column generation.
inline constexpr int32_t kExactPricingLimit = 22;

// A target other than the union makes an atom's cost depend on how many
// events it holds, which the branch and bound over atoms does not follow:
// the full program bounds such targets only where every atom is priced by
// enumeration.
inline bool FullProgramCovers(const CountTarget& target, int32_t n) {
  return IsUnion(target) || n <= kExactPricingLimit;
}

using AtomClock = std::chrono::steady_clock;

double SecondsSince(AtomClock::time_point start);
// What is left of a limit of `limit` seconds (0: none), at least `floor`.
double SecondsLeft(double limit, AtomClock::time_point start, double floor);

}  // namespace unionbound::sharp

#endif  // UNIONBOUND_SHARP_ATOMS_ATOM_COLUMNS_H_

#include "sharp/data/data_check.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

#include "numeric/subset_order.h"
#include "sharp/exact/rational.h"

namespace unionbound::sharp {
namespace {

// Positions of subsets in file order in O(size) each: the lexicographic
// rank adds, per member, a run of binomial coefficients that the
// hockey-stick identity sums in closed form.
class SubsetRanks {
 public:
  SubsetRanks(int32_t n, int32_t m) : n_(n), width_(m + 2) {
    table_.assign(static_cast<size_t>(n + 2) * width_, 0);
    for (int32_t a = 0; a <= n + 1; ++a) {
      for (int32_t b = 0; b < width_ && b <= a; ++b) {
        table_[Index(a, b)] = Binomial(a, b);
      }
    }
    offset_.assign(static_cast<size_t>(width_), 0);
    for (int32_t k = 1; k < width_; ++k) {
      offset_[k] = offset_[k - 1] + (k > 1 ? C(n, k - 1) : 0);
    }
  }

  // Position of the subset without its member number `drop`.
  int64_t WithoutMember(const int32_t* subset, size_t size, size_t drop) const {
    const int32_t k = static_cast<int32_t>(size) - 1;
    int64_t position = offset_[k];
    int32_t last = 0;
    int32_t i = 0;
    for (size_t at = 0; at < size; ++at) {
      if (at == drop) continue;
      const int32_t rest = k - 1 - i;
      position += C(n_ - last, rest + 1) - C(n_ - subset[at] + 1, rest + 1);
      last = subset[at];
      ++i;
    }
    return position;
  }

 private:
  size_t Index(int32_t a, int32_t b) const {
    return static_cast<size_t>(a) * width_ + b;
  }
  int64_t C(int32_t a, int32_t b) const {
    return (a < 0 || b < 0 || b >= width_ || b > a) ? 0 : table_[Index(a, b)];
  }

  int32_t n_;
  int32_t width_;
  std::vector<int64_t> table_;
  std::vector<int64_t> offset_;
};

}  // namespace

DataCheck CheckData(const ExactData& data, const RealVector& p,
                    const SubsetList& subsets, int32_t n) {
  DataCheck check;
  const size_t count = data.size();
  mpz_class v;
  for (size_t u = 0; u < count; ++u) {
    ScaledValue(data, u, &v);
    if (sgn(v) >= 0 && v <= data.scale) continue;
    const mpz_class beyond =
        sgn(v) < 0 ? mpz_class(-v) : mpz_class(v - data.scale);
    Rational distance(beyond, data.scale);
    distance.canonicalize();
    check.badValues.push_back(
        {static_cast<int32_t>(u), u < p.size() ? p[u] : 0.0, distance});
  }
  const SubsetRanks ranks(n, subsets.m);
  mpz_class scratch[2];
  for (SubsetCursor s(subsets); !s.done() && s.index() < count; s.Next()) {
    const size_t u = s.index();
    const size_t size = s.size();
    if (size < 2) continue;
    const int32_t* members = s.members();
    for (size_t drop = 0; drop < size; ++drop) {
      const int64_t sub = ranks.WithoutMember(members, size, drop);
      if (sub < 0 || sub >= static_cast<int64_t>(count)) continue;
      if (CompareValues(data, u, static_cast<size_t>(sub), scratch) <= 0) {
        continue;
      }
      ScaledValue(data, u, &scratch[0]);
      ScaledValue(data, static_cast<size_t>(sub), &scratch[1]);
      Rational excess(scratch[0] - scratch[1], data.scale);
      excess.canonicalize();
      check.orderProblems.push_back(
          {static_cast<int32_t>(u), static_cast<int32_t>(sub), excess});
    }
  }
  return check;
}

bool HasDataError(const DataCheck& check) {
  return !check.badValues.empty() || !check.orderProblems.empty();
}

Rational DataCheckEpsilon(const DataCheck& check) {
  Rational epsilon = 0;
  for (const ValueProblem& v : check.badValues) {
    if (v.distance > epsilon) epsilon = v.distance;
  }
  for (const OrderProblem& o : check.orderProblems) {
    if (o.excess / 2 > epsilon) epsilon = o.excess / 2;
  }
  return epsilon;
}

}  // namespace unionbound::sharp

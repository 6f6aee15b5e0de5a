#include "sharp/data_check.h"

#include <cmath>
#include <cstddef>

#include "sharp/exact_arithmetic.h"

namespace unionbound {
namespace {

int64_t Choose(int64_t a, int64_t b) {
  if (b < 0 || a < 0 || b > a) return 0;
  int64_t r = 1;
  for (int64_t c = 1; c <= b; ++c) r = r * (a - b + c) / c;
  return r;
}

IndexVector WithoutElement(const IndexVector& subset, size_t drop) {
  IndexVector out;
  for (size_t i = 0; i < subset.size(); ++i) {
    if (i != drop) out.push_back(subset[i]);
  }
  return out;
}

}  // namespace

int64_t SubsetPosition(const IndexVector& subset, int32_t n) {
  const int64_t k = static_cast<int64_t>(subset.size());
  int64_t position = 0;
  for (int64_t size = 1; size < k; ++size) position += Choose(n, size);
  int64_t last = 0;
  for (int64_t i = 0; i < k; ++i) {
    for (int64_t x = last + 1; x < subset[i]; ++x) {
      position += Choose(n - x, k - 1 - i);
    }
    last = subset[i];
  }
  return position;
}

DataCheck CheckData(const ExactData& data, const RealVector& p,
                    const IndexMatrix& subsets, int32_t n) {
  DataCheck check;
  const size_t count = data.scaled.size();
  for (size_t u = 0; u < count; ++u) {
    const mpz_class& v = data.scaled[u];
    if (sgn(v) >= 0 && v <= data.scale) continue;
    const mpz_class beyond =
        sgn(v) < 0 ? mpz_class(-v) : mpz_class(v - data.scale);
    Rational distance(beyond, data.scale);
    distance.canonicalize();
    check.badValues.push_back(
        {static_cast<int32_t>(u), u < p.size() ? p[u] : 0.0, distance});
  }
  for (size_t u = 0; u < subsets.size() && u < count; ++u) {
    if (subsets[u].size() < 2) continue;
    for (size_t drop = 0; drop < subsets[u].size(); ++drop) {
      const int64_t sub = SubsetPosition(WithoutElement(subsets[u], drop), n);
      if (sub < 0 || sub >= static_cast<int64_t>(count)) continue;
      if (data.scaled[u] <= data.scaled[sub]) continue;
      Rational excess(data.scaled[u] - data.scaled[sub], data.scale);
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

}  // namespace unionbound

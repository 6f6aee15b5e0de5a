#include "events/dyadic.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

namespace unionbound {

namespace {

using Limbs = std::vector<uint32_t>;

void Trim(Limbs* a) {
  while (!a->empty() && a->back() == 0) a->pop_back();
}

int64_t BitLength(const Limbs& a) {
  if (a.empty()) return 0;
  int64_t bits = static_cast<int64_t>(a.size() - 1) * 32;
  for (uint32_t top = a.back(); top != 0; top >>= 1) ++bits;
  return bits;
}

Limbs ShiftLeft(const Limbs& a, int64_t bits) {
  if (a.empty()) return a;
  const size_t whole = static_cast<size_t>(bits / 32);
  const int part = static_cast<int>(bits % 32);
  Limbs r(whole, 0);
  uint32_t carry = 0;
  for (uint32_t limb : a) {
    r.push_back(part == 0 ? limb : (limb << part) | carry);
    carry = part == 0 ? 0 : limb >> (32 - part);
  }
  r.push_back(carry);
  Trim(&r);
  return r;
}

int Compare(const Limbs& a, const Limbs& b) {
  if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
  for (size_t i = a.size(); i-- > 0;) {
    if (a[i] != b[i]) return a[i] < b[i] ? -1 : 1;
  }
  return 0;
}

Limbs AddLimbs(const Limbs& a, const Limbs& b) {
  Limbs r;
  uint64_t carry = 0;
  for (size_t i = 0; i < std::max(a.size(), b.size()); ++i) {
    const uint64_t sum =
        carry + (i < a.size() ? a[i] : 0) + (i < b.size() ? b[i] : 0);
    r.push_back(static_cast<uint32_t>(sum));
    carry = sum >> 32;
  }
  if (carry != 0) r.push_back(static_cast<uint32_t>(carry));
  return r;
}

// a - b for a >= b.
Limbs SubtractLimbs(const Limbs& a, const Limbs& b) {
  Limbs r;
  int64_t borrow = 0;
  for (size_t i = 0; i < a.size(); ++i) {
    int64_t d = int64_t{a[i]} - (i < b.size() ? b[i] : 0) - borrow;
    borrow = d < 0 ? 1 : 0;
    if (d < 0) d += int64_t{1} << 32;
    r.push_back(static_cast<uint32_t>(d));
  }
  Trim(&r);
  return r;
}

Limbs MultiplyLimbs(const Limbs& a, const Limbs& b) {
  if (a.empty() || b.empty()) return {};
  Limbs r(a.size() + b.size(), 0);
  for (size_t i = 0; i < a.size(); ++i) {
    uint64_t carry = 0;
    for (size_t j = 0; j < b.size(); ++j) {
      const uint64_t t = uint64_t{a[i]} * b[j] + r[i + j] + carry;
      r[i + j] = static_cast<uint32_t>(t);
      carry = t >> 32;
    }
    r[i + b.size()] = static_cast<uint32_t>(carry);
  }
  Trim(&r);
  return r;
}

// a and b with their mantissas brought to the smaller exponent.
void Align(const Dyadic& a, const Dyadic& b, Limbs* x, Limbs* y,
           int64_t* exponent) {
  *exponent = std::min(a.exponent, b.exponent);
  *x = ShiftLeft(a.limbs, a.exponent - *exponent);
  *y = ShiftLeft(b.limbs, b.exponent - *exponent);
}

// a * f for a factor below 2^64.
Limbs MultiplySmall(const Limbs& a, uint64_t f) {
  return MultiplyLimbs(
      a, {static_cast<uint32_t>(f), static_cast<uint32_t>(f >> 32)});
}

// a = leading * 2^exponent, leading from the top limbs (at least 64 bits
// of a, or all of it).
long double Leading(const Limbs& a, int64_t* exponent) {
  const size_t first = a.size() > 3 ? a.size() - 3 : 0;
  long double leading = 0.0L;
  for (size_t i = a.size(); i-- > first;) {
    leading = leading * 4294967296.0L + a[i];
  }
  *exponent = static_cast<int64_t>(32 * first);
  return leading;
}

// floor(n / d) for a quotient below 2^60, and whether a remainder is left:
// an estimate from the leading bits, corrected with the exact remainder.
uint64_t SmallQuotient(const Limbs& n, const Limbs& d, bool* inexact) {
  int64_t en = 0;
  int64_t ed = 0;
  const long double ratio = Leading(n, &en) / Leading(d, &ed);
  const long double estimate =
      std::floor(std::ldexp(ratio, static_cast<int>(en - ed)));
  uint64_t q = estimate <= 0.0L ? 0 : static_cast<uint64_t>(estimate);
  Limbs product = MultiplySmall(d, q);
  while (Compare(product, n) > 0) {  // the estimate was too large
    --q;
    product = SubtractLimbs(product, d);
  }
  Limbs rest = SubtractLimbs(n, product);
  while (Compare(rest, d) >= 0) {  // too small
    ++q;
    rest = SubtractLimbs(rest, d);
  }
  *inexact = !rest.empty();
  return q;
}

}  // namespace

Dyadic ExactDyadic(double x) {
  Dyadic d;
  if (!(x > 0.0)) return d;
  int exponent = 0;
  const double fraction = std::frexp(x, &exponent);
  const uint64_t mantissa = static_cast<uint64_t>(std::ldexp(fraction, 53));
  d.limbs = {static_cast<uint32_t>(mantissa),
             static_cast<uint32_t>(mantissa >> 32)};
  Trim(&d.limbs);
  d.exponent = int64_t{exponent} - 53;
  return d;
}

Dyadic Add(const Dyadic& a, const Dyadic& b) {
  if (a.limbs.empty()) return b;
  if (b.limbs.empty()) return a;
  Dyadic r;
  Limbs x;
  Limbs y;
  Align(a, b, &x, &y, &r.exponent);
  r.limbs = AddLimbs(x, y);
  return r;
}

Dyadic Subtract(const Dyadic& a, const Dyadic& b) {
  if (b.limbs.empty()) return a;
  Dyadic r;
  Limbs x;
  Limbs y;
  Align(a, b, &x, &y, &r.exponent);
  if (Compare(x, y) <= 0) return Dyadic();
  r.limbs = SubtractLimbs(x, y);
  return r;
}

Dyadic Multiply(const Dyadic& a, const Dyadic& b) {
  Dyadic r;
  r.limbs = MultiplyLimbs(a.limbs, b.limbs);
  r.exponent = a.exponent + b.exponent;
  return r;
}

double NearestRatio(const Dyadic& a, const Dyadic& b) {
  if (a.limbs.empty() || b.limbs.empty()) return 0.0;
  // a / b = (A / B) 2^(ea - eb) lies in [2^(k-1), 2^(k+1)) with
  // k = bits(A) - bits(B) + ea - eb. Scaled by 2^s with s = 56 - k, its
  // integer part q has 56 or 57 bits.
  const int64_t k =
      BitLength(a.limbs) - BitLength(b.limbs) + a.exponent - b.exponent;
  const int64_t s = 56 - k;
  const int64_t shift = s + a.exponent - b.exponent;
  bool inexact = false;
  const uint64_t q =
      shift >= 0 ? SmallQuotient(ShiftLeft(a.limbs, shift), b.limbs, &inexact)
                 : SmallQuotient(a.limbs, ShiftLeft(b.limbs, -shift), &inexact);
  // Drop the bits below the last place of the double: 53 significant bits,
  // fewer below the normal range (the last place never below 2^-1074).
  int64_t bits = 0;
  for (uint64_t t = q; t != 0; t >>= 1) ++bits;
  const int64_t drop = std::max<int64_t>(bits - 53, s - 1074);
  if (drop >= 64) return 0.0;  // below half the smallest subnormal
  uint64_t kept = q >> drop;
  const uint64_t rest = q & ((uint64_t{1} << drop) - 1);
  const uint64_t half = uint64_t{1} << (drop - 1);
  if (rest > half || (rest == half && inexact)) ++kept;
  return std::ldexp(static_cast<double>(kept), static_cast<int>(drop - s));
}

}  // namespace unionbound

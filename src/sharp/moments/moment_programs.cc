#include "sharp/moments/moment_programs.h"

#include <cstddef>
#include <vector>

namespace unionbound::sharp {
namespace {

int32_t SplitOf(const ProgramData& data, int32_t l) {
  return l == kUnivariate ? data.n : l;
}

GridProgram EmptyProgram(const ProgramData& data, int32_t l) {
  GridProgram p;
  if (l == kUnivariate) {
    p.maxI = data.n;
    p.maxJ = 0;
    p.rows = UnivariateRows(data.n, data.m);
  } else {
    p.maxI = l;
    p.maxJ = data.n - l;
    p.rows = BivariateRows(data.m);
  }
  return p;
}

Rational Over(const mpz_class& units, const mpz_class& scale) {
  Rational q(units, scale);
  q.canonicalize();
  return q;
}

bool IsMomentRow(const GridRow& row) {
  return row.e1 >= 0 && row.e1 + row.e2 >= 1;
}

// Adds a row to the program with no grid entries.
size_t AddRow(GridProgram* p, const Rational& rhs) {
  p->rows.push_back({-1, 0});
  p->rhs.push_back(rhs);
  return p->rows.size() - 1;
}

}  // namespace

ProgramData MakeProgramData(const ExactData& data, const SubsetList& subsets,
                            int32_t n, int32_t m) {
  ProgramData p;
  p.n = n;
  p.m = m;
  p.scale = data.scale;
  p.typed = BuildMomentTable(data, mpz_class(1), subsets, n, m);
  return p;
}

ProgramData WidenProgramData(const ExactData& data, const SubsetList& subsets,
                             int32_t n, int32_t m, const Rational& tolerance) {
  ProgramData p;
  p.n = n;
  p.m = m;
  mpz_lcm(p.scale.get_mpz_t(), data.scale.get_mpz_t(),
          tolerance.get_den_mpz_t());
  const mpz_class by = p.scale / data.scale;
  p.typed = BuildMomentTable(data, by, subsets, n, m);
  p.widened = true;
  p.tolerance = tolerance.get_num() * (p.scale / tolerance.get_den());
  return p;
}

GridProgram BoundProgram(const ProgramData& data, int32_t l, Sense sense,
                         const CountTarget& target) {
  GridProgram p = EmptyProgram(data, l);
  p.pointCost = sense == Sense::kMinimise ? 1 : -1;
  p.target = target;
  const int32_t split = SplitOf(data, l);
  const size_t base = p.rows.size();
  p.rhs.assign(base, Rational(0));
  for (size_t t = 0; t < base; ++t) {
    const GridRow row = p.rows[t];
    if (!IsMomentRow(row)) {
      p.rhs[t] = (row.e1 == 0 && row.e2 == 0) ? 1 : 0;
      continue;
    }
    const mpz_class sum = GroupSum(data.typed, split, row);
    if (!data.widened) {
      p.rhs[t] = Over(sum, data.scale);
      continue;
    }
    const mpz_class reach = GroupSize(data.n, split, row) * data.tolerance;
    const mpz_class low = sum - reach;
    const mpz_class high = sum + reach;
    p.rhs[t] = Over(low, data.scale);
    if (high == low) continue;
    // A x - w = low and w + s = high - low: the moment lies in [low, high].
    const size_t band = AddRow(&p, Over(high - low, data.scale));
    ExtraColumn w;
    w.entries = {{static_cast<int32_t>(t), -1},
                 {static_cast<int32_t>(band), 1}};
    ExtraColumn s;
    s.entries = {{static_cast<int32_t>(band), 1}};
    p.extra.push_back(w);
    p.extra.push_back(s);
  }
  return p;
}

GridProgram PerturbationProgram(const ProgramData& data, int32_t l) {
  GridProgram p = EmptyProgram(data, l);
  p.pointCost = 0;
  const int32_t split = SplitOf(data, l);
  const size_t base = p.rows.size();
  p.rhs.assign(base, Rational(0));
  ExtraColumn change;  // T
  change.cost = 1;
  for (size_t t = 0; t < base; ++t) {
    const GridRow row = p.rows[t];
    if (!IsMomentRow(row)) {
      p.rhs[t] = (row.e1 == 0 && row.e2 == 0) ? 1 : 0;
      continue;
    }
    p.rhs[t] = Over(GroupSum(data.typed, split, row), data.scale);
    // A x - up + down = typed and up + down + s = size * T.
    const int32_t band = static_cast<int32_t>(AddRow(&p, Rational(0)));
    const int32_t row32 = static_cast<int32_t>(t);
    ExtraColumn up;
    up.entries = {{row32, -1}, {band, 1}};
    ExtraColumn down;
    down.entries = {{row32, 1}, {band, 1}};
    ExtraColumn s;
    s.entries = {{band, 1}};
    p.extra.push_back(up);
    p.extra.push_back(down);
    p.extra.push_back(s);
    change.entries.push_back({band, -GroupSize(data.n, split, row)});
  }
  p.extra.push_back(change);
  return p;
}

}  // namespace unionbound::sharp

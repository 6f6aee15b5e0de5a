#include "sharp/moments/grid_program.h"

#include "numeric/labels.h"

namespace unionbound::sharp {

size_t PointCount(const GridProgram& program) {
  return static_cast<size_t>(program.maxI + 1) *
         static_cast<size_t>(program.maxJ + 1);
}

mpz_class PointEntry(const GridProgram& program, size_t t, int32_t i,
                     int32_t j) {
  const GridRow& row = program.rows[t];
  if (row.e1 < 0 || row.e1 > i || row.e2 > j) return 0;
  mpz_class a;
  mpz_class b;
  mpz_bin_uiui(a.get_mpz_t(), static_cast<unsigned long>(i),
               static_cast<unsigned long>(row.e1));
  mpz_bin_uiui(b.get_mpz_t(), static_cast<unsigned long>(j),
               static_cast<unsigned long>(row.e2));
  return a * b;
}

int32_t PointCost(const GridProgram& program, int32_t i, int32_t j) {
  return Counts(program.target, i + j) ? program.pointCost : 0;
}

std::vector<GridRow> UnivariateRows(int32_t n, int32_t m) {
  std::vector<GridRow> rows;
  for (int32_t e = 0; e <= m && e <= n; ++e) rows.push_back({e, 0});
  return rows;
}

std::vector<GridRow> BivariateRows(int32_t m) {
  const LabelList labels = VariableIndexList(m, {{1, 2}}, {m, m});
  std::vector<GridRow> rows;
  for (const Label& label : labels) {
    GridRow row{-1, 0};
    if (label.size() == 2 && label[0].size() == 1 && label[0][0] == 0) {
      row = {0, 0};
    } else if (label.size() == 2 && label[0].size() == 1 &&
               label[1].size() == 1) {
      row =
          label[0][0] == 1 ? GridRow{label[1][0], 0} : GridRow{0, label[1][0]};
    } else if (label.size() == 2 && label[0].size() == 2 &&
               label[1].size() == 2) {
      row = {label[1][0], label[1][1]};
    }
    rows.push_back(row);
  }
  return rows;
}

}  // namespace unionbound::sharp

#include "sharp/moments/count_simplex.h"

#include <ClpSimplex.hpp>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstddef>
#include <limits>
#include <unordered_set>
#include <utility>

namespace unionbound::sharp {
namespace {

constexpr int32_t kPivotLimit = 100000;
// After this many pivots in a row that do not move, Bland's rule takes over
// so that the method cannot cycle.
constexpr int32_t kStallBeforeBland = 40;
// Duals below this magnitude could underflow in the floating-point pricing;
// such a pass prices every column exactly.
constexpr double kTinyDual = 1e-280;
// kComposite minimises the cost plus kArtificialWeight times the artificial
// values: it usually reaches a feasible basis close to the optimum, and
// kFeasibility finishes whatever it leaves.
constexpr int32_t kArtificialWeight = 1 << 20;
// The floating-point column generation that finds the exact method's first
// basis stops after this many passes of pricing, or once it has priced as
// many count vectors as kPresolveGrids passes over the whole grid and
// kPresolveCounts more would.
// Its passes cost little beside the exact method's (a pivot in rational
// arithmetic and a pricing pass that settles every count vector whose sign
// the doubles leave open), so it runs until it converges where it can.
constexpr int32_t kPresolveRounds = 2000;
constexpr int64_t kPresolveGrids = 16;
constexpr int64_t kPresolveCounts = int64_t{1} << 24;

enum class Phase { kComposite, kFeasibility, kOptimality };

struct Candidate {
  bool found = false;
  CountVariable variable{VariableKind::kPoint, 0};
  double score = 0.0;
  long order = 0;
};

// The counts of point `code` in mixed radix sizes[g] + 1.
IndexVector Decode(int64_t code, const IndexVector& sizes) {
  IndexVector counts(sizes.size());
  for (size_t g = sizes.size(); g-- > 0;) {
    counts[g] = static_cast<int32_t>(code % (sizes[g] + 1));
    code /= sizes[g] + 1;
  }
  return counts;
}

// Whether count vector `code` makes the program's target happen: for the
// union every one but 0, else by the total of its counts.
bool Targeted(const CountProgram& p, int64_t code) {
  if (p.target.r == 1 && !p.target.exactly) return code != 0;
  int32_t total = 0;
  for (size_t g = p.sizes.size(); g-- > 0;) {
    total += static_cast<int32_t>(code % (p.sizes[g] + 1));
    code /= p.sizes[g] + 1;
  }
  return Counts(p.target, total);
}

int64_t Encode(const IndexVector& counts, const IndexVector& sizes) {
  int64_t code = 0;
  for (size_t g = 0; g < sizes.size(); ++g) {
    code = code * (sizes[g] + 1) + counts[g];
  }
  return code;
}

// The count vectors of a program and their entries: exact binomials for the
// exact columns, doubles for pricing, and one pricing pass over every count
// vector that contracts the duals group by group.
class PointScanner {
 public:
  explicit PointScanner(const CountProgram& program)
      : p_(program), groups_(static_cast<int32_t>(program.sizes.size())) {
    for (const IndexVector& row : p_.rows) {
      for (int32_t a : row) maxOrder_ = std::max(maxOrder_, a);
    }
    int32_t maxSize = 0;
    for (int32_t s : p_.sizes) maxSize = std::max(maxSize, s);
    points_ = static_cast<int64_t>(CountPointCount(p_.sizes));
    const int32_t width = maxOrder_ + 1;
    binomials_.assign(static_cast<size_t>(maxSize + 1) * width, 0);
    binomialDoubles_.assign(binomials_.size(), 0.0);
    for (int32_t k = 0; k <= maxSize; ++k) {
      for (int32_t e = 0; e <= maxOrder_ && e <= k; ++e) {
        mpz_class& b = binomials_[static_cast<size_t>(k) * width + e];
        mpz_bin_uiui(b.get_mpz_t(), static_cast<unsigned long>(k),
                     static_cast<unsigned long>(e));
        // get_d truncates: within a relative 2^-52 of the exact value.
        binomialDoubles_[static_cast<size_t>(k) * width + e] = b.get_d();
      }
    }
    // Each row's place in the dense tensor of duals over the orders.
    offset_.assign(p_.rows.size(), -1);
    for (size_t r = 0; r < p_.rows.size(); ++r) {
      if (p_.rows[r].empty()) continue;
      size_t at = 0;
      for (int32_t a : p_.rows[r]) at = at * width + a;
      offset_[r] = static_cast<long>(at);
    }
    inner_ = p_.sizes[groups_ - 1] + 1;
    prefixes_ = points_ / inner_;
  }

  int64_t Points() const { return points_; }
  int64_t Prefixes() const { return prefixes_; }
  int32_t Groups() const { return groups_; }
  int32_t MaxOrder() const { return maxOrder_; }

  const mpz_class& Binomial(int32_t k, int32_t e) const {
    return binomials_[static_cast<size_t>(k) * (maxOrder_ + 1) + e];
  }
  double BinomialDouble(int32_t k, int32_t e) const {
    return binomialDoubles_[static_cast<size_t>(k) * (maxOrder_ + 1) + e];
  }

  // The count-vector part of the column of `code`, exactly.
  std::vector<mpz_class> Column(int64_t code) const {
    std::vector<mpz_class> a(p_.rows.size());
    const IndexVector counts = Decode(code, p_.sizes);
    for (size_t t = 0; t < p_.rows.size(); ++t) {
      const IndexVector& row = p_.rows[t];
      if (row.empty()) continue;
      mpz_class entry = 1;
      for (int32_t g = 0; g < groups_ && sgn(entry) != 0; ++g) {
        if (row[g] > counts[g]) {
          entry = 0;
        } else if (row[g] > 0) {
          entry *= Binomial(counts[g], row[g]);
        }
      }
      a[t] = entry;
    }
    return a;
  }

  // The same in doubles.
  std::vector<double> ColumnDouble(int64_t code) const {
    std::vector<double> a(p_.rows.size(), 0.0);
    const IndexVector counts = Decode(code, p_.sizes);
    for (size_t t = 0; t < p_.rows.size(); ++t) {
      const IndexVector& row = p_.rows[t];
      if (row.empty()) continue;
      double entry = 1.0;
      for (int32_t g = 0; g < groups_; ++g) {
        entry *= row[g] > counts[g] ? 0.0 : BinomialDouble(counts[g], row[g]);
      }
      a[t] = entry;
    }
    return a;
  }

  // For every count vector, from prefix block `first` on (wrapping around),
  // visit(code, s, magnitude, bound) with s = A_code . y in doubles,
  // magnitude() = A_code . |y| the same way, computed only when called (most
  // count vectors are settled by s alone), and bound >= magnitude() over
  // the block; visit returns true to stop at once. After each
  // block of count vectors that share all but the last group's count,
  // blockDone(prefix) returns true to stop there.
  // levels[h]: the duals with the orders of groups 0 .. h - 1 contracted
  // at the current counts (level 0 the duals themselves, by cell);
  // magnitudes the same for |y|; restCells[h] the cells of level h.
  void StartLevels(const std::vector<double>& y,
                   std::vector<std::vector<double>>* levels,
                   std::vector<std::vector<double>>* magnitudes,
                   std::vector<size_t>* restCells) const {
    const size_t width = static_cast<size_t>(maxOrder_) + 1;
    levels->assign(groups_ + 1, {});
    magnitudes->assign(groups_ + 1, {});
    restCells->assign(groups_ + 1, 1);
    for (int32_t h = groups_ - 1; h >= 0; --h) {
      (*restCells)[h] = (*restCells)[h + 1] * width;
    }
    for (int32_t h = 0; h <= groups_; ++h) {
      (*levels)[h].assign((*restCells)[h], 0.0);
      (*magnitudes)[h].assign((*restCells)[h], 0.0);
    }
    for (size_t t = 0; t < p_.rows.size(); ++t) {
      if (offset_[t] < 0) continue;
      (*levels)[0][offset_[t]] = y[t];
      (*magnitudes)[0][offset_[t]] = std::fabs(y[t]);
    }
  }

  template <class Visit, class BlockDone>
  void Scan(const std::vector<double>& y, int64_t first, Visit visit,
            BlockDone blockDone) const {
    std::vector<std::vector<double>> levels;
    std::vector<std::vector<double>> magnitudes;
    std::vector<size_t> restCells;
    StartLevels(y, &levels, &magnitudes, &restCells);
    const int32_t last = groups_ - 1;
    const IndexVector sizesBefore(p_.sizes.begin(), p_.sizes.end() - 1);
    IndexVector previous;
    for (int64_t step = 0; step < prefixes_; ++step) {
      const int64_t prefix = (first + step) % prefixes_;
      const IndexVector counts = Decode(prefix, sizesBefore);
      int32_t changed = 0;
      if (previous.size() == counts.size()) {
        while (changed < last && counts[changed] == previous[changed]) {
          ++changed;
        }
      }
      for (int32_t h = changed; h < last; ++h) {
        Contract(levels[h], counts[h], restCells[h + 1], &levels[h + 1]);
        Contract(magnitudes[h], counts[h], restCells[h + 1],
                 &magnitudes[h + 1]);
      }
      previous = counts;
      const std::vector<double>& w = levels[last];
      const std::vector<double>& wa = magnitudes[last];
      // magnitude() of the block's largest count bounds every other's: the
      // binomials grow with the count and the terms are not negative, and
      // rounding keeps that order.
      double bound = 0.0;
      {
        const int32_t j = p_.sizes[last];
        const double* c =
            binomialDoubles_.data() + static_cast<size_t>(j) * (maxOrder_ + 1);
        for (int32_t a = 0; a <= std::min(j, maxOrder_); ++a) {
          bound += c[a] * wa[a];
        }
      }
      for (int32_t j = 0; j < inner_; ++j) {
        const int32_t top = std::min(j, maxOrder_);
        const double* c =
            binomialDoubles_.data() + static_cast<size_t>(j) * (maxOrder_ + 1);
        double s = 0.0;
        for (int32_t a = 0; a <= top; ++a) s += c[a] * w[a];
        auto magnitude = [&] {
          double sum = 0.0;
          for (int32_t a = 0; a <= top; ++a) sum += c[a] * wa[a];
          return sum;
        };
        if (visit(prefix * inner_ + j, s, magnitude, bound)) return;
      }
      if (blockDone(prefix)) return;
    }
  }

  // The same over a sub-grid: the count vectors whose count of group g is
  // one of counts[g] (each list ascending), in the same order, with
  // blockDone(prefix) after each block of the last group's counts.
  template <class Visit, class BlockDone>
  void ScanGrid(const std::vector<double>& y,
                const std::vector<IndexVector>& counts, Visit visit,
                BlockDone blockDone) const {
    std::vector<std::vector<double>> levels;
    std::vector<std::vector<double>> magnitudes;
    std::vector<size_t> restCells;
    StartLevels(y, &levels, &magnitudes, &restCells);
    const int32_t last = groups_ - 1;
    for (int32_t g = 0; g < groups_; ++g) {
      if (counts[g].empty()) return;
    }
    IndexVector at(static_cast<size_t>(groups_), 0);  // places in counts[g]
    int32_t changed = 0;
    while (true) {
      int64_t prefix = 0;
      for (int32_t h = 0; h < last; ++h) {
        prefix = prefix * (p_.sizes[h] + 1) + counts[h][at[h]];
      }
      for (int32_t h = changed; h < last; ++h) {
        Contract(levels[h], counts[h][at[h]], restCells[h + 1], &levels[h + 1]);
        Contract(magnitudes[h], counts[h][at[h]], restCells[h + 1],
                 &magnitudes[h + 1]);
      }
      const std::vector<double>& w = levels[last];
      const std::vector<double>& wa = magnitudes[last];
      // magnitude() of the block's largest count bounds every other's: the
      // binomials grow with the count and the terms are not negative, and
      // rounding keeps that order.
      double bound = 0.0;
      {
        const int32_t j = p_.sizes[last];
        const double* c =
            binomialDoubles_.data() + static_cast<size_t>(j) * (maxOrder_ + 1);
        for (int32_t a = 0; a <= std::min(j, maxOrder_); ++a) {
          bound += c[a] * wa[a];
        }
      }
      for (const int32_t j : counts[last]) {
        const int32_t top = std::min(j, maxOrder_);
        const double* c =
            binomialDoubles_.data() + static_cast<size_t>(j) * (maxOrder_ + 1);
        double s = 0.0;
        for (int32_t a = 0; a <= top; ++a) s += c[a] * w[a];
        auto magnitude = [&] {
          double sum = 0.0;
          for (int32_t a = 0; a <= top; ++a) sum += c[a] * wa[a];
          return sum;
        };
        if (visit(prefix * inner_ + j, s, magnitude, bound)) return;
      }
      if (blockDone(prefix)) return;
      // The next prefix: the odometer over the places, the last of the
      // leading groups fastest.
      int32_t h = last - 1;
      while (h >= 0 && at[h] + 1 == static_cast<int32_t>(counts[h].size())) {
        at[h] = 0;
        --h;
      }
      if (h < 0) return;
      ++at[h];
      changed = h;
    }
  }

 private:
  // to[rest] = sum over a of C(i, a) * from[a, rest]: the tensor of duals
  // with one group's order contracted at count i.
  void Contract(const std::vector<double>& from, int32_t i, size_t restCells,
                std::vector<double>* to) const {
    std::fill(to->begin(), to->begin() + restCells, 0.0);
    const int32_t top = std::min(i, maxOrder_);
    for (int32_t a = 0; a <= top; ++a) {
      const double c = BinomialDouble(i, a);
      const double* f = from.data() + a * restCells;
      for (size_t r = 0; r < restCells; ++r) (*to)[r] += c * f[r];
    }
  }

  const CountProgram& p_;
  const int32_t groups_;
  int32_t maxOrder_ = 0;
  int64_t points_ = 0;
  int64_t inner_ = 1;
  int64_t prefixes_ = 1;
  std::vector<mpz_class> binomials_;
  std::vector<double> binomialDoubles_;
  std::vector<long> offset_;  // each row's cell in the tensor of duals
};

// Column generation in floating point with CLP: a restricted master over a
// few count vectors (and the extra columns), re-solved from its last basis
// after each pass of pricing adds the most improving of them (over ever
// finer sub-grids, see Run).
// It finds a basis at or near the optimum, from which the exact method needs
// few pivots of its own. Nothing it computes enters a result: the exact
// method takes its basis only as a place to start, and proves or repairs it.
class FloatPresolve {
 public:
  FloatPresolve(const CountProgram& program, const PointScanner& scanner,
                const CountSolveOptions& options)
      : p_(program),
        rows_(program.rows.size()),
        scanner_(scanner),
        firstSubGridPoints_(options.firstSubGridPoints),
        deadline_(options.deadline) {
    // Row r divided by its right-hand side, so that every moment row asks
    // for 1 and the primal tolerance and the artificial columns' cost weigh
    // all rows alike. High-order moments of rare or weakly dependent events
    // lie many orders of magnitude below the first ones: scaled only by the
    // size of their entries, such rows would be met within the tolerance by
    // the artificial columns alone, leaving the exact method thousands of
    // pivots of repair. The scale stops where the full count
    // vector's entry would pass kLargestScaledEntry, and a row asking for 0
    // is divided by that entry.
    rowScale_.assign(rows_, 1.0);
    const std::vector<double> full =
        scanner_.ColumnDouble(scanner_.Points() - 1);
    for (size_t t = 0; t < rows_; ++t) {
      if (p_.rows[t].empty() || !(full[t] > 0.0)) continue;
      const double rhs = std::fabs(p_.rhs[t].get_d());
      rowScale_[t] = rhs > 0.0
                         ? 1.0 / std::max(rhs, full[t] / kLargestScaledEntry)
                         : 1.0 / full[t];
    }
    model_.setLogLevel(0);
    // Rows scaled to ask for 1 and a tight primal tolerance: the master's
    // optimum is then mostly the exact one, and the exact method needs no
    // pivots to prove it.
    model_.setPrimalTolerance(1e-12);
    model_.setDualTolerance(1e-10);
    model_.resize(static_cast<int>(rows_), 0);
    for (size_t t = 0; t < rows_; ++t) {
      const double b = p_.rhs[t].get_d() * rowScale_[t];
      model_.setRowBounds(static_cast<int>(t), b, b);
    }
    // Two artificial columns per row keep every master feasible.
    for (size_t t = 0; t < rows_; ++t) {
      for (const double sign : {1.0, -1.0}) {
        const int row = static_cast<int>(t);
        model_.addColumn(1, &row, &sign, 0.0, COIN_DBL_MAX, kArtificialCost);
        columns_.push_back({VariableKind::kArtificial, 0});
      }
    }
    for (size_t e = 0; e < p_.extra.size(); ++e) {
      std::vector<int> rows;
      std::vector<double> values;
      for (const auto& [row, value] : p_.extra[e].entries) {
        rows.push_back(row);
        values.push_back(value.get_d() * rowScale_[row]);
      }
      model_.addColumn(static_cast<int>(rows.size()), rows.data(),
                       values.data(), 0.0, COIN_DBL_MAX, p_.extra[e].cost);
      columns_.push_back({VariableKind::kExtra, static_cast<int64_t>(e)});
    }
  }

  // The basis reached within maxRounds passes of pricing: count vectors and
  // extra columns (the rows where it keeps a slack or an artificial column
  // are left out).
  std::vector<CountVariable> Run(int32_t maxRounds) {
    AddPoints(StartPoints());
    const size_t keep = std::max<size_t>(64, 4 * rows_);
    // Coarse to fine: the master first meets only the count vectors on a
    // sub-grid (every stride-th count of each group, and the group's size),
    // and each time no column there improves it the stride halves, down to
    // the whole grid. Most rounds then price a small sub-grid, and those
    // over the whole grid start near its optimum.
    //
    // On each finer sub-grid, rounds first price only the count vectors near
    // the master's basic ones (within two strides in every group), where the
    // coarser optimum moves to, and a round over the whole sub-grid only
    // once those offer nothing.
    int32_t stride = 1;
    while (SubGridPoints(stride) > firstSubGridPoints_) stride *= 2;
    const int32_t firstStride = stride;
    std::vector<IndexVector> grid = SubGrid(stride);
    bool local = false;
    const int64_t budget = kPresolveGrids * scanner_.Points() + kPresolveCounts;
    int64_t priced = 0;
    bool solvedOnce = false;
    for (int32_t round = 0; round < maxRounds && priced < budget &&
                            std::chrono::steady_clock::now() < deadline_;
         ++round) {
      model_.primal(0, round == 0 ? 0 : kKeepWorkAreas);
      solvedOnce = true;
      // Re-optimising after many added columns can end "optimal" with
      // columns well below 0 (a loss of accuracy in the updated
      // factorisation); the same master solved afresh is sound.
      if (!MasterSolved()) {
        model_.allSlackBasis(true);
        model_.primal(0, 0);
      }
      const double* scaled = model_.dualRowSolution();
      std::vector<double> y(rows_);
      for (size_t t = 0; t < rows_; ++t) y[t] = scaled[t] * rowScale_[t];
      std::vector<std::pair<double, int64_t>> found;  // a max-heap on d
      auto offer = [&](const std::pair<double, int64_t>& candidate) {
        if (found.size() < keep || candidate.first < found.front().first) {
          found.push_back(candidate);
          std::push_heap(found.begin(), found.end());
          if (found.size() > keep) {
            std::pop_heap(found.begin(), found.end());
            found.pop_back();
          }
        }
      };
      // Where there are enough blocks (all but the last group's count
      // fixed), only the best count vector of each competes for the places:
      // the most improving columns overall crowd around one point, the
      // blocks' best spread over the grid, and the master needs fewer
      // rounds.
      const bool byBlock = !local && Blocks(grid) >= keep;
      std::pair<double, int64_t> blockBest{0.0, -1};
      auto visit = [&](int64_t code, double s, auto magnitude, double) {
        ++priced;
        const double d = (Targeted(p_, code) ? p_.pointCost : 0.0) - s;
        // magnitude() >= 0: d >= -kTolerance already settles it.
        if (d < -kTolerance && d < -kRelativeTolerance * (1.0 + magnitude()) &&
            (blockBest.second < 0 || d < blockBest.first) &&
            !inMaster_.contains(code)) {
          if (byBlock) {
            blockBest = {d, code};
          } else {
            offer({d, code});
          }
        }
        return false;
      };
      auto blockDone = [&](int64_t) {
        if (blockBest.second >= 0) offer(blockBest);
        blockBest = {0.0, -1};
        return false;
      };
      if (local) {
        for (const int64_t code : BasicPoints()) {
          scanner_.ScanGrid(y, Around(code, stride), visit, blockDone);
        }
        if (found.empty()) {
          local = false;
          continue;
        }
      } else {
        scanner_.ScanGrid(y, grid, visit, blockDone);
        if (found.empty()) {
          if (stride == 1) break;
          stride /= 2;
          grid = SubGrid(stride);
          local = true;
          continue;
        }
        local = stride < firstStride;
      }
      Purge();
      std::vector<int64_t> codes;
      for (const auto& entry : found) codes.push_back(entry.second);
      AddPoints(codes);
    }
    std::vector<CountVariable> basis;
    if (!solvedOnce) return basis;  // the deadline had passed already
    for (size_t c = 0; c < columns_.size(); ++c) {
      if (columns_[c].kind != VariableKind::kArtificial &&
          model_.getColumnStatus(static_cast<int>(c)) == ClpSimplex::basic) {
        basis.push_back(columns_[c]);
      }
    }
    return basis;
  }

 private:
  // Every stride-th count of each group, and its size.
  std::vector<IndexVector> SubGrid(int32_t stride) const {
    std::vector<IndexVector> grid;
    for (const int32_t size : p_.sizes) {
      IndexVector counts;
      for (int32_t i = 0; i < size; i += stride) counts.push_back(i);
      counts.push_back(size);
      grid.push_back(counts);
    }
    return grid;
  }

  // The count vectors within two strides of count vector `code` in every
  // group, a stride apart.
  std::vector<IndexVector> Around(int64_t code, int32_t stride) const {
    const IndexVector center = Decode(code, p_.sizes);
    std::vector<IndexVector> box(center.size());
    for (size_t g = 0; g < center.size(); ++g) {
      for (int32_t k = -2; k <= 2; ++k) {
        const int32_t i = center[g] + k * stride;
        if (i >= 0 && i <= p_.sizes[g]) box[g].push_back(i);
      }
    }
    return box;
  }

  // The first columns of the master: the count vectors 0 and full; for
  // every row, the count vector equal to its orders (so each row has a
  // column of entry 1 on it that reaches no higher row, and the first
  // masters are feasible without artificial columns far sooner); and the
  // whole of the coarsest sub-grid of at most kStartGridPoints count
  // vectors, which spreads the first basis over the grid.
  std::vector<int64_t> StartPoints() const {
    std::vector<int64_t> start{0, scanner_.Points() - 1};
    for (const IndexVector& row : p_.rows) {
      if (!row.empty()) start.push_back(Encode(row, p_.sizes));
    }
    int32_t stride = 1;
    while (SubGridPoints(stride) > kStartGridPoints) stride *= 2;
    if (SubGridPoints(stride) == 0) return start;
    const std::vector<IndexVector> grid = SubGrid(stride);
    IndexVector at(grid.size(), 0);  // places in grid[g], an odometer
    IndexVector counts(grid.size());
    while (true) {
      for (size_t g = 0; g < grid.size(); ++g) counts[g] = grid[g][at[g]];
      start.push_back(Encode(counts, p_.sizes));
      size_t h = grid.size();
      while (h > 0 &&
             at[h - 1] + 1 == static_cast<int32_t>(grid[h - 1].size())) {
        at[--h] = 0;
      }
      if (h == 0) return start;
      ++at[h - 1];
    }
  }

  // Whether the master's last solve is optimal with every column within
  // kNegativeValue of its lower bound 0.
  bool MasterSolved() const {
    if (model_.status() != 0) return false;
    const double* x = model_.primalColumnSolution();
    for (size_t c = 0; c < columns_.size(); ++c) {
      if (x[c] < -kNegativeValue) return false;
    }
    return true;
  }

  // The count vectors basic in the master.
  std::vector<int64_t> BasicPoints() {
    std::vector<int64_t> codes;
    for (size_t c = 0; c < columns_.size(); ++c) {
      if (columns_[c].kind == VariableKind::kPoint &&
          model_.getColumnStatus(static_cast<int>(c)) == ClpSimplex::basic) {
        codes.push_back(columns_[c].index);
      }
    }
    return codes;
  }

  // The number of blocks of a sub-grid: its count vectors that differ only
  // in the last group's count make one.
  static size_t Blocks(const std::vector<IndexVector>& grid) {
    size_t blocks = 1;
    for (size_t g = 0; g + 1 < grid.size(); ++g) blocks *= grid[g].size();
    return blocks;
  }

  // The number of count vectors of SubGrid(stride), or 0 once the stride
  // reaches every group's size (no coarser sub-grid is left).
  int64_t SubGridPoints(int32_t stride) const {
    int64_t points = 1;
    bool coarser = false;
    for (const int32_t size : p_.sizes) {
      points *= (size + stride - 1) / stride + 1;
      coarser = coarser || stride < size;
    }
    return coarser ? points : 0;
  }

  void AddPoints(const std::vector<int64_t>& codes) {
    std::vector<CoinBigIndex> starts{0};
    std::vector<int> rows;
    std::vector<double> values;
    std::vector<double> costs;
    for (const int64_t code : codes) {
      if (!inMaster_.insert(code).second) continue;
      const std::vector<double> a = scanner_.ColumnDouble(code);
      for (size_t t = 0; t < rows_; ++t) {
        if (a[t] == 0.0) continue;
        rows.push_back(static_cast<int>(t));
        values.push_back(a[t] * rowScale_[t]);
      }
      starts.push_back(static_cast<CoinBigIndex>(rows.size()));
      costs.push_back(Targeted(p_, code) ? p_.pointCost : 0.0);
      columns_.push_back({VariableKind::kPoint, code});
    }
    const int added = static_cast<int>(costs.size());
    if (added == 0) return;
    const std::vector<double> lower(costs.size(), 0.0);
    const std::vector<double> upper(costs.size(), COIN_DBL_MAX);
    model_.addColumns(added, lower.data(), upper.data(), costs.data(),
                      starts.data(), rows.data(), values.data());
  }

  // Keeps the master small, so that each solve prices few columns: past
  // kMasterPerRow columns per row, the count vectors out of the basis with
  // the largest reduced costs leave it (they may come back in a later pass).
  void Purge() {
    const size_t limit = kMasterPerRow * rows_;
    if (columns_.size() <= limit) return;
    const double* reduced = model_.dualColumnSolution();
    std::vector<std::pair<double, int>> out;
    for (size_t c = 0; c < columns_.size(); ++c) {
      if (columns_[c].kind == VariableKind::kPoint &&
          model_.getColumnStatus(static_cast<int>(c)) != ClpSimplex::basic) {
        out.emplace_back(-reduced[c], static_cast<int>(c));
      }
    }
    const size_t drop = std::min(out.size(), columns_.size() - limit / 2);
    std::partial_sort(out.begin(), out.begin() + drop, out.end());
    std::vector<int> columns;
    for (size_t k = 0; k < drop; ++k) columns.push_back(out[k].second);
    std::sort(columns.begin(), columns.end());
    model_.deleteColumns(static_cast<int>(columns.size()), columns.data());
    std::vector<CountVariable> kept;
    size_t next = 0;
    for (size_t c = 0; c < columns_.size(); ++c) {
      if (next < columns.size() && columns[next] == static_cast<int>(c)) {
        inMaster_.erase(columns_[c].index);
        ++next;
      } else {
        kept.push_back(columns_[c]);
      }
    }
    columns_ = std::move(kept);
  }

  // A count vector enters the master when its reduced cost is below
  // -kTolerance and below -kRelativeTolerance times the magnitude of its
  // terms (well above their rounding error).
  static constexpr double kTolerance = 1e-9;
  static constexpr double kRelativeTolerance = 1e-12;
  static constexpr double kLargestScaledEntry = 1e8;
  static constexpr double kNegativeValue = 1e-9;
  static constexpr int64_t kStartGridPoints = 500;
  static constexpr double kArtificialCost = 1e4;
  static constexpr size_t kMasterPerRow = 20;
  static constexpr int kKeepWorkAreas = 1;
  const CountProgram& p_;
  const size_t rows_;
  const PointScanner& scanner_;
  const int64_t firstSubGridPoints_;
  const std::chrono::steady_clock::time_point deadline_;
  ClpSimplex model_;
  std::vector<double> rowScale_;
  std::vector<CountVariable> columns_;  // by CLP column
  std::unordered_set<int64_t> inMaster_;
};

class Solver {
 public:
  Solver(const CountProgram& program, CountSimplexState* state,
         const CountSolveOptions& options)
      : options_(options),
        p_(program),
        rows_(program.rows.size()),
        groups_(static_cast<int32_t>(program.sizes.size())),
        state_(state),
        scanner_(program) {}

  CountSimplexResult Run() {
    const bool fresh =
        !(state_->basis.size() == rows_ && state_->adjugate.size() == rows_);
    Start();
    if (fresh) {
      FloatPresolve presolve(p_, scanner_, options_);
      Install(presolve.Run(kPresolveRounds));
    }
    CountSimplexResult result;
    if (HasPositiveArtificial()) {
      if (!Iterate(Phase::kComposite, &result)) return Finish(result);
      if (!Iterate(Phase::kFeasibility, &result)) return Finish(result);
      const Rational infeasibility = ArtificialSum();
      if (sgn(infeasibility) > 0) {
        result.status = SimplexStatus::kInfeasible;
        result.y = Duals(Phase::kFeasibility);
        result.margin = infeasibility;
        return Finish(result);
      }
    }
    if (TrivialOptimum(&result)) return Finish(result);
    if (!Iterate(Phase::kOptimality, &result)) return Finish(result);
    result.status = SimplexStatus::kOptimal;
    result.y = Duals(Phase::kOptimality);
    result.value = 0;
    for (size_t b = 0; b < rows_; ++b) {
      const int32_t c = Cost(basis_[b], Phase::kOptimality);
      if (c != 0) result.value += c * x_[b];
    }
    return Finish(result);
  }

 private:
  // The state's basis where it still fits the program, artificial columns
  // elsewhere, and every negative basic value turned positive by flipping
  // the sign of an artificial column (a real one that is negative becomes
  // one).
  void Start() {
    if (state_->basis.size() == rows_ && state_->adjugate.size() == rows_) {
      basis_ = state_->basis;
      adjugate_ = state_->adjugate;
      determinant_ = state_->determinant;
      for (const CountVariable& v : basis_) {
        if (v.kind == VariableKind::kArtificial) {
          nextArtificial_ = std::max(nextArtificial_, v.index + 1);
        }
      }
      for (CountVariable& v : basis_) Refit(state_->sizes, &v);
    } else {
      basis_.clear();
      adjugate_.assign(rows_, std::vector<mpz_class>(rows_));
      determinant_ = 1;
      for (size_t t = 0; t < rows_; ++t) {
        basis_.push_back({VariableKind::kArtificial, 0});
        MakeArtificial(&basis_.back());
        adjugate_[t][t] = 1;
      }
    }
    ComputeValues();
  }

  // The basic values from the inverse; a negative one is made positive by
  // flipping the sign of its row (an artificial column's sign).
  void ComputeValues() {
    x_.assign(rows_, Rational(0));
    for (size_t b = 0; b < rows_; ++b) {
      for (size_t t = 0; t < rows_; ++t) {
        if (sgn(adjugate_[b][t]) != 0 && sgn(p_.rhs[t]) != 0) {
          x_[b] += adjugate_[b][t] * p_.rhs[t];
        }
      }
      x_[b] /= determinant_;
      // Negating the row of the inverse negates the basic column: the
      // representation stays adjugate / determinant up to the common sign.
      if (sgn(x_[b]) < 0) {
        if (basis_[b].kind != VariableKind::kArtificial) {
          MakeArtificial(&basis_[b]);
        }
        x_[b] = -x_[b];
        for (mpz_class& q : adjugate_[b]) q = -q;
      }
    }
  }

  // Brings the columns of `basis` into the basis one by one, each in place
  // of an artificial column (Gauss-Jordan elimination in exact pivots);
  // a column that depends on those before it is left out.
  void Install(const std::vector<CountVariable>& basis) {
    for (const CountVariable& v : basis) {
      if (v.kind == VariableKind::kArtificial) continue;
      const std::vector<mpz_class> d = Direction(v);
      long leave = -1;
      for (size_t b = 0; b < rows_; ++b) {
        if (basis_[b].kind == VariableKind::kArtificial && sgn(d[b]) != 0 &&
            (leave < 0 ||
             mpz_cmpabs(d[b].get_mpz_t(), d[leave].get_mpz_t()) < 0)) {
          leave = static_cast<long>(b);
        }
      }
      if (leave >= 0) Pivot(static_cast<size_t>(leave), v, d, false);
    }
    ComputeValues();
  }

  // A variable of the previous program in this one's numbering, or an
  // artificial column where it has no place here.
  void Refit(const IndexVector& oldSizes, CountVariable* v) {
    if (v->kind == VariableKind::kExtra &&
        static_cast<size_t>(v->index) >= p_.extra.size()) {
      MakeArtificial(v);
    }
    if (v->kind != VariableKind::kPoint) return;
    if (oldSizes.size() != p_.sizes.size()) {
      MakeArtificial(v);
      return;
    }
    const IndexVector counts = Decode(v->index, oldSizes);
    for (size_t g = 0; g < counts.size(); ++g) {
      if (counts[g] > p_.sizes[g]) {
        MakeArtificial(v);
        return;
      }
    }
    v->index = Encode(counts, p_.sizes);
  }

  void MakeArtificial(CountVariable* v) {
    *v = {VariableKind::kArtificial, nextArtificial_++};
  }

  bool IsBasicPoint(int64_t code) const {
    for (const CountVariable& v : basis_) {
      if (v.kind == VariableKind::kPoint && v.index == code) return true;
    }
    return false;
  }

  // Whether the feasible basis is optimal because its value is the least
  // that any solution has: with the zero order's row (every count vector's
  // probability, adding up to 1) and extra columns of cost >= 0 outside it,
  // cost . x >= min(0, pointCost). Then the dual min(0, pointCost) on that
  // row and 0 elsewhere proves it, and no pricing pass is needed; such a
  // pass would find every count vector of that cost tied at reduced cost 0
  // and settle each in rational arithmetic (an upper bound of 1 on the
  // union, common where the data allow it, ties all but one).
  bool TrivialOptimum(CountSimplexResult* result) const {
    if (rows_ == 0 || p_.rhs[0] != 1 || p_.rows[0].empty()) return false;
    for (const int32_t a : p_.rows[0]) {
      if (a != 0) return false;
    }
    for (const ExtraColumn& e : p_.extra) {
      if (e.cost < 0) return false;
      for (const auto& entry : e.entries) {
        if (entry.first == 0) return false;
      }
    }
    const int32_t least = std::min(0, p_.pointCost);
    Rational value = 0;
    for (size_t b = 0; b < rows_; ++b) {
      const int32_t c = Cost(basis_[b], Phase::kOptimality);
      if (c != 0) value += c * x_[b];
    }
    if (value != least) return false;
    result->status = SimplexStatus::kOptimal;
    result->value = value;
    result->y.assign(rows_, Rational(0));
    result->y[0] = least;
    return true;
  }

  bool HasPositiveArtificial() const {
    for (size_t b = 0; b < rows_; ++b) {
      if (basis_[b].kind == VariableKind::kArtificial && sgn(x_[b]) > 0) {
        return true;
      }
    }
    return false;
  }

  Rational ArtificialSum() const {
    Rational s = 0;
    for (size_t b = 0; b < rows_; ++b) {
      if (basis_[b].kind == VariableKind::kArtificial) s += x_[b];
    }
    return s;
  }

  int32_t PointCost(int64_t code, Phase phase) const {
    return (phase == Phase::kFeasibility || !Targeted(p_, code)) ? 0
                                                                 : p_.pointCost;
  }

  int32_t Cost(const CountVariable& v, Phase phase) const {
    if (phase == Phase::kFeasibility) {
      return v.kind == VariableKind::kArtificial ? 1 : 0;
    }
    if (phase == Phase::kComposite && v.kind == VariableKind::kArtificial) {
      return kArtificialWeight;
    }
    switch (v.kind) {
      case VariableKind::kPoint:
        return PointCost(v.index, phase);
      case VariableKind::kExtra:
        return p_.extra[v.index].cost;
      case VariableKind::kArtificial:
        return 0;
    }
    return 0;
  }

  // The duals times the determinant: integers.
  std::vector<mpz_class> DualNumerators(Phase phase) const {
    std::vector<mpz_class> y(rows_);
    for (size_t b = 0; b < rows_; ++b) {
      const int32_t c = Cost(basis_[b], phase);
      if (c == 0) continue;
      for (size_t t = 0; t < rows_; ++t) {
        if (sgn(adjugate_[b][t]) != 0) y[t] += c * adjugate_[b][t];
      }
    }
    return y;
  }

  RationalVector Duals(Phase phase) const {
    const std::vector<mpz_class> numerators = DualNumerators(phase);
    RationalVector y;
    for (const mpz_class& v : numerators) {
      Rational q(v, determinant_);
      q.canonicalize();
      y.push_back(q);
    }
    return y;
  }

  // v / determinant as a double, within a few units in the last place.
  double Quotient(const mpz_class& v) const {
    if (sgn(v) == 0) return 0.0;
    long ev = 0;
    long ed = 0;
    const double mv = mpz_get_d_2exp(&ev, v.get_mpz_t());
    const double md = mpz_get_d_2exp(&ed, determinant_.get_mpz_t());
    const long shift = ev - ed;
    if (shift > 2000) return std::numeric_limits<double>::infinity();
    if (shift < -2000) return 0.0;
    return std::ldexp(mv / md, static_cast<int>(shift));
  }

  std::vector<mpz_class> Column(const CountVariable& v) const {
    if (v.kind == VariableKind::kPoint) return scanner_.Column(v.index);
    std::vector<mpz_class> a(rows_);
    if (v.kind == VariableKind::kExtra) {
      for (const auto& [row, value] : p_.extra[v.index].entries) {
        a[row] = value;
      }
    }
    return a;
  }

  long Order(const CountVariable& v) const {
    switch (v.kind) {
      case VariableKind::kExtra:
        return static_cast<long>(v.index);
      case VariableKind::kPoint:
        return static_cast<long>(p_.extra.size()) + static_cast<long>(v.index);
      case VariableKind::kArtificial:
        return std::numeric_limits<long>::max() / 2 +
               static_cast<long>(v.index);
    }
    return 0;
  }

  // The sign of cost - A_v . y, exactly, from y times the (positive)
  // determinant.
  int ExactReducedCostSign(const CountVariable& v, int32_t cost,
                           const std::vector<mpz_class>& numerators) const {
    const std::vector<mpz_class> a = Column(v);
    mpz_class s = cost * determinant_;
    for (size_t t = 0; t < rows_; ++t) {
      if (sgn(a[t]) != 0) s -= numerators[t] * a[t];
    }
    return sgn(s);
  }

  // The same for count vector `code`, over the rows in `used` (those whose
  // numerator is not 0), without building its column.
  int ExactPointSign(int64_t code, int32_t cost,
                     const std::vector<mpz_class>& numerators,
                     const std::vector<size_t>& used) const {
    IndexVector& counts = counts_;
    counts.resize(static_cast<size_t>(groups_));
    for (int32_t g = groups_; g-- > 0;) {
      counts[g] = static_cast<int32_t>(code % (p_.sizes[g] + 1));
      code /= p_.sizes[g] + 1;
    }
    mpz_mul_si(sum_.get_mpz_t(), determinant_.get_mpz_t(), cost);
    for (const size_t t : used) {
      const IndexVector& row = p_.rows[t];
      mpz_set_ui(entry_.get_mpz_t(), 1);
      bool zero = false;
      for (int32_t g = 0; g < groups_ && !zero; ++g) {
        if (row[g] > counts[g]) {
          zero = true;
        } else if (row[g] > 0) {
          mpz_mul(entry_.get_mpz_t(), entry_.get_mpz_t(),
                  scanner_.Binomial(counts[g], row[g]).get_mpz_t());
        }
      }
      if (!zero) {
        mpz_submul(sum_.get_mpz_t(), numerators[t].get_mpz_t(),
                   entry_.get_mpz_t());
      }
    }
    return sgn(sum_);
  }

  void Offer(const CountVariable& v, double score, bool bland,
             Candidate* best) const {
    const long order = Order(v);
    const bool better =
        !best->found || (bland ? order < best->order : score < best->score);
    if (better) *best = {true, v, score, order};
  }

  // The entering column: the most negative reduced cost, or with Bland's
  // rule the first negative one.
  Candidate Price(Phase phase, bool bland) const {
    const std::vector<mpz_class> y = DualNumerators(phase);
    std::vector<double> yd(rows_);
    bool reliable = true;
    for (size_t t = 0; t < rows_; ++t) {
      yd[t] = Quotient(y[t]);
      if (!std::isfinite(yd[t]) ||
          (sgn(y[t]) != 0 && std::fabs(yd[t]) < kTinyDual)) {
        reliable = false;
      }
    }
    auto exactSign = [&](const CountVariable& v, int32_t cost) {
      return ExactReducedCostSign(v, cost, y);
    };
    std::vector<size_t> used;  // the rows whose dual is not 0
    for (size_t t = 0; t < rows_; ++t) {
      if (sgn(y[t]) != 0 && !p_.rows[t].empty()) used.push_back(t);
    }
    Candidate best;
    for (size_t e = 0; e < p_.extra.size(); ++e) {
      const CountVariable v{VariableKind::kExtra, static_cast<int64_t>(e)};
      const int32_t cost = phase == Phase::kFeasibility ? 0 : p_.extra[e].cost;
      if (exactSign(v, cost) < 0) {
        Rational d = Rational(cost);
        for (const auto& [row, value] : p_.extra[e].entries) {
          d -= Rational(value * y[row]) / determinant_;
        }
        double norm = 0.0;
        for (const auto& entry : p_.extra[e].entries) {
          norm += std::fabs(entry.second.get_d());
        }
        Offer(v, d.get_d() / (norm > 0 ? norm : 1.0), bland, &best);
      }
    }
    if (bland && best.found) return best;  // extras come first in the order
    // Relative error of the floating-point reduced cost against the sum of
    // the magnitudes of its terms: each term is a dual (a few units in the
    // last place), t truncated binomials and t products, and passes t
    // levels of sums of at most maxOrder + 1 terms; with room to spare.
    const double relative = (groups_ * (scanner_.MaxOrder() + 4) + 12.0) *
                            std::ldexp(1.0, -52) * 1.1;
    // Without Bland's rule, a pass may stop once it has a candidate and has
    // seen enough points; it starts where the previous one stopped. A pass
    // that finds nothing has seen every point.
    const int64_t points = scanner_.Points();
    const int64_t enough = bland ? points : std::max<int64_t>(4096, points / 8);
    int64_t seen = 0;
    // A reduced cost above the error that the block's bound on magnitude()
    // allows is positive without computing its own.
    auto visit = [&](int64_t code, double s, auto magnitude, double bound) {
      ++seen;
      const int32_t cost = PointCost(code, phase);
      const double d = cost - s;
      const double costError = std::fabs(cost) * std::ldexp(1.0, -52);
      if (reliable && d > bound * relative + costError) return false;
      const double error = magnitude() * relative + costError;
      if (reliable && d > error) return false;
      const CountVariable v{VariableKind::kPoint, code};
      if (!(reliable && d < -error) &&
          (IsBasicPoint(code) || ExactPointSign(code, cost, y, used) >= 0)) {
        return false;
      }
      Offer(v, std::isfinite(d) ? d : -1.0, bland, &best);
      return bland;  // the first in Bland's order
    };
    auto blockDone = [&](int64_t prefix) {
      if (!best.found || seen < enough) return false;
      priceStart_ = (prefix + 1) % scanner_.Prefixes();
      return true;
    };
    scanner_.Scan(yd, bland ? 0 : priceStart_, visit, blockDone);
    return best;
  }

  // Position of the leaving variable for entering direction d, or -1 when
  // the direction is unbounded.
  long Leaving(const std::vector<mpz_class>& d, Phase phase, bool bland) const {
    if (phase == Phase::kOptimality) {
      // Artificial columns left in the basis sit at 0 and must stay there.
      for (size_t b = 0; b < rows_; ++b) {
        if (basis_[b].kind == VariableKind::kArtificial && sgn(d[b]) != 0) {
          return static_cast<long>(b);
        }
      }
    }
    long leave = -1;
    Rational bestRatio;
    for (size_t b = 0; b < rows_; ++b) {
      if (sgn(d[b]) <= 0) continue;
      const Rational ratio = x_[b] / d[b];
      bool better = leave < 0 || ratio < bestRatio;
      if (!better && ratio == bestRatio) {
        const CountVariable& current = basis_[leave];
        const bool artificialFirst =
            basis_[b].kind == VariableKind::kArtificial &&
            current.kind != VariableKind::kArtificial;
        better =
            artificialFirst || (bland && Order(basis_[b]) < Order(current));
      }
      if (better) {
        leave = static_cast<long>(b);
        bestRatio = ratio;
      }
    }
    return leave;
  }

  // d is the direction times the determinant. The new adjugate rows are
  // (row_b * d_p - d_b * row_p) / determinant, exact divisions, and the new
  // determinant is d_p.
  // Without values, the basic values are left for ComputeValues.
  void Pivot(size_t leave, const CountVariable& enter,
             const std::vector<mpz_class>& d, bool values = true) {
    if (values) {
      const Rational step = x_[leave] * determinant_ / d[leave];
      for (size_t b = 0; b < rows_; ++b) {
        if (b == leave || sgn(d[b]) == 0) continue;
        x_[b] -= step * d[b] / determinant_;
      }
      x_[leave] = step;
    }
    const std::vector<mpz_class>& pivotRow = adjugate_[leave];
    mpz_class t1;
    for (size_t b = 0; b < rows_; ++b) {
      if (b == leave) continue;
      std::vector<mpz_class>& row = adjugate_[b];
      for (size_t t = 0; t < rows_; ++t) {
        mpz_mul(row[t].get_mpz_t(), row[t].get_mpz_t(), d[leave].get_mpz_t());
        if (sgn(d[b]) != 0 && sgn(pivotRow[t]) != 0) {
          mpz_mul(t1.get_mpz_t(), d[b].get_mpz_t(), pivotRow[t].get_mpz_t());
          mpz_sub(row[t].get_mpz_t(), row[t].get_mpz_t(), t1.get_mpz_t());
        }
        mpz_divexact(row[t].get_mpz_t(), row[t].get_mpz_t(),
                     determinant_.get_mpz_t());
      }
    }
    determinant_ = d[leave];
    if (sgn(determinant_) < 0) {
      determinant_ = -determinant_;
      for (std::vector<mpz_class>& row : adjugate_) {
        for (mpz_class& q : row) q = -q;
      }
    }
    basis_[leave] = enter;
  }

  // B^-1 a times the determinant.
  std::vector<mpz_class> Direction(const CountVariable& v) const {
    const std::vector<mpz_class> a = Column(v);
    std::vector<mpz_class> d(rows_);
    for (size_t b = 0; b < rows_; ++b) {
      for (size_t t = 0; t < rows_; ++t) {
        if (sgn(a[t]) != 0 && sgn(adjugate_[b][t]) != 0) {
          d[b] += adjugate_[b][t] * a[t];
        }
      }
    }
    return d;
  }

  // Pivots until no column improves the phase's objective; false when the
  // pivot limit is reached or the direction is unbounded.
  bool Iterate(Phase phase, CountSimplexResult* result) {
    int32_t stall = 0;
    while (result->pivots < kPivotLimit &&
           std::chrono::steady_clock::now() < options_.deadline) {
      if (phase != Phase::kOptimality && !HasPositiveArtificial()) return true;
      const bool bland = stall >= kStallBeforeBland;
      const Candidate enter = Price(phase, bland);
      if (!enter.found) return true;
      const std::vector<mpz_class> d = Direction(enter.variable);
      const long leave = Leaving(d, phase, bland);
      if (leave < 0) return false;
      stall = sgn(x_[leave]) == 0 ? stall + 1 : 0;
      Pivot(static_cast<size_t>(leave), enter.variable, d);
      ++result->pivots;
    }
    return false;
  }

  CountSimplexResult Finish(CountSimplexResult result) {
    state_->basis = basis_;
    state_->sizes = p_.sizes;
    state_->adjugate = adjugate_;
    state_->determinant = determinant_;
    return result;
  }

  const CountSolveOptions options_;
  const CountProgram& p_;
  const size_t rows_;
  const int32_t groups_;
  CountSimplexState* state_;
  PointScanner scanner_;
  mutable int64_t priceStart_ = 0;  // the prefix the next pass starts at
  mutable mpz_class sum_;           // ExactPointSign's working numbers
  mutable mpz_class entry_;
  mutable IndexVector counts_;
  std::vector<CountVariable> basis_;
  std::vector<std::vector<mpz_class>> adjugate_;
  mpz_class determinant_;
  RationalVector x_;
  int64_t nextArtificial_ = 0;
};

}  // namespace

CountSimplexResult SolveCountProgram(const CountProgram& program,
                                     CountSimplexState* state,
                                     const CountSolveOptions& options) {
  Solver solver(program, state, options);
  return solver.Run();
}

}  // namespace unionbound::sharp

#include "api/sample_probabilities.h"

#include <algorithm>
#include <bit>

namespace unionbound {

namespace {

constexpr int64_t kWordBits = 64;

// One bit set per event over the rows of the sample.
struct EventColumns {
  size_t words;
  std::vector<uint64_t> bits;  // event i's words start at i * words

  const uint64_t* Column(int32_t event) const {
    return bits.data() + static_cast<size_t>(event) * words;
  }
};

EventColumns ToColumns(const std::vector<uint8_t>& table, int64_t rows,
                       int32_t n) {
  EventColumns columns;
  columns.words = static_cast<size_t>((rows + kWordBits - 1) / kWordBits);
  columns.bits.assign(columns.words * static_cast<size_t>(n), 0);
  for (int64_t r = 0; r < rows; ++r) {
    const uint64_t bit = uint64_t{1} << (r % kWordBits);
    const size_t word = static_cast<size_t>(r / kWordBits);
    for (int32_t e = 0; e < n; ++e) {
      if (table[static_cast<size_t>(r * n + e)] != 0) {
        columns.bits[static_cast<size_t>(e) * columns.words + word] |= bit;
      }
    }
  }
  return columns;
}

// The probability of the rows in `rows`: their count or their weight.
struct Measure {
  const std::vector<double>& weights;
  double total;

  double operator()(const std::vector<uint64_t>& rows) const {
    if (weights.empty()) {
      int64_t count = 0;
      for (uint64_t word : rows) count += std::popcount(word);
      return static_cast<double>(count) / total;
    }
    double sum = 0.0;
    for (size_t w = 0; w < rows.size(); ++w) {
      for (uint64_t word = rows[w]; word != 0; word &= word - 1) {
        sum += weights[w * kWordBits +
                       static_cast<size_t>(std::countr_zero(word))];
      }
    }
    return sum / total;
  }
};

// Appends the probabilities of the intersections of `size` events whose
// first events are the prefix (held in prefixRows, `depth` events, the last
// one below `next`), in lexicographic order.
void VisitIntersections(const EventColumns& columns, int32_t n, int32_t size,
                        int32_t depth, int32_t next,
                        const std::vector<uint64_t>& prefixRows,
                        const Measure& measure,
                        std::vector<std::vector<uint64_t>>* scratch,
                        std::vector<double>* out) {
  std::vector<uint64_t>& rows = (*scratch)[static_cast<size_t>(depth)];
  // Room for the events still to come after this one.
  const int32_t last = n - (size - depth);
  for (int32_t e = next; e <= last; ++e) {
    const uint64_t* column = columns.Column(e);
    for (size_t w = 0; w < columns.words; ++w) {
      rows[w] = depth == 0 ? column[w] : prefixRows[w] & column[w];
    }
    if (depth + 1 == size) {
      out->push_back(measure(rows));
    } else {
      VisitIntersections(columns, n, size, depth + 1, e + 1, rows, measure,
                         scratch, out);
    }
  }
}

}  // namespace

std::vector<double> SampleIntersectionProbabilities(
    const std::vector<uint8_t>& table, int64_t rows, int32_t n, int32_t m,
    const std::vector<double>& weights) {
  const EventColumns columns = ToColumns(table, rows, n);
  double total = static_cast<double>(rows);
  if (!weights.empty()) {
    total = 0.0;
    for (double w : weights) total += w;
  }
  const Measure measure{weights, total};
  const int32_t sizes = std::min(m, n);
  std::vector<std::vector<uint64_t>> scratch(
      static_cast<size_t>(sizes), std::vector<uint64_t>(columns.words));
  std::vector<double> out;
  for (int32_t size = 1; size <= sizes; ++size) {
    VisitIntersections(columns, n, size, 0, 0, {}, measure, &scratch, &out);
  }
  return out;
}

}  // namespace unionbound

// The intersection probabilities of a sample: from a 0/1 table with one row
// per observation (or atom) and one column per event, optionally weighted,
// the probability of every intersection of sizes 1 .. m in the order of a
// probability file (numeric/subset_order.h). The columns are held as bit
// sets, and the intersections of one size are visited depth first, so each
// shares the work of its prefix.
#ifndef UNIONBOUND_API_SAMPLE_PROBABILITIES_H_
#define UNIONBOUND_API_SAMPLE_PROBABILITIES_H_

#include <cstdint>
#include <vector>

namespace unionbound {

// table holds rows x n entries row by row, nonzero where the event occurred.
// With no weights an intersection's probability is the count of its rows
// divided by rows; otherwise the weights of its rows added in row order,
// divided by the weights of all rows added in row order. Requires n >= 1,
// m >= 1, a count of ProbabilityCount(n, m) >= 0, and weights empty or one
// per row.
std::vector<double> SampleIntersectionProbabilities(
    const std::vector<uint8_t>& table, int64_t rows, int32_t n, int32_t m,
    const std::vector<double>& weights);

}  // namespace unionbound

#endif  // UNIONBOUND_API_SAMPLE_PROBABILITIES_H_

// Reading the probability file and working out the binomial moments of every
// length of a run at the same time: the reading thread parses the file while
// one or two other threads add what has been parsed to the sums of their
// share of the lengths. Requires the file in subset order; the moments are
// the same bit for bit as those of BinomialMomentsOfLengths after the read.
#ifndef UNIONBOUND_DRIVER_MOMENTS_WHILE_READING_H_
#define UNIONBOUND_DRIVER_MOMENTS_WHILE_READING_H_

#include <cstdint>
#include <string>

#include "input/probability_input.h"
#include "problem/binomial_moments.h"

namespace unionbound {

// ReadProbabilityFile(path, ProbabilityCount(n, m)), and *moments filled with
// the binomial moments of the lengths m .. n - m of the run (labels of
// VariableIndexList(m, {{1, 2}}, {m, m})) when they fit one batch; otherwise
// *moments is left empty and the passes work them out batch by batch.
ProbabilityRead ReadProbabilitiesWithMoments(const std::string& path, int32_t n,
                                             int32_t m, MomentBatch* moments);

}  // namespace unionbound

#endif  // UNIONBOUND_DRIVER_MOMENTS_WHILE_READING_H_

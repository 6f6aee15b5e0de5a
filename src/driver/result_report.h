// result.txt, the complete record of a run: the header with the input sizes
// and, for every pass, the pass header, the lower- and the upper-bound block
// (bound, running time, Kjs, q1, Vks, basis subscripts) and the binomial
// moments. Every line ends with a flush. The stream's notation carries over
// from pass to pass: the first pass's moments switch it to fixed notation.
#ifndef UNIONBOUND_DRIVER_RESULT_REPORT_H_
#define UNIONBOUND_DRIVER_RESULT_REPORT_H_

#include <cstdint>
#include <ostream>

#include "bounds/pass.h"
#include "bounds/procedure.h"
#include "numeric/vectors.h"
#include "optim/sense.h"

namespace unionbound {

// The first line: n=..., m=..., m_k=...
void WriteReportHeader(std::ostream& report, int32_t n, int32_t m, int32_t m_k);

// One pass, in file order: two empty lines and the pass header, the lower-
// and the upper-bound block, the binomial moments. Leaves the stream in
// fixed notation.
void WritePassReport(std::ostream& report, const Pass& pass);

// One bound block: heading, the negated value with precision 15 in the
// stream's current notation, the running time, Kjs, q1, Vks and the basis
// subscripts.
void WriteBoundBlock(std::ostream& report, Sense sense,
                     const BoundResult& result, double seconds, int32_t m,
                     const IndexMatrix& pairs, const IndexVector& maxOrders);

// A line end, then X as {{1,2,},{3,},}: every element and every row is
// followed by a comma. An empty X prints {}.
void PrintIndexVectors(const IndexMatrix& X, std::ostream& stream);

}  // namespace unionbound

#endif  // UNIONBOUND_DRIVER_RESULT_REPORT_H_

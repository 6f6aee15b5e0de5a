// The bound blocks of result.txt: each bound with its running time, the index
// sets the procedure ended with and the basis subscripts derived from them.
#ifndef UNIONBOUND_DRIVER_RESULT_REPORT_H_
#define UNIONBOUND_DRIVER_RESULT_REPORT_H_

#include <cstdint>
#include <ostream>

#include "bounds/procedure.h"
#include "numeric/vectors.h"

namespace unionbound {

// A line end, then X as {{1,2,},{3,},}: every element and every row is
// followed by a comma. An empty X prints {}.
void PrintIndexVectors(const IndexMatrix& X, std::ostream& stream);

// The basis subscripts of a BoundResult's Vks, Kjs and j: one row per label
// of the label list. When Vks or Kjs is too short to derive them (no
// candidate was kept), the result is empty.
IndexMatrix BasisSubscripts(int32_t m, const IndexMatrix& pairs,
                            const IndexVector& maxOrders,
                            const IndexMatrix& Vks, const IndexMatrix& Kjs,
                            int32_t j);

enum class BoundKind { kLower, kUpper };

// One bound block: heading, the negated value with precision 15 in the
// stream's current notation, the running time, Kjs, q1, Vks and the basis
// subscripts.
void WriteBoundBlock(std::ostream& report, BoundKind kind,
                     const BoundResult& result, double seconds, int32_t m,
                     const IndexMatrix& pairs, const IndexVector& maxOrders);

}  // namespace unionbound

#endif  // UNIONBOUND_DRIVER_RESULT_REPORT_H_

// The data check step by step: every subset in file order, each of its
// sub-intersections one size down looked up by its position, each
// comparison written out with its tolerance. The fast check must find the
// same problems in the same order.
#ifndef UNIONBOUND_TESTS_REFERENCE_DATA_CHECK_H_
#define UNIONBOUND_TESTS_REFERENCE_DATA_CHECK_H_

#include <cstddef>
#include <cstdint>

#include "input/data_check.h"
#include "numeric/vectors.h"

namespace unionbound::reference {

DataCheck CheckProbabilities(const RealVector& p, int32_t n, int32_t m,
                             size_t keep);

}  // namespace unionbound::reference

#endif  // UNIONBOUND_TESTS_REFERENCE_DATA_CHECK_H_

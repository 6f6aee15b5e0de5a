#include "optim/subset_enumeration.h"

#include <cstddef>
#include <ostream>

#include "numeric/library_messages.h"

namespace unionbound {

IndexVector Range(int32_t a, int32_t b) {
  IndexVector result;
  // A 64-bit counter so that b = INT32_MAX still ends the loop.
  for (int64_t i = a; i <= b; ++i) result.push_back(static_cast<int32_t>(i));
  return result;
}

IndexVector StepRange(int32_t a, int32_t b, int32_t s) {
  IndexVector result;
  if (s > 0) {
    for (int64_t i = a; i <= b; i += s)
      result.push_back(static_cast<int32_t>(i));
  } else if (s < 0) {
    for (int64_t i = a; i >= b; i += s)
      result.push_back(static_cast<int32_t>(i));
  }
  return result;
}

IndexVector RangeFromOne(int32_t n) { return Range(1, n); }

IndexMatrix KSubsets(const IndexVector& S, int32_t k) {
  IndexMatrix result;
  const int64_t size = static_cast<int64_t>(S.size());
  if (k < 0) LibraryMessages() << "in KSubsets, k<0";
  if (k == 1) {
    for (int32_t element : S) result.push_back(IndexVector{element});
  } else if (k == 0) {
    result.push_back(IndexVector{});
  }
  if (k == size && k > 1) result.push_back(S);
  if (1 < k && k < size) {
    // Subsets that take the first element, then those that skip it.
    const int32_t first = S[0];
    const IndexVector rest(S.begin() + 1, S.end());
    for (const IndexVector& tail : KSubsets(rest, k - 1)) {
      IndexVector row{first};
      row.insert(row.end(), tail.begin(), tail.end());
      result.push_back(row);
    }
    for (IndexVector& row : KSubsets(rest, k)) result.push_back(row);
  }
  return result;
}

namespace {

// Output row i collects element i of every input row, for i < |X[0]|; a
// shorter input row contributes only the elements it has.
template <typename Row>
std::vector<Row> TransposeRows(const std::vector<Row>& X) {
  std::vector<Row> Y;
  if (X.empty()) return Y;
  const size_t width = X[0].size();
  Y.resize(width);
  for (const Row& row : X) {
    for (size_t i = 0; i < width && i < row.size(); ++i) {
      Y[i].push_back(row[i]);
    }
  }
  return Y;
}

}  // namespace

IndexMatrix Transpose(const IndexMatrix& X) { return TransposeRows(X); }

std::vector<IndexMatrix> Transpose(const std::vector<IndexMatrix>& X) {
  return TransposeRows(X);
}

}  // namespace unionbound

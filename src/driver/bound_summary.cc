#include "driver/bound_summary.h"

namespace unionbound {

void WriteBoundSummary(const BestBounds& best, std::ostream& out) {
  if (!best.anyPass) {
    out << "No bounds: no subsequence length l fits, since n is less than "
           "2m."
        << std::endl;
    return;
  }
  out << "Lower bound on the probability of the union:" << std::endl;
  out.precision(15);
  out << -best.lower.value << std::endl << std::endl;
  out << std::fixed;
  out << "Running time: " << std::endl;
  out.precision(3);
  out << best.lower.seconds << std::endl << std::endl;
  out << "The length of the subsequences: l=" << best.lower.l << std::endl
      << std::endl;
  out << "Upper bound on the probability of the union:" << std::endl;
  out.precision(15);
  out << -best.upper.value << std::endl << std::endl;
  out << "Running time: " << std::endl;
  out.precision(3);
  out << best.upper.seconds << std::endl << std::endl;
  out << "The length of the subsequences: l=" << best.upper.l << std::endl
      << std::endl;
}

}  // namespace unionbound

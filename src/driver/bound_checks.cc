#include "driver/bound_checks.h"

#include <cmath>
#include <cstddef>

#include "driver/data_messages.h"
#include "input/data_check.h"

namespace unionbound {

namespace {

const char* BoundName(Sense sense) {
  return sense == Sense::kMinimise ? "lower" : "upper";
}

// "l=3, 4 and 7".
void WriteLengths(const IndexVector& ls, std::ostream& err) {
  err << "l=";
  for (std::size_t i = 0; i < ls.size(); ++i) {
    if (i > 0) err << (i + 1 == ls.size() ? " and " : ", ");
    err << ls[i];
  }
}

}  // namespace

void NoteCarefulPass(const Pass& pass, CarefulPasses* careful) {
  if (pass.lower.rescaled || pass.upper.rescaled) {
    careful->rescaled.push_back(pass.l);
  }
  // Bounds that are no finite optimum have their own message.
  const bool lowerUnsure =
      !pass.lower.accurate &&
      IsUsableValue(Sense::kMinimise, pass.lower.result.value);
  const bool upperUnsure =
      !pass.upper.accurate &&
      IsUsableValue(Sense::kMaximise, pass.upper.result.value);
  if (lowerUnsure || upperUnsure) careful->unsure.push_back(pass.l);
}

bool ReportCarefulPasses(const CarefulPasses& careful, std::ostream& err) {
  if (!careful.rescaled.empty()) {
    err << "unionbound: the bounds of ";
    WriteLengths(careful.rescaled, err);
    err << " were evaluated again on rescaled moments: the events are so "
           "rare that double precision lost digits of them"
        << std::endl;
  }
  if (careful.unsure.empty()) return true;
  err << "unionbound: rounding may have changed the bounds of ";
  WriteLengths(careful.unsure, err);
  err << " by more than their last digits; the bounds cannot be trusted"
      << std::endl;
  return false;
}

bool IsUsableValue(Sense sense, double value) {
  return value != SentinelFor(sense) && std::isfinite(value);
}

// A procedure that kept no candidate returns its sentinel; an optimum that
// is not finite is no bound either. Either way the run cannot be trusted.
bool IsUsableBound(Sense sense, const Pass& pass, std::ostream& err) {
  const double value = BoundOfSense(pass, sense).result.value;
  if (value == SentinelFor(sense)) {
    err << "unionbound: l=" << pass.l << ": no candidate gave a usable "
        << BoundName(sense) << " bound; the value printed is a placeholder"
        << std::endl;
    return false;
  }
  if (!std::isfinite(value)) {
    err << "unionbound: l=" << pass.l << ": the " << BoundName(sense)
        << " bound is not finite (" << -value << ")" << std::endl;
    return false;
  }
  return true;
}

// Bounds that cross say that the data are no probabilities, or that the
// method failed on them. Rounding may leave equal bounds a few units in the
// last place apart, so only a larger gap counts.
bool BoundsCross(const BestBounds& best, std::ostream& err) {
  if (!best.anyPass || !IsUsableValue(Sense::kMinimise, best.lower.value) ||
      !IsUsableValue(Sense::kMaximise, best.upper.value)) {
    return false;
  }
  const double lower = -best.lower.value;
  const double upper = -best.upper.value;
  const double larger = std::fmax(std::fabs(lower), std::fabs(upper));
  const double gap = lower - upper;
  if (!(gap > kRelativeTolerance * larger && gap > kAbsoluteTolerance)) {
    return false;
  }
  err << "unionbound: the best lower bound " << ShortestText(lower)
      << " (l=" << best.lower.l << ") exceeds the best upper bound "
      << ShortestText(upper) << " (l=" << best.upper.l
      << "); the bounds cannot be trusted" << std::endl;
  return true;
}

}  // namespace unionbound

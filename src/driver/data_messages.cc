#include "driver/data_messages.h"

namespace unionbound {

std::string DescribeProblem(const DataProblem& problem) {
  std::string text = "number " + std::to_string(problem.position + 1) + ": " +
                     EventsText(problem.events) + " = " +
                     ShortestText(problem.value);
  switch (problem.kind) {
    case DataProblemKind::kNotAProbability:
      return text + " is not a probability in [0, 1]";
    case DataProblemKind::kExceedsSubIntersection:
      return text + " exceeds " + EventsText(problem.otherEvents) + " = " +
             ShortestText(problem.bound) + " (number " +
             std::to_string(problem.other + 1) + ")";
    case DataProblemKind::kBelowPairFloor: {
      const IndexVector first{problem.events[0]};
      const IndexVector second{problem.events[1]};
      return text + " is below " + EventsText(first) + " + " +
             EventsText(second) + " - 1 = " + ShortestText(problem.bound);
    }
  }
  return text;
}

void WriteDataProblems(const DataCheck& check, const std::string& file,
                       std::ostream& err) {
  if (check.problems == 0) return;
  err << "unionbound: " << file << ": no events have these probabilities ("
      << CountOf(check.problems, "problem", "problems")
      << " found); the run goes on, but its bounds cannot be trusted"
      << std::endl;
  for (const DataProblem& problem : check.first) {
    err << "unionbound: " << file << ": " << DescribeProblem(problem)
        << std::endl;
  }
  const int64_t more =
      check.problems - static_cast<int64_t>(check.first.size());
  if (more > 0) {
    err << "unionbound: " << file << ": and "
        << CountOf(more, "more problem", "more problems") << std::endl;
  }
}

void WriteEntriesLeft(int64_t left, int32_t count, int32_t n, int32_t m,
                      const std::string& file, std::ostream& err,
                      bool atLeast) {
  if (left <= 0) return;
  err << "unionbound: " << file << ": warning: " << (atLeast ? "at least " : "")
      << CountOf(left, "entry", "entries") << " after the " << count
      << " numbers that n=" << n << ", m=" << m << " ask for "
      << (left == 1 ? "was" : "were")
      << " not read; n and m decide which numbers are read" << std::endl;
}

}  // namespace unionbound

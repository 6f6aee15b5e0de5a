#include "driver/data_messages.h"

#include <charconv>

namespace unionbound {

namespace {

std::string EventsText(const IndexVector& events) {
  std::string text = "P{";
  for (size_t i = 0; i < events.size(); ++i) {
    if (i > 0) text += ",";
    text += std::to_string(events[i]);
  }
  return text + "}";
}

std::string Plural(int64_t count, const char* one, const char* many) {
  return std::to_string(count) + " " + (count == 1 ? one : many);
}

}  // namespace

std::string ShortestText(double x) {
  char text[64];
  const std::to_chars_result result =
      std::to_chars(text, text + sizeof text, x);
  return std::string(text, result.ptr);
}

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
      << Plural(check.problems, "problem", "problems")
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
        << Plural(more, "more problem", "more problems") << std::endl;
  }
}

void WriteEntriesLeft(int64_t left, int32_t count, int32_t n, int32_t m,
                      const std::string& file, std::ostream& err) {
  if (left <= 0) return;
  err << "unionbound: " << file
      << ": warning: " << Plural(left, "entry", "entries") << " after the "
      << count << " numbers that n=" << n << ", m=" << m << " ask for "
      << (left == 1 ? "was" : "were")
      << " not read; n and m decide which numbers are read" << std::endl;
}

}  // namespace unionbound

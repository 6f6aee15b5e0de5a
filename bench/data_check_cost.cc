// data_check_cost: the time of the data check beside the time of the read
// it follows, on prob.txt in the working directory.
//
//   data_check_cost N M [REPEATS]
//
// Reads the file and checks its numbers REPEATS times (default 5) and
// prints the fastest read, the fastest check and their ratio; the check is
// meant to cost at most a tenth of the read at n = 60, m = 5.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "input/data_check.h"
#include "input/probability_input.h"

namespace {

using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point start) {
  return std::chrono::duration<double>(Clock::now() - start).count();
}

}  // namespace

int main(int argc, char** argv) {
  using namespace unionbound;
  if (argc != 3 && argc != 4) {
    std::fprintf(stderr, "usage: data_check_cost N M [REPEATS]\n");
    return 1;
  }
  const int32_t n = std::atoi(argv[1]);
  const int32_t m = std::atoi(argv[2]);
  const int repeats = argc == 4 ? std::max(1, std::atoi(argv[3])) : 5;
  double bestRead = 1e300;
  double bestCheck = 1e300;
  int64_t problems = 0;
  int32_t numbers = 0;
  for (int r = 0; r < repeats; ++r) {
    Clock::time_point start = Clock::now();
    const ProbabilityRead read =
        ReadProbabilityFile("prob.txt", ProbabilityCount(n, m));
    bestRead = std::min(bestRead, SecondsSince(start));
    start = Clock::now();
    const DataCheck check = CheckProbabilities(read.p, n, m, 5);
    bestCheck = std::min(bestCheck, SecondsSince(start));
    problems = check.problems;
    numbers = read.read;
  }
  std::printf(
      "%d numbers: read %.4f s, check %.4f s, check / read %.1f %% "
      "(%lld problems; fastest of %d)\n",
      numbers, bestRead, bestCheck, 100.0 * bestCheck / bestRead,
      static_cast<long long>(problems), repeats);
  return 0;
}

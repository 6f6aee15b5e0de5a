// read_floor: the time unionbound needs just to read and parse prob.txt in
// the working directory, with the same reading code as a run.
//
//   read_floor N M
//
// Prints the numbers read, the count asked for and the wall time in
// seconds. compare_revisions.sh sets a run's time against this floor.
#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "input/probability_input.h"

int main(int argc, char** argv) {
  using namespace unionbound;
  if (argc != 3) {
    std::fprintf(stderr, "usage: read_floor N M\n");
    return 1;
  }
  const int32_t n = std::atoi(argv[1]);
  const int32_t m = std::atoi(argv[2]);
  const auto start = std::chrono::steady_clock::now();
  const ProbabilityRead read =
      ReadProbabilityFile("prob.txt", ProbabilityCount(n, m));
  const std::chrono::duration<double> spent =
      std::chrono::steady_clock::now() - start;
  // A checksum keeps the values alive and shows that they were read.
  double sum = 0.0;
  for (double value : read.p) sum += value;
  std::printf("read %d of %d numbers in %.3f s (sum %.17g)\n", read.read,
              read.expected, spent.count(), sum);
  return read.read == read.expected ? 0 : 2;
}

// unionbound-generate: writes the intersection probabilities of a genuine
// event system as a probability file and prints the probability of its
// union. Every number is the double nearest to the exact value.
//
//   unionbound-generate FAMILY N M SEED [OUT]
//
// FAMILY: independent, shock, gaussian, rare, atoms, mixture or divisible
// (event_systems.h; divisible ignores SEED and gives the bundled example with
// N = 12, M = 3, written as three-place decimals). With OUT the numbers go
// to the file and the union probability to standard output; without it the
// numbers go to standard output.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "events/event_systems.h"
#include "events/probability_file.h"

int main(int argc, char** argv) {
  using namespace unionbound;
  EventFamily family;
  if ((argc != 5 && argc != 6) || !ParseEventFamily(argv[1], &family)) {
    std::fprintf(stderr,
                 "usage: unionbound-generate "
                 "independent|shock|gaussian|rare|atoms|mixture|divisible "
                 "N M SEED [OUT]\n");
    return 1;
  }
  const long n = std::strtol(argv[2], nullptr, 10);
  const long m = std::strtol(argv[3], nullptr, 10);
  const unsigned long long seed = std::strtoull(argv[4], nullptr, 10);
  if (n < 1 || m < 1 || n > 100000 || m > 100000) {
    std::fprintf(stderr, "unionbound-generate: need 1 <= N, M <= 100000\n");
    return 1;
  }
  const MixtureModel model =
      MakeEventSystem(family, static_cast<int32_t>(n), seed);
  const NumberFormat format = family == EventFamily::kDivisible
                                  ? NumberFormat::kThreeDecimals
                                  : NumberFormat::kRoundTrip;
  std::FILE* out = argc == 6 ? std::fopen(argv[5], "w") : stdout;
  if (out == nullptr) {
    std::fprintf(stderr, "unionbound-generate: cannot write %s\n", argv[5]);
    return 1;
  }
  bool ok = WriteProbabilityFile(model, static_cast<int32_t>(n),
                                 static_cast<int32_t>(m), format, out);
  if (out != stdout) {
    ok = std::fclose(out) == 0 && ok;
    if (ok) std::printf("%.17g\n", UnionProbability(model));
  }
  if (!ok) {
    std::fprintf(stderr, "unionbound-generate: writing failed\n");
    return 1;
  }
  return 0;
}

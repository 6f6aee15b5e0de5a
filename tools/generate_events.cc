// unionbound-generate: writes the intersection probabilities of a genuine
// event system as a probability file and prints the probability of its
// union. Every number is the double nearest to the exact value.
//
//   unionbound-generate FAMILY N M SEED [OUT]
//
// FAMILY: independent, shock, gaussian, rare, atoms, mixture or divisible
// (event_systems.h; divisible ignores SEED and gives the bundled example with
// N = 12, M = 3, written as three-place decimals). With OUT the numbers go
// to the file and "probability of the union: P" to standard output;
// without it the numbers go to standard output.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "events/event_systems.h"
#include "events/probability_file.h"

namespace {

constexpr const char* kUsage =
    "usage: unionbound-generate FAMILY N M SEED [OUT]\n";

constexpr const char* kHelp =
    "\n"
    "Writes the probabilities of all intersections of 1 .. M of N events of\n"
    "a genuine event system, in the order unionbound reads them, and the\n"
    "exact probability of their union.\n"
    "\n"
    "  FAMILY  independent, shock (a rare common shock), gaussian (Gaussian\n"
    "          thresholds), rare (rare clustered events), atoms (random\n"
    "          atoms), mixture, or divisible (the bundled example: the\n"
    "          first N primes dividing a number uniform on 1 .. 1000;\n"
    "          three-place decimals, SEED ignored)\n"
    "  N, M    the number of events and the highest order, 1 .. 100000\n"
    "  SEED    a whole number >= 0: the same seed gives the same system\n"
    "  OUT     the probability file to write; then standard output gets\n"
    "          \"probability of the union: P\". Without OUT the numbers go\n"
    "          to standard output.\n"
    "\n"
    "Exit status: 0 written, 1 bad arguments or a failed write.\n";

// A whole number in [0, max] that is the whole text.
bool ParseCount(const char* text, unsigned long long max,
                unsigned long long* value) {
  if (*text < '0' || *text > '9') return false;
  char* end = nullptr;
  errno = 0;
  *value = std::strtoull(text, &end, 10);
  return errno == 0 && *end == '\0' && *value <= max;
}

int Refuse(const char* why) {
  std::fprintf(stderr, "unionbound-generate: %s\n%s", why, kUsage);
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace unionbound;
  if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 ||
                    std::strcmp(argv[1], "-h") == 0)) {
    std::printf("%s%s", kUsage, kHelp);
    return std::fflush(stdout) == 0 ? 0 : 1;
  }
  if (argc != 5 && argc != 6) {
    return Refuse("expected FAMILY N M SEED [OUT] (--help explains them)");
  }
  EventFamily family;
  if (!ParseEventFamily(argv[1], &family)) {
    return Refuse(("unknown family '" + std::string(argv[1]) +
                   "': independent, shock, gaussian, rare, atoms, mixture "
                   "or divisible")
                      .c_str());
  }
  unsigned long long n = 0, m = 0, seed = 0;
  if (!ParseCount(argv[2], 100000, &n) || n < 1 ||
      !ParseCount(argv[3], 100000, &m) || m < 1) {
    return Refuse("N and M must be whole numbers from 1 to 100000");
  }
  if (!ParseCount(argv[4], ~0ULL, &seed)) {
    return Refuse("SEED must be a whole number >= 0");
  }
  const MixtureModel model =
      MakeEventSystem(family, static_cast<int32_t>(n), seed);
  const NumberFormat format = family == EventFamily::kDivisible
                                  ? NumberFormat::kThreeDecimals
                                  : NumberFormat::kRoundTrip;
  std::FILE* out = argc == 6 ? std::fopen(argv[5], "w") : stdout;
  if (out == nullptr) {
    std::fprintf(stderr, "unionbound-generate: cannot write %s: %s\n", argv[5],
                 std::strerror(errno));
    return 1;
  }
  bool ok = WriteProbabilityFile(model, static_cast<int32_t>(n),
                                 static_cast<int32_t>(m), format, out);
  if (out != stdout) {
    ok = std::fclose(out) == 0 && ok;
    if (ok) {
      std::printf("probability of the union: %.17g\n", UnionProbability(model));
    }
  }
  ok = std::fflush(stdout) == 0 && ok;
  if (!ok) {
    std::fprintf(stderr, "unionbound-generate: writing failed\n");
    return 1;
  }
  return 0;
}

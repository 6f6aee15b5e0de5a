// unionbound-generate: writes the intersection probabilities of a genuine
// event system in the order of prob.txt and prints its exact union
// probability (rounded to the nearest double).
//
//   unionbound-generate FAMILY N M SEED OUT
//
// FAMILY is independent, shock, gaussian, rare or atoms.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "numeric/subset_order.h"
#include "sharp/event_systems.h"

int main(int argc, char** argv) {
  using namespace unionbound;
  EventFamily family;
  if (argc != 6 || !ParseEventFamily(argv[1], &family)) {
    std::fprintf(stderr,
                 "usage: unionbound-generate "
                 "independent|shock|gaussian|rare|atoms N M SEED OUT\n");
    return 1;
  }
  const int n = std::atoi(argv[2]);
  const int m = std::atoi(argv[3]);
  const unsigned long long seed = std::strtoull(argv[4], nullptr, 10);
  if (n < 1 || m < 1 || m > n) {
    std::fprintf(stderr, "unionbound-generate: need 1 <= M <= N\n");
    return 1;
  }
  const MixtureModel model = MakeEventSystem(family, n, seed);
  const RealVector p = IntersectionProbabilities(model, SubsetsBySize(n, m));
  std::FILE* out = std::fopen(argv[5], "w");
  if (out == nullptr) {
    std::fprintf(stderr, "unionbound-generate: cannot write %s\n", argv[5]);
    return 1;
  }
  for (size_t u = 0; u < p.size(); ++u) {
    std::fprintf(out, "%.17g%s", p[u], (u + 1) % 5 == 0 ? "\n" : " ");
  }
  std::fprintf(out, "\n");
  std::fclose(out);
  std::printf("%.17g\n", UnionProbability(model));
  return 0;
}

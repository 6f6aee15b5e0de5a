// Prints the version and the best bounds of a probability file:
//   consumer FILE N M
#include <unionbound/unionbound.h>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
  if (argc != 4) return 1;
  namespace ub = unionbound::api;
  const int n = std::atoi(argv[2]);
  const int m = std::atoi(argv[3]);
  const ub::Probabilities p = ub::ReadProbabilityFile(argv[1], n, m);
  if (!p.error.empty()) {
    std::fprintf(stderr, "%s\n", p.error.c_str());
    return 2;
  }
  const ub::BestBounds best = ub::BestOf(ub::ComputePasses(p.values, n, m));
  std::printf("%s %.15g %d %.15f %d\n", ub::Version(), best.lower, best.lowerL,
              best.upper, best.upperL);
  return 0;
}

// Prints the version and the best bounds of a probability file, and the
// sharp bivariate bounds when the library has them:
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
#ifdef UNIONBOUND_HAS_SHARP
  // The sharp bivariate bounds, from the numbers as typed; links GMP and CLP.
  ub::SharpOptions options;
  options.kind = ub::SharpKind::kBivariate;
  const ub::SharpResult sharp = ub::SharpBoundsOfFile(argv[1], n, m, options);
  if (sharp.status != ub::kStatusSound) return 3;
  std::printf("sharp %s %d %s %d\n", sharp.lowerText.c_str(), sharp.lowerL,
              sharp.upperText.c_str(), sharp.upperL);
#endif
  return 0;
}

// Runs unionbound on numbers in memory and then asks for their sharp bounds,
// both through the public library: {0.5, 1.5, -0.25} with n = 3, m = 1 has
// values outside [0, 1], so both data checks run and report. Prints the two
// statuses; a crash or a sanitizer report fails the test.
#include <unionbound/unionbound.h>

#include <cstdio>
#include <vector>

int main() {
  namespace ub = unionbound::api;
  const std::vector<double> values = {0.5, 1.5, -0.25};
  const ub::RunResult run = ub::RunOnValues(values, 3, 1, "values");
  ub::SharpOptions options;
  const ub::SharpResult sharp = ub::SharpBounds(values, 3, 1, options);
  std::printf("run %d sharp %d\n", run.status, sharp.status);
  return 0;
}

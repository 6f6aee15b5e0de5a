// unionbound: bounds on the probability that at least one of n events occurs,
// from the probabilities of the intersections of up to m of them. Without
// arguments it asks for n and m; `unionbound --help` shows the options.
#include <cstdio>
#include <new>
#include <string>
#include <vector>

#include "driver/command.h"
#include "driver/run.h"

int main(int argc, char** argv) {
  try {
    return unionbound::RunCommand(
        std::vector<std::string>(argv + 1, argv + argc));
  } catch (const std::bad_alloc&) {
    // Sizes whose numbers do not fit in memory. The report and the JSON
    // document are written complete or not at all, so nothing half-written
    // is left behind.
    std::fputs(
        "unionbound: out of memory; nothing usable was computed (try "
        "smaller n or m, or a machine with more memory)\n",
        stderr);
    return unionbound::kExitOutOfMemory;
  }
}

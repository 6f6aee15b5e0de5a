// unionbound: bounds on the probability that at least one of n events occurs,
// from the probabilities of the intersections of up to m of them. Without
// arguments it asks for n and m; `unionbound --help` shows the options.
#include <string>
#include <vector>

#include "driver/command.h"

int main(int argc, char** argv) {
  return unionbound::RunCommand(
      std::vector<std::string>(argv + 1, argv + argc));
}

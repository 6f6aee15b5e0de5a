// unionbound-sharp: the sharpest bounds on the probability of a union that
// the intersection probabilities allow, certified, beside unionbound's own.
#include <unistd.h>

#include <iostream>
#include <string>
#include <vector>

#include "sharp/app/command.h"

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  return unionbound::sharp::RunSharpCommand(args, std::cout, std::cerr,
                                            isatty(STDERR_FILENO) == 1);
}

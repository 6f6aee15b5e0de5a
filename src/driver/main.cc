// unionbound: bounds on the probability that at least one of n events occurs,
// from the probabilities of the intersections of up to m of them.
#include "driver/run.h"

int main() { return unionbound::RunUnionBound(); }

// The run's account of passes evaluated more carefully: rescaled passes are
// named once and leave the run sound; a usable bound that no error estimate
// vouches for makes it untrustworthy (the program exits 2, the library and
// Python report it so), while a bound that is no finite optimum is left to
// its own message.
#include "driver/bound_checks.h"

#include <gtest/gtest.h>

#include <limits>
#include <sstream>

namespace unionbound {
namespace {

Pass PassOf(int32_t l, double lower, double upper) {
  Pass pass{};
  pass.l = l;
  pass.m = 3;
  pass.lower.result.value = lower;
  pass.upper.result.value = upper;
  return pass;
}

TEST(CarefulPasses, RescaledPassesAreNamedOnceAndLeaveTheRunSound) {
  CarefulPasses careful;
  for (int32_t l : {3, 4, 5, 6}) {
    Pass pass = PassOf(l, -1e-9, -2e-9);
    pass.lower.rescaled = l != 4;
    pass.upper.rescaled = l == 6;
    NoteCarefulPass(pass, &careful);
  }
  std::ostringstream err;
  EXPECT_TRUE(ReportCarefulPasses(careful, err));
  EXPECT_EQ(err.str(),
            "unionbound: the bounds of l=3, 5 and 6 were evaluated again on "
            "rescaled moments: the events are so rare that double precision "
            "lost digits of them\n");

  std::ostringstream quiet;
  EXPECT_TRUE(ReportCarefulPasses(CarefulPasses{}, quiet));
  EXPECT_EQ(quiet.str(), "");
}

TEST(CarefulPasses, ABoundNoEstimateVouchesForMakesTheRunUntrustworthy) {
  CarefulPasses careful;
  Pass vouched = PassOf(3, -1e-9, -2e-9);
  vouched.lower.rescaled = true;
  NoteCarefulPass(vouched, &careful);
  Pass unsure = PassOf(4, -1e-9, -2e-9);
  unsure.upper.rescaled = true;
  unsure.upper.accurate = false;
  NoteCarefulPass(unsure, &careful);
  // No usable value: its own message says so, not this one.
  Pass none = PassOf(5, SentinelFor(Sense::kMinimise),
                     std::numeric_limits<double>::quiet_NaN());
  none.lower.accurate = false;
  none.upper.accurate = false;
  NoteCarefulPass(none, &careful);

  std::ostringstream err;
  EXPECT_FALSE(ReportCarefulPasses(careful, err));
  EXPECT_EQ(err.str(),
            "unionbound: the bounds of l=3 and 4 were evaluated again on "
            "rescaled moments: the events are so rare that double precision "
            "lost digits of them\n"
            "unionbound: rounding may have changed the bounds of l=4 by more "
            "than their last digits; the bounds cannot be trusted\n");
}

}  // namespace
}  // namespace unionbound

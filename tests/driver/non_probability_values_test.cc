// Whole runs of the built program on prob.txt values that are not
// probabilities: negative, above 1, near the largest double, subnormal. They
// are taken as they are: the run finishes, every number in the report and in
// the summary is what the arithmetic of the library gives for them, and where
// a bound is no number the run says so and ends with status 2.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <sstream>
#include <string>
#include <vector>

#include "bounds/procedure.h"
#include "bounds/threshold_penalty.h"
#include "driver/bound_stage.h"
#include "driver/program_run.h"
#include "problem/binomial_moments.h"
#include "problem/power_moments.h"

namespace unionbound::testing {
namespace {

constexpr int32_t kN = 7;
constexpr int32_t kM = 3;
constexpr int32_t kCount = 63;  // C(7,1) + C(7,2) + C(7,3)

// What the library computes for one l, formatted as the report prints it.
struct ExpectedPass {
  std::string lower;    // the bound line of the lower-bound block
  std::string upper;    // the bound line of the upper-bound block
  std::string moments;  // the line of binomial moments
  double lowerValue;    // the procedure values
  double upperValue;
  bool noBound;  // a placeholder or a value that is not finite
};

std::string Formatted(double value, bool fixed, int precision) {
  std::ostringstream text;
  if (fixed) text << std::fixed;
  text.precision(precision);
  text << value;
  return text.str();
}

bool IsNoBound(double value, Sense sense) {
  return value == SentinelFor(sense) || !std::isfinite(value);
}

ExpectedPass ComputePass(const RealVector& p, int32_t l) {
  const IndexMatrix pairs = {{1, 2}};
  const IndexVector maxOrders = {kM, kM};
  RealMatrix supports(2);
  for (int32_t x = 0; x <= l; ++x) supports[0].push_back(x);
  for (int32_t x = 0; x <= kN - l; ++x) supports[1].push_back(x);
  const RealVector b = BinomialMoments(p, kN, l, kM, pairs, maxOrders);
  const RealVector mu =
      MatrixVectorProduct(PowerMomentMatrix(kM, pairs, maxOrders), b);
  const BoundResult lower =
      LowerBoundProcedure(ThresholdPenalty, supports, mu, maxOrders, pairs, kM);
  const BoundResult upper =
      UpperBoundProcedure(ThresholdPenalty, supports, mu, maxOrders, pairs, kM);
  ExpectedPass pass;
  const bool fixed = l > kM;  // the first pass prints in general notation
  pass.lower = Formatted(-lower.value, fixed, 15);
  pass.upper = Formatted(-upper.value, fixed, 15);
  pass.moments = "{";
  for (double entry : b) pass.moments += Formatted(entry, true, 20) + ",";
  pass.moments += "}";
  pass.lowerValue = lower.value;
  pass.upperValue = upper.value;
  pass.noBound = IsNoBound(lower.value, Sense::kMinimise) ||
                 IsNoBound(upper.value, Sense::kMaximise);
  return pass;
}

std::string LineAfter(const std::vector<std::string>& lines,
                      const std::string& heading, int occurrence) {
  for (size_t i = 0; i + 1 < lines.size(); ++i) {
    if (lines[i] == heading && occurrence-- == 0) return lines[i + 1];
  }
  return "(missing)";
}

// Runs the program on p and compares every printed number with the library.
void ExpectPrintedAsComputed(const RealVector& p, const std::string& what) {
  SCOPED_TRACE(what);
  std::ostringstream prob;
  prob.precision(17);
  for (double value : p) prob << value << "\n";
  const ProgramRun run = RunProgram(prob.str(), "7\n3\n\n");
  ASSERT_TRUE(run.report.has_value());
  const std::vector<std::string> report = SplitLines(*run.report);
  // The prompts have no line end: the summary starts on their line.
  const std::vector<std::string> out =
      SplitLines(run.out.substr(run.out.rfind("m=") + 2));

  std::vector<int32_t> without_bound;  // the l whose pass gave no bound
  BestBound best_lower{0.0, 0.0, 0};
  BestBound best_upper{0.0, 0.0, 0};
  for (int32_t l = kM; l <= kN - kM; ++l) {
    const ExpectedPass pass = ComputePass(p, l);
    const int index = l - kM;
    EXPECT_EQ(LineAfter(report,
                        "Lower bound on the probability of the union:", index),
              pass.lower);
    EXPECT_EQ(LineAfter(report,
                        "Upper bound on the probability of the union:", index),
              pass.upper);
    EXPECT_EQ(LineAfter(report, "The binomial moments:", index), pass.moments);
    if (l == kM ||
        ReplacesBest(BoundKind::kLower, pass.lowerValue, best_lower.value)) {
      best_lower = BestBound{pass.lowerValue, 0.0, l};
    }
    if (l == kM ||
        ReplacesBest(BoundKind::kUpper, pass.upperValue, best_upper.value)) {
      best_upper = BestBound{pass.upperValue, 0.0, l};
    }
    if (pass.noBound) without_bound.push_back(l);
  }
  // The summary: lower bound in general, upper bound in fixed notation.
  EXPECT_EQ(LineAfter(out, "Lower bound on the probability of the union:", 0),
            Formatted(-best_lower.value, false, 15));
  EXPECT_EQ(LineAfter(out, "Upper bound on the probability of the union:", 0),
            Formatted(-best_upper.value, true, 15));

  if (without_bound.empty()) {
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err, "");
    return;
  }
  EXPECT_EQ(run.status, 2);
  for (int32_t l = kM; l <= kN - kM; ++l) {  // each such l is named
    const bool named = run.err.find("unionbound: l=" + std::to_string(l) +
                                    ": ") != std::string::npos;
    EXPECT_EQ(named, std::find(without_bound.begin(), without_bound.end(), l) !=
                         without_bound.end())
        << run.err;
  }
}

RealVector Filled(double value) { return RealVector(kCount, value); }

TEST(NonProbabilityValues, AreTakenAsTheyAreAndPrintedAsComputed) {
  ExpectPrintedAsComputed(Filled(-0.1), "all negative");
  ExpectPrintedAsComputed(Filled(1.5), "all above one");
  ExpectPrintedAsComputed(Filled(4.9e-324), "all the smallest subnormal");
  RealVector mixed = Filled(0.01);
  mixed[0] = -0.5;  // P(A1)
  mixed[3] = 2.5;   // P(A4)
  mixed[7] = 1e-310;
  mixed[20] = 7.0;   // a pair
  mixed[62] = -3.0;  // the last triple
  ExpectPrintedAsComputed(mixed, "single odd values among small ones");
}

TEST(NonProbabilityValues, HugeValuesEndWithTheMessageAndStatusTwo) {
  const ProgramRun run = RunProgram(
      [] {
        std::string text;
        for (int i = 0; i < kCount; ++i) text += "1e308\n";
        return text;
      }(),
      "7\n3\n\n");
  EXPECT_EQ(run.status, 2);
  EXPECT_EQ(run.err,
            "unionbound: l=3: no candidate gave a usable lower bound; the "
            "value printed is a placeholder\n"
            "unionbound: l=3: no candidate gave a usable upper bound; the "
            "value printed is a placeholder\n"
            "unionbound: l=4: no candidate gave a usable lower bound; the "
            "value printed is a placeholder\n"
            "unionbound: l=4: no candidate gave a usable upper bound; the "
            "value printed is a placeholder\n");
  ExpectPrintedAsComputed(Filled(1e308), "all 1e308");
  ExpectPrintedAsComputed(Filled(-1e308), "all -1e308");
  RealVector one_huge = Filled(0.01);
  one_huge[2] = 1e308;
  ExpectPrintedAsComputed(one_huge, "one 1e308 among small ones");
}

}  // namespace
}  // namespace unionbound::testing

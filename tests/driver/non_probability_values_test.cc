// Whole runs of the built program on prob.txt values that are not
// probabilities: negative, above 1, near the largest double, no numbers at
// all. They give no bounds: one line names the first, nothing is printed
// and no report is written (the golden cases odd_values_9_3 and
// huge_values_7_3 pin the messages). Values that are beyond 0 or 1 by no
// more than rounding explains, and subnormals, are probabilities: the run
// goes on, every pass reports the binomial moments of the values as read,
// and the summary names the best printed bounds.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "driver/program_run.h"
#include "reference/binomial_moments.h"

namespace unionbound::testing {
namespace {

constexpr int32_t kN = 7;
constexpr int32_t kM = 3;
constexpr int32_t kCount = 63;  // C(7,1) + C(7,2) + C(7,3)
const char kLowerHeading[] = "Lower bound on the probability of the union:";
const char kUpperHeading[] = "Upper bound on the probability of the union:";
const char kSummaryLength[] = "The length of the subsequences: l=";

std::string LineAfter(const std::vector<std::string>& lines,
                      const std::string& heading, int occurrence) {
  for (size_t i = 0; i + 1 < lines.size(); ++i) {
    if (lines[i] == heading && occurrence-- == 0) return lines[i + 1];
  }
  return "(missing)";
}

// The number a printed bound line holds; "nan" and "inf" included. A line
// that is not one number gives a failure and NaN.
double Parsed(const std::string& line) {
  char* end = nullptr;
  const double value = std::strtod(line.c_str(), &end);
  EXPECT_TRUE(!line.empty() && *end == '\0') << "not a number: " << line;
  return value;
}

// The placeholder (the negated start value 1.7e308 or -1.7e308 of a search
// that kept no candidate), or no number at all.
bool IsNoBound(double printed) {
  return !std::isfinite(printed) || std::fabs(printed) == 1.7e308;
}

// Two printings of one double, 15 significant digits or 15 decimals.
bool SamePrintedValue(double a, double b) {
  if (std::isnan(a) || std::isnan(b)) return std::isnan(a) && std::isnan(b);
  if (std::isinf(a) || std::isinf(b)) return a == b;
  return std::fabs(a - b) <= 1e-14 * std::max(1.0, std::fabs(a));
}

// The binomial moments line of the report for the moments b.
std::string MomentsLine(const RealVector& b) {
  std::ostringstream text;
  text << std::fixed;
  text.precision(20);
  text << "{";
  for (double entry : b) text << entry << ",";
  text << "}";
  return text.str();
}

// The l that the summary names after the bound of `occurrence` (0: lower).
int32_t SummaryLength(const std::vector<std::string>& out, int occurrence) {
  for (const std::string& line : out) {
    if (line.rfind(kSummaryLength, 0) == 0 && occurrence-- == 0) {
      return std::atoi(line.c_str() + sizeof(kSummaryLength) - 1);
    }
  }
  return -1;
}

// The summary's bound of one sense against the bounds of the passes: it is
// the bound of the pass it names, and no pass printed a better one (a larger
// lower or a smaller upper bound). A value that is no number never replaces
// the best, so it can only be the summary's when the first pass gave it.
void ExpectBestOfThePasses(const std::vector<double>& passes, double summary,
                           int32_t summaryL, bool lower) {
  ASSERT_GE(summaryL, kM);
  ASSERT_LE(summaryL, kN - kM);
  EXPECT_TRUE(SamePrintedValue(summary, passes[summaryL - kM]))
      << summary << " at l=" << summaryL;
  if (std::isnan(summary)) {
    EXPECT_EQ(summaryL, kM);
    return;
  }
  for (double pass : passes) {
    if (std::isnan(pass)) continue;
    if (lower) {
      EXPECT_LE(pass, summary + 1e-14 * std::max(1.0, std::fabs(summary)));
    } else {
      EXPECT_GE(pass, summary - 1e-14 * std::max(1.0, std::fabs(summary)));
    }
  }
}

// Runs the program on p and checks the report and the summary against each
// other and the moments against their step-by-step form.
enum Values { kProbabilities, kNoProbabilities };

void ExpectPrintedConsistently(const RealVector& p, const std::string& what,
                               Values probabilities = kNoProbabilities) {
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

  std::vector<int32_t> withoutBound;  // the l whose pass gave no bound
  std::vector<double> lowers;
  std::vector<double> uppers;
  for (int32_t l = kM; l <= kN - kM; ++l) {
    const int index = l - kM;
    EXPECT_EQ(LineAfter(report, "The binomial moments:", index),
              MomentsLine(
                  reference::BinomialMoments(p, kN, l, kM, {{1, 2}}, {kM, kM})))
        << "l=" << l;
    lowers.push_back(Parsed(LineAfter(report, kLowerHeading, index)));
    uppers.push_back(Parsed(LineAfter(report, kUpperHeading, index)));
    if (IsNoBound(lowers.back()) || IsNoBound(uppers.back())) {
      withoutBound.push_back(l);
    }
  }
  ExpectBestOfThePasses(lowers, Parsed(LineAfter(out, kLowerHeading, 0)),
                        SummaryLength(out, 0), true);
  ExpectBestOfThePasses(uppers, Parsed(LineAfter(out, kUpperHeading, 0)),
                        SummaryLength(out, 1), false);

  // The data check names values that no events can have, first of all.
  const bool flagged = run.err.rfind(
                           "unionbound: prob.txt: no events have "
                           "these probabilities (",
                           0) == 0;
  EXPECT_EQ(flagged, probabilities == kNoProbabilities) << run.err;
  if (withoutBound.empty() && !flagged) {
    EXPECT_EQ(run.status, 0);
    // Tiny probabilities may have their bounds evaluated on rescaled
    // moments, which the run says in one line.
    const bool rescaled =
        run.err.find("were evaluated again on rescaled moments") != std::string::npos;
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'),
              rescaled ? 1 : 0)
        << run.err;
    return;
  }
  EXPECT_EQ(run.status, 2);
  for (int32_t l = kM; l <= kN - kM; ++l) {  // each such l is named
    const bool named = run.err.find("unionbound: l=" + std::to_string(l) +
                                    ": ") != std::string::npos;
    EXPECT_EQ(named, std::find(withoutBound.begin(), withoutBound.end(), l) !=
                         withoutBound.end())
        << run.err;
  }
}

RealVector Filled(double value) { return RealVector(kCount, value); }

std::string FileOf(const RealVector& p) {
  std::ostringstream prob;
  prob.precision(17);
  for (double value : p) prob << value << "\n";
  return prob.str();
}

TEST(NonProbabilityValues, GiveNoBoundsWhateverTheirSize) {
  RealVector mixed = Filled(0.01);
  mixed[3] = 2.5;  // P(A4), the first
  mixed[7] = 1e-310;
  mixed[20] = 7.0;   // a pair
  mixed[62] = -3.0;  // the last triple
  RealVector oneHuge = Filled(0.01);
  oneHuge[20] = 1e308;
  const struct {
    const char* what;
    RealVector p;
    const char* first;  // the first offending number, as named
  } cases[] = {
      {"all negative", Filled(-0.1), "number 1: P{1} = -0.1"},
      {"all above one", Filled(1.5), "number 1: P{1} = 1.5"},
      {"all 1e308", Filled(1e308), "number 1: P{1} = 1e+308"},
      {"all -1e308", Filled(-1e308), "number 1: P{1} = -1e+308"},
      {"single odd values among small ones", mixed, "number 4: P{4} = 2.5"},
      {"one 1e308 among small ones", oneHuge, "number 21: P{3,6} = 1e+308"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const ProgramRun run = RunProgram(FileOf(c.p), "7\n3\n\n");
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.out.find("bound"), std::string::npos) << run.out;
    EXPECT_FALSE(run.report.has_value());
    EXPECT_EQ(SplitLines(run.err).size(), 1u) << run.err;
    EXPECT_EQ(run.err.rfind(std::string("unionbound: prob.txt: ") + c.first +
                                " is not a probability in [0, 1]",
                            0),
              0u)
        << run.err;
  }
  // Values that are no numbers at all are named as typed.
  for (const char* token : {"nan", "inf", "-inf", "1e999"}) {
    RealVector p = Filled(0.01);
    std::string text = FileOf(p);
    text.replace(0, text.find('\n'), token);
    const ProgramRun run = RunProgram(text, "7\n3\n\n");
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.err.rfind("unionbound: prob.txt: number 1 is not a number: "
                            "\"" +
                                std::string(token) + "\"",
                            0),
              0u)
        << run.err;
    EXPECT_FALSE(run.report.has_value());
  }
}

TEST(NonProbabilityValues,
     ValuesWithinRoundingAreTakenAndReportedConsistently) {
  ExpectPrintedConsistently(Filled(4.9e-324), "all the smallest subnormal",
                            kProbabilities);
  RealVector nearEdges = Filled(0.01);
  nearEdges[0] = -1e-310;          // below 0 by less than the tolerance
  nearEdges[3] = 1.0000000000001;  // above 1 by less than the tolerance
  ExpectPrintedConsistently(nearEdges, "values just beyond 0 and 1");
}

}  // namespace
}  // namespace unionbound::testing

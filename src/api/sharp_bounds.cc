// The sharp bounds of include/unionbound/unionbound.h: the analysis of
// unionbound-sharp on numbers in memory or in a file, each bound read from
// the rows the program's table, CSV file and JSON document read.
// Compiled only into a library built with the companion.
#include <unionbound/unionbound.h>

#ifdef UNIONBOUND_HAS_SHARP

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <exception>
#include <new>
#include <string>
#include <vector>

#include "input/probability_input.h"
#include "numeric/subset_order.h"
#include "problem/power_moments.h"
#include "sharp/analysis/analysis.h"
#include "sharp/analysis/bound_rows.h"
#include "sharp/analysis/messages.h"
#include "sharp/app/report.h"
#include "sharp/atoms/full_program.h"
#include "sharp/data/exact_data.h"
#include "sharp/data/input_text.h"
#include "sharp/exact/cancellation.h"
#include "sharp/exact/outward_format.h"

namespace unionbound::api {
namespace {

// The companion's analysis, under the names it had in this file.
using sharp::AnalysisOptions;
using sharp::BoundRow;
using sharp::BoundRows;
using sharp::EpsilonText;
using sharp::ExactData;
using sharp::ExactDataFromDoubles;
using sharp::ExactScanner;
using sharp::FindRow;
using sharp::FormatOutward;
using sharp::FullBoundsCross;
using sharp::FullCrossMessage;
using sharp::InconsistencyMessage;
using sharp::IsInconsistent;
using sharp::kFullMaxEvents;
using sharp::LibraryWords;
using sharp::OutwardDouble;
using sharp::ParseExactDecimal;
using sharp::PrintedBound;
using sharp::Rational;
using sharp::ReadNumbersOfPath;
using sharp::Rounding;
using sharp::RowKind;
using sharp::SharpAnalysis;
using sharp::SourceStatus;

// assign(1, c) rather than = "c": GCC 12 warns falsely (-Wrestrict) on the
// assignment of a one-character literal.
SharpResult Refuse(const std::string& message) {
  SharpResult result;
  result.status = kStatusRefused;
  result.messages.push_back(message);
  result.lowerText.assign(1, '0');
  result.upperText.assign(1, '1');
  return result;
}

// Why the sizes or the options cannot be analysed; empty when they can.
std::string OptionProblem(int32_t n, int32_t m, const SharpOptions& options,
                          Rational* tolerance) {
  if (n < 1) return "n must be at least 1";
  if (m < 1) return "m must be at least 1";
  if (m > kMaxIntersectionOrder) {
    return "m must be at most " + std::to_string(kMaxIntersectionOrder);
  }
  if (!ProbabilityCountFits(n, m)) {
    return "n=" + std::to_string(n) + ", m=" + std::to_string(m) +
           " needs more probabilities than the sharp bounds handle";
  }
  if (!options.toleranceText.empty()) {
    if (!ParseExactDecimal(options.toleranceText, tolerance) ||
        *tolerance < 0) {
      return "the tolerance needs a decimal number >= 0, not '" +
             options.toleranceText + "'";
    }
  } else if (options.hasTolerance) {
    if (!std::isfinite(options.tolerance) || options.tolerance < 0) {
      return "the tolerance must be a finite number >= 0";
    }
    *tolerance = Rational(options.tolerance);
  }
  if (options.kind == SharpKind::kBivariate && n < 2 * m) {
    return "no subsequence length l from m to n - m: n=" + std::to_string(n) +
           ", m=" + std::to_string(m) + " have no bivariate program";
  }
  if (options.kind == SharpKind::kFull) {
    if (n > kFullMaxEvents) {
      return "the full program handles at most " +
             std::to_string(kFullMaxEvents) + " events";
    }
  }
  if (options.kind == SharpKind::kMultivariate) {
    if (!options.groups.empty()) {
      const std::string wrong = sharp::PartitionProblem(options.groups, n);
      if (!wrong.empty()) return "the groups are no partition: " + wrong;
    } else if (options.groupCount != 0 &&
               (options.groupCount < 2 || options.groupCount > 8 ||
                options.groupCount > n)) {
      return "the number of groups must be from 2 to " +
             std::to_string(std::min(8, n)) + ", not " +
             std::to_string(options.groupCount);
    } else if (options.groupCount == 0 && n < 3) {
      return "n=" + std::to_string(n) +
             " events have no partition into 3 "
             "groups; give groupCount 2 or the groups";
    }
  }
  if (!(options.timeLimit >= 0)) return "the time limit must be >= 0";
  if (options.atLeast < 1 || options.atLeast > n) {
    return "the count of events must be from 1 to n=" + std::to_string(n) +
           ", not " + std::to_string(options.atLeast);
  }
  const sharp::CountTarget target{options.atLeast, options.exactly};
  if (options.kind == SharpKind::kFull &&
      !sharp::FullProgramCovers(target, n)) {
    return "the full program bounds other events than the union only up to " +
           std::to_string(sharp::kExactPricingLimit) + " events";
  }
  return "";
}

// Why a number cannot enter the exact arithmetic, for the first such number
// (counted from 1); empty when none. A number that is not finite has no
// exact value, and one farther than 1 from [0, 1] is no probability within
// any tolerance that leaves a bound to give; such numbers also overflow the
// outward rounding of epsilon (the largest double does).
std::string ValueProblem(const std::vector<double>& values, size_t count) {
  for (size_t i = 0; i < count && i < values.size(); ++i) {
    const double x = values[i];
    if (std::isfinite(x) && x >= -1.0 && x <= 2.0) continue;
    char text[32];
    std::snprintf(text, sizeof text, "%.17g", x);
    return "number " + std::to_string(i + 1) + " is " + text +
           (std::isfinite(x) ? ", too far outside [0, 1] to be a probability"
                             : ", not a finite number");
  }
  return "";
}

// One side of a row as the library gives it: the row's text and the double
// outside it. A bound that was not found is the trivial 0 or 1, which always
// holds, and makes the result untrustworthy.
void TakeSide(const PrintedBound& bound, bool full, SharpResult* result) {
  const bool lower = bound.lower;
  std::string* text = lower ? &result->lowerText : &result->upperText;
  double* value = lower ? &result->lower : &result->upper;
  std::string* status = lower ? &result->lowerStatus : &result->upperStatus;
  if (bound.hasValue) {
    *text = bound.text;
    *value = bound.outward;
    *status = !full && bound.status == "sharp" && bound.widened ? "widened"
                                                                : bound.status;
    return;
  }
  text->assign(1, lower ? '0' : '1');
  *value = lower ? 0.0 : 1.0;
  *status = full ? "failed" : bound.status;
  result->messages.push_back(
      std::string(lower ? "lower" : "upper") +
      (full ? " bound: the full program was not solved; the trivial bound is "
              "given"
            : " bound: the exact simplex method stopped at its pivot limit; "
              "the trivial bound is given"));
  result->status = kStatusUntrustworthy;
}

// The row of the kind asked for; a side without a row is a bound not found.
void TakeBounds(const SharpAnalysis& analysis, SharpResult* result) {
  const std::vector<BoundRow> rows = BoundRows(analysis);
  const bool full = result->kind == SharpKind::kFull;
  const RowKind kind =
      result->kind == SharpKind::kUnivariate     ? RowKind::kUnivariate
      : full                                     ? RowKind::kFull
      : result->kind == SharpKind::kBest         ? RowKind::kBest
      : result->kind == SharpKind::kMultivariate ? RowKind::kMultivariate
                                                 : RowKind::kBivariate;
  BoundRow missing{kind, PrintedBound(), PrintedBound(), 0.0};
  missing.upper.lower = false;
  missing.lower.status = missing.upper.status = "failed";
  const BoundRow* found = FindRow(rows, kind);
  const BoundRow& row = found != nullptr ? *found : missing;
  TakeSide(row.lower, full, result);
  TakeSide(row.upper, full, result);
  if (kind == RowKind::kBivariate || kind == RowKind::kBest) {
    result->lowerL = row.lower.exists && row.lower.l > 0 ? row.lower.l : 0;
    result->upperL = row.upper.exists && row.upper.l > 0 ? row.upper.l : 0;
  }
  result->lowerGroups = row.lower.groups;
  result->upperGroups = row.upper.groups;
  if (kind == RowKind::kBest) {
    if (row.lower.hasValue) result->lowerStatus = SourceStatus(row.lower);
    if (row.upper.hasValue) result->upperStatus = SourceStatus(row.upper);
  }
  if (full && FullBoundsCross(analysis)) {
    result->messages.push_back(
        FullCrossMessage(analysis, LibraryWords("", analysis.tolerance)));
    result->status = kStatusUntrustworthy;
  }
}

void TakeConsistency(const SharpAnalysis& analysis, SharpResult* result) {
  result->consistent = sharp::ConsistentAsTyped(analysis);
  result->typedNumbers = analysis.typedNumbers;
  result->typedDecimals = analysis.typedDecimals;
  result->roundingHint = sharp::RoundingHint(analysis, "a tolerance of ");
  if (result->consistent) return;
  const Rational epsilon = sharp::ConsistencyEpsilon(analysis);
  result->epsilonText = EpsilonText(epsilon);
  result->epsilon = OutwardDouble(epsilon, true);
}

SharpResult Analyse(const RealVector& p, const ExactData& exact, int32_t n,
                    int32_t m, const SharpOptions& options,
                    const Rational& tolerance) {
  AnalysisOptions analysisOptions;
  analysisOptions.hasTolerance =
      !options.toleranceText.empty() || options.hasTolerance;
  analysisOptions.tolerance = tolerance;
  analysisOptions.threads = options.threads < 1 ? 1 : options.threads;
  analysisOptions.full = options.kind == SharpKind::kFull;
  analysisOptions.fullOptions.timeLimit = options.timeLimit;
  analysisOptions.target = {options.atLeast, options.exactly};
  // The multivariate programs where asked for, and for the best bounds
  // where they are fast.
  analysisOptions.multivariate =
      options.kind == SharpKind::kMultivariate ? sharp::MultivariateMode::kOn
      : options.kind == SharpKind::kBest       ? sharp::MultivariateMode::kAuto
                                               : sharp::MultivariateMode::kOff;
  if (options.kind == SharpKind::kMultivariate) {
    if (!options.groups.empty()) analysisOptions.givenGroups = {options.groups};
    if (options.groupCount != 0) {
      analysisOptions.groupCounts = {options.groupCount};
    }
  }
  analysisOptions.cancel = options.cancel;
  const SharpAnalysis analysis =
      AnalyseProbabilities(p, exact, n, m, analysisOptions);
  SharpResult result;
  result.kind = options.kind;
  result.lowerText.assign(1, '0');
  result.upperText.assign(1, '1');
  TakeConsistency(analysis, &result);
  if (IsInconsistent(analysis)) {
    result.status = kStatusUntrustworthy;
    result.messages.push_back(
        InconsistencyMessage(analysis, analysisOptions.hasTolerance, tolerance,
                             LibraryWords(options.toleranceText, tolerance)));
    return result;
  }
  result.widened = analysis.widened;
  result.computed = true;
  TakeBounds(analysis, &result);
  return result;
}

// What a call that threw gives its caller instead: the memory ran out, or
// the system refused something else (a thread that cannot be started when
// the process limit is reached, say). Nothing is computed.
SharpResult Stopped(int status, const std::string& what) {
  SharpResult result =
      Refuse("the computation stopped: " + what + "; no bounds were given");
  result.status = status;
  return result;
}

template <typename Call>
SharpResult WithoutExceptions(const Call& call) {
  try {
    return call();
  } catch (const sharp::Cancelled&) {
    SharpResult result = Refuse("cancelled: no bounds were given");
    result.status = kStatusCancelled;
    return result;
  } catch (const std::bad_alloc&) {
    return Stopped(kStatusOutOfMemory, "out of memory");
  } catch (const std::exception& e) {
    return Stopped(kStatusUntrustworthy, e.what());
  }
}

SharpResult BoundsOfValues(const std::vector<double>& values, int32_t n,
                           int32_t m, const SharpOptions& options) {
  Rational tolerance;
  const std::string problem = OptionProblem(n, m, options, &tolerance);
  if (!problem.empty()) return Refuse(problem);
  const int64_t count = unionbound::ProbabilityCount(n, m);
  if (static_cast<int64_t>(values.size()) < count) {
    return Refuse("expected " + std::to_string(count) + " numbers, got " +
                  std::to_string(values.size()));
  }
  const std::string valueProblem =
      ValueProblem(values, static_cast<size_t>(count));
  if (!valueProblem.empty()) return Refuse(valueProblem);
  const RealVector p(values.begin(), values.begin() + count);
  return Analyse(p, ExactDataFromDoubles(p), n, m, options, tolerance);
}

SharpResult BoundsOfFile(const std::string& path, int32_t n, int32_t m,
                         const SharpOptions& options) {
  Rational tolerance;
  const std::string problem = OptionProblem(n, m, options, &tolerance);
  if (!problem.empty()) return Refuse(problem);
  const int32_t count = unionbound::ProbabilityCount(n, m);
  // One read of the file, in chunks: the doubles and the numbers as typed
  // both come from them, and the text is never held whole.
  ExactScanner exact(static_cast<size_t>(count));
  const ProbabilityRead read = ReadNumbersOfPath(path, count, &exact);
  if (!read.opened) return Refuse(path + ": cannot be opened");
  if (read.read != count) {
    return Refuse(path + ": expected " + std::to_string(count) +
                  " numbers, read " + std::to_string(read.read));
  }
  const std::string valueProblem =
      ValueProblem(read.p, static_cast<size_t>(count));
  if (!valueProblem.empty()) return Refuse(path + ": " + valueProblem);
  return Analyse(read.p, exact.Finish(read.p), n, m, options, tolerance);
}

}  // namespace

SharpResult SharpBounds(const std::vector<double>& values, int32_t n, int32_t m,
                        const SharpOptions& options) {
  return WithoutExceptions(
      [&] { return BoundsOfValues(values, n, m, options); });
}

SharpResult SharpBoundsOfFile(const std::string& path, int32_t n, int32_t m,
                              const SharpOptions& options) {
  return WithoutExceptions([&] { return BoundsOfFile(path, n, m, options); });
}

}  // namespace unionbound::api

#endif  // UNIONBOUND_HAS_SHARP

// The public library interface of include/unionbound/unionbound.h, on top of
// the pass computation and the reader that unionbound itself uses.
#include <unionbound/unionbound.h>

#include <cmath>
#include <sstream>

#include "api/sample_probabilities.h"
#include "bounds/pass.h"
#include "bounds/pass_loop.h"
#include "cli/exit_status.h"
#include "cli/version.h"
#include "driver/bound_checks.h"
#include "driver/bound_summary.h"
#include "driver/console_input.h"
#include "driver/data_messages.h"
#include "driver/result_report.h"
#include "input/data_check.h"
#include "input/probability_input.h"
#include "numeric/library_messages.h"
#include "numeric/subset_order.h"
#include "optim/sense.h"
#include "problem/binomial_moments.h"
#include "problem/power_moments.h"

namespace unionbound::api {

// The statuses of the public header are the programs' exit statuses.
static_assert(kStatusSound == unionbound::kExitSound);
static_assert(kStatusRefused == unionbound::kExitRefused);
static_assert(kStatusUntrustworthy == unionbound::kExitUntrustworthy);
static_assert(kStatusOutOfMemory == unionbound::kExitOutOfMemory);

const char* Version() { return kVersion; }

bool HasSharp() {
#ifdef UNIONBOUND_HAS_SHARP
  return true;
#else
  return false;
#endif
}

std::string SizeProblem(int32_t n, int32_t m) {
  std::ostringstream reason;
  if (CheckRunSizes(n, m, reason)) return "";
  std::string line = reason.str();
  while (!line.empty() && line.back() == '\n') line.pop_back();
  return line;
}

int64_t ProbabilityCount(int32_t n, int32_t m) {
  return unionbound::ProbabilityCount(n, m);
}

Probabilities ReadProbabilityFile(const std::string& path, int32_t n,
                                  int32_t m) {
  Probabilities result;
  const std::string sizeProblem = SizeProblem(n, m);
  if (!sizeProblem.empty()) {
    result.error = sizeProblem;
    return result;
  }
  const int32_t count = unionbound::ProbabilityCount(n, m);
  const ProbabilityRead read = unionbound::ReadProbabilityFile(path, count);
  result.values = read.p;
  result.values.resize(static_cast<size_t>(count), 0.0);
  result.read = read.read;
  if (!read.opened) {
    result.error = path + ": cannot be opened";
  } else {
    // The numbers that cannot be probabilities are refused here, as
    // unionbound refuses them: no bound is computed from them.
    const std::string why =
        WhyNoBounds(read, FindNonProbabilities(read.p), n, m);
    if (!why.empty()) result.error = path + ": " + why;
  }
  return result;
}

namespace {

PassBounds Bounds(const Pass& pass) {
  return PassBounds{pass.l, Bound{-pass.lower.result.value, pass.lower.seconds},
                    Bound{-pass.upper.result.value, pass.upper.seconds}};
}

}  // namespace

std::vector<PassBounds> ComputePasses(const std::vector<double>& values,
                                      int32_t n, int32_t m) {
  std::vector<PassBounds> passes;
  if (!SizeProblem(n, m).empty() ||
      static_cast<int64_t>(values.size()) != ProbabilityCount(n, m)) {
    return passes;
  }
  const RealVector p(values.begin(), values.end());
  if (FindNonProbabilities(p).count > 0) return passes;
  // The numeric code's messages have no place in the result; they must not
  // reach the host's standard output either.
  std::ostringstream messages;
  const MessageSink sink(messages);
  for (PassLoop loop(p, n, m, nullptr); !loop.Done();) {
    passes.push_back(Bounds(loop.Next()));
  }
  return passes;
}

BestBounds BestOf(const std::vector<PassBounds>& passes) {
  BestBounds best;
  for (const PassBounds& pass : passes) {
    // The procedures minimise and maximise the negated bound; a later l
    // replaces the best only on strict improvement, as in KeepBestBounds.
    if (!best.any ||
        Improves(Sense::kMinimise, -pass.lower.value, -best.lower)) {
      best.lower = pass.lower.value;
      best.lowerL = pass.l;
    }
    if (!best.any ||
        Improves(Sense::kMaximise, -pass.upper.value, -best.upper)) {
      best.upper = pass.upper.value;
      best.upperL = pass.l;
    }
    best.any = true;
  }
  return best;
}

namespace {

// The lines of text, without their line ends.
std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

}  // namespace

RunResult RunOnValues(const std::vector<double>& values, int32_t n, int32_t m,
                      const std::string& name) {
  RunResult run;
  std::ostringstream err;
  if (!CheckRunSizes(n, m, err)) {
    run.status = kStatusRefused;
    run.messages = Lines(err.str());
    return run;
  }
  const int32_t count = unionbound::ProbabilityCount(n, m);
  const int64_t given = static_cast<int64_t>(values.size());
  if (given < count) {
    run.status = kStatusRefused;
    run.messages.push_back("unionbound: " + name + ": expected " +
                           std::to_string(count) + " numbers, got " +
                           std::to_string(given));
    return run;
  }
  const RealVector p(values.begin(), values.begin() + count);
  const NonProbabilities non = FindNonProbabilities(p);
  if (non.count > 0) {
    // No bounds from numbers that cannot be probabilities.
    const ProbabilityRead read{p, count, count, true, ReadStop::kComplete,
                               0, false, {}};
    run.status = kStatusUntrustworthy;
    run.messages.push_back("unionbound: " + name + ": " +
                           WhyNoBounds(read, non, n, m) +
                           "; nothing was computed");
    return run;
  }
  const DataCheck check = CheckProbabilities(p, n, m, kProblemsShown);
  WriteDataProblems(check, name, err);
  if (check.problems > 0) run.status = kStatusUntrustworthy;
  WriteEntriesLeft(given - count, count, n, m, name, err);

  std::ostringstream report;
  WriteReportHeader(report, n, m, m);
  CarefulPasses careful;
  std::ostringstream libraryMessages;
  PassLoop loop(p, n, m, nullptr);
  {
    // The numeric code's messages join the run's messages below, never the
    // host's standard output.
    const MessageSink sink(libraryMessages);
    while (!loop.Done()) {
      const Pass& pass = loop.Next();
      NoteCarefulPass(pass, &careful);
      WritePassReport(report, pass);
      run.passes.push_back(Bounds(pass));
      if (!IsUsableValue(Sense::kMinimise, pass.lower.result.value) ||
          !IsUsableValue(Sense::kMaximise, pass.upper.result.value)) {
        const bool lowerUsable = IsUsableBound(Sense::kMinimise, pass, err);
        const bool upperUsable = IsUsableBound(Sense::kMaximise, pass, err);
        if (!lowerUsable || !upperUsable) run.status = kStatusUntrustworthy;
      }
    }
  }
  const unionbound::BestBounds& best = loop.best();
  if (!ReportCarefulPasses(careful, err)) run.status = kStatusUntrustworthy;
  if (BoundsCross(best, err)) run.status = kStatusUntrustworthy;
  std::ostringstream summary;
  WriteBoundSummary(best, summary);
  run.report = report.str();
  run.summary = summary.str();
  run.best = BestBounds{best.anyPass, -best.lower.value, best.lower.l,
                        -best.upper.value, best.upper.l};
  run.messages = Lines(err.str() + libraryMessages.str());
  return run;
}

std::vector<double> IntersectionProbabilities(
    const std::vector<uint8_t>& table, int64_t rows, int32_t n, int32_t m,
    const std::vector<double>& weights) {
  if (n < 1 || m < 1 || !ProbabilityCountFits(n, m) || rows < 1 ||
      table.size() != static_cast<size_t>(rows) * static_cast<size_t>(n)) {
    return {};
  }
  if (!weights.empty()) {
    if (weights.size() != static_cast<size_t>(rows)) return {};
    double total = 0.0;
    for (double w : weights) {
      if (!std::isfinite(w) || w < 0.0) return {};
      total += w;
    }
    if (!(total > 0.0) || !std::isfinite(total)) return {};
  }
  return SampleIntersectionProbabilities(table, rows, n, m, weights);
}

}  // namespace unionbound::api

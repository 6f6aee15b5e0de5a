#include "driver/run.h"

#include <cmath>
#include <fstream>
#include <iostream>
#include <string>

#include "bounds/pass.h"
#include "driver/bound_summary.h"
#include "driver/console_input.h"
#include "driver/result_report.h"
#include "input/probability_input.h"
#include "optim/sense.h"
#include "problem/binomial_moments.h"

namespace unionbound {

namespace {

constexpr const char* kProbabilityFile = "prob.txt";
constexpr const char* kReportFile = "result.txt";

const char* DescribeStop(ReadStop stop) {
  switch (stop) {
    case ReadStop::kCannotOpen:
      return "the file cannot be opened";
    case ReadStop::kEndOfInput:
      return "the file ends early";
    case ReadStop::kNotANumber:
      return "a token is not a number";
    case ReadStop::kReadError:
      return "the file cannot be read";
    case ReadStop::kComplete:
      break;
  }
  return "complete";
}

// Missing numbers are read as 0.0 and the run goes on, but it must not look
// like a success.
bool ReportShortRead(const ProbabilityRead& read, std::ostream& err) {
  if (read.read == read.expected) return true;
  err << "unionbound: " << kProbabilityFile << ": expected " << read.expected
      << " numbers, read " << read.read << " (" << DescribeStop(read.stop)
      << "); the missing ones were taken as 0" << std::endl;
  return false;
}

const char* BoundName(Sense sense) {
  return sense == Sense::kMinimise ? "lower" : "upper";
}

// A procedure that kept no candidate returns its sentinel; an optimum that
// is not finite is no bound either. Either way the run cannot be trusted.
bool IsUsableBound(Sense sense, const Pass& pass, std::ostream& err) {
  const double value = BoundOfSense(pass, sense).result.value;
  if (value == SentinelFor(sense)) {
    err << "unionbound: l=" << pass.l << ": no candidate gave a usable "
        << BoundName(sense) << " bound; the value printed is a placeholder"
        << std::endl;
    return false;
  }
  if (!std::isfinite(value)) {
    err << "unionbound: l=" << pass.l << ": the " << BoundName(sense)
        << " bound is not finite (" << -value << ")" << std::endl;
    return false;
  }
  return true;
}

void WaitForReturn() {
  std::cout << "Press RETURN to continue";
  std::cout.flush();
  std::string ignored;
  std::getline(std::cin, ignored);
  std::getline(std::cin, ignored);
}

}  // namespace

int RunUnionBound() {
  const RunSizes sizes = ReadRunSizes(std::cin, std::cout, std::cerr);
  if (!sizes.ok) return kExitBadConsoleInput;
  const int32_t n = sizes.n;
  const int32_t m = sizes.m;
  const int32_t m_k = m;
  int status = kExitSound;

  const ProbabilityRead read =
      ReadProbabilityFile(kProbabilityFile, ProbabilityCount(n, m));
  if (!ReportShortRead(read, std::cerr)) status = kExitUntrustworthy;

  std::ofstream report(kReportFile, std::ios::out | std::ios::trunc);
  const bool reportOpened = report.is_open();
  if (!reportOpened) {
    std::cerr << "unionbound: cannot open " << kReportFile
              << " for writing; the run goes on without a report" << std::endl;
    status = kExitUntrustworthy;
  }
  WriteReportHeader(report, n, m, m_k);

  BestBounds best;
  MomentBatch moments;
  const int64_t lastL = static_cast<int64_t>(n) - m_k;
  for (int32_t l = m_k; l <= lastL; ++l) {
    const Pass pass =
        ComputePass(read.p, n, m, l, static_cast<int32_t>(lastL), &moments);
    KeepBestBounds(pass, &best);
    const bool lowerUsable = IsUsableBound(Sense::kMinimise, pass, std::cerr);
    const bool upperUsable = IsUsableBound(Sense::kMaximise, pass, std::cerr);
    if (!lowerUsable || !upperUsable) status = kExitUntrustworthy;
    WritePassReport(report, pass);
  }
  report.close();
  if (reportOpened && report.fail()) {
    std::cerr << "unionbound: writing " << kReportFile
              << " failed; the report is incomplete" << std::endl;
    status = kExitUntrustworthy;
  }

  WriteBoundSummary(best, std::cout);
  WaitForReturn();
  // Scripts read the summary from standard output: losing it is a failure.
  if (!std::cout.flush()) {
    std::cerr << "unionbound: writing to standard output failed; the summary "
                 "of the bounds was lost"
              << std::endl;
    status = kExitUntrustworthy;
  }
  return status;
}

}  // namespace unionbound

#include "driver/run.h"

#include <fstream>
#include <iostream>
#include <string>

#include "driver/bound_stage.h"
#include "driver/console_input.h"
#include "driver/probability_input.h"
#include "problem/binomial_moments.h"
#include "problem/support_rows.h"

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

void WritePassHeader(std::ostream& report, int32_t l) {
  report << std::endl << std::endl;
  report << "The length of the subsecuences. l=" << l << std::endl;
}

// Switches the report to fixed notation for the rest of the run.
void WriteBinomialMoments(std::ostream& report, const RealVector& b) {
  report << std::endl;
  report << "The binomial moments:" << std::endl;
  report << "{";
  report << std::fixed;
  for (double entry : b) {
    report.precision(20);
    report << entry << ",";
  }
  report << "}" << std::endl;
}

// The binomial moments come from batches of consecutive lengths up to lastL.
void MakePass(int32_t n, int32_t m, int32_t m_k, int32_t l, int32_t lastL,
              const RealVector& p, MomentBatch* moments, std::ostream& report,
              BoundStage* stage) {
  PassData pass;
  pass.t0 = ClockMilliseconds();
  pass.l = l;
  pass.m = m;
  pass.m_k = m_k;
  pass.supports = SupportRows(n, l);
  pass.variablePairs = {{1, 2}};
  pass.maxOrders = {m_k, m_k};
  pass.b = BatchedBinomialMoments(p, n, l, lastL, m, pass.variablePairs,
                                  pass.maxOrders, moments);
  ComputeLowerBound(pass, stage, std::cerr);
  WritePassHeader(report, l);
  ComputeUpperBoundAndReport(pass, stage, report, std::cerr);
  WriteBinomialMoments(report, pass.b);
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
  report << "n=" << n << ", m=" << m << ", m_k=" << m_k << std::endl;

  BoundStage stage;
  MomentBatch moments;
  const int64_t lastL = static_cast<int64_t>(n) - m_k;
  for (int32_t l = m_k; l <= lastL; ++l) {
    MakePass(n, m, m_k, l, static_cast<int32_t>(lastL), read.p, &moments,
             report, &stage);
  }
  report.close();
  if (reportOpened && report.fail()) {
    std::cerr << "unionbound: writing " << kReportFile
              << " failed; the report is incomplete" << std::endl;
    status = kExitUntrustworthy;
  }
  if (stage.untrustworthy) status = kExitUntrustworthy;

  WriteBoundSummary(stage, std::cout);
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

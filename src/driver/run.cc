#include "driver/run.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstring>
#include <iostream>
#include <string>

#include "bounds/pass.h"
#include "driver/bound_summary.h"
#include "driver/console_input.h"
#include "driver/data_messages.h"
#include "driver/progress_line.h"
#include "driver/report_file.h"
#include "driver/result_report.h"
#include "input/data_check.h"
#include "input/probability_input.h"
#include "optim/sense.h"
#include "problem/binomial_moments.h"

namespace unionbound {

namespace {

// Why the probability file cannot be read at all, or empty when it can be
// opened as a file.
std::string WhyUnreadable(const std::string& path) {
  struct stat status;
  if (stat(path.c_str(), &status) != 0) return std::strerror(errno);
  if (S_ISDIR(status.st_mode)) return std::strerror(EISDIR);
  const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK);
  if (fd < 0) return std::strerror(errno);
  close(fd);
  return "";
}

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
bool ReportShortRead(const ProbabilityRead& read, const std::string& file,
                     std::ostream& err) {
  if (read.read == read.expected) return true;
  err << "unionbound: " << file << ": expected " << read.expected
      << " numbers, read " << read.read << " (" << DescribeStop(read.stop)
      << "); the missing ones were taken as 0" << std::endl;
  return false;
}

const char* BoundName(Sense sense) {
  return sense == Sense::kMinimise ? "lower" : "upper";
}

bool IsUsableValue(Sense sense, double value) {
  return value != SentinelFor(sense) && std::isfinite(value);
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

// Bounds that cross say that the data are no probabilities, or that the
// method failed on them. Rounding may leave equal bounds a few units in the
// last place apart, so only a larger gap counts.
bool BoundsCross(const BestBounds& best, std::ostream& err) {
  if (!best.anyPass || !IsUsableValue(Sense::kMinimise, best.lower.value) ||
      !IsUsableValue(Sense::kMaximise, best.upper.value)) {
    return false;
  }
  const double lower = -best.lower.value;
  const double upper = -best.upper.value;
  const double larger = std::fmax(std::fabs(lower), std::fabs(upper));
  const double gap = lower - upper;
  if (!(gap > kRelativeTolerance * larger && gap > kAbsoluteTolerance)) {
    return false;
  }
  err << "unionbound: the best lower bound " << ShortestText(lower)
      << " (l=" << best.lower.l << ") exceeds the best upper bound "
      << ShortestText(upper) << " (l=" << best.upper.l
      << "); the bounds cannot be trusted" << std::endl;
  return true;
}

void WaitForReturn() {
  std::cout << "Press RETURN to continue";
  std::cout.flush();
  std::string ignored;
  std::getline(std::cin, ignored);
  std::getline(std::cin, ignored);
}

// The passes for l = m .. n - m, each written to the report as it is done.
// Returns false when a pass gave no usable bound.
bool MakePasses(const RealVector& p, int32_t n, int32_t m, std::ostream& report,
                BestBounds* best) {
  bool usable = true;
  MomentBatch moments;
  const int32_t m_k = m;
  const int32_t lastL = n - m_k;
  ProgressLine progress(std::cerr, StderrIsTerminal(), lastL - m_k + 1);
  for (int32_t l = m_k; l <= lastL; ++l) {
    const Pass pass = ComputePass(p, n, m, l, lastL, &moments);
    KeepBestBounds(pass, best);
    if (!IsUsableValue(Sense::kMinimise, pass.lower.result.value) ||
        !IsUsableValue(Sense::kMaximise, pass.upper.result.value)) {
      progress.Clear();
      const bool lowerUsable = IsUsableBound(Sense::kMinimise, pass, std::cerr);
      const bool upperUsable = IsUsableBound(Sense::kMaximise, pass, std::cerr);
      usable = usable && lowerUsable && upperUsable;
    }
    WritePassReport(report, pass);
    progress.Update(l - m_k + 1);
  }
  return usable;
}

}  // namespace

int RunUnionBound(const RunOptions& options) {
  const RunSizes sizes = ReadRunSizes(std::cin, std::cout, std::cerr);
  if (!sizes.ok) return kExitBadConsoleInput;
  return RunWithSizes(sizes.n, sizes.m, options);
}

int RunWithSizes(int32_t n, int32_t m, const RunOptions& options) {
  const std::string& file = options.probabilityFile;
  const std::string unreadable = WhyUnreadable(file);
  if (!unreadable.empty()) {
    std::cerr << "unionbound: cannot read " << file << " (" << unreadable
              << "); nothing was computed and " << options.reportFile
              << " was left as it was" << std::endl;
    return kExitUntrustworthy;
  }
  const int32_t m_k = m;
  int status = kExitSound;

  const int32_t count = ProbabilityCount(n, m);
  const ProbabilityRead read = ReadProbabilityFile(file, count);
  if (!ReportShortRead(read, file, std::cerr)) status = kExitUntrustworthy;
  const DataCheck check = CheckProbabilities(read.p, n, m, kProblemsShown);
  WriteDataProblems(check, file, std::cerr);
  if (check.problems > 0) status = kExitUntrustworthy;
  WriteEntriesLeft(read.entriesLeft, count, n, m, file, std::cerr);

  BestBounds best;
  {
    ReportFile report(options.reportFile, std::cerr);
    if (!report.opened()) status = kExitUntrustworthy;
    WriteReportHeader(report.stream(), n, m, m_k);
    if (!MakePasses(read.p, n, m, report.stream(), &best)) {
      status = kExitUntrustworthy;
    }
    if (report.opened() && !report.Commit(std::cerr)) {
      status = kExitUntrustworthy;
    }
  }

  WriteBoundSummary(best, std::cout);
  // After a short read the zeros taken for the missing numbers explain
  // crossing bounds, and the run has already said so.
  const bool complete = read.read == read.expected;
  if (complete && BoundsCross(best, std::cerr)) status = kExitUntrustworthy;
  if (options.waitForReturn) WaitForReturn();
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

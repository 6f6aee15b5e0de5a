#include "driver/run.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstring>
#include <iostream>
#include <optional>
#include <sstream>
#include <string>

#include "bounds/pass.h"
#include "cli/program_options.h"
#include "cli/report_file.h"
#include "driver/bound_checks.h"
#include "driver/bound_summary.h"
#include "driver/console_input.h"
#include "driver/data_messages.h"
#include "driver/json_report.h"
#include "driver/message_log.h"
#include "driver/progress_line.h"
#include "driver/result_report.h"
#include "input/data_check.h"
#include "input/entries_left.h"
#include "input/probability_input.h"
#include "optim/sense.h"
#include "problem/binomial_moments.h"
#include "problem/moments_while_reading.h"

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
                JsonReport* json, bool showProgress, BestBounds* best,
                std::ostream& err, MomentBatch* moments) {
  bool usable = true;
  const int32_t m_k = m;
  const int32_t lastL = n - m_k;
  ProgressLine progress(std::cerr, showProgress && StderrIsTerminal(),
                        lastL - m_k + 1);
  for (int32_t l = m_k; l <= lastL; ++l) {
    const Pass pass = ComputePass(p, n, m, l, lastL, moments);
    KeepBestBounds(pass, best);
    if (!IsUsableValue(Sense::kMinimise, pass.lower.result.value) ||
        !IsUsableValue(Sense::kMaximise, pass.upper.result.value)) {
      progress.Clear();
      const bool lowerUsable = IsUsableBound(Sense::kMinimise, pass, err);
      const bool upperUsable = IsUsableBound(Sense::kMaximise, pass, err);
      usable = usable && lowerUsable && upperUsable;
    }
    WritePassReport(report, pass);
    if (json != nullptr) json->AddPass(pass);
    progress.Update(l - m_k + 1);
  }
  return usable;
}

// The numbers from the probability file, or from standard input for "-".
// A file is read while the binomial moments are worked out.
ProbabilityRead ReadInput(const std::string& file, int32_t count, int32_t n,
                          int32_t m, MomentBatch* moments) {
  if (file != kStandardStream) {
    return ReadProbabilitiesWithMoments(file, n, m, moments);
  }
  ProbabilityRead read = ReadProbabilitiesFrom(std::cin, count);
  if (read.read == count) read.entriesLeft = CountEntriesLeft(std::cin);
  return read;
}

// The JSON document to its file, complete or not at all, or to standard
// output for "-".
bool WriteJson(const std::string& text, const std::string& file,
               std::ostream& err) {
  if (file == kStandardStream) {
    std::cout << text;
    if (std::cout.flush()) return true;
    err << "unionbound: writing the JSON document to standard output failed"
        << std::endl;
    return false;
  }
  ReportFile json(file, err);
  json.stream() << text;
  return json.opened() && json.Commit(err);
}

}  // namespace

bool WriteRefusedRunJson(const RefusedRun& run, const std::string& file,
                         std::ostream& err) {
  return WriteJson(RefusedRunJson(run), file, err);
}

int RunUnionBound(const RunOptions& options) {
  const RunSizes sizes = ReadRunSizes(std::cin, std::cout, std::cerr);
  if (!sizes.ok) return kExitBadConsoleInput;
  return RunWithSizes(sizes.n, sizes.m, options);
}

int RunWithSizes(int32_t n, int32_t m, const RunOptions& options) {
  // Every message goes to standard error at once and is kept for the JSON.
  MessageLog err(std::cerr);
  const std::string& file = options.probabilityFile;
  const bool fromStandardInput = file == kStandardStream;
  const int32_t count = ProbabilityCount(n, m);
  JsonRunHeader header{n, m, file, count, 0};
  std::ostringstream jsonText;
  std::optional<JsonReport> json;
  if (!options.jsonFile.empty()) json.emplace(jsonText);

  const std::string unreadable = fromStandardInput ? "" : WhyUnreadable(file);
  if (!unreadable.empty()) {
    err << "unionbound: cannot read " << file << " (" << unreadable
        << "); nothing was computed and " << options.reportFile
        << " was left as it was" << std::endl;
    if (!options.jsonFile.empty()) {
      const RefusedRun refused{"unionbound",       std::to_string(n),
                               std::to_string(m),  file,
                               kExitUntrustworthy, err.Lines()};
      WriteRefusedRunJson(refused, options.jsonFile, err);
    }
    return kExitUntrustworthy;
  }
  const int32_t m_k = m;
  int status = kExitSound;

  MomentBatch moments;
  const ProbabilityRead read = ReadInput(file, count, n, m, &moments);
  if (!ReportShortRead(read, file, err)) status = kExitUntrustworthy;
  const DataCheck check = CheckProbabilities(read.p, n, m, kProblemsShown);
  WriteDataProblems(check, file, err);
  if (check.problems > 0) status = kExitUntrustworthy;
  WriteEntriesLeft(read.entriesLeft, count, n, m, file, err);
  header.numbersRead = read.read;
  if (json) json->Begin(header, check);

  BestBounds best;
  {
    ReportFile report(options.reportFile, err);
    if (!report.opened()) status = kExitUntrustworthy;
    WriteReportHeader(report.stream(), n, m, m_k);
    if (!MakePasses(read.p, n, m, report.stream(), json ? &*json : nullptr,
                    !options.quiet, &best, err, &moments)) {
      status = kExitUntrustworthy;
    }
    if (report.opened() && !report.Commit(err)) {
      status = kExitUntrustworthy;
    }
  }

  // Standard output carries the summary, unless it is quiet or carries the
  // JSON document.
  const bool summary = !options.quiet && options.jsonFile != kStandardStream;
  if (summary) WriteBoundSummary(best, std::cout);
  // After a short read the zeros taken for the missing numbers explain
  // crossing bounds, and the run has already said so.
  const bool complete = read.read == read.expected;
  if (complete && BoundsCross(best, err)) status = kExitUntrustworthy;
  if (options.waitForReturn) WaitForReturn();
  // Scripts read the summary from standard output: losing it is a failure.
  if (!std::cout.flush()) {
    err << "unionbound: writing to standard output failed; the summary "
           "of the bounds was lost"
        << std::endl;
    status = kExitUntrustworthy;
  }
  if (json) {
    json->Finish(best, status, err.Lines());
    if (!WriteJson(jsonText.str(), options.jsonFile, err)) {
      status = kExitUntrustworthy;
    }
  }
  return status;
}

}  // namespace unionbound

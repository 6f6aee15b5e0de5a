#include "driver/run.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstring>
#include <iostream>
#include <limits>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "bounds/pass.h"
#include "bounds/pass_loop.h"
#include "cli/program_options.h"
#include "cli/progress_line.h"
#include "cli/report_file.h"
#include "cli/same_file.h"
#include "driver/bound_checks.h"
#include "driver/bound_summary.h"
#include "driver/console_input.h"
#include "driver/data_messages.h"
#include "driver/json_report.h"
#include "driver/message_log.h"
#include "driver/moments_while_reading.h"
#include "driver/result_report.h"
#include "input/data_check.h"
#include "input/entries_left.h"
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

bool StdinIsTerminal() { return isatty(STDIN_FILENO) == 1; }

void WaitForReturn() {
  std::cout << "Press RETURN to continue";
  std::cout.flush();
  // Two lines (the rest of m's and the RETURN), kept nowhere: a line that
  // never ends must not fill memory.
  for (int line = 0; line < 2; ++line) {
    std::cin.ignore(std::numeric_limits<std::streamsize>::max(), '\n');
  }
}

// The passes for l = m .. n - m, each written to the report as it is done.
// Returns false when a pass gave no usable bound.
bool MakePasses(const RealVector& p, int32_t n, int32_t m, std::ostream& report,
                JsonReport* json, bool showProgress, BestBounds* best,
                std::ostream& err, MomentBatch* moments) {
  bool usable = true;
  PassLoop loop(p, n, m, moments);
  ProgressLine progress(std::cerr, showProgress && StderrIsTerminal(),
                        loop.Count());
  CarefulPasses careful;
  while (!loop.Done()) {
    const Pass& pass = loop.Next();
    NoteCarefulPass(pass, &careful);
    if (!IsUsableValue(Sense::kMinimise, pass.lower.result.value) ||
        !IsUsableValue(Sense::kMaximise, pass.upper.result.value)) {
      progress.Clear();
      const bool lowerUsable = IsUsableBound(Sense::kMinimise, pass, err);
      const bool upperUsable = IsUsableBound(Sense::kMaximise, pass, err);
      usable = usable && lowerUsable && upperUsable;
    }
    WritePassReport(report, pass);
    if (json != nullptr) json->AddPass(pass);
    progress.Update(pass.l - m + 1);
  }
  *best = loop.best();
  progress.Clear();
  if (!ReportCarefulPasses(careful, err)) usable = false;
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
  if (read.read == count) {
    read.entriesLeft = CountEntriesLeft(std::cin, &read.entriesLeftCut);
  }
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

namespace {

// What happened to the report of a run that computed nothing.
std::string ReportLeft(const RunOptions& options) {
  if (options.reportFile.empty() || options.reportFile == kStandardStream) {
    return "nothing was computed";
  }
  return "nothing was computed and " + options.reportFile +
         " was left as it was";
}

// Ends a run that computed nothing with the line on err and, when one was
// asked for, the JSON document of the refusal.
int EndWithoutBounds(int32_t n, int32_t m, const RunOptions& options,
                     int status, MessageLog& err) {
  if (!options.jsonFile.empty()) {
    const RefusedRun refused{"unionbound",
                             std::to_string(n),
                             std::to_string(m),
                             options.probabilityFile,
                             status,
                             err.Lines()};
    WriteRefusedRunJson(refused, options.jsonFile, err);
  }
  return status;
}

// A report file that was named with the probability file or the JSON
// document: refused before anything is read or written.
bool RefuseSharedFiles(int32_t n, int32_t m, const RunOptions& options,
                       MessageLog& err) {
  const std::vector<FileOption> files{{"-i", options.probabilityFile, 0},
                                      {"-o", options.reportFile, 1},
                                      {"--json", options.jsonFile, 1}};
  const SharedFile shared = FindSharedFile(files);
  if (shared.first == nullptr) return false;
  err << SharedFileMessage("unionbound", shared) << std::endl;
  // The document of the refusal goes only where it destroys nothing.
  const bool jsonShared =
      shared.first == &files[2] || shared.second == &files[2];
  if (!jsonShared) EndWithoutBounds(n, m, options, kExitRefused, err);
  return true;
}

}  // namespace

int RunUnionBound(const RunOptions& options) {
  // A missing probability file is said before the questions, not after.
  const std::string& file = options.probabilityFile;
  const std::string unreadable =
      file == kStandardStream ? "" : WhyUnreadable(file);
  if (!unreadable.empty()) {
    std::cerr << "unionbound: cannot read " << file << " (" << unreadable
              << "); nothing was computed and " << options.reportFile
              << " was left as it was" << std::endl;
    return kExitUntrustworthy;
  }
  const RunSizes sizes =
      ReadRunSizes(std::cin, std::cout, std::cerr, StdinIsTerminal());
  if (!sizes.ok) return kExitRefused;
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

  if (RefuseSharedFiles(n, m, options, err)) return kExitRefused;
  const std::string unreadable = fromStandardInput ? "" : WhyUnreadable(file);
  if (!unreadable.empty()) {
    err << "unionbound: cannot read " << file << " (" << unreadable << "); "
        << ReportLeft(options) << std::endl;
    return EndWithoutBounds(n, m, options, kExitUntrustworthy, err);
  }
  const int32_t m_k = m;
  int status = kExitSound;

  MomentBatch moments;
  const ProbabilityRead read = ReadInput(file, count, n, m, &moments);
  // Numbers that cannot be probabilities give no bounds at all.
  const std::string noBounds =
      WhyNoBounds(read, FindNonProbabilities(read.p), n, m);
  if (!noBounds.empty()) {
    err << "unionbound: " << file << ": " << noBounds << "; "
        << ReportLeft(options) << std::endl;
    return EndWithoutBounds(n, m, options, kExitUntrustworthy, err);
  }
  const DataCheck check = CheckProbabilities(read.p, n, m, kProblemsShown);
  WriteDataProblems(check, file, err);
  if (check.problems > 0) status = kExitUntrustworthy;
  WriteEntriesLeft(read.entriesLeft, count, n, m, file, err,
                   read.entriesLeftCut);
  header.numbersRead = read.read;
  if (json) json->Begin(header, check);

  BestBounds best;
  const bool reportToStandardOutput = options.reportFile == kStandardStream;
  if (options.reportFile.empty() || reportToStandardOutput) {
    // No report, or the report on standard output as it is made.
    std::ostream none(nullptr);
    std::ostream& report = reportToStandardOutput ? std::cout : none;
    WriteReportHeader(report, n, m, m_k);
    if (!MakePasses(read.p, n, m, report, json ? &*json : nullptr,
                    !options.quiet, &best, err, &moments)) {
      status = kExitUntrustworthy;
    }
  } else {
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
  // JSON document or the report.
  const bool summary = !options.quiet && options.jsonFile != kStandardStream &&
                       !reportToStandardOutput;
  if (summary) WriteBoundSummary(best, std::cout);
  if (BoundsCross(best, err)) status = kExitUntrustworthy;
  if (options.waitForReturn) WaitForReturn();
  // Scripts read the summary from standard output: losing it is a failure.
  if (!std::cout.flush()) {
    err << "unionbound: writing to standard output failed; "
        << (reportToStandardOutput ? "the report" : "the summary of the bounds")
        << " was lost" << std::endl;
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

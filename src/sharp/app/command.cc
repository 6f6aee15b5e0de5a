#include "sharp/app/command.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <mutex>
#include <sstream>
#include <stop_token>
#include <streambuf>
#include <string>
#include <string_view>
#include <system_error>
#include <thread>

#include "cli/data_reasons.h"
#include "cli/program_options.h"
#include "cli/progress_line.h"
#include "cli/refused_run_json.h"
#include "cli/report_file.h"
#include "cli/same_file.h"
#include "input/data_check.h"
#include "input/entries_left.h"
#include "input/extract_doubles.h"
#include "input/probability_input.h"
#include "problem/power_moments.h"
#include "sharp/analysis/analysis.h"
#include "sharp/analysis/messages.h"
#include "sharp/analysis/work_estimate.h"
#include "sharp/app/groups_file.h"
#include "sharp/app/json.h"
#include "sharp/app/report.h"
#include "sharp/atoms/full_program.h"
#include "sharp/data/exact_data.h"
#include "sharp/data/input_text.h"
#include "sharp/exact/outward_format.h"

namespace unionbound::sharp {
namespace {

constexpr const char* kProgram = "unionbound-sharp";

// The longest --time-limit taken: a year. Longer ones are typos.
constexpr double kLongestTimeLimit = 365.0 * 24 * 3600;

// A whole argument read as a decimal int; false for anything else.
bool ParseInt(const std::string& text, int32_t* value) {
  if (text.empty()) return false;
  for (size_t i = 0; i < text.size(); ++i) {
    const bool sign = i == 0 && (text[i] == '+' || text[i] == '-');
    if (!sign && (text[i] < '0' || text[i] > '9')) return false;
  }
  errno = 0;
  const long long parsed = std::strtoll(text.c_str(), nullptr, 10);
  if (errno != 0 || parsed < INT32_MIN || parsed > INT32_MAX) return false;
  *value = static_cast<int32_t>(parsed);
  return true;
}

// The command line refused with one line; what was read of it is kept for
// the JSON document of the refusal.
ParsedCommandLine Fail(ParsedCommandLine parsed, const std::string& error) {
  parsed.ok = false;
  parsed.error = error;
  return parsed;
}

ParsedCommandLine CheckSizes(ParsedCommandLine parsed) {
  const SharpOptions& o = parsed.options;
  if (o.n < 1) return Fail(parsed, "N must be at least 1");
  if (o.m < 1) return Fail(parsed, "M must be at least 1");
  if (o.m > kMaxIntersectionOrder) {
    return Fail(parsed,
                "M must be at most " + std::to_string(kMaxIntersectionOrder));
  }
  if (!ProbabilityCountFits(o.n, o.m)) {
    return Fail(parsed, "N=" + std::to_string(o.n) +
                            ", M=" + std::to_string(o.m) +
                            " needs more probabilities than this tool handles");
  }
  return parsed;
}

std::string Quoted(const std::string& s) { return "'" + s + "'"; }

// The input, read once in chunks: the file, or standard input. Both the
// doubles and the numbers as typed are taken from these chunks as they
// pass, so the text is never held whole. The reading stops as soon as what
// follows cannot change the run, so that an endless source (a device, a
// pipe that never closes, a large binary file) ends at once: the reader of
// doubles refuses a token that runs beyond the longest number taken, and
// counts only so far what follows the numbers n and m ask for.
struct InputRead {
  ProbabilityRead read;
  std::string openError;  // why the input could not be opened
};

InputRead ReadInput(const std::string& file, int32_t count,
                    ExactScanner* exact) {
  InputRead input;
  FILE* in = stdin;
  int64_t size = -1;
  if (file != kStandardStream) {
    struct stat status;
    if (stat(file.c_str(), &status) == 0 && S_ISDIR(status.st_mode)) {
      input.openError = std::strerror(EISDIR);
    } else if ((in = std::fopen(file.c_str(), "rb")) == nullptr) {
      input.openError = std::strerror(errno);
    }
    if (!input.openError.empty()) {
      std::istringstream nothing;
      input.read = ReadProbabilitiesFrom(nothing, count);
      input.read.opened = false;
      if (input.read.expected > 0) input.read.stop = ReadStop::kCannotOpen;
      return input;
    }
    if (fstat(fileno(in), &status) == 0 && S_ISREG(status.st_mode)) {
      size = static_cast<int64_t>(status.st_size);
    }
  }
  input.read = ReadNumbersOfFile(in, size, count, exact);
  if (in != stdin) std::fclose(in);
  return input;
}

// The input as named in messages.
std::string InputName(const std::string& file) {
  return file == kStandardStream ? "standard input" : file;
}

// An output file (the CSV or the JSON file), complete or absent: opened
// before anything is read or computed, so that a path that cannot be written
// costs nothing, as a temporary file beside it that is renamed over it only
// once everything is written (cli/report_file.h). A run that ends early, or
// is interrupted while writing, leaves an earlier file as it was.
class ReplacedFile {
 public:
  // False, with errno set, when the file cannot be opened for writing.
  bool Open(const std::string& path) {
    std::ostringstream quiet;  // this program words its own messages
    file_ = std::make_unique<ReportFile>(path, quiet);
    if (file_->opened()) return true;
    const int reason = errno;
    file_.reset();
    errno = reason;
    return false;
  }

  bool opened() const { return file_ != nullptr; }

  // Writes text and puts the file in place; false when any step fails, and
  // then an earlier file is left as it was.
  bool Replace(const std::string& text) {
    file_->stream() << text;
    std::ostringstream quiet;
    const bool done = file_->Commit(quiet);
    file_.reset();
    return done;
  }

 private:
  std::unique_ptr<ReportFile> file_;
};

// One line on err when the input gives no bounds: it cannot be opened or
// read, it ends before the numbers n and m ask for, a token is no number, or
// a number is no probability; false then. The same reasons, in the same
// words, as unionbound's.
bool ReportNoBounds(const ProbabilityRead& read, const SharpOptions& o,
                    const InputRead& input, std::ostream& err) {
  if (!read.opened) {
    err << kProgram << ": cannot open " << Quoted(o.file) << ": "
        << input.openError << "; nothing computed\n";
    return false;
  }
  const std::string why =
      WhyNoBounds(read, FindNonProbabilities(read.p), o.n, o.m);
  if (why.empty()) return true;
  err << kProgram << ": " << InputName(o.file) << ": " << why
      << "; nothing computed\n";
  return false;
}

// Entries beyond the numbers n and m ask for are not read; one warning, the
// same as unionbound's.
void WarnOfEntriesLeft(const ProbabilityRead& read, const SharpOptions& o,
                       std::ostream& err) {
  if (read.entriesLeft <= 0) return;
  err << kProgram << ": " << InputName(o.file)
      << ": warning: " << (read.entriesLeftCut ? "at least " : "")
      << read.entriesLeft << (read.entriesLeft == 1 ? " entry" : " entries")
      << " after the " << read.expected << " numbers that n=" << o.n
      << ", m=" << o.m << " ask for "
      << (read.entriesLeft == 1 ? "was" : "were")
      << " not read; n and m decide which numbers are read\n";
}

// "LO..HI" or a single "L".
bool ParseRange(const std::string& text, int32_t* from, int32_t* to) {
  const size_t dots = text.find("..");
  if (dots == std::string::npos) {
    if (!ParseInt(text, from)) return false;
    *to = *from;
    return true;
  }
  return ParseInt(text.substr(0, dots), from) &&
         ParseInt(text.substr(dots + 2), to);
}

ParsedCommandLine CheckRange(ParsedCommandLine parsed) {
  SharpOptions& o = parsed.options;
  if (o.lFrom < 0 && o.lTo < 0) return parsed;
  if (o.lFrom < o.m || o.lTo > o.n - o.m || o.lFrom > o.lTo) {
    return Fail(parsed, "--l needs " + std::to_string(o.m) +
                            " <= LO <= HI <= " + std::to_string(o.n - o.m) +
                            " (from M to N-M)");
  }
  return parsed;
}

ParsedCommandLine CheckFull(ParsedCommandLine parsed) {
  const SharpOptions& o = parsed.options;
  if (o.timeLimit > 0 && !o.full)
    return Fail(parsed, "--time-limit needs --full");
  if (!o.full) return parsed;
  if (o.n > kFullMaxEvents) {
    return Fail(parsed, "--full handles at most " +
                            std::to_string(kFullMaxEvents) + " events");
  }
  return parsed;
}

ParsedCommandLine CheckTarget(ParsedCommandLine parsed) {
  const SharpOptions& o = parsed.options;
  if (o.atLeast != 0 && o.exactly != 0) {
    return Fail(parsed, "give --at-least R or --exactly R, not both");
  }
  const int32_t r = o.atLeast != 0 ? o.atLeast : o.exactly;
  const bool isUnion = o.exactly == 0 && r <= 1;
  if (o.full && !isUnion && o.n > kExactPricingLimit) {
    return Fail(parsed,
                "--full bounds events other than the union only up "
                "to " +
                    std::to_string(kExactPricingLimit) +
                    " events; drop --full or use --at-least 1");
  }
  return parsed;
}

// --at-least R or --exactly R: a whole number from 1 to N.
bool ParseCount(const std::string& text, int32_t n, int32_t* r) {
  return ParseInt(text, r) && *r >= 1 && *r <= n;
}

ParsedCommandLine CheckTolerance(ParsedCommandLine parsed) {
  const SharpOptions& o = parsed.options;
  if (!o.hasTolerance) return parsed;
  Rational t;
  if (!ParseExactDecimal(o.tolerance, &t) || t < 0) {
    return Fail(parsed, "--tolerance needs a decimal number >= 0, not " +
                            Quoted(o.tolerance));
  }
  return parsed;
}

// Runs expected to take at least this long are announced.
constexpr double kAnnouncedSeconds = 5.0;

// The companion's texts on the shared progress line, redrawn at most ten
// times a second: a phase that reports nothing itself (reading) with its
// time, programs solved, then the full program's rounds. The full program's
// two sides report from two threads, so the line shows the last round of
// each and the time against the time limit. The line is written from other
// threads: the stream it is given must not be tied.
class SharpProgress {
 public:
  SharpProgress(std::ostream& err, bool terminal, double fullLimit)
      : terminal_(terminal),
        line_(err, terminal, 0, std::chrono::milliseconds(0),
              std::chrono::milliseconds(100)),
        fullLimit_(fullLimit) {}
  // Shows text and the time since now, after a quiet second, until the
  // next phase, EndPhase or the first count of programs.
  void Phase(std::string text) {
    if (!terminal_) return;
    std::lock_guard<std::mutex> lock(mutex_);
    phase_ = std::move(text);
    phaseStart_ = ProgressLine::Clock::now();
    if (!ticker_.joinable()) {
      try {
        ticker_ = std::jthread([this](std::stop_token stop) { Tick(stop); });
      } catch (const std::system_error&) {
        // No thread to spare: the phase goes without a line.
      }
    }
  }
  // Ends the phase and clears the line (before a message on the stream).
  void EndPhase() {
    std::lock_guard<std::mutex> lock(mutex_);
    phase_.clear();
    line_.Clear();
  }
  void Show(int32_t done, int32_t total) {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      phase_.clear();
    }
    line_.Show("programs solved: " + std::to_string(done) + " of " +
                   std::to_string(total),
               done == total);
  }
  void ShowFull(const char* side, int32_t round, int32_t atoms) {
    std::string line;
    bool begins = false;  // a phase's first round is always shown
    {
      std::lock_guard<std::mutex> lock(mutex_);
      const std::string_view name(side);
      const auto now = ProgressLine::Clock::now();
      std::string state = std::to_string(round);
      state.append(" (").append(std::to_string(atoms)).append(" atoms)");
      if (name == "epsilon") {
        // The search for epsilon has a time limit of its own.
        begins = epsilon_.empty();
        if (begins) fullStart_ = now;
        lower_ = "";
        upper_ = "";
        epsilon_ = state;
        line.append("full program, epsilon: round ").append(epsilon_);
      } else {
        begins = lower_.empty() && upper_.empty();
        if (begins) fullStart_ = now;
        (name == "upper" ? upper_ : lower_) = state;
        line.append("full program:");
        if (!lower_.empty()) line.append(" lower round ").append(lower_);
        if (!lower_.empty() && !upper_.empty()) line.append(",");
        if (!upper_.empty()) line.append(" upper round ").append(upper_);
      }
      const std::chrono::duration<double> spent = now - fullStart_;
      line.append(", ").append(ProgressLine::Duration(spent.count()));
      if (fullLimit_ > 0) {
        line.append(" of ").append(ProgressLine::Duration(fullLimit_));
      } else {
        line.append(" elapsed");
      }
    }
    line_.Show(line, begins);
  }
  void Clear() { EndPhase(); }

 private:
  // Redraws the phase's line four times a second while there is one.
  void Tick(std::stop_token stop) {
    std::unique_lock<std::mutex> lock(mutex_);
    while (!stop.stop_requested()) {
      wake_.wait_for(lock, stop, std::chrono::milliseconds(250),
                     [] { return false; });
      if (phase_.empty()) continue;
      const std::chrono::duration<double> spent =
          ProgressLine::Clock::now() - phaseStart_;
      if (spent.count() < 1.0) continue;
      line_.Show(
          phase_ + ", " + ProgressLine::Duration(spent.count()) + " elapsed",
          true);
    }
  }

  const bool terminal_;
  ProgressLine line_;
  const double fullLimit_;  // seconds per side; 0: none
  std::mutex mutex_;
  std::condition_variable_any wake_;
  std::string phase_;  // empty: none
  ProgressLine::Clock::time_point phaseStart_;
  ProgressLine::Clock::time_point fullStart_;
  std::string lower_;
  std::string upper_;
  std::string epsilon_;
  std::jthread ticker_;  // last: stopped before the rest goes
};

// Unties a stream while a progress line may be drawn on it from another
// thread (a tied stream would flush the other one from there), and ties it
// again for the messages in between and after, which then follow whatever
// standard output holds.
class Untied {
 public:
  explicit Untied(std::ostream& stream)
      : stream_(stream), tied_(stream.tie(nullptr)) {}
  ~Untied() { Retie(); }
  Untied(const Untied&) = delete;
  Untied& operator=(const Untied&) = delete;
  void Retie() { stream_.tie(tied_); }
  void Untie() { stream_.tie(nullptr); }

 private:
  std::ostream& stream_;
  std::ostream* const tied_;
};

}  // namespace

namespace {

// The part of --help after the options: the terms of the report, the CSV
// columns and the exit status.
std::string SharpHelpFooter() {
  return "Terms:\n"
         "  as typed   every number is taken as the exact decimal written in "
         "the file,\n             not as its nearest double; every guarantee "
         "holds for these numbers.\n"
         "  sharp      the exact optimum of the moment program: no bound "
         "from the same\n             moments is better. Found by an exact "
         "rational simplex method and\n             rounded outward (lower "
         "bounds down, upper bounds up).\n"
         "  certified  holds for every distribution with the given moments "
         "(the full\n             program: the given numbers); every sharp "
         "bound is certified. The\n             full program's: exact data "
         "times duals rounded to a fixed\n             denominator, shifted "
         "by the least reduced cost over all atoms\n             found "
         "exactly.\n"
         "  partial    a bound of the full program whose pricing had not "
         "converged (time\n             limit) or whose atoms were too many "
         "to enumerate; still valid.\n"
         "  epsilon    the least uniform change that makes the data "
         "consistent: the\n             largest change of any one number "
         "that each check needs (values\n             in [0, 1], no "
         "intersection above a sub-intersection, and every\n             "
         "program feasible on its own), the largest over the checks; "
         "exact.\n"
         "  widened    a bound of the program widened by --tolerance T: "
         "every moment may\n             move as far as its numbers moved "
         "by up to T each (not clipped\n             to [0, 1], so the "
         "bound holds for a little more than needed).\n             The "
         "table marks it (T): sharp (T), cert. (T), part. (T).\n"
         "  invalid    a unionbound number outside the sharp interval of "
         "its l, or across\n             a proven bound, by more than a "
         "relative 1e-12 (for even M, for\n             instance): it is no "
         "bound.\n"
         "  (r)        rounding: a unionbound number outside the sharp "
         "interval of its l,\n             or across a proven bound, by at "
         "most a relative 1e-12.\n"
         "  best       the largest proven lower and the smallest proven "
         "upper bound of the\n             run (sharp, certified, partial, "
         "valid; never unionbound's),\n             compared exactly, with "
         "the row each came from. Proven bounds\n             that cross "
         "prove the data inconsistent (exit status 2).\n"
         "  t=T        multivariate: the number of groups of the partition "
         "each bound\n             came from (its groups are in the CSV and "
         "JSON files).\n"
         "  valid      a closed-form bound from singles and pairs "
         "(Hunter-Worsley,\n             de Caen, Kuai-Alajaji-Takahara), "
         "computed exactly, rounded outward;\n             left out with "
         "--tolerance (they hold for the numbers as typed).\n"
         "\n"
         "CSV columns: n, m, file (the input), data_check (consistent or\n"
         "inconsistent as typed), kind (unionbound, univariate, bivariate,\n"
         "multivariate for the best bounds; hunter-worsley, de-caen, "
         "kuai-alajaji-takahara, "
         "full; best;\nunionbound_l, bivariate_l per l), l_lower, lower, "
         "lower_status,\nlower_widened, l_upper, upper, upper_status, "
         "upper_widened, seconds. Bounds\nhave 17 significant digits, rounded "
         "outward; status is sharp, infeasible,\nfailed, valid, certified, "
         "partial, method (unionbound's number), rounding,\ninvalid or none "
         "(unionbound found no bound), and for best the row and its\nstatus "
         "(\"bivariate sharp\"); lower_widened and upper_widened are\n"
         "\"tolerance\" for a widened bound; seconds is the wall-clock time. "
         "With\n--at-least R (R > 1), --exactly R or --distribution two more "
         "columns:\nevent (at_least or exactly) and r; --distribution adds "
         "the rows\nunivariate_r and bivariate_r (the best over l), one per "
         "r.\n"
         "Last, groups_lower and groups_upper: the partition of the program "
         "each\nbound came from (multivariate, and bivariate where the "
         "events were taken by\ndecreasing marginal), its groups' event "
         "numbers separated by \" | \".\n"
         "\n"
         "On a terminal, standard error shows how many programs are "
         "solved.\n\n"
         "Exit status: 0 bounds printed; 1 bad arguments, an output "
         "file that is\nthe input or the other output, or a --groups file "
         "that is no partition; 2 no bounds (input "
         "missing, unreadable,\nshort, a token that is no number, a number "
         "that is no probability),\ninconsistent data (the message gives "
         "epsilon), a tolerance below epsilon,\nor a failed write to "
         "standard output, the CSV or the JSON file; 3 out of\nmemory.\n";
}

int RunAnalysis(const SharpOptions& o, std::ostream& out,
                std::ostream& standardOutput, std::ostream& err,
                bool showProgress);

void WriteRefusalJson(const std::string& jsonPath, const RefusedRun& run,
                      ReplacedFile* file, std::ostream& standardOutput,
                      std::ostream& err);

OptionSet SharpOptionSet() {
  OptionSet set{kProgram, "", "", false, true};
  set.sharpOptions = true;
  set.description =
      "Bounds the probability that at least one of N events occurs, from "
      "the\nprobabilities of all intersections of 1 to M of them in FILE "
      "(default\nprob.txt, the same format and order as for unionbound). "
      "Prints unionbound's\nbest bounds beside the sharp bounds of the "
      "univariate moment program\n(S1 .. SM) and, for every l from M to "
      "N-M, the bivariate program over\n(X1, X2) with the binomial moments "
      "unionbound uses, the multivariate programs\nover the counts of events "
      "in each group of a partition into t groups\n(t = 3 and 4, partitions "
      "chosen from the data; by default only where they\nare small), the "
      "closed forms and, with --full, the program over "
      "all atoms (the best the data allow at all);\nthe best row holds the "
      "tightest proven bounds. --at-least R and --exactly R\nbound the "
      "probability that at least (exactly) R of them occur instead.\n";
  set.usage =
      "unionbound-sharp N M [FILE] [OPTIONS]\n"
      "       unionbound-sharp -n N -m M [-i FILE] [OPTIONS]";
  set.footer = SharpHelpFooter();
  return set;
}

}  // namespace

ParsedCommandLine ParseCommandLine(const std::vector<std::string>& args) {
  ParsedCommandLine parsed{true, "", SharpOptions(), "", "", ""};
  if (args.empty()) return Fail(parsed, "expected N and M (try --help)");
  const ParsedOptions given = ParseProgramOptions(SharpOptionSet(), args);
  const ProgramOptions& g = given.options;
  SharpOptions& o = parsed.options;
  o.json = g.json;
  o.file = g.input;
  parsed.nGiven = g.n;
  parsed.mGiven = g.m;
  if (!g.positional.empty()) {
    parsed.nGiven = g.positional[0];
    if (g.positional.size() > 1) parsed.mGiven = g.positional[1];
    if (g.positional.size() > 2) o.file = g.positional[2];
  }
  if (given.action == OptionAction::kRefuse) {
    // One line without the program name, which the caller puts in front.
    std::string line = given.text.substr(0, given.text.find('\n'));
    const std::string prefix = std::string(kProgram) + ": ";
    if (line.rfind(prefix, 0) == 0) line = line.substr(prefix.size());
    return Fail(parsed, line);
  }
  if (given.action == OptionAction::kPrintText) {
    parsed.options.help = true;
    parsed.printText = given.text;
    return parsed;
  }
  if (!g.positional.empty()) {
    if (g.positional.size() < 2) {
      return Fail(parsed, "expected N and M (try --help)");
    }
    if (g.positional.size() > 3) {
      return Fail(parsed, "unexpected argument " + Quoted(g.positional[3]));
    }
  }
  if (!ParseInt(parsed.nGiven, &o.n)) {
    return Fail(parsed,
                "N must be a whole number, not " + Quoted(parsed.nGiven));
  }
  if (!ParseInt(parsed.mGiven, &o.m)) {
    return Fail(parsed,
                "M must be a whole number, not " + Quoted(parsed.mGiven));
  }
  o.perL = g.perL;
  o.csvFile = g.csv;
  o.quiet = g.quiet;
  o.verbose = g.verbose;
  o.full = g.full;
  if (g.hasTolerance) {
    o.hasTolerance = true;
    o.tolerance = g.tolerance;
  }
  if (g.hasTimeLimit) {
    Rational seconds;
    // A number too small or too large for a double would become no limit.
    const bool parsed_ok = ParseExactDecimal(g.timeLimit, &seconds);
    o.timeLimit = parsed_ok ? seconds.get_d() : 0.0;
    if (!parsed_ok || seconds <= 0 || !std::isfinite(o.timeLimit) ||
        o.timeLimit <= 0 || o.timeLimit > kLongestTimeLimit) {
      return Fail(parsed, "--time-limit needs a number of seconds > 0, not " +
                              Quoted(g.timeLimit));
    }
  }
  if (g.hasLRange && !ParseRange(g.lRange, &o.lFrom, &o.lTo)) {
    return Fail(parsed, "--l needs LO..HI, not " + Quoted(g.lRange));
  }
  if (o.csvFile == kStandardStream && o.json == kStandardStream) {
    return Fail(parsed,
                "--csv - and --json - cannot both go to standard output");
  }
  parsed = CheckSizes(parsed);
  if (!parsed.ok) return parsed;
  o.distribution = g.distribution;
  if (!g.atLeast.empty() && !ParseCount(g.atLeast, o.n, &o.atLeast)) {
    return Fail(parsed, "--at-least needs a whole number from 1 to N=" +
                            std::to_string(o.n) + ", not " + Quoted(g.atLeast));
  }
  if (!g.exactly.empty() && !ParseCount(g.exactly, o.n, &o.exactly)) {
    return Fail(parsed, "--exactly needs a whole number from 1 to N=" +
                            std::to_string(o.n) + ", not " + Quoted(g.exactly));
  }
  o.groupsFile = g.groups;
  if (!g.groupCount.empty() &&
      (!ParseInt(g.groupCount, &o.groupCount) || o.groupCount < 2 ||
       o.groupCount > 8 || o.groupCount > o.n)) {
    return Fail(parsed, "--t needs a whole number of groups from 2 to " +
                            std::to_string(std::min(8, o.n)) + ", not " +
                            Quoted(g.groupCount));
  }
  if (g.multivariate && g.noMultivariate) {
    return Fail(parsed, "--multivariate and --no-multivariate contradict");
  }
  o.multivariate = g.multivariate ? 1 : g.noMultivariate ? -1 : 0;
  if (o.multivariate < 0 && (!o.groupsFile.empty() || o.groupCount != 0)) {
    return Fail(parsed,
                "--no-multivariate leaves out what --groups and --t "
                "ask for");
  }
  parsed = CheckTarget(parsed);
  if (!parsed.ok) return parsed;
  parsed = CheckRange(parsed);
  if (!parsed.ok) return parsed;
  parsed = CheckFull(parsed);
  if (!parsed.ok) return parsed;
  return CheckTolerance(parsed);
}

std::string UsageText() { return HelpText(SharpOptionSet()); }

int RunSharpCommand(const std::vector<std::string>& args, std::ostream& out,
                    std::ostream& err, bool showProgress) {
  const ParsedCommandLine parsed = ParseCommandLine(args);
  if (!parsed.ok) {
    const std::string line = std::string(kProgram) + ": " + parsed.error;
    err << line << "\n";
    if (!parsed.options.json.empty()) {
      const RefusedRun run{kProgram,      parsed.nGiven,
                           parsed.mGiven, parsed.options.file,
                           kExitRefused,  {line}};
      ReplacedFile json;
      WriteRefusalJson(parsed.options.json, run, &json, out, err);
    }
    return kExitRefused;
  }
  const SharpOptions& o = parsed.options;
  if (o.help) {
    out << parsed.printText;
    out.flush();
    if (!out) {
      err << kProgram << ": cannot write standard output\n";
      return kExitUntrustworthy;
    }
    return kExitSound;
  }
  if (o.quiet || o.json == kStandardStream || o.csvFile == kStandardStream) {
    // The report is made as usual and dropped; errors still reach err, and
    // the JSON document standard output.
    std::ostringstream dropped;
    return RunAnalysis(o, dropped, out, err, showProgress);
  }
  return RunAnalysis(o, out, out, err, showProgress);
}

namespace {

// The rows every output prints. unionbound's method is meant for an odd m:
// for an even m its numbers are no bounds, so they are left out (the table
// says why).
std::vector<BoundRow> ShownRows(const SharpAnalysis& analysis) {
  std::vector<BoundRow> rows = BoundRows(analysis);
  if (analysis.m % 2 == 0) {
    std::erase_if(rows, [](const BoundRow& row) {
      return row.kind == RowKind::kUnionbound ||
             row.kind == RowKind::kUnionboundL;
    });
  }
  return rows;
}

// The lines in notes go to err and into *messages, for the JSON document.
void PassOn(std::ostringstream* notes, std::ostream& err,
            std::vector<std::string>* messages) {
  std::istringstream lines(notes->str());
  for (std::string line; std::getline(lines, line);) {
    messages->push_back(line);
  }
  err << notes->str();
  notes->str("");
}

// The document of a run refused before anything was computed, to standard
// output or to its file, opened here unless it already is. A line on err
// when it cannot be written; the status of the run stays that of the
// refusal.
void WriteRefusalJson(const std::string& jsonPath, const RefusedRun& run,
                      ReplacedFile* file, std::ostream& standardOutput,
                      std::ostream& err) {
  const std::string document = RefusedRunJson(run);
  if (jsonPath == kStandardStream) {
    standardOutput << document;
    standardOutput.flush();
    if (!standardOutput) err << kProgram << ": cannot write standard output\n";
    return;
  }
  if (!file->opened() && !file->Open(jsonPath)) {
    err << kProgram << ": cannot write " << Quoted(jsonPath) << ": "
        << std::strerror(errno) << "\n";
    return;
  }
  if (!file->Replace(document)) {
    err << kProgram << ": cannot write " << Quoted(jsonPath) << "\n";
  }
}

// A run refused after the command line was understood: the notes go to err,
// and the JSON document of the refusal is written when one was asked for.
int Refuse(const SharpOptions& o, int status, std::ostringstream* notes,
           ReplacedFile* json, std::ostream& standardOutput,
           std::ostream& err) {
  RefusedRun run{
      kProgram, std::to_string(o.n), std::to_string(o.m), o.file, status, {}};
  PassOn(notes, err, &run.messages);
  if (!o.json.empty()) {
    WriteRefusalJson(o.json, run, json, standardOutput, err);
  }
  return status;
}

// The JSON document to standard output or to its file; false when it could
// not be written.
bool WriteJsonDocument(const SharpOptions& o, const SharpAnalysis& analysis,
                       const std::vector<BoundRow>& rows,
                       const SharpJsonRun& run, ReplacedFile* file,
                       std::ostream& standardOutput) {
  std::ostringstream document;
  WriteSharpJson(analysis, rows, run, document);
  if (o.json == kStandardStream) {
    standardOutput << document.str();
    standardOutput.flush();
    return static_cast<bool>(standardOutput);
  }
  return file->Replace(document.str());
}

// True, after one line on err, when two file options name one file, so that
// writing one would destroy the other: the CSV or JSON file over the input,
// or both outputs into one file. Nothing is read or written then, but the
// JSON document of the refusal where it destroys nothing.
bool RefuseSharedFiles(const SharpOptions& o, std::ostream& standardOutput,
                       std::ostream& err) {
  const std::vector<FileOption> files{
      {"-i", o.file, 0}, {"--csv", o.csvFile, 1}, {"--json", o.json, 1}};
  const SharedFile shared = FindSharedFile(files);
  if (shared.first == nullptr) return false;
  std::ostringstream notes;
  notes << SharedFileMessage(kProgram, shared) << "\n";
  const bool jsonShared =
      shared.first == &files[2] || shared.second == &files[2];
  ReplacedFile json;
  SharpOptions kept = o;
  if (jsonShared) kept.json.clear();
  Refuse(kept, kExitRefused, &notes, &json, standardOutput, err);
  return true;
}

// The run after the command line is understood: read, analyse, report (to
// out), the JSON document to its file or standardOutput.
int RunAnalysis(const SharpOptions& o, std::ostream& out,
                std::ostream& standardOutput, std::ostream& err,
                bool showProgress) {
  if (RefuseSharedFiles(o, standardOutput, err)) return kExitRefused;
  // The JSON file first: when the CSV file cannot be written, the document
  // still tells of the refusal.
  ReplacedFile json;
  const bool jsonToFile = !o.json.empty() && o.json != kStandardStream;
  if (jsonToFile && !json.Open(o.json)) {
    err << kProgram << ": cannot write " << Quoted(o.json) << ": "
        << std::strerror(errno) << "; nothing computed\n";
    return kExitUntrustworthy;
  }
  std::ostringstream notes;
  ReplacedFile csv;
  const bool csvToFile = !o.csvFile.empty() && o.csvFile != kStandardStream;
  if (csvToFile && !csv.Open(o.csvFile)) {
    notes << kProgram << ": cannot write " << Quoted(o.csvFile) << ": "
          << std::strerror(errno) << "; nothing computed\n";
    return Refuse(o, kExitUntrustworthy, &notes, &json, standardOutput, err);
  }
  EventGroups givenGroups;
  if (!o.groupsFile.empty()) {
    // Read up to a cap, so that an endless file such as /dev/zero ends.
    constexpr std::streamsize kGroupsFileCap = std::streamsize{1} << 24;
    std::ifstream file(o.groupsFile, std::ios::binary);
    std::string text;
    if (file) {
      text.resize(static_cast<size_t>(kGroupsFileCap) + 1);
      file.read(text.data(), kGroupsFileCap + 1);
      text.resize(static_cast<size_t>(file.gcount()));
    }
    const std::string problem =
        !file && !file.eof() && text.empty()
            ? std::string("cannot read it: ") + std::strerror(errno)
        : static_cast<std::streamsize>(text.size()) > kGroupsFileCap
            ? std::string("longer than 16 MiB")
            : ParseGroupsText(text, o.n, &givenGroups);
    if (!problem.empty()) {
      notes << kProgram << ": --groups " << Quoted(o.groupsFile) << ": "
            << problem
            << "; give every event 1 .. N exactly once, one group a line\n";
      return Refuse(o, kExitRefused, &notes, &json, standardOutput, err);
    }
  }
  const int32_t count = ProbabilityCount(o.n, o.m);
  // The progress line is written from other threads; a tied stream would
  // flush standard output from there.
  Untied untied(err);
  SharpProgress progress(err, showProgress, FullTimeLimit(o.timeLimit, o.n));
  progress.Phase("reading " + InputName(o.file));
  // Read once: the doubles and the numbers as typed come from one text.
  ExactScanner exact(static_cast<size_t>(std::max(count, 0)));
  const InputRead input = ReadInput(o.file, count, &exact);
  const ProbabilityRead& read = input.read;
  progress.EndPhase();
  untied.Retie();
  if (!ReportNoBounds(read, o, input, notes)) {
    return Refuse(o, kExitUntrustworthy, &notes, &json, standardOutput, err);
  }
  SharpJsonRun run;
  run.input = o.file;
  run.numbersRead = read.read;
  run.perL = o.perL;
  WarnOfEntriesLeft(read, o, notes);
  PassOn(&notes, err, &run.messages);
  out << kProgram << ": n=" << o.n << ", m=" << o.m << ", " << count
      << " probabilities from " << InputName(o.file) << "\n\n";
  AnalysisOptions options;
  options.lFrom = o.lFrom;
  options.lTo = o.lTo;
  if (o.hasTolerance) {
    options.hasTolerance = true;
    ParseExactDecimal(o.tolerance, &options.tolerance);
  }
  options.full = o.full;
  options.fullOptions.timeLimit = o.timeLimit;
  if (o.exactly != 0) {
    options.target = {o.exactly, true};
  } else if (o.atLeast != 0) {
    options.target = {o.atLeast, false};
  }
  options.distribution = o.distribution;
  if (o.groupCount != 0) options.groupCounts = {o.groupCount};
  options.multivariate = o.multivariate > 0   ? MultivariateMode::kOn
                         : o.multivariate < 0 ? MultivariateMode::kOff
                                              : MultivariateMode::kAuto;
  if (!givenGroups.empty()) {
    // A partition given by hand is solved whatever its size.
    options.givenGroups = {givenGroups};
    options.multivariate = MultivariateMode::kOn;
  }
  // Work that takes long says so before it starts.
  const double estimate =
      EstimatedSeconds(o.n, o.m, o.lFrom >= 0 ? o.lFrom : o.m,
                       o.lTo >= 0 ? o.lTo : o.n - o.m, options.threads);
  if (estimate >= kAnnouncedSeconds) {
    err << kProgram << ": the programs for n=" << o.n << ", m=" << o.m
        << " take " << RoughDuration(estimate)
        << (o.full ? " before the full program" : "")
        << "; Ctrl-C stops the run\n";
  }
  untied.Untie();
  progress.Phase("checking " + std::to_string(count) + " numbers");
  if (showProgress) {
    options.progress = [&progress](int32_t done, int32_t total) {
      progress.Show(done, total);
    };
    options.fullOptions.progress = [&progress](const char* side, int32_t round,
                                               int32_t atoms) {
      progress.ShowFull(side, round, atoms);
    };
  }
  const SharpAnalysis analysis = AnalyseProbabilities(
      read.p, [&] { return exact.Finish(read.p); }, o.n, o.m, options);
  progress.Clear();
  untied.Retie();
  const std::vector<BoundRow> rows = ShownRows(analysis);
  WriteDataCheck(analysis, o.verbose, out);
  out << "\n";
  if (IsInconsistent(analysis)) {
    WriteInconsistency(analysis, out);
    out.flush();
    notes << kProgram << ": "
          << InconsistencyMessage(analysis, o.hasTolerance, options.tolerance,
                                  CommandLineWords(o.tolerance))
          << "\n";
    PassOn(&notes, err, &run.messages);
    run.status = kExitUntrustworthy;
    if (!o.json.empty() &&
        !WriteJsonDocument(o, analysis, rows, run, &json, standardOutput)) {
      err << kProgram << ": cannot write " << Quoted(o.json) << "\n";
    }
    return kExitUntrustworthy;
  }
  WriteBoundTables(analysis, rows, o.perL, out);
  const std::vector<CountRow> countRows = DistributionRows(analysis);
  WriteDistributionTable(analysis, countRows, out);
  const CountDistributionResult& d = analysis.distribution;
  if (!d.univariateRises.empty() || !d.bivariateRises.empty()) {
    notes << kProgram
          << ": the bounds of P(X >= r) are not monotone in r (a fault of "
             "this program; see the table)\n";
    PassOn(&notes, err, &run.messages);
  }
  if (!analysis.method.messageLs.empty()) {
    notes << kProgram
          << ": note: unionbound's procedures wrote numeric-library "
          << "messages (not shown) for l =";
    for (int32_t l : analysis.method.messageLs) notes << " " << l;
    notes << "\n";
    PassOn(&notes, err, &run.messages);
  }
  const bool fullCross = FullBoundsCross(analysis);
  if (fullCross) {
    notes << kProgram << ": "
          << FullCrossMessage(analysis, CommandLineWords(o.tolerance)) << "\n";
    PassOn(&notes, err, &run.messages);
    run.status = kExitUntrustworthy;
  }
  out.flush();
  if (!out) {
    err << kProgram << ": cannot write standard output\n";
    return kExitUntrustworthy;
  }
  if (o.csvFile == kStandardStream) {
    WriteCsv(analysis, rows, o.file, standardOutput, countRows);
    standardOutput.flush();
    if (!standardOutput) {
      err << kProgram << ": cannot write standard output\n";
      return kExitUntrustworthy;
    }
  } else if (!o.csvFile.empty()) {
    std::ostringstream text;
    WriteCsv(analysis, rows, o.file, text, countRows);
    if (!csv.Replace(text.str())) {
      err << kProgram << ": cannot write " << Quoted(o.csvFile) << "\n";
      return kExitUntrustworthy;
    }
  }
  if (!o.json.empty() &&
      !WriteJsonDocument(o, analysis, rows, run, &json, standardOutput)) {
    err << kProgram << ": cannot write " << Quoted(o.json) << "\n";
    return kExitUntrustworthy;
  }
  return fullCross ? kExitUntrustworthy : kExitSound;
}

}  // namespace

}  // namespace unionbound::sharp

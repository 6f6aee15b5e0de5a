// Fuzz target for a whole run through the library: n and m from the accepted
// range (n from 0 to 14, m one of 1, 3, 5, taken from bytes 0 and 1), the
// rest of the bytes as prob.txt. Console streams are swapped for string
// streams; the run happens in a private scratch folder.
//
// Beyond no crash and no sanitizer report it checks that sizes without a
// pass are refused with status 1 and no report, that result.txt keeps its
// layout, that every pass prints the binomial moments of exactly the numbers
// that formatted extraction reads from the bytes, and that the exit status
// tells the truth: 2 with a message when its numbers fail the data check, a
// bound is a placeholder or not finite, rounding may have changed a bound
// (rare events), or the best bounds cross; 0 otherwise,
// with nothing on the error stream but a warning about entries left over and
// a note on bounds evaluated again on rescaled moments. A
// short prob.txt or numbers that are no probabilities give 2, one line and no
// report.
#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <sstream>
#include <string>

#include "driver/run.h"
#include "formatted_extraction.h"
#include "fuzz_check.h"
#include "input/data_check.h"
#include "input/probability_input.h"
#include "problem/binomial_moments.h"
#include "report_structure.h"

namespace unionbound {
namespace {

std::string* scratch_folder = nullptr;
std::ios_base::fmtflags initial_flags;

struct CapturedRun {
  int status;
  std::string out;
  std::string err;
};

// Runs with `input` as standard input; console formatting starts afresh.
CapturedRun RunWithConsole(const std::string& input) {
  std::istringstream in(input);
  std::ostringstream out;
  std::ostringstream err;
  std::streambuf* saved_in = std::cin.rdbuf(in.rdbuf());
  std::streambuf* saved_out = std::cout.rdbuf(out.rdbuf());
  std::streambuf* saved_err = std::cerr.rdbuf(err.rdbuf());
  for (std::ios* stream :
       {static_cast<std::ios*>(&std::cin), static_cast<std::ios*>(&std::cout),
        static_cast<std::ios*>(&std::cerr)}) {
    stream->clear();
    stream->precision(6);
  }
  std::cout.flags(initial_flags);
  const int status = RunUnionBound();
  std::cin.rdbuf(saved_in);
  std::cout.rdbuf(saved_out);
  std::cerr.rdbuf(saved_err);
  return CapturedRun{status, out.str(), err.str()};
}

void WriteFile(const char* path, const std::string& text) {
  FILE* file = std::fopen(path, "wb");
  Require(file != nullptr, "scratch prob.txt can be written");
  Require(std::fwrite(text.data(), 1, text.size(), file) == text.size(),
          "scratch prob.txt takes the whole text");
  std::fclose(file);
}

bool ReadFile(const char* path, std::string* text) {
  FILE* file = std::fopen(path, "rb");
  if (file == nullptr) return false;
  char buffer[4096];
  size_t got;
  while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) {
    text->append(buffer, got);
  }
  std::fclose(file);
  return true;
}

bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

// Every line of err is one of the run's own one-line messages.
bool AllLinesExplained(const std::string& err) {
  std::istringstream lines(err);
  std::string line;
  while (std::getline(lines, line)) {
    if (line.rfind("unionbound: ", 0) != 0) return false;
  }
  return err.empty() || err.back() == '\n';
}

// Every line of err is a warning about entries left over or the note that
// the bounds of some l were evaluated again on rescaled moments (rare
// events); each appears at most once.
bool OnlyNotes(const std::string& err) {
  std::istringstream lines(err);
  std::string line;
  int warnings = 0;
  int rescaled = 0;
  while (std::getline(lines, line)) {
    if (line.rfind("unionbound: prob.txt: warning: ", 0) == 0) {
      ++warnings;
    } else if (line.rfind("unionbound: the bounds of l=", 0) == 0 &&
               Contains(line, " evaluated again on rescaled moments")) {
      ++rescaled;
    } else {
      return false;
    }
  }
  return warnings <= 1 && rescaled <= 1 && (err.empty() || err.back() == '\n');
}

// The placeholder a procedure returns when it kept no candidate, as printed
// (negated), or a value that is not finite.
bool IsNoBound(const std::string& printed, double placeholder) {
  const double value = std::strtod(printed.c_str(), nullptr);
  return !std::isfinite(value) || value == placeholder;
}

std::string MomentLine(const RealVector& b) {
  std::ostringstream line;
  line << "{" << std::fixed;
  for (double entry : b) {
    line.precision(20);
    line << entry << ",";
  }
  line << "}";
  return line.str();
}

void CheckConsole(const CapturedRun& run, bool any_pass) {
  Require(run.status == kExitSound || run.status == kExitUntrustworthy,
          "accepted sizes end with status 0 or 2");
  Require(run.out.rfind("Number of events. n=Maximum order of the "
                        "intersections (must be an odd number). m=",
                        0) == 0,
          "standard output starts with both prompts");
  const std::string last = "Press RETURN to continue";
  Require(
      run.out.size() >= last.size() &&
          run.out.compare(run.out.size() - last.size(), last.size(), last) == 0,
      "standard output ends with the wait for RETURN");
  Require(Contains(run.out, any_pass ? "Upper bound on the probability of "
                                       "the union:\n"
                                     : "No bounds: "),
          "the summary or its explanation is printed");
  Require(AllLinesExplained(run.err), "every error line is a message");
}

void CheckRun(const std::string& prob, int32_t n, int32_t m,
              const CapturedRun& run) {
  const int32_t count = ProbabilityCount(n, m);
  const ProbabilityRead expected = ExtractOneByOne(prob, count);
  const RealVector read(expected.p.begin(), expected.p.begin() + expected.read);
  // Numbers that cannot be probabilities give no bounds at all.
  if (expected.read < count || FindNonProbabilities(read).count > 0) {
    std::string report;
    Require(run.status == kExitUntrustworthy, "no bounds give 2");
    Require(!ReadFile("result.txt", &report), "no bounds write no report");
    Require(run.out ==
                "Number of events. n=Maximum order of the intersections "
                "(must be an odd number). m=",
            "no bounds print nothing after the prompts");
    Require(
        AllLinesExplained(run.err) && run.err.find('\n') == run.err.size() - 1,
        "no bounds are explained in one line");
    Require(
        Contains(run.err, expected.read < count
                              ? "number " + std::to_string(expected.read + 1)
                              : std::string(" is not a probability")) ||
            Contains(run.err,
                     "the input ends after " + std::to_string(expected.read)),
        "no bounds name the first offending number");
    return;
  }
  std::string report;
  Require(ReadFile("result.txt", &report), "result.txt is written");
  const ReportLayout layout = ReadReportLayout(report, n, m);
  if (!layout.intact) std::fprintf(stderr, "%s\n", layout.fault.c_str());
  Require(layout.intact, "result.txt keeps its layout");
  CheckConsole(run, !layout.passes.empty());

  bool trustworthy = true;
  for (const PrintedPass& pass : layout.passes) {
    const RealVector b =
        BinomialMoments(expected.p, n, pass.l, m, {{1, 2}}, {m, m});
    Require(pass.moments == MomentLine(b),
            "binomial moments of the numbers >> reads");
    const bool lower_missing = IsNoBound(pass.lower, -1.7e308);
    const bool upper_missing = IsNoBound(pass.upper, 1.7e308);
    if (lower_missing || upper_missing) {
      trustworthy = false;
      Require(run.status == kExitUntrustworthy, "a missing bound gives 2");
      Require(
          Contains(run.err, "unionbound: l=" + std::to_string(pass.l) + ": "),
          "a missing bound is reported with its l");
    }
  }
  if (CheckProbabilities(read, n, m, 0).problems > 0) {
    trustworthy = false;
    Require(run.status == kExitUntrustworthy,
            "data that fail the check give 2");
    Require(Contains(run.err,
                     "unionbound: prob.txt: no events have these "
                     "probabilities ("),
            "data that fail the check are reported");
  }
  if (Contains(run.err,
               "unionbound: rounding may have changed the bounds of l=")) {
    trustworthy = false;
    Require(run.status == kExitUntrustworthy,
            "bounds that rounding may have changed give 2");
  }
  if (Contains(run.err, "unionbound: the best lower bound ")) {
    trustworthy = false;
    Require(run.status == kExitUntrustworthy, "crossing bounds give 2");
  }
  if (trustworthy) {
    Require(run.status == kExitSound, "a sound run gives 0");
    Require(OnlyNotes(run.err),
            "a sound run says nothing on the error stream but a warning "
            "about entries left over and a note on rescaled moments");
  }
}

void RemoveScratch() {
  std::remove("prob.txt");
  std::remove("result.txt");
  if (chdir("/") == 0) rmdir(scratch_folder->c_str());
}

}  // namespace
}  // namespace unionbound

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  std::string folder = "/tmp/unionbound-fuzz-run-XXXXXX";
  unionbound::Require(mkdtemp(folder.data()) != nullptr,
                      "scratch folder can be made");
  unionbound::Require(chdir(folder.c_str()) == 0,
                      "scratch folder can be entered");
  unionbound::scratch_folder = new std::string(folder);
  unionbound::initial_flags = std::cout.flags();
  std::atexit(unionbound::RemoveScratch);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace unionbound;
  if (size < 2) return 0;
  const int32_t n = data[0] % 15;
  const int32_t m = 1 + 2 * (data[1] % 3);
  const std::string prob(reinterpret_cast<const char*>(data) + 2, size - 2);
  WriteFile("prob.txt", prob);
  std::remove("result.txt");
  const std::string input =
      std::to_string(n) + "\n" + std::to_string(m) + "\n\n";
  const CapturedRun run = RunWithConsole(input);
  if (n < 2 * m) {
    Require(run.status == kExitRefused, "sizes without a pass give 1");
    std::string report;
    Require(!ReadFile("result.txt", &report), "a refusal writes no report");
    Require(AllLinesExplained(run.err) && !run.err.empty(),
            "a refusal is explained");
    return 0;
  }
  CheckRun(prob, n, m, run);
  return 0;
}

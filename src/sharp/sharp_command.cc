#include "sharp/sharp_command.h"

#include <cerrno>
#include <cstdlib>
#include <fstream>

#include "input/probability_input.h"
#include "problem/power_moments.h"
#include "sharp/sharp_analysis.h"
#include "sharp/sharp_report.h"

namespace unionbound {
namespace {

constexpr const char* kProgram = "unionbound-sharp";

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

ParsedCommandLine Fail(const std::string& error) {
  return {false, error, SharpOptions()};
}

ParsedCommandLine CheckSizes(ParsedCommandLine parsed) {
  const SharpOptions& o = parsed.options;
  if (o.n < 1) return Fail("N must be at least 1");
  if (o.m < 1) return Fail("M must be at least 1");
  if (o.m > kMaxIntersectionOrder) {
    return Fail("M must be at most " + std::to_string(kMaxIntersectionOrder));
  }
  if (!ProbabilityCountFits(o.n, o.m)) {
    return Fail("N=" + std::to_string(o.n) + ", M=" + std::to_string(o.m) +
                " needs more probabilities than this tool handles");
  }
  return parsed;
}

std::string Quoted(const std::string& s) { return "'" + s + "'"; }

}  // namespace

ParsedCommandLine ParseCommandLine(const std::vector<std::string>& args) {
  ParsedCommandLine parsed{true, "", SharpOptions()};
  std::vector<std::string> positional;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "--help" || a == "-h") {
      parsed.options.help = true;
      return parsed;
    }
    if (a == "--per-l") {
      parsed.options.perL = true;
    } else if (a == "--csv") {
      if (i + 1 >= args.size()) return Fail("--csv needs a file name");
      parsed.options.csvFile = args[++i];
    } else if (a.rfind("--csv=", 0) == 0 && a.size() > 6) {
      parsed.options.csvFile = a.substr(6);
    } else if (a.size() > 1 && a[0] == '-' && !(a[1] >= '0' && a[1] <= '9')) {
      return Fail("unknown option " + Quoted(a) + " (try --help)");
    } else {
      positional.push_back(a);
    }
  }
  if (positional.size() < 2) return Fail("expected N and M (try --help)");
  if (positional.size() > 3) {
    return Fail("unexpected argument " + Quoted(positional[3]));
  }
  if (!ParseInt(positional[0], &parsed.options.n)) {
    return Fail("N must be a whole number, not " + Quoted(positional[0]));
  }
  if (!ParseInt(positional[1], &parsed.options.m)) {
    return Fail("M must be a whole number, not " + Quoted(positional[1]));
  }
  if (positional.size() == 3) parsed.options.file = positional[2];
  return CheckSizes(parsed);
}

std::string UsageText() {
  return "Usage: unionbound-sharp N M [FILE] [--per-l] [--csv OUT]\n"
         "\n"
         "Bounds the probability that at least one of N events occurs, from "
         "the\nprobabilities of all intersections of 1 to M of them in FILE "
         "(default\nprob.txt, the same format and order as for unionbound). "
         "Prints unionbound's\nbest bounds beside the sharpest bounds the "
         "same data allow: the univariate\nmoment program (S1 .. SM) and, "
         "for every l from M to N-M, the bivariate\nprogram over (X1, X2) "
         "with the binomial moments unionbound uses. Every sharp\nbound is "
         "certified in exact rational arithmetic.\n"
         "\n"
         "  --per-l      also print one row per subsequence length l\n"
         "  --csv OUT    also write all bounds to the CSV file OUT\n"
         "  --help       print this text\n"
         "  --version    print the version\n"
         "\n"
         "Exit status: 0 bounds printed, 1 bad arguments or unreadable "
         "input,\n2 inconsistent data (no distribution has these "
         "probabilities).\n";
}

int RunSharpCommand(const std::vector<std::string>& args, std::ostream& out,
                    std::ostream& err) {
  const ParsedCommandLine parsed = ParseCommandLine(args);
  if (!parsed.ok) {
    err << kProgram << ": " << parsed.error << "\n";
    return kExitUsage;
  }
  const SharpOptions& o = parsed.options;
  if (o.help) {
    out << UsageText();
    return kExitOk;
  }
  const int32_t count = ProbabilityCount(o.n, o.m);
  const ProbabilityRead read = ReadProbabilityFile(o.file, count);
  if (!read.opened) {
    err << kProgram << ": cannot open " << Quoted(o.file) << "\n";
    return kExitUsage;
  }
  if (read.read < count) {
    err << kProgram << ": " << Quoted(o.file) << " has " << read.read
        << " readable numbers, n=" << o.n << ", m=" << o.m << " need " << count
        << "\n";
    return kExitUsage;
  }
  out << kProgram << ": n=" << o.n << ", m=" << o.m << ", " << count
      << " probabilities from " << o.file << "\n\n";
  const SharpAnalysis analysis = AnalyseProbabilities(read.p, o.n, o.m);
  WriteDataCheck(analysis, out);
  out << "\n";
  if (IsInconsistent(analysis)) {
    out << "Inconsistent data: no probability distribution has these "
           "intersection\nprobabilities, so no bound is meaningful.\n";
    return kExitInconsistent;
  }
  WriteBoundTables(analysis, o.perL, out);
  if (!analysis.method.messageLs.empty()) {
    err << kProgram << ": note: unionbound's procedures wrote numeric-library "
        << "messages (not shown) for l =";
    for (int32_t l : analysis.method.messageLs) err << " " << l;
    err << "\n";
  }
  if (!o.csvFile.empty()) {
    std::ofstream csv(o.csvFile);
    WriteCsv(analysis, csv);
    csv.close();
    if (!csv) {
      err << kProgram << ": cannot write " << Quoted(o.csvFile) << "\n";
      return kExitUsage;
    }
  }
  return kExitOk;
}

}  // namespace unionbound

#include "sharp/app/report.h"

#include <cstddef>
#include <cstdio>
#include <vector>

#include "optim/sense.h"
#include "sharp/exact/outward_format.h"
#include "sharp/exact/rational.h"

namespace unionbound::sharp {
namespace {

constexpr int kDigits = 10;     // significant digits in the tables
constexpr int kCsvDigits = 17;  // significant digits in the CSV file
constexpr size_t kListed = 5;   // findings listed without --verbose

std::string Printf(const char* format, double x) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, format, x);
  return buffer;
}

std::string PadRight(std::string s, size_t width) {
  if (s.size() < width) s.append(width - s.size(), ' ');
  return s;
}

std::string SubsetText(const IndexVector& subset) {
  std::string text = "{";
  for (size_t i = 0; i < subset.size(); ++i) {
    if (i > 0) text += ",";
    text += std::to_string(subset[i]);
  }
  return text + "}";
}

std::string ProgramName(int32_t l) {
  return l == kUnivariate ? "univariate" : "bivariate l=" + std::to_string(l);
}

// unionbound's number, or why it is not shown.
std::string MethodText(const SharpAnalysis& analysis, double bound,
                       bool lower) {
  if (IsSentinel(bound)) return "none";
  if (lower ? MethodLowerContradicts(analysis, bound)
            : MethodUpperContradicts(analysis, bound)) {
    return "invalid";
  }
  return FormatOutward(bound, kDigits, lower ? Rounding::kDown : Rounding::kUp);
}

std::string StatusText(const SharpBound& bound) {
  switch (bound.status) {
    case SharpStatus::kSharp:
      return bound.widened ? "sharp (T)" : "sharp";
    case SharpStatus::kInfeasible:
      return "infeasible";
    case SharpStatus::kFailed:
      return "failed";
  }
  return "";
}

// The exact optimum clipped to [0, 1]; rounding the exact value rather than
// the double keeps exact decimals such as 0.866 exact.
Rational ClippedExact(const SharpBound& bound) {
  if (bound.exact < 0) return 0;
  if (bound.exact > 1) return 1;
  return bound.exact;
}

std::string BoundText(const SharpBound& bound, bool lower) {
  if (!IsUsable(bound)) return "-";
  return FormatOutward(ClippedExact(bound), kDigits,
                       lower ? Rounding::kDown : Rounding::kUp);
}

std::string SharpCell(const SharpBound& bound, bool lower) {
  return PadRight(PadRight(BoundText(bound, lower), 18) + StatusText(bound),
                  29);
}

std::string Seconds(double s) { return Printf("%.3f s", s); }

void WriteNumberLine(const SharpAnalysis& analysis, std::ostream& out) {
  const size_t count = SubsetCount(analysis.subsets);
  if (static_cast<size_t>(analysis.typedNumbers) == count) {
    out << "  numbers: all " << count << " taken exactly as typed\n";
  } else {
    out << "  numbers: " << analysis.typedNumbers << " of " << count
        << " taken exactly as typed, the others as the nearest double "
           "(their text is not a plain decimal)\n";
  }
}

void WriteValueFindings(const SharpAnalysis& analysis, bool verbose,
                        std::ostream& out) {
  const DataCheck& check = analysis.check;
  if (check.badValues.empty() && check.orderProblems.empty()) {
    out << "  values: all in [0, 1], no intersection more probable than a "
           "sub-intersection\n";
    return;
  }
  if (!check.badValues.empty()) {
    out << "  values: " << check.badValues.size()
        << " outside [0, 1], by up to "
        << EpsilonText(DataCheckEpsilon({check.badValues, {}})) << "\n";
  }
  const size_t listedValues = verbose ? check.badValues.size() : kListed;
  for (size_t i = 0; i < check.badValues.size() && i < listedValues; ++i) {
    const ValueProblem& bad = check.badValues[i];
    out << "    P" << SubsetText(SubsetAt(analysis.subsets, bad.position))
        << " = " << Printf("%.17g", bad.value) << " (number "
        << bad.position + 1 << " in the file)\n";
  }
  if (!check.orderProblems.empty()) {
    Rational largest = 0;
    for (const OrderProblem& o : check.orderProblems) {
      if (o.excess > largest) largest = o.excess;
    }
    out << "  order: " << check.orderProblems.size()
        << " intersections more probable than a sub-intersection one size "
           "down, by up to "
        << EpsilonText(largest) << "\n";
  }
  if (!verbose) return;
  for (const OrderProblem& o : check.orderProblems) {
    out << "    P" << SubsetText(SubsetAt(analysis.subsets, o.position))
        << " exceeds P" << SubsetText(SubsetAt(analysis.subsets, o.subPosition))
        << " by " << EpsilonText(o.excess) << "\n";
  }
}

int32_t ProgramCount(const SharpAnalysis& analysis) {
  return 1 + static_cast<int32_t>(analysis.bivariate.size());
}

void WriteProgramFindings(const SharpAnalysis& analysis, bool verbose,
                          std::ostream& out) {
  const Consistency& c = analysis.consistency;
  const int32_t programs = ProgramCount(analysis);
  if (c.infeasiblePrograms == 0) {
    out << "  programs: all " << programs
        << " feasible as typed (proven exactly)\n";
  } else {
    out << "  programs: " << c.infeasiblePrograms << " of " << programs
        << " infeasible as typed (proven exactly); the "
        << ProgramName(c.worstL) << " program needs a change of "
        << EpsilonText(c.programEpsilon) << "\n";
  }
  if (c.consistent) {
    out << "  consistent: the numbers as typed pass every check\n";
  } else {
    out << "  inconsistent as typed: the least uniform change that makes "
           "every check pass is\n    epsilon = "
        << EpsilonText(c.epsilon)
        << " (the largest change of any one number)\n";
  }
  if (analysis.widened) {
    out << "  tolerance: T = " << EpsilonText(analysis.tolerance)
        << "; every bound holds for all numbers within T of the typed ones\n";
  }
  if (!verbose || !analysis.boundsComputed) return;
  auto pivots = [](const SharpInterval& in) {
    return in.lower.pivots + in.upper.pivots;
  };
  out << "    univariate: " << pivots(analysis.univariate) << " exact pivots\n";
  for (const BivariateResult& row : analysis.bivariate) {
    out << "    bivariate l=" << row.l << ": " << pivots(row.interval)
        << " exact pivots\n";
  }
}

void WriteSummaryRow(const std::string& name, const std::string& lower,
                     const std::string& upper, const std::string& ls,
                     const std::string& time, std::ostream& out) {
  out << PadRight(name, 18) << PadRight(lower, 29) << PadRight(upper, 29)
      << PadRight(ls, 10) << time << "\n";
}

std::string LPair(int32_t lower, int32_t upper) {
  return (lower < 0 ? std::string("-") : std::to_string(lower)) + ", " +
         (upper < 0 ? std::string("-") : std::to_string(upper));
}

std::string ClassicalCell(const Rational& bound, bool lower) {
  const Rational clipped = bound < 0   ? Rational(0)
                           : bound > 1 ? Rational(1)
                                       : bound;
  return PadRight(FormatOutward(clipped, kDigits,
                                lower ? Rounding::kDown : Rounding::kUp),
                  18) +
         "valid";
}

Rational ClipToUnit(const Rational& q) {
  return q < 0 ? Rational(0) : q > 1 ? Rational(1) : q;
}

// A widened bound's status is shortened to keep the columns apart.
std::string FullCellStatus(const FullBound& bound) {
  const std::string status = FullStatus(bound);
  if (!bound.widened) return status;
  return status.substr(0, 4) + ". (T)";
}

std::string FullCell(const FullBound& bound, bool lower) {
  return PadRight(
      PadRight(FormatOutward(ClipToUnit(bound.exact), kDigits,
                             lower ? Rounding::kDown : Rounding::kUp),
               18) +
          FullCellStatus(bound),
      29);
}

void WriteFullRow(const SharpAnalysis& analysis, std::ostream& out) {
  const FullResult& f = analysis.full;
  if (!f.computed) return;
  WriteSummaryRow("full (atoms)", FullCell(f.lower, true),
                  FullCell(f.upper, false), "-", Seconds(f.seconds), out);
}

void WriteClassicalRows(const SharpAnalysis& analysis, std::ostream& out) {
  WriteFullRow(analysis, out);
  const ClassicalBounds& c = analysis.classical;
  if (!c.computed) return;
  const std::string time = Seconds(c.seconds);
  WriteSummaryRow("Hunter-Worsley", "-", ClassicalCell(c.hunterWorsley, false),
                  "-", time, out);
  WriteSummaryRow("de Caen", ClassicalCell(c.deCaen, true), "-", "-", time,
                  out);
  WriteSummaryRow("Kuai-Alajaji-T.", ClassicalCell(c.kuaiAlajajiTakahara, true),
                  "-", "-", time, out);
}

void WriteSummaryTable(const SharpAnalysis& analysis, std::ostream& out) {
  out << "Bounds on the probability of the union (n=" << analysis.n
      << ", m=" << analysis.m << ")\n";
  WriteSummaryRow("", "lower bound", "upper bound", "l", "time", out);
  const MethodBounds& method = analysis.method;
  if (method.perL.empty()) {
    WriteSummaryRow("unionbound", "-", "-", "-", "-", out);
  } else {
    const MethodBound& lo = method.perL[method.bestLower];
    const MethodBound& up = method.perL[method.bestUpper];
    WriteSummaryRow("unionbound", MethodText(analysis, lo.lower, true),
                    MethodText(analysis, up.upper, false), LPair(lo.l, up.l),
                    Seconds(method.seconds), out);
  }
  const SharpInterval& uni = analysis.univariate;
  WriteSummaryRow("univariate sharp", SharpCell(uni.lower, true),
                  SharpCell(uni.upper, false), "-", Seconds(uni.seconds), out);
  if (analysis.bivariate.empty()) {
    WriteSummaryRow("bivariate sharp", "-", "-", "-", "-", out);
    WriteClassicalRows(analysis, out);
    out << "No subsequence length l in the range: no bivariate program and "
           "no unionbound bound.\n";
    return;
  }
  std::string lower = "-";
  std::string upper = "-";
  int32_t lo = -1;
  int32_t up = -1;
  if (analysis.bestLower >= 0) {
    const BivariateResult& row = analysis.bivariate[analysis.bestLower];
    lower = SharpCell(row.interval.lower, true);
    lo = row.l;
  }
  if (analysis.bestUpper >= 0) {
    const BivariateResult& row = analysis.bivariate[analysis.bestUpper];
    upper = SharpCell(row.interval.upper, false);
    up = row.l;
  }
  WriteSummaryRow("bivariate sharp", lower, upper, LPair(lo, up),
                  Seconds(analysis.bivariateSeconds), out);
  WriteClassicalRows(analysis, out);
}

void WritePerLTable(const SharpAnalysis& analysis, std::ostream& out) {
  out << "\nPer subsequence length l\n"
      << "   l  " << PadRight("unionbound lower", 18)
      << PadRight("unionbound upper", 18) << PadRight("sharp lower", 29)
      << PadRight("sharp upper", 29) << "time\n";
  for (size_t i = 0; i < analysis.bivariate.size(); ++i) {
    const BivariateResult& row = analysis.bivariate[i];
    std::string l = std::to_string(row.l);
    out << std::string(l.size() < 4 ? 4 - l.size() : 0, ' ') << l << "  ";
    if (i < analysis.method.perL.size()) {
      const MethodBound& method = analysis.method.perL[i];
      out << PadRight(MethodText(analysis, method.lower, true), 18)
          << PadRight(MethodText(analysis, method.upper, false), 18);
    } else {
      out << PadRight("-", 36);
    }
    const SharpInterval& in = row.interval;
    out << SharpCell(in.lower, true) << SharpCell(in.upper, false)
        << Seconds(in.seconds) << "\n";
  }
}

std::string CsvText(const std::string& s) {
  if (s.find_first_of(",\"\n\r") == std::string::npos) return s;
  std::string quoted = "\"";
  for (char c : s) {
    if (c == '"') quoted += '"';
    quoted += c;
  }
  return quoted + "\"";
}

std::string CsvStatus(const SharpBound& bound) {
  switch (bound.status) {
    case SharpStatus::kSharp:
      return "sharp";
    case SharpStatus::kInfeasible:
      return "infeasible";
    case SharpStatus::kFailed:
      return "failed";
  }
  return "";
}

std::string CsvBound(const SharpBound& bound, bool lower) {
  const std::string value =
      IsUsable(bound) ? FormatOutward(ClippedExact(bound), kCsvDigits,
                                      lower ? Rounding::kDown : Rounding::kUp)
                      : "";
  return value + "," + CsvStatus(bound) + "," +
         (bound.widened ? "tolerance" : "");
}

std::string CsvMethod(const SharpAnalysis& analysis, double bound, bool lower) {
  if (IsSentinel(bound)) return ",none,";
  const bool invalid = lower ? MethodLowerContradicts(analysis, bound)
                             : MethodUpperContradicts(analysis, bound);
  return FormatOutward(bound, kCsvDigits,
                       lower ? Rounding::kDown : Rounding::kUp) +
         (invalid ? ",invalid," : ",method,");
}

// value,status,widened of a closed-form bound.
std::string ClassicalCsv(const Rational& bound, bool lower) {
  const Rational clipped = bound < 0   ? Rational(0)
                           : bound > 1 ? Rational(1)
                                       : bound;
  return FormatOutward(clipped, kCsvDigits,
                       lower ? Rounding::kDown : Rounding::kUp) +
         ",valid,";
}

}  // namespace

std::string FullStatus(const FullBound& bound) {
  if (bound.sharp) return "sharp";
  return bound.converged && bound.allAtomsPriced ? "certified" : "partial";
}

std::string EpsilonText(const Rational& epsilon) {
  return FormatOutward(epsilon, 3, Rounding::kUp);
}

std::string FullEpsilonAdvice(const FullEpsilon& epsilon,
                              const std::string& option) {
  if (!epsilon.computed) return "check the data";
  std::string advice = "the full program needs epsilon >= " +
                       FormatOutward(epsilon.atLeast, 3, Rounding::kDown);
  if (!epsilon.sufficesFound) return advice + "; check the data";
  const std::string enough = EpsilonText(epsilon.suffices);
  return advice + " (a change of every number by up to " + enough +
         " fits a distribution over the atoms): use " + option +
         " with T >= " + enough;
}

void WriteDataCheck(const SharpAnalysis& analysis, bool verbose,
                    std::ostream& out) {
  out << "Data check\n";
  WriteNumberLine(analysis, out);
  WriteValueFindings(analysis, verbose, out);
  WriteProgramFindings(analysis, verbose, out);
}

void WriteInconsistency(const SharpAnalysis& analysis, std::ostream& out) {
  const Consistency& c = analysis.consistency;
  out << "Inconsistent data: no probability distribution has these "
         "intersection\nprobabilities";
  if (analysis.widened || !c.consistent) {
    out << " (a change of every number by up to epsilon = "
        << EpsilonText(c.epsilon) << " is needed).\n";
  } else {
    out << ".\n";
  }
  out << "Use --tolerance T with T >= epsilon for bounds that hold for every "
         "consistent\nassignment within T of every number.\n";
}

void WriteBoundTables(const SharpAnalysis& analysis, bool perL,
                      std::ostream& out) {
  WriteSummaryTable(analysis, out);
  out << "\nsharp: the exact optimum of its moment program, proven in "
         "rational arithmetic and\nrounded outward to "
      << kDigits << " significant digits";
  if (analysis.widened) {
    out << "; (T): the program lets every number\nmove by up to the "
           "tolerance T";
  }
  out << ". unionbound's numbers are as computed,\nrounded outward; invalid: "
         "contradicted by a sharp bound.\n";
  if (analysis.full.computed) {
    out << "certified: the full program over atoms; exact data times duals "
           "rounded to a fixed\ndenominator, shifted by the least reduced "
           "cost over all atoms (exact); partial:\nvalid, but the pricing "
           "stopped early or could not search every atom. A full\nbound "
           "marked sharp is the program's optimum: an atom distribution and "
           "duals of\nequal value, both verified in rational arithmetic.\n";
    if (analysis.full.lower.widened) {
      out << "cert. (T), part. (T): the same for the full program widened "
             "by the tolerance T.\n";
    }
  }
  if (analysis.classical.computed) {
    out << "valid: a closed-form bound from the singles and pairs, computed "
           "exactly and rounded\noutward; never tighter than the full "
           "program over atoms.\n";
  }
  const IndexVector wrong = ContradictedMethodLs(analysis);
  if (!wrong.empty()) {
    out << "Note: unionbound's numbers contradict the sharp bounds for "
        << wrong.size() << " of " << analysis.method.perL.size()
        << " values of l (first l=" << wrong[0]
        << "):\n      there they are not valid bounds";
    if (analysis.m % 2 == 0) out << " (unionbound asks for an odd m)";
    out << ".\n";
  }
  if (perL) WritePerLTable(analysis, out);
}

std::string CsvHeader() {
  return "n,m,file,data_check,kind,l_lower,lower,lower_status,lower_widened,"
         "l_upper,upper,upper_status,upper_widened,seconds";
}

void WriteCsv(const SharpAnalysis& analysis, const std::string& file,
              std::ostream& out) {
  out << CsvHeader() << "\n";
  const std::string prefix =
      std::to_string(analysis.n) + "," + std::to_string(analysis.m) + "," +
      CsvText(file) + "," +
      (analysis.consistency.consistent ? "consistent" : "inconsistent") + ",";
  auto seconds = [](double s) { return Printf("%.6f", s); };
  auto methodRow = [&](const std::string& kind, const MethodBound& lo,
                       const MethodBound& up, double s) {
    out << prefix << kind << "," << lo.l << ","
        << CsvMethod(analysis, lo.lower, true) << "," << up.l << ","
        << CsvMethod(analysis, up.upper, false) << "," << seconds(s) << "\n";
  };
  auto sharpRow = [&](const std::string& kind, const std::string& lowL,
                      const SharpBound& lower, const std::string& upL,
                      const SharpBound& upper, double s) {
    out << prefix << kind << "," << lowL << "," << CsvBound(lower, true) << ","
        << upL << "," << CsvBound(upper, false) << "," << seconds(s) << "\n";
  };
  const MethodBounds& method = analysis.method;
  if (!method.perL.empty()) {
    methodRow("unionbound", method.perL[method.bestLower],
              method.perL[method.bestUpper], method.seconds);
  }
  const SharpInterval& uni = analysis.univariate;
  sharpRow("univariate", "", uni.lower, "", uni.upper, uni.seconds);
  if (analysis.bestLower >= 0 || analysis.bestUpper >= 0) {
    const SharpBound none;
    const BivariateResult* lo = analysis.bestLower >= 0
                                    ? &analysis.bivariate[analysis.bestLower]
                                    : nullptr;
    const BivariateResult* up = analysis.bestUpper >= 0
                                    ? &analysis.bivariate[analysis.bestUpper]
                                    : nullptr;
    sharpRow("bivariate", lo ? std::to_string(lo->l) : "",
             lo ? lo->interval.lower : none, up ? std::to_string(up->l) : "",
             up ? up->interval.upper : none, analysis.bivariateSeconds);
  }
  const FullResult& f = analysis.full;
  if (f.computed) {
    out << prefix << "full,,"
        << FormatOutward(ClipToUnit(f.lower.exact), kCsvDigits, Rounding::kDown)
        << "," << FullStatus(f.lower) << ","
        << (f.lower.widened ? "tolerance" : "") << ",,"
        << FormatOutward(ClipToUnit(f.upper.exact), kCsvDigits, Rounding::kUp)
        << "," << FullStatus(f.upper) << ","
        << (f.upper.widened ? "tolerance" : "") << "," << seconds(f.seconds)
        << "\n";
  }
  const ClassicalBounds& c = analysis.classical;
  if (c.computed) {
    const std::string s = seconds(c.seconds);
    out << prefix << "hunter-worsley,,,,,,"
        << ClassicalCsv(c.hunterWorsley, false) << "," << s << "\n";
    out << prefix << "de-caen,," << ClassicalCsv(c.deCaen, true) << ",,,,," << s
        << "\n";
    out << prefix << "kuai-alajaji-takahara,,"
        << ClassicalCsv(c.kuaiAlajajiTakahara, true) << ",,,,," << s << "\n";
  }
  for (const MethodBound& row : method.perL) {
    methodRow("unionbound_l", row, row, row.seconds);
  }
  for (const BivariateResult& row : analysis.bivariate) {
    const std::string l = std::to_string(row.l);
    sharpRow("bivariate_l", l, row.interval.lower, l, row.interval.upper,
             row.interval.seconds);
  }
}

}  // namespace unionbound::sharp

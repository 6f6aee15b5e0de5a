#include "sharp/sharp_report.h"

#include <cstddef>
#include <cstdio>
#include <vector>

#include "optim/sense.h"
#include "sharp/exact_arithmetic.h"

namespace unionbound {
namespace {

constexpr int kDecimals = 10;
constexpr size_t kListed = 5;  // findings of one kind listed in full

std::string Printf(const char* format, double x) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, format, x);
  return buffer;
}

std::string PadRight(std::string s, size_t width) {
  if (s.size() < width) s.append(width - s.size(), ' ');
  return s;
}

std::string FormatDirected(double x, int decimals, bool up) {
  mpz_class scale;
  mpz_ui_pow_ui(scale.get_mpz_t(), 10, static_cast<unsigned long>(decimals));
  const Rational scaled = ExactValue(x) * scale;
  mpz_class units;
  if (up) {
    mpz_cdiv_q(units.get_mpz_t(), scaled.get_num_mpz_t(),
               scaled.get_den_mpz_t());
  } else {
    mpz_fdiv_q(units.get_mpz_t(), scaled.get_num_mpz_t(),
               scaled.get_den_mpz_t());
  }
  const bool negative = sgn(units) < 0;
  const mpz_class magnitude = abs(units);
  const std::string raw = magnitude.get_str();
  const size_t width = static_cast<size_t>(decimals) + 1;
  const std::string digits =
      raw.size() < width ? std::string(width - raw.size(), '0') + raw : raw;
  const size_t point = digits.size() - static_cast<size_t>(decimals);
  const std::string text = digits.substr(0, point) + "." + digits.substr(point);
  return negative ? "-" + text : text;
}

std::string SubsetText(const IndexVector& subset) {
  std::string text = "{";
  for (size_t i = 0; i < subset.size(); ++i) {
    if (i > 0) text += ",";
    text += std::to_string(subset[i]);
  }
  return text + "}";
}

std::string MethodText(double bound) {
  return IsSentinel(bound) ? "none" : Printf("%.10f", bound);
}

// "sharp", the gap to the solver's value, or why there is no bound.
std::string StatusText(const SharpBound& bound) {
  switch (bound.status) {
    case SharpStatus::kBound:
      return bound.sharp ? "sharp" : "gap " + Printf("%.1e", bound.gap);
    case SharpStatus::kInconsistent:
      return "inconsistent";
    case SharpStatus::kRoundingInfeasible:
      return "infeasible (rounding)";
    case SharpStatus::kSolverFailed:
      return "solver failed";
  }
  return "";
}

std::string CsvStatus(const SharpBound& bound) {
  switch (bound.status) {
    case SharpStatus::kBound:
      return bound.sharp ? "sharp" : "certified";
    case SharpStatus::kInconsistent:
      return "inconsistent";
    case SharpStatus::kRoundingInfeasible:
      return "rounding_infeasible";
    case SharpStatus::kSolverFailed:
      return "solver_failed";
  }
  return "";
}

std::string LowerText(const SharpBound& bound) {
  return IsUsable(bound) ? FormatRoundedDown(bound.bound, kDecimals) : "-";
}

std::string UpperText(const SharpBound& bound) {
  return IsUsable(bound) ? FormatRoundedUp(bound.bound, kDecimals) : "-";
}

std::string SharpCell(const std::string& value, const SharpBound& bound) {
  return PadRight(PadRight(value, 14) + StatusText(bound), 27);
}

std::string Seconds(double s) { return Printf("%.3f s", s); }

void WriteValueFindings(const SharpAnalysis& analysis, std::ostream& out) {
  const DataCheck& check = analysis.check;
  if (check.badValues.empty()) {
    out << "  values: all " << analysis.subsets.size()
        << " are probabilities in [0, 1]\n";
    return;
  }
  out << "  values: " << check.badValues.size()
      << " are not probabilities in [0, 1]:\n";
  for (size_t i = 0; i < check.badValues.size() && i < kListed; ++i) {
    const ValueProblem& bad = check.badValues[i];
    out << "    P" << SubsetText(analysis.subsets[bad.position]) << " = "
        << Printf("%.17g", bad.value) << " (number " << bad.position + 1
        << " in the file)\n";
  }
  if (check.badValues.size() > kListed) {
    out << "    and " << check.badValues.size() - kListed << " more\n";
  }
}

void WriteOrderFindings(const SharpAnalysis& analysis, std::ostream& out) {
  std::vector<OrderProblem> genuine;
  size_t rounding = 0;
  double largestRounding = 0.0;
  for (const OrderProblem& problem : analysis.check.orderProblems) {
    if (!problem.withinRounding) {
      genuine.push_back(problem);
    } else {
      ++rounding;
      if (problem.excess > largestRounding) largestRounding = problem.excess;
    }
  }
  if (genuine.empty() && rounding == 0) {
    out << "  order: no intersection is more probable than a "
           "sub-intersection one size down\n";
  }
  for (size_t i = 0; i < genuine.size() && i < kListed; ++i) {
    const OrderProblem& g = genuine[i];
    out << "  order: P" << SubsetText(analysis.subsets[g.position])
        << " exceeds P" << SubsetText(analysis.subsets[g.subPosition]) << " by "
        << Printf("%.3g", g.excess) << "\n";
  }
  if (genuine.size() > kListed) {
    out << "  order: and " << genuine.size() - kListed
        << " more intersections more probable than a sub-intersection\n";
  }
  if (rounding > 0) {
    out << "  order: " << rounding
        << " intersections exceed a sub-intersection by no more than input "
           "rounding explains (at most "
        << Printf("%.1e", largestRounding) << "); not an error\n";
  }
}

void WriteProgramFinding(const std::string& name, const SharpInterval& in,
                         std::ostream& out) {
  const SharpBound& bad =
      in.lower.status != SharpStatus::kBound ? in.lower : in.upper;
  switch (bad.status) {
    case SharpStatus::kBound:
      if (in.lower.roundingInfeasible || in.upper.roundingInfeasible) {
        const SharpBound& r = in.lower.roundingInfeasible ? in.lower : in.upper;
        out << "  programs: " << name << " infeasible as given (by at least "
            << Printf("%.1e", r.infeasibility.distance)
            << "), which input rounding explains; its bounds hold for all "
               "data within that rounding\n";
      }
      return;
    case SharpStatus::kInconsistent:
      out << "  programs: " << name
          << " infeasible beyond input rounding: the moments are at least "
          << Printf("%.3g", bad.infeasibility.distance)
          << " (sum of absolute changes) away from those of any "
             "distribution\n";
      return;
    case SharpStatus::kRoundingInfeasible:
      out << "  programs: " << name
          << " infeasible, but by no more than input rounding explains; no "
             "bound from it\n";
      return;
    case SharpStatus::kSolverFailed:
      out << "  programs: " << name
          << ": the solver failed; no bound from it\n";
      return;
  }
}

void WriteProgramFindings(const SharpAnalysis& analysis, std::ostream& out) {
  size_t programs = 2;
  size_t sharp = 0;
  size_t failing = 0;
  auto count = [&](const SharpInterval& in) {
    sharp += (in.lower.sharp ? 1 : 0) + (in.upper.sharp ? 1 : 0);
    failing += (IsUsable(in.lower) && IsUsable(in.upper)) ? 0 : 1;
  };
  count(analysis.univariate);
  WriteProgramFinding("univariate program", analysis.univariate, out);
  for (const BivariateResult& row : analysis.bivariate) {
    programs += 2;
    count(row.interval);
    WriteProgramFinding("bivariate program l=" + std::to_string(row.l),
                        row.interval, out);
  }
  if (failing == 0) {
    out << "  programs: all " << programs << " feasible up to the solver's "
        << "tolerance; " << sharp << " optima proven exactly (which proves "
        << (sharp > 0 ? "the moments consistent" : "nothing more") << ")\n";
  }
}

void WriteSummaryRow(const std::string& name, const std::string& lower,
                     const std::string& upper, const std::string& ls,
                     const std::string& time, std::ostream& out) {
  out << PadRight(name, 18) << PadRight(lower, 27) << PadRight(upper, 27)
      << PadRight(ls, 9) << time << "\n";
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
    WriteSummaryRow("unionbound", MethodText(lo.lower), MethodText(up.upper),
                    std::to_string(lo.l) + ", " + std::to_string(up.l),
                    Seconds(method.seconds), out);
  }
  const SharpInterval& uni = analysis.univariate;
  WriteSummaryRow("univariate sharp",
                  SharpCell(LowerText(uni.lower), uni.lower),
                  SharpCell(UpperText(uni.upper), uni.upper), "-",
                  Seconds(uni.seconds), out);
  if (analysis.bivariate.empty()) {
    WriteSummaryRow("bivariate sharp", "-", "-", "-", "-", out);
    out << "No subsequence length l from m to n-m (n < 2m): no bivariate "
           "program and no unionbound bound.\n";
    return;
  }
  std::string lower = "-";
  std::string upper = "-";
  std::string lo = "-";
  std::string up = "-";
  if (analysis.bestLower >= 0) {
    const BivariateResult& row = analysis.bivariate[analysis.bestLower];
    lower = SharpCell(LowerText(row.interval.lower), row.interval.lower);
    lo = std::to_string(row.l);
  }
  if (analysis.bestUpper >= 0) {
    const BivariateResult& row = analysis.bivariate[analysis.bestUpper];
    upper = SharpCell(UpperText(row.interval.upper), row.interval.upper);
    up = std::to_string(row.l);
  }
  WriteSummaryRow("bivariate sharp", lower, upper, lo + ", " + up,
                  Seconds(analysis.bivariateSeconds), out);
}

void WritePerLTable(const SharpAnalysis& analysis, std::ostream& out) {
  out << "\nPer subsequence length l\n"
      << "   l  " << PadRight("unionbound lower", 18)
      << PadRight("unionbound upper", 18) << PadRight("sharp lower", 27)
      << PadRight("sharp upper", 27) << "time\n";
  for (size_t i = 0; i < analysis.bivariate.size(); ++i) {
    const BivariateResult& row = analysis.bivariate[i];
    std::string l = std::to_string(row.l);
    out << std::string(l.size() < 4 ? 4 - l.size() : 0, ' ') << l << "  ";
    if (i < analysis.method.perL.size()) {
      const MethodBound& method = analysis.method.perL[i];
      out << PadRight(MethodText(method.lower), 18)
          << PadRight(MethodText(method.upper), 18);
    } else {
      out << PadRight("-", 36);
    }
    const SharpInterval& in = row.interval;
    out << SharpCell(LowerText(in.lower), in.lower)
        << SharpCell(UpperText(in.upper), in.upper) << Seconds(in.seconds)
        << "\n";
  }
}

std::string CsvNumber(double x) { return Printf("%.17g", x); }

std::string CsvSharp(const SharpBound& bound) {
  std::string gap = bound.status == SharpStatus::kBound && !bound.sharp
                        ? CsvNumber(bound.gap)
                        : "";
  return (IsUsable(bound) ? CsvNumber(bound.bound) : "") + "," +
         CsvStatus(bound) + "," + gap;
}

void WriteCsvMethod(const std::string& kind, const MethodBound& lo,
                    const MethodBound& up, double seconds, std::ostream& out) {
  out << kind << "," << lo.l << "," << CsvNumber(lo.lower) << ",method,,"
      << up.l << "," << CsvNumber(up.upper) << ",method,," << CsvNumber(seconds)
      << "\n";
}

void WriteCsvSharp(const std::string& kind, const std::string& lowL,
                   const SharpBound& lower, const std::string& upL,
                   const SharpBound& upper, double seconds, std::ostream& out) {
  out << kind << "," << lowL << "," << CsvSharp(lower) << "," << upL << ","
      << CsvSharp(upper) << "," << CsvNumber(seconds) << "\n";
}

}  // namespace

std::string FormatRoundedDown(double x, int decimals) {
  return FormatDirected(x, decimals, false);
}

std::string FormatRoundedUp(double x, int decimals) {
  return FormatDirected(x, decimals, true);
}

void WriteDataCheck(const SharpAnalysis& analysis, std::ostream& out) {
  out << "Data check\n";
  WriteValueFindings(analysis, out);
  if (!analysis.check.badValues.empty()) return;
  WriteOrderFindings(analysis, out);
  if (analysis.boundsComputed) WriteProgramFindings(analysis, out);
}

void WriteBoundTables(const SharpAnalysis& analysis, bool perL,
                      std::ostream& out) {
  WriteSummaryTable(analysis, out);
  out << "\nsharp: proven to be the exact optimum of its moment program; "
         "gap: certified\nbound, at that distance from the solver's optimum. "
         "Sharp-program bounds are\nproven by exact dual solutions and "
         "rounded outward; unionbound's are as computed.\n";
  const IndexVector wrong = ContradictedMethodLs(analysis);
  if (!wrong.empty()) {
    out << "Note: unionbound's numbers contradict the certified bounds for "
        << wrong.size() << " of " << analysis.bivariate.size()
        << " values of l (first l=" << wrong[0]
        << "):\n      there they are not valid bounds";
    if (analysis.m % 2 == 0) out << " (unionbound asks for an odd m)";
    out << ".\n";
  }
  if (perL) WritePerLTable(analysis, out);
}

void WriteCsv(const SharpAnalysis& analysis, std::ostream& out) {
  out << "kind,l_lower,lower,lower_status,lower_gap,l_upper,upper,"
         "upper_status,upper_gap,seconds\n";
  const MethodBounds& method = analysis.method;
  if (!method.perL.empty()) {
    WriteCsvMethod("unionbound", method.perL[method.bestLower],
                   method.perL[method.bestUpper], method.seconds, out);
  }
  const SharpInterval& uni = analysis.univariate;
  WriteCsvSharp("univariate", "", uni.lower, "", uni.upper, uni.seconds, out);
  if (analysis.bestLower >= 0 && analysis.bestUpper >= 0) {
    const BivariateResult& lo = analysis.bivariate[analysis.bestLower];
    const BivariateResult& up = analysis.bivariate[analysis.bestUpper];
    WriteCsvSharp("bivariate", std::to_string(lo.l), lo.interval.lower,
                  std::to_string(up.l), up.interval.upper,
                  analysis.bivariateSeconds, out);
  }
  for (const MethodBound& row : method.perL) {
    WriteCsvMethod("unionbound_l", row, row, row.seconds, out);
  }
  for (const BivariateResult& row : analysis.bivariate) {
    const std::string l = std::to_string(row.l);
    WriteCsvSharp("bivariate_l", l, row.interval.lower, l, row.interval.upper,
                  row.interval.seconds, out);
  }
}

}  // namespace unionbound

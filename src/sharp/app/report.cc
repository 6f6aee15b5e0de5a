#include "sharp/app/report.h"

#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <vector>

#include "optim/sense.h"
#include "sharp/analysis/messages.h"
#include "sharp/exact/outward_format.h"
#include "sharp/exact/rational.h"

namespace unionbound::sharp {
namespace {

constexpr size_t kListed = 5;  // findings listed without --verbose

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

std::string ProgramName(int32_t l, bool reordered) {
  return l == kUnivariate ? "univariate"
                          : "bivariate l=" + std::to_string(l) +
                                (reordered ? " (events by marginal)" : "");
}

// unionbound's number, or why it is not shown; (r) marks a number outside
// the sharp interval of its l by no more than rounding.
std::string MethodText(const PrintedBound& b) {
  if (b.status == "none" || b.status == "invalid") return b.status;
  if (b.status == "rounding") return b.Text(kTableDigits) + " (r)";
  return b.Text(kTableDigits);
}

std::string StatusText(const PrintedBound& b) {
  return b.status == "sharp" && b.widened ? "sharp (T)" : b.status;
}

// A moment program's bound and its status; "-" for a side without one.
std::string SharpCell(const PrintedBound& b) {
  if (!b.exists) return "-";
  return PadRight(
      PadRight(b.hasValue ? b.Text(kTableDigits) : "-", 18) + StatusText(b),
      29);
}

std::string Seconds(double s) { return Printf("%.3f s", s); }

}  // namespace

std::string RoundingHint(const SharpAnalysis& analysis,
                         const std::string& option) {
  const int32_t k = analysis.typedDecimals;
  if (k < 1 || k > kMostHintedDecimals) return "";
  const Rational half(1, 2);
  Rational enough = half;
  for (int32_t i = 0; i < k; ++i) enough /= 10;
  if (analysis.widened && analysis.tolerance >= enough) return "";
  const std::string places = std::to_string(k);
  return "every number has at most " + places +
         (k == 1 ? " decimal" : " decimals") + "; if they were rounded, " +
         option + "0.5e-" + places +
         " gives bounds that hold for the unrounded values";
}

namespace {

void WriteNumberLine(const SharpAnalysis& analysis, std::ostream& out) {
  const size_t count = SubsetCount(analysis.subsets);
  if (static_cast<size_t>(analysis.typedNumbers) == count) {
    out << "  numbers: all " << count << " taken exactly as typed\n";
    const std::string hint = RoundingHint(analysis);
    if (!hint.empty()) out << "  precision: " << hint << "\n";
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
  return 1 + static_cast<int32_t>(analysis.bivariate.size() +
                                  analysis.reordered.size());
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
        << ProgramName(c.worstL, c.worstReordered)
        << " program needs a change of " << EpsilonText(c.programEpsilon)
        << "\n";
  }
  if (c.infeasibleMultivariate > 0) {
    out << "  multivariate: " << c.infeasibleMultivariate
        << " partition program(s) infeasible as typed (proven exactly)";
    if (c.atomsEpsilonKnown && c.atomsEpsilonAtLeast > 0) {
      out << "; over the atoms the numbers need a change of at least "
          << FormatOutward(c.atomsEpsilonAtLeast, 3, Rounding::kDown);
    }
    out << "\n";
  }
  if (c.boundsCross) {
    out << "  bounds: a proven lower bound lies above a proven upper bound, so "
           "no\n    distribution has these numbers";
    if (c.atomsEpsilonKnown && c.atomsEpsilonAtLeast > 0) {
      out << "; over the atoms they need a change of at least "
          << FormatOutward(c.atomsEpsilonAtLeast, 3, Rounding::kDown);
    }
    out << "\n";
  }
  const bool atomsFail = AtomsFitNoneAsTyped(analysis);
  if (atomsFail) {
    const FullEpsilon& e = analysis.fullEpsilon;
    out << "  atoms: no distribution over the atoms fits the numbers "
        << (analysis.widened && FullBoundsCross(analysis) ? "within T"
                                                          : "as typed")
        << " (proven\n    exactly)";
    const bool least = e.computed && e.atLeast > 0;
    if (least) {
      out << "; they need a change of at least "
          << FormatOutward(e.atLeast, 3, Rounding::kDown);
    }
    if (e.computed && e.sufficesFound) {
      out << (least ? ", and " : "; ") << EpsilonText(e.suffices)
          << " is enough";
    }
    out << "\n";
  }
  if (c.consistent && !atomsFail) {
    const FullResult& f = analysis.full;
    // A sharp full bound comes with an exact distribution over the atoms.
    const bool atoms =
        f.computed && !analysis.widened && (f.lower.sharp || f.upper.sharp);
    out << "  consistent: the numbers as typed pass every check"
        << (atoms ? ", and a distribution\n    over the atoms has them "
                    "(proven exactly)\n"
            : f.computed
                ? "; a distribution over\n    the atoms is not proven\n"
                : "; a distribution over\n    the atoms is not checked\n");
  } else if (!c.consistent && c.epsilon <= 0) {
    // Proven by a partition's program alone, the atoms' epsilon not found.
    out << "  inconsistent as typed: the change that makes every check pass "
           "was not measured\n";
  } else if (EpsilonOnlyEnough(c)) {
    // epsilon is a change the search over the atoms found enough, not one
    // proven least.
    out << "  inconsistent as typed: a uniform change of epsilon = "
        << EpsilonText(c.epsilon)
        << " makes every check pass\n    (the largest change of any one "
           "number); the least such change is at least "
        << FormatOutward(ProvenLeastChange(c), 3, Rounding::kDown) << "\n";
  } else if (!c.consistent) {
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

std::string ClassicalCell(const PrintedBound& b) {
  return PadRight(b.Text(kTableDigits), 18) + "valid";
}

// A widened bound's status is shortened to keep the columns apart.
std::string FullCell(const PrintedBound& b) {
  const std::string status =
      b.widened ? b.status.substr(0, 4) + ". (T)" : b.status;
  return PadRight(PadRight(b.Text(kTableDigits), 18) + status, 29);
}

void WriteClassicalRows(const std::vector<BoundRow>& rows, std::ostream& out) {
  if (const BoundRow* f = FindRow(rows, RowKind::kFull)) {
    WriteSummaryRow("full (atoms)", FullCell(f->lower), FullCell(f->upper), "-",
                    Seconds(f->seconds), out);
  }
  const BoundRow* hw = FindRow(rows, RowKind::kHunterWorsley);
  const BoundRow* dc = FindRow(rows, RowKind::kDeCaen);
  const BoundRow* kat = FindRow(rows, RowKind::kKuaiAlajajiTakahara);
  if (hw == nullptr || dc == nullptr || kat == nullptr) return;
  WriteSummaryRow("Hunter-Worsley", "-", ClassicalCell(hw->upper), "-",
                  Seconds(hw->seconds), out);
  WriteSummaryRow("de Caen", ClassicalCell(dc->lower), "-", "-",
                  Seconds(dc->seconds), out);
  WriteSummaryRow("Kuai-Alajaji-T.", ClassicalCell(kat->lower), "-", "-",
                  Seconds(kat->seconds), out);
}

// The number of groups of each side's partition, as the l column shows it.
std::string GroupCounts(const PrintedBound& lower, const PrintedBound& upper) {
  auto t = [](const PrintedBound& b) {
    return b.groups.empty() ? std::string("-")
                            : "t=" + std::to_string(b.groups.size());
  };
  return t(lower) + ", " + t(upper);
}

void WriteMultivariateRow(const std::vector<BoundRow>& rows,
                          std::ostream& out) {
  const BoundRow* mv = FindRow(rows, RowKind::kMultivariate);
  if (mv == nullptr) return;
  WriteSummaryRow("multivariate", SharpCell(mv->lower), SharpCell(mv->upper),
                  GroupCounts(mv->lower, mv->upper), Seconds(mv->seconds), out);
}

// Which partitions the bivariate and multivariate rows' bounds came from.
void WritePartitionNotes(const SharpAnalysis& analysis,
                         const std::vector<BoundRow>& rows, std::ostream& out) {
  // Beyond this many events the groups are left to the CSV and JSON files.
  constexpr int32_t kListedEvents = 40;
  const BoundRow* bi = FindRow(rows, RowKind::kBivariate);
  if (bi != nullptr &&
      (!bi->lower.groups.empty() || !bi->upper.groups.empty())) {
    out << "bivariate: the "
        << (!bi->lower.groups.empty() && !bi->upper.groups.empty()
                ? "lower and upper bounds come"
            : !bi->lower.groups.empty() ? "lower bound comes"
                                        : "upper bound comes")
        << " from the events taken by\ndecreasing marginal probability (l "
           "counts the most probable events).\n";
  }
  const BoundRow* mv = FindRow(rows, RowKind::kMultivariate);
  if (mv != nullptr) {
    out << "multivariate: the exact optimum over the counts of events in each "
           "group of a partition\ninto t groups chosen from the data, the "
           "best of each side over the partitions.\n";
    for (const PrintedBound* b : {&mv->lower, &mv->upper}) {
      if (b->groups.empty()) continue;
      out << "  " << (b->lower ? "lower" : "upper") << ": " << b->rule
          << " partition";
      if (analysis.n <= kListedEvents) {
        out << " " << GroupsText(b->groups) << "\n";
      } else {
        out << " (its groups are in the CSV and JSON files)\n";
      }
    }
    const MultivariateResult& result = analysis.multivariate;
    if (result.unfinished > 0) {
      out << "  " << result.unfinished << " of the " << result.partitions.size()
          << " partitions stopped unsolved at the time or pivot limit; the "
             "bounds\n  are the best of the others.\n";
    }
  } else if (analysis.multivariateSkippedPoints > 0) {
    out << "multivariate: left out, its largest program has "
        << analysis.multivariateSkippedPoints
        << " count vectors; --multivariate\ncomputes it all the same.\n";
  }
}

// What the table bounds.
std::string TargetTitle(const CountTarget& target) {
  if (IsUnion(target)) return "the probability of the union";
  return std::string(target.exactly ? "P(exactly " : "P(at least ") +
         std::to_string(target.r) + " of the n events)";
}

// The kind a best bound came from, short enough for the status column.
std::string SourceCell(const PrintedBound& b) {
  if (!b.hasValue) return "-";
  std::string source;
  switch (b.source) {
    case RowKind::kHunterWorsley:
      source = "H-W";
      break;
    case RowKind::kDeCaen:
      source = "de Caen";
      break;
    case RowKind::kKuaiAlajajiTakahara:
      source = "K-A-T";
      break;
    case RowKind::kMultivariate:
      // "multivariate" would fill the cell and run into the next one.
      source = "multivar.";
      break;
    default:
      source = KindName(b.source);
  }
  return PadRight(PadRight(b.Text(kTableDigits), 18) + source, 29);
}

void WriteBestRow(const std::vector<BoundRow>& rows, std::ostream& out) {
  const BoundRow* best = FindRow(rows, RowKind::kBest);
  if (best == nullptr) return;
  WriteSummaryRow("best proven", SourceCell(best->lower),
                  SourceCell(best->upper), LPair(best->lower.l, best->upper.l),
                  "-", out);
}

void WriteSummaryTable(const SharpAnalysis& analysis,
                       const std::vector<BoundRow>& rows, std::ostream& out) {
  out << "Bounds on " << TargetTitle(analysis.target) << " (n=" << analysis.n
      << ", m=" << analysis.m << ")\n";
  WriteSummaryRow("", "lower bound", "upper bound", "l", "time", out);
  if (const BoundRow* u = FindRow(rows, RowKind::kUnionbound)) {
    WriteSummaryRow("unionbound", MethodText(u->lower), MethodText(u->upper),
                    LPair(u->lower.l, u->upper.l), Seconds(u->seconds), out);
  } else {
    WriteSummaryRow("unionbound", "-", "-", "-", "-", out);
  }
  const BoundRow* uni = FindRow(rows, RowKind::kUnivariate);
  WriteSummaryRow("univariate sharp", SharpCell(uni->lower),
                  SharpCell(uni->upper), "-", Seconds(uni->seconds), out);
  if (analysis.bivariate.empty()) {
    WriteSummaryRow("bivariate sharp", "-", "-", "-", "-", out);
    WriteMultivariateRow(rows, out);
    WriteClassicalRows(rows, out);
    WriteBestRow(rows, out);
    out << "No subsequence length l in the range: no bivariate program";
    out << (IsUnion(analysis.target) ? " and no unionbound bound.\n" : ".\n");
    return;
  }
  if (const BoundRow* bi = FindRow(rows, RowKind::kBivariate)) {
    WriteSummaryRow("bivariate sharp", SharpCell(bi->lower),
                    SharpCell(bi->upper), LPair(bi->lower.l, bi->upper.l),
                    Seconds(bi->seconds), out);
  } else {
    WriteSummaryRow("bivariate sharp", "-", "-", LPair(-1, -1),
                    Seconds(analysis.bivariateSeconds), out);
  }
  WriteMultivariateRow(rows, out);
  WriteClassicalRows(rows, out);
  WriteBestRow(rows, out);
}

void WritePerLTable(const std::vector<BoundRow>& rows, std::ostream& out) {
  out << "\nPer subsequence length l\n"
      << "   l  " << PadRight("unionbound lower", 18)
      << PadRight("unionbound upper", 18) << PadRight("sharp lower", 29)
      << PadRight("sharp upper", 29) << "time\n";
  std::vector<const BoundRow*> method;
  for (const BoundRow& row : rows) {
    if (row.kind == RowKind::kUnionboundL) method.push_back(&row);
  }
  size_t i = 0;
  for (const BoundRow& row : rows) {
    if (row.kind != RowKind::kBivariateL) continue;
    std::string l = std::to_string(row.lower.l);
    out << std::string(l.size() < 4 ? 4 - l.size() : 0, ' ') << l << "  ";
    if (i < method.size()) {
      out << PadRight(MethodText(method[i]->lower), 18)
          << PadRight(MethodText(method[i]->upper), 18);
    } else {
      out << PadRight("-", 36);
    }
    ++i;
    out << SharpCell(row.lower) << SharpCell(row.upper) << Seconds(row.seconds)
        << "\n";
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

// l,text,status,widened of one side; the best row's status names the kind
// it came from.
std::string CsvSide(RowKind kind, const PrintedBound& b) {
  const std::string status =
      kind == RowKind::kBest ? SourceStatus(b) : b.status;
  return (b.l < 0 ? std::string() : std::to_string(b.l)) + "," + b.text + "," +
         status + "," + (b.widened ? "tolerance" : "");
}

}  // namespace

void WriteDataCheck(const SharpAnalysis& analysis, bool verbose,
                    std::ostream& out) {
  out << "Data check\n";
  WriteNumberLine(analysis, out);
  WriteValueFindings(analysis, verbose, out);
  WriteProgramFindings(analysis, verbose, out);
}

void WriteInconsistency(const SharpAnalysis& analysis, std::ostream& out) {
  out << InconsistencyReport(analysis);
}

void WriteBoundTables(const SharpAnalysis& analysis,
                      const std::vector<BoundRow>& rows, bool perL,
                      std::ostream& out) {
  WriteSummaryTable(analysis, rows, out);
  out << "\nsharp: the exact optimum of its moment program, proven in "
         "rational arithmetic and\nrounded outward to "
      << kTableDigits << " significant digits";
  if (analysis.widened) {
    out << "; (T): widened by --tolerance T, every\nnumber may move by "
           "up to T";
  }
  if (IsUnion(analysis.target)) {
    out << ". unionbound's numbers are as computed,\nrounded outward; invalid: "
           "outside the sharp interval of its l, or across a\nproven bound; "
           "(r): by at most a relative 1e-12 (rounding). best\n"
           "proven: the largest proven lower and the smallest proven upper "
           "bound above,\ncompared exactly, with the row each came from.\n";
  } else {
    out << ". best proven: the\nlargest proven lower and the smallest "
           "proven upper bound above, compared\nexactly, with the row each "
           "came from.\n";
  }
  if (analysis.full.computed) {
    out << "certified: the full program over atoms; exact data times duals "
           "rounded to a fixed\ndenominator, shifted by the least reduced "
           "cost over all atoms (exact); partial:\nvalid, but the pricing "
           "stopped early or could not search every atom. A full\nbound "
           "marked sharp is the program's optimum: an atom distribution and "
           "duals of\nequal value, both verified in rational arithmetic.\n";
    if (analysis.full.lower.widened) {
      out << "cert. (T), part. (T): the same for the full program, widened "
             "by --tolerance T.\n";
    }
  }
  if (analysis.classical.computed) {
    out << "valid: a closed-form bound from the singles and pairs, computed "
           "exactly and rounded\noutward; never tighter than the full "
           "program over atoms.\n";
  }
  const IndexVector wrong = ContradictedMethodLs(analysis);
  if (!IsUnion(analysis.target)) {
    out << "unionbound's method and the closed forms bound the union only: "
           "left out here.\n";
  } else if (analysis.m % 2 == 0) {
    out << "unionbound needs an odd m: its numbers are left out for m="
        << analysis.m << ".\n";
  } else if (!wrong.empty()) {
    out << "Note: unionbound's numbers contradict the sharp bounds for "
        << wrong.size() << " of " << analysis.method.perL.size()
        << " values of l (first l=" << wrong[0]
        << "):\n      there they are not valid bounds";
    out << ".\n";
  }
  WritePartitionNotes(analysis, rows, out);
  if (ClosedFormsLeftOut(analysis)) {
    out << "The closed forms hold for the numbers as typed only: left out "
           "with --tolerance.\n";
  }
  if (analysis.fullNotCovered) {
    out << "full program: beyond " << kExactPricingLimit
        << " events it bounds the union only: not computed here.\n";
  }
  if (perL) WritePerLTable(rows, out);
}

void WriteDistributionTable(const SharpAnalysis& analysis,
                            const std::vector<CountRow>& countRows,
                            std::ostream& out) {
  const CountDistributionResult& d = analysis.distribution;
  if (!d.computed) return;
  std::vector<const CountRow*> uni;
  std::vector<const CountRow*> bi;
  for (const CountRow& row : countRows) {
    (row.kind == RowKind::kUnivariate ? uni : bi).push_back(&row);
  }
  out << "\nBounds on P(X >= r), X the number of the " << analysis.n
      << " events that occur\n"
      << "   r  " << PadRight("univariate lower", 29)
      << PadRight("univariate upper", 29) << PadRight("bivariate lower", 29)
      << PadRight("bivariate upper", 29) << "l\n";
  for (size_t k = 0; k < uni.size(); ++k) {
    const std::string r = std::to_string(uni[k]->r);
    out << std::string(r.size() < 4 ? 4 - r.size() : 0, ' ') << r << "  "
        << SharpCell(uni[k]->lower) << SharpCell(uni[k]->upper);
    if (k < bi.size()) {
      out << SharpCell(bi[k]->lower) << SharpCell(bi[k]->upper)
          << LPair(bi[k]->lower.l, bi[k]->upper.l);
    } else {
      out << PadRight("-", 29) << PadRight("-", 29) << "-";
    }
    out << "\n";
  }
  out << "time: univariate " << Seconds(d.univariateSeconds) << ", bivariate "
      << Seconds(d.bivariateSeconds) << " (every r, every l)\n";
  for (const auto* rises : {&d.univariateRises, &d.bivariateRises}) {
    if (rises->empty()) continue;
    out << "FAULT: the "
        << (rises == &d.univariateRises ? "univariate" : "bivariate")
        << " bounds rise from r=" << (*rises)[0] << " to r=" << (*rises)[0] + 1
        << ", which sound bounds of P(X >= r) never do; please report it.\n";
  }
}

std::string CsvHeader(bool withTarget) {
  return std::string(
             "n,m,file,data_check,kind,l_lower,lower,lower_status,"
             "lower_widened,l_upper,upper,upper_status,upper_widened,"
             "seconds") +
         (withTarget ? ",event,r" : "") + ",groups_lower,groups_upper";
}

std::string CsvSeconds(double seconds) { return Printf("%.6f", seconds); }

void WriteCsv(const SharpAnalysis& analysis, const std::vector<BoundRow>& rows,
              const std::string& file, std::ostream& out,
              const std::vector<CountRow>& countRows) {
  const bool withTarget =
      !IsUnion(analysis.target) || analysis.distribution.computed;
  out << CsvHeader(withTarget) << "\n";
  const std::string prefix =
      std::to_string(analysis.n) + "," + std::to_string(analysis.m) + "," +
      CsvText(file) + "," +
      (ConsistentAsTyped(analysis) ? "consistent" : "inconsistent") + ",";
  std::string target;
  if (withTarget) {
    target.append(",").append(TargetEvent(analysis.target)).append(",");
    target.append(std::to_string(analysis.target.r));
  }
  for (const BoundRow& row : rows) {
    out << prefix << KindName(row.kind) << "," << CsvSide(row.kind, row.lower)
        << "," << CsvSide(row.kind, row.upper) << "," << CsvSeconds(row.seconds)
        << target << "," << GroupsText(row.lower.groups) << ","
        << GroupsText(row.upper.groups) << "\n";
  }
  for (const CountRow& row : countRows) {
    out << prefix << KindName(row.kind) << "_r," << CsvSide(row.kind, row.lower)
        << "," << CsvSide(row.kind, row.upper) << "," << CsvSeconds(row.seconds)
        << ",at_least," << row.r << ",,\n";
  }
}

}  // namespace unionbound::sharp

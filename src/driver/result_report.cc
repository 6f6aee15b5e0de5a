#include "driver/result_report.h"

#include "bounds/basis_subscripts.h"

namespace unionbound {

namespace {

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

void WritePassBound(std::ostream& report, Sense sense, const Pass& pass) {
  const PassBound& bound = BoundOfSense(pass, sense);
  WriteBoundBlock(report, sense, bound.result, bound.seconds, pass.m,
                  pass.variablePairs, pass.maxOrders);
}

}  // namespace

void WriteReportHeader(std::ostream& report, int32_t n, int32_t m,
                       int32_t m_k) {
  report << "n=" << n << ", m=" << m << ", m_k=" << m_k << std::endl;
}

void WritePassReport(std::ostream& report, const Pass& pass) {
  WritePassHeader(report, pass.l);
  WritePassBound(report, Sense::kMinimise, pass);
  WritePassBound(report, Sense::kMaximise, pass);
  WriteBinomialMoments(report, pass.b);
}

void WriteBoundBlock(std::ostream& report, Sense sense,
                     const BoundResult& result, double seconds, int32_t m,
                     const IndexMatrix& pairs, const IndexVector& maxOrders) {
  report << (sense == Sense::kMinimise
                 ? "Lower bound on the probability of the union:"
                 : "Upper bound on the probability of the union:")
         << std::endl;
  report.precision(15);
  report << -result.value << std::endl;
  report << "Running time: " << seconds << std::endl << std::endl;
  report << "Kjs:";
  PrintIndexVectors(result.Kjs, report);
  report << "q1:" << m - result.j - 1 << std::endl;
  report << "Vks:";
  PrintIndexVectors(result.Vks, report);
  report << "Basis subscripts:";
  PrintIndexVectors(
      BasisSubscripts(m, pairs, maxOrders, result.Vks, result.Kjs, result.j),
      report);
}

void PrintIndexVectors(const IndexMatrix& X, std::ostream& stream) {
  stream << std::endl;
  stream << "{";
  for (const IndexVector& row : X) {
    stream << "{";
    for (int32_t element : row) stream << element << ",";
    stream << "}"
           << ",";
  }
  stream << "}" << std::endl;
}

}  // namespace unionbound

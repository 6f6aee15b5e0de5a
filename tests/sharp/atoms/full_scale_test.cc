// The full program on rare events: the same data times 10^-k give the same
// statuses and bounds times 10^-k, never looser than the moment programs;
// the certificate keeps its relative precision where the data are tiny.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "sharp/atoms/certificate.h"
#include "sharp/atoms/full_program.h"
#include "sharp/data/subset_list.h"
#include "sharp_test_util.h"

namespace unionbound::sharp {
namespace {

struct Case {
  std::string name;
  int32_t n;
  int32_t m;
  RationalVector values;  // as typed
};

Case BundledExample() {
  const std::string path =
      (std::filesystem::path(UNIONBOUND_SOURCE_DIR) / "examples" / "prob.txt")
          .string();
  std::ifstream in(path);
  RealVector doubles;
  for (double v; in >> v;) doubles.push_back(v);
  const ExactData data = ReadExactFile(path, doubles);
  Case c{"examples/prob.txt", 12, 3, {}};
  for (size_t u = 0; u < doubles.size(); ++u) {
    c.values.push_back(ValueOf(data, u));
  }
  return c;
}

Case FromGenerated(const GeneratedSystem& s) {
  return {s.name, s.n, s.m, ExactValues(s.p)};
}

Rational PowerOfTen(int32_t k) {
  mpz_class ten;
  mpz_ui_pow_ui(ten.get_mpz_t(), 10, static_cast<unsigned long>(k));
  return Rational(mpz_class(1), ten);
}

SharpAnalysis AnalyseScaled(const Case& c, const Rational& factor) {
  RationalVector values;
  RealVector p;
  for (const Rational& v : c.values) {
    values.push_back(v * factor);
    p.push_back(RoundNearest(values.back()));
  }
  AnalysisOptions options;
  options.full = true;
  return AnalyseProbabilities(p, ExactDataFromRationals(values), c.n, c.m,
                              options);
}

std::string Status(const FullBound& b) {
  if (b.sharp) return "sharp";
  return b.converged && b.allAtomsPriced ? "certified" : "partial";
}

// The best bivariate bound of a side, exactly.
Rational BestBivariate(const SharpAnalysis& a, bool upper) {
  const int32_t best = upper ? a.bestUpper : a.bestLower;
  const SharpInterval& i = a.bivariate[best].interval;
  return upper ? i.upper.exact : i.lower.exact;
}

TEST(FullScale, RareEventsScaleEveryBoundExactly) {
  const std::vector<Case> cases{
      BundledExample(),
      FromGenerated(Generate(EventFamily::kCommonShock, 8, 2, 3)),
      FromGenerated(Generate(EventFamily::kGaussianThreshold, 8, 3, 5))};
  for (const Case& c : cases) {
    const SharpAnalysis base = AnalyseScaled(c, Rational(1));
    ASSERT_TRUE(base.full.computed) << c.name;
    for (int32_t k : {5, 9, 12, 200}) {
      const Rational f = PowerOfTen(k);
      const std::string what = c.name + " times 1e-" + std::to_string(k);
      const SharpAnalysis a = AnalyseScaled(c, f);
      ASSERT_TRUE(a.boundsComputed && a.full.computed) << what;
      // The moment programs and closed forms are exact: they scale exactly.
      EXPECT_EQ(a.univariate.lower.exact, base.univariate.lower.exact * f)
          << what;
      EXPECT_EQ(a.univariate.upper.exact, base.univariate.upper.exact * f)
          << what;
      ASSERT_EQ(a.bivariate.size(), base.bivariate.size()) << what;
      for (size_t i = 0; i < a.bivariate.size(); ++i) {
        EXPECT_EQ(a.bivariate[i].interval.lower.exact,
                  base.bivariate[i].interval.lower.exact * f)
            << what;
        EXPECT_EQ(a.bivariate[i].interval.upper.exact,
                  base.bivariate[i].interval.upper.exact * f)
            << what;
      }
      EXPECT_EQ(a.classical.deCaen, base.classical.deCaen * f) << what;
      EXPECT_EQ(a.classical.hunterWorsley, base.classical.hunterWorsley * f)
          << what;
      // The full program: the same statuses, sharp ones scaled exactly,
      // and never looser than the moment programs and closed forms.
      for (bool upper : {false, true}) {
        const FullBound& b = upper ? a.full.upper : a.full.lower;
        const FullBound& b0 = upper ? base.full.upper : base.full.lower;
        EXPECT_EQ(Status(b), Status(b0)) << what << (upper ? " upper" : "");
        if (b0.sharp && b.sharp) {
          EXPECT_EQ(b.exact, b0.exact * f) << what;
        }
        const Rational bivariate = BestBivariate(a, upper);
        if (upper) {
          EXPECT_LE(b.exact, bivariate) << what;
          EXPECT_LE(b.exact, a.univariate.upper.exact) << what;
          if (a.classical.computed) {
            EXPECT_LE(b.exact, a.classical.hunterWorsley) << what;
          }
        } else {
          EXPECT_GE(b.exact, bivariate) << what;
          EXPECT_GE(b.exact, a.univariate.lower.exact) << what;
          if (a.classical.computed) {
            EXPECT_GE(b.exact, a.classical.deCaen) << what;
            EXPECT_GE(b.exact, a.classical.kuaiAlajajiTakahara) << what;
          }
        }
      }
    }
  }
}

TEST(FullScale, StoppedEarlyTheFullBoundsKeepTheProvenOnes) {
  const GeneratedSystem s = Generate(EventFamily::kRandomAtoms, 10, 2, 7);
  const ExactData data = ExactDataFromDoubles(s.p);
  const SubsetList subsets = AllSubsets(s.n, s.m);
  const FullResult full = SolveFullProgram(data, subsets, s.n, s.m, {});
  FullOptions stopped;
  stopped.maxRounds = 1;
  const FullResult loose = SolveFullProgram(data, subsets, s.n, s.m, stopped);
  ASSERT_LT(loose.lower.exact, full.lower.exact);
  ASSERT_GT(loose.upper.exact, full.upper.exact);
  // Bounds proven otherwise (here the optimum itself) are taken where the
  // duals prove less; looser ones are ignored.
  stopped.hasProvenLower = true;
  stopped.provenLower = full.lower.exact;
  stopped.hasProvenUpper = true;
  stopped.provenUpper = loose.upper.exact + 1;
  const FullResult kept = SolveFullProgram(data, subsets, s.n, s.m, stopped);
  EXPECT_EQ(kept.lower.exact, full.lower.exact);
  EXPECT_TRUE(kept.lower.fromProvenBound);
  EXPECT_EQ(kept.upper.exact, loose.upper.exact);
  EXPECT_FALSE(kept.upper.fromProvenBound);
}

TEST(FullScale, CertificateOfTinyDataKeepsItsRelativePrecision) {
  // Duals a little infeasible, as a floating solver leaves them: shifting
  // them back costs their error in absolute terms, which would swamp data
  // of 1e-200; scaling them costs it relative to the bound.
  const GeneratedSystem s = Generate(EventFamily::kRareEvents, 8, 2, 9);
  const SubsetList subsets = AllSubsets(s.n, s.m);
  const RationalVector exact = ExactValues(s.p);
  const ExactData data = ExactDataFromDoubles(s.p);
  const FullResult r = SolveFullProgram(data, subsets, s.n, s.m, {});
  ASSERT_TRUE(r.lower.sharp && r.upper.sharp);
  const Rational f = PowerOfTen(200);
  RationalVector scaled;
  for (const Rational& v : exact) scaled.push_back(v * f);
  const ExactData tiny = ExactDataFromRationals(scaled);
  const std::vector<AtomMask> masks = SubsetMasks(subsets);
  for (bool upper : {false, true}) {
    const FullBound& b = upper ? r.upper : r.lower;
    RealVector y = b.duals;
    for (size_t i = 1; i < y.size(); ++i) y[i] *= 1 + 1e-12;
    const ExactLagrangian l =
        CertifyDuals(tiny, masks, s.n,
                     upper ? AtomSense::kUpper : AtomSense::kLower, y, 0.0);
    const Rational bound = upper ? Rational(-l.sum) : l.sum;
    const Rational optimum = b.exact * f;
    EXPECT_GT(bound, 0) << upper;
    if (upper) {
      EXPECT_GE(bound, optimum);
    } else {
      EXPECT_LE(bound, optimum);
    }
    EXPECT_LT(abs(bound - optimum) / optimum, Rational(1, 1000000000)) << upper;
  }
}

}  // namespace
}  // namespace unionbound::sharp

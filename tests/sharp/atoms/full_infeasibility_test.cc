// Numbers no distribution over the atoms fits, although every moment
// program does: proven by exact Farkas duals, with the epsilon they give,
// and never claimed for numbers that fit.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <random>
#include <sstream>
#include <string>

#include "events/probability_file.h"
#include "sharp/app/command.h"
#include "sharp/atoms/full_epsilon.h"
#include "sharp/data/subset_list.h"
#include "sharp_test_util.h"
#include "unionbound/unionbound.h"

namespace unionbound::sharp {
namespace {

namespace fs = std::filesystem;

// A generated system of random atoms written as its file is: every
// intersection probability the shortest decimal that reads back as its
// double, so the numbers as typed miss the atoms by up to 1e-17.
struct TypedFile {
  fs::path path;
  int32_t n;
  int32_t m;
  RealVector doubles;
  ExactData exact;
};

TypedFile WriteAtomsFile(int32_t n, int32_t m, uint64_t seed) {
  TypedFile f{fs::temp_directory_path() /
                  ("unionbound_atoms_" + std::to_string(n) + "_" +
                   std::to_string(seed) + "_" + std::to_string(::getpid())),
              n,
              m,
              {},
              {}};
  const MixtureModel model =
      MakeEventSystem(EventFamily::kRandomAtoms, n, seed);
  std::FILE* out = std::fopen(f.path.c_str(), "w");
  EXPECT_TRUE(out != nullptr &&
              WriteProbabilityFile(model, n, m, NumberFormat::kRoundTrip, out));
  std::fclose(out);
  std::ifstream in(f.path);
  for (double v; in >> v;) f.doubles.push_back(v);
  f.exact = ReadExactFile(f.path.string(), f.doubles);
  return f;
}

SharpAnalysis AnalyseFull(const TypedFile& f, const Rational* tolerance) {
  AnalysisOptions options;
  options.full = true;
  // The multivariate programs find some of these inconsistent themselves
  // (see below); here the full program's own proof is tested.
  options.multivariate = MultivariateMode::kOff;
  if (tolerance != nullptr) {
    options.hasTolerance = true;
    options.tolerance = *tolerance;
  }
  return AnalyseProbabilities(f.doubles, f.exact, f.n, f.m, options);
}

TEST(FullInfeasibility, TypedAtomsFilesAreProvenToFitNoDistribution) {
  for (const auto& [n, m, seed] :
       std::vector<std::tuple<int32_t, int32_t, uint64_t>>{
           {8, 2, 11}, {10, 3, 11}, {12, 2, 14}}) {
    const TypedFile f = WriteAtomsFile(n, m, seed);
    const std::string what = "atoms " + std::to_string(n) + " " +
                             std::to_string(m) + " " + std::to_string(seed);
    const SharpAnalysis a = AnalyseFull(f, nullptr);
    // The moment programs all fit; the atoms do not.
    ASSERT_TRUE(a.boundsComputed) << what;
    EXPECT_TRUE(a.consistency.consistent) << what;
    EXPECT_TRUE(FullBoundsCross(a)) << what;
    const FullEpsilon& e = a.fullEpsilon;
    ASSERT_TRUE(e.computed && e.sufficesFound) << what;
    EXPECT_GT(e.atLeast, 0) << what;
    EXPECT_LT(e.atLeast.get_d(), 1e-16) << what;
    EXPECT_LE(e.atLeast, e.suffices) << what;
    EXPECT_LT(e.suffices.get_d(), 1e-15) << what;
    // A tolerance below the proven epsilon still fits nothing; one that
    // covers the distribution found does.
    const Rational below = e.atLeast / 2;
    EXPECT_TRUE(FullBoundsCross(AnalyseFull(f, &below))) << what;
    const SharpAnalysis widened = AnalyseFull(f, &e.suffices);
    EXPECT_FALSE(FullBoundsCross(widened)) << what;
    EXPECT_TRUE(widened.full.lower.widened) << what;

    // The command says so: status 2 and the epsilon.
    std::ostringstream out;
    std::ostringstream err;
    const int status =
        RunSharpCommand({std::to_string(n), std::to_string(m), f.path.string(),
                         "--full", "--no-multivariate"},
                        out, err);
    EXPECT_EQ(status, 2) << what;
    EXPECT_NE(err.str().find("the full program needs epsilon >= "),
              std::string::npos)
        << err.str();
    // The data check does not call them consistent, in the report, the
    // JSON document or the library.
    EXPECT_EQ(out.str().find("consistent: the numbers"), std::string::npos)
        << out.str();
    EXPECT_NE(out.str().find("atoms: no distribution over the atoms fits the "
                             "numbers as typed (proven\n    exactly)"),
              std::string::npos)
        << out.str();
    std::ostringstream json;
    EXPECT_EQ(
        RunSharpCommand({std::to_string(n), std::to_string(m), f.path.string(),
                         "--full", "--no-multivariate", "--json", "-"},
                        json, err),
        2);
    const nlohmann::json check =
        nlohmann::json::parse(json.str())["data_check"];
    EXPECT_EQ(check["consistent"], false) << what;
    EXPECT_EQ(check["epsilon"], check["full_epsilon_enough"]) << what;
    api::SharpOptions options;
    options.kind = api::SharpKind::kFull;
    const api::SharpResult library =
        api::SharpBoundsOfFile(f.path.string(), n, m, options);
    EXPECT_FALSE(library.consistent) << what;
    EXPECT_EQ(library.epsilon, check["epsilon"].get<double>()) << what;
    // A tolerance that is enough gives bounds, but the numbers as typed
    // are still not called consistent.
    char enough[32];
    std::snprintf(enough, sizeof enough, "%.3g", 1.01 * e.suffices.get_d());
    std::ostringstream widenedOut;
    EXPECT_EQ(
        RunSharpCommand({std::to_string(n), std::to_string(m), f.path.string(),
                         "--full", "--tolerance", enough},
                        widenedOut, err),
        0)
        << what;
    EXPECT_NE(widenedOut.str().find("fits the numbers as typed (proven"),
              std::string::npos)
        << widenedOut.str();
    EXPECT_EQ(widenedOut.str().find("consistent: the numbers"),
              std::string::npos);
    fs::remove(f.path);
  }
}

// Where a multivariate program has no distribution, the data are
// inconsistent as for the other programs: no bounds, the count in the
// check, and exit status 2 from the command.
TEST(FullInfeasibility,
     AnInfeasibleMultivariateProgramMakesTheDataInconsistent) {
  const TypedFile f = WriteAtomsFile(8, 2, 11);
  AnalysisOptions options;
  options.multivariate = MultivariateMode::kOn;
  const SharpAnalysis a =
      AnalyseProbabilities(f.doubles, f.exact, f.n, f.m, options);
  ASSERT_GT(a.consistency.infeasibleMultivariate, 0);
  EXPECT_FALSE(a.consistency.consistent);
  EXPECT_FALSE(a.boundsComputed);
  EXPECT_EQ(a.consistency.infeasiblePrograms, 0);  // the others all fit
  std::ostringstream out;
  std::ostringstream err;
  EXPECT_EQ(
      RunSharpCommand({"8", "2", f.path.string(), "--multivariate"}, out, err),
      2);
  EXPECT_NE(out.str().find("partition program(s) infeasible as typed"),
            std::string::npos)
      << out.str();
  fs::remove(f.path);
}

TEST(FullInfeasibility, NumbersThatFitExactlyGetNoCertificate) {
  // Distributions over the atoms with dyadic probabilities: their numbers
  // are exact, and the refinement's exact duals can prove nothing against
  // them, even where they sit on the boundary (atoms of probability 0).
  std::mt19937_64 random(3);
  for (int32_t n : {6, 9}) {
    for (int32_t m : {2, 3}) {
      const std::vector<AtomMask> masks = SubsetMasks(AllSubsets(n, m));
      std::vector<AtomMask> atoms{0};
      RealVector probabilities{0.25};
      for (int32_t k = 0; k < 12; ++k) {
        atoms.push_back(random() & ((AtomMask{1} << n) - 1));
        probabilities.push_back(1.0 / 16);
      }
      RationalVector values(masks.size(), Rational(0));
      for (size_t i = 0; i < atoms.size(); ++i) {
        for (size_t u = 0; u < masks.size(); ++u) {
          if ((masks[u] & ~atoms[i]) == 0) values[u] += probabilities[i];
        }
      }
      const ExactData data = ExactDataFromRationals(values);
      const AtomsCertificate c =
          CertifyInfeasibility(data, masks, n, atoms, probabilities, 0.0);
      EXPECT_LE(c.atLeast, 0) << n << " " << m;
      // Slightly off, the same distribution is a starting point that no
      // longer fits exactly: still no certificate.
      RealVector nudged = probabilities;
      nudged[1] += 1e-17;
      EXPECT_LE(
          CertifyInfeasibility(data, masks, n, atoms, nudged, 0.0).atLeast, 0)
          << n << " " << m;
    }
  }
}

}  // namespace
}  // namespace unionbound::sharp

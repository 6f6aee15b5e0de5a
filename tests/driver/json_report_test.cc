// The JSON document of a run: its layout, and numbers that read back as the
// very doubles the passes computed.
#include "driver/json_report.h"

#include <gtest/gtest.h>

#include <cstring>
#include <nlohmann/json.hpp>
#include <sstream>

#include "bounds/basis_subscripts.h"
#include "cli/version.h"
#include "driver/data_messages.h"
#include "driver/event_systems.h"
#include "input/probability_input.h"

namespace unionbound {
namespace {

using nlohmann::json;

bool SameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

struct ComputedRun {
  std::vector<Pass> passes;
  BestBounds best;
};

ComputedRun ComputeRun(const RealVector& p, int32_t n, int32_t m) {
  ComputedRun run;
  MomentBatch moments;
  for (int32_t l = m; l <= n - m; ++l) {
    run.passes.push_back(ComputePass(p, n, m, l, n - m, &moments));
    KeepBestBounds(run.passes.back(), &run.best);
  }
  return run;
}

RealVector Independent(int32_t m) {
  std::istringstream text(testing::IndependentProbText(
      {0.11, 0.07, 0.2, 0.013, 0.3, 0.05, 0.09, 0.16, 0.02}, m));
  return ReadProbabilitiesFrom(text, ProbabilityCount(9, m)).p;
}

std::string Document(const ComputedRun& run, int32_t n, int32_t m,
                     const DataCheck& check, int status,
                     const std::vector<std::string>& messages) {
  std::ostringstream out;
  JsonReport report(out);
  report.Begin(JsonRunHeader{n, m, "in.txt", ProbabilityCount(n, m), 41},
               check);
  for (const Pass& pass : run.passes) report.AddPass(pass);
  report.Finish(run.best, status, messages);
  return out.str();
}

void ExpectBoundAsComputed(const json& bound, const Pass& pass, Sense sense) {
  const PassBound& computed = BoundOfSense(pass, sense);
  EXPECT_TRUE(SameBits(bound["value"].get<double>(), -computed.result.value));
  EXPECT_TRUE(SameBits(bound["seconds"].get<double>(), computed.seconds));
  EXPECT_EQ(bound["kjs"].get<IndexMatrix>(), computed.result.Kjs);
  EXPECT_EQ(bound["vks"].get<IndexMatrix>(), computed.result.Vks);
  EXPECT_EQ(bound["q1"].get<int32_t>(), pass.m - computed.result.j - 1);
  EXPECT_EQ(bound["basis_subscripts"].get<IndexMatrix>(),
            BasisSubscripts(pass.m, pass.variablePairs, pass.maxOrders,
                            computed.result.Vks, computed.result.Kjs,
                            computed.result.j));
}

TEST(JsonReport, HoldsTheRunWithEveryPassBitForBit) {
  const int32_t n = 9;
  const int32_t m = 3;
  const ComputedRun run = ComputeRun(Independent(m), n, m);
  const json doc = json::parse(
      Document(run, n, m, DataCheck(), 0, {"a message", "another"}));

  EXPECT_EQ(doc["program"], "unionbound");
  EXPECT_EQ(doc["version"], kVersion);
  EXPECT_EQ(doc["n"], n);
  EXPECT_EQ(doc["m"], m);
  EXPECT_EQ(doc["input"], "in.txt");
  EXPECT_EQ(doc["numbers_expected"], ProbabilityCount(n, m));
  EXPECT_EQ(doc["numbers_read"], 41);
  EXPECT_EQ(doc["data_check"]["problems"], 0);
  EXPECT_TRUE(doc["data_check"]["first"].empty());
  EXPECT_EQ(doc["status"], 0);
  EXPECT_EQ(doc["messages"], json({"a message", "another"}));

  ASSERT_EQ(doc["passes"].size(), run.passes.size());
  for (size_t i = 0; i < run.passes.size(); ++i) {
    const json& pass = doc["passes"][i];
    EXPECT_EQ(pass["l"], run.passes[i].l);
    ExpectBoundAsComputed(pass["lower"], run.passes[i], Sense::kMinimise);
    ExpectBoundAsComputed(pass["upper"], run.passes[i], Sense::kMaximise);
  }
  EXPECT_TRUE(
      SameBits(doc["lower"]["value"].get<double>(), -run.best.lower.value));
  EXPECT_EQ(doc["lower"]["l"], run.best.lower.l);
  EXPECT_TRUE(
      SameBits(doc["upper"]["value"].get<double>(), -run.best.upper.value));
  EXPECT_EQ(doc["upper"]["l"], run.best.upper.l);
}

TEST(JsonReport, KeysComeInTheDocumentedOrder) {
  const ComputedRun run = ComputeRun(Independent(1), 9, 1);
  const std::string text = Document(run, 9, 1, DataCheck(), 0, {});
  size_t at = 0;
  for (const char* key :
       {"\"program\"", "\"version\"", "\"n\"", "\"m\"", "\"input\"",
        "\"numbers_expected\"", "\"numbers_read\"", "\"data_check\"",
        "\"passes\"", "\"lower\"", "\"upper\"", "\"status\"", "\"messages\""}) {
    const size_t found = text.find(key, at);
    ASSERT_NE(found, std::string::npos) << key;
    at = found;
  }
}

TEST(JsonReport, NoPassGivesNullBoundsAndNotFiniteNumbersGiveNull) {
  const json empty =
      json::parse(Document(ComputedRun(), 5, 3, DataCheck(), 0, {"no pass"}));
  EXPECT_TRUE(empty["passes"].empty());
  EXPECT_TRUE(empty["lower"].is_null());
  EXPECT_TRUE(empty["upper"].is_null());

  ComputedRun run = ComputeRun(Independent(1), 9, 1);
  run.passes.resize(1);
  run.passes[0].lower.result.value = std::nan("");
  const json doc = json::parse(Document(run, 9, 1, DataCheck(), 2, {}));
  EXPECT_TRUE(doc["passes"][0]["lower"]["value"].is_null());
  EXPECT_EQ(doc["status"], 2);
}

TEST(JsonReport, DataProblemsAsTheMessagesSayThem) {
  DataCheck check;
  check.problems = 7;
  check.first.push_back(DataProblem{DataProblemKind::kExceedsSubIntersection,
                                    12, IndexVector{1, 3}, 0.5, 2,
                                    IndexVector{3}, 0.25});
  check.first.push_back(DataProblem{DataProblemKind::kNotAProbability, 0,
                                    IndexVector{1}, 1e308, -1, IndexVector{},
                                    0.0});
  const json doc = json::parse(Document(ComputedRun(), 9, 3, check, 2, {}));
  const json& data = doc["data_check"];
  EXPECT_EQ(data["problems"], 7);
  ASSERT_EQ(data["first"].size(), 2u);
  const json& exceeds = data["first"][0];
  EXPECT_EQ(exceeds["kind"], "exceeds_sub_intersection");
  EXPECT_EQ(exceeds["number"], 13);
  EXPECT_EQ(exceeds["events"], json({1, 3}));
  EXPECT_EQ(exceeds["other_number"], 3);
  EXPECT_EQ(exceeds["other_events"], json({3}));
  EXPECT_EQ(exceeds["value"], 0.5);
  EXPECT_EQ(exceeds["bound"], 0.25);
  EXPECT_EQ(exceeds["text"], DescribeProblem(check.first[0]));
  EXPECT_EQ(data["first"][1]["kind"], "not_a_probability");
  EXPECT_FALSE(data["first"][1].contains("other_number"));
}

}  // namespace
}  // namespace unionbound

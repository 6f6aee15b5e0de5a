// Probability files of generated event systems: the bundled example byte for
// byte, and numbers that read back as the model's probabilities.
#include "events/probability_file.h"

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "gtest/gtest.h"
#include "numeric/subset_order.h"

namespace unionbound {
namespace {

std::string Written(const MixtureModel& model, int32_t n, int32_t m,
                    NumberFormat format) {
  std::FILE* file = std::tmpfile();
  EXPECT_TRUE(WriteProbabilityFile(model, n, m, format, file));
  std::rewind(file);
  std::string text;
  for (int c = std::fgetc(file); c != EOF; c = std::fgetc(file)) {
    text.push_back(static_cast<char>(c));
  }
  std::fclose(file);
  return text;
}

TEST(ProbabilityFileTest, DivisibleFamilyGivesTheBundledExample) {
  std::ifstream example(UNIONBOUND_SOURCE_DIR "/examples/prob.txt");
  std::stringstream expected;
  expected << example.rdbuf();
  const MixtureModel model = MakeEventSystem(EventFamily::kDivisible, 12, 0);
  EXPECT_EQ(Written(model, 12, 3, NumberFormat::kThreeDecimals),
            expected.str());
  EXPECT_EQ(UnionProbability(model), 0.843);
}

TEST(ProbabilityFileTest, NumbersReadBackAsTheModelsProbabilities) {
  for (int32_t m : {1, 4, 7}) {
    const MixtureModel model = MakeEventSystem(EventFamily::kMixture, 7, 3);
    const std::string text = Written(model, 7, m, NumberFormat::kRoundTrip);
    const IndexMatrix subsets = SubsetsBySize(7, m);
    const RealVector p = IntersectionProbabilities(model, subsets);
    std::istringstream in(text);
    std::string line;
    size_t u = 0;
    while (std::getline(in, line)) {
      std::istringstream numbers(line);
      int32_t onLine = 0;
      for (double x; numbers >> x; ++onLine, ++u) {
        ASSERT_LT(u, p.size());
        EXPECT_EQ(x, p[u]) << u;
      }
      // Five to a line; only the last line may hold fewer.
      EXPECT_TRUE(onLine == 5 || u == p.size()) << line;
    }
    EXPECT_EQ(u, p.size());
    EXPECT_EQ(text.back(), '\n');
  }
}

TEST(ProbabilityFileTest, OrdersAboveTheEventCountAddNothing) {
  const MixtureModel model = MakeEventSystem(EventFamily::kIndependent, 3, 1);
  EXPECT_EQ(Written(model, 3, 9, NumberFormat::kRoundTrip),
            Written(model, 3, 3, NumberFormat::kRoundTrip));
}

}  // namespace
}  // namespace unionbound

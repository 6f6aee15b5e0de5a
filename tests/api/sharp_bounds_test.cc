// The sharp bounds of the public library are unionbound-sharp's: the same
// outward decimals as its CSV file, doubles just outside them, the same
// statuses; inconsistent data give bounds only with a tolerance.
#include <gtest/gtest.h>
#include <unionbound/unionbound.h>

#ifdef UNIONBOUND_HAS_SHARP

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <limits>
#include <map>
#include <sstream>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "../sharp/output_checks.h"
#include "capture_stdout.h"
#include "sharp/data/exact_data.h"
#include "sharp/exact/outward_format.h"

namespace unionbound::api {
namespace {

namespace fs = std::filesystem;
using sharp::ExpectOutwardDouble;
using sharp::SplitCsvRow;

const std::string kExample =
    std::string(UNIONBOUND_SOURCE_DIR) + "/examples/prob.txt";

// The rows of `unionbound-sharp 12 3 --full --csv` on the example, by kind.
std::map<std::string, std::vector<std::string>> ProgramRows() {
  const fs::path csv =
      fs::temp_directory_path() /
      ("unionbound_api_sharp_" + std::to_string(::getpid()) + ".csv");
  const std::string command = std::string("'") + UNIONBOUND_SHARP_BINARY +
                              "' 12 3 '" + kExample + "' --full --csv '" +
                              csv.string() + "' > /dev/null";
  const int raw = std::system(command.c_str());
  EXPECT_TRUE(WIFEXITED(raw) && WEXITSTATUS(raw) == 0) << command;
  std::map<std::string, std::vector<std::string>> rows;
  std::ifstream in(csv);
  for (std::string line; std::getline(in, line);) {
    const std::vector<std::string> cells = SplitCsvRow(line);
    if (cells.size() == 16) rows[cells[4]] = cells;
  }
  fs::remove(csv);
  return rows;
}

TEST(SharpBounds, OfTheExampleFileAreTheProgramsCsvValues) {
  ASSERT_TRUE(HasSharp());
  const auto rows = ProgramRows();
  const std::pair<SharpKind, const char*> kinds[] = {
      {SharpKind::kUnivariate, "univariate"},
      {SharpKind::kBivariate, "bivariate"},
      {SharpKind::kMultivariate, "multivariate"},
      {SharpKind::kFull, "full"}};
  for (const auto& [kind, name] : kinds) {
    ASSERT_TRUE(rows.count(name)) << name;
    const std::vector<std::string>& row = rows.at(name);
    SharpOptions options;
    options.kind = kind;
    const SharpResult r = SharpBoundsOfFile(kExample, 12, 3, options);
    ASSERT_TRUE(r.computed) << name;
    EXPECT_EQ(r.status, kStatusSound) << name;
    EXPECT_TRUE(r.messages.empty()) << name;
    EXPECT_TRUE(r.consistent);
    EXPECT_EQ(r.typedNumbers, 298);
    EXPECT_EQ(r.lowerText, row[6]) << name;
    EXPECT_EQ(r.upperText, row[10]) << name;
    // The tightest double outside the exact value, which the 17-digit text
    // encloses: the text's outward double or one step inward.
    for (const auto& [x, text, up] : {std::tuple{r.lower, row[6], false},
                                      std::tuple{r.upper, row[10], true}}) {
      const double outward = sharp::OutwardDouble(text, up);
      EXPECT_TRUE(x == outward || x == std::nextafter(outward, up ? -1.0 : 2.0))
          << name << " " << text;
    }
    EXPECT_EQ(r.lowerStatus, row[7]) << name;
    EXPECT_EQ(r.upperStatus, row[11]) << name;
    EXPECT_EQ(r.lowerL, row[5].empty() ? 0 : std::stoi(row[5])) << name;
    EXPECT_EQ(r.upperL, row[9].empty() ? 0 : std::stoi(row[9])) << name;
    EXPECT_FALSE(r.widened);
  }
}

// The best kind: the tightest of the moment programs and the closed forms,
// each side naming its source, exact optima that are doubles unchanged.
TEST(SharpBounds, BestKindTakesTheTightestProvenBounds) {
  SharpOptions options;
  options.kind = SharpKind::kBest;
  const SharpResult best = SharpBoundsOfFile(kExample, 12, 3, options);
  options.kind = SharpKind::kBivariate;
  const SharpResult bivariate = SharpBoundsOfFile(kExample, 12, 3, options);
  options.kind = SharpKind::kUnivariate;
  const SharpResult univariate = SharpBoundsOfFile(kExample, 12, 3, options);
  ASSERT_TRUE(best.computed);
  EXPECT_EQ(best.status, kStatusSound);
  EXPECT_EQ(best.lower, std::max(bivariate.lower, univariate.lower));
  EXPECT_EQ(best.upper, std::min(bivariate.upper, univariate.upper));
  EXPECT_EQ(best.lowerStatus, "bivariate sharp");
  EXPECT_EQ(best.lowerL, bivariate.lowerL);
  const double half = 0.5 - std::ldexp(1.0, -20);
  SharpOptions bestKind;
  bestKind.kind = SharpKind::kBest;
  const SharpResult exact = SharpBounds({0.5, half}, 2, 1, bestKind);
  EXPECT_EQ(exact.upper, 1.0 - std::ldexp(1.0, -20));
  EXPECT_EQ(exact.lower, 0.5);
  EXPECT_EQ(exact.lowerStatus, "bivariate sharp");
}

// Three shocks over a quiet background, each raising the events e of one
// residue e mod 3: every intersection probability of 1 .. m of the n events
// in file order. All factors are dyadic with short mantissas, so each
// probability is exact and the numbers are consistent as they stand.
std::vector<double> PlantedShocks(int32_t n, int32_t m) {
  const double weights[] = {0.625, 0.125, 0.125, 0.125};
  std::vector<double> p;
  for (int32_t k = 1; k <= m; ++k) {
    std::vector<int32_t> s(static_cast<size_t>(k));
    for (int32_t i = 0; i < k; ++i) s[static_cast<size_t>(i)] = i + 1;
    for (;;) {
      double total = 0.0;
      for (int32_t c = 0; c < 4; ++c) {
        double product = weights[c];
        for (int32_t e : s)
          product *= c > 0 && e % 3 == c - 1 ? 0.625 : 1.0 / 64;
        total += product;
      }
      p.push_back(total);
      int32_t i = k - 1;
      while (i >= 0 && s[static_cast<size_t>(i)] == n - k + i + 1) --i;
      if (i < 0) break;
      ++s[static_cast<size_t>(i)];
      for (int32_t j = i + 1; j < k; ++j) {
        s[static_cast<size_t>(j)] = s[static_cast<size_t>(j - 1)] + 1;
      }
    }
  }
  return p;
}

bool IsPartitionOf(const std::vector<std::vector<int32_t>>& groups, int32_t n) {
  std::vector<int32_t> all;
  for (const std::vector<int32_t>& g : groups) {
    if (g.empty() || !std::is_sorted(g.begin(), g.end())) return false;
    all.insert(all.end(), g.begin(), g.end());
  }
  std::sort(all.begin(), all.end());
  std::vector<int32_t> expected(static_cast<size_t>(n));
  for (int32_t e = 1; e <= n; ++e) expected[static_cast<size_t>(e - 1)] = e;
  return all == expected;
}

// The multivariate kind on planted groups: sharp bounds between the
// bivariate ones of the same call and the full program's, strictly tighter
// than the bivariate ones, each side naming its partition; the best kind
// takes them where they are the tightest.
TEST(SharpBounds, MultivariateKindLiesBetweenBivariateAndFull) {
  const int32_t n = 12;
  const std::vector<double> p = PlantedShocks(n, 3);
  SharpOptions options;
  std::map<SharpKind, SharpResult> r;
  for (SharpKind kind : {SharpKind::kBivariate, SharpKind::kMultivariate,
                         SharpKind::kFull, SharpKind::kBest}) {
    options.kind = kind;
    r[kind] = SharpBounds(p, n, 3, options);
    ASSERT_TRUE(r[kind].computed) << static_cast<int>(kind);
    EXPECT_EQ(r[kind].status, kStatusSound) << static_cast<int>(kind);
    EXPECT_TRUE(r[kind].consistent);
  }
  const SharpResult& bi = r[SharpKind::kBivariate];
  const SharpResult& mv = r[SharpKind::kMultivariate];
  const SharpResult& full = r[SharpKind::kFull];
  const SharpResult& best = r[SharpKind::kBest];
  EXPECT_EQ(mv.lowerStatus, "sharp");
  EXPECT_EQ(mv.upperStatus, "sharp");
  EXPECT_GE(mv.lower, bi.lower);
  EXPECT_LE(mv.upper, bi.upper);
  EXPECT_LT(mv.upper - mv.lower, bi.upper - bi.lower);
  EXPECT_LE(mv.lower, full.lower);
  EXPECT_GE(mv.upper, full.upper);
  EXPECT_EQ(mv.lowerL, 0);
  EXPECT_EQ(mv.upperL, 0);
  for (const auto* groups : {&mv.lowerGroups, &mv.upperGroups}) {
    EXPECT_GE(groups->size(), 3u);
    EXPECT_LE(groups->size(), 4u);
    EXPECT_TRUE(IsPartitionOf(*groups, n));
  }
  EXPECT_GE(best.lower, mv.lower);
  EXPECT_LE(best.upper, mv.upper);
  if (mv.lower > bi.lower) {
    EXPECT_EQ(best.lower, mv.lower);
    EXPECT_EQ(best.lowerStatus, "multivariate sharp");
    EXPECT_EQ(best.lowerGroups, mv.lowerGroups);
  }
  if (mv.upper < bi.upper) {
    EXPECT_EQ(best.upper, mv.upper);
    EXPECT_EQ(best.upperStatus, "multivariate sharp");
    EXPECT_EQ(best.upperGroups, mv.upperGroups);
  }
}

// A partition given by hand is solved as given and reported on both sides,
// as is the number of groups; anything but a partition of 1 .. n, or a
// number of groups out of range, is refused before any work.
TEST(SharpBounds, MultivariateKindHonoursGivenGroupsAndRefusesBadOnes) {
  const int32_t n = 12;
  const std::vector<double> p = PlantedShocks(n, 3);
  SharpOptions options;
  options.kind = SharpKind::kMultivariate;
  options.groups = {{1, 4, 7, 10}, {2, 5, 8, 11}, {3, 6, 9, 12}};
  const SharpResult given = SharpBounds(p, n, 3, options);
  ASSERT_TRUE(given.computed);
  EXPECT_EQ(given.status, kStatusSound);
  EXPECT_EQ(given.lowerGroups, options.groups);
  EXPECT_EQ(given.upperGroups, options.groups);
  EXPECT_EQ(given.lowerStatus, "sharp");
  options.kind = SharpKind::kBivariate;
  const SharpResult bi = SharpBounds(p, n, 3, options);
  EXPECT_LT(given.upper - given.lower, bi.upper - bi.lower);

  options.kind = SharpKind::kMultivariate;
  options.groups.clear();
  options.groupCount = 2;
  const SharpResult two = SharpBoundsOfFile(kExample, 12, 3, options);
  ASSERT_TRUE(two.computed);
  EXPECT_EQ(two.lowerGroups.size(), 2u);
  EXPECT_TRUE(IsPartitionOf(two.upperGroups, 12));

  const std::pair<std::vector<std::vector<int32_t>>, std::string> bad[] = {
      {{{1, 2, 3, 4, 5, 6}, {7, 8, 9, 10, 11}}, "event 12"},
      {{{1, 2, 3, 4, 5, 6}, {6, 7, 8, 9, 10, 11, 12}}, "event 6"},
      {{{0, 1, 2, 3, 4, 5, 6}, {7, 8, 9, 10, 11, 12}}, "event 0"},
      {{{1, 2, 3, 4, 5, 6}, {}, {7, 8, 9, 10, 11, 12, 13}}, ""}};
  for (const auto& [groups, word] : bad) {
    options.groups = groups;
    options.groupCount = 0;
    const SharpResult refused = SharpBounds(p, n, 3, options);
    EXPECT_FALSE(refused.computed);
    EXPECT_EQ(refused.status, kStatusRefused);
    ASSERT_EQ(refused.messages.size(), 1u);
    EXPECT_EQ(refused.messages[0].rfind("the groups are no partition: ", 0), 0u)
        << refused.messages[0];
    EXPECT_NE(refused.messages[0].find(word), std::string::npos)
        << refused.messages[0];
    EXPECT_EQ(refused.lowerText, "0");
    EXPECT_EQ(refused.upperText, "1");
  }
  options.groups.clear();
  for (int32_t count : {1, 9, -2}) {
    options.groupCount = count;
    const SharpResult refused = SharpBounds(p, n, 3, options);
    EXPECT_EQ(refused.status, kStatusRefused) << count;
    ASSERT_EQ(refused.messages.size(), 1u);
    EXPECT_EQ(refused.messages[0],
              "the number of groups must be from 2 to 8, not " +
                  std::to_string(count));
  }
}

TEST(SharpBounds, InMemoryTakeEachDoubleAsItsBinaryValue) {
  const Probabilities p = ReadProbabilityFile(kExample, 12, 3);
  ASSERT_EQ(p.error, "");
  SharpOptions options;
  options.kind = SharpKind::kBivariate;
  const SharpResult memory = SharpBounds(p.values, 12, 3, options);
  const SharpResult typed = SharpBoundsOfFile(kExample, 12, 3, options);
  ASSERT_TRUE(memory.computed) << memory.messages.front();
  // The doubles of 0.333 and the like lie within 1e-16 of the decimals.
  EXPECT_NEAR(memory.lower, typed.lower, 1e-12);
  EXPECT_NEAR(memory.upper, typed.upper, 1e-12);
  EXPECT_LE(memory.lower, memory.upper);
}

TEST(SharpBounds, InconsistentDataNeedATolerance) {
  Probabilities p = ReadProbabilityFile(kExample, 12, 3);
  p.values[12] = 0.5 + 0.125;  // P(A1 A2) above P(A1) = 0.5 by 0.125
  SharpOptions options;
  const SharpResult refused = SharpBounds(p.values, 12, 3, options);
  EXPECT_FALSE(refused.computed);
  EXPECT_EQ(refused.status, kStatusUntrustworthy);
  EXPECT_FALSE(refused.consistent);
  EXPECT_GE(refused.epsilon, 0.0625);
  // The tightest double above the exact epsilon, which its 3-digit text
  // encloses.
  EXPECT_LE(refused.epsilon, sharp::OutwardDouble(refused.epsilonText, true));
  ASSERT_EQ(refused.messages.size(), 1u);
  EXPECT_NE(refused.messages[0].find("tolerance"), std::string::npos);
  EXPECT_NE(refused.messages[0].find(refused.epsilonText), std::string::npos);

  options.toleranceText = "0.01";
  const SharpResult below = SharpBounds(p.values, 12, 3, options);
  EXPECT_FALSE(below.computed);
  EXPECT_NE(below.messages[0].find("below epsilon"), std::string::npos);

  options.toleranceText = "";
  options.hasTolerance = true;
  options.tolerance = refused.epsilon;
  const SharpResult widened = SharpBounds(p.values, 12, 3, options);
  ASSERT_TRUE(widened.computed) << widened.messages.front();
  EXPECT_EQ(widened.status, kStatusSound);
  EXPECT_TRUE(widened.widened);
  EXPECT_EQ(widened.lowerStatus, "widened");
  EXPECT_EQ(widened.upperStatus, "widened");
  EXPECT_LE(widened.lower, widened.upper);
}

// A equals B and A equals C, but B and C never meet: the closed forms cross
// the sharp bounds, so no distribution fits, and the program over atoms
// says which tolerance does.
TEST(SharpBounds, FullProgramTakesATolerance) {
  const RealVector p{0.5, 0.5, 0.5, 0.0, 0.5, 0.5, 0.0, 0.0, 0.0, 0.0};
  SharpOptions full;
  full.kind = SharpKind::kFull;
  const SharpResult typed = SharpBounds(p, 4, 2, full);
  EXPECT_EQ(typed.status, kStatusUntrustworthy);
  ASSERT_FALSE(typed.messages.empty());
  EXPECT_FALSE(typed.consistent);
  EXPECT_EQ(typed.epsilonText, "0.126");
  EXPECT_NE(typed.messages.back().find("epsilon = 0.126"), std::string::npos)
      << typed.messages.back();
  full.toleranceText = "0.126";
  const SharpResult widened = SharpBounds(p, 4, 2, full);
  ASSERT_TRUE(widened.computed);
  EXPECT_EQ(widened.status, kStatusSound);
  EXPECT_TRUE(widened.widened);
  EXPECT_EQ(widened.lowerStatus, "certified");
  EXPECT_LE(widened.lower, widened.upper);
}

TEST(SharpBounds, RefuseWhatTheProgramRefuses) {
  const Probabilities p = ReadProbabilityFile(kExample, 12, 3);
  SharpOptions badText;
  badText.toleranceText = "0.0x";
  SharpOptions bivariate;
  bivariate.kind = SharpKind::kBivariate;
  for (const SharpResult& r :
       {SharpBounds(p.values, 12, 3, badText),
        SharpBounds(p.values, 5, 3, bivariate),
        SharpBounds({0.5, 0.5}, 12, 3, SharpOptions()),
        SharpBoundsOfFile("/nonexistent/prob.txt", 12, 3, SharpOptions())}) {
    EXPECT_FALSE(r.computed);
    EXPECT_EQ(r.status, kStatusRefused);
    ASSERT_EQ(r.messages.size(), 1u);
  }
}

// At least 2 of the example's twelve events: the program's bounds, and
// P(X = 2) inside what P(X >= 2) and P(X >= 3) allow.
TEST(SharpBounds, AtLeastAndExactlyAreTheProgramsBounds) {
  SharpOptions options;
  options.kind = SharpKind::kBivariate;
  options.atLeast = 2;
  const SharpResult two = SharpBoundsOfFile(kExample, 12, 3, options);
  ASSERT_TRUE(two.computed);
  EXPECT_EQ(two.lowerText, "0.43100000000000000");
  EXPECT_EQ(two.upperText, "0.64040000000000000");
  options.atLeast = 3;
  const SharpResult three = SharpBoundsOfFile(kExample, 12, 3, options);
  options.atLeast = 2;
  options.exactly = true;
  const SharpResult exactly = SharpBoundsOfFile(kExample, 12, 3, options);
  ASSERT_TRUE(three.computed && exactly.computed);
  EXPECT_LE(three.upper, two.upper);
  EXPECT_GE(exactly.lower, two.lower - three.upper - 1e-15);
  EXPECT_LE(exactly.upper, two.upper - three.lower + 1e-15);
  options.exactly = false;
  options.atLeast = 13;
  EXPECT_EQ(SharpBoundsOfFile(kExample, 12, 3, options).status, kStatusRefused);
}

// Numbers with no exact value (NaN, infinities) or far outside [0, 1] (the
// largest double overflowed the outward rounding of epsilon) are refused
// before any exact arithmetic, naming the first one; the crash they caused
// took down every program that linked the library.
TEST(SharpBounds, RefuseNumbersWithNoExactValueOrFarFromProbabilities) {
  const Probabilities p = ReadProbabilityFile(kExample, 12, 3);
  for (const double bad : {std::numeric_limits<double>::quiet_NaN(),
                           std::numeric_limits<double>::infinity(),
                           -std::numeric_limits<double>::infinity(),
                           std::numeric_limits<double>::max(), 1e300, -2.5}) {
    for (const SharpKind kind :
         {SharpKind::kUnivariate, SharpKind::kBivariate, SharpKind::kFull}) {
      std::vector<double> values = p.values;
      values[4] = bad;
      values[200] = bad;
      SharpOptions options;
      options.kind = kind;
      options.toleranceText = "0.5";
      const SharpResult r = SharpBounds(values, 12, 3, options);
      EXPECT_FALSE(r.computed) << bad;
      EXPECT_EQ(r.status, kStatusRefused) << bad;
      ASSERT_EQ(r.messages.size(), 1u);
      EXPECT_EQ(r.messages[0].rfind("number 5 is ", 0), 0u) << r.messages[0];
    }
  }
  // Within 1 of [0, 1] the data check still speaks: epsilon, not a refusal.
  std::vector<double> values = p.values;
  values[4] = 1.75;
  const SharpResult near = SharpBounds(values, 12, 3, SharpOptions());
  EXPECT_EQ(near.status, kStatusUntrustworthy);
  EXPECT_FALSE(near.consistent);
}

TEST(SharpBounds, RefuseAFileNumberFarFromProbabilities) {
  const fs::path file =
      fs::temp_directory_path() /
      ("unionbound_api_huge_" + std::to_string(::getpid()) + ".txt");
  {
    std::ifstream in(kExample);
    std::ofstream out(file);
    std::string token;
    for (int i = 0; in >> token; ++i) out << (i == 6 ? "-3" : token) << "\n";
  }
  const SharpResult r = SharpBoundsOfFile(file.string(), 12, 3, SharpOptions());
  fs::remove(file);
  EXPECT_EQ(r.status, kStatusRefused);
  ASSERT_EQ(r.messages.size(), 1u);
  EXPECT_NE(r.messages[0].find("number 7 is"), std::string::npos)
      << r.messages[0];
}

// The library leaves standard output to the host program: every line that
// another thread prints while the bounds are computed reaches it, however
// many passes run meanwhile.
TEST(SharpBoundsThreads, LinesPrintedOnAnotherThreadAllArrive) {
  SharpOptions bivariate;
  bivariate.kind = SharpKind::kBivariate;
  int64_t printed = 0;
  std::string text;
  {
    const CaptureStdout capture;
    std::atomic<bool> done = false;
    std::thread printer([&] {
      while (!done) std::cout << "host line " << printed++ << '\n';
    });
    for (int call = 0; call < 3; ++call) {
      EXPECT_TRUE(SharpBoundsOfFile(kExample, 12, 3, bivariate).computed);
    }
    done = true;
    printer.join();
    text = capture.Text();
  }
  ASSERT_GT(printed, 0);
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), printed);
  EXPECT_EQ(
      text.rfind("host line " + std::to_string(printed - 1) + "\n"),
      text.size() - ("host line " + std::to_string(printed - 1)).size() - 1);
}

// Calls on several threads at once give what one call alone gives.
TEST(SharpBoundsThreads, CallsOnSeveralThreadsAgreeWithOneAlone) {
  SharpOptions bivariate;
  bivariate.kind = SharpKind::kBivariate;
  const SharpResult alone = SharpBoundsOfFile(kExample, 12, 3, bivariate);
  ASSERT_TRUE(alone.computed);
  std::vector<SharpResult> results(4);
  std::vector<std::thread> threads;
  for (SharpResult& result : results) {
    threads.emplace_back([&result, &bivariate] {
      result = SharpBoundsOfFile(kExample, 12, 3, bivariate);
    });
  }
  for (std::thread& t : threads) t.join();
  for (const SharpResult& r : results) {
    EXPECT_EQ(r.status, alone.status);
    EXPECT_EQ(r.lowerText, alone.lowerText);
    EXPECT_EQ(r.upperText, alone.upperText);
    EXPECT_EQ(r.lowerL, alone.lowerL);
    EXPECT_EQ(r.upperL, alone.upperL);
    EXPECT_EQ(r.lowerStatus, alone.lowerStatus);
  }
}

// Threads that cannot start (a process limit, in a child that runs as
// another user, whom the limit binds) leave their work to the calling
// thread: the call gives the bounds it gives without the limit, for every
// kind (the full program's second side included). Needs root to change
// user.
TEST(SharpBoundsFailures, ThreadsThatCannotStartLeaveTheWorkToTheCaller) {
  if (geteuid() != 0) GTEST_SKIP() << "needs root to run as another user";
  for (SharpKind kind :
       {SharpKind::kBivariate, SharpKind::kFull, SharpKind::kBest}) {
    SharpOptions options;
    options.kind = kind;
    options.threads = 2;
    const SharpResult free = SharpBoundsOfFile(kExample, 12, 3, options);
    ASSERT_EQ(free.status, kStatusSound);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      const rlimit one{1, 1};
      if (setrlimit(RLIMIT_NPROC, &one) != 0 || setgid(65534) != 0 ||
          setuid(65534) != 0) {
        _exit(10);
      }
      try {
        const SharpResult r = SharpBoundsOfFile(kExample, 12, 3, options);
        const bool same = r.status == kStatusSound && r.computed &&
                          r.lowerText == free.lowerText &&
                          r.upperText == free.upperText &&
                          r.lowerStatus == free.lowerStatus &&
                          r.upperStatus == free.upperStatus;
        _exit(same ? 0 : 11);
      } catch (...) {
        _exit(12);
      }
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status)) << status;
    EXPECT_EQ(WEXITSTATUS(status), 0) << static_cast<int>(kind);
  }
}

// The text after "unionbound-sharp: " on the first line of standard error
// of the program run on path with the extra options.
std::string ProgramMessage(const fs::path& path, const std::string& extra) {
  const fs::path err = path.string() + ".err";
  const std::string command = std::string("'") + UNIONBOUND_SHARP_BINARY +
                              "' 4 2 '" + path.string() + "' " + extra +
                              " > /dev/null 2> '" + err.string() + "'";
  const int raw = std::system(command.c_str());
  EXPECT_TRUE(WIFEXITED(raw) && WEXITSTATUS(raw) == 2) << command;
  std::ifstream in(err);
  std::string line;
  std::getline(in, line);
  fs::remove(err);
  const std::string prefix = "unionbound-sharp: ";
  EXPECT_EQ(line.rfind(prefix, 0), 0u) << line;
  return line.substr(std::min(line.size(), prefix.size()));
}

// One finding reads the same from the library as from the program: only
// the way to give the tolerance differs (its option there, "a tolerance"
// here).
TEST(SharpBounds, InconsistencyMessagesAreTheProgramsWords) {
  const fs::path path =
      fs::temp_directory_path() /
      ("unionbound_api_messages_" + std::to_string(::getpid()) + ".txt");
  std::ofstream(path) << "0.5 0.5 0.5 0 0.5 0.5 0 0 0 0\n";
  SharpOptions options;
  const SharpResult none = SharpBoundsOfFile(path.string(), 4, 2, options);
  ASSERT_EQ(none.messages.size(), 1u);
  std::string program = ProgramMessage(path, "");
  EXPECT_EQ(program,
            "inconsistent data: epsilon = 0.126; use --tolerance T with T >= "
            "epsilon");
  program.replace(program.find("--tolerance T"), 13, "a tolerance T");
  EXPECT_EQ(none.messages[0], program);

  options.toleranceText = "0.01";
  const SharpResult below = SharpBoundsOfFile(path.string(), 4, 2, options);
  ASSERT_EQ(below.messages.size(), 1u);
  program = ProgramMessage(path, "--tolerance 0.01");
  EXPECT_EQ(program, "--tolerance 0.01 is below epsilon = 0.126");
  EXPECT_EQ(below.messages[0], "the tolerance 0.01 is below epsilon = 0.126");
  fs::remove(path);
}

TEST(SharpBoundsCancel, ACallbackThatSaysStopEndsEveryKindWithCancelled) {
  for (SharpKind kind : {SharpKind::kUnivariate, SharpKind::kBivariate,
                         SharpKind::kFull, SharpKind::kBest}) {
    SharpOptions options;
    options.kind = kind;
    options.cancel = [] { return true; };
    const SharpResult r = SharpBoundsOfFile(kExample, 12, 3, options);
    EXPECT_EQ(r.status, kStatusCancelled) << static_cast<int>(kind);
    EXPECT_FALSE(r.computed);
    ASSERT_EQ(r.messages.size(), 1u);
    EXPECT_NE(r.messages[0].find("cancelled"), std::string::npos);
    EXPECT_EQ(r.lowerText, "0");
    EXPECT_EQ(r.upperText, "1");
  }
}

TEST(SharpBoundsCancel, AStopAskedForMidwayEndsTheRunAndAskedNoMore) {
  // Hundreds of bivariate programs: the callback is asked between and
  // within them, from both computing threads.
  const int32_t n = 400;
  const std::vector<double> values(n, 0.001);
  SharpOptions options;
  options.kind = SharpKind::kBivariate;
  std::atomic<int> asked{0};
  options.cancel = [&asked] { return ++asked >= 50; };
  const SharpResult r = SharpBounds(values, n, 1, options);
  EXPECT_EQ(r.status, kStatusCancelled);
  EXPECT_FALSE(r.computed);
  // The yes is kept: the question is not asked again after it.
  EXPECT_EQ(asked.load(), 50);
}

TEST(SharpBoundsCancel, ACallbackThatNeverSaysStopChangesNothing) {
  for (SharpKind kind : {SharpKind::kBivariate, SharpKind::kFull}) {
    SharpOptions options;
    options.kind = kind;
    const SharpResult plain = SharpBoundsOfFile(kExample, 12, 3, options);
    std::atomic<int> asked{0};
    options.cancel = [&asked] {
      ++asked;
      return false;
    };
    const SharpResult asking = SharpBoundsOfFile(kExample, 12, 3, options);
    EXPECT_GT(asked.load(), 0);
    EXPECT_EQ(asking.status, plain.status);
    EXPECT_EQ(asking.lowerText, plain.lowerText);
    EXPECT_EQ(asking.upperText, plain.upperText);
  }
}

}  // namespace
}  // namespace unionbound::api

#endif  // UNIONBOUND_HAS_SHARP

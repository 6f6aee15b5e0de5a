#include "driver/moments_while_reading.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>

#include "gtest/gtest.h"
#include "numeric/subset_order.h"
#include "problem/binomial_moments.h"

namespace unionbound {
namespace {

const IndexMatrix kPairs = {{1, 2}};

bool SameBits(const RealMatrix& a, const RealMatrix& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (a[i].size() != b[i].size() ||
        std::memcmp(a[i].data(), b[i].data(), a[i].size() * sizeof(double))) {
      return false;
    }
  }
  return true;
}

// A probability file of `count` numbers in the shortest form that reads back
// exactly, and the values written.
RealVector WriteFile(const std::string& path, std::size_t count,
                     uint64_t seed) {
  std::mt19937_64 rng(seed);
  std::uniform_real_distribution<double> value(0.0, 1.0);
  RealVector p(count);
  std::ofstream out(path);
  out.precision(17);
  for (double& x : p) {
    x = value(rng) * (rng() % 5 == 0 ? 1e9 : 1e-3);
    out << x << (rng() % 7 == 0 ? "\n" : " ");
  }
  return p;
}

class MomentsWhileReadingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() /
           ("moments_while_reading_" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir_);
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }
  std::string Path(const std::string& name) const {
    return (dir_ / name).string();
  }
  std::filesystem::path dir_;
};

// Large enough for the threads that follow the read, with two shares of the
// lengths: the moments and the numbers are those of reading first.
TEST_F(MomentsWhileReadingTest, MomentsAreThoseOfTheWholeVectorAfterTheRead) {
  for (int32_t n : {61, 64, 90}) {
    const int32_t m = 3;
    const std::string path = Path("prob" + std::to_string(n) + ".txt");
    const RealVector written =
        WriteFile(path, static_cast<std::size_t>(ProbabilityCount(n, m)), n);
    MomentBatch batch;
    const ProbabilityRead read =
        ReadProbabilitiesWithMoments(path, n, m, &batch);
    const ProbabilityRead plain =
        ReadProbabilityFile(path, ProbabilityCount(n, m));
    EXPECT_EQ(read.p, plain.p);
    EXPECT_EQ(read.read, plain.read);
    EXPECT_EQ(read.stop, ReadStop::kComplete);
    EXPECT_EQ(batch.first, m);
    EXPECT_TRUE(SameBits(
        batch.moments, BinomialMomentsOfLengths(read.p, n, m, n - 2 * m + 1, m,
                                                kPairs, {m, m}, 1)));
  }
}

// A named pipe cannot tell its size: the values move while the followers
// work on them.
TEST_F(MomentsWhileReadingTest, ValuesThatMoveDuringTheReadAreFollowed) {
  const int32_t n = 64;
  const int32_t m = 3;
  const std::string path = Path("written.txt");
  const RealVector written =
      WriteFile(path, static_cast<std::size_t>(ProbabilityCount(n, m)), 5);
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  const std::string fifo = Path("fifo");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  std::thread writer([&fifo, &text] {
    std::ofstream out(fifo);
    out << text.str();
  });
  MomentBatch batch;
  const ProbabilityRead read = ReadProbabilitiesWithMoments(fifo, n, m, &batch);
  writer.join();
  EXPECT_EQ(read.p, written);
  EXPECT_TRUE(SameBits(batch.moments,
                       BinomialMomentsOfLengths(read.p, n, m, n - 2 * m + 1, m,
                                                kPairs, {m, m}, 1)));
}

// A file that ends early, that is missing, or that gives no pass.
TEST_F(MomentsWhileReadingTest, ShortMissingAndPasslessInputsEndTheFollowers) {
  const int32_t n = 70;
  const int32_t m = 3;
  const std::string path = Path("short.txt");
  WriteFile(path, static_cast<std::size_t>(ProbabilityCount(n, m)) - 1000, 3);
  MomentBatch batch;
  const ProbabilityRead read = ReadProbabilitiesWithMoments(path, n, m, &batch);
  EXPECT_EQ(read.stop, ReadStop::kEndOfInput);
  EXPECT_TRUE(SameBits(batch.moments,
                       BinomialMomentsOfLengths(read.p, n, m, n - 2 * m + 1, m,
                                                kPairs, {m, m}, 1)));

  MomentBatch none;
  const ProbabilityRead missing =
      ReadProbabilitiesWithMoments(Path("missing.txt"), n, m, &none);
  EXPECT_EQ(missing.stop, ReadStop::kCannotOpen);
  ASSERT_EQ(none.moments.size(), static_cast<std::size_t>(n - 2 * m + 1));
  for (const RealVector& b : none.moments) {
    EXPECT_EQ(b[0], 1.0);
    for (std::size_t t = 1; t < b.size(); ++t) EXPECT_EQ(b[t], 0.0);
  }

  MomentBatch passless;
  WriteFile(path, static_cast<std::size_t>(ProbabilityCount(5, 3)), 4);
  EXPECT_EQ(ReadProbabilitiesWithMoments(path, 5, 3, &passless).read,
            ProbabilityCount(5, 3));
  EXPECT_TRUE(passless.moments.empty());
}

}  // namespace
}  // namespace unionbound

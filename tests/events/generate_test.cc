// unionbound-generate as a user meets it: --help on standard output with
// status 0, the bundled example written byte for byte with its labelled
// union probability, and arguments that are not whole numbers refused.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace unionbound {
namespace {

namespace fs = std::filesystem;

struct GeneratorRun {
  int status = -1;
  std::string out;
  std::string err;
};

std::string Slurp(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

class Generate : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("unionbound_generate_" + std::to_string(::getpid()) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  GeneratorRun Generator(const std::string& arguments) {
    const std::string command = "cd '" + dir_.string() + "' && '" +
                                UNIONBOUND_GENERATE_BINARY + "' " + arguments +
                                " > out.txt 2> err.txt";
    const int raw = std::system(command.c_str());
    GeneratorRun run;
    run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    run.out = Slurp(dir_ / "out.txt");
    run.err = Slurp(dir_ / "err.txt");
    return run;
  }

  fs::path dir_;
};

TEST_F(Generate, HelpGoesToStandardOutputWithStatusZero) {
  for (const char* option : {"--help", "-h"}) {
    const GeneratorRun run = Generator(option);
    EXPECT_EQ(run.status, 0) << option;
    EXPECT_EQ(run.err, "") << option;
    EXPECT_EQ(run.out.rfind("usage: unionbound-generate FAMILY N M SEED", 0),
              0u)
        << run.out;
    EXPECT_NE(run.out.find("divisible"), std::string::npos);
    EXPECT_NE(run.out.find("probability of the union"), std::string::npos);
  }
}

TEST_F(Generate, WritesTheBundledExampleAndLabelsItsUnionProbability) {
  const GeneratorRun run = Generator("divisible 12 3 0 prob.txt");
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, "probability of the union: 0.84299999999999997\n");
  EXPECT_EQ(Slurp(dir_ / "prob.txt"),
            Slurp(fs::path(UNIONBOUND_SOURCE_DIR) / "examples" / "prob.txt"));
}

TEST_F(Generate, RefusesWhatIsNoWholeNumberOrFamily) {
  for (const char* arguments :
       {"", "divisible 12", "divisible 12x 3 0", "divisible 12 -3 0",
        "divisible 12 3 -1", "divisible 0 3 0", "divisible 100001 3 0",
        "circles 12 3 0", "--help extra"}) {
    const GeneratorRun run = Generator(arguments);
    EXPECT_EQ(run.status, 1) << arguments;
    EXPECT_EQ(run.out, "") << arguments;
    EXPECT_EQ(run.err.rfind("unionbound-generate: ", 0), 0u) << run.err;
  }
}

TEST_F(Generate, ReportsAFileItCannotWrite) {
  const GeneratorRun run =
      Generator("independent 5 2 1 no/such/folder/prob.txt");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, "");
  EXPECT_NE(run.err.find("cannot write no/such/folder/prob.txt: "),
            std::string::npos)
      << run.err;
}

}  // namespace
}  // namespace unionbound

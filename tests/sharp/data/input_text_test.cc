// The input read once: the doubles taken from the text in memory are those
// the file reader takes from the file, seeking back over what the reader
// read ahead works inside the text, and files that cannot be read say so.
#include "sharp/data/input_text.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <istream>
#include <string>

#include "input/probability_input.h"

namespace unionbound::sharp {
namespace {

std::filesystem::path TempPath(const std::string& name) {
  return std::filesystem::temp_directory_path() /
         (name + "_" + std::to_string(::getpid()));
}

TEST(InputText, GivesTheDoublesTheFileReaderGives) {
  const std::filesystem::path path = TempPath("input_text");
  // Tokens that read ahead (exponents, signs, a number that is not one).
  const std::string text =
      "0.5 1e-3\n+.25\t3.0E+0 0.1000000000000000055511 7e x";
  std::ofstream(path) << text;
  for (int32_t count : {3, 5, 7}) {
    SCOPED_TRACE(count);
    const InputText input = ReadInputFile(path.string());
    ASSERT_TRUE(input.opened);
    EXPECT_FALSE(input.failed);
    EXPECT_EQ(input.text, text);
    const ProbabilityRead ofText = ReadNumbersOfText(input, count);
    const ProbabilityRead ofFile = ReadProbabilityFile(path.string(), count);
    EXPECT_EQ(ofText.p, ofFile.p);
    EXPECT_EQ(ofText.read, ofFile.read);
    EXPECT_EQ(ofText.stop, ofFile.stop);
  }
  std::filesystem::remove(path);
}

TEST(InputText, SeeksInsideTheTextOnly) {
  const std::string text = "0.25 0.5";
  TextStreamBuffer buffer(text);
  std::istream in(&buffer);
  double x = 0.0;
  in >> x;
  EXPECT_EQ(x, 0.25);
  EXPECT_EQ(in.tellg(), std::streampos(4));
  in.seekg(0);
  in >> x;
  EXPECT_EQ(x, 0.25);
  in.seekg(100);
  EXPECT_TRUE(in.fail());
}

TEST(InputText, AMissingFileOrAFolderReadsNothing) {
  const InputText missing = ReadInputFile("/nonexistent/prob.txt");
  EXPECT_FALSE(missing.opened);
  EXPECT_EQ(ReadNumbersOfText(missing, 3).stop, ReadStop::kCannotOpen);
  const std::filesystem::path folder = TempPath("input_text_dir");
  std::filesystem::create_directory(folder);
  const InputText directory = ReadInputFile(folder.string());
  EXPECT_TRUE(directory.failed);
  const ProbabilityRead read = ReadNumbersOfText(directory, 3);
  EXPECT_EQ(read.read, 0);
  EXPECT_NE(read.stop, ReadStop::kComplete);
  std::filesystem::remove(folder);
}

}  // namespace
}  // namespace unionbound::sharp

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

// Read in chunks from the file itself: the doubles, the stop and the
// entries left are the file reader's, and the numbers as typed those of the
// whole text, for inputs that end inside a chunk, across several chunks
// with numbers cut by their ends, and with a token that is no number.
TEST(InputText, ChunkedReadingGivesWhatTheWholeTextGives) {
  const std::filesystem::path path = TempPath("input_chunks");
  std::string text;
  for (int u = 0; u < 60000; ++u) {
    text += u % 7 == 0   ? "1.5e-3"
            : u % 5 == 0 ? "0.123456789012345678901"
                         : "0.25";
    text += u % 11 == 0 ? "\n" : " ";
  }
  for (const std::string& tail : {std::string(), std::string("0.5 x 0.5\n")}) {
    std::ofstream(path) << text << tail;
    for (int32_t count : {10, 60000, 60002}) {
      SCOPED_TRACE(count);
      ExactScanner exact(static_cast<size_t>(count));
      const ProbabilityRead read =
          ReadNumbersOfPath(path.string(), count, &exact);
      const ProbabilityRead ofFile = ReadProbabilityFile(path.string(), count);
      ASSERT_EQ(read.p, ofFile.p);
      EXPECT_EQ(read.stop, ofFile.stop);
      EXPECT_EQ(read.entriesLeft, ofFile.entriesLeft);
      const ExactData chunked = exact.Finish(read.p);
      const ExactData whole = ReadExactText(text + tail, read.p);
      ASSERT_EQ(chunked.typed, whole.typed);
      EXPECT_EQ(chunked.scale, whole.scale);
      for (size_t u = 0; u < read.p.size(); u += 977) {
        ASSERT_EQ(ValueOf(chunked, u), ValueOf(whole, u)) << u;
      }
    }
  }
  ExactScanner none(3);
  EXPECT_EQ(ReadNumbersOfPath("/nonexistent/prob.txt", 3, &none).stop,
            ReadStop::kCannotOpen);
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

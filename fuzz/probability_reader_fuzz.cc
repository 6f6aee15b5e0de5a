// Differential fuzz target for the prob.txt reader: on arbitrary bytes it must
// give exactly what formatted extraction of doubles gives, one `>>` at a time:
// the same values bit for bit (-0 included), the same number read before the
// first failure, the same reason for stopping, and the stream left in the
// same state at the same place.
//
// Input: byte 0 is the count of numbers asked for; byte 1 picks how the bytes
// reach the reader (0: one string stream; k > 0: a stream that hands out k
// bytes at a time and cannot seek); byte 2 from 1 to 63 puts blanks before
// the text so that a 64 KiB (1 .. 31) or 8 KiB (32 .. 63) boundary falls
// byte 2 (mod 32) characters into it, where a reader that buffers in chunks
// must carry a number over. The rest is the text. The same text is also read
// from a file through ReadProbabilityFile.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <istream>
#include <iterator>
#include <sstream>
#include <streambuf>
#include <string>

#include "formatted_extraction.h"
#include "fuzz_check.h"
#include "input/probability_input.h"
#include "trickle_buffer.h"

namespace unionbound {
namespace {

std::string* file_path = nullptr;

// Blanks that put a chunk boundary into the text: selector 1 .. 31 puts a
// 64 KiB boundary, 32 .. 63 an 8 KiB one, that many bytes (mod 32) in;
// other selectors add nothing.
std::string BoundaryPadding(uint8_t selector) {
  if (selector == 0 || selector >= 64) return "";
  const size_t chunk = selector < 32 ? 65536 : 8192;
  return std::string(chunk - selector % 32, ' ');
}

// p holds the numbers read; entries after them, if the reader keeps any,
// stand for the numbers it could not read and must be 0.0.
void RequireSameRead(const ProbabilityRead& actual,
                     const ProbabilityRead& expected) {
  Require(actual.expected == expected.expected, "expected count kept");
  Require(actual.read == expected.read, "same number read as by >>");
  Require(actual.stop == expected.stop, "same reason to stop as >>");
  Require(actual.opened, "an open stream counts as opened");
  Require(actual.p.size() == static_cast<size_t>(actual.read) ||
              actual.p.size() == static_cast<size_t>(actual.expected),
          "one entry per number read or per number asked");
  for (size_t i = 0; i < actual.p.size(); ++i) {
    Require(std::memcmp(&actual.p[i], &expected.p[i], sizeof(double)) == 0,
            "every value equal to >> bit for bit, 0.0 after the last read");
  }
}

std::string Rest(std::istream& in) {
  return std::string(std::istreambuf_iterator<char>(in.rdbuf()),
                     std::istreambuf_iterator<char>());
}

// A seekable string stream: the reader must also leave the stream where and
// as the extractions leave it.
void CheckStringStream(const std::string& text, int32_t count) {
  std::istringstream reference(text);
  const ProbabilityRead expected = ExtractOneByOne(reference, count);
  std::istringstream in(text);
  RequireSameRead(ReadProbabilitiesFrom(in, count), expected);
  // A refused token is read to its end to be named, where >> stops in it.
  if (expected.stop != ReadStop::kComplete) return;
  Require(in.rdstate() == reference.rdstate(), "stream state as after >>");
  Require(Rest(in) == Rest(reference), "stream position as after >>");
}

void CheckTrickle(const std::string& text, int32_t count, size_t step) {
  std::istringstream reference(text);
  const ProbabilityRead expected = ExtractOneByOne(reference, count);
  TrickleBuffer buffer(text, step);
  std::istream in(&buffer);
  RequireSameRead(ReadProbabilitiesFrom(in, count), expected);
  if (expected.stop != ReadStop::kComplete) return;
  Require(in.rdstate() == reference.rdstate(), "stream state as after >>");
}

void CheckFile(const std::string& text, int32_t count) {
  FILE* file = std::fopen(file_path->c_str(), "wb");
  Require(file != nullptr, "scratch file can be written");
  Require(std::fwrite(text.data(), 1, text.size(), file) == text.size(),
          "scratch file takes the whole text");
  std::fclose(file);
  RequireSameRead(ReadProbabilityFile(*file_path, count),
                  ExtractOneByOne(text, count));
}

void RemoveScratch() {
  std::remove(file_path->c_str());
  rmdir(file_path->substr(0, file_path->rfind('/')).c_str());
}

}  // namespace
}  // namespace unionbound

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  std::string folder = "/tmp/unionbound-fuzz-reader-XXXXXX";
  unionbound::Require(mkdtemp(folder.data()) != nullptr,
                      "scratch folder can be made");
  unionbound::file_path = new std::string(folder + "/prob.txt");
  std::atexit(unionbound::RemoveScratch);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace unionbound;
  if (size < 3) return 0;
  const int32_t count = data[0];
  const size_t step = data[1] % 32;
  const std::string text =
      BoundaryPadding(data[2]) +
      std::string(reinterpret_cast<const char*>(data) + 3, size - 3);
  if (step == 0) {
    CheckStringStream(text, count);
  } else {
    CheckTrickle(text, count, step);
  }
  CheckFile(text, count);
  return 0;
}

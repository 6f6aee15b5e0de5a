// The probability file read once and whole: the doubles (as unionbound reads
// them) and the numbers as typed (exact_data.h) are both taken from this one
// text, so a file is never read twice and a stream never needs a copy.
#ifndef UNIONBOUND_SHARP_DATA_INPUT_TEXT_H_
#define UNIONBOUND_SHARP_DATA_INPUT_TEXT_H_

#include <cstdint>
#include <cstdio>
#include <ios>
#include <streambuf>
#include <string>
#include <vector>

#include "input/probability_input.h"
#include "sharp/data/exact_data.h"

namespace unionbound::sharp {

// A string read as a stream without a copy, seekable as a file is (the
// reader of doubles hands back what it read ahead by seeking). The string
// must outlive the buffer and stay unchanged.
class TextStreamBuffer : public std::streambuf {
 public:
  explicit TextStreamBuffer(const std::string& text);

 protected:
  pos_type seekoff(off_type offset, std::ios_base::seekdir from,
                   std::ios_base::openmode which) override;
  pos_type seekpos(pos_type position, std::ios_base::openmode which) override;
};

struct InputText {
  bool opened = false;
  bool failed = false;  // a read error (a folder, say) ended it early
  std::string text;
};

// The whole of the file at path. Touches no process-wide stream; thread
// safe.
InputText ReadInputFile(const std::string& path);

// The doubles of the text as unionbound reads them (ReadProbabilitiesFrom),
// with the entries left after a complete read counted; a read error of the
// input ends the reading as one, and an input that was not opened reads
// nothing.
ProbabilityRead ReadNumbersOfText(const InputText& input, int32_t count);

// A file read as a stream one chunk at a time, every chunk handed to an
// ExactScanner as it arrives: the doubles and the numbers as typed come from
// one reading, and the text is never held whole (a file of millions of
// numbers costs two chunks, not its size). The stream seeks back within
// the last chunk (the reader of doubles hands back what it read ahead),
// tells its position, and seeks to the end when the size is known (a size
// of -1: unknown, as for a pipe); other seeks fail. The FILE must outlive
// the buffer, which does not close it. Not thread safe.
class ChunkedFileBuffer : public std::streambuf {
 public:
  ChunkedFileBuffer(std::FILE* file, int64_t size, ExactScanner* exact);

  // Whether a read error ended the reading.
  bool failed() const { return failed_; }
  // Whether the memory for the numbers as typed ran out: the stream then
  // ends there (a stream turns what its buffer throws into a read error).
  bool outOfMemory() const { return outOfMemory_; }

 protected:
  int_type underflow() override;
  pos_type seekoff(off_type offset, std::ios_base::seekdir from,
                   std::ios_base::openmode which) override;
  pos_type seekpos(pos_type position, std::ios_base::openmode which) override;

 private:
  std::FILE* file_;
  int64_t size_;
  ExactScanner* exact_;
  std::vector<char> buffer_;
  int64_t bufferStart_ = 0;  // the file position of buffer_[0]
  int64_t atEnd_ = -1;       // >= 0: seeked to this end, past the buffer
  bool failed_ = false;
  bool outOfMemory_ = false;
  bool exhausted_ = false;
};

// The doubles of `file` as unionbound reads them (ReadProbabilitiesFrom),
// with the entries left after a complete read counted, read once in chunks
// that `exact` scans for the numbers as typed; a read error ends the
// reading as one. size: the file's size, -1 when unknown. Memory that runs
// out throws std::bad_alloc, as everywhere else.
ProbabilityRead ReadNumbersOfFile(std::FILE* file, int64_t size, int32_t count,
                                  ExactScanner* exact);

// The same for the file at path; one that cannot be opened reads nothing,
// with stop kCannotOpen where numbers were asked for, and a folder ends as a
// read error.
ProbabilityRead ReadNumbersOfPath(const std::string& path, int32_t count,
                                  ExactScanner* exact);

}  // namespace unionbound::sharp

#endif  // UNIONBOUND_SHARP_DATA_INPUT_TEXT_H_

// The probability file read once and whole: the doubles (as unionbound reads
// them) and the numbers as typed (exact_data.h) are both taken from this one
// text, so a file is never read twice and a stream never needs a copy.
#ifndef UNIONBOUND_SHARP_DATA_INPUT_TEXT_H_
#define UNIONBOUND_SHARP_DATA_INPUT_TEXT_H_

#include <cstdint>
#include <ios>
#include <streambuf>
#include <string>

#include "input/probability_input.h"

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

}  // namespace unionbound::sharp

#endif  // UNIONBOUND_SHARP_DATA_INPUT_TEXT_H_

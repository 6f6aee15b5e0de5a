#include "sharp/data/input_text.h"

#include <filesystem>
#include <fstream>
#include <istream>
#include <system_error>

#include "input/entries_left.h"

namespace unionbound::sharp {

TextStreamBuffer::TextStreamBuffer(const std::string& text) {
  char* const begin = const_cast<char*>(text.data());
  setg(begin, begin, begin + text.size());
}

TextStreamBuffer::pos_type TextStreamBuffer::seekoff(
    off_type offset, std::ios_base::seekdir from,
    std::ios_base::openmode which) {
  if (!(which & std::ios_base::in)) return pos_type(off_type(-1));
  const off_type size = egptr() - eback();
  const off_type base = from == std::ios_base::beg   ? 0
                        : from == std::ios_base::cur ? gptr() - eback()
                                                     : size;
  const off_type target = base + offset;
  if (target < 0 || target > size) return pos_type(off_type(-1));
  setg(eback(), eback() + target, egptr());
  return pos_type(target);
}

TextStreamBuffer::pos_type TextStreamBuffer::seekpos(
    pos_type position, std::ios_base::openmode which) {
  return seekoff(off_type(position), std::ios_base::beg, which);
}

InputText ReadInputFile(const std::string& path) {
  InputText input;
  char buffer[1 << 16];
  std::ifstream in(path, std::ios::binary);
  input.opened = in.is_open();
  std::error_code ignored;
  const auto size = std::filesystem::file_size(path, ignored);
  if (!ignored) input.text.reserve(static_cast<size_t>(size));
  while (in.read(buffer, sizeof buffer) || in.gcount() > 0) {
    input.text.append(buffer, static_cast<size_t>(in.gcount()));
  }
  // A folder opens and then reads as an empty stream; name it for what it
  // is.
  input.failed = in.bad() || std::filesystem::is_directory(path, ignored);
  return input;
}

ProbabilityRead ReadNumbersOfText(const InputText& input, int32_t count) {
  TextStreamBuffer buffer(input.text);
  std::istream in(&buffer);
  ProbabilityRead read = ReadProbabilitiesFrom(in, count);
  if (read.stop == ReadStop::kComplete) read.entriesLeft = CountEntriesLeft(in);
  if (input.failed && read.stop == ReadStop::kEndOfInput) {
    read.stop = ReadStop::kReadError;
  }
  read.opened = input.opened;
  if (!read.opened && read.expected > 0) read.stop = ReadStop::kCannotOpen;
  return read;
}

}  // namespace unionbound::sharp

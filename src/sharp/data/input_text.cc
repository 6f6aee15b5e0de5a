#include "sharp/data/input_text.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <istream>
#include <new>
#include <sstream>
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

namespace {

// Read at a time, and kept behind the read position for seeking back: at
// least the chunk of the reader of doubles.
constexpr size_t kFileChunk = size_t{1} << 16;

}  // namespace

ChunkedFileBuffer::ChunkedFileBuffer(std::FILE* file, int64_t size,
                                     ExactScanner* exact)
    : file_(file), size_(size), exact_(exact), buffer_(2 * kFileChunk) {
  setg(buffer_.data(), buffer_.data(), buffer_.data());
}

ChunkedFileBuffer::int_type ChunkedFileBuffer::underflow() {
  if (atEnd_ >= 0) return traits_type::eof();
  if (gptr() < egptr()) return traits_type::to_int_type(*gptr());
  if (exhausted_) return traits_type::eof();
  // The last chunk read stays in front, for seeking back.
  const size_t held = static_cast<size_t>(egptr() - eback());
  const size_t keep = std::min(held, kFileChunk);
  std::memmove(buffer_.data(), egptr() - keep, keep);
  bufferStart_ += static_cast<int64_t>(held - keep);
  char* const fresh = buffer_.data() + keep;
  const size_t got = std::fread(fresh, 1, kFileChunk, file_);
  if (got < kFileChunk) {
    exhausted_ = true;
    failed_ = std::ferror(file_) != 0;
  }
  if (got > 0 && exact_ != nullptr) {
    try {
      exact_->Take(fresh, got);
    } catch (const std::bad_alloc&) {
      outOfMemory_ = true;
      exhausted_ = true;
      setg(buffer_.data(), fresh, fresh);
      return traits_type::eof();
    }
  }
  setg(buffer_.data(), fresh, fresh + got);
  return got > 0 ? traits_type::to_int_type(*fresh) : traits_type::eof();
}

ChunkedFileBuffer::pos_type ChunkedFileBuffer::seekoff(
    off_type offset, std::ios_base::seekdir from,
    std::ios_base::openmode which) {
  if (!(which & std::ios_base::in)) return pos_type(off_type(-1));
  const int64_t here = atEnd_ >= 0 ? atEnd_ : bufferStart_ + (gptr() - eback());
  int64_t target = 0;
  if (from == std::ios_base::beg) {
    target = offset;
  } else if (from == std::ios_base::cur) {
    target = here + offset;
  } else {
    if (size_ < 0) return pos_type(off_type(-1));
    target = size_ + offset;
  }
  const int64_t bufferEnd = bufferStart_ + (egptr() - eback());
  if (target >= bufferStart_ && target <= bufferEnd) {
    atEnd_ = -1;
    setg(eback(), eback() + (target - bufferStart_), egptr());
    return pos_type(target);
  }
  if (size_ >= 0 && target == size_ && target > bufferEnd) {
    atEnd_ = target;  // reads give the end until a seek back
    return pos_type(target);
  }
  return pos_type(off_type(-1));
}

ChunkedFileBuffer::pos_type ChunkedFileBuffer::seekpos(
    pos_type position, std::ios_base::openmode which) {
  return seekoff(off_type(position), std::ios_base::beg, which);
}

ProbabilityRead ReadNumbersOfFile(std::FILE* file, int64_t size, int32_t count,
                                  ExactScanner* exact) {
  // Every number but the first needs a character before it.
  if (size >= 0 && exact != nullptr && count > 0) {
    exact->Reserve(static_cast<size_t>(std::min<int64_t>(count, size / 2 + 1)));
  }
  ChunkedFileBuffer buffer(file, size, exact);
  std::istream in(&buffer);
  ProbabilityRead read = ReadProbabilitiesFrom(in, count);
  if (read.stop == ReadStop::kComplete) {
    read.entriesLeft = CountEntriesLeft(in, &read.entriesLeftCut);
  }
  if (buffer.outOfMemory()) throw std::bad_alloc();
  if (buffer.failed() && read.stop == ReadStop::kEndOfInput) {
    read.stop = ReadStop::kReadError;
  }
  read.opened = true;
  return read;
}

ProbabilityRead ReadNumbersOfPath(const std::string& path, int32_t count,
                                  ExactScanner* exact) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) {
    std::istringstream nothing;
    ProbabilityRead read = ReadProbabilitiesFrom(nothing, count);
    read.opened = false;
    if (read.expected > 0) read.stop = ReadStop::kCannotOpen;
    return read;
  }
  struct stat status;
  const int64_t size =
      fstat(fileno(file), &status) == 0 && S_ISREG(status.st_mode)
          ? static_cast<int64_t>(status.st_size)
          : -1;
  ProbabilityRead read = ReadNumbersOfFile(file, size, count, exact);
  std::fclose(file);
  return read;
}

}  // namespace unionbound::sharp

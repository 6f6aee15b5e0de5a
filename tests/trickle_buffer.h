// A stream buffer that hands its text out a few bytes at a time and cannot
// seek, like a pipe: refills fall inside numbers, which a chunked reader must
// handle exactly as formatted extraction does.
#ifndef UNIONBOUND_TESTS_TRICKLE_BUFFER_H_
#define UNIONBOUND_TESTS_TRICKLE_BUFFER_H_

#include <algorithm>
#include <cstddef>
#include <streambuf>
#include <string>
#include <utility>

namespace unionbound {

class TrickleBuffer : public std::streambuf {
 public:
  TrickleBuffer(std::string text, size_t step)
      : text_(std::move(text)), step_(step) {}

 protected:
  int_type underflow() override {
    if (gptr() < egptr()) return traits_type::to_int_type(*gptr());
    if (next_ >= text_.size()) return traits_type::eof();
    char* begin = text_.data() + next_;
    const size_t size = std::min(step_, text_.size() - next_);
    setg(begin, begin, begin + size);
    next_ += size;
    return traits_type::to_int_type(*gptr());
  }

 private:
  std::string text_;
  size_t step_;
  size_t next_ = 0;
};

}  // namespace unionbound

#endif  // UNIONBOUND_TESTS_TRICKLE_BUFFER_H_

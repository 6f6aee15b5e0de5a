// Captures what code writes to std::cout while an instance is alive, so
// tests can compare console messages exactly, line ends included.
#ifndef UNIONBOUND_TESTS_CAPTURE_STDOUT_H_
#define UNIONBOUND_TESTS_CAPTURE_STDOUT_H_

#include <iostream>
#include <sstream>
#include <streambuf>
#include <string>

namespace unionbound {

class CaptureStdout {
 public:
  CaptureStdout() : saved_(std::cout.rdbuf(captured_.rdbuf())) {}
  ~CaptureStdout() { std::cout.rdbuf(saved_); }
  CaptureStdout(const CaptureStdout&) = delete;
  CaptureStdout& operator=(const CaptureStdout&) = delete;

  // Everything written to std::cout since construction.
  std::string Text() const { return captured_.str(); }

 private:
  std::ostringstream captured_;
  std::streambuf* saved_;
};

}  // namespace unionbound

#endif  // UNIONBOUND_TESTS_CAPTURE_STDOUT_H_

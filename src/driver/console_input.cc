#include "driver/console_input.h"

#include "input/probability_input.h"
#include "problem/power_moments.h"

namespace unionbound {

namespace {

// Formatted extraction of an int; on failure explains what was expected.
bool ReadInteger(std::istream& in, std::ostream& err, const char* what,
                 int32_t* value) {
  if (in >> *value) return true;
  if (in.eof() && !in.bad()) {
    err << "unionbound: standard input ended before " << what << " was given"
        << std::endl;
  } else {
    err << "unionbound: expected a whole number in the 32-bit range for "
        << what << std::endl;
  }
  return false;
}

bool CheckEventCount(int32_t n, std::ostream& err) {
  if (n > kMaxEvents) {
    err << "unionbound: n must be at most " << kMaxEvents << " (got " << n
        << ")" << std::endl;
    return false;
  }
  return true;
}

bool CheckOrder(int32_t n, int32_t m, std::ostream& err) {
  if (m < 1) {
    err << "unionbound: m must be at least 1 (got " << m << ")" << std::endl;
    return false;
  }
  if (m % 2 == 0) {
    err << "unionbound: m must be an odd number (got " << m
        << "); even orders do not give valid bounds" << std::endl;
    return false;
  }
  if (m > kMaxIntersectionOrder) {
    err << "unionbound: m must be at most " << kMaxIntersectionOrder << " (got "
        << m << "); higher orders overflow the 32-bit moment conversion"
        << std::endl;
    return false;
  }
  if (!ProbabilityCountFits(n, m)) {
    err << "unionbound: n=" << n << ", m=" << m
        << " needs more intersection probabilities than the 32-bit limit "
           "of 2147483647"
        << std::endl;
    return false;
  }
  return true;
}

}  // namespace

RunSizes ReadRunSizes(std::istream& in, std::ostream& out, std::ostream& err) {
  RunSizes sizes{false, 0, 0};
  out << "Number of events. n=";
  out.flush();
  if (!ReadInteger(in, err, "n (the number of events)", &sizes.n) ||
      !CheckEventCount(sizes.n, err)) {
    return sizes;
  }
  out << "Maximum order of the intersections (must be an odd number). m=";
  out.flush();
  if (!ReadInteger(in, err, "m (the maximum order of the intersections)",
                   &sizes.m)) {
    return sizes;
  }
  sizes.ok = CheckOrder(sizes.n, sizes.m, err);
  return sizes;
}

}  // namespace unionbound

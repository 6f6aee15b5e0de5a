#include "report_structure.h"

#include <cctype>
#include <sstream>

namespace unionbound {

namespace {

// Consumes one or more digits at `at`.
bool SkipDigits(const std::string& text, size_t* at) {
  const size_t start = *at;
  while (*at < text.size() &&
         std::isdigit(static_cast<unsigned char>(text[*at]))) {
    ++*at;
  }
  return *at > start;
}

bool SkipChar(const std::string& text, size_t* at, char c) {
  if (*at >= text.size() || text[*at] != c) return false;
  ++*at;
  return true;
}

bool SkipPrintedDouble(const std::string& text, size_t* at) {
  SkipChar(text, at, '-');
  for (const char* word : {"nan", "inf"}) {
    if (text.compare(*at, 3, word) == 0) {
      *at += 3;
      return true;
    }
  }
  if (!SkipDigits(text, at)) return false;
  if (SkipChar(text, at, '.') && !SkipDigits(text, at)) return false;
  if (SkipChar(text, at, 'e')) {
    if (!SkipChar(text, at, '+') && !SkipChar(text, at, '-')) return false;
    return SkipDigits(text, at);
  }
  return true;
}

bool IsInteger(const std::string& text) {
  size_t at = 0;
  SkipChar(text, &at, '-');
  return SkipDigits(text, &at) && at == text.size();
}

// {{1,2,},{3,},} or {}: every element and every row followed by a comma.
bool IsIndexMatrix(const std::string& line) {
  size_t at = 0;
  if (!SkipChar(line, &at, '{')) return false;
  while (SkipChar(line, &at, '{')) {
    while (!SkipChar(line, &at, '}')) {
      SkipChar(line, &at, '-');
      if (!SkipDigits(line, &at) || !SkipChar(line, &at, ',')) return false;
    }
    if (!SkipChar(line, &at, ',')) return false;
  }
  return SkipChar(line, &at, '}') && at == line.size();
}

// {x,y,...,} with exactly `count` doubles.
bool IsDoubleList(const std::string& line, size_t count) {
  size_t at = 0;
  if (!SkipChar(line, &at, '{')) return false;
  for (size_t i = 0; i < count; ++i) {
    if (!SkipPrintedDouble(line, &at) || !SkipChar(line, &at, ',')) {
      return false;
    }
  }
  return SkipChar(line, &at, '}') && at == line.size();
}

bool HasPrefixThen(const std::string& line, const std::string& prefix,
                   bool (*rest)(const std::string&)) {
  return line.compare(0, prefix.size(), prefix) == 0 &&
         rest(line.substr(prefix.size()));
}

class LineCursor {
 public:
  explicit LineCursor(const std::string& text) {
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) lines_.push_back(line);
  }
  bool AtEnd() const { return next_ >= lines_.size(); }
  size_t LineNumber() const { return next_ + 1; }
  // The next line, or an impossible one past the end.
  const std::string& Take() {
    static const std::string kPastEnd = "\n(end of file)";
    return AtEnd() ? kPastEnd : lines_[next_++];
  }

 private:
  std::vector<std::string> lines_;
  size_t next_ = 0;
};

struct Expectation {
  std::string what;
  bool met;
};

// One bound block; stores its printed bound in *bound.
bool ReadBoundBlock(LineCursor* lines, const std::string& heading,
                    std::string* bound, std::string* fault) {
  const std::string& title = lines->Take();
  const std::string& value = lines->Take();
  const std::string& time = lines->Take();
  const std::string& blank = lines->Take();
  const std::string& kjs_label = lines->Take();
  const std::string& kjs = lines->Take();
  const std::string& q1 = lines->Take();
  const std::string& vks_label = lines->Take();
  const std::string& vks = lines->Take();
  const std::string& basis_label = lines->Take();
  const std::string& basis = lines->Take();
  const Expectation expectations[] = {
      {"bound heading", title == heading},
      {"bound value", IsPrintedDouble(value)},
      {"running time", HasPrefixThen(time, "Running time: ", IsPrintedDouble)},
      {"empty line after the running time", blank.empty()},
      {"Kjs:", kjs_label == "Kjs:"},
      {"Kjs index sets", IsIndexMatrix(kjs)},
      {"q1:", HasPrefixThen(q1, "q1:", IsInteger)},
      {"Vks:", vks_label == "Vks:"},
      {"Vks index sets", IsIndexMatrix(vks)},
      {"Basis subscripts:", basis_label == "Basis subscripts:"},
      {"basis subscripts", IsIndexMatrix(basis)},
  };
  for (const Expectation& expectation : expectations) {
    if (!expectation.met) {
      *fault = heading + " block: " + expectation.what;
      return false;
    }
  }
  *bound = value;
  return true;
}

bool ReadPass(LineCursor* lines, int32_t l, size_t moment_count,
              PrintedPass* pass, std::string* fault) {
  const std::string where = "pass l=" + std::to_string(l) + ": ";
  if (!lines->Take().empty() || !lines->Take().empty() ||
      lines->Take() !=
          "The length of the subsecuences. l=" + std::to_string(l)) {
    *fault = where + "pass header";
    return false;
  }
  pass->l = l;
  if (!ReadBoundBlock(lines, "Lower bound on the probability of the union:",
                      &pass->lower, fault) ||
      !ReadBoundBlock(lines, "Upper bound on the probability of the union:",
                      &pass->upper, fault)) {
    *fault = where + *fault;
    return false;
  }
  if (!lines->Take().empty() || lines->Take() != "The binomial moments:") {
    *fault = where + "binomial moments heading";
    return false;
  }
  pass->moments = lines->Take();
  if (!IsDoubleList(pass->moments, moment_count)) {
    *fault = where + "binomial moments";
    return false;
  }
  return true;
}

}  // namespace

bool IsPrintedDouble(const std::string& text) {
  size_t at = 0;
  return SkipPrintedDouble(text, &at) && at == text.size();
}

ReportLayout ReadReportLayout(const std::string& report, int32_t n, int32_t m) {
  ReportLayout layout{false, "", {}};
  if (report.empty() || report.back() != '\n') {
    layout.fault = "the report does not end with a line end";
    return layout;
  }
  LineCursor lines(report);
  const std::string header = "n=" + std::to_string(n) +
                             ", m=" + std::to_string(m) +
                             ", m_k=" + std::to_string(m);
  if (lines.Take() != header) {
    layout.fault = "header line";
    return layout;
  }
  // One moment per label: the constant, m per subsequence, m(m-1)/2 mixed.
  const size_t moment_count = 1 + 2 * m + m * (m - 1) / 2;
  for (int32_t l = m; l <= n - m; ++l) {
    PrintedPass pass;
    if (!ReadPass(&lines, l, moment_count, &pass, &layout.fault)) {
      layout.fault += " (near line " + std::to_string(lines.LineNumber()) + ")";
      return layout;
    }
    layout.passes.push_back(pass);
  }
  if (!lines.AtEnd()) {
    layout.fault = "text after the last pass";
    return layout;
  }
  layout.intact = true;
  return layout;
}

}  // namespace unionbound

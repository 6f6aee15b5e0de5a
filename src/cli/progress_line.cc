#include "cli/progress_line.h"

#include <unistd.h>

#include <cmath>
#include <cstdio>

namespace unionbound {

namespace {

// unionbound's line: silent for short runs; at most this many redraws a
// second after that.
constexpr std::chrono::milliseconds kQuietStart{1000};
constexpr std::chrono::milliseconds kRedrawInterval{250};

}  // namespace

std::string ProgressLine::Duration(double seconds) {
  const int64_t whole = static_cast<int64_t>(std::llround(seconds));
  const int64_t hours = whole / 3600;
  const int64_t minutes = (whole / 60) % 60;
  const int64_t rest = whole % 60;
  char text[48];
  if (hours > 0) {
    std::snprintf(
        text, sizeof text, "%lld:%02lld:%02lld", static_cast<long long>(hours),
        static_cast<long long>(minutes), static_cast<long long>(rest));
  } else {
    std::snprintf(text, sizeof text, "%lld:%02lld",
                  static_cast<long long>(minutes),
                  static_cast<long long>(rest));
  }
  return text;
}

ProgressLine::ProgressLine(std::ostream& out, bool terminal,
                           int64_t totalPasses)
    : ProgressLine(out, terminal, totalPasses, kQuietStart, kRedrawInterval) {}

ProgressLine::ProgressLine(std::ostream& out, bool terminal,
                           int64_t totalPasses, Clock::duration quietStart,
                           Clock::duration redrawInterval)
    : out_(out),
      terminal_(terminal),
      total_(totalPasses),
      quietStart_(quietStart),
      redrawInterval_(redrawInterval),
      start_(Clock::now()),
      lastDrawn_(start_) {}

ProgressLine::~ProgressLine() { Clear(); }

std::string ProgressLine::Text(int64_t done, int64_t total,
                               double elapsedSeconds) {
  std::string text = "pass " + std::to_string(done) + " of " +
                     std::to_string(total) + ", " + Duration(elapsedSeconds) +
                     " elapsed";
  if (done > 0 && done < total) {
    const double left = elapsedSeconds / static_cast<double>(done) *
                        static_cast<double>(total - done);
    text += ", about " + Duration(left) + " left";
  }
  return text;
}

void ProgressLine::Update(int64_t passesDone, Clock::time_point now) {
  if (!terminal_ || now - start_ < quietStart_) return;
  std::lock_guard<std::mutex> lock(mutex_);
  if (shownLength_ > 0 && now - lastDrawn_ < redrawInterval_) return;
  const std::chrono::duration<double> elapsed = now - start_;
  Draw(Text(passesDone, total_, elapsed.count()), now);
}

void ProgressLine::Show(const std::string& text, bool always,
                        Clock::time_point now) {
  if (!terminal_ || now - start_ < quietStart_) return;
  std::lock_guard<std::mutex> lock(mutex_);
  if (!always && shownLength_ > 0 && now - lastDrawn_ < redrawInterval_) {
    return;
  }
  Draw(text, now);
}

void ProgressLine::Draw(const std::string& text, Clock::time_point now) {
  // Blanks cover what is left of a longer earlier line.
  std::string line = "\r" + text;
  if (text.size() < shownLength_) line.append(shownLength_ - text.size(), ' ');
  out_ << line;
  out_.flush();
  shownLength_ = text.size() > shownLength_ ? text.size() : shownLength_;
  lastDrawn_ = now;
}

void ProgressLine::Clear() {
  std::lock_guard<std::mutex> lock(mutex_);
  if (shownLength_ == 0) return;
  out_ << '\r' << std::string(shownLength_, ' ') << '\r';
  out_.flush();
  shownLength_ = 0;
}

bool StderrIsTerminal() { return isatty(STDERR_FILENO) == 1; }

}  // namespace unionbound

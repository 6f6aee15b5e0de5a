// A progress line on a terminal for runs that take a while: passes done of
// all, the time elapsed and an estimate of the time left, redrawn in place
// a few times a second and cleared at the end. It stays silent for the
// first second and whenever its stream is not a terminal, so scripts and
// tests see nothing of it.
#ifndef UNIONBOUND_DRIVER_PROGRESS_LINE_H_
#define UNIONBOUND_DRIVER_PROGRESS_LINE_H_

#include <chrono>
#include <cstdint>
#include <ostream>
#include <string>

namespace unionbound {

class ProgressLine {
 public:
  using Clock = std::chrono::steady_clock;

  // Draws on out only when `terminal` is true (see StderrIsTerminal).
  ProgressLine(std::ostream& out, bool terminal, int64_t totalPasses);
  // Clears a line still shown.
  ~ProgressLine();
  ProgressLine(const ProgressLine&) = delete;
  ProgressLine& operator=(const ProgressLine&) = delete;

  // Called after each pass with the number of passes done.
  void Update(int64_t passesDone) { Update(passesDone, Clock::now()); }
  // The same at a given time, for tests.
  void Update(int64_t passesDone, Clock::time_point now);
  // Removes the line, leaving the cursor where the line began.
  void Clear();

  // The text of the line: "pass 40 of 99999, 0:02 elapsed, about 1:23:04
  // left".
  static std::string Text(int64_t done, int64_t total, double elapsedSeconds);

 private:
  std::ostream& out_;
  const bool terminal_;
  const int64_t total_;
  const Clock::time_point start_;
  Clock::time_point lastDrawn_;
  size_t shownLength_ = 0;  // 0: nothing on the screen
};

// Whether standard error is a terminal.
bool StderrIsTerminal();

}  // namespace unionbound

#endif  // UNIONBOUND_DRIVER_PROGRESS_LINE_H_

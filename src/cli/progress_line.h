// A progress line on a terminal for runs that take a while, shared by
// unionbound and unionbound-sharp: one line redrawn in place a few times a
// second and cleared at the end. It stays silent during a quiet start and
// whenever its stream is not a terminal, so scripts and tests see nothing
// of it. unionbound shows passes done of all, the time elapsed and an
// estimate of the time left (Update); unionbound-sharp shows its own texts
// (Show).
//
// Thread safety: Show and Clear may be called from several threads at once;
// Update from one thread at a time.
#ifndef UNIONBOUND_CLI_PROGRESS_LINE_H_
#define UNIONBOUND_CLI_PROGRESS_LINE_H_

#include <chrono>
#include <cstdint>
#include <mutex>
#include <ostream>
#include <string>

namespace unionbound {

class ProgressLine {
 public:
  using Clock = std::chrono::steady_clock;

  // Draws on out only when `terminal` is true (see StderrIsTerminal), after
  // the first second, at most four times a second.
  ProgressLine(std::ostream& out, bool terminal, int64_t totalPasses);
  // The same with a quiet start and a least interval between redraws of
  // the caller's choice.
  ProgressLine(std::ostream& out, bool terminal, int64_t totalPasses,
               Clock::duration quietStart, Clock::duration redrawInterval);
  // Clears a line still shown.
  ~ProgressLine();
  ProgressLine(const ProgressLine&) = delete;
  ProgressLine& operator=(const ProgressLine&) = delete;

  // Called after each pass with the number of passes done.
  void Update(int64_t passesDone) { Update(passesDone, Clock::now()); }
  // The same at a given time, for tests.
  void Update(int64_t passesDone, Clock::time_point now);
  // Draws text unless the last redraw was too recent; `always` draws it
  // anyway once the quiet start is over (a last state worth seeing).
  void Show(const std::string& text, bool always = false) {
    Show(text, always, Clock::now());
  }
  void Show(const std::string& text, bool always, Clock::time_point now);
  // Removes the line, leaving the cursor where the line began.
  void Clear();

  // The text of the line: "pass 40 of 99999, 0:02 elapsed, about 1:23:04
  // left".
  static std::string Text(int64_t done, int64_t total, double elapsedSeconds);
  // 75 seconds as "1:15", 3725 as "1:02:05" (rounded to whole seconds).
  static std::string Duration(double seconds);

 private:
  void Draw(const std::string& text, Clock::time_point now);

  std::ostream& out_;
  const bool terminal_;
  const int64_t total_;
  const Clock::duration quietStart_;
  const Clock::duration redrawInterval_;
  const Clock::time_point start_;
  std::mutex mutex_;
  Clock::time_point lastDrawn_;
  size_t shownLength_ = 0;  // 0: nothing on the screen
};

// Whether standard error is a terminal.
bool StderrIsTerminal();

}  // namespace unionbound

#endif  // UNIONBOUND_CLI_PROGRESS_LINE_H_

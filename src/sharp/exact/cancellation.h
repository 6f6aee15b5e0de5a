// Stopping a long computation early at the caller's request. The caller
// hands a question ("stop now?") to a Cancellation; the computations poll it
// between small steps of work (a pivot of the exact simplex, a program, a
// round of the full program) and unwind with the exception Cancelled once it
// says yes. The Cancellation the computations of one thread poll is the one
// of the innermost CancellationScope on that thread, so the functions below
// need no extra parameter; a thread without a scope never stops early.
//
// Thread safety: one Cancellation may be polled from several threads; the
// question is asked by one of them at a time. Threads started by a
// computation under a scope take the scope along with CancellableThread.
#ifndef UNIONBOUND_SHARP_EXACT_CANCELLATION_H_
#define UNIONBOUND_SHARP_EXACT_CANCELLATION_H_

#include <atomic>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>
#include <utility>

namespace unionbound::sharp {

// Thrown by PollCancellation once the caller asked to stop.
class Cancelled : public std::exception {
 public:
  const char* what() const noexcept override { return "cancelled"; }
};

class Cancellation {
 public:
  // asked returns true when the work is to stop; an empty one never does.
  explicit Cancellation(std::function<bool()> asked)
      : asked_(std::move(asked)) {}
  Cancellation(const Cancellation&) = delete;
  Cancellation& operator=(const Cancellation&) = delete;

  // Asks the question (unless the answer was already yes) and keeps a yes.
  bool Requested();
  // Whether a yes was received, without asking again.
  bool WasRequested() const { return requested_.load(); }

 private:
  std::function<bool()> asked_;
  std::mutex mutex_;
  std::atomic<bool> requested_{false};
};

// The Cancellation of the innermost scope on this thread; nullptr without.
Cancellation* CurrentCancellation();

// Makes cancellation the one polled on this thread while the scope lives
// (nullptr: none).
class CancellationScope {
 public:
  explicit CancellationScope(Cancellation* cancellation);
  ~CancellationScope();
  CancellationScope(const CancellationScope&) = delete;
  CancellationScope& operator=(const CancellationScope&) = delete;

 private:
  Cancellation* saved_;
};

// Throws Cancelled when this thread's Cancellation says stop.
void PollCancellation();

// Throws Cancelled when this thread's Cancellation has already said stop
// (on another thread, say), without asking again.
void ThrowIfCancelled();

// Runs body on this thread and swallows a Cancelled from it: for the body of
// a thread, which must not let an exception escape. The thread that joins
// it calls ThrowIfCancelled afterwards.
template <typename Body>
void RunCancellable(Cancellation* cancellation, const Body& body) {
  CancellationScope scope(cancellation);
  try {
    body();
  } catch (const Cancelled&) {
  }
}

// A thread running body under the scope of the thread that starts it,
// joined when it goes out of scope. Throws std::system_error where the
// system refuses the thread (the caller then does the work itself).
template <typename Body>
std::jthread CancellableThread(Body body) {
  Cancellation* const cancellation = CurrentCancellation();
  return std::jthread([cancellation, body = std::move(body)]() mutable {
    RunCancellable(cancellation, body);
  });
}

}  // namespace unionbound::sharp

#endif  // UNIONBOUND_SHARP_EXACT_CANCELLATION_H_

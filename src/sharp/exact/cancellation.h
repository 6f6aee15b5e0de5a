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

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <exception>
#include <functional>
#include <mutex>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

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

// Splits from .. from + count - 1 into at most `threads` contiguous ranges
// and runs solve(first, last) for each, the first range on this thread and
// the others on threads of their own under this thread's scope. Ranges whose
// thread the system refuses are run here after the first; every thread is
// joined however this ends, and a stop asked for on any of them is thrown
// here as Cancelled once all have ended.
template <typename Solve>
void SolveRangesCancellable(int32_t from, int32_t count, int32_t threads,
                            const Solve& solve) {
  if (count <= 0) return;
  const int32_t chunks = std::max(1, std::min(threads, count));
  const auto first = [&](int32_t c) { return from + count * c / chunks; };
  std::vector<std::jthread> workers;
  std::vector<int32_t> refused;
  for (int32_t c = 1; c < chunks; ++c) {
    try {
      workers.push_back(CancellableThread(
          [&solve, a = first(c), b = first(c + 1) - 1] { solve(a, b); }));
    } catch (const std::system_error&) {
      refused.push_back(c);
    }
  }
  RunCancellable(CurrentCancellation(), [&] {
    solve(from, first(1) - 1);
    for (int32_t c : refused) solve(first(c), first(c + 1) - 1);
  });
  for (std::jthread& w : workers) w.join();
  ThrowIfCancelled();
}

}  // namespace unionbound::sharp

#endif  // UNIONBOUND_SHARP_EXACT_CANCELLATION_H_

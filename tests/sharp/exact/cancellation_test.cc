// Cancellation: a scope makes a thread's work stoppable, the yes is kept
// and asked for no more, and threads started under a scope stop with it
// without letting the exception out of the thread.
#include "sharp/exact/cancellation.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace unionbound::sharp {
namespace {

TEST(Cancellation, OnlyAThreadWithAScopeStops) {
  PollCancellation();  // no scope: never throws
  Cancellation stop([] { return true; });
  {
    CancellationScope scope(&stop);
    EXPECT_THROW(PollCancellation(), Cancelled);
    EXPECT_THROW(ThrowIfCancelled(), Cancelled);
    CancellationScope none(nullptr);
    PollCancellation();
  }
  PollCancellation();
}

TEST(Cancellation, TheYesIsKeptAndAskedForOnce) {
  int asked = 0;
  Cancellation c([&asked] { return ++asked == 3; });
  CancellationScope scope(&c);
  ThrowIfCancelled();  // does not ask
  EXPECT_EQ(asked, 0);
  PollCancellation();
  PollCancellation();
  EXPECT_THROW(PollCancellation(), Cancelled);
  EXPECT_THROW(PollCancellation(), Cancelled);
  EXPECT_EQ(asked, 3);
  EXPECT_TRUE(c.WasRequested());
}

TEST(Cancellation, AThreadStartedUnderAScopeStopsAndTheJoinerSeesIt) {
  std::atomic<bool> stop{false};
  Cancellation c([&stop] { return stop.load(); });
  CancellationScope scope(&c);
  std::atomic<int> rounds{0};
  std::jthread worker = CancellableThread([&rounds] {
    for (;;) {
      PollCancellation();
      ++rounds;
    }
  });
  while (rounds.load() < 100) std::this_thread::yield();
  stop = true;
  worker.join();  // the worker ended by Cancelled, caught in the thread
  EXPECT_THROW(ThrowIfCancelled(), Cancelled);
}

}  // namespace
}  // namespace unionbound::sharp

#include "driver/moments_while_reading.h"

#include <atomic>
#include <cstddef>
#include <mutex>
#include <shared_mutex>
#include <system_error>
#include <thread>
#include <vector>

#include "numeric/subset_order.h"

namespace unionbound {

namespace {

// Below this many probabilities the read is over before a thread starts.
constexpr int32_t kWorthFollowing = 1 << 16;

// What the reading thread has handed on. The followers read `values` under a
// shared lock; `moving` takes it exclusively, so no follower is still at the
// old storage when the values move.
struct Arrivals {
  std::atomic<const double*> values{nullptr};
  std::atomic<size_t> size{0};
  std::atomic<bool> done{false};
  std::atomic<uint64_t> version{0};  // waited on by the followers
  std::shared_mutex storage;
};

void Arrived(void* context, const double* values, size_t size, bool done) {
  Arrivals& arrivals = *static_cast<Arrivals*>(context);
  arrivals.values.store(values, std::memory_order_release);
  arrivals.size.store(size, std::memory_order_release);
  if (done) arrivals.done.store(true, std::memory_order_release);
  arrivals.version.fetch_add(1, std::memory_order_release);
  arrivals.version.notify_all();
}

void Moving(void* context) {
  Arrivals& arrivals = *static_cast<Arrivals*>(context);
  std::unique_lock lock(arrivals.storage);
  arrivals.values.store(nullptr, std::memory_order_release);
}

// A follower: adds whatever has arrived to its share, until the reading is
// done and everything read has been added.
void Follow(Arrivals* arrivals, MomentSums* sums, int32_t share) {
  for (;;) {
    const uint64_t seen = arrivals->version.load(std::memory_order_acquire);
    const bool done = arrivals->done.load(std::memory_order_acquire);
    {
      std::shared_lock lock(arrivals->storage);
      const double* values = arrivals->values.load(std::memory_order_acquire);
      const size_t size = arrivals->size.load(std::memory_order_acquire);
      if (values != nullptr) sums->Advance(share, values, size);
    }
    if (done) return;
    arrivals->version.wait(seen, std::memory_order_acquire);
  }
}

}  // namespace

ProbabilityRead ReadProbabilitiesWithMoments(const std::string& path, int32_t n,
                                             int32_t m, MomentBatch* moments) {
  const int32_t count = ProbabilityCount(n, m);
  const int64_t lengths = int64_t{n} - m - m + 1;
  if (lengths < 1 || lengths > LengthsPerBatch(m)) {
    return ReadProbabilityFile(path, count);
  }
  const int32_t lCount = static_cast<int32_t>(lengths);
  const IndexMatrix pairs = {{1, 2}};
  const IndexVector maxOrders = {m, m};
  const bool two = TwoShares(static_cast<size_t>(std::max(count, 0)), lCount);
  MomentSums sums(n, m, lCount, m, pairs, maxOrders, two ? 2 : 1);

  Arrivals arrivals;
  std::vector<std::thread> followers;
  if (count >= kWorthFollowing) {
    try {
      for (int32_t s = 0; s < sums.shares(); ++s) {
        followers.emplace_back(Follow, &arrivals, &sums, s);
      }
    } catch (const std::system_error&) {
      // Fewer threads: the shares without one are added after the read.
    }
  }
  const ReadProgress progress{Arrived, Moving, &arrivals};
  ProbabilityRead read;
  try {
    read = ReadProbabilityFile(path, count,
                               followers.empty() ? nullptr : &progress);
  } catch (...) {
    // The memory ran out while reading: the followers stop at once, so
    // the failure reaches the caller instead of ending the program.
    Moving(&arrivals);
    Arrived(&arrivals, nullptr, 0, true);
    for (std::thread& follower : followers) follower.join();
    throw;
  }
  for (std::thread& follower : followers) follower.join();
  for (int32_t s = static_cast<int32_t>(followers.size()); s < sums.shares();
       ++s) {
    sums.Advance(s, read.p.data(), read.p.size());
  }
  moments->first = m;
  moments->moments = sums.Moments();
  return read;
}

}  // namespace unionbound

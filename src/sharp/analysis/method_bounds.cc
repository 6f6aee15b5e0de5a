#include "sharp/analysis/method_bounds.h"

#include <chrono>
#include <sstream>

#include "bounds/pass.h"
#include "bounds/pass_loop.h"
#include "numeric/library_messages.h"
#include "problem/binomial_moments.h"
#include "sharp/exact/cancellation.h"

namespace unionbound::sharp {

MethodBounds ComputeMethodBounds(const RealVector& p, int32_t n, int32_t m) {
  MethodBounds result;
  PassLoop loop(p, n, m, nullptr);
  while (!loop.Done()) {
    PollCancellation();
    const auto start = std::chrono::steady_clock::now();
    // The numeric code's messages go to a buffer of this thread, so they
    // stay out of the tables and out of anything another thread prints.
    std::ostringstream messages;
    const Pass* pass = nullptr;
    {
      const MessageSink sink(messages);
      pass = &loop.Next();
    }
    const std::chrono::duration<double> spent =
        std::chrono::steady_clock::now() - start;
    if (!messages.str().empty()) result.messageLs.push_back(pass->l);
    result.perL.push_back({pass->l, -pass->lower.result.value,
                           -pass->upper.result.value, spent.count()});
    result.seconds += spent.count();
  }
  // The best bounds are those of the main run: the earlier l wins ties.
  if (loop.best().anyPass) {
    result.bestLower = loop.best().lower.l - m;
    result.bestUpper = loop.best().upper.l - m;
  }
  return result;
}

}  // namespace unionbound::sharp

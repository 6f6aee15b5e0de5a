#include "sharp/analysis/method_bounds.h"

#include <chrono>
#include <sstream>

#include "bounds/pass.h"
#include "numeric/library_messages.h"
#include "optim/sense.h"
#include "problem/binomial_moments.h"

namespace unionbound::sharp {
namespace {

struct CapturedPass {
  Pass pass;
  bool wroteMessages;
};

// One pass with the numeric library's messages sent to a buffer of this
// thread, so they stay out of the tables and out of anything another thread
// prints.
CapturedPass ComputeQuietPass(const RealVector& p, int32_t n, int32_t m,
                              int32_t l, MomentBatch* moments) {
  std::ostringstream messages;
  CapturedPass captured{Pass{}, false};
  {
    const MessageSink sink(messages);
    captured.pass = ComputePass(p, n, m, l, n - m, moments);
  }
  captured.wroteMessages = !messages.str().empty();
  return captured;
}

}  // namespace

MethodBounds ComputeMethodBounds(const RealVector& p, int32_t n, int32_t m) {
  MethodBounds result;
  double bestLowValue = 0.0;
  double bestUpValue = 0.0;
  MomentBatch moments;
  for (int32_t l = m; l <= n - m; ++l) {
    const auto start = std::chrono::steady_clock::now();
    const CapturedPass captured = ComputeQuietPass(p, n, m, l, &moments);
    const std::chrono::duration<double> spent =
        std::chrono::steady_clock::now() - start;
    if (captured.wroteMessages) result.messageLs.push_back(l);
    const double lowValue = captured.pass.lower.result.value;
    const double upValue = captured.pass.upper.result.value;
    const int32_t index = static_cast<int32_t>(result.perL.size());
    result.perL.push_back({l, -lowValue, -upValue, spent.count()});
    result.seconds += spent.count();
    // Best lower bound: smallest procedure value; best upper: largest; the
    // earlier l wins ties, as in the main run.
    if (index == 0 || Improves(Sense::kMinimise, lowValue, bestLowValue)) {
      bestLowValue = lowValue;
      result.bestLower = index;
    }
    if (index == 0 || Improves(Sense::kMaximise, upValue, bestUpValue)) {
      bestUpValue = upValue;
      result.bestUpper = index;
    }
  }
  return result;
}

}  // namespace unionbound::sharp

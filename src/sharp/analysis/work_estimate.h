// A rough estimate of how long AnalyseProbabilities takes, from the sizes
// alone, so that a run that will take long can say so before it starts.
// The cost model is calibrated on measured runs (bench/sharp_work_estimate.sh)
// and is meant to be right within a factor of about two.
#ifndef UNIONBOUND_SHARP_ANALYSIS_WORK_ESTIMATE_H_
#define UNIONBOUND_SHARP_ANALYSIS_WORK_ESTIMATE_H_

#include <cstdint>
#include <string>

namespace unionbound::sharp {

// The seconds the univariate and bivariate programs of l = lFrom .. lTo take
// on `threads` threads (the full program's time limit comes on top); 0 where
// the model knows no cost (m above 3).
double EstimatedSeconds(int32_t n, int32_t m, int32_t lFrom, int32_t lTo,
                        int32_t threads);

// "about 40 s", "about 6 min", "about 2 h": the estimate rounded roughly.
std::string RoughDuration(double seconds);

}  // namespace unionbound::sharp

#endif  // UNIONBOUND_SHARP_ANALYSIS_WORK_ESTIMATE_H_

// One whole run of unionbound on the console: the dialogue, prob.txt, one
// pass per subsequence length l with its report in result.txt, the summary of
// the best bounds and the final wait for RETURN.
#ifndef UNIONBOUND_DRIVER_RUN_H_
#define UNIONBOUND_DRIVER_RUN_H_

namespace unionbound {

// Exit statuses of a run.
inline constexpr int kExitSound = 0;
inline constexpr int kExitBadConsoleInput = 1;  // nothing was computed
inline constexpr int kExitUntrustworthy = 2;    // the run finished, but its
                                                // data or report is flawed

// Runs on standard input, output and error and the files prob.txt and
// result.txt of the working directory; returns the exit status.
int RunUnionBound();

}  // namespace unionbound

#endif  // UNIONBOUND_DRIVER_RUN_H_

// The exit statuses of unionbound and unionbound-sharp, which the library's
// runs carry too (include/unionbound/unionbound.h repeats them for its users
// and is checked against these when it is built). Only kExitSound says the
// printed bounds can be used.
#ifndef UNIONBOUND_CLI_EXIT_STATUS_H_
#define UNIONBOUND_CLI_EXIT_STATUS_H_

namespace unionbound {

// The bounds can be used.
inline constexpr int kExitSound = 0;
// The options or the console input were refused; nothing was computed.
inline constexpr int kExitRefused = 1;
// The data, the bounds or an output cannot be trusted: no bounds from these
// numbers, bounds computed but not to be trusted, or a file or standard
// output that could not be written in full.
inline constexpr int kExitUntrustworthy = 2;
// The program's memory ran out.
inline constexpr int kExitOutOfMemory = 3;

}  // namespace unionbound

#endif  // UNIONBOUND_CLI_EXIT_STATUS_H_

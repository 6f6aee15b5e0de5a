// The unionbound library: bounds on the probability that at least one of n
// events occurs, from the probabilities of all intersections of 1 up to m of
// them, the same bounds bit for bit as the unionbound program prints.
//
//   find_package(unionbound REQUIRED)
//   target_link_libraries(my_program PRIVATE unionbound::unionbound)
//
//   #include <unionbound/unionbound.h>
//   namespace ub = unionbound::api;
//   ub::Probabilities p = ub::ReadProbabilityFile("prob.txt", 12, 3);
//   if (!p.error.empty()) { /* p.error says why */ }
//   std::vector<ub::PassBounds> passes = ub::ComputePasses(p.values, 12, 3);
//   ub::BestBounds best = ub::BestOf(passes);  // best.lower, best.upper
//
// The order of the numbers (sizes 1 .. m, and lexicographic order of the
// event numbers within one size) is described in the README. The sharp
// bounds of unionbound-sharp are at the end, in a library built with it.
// Everything
// here is plain C++20 with no exceptions. Thread safety: any call may run on
// several threads at once; none changes process-wide state.
#ifndef UNIONBOUND_UNIONBOUND_H_
#define UNIONBOUND_UNIONBOUND_H_

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace unionbound::api {

// The version of the library, the same as `unionbound --version` prints.
const char* Version();

// Why sizes cannot be bounded (m not odd or not in 1 .. 11, n not in
// 2 .. 100000, n < 2m, or too many numbers for 32-bit counts), in the line
// unionbound prints when it refuses them; empty when they can.
std::string SizeProblem(int32_t n, int32_t m);

// How many numbers n events up to order m take.
int64_t ProbabilityCount(int32_t n, int32_t m);

struct Probabilities {
  std::vector<double> values;  // ProbabilityCount(n, m) numbers; the
                               // numbers that could not be read are 0
  int64_t read = 0;            // how many were read from the file
  std::string error;           // empty when every number was read
};

// Reads the numbers of n events up to order m from a text file of
// whitespace-separated decimal numbers; numbers after the last needed one
// are ignored. error names the first number that gives no bounds: a token
// that is not a number as a whole ("0.25abc"), a file too short for n and
// m, or a value that is no probability (outside [0, 1] beyond rounding, or
// not finite; where every value lies in [0, 100] it asks whether they are
// percentages). Data that are probabilities but inconsistent are for
// RunOnValues to flag.
Probabilities ReadProbabilityFile(const std::string& path, int32_t n,
                                  int32_t m);

struct Bound {
  double value;    // the bound on the probability of the union
  double seconds;  // processor time it took
};

// The bounds of one subsequence length l (events 1 .. l and l+1 .. n).
struct PassBounds {
  int32_t l;
  Bound lower;
  Bound upper;
};

// One entry for every l from m to n - m, in that order. Empty when
// SizeProblem(n, m) is not empty, values does not hold
// ProbabilityCount(n, m) numbers, or one of them is no probability.
std::vector<PassBounds> ComputePasses(const std::vector<double>& values,
                                      int32_t n, int32_t m);

// The highest lower and the lowest upper bound over the passes, the earlier
// l winning ties, as unionbound prints them.
struct BestBounds {
  bool any = false;  // false: no passes
  double lower = 0.0;
  int32_t lowerL = 0;
  double upper = 0.0;
  int32_t upperL = 0;
};
BestBounds BestOf(const std::vector<PassBounds>& passes);

// The exit statuses of unionbound, which a RunResult carries.
inline constexpr int kStatusSound = 0;          // the bounds can be used
inline constexpr int kStatusRefused = 1;        // nothing was computed
inline constexpr int kStatusUntrustworthy = 2;  // no bounds from these
                                                // numbers, or computed but
                                                // not to be trusted
inline constexpr int kStatusOutOfMemory = 3;    // the program's memory ran
                                                // out (the program, and the
                                                // sharp bounds below)
inline constexpr int kStatusCancelled = 4;      // the caller's cancel
                                                // callback stopped the sharp
                                                // bounds below; nothing given

// A whole run of unionbound on numbers held in memory: the size rules, the
// data check, every pass, the report and the summary, with the messages the
// program writes on standard error.
struct RunResult {
  int status = kStatusSound;
  std::vector<std::string> messages;  // one line each, no line end
  std::vector<PassBounds> passes;
  BestBounds best;
  std::string report;   // result.txt as unionbound writes it
  std::string summary;  // the console summary of the best bounds
};

// Runs on values as if they were read from a file called `name`: sizes that
// unionbound refuses, or fewer values than ProbabilityCount(n, m), give
// kStatusRefused and nothing computed; values that are no probabilities
// give kStatusUntrustworthy, one message and nothing computed (best.any is
// false); values beyond the count are left out with a warning, as
// unionbound leaves out the rest of a file. The messages of the numeric
// code (a singular matrix), which unionbound prints on standard output, come
// last in messages; nothing is written to the host's streams.
RunResult RunOnValues(const std::vector<double>& values, int32_t n, int32_t m,
                      const std::string& name);

// The probabilities of all intersections of sizes 1 .. m of the n events of
// a sample, in the order of the probability file. table holds rows x n
// entries row by row, one row per observation and nonzero where the event
// occurred; weights holds one nonnegative weight per row, or nothing for
// equal weights. The probability of an intersection is the weight of the
// rows where all of its events occur, added in row order, divided by the
// total weight. Empty when the sizes or the weights do not fit, or the
// total weight is not positive.
std::vector<double> IntersectionProbabilities(
    const std::vector<uint8_t>& table, int64_t rows, int32_t n, int32_t m,
    const std::vector<double>& weights);

// Whether this library was built with the companion unionbound-sharp, which
// needs GMP and CLP. Then UNIONBOUND_HAS_SHARP is defined for every program
// that links unionbound::unionbound, and the section below is available.
bool HasSharp();

#ifdef UNIONBOUND_HAS_SHARP

// The sharp bounds of unionbound-sharp: the exact optimum of a linear
// program over the distributions that have the given intersection
// probabilities, proven in rational arithmetic.
enum class SharpKind {
  kUnivariate,    // over the number of occurring events, moments S1 .. Sm
  kBivariate,     // for every l from m to n - m, over (events among 1 .. l,
                  // events among l+1 .. n); the best bounds over l
  kFull,          // over the 2^n atoms (n <= 60); certified bounds
  kBest,          // the largest proven lower and the smallest proven upper
                  // bound over the univariate and bivariate programs and the
                  // closed forms (m >= 2), compared exactly; statuses name
                  // the kind each came from ("bivariate sharp")
  kMultivariate,  // over the counts of events in each group of a partition
                  // into t groups chosen from the data (t = 3 and 4, or
                  // groupCount), or of `groups`; the best over the
                  // partitions
};

struct SharpOptions {
  SharpKind kind = SharpKind::kUnivariate;
  // The tolerance T, when the numbers need not be consistent: the bounds
  // then hold for every consistent assignment within T of every number.
  // toleranceText is a decimal ("1e-9") taken exactly; tolerance a double
  // taken as its exact binary value; the text wins when both are given.
  // Every kind takes it, the full program included.
  std::string toleranceText;
  bool hasTolerance = false;
  double tolerance = 0.0;
  double timeLimit = 0.0;  // full: seconds per bound, 0 for none
  int32_t threads = 2;     // threads for the bivariate programs
  // The event bounded, in terms of the number X of events that occur:
  // X >= atLeast (1, the default, is the union), or X = atLeast with
  // exactly. 1 <= atLeast <= n; the full program takes any other event than
  // the union only up to 22 events.
  int32_t atLeast = 1;
  bool exactly = false;
  // multivariate: the partition of the events 1 .. n to solve, one list of
  // event numbers per group (empty: the partitions chosen from the data),
  // or the number of groups of the chosen ones (0: 3 and 4; 2 .. 8).
  std::vector<std::vector<int32_t>> groups;
  int32_t groupCount = 0;
  // Asked while the bounds are computed (every pivot of the exact simplex,
  // every program, every round of the full program: at least every tenth
  // of a second of work, from the computing threads, one call at a time)
  // whether to stop; once it returns true the call ends soon after with
  // kStatusCancelled and nothing computed. Empty: never stops early. It
  // must be cheap and must not throw.
  std::function<bool()> cancel;
};

// A pair of sharp bounds. The exact optimum is rounded outward: the lower
// bound down and the upper bound up, to the 17 significant digits of
// lowerText and upperText (as unionbound-sharp writes its CSV file) and,
// on its own, to the tightest double on the outer side (the optimum itself
// where it is a double), so that each still bounds the probability of the
// union. Statuses: "sharp" (the exact optimum),
// "widened" (the exact optimum of the program widened by the tolerance),
// "certified" (full program: proven valid with every atom priced exactly),
// "partial" (full program: valid, but the pricing stopped early or could
// not enumerate every atom), "failed" (no bound was found, the pivot limit
// stopped the method; the bound is then the trivial 0 or 1 and status says
// kStatusUntrustworthy).
struct SharpResult {
  int status = kStatusSound;          // as RunResult: refused, or
                                      // untrustworthy for inconsistent data
  std::vector<std::string> messages;  // one line each, why not sound
  SharpKind kind = SharpKind::kUnivariate;
  bool computed = false;  // false: no bounds (status says why)
  double lower = 0.0;
  double upper = 1.0;
  std::string lowerText;  // "0" and "1" when not computed
  std::string upperText;
  int32_t lowerL = 0;  // bivariate and best: the l of each bivariate
                       // bound; 0 otherwise
  int32_t upperL = 0;
  // multivariate (and bivariate or best where a bound came from the events
  // taken by decreasing marginal): the groups of the partition of each
  // bound's program, each sorted; empty otherwise.
  std::vector<std::vector<int32_t>> lowerGroups;
  std::vector<std::vector<int32_t>> upperGroups;
  std::string lowerStatus;
  std::string upperStatus;
  bool widened = false;  // the bounds allow the tolerance
  // Whether the numbers as given pass every check (with SharpKind::kFull
  // also: the full program did not prove that no distribution over the
  // atoms fits them), and otherwise the least uniform change epsilon known
  // to make them pass, rounded up (to 3 significant digits in the text, to
  // a double in the number).
  bool consistent = true;
  double epsilon = 0.0;
  std::string epsilonText = "0";
  int32_t typedNumbers = 0;  // numbers taken exactly as typed in the file
  // Every number typed with at most this many decimals (a file only; -1:
  // more, numbers in memory, or not all plain decimals). Where that is 1 to
  // 8 and no tolerance of half a unit of the last place was given,
  // roundingHint says that such a tolerance gives bounds that hold for the
  // values the numbers could have been rounded from; empty otherwise.
  int32_t typedDecimals = -1;
  std::string roundingHint;
};

// The sharp bounds of numbers in memory. Numbers in memory have no typed
// text: the exact value of each is the binary value of its double (0.1 is
// 0.1000000000000000055511151231257827...), so the guarantees hold for
// those values. values holds at least ProbabilityCount(n, m) numbers. A
// number that is not finite, or lies farther than 1 from [0, 1], is refused
// (kStatusRefused, its position in the message) before any exact
// arithmetic. Never throws: where the memory runs out the status is
// kStatusOutOfMemory, and where the system refuses something else
// kStatusUntrustworthy, each with a message and nothing computed. Threads
// the system refuses (the process limit) are not needed: their work is
// done on the calling thread.
// A cancel callback that returns true ends the call with kStatusCancelled.
// Thread safety: safe on several threads at once; unionbound's messages
// during its passes are kept from standard output (so a host printing there
// on another thread loses nothing).
SharpResult SharpBounds(const std::vector<double>& values, int32_t n, int32_t m,
                        const SharpOptions& options);

// The same from a probability file, every number taken exactly as the
// decimal typed there (as unionbound-sharp takes it).
SharpResult SharpBoundsOfFile(const std::string& path, int32_t n, int32_t m,
                              const SharpOptions& options);

#endif  // UNIONBOUND_HAS_SHARP

}  // namespace unionbound::api

#endif  // UNIONBOUND_UNIONBOUND_H_

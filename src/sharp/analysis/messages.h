// The messages that tell a user the numbers are inconsistent: every front
// end (the command's table, notes and JSON document, the library and so the
// Python module) takes its words from here, so that one finding reads the
// same everywhere. Only how the tolerance is given differs between them
// (MessageWords).
//
// Thread safety: pure functions.
#ifndef UNIONBOUND_SHARP_ANALYSIS_MESSAGES_H_
#define UNIONBOUND_SHARP_ANALYSIS_MESSAGES_H_

#include <string>

#include "sharp/analysis/analysis.h"
#include "sharp/atoms/full_epsilon.h"
#include "sharp/exact/rational.h"

namespace unionbound::sharp {

// How a front end names the tolerance and the bounds it shows.
struct MessageWords {
  std::string option;     // how to give a tolerance: "--tolerance T"
  std::string tolerance;  // the tolerance given: "--tolerance 0.01"
  std::string bounds;     // the bounds shown, after "no": "bound above"
};

// The command line's words; typedTolerance is --tolerance's argument as
// typed (empty when none was given).
MessageWords CommandLineWords(const std::string& typedTolerance);

// The library's words (and the Python module's): the tolerance as the
// caller typed it, or where it came as a number (typed empty) its value to
// 3 significant digits, rounded down.
MessageWords LibraryWords(const std::string& typed, const Rational& tolerance);

// One line for data whose bounds were not computed (IsInconsistent):
// hasTolerance says whether a tolerance was given at all, tolerance which.
std::string InconsistencyMessage(const SharpAnalysis& analysis,
                                 bool hasTolerance, const Rational& tolerance,
                                 const MessageWords& words);

// The least change of the numbers proven needed: the data check's, the
// moment programs' and the atoms' proven least. Below epsilon where the
// search over the atoms found a change that is enough without proving it
// least; then the messages give both ends.
Rational ProvenLeastChange(const Consistency& c);

// Whether epsilon is only known to be enough (ProvenLeastChange is below it).
bool EpsilonOnlyEnough(const Consistency& c);

// The report's paragraph for the same case (two sentences over four or five
// lines, each ending in a newline): no distribution has the numbers, the change
// they need, and how to ask for widened bounds.
std::string InconsistencyReport(const SharpAnalysis& analysis);

// One line where FullBoundsCross(analysis): no distribution over the atoms
// fits, so the bounds shown say nothing, and what the full program's
// epsilon says to do.
std::string FullCrossMessage(const SharpAnalysis& analysis,
                             const MessageWords& words);

// What the full program's epsilon says to do where its certified bounds
// crossed: its proven ends, and `option` (how the tolerance is passed) set
// to the end that is enough.
std::string FullEpsilonAdvice(const FullEpsilon& epsilon,
                              const std::string& option);

}  // namespace unionbound::sharp

#endif  // UNIONBOUND_SHARP_ANALYSIS_MESSAGES_H_

#include "sharp/analysis/messages.h"

#include <algorithm>

#include "sharp/analysis/bound_rows.h"
#include "sharp/exact/outward_format.h"

namespace unionbound::sharp {

MessageWords CommandLineWords(const std::string& typedTolerance) {
  return {"--tolerance T", "--tolerance " + typedTolerance, "bound above"};
}

MessageWords LibraryWords(const std::string& typed, const Rational& tolerance) {
  return {"a tolerance T",
          "the tolerance " + (typed.empty()
                                  ? FormatOutward(tolerance, 3, Rounding::kDown)
                                  : typed),
          "bound"};
}

namespace {

// Data proven inconsistent by a partition's program alone, where the atoms'
// epsilon could not be found (too many events, or out of time): the change
// they need is unknown, and an epsilon of 0 would advise nothing.
bool EpsilonUnmeasured(const Consistency& c) {
  return !c.consistent && c.epsilon <= 0 && c.infeasibleMultivariate > 0;
}

}  // namespace

Rational ProvenLeastChange(const Consistency& c) {
  Rational least = std::max(c.dataEpsilon, c.programEpsilon);
  if (c.atomsEpsilonKnown) least = std::max(least, c.atomsEpsilonAtLeast);
  return least;
}

bool EpsilonOnlyEnough(const Consistency& c) {
  return !c.consistent && c.atomsEpsilonKnown &&
         ProvenLeastChange(c) < c.epsilon;
}

std::string InconsistencyMessage(const SharpAnalysis& analysis,
                                 bool hasTolerance, const Rational& tolerance,
                                 const MessageWords& words) {
  const Consistency& c = analysis.consistency;
  const std::string epsilon = EpsilonText(c.epsilon);
  // Where only bounds on epsilon are known (the program over atoms), a
  // tolerance between them is not called below it.
  if (hasTolerance && tolerance < c.epsilon && c.atomsEpsilonKnown &&
      tolerance >= c.atomsEpsilonAtLeast) {
    return words.tolerance + " is not proven enough: epsilon lies between " +
           FormatOutward(c.atomsEpsilonAtLeast, 3, Rounding::kDown) + " and " +
           epsilon;
  }
  if (hasTolerance && tolerance < c.epsilon) {
    return words.tolerance + " is below epsilon = " + epsilon;
  }
  if (hasTolerance) {
    return "some program has no distribution even within the tolerance";
  }
  if (EpsilonUnmeasured(c)) {
    return "inconsistent data: a program over a partition of the events has "
           "no distribution, and the change the numbers need was not "
           "measured; check the data";
  }
  return "inconsistent data: epsilon = " + epsilon + "; use " + words.option +
         " with T >= epsilon";
}

std::string InconsistencyReport(const SharpAnalysis& analysis) {
  const Consistency& c = analysis.consistency;
  std::string text =
      "Inconsistent data: no probability distribution has these "
      "intersection\nprobabilities";
  if (EpsilonUnmeasured(c)) {
    return text +
           " (a program over a partition of the events has none;\nthe "
           "change the numbers need was not measured).\n";
  }
  if (EpsilonOnlyEnough(c)) {
    text += " (a change of every number by up to epsilon = " +
            EpsilonText(c.epsilon) + " is enough;\nat least " +
            FormatOutward(ProvenLeastChange(c), 3, Rounding::kDown) +
            " is needed).\n";
  } else if (analysis.widened || !c.consistent) {
    text += " (a change of every number by up to epsilon = " +
            EpsilonText(c.epsilon) + " is needed).\n";
  } else {
    text += ".\n";
  }
  return text +
         "Use --tolerance T with T >= epsilon for bounds that hold for every "
         "consistent\nassignment within T of every number.\n";
}

std::string FullCrossMessage(const SharpAnalysis& analysis,
                             const MessageWords& words) {
  return std::string("no distribution over the atoms fits the numbers ") +
         (analysis.widened ? "within the tolerance" : "as typed") +
         " (proven exactly: crossing certified full bounds or a Farkas "
         "certificate), so no " +
         words.bounds + " says anything; " +
         FullEpsilonAdvice(analysis.fullEpsilon, words.option);
}

std::string FullEpsilonAdvice(const FullEpsilon& epsilon,
                              const std::string& option) {
  if (!epsilon.computed) return "check the data";
  std::string advice = "the full program needs epsilon >= " +
                       FormatOutward(epsilon.atLeast, 3, Rounding::kDown);
  if (!epsilon.sufficesFound) return advice + "; check the data";
  const std::string enough = EpsilonText(epsilon.suffices);
  return advice + " (a change of every number by up to " + enough +
         " fits a distribution over the atoms): use " + option +
         " with T >= " + enough;
}

}  // namespace unionbound::sharp

// The messages that tell the user what is wrong with the numbers of a
// probability file: the problems the data check found, and entries beyond
// the numbers that n and m ask for. Every line starts with "unionbound: "
// and the file's name.
#ifndef UNIONBOUND_DRIVER_DATA_MESSAGES_H_
#define UNIONBOUND_DRIVER_DATA_MESSAGES_H_

#include <cstdint>
#include <ostream>
#include <string>

#include "cli/data_reasons.h"
#include "input/data_check.h"
#include "input/probability_input.h"

namespace unionbound {

// How many problems are shown one by one.
inline constexpr size_t kProblemsShown = 5;

// A heading with the count of problems, one line for each of check.first
// and, when there are more, how many more. Nothing for a clean check.
void WriteDataProblems(const DataCheck& check, const std::string& file,
                       std::ostream& err);

// One problem: "number 133: P{1,2,7} = 0.31 exceeds P{1,7} = 0.3 (number
// 20)". Numbers in the file count from 1.
std::string DescribeProblem(const DataProblem& problem);

// The warning about `left` entries after the `count` numbers read; with
// atLeast, the counting stopped before the end ("at least 4194304 entries").
void WriteEntriesLeft(int64_t left, int32_t count, int32_t n, int32_t m,
                      const std::string& file, std::ostream& err,
                      bool atLeast = false);

}  // namespace unionbound

#endif  // UNIONBOUND_DRIVER_DATA_MESSAGES_H_

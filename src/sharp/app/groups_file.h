// The partition of the events given by hand for the multivariate programs
// (--groups FILE): one line per group, its event numbers (from 1) separated
// by spaces or tabs; blank lines and text after '#' are skipped.
#ifndef UNIONBOUND_SHARP_APP_GROUPS_FILE_H_
#define UNIONBOUND_SHARP_APP_GROUPS_FILE_H_

#include <cstdint>
#include <string>

#include "sharp/moments/partition_program.h"

namespace unionbound::sharp {

// Reads the groups of `text` into *groups. Returns "" when they are a
// partition of 1 .. n (every event in exactly one group), else what is
// wrong in a few words, naming the line where one is at fault.
std::string ParseGroupsText(const std::string& text, int32_t n,
                            EventGroups* groups);

}  // namespace unionbound::sharp

#endif  // UNIONBOUND_SHARP_APP_GROUPS_FILE_H_

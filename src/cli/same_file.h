// Whether two file options of a run name one file, so that writing one
// would destroy the other: the report or JSON document written over the
// probability file it was computed from, or two outputs into one file.
// Files are compared by device and inode, so links and different spellings
// of one path are found; only regular files count (a terminal or /dev/null
// takes any number of writers). A file that does not exist yet cannot be
// the input, but two outputs may name it: those are compared by their
// paths with every link resolved. Touches nothing but stat, fstat and the
// links on the paths; safe from any thread.
#ifndef UNIONBOUND_CLI_SAME_FILE_H_
#define UNIONBOUND_CLI_SAME_FILE_H_

#include <string>
#include <vector>

namespace unionbound {

// One file option as given: "-" stands for the standard stream of the
// descriptor `standardStream` (0 for an input, 1 for an output).
struct FileOption {
  std::string option;  // as named in messages: "-i", "-o", "--json"
  std::string path;
  int standardStream;
};

// The first two options, in the order given, that name one regular file;
// nullptr pair members when none do. Options with an empty path are
// skipped.
struct SharedFile {
  const FileOption* first = nullptr;
  const FileOption* second = nullptr;
};
SharedFile FindSharedFile(const std::vector<FileOption>& options);

// "unionbound: -o result.txt is the probability file -i prob.txt: ..." for
// a pair FindSharedFile found: one line without its line end, telling what
// to do. `program` starts the line.
std::string SharedFileMessage(const std::string& program,
                              const SharedFile& shared);

}  // namespace unionbound

#endif  // UNIONBOUND_CLI_SAME_FILE_H_

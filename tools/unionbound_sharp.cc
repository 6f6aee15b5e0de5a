// unionbound-sharp: the sharpest bounds on the probability of a union that
// the intersection probabilities allow, certified, beside unionbound's own.
#include <gmp.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <iostream>
#include <new>
#include <string>
#include <vector>

#include "sharp/app/command.h"

namespace {

constexpr const char* kOutOfMemory =
    "unionbound-sharp: out of memory; nothing usable was computed (try "
    "smaller n or m, or a machine with more memory)\n";

// The memory ran out where no handler can unwind (a computing thread, or
// inside the exact arithmetic): the line and the status all the same. The
// CSV and JSON files are put in place only once complete, so an earlier
// file is left as it was.
[[noreturn]] void EndOutOfMemory() {
  const ssize_t ignored =
      write(STDERR_FILENO, kOutOfMemory, std::strlen(kOutOfMemory));
  (void)ignored;
  _exit(unionbound::kExitOutOfMemory);
}

// Anything else the system refused (a thread that cannot be started when
// the process limit is reached, say) ends the run with one line and status
// 2, never with an abort. The CSV and JSON files are put in place only once
// complete, so none is left half-written.
constexpr const char* kRunStopped = "unionbound-sharp: the run stopped: ";
constexpr const char* kRunStoppedAdvice =
    "; no bounds of this run can be used (try again when the system has "
    "threads and memory to spare)\n";

[[noreturn]] void EndStopped(const char* what) {
  for (const char* part : {kRunStopped, what, kRunStoppedAdvice}) {
    const ssize_t ignored = write(STDERR_FILENO, part, std::strlen(part));
    (void)ignored;
  }
  _exit(unionbound::kExitUntrustworthy);
}

void EndOnTerminate() {
  if (const std::exception_ptr thrown = std::current_exception()) {
    try {
      std::rethrow_exception(thrown);
    } catch (const std::bad_alloc&) {
      EndOutOfMemory();
    } catch (const std::exception& e) {
      EndStopped(e.what());
    } catch (...) {
      EndStopped("an unknown error");
    }
  }
  std::abort();
}

// The exact arithmetic's allocators: its own ones abort on failure.
void* Allocate(size_t size) {
  void* block = std::malloc(size);
  if (block == nullptr) EndOutOfMemory();
  return block;
}
void* Reallocate(void* block, size_t, size_t size) {
  void* moved = std::realloc(block, size);
  if (moved == nullptr) EndOutOfMemory();
  return moved;
}
void Free(void* block, size_t) { std::free(block); }

}  // namespace

int main(int argc, char** argv) {
  std::set_terminate(EndOnTerminate);
  mp_set_memory_functions(Allocate, Reallocate, Free);
  try {
    const std::vector<std::string> args(argv + 1, argv + argc);
    return unionbound::sharp::RunSharpCommand(args, std::cout, std::cerr,
                                              isatty(STDERR_FILENO) == 1);
  } catch (const std::bad_alloc&) {
    std::cerr << kOutOfMemory;
    return unionbound::kExitOutOfMemory;
  } catch (const std::exception& e) {
    // Unwound to here: temporary output files are already removed.
    std::cerr << kRunStopped << e.what() << kRunStoppedAdvice;
    return unionbound::kExitUntrustworthy;
  }
}

// run_measured: runs a command as a child process, with this process's
// standard streams, and reports its wall time, its processor time (user +
// system) and its peak resident memory, which the kernel records for the
// child.
//
//   run_measured REPORT COMMAND [ARGS...]
//
// Writes "WALL_SECONDS CPU_SECONDS MAX_RSS_KB" to the file REPORT and exits
// with the command's exit status.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: run_measured REPORT COMMAND [ARGS...]\n");
    return 125;
  }
  const auto start = std::chrono::steady_clock::now();
  const pid_t child = fork();
  if (child < 0) return 125;
  if (child == 0) {
    execvp(argv[2], argv + 2);
    std::perror("run_measured: exec");
    _exit(127);
  }
  int status = 0;
  rusage usage{};
  if (wait4(child, &status, 0, &usage) < 0) return 125;
  const std::chrono::duration<double> wall =
      std::chrono::steady_clock::now() - start;
  const double cpu = usage.ru_utime.tv_sec + usage.ru_utime.tv_usec * 1e-6 +
                     usage.ru_stime.tv_sec + usage.ru_stime.tv_usec * 1e-6;
  std::FILE* report = std::fopen(argv[1], "w");
  if (report == nullptr) return 125;
  std::fprintf(report, "%.3f %.3f %ld\n", wall.count(), cpu, usage.ru_maxrss);
  std::fclose(report);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 126;
}

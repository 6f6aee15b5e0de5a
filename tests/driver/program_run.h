// Runs the built unionbound program in a fresh temporary folder with a given
// prob.txt and standard input, and collects everything it leaves behind.
#ifndef UNIONBOUND_TESTS_DRIVER_PROGRAM_RUN_H_
#define UNIONBOUND_TESTS_DRIVER_PROGRAM_RUN_H_

#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace unionbound::testing {

inline std::string ReadWholeFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

inline void WriteWholeFile(const std::filesystem::path& path,
                           const std::string& text) {
  std::ofstream out(path, std::ios::binary);
  out << text;
}

// A temporary folder that is removed again at the end of the test.
class TempFolder {
 public:
  TempFolder() {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "unionbound-XXXXXX").string();
    path_ = mkdtemp(pattern.data());
  }
  ~TempFolder() {
    std::error_code ignored;
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                 ignored);
    std::filesystem::remove_all(path_, ignored);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

struct ProgramRun {
  int status = -1;
  std::string out;
  std::string err;
  std::optional<std::string> report;  // result.txt, when it exists
};

// Runs the program in folder. `shell` (commands of /bin/sh) runs first in
// the shell that starts the program, and `stdin_redirect` gives its standard
// input; prob.txt and anything else must already be in place.
inline ProgramRun RunProgramInShell(const std::filesystem::path& folder,
                                    const std::string& shell,
                                    const std::string& stdin_redirect) {
  const std::string command = "cd '" + folder.string() + "' && " + shell +
                              " '" + UNIONBOUND_BINARY + "' " + stdin_redirect +
                              " > stdout.txt 2> stderr.txt";
  const int raw = std::system(command.c_str());
  ProgramRun run;
  run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  run.out = ReadWholeFile(folder / "stdout.txt");
  run.err = ReadWholeFile(folder / "stderr.txt");
  if (std::filesystem::is_regular_file(folder / "result.txt")) {
    run.report = ReadWholeFile(folder / "result.txt");
  }
  return run;
}

// Runs the program in folder with the given standard input.
inline ProgramRun RunProgramIn(const std::filesystem::path& folder,
                               const std::string& input) {
  WriteWholeFile(folder / "stdin.txt", input);
  return RunProgramInShell(folder, "", "< stdin.txt");
}

// Runs in a fresh folder holding prob_txt as prob.txt.
inline ProgramRun RunProgram(const std::string& prob_txt,
                             const std::string& input) {
  TempFolder folder;
  WriteWholeFile(folder.path() / "prob.txt", prob_txt);
  return RunProgramIn(folder.path(), input);
}

inline std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  std::string line;
  while (std::getline(in, line)) lines.push_back(line);
  return lines;
}

}  // namespace unionbound::testing

#endif  // UNIONBOUND_TESTS_DRIVER_PROGRAM_RUN_H_

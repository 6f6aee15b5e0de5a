#include "cli/same_file.h"

#include <sys/stat.h>

#include <cerrno>
#include <filesystem>
#include <optional>
#include <system_error>

namespace unionbound {

namespace {

// A file's identity: its device and inode when it exists as a regular
// file; its path with every link and "." or ".." resolved when it does not
// exist yet (two outputs may still name it); nothing otherwise.
struct Identity {
  dev_t device = 0;
  ino_t inode = 0;
  std::string futurePath;
  bool operator==(const Identity&) const = default;
};

std::optional<Identity> IdentityOf(const FileOption& option) {
  struct stat status;
  const int found = option.path == "-" ? fstat(option.standardStream, &status)
                                       : stat(option.path.c_str(), &status);
  if (found == 0) {
    if (!S_ISREG(status.st_mode)) return std::nullopt;
    return Identity{status.st_dev, status.st_ino, ""};
  }
  if (option.path == "-" || errno != ENOENT) return std::nullopt;
  std::error_code error;
  const std::filesystem::path absolute =
      std::filesystem::absolute(option.path, error);
  if (error) return std::nullopt;
  const std::filesystem::path resolved =
      std::filesystem::weakly_canonical(absolute, error);
  if (error) return std::nullopt;
  return Identity{0, 0, resolved.string()};
}

std::string Named(const FileOption& option) {
  if (option.path == "-") {
    return option.option + " - (standard " +
           (option.standardStream == 0 ? "input" : "output") + ")";
  }
  return option.option + " " + option.path;
}

}  // namespace

SharedFile FindSharedFile(const std::vector<FileOption>& options) {
  std::vector<std::optional<Identity>> identities;
  for (const FileOption& option : options) {
    identities.push_back(option.path.empty() ? std::nullopt
                                             : IdentityOf(option));
  }
  for (size_t i = 0; i < options.size(); ++i) {
    for (size_t j = i + 1; j < options.size(); ++j) {
      if (identities[i] && identities[i] == identities[j]) {
        return SharedFile{&options[i], &options[j]};
      }
    }
  }
  return SharedFile();
}

std::string SharedFileMessage(const std::string& program,
                              const SharedFile& shared) {
  if (shared.first == nullptr) return "";
  const bool input = shared.first->standardStream == 0;
  return program + ": " + Named(*shared.second) + " is the same file as " +
         Named(*shared.first) + "; writing it would " +
         (input ? "destroy the numbers it is computed from"
                : "lose one of the two") +
         ": name another file (nothing was read)";
}

}  // namespace unionbound

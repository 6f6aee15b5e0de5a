#include "cli/report_file.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace unionbound {

namespace {

// The temporary files that a termination signal must remove (the report,
// or a program's CSV file and JSON document at once), kept where a signal
// handler may read them: fixed buffers and flags, nothing that allocates.
constexpr int kSlots = 4;
char gTemporaryPaths[kSlots][4096];
volatile sig_atomic_t gTemporaryArmed[kSlots] = {};
int gArmedCount = 0;

constexpr int kCleanedSignals[] = {SIGHUP,  SIGINT,  SIGQUIT, SIGTERM,
                                   SIGPIPE, SIGXFSZ, SIGXCPU};
constexpr int kSignalCount = sizeof(kCleanedSignals) / sizeof(int);
struct sigaction gPreviousActions[kSignalCount];
bool gHandlersInstalled[kSignalCount];

// Only async-signal-safe calls: unlink, then the signal again with its
// default action (SA_RESETHAND has restored it), delivered on return.
extern "C" void RemoveTemporaryOnSignal(int signal) {
  for (int slot = 0; slot < kSlots; ++slot) {
    if (gTemporaryArmed[slot]) unlink(gTemporaryPaths[slot]);
  }
  raise(signal);
}

void InstallCleanupHandlers() {
  for (int i = 0; i < kSignalCount; ++i) {
    gHandlersInstalled[i] = false;
    struct sigaction previous;
    if (sigaction(kCleanedSignals[i], nullptr, &previous) != 0) continue;
    // A signal the caller ignores stays ignored: a run under nohup, or a
    // file-size limit with SIGXFSZ ignored, keeps going as before.
    if (previous.sa_handler == SIG_IGN) continue;
    struct sigaction action;
    std::memset(&action, 0, sizeof action);
    action.sa_handler = RemoveTemporaryOnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESETHAND;
    if (sigaction(kCleanedSignals[i], &action, &gPreviousActions[i]) == 0) {
      gHandlersInstalled[i] = true;
    }
  }
}

void RestorePreviousHandlers() {
  for (int i = 0; i < kSignalCount; ++i) {
    if (gHandlersInstalled[i]) {
      sigaction(kCleanedSignals[i], &gPreviousActions[i], nullptr);
      gHandlersInstalled[i] = false;
    }
  }
}

// The slot that now holds path, or -1 when none is free; the handlers are
// installed with the first.
int ArmCleanup(const std::string& path) {
  if (path.size() >= sizeof gTemporaryPaths[0]) return -1;
  for (int slot = 0; slot < kSlots; ++slot) {
    if (gTemporaryArmed[slot]) continue;
    std::memcpy(gTemporaryPaths[slot], path.c_str(), path.size() + 1);
    gTemporaryArmed[slot] = 1;
    if (gArmedCount++ == 0) InstallCleanupHandlers();
    return slot;
  }
  return -1;
}

void DisarmCleanup(int slot) {
  if (slot < 0 || !gTemporaryArmed[slot]) return;
  gTemporaryArmed[slot] = 0;
  if (--gArmedCount == 0) RestorePreviousHandlers();
}

std::string FolderOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

std::string BaseOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The permissions the finished report gets: those of the file it replaces,
// or those a newly created file would get.
mode_t ReportMode(bool targetExists, const struct stat& target) {
  if (targetExists) return target.st_mode & 07777;
  const mode_t mask = umask(0);
  umask(mask);
  return 0666 & ~mask;
}

}  // namespace

std::string FollowLinks(const std::string& name) {
  constexpr int kMaxLinks = 40;  // as the kernel allows on one path
  std::string path = name;
  for (int step = 0; step < kMaxLinks; ++step) {
    struct stat status;
    if (lstat(path.c_str(), &status) != 0 || !S_ISLNK(status.st_mode)) {
      return path;
    }
    std::string link(static_cast<size_t>(status.st_size) + 1, '\0');
    const ssize_t length = readlink(path.c_str(), link.data(), link.size());
    if (length <= 0 || static_cast<size_t>(length) >= link.size()) {
      return name;
    }
    link.resize(static_cast<size_t>(length));
    path = link[0] == '/' ? link : FolderOf(path) + "/" + link;
  }
  return name;
}

ReportFile::ReportFile(const std::string& name, std::ostream& err)
    : name_(name), target_(FollowLinks(name)) {
  struct stat target;
  const bool exists = stat(target_.c_str(), &target) == 0;
  if (exists && !S_ISREG(target.st_mode)) {
    // A device or a pipe takes the writes as they come; a directory fails
    // to open either way.
    OpenInPlace();
  } else {
    std::string pattern =
        FolderOf(target_) + "/." + BaseOf(target_) + ".tmp-XXXXXX";
    const int fd = mkstemp(pattern.data());
    if (fd >= 0) {
      slot_ = ArmCleanup(pattern);
      if (slot_ >= 0) tempPath_ = pattern;
      const bool prepared =
          !tempPath_.empty() && fchmod(fd, ReportMode(exists, target)) == 0;
      close(fd);
      if (prepared) stream_.open(tempPath_, std::ios::out | std::ios::trunc);
      if (!stream_.is_open()) {
        if (tempPath_.empty()) {
          unlink(pattern.c_str());
        } else {
          RemoveTemporary();
        }
      }
    }
    if (!stream_.is_open()) {
      const int reason = errno;
      OpenInPlace();
      if (stream_.is_open()) {
        err << "unionbound: cannot make a temporary file beside " << name_
            << " (" << std::strerror(reason) << "); writing " << name_
            << " directly, so an interrupted run leaves it incomplete"
            << std::endl;
      }
    }
  }
  if (!stream_.is_open()) {
    err << "unionbound: cannot open " << name_
        << " for writing; the run goes on without a report" << std::endl;
  }
}

ReportFile::~ReportFile() {
  if (stream_.is_open()) stream_.close();
  if (!tempPath_.empty()) RemoveTemporary();
}

void ReportFile::OpenInPlace() {
  stream_.open(name_, std::ios::out | std::ios::trunc);
}

void ReportFile::RemoveTemporary() {
  unlink(tempPath_.c_str());
  DisarmCleanup(slot_);
  slot_ = -1;
  tempPath_.clear();
}

bool ReportFile::Commit(std::ostream& err) {
  stream_.close();
  if (stream_.fail()) {
    if (tempPath_.empty()) {
      err << "unionbound: writing " << name_
          << " failed; the report is incomplete" << std::endl;
    } else {
      RemoveTemporary();
      err << "unionbound: writing " << name_
          << " failed; no report was written and an earlier " << name_
          << " is left as it was" << std::endl;
    }
    return false;
  }
  if (tempPath_.empty()) return true;
  if (rename(tempPath_.c_str(), target_.c_str()) != 0) {
    const int reason = errno;
    RemoveTemporary();
    err << "unionbound: cannot put the finished report in place as " << name_
        << " (" << std::strerror(reason) << "); an earlier " << name_
        << " is left as it was" << std::endl;
    return false;
  }
  DisarmCleanup(slot_);
  slot_ = -1;
  tempPath_.clear();
  return true;
}

}  // namespace unionbound

// The report file, complete or absent: the report is written to a temporary
// file beside its target and renamed over it only once it is complete, so an
// interrupted or failed run leaves the previous report byte for byte. A
// report name that is a symbolic link keeps pointing where it pointed: the
// link is followed and its target replaced. Where no temporary file can be
// made beside the target, or the target is no regular file (a device, say),
// the report is written in place.
//
// While a temporary file exists, the usual termination signals remove it
// before the program ends; a kill that cannot be caught leaves a hidden
// file named .NAME.tmp-XXXXXX beside the target and the target untouched.
// Up to four such files at a time per process (the companion writes its CSV
// file and JSON document together), opened and committed on one thread.
#ifndef UNIONBOUND_CLI_REPORT_FILE_H_
#define UNIONBOUND_CLI_REPORT_FILE_H_

#include <fstream>
#include <ostream>
#include <string>

namespace unionbound {

class ReportFile {
 public:
  // Opens the report for writing; failures are said on err when they
  // matter: a report that cannot be opened at all, or one that had to be
  // written in place because no temporary file could be made.
  ReportFile(const std::string& name, std::ostream& err);
  // Removes a temporary file that was not committed.
  ~ReportFile();
  ReportFile(const ReportFile&) = delete;
  ReportFile& operator=(const ReportFile&) = delete;

  bool opened() const { return stream_.is_open(); }
  // Whether the report goes to a temporary file first.
  bool replacesAtomically() const { return !tempPath_.empty(); }
  // Writes to a report that did not open are dropped.
  std::ostream& stream() { return stream_; }

  // Closes the report and, if every write succeeded, puts it in place.
  // False, with a line on err, when writing, closing or renaming failed; a
  // temporary file is then removed and the earlier report stays as it was.
  bool Commit(std::ostream& err);

 private:
  void OpenInPlace();
  void RemoveTemporary();

  std::string name_;      // as the user knows it
  std::string target_;    // the name with symbolic links followed
  std::string tempPath_;  // empty when writing in place
  int slot_ = -1;         // of the signal cleanup
  std::ofstream stream_;
};

// The path a name leads to once every symbolic link on the name itself is
// followed, whether or not the final target exists; the name itself when a
// link cannot be read or the links run in a circle.
std::string FollowLinks(const std::string& name);

}  // namespace unionbound

#endif  // UNIONBOUND_CLI_REPORT_FILE_H_

// A stream for the messages of a run: every character goes on to standard
// error (or any other stream) at once, and every complete line is kept, so
// that the JSON document can repeat the messages the user saw.
#ifndef UNIONBOUND_DRIVER_MESSAGE_LOG_H_
#define UNIONBOUND_DRIVER_MESSAGE_LOG_H_

#include <ostream>
#include <streambuf>
#include <string>
#include <vector>

namespace unionbound {

class MessageLog : public std::ostream {
 public:
  explicit MessageLog(std::ostream& target);
  MessageLog(const MessageLog&) = delete;
  MessageLog& operator=(const MessageLog&) = delete;

  // The lines so far, without their line ends; a last line that has not
  // ended yet included.
  std::vector<std::string> Lines() const;

 private:
  class Tee : public std::streambuf {
   public:
    explicit Tee(std::streambuf* target) : target_(target) {}
    std::vector<std::string> lines;
    std::string partial;

   protected:
    int_type overflow(int_type c) override;
    std::streamsize xsputn(const char* s, std::streamsize count) override;
    int sync() override;

   private:
    void Keep(char c);
    std::streambuf* target_;
  };
  Tee tee_;
};

}  // namespace unionbound

#endif  // UNIONBOUND_DRIVER_MESSAGE_LOG_H_

// Where the numeric code writes its messages (a singular matrix, vectors of
// different sizes): the stream of the innermost MessageSink alive on the
// calling thread, standard output when there is none, as the program
// unionbound prints them amid its console output. A caller that must keep
// them apart (the companion, the library) opens a sink around its call; the
// stream is chosen per thread, so calls on other threads and the program's
// own standard output are untouched.
//
// Thread safety: a sink affects only the thread that opened it; the stream
// it names must outlive it and is written by that thread alone.
#ifndef UNIONBOUND_NUMERIC_LIBRARY_MESSAGES_H_
#define UNIONBOUND_NUMERIC_LIBRARY_MESSAGES_H_

#include <ostream>

namespace unionbound {

// The stream the calling thread's messages go to.
std::ostream& LibraryMessages();

// Sends the calling thread's messages to `out` while it lives; sinks nest.
class MessageSink {
 public:
  explicit MessageSink(std::ostream& out);
  ~MessageSink();
  MessageSink(const MessageSink&) = delete;
  MessageSink& operator=(const MessageSink&) = delete;

 private:
  std::ostream* previous_;
};

}  // namespace unionbound

#endif  // UNIONBOUND_NUMERIC_LIBRARY_MESSAGES_H_

#include "numeric/library_messages.h"

#include <iostream>

namespace unionbound {
namespace {

thread_local std::ostream* current = nullptr;

}  // namespace

std::ostream& LibraryMessages() { return current ? *current : std::cout; }

MessageSink::MessageSink(std::ostream& out) : previous_(current) {
  current = &out;
}

MessageSink::~MessageSink() { current = previous_; }

}  // namespace unionbound

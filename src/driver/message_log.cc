#include "driver/message_log.h"

namespace unionbound {

MessageLog::MessageLog(std::ostream& target)
    : std::ostream(nullptr), tee_(target.rdbuf()) {
  rdbuf(&tee_);
}

std::vector<std::string> MessageLog::Lines() const {
  std::vector<std::string> lines = tee_.lines;
  if (!tee_.partial.empty()) lines.push_back(tee_.partial);
  return lines;
}

void MessageLog::Tee::Keep(char c) {
  if (c == '\n') {
    lines.push_back(partial);
    partial.clear();
  } else {
    partial.push_back(c);
  }
}

MessageLog::Tee::int_type MessageLog::Tee::overflow(int_type c) {
  if (traits_type::eq_int_type(c, traits_type::eof())) return 0;
  Keep(traits_type::to_char_type(c));
  return target_->sputc(traits_type::to_char_type(c));
}

std::streamsize MessageLog::Tee::xsputn(const char* s, std::streamsize count) {
  for (std::streamsize i = 0; i < count; ++i) Keep(s[i]);
  return target_->sputn(s, count);
}

int MessageLog::Tee::sync() { return target_->pubsync(); }

}  // namespace unionbound

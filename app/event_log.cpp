#include "app/event_log.h"

#include <utility>

#include "platform/system_error.h"

namespace stravener {

void EventLog::LogSystemError(LogKind kind, uint32_t code) {
  std::string text;
  if (!SystemErrorText(code, text)) return;
  Add(kind, std::move(text));
}

void EventLog::Add(LogKind kind, std::string text) {
  bool dropped = false;
  if (entries_.size() >= kMaxEntries) {
    entries_.pop_front();
    dropped = true;
  }
  entries_.push_back(LogEntry{kind, std::move(text)});
  if (listener_) listener_(entries_.back(), dropped);
}

}  // namespace stravener

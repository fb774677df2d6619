#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <string>

#include "app/format.h"
#include "app/language.h"

namespace stravener {

// The kind of an event log line; also the index of its picture.
enum class LogKind : int { Error = 0, Info = 1, Separator = 2 };

struct LogEntry {
  LogKind kind;
  std::string text;
};

// The event log: every operation reports what it does as lines here, and each front end
// shows them (the desktop window in its list, the command line on stderr). It keeps at
// most 501 lines: with more than 500 present, an addition first drops the oldest.
class EventLog {
 public:
  static constexpr size_t kMaxEntries = 501;

  // Called after every addition, with the new line and whether the oldest line was
  // dropped to make room. The front ends show the line and repaint at once from here.
  using Listener = std::function<void(const LogEntry& added, bool droppedOldest)>;

  // Adds a line formatted by the printf rules (FormatText); the text has no length limit.
  template <typename... Args>
  void LogLine(LogKind kind, const char* format, const Args&... args) {
    Add(kind, FormatText(format, args...));
  }

  // Adds the operating system's text for an error code as one line, taken literally (a
  // percent sign in it stays as it is). Nothing is added when the system has no text.
  void LogSystemError(LogKind kind, uint32_t code);

  // Adds a ready-made line.
  void Add(LogKind kind, std::string text);

  const std::deque<LogEntry>& Entries() const { return entries_; }
  void SetListener(Listener listener) { listener_ = std::move(listener); }

 private:
  std::deque<LogEntry> entries_;
  Listener listener_;
};

}  // namespace stravener

// Logs a line from a Polish/English pair of printf formats in the current language; the
// compiler checks both formats against the arguments.
#define LOG_TEXT(log, kind, polish, english, ...)                                    \
  do {                                                                               \
    STRAVENER_CHECK_PAIR(polish, english __VA_OPT__(, ) __VA_ARGS__);                \
    (log).Add((kind), ::stravener::FormatText(::stravener::PickTextOrEmpty((polish), \
                                                                           (english)) \
                                                  __VA_OPT__(, ) __VA_ARGS__));      \
  } while (0)

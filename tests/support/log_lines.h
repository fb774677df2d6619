#pragma once

#include <string>
#include <vector>

#include "app/event_log.h"
#include "platform/system_error.h"

// The event log's lines as "E text", "I text" or "S text" (Error, Info, Separator), so a
// test can compare kinds and texts at once.
inline std::vector<std::string> LogLines(const stravener::EventLog& log) {
  std::vector<std::string> lines;
  for (const stravener::LogEntry& entry : log.Entries()) {
    const char* kind = entry.kind == stravener::LogKind::Error ? "E " : entry.kind == stravener::LogKind::Info ? "I " : "S ";
    lines.push_back(kind + entry.text);
  }
  return lines;
}

// The line LogSystemError adds for a code, as LogLines shows it.
inline std::string SystemTextLine(uint32_t code) {
  std::string text;
  if (!stravener::SystemErrorText(code, text)) return "E <no system text>";
  return "E " + text;
}

#pragma once

#include <QIcon>
#include <array>

#include "app/event_log.h"

class QListWidget;

namespace stravener::gui {

// Shows the lines of an EventLog in a list: one line a row with the picture of its kind,
// the newest row scrolled into view, at most as many rows as the log keeps. Each row's tip
// is its whole line, for a line cut off at the list's edge.
class EventLogView {
 public:
  explicit EventLogView(QListWidget& list);
  EventLogView(const EventLogView&) = delete;
  EventLogView& operator=(const EventLogView&) = delete;

  // A line added to the log; when droppedOldest, the oldest row goes first.
  void Add(const LogEntry& entry, bool droppedOldest);

 private:
  void Append(const LogEntry& entry);

  QListWidget& list_;
  std::array<QIcon, 3> pictures_;
};

}  // namespace stravener::gui

#pragma once

#include <QIcon>
#include <array>
#include <functional>

#include "app/event_log.h"

class QListWidget;

namespace stravener::gui {

// Shows an EventLog in a list: one line a row with the picture of its kind, the newest
// row scrolled into view, at most as many rows as the log keeps. Every addition calls the
// repaint function so the line shows at once, also while an operation is running.
class EventLogView {
 public:
  EventLogView(EventLog& log, QListWidget& list, std::function<void()> repaint);
  ~EventLogView();
  EventLogView(const EventLogView&) = delete;
  EventLogView& operator=(const EventLogView&) = delete;

 private:
  void Append(const LogEntry& entry);

  EventLog& log_;
  QListWidget& list_;
  std::function<void()> repaint_;
  std::array<QIcon, 3> pictures_;
};

}  // namespace stravener::gui

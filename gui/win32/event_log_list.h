#pragma once

#include <windows.h>
#include <commctrl.h>

#include "app/event_log.h"

namespace stravener::win32 {

// Shows an event log in the main window's list view (report view, one column without a
// header): each line with the picture of its kind, at most as many lines as the log keeps,
// scrolled so that the newest line is wholly visible. A line cut off at the list's edge
// shows whole in a tip while the mouse rests on it.
class EventLogList {
 public:
  // The list view, and the picture list it shows the kinds with (kept by the caller).
  void Attach(HWND list, HIMAGELIST pictures);
  // Before the list view goes: it lets go of the picture list, which its owner destroys.
  void Detach();
  // After the window changed its scale: pictures of the new size (the old ones are let
  // go, for the caller to destroy), and the column as wide as the list again.
  void Rescale(HIMAGELIST pictures);
  // After the list changed its size: the column as wide as the list again.
  void FitColumn();

  // A line added to the log; `droppedOldest` when the log let its oldest line go for it.
  void Add(const LogEntry& entry, bool droppedOldest);

 private:
  HWND list_ = nullptr;
};

}  // namespace stravener::win32

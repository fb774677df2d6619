#include "gui/qt/event_log_view.h"

#include <QListWidget>

#include "gui/qt/pictures.h"

namespace stravener::gui {

EventLogView::EventLogView(QListWidget& list) : list_(list) {
  pictures_ = {LogPicture(LogKind::Error), LogPicture(LogKind::Info), LogPicture(LogKind::Separator)};
}

void EventLogView::Add(const LogEntry& entry, bool droppedOldest) {
  if (droppedOldest && list_.count() > 0) delete list_.takeItem(0);
  Append(entry);
  list_.scrollToItem(list_.item(list_.count() - 1), QAbstractItemView::EnsureVisible);
}

void EventLogView::Append(const LogEntry& entry) {
  const int kind = static_cast<int>(entry.kind);
  const QIcon& picture = kind >= 0 && kind < 3 ? pictures_[static_cast<size_t>(kind)] : pictures_[2];
  const QString text = QString::fromStdString(entry.text);
  auto* item = new QListWidgetItem(picture, text);
  item->setToolTip(text);  // a line cut off at the list's edge is read whole here
  item->setData(Qt::UserRole, kind);
  list_.addItem(item);
}

}  // namespace stravener::gui

#include "gui/qt/tooltip_filter.h"

#include <QHelpEvent>
#include <QToolTip>
#include <QWidget>

#include "gui/common/command_table.h"

namespace stravener::gui {

bool TooltipFilter::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() != QEvent::ToolTip) return QObject::eventFilter(watched, event);
  auto* widget = qobject_cast<QWidget*>(watched);
  auto* help = static_cast<QHelpEvent*>(event);
  bool isId = false;
  const int id = widget != nullptr ? widget->objectName().toInt(&isId) : 0;
  const char* text = isId && id != 0 ? TooltipText(id) : nullptr;
  if (widget != nullptr && widget->isEnabled() && text != nullptr) {
    QToolTip::showText(help->globalPos(), QString::fromUtf8(text), widget);
  } else {
    // A disabled control asks in vain: no tip at all.
    QToolTip::hideText();
    event->ignore();
  }
  return true;
}

}  // namespace stravener::gui

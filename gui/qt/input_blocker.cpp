#include "gui/qt/input_blocker.h"

#include <QCoreApplication>
#include <QEvent>
#include <QWindow>

namespace stravener::gui {

InputBlocker::InputBlocker(QWidget* window) : window_(window) {
  QCoreApplication::instance()->installEventFilter(this);
}

InputBlocker::~InputBlocker() {
  if (QCoreApplication::instance() != nullptr) QCoreApplication::instance()->removeEventFilter(this);
}

bool InputBlocker::IsUserInput(int eventType) {
  switch (static_cast<QEvent::Type>(eventType)) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::Wheel:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TabletPress:
    case QEvent::TabletRelease:
    case QEvent::ContextMenu:
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop:
    case QEvent::ToolTip:
    case QEvent::Close:
      return true;
    default:
      return false;
  }
}

bool InputBlocker::eventFilter(QObject* watched, QEvent* event) {
  if (window_ == nullptr || !IsUserInput(event->type())) return QObject::eventFilter(watched, event);
  // Input from the window system reaches the window's native window first, where a click
  // would already move the focus; input sent to a widget directly is caught there.
  const bool toWindow = (watched->isWindowType() && watched == window_->windowHandle()) ||
                        (watched->isWidgetType() && static_cast<QWidget*>(watched)->window() == window_);
  if (toWindow) {
    event->ignore();
    ++dropped_;
    return true;
  }
  return QObject::eventFilter(watched, event);
}

}  // namespace stravener::gui

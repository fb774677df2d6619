#include "gui/qt/input_blocker.h"

#include <QCoreApplication>
#include <QEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWindow>

namespace stravener::gui {

InputBlocker::InputBlocker(QWidget* window, QAbstractButton* clickable) : window_(window), clickable_(clickable) {
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

bool InputBlocker::Passes(QObject* watched, QEvent* event) const {
  switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
      return static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape;
    case QEvent::Close:
      return watched == window_ || watched == window_->windowHandle();
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick: {
      if (clickable_ == nullptr || !clickable_->isEnabled()) return false;
      if (watched == clickable_) return true;
      if (watched != window_->windowHandle()) return false;
      // From the window system: a click over the button, or the release of its press.
      const QPoint at = static_cast<QMouseEvent*>(event)->position().toPoint();
      return clickable_->isDown() || window_->childAt(at) == clickable_;
    }
    default:
      return false;
  }
}

bool InputBlocker::eventFilter(QObject* watched, QEvent* event) {
  if (window_ == nullptr || !IsUserInput(event->type()) || Passes(watched, event)) {
    return QObject::eventFilter(watched, event);
  }
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

#pragma once

#include <QApplication>
#include <QElapsedTimer>
#include <QMessageBox>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <gtest/gtest.h>
#include <cstdlib>
#include <functional>
#include <string>

#include "support/scoped_config_home.h"
#include "support/temp_dir.h"

// Acts on the next modal window that opens (a dialog or message box run with exec()), once
// it is showing. The action usually records what it sees and closes the window. Used
// before the call that opens the window; Seen() tells whether it came.
class OnNextModal {
 public:
  explicit OnNextModal(std::function<void(QWidget*)> action) : action_(std::move(action)) {
    before_ = QApplication::activeModalWidget();
    timer_.setInterval(5);
    QObject::connect(&timer_, &QTimer::timeout, [this] { Poll(); });
    timer_.start();
    clock_.start();
  }
  ~OnNextModal() { timer_.stop(); }
  bool Seen() const { return seen_; }

 private:
  void Poll() {
    QWidget* modal = QApplication::activeModalWidget();
    if (modal != nullptr && modal != before_ && modal->isVisible()) {
      timer_.stop();
      seen_ = true;
      action_(modal);
      return;
    }
    if (clock_.elapsed() > 5000) timer_.stop();  // never came: Seen() stays false
  }

  std::function<void(QWidget*)> action_;
  QPointer<QWidget> before_;
  QTimer timer_;
  QElapsedTimer clock_;
  bool seen_ = false;
};

// Records the text, caption and icon of the next message box and presses its first button
// (OK, where it has one).
struct NextMessageBox {
  std::string text, caption;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  OnNextModal watcher{[this](QWidget* modal) {
    auto* box = qobject_cast<QMessageBox*>(modal);
    ASSERT_NE(box, nullptr);
    text = box->text().toStdString();
    caption = box->windowTitle().toStdString();
    icon = box->icon();
    box->buttons().front()->click();
  }};
};

// The widget of a control id in a window.
template <typename T>
T* Control(QWidget& window, int id) {
  return window.findChild<T*>(QString::number(id));
}

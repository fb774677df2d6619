#pragma once

#include <QObject>
#include <QPointer>
#include <QWidget>

namespace stravener::gui {

// While an operation runs inside a click handler, the window still repaints (the event
// log and the progress bar force it), but no click, key, wheel, drop or close request may
// reach it: such input is dropped, not kept for later. Dialogs that the operation opens
// itself (message boxes, file choices) are separate windows and take input as usual.
// Installed on the application for its lifetime.
class InputBlocker : public QObject {
  Q_OBJECT
 public:
  explicit InputBlocker(QWidget* window);
  ~InputBlocker() override;
  InputBlocker(const InputBlocker&) = delete;
  InputBlocker& operator=(const InputBlocker&) = delete;

  // The number of input events dropped so far.
  int Dropped() const { return dropped_; }

  // Whether an event of this type is input from the user.
  static bool IsUserInput(int eventType);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QPointer<QWidget> window_;
  int dropped_ = 0;
};

}  // namespace stravener::gui

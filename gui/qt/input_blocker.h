#pragma once

#include <QAbstractButton>
#include <QObject>
#include <QPointer>
#include <QWidget>

namespace stravener::gui {

// While an operation runs inside a click handler, the window still repaints (the event
// log and the progress bar force it), but no click, key, wheel or drop may reach it: such
// input is dropped, not kept for later. Only what stops the operation passes: Escape, a
// close request, and clicks on the one button that stays enabled (Exit). Dialogs that the
// operation opens itself (message boxes, file choices) are separate windows and take input
// as usual. Installed on the application for its lifetime.
class InputBlocker : public QObject {
  Q_OBJECT
 public:
  // `clickable`: the button whose clicks pass, or null.
  explicit InputBlocker(QWidget* window, QAbstractButton* clickable = nullptr);
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
  // Escape, a close request of the window, or a click on the clickable button.
  bool Passes(QObject* watched, QEvent* event) const;

  QPointer<QWidget> window_;
  QPointer<QAbstractButton> clickable_;
  int dropped_ = 0;
};

}  // namespace stravener::gui

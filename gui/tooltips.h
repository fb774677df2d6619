#pragma once

#include <QObject>

namespace stravener::gui {

// The tip of a main window control, by its id; Polish in both languages. nullptr for a
// control without a tip (the log, the progress bar, the language button).
const char* TooltipText(int controlId);

// Answers the tooltip requests of the controls it is installed on: an enabled control
// whose object name is an id with a tip shows it; a disabled one shows nothing.
class TooltipFilter : public QObject {
  Q_OBJECT
 public:
  using QObject::QObject;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
};

}  // namespace stravener::gui

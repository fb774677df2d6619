#pragma once

#include <QObject>

namespace stravener::gui {

// Answers the tooltip requests of the controls it is installed on: an enabled control
// whose object name is an id with a tip (TooltipText) shows it; a disabled one shows nothing.
class TooltipFilter : public QObject {
  Q_OBJECT
 public:
  using QObject::QObject;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
};

}  // namespace stravener::gui

#include "gui/qt/dialog_button.h"

#include <QDialog>

namespace stravener::gui {

QPushButton* AddDialogButton(QDialog& dialog, int id, const QString& text, const QRect& geometry, ButtonRole role) {
  auto* button = new QPushButton(text, &dialog);
  button->setObjectName(QString::number(id));
  button->setGeometry(geometry);
  // An auto-default button becomes the dialog's default while it has the focus; when it
  // loses it, the default button is the default again.
  button->setAutoDefault(true);
  button->setDefault(role == ButtonRole::Default);
  return button;
}

}  // namespace stravener::gui

#include "gui/qt/message_box.h"

#include <QPushButton>

#include "app/format.h"
#include "app/language.h"
#include "gui/common/control_ids.h"

namespace stravener::gui {

QMessageBox::StandardButton ShowMessageBox(QWidget* parent, const std::string& text, QMessageBox::Icon icon,
                                           QMessageBox::StandardButtons buttons,
                                           QMessageBox::StandardButton defaultButton) {
  QMessageBox box(icon, QString::fromUtf8(kCaption), QString::fromStdString(text), buttons, parent);
  if (QAbstractButton* cancel = box.button(QMessageBox::Cancel)) {
    cancel->setText(QString::fromUtf8(PickTextOrEmpty("Anuluj", "Cancel")));
  }
  box.setDefaultButton(buttons.testFlag(defaultButton) ? defaultButton : QMessageBox::NoButton);
  return static_cast<QMessageBox::StandardButton>(box.exec());
}

}  // namespace stravener::gui

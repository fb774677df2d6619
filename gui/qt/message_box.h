#pragma once

#include <QMessageBox>
#include <string>

namespace stravener::gui {

// A message box with the caption "Stravener Tool", owned by parent, in the current
// language, whose default button (the one Enter presses) is defaultButton. Returns the
// button that ended it.
QMessageBox::StandardButton ShowMessageBox(QWidget* parent, const std::string& text, QMessageBox::Icon icon,
                                           QMessageBox::StandardButtons buttons,
                                           QMessageBox::StandardButton defaultButton = QMessageBox::Ok);

}  // namespace stravener::gui

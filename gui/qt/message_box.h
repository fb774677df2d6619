#pragma once

#include <QMessageBox>
#include <string>

namespace stravener::gui {

// A message box with the caption "Stravener Tool", owned by parent, in the current
// language. Returns the button that ended it.
QMessageBox::StandardButton ShowMessageBox(QWidget* parent, const std::string& text, QMessageBox::Icon icon,
                                           QMessageBox::StandardButtons buttons);

}  // namespace stravener::gui

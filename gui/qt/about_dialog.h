#pragma once

#include <QDialog>
#include <string>

namespace stravener::gui {

// The About dialog: the program's name and icon, its version and the date and time of its
// build, a notice and a contact line. A pop-up without title bar; OK, Enter or Escape
// close it.
class AboutDialog : public QDialog {
  Q_OBJECT
 public:
  // The build date and time are the compiler's unless given (tests give their own).
  explicit AboutDialog(QWidget* parent = nullptr, const std::string& buildDate = __DATE__,
                       const std::string& buildTime = __TIME__);
};

}  // namespace stravener::gui

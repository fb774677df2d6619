#pragma once

#include <QFileDialog>
#include <QStringList>
#include <string>
#include <vector>

#include "gui/common/window_host.h"
#include "gui/common/file_filter.h"

namespace stravener::gui {

// The name filters for a file dialog that hides their details: "Label (patterns)", one for
// each file type of an operation's filter ("Label|pattern|...||"). The dialog shows the
// label exactly as written ("All files (*.*)") and filters by the patterns in the last
// brackets; "*.*" stands for every file, also one without a dot.
QStringList DialogFilters(const std::string& filter);

// The toolkit's file dialog for a window's file choice: its title, its file types as written,
// the default name, and the extension of the chosen type (else the default one) added to a
// name typed without one. A save choice asks before replacing a file and, like the Windows
// dialog with "the path must exist", refuses a name in a folder that does not exist and
// stays open. Always the toolkit's own dialog, so that it behaves the same on every desktop.
class FileChoiceDialog : public QFileDialog {
  Q_OBJECT
 public:
  FileChoiceDialog(QWidget* parent, const FileChoice& choice, AcceptMode mode, const QString& folder);

  // The chosen file, with native separators; nothing when the dialog was cancelled.
  std::optional<std::string> Choose();

  void accept() override;

 private:
  std::vector<FileFilterEntry> types_;
  QString defaultExtension_;
};

}  // namespace stravener::gui

#include "gui/qt/file_choice_dialog.h"

#include <QDir>
#include <QFileInfo>
#include <QMessageBox>

#include "app/format.h"

namespace stravener::gui {

namespace {

QStringList PatternsOf(const FileFilterEntry& type) {
  QStringList patterns;
  for (const std::string& pattern : type.patterns) {
    patterns << (pattern == "*.*" ? QStringLiteral("*") : QString::fromStdString(pattern));
  }
  return patterns;
}

// The extension a type's first pattern names ("*.plt" gives "plt"), or empty when it names
// no single extension ("*.*", "*").
QString ExtensionOf(const FileFilterEntry& type) {
  if (type.patterns.empty()) return QString();
  const QString first = QString::fromStdString(type.patterns.front());
  if (!first.startsWith(QLatin1String("*."))) return QString();
  const QString extension = first.mid(2);
  if (extension.isEmpty() || extension.contains(QLatin1Char('*')) || extension.contains(QLatin1Char('?'))) {
    return QString();
  }
  return extension;
}

}  // namespace

QStringList DialogFilters(const std::string& filter) {
  QStringList filters;
  for (const FileFilterEntry& type : ParseFileFilter(filter)) {
    filters << QString::fromStdString(type.label) + QStringLiteral(" (") + PatternsOf(type).join(QLatin1Char(' ')) +
                   QLatin1Char(')');
  }
  return filters;
}

FileChoiceDialog::FileChoiceDialog(QWidget* parent, const FileChoice& choice, AcceptMode mode, const QString& folder)
    : QFileDialog(parent, QString::fromStdString(choice.title)),
      types_(ParseFileFilter(choice.filter)),
      defaultExtension_(QString::fromStdString(choice.defaultExtension)) {
  // Both before the filters are given: the labels are shown without the patterns added.
  setOption(QFileDialog::DontUseNativeDialog);
  setOption(QFileDialog::HideNameFilterDetails);
  setAcceptMode(mode);
  setFileMode(mode == AcceptSave ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
  const QStringList filters = DialogFilters(choice.filter);
  if (!filters.isEmpty()) setNameFilters(filters);
  const QString first = types_.empty() ? QString() : ExtensionOf(types_.front());
  setDefaultSuffix(first.isEmpty() ? defaultExtension_ : first);
  // A name typed without extension gets the one of the chosen file type. The dialog names
  // the type by its label when the user picks it, by the whole filter otherwise.
  connect(this, &QFileDialog::filterSelected, this, [this, filters](const QString& selected) {
    QString extension;
    for (size_t i = 0; i < types_.size(); ++i) {
      if (selected == filters.value(static_cast<qsizetype>(i)) || selected == QString::fromStdString(types_[i].label)) {
        extension = ExtensionOf(types_[i]);
        break;
      }
    }
    setDefaultSuffix(extension.isEmpty() ? defaultExtension_ : extension);
  });
  setDirectory(folder);
  if (!choice.defaultName.empty()) selectFile(QString::fromStdString(choice.defaultName));
}

std::optional<std::string> FileChoiceDialog::Choose() {
  if (exec() != QDialog::Accepted || selectedFiles().isEmpty()) return std::nullopt;
  return QDir::toNativeSeparators(selectedFiles().front()).toStdString();
}

void FileChoiceDialog::accept() {
  if (acceptMode() == AcceptSave && !selectedFiles().isEmpty()) {
    const QFileInfo chosen(selectedFiles().front());
    // A folder is opened by the dialog itself; a file's folder must be there already.
    if (!chosen.isDir() && !QFileInfo(chosen.absolutePath()).isDir()) {
      const std::string path = QDir::toNativeSeparators(chosen.absoluteFilePath()).toStdString();
      const std::string text = FORMAT_PAIR("%s\nFolder nie istnieje.\nSprawdź ścieżkę i spróbuj ponownie.",
                                           "%s\nThe folder does not exist.\nCheck the path and try again.", path.c_str());
      QMessageBox::warning(this, windowTitle(), QString::fromStdString(text));
      return;
    }
  }
  QFileDialog::accept();
}

}  // namespace stravener::gui

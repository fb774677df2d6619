#include "gui/qt/dialog_filter.h"

#include "gui/common/file_filter.h"

namespace stravener::gui {

QStringList DialogFilters(const std::string& filter) {
  QStringList filters;
  for (const FileFilterEntry& entry : ParseFileFilter(filter)) {
    QStringList patterns;
    for (const std::string& pattern : entry.patterns) {
      patterns << (pattern == "*.*" ? QStringLiteral("*") : QString::fromStdString(pattern));
    }
    QString label = QString::fromStdString(entry.label).trimmed();
    const QString patternText = patterns.join(QLatin1Char(' '));
    // "Track files (*.plt)" already shows its pattern; the dialog reads the last brackets.
    if (label.endsWith(QLatin1Char(')')) && label.contains(QLatin1Char('('))) {
      label = label.left(label.lastIndexOf(QLatin1Char('('))).trimmed();
    }
    filters << (label.isEmpty() ? patternText : label) + QStringLiteral(" (") + patternText + QLatin1Char(')');
  }
  return filters;
}

}  // namespace stravener::gui

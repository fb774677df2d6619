#include "gui/file_filter.h"

#include <QStringList>

namespace stravener::gui {

QString DialogFilter(const std::string& filter) {
  const QStringList parts = QString::fromStdString(filter).split(QLatin1Char('|'));
  QStringList entries;
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
    const QString label = parts[i].trimmed();
    if (label.isEmpty() && parts[i + 1].isEmpty()) break;  // the closing "||"
    QStringList patterns = parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts);
    for (QString& pattern : patterns) {
      pattern = pattern.trimmed();
      if (pattern == QLatin1String("*.*")) pattern = QStringLiteral("*");
    }
    const QString patternText = patterns.join(QLatin1Char(' '));
    // "Track files (*.plt)" already shows its pattern; the dialog reads the last brackets.
    if (label.endsWith(QLatin1Char(')')) && label.contains(QLatin1Char('('))) {
      const qsizetype open = label.lastIndexOf(QLatin1Char('('));
      entries << label.left(open).trimmed() + QStringLiteral(" (") + patternText + QLatin1Char(')');
    } else {
      entries << (label.isEmpty() ? patternText : label) + QStringLiteral(" (") + patternText + QLatin1Char(')');
    }
  }
  return entries.join(QStringLiteral(";;"));
}

}  // namespace stravener::gui

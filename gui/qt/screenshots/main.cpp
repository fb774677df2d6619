// stravener-tool-screenshots: draws the desktop program's main window and dialogs into PNG
// files, for scripts/screenshots. Built from the same window code as stravener-tool, but
// not shipped: it answers the notices of the commands it runs by itself.
//
//   stravener-tool-screenshots FOLDER [COMMAND_ID,...]
//
// The language and the port are the stored settings'. Only Open port (1006), Close port
// (1007) and Information (1010) may be given as commands.

#include <QApplication>
#include <QStringList>
#include <QTranslator>
#include <cstdio>
#include <vector>

#include "gui/qt/screenshots/screenshots.h"
#include "gui/qt/tool_application.h"

int main(int argc, char* argv[]) {
  QApplication application(argc, argv);
  const QStringList arguments = QApplication::arguments();
  if (arguments.size() < 2 || arguments.size() > 3 || arguments[1].startsWith(QLatin1Char('-'))) {
    std::fprintf(stderr, "usage: stravener-tool-screenshots FOLDER [COMMAND_ID,...]\n");
    return 2;
  }
  std::vector<int> commands;
  if (arguments.size() == 3) {
    for (const QString& item : arguments[2].split(QLatin1Char(','), Qt::SkipEmptyParts)) {
      bool isNumber = false;
      const int id = item.trimmed().toInt(&isNumber);
      if (!isNumber || !stravener::gui::ScreenshotMayRun(id)) {
        std::fprintf(stderr, "stravener-tool-screenshots: %s is not a command the screenshots may run\n",
                     qPrintable(item));
        return 2;
      }
      commands.push_back(id);
    }
  }
  QTranslator toolkitTexts;
  stravener::gui::StartInStoredLanguage(toolkitTexts);
  return stravener::gui::TakeScreenshots(arguments[1], commands);
}

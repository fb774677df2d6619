#include "gui/qt/tool_application.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QString>
#include <QTranslator>

#include "app/format.h"
#include "app/language.h"
#include "app/settings_store.h"
#include "gui/common/startup_language.h"
#include "gui/qt/main_window.h"
#include "gui/qt/screenshots.h"

namespace stravener::gui {

int RunToolApplication() {
  Language = StartupLanguage(ReadLanguageSetting());
  // The toolkit's own texts (file dialogs, standard buttons) in the window's language, where
  // the system has them.
  QTranslator toolkitTexts;
  if (Language == kPolish &&
      toolkitTexts.load(QLocale(QLocale::Polish), QStringLiteral("qtbase"), QStringLiteral("_"),
                        QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    QCoreApplication::installTranslator(&toolkitTexts);
  }
  const QString screenshots = qEnvironmentVariable("STRAVENER_TOOL_SCREENSHOTS");
  if (!screenshots.isEmpty()) return TakeScreenshots(screenshots);
  {
    MainWindow window;
    window.exec();
  }  // the window's destruction closes the port and stores the settings
  return 0;
}

}  // namespace stravener::gui

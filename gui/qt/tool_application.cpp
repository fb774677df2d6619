#include "gui/qt/tool_application.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QString>
#include <QTranslator>

#include "app/language.h"
#include "app/settings_store.h"
#include "gui/common/startup_language.h"
#include "gui/qt/main_window.h"

namespace stravener::gui {

void StartInStoredLanguage(QTranslator& toolkitTexts) {
  Language = StartupLanguage(ReadLanguageSetting());
  if (Language == kPolish &&
      toolkitTexts.load(QLocale(QLocale::Polish), QStringLiteral("qtbase"), QStringLiteral("_"),
                        QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    QCoreApplication::installTranslator(&toolkitTexts);
  }
}

int RunToolApplication() {
  QTranslator toolkitTexts;
  StartInStoredLanguage(toolkitTexts);
  {
    MainWindow window;
    window.exec();
  }  // the window's destruction closes the port and stores the settings
  return 0;
}

}  // namespace stravener::gui

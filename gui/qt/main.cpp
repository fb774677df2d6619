// stravener-tool: the desktop program that services the Stravener GPS track logger.

#include <QApplication>

#include "gui/qt/tool_application.h"

int main(int argc, char* argv[]) {
  QApplication application(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Stravener Tool"));
  QApplication::setDesktopFileName(QStringLiteral("stravener-tool"));
  return stravener::gui::RunToolApplication();
}

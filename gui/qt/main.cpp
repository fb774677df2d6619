// stravener-tool: the desktop program that services the Stravener GPS track logger.

#include <QApplication>

#include "gui/qt/tool_application.h"
#if !defined(_WIN32)
#include "platform/stop_signals.h"
#endif

int main(int argc, char* argv[]) {
#if !defined(_WIN32)
  // SIGTERM (a session's end) and SIGINT stop a running command at its next safe point;
  // the window then ends (see MainWindow).
  stravener::InstallStopSignals();
#endif
  QApplication application(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Stravener Tool"));
  QApplication::setDesktopFileName(QStringLiteral("stravener-tool"));
  return stravener::gui::RunToolApplication();
}

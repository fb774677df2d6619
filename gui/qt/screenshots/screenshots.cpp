#include "gui/qt/screenshots/screenshots.h"

#include <QApplication>
#include <QDir>
#include <QMessageBox>
#include <QPixmap>
#include <QTimer>
#include <cstdio>

#include "app/format.h"
#include "app/language.h"
#include "gui/qt/about_dialog.h"
#include "gui/qt/configuration_dialog_widget.h"
#include "gui/common/control_ids.h"
#include "gui/qt/main_window.h"
#include "gui/qt/setup_dialog.h"

namespace stravener::gui {

namespace {

// Shows the widget, lets it lay itself out and paint, and saves what it looks like.
bool Save(QWidget& widget, const QString& folder, const QString& name) {
  widget.show();
  widget.raise();
  for (int i = 0; i < 5; ++i) QApplication::processEvents();
  const QString suffix = Language == kPolish ? QStringLiteral("pl") : QStringLiteral("en");
  const QString path = QDir(folder).filePath(name + QLatin1Char('_') + suffix + QStringLiteral(".png"));
  const bool saved = widget.grab().save(path);
  std::fprintf(stderr, "%s %s\n", saved ? "wrote" : "could not write", qPrintable(path));
  widget.hide();
  return saved;
}

}  // namespace

bool ScreenshotMayRun(int commandId) {
  return commandId == kIdOpenPort || commandId == kIdClosePort || commandId == kIdInformation;
}

int TakeScreenshots(const QString& folder, const std::vector<int>& commands) {
  QDir().mkpath(folder);
  bool ok = true;
  MainWindow window;
  window.show();
  QApplication::processEvents();
  // A notice that a command shows (the logger's information) is drawn too, then answered.
  int notices = 0;
  QTimer answer;
  answer.setInterval(50);
  QObject::connect(&answer, &QTimer::timeout, [&] {
    auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
    if (box == nullptr || !box->isVisible()) return;
    const QString suffix = Language == kPolish ? QStringLiteral("pl") : QStringLiteral("en");
    const QString path =
        QDir(folder).filePath(QStringLiteral("notice%1_").arg(++notices) + suffix + QStringLiteral(".png"));
    ok &= box->grab().save(path);
    std::fprintf(stderr, "wrote %s\n", qPrintable(path));
    box->done(QMessageBox::Ok);
  });
  answer.start();
  for (const int command : commands) {
    if (ScreenshotMayRun(command)) window.RunCommand(command);
  }
  answer.stop();
  ok &= Save(window, folder, QStringLiteral("main_window"));
  window.show();

  {
    SetupDialog setup(DefaultSetupServices(), window.PortNumber(), window.SpeedLimit(), &window);
    ok &= Save(setup, folder, QStringLiteral("setup_dialog"));
  }
  {
    AboutDialog about(&window);
    ok &= Save(about, folder, QStringLiteral("about_dialog"));
  }
  {
    ConfigurationDialog model;
    model.skipCount = 5;
    ConfigurationDialogWidget configuration(model, &window);
    ok &= Save(configuration, folder, QStringLiteral("configuration_dialog"));
  }
  {
    QMessageBox box(QMessageBox::Warning, QString::fromUtf8(kCaption),
                    QString::fromUtf8(PickTextOrEmpty("Podaj liczbę z zakresu od 1 do 255.",
                                                      "Input number from 1 to 255.")),
                    QMessageBox::Ok, &window);
    ok &= Save(box, folder, QStringLiteral("message_box"));
  }
  window.hide();
  return ok ? 0 : 1;
}

}  // namespace stravener::gui

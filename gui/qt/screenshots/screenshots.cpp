#include "gui/qt/screenshots/screenshots.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileDialog>
#include <QHelpEvent>
#include <QMessageBox>
#include <QPixmap>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QThread>
#include <QToolTip>
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

// Shows the widget, lets it lay itself out and paint, and saves what it looks like; a
// widget of a running command is left as it is.
bool Save(QWidget& widget, const QString& folder, const QString& name, bool show = true) {
  if (show) {
    widget.show();
    widget.raise();
    for (int i = 0; i < 5; ++i) QApplication::processEvents();
  }
  const QString suffix = Language == kPolish ? QStringLiteral("pl") : QStringLiteral("en");
  const QString path = QDir(folder).filePath(name + QLatin1Char('_') + suffix + QStringLiteral(".png"));
  const bool saved = widget.grab().save(path);
  std::fprintf(stderr, "%s %s\n", saved ? "wrote" : "could not write", qPrintable(path));
  if (show) widget.hide();
  return saved;
}

// The window at work on the logger: a download drawn while the bar shows the time left,
// then stopped with Escape; an upgrade whose stop question is drawn and declined, so that
// the logger keeps a program. The file choices are answered with files of a scratch folder.
bool ProgressShots(MainWindow& window, const QString& folder) {
  QTemporaryDir scratch;
  const QString image = scratch.filePath(QStringLiteral("firmware.upg"));
  QFile file(image);
  if (!file.open(QIODevice::WriteOnly)) return false;
  QByteArray bytes(4096, '\0');
  for (int i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i * 7 + 1);
  file.write(bytes);
  file.close();

  bool ok = true;
  bool downloadDrawn = false;
  bool questionDrawn = false;
  auto* bar = window.findChild<QProgressBar*>(QString::number(kIdProgress));
  QTimer answer;  // the file choices and the stop question
  QObject::connect(&answer, &QTimer::timeout, [&] {
    QWidget* modal = QApplication::activeModalWidget();
    if (modal == nullptr || !modal->isVisible()) return;
    if (auto* dialog = qobject_cast<QFileDialog*>(modal)) {
      dialog->selectFile(dialog->acceptMode() == QFileDialog::AcceptSave ? scratch.filePath(QStringLiteral("track.plt"))
                                                                         : image);
      static_cast<QDialog*>(dialog)->accept();
    } else if (auto* box = qobject_cast<QMessageBox*>(modal)) {
      ok &= Save(*box, folder, QStringLiteral("stop_question"), false);
      questionDrawn = true;
      box->button(QMessageBox::Cancel)->click();
    }
  });
  QTimer user;  // Escape, once the picture of the moment is taken
  QObject::connect(&user, &QTimer::timeout, [&] {
    if (!window.Busy() || bar->value() == 0) return;
    if (!downloadDrawn && bar->isTextVisible()) {
      ok &= Save(window, folder, QStringLiteral("main_window_download"), false);
      downloadDrawn = true;
      window.Session().PressEscape();
    } else if (downloadDrawn && !questionDrawn) {
      window.Session().PressEscape();
    }
  });
  answer.start(50);
  user.start(100);
  window.RunCommand(kIdReadTrack);
  window.RunCommand(kIdUpgrade);
  answer.stop();
  user.stop();
  if (!downloadDrawn || !questionDrawn) std::fprintf(stderr, "the download or the upgrade was not drawn\n");
  return ok && downloadDrawn && questionDrawn;
}

// The window with the tip of Exit showing, as the screen shows them both.
bool SaveWithTip(QWidget& window, const QString& folder) {
  window.show();
  window.raise();
  window.activateWindow();
  QApplication::setActiveWindow(&window);
  for (int i = 0; i < 5; ++i) QApplication::processEvents();
  QWidget* exit = window.findChild<QWidget*>(QString::number(kIdCancel));
  if (exit == nullptr) return false;
  QHelpEvent help(QEvent::ToolTip, exit->rect().center(), exit->mapToGlobal(exit->rect().center()));
  QApplication::sendEvent(exit, &help);
  QElapsedTimer clock;
  clock.start();
  while (clock.elapsed() < 700) {
    QApplication::processEvents();
    QThread::msleep(20);
  }
  QRect area = window.frameGeometry();
  for (QWidget* top : QApplication::topLevelWidgets()) {
    if (top->inherits("QTipLabel") && top->isVisible()) area |= top->frameGeometry();
  }
  const QString suffix = Language == kPolish ? QStringLiteral("pl") : QStringLiteral("en");
  const QString path = QDir(folder).filePath(QStringLiteral("main_window_tooltip_") + suffix + QStringLiteral(".png"));
  const bool saved = window.screen()->grabWindow(0, area.x(), area.y(), area.width(), area.height()).save(path);
  std::fprintf(stderr, "%s %s\n", saved ? "wrote" : "could not write", qPrintable(path));
  QToolTip::hideText();
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
  ok &= SaveWithTip(window, folder);
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
  window.show();
  if (window.PortOpen()) ok &= ProgressShots(window, folder);
  window.hide();
  return ok ? 0 : 1;
}

}  // namespace stravener::gui

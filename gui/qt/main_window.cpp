#include "gui/qt/main_window.h"

#include <QApplication>
#include <algorithm>
#include <QCloseEvent>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QKeyEvent>
#include <QListWidget>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QResizeEvent>
#include <QTimer>
#include <QUrl>

#include "app/format.h"
#include "platform/stop_request.h"
#include "gui/common/control_ids.h"
#include "gui/qt/about_dialog.h"
#include "gui/qt/configuration_dialog_widget.h"
#include "gui/qt/dialog_units.h"
#include "gui/qt/event_log_view.h"
#include "gui/qt/file_choice_dialog.h"
#include "gui/qt/input_blocker.h"
#include "gui/qt/message_box.h"
#include "gui/qt/pictures.h"
#include "gui/qt/setup_dialog.h"
#include "gui/qt/tooltip_filter.h"

namespace stravener::gui {

namespace {
// How often the window looks for a stop request while it waits for the user.
constexpr int kStopWatchIntervalMs = 100;
}  // namespace

MainWindow::MainWindow(Operations operations, SetupServices setupServices, SerialOpener opener, QWidget* parent)
    : QDialog(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint),
      session_(std::make_unique<WindowSession>(*this, std::move(operations), std::move(setupServices),
                                               std::move(opener))) {

  const DialogUnits du(font());
  const DialogDescription& description = MainWindowDescription();
  setWindowTitle(QString::fromUtf8(DialogCaption(description)));
  setWindowIcon(ProgramIcon());
  // The described size is the smallest; the window may grow.
  setMinimumSize(du.Size(description.width, description.height));
  resize(minimumSize());
  setAcceptDrops(true);
  tooltips_ = new TooltipFilter(this);

  // The controls in their tab order.
  for (const ControlDescription& control : description.controls) {
    const DialogRect& place = control.place;
    switch (control.kind) {
      case ControlKind::PushButton:
        AddButton(control);
        break;
      case ControlKind::FlagButton:
        languageButton_ = AddButton(control);
        languageButton_->setIconSize(QSize(16, 16));
        break;
      case ControlKind::EventLog:
        logList_ = new QListWidget(this);
        logList_->setObjectName(QString::number(control.id));
        logList_->setGeometry(du.Rect(place.x, place.y, place.width, place.height));
        logList_->setSelectionMode(QAbstractItemView::SingleSelection);
        logList_->setFocusPolicy(Qt::StrongFocus);  // Tab reaches it
        logList_->setIconSize(QSize(12, 12));
        logList_->setUniformItemSizes(true);
        logList_->setWordWrap(false);
        logList_->setSortingEnabled(false);
        break;
      case ControlKind::ProgressBar:
        progress_ = new QProgressBar(this);
        progress_->setObjectName(QString::number(control.id));
        progress_->setGeometry(du.Rect(place.x, place.y, place.width, place.height));
        progress_->setTextVisible(false);
        progress_->setRange(0, 100);
        progress_->setValue(0);
        progress_->setFocusPolicy(Qt::NoFocus);
        break;
      default:
        break;  // the main window has no others
    }
  }

  logView_ = std::make_unique<EventLogView>(*logList_);
  session_->Attach();
  session_->UpdateButtonStates();

  // A stop request (SIGTERM, the session ending) ends the window, as Exit does, once the
  // command that runs has stopped at its safe point and run its closing steps.
  auto* stopWatch = new QTimer(this);
  connect(stopWatch, &QTimer::timeout, this, [this] {
    if (StopRequested() && !session_->Busy()) done(QDialog::Rejected);
  });
  stopWatch->start(kStopWatchIntervalMs);
}

MainWindow::~MainWindow() {
  // The session's end: an open port closed without a word, the settings stored.
  session_.reset();
  logView_.reset();
}

QPushButton* MainWindow::AddButton(const ControlDescription& control) {
  const DialogUnits du(font());
  const DialogRect& place = control.place;
  auto* button = new QPushButton(QString::fromUtf8(ControlText(control)), this);
  button->setObjectName(QString::number(control.id));
  button->setGeometry(du.Rect(place.x, place.y, place.width, place.height));
  button->setAutoDefault(false);
  button->setDefault(false);
  button->setFocusPolicy(Qt::StrongFocus);
  button->installEventFilter(tooltips_);
  connect(button, &QPushButton::clicked, this, [this, id = control.id] { session_->RunCommand(id); });
  return button;
}

void MainWindow::resizeEvent(QResizeEvent* event) {
  QDialog::resizeEvent(event);
  // The controls' described places, grown as their styles say by what the window grew.
  const DialogUnits du(font());
  const DialogDescription& description = MainWindowDescription();
  const QSize grown = size() - du.Size(description.width, description.height);
  for (const ControlDescription& control : description.controls) {
    QWidget* widget = findChild<QWidget*>(QString::number(control.id), Qt::FindDirectChildrenOnly);
    if (widget == nullptr) continue;
    const QRect described = du.Rect(control.place.x, control.place.y, control.place.width, control.place.height);
    const DialogRect place = GrownPlace({described.x(), described.y(), described.width(), described.height()},
                                        control.style, std::max(0, grown.width()), std::max(0, grown.height()));
    widget->setGeometry(place.x, place.y, place.width, place.height);
  }
}

void MainWindow::HandleDroppedFiles(const QStringList& paths) {
  std::vector<std::string> files;
  for (const QString& path : paths) files.push_back(path.toStdString());
  session_->DropFiles(files);
}

void MainWindow::keyPressEvent(QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_Escape:
      // Escape never closes the main window; during a command it asks it to stop.
      event->accept();
      session_->PressEscape();
      return;
    case Qt::Key_F1:
      event->accept();
      session_->RunCommand(kIdAbout);
      return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
      event->accept();
      if (auto* button = qobject_cast<QPushButton*>(focusWidget()); button != nullptr && button->isEnabled()) {
        button->click();
      } else {
        session_->RunCommand(kIdOk);  // the dialog's OK: ends the window as Exit does
      }
      return;
    default:
      QDialog::keyPressEvent(event);
  }
}

void MainWindow::closeEvent(QCloseEvent* event) {
  if (session_->Busy()) {
    // Asks whether to stop the command; the window ends once it has returned.
    event->ignore();
    session_->RequestClose();
    return;
  }
  QDialog::closeEvent(event);
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
  // Files from the desktop; a link from a web page is not a file and is refused at once.
  for (const QUrl& url : event->mimeData()->urls()) {
    if (url.isLocalFile()) {
      event->acceptProposedAction();
      return;
    }
  }
}

void MainWindow::dropEvent(QDropEvent* event) {
  QStringList paths;
  for (const QUrl& url : event->mimeData()->urls()) paths << url.toLocalFile();
  event->acceptProposedAction();
  // Acted on once the drag has finished, so its message boxes do not hold the drag.
  QMetaObject::invokeMethod(this, [this, paths] { HandleDroppedFiles(paths); }, Qt::QueuedConnection);
}

void MainWindow::EnableControl(int id, bool enabled) {
  if (auto* control = findChild<QWidget*>(QString::number(id)); control != nullptr) control->setEnabled(enabled);
}

void MainWindow::FocusControl(int id) {
  if (auto* control = findChild<QWidget*>(QString::number(id)); control != nullptr) {
    control->setFocus(Qt::OtherFocusReason);
  }
}

void MainWindow::ShowLanguageFlag(LanguageFlag flag) {
  switch (flag) {
    case LanguageFlag::Polish:
      languageButton_->setIcon(PolishFlagIcon());
      return;
    case LanguageFlag::British:
      languageButton_->setIcon(BritishFlagIcon());
      return;
    case LanguageFlag::None:
      return;
  }
}

void MainWindow::AppendLogLine(const LogEntry& entry, bool droppedOldest) { logView_->Add(entry, droppedOldest); }

void MainWindow::SetProgressRange(int maximum) { progress_->setRange(0, maximum); }

void MainWindow::SetProgressPosition(int position) { progress_->setValue(position); }

void MainWindow::SetProgressText(const std::string& text) {
  // Inside the bar, which keeps its size.
  progress_->setAlignment(Qt::AlignCenter);
  progress_->setFormat(QString::fromStdString(text));
  progress_->setTextVisible(!text.empty());
}

void MainWindow::Repaint(bool commandRunning) {
  if (commandRunning) {
    // The command runs inside a click: bring the window up to date now. The input blocker
    // drops whatever the user does meanwhile.
    QCoreApplication::processEvents(QEventLoop::AllEvents);
  } else {
    update();
  }
}

void MainWindow::CommandStarting() {
  inputBlocker_ = std::make_unique<InputBlocker>(this, findChild<QPushButton*>(QString::number(kIdCancel)));
}

void MainWindow::CommandEnding() {
  // Input that came in while the command ran is delivered now, to be dropped.
  QCoreApplication::processEvents(QEventLoop::AllEvents);
  inputBlocker_.reset();
}

bool MainWindow::ShowMessage(MessageKind kind, const std::string& text, DefaultButton defaultButton) {
  switch (kind) {
    case MessageKind::Question:
      return ShowMessageBox(this, text, QMessageBox::Question, QMessageBox::Ok | QMessageBox::Cancel,
                            defaultButton == DefaultButton::Cancel ? QMessageBox::Cancel : QMessageBox::Ok) ==
             QMessageBox::Ok;
    case MessageKind::Warning:
      return ShowMessageBox(this, text, QMessageBox::Warning, QMessageBox::Ok) == QMessageBox::Ok;
    case MessageKind::Notice:
      break;
  }
  return ShowMessageBox(this, text, QMessageBox::NoIcon, QMessageBox::Ok) == QMessageBox::Ok;
}

std::optional<std::string> MainWindow::ChooseFile(FileChoiceKind kind, const FileChoice& choice) {
  const QFileDialog::AcceptMode mode = kind == FileChoiceKind::Save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen;
  FileChoiceDialog dialog(this, choice, mode, lastFolder_.isEmpty() ? QDir::currentPath() : lastFolder_);
  std::optional<std::string> path = dialog.Choose();
  if (path) lastFolder_ = QFileInfo(QString::fromStdString(*path)).absolutePath();
  return path;
}

bool MainWindow::RunConfigurationDialog(ConfigurationDialog& dialog) {
  ConfigurationDialogWidget widget(dialog, this);
  return widget.exec() == QDialog::Accepted;
}

bool MainWindow::RunSetupDialog(SetupChoice& choice) {
  SetupDialog dialog(choice.services, choice.portNumber, choice.speedLimit, this);
  if (dialog.exec() != QDialog::Accepted) return false;
  choice.portNumber = dialog.PortNumber();
  choice.speedLimit = dialog.Speed();
  return true;
}

void MainWindow::RunAboutDialog() {
  AboutDialog dialog(this);
  dialog.exec();
}

void MainWindow::EndWindow(WindowEnd end) { done(end == WindowEnd::Ok ? QDialog::Accepted : QDialog::Rejected); }

}  // namespace stravener::gui

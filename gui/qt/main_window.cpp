#include "gui/qt/main_window.h"

#include <QApplication>
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
#include <QTimer>
#include <QUrl>
#include <climits>

#include "app/format.h"
#include "app/language.h"
#include "app/settings_store.h"
#include "app/stop_request.h"
#include "gui/common/command_dispatch.h"
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

class MainWindow::BusyScope {
 public:
  explicit BusyScope(MainWindow& window) : window_(window) {
    window_.busy_ = true;
    window_.inputBlocker_ = std::make_unique<InputBlocker>(&window_);
  }
  ~BusyScope() {
    // Input that came in while the command ran is delivered now, to be dropped.
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    window_.inputBlocker_.reset();
    window_.busy_ = false;
  }
  BusyScope(const BusyScope&) = delete;
  BusyScope& operator=(const BusyScope&) = delete;

 private:
  MainWindow& window_;
};

MainWindow::MainWindow(Operations operations, SetupServices setupServices, SerialOpener opener, QWidget* parent)
    : QDialog(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint),
      operations_(std::move(operations)),
      setupServices_(std::move(setupServices)),
      connection_(log_, std::move(opener)) {
  LoadPortSettings(connection_.portNumber, connection_.speedLimit);

  const DialogUnits du(font());
  setWindowTitle(QString::fromUtf8(kCaption));
  setWindowIcon(ProgramIcon());
  setFixedSize(du.Size(kMainWindowWidth, kMainWindowHeight));
  setAcceptDrops(true);
  tooltips_ = new TooltipFilter(this);

  // The controls in their tab order.
  for (const MainWindowControl& control : MainWindowControls()) {
    const DialogRect& place = control.place;
    switch (control.kind) {
      case ControlKind::PushButton:
        AddButton(control);
        break;
      case ControlKind::FlagButton:
        languageButton_ = AddButton(control);
        // The flag of the language the button switches to.
        if (Language == kEnglish) {
          languageButton_->setIcon(PolishFlagIcon());
        } else if (Language == kPolish) {
          languageButton_->setIcon(BritishFlagIcon());
        }
        languageButton_->setIconSize(QSize(16, 16));
        break;
      case ControlKind::EventLog:
        logList_ = new QListWidget(this);
        logList_->setObjectName(QString::number(control.id));
        logList_->setGeometry(du.Rect(place.x, place.y, place.width, place.height));
        logList_->setSelectionMode(QAbstractItemView::SingleSelection);
        logList_->setFocusPolicy(Qt::ClickFocus);  // not a tab stop
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
    }
  }

  logView_ = std::make_unique<EventLogView>(log_, *logList_, [this] { Repaint(); });
  connection_.updateButtonStates = [this] { UpdateButtonStates(); };
  UpdateButtonStates();

  // A stop request (SIGTERM, the session ending) ends the window, as Exit does, once the
  // command that runs has stopped at its safe point and run its closing steps.
  auto* stopWatch = new QTimer(this);
  connect(stopWatch, &QTimer::timeout, this, [this] {
    if (StopRequested() && !busy_) done(QDialog::Rejected);
  });
  stopWatch->start(kStopWatchIntervalMs);
}

MainWindow::~MainWindow() {
  connection_.updateButtonStates = nullptr;
  logView_.reset();
  // An open port is closed without a log line; the speed limit stored is the one in force,
  // lowered by the last opening.
  if (connection_.openFlag != 0) CloseHandleSilently(connection_);
  SaveSettings(Language, connection_.portNumber, connection_.speedLimit);
}

QPushButton* MainWindow::AddButton(const MainWindowControl& control) {
  const DialogUnits du(font());
  const DialogRect& place = control.place;
  auto* button = new QPushButton(QString::fromUtf8(PickTextOrEmpty(control.polish, control.english)), this);
  button->setObjectName(QString::number(control.id));
  button->setGeometry(du.Rect(place.x, place.y, place.width, place.height));
  button->setAutoDefault(false);
  button->setDefault(false);
  button->setFocusPolicy(Qt::StrongFocus);
  button->installEventFilter(tooltips_);
  connect(button, &QPushButton::clicked, this, [this, id = control.id] { RunCommand(id); });
  return button;
}

QPushButton* MainWindow::Button(int id) const { return findChild<QPushButton*>(QString::number(id)); }

void MainWindow::UpdateButtonStates() {
  const bool open = PortOpen();
  for (const MainWindowControl& control : MainWindowControls()) {
    if (control.enabledWhen == EnabledWhen::Always) continue;
    Button(control.id)->setEnabled(ControlEnabled(control, open));
  }
  Button(FocusedControlId(open))->setFocus(Qt::OtherFocusReason);
}

void MainWindow::RunCommand(int id) {
  if (busy_) return;
  if (CommandOperation(operations_, id) != nullptr) {
    BusyScope busy(*this);
    RunCommandOperation(operations_, id, *this, connection_);
    return;
  }
  switch (id) {
    case kIdSetup:
      return RunSetup();
    case kIdAbout:
      return RunAbout();
    case kIdLanguage:
      return SwitchLanguage();
    case kIdCancel:
      reject();
      return;
    default:
      return;
  }
}

void MainWindow::RunSetup() {
  BusyScope busy(*this);
  SetupDialog dialog(setupServices_, connection_.portNumber, connection_.speedLimit, this);
  if (dialog.exec() == QDialog::Accepted) {
    connection_.portNumber = dialog.PortNumber();
    connection_.speedLimit = dialog.Speed();
  }
}

void MainWindow::RunAbout() {
  BusyScope busy(*this);
  AboutDialog dialog(this);
  dialog.exec();
}

void MainWindow::SwitchLanguage() {
  {
    BusyScope busy(*this);
    AnnounceLanguageSwitch(*this);
  }
  done(QDialog::Accepted);  // once no longer busy: ending the window closes it
}

void MainWindow::HandleDroppedFiles(const QStringList& paths) {
  if (busy_) return;
  BusyScope busy(*this);
  std::vector<std::string> files;
  for (const QString& path : paths) files.push_back(path.toStdString());
  gui::HandleDroppedFiles(operations_, files, *this, connection_);
}

void MainWindow::keyPressEvent(QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_Escape:
      // Escape never closes the main window.
      event->accept();
      return;
    case Qt::Key_F1:
      event->accept();
      RunCommand(kIdAbout);
      return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
      event->accept();
      if (auto* button = qobject_cast<QPushButton*>(focusWidget()); button != nullptr && button->isEnabled()) {
        button->click();
      } else if (!busy_) {
        done(QDialog::Accepted);  // the dialog's OK: ends the window as Exit does
      }
      return;
    default:
      QDialog::keyPressEvent(event);
  }
}

void MainWindow::closeEvent(QCloseEvent* event) {
  if (busy_) {
    event->ignore();
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

void MainWindow::SetProgressRange(uint32_t maximum) {
  progressShift_ = 0;
  while ((maximum >> progressShift_) > static_cast<uint32_t>(INT_MAX)) ++progressShift_;
  progress_->setRange(0, static_cast<int>(maximum >> progressShift_));
}

void MainWindow::SetProgressPosition(uint32_t position) {
  progress_->setValue(static_cast<int>(position >> progressShift_));
}

void MainWindow::Repaint() {
  if (busy_) {
    // The command runs inside a click: bring the window up to date now. The input blocker
    // drops whatever the user does meanwhile.
    QCoreApplication::processEvents(QEventLoop::AllEvents);
  } else {
    update();
  }
}

void MainWindow::ShowNotice(const std::string& text) {
  ShowMessageBox(this, text, QMessageBox::NoIcon, QMessageBox::Ok);
}

bool MainWindow::AskOkCancel(const std::string& text) {
  return ShowMessageBox(this, text, QMessageBox::Question, QMessageBox::Ok | QMessageBox::Cancel) ==
         QMessageBox::Ok;
}

void MainWindow::ShowWarning(const std::string& text) {
  ShowMessageBox(this, text, QMessageBox::Warning, QMessageBox::Ok);
}

std::optional<std::string> MainWindow::ChooseSaveFile(const FileChoice& choice) {
  return ChooseFile(choice, QFileDialog::AcceptSave);
}

std::optional<std::string> MainWindow::ChooseOpenFile(const FileChoice& choice) {
  return ChooseFile(choice, QFileDialog::AcceptOpen);
}

std::optional<std::string> MainWindow::ChooseFile(const FileChoice& choice, QFileDialog::AcceptMode mode) {
  FileChoiceDialog dialog(this, choice, mode, lastFolder_.isEmpty() ? QDir::currentPath() : lastFolder_);
  std::optional<std::string> path = dialog.Choose();
  if (path) lastFolder_ = QFileInfo(QString::fromStdString(*path)).absolutePath();
  return path;
}

bool MainWindow::RunConfigurationDialog(ConfigurationDialog& dialog) {
  ConfigurationDialogWidget widget(dialog, this);
  return widget.exec() == QDialog::Accepted;
}

}  // namespace stravener::gui

#pragma once

#include <QDialog>
#include <QFileDialog>
#include <QStringList>
#include <cstdint>
#include <memory>

#include "app/event_log.h"
#include "gui/common/window_host.h"
#include "gui/common/command_table.h"
#include "gui/common/operations.h"
#include "gui/common/setup_lists.h"
#include "link/port_connection.h"

class QListWidget;
class QProgressBar;
class QPushButton;

namespace stravener::gui {

class EventLogView;
class InputBlocker;
class TooltipFilter;

// The program's one window: a column of command buttons, the event log, the progress bar,
// and the Setup, About and language buttons. It owns the port connection for its whole
// life, runs each command to its end inside the click, accepts one dropped firmware image
// or binary track file at a time, and is the WindowHost its commands report and ask
// through. Its destruction closes the port silently and stores the settings.
class MainWindow : public QDialog, public WindowHost {
  Q_OBJECT
 public:
  // The port is opened through opener: the machine's own ports, or a test double.
  explicit MainWindow(Operations operations = DefaultOperations(),
                      SetupServices setupServices = DefaultSetupServices(),
                      SerialOpener opener = SystemSerialOpener(), QWidget* parent = nullptr);
  ~MainWindow() override;
  MainWindow(const MainWindow&) = delete;
  MainWindow& operator=(const MainWindow&) = delete;

  // WindowHost.
  EventLog& Log() override { return log_; }
  void SetProgressRange(uint32_t maximum) override;
  void SetProgressPosition(uint32_t position) override;
  void Repaint() override;
  void ShowNotice(const std::string& text) override;
  bool AskOkCancel(const std::string& text) override;
  void ShowWarning(const std::string& text) override;
  std::optional<std::string> ChooseSaveFile(const FileChoice& choice) override;
  std::optional<std::string> ChooseOpenFile(const FileChoice& choice) override;
  bool RunConfigurationDialog(ConfigurationDialog& dialog) override;

  // The one connection to the logger, which the operations use.
  PortConnection& Connection() { return connection_; }
  bool PortOpen() const { return connection_.openFlag != 0; }
  uint32_t PortNumber() const { return connection_.portNumber; }
  uint32_t SpeedLimit() const { return connection_.speedLimit; }

  // Enables Setup and Open port while the port is closed, the seven logger commands while
  // it is open, and gives the focus to Close port or Open port accordingly.
  void UpdateButtonStates();

  // Runs the command of a control id, as a click on it does. Nothing happens while another
  // command runs.
  void RunCommand(int id);

  // Files dropped on the window: exactly one .upg or .bin file is acted on.
  void HandleDroppedFiles(const QStringList& paths);

  // True while a command runs; user input to the window is then dropped.
  bool Busy() const { return busy_; }

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  // Marks the window busy for one command and drops the user input that arrives meanwhile.
  class BusyScope;

  QPushButton* AddButton(const MainWindowControl& control);
  QPushButton* Button(int id) const;
  std::optional<std::string> ChooseFile(const FileChoice& choice, QFileDialog::AcceptMode mode);
  void RunSetup();
  void RunAbout();
  void SwitchLanguage();

  Operations operations_;
  SetupServices setupServices_;
  EventLog log_;
  PortConnection connection_;
  QListWidget* logList_ = nullptr;
  QProgressBar* progress_ = nullptr;
  QPushButton* languageButton_ = nullptr;
  TooltipFilter* tooltips_ = nullptr;
  std::unique_ptr<EventLogView> logView_;
  std::unique_ptr<InputBlocker> inputBlocker_;
  bool busy_ = false;
  int progressShift_ = 0;  // a range above what the bar holds is scaled down by this
  QString lastFolder_;
};

}  // namespace stravener::gui

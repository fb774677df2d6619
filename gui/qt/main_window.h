#pragma once

#include <QDialog>
#include <QStringList>
#include <cstdint>
#include <memory>

#include "gui/common/dialog_description.h"
#include "gui/common/window_session.h"
#include "gui/common/window_surface.h"

class QListWidget;
class QProgressBar;
class QPushButton;

namespace stravener::gui {

class EventLogView;
class InputBlocker;
class TooltipFilter;

// The program's one window: a column of command buttons, the event log, the progress bar,
// and the Setup, About and language buttons. Its window session runs the commands; the
// window draws them with Qt widgets, as the session's surface, and passes on the clicks,
// keys and dropped files.
class MainWindow : public QDialog, public WindowSurface {
  Q_OBJECT
 public:
  // The port is opened through opener: the machine's own ports, or a test double.
  explicit MainWindow(Operations operations = DefaultOperations(),
                      SetupServices setupServices = DefaultSetupServices(),
                      SerialOpener opener = SystemSerialOpener(), QWidget* parent = nullptr);
  ~MainWindow() override;
  MainWindow(const MainWindow&) = delete;
  MainWindow& operator=(const MainWindow&) = delete;

  WindowSession& Session() { return *session_; }
  // The session's, for the tests and the pictures.
  EventLog& Log() { return session_->Log(); }
  bool PortOpen() const { return session_->PortOpen(); }
  uint32_t PortNumber() const { return session_->PortNumber(); }
  uint32_t SpeedLimit() const { return session_->SpeedLimit(); }
  bool Busy() const { return session_->Busy(); }
  void RunCommand(int id) { session_->RunCommand(id); }
  void HandleDroppedFiles(const QStringList& paths);

  // WindowSurface.
  void EnableControl(int id, bool enabled) override;
  void FocusControl(int id) override;
  void ShowLanguageFlag(LanguageFlag flag) override;
  void AppendLogLine(const LogEntry& entry, bool droppedOldest) override;
  void SetProgressRange(int maximum) override;
  void SetProgressPosition(int position) override;
  void SetProgressText(const std::string& text) override;
  void Repaint(bool commandRunning) override;
  void CommandStarting() override;
  void CommandEnding() override;
  bool ShowMessage(MessageKind kind, const std::string& text, DefaultButton defaultButton) override;
  std::optional<std::string> ChooseFile(FileChoiceKind kind, const FileChoice& choice) override;
  bool RunConfigurationDialog(ConfigurationDialog& dialog) override;
  bool RunSetupDialog(SetupChoice& choice) override;
  void RunAboutDialog() override;
  void EndWindow(WindowEnd end) override;

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  QPushButton* AddButton(const ControlDescription& control);

  std::unique_ptr<WindowSession> session_;
  QListWidget* logList_ = nullptr;
  QProgressBar* progress_ = nullptr;
  QPushButton* languageButton_ = nullptr;
  TooltipFilter* tooltips_ = nullptr;
  std::unique_ptr<EventLogView> logView_;
  std::unique_ptr<InputBlocker> inputBlocker_;
  QString lastFolder_;
};

}  // namespace stravener::gui

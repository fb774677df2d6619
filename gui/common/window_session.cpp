#include "gui/common/window_session.h"

#include <climits>
#include <utility>

#include "app/language.h"
#include "app/settings_store.h"
#include "gui/common/command_dispatch.h"
#include "gui/common/command_table.h"
#include "gui/common/control_ids.h"

namespace stravener::gui {

LanguageFlag LanguageButtonFlag() {
  if (Language == kEnglish) return LanguageFlag::Polish;
  if (Language == kPolish) return LanguageFlag::British;
  return LanguageFlag::None;
}

WindowSession::WindowSession(WindowSurface& surface, Operations operations, SetupServices setupServices,
                             SerialOpener opener, Clock& clock)
    : surface_(surface),
      operations_(std::move(operations)),
      setupServices_(std::move(setupServices)),
      clock_(clock),
      connection_(log_, std::move(opener)) {
  LoadPortSettings(connection_.portNumber, connection_.speedLimit);
}

WindowSession::~WindowSession() {
  Detach();
  if (connection_.openFlag != 0) CloseHandleSilently(connection_);
  SaveSettings(Language, connection_.portNumber, connection_.speedLimit);
}

void WindowSession::Attach() {
  attached_ = true;
  surface_.ShowLanguageFlag(LanguageButtonFlag());
  for (const LogEntry& entry : log_.Entries()) surface_.AppendLogLine(entry, false);
  log_.SetListener([this](const LogEntry& entry, bool droppedOldest) {
    surface_.AppendLogLine(entry, droppedOldest);
    Repaint();
  });
  connection_.updateButtonStates = [this] { UpdateButtonStates(); };
}

void WindowSession::Detach() {
  if (!attached_) return;
  attached_ = false;
  log_.SetListener(nullptr);
  connection_.updateButtonStates = nullptr;
}

void WindowSession::UpdateButtonStates() {
  if (!attached_) return;
  const bool open = PortOpen();
  for (const MainWindowControl& control : MainWindowControls()) {
    surface_.EnableControl(control.id, ControlEnabled(control, open));
  }
  surface_.FocusControl(FocusedControlId(open));
}

void WindowSession::RunBusy(const std::function<void()>& command) {
  busy_ = true;
  surface_.CommandStarting();
  command();
  surface_.CommandEnding();
  busy_ = false;
  surface_.CommandEnded();
}

void WindowSession::RunCommand(int id) {
  // A command that the toolkit delivers while another one runs is not started.
  if (busy_) return;
  switch (id) {
    case kIdOk:
      return surface_.EndWindow(WindowEnd::Ok);
    case kIdCancel:
      return surface_.EndWindow(WindowEnd::Cancel);
    case kIdSetup:
      return RunBusy([this] { RunSetup(); });
    case kIdAbout:
      return RunBusy([this] { surface_.RunAboutDialog(); });
    case kIdLanguage:
      return SwitchLanguage();
    default:
      // The logger commands, from Open port to Restart.
      if (CommandOperation(operations_, id) != nullptr) {
        RunBusy([this, id] { RunCommandOperation(operations_, id, *this, connection_); });
      }
      return;
  }
}

void WindowSession::RunSetup() {
  SetupChoice choice{setupServices_, connection_.portNumber, connection_.speedLimit};
  if (!surface_.RunSetupDialog(choice)) return;
  connection_.portNumber = choice.portNumber;
  connection_.speedLimit = choice.speedLimit;
  // Stored at once, so that a crash does not lose them and the command line sees them
  // while the window is open; the session's end stores them again.
  SaveSettings(Language, connection_.portNumber, connection_.speedLimit);
}

void WindowSession::SwitchLanguage() {
  RunBusy([this] { AnnounceLanguageSwitch(*this); });
  // Once no longer busy: the window ends with OK, and the session's end stores the language.
  surface_.EndWindow(WindowEnd::Ok);
}

void WindowSession::DropFiles(const std::vector<std::string>& paths) {
  if (busy_) return;
  RunBusy([this, &paths] { HandleDroppedFiles(operations_, paths, *this, connection_); });
}

void WindowSession::StoreAtSessionEnd() {
  if (!busy_ && connection_.openFlag != 0) CloseHandleSilently(connection_);
  SaveSettings(Language, connection_.portNumber, connection_.speedLimit);
}

void WindowSession::SetProgressRange(uint32_t maximum) {
  progressShift_ = 0;
  while ((maximum >> progressShift_) > static_cast<uint32_t>(INT_MAX)) ++progressShift_;
  surface_.SetProgressRange(static_cast<int>(maximum >> progressShift_));
}

void WindowSession::SetProgressPosition(uint32_t position) {
  surface_.SetProgressPosition(static_cast<int>(position >> progressShift_));
}

void WindowSession::Repaint() { surface_.Repaint(busy_); }

void WindowSession::ShowNotice(const std::string& text) {
  surface_.ShowMessage(MessageKind::Notice, text, DefaultButton::Ok);
}

bool WindowSession::AskOkCancel(const std::string& text, DefaultButton defaultButton) {
  return surface_.ShowMessage(MessageKind::Question, text, defaultButton);
}

void WindowSession::ShowWarning(const std::string& text) {
  surface_.ShowMessage(MessageKind::Warning, text, DefaultButton::Ok);
}

std::optional<std::string> WindowSession::ChooseSaveFile(const FileChoice& choice) {
  return surface_.ChooseFile(FileChoiceKind::Save, choice);
}

std::optional<std::string> WindowSession::ChooseOpenFile(const FileChoice& choice) {
  return surface_.ChooseFile(FileChoiceKind::Open, choice);
}

bool WindowSession::RunConfigurationDialog(ConfigurationDialog& dialog) {
  return surface_.RunConfigurationDialog(dialog);
}

}  // namespace stravener::gui

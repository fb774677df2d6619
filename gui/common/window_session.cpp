#include "gui/common/window_session.h"

#include <climits>
#include <utility>

#include "app/format.h"
#include "app/language.h"
#include "app/settings_store.h"
#include "gui/common/command_dispatch.h"
#include "gui/common/command_table.h"
#include "gui/common/control_ids.h"
#include "gui/common/dropped_file.h"
#include "gui/common/time_left.h"
#include "platform/stop_request.h"

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
  const bool operating = running_ == Running::Command || running_ == Running::Upgrade;
  // While a logger command runs, Exit keeps the focus that a disabled button would lose.
  if (operating) surface_.FocusControl(kIdCancel);
  for (const MainWindowControl& control : MainWindowControls()) {
    const bool button = control.kind == ControlKind::PushButton || control.kind == ControlKind::FlagButton;
    const bool enabled = operating && button ? control.id == kIdCancel : ControlEnabled(control, open);
    surface_.EnableControl(control.id, enabled);
  }
  if (!operating) surface_.FocusControl(FocusedControlId(open));
}

void WindowSession::RunBusy(Running kind, const std::function<void()>& command) {
  busy_ = true;
  running_ = kind;
  const bool operating = kind != Running::Dialog;
  if (operating) UpdateButtonStates();
  surface_.CommandStarting();
  command();
  // From here on an Escape or a close that the toolkit still delivers is not acted on.
  running_ = Running::Nothing;
  surface_.CommandEnding();
  busy_ = false;
  ShowProgressText({});
  // The next command must not find the stop that ended this one.
  if (std::exchange(stopOwned_, false)) ClearStopRequest();
  surface_.CommandEnded();
  // Once what came meanwhile is gone: a click on a button that is enabled again counts.
  if (operating) UpdateButtonStates();
  if (std::exchange(closeAfterCommand_, false)) surface_.EndWindow(WindowEnd::Cancel);
}

bool WindowSession::ConfirmStop(const char* polish, const char* english, DefaultButton defaultButton) {
  // The question is shown from inside the command (its repaint takes the key or click):
  // a second one from inside the first's own loop is not asked.
  if (asking_) return false;
  asking_ = true;
  const bool confirmed = AskOkCancel(PickTextOrEmpty(polish, english), defaultButton);
  asking_ = false;
  return confirmed;
}

void WindowSession::StopCommand() {
  // A stop requested already (the session of the user ends) is not this session's to forget.
  if (!RequestStop()) stopOwned_ = true;
}

void WindowSession::PressEscape() {
  if (running_ != Running::Command && running_ != Running::Upgrade) return;
  if (running_ == Running::Upgrade &&
      !ConfirmStop("Przerwać apgrejd? Logger pozostanie bez oprogramowania, dopóki apgrejd nie zostanie "
                   "wykonany ponownie.",
                   "Stop the upgrade? The logger will be left without firmware until the upgrade is run again.",
                   DefaultButton::Cancel)) {
    return;
  }
  StopCommand();
}

void WindowSession::RequestClose() {
  if (!busy_) return surface_.EndWindow(WindowEnd::Cancel);
  // A dialog of the window is modal: its own Cancel answers. A command that has returned
  // takes no more input.
  if (running_ != Running::Command && running_ != Running::Upgrade) return;
  const bool confirmed =
      running_ == Running::Upgrade
          ? ConfirmStop("Przerwać apgrejd i zamknąć program? Logger pozostanie bez oprogramowania, dopóki apgrejd "
                        "nie zostanie wykonany ponownie.",
                        "Stop the upgrade and close the program? The logger will be left without firmware until the "
                        "upgrade is run again.",
                        DefaultButton::Cancel)
          : ConfirmStop("Przerwać bieżące polecenie i zamknąć program?",
                        "Stop the running command and close the program?", DefaultButton::Ok);
  if (!confirmed) return;
  StopCommand();
  closeAfterCommand_ = true;
}

void WindowSession::RunCommand(int id) {
  // A command that the toolkit delivers while another one runs is not started; Exit asks
  // to stop it.
  if (busy_) {
    if (id == kIdCancel) RequestClose();
    return;
  }
  switch (id) {
    case kIdOk:
      return surface_.EndWindow(WindowEnd::Ok);
    case kIdCancel:
      return RequestClose();
    case kIdSetup:
      return RunBusy(Running::Dialog, [this] { RunSetup(); });
    case kIdAbout:
      return RunBusy(Running::Dialog, [this] { surface_.RunAboutDialog(); });
    case kIdLanguage:
      return SwitchLanguage();
    default:
      // The logger commands, from Open port to Restart.
      if (CommandOperation(operations_, id) != nullptr) {
        RunBusy(id == kIdUpgrade ? Running::Upgrade : Running::Command,
                [this, id] { RunCommandOperation(operations_, id, *this, connection_); });
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
  RunBusy(Running::Dialog, [this] { AnnounceLanguageSwitch(*this); });
  // Once no longer busy: the window ends with OK, and the session's end stores the language.
  surface_.EndWindow(WindowEnd::Ok);
}

void WindowSession::DropFiles(const std::vector<std::string>& paths) {
  if (busy_) return;
  const bool image = paths.size() == 1 && ClassifyDroppedFile(paths.front()) == DroppedFileKind::FirmwareImage;
  RunBusy(image ? Running::Upgrade : Running::Command,
          [this, &paths] { HandleDroppedFiles(operations_, paths, *this, connection_); });
}

void WindowSession::StoreAtSessionEnd() {
  if (!busy_ && connection_.openFlag != 0) CloseHandleSilently(connection_);
  SaveSettings(Language, connection_.portNumber, connection_.speedLimit);
}

void WindowSession::SetProgressRange(uint32_t maximum) {
  progressShift_ = 0;
  while ((maximum >> progressShift_) > static_cast<uint32_t>(INT_MAX)) ++progressShift_;
  surface_.SetProgressRange(static_cast<int>(maximum >> progressShift_));
  // The rate is measured from here.
  progressMaximum_ = maximum;
  progressStart_ = clock_.Counter();
  ShowProgressText({});
}

void WindowSession::SetProgressPosition(uint32_t position) {
  surface_.SetProgressPosition(static_cast<int>(position >> progressShift_));
  const int64_t frequency = clock_.CounterFrequency();
  const int64_t elapsedMs = frequency > 0 ? (clock_.Counter() - progressStart_) * 1000 / frequency : 0;
  ShowProgressText(TimeLeftText(position, progressMaximum_, elapsedMs));
}

void WindowSession::ShowProgressText(const std::string& text) {
  if (text == progressText_) return;
  progressText_ = text;
  surface_.SetProgressText(text);
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

#pragma once

// The main window as the window session sees it, for tests: it records every call in
// order as a short line ("enable 1006 1", "question Usunąć?", "end ok"), answers the
// questions, file choices and dialogs as told, and runs the configuration dialog as a front
// end does.

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "gui/common/configuration_dialog.h"
#include "gui/common/window_surface.h"
#include "support/dialog_controls.h"

class RecordingSurface : public stravener::gui::WindowSurface {
 public:
  using MessageKind = stravener::gui::MessageKind;

  void EnableControl(int id, bool enabled) override {
    calls.push_back("enable " + std::to_string(id) + (enabled ? " 1" : " 0"));
  }
  void FocusControl(int id) override { calls.push_back("focus " + std::to_string(id)); }
  void ShowLanguageFlag(stravener::gui::LanguageFlag flag) override {
    const char* names[] = {"none", "polish", "british"};
    calls.push_back(std::string("flag ") + names[static_cast<int>(flag)]);
  }
  void AppendLogLine(const stravener::LogEntry& entry, bool droppedOldest) override {
    calls.push_back(std::string(droppedOldest ? "log- " : "log ") + entry.text);
  }
  void SetProgressRange(int maximum) override { calls.push_back("range " + std::to_string(maximum)); }
  void SetProgressPosition(int position) override { calls.push_back("position " + std::to_string(position)); }
  void SetProgressText(const std::string& text) override { calls.push_back("text " + text); }
  void Repaint(bool commandRunning) override {
    calls.push_back(commandRunning ? "repaint busy" : "repaint");
    // What the user does while the command repaints the window.
    if (commandRunning && onRepaint) onRepaint();
  }
  void CommandStarting() override { calls.push_back("starting"); }
  void CommandEnding() override { calls.push_back("ending"); }
  void CommandEnded() override { calls.push_back("ended"); }

  // A question whose default button is Cancel is recorded as "question [Cancel] TEXT".
  bool ShowMessage(MessageKind kind, const std::string& text, stravener::gui::DefaultButton defaultButton) override {
    const char* names[] = {"notice ", "question ", "warning "};
    const bool question = kind == MessageKind::Question;
    const bool cancelDefault = question && defaultButton == stravener::gui::DefaultButton::Cancel;
    calls.push_back(names[static_cast<int>(kind)] + std::string(cancelDefault ? "[Cancel] " : "") + text);
    if (!question) return true;
    return pressEnter ? !cancelDefault : answerOk;
  }
  std::optional<std::string> ChooseFile(stravener::gui::FileChoiceKind kind,
                                        const stravener::gui::FileChoice& choice) override {
    const bool save = kind == stravener::gui::FileChoiceKind::Save;
    calls.push_back((save ? "save " : "open ") + choice.title);
    (save ? saveChoices : openChoices).push_back(choice);
    return save ? saveAnswer : openAnswer;
  }
  // Opens the dialog as a front end does (InitDialog), lets `user` work its controls, and
  // presses Save: the dialog ends with OK only when the data passes validation.
  bool RunConfigurationDialog(stravener::gui::ConfigurationDialog& dialog) override {
    calls.push_back("configuration");
    ++dialogsRun;
    dialog.Attach(&controls);
    dialog.InitDialog();
    dialogOpenedWith = controls;
    if (!user || !user(dialog, controls)) return false;  // Cancel
    return dialog.OnSave();
  }
  // Unset: Cancel.
  bool RunSetupDialog(stravener::gui::SetupChoice& choice) override {
    calls.push_back("setup " + std::to_string(choice.portNumber) + " " + std::to_string(choice.speedLimit));
    return setup && setup(choice);
  }
  void RunAboutDialog() override {
    calls.push_back("about");
    if (during) during();
  }
  void EndWindow(stravener::gui::WindowEnd end) override {
    calls.push_back(end == stravener::gui::WindowEnd::Ok ? "end ok" : "end cancel");
  }

  // The calls whose line begins with prefix, in order.
  std::vector<std::string> Calls(const std::string& prefix) const {
    std::vector<std::string> found;
    for (const std::string& call : calls) {
      if (call.rfind(prefix, 0) == 0) found.push_back(call);
    }
    return found;
  }

  std::vector<std::string> calls;
  bool answerOk = true;
  // The questions are answered with Enter: their default button.
  bool pressEnter = false;
  std::optional<std::string> saveAnswer;
  std::optional<std::string> openAnswer;
  std::vector<stravener::gui::FileChoice> saveChoices;
  std::vector<stravener::gui::FileChoice> openChoices;
  // What the user does in the configuration dialog; false for Cancel. Unset: Cancel.
  std::function<bool(stravener::gui::ConfigurationDialog&, DialogControls&)> user;
  DialogControls controls;
  DialogControls dialogOpenedWith;
  int dialogsRun = 0;
  // What the user does in the Setup dialog; true for Save.
  std::function<bool(stravener::gui::SetupChoice&)> setup;
  // What the user does while the About dialog is open.
  std::function<void()> during;
  // What the user does while a command repaints the window.
  std::function<void()> onRepaint;
};

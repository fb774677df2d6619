#pragma once

// The desktop window as the commands of gui/common see it, for tests: it reports to a
// TestHost, answers questions, file choices and the configuration dialog as told, and
// records what it was asked.

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "gui/common/configuration_dialog.h"
#include "gui/common/window_host.h"
#include "support/dialog_controls.h"
#include "support/test_host.h"

class TestWindow : public stravener::gui::WindowHost {
 public:
  explicit TestWindow(TestHost& sink) : sink_(sink) {}

  stravener::EventLog& Log() override { return sink_.Log(); }
  void SetProgressRange(uint32_t maximum) override { sink_.SetProgressRange(maximum); }
  void SetProgressPosition(uint32_t position) override { sink_.SetProgressPosition(position); }
  void Repaint() override { sink_.Repaint(); }
  stravener::Clock& GetClock() override { return sink_.GetClock(); }

  void ShowNotice(const std::string& text) override { notices.push_back(text); }
  bool AskOkCancel(const std::string& text) override {
    questions.push_back(text);
    return answerOk;
  }
  void ShowWarning(const std::string& text) override { notices.push_back(text); }
  std::optional<std::string> ChooseSaveFile(const stravener::gui::FileChoice& choice) override {
    saveChoices.push_back(choice);
    return saveAnswer;
  }
  std::optional<std::string> ChooseOpenFile(const stravener::gui::FileChoice& choice) override {
    openChoices.push_back(choice);
    return openAnswer;
  }

  // Opens the dialog as a front end does (InitDialog), lets `user` work its controls, and
  // presses Save: the dialog ends with OK only when the data passes validation.
  bool RunConfigurationDialog(stravener::gui::ConfigurationDialog& dialog) override {
    ++dialogsRun;
    dialog.Attach(&controls);
    dialog.InitDialog();
    dialogOpenedWith = controls;
    if (!user || !user(dialog, controls)) return false;  // Cancel
    return dialog.OnSave();
  }

  bool answerOk = true;
  std::optional<std::string> saveAnswer;
  std::optional<std::string> openAnswer;
  std::vector<std::string> notices;
  std::vector<std::string> questions;
  std::vector<stravener::gui::FileChoice> saveChoices;
  std::vector<stravener::gui::FileChoice> openChoices;
  // What the user does in the configuration dialog; false for Cancel. Unset: Cancel.
  std::function<bool(stravener::gui::ConfigurationDialog&, DialogControls&)> user;
  DialogControls controls;
  DialogControls dialogOpenedWith;
  int dialogsRun = 0;

 private:
  TestHost& sink_;
};

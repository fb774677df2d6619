#pragma once

// A host for the logger operations in tests: it answers questions, file choices and the
// configuration dialog as told, and records everything the operation did through it, in
// order, together with the log lines and the clock's sleeps.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/host.h"
#include "logger/configuration_dialog.h"
#include "platform/clock.h"

// A clock that records every sleep. Sleeps really pass only with realSleeps (a real device
// or the simulated logger needs its pauses); the counter is the machine's unless the test
// holds it still.
class RecordingClock : public stravener::Clock {
 public:
  stravener::LocalDate Today() override { return today; }
  void Sleep(uint32_t milliseconds) override {
    sleeps.push_back(milliseconds);
    if (events != nullptr) events->push_back("sleep " + std::to_string(milliseconds));
    if (realSleeps) stravener::Clock::Sleep(milliseconds);
    if (onSleep) onSleep(milliseconds);
  }
  int64_t Counter() override { return frozenCounter ? *frozenCounter : stravener::Clock::Counter(); }

  stravener::LocalDate today{2006, 3, 15};
  bool realSleeps = false;
  std::optional<int64_t> frozenCounter;
  std::vector<uint32_t> sleeps;
  std::vector<std::string>* events = nullptr;
  // Called after each sleep, as something may happen while the operation waits.
  std::function<void(uint32_t)> onSleep;
};

// The configuration dialog's two controls as the user sees them.
class DialogControls : public stravener::ConfigurationDialogView {
 public:
  std::string NumberFieldText() const override { return field; }
  void SetNumberFieldText(const std::string& text) override { field = text; }
  void EnableNumberField(bool enabled) override { fieldEnabled = enabled; }
  void FocusNumberField() override {}
  void SelectAllOfNumberField() override {}
  bool SkipBoxChecked() const override { return boxChecked; }
  void SetSkipBoxChecked(bool checked) override { boxChecked = checked; }
  void ShowRangeWarning(const std::string& text) override { warnings.push_back(text); }

  std::string field;
  bool fieldEnabled = false;
  bool boxChecked = false;
  std::vector<std::string> warnings;
};

class TestHost : public stravener::Host {
 public:
  TestHost() {
    clock.events = &events;
    log.SetListener([this](const stravener::LogEntry& entry, bool) { events.push_back("log " + entry.text); });
  }

  stravener::EventLog& Log() override { return log; }
  void SetProgressRange(uint32_t maximum) override {
    progressRanges.push_back(maximum);
    events.push_back("range " + std::to_string(maximum));
  }
  void SetProgressPosition(uint32_t position) override {
    progressPositions.push_back(position);
    events.push_back("position " + std::to_string(position));
    if (onProgress) onProgress(position);
  }
  void Repaint() override {
    ++repaints;
    events.push_back("repaint");
  }
  void ShowNotice(const std::string& text) override {
    notices.push_back(text);
    events.push_back("notice");
  }
  bool AskOkCancel(const std::string& text) override {
    questions.push_back(text);
    events.push_back("question");
    return answerOk;
  }
  void ShowWarning(const std::string& text) override { notices.push_back(text); }
  std::optional<std::string> ChooseSaveFile(const stravener::FileChoice& choice) override {
    saveChoices.push_back(choice);
    events.push_back("save choice");
    return saveAnswer;
  }
  std::optional<std::string> ChooseOpenFile(const stravener::FileChoice& choice) override {
    openChoices.push_back(choice);
    return openAnswer;
  }
  // Opens the dialog as a front end does (InitDialog), lets `user` work its controls, and
  // presses Save: the dialog ends with OK only when the data passes validation.
  bool RunConfigurationDialog(stravener::ConfigurationDialog& dialog) override {
    ++dialogsRun;
    dialog.Attach(&controls);
    dialog.InitDialog();
    dialogOpenedWith = controls;
    if (!user) return false;
    if (!user(dialog, controls)) return false;  // Cancel
    return dialog.OnSave();
  }
  stravener::Clock& GetClock() override { return clock; }

  stravener::EventLog log;
  RecordingClock clock;
  std::vector<std::string> events;
  bool answerOk = true;
  std::optional<std::string> saveAnswer;
  std::optional<std::string> openAnswer;
  // What the user does in the configuration dialog; false for Cancel. Unset: Cancel.
  std::function<bool(stravener::ConfigurationDialog&, DialogControls&)> user;
  DialogControls controls;
  DialogControls dialogOpenedWith;
  int dialogsRun = 0;
  std::vector<stravener::FileChoice> saveChoices;
  std::vector<stravener::FileChoice> openChoices;
  std::vector<std::string> notices;
  std::vector<std::string> questions;
  std::vector<uint32_t> progressRanges;
  std::vector<uint32_t> progressPositions;
  // Called at each progress position, as the user might act while the bar moves.
  std::function<void(uint32_t)> onProgress;
  int repaints = 0;
};

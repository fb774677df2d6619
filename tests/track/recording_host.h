#pragma once

#include <optional>
#include <string>
#include <vector>

#include "app/host.h"
#include "platform/clock.h"

// A clock whose today is fixed.
class FixedDateClock : public stravener::Clock {
 public:
  explicit FixedDateClock(stravener::LocalDate date) : date_(date) {}
  stravener::LocalDate Today() override { return date_; }

 private:
  stravener::LocalDate date_;
};

// A host that answers file choices as told and records what the operation asked for.
class RecordingHost : public stravener::Host {
 public:
  stravener::EventLog& Log() override { return log; }
  void SetProgressRange(uint32_t maximum) override { progressRanges.push_back(maximum); }
  void SetProgressPosition(uint32_t position) override { progressPositions.push_back(position); }
  void Repaint() override { ++repaints; }
  void ShowNotice(const std::string& text) override { notices.push_back(text); }
  bool AskOkCancel(const std::string& text) override {
    notices.push_back(text);
    return false;
  }
  void ShowWarning(const std::string& text) override { notices.push_back(text); }
  std::optional<std::string> ChooseSaveFile(const stravener::FileChoice& choice) override {
    saveChoices.push_back(choice);
    return saveAnswer;
  }
  std::optional<std::string> ChooseOpenFile(const stravener::FileChoice&) override { return std::nullopt; }
  bool RunConfigurationDialog(stravener::ConfigurationDialog&) override { return false; }
  stravener::Clock& GetClock() override { return clock; }

  // The log's texts, in order.
  std::vector<std::string> Lines() const {
    std::vector<std::string> lines;
    for (const auto& entry : log.Entries()) lines.push_back(entry.text);
    return lines;
  }
  std::vector<stravener::LogKind> Kinds() const {
    std::vector<stravener::LogKind> kinds;
    for (const auto& entry : log.Entries()) kinds.push_back(entry.kind);
    return kinds;
  }

  stravener::EventLog log;
  FixedDateClock clock{stravener::LocalDate{2006, 11, 7}};
  std::optional<std::string> saveAnswer;
  std::vector<stravener::FileChoice> saveChoices;
  std::vector<uint32_t> progressRanges;
  std::vector<uint32_t> progressPositions;
  std::vector<std::string> notices;
  int repaints = 0;
};

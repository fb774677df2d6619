#pragma once

// The sink the operations report to, for tests, fuzz targets and benchmarks: it keeps the
// event log, records the progress bar and the repaints, and gives the operations a
// TestClock.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "app/host.h"
#include "support/test_clock.h"

class TestHost : public stravener::Host {
 public:
  stravener::EventLog& Log() override { return log; }
  void SetProgressRange(uint32_t maximum) override { progressRanges.push_back(maximum); }
  void SetProgressPosition(uint32_t position) override {
    progressPositions.push_back(position);
    if (onProgress) onProgress(position);
  }
  void Repaint() override { ++repaints; }
  stravener::Clock& GetClock() override { return clock; }

  // The log's texts and kinds, in order.
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
  bool HasLine(const std::string& text) const {
    for (const auto& entry : log.Entries()) {
      if (entry.text == text) return true;
    }
    return false;
  }
  bool HasError() const {
    for (const auto& entry : log.Entries()) {
      if (entry.kind == stravener::LogKind::Error) return true;
    }
    return false;
  }
  std::string LastLine() const { return log.Entries().empty() ? std::string() : log.Entries().back().text; }

  stravener::EventLog log;
  TestClock clock;
  std::vector<uint32_t> progressRanges;
  std::vector<uint32_t> progressPositions;
  // Called at each progress position, as the user might act while the bar moves.
  std::function<void(uint32_t)> onProgress;
  int repaints = 0;
};

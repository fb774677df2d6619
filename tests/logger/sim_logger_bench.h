#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "link/port_connection.h"
#include "sim/simulated_logger.h"
#include "support/adapter_model.h"
#include "support/test_host.h"

// The simulated logger on a pseudo-terminal and the tool's connection to it, opened through
// the machine's own serial code, seen through a USB adapter when one is given. Sleeps
// really pass: the logger needs its pauses.
class SimLoggerBench {
 public:
  explicit SimLoggerBench(stravener::sim::SimulatedLoggerOptions options, uint32_t speedLimit = 115200,
                          std::optional<AdapterModelOptions> adapterOptions = std::nullopt)
      : sim_(std::move(options)) {
    std::string error;
    started_ = sim_.Start(&error) == 0;
    EXPECT_TRUE(started_) << error;
    host.clock.realSleeps = true;
    if (adapterOptions) {
      adapter = std::make_unique<AdapterModel>(*adapterOptions);
      connection.opener = adapter->Opener(std::move(connection.opener));
    }
    connection.devicePath = sim_.SlavePath();
    connection.speedLimit = 460800;
    if (started_) {
      EXPECT_EQ(stravener::OpenPort(connection, false), 0);
    }
    connection.speedLimit = speedLimit;
    traceStart_ = sim_.Trace().Size();
  }
  ~SimLoggerBench() { stravener::CloseHandleSilently(connection); }

  bool Started() const { return started_ && connection.openFlag == 1; }
  stravener::sim::SimulatedLogger& Sim() { return sim_; }

  // What the logger saw since the port was opened.
  std::vector<stravener::sim::TraceEvent> Events() const {
    std::vector<stravener::sim::TraceEvent> events;
    for (auto& e : sim_.Trace().Events()) {
      if (e.index >= traceStart_) events.push_back(e);
    }
    return events;
  }
  std::vector<stravener::sim::TraceEvent> Events(stravener::sim::TraceKind kind) const {
    std::vector<stravener::sim::TraceEvent> events;
    for (auto& e : Events()) {
      if (e.kind == kind) events.push_back(e);
    }
    return events;
  }
  std::vector<std::string> SentenceTexts() const {
    std::vector<std::string> texts;
    for (auto& e : Events(stravener::sim::TraceKind::Sentence)) texts.push_back(e.text);
    return texts;
  }
  // Waits until the logger is in this mode (it switches some time after the sentence).
  bool AwaitMode(stravener::sim::LoggerMode mode, int timeoutMs = 1000) {
    for (int waited = 0; waited < timeoutMs; waited += 5) {
      if (sim_.Mode() == mode) return true;
      stravener::Clock().Sleep(5);
    }
    return sim_.Mode() == mode;
  }

 private:
  stravener::sim::SimulatedLogger sim_;
  bool started_ = false;
  size_t traceStart_ = 0;

 public:
  // Declared before the connection, whose devices it wraps.
  std::unique_ptr<AdapterModel> adapter;
  TestHost host;
  stravener::PortConnection connection{host.log};
};

// Options for a quick logger: answers as fast as the pseudo-terminal takes them.
inline stravener::sim::SimulatedLoggerOptions Unpaced(uint32_t points = 1000) {
  stravener::sim::SimulatedLoggerOptions options;
  options.points = points;
  options.pace = false;
  return options;
}

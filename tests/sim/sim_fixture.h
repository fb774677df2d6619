#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>

#include "pty_client.h"
#include "sim/simulated_logger.h"

// A simulated logger running on its own thread, and the tool's end of its line.
class SimFixture : public ::testing::Test {
 protected:
  void Launch(stravener::sim::SimulatedLoggerOptions options = {}) {
    logger_ = std::make_unique<stravener::sim::SimulatedLogger>(std::move(options));
    std::string error;
    ASSERT_EQ(logger_->Start(&error), 0) << error;
    client_ = std::make_unique<PtyClient>(logger_->SlavePath());
    ASSERT_TRUE(client_->IsOpen());
  }

  // A failed test shows what crossed the line, so a failure seen once can be understood.
  void TearDown() override {
    if (!HasFailure() || !logger_) return;
    std::string lines;
    for (const stravener::sim::TraceEvent& e : logger_->Trace().Events())
      lines += stravener::sim::FormatTraceEvent(e, logger_->Trace().Origin()) + "\n";
    std::fprintf(stderr, "What crossed the line:\n%s", lines.c_str());
  }

  stravener::sim::SimulatedLogger& Logger() { return *logger_; }
  PtyClient& Client() { return *client_; }
  const stravener::sim::SimTrace& Trace() { return logger_->Trace(); }

  // Waits until the logger has taken a sentence of this kind (from trace index `from`).
  std::optional<stravener::sim::TraceEvent> AwaitSentence(stravener::sim::SentenceKind kind, size_t from = 0,
                                                          int timeoutMs = 1000) {
    return Trace().WaitFor(
        [kind](const stravener::sim::TraceEvent& e) {
          return e.kind == stravener::sim::TraceKind::Sentence && e.sentence == kind;
        },
        std::chrono::milliseconds(timeoutMs), from);
  }

  std::unique_ptr<stravener::sim::SimulatedLogger> logger_;
  std::unique_ptr<PtyClient> client_;
};

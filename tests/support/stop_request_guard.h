#pragma once

#include "platform/stop_request.h"

// Forgets any stop request when a test ends, so that the next test in the process runs.
class StopRequestGuard {
 public:
  StopRequestGuard() { stravener::ClearStopRequest(); }
  ~StopRequestGuard() { stravener::ClearStopRequest(); }
  StopRequestGuard(const StopRequestGuard&) = delete;
  StopRequestGuard& operator=(const StopRequestGuard&) = delete;
};

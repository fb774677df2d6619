#pragma once

#include <atomic>

// The process-wide request to stop: the user pressed Ctrl+C, closed the console, or the
// session is ending. Whoever hears of it (a signal handler, a console control handler on
// a thread of its own, a window's end-of-session message) calls RequestStop(); the
// operation that runs notices it at its next safe point and ends the way a failure there
// would (the track download with its closing steps, the firmware upgrade after the page
// being written). All three calls are async-signal-safe: one lock-free atomic flag.

namespace stravener {

namespace stop_request_detail {
inline std::atomic<bool> requested{false};
static_assert(std::atomic<bool>::is_always_lock_free, "a signal handler may only touch a lock-free flag");
}  // namespace stop_request_detail

// Asks the operation that runs to stop. True when a stop had been requested already: a
// second request, after which a program usually ends at once.
inline bool RequestStop() noexcept { return stop_request_detail::requested.exchange(true); }

// Whether a stop was requested since the last ClearStopRequest().
inline bool StopRequested() noexcept { return stop_request_detail::requested.load(std::memory_order_relaxed); }

// Forgets the request, for a program that goes on with its next operation.
inline void ClearStopRequest() noexcept { stop_request_detail::requested.store(false); }

// The exit status of a program that a stop request ended (128 + SIGINT, as shells show it).
constexpr int kStoppedExitStatus = 130;

}  // namespace stravener

#pragma once

namespace stravener {

// How one of the logger operations behind the window's buttons ended. Whatever the outcome,
// the operation has already told the user (log lines, a notice); front ends use the result
// only for what follows, such as the exit status of the command line.
enum class OperationResult {
  Done,       // the operation did everything it was asked to
  Cancelled,  // the user declined a question or a file choice; nothing was sent for it
  Stopped,    // a notice ended it before anything changed (for instance an empty track memory)
  Failed,     // a failure was reported in the event log
};

}  // namespace stravener

#pragma once

namespace stravener {

// How one of the logger operations behind the window's buttons ended, or the command that
// calls them. Failures are already in the event log; a notice that ends a command comes
// with the result for the caller to show. Front ends use the result for what follows, such
// as the exit status of the command line.
enum class OperationResult {
  Done,       // the operation did everything it was asked to
  Cancelled,  // the user declined the command's question or file choice; nothing was sent for it
  Stopped,    // a notice ends it before anything changed (for instance an empty track memory)
  Failed,     // a failure was reported in the event log
};

}  // namespace stravener

#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include "platform/file.h"
#include "platform/stop_request.h"
#include "platform/stop_signals.h"

namespace stravener {

namespace {

pthread_t gListeningThread;

void OnStopSignal(int signal) {
  // Another thread of the program (a toolkit's, a test's) got it: the listening thread's
  // blocking call is what has to notice, so it gets the signal itself.
  if (!pthread_equal(pthread_self(), gListeningThread)) {
    pthread_kill(gListeningThread, signal);
    return;
  }
  if (RequestStop()) {
    RemoveFilesAtAbruptEnd();
    _exit(kStoppedExitStatus);
  }
}

}  // namespace

void InstallStopSignals() {
  gListeningThread = pthread_self();
  struct sigaction action {};
  action.sa_handler = OnStopSignal;
  sigemptyset(&action.sa_mask);
  // No SA_RESTART: a terminal read waiting for an answer to a question ends too.
  action.sa_flags = 0;
  for (const int signal : {SIGINT, SIGTERM, SIGHUP}) sigaction(signal, &action, nullptr);
  // A reader of the log that went away (stravener ... 2>&1 | head) is no reason to end
  // halfway, with the logger at a transfer speed or in its boot loader: a write to it
  // fails, and the operation goes on.
  struct sigaction ignore {};
  ignore.sa_handler = SIG_IGN;
  sigemptyset(&ignore.sa_mask);
  sigaction(SIGPIPE, &ignore, nullptr);
}

}  // namespace stravener

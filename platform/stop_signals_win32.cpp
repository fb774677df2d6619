#include <windows.h>

#include "platform/file.h"
#include "platform/stop_request.h"
#include "platform/stop_signals.h"

namespace stravener {

namespace {

// Runs on a thread of its own, which the system starts for each event.
BOOL WINAPI OnConsoleControl(DWORD event) {
  switch (event) {
    case CTRL_C_EVENT:
    case CTRL_BREAK_EVENT:
    case CTRL_CLOSE_EVENT:
    case CTRL_LOGOFF_EVENT:
    case CTRL_SHUTDOWN_EVENT:
      if (RequestStop()) {
        RemoveFilesAtAbruptEnd();
        TerminateProcess(GetCurrentProcess(), kStoppedExitStatus);
      }
      if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT) Sleep(INFINITE);
      return TRUE;
    default:
      return FALSE;
  }
}

}  // namespace

void InstallStopSignals() { SetConsoleCtrlHandler(OnConsoleControl, TRUE); }

}  // namespace stravener

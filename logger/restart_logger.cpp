#include "logger/restart_logger.h"

#include "logger/logger_commands.h"
#include "logger/logger_info.h"

namespace stravener {

OperationResult RestartLogger(PortConnection& connection, Host& host) {
  // The logger does not answer the restart sentence: only one that has just answered at
  // 4800 bit/s is known to hear it.
  LoggerInfo info;
  if (ReadLoggerInfo(connection, host.GetClock(), info) != 0) return OperationResult::Failed;
  if (SendCommand(connection, host.GetClock(), kRestartSentence, true) != 0) return OperationResult::Failed;
  LOG_TEXT(*connection.log, LogKind::Info, "Wysłano komendę restartu procesora.", "Processor restart command sent.");
  ClosePort(connection, true);
  return OperationResult::Done;
}

}  // namespace stravener

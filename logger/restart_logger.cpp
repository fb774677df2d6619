#include "logger/restart_logger.h"

#include "logger/logger_commands.h"

namespace stravener {

OperationResult RestartLogger(PortConnection& connection, Host& host) {
  if (SendCommand(connection, host.GetClock(), kRestartSentence, true) != 0) return OperationResult::Failed;
  LOG_TEXT(*connection.log, LogKind::Info, "Wysłano komendę restartu procesora.", "Processor restart command sent.");
  ClosePort(connection, true);
  return OperationResult::Done;
}

}  // namespace stravener

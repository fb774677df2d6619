#include "logger/erase_track_memory.h"

#include "app/language.h"
#include "link/frame.h"
#include "logger/logger_commands.h"
#include "logger/logger_info.h"

namespace stravener {

namespace {
constexpr uint8_t kErased = 1;
}

OperationResult EraseTrackMemory(PortConnection& connection, Host& host) {
  LoggerInfo info;
  if (ReadLoggerInfo(connection, host.GetClock(), info) != 0) return OperationResult::Failed;
  if (SendCommand(connection, host.GetClock(), kEraseSentence, true) != 0) return OperationResult::Failed;
  EventLog& log = *connection.log;
  LOG_TEXT(log, LogKind::Info, "Wysłano komendę czyszczenia pamięci śladu.", "Track memory erase command sent.");
  uint8_t answer = 0;
  if (ReadFrame(connection, &answer, 1, false, true) != 0) return OperationResult::Failed;
  if (answer != kErased) {
    LOG_TEXT(log, LogKind::Error, "Błąd protokołu.", "Protocol error.");
    ClearLineErrors(connection);
    return OperationResult::Failed;
  }
  return OperationResult::Done;
}

}  // namespace stravener

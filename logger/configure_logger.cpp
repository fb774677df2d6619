#include "logger/configure_logger.h"

#include "app/format.h"
#include "link/frame.h"
#include "logger/logger_commands.h"

namespace stravener {

OperationResult ConfigureLogger(PortConnection& connection, Host& host, uint8_t skip) {
  Clock& clock = host.GetClock();
  const std::string sentence = FormatText("$PQRVC,%d,%d,\r\n", 0, static_cast<int>(skip));
  // No speed step: the information request has just set 4800 bit/s.
  if (SendAttention(connection, clock, true) != 0) return OperationResult::Failed;
  if (WriteSentence(connection, sentence, true) != 0) return OperationResult::Failed;
  EventLog& log = *connection.log;
  LOG_TEXT(log, LogKind::Info, "Wysłano komendę zapisu konfiguracji.", "Save configuration command sent.");

  uint8_t answer = 0;
  if (ReadFrame(connection, &answer, 1, false, true) != 0) return OperationResult::Failed;
  if (answer == kConfigurationSaved) {
    LOG_TEXT(log, LogKind::Info, "Konfiguracja została zapisana.", "The configuration was saved.");
    return OperationResult::Done;
  }
  if (answer == kConfigurationDataError) {
    LOG_TEXT(log, LogKind::Error, "Błąd danych konfiguracji.", "Configuration data error.");
  } else {
    LOG_TEXT(log, LogKind::Error, "Błąd protokołu.", "Protocol error.");
    ClearLineErrors(connection);
  }
  return OperationResult::Failed;
}

}  // namespace stravener

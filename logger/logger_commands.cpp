#include "logger/logger_commands.h"

#include "platform/stop_request.h"

namespace stravener {

int WriteSentence(PortConnection& connection, std::string_view sentence, ReportFlag report) {
  return WritePort(connection, reinterpret_cast<const uint8_t*>(sentence.data()), sentence.size(), report);
}

std::string SpeedSentence(const LineSpeed& speed) { return std::string("$PQRVS,") + speed.sentenceCode + "\r\n"; }

int SendAttention(PortConnection& connection, Clock& clock, ReportFlag report) {
  if (WriteSentence(connection, kAttentionSentence, report) != 0) return -1;
  clock.Sleep(kAttentionPauseMs);
  return 0;
}

int SendCommand(PortConnection& connection, Clock& clock, std::string_view sentence, ReportFlag report) {
  if (StopRequested()) return -1;
  if (SetPortSpeed(connection, kCommandSpeed, report) != 0) return -1;
  if (SendAttention(connection, clock, report) != 0) return -1;
  if (StopRequested()) return -1;
  return WriteSentence(connection, sentence, report);
}

}  // namespace stravener

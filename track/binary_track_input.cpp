#include "track/binary_track_input.h"

#include "app/format.h"
#include "app/language.h"

namespace stravener {

bool OpenBinaryTrackFile(EventLog& log, File& input, const std::string& path) {
  const uint32_t code = input.OpenForReading(path);
  if (code == 0) return true;
  LOG_TEXT(log, LogKind::Error, "Błąd 0x%x otwarcia binarnego pliku śladu.", "Error 0x%x opening binary track file.",
           code);
  log.LogSystemError(LogKind::Error, code);
  return false;
}

}  // namespace stravener

#pragma once

#include <string>

#include "app/event_log.h"
#include "platform/file.h"

namespace stravener {

// Opens a binary track file for reading. False after reporting why not: "Error 0x%x
// opening binary track file." and the system's text.
bool OpenBinaryTrackFile(EventLog& log, File& input, const std::string& path);

}  // namespace stravener

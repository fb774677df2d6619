#pragma once

#include <string>

#include "app/host.h"

namespace stravener {

// Converts a binary track file (the logger's track memory as saved, 16-byte records read
// as layout 2) into a PLT file that the user chooses through the host, reporting every
// step in the host's event log. Returns true when the whole file was converted and the
// success line written; false when the user cancelled (nothing logged) or on a failure
// (already logged). The output keeps whatever was written before a failure.
bool ConvertBinaryTrackFile(Host& host, const std::string& path);

}  // namespace stravener

#pragma once

#include <optional>

#include "cli/command.h"
#include "track/track_file_format.h"

namespace stravener::cli {

// The --format and --skip-invalid options of the commands that write a track file.
extern const OptionSpec kFormatOption;
extern const OptionSpec kSkipInvalidOption;

// Hands the track file options of a command (-o/--output, --force, --format) to its host:
// the output path and whether it may be replaced, and with --format the extension a name
// without one gets. `format` is what --format names (unset without it). Returns 0, or the
// exit status of wrong usage after reporting it.
int ApplyTrackFileOptions(const Invocation& invocation, std::optional<TrackFileFormat>& format);

}  // namespace stravener::cli

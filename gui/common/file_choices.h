#pragma once

#include "gui/common/window_host.h"
#include "platform/clock.h"

namespace stravener::gui {

// The file choices of the window's commands, in the current language.

// Read track: where to save the track, "YYYYMMDD_log" of today by default, with every
// format the download writes.
FileChoice TrackSaveChoice(const LocalDate& today);

// A dropped binary track file: where to save what it becomes, "YYYYMMDD_log" of today by
// default, with the track formats (no binary type: the records unchanged are what it is).
FileChoice ConversionSaveChoice(const LocalDate& today);

// Upgrade: the firmware image to load.
FileChoice FirmwareOpenChoice();

}  // namespace stravener::gui

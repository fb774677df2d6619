#pragma once

#include <span>

#include "gui/common/dialog_description.h"

namespace stravener::gui {

using MainWindowControl = ControlDescription;

// The main window's controls in their tab order (MainWindowDescription). At creation each
// is enabled as ControlEnabled gives for a closed port.
std::span<const MainWindowControl> MainWindowControls();

// The button-state rule: Setup and Open port are enabled exactly while the port is closed,
// the seven logger commands from Close port to Restart exactly while it is open, and Exit,
// About, the language button, the log and the progress bar always.
bool ControlEnabled(const MainWindowControl& control, bool portOpen);

// The focus rule that follows every update of the button states: Close port while the port
// is open, Open port while it is closed.
int FocusedControlId(bool portOpen);

// The tip of a main window control, by its id, in the current language (UTF-8); nullptr
// for a control without one. The log and the progress bar have none.
const char* TooltipText(int controlId);

}  // namespace stravener::gui

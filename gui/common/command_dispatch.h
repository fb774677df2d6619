#pragma once

#include <string>
#include <vector>

#include "gui/common/operations.h"
#include "link/port_connection.h"

namespace stravener::gui {

// The operation of a logger command of the main window (Open port, Close port,
// Information, Configuration, Read track, Erase track, Upgrade, Restart); nullptr for the
// other ids (Setup, About, the language button, Exit), which each front end handles itself.
const Operation* CommandOperation(const Operations& operations, int id);

// Runs the operation of a logger command to its end, reporting through host. An empty
// operation writes that the command is not available. When the port's device went away
// meanwhile (a pulled cable), the port is closed afterwards. False, doing nothing, when the id is
// not a logger command.
bool RunCommandOperation(const Operations& operations, int id, WindowHost& host, PortConnection& connection);

// Files dropped on the main window: exactly one file is acted on, whatever the port's
// state. A firmware image (".upg") is loaded only once the user has confirmed it (Enter
// declines): it opens the port, is loaded into the logger and closes the port again,
// whatever the opening gave; a binary track file (".bin") is converted. Several
// files, or a file of another type, get a notice and nothing else.
void HandleDroppedFiles(const Operations& operations, const std::vector<std::string>& paths, WindowHost& host,
                        PortConnection& connection);

// The language button's work before the window ends: toggles the language and tells, in
// the new language, that it shows at the next start. The front end then ends the window
// with OK, whose destruction stores the language.
void AnnounceLanguageSwitch(WindowHost& host);

}  // namespace stravener::gui

#pragma once

#include <QIcon>

#include "app/event_log.h"

namespace stravener::gui {

// The program's pictures, drawn from the vector drawings in the resources at each size
// they are shown at, for normal and double-density screens.

// The program's icon: the 16-pixel drawing for small sizes, the 32-pixel one above.
QIcon ProgramIcon();
// The flag shown on the language button: the flag of the language the button switches to.
QIcon PolishFlagIcon();
QIcon BritishFlagIcon();
// The 12 x 12 picture of an event log line of the given kind.
QIcon LogPicture(LogKind kind);

// Renders one drawing from the resources at a size in pixels and a device pixel ratio.
QPixmap RenderPicture(const char* resource, int size, qreal devicePixelRatio);

}  // namespace stravener::gui

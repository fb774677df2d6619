#pragma once

#include <QString>

namespace stravener::gui {

// Draws the main window and each dialog in the current language into PNG files in folder
// (main_window_en.png, setup_dialog_en.png, ...), without running them, and returns the
// exit status: 0 when every picture was written. Before the main window is drawn, the
// commands whose ids $STRAVENER_TOOL_SCREENSHOT_COMMANDS lists ("1006,1010") are run on
// it, so the picture shows a log. The screenshot script sets $STRAVENER_TOOL_SCREENSHOTS.
int TakeScreenshots(const QString& folder);

}  // namespace stravener::gui

#pragma once

#include <QString>
#include <vector>

namespace stravener::gui {

// Draws the main window and each dialog in the current language into PNG files in folder
// (main_window_en.png, setup_dialog_en.png, ...), without running them, and returns the
// exit status: 0 when every picture was written. Before the main window is drawn, the
// given commands are run on it, so the picture shows a log; a notice one of them shows is
// drawn too (notice1_en.png, ...) and answered with OK.
int TakeScreenshots(const QString& folder, const std::vector<int>& commands);

// Whether the screenshots may run a command: only those that change nothing in the
// logger (Open port, Close port, Information), since their notices are answered unseen.
bool ScreenshotMayRun(int commandId);

}  // namespace stravener::gui

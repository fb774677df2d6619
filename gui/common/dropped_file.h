#pragma once

#include <string>

namespace stravener::gui {

enum class DroppedFileKind { FirmwareImage, BinaryTrack, Unsupported };

// What a file dropped on the main window is, by the text from the last "." of its whole
// path (folders included): exactly ".upg" is a firmware image, exactly ".bin" a binary
// track file; capitals, another extension or no dot at all are unsupported.
DroppedFileKind ClassifyDroppedFile(const std::string& path);

}  // namespace stravener::gui

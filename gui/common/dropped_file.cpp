#include "gui/common/dropped_file.h"

namespace stravener::gui {

DroppedFileKind ClassifyDroppedFile(const std::string& path) {
  const size_t dot = path.rfind('.');
  if (dot == std::string::npos) return DroppedFileKind::Unsupported;
  const std::string extension = path.substr(dot);
  if (extension == ".upg") return DroppedFileKind::FirmwareImage;
  if (extension == ".bin") return DroppedFileKind::BinaryTrack;
  return DroppedFileKind::Unsupported;
}

}  // namespace stravener::gui

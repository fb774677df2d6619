#include "gui/common/tooltip_texts.h"

#include "gui/common/control_ids.h"

namespace stravener::gui {

const char* TooltipText(int controlId) {
  switch (controlId) {
    case kIdCancel:
      return STRAVENER_TIP_EXIT;
    case kIdOpenPort:
      return STRAVENER_TIP_OPEN_PORT;
    case kIdClosePort:
      return STRAVENER_TIP_CLOSE_PORT;
    case kIdUpgrade:
      return STRAVENER_TIP_UPGRADE;
    case kIdAbout:
      return STRAVENER_TIP_ABOUT;
    case kIdInformation:
      return STRAVENER_TIP_INFORMATION;
    case kIdRestart:
      return STRAVENER_TIP_RESTART;
    case kIdReadTrack:
      return STRAVENER_TIP_READ_TRACK;
    case kIdEraseTrack:
      return STRAVENER_TIP_ERASE_TRACK;
    case kIdConfiguration:
      return STRAVENER_TIP_CONFIGURATION;
    case kIdSetup:
      return STRAVENER_TIP_SETUP;
    default:
      return nullptr;
  }
}

}  // namespace stravener::gui

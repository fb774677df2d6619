#include "gui/common/command_table.h"

#include "gui/common/control_ids.h"

namespace stravener::gui {

std::span<const MainWindowControl> MainWindowControls() { return MainWindowDescription().controls; }

bool ControlEnabled(const MainWindowControl& control, bool portOpen) {
  switch (control.enabledWhen) {
    case EnabledWhen::PortClosed:
      return !portOpen;
    case EnabledWhen::PortOpen:
      return portOpen;
    case EnabledWhen::Always:
      break;
  }
  return true;
}

int FocusedControlId(bool portOpen) { return portOpen ? kIdClosePort : kIdOpenPort; }

const char* TooltipText(int controlId) {
  const ControlDescription* control = FindControl(MainWindowDescription(), controlId);
  return control != nullptr ? ControlTip(*control) : nullptr;
}

}  // namespace stravener::gui

#include "gui/common/command_table.h"

#include <array>

#include "gui/common/control_ids.h"

namespace stravener::gui {

namespace {

constexpr std::array<MainWindowControl, 14> kControls = {{
    {kIdOpenPort, ControlKind::PushButton, "O&twórz port", "&Open port", {7, 28, 50, 14}, EnabledWhen::PortClosed},
    {kIdClosePort, ControlKind::PushButton, "&Zamknij port", "&Close port", {7, 49, 50, 14}, EnabledWhen::PortOpen},
    {kIdInformation, ControlKind::PushButton, "&Informacje", "&Information", {7, 70, 50, 14}, EnabledWhen::PortOpen},
    {kIdConfiguration, ControlKind::PushButton, "&Konfiguracja", "Co&nfiguration", {7, 91, 50, 14},
     EnabledWhen::PortOpen},
    {kIdReadTrack, ControlKind::PushButton, "&Odczytaj ślad", "&Read track", {7, 112, 50, 14}, EnabledWhen::PortOpen},
    {kIdEraseTrack, ControlKind::PushButton, "&Usuń ślad", "&Erase track", {7, 133, 50, 14}, EnabledWhen::PortOpen},
    {kIdUpgrade, ControlKind::PushButton, "&Apgrejd", "&Upgrade", {7, 154, 50, 14}, EnabledWhen::PortOpen},
    {kIdRestart, ControlKind::PushButton, "&Restart", "Res&tart", {7, 175, 50, 14}, EnabledWhen::PortOpen},
    {kIdCancel, ControlKind::PushButton, "Koniec", "Exit", {7, 206, 50, 14}, EnabledWhen::Always},
    {kIdSetup, ControlKind::PushButton, "U&stawienia...", "&Setup...", {129, 7, 50, 14}, EnabledWhen::PortClosed},
    {kIdAbout, ControlKind::PushButton, "O &programie...", "&About...", {185, 7, 55, 14}, EnabledWhen::Always},
    {kIdLog, ControlKind::EventLog, "", "", {64, 28, 176, 161}, EnabledWhen::Always},
    {kIdProgress, ControlKind::ProgressBar, "", "", {64, 206, 148, 14}, EnabledWhen::Always},
    {kIdLanguage, ControlKind::FlagButton, "", "", {218, 206, 22, 14}, EnabledWhen::Always},
}};

}  // namespace

std::span<const MainWindowControl> MainWindowControls() { return kControls; }

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

}  // namespace stravener::gui

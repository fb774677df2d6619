#include "gui/operations.h"

#include "gui/main_window.h"
#include "link/port_connection.h"
#include "link/port_names.h"
#include "track/binary_conversion.h"

namespace stravener::gui {

Operations DefaultOperations() {
  Operations operations;
  operations.openPort = [](MainWindow& window) { OpenPort(window.Connection(), true); };
  operations.closePort = [](MainWindow& window) { ClosePort(window.Connection(), true); };
  operations.convertBinaryTrackFile = [](MainWindow& window, const std::string& path) {
    ConvertBinaryTrackFile(window, path);
  };
  return operations;
}

SetupServices DefaultSetupServices() {
  SetupServices services;
  services.enumeratePorts = [] {
    std::vector<std::string> labels;
    for (const PortEntry& entry : EnumeratePorts()) labels.push_back(PortLabel(entry));
    return labels;
  };
  // The Setup dialog is reachable only while the connection is closed: the probe opens
  // the port by its name itself.
  services.probeMaxSpeed = [](uint32_t portNumber) { return ProbeMaxSpeed(0, portNumber, nullptr); };
  return services;
}

}  // namespace stravener::gui
